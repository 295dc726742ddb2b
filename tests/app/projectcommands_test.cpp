// The project commands through the frame's menus and dialogs: first start,
// new, open, close and reopen, the recent list, save a copy, the timed
// backup, older and foreign project files, word-processor conversion and
// the stop-list files. Every refusal says why and changes no file.

#include "app/appids.h"
#include "app/startdlg.h"
#include "common/fakejetreader.h"
#include "framefixture.h"
#include "platform/office/officeconverter.h"
#include "common/fakejetreader.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/rtfreader.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"
#include "ui/checkmessagedlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTextDocument>

using namespace frametest;

namespace {

// The files of a folder; the journal beside an open project and the
// program's profile (written as the recent list changes) left out.
QStringList FilesIn(const QString& folder)
{
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    files.removeIf([](const QString& name) {
        return name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-shm")) ||
               name == QLatin1String("KORVAN10.ini");
    });
    return files;
}

// Answers the timed backup's question: OK or Cancel, the check box ticked
// or not.
void AnswerBackupQuestion(bool ok, bool keepAutomatic, QString* text = nullptr)
{
    WhenModalShows([=](QWidget* modal) {
        if (text)
            *text = ControlText(FindControl(modal, CheckMessageDlg::kTextId));
        auto* check = static_cast<QCheckBox*>(FindControl(modal, CheckMessageDlg::kCheckId));
        if (check->isChecked() != keepAutomatic)
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
        QTest::mouseClick(FindControl(modal, ok ? CheckMessageDlg::kOkId : CheckMessageDlg::kCancelId),
                          Qt::LeftButton);
    });
}

}  // namespace

TEST_F(FrameTest, FirstStartCreatesAProjectFromTheStartDialog)
{
    ShowFrame();
    const QString path = dir.file(QStringLiteral("Erstes Projekt.kv4"));
    messages.files.append({path});
    WhenModalShows([](QWidget* modal) {
        auto* combo = static_cast<QComboBox*>(FindControl(modal, CStartDlg::kUserId));
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("Eva"));
        auto* fresh = static_cast<QAbstractButton*>(FindControl(modal, CStartDlg::kNewProjectId));
        QTest::mouseClick(fresh, Qt::LeftButton, {}, QPoint(8, fresh->height() / 2));
        QTest::mouseClick(FindControl(modal, CStartDlg::kOkId), Qt::LeftButton);
    });
    QSignalSpy finished(frame.get(), &CMainFrame::StartupFinished);
    frame->StartDeferred(QString(), 0);
    ASSERT_TRUE(finished.wait());
    EXPECT_TRUE(finished.at(0).at(0).toBool()) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(OpenPath(), path);
    EXPECT_EQ(messages.prompts.value(0).kind, FilePromptKind::SaveFile);
    EXPECT_EQ(messages.prompts.value(0).title, QStringLiteral("New project"));
    EXPECT_EQ(db().GetUserName(), QStringLiteral("Eva"));
    EXPECT_TRUE(frame->Settings().users.contains(QStringLiteral("Eva")));
    EXPECT_EQ(frame->Settings().recentProjects, QStringList{path});
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();
}

