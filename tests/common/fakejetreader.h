#pragma once

// A JetReader that serves tables from memory, for tests of everything that
// converts legacy files without needing a Jet file of the exact content.

#include "common/testutil.h"
#include "platform/dao/database.h"
#include "platform/dao/recordset.h"
#include "platform/jet/jetreader.h"

#include <QHash>

#include <functional>

namespace testutil {

class FakeJetReader : public JetReader {
public:
    void AddTable(const JetTable& table, const QList<QVariantList>& rows = {})
    {
        m_tables.append(table);
        m_rows.insert(table.name, rows);
    }

    /// Makes ReadRows of the table fail with error after handing out rowsBefore rows.
    void FailReading(const QString& table, int rowsBefore, const QString& error)
    {
        m_failures.insert(table, {rowsBefore, error});
    }

    const QList<JetTable>& Tables() const override { return m_tables; }

    bool ReadRows(const QString& table, const RowSink& sink, QString* error) override
    {
        if (!m_rows.contains(table)) {
            *error = QStringLiteral("There is no table \"%1\"").arg(table);
            return false;
        }
        const auto failure = m_failures.constFind(table);
        int handed = 0;
        for (const QVariantList& row : m_rows.value(table)) {
            if (failure != m_failures.cend() && handed == failure->rowsBefore)
                break;
            if (!sink(row))
                return false;
            ++handed;
        }
        if (failure != m_failures.cend()) {
            *error = failure->error;
            return false;
        }
        return true;
    }

private:
    struct Failure {
        int rowsBefore;
        QString error;
    };
    QList<JetTable> m_tables;
    QHash<QString, QList<QVariantList>> m_rows;
    QHash<QString, Failure> m_failures;
};

/// A file that starts like a Jet database; the bytes after the header are
/// filler, so only a reader the test injects can read it.
inline bool WriteJetHeader(const QString& path)
{
    QByteArray head(4, '\0');
    head += QByteArray("Standard Jet DB", 16);  // with its NUL
    head += QByteArray(2048, '\x01');
    return WriteFile(path, head);
}

/// How ServeSqliteAsJet shapes what it serves: a column left out
/// ("Table.Column"), and each row before it is served (false drops it).
struct JetServing {
    std::function<bool(const QString& table, const QString& column)> skipColumn;
    std::function<bool(const QString& table, QVariantList& row)> editRow;
    /// Rows appended to a table after its own.
    QHash<QString, QList<QVariantList>> extraRows;
};

/// Serves every table of an SQLite file as a Jet reader would: INTEGER,
/// REAL and BLOB columns keep their kind, everything else is a memo; an ID
/// column first is the table's key.
inline FakeJetReader ServeSqliteAsJet(const QString& path, const JetServing& serving = {})
{
    FakeJetReader reader;
    dao::Database db;
    if (!db.Open(path))
        return reader;
    for (const QString& name : db.GetTableNames()) {
        JetTable table{name, {}, {{QStringLiteral("ID"), {}}}};
        QList<int> kept;
        dao::Recordset columns(db);
        columns.Open(QStringLiteral("PRAGMA table_info(%1);").arg(dao::QuoteName(name)));
        for (int i = 0; !columns.IsEOF(); columns.MoveNext(), ++i) {
            const QString column = columns.GetValue(1).toString();
            const QString type = columns.GetValue(2).toString();
            if (serving.skipColumn && serving.skipColumn(name, column))
                continue;
            kept.append(i);
            table.columns.append({column, type == QLatin1String("INTEGER") ? JetColumnType::Integer
                                          : type == QLatin1String("REAL")  ? JetColumnType::Real
                                          : type == QLatin1String("BLOB")  ? JetColumnType::Binary
                                                                           : JetColumnType::Memo});
        }
        if (!table.columns.isEmpty() && table.columns.first().name == QLatin1String("ID"))
            table.indexes.first().columns = {QStringLiteral("ID")};
        else
            table.indexes.clear();
        QList<QVariantList> rows;
        dao::Recordset rs(db);
        rs.Open(QStringLiteral("SELECT * FROM %1 ORDER BY rowid;").arg(dao::QuoteName(name)));
        for (; !rs.IsEOF(); rs.MoveNext()) {
            QVariantList row;
            for (int i : std::as_const(kept))
                row.append(rs.GetValue(i));
            if (!serving.editRow || serving.editRow(name, row))
                rows.append(row);
        }
        rows += serving.extraRows.value(name);
        reader.AddTable(table, rows);
    }
    return reader;
}

}  // namespace testutil
