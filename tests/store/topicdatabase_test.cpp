// The topic database writing through to a real project file.

#include "sqlitetestengine.h"

#include "common/testutil.h"
#include "store/compressedblob.h"

#include <QLocale>

#include <gtest/gtest.h>

using storetest::AddObject;
using storetest::TextOf;

namespace {

class TopicDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        path = dir.file(QStringLiteral("project.kv4"));
        ASSERT_TRUE(engine.db.Create(path));
        ASSERT_TRUE(storetest::CreateProject(engine.db, storetest::ProjectTopics())) << engine.db.LastError().toStdString();
        Load();
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

    void Load()
    {
        db.Clear();
        db.SetEngine(&engine);
        for (const storetest::TopicSpec& topic : storetest::ProjectTopics())
            ASSERT_TRUE(engine.LoadTopic(*db.CreateTable(topic.id))) << topic.table;
    }

    qint32 AddGroup(const QString& name) { return AddObject(db, TopicId::DocumentGroups, -1, {{3, name}}); }
    qint32 AddDocument(qint32 group, const QString& name)
    {
        return AddObject(db, TopicId::Documents, -1, {{2, QString::number(group)}, {6, name}});
    }
    qint32 AddCode(const QString& name, qint32 parent = 0)
    {
        return AddObject(db, TopicId::Codes, -1, {{5, name}, {2, QString::number(parent)}});
    }
    qint32 AddCoding(qint32 group, qint32 document, qint32 code)
    {
        return AddObject(db, TopicId::Codings, -1,
                         {{3, QString::number(document)}, {4, QString::number(code)}, {15, QString::number(group)}});
    }
    qint32 AddMemo(qint32 group, qint32 document, const QString& title)
    {
        return AddObject(db, TopicId::Memos, -1,
                         {{1, QString::number(group)}, {2, QString::number(document)}, {8, title}});
    }
    int FileRows(const char* table) { return engine.CountRows(QString::fromLatin1(table)); }
    QList<qint32> Keys(qint32 topic)
    {
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        return keys;
    }

    testutil::TempDir dir;
    QString path;
    storetest::SqliteTestEngine engine;
    TopicDatabase db;

private:
    QLocale m_saved;
};

}  // namespace

TEST_F(TopicDatabaseTest, ARowChangeReachesMemoryOnlyAfterTheFile)
{
    const qint32 group = AddGroup(QStringLiteral("Interviews"));
    ASSERT_EQ(group, 1);
    EXPECT_EQ(engine.CountRows(QStringLiteral("Textgroups"), QStringLiteral("[Name]='Interviews'")), 1);

    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::DocumentGroups, group, row, false));
    FieldValue name;
    ASSERT_TRUE(row.GetFieldValue(3, name));
    name.SetText(QStringLiteral("Focus groups"));
    engine.failAfter = 0;
    EXPECT_FALSE(row.Commit(false, false));
    EXPECT_FALSE(row.IsEmpty());  // the caller still holds its change
    EXPECT_EQ(db.FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Interviews"));
    engine.failAfter = -1;
    ASSERT_TRUE(row.Commit(false, false));
    EXPECT_EQ(db.FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Focus groups"));
    EXPECT_EQ(engine.CountRows(QStringLiteral("Textgroups"), QStringLiteral("[Name]='Focus groups'")), 1);

    // One field set from text: the same order.
    ASSERT_TRUE(db.ReadRow(TopicId::DocumentGroups, group, row, false));
    engine.failAfter = 0;
    EXPECT_FALSE(row.SetFieldText(3, QStringLiteral("Lost")));
    EXPECT_EQ(row.FormatTemplate(false), QStringLiteral("Focus groups"));
    EXPECT_EQ(db.FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Focus groups"));
    engine.failAfter = -1;
    ASSERT_TRUE(row.SetFieldText(3, QStringLiteral("Kept")));
    EXPECT_EQ(engine.CountRows(QStringLiteral("Textgroups"), QStringLiteral("[Name]='Kept'")), 1);
    EXPECT_FALSE(row.SetFieldText(12345, QStringLiteral("x")));
}

TEST_F(TopicDatabaseTest, ANewRowThatCannotBeWrittenDoesNotStayInMemory)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    RowBuffer row;
    ASSERT_TRUE(db.AddRow(TopicId::Documents, row, -1));
    // Values set before the first commit wait for it, which writes every field.
    ASSERT_TRUE(row.SetFieldText(6, QStringLiteral("Interview 1")));
    ASSERT_TRUE(row.SetFieldText(2, QString::number(group)));
    const int writes = engine.fullWrites;
    engine.failAfter = 0;
    EXPECT_FALSE(row.Commit(false, false));
    EXPECT_EQ(engine.fullWrites, writes + 1);
    EXPECT_EQ(db.GetRowCount(TopicId::Documents), 0);
    QList<qint32> children;
    ASSERT_TRUE(db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, children));
    EXPECT_TRUE(children.isEmpty());
    EXPECT_EQ(FileRows("Texts"), 0);

    engine.failAfter = -1;
    const qint32 document = AddDocument(group, QStringLiteral("Interview 1"));
    EXPECT_EQ(document, 2);  // the refused key is not handed out again
    EXPECT_EQ(engine.CountRows(QStringLiteral("Texts"), QStringLiteral("[ID]=2 AND [GroupID]=?"), {group}), 1);
}

