// The browser's margins beside the rich text: coding stripes in lanes,
// memo icons, paragraph numbers, geo dots and media bands, laid out against
// the text at every zoom and scroll, and their clicks and drags.
#include "richviewfixture.h"

#include "common/screenshots.h"
#include "common/testutil.h"

#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

QString Sentence(int paragraph)
{
    return QStringLiteral("Paragraph %1: we talked about the move to the city, the first weeks at work, "
                          "the neighbours and what felt strange, and how it changed over the year.")
        .arg(paragraph);
}

QStringList Paragraphs(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << Sentence(i);
    return texts;
}

StripeRecord Coding(qint32 id, int start, int end, COLORREF colour, const QString& code, const QString& comment = {})
{
    StripeRecord stripe;
    stripe.codingId = id;
    stripe.start = start;
    stripe.end = end;
    stripe.colour = colour;
    stripe.codePath = code;
    stripe.comment = comment;
    stripe.weight = 50;
    return stripe;
}

// Positions count the paragraph end, so paragraph k starts at its offset.
int ParagraphStart(const QStringList& texts, int paragraph)
{
    int start = 0;
    for (int i = 1; i < paragraph; ++i)
        start += int(texts[i - 1].size()) + 1;
    return start;
}

class BrowserMargins : public ::testing::Test {
protected:
    void SetUp() override
    {
        texts = Paragraphs(8);
        const int p2 = ParagraphStart(texts, 2);
        const int p3 = ParagraphStart(texts, 3);
        browser.stripeData = {
            Coding(1, 0, 40, MakeColor(220, 40, 40), QStringLiteral("Feelings\\Anger"), QStringLiteral("strong")),
            Coding(2, 20, p2 + 30, MakeColor(40, 90, 220), QStringLiteral("Places\\City")),
            Coding(3, 30, 45, MakeColor(30, 160, 60), QStringLiteral("Work")),
            Coding(4, p2 + 90, p3 + 40, MakeColor(230, 140, 20), QStringLiteral("Time\\First weeks")),
            Coding(5, 80, 95, MakeColor(150, 60, 170), QStringLiteral("Work\\Start")),
        };
        browser.laneCount = AssignLanes(browser.stripeData);
        MemoMark first;
        first.memoId = 71;
        first.paragraph = 1;
        first.position = 0;
        first.title = QStringLiteral("First impression");
        first.author = QStringLiteral("ka");
        first.created = QStringLiteral("2026-03-02");
        first.text = QStringLiteral("Ask about the neighbours.");
        MemoMark second = first;
        second.memoId = 72;
        second.position = 5;
        second.image = 1;
        second.framed = true;
        MemoMark third = first;
        third.memoId = 73;
        third.paragraph = 3;
        third.position = p3;
        browser.memoData = {first, second, third};
        browser.paragraphs.m_geoLinks = {quint32(p2 + 10)};
        browser.Load(texts);
        browser.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
        browser.Relayout();
    }

    const StripeRecord& Stripe(qint32 id) const
    {
        for (const StripeRecord& stripe : browser.stripeData)
            if (stripe.codingId == id)
                return stripe;
        throw std::out_of_range("no stripe");
    }

    QStringList texts;
    TestBrowser browser;
};

TEST_F(BrowserMargins, OverlappingCodingsTakeLanesAndPaintAsRecorded)
{
    EXPECT_EQ(browser.laneCount, 3);
    EXPECT_EQ(Stripe(1).lane, 1);
    EXPECT_EQ(Stripe(2).lane, 2);
    EXPECT_EQ(Stripe(3).lane, 3);
    EXPECT_EQ(Stripe(4).lane, 1) << "lane 1 is free again after the first coding ends";
    EXPECT_EQ(Stripe(5).lane, 1);
    EXPECT_TRUE(testutil::MatchesReferenceImage(&browser, testutil::DataPath(QStringLiteral("screenshots/browser_margins.png"))));
}

