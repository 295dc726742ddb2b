// The document's side of the lexical search, the autocoding of search hits
// and the rich-text outputs: thin calls into the registered service, the
// hit lists the document keeps, and the overview table's build.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/storeids.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <tuple>

namespace {

/// Progress of the overview table: the running count.
constexpr int kOverviewProgressText = 5763;
/// The dictionary's switch that also writes the overviews into its
/// validation file.
constexpr qint32 kWriteValidationFile = DictioOption::UseStopList;

auto HitKey(const LexicalHit& hit)
{
    return std::make_tuple(hit.document, hit.category, hit.page, qint64(hit.base) + hit.start);
}

}  // namespace

bool LexicalHitLess(const LexicalHit& a, const LexicalHit& b)
{
    return HitKey(a) < HitKey(b);
}

bool AddLexicalHit(const LexicalHit& hit, LexicalHitList& hits)
{
    const auto at = std::lower_bound(hits.begin(), hits.end(), hit, LexicalHitLess);
    if (at != hits.end() && !LexicalHitLess(hit, *at))
        return false;
    hits.insert(at, hit);
    return true;
}

qint32 CKorDoc::RunLexicalSearch(const LexicalSearch& search, LexicalHitList& hits)
{
    return d->m_lexical ? d->m_lexical->RunLexicalSearch(search, hits) : 0;
}

const LexicalHitList& CKorDoc::SearchCategoryWords(qint32 breakdown, const CSegmentArray* rows)
{
    if (d->m_lexical)
        d->m_lexical->SearchCategoryWords(*this, breakdown, rows);
    else
        d->m_categoryHits.clear();
    return d->m_categoryHits;
}

qint32 CKorDoc::AutoCodeHits(qint32 code, bool pdfOnly)
{
    return d->m_lexical ? d->m_lexical->AutoCodeHits(*this, code, pdfOnly) : 0;
}

qint32 CKorDoc::AutoCodeHitSentences(qint32 code, bool& pdfSeen)
{
    pdfSeen = false;
    return d->m_lexical ? d->m_lexical->AutoCodeHitSentences(*this, code, pdfSeen) : 0;
}

qint32 CKorDoc::AutoCodeHitParagraphs(qint32 code, bool& pdfSeen, bool& tableSeen)
{
    pdfSeen = tableSeen = false;
    return d->m_lexical ? d->m_lexical->AutoCodeHitParagraphs(*this, code, pdfSeen, tableSeen) : 0;
}

qint32 CKorDoc::AutoCodeHitsRemaining(qint32 code)
{
    return d->m_lexical ? d->m_lexical->AutoCodeHitsRemaining(*this, code) : 0;
}

qint32 CKorDoc::AutoCodeSearchHits(qint32 code)
{
    return d->m_lexical ? d->m_lexical->AutoCodeSearchHits(*this, code) : 0;
}

bool CKorDoc::WriteSegmentMemos(CRichEditCtrlEx* control, qint32 document, qint32 start, qint32 end)
{
    return d->m_lexical && d->m_lexical->WriteSegmentMemos(*this, control, document, start, end);
}

bool CKorDoc::SaveSegmentListRtf(const QString& path, const QList<qint32>& codings)
{
    return d->m_lexical && d->m_lexical->SaveSegmentListRtf(*this, path, codings);
}

bool CKorDoc::SaveMemosRtf(const QString& path, const QList<qint32>& memos)
{
    return d->m_lexical && d->m_lexical->SaveMemosRtf(*this, path, memos);
}

qint32 CKorDoc::FormatSearchHitList(const QList<qint32>& hits, CRichEditCtrlEx* control, bool& pdfSeen)
{
    pdfSeen = false;
    return d->m_lexical ? d->m_lexical->FormatSearchHitList(*this, hits, control, pdfSeen) : 0;
}