TEST_F(TopicDatabaseTest, DeletingAGroupDeletesItsDependantsInFileAndMemory)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 other = AddGroup(QStringLiteral("Other"));
    const qint32 code = AddCode(QStringLiteral("Code"));
    const qint32 d1 = AddDocument(group, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(group, QStringLiteral("D2"));
    const qint32 kept = AddDocument(other, QStringLiteral("Kept"));
    const qint32 c1 = AddCoding(group, d1, code);
    const qint32 c2 = AddCoding(group, d2, code);
    const qint32 c3 = AddCoding(other, kept, code);
    const qint32 m1 = AddMemo(0, d1, QStringLiteral("on D1"));
    const qint32 m2 = AddMemo(group, 0, QStringLiteral("on G"));

    QList<ObjectRef> removed;
    QList<ObjectRef> changed;
    ASSERT_TRUE(db.DeleteRow(TopicId::DocumentGroups, group, removed, changed));
    const QList<ObjectRef> expected{{TopicId::Codings, c1}, {TopicId::Memos, m1}, {TopicId::Documents, d1},
                                    {TopicId::Codings, c2}, {TopicId::Documents, d2}, {TopicId::Memos, m2}};
    EXPECT_EQ(removed, expected);
    EXPECT_EQ(Keys(TopicId::DocumentGroups), QList<qint32>{other});
    EXPECT_EQ(Keys(TopicId::Documents), QList<qint32>{kept});
    EXPECT_EQ(Keys(TopicId::Codings), QList<qint32>{c3});
    EXPECT_TRUE(Keys(TopicId::Memos).isEmpty());
    EXPECT_EQ(FileRows("Textgroups"), 1);
    EXPECT_EQ(FileRows("Texts"), 1);
    EXPECT_EQ(FileRows("Codings"), 1);
    EXPECT_EQ(FileRows("Memos"), 0);
    EXPECT_FALSE(db.DeleteRow(TopicId::DocumentGroups, group, removed, changed));
}

