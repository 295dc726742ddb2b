#pragma once

#include <QString>
#include <QtGlobal>

/// @short The record by which a pane's hosting view and its context-search
/// bar ask the pane to search its items.
struct ContextSearch {
    enum Operation : qint32 {
        NewSearch = 1,   ///< forget the old hits; collect the items holding the text
        Next = 2,        ///< stays on the last hit
        Previous = 3,    ///< stays on the first hit
        Reset = 4,       ///< forget the hits; nothing is selected
        SearchAgain = 5, ///< the bar's own; never reaches a pane
    };

    qint32 operation = NewSearch;
    QString text;
    qint32 hits = 0;      ///< answered: number of hits
    qint32 current = 0;   ///< answered: the current hit counted from 1; 0 for none
};
