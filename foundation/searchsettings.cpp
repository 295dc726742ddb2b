#include "foundation/searchsettings.h"

#include "foundation/ids.h"
#include "foundation/orderedwork.h"
#include "foundation/richtexthelpers.h"
#include "foundation/searchsource.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "foundation/textmatcher.h"
#include "foundation/waitwindow.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"

#include <QSet>
#include <QTextDocument>
#include <QTextFrame>

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

/// One document or memo of a search: its content, read on the calling
/// thread, and its hits.
struct CSearchSettings::ObjectJob {
    qint32 id = 0;
    bool readable = false;
    SearchSource::Content content;
    PlainTextCache::Fingerprint fingerprint;  // of the content as read
    PlainTextCache::EntryPtr plain;  // the rich text's plain text, cached or decoded now
    bool decoded = false;            // plain was decoded in this search
    QList<SearchHit> hits;
    bool searched = false;  // by the worker; else left to the calling thread
};

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

    const WordSeparators separators;
    Pass pass;
    pass.terms = PrepareTerms();
    pass.separators = &separators;
    // Rows drop hits only in a document search.
    pass.rows = rows && !memos ? rows : nullptr;

    // Plain texts decoded by an earlier search of the project; the cache is
    // read and filled on this thread only.
    PlainTextCache* cache = m_source->PlainTexts();
    const QString kindName = LoadString(memos ? FoundationText::MemosName : FoundationText::DocumentsName);
    const QString progress = LoadString(FoundationText::SearchProgress);
    // Collected first and appended once: the hit array grows by at most
    // 1024 hits at a time.
    QList<SearchHit> found;
    int searched = 0;
    // The project is read here; reading rich text into a control of its own
    // and searching it is done on helper threads; the hits are taken in the
    // order of the objects, so they are those of a search one by one.
    const int threads = OrderedWorkThreads(ids.size());
    RunOrderedWork<ObjectJob, CRichEditCtrlEx>(
        ids.size(), threads, 8 * (threads + 1), [] { return CreateHiddenRichEdit(); },
        [&](qsizetype i, ObjectJob& job) {
            job.id = ids[i];
            job.readable = m_source->ReadStoredContent(memos, job.id, job.content);
            job.plain.reset();
            job.decoded = false;
            if (job.readable && cache && job.content.kind == SearchSource::ContentKind::RichText) {
                job.fingerprint = PlainTextCache::FingerprintOf(job.content.bytes);
                job.plain = cache->Find(memos, job.id, job.fingerprint);
            }
            return true;
        },
        [&](CRichEditCtrlEx& richEdit, ObjectJob& job) {
            job.hits.clear();
            job.searched = false;
            if (job.plain) {
                job.searched = SearchObject(pass, memos, job.id, job.content, richEdit, true, job.plain, job.hits);
                return;
            }
            if (!job.readable || !m_source->DecodeContent(job.content))
                return;
            job.readable = !job.content.bytes.isEmpty();
            job.searched = !job.readable ||
                           SearchObject(pass, memos, job.id, job.content, richEdit, true, job.plain, job.hits);
            job.decoded = job.plain != nullptr;
        },
        [&](qsizetype, ObjectJob& job) {
            // Content that only reading the whole row gives (damaged or
            // external) is not what the fingerprint stands for: not kept.
            bool keep = cache && job.readable;
            if (job.readable && job.content.stored && !job.plain) {
                job.readable = m_source->ReadContent(memos, job.id, job.content) && !job.content.bytes.isEmpty();
                keep = false;
            }
            if (job.readable && !job.searched) {
                job.plain.reset();
                SearchObject(pass, memos, job.id, job.content, RichEdit(), false, job.plain, job.hits);
                job.decoded = job.plain != nullptr;
            }
            if (keep && job.decoded)
                cache->Insert(memos, job.id, job.fingerprint, job.plain);
            found += job.hits;
            ++searched;
            SetWaitText(progress.arg(kindName).arg(searched).arg(found.size()));
        });
    AppendHits(found);

    CloseWaitWindow();
    EndWait();
    return true;
}

bool CSearchSettings::SearchObject(const Pass& pass, bool memo, qint32 id, const SearchSource::Content& content,
                                   CRichEditCtrlEx& richEdit, bool helper, PlainTextCache::EntryPtr& plain,
                                   QList<SearchHit>& found) const
{
    const QByteArray& bytes = content.bytes;
    switch (content.kind) {
    case SearchSource::ContentKind::RichText:
        if (!plain) {
            richEdit.StreamInRtf(&bytes, false);
            // Which paragraphs of a table share a line takes a layout: fonts
            // stay on the calling thread.
            if (helper && !richEdit.GetDocument()->rootFrame()->childFrames().isEmpty())
                return false;
            auto decoded = std::make_shared<PlainTextCache::Entry>();
            decoded->paragraphs = GetParagraphRanges(richEdit);
            decoded->text = richEdit.TextMap().text();
            richEdit.StreamInRtf(nullptr, false);
            plain = std::move(decoded);
        }
        found += FindTextHits(pass, plain->text, plain->paragraphs, ContentKind::RichText, id, 0, kTextPage, -1);
        if (memo && !content.title.isEmpty()) {
            richEdit.SetText(content.title);
            found += FindHits(pass, richEdit, ContentKind::RichText, id, 0, kMemoTitlePage, -1);
        }
        return true;
    case SearchSource::ContentKind::Pdf: {
        if (helper)
            return false;
        QStringList pages;
        ExtractPdfText(bytes, pages, false);
        for (qsizetype page = 0; page < pages.size(); ++page) {
            if (pages[page].isEmpty())
                continue;
            richEdit.SetText(WithBlankLineEnds(pages[page]));
            found += FindHits(pass, richEdit, ContentKind::Pdf, id, 0, qint32(page + 1), -1);
        }
        return true;
    }
    case SearchSource::ContentKind::Table: {
        if (helper)
            return false;
        CTableData table;
        if (!table.LoadFromBytes(bytes))
            return true;
        for (qint32 r = 0; r < table.GetRowCount(); ++r) {
            for (qint32 c = 0; c < table.GetColumnCount(); ++c) {
                const QString cell = table.GetCell(r, c);
                if (cell.isEmpty())
                    continue;
                richEdit.SetText(WithBlankLineEnds(cell));
                found += FindHits(pass, richEdit, ContentKind::Table, id, 0, c + 1, r);
            }
        }
        return true;
    }
    case SearchSource::ContentKind::Other: return true;
    }
    return true;
}

bool IsRowDocument(qint32 documentId, const CSegmentArray& rows)
{
    return std::any_of(rows.begin(), rows.end(), [documentId](const CSegmentRow& row) { return row.document == documentId; });
}
