#include "platform/rtf/richeditctrlex.h"

#include "platform/rtf/rtfformat.h"
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <utility>

QColor ToQColor(RichEditColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

namespace {

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Texts given as RTF start so, without leading blanks.
bool IsRtfText(const QString& text)
{
    return text.startsWith(QLatin1String("{\\rtf")) || text.startsWith(QLatin1String("{\\urtf"));
}

bool UnitsEqual(QChar a, QChar b, bool matchCase)
{
    return matchCase ? a == b : a.toLower() == b.toLower();
}

// A format with the members of f that its mask names.
QTextCharFormat Changed(QTextCharFormat format, const RichEditCharFormat& f)
{
    const bool wasHidden = rtf::IsHidden(format);
    format = rtf::VisibleFormat(format);
    if (f.mask & kCharMaskBold)
        format.setFontWeight(f.effects & kCharBold ? QFont::Bold : QFont::Normal);
    if (f.mask & kCharMaskWeight)
        format.setFontWeight(QFont::Weight(std::clamp(int(f.weight), 100, 900)));
    if (f.mask & kCharMaskItalic)
        format.setFontItalic(f.effects & kCharItalic);
    if (f.mask & kCharMaskUnderline)
        format.setUnderlineStyle(f.effects & kCharUnderline ? QTextCharFormat::SingleUnderline
                                                            : QTextCharFormat::NoUnderline);
    if (f.mask & kCharMaskStrikeOut)
        format.setFontStrikeOut(f.effects & kCharStrikeOut);
    if (f.mask & kCharMaskSize && f.height > 0)
        format.setFontPointSize(f.height / 20.0);
    if (f.mask & kCharMaskFace && !f.faceName.isEmpty())
        format.setFontFamilies(QStringList{f.faceName});
    if (f.mask & kCharMaskColor) {
        if (f.effects & kCharAutoColor)
            format.clearForeground();
        else
            format.setForeground(ToQColor(f.textColor));
    }
    if (f.mask & kCharMaskBackColor) {
        if (f.effects & kCharAutoBackColor)
            format.clearBackground();
        else
            format.setBackground(ToQColor(f.backColor));
    }
    if (f.mask & kCharMaskOffset)
        format.setVerticalAlignment(f.offset > 0   ? QTextCharFormat::AlignSuperScript
                                    : f.offset < 0 ? QTextCharFormat::AlignSubScript
                                                   : QTextCharFormat::AlignNormal);
    if (f.mask & kCharMaskSubSuperScript)
        format.setVerticalAlignment(f.effects & kCharSuperScript ? QTextCharFormat::AlignSuperScript
                                    : f.effects & kCharSubScript ? QTextCharFormat::AlignSubScript
                                                                 : QTextCharFormat::AlignNormal);
    const bool hidden = f.mask & kCharMaskHidden ? (f.effects & kCharHidden) != 0 : wasHidden;
    rtf::SetHidden(format, hidden);
    return format;
}

}  // namespace

CRichEditCtrlEx::CRichEditCtrlEx(QTextDocument* shared)
{
    if (!shared) {
        m_ownDocument = std::make_unique<QTextDocument>();
        shared = m_ownDocument.get();
    }
    m_document = shared;
    m_document->setDocumentMargin(0);
    // Paragraphs run left to right unless marked right to left (\rtlpar), as
    // the rich-edit control lays them out. Left open, Qt would look for the
    // first strong character of every paragraph after an edit, to the end.
    QTextOption option = m_document->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    m_document->setDefaultTextOption(option);
    m_cursor = QTextCursor(m_document);
    // The map follows each change where the document reports it
    // (contentsChange, which comes first but only while the document has a
    // layout), before a window's text control announces the change on
    // contentsChanged. A change that came unreported drops the map.
    m_changing = QObject::connect(m_document, &QTextDocument::contentsChange, m_document,
                                  [this](int position, int removed, int added) { FollowChange(position, removed, added); });
    m_changed = QObject::connect(m_document, &QTextDocument::contentsChanged, m_document, [this] {
        const bool followed = std::exchange(m_changeFollowed, false);
        if (m_map && (!followed || m_map->documentEnd() != std::max(0, m_document->characterCount() - 1))) {
            m_map.reset();
            RichTextChanged(-1, 0, 0);
        }
    });
    m_defaultFormat.setFontFamilies(QStringList{QStringLiteral("Arial")});
    m_defaultFormat.setFontPointSize(10);
}

CRichEditCtrlEx::~CRichEditCtrlEx()
{
    QObject::disconnect(m_changed);
    QObject::disconnect(m_changing);
}

const QByteArray& CRichEditCtrlEx::DefaultRtf()
{
    static const QByteArray rtf(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"
        "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\fs20\\par}");
    return rtf;
}

void CRichEditCtrlEx::FollowChange(int position, int removed, int added)
{
    m_changeFollowed = true;
    if (!m_map) {
        RichTextChanged(-1, 0, 0);
        return;
    }
    rtf::RichTextMap::TextChange change;
    if (m_map->update(*m_document, position, removed, added, &change)) {
        RichTextChanged(change.start, change.removed, change.added);
    } else {
        m_map.reset();
        RichTextChanged(-1, 0, 0);
    }
}

const rtf::RichTextMap& CRichEditCtrlEx::TextMap() const
{
    if (!m_map)
        m_map.emplace(*m_document);
    return *m_map;
}

int CRichEditCtrlEx::SetAutoUrlDetect(int on)
{
    m_autoUrlDetect = on != 0;
    ViewSettingsChanged();
    return 0;
}

int CRichEditCtrlEx::FindTextRange(int first, int last, int flags, const QString& text) const
{
    if (text.isNull())
        return -1;
    FindTextRecord record;
    record.cpMin = first;
    record.cpMax = last + 1;
    record.text = text;
    return FindTextPlain(flags, &record);
}

int CRichEditCtrlEx::FindTextPlain(int flags, const FindTextRecord* record) const
{
    if (!record || record->text.isEmpty())
        return -1;
    const QString& hay = TextMap().text();
    const QString& needle = record->text;
    const int n = int(hay.size());
    const int m = int(needle.size());
    const int a = std::clamp(record->cpMin, 0, n);
    const int b = record->cpMax < 0 ? n : std::clamp(record->cpMax, 0, n);
    const int lo = std::min(a, b);
    const int hi = std::max(a, b);
    const bool matchCase = flags & kFindMatchCase;
    const bool wholeWord = flags & kFindWholeWord;
    auto matchesAt = [&](int i) {
        for (int k = 0; k < m; ++k)
            if (!UnitsEqual(hay[i + k], needle[k], matchCase))
                return false;
        if (wholeWord) {
            if (i > 0 && IsWordChar(hay[i - 1]) && IsWordChar(needle[0]))
                return false;
            if (i + m < n && IsWordChar(hay[i + m]) && IsWordChar(needle[m - 1]))
                return false;
        }
        return true;
    };
    if (flags & kFindDown) {
        for (int i = lo; i + m <= hi; ++i)
            if (matchesAt(i))
                return i;
    } else {
        for (int i = hi - m; i >= lo; --i)
            if (matchesAt(i))
                return i;
    }
    return -1;
}

int CRichEditCtrlEx::SetTextMode(int mode)
{
    if (GetTextLength() != 0)
        return 1;
    m_textMode = mode & 0xFFFF;
    return 0;
}

int CRichEditCtrlEx::GetTextMode() const
{
    return m_textMode;
}

int CRichEditCtrlEx::ReplaceSelText(const QString& text)
{
    if (text.isNull())
        return -1;
    QTextCursor cursor = Cursor();
    if (IsRtfText(text)) {
        const int before = GetTextLength();
        rtf::InsertRtf(text.toLatin1(), cursor);
        SetCursor(cursor);
        return GetTextLength() - before;
    }
    const QString converted = rtf::PlainTextToDocumentText(text);
    cursor.insertText(converted);
    SetCursor(cursor);
    return int(converted.size());
}

int CRichEditCtrlEx::SetText(const QString& text)
{
    if (text.isNull())
        return -1;
    if (text.isEmpty()) {
        StreamInRtf(&DefaultRtf(), false);
        return 1;
    }
    if (IsRtfText(text)) {
        const QByteArray bytes = text.toLatin1();
        StreamInRtf(&bytes, false);
        return 1;
    }
    m_document->clear();
    QTextCursor cursor(m_document);
    cursor.insertText(rtf::PlainTextToDocumentText(text), m_defaultFormat);
    cursor.movePosition(QTextCursor::Start);
    SetCursor(cursor);
    return 1;
}

int CRichEditCtrlEx::GetText(QString* buffer, int sizeBytes) const
{
    if (!buffer)
        return -1;
    const int room = std::max(0, sizeBytes / 2 - 1);
    *buffer = TextMap().text().left(room);
    return int(buffer->size());
}

int CRichEditCtrlEx::GetTextLength() const
{
    return TextMap().length();
}

int CRichEditCtrlEx::GetSelText(QString* buffer, int sizeBytes) const
{
    if (!buffer)
        return -1;
    int start = 0;
    int end = 0;
    GetSel(start, end);
    const int room = std::max(0, sizeBytes / 2 - 1);
    *buffer = TextMap().text().mid(start, end - start).left(room);
    return int(buffer->size());
}

void CRichEditCtrlEx::ApplyCharFormat(int from, int to, const RichEditCharFormat& f)
{
    if (from >= to)
        return;
    // Fragment by fragment, so hidden text keeps its own size and colour.
    const int docFrom = ToDocumentPosition(from);
    const int docTo = ToDocumentPosition(to);
    struct Piece {
        int begin, end;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    for (QTextBlock block = m_document->findBlock(docFrom); block.isValid() && block.position() < docTo;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int b = std::max(fragment.position(), docFrom);
            const int e = std::min(fragment.position() + fragment.length(), docTo);
            if (b < e)
                pieces.push_back({b, e, Changed(fragment.charFormat(), f)});
        }
    }
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    for (const Piece& piece : pieces) {
        cursor.setPosition(piece.begin);
        cursor.setPosition(piece.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(piece.format);
    }
    cursor.endEditBlock();
}

int CRichEditCtrlEx::SetCharFormatAll(const RichEditCharFormat& format)
{
    m_defaultFormat = Changed(m_defaultFormat, format);
    ApplyCharFormat(0, GetTextLength(), format);
    return 1;
}

RichEditColor CRichEditCtrlEx::SetBackgroundColor(RichEditColor color)
{
    const RichEditColor previous = m_background;
    m_background = color;
    ViewSettingsChanged();
    return previous;
}

int CRichEditCtrlEx::SetSelCharFormat2(const RichEditCharFormat& format)
{
    int start = 0;
    int end = 0;
    GetSel(start, end);
    if (start == end) {
        // An empty selection sets the format of what is typed next.
        QTextCursor cursor = Cursor();
        cursor.setCharFormat(Changed(cursor.charFormat(), format));
        SetCursor(cursor);
        return 1;
    }
    ApplyCharFormat(start, end, format);
    return 1;
}

void CRichEditCtrlEx::LoadPlainText(const QByteArray& bytes, bool selection)
{
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        text.clear();
        for (char b : bytes)
            text += QChar(char16_t(static_cast<unsigned char>(b)));
    }
    QTextCursor cursor = selection ? Cursor() : QTextCursor(m_document);
    if (!selection) {
        m_document->clear();
        cursor = QTextCursor(m_document);
    }
    cursor.insertText(rtf::PlainTextToDocumentText(text), m_defaultFormat);
    SetCursor(cursor);
}

void CRichEditCtrlEx::StreamInRtf(const QByteArray* rtf, bool selection)
{
    if (selection) {
        QTextCursor cursor = Cursor();
        if (!rtf) {
            cursor.removeSelectedText();
        } else if (rtf::IsRtf(*rtf)) {
            rtf::InsertRtf(*rtf, cursor);
        } else {
            LoadPlainText(*rtf, true);
            return;
        }
        SetCursor(cursor);
        return;
    }
    const QByteArray& bytes = rtf ? *rtf : DefaultRtf();
    if (!rtf::IsRtf(bytes)) {
        LoadPlainText(bytes, false);
    } else {
        rtf::ReadRtf(bytes, *m_document);
    }
    SetCursor(QTextCursor(m_document));
}

void CRichEditCtrlEx::StreamOutRtf(QByteArray* rtf, bool selection, bool withObjects) const
{
    if (!rtf)
        return;
    rtf::WriteOptions options;
    options.withObjects = withObjects;
    QByteArray bytes;
    if (selection) {
        const QTextCursor cursor = Cursor();
        bytes = rtf::WriteRtf(*m_document, cursor.selectionStart(), cursor.selectionEnd(), options);
    } else {
        bytes = rtf::WriteRtf(*m_document, options);
    }
    if (!bytes.isEmpty())
        *rtf = bytes;
}

int CRichEditCtrlEx::SetZoomStep(int step)
{
    step = std::clamp(step, -63, 63);
    if (step < 0) {
        m_zoomNumerator = 64 + step;
        m_zoomDenominator = 64;
    } else if (step == 0) {
        m_zoomNumerator = 0;
        m_zoomDenominator = 0;
    } else {
        m_zoomNumerator = 64;
        m_zoomDenominator = 64 - step;
    }
    ViewSettingsChanged();
    return 1;
}

int CRichEditCtrlEx::SetScrollPosition(QPoint position)
{
    m_scrollPosition = position;
    return 1;
}

QPoint CRichEditCtrlEx::GetScrollPosition() const
{
    return m_scrollPosition;
}

void CRichEditCtrlEx::SetSel(int start, int end)
{
    const int length = GetTextLength();
    QTextCursor cursor = Cursor();
    if (start < 0) {
        // Rich edits keep the caret where the selection started.
        cursor.clearSelection();
        SetCursor(cursor);
        return;
    }
    if (end < 0 || end > length)
        end = length;
    start = std::min(start, length);
    cursor.setPosition(ToDocumentPosition(start));
    cursor.setPosition(ToDocumentPosition(end), QTextCursor::KeepAnchor);
    SetCursor(cursor);
}

void CRichEditCtrlEx::GetSel(int& start, int& end) const
{
    const QTextCursor cursor = Cursor();
    start = FromDocumentPosition(cursor.selectionStart());
    end = FromDocumentPosition(cursor.selectionEnd());
}

QString CRichEditCtrlEx::GetTextRange(int first, int last) const
{
    const QString& text = TextMap().text();
    first = std::clamp(first, 0, int(text.size()));
    last = last < 0 ? int(text.size()) : std::clamp(last, first, int(text.size()));
    return text.mid(first, last - first);
}

QPoint CRichEditCtrlEx::PosFromChar(int position) const
{
    const int documentPosition = ToDocumentPosition(position);
    const QTextBlock block = m_document->findBlock(documentPosition);
    if (!block.isValid())
        return {};
    const QRectF blockRect = m_document->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return blockRect.topLeft().toPoint();
    const int inBlock = documentPosition - block.position();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return blockRect.topLeft().toPoint();
    return QPointF(blockRect.left() + line.cursorToX(inBlock), blockRect.top() + line.y()).toPoint();
}

void CRichEditCtrlEx::SetLayoutWidth(qreal width)
{
    m_document->setTextWidth(width);
}

void CRichEditCtrlEx::SetDefaultCharFormat(const RichEditCharFormat& format)
{
    m_defaultFormat = Changed(m_defaultFormat, format);
    QFont font = m_document->defaultFont();
    if (format.mask & kCharMaskFace && !format.faceName.isEmpty())
        font.setFamilies(QStringList{format.faceName});
    if (format.mask & kCharMaskSize && format.height > 0)
        font.setPointSizeF(format.height / 20.0);
    m_document->setDefaultFont(font);
}
