#pragma once

// The code system as a check list: the records the frame fills and the
// code selection dialogs tick.

#include <QList>
#include <QString>

/// One code of a check list.
struct CodeSelItem {
    qint32 id = 0;
    qint32 order = 0;      ///< sort key: the position in the code system
    bool checked = true;   ///< the code takes part; new items start ticked
    qint32 extra = 0;      ///< free for the caller
    qint32 parentId = 0;
    qint32 level = 0;
    QString name;          ///< display name, at most kNameUnits
    static constexpr qsizetype kNameUnits = 1023;
};

using CodeSelItemArray = QList<CodeSelItem>;
