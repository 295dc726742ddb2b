#pragma once

#include "ui/richeditwnd.h"

class CDragObject;
class RichViewOwner;

/// @short The rich text of the document browser.
///
/// Read-only until the owner makes it editable. Every scroll, selection
/// change and edit is told to the owner, which keeps the margins beside the
/// text in step. Enter in an editable text goes to the owner once per key
/// press (a held key repeats nothing). A selection in the read-only text
/// can be dragged out after 5 pixels.
class CSideColumnG : public CRichEditWnd {
    Q_OBJECT
public:
    explicit CSideColumnG(QWidget* parent = nullptr);

    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    /// False when the state could not be changed; true at once when unchanged.
    bool SetEditable(bool editable);
    bool Editable() const { return m_editable; }

    static constexpr int kZoomStep = 4;
    static constexpr int kZoomMax = 48;
    static constexpr int kZoomMin = -32;
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    /// A zoom step from kZoomMin to kZoomMax; others are ignored.
    void SetZoom(int step);
    int ZoomStep() const { return m_zoomStep; }

protected:
    /// Starts the drag of the selection; blocks until it ends.
    virtual void StartDrag(const CDragObject& object);

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    RichViewOwner* m_owner = nullptr;
    int m_zoomStep = 0;
    bool m_editable = false;
    bool m_enterHeld = false;
    bool m_deleteTyped = false;
    bool m_dragArmed = false;
    QPoint m_pressPoint;
};
