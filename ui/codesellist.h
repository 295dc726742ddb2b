#pragma once

#include "foundation/codeselitem.h"

#include <QListWidget>

/// @short A list of codes with tick boxes over a CodeSelItemArray: shown
/// sorted by order, then id; the ticks go back into the items on request.
class CCodeSelList : public QListWidget {
    Q_OBJECT
public:
    explicit CCodeSelList(QWidget* parent = nullptr);

    /// Shows the items (sorted in place by order, then id), ticked as their
    /// flags say.
    void Fill(CodeSelItemArray& items);
    /// Every tick on or off.
    void SetAllChecked(bool checked);
    /// Copies each row's tick into its item; the items must be those Fill
    /// sorted.
    void TakeChecks(CodeSelItemArray& items) const;
};
