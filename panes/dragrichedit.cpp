#include "panes/dragrichedit.h"

#include "document/requestowner.h"
#include "foundation/dragobject.h"

#include <QImage>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

CDragRichEditCtrl::CDragRichEditCtrl(QWidget* parent) : CRichEditWnd(parent)
{
    setReadOnly(true);
    // Read-only text keeps its selection by mouse and keys.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void CDragRichEditCtrl::SetDragObject(bool enable, qint32 id)
{
    m_dragEnabled = enable && id != 0;
    m_objectId = id;
    m_dragPending = false;
}

void CDragRichEditCtrl::ShowPicture(const QImage& picture)
{
    // The picture travels in memory: nothing passes through the clipboard.
    StreamInRtf(nullptr, false);
    const QUrl name(QStringLiteral("korvan-preview://picture"));
    document()->addResource(QTextDocument::ImageResource, name, picture);
    QTextImageFormat image;
    image.setName(name.toString());
    image.setWidth(picture.width());
    image.setHeight(picture.height());
    QTextCursor cursor(document());
    cursor.insertImage(image);
    moveCursor(QTextCursor::Start);
}

void CDragRichEditCtrl::mousePressEvent(QMouseEvent* event)
{
    if (m_dragEnabled && event->button() == Qt::LeftButton) {
        m_pressPoint = event->position().toPoint();
        m_dragPending = textCursor().hasSelection();
        if (m_dragPending) {
            // A press inside the selection must keep it for the drag.
            event->accept();
            return;
        }
    }
    CRichEditWnd::mousePressEvent(event);
}

void CDragRichEditCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragPending) {
        const QPoint moved = event->position().toPoint() - m_pressPoint;
        if (std::abs(moved.x()) < kDragDistance && std::abs(moved.y()) < kDragDistance) {
            event->accept();
            return;
        }
        m_dragPending = false;
        if (m_starter) {
            m_starter(kDragKind, m_objectId);
        } else {
            const CDragObject payload(kDragKind, m_objectId);
            payload.DoDragDrop(this, m_owner ? m_owner->ProjectIdentity() : QString(),
                               Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        }
        event->accept();
        return;
    }
    CRichEditWnd::mouseMoveEvent(event);
}

void CDragRichEditCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragPending = false;
    CRichEditWnd::mouseReleaseEvent(event);
}
