#pragma once

#include "foundation/plaintextcache.h"
#include "store/topictable.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>

class DataEngine;
class RowBuffer;
struct StoredModel;

/// @short The in-memory database of the open project: one topic table per
/// topic id. Every operation on an unknown topic gives false, 0 or an empty
/// result and changes nothing.
///
/// Transactions pair the engine's transaction with a journal of the row
/// changes made in memory meanwhile, so that a rollback (or a failed
/// commit) restores memory and file alike. They nest. A field added inside
/// a transaction goes with its rollback, column and dictionary entry alike;
/// the dictionary cannot change otherwise inside one.
class TopicDatabase {
public:
    TopicDatabase();
    ~TopicDatabase();
    TopicDatabase(const TopicDatabase&) = delete;
    TopicDatabase& operator=(const TopicDatabase&) = delete;

    DataEngine* GetEngine() const { return m_engine; }
    void SetEngine(DataEngine* engine) { m_engine = engine; }

    /// The current user's name: the author of new objects. The shell sets
    /// it; it outlives a project.
    const QString& GetUserName() const { return m_userName; }
    void SetUserName(const QString& name) { m_userName = name; }

    /// The plain texts the text search decoded from the project's documents
    /// and memos; emptied with the tables.
    PlainTextCache& PlainTexts() { return m_plainTexts; }

    /// Creates the empty table of a topic id (once per id) and returns it.
    TopicTable* CreateTable(qint32 topicId);
    TopicTable* GetTable(qint32 topic) const;
    /// Resets every table; they stay registered.
    void ResetTables();
    /// Destroys every table.
    void Clear();

    qint32 GetRowCount(qint32 topic) const;
    qint32 GetLastKey(qint32 topic) const;
    bool AddRow(qint32 topic, RowBuffer& buffer, qint32 key);
    bool ReadRow(qint32 topic, qint32 key, RowBuffer& buffer, bool load);
    /// TopicTable::ReadStoredBlob of the topic's table.
    bool ReadStoredBlob(qint32 topic, qint32 key, qint32 fieldId, QByteArray& stored);
    bool GetAllKeys(qint32 topic, QList<qint32>& keys) const;
    bool FindKeysByParent(qint32 topic, qint32 parentTopic, qint32 parentKey, QList<qint32>& keys) const;
    qint32 GetParentKey(qint32 topic, qint32 key, qint32 parentTopic) const;
    qint32 GetIntValue(qint32 topic, qint32 key, qint32 fieldId) const;
    /// Prepares the deletion and deletes the row with its dependants, all
    /// in one transaction; true only when everything succeeded.
    bool DeleteRow(qint32 topic, qint32 key, QList<ObjectRef>& removed, QList<ObjectRef>& changed);
    bool RemoveRow(qint32 topic, qint32 key);
    bool DuplicateRow(qint32 topic, qint32 key, RowBuffer& buffer);
    bool AddReferringTopic(qint32 topic, qint32 referringTopic);
    /// Keeps dependants consistent before a row is deleted (counters of the
    /// rows it is counted in, owners, partner rows), listing each changed
    /// object; false when a changed row could not be committed. Rows in
    /// deleting go in the same deletion and are left as they are.
    bool PrepareDelete(qint32 topic, qint32 key, QList<ObjectRef>& changed,
                       const QSet<QPair<qint32, qint32>>* deleting = nullptr);
    /// The files named by the documents deleted since the last call (the
    /// external content's file, the media file, the external links), for
    /// the caller to offer for deletion; the list is emptied.
    QStringList TakeDeletedDocumentFiles() { return std::exchange(m_deletedDocumentFiles, {}); }

    /// Ids of the fields shown as list columns: hidden fields left out,
    /// pinned fields at the front when asked for (in reverse position
    /// order), else left out.
    bool GetFieldIds(qint32 topic, QList<qint32>& ids, bool pinnedFirst) const;
    bool GetUserFieldIds(qint32 topic, QList<qint32>& ids) const;
    int CountUserFields(qint32 topic) const;
    bool FindFieldByName(qint32 topic, const QString& name, FieldDescriptor& field) const;
    bool GetFieldDescriptor(qint32 topic, qint32 fieldId, FieldDescriptor& field) const;
    bool GetFieldNames(qint32 topic, QStringList& names) const;
    bool SetFieldProperties(qint32 topic, qint32 fieldId, const QString& text, int which);
    bool SetFieldState(qint32 topic, qint32 fieldId, qint32 state);
    /// Gives the field the next user field id (and the column name
    /// "F<id>" when it has none), asks the engine, then adds it to the
    /// table; all in one transaction, which may lie inside the caller's.
    bool AddField(qint32 topic, FieldDescriptor& field);
    bool ChangeFieldType(qint32 topic, qint32 fieldId, qint32 type);
    bool DeleteField(qint32 topic, qint32 fieldId);
    bool GetDistinctValues(qint32 topic, qint32 fieldId, QStringList* texts) const;

