// The frame's settings commands: program options and their follow-ups, the
// language switch's restart, the update check against a local server and
// the document properties.

#include "app/framefixture.h"
#include "app/framehelp.h"
#include "app/mainapp.h"
#include "app/optionsids.h"
#include "app/updatecheck.h"
#include "browser/mediaplayer.h"
#include "common/mediafiles.h"
#include "common/screenshots.h"
#include "foundation/externalfiles.h"
#include "foundation/waitwindow.h"
#include "platform/profile/privateprofile.h"
#include "panes/spinoptionsdlg.h"
#include "ui/propertiesdlg.h"
#include "ui/usernamedlg.h"
#include "ui/propertygrid.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

void SetMediaDurationProbe(std::function<qint64(const QString&)> probe);

namespace {

using frametest::WhenModalShows;

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// The menu of the menu bar that holds the command; -1 when none does.
int MenuIndexOf(QMainWindow& window, int commandId)
{
    const QList<QAction*> titles = window.menuBar()->actions();
    for (int i = 0; i < titles.size(); ++i)
        if (QMenu* menu = titles[i]->menu())
            for (QAction* action : menu->actions())
                if (action->data().toInt() == commandId)
                    return i;
    return -1;
}

class OptionsCommands : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        SetMediaDurationProbe({});
    }
    void TearDown() override
    {
        SetMediaDurationProbe({});
        SetReleasePageOpener({});
        FrameTest::TearDown();
    }
    void Open(const QString& name = QStringLiteral("Study.kv4"))
    {
        const QString path = MakeProject(name);
        ShowFrame();
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        messages.texts.clear();
    }
    int CountTexts(int textId) const
    {
        return int(messages.texts.count(LoadString(textId)));
    }
};

TEST_F(OptionsCommands, TheToolsMenuOpensTheOptionsAndOkWithoutChangeDoesNothing)
{
    Open();
    g_qdaOptions.ClearModified();   // the fixture's own settings
    const QByteArray before = testutil::ReadFile(g_program.OptionsFilePath);
    const QDateTime written = QFileInfo(g_program.OptionsFilePath).lastModified();
    const int menu = MenuIndexOf(*frame, OptionsCommand::ProgramOptions);
    ASSERT_GE(menu, 0);
    bool shown = false;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CPropertiesDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), LoadString(OptionsText::ProgramOptionsTitle));
        EXPECT_TRUE(dialog->HelpButton()->isVisible());
        EXPECT_FALSE(dialog->ExtraButton()->isVisible());
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    frametest::ClickMenuCommand(*frame, menu, OptionsCommand::ProgramOptions);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(g_qdaOptions.IsModified());
    EXPECT_EQ(testutil::ReadFile(g_program.OptionsFilePath), before);
    EXPECT_EQ(QFileInfo(g_program.OptionsFilePath).lastModified(), written);
}

TEST_F(OptionsCommands, TheOptionsDialogLooksAsRecorded)
{
    Open();
    g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, QStringLiteral("/home/user/Externals"));
    g_qdaOptions.SetValueText(QdaOption::BackupFolder, QStringLiteral("/home/user/Backup"));
    QImage picture;
    WhenModalShows([&](QWidget* modal) {
        modal->resize(480, 560);
        QCoreApplication::processEvents();
        picture = modal->grab().toImage();
        qobject_cast<QDialog*>(modal)->reject();
    });
    frame->OnOptions();
    EXPECT_TRUE(testutil::MatchesReferenceImage(
        picture, QStringLiteral(KORVAN_TEST_DATA_DIR "/screenshots/options_dialog.png")));
}

