// Actions are made from the command table, commands travel view, document,
// frame, application, and states are asked when menus open and on the
// toolbar timer.

#include "app/appids.h"
#include "app/commandtable.h"
#include "app/mainframe.h"
#include "common/testutil.h"
#include "foundation/stringstore.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

// A link of the route that knows a set of commands and records what it did.
class RecordingTarget : public ICommandTarget {
public:
    RecordingTarget(QString name, QStringList* log, QList<int> known = {})
        : m_name(std::move(name)), m_log(log), m_known(std::move(known)) {}
    bool OnCommand(int id) override
    {
        m_log->append(m_name);
        return m_known.contains(id);
    }
    bool OnUpdateCommand(CCmdUI& ui) override
    {
        if (!m_known.contains(ui.id))
            return false;
        ui.Enable(enabled);
        if (checked >= 0)
            ui.SetCheck(checked == 1);
        return true;
    }
    bool enabled = true;
    int checked = -1;   // -1: no check mark

private:
    QString m_name;
    QStringList* m_log;
    QList<int> m_known;
};

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
    void TearDown() override { g_pStringStore->Close(); }
};

QMenu* MenuOf(QMainWindow& frame, int index)
{
    return frame.menuBar()->actions().value(index)->menu();
}

}  // namespace

TEST_F(CommandTest, ActionsComeFromTheTable)
{
    CMainFrame frame;
    CCommandManager& commands = frame.Commands();
    QAction* exit = commands.Action(CommandId::AppExit);
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(commands.Action(CommandId::AppExit), exit) << "one action per command";
    EXPECT_EQ(exit->data().toInt(), CommandId::AppExit);
    EXPECT_EQ(exit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(exit->toolTip(), QStringLiteral("Exit  Alt+F4"));
    EXPECT_EQ(commands.Action(CommandId::AppAbout)->toolTip(), QStringLiteral("About KORVAN10..."));
    EXPECT_EQ(commands.Action(4711), nullptr);
    EXPECT_EQ(CommandTooltip(QStringLiteral("Save && &close"), QKeySequence(QStringLiteral("Ctrl+S"))),
              QStringLiteral("Save & close  Ctrl+S"));

    // After a switch of language every action and menu speaks the new one.
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 0));
    commands.Retranslate();
    EXPECT_EQ(exit->text(), QStringLiteral("&Beenden"));
    EXPECT_EQ(MenuOf(frame, 0)->title(), QStringLiteral("&Datei"));
}

TEST_F(CommandTest, CommandsTravelViewDocumentFrameApplication)
{
    QStringList log;
    RecordingTarget app(QStringLiteral("app"), &log, {CommandId::AppExit});
    RecordingTarget view(QStringLiteral("view"), &log);
    RecordingTarget document(QStringLiteral("document"), &log);
    CMainFrame frame(&app);
    frame.SetActiveView(&view);
    frame.SetActiveDocument(&document);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));

    // The shortcut, typed as a user would.
    QTest::keyClick(&frame, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(log, (QStringList{QStringLiteral("view"), QStringLiteral("document"), QStringLiteral("app")}));

    // The first target that knows the command keeps it from the others.
    log.clear();
    RecordingTarget knowingDocument(QStringLiteral("document"), &log, {CommandId::AppExit});
    frame.SetActiveDocument(&knowingDocument);
    QTest::keyClick(&frame, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(log, (QStringList{QStringLiteral("view"), QStringLiteral("document")}));

    // Nobody knows it: nothing happens, and the route says so.
    frame.SetActiveDocument(nullptr);
    EXPECT_FALSE(frame.Commands().Execute(CommandId::AppAbout));
}

TEST_F(CommandTest, MenusAskWhenTheyOpenToolbarsOnTheTimer)
{
    QStringList log;
    RecordingTarget app(QStringLiteral("app"), &log, {CommandId::AppExit});
    CMainFrame frame(&app);
    frame.show();
    QAction* exit = frame.Commands().Action(CommandId::AppExit);
    QAction* about = frame.Commands().Action(CommandId::AppAbout);

    // Opening the menu asks the route: a command nobody knows is disabled.
    app.enabled = false;
    QMenu* file = MenuOf(frame, 0);
    file->popup(frame.geometry().center());
    EXPECT_FALSE(exit->isEnabled());
    file->close();
    app.enabled = true;
    // The help menu is the last of the bar.
    QMenu* help = MenuOf(frame, int(frame.menuBar()->actions().size()) - 1);
    help->popup(frame.geometry().center());
    EXPECT_FALSE(about->isEnabled());
    help->close();
    file->popup(frame.geometry().center());
    EXPECT_TRUE(exit->isEnabled());
    file->close();

    // A toolbar's actions follow the state without a menu being opened.
    QToolBar* bar = frame.addToolBar(QStringLiteral("bar"));
    bar->addAction(exit);
    app.checked = 1;
    EXPECT_TRUE(QTest::qWaitFor([&] { return exit->isChecked(); }));
    app.enabled = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !exit->isEnabled(); }));
}
