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
        const bool beforeFrame = !next.atEnd() && next.currentFrame() != nullptr;
        if (beforeFrame && IsPlaceholderBlock(block))
            continue;
        appendBlockText(block);
        if (block != lastBlock)
            appendMapped(block.position() + block.length() - 1, QStringView(u"\r"));
    }
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
