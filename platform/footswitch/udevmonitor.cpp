#include "platform/footswitch/udevmonitor.h"

#include <QSocketNotifier>

#include <libudev.h>

#include <cstring>

UdevMonitor::UdevMonitor(const QString& subsystem, QObject* parent) : QObject(parent)
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return;
    const QByteArray name = subsystem.toUtf8();
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, name.constData(), nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0)
        return;
    const int fd = udev_monitor_get_fd(m_monitor);
    if (fd < 0)
        return;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevMonitor::ReadEvents);
}

UdevMonitor::~UdevMonitor()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void UdevMonitor::ReadEvents()
{
    // The socket is non-blocking: take every event that is waiting.
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(device);
        const char* path = udev_device_get_devpath(device);
        if (action && path) {
            if (std::strcmp(action, "add") == 0)
                emit DeviceChanged(true, QString::fromUtf8(path));
            else if (std::strcmp(action, "remove") == 0)
                emit DeviceChanged(false, QString::fromUtf8(path));
        }
        udev_device_unref(device);
    }
}