TEST_F(OptionsCommands, ANewExternalsFolderTakesTheOldFilesAlongAsAnswered)
{
    struct Case {
        MessageAnswer answer;
        bool inOld, inNew;
    };
    const Case cases[] = {{MessageAnswer::Yes, false, true},
                          {MessageAnswer::No, true, true},
                          {MessageAnswer::Cancel, true, false}};
    Open();
    int round = 0;
    for (const Case& c : cases) {
        const QString old = dir.file(QStringLiteral("old %1").arg(round));
        const QString fresh = dir.file(QStringLiteral("new folder %1/inner").arg(round++));
        ASSERT_TRUE(QDir().mkpath(old));
        ASSERT_TRUE(WriteFile(old + QStringLiteral("/scan.pdf"), "pdf"));
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, old);
        g_qdaOptions.SetString(QdaOption::ExternalsFolder, fresh);
        messages.AddAnswers({c.answer});
        messages.questions.clear();
        frame->ApplyProgramOptions(old, g_qdaOptions.GetInt(QdaOption::DefaultWeight));
        ASSERT_EQ(messages.questions.size(), 1);
        EXPECT_TRUE(messages.questions[0].message.contains(fresh));
        EXPECT_TRUE(QDir(fresh).exists());
        EXPECT_EQ(QFile::exists(old + QStringLiteral("/scan.pdf")), c.inOld);
        EXPECT_EQ(QFile::exists(fresh + QStringLiteral("/scan.pdf")), c.inNew);
        EXPECT_FALSE(g_qdaOptions.IsModified());
        EXPECT_TRUE(QFile::exists(g_program.OptionsFilePath));
    }
}

TEST_F(OptionsCommands, AnExternalsFolderThatCannotBeMadeIsReported)
{
    Open();
    ASSERT_TRUE(WriteFile(dir.file(QStringLiteral("plain")), "x"));
    const QString bad = dir.file(QStringLiteral("plain/sub"));
    g_qdaOptions.SetString(QdaOption::ExternalsFolder, bad);
    frame->ApplyProgramOptions(dir.path(), 0);
    EXPECT_EQ(messages.texts.count(LoadString(OptionsText::FolderNotMade).arg(bad)), 1);
    EXPECT_TRUE(messages.questions.isEmpty());
}

TEST_F(OptionsCommands, OptionsThatNeedARestartSayItOnce)
{
    struct Case {
        QList<qint32> changed;
        bool resetOn;
        int notices;
    };
    const Case cases[] = {{{QdaOption::PaneLayout}, false, 1},
                          {{QdaOption::PaneLayout, QdaOption::LargeFonts}, false, 1},
                          {{QdaOption::PaneLayout, QdaOption::LargeFonts, QdaOption::ResetProfileAtExit}, true, 1},
                          {{QdaOption::ResetProfileAtExit}, true, 1},
                          {{QdaOption::ResetProfileAtExit}, false, 0},
                          {{QdaOption::QuickCodeCount}, false, 0}};
    Open();
    for (const Case& c : cases) {
        g_qdaOptions.SetValueText(QdaOption::ResetProfileAtExit, c.resetOn ? QStringLiteral("0") : QStringLiteral("1"));
        for (const qint32 id : c.changed) {
            if (id == QdaOption::ResetProfileAtExit)
                g_qdaOptions.SetBool(id, c.resetOn);
            else
                g_qdaOptions.SetInt(id, g_qdaOptions.GetInt(id) + 1);
        }
        messages.texts.clear();
        frame->ApplyProgramOptions(g_qdaOptions.GetString(QdaOption::ExternalsFolder), 0);
        EXPECT_EQ(CountTexts(OptionsText::RestartNeeded), c.notices) << c.changed.size();
    }
    g_qdaOptions.SetValueText(QdaOption::ResetProfileAtExit, QStringLiteral("0"));
}

