#include "platform/dao/database.h"
#include "platform/dao/recordset.h"

#include "common/testutil.h"

#include <QDir>
#include <QProcess>

#include <cmath>

#include <gtest/gtest.h>

using dao::ColumnType;
using dao::Database;
using dao::Recordset;
using dao::Status;

namespace {

class DaoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.file(QStringLiteral("project.kv4"));
        ASSERT_TRUE(db.Create(path)) << db.LastError().toStdString();
        ASSERT_TRUE(db.CreateTable({QStringLiteral("Items"),
                                    {{QStringLiteral("ID"), ColumnType::Integer},
                                     {QStringLiteral("Name"), ColumnType::Text},
                                     {QStringLiteral("Weight"), ColumnType::Real},
                                     {QStringLiteral("Data"), ColumnType::Blob}},
                                    {{QStringLiteral("ID"), {QStringLiteral("ID")}}}}))
            << db.LastError().toStdString();
    }

    QVariant Scalar(const QString& sql, const QVariantList& values = {})
    {
        Recordset rs(db);
        EXPECT_TRUE(rs.Open(sql, values)) << db.LastError().toStdString();
        return rs.IsEOF() ? QVariant() : rs.GetValue(rs.GetFieldName(0));
    }

    QStringList FilesInDir() const { return QDir(dir.path()).entryList(QDir::Files); }

    testutil::TempDir dir;
    QString path;
    Database db;
};

}  // namespace

TEST_F(DaoTest, OpenIsExclusiveUsesWalAndClosesIntoOneFile)
{
    EXPECT_EQ(Scalar(QStringLiteral("PRAGMA journal_mode;")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(Scalar(QStringLiteral("PRAGMA synchronous;")).toInt(), 2);  // FULL
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID]) VALUES(?);"), {7}));

    // A second connection of this program, and another program, are refused.
    Database second;
    EXPECT_FALSE(second.Open(path));
    EXPECT_EQ(second.LastStatus(), Status::InUse);
    EXPECT_TRUE(second.LastError().contains(QStringLiteral("in use"))) << second.LastError().toStdString();
    QProcess cli;
    cli.start(QStringLiteral("sqlite3"), {path, QStringLiteral("SELECT count(*) FROM Items;")});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_NE(cli.exitCode(), 0);
    EXPECT_TRUE(cli.readAllStandardError().contains("locked"));

    db.Close();
    EXPECT_EQ(FilesInDir(), QStringList{QStringLiteral("project.kv4")});
    ASSERT_TRUE(second.Open(path)) << second.LastError().toStdString();
    Recordset rs(second);
    ASSERT_TRUE(rs.Open(QStringLiteral("SELECT [ID] FROM [Items];")));
    EXPECT_EQ(rs.GetValue(QStringLiteral("id")).toLongLong(), 7);
}

TEST_F(DaoTest, OpenAndCreateReportWhatIsWrongWithThePath)
{
    Database other;
    EXPECT_FALSE(other.Create(path));
    EXPECT_EQ(other.LastStatus(), Status::Exists);

    EXPECT_FALSE(other.Open(dir.file(QStringLiteral("missing.kv4"))));
    EXPECT_EQ(other.LastStatus(), Status::NotFound);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("missing.kv4"))));

    const QString text = dir.file(QStringLiteral("notes.kv4"));
    const QByteArray content = QByteArray("Standard Jet DB, or plain text, but not SQLite").repeated(100);
    ASSERT_TRUE(testutil::WriteFile(text, content));
    EXPECT_FALSE(other.Open(text));
    EXPECT_EQ(other.LastStatus(), Status::NotADatabase);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(testutil::ReadFile(text), content);
}

