// The strip beside retrieved segments: boxes with the weight band and the
// source lines, hover, clicks, the drag threshold and the text ranges.
#include "richviewfixture.h"

#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/dragobject.h"
#include "ui/dragstripwnd.h"
#include "ui/textpaneex.h"

#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

class RecordingStrip : public CDragStripWnd {
public:
    QList<CDragObject> drags;

protected:
    void StartDrag(const CDragObject& object) override { drags << object; }
};

QList<QPixmap> TestGlyphs()
{
    QList<QPixmap> glyphs;
    for (QColor colour : {QColor(230, 180, 60), QColor(200, 60, 60), QColor(120, 120, 120), QColor(70, 120, 210)}) {
        QPixmap glyph(10, 10);
        glyph.fill(colour);
        glyphs << glyph;
    }
    return glyphs;
}

std::unique_ptr<SegmentBoxItem> Box(qint32 id, int top, int height, int textStart, int textEnd, qint32 weight,
                                    const QString& comment = {})
{
    SegmentCoding coding;
    coding.id = id;
    coding.weight = weight;
    coding.comment = comment;
    coding.firstParagraph = id;
    coding.lastParagraph = id + 2;
    coding.documentPath = QStringLiteral("Interviews\\Anna %1").arg(id);
    coding.codePath = QStringLiteral("Feelings\\Anger");
    auto item = std::make_unique<SegmentBoxItem>(MakeColor(250, 250, 235), coding);
    item->m_box = QRect(0, top, 120, height);
    item->m_textStart = textStart;
    item->m_textEnd = textEnd;
    item->m_textEndY = top + height + 30;
    return item;
}

class SegmentStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFont small(QStringLiteral("DejaVu Sans"));
        small.setPixelSize(10);
        strip.setFont(small);
        strip.Create(QRect(0, 0, 120, 360), nullptr, 98);
        strip.SetOwner(&owner);
        strip.SetGlyphs(TestGlyphs());
        strip.SetLineMetrics(10, 10);
        strip.InsertItem(Box(11, 4, 90, 0, 100, 80, QStringLiteral("the turning point")), -1);
        strip.InsertItem(Box(12, 130, 90, 100, 180, 25), -1);
        strip.InsertItem(Box(13, 260, 90, 180, 300, 100), -1);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    }

    RecordingViewOwner owner;
    RecordingStrip strip;
};

TEST_F(SegmentStrip, BoxesWithWeightsAndSourcesPaintAsRecorded)
{
    Hover(&strip, QPoint(60, 170));
    EXPECT_EQ(owner.highlighted, 12);
    EXPECT_TRUE(strip.Item(1)->m_highlighted);
    EXPECT_EQ(strip.Item(1)->m_fillColour, DarkenColor(MakeColor(250, 250, 235)));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&strip, testutil::DataPath(QStringLiteral("screenshots/segment_strip.png"))));
}

TEST_F(SegmentStrip, ScrolledStripDrawsBoxesWhereTheirTextIs)
{
    strip.SetScrollOffset(126, false);
    const QImage picture = strip.grab().toImage();
    // Box 12's band now stands at the top.
    EXPECT_EQ(QColor(picture.pixel(30, 6)), QColor(80, 110, 200));
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::NoModifier, QPoint(60, 20));
    ASSERT_FALSE(owner.requests.isEmpty());
    EXPECT_EQ(owner.requests.back().itemId, 12);
}

TEST_F(SegmentStrip, ClicksFollowOpenAndAskForTheMenu)
{
    QTest::mouseClick(&strip, Qt::LeftButton, Qt::ControlModifier, QPoint(60, 40));
    DoubleClick(&strip, Qt::LeftButton, Qt::NoModifier, QPoint(60, 300));
    QTest::mouseClick(&strip, Qt::RightButton, Qt::NoModifier, QPoint(60, 110));
    ASSERT_GE(owner.requests.size(), 3);
    EXPECT_EQ(owner.requests.front().code, RequestCode::FollowItem);
    EXPECT_EQ(owner.requests.front().kind, 10);
    EXPECT_EQ(owner.requests.front().itemId, 11);
    EXPECT_EQ(owner.requests.front().modifierKeys, ModifierKey::Ctrl);
    bool opened = false;
    for (const SeenRequest& seen : owner.requests)
        if (seen.code == RequestCode::OpenItem) {
            opened = true;
            EXPECT_EQ(seen.itemId, 13);
        }
    EXPECT_TRUE(opened);
    EXPECT_EQ(owner.requests.back().code, RequestCode::ContextMenu);
    EXPECT_EQ(owner.requests.back().kind, 14) << "between boxes: the strip itself";
    EXPECT_EQ(owner.requests.back().itemId, 98);
    EXPECT_EQ(owner.highlighted, 0) << "the menu removes the highlight";

    RecordingStrip empty;
    empty.Create(QRect(0, 0, 50, 100), nullptr, 98);
    empty.SetOwner(&owner);
    owner.requests.clear();
    QTest::mouseClick(&empty, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    ASSERT_EQ(owner.requests.size(), 1);
    EXPECT_EQ(owner.requests[0].kind, 14);
    EXPECT_EQ(owner.requests[0].itemId, 98);
}

TEST_F(SegmentStrip, DragStartsAfterFourPixels)
{
    struct Case {
        QPoint move;
        bool drags;
    };
    for (const Case& c : {Case{{3, 0}, false}, Case{{0, 3}, false}, Case{{-3, 3}, false}, Case{{4, 0}, true},
                          Case{{0, -4}, true}}) {
        SCOPED_TRACE(testing::Message() << c.move.x() << "," << c.move.y());
        strip.drags.clear();
        const QPoint press(60, 50);
        QTest::mousePress(&strip, Qt::LeftButton, Qt::NoModifier, press);
        QTest::mouseMove(&strip, press + c.move);
        QTest::mouseRelease(&strip, Qt::LeftButton, Qt::NoModifier, press + c.move);
        ASSERT_EQ(strip.drags.size(), c.drags ? 1 : 0);
        if (c.drags) {
            EXPECT_EQ(strip.drags[0].m_kind, 10);
            EXPECT_EQ(strip.drags[0].m_id, 11);
            EXPECT_TRUE(strip.drags[0].m_ids.isEmpty());
        }
    }
}

TEST_F(SegmentStrip, HoverOverACommentedBoxShowsTheComment)
{
    Hover(&strip, QPoint(60, 40));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("the turning point"));
}