TEST_F(OptionsCommands, ANewDefaultWeightRewritesTheCodingsOfTheOldOne)
{
    Open();
    const qint32 doc = doctest::AddRow(db(), TopicId::Documents, {{DocumentField::Name, QStringLiteral("Ann")}});
    const qint32 code = doctest::AddRow(db(), TopicId::Codes, {{CodeField::Name, QStringLiteral("Joy")}});
    const auto coding = [&](int weight) {
        return doctest::AddRow(db(), TopicId::Codings,
                               {{CodingField::Document, doc}, {CodingField::Code, code},
                                {CodingField::StartChar, 0}, {CodingField::FinishChar, 3},
                                {CodingField::Weight, weight}});
    };
    const qint32 ofDefault = coding(10);
    const qint32 other = coding(20);
    g_qdaOptions.SetValueText(QdaOption::DefaultWeight, QStringLiteral("10"));
    g_qdaOptions.SetInt(QdaOption::DefaultWeight, 55);
    frame->ApplyProgramOptions(g_qdaOptions.GetString(QdaOption::ExternalsFolder), 10);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, ofDefault, CodingField::Weight), 55);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, other, CodingField::Weight), 20);
    EXPECT_EQ(g_qdaOptions.GetInt(QdaOption::DefaultWeight), 55);
    EXPECT_FALSE(g_qdaOptions.IsModified());
    g_qdaOptions.SetValueText(QdaOption::DefaultWeight, QStringLiteral("0"));
}

TEST_F(OptionsCommands, RateAndRewindGoToThePlayer)
{
    Open();
    g_qdaOptions.SetInt(QdaOption::MediaRewind, 7);
    frame->ApplyProgramOptions(g_qdaOptions.GetString(QdaOption::ExternalsFolder), 0);
    ASSERT_NE(frame->MediaPlayer(), nullptr);
    EXPECT_EQ(frame->MediaPlayer()->RewindSeconds(), 7);
}

// ---- Language -------------------------------------------------------------------

TEST_F(OptionsCommands, ALanguageSwitchRestartsWithTheProjectAfterTheClose)
{
    CMainApp app;
    const QString folder = dir.file(QStringLiteral("my projects"));
    ASSERT_TRUE(QDir().mkpath(folder));
    Open(QStringLiteral("my projects/Field Study 2.kv4"));
    g_program.LanguageIndex = 1;

    frame->OnLanguage(OptionsCommand::LanguageFirst + 1);   // the current one
    QCoreApplication::processEvents();
    EXPECT_TRUE(app.Exit().program.isEmpty());
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), -1),
              -1);
    EXPECT_TRUE(frame->isVisible());

    frame->OnLanguage(OptionsCommand::LanguageFirst);
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), -1), 0);
    EXPECT_EQ(app.Exit().program, QCoreApplication::applicationFilePath());
    EXPECT_EQ(app.Exit().arguments, QStringList{folder + QStringLiteral("/Field Study 2.kv4")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, 2000));
    EXPECT_EQ(app.Exit().arguments.size(), 1);
    app.Exit() = ExitActions();
}

TEST_F(OptionsCommands, ALanguageSwitchWhoseCloseIsRefusedRestartsNothing)
{
    CMainApp app;
    Open();
    g_program.LanguageIndex = 1;
    ASSERT_TRUE(ShowWaitWindow());   // work still running refuses the close
    frame->OnLanguage(OptionsCommand::LanguageFirst + 3);
    EXPECT_FALSE(app.Exit().program.isEmpty());
    QTest::qWait(50);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(app.Exit().program.isEmpty());
    CloseWaitWindow();
}

TEST_F(OptionsCommands, TheLanguageMenuChecksTheCurrentLanguage)
{
    Open();
    g_program.LanguageIndex = 4;
    for (int id = OptionsCommand::LanguageFirst; id <= OptionsCommand::LanguageLast; ++id) {
        const CCmdUI state = frame->Commands().QueryState(id);
        EXPECT_TRUE(state.enabled) << id;
        EXPECT_EQ(state.checked, id == OptionsCommand::LanguageFirst + 4) << id;
    }
}

// ---- Update check -------------------------------------------------------------------

