#include "platform/dao/database.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <cmath>
#include <limits>

namespace dao {

namespace {

// Prepared statements kept per connection; beyond this the cache starts over.
constexpr qsizetype kStatementCacheLimit = 128;

const char* TypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer: return "INTEGER";
    case ColumnType::Real: return "REAL";
    case ColumnType::Text: return "TEXT";
    case ColumnType::Blob: return "BLOB";
    }
    return "BLOB";
}

Status StatusOf(int code)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return Status::InUse;
    case SQLITE_NOTADB: return Status::NotADatabase;
    default: return Status::Failed;
    }
}

int CompareIgnoringCase(void*, int leftBytes, const void* left, int rightBytes, const void* right)
{
    const QStringView a(static_cast<const char16_t*>(left), leftBytes / 2);
    const QStringView b(static_cast<const char16_t*>(right), rightBytes / 2);
    return a.compare(b, Qt::CaseInsensitive);
}

QString ColumnSql(const FieldDef& field)
{
    QString sql = QuoteName(field.name) + QLatin1Char(' ') + QLatin1String(TypeName(field.type));
    if (field.noCase)
        sql += QLatin1String(" COLLATE NOCASE");
    return sql;
}

}  // namespace

QString QuoteName(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char(']')) || name.contains(QChar(0)))
        return {};
    return QLatin1Char('[') + name + QLatin1Char(']');
}

Database::~Database()
{
    Close();
}

bool Database::Create(const QString& path)
{
    return OpenFile(path, OpenMode::Create);
}

bool Database::Open(const QString& path)
{
    return OpenFile(path, OpenMode::Open);
}

bool Database::OpenReadOnly(const QString& path)
{
    return OpenFile(path, OpenMode::ReadOnly);
}

bool Database::OpenFile(const QString& path, OpenMode mode)
{
    Close();
    ClearError();
    const bool create = mode == OpenMode::Create;
    const bool exists = QFileInfo::exists(path);
    if (create && exists)
        return Fail(QStringLiteral("The file %1 exists already.").arg(path), Status::Exists);
    if (!create && !exists)
        return Fail(QStringLiteral("The file %1 does not exist.").arg(path), Status::NotFound);

    // A connection is used by one thread only: no mutex around each call.
    int flags = SQLITE_OPEN_NOMUTEX;
    QByteArray name = QFile::encodeName(path);
    if (mode == OpenMode::ReadOnly) {
        flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        name = ReadOnlyName(path);
        if (name.isEmpty())
            return false;
    } else {
        flags |= SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    }
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        FailFromDb();
        sqlite3_close(m_db);
        m_db = nullptr;
        m_view.reset();
        return false;
    }
    // A read-only connection cannot checkpoint; said once more for the
    // view, whose main file may be the user's file linked.
    if (mode == OpenMode::ReadOnly)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 0);
    sqlite3_create_collation_v2(m_db, "UNICODE_NOCASE", SQLITE_UTF16_ALIGNED, nullptr, CompareIgnoringCase, nullptr);
    m_path = path;
    if (mode == OpenMode::ReadOnly)
        return true;
    if (!ApplyOpenSettings()) {
        const QString error = m_lastError;
        const Status status = m_lastStatus;
        FinalizeAll();
        sqlite3_close(m_db);
        m_db = nullptr;
        m_path.clear();
        if (create)
            QFile::remove(path);
        return Fail(status == Status::InUse ? QStringLiteral("The file %1 is in use by another program.").arg(path)
                                            : error,
                    status);
    }
    return true;
}

QByteArray Database::ReadOnlyName(const QString& path)
{
    const QString log = path + QStringLiteral("-wal");
    if (QFileInfo(log).size() == 0) {
        // Nothing committed waits in a log: "immutable" reads the main file
        // without locks and makes no -wal or -shm beside it, which a plain
        // read-only open would.
        return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
    }
    // After a stop during a checkpoint the main file alone is not whole;
    // only file and log together are. SQLite reads a log through a -shm
    // that it makes beside the file, so it reads them in a private folder:
    // the file hard-linked (a copy across file systems) and the log copied,
    // so that nothing SQLite does with a log reaches the user's.
    m_view = std::make_unique<QTemporaryDir>();
    const QString view = m_view->filePath(QStringLiteral("view.db"));
    const bool made = m_view->isValid() &&
                      (::link(QFile::encodeName(path).constData(), QFile::encodeName(view).constData()) == 0 ||
                       QFile::copy(path, view)) &&
                      QFile::copy(log, view + QStringLiteral("-wal"));
    if (!made) {
        m_view.reset();
        Fail(QStringLiteral("The file %1 and its log cannot be read.").arg(path));
        return {};
    }
    return QUrl::fromLocalFile(view).toEncoded() + "?mode=ro";
}