    /// Appends the short or full display text of a row to the buffer,
    /// keeping it at most 1023 units; false when the row is absent.
    bool AppendRowDisplay(qint32 topic, qint32 key, bool full, QString& buffer) const;
    QString FormatRowDisplay(qint32 topic, qint32 key, bool full) const;
    QString FormatAnnotation(qint32 topic, qint32 key) const;

    bool ReadModel(StoredModel& model);
    bool WriteModel(StoredModel& model);
    bool DeleteModel(qint32 modelId);
    bool ListModels(QList<qint32>& ids, QStringList& names);

    bool BeginTransaction();
    bool CommitTransaction();
    bool RollbackTransaction();
    bool InTransaction() const { return !m_levels.isEmpty(); }
    /// From now until the outermost transaction ends, a value set through
    /// TopicTable::SetFieldText is written to the file once per row and
    /// field, just before that transaction commits, instead of at once:
    /// for long runs that count the same counters up again and again.
    /// Memory has each value at once; a failed write fails the commit.
    /// False outside a transaction.
    bool HoldFieldWrites();
    /// From now until the outermost transaction ends, rows removed from
    /// memory leave the parent indexes together when it ends (lists of
    /// children skip them meanwhile): for deletions of many rows. False
    /// outside a transaction.
    bool BatchRemovals();

private:
    friend class TopicTable;
    enum class Change { Added, Changed, Removed, FieldAdded };
    struct JournalEntry {
        Change change;
        TopicTable* table;
        qint32 slot;     // the field id of FieldAdded
        QByteArray row;  // the row before a change
    };

    void Journal(Change change, TopicTable* table, qint32 slot, const char* row = nullptr);
    /// A field added to the table's rows; undone before the changes made
    /// earlier, whose rows are in the narrower layout.
    void JournalFieldAdded(TopicTable* table, qint32 fieldId);
    void UndoTo(qsizetype size);
    void EndLevel();
    void FinishOutermost();
    bool HoldsFieldWrites() const { return m_holdFieldWrites; }
    bool BatchesRemovals() const { return m_batchRemovals; }
    void HoldFieldWrite(const TopicTable& table, qint32 key, qint32 fieldId);
    bool WriteHeldFields();

    DataEngine* m_engine = nullptr;
    QString m_userName;
    PlainTextCache m_plainTexts;
    std::map<qint32, std::unique_ptr<TopicTable>> m_tables;
    QList<JournalEntry> m_journal;
    QList<qsizetype> m_levels;  // journal size when each open level began
    QList<TopicTable*> m_touched;  // tables changed in the open transaction
    QStringList m_deletedDocumentFiles;
    bool m_holdFieldWrites = false;
    bool m_batchRemovals = false;
    std::set<std::tuple<qint32, qint32, qint32>> m_heldFields;  // topic, key, field id
};

/// Begins a transaction of the topic database (nothing without one) and
/// rolls it back on destruction unless committed.
class StoreTransaction {
public:
    explicit StoreTransaction(TopicDatabase* database)
        : m_database(database), m_active(!database || database->BeginTransaction())
    {
    }
    ~StoreTransaction() { Rollback(); }
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    bool IsActive() const { return m_active; }
    bool Commit()
    {
        if (!m_active)
            return false;
        m_active = false;
        return !m_database || m_database->CommitTransaction();
    }
    void Rollback()
    {
        if (m_active && m_database)
            m_database->RollbackTransaction();
        m_active = false;
    }

private:
    TopicDatabase* m_database;
    bool m_active;
};

/// Helpers on id lists.
/// Removes later duplicates, keeping order.
void UniqueDWordArray(QList<qint32>& list);
/// Keeps, in order, each value of list once for every occurrence of it in other.
void IntersectDWordArrays(QList<qint32>& list, const QList<qint32>& other);
bool DWordArrayContains(qint32 value, const QList<qint32>& list);
qsizetype DWordArrayIndexOf(qint32 value, const QList<qint32>& list);