/// Answers every request with one fixed HTTP response.
class ReleaseServer {
public:
    explicit ReleaseServer(QByteArray response) : m_response(std::move(response))
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    ++requests;
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QUrl Address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/release.txt").arg(m_server.serverPort())); }
    int requests = 0;

private:
    QByteArray m_response;
    QTcpServer m_server;
};

QByteArray Http(int status, const QByteArray& body)
{
    return "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Not Found")
           + "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size())
           + "\r\n\r\n" + body;
}

TEST(ReleaseCodes, AreComparedByYearMonthAndDay)
{
    EXPECT_LT(ReleaseNumber(QStringLiteral("240113")), ReleaseNumber(QStringLiteral("010214")));
    EXPECT_LT(ReleaseNumber(QStringLiteral("311213")), ReleaseNumber(QStringLiteral("010114")));
    EXPECT_EQ(ReleaseNumber(QStringLiteral("24011")), -1);
    EXPECT_EQ(ReleaseNumber(QStringLiteral("2401x3")), -1);
    EXPECT_EQ(InstalledReleaseCode(QStringLiteral("10.0 ")), InstalledReleaseCode(QString()));
    EXPECT_EQ(InstalledReleaseCode(QStringLiteral("Rel. 240113 x")), QStringLiteral("240113"));
}

TEST_F(OptionsCommands, TheUpdateCheckTellsWhatTheServerOffers)
{
    struct Case {
        const char* name;
        QByteArray response;   // empty: no server listening
        bool quiet;
        QList<MessageAnswer> answers;
        int questions;         // the newer-release question
        int shownTextId;       // a message shown, 0 for none
        bool pageOpened;
    };
    g_program.BuildString = QStringLiteral("Rel. 240113");
    const QList<Case> cases = {
        {"newer, accepted", Http(200, "#010214\r\nnotes"), false, {MessageAnswer::Yes}, 1, 0, true},
        {"newer, declined", Http(200, "#010214\r\n"), false, {MessageAnswer::No}, 1, 0, false},
        {"newer while quiet", Http(200, "#010214"), true, {MessageAnswer::Yes}, 1, 0, true},
        {"same release", Http(200, "#240113\r\n"), false, {}, 0, OptionsText::NoNewerRelease, false},
        {"same release, quiet", Http(200, "#240113\r\n"), true, {}, 0, 0, false},
        {"never offered", Http(200, "#188811\r\n"), false, {}, 0, OptionsText::NoNewerRelease, false},
        {"an error page", Http(404, "#010299\r\n"), false, {}, 0, OptionsText::NoReleaseServer, false},
        {"no server", QByteArray(), false, {}, 0, OptionsText::NoReleaseServer, false},
        {"no server, quiet", QByteArray(), true, {}, 0, 0, false},
    };
    QList<QUrl> opened;
    SetReleasePageOpener([&](const QUrl& page) {
        opened.append(page);
        return true;
    });
    for (const Case& c : cases) {
        std::unique_ptr<ReleaseServer> server;
        if (!c.response.isEmpty()) {
            server = std::make_unique<ReleaseServer>(c.response);
            GetUpdateAddresses().releaseCheck = server->Address();
        } else {
            QTcpServer closed;
            ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
            GetUpdateAddresses().releaseCheck =
                QUrl(QStringLiteral("http://127.0.0.1:%1/release.txt").arg(closed.serverPort()));
        }
        messages.texts.clear();
        opened.clear();
        messages.AddAnswers(c.answers);
        frame ? void() : ShowFrame();
        frame->CheckForUpdate(c.quiet);
        const QString question = LoadString(OptionsText::NewerRelease).arg(QStringLiteral("240113"),
                                                                           QStringLiteral("010214"));
        EXPECT_EQ(int(messages.texts.count(question)), c.questions) << c.name;
        if (c.shownTextId) {
            EXPECT_EQ(messages.texts, QStringList{LoadString(c.shownTextId)}) << c.name;
        } else {
            EXPECT_EQ(messages.texts.size(), c.questions) << c.name;
        }
        EXPECT_EQ(!opened.isEmpty(), c.pageOpened) << c.name;
    }
}

