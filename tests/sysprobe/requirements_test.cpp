// The checker's judgement of measured figures, from the library's sources.

#include "sysprobe/requirements.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

#include <functional>

using sysprobe::Measurement;
using sysprobe::State;
using sysprobe::States;
using sysprobe::Version;

namespace sysprobe {
void PrintTo(State s, std::ostream* out)
{
    *out << static_cast<int>(s);
}
}  // namespace sysprobe

namespace {

/// A machine that just meets every recommended limit.
Measurement recommendedMachine()
{
    const sysprobe::Limits& l = sysprobe::kLimits;
    Measurement m;
    m.processors = l.processors.recommended;
    m.memoryMiB = l.memoryMiB.recommended;
    m.freeDiskMiB = l.freeDiskMiB.recommended;
    m.screen = std::array<int, 2>{l.screenWidth.recommended, l.screenHeight.recommended};
    m.systemName = "Linux";
    m.kernel = l.kernel.recommended;
    m.osReleaseFound = true;
    m.qt = l.qt.recommended;
    m.sqlite = l.sqlite.recommended;
    m.libreOfficeFound = true;
    m.libreOffice = l.libreOfficeRecommended;
    return m;
}

struct ClassifyCase {
    const char* name;
    std::function<void(Measurement&)> change;
    // Expected cpu, memory, disk, monitor, os, libraries; the summaries are
    // checked against them.
    std::array<int, 6> parts;
};

}  // namespace

