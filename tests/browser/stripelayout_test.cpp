#include "browser/browserids.h"
#include "browser/stripelayout.h"

#include <gtest/gtest.h>

namespace {

StripeItem Stripe(int first, int last, int page = 1)
{
    StripeItem stripe;
    stripe.row.StartChar = first;
    stripe.row.FinishChar = last + 1;
    stripe.row.Page = page;
    stripe.firstLine = first;
    stripe.lastLine = last;
    return stripe;
}

QList<int> LanesOf(const QList<StripeItem>& stripes)
{
    QList<int> lanes;
    for (const StripeItem& stripe : stripes)
        lanes << stripe.lane;
    return lanes;
}

struct LaneCase {
    const char* name;
    QList<StripeItem> stripes;
    QList<int> lanes;
    int count;
};

class StripeLanes : public ::testing::TestWithParam<LaneCase> {};

TEST_P(StripeLanes, OverlappingStripesNeverShareALane)
{
    LaneCase c = GetParam();
    EXPECT_EQ(LayoutStripeLanes(c.stripes, false), c.count);
    EXPECT_EQ(LanesOf(c.stripes), c.lanes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripeLanes,
    ::testing::Values(
        LaneCase{"TwoInsideOneLongDoNotMeetEachOther", {Stripe(1, 10), Stripe(2, 3), Stripe(5, 6)}, {1, 2, 2}, 2},
        LaneCase{"StartingOnTheLastLineOfAnotherMeetsIt", {Stripe(1, 3), Stripe(3, 5)}, {1, 2}, 2},
        LaneCase{"ALaterStripeMovesPastBothItMeets",
                 {Stripe(1, 3), Stripe(2, 9), Stripe(5, 6), Stripe(5, 8)},
                 {1, 2, 1, 3},
                 3},
        LaneCase{"StripesOnOtherPagesNeverCompete", {Stripe(1, 10, 1), Stripe(1, 10, 2)}, {1, 1}, 1},
        LaneCase{"NoStripes", {}, {}, 0}),
    [](const ::testing::TestParamInfo<LaneCase>& info) { return std::string(info.param.name); });

TEST(StripeLanes, DeletedAndFilteredStripesTakeNoLane)
{
    QList<StripeItem> stripes{Stripe(1, 10), Stripe(1, 10), Stripe(1, 10)};
    stripes[0].editFlags = EditFlag::Edited | EditFlag::Deleted;
    stripes[1].visible = false;
    EXPECT_EQ(LayoutStripeLanes(stripes, false), 1);
    EXPECT_EQ(LanesOf(stripes), (QList<int>{0, 0, 1}));
}

TEST(StripeLanes, TableStripesCompeteOnlyWithinTheirRow)
{
    QList<StripeItem> stripes{Stripe(1, 10), Stripe(1, 10), Stripe(1, 10)};
    stripes[0].row.PosX1 = 1;
    stripes[1].row.PosX1 = 2;
    stripes[2].row.PosX1 = 1;
    EXPECT_EQ(LayoutStripeLanes(stripes, true), 2);
    EXPECT_EQ(LanesOf(stripes), (QList<int>{1, 1, 2}));
}

TEST(StripeLabels, LabelsAtOneHeightEndOneLabelApartInArrayOrder)
{
    QList<StripeItem> stripes{Stripe(1, 2), Stripe(1, 2), Stripe(1, 2)};
    for (StripeItem& stripe : stripes) {
        stripe.top = 100;
        stripe.bottom = 140;
        stripe.labelY = 113;
        stripe.lane = 1;
    }
    ResolveStripeLabels(stripes, 13);
    EXPECT_EQ(stripes[0].labelY, 113);
    EXPECT_EQ(stripes[1].labelY, 113 + 26);
    EXPECT_EQ(stripes[2].labelY, 113 + 13);
}

TEST(StripeLabels, OffScreenStripesKeepTheirLabelsAndGetNoLabelLane)
{
    QList<StripeItem> stripes{Stripe(1, 2), Stripe(1, 2)};
    stripes[0].bottom = -1;
    stripes[0].labelY = 50;
    stripes[1].top = 40;
    stripes[1].bottom = 70;
    stripes[1].labelY = 50;
    stripes[1].lane = 2;
    ResolveStripeLabels(stripes, 13);
    EXPECT_EQ(stripes[0].labelY, 50);
    EXPECT_EQ(stripes[0].labelLane, 0);
    EXPECT_EQ(stripes[1].labelY, 50);
    EXPECT_EQ(stripes[1].labelLane, 2);
}

// ---- Edits ------------------------------------------------------------------------

struct Anchors {
    QList<StripeItem> stripes;
    QList<InTextMemoItem> memos;
    QList<LinkItem> links;
    QList<TimeMarkItem> marks;
};

Anchors MakeAnchors(int start, int finish)
{
    Anchors a;
    StripeItem stripe;
    stripe.row.StartChar = start;
    stripe.row.FinishChar = finish;
    a.stripes << stripe;
    LinkItem link;
    link.row.StartChar = start;
    link.row.FinishChar = finish;
    a.links << link;
    InTextMemoItem memo;
    memo.row.Pos = start;
    a.memos << memo;
    TimeMarkItem mark;
    mark.position = start;
    a.marks << mark;
    return a;
}

struct EditCase {
    const char* name;
    int position, removed, added;
    // Expected stripe and link range, memo position and mark position.
    int start, finish;
    bool stripeDeleted;
    int memo;
    int mark;
    bool markDeleted;
};

class TextEdits : public ::testing::TestWithParam<EditCase> {};

// Anchors at [10, 20): a stripe, a link over the same range, a memo and a
// time mark at 10.
TEST_P(TextEdits, AnchoredItemsFollowTheText)
{
    const EditCase& c = GetParam();
    Anchors a = MakeAnchors(10, 20);
    TrackTextEdit(a.stripes, a.memos, a.links, &a.marks, c.position, c.removed, c.added);
    const StripeItem& stripe = a.stripes[0];
    EXPECT_EQ(bool(stripe.editFlags & EditFlag::Deleted), c.stripeDeleted);
    if (!c.stripeDeleted) {
        EXPECT_EQ(stripe.row.StartChar, c.start);
        EXPECT_EQ(stripe.row.FinishChar, c.finish);
        // Only a stripe that changed is written back.
        EXPECT_EQ(bool(stripe.editFlags & EditFlag::Edited), c.start != 10 || c.finish != 20);
    }
    EXPECT_EQ(a.memos[0].row.Pos, c.memo);
    EXPECT_EQ(bool(a.marks[0].editFlags & EditFlag::Deleted), c.markDeleted);
    if (!c.markDeleted) {
        EXPECT_EQ(a.marks[0].position, c.mark);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextEdits,
    ::testing::Values(
        // Typing one character just before the stripe moves it by one.
        EditCase{"TypingBeforeMoves", 9, 0, 1, 11, 21, false, 11, 11, false},
        EditCase{"TypingAtTheStartMoves", 10, 0, 1, 11, 21, false, 11, 10, false},
        // Typing inside lengthens it by one.
        EditCase{"TypingInsideGrows", 15, 0, 1, 10, 21, false, 10, 10, false},
        EditCase{"TypingAtTheEndGrows", 20, 0, 1, 10, 21, false, 10, 10, false},
        EditCase{"TypingAfterLeavesIt", 25, 0, 3, 10, 20, false, 10, 10, false},
        // Deleting exactly the stripe's range deletes it.
        EditCase{"DeletingTheRangeDeletes", 10, 10, 0, 0, 0, true, 10, 0, true},
        // Deleting its first half moves its start to the caret.
        EditCase{"DeletingTheFirstHalf", 5, 10, 0, 5, 10, false, 5, 0, true},
        EditCase{"DeletingTheSecondHalf", 15, 10, 0, 10, 15, false, 10, 10, false},
        EditCase{"DeletingInsideShrinks", 12, 3, 0, 10, 17, false, 10, 10, false},
        EditCase{"DeletingBeforeMovesBack", 2, 4, 0, 6, 16, false, 6, 6, false},
        EditCase{"ReplacingBeforeByLongerText", 2, 4, 6, 12, 22, false, 12, 12, false},
        EditCase{"ReplacingOverTheStartDeletesThenInserts", 5, 10, 2, 7, 12, false, 7, 0, true}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST(TextEdits, AChangeOfTheSameLengthMovesNothingAndMarksTheStripesItTouches)
{
    Anchors a = MakeAnchors(10, 20);
    StripeItem away;
    away.row.StartChar = 40;
    away.row.FinishChar = 50;
    a.stripes << away;
    const EditEffect effect = TrackTextEdit(a.stripes, a.memos, a.links, &a.marks, 12, 3, 3);
    EXPECT_TRUE(effect.stripes);
    EXPECT_EQ(a.stripes[0].row.StartChar, 10);
    EXPECT_EQ(a.stripes[0].row.FinishChar, 20);
    EXPECT_TRUE(a.stripes[0].editFlags & EditFlag::Edited);
    EXPECT_EQ(a.stripes[1].editFlags, 0u);
    EXPECT_EQ(a.memos[0].editFlags, 0u);
}

TEST(TextEdits, DeletingALinkWholeDeletesItAndDeletingBeforeItMovesIt)
{
    Anchors a = MakeAnchors(10, 20);
    LinkItem later;
    later.row.StartChar = 30;
    later.row.FinishChar = 35;
    a.links << later;
    TrackTextEdit(a.stripes, a.memos, a.links, nullptr, 8, 14, 0);
    EXPECT_TRUE(a.links[0].editFlags & EditFlag::Deleted);
    EXPECT_EQ(a.links[1].row.StartChar, 16);
    EXPECT_EQ(a.links[1].row.FinishChar, 21);
    EXPECT_EQ(a.links[1].editFlags, EditFlag::Edited);
}

TEST(TextEdits, AMemoInsideADeletedRangeMovesToItsStart)
{
    Anchors a = MakeAnchors(10, 20);
    a.memos[0].row.Pos = 15;
    TrackTextEdit(a.stripes, a.memos, a.links, nullptr, 12, 6, 0);
    EXPECT_EQ(a.memos[0].row.Pos, 12);
    EXPECT_TRUE(a.memos[0].editFlags & EditFlag::Edited);
}

}  // namespace