TEST_F(FrameTest, OpenCloseReopenAndTheRecentList)
{
    ShowFrame();
    const QString study = MakeProject(QStringLiteral("Study.kv4"));
    const QString pilot = MakeProject(QStringLiteral("Pilot.kv4"));
    OpenThroughMenu(study);
    EXPECT_EQ(OpenPath(), study);
    EXPECT_EQ(messages.prompts.last().filter,
              QStringLiteral("Projects (*.kv4);;Projects of version 3 (*.kv3);;Projects of version 2 (*.kv2);;"
                             "Projects of the first generation (*.k2k);;Teamwork projects (*.nvp);;"
                             "Exchange projects (XML) (*.xml)"));
    const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Kept"));
    ASSERT_GT(group, 0);
    OpenThroughMenu(pilot);
    EXPECT_EQ(OpenPath(), pilot);
    EXPECT_EQ(frame->Settings().recentProjects, (QStringList{pilot, study}));
    // The list is in the profile at once, not only after a clean exit; the
    // prompt started in the user's documents.
    {
        PrivateProfile profile(g_program.ProfilePath);
        EXPECT_EQ(profile.GetString(QStringLiteral("Project"), QStringLiteral("Path1")), pilot);
        EXPECT_EQ(profile.GetString(QStringLiteral("Project"), QStringLiteral("Path2")), study);
    }
    EXPECT_EQ(messages.prompts.last().path,
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/'));

    // Entry 1 of the recent list is offered in the file menu and reopens
    // the first project with what was made in it.
    ClickMenuCommand(*frame, 0, CommandId::RecentProjectFirst);
    EXPECT_EQ(OpenPath(), study);
    EXPECT_EQ(db().FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Kept"));
    EXPECT_EQ(frame->Settings().recentProjects, (QStringList{study, pilot}));

    // A cancelled prompt changes nothing.
    ClickMenuCommand(*frame, 0, CommandId::OpenProject);
    EXPECT_EQ(OpenPath(), study);

    // Closing the frame closes the project whole; it opens again.
    frame->close();
    EXPECT_EQ(document.GetEngine(), nullptr);
    EXPECT_EQ(FilesIn(dir.path()).filter(QStringLiteral("Study")), QStringList{QStringLiteral("Study.kv4")});
    ShowFrame();
    OpenThroughMenu(study);
    EXPECT_EQ(db().FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Kept"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();
}

TEST_F(FrameTest, TheRecentListKeepsTenAndDropsAMissingProjectWhenChosen)
{
    ShowFrame();
    for (int i = 1; i <= 11; ++i)
        frame->AddToRecentList(QStringLiteral("/nowhere/p%1.kv4").arg(i));
    frame->AddToRecentList(QStringLiteral("/nowhere/p9.kv4"));
    frame->AddToRecentList(QStringLiteral("/nowhere/P9.kv4"));
    QStringList expected{QStringLiteral("/nowhere/P9.kv4"), QStringLiteral("/nowhere/p9.kv4")};
    for (int i : {11, 10, 8, 7, 6, 5, 4, 3})
        expected.append(QStringLiteral("/nowhere/p%1.kv4").arg(i));
    EXPECT_EQ(frame->Settings().recentProjects, expected);

    const QString open = MakeProject(QStringLiteral("Open.kv4"));
    OpenThroughMenu(open);
    ASSERT_EQ(OpenPath(), open);
    ClickMenuCommand(*frame, 0, CommandId::RecentProjectFirst);
    EXPECT_EQ(OpenPath(), open);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("/nowhere/P9.kv4")));
    EXPECT_FALSE(frame->Settings().recentProjects.contains(QStringLiteral("/nowhere/P9.kv4")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/nowhere/P9.kv4")));
}

TEST_F(FrameTest, RefusedOpeningsSayWhyAndLeaveEveryFileAsItWas)
{
    ShowFrame();
    const QString open = MakeProject(QStringLiteral("Open.kv4"));
    OpenThroughMenu(open);
    ASSERT_EQ(OpenPath(), open);
    ASSERT_TRUE(testutil::WriteFile(dir.file(QStringLiteral("Team.nvp")), "server=db1"));
    ASSERT_TRUE(testutil::WriteFile(dir.file(QStringLiteral("Export.XML")), "<project/>"));
    ASSERT_TRUE(testutil::WriteFile(dir.file(QStringLiteral("notes.kv4")), "just some notes"));
    const QStringList before = FilesIn(dir.path());
    QList<QByteArray> bytes;
    for (const QString& name : before)
        bytes.append(testutil::ReadFile(dir.file(name)));
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"Team.nvp", "not available yet"},
        {"Export.XML", "not an exported project"},
        {"missing.kv4", "missing.kv4"},
        {"notes.kv4", "notes.kv4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        messages.texts.clear();
        OpenThroughMenu(dir.file(QLatin1String(c.file)));
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts.first().contains(QLatin1String(c.says))) << messages.texts.first().toStdString();
        EXPECT_EQ(OpenPath(), open);
    }
    EXPECT_EQ(FilesIn(dir.path()), before);
    for (int i = 0; i < before.size(); ++i)
        EXPECT_EQ(testutil::ReadFile(dir.file(before[i])), bytes[i]) << before[i].toStdString();
}

TEST_F(FrameTest, NewProjectAndSaveACopyNeverTargetTheOpenProject)
{
    ShowFrame();
    const QString open = MakeProject(QStringLiteral("Open.kv4"));
    OpenThroughMenu(open);
    const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Wertvoll"));
    ASSERT_GT(group, 0);
    for (int command : {CommandId::NewProject, CommandId::BackupProject}) {
        SCOPED_TRACE(command);
        messages.texts.clear();
        messages.files.append({open});
        ClickMenuCommand(*frame, 0, command);
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("is the project that is open")));
        EXPECT_EQ(OpenPath(), open);
        EXPECT_EQ(db().FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Wertvoll"));
    }
    EXPECT_EQ(FilesIn(dir.path()).filter(QStringLiteral(".kv4")), QStringList{QStringLiteral("Open.kv4")});
}

