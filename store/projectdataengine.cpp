#include "store/projectdataengine.h"

#include "foundation/stringstore.h"
#include "platform/dao/recordset.h"
#include "platform/jet/databasefilekind.h"
#include "store/compressedblob.h"
#include "store/fieldvalue.h"
#include "store/projectschema.h"
#include "store/storedmodel.h"
#include "store/topictable.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

ProjectDataEngine::ProjectDataEngine(const QString& dataType)
    : m_dataType(dataType), m_version(QLatin1String(schema::kCurrentVersion))
{
}

ProjectDataEngine::~ProjectDataEngine()
{
    Close();
}

// ---------------------------------------------------------------------------
// Errors

void ProjectDataEngine::ClearError()
{
    m_errorKind = EngineError::None;
    m_error.clear();
}

bool ProjectDataEngine::Fail(EngineError kind, const QString& text)
{
    m_errorKind = kind;
    m_error = text;
    return false;
}

bool ProjectDataEngine::FailText(int textId, EngineError kind, const QString& detail)
{
    QString text = LoadString(textId);
    if (text.isEmpty())  // no language table: the facts still reach the user
        text = detail.isEmpty() ? QStringLiteral("%1") : QStringLiteral("%1: %2");
    text = text.arg(QFileInfo(m_path).fileName());
    if (text.contains(QLatin1String("%2")))
        text = text.arg(detail);
    return Fail(kind, text);
}

namespace {

QString DbDetail(const QString& what, const QString& error)
{
    return what.isEmpty() ? error : what + QStringLiteral(": ") + error;
}

}  // namespace

bool ProjectDataEngine::FailDb(const QString& what)
{
    return FailText(StoreText::CannotWrite, EngineError::Failed, DbDetail(what, m_db.LastError()));
}

bool ProjectDataEngine::FailRead(const QString& what)
{
    return FailText(StoreText::CannotRead, EngineError::Unreadable, DbDetail(what, m_db.LastError()));
}

// ---------------------------------------------------------------------------
// Opening, creating, closing

bool ProjectDataEngine::Open(const QString& path)
{
    Close();
    ClearError();
    m_path = path;
    m_version = QLatin1String(schema::kCurrentVersion);
    m_openedVersion.clear();
    if (!CheckFileKind(path) || !CheckBeforeOpening(path))
        return false;
    if (!m_db.Open(path)) {
        switch (m_db.LastStatus()) {
        case dao::Status::InUse: return FailText(StoreText::ProjectInUse, EngineError::InUse);
        case dao::Status::NotADatabase: return FailText(StoreText::NotAProject, EngineError::NotAProject);
        case dao::Status::NotFound: return FailText(StoreText::ProjectMissing, EngineError::NotFound);
        default: return FailText(StoreText::CannotRead, EngineError::Unreadable, m_db.LastError());
        }
    }
    if (!ReadSetup()) {
        m_db.Close();
        return FailText(StoreText::NotAProject, EngineError::NotAProject);
    }
    m_openedVersion = m_version;
    if ((m_version != QLatin1String(schema::kCurrentVersion) && !UpgradeSchema()) || !NormaliseFields()) {
        m_db.Close();
        return false;
    }
    return true;
}

bool ProjectDataEngine::CheckFileKind(const QString& path)
{
    QString reason;
    switch (DetectDatabaseFile(path, &reason)) {
    case DatabaseFileKind::Unreadable:
        if (!QFileInfo::exists(path))
            return FailText(StoreText::ProjectMissing, EngineError::NotFound);
        return FailText(StoreText::CannotRead, EngineError::Unreadable, reason);
    case DatabaseFileKind::Jet: return FailText(StoreText::NeedsConversion, EngineError::NeedsConversion);
    case DatabaseFileKind::Other: return FailText(StoreText::NotAProject, EngineError::NotAProject);
    case DatabaseFileKind::Sqlite: break;
    }
    return true;
}

bool ProjectDataEngine::OpenCopy(const QString& source, const QString& copy)
{
    Close();
    ClearError();
    m_path = source;
    if (!CheckFileKind(source) || !CheckBeforeOpening(source))
        return false;
    {
        // VACUUM INTO reads every page of the source, so a damaged one is
        // found here, before anything is written anywhere.
        dao::Database probe;
        QString error;
        if (!probe.OpenReadOnly(source) || !probe.CompactTo(copy, error)) {
            if (probe.LastStatus() == dao::Status::InUse)
                return FailText(StoreText::ProjectInUse, EngineError::InUse);
            return FailText(StoreText::CannotRead, EngineError::Unreadable, probe.LastError());
        }
    }
    if (Open(copy))
        return true;
    // The reasons name the file the user chose, not the copy.
    const EngineError kind = m_errorKind;
    QString error = m_error;
    m_path = source;
    return Fail(kind, error.replace(QFileInfo(copy).fileName(), QFileInfo(source).fileName()));
}

