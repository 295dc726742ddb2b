#pragma once

// Bases of the stand-in data engines of tests and benchmarks, which serve
// the rows of their topics and nothing of the project file around them.

#include "platform/dao/database.h"
#include "store/dataengine.h"

namespace testutil {

/// @short A data engine without a file name, setup rows or stored models:
/// those operations fail (the name is empty); the rows are the subclass's.
class RowsOnlyEngine : public DataEngine {
public:
    QString GetFileName(bool) const override { return {}; }
    bool GetSetupData(const QString&, QByteArray&) override { return false; }
    bool GetSetupValue(const QString&, QString&) override { return false; }
    bool SetSetupData(const QString&, const QByteArray&) override { return false; }
    bool SetSetupValue(const QString&, const QString&) override { return false; }
    bool DeleteSetupKey(const QString&) override { return false; }
    bool ReadModel(StoredModel&) override { return false; }
    bool WriteModel(StoredModel&) override { return false; }
    bool DeleteModel(qint32) override { return false; }
    bool ListModels(QList<qint32>&, QStringList&) override { return false; }
};

/// @short A rows-only engine on one SQLite file: opening, closing, its name
/// and the transactions are those of db.
class SqliteRowsEngine : public RowsOnlyEngine {
public:
    dao::Database db;

    bool Open(const QString& path) override { return db.Open(path); }
    bool Close() override
    {
        db.Close();
        return true;
    }
    bool IsOpen() const override { return db.IsOpen(); }
    QString GetFileName(bool) const override { return db.GetName(); }
    bool BeginTrans() override { return db.BeginTrans(); }
    bool CommitTrans() override { return db.CommitTrans(); }
    bool Rollback() override { return db.Rollback(); }
};

}  // namespace testutil
