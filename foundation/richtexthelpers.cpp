#include "foundation/richtexthelpers.h"

#include "foundation/filehelpers.h"
#include "foundation/texthelpers.h"
#include "foundation/uimessages.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfformat.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>

namespace {

constexpr int kHiddenLayoutWidth = 500;       // pixels
constexpr int kHiddenTextLimit = 10'000'000;  // characters the user may type
constexpr int kMaxPosition = 999'999'999;     // open end of the last pair

// ---- Paragraph maps ----

// Whether a block holds text and all of it is hidden: the rich-edit control
// lays it out without room, so what follows it starts on its line (Qt gives
// it an empty line, which no reader sees either).
bool ShowsNothing(const QTextBlock& block)
{
    if (block.length() <= 1)
        return false;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        if (!rtf::IsHidden(it.fragment().charFormat()))
            return false;
    }
    return true;
}

// Whether two paragraph starts (rich-edit positions) lie on one line of the
// control laid out at its width. Paragraphs outside tables begin lines of
// their own unless they show nothing; the cells of a table row stand side
// by side. A table's inner layout does not depend on what stands around
// it, so each table is laid out alone in a scratch document: laying out
// the whole text would cost far more than reading it.
class LineComparer {
public:
    // The map is kept: copying a table out of the text opens and closes an
    // edit of it, after which the control would build its map anew.
    explicit LineComparer(const CRichEditCtrlEx& richEdit) : m_richEdit(richEdit), m_map(richEdit.TextMap())
    {
        for (QTextFrame* frame : richEdit.GetDocument()->rootFrame()->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(frame))
                m_tables.append(table);
        }
    }

    bool SameLine(int first, int second)
    {
        const int a = m_map.toDocument(first);
        const int b = m_map.toDocument(second);
        if (a == b)
            return true;
        const QTextBlock block = m_richEdit.GetDocument()->findBlock(a);
        if (block.next().isValid() && block.next().position() == b && ShowsNothing(block))
            return true;
        const QTextTable* table = TableAt(a);
        if (!table || table != TableAt(b))
            return false;
        if (!LayOut(table))
            return m_richEdit.PosFromChar(first).y() == m_richEdit.PosFromChar(second).y();
        return LineTop(a) == LineTop(b);
    }

private:
    // The table (outermost) that holds a cursor position, else null.
    const QTextTable* TableAt(int documentPosition) const
    {
        const auto after = std::upper_bound(m_tables.begin(), m_tables.end(), documentPosition,
                                            [](int position, const QTextTable* t) { return position < t->firstPosition(); });
        if (after == m_tables.begin())
            return nullptr;
        const QTextTable* table = *(after - 1);
        return documentPosition <= table->lastPosition() ? table : nullptr;
    }

    bool LayOut(const QTextTable* table)
    {
        if (table == m_table)
            return m_scratchTable != nullptr;
        m_table = table;
        m_scratchTable = nullptr;
        const QTextDocument* document = m_richEdit.GetDocument();
        QTextCursor selection(const_cast<QTextDocument*>(document));
        // Inside an edit block a cursor does not measure where it stands,
        // which would lay the shown text out up to the table.
        selection.beginEditBlock();
        selection.setPosition(table->firstPosition() - 1);
        selection.setPosition(table->lastPosition() + 1, QTextCursor::KeepAnchor);
        const QTextDocumentFragment fragment = selection.selection();
        selection.endEditBlock();
        m_scratch = std::make_unique<QTextDocument>();
        m_scratch->setDocumentMargin(document->documentMargin());
        m_scratch->setDefaultFont(document->defaultFont());
        m_scratch->setTextWidth(document->textWidth());
        QTextCursor(m_scratch.get()).insertFragment(fragment);
        const QList<QTextFrame*> frames = m_scratch->rootFrame()->childFrames();
        m_scratchTable = frames.isEmpty() ? nullptr : qobject_cast<QTextTable*>(frames.first());
        if (m_scratchTable)
            m_offset = m_scratchTable->firstPosition() - table->firstPosition();
        return m_scratchTable != nullptr;
    }

    qreal LineTop(int documentPosition) const
    {
        const int position = documentPosition + m_offset;
        const QTextBlock block = m_scratch->findBlock(position);
        const qreal top = m_scratch->documentLayout()->blockBoundingRect(block).top();
        const QTextLine line = block.layout() ? block.layout()->lineForTextPosition(position - block.position()) : QTextLine();
        return line.isValid() ? top + line.y() : top;
    }

    const CRichEditCtrlEx& m_richEdit;
    const rtf::RichTextMap m_map;
    QList<const QTextTable*> m_tables;            // in document order
    const QTextTable* m_table = nullptr;          // the table laid out in m_scratch
    std::unique_ptr<QTextDocument> m_scratch;
    const QTextTable* m_scratchTable = nullptr;   // its copy; null when it could not be copied
    int m_offset = 0;                             // scratch position - document position
};

