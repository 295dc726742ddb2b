#include "ui/commandstate.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kFirstSortKey = 1;
constexpr int kLastSortKey = 3;

constexpr std::array<int, 58> kDisabledObjectCommands{
    20001, 20005, 20009, 20015, 20017, 20018, 20019, 20025, 20026, 20028, 20030, 20040, 20044, 20047, 20056,
    20060, 20061, 20064, 20065, 20066, 20070, 20081, 20082, 20083, 20085, 20086, 20088, 20090, 20108, 20119,
    20126, 20128, 20131, 20132, 20133, 20134, 20135, 20136, 20137, 20138, 20139, 20142, 20143, 20144, 20146,
    20147, 20148, 20154, 20158, 20159, 20162, 20163, 20168, 20169, 20170, 20172, 20173, 20178,
};

// Memo commands: enabled only when the memo exists.
constexpr std::array<int, 6> kMemoCommands{20114, 20116, 20067, 20029, 20112, 20110};

namespace ObjectCommand {
constexpr int SortByFirstKey = 20102;   // 20103 and 20104 follow
constexpr int IncludeSubcodes = 20105;
constexpr int WeightFilter = 20106;
}  // namespace ObjectCommand

}  // namespace

QStringList StatusPaneTexts(const RetrievalStatus& s)
{
    return {
        QString::number(s.activatedDocuments),
        QString::number(s.activatedCodes),
        QString::number(s.retrievedSegments),
        QString::number(s.defaultWeight),
        QString(),
        s.weightFilterOn ? QStringLiteral("%1 - %2").arg(s.weightMin).arg(s.weightMax) : QString(),
        QString(),
        s.settingsSummary,
        QStringLiteral("%1 / %2").arg(s.page + 1).arg(s.pageCount),
    };
}

PaneAction ApplyPaneCommand(int pane, bool flag, RetrievalStatus& s)
{
    switch (pane) {
    case StatusPane::Weight:
        return PaneAction::AskDefaultWeight;
    case StatusPane::WeightFilter:
        if (flag)
            return s.weightFilterOn ? PaneAction::AskWeightRange : PaneAction::None;
        s.weightFilterOn = !s.weightFilterOn;
        return PaneAction::RerunRetrieval;
    case StatusPane::Subcodes:
        s.includeSubcodes = !s.includeSubcodes;
        return PaneAction::RerunRetrieval;
    case StatusPane::SortKey:
        if (s.sortKey >= kFirstSortKey && s.sortKey <= kLastSortKey)
            s.sortKey = s.sortKey == kLastSortKey ? kFirstSortKey : s.sortKey + 1;
        return PaneAction::RerunRetrieval;
    case StatusPane::Settings:
        return PaneAction::OpenRetrievalFunction;
    case StatusPane::Page:
        return PaneAction::AskPage;
    default:
        return PaneAction::None;
    }
}

bool StoreWeightRange(RetrievalStatus& s, int minimum, int maximum)
{
    s.weightMin = std::min(minimum, maximum);
    s.weightMax = maximum;
    return s.weightFilterOn;
}

bool IsDisabledObjectCommand(int id)
{
    return std::binary_search(kDisabledObjectCommands.begin(), kDisabledObjectCommands.end(), id);
}

CommandState ObjectCommandState(int id, const RetrievalStatus& s, const std::function<bool(int)>& memoExists)
{
    CommandState state;
    if (IsDisabledObjectCommand(id)) {
        state.enabled = false;
    } else if (std::find(kMemoCommands.begin(), kMemoCommands.end(), id) != kMemoCommands.end()) {
        state.enabled = memoExists && memoExists(id);
    } else if (id >= ObjectCommand::SortByFirstKey && id < ObjectCommand::SortByFirstKey + kLastSortKey) {
        state.checked = s.sortKey == id - ObjectCommand::SortByFirstKey + kFirstSortKey;
    } else if (id == ObjectCommand::WeightFilter) {
        state.checked = s.weightFilterOn;
    } else if (id == ObjectCommand::IncludeSubcodes) {
        state.checked = s.includeSubcodes;
    }
    return state;
}

void AddFontName(QStringList& names, const QString& name, bool raster)
{
    if (name.isEmpty() || raster || names.contains(name, Qt::CaseInsensitive))
        return;
    names.append(name);
}