TEST_F(TopicDatabaseTest, ADeletionThatFailsHalfWayChangesNothing)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 code = AddCode(QStringLiteral("Code"));
    const qint32 d1 = AddDocument(group, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(group, QStringLiteral("D2"));
    for (int i = 0; i < 3; ++i) {
        AddCoding(group, d1, code);
        AddCoding(group, d2, code);
    }
    const QList<qint32> codings = Keys(TopicId::Codings);
    QList<qint32> ofD2;
    ASSERT_TRUE(db.FindKeysByParent(TopicId::Codings, TopicId::Documents, d2, ofD2));

    QList<ObjectRef> removed{{TopicId::Codes, 99}};
    QList<ObjectRef> changed;
    engine.failAfter = 5;  // the sixth deletion in the file fails
    EXPECT_FALSE(db.DeleteRow(TopicId::DocumentGroups, group, removed, changed));
    engine.failAfter = -1;
    EXPECT_EQ(removed, (QList<ObjectRef>{{TopicId::Codes, 99}}));
    EXPECT_EQ(Keys(TopicId::Codings), codings);
    EXPECT_EQ(Keys(TopicId::Documents), (QList<qint32>{d1, d2}));
    QList<qint32> after;
    ASSERT_TRUE(db.FindKeysByParent(TopicId::Codings, TopicId::Documents, d2, after));
    EXPECT_EQ(after, ofD2);
    EXPECT_EQ(FileRows("Codings"), 6);
    EXPECT_EQ(FileRows("Texts"), 2);
    EXPECT_EQ(FileRows("Textgroups"), 1);

    ASSERT_TRUE(db.DeleteRow(TopicId::DocumentGroups, group, removed, changed));
    EXPECT_EQ(FileRows("Codings"), 0);
    EXPECT_EQ(db.GetRowCount(TopicId::Codings), 0);
}

TEST_F(TopicDatabaseTest, DeletingACodeTakesItsSubtreeAndEndsOnCycles)
{
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"), a);
    const qint32 c = AddCode(QStringLiteral("C"), b);
    const qint32 coding = AddCoding(0, 0, c);
    const qint32 x = AddCode(QStringLiteral("X"));
    const qint32 y = AddCode(QStringLiteral("Y"), x);
    // A damaged file: X is its own grandchild.
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Codes, x, row, false));
    ASSERT_TRUE(row.SetFieldText(2, QString::number(y)));

    QList<ObjectRef> removed;
    QList<ObjectRef> changed;
    ASSERT_TRUE(db.DeleteRow(TopicId::Codes, a, removed, changed));
    EXPECT_EQ(removed, (QList<ObjectRef>{{TopicId::Codings, coding}, {TopicId::Codes, c}, {TopicId::Codes, b}}));
    removed.clear();
    ASSERT_TRUE(db.DeleteRow(TopicId::Codes, x, removed, changed));
    EXPECT_EQ(removed, (QList<ObjectRef>{{TopicId::Codes, y}}));
    EXPECT_EQ(db.GetRowCount(TopicId::Codes), 0);
    EXPECT_EQ(FileRows("Codewords"), 0);
    EXPECT_EQ(FileRows("Codings"), 0);
}

TEST_F(TopicDatabaseTest, ChangingAFieldTypeKeepsTheTopicsThatReferToIt)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 code = AddCode(QStringLiteral("Code"));
    const qint32 d1 = AddDocument(group, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(group, QStringLiteral("D2"));
    const qint32 coding = AddCoding(group, d1, code);
    FieldDescriptor age = FieldDescriptor::FromFieldRecord(0, QStringLiteral("Age"), {}, FieldType::ShortText, 2, 0, {}, 0);
    ASSERT_TRUE(db.AddField(TopicId::Documents, age));
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, d1, row, false));
    ASSERT_TRUE(row.SetFieldText(age.ID, QStringLiteral("42")));
    ASSERT_TRUE(db.RemoveRow(TopicId::Documents, d2));  // the highest key is gone
    const QList<qint32> referring = db.GetTable(TopicId::Documents)->GetReferringTopics();
    ASSERT_EQ(referring, (QList<qint32>{TopicId::Codings, TopicId::Memos}));

    ASSERT_TRUE(db.ChangeFieldType(TopicId::Documents, age.ID, FieldType::Integer));
    FieldDescriptor changedField;
    ASSERT_TRUE(db.GetFieldDescriptor(TopicId::Documents, age.ID, changedField));
    EXPECT_EQ(changedField.Type, FieldType::Integer);
    EXPECT_EQ(TextOf(db, TopicId::Documents, d1, age.ID), QStringLiteral("42"));
    EXPECT_EQ(db.GetTable(TopicId::Documents)->GetReferringTopics(), referring);
    EXPECT_EQ(AddDocument(group, QStringLiteral("D3")), d2 + 1);

    QList<ObjectRef> removed;
    QList<ObjectRef> changed;
    ASSERT_TRUE(db.DeleteRow(TopicId::Documents, d1, removed, changed));
    EXPECT_EQ(removed, (QList<ObjectRef>{{TopicId::Codings, coding}}));
    EXPECT_EQ(FileRows("Codings"), 0);

    // Refused before anything changes: an unknown type, or no file.
    EXPECT_FALSE(db.ChangeFieldType(TopicId::Documents, age.ID, 12));
    engine.failAfter = 0;
    EXPECT_FALSE(db.ChangeFieldType(TopicId::Documents, age.ID, FieldType::Real));
    engine.failAfter = -1;
    ASSERT_TRUE(db.GetFieldDescriptor(TopicId::Documents, age.ID, changedField));
    EXPECT_EQ(changedField.Type, FieldType::Integer);
}

