// Start-up and shutdown of the whole program, headless, in a home folder
// of the test's own: folders, portable mode, the language, the options,
// the command line and the actions that run after the program ended.

#include "app/mainapp.h"
#include "app/mainframe.h"
#include "app/splash.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

const QString kBasic = QStringLiteral("Basic");
const QString kLangMain = QStringLiteral("LangMain");

class RecordingLauncher : public IProcessLauncher {
public:
    bool OpenTarget(const QString& target) override
    {
        opened.append(target);
        return true;
    }
    bool StartDetached(const QString& program, const QStringList& arguments, const QString& folder) override
    {
        started.append(program);
        startedArguments.append(arguments);
        workingFolder = folder;
        return true;
    }
    QStringList opened;
    QStringList started;
    QList<QStringList> startedArguments;
    QString workingFolder;
};

// A program folder with the language table, and a user settings folder
// emptied before each test.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_userSettings = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir(m_userSettings).removeRecursively();
        ASSERT_TRUE(QFile::copy(testutil::StringTablePath(), program.file(QStringLiteral("KORVAN10.str"))));
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = {};
    }
    // Starts, runs `whileRunning` and shuts down; false when start-up failed.
    template <typename Body>
    bool Run(const QStringList& arguments, Body whileRunning)
    {
        CMainApp app;
        app.SetLauncher(&launcher);
        if (!app.InitInstance(QStringList{QStringLiteral("KORVAN10")} + arguments, program.path())) {
            EXPECT_EQ(app.MainFrame(), nullptr);
            return false;
        }
        whileRunning(app);
        EXPECT_EQ(app.ExitInstance(0), 0);
        return true;
    }
    bool Run(const QStringList& arguments = {})
    {
        return Run(arguments, [](CMainApp&) {});
    }
    QString UserProfile() const { return QDir(m_userSettings).filePath(QStringLiteral("KORVAN10.ini")); }
    QString PortableProfile() const { return program.file(QStringLiteral("Settings/Settings.ini")); }

    testutil::TempDir program;
    testutil::ScriptedMessages messages;
    RecordingLauncher launcher;

private:
    QString m_userSettings;
};

}  // namespace

TEST_F(StartupTest, FreshHomeStartsAndShutsDown)
{
    QString documents;
    ASSERT_TRUE(Run({}, [&](CMainApp& app) {
        ASSERT_NE(app.MainFrame(), nullptr);
        EXPECT_TRUE(app.MainFrame()->isVisible());
        EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("KORVAN10  10.0"));
        EXPECT_EQ(app.MainFrame()->menuBar()->actions().value(0)->text(), QStringLiteral("&File"));
        // The splash stays until the frame's start-up closes it.
        EXPECT_NE(CSplash::Running(), nullptr);
        EXPECT_TRUE(app.PendingProjectPath().isEmpty());
        EXPECT_EQ(g_program.LanguageIndex, 1);
        documents = g_program.DocumentsFolder;
        EXPECT_TRUE(QFileInfo(documents).isDir());
        EXPECT_EQ(g_program.ExportFolder, documents);
        EXPECT_EQ(g_qdaOptions.GetString(QdaOption::BackupFolder), QDir(documents).filePath(QStringLiteral("Backup")));
        EXPECT_TRUE(QFileInfo(QDir(documents).filePath(QStringLiteral("Backup"))).isDir());
    }));
    EXPECT_EQ(CSplash::Running(), nullptr);
    EXPECT_FALSE(g_pStringStore->IsOpen());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();

    // The settled values are in the user's profile; the new backup folder
    // made the options file, written whole (no temporary file left).
    const PrivateProfile profile(UserProfile());
    EXPECT_EQ(profile.GetInt(kBasic, kLangMain, -1), 1);
    EXPECT_EQ(profile.GetString(QStringLiteral("Dir"), QStringLiteral("Export")), documents);
    const QDir settings(QFileInfo(UserProfile()).absolutePath());
    EXPECT_EQ(settings.entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("KORVAN10.ini"), QStringLiteral("KORVAN10.prp")}));
    EXPECT_FALSE(QFileInfo::exists(PortableProfile()));
    EXPECT_TRUE(launcher.opened.isEmpty());
    EXPECT_TRUE(launcher.started.isEmpty());
}

