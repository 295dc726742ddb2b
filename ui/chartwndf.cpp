#include "ui/chartwndf.h"

#include "ui/marginlayout.h"
#include "ui/richeditwnd.h"
#include "ui/richviewowner.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kKindParagraph = 13;
constexpr int kKindMediaMark = 26;
const QColor kNumberColour(96, 96, 255);
const QColor kDotFill(94, 219, 41);
const QColor kDotLine(48, 112, 21);

}  // namespace

void DrawGradientBand(QPainter& painter, const QRect& rect, bool current)
{
    const QRect band(rect.left(), rect.top(), rect.width() + 1, rect.height() + 1);
    QLinearGradient gradient(0, band.top(), 0, band.bottom());
    gradient.setColorAt(0, current ? QColor(203, 214, 230) : QColor(242, 242, 242));
    gradient.setColorAt(1, current ? QColor(165, 185, 216) : QColor(186, 186, 186));
    painter.fillRect(band, gradient);
}

CChartWndF::CChartWndF(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CChartWndF::SetSource(const ParagraphTables* tables)
{
    m_tables = tables;
    update();
}

void CChartWndF::SetMediaMarks(const QList<MediaMarkBand>* marks, qint32 currentMarkId)
{
    m_marks = marks;
    m_currentMark = currentMarkId;
    update();
}

int CChartWndF::ParagraphAt(int y) const
{
    if (!m_tables)
        return 0;
    const QList<qint32>& positions = m_tables->positions;
    for (int slot = std::max(0, m_tables->firstSlot); slot <= m_tables->lastSlot && slot + 1 < positions.size();
         slot += 2)
        if (positions[slot] <= y && y <= positions[slot + 1])
            return slot / 2 + 1;
    return 0;
}

int CChartWndF::MeasureNumberWidth(int n) const
{
    return fontMetrics().horizontalAdvance(QString::number(n)) + 6;
}

int CChartWndF::NeededWidth() const
{
    return (m_showGeoStrip ? m_geoStripWidth : 0) + m_numberWidth + (m_showMediaColumn ? m_mediaWidth : 0);
}

void CChartWndF::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor background(kMarginGrey, kMarginGrey, kMarginGrey);
    if (!m_tables || m_tables->positions.isEmpty()) {
        painter.fillRect(rect(), background);
        return;
    }
    DrawNumbers(painter);
}

void CChartWndF::DrawNumbers(QPainter& painter)
{
    const QColor background(kMarginGrey, kMarginGrey, kMarginGrey);
    painter.fillRect(rect(), background);
    const QList<qint32>& positions = m_tables->positions;
    const QList<quint32>& characters = m_tables->characters;
    if (m_tables->firstSlot < 0 || m_tables->lastSlot < m_tables->firstSlot) {
        DrawMediaColumn(painter);
        return;
    }
    const int right = width() - (m_showMediaColumn ? m_mediaWidth : 0);
    const int left = m_showGeoStrip ? right - m_numberWidth : 0;
    const int clientBottom = height();
    painter.setFont(font());
    for (int i = m_tables->firstSlot; i <= m_tables->lastSlot && i + 1 < positions.size(); i += 2) {
        const int top = positions[i];
        const int bottom = positions[i + 1];
        const bool inView = (top >= 0 && top <= clientBottom) || (bottom >= 0 && bottom <= clientBottom)
                            || (top <= 0 && bottom >= clientBottom);
        if (!inView)
            continue;
        const QRect cell(QPoint(left, top), QPoint(right - 1, bottom - 1));
        painter.fillRect(cell, Qt::white);
        painter.setPen(palette().color(QPalette::Base));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(kNumberColour);
        painter.drawText(cell.adjusted(0, 1, 0, -1), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                         QString::number(i / 2 + 1));
        if (m_showGeoStrip && m_text && i + 1 < characters.size()) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(kDotLine, 1));
            painter.setBrush(kDotFill);
            for (quint32 position : m_geoLinks)
                if (characters[i] <= position && position < characters[i + 1]) {
                    const int y = m_text->PosFromChar(int(position)).y();
                    painter.drawEllipse(QRect(left - 12, y + 6, 10, 10));
                }
            painter.restore();
        }
    }
    DrawMediaColumn(painter);
}

