#pragma once

#include "platform/dao/database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace dao {

/// @short A result set, read column by column by name (ignoring case).
///
/// Two kinds: Open runs one query and reads it forward only, without
/// holding rows in memory (loads of whole tables); OpenTable makes an
/// updatable dynaset over rows of one table, fetched when it opens, on which
/// AddNew, Edit, SetValue, Update and Delete write through at once. Because
/// a dynaset holds its rows, editing the column it is ordered by never
/// visits a row twice.
///
/// Values read as qint64, double, QString, QByteArray, or a null QVariant
/// for NULL. Forward-only sets also read by column index without building a
/// QVariant (GetKind and the typed getters), for loads of large tables.
/// Every failure returns false and leaves its reason in the database's
/// LastError(). The recordset must not outlive its database.
class Recordset {
public:
    explicit Recordset(Database& db) : m_db(db) {}
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool Open(const QString& sql, const QVariantList& values = {});
    /// The rows of one table: where is a condition with "?" placeholders
    /// (without WHERE) bound to values in order, orderBy e.g. "[FieldID]",
    /// columns the columns to read (empty: every column).
    bool OpenTable(const QString& table, const QString& where = {}, const QVariantList& values = {},
                   const QString& orderBy = {}, const QStringList& columns = {});
    void Close();
    bool IsOpen() const { return m_open; }

    /// True past the last row (and for an empty set).
    bool IsEOF() const;
    bool MoveNext();
    /// Dynasets only: back to the first row that was not deleted.
    bool MoveFirst();
    /// Dynasets: rows fetched and added, less those deleted.
    int GetRecordCount() const;
    /// Dynasets: moves to the first row whose column equals the value
    /// (numbers by value, texts exactly); false and at EOF when none does.
    bool FindFirst(const QString& column, const QVariant& value);

    int GetFieldCount() const { return int(m_columns.size()); }
    QString GetFieldName(int index) const { return m_columns.value(index); }
    /// The column's value in the current row; false for an unknown column
    /// or when there is no current row.
    bool GetValue(const QString& column, QVariant& value) const;
    /// The same, with a null QVariant on failure.
    QVariant GetValue(const QString& column) const;
    /// By index (0 = the first column); a null QVariant past the columns or
    /// without a current row.
    QVariant GetValue(int index) const;

    /// Storage class of a column of the current row (forward-only sets).
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind GetKind(int index) const;
    /// The column converted as SQLite converts (NULL reads 0).
    qint64 GetInt64(int index) const;
    double GetDouble(int index) const;
    /// Valid until the next move; an empty view for NULL.
    QStringView GetTextView(int index) const;

    /// Starts a new row; the current row stays current after Update.
    bool AddNew();
    /// Starts changing the current row.
    bool Edit();
    /// Sets a column of the new or edited row; any column of the table,
    /// also one that the set does not read.
    bool SetValue(const QString& column, const QVariant& value);
    /// Writes the new or edited row: INSERT, or UPDATE of the changed columns.
    bool Update();
    void CancelUpdate();
    /// Deletes the current row from the table; MoveNext goes on after it.
    bool Delete();

private:
    enum class Pending { None, Adding, Editing };
    struct Row {
        qint64 rowid = 0;
        QVariantList values;
        bool deleted = false;
    };

    bool Fail(const QString& message);
    int ColumnIndex(const QString& column) const;
    bool HasColumn(int index) const;
    void MapColumns();
    void SkipDeleted();

    Database& m_db;
    bool m_open = false;
    bool m_dynaset = false;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex;  // lower-cased name -> index

    // forward-only
    sqlite3_stmt* m_statement = nullptr;
    bool m_eof = true;

    // dynaset
    QString m_table;
    QList<Row> m_rows;
    qsizetype m_current = 0;
    Pending m_pending = Pending::None;
    QStringList m_pendingColumns;
    QVariantList m_pendingValues;
};

}  // namespace dao
