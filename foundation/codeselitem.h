#pragma once

#include "foundation/growablearray.h"

#include <QString>
#include <QtGlobal>

/// @short One code of a code check list: what the frame fills from the code
/// table and a code selection dialog ticks.
struct CodeSelItem {
    static constexpr qsizetype kNameUnits = 1024;

    qint32 codeId = 0;
    qint32 parentId = 0;   ///< 0 at the top level
    bool checked = false;
    qint32 level = 1;      ///< depth of the shallowest leaf below, the code itself 1
    QString name;          ///< at most kNameUnits units
};

using CodeSelItemArray = CGrowableArray<CodeSelItem>;