TEST_F(TopicDatabaseTest, AFieldIsAddedToFileAndMemoryOrToNeither)
{
    AddCode(QStringLiteral("A"));
    AddCode(QStringLiteral("B"));
    FieldDescriptor score = FieldDescriptor::FromFieldRecord(0, QStringLiteral("Score"), {}, FieldType::Real, 0x82, 0,
                                                             QStringLiteral("1.5"), 0);
    const qint32 rowSize = db.GetTable(TopicId::Codes)->GetRowSize();
    engine.failAfter = 2;  // the column is added, the first default written, the second refused
    EXPECT_FALSE(db.AddField(TopicId::Codes, score));
    engine.failAfter = -1;
    EXPECT_EQ(db.CountUserFields(TopicId::Codes), 0);
    EXPECT_EQ(db.GetTable(TopicId::Codes)->GetRowSize(), rowSize);
    EXPECT_FALSE(engine.db.GetColumnNames(QStringLiteral("Codewords")).contains(QStringLiteral("F100000001")));
    EXPECT_EQ(engine.CountRows(QStringLiteral("sys_Fields"), QStringLiteral("[TopicID]=8 AND [ID]>100000000")), 0);

    const int fullWrites = engine.fullWrites;
    ASSERT_TRUE(db.AddField(TopicId::Codes, score));
    EXPECT_EQ(engine.fullWrites, fullWrites + 2);  // each object gets the default
    EXPECT_EQ(engine.CountRows(QStringLiteral("Codewords"), QStringLiteral("[%1]=1.5").arg(score.Source)), 2);

    ASSERT_TRUE(db.DeleteField(TopicId::Codes, score.ID));
    EXPECT_FALSE(engine.db.GetColumnNames(QStringLiteral("Codewords")).contains(score.Source));

    // Inside a transaction the field goes with the rollback, in file and
    // memory; rows changed before and made after it come back in their
    // own layout.
    const qint32 before = AddCode(QStringLiteral("C"));
    ASSERT_TRUE(db.BeginTransaction());
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Codes, before, row, false));
    ASSERT_TRUE(row.SetFieldText(5, QStringLiteral("C renamed")));
    row.Release();
    ASSERT_TRUE(db.AddField(TopicId::Codes, score));
    ASSERT_NE(AddCode(QStringLiteral("D")), 0);
    EXPECT_EQ(db.CountUserFields(TopicId::Codes), 1);
    ASSERT_TRUE(db.RollbackTransaction());
    EXPECT_EQ(db.CountUserFields(TopicId::Codes), 0);
    EXPECT_EQ(db.GetTable(TopicId::Codes)->GetRowSize(), rowSize);
    EXPECT_EQ(db.GetRowCount(TopicId::Codes), 3);
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Codes, before, false), QStringLiteral("C"));
    EXPECT_EQ(engine.CountRows(QStringLiteral("sys_Fields"), QStringLiteral("[TopicID]=8 AND [ID]>100000000")), 0);
    EXPECT_EQ(FileRows("Codewords"), 3);

    // Committed, it stays.
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.AddField(TopicId::Codes, score));
    ASSERT_TRUE(db.CommitTransaction());
    EXPECT_EQ(db.CountUserFields(TopicId::Codes), 1);
    EXPECT_EQ(engine.CountRows(QStringLiteral("sys_Fields"), QStringLiteral("[TopicID]=8 AND [ID]>100000000")), 1);
}

