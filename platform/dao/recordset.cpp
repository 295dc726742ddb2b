#include "platform/dao/recordset.h"

#include <sqlite3.h>

namespace dao {

namespace {

bool IsNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: return true;
    default: return false;
    }
}

bool IsInteger(const QVariant& value)
{
    return IsNumber(value) && value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float;
}

bool SameValue(const QVariant& stored, const QVariant& wanted)
{
    if (stored.isNull() || wanted.isNull())
        return stored.isNull() && wanted.isNull();
    if (IsNumber(stored) && IsNumber(wanted)) {
        if (IsInteger(stored) && IsInteger(wanted))
            return stored.toLongLong() == wanted.toLongLong();
        return stored.toDouble() == wanted.toDouble();
    }
    if (stored.typeId() != wanted.typeId())
        return false;
    return stored == wanted;
}

}  // namespace

Recordset::~Recordset()
{
    Close();
}

void Recordset::Close()
{
    if (m_statement)
        m_db.Release(m_statement, false);
    m_statement = nullptr;
    m_open = false;
    m_dynaset = false;
    m_eof = true;
    m_columns.clear();
    m_columnIndex.clear();
    m_table.clear();
    m_rows.clear();
    m_current = 0;
    CancelUpdate();
}

bool Recordset::Fail(const QString& message)
{
    return m_db.Fail(message);
}

void Recordset::MapColumns()
{
    m_columnIndex.clear();
    for (int i = 0; i < m_columns.size(); ++i) {
        const QString key = m_columns.at(i).toLower();
        if (!m_columnIndex.contains(key))
            m_columnIndex.insert(key, i);
    }
}

int Recordset::ColumnIndex(const QString& column) const
{
    return m_columnIndex.value(column.toLower(), -1);
}

bool Recordset::Open(const QString& sql, const QVariantList& values)
{
    Close();
    m_db.ClearError();
    m_statement = m_db.Prepare(sql, values, false);
    if (!m_statement)
        return false;
    for (int i = 0; i < sqlite3_column_count(m_statement); ++i)
        m_columns.append(QString::fromUtf8(sqlite3_column_name(m_statement, i)));
    MapColumns();
    m_open = true;
    m_eof = false;
    if (!MoveNext()) {
        if (m_db.LastStatus() != Status::Ok) {
            Close();
            return false;
        }
    }
    return true;
}

bool Recordset::OpenTable(const QString& tableName, const QString& where, const QVariantList& values,
                          const QString& orderBy, const QStringList& columnNames)
{
    Close();
    m_db.ClearError();
    const QString table = QuoteName(tableName);
    if (table.isEmpty())
        return Fail(QStringLiteral("Invalid table name \"%1\".").arg(tableName));
    QStringList columns;
    for (const QString& column : columnNames) {
        columns.append(QuoteName(column));
        if (columns.last().isEmpty())
            return Fail(QStringLiteral("Invalid column name \"%1\".").arg(column));
    }
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2")
                      .arg(columns.isEmpty() ? QStringLiteral("*") : columns.join(QLatin1Char(',')), table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + orderBy;
    sql += QLatin1Char(';');

    sqlite3_stmt* statement = m_db.Prepare(sql, values, false);
    if (!statement)
        return false;
    const int count = sqlite3_column_count(statement);
    for (int i = 1; i < count; ++i)
        m_columns.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        Row row;
        row.rowid = sqlite3_column_int64(statement, 0);
        row.values.reserve(count - 1);
        for (int i = 1; i < count; ++i)
            row.values.append(Database::ColumnValue(statement, i));
        m_rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        m_db.FailFromDb();
        m_db.Release(statement, false);
        const QString error = m_db.LastError();
        Close();
        return Fail(error);
    }
    m_db.Release(statement, false);
    MapColumns();
    m_table = tableName;
    m_open = true;
    m_dynaset = true;
    m_current = 0;
    return true;
}

