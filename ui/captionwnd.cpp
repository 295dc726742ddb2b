#include "ui/captionwnd.h"

#include <QPaintEvent>
#include <QPainter>

QFont caption::BoldFont(const QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    return font;
}

namespace {

void PrepareStrip(QPainter& painter, const QWidget* widget)
{
    painter.fillRect(widget->rect(), caption::kBackground);
    painter.setFont(caption::BoldFont(widget));
    painter.setPen(caption::kText);
}

}  // namespace

// ---- CaptionWnd -------------------------------------------------------------------

CaptionWnd::CaptionWnd(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CaptionWnd::SetTexts(const QString& title, const QString& right)
{
    if (!title.isNull())
        m_title = title;
    if (!right.isNull())
        m_right = right;
    update();
}

bool CaptionWnd::RightTextShown() const
{
    if (m_right.isEmpty())
        return false;
    const QFontMetrics metrics(caption::BoldFont(this));
    return metrics.horizontalAdvance(m_title + m_right) < width();
}

void CaptionWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PrepareStrip(painter, this);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(rect(), flags | Qt::AlignLeft, m_title);
    if (RightTextShown())
        painter.drawText(rect(), flags | Qt::AlignRight, m_right);
}

CaptionPanelBar::CaptionPanelBar(QWidget* parent) : CaptionWnd(parent)
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// ---- CaptionLabelWnd ------------------------------------------------------------------

CaptionLabelWnd::CaptionLabelWnd(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CaptionLabelWnd::SetTexts(const QString& left, const QString& right)
{
    if (!left.isNull())
        m_left = left;
    if (!right.isNull())
        m_right = right;
    update();
}

void CaptionLabelWnd::SetSeparator(bool on)
{
    m_separator = on;
    update();
}

void CaptionLabelWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PrepareStrip(painter, this);
    const int flags = Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine;
    painter.drawText(rect().adjusted(4, 0, -4, -1), flags, m_left);
    const int split = width() * 3 / 5;
    if (m_separator) {
        painter.drawLine(split - 1, 2, split - 1, height() - 2);
    }
    // The right part is painted over, so a long left text ends at the split.
    const QRect rightPart(split, 0, width() - split, height());
    painter.fillRect(rightPart, caption::kBackground);
    painter.drawText(rightPart.adjusted(4, 0, 0, 0), flags, m_right);
}

// ---- ColorSwatchWnd ---------------------------------------------------------------------

ColorSwatchWnd::ColorSwatchWnd(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorSwatchWnd::SetColor(COLORREF color)
{
    m_color = color;
    update();
}

void ColorSwatchWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(RedOf(m_color), GreenOf(m_color), BlueOf(m_color)));
}
