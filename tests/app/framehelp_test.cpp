// The frame's help commands hand their file or address to the desktop; the
// tip of the day lists, wraps and remembers; the text viewer shows its
// kinds with the English fallback, copies and saves; toolbar and language
// check marks.

#include "app/framefixture.h"
#include "app/framehelp.h"
#include "app/textviewerdlg.h"
#include "app/tipdlg.h"
#include "common/screenshots.h"
#include "platform/profile/privateprofile.h"
#include "ui/richeditwnd.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QToolBar>
#include <QUrl>

namespace {

// Receives what the desktop would open.
class Desktop : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

const QByteArray kTipRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b %1}\\par Tip text.\\par}";

class FrameHelp : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        g_program.ProgramFolder = dir.path() + u'/';
        g_program.LanguageIndex = 1;
        for (const char* scheme : {"file", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "Open");
    }
    void TearDown() override
    {
        for (const char* scheme : {"file", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        if (frame && frame->TipWindow())
            frame->TipWindow()->close();
        FrameTest::TearDown();
    }
    QString Put(const QString& relative, const QByteArray& bytes = "x")
    {
        const QString path = dir.file(relative);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(testutil::WriteFile(path, bytes));
        return path;
    }
    void UseLanguage(int index)
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), index));
        g_program.LanguageIndex = index;
    }
    static QByteArray Tip(const char* title) { return QByteArray(kTipRtf).replace("%1", title); }
    CCmdUI State(int id) { return frame->Commands().QueryState(id); }
    PrivateProfile Profile() const { return PrivateProfile(g_program.ProfilePath); }

    Desktop desktop;
};

}  // namespace

TEST_F(FrameHelp, EachHelpCommandHandsItsFileOrAddressToTheDesktop)
{
    const QString intro = Put(QStringLiteral("Manuals/ENG/kv10intro_ENG.pdf"));
    const QString germanIntro = Put(QStringLiteral("Manuals/GER/kv10intro_GER.pdf"));
    const QString news = Put(QStringLiteral("Manuals/ENG/kv10news_ENG.pdf"));
    const QString help = Put(QStringLiteral("Manuals/ENG/kv10_ENG/index.html"));
    const QString shortcuts = Put(QStringLiteral("Manuals/ENG/kv10_ENG/topic1057.html"));
    const QString mixed = Put(QStringLiteral("Manuals/ENG/kv10_ENG/topic1043.html"));
    const QString dictionary = Put(QStringLiteral("Manuals/ENG/kv10dictio_ENG/index.html"));
    ShowFrame();

    const struct {
        int language;
        int command;
        QUrl expected;
    } cases[] = {
        {11, HelpCommand::Introduction, QUrl::fromLocalFile(intro)},   // Thai has none: English
        {0, HelpCommand::Introduction, QUrl::fromLocalFile(germanIntro)},
        {0, HelpCommand::News, QUrl::fromLocalFile(news)},
        {1, HelpCommand::Help, QUrl::fromLocalFile(help)},
        {1, HelpCommand::Shortcuts, QUrl::fromLocalFile(shortcuts)},
        {1, HelpCommand::MixedMethods, QUrl::fromLocalFile(mixed)},
        {1, HelpCommand::DictionaryHelp, QUrl::fromLocalFile(dictionary)},
        {0, HelpCommand::Tutorials, QUrl(HelpResource::TutorialAddress(0))},
        {2, HelpCommand::Tutorials, QUrl(HelpResource::TutorialAddress(2))},
        {5, HelpCommand::Tutorials, QUrl(HelpResource::TutorialAddress(1))},
        {0, HelpCommand::Manuals, QUrl(HelpResource::ManualsAddress(0))},
        {3, HelpCommand::Manuals, QUrl(HelpResource::ManualsAddress(1))},
        {0, HelpCommand::DictionaryManuals, QUrl(HelpResource::DictionaryManualsAddress(0))},
        {9, HelpCommand::DictionaryManuals, QUrl(HelpResource::DictionaryManualsAddress(1))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        SCOPED_TRACE(c.language);
        UseLanguage(c.language);
        desktop.opened.clear();
        EXPECT_TRUE(State(c.command).enabled);
        EXPECT_TRUE(frame->Commands().Execute(c.command));
        EXPECT_EQ(desktop.opened, QList<QUrl>{c.expected});
    }
    // Spanish, English and German pages are three different ones.
    EXPECT_NE(HelpResource::TutorialAddress(2), HelpResource::TutorialAddress(1));
    EXPECT_NE(HelpResource::TutorialAddress(0), HelpResource::TutorialAddress(1));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();
}

TEST_F(FrameHelp, AMissingManualIsReportedAndNothingOpens)
{
    ShowFrame();
    UseLanguage(0);
    EXPECT_TRUE(frame->Commands().Execute(HelpCommand::News));
    EXPECT_TRUE(desktop.opened.isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("kv10news_ENG.pdf"))) << messages.texts.first().toStdString();
}

