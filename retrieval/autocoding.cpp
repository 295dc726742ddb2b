// Autocoding of the search hits (topic 9): each hit, widened to its
// sentence, its paragraphs or its table cell, becomes a coding of one code.

#include "document/documentids.h"
#include "document/kordoc.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/documenttexts.h"
#include "retrieval/lexicalengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

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

/// The state of one autocoding run: the code, the coding action that
/// groups its codings, the hidden control and the count.
class LexicalEngine::AutoCoder {
public:
    AutoCoder(CKorDoc& doc, qint32 code)
        : m_doc(doc), m_code(code), m_edit(CreateHiddenRichEdit()), m_loader(doc.GetDatabase(), *m_edit),
          m_weight(g_qdaOptions.GetInt(QdaOption::DefaultWeight)), m_progress(LoadString(kProgressText))
    {
        doc.GetDatabase().GetAllKeys(TopicId::SearchHits, m_hits);
    }

    const QList<qint32>& Hits() const { return m_hits; }
    HitTextLoader& Loader() { return m_loader; }
    CKorDoc& Doc() { return m_doc; }
    qint32 Made() const { return m_made; }

    /// Codes [start, end) of the hit's text, now in the control; true when
    /// a new coding was written.
    bool Code(const HitRow& hit, qint32 kind, qint32 start, qint32 end)
    {
        const qint32 length = m_loader.Length();
        start = qBound(0, start, length);
        end = qBound(start, end, length);
        if (end <= start)
            return false;
        CodingRecord record;
        record.TextID = hit.document;
        record.WordID = m_code;
        record.StartChar = start;
        record.FinishChar = end;
        record.Weight = m_weight;
        record.Preview = GetRichEditTextRange(m_edit.get(), start, end, 63);
        m_edit->SetSel(start, end);
        m_edit->StreamOutRtf(&record.Text, true, true);
        record.Area = end - start;
        record.Coverage = length > 0 ? (end - start) * 100.0 / length : 0.0;
        if (kind == DocumentKind::Table) {
            record.Page = hit.page;
            record.PosX1 = HitTextLoader::CellRow(hit);
            record.IsText = kCellCoding;
            record.StartPara = record.FinishPara = hit.paragraph;
        } else {
            record.Page = kind == DocumentKind::Pdf ? hit.page : 1;
            const ParagraphMap& map = m_loader.Paragraphs();
            record.StartPara = ParagraphOfPosition(start, true, map);
            record.FinishPara = ParagraphOfPosition(end, false, map);
        }
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
    qint32 m_code;
    std::unique_ptr<CRichEditCtrlEx> m_edit;
    HitTextLoader m_loader;
    qint32 m_weight;
    QString m_progress;
    QList<qint32> m_hits;
    qint32 m_action = 0;  // the first coding's id once one is made
    qint32 m_made = 0;
};

qint32 LexicalEngine::AutoCode(AutoCoder& coder, Extent extent, bool pdfOnly, bool* pdfSeen, bool* tableSeen)
{
    TopicDatabase& db = coder.Doc().GetDatabase();
    HitTextLoader& loader = coder.Loader();
    const OptionsRecord& settings = coder.Doc().GetRetrievalSettings();
    const qint32 before = std::clamp(settings.paragraphsBefore, 0, 100);
    const qint32 after = std::clamp(settings.paragraphsAfter, 0, 100);
    const qint32 madeBefore = coder.Made();

    // Paragraph extent: the paragraph ranges of the hits of one document,
    // coded when the next document begins.
    HitRow pendingHit;
    QList<std::pair<qint32, qint32>> ranges;
    const auto codeRanges = [&]() {
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
                coder.Code(pendingHit, DocumentKind::RichText, start, end);
        }
        ranges.clear();
    };

    for (const qint32 id : coder.Hits()) {
        HitRow hit;
        if (!ReadHitRow(db, id, hit))
            continue;
        if (extent == Extent::Paragraph && hit.document != pendingHit.document)
            codeRanges();  // the control still holds the pending document
        const qint32 kind = loader.Kind(hit);
        switch (extent) {
        case Extent::Hit:
            if ((pdfOnly && kind != DocumentKind::Pdf) || !loader.Load(hit))
                continue;
            coder.Code(hit, kind, std::min(hit.start, hit.end), std::max(hit.start, hit.end));
            break;
        case Extent::Sentence: {
            if (kind == DocumentKind::Pdf && pdfSeen)
                *pdfSeen = true;
            if ((kind != DocumentKind::RichText && kind != DocumentKind::Table) || !loader.Load(hit))
                continue;
            qint32 start = 0;
            qint32 end = 0;
            SentenceAround(loader.SentenceText(), std::min(hit.start, hit.end), start, end);
            coder.Code(hit, kind, start, end);
            break;
        }
        case Extent::Paragraph: {
            if (kind == DocumentKind::Pdf && pdfSeen)
                *pdfSeen = true;
            if (kind == DocumentKind::Table && tableSeen)
                *tableSeen = true;
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
            ranges.append({std::max(1, first - before), std::min(count, last + after)});
            break;
        }
        case Extent::Cell:
            if (kind != DocumentKind::Table || !loader.Load(hit))
                continue;
            coder.Code(hit, kind, 0, loader.Length());
            break;
        }
    }
    codeRanges();
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
