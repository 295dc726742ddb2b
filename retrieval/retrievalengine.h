#pragma once

#include "document/retrievalservice.h"

#include <QList>

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

/// @short The retrieval engine: turns the activation of documents and codes
/// and the retrieval settings into the retrieved segments, and counts the
/// relations between codes.
///
/// Codings are found through the code-to-codings index, never by a table
/// scan; every comparison stays within one document and page (see
/// segmentrows.h). A run keeps nothing of its own: a broadcasting run
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
    /// The ids of all activated codes, in store order.
    static QList<qint32> CollectActivatedCodes(const TopicDatabase& db);
    /// The collected rows of the codes (see the run), with the function
    /// code's rows (code order negated) after them.
    static CSegmentArray CollectRetrievalRows(const TopicDatabase& db, const OptionsRecord& settings,
                                              qint32 functionCode, const QList<qint32>& codes);
};

}  // namespace retrieval