TEST_F(FrameHelp, TheShippedManualsTipsAndHelpTextsAreInPlace)
{
    // The build puts them beside the program, in English and German.
    const QString folder = QStringLiteral(KORVAN_BIN_DIR) + u'/';
    for (const QString& language : {QStringLiteral("ENG"), QStringLiteral("GER")}) {
        SCOPED_TRACE(language.toStdString());
        for (const QString& name : {QStringLiteral("kv10intro"), QStringLiteral("kv10news")}) {
            QFile pdf(QStringLiteral("%1Manuals/%2/%3_%2.pdf").arg(folder, language, name));
            ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << pdf.fileName().toStdString();
            const QByteArray bytes = pdf.readAll();
            EXPECT_TRUE(bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF"));
        }
        EXPECT_TRUE(QFileInfo::exists(CTextViewerDlg::HelpTextFile(folder, CTextViewerDlg::Shortcuts)));
        EXPECT_GE(QDir(QStringLiteral("%1Tipps/%2").arg(folder, language)).entryList({QStringLiteral("*.tip")}).size(), 3);
    }
}

TEST_F(FrameHelp, TipsAreSortedWrapAndTheNextOpeningShowsTheFollowingOne)
{
    Put(QStringLiteral("Tipps/ENG/b tip 00000002.tip"), Tip("Second"));
    Put(QStringLiteral("Tipps/ENG/A tip 00000001.tip"), Tip("First"));
    Put(QStringLiteral("Tipps/ENG/c tip 00000017.tip"), Tip("Third"));
    Put(QStringLiteral("Tipps/ENG/notes.txt"), "not a tip");
    ShowFrame();

    // The menu command opens the window, a second one raises the same.
    EXPECT_TRUE(frame->Commands().Execute(HelpCommand::Tips));
    QPointer<CTipDlg> tips = frame->TipWindow();
    ASSERT_TRUE(tips);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tips));
    EXPECT_TRUE(frame->Commands().Execute(HelpCommand::Tips));
    EXPECT_EQ(frame->TipWindow(), tips.data());
    EXPECT_EQ(tips->TipTitles(), (QStringList{QStringLiteral("A tip 00000001"), QStringLiteral("b tip 00000002"),
                                              QStringLiteral("c tip 00000017")}));
    EXPECT_EQ(tips->CurrentIndex(), 0);
    EXPECT_TRUE(tips->windowTitle().endsWith(QStringLiteral("   (1)"))) << tips->windowTitle().toStdString();
    EXPECT_TRUE(tips->TextControl()->toPlainText().startsWith(QStringLiteral("First")));

    auto* previous = static_cast<QPushButton*>(FindControl(tips, CTipDlg::PreviousButton));
    QTest::mouseClick(previous, Qt::LeftButton);   // from the first to the last
    EXPECT_EQ(tips->CurrentIndex(), 2);
    EXPECT_TRUE(tips->windowTitle().endsWith(QStringLiteral("   (17)")));
    EXPECT_TRUE(tips->TextControl()->toPlainText().startsWith(QStringLiteral("Third")));
    EXPECT_TRUE(tips->TextControl()->isReadOnly());

    // Closing on the last stores an index past the end: the next opening
    // starts again at the first tip.
    tips->StartUpBox()->setChecked(false);
    QTest::mouseClick(static_cast<QPushButton*>(FindControl(tips, 1)), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(tips);
    EXPECT_EQ(Profile().GetInt(QStringLiteral("dlgTips"), QStringLiteral("Tipp"), -1), 3);
    EXPECT_EQ(Profile().GetInt(QStringLiteral("dlgTips"), QStringLiteral("ShowOnStartUp"), -1), 0);
    EXPECT_FALSE(CTipDlg::ShowOnStartUp());

    frame->ShowTipsAtStartUp();
    EXPECT_FALSE(frame->TipWindow());
    EXPECT_TRUE(frame->Commands().Execute(HelpCommand::Tips));
    tips = frame->TipWindow();
    ASSERT_TRUE(tips);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tips));
    EXPECT_EQ(tips->CurrentIndex(), 0);
    EXPECT_FALSE(tips->StartUpBox()->isChecked());
    QTest::mouseClick(static_cast<QPushButton*>(FindControl(tips, CTipDlg::NextButton)), Qt::LeftButton);
    EXPECT_EQ(tips->CurrentIndex(), 1);
    tips->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Profile().GetInt(QStringLiteral("dlgTips"), QStringLiteral("Tipp"), -1), 2);
}

