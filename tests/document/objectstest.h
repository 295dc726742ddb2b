#pragma once

// The document over a small project made through its own operations, with
// helpers for the tests of creating project objects: short names for ids in
// expected broadcasts, a refused write set up in the file, and the file's
// bytes around an operation.

#include "docfixture.h"

#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/topicdatabase.h"

#include <functional>
#include <string>
#include <vector>

namespace doctest {

using Calls = std::vector<std::string>;

inline std::string N(qint64 value)
{
    return std::to_string(value);
}

class ObjectsTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        db().SetUserName(QStringLiteral("Ada"));
        doc.SetClock([] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); });
    }

    QString Value(qint32 topic, qint32 key, qint32 field) { return ValueOf(db(), topic, key, field); }
    void Activate(qint32 topic, qint32 key)
    {
        RowBuffer row;
        FieldValue state;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false));
        ASSERT_TRUE(row.GetFieldValue(topic == TopicId::Documents ? qint32(DocumentField::State)
                                                                  : qint32(CodeField::State),
                                      state));
        state.SetInt(state.GetInt() | ObjectState::Activated);
        ASSERT_TRUE(row.WriteBack());
    }

    /// Runs the operation with the file refusing what the trigger refuses
    /// (a "CREATE TRIGGER ..." statement naming [refuse]) and checks that it
    /// announced nothing and left the file byte for byte as it was.
    void ExpectRefusedWrite(const QString& trigger, const std::function<void()>& operation)
    {
        frame.ExitCommand();
        ASSERT_TRUE(ExecOnFile(path, {trigger}));
        ASSERT_TRUE(frame.OpenCommand(path));
        frame.ExitCommand();
        const QByteArray before = testutil::ReadFile(path);
        ASSERT_TRUE(frame.OpenCommand(path));
        db().SetUserName(QStringLiteral("Ada"));
        log.Take();
        operation();
        EXPECT_EQ(log.Take(), Calls{});
        frame.ExitCommand();
        EXPECT_TRUE(testutil::ReadFile(path) == before) << "the file changed";
        ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("DROP TRIGGER [refuse];")}));
        ASSERT_TRUE(frame.OpenCommand(path));
        log.Take();
    }
    static QString RefuseInsert(const char* table)
    {
        return QStringLiteral("CREATE TRIGGER [refuse] BEFORE INSERT ON [%1] BEGIN SELECT RAISE(ABORT, 'refused'); END;")
            .arg(QLatin1String(table));
    }
    static QString RefuseUpdate(const char* table)
    {
        return QStringLiteral("CREATE TRIGGER [refuse] BEFORE UPDATE ON [%1] BEGIN SELECT RAISE(ABORT, 'refused'); END;")
            .arg(QLatin1String(table));
    }
};

}  // namespace doctest