TEST_F(TopicDatabaseTest, BlobsAreLoadedOnRequestAndNeverLost)
{
    const QByteArray rtf = QByteArray("{\\rtf1\\ansi ") + QByteArray("Das Interview beginnt. ").repeated(300) + "}";
    RowBuffer row;
    ASSERT_TRUE(db.AddRow(TopicId::Documents, row, -1));
    FieldValue text;
    ASSERT_TRUE(row.GetFieldValue(5, text));
    ASSERT_TRUE(text.SetBlob(rtf));
    ASSERT_TRUE(row.Commit(true, false));
    {
        dao::Recordset rs(engine.db);
        ASSERT_TRUE(rs.Open(QStringLiteral("SELECT [Text] FROM [Texts];")));
        const QByteArray stored = rs.GetValue(QStringLiteral("Text")).toByteArray();
        EXPECT_TRUE(stored.startsWith("*ZIP*"));
        EXPECT_LT(stored.size(), rtf.size() / 10);
    }

    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 1, row, true));
    ASSERT_TRUE(row.GetFieldValue(5, text));
    ASSERT_NE(text.GetBlob(), nullptr);
    EXPECT_EQ(*text.GetBlob(), rtf);  // exactly, without a trailing zero

    // A buffer read without its blobs does not blank them when committed.
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 1, row, false));
    ASSERT_TRUE(row.SetFieldText(6, QStringLiteral("renamed")));
    ASSERT_TRUE(row.Commit(true, true));
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 1, row, true));
    ASSERT_TRUE(row.GetFieldValue(5, text));
    ASSERT_NE(text.GetBlob(), nullptr);
    EXPECT_EQ(*text.GetBlob(), rtf);

    // A copy takes the blob along.
    RowBuffer copy;
    ASSERT_TRUE(db.DuplicateRow(TopicId::Documents, 1, copy));
    EXPECT_EQ(copy.GetKey(), 2);
    ASSERT_TRUE(copy.GetFieldValue(5, text));
    ASSERT_NE(text.GetBlob(), nullptr);
    EXPECT_EQ(*text.GetBlob(), rtf);
    ASSERT_TRUE(copy.Commit(true, false));
    EXPECT_EQ(engine.CountRows(QStringLiteral("Texts"), QStringLiteral("[Text] IS NOT NULL")), 2);

    // A damaged value stays unloaded and stays in the file as it was.
    QByteArray damaged = rtf;
    CompressBlob(damaged);
    damaged.chop(10);
    ASSERT_TRUE(engine.db.Execute(QStringLiteral("UPDATE [Texts] SET [Text]=? WHERE [ID]=2;"), {damaged}));
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 2, row, true));
    ASSERT_TRUE(row.GetFieldValue(5, text));
    EXPECT_EQ(text.GetBlob(), nullptr);
    ASSERT_TRUE(row.Commit(true, true));
    EXPECT_EQ(engine.CountRows(QStringLiteral("Texts"), QStringLiteral("[Text]=?"), {damaged}), 1);

    // An empty loaded blob is written as NULL.
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 1, row, true));
    ASSERT_TRUE(row.GetFieldValue(5, text));
    ASSERT_TRUE(text.SetBlob(QByteArray()));
    ASSERT_TRUE(row.Commit(true, false));
    EXPECT_EQ(engine.CountRows(QStringLiteral("Texts"), QStringLiteral("[Text] IS NULL")), 1);
}

