#include "app/splitterwndex.h"

#include <QMouseEvent>
#include <QPainter>

CSplitterWndEx::CSplitterWndEx(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent)
{
    setHandleWidth(kBarWidth);
    setChildrenCollapsible(false);
}

int CSplitterWndEx::EdgeLimit() const
{
    return orientation() == Qt::Horizontal ? kColumnEdgeLimit : kRowEdgeLimit;
}

QSplitterHandle* CSplitterWndEx::createHandle()
{
    return new CSplitterBar(orientation(), this);
}

CSplitterBar::CSplitterBar(Qt::Orientation orientation, CSplitterWndEx* parent) : QSplitterHandle(orientation, parent)
{
}

void CSplitterBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
}

void CSplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        const auto* owner = static_cast<const CSplitterWndEx*>(splitter());
        const int limit = owner->EdgeLimit();
        const QPoint at = owner->mapFromGlobal(event->globalPosition().toPoint());
        const int pos = orientation() == Qt::Horizontal ? at.x() : at.y();
        const int extent = orientation() == Qt::Horizontal ? owner->width() : owner->height();
        if (pos < limit || pos > extent - limit) {
            event->accept();
            return;
        }
    }
    QSplitterHandle::mouseMoveEvent(event);
}
