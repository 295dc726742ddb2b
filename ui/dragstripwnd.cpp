#include "ui/dragstripwnd.h"

#include "foundation/dragobject.h"
#include "ui/richeditwnd.h"
#include "ui/richviewowner.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kTopicCoding = 10;
constexpr int kKindEmptyStrip = 14;
constexpr int kBandHeight = 11;
constexpr int kBandSpace = 12;
// More than this many pixels of movement turn a press into a drag.
constexpr int kDragThreshold = 3;
// The pane writes this many separator characters after each segment.
constexpr int kSeparatorLength = 5;
enum Glyph { kGlyphGroup = 0, kGlyphCode = 1, kGlyphParagraphs = 2, kGlyphDocuments = 3 };

QColor toColor(COLORREF c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

SegmentBoxItem::SegmentBoxItem(COLORREF baseColour, const SegmentCoding& coding)
    : m_fillColour(baseColour), m_baseColour(baseColour), m_coding(coding)
{
}

void SegmentBoxItem::SetState(bool highlighted, qint16 value)
{
    m_highlighted = highlighted;
    m_state = value;
    m_fillColour = highlighted ? DarkenColor(m_baseColour) : m_baseColour;
}

void SegmentBoxItem::MoveTo(int top, int textEndY)
{
    m_box.moveTop(top);
    m_textEndY = textEndY;
}

void SegmentBoxItem::ShiftRange(int delta, bool both)
{
    m_textStart += delta;
    if (both)
        m_textEnd += delta;
}

void SegmentBoxItem::Draw(QPainter& painter, int offset) const
{
    const QRect box = m_box.translated(0, -offset);
    painter.fillRect(box.adjusted(1, 1, -1, -1), toColor(m_fillColour));
    painter.setPen(toColor(m_frameColour));
    painter.setBrush(Qt::NoBrush);
    // The frame leaves the edge side open by one pixel, towards the text.
    painter.drawRect(box.adjusted(m_rightSide ? 0 : 1, 0, m_rightSide ? -2 : -1, -1));
    if (m_highlighted) {
        if (m_textEndY > m_box.bottom()) {
            painter.setPen(toColor(m_highlightLineColour));
            const int x1 = m_rightSide ? box.right() : box.left();
            const int x2 = m_rightSide ? box.right() - 1 : box.left() + 1;
            painter.drawLine(x1, box.top() + 2, x1, m_textEndY - offset);
            painter.drawLine(x2, box.top() + 2, x2, m_textEndY - offset);
        }
        return;
    }
    const int end = std::max(m_box.bottom(), m_textEndY) + 1 - offset;
    const int edge = m_rightSide ? box.right() : box.left();
    painter.setPen(toColor(m_extentColour1));
    painter.drawLine(edge, box.top(), edge, end);
    painter.setPen(toColor(m_extentColour2));
    const int beside = m_rightSide ? edge - 1 : edge + 1;
    painter.drawLine(beside, box.bottom(), beside, end);
}

CDragStripWnd::CDragStripWnd(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetLineMetrics(16, 16);
}

CDragStripWnd::~CDragStripWnd() = default;

bool CDragStripWnd::Create(const QRect& rect, QWidget* parent, int id)
{
    setParent(parent);
    setGeometry(rect);
    m_controlId = id;
    m_offset = 0;
    show();
    return true;
}

int CDragStripWnd::IndexOf(qint32 id) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->Id() == id)
            return int(i);
    return -1;
}

void CDragStripWnd::InsertItem(std::unique_ptr<SegmentBoxItem> item, int index)
{
    item->m_glyphs = &m_glyphs;
    item->m_rightSide = m_rightSide;
    if (index < 0 || index >= int(m_items.size())) {
        m_items.push_back(std::move(item));
        return;
    }
    const int length = item->m_textEnd - item->m_textStart;
    for (size_t i = size_t(index); i < m_items.size(); ++i)
        m_items[i]->ShiftRange(length, true);
    m_items.insert(m_items.begin() + index, std::move(item));
    update();
}

