#include "ui/headerctrl.h"

#include "foundation/stringstore.h"
#include "foundation/texthelpers.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

const QColor kGradientTop(200, 200, 200);
const QColor kGradientBottom(186, 186, 186);
const QColor kSeparatorEnd(221, 221, 221);
const QColor kSeparatorMiddle(124, 101, 101);
const QColor kEdge(101, 147, 207);

namespace HeaderText {
constexpr int DocumentTreeColumns[] = {102042, 102043, 102044};
constexpr int MarginColumns[] = {102045, 102046};
constexpr int CodeTreeColumns[] = {102047, 102048, 102049};
constexpr int ListColumns[] = {102050, 102051};
}  // namespace HeaderText

template <size_t N>
QStringList Tips(const int (&ids)[N])
{
    QStringList tips;
    for (const int id : ids)
        tips.append(LoadString(id));
    return tips;
}

int ScrollBarExtent()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

}  // namespace

// ---- ViewHeaderCtrl -------------------------------------------------------------------

ViewHeaderCtrl::ViewHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setMouseTracking(true);
}

QString ViewHeaderCtrl::TipAt(int x) const
{
    const int logical = logicalIndexAt(x);
    if (logical < 0 || logical >= m_tips.size())
        return {};
    const int left = sectionViewportPosition(logical);
    if (x <= left || x >= left + sectionSize(logical) - 1)
        return {};
    return m_tips.at(logical);
}

bool ViewHeaderCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = TipAt(help->pos().x());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this, rect());
        return true;
    }
    return QHeaderView::viewportEvent(event);
}

// ---- Drawing ----------------------------------------------------------------------------

void header::FillBackground(QPainter& painter, const QRect& rect)
{
    QLinearGradient gradient(rect.left(), rect.top(), rect.left(), rect.bottom());
    gradient.setColorAt(0, kGradientTop);
    gradient.setColorAt(1, kGradientBottom);
    painter.fillRect(rect.adjusted(0, 0, 1, 1), gradient);
}

void header::DrawSeparator(QPainter& painter, const QRect& column)
{
    const int x = column.right();
    const int top = column.top(), bottom = column.bottom() + 1, middle = bottom / 2;
    QLinearGradient upper(column.left(), top + 2, column.left(), middle + 1);
    upper.setColorAt(0, kSeparatorEnd);
    upper.setColorAt(1, kSeparatorMiddle);
    painter.setPen(QPen(QBrush(upper), 1));
    painter.drawLine(x, top + 2, x, middle + 1);
    QLinearGradient lower(column.left(), middle - 2, column.left(), bottom);
    lower.setColorAt(0, kSeparatorMiddle);
    lower.setColorAt(1, kSeparatorEnd);
    painter.setPen(QPen(QBrush(lower), 1));
    painter.drawLine(x, middle, x, bottom - 3);
}

void header::DrawLines(QPainter& painter, const QRect& rect, bool top, bool bottom, bool right)
{
    painter.setPen(QPen(kEdge, 1));
    if (top)
        painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    if (bottom)
        painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    if (right)
        painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
}

QPixmap header::Glyph(int set, int index)
{
    QPixmap glyph(9, 9);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setPen(QColor(64, 64, 64));
    const int kind = set * 3 + index;
    switch (kind) {
    case 0:  // captions: a source (a page)
    case 3:  // margins: coding stripes
        if (kind == 0) {
            painter.drawRect(1, 0, 6, 8);
            painter.drawLine(3, 3, 5, 3);
            painter.drawLine(3, 5, 5, 5);
        } else {
            for (int x : {1, 4, 7})
                painter.drawLine(x, 0, x, 8);
        }
        break;
    case 1:  // captions: the segment's text
    case 4:  // margins: memos
        if (kind == 1) {
            for (int y : {1, 4, 7})
                painter.drawLine(0, y, 8, y);
        } else {
            painter.fillRect(1, 1, 7, 7, QColor(255, 236, 139));
            painter.drawRect(1, 1, 6, 6);
        }
        break;
    case 6:  // trees: the tree
        painter.drawLine(1, 0, 1, 8);
        painter.drawLine(1, 3, 5, 3);
        painter.drawLine(1, 8, 5, 8);
        painter.drawPoint(7, 3);
        painter.drawPoint(7, 8);
        break;
    case 7:  // trees: a box
        painter.drawRect(1, 1, 6, 6);
        break;
    case 8:  // trees: the number sign of the count column
        painter.drawLine(3, 0, 2, 8);
        painter.drawLine(6, 0, 5, 8);
        painter.drawLine(0, 3, 8, 3);
        painter.drawLine(0, 6, 8, 6);
        break;
    default:
        break;
    }
    return glyph;
}

// ---- HeaderLookBase ---------------------------------------------------------------------

HeaderLookBase::HeaderLookBase(int glyphSet, QWidget* parent) : ViewHeaderCtrl(parent), m_glyphSet(glyphSet)
{
    setHighlightSections(false);
    setSectionsClickable(false);
    // Glyph columns are 19 pixels wide or hidden at 0.
    setMinimumSectionSize(0);
}

