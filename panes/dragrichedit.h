#pragma once

#include "ui/richeditwnd.h"

#include <QPoint>

#include <functional>

class QImage;
class RequestOwner;

/// @short The read-only preview of a codings or memos list. With a text
/// selected, pressing in it and moving at least 5 pixels drags the shown
/// object out (kind 31 with the object's id).
class CDragRichEditCtrl : public CRichEditWnd {
    Q_OBJECT
public:
    static constexpr qint32 kDragKind = 31;
    static constexpr int kDragDistance = 5;   ///< pixels in either direction

    explicit CDragRichEditCtrl(QWidget* parent = nullptr);

    /// The project identity of drag payloads comes from the owner (not owned).
    void SetOwner(RequestOwner* owner) { m_owner = owner; }
    /// An id of 0 disables dragging.
    void SetDragObject(bool enable, qint32 id);
    bool DragEnabled() const { return m_dragEnabled; }
    qint32 DragObjectId() const { return m_objectId; }
    /// Shows a picture in place of the text (an area coding).
    void ShowPicture(const QImage& picture);

    /// The drag a move would start; tests call it in place of a real drag.
    void SetDragStarter(std::function<void(qint32 kind, qint32 id)> starter) { m_starter = std::move(starter); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    RequestOwner* m_owner = nullptr;
    QPoint m_pressPoint;
    bool m_dragPending = false;
    bool m_dragEnabled = false;
    qint32 m_objectId = 0;
    std::function<void(qint32, qint32)> m_starter;
};
