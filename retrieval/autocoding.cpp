// Autocoding of the search hits (topic 9): each hit, widened to its
// sentence, its paragraphs or its table cell, becomes a coding of one code.

#include "document/documentids.h"
#include "document/kordoc.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "foundation/orderedwork.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/documenttexts.h"
#include "retrieval/lexicalengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <algorithm>
#include <cstdlib>

namespace retrieval {

namespace {

/// "%1 codings made" while the wait window is shown.
constexpr int kProgressText = 57747;
constexpr qint32 kCellCoding = 2;  ///< IsText of a coding of a table cell

/// Hit extents of the retrieval settings.
enum : qint32 { kExtentHit = 0, kExtentSentence = 1, kExtentParagraph = 2 };

}  // namespace

namespace {

/// What every coding of a run shares.
struct RunConstants {
    qint32 code = 0;
    qint32 weight = 0;
    qint32 before = 0;  ///< paragraphs of context
    qint32 after = 0;
};

/// One document's run of consecutive hits: its content, read on the
/// calling thread, and the codings its hits give, made from the text alone
/// (on a helper thread where the text allows), before any is added.
struct HitGroup {
    QList<HitRow> hits;
    qint32 kind = -1;
    QByteArray content;
    bool stored = false;  // content in its stored form (ReadStoredDocumentContent)
    PlainTextCache::EntryPtr plain;  // the text search's decoding of the same content
    QList<CodingRecord> codings;
    bool prepared = false;
    bool pdfSeen = false;
    bool tableSeen = false;
};

/// The coding of [start, end) of the hit's text, now in the loader's
/// control; false, nothing appended, for an empty range.
bool MakeCoding(HitTextLoader& loader, CRichEditCtrlEx& edit, const RunConstants& run, const HitRow& hit,
                qint32 kind, qint32 start, qint32 end, QList<CodingRecord>& codings)
{
    const qint32 length = loader.Length();
    start = qBound(0, start, length);
    end = qBound(start, end, length);
    if (end <= start)
        return false;
    CodingRecord record;
    record.TextID = hit.document;
    record.WordID = run.code;
    record.StartChar = start;
    record.FinishChar = end;
    record.Weight = run.weight;
    record.Preview = GetRichEditTextRange(&edit, start, end, 63);
    edit.SetSel(start, end);
    edit.StreamOutRtf(&record.Text, true, true);
    // Compressed here, on the helper thread, rather than when written.
    record.PreparedText = PreparedBlob(record.Text);
    record.Area = end - start;
    record.Coverage = length > 0 ? (end - start) * 100.0 / length : 0.0;
    if (kind == DocumentKind::Table) {
        record.Page = hit.page;
        record.PosX1 = HitTextLoader::CellRow(hit);
        record.IsText = kCellCoding;
        record.StartPara = record.FinishPara = hit.paragraph;
    } else {
        record.Page = kind == DocumentKind::Pdf ? hit.page : 1;
        const ParagraphMap& map = loader.Paragraphs();
        record.StartPara = ParagraphOfPosition(start, true, map);
        record.FinishPara = ParagraphOfPosition(end, false, map);
    }
    codings.append(std::move(record));
    return true;
}

/// The codings of one group's hits as the extent widens them, in the order
/// they are to be added. The loader holds the group's document.
void PrepareGroup(HitTextLoader& loader, CRichEditCtrlEx& edit, const RunConstants& run,
                  LexicalEngine::Extent extent, bool pdfOnly, HitGroup& group)
{
    using Extent = LexicalEngine::Extent;
    group.codings.clear();
    group.pdfSeen = group.tableSeen = false;
    // Paragraph extent: the paragraph ranges of the group's hits, merged
    // and coded at its end.
    HitRow pendingHit;
    QList<std::pair<qint32, qint32>> ranges;
    for (const HitRow& hit : std::as_const(group.hits)) {
        const qint32 kind = loader.Kind(hit);
        switch (extent) {
        case Extent::Hit:
            if ((pdfOnly && kind != DocumentKind::Pdf) || !loader.Load(hit))
                continue;
            MakeCoding(loader, edit, run, hit, kind, std::min(hit.start, hit.end), std::max(hit.start, hit.end),
                       group.codings);
            break;
        case Extent::Sentence: {
            if (kind == DocumentKind::Pdf)
                group.pdfSeen = true;
            if ((kind != DocumentKind::RichText && kind != DocumentKind::Table) || !loader.Load(hit))
                continue;
            qint32 start = 0;
            qint32 end = 0;
            SentenceAround(loader.SentenceText(), std::min(hit.start, hit.end), start, end);
            MakeCoding(loader, edit, run, hit, kind, start, end, group.codings);
            break;
        }
        case Extent::Paragraph: {
            if (kind == DocumentKind::Pdf)
                group.pdfSeen = true;
            if (kind == DocumentKind::Table)
                group.tableSeen = true;
            if (kind != DocumentKind::RichText || !loader.Load(hit))
                continue;
            const ParagraphMap& map = loader.Paragraphs();
            const qint32 count = qint32(map.size() / 2);
            if (count == 0)
                continue;
            const qint32 start = std::min(hit.start, hit.end);
            const qint32 end = std::max(hit.start, hit.end);
            const qint32 first = std::max(1, ParagraphOfPosition(start, true, map));
            const qint32 last = std::max(first, ParagraphOfPosition(end, false, map));
            pendingHit = hit;
            ranges.append({std::max(1, first - run.before), std::min(count, last + run.after)});
            break;
        }
        case Extent::Cell:
            if (kind != DocumentKind::Table || !loader.Load(hit))
                continue;
            MakeCoding(loader, edit, run, hit, kind, 0, loader.Length(), group.codings);
            break;
        }
    }
    if (ranges.isEmpty())
        return;
    std::sort(ranges.begin(), ranges.end());
    QList<std::pair<qint32, qint32>> merged;
    for (const auto& range : std::as_const(ranges)) {
        if (!merged.isEmpty() && range.first <= merged.last().second)
            merged.last().second = std::max(merged.last().second, range.second);
        else
            merged.append(range);
    }
    for (const auto& [first, last] : std::as_const(merged)) {
        qint32 start = 0;
        qint32 end = 0;
        if (ParagraphStretch(loader.Paragraphs(), loader.Text(), first, last, start, end))
            MakeCoding(loader, edit, run, pendingHit, DocumentKind::RichText, start, end, group.codings);
    }
}

/// A helper thread's own control and loader.
struct GroupWorker {
    GroupWorker() : edit(CreateHiddenRichEdit()), loader(*edit) {}
    std::unique_ptr<CRichEditCtrlEx> edit;
    HitTextLoader loader;
};

}  // namespace

/// The state of one autocoding run: the code, the coding action that
/// groups its codings, the hidden control and the count.
class LexicalEngine::AutoCoder {
public:
    AutoCoder(CKorDoc& doc, qint32 code)
        : m_doc(doc), m_edit(CreateHiddenRichEdit()), m_loader(doc.GetDatabase(), *m_edit),
          m_progress(LoadString(kProgressText))
    {
        m_run.code = code;
        m_run.weight = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
        doc.GetDatabase().GetAllKeys(TopicId::SearchHits, m_hits);
    }

