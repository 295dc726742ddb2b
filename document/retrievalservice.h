#pragma once

#include "foundation/segmentarray.h"
#include "foundation/segmentrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class CKorDoc;
class OptionsRecord;

/// One code of a chart or matrix axis: the code and the number of coding
/// pairs the last computation found for it.
struct CodeRelationEntry {
    qint32 code = 0;
    qint32 counter = 0;
};

/// One code of the document's co-occurrence list: the code and its count.
struct CoOccurrence {
    qint32 code = 0;
    qint32 count = 0;
};

/// A column of the typology table: a condition on a document variable in
/// the form logical activation keeps it, and the documents that meet it.
struct TypologyColumn {
    qint32 fieldId = 0;
    QString fieldName;
    qint32 link = 0;       ///< 0 OR, 1 AND; not read here
    qint32 comparison = 0; ///< 0 "=", 1 "<>", 2 "<", 3 ">"; others match nothing
    QString value;
    qint32 documents = 0;  ///< out: documents meeting the condition
};

/// A row of the typology table: a document variable, read as a number or
/// against one category value, with its accumulators.
struct TypologyRow {
    qint32 fieldId = 0;
    bool numeric = false;
    QString category;      ///< the counted value of a categorial row
    QString missingValue;  ///< the variable's missing marker; empty for none
    qint32 count = 0;
    double sum = 0;
    double mean = 0;
    double deviation = 0;
};

/// @short What the project document asks of the retrieval engine.
///
/// The engine lives above the document (retrieval/), so the document
/// declares the calls it needs and the engine registers itself through
/// CKorDoc::SetRetrievalService at start-up; tests register a recording
/// fake. Without a service the document runs no retrieval at all.
/// UI thread only, like the document. Positions are rich-edit positions
/// (UTF-16 units); PDF rows count characters of their page.
class IRetrievalService {
public:
    virtual ~IRetrievalService() = default;

    /// Rebuilds the retrieved segments of the document's activated
    /// documents and codes under the settings' retrieval function and
    /// announces them to the panes; the number of result rows. With `flag`
    /// set the run only counts: it changes nothing at all (no row, no
    /// counter, no broadcast).
    virtual qint32 RunRetrieval(CKorDoc& doc, const OptionsRecord& settings, qint32 flag) = 0;
    /// Sorts rows stably: key 1 by document, 2 by code, 3 by weight; key 0
    /// takes the settings' sort order (nothing without settings); other
    /// keys leave the rows as they are.
    virtual void SortRetrievedSegments(const OptionsRecord* settings, CSegmentArray& rows, qint32 key) = 0;
    /// Keeps the first of rows with equal document, page, code, start and
    /// end, order kept.
    virtual void RemoveDuplicateRows(CSegmentArray& rows) = 0;
    /// The RTF of each row's range, cut from its document (each document
    /// read once); empty for rows of pictures and of missing documents.
    virtual void GetSegmentTexts(CKorDoc& doc, const CSegmentArray& rows, QList<QByteArray>& texts) = 0;

    /// For each entry: the pairs of codings of code and of the entry's code
    /// that overlap (or, with proximity, lie within distance paragraphs),
    /// in counts, and the documents holding them, in documents. Counters
    /// start from 0.
    virtual void ComputeCodeRelations(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries,
                                      QList<qint32>& counts, QList<qint32>& documents, bool activatedOnly,
                                      bool proximity, qint32 distance) = 0;
    /// The overlap counts of code against entries, sorted by counter
    /// (descending, stable): at most ten codes with a counter of 1 or more.
    virtual QList<CoOccurrence> CountCodingsForChart(CKorDoc& doc, qint32 code,
                                                     QList<CodeRelationEntry>& entries) = 0;
    /// The same sort; appends the codes of all entries with a counter.
    virtual void CountCodingsForNode(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries,
                                     QList<qint32>& ids) = 0;
    /// The relations of every row code against every column code: counts
    /// and documents as rows x columns cells, row after row.
    virtual void ComputeCodeRelationsMatrix(CKorDoc& doc, QList<CodeRelationEntry>& columns,
                                            QList<CodeRelationEntry>& rows, QList<qint32>& counts,
                                            QList<qint32>& documents, bool activatedOnly, bool proximity,
                                            qint32 distance) = 0;
    /// Cells of columns x rows (cell = column + row x columns).
    virtual void FormatTypologyCells(CKorDoc& doc, QList<TypologyColumn>& columns, QList<TypologyRow>& rows,
                                     QStringList& cells, bool skipMissing) = 0;
    /// The document's text codings as items (coding, start, end, weight as
    /// priority, colour); false when its codings cannot be listed.
    virtual bool CollectCodedStretches(CKorDoc& doc, qint32 document, qint32 length, bool noFiller,
                                       bool activatedCodesOnly, SegmentRecordArray& items,
                                       const QStringList& pageTexts, qint32 columnCount) = 0;
};
