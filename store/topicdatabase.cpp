#include "store/topicdatabase.h"

#include "store/dataengine.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"

#include <QHash>

TopicDatabase::TopicDatabase() = default;

TopicDatabase::~TopicDatabase()
{
    Clear();
}

TopicTable* TopicDatabase::CreateTable(qint32 topicId)
{
    auto& table = m_tables[topicId];
    if (!table)
        table = std::make_unique<TopicTable>(topicId, this);
    return table.get();
}

TopicTable* TopicDatabase::GetTable(qint32 topic) const
{
    const auto it = m_tables.find(topic);
    return it == m_tables.end() ? nullptr : it->second.get();
}

void TopicDatabase::ResetTables()
{
    m_journal.clear();
    m_levels.clear();
    for (TopicTable* table : std::as_const(m_touched))
        table->m_levelSlotStart.clear();
    m_touched.clear();
    for (auto& [id, table] : m_tables)
        table->Reset();
    m_plainTexts.Clear();
}

void TopicDatabase::Clear()
{
    m_journal.clear();
    m_levels.clear();
    m_touched.clear();
    m_tables.clear();
    m_plainTexts.Clear();
}

qint32 TopicDatabase::GetRowCount(qint32 topic) const
{
    const TopicTable* table = GetTable(topic);
    return table ? table->GetRowCount() : 0;
}

qint32 TopicDatabase::GetLastKey(qint32 topic) const
{
    const TopicTable* table = GetTable(topic);
    return table ? table->GetLastKey() : 0;
}

bool TopicDatabase::AddRow(qint32 topic, RowBuffer& buffer, qint32 key)
{
    TopicTable* table = GetTable(topic);
    return table && table->AddRow(buffer, key);
}

bool TopicDatabase::ReadRow(qint32 topic, qint32 key, RowBuffer& buffer, bool load)
{
    TopicTable* table = GetTable(topic);
    return table && table->ReadRow(key, buffer, load);
}

bool TopicDatabase::ReadStoredBlob(qint32 topic, qint32 key, qint32 fieldId, QByteArray& stored)
{
    TopicTable* table = GetTable(topic);
    return table && table->ReadStoredBlob(key, fieldId, stored);
}

bool TopicDatabase::GetAllKeys(qint32 topic, QList<qint32>& keys) const
{
    const TopicTable* table = GetTable(topic);
    if (!table)
        return false;
    table->GetAllKeys(keys);
    return true;
}

bool TopicDatabase::FindKeysByParent(qint32 topic, qint32 parentTopic, qint32 parentKey, QList<qint32>& keys) const
{
    const TopicTable* table = GetTable(topic);
    return table && table->FindKeysByParent(parentTopic, parentKey, keys);
}

qint32 TopicDatabase::GetParentKey(qint32 topic, qint32 key, qint32 parentTopic) const
{
    const TopicTable* table = GetTable(topic);
    return table ? table->GetParentKey(key, parentTopic) : 0;
}

qint32 TopicDatabase::GetIntValue(qint32 topic, qint32 key, qint32 fieldId) const
{
    const TopicTable* table = GetTable(topic);
    return table ? table->GetIntValue(key, fieldId) : 0;
}

bool TopicDatabase::DeleteRow(qint32 topic, qint32 key, QList<ObjectRef>& removed, QList<ObjectRef>& changed)
{
    TopicTable* table = GetTable(topic);
    if (!table || !table->HasKey(key))
        return false;
    const qsizetype changedCount = changed.size();
    const qsizetype filesCount = m_deletedDocumentFiles.size();
    StoreTransaction transaction(this);
    if (transaction.IsActive() && PrepareDelete(topic, key, changed) && table->DeleteRow(key, removed, changed) &&
        transaction.Commit())
        return true;
    changed.resize(changedCount);
    m_deletedDocumentFiles.resize(filesCount);
    return false;
}