bool Database::ApplyOpenSettings()
{
    // Exclusive locking before WAL keeps the log index in private memory and
    // the file locked from the first access until Close. The final read
    // takes the lock now, so a second opener fails here and not later.
    return Execute(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE;")) &&
           Execute(QStringLiteral("PRAGMA journal_mode=WAL;")) &&
           Execute(QStringLiteral("PRAGMA synchronous=FULL;")) &&
           Execute(QStringLiteral("SELECT count(*) FROM sqlite_master;"));
}

void Database::Close()
{
    if (!m_db)
        return;
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
    m_transDepth = 0;
    FinalizeAll();
    sqlite3_exec(m_db, "PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr);
    // close_v2: a recordset still open keeps the connection alive until it
    // finalizes its statement.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
    m_view.reset();
}

void Database::FinalizeAll()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
}

void Database::ClearError()
{
    m_lastError.clear();
    m_lastStatus = Status::Ok;
}

bool Database::Fail(const QString& message, Status status)
{
    m_lastError = message;
    m_lastStatus = status;
    return false;
}

bool Database::FailFromDb()
{
    if (!m_db)
        return Fail(QStringLiteral("out of memory"));
    return Fail(QString::fromUtf8(sqlite3_errmsg(m_db)), StatusOf(sqlite3_extended_errcode(m_db)));
}

QVariant Database::ColumnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const void* text = sqlite3_column_text16(statement, column);
        const int bytes = sqlite3_column_bytes16(statement, column);
        return QVariant(QString(reinterpret_cast<const QChar*>(text), bytes / 2));
    }
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(statement, column);
        const int bytes = sqlite3_column_bytes(statement, column);
        return QVariant(QByteArray(static_cast<const char*>(data), bytes));
    }
    default: return QVariant();
    }
}

bool BindValue(sqlite3_stmt* statement, int index, const QVariant& value, QString* why)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(statement, index);
    } else {
        // Values of the common types are read in place; converting each
        // through QVariant costs more than binding it.
        const void* data = value.constData();
        switch (value.typeId()) {
        case QMetaType::Int: rc = sqlite3_bind_int64(statement, index, *static_cast<const int*>(data)); break;
        case QMetaType::LongLong: rc = sqlite3_bind_int64(statement, index, *static_cast<const qlonglong*>(data)); break;
        case QMetaType::Double:
        case QMetaType::Float: {
            const double number = value.typeId() == QMetaType::Double ? *static_cast<const double*>(data)
                                                                      : value.toDouble();
            if (std::isnan(number)) {
                *why = QStringLiteral("the number is not a number (NaN)");
                return false;
            }
            rc = sqlite3_bind_double(statement, index, number);
            break;
        }
        case QMetaType::QString: {
            // utf16() of a null QString is "" too, never a null pointer (NULL).
            const QString& text = *static_cast<const QString*>(data);
            rc = sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::Bool:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort: rc = sqlite3_bind_int64(statement, index, value.toLongLong()); break;
        case QMetaType::ULongLong:
            if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
                *why = QStringLiteral("the number is too large for the database");
                return false;
            }
            rc = sqlite3_bind_int64(statement, index, value.toLongLong());
            break;
        case QMetaType::QByteArray: {
            const QByteArray& bytes = *static_cast<const QByteArray*>(data);
            // An empty array binds as a zero-length blob, not as NULL.
            rc = bytes.isEmpty() ? sqlite3_bind_zeroblob(statement, index, 0)
                                 : sqlite3_bind_blob64(statement, index, bytes.constData(),
                                                       sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            *why = QStringLiteral("values of type %1 cannot be stored").arg(QLatin1String(value.typeName()));
            return false;
        }
    }
    if (rc != SQLITE_OK) {
        *why = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(statement)));
        return false;
    }
    return true;
}