TEST_F(TopicDatabaseTest, RollbackRestoresMemoryAndFile)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 code = AddCode(QStringLiteral("Code"));
    const qint32 document = AddDocument(group, QStringLiteral("D"));
    const qint32 memo = AddMemo(0, document, QStringLiteral("Memo"));

    ASSERT_TRUE(db.BeginTransaction());
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(AddCoding(group, document, code), 0);
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, document, row, false));
    ASSERT_TRUE(row.SetFieldText(6, QStringLiteral("renamed")));
    ASSERT_TRUE(db.RemoveRow(TopicId::Memos, memo));
    {
        ASSERT_TRUE(db.BeginTransaction());  // an inner level undone on its own
        AddCode(QStringLiteral("inner"));
        ASSERT_TRUE(db.RollbackTransaction());
    }
    EXPECT_EQ(db.GetRowCount(TopicId::Codes), 1);
    EXPECT_EQ(db.GetRowCount(TopicId::Codings), 3);
    ASSERT_TRUE(db.RollbackTransaction());

    EXPECT_EQ(db.GetRowCount(TopicId::Codings), 0);
    QList<qint32> codings;
    ASSERT_TRUE(db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings));
    EXPECT_TRUE(codings.isEmpty());
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Documents, document, false), QStringLiteral("D"));
    EXPECT_EQ(Keys(TopicId::Memos), QList<qint32>{memo});
    QList<qint32> memos;
    ASSERT_TRUE(db.FindKeysByParent(TopicId::Memos, TopicId::Documents, document, memos));
    EXPECT_EQ(memos, QList<qint32>{memo});
    EXPECT_EQ(FileRows("Codings"), 0);
    EXPECT_EQ(FileRows("Memos"), 1);
    EXPECT_EQ(engine.CountRows(QStringLiteral("Texts"), QStringLiteral("[Name]='D'")), 1);

    ASSERT_TRUE(db.BeginTransaction());
    const qint32 coding = AddCoding(group, document, code);
    ASSERT_TRUE(db.CommitTransaction());
    EXPECT_EQ(Keys(TopicId::Codings), QList<qint32>{coding});
    EXPECT_EQ(FileRows("Codings"), 1);
}

TEST_F(TopicDatabaseTest, HeldFieldWritesReachTheFileOnceAtTheCommitOrNotAtAll)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"));
    const qint32 gone = AddDocument(group, QStringLiteral("Gone"));
    const auto named = [&](const char* name) {
        return engine.CountRows(QStringLiteral("Texts"), QStringLiteral("[Name]='%1'").arg(QLatin1String(name)));
    };
    const auto rename = [&](qint32 key, const char* name) {
        RowBuffer row;
        return db.ReadRow(TopicId::Documents, key, row, false) && row.SetFieldText(6, QString::fromLatin1(name));
    };
    EXPECT_FALSE(db.HoldFieldWrites());  // only inside a transaction

    // Memory at once, the file once at the commit; a row deleted meanwhile
    // is left out.
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.HoldFieldWrites());
    ASSERT_TRUE(rename(document, "one"));
    ASSERT_TRUE(rename(gone, "x"));
    ASSERT_TRUE(db.RemoveRow(TopicId::Documents, gone));
    engine.failAfter = 1;  // one write left: the document's, once
    ASSERT_TRUE(rename(document, "two"));
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Documents, document, false), QStringLiteral("two"));
    EXPECT_EQ(named("D"), 1);
    ASSERT_TRUE(db.CommitTransaction());
    engine.failAfter = -1;
    EXPECT_EQ(named("two"), 1);
    EXPECT_EQ(FileRows("Texts"), 1);

    // A rollback drops them, and the hold ends with the transaction.
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.HoldFieldWrites());
    ASSERT_TRUE(rename(document, "three"));
    ASSERT_TRUE(db.RollbackTransaction());
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Documents, document, false), QStringLiteral("two"));
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(rename(document, "four"));
    EXPECT_EQ(named("four"), 1);
    ASSERT_TRUE(db.CommitTransaction());

    // A held write that fails fails the commit: memory and file as before.
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.HoldFieldWrites());
    ASSERT_TRUE(rename(document, "five"));
    ASSERT_NE(AddCoding(group, document, 0), 0);
    engine.failAfter = 0;
    EXPECT_FALSE(db.CommitTransaction());
    engine.failAfter = -1;
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Documents, document, false), QStringLiteral("four"));
    EXPECT_EQ(named("four"), 1);
    EXPECT_EQ(db.GetRowCount(TopicId::Codings), 0);
    EXPECT_EQ(FileRows("Codings"), 0);
}