TEST_F(BrowserMargins, StripeStartsOnTheLineOfItsFirstCharacterAtEveryZoom)
{
    // Coding 5 starts on the second line of a wrapped paragraph, so its bar
    // must start below the paragraph's top.
    for (int zoomIns : {0, 8}) {
        SCOPED_TRACE(zoomIns == 0 ? "100 %" : "200 %");
        for (int i = 0; i < zoomIns; ++i)
            browser.text.ZoomIn();
        ASSERT_EQ(browser.text.ZoomStep(), 4 * zoomIns);
        for (const StripeRecord& stripe : browser.stripeData) {
            if (!stripe.visible)
                continue;
            SCOPED_TRACE(stripe.codingId);
            EXPECT_NEAR(stripe.topY, LineTopOf(browser.text, stripe.start), 1);
            EXPECT_NEAR(stripe.bottomY + 1, LineBottomOf(browser.text, stripe.end - 1), 1);
        }
        const StripeRecord& wrapped = Stripe(5);
        ASSERT_TRUE(wrapped.visible);
        EXPECT_GT(wrapped.topY, LineTopOf(browser.text, 0) + 5);
        // The painted bar starts there too: the first row of its column in
        // the stripe's colour is the line's top.
        const QImage picture = browser.stripes.grab().toImage();
        const int x = browser.stripes.StripeX(wrapped);
        int firstRow = -1;
        for (int y = std::max(0, wrapped.topY - 12); y < wrapped.topY + 12 && firstRow < 0; ++y)
            if (QColor(picture.pixel(x, y)) == QColor(150, 60, 170))
                firstRow = y;
        EXPECT_NEAR(firstRow, LineTopOf(browser.text, wrapped.start), 1);
    }
    for (int i = 0; i < 8; ++i)
        browser.text.ZoomOut();
    EXPECT_EQ(browser.text.ZoomStep(), 0);
}

TEST_F(BrowserMargins, ScrollingKeepsStripesOnTheirLinesAndLaysOutOnlyWhatIsVisible)
{
    browser.Load(Paragraphs(60));
    const int scrolledBefore = browser.scrolled;
    browser.text.setFocus();
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(&browser.text, Qt::Key_PageDown);
    ASSERT_GT(browser.text.verticalScrollBar()->value(), 0);
    EXPECT_GT(browser.scrolled, scrolledBefore) << "each scroll reaches the owner";
    for (qint32 id : {1, 2, 3, 4, 5})
        EXPECT_FALSE(Stripe(id).visible) << id;
    EXPECT_EQ(browser.tables.firstSlot % 2, 0);
    EXPECT_GT(browser.tables.firstSlot, 0);
    const int first = browser.tables.firstSlot;
    EXPECT_NEAR(browser.tables.positions[first], LineTopOf(browser.text, browser.tables.characters[first]), 1);
    EXPECT_LE(browser.tables.lastSlot - first, 2 * 10) << "only the paragraphs in view";

    // A coding in view after the scroll.
    const int paragraph = first / 2 + 2;
    const int start = int(browser.tables.characters[2 * (paragraph - 1)]) + 15;
    browser.stripeData.append(Coding(9, start, start + 20, MakeColor(0, 0, 0), QStringLiteral("Late")));
    browser.laneCount = AssignLanes(browser.stripeData);
    browser.Relayout();
    ASSERT_TRUE(Stripe(9).visible);
    EXPECT_NEAR(Stripe(9).topY, LineTopOf(browser.text, start), 1);
}

