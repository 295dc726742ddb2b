#include "platform/rtf/richtextmap.h"

#include "platform/rtf/rtfformat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

namespace rtf {

QString HyperlinkInstruction(const QString& target)
{
    return QStringLiteral("HYPERLINK \"") + target + u'"';
}

QString PlainTextToDocumentText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QChar::ParagraphSeparator;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QChar::ParagraphSeparator;
        } else if (c == kLineBreak) {
            out += QChar::LineSeparator;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

void ToRichEditChars(QString& text)
{
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator)
            c = kParagraphEnd;
        else if (c == QChar::LineSeparator)
            c = kLineBreak;
    }
}

/// A paragraph or a frame of the root frame, with its cursor positions
/// [start, end). A frame's start marker is the paragraph end of the
/// paragraph before it, its end marker its own.
struct TopItem {
    int start = 0;
    int end = 0;
    QTextFrame* frame = nullptr;  // null: the paragraph
    QTextBlock block;
};

/// The child of the root frame whose first position (after its start
/// marker) is the position.
QTextFrame* TopFrameStartingAt(const QTextFrame* root, int position)
{
    const QList<QTextFrame*> children = root->childFrames();
    const auto it = std::lower_bound(children.begin(), children.end(), position,
                                     [](const QTextFrame* frame, int p) { return frame->firstPosition() < p; });
    return it != children.end() && (*it)->firstPosition() == position ? *it : nullptr;
}

/// The item of the root frame that holds a cursor position (below
/// characterCount()).
TopItem TopItemAt(const QTextDocument& document, int position)
{
    const QTextFrame* root = document.rootFrame();
    QTextFrame* frame = document.frameAt(position);
    if (frame != root) {
        while (frame->parentFrame() != root)
            frame = frame->parentFrame();
        return {frame->firstPosition(), frame->lastPosition() + 1, frame, {}};
    }
    const QTextBlock block = document.findBlock(position);
    return {block.position(), block.position() + block.length(), nullptr, block};
}

}  // namespace

RichTextMap::RichTextMap(const QTextDocument& document)
{
    m_documentEnd = std::max(0, document.characterCount() - 1);
    const QTextFrame* root = document.rootFrame();
    if (root->childFrames().isEmpty()) {
        // Without tables every character maps to itself.
        m_text = document.toRawText();
        ToRichEditChars(m_text);
        if (!m_text.isEmpty())
            m_segments.push_back({0, 0, int(m_text.size())});
        return;
    }
    walkFrame(root, document);
}

void RichTextMap::appendMapped(int documentPosition, QStringView chars)
{
    if (chars.isEmpty())
        return;
    const int position = int(m_text.size());
    m_text += chars;
    if (!m_segments.empty()) {
        Segment& last = m_segments.back();
        if (last.position + last.length == position && last.documentPosition + last.length == documentPosition) {
            last.length += int(chars.size());
            return;
        }
    }
    m_segments.push_back({position, documentPosition, int(chars.size())});
}

void RichTextMap::appendUnmapped(QStringView chars)
{
    m_text += chars;
}

void RichTextMap::appendBlockText(const QTextBlock& block)
{
    QString text = block.text();
    ToRichEditChars(text);
    appendMapped(block.position(), text);
}

void RichTextMap::walkFrame(const QTextFrame* frame, const QTextDocument& document)
{
    const QTextBlock lastBlock = document.lastBlock();
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(child))
                walkTable(table);
            else
                walkFrame(child, document);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        QTextFrame::iterator next = it;
        ++next;
        appendFrameBlock(block, !next.atEnd() && next.currentFrame() != nullptr, block == lastBlock);
    }
}

void RichTextMap::appendFrameBlock(const QTextBlock& block, bool beforeFrame, bool last)
{
    if (beforeFrame && IsPlaceholderBlock(block))
        return;
    appendBlockText(block);
    if (!last)
        appendMapped(block.position() + block.length() - 1, QStringView(u"\r"));
}

void RichTextMap::walkTopLevel(const QTextDocument& document, int from, int to)
{
    const QTextFrame* root = document.rootFrame();
    const QTextBlock lastBlock = document.lastBlock();
    const int count = document.characterCount();
    while (from < to) {
        const TopItem item = TopItemAt(document, from);
        if (const auto* table = qobject_cast<const QTextTable*>(item.frame))
            walkTable(table);
        else if (item.frame)
            walkFrame(item.frame, document);
        else
            appendFrameBlock(item.block, item.end < count && TopFrameStartingAt(root, item.end), item.block == lastBlock);
        from = item.end;
    }
}