TEST_F(FrameTest, NewProjectReplacesAChosenFileOnlyOnceTheNewOneIsWhole)
{
    ShowFrame();
    const QString old = MakeProject(QStringLiteral("Old.kv4"));
    {
        CKorDoc filler;
        auto engine = filler.OpenProjectFile(old, QStringLiteral("MAIN"));
        ASSERT_TRUE(engine && filler.OpenProject(std::move(engine), false));
        ASSERT_GT(filler.NewDocumentGroupNamed(QStringLiteral("alt")), 0);
    }
    messages.files.append({old});
    ClickMenuCommand(*frame, 0, CommandId::NewProject);
    EXPECT_EQ(OpenPath(), old);
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 0);
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("Old.kv4")});
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();
}

TEST_F(FrameTest, SaveACopyAndSwitchToIt)
{
    ShowFrame();
    const QString open = MakeProject(QStringLiteral("Open.kv4"));
    OpenThroughMenu(open);
    ASSERT_GT(document.NewDocumentGroupNamed(QStringLiteral("Mitgenommen")), 0);
    const QString copy = dir.file(QStringLiteral("Copy.kv4"));
    ASSERT_TRUE(testutil::WriteFile(copy, "an older file of that name"));

    {
        testutil::ScriptedMessages answers{{MessageAnswer::No}};
        answers.files.append({copy});
        ClickMenuCommand(*frame, 0, CommandId::BackupProject);
        EXPECT_EQ(OpenPath(), open);
        // A name is proposed beside the project.
        EXPECT_EQ(answers.prompts.value(0).path, dir.file(QStringLiteral("Open (copy).kv4")));
        ASSERT_EQ(answers.texts.size(), 1);
        EXPECT_EQ(answers.texts.first(), QStringLiteral("The copy of the project was saved. Open the copy now as "
                                                        "the current project?"));
    }
    EXPECT_EQ(FilesIn(dir.path()).filter(QStringLiteral(".kv4")),
              (QStringList{QStringLiteral("Copy.kv4"), QStringLiteral("Open.kv4")}));

    testutil::ScriptedMessages answers{{MessageAnswer::Yes}};
    answers.files.append({copy});
    ClickMenuCommand(*frame, 0, CommandId::BackupProject);
    EXPECT_EQ(OpenPath(), copy);
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);
    EXPECT_EQ(frame->Settings().recentProjects.value(0), copy);
}

