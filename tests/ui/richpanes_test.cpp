// The rich-text panes: scroll notices to the owner, zoom limits, Enter for
// the owner, dragging a selection out of the read-only text, and the
// segments text's context menu.
#include "richviewfixture.h"

#include "foundation/dragobject.h"
#include "ui/textpaneex.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class RecordingColumn : public CSideColumnG {
public:
    QList<CDragObject> drags;

protected:
    void StartDrag(const CDragObject& object) override { drags << object; }
};

QString LongText()
{
    QStringList lines;
    for (int i = 1; i <= 80; ++i)
        lines << QStringLiteral("Line %1 of a long interview transcript.").arg(i);
    return lines.join(QLatin1Char('\r'));
}

class RichPanes : public ::testing::Test {
protected:
    void SetUp() override
    {
        column.Create(kStyleChild | kStyleVisible | kStyleVScroll | kStyleMultiline, QRect(0, 0, 300, 200), nullptr,
                      506);
        column.SetOwner(&owner);
        column.SetText(LongText());
        column.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
        owner.scrolled = 0;
    }

    RecordingViewOwner owner;
    RecordingColumn column;
};

TEST_F(RichPanes, EveryWayOfScrollingReachesTheOwner)
{
    column.setFocus();
    QTest::keyClick(&column, Qt::Key_PageDown);
    EXPECT_GT(column.verticalScrollBar()->value(), 0);
    const int byKey = owner.scrolled;
    EXPECT_GT(byKey, 0);

    QWheelEvent wheel(QPointF(50, 50), column.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(column.viewport(), &wheel);
    EXPECT_GT(owner.scrolled, byKey);

    const int byWheel = owner.scrolled;
    column.verticalScrollBar()->setValue(0);
    EXPECT_GT(owner.scrolled, byWheel) << "the scroll bar";
}

TEST_F(RichPanes, ZoomStaysWithinItsLimits)
{
    for (int i = 0; i < 12; ++i)
        column.ZoomIn();
    EXPECT_EQ(column.ZoomStep(), 48);
    EXPECT_EQ(owner.zoomed, 12);
    column.ZoomIn();
    EXPECT_EQ(column.ZoomStep(), 48);
    EXPECT_EQ(owner.zoomed, 12) << "past the bound nothing happens";
    column.ZoomReset();
    EXPECT_EQ(column.ZoomStep(), 0);
    EXPECT_EQ(column.ZoomNumerator(), 0) << "zoom off";
    for (int i = 0; i < 9; ++i)
        column.ZoomOut();
    EXPECT_EQ(column.ZoomStep(), -32);
    EXPECT_EQ(owner.zoomed, 13 + 8);
}

TEST_F(RichPanes, EnterGoesToTheOwnerOncePerPressWhileEditable)
{
    column.setFocus();
    QTest::keyClick(&column, Qt::Key_Return);
    EXPECT_EQ(owner.enters, 0) << "read-only";
    ASSERT_TRUE(column.SetEditable(true));
    EXPECT_TRUE(column.SetEditable(true)) << "unchanged";
    QTest::keyPress(&column, Qt::Key_Return);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(&column, &repeat);
    QTest::keyRelease(&column, Qt::Key_Return);
    EXPECT_EQ(owner.enters, 1) << "a held key sends once";
    QTest::keyClick(&column, Qt::Key_Return);
    EXPECT_EQ(owner.enters, 2);
}

TEST_F(RichPanes, EditsReachTheOwnerWithTheDeleteKeyNamed)
{
    column.SetText(QStringLiteral("abc"));
    EXPECT_TRUE(owner.changes.isEmpty()) << "loading the read-only text is no edit";
    column.SetEditable(true);
    column.setFocus();
    column.SetSel(0, 0);
    QTest::keyClick(&column, Qt::Key_Delete);
    QTest::keyClick(&column, Qt::Key_X);
    EXPECT_EQ(owner.changes, (QList<bool>{true, false}));
}

TEST_F(RichPanes, SelectionInTheReadOnlyTextIsDraggedAfterFivePixels)
{
    column.SetSel(0, 30);
    const QPoint inside = column.PosFromChar(5) + QPoint(2, 4);
    for (const auto& [move, drags] : {std::pair{QPoint(4, 4), false}, std::pair{QPoint(5, 0), true}}) {
        column.drags.clear();
        column.SetSel(0, 30);
        QTest::mousePress(column.viewport(), Qt::LeftButton, Qt::NoModifier, inside);
        QTest::mouseMove(column.viewport(), inside + move);
        QTest::mouseRelease(column.viewport(), Qt::LeftButton, Qt::NoModifier, inside + move);
        ASSERT_EQ(column.drags.size(), drags ? 1 : 0);
        if (drags) {
            EXPECT_EQ(column.drags[0].m_kind, 15);
            EXPECT_EQ(column.drags[0].m_id, 0);
        }
    }
}

TEST_F(RichPanes, RightClickOnTheDocumentTextAsksForTheMenu)
{
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(3, 3), column.viewport()->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(column.viewport(), &menu);
    ASSERT_EQ(owner.requests.size(), 1);
    EXPECT_EQ(owner.requests[0].code, RequestCode::ContextMenu);
    EXPECT_EQ(owner.requests[0].kind, 15);
}

TEST(TextPaneEx, RightClickAsksForTheMenuOnlyOverASelection)
{
    RecordingViewOwner owner;
    CTextPaneEx pane;
    pane.Create(QRect(0, 0, 300, 200), nullptr, 97);
    pane.SetOwner(&owner);
    pane.SetText(LongText());
    EXPECT_TRUE(pane.isReadOnly());
    EXPECT_EQ(pane.GetLimitText(), 100'000'000);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(10, 10), pane.viewport()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(pane.viewport(), &menu);
    EXPECT_TRUE(owner.requests.isEmpty());
    pane.SetSel(0, 10);
    QApplication::sendEvent(pane.viewport(), &menu);
    ASSERT_EQ(owner.requests.size(), 1);
    EXPECT_EQ(owner.requests[0].kind, 32);
    EXPECT_EQ(owner.requests[0].itemId, 0);

    // Scrolling reaches the owner only with scroll sync; keys always.
    pane.verticalScrollBar()->setValue(40);
    EXPECT_EQ(owner.scrolled, 0);
    pane.m_scrollSync = true;
    pane.verticalScrollBar()->setValue(0);
    EXPECT_EQ(owner.scrolled, 1);
    pane.m_scrollSync = false;
    pane.setFocus();
    QTest::keyClick(&pane, Qt::Key_PageDown);
    EXPECT_EQ(owner.scrolled, 2);
}

}  // namespace