bool TopicDatabase::RemoveRow(qint32 topic, qint32 key)
{
    TopicTable* table = GetTable(topic);
    return table && table->RemoveRow(key);
}

bool TopicDatabase::DuplicateRow(qint32 topic, qint32 key, RowBuffer& buffer)
{
    TopicTable* table = GetTable(topic);
    return table && table->DuplicateRow(key, buffer);
}

bool TopicDatabase::AddReferringTopic(qint32 topic, qint32 referringTopic)
{
    TopicTable* table = GetTable(topic);
    if (!table)
        return false;
    table->AddReferringTopic(referringTopic);
    return true;
}

bool TopicDatabase::GetFieldIds(qint32 topic, QList<qint32>& ids, bool pinnedFirst) const
{
    const TopicTable* table = GetTable(topic);
    if (!table)
        return false;
    ids.clear();
    const FieldList& fields = table->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldDescriptor* field = fields.GetAt(i);
        if (field->HasState(FieldState::Hidden))
            continue;
        if (!field->HasState(FieldState::Pinned))
            ids.append(field->ID);
        else if (pinnedFirst)
            ids.prepend(field->ID);
    }
    return true;
}

bool TopicDatabase::GetUserFieldIds(qint32 topic, QList<qint32>& ids) const
{
    const TopicTable* table = GetTable(topic);
    if (!table)
        return false;
    ids.clear();
    for (int i = 0; i < table->Fields().Count(); ++i) {
        const FieldDescriptor* field = table->Fields().GetAt(i);
        if (field->HasState(FieldState::UserVariable))
            ids.append(field->ID);
    }
    return true;
}

int TopicDatabase::CountUserFields(qint32 topic) const
{
    QList<qint32> ids;
    GetUserFieldIds(topic, ids);
    return int(ids.size());
}

bool TopicDatabase::FindFieldByName(qint32 topic, const QString& name, FieldDescriptor& field) const
{
    const TopicTable* table = GetTable(topic);
    const FieldDescriptor* found = table ? table->Fields().FindByName(name) : nullptr;
    if (found)
        field = *found;
    return found != nullptr;
}

bool TopicDatabase::GetFieldDescriptor(qint32 topic, qint32 fieldId, FieldDescriptor& field) const
{
    const TopicTable* table = GetTable(topic);
    const FieldDescriptor* found = table ? table->Fields().GetById(fieldId) : nullptr;
    if (found)
        field = *found;
    return found != nullptr;
}

bool TopicDatabase::GetFieldNames(qint32 topic, QStringList& names) const
{
    const TopicTable* table = GetTable(topic);
    if (!table)
        return false;
    names = table->Fields().GetNames();
    return true;
}

bool TopicDatabase::SetFieldProperties(qint32 topic, qint32 fieldId, const QString& text, int which)
{
    TopicTable* table = GetTable(topic);
    return table && table->SetFieldProperty(fieldId, text, which, true);
}

bool TopicDatabase::SetFieldState(qint32 topic, qint32 fieldId, qint32 state)
{
    TopicTable* table = GetTable(topic);
    return table && table->SetFieldState(fieldId, state);
}

bool TopicDatabase::AddField(qint32 topic, FieldDescriptor& field)
{
    TopicTable* table = GetTable(topic);
    if (!table || !FieldDescriptor::IsKnownType(field.Type))
        return false;
    field.ID = table->Fields().NextUserFieldId();
    if (field.Source.isEmpty())
        field.Source = QStringLiteral("F%1").arg(field.ID, 9, 10, QLatin1Char('0'));
    StoreTransaction transaction(this);
    if (!transaction.IsActive())
        return false;
    DataEngine* listener = table->GetListener();
    if (listener && !listener->AddField(*table, field))
        return false;
    // The table journals the new field: a failed commit, or the rollback
    // of an enclosing transaction, takes it out of memory again.
    return table->AddField(field) && transaction.Commit();
}

