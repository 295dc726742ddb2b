// The support report written as RTF and read back by our own reader.
#include "foundation/systemreport.h"

#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/osversion.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfreader.h"

#include "common/testutil.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

struct ReadBack {
    QTextDocument document;
    QString text;  // rich-edit text: CR paragraph ends
};

std::unique_ptr<ReadBack> Read(const QByteArray& rtf)
{
    auto back = std::make_unique<ReadBack>();
    const rtf::ReadResult result = rtf::ReadRtf(rtf, back->document);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.damaged) << result.error.toStdString();
    back->text = rtf::RichTextMap(back->document).text();
    return back;
}

// The format of the character at a rich-edit position.
QTextCharFormat FormatAt(const QTextDocument& document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(rtf::RichTextMap(document).toDocument(position) + 1);
    return cursor.charFormat();
}

SystemReportInfo SampleInfo()
{
    SystemReportInfo info;
    info.programName = QStringLiteral("KORVAN10");
    info.version = QStringLiteral("10.0");
    info.userName = QStringLiteral("jdoe");
    info.computerName = QStringLiteral("lab-pc-07");
    info.osDescription = QStringLiteral("Debian GNU/Linux 12 (bookworm)\r\nx86-64 Processor\r\nLinux 6.1.0\n");
    info.folders = {"/opt/korvan",       "/home/jdoe/.config/Zepha/KORVAN10", "/usr/share/Zepha/KORVAN10",
                    "/home/jdoe/Documents/KORVAN10", "/home/jdoe/Documents/KORVAN_Externals",
                    "/home/jdoe/.config/Zepha/KORVAN10"};
    info.disks = {"/ (ext4): 1000 MB free of 5000 MB", "/home (xfs): 20 MB free of 100 MB"};
    return info;
}

}  // namespace

TEST(SystemReport, SectionsAndValues)
{
    const QString tail = QStringLiteral(
        "COMPUTER\rlab-pc-07\r\r"
        "OPERATING SYSTEM\rDebian GNU/Linux 12 (bookworm)\rx86-64 Processor\rLinux 6.1.0\r\r"
        "DIRECTORIES\r1: /opt/korvan\r2: /home/jdoe/.config/Zepha/KORVAN10\r3: /usr/share/Zepha/KORVAN10\r"
        "4: /home/jdoe/Documents/KORVAN10\r5: /home/jdoe/Documents/KORVAN_Externals\r"
        "6: /home/jdoe/.config/Zepha/KORVAN10\r\r"
        "DISKS\r/ (ext4): 1000 MB free of 5000 MB\r/home (xfs): 20 MB free of 100 MB\r");
    const QString head = QStringLiteral("KORVAN10\rVersion 10.0\r\rUSER\rjdoe\r");

    SystemReportInfo info = SampleInfo();
    EXPECT_EQ(Read(WriteSystemReport(info))->text, head + QStringLiteral("\r") + tail);
    info.userIsAdmin = true;
    EXPECT_EQ(Read(WriteSystemReport(info))->text,
              head + QStringLiteral("user is a member of the Administrator's group\r\r") + tail);

    // Missing folders leave their lines empty; no disks, no disk lines.
    info.folders = {QStringLiteral("/opt/korvan")};
    info.disks.clear();
    const QString text = Read(WriteSystemReport(info))->text;
    EXPECT_TRUE(text.contains(QStringLiteral("\r1: /opt/korvan\r2: \r3: \r4: \r5: \r6: \r\rDISKS\r")))
        << testutil::ShowControls(text).toStdString();
}

TEST(SystemReport, HeadingsInBoldVerdana)
{
    const auto back = Read(WriteSystemReport(SampleInfo()));
    const struct {
        const char* text;
        bool heading;
    } cases[] = {
        {"KORVAN10", true},       {"Version 10.0", true}, {"USER", true},      {"jdoe", false},
        {"COMPUTER", true},       {"lab-pc-07", false},   {"OPERATING SYSTEM", true},
        {"x86-64 Processor", false}, {"DIRECTORIES", true}, {"1: /opt", false}, {"DISKS", true},
        {"/home (xfs)", false},
    };
    for (const auto& c : cases) {
        const int at = int(back->text.indexOf(QLatin1String(c.text)));
        ASSERT_GE(at, 0) << c.text;
        const QTextCharFormat format = FormatAt(back->document, at);
        EXPECT_EQ(format.fontWeight() >= QFont::Bold, c.heading) << c.text;
        EXPECT_EQ(format.fontFamilies().toStringList().value(0), "Verdana") << c.text;
    }
}

