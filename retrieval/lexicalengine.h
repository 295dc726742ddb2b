#pragma once

#include "document/lexicalservice.h"

#include <functional>

namespace retrieval {

/// @short The lexical search, the autocoding of search hits and the
/// rich-text outputs of the project document.
///
/// The category search lower-cases each text once, finds all plain
/// dictionary words in one pass over it and each wildcard word on its own,
/// then sorts and de-duplicates the hits once per document. Autocoding
/// reads each document once for its hits, writes all codings of a run in
/// one transaction and runs the retrieval once after it. UI thread only.
class LexicalEngine : public ILexicalService {
public:
    /// Opens a written file with the desktop; tests record instead.
    using FileOpener = std::function<bool(const QString& path)>;

    LexicalEngine();
    void SetFileOpener(FileOpener opener) { m_openFile = std::move(opener); }

    qint32 RunLexicalSearch(const LexicalSearch& search, LexicalHitList& hits) override;
    void SearchCategoryWords(CKorDoc& doc, qint32 breakdown, const CSegmentArray* rows) override;

    qint32 AutoCodeHits(CKorDoc& doc, qint32 code, bool pdfOnly) override;
    qint32 AutoCodeHitSentences(CKorDoc& doc, qint32 code, bool& pdfSeen) override;
    qint32 AutoCodeHitParagraphs(CKorDoc& doc, qint32 code, bool& pdfSeen, bool& tableSeen) override;
    qint32 AutoCodeHitsRemaining(CKorDoc& doc, qint32 code) override;
    qint32 AutoCodeSearchHits(CKorDoc& doc, qint32 code) override;

    bool WriteSegmentMemos(CKorDoc& doc, CRichEditCtrlEx* control, qint32 document, qint32 start,
                           qint32 end) override;
    bool SaveSegmentListRtf(CKorDoc& doc, const QString& path, const QList<qint32>& codings) override;
    bool SaveMemosRtf(CKorDoc& doc, const QString& path, const QList<qint32>& memos) override;
    qint32 FormatSearchHitList(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                               bool& pdfSeen) override;
    qint32 FormatSearchHitCounts(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                 bool pdfOnly) override;
    qint32 FormatSearchHitRanges(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                 bool& pdfSeen) override;
    QString WriteSearchHitsInContext(CKorDoc& doc, qint32 hit) override;
    QString WriteSearchHitsByDocument(CKorDoc& doc, qint32 hit) override;
    QString WriteSearchHitsPlain(CKorDoc& doc, qint32 hit) override;

    qint32 MarkCategoryHits(CKorDoc& doc, qint32 document, qint32 page, const QString& text, qint32 base,
                            const QList<qint32>& categories, QList<qint32>& counts, CRichEditCtrlEx* control,
                            qint32 code) override;
    qint32 WriteOverview(CKorDoc& doc, qint32 document, CRichEditCtrlEx* control) override;
    qint32 WriteDocumentOverview(CKorDoc& doc, qint32 document, qint32 code, RowBuffer* row,
                                 CRichEditCtrlEx* control) override;
    qint32 BuildOverviewRows(CKorDoc& doc, qint32 document, qint32 code, qint32 depth, qint32 targetDepth,
                             CRichEditCtrlEx* control) override;

private:
    class AutoCoder;
    enum class Extent { Hit, Sentence, Paragraph, Cell };
    /// One autocoding pass over the hit rows; counts codings and sets the
    /// flags of hits it left to other passes.
    qint32 AutoCode(AutoCoder& coder, Extent extent, bool pdfOnly, bool* pdfSeen, bool* tableSeen);
    /// Runs the passes in one transaction, then one retrieval when any
    /// coding was made.
    qint32 RunAutoCoding(CKorDoc& doc, qint32 code, const std::function<qint32(AutoCoder&)>& passes);

    bool SaveRtf(CRichEditCtrlEx& control, const QString& path);

    FileOpener m_openFile;
};

}  // namespace retrieval
