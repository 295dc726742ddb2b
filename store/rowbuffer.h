#pragma once

#include <QByteArray>
#include <QVariant>
#include <QList>
#include <QString>

class FieldValue;
class TopicTable;

/// @short A private copy of one row of a topic table: the only way to read
/// or change a row. It is edited through the field values it hands out and
/// then committed (file first, memory on success), written back (memory
/// only) or released.
///
/// The buffer owns the blobs of its row. A blob slot in the row holds 0
/// when the blob is not loaded, else its number in the buffer's blob list;
/// slots never travel with a row into the table or another buffer.
class RowBuffer {
public:
    RowBuffer() = default;
    ~RowBuffer() { Release(); }
    RowBuffer(const RowBuffer&) = delete;
    RowBuffer& operator=(const RowBuffer&) = delete;

    /// Clears all members, releasing what the buffer held.
    void Init() { Release(); }
    /// True unless both a table and a row are set.
    bool IsEmpty() const { return !m_table || m_row.isEmpty(); }
    qint32 GetKey() const { return m_key; }
    TopicTable* GetTable() const { return m_table; }

    /// Holds a copy of the source row of the table (zeros when none); the
    /// block is reused when it is large enough; the blobs it held are freed.
    void Attach(TopicTable* table, const char* sourceRow);
    /// Takes the kept key from the row's first field.
    void SyncKey();

    bool GetFieldValue(qint32 fieldId, FieldValue& value);
    bool GetFieldValueByIndex(int position, FieldValue& value);
    int GetFieldCount() const;
    /// Sets the field from text and writes it through (TopicTable::SetFieldText).
    bool SetFieldText(qint32 fieldId, const QString& text);

    /// Commits the row; on success the buffer is released.
    bool Commit(bool withBlobs, bool full);
    /// Writes the row into the table only; on success the buffer is released.
    bool WriteBack();
    void Release();

    /// The table's database table name and key column; empty without table.
    QString GetTableSource() const;
    QString GetKeyColumn() const;
    /// Short or full display text, at most 1023 units.
    QString FormatTemplate(bool full) const;
    QString FormatAnnotation() const;

    const char* RowData() const { return m_row.constData(); }
    char* RowData() { return m_row.data(); }

    /// The blob of a slot value, or null when not loaded.
    const QByteArray* BlobOfSlot(qint32 slot) const;
    /// Stores a blob in the slot (a new one when 0), dropping any external
    /// reference of the slot; returns the slot value.
    qint32 StoreBlob(qint32 slot, const QByteArray& bytes);
    /// The blob's stored form when it came made ahead (StoreBlob drops it),
    /// else null.
    const QVariant* StoredFormOfSlot(qint32 slot) const;
    void SetStoredFormOfSlot(qint32 slot, const QVariant& stored);
    /// The stored reference of a blob read from an external file, or null.
    const QByteArray* ReferenceOfSlot(qint32 slot) const;
    void SetReferenceOfSlot(qint32 slot, const QByteArray& reference);

private:
    TopicTable* m_table = nullptr;
    QByteArray m_row;
    qint32 m_key = 0;
    QList<QByteArray> m_blobs;
    QList<QByteArray> m_references;  // per blob; empty when the blob is its own value
    QList<QVariant> m_storedForms;   // per blob; invalid when not made ahead
};