void HeaderLookBase::SetColumnsFixed(bool fixed)
{
    setSectionResizeMode(fixed ? QHeaderView::Fixed : QHeaderView::Interactive);
    setSectionsMovable(!fixed);
    setStretchLastSection(false);
}

void HeaderLookBase::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(viewport());
        header::FillBackground(painter, viewport()->rect());
    }
    QHeaderView::paintEvent(event);
    QPainter painter(viewport());
    PaintEdges(painter);
}

void HeaderLookBase::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    PaintColumn(*painter, rect, logicalIndex);
    header::DrawSeparator(*painter, rect);
    painter->restore();
}

void HeaderLookBase::PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const
{
    PaintGlyph(painter, rect, logicalIndex);
}

void HeaderLookBase::PaintEdges(QPainter& painter) const
{
    header::DrawLines(painter, viewport()->rect(), false, true, true);
}

void HeaderLookBase::PaintGlyph(QPainter& painter, const QRect& rect, int logicalIndex) const
{
    painter.drawPixmap(rect.left() + 5, rect.top() + 2, header::Glyph(m_glyphSet, logicalIndex));
}

// ---- CHeaderCtrlEx -------------------------------------------------------------------------

CHeaderCtrlEx::CHeaderCtrlEx(QWidget* parent) : HeaderLookBase(0, parent)
{
    SetColumnTips(Tips(HeaderText::ListColumns));
    SetColumnsFixed(false);
}

void CHeaderCtrlEx::ApplyDefaultColumns()
{
    if (count() < 2)
        return;
    resizeSection(0, 100);
    resizeSection(1, qMax(0, width() - 100));
}

void CHeaderCtrlEx::SetLook(const Look& look)
{
    m_look = look;
    viewport()->update();
}

void CHeaderCtrlEx::PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const
{
    if (m_look.showGlyphs)
        PaintGlyph(painter, rect, logicalIndex);
    if (!m_look.drawCaptions || !model())
        return;
    const QString text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString().left(255);
    if (text.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::ButtonText));
    const QString shown = FitTextWithEllipsis(painter.fontMetrics(), text, rect.width(), 0);
    const int flags = Qt::TextSingleLine | Qt::AlignVCenter;
    if (logicalIndex == 0 && m_look.indentFirst)
        painter.drawText(rect.adjusted(5, 0, 0, 0), flags | Qt::AlignLeft, shown);
    else
        painter.drawText(rect, flags | Qt::AlignHCenter, shown);
}

void CHeaderCtrlEx::PaintEdges(QPainter& painter) const
{
    header::DrawLines(painter, viewport()->rect(), m_look.topLine, m_look.bottomLine, m_look.rightLine);
}

// ---- CHeaderCtrlB -------------------------------------------------------------------------

CHeaderCtrlB::CHeaderCtrlB(QWidget* parent) : HeaderLookBase(2, parent)
{
    SetColumnTips(Tips(HeaderText::CodeTreeColumns));
    SetColumnsFixed(true);
}

void CHeaderCtrlB::ApplyDefaultColumns()
{
    if (count() < 3)
        return;
    resizeSection(0, 100);
    resizeSection(1, 19);
    resizeSection(2, ScrollBarExtent() + 48);
}

void CHeaderCtrlB::SetCheckColumnWidth(bool checkBoxes)
{
    if (count() < 3)
        return;
    resizeSection(1, 19 + (checkBoxes ? ScrollBarExtent() : 0));
    resizeSection(2, checkBoxes ? 0 : ScrollBarExtent() + 43);
}

void CHeaderCtrlB::PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const
{
    header::FillBackground(painter, rect);
    PaintGlyph(painter, rect, logicalIndex);
}

// ---- CHeaderCtrlD -------------------------------------------------------------------------

CHeaderCtrlD::CHeaderCtrlD(QWidget* parent) : HeaderLookBase(1, parent)
{
    SetColumnTips(Tips(HeaderText::MarginColumns));
    SetColumnsFixed(false);
}

void CHeaderCtrlD::ApplyDefaultColumns()
{
    for (int i = 0; i < qMin(count(), 2); ++i)
        resizeSection(i, 0);
}

void CHeaderCtrlD::PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const
{
    header::FillBackground(painter, rect);
    PaintGlyph(painter, rect, logicalIndex);
}

// ---- CHeaderCtrlH -------------------------------------------------------------------------

CHeaderCtrlH::CHeaderCtrlH(QWidget* parent) : HeaderLookBase(2, parent)
{
    SetColumnTips(Tips(HeaderText::DocumentTreeColumns));
    SetColumnsFixed(true);
}

void CHeaderCtrlH::ApplyDefaultColumns()
{
    if (count() < 3)
        return;
    resizeSection(0, 100);
    resizeSection(1, 19);
    resizeSection(2, ScrollBarExtent() + 43);
}
