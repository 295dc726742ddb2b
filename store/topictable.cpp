#include "store/topictable.h"

#include "foundation/filehelpers.h"
#include "store/dataengine.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Reference chains (parent codes, dependants of dependants) are followed at
// most this deep, so that a cycle or a runaway chain in a damaged file ends.
constexpr int kMaxReferenceDepth = 256;

qint32 ReadInt(const char* p)
{
    qint32 value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

void WriteInt(char* p, qint32 value)
{
    std::memcpy(p, &value, sizeof value);
}

// Parent indexes: child slots of a parent key, ascending.
void AddChild(QHash<qint32, QList<qint32>>& index, qint32 parentKey, qint32 slot)
{
    QList<qint32>& children = index[parentKey];
    if (children.isEmpty() || children.last() < slot) {
        children.append(slot);
        return;
    }
    // A slot brought back while its removal was put off is there still.
    const auto position = std::lower_bound(children.begin(), children.end(), slot);
    if (position == children.end() || *position != slot)
        children.insert(position, slot);
}

void RemoveChild(QHash<qint32, QList<qint32>>& index, qint32 parentKey, qint32 slot)
{
    auto children = index.find(parentKey);
    if (children == index.end())
        return;
    auto position = std::lower_bound(children->begin(), children->end(), slot);
    if (position != children->end() && *position == slot)
        children->erase(position);
    if (children->isEmpty())
        index.erase(children);
}

void AppendCut(QString& buffer, const QString& text)
{
    const qsizetype room = TopicTable::kDisplayUnits - buffer.size();
    if (room > 0)
        buffer += CutToUnits(text, room);
}

}  // namespace

// ---------------------------------------------------------------------------
// FieldList

void FieldList::Rebuild()
{
    m_positions.clear();
    m_scanList.clear();
    for (int i = 0; i < m_fields.size(); ++i) {
        m_positions.insert(m_fields.at(i).ID, i);
        if (m_fields.at(i).Type & 6)
            m_scanList.append(i);
    }
}

void FieldList::Append(const FieldDescriptor& field)
{
    m_fields.append(field);
    m_positions.insert(field.ID, int(m_fields.size() - 1));
    if (field.Type & 6)
        m_scanList.append(int(m_fields.size() - 1));
    m_idHighWater = qMax(m_idHighWater, field.ID);
}

bool FieldList::Remove(int position)
{
    if (position < 0 || position >= m_fields.size())
        return false;
    m_fields.removeAt(position);
    Rebuild();
    return true;
}

const FieldDescriptor* FieldList::GetAt(int position) const
{
    return position >= 0 && position < m_fields.size() ? &m_fields.at(position) : nullptr;
}

const FieldDescriptor* FieldList::GetById(qint32 id) const
{
    return GetAt(PositionOf(id));
}

