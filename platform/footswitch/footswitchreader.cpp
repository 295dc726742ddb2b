#include "platform/footswitch/footswitchreader.h"

#include "platform/footswitch/hidreportsource.h"

#include <QThread>

#include <chrono>

namespace {

// The byte after the report id: which pedal is down.
constexpr int kPedalByte = 1;
constexpr unsigned char kNothingPressed = 0;
constexpr unsigned char kPlaybackPedal = 2;

QString HidIdText(int vendorId, int productId)
{
    // HID device names read "bus:vendor:product.instance", four hex digits each.
    return QStringLiteral(":%1:%2.").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0')).toUpper();
}

QString WindowsIdText(int vendorId, int productId)
{
    return QStringLiteral("VID_%1&PID_%2").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

FootswitchReader::FootswitchReader(std::unique_ptr<IReportSource> source, QObject* parent)
    : QObject(parent), m_source(source ? std::move(source) : std::make_unique<HidReportSource>(kVendorId, kProductId))
{
}

FootswitchReader::~FootswitchReader()
{
    Stop();
}

bool FootswitchReader::Start()
{
    if (m_thread)
        return false;
    m_stop = false;
    m_reading = m_enabled;
    m_thread.reset(QThread::create([this] { Run(); }));
    m_thread->setObjectName(QStringLiteral("FootswitchReader"));
    m_thread->start();
    return true;
}

bool FootswitchReader::IsRunning() const
{
    return m_thread && m_thread->isRunning();
}

void FootswitchReader::Stop()
{
    if (!m_thread)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_commands.clear();
    }
    m_wake.notify_all();
    m_thread->wait();
    m_thread.reset();
}

void FootswitchReader::Enable(bool on)
{
    m_enabled = on;
    Post(on ? ReadingOn : ReadingOff);
}

bool FootswitchReader::MatchesDevice(const QString& devicePath)
{
    const QString upper = devicePath.toUpper();
    return upper.contains(HidIdText(kVendorId, kProductId)) || upper.contains(WindowsIdText(kVendorId, kProductId));
}

void FootswitchReader::OnDeviceChange(bool arrived, const QString& devicePath)
{
    if (MatchesDevice(devicePath))
        Post(arrived ? DeviceArrived : DeviceRemoved);
}

void FootswitchReader::Post(int command)
{
    if (!m_thread)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
    }
    m_wake.notify_all();
}

void FootswitchReader::Deliver(int event)
{
    // Queued to this object's thread; a reader that stopped meanwhile (the
    // thread is joined before) drops what was still on its way.
    QMetaObject::invokeMethod(
        this,
        [this, event] {
            if (m_thread)
                emit FootswitchEvent(event);
        },
        Qt::QueuedConnection);
}

int FootswitchReader::TakeCommand(int waitMs)
{
    std::unique_lock lock(m_mutex);
    if (m_commands.empty() && waitMs > 0)
        m_wake.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_stop || !m_commands.empty(); });
    if (m_stop || m_commands.empty())
        return -1;
    const int command = m_commands.front();
    m_commands.pop_front();
    return command;
}

bool FootswitchReader::ReadOnce()
{
    unsigned char report[kReportBytes] = {};
    const int read = m_source->Read(report, kReportBytes, kReadTimeoutMs);
    if (read < 0)
        return false;
    if (read > kPedalByte && report[kPedalByte] == kNothingPressed)
        Deliver(PedalReleased);
    else if (read > kPedalByte && report[kPedalByte] == kPlaybackPedal)
        Deliver(PedalPressed);
    return true;
}

void FootswitchReader::Run()
{
    m_source->Open();
    while (!m_stop) {
        const bool reading = m_reading && m_source->IsOpen();
        const int command = TakeCommand(reading ? 0 : kReadTimeoutMs);
        if (command >= 0) {
            Deliver(command);
            switch (command) {
            case DeviceArrived: m_source->Open(); break;
            case DeviceRemoved: m_source->Close(); break;
            case ReadingOn: m_reading = true; break;
            case ReadingOff: m_reading = false; break;
            default: break;
            }
            continue;
        }
        if (reading && !m_stop && !ReadOnce()) {
            m_source->Close();
            Deliver(DeviceRemoved);
        }
    }
    m_source->Close();
}
