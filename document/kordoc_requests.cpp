// Requests of the views on rows and fields: one row, one field descriptor,
// the comparison behind every list sort, single-field writes from text,
// distinct values, and the field dictionary's edits with the variable lists
// that mirror it.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/codingrecord.h"
#include "document/documentids.h"
#include "document/listnotifyinfo.h"
#include "foundation/imageexport.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QFile>
#include <QLocale>

namespace {

/// Fields the views may not set from text: the key, references, the
/// counters the document keeps and the state bits; each has an operation of
/// its own that keeps the project consistent.
bool IsProtectedField(qint32 topic, const FieldDescriptor& field)
{
    if (field.ID == 0 || field.ParentTopicID != 0 || field.HasState(FieldState::Derived)
        || field.Type == FieldType::Blob)
        return true;
    switch (topic) {
    case TopicId::Documents:
        return field.ID == DocumentField::State || field.ID == DocumentField::Codes
            || field.ID == DocumentField::Memos || field.ID == DocumentField::Size;
    case TopicId::Codes:
        return field.ID == CodeField::State || field.ID == CodeField::Codes || field.ID == CodeField::ActiveCodes;
    default:
        return false;
    }
}

/// Whether the text is a whole value of the type: the store reads numbers
/// up to their first stray character, so "12 kg" would silently become 12.
bool FitsFieldType(qint32 type, const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    bool ok = false;
    if (type == FieldType::Integer) {
        trimmed.toInt(&ok);
        return ok;
    }
    if (type == FieldType::Real) {
        trimmed.toDouble(&ok);
        if (!ok)
            QLocale().toDouble(trimmed, &ok);
        return ok;
    }
    return true;
}

}  // namespace

void CKorDoc::HandleGetRecord(RecordNotifyInfo& info)
{
    info.imageMade = false;
    info.documentKind = 0;
    info.text.clear();
    info.found = d->m_db.ReadRow(info.topic, info.key, info.row, info.readBlobs);
    const bool segment = info.topic == TopicId::Codings || info.topic == TopicId::RetrievedSegments;
    if (!info.found || !segment || !info.readBlobs || info.row.IsEmpty())
        return;
    const auto intOf = [&info](qint32 id) {
        FieldValue value;
        return info.row.GetFieldValue(id, value) ? value.GetInt() : 0;
    };
    const bool isText = intOf(CodingField::IsText) != 0;
    if (info.topic == TopicId::RetrievedSegments) {
        ReadSegmentText(info.key, info.text);
    } else if (FieldValue text; info.row.GetFieldValue(CodingField::Text, text) && text.GetBlob()) {
        info.text = *text.GetBlob();
    }
    if (info.text.isEmpty() && isText && info.topic == TopicId::Codings) {
        // A text coding stored without its text (imports, older files) is
        // cut from its document.
        CSegmentArray rows;
        CSegmentRow row;
        row.coding = info.key;
        row.document = intOf(CodingField::Document);
        row.start = intOf(CodingField::StartChar);
        row.end = intOf(CodingField::FinishChar);
        row.page = intOf(CodingField::Page);
        row.textFlag = 1;
        rows.Add(row);
        QList<QByteArray> texts;
        GetSegmentTexts(rows, texts);
        info.text = texts.value(0);
    }
    if (!isText) {
        // The picture travels in the answer, never through the clipboard.
        CodingRecord coding;
        coding.TextID = intOf(CodingField::Document);
        coding.StartChar = intOf(CodingField::StartChar);
        coding.FinishChar = intOf(CodingField::FinishChar);
        coding.PosX1 = intOf(CodingField::PosX1);
        coding.PosX2 = intOf(CodingField::PosX2);
        coding.Page = intOf(CodingField::Page);
        info.imageMade = SaveCodingImage(coding, info.imageHeight, info.imageWidth, true);
        if (info.imageMade) {
            QFile file(TemporaryPictureFile());
            info.imageMade = file.open(QIODevice::ReadOnly);
            info.image = file.readAll();
        }
    }
    const qint32 document = intOf(CodingField::Document);
    if (d->m_db.GetTable(TopicId::Documents) && d->m_db.GetTable(TopicId::Documents)->RowOfKey(document))
        info.documentKind = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::DocType);
}

