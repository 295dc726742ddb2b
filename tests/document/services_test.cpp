// Colour grids of codings by paragraph and the overview table's counts as
// document variables.

#include "objectstest.h"

#include "document/colorhsl.h"
#include "store/topicdatabase.h"

using namespace doctest;

TEST_F(ObjectsTest, ParagraphGridsTakeTheFirstCodingsColourPerCodeAndParagraph)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 top = AddCode(QStringLiteral("Top"));
    const qint32 sub = AddCode(QStringLiteral("Sub"), top);
    const qint32 other = AddCode(QStringLiteral("Other"));
    const auto coding = [&](qint32 code, qint32 type, qint32 first, qint32 last) {
        AddCoding(d, code, 0, 1, {{CodingField::Type, type}, {CodingField::StartPara, first}, {CodingField::FinishPara, last}});
    };
    coding(sub, 9, 2, 3);
    coding(top, 8, 1, 2);
    coding(other, 0x123456, 4, 9);  // runs past the last paragraph
    QList<COLORREF> grid;
    doc.BuildParagraphCodeColors(d, 4, {top, sub, other}, grid, false);
    const COLORREF red = ColorOfType(9), blue = ColorOfType(8);
    EXPECT_EQ(grid, (QList<COLORREF>{blue, blue, 0, 0, 0, red, red, 0, 0, 0, 0, 0x123456}));
    // Top codes only: the subcode's codings count for its top code.
    doc.BuildParagraphCodeColors(d, 4, {top, sub, other}, grid, true);
    EXPECT_EQ(grid, (QList<COLORREF>{blue, red, red, 0, 0, 0, 0, 0x123456}));
}

TEST_F(ObjectsTest, CodelineGridsPointAtRunsOfColoursEndedByZero)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 e = doc.NewDocument(0, QStringLiteral("E"), {}, QString());
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"));
    AddCoding(d, a, 0, 1, {{CodingField::Type, 1}, {CodingField::StartPara, 1}, {CodingField::FinishPara, 2}});
    AddCoding(d, b, 0, 1, {{CodingField::Type, 2}, {CodingField::StartPara, 2}, {CodingField::FinishPara, 2}});
    AddCoding(e, b, 0, 1, {{CodingField::Type, 3}, {CodingField::StartPara, 3}, {CodingField::FinishPara, 3}});
    QList<qint32> grid;
    QList<COLORREF> colors;
    doc.BuildCodelineColors(3, {d, e}, grid, colors, false);
    const COLORREF c1 = ColorOfType(1), c2 = ColorOfType(2), c3 = ColorOfType(3);
    EXPECT_EQ(grid, (QList<qint32>{1, 3, 0, 0, 0, 6}));
    EXPECT_EQ(colors, (QList<COLORREF>{0, c1, 0, c1, c2, 0, c3, 0}));
    Activate(TopicId::Codes, a);
    doc.BuildCodelineColors(3, {d, e}, grid, colors, true);
    EXPECT_EQ(grid, (QList<qint32>{1, 3, 0, 0, 0, 0}));
    EXPECT_EQ(colors, (QList<COLORREF>{0, c1, 0, c1, 0}));
}

TEST_F(ObjectsTest, OverviewCountsBecomeSummedDocumentVariables)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 e = doc.NewDocument(0, QStringLiteral("E"), {}, QString());
    const qint32 category = AddRow(db(), TopicId::DictionaryCategories, {{1, 0}, {2, QStringLiteral("Joy")}});
    ASSERT_TRUE(doc.DefineOverviewTable());
    const TopicTable* table = db().GetTable(TopicId::OverviewTable);
    const qint32 documentField = table->Fields().GetAt(3)->ID;
    // Rows per document and code: the document's value is their sum.
    AddRow(db(), TopicId::OverviewTable, {{documentField, d}, {category, 2}});
    AddRow(db(), TopicId::OverviewTable, {{documentField, d}, {category, 3}});
    AddRow(db(), TopicId::OverviewTable, {{documentField, e}, {category, 4}});
    ASSERT_TRUE(doc.TransferTableVariables());
    FieldDescriptor variable;
    ASSERT_TRUE(db().FindFieldByName(TopicId::Documents, QStringLiteral("Joy"), variable));
    EXPECT_EQ(variable.State, 0x382);
    EXPECT_EQ(Value(TopicId::Documents, d, variable.ID), QStringLiteral("5"));
    EXPECT_EQ(Value(TopicId::Documents, e, variable.ID), QStringLiteral("4"));
    ASSERT_TRUE(doc.TransferTableVariables());  // the same variable again
    EXPECT_EQ(Value(TopicId::Documents, d, variable.ID), QStringLiteral("5"));
    Reopen();
    EXPECT_EQ(Value(TopicId::Documents, d, variable.ID), QStringLiteral("5"));
}
