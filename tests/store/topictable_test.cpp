// The topic tables in memory, without a project file.

#include "sqlitetestengine.h"

#include <QLocale>

#include <gtest/gtest.h>

using storetest::AddObject;
using storetest::TextOf;

namespace {

constexpr qint32 kName = 5;    // codes: Name
constexpr qint32 kParent = 2;  // codes: Parent

class TopicTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        for (const storetest::TopicSpec& topic : storetest::ProjectTopics())
            storetest::AddTopic(db, topic);
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

    qint32 AddCode(const QString& name, qint32 parent = 0, qint32 key = -1)
    {
        return AddObject(db, TopicId::Codes, key, {{kName, name}, {kParent, QString::number(parent)}});
    }
    qint32 AddCoding(qint32 document, qint32 code, int weight = 0)
    {
        return AddObject(db, TopicId::Codings, -1,
                         {{3, QString::number(document)}, {4, QString::number(code)}, {9, QString::number(weight)}});
    }
    QList<qint32> Keys(qint32 topic)
    {
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        return keys;
    }
    QList<qint32> Children(qint32 topic, qint32 parentTopic, qint32 parentKey)
    {
        QList<qint32> keys;
        EXPECT_TRUE(db.FindKeysByParent(topic, parentTopic, parentKey, keys));
        // The walk over the same rows visits them alike, with their bytes.
        QList<qint32> visited;
        const TopicTable* table = db.GetTable(topic);
        EXPECT_TRUE(table->ForEachRowOfParent(parentTopic, parentKey, [&](qint32 key, const char* row) {
            EXPECT_EQ(row, table->RowOfKey(key));
            visited.append(key);
        }));
        EXPECT_EQ(visited, keys);
        return keys;
    }

    TopicDatabase db;

private:
    QLocale m_saved;
};

}  // namespace

TEST_F(TopicTableTest, KeysKeepStoreOrderAndAreNeverGivenTwice)
{
    EXPECT_EQ(AddCode(QStringLiteral("first")), 1);  // an empty table starts at 1
    EXPECT_EQ(AddCode(QStringLiteral("explicit 41"), 0, 41), 41);
    EXPECT_EQ(AddCode(QStringLiteral("explicit 5"), 0, 5), 5);
    EXPECT_EQ(AddCode(QStringLiteral("next")), 42);  // lower keys are free, but not taken
    EXPECT_EQ(AddCode(QStringLiteral("duplicate 5"), 0, 5), 0);  // refused
    EXPECT_TRUE(db.GetTable(TopicId::Codes)->LastError().contains(QStringLiteral("row 5 already")));
    EXPECT_EQ(Keys(TopicId::Codes), (QList<qint32>{1, 41, 5, 42}));
    EXPECT_EQ(db.GetLastKey(TopicId::Codes), 42);

    ASSERT_TRUE(db.RemoveRow(TopicId::Codes, 42));
    EXPECT_EQ(db.GetLastKey(TopicId::Codes), 41);
    EXPECT_EQ(AddCode(QStringLiteral("after removal")), 43);
    EXPECT_EQ(Keys(TopicId::Codes), (QList<qint32>{1, 41, 5, 43}));

    // A damaged file may repeat a key: loading keeps both rows in store
    // order, and the first is the one found.
    TopicTable* codes = db.GetTable(TopicId::Codes);
    for (const char* name : {"loaded 7", "loaded 7 again"}) {
        RowBuffer row;
        codes->InitRowBuffer(row);
        FieldValue value;
        ASSERT_TRUE(row.GetFieldValue(0, value));
        value.SetInt(7);
        ASSERT_TRUE(row.GetFieldValue(kName, value));
        value.SetText(QString::fromLatin1(name));
        ASSERT_TRUE(codes->AppendRow(row, 0));
    }
    codes->RebuildIndexes();
    EXPECT_EQ(Keys(TopicId::Codes), (QList<qint32>{1, 41, 5, 43, 7, 7}));
    EXPECT_EQ(TextOf(db, TopicId::Codes, 7, kName), QStringLiteral("loaded 7"));
    EXPECT_EQ(AddCode(QStringLiteral("next")), 44);

    // A key that is absent leaves the buffer as it was.
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Codes, 1, row, false));
    EXPECT_FALSE(db.ReadRow(TopicId::Codes, 42, row, false));
    EXPECT_EQ(row.GetKey(), 1);
    EXPECT_EQ(row.FormatTemplate(false), QStringLiteral("first"));
    EXPECT_FALSE(db.ReadRow(99, 1, row, false));  // unknown topic
}