TEST_F(BrowserMargins, LaneTableAndLabelStagger)
{
    QList<StripeRecord> none;
    CChartWndC empty;
    EXPECT_EQ(empty.ComputeColumnWidths(0), 10) << "no stripe array";
    empty.SetStripes(&none);
    EXPECT_EQ(empty.ComputeColumnWidths(0), 10) << "no stripes";

    // Same middle in lanes 1, 2 and 3: labels move apart alternately.
    QList<StripeRecord> same = {Coding(1, 10, 30, 0, QStringLiteral("a")), Coding(2, 0, 40, 0, QStringLiteral("b")),
                                Coding(3, 5, 35, 0, QStringLiteral("c"))};
    for (int i = 0; i < 3; ++i) {
        same[i].lane = i + 1;
        same[i].visible = true;
    }
    CChartWndC margin;
    margin.SetStripes(&same);
    margin.ComputeColumnWidths(3);
    EXPECT_EQ(same[2].stagger, 0);
    EXPECT_EQ(same[1].stagger, 1);
    EXPECT_EQ(same[0].stagger, -1);
    EXPECT_EQ(margin.LaneTable().mid(0, 3), (QList<int>{5, 15, 25}));

    margin.m_showLabels = false;
    EXPECT_EQ(margin.ComputeColumnWidths(3), 30);
}

TEST_F(BrowserMargins, ALabelWiderThanTheMarginIsShortenedInsideIt)
{
    // Lanes count from either edge; a long label must end inside the margin
    // with an ellipsis, not run off its far edge with its start cut away.
    for (const bool fromLeft : {false, true}) {
        QList<StripeRecord> stripes = {Coding(1, 0, 40, MakeColor(200, 0, 0), QStringLiteral("Feelings\\Anxiety about the future"))};
        stripes[0].lane = 1;
        stripes[0].labelLane = 1;
        stripes[0].visible = true;
        stripes[0].topY = 10;
        stripes[0].bottomY = 70;
        stripes[0].labelTop = 30;
        CChartWndC margin;
        margin.m_lanesFromLeft = fromLeft;
        margin.SetStripes(&stripes);
        margin.ComputeColumnWidths(1);
        margin.resize(70, 90);
        const QImage picture = margin.grab().toImage();
        const int edge = fromLeft ? picture.width() - 1 : 0;
        const QRgb grey = picture.pixel(edge, 2);
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y)
            inked += picture.pixel(edge, y) != grey;
        EXPECT_EQ(inked, 0) << (fromLeft ? "lanes from the left" : "lanes from the right");
        int labelInk = 0;
        for (int x = 0; x < picture.width(); ++x)
            labelInk += qRed(picture.pixel(x, 36)) > qGreen(picture.pixel(x, 36)) + 60;
        EXPECT_GT(labelInk, 10) << "the shortened label is still drawn";
    }
}

TEST_F(BrowserMargins, ClicksOnStripesAskToFollowOpenAndShowTheMenu)
{
    const StripeRecord& stripe = Stripe(3);
    const QPoint bar(browser.stripes.StripeX(stripe), stripe.topY + 2);
    QTest::mouseClick(&browser.stripes, Qt::LeftButton, Qt::NoModifier, bar);
    DoubleClick(&browser.stripes, Qt::LeftButton, Qt::ShiftModifier, bar);
    QTest::mouseClick(&browser.stripes, Qt::RightButton, Qt::NoModifier, bar);
    QList<SeenRequest> stripeRequests;
    for (const SeenRequest& seen : browser.requests)
        if (seen.kind == 10)
            stripeRequests << seen;
    ASSERT_GE(stripeRequests.size(), 3);
    EXPECT_EQ(stripeRequests.front().code, RequestCode::FollowItem);
    EXPECT_EQ(stripeRequests.front().itemId, 3);
    bool opened = false;
    for (const SeenRequest& seen : stripeRequests)
        if (seen.code == RequestCode::OpenItem) {
            opened = true;
            EXPECT_EQ(seen.itemId, 3);
            EXPECT_EQ(seen.modifierKeys, ModifierKey::Shift);
        }
    EXPECT_TRUE(opened);
    EXPECT_EQ(stripeRequests.back().code, RequestCode::ContextMenu);
    EXPECT_EQ(stripeRequests.back().itemId, 3);

    browser.requests.clear();
    QTest::mouseClick(&browser.stripes, Qt::LeftButton, Qt::NoModifier, QPoint(2, browser.height() - 2));
    ASSERT_EQ(browser.requests.size(), 1);
    EXPECT_EQ(browser.requests[0].itemId, 0) << "off every stripe";
}

