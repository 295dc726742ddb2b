#pragma once

#include "store/fielddescriptor.h"
#include "store/rowstore.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

class DataEngine;
class RowBuffer;
class TopicDatabase;

/// An entry of the lists of removed and changed objects that a deletion
/// fills; the three spare members stay 0.
struct ObjectRef {
    qint32 topic = 0;
    qint32 key = 0;
    qint32 spare1 = 0;
    qint32 spare2 = 0;
    qint32 spare3 = 0;

    bool operator==(const ObjectRef& other) const { return topic == other.topic && key == other.key; }
};

/// @short The field dictionary of one topic, in position order.
class FieldList {
public:
    int Count() const { return int(m_fields.size()); }
    void Append(const FieldDescriptor& field);
    bool Remove(int position);
    const FieldDescriptor* GetAt(int position) const;
    const FieldDescriptor* GetById(qint32 id) const;
    int PositionOf(qint32 id) const { return m_positions.value(id, -1); }
    /// The first field whose Name equals the name ignoring case.
    const FieldDescriptor* FindByName(const QString& name) const;
    QStringList GetNames() const;
    /// which: 0 Name, 1 DefaultValue, 2 Categorial (1 when the text's
    /// integer value is not 0).
    bool SetProperty(qint32 id, const QString& text, int which);
    bool SetState(qint32 id, qint32 state);
    /// Lowers the offsets of the fields from position on by bytes.
    void ShiftOffsets(int position, qint32 bytes);
    /// The id for a new user field: one above the greatest user field id
    /// this topic ever held, from 100000001 on.
    qint32 NextUserFieldId() const;
    qint32 GetIdHighWater() const { return m_idHighWater; }
    void SetIdHighWater(qint32 id) { m_idHighWater = qMax(m_idHighWater, id); }
    /// Positions of the fields of types 2 to 7 (those that may hold blobs).
    const QList<int>& ScanList() const { return m_scanList; }

private:
    void Rebuild();

    QList<FieldDescriptor> m_fields;
    QHash<qint32, int> m_positions;  // field id -> position
    QList<int> m_scanList;
    qint32 m_idHighWater = 0;  // greatest field id ever appended
};

/// @short All objects of one topic in memory: the field dictionary, the
/// rows packed at a fixed row size, an index by key, display templates and
/// the links to the topics that refer to it.
///
/// Rows keep the order in which they were added ("store order"). The key
/// index is sorted by key; each reference field (ParentTopicID set) has an
/// index from the parent key to its child rows, so the rows of a parent
/// cost the number of children. A removed row leaves a hole that the table
/// squeezes out once holes make up a quarter of the store, and never while
/// a transaction is open. Rows in the table never hold blobs.
///
/// With a listener (the data engine), every change that can be refused is
/// written to the file first and reaches memory only when that succeeded.
/// Inside a transaction of the owning database, every row change is
/// journaled so that a rollback restores memory as well.
class TopicTable {
public:
    static constexpr int kTemplateCount = 3;
    static constexpr qsizetype kDisplayUnits = 1023;  ///< longest display text
    /// Field state of an integer field that the table holds sparsely: only
    /// its non-zero values, beside the rows, 0 read elsewhere. Only memory
    /// tables (no listener) take them, after all other fields; a row buffer
    /// holds them after the row's own bytes. A rollback does not restore them.
    static constexpr qint32 kSparseState = 0x40000000;

    explicit TopicTable(qint32 topicId, TopicDatabase* owner = nullptr);
    ~TopicTable();
    TopicTable(const TopicTable&) = delete;
    TopicTable& operator=(const TopicTable&) = delete;

