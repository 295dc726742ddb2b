#pragma once

// Project files for the engine's tests: an engine with its topic database
// loaded, and raw access to a closed project file.

#include "sqlitetestengine.h"

#include "platform/dao/database.h"
#include "platform/dao/recordset.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

namespace projecttest {

/// An engine and the topic database it fills.
struct Project {
    ProjectDataEngine engine;
    TopicDatabase db;

    bool Create(const QString& path) { return engine.Create(path) && Load(); }
    bool Open(const QString& path) { return engine.Open(path) && Load(); }
    bool Load()
    {
        db.Clear();
        db.SetEngine(&engine);
        for (qint32 topic : kStoredTopics) {
            if (!engine.LoadTopic(*db.CreateTable(topic))) {
                ADD_FAILURE() << "topic " << topic << ": " << engine.LastError().toStdString();
                return false;
            }
        }
        return true;
    }
    void Close()
    {
        db.Clear();
        engine.Close();
    }
};

/// Runs statements on a project file that no engine holds open.
inline bool ExecOnFile(const QString& path, const QStringList& statements)
{
    dao::Database db;
    if (!db.Open(path)) {
        ADD_FAILURE() << db.LastError().toStdString();
        return false;
    }
    for (const QString& sql : statements) {
        if (!db.Execute(sql)) {
            ADD_FAILURE() << sql.toStdString() << ": " << db.LastError().toStdString();
            return false;
        }
    }
    return true;
}

/// The rows of a query on a closed project file, each row's columns in order.
inline QList<QVariantList> QueryFile(const QString& path, const QString& sql, const QVariantList& values = {})
{
    QList<QVariantList> rows;
    dao::Database db;
    dao::Recordset rs(db);
    if (!db.Open(path) || !rs.Open(sql, values)) {
        ADD_FAILURE() << sql.toStdString() << ": " << db.LastError().toStdString();
        return rows;
    }
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QVariantList row;
        for (int i = 0; i < rs.GetFieldCount(); ++i)
            row.append(rs.GetValue(i));
        rows.append(row);
    }
    return rows;
}

/// The first column of the first row, or a null value.
inline QVariant QueryValue(const QString& path, const QString& sql, const QVariantList& values = {})
{
    const QList<QVariantList> rows = QueryFile(path, sql, values);
    return rows.isEmpty() || rows.first().isEmpty() ? QVariant() : rows.first().first();
}

}  // namespace projecttest