TEST_F(FrameTest, TimedBackupAsksThenCopiesOrSwitchesItselfOff)
{
    ShowFrame();
    const QString path = MakeProject(QStringLiteral("Studie.kv4"));
    const QString folder = dir.file(QStringLiteral("Backup"));
    ASSERT_TRUE(QDir().mkpath(folder));
    OpenThroughMenu(path);
    g_qdaOptions.SetBool(QdaOption::AutomaticBackup, true);
    g_qdaOptions.SetInt(QdaOption::BackupDays, 14);
    g_qdaOptions.SetString(QdaOption::BackupFolder, folder);
    QDateTime now(QDate(2024, 5, 20), QTime(9, 30, 5));
    document.SetClock([&now] { return now; });
    ASSERT_TRUE(document.WriteSettingString(QStringLiteral("AutoBackup"), QStringLiteral("20240501")));

    // Not due: no question.
    document.SetClock([] { return QDateTime(QDate(2024, 5, 10), QTime(8, 0)); });
    frame->BackupProject();
    EXPECT_TRUE(FilesIn(folder).isEmpty());
    document.SetClock([&now] { return now; });

    QString question;
    AnswerBackupQuestion(true, true, &question);
    frame->BackupProject();
    EXPECT_TRUE(question.contains(QStringLiteral("19 days"))) << question.toStdString();
    EXPECT_EQ(FilesIn(folder), QStringList{QStringLiteral("Studie_20240520-093005.kv4")});
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts.last(), QStringLiteral("The backup copy was saved in the folder %1.").arg(folder));
    EXPECT_EQ(document.GetDaysSinceBackup(), 0);

    // In the same second a second backup would take the same name: skipped.
    ASSERT_TRUE(document.WriteSettingString(QStringLiteral("AutoBackup"), QStringLiteral("20240101")));
    frame->BackupProject();
    EXPECT_EQ(FilesIn(folder).size(), 1);

    // Declined with the check box cleared: no copy, and automatic backups
    // are off for good.
    now = now.addSecs(1);
    AnswerBackupQuestion(false, false);
    frame->BackupProject();
    EXPECT_EQ(FilesIn(folder).size(), 1);
    EXPECT_FALSE(g_qdaOptions.GetBool(QdaOption::AutomaticBackup));
    EXPECT_TRUE(QFileInfo::exists(g_program.OptionsFilePath));
    frame->BackupProject();   // asks nothing now

    // A backup folder that does not exist skips the backup silently.
    g_qdaOptions.SetBool(QdaOption::AutomaticBackup, true);
    g_qdaOptions.SetString(QdaOption::BackupFolder, dir.file(QStringLiteral("gone")));
    const qsizetype said = messages.texts.size();
    frame->BackupProject();
    EXPECT_EQ(messages.texts.size(), said);
}

TEST_F(FrameTest, OlderProjectFilesAreConvertedBesideTheOldOne)
{
    // A Jet file that holds no project: converted by the helper program,
    // then refused; the old file stays and no new file is left.
    const ProgramPaths saved = g_program;
    g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR "/");
    ShowFrame();
    const QString open = MakeProject(QStringLiteral("Open.kv4"));
    OpenThroughMenu(open);
    const QString old = dir.file(QStringLiteral("Northwind.k2k"));
    ASSERT_TRUE(QFile::copy(testutil::DataPath(QStringLiteral("jet/nwind.mdb")), old));
    const QByteArray oldBytes = testutil::ReadFile(old);
    messages.texts.clear();
    OpenThroughMenu(old);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("Northwind"))) << messages.texts.first().toStdString();
    EXPECT_EQ(OpenPath(), open);
    EXPECT_EQ(testutil::ReadFile(old), oldBytes);
    EXPECT_EQ(FilesIn(dir.path()), (QStringList{QStringLiteral("Northwind.k2k"), QStringLiteral("Open.kv4")}));

    // An older project: converted into a new project file beside it,
    // opened, and first in the recent list.
    const QString seed = MakeProject(QStringLiteral("seed.kv4"));
    {
        CKorDoc filler;
        auto engine = filler.OpenProjectFile(seed, QStringLiteral("MAIN"));
        ASSERT_TRUE(engine && filler.OpenProject(std::move(engine), false));
        ASSERT_GT(filler.NewDocumentGroupNamed(QStringLiteral("Aus 2009")), 0);
    }
    testutil::FakeJetReader reader = testutil::ServeSqliteAsJet(seed);
    QFile::remove(seed);
    const QString legacy = dir.file(QStringLiteral("Studie 2009.kv3"));
    ASSERT_TRUE(testutil::WriteJetHeader(legacy));
    const QByteArray legacyBytes = testutil::ReadFile(legacy);
    document.SetJetOpener([&reader](const QString&, QString*) -> std::unique_ptr<JetReader> {
        return std::make_unique<testutil::FakeJetReader>(reader);
    });
    messages.texts.clear();
    OpenThroughMenu(legacy);
    const QString converted = dir.file(QStringLiteral("Studie 2009.kv4"));
    EXPECT_EQ(OpenPath(), converted) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);
    EXPECT_EQ(testutil::ReadFile(legacy), legacyBytes);
    EXPECT_EQ(frame->Settings().recentProjects.value(0), converted);
    g_program = saved;
}