void ProjectDataEngine::MapForReading(bool on)
{
    // Only a speed-up: reads work the same without the map.
    if (IsOpen())
        m_db.Execute(on ? QStringLiteral("PRAGMA mmap_size=1073741824;") : QStringLiteral("PRAGMA mmap_size=0;"));
}

bool ProjectDataEngine::Create(const QString& path)
{
    Close();
    ClearError();
    m_path = path;
    m_version = QLatin1String(schema::kCurrentVersion);
    m_openedVersion.clear();
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return FailText(StoreText::FileExists, EngineError::Exists);

    // The schema is built in a file of its own and renamed into place, so
    // the path never holds a partial project.
    QString temporaryPath;
    {
        QTemporaryFile reserve(path + QStringLiteral(".XXXXXX"));
        if (!reserve.open())
            return FailText(StoreText::CannotWrite, EngineError::Failed, reserve.errorString());
        temporaryPath = reserve.fileName();
    }
    if (!m_db.Create(temporaryPath))
        return FailDb();
    const bool built = CreateSystemTables();
    m_db.Close();
    if (!built) {
        QFile::remove(temporaryPath);
        return false;
    }
    if (QFileInfo::exists(path) || !QFile::rename(temporaryPath, path)) {
        QFile::remove(temporaryPath);
        return FailText(StoreText::FileExists, EngineError::Exists);
    }
    return Open(path);
}

bool ProjectDataEngine::CreateSystemTables()
{
    dao::Transaction transaction(m_db);
    if (!transaction.IsActive())
        return FailDb();
    for (const schema::Table& table : schema::Tables()) {
        if (!m_db.CreateTable(schema::TableDefOf(table)))
            return FailDb(QString::fromLatin1(table.name));
    }
    for (const schema::TopicRow& topic : schema::TopicRows()) {
        const QString table = QString::fromLatin1(topic.table);
        if (!m_db.Execute(QStringLiteral("INSERT INTO [sys_Topics]([ID],[Name],[Source],[SortField],[NameFormat],"
                                         "[FullNameFormat],[AnnotationFormat]) VALUES(?,?,?,?,?,?,?);"),
                          {topic.id, table, table, QString::fromLatin1(topic.sortField),
                           QString::fromLatin1(topic.nameFormat), QString::fromLatin1(topic.fullNameFormat),
                           QString::fromLatin1(topic.annotationFormat)}))
            return FailDb();
    }
    for (const schema::FieldRow& field : schema::FieldRows()) {
        // Text and boolean fields are categorial; the others keep no value.
        const bool categorial = field.type == FieldType::ShortText || field.type == FieldType::Text ||
                                field.type == FieldType::Boolean || field.type == FieldType::LongText;
        if (!m_db.Execute(QStringLiteral("INSERT INTO [sys_Fields]([TopicID],[ID],[Name],[Source],[Type],[State],"
                                         "[ParentTopicID],[Categorial]) VALUES(?,?,?,?,?,?,?,?);"),
                          {field.topic, field.id, QString::fromLatin1(field.name), field.Source(), field.type,
                           field.state, field.parentTopic, categorial ? QVariant(1) : QVariant()}))
            return FailDb();
    }
    const QString version = QLatin1String(schema::kCurrentVersion);
    const QList<std::pair<const char*, QString>> setup = {
        {schema::kVersionKey, version}, {schema::kDataTypeKey, m_dataType}, {schema::kModelsKey, version}};
    for (const auto& [key, value] : setup) {
        if (!m_db.Execute(QStringLiteral("INSERT INTO [sys_Setup]([Key],[Value]) VALUES(?,?);"),
                          {QString::fromLatin1(key), value}))
            return FailDb();
    }
    return transaction.Commit() || FailDb();
}

bool ProjectDataEngine::Close()
{
    m_db.Close();
    return true;
}

bool ProjectDataEngine::ReadDataType(const QString& path, QString& dataType)
{
    if (DetectDatabaseFile(path) != DatabaseFileKind::Sqlite)
        return false;
    dao::Database probe;
    QString version;
    return probe.OpenReadOnly(path) && ReadSetupFrom(probe, version, dataType);
}