    qint32 GetTopicId() const { return m_topicId; }
    TopicDatabase* GetOwner() const { return m_owner; }
    const QString& GetName() const { return m_name; }
    const QString& GetSource() const { return m_source; }
    const QString& GetSortField() const { return m_sortField; }
    void SetName(const QString& name) { m_name = name; }
    void SetSource(const QString& source) { m_source = source; }
    void SetSortField(const QString& field) { m_sortField = field; }
    DataEngine* GetListener() const { return m_listener; }
    void SetListener(DataEngine* listener) { m_listener = listener; }
    const FieldList& Fields() const { return m_fields; }
    /// Raises the field-id mark; a new user field id is always above it.
    void SetFieldIdHighWater(qint32 id) { m_fields.SetIdHighWater(id); }
    /// The last failure's reason, where an operation gives one.
    QString LastError() const { return m_lastError; }

    /// Empties fields, rows, indexes, references and listener; the sort
    /// field and the templates stay until a load replaces them.
    void Reset();
    void ClearRows();

    /// Appends a field at the end of the rows, widening every row by the
    /// field's default image. A code this program does not know is refused
    /// and not kept; a memo takes no row bytes.
    bool AddField(const FieldDescriptor& field);
    /// Asks the listener, then cuts the field out of every row.
    bool DeleteField(qint32 fieldId);
    /// Asks the listener to change the type, then reloads the topic through
    /// it; the referring topics and high-water marks survive the reload.
    bool ChangeFieldType(qint32 fieldId, qint32 type);
    /// which: 0 name, 1 default value, 2 categorial; text cut to 63 units.
    /// With notify, the listener is asked first.
    bool SetFieldProperty(qint32 fieldId, const QString& text, int which, bool notify);
    /// Memory only.
    bool SetFieldState(qint32 fieldId, qint32 state);

    /// Adds a zero-filled row with the key (a negative key takes one above
    /// the greatest key the table ever held; a key that is present is
    /// refused), applies the default values in memory and attaches the
    /// buffer to it. The row reaches the file with its first commit, which
    /// writes every field.
    bool AddRow(RowBuffer& buffer, qint32 key);
    /// Appends the buffer's row as it is (loading); the expected count
    /// sizes the store once. Rows of a damaged file may repeat a key: the
    /// first in store order is the one found. The indexes are left to
    /// RebuildIndexes, called once after the last row.
    bool AppendRow(RowBuffer& buffer, qint32 expectedCount);
    /// Copies the row into the buffer; with load the listener fills its
    /// blobs. False, with the buffer untouched, when the key is absent.
    bool ReadRow(qint32 key, RowBuffer& buffer, bool load);
    /// A blob field of the row as the listener stores it (DataEngine::
    /// ReadStoredBlob); false when the key is absent or the listener cannot
    /// tell.
    bool ReadStoredBlob(qint32 key, qint32 fieldId, QByteArray& stored);
    /// Attaches the buffer to a zero-filled row of this table.
    void InitRowBuffer(RowBuffer& buffer);
    /// Writes the buffer through the listener, then into the table. A
    /// failed first commit of an added row removes that row again.
    bool CommitRow(RowBuffer& buffer, bool withBlobs, bool full);
    /// Copies the buffer's row into the table, memory only.
    bool WriteRowBack(RowBuffer& buffer);
    /// Sets one field of the buffer from text and writes that one value
    /// through the listener (or leaves that to the owner's commit while it
    /// holds field writes), then into the table row.
    bool SetFieldText(RowBuffer& buffer, qint32 fieldId, const QString& text);
    /// Deletes the row and, first, every row that refers to it, in one
    /// transaction of the owner: each is prepared, deleted from the file
    /// and then from memory, and listed in removed. All or nothing.
    bool DeleteRow(qint32 key, QList<ObjectRef>& removed, QList<ObjectRef>& changed);
    /// Deletes one row without its dependants.
    bool RemoveRow(qint32 key);
    /// Adds a row with the next key and gives the buffer a copy of the
    /// row's values and blobs; the caller commits it.
    bool DuplicateRow(qint32 key, RowBuffer& buffer);
    /// Sorts the key index and builds every parent index; loading appends
    /// rows without keeping them.
    void RebuildIndexes();

