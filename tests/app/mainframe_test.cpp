// The main frame: the fifteen layouts of the view mask, hiding, maximising
// and restoring panes from their captions, splitter drags, the settings
// written and read by a new frame, the status bar and the start-up that
// opens the command-line project or ends the program.

#include "app/appids.h"
#include "app/baseview.h"
#include "app/framesettings.h"
#include "app/mainframe.h"
#include "app/splitterwndex.h"
#include "common/scriptedmessages.h"
#include "common/screenshots.h"
#include "common/testutil.h"
#include "document/kordoc.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "store/projectdataengine.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using View = CMainFrame::View;
const QString kMainWindow = QStringLiteral("MainWindow");

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.ProfilePath = m_dir.file(QStringLiteral("KORVAN10.ini"));
        g_program.OptionsFilePath.clear();
        BuildOptionDefinitions();
        g_qdaOptions.SetBool(QdaOption::PaneLayout, true);
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = {};
    }
    PrivateProfile Profile() const { return PrivateProfile(g_program.ProfilePath); }
    // A frame of a fixed size, shown normally, with the profile's settings.
    std::unique_ptr<CMainFrame> ShowFrame(int viewState = -1)
    {
        PrivateProfile profile = Profile();
        if (viewState >= 0) {
            EXPECT_TRUE(profile.WriteInt(kMainWindow, QStringLiteral("ViewState"), viewState));
        }
        EXPECT_TRUE(profile.WriteString(kMainWindow, QStringLiteral("WindowPos"),
                                        QStringLiteral("0,1,0,0,0,0,0,0,800,600")));
        auto frame = std::make_unique<CMainFrame>();
        frame->ShowWithPlacement();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }
    static QRect Place(CMainFrame& frame, View view)
    {
        QWidget* widget = frame.ViewAt(view);
        return QRect(widget->mapTo(&frame, QPoint(0, 0)), widget->size());
    }

    testutil::TempDir m_dir;
};

// Which views stand in which column, upper first.
struct Layout {
    int mask;
    QList<View> left;
    QList<View> right;
};

}  // namespace

TEST_F(MainFrameTest, EveryMaskGivesItsLayout)
{
    using enum CMainFrame::View;
    const Layout layouts[] = {
        {2, {Blau}, {}},           {4, {White}, {}},          {8, {Black}, {}},
        {16, {Green}, {}},         {6, {Blau}, {White}},      {10, {Blau}, {Black}},
        {12, {White}, {Black}},    {14, {Blau}, {White, Black}}, {18, {Blau}, {Green}},
        {20, {Green}, {White}},    {22, {Blau, Green}, {White}}, {24, {Green}, {Black}},
        {26, {Blau, Green}, {Black}}, {28, {Green}, {White, Black}}, {30, {Blau, Green}, {White, Black}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.mask);
        auto frame = ShowFrame(layout.mask);
        EXPECT_EQ(frame->ViewState(), layout.mask);
        const QList<View> shown = layout.left + layout.right;
        for (int view = 0; view < CMainFrame::ViewCount; ++view)
            EXPECT_EQ(frame->ViewAt(View(view))->isVisible(), shown.contains(View(view))) << "view " << view;
        const QRect central = frame->centralWidget()->geometry();
        if (layout.right.isEmpty()) {
            EXPECT_EQ(Place(*frame, layout.left.at(0)).size(), central.size());
            continue;
        }
        // The left column is as wide as "Splitter 1"; stacked views share x.
        for (View view : layout.left) {
            EXPECT_EQ(Place(*frame, view).width(), FrameSettings::kDefaultSplitter);
            EXPECT_LT(Place(*frame, view).right(), Place(*frame, layout.right.at(0)).left());
        }
        for (const QList<View>& column : {layout.left, layout.right})
            if (column.size() == 2) {
                EXPECT_EQ(Place(*frame, column.at(0)).left(), Place(*frame, column.at(1)).left());
                EXPECT_LT(Place(*frame, column.at(0)).bottom(), Place(*frame, column.at(1)).top());
            }
    }
}