TEST_F(BrowserMargins, MemoDraggedToAnotherParagraphStoresItsPlace)
{
    const MemoMark& third = browser.memoData[2];
    const QPoint icon = browser.memos.IconRect(third).center();
    const int target = LineTopOf(browser.text, ParagraphStart(texts, 5)) + 3;
    QTest::mousePress(&browser.memos, Qt::LeftButton, Qt::NoModifier, icon);
    QTest::mouseMove(&browser.memos, icon + QPoint(0, 3));
    EXPECT_FALSE(browser.memos.Dragging()) << "within the 10 x 10 square";
    QTest::mouseMove(&browser.memos, QPoint(icon.x(), target));
    EXPECT_TRUE(browser.memos.Dragging());
    QTest::mouseRelease(&browser.memos, Qt::LeftButton, Qt::NoModifier, QPoint(icon.x(), target));
    EXPECT_FALSE(browser.memos.Dragging());
    QList<SeenRequest> sets;
    for (const SeenRequest& seen : browser.requests)
        if (seen.code == RequestCode::SetFieldValue)
            sets << seen;
    ASSERT_EQ(sets.size(), 2);
    EXPECT_EQ(sets[0].fieldId, 7);
    EXPECT_EQ(sets[0].text, QString::number(ParagraphStart(texts, 5)));
    EXPECT_EQ(sets[1].fieldId, 3);
    EXPECT_EQ(sets[1].text, QStringLiteral("5"));
    EXPECT_EQ(browser.memoData[2].paragraph, 5);

    // Dropped outside the browser: the memo stays where it is.
    browser.requests.clear();
    const QPoint moved = browser.memos.IconRect(browser.memoData[0]).center();
    QTest::mousePress(&browser.memos, Qt::LeftButton, Qt::NoModifier, moved);
    QTest::mouseMove(&browser.memos, moved + QPoint(0, 30));
    QTest::mouseRelease(&browser.memos, Qt::LeftButton, Qt::NoModifier, QPoint(moved.x(), browser.height() + 50));
    for (const SeenRequest& seen : browser.requests)
        EXPECT_NE(seen.code, RequestCode::SetFieldValue);
    EXPECT_EQ(browser.memoData[0].paragraph, 1);
}

TEST_F(BrowserMargins, MemoClickFollowsAndSecondMemoOfAParagraphTakesTheNextColumn)
{
    EXPECT_EQ(browser.memoData[0].column, 0);
    EXPECT_EQ(browser.memoData[1].column, 1);
    EXPECT_EQ(browser.memoData[2].column, 0);
    EXPECT_EQ(browser.memos.NeededWidth(), (12 + 5) * 2 + 5);
    Hover(&browser.memos, browser.memos.IconRect(browser.memoData[0]).center());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("First impression (ka, 2026-03-02)\nAsk about the neighbours."));
    QTest::mouseClick(&browser.memos, Qt::LeftButton, Qt::NoModifier,
                      browser.memos.IconRect(browser.memoData[1]).center());
    ASSERT_FALSE(browser.requests.isEmpty());
    EXPECT_EQ(browser.requests.back().code, RequestCode::FollowItem);
    EXPECT_EQ(browser.requests.back().kind, 11);
    EXPECT_EQ(browser.requests.back().itemId, 72);
}