bool Recordset::IsEOF() const
{
    if (!m_open)
        return true;
    return m_dynaset ? m_current >= m_rows.size() : m_eof;
}

void Recordset::SkipDeleted()
{
    while (m_current < m_rows.size() && m_rows.at(m_current).deleted)
        ++m_current;
}

bool Recordset::MoveNext()
{
    if (IsEOF())
        return false;
    CancelUpdate();
    if (m_dynaset) {
        ++m_current;
        SkipDeleted();
        return !IsEOF();
    }
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    m_eof = true;
    if (rc != SQLITE_DONE)
        m_db.FailFromDb();
    return false;
}

bool Recordset::MoveFirst()
{
    if (!m_dynaset)
        return Fail(QStringLiteral("Only a dynaset can move back to its first row."));
    CancelUpdate();
    m_current = 0;
    SkipDeleted();
    return !IsEOF();
}

int Recordset::GetRecordCount() const
{
    int count = 0;
    for (const Row& row : m_rows)
        count += row.deleted ? 0 : 1;
    return count;
}

bool Recordset::FindFirst(const QString& column, const QVariant& value)
{
    if (!m_dynaset)
        return Fail(QStringLiteral("Only a dynaset can search its rows."));
    CancelUpdate();
    const int index = ColumnIndex(column);
    if (index < 0)
        return Fail(QStringLiteral("The result set has no column \"%1\".").arg(column));
    for (m_current = 0; m_current < m_rows.size(); ++m_current) {
        const Row& row = m_rows.at(m_current);
        if (!row.deleted && SameValue(row.values.at(index), value))
            return true;
    }
    return false;
}

bool Recordset::GetValue(const QString& column, QVariant& value) const
{
    const int index = ColumnIndex(column);
    if (index < 0)
        return m_db.Fail(QStringLiteral("The result set has no column \"%1\".").arg(column));
    if (IsEOF() || (m_dynaset && m_rows.at(m_current).deleted))
        return m_db.Fail(QStringLiteral("There is no current row."));
    value = m_dynaset ? m_rows.at(m_current).values.at(index) : Database::ColumnValue(m_statement, index);
    return true;
}

QVariant Recordset::GetValue(const QString& column) const
{
    QVariant value;
    GetValue(column, value);
    return value;
}

QVariant Recordset::GetValue(int index) const
{
    if (index < 0 || index >= m_columns.size() || IsEOF())
        return {};
    if (m_dynaset)
        return m_rows.at(m_current).deleted ? QVariant() : m_rows.at(m_current).values.at(index);
    return Database::ColumnValue(m_statement, index);
}

Recordset::Kind Recordset::GetKind(int index) const
{
    if (!HasColumn(index))
        return Kind::Null;
    switch (sqlite3_column_type(m_statement, index)) {
    case SQLITE_INTEGER: return Kind::Integer;
    case SQLITE_FLOAT: return Kind::Real;
    case SQLITE_TEXT: return Kind::Text;
    case SQLITE_BLOB: return Kind::Blob;
    default: return Kind::Null;
    }
}

bool Recordset::HasColumn(int index) const
{
    return !m_dynaset && m_statement && !m_eof && index >= 0 && index < m_columns.size();
}

qint64 Recordset::GetInt64(int index) const
{
    return HasColumn(index) ? sqlite3_column_int64(m_statement, index) : 0;
}

double Recordset::GetDouble(int index) const
{
    return HasColumn(index) ? sqlite3_column_double(m_statement, index) : 0;
}

QStringView Recordset::GetTextView(int index) const
{
    if (!HasColumn(index))
        return {};
    const void* text = sqlite3_column_text16(m_statement, index);
    const int bytes = sqlite3_column_bytes16(m_statement, index);
    return text ? QStringView(static_cast<const char16_t*>(text), bytes / 2) : QStringView();
}