// ---- RTF bytes ----
// RTF is 7-bit markup with 8-bit bytes inside; the scans below work on the
// raw bytes and copy what they do not change unchanged.

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

qsizetype SkipBlanks(const QByteArray& rtf, qsizetype i, qsizetype end)
{
    while (i < end && (rtf[i] == ' ' || rtf[i] == '\r' || rtf[i] == '\n'))
        ++i;
    return i;
}

// The bytes from..from + length, clipped to the array, without a copy.
QByteArrayView Part(const QByteArray& bytes, qsizetype from, qsizetype length = -1)
{
    from = std::clamp<qsizetype>(from, 0, bytes.size());
    const qsizetype left = bytes.size() - from;
    return QByteArrayView(bytes).sliced(from, length < 0 ? left : std::min(length, left));
}

bool At(const QByteArray& rtf, qsizetype i, const char* word)
{
    return Part(rtf, i).startsWith(word);
}

// The index of the '}' that closes the group opened at open, or -1 when the
// braces do not balance. Escaped braces and the data of \binN are skipped.
qsizetype GroupEnd(const QByteArray& rtf, qsizetype open)
{
    const qsizetype n = rtf.size();
    int depth = 0;
    for (qsizetype i = open; i < n; ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return i;
        } else if (c == '\\') {
            if (At(rtf, i + 1, "bin") && i + 4 < n && IsDigit(rtf[i + 4])) {
                qsizetype j = i + 4;
                qint64 count = 0;
                while (j < n && IsDigit(rtf[j]) && count <= n)
                    count = count * 10 + (rtf[j++] - '0');
                if (j < n && rtf[j] == ' ')
                    ++j;
                if (count > n - j)
                    return -1;
                i = j + count - 1;
            } else {
                ++i;  // the escaped character or the control word's first letter
            }
        }
    }
    return -1;
}

// The control word \ul (not \ulnone, \ul0, ...) taken out of a text.
QByteArray WithoutUnderline(const QByteArray& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        if (At(text, i, "\\ul") && (i + 3 >= text.size() || (!IsLetter(text[i + 3]) && !IsDigit(text[i + 3]) &&
                                                              text[i + 3] != '-'))) {
            i += 3;
            continue;
        }
        out += text[i];
        if (text[i] == '\\' && i + 1 < text.size())
            out += text[++i];  // an escaped character is never the start of \ul
        ++i;
    }
    return out;
}

// A media link's shown text with its visible characters blanked: the
// characters after the first blank (the delimiter of the leading control
// words) up to the next backslash, or all of them up to the first backslash
// when there is no blank. Braces stay, so the groups still balance.
QByteArray BlankMediaText(QByteArray text)
{
    text = WithoutUnderline(text).trimmed();
    const qsizetype blank = text.indexOf(' ');
    for (qsizetype i = blank + 1; i < text.size() && text[i] != '\\'; ++i)
        if (text[i] != '{' && text[i] != '}')
            text[i] = ' ';
    return text;
}

// One hyperlink field found at the "{" of "{\field".
struct LinkField {
    qsizetype end = -1;  // its closing brace
    QByteArray instruction;
    QByteArray shown;    // the result's content without its enclosing group
};

