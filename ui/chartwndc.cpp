#include "ui/chartwndc.h"

#include "foundation/filehelpers.h"
#include "foundation/stringstore.h"
#include "ui/richviewowner.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kTopicCoding = 10;
constexpr int kWeightText = 57697;
constexpr int kCreatedText = 57837;
constexpr int kAuthorText = 1041;
constexpr int kLabelHeight = 13;

QColor toColor(COLORREF c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

CChartWndC::CChartWndC(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CChartWndC::SetStripes(QList<StripeRecord>* stripes)
{
    m_stripes = stripes;
    m_hot = -1;
    update();
}

QSize CChartWndC::sizeHint() const
{
    return QSize(m_lanes.isEmpty() ? 10 : m_lanes.back(), 100);
}

bool CChartWndC::Drawable(const StripeRecord& stripe) const
{
    return stripe.visible && !(stripe.flags & StripeFlag::Hidden) && std::max(stripe.topY, stripe.bottomY) > 0;
}

QString CChartWndC::LabelText(const StripeRecord& stripe) const
{
    // The code path is shown from its last part on, as file paths are.
    QString path = stripe.codePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return ShortenPathForDisplay(path);
}

int CChartWndC::ComputeColumnWidths(int laneCount)
{
    m_lanes.clear();
    if (!m_stripes || m_stripes->isEmpty()) {
        m_lanes.append(10);
        return 10;
    }
    if (!m_showLabels) {
        for (int i = 0; i < laneCount; ++i)
            m_lanes.append(5 + 10 * i);
        m_lanes.append(10 * laneCount);
        return m_lanes.back();
    }
    QList<StripeRecord>& stripes = *m_stripes;
    for (StripeRecord& stripe : stripes)
        stripe.stagger = 0;
    // Labels of codings with the same middle would print over each other:
    // each lower lane moves one line further, alternately below and above.
    for (int lane = laneCount; lane >= 1; --lane)
        for (const StripeRecord& upper : stripes) {
            if (!upper.visible || upper.lane != lane)
                continue;
            const qint64 middle = (qint64(upper.start) + upper.end) / 2;
            for (StripeRecord& lower : stripes) {
                if (!lower.visible || lower.lane >= lane || (qint64(lower.start) + lower.end) / 2 != middle)
                    continue;
                if (upper.stagger == 0)
                    lower.stagger = 1;
                else if (upper.stagger > 0)
                    lower.stagger = -upper.stagger;
                else
                    lower.stagger = -upper.stagger + 1;
            }
        }
    const QFontMetrics metrics(font());
    int total = 0;
    int widest = 0;
    for (int lane = 1; lane <= laneCount; ++lane) {
        m_lanes.append(total + 5);
        for (const StripeRecord& stripe : stripes)
            if (stripe.visible && stripe.lane == lane)
                widest = std::max(widest, 3 * lane + metrics.horizontalAdvance(LabelText(stripe)));
        total += 10;
    }
    total += widest;
    m_lanes.append(total);
    return total;
}

int CChartWndC::StripeX(const StripeRecord& stripe) const
{
    const int laneX = stripe.lane >= 1 && stripe.lane <= m_lanes.size() - 1 ? m_lanes[stripe.lane - 1] : 5;
    return m_lanesFromLeft ? laneX : width() - laneX;
}

QRect CChartWndC::LabelRect(const StripeRecord& stripe, QString* shown) const
{
    const int laneX =
        stripe.labelLane >= 1 && stripe.labelLane <= m_lanes.size() - 1 ? m_lanes[stripe.labelLane - 1] : 5;
    const QFontMetrics metrics(font());
    QString text = LabelText(stripe);
    // A margin narrower than its labels shows their start with an ellipsis
    // rather than a cut-off tail ("xiety" of "Anxiety").
    const int room = std::max(0, (m_lanesFromLeft ? width() - laneX - 4 : width() - laneX - 8) - 2);
    if (metrics.horizontalAdvance(text) > room)
        text = metrics.elidedText(text, Qt::ElideRight, room);
    const int labelWidth = text.isEmpty() ? 0 : metrics.horizontalAdvance(text) + 2;
    if (shown)
        *shown = text;
    const int top = stripe.labelTop + stripe.stagger * kLabelHeight;
    if (m_lanesFromLeft)
        return QRect(laneX + 4, top, labelWidth, kLabelHeight);
    return QRect(width() - laneX - 8 - labelWidth, top, labelWidth, kLabelHeight);
}

void CChartWndC::DrawStripe(QPainter& painter, const StripeRecord& stripe) const
{
    const bool highlighted = stripe.flags & StripeFlag::Highlighted;
    const QColor colour = toColor(highlighted ? AdjustPureColor(stripe.colour) : stripe.colour);
    const int x = StripeX(stripe);
    const int top = std::min(stripe.topY, stripe.bottomY);
    const int bottom = std::max(stripe.topY, stripe.bottomY);
    const int middle = top + (bottom - top) / 2;
    const QColor background(kMarginGrey, kMarginGrey, kMarginGrey);
    painter.fillRect(QRect(x - 4, middle - 4, 8, 8), background);
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    const int tickLeft = m_lanesFromLeft ? x - 4 : x - 1;
    painter.drawLine(tickLeft, top, tickLeft + 5, top);
    painter.drawLine(x, top, x, middle - 4);
    painter.drawLine(x, middle + 4, x, bottom);
    painter.drawLine(tickLeft, bottom, tickLeft + 5, bottom);
    // A filled circle says the coding has a comment.
    painter.setBrush(stripe.comment.isEmpty() ? QBrush(background) : QBrush(colour));
    painter.drawEllipse(QRect(x - 3, middle - 3, 6, 6));
    if (m_showLabels) {
        QString text;
        const QRect label = LabelRect(stripe, &text);
        painter.setPen(highlighted ? QColor(Qt::black) : colour);
        if (!text.isEmpty())
            painter.drawText(label, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
}

void CChartWndC::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(kMarginGrey, kMarginGrey, kMarginGrey));
    if (!m_stripes)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const StripeRecord& stripe : *m_stripes)
        if (Drawable(stripe))
            DrawStripe(painter, stripe);
}

int CChartWndC::HitTest(QPoint point) const
{
    if (!m_stripes)
        return -1;
    // Labels reach across other lanes: a bar under the point wins over them.
    for (bool labels : {false, true}) {
        if (labels && !m_showLabels)
            break;
        for (int i = 0; i < m_stripes->size(); ++i) {
            const StripeRecord& stripe = m_stripes->at(i);
            if (!Drawable(stripe))
                continue;
            const int x = StripeX(stripe);
            const QRect bar(QPoint(x - 4, std::min(stripe.topY, stripe.bottomY) - 1),
                            QPoint(x + 5, std::max(stripe.topY, stripe.bottomY) + 1));
            if (labels ? LabelRect(stripe).contains(point) : bar.contains(point))
                return i;
        }
    }
    return -1;
}

QString CChartWndC::TipText(const StripeRecord& stripe) const
{
    QString text = stripe.codePath + QLatin1Char('\n');
    if (m_extendedTip) {
        text += QStringLiteral("%1:\t\t%2\n").arg(LoadString(kWeightText)).arg(stripe.weight);
        text += QStringLiteral("%1:\t%2\n").arg(LoadString(kCreatedText), stripe.created);
        text += QStringLiteral("%1:\t\t%2\n").arg(LoadString(kAuthorText), stripe.author);
    } else {
        text += QStringLiteral("%1:\t%2\n").arg(LoadString(kWeightText)).arg(stripe.weight);
    }
    return text + stripe.comment;
}

void CChartWndC::SetHot(int index)
{
    if (index == m_hot)
        return;
    if (m_stripes && m_hot >= 0 && m_hot < m_stripes->size())
        (*m_stripes)[m_hot].flags &= ~StripeFlag::Highlighted;
    m_hot = index;
    if (m_stripes && m_hot >= 0)
        (*m_stripes)[m_hot].flags |= StripeFlag::Highlighted;
    update();
    // The owner colours the coded text of the hot stripe.
    if (m_owner)
        m_owner->HighlightSegment(m_stripes && m_hot >= 0 ? m_stripes->at(m_hot).codingId : 0);
}

void CChartWndC::mouseMoveEvent(QMouseEvent* event)
{
    const int hit = HitTest(event->position().toPoint());
    if (hit != m_hot) {
        SetHot(hit);
        if (hit >= 0)
            QToolTip::showText(event->globalPosition().toPoint(), TipText(m_stripes->at(hit)), this);
        else
            QToolTip::hideText();
    }
}

void CChartWndC::leaveEvent(QEvent*)
{
    SetHot(-1);
}

void CChartWndC::Send(int code, QPoint globalPoint, int modifiers)
{
    IdListNotifyInfo info(static_cast<RequestCode>(code));
    info.kind = kTopicCoding;
    info.itemId = m_hot >= 0 && m_stripes ? m_stripes->at(m_hot).codingId : 0;
    info.point = globalPoint;
    info.modifierKeys = modifiers;
    SendRequest(m_owner, this, m_controlId, info);
}

void CChartWndC::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        SetHot(HitTest(event->position().toPoint()));
        Send(int(RequestCode::FollowItem), event->globalPosition().toPoint(), 0);
    }
    if (m_owner)
        m_owner->Activate();
}

void CChartWndC::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    SetHot(HitTest(event->position().toPoint()));
    Send(int(RequestCode::OpenItem), event->globalPosition().toPoint(), ModifierKeysOf(event->modifiers()));
}

void CChartWndC::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        return;
    QToolTip::hideText();
    SetHot(HitTest(event->position().toPoint()));
    Send(int(RequestCode::ContextMenu), event->globalPosition().toPoint(), 0);
}
