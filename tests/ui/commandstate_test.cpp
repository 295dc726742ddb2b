// The status bar's pane texts and pane commands, and the object commands'
// state.

#include "ui/commandstate.h"

#include <gtest/gtest.h>

TEST(StatusPanes, TextsFollowTheState)
{
    RetrievalStatus s;
    s.activatedDocuments = 3;
    s.activatedCodes = 12;
    s.retrievedSegments = 40;
    s.defaultWeight = 50;
    s.settingsSummary = QStringLiteral("OR");
    s.page = 0;
    s.pageCount = 7;
    EXPECT_EQ(StatusPaneTexts(s), (QStringList{"3", "12", "40", "50", "", "", "", "OR", "1 / 7"}));
    s.weightFilterOn = true;
    s.weightMin = 20;
    s.weightMax = 80;
    EXPECT_EQ(StatusPaneTexts(s)[5], "20 - 80");
}

TEST(StatusPanes, DoubleClicksChangeTheStateOrAskForIt)
{
    struct Case {
        const char* name;
        int pane;
        bool flag;
        std::function<void(RetrievalStatus&)> before;
        PaneAction action;
        std::function<bool(const RetrievalStatus&)> after;
    };
    const auto none = [](RetrievalStatus&) {};
    const std::vector<Case> cases = {
        {"sort key 3 wraps to 1", StatusPane::SortKey, false, [](RetrievalStatus& s) { s.sortKey = 3; },
         PaneAction::RerunRetrieval, [](const RetrievalStatus& s) { return s.sortKey == 1; }},
        {"sort key 1 to 2", StatusPane::SortKey, false, none, PaneAction::RerunRetrieval,
         [](const RetrievalStatus& s) { return s.sortKey == 2; }},
        {"sort key out of range stays, yet reruns", StatusPane::SortKey, false,
         [](RetrievalStatus& s) { s.sortKey = 7; }, PaneAction::RerunRetrieval,
         [](const RetrievalStatus& s) { return s.sortKey == 7; }},
        {"right part, filter off: nothing", StatusPane::WeightFilter, true, none, PaneAction::None,
         [](const RetrievalStatus& s) { return !s.weightFilterOn; }},
        {"left part switches the filter on", StatusPane::WeightFilter, false, none, PaneAction::RerunRetrieval,
         [](const RetrievalStatus& s) { return s.weightFilterOn; }},
        {"right part, filter on: the range dialog", StatusPane::WeightFilter, true,
         [](RetrievalStatus& s) { s.weightFilterOn = true; }, PaneAction::AskWeightRange,
         [](const RetrievalStatus& s) { return s.weightFilterOn; }},
        {"subcodes switch", StatusPane::Subcodes, false, none, PaneAction::RerunRetrieval,
         [](const RetrievalStatus& s) { return s.includeSubcodes; }},
        {"weight asks", StatusPane::Weight, false, none, PaneAction::AskDefaultWeight,
         [](const RetrievalStatus&) { return true; }},
        {"settings open the function dialog", StatusPane::Settings, false, none, PaneAction::OpenRetrievalFunction,
         [](const RetrievalStatus&) { return true; }},
        {"page asks", StatusPane::Page, false, none, PaneAction::AskPage, [](const RetrievalStatus&) { return true; }},
        {"a count pane does nothing", StatusPane::Codes, false, none, PaneAction::None,
         [](const RetrievalStatus&) { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RetrievalStatus s;
        c.before(s);
        EXPECT_EQ(ApplyPaneCommand(c.pane, c.flag, s), c.action);
        EXPECT_TRUE(c.after(s));
    }
}

TEST(StatusPanes, AWeightRangeAboveItsMaximumIsPulledDown)
{
    RetrievalStatus s;
    EXPECT_FALSE(StoreWeightRange(s, 80, 20));
    EXPECT_EQ(s.weightMin, 20);
    EXPECT_EQ(s.weightMax, 20);
    s.weightFilterOn = true;
    EXPECT_TRUE(StoreWeightRange(s, 10, 30));
    EXPECT_EQ(s.weightMin, 10);
}

TEST(ObjectCommands, DisabledMemoAndCheckedStates)
{
    RetrievalStatus s;
    s.sortKey = 2;
    s.includeSubcodes = true;
    const auto memo = [](int id) { return id == 20029; };
    EXPECT_EQ(ObjectCommandState(20001, s, memo).enabled, false);
    EXPECT_EQ(ObjectCommandState(20178, s, memo).enabled, false);
    EXPECT_FALSE(ObjectCommandState(20002, s, memo).enabled.has_value());
    EXPECT_EQ(ObjectCommandState(20029, s, memo).enabled, true);
    EXPECT_EQ(ObjectCommandState(20067, s, memo).enabled, false);
    EXPECT_EQ(ObjectCommandState(20102, s, memo).checked, false);
    EXPECT_EQ(ObjectCommandState(20103, s, memo).checked, true);
    EXPECT_EQ(ObjectCommandState(20104, s, memo).checked, false);
    EXPECT_EQ(ObjectCommandState(20105, s, memo).checked, true);
    EXPECT_EQ(ObjectCommandState(20106, s, memo).checked, false);
    int disabled = 0;
    for (int id = 20001; id <= 20178; ++id)
        disabled += IsDisabledObjectCommand(id) ? 1 : 0;
    EXPECT_EQ(disabled, 58);
}

TEST(FontNames, NoEmptyNoDuplicateNoRasterAndArialTakesNothingAway)
{
    QStringList names;
    AddFontName(names, QStringLiteral("DejaVu Sans"), false);
    AddFontName(names, QStringLiteral("dejavu sans"), false);
    AddFontName(names, QString(), false);
    AddFontName(names, QStringLiteral("Fixed"), true);
    AddFontName(names, QStringLiteral("Arial"), false);
    EXPECT_EQ(names, (QStringList{"DejaVu Sans", "Arial"}));
}