TEST_F(DaoTest, ValuesAreBoundAndReadBackExactly)
{
    const QString name = QStringLiteral("O'Brien; DROP TABLE [Items]; -- \u00e9\u4e2d\U0001F600");
    const QByteArray data("\0\1'\"\xff", 5);
    const double weight = 0.1 + 0.2;
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID],[Name],[Weight],[Data]) VALUES(?,?,?,?);"),
                           {qint64(1) << 40, name, weight, data}));
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID],[Name],[Data]) VALUES(?,?,?);"),
                           {2, QVariant(), QByteArray()}));
    EXPECT_EQ(db.GetRecordsAffected(), 1);

    Recordset rs(db);
    ASSERT_TRUE(rs.Open(QStringLiteral("SELECT * FROM [Items] WHERE [Name]=?;"), {name}));
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetValue(QStringLiteral("ID")).toLongLong(), qint64(1) << 40);
    EXPECT_EQ(rs.GetValue(QStringLiteral("NAME")).toString(), name);
    EXPECT_EQ(rs.GetValue(QStringLiteral("Weight")).toDouble(), weight);
    EXPECT_EQ(rs.GetValue(QStringLiteral("Data")).toByteArray(), data);
    EXPECT_FALSE(rs.MoveNext());

    ASSERT_TRUE(rs.Open(QStringLiteral("SELECT [Name], [Data], typeof([Data]) AS t FROM [Items] WHERE [ID]=2;")));
    EXPECT_TRUE(rs.GetValue(QStringLiteral("Name")).isNull());
    EXPECT_EQ(rs.GetValue(QStringLiteral("t")).toString(), QStringLiteral("blob"));  // empty, not NULL
    QVariant value;
    EXPECT_FALSE(rs.GetValue(QStringLiteral("Nope"), value));
    EXPECT_TRUE(db.LastError().contains(QStringLiteral("Nope")));
    EXPECT_EQ(Scalar(QStringLiteral("SELECT count(*) FROM [Items];")).toInt(), 2);
}

TEST_F(DaoTest, StatementsThatCannotBeRunSafelyAreRefused)
{
    const struct {
        const char* sql;
        QVariantList values;
    } cases[] = {
        {"INSERT INTO [Items]([ID]) VALUES(1); DELETE FROM [Items];", {}},
        {"INSERT INTO [Items]([ID],[Name]) VALUES(?,?);", {1}},
        {"INSERT INTO [Items]([ID]) VALUES(?);", {1, 2}},
        {"INSERT INTO [Items]([ID]) VALUES(?);", {QVariant(QDate(2010, 3, 5))}},
        {"INSERT INTO [Items]([Weight]) VALUES(?);", {std::nan("")}},  // SQLite would store NULL
        {"INSERT INTO [Nowhere]([ID]) VALUES(1);", {}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(db.Execute(QString::fromLatin1(c.sql), c.values)) << c.sql;
        EXPECT_FALSE(db.LastError().isEmpty()) << c.sql;
    }
    EXPECT_EQ(Scalar(QStringLiteral("SELECT count(*) FROM [Items];")).toInt(), 0);

    Recordset rs(db);
    EXPECT_FALSE(rs.Open(QStringLiteral("SELECT 1; SELECT 2;")));
    EXPECT_FALSE(rs.OpenTable(QStringLiteral("It]ems")));
    EXPECT_FALSE(db.AddColumn(QStringLiteral("Items"), {QStringLiteral("a]b"), ColumnType::Text}));
}

TEST_F(DaoTest, TableDefinitionsDeclareTypesAndPerTableIndexes)
{
    ASSERT_TRUE(db.CreateTable({QStringLiteral("sys_Setup"),
                                {{QStringLiteral("Key"), ColumnType::Text, true},
                                 {QStringLiteral("Value"), ColumnType::Text}},
                                {{QStringLiteral("ID"), {QStringLiteral("Key")}}}}));
    EXPECT_EQ(db.GetTableNames(), (QStringList{QStringLiteral("Items"), QStringLiteral("sys_Setup")}));
    EXPECT_EQ(Scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='Items';")).toString(),
              QStringLiteral("CREATE TABLE [Items]([ID] INTEGER, [Name] TEXT, [Weight] REAL, [Data] BLOB)"));
    EXPECT_EQ(Scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index' AND name IN "
                                    "('Items_ID','sys_Setup_ID');"))
                  .toInt(),
              2);

    // Keys compare ignoring case.
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [sys_Setup]([Key],[Value]) VALUES('DataType','MAIN');")));
    EXPECT_EQ(Scalar(QStringLiteral("SELECT [Value] FROM [sys_Setup] WHERE [Key]=?;"), {QStringLiteral("datatype")})
                  .toString(),
              QStringLiteral("MAIN"));

    // A table that fails half way is not left behind.
    EXPECT_FALSE(db.CreateTable({QStringLiteral("Broken"),
                                 {{QStringLiteral("ID"), ColumnType::Integer}},
                                 {{QStringLiteral("ID"), {QStringLiteral("Missing")}}}}));
    EXPECT_FALSE(db.GetTableNames().contains(QStringLiteral("Broken")));

    ASSERT_TRUE(db.AddColumn(QStringLiteral("Items"), {QStringLiteral("F100000001"), ColumnType::Integer}));
    EXPECT_EQ(db.GetColumnNames(QStringLiteral("Items")).last(), QStringLiteral("F100000001"));
    ASSERT_TRUE(db.DropColumn(QStringLiteral("Items"), QStringLiteral("F100000001")));
    EXPECT_EQ(db.GetColumnNames(QStringLiteral("Items")).size(), 4);
    EXPECT_FALSE(db.DropColumn(QStringLiteral("Items"), QStringLiteral("ID")));  // indexed
    EXPECT_TRUE(db.GetColumnNames(QStringLiteral("Nowhere")).isEmpty());
}

