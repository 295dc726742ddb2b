#include "retrieval/documenttexts.h"

#include "document/documentids.h"
#include "foundation/searchsettings.h"
#include "foundation/segmentarray.h"
#include "foundation/tabledata.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfformat.h"
#include "store/compressedblob.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

namespace retrieval {

bool ReadDocumentContent(TopicDatabase& db, qint32 document, qint32& kind, QByteArray& content)
{
    RowBuffer row;
    FieldValue field;
    if (!db.ReadRow(TopicId::Documents, document, row, true))
        return false;
    kind = row.GetFieldValue(DocumentField::DocType, field) ? field.GetInt() : DocumentKind::RichText;
    const QByteArray* blob = row.GetFieldValue(DocumentField::Text, field) ? field.GetBlob() : nullptr;
    content = blob ? *blob : QByteArray();
    return true;
}

bool ReadStoredDocumentContent(TopicDatabase& db, qint32 document, qint32& kind, QByteArray& content, bool& stored)
{
    stored = false;
    RowBuffer row;
    FieldValue field;
    if (!db.ReadRow(TopicId::Documents, document, row, false))
        return false;
    if (!db.ReadStoredBlob(TopicId::Documents, document, DocumentField::Text, content))
        return ReadDocumentContent(db, document, kind, content);
    kind = row.GetFieldValue(DocumentField::DocType, field) ? field.GetInt() : DocumentKind::RichText;
    stored = true;
    return true;
}

bool FinishDocumentContent(QByteArray& content, bool& stored)
{
    if (!stored)
        return true;
    QByteArray value;
    if (!DecodeStoredBlob(content, value))
        return false;
    content = std::move(value);
    stored = false;
    return true;
}

QList<DocumentText> ReadDocumentTexts(TopicDatabase& db, qint32 document, CRichEditCtrlEx& edit)
{
    qint32 kind = 0;
    QByteArray content;
    if (!ReadDocumentContent(db, document, kind, content))
        return {};
    return DocumentTextsOf(kind, content, edit);
}

QList<DocumentText> DocumentTextsOf(qint32 kind, const QByteArray& content, CRichEditCtrlEx& edit)
{
    QList<DocumentText> texts;
    if (content.isEmpty())
        return texts;
    switch (kind) {
    case DocumentKind::RichText:
        edit.StreamInRtf(&content, false);
        texts.append({0, edit.TextMap().text()});
        break;
    case DocumentKind::Pdf: {
        QStringList pages;
        ExtractPdfText(content, pages, false);
        for (qsizetype page = 0; page < pages.size(); ++page) {
            if (!pages[page].isEmpty())
                texts.append({qint32(page + 1), WithBlankLineEnds(pages[page])});
        }
        break;
    }
    case DocumentKind::Table: {
        CTableData table;
        if (!table.LoadFromBytes(content))
            break;
        const qint32 columns = table.GetColumnCount();
        for (qint32 r = 0; r < table.GetRowCount(); ++r) {
            for (qint32 c = 0; c < columns; ++c) {
                QString cell = table.GetCell(r, c);
                if (!cell.isEmpty())
                    texts.append({r * columns + c + 1, WithBlankLineEnds(std::move(cell)), r, c + 1});
            }
        }
        break;
    }
    default: break;
    }
    return texts;
}

bool SegmentOnText(const CSegmentRow& row, const DocumentText& text)
{
    if (text.tableRow >= 0)
        return text.tableRow == row.areaLeft && text.column == row.page;
    return text.page == 0 || text.page == row.page;
}

void SentenceAround(const QString& text, qint32 position, qint32& start, qint32& end)
{
    const qint32 length = qint32(text.size());
    position = qBound(0, position, length);
    const auto isMark = [](QChar c) {
        return c == u'\r' || c == u'\n' || c == u'.' || c == u'!' || c == u'?';
    };
    start = position;
    while (start > 0 && !isMark(text[start - 1]))
        --start;
    while (start < position && (text[start] == u' ' || isMark(text[start])))
        ++start;
    end = position;
    while (end < length) {
        const QChar c = text[end];
        if (c == u'\r' || c == u'\n')
            break;
        if (c == u'!' || c == u'?') {
            ++end;
            break;
        }
        if (c == u'.') {
            int next = -1;
            if (FindSentenceEnd(text, end + 1, next) || next <= end) {
                ++end;
                break;
            }
            end = next;  // after the abbreviation's last "."
            continue;
        }
        ++end;
    }
}

QString TextWithoutHiddenMarks(const CRichEditCtrlEx& edit)
{
    QString text = edit.TextMap().text();
    for (QTextBlock block = edit.GetDocument()->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!rtf::IsHidden(fragment.charFormat()))
                continue;
            for (int k = 0; k < fragment.length(); ++k) {
                const int position = edit.FromDocumentPosition(fragment.position() + k);
                if (position >= 0 && position < text.size())
                    text[position] = QChar(0xE000);
            }
        }
    }
    return text;
}