    qint32 GetRowCount() const { return m_liveCount; }
    qint32 GetRowSize() const { return m_rowSize; }
    /// The bytes of a row buffer: the row and the sparse fields after it.
    qint32 GetBufferSize() const { return m_rowSize + m_sparseBytes; }
    /// Writes the row's non-zero sparse values into a buffer row of
    /// GetBufferSize bytes (the rest stays as it is).
    void FillSparseValues(qint32 key, char* bufferRow) const;
    /// The greatest key present; 0 when empty.
    qint32 GetLastKey() const;
    bool HasKey(qint32 key) const { return FindSlot(key) >= 0; }
    qint32 GetKeyHighWater() const { return m_keyHighWater; }
    /// Raises the mark; a new key is always above it.
    void SetKeyHighWater(qint32 key) { m_keyHighWater = qMax(m_keyHighWater, key); }

    /// Keys of all rows in store order (list emptied first).
    void GetAllKeys(QList<qint32>& keys) const;
    /// Calls visit(key, row) for every row in store order, for whole-topic
    /// passes that must not pay a key lookup per row. The row bytes are
    /// valid during the call only; the table must not change meanwhile.
    template <typename Visit>
    void ForEachRow(Visit visit) const
    {
        for (qint32 slot = 0; slot < m_slotCount; ++slot) {
            if (!m_deadSlots.at(slot))
                visit(SlotKey(slot), SlotData(slot));
        }
    }
    /// Appends, in store order, the keys of the rows whose reference field
    /// to the parent topic holds the parent key; false when no field
    /// refers to that topic.
    bool FindKeysByParent(qint32 parentTopic, qint32 parentKey, QList<qint32>& keys) const;
    /// Calls visit(key, row) for each row FindKeysByParent would list, in
    /// the same order, without a key lookup per row; false when no field
    /// refers to that topic. The row bytes are valid during the call only;
    /// the table must not change meanwhile.
    template <typename Visit>
    bool ForEachRowOfParent(qint32 parentTopic, qint32 parentKey, Visit visit) const
    {
        const auto field = m_parentMap.constFind(parentTopic);
        if (field == m_parentMap.cend())
            return false;
        const auto index = m_parentIndexes.constFind(field.value());
        if (index == m_parentIndexes.cend())
            return true;
        const auto children = index->constFind(parentKey);
        if (children == index->cend())
            return true;
        for (const qint32 slot : children.value()) {
            // Dead slots wait here for the end of a batch of removals.
            if (!m_deadSlots.at(slot))
                visit(SlotKey(slot), SlotData(slot));
        }
        return true;
    }
    /// The key that the row refers to in the parent topic; 0 when none.
    qint32 GetParentKey(qint32 key, qint32 parentTopic) const;
    /// The integer value of a field of a row; 0 when absent.
    qint32 GetIntValue(qint32 key, qint32 fieldId) const;
    /// The non-empty display texts of the field over all rows with a key
    /// other than 0, each once, in ordinal order.
    bool GetDistinctValues(qint32 fieldId, QStringList* texts) const;
    void AddReferringTopic(qint32 topicId);
    const QList<qint32>& GetReferringTopics() const { return m_referringTopics; }
    int CountValueFields() const { return m_valueFieldCount; }

    /// Reads template which (1 short, 2 full, 3 annotation): tokens split
    /// at ";", "$<id>" a field, "&" a line feed, other characters literal.
    void ParseDisplayTemplate(const QString& text, int which);
    const QList<qint32>& GetTemplate(int which) const { return m_templates[qBound(1, which, 3) - 1]; }
    /// Appends the short or full display text of a row, keeping the buffer
    /// at most 1023 units. A "\\" that would come first is left out.
    void AppendTemplate(QString& buffer, const char* row, bool full) const;
    QString FormatAnnotation(const char* row) const;
    /// The row bytes of a key, or null.
    const char* RowOfKey(qint32 key) const;

private:
    friend class TopicDatabase;
    struct KeyEntry {
        qint32 key;
        qint32 slot;  // -1: removed
    };
    using ParentIndex = QHash<qint32, QList<qint32>>;  // parent key -> child slots, ascending