TEST_F(MainFrameTest, PaneContentsFollowOption12)
{
    auto frame = ShowFrame(30);
    EXPECT_EQ(frame->ViewAt(View::Blau)->Title(), QStringLiteral("Document System"));
    EXPECT_EQ(frame->ViewAt(View::White)->Title(), QStringLiteral("Document Browser"));
    EXPECT_EQ(frame->ViewAt(View::Black)->Title(), QStringLiteral("Retrieved Segments"));
    EXPECT_EQ(frame->ViewAt(View::Green)->Title(), QStringLiteral("Code System"));
    frame.reset();

    g_qdaOptions.SetBool(QdaOption::PaneLayout, false);
    frame = ShowFrame(30);
    EXPECT_EQ(frame->ViewAt(View::Blau)->Title(), QStringLiteral("Document Browser"));
    EXPECT_EQ(frame->ViewAt(View::White)->Title(), QStringLiteral("Document System"));
    EXPECT_EQ(frame->ViewAt(View::Black)->Title(), QStringLiteral("Code System"));
    EXPECT_EQ(frame->ViewAt(View::Green)->Title(), QStringLiteral("Retrieved Segments"));
    // The pane command names a content: the document tree's sits in White now.
    frame->Commands().Execute(CommandId::PaneDocumentTree);
    EXPECT_EQ(frame->ViewState(), 26);
}

TEST_F(MainFrameTest, StoredMasksAndSizesAreMadeUsable)
{
    const struct {
        int viewState, oldViewState, buttonState, splitter;
        int expectedView, expectedOld, expectedButton, expectedSplitter;
    } cases[] = {
        {7, 30, 1, 350, 6, 30, 1, 350},      // the odd bit builds no view
        {0, 0, 0, 350, 30, 30, 0, 350},      // nothing visible would never show again
        {64, 33, 5, -40, 30, 30, 1, 20},
        {12, 14, 0, 99999, 12, 14, 0, 10000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.viewState);
        PrivateProfile profile = Profile();
        profile.WriteInt(kMainWindow, QStringLiteral("ViewState"), c.viewState);
        profile.WriteInt(kMainWindow, QStringLiteral("OldViewState"), c.oldViewState);
        profile.WriteInt(kMainWindow, QStringLiteral("ButtonState"), c.buttonState);
        profile.WriteInt(kMainWindow, QStringLiteral("Splitter 1"), c.splitter);
        const FrameSettings s = FrameSettings::Load(profile);
        EXPECT_EQ(s.viewState, c.expectedView);
        EXPECT_EQ(s.oldViewState, c.expectedOld);
        EXPECT_EQ(s.buttonState, c.expectedButton);
        EXPECT_EQ(s.splitter1, c.expectedSplitter);
    }
}

TEST_F(MainFrameTest, CaptionButtonsHideMaximiseAndRestore)
{
    auto frame = ShowFrame(30);
    // Maximise the browser from its caption, then restore.
    CBaseView* browser = frame->ViewAt(View::White);
    QTest::mouseClick(browser->MaximiseButton(), Qt::LeftButton);
    EXPECT_EQ(frame->ViewState(), ViewBit::White);
    EXPECT_EQ(frame->ButtonState(), 0);
    EXPECT_EQ(frame->OldViewState(), 30);
    EXPECT_FALSE(browser->HideButton()->isEnabled());
    EXPECT_EQ(browser->MaximiseButton()->toolTip(), QStringLiteral("Restore panes"));
    QTest::mouseClick(browser->MaximiseButton(), Qt::LeftButton);
    EXPECT_EQ(frame->ViewState(), 30);
    EXPECT_EQ(frame->ButtonState(), 1);
    EXPECT_TRUE(browser->HideButton()->isEnabled());

    // Hiding views one by one; the last one stays, and its restore brings
    // back the two views it was left with.
    QTest::mouseClick(frame->ViewAt(View::Black)->HideButton(), Qt::LeftButton);
    EXPECT_EQ(frame->ViewState(), 22);
    QTest::mouseClick(frame->ViewAt(View::Green)->HideButton(), Qt::LeftButton);
    EXPECT_EQ(frame->ViewState(), 6);
    QTest::mouseClick(frame->ViewAt(View::White)->HideButton(), Qt::LeftButton);
    EXPECT_EQ(frame->ViewState(), 2);
    EXPECT_EQ(frame->ButtonState(), 0);
    EXPECT_EQ(frame->OldViewState(), 6);
    frame->ArrangePanes(ViewBit::Blau, true);
    EXPECT_EQ(frame->ViewState(), 2) << "the last visible view stays";
    QTest::mouseClick(frame->ViewAt(View::Blau)->MaximiseButton(), Qt::LeftButton);
    EXPECT_EQ(frame->ViewState(), 6);
}