// ---- Document properties ----------------------------------------------------------------

class DocumentProperties : public OptionsCommands {
protected:
    void SetUp() override
    {
        OptionsCommands::SetUp();
        Open();
        media = dir.file(QStringLiteral("talk.wav"));
        ASSERT_TRUE(WriteFile(media, "RIFF"));
    }
    qint32 AddDocument(qint32 docType = 0, const QString& mediaFile = {})
    {
        return doctest::AddRow(db(), TopicId::Documents,
                               {{DocumentField::Name, QStringLiteral("Ann")}, {DocumentField::DocType, docType},
                                {DocumentField::MediaFile, mediaFile}});
    }
    qint32 AddMark(qint32 doc, const QString& end)
    {
        return doctest::AddRow(db(), TopicId::MediaMarks,
                               {{MediaMarkField::Document, doc}, {MediaMarkField::StartChar, 4},
                                {MediaMarkField::Begin, QStringLiteral("00:00:01.000")}, {MediaMarkField::End, end}});
    }
    QList<qint32> Marks(qint32 doc)
    {
        QList<qint32> keys;
        db().FindKeysByParent(TopicId::MediaMarks, TopicId::Documents, doc, keys);
        return keys;
    }
    QString Field(qint32 topic, qint32 key, qint32 field) { return doctest::ValueOf(db(), topic, key, field); }
    /// Opens the properties, sets the named text cell and presses OK.
    void SetText(qint32 doc, int captionId, const QString& text)
    {
        WhenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<CPropertiesDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            CPropertyGridWnd* grid = dialog->Grid()->Grid();
            PropertyCell* cell = grid->CellOf(grid->FindItem(QString(), LoadString(captionId)));
            ASSERT_NE(cell, nullptr);
            cell->text = text;
            grid->RefreshValues();
            QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
        });
        frame->ShowTextProperties(NodeKind::Document, doc);
    }
    QString media;
};

TEST_F(DocumentProperties, APdfShowsTheFlagOnAndTheContextMenuOpensThem)
{
    const qint32 pdf = AddDocument(1);
    bool flag = false;
    QString title;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CPropertiesDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        CPropertyGridWnd* grid = dialog->Grid()->Grid();
        PropertyCell* cell = grid->CellOf(grid->FindItem(QString(), LoadString(OptionsText::Flag80)));
        ASSERT_NE(cell, nullptr);
        flag = cell->check;
        EXPECT_FALSE(dialog->ExtraButton()->isVisible());
        dialog->reject();
    });
    QMenu* menu = RightClick(NodeKind::Document, pdf, 0);
    ASSERT_NE(menu, nullptr);
    QAction* properties = nullptr;
    for (QAction* action : menu->actions())
        if (action->data().toInt() == OptionsCommand::DocumentProperties)
            properties = action;
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(properties->isEnabled());
    menu->hide();
    properties->trigger();
    EXPECT_TRUE(flag);
    EXPECT_TRUE(title.startsWith(LoadString(OptionsText::DocumentCaption) + QStringLiteral(": ")));
}

TEST_F(DocumentProperties, TheFlagAndTheLinksAreWrittenBack)
{
    const qint32 doc = AddDocument();
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CPropertiesDlg*>(modal);
        CPropertyGridWnd* grid = dialog->Grid()->Grid();
        grid->setCurrentItem(grid->FindItem(QString(), LoadString(OptionsText::Flag80)), 1);
        QTest::keyClick(grid, Qt::Key_Space);
        grid->CellOf(grid->FindItem(QString(), LoadString(OptionsText::Link2)))->text = QString(400, u'x');
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    frame->ShowTextProperties(NodeKind::Document, doc);
    EXPECT_EQ(db().GetIntValue(TopicId::Documents, doc, DocumentField::State) & 0x80, 0x80);
    const QString link = Field(TopicId::Documents, doc, DocumentField::ExtLink2);
    EXPECT_GT(link.size(), 0);
    EXPECT_LT(link.size(), 400);
}

