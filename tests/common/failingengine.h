#pragma once

// A project engine whose writes fail from a chosen one on, for tests and
// benchmarks of rollbacks.

#include "store/projectdataengine.h"
#include "store/storedmodel.h"

#include <QElapsedTimer>

namespace testutil {

/// Counts every write it is asked for (rows, values, fields, models) and
/// refuses the one numbered failAt, noting when.
class FailingEngine : public ProjectDataEngine {
public:
    qint64 failAt = 0;  ///< 1-based write that fails; 0: none fails
    qint64 writes = 0;
    QElapsedTimer failedAt;  ///< started at the refused write

    bool WriteRecord(RowBuffer& row, bool withBlobs, bool full) override
    {
        return Pass() && ProjectDataEngine::WriteRecord(row, withBlobs, full);
    }
    bool WriteFieldValue(TopicTable& table, qint32 key, const FieldValue& value) override
    {
        return Pass() && ProjectDataEngine::WriteFieldValue(table, key, value);
    }
    bool AddField(TopicTable& table, const FieldDescriptor& field) override
    {
        return Pass() && ProjectDataEngine::AddField(table, field);
    }
    bool WriteModel(StoredModel& model) override { return Pass() && ProjectDataEngine::WriteModel(model); }

private:
    bool Pass()
    {
        if (++writes != failAt)
            return true;
        failedAt.start();
        return false;
    }
};

}  // namespace testutil
