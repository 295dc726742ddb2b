#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
struct udev;
struct udev_monitor;

/// @short Arrival and removal of devices of one kernel subsystem, from the
/// udev monitor socket, on the thread of this object.
///
/// Without udev (containers, no permission) it reports nothing and
/// IsWatching says so. The device path is the kernel's ("/devices/...").
class UdevMonitor : public QObject {
    Q_OBJECT
public:
    explicit UdevMonitor(const QString& subsystem = QStringLiteral("hidraw"), QObject* parent = nullptr);
    ~UdevMonitor() override;

    bool IsWatching() const { return m_notifier != nullptr; }

signals:
    void DeviceChanged(bool arrived, const QString& devicePath);

private:
    void ReadEvents();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
};
