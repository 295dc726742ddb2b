#pragma once

#include <QHash>
#include <QTemporaryDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

/// @short The project file's database layer: a small set of database
/// operations on one SQLite file, in the shape the store expects of a
/// desktop database (create, open, execute, table definitions, recordsets,
/// transactions, compaction).
///
/// Values always travel as bound parameters ("?" in the SQL text), never
/// formatted into it. Table and column names are quoted with "[" "]" by the
/// layer and refused when they hold a "]". Errors never throw: an operation
/// returns false and LastError() carries SQLite's message.
///
/// A Database and its recordsets belong to one thread at a time. Every
/// connection knows the collation UNICODE_NOCASE, which compares texts
/// ignoring case in every script (SQLite's NOCASE folds ASCII only); it
/// exists on this program's connections only, so schemas keep NOCASE and
/// queries name UNICODE_NOCASE where they need it.
namespace dao {

/// Declared column types; a value's own storage class may still differ.
enum class ColumnType { Integer, Real, Text, Blob };

struct FieldDef {
    QString name;
    ColumnType type = ColumnType::Integer;
    bool noCase = false;  ///< text compared ignoring ASCII case (COLLATE NOCASE)
};

struct IndexDef {
    QString name;         ///< per-table name; stored as "<table>_<name>"
    QStringList columns;  ///< ascending, in this order
    bool unique = false;
};

struct TableDef {
    QString name;
    QList<FieldDef> fields;  ///< in ordinal order
    QList<IndexDef> indexes;
};

/// Why the last operation failed, where a caller needs to tell cases apart.
enum class Status {
    Ok,
    NotFound,      ///< Open of a path without a file
    Exists,        ///< Create or CompactTo onto an existing path
    NotADatabase,  ///< the file is not an SQLite database
    InUse,         ///< another connection (or program) holds the file
    Failed,        ///< any other error; see LastError()
};

/// "[name]", or an empty text when the name cannot be quoted that way.
QString QuoteName(const QString& name);

/// Binds a value to a statement's parameter (1-based) as the layer stores
/// values: integers and bool as INTEGER, double and float as REAL, QString
/// as TEXT ("" stays apart from NULL), QByteArray as BLOB (an empty one
/// stays an empty blob), a null QVariant as NULL. False with why set for a
/// value that cannot be stored as it is (another type, an unsigned number
/// beyond the signed 64-bit range, NaN, which SQLite would make NULL) or
/// when SQLite refuses it.
bool BindValue(sqlite3_stmt* statement, int index, const QVariant& value, QString* why);

class Recordset;

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /// Makes a new database file; refuses a path that exists (Status::Exists).
    bool Create(const QString& path);
    /// Opens an existing file exclusively for reading and writing: journal
    /// mode WAL with synchronous=FULL, and a lock held until Close, so a
    /// second opener (this program or another) fails with Status::InUse.
    bool Open(const QString& path);
    /// Opens an existing file for reading what SQLite would read in it,
    /// committed changes still in its log ("-wal") included, without ever
    /// writing to the file or its log and without making companion files
    /// beside it. For looking at a file before deciding to Open it. A file
    /// with a log is read through a private view in a temporary folder
    /// (the file linked or copied there, with a copy of the log), removed
    /// at Close; a linked file shares the locks of the program (this one
    /// too) that holds it open, and then reads as Status::InUse.
    bool OpenReadOnly(const QString& path);
    /// Rolls back an open transaction, checkpoints the log into the file and
    /// closes it; a closed database is one self-contained file.
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    /// The path given to Create or Open; empty when closed.
    QString GetName() const { return m_path; }

    /// Runs one statement with its values bound in order; a text holding
    /// more than one statement is refused.
    bool Execute(const QString& sql, const QVariantList& values = {});
    /// Rows changed by the last Execute.
    qint64 GetRecordsAffected() const { return m_recordsAffected; }
    /// The first column of the first row of a query run often (its
    /// statement is kept); false when it fails or gives no row.
    bool QueryValue(const QString& sql, const QVariantList& values, QVariant& value);

    /// Creates the table and its indexes as one unit.
    bool CreateTable(const TableDef& table);
    /// Appends a column to an existing table.
    bool AddColumn(const QString& table, const FieldDef& field);
    /// Removes a column; SQLite refuses a column that an index uses.
    bool DropColumn(const QString& table, const QString& column);
    QStringList GetTableNames();
    /// Column names in ordinal order; empty for an unknown table.
    QStringList GetColumnNames(const QString& table);

    /// Transactions nest: the outermost is a real transaction, inner ones
    /// are savepoints that Rollback undoes on their own.
    bool BeginTrans();
    bool CommitTrans();
    bool Rollback();
    int GetTransDepth() const { return m_transDepth; }

    /// Writes a compacted copy of the open database to a target that must
    /// not exist yet, through a temporary file renamed into place. Not
    /// inside a transaction. On failure the error text says why.
    bool CompactTo(const QString& target, QString& error);

    QString LastError() const { return m_lastError; }
    Status LastStatus() const { return m_lastStatus; }

private:
    friend class Recordset;

    enum class OpenMode { Create, Open, ReadOnly };
    bool OpenFile(const QString& path, OpenMode mode);
    bool ApplyOpenSettings();
    /// The name to open for reading path as SQLite would; empty (with the
    /// error set) when a private view of its log cannot be made.
    QByteArray ReadOnlyName(const QString& path);
    /// A statement with the values bound; cached statements are kept per
    /// SQL text and must be given back with Release. Null (and LastError
    /// set) when it cannot be prepared or bound.
    sqlite3_stmt* Prepare(const QString& sql, const QVariantList& values, bool cached);
    void Release(sqlite3_stmt* statement, bool cached);
    bool Bind(sqlite3_stmt* statement, const QVariantList& values);
    static QVariant ColumnValue(sqlite3_stmt* statement, int column);
    /// The first column of every row as text.
    QStringList QueryTexts(const QString& sql, const QVariantList& values = {});
    bool Fail(const QString& message, Status status = Status::Failed);
    bool FailFromDb();
    void ClearError();
    void FinalizeAll();

    sqlite3* m_db = nullptr;
    QString m_path;
    QString m_lastError;
    Status m_lastStatus = Status::Ok;
    qint64 m_recordsAffected = 0;
    int m_transDepth = 0;
    QHash<QString, sqlite3_stmt*> m_statements;  // prepared once per SQL text
    std::unique_ptr<QTemporaryDir> m_view;        // a read-only open's private view, if any
};

/// Begins a transaction and rolls it back on destruction unless committed.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db), m_active(db.BeginTrans()) {}
    ~Transaction()
    {
        if (m_active)
            m_db.Rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool IsActive() const { return m_active; }
    bool Commit()
    {
        if (!m_active)
            return false;
        m_active = false;
        return m_db.CommitTrans();
    }

private:
    Database& m_db;
    bool m_active;
};

}  // namespace dao