// Loading appends rows without their indexes and builds them once: rows of
// one parent scattered through the store, and keys out of order.
TEST_F(TopicTableTest, LoadedRowsAreFoundByKeyAndByParent)
{
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"));
    TopicTable* codes = db.GetTable(TopicId::Codes);
    const struct {
        qint32 key;
        qint32 parent;
    } loaded[] = {{12, a}, {10, b}, {11, a}, {15, 0}, {13, a}, {14, b}};
    for (const auto& l : loaded) {
        RowBuffer row;
        codes->InitRowBuffer(row);
        FieldValue value;
        ASSERT_TRUE(row.GetFieldValue(0, value));
        value.SetInt(l.key);
        ASSERT_TRUE(row.GetFieldValue(kParent, value));
        value.SetInt(l.parent);
        ASSERT_TRUE(codes->AppendRow(row, 8));
    }
    codes->RebuildIndexes();
    EXPECT_EQ(Children(TopicId::Codes, TopicId::Codes, a), (QList<qint32>{12, 11, 13}));
    EXPECT_EQ(Children(TopicId::Codes, TopicId::Codes, b), (QList<qint32>{10, 14}));
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Codes, 13, row, false));
    EXPECT_EQ(row.GetKey(), 13);

    // The indexes built keep up with later changes.
    EXPECT_TRUE(db.RemoveRow(TopicId::Codes, 11));
    const qint32 added = AddCode(QStringLiteral("C"), a);
    EXPECT_EQ(Children(TopicId::Codes, TopicId::Codes, a), (QList<qint32>{12, 13, added}));
}

TEST_F(TopicTableTest, ManyRemovalsSqueezeTheStoreAndKeepEveryIndex)
{
    const qint32 parentA = AddCode(QStringLiteral("A"));
    const qint32 parentB = AddCode(QStringLiteral("B"));
    QList<qint32> childrenOfA;
    for (int i = 0; i < 200; ++i) {
        const qint32 key = AddCode(QStringLiteral("child %1").arg(i), i % 2 ? parentB : parentA);
        if (i % 2 == 0)
            childrenOfA.append(key);
    }
    // Remove every third child, more than a quarter of all rows.
    QList<qint32> expected = Keys(TopicId::Codes);
    for (qint32 key = 3; key < 202; key += 3) {
        ASSERT_TRUE(db.RemoveRow(TopicId::Codes, key));
        expected.removeOne(key);
        childrenOfA.removeOne(key);
    }
    EXPECT_EQ(Keys(TopicId::Codes), expected);
    EXPECT_EQ(db.GetRowCount(TopicId::Codes), expected.size());
    EXPECT_EQ(Children(TopicId::Codes, TopicId::Codes, parentA), childrenOfA);
    for (qint32 key : std::as_const(expected))
        ASSERT_NE(TextOf(db, TopicId::Codes, key, kName), QStringLiteral("<absent>")) << key;
    EXPECT_EQ(TextOf(db, TopicId::Codes, 6, kName), QStringLiteral("<absent>"));
    EXPECT_EQ(AddCode(QStringLiteral("new")), 203);
}

TEST_F(TopicTableTest, ChildrenOfAParentFollowChangesOfTheReference)
{
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"));
    const qint32 c1 = AddCoding(10, a);
    const qint32 c2 = AddCoding(11, a);
    const qint32 c3 = AddCoding(10, b);
    EXPECT_EQ(Children(TopicId::Codings, TopicId::Codes, a), (QList<qint32>{c1, c2}));
    EXPECT_EQ(Children(TopicId::Codings, TopicId::Documents, 10), (QList<qint32>{c1, c3}));
    EXPECT_EQ(db.GetParentKey(TopicId::Codings, c2, TopicId::Documents), 11);
    EXPECT_EQ(db.GetParentKey(TopicId::Codings, c2, TopicId::Memos), 0);
    EXPECT_EQ(Children(TopicId::Codes, TopicId::Codes, 0), (QList<qint32>{a, b}));  // top-level codes

    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Codings, c1, row, false));
    ASSERT_TRUE(row.SetFieldText(4, QString::number(b)));
    EXPECT_EQ(Children(TopicId::Codings, TopicId::Codes, a), (QList<qint32>{c2}));
    EXPECT_EQ(Children(TopicId::Codings, TopicId::Codes, b), (QList<qint32>{c1, c3}));  // store order

    // A topic without a reference to the parent topic answers false and
    // leaves the list as it was.
    QList<qint32> keys{7};
    EXPECT_FALSE(db.FindKeysByParent(TopicId::Documents, TopicId::Codes, a, keys));
    EXPECT_EQ(keys, QList<qint32>{7});
    // The key of a stored row cannot be changed through a commit.
    ASSERT_TRUE(db.ReadRow(TopicId::Codings, c3, row, false));
    FieldValue key;
    ASSERT_TRUE(row.GetFieldValue(0, key));
    key.SetInt(999);
    ASSERT_TRUE(row.Commit(false, false));
    EXPECT_EQ(Keys(TopicId::Codings), (QList<qint32>{c1, c2, c3}));
}