TEST_F(DaoTest, DynasetAddsEditsFindsAndDeletes)
{
    Recordset rs(db);
    ASSERT_TRUE(rs.OpenTable(QStringLiteral("Items")));
    EXPECT_TRUE(rs.IsEOF());
    for (int id = 1; id <= 3; ++id) {
        ASSERT_TRUE(rs.AddNew());
        ASSERT_TRUE(rs.SetValue(QStringLiteral("ID"), id));
        ASSERT_TRUE(rs.SetValue(QStringLiteral("Name"), QStringLiteral("item %1").arg(id)));
        ASSERT_TRUE(rs.Update()) << db.LastError().toStdString();
    }
    EXPECT_EQ(rs.GetRecordCount(), 3);

    ASSERT_TRUE(rs.FindFirst(QStringLiteral("ID"), 2));
    ASSERT_TRUE(rs.Edit());
    // The column's type converts a bound text; the set reads the stored value.
    ASSERT_TRUE(rs.SetValue(QStringLiteral("Weight"), QStringLiteral("2.5")));
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(rs.GetValue(QStringLiteral("Weight")).typeId(), QMetaType::Double);
    EXPECT_EQ(rs.GetValue(QStringLiteral("Weight")).toDouble(), 2.5);

    ASSERT_TRUE(rs.FindFirst(QStringLiteral("name"), QStringLiteral("item 3")));
    ASSERT_TRUE(rs.Delete());
    EXPECT_FALSE(rs.FindFirst(QStringLiteral("ID"), 3));
    EXPECT_FALSE(rs.Edit());

    ASSERT_TRUE(rs.OpenTable(QStringLiteral("Items"), QStringLiteral("[ID]>?"), {0}, QStringLiteral("[ID]"),
                             {QStringLiteral("ID"), QStringLiteral("Weight")}));
    EXPECT_EQ(rs.GetFieldCount(), 2);
    EXPECT_EQ(rs.GetRecordCount(), 2);
    EXPECT_EQ(rs.GetValue(QStringLiteral("ID")).toInt(), 1);
    EXPECT_TRUE(rs.MoveNext());
    EXPECT_EQ(rs.GetValue(QStringLiteral("Weight")).toDouble(), 2.5);
    EXPECT_FALSE(rs.MoveNext());
}

