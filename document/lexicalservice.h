#pragma once

#include "foundation/segmentarray.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

class CKorDoc;
class CRichEditCtrlEx;
class RowBuffer;

/// @short One hit of the dictionary's category search (32 bytes).
///
/// start and end are positions in the text searched; base is the position
/// of that text in its page (the start of a retrieved segment or of a
/// coding cut out of the page; 0 for a whole text), so base + start is the
/// hit's place in the page. page is the PDF page, the 1-based cell number
/// of a table (row x columns + column + 1) or the page of a segment; 0 for
/// rich text.
struct LexicalHit {
    qint32 document = 0;
    qint32 category = 0;
    qint32 code = 0;   ///< given by the caller (the code of a document overview)
    qint32 end = 0;    ///< after the last unit
    qint32 start = 0;
    qint32 base = 0;
    qint32 page = 0;
    qint32 entry = 0;  ///< the dictionary entry that found it
};
static_assert(sizeof(LexicalHit) == 32, "hits travel as raw 32-byte blocks");

/// Hits ordered by document, category, page and base + start; two hits
/// equal in these are the same hit. (Within one document this is the
/// order by category, page and start.)
using LexicalHitList = QList<LexicalHit>;

/// True when a sorts before b in a LexicalHitList.
bool LexicalHitLess(const LexicalHit& a, const LexicalHit& b);
/// Inserts the hit at its place (found by halving); false, nothing added,
/// when the list holds the same hit already.
bool AddLexicalHit(const LexicalHit& hit, LexicalHitList& hits);

/// @short One search of the lexical matcher: a pattern in one text.
struct LexicalSearch {
    qint32 document = 0;
    qint32 page = 0;
    QString text;
    QString pattern;   ///< a term in the grammar of SplitSearchPattern
    qint32 entry = 0;
    bool wholeWord = false;
    bool caseSensitive = false;
    bool wordStart = false;
    qint32 category = 0;
    qint32 base = 0;   ///< stored in the hits
    qint32 code = 0;   ///< stored in the hits
};

/// @short Where the category search puts its word counts: the dictionary's
/// word table, which the dictionary module fills. The document prepares
/// the table's columns (CKorDoc::PrepareWordTable); the writer adds counts.
class IWordTally {
public:
    virtual ~IWordTally() = default;
    /// Adds count hits of the dictionary entry to a column: 0 the overall
    /// count, else the id of the document or document set the column
    /// stands for.
    virtual void AddWordHits(qint32 entry, qint32 column, qint32 count) = 0;
};

/// @short What the project document asks of the lexical search, the
/// autocoding of search hits and the rich-text outputs.
///
/// They live above the document (retrieval/) and register themselves
/// through CKorDoc::SetLexicalService at start-up, as the retrieval engine
/// does. Without a service the document's calls do nothing and give 0,
/// false or empty results. UI thread only. Positions are rich-edit
/// positions; PDF pages count the engine's characters; table cells count
/// their text with each CR LF as two blanks.
class ILexicalService {
public:
    virtual ~ILexicalService() = default;

    // ---- Lexical matching and the category search ----------------------

    /// Records each new occurrence of the pattern in the text as a hit; the
    /// number of new hits. With the dictionary's stop-at-first-hit option
    /// on, it stops at the first occurrence: 1 when that hit was new, else 0.
    virtual qint32 RunLexicalSearch(const LexicalSearch& search, LexicalHitList& hits) = 0;
    /// Searches every dictionary word in the documents (or in the given
    /// retrieved segments) and fills the document's category-hit list;
    /// breakdown 0 counts overall, 4 per document set, 5 per document.
    virtual void SearchCategoryWords(CKorDoc& doc, qint32 breakdown, const CSegmentArray* rows) = 0;

    // ---- Autocoding of the search hits (topic 9) -----------------------
    // Each returns the number of codings made. A call made on its own is
    // one transaction followed by one retrieval run when it coded anything.

    virtual qint32 AutoCodeHits(CKorDoc& doc, qint32 code, bool pdfOnly) = 0;
    virtual qint32 AutoCodeHitSentences(CKorDoc& doc, qint32 code, bool& pdfSeen) = 0;
    virtual qint32 AutoCodeHitParagraphs(CKorDoc& doc, qint32 code, bool& pdfSeen, bool& tableSeen) = 0;
    virtual qint32 AutoCodeHitsRemaining(CKorDoc& doc, qint32 code) = 0;
    /// The autocoding command: the operations the hit extent of the
    /// retrieval settings asks for, as one transaction and one retrieval.
    virtual qint32 AutoCodeSearchHits(CKorDoc& doc, qint32 code) = 0;

    // ---- Rich-text outputs -----------------------------------------------

    virtual bool WriteSegmentMemos(CKorDoc& doc, CRichEditCtrlEx* control, qint32 document, qint32 start,
                                   qint32 end) = 0;
    virtual bool SaveSegmentListRtf(CKorDoc& doc, const QString& path, const QList<qint32>& codings) = 0;
    virtual bool SaveMemosRtf(CKorDoc& doc, const QString& path, const QList<qint32>& memos) = 0;
    virtual qint32 FormatSearchHitList(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                       bool& pdfSeen) = 0;
    virtual qint32 FormatSearchHitCounts(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                         bool pdfOnly) = 0;
    virtual qint32 FormatSearchHitRanges(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                         bool& pdfSeen) = 0;
    virtual QString WriteSearchHitsInContext(CKorDoc& doc, qint32 hit) = 0;
    virtual QString WriteSearchHitsByDocument(CKorDoc& doc, qint32 hit) = 0;
    virtual QString WriteSearchHitsPlain(CKorDoc& doc, qint32 hit) = 0;

    // ---- Category overviews ----------------------------------------------

    /// Searches the text for the entries of the categories; counts[i] gets
    /// the hits of categories[i] added. With a control the text is written
    /// into it with a marker after each hit. The number of hits.
    virtual qint32 MarkCategoryHits(CKorDoc& doc, qint32 document, qint32 page, const QString& text, qint32 base,
                                    const QList<qint32>& categories, QList<qint32>& counts,
                                    CRichEditCtrlEx* control, qint32 code) = 0;
    /// The marked texts of the document after its heading; the hits.
    virtual qint32 WriteOverview(CKorDoc& doc, qint32 document, CRichEditCtrlEx* control) = 0;
    /// The marked text codings of the code in the document; fills the
    /// overview row (its counts and result). The hits.
    virtual qint32 WriteDocumentOverview(CKorDoc& doc, qint32 document, qint32 code, RowBuffer* row,
                                         CRichEditCtrlEx* control) = 0;
    /// At the target depth a row of the overview table for the document
    /// and the code; above it the sum over the code's subcodes. The rows.
    virtual qint32 BuildOverviewRows(CKorDoc& doc, qint32 document, qint32 code, qint32 depth, qint32 targetDepth,
                                     CRichEditCtrlEx* control) = 0;
};