bool ProjectDataEngine::CheckBeforeOpening(const QString& path)
{
    dao::Database probe;
    if (!probe.OpenReadOnly(path))
        return FailText(StoreText::CannotRead, EngineError::Unreadable, probe.LastError());
    QString version;
    QString dataType;
    if (!ReadSetupFrom(probe, version, dataType)) {
        // A file with a log is read under SQLite's locks, which the program
        // writing it holds.
        if (probe.LastStatus() == dao::Status::InUse)
            return FailText(StoreText::ProjectInUse, EngineError::InUse);
        if (!probe.LastError().isEmpty())
            return FailText(StoreText::CannotRead, EngineError::Unreadable, probe.LastError());
        return FailText(StoreText::NotAProject, EngineError::NotAProject);
    }
    if (!CanUpgradeFrom(version))
        return FailText(StoreText::CannotUpgrade, EngineError::CannotUpgrade, version);
    // The dictionary is read on every load; reading it here finds damage
    // in it before anything is written.
    dao::Recordset rs(probe);
    for (const char* table : {"sys_Topics", "sys_Fields"}) {
        if (!rs.Open(QStringLiteral("SELECT * FROM [%1];").arg(QLatin1String(table))))
            return FailText(StoreText::CannotRead, EngineError::Unreadable, probe.LastError());
        while (!rs.IsEOF())
            rs.MoveNext();
        if (!probe.LastError().isEmpty())
            return FailText(StoreText::CannotRead, EngineError::Unreadable, probe.LastError());
        rs.Close();
    }
    return true;
}

bool ProjectDataEngine::ReadSetup()
{
    return ReadSetupFrom(m_db, m_version, m_dataType);
}

bool ProjectDataEngine::ReadSetupFrom(dao::Database& db, QString& version, QString& dataType)
{
    QStringList tables = db.GetTableNames();
    if (!db.LastError().isEmpty())
        return false;
    for (QString& table : tables)
        table = table.toLower();
    for (const char* needed : {"sys_setup", "sys_topics", "sys_fields"}) {
        if (!tables.contains(QLatin1String(needed)))
            return false;
    }
    dao::Recordset rs(db);
    if (!rs.Open(QStringLiteral("SELECT [Key],[Value] FROM [sys_Setup] ORDER BY rowid;")))
        return false;
    bool hasVersion = false;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const QString key = rs.GetValue(0).toString();
        if (key == QLatin1String(schema::kVersionKey)) {
            version = rs.GetValue(1).toString();
            hasVersion = true;
        } else if (key == QLatin1String(schema::kDataTypeKey)) {
            dataType = rs.GetValue(1).toString();
        }
    }
    return hasVersion && db.LastError().isEmpty();
}

bool ProjectDataEngine::NormaliseFields()
{
    const schema::TopicRow* links = schema::FindTopic(TopicId::Links);
    dao::Transaction transaction(m_db);
    const bool ok =
        transaction.IsActive() &&
        m_db.Execute(QStringLiteral("UPDATE [sys_Fields] SET [Type]=? WHERE [TopicID]=? AND [ID]=? AND "
                                    "([Type] IS NULL OR [Type]<>?);"),
                     {FieldType::LongText, TopicId::Documents, DocumentField::MediaFile, FieldType::LongText}) &&
        // Files upgraded by earlier versions may lack the topic row of links.
        m_db.Execute(QStringLiteral("INSERT INTO [sys_Topics]([ID],[Name],[Source],[SortField],[NameFormat],"
                                    "[FullNameFormat],[AnnotationFormat]) SELECT ?,?,?,?,?,?,? WHERE NOT EXISTS "
                                    "(SELECT 1 FROM [sys_Topics] WHERE [ID]=?);"),
                     {links->id, QString::fromLatin1(links->table), QString::fromLatin1(links->table),
                      QString::fromLatin1(links->sortField), QString(), QString(), QString(), links->id}) &&
        m_db.Execute(QStringLiteral("UPDATE [sys_Topics] SET [AnnotationFormat]=? WHERE [ID]=? AND "
                                    "[AnnotationFormat]=?;"),
                     {QString::fromLatin1(schema::kMemoAnnotation), TopicId::Memos,
                      QString::fromLatin1(schema::kOldMemoAnnotation)}) &&
        m_db.Execute(QStringLiteral("CREATE INDEX IF NOT EXISTS [sys_Values_Object] ON [sys_Values]([TopicID],"
                                    "[ObjectID]);")) &&
        transaction.Commit();
    return ok || FailDb();
}

