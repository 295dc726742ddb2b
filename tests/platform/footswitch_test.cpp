// The foot-switch reader fed recorded report streams and device events;
// where the kernel offers /dev/uhid, a virtual pedal end to end.

#include "platform/footswitch/footswitchreader.h"
#include "platform/footswitch/hidreportsource.h"
#include "common/recordedreports.h"

#include <QFileInfo>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cstring>

#include <fcntl.h>
#include <hidapi.h>
#include <linux/uhid.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;

/// A reader on recorded reports with the events it delivered.
struct RecordedPedal {
    RecordedPedal()
    {
        auto source = std::make_unique<testutil::RecordedReports>();
        reports = source.get();
        reader = std::make_unique<FootswitchReader>(std::move(source));
        QObject::connect(reader.get(), &FootswitchReader::FootswitchEvent, reader.get(),
                         [this](int event) { events.append(event); });
    }
    bool WaitForEvents(qsizetype count)
    {
        return QTest::qWaitFor([&] { return events.size() >= count; }, kWaitMs);
    }

    testutil::RecordedReports* reports;   // owned by the reader
    std::unique_ptr<FootswitchReader> reader;
    QList<int> events;
};

TEST(FootswitchReaderTest, ReportsBecomePedalEvents)
{
    const struct {
        const char* name;
        std::vector<std::optional<const char*>> stream;
        QList<int> events;
    } cases[] = {
        {"the playback pedal pressed", {"000200"}, {FootswitchReader::PedalPressed}},
        {"no pedal pressed", {"000000"}, {FootswitchReader::PedalReleased}},
        {"the other pedals are ignored", {"000100", "000400", "000200"}, {FootswitchReader::PedalPressed}},
        {"press, release, press", {"000200", "000000", "000200"},
         {FootswitchReader::PedalPressed, FootswitchReader::PedalReleased, FootswitchReader::PedalPressed}},
        {"a failed read is a removal", {std::nullopt}, {FootswitchReader::DeviceRemoved}},
        {"a report cut short has no pedal byte", {"00", "000200"}, {FootswitchReader::PedalPressed}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedPedal pedal;
        ASSERT_TRUE(pedal.reader->Start());
        for (const auto& report : c.stream)
            pedal.reports->Push(report);
        ASSERT_TRUE(pedal.WaitForEvents(c.events.size())) << pedal.events.size();
        EXPECT_EQ(pedal.events, c.events);
        pedal.reader->Stop();
        EXPECT_FALSE(pedal.reader->IsRunning());
        EXPECT_FALSE(pedal.reports->IsOpen()) << "the device is closed when the reader stops";
    }
}

TEST(FootswitchReaderTest, OnlyThePedalsDeviceEventsWakeTheReader)
{
    RecordedPedal pedal;
    ASSERT_TRUE(pedal.reader->Start());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pedal.reports->IsOpen(); }, kWaitMs));
    ASSERT_EQ(pedal.reports->Searches(), 1);

    // Recorded udev paths: a mouse comes and goes, then the pedal.
    const QString mouse = QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:046D:C52B.0003/hidraw/hidraw1");
    const QString pedalPath = QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/0003:05F3:00F7.0007/hidraw/hidraw2");
    pedal.reader->OnDeviceChange(true, mouse);
    pedal.reader->OnDeviceChange(false, mouse);
    // Reading off and on again: echoed, and no new search.
    pedal.reader->Enable(false);
    pedal.reader->Enable(true);
    ASSERT_TRUE(pedal.WaitForEvents(2));
    pedal.reports->Push("000200");
    ASSERT_TRUE(pedal.WaitForEvents(3));
    EXPECT_EQ(pedal.events, (QList<int>{FootswitchReader::ReadingOff, FootswitchReader::ReadingOn,
                                        FootswitchReader::PedalPressed}));
    EXPECT_EQ(pedal.reports->Searches(), 1);
    EXPECT_TRUE(pedal.reports->IsOpen());

    pedal.reader->OnDeviceChange(false, pedalPath);
    ASSERT_TRUE(pedal.WaitForEvents(4));
    EXPECT_EQ(pedal.events.last(), FootswitchReader::DeviceRemoved);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pedal.reports->IsOpen(); }, kWaitMs));

    pedal.reader->OnDeviceChange(true, pedalPath);
    ASSERT_TRUE(pedal.WaitForEvents(5));
    EXPECT_EQ(pedal.events.last(), FootswitchReader::DeviceArrived);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pedal.reports->IsOpen(); }, kWaitMs));
    EXPECT_EQ(pedal.reports->Searches(), 2);
    EXPECT_EQ(pedal.events.size(), 5) << "the mouse woke nothing";
}