// Reads the field at i; false when it is no hyperlink field or does not
// balance (end then tells which: -1 unbalanced).
bool ReadLinkField(const QByteArray& rtf, qsizetype i, LinkField& field)
{
    field.end = GroupEnd(rtf, i);
    if (field.end < 0)
        return false;
    qsizetype p = SkipBlanks(rtf, i + 7, field.end);  // after "{\field"
    if (!At(rtf, p, "{\\*\\fldinst"))
        return false;
    const qsizetype instructionEnd = GroupEnd(rtf, p);
    if (instructionEnd < 0)
        return false;
    qsizetype q = SkipBlanks(rtf, p + 11, instructionEnd);  // after "{\*\fldinst"
    if (q < instructionEnd && rtf[q] == '{')
        q = SkipBlanks(rtf, q + 1, instructionEnd);
    if (!At(rtf, q, "HYPERLINK"))
        return false;
    const qsizetype result = SkipBlanks(rtf, instructionEnd + 1, field.end);
    if (!At(rtf, result, "{\\fldrslt") || IsLetter(rtf[result + 9]))
        return false;
    const qsizetype resultEnd = GroupEnd(rtf, result);
    if (resultEnd < 0 || resultEnd > field.end)
        return false;
    field.instruction = rtf.mid(q + 9, instructionEnd - q - 9);
    qsizetype from = result + 9;
    if (from < resultEnd && rtf[from] == ' ')
        ++from;  // the delimiter of \fldrslt
    QByteArray shown = rtf.mid(from, resultEnd - from);
    // {\fldrslt{...}}: the inner group is the shown text.
    const QByteArray trimmed = shown.trimmed();
    if (trimmed.startsWith('{') && GroupEnd(trimmed, 0) == trimmed.size() - 1)
        shown = trimmed.mid(1, trimmed.size() - 2);
    field.shown = shown;
    return true;
}

}  // namespace

ParagraphMap GetParagraphBreaks(const CRichEditCtrlEx& edit)
{
    const QString& text = edit.TextMap().text();
    ParagraphMap map;
    for (qsizetype b = text.indexOf(rtf::kParagraphEnd); b >= 0; b = text.indexOf(rtf::kParagraphEnd, b + 1))
        map.append(qint32(b));
    return map;
}

ParagraphMap GetParagraphBounds(const CRichEditCtrlEx& edit)
{
    ParagraphMap map;
    const qint32 length = edit.GetTextLength();
    if (length == 0)
        return map;
    qint32 start = 0;
    for (qint32 b : GetParagraphBreaks(edit)) {
        map << start << b + 1;
        start = b + 1;
    }
    map << start << length - 1;
    return map;
}

ParagraphMap GetParagraphRanges(const CRichEditCtrlEx& edit)
{
    const qint32 length = edit.GetTextLength();
    if (length == 0)
        return {};
    const ParagraphMap breaks = GetParagraphBreaks(edit);
    // Leading paragraph ends open no paragraph.
    qsizetype k = 0;
    while (k < breaks.size() && breaks[k] == k)
        ++k;
    ParagraphMap all{qint32(k)};
    for (; k < breaks.size(); ++k)
        all << breaks[k] << breaks[k] + 1;
    all << length - 1;

    // Whether a pair stays depends only on it and the next pair's start.
    // A paragraph ends at its CR, so start == end is an empty one; the last
    // ends at its last character, so it is empty only when start > end.
    LineComparer lines(edit);
    ParagraphMap map;
    for (qsizetype pair = 0; pair + 1 < all.size(); pair += 2) {
        const qint32 first = all[pair];
        const qint32 last = all[pair + 1];
        const bool isLast = pair + 2 >= all.size();
        const bool empty = isLast ? first > last : first == last;
        if (!empty && (isLast || !lines.SameLine(first, all[pair + 2])))
            map << first << last;
    }
    return map;
}

int ParagraphOfPosition(qint32 position, bool boundsMode, const ParagraphMap& map)
{
    if (map.size() < 4)
        return 1;
    const qsizetype pairs = map.size() / 2;
    const auto lower = [&](qsizetype k) { return boundsMode ? (k == 0 ? 0 : map[2 * k - 1]) : map[2 * k]; };
    const auto upper = [&](qsizetype k) {
        return boundsMode ? map[2 * k + 1] : k + 1 < pairs ? map[2 * k + 2] : kMaxPosition;
    };
    // The first pair whose upper limit reaches the position; the limits of
    // the pairs before it lie below the position, so only its own lower
    // limit is left to check. The last pair is left out of the halving: a
    // bounds map of a text that ends in a CR ends one below the pair before.
    qsizetype low = 0;
    qsizetype high = pairs - 1;
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (upper(middle) < position)
            low = middle + 1;
        else
            high = middle;
    }
    return lower(low) <= position && position <= upper(low) ? int(low + 1) : 0;
}

