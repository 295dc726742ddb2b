// Prepared models in the Modeler window opened from the frame: a kind
// started from the window's menu, a code dragged from the code tree with the
// mouse, the options dialog confirmed and the model built.

#include "framefixture.h"

#include "common/dropdelivery.h"

#include "foundation/dragobject.h"
#include "panes/objtreectrl.h"
#include "store/storedmodel.h"
#include "ui/commandtoolbar.h"
#include "visual/modelerdlg.h"
#include "visual/modelkinds.h"

#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>

namespace {

using namespace frametest;

class ModelKindsWindowTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("kinds.k10")));
        ASSERT_NE(frame->GetDocument(), nullptr);
        CodeRecord record;
        record.name = QStringLiteral("Themes");
        themes = document.NewCode(record);
        record.name = QStringLiteral("Work");
        record.parent = themes;
        work = document.NewCode(record);
        ClickMenuCommand(*frame, kWindowMenu, FrameModelerCommand::Open);
        window = frame->ModelEditor();
        ASSERT_TRUE(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.data()));
    }
    void TearDown() override
    {
        if (window)
            window->close();
        QCoreApplication::processEvents();
        FrameTest::TearDown();
    }
    /// Opens the window's first menu and its sub-menu of new models, and
    /// clicks the command there, as a user does.
    void ClickNewModelOfKind(int command)
    {
        QMenuBar* bar = window->MenuBar();
        QAction* title = bar->actions().value(0);
        ASSERT_TRUE(title);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
        QMenu* menu = title->menu();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QAction* kinds = nullptr;
        for (QAction* action : menu->actions())
            if (action->menu())
                kinds = action;
        ASSERT_TRUE(kinds);
        // Pointing at the sub-menu's item and pressing Right opens it.
        QTest::mouseMove(menu, menu->actionGeometry(kinds).center());
        menu->setActiveAction(kinds);
        QTest::keyClick(menu, Qt::Key_Right);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(kinds->menu()));
        ClickCommandIn(kinds->menu(), command);
    }
    /// Presses on a code's label in the code tree and moves past the drag
    /// distance: the payload the tree offers.
    std::unique_ptr<CDragObject> DragCode(qint32 code, QString& identity)
    {
        CObjTreeCtrl* tree = frame->CodeTree();
        std::unique_ptr<CDragObject> offered;
        tree->SetDragRunner([&](const CDragObject& payload, const QString& from) {
            offered = std::make_unique<CDragObject>(payload);
            identity = from;
            return Qt::CopyAction;
        });
        TreeNode* node = tree->FindNode(TopicId::Codes, code);
        EXPECT_TRUE(node);
        if (!node)
            return nullptr;
        QWidget* viewport = tree->TreeView()->viewport();
        const QRect text = tree->NodeTextRect(node);
        const QPoint from(text.left() + 10, text.center().y());
        const QPoint to = from + QPoint(QApplication::startDragDistance() + 8, 3);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        tree->SetDragRunner({});
        return offered;
    }
    bool DeliverDrop(const CDragObject& payload, const QString& identity, QPoint at)
    {
        return testutil::DeliverDrag(window->Canvas()->viewport(), payload, identity, at);
    }

    QPointer<CModelerDlg> window;
    qint32 themes = 0;
    qint32 work = 0;
};

}  // namespace

TEST_F(ModelKindsWindowTest, ASubcodeModelFromTheMenuAndACodeDraggedFromTheTree)
{
    ClickNewModelOfKind(ModelerCommand::NewModelKind1 + 5);
    ModelKindSettings& kind = window->Canvas()->KindSettings();
    EXPECT_EQ(kind.Kind, ModelKind::SubcodeModel);
    // Title and placeholder; the drawing tools rest until the drop.
    EXPECT_EQ(window->Canvas()->Core().Objects().size(), 2u);
    window->UpdateCommands();
    EXPECT_FALSE(window->ToolBar()->CommandAction(ModelerCommand::ModeSelect)->isEnabled());
    EXPECT_FALSE(window->ToolBar()->CommandAction(ModelerCommand::InsertText)->isEnabled());

    QString identity;
    std::unique_ptr<CDragObject> payload = DragCode(themes, identity);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->m_kind, TopicId::Codes);
    int shown = 0;
    WhenModalShows([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<CModelKindDlg*>(modal);
        if (!dialog)
            return;
        shown = dialog->TemplateId();
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog->Control(1)), Qt::LeftButton);
    });
    EXPECT_TRUE(DeliverDrop(*payload, identity, QPoint(60, 60)));
    EXPECT_EQ(shown, 3133);
    EXPECT_EQ(kind.Kind, 0);
    const ModelerCanvasCore& core = window->Canvas()->Core();
    const qint32 top = core.FindObjectByRef(TopicId::Codes, themes);
    const qint32 sub = core.FindObjectByRef(TopicId::Codes, work);
    EXPECT_NE(top, 0);
    EXPECT_NE(sub, 0);
    EXPECT_TRUE(core.LinkExists(sub, top));
    window->UpdateCommands();
    EXPECT_TRUE(window->ToolBar()->CommandAction(ModelerCommand::ModeSelect)->isEnabled());
    EXPECT_FALSE(window->MenuAction(ModelerCommand::Undo)->isEnabled());

    // A drag from another project's window is not taken.
    EXPECT_FALSE(DeliverDrop(*payload, QStringLiteral("another project"), QPoint(60, 60)));
}