bool ParagraphStretch(const ParagraphMap& map, const QString& text, qint32 first, qint32 last, qint32& start,
                      qint32& end)
{
    const qint32 count = qint32(map.size() / 2);
    if (count == 0)
        return false;
    first = qBound(1, first, count);
    last = qBound(first, last, count);
    start = map[2 * (first - 1)];
    const qint32 lastEnd = map[2 * (last - 1) + 1];
    // A paragraph's end is its CR, the last paragraph's its last unit.
    const bool atBreak = lastEnd >= 0 && lastEnd < text.size() && text[lastEnd] == u'\r';
    end = qBound(start, atBreak ? lastEnd : lastEnd + 1, qint32(text.size()));
    return true;
}

bool ReadHitRow(TopicDatabase& db, qint32 id, HitRow& hit)
{
    RowBuffer row;
    if (!db.ReadRow(TopicId::SearchHits, id, row, false))
        return false;
    const auto value = [&row](qint32 field) {
        FieldValue v;
        return row.GetFieldValue(field, v) ? v.GetInt() : 0;
    };
    if (value(SearchHitField::Type) != 0)
        return false;
    hit.id = id;
    hit.document = value(SearchHitField::Document);
    hit.start = value(SearchHitField::Start);
    hit.end = value(SearchHitField::End);
    hit.page = value(SearchHitField::Page);
    hit.paragraph = value(SearchHitField::Paragraph);
    FieldValue word;
    hit.word = row.GetFieldValue(SearchHitField::Text, word) ? word.GetText() : QString();
    return true;
}

HitTextLoader::HitTextLoader(TopicDatabase& db, CRichEditCtrlEx& edit) : m_db(&db), m_edit(edit) {}

HitTextLoader::HitTextLoader(CRichEditCtrlEx& edit) : m_db(nullptr), m_edit(edit) {}

HitTextLoader::~HitTextLoader() = default;

bool HitTextLoader::ReadDocument(qint32 document)
{
    if (document == m_document)
        return m_kind >= 0;
    qint32 kind = -1;
    QByteArray content;
    if (!m_db || !ReadDocumentContent(*m_db, document, kind, content))
        kind = -1;
    return TakeDocument(document, kind, std::move(content));
}

bool HitTextLoader::TakeDocument(qint32 document, qint32 kind, QByteArray content)
{
    m_document = document;
    m_kind = kind;
    m_pages.clear();
    m_table.reset();
    m_loadedDocument = 0;
    m_content = std::move(content);
    if (m_kind < 0 || m_content.isEmpty()) {
        m_kind = -1;
        return false;
    }
    if (m_kind == DocumentKind::Pdf) {
        ExtractPdfText(m_content, m_pages, false);
    } else if (m_kind == DocumentKind::Table) {
        m_table = std::make_unique<CTableData>();
        if (!m_table->LoadFromBytes(m_content))
            m_kind = -1;
    } else if (m_kind != DocumentKind::RichText) {
        m_kind = -1;
    }
    return m_kind >= 0;
}

bool HitTextLoader::HasTables() const
{
    return !m_edit.GetDocument()->rootFrame()->childFrames().isEmpty();
}

qint32 HitTextLoader::Kind(const HitRow& hit)
{
    ReadDocument(hit.document);
    return m_kind;
}

bool HitTextLoader::Load(const HitRow& hit)
{
    if (!ReadDocument(hit.document))
        return false;
    const qint32 page = m_kind == DocumentKind::RichText ? 0 : hit.page;
    const qint32 row = m_kind == DocumentKind::Table ? CellRow(hit) : -1;
    if (m_loadedDocument == hit.document && m_loadedPage == page && m_loadedRow == row)
        return true;
    m_loadedDocument = 0;
    m_text.reset();
    m_sentenceText.reset();
    m_paragraphs.reset();
    switch (m_kind) {
    case DocumentKind::RichText: m_edit.StreamInRtf(&m_content, false); break;
    case DocumentKind::Pdf:
        if (page < 1 || page > m_pages.size())
            return false;
        m_edit.SetText(WithBlankLineEnds(m_pages[page - 1]));
        break;
    case DocumentKind::Table:
        if (row < 0 || row >= m_table->GetRowCount() || page < 1 || page > m_table->GetColumnCount())
            return false;
        m_edit.SetText(WithBlankLineEnds(m_table->GetCell(row, page - 1)));
        break;
    default: return false;
    }
    m_loadedDocument = hit.document;
    m_loadedPage = page;
    m_loadedRow = row;
    return true;
}

const QString& HitTextLoader::Text()
{
    if (!m_text)
        m_text = m_edit.TextMap().text();
    return *m_text;
}

const QString& HitTextLoader::SentenceText()
{
    if (!m_sentenceText)
        m_sentenceText = TextWithoutHiddenMarks(m_edit);
    return *m_sentenceText;
}

void HitTextLoader::AdoptPlainText(const PlainTextCache::Entry& plain)
{
    if (m_kind != DocumentKind::RichText || m_loadedDocument == 0)
        return;
    m_text = plain.text;
    m_paragraphs = plain.paragraphs;
}

const ParagraphMap& HitTextLoader::Paragraphs()
{
    if (!m_paragraphs)
        m_paragraphs = GetParagraphRanges(m_edit);
    return *m_paragraphs;
}

}  // namespace retrieval
