#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct FieldDescriptor;
class FieldValue;
class RowBuffer;
struct StoredModel;
class TopicTable;

/// @short The project file as the store sees it: every change made to the
/// in-memory tables is written through these operations at once.
///
/// One engine exists per open project file. Each topic table calls the
/// operations from LoadTopic to DeleteField as its listener, before a
/// change reaches memory wherever the change can be refused. Every
/// operation returns false, and changes nothing in the file, when the
/// database is not open or a write fails part way.
///
/// Contracts the tables rely on:
/// - Keys are never reused: LoadTopic restores the table's key high-water
///   mark (TopicTable::SetKeyHighWater) as it was when the file was last
///   changed, and DeleteObject keeps the mark of a table in the file when
///   the deleted key is at or above the mark stored there.
/// - WriteRecord writes a blob field only when its slot is loaded
///   (FieldValue::GetBlob not null); an empty loaded blob is written as
///   NULL. ReadRecord leaves a blob that cannot be decoded not loaded.
/// - WriteRecord with full set writes every field (the first commit of a
///   row added by AddRow always asks for full).
/// - The transaction operations nest; Rollback undoes the innermost open
///   transaction. The topic database pairs them with its memory journal.
class DataEngine {
public:
    virtual ~DataEngine() = default;

    virtual bool Open(const QString& path) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    /// Resets the table, makes this engine its listener and reads the
    /// topic's row of sys_Topics, its fields and all its records.
    virtual bool LoadTopic(TopicTable& table) = 0;
    virtual bool WriteRecord(RowBuffer& row, bool withBlobs, bool full) = 0;
    virtual bool WriteFieldValue(TopicTable& table, qint32 key, const FieldValue& value) = 0;
    virtual bool DeleteObject(TopicTable& table, qint32 key) = 0;
    /// Fills the blobs of a row buffer from its record.
    virtual bool ReadRecord(RowBuffer& row) = 0;
    /// One blob of a record as the file stores it (DecodeStoredBlob makes
    /// it the value, on any thread); false when the engine cannot tell or
    /// the record is absent, the caller then reads the record.
    virtual bool ReadStoredBlob(TopicTable& table, qint32 key, qint32 fieldId, QByteArray& stored)
    {
        Q_UNUSED(table);
        Q_UNUSED(key);
        Q_UNUSED(fieldId);
        Q_UNUSED(stored);
        return false;
    }
    virtual bool AddField(TopicTable& table, const FieldDescriptor& field) = 0;
    /// which: 0 Name, 1 DefaultValue, 2 Categorial (text read as an integer).
    virtual bool SetFieldProperties(qint32 topicId, qint32 fieldId, const QString& text, int which) = 0;
    virtual bool SetFieldType(qint32 topicId, qint32 fieldId, qint32 type) = 0;
    virtual bool DeleteField(TopicTable& table, const FieldDescriptor& field) = 0;

    /// The database's file name, with or without its folder; empty when closed.
    virtual QString GetFileName(bool withFolder) const = 0;
    virtual bool GetSetupData(const QString& key, QByteArray& bytes) = 0;
    virtual bool GetSetupValue(const QString& key, QString& value) = 0;
    virtual bool SetSetupData(const QString& key, const QByteArray& bytes) = 0;
    virtual bool SetSetupValue(const QString& key, const QString& value) = 0;
    virtual bool DeleteSetupKey(const QString& key) = 0;

    /// A model with ID 0 reads nothing and succeeds.
    virtual bool ReadModel(StoredModel& model) = 0;
    /// Stores the model; a new model (ID 0) gets the next ID.
    virtual bool WriteModel(StoredModel& model) = 0;
    virtual bool DeleteModel(qint32 modelId) = 0;
    /// Appends the ID and Name of every stored model, by ID.
    virtual bool ListModels(QList<qint32>& ids, QStringList& names) = 0;

    virtual bool BeginTrans() = 0;
    virtual bool CommitTrans() = 0;
    virtual bool Rollback() = 0;
};