qint32 CKorDoc::FormatSearchHitCounts(const QList<qint32>& hits, CRichEditCtrlEx* control, bool pdfOnly)
{
    return d->m_lexical ? d->m_lexical->FormatSearchHitCounts(*this, hits, control, pdfOnly) : 0;
}

qint32 CKorDoc::FormatSearchHitRanges(const QList<qint32>& hits, CRichEditCtrlEx* control, bool& pdfSeen)
{
    pdfSeen = false;
    return d->m_lexical ? d->m_lexical->FormatSearchHitRanges(*this, hits, control, pdfSeen) : 0;
}

QString CKorDoc::WriteSearchHitsInContext(qint32 hit)
{
    return d->m_lexical ? d->m_lexical->WriteSearchHitsInContext(*this, hit) : QString();
}

QString CKorDoc::WriteSearchHitsByDocument(qint32 hit)
{
    return d->m_lexical ? d->m_lexical->WriteSearchHitsByDocument(*this, hit) : QString();
}

QString CKorDoc::WriteSearchHitsPlain(qint32 hit)
{
    return d->m_lexical ? d->m_lexical->WriteSearchHitsPlain(*this, hit) : QString();
}

qint32 CKorDoc::MarkCategoryHits(qint32 document, qint32 page, const QString& text, qint32 base,
                                 const QList<qint32>& categories, QList<qint32>& counts, CRichEditCtrlEx* control,
                                 qint32 code)
{
    return d->m_lexical
               ? d->m_lexical->MarkCategoryHits(*this, document, page, text, base, categories, counts, control, code)
               : 0;
}

qint32 CKorDoc::WriteOverview(qint32 document, CRichEditCtrlEx* control)
{
    return d->m_lexical ? d->m_lexical->WriteOverview(*this, document, control) : 0;
}

qint32 CKorDoc::WriteDocumentOverview(qint32 document, qint32 code, RowBuffer* row, CRichEditCtrlEx* control)
{
    return d->m_lexical ? d->m_lexical->WriteDocumentOverview(*this, document, code, row, control) : 0;
}

qint32 CKorDoc::BuildOverviewRows(qint32 document, qint32 code, qint32 depth, qint32 targetDepth,
                                  CRichEditCtrlEx* control)
{
    return d->m_lexical ? d->m_lexical->BuildOverviewRows(*this, document, code, depth, targetDepth, control) : 0;
}

bool CKorDoc::BuildOverviewTable(qint32 targetDepth, const QList<qint32>& documents, const QList<qint32>& codes)
{
    d->m_overviewHits.clear();
    d->m_overviewHits.squeeze();
    if (!DefineOverviewTable())
        return false;
    // The validation file gets the overviews as plain text.
    std::unique_ptr<CRichEditCtrlEx> control;
    if (g_dictioOptions.GetBool(kWriteValidationFile))
        control = CreateHiddenRichEdit();
    const QString progress = LoadString(kOverviewProgressText);
    qint32 count = 0;
    for (const qint32 document : documents) {
        if (targetDepth != 0) {
            for (const qint32 code : codes)
                count += BuildOverviewRows(document, code, 1, targetDepth, control.get());
        } else {
            WriteOverview(document, control.get());
            ++count;
        }
        SetWaitText(progress.arg(count));
    }
    if (control) {
        const QString folder = g_dictioOptions.GetString(DictioOption::DictionaryFolder);
        const QString name = g_dictioOptions.GetString(DictioOption::ValidationFile);
        QSaveFile file(QDir(folder).filePath(name));
        // A file that cannot be written is skipped; the table stands.
        if (file.open(QIODevice::WriteOnly)) {
            QString text = control->TextMap().text();
            text.replace(u'\r', QStringLiteral("\r\n"));
            file.write(text.toUtf8());
            file.commit();
        }
    }
    return true;
}

void CKorDoc::SetSearchHitDocuments(qint32 count)
{
    d->m_searchHitDocuments = count;
}

qint32 CKorDoc::SearchHitDocuments() const
{
    return d->m_searchHitDocuments;
}