bool TopicDatabase::ChangeFieldType(qint32 topic, qint32 fieldId, qint32 type)
{
    TopicTable* table = GetTable(topic);
    return table && table->ChangeFieldType(fieldId, type);
}

bool TopicDatabase::DeleteField(qint32 topic, qint32 fieldId)
{
    TopicTable* table = GetTable(topic);
    return table && table->DeleteField(fieldId);
}

bool TopicDatabase::GetDistinctValues(qint32 topic, qint32 fieldId, QStringList* texts) const
{
    const TopicTable* table = GetTable(topic);
    return table && table->GetDistinctValues(fieldId, texts);
}

bool TopicDatabase::AppendRowDisplay(qint32 topic, qint32 key, bool full, QString& buffer) const
{
    const TopicTable* table = GetTable(topic);
    const char* row = table ? table->RowOfKey(key) : nullptr;
    if (!row)
        return false;
    table->AppendTemplate(buffer, row, full);
    return true;
}

QString TopicDatabase::FormatRowDisplay(qint32 topic, qint32 key, bool full) const
{
    QString text;
    AppendRowDisplay(topic, key, full, text);
    return text;
}

QString TopicDatabase::FormatAnnotation(qint32 topic, qint32 key) const
{
    const TopicTable* table = GetTable(topic);
    const char* row = table ? table->RowOfKey(key) : nullptr;
    return row ? table->FormatAnnotation(row) : QString();
}

bool TopicDatabase::ReadModel(StoredModel& model)
{
    return m_engine && m_engine->ReadModel(model);
}

bool TopicDatabase::WriteModel(StoredModel& model)
{
    return m_engine && m_engine->WriteModel(model);
}

bool TopicDatabase::DeleteModel(qint32 modelId)
{
    return m_engine && m_engine->DeleteModel(modelId);
}

bool TopicDatabase::ListModels(QList<qint32>& ids, QStringList& names)
{
    return m_engine && m_engine->ListModels(ids, names);
}

// ---------------------------------------------------------------------------
// Transactions

bool TopicDatabase::BeginTransaction()
{
    if (m_engine && !m_engine->BeginTrans())
        return false;
    m_levels.append(m_journal.size());
    return true;
}

void TopicDatabase::EndLevel()
{
    m_levels.removeLast();
    for (TopicTable* table : std::as_const(m_touched)) {
        if (table->m_levelSlotStart.size() > m_levels.size())
            table->m_levelSlotStart.resize(m_levels.size());
    }
    if (m_levels.isEmpty())
        FinishOutermost();
}

bool TopicDatabase::HoldFieldWrites()
{
    if (m_levels.isEmpty())
        return false;
    m_holdFieldWrites = true;
    return true;
}

bool TopicDatabase::BatchRemovals()
{
    if (m_levels.isEmpty())
        return false;
    m_batchRemovals = true;
    return true;
}

void TopicDatabase::HoldFieldWrite(const TopicTable& table, qint32 key, qint32 fieldId)
{
    m_heldFields.insert({table.GetTopicId(), key, fieldId});
}

bool TopicDatabase::WriteHeldFields()
{
    const auto held = std::exchange(m_heldFields, {});
    for (const auto& [topic, key, fieldId] : held) {
        TopicTable* table = GetTable(topic);
        // A row deleted meanwhile has nothing left to write; one never
        // written takes its values with its first commit.
        if (!table || !table->m_listener || !table->HasKey(key) || table->m_pendingNew.contains(key))
            continue;
        RowBuffer row;
        FieldValue value;
        if (!table->ReadRow(key, row, false) || !row.GetFieldValue(fieldId, value) ||
            !table->m_listener->WriteFieldValue(*table, key, value))
            return false;
    }
    return true;
}

