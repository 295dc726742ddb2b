#pragma once

#include "document/retrievalservice.h"

#include <QList>

#include <vector>

class TopicDatabase;

namespace retrieval {

/// Retrieval functions (OptionsRecord::retrievalFunction).
enum Function : qint32 {
    Plain = 0,
    Intersection = 1,
    IntersectionOuter = 2,
    NoOverlap = 3,
    AtLeast = 4,
    OnlyCode = 5,
    Enclosing = 6,
    NotOverlapping = 7,
    FollowedBy = 8,
    Near = 9,
};

/// How often the codings of two codes overlap: the overlapping pairs of
/// codings and the documents holding one.
struct CodePairCount {
    qint32 first = 0;   ///< the lower code id
    qint32 second = 0;  ///< the higher code id
    qint32 pairs = 0;
    qint32 documents = 0;
};
/// Only the pairs of codes whose codings overlap, sorted by (first, second).
using CodePairCounts = std::vector<CodePairCount>;

/// @short The retrieval engine: turns the activation of documents and codes
/// and the retrieval settings into the retrieved segments, and counts the
/// relations between codes.
///
/// Codings are found through the code-to-codings index, never by a table
/// scan; every comparison stays within one document and page (see
/// segmentrows.h). A run keeps no rows of its own (only their memory, to
/// fill again on the next run): a broadcasting run
/// leaves the result segments of combined codings in the document's
/// memory-only result topic and sets the document's counters; a counting
/// run changes nothing at all. UI thread only.
class RetrievalEngine : public IRetrievalService {
public:
    qint32 RunRetrieval(CKorDoc& doc, const OptionsRecord& settings, qint32 flag) override;
    void SortRetrievedSegments(const OptionsRecord* settings, CSegmentArray& rows, qint32 key) override;
    void RemoveDuplicateRows(CSegmentArray& rows) override;
    void GetSegmentTexts(CKorDoc& doc, const CSegmentArray& rows, QList<QByteArray>& texts) override;

    void ComputeCodeRelations(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries, QList<qint32>& counts,
                              QList<qint32>& documents, bool activatedOnly, bool proximity,
                              qint32 distance) override;
    QList<CoOccurrence> CountCodingsForChart(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries) override;
    void CountCodingsForNode(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries,
                             QList<qint32>& ids) override;
    void ComputeCodeRelationsMatrix(CKorDoc& doc, QList<CodeRelationEntry>& columns, QList<CodeRelationEntry>& rows,
                                    QList<qint32>& counts, QList<qint32>& documents, bool activatedOnly,
                                    bool proximity, qint32 distance) override;
    void FormatTypologyCells(CKorDoc& doc, QList<TypologyColumn>& columns, QList<TypologyRow>& rows,
                             QStringList& cells, bool skipMissing) override;
    bool CollectCodedStretches(CKorDoc& doc, qint32 document, qint32 length, bool noFiller,
                               bool activatedCodesOnly, SegmentRecordArray& items, const QStringList& pageTexts,
                               qint32 columnCount) override;

    /// The result rows of the settings, as a run builds them before it
    /// stores or announces anything; the number of activated codes in
    /// activatedCodes. Reads the database only.
    static CSegmentArray Retrieve(const TopicDatabase& db, const OptionsRecord& settings,
                                  qint32* activatedCodes = nullptr);
    /// The same into result, emptied first; its memory is reused.
    static void Retrieve(const TopicDatabase& db, const OptionsRecord& settings, CSegmentArray& result,
                         qint32* activatedCodes = nullptr);
    /// The overlaps between the codings of any two of the codes, as the
    /// overlap matrix counts them, kept for the pairs that occur only: the
    /// memory grows with those pairs, not with the square of the codes.
    static CodePairCounts CountOverlappingCodePairs(CKorDoc& doc, const QList<qint32>& codes, bool activatedOnly);
    /// The entry of codes a and b (in either order), or null when their
    /// codings never overlap.
    static const CodePairCount* FindCodePair(const CodePairCounts& pairs, qint32 a, qint32 b);
    /// The ids of all activated codes, in store order.
    static QList<qint32> CollectActivatedCodes(const TopicDatabase& db);
    /// The collected rows of the codes (see the run), with the function
    /// code's rows (code order negated) after them.
    static CSegmentArray CollectRetrievalRows(const TopicDatabase& db, const OptionsRecord& settings,
                                              qint32 functionCode, const QList<qint32>& codes);
    /// The same into rows, emptied first; their memory is reused.
    static void CollectRetrievalRows(const TopicDatabase& db, const OptionsRecord& settings, qint32 functionCode,
                                     const QList<qint32>& codes, CSegmentArray& rows);

private:
    CSegmentArray m_rows;  // emptied after each run; its memory stays
    bool m_rowsInUse = false;
};

}  // namespace retrieval