TEST_F(FrameHelp, WithoutTipFilesTheWindowIsEmptyAndTheButtonsDoNothing)
{
    ShowFrame();
    frame->ShowTipsAtStartUp();   // shown at start-up by default
    QPointer<CTipDlg> tips = frame->TipWindow();
    ASSERT_TRUE(tips);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tips));
    const QString title = tips->windowTitle();
    EXPECT_TRUE(tips->TipTitles().isEmpty());
    QTest::mouseClick(static_cast<QPushButton*>(FindControl(tips, CTipDlg::NextButton)), Qt::LeftButton);
    QTest::mouseClick(static_cast<QPushButton*>(FindControl(tips, CTipDlg::PreviousButton)), Qt::LeftButton);
    EXPECT_EQ(tips->CurrentIndex(), 0);
    EXPECT_EQ(tips->windowTitle(), title);
    EXPECT_TRUE(tips->TextControl()->toPlainText().isEmpty());
}

TEST_F(FrameHelp, TheTipsOfTheLanguageElseEnglishLookAsRecorded)
{
    Put(QStringLiteral("Tipps/ENG/tip00000004.tip"), Tip("Moving between panes"));
    UseLanguage(11);
    CTipDlg tips(nullptr, g_program.ProgramFolder);
    tips.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(tips.Folder(), g_program.ProgramFolder + QStringLiteral("Tipps/ENG/"));
    tips.resize(480, 260);
    tips.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tips));
    tips.resize(480, 260);
    QCoreApplication::processEvents();
    EXPECT_TRUE(tips.windowTitle().endsWith(QStringLiteral("   (4)")));
    EXPECT_TRUE(testutil::MatchesReferenceImage(tips.grab().toImage(), testutil::DataPath(QStringLiteral("app/tipdlg.png"))));
    tips.close();
}