bool TopicDatabase::CommitTransaction()
{
    if (m_levels.isEmpty())
        return false;
    if (m_levels.size() == 1 && !m_heldFields.empty() && !WriteHeldFields()) {
        if (m_engine)
            m_engine->Rollback();
        UndoTo(m_levels.last());
        EndLevel();
        return false;
    }
    if (m_engine && !m_engine->CommitTrans()) {
        // An inner level still has its savepoint; the outermost was rolled
        // back by the database already.
        if (m_levels.size() > 1)
            m_engine->Rollback();
        UndoTo(m_levels.last());
        EndLevel();
        return false;
    }
    EndLevel();
    return true;
}

bool TopicDatabase::RollbackTransaction()
{
    if (m_levels.isEmpty())
        return false;
    const bool ok = !m_engine || m_engine->Rollback();
    UndoTo(m_levels.last());
    EndLevel();
    return ok;
}

void TopicDatabase::Journal(Change change, TopicTable* table, qint32 slot, const char* row)
{
    if (m_levels.isEmpty())
        return;
    // A table's slots only grow through journaled additions, so its slot
    // count at its first change within a level is the count the level
    // began with. A slot added in the innermost level goes with that
    // level's rollback; its later changes need no record.
    const qsizetype depth = m_levels.size();
    QList<qint32>& starts = table->m_levelSlotStart;
    while (starts.size() < depth)
        starts.append(change == Change::Added ? slot : table->m_slotCount);
    if (change == Change::Changed && slot >= starts.at(depth - 1))
        return;
    JournalEntry entry{change, table, slot, {}};
    if (row)
        entry.row = QByteArray(row, table->GetRowSize());
    m_journal.append(std::move(entry));
    if (!m_touched.contains(table))
        m_touched.append(table);
}

void TopicDatabase::JournalFieldAdded(TopicTable* table, qint32 fieldId)
{
    if (m_levels.isEmpty())
        return;
    m_journal.append(JournalEntry{Change::FieldAdded, table, fieldId, {}});
    if (!m_touched.contains(table))
        m_touched.append(table);
}

void TopicDatabase::UndoTo(qsizetype size)
{
    while (m_journal.size() > size) {
        const JournalEntry entry = m_journal.takeLast();
        switch (entry.change) {
        case Change::Added: entry.table->DropSlot(entry.slot); break;
        case Change::Changed: entry.table->UndoChange(entry.slot, entry.row); break;
        case Change::Removed: entry.table->UndoRemove(entry.slot); break;
        case Change::FieldAdded:
            entry.table->DropFieldInMemory(entry.table->Fields().PositionOf(entry.slot));
            break;
        }
    }
}

void TopicDatabase::FinishOutermost()
{
    m_holdFieldWrites = false;
    m_heldFields.clear();
    m_journal.clear();
    if (std::exchange(m_batchRemovals, false)) {
        for (auto& [id, table] : m_tables)
            table->FlushParentRemovals();
    }
    const QList<TopicTable*> touched = m_touched;
    m_touched.clear();
    for (TopicTable* table : touched)
        table->MaybeCompact();
}

// ---------------------------------------------------------------------------
// Id lists

void UniqueDWordArray(QList<qint32>& list)
{
    QSet<qint32> seen;
    list.removeIf([&seen](qint32 value) {
        if (seen.contains(value))
            return true;
        seen.insert(value);
        return false;
    });
}

void IntersectDWordArrays(QList<qint32>& list, const QList<qint32>& other)
{
    QHash<qint32, int> available;
    for (qint32 value : other)
        ++available[value];
    list.removeIf([&available](qint32 value) {
        auto it = available.find(value);
        if (it == available.end() || it.value() == 0)
            return true;
        --it.value();
        return false;
    });
}

bool DWordArrayContains(qint32 value, const QList<qint32>& list)
{
    return list.contains(value);
}

qsizetype DWordArrayIndexOf(qint32 value, const QList<qint32>& list)
{
    return list.indexOf(value);
}
