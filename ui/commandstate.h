#pragma once

// The retrieval state as the status bar shows it, what a double click on a
// pane does to it, and the enabled and checked state of the object
// commands. Headless: the frame reads the state from the document, applies
// these rules and writes it back, reruns the retrieval and opens dialogs.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/// Indicator ids of the status bar's panes, in pane order.
namespace StatusPane {
enum : int {
    Documents = 30001,      ///< activated documents
    Codes = 30002,          ///< activated codes
    Segments = 30003,       ///< retrieved segments
    Weight = 30004,         ///< default coding weight
    Subcodes = 30006,       ///< icon: include subcodes
    WeightFilter = 30005,   ///< icon and "min - max" while the filter is on
    SortKey = 30007,        ///< icon: sort key 1 to 3
    Settings = 30008,       ///< summary of the retrieval settings
    Page = 30017,           ///< "page / pages" of the document browser
};
}

/// The state behind the panes.
struct RetrievalStatus {
    int activatedDocuments = 0;
    int activatedCodes = 0;
    int retrievedSegments = 0;
    int defaultWeight = 0;
    bool includeSubcodes = false;
    bool weightFilterOn = false;
    int weightMin = 0;
    int weightMax = 100;
    int sortKey = 1;
    QString settingsSummary;
    int page = 0;            ///< 0-based
    int pageCount = 0;
};

/// The nine pane texts in pane order; icon-only panes are empty.
QStringList StatusPaneTexts(const RetrievalStatus& status);

/// What the frame does after a double click on a pane.
enum class PaneAction {
    None,                    ///< nothing changed
    RerunRetrieval,          ///< the state changed: rerun, then refresh the bar
    AskDefaultWeight,        ///< the number dialog for the default weight
    AskWeightRange,          ///< the weight-range dialog
    OpenRetrievalFunction,   ///< the retrieval-function dialog
    AskPage,                 ///< the page popup above the bar
};

/// Applies a double click on `pane`; `flag` is the bar's flag (the right part
/// of the weight-filter pane). The sort key cycles 1, 2, 3, 1; another value
/// stays, yet the retrieval reruns.
PaneAction ApplyPaneCommand(int pane, bool flag, RetrievalStatus& status);

/// Stores the dialog's weight range; a minimum above the maximum becomes the
/// maximum. True when the retrieval must rerun (the filter is on).
bool StoreWeightRange(RetrievalStatus& status, int minimum, int maximum);

/// Object commands 20001 to 20178 that the command state turns off.
bool IsDisabledObjectCommand(int id);

struct CommandState {
    std::optional<bool> enabled;   ///< none: left as it is
    std::optional<bool> checked;
};

/// The state of an object command: disabled ids, memo commands enabled
/// only when `memoExists(id)` says so, and the check marks of sort key,
/// weight filter and subcodes.
CommandState ObjectCommandState(int id, const RetrievalStatus& status, const std::function<bool(int)>& memoExists);

/// Adds a font family to the frame's list: not empty, not twice (any case),
/// not a raster font.
void AddFontName(QStringList& names, const QString& name, bool raster);