void CDragStripWnd::RemoveAllItems(bool repaint)
{
    m_items.clear();
    m_hot = -1;
    m_pressed = 0;
    if (repaint)
        update();
}

bool CDragStripWnd::RemoveItemById(qint32 id)
{
    const int index = IndexOf(id);
    if (index < 0)
        return false;
    const SegmentBoxItem& item = *m_items[size_t(index)];
    const int length = item.m_textEnd - item.m_textStart;
    if (m_owner)
        m_owner->DeleteTextRange(item.m_textStart, item.m_textEnd);
    for (size_t i = size_t(index) + 1; i < m_items.size(); ++i)
        m_items[i]->ShiftRange(-length, true);
    m_items.erase(m_items.begin() + index);
    if (m_hot >= int(m_items.size()) || m_hot == index)
        m_hot = -1;
    update();
    return true;
}

void CDragStripWnd::RemoveItems(int index, int count)
{
    index = std::clamp(index, 0, int(m_items.size()));
    count = std::clamp(count, 0, int(m_items.size()) - index);
    if (count == 0)
        return;
    const int start = m_items[size_t(index)]->m_textStart;
    const int end = m_items[size_t(index + count - 1)]->m_textEnd;
    if (m_owner)
        m_owner->DeleteTextRange(start, end);
    for (size_t i = size_t(index + count); i < m_items.size(); ++i)
        m_items[i]->ShiftRange(start - end, true);
    m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    m_hot = -1;
    update();
}

bool CDragStripWnd::GetItemRange(qint32 id, int& start, int& end) const
{
    const int index = IndexOf(id);
    if (index < 0)
        return false;
    start = m_items[size_t(index)]->m_textStart;
    end = m_items[size_t(index)]->m_textEnd - 1;
    return true;
}

bool CDragStripWnd::ReplaceItemText(qint32 id, const SegmentCoding& coding, const QByteArray& rtf)
{
    const int index = IndexOf(id);
    if (index < 0 || !m_text || rtf.isEmpty())
        return false;
    SegmentBoxItem& item = *m_items[size_t(index)];
    item.UpdateCoding(coding);
    // The caret goes back to the top of the view, so the view stays put.
    auto* window = dynamic_cast<CRichEditWnd*>(m_text);
    const int topCharacter = window ? window->CharFromPos(QPoint(0, 0)) : -1;
    m_text->SetSel(item.m_textStart, item.m_textEnd - kSeparatorLength);
    m_text->StreamInRtf(&rtf, true);
    int start = 0;
    int end = 0;
    m_text->GetSel(start, end);
    const int newEnd = end + kSeparatorLength;
    const int delta = newEnd - item.m_textEnd;
    item.m_textEnd = newEnd;
    for (size_t i = size_t(index) + 1; i < m_items.size(); ++i)
        m_items[i]->ShiftRange(delta, true);
    if (topCharacter >= 0)
        m_text->SetSel(topCharacter, topCharacter);
    update();
    return true;
}

void CDragStripWnd::SetScrollOffset(int offset, bool force)
{
    if (offset == m_offset && !force)
        return;
    m_offset = offset;
    update();
}

void CDragStripWnd::SetLineMetrics(int glyphWidth, int glyphHeight)
{
    m_glyphWidth = glyphWidth;
    m_glyphHeight = glyphHeight;
    m_textHeight = QFontMetrics(font()).boundingRect(QStringLiteral("H")).height();
    if (m_textHeight % 2)
        --m_textHeight;
    m_textOffset = m_textHeight > glyphHeight ? (m_textHeight - glyphHeight) / 2 : 0;
    m_defaultWidth = 3 * glyphWidth + 2 * m_margin;
}

void CDragStripWnd::Layout(int width)
{
    // The height is the owner's to set; only the width follows the items.
    resize(width, height());
    for (const auto& item : m_items)
        item->m_box.setRight(item->m_box.left() + width - 1);
    update();
}