    const QList<qint32>& Hits() const { return m_hits; }
    HitTextLoader& Loader() { return m_loader; }
    CRichEditCtrlEx& Edit() { return *m_edit; }
    CKorDoc& Doc() { return m_doc; }
    RunConstants& Run() { return m_run; }
    qint32 Made() const { return m_made; }

    /// Adds a prepared coding; true when a new coding was written.
    bool Add(CodingRecord& record)
    {
        bool written = false;
        // A hit overlapping a coding of the code makes none: autocoding never
        // changes existing codings.
        m_doc.AddCoding(record, m_action, OverlapMode::Drop, &written, false);
        if (!written)
            return false;
        ++m_made;
        SetWaitText(m_progress.arg(m_made));
        return true;
    }

private:
    CKorDoc& m_doc;
    std::unique_ptr<CRichEditCtrlEx> m_edit;
    HitTextLoader m_loader;
    RunConstants m_run;
    QString m_progress;
    QList<qint32> m_hits;
    qint32 m_action = 0;  // the first coding's id once one is made
    qint32 m_made = 0;
};

qint32 LexicalEngine::AutoCode(AutoCoder& coder, Extent extent, bool pdfOnly, bool* pdfSeen, bool* tableSeen)
{
    TopicDatabase& db = coder.Doc().GetDatabase();
    const OptionsRecord& settings = coder.Doc().GetRetrievalSettings();
    coder.Run().before = std::clamp(settings.paragraphsBefore, 0, 100);
    coder.Run().after = std::clamp(settings.paragraphsAfter, 0, 100);
    const RunConstants run = coder.Run();
    const qint32 madeBefore = coder.Made();

    // The hits in store order, cut where the document changes.
    QList<HitGroup> groups;
    for (const qint32 id : coder.Hits()) {
        HitRow hit;
        if (!ReadHitRow(db, id, hit))
            continue;
        if (groups.isEmpty() || groups.last().hits.constFirst().document != hit.document)
            groups.append(HitGroup());
        groups.last().hits.append(std::move(hit));
    }

    // Rich text is read and its codings made on helper threads; PDF pages
    // and tables, and rich text whose paragraphs take a layout, on this
    // thread. The codings are added here in the order of the hits, so the
    // outcome is that of coding one hit after the other.
    const int threads = OrderedWorkThreads(groups.size());
    RunOrderedWork<HitGroup, GroupWorker>(
        groups.size(), threads, 8 * (threads + 1), [] { return std::make_unique<GroupWorker>(); },
        [&](qsizetype i, HitGroup& group) {
            group = std::move(groups[i]);
            const qint32 document = group.hits.constFirst().document;
            if (!ReadStoredDocumentContent(db, document, group.kind, group.content, group.stored))
                group.kind = -1;
            group.plain.reset();
            if (group.kind == DocumentKind::RichText && group.stored)
                group.plain = db.PlainTexts().Find(false, document, PlainTextCache::FingerprintOf(group.content));
            return true;
        },
        [&](GroupWorker& worker, HitGroup& group) {
            group.prepared = false;
            if (pdfOnly || group.kind != DocumentKind::RichText || !FinishDocumentContent(group.content, group.stored) ||
                !worker.loader.TakeDocument(group.hits.constFirst().document, group.kind, group.content) ||
                !worker.loader.Load(group.hits.constFirst()) || worker.loader.HasTables())
                return;
            if (group.plain)
                worker.loader.AdoptPlainText(*group.plain);
            PrepareGroup(worker.loader, *worker.edit, run, extent, pdfOnly, group);
            group.prepared = true;
        },
        [&](qsizetype, HitGroup& group) {
            if (!group.prepared) {
                const qint32 document = group.hits.constFirst().document;
                if (group.kind >= 0 && !FinishDocumentContent(group.content, group.stored) &&
                    !ReadDocumentContent(db, document, group.kind, group.content))
                    group.kind = -1;
                coder.Loader().TakeDocument(group.hits.constFirst().document, group.kind, std::move(group.content));
                if (group.plain && coder.Loader().Load(group.hits.constFirst()))
                    coder.Loader().AdoptPlainText(*group.plain);
                PrepareGroup(coder.Loader(), coder.Edit(), run, extent, pdfOnly, group);
            }
            if (group.pdfSeen && pdfSeen)
                *pdfSeen = true;
            if (group.tableSeen && tableSeen)
                *tableSeen = true;
            for (CodingRecord& record : group.codings)
                coder.Add(record);
        });
    return coder.Made() - madeBefore;
}

qint32 LexicalEngine::RunAutoCoding(CKorDoc& doc, qint32 code, const std::function<qint32(AutoCoder&)>& passes)
{
    TopicDatabase& db = doc.GetDatabase();
    const TopicTable* codes = db.GetTable(TopicId::Codes);
    if (!codes || !codes->HasKey(code))
        return 0;
    if (IDocumentFrame* frame = doc.GetFrame())
        frame->CommitDocumentEdits();
    BeginWait();
    qint32 made = 0;
    {
        StoreTransaction transaction(&db);
        if (!transaction.IsActive()) {
            EndWait();
            return 0;
        }
        // The counters of the code and of each document are counted up
        // with every coding; the file takes their last values once.
        db.HoldFieldWrites();
        AutoCoder coder(doc, code);
        made = passes(coder);
        if (made > 0 && !transaction.Commit()) {
            // Nothing of the run stays; the windows were told of its codings.
            transaction.Rollback();
            doc.RebuildTree(false);
            EndWait();
            return 0;
        }
    }
    EndWait();
    if (made > 0)
        doc.RunRetrieval(doc.GetRetrievalSettings(), 0);
    return made;
}

qint32 LexicalEngine::AutoCodeHits(CKorDoc& doc, qint32 code, bool pdfOnly)
{
    return RunAutoCoding(doc, code,
                         [&](AutoCoder& coder) { return AutoCode(coder, Extent::Hit, pdfOnly, nullptr, nullptr); });
}

qint32 LexicalEngine::AutoCodeHitSentences(CKorDoc& doc, qint32 code, bool& pdfSeen)
{
    return RunAutoCoding(doc, code, [&](AutoCoder& coder) {
        return AutoCode(coder, Extent::Sentence, false, &pdfSeen, nullptr);
    });
}

qint32 LexicalEngine::AutoCodeHitParagraphs(CKorDoc& doc, qint32 code, bool& pdfSeen, bool& tableSeen)
{
    return RunAutoCoding(doc, code, [&](AutoCoder& coder) {
        return AutoCode(coder, Extent::Paragraph, false, &pdfSeen, &tableSeen);
    });
}

qint32 LexicalEngine::AutoCodeHitsRemaining(CKorDoc& doc, qint32 code)
{
    return RunAutoCoding(doc, code,
                         [&](AutoCoder& coder) { return AutoCode(coder, Extent::Cell, false, nullptr, nullptr); });
}

qint32 LexicalEngine::AutoCodeSearchHits(CKorDoc& doc, qint32 code)
{
    const qint32 extent = doc.GetRetrievalSettings().hitExtent;
    return RunAutoCoding(doc, code, [&](AutoCoder& coder) {
        bool pdfSeen = false;
        bool tableSeen = false;
        switch (extent) {
        case kExtentHit: return AutoCode(coder, Extent::Hit, false, nullptr, nullptr);
        case kExtentSentence: {
            qint32 made = AutoCode(coder, Extent::Sentence, false, &pdfSeen, nullptr);
            if (pdfSeen)
                made += AutoCode(coder, Extent::Hit, true, nullptr, nullptr);
            return made;
        }
        case kExtentParagraph: {
            qint32 made = AutoCode(coder, Extent::Paragraph, false, &pdfSeen, &tableSeen);
            if (pdfSeen)
                made += AutoCode(coder, Extent::Hit, true, nullptr, nullptr);
            if (tableSeen)
                made += AutoCode(coder, Extent::Cell, false, nullptr, nullptr);
            return made;
        }
        default: return 0;
        }
    });
}

}  // namespace retrieval