TEST_F(TopicDatabaseTest, BatchedRemovalsLeaveTheChildListsAsRemovalsOneByOneDo)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 code = AddCode(QStringLiteral("Code"));
    const qint32 other = AddCode(QStringLiteral("Other"));
    const qint32 d1 = AddDocument(group, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(group, QStringLiteral("D2"));
    for (int i = 0; i < 6; ++i) {
        AddCoding(group, i % 2 ? d1 : d2, code);
        AddCoding(group, i % 2 ? d2 : d1, other);
    }
    // Children by parent, for every parent field of the codings.
    const auto lists = [&] {
        QList<QList<qint32>> all;
        for (const auto& [topic, key] : {std::pair{TopicId::Documents, d1}, std::pair{TopicId::Documents, d2},
                                         std::pair{TopicId::Codes, code}, std::pair{TopicId::Codes, other},
                                         std::pair{TopicId::DocumentGroups, group}}) {
            QList<qint32> children;
            EXPECT_TRUE(db.FindKeysByParent(TopicId::Codings, topic, key, children));
            all.append(children);
        }
        return all;
    };
    const auto deleteCode = [&] {
        QList<ObjectRef> removed, changed;
        return db.DeleteRow(TopicId::Codes, code, removed, changed);
    };
    const QList<QList<qint32>> before = lists();
    EXPECT_FALSE(db.BatchRemovals());  // only inside a transaction

    // Rolled back: every list as before, no slot twice.
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.BatchRemovals());
    ASSERT_TRUE(deleteCode());
    const QList<QList<qint32>> during = lists();
    EXPECT_TRUE(during[2].isEmpty()) << "removed rows are skipped before the batch ends";
    ASSERT_TRUE(db.RollbackTransaction());
    EXPECT_EQ(lists(), before);

    // The same deletion one by one and batched, then committed: equal lists.
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(deleteCode());
    const QList<QList<qint32>> alone = lists();
    ASSERT_TRUE(db.RollbackTransaction());
    ASSERT_TRUE(db.BeginTransaction());
    ASSERT_TRUE(db.BatchRemovals());
    ASSERT_TRUE(deleteCode());
    EXPECT_EQ(lists(), alone);
    ASSERT_TRUE(db.CommitTransaction());
    EXPECT_EQ(lists(), alone);
    EXPECT_EQ(alone[3].size(), 6);
    EXPECT_EQ(FileRows("Codings"), 6);
    // A row added after the batch lands in the lists once.
    const qint32 added = AddCoding(group, d1, other);
    QList<qint32> ofOther;
    ASSERT_TRUE(db.FindKeysByParent(TopicId::Codings, TopicId::Codes, other, ofOther));
    EXPECT_EQ(ofOther, alone[3] + QList<qint32>{added});
}

TEST_F(TopicDatabaseTest, AReopenedProjectLoadsInItsSortOrder)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 second = AddDocument(group, QStringLiteral("second"));
    const qint32 first = AddDocument(group, QStringLiteral("first"));
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, first, row, false));
    ASSERT_TRUE(row.SetFieldText(1, QStringLiteral("-1")));  // Index
    ASSERT_TRUE(row.SetFieldText(7, QStringLiteral("2010-03-05T14:20:33")));
    engine.Close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("project.kv4")});

    ASSERT_TRUE(engine.Open(path));
    Load();
    EXPECT_EQ(Keys(TopicId::Documents), (QList<qint32>{first, second}));
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Documents, first, true), QStringLiteral("G\\first"));
    EXPECT_EQ(TextOf(db, TopicId::Documents, first, 7), QStringLiteral("5 Mar 2010 14:20"));
    EXPECT_EQ(db.GetRowCount(TopicId::Documents), 2);
    EXPECT_TRUE(engine.loadErrors.isEmpty());
}