TEST_F(StartupTest, LanguageChoiceAndWhereItIsWritten)
{
    const struct {
        const char* name;
        QList<QPair<QString, int>> portable;   // values of "Basic" beside the program
        int userLangMain;                      // -100: no value in the user's profile
        int expected;
        QString menuFile;
    } cases[] = {
        {"setup's choice", {{QStringLiteral("LangSetup"), 0}}, -100, 0, QStringLiteral("&Datei")},
        {"user's choice wins", {{QStringLiteral("LangSetup"), 0}}, 1, 1, QStringLiteral("&File")},
        {"negative becomes English", {}, -3, 1, QStringLiteral("&File")},
        {"portable", {{QStringLiteral("Portable"), 1}, {QStringLiteral("LangSetup"), 0}}, 1, 0, QStringLiteral("&Datei")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(program.file(QStringLiteral("Settings"))).removeRecursively();
        QFile::remove(UserProfile());
        QDir().mkpath(program.file(QStringLiteral("Settings")));
        PrivateProfile portable(PortableProfile());
        for (const auto& [key, value] : c.portable) {
            ASSERT_TRUE(portable.WriteInt(kBasic, key, value));
        }
        if (c.userLangMain != -100) {
            ASSERT_TRUE(PrivateProfile(UserProfile()).WriteInt(kBasic, kLangMain, c.userLangMain));
        }
        const QByteArray userBefore = testutil::ReadFile(UserProfile());
        const bool isPortable = c.portable.contains({QStringLiteral("Portable"), 1});

        ASSERT_TRUE(Run({}, [&](CMainApp& app) {
            EXPECT_EQ(g_program.LanguageIndex, c.expected);
            EXPECT_EQ(app.MainFrame()->menuBar()->actions().value(0)->text(), c.menuFile);
        }));
        if (isPortable) {
            // Nothing of a portable program lands in the user's folders.
            EXPECT_EQ(testutil::ReadFile(UserProfile()), userBefore);
            EXPECT_EQ(portable.GetInt(kBasic, kLangMain, -1), c.expected);
            EXPECT_TRUE(QFileInfo::exists(program.file(QStringLiteral("Settings/KORVAN10.prp"))));
        } else {
            EXPECT_EQ(PrivateProfile(UserProfile()).GetInt(kBasic, kLangMain, -1), c.expected);
            // The file beside the program may be read-only: never written.
            EXPECT_EQ(portable.GetInt(kBasic, kLangMain, -1), -1);
        }
    }
}

TEST_F(StartupTest, CommandLineProject)
{
    const QString project = program.file(QStringLiteral("my study/Interviews 2024.kv4"));
    QString pending;
    ASSERT_TRUE(Run({project}, [&](CMainApp& app) { pending = app.PendingProjectPath(); }));
    EXPECT_EQ(pending, project);

    // A command line the program does not understand ends the start with a
    // message, before any window or file is made.
    for (const QStringList& bad : {QStringList{QStringLiteral("a.kv4"), QStringLiteral("b.kv4")},
                                   QStringList{QStringLiteral("--no-such-option")}}) {
        SCOPED_TRACE(bad.join(u' ').toStdString());
        messages.texts.clear();
        EXPECT_FALSE(Run(bad));
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts.at(0).startsWith(QStringLiteral("The command line was not understood")));
        EXPECT_EQ(CSplash::Running(), nullptr);
        EXPECT_FALSE(g_pStringStore->IsOpen());
    }
}

TEST_F(StartupTest, MissingLanguageTableEndsTheStart)
{
    ASSERT_TRUE(QFile::remove(program.file(QStringLiteral("KORVAN10.str"))));
    EXPECT_FALSE(Run());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.at(0).contains(QStringLiteral("KORVAN10.str")));
    EXPECT_FALSE(QFileInfo::exists(QDir(QFileInfo(UserProfile()).absolutePath()).filePath(QStringLiteral("KORVAN10.prp"))));
}

TEST_F(StartupTest, ExitActionsRunAfterShutdownWithArgumentLists)
{
    // The restart keeps a project path with blanks as one argument.
    const QString project = QStringLiteral("/home/u/my projects/Study; rm -rf x.kv4");
    ASSERT_TRUE(Run({}, [&](CMainApp& app) { app.ScheduleRestart(project); }));
    EXPECT_EQ(launcher.started, QStringList{QCoreApplication::applicationFilePath()});
    EXPECT_EQ(launcher.startedArguments.value(0), QStringList{project});
    EXPECT_EQ(launcher.workingFolder, program.path() + u'/');
    EXPECT_TRUE(launcher.opened.isEmpty());

    // A target to open wins over the restart.
    launcher = {};
    ASSERT_TRUE(Run({}, [&](CMainApp& app) {
        app.ScheduleRestart(QString());
        app.Exit().openTarget = QStringLiteral("https://example.org/release");
    }));
    EXPECT_EQ(launcher.opened, QStringList{QStringLiteral("https://example.org/release")});
    EXPECT_TRUE(launcher.started.isEmpty());
}

TEST_F(StartupTest, ProfileResetAndOptionsSaveFailure)
{
    // Option 14: the profile goes at exit, and the option is stored as off.
    ASSERT_TRUE(Run({}, [](CMainApp&) { g_qdaOptions.SetBool(QdaOption::ResetProfileAtExit, true); }));
    EXPECT_FALSE(QFileInfo::exists(UserProfile()));
    ASSERT_TRUE(Run({}, [](CMainApp&) { EXPECT_FALSE(g_qdaOptions.GetBool(QdaOption::ResetProfileAtExit)); }));
    EXPECT_TRUE(messages.texts.isEmpty());

    // An options file that cannot be replaced is reported, not passed over.
    const QString options = QDir(QFileInfo(UserProfile()).absolutePath()).filePath(QStringLiteral("KORVAN10.prp"));
    ASSERT_TRUE(QFile::remove(options));
    ASSERT_TRUE(QDir().mkpath(options));
    ASSERT_TRUE(Run({}, [](CMainApp&) { g_qdaOptions.SetInt(QdaOption::BackupDays, 3); }));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.at(0).contains(options)) << messages.texts.at(0).toStdString();
}