bool Database::Bind(sqlite3_stmt* statement, const QVariantList& values)
{
    if (sqlite3_bind_parameter_count(statement) != values.size())
        return Fail(QStringLiteral("The statement takes %1 values, %2 were given.")
                        .arg(sqlite3_bind_parameter_count(statement))
                        .arg(values.size()));
    for (int i = 0; i < values.size(); ++i) {
        QString why;
        if (!BindValue(statement, i + 1, values.at(i), &why))
            return Fail(QStringLiteral("Value %1: %2.").arg(i + 1).arg(why));
    }
    return true;
}

sqlite3_stmt* Database::Prepare(const QString& sql, const QVariantList& values, bool cached)
{
    if (!m_db) {
        Fail(QStringLiteral("The database is not open."));
        return nullptr;
    }
    sqlite3_stmt* statement = cached ? m_statements.value(sql) : nullptr;
    if (!statement) {
        const QByteArray text = sql.toUtf8();
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &statement, &tail) != SQLITE_OK) {
            FailFromDb();
            return nullptr;
        }
        if (!statement) {
            Fail(QStringLiteral("The SQL text holds no statement."));
            return nullptr;
        }
        for (const char* p = tail; p && p < text.constData() + text.size(); ++p) {
            if (*p != ';' && !QChar::isSpace(uchar(*p))) {
                sqlite3_finalize(statement);
                Fail(QStringLiteral("The SQL text holds more than one statement."));
                return nullptr;
            }
        }
        if (cached) {
            if (m_statements.size() >= kStatementCacheLimit)
                FinalizeAll();
            m_statements.insert(sql, statement);
        }
    }
    if (!Bind(statement, values)) {
        Release(statement, cached);
        return nullptr;
    }
    return statement;
}

void Database::Release(sqlite3_stmt* statement, bool cached)
{
    if (cached) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    } else {
        sqlite3_finalize(statement);
    }
}

bool Database::Execute(const QString& sql, const QVariantList& values)
{
    ClearError();
    sqlite3_stmt* statement = Prepare(sql, values, true);
    if (!statement)
        return false;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    const bool ok = rc == SQLITE_DONE;
    if (ok)
        m_recordsAffected = sqlite3_changes64(m_db);
    else
        FailFromDb();
    Release(statement, true);
    return ok;
}

bool Database::QueryValue(const QString& sql, const QVariantList& values, QVariant& value)
{
    ClearError();
    sqlite3_stmt* statement = Prepare(sql, values, true);
    if (!statement)
        return false;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        value = ColumnValue(statement, 0);
    else if (rc != SQLITE_DONE)
        FailFromDb();
    Release(statement, true);
    return rc == SQLITE_ROW;
}

QStringList Database::QueryTexts(const QString& sql, const QVariantList& values)
{
    QStringList texts;
    sqlite3_stmt* statement = Prepare(sql, values, true);
    if (!statement)
        return texts;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        texts.append(ColumnValue(statement, 0).toString());
    if (rc != SQLITE_DONE)
        FailFromDb();
    Release(statement, true);
    return texts;
}

bool Database::CreateTable(const TableDef& table)
{
    ClearError();
    const QString name = QuoteName(table.name);
    if (name.isEmpty() || table.fields.isEmpty())
        return Fail(QStringLiteral("Invalid table definition \"%1\".").arg(table.name));
    QStringList columns;
    for (const FieldDef& field : table.fields) {
        if (QuoteName(field.name).isEmpty())
            return Fail(QStringLiteral("Invalid column name \"%1\".").arg(field.name));
        columns.append(ColumnSql(field));
    }
    QStringList statements{QStringLiteral("CREATE TABLE %1(%2);").arg(name, columns.join(QStringLiteral(", ")))};
    for (const IndexDef& index : table.indexes) {
        const QString indexName = QuoteName(table.name + QLatin1Char('_') + index.name);
        QStringList indexColumns;
        for (const QString& column : index.columns)
            indexColumns.append(QuoteName(column));
        if (index.name.isEmpty() || indexName.isEmpty() || indexColumns.isEmpty() || indexColumns.contains(QString()))
            return Fail(QStringLiteral("Invalid index \"%1\" of table \"%2\".").arg(index.name, table.name));
        statements.append(QStringLiteral("CREATE %1INDEX %2 ON %3(%4);")
                              .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), indexName, name,
                                   indexColumns.join(QLatin1Char(','))));
    }
    Transaction transaction(*this);
    if (!transaction.IsActive())
        return false;
    for (const QString& statement : std::as_const(statements)) {
        if (!Execute(statement))
            return false;
    }
    return transaction.Commit();
}

