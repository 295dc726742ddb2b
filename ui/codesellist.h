#pragma once

#include <QList>
#include <QListWidget>
#include <QString>

/// One code of the chart windows' code choice.
struct CodeCheckItem {
    qint32 id = 0;
    qint32 order = 0;      ///< sort key: the position in the code system
    bool checked = true;   ///< the code takes part; new items start ticked
    qint32 extra = 0;      ///< free for the caller
    qint32 parentId = 0;
    qint32 level = 0;
    QString name;          ///< display name, at most kNameUnits
    static constexpr qsizetype kNameUnits = 1023;
};
using CodeCheckItemArray = QList<CodeCheckItem>;

/// @short A list of codes with tick boxes over a CodeCheckItemArray: shown
/// sorted by order, then id; the ticks go back into the items on request.
class CCodeSelList : public QListWidget {
    Q_OBJECT
public:
    explicit CCodeSelList(QWidget* parent = nullptr);

    /// Shows the items (sorted in place by order, then id), ticked as their
    /// flags say.
    void Fill(CodeCheckItemArray& items);
    /// Every tick on or off.
    void SetAllChecked(bool checked);
    /// Copies each row's tick into its item; the items must be those Fill
    /// sorted.
    void TakeChecks(CodeCheckItemArray& items) const;
};