    char* SlotData(qint32 slot) { return m_rows.data() + qsizetype(slot) * m_rowSize; }
    const char* SlotData(qint32 slot) const { return m_rows.constData() + qsizetype(slot) * m_rowSize; }
    qint32 SlotKey(qint32 slot) const;
    qint32 FindSlot(qint32 key) const;
    void SortKeyIndex() const;
    /// A new slot at the end holding a copy of row, or zeros without one.
    qint32 NewSlot(const char* row = nullptr);
    void IndexInsert(qint32 key, qint32 slot);
    void IndexRemove(qint32 key, qint32 slot);
    void ParentIndexAdd(qint32 slot);
    void ParentIndexRemove(qint32 slot);
    /// Takes the dead slots whose removal from the parent indexes was put
    /// off out of them, each list in one pass.
    void FlushParentRemovals();
    /// Moves the slot to the parents that row (its new content) names.
    void ParentIndexMove(qint32 slot, const char* row);
    void BuildParentIndex(qint32 fieldId);
    void ReplaceSlot(qint32 slot, const char* row);
    /// Removes a row from memory (a hole until compaction); journaled.
    void KillSlot(qint32 slot);
    void MaybeCompact();
    void Compact();
    void ClearBlobSlots(char* row) const;
    bool InTransaction() const;
    void ApplyDefaults(RowBuffer& buffer) const;
    void UpdateParentMap();
    void DropFieldInMemory(int position);
    bool DeleteCascade(qint32 key, QList<ObjectRef>& removed, QList<ObjectRef>& changed,
                       QSet<QPair<qint32, qint32>>& deleting, int depth);
    void AppendTemplateAt(QString& buffer, qsizetype start, const char* row, bool full, int depth) const;
    QString AnnotationAt(const char* row, int depth) const;
    /// The row a reference field of a row points at, with its table; null
    /// when absent or when the chain is too deep.
    const char* ReferredRow(const FieldDescriptor& field, const char* row, int depth, const TopicTable*& parent) const;
    bool Fail(const QString& reason);

    // Journal undo, called by the owner on rollback.
    void DropSlot(qint32 slot);
    void UndoChange(qint32 slot, const QByteArray& row);
    void UndoRemove(qint32 slot);

    TopicDatabase* m_owner;
    qint32 m_topicId;
    QString m_name;
    QString m_source;
    QString m_sortField;
    FieldList m_fields;

    RowStore m_rows;            // slots of m_rowSize bytes
    qint32 m_rowSize = 0;
    qint32 m_slotCount = 0;
    qint32 m_liveCount = 0;
    QList<bool> m_deadSlots;     // per slot: removed, awaiting compaction
    mutable QList<KeyEntry> m_keyIndex;  // by key, then store order
    mutable bool m_keyIndexSorted = true;
    QHash<qint32, ParentIndex> m_parentIndexes;  // reference field id -> index

    DataEngine* m_listener = nullptr;
    QList<qint32> m_templates[kTemplateCount];
    QHash<qint32, qint32> m_parentMap;  // referred topic -> field id
    QList<qint32> m_referringTopics;
    int m_valueFieldCount = 0;
    qint32 m_keyHighWater = 0;
    QSet<qint32> m_pendingNew;  // added, not yet written to the listener
    // Slots removed while the owner batches removals: still in the parent
    // lists (which then hold dead slots) until FlushParentRemovals.
    std::vector<qint32> m_parentRemovals;
    QList<qint32> m_levelSlotStart;  // slot count when each open transaction level began
    QString m_lastError;
    // The sparse fields: their bytes in a row buffer, and per row key the
    // (field id, value) pairs that are not 0.
    qint32 m_sparseBytes = 0;
    QHash<qint32, QList<std::pair<qint32, qint32>>> m_sparseValues;
    /// Keeps the buffer row's non-zero sparse values as the row's.
    void StoreSparseValues(qint32 key, const char* bufferRow);
    bool IsSparse(const FieldDescriptor& field) const { return field.HasState(kSparseState); }
};
