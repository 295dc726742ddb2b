// The system description from os-release, /proc/cpuinfo and /proc/meminfo
// texts handed in, so nothing depends on the machine the tests run on.
#include "foundation/osversion.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

TEST(OsRelease, NameOfSamples)
{
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION=\"12 (bookworm)\"\n"
         "ID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        // Unquoted values, a comment, blank lines and CR LF line ends.
        {"# written by hand\r\n\r\nNAME=Alpine\r\nPRETTY_NAME=Alpine\\ Linux\\ v3.19\r\n", "Alpine Linux v3.19"},
        {"NAME='Fedora Linux'\nPRETTY_NAME='Fedora Linux 39 (Workstation Edition)'\n",
         "Fedora Linux 39 (Workstation Edition)"},
        // Without PRETTY_NAME: NAME and VERSION; NAME alone.
        {"NAME=\"Ubuntu\"\nVERSION=\"22.04.4 LTS (Jammy Jellyfish)\"\n", "Ubuntu 22.04.4 LTS (Jammy Jellyfish)"},
        {"NAME=\"Arch Linux\"\nID=arch\n", "Arch Linux"},
        {"PRETTY_NAME=\"\"\nNAME=Gentoo\n", "Gentoo"},
        // Escaped quotes and backslashes; what follows a closing quote is not part of the value.
        {"PRETTY_NAME=\"Say \\\"hi\\\" C:\\\\os\" # trailing\n", "Say \"hi\" C:\\os"},
        // Blanks around the key, UTF-8, the last assignment wins.
        {"  PRETTY_NAME = \"old\"\nPRETTY_NAME=\"Débian Ünstable\"\n", "Débian Ünstable"},
        // A damaged file: an unclosed quote keeps the rest of the line, junk lines are skipped.
        {"garbage without equals\n=novalue\nPRETTY_NAME=\"Open end\n", "Open end"},
        {"", ""},
        {"\x01\x02=\xff\xfe\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseOsRelease(QByteArray(c.text)), QString::fromUtf8(c.name)) << c.text;
}

TEST(OsRelease, CpuAndMemory)
{
    const QByteArray x86 =
        "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) Processor\nflags\t\t: fpu vme\n\n"
        "processor\t: 1\nmodel name\t: Intel(R) Xeon(R) Processor\n\n"
        "processor\t: 2\nmodel name\t: Other\n\n";
    // ARM lists no model name.
    const QByteArray arm = "processor\t: 0\nBogoMIPS\t: 48.00\nCPU implementer\t: 0x41\n\nprocessor\t: 1\n";

    OSVersionRecord record;
    ParseCpuInfo(x86, record);
    EXPECT_EQ(record.processorModel, "Intel(R) Xeon(R) Processor");
    EXPECT_EQ(record.processorCount, 3);
    ParseCpuInfo(arm, record);
    EXPECT_EQ(record.processorModel, "");
    EXPECT_EQ(record.processorCount, 2);
    ParseCpuInfo("", record);
    EXPECT_EQ(record.processorCount, 0);

    EXPECT_EQ(ParseMemInfo("MemTotal:       24682360 kB\nMemFree:        19172132 kB\n"), 24682360);
    EXPECT_EQ(ParseMemInfo("MemFree:        19172132 kB\nMemTotal: 1024 kB"), 1024);
    EXPECT_EQ(ParseMemInfo("MemTotal: lots kB\n"), 0);
    EXPECT_EQ(ParseMemInfo("MemTotal: -5 kB\n"), 0);
    EXPECT_EQ(ParseMemInfo(""), 0);
}

TEST(OsDescription, Lines)
{
    OSVersionRecord debian;
    debian.osName = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    debian.kernelName = QStringLiteral("Linux");
    debian.kernelRelease = QStringLiteral("6.1.0-18-amd64");
    debian.kernelBuild = QStringLiteral("#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)");
    debian.machine = QStringLiteral("x86_64");
    debian.processorModel = QStringLiteral("Intel(R) Xeon(R) Processor");
    debian.processorCount = 8;
    debian.memoryKiB = 24682360;

    OSVersionRecord arm;
    arm.osName = QStringLiteral("Raspbian GNU/Linux 11 (bullseye)");
    arm.kernelName = QStringLiteral("Linux");
    arm.kernelRelease = QStringLiteral("6.1.21-v8+");
    arm.machine = QStringLiteral("aarch64");
    arm.processorCount = 4;

    OSVersionRecord odd;
    odd.machine = QStringLiteral("riscv64");

    const struct {
        const OSVersionRecord* record;
        const char* text;
    } cases[] = {
        {&debian,
         "Debian GNU/Linux 12 (bookworm)\r\nx86-64 Processor\r\n8 x Intel(R) Xeon(R) Processor\r\n24104 MB memory\r\n"
         "Linux 6.1.0-18-amd64 #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)\n"},
        {&arm, "Raspbian GNU/Linux 11 (bullseye)\r\nARM Processor\r\n4 logical processors\r\nLinux 6.1.21-v8+\n"},
        // Nothing known but an unnamed processor family.
        {&odd, "Unknown OS\r\nriscv64 Processor\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetOSDescription(*c.record), QString::fromUtf8(c.text));

    OSVersionRecord none;
    EXPECT_EQ(GetOSDescription(none), "Unknown OS\r\nUnknown Processor\n");
}

TEST(OsDescription, ProcessorKinds)
{
    const struct {
        const char* machine;
        const char* line;
    } cases[] = {
        {"x86_64", "x86-64"}, {"i686", "x86-32"}, {"i386", "x86-32"}, {"aarch64", "ARM"},
        {"armv7l", "ARM"},    {"ppc64le", "PPC"}, {"mips64", "MIPS"}, {"ia64", "IA64 Itanium[2]"},
        {"alpha", "Alpha"},   {"sh4", "SHX"},     {"s390x", "s390x"},
    };
    for (const auto& c : cases) {
        OSVersionRecord record;
        record.osName = QStringLiteral("X");
        record.machine = QString::fromLatin1(c.machine);
        EXPECT_EQ(GetOSDescription(record), QStringLiteral("X\r\n%1 Processor\n").arg(QLatin1String(c.line)))
            << c.machine;
    }
}

TEST(OsDescription, ThisSystem)
{
    OSVersionRecord record;
    ASSERT_TRUE(OSVersionInfo::GetVersion(record));
    EXPECT_FALSE(record.kernelName.isEmpty());
    EXPECT_FALSE(record.machine.isEmpty());
    EXPECT_FALSE(OSVersionInfo::IsWindowsVista(record));
    EXPECT_TRUE(IsVistaOrLater());
    EXPECT_EQ(GetOSDescription(), GetOSDescription(record));
}