TEST_F(DocumentProperties, AMediaFileSetsOneMarkOverItsLengthButLeavesTwoAlone)
{
    SetMediaDurationProbe([](const QString&) { return qint64(65432); });
    const qint32 none = AddDocument();
    SetText(none, OptionsText::MediaFile, media);
    EXPECT_EQ(Field(TopicId::Documents, none, DocumentField::MediaFile), media);
    ASSERT_EQ(Marks(none).size(), 1);
    EXPECT_EQ(Field(TopicId::MediaMarks, Marks(none)[0], MediaMarkField::End), QStringLiteral("00:01:05.432"));

    const qint32 one = AddDocument();
    const qint32 mark = AddMark(one, QStringLiteral("00:00:02.000"));
    SetText(one, OptionsText::MediaFile, media);
    EXPECT_EQ(Marks(one), QList<qint32>{mark});
    EXPECT_EQ(Field(TopicId::MediaMarks, mark, MediaMarkField::Begin), QStringLiteral("00:00:00.000"));
    EXPECT_EQ(Field(TopicId::MediaMarks, mark, MediaMarkField::End), QStringLiteral("00:01:05.432"));
    EXPECT_EQ(db().GetIntValue(TopicId::MediaMarks, mark, MediaMarkField::StartChar), 0);

    const qint32 two = AddDocument();
    const qint32 first = AddMark(two, QStringLiteral("00:00:02.000"));
    const qint32 second = AddMark(two, QStringLiteral("00:00:09.000"));
    SetText(two, OptionsText::MediaFile, media);
    EXPECT_EQ(Field(TopicId::Documents, two, DocumentField::MediaFile), media);
    EXPECT_EQ(Marks(two), (QList<qint32>{first, second}));
    EXPECT_EQ(Field(TopicId::MediaMarks, first, MediaMarkField::End), QStringLiteral("00:00:02.000"));
    EXPECT_EQ(Field(TopicId::MediaMarks, second, MediaMarkField::End), QStringLiteral("00:00:09.000"));
}

TEST_F(DocumentProperties, AMediaFileWithoutLengthKeepsTheOldOne)
{
    SetMediaDurationProbe([](const QString&) { return qint64(0); });
    const qint32 doc = AddDocument(0, QStringLiteral("old.wav"));
    SetText(doc, OptionsText::MediaFile, media);
    EXPECT_EQ(Field(TopicId::Documents, doc, DocumentField::MediaFile), QStringLiteral("old.wav"));
    EXPECT_TRUE(Marks(doc).isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(media));
    EXPECT_TRUE(messages.texts[0].contains(LoadString(OptionsText::NoPlayableLength)));
}

TEST_F(DocumentProperties, ClearingTheShownDocumentsMediaFileUnloadsThePlayer)
{
    const QString wav = dir.file(QStringLiteral("tone.wav"));
    ASSERT_TRUE(testutil::MakeToneWav(wav, 1.0));
    const qint32 doc = AddDocument(0, wav);
    ASSERT_TRUE(document.SetOpenDocument(doc, 0));
    ASSERT_TRUE(frame->LoadMedia(wav));
    ASSERT_TRUE(frame->MediaPlayer()->HasFileName());
    SetText(doc, OptionsText::MediaFile, QString());
    EXPECT_EQ(Field(TopicId::Documents, doc, DocumentField::MediaFile), QString());
    EXPECT_FALSE(frame->MediaPlayer()->HasFileName());
}