QString ProjectDataEngine::GetFileName(bool withFolder) const
{
    if (!IsOpen())
        return {};
    if (withFolder)
        return m_path;
    return m_path.mid(qMax(m_path.lastIndexOf(u'/'), m_path.lastIndexOf(u'\\')) + 1);
}

bool ProjectDataEngine::CompactTo(const QString& target, QString& error)
{
    ClearError();
    if (!IsOpen()) {
        error = LoadString(StoreText::ProjectMissing).arg(target);
        return Fail(EngineError::Failed, error);
    }
    if (m_db.CompactTo(target, error))
        return true;
    return Fail(m_db.LastStatus() == dao::Status::Exists ? EngineError::Exists : EngineError::Failed, error);
}

// ---------------------------------------------------------------------------
// Setup store

bool ProjectDataEngine::FindSetupRow(const QString& key, qint64& rowid)
{
    dao::Recordset rs(m_db);
    if (!rs.Open(QStringLiteral("SELECT rowid FROM [sys_Setup] WHERE [Key]=? COLLATE UNICODE_NOCASE "
                                "ORDER BY rowid LIMIT 1;"),
                 {key}))
        return false;
    rowid = rs.IsEOF() ? 0 : rs.GetInt64(0);
    return true;
}

bool ProjectDataEngine::ReadSetupColumn(const QString& key, const char* column, QVariant& value)
{
    value.clear();
    dao::Recordset rs(m_db);
    if (!IsOpen() || !rs.Open(QStringLiteral("SELECT [%1] FROM [sys_Setup] WHERE [Key]=? COLLATE UNICODE_NOCASE "
                                             "ORDER BY rowid LIMIT 1;")
                                  .arg(QLatin1String(column)),
                              {key}))
        return FailRead();
    if (!rs.IsEOF())
        value = rs.GetValue(0);
    return true;
}

bool ProjectDataEngine::WriteSetupColumn(const QString& key, const char* column, const QVariant& value)
{
    dao::Transaction transaction(m_db);
    qint64 rowid = 0;
    const QString name = QLatin1String(column);
    const bool ok =
        transaction.IsActive() && FindSetupRow(key, rowid) &&
        (rowid ? m_db.Execute(QStringLiteral("UPDATE [sys_Setup] SET [Key]=?,[%1]=? WHERE rowid=?;").arg(name),
                              {key, value, rowid})
               : m_db.Execute(QStringLiteral("INSERT INTO [sys_Setup]([Key],[%1]) VALUES(?,?);").arg(name),
                              {key, value})) &&
        transaction.Commit();
    return ok || FailDb();
}

bool ProjectDataEngine::GetSetupValue(const QString& key, QString& value)
{
    QVariant stored;
    const bool ok = ReadSetupColumn(key, "Value", stored);
    value = stored.toString();
    return ok;
}

bool ProjectDataEngine::SetSetupValue(const QString& key, const QString& value)
{
    return WriteSetupColumn(key, "Value", value);
}

bool ProjectDataEngine::GetSetupData(const QString& key, QByteArray& bytes)
{
    bytes.clear();
    QVariant stored;
    if (!ReadSetupColumn(key, "Data", stored))
        return false;
    QString reason;
    if (!stored.isNull() && !DecompressBlob(stored.toByteArray(), bytes, &reason))
        return FailText(StoreText::DamagedValue, EngineError::BadValue,
                        QStringLiteral("sys_Setup, %1: %2").arg(key, reason));
    return true;
}

bool ProjectDataEngine::SetSetupData(const QString& key, const QByteArray& bytes)
{
    return WriteSetupColumn(key, "Data", StoredBlobValue(bytes));
}

bool ProjectDataEngine::DeleteSetupKey(const QString& key)
{
    return m_db.Execute(QStringLiteral("DELETE FROM [sys_Setup] WHERE [Key]=? COLLATE UNICODE_NOCASE;"), {key}) ||
           FailDb();
}

qint32 ProjectDataEngine::ReadMark(const char* prefix, qint32 topic)
{
    const QString key = QLatin1String(prefix) + QString::number(topic);
    const bool cached = m_db.GetTransDepth() > 0;
    if (cached) {
        const auto found = m_markCache.constFind(key);
        if (found != m_markCache.cend())
            return *found;
    }
    QString value;
    GetSetupValue(key, value);
    if (cached)
        m_markCache.insert(key, value.toInt());
    return value.toInt();
}

