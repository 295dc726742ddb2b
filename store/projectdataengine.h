#pragma once

#include "platform/dao/database.h"
#include "store/dataengine.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <utility>

class FieldValue;

/// Why the last Open, Create or load of a project failed.
enum class EngineError {
    None,
    NotFound,         ///< no file at the path
    InUse,            ///< another program (or connection) has the project open
    NotAProject,      ///< a file that is neither a project nor a database to convert
    NeedsConversion,  ///< a Jet database: to be converted into a new project file first
    Unreadable,       ///< the file cannot be read (permissions, damage)
    CannotUpgrade,    ///< a schema version no step knows, or a failed upgrade step
    Exists,           ///< Create onto an existing path
    BadValue,         ///< a stored value does not fit its field
    Failed,           ///< any other database error
};

/// @short The project file: an SQLite database with the system tables and
/// one table per stored topic, written through at every change.
///
/// Open works on existing files only and recognises them by their header;
/// Create makes a new project file of the current schema (through a
/// temporary file renamed into place). While open the file is locked
/// exclusively (journal WAL, synchronous FULL); Close checkpoints it, so a
/// closed project is one file. An older schema is upgraded on open, each
/// step in its own transaction together with its version, so a failed step
/// leaves the file at the last version it reached.
///
/// Every operation that writes more than one statement runs in one
/// transaction (a savepoint inside the caller's). Errors never throw: the
/// operation returns false, and LastError() holds a text for the user.
///
/// Key and field-id high-water marks: a topic's greatest key and greatest
/// user field id are the greatest present in its rows and dictionary, or
/// the mark kept in sys_Setup under "HighKey_<topic>" and
/// "HighField_<topic>", which a deletion writes when it removes a key or
/// field at or above the kept mark. New files carry no such rows.
class ProjectDataEngine : public DataEngine {
public:
    explicit ProjectDataEngine(const QString& dataType = QStringLiteral("MAIN"));
    ~ProjectDataEngine() override;
    ProjectDataEngine(const ProjectDataEngine&) = delete;
    ProjectDataEngine& operator=(const ProjectDataEngine&) = delete;

    /// Opens an existing project file and brings it to the current schema.
    /// Never creates a file. A file that is refused (no project, damaged,
    /// a version no upgrade leads from) is only read: it keeps every byte
    /// and gets no log files beside it.
    bool Open(const QString& path) override;
    /// Makes a new project file of the current schema with this engine's
    /// data type at a path that must not exist, and opens it.
    bool Create(const QString& path);
    /// Copies the project at source into copy (which must not exist), with
    /// the committed changes still in its log, without writing source or
    /// making files beside it, and opens the copy, upgraded when older: for
    /// a project that is only read from. Refused as Open refuses (no
    /// project, in use, damaged, a format no upgrade leads from), the
    /// message naming source.
    bool OpenCopy(const QString& source, const QString& copy);
    /// The data type stored in the file at path, read without writing to
    /// it; false when it is no readable project file of ours.
    static bool ReadDataType(const QString& path, QString& dataType);
    bool Close() override;
    bool IsOpen() const override { return m_db.IsOpen(); }

    bool LoadTopic(TopicTable& table) override;
    /// While a whole project is read the file is mapped, which spares a
    /// copy of every page read; afterwards the map goes again, so that the
    /// file's pages do not stay counted as the program's memory.
    void MapForReading(bool on);
    bool WriteRecord(RowBuffer& row, bool withBlobs, bool full) override;
    bool WriteFieldValue(TopicTable& table, qint32 key, const FieldValue& value) override;
    bool DeleteObject(TopicTable& table, qint32 key) override;
    bool ReadRecord(RowBuffer& row) override;
    bool ReadStoredBlob(TopicTable& table, qint32 key, qint32 fieldId, QByteArray& stored) override;
    bool AddField(TopicTable& table, const FieldDescriptor& field) override;
    bool SetFieldProperties(qint32 topicId, qint32 fieldId, const QString& text, int which) override;
    /// Changes the type in sys_Fields and converts the stored values to the
    /// new type (what does not read as the new type becomes its empty value);
    /// text, boolean and memo fields become categorial, others not.
    bool SetFieldType(qint32 topicId, qint32 fieldId, qint32 type) override;
    bool DeleteField(TopicTable& table, const FieldDescriptor& field) override;

