#pragma once

#include "ui/headerctrl.h"

class ObjectListCtrl;

/// @short The header of an object list: the lists' header look (gradient,
/// separators, the bottom edge line, no glyphs, no right line) with its own
/// captions (cut to the width, editable columns in dark blue, the sort mark,
/// a pressed look while the button is down); keeps every column at least 45
/// pixels wide and the colour column at its fixed width, and opens the
/// column menu on a right click. It takes over the list's columns as they
/// are; resting the mouse on a column shows the field's whole name (the
/// caption may be cut) just below the end of the caption.
class CListHeaderCtrl : public CHeaderCtrlEx {
    Q_OBJECT
public:
    explicit CListHeaderCtrl(ObjectListCtrl* list);

    /// The section under the left button while it is down; -1 otherwise.
    int PressedSection() const { return m_pressed; }
    /// True while a divider is dragged.
    bool IsTracking() const { return m_tracking; }
    /// The tip of the column at x (header coordinates) and where it stands,
    /// relative to the header; an empty text for no column, the colour
    /// column or a column without a name.
    QString TipAt(int x, QPoint* place) const;

protected:
    void PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    ObjectListCtrl* m_list;
    int m_pressed = -1;
    bool m_tracking = false;
};
