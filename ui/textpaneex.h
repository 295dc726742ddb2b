#pragma once

#include "ui/richeditwnd.h"

class RichViewOwner;

/// @short The read-only text of the retrieved segments.
///
/// Tells its owner of every vertical scroll (while scroll sync is on, and
/// after paging and arrow keys), so the segment strip stays beside its
/// segments; a right click on a selection asks for the context menu.
class CTextPaneEx : public CRichEditWnd {
    Q_OBJECT
public:
    explicit CTextPaneEx(QWidget* parent = nullptr);

    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    /// Child, visible, read-only, with a vertical scroll bar.
    virtual bool Create(const QRect& rect, QWidget* parent, int id);

    bool m_scrollSync = false;
    /// First character of the first visible line at the last selection change.
    int FirstVisibleChar() const { return m_firstVisibleChar; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    RichViewOwner* m_owner = nullptr;
    int m_firstVisibleChar = -1;
};