bool Database::AddColumn(const QString& table, const FieldDef& field)
{
    ClearError();
    const QString name = QuoteName(table);
    if (name.isEmpty() || QuoteName(field.name).isEmpty())
        return Fail(QStringLiteral("Invalid column \"%1\" of table \"%2\".").arg(field.name, table));
    return Execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2;").arg(name, ColumnSql(field)));
}

bool Database::DropColumn(const QString& table, const QString& column)
{
    ClearError();
    const QString name = QuoteName(table);
    const QString columnName = QuoteName(column);
    if (name.isEmpty() || columnName.isEmpty())
        return Fail(QStringLiteral("Invalid column \"%1\" of table \"%2\".").arg(column, table));
    return Execute(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2;").arg(name, columnName));
}

QStringList Database::GetTableNames()
{
    ClearError();
    return QueryTexts(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid;"));
}

QStringList Database::GetColumnNames(const QString& table)
{
    ClearError();
    return QueryTexts(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid;"), {table});
}

bool Database::BeginTrans()
{
    ClearError();
    const bool ok = m_transDepth == 0 ? Execute(QStringLiteral("BEGIN IMMEDIATE;"))
                                      : Execute(QStringLiteral("SAVEPOINT dao_%1;").arg(m_transDepth));
    if (ok)
        ++m_transDepth;
    return ok;
}

bool Database::CommitTrans()
{
    ClearError();
    if (m_transDepth == 0)
        return Fail(QStringLiteral("No transaction is open."));
    // SQLite rolls a transaction back by itself after some errors (disk
    // full, I/O): then there is nothing left to commit.
    if (sqlite3_get_autocommit(m_db)) {
        m_transDepth = 0;
        return Fail(QStringLiteral("The transaction was rolled back after an error."));
    }
    if (m_transDepth > 1) {
        if (!Execute(QStringLiteral("RELEASE dao_%1;").arg(m_transDepth - 1)))
            return false;
        --m_transDepth;
        return true;
    }
    if (Execute(QStringLiteral("COMMIT;"))) {
        m_transDepth = 0;
        return true;
    }
    const QString error = m_lastError;
    sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
    m_transDepth = 0;
    return Fail(error);
}

bool Database::Rollback()
{
    ClearError();
    if (m_transDepth == 0)
        return Fail(QStringLiteral("No transaction is open."));
    if (sqlite3_get_autocommit(m_db)) {
        m_transDepth = 0;
        return true;
    }
    if (m_transDepth > 1) {
        const QString savepoint = QStringLiteral("dao_%1").arg(m_transDepth - 1);
        --m_transDepth;
        return Execute(QStringLiteral("ROLLBACK TO %1;").arg(savepoint)) &&
               Execute(QStringLiteral("RELEASE %1;").arg(savepoint));
    }
    m_transDepth = 0;
    return Execute(QStringLiteral("ROLLBACK;"));
}

bool Database::CompactTo(const QString& target, QString& error)
{
    ClearError();
    auto fail = [&](const QString& message, Status status = Status::Failed) {
        Fail(message, status);
        error = message;
        return false;
    };
    if (!m_db)
        return fail(QStringLiteral("The database is not open."));
    if (m_transDepth > 0)
        return fail(QStringLiteral("A database cannot be compacted inside a transaction."));
    if (QFileInfo::exists(target))
        return fail(QStringLiteral("The file %1 exists already.").arg(target), Status::Exists);

    // The copy is written beside the target and renamed into place, so the
    // target is either complete or absent.
    QTemporaryFile temporary(target + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return fail(QStringLiteral("Cannot write beside %1: %2").arg(target, temporary.errorString()));
    temporary.close();
    const QString temporaryPath = temporary.fileName();
    if (!Execute(QStringLiteral("VACUUM INTO ?;"), {temporaryPath}))
        return fail(m_lastError);
    QFile written(temporaryPath);
    if (!written.open(QIODevice::ReadWrite) || ::fsync(written.handle()) != 0)
        return fail(QStringLiteral("Cannot flush %1 to disk.").arg(temporaryPath));
    written.close();
    if (QFileInfo::exists(target))
        return fail(QStringLiteral("The file %1 exists already.").arg(target), Status::Exists);
    if (!temporary.rename(target))
        return fail(QStringLiteral("Cannot rename %1 to %2: %3").arg(temporaryPath, target, temporary.errorString()));
    temporary.setAutoRemove(false);
    return true;
}

}  // namespace dao
