#include "ui/marginlayout.h"

#include "ui/richeditwnd.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kLabelHalfHeight = 6;

bool meets(const VisibleRange& range, int start, int end)
{
    return start <= range.last && std::max(end, start + 1) > range.first;
}

// The last block whose top lies at or above y (document pixels). Blocks
// stand in text order from top to bottom, so a binary search finds it in
// a few steps; hit-testing the point walks the whole text instead.
QTextBlock blockAtY(const QTextDocument* document, qreal y)
{
    const QAbstractTextDocumentLayout* layout = document->documentLayout();
    int low = 0;
    int high = document->blockCount() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        // A block the layout has not reached yet lies below everything laid
        // out; asking for its place would lay out the text up to it.
        const QTextBlock block = document->findBlockByNumber(middle);
        const bool laidOut = block.layout() && block.layout()->lineCount() > 0;
        if (laidOut && layout->blockBoundingRect(block).top() <= y)
            low = middle;
        else
            high = middle - 1;
    }
    return document->findBlockByNumber(low);
}

// Document position of the first character of the block's line at y, or of
// its last line's end when lastCharacter.
int positionAtY(const QTextDocument* document, const QTextBlock& block, qreal y, bool lastCharacter)
{
    const QTextLayout* lines = block.layout();
    const qreal top = document->documentLayout()->blockBoundingRect(block).top();
    for (int i = 0; lines && i < lines->lineCount(); ++i) {
        const QTextLine line = lines->lineAt(i);
        if (top + line.y() + line.height() > y)
            return block.position() + line.textStart() + (lastCharacter ? line.textLength() : 0);
    }
    return block.position() + (lastCharacter ? block.length() - 1 : 0);
}

}  // namespace

VisibleRange VisibleTextRange(const CRichEditWnd& text)
{
    const QTextDocument* document = text.document();
    const qreal top = text.verticalScrollBar()->value();
    const qreal bottom = top + text.viewport()->height() - 1;
    VisibleRange range;
    range.first = text.FromDocumentPosition(positionAtY(document, blockAtY(document, top), top, false));
    range.last = text.FromDocumentPosition(positionAtY(document, blockAtY(document, bottom), bottom, true));
    return range;
}

QPair<int, int> LineExtentAt(const CRichEditWnd& text, int position)
{
    // The caret's rectangle, measured without a cursor: placing one would
    // measure the place's x as well, which shapes its whole line.
    const QTextDocument* document = text.document();
    const int at = std::clamp(text.ToDocumentPosition(position), 0, document->characterCount() - 1);
    const QTextBlock block = document->findBlock(at);
    const qreal top = document->documentLayout()->blockBoundingRect(block).top();
    const QTextLayout* lines = block.layout();
    const QTextLine line = lines ? lines->lineForTextPosition(at - block.position()) : QTextLine();
    // A line not laid out is 10 pixels high, as the text control draws it.
    const QRectF caret(0, line.isValid() ? top + line.y() : top, 1, line.isValid() ? line.height() : 10);
    const QRect rect = caret.toRect().translated(0, -text.verticalScrollBar()->value());
    return {rect.top(), rect.bottom() + 1};
}

int AssignLanes(QList<StripeRecord>& stripes)
{
    QList<int> order(stripes.size());
    std::iota(order.begin(), order.end(), 0);
    // Longer codings first among equal starts, so they keep the inner lanes.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const StripeRecord& x = stripes[a];
        const StripeRecord& y = stripes[b];
        return x.start != y.start ? x.start < y.start : x.end > y.end;
    });
    QList<int> laneEnds;
    for (int index : order) {
        StripeRecord& stripe = stripes[index];
        int lane = 0;
        while (lane < laneEnds.size() && laneEnds[lane] > stripe.start)
            ++lane;
        if (lane == laneEnds.size())
            laneEnds.append(stripe.end);
        else
            laneEnds[lane] = stripe.end;
        stripe.lane = lane + 1;
        stripe.labelLane = lane + 1;
    }
    return int(laneEnds.size());
}

void LayoutStripes(const CRichEditWnd& text, QList<StripeRecord>& stripes)
{
    const VisibleRange range = VisibleTextRange(text);
    for (StripeRecord& stripe : stripes) {
        stripe.visible = meets(range, stripe.start, stripe.end);
        if (!stripe.visible)
            continue;
        stripe.topY = LineExtentAt(text, stripe.start).first;
        stripe.bottomY = LineExtentAt(text, std::max(stripe.start, stripe.end - 1)).second - 1;
        stripe.labelTop = stripe.topY + (stripe.bottomY - stripe.topY) / 2 - kLabelHalfHeight;
    }
}

void LayoutMemos(const CRichEditWnd& text, QList<MemoMark>& memos)
{
    const VisibleRange range = VisibleTextRange(text);
    QHash<qint32, qint16> columns;
    for (MemoMark& memo : memos) {
        memo.column = columns[memo.paragraph]++;
        memo.visible = meets(range, memo.position, memo.position);
        if (memo.visible)
            memo.topY = LineExtentAt(text, memo.position).first;
    }
}

void FillParagraphCharacters(const CRichEditWnd& text, ParagraphTables& tables)
{
    const QTextDocument* document = text.document();
    tables.characters.clear();
    tables.characters.reserve(2 * document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        tables.characters.append(quint32(text.FromDocumentPosition(block.position())));
        tables.characters.append(quint32(text.FromDocumentPosition(block.position() + block.length())));
    }
    tables.positions.fill(0, tables.characters.size());
    tables.firstSlot = 0;
    tables.lastSlot = -1;
}

void LayoutParagraphs(const CRichEditWnd& text, ParagraphTables& tables)
{
    const QTextDocument* document = text.document();
    if (tables.positions.size() != 2 * document->blockCount())
        FillParagraphCharacters(text, tables);
    tables.firstSlot = 0;
    tables.lastSlot = -1;
    const VisibleRange range = VisibleTextRange(text);
    QTextBlock block = document->findBlock(text.ToDocumentPosition(range.first));
    const QTextBlock last = document->findBlock(text.ToDocumentPosition(range.last));
    if (!block.isValid())
        return;
    const QAbstractTextDocumentLayout* layout = document->documentLayout();
    const int scroll = text.verticalScrollBar()->value();
    tables.firstSlot = 2 * block.blockNumber();
    for (; block.isValid(); block = block.next()) {
        const QRectF bounds = layout->blockBoundingRect(block);
        const int slot = 2 * block.blockNumber();
        tables.positions[slot] = int(bounds.top()) - scroll;
        tables.positions[slot + 1] = int(bounds.bottom()) - scroll;
        tables.lastSlot = slot;
        if (block == last)
            break;
    }
}