void CKorDoc::HandleGetFieldDescriptor(FieldDescriptorNotifyInfo& info)
{
    info.found = d->m_db.GetFieldDescriptor(info.topic, info.fieldId, info.field);
}

void CKorDoc::HandleGetFieldNames(FieldNamesNotifyInfo& info)
{
    info.result = d->m_db.GetFieldNames(info.topic, info.names);
}

void CKorDoc::HandleGetFieldIds(FieldIdsNotifyInfo& info)
{
    info.result = d->m_db.GetFieldIds(info.topic, info.ids, true);
}

void CKorDoc::HandleGetDistinctValues(DistinctValuesNotifyInfo& info)
{
    info.result = d->m_db.GetDistinctValues(info.topic, info.fieldId, &info.values);
}

void CKorDoc::HandleSetFieldProperties(FieldPropertyNotifyInfo& info)
{
    info.result = d->m_db.SetFieldProperties(info.topic, info.fieldId, info.value, int(info.property));
}

int CKorDoc::CompareRowField(qint32 topic, qint32 fieldId, qint32 first, qint32 second) const
{
    const TopicTable* table = d->m_db.GetTable(topic);
    const FieldDescriptor* field = table ? table->Fields().GetById(fieldId) : nullptr;
    const char* rowA = table ? table->RowOfKey(first) : nullptr;
    const char* rowB = table ? table->RowOfKey(second) : nullptr;
    // Rows that cannot be read sort last, and equal values by key, so that
    // a sort over this comparison stays a strict weak ordering.
    if (!field || (!rowA && !rowB))
        return first < second ? -1 : first > second ? 1 : 0;
    if (!rowA || !rowB)
        return rowA ? -1 : 1;
    int result = 0;
    // A sparse field's values are kept beside the rows.
    const bool sparse = field->HasState(TopicTable::kSparseState);
    qint32 sparseA = sparse ? table->GetIntValue(first, fieldId) : 0;
    qint32 sparseB = sparse ? table->GetIntValue(second, fieldId) : 0;
    const FieldValue valueA(*field, sparse ? reinterpret_cast<char*>(&sparseA) : const_cast<char*>(rowA) + field->Offset);
    const FieldValue valueB(*field, sparse ? reinterpret_cast<char*>(&sparseB) : const_cast<char*>(rowB) + field->Offset);
    if (field->ParentTopicID != 0) {
        // A reference sorts by what the referenced rows show: documents by
        // their short names, everything else by the full display text.
        const bool full = field->ParentTopicID != TopicId::Documents;
        const QString textA = d->m_db.FormatRowDisplay(field->ParentTopicID, valueA.GetInt(), full);
        const QString textB = d->m_db.FormatRowDisplay(field->ParentTopicID, valueB.GetInt(), full);
        result = textA.compare(textB, Qt::CaseInsensitive);
    } else {
        result = valueA.Compare(valueB);
    }
    if (result == 0)
        result = first < second ? -1 : first > second ? 1 : 0;
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

void CKorDoc::HandleCompareRows(CompareRowsNotifyInfo& info)
{
    info.comparison = CompareRowField(info.topic, info.fieldId, info.rowIdA, info.rowIdB);
    info.handled = true;
}

void CKorDoc::SetItemFieldValue(FieldValueNotifyInfo& info)
{
    FieldDescriptor field;
    if (!d->m_db.GetFieldDescriptor(info.topic, info.fieldId, field) || IsProtectedField(info.topic, field)
        || !FitsFieldType(field.Type, info.text))
        return;
    if (info.topic == TopicId::Codings && info.fieldId == CodingField::Weight) {
        bool ok = false;
        const int weight = info.text.trimmed().toInt(&ok);
        if (!ok || weight < 0 || weight > 100)
            return;
    }
    if (info.topic == TopicId::DictionaryCategories && info.fieldId == CategoryField::Name
        && FindCategoryByName(info.text) != 0)
        return;
    if (info.topic == TopicId::DictionaryEntries && info.fieldId == EntryField::Text
        && FindEntryInCategory(GetEntryCategory(info.itemId), info.text) != 0)
        return;
    RowBuffer row;
    if (!d->m_db.ReadRow(info.topic, info.itemId, row, false))
        return;
    // The store writes the file first and keeps the old value on failure.
    info.result = row.SetFieldText(info.fieldId, info.text);
}

void CKorDoc::HandleAddField(AddFieldNotifyInfo& info)
{
    info.result = d->m_db.AddField(info.topic, info.field);
    if (!info.result)
        return;
    d->m_db.GetFieldDescriptor(info.topic, info.field.ID, info.field);
    if (const qint32 list = VariableListOf(info.topic))
        AddVariableListRow(list, info.field);
}

void CKorDoc::HandleChangeFieldType(FieldTypeNotifyInfo& info)
{
    // Reloading the topic drops what only memory held: the activation bits
    // and the fields appended after loading. They are put back.
    QList<qint32> activated;
    if (info.topic == TopicId::Documents || info.topic == TopicId::Codes) {
        const qint32 stateField = info.topic == TopicId::Documents ? qint32(DocumentField::State)
                                                                   : qint32(CodeField::State);
        QList<qint32> keys;
        d->m_db.GetAllKeys(info.topic, keys);
        for (const qint32 key : std::as_const(keys)) {
            if (d->m_db.GetIntValue(info.topic, key, stateField) & ObjectState::Activated)
                activated.append(key);
        }
    }
    info.result = d->m_db.ChangeFieldType(info.topic, info.fieldId, info.newType);
    if (!info.result)
        return;
    RestoreMemoryOnlyFields(info.topic);
    RestoreActivationBits(info.topic, activated);

    const qint32 list = VariableListOf(info.topic);
    if (!list || d->m_db.GetRowCount(list) == 0)
        return;
    FieldDescriptor field;
    RowBuffer row;
    if (!d->m_db.GetFieldDescriptor(info.topic, info.fieldId, field) || !d->m_db.ReadRow(list, info.fieldId, row, false))
        return;
    const bool categorial = info.newType == FieldType::ShortText || info.newType == FieldType::Text
        || info.newType == FieldType::Boolean || info.newType == FieldType::LongText;
    FieldValue typeName;
    FieldValue categorialValue;
    if (row.GetFieldValue(VariableListField::TypeName, typeName))
        typeName.SetText(VariableTypeName(field.Type));
    if (row.GetFieldValue(VariableListField::Categorial, categorialValue))
        categorialValue.SetInt(categorial ? 1 : 0);
    FieldValue varType;
    if (row.GetFieldValue(VariableListField::VarType, varType))
        varType.SetInt(field.Type);
    row.Commit(false, false);
}

void CKorDoc::HandleDeleteField(DeleteFieldNotifyInfo& info)
{
    FieldDescriptor field;
    const bool fromCode = info.topic == TopicId::Documents
        && d->m_db.GetFieldDescriptor(info.topic, info.fieldId, field) && field.HasState(FieldState::FromCode);
    info.result = d->m_db.DeleteField(info.topic, info.fieldId);
    if (!info.result)
        return;
    // Only once the field is gone: the store may refuse the delete, and the
    // codes must keep their variable then.
    if (fromCode) {
        QList<qint32> codes;
        d->m_db.GetAllKeys(TopicId::Codes, codes);
        for (const qint32 code : std::as_const(codes)) {
            qint32 fieldOfCode = 0;
            if (d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Variable) == info.fieldId)
                fieldOfCode = CodeField::Variable;
            else if (d->m_db.GetIntValue(TopicId::Codes, code, CodeField::CatVariable) == info.fieldId)
                fieldOfCode = CodeField::CatVariable;
            if (!fieldOfCode)
                continue;
            RowBuffer row;
            FieldValue value;
            if (d->m_db.ReadRow(TopicId::Codes, code, row, false) && row.GetFieldValue(fieldOfCode, value)) {
                value.SetInt(0);
                row.Commit(false, false);
            }
        }
    }
    if (VariableListOf(info.topic) != 0)
        DeleteVariableListRow(info.fieldId, info.topic == TopicId::Codes);
}