TEST_F(TopicTableTest, DisplayTemplates)
{
    TopicTable* codings = db.GetTable(TopicId::Codings);
    EXPECT_EQ(codings->GetTemplate(3), (QList<qint32>{4, -10, -'[', 9, -']'}));
    codings->ParseDisplayTemplate(QStringLiteral("  $0;$x;;a&;$15  "), 1);
    EXPECT_EQ(codings->GetTemplate(1), (QList<qint32>{-'a', -10, 15}));

    const qint32 emotion = AddCode(QStringLiteral("Emotion"));
    const qint32 joy = AddCode(QStringLiteral("Joy"), emotion);
    const qint32 coding = AddCoding(1, joy, 3);
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Codes, emotion, true), QStringLiteral("Emotion"));  // no leading "\"
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Codes, joy, true), QStringLiteral("Emotion\\Joy"));
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Codes, joy, false), QStringLiteral("Joy"));
    EXPECT_EQ(db.FormatAnnotation(TopicId::Codings, coding), QStringLiteral("Emotion\\Joy\n[3]"));
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Codes, 99, true), QString());

    QString buffer = QStringLiteral("Code: ");
    ASSERT_TRUE(db.AppendRowDisplay(TopicId::Codes, joy, true, buffer));
    EXPECT_EQ(buffer, QStringLiteral("Code: Emotion\\Joy"));
    EXPECT_FALSE(db.AppendRowDisplay(TopicId::Codes, 99, true, buffer));

    // Long chains stop at 1023 units; a damaged cycle of parents ends too.
    qint32 parent = 0;
    for (int depth = 0; depth < 20; ++depth)
        parent = AddCode(QString(63, QChar(u'a' + depth)), parent);
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Codes, parent, true).size(), 1023);
    const qint32 x = AddCode(QStringLiteral("X"), 1000, 999);
    AddCode(QStringLiteral("Y"), x, 1000);
    const QString cycle = db.FormatRowDisplay(TopicId::Codes, x, true);
    EXPECT_TRUE(cycle.endsWith(QStringLiteral("X\\Y\\X"))) << cycle.right(20).toStdString();
    EXPECT_LE(cycle.size(), 1023);
    EXPECT_FALSE(db.FormatAnnotation(TopicId::Codes, x).isEmpty());
}