TEST_F(SegmentStrip, InsertingAndRemovingMoveTheFollowingRanges)
{
    strip.InsertItem(Box(20, 100, 20, 100, 140, 0), 1);
    int start = 0;
    int end = 0;
    ASSERT_TRUE(strip.GetItemRange(20, start, end));
    EXPECT_EQ(start, 100);
    EXPECT_EQ(end, 139);
    ASSERT_TRUE(strip.GetItemRange(12, start, end));
    EXPECT_EQ(start, 140);
    EXPECT_EQ(end, 219);
    ASSERT_TRUE(strip.GetItemRange(13, start, end));
    EXPECT_EQ(start, 220);

    EXPECT_TRUE(strip.RemoveItemById(12));
    EXPECT_EQ(owner.deleted, (QList<QPair<int, int>>{{140, 220}}));
    ASSERT_TRUE(strip.GetItemRange(13, start, end));
    EXPECT_EQ(start, 140);
    EXPECT_EQ(end, 259);
    EXPECT_FALSE(strip.FindItemById(12));
    EXPECT_FALSE(strip.RemoveItemById(12));
    EXPECT_FALSE(strip.GetItemRange(12, start, end));
}

TEST_F(SegmentStrip, ReplacedSegmentTextKeepsItsSeparatorAndMovesTheFollowingItems)
{
    CTextPaneEx pane;
    pane.Create(QRect(0, 0, 300, 200), nullptr, 97);
    pane.SetText(QStringLiteral("Seg one.|||||Seg two.|||||"));
    strip.RemoveAllItems(false);
    strip.InsertItem(Box(1, 0, 90, 0, 13, 10), -1);
    strip.InsertItem(Box(2, 100, 90, 13, 26, 20), -1);
    SegmentCoding coding;
    coding.id = 1;
    coding.weight = 90;
    EXPECT_FALSE(strip.ReplaceItemText(1, coding, "{\\rtf1 x}")) << "no text control";
    strip.SetTextControl(&pane);
    EXPECT_FALSE(strip.ReplaceItemText(7, coding, "{\\rtf1 x}")) << "no such item";
    EXPECT_FALSE(strip.ReplaceItemText(1, coding, QByteArray())) << "no text";
    ASSERT_TRUE(strip.ReplaceItemText(1, coding, "{\\rtf1\\ansi Segment one, longer.}"));
    EXPECT_EQ(pane.GetTextRange(0, pane.GetTextLength()), QStringLiteral("Segment one, longer.|||||Seg two.|||||"));
    EXPECT_EQ(strip.Item(0)->m_coding.weight, 90);
    int start = 0;
    int end = 0;
    ASSERT_TRUE(strip.GetItemRange(1, start, end));
    EXPECT_EQ(end + 1, 25);
    ASSERT_TRUE(strip.GetItemRange(2, start, end));
    EXPECT_EQ(start, 25);
    EXPECT_EQ(end + 1, 38);
}

TEST_F(SegmentStrip, FitWidthFollowsTheWidestLineAndKeepsTheHeight)
{
    const int height = strip.height();
    EXPECT_TRUE(strip.FitWidth(false));
    const int fitted = strip.width();
    EXPECT_GT(fitted, 0);
    EXPECT_EQ(strip.Item(0)->m_box.width(), fitted);
    EXPECT_FALSE(strip.FitWidth(false)) << "already fitted";
    strip.Layout(fitted);
    strip.Layout(fitted);
    EXPECT_EQ(strip.height(), height) << "laying out again does not shrink the strip";
}

}  // namespace
