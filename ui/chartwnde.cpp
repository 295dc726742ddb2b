#include "ui/chartwnde.h"

#include "ui/richviewowner.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kTopicMemo = 11;
constexpr int kFieldParagraph = 3;
constexpr int kFieldPosition = 7;
constexpr int kAutoScrollMs = 50;
// The drop zone starts below the owner's caption strip.
constexpr int kCaptionHeight = 14;

}  // namespace

CChartWndE::CChartWndE(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_autoScroll.setInterval(kAutoScrollMs);
    connect(&m_autoScroll, &QTimer::timeout, this, [this] {
        if (m_owner && m_scrollDirection != 0)
            m_owner->ScrollTextLines(m_scrollDirection);
    });
}

void CChartWndE::SetMemos(QList<MemoMark>* memos)
{
    m_memos = memos;
    m_pressed = -1;
    update();
}

void CChartWndE::SetImages(const QList<QPixmap>& images)
{
    m_images = images;
    m_iconWidth = images.isEmpty() ? 0 : images.front().width();
    m_iconHeight = images.isEmpty() ? 0 : images.front().height();
    update();
}

int CChartWndE::NeededWidth() const
{
    if (!m_memos || m_memos->isEmpty())
        return 0;
    int largest = 0;
    for (const MemoMark& memo : *m_memos)
        largest = std::max(largest, int(memo.column));
    return (m_iconWidth + 5) * (largest + 1) + 5;
}

QRect CChartWndE::IconRect(const MemoMark& memo) const
{
    const int left = memo.column * (m_iconWidth + 5) + 5;
    return QRect(QPoint(left, memo.topY - 1), QPoint(left + m_iconWidth, memo.topY + m_iconHeight));
}

int CChartWndE::HitTest(QPoint point) const
{
    if (!m_memos)
        return -1;
    for (int i = 0; i < m_memos->size(); ++i)
        if (m_memos->at(i).visible && IconRect(m_memos->at(i)).contains(point))
            return i;
    return -1;
}

void CChartWndE::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(kMarginGrey, kMarginGrey, kMarginGrey));
    if (!m_memos)
        return;
    for (const MemoMark& memo : *m_memos) {
        if (!memo.visible)
            continue;
        const QRect icon = IconRect(memo);
        if (!icon.intersects(event->rect().adjusted(-2, -2, 2, 2)))
            continue;
        if (memo.image >= 0 && memo.image < m_images.size())
            painter.drawPixmap(icon.left(), memo.topY, m_images[memo.image]);
        if (memo.framed) {
            painter.setPen(QColor(32, 32, 255));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(icon.adjusted(-1, -1, 0, 0));
        }
    }
}

void CChartWndE::Send(int code, int memoId, QPoint globalPoint, int modifiers, int kind)
{
    IdListNotifyInfo info(static_cast<RequestCode>(code));
    info.kind = kind;
    info.itemId = memoId;
    info.point = globalPoint;
    info.modifierKeys = modifiers;
    SendRequest(m_owner, this, m_controlId, info);
}

void CChartWndE::mousePressEvent(QMouseEvent* event)
{
    if (m_owner)
        m_owner->Activate();
    if (event->button() != Qt::LeftButton || m_dragging)
        return;
    m_pressed = HitTest(event->position().toPoint());
    m_armed = m_pressed >= 0;
    m_pressPoint = event->position().toPoint();
    QToolTip::hideText();
}

void CChartWndE::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_armed && !m_dragging) {
        // Leaving the 10 x 10 square around the press starts the move.
        const QPoint moved = point - m_pressPoint;
        if (std::abs(moved.x()) > 5 || std::abs(moved.y()) > 5) {
            m_dragging = true;
            setCursor(Qt::SizeAllCursor);
            grabMouse();
        }
    }
    if (m_dragging) {
        const QWidget* text = parentWidget();
        const int y = text ? mapTo(text, point).y() : point.y();
        const int direction = !text ? 0 : y < kCaptionHeight ? -1 : y > text->height() ? 1 : 0;
        m_scrollDirection = direction;
        if (direction != 0 && !m_autoScroll.isActive())
            m_autoScroll.start();
        else if (direction == 0)
            m_autoScroll.stop();
        return;
    }
    if (event->buttons() != Qt::NoButton)
        return;
    const int hit = HitTest(point);
    if (hit < 0) {
        QToolTip::hideText();
        return;
    }
    const MemoMark& memo = m_memos->at(hit);
    QString heading = memo.title + QStringLiteral(" (");
    if (!memo.author.isEmpty())
        heading += memo.author + QStringLiteral(", ");
    heading += memo.created + QLatin1Char(')');
    const QString tip = memo.text.isEmpty() ? heading : heading + QLatin1Char('\n') + memo.text;
    QToolTip::showText(event->globalPosition().toPoint(), tip, this, IconRect(memo).adjusted(-1, -1, 1, 1));
}

void CChartWndE::Drop(QPoint point)
{
    if (m_pressed < 0 || !m_memos || m_pressed >= m_memos->size() || !m_owner)
        return;
    // Only a drop beside the text moves the memo; anywhere else it stays.
    QWidget* text = parentWidget();
    if (!text)
        return;
    const QPoint inText = mapTo(text, point);
    if (!text->rect().adjusted(0, kCaptionHeight, 0, 0).contains(inText))
        return;
    int paragraph = 0;
    int position = 0;
    if (!m_owner->ParagraphAtY(point.y(), paragraph, position) || paragraph <= 0)
        return;
    MemoMark& memo = (*m_memos)[m_pressed];
    memo.paragraph = paragraph;
    memo.position = position;
    const qint32 id = memo.memoId;
    for (const auto& [field, value] : {std::pair{kFieldPosition, position}, std::pair{kFieldParagraph, paragraph}}) {
        FieldValueNotifyInfo set;
        set.topic = kTopicMemo;
        set.itemId = id;
        set.fieldId = field;
        set.text = QString::number(value);
        SendRequest(m_owner, this, m_controlId, set);
    }
    m_owner->TextScrolled();
}

void CChartWndE::EndDrag()
{
    m_autoScroll.stop();
    m_scrollDirection = 0;
    if (m_dragging)
        releaseMouse();
    unsetCursor();
    m_dragging = false;
    m_armed = false;
    m_pressed = -1;
}

void CChartWndE::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (m_dragging) {
            Drop(point);
        } else if (m_pressed >= 0 && m_memos && m_pressed < m_memos->size()) {
            Send(int(RequestCode::FollowItem), m_memos->at(m_pressed).memoId, event->globalPosition().toPoint(),
                 ModifierKeysOf(event->modifiers()));
        }
        EndDrag();
    } else if (event->button() == Qt::RightButton) {
        QToolTip::hideText();
        const int hit = HitTest(point);
        Send(int(RequestCode::ContextMenu), hit >= 0 ? m_memos->at(hit).memoId : -1,
             event->globalPosition().toPoint(), 0);
    }
}

void CChartWndE::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int hit = HitTest(event->position().toPoint());
    if (event->button() == Qt::LeftButton && hit >= 0)
        Send(int(RequestCode::OpenItem), m_memos->at(hit).memoId, event->globalPosition().toPoint(),
             ModifierKeysOf(event->modifiers()));
}