bool CDragStripWnd::FitWidth(bool lastOnly)
{
    const QFontMetrics metrics(font());
    int needed = 0;
    for (size_t i = lastOnly && !m_items.empty() ? m_items.size() - 1 : 0; i < m_items.size(); ++i) {
        const QStringList lines = LinesOf(*m_items[i]);
        for (int line = 0; line < lines.size(); ++line) {
            const int indent =
                line <= 2 ? line * m_glyphWidth : (line - 3) * (m_glyphWidth / 2 + 2);
            needed = std::max(needed, metrics.horizontalAdvance(lines[line]) + indent + m_glyphWidth + 2
                                          + 2 * m_margin);
        }
    }
    if (needed == 0 || needed == width())
        return false;
    Layout(needed);
    return true;
}

void CDragStripWnd::SetItemsFlag(bool rightSide)
{
    m_rightSide = rightSide;
    for (const auto& item : m_items)
        item->m_rightSide = rightSide;
    update();
}

QStringList CDragStripWnd::LinesOf(const SegmentBoxItem& item) const
{
    const SegmentCoding& coding = item.m_coding;
    const qsizetype split = coding.documentPath.indexOf(QLatin1Char('\\'));
    QStringList lines;
    if (split < 0)
        lines << QString() << QString();
    else
        lines << coding.documentPath.left(split) << coding.documentPath.mid(split + 1);
    lines << QStringLiteral("%1-%2").arg(coding.firstParagraph).arg(coding.lastParagraph);
    if (!coding.codePath.isEmpty())
        lines << coding.codePath.split(QLatin1Char('\\'));
    return lines;
}

int CDragStripWnd::LineX(const SegmentBoxItem& item, int line) const
{
    return item.m_box.left() + m_margin
           + (line <= 2 ? line * m_glyphWidth : (line - 3) * (m_glyphWidth / 2 + 2));
}

int CDragStripWnd::LineY(const SegmentBoxItem& item, int line) const
{
    const int pitch = m_glyphHeight + 2 * (m_margin + m_textOffset) - 2;
    return item.m_box.top() + kBandSpace + line * pitch - m_offset;
}

void CDragStripWnd::DrawItem(QPainter& painter, const SegmentBoxItem& item) const
{
    // The weight band, open by a pixel away from the edge.
    const QRect box = item.m_box.translated(0, -m_offset);
    QRect band(QPoint(box.left(), box.top()), QPoint(box.right(), box.top() + kBandHeight - 1));
    band.adjust(m_rightSide ? 1 : 0, 0, m_rightSide ? 0 : -1, 0);
    painter.fillRect(band, m_bandColour);
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(band.left(), band.top() - 1), QPoint(box.right() - 2 * m_margin, band.bottom())),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::number(item.m_coding.weight));

    const QStringList lines = LinesOf(item);
    for (int line = 0; line < lines.size(); ++line) {
        const int x = LineX(item, line);
        const int y = LineY(item, line);
        const int glyph = line == 0   ? kGlyphGroup
                          : line == 1 ? item.m_glyphBase + kGlyphDocuments
                          : line == 2 ? kGlyphParagraphs
                                      : kGlyphCode;
        if (glyph >= 0 && glyph < m_glyphs.size())
            painter.drawPixmap(x, y + m_margin - 1 + m_textOffset, m_glyphs[glyph]);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(QPoint(x + m_glyphWidth + 2, y + m_margin - 1),
                               QPoint(box.right() - 1, y + m_margin - 1 + std::max(13, m_textHeight))),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines[line]);
        // Tree connectors from the line above.
        painter.setPen(m_connectorColour);
        const int textTop = y + m_margin - 1;
        const int joinY = textTop + m_glyphHeight / 2 + m_textOffset;
        if (line == 1 || line == 2) {
            const int lineX = x - m_glyphWidth / 2 - 1;
            painter.drawLine(lineX, textTop - 2 * m_margin - m_textOffset + 3, lineX, joinY);
            painter.drawLine(lineX, joinY, x - 1, joinY);
        } else if (line > 3) {
            painter.drawLine(x - 3, textTop - 2 * m_margin - m_textOffset + 1, x - 3, joinY);
            painter.drawLine(x - 3, joinY, x, joinY);
        }
    }
}

void CDragStripWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    const int visibleBottom = height() + m_offset;
    for (const auto& item : m_items) {
        // Items stand in text order: past the visible band nothing follows.
        if (item->m_box.top() >= visibleBottom)
            break;
        if (item->ExtentBottom() < m_offset)
            continue;
        item->Draw(painter, m_offset);
        DrawItem(painter, *item);
    }
    painter.setPen(m_edgeColour);
    const int edge = m_rightSide ? width() - 1 : 0;
    painter.drawLine(edge, 0, edge, height());
}

int CDragStripWnd::ItemAt(QPoint contentPoint) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->HitTest(contentPoint))
            return int(i);
    return -1;
}

void CDragStripWnd::SetHot(int index)
{
    if (index == m_hot)
        return;
    if (m_hot >= 0 && m_hot < int(m_items.size()))
        m_items[size_t(m_hot)]->SetState(false, -3);
    m_hot = index;
    if (m_hot >= 0)
        m_items[size_t(m_hot)]->SetState(true, 0);
    if (m_owner)
        m_owner->HighlightSegment(m_hot >= 0 ? m_items[size_t(m_hot)]->Id() : 0);
    update();
}

void CDragStripWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const QPoint content = point + QPoint(0, m_offset);
    if (point.y() > 0 && point.y() < height())
        SetHot(ItemAt(content));
    if (m_pressed != 0 && (event->buttons() & Qt::LeftButton)) {
        const QPoint moved = point - m_pressPoint;
        if (std::abs(moved.x()) > kDragThreshold || std::abs(moved.y()) > kDragThreshold) {
            const CDragObject object(kTopicCoding, m_pressed);
            m_pressed = 0;
            QToolTip::hideText();
            StartDrag(object);
            return;
        }
    }
    if (m_hot >= 0 && !m_items[size_t(m_hot)]->m_coding.comment.isEmpty()) {
        const SegmentBoxItem& item = *m_items[size_t(m_hot)];
        QToolTip::showText(event->globalPosition().toPoint(), item.m_coding.comment, this,
                           item.m_box.translated(0, -m_offset));
    } else {
        QToolTip::hideText();
    }
}

void CDragStripWnd::leaveEvent(QEvent*)
{
    SetHot(-1);
}

void CDragStripWnd::StartDrag(const CDragObject& object)
{
    object.DoDragDrop(this, m_owner ? m_owner->ProjectIdentity() : QString(),
                      Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

void CDragStripWnd::Send(int code, int index, QPoint globalPoint, int modifiers)
{
    IdListNotifyInfo info(static_cast<RequestCode>(code));
    if (index >= 0) {
        info.kind = kTopicCoding;
        info.itemId = m_items[size_t(index)]->Id();
    } else {
        info.kind = kKindEmptyStrip;
        info.itemId = m_controlId;
    }
    info.point = globalPoint;
    info.modifierKeys = modifiers;
    SendRequest(m_owner, this, m_controlId, info);
}

void CDragStripWnd::mousePressEvent(QMouseEvent* event)
{
    QToolTip::hideText();
    if (m_owner)
        m_owner->Activate();
    if (event->button() != Qt::LeftButton)
        return;
    const int index = ItemAt(event->position().toPoint() + QPoint(0, m_offset));
    if (index >= 0) {
        m_pressed = m_items[size_t(index)]->Id();
        m_pressPoint = event->position().toPoint();
    }
    Send(int(RequestCode::FollowItem), index, event->globalPosition().toPoint(), ModifierKeysOf(event->modifiers()));
}

void CDragStripWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = 0;
        return;
    }
    if (event->button() != Qt::RightButton)
        return;
    QToolTip::hideText();
    const int index = ItemAt(event->position().toPoint() + QPoint(0, m_offset));
    Send(int(RequestCode::ContextMenu), index, event->globalPosition().toPoint(), ModifierKeysOf(event->modifiers()));
    SetHot(-1);
}

void CDragStripWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = ItemAt(event->position().toPoint() + QPoint(0, m_offset));
    Send(int(RequestCode::OpenItem), index, event->globalPosition().toPoint(), ModifierKeysOf(event->modifiers()));
}