bool Recordset::AddNew()
{
    if (!m_dynaset)
        return Fail(QStringLiteral("Rows can be added only through a dynaset."));
    CancelUpdate();
    m_pending = Pending::Adding;
    return true;
}

bool Recordset::Edit()
{
    if (!m_dynaset)
        return Fail(QStringLiteral("Rows can be changed only through a dynaset."));
    CancelUpdate();
    if (IsEOF() || m_rows.at(m_current).deleted)
        return Fail(QStringLiteral("There is no current row."));
    m_pending = Pending::Editing;
    return true;
}

bool Recordset::SetValue(const QString& column, const QVariant& value)
{
    if (m_pending == Pending::None)
        return Fail(QStringLiteral("SetValue needs AddNew or Edit first."));
    if (QuoteName(column).isEmpty())
        return Fail(QStringLiteral("Invalid column name \"%1\".").arg(column));
    for (int i = 0; i < m_pendingColumns.size(); ++i) {
        if (m_pendingColumns.at(i).compare(column, Qt::CaseInsensitive) == 0) {
            m_pendingValues[i] = value;
            return true;
        }
    }
    m_pendingColumns.append(column);
    m_pendingValues.append(value);
    return true;
}

void Recordset::CancelUpdate()
{
    m_pending = Pending::None;
    m_pendingColumns.clear();
    m_pendingValues.clear();
}

bool Recordset::Update()
{
    if (m_pending == Pending::None)
        return Fail(QStringLiteral("Update needs AddNew or Edit first."));
    const QString table = QuoteName(m_table);
    QStringList columns;
    for (const QString& column : std::as_const(m_pendingColumns))
        columns.append(QuoteName(column));

    Row row;
    QVariantList values = m_pendingValues;
    if (m_pending == Pending::Adding) {
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES;").arg(table);
        } else {
            QStringList marks(columns.size(), QStringLiteral("?"));
            sql = QStringLiteral("INSERT INTO %1(%2) VALUES(%3);")
                      .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        if (!m_db.Execute(sql, values))
            return false;
        row.rowid = sqlite3_last_insert_rowid(m_db.m_db);
    } else {
        row = m_rows.at(m_current);
        if (!columns.isEmpty()) {
            QStringList assignments;
            for (const QString& column : std::as_const(columns))
                assignments.append(column + QStringLiteral("=?"));
            values.append(row.rowid);
            if (!m_db.Execute(
                    QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?;").arg(table, assignments.join(QLatin1Char(','))),
                    values))
                return false;
            if (m_db.GetRecordsAffected() == 0)
                return Fail(QStringLiteral("The row no longer exists."));
        }
    }

    // Read the row back: the column types may have converted what was bound.
    QStringList selected;
    for (const QString& column : std::as_const(m_columns))
        selected.append(QuoteName(column));
    if (!selected.isEmpty()) {
        sqlite3_stmt* statement = m_db.Prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?;").arg(selected.join(QLatin1Char(',')), table),
            {row.rowid}, true);
        if (!statement)
            return false;
        if (sqlite3_step(statement) == SQLITE_ROW) {
            row.values.clear();
            for (int i = 0; i < m_columns.size(); ++i)
                row.values.append(Database::ColumnValue(statement, i));
        }
        m_db.Release(statement, true);
    }
    if (m_pending == Pending::Adding)
        m_rows.append(row);
    else
        m_rows[m_current] = row;
    CancelUpdate();
    return true;
}

bool Recordset::Delete()
{
    if (!m_dynaset)
        return Fail(QStringLiteral("Rows can be deleted only through a dynaset."));
    CancelUpdate();
    if (IsEOF() || m_rows.at(m_current).deleted)
        return Fail(QStringLiteral("There is no current row."));
    if (!m_db.Execute(QStringLiteral("DELETE FROM %1 WHERE rowid=?;").arg(QuoteName(m_table)),
                      {m_rows.at(m_current).rowid}))
        return false;
    m_rows[m_current].deleted = true;
    return true;
}

}  // namespace dao
