// Legacy files converted by the helper program in a process of its own.

#include "platform/jet/jetchild.h"

#include "platform/dao/database.h"
#include "platform/dao/recordset.h"
#include "platform/jet/databasefilekind.h"

#include "common/testutil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString HelperPath()
{
    return QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QLatin1String(kJetHelperName));
}

/// Sets the helper's fault for the life of the object.
class Fault {
public:
    explicit Fault(const char* kind) { qputenv("KORVAN_JETREAD_FAULT", kind); }
    ~Fault() { qunsetenv("KORVAN_JETREAD_FAULT"); }
};

}  // namespace

TEST(JetChild, TheHelperConvertsALegacyFile)
{
    testutil::TempDir dir;
    const QString target = dir.file(QStringLiteral("Umsätze.kv4"));
    QString error;
    ASSERT_TRUE(ConvertJetInChild(HelperPath(), testutil::DataPath(QStringLiteral("jet/nwind.mdb")), target,
                                  {QStringLiteral("Employees.LastName")}, 60000, &error))
        << error.toStdString();
    EXPECT_EQ(DetectDatabaseFile(target), DatabaseFileKind::Sqlite);
    {
        dao::Database db;
        ASSERT_TRUE(db.Open(target));
        dao::Recordset rs(db);
        ASSERT_TRUE(rs.Open(QStringLiteral("SELECT count(*) FROM [Employees] WHERE [LastName]='DAVOLIO';")));
        EXPECT_EQ(rs.GetInt64(0), 1);  // compared without case, as Jet did
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Umsätze.kv4")});
}

// A reader that crashes, stalls or leaves rubbish fails the conversion with
// a reason, and leaves nothing behind.
TEST(JetChild, AReaderThatBreaksDownFailsTheConversionAndLeavesNothing)
{
    const struct {
        const char* fault;
        QString helper;
        const char* reason;
    } cases[] = {
        {"crash", HelperPath(), "stopped unexpectedly"},
        {"hang", HelperPath(), "took longer than"},
        {"garbage", HelperPath(), "no usable result"},
        {"", HelperPath() + QStringLiteral("-missing"), "is missing"},
        {"", HelperPath(), ""},  // the reader's own refusal
    };
    for (const auto& c : cases) {
        testutil::TempDir dir;
        const QString legacy = dir.file(QStringLiteral("old.kv3"));
        // A Jet signature and nothing a reader can use.
        ASSERT_TRUE(testutil::WriteFile(legacy, QByteArray(4, '\0') + QByteArray("Standard Jet DB", 16) +
                                                    QByteArray(2048, '\x01')));
        const QByteArray before = testutil::ReadFile(legacy);
        const QString target = dir.file(QStringLiteral("old.kv4"));
        QString error;
        {
            Fault fault(c.fault);
            EXPECT_FALSE(ConvertJetInChild(c.helper, legacy, target, {}, 1000, &error)) << c.fault;
        }
        EXPECT_FALSE(error.isEmpty()) << c.fault;
        if (*c.reason) {
            EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.fault << ": " << error.toStdString();
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("old.kv3")})
            << c.fault;
        EXPECT_EQ(testutil::ReadFile(legacy), before);
    }
}