TEST_F(FrameHelp, TheTextViewerShowsEachKindWithTheEnglishFallback)
{
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Shortcut list\\par}";
    Put(QStringLiteral("Manuals/ENG/shortcuts_ENG.rtf"), rtf);
    Put(QStringLiteral("Manuals/GER/excelimp_GER.rtf"), "{\\rtf1\\ansi Tabellen\\par}");
    Put(QStringLiteral("Manuals/ENG/excelimp_ENG.rtf"), "{\\rtf1\\ansi Tables\\par}");
    UseLanguage(0);
    const QString folder = g_program.ProgramFolder;
    const struct {
        int kind;
        QString file;   // relative to the folder; empty for the texts in memory
        QString shown;
    } cases[] = {
        {CTextViewerDlg::TableImport, QStringLiteral("Manuals/GER/excelimp_GER.rtf"), QStringLiteral("Tabellen")},
        {CTextViewerDlg::Shortcuts, QStringLiteral("Manuals/ENG/shortcuts_ENG.rtf"), QStringLiteral("Shortcut list")},
        {42, QStringLiteral("Manuals/ENG/shortcuts_ENG.rtf"), QStringLiteral("Shortcut list")},
        {CTextViewerDlg::TypologyBrowser, QStringLiteral("Manuals/ENG/typ_browser_ENG.rtf"), QString()},   // missing
        {CTextViewerDlg::SequenceBrowser, QStringLiteral("Manuals/ENG/seq_browser_ENG.rtf"), QString()},
        {CTextViewerDlg::InMemoryText, QString(), QStringLiteral("In memory")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        CTextViewerDlg viewer(nullptr, folder, c.kind);
        if (c.kind == CTextViewerDlg::InMemoryText)
            viewer.Buffer() = "{\\rtf1\\ansi In memory\\par}";
        EXPECT_EQ(viewer.FilePath(), c.file.isEmpty() ? QString() : folder + c.file);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
        EXPECT_EQ(viewer.TextControl()->toPlainText().trimmed(), c.shown);
        EXPECT_TRUE(viewer.TextControl()->isReadOnly());
        EXPECT_TRUE(viewer.Buffer().isEmpty());
        EXPECT_EQ(viewer.windowTitle(), LoadString(CTextViewerDlg::TitleTextId(c.kind)));
        for (const int hidden : {CTextViewerDlg::RelatedButton, CTextViewerDlg::SaveButton, CTextViewerDlg::HelpButton})
            EXPECT_FALSE(FindControl(&viewer, hidden)->isVisible());
        viewer.close();
        EXPECT_EQ(viewer.result(), 2);
    }
    // The table imports' help closes with "OK".
    CTextViewerDlg import(nullptr, folder, CTextViewerDlg::CodeTableImport);
    import.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&import));
    EXPECT_EQ(ControlText(FindControl(&import, CTextViewerDlg::OkButton)), LoadString(57345));
    QTest::mouseClick(static_cast<QPushButton*>(FindControl(&import, CTextViewerDlg::OkButton)), Qt::LeftButton);
    EXPECT_EQ(import.result(), 1);
}

TEST_F(FrameHelp, TheSupportKindCopiesSavesAndOpensItsDocument)
{
    CTextViewerDlg viewer(nullptr, QStringLiteral(" 10.0"), CTextViewerDlg::SupportInformation);
    viewer.Buffer() = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 System: {\\b Linux}\\par Memory: 8 GB\\par}";
    QStringList opened;
    viewer.SetRelatedDocument(QStringLiteral("https://example.org/support"), [&opened](const QString& target) {
        opened.append(target);
        return true;
    });
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    EXPECT_TRUE(viewer.windowTitle().endsWith(QStringLiteral(" 10.0")));
    for (const int shown : {CTextViewerDlg::RelatedButton, CTextViewerDlg::SaveButton, CTextViewerDlg::HelpButton})
        EXPECT_TRUE(FindControl(&viewer, shown)->isVisible());

    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(static_cast<QPushButton*>(FindControl(&viewer, CTextViewerDlg::CopyButton)), Qt::LeftButton);
    EXPECT_TRUE(viewer.isVisible());   // copying leaves it open
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->text().trimmed(), QStringLiteral("System: Linux\nMemory: 8 GB"));
    const QByteArray copied = data->data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(copied.startsWith("{\\rtf1")) << copied.constData();
    EXPECT_TRUE(copied.contains("\\b")) << copied.constData();

    QTest::mouseClick(static_cast<QPushButton*>(FindControl(&viewer, CTextViewerDlg::RelatedButton)), Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{QStringLiteral("https://example.org/support")});

    QTest::mouseClick(static_cast<QPushButton*>(FindControl(&viewer, CTextViewerDlg::SaveButton)), Qt::LeftButton);
    EXPECT_EQ(viewer.result(), CTextViewerDlg::SavedResult);
    EXPECT_TRUE(viewer.Buffer().startsWith("{\\rtf1"));
    EXPECT_TRUE(viewer.Buffer().contains("Memory: 8 GB"));
}