TEST_F(FrameTest, WordProcessorFilesAreConvertedToRichText)
{
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ShowFrame();
    // A .docx made by LibreOffice from a small RTF.
    const QString rtf = dir.file(QStringLiteral("Brief.rtf"));
    ASSERT_TRUE(testutil::WriteFile(rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Sehr geehrte Frau M\\'fcller,"
                                         "\\par danke f\\'fcr das Gespr\\'e4ch.\\par}"));
    QString docx;
    QString error;
    ASSERT_EQ(ConvertWithOffice(rtf, QStringLiteral("docx:MS Word 2007 XML"), dir.path(), docx, error),
              OfficeConvertResult::Converted)
        << error.toStdString();
    const QString target = dir.file(QStringLiteral("Brief converted.rtf"));
    ASSERT_TRUE(frame->ConvertWithWordProcessor(docx, target)) << messages.texts.join(u'\n').toStdString();
    QTextDocument converted;
    ASSERT_TRUE(rtf::ReadRtf(testutil::ReadFile(target), converted).ok);
    const QString text = converted.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Sehr geehrte Frau Müller,"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("danke für das Gespräch."))) << text.toStdString();

    // A file LibreOffice cannot read: a message, and the target untouched.
    const QByteArray before = testutil::ReadFile(target);
    const QString broken = dir.file(QStringLiteral("kaputt.docx"));
    ASSERT_TRUE(testutil::WriteFile(broken, QByteArray("PK\x03\x04", 4) + " not really a document"));
    messages.texts.clear();
    EXPECT_FALSE(frame->ConvertWithWordProcessor(broken, target));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("kaputt.docx")));
    EXPECT_EQ(testutil::ReadFile(target), before);
}

TEST_F(FrameTest, AMissingWordProcessorNamesThePackageToInstall)
{
    ShowFrame();
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    const QString source = dir.file(QStringLiteral("Brief.docx"));
    ASSERT_TRUE(testutil::WriteFile(source, "PK"));
    EXPECT_FALSE(frame->ConvertWithWordProcessor(source, dir.file(QStringLiteral("Brief.rtf"))));
    qputenv("PATH", savedPath);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("libreoffice-writer-nogui")));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("Brief.rtf"))));
}

TEST_F(FrameTest, StopListFilesRoundTripAndRefusalsAreReported)
{
    ShowFrame();
    OpenThroughMenu(MakeProject(QStringLiteral("Words.kv4")));
    document.SetWordList(QStringLiteral("und oder Äpfel"), false);
    const QString path = dir.file(QStringLiteral("StopList.txt"));
    ASSERT_TRUE(frame->SaveWordListText(path));
    const QByteArray bytes = testutil::ReadFile(path);
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
              QStringLiteral("oder\r\nund\r\näpfel"));

    document.SetWordList(QString(), false);
    ASSERT_TRUE(frame->LoadWordList(path));
    EXPECT_EQ(document.GetWordList(), (QStringList{QStringLiteral("oder"), QStringLiteral("und"), QStringLiteral("äpfel")}));
    // Text without a byte-order mark is Windows-1252.
    ASSERT_TRUE(testutil::WriteFile(path, "Stra\xDF" "e Caf\xE9"));
    ASSERT_TRUE(frame->LoadWordList(path));
    EXPECT_EQ(document.GetWordList(), (QStringList{QStringLiteral("café"), QStringLiteral("straße")}));
    // Text without a mark that is valid UTF-8 (as written on Linux) is UTF-8.
    ASSERT_TRUE(testutil::WriteFile(path, QStringLiteral("Äpfel grün").toUtf8()));
    ASSERT_TRUE(frame->LoadWordList(path));
    EXPECT_EQ(document.GetWordList(), (QStringList{QStringLiteral("grün"), QStringLiteral("äpfel")}));

    // A folder that does not exist: the list stays, and the user hears why.
    EXPECT_FALSE(frame->LoadWordList(dir.file(QStringLiteral("none/StopList.txt"))));
    EXPECT_EQ(document.GetWordList().size(), 2);
    EXPECT_FALSE(frame->SaveWordListText(dir.file(QStringLiteral("none/StopList.txt"))));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("none/StopList.txt")));
}