bool RichTextMap::update(const QTextDocument& document, int position, int removed, int added, TextChange* change)
{
    const int count = document.characterCount();
    const int newEnd = std::max(0, count - 1);
    const int delta = newEnd - m_documentEnd;
    if (count < 1 || position < 0 || removed < 0 || added < 0 || position > newEnd || position > m_documentEnd)
        return false;
    // Qt may report more than changed (a new layout reports the whole text
    // as added), so the change ends where the larger of both readings ends.
    const int oldChangeEnd = std::min(m_documentEnd, std::max(position + removed, position + added - delta));
    const int newChangeEnd = std::clamp(oldChangeEnd + delta, position, newEnd);

    // The walk starts at a paragraph before the changed item, since whether
    // a paragraph counts depends on what follows it, and it must be a
    // paragraph that counts in the old text too: frames and placeholders
    // are passed over. It ends before the first such paragraph after the
    // change, or at the end.
    int from = TopItemAt(document, position).start;
    bool fromStart = true;
    while (from > 0) {
        const TopItem before = TopItemAt(document, from - 1);
        from = before.start;
        if (!before.frame && !IsPlaceholderBlock(before.block)) {
            fromStart = false;
            break;
        }
    }
    int to = TopItemAt(document, newChangeEnd).end;
    while (to < count) {
        const TopItem next = TopItemAt(document, to);
        if (!next.frame && !IsPlaceholderBlock(next.block))
            break;
        to = next.end;
    }
    const bool toEnd = to >= count;
    const int oldTo = to - delta;
    if (from > position || (!toEnd && (oldTo <= oldChangeEnd || oldTo > m_documentEnd)))
        return false;
    const int textStart = fromStart ? 0 : fromDocument(from);
    const int textEnd = toEnd ? length() : fromDocument(oldTo);
    if (textEnd < textStart)
        return false;

    RichTextMap piece;
    piece.walkTopLevel(document, from, to);
    const int textDelta = piece.length() - (textEnd - textStart);
    std::vector<Segment> segments;
    segments.reserve(m_segments.size() + piece.m_segments.size() + 1);
    const auto push = [&segments](const Segment& segment) {
        if (segment.length <= 0)
            return;
        if (!segments.empty()) {
            Segment& last = segments.back();
            if (last.position + last.length == segment.position
                && last.documentPosition + last.length == segment.documentPosition) {
                last.length += segment.length;
                return;
            }
        }
        segments.push_back(segment);
    };
    for (const Segment& segment : m_segments) {
        if (segment.position >= textStart)
            break;
        push({segment.position, segment.documentPosition, std::min(segment.length, textStart - segment.position)});
    }
    for (const Segment& segment : piece.m_segments)
        push({segment.position + textStart, segment.documentPosition, segment.length});
    for (const Segment& segment : m_segments) {
        if (segment.position + segment.length <= textEnd)
            continue;
        const int cut = std::max(0, textEnd - segment.position);
        push({segment.position + cut + textDelta, segment.documentPosition + cut + delta, segment.length - cut});
    }
    m_segments = std::move(segments);
    m_text.replace(textStart, textEnd - textStart, piece.m_text);
    m_documentEnd = newEnd;
    if (change)
        *change = {textStart, textEnd - textStart, piece.length()};
    return true;
}

void RichTextMap::walkTable(const QTextTable* table)
{
    static const char16_t rowStart[] = {kRowStart, kParagraphEnd};
    static const char16_t rowEnd[] = {kRowEnd, kParagraphEnd};
    static const char16_t cellEnd[] = {kCellEnd};
    for (int row = 0; row < table->rows(); ++row) {
        appendUnmapped(QStringView(rowStart, 2));
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            // Parts of a merged cell belong to the cell where it starts.
            if (cell.row() != row || cell.column() != column)
                continue;
            for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                const QTextBlock block = it.currentBlock();
                if (!block.isValid())
                    continue;
                appendBlockText(block);
                const int separator = block.position() + block.length() - 1;
                if (separator == cell.lastPosition())
                    appendMapped(separator, QStringView(cellEnd, 1));
                else
                    appendMapped(separator, QStringView(u"\r"));
            }
        }
        appendUnmapped(QStringView(rowEnd, 2));
    }
}

int RichTextMap::toDocument(int position) const
{
    position = std::clamp(position, 0, length());
    // First segment that ends after the position.
    auto it = std::upper_bound(m_segments.begin(), m_segments.end(), position,
                               [](int p, const Segment& s) { return p < s.position + s.length; });
    if (it == m_segments.end())
        return m_documentEnd;
    if (position >= it->position)
        return it->documentPosition + (position - it->position);
    return it->documentPosition;
}

int RichTextMap::fromDocument(int documentPosition) const
{
    documentPosition = std::clamp(documentPosition, 0, m_documentEnd);
    auto it = std::upper_bound(m_segments.begin(), m_segments.end(), documentPosition,
                               [](int p, const Segment& s) { return p < s.documentPosition + s.length; });
    if (it == m_segments.end())
        return length();
    if (documentPosition >= it->documentPosition)
        return it->position + (documentPosition - it->documentPosition);
    return it->position;
}

}  // namespace rtf