TEST_F(MainFrameTest, PaneMenuChecksAndToggles)
{
    auto frame = ShowFrame(30);
    QMenu* window = frame->menuBar()->actions().value(2)->menu();
    ASSERT_NE(window, nullptr);
    QAction* codeTree = frame->Commands().Action(CommandId::PaneCodeTree);
    window->popup(frame->geometry().center());
    EXPECT_TRUE(codeTree->isChecked());
    QTest::mouseClick(window, Qt::LeftButton, {}, window->actionGeometry(codeTree).center());
    EXPECT_EQ(frame->ViewState(), 30 & ~ViewBit::Green);
    window->popup(frame->geometry().center());
    EXPECT_FALSE(codeTree->isChecked());
    window->close();
}

TEST_F(MainFrameTest, SplitterBarsStopShortOfTheEdges)
{
    auto frame = ShowFrame(30);
    auto* outer = qobject_cast<QSplitter*>(frame->centralWidget());
    ASSERT_NE(outer, nullptr);
    QSplitterHandle* bar = outer->handle(1);
    EXPECT_EQ(outer->handleWidth(), CSplitterWndEx::kBarWidth);
    const auto dragTo = [&](int x) {
        const QPoint start(bar->width() / 2, bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, start);
        QTest::mouseMove(bar, bar->mapFrom(outer, QPoint(x, bar->y() + start.y())));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFrom(outer, QPoint(x, bar->y() + start.y())));
        return outer->sizes().value(0);
    };
    EXPECT_EQ(dragTo(300), 300 - CSplitterWndEx::kBarWidth / 2);
    EXPECT_EQ(dragTo(120), 300 - CSplitterWndEx::kBarWidth / 2) << "within 200 pixels of the edge";
    EXPECT_EQ(dragTo(outer->width() - 150), 300 - CSplitterWndEx::kBarWidth / 2);

    // The dragged width is what the next frame starts with.
    frame->close();
    EXPECT_EQ(FrameSettings::Load(Profile()).splitter1, 300 - CSplitterWndEx::kBarWidth / 2);
}

TEST_F(MainFrameTest, SettingsAreWrittenAndReadBack)
{
    testutil::TempDir files;
    const QString a = files.file(QStringLiteral("a.kv4"));
    const QString b = files.file(QStringLiteral("b.kv4"));
    ASSERT_TRUE(testutil::WriteFile(a, "x"));
    ASSERT_TRUE(testutil::WriteFile(b, "x"));
    PrivateProfile profile = Profile();
    // Ten stored entries, one missing, one repeated.
    for (int i = 1; i <= 10; ++i)
        profile.WriteString(QStringLiteral("Project"), QStringLiteral("Path%1").arg(i),
                            i == 1 ? a : i == 2 ? files.file(QStringLiteral("gone.kv4")) : b);
    profile.WriteString(QStringLiteral("User"), QStringLiteral("Users"), QStringLiteral("anna|ben"));
    {
        auto frame = ShowFrame(30);
        EXPECT_EQ(frame->Settings().recentProjects, (QStringList{a, b}));
        EXPECT_EQ(frame->Settings().users, QStringList{QStringLiteral("anna")});
        EXPECT_FALSE(frame->Settings().defaultUser.isEmpty());
        frame->setGeometry(QRect(40, 30, 700, 500));
        QTest::mouseClick(frame->ViewAt(View::Black)->HideButton(), Qt::LeftButton);
        frame->close();
    }
    // Keys beyond the list are emptied: a removed entry does not come back.
    EXPECT_TRUE(profile.GetString(QStringLiteral("Project"), QStringLiteral("Path3")).isEmpty());
    EXPECT_EQ(profile.GetString(QStringLiteral("User"), QStringLiteral("Users")), QStringLiteral("anna|"));

    auto frame = std::make_unique<CMainFrame>();
    frame->ShowWithPlacement();
    EXPECT_EQ(frame->ViewState(), 22);
    EXPECT_EQ(frame->geometry(), QRect(40, 30, 700, 500));
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_EQ(frame->Settings().recentProjects, (QStringList{a, b}));
}

