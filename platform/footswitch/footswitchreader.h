#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class QThread;

/// @short Where the pedal's input reports come from: the HID device, or a
/// recording in tests.
///
/// Called on the reader's thread only, one call at a time.
class IReportSource {
public:
    virtual ~IReportSource() = default;
    /// Looks for the pedal and opens it; false when there is none or it
    /// cannot be opened. True at once while it is open.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    /// Waits at most `timeoutMs` for one input report, written to `data` as
    /// recorded: the report id first (0 for an unnumbered report), then the
    /// report's bytes. The number of bytes written, 0 when none came, -1
    /// when reading failed (the device went away).
    virtual int Read(unsigned char* data, int size, int timeoutMs) = 0;
};

/// @short Reads the foot pedal on a thread of its own and tells the frame
/// what happened, by queued signals.
///
/// Events: 0 pedal released, 1 pedal pressed, 2 device arrived, 3 device
/// removed (also when a read fails), 4 reading switched on, 5 reading
/// switched off. Reports are three bytes, unnumbered: after the report id
/// 0 comes the pedal byte, 0 (released) or 2 (the playback pedal pressed);
/// other values are ignored. Commands
/// (Enable, OnDeviceChange) are queued to the thread, which echoes each to
/// the frame; the thread takes them between reads of at most 100 ms. Stop
/// (and the destructor) sets a stop flag, closes the device and joins the
/// thread, so nothing is delivered after it returns.
class FootswitchReader : public QObject {
    Q_OBJECT
public:
    enum Event {
        PedalReleased = 0,
        PedalPressed = 1,
        DeviceArrived = 2,
        DeviceRemoved = 3,
        ReadingOn = 4,
        ReadingOff = 5,
    };
    static constexpr int kVendorId = 0x05F3;
    static constexpr int kProductId = 0x00F7;
    static constexpr int kReadTimeoutMs = 100;
    static constexpr int kReportBytes = 3;

    /// Takes the source; null reads the HID pedal through hidapi.
    explicit FootswitchReader(std::unique_ptr<IReportSource> source = nullptr, QObject* parent = nullptr);
    ~FootswitchReader() override;

    /// Starts the thread, which looks for the pedal and reads it while
    /// reading is on. False when it runs already.
    bool Start();
    /// Switches reading on or off.
    void Enable(bool on);
    bool IsEnabled() const { return m_enabled; }
    /// A device came (arrived) or went; only the pedal's device path
    /// wakes the thread. The path is a udev device path or a name that
    /// holds the HID id "0003:05F3:00F7"-style ids.
    void OnDeviceChange(bool arrived, const QString& devicePath);
    /// True when the path names the pedal.
    static bool MatchesDevice(const QString& devicePath);
    /// Sets the stop flag, closes the device and waits for the thread.
    void Stop();
    bool IsRunning() const;

signals:
    /// One event (see Event), on the thread of this object.
    void FootswitchEvent(int event);

private:
    void Run();
    void Post(int command);
    /// Tells the frame, through this object's thread.
    void Deliver(int event);
    /// Takes one command, waiting at most `waitMs`; -1 when none.
    int TakeCommand(int waitMs);
    /// One report read and turned into an event; false when the device went.
    bool ReadOnce();

    std::unique_ptr<IReportSource> m_source;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stop{false};
    bool m_enabled = true;       // UI thread
    bool m_reading = false;      // reader thread
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<int> m_commands;  // guarded by m_mutex
};
