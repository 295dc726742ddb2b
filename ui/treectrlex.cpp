#include "ui/treectrlex.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kLabelGap = 4;   // pixels around an item's icon and text

}  // namespace

CTreeCtrlEx::CTreeCtrlEx(QWidget* parent) : QTreeWidget(parent)
{
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
}

void CTreeCtrlEx::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(at);
    if (item) {
        const QRect cell = visualRect(indexFromItem(item));
        const int icon = item->icon(0).isNull() ? 0 : iconSize().width() + kLabelGap;
        const int labelEnd = cell.left() + icon + fontMetrics().horizontalAdvance(item->text(0)) + 2 * kLabelGap;
        if (at.x() > labelEnd) {
            emit doubleClickedBesideLabel(item);
            return;
        }
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CTreeCtrlEx::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidget::mouseMoveEvent(event);
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        emit hovered(item);
}

void CTreeCtrlEx::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    // Drawn last on the viewport's edge, where items never need the pixels.
    QPainter painter(viewport());
    painter.setPen(kBorderColour);
    painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
}