TEST_F(DaoTest, EditingTheOrderColumnVisitsEveryRowOnce)
{
    for (int id = 1; id <= 50; ++id)
        ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID]) VALUES(?);"), {id}));
    Recordset rs(db);
    ASSERT_TRUE(rs.OpenTable(QStringLiteral("Items"), {}, {}, QStringLiteral("[ID] DESC"), {QStringLiteral("ID")}));
    int visited = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), ++visited) {
        ASSERT_TRUE(rs.Edit());
        ASSERT_TRUE(rs.SetValue(QStringLiteral("ID"), rs.GetValue(QStringLiteral("ID")).toInt() + 3));
        ASSERT_TRUE(rs.Update());
    }
    EXPECT_EQ(visited, 50);
    EXPECT_EQ(Scalar(QStringLiteral("SELECT min([ID]) FROM [Items];")).toInt(), 4);
    EXPECT_EQ(Scalar(QStringLiteral("SELECT max([ID]) FROM [Items];")).toInt(), 53);
}

TEST_F(DaoTest, TransactionsNestAndRollBackPartly)
{
    auto count = [&] { return Scalar(QStringLiteral("SELECT count(*) FROM [Items];")).toInt(); };
    auto insert = [&](int id) { return db.Execute(QStringLiteral("INSERT INTO [Items]([ID]) VALUES(?);"), {id}); };

    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(insert(1));
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(insert(2));
    EXPECT_EQ(db.GetTransDepth(), 2);
    ASSERT_TRUE(db.Rollback());  // only the inner insert goes
    EXPECT_EQ(count(), 1);
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(insert(3));
    ASSERT_TRUE(db.CommitTrans());
    ASSERT_TRUE(db.CommitTrans());
    EXPECT_EQ(count(), 2);
    EXPECT_FALSE(db.CommitTrans());

    {
        dao::Transaction transaction(db);
        ASSERT_TRUE(insert(4));
    }  // not committed: rolled back
    EXPECT_EQ(count(), 2);

    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(insert(5));
    db.Close();  // an open transaction does not reach the file
    ASSERT_TRUE(db.Open(path));
    EXPECT_EQ(count(), 2);
}

TEST_F(DaoTest, CompactionWritesANewFileOnly)
{
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID],[Data]) VALUES(1, ?);"), {QByteArray(100000, 'x')}));
    ASSERT_TRUE(db.Execute(QStringLiteral("DELETE FROM [Items];")));
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID],[Name]) VALUES(2, 'kept');")));

    QString error;
    const QString existing = dir.file(QStringLiteral("existing.kv4"));
    ASSERT_TRUE(testutil::WriteFile(existing, "keep me"));
    EXPECT_FALSE(db.CompactTo(existing, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(db.LastStatus(), Status::Exists);
    EXPECT_EQ(testutil::ReadFile(existing), QByteArray("keep me"));

    ASSERT_TRUE(db.BeginTrans());
    EXPECT_FALSE(db.CompactTo(dir.file(QStringLiteral("during.kv4")), error));
    ASSERT_TRUE(db.Rollback());

    const QString backup = dir.file(QStringLiteral("backup.kv4"));
    ASSERT_TRUE(db.CompactTo(backup, error)) << error.toStdString();
    EXPECT_TRUE(db.Execute(QStringLiteral("INSERT INTO [Items]([ID]) VALUES(3);")));  // still open
    db.Close();
    QStringList files = FilesInDir();
    files.sort();
    EXPECT_EQ(files, (QStringList{QStringLiteral("backup.kv4"), QStringLiteral("existing.kv4"),
                                  QStringLiteral("project.kv4")}));
    EXPECT_LT(QFileInfo(backup).size(), 100000);

    Database copy;
    ASSERT_TRUE(copy.Open(backup)) << copy.LastError().toStdString();
    Recordset rs(copy);
    ASSERT_TRUE(rs.Open(QStringLiteral("SELECT [Name] FROM [Items];")));
    EXPECT_EQ(rs.GetValue(QStringLiteral("Name")).toString(), QStringLiteral("kept"));
    EXPECT_FALSE(rs.MoveNext());
}