// Without a kept placement the frame takes most of the screen, also where
// nothing maximises it.
TEST_F(MainFrameTest, TheFirstStartUsesMostOfTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CMainFrame frame;
    frame.ShowWithPlacement();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_GE(frame.normalGeometry().width(), screen.width() * 8 / 10);
    EXPECT_GE(frame.normalGeometry().height(), screen.height() * 8 / 10);
    EXPECT_TRUE(screen.contains(frame.normalGeometry()));
    frame.close();
}

TEST_F(MainFrameTest, WindowPlacementIsKeptOnScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QString text;
        int showCommand;
        QRect normal;   // before fitting to the screen
    } cases[] = {
        {QStringLiteral("0,1,0,0,0,0,10,20,410,320"), 1, QRect(10, 20, 400, 300)},
        {QStringLiteral("0,3,0,0,0,0,10,20,410,320"), 3, QRect(10, 20, 400, 300)},
        {QStringLiteral("0,2,0,0,0,0,10,20,410,320"), 1, QRect(10, 20, 400, 300)},   // never minimised
        {QStringLiteral("0,0,0,0,0,0,10,20,410,320"), 3, QRect(50, 50, 490, 490)},   // hidden: default
        {QStringLiteral("0,1,0,0"), 3, QRect(50, 50, 490, 490)},
        {QStringLiteral("0,1,0,0,0,0,x,20,410,320"), 3, QRect(50, 50, 490, 490)},
        {QStringLiteral("0,1,0,0,0,0,410,20,10,320"), 3, QRect(50, 50, 490, 490)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const WindowPlacement p = WindowPlacement::FromText(c.text);
        EXPECT_EQ(p.showCommand, c.showCommand);
        EXPECT_EQ(p.normal, c.normal);
    }
    // A window left on a monitor that is gone comes back whole.
    const QRect far(5000, 4000, 700, 500);
    const QRect fitted = WindowPlacement::FitToScreen(far, screen);
    EXPECT_TRUE(screen.contains(fitted));
    EXPECT_EQ(fitted.size(), far.size().boundedTo(screen.size()));
    EXPECT_EQ(WindowPlacement::FromText(WindowPlacement::FromText(cases[0].text).ToText()).normal, cases[0].normal);
}

TEST_F(MainFrameTest, StatusBarPanesAndDoubleClicks)
{
    auto frame = ShowFrame(30);
    for (int id : CMainFrame::kStatusPaneIds)
        ASSERT_NE(frame->StatusPane(id), nullptr) << id;
    EXPECT_EQ(frame->StatusPane(30017)->text(), QStringLiteral("1 / 1"));
    EXPECT_EQ(frame->StatusPane(30001)->toolTip(), QStringLiteral("Activated documents"));
    QSignalSpy clicks(frame.get(), &CMainFrame::StatusPaneDoubleClicked);
    QLabel* weight = frame->StatusPane(30005);
    QTest::mouseDClick(weight, Qt::LeftButton, {}, QPoint(50, 5));
    QTest::mouseDClick(weight, Qt::LeftButton, {}, QPoint(3, 5));
    QTest::mouseDClick(weight, Qt::LeftButton, {}, QPoint(62, 5));   // beyond the clickable part
    QTest::mouseDClick(frame->StatusPane(30004), Qt::LeftButton, {}, QPoint(20, 5));
    ASSERT_EQ(clicks.size(), 3);
    EXPECT_EQ(clicks.at(0), (QList<QVariant>{30005, 1}));
    EXPECT_EQ(clicks.at(1), (QList<QVariant>{30005, 0}));
    EXPECT_EQ(clicks.at(2), (QList<QVariant>{30004, 0}));
}