TEST_F(TopicTableTest, DistinctValuesAreOrdinalAndSkipEmptyTexts)
{
    for (const char* name : {"b", "B", "a", "", "b"})
        AddCode(QString::fromLatin1(name));
    AddCode(QStringLiteral("zero key"), 0, 0);  // rows with key 0 are left out
    QStringList texts;
    ASSERT_TRUE(db.GetDistinctValues(TopicId::Codes, kName, &texts));
    EXPECT_EQ(texts, (QStringList{QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_FALSE(db.GetDistinctValues(TopicId::Codes, kName, nullptr));

    FieldDescriptor flag = FieldDescriptor::FromFieldRecord(0, QStringLiteral("Flag"), {}, FieldType::Boolean, 2, 0, {}, 0);
    ASSERT_TRUE(db.AddField(TopicId::Codes, flag));
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Codes, 1, row, false));
    ASSERT_TRUE(row.SetFieldText(flag.ID, QStringLiteral("5")));
    ASSERT_TRUE(db.ReadRow(TopicId::Codes, 2, row, false));
    ASSERT_TRUE(row.SetFieldText(flag.ID, QStringLiteral("1")));
    texts.clear();
    ASSERT_TRUE(db.GetDistinctValues(TopicId::Codes, flag.ID, &texts));
    EXPECT_EQ(texts, QStringList{QStringLiteral("1")});
}

TEST_F(TopicTableTest, FieldsWidenAndNarrowEveryRow)
{
    TopicTable* codes = db.GetTable(TopicId::Codes);
    const qint32 rowSize = codes->GetRowSize();
    EXPECT_EQ(rowSize, 4 * 5 + 128 + 4 + 4);
    const qint32 a = AddCode(QStringLiteral("A"));

    FieldDescriptor age = FieldDescriptor::FromFieldRecord(0, QStringLiteral("Age"), {}, FieldType::Integer, 2, 0,
                                                           QStringLiteral("30"), 0);
    FieldDescriptor note = FieldDescriptor::FromFieldRecord(0, QStringLiteral("Note"), {}, FieldType::ShortText, 2, 0,
                                                            QStringLiteral("none"), 0);
    ASSERT_TRUE(db.AddField(TopicId::Codes, age));
    ASSERT_TRUE(db.AddField(TopicId::Codes, note));
    EXPECT_EQ(age.ID, 100000001);  // built-in fields are 0 to 7
    EXPECT_EQ(note.ID, 100000002);
    EXPECT_EQ(note.Source, QStringLiteral("F100000002"));
    EXPECT_EQ(codes->GetRowSize(), rowSize + 4 + 128);
    EXPECT_EQ(codes->Fields().GetById(note.ID)->Offset, rowSize + 4);
    // Existing rows get the default; new rows get it too.
    EXPECT_EQ(TextOf(db, TopicId::Codes, a, age.ID), QStringLiteral("30"));
    const qint32 b = AddCode(QStringLiteral("B"));
    EXPECT_EQ(TextOf(db, TopicId::Codes, b, note.ID), QStringLiteral("none"));

    ASSERT_TRUE(db.DeleteField(TopicId::Codes, age.ID));
    EXPECT_EQ(codes->GetRowSize(), rowSize + 128);
    EXPECT_EQ(codes->Fields().GetById(note.ID)->Offset, rowSize);
    EXPECT_EQ(TextOf(db, TopicId::Codes, a, note.ID), QStringLiteral("none"));
    EXPECT_EQ(TextOf(db, TopicId::Codes, b, kName), QStringLiteral("B"));

    // Ids of deleted fields are not given again.
    ASSERT_TRUE(db.DeleteField(TopicId::Codes, note.ID));
    FieldDescriptor again = FieldDescriptor::FromFieldRecord(0, QStringLiteral("Again"), {}, FieldType::Real, 2, 0, {}, 0);
    ASSERT_TRUE(db.AddField(TopicId::Codes, again));
    EXPECT_EQ(again.ID, 100000003);
    EXPECT_EQ(db.CountUserFields(TopicId::Codes), 1);

    // A type this program does not know is refused and not kept.
    FieldDescriptor strange = FieldDescriptor::FromFieldRecord(200, QStringLiteral("Strange"), {}, 12, 1, 0, {}, 0);
    EXPECT_FALSE(codes->AddField(strange));
    EXPECT_TRUE(codes->LastError().contains(QStringLiteral("unknown type 12")));
    EXPECT_EQ(codes->Fields().GetById(200), nullptr);
    EXPECT_FALSE(db.AddField(TopicId::Codes, strange));
    // A memo takes no bytes of the row.
    FieldDescriptor memo = FieldDescriptor::FromFieldRecord(201, QStringLiteral("Memo"), {}, FieldType::Memo, 1, 0, {}, 0);
    const qint32 before = codes->GetRowSize();
    EXPECT_TRUE(codes->AddField(memo));
    EXPECT_EQ(codes->GetRowSize(), before);
}

TEST_F(TopicTableTest, FieldIdsForListsAndUserFields)
{
    TopicTable* documents = db.GetTable(TopicId::Documents);
    QList<qint32> ids;
    ASSERT_TRUE(db.GetFieldIds(TopicId::Documents, ids, true));
    EXPECT_EQ(ids, (QList<qint32>{4, 2, 6, 7, 8}));  // Type is pinned; hidden fields left out
    ASSERT_TRUE(db.GetFieldIds(TopicId::Documents, ids, false));
    EXPECT_EQ(ids, (QList<qint32>{2, 6, 7, 8}));
    ASSERT_TRUE(db.SetFieldState(TopicId::Documents, 8, 0x21));
    ASSERT_TRUE(db.GetFieldIds(TopicId::Documents, ids, true));
    EXPECT_EQ(ids, (QList<qint32>{8, 4, 2, 6, 7}));  // pinned fields in reverse order

    // On a topic that already has user field 100000003 the next is 100000004.
    ASSERT_TRUE(documents->AddField(FieldDescriptor::FromFieldRecord(100000003, QStringLiteral("Age"), QStringLiteral("Age"),
                                                                     FieldType::Integer, 2, 0, {}, 0)));
    FieldDescriptor next = FieldDescriptor::FromFieldRecord(0, QStringLiteral("City"), QStringLiteral("City"),
                                                            FieldType::ShortText, 2, 0, {}, 0);
    ASSERT_TRUE(db.AddField(TopicId::Documents, next));
    EXPECT_EQ(next.ID, 100000004);
    EXPECT_EQ(next.Source, QStringLiteral("City"));
    ASSERT_TRUE(db.GetUserFieldIds(TopicId::Documents, ids));
    EXPECT_EQ(ids, (QList<qint32>{100000003, 100000004}));

    FieldDescriptor found;
    ASSERT_TRUE(db.FindFieldByName(TopicId::Documents, QStringLiteral("city"), found));
    EXPECT_EQ(found.ID, 100000004);
    ASSERT_TRUE(db.SetFieldProperties(TopicId::Documents, found.ID, QString(80, QLatin1Char('c')), 0));
    ASSERT_TRUE(db.SetFieldProperties(TopicId::Documents, found.ID, QStringLiteral("5"), 2));
    ASSERT_TRUE(db.GetFieldDescriptor(TopicId::Documents, found.ID, found));
    EXPECT_EQ(found.Name.size(), 63);
    EXPECT_EQ(found.Categorial, 1);
    EXPECT_FALSE(db.GetFieldDescriptor(TopicId::Documents, 12345, found));
    EXPECT_FALSE(db.GetFieldIds(99, ids, true));
}

TEST_F(TopicTableTest, RowBuffersCommitWriteBackAndRelease)
{
    RowBuffer row;
    EXPECT_TRUE(row.IsEmpty());
    ASSERT_TRUE(db.AddRow(TopicId::Documents, row, -1));
    EXPECT_EQ(row.GetFieldCount(), 9);
    EXPECT_EQ(row.GetTableSource(), QStringLiteral("Texts"));
    EXPECT_EQ(row.GetKeyColumn(), QStringLiteral("ID"));
    FieldValue text;
    ASSERT_TRUE(row.GetFieldValue(5, text));
    EXPECT_EQ(text.GetBlob(), nullptr);  // not loaded
    ASSERT_TRUE(text.SetBlob(QByteArray("{\\rtf1 body}")));
    ASSERT_NE(text.GetBlob(), nullptr);
    EXPECT_EQ(*text.GetBlob(), QByteArray("{\\rtf1 body}"));
    ASSERT_TRUE(row.SetFieldText(6, QStringLiteral("Interview 1")));
    ASSERT_TRUE(row.Commit(true, false));
    EXPECT_TRUE(row.IsEmpty());  // released

    // Rows in the table never hold blobs.
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 1, row, true));
    ASSERT_TRUE(row.GetFieldValue(5, text));
    EXPECT_EQ(text.GetBlob(), nullptr);
    ASSERT_TRUE(row.GetFieldValue(6, text));
    text.SetText(QStringLiteral("renamed"));
    ASSERT_TRUE(row.WriteBack());
    EXPECT_TRUE(row.IsEmpty());
    EXPECT_EQ(db.FormatRowDisplay(TopicId::Documents, 1, false), QStringLiteral("renamed"));

    // Duplicates take the next key and a copy of the values and blobs.
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, 1, row, false));
    RowBuffer copy;
    ASSERT_TRUE(db.DuplicateRow(TopicId::Documents, 1, copy));
    EXPECT_EQ(copy.GetKey(), 2);
    EXPECT_EQ(copy.FormatTemplate(false), QStringLiteral("renamed"));
    ASSERT_TRUE(copy.Commit(false, false));
    EXPECT_EQ(Keys(TopicId::Documents), (QList<qint32>{1, 2}));
    row.Release();
    EXPECT_TRUE(row.IsEmpty());
    EXPECT_FALSE(row.Commit(false, false));
}

TEST(IdLists, Helpers)
{
    QList<qint32> list{3, 1, 3, 2, 1, 3};
    UniqueDWordArray(list);
    EXPECT_EQ(list, (QList<qint32>{3, 1, 2}));

    QList<qint32> multiset{1, 1, 2, 3, 1};
    IntersectDWordArrays(multiset, {1, 2, 2, 1});
    EXPECT_EQ(multiset, (QList<qint32>{1, 1, 2}));
    EXPECT_TRUE(DWordArrayContains(2, multiset));
    EXPECT_EQ(DWordArrayIndexOf(2, multiset), 2);
    EXPECT_EQ(DWordArrayIndexOf(7, multiset), -1);
}
