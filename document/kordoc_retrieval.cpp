// The document's side of retrieval: thin calls into the registered service,
// and the memory-only topic that holds result segments of combined codings.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

namespace {

/// Fields of the result topic; the ids are those of the codings, so readers
/// of a coding read a result segment alike.
struct SegmentField {
    qint32 id;
    const char* name;
};
constexpr qint32 kWeightField = 9;
constexpr qint32 kPosX1Field = 16;
constexpr qint32 kPosX2Field = 17;
constexpr qint32 kPageField = 18;
constexpr SegmentField kSegmentFields[] = {
    {0, "ID"},
    {CodingField::Document, "TextID"},
    {CodingField::Code, "WordID"},
    {CodingField::StartChar, "StartChar"},
    {CodingField::FinishChar, "FinishChar"},
    {CodingField::StartPara, "StartPara"},
    {CodingField::FinishPara, "FinishPara"},
    {kWeightField, "Weight"},
    {kPosX1Field, "PosX1"},
    {kPosX2Field, "PosX2"},
    {kPageField, "Page"},
    {CodingField::IsText, "IsText"},
};

/// The result topic with its fields; made on first use and defined again
/// after the tables were reset.
TopicTable* SegmentTable(TopicDatabase& db)
{
    TopicTable* table = db.CreateTable(TopicId::RetrievedSegments);
    if (table && table->Fields().Count() == 0) {
        for (const SegmentField& field : kSegmentFields) {
            FieldDescriptor descriptor;
            descriptor.ID = field.id;
            descriptor.Name = QString::fromLatin1(field.name);
            descriptor.Source = descriptor.Name;
            descriptor.Type = field.id == CodingField::IsText ? FieldType::Boolean : FieldType::Integer;
            descriptor.State = FieldState::BuiltIn;
            table->AddField(descriptor);
        }
    }
    return table;
}

bool SetInt(RowBuffer& row, qint32 fieldId, qint32 value)
{
    FieldValue field;
    return row.GetFieldValue(fieldId, field) && field.SetInt(value);
}

}  // namespace

void CKorDoc::SortRetrievedSegments(const OptionsRecord* settings, CSegmentArray& rows, qint32 key)
{
    if (d->m_retrieval)
        d->m_retrieval->SortRetrievedSegments(settings, rows, key);
}

void CKorDoc::RemoveDuplicateRows(CSegmentArray& rows)
{
    if (d->m_retrieval)
        d->m_retrieval->RemoveDuplicateRows(rows);
}

void CKorDoc::GetSegmentTexts(const CSegmentArray& rows, QList<QByteArray>& texts)
{
    texts.clear();
    if (d->m_retrieval)
        d->m_retrieval->GetSegmentTexts(*this, rows, texts);
}

bool CKorDoc::AddSegmentCoding(CSegmentRow& row, const QByteArray& text, qint32 firstParagraph,
                               qint32 lastParagraph)
{
    TopicTable* table = SegmentTable(d->m_db);
    RowBuffer buffer;
    if (!table || !table->AddRow(buffer, -1))
        return false;
    const qint32 key = buffer.GetKey();
    const bool filled = SetInt(buffer, CodingField::Document, row.document) &&
                        SetInt(buffer, CodingField::Code, row.code) &&
                        SetInt(buffer, CodingField::StartChar, row.start) &&
                        SetInt(buffer, CodingField::FinishChar, row.end) &&
                        SetInt(buffer, CodingField::StartPara, firstParagraph) &&
                        SetInt(buffer, CodingField::FinishPara, lastParagraph) &&
                        SetInt(buffer, kWeightField, row.weight) && SetInt(buffer, kPosX1Field, row.areaLeft) &&
                        SetInt(buffer, kPosX2Field, row.areaRight) && SetInt(buffer, kPageField, row.page) &&
                        SetInt(buffer, CodingField::IsText, 1);
    // The table has no listener: a commit only writes the row into memory.
    if (!filled || !buffer.Commit(false, true)) {
        table->RemoveRow(key);
        return false;
    }
    d->m_segmentTexts.insert(key, text);
    row.coding = key;
    return true;
}

void CKorDoc::ClearSegmentCodings()
{
    if (TopicTable* table = d->m_db.GetTable(TopicId::RetrievedSegments))
        table->ClearRows();
    d->m_segmentTexts.clear();
}

bool CKorDoc::ReadSegmentText(qint32 segment, QByteArray& text) const
{
    const TopicTable* table = d->m_db.GetTable(TopicId::RetrievedSegments);
    const auto found = d->m_segmentTexts.constFind(segment);
    if (!table || !table->HasKey(segment) || found == d->m_segmentTexts.cend())
        return false;
    text = *found;
    return true;
}

void CKorDoc::SetRetrievalCounters(qint32 activatedCodes, qint32 segments)
{
    d->m_activatedCodes = activatedCodes;
    d->m_activatedCodings = segments;
}

bool CKorDoc::IsDocumentActivated(qint32 document, qint32* order) const
{
    const TopicTable* table = d->m_db.GetTable(TopicId::Documents);
    if (!table || !table->HasKey(document))
        return false;
    if (order)
        *order = table->GetIntValue(document, 1);
    return (table->GetIntValue(document, DocumentField::State) & ObjectState::Activated) != 0;
}

void CKorDoc::ComputeCodeRelations(qint32 code, QList<CodeRelationEntry>& entries, QList<qint32>& counts,
                                   QList<qint32>& documents, bool activatedOnly, bool proximity, qint32 distance)
{
    counts.clear();
    documents.clear();
    if (d->m_retrieval)
        d->m_retrieval->ComputeCodeRelations(*this, code, entries, counts, documents, activatedOnly, proximity, distance);
}

void CKorDoc::CountCodingsForChart(qint32 code, QList<CodeRelationEntry>& entries)
{
    d->m_coOccurrences.clear();
    if (d->m_retrieval)
        d->m_coOccurrences = d->m_retrieval->CountCodingsForChart(*this, code, entries);
}

void CKorDoc::CountCodingsForNode(qint32 code, QList<CodeRelationEntry>& entries, QList<qint32>& ids)
{
    if (d->m_retrieval)
        d->m_retrieval->CountCodingsForNode(*this, code, entries, ids);
}

void CKorDoc::ComputeCodeRelationsMatrix(QList<CodeRelationEntry>& columns, QList<CodeRelationEntry>& rows,
                                         QList<qint32>& counts, QList<qint32>& documents, bool activatedOnly,
                                         bool proximity, qint32 distance)
{
    counts.clear();
    documents.clear();
    if (d->m_retrieval)
        d->m_retrieval->ComputeCodeRelationsMatrix(*this, columns, rows, counts, documents, activatedOnly, proximity,
                                                distance);
}

void CKorDoc::FormatTypologyCells(QList<TypologyColumn>& columns, QList<TypologyRow>& rows, QStringList& cells,
                                  bool skipMissing)
{
    cells.clear();
    if (d->m_retrieval)
        d->m_retrieval->FormatTypologyCells(*this, columns, rows, cells, skipMissing);
}

bool CKorDoc::CollectCodedStretches(qint32 document, qint32 length, bool noFiller, bool activatedCodesOnly,
                                    SegmentRecordArray& items, const QStringList& pageTexts, qint32 columnCount)
{
    items.RemoveAll();
    return d->m_retrieval && d->m_retrieval->CollectCodedStretches(*this, document, length, noFiller, activatedCodesOnly,
                                                             items, pageTexts, columnCount);
}