    QString GetFileName(bool withFolder) const override;
    /// Setup keys compare without case in every script.
    bool GetSetupData(const QString& key, QByteArray& bytes) override;
    bool GetSetupValue(const QString& key, QString& value) override;
    bool SetSetupData(const QString& key, const QByteArray& bytes) override;
    bool SetSetupValue(const QString& key, const QString& value) override;
    bool DeleteSetupKey(const QString& key) override;

    bool ReadModel(StoredModel& model) override;
    bool WriteModel(StoredModel& model) override;
    bool DeleteModel(qint32 modelId) override;
    bool ListModels(QList<qint32>& ids, QStringList& names) override;

    bool BeginTrans() override;
    bool CommitTrans() override { return m_db.CommitTrans(); }
    bool Rollback() override;

    /// Writes a compacted copy to a target that must not exist (nor be this
    /// project); the project stays open. Not inside a transaction.
    bool CompactTo(const QString& target, QString& error);

    QString GetPath() const { return m_path; }
    QString GetDataType() const { return m_dataType; }
    QString GetSchemaVersion() const { return m_version; }
    /// The schema version the file had when it was opened, before upgrades
    /// (the shell drops saved list layouts that an upgrade renumbered).
    QString GetOpenedVersion() const { return m_openedVersion; }
    /// The file named by the last external-content blob that was read.
    QString GetLastExternalName() const { return m_lastExternalName; }

    EngineError LastErrorKind() const { return m_errorKind; }
    QString LastError() const { return m_error; }

    /// Reads the schema version and data type; false for a file without the
    /// system tables or without a version row.
    bool ReadSetup();
    /// One-time mends of a current file: the media-file field's type, a
    /// missing sys_Topics row of the links, the memo annotation template,
    /// the per-object index of sys_Values. Writes only what is missing.
    bool NormaliseFields();

private:
    friend class SchemaUpgrade;

    bool Fail(EngineError kind, const QString& text);
    bool FailText(int textId, EngineError kind, const QString& detail = {});
    bool FailDb(const QString& what = {});
    /// A database error while reading: the file cannot be read (damaged).
    bool FailRead(const QString& what = {});
    void ClearError();

    bool CreateSystemTables();
    /// Refuses, with the reason, a path that holds no project file: missing,
    /// unreadable, a Jet database or anything else.
    bool CheckFileKind(const QString& path);
    /// Looks at the file without changing it (no lock, no journal switch,
    /// no log files) and refuses what must stay untouched: no project, a
    /// damaged one, a version no upgrade leads from.
    bool CheckBeforeOpening(const QString& path);
    /// The setup rows of a file; false without the system tables or a
    /// version row, or when reading fails (db's LastError then says why).
    static bool ReadSetupFrom(dao::Database& db, QString& version, QString& dataType);
    /// Whether the upgrade steps lead from this version to the current one.
    static bool CanUpgradeFrom(const QString& version);
    bool UpgradeSchema();

    // Records.
    bool WriteUserValues(RowBuffer& row);
    bool UpsertUserValue(qint32 topic, qint32 fieldId, qint32 objectId, const QString& text);
    bool LoadExternalContent(FieldValue& value);
    bool ConvertStoredValues(qint32 topicId, const FieldDescriptor& from, qint32 type);

    // Setup rows.
    bool FindSetupRow(const QString& key, qint64& rowid);
    bool ReadSetupColumn(const QString& key, const char* column, QVariant& value);
    bool WriteSetupColumn(const QString& key, const char* column, const QVariant& value);
    qint32 ReadMark(const char* prefix, qint32 topic);
    bool RaiseMark(const char* prefix, qint32 topic, qint32 value);

    dao::Database m_db;
    QString m_path;
    QString m_dataType;
    QString m_version;
    QString m_openedVersion;
    QString m_lastExternalName;
    EngineError m_errorKind = EngineError::None;
    QString m_error;
    // UPDATE and INSERT of a record, by the topic id and the positions of
    // the fields written (qint32 each, in memory order); emptied whenever a
    // field dictionary changes.
    QHash<QByteArray, std::pair<QString, QString>> m_writeStatements;
    // UPDATE of one value, by topic id and field id; emptied with the above.
    QHash<std::pair<qint32, qint32>, QString> m_fieldStatements;
    // Key marks read or written in the open transaction, by setup key; a
    // deletion of many rows asks for them once per row. Dropped when a
    // transaction begins anew or any level rolls back.
    QHash<QString, qint32> m_markCache;
};