TEST_F(MainFrameTest, DeferredStartupOpensTheProjectOrEnds)
{
    testutil::ScriptedMessages messages;
    const QString path = m_dir.file(QStringLiteral("Study.kv4"));
    {
        CKorDoc maker;
        ASSERT_NE(maker.CreateProjectFile(path, QStringLiteral("MAIN")), nullptr);
    }
    CKorDoc document;
    CMainFrame frame(nullptr, &document);
    frame.ShowWithPlacement();
    QSignalSpy finished(&frame, &CMainFrame::StartupFinished);
    frame.StartDeferred(path, 0);
    ASSERT_TRUE(finished.wait());
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.Settings().recentProjects.value(0), path);
    frame.close();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'\n').toStdString();

    // Without a project (the prompt cancelled) the program ends.
    CMainFrame empty(nullptr, &document);
    empty.ShowWithPlacement();
    bool asked = false;
    empty.SetProjectPrompt([&] {
        asked = true;
        return QString();
    });
    QSignalSpy ended(&empty, &CMainFrame::StartupFinished);
    empty.StartDeferred(QString(), 0);
    ASSERT_TRUE(ended.wait());
    EXPECT_TRUE(asked);
    EXPECT_FALSE(ended.at(0).at(0).toBool());
    EXPECT_FALSE(empty.isVisible());
}

TEST_F(MainFrameTest, LayoutsLookAsRecorded)
{
    for (const int mask : {30, 12}) {
        SCOPED_TRACE(mask);
        auto frame = ShowFrame(mask);
        frame->centralWidget()->setFixedSize(760, 420);
        QCoreApplication::processEvents();
        EXPECT_TRUE(testutil::MatchesReferenceImage(
            frame->centralWidget(), testutil::DataPath(QStringLiteral("app/mainframe_layout%1.png").arg(mask))));
    }
}

TEST_F(MainFrameTest, QuickCodeListKeepsTheLastCodesFirst)
{
    auto frame = ShowFrame(30);
    CQuickCodeList& codes = frame->QuickCodes();
    codes.SetTextOf([](qint32 id, QString& text) {
        if (id > 100)
            return false;   // no such code in the project
        text = QStringLiteral("Code %1").arg(id);
        return true;
    });
    const struct {
        int capacityOption;
        QList<qint32> added;
        QList<qint32> expected;
    } cases[] = {
        {3, {1, 2, 3, 4}, {4, 3, 2}},
        {3, {1, 2, 1}, {1, 2}},   // listed again: moved to the top, not twice
        {0, {1, 2}, {2}},         // at least one
        {1, {5, 6}, {6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacityOption);
        g_qdaOptions.SetInt(QdaOption::QuickCodeCount, c.capacityOption);
        codes.ResetCombo();
        for (qint32 id : c.added)
            EXPECT_TRUE(codes.AddCode(id));
        EXPECT_EQ(codes.Codes(), c.expected);
        EXPECT_EQ(codes.SelectedCode(), c.added.last());
    }
    // The combo on the toolbar shows the list; a pick there selects.
    g_qdaOptions.SetInt(QdaOption::QuickCodeCount, 5);
    codes.ResetCombo();
    codes.AddCode(7);
    codes.AddCode(8);
    QComboBox* combo = frame->QuickCodeCombo();
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Code 8"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(codes.SelectedCode(), 7);

    // A code the project no longer knows leaves the list.
    EXPECT_FALSE(codes.AddCode(500));
    EXPECT_EQ(codes.Codes(), (QList<qint32>{8, 7}));
    codes.RemoveCode(7);
    EXPECT_EQ(codes.SelectedCode(), 0);
    EXPECT_TRUE(codes.UpdateCode(42));
    EXPECT_EQ(codes.Codes(), QList<qint32>{8});
}