TEST_F(FrameHelp, TheTextViewerLooksAsRecorded)
{
    Put(QStringLiteral("Manuals/ENG/shortcuts_ENG.rtf"),
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b\\fs24 Keyboard shortcuts}\\par F1\\tab Help\\par "
        "Ctrl+F\\tab Search bar\\par}");
    CTextViewerDlg viewer(nullptr, g_program.ProgramFolder, CTextViewerDlg::Shortcuts);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    viewer.resize(520, 360);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(viewer.grab().toImage(),
                                                testutil::DataPath(QStringLiteral("app/textviewerdlg.png"))));
    viewer.close();
}

TEST_F(FrameHelp, ToolbarAndLanguageItemsCarryTheirCheckMarks)
{
    ShowFrame();
    // The bars shown at first, the hidden ones, and those never made.
    const struct {
        int bar;
        bool enabled;
        bool checked;
    } bars[] = {
        {ToolbarId::Frame, true, true},      {ToolbarId::Visual, true, true},        {ToolbarId::Document, true, true},
        {ToolbarId::Language, true, false},  {ToolbarId::MediaPlayer, true, false},  {ToolbarId::CodeBar, false, false},
        {ToolbarId::Qnt, false, false},      {ToolbarId::ColourCoding, false, false},
    };
    for (const auto& b : bars) {
        SCOPED_TRACE(b.bar);
        const CCmdUI state = State(b.bar);
        EXPECT_EQ(state.enabled, b.enabled);
        EXPECT_EQ(state.checked, b.checked);
    }
    // Toggled from the toolbars menu, as a user does.
    QMenu* window = frame->menuBar()->actions().value(2)->menu();
    ASSERT_TRUE(window);
    QMenu* toolbars = nullptr;
    QMenu* languages = nullptr;
    for (QAction* action : window->actions()) {
        if (action->menu() && action->text() == LoadString(FrameHelpText::MenuToolbars))
            toolbars = action->menu();
        if (action->menu() && action->text() == LoadString(FrameHelpText::MenuLanguage))
            languages = action->menu();
    }
    ASSERT_TRUE(toolbars && languages);
    emit toolbars->aboutToShow();
    QAction* visual = frame->Commands().Action(ToolbarId::Visual);
    EXPECT_TRUE(visual->isChecked());
    visual->trigger();
    EXPECT_TRUE(frame->ToolbarOf(ToolbarId::Visual)->isHidden());
    emit toolbars->aboutToShow();
    EXPECT_FALSE(visual->isChecked());
    frame->Commands().Action(ToolbarId::Language)->trigger();
    EXPECT_FALSE(frame->ToolbarOf(ToolbarId::Language)->isHidden());
    EXPECT_TRUE(State(ToolbarId::Language).checked);

    for (const int language : {1, 0, 12}) {
        SCOPED_TRACE(language);
        g_program.LanguageIndex = language;
        emit languages->aboutToShow();
        ASSERT_EQ(languages->actions().size(), 13);
        for (int i = 0; i < 13; ++i) {
            EXPECT_TRUE(languages->actions().at(i)->isEnabled());
            EXPECT_EQ(languages->actions().at(i)->isChecked(), i == language) << i;
        }
    }
    // The commands that are always off, and those off while the browser exists.
    EXPECT_FALSE(State(NavigationCommand::AlwaysOff).enabled);
    EXPECT_FALSE(State(NavigationCommand::AlwaysOff).checked);
    for (int id = NavigationCommand::NoBrowserFirst; id <= NavigationCommand::NoBrowserLast; ++id)
        EXPECT_FALSE(State(id).enabled) << id;
}

#include "framehelp_test.moc"
