#include "panes/listheaderctrl.h"

#include "foundation/texthelpers.h"
#include "panes/listids.h"
#include "panes/objectlistctrl.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {

const QColor kEditableCaption(0, 0, 170);
constexpr int kPressedShift = 2;
constexpr int kSortMarkSize = 7;
constexpr int kTipTop = 18;

}  // namespace

CListHeaderCtrl::CListHeaderCtrl(ObjectListCtrl* list) : CHeaderCtrlEx(list), m_list(list)
{
    SetColumnTips({});
    Look look = GetLook();
    look.showGlyphs = false;
    look.rightLine = false;
    SetLook(look);
    setSectionsMovable(true);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setMinimumSectionSize(ListLimit::ColourColumnWidth);
}

void CListHeaderCtrl::PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const
{
    const QList<ColumnRecord>& columns = m_list->Columns();
    if (logicalIndex < 0 || logicalIndex >= columns.size())
        return;
    const ColumnRecord& column = columns.at(logicalIndex);
    QRect area = rect.adjusted(ListLimit::CellMargin, 0, -ListLimit::CellMargin, 0);
    if (m_pressed == logicalIndex && !m_tracking)
        area.translate(kPressedShift, kPressedShift);

    const bool sorted = m_list->SortColumn() == logicalIndex;
    if (sorted) {
        // A small triangle at the right: up ascending, down descending.
        const int x = column.name.isEmpty() ? area.center().x() - kSortMarkSize / 2 : area.right() - kSortMarkSize;
        const int y = area.center().y() - kSortMarkSize / 4;
        QPainterPath mark;
        if (m_list->Ascending()) {
            mark.moveTo(x, y + kSortMarkSize / 2);
            mark.lineTo(x + kSortMarkSize, y + kSortMarkSize / 2);
            mark.lineTo(x + kSortMarkSize / 2.0, y - kSortMarkSize / 2);
        } else {
            mark.moveTo(x, y - kSortMarkSize / 2);
            mark.lineTo(x + kSortMarkSize, y - kSortMarkSize / 2);
            mark.lineTo(x + kSortMarkSize / 2.0, y + kSortMarkSize / 2);
        }
        mark.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(mark, palette().color(QPalette::Mid));
        painter.setRenderHint(QPainter::Antialiasing, false);
        area.setRight(area.right() - kSortMarkSize - 3);
    }
    const bool editable = m_list->EditingEnabled() && column.IsEditable();
    painter.setPen(editable ? kEditableCaption : palette().color(QPalette::ButtonText));
    painter.setFont(font());
    const QString caption = FitTextWithEllipsis(fontMetrics(), column.name, area.width(), 0);
    const QVariant alignment = m_list->Model()->headerData(logicalIndex, Qt::Horizontal, Qt::TextAlignmentRole);
    painter.drawText(area, int(alignment.toInt()) | Qt::TextSingleLine, caption);
}

QString CListHeaderCtrl::TipAt(int x, QPoint* place) const
{
    const int section = logicalIndexAt(x);
    const QList<ColumnRecord>& columns = m_list->Columns();
    if (section < 0 || section >= columns.size() || columns.at(section).IsColourColumn())
        return {};
    const QString& name = columns.at(section).name;
    if (name.isEmpty())
        return {};
    if (place) {
        // Just below the header, near where the caption ends.
        const int caption = std::min(fontMetrics().horizontalAdvance(name), sectionSize(section));
        const int offset = std::max(0, caption - int(name.size()) / 2);
        *place = QPoint(sectionViewportPosition(section) + offset, kTipTop);
    }
    return name;
}

bool CListHeaderCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QPoint place;
        const QString tip = m_pressed < 0 && !m_tracking ? TipAt(help->pos().x(), &place) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(viewport()->mapToGlobal(place), tip, this, rect());
        return true;
    }
    return CHeaderCtrlEx::viewportEvent(event);
}

void CListHeaderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        QToolTip::hideText();
    if (event->button() == Qt::LeftButton) {
        const int position = int(event->position().x());
        const int section = logicalIndexAt(position);
        // Close to a divider the press starts a width change, not a click.
        const int left = sectionViewportPosition(section);
        const int right = left + sectionSize(section);
        m_tracking = section >= 0 && (position - left < 4 || right - position < 4);
        if (m_tracking && section >= 0) {
            const int divided = position - left < 4 ? visualIndex(section) - 1 : visualIndex(section);
            const int owner = divided >= 0 ? logicalIndex(divided) : -1;
            if (owner >= 0 && owner < m_list->Columns().size() && m_list->Columns().at(owner).IsColourColumn()) {
                event->accept();   // the colour column keeps its width
                m_tracking = false;
                return;
            }
        }
        m_pressed = m_tracking ? -1 : section;
    }
    QHeaderView::mousePressEvent(event);
    viewport()->update();
}

void CListHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = -1;
    m_tracking = false;
    QHeaderView::mouseReleaseEvent(event);
    viewport()->update();
}

void CListHeaderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    QHeaderView::mouseMoveEvent(event);
    if (event->buttons() != Qt::NoButton && m_tracking)
        viewport()->update();
}

void CListHeaderCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click on a caption does nothing; on a divider it fits the
    // column to its measured texts (the colour column stays as it is).
    const int position = int(event->position().x());
    const int section = logicalIndexAt(position);
    const int left = sectionViewportPosition(section);
    const bool onDivider = section >= 0 && (position - left < 4 || left + sectionSize(section) - position < 4);
    if (onDivider)
        QHeaderView::mouseDoubleClickEvent(event);
    else
        event->accept();
}
