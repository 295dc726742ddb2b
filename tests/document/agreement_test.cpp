// Coder agreement by segments, on hand-made codings whose tables are worked
// out by hand: overlap at the minimum, pages, areas side by side, a silent
// coder, and a second run that replaces the first.

#include "objectstest.h"
#include "store/topicdatabase.h"

using namespace doctest;

namespace {

class AgreementTest : public ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        first = doc.NewDocument(0, QStringLiteral("Coder 1"), {}, QString());
        second = doc.NewDocument(0, QStringLiteral("Coder 2"), {}, QString());
        code = AddCode(QStringLiteral("C"));
        other = AddCode(QStringLiteral("Other"));
    }
    /// Every row of a memory-only table as "field|field|...", fields 1 up.
    QStringList Rows(qint32 topic, qint32 lastField)
    {
        QList<qint32> keys;
        db().GetAllKeys(topic, keys);
        QStringList rows;
        for (const qint32 key : std::as_const(keys)) {
            QStringList fields;
            for (qint32 field = 1; field <= lastField; ++field)
                fields.append(Value(topic, key, field));
            rows.append(fields.join(QLatin1Char('|')));
        }
        return rows;
    }
    QStringList Agreement() { return Rows(TopicId::CoderAgreement, 6); }
    /// A coding of text (an area coding says IsText 0 itself).
    qint32 Coding(qint32 document, qint32 codeId, qint32 start, qint32 finish, FieldValues more = {})
    {
        more.insert(more.begin(), {CodingField::IsText, 1});
        return AddCoding(document, codeId, start, finish, more);
    }

    qint32 first = 0, second = 0, code = 0, other = 0;
};

}  // namespace

TEST_F(AgreementTest, OverlapOverUnionMustReachTheMinimum)
{
    const qint32 a = Coding(first, code, 0, 100, {{CodingField::StartPara, 1}, {CodingField::FinishPara, 2}});
    const qint32 b = Coding(second, code, 50, 150, {{CodingField::StartPara, 2}, {CodingField::FinishPara, 3}});
    // Overlap 50 over union 150 is 33 percent.
    ASSERT_TRUE(doc.CompareCoderSegments(first, second, {code}, 33));
    // Type, document, code, in first, in second, agreement, first coding,
    // second coding, start and end paragraph.
    EXPECT_EQ(Rows(TopicId::CoderComparison, 10),
              (QStringList{QStringLiteral("0|%1|%2|1|1|1|%3|%4|1|2").arg(first).arg(code).arg(a).arg(b),
                           QStringLiteral("0|%1|%2|1|1|1|%3|%4|2|3").arg(second).arg(code).arg(a).arg(b)}));
    EXPECT_EQ(Agreement(), (QStringList{QStringLiteral("0|%1|2|0|2|100").arg(code), QStringLiteral("0|0|2|0|2|100")}));

    // At 34 percent neither side finds a partner; the tables are made anew.
    ASSERT_TRUE(doc.CompareCoderSegments(first, second, {code}, 34));
    EXPECT_EQ(Rows(TopicId::CoderComparison, 10),
              (QStringList{QStringLiteral("1|%1|%2|1|||%3|%4|1|2").arg(first).arg(code).arg(a).arg(second),
                           QStringLiteral("1|%1|%2||1||%3|%4|2|3").arg(second).arg(code).arg(first).arg(b)}));
    EXPECT_EQ(Agreement(), (QStringList{QStringLiteral("0|%1|0|2|2|0").arg(code), QStringLiteral("0|0|0|2|2|0")}));
}

TEST_F(AgreementTest, PagesCodesAndAreasSideBySideKeepCodingsApart)
{
    // Same range on another page; another code; touching ranges.
    Coding(first, code, 0, 10, {{CodingField::Page, 1}});
    Coding(second, code, 0, 10, {{CodingField::Page, 2}});
    Coding(first, other, 20, 30);
    Coding(second, code, 20, 30);
    Coding(first, code, 40, 50);
    Coding(second, code, 50, 60);
    // Two rectangles over the same lines, side by side: no agreement; two
    // that cover each other: agreement.
    Coding(first, code, 100, 200, {{CodingField::IsText, 0}, {CodingField::PosX1, 0}, {CodingField::PosX2, 50}});
    Coding(second, code, 100, 200, {{CodingField::IsText, 0}, {CodingField::PosX1, 60}, {CodingField::PosX2, 90}});
    Coding(first, code, 300, 400, {{CodingField::IsText, 0}, {CodingField::PosX1, 0}, {CodingField::PosX2, 50}});
    Coding(second, code, 300, 400, {{CodingField::IsText, 0}, {CodingField::PosX1, 5}, {CodingField::PosX2, 50}});
    ASSERT_TRUE(doc.CompareCoderSegments(first, second, {code, other}, 50));
    // code: first side 1 of 4 agrees, second side 1 of 5; other: 1 without partner.
    EXPECT_EQ(Agreement(), (QStringList{QStringLiteral("0|%1|2|7|9|22").arg(code),
                                        QStringLiteral("0|%1|0|1|1|0").arg(other), QStringLiteral("0|0|2|8|10|20")}));
}

TEST_F(AgreementTest, ASilentCoderOrAnUnusedCodeGivesRowsOfZero)
{
    Coding(first, code, 0, 10);
    Coding(first, code, 20, 30);
    const qint32 unused = AddCode(QStringLiteral("Unused"));
    ASSERT_TRUE(doc.CompareCoderSegments(first, second, {code, unused}, 10));
    EXPECT_EQ(Agreement(), (QStringList{QStringLiteral("0|%1|0|2|2|0").arg(code),
                                        QStringLiteral("0|%1|0|0|0|0").arg(unused), QStringLiteral("0|0|0|2|2|0")}));
    EXPECT_EQ(Rows(TopicId::CoderComparison, 1), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));

    EXPECT_FALSE(doc.CompareCoderSegments(first, first, {code}, 10));
    EXPECT_FALSE(doc.CompareCoderSegments(first, second + 5, {code}, 10));
}