TEST(SysprobeClassify, JudgesEachFigureAgainstItsLimits)
{
    const sysprobe::Limits& l = sysprobe::kLimits;
    const std::vector<ClassifyCase> cases = {
        {"all at recommended", [](Measurement&) {}, {0, 0, 0, 0, 0, 0}},
        {"processors between limits", [&](Measurement& m) { m.processors = l.processors.recommended - 1; }, {1, 0, 0, 0, 0, 0}},
        {"processors at minimal", [&](Measurement& m) { m.processors = l.processors.minimal; }, {1, 0, 0, 0, 0, 0}},
        {"processors below minimal", [&](Measurement& m) { m.processors = l.processors.minimal - 1; }, {2, 0, 0, 0, 0, 0}},
        {"processors unknown", [](Measurement& m) { m.processors = 0; }, {2, 0, 0, 0, 0, 0}},
        {"memory at minimal", [&](Measurement& m) { m.memoryMiB = l.memoryMiB.minimal; }, {0, 1, 0, 0, 0, 0}},
        {"memory below minimal", [&](Measurement& m) { m.memoryMiB = l.memoryMiB.minimal - 1; }, {0, 2, 0, 0, 0, 0}},
        {"memory unknown", [](Measurement& m) { m.memoryMiB.reset(); }, {0, 2, 0, 0, 0, 0}},
        {"disk below recommended", [&](Measurement& m) { m.freeDiskMiB = l.freeDiskMiB.recommended - 1; }, {0, 0, 1, 0, 0, 0}},
        {"disk full", [](Measurement& m) { m.freeDiskMiB = 0; }, {0, 0, 2, 0, 0, 0}},
        {"disk unreadable", [](Measurement& m) { m.freeDiskMiB.reset(); }, {0, 0, 2, 0, 0, 0}},
        {"no screen is not judged", [](Measurement& m) { m.screen.reset(); }, {0, 0, 0, 0, 0, 0}},
        {"screen one line short", [&](Measurement& m) { (*m.screen)[1] = l.screenHeight.recommended - 1; }, {0, 0, 0, 1, 0, 0}},
        {"screen at minimal", [&](Measurement& m) { m.screen = std::array<int, 2>{l.screenWidth.minimal, l.screenHeight.minimal}; }, {0, 0, 0, 1, 0, 0}},
        {"screen too narrow though tall", [&](Measurement& m) { m.screen = std::array<int, 2>{l.screenWidth.minimal - 1, 4000}; }, {0, 0, 0, 2, 0, 0}},
        {"kernel between limits", [](Measurement& m) { m.kernel = Version(5, 9, 99); }, {0, 0, 0, 0, 1, 0}},
        {"kernel too old", [&](Measurement& m) { m.kernel = Version(4, 18, 200); }, {0, 0, 0, 0, 2, 0}},
        {"kernel unknown", [](Measurement& m) { m.kernel.reset(); }, {0, 0, 0, 0, 2, 0}},
        {"not Linux", [](Measurement& m) { m.systemName = "FreeBSD"; }, {0, 0, 0, 0, 2, 0}},
        {"no os-release", [](Measurement& m) { m.osReleaseFound = false; }, {0, 0, 0, 0, 1, 0}},
        {"Qt between limits", [](Measurement& m) { m.qt = Version(6, 3, 2); }, {0, 0, 0, 0, 0, 1}},
        {"Qt too old", [](Measurement& m) { m.qt = Version(6, 1); }, {0, 0, 0, 0, 0, 2}},
        {"SQLite without DROP COLUMN", [](Measurement& m) { m.sqlite = Version(3, 34, 1); }, {0, 0, 0, 0, 0, 2}},
        {"SQLite missing", [](Measurement& m) { m.sqlite.reset(); }, {0, 0, 0, 0, 0, 2}},
        {"LibreOffice missing", [](Measurement& m) { m.libreOfficeFound = false; m.libreOffice.reset(); }, {0, 0, 0, 0, 0, 1}},
        {"LibreOffice version unreadable", [](Measurement& m) { m.libreOffice.reset(); }, {0, 0, 0, 0, 0, 1}},
        {"LibreOffice very old", [](Measurement& m) { m.libreOffice = Version(3, 0); }, {0, 0, 0, 0, 0, 1}},
        {"hardware and software both short",
         [&](Measurement& m) { m.processors = l.processors.minimal - 1; m.qt = Version(6, 3); },
         {2, 0, 0, 0, 0, 1}},
    };
    for (const ClassifyCase& c : cases) {
        SCOPED_TRACE(c.name);
        Measurement m = recommendedMachine();
        c.change(m);
        const States s = sysprobe::Classify(m);
        const std::array<State, 6> parts{s.cpu, s.memory, s.disk, s.monitor, s.os, s.libraries};
        for (size_t i = 0; i < parts.size(); ++i)
            EXPECT_EQ(static_cast<int>(parts[i]), c.parts[i]) << "figure " << i;
        EXPECT_EQ(s.reserve, State::Recommended);
        EXPECT_EQ(s.hardware, std::max({s.cpu, s.memory, s.disk, s.monitor}));
        EXPECT_EQ(s.software, std::max({s.os, s.libraries, s.reserve}));
        EXPECT_EQ(s.overall, std::max(s.hardware, s.software));
    }
}