QString GetRichEditTextRange(const CRichEditCtrlEx* edit, int start, int end, int maxLength)
{
    if (!edit)
        return {};
    return CleanPreviewText(edit->GetTextRange(start, end), maxLength);
}

std::unique_ptr<CRichEditCtrlEx> CreateHiddenRichEdit()
{
    auto edit = std::make_unique<CRichEditCtrlEx>();
    edit->SetLayoutWidth(kHiddenLayoutWidth);
    edit->LimitText(kHiddenTextLimit);
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold | kCharMaskStrikeOut;
    format.faceName = QStringLiteral("Arial");
    format.height = 200;  // twips
    edit->SetDefaultCharFormat(format);
    return edit;
}

bool RemoveRtfHyperlinkFields(QByteArray& rtf, bool blankMediaLinks)
{
    QByteArray out;
    qsizetype copied = 0;
    for (qsizetype at = rtf.indexOf("{\\field"); at >= 0; at = rtf.indexOf("{\\field", at)) {
        LinkField field;
        if (!ReadLinkField(rtf, at, field)) {
            if (field.end < 0)
                break;
            at += 7;
            continue;
        }
        if (blankMediaLinks && HasFileAndTimeArgs(QString::fromLatin1(field.instruction)))
            field.shown = BlankMediaText(field.shown);
        out += Part(rtf, copied, at - copied);
        out += '{' + field.shown + '}';
        at = copied = field.end + 1;
    }
    if (copied == 0)
        return false;
    out += Part(rtf, copied);
    rtf = std::move(out);
    return true;
}

bool TrimRtfHyperlinkInstructions(QByteArray& rtf)
{
    const QByteArray keyword("HYPERLINK");
    QByteArray text = rtf;
    for (int split = 1; split < keyword.size(); ++split)
        text.replace(keyword.left(split) + "\r\n" + keyword.mid(split), keyword);
    QByteArray out;
    qsizetype copied = 0;
    for (qsizetype f = text.indexOf("{\\*\\fldinst"); f >= 0; f = text.indexOf("{\\*\\fldinst", f + 1)) {
        const qsizetype end = text.indexOf('}', f + 1);
        if (end < 0)
            break;
        // Offsets within the instruction up to its first closing brace.
        const QByteArrayView instruction = Part(text, f, end - f);
        const qsizetype word = instruction.indexOf(keyword);
        const qsizetype open = word < 0 ? -1 : instruction.indexOf('"', word + keyword.size());
        const qsizetype close = open < 0 ? -1 : instruction.indexOf('"', open + 1);
        if (close < 0)
            continue;
        // What follows the target: switches. A group opened there would
        // lose its brace, so such an instruction stays.
        const QByteArrayView tail = instruction.sliced(close + 1);
        if (tail.size() >= 2 && tail.indexOf('{') < 0) {
            out += Part(text, copied, f + close + 1 - copied);
            copied = end;
        }
    }
    if (copied == 0)
        return false;
    out += Part(text, copied);
    rtf = std::move(out);
    return true;
}

bool CleanClipboardRtfLinks()
{
    static const QString kRtfMime = QStringLiteral("text/rtf");
    if (!HasGuiApplication())
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasFormat(kRtfMime))
        return false;
    QByteArray rtf = data->data(kRtfMime);
    const qsizetype zero = rtf.indexOf('\0');
    if (zero >= 0)
        rtf.truncate(zero);
    if (!TrimRtfHyperlinkInstructions(rtf))
        return false;
    auto copy = std::make_unique<QMimeData>();
    // Image and colour data are kept as values, everything else as bytes.
    if (data->hasImage())
        copy->setImageData(data->imageData());
    if (data->hasColor())
        copy->setColorData(data->colorData());
    for (const QString& format : data->formats()) {
        if (format == QLatin1String("application/x-qt-image") || format == QLatin1String("application/x-color"))
            continue;
        copy->setData(format, format == kRtfMime ? rtf : data->data(format));
    }
    clipboard->setMimeData(copy.release());
    return true;
}

QString RtfPlainText(CRichEditCtrlEx& edit, const QByteArray* rtf)
{
    edit.StreamInRtf(rtf && !rtf->isEmpty() ? rtf : nullptr, false);
    QString text;
    edit.GetText(&text, 2 * (edit.GetTextLength() + 1));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar(0x2029), u'\n');
    text.remove(QChar(11));
    return text;
}
