#pragma once

// A JetReader that serves tables from memory, for tests of everything that
// converts legacy files without needing a Jet file of the exact content.

#include "platform/jet/jetreader.h"

#include <QHash>

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

}  // namespace testutil
