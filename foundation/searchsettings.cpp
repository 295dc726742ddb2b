#include "foundation/searchsettings.h"

#include "foundation/ids.h"
#include "foundation/richtexthelpers.h"
#include "foundation/searchsource.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "foundation/waitwindow.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"

#include <QSet>

namespace {

// Memo titles are searched as texts of their own; their hits carry this
// page so that nobody applies their positions to the memo's text.
constexpr qint32 kMemoTitlePage = 0;
constexpr qint32 kTextPage = 1;

// A term as the options text can hold it.
QString StorableTerm(const QString& term)
{
    QString stored = term;
    stored.replace(u'|', u' ');
    return stored.isEmpty() ? QStringLiteral(" ") : stored;
}

}  // namespace

QString WithBlankLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    return text;
}

QString CSearchOptions::Format() const
{
    QString text = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                       .arg(int(searchMemos))
                       .arg(int(allTerms))
                       .arg(int(withinDistance))
                       .arg(distance)
                       .arg(int(wholeWords))
                       .arg(int(matchCase))
                       .arg(int(onlyActivated))
                       .arg(int(onlyRetrieved))
                       .arg(int(ninthFlag));
    for (const QString& term : terms)
        text += u'|' + StorableTerm(term);
    text += QStringLiteral("||");
    for (char op : operators)
        text += QString::number(quint8(op)) + u'|';
    return text;
}

void CSearchOptions::Parse(const QString& text)
{
    searchMemos = allTerms = withinDistance = wholeWords = matchCase = onlyActivated = onlyRetrieved = false;
    distance = 1;
    terms.clear();
    operators.clear();

    qsizetype position = 0;
    // The field up to the next "|"; false when no "|" follows it (the field
    // is then the rest of the text).
    auto next = [&](QString& field) {
        const qsizetype bar = text.indexOf(u'|', position);
        if (bar < 0) {
            field = text.mid(position);
            position = text.size();
            return false;
        }
        field = text.mid(position, bar - position);
        position = bar + 1;
        return true;
    };

    bool* flags[] = {&searchMemos, &allTerms, &withinDistance, nullptr, &wholeWords,
                     &matchCase,   &onlyActivated, &onlyRetrieved, &ninthFlag};
    for (bool* flag : flags) {
        QString field;
        const bool more = next(field);
        const int value = field.trimmed().toInt();
        if (flag)
            *flag = value != 0;
        else
            distance = value;
        if (!more)
            return;
    }
    for (;;) {
        QString term;
        const bool more = next(term);
        if (term.isEmpty() && more)
            break;
        if (!term.isEmpty())
            terms.append(term);
        if (!more)
            return;
    }
    for (qsizetype bar; (bar = text.indexOf(u'|', position)) >= 0; position = bar + 1)
        operators.append(char(quint8(text.mid(position, bar - position).trimmed().toInt())));
}

CSearchSettings::CSearchSettings(const CSearchOptions& options, SearchSource* source, bool operatorMode)
    : m_options(options), m_source(source), m_operatorMode(operatorMode)
{
}

CSearchSettings::~CSearchSettings() = default;

void CSearchSettings::CollectIds(QList<qint32>& ids) const
{
    for (const SearchHit& hit : m_hits)
        ids.append(hit.objectId);
    if (!m_source)
        return;
    // A project's objects are counted once each, the first hit's order kept.
    QSet<qint32> seen;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (!seen.contains(ids[i])) {
            seen.insert(ids[i]);
            ids[kept++] = ids[i];
        }
    }
    ids.resize(kept);
}

CRichEditCtrlEx& CSearchSettings::RichEdit()
{
    // Its layout decides which paragraph starts share a line.
    if (!m_richEdit)
        m_richEdit = CreateHiddenRichEdit();
    return *m_richEdit;
}

bool CSearchSettings::SearchProject(const CSegmentArray* rows)
{
    return Search(m_options.searchMemos, nullptr, rows);
}

bool CSearchSettings::SearchDocuments(const QList<qint32>& documentIds, const CSegmentArray* rows)
{
    return Search(false, &documentIds, rows);
}

bool CSearchSettings::Search(bool memos, const QList<qint32>* documentIds, const CSegmentArray* rows)
{
    if (!m_source)
        return false;
    m_hits.RemoveAll();
    RichEdit();
    if (!ShowWaitWindow())
        return false;
    BeginWait();

    QList<qint32> ids = documentIds ? *documentIds : m_source->GetObjectIds(memos);
    if (!memos) {
        ids.removeIf([&](qint32 id) {
            if (m_options.onlyActivated && !m_source->IsActivated(id))
                return true;
            return rows && !IsRowDocument(id, *rows);
        });
    }
    // Rows drop hits only in a document search.
    m_restricted = rows && !memos;

    const QString kindName = LoadString(memos ? FoundationText::MemosName : FoundationText::DocumentsName);
    const QString progress = LoadString(FoundationText::SearchProgress);
    // Collected first and appended once: the hit array grows by at most
    // 1024 hits at a time.
    QList<SearchHit> found;
    int searched = 0;
    for (qint32 id : ids) {
        SearchObject(memos, id, rows, found);
        ++searched;
        SetWaitText(progress.arg(kindName).arg(searched).arg(found.size()));
    }
    AppendHits(found);

    m_restricted = false;
    m_kind = ContentKind::RichText;
    CloseWaitWindow();
    EndWait();
    return true;
}

void CSearchSettings::SearchObject(bool memo, qint32 id, const CSegmentArray* rows, QList<SearchHit>& found)
{
    SearchSource::Content content;
    if (!m_source->ReadContent(memo, id, content) || content.bytes.isEmpty())
        return;
    const QByteArray& bytes = content.bytes;
    CRichEditCtrlEx& richEdit = RichEdit();

    switch (content.kind) {
    case SearchSource::ContentKind::RichText:
        m_kind = ContentKind::RichText;
        richEdit.StreamInRtf(&bytes, false);
        found += FindHits(id, 0, kTextPage, -1, rows);
        if (memo && !content.title.isEmpty()) {
            richEdit.SetText(content.title);
            found += FindHits(id, 0, kMemoTitlePage, -1, rows);
        }
        break;
    case SearchSource::ContentKind::Pdf: {
        m_kind = ContentKind::Pdf;
        QStringList pages;
        ExtractPdfText(bytes, pages, false);
        for (qsizetype page = 0; page < pages.size(); ++page) {
            if (pages[page].isEmpty())
                continue;
            richEdit.SetText(WithBlankLineEnds(pages[page]));
            found += FindHits(id, 0, qint32(page + 1), -1, rows);
        }
        break;
    }
    case SearchSource::ContentKind::Table: {
        m_kind = ContentKind::Table;
        CTableData table;
        if (!table.LoadFromBytes(bytes))
            break;
        for (qint32 r = 0; r < table.GetRowCount(); ++r) {
            for (qint32 c = 0; c < table.GetColumnCount(); ++c) {
                const QString cell = table.GetCell(r, c);
                if (cell.isEmpty())
                    continue;
                richEdit.SetText(WithBlankLineEnds(cell));
                found += FindHits(id, 0, c + 1, r, rows);
            }
        }
        break;
    }
    case SearchSource::ContentKind::Other: break;
    }
}

bool IsRowDocument(qint32 documentId, const CSegmentArray& rows)
{
    return std::any_of(rows.begin(), rows.end(), [documentId](const CSegmentRow& row) { return row.document == documentId; });
}