bool ProjectDataEngine::RaiseMark(const char* prefix, qint32 topic, qint32 value)
{
    if (value <= ReadMark(prefix, topic))
        return true;
    const QString key = QLatin1String(prefix) + QString::number(topic);
    if (!SetSetupValue(key, QString::number(value))) {
        m_markCache.remove(key);
        return false;
    }
    if (m_db.GetTransDepth() > 0)
        m_markCache.insert(key, value);
    return true;
}

bool ProjectDataEngine::BeginTrans()
{
    if (m_db.GetTransDepth() == 0)
        m_markCache.clear();
    return m_db.BeginTrans();
}

bool ProjectDataEngine::Rollback()
{
    // A level rolled back may have taken a mark written inside it along.
    m_markCache.clear();
    // ... and a column added inside it: statements naming it must go.
    m_writeStatements.clear();
    m_fieldStatements.clear();
    return m_db.Rollback();
}

// ---------------------------------------------------------------------------
// Stored models

bool ProjectDataEngine::ReadModel(StoredModel& model)
{
    if (model.ID == 0)
        return true;
    dao::Recordset rs(m_db);
    if (!IsOpen() ||
        !rs.Open(QStringLiteral("SELECT [Name],[Date],[Author],[Comment],[Data] FROM [sys_Models] WHERE [ID]=?;"),
                 {model.ID}))
        return FailRead();
    if (rs.IsEOF())
        return false;
    const auto text = [&rs](int column) {
        return rs.GetKind(column) == dao::Recordset::Kind::Text ? rs.GetValue(column).toString() : QString();
    };
    const dao::Recordset::Kind dateKind = rs.GetKind(1);
    const bool dated = dateKind == dao::Recordset::Kind::Real || dateKind == dao::Recordset::Kind::Integer;
    QByteArray comment;
    QByteArray data;
    QString reason;
    if (!DecompressBlob(rs.GetValue(3).toByteArray(), comment, &reason) ||
        !DecompressBlob(rs.GetValue(4).toByteArray(), data, &reason))
        return FailText(StoreText::DamagedValue, EngineError::BadValue,
                        QStringLiteral("sys_Models, %1: %2").arg(model.ID).arg(reason));
    model.Name = text(0);
    model.Date = dated ? OleDate{rs.GetDouble(1), DateStatus::Valid} : OleDate{0, DateStatus::Null};
    model.Author = text(2);
    model.Comment = comment;
    model.Data = SerialBuffer(data);
    return true;
}

bool ProjectDataEngine::WriteModel(StoredModel& model)
{
    dao::Transaction transaction(m_db);
    if (!transaction.IsActive())
        return FailDb();
    const qint32 givenId = model.ID;
    if (model.ID == 0) {
        dao::Recordset rs(m_db);
        if (!rs.Open(QStringLiteral("SELECT max([ID]) FROM [sys_Models];")))
            return FailDb();
        model.ID = qint32(rs.GetInt64(0)) + 1;
    }
    const QVariantList values = {model.Name, model.Date.IsValid() ? QVariant(model.Date.value) : QVariant(),
                                 model.Author, StoredBlobValue(model.Comment), StoredBlobValue(model.Data.Data()),
                                 model.ID};
    bool ok = m_db.Execute(QStringLiteral("UPDATE [sys_Models] SET [Name]=?,[Date]=?,[Author]=?,[Comment]=?,"
                                          "[Data]=? WHERE [ID]=?;"),
                           values);
    if (ok && m_db.GetRecordsAffected() == 0)
        ok = m_db.Execute(QStringLiteral("INSERT INTO [sys_Models]([Name],[Date],[Author],[Comment],[Data],[ID]) "
                                         "VALUES(?,?,?,?,?,?);"),
                          values);
    if (ok && transaction.Commit())
        return true;
    model.ID = givenId;
    return FailDb();
}

bool ProjectDataEngine::DeleteModel(qint32 modelId)
{
    return m_db.Execute(QStringLiteral("DELETE FROM [sys_Models] WHERE [ID]=?;"), {modelId}) || FailDb();
}

bool ProjectDataEngine::ListModels(QList<qint32>& ids, QStringList& names)
{
    dao::Recordset rs(m_db);
    if (!IsOpen() || !rs.Open(QStringLiteral("SELECT [ID],[Name] FROM [sys_Models] ORDER BY [ID];")))
        return FailRead();
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ids.append(qint32(rs.GetInt64(0)));
        names.append(rs.GetValue(1).toString());
    }
    return true;
}