QRect CChartWndF::MarkBand(int index, int left) const
{
    const QList<MediaMarkBand>& marks = *m_marks;
    int bottom = height();
    for (int j = index + 1; j < marks.size(); ++j)
        if (!(marks[j].flags & kMarkNotLaidOut)) {
            bottom = marks[j].y;
            break;
        }
    return QRect(QPoint(left, marks[index].y), QPoint(width() - 1, bottom));
}

void CChartWndF::DrawMediaColumn(QPainter& painter)
{
    if (!m_showMediaColumn)
        return;
    const int left = width() - m_mediaWidth;
    painter.fillRect(QRect(left, 0, m_mediaWidth, height()), QColor(kMarginGrey, kMarginGrey, kMarginGrey));
    if (!m_marks)
        return;
    for (int i = 0; i < m_marks->size(); ++i)
        if (m_marks->at(i).visible) {
            const QRect band = MarkBand(i, left);
            DrawGradientBand(painter, band, m_marks->at(i).id == m_currentMark);
            // The mark glyph: a small play triangle.
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(80, 110, 200));
            const QPointF tip[3] = {{left + 3.0, band.top() + 2.0}, {left + 3.0, band.top() + 10.0},
                                    {left + 9.0, band.top() + 6.0}};
            painter.drawPolygon(tip, 3);
            painter.restore();
        }
}

int CChartWndF::MarkAt(QPoint point) const
{
    for (int i = 0; i < m_marks->size(); ++i)
        if (m_marks->at(i).visible && MarkBand(i, 0).contains(point))
            return m_marks->at(i).id;
    return 0;
}

bool CChartWndF::OverMediaColumn(QPoint point) const
{
    return m_showMediaColumn && m_marks && !m_marks->isEmpty() && point.x() >= width() - m_mediaWidth;
}

QString CChartWndF::GetLongText(int topic, qint32 id)
{
    ListNotifyInfo info;
    info.topic = topic;
    info.itemId = id;
    info.mask = ListNotifyMask::LongText;
    info.query = true;
    SendRequest(m_owner, this, m_controlId, info);
    return info.handled ? info.longText : QString();
}

void CChartWndF::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (OverMediaColumn(point)) {
        m_tipParagraph = 0;
        const qint32 mark = MarkAt(point);
        if (mark != 0 && mark != m_tipMark) {
            m_tipMark = mark;
            setToolTip(GetLongText(kKindMediaMark, mark));
        }
        return;
    }
    m_tipMark = 0;
    const int paragraph = ParagraphAt(point.y());
    if (paragraph != m_tipParagraph) {
        m_tipParagraph = paragraph;
        setToolTip(paragraph > 0 ? GetLongText(kKindParagraph, paragraph) : QString());
    }
}

void CChartWndF::Notify(int code, QPoint point, QPoint globalPoint, int modifiers)
{
    IdListNotifyInfo info(static_cast<RequestCode>(code));
    info.point = globalPoint;
    info.modifierKeys = modifiers;
    if (OverMediaColumn(point)) {
        info.kind = kKindMediaMark;
        info.itemId = MarkAt(point);
    } else if (m_showGeoStrip && point.x() < m_geoStripWidth) {
        return;
    } else {
        info.kind = kKindParagraph;
        info.itemId = ParagraphAt(point.y());
    }
    if (info.itemId == 0)
        return;
    SendRequest(m_owner, this, m_controlId, info);
}

void CChartWndF::mousePressEvent(QMouseEvent* event)
{
    if (m_owner)
        m_owner->Activate();
    if (event->button() == Qt::LeftButton)
        Notify(int(RequestCode::FollowItem), event->position().toPoint(), event->globalPosition().toPoint(),
               ModifierKeysOf(event->modifiers()));
}

void CChartWndF::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Notify(int(RequestCode::OpenItem), event->position().toPoint(), event->globalPosition().toPoint(), 0);
}

void CChartWndF::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        Notify(int(RequestCode::ContextMenu), event->position().toPoint(), event->globalPosition().toPoint(), 0);
}