TEST(FootswitchReaderTest, WhileReadingIsOffReportsWait)
{
    RecordedPedal pedal;
    pedal.reader->Enable(false);
    ASSERT_TRUE(pedal.reader->Start());
    pedal.reports->Push("000200");
    pedal.reader->Enable(true);
    ASSERT_TRUE(pedal.WaitForEvents(2));
    EXPECT_EQ(pedal.events, (QList<int>{FootswitchReader::ReadingOn, FootswitchReader::PedalPressed}));
}

TEST(FootswitchReaderTest, ThePedalIsKnownByItsIds)
{
    const struct {
        const char* path;
        bool pedal;
    } cases[] = {
        {"/devices/pci0000:00/usb1/1-4/1-4:1.0/0003:05F3:00F7.0007/hidraw/hidraw2", true},
        {"/devices/virtual/misc/uhid/0003:05F3:00F7.0001/hidraw/hidraw0", true},
        {"/devices/pci0000:00/usb1/1-4/1-4:1.0/0003:05f3:00f7.000a/hidraw/hidraw3", true},
        {"\\\\?\\hid#vid_05f3&pid_00f7#7&1b2d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}", true},
        {"/devices/pci0000:00/usb1/1-2/1-2:1.0/0003:046D:C52B.0003/hidraw/hidraw1", false},
        {"/devices/pci0000:00/usb1/1-2/1-2:1.0/0003:05F3:00F8.0003/hidraw/hidraw1", false},
        {"/devices/pci0000:00/usb1/1-2/1-2:1.0/0003:15F3:00F7.0003/hidraw/hidraw1", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FootswitchReader::MatchesDevice(QString::fromLatin1(c.path)), c.pedal) << c.path;
}

// ---- A virtual pedal through the kernel's uhid --------------------------

bool WriteEvent(int fd, const uhid_event& event)
{
    return write(fd, &event, sizeof(event)) == ssize_t(sizeof(event));
}

TEST(FootswitchEndToEndTest, AVirtualPedalIsFoundAndRead)
{
    if (!QFileInfo(QStringLiteral("/dev/uhid")).isWritable())
        GTEST_SKIP() << "/dev/uhid is missing or not writable here";
    const int fd = open("/dev/uhid", O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // Three bytes of input: the pedal bits in the first.
    static const unsigned char descriptor[] = {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
        0x75, 0x08, 0x95, 0x03, 0x09, 0x01, 0x81, 0x02, 0xC0,
    };
    uhid_event create{};
    create.type = UHID_CREATE2;
    std::strncpy(reinterpret_cast<char*>(create.u.create2.name), "KORVAN10 test pedal", sizeof(create.u.create2.name) - 1);
    create.u.create2.rd_size = sizeof(descriptor);
    create.u.create2.bus = 0x03;
    create.u.create2.vendor = FootswitchReader::kVendorId;
    create.u.create2.product = FootswitchReader::kProductId;
    std::memcpy(create.u.create2.rd_data, descriptor, sizeof(descriptor));
    ASSERT_TRUE(WriteEvent(fd, create));

    HidReportSource probe(FootswitchReader::kVendorId, FootswitchReader::kProductId);
    const bool found = QTest::qWaitFor([&] { return probe.Open(); }, kWaitMs);
    probe.Close();
    if (!found) {
        uhid_event destroy{};
        destroy.type = UHID_DESTROY;
        WriteEvent(fd, destroy);
        close(fd);
        GTEST_SKIP() << "the virtual pedal's hidraw node cannot be opened here";
    }
    FootswitchReader reader;
    QList<int> events;
    QObject::connect(&reader, &FootswitchReader::FootswitchEvent, &reader, [&](int event) { events.append(event); });
    ASSERT_TRUE(reader.Start());
    // The reader may still be opening the device: press until it reads.
    uhid_event input{};
    input.type = UHID_INPUT2;
    input.u.input2.size = 3;
    input.u.input2.data[0] = 0x02;   // the pedal byte, which follows the id 0 when read
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            WriteEvent(fd, input);
            return !events.isEmpty();
        },
        kWaitMs));
    EXPECT_EQ(events.value(0), FootswitchReader::PedalPressed);
    reader.Stop();
    uhid_event destroy{};
    destroy.type = UHID_DESTROY;
    WriteEvent(fd, destroy);
    close(fd);
}

}  // namespace
