#include "platform/jet/jetcopy.h"

#include "platform/dao/database.h"
#include "platform/jet/jetreader.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// "[name]"; empty with error set for a name that cannot be quoted so (inside
// [ ] nothing can be escaped, so a name with "]" cannot be written).
QString Quoted(const QString& name, const QString& what, QString* error)
{
    const QString quoted = dao::QuoteName(name);
    if (quoted.isEmpty())
        *error = QStringLiteral("The %1 name \"%2\" cannot be used in the new file").arg(what, name);
    return quoted;
}

const char* DeclaredType(JetColumnType type)
{
    switch (type) {
    case JetColumnType::Boolean:
    case JetColumnType::Integer:
        return "INTEGER";
    case JetColumnType::Real:
    case JetColumnType::Currency:
    case JetColumnType::Date:
        return "REAL";
    case JetColumnType::Text:
    case JetColumnType::Memo:
    case JetColumnType::Decimal:
        return "TEXT";
    case JetColumnType::Binary:
        return "BLOB";
    }
    return "BLOB";
}

/// Reserves a fresh file beside target, created with the usual permissions
/// (0666 less the umask); empty on failure.
QString CreateTemporaryBeside(const QString& target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QStringLiteral("%1.%2.tmp")
                                      .arg(target)
                                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

class Copier {
public:
    Copier(JetReader& reader, const JetCopyOptions& options) : m_reader(reader), m_options(options) {}
    ~Copier()
    {
        m_insert.reset();
        if (m_db)
            sqlite3_close_v2(m_db);
    }

    bool Run(const QString& file, QString* error);

private:
    bool Exec(const QString& sql);
    bool CopyTable(const JetTable& table, QString* error);
    bool InsertRow(const JetTable& table, const QVariantList& row);
    QString DatabaseError() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

    JetReader& m_reader;
    const JetCopyOptions& m_options;
    sqlite3* m_db = nullptr;
    Statement m_insert;
    QString m_rowError;  // why the last InsertRow failed
};

bool Copier::Run(const QString& file, QString* error)
{
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("The new file cannot be written: %1").arg(m_db ? DatabaseError() : QString());
        return false;
    }
    if (!Exec(QStringLiteral("BEGIN"))) {
        *error = DatabaseError();
        return false;
    }
    for (const JetTable& table : m_reader.Tables())
        if (!CopyTable(table, error))
            return false;
    if (!Exec(QStringLiteral("COMMIT"))) {
        *error = QStringLiteral("The new file cannot be completed: %1").arg(DatabaseError());
        return false;
    }
    const int rc = sqlite3_close(m_db);
    m_db = nullptr;
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("The new file cannot be closed: %1").arg(QString::fromUtf8(sqlite3_errstr(rc)));
        return false;
    }
    return true;
}

bool Copier::Exec(const QString& sql)
{
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &raw, &tail) != SQLITE_OK)
        return false;
    Statement statement(raw);
    return *tail == '\0' && sqlite3_step(statement.get()) == SQLITE_DONE;
}

bool Copier::CopyTable(const JetTable& table, QString* error)
{
    const auto fail = [&](const QString& why) {
        *error = QStringLiteral("Table \"%1\": %2").arg(table.name, why);
        return false;
    };
    const QString tableName = Quoted(table.name, QStringLiteral("table"), error);
    if (tableName.isEmpty())
        return false;
    if (table.columns.isEmpty())
        return fail(QStringLiteral("it has no columns"));
    QStringList definitions;
    QStringList placeholders;
    for (const JetColumn& column : table.columns) {
        QString definition = Quoted(column.name, QStringLiteral("column"), error);
        if (definition.isEmpty())
            return fail(*error);
        definition += QLatin1Char(' ') + QLatin1String(DeclaredType(column.type));
        const bool text = column.type == JetColumnType::Text || column.type == JetColumnType::Memo;
        if (text && m_options.noCase && m_options.noCase(table.name, column.name))
            definition += QLatin1String(" COLLATE NOCASE");
        definitions.append(definition);
        placeholders.append(QStringLiteral("?"));
    }
    if (!Exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(tableName, definitions.join(QLatin1String(", ")))))
        return fail(DatabaseError());

    const QByteArray insert =
        QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(tableName, placeholders.join(QLatin1Char(','))).toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, insert.constData(), int(insert.size()), &raw, nullptr) != SQLITE_OK)
        return fail(DatabaseError());
    m_insert.reset(raw);
    qint64 rowNumber = 0;
    m_rowError.clear();
    QString readError;
    const bool read = m_reader.ReadRows(table.name, [&](const QVariantList& row) {
        ++rowNumber;
        return InsertRow(table, row);
    }, &readError);
    m_insert.reset();
    if (!read) {
        if (!m_rowError.isEmpty())
            return fail(QStringLiteral("row %1: %2").arg(rowNumber).arg(m_rowError));
        *error = readError;
        return false;
    }

    // Index names are schema-wide in SQLite, so each carries its table's name.
    for (const JetIndex& index : table.indexes) {
        QStringList columns;
        for (const QString& column : index.columns)
            columns.append(dao::QuoteName(column));
        const QString name = Quoted(table.name + QLatin1Char('_') + index.name, QStringLiteral("index"), error);
        if (name.isEmpty())
            return fail(*error);
        if (!Exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(name, tableName, columns.join(QLatin1String(", ")))))
            return fail(QStringLiteral("index \"%1\": %2").arg(index.name, DatabaseError()));
    }
    return true;
}

bool Copier::InsertRow(const JetTable& table, const QVariantList& row)
{
    if (row.size() != table.columns.size()) {
        m_rowError = QStringLiteral("%1 values for %2 columns").arg(row.size()).arg(table.columns.size());
        return false;
    }
    sqlite3_stmt* statement = m_insert.get();
    sqlite3_reset(statement);
    for (qsizetype i = 0; i < row.size(); ++i) {
        QString why;
        if (!dao::BindValue(statement, int(i) + 1, row[i], &why)) {
            m_rowError = QStringLiteral("column \"%1\": %2").arg(table.columns[i].name, why);
            return false;
        }
    }
    if (sqlite3_step(statement) != SQLITE_DONE) {
        m_rowError = DatabaseError();
        return false;
    }
    return true;
}

}  // namespace

bool CopyJetToSqlite(JetReader& reader, const QString& targetPath, QString* error, const JetCopyOptions& options)
{
    QString why;
    const QFileInfo target(targetPath);
    if (target.exists() || target.isSymLink()) {
        why = QStringLiteral("%1 exists already").arg(targetPath);
    } else {
        const QString temporary = CreateTemporaryBeside(targetPath);
        if (temporary.isEmpty()) {
            why = QStringLiteral("No file can be created beside %1: %2").arg(targetPath, QString::fromLocal8Bit(strerror(errno)));
        } else {
            bool copied = false;
            {
                Copier copier(reader, options);
                copied = copier.Run(temporary, &why);
            }
            // QFile::rename never replaces a file that appeared meanwhile.
            if (copied && !QFile::rename(temporary, targetPath)) {
                why = QStringLiteral("The new file cannot be renamed to %1").arg(targetPath);
                copied = false;
            }
            if (copied)
                return true;
            QFile::remove(temporary);
            QFile::remove(temporary + QLatin1String("-journal"));
        }
    }
    if (error)
        *error = why;
    return false;
}
