#pragma once

// The main frame over a real project in a temporary folder: the language
// table in English, the profile and options of the test's own, scripted
// messages and file prompts, and helpers that click through menus and the
// program's modal dialogs.

#include "app/mainframe.h"
#include "common/recordingpane.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "document/docfixture.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace frametest {

/// The last target of the command route: records what reached it.
class RecordingTarget : public ICommandTarget {
public:
    bool OnCommand(int id) override
    {
        commands.append(id);
        return true;
    }
    bool OnUpdateCommand(CCmdUI&) override { return false; }
    QList<int> commands;
};

/// Runs `act` on the next modal dialog once it shows; the test then runs
/// the code that opens it.
inline void WhenModalShows(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

/// The menu bar's menus, left to right.
enum MenuIndex { kFileMenu = 0, kEditMenu = 1, kWindowMenu = 2, kAnalysisMenu = 3 };

/// Clicks a command of a shown menu, which must offer it enabled.
inline void ClickCommandIn(QMenu* menu, int commandId)
{
    ASSERT_NE(menu, nullptr);
    QAction* command = nullptr;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->data().toInt() == commandId)
            command = action;
    ASSERT_NE(command, nullptr) << "command " << commandId;
    ASSERT_TRUE(command->isVisible() && command->isEnabled()) << "command " << commandId;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(command).center());
}

/// Clicks a command in a menu of the menu bar, as a user does.
inline void ClickMenuCommand(QMainWindow& window, int menuIndex, int commandId)
{
    QMenuBar* bar = window.menuBar();
    QAction* title = bar->actions().value(menuIndex);
    ASSERT_NE(title, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QMenu* menu = title->menu();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    ClickCommandIn(menu, commandId);
}

/// Clicks a command in a submenu (titled by its text id) of a menu of the
/// menu bar: the menu opened by a click, the submenu shown from its entry.
inline void ClickSubmenuCommand(QMainWindow& window, int menuIndex, int submenuTextId, int commandId)
{
    QMenuBar* bar = window.menuBar();
    QAction* title = bar->actions().value(menuIndex);
    ASSERT_NE(title, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QMenu* menu = title->menu();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* entry = nullptr;
    for (QAction* action : menu->actions())
        if (action->menu() && action->menu()->title() == LoadString(submenuTextId))
            entry = action;
    ASSERT_NE(entry, nullptr) << "submenu " << submenuTextId;
    menu->setActiveAction(entry);
    entry->menu()->popup(menu->mapToGlobal(menu->actionGeometry(entry).topRight()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(entry->menu()));
    ClickCommandIn(entry->menu(), commandId);
    QCoreApplication::processEvents();
    menu->close();
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        g_program.OptionsFilePath = dir.file(QStringLiteral("KORVAN10.prp"));
        g_program.SettingsFolder = dir.path() + QLatin1Char('/');
        g_program.AppTitle = QStringLiteral("KORVAN10  10.0  R2");
        BuildOptionDefinitions();
        g_qdaOptions.SetBool(QdaOption::AutomaticBackup, false);
        g_qdaOptions.SetBool(QdaOption::PaneLayout, true);
        document.GetRegistry().Register(&pane);
        pane.showsAll = true;
    }
    void TearDown() override
    {
        if (frame)
            frame->close();
        frame.reset();
        document.CloseDatabase();
        g_pStringStore->Close();
        g_program = {};
    }
    /// A new, empty project file in the folder.
    QString MakeProject(const QString& name)
    {
        const QString path = dir.file(name);
        CKorDoc maker;
        EXPECT_NE(maker.CreateProjectFile(path, QStringLiteral("MAIN")), nullptr);
        return path;
    }
    /// A frame of a fixed size over the document, shown.
    void ShowFrame()
    {
        frame = std::make_unique<CMainFrame>(&app, &document);
        frame->resize(900, 640);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    /// Opens the project through the frame's open command and its prompt.
    void OpenThroughMenu(const QString& path)
    {
        messages.files.append({path});
        ClickMenuCommand(*frame, 0, 32783);
        QCoreApplication::processEvents();
    }
    /// A right click on a node, as a pane reports it: the menu shown.
    QMenu* RightClick(qint32 kind, qint32 item, qint32 sender, QList<quint32> ids = {})
    {
        if (QMenu* shown = frame->ShownContextMenu())
            shown->close();
        QCoreApplication::processEvents();
        IdListNotifyInfo info(RequestCode::ContextMenu);
        info.kind = kind;
        info.itemId = item;
        info.ids = ids;
        info.point = frame->mapToGlobal(QPoint(200, 150));
        info.controlId = sender;
        EXPECT_TRUE(frame->RouteRequest(info));
        QMenu* menu = frame->ShownContextMenu();
        if (menu) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        }
        return menu;
    }
    QString OpenPath() const
    {
        return document.GetEngine() ? document.GetEngine()->GetPath() : QString();
    }
    TopicDatabase& db() { return document.GetDatabase(); }

    testutil::TempDir dir;
    testutil::ScriptedMessages messages;
    testutil::CallLog log;
    RecordingTarget app;
    CKorDoc document;
    testutil::RecordingPane pane{"pane", log};
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace frametest