TEST(SysprobeParse, VersionsTakeTheLeadingDottedNumber)
{
    struct Case {
        const char* text;
        std::optional<Version> expected;
    };
    const std::vector<Case> cases = {
        {"6.1.0-18-amd64", Version(6, 1, 0)},
        {"3.40.1", Version(3, 40, 1)},
        {"  7.4", Version(7, 4)},
        {"10", Version(10, 0)},
        {"1.2.3.4", Version(1, 2, 3)},
        {"5.10.", Version(5, 10)},
        {"99999999999999.1", Version(INT_MAX, 1)},
        {"v6.4", std::nullopt},
        {"", std::nullopt},
        {"-1.0", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Version> v = sysprobe::ParseVersion(c.text);
        ASSERT_EQ(v.has_value(), c.expected.has_value());
        if (v) {
            EXPECT_EQ(v->parts, c.expected->parts);
        }
    }
    EXPECT_LT(Version(5, 9, 99), Version(5, 10));
    EXPECT_LT(Version(6, 4), Version(6, 4, 2));
}

TEST(SysprobeParse, CpuInfoCountsProcessorsAndFindsTheModel)
{
    const char* x86 =
        "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel\t\t: 142\nmodel name\t: Intel(R) Core(TM) i5\ncpu MHz\t\t: 2400.000\n\n"
        "processor\t: 1\nvendor_id\t: GenuineIntel\nmodel\t\t: 142\nmodel name\t: Intel(R) Core(TM) i5\n\n";
    const sysprobe::CpuInfo a = sysprobe::ParseCpuInfo(x86);
    EXPECT_EQ(a.processors, 2);
    EXPECT_EQ(a.model, "Intel(R) Core(TM) i5");

    // ARM boards name the board at the end, after the processors.
    const char* arm =
        "processor\t: 0\nBogoMIPS\t: 108.00\nCPU part\t: 0xd08\n\nprocessor\t: 1\n\nprocessor\t: 2\n\n"
        "processor\t: 3\n\nHardware\t: BCM2835\nModel\t\t: Raspberry Pi 4 Model B Rev 1.4\n";
    const sysprobe::CpuInfo b = sysprobe::ParseCpuInfo(arm);
    EXPECT_EQ(b.processors, 4);
    EXPECT_EQ(b.model, "Raspberry Pi 4 Model B Rev 1.4");

    const sysprobe::CpuInfo none = sysprobe::ParseCpuInfo("garbage without separators\n\n:\n");
    EXPECT_EQ(none.processors, 0);
    EXPECT_EQ(none.model, "");
}

TEST(SysprobeParse, KeyValueFilesGiveUnquotedValues)
{
    const char* osRelease =
        "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nVERSION_ID='12'\nID=debian\n"
        "PRETTY_NAME=\"second one ignored\"\n";
    EXPECT_EQ(sysprobe::ValueOf(osRelease, "PRETTY_NAME"), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(sysprobe::ValueOf(osRelease, "VERSION_ID"), "12");
    EXPECT_EQ(sysprobe::ValueOf(osRelease, "ID"), "debian");
    EXPECT_EQ(sysprobe::ValueOf(osRelease, "NAME"), "Debian GNU/Linux");
    EXPECT_EQ(sysprobe::ValueOf(osRelease, "VERSION"), "");
    EXPECT_EQ(sysprobe::ValueOf("[Bootstrap]\r\nProductKey=LibreOffice 7.4\r\n", "ProductKey"), "LibreOffice 7.4");
}

TEST(SysprobeMeasure, ReadsThisMachine)
{
    testutil::TempDir office;
    const QString program = office.file(QStringLiteral("soffice"));
    ASSERT_TRUE(testutil::WriteFile(program, "#!/bin/sh\n"));
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(testutil::WriteFile(office.file(QStringLiteral("bootstraprc")),
                                    "[Bootstrap]\nProductKey=LibreOffice 7.4\n"));
    testutil::TempDir home;

    // A folder without the program is passed over for the next.
    const Measurement m = sysprobe::MeasureSystem(home.path().toStdString(),
                                                  {home.path().toStdString(), office.path().toStdString()});
    EXPECT_GT(m.processors, 0);
    ASSERT_TRUE(m.memoryMiB);
    EXPECT_GT(*m.memoryMiB, 0u);
    EXPECT_TRUE(m.freeDiskMiB);
    EXPECT_EQ(m.systemName, "Linux");
    EXPECT_TRUE(m.kernel);
    EXPECT_TRUE(m.sqlite);
    EXPECT_FALSE(m.screen);
    EXPECT_TRUE(m.libreOfficeFound);
    ASSERT_TRUE(m.libreOffice);
    EXPECT_EQ(m.libreOffice->parts, Version(7, 4).parts);

    const Measurement missing = sysprobe::MeasureSystem("/nonexistent/home", {});
    EXPECT_FALSE(missing.freeDiskMiB);
    EXPECT_FALSE(missing.libreOfficeFound);
    EXPECT_EQ(sysprobe::Classify(missing).disk, State::Insufficient);
}