TEST_F(BrowserMargins, ParagraphMarginClicks)
{
    const int y = LineTopOf(browser.text, ParagraphStart(texts, 2)) + 3;
    struct Case {
        bool geoStrip;
        int x;
        int paragraph;  // 0: nothing sent
    };
    for (const Case& c : {Case{true, 5, 0}, Case{false, 5, 2}, Case{true, 25, 2}}) {
        browser.requests.clear();
        browser.paragraphs.m_showGeoStrip = c.geoStrip;
        QTest::mouseClick(&browser.paragraphs, Qt::LeftButton, Qt::NoModifier, QPoint(c.x, y));
        if (c.paragraph == 0) {
            EXPECT_TRUE(browser.requests.isEmpty());
            continue;
        }
        ASSERT_EQ(browser.requests.size(), 1);
        EXPECT_EQ(browser.requests[0].kind, 13);
        EXPECT_EQ(browser.requests[0].itemId, c.paragraph);
    }
    // Double click and menu report no keys even with Shift held.
    browser.requests.clear();
    DoubleClick(&browser.paragraphs, Qt::LeftButton, Qt::ShiftModifier, QPoint(25, y));
    QTest::mouseClick(&browser.paragraphs, Qt::RightButton, Qt::ShiftModifier, QPoint(25, y));
    for (const SeenRequest& seen : browser.requests) {
        if (seen.code != RequestCode::FollowItem) {
            EXPECT_EQ(seen.modifierKeys, 0);
        }
    }
}

TEST_F(BrowserMargins, ParagraphMarginTipAsksTheOwnerOncePerParagraph)
{
    const int y2 = LineTopOf(browser.text, ParagraphStart(texts, 2)) + 3;
    Hover(&browser.paragraphs, QPoint(25, y2));
    Hover(&browser.paragraphs, QPoint(26, y2 + 4));
    EXPECT_EQ(browser.paragraphs.toolTip(), QStringLiteral("long 13/2"));
    int asked = 0;
    for (const SeenRequest& seen : browser.requests)
        asked += seen.code == RequestCode::ItemInfo;
    EXPECT_EQ(asked, 1);

    browser.paragraphs.m_showMediaColumn = true;
    const QList<MediaMarkBand> marks = {{31, 10, true, 0}};
    browser.paragraphs.SetMediaMarks(&marks, 0);
    Hover(&browser.paragraphs, QPoint(browser.paragraphs.width() - 4, 40));
    EXPECT_EQ(browser.paragraphs.toolTip(), QStringLiteral("long 26/31"));
    browser.paragraphs.SetMediaMarks(nullptr, 0);
}

TEST_F(BrowserMargins, MediaColumnBandsAndClicks)
{
    CChartWndF& margin = browser.paragraphs;
    margin.m_showMediaColumn = true;
    const QList<MediaMarkBand> emptyMarks;
    margin.SetMediaMarks(&emptyMarks, 0);
    const int right = margin.width() - 5;
    const int y = LineTopOf(browser.text, ParagraphStart(texts, 2)) + 3;
    QTest::mouseClick(&margin, Qt::LeftButton, Qt::NoModifier, QPoint(right, y));
    ASSERT_EQ(browser.requests.size(), 1);
    EXPECT_EQ(browser.requests[0].kind, 13) << "no marks: the paragraph is meant";
    EXPECT_EQ(QColor(margin.grab().toImage().pixel(right, y)), QColor(232, 232, 232));

    const QList<MediaMarkBand> marks = {{31, 10, true, 0}, {32, 60, true, 0}, {33, 0, false, kMarkNotLaidOut}};
    margin.SetMediaMarks(&marks, 32);
    const QImage picture = margin.grab().toImage();
    EXPECT_NEAR(QColor(picture.pixel(right, 10)).red(), 242, 2) << "grey band of a mark";
    EXPECT_EQ(QColor(picture.pixel(right, 10)).red(), QColor(picture.pixel(right, 10)).blue());
    const QColor current(picture.pixel(right, 61));
    EXPECT_NEAR(current.red(), 203, 2);
    EXPECT_NEAR(current.blue(), 230, 2);
    browser.requests.clear();
    QTest::mouseClick(&margin, Qt::LeftButton, Qt::NoModifier, QPoint(right, 40));
    QTest::mouseClick(&margin, Qt::LeftButton, Qt::NoModifier, QPoint(right, 5));
    ASSERT_EQ(browser.requests.size(), 1) << "above the first band nothing is sent";
    EXPECT_EQ(browser.requests[0].kind, 26);
    EXPECT_EQ(browser.requests[0].itemId, 31);
    margin.SetMediaMarks(nullptr, 0);
}

}  // namespace
