// The header strips of the two trees: their columns, tips and fixed widths,
// and the tree's columns following them.

#include "treefixture.h"

#include "document/objectlistregistry.h"
#include "ui/headerctrl.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

using treetest::TreeTest;

namespace {

int ScrollBarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

/// The tip the header shows when the mouse rests at x.
QString TipShownAt(QHeaderView* header, int x)
{
    QToolTip::hideText();
    const QPoint at(x, header->height() / 2);
    QHelpEvent help(QEvent::ToolTip, at, header->viewport()->mapToGlobal(at));
    QApplication::sendEvent(header->viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

int Centre(QHeaderView* header, int column)
{
    return header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
}

TEST_F(TreeTest, EachTreeStandsOnItsOwnHeaderWithTipsPerColumn)
{
    BuildProject();
    // Trees made now, with the language table open: their headers' tips.
    CObjTreeCtrl codes;
    TreePaneWindow documents;
    for (CTreePaneBase* pane : {static_cast<CTreePaneBase*>(&codes), static_cast<CTreePaneBase*>(&documents)}) {
        pane->SetOwner(&owner);
        doc.GetRegistry().Register(pane);
    }
    doc.RebuildTree(false);
    struct Case {
        CTreePaneBase* pane;
        bool codeHeader;
        int countWidth;
        QStringList tips;
    };
    const Case cases[] = {
        {&codes, true, ScrollBarWidth() + 48, {"Codes", "Memos", "Coded segments"}},
        {&documents, false, ScrollBarWidth() + 43, {"Documents", "Memos", "Coded segments"}},
    };
    for (const Case& c : cases) {
        c.pane->resize(300, 240);
        c.pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.pane));
        HeaderLookBase* header = c.pane->Header();
        EXPECT_EQ(dynamic_cast<CHeaderCtrlB*>(header) != nullptr, c.codeHeader);
        EXPECT_EQ(dynamic_cast<CHeaderCtrlH*>(header) != nullptr, !c.codeHeader);
        EXPECT_EQ(header->height(), CTreePaneBase::kHeaderHeight);
        // The name column takes what the memo and count columns leave.
        EXPECT_EQ(header->sectionSize(CIdTreeModel::MemoColumn), 19);
        EXPECT_EQ(header->sectionSize(CIdTreeModel::CountColumn), c.countWidth);
        EXPECT_EQ(header->sectionSize(CIdTreeModel::NameColumn), 298 - 19 - c.countWidth + 2);
        // The tree's name and memo columns stand where the header's do.
        QHeaderView* columns = c.pane->TreeView()->header();
        EXPECT_EQ(columns->sectionSize(CIdTreeModel::NameColumn), header->sectionSize(CIdTreeModel::NameColumn));
        EXPECT_EQ(columns->sectionSize(CIdTreeModel::MemoColumn), 19);
        EXPECT_EQ(columns->sectionViewportPosition(CIdTreeModel::MemoColumn),
                  header->sectionViewportPosition(CIdTreeModel::MemoColumn));
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(TipShownAt(header, Centre(header, column)), c.tips.at(column)) << column;
        c.pane->hide();
    }
    QToolTip::hideText();
}

TEST_F(TreeTest, TheTreeHeadersNeitherResizeNorMoveTheirColumns)
{
    BuildProject();
    codeTree.resize(300, 240);
    codeTree.show();
    QHeaderView* header = codeTree.Header();
    QWidget* viewport = header->viewport();
    const QList<int> before = {header->sectionSize(0), header->sectionSize(1), header->sectionSize(2)};
    const auto drag = [viewport](QPoint from, QPoint to) {
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (const QPoint at : {(from + to) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), viewport->mapToGlobal(QPointF(at)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    };
    const int divider = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    drag(QPoint(divider, 6), QPoint(divider + 40, 6));
    drag(QPoint(Centre(header, 2), 6), QPoint(10, 6));
    EXPECT_EQ((QList<int>{header->sectionSize(0), header->sectionSize(1), header->sectionSize(2)}), before);
    EXPECT_EQ(header->visualIndex(CIdTreeModel::CountColumn), CIdTreeModel::CountColumn);
}

TEST_F(TreeTest, TheCheckColumnOptionWidensTheMemoColumnAndHidesTheCount)
{
    BuildProject();
    const qint32 memo = AttachMemo(codeJoy, QStringLiteral("About joy"));
    ASSERT_GT(memo, 0);
    codeTree.resize(300, 240);
    codeTree.show();
    codeTree.SetCheckColumnWidth(true);
    QHeaderView* header = codeTree.Header();
    QHeaderView* columns = codeTree.TreeView()->header();
    EXPECT_EQ(header->sectionSize(CIdTreeModel::MemoColumn), 19 + ScrollBarWidth());
    EXPECT_EQ(header->sectionSize(CIdTreeModel::CountColumn), 0);
    EXPECT_EQ(columns->sectionSize(CIdTreeModel::MemoColumn), 19 + ScrollBarWidth());
    EXPECT_EQ(columns->sectionViewportPosition(CIdTreeModel::MemoColumn),
              header->sectionViewportPosition(CIdTreeModel::MemoColumn));
    // A right click in the widened memo column, past the old one, reaches the memo.
    const QPoint label = LabelPoint(codeTree, TopicId::Codes, codeJoy);
    const int x = columns->sectionViewportPosition(CIdTreeModel::MemoColumn) + 19 + ScrollBarWidth() / 2;
    QTest::mouseClick(Viewport(codeTree), Qt::RightButton, {}, QPoint(x, label.y()));
    EXPECT_EQ(owner.requests, std::vector<std::string>{"menu(11," + std::to_string(memo) + ",0)"});

    codeTree.SetCheckColumnWidth(false);
    EXPECT_EQ(header->sectionSize(CIdTreeModel::MemoColumn), 19);
    EXPECT_EQ(header->sectionSize(CIdTreeModel::CountColumn), ScrollBarWidth() + 43);
    EXPECT_EQ(columns->sectionSize(CIdTreeModel::NameColumn), header->sectionSize(CIdTreeModel::NameColumn));
}

TEST_F(TreeTest, TheCountColumnWidensUntilTheLargestCountFits)
{
    // Six digits would lose their first one at the column's default width.
    owner.countShown = 300000;
    BuildProject();
    for (CTreePaneBase* pane : {static_cast<CTreePaneBase*>(&codeTree), static_cast<CTreePaneBase*>(&docTree)}) {
        pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pane));
        HeaderLookBase* header = pane->Header();
        const int digits = pane->TreeView()->fontMetrics().horizontalAdvance(QStringLiteral("300000"));
        EXPECT_GE(header->sectionSize(CIdTreeModel::CountColumn) - ScrollBarWidth() - CTreePaneBase::kCountRightGap,
                  digits);
        // The name column gives up what the count column took.
        EXPECT_EQ(header->sectionSize(CIdTreeModel::NameColumn),
                  298 - 19 - header->sectionSize(CIdTreeModel::CountColumn) + 2);
        pane->hide();
    }
    // Back from the check column the count column fits again.
    codeTree.SetCheckColumnWidth(true);
    EXPECT_EQ(codeTree.Header()->sectionSize(CIdTreeModel::CountColumn), 0);
    codeTree.SetCheckColumnWidth(false);
    EXPECT_GT(codeTree.Header()->sectionSize(CIdTreeModel::CountColumn), ScrollBarWidth() + 48);
}

}  // namespace
