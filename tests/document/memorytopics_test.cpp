// Topics kept in memory only: the word table and the overview table are
// redefined for every build; the list topics keep their fields.

#include "docfixture.h"
#include "store/topicdatabase.h"

using namespace doctest;

namespace {

QList<qint32> FieldIds(const TopicTable* table)
{
    QList<qint32> ids;
    for (int i = 0; i < table->Fields().Count(); ++i)
        ids.append(table->Fields().GetAt(i)->ID);
    return ids;
}

}  // namespace

TEST_F(DocTest, TheWordTableHasACountColumnPerDocumentOrSet)
{
    NewProject();
    const qint32 first = AddDocument(0, QStringLiteral("Erstes"));
    const qint32 second = AddDocument(0, QStringLiteral("Zweites"));
    const TopicTable* words = db().GetTable(TopicId::WordFrequencies);

    doc.PrepareWordTable({first, second}, TopicId::Documents);
    EXPECT_EQ(FieldIds(words), (QList<qint32>{0, 1, 2, 3, 4, 5, 6, 100000000 + first, 100000000 + second}));
    EXPECT_EQ(words->Fields().GetById(100000000 + second)->Name, QStringLiteral("Zweites"));
    EXPECT_EQ(words->Fields().GetById(2)->Name, QStringLiteral("Word"));
    EXPECT_TRUE(words->Fields().GetById(6)->HasState(FieldState::Hidden));
    ASSERT_NE(AddRow(db(), TopicId::WordFrequencies, {{2, QStringLiteral("und")}}), 0);

    // Any other kind: the fixed columns only; the rows go with the old ones.
    doc.PrepareWordTable({first, second}, TopicId::Codes);
    EXPECT_EQ(FieldIds(words), (QList<qint32>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(words->GetRowCount(), 0);
}

TEST_F(DocTest, TheOverviewHasAColumnPerTopLevelCategory)
{
    NewProject();
    TopicTable* categories = db().GetTable(TopicId::DictionaryCategories);
    const qint32 later = AddRow(db(), TopicId::DictionaryCategories, {{1, 0}, {2, QStringLiteral("Emotion")}});
    const qint32 sub = AddRow(db(), TopicId::DictionaryCategories, {{1, 1}, {2, QStringLiteral("Freude")}});
    ASSERT_NE(later, 0);
    ASSERT_NE(sub, 0);
    ASSERT_TRUE(categories->HasKey(later));

    ASSERT_TRUE(doc.DefineOverviewTable());
    const TopicTable* overview = db().GetTable(TopicId::OverviewTable);
    ASSERT_NE(overview, nullptr);
    EXPECT_EQ(FieldIds(overview), (QList<qint32>{0, 2000000001, 2000000002, 2000000003, 2000000004, 2000000005,
                                                 2000000006, later}));
    EXPECT_EQ(overview->Fields().GetById(later)->Name, QStringLiteral("Emotion"));
    EXPECT_EQ(overview->Fields().GetById(2000000003)->ParentTopicID, TopicId::Documents);

    // Built again with no top-level category: the fixed columns only.
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::DictionaryCategories, later, row, false));
    ASSERT_TRUE(row.SetFieldText(1, QStringLiteral("2")));
    row.Release();
    ASSERT_TRUE(doc.DefineOverviewTable());
    EXPECT_EQ(overview->Fields().Count(), 7);
}

TEST_F(DocTest, ListTopicsAreDefinedOnceHoweverOftenTheyAreDefined)
{
    NewProject();
    QList<int> counts;
    for (qint32 topic : {29, 30, 22, 28, 21, 9, 18, 19})
        counts.append(db().GetTable(topic)->Fields().Count());
    doc.DefineListColumns();
    doc.DefineListColumns();
    QList<int> again;
    for (qint32 topic : {29, 30, 22, 28, 21, 9, 18, 19})
        again.append(db().GetTable(topic)->Fields().Count());
    EXPECT_EQ(again, counts);
    // Entries belong to their category: deleting it takes them along.
    const qint32 category = AddRow(db(), TopicId::DictionaryCategories, {{2, QStringLiteral("C")}});
    AddRow(db(), TopicId::DictionaryEntries, {{1, category}, {3, QStringLiteral("glad")}});
    QList<ObjectRef> removed, changed;
    ASSERT_TRUE(db().DeleteRow(TopicId::DictionaryCategories, category, removed, changed));
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryEntries), 0);
}
