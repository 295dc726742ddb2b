#include "store/rowbuffer.h"

#include "store/fieldvalue.h"
#include "store/topictable.h"

#include <cstring>

void RowBuffer::Attach(TopicTable* table, const char* sourceRow)
{
    m_blobs.clear();
    m_references.clear();
    m_storedForms.clear();
    m_table = table;
    const qsizetype size = table ? table->GetRowSize() : 0;
    // resize keeps the block when it is large enough.
    m_row.resize(table ? table->GetBufferSize() : 0);
    if (sourceRow) {
        std::memcpy(m_row.data(), sourceRow, size_t(size));
        // The sparse fields follow the row: 0 unless the table holds a value.
        std::memset(m_row.data() + size, 0, size_t(m_row.size() - size));
    } else {
        m_row.fill('\0');
    }
    // Blob numbers of another buffer mean nothing here.
    for (int position : table ? table->Fields().ScanList() : QList<int>()) {
        const FieldDescriptor* field = table->Fields().GetAt(position);
        if (field->Type == FieldType::Blob)
            std::memset(m_row.data() + field->Offset, 0, sizeof(qint32));
    }
    SyncKey();
    if (sourceRow && m_row.size() > size)
        table->FillSparseValues(m_key, m_row.data());
}

void RowBuffer::SyncKey()
{
    m_key = 0;
    if (m_row.size() >= qsizetype(sizeof m_key))
        std::memcpy(&m_key, m_row.constData(), sizeof m_key);
}

bool RowBuffer::GetFieldValue(qint32 fieldId, FieldValue& value)
{
    return m_table && GetFieldValueByIndex(m_table->Fields().PositionOf(fieldId), value);
}

bool RowBuffer::GetFieldValueByIndex(int position, FieldValue& value)
{
    const FieldDescriptor* field = m_table ? m_table->Fields().GetAt(position) : nullptr;
    if (!field || m_row.size() < field->Offset + field->Size)
        return false;
    value = FieldValue(*field, m_row.data() + field->Offset, this);
    return true;
}

int RowBuffer::GetFieldCount() const
{
    return m_table ? m_table->Fields().Count() : 0;
}

bool RowBuffer::SetFieldText(qint32 fieldId, const QString& text)
{
    return m_table && m_table->SetFieldText(*this, fieldId, text);
}

bool RowBuffer::Commit(bool withBlobs, bool full)
{
    if (!m_table || !m_table->CommitRow(*this, withBlobs, full))
        return false;
    Release();
    return true;
}

bool RowBuffer::WriteBack()
{
    if (!m_table || !m_table->WriteRowBack(*this))
        return false;
    Release();
    return true;
}

void RowBuffer::Release()
{
    m_blobs.clear();
    m_references.clear();
    m_storedForms.clear();
    m_row = QByteArray();
    m_table = nullptr;
    m_key = 0;
}

QString RowBuffer::GetTableSource() const
{
    return m_table ? m_table->GetSource() : QString();
}

QString RowBuffer::GetKeyColumn() const
{
    const FieldDescriptor* key = m_table ? m_table->Fields().GetById(0) : nullptr;
    return key ? key->Source : QString();
}

QString RowBuffer::FormatTemplate(bool full) const
{
    QString text;
    if (!IsEmpty())
        m_table->AppendTemplate(text, m_row.constData(), full);
    return text;
}

QString RowBuffer::FormatAnnotation() const
{
    return IsEmpty() ? QString() : m_table->FormatAnnotation(m_row.constData());
}

const QByteArray* RowBuffer::BlobOfSlot(qint32 slot) const
{
    return slot > 0 && slot <= m_blobs.size() ? &m_blobs.at(slot - 1) : nullptr;
}

qint32 RowBuffer::StoreBlob(qint32 slot, const QByteArray& bytes)
{
    if (slot > 0 && slot <= m_blobs.size()) {
        m_blobs[slot - 1] = bytes;
        m_references[slot - 1].clear();
        m_storedForms[slot - 1] = QVariant();
        return slot;
    }
    m_blobs.append(bytes);
    m_references.append(QByteArray());
    m_storedForms.append(QVariant());
    return qint32(m_blobs.size());
}

const QVariant* RowBuffer::StoredFormOfSlot(qint32 slot) const
{
    const bool has = slot > 0 && slot <= m_storedForms.size() && m_storedForms.at(slot - 1).isValid();
    return has ? &m_storedForms.at(slot - 1) : nullptr;
}

void RowBuffer::SetStoredFormOfSlot(qint32 slot, const QVariant& stored)
{
    if (slot > 0 && slot <= m_storedForms.size())
        m_storedForms[slot - 1] = stored;
}

const QByteArray* RowBuffer::ReferenceOfSlot(qint32 slot) const
{
    const bool has = slot > 0 && slot <= m_references.size() && !m_references.at(slot - 1).isEmpty();
    return has ? &m_references.at(slot - 1) : nullptr;
}

void RowBuffer::SetReferenceOfSlot(qint32 slot, const QByteArray& reference)
{
    if (slot > 0 && slot <= m_references.size())
        m_references[slot - 1] = reference;
}