const FieldDescriptor* FieldList::FindByName(const QString& name) const
{
    for (const FieldDescriptor& field : m_fields) {
        if (field.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}

QStringList FieldList::GetNames() const
{
    QStringList names;
    for (const FieldDescriptor& field : m_fields)
        names.append(field.Name);
    return names;
}

bool FieldList::SetProperty(qint32 id, const QString& text, int which)
{
    const int position = PositionOf(id);
    if (position < 0)
        return false;
    FieldDescriptor& field = m_fields[position];
    switch (which) {
    case 0: field.Name = CutToUnits(text, FieldDescriptor::kNameUnits); return true;
    case 1: field.DefaultValue = CutToUnits(text, FieldDescriptor::kDefaultUnits); return true;
    case 2: field.Categorial = ReadLeadingInt(text) != 0 ? 1 : 0; return true;
    default: return false;
    }
}

bool FieldList::SetState(qint32 id, qint32 state)
{
    const int position = PositionOf(id);
    if (position < 0)
        return false;
    m_fields[position].State = state;
    return true;
}

void FieldList::ShiftOffsets(int position, qint32 bytes)
{
    for (int i = position; i < m_fields.size(); ++i)
        m_fields[i].Offset -= bytes;
}

qint32 FieldList::NextUserFieldId() const
{
    qint32 greatest = m_idHighWater;
    for (const FieldDescriptor& field : m_fields)
        greatest = qMax(greatest, field.ID);
    if (greatest >= FieldDescriptor::kFirstUserFieldId - 1 && greatest < std::numeric_limits<qint32>::max())
        return greatest + 1;
    return FieldDescriptor::kFirstUserFieldId;
}

// ---------------------------------------------------------------------------
// TopicTable: setup and fields

TopicTable::TopicTable(qint32 topicId, TopicDatabase* owner) : m_owner(owner), m_topicId(topicId)
{
}

TopicTable::~TopicTable() = default;

bool TopicTable::Fail(const QString& reason)
{
    m_lastError = reason;
    return false;
}

bool TopicTable::InTransaction() const
{
    return m_owner && m_owner->InTransaction();
}

void TopicTable::Reset()
{
    m_fields = FieldList();
    ClearRows();
    m_rowSize = 0;
    m_sparseBytes = 0;
    m_parentIndexes.clear();
    m_parentMap.clear();
    m_referringTopics.clear();
    m_valueFieldCount = 0;
    m_listener = nullptr;
    m_name.clear();
    m_source.clear();
    m_keyHighWater = 0;
    m_lastError.clear();
}

void TopicTable::ClearRows()
{
    m_rows.clear();
    m_slotCount = 0;
    m_liveCount = 0;
    m_deadSlots.clear();
    m_keyIndex.clear();
    m_keyIndexSorted = true;
    for (ParentIndex& index : m_parentIndexes)
        index.clear();
    m_parentRemovals.clear();
    m_pendingNew.clear();
    m_sparseValues.clear();
}

bool TopicTable::AddField(const FieldDescriptor& descriptor)
{
    m_lastError.clear();
    if (!FieldDescriptor::IsKnownType(descriptor.Type))
        return Fail(QStringLiteral("Field \"%1\" of topic %2 has the unknown type %3.")
                        .arg(descriptor.Name)
                        .arg(m_topicId)
                        .arg(descriptor.Type));
    if (m_fields.PositionOf(descriptor.ID) >= 0)
        return Fail(QStringLiteral("Topic %1 has a field %2 already.").arg(m_topicId).arg(descriptor.ID));
    FieldDescriptor field = descriptor;
    field.Size = FieldDescriptor::SizeOfType(field.Type);
    field.Offset = m_rowSize;
    if (IsSparse(field)) {
        if (field.Type != FieldType::Integer || m_listener)
            return Fail(QStringLiteral("Field \"%1\" of topic %2 cannot be held sparsely.").arg(field.Name).arg(m_topicId));
        field.Offset = m_rowSize + m_sparseBytes;
        m_fields.Append(field);
        m_sparseBytes += field.Size;
        return true;
    }
    if (m_sparseBytes > 0 && field.Size > 0)
        return Fail(QStringLiteral("Topic %1 takes no field after its sparse fields.").arg(m_topicId));
    const int position = m_fields.Count();
    m_fields.Append(field);
    const bool journaled = InTransaction();
    if (journaled)
        m_owner->JournalFieldAdded(this, field.ID);
    if (field.Size == 0)
        return true;  // a memo lives in its column only

    QByteArray defaults;
    field.BuildDefaultBytes(defaults);
    if (m_slotCount > 0) {
        const qint32 newSize = m_rowSize + field.Size;
        RowStore rows;
        rows.reserve(qsizetype(m_slotCount) * newSize);
        for (qint32 slot = 0; slot < m_slotCount; ++slot) {
            rows.append(SlotData(slot), m_rowSize);
            rows.append(defaults.constData(), defaults.size());
        }
        m_rows = std::move(rows);
    }
    m_rowSize += field.Size;

    if (field.ParentTopicID != 0) {
        BuildParentIndex(field.ID);
        UpdateParentMap();
        if (m_owner)
            m_owner->AddReferringTopic(field.ParentTopicID, m_topicId);
    }
    if (field.HasState(FieldState::ValueTable)) {
        ++m_valueFieldCount;
        if (m_liveCount == 0)
            return true;
        // The new default goes into the value table for every object.
        StoreTransaction transaction(m_owner);
        bool ok = transaction.IsActive();
        for (qint32 slot = 0; ok && slot < m_slotCount; ++slot) {
            if (m_deadSlots.at(slot))
                continue;
            RowBuffer buffer;
            buffer.Attach(this, SlotData(slot));
            ok = CommitRow(buffer, false, true);
        }
        if (!ok || !transaction.Commit()) {
            // Undo the rows in the layout they were written in, then narrow.
            transaction.Rollback();
            if (!journaled)  // else the enclosing rollback narrows
                DropFieldInMemory(position);
            return Fail(QStringLiteral("The default of field \"%1\" could not be written.").arg(field.Name));
        }
    }
    return true;
}

void TopicTable::DropFieldInMemory(int position)
{
    const FieldDescriptor field = *m_fields.GetAt(position);
    if (IsSparse(field)) {
        for (auto& values : m_sparseValues)
            values.removeIf([&field](const std::pair<qint32, qint32>& value) { return value.first == field.ID; });
        m_fields.Remove(position);
        m_fields.ShiftOffsets(position, field.Size);
        m_sparseBytes -= field.Size;
        return;
    }
    if (field.Size > 0 && m_slotCount > 0) {
        const qint32 newSize = m_rowSize - field.Size;
        RowStore rows;
        rows.reserve(qsizetype(m_slotCount) * newSize);
        for (qint32 slot = 0; slot < m_slotCount; ++slot) {
            const char* row = SlotData(slot);
            rows.append(row, field.Offset);
            rows.append(row + field.Offset + field.Size, m_rowSize - field.Offset - field.Size);
        }
        m_rows = std::move(rows);
    }
    m_rowSize -= field.Size;
    m_fields.Remove(position);
    m_fields.ShiftOffsets(position, field.Size);
    if (field.HasState(FieldState::ValueTable))
        --m_valueFieldCount;
    m_parentIndexes.remove(field.ID);
    UpdateParentMap();
}

void TopicTable::UpdateParentMap()
{
    // When two fields refer to the same topic, the one added last wins.
    m_parentMap.clear();
    for (int i = 0; i < m_fields.Count(); ++i) {
        const FieldDescriptor* field = m_fields.GetAt(i);
        if (field->ParentTopicID != 0)
            m_parentMap.insert(field->ParentTopicID, field->ID);
    }
}

bool TopicTable::DeleteField(qint32 fieldId)
{
    m_lastError.clear();
    const int position = m_fields.PositionOf(fieldId);
    if (position < 0)
        return Fail(QStringLiteral("Topic %1 has no field %2.").arg(m_topicId).arg(fieldId));
    if (InTransaction())
        return Fail(QStringLiteral("Fields cannot change inside a transaction."));
    if (m_listener && !m_listener->DeleteField(*this, *m_fields.GetAt(position)))
        return Fail(QStringLiteral("The field could not be deleted from the project file."));
    DropFieldInMemory(position);
    return true;
}

bool TopicTable::ChangeFieldType(qint32 fieldId, qint32 type)
{
    m_lastError.clear();
    if (const FieldDescriptor* field = m_fields.GetById(fieldId); field && IsSparse(*field))
        return Fail(QStringLiteral("A sparse field keeps its type."));
    if (!m_listener || m_fields.PositionOf(fieldId) < 0)
        return Fail(QStringLiteral("Topic %1 has no field %2 to change.").arg(m_topicId).arg(fieldId));
    if (!FieldDescriptor::IsKnownType(type))
        return Fail(QStringLiteral("%1 is not a field type.").arg(type));
    if (InTransaction())
        return Fail(QStringLiteral("Fields cannot change inside a transaction."));
    DataEngine* listener = m_listener;
    if (!listener->SetFieldType(m_topicId, fieldId, type))
        return Fail(QStringLiteral("The field type could not be changed in the project file."));

    // The reload brings the new type, size and offsets; what the load
    // cannot know (who refers to this topic, which keys and field ids were
    // ever given) is carried over.
    const QList<qint32> referring = m_referringTopics;
    const qint32 keyHighWater = m_keyHighWater;
    const qint32 fieldIdHighWater = m_fields.GetIdHighWater();
    Reset();
    const bool loaded = listener->LoadTopic(*this);
    for (qint32 topic : referring)
        AddReferringTopic(topic);
    SetKeyHighWater(keyHighWater);
    m_fields.SetIdHighWater(fieldIdHighWater);
    return loaded || Fail(QStringLiteral("Topic %1 could not be loaded again.").arg(m_topicId));
}

bool TopicTable::SetFieldProperty(qint32 fieldId, const QString& input, int which, bool notify)
{
    if (m_fields.PositionOf(fieldId) < 0 || which < 0 || which > 2)
        return false;
    const QString text = CutToUnits(input, FieldDescriptor::kNameUnits);
    if (notify && m_listener && !m_listener->SetFieldProperties(m_topicId, fieldId, text, which))
        return false;
    return m_fields.SetProperty(fieldId, text, which);
}

bool TopicTable::SetFieldState(qint32 fieldId, qint32 state)
{
    const FieldDescriptor* field = m_fields.GetById(fieldId);
    if (!field)
        return false;
    m_valueFieldCount += ((state & FieldState::ValueTable) ? 1 : 0) - (field->HasState(FieldState::ValueTable) ? 1 : 0);
    return m_fields.SetState(fieldId, state);
}

// ---------------------------------------------------------------------------
// Row store and indexes

qint32 TopicTable::SlotKey(qint32 slot) const
{
    return m_rowSize >= 4 ? ReadInt(SlotData(slot)) : 0;
}

qint32 TopicTable::FindSlot(qint32 key) const
{
    SortKeyIndex();
    auto it = std::lower_bound(m_keyIndex.cbegin(), m_keyIndex.cend(), key,
                               [](const KeyEntry& entry, qint32 k) { return entry.key < k; });
    for (; it != m_keyIndex.cend() && it->key == key; ++it) {
        if (it->slot >= 0)
            return it->slot;
    }
    return -1;
}

const char* TopicTable::RowOfKey(qint32 key) const
{
    const qint32 slot = FindSlot(key);
    return slot >= 0 ? SlotData(slot) : nullptr;
}

qint32 TopicTable::GetLastKey() const
{
    SortKeyIndex();
    for (auto it = m_keyIndex.crbegin(); it != m_keyIndex.crend(); ++it) {
        if (it->slot >= 0)
            return it->key;
    }
    return 0;
}

void TopicTable::RebuildIndexes()
{
    m_parentRemovals.clear();
    m_keyIndexSorted = false;
    SortKeyIndex();
    for (auto it = m_parentIndexes.begin(); it != m_parentIndexes.end(); ++it)
        BuildParentIndex(it.key());
}

void TopicTable::SortKeyIndex() const
{
    if (m_keyIndexSorted)
        return;
    m_keyIndex.removeIf([](const KeyEntry& entry) { return entry.slot < 0; });
    std::stable_sort(m_keyIndex.begin(), m_keyIndex.end(), [](const KeyEntry& a, const KeyEntry& b) {
        return a.key < b.key || (a.key == b.key && a.slot < b.slot);
    });
    m_keyIndexSorted = true;
}

qint32 TopicTable::NewSlot(const char* row)
{
    // The store grows by half: appends stay cheap and the spare room
    // below half the store.
    if (row)
        m_rows.append(row, m_rowSize);
    else
        m_rows.appendZeros(m_rowSize);
    m_deadSlots.append(false);
    ++m_liveCount;
    return m_slotCount++;
}

void TopicTable::IndexInsert(qint32 key, qint32 slot)
{
    // Keys mostly arrive ascending; an equal key goes behind the others.
    if (m_keyIndexSorted && (m_keyIndex.isEmpty() || m_keyIndex.last().key <= key)) {
        m_keyIndex.append({key, slot});
        return;
    }
    SortKeyIndex();
    auto it = std::upper_bound(m_keyIndex.begin(), m_keyIndex.end(), key,
                               [](qint32 k, const KeyEntry& entry) { return k < entry.key; });
    m_keyIndex.insert(it, {key, slot});
}

void TopicTable::IndexRemove(qint32 key, qint32 slot)
{
    SortKeyIndex();
    auto it = std::lower_bound(m_keyIndex.begin(), m_keyIndex.end(), key,
                               [](const KeyEntry& entry, qint32 k) { return entry.key < k; });
    for (; it != m_keyIndex.end() && it->key == key; ++it) {
        if (it->slot == slot) {
            it->slot = -1;
            return;
        }
    }
}

void TopicTable::ParentIndexAdd(qint32 slot)
{
    for (auto it = m_parentIndexes.begin(); it != m_parentIndexes.end(); ++it)
        AddChild(*it, ReadInt(SlotData(slot) + m_fields.GetById(it.key())->Offset), slot);
}

void TopicTable::ParentIndexRemove(qint32 slot)
{
    // Erasing from a long list shifts the rest of it: removals of one batch
    // leave each list in one pass at the end.
    if (m_owner && m_owner->BatchesRemovals()) {
        if (!m_parentIndexes.isEmpty())
            m_parentRemovals.push_back(slot);
        return;
    }
    for (auto it = m_parentIndexes.begin(); it != m_parentIndexes.end(); ++it)
        RemoveChild(*it, ReadInt(SlotData(slot) + m_fields.GetById(it.key())->Offset), slot);
}

void TopicTable::FlushParentRemovals()
{
    if (m_parentRemovals.empty())
        return;
    std::vector<qint32> removed = std::exchange(m_parentRemovals, {});
    std::sort(removed.begin(), removed.end());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    // A slot brought back meanwhile (a rollback) stays.
    std::erase_if(removed, [this](qint32 slot) { return !m_deadSlots.at(slot); });
    const auto isRemoved = [&removed](qint32 slot) { return std::binary_search(removed.begin(), removed.end(), slot); };
    for (auto it = m_parentIndexes.begin(); it != m_parentIndexes.end(); ++it) {
        const qint32 offset = m_fields.GetById(it.key())->Offset;
        QSet<qint32> parents;
        for (const qint32 slot : removed)
            parents.insert(ReadInt(SlotData(slot) + offset));
        for (const qint32 parent : std::as_const(parents)) {
            const auto children = it->find(parent);
            if (children == it->end())
                continue;
            children->removeIf(isRemoved);
            if (children->isEmpty())
                it->erase(children);
        }
    }
}

void TopicTable::ParentIndexMove(qint32 slot, const char* row)
{
    // Only references that change are touched: one parent (often 0) may
    // hold most rows of the table, and its list shifts on every edit.
    for (auto it = m_parentIndexes.begin(); it != m_parentIndexes.end(); ++it) {
        const qint32 offset = m_fields.GetById(it.key())->Offset;
        const qint32 from = ReadInt(SlotData(slot) + offset);
        const qint32 to = ReadInt(row + offset);
        if (from != to) {
            RemoveChild(*it, from, slot);
            AddChild(*it, to, slot);
        }
    }
}

void TopicTable::BuildParentIndex(qint32 fieldId)
{
    const qint32 offset = m_fields.GetById(fieldId)->Offset;
    ParentIndex& index = m_parentIndexes[fieldId];
    index.clear();
    // Rows of one parent mostly lie together: the list found last is
    // reused until the parent changes.
    QList<qint32>* children = nullptr;
    qint32 parent = 0;
    for (qint32 slot = 0; slot < m_slotCount; ++slot) {
        if (m_deadSlots.at(slot))
            continue;
        const qint32 key = ReadInt(SlotData(slot) + offset);
        if (!children || key != parent) {
            children = &index[key];
            parent = key;
        }
        children->append(slot);
    }
}

void TopicTable::ClearBlobSlots(char* row) const
{
    for (int position : m_fields.ScanList()) {
        const FieldDescriptor* field = m_fields.GetAt(position);
        if (field->Type == FieldType::Blob)
            WriteInt(row + field->Offset, 0);
    }
}

void TopicTable::ReplaceSlot(qint32 slot, const char* row)
{
    char* target = SlotData(slot);
    if (m_owner)
        m_owner->Journal(TopicDatabase::Change::Changed, this, slot, target);
    const qint32 key = ReadInt(target);
    ParentIndexMove(slot, row);
    std::memmove(target, row, size_t(m_rowSize));
    WriteInt(target, key);  // the key of a stored row never changes
    ClearBlobSlots(target);
}

void TopicTable::KillSlot(qint32 slot)
{
    if (m_owner)
        m_owner->Journal(TopicDatabase::Change::Removed, this, slot);
    DropSlot(slot);
}

void TopicTable::DropSlot(qint32 slot)
{
    IndexRemove(SlotKey(slot), slot);
    ParentIndexRemove(slot);
    m_deadSlots[slot] = true;
    --m_liveCount;
    m_pendingNew.remove(SlotKey(slot));
    m_sparseValues.remove(SlotKey(slot));
}

void TopicTable::UndoChange(qint32 slot, const QByteArray& row)
{
    ParentIndexMove(slot, row.constData());
    std::memcpy(SlotData(slot), row.constData(), size_t(m_rowSize));
}

void TopicTable::UndoRemove(qint32 slot)
{
    m_deadSlots[slot] = false;
    ++m_liveCount;
    IndexInsert(SlotKey(slot), slot);
    ParentIndexAdd(slot);
}

void TopicTable::MaybeCompact()
{
    const qint32 dead = m_slotCount - m_liveCount;
    if (!InTransaction() && dead > 0 && (m_liveCount == 0 || dead * 4 >= m_slotCount))
        Compact();
}

void TopicTable::Compact()
{
    FlushParentRemovals();
    SortKeyIndex();
    QList<qint32> newSlot(m_slotCount, -1);
    RowStore rows;
    rows.reserve(qsizetype(m_liveCount) * m_rowSize);
    qint32 next = 0;
    for (qint32 slot = 0; slot < m_slotCount; ++slot) {
        if (m_deadSlots.at(slot))
            continue;
        rows.append(SlotData(slot), m_rowSize);
        newSlot[slot] = next++;
    }
    m_rows = std::move(rows);
    m_slotCount = next;
    m_deadSlots = QList<bool>(next, false);
    // Renumbering keeps the order, so both indexes stay sorted.
    QList<KeyEntry> index;
    index.reserve(next);
    for (const KeyEntry& entry : std::as_const(m_keyIndex)) {
        if (entry.slot >= 0)
            index.append({entry.key, newSlot.at(entry.slot)});
    }
    m_keyIndex = index;
    for (ParentIndex& parents : m_parentIndexes) {
        for (QList<qint32>& children : parents) {
            for (qint32& slot : children)
                slot = newSlot.at(slot);
        }
    }
}

// ---------------------------------------------------------------------------
// Rows

void TopicTable::ApplyDefaults(RowBuffer& buffer) const
{
    for (int position = 1; position < m_fields.Count(); ++position) {
        const FieldDescriptor* field = m_fields.GetAt(position);
        if (field->DefaultValue.isEmpty() || field->Type == FieldType::Blob)
            continue;
        FieldValue value;
        if (buffer.GetFieldValueByIndex(position, value))
            value.Parse(field->DefaultValue);
    }
}

bool TopicTable::AddRow(RowBuffer& buffer, qint32 key)
{
    m_lastError.clear();
    if (m_rowSize < 4)
        return Fail(QStringLiteral("Topic %1 has no key field.").arg(m_topicId));
    // Two rows with one key would be committed over each other.
    if (key >= 0 && FindSlot(key) >= 0)
        return Fail(QStringLiteral("Topic %1 has a row %2 already.").arg(m_topicId).arg(key));
    if (key < 0) {
        const qint32 greatest = qMax(GetLastKey(), m_keyHighWater);
        if (greatest == std::numeric_limits<qint32>::max())
            return Fail(QStringLiteral("Topic %1 has no key left.").arg(m_topicId));
        key = greatest + 1;
    }
    const qint32 slot = NewSlot();
    WriteInt(SlotData(slot), key);
    buffer.Attach(this, SlotData(slot));
    ApplyDefaults(buffer);
    std::memcpy(SlotData(slot), buffer.RowData(), size_t(m_rowSize));
    ClearBlobSlots(SlotData(slot));
    WriteInt(SlotData(slot), key);
    IndexInsert(key, slot);
    ParentIndexAdd(slot);
    SetKeyHighWater(key);
    if (m_owner)
        m_owner->Journal(TopicDatabase::Change::Added, this, slot);
    if (m_listener)
        m_pendingNew.insert(key);
    return true;
}

bool TopicTable::AppendRow(RowBuffer& buffer, qint32 expectedCount)
{
    if (buffer.GetTable() != this || m_rowSize < 4)
        return false;
    if (expectedCount > m_slotCount && m_rows.capacity() < qsizetype(expectedCount) * m_rowSize)
        m_rows.reserve(qsizetype(expectedCount) * m_rowSize);
    const qint32 slot = NewSlot(buffer.RowData());
    ClearBlobSlots(SlotData(slot));
    buffer.SyncKey();
    const qint32 key = buffer.GetKey();
    if (key >= 0) {
        if (!m_keyIndex.isEmpty() && m_keyIndex.last().key > key)
            m_keyIndexSorted = false;
        m_keyIndex.append({key, slot});
    }
    SetKeyHighWater(key);
    if (m_owner)
        m_owner->Journal(TopicDatabase::Change::Added, this, slot);
    return true;
}

bool TopicTable::ReadRow(qint32 key, RowBuffer& buffer, bool load)
{
    const qint32 slot = FindSlot(key);
    if (slot < 0)
        return false;
    buffer.Attach(this, SlotData(slot));
    if (load && m_listener)
        m_listener->ReadRecord(buffer);
    return true;
}

bool TopicTable::ReadStoredBlob(qint32 key, qint32 fieldId, QByteArray& stored)
{
    return FindSlot(key) >= 0 && m_listener && m_listener->ReadStoredBlob(*this, key, fieldId, stored);
}

void TopicTable::InitRowBuffer(RowBuffer& buffer)
{
    buffer.Attach(this, nullptr);
}

bool TopicTable::CommitRow(RowBuffer& buffer, bool withBlobs, bool full)
{
    m_lastError.clear();
    if (buffer.GetTable() != this)
        return Fail(QStringLiteral("The row belongs to another table."));
    const qint32 key = buffer.GetKey();
    const qint32 slot = FindSlot(key);
    const bool isNew = m_pendingNew.contains(key);
    if (m_listener && !m_listener->WriteRecord(buffer, withBlobs, full || isNew)) {
        // A row that never reached the file must not stay in memory.
        if (isNew && slot >= 0) {
            KillSlot(slot);
            MaybeCompact();
        }
        return Fail(QStringLiteral("The row could not be written to the project file."));
    }
    m_pendingNew.remove(key);
    if (slot >= 0) {
        ReplaceSlot(slot, buffer.RowData());
        StoreSparseValues(key, buffer.RowData());
    }
    return true;
}

bool TopicTable::WriteRowBack(RowBuffer& buffer)
{
    if (buffer.GetTable() != this)
        return false;
    const qint32 slot = FindSlot(buffer.GetKey());
    if (slot < 0)
        return false;
    ReplaceSlot(slot, buffer.RowData());
    StoreSparseValues(buffer.GetKey(), buffer.RowData());
    return true;
}

bool TopicTable::SetFieldText(RowBuffer& buffer, qint32 fieldId, const QString& text)
{
    FieldValue value;
    if (buffer.GetTable() != this || !buffer.GetFieldValue(fieldId, value) || value.Size == 0)
        return false;
    const qint32 slot = FindSlot(buffer.GetKey());
    if (slot < 0)
        return false;
    const QByteArray before(value.Data(), value.Size);
    if (!value.Parse(text)) {
        std::memcpy(value.Data(), before.constData(), size_t(before.size()));
        return false;
    }
    // A row not yet in the file takes the value with its first commit.
    if (m_listener && !m_pendingNew.contains(buffer.GetKey())) {
        if (m_owner && m_owner->HoldsFieldWrites()) {
            m_owner->HoldFieldWrite(*this, buffer.GetKey(), fieldId);
        } else if (!m_listener->WriteFieldValue(*this, buffer.GetKey(), value)) {
            std::memcpy(value.Data(), before.constData(), size_t(before.size()));
            return false;
        }
    }
    if (IsSparse(value)) {
        StoreSparseValues(buffer.GetKey(), buffer.RowData());
        return true;
    }
    QByteArray row(SlotData(slot), m_rowSize);
    std::memcpy(row.data() + value.Offset, value.Data(), size_t(value.Size));
    ReplaceSlot(slot, row.constData());
    return true;
}

bool TopicTable::RemoveRow(qint32 key)
{
    const qint32 slot = FindSlot(key);
    if (slot < 0)
        return false;
    if (m_listener && !m_pendingNew.contains(key) && !m_listener->DeleteObject(*this, key))
        return false;
    KillSlot(slot);
    MaybeCompact();
    return true;
}

bool TopicTable::DeleteRow(qint32 key, QList<ObjectRef>& removed, QList<ObjectRef>& changed)
{
    m_lastError.clear();
    const qsizetype removedCount = removed.size();
    const qsizetype changedCount = changed.size();
    StoreTransaction transaction(m_owner);
    QSet<QPair<qint32, qint32>> deleting;
    if (transaction.IsActive() && DeleteCascade(key, removed, changed, deleting, 0) && transaction.Commit())
        return true;
    removed.resize(removedCount);
    changed.resize(changedCount);
    return false;
}

bool TopicTable::DeleteCascade(qint32 key, QList<ObjectRef>& removed, QList<ObjectRef>& changed,
                               QSet<QPair<qint32, qint32>>& deleting, int depth)
{
    if (depth > kMaxReferenceDepth)
        return Fail(QStringLiteral("The rows referring to row %1 of topic %2 are nested too deeply.").arg(key).arg(m_topicId));
    deleting.insert({m_topicId, key});
    if (m_owner) {
        for (qint32 topic : QList<qint32>(m_referringTopics)) {
            TopicTable* dependants = m_owner->GetTable(topic);
            if (!dependants)
                continue;
            QList<qint32> keys;
            dependants->FindKeysByParent(m_topicId, key, keys);
            for (qint32 dependant : std::as_const(keys)) {
                // Skips rows that an earlier branch removed, and rows on the
                // way here (a row referring to itself, cycles of a damaged file).
                if (!dependants->HasKey(dependant) || deleting.contains({topic, dependant}))
                    continue;
                if (!m_owner->PrepareDelete(topic, dependant, changed, &deleting))
                    return Fail(QStringLiteral("Row %1 of topic %2 could not be prepared for deletion.")
                                    .arg(dependant)
                                    .arg(topic));
                if (!dependants->DeleteCascade(dependant, removed, changed, deleting, depth + 1))
                    return Fail(dependants->m_lastError);
                removed.append({topic, dependant});
            }
        }
    }
    const qint32 slot = FindSlot(key);
    if (slot < 0)
        return Fail(QStringLiteral("Topic %1 has no row %2.").arg(m_topicId).arg(key));
    if (m_listener && !m_pendingNew.contains(key) && !m_listener->DeleteObject(*this, key))
        return Fail(QStringLiteral("Row %1 of topic %2 could not be deleted from the project file.").arg(key).arg(m_topicId));
    KillSlot(slot);
    MaybeCompact();
    return true;
}

bool TopicTable::DuplicateRow(qint32 key, RowBuffer& buffer)
{
    RowBuffer source;
    if (!ReadRow(key, source, true) || !AddRow(buffer, -1))
        return false;
    std::memcpy(buffer.RowData() + 4, source.RowData() + 4, size_t(m_rowSize - 4));
    for (int position : m_fields.ScanList()) {
        FieldValue from;
        FieldValue to;
        if (m_fields.GetAt(position)->Type != FieldType::Blob || !source.GetFieldValueByIndex(position, from) ||
            !buffer.GetFieldValueByIndex(position, to))
            continue;
        to.ClearBlob();
        const QByteArray* blob = from.GetBlob();
        const QByteArray* reference = from.GetExternalReference();
        if (blob && reference)
            to.SetExternalContent(*blob, *reference);
        else if (blob)
            to.SetBlob(*blob);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Queries

void TopicTable::GetAllKeys(QList<qint32>& keys) const
{
    keys.clear();
    keys.reserve(m_liveCount);
    for (qint32 slot = 0; slot < m_slotCount; ++slot) {
        if (!m_deadSlots.at(slot))
            keys.append(SlotKey(slot));
    }
}

bool TopicTable::FindKeysByParent(qint32 parentTopic, qint32 parentKey, QList<qint32>& keys) const
{
    const auto field = m_parentMap.constFind(parentTopic);
    if (field == m_parentMap.cend())
        return false;
    const ParentIndex& index = m_parentIndexes[field.value()];
    const auto children = index.constFind(parentKey);
    if (children == index.cend())
        return true;
    for (qint32 slot : children.value()) {
        // Dead slots wait here for a batch's end.
        if (!m_deadSlots.at(slot))
            keys.append(SlotKey(slot));
    }
    return true;
}

qint32 TopicTable::GetParentKey(qint32 key, qint32 parentTopic) const
{
    const auto field = m_parentMap.constFind(parentTopic);
    return field == m_parentMap.cend() ? 0 : GetIntValue(key, field.value());
}

qint32 TopicTable::GetIntValue(qint32 key, qint32 fieldId) const
{
    const FieldDescriptor* field = m_fields.GetById(fieldId);
    const char* row = RowOfKey(key);
    if (!field || !row)
        return 0;
    if (IsSparse(*field)) {
        for (const auto& [id, value] : m_sparseValues.value(key))
            if (id == fieldId)
                return value;
        return 0;
    }
    return FieldValue(*field, const_cast<char*>(row) + field->Offset).GetInt();
}

void TopicTable::FillSparseValues(qint32 key, char* bufferRow) const
{
    const auto found = m_sparseValues.constFind(key);
    if (found == m_sparseValues.cend())
        return;
    for (const auto& [id, value] : *found)
        if (const FieldDescriptor* field = m_fields.GetById(id))
            std::memcpy(bufferRow + field->Offset, &value, sizeof value);
}

void TopicTable::StoreSparseValues(qint32 key, const char* bufferRow)
{
    if (m_sparseBytes == 0)
        return;
    QList<std::pair<qint32, qint32>> values;
    for (int position = 0; position < m_fields.Count(); ++position) {
        const FieldDescriptor* field = m_fields.GetAt(position);
        if (!IsSparse(*field))
            continue;
        qint32 value = 0;
        std::memcpy(&value, bufferRow + field->Offset, sizeof value);
        if (value != 0)
            values.append({field->ID, value});
    }
    if (values.isEmpty())
        m_sparseValues.remove(key);
    else
        m_sparseValues.insert(key, std::move(values));
}

bool TopicTable::GetDistinctValues(qint32 fieldId, QStringList* texts) const
{
    if (!texts)
        return false;
    const FieldDescriptor* field = m_fields.GetById(fieldId);
    if (!field)
        return true;
    for (qint32 slot = 0; slot < m_slotCount; ++slot) {
        if (m_deadSlots.at(slot) || SlotKey(slot) == 0)
            continue;
        qint32 sparse = IsSparse(*field) ? GetIntValue(SlotKey(slot), fieldId) : 0;
        char* data = IsSparse(*field) ? reinterpret_cast<char*>(&sparse)
                                      : const_cast<char*>(SlotData(slot)) + field->Offset;
        const QString text = FieldValue(*field, data).FormatToBuffer();
        if (text.isEmpty())
            continue;
        auto it = std::lower_bound(texts->begin(), texts->end(), text);
        if (it == texts->end() || *it != text)
            texts->insert(it, text);
    }
    return true;
}

void TopicTable::AddReferringTopic(qint32 topicId)
{
    if (!m_referringTopics.contains(topicId))
        m_referringTopics.append(topicId);
}

// ---------------------------------------------------------------------------
// Display templates

void TopicTable::ParseDisplayTemplate(const QString& input, int which)
{
    if (which < 1 || which > kTemplateCount)
        return;
    QList<qint32>& entries = m_templates[which - 1];
    entries.clear();
    qsizetype begin = 0;
    qsizetype end = input.size();
    while (begin < end && input.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && input.at(end - 1) == QLatin1Char(' '))
        --end;
    const QString text = input.mid(begin, end - begin);
    for (const QString& token : text.split(QLatin1Char(';'))) {
        if (token.isEmpty())
            continue;
        if (token.startsWith(QLatin1Char('$'))) {
            qint64 id = 0;
            for (qsizetype i = 1; i < token.size() && token.at(i).isDigit() && id <= 0x7FFFFFFF; ++i)
                id = id * 10 + token.at(i).digitValue();
            if (id > 0 && id <= 0x7FFFFFFF)
                entries.append(qint32(id));
            continue;
        }
        for (QChar c : token)
            entries.append(c == QLatin1Char('&') ? -10 : -qint32(c.unicode()));
    }
}

const char* TopicTable::ReferredRow(const FieldDescriptor& field, const char* row, int depth,
                                    const TopicTable*& parent) const
{
    parent = m_owner && depth < kMaxReferenceDepth ? m_owner->GetTable(field.ParentTopicID) : nullptr;
    return parent ? parent->RowOfKey(FieldValue(field, const_cast<char*>(row) + field.Offset).GetInt()) : nullptr;
}

void TopicTable::AppendTemplate(QString& buffer, const char* row, bool full) const
{
    AppendTemplateAt(buffer, buffer.size(), row, full, 0);
}

void TopicTable::AppendTemplateAt(QString& buffer, qsizetype start, const char* row, bool full, int depth) const
{
    for (qint32 entry : m_templates[full ? 1 : 0]) {
        if (buffer.size() >= kDisplayUnits)
            return;
        if (entry < 0) {
            // Literals of the short and full forms are single-byte characters.
            // A separator before anything else was appended is dropped, so a
            // top-level object does not begin with one.
            const QChar c(char16_t((-entry) & 0xFF));
            if (c == QLatin1Char('\\') && buffer.size() == start)
                continue;
            buffer.append(c);
            continue;
        }
        const FieldDescriptor* field = m_fields.GetById(entry);
        if (!field)
            continue;
        if (field->ParentTopicID != 0) {
            const TopicTable* parent = nullptr;
            if (const char* parentRow = ReferredRow(*field, row, depth, parent))
                parent->AppendTemplateAt(buffer, start, parentRow, true, depth + 1);
            continue;
        }
        AppendCut(buffer, FieldValue(*field, const_cast<char*>(row) + field->Offset).FormatToBuffer());
    }
}

QString TopicTable::FormatAnnotation(const char* row) const
{
    return AnnotationAt(row, 0);
}

QString TopicTable::AnnotationAt(const char* row, int depth) const
{
    QString text;
    for (qint32 entry : m_templates[2]) {
        if (entry < 0) {
            text.append(QChar(char16_t(-entry)));
            continue;
        }
        const FieldDescriptor* field = m_fields.GetById(entry);
        if (!field)
            continue;
        if (field->ParentTopicID != 0) {
            const TopicTable* parent = nullptr;
            if (const char* parentRow = ReferredRow(*field, row, depth, parent))
                text += parent->AnnotationAt(parentRow, depth + 1);
            continue;
        }
        text += FieldValue(*field, const_cast<char*>(row) + field->Offset).Format();
    }
    if (text.startsWith(QLatin1Char('\\')))
        text.remove(0, 1);
    return text;
}