namespace {

/// Sets the program-wide folders and restores them afterwards.
class SystemReportFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedProgram = g_program;
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        BuildOptionDefinitions();
        m_savedOption = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
        g_program.ProgramFolder = dir.file(QStringLiteral("program/"));
        g_program.SettingsFolder = dir.file(QStringLiteral("settings/"));
        g_program.SharedSettingsFolder = dir.file(QStringLiteral("shared/"));
        g_program.PersonalFolder = dir.file(QStringLiteral("documents"));
        g_program.SharedDocumentsFolder = dir.file(QStringLiteral("documents/KORVAN10"));
        g_program.OptionsFilePath = dir.file(QStringLiteral("settings/KORVAN10.prp"));
    }
    void TearDown() override
    {
        g_qdaOptions.SetString(QdaOption::ExternalsFolder, m_savedOption);
        g_pStringStore->Close();
        g_program = m_savedProgram;
    }

    testutil::TempDir dir;

private:
    ProgramPaths m_savedProgram;
    QString m_savedOption;
};

}  // namespace

TEST_F(SystemReportFolders, SixFoldersWithoutTrailingSlash)
{
    g_program.PortableMode = false;
    g_qdaOptions.SetString(QdaOption::ExternalsFolder, dir.file(QStringLiteral("ext/")));
    EXPECT_EQ(CollectSystemReportInfo().folders,
              QStringList({dir.file("program"), dir.file("settings"), dir.file("shared"), dir.file("documents/KORVAN10"),
                           dir.file("ext"), dir.file("settings")}));

    // Portable: the program folder four times, the default externals folder beside the program.
    g_program.PortableMode = true;
    g_program.OptionsFilePath = dir.file(QStringLiteral("program/Settings/KORVAN10.prp"));
    g_qdaOptions.SetString(QdaOption::ExternalsFolder, QString());
    const QString program = dir.file(QStringLiteral("program"));
    EXPECT_EQ(CollectSystemReportInfo().folders,
              QStringList({program, program, program, program, program + QStringLiteral("/KORVAN_Externals"),
                           program + QStringLiteral("/Settings")}));

    g_program.OptionsFilePath.clear();
    EXPECT_EQ(CollectSystemReportInfo().folders.value(5), QString());
}

TEST_F(SystemReportFolders, ReportOfThisSystem)
{
    // None of the folders exists yet: the disk of their nearest existing parent is listed once.
    const SystemReportInfo info = CollectSystemReportInfo();
    EXPECT_EQ(info.programName, LoadString(FoundationText::ProgramTitle));
    EXPECT_EQ(info.version, LoadString(FoundationText::ProgramVersion));
    EXPECT_FALSE(info.version.isEmpty());
    EXPECT_FALSE(info.userName.isEmpty());
    EXPECT_EQ(info.osDescription, GetOSDescription());
    ASSERT_EQ(info.disks.size(), 1) << info.disks.join(u'|').toStdString();
    EXPECT_TRUE(info.disks[0].contains(QStringLiteral(" MB free of "))) << info.disks[0].toStdString();

    QByteArray rtf = "stale";
    BuildSystemReport(rtf);
    const QString text = Read(rtf)->text;
    QString expected = QStringLiteral("%1\rVersion %2\r\rUSER\r%3\r").arg(info.programName, info.version, info.userName);
    if (info.userIsAdmin)
        expected += QStringLiteral("user is a member of the Administrator's group\r");
    expected += QStringLiteral("\rCOMPUTER\r") + info.computerName;
    EXPECT_TRUE(text.startsWith(expected)) << testutil::ShowControls(text).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r5: ") + dir.file(QStringLiteral("documents/KORVAN_Externals")) + u'\r'));
    // Free space moves while other programs write, so only the volume is compared.
    const QString volume = info.disks[0].left(info.disks[0].indexOf(u':') + 1);
    EXPECT_TRUE(text.contains(QStringLiteral("\rDISKS\r") + volume)) << testutil::ShowControls(text).toStdString();
}
