#pragma once

// A drag delivered to a widget as the platform delivers it: enter, move,
// and the drop only when the target took the drag.

#include "foundation/dragobject.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QWidget>

#include <memory>

namespace testutil {

/// True when the target took the drop.
inline bool DeliverDrag(QWidget* target, const CDragObject& payload, const QString& identity, QPoint at,
                        Qt::KeyboardModifiers keys = {})
{
    std::unique_ptr<QMimeData> data = payload.CreateMimeData(identity);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(target, &move);
    if (!enter.isAccepted() || !move.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return false;
    }
    QDropEvent drop(QPointF(at), move.dropAction(), data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace testutil