TEST_F(DocumentProperties, TheExtraButtonChecksTheExternalFileAndDeletesNothing)
{
    const QString pdf = dir.file(QStringLiteral("scan.pdf"));
    ASSERT_TRUE(WriteFile(pdf, "%PDF-1.4"));
    QByteArray blob = QByteArray("E\0X\0T\0E\0R\0N\0:\0", 14);
    const QString path = pdf;
    blob += QByteArray(reinterpret_cast<const char*>(path.utf16()), path.size() * 2);
    const qint32 doc = doctest::AddRow(db(), TopicId::Documents,
                                       {{DocumentField::Name, QStringLiteral("Scan")}, {DocumentField::DocType, 1},
                                        {DocumentField::Text, blob}});
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CPropertiesDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->ExtraButton()->isVisible());
        QTest::mouseClick(dialog->ExtraButton(), Qt::LeftButton);
    });
    frame->ShowTextProperties(NodeKind::Document, doc);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(LoadString(OptionsText::ExternalAtStoredPath).arg(pdf)));
    EXPECT_TRUE(messages.texts[0].contains(LoadString(OptionsText::ExternalNothingDeleted)));
    EXPECT_TRUE(QFile::exists(pdf));
}

}  // namespace

namespace {

TEST_F(OptionsCommands, TheUserNameJoinsTheKnownUsersOnce)
{
    Open();
    for (const QString& typed : {QStringLiteral("Mira"), QStringLiteral("mira"), QStringLiteral("Jon")}) {
        WhenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<CUserNameDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->Combo()->setEditText(typed);
            dialog->accept();
        });
        frametest::ClickMenuCommand(*frame, MenuIndexOf(*frame, OptionsCommand::UserName), OptionsCommand::UserName);
        EXPECT_EQ(db().GetUserName(), typed);
    }
    const QString users = PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("User"), QStringLiteral("Users"));
    EXPECT_EQ(users.count(QStringLiteral("Mira|"), Qt::CaseInsensitive), 1) << users.toStdString();
    EXPECT_TRUE(users.contains(QStringLiteral("Jon|")));
}

TEST_F(OptionsCommands, TheHitExtentSetsTheSharedChangedFlagOnlyOnOk)
{
    Open();
    for (const bool ok : {true, false}) {
        WhenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<SpinOptionsDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (!ok) {
                dialog->reject();
                return;
            }
            QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
        });
        // A search-hit list asks the frame before it codes or exports.
        EXPECT_EQ(frame->ListCommand(nullptr, OptionsCommand::SpinSettings), ok);
        EXPECT_EQ(CMainFrame::SpinSettingsChanged(), ok);
    }
}

}  // namespace

TEST_F(OptionsCommands, TheLayoutOptionsOpenFromTheWindowMenuAndAChangeIsSaved)
{
    Open();
    const int menu = MenuIndexOf(*frame, NavigationCommand::OptionsLayout);
    ASSERT_EQ(menu, frametest::kWindowMenu);
    const auto choose = [&](bool change) {
        bool shown = false;
        WhenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<CPropertiesDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            shown = true;
            EXPECT_EQ(dialog->windowTitle(), LoadString(102077));
            if (change) {
                g_prnexpOptions.SetString(PrnexpOption::HeaderText, QStringLiteral("Interviews 2026"));
                dialog->Grid()->SetPropertyList(&g_prnexpOptions);  // shown as typed in
            }
            QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
        });
        frametest::ClickMenuCommand(*frame, menu, NavigationCommand::OptionsLayout);
        EXPECT_TRUE(shown);
    };
    g_prnexpOptions.ClearModified();
    const QDateTime written = QFileInfo(g_program.OptionsFilePath).lastModified();
    choose(false);
    EXPECT_EQ(QFileInfo(g_program.OptionsFilePath).lastModified(), written);
    choose(true);
    EXPECT_FALSE(g_prnexpOptions.IsModified());
    EXPECT_TRUE(testutil::ReadFile(g_program.OptionsFilePath).contains("Interviews 2026"));
    g_prnexpOptions.SetValueText(PrnexpOption::HeaderText, QString());
}
