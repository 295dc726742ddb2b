// The colour model and the orders of result rows: hue, saturation and
// lightness as listed, and comparisons that give one order whatever the
// order of their input.

#include "objectstest.h"

#include "document/colorhsl.h"
#include "document/sortorders.h"

#include <algorithm>
#include <random>

using namespace doctest;

TEST(ColorHslTest, HueSaturationAndLightnessOfThePaletteEdges)
{
    const struct {
        COLORREF color;
        float hue, saturation, lightness;
    } cases[] = {
        {MakeColor(255, 0, 0), 360, 1, 0.5f},      // red stays at 360
        {MakeColor(255, 255, 0), 60, 1, 0.5f},     // a tie of red and green goes to green
        {MakeColor(0, 255, 255), 180, 1, 0.5f},    // green and blue: blue
        {MakeColor(0, 0, 255), 240, 1, 0.5f},
        {MakeColor(255, 255, 255), 0, 0, 1},
        {MakeColor(0, 0, 0), 0, 0, 0},
        {MakeColor(0, 128, 0), 120, 1, 128.0f / 510},
        {MakeColor(255, 128, 128), 360, 1, 383.0f / 510},  // light: d / (510 - sum)
        {MakeColor(255, 0, 64), float((6.0 + (0 - 64) / 255.0) * 60), 1, 0.5f},
    };
    for (const auto& c : cases) {
        const ColorHsl hsl(c.color);
        EXPECT_FLOAT_EQ(hsl.GetHue(), c.hue) << std::hex << c.color;
        EXPECT_FLOAT_EQ(hsl.GetSaturation(), c.saturation) << std::hex << c.color;
        EXPECT_FLOAT_EQ(hsl.GetLightness(), c.lightness) << std::hex << c.color;
    }
    EXPECT_EQ(ColorOfType(9), 0x0000FFu);
    EXPECT_EQ(ColorOfType(11), 11u);
    EXPECT_EQ(StoredColorType(0x008000), 0);
    EXPECT_EQ(StoredColorType(3), 3);
    // Equal in hue, saturation and lightness, still ordered.
    EXPECT_NE(CompareColors(ColorHsl(0x000001), ColorHsl(0x000100)), 0);
}

TEST(CodingRecordTest, ANewRecordIsATextCodingOnPageOneDatedNow)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const CodingRecord record;
    EXPECT_EQ(record.Page, 1);
    EXPECT_EQ(record.IsText, 1);
    EXPECT_EQ(record.ID, 0);
    EXPECT_EQ(record.Weight, 0);
    EXPECT_TRUE(record.Text.isNull());
    EXPECT_TRUE(record.Preview.isEmpty());
    QDate date;
    QTime time;
    ASSERT_TRUE(DateTimeFromOleDays(record.Date.value, date, time));
    EXPECT_EQ(time.msec(), 0);
    EXPECT_GE(QDateTime(date, time), before.addMSecs(-before.time().msec()));
    EXPECT_LE(QDateTime(date, time), QDateTime::currentDateTime());
}

namespace {

CSegmentRow Row(qint32 coding, qint32 document, qint32 documentOrder, qint32 code, qint32 codeOrder, qint32 start,
                qint32 weight = 0, qint32 page = 1)
{
    CSegmentRow row;
    row.coding = coding;
    row.document = document;
    row.documentOrder = documentOrder;
    row.code = code;
    row.codeOrder = codeOrder;
    row.start = start;
    row.weight = weight;
    row.page = page;
    return row;
}

std::vector<qint32> SortedCodings(std::vector<CSegmentRow> rows, int (*compare)(const CSegmentRow&, const CSegmentRow&),
                                  unsigned seed)
{
    std::shuffle(rows.begin(), rows.end(), std::mt19937(seed));
    std::sort(rows.begin(), rows.end(), [compare](const CSegmentRow& a, const CSegmentRow& b) { return compare(a, b) < 0; });
    std::vector<qint32> codings;
    for (const CSegmentRow& row : rows)
        codings.push_back(row.coding);
    return codings;
}

}  // namespace

TEST(SortOrderTest, ResultRowsComeOutInOneOrderWhateverTheirInputOrder)
{
    // New codes share ordering value 0, and rows may agree in every sort key.
    const std::vector<CSegmentRow> rows = {
        Row(1, 10, 0, 100, 0, 50, 20),  Row(2, 10, 0, 200, 0, 10, 80), Row(3, 11, 0, 100, 0, 5, 80),
        Row(4, 10, 0, 100, 0, 10, 20),  Row(5, 12, 1, 300, 2, 0, 50),  Row(6, 11, 0, 200, 0, 5, 50),
        Row(7, 10, 0, 100, 0, 10, 20, 2), Row(8, 10, 0, 100, 0, 10, 20), Row(9, 11, 0, 300, 2, 7, 0),
    };
    const struct {
        const char* name;
        int (*compare)(const CSegmentRow&, const CSegmentRow&);
        std::vector<qint32> expected;
    } cases[] = {
        // Documents of equal order: highest id first; inside one, codes by
        // order then id, then page and start, then coding.
        {"by document", CompareSegmentsByDocument, {3, 6, 9, 4, 8, 1, 7, 2, 5}},
        // Codes of equal order: highest id first; then document order,
        // page, start, document, coding.
        {"by code", CompareSegmentsByCode, {6, 2, 3, 4, 8, 1, 7, 9, 5}},
        {"by weight", CompareSegmentsByWeight, {3, 2, 6, 5, 4, 8, 1, 7, 9}},
    };
    for (const auto& c : cases) {
        for (unsigned seed = 0; seed < 20; ++seed)
            EXPECT_EQ(SortedCodings(rows, c.compare, seed), c.expected) << c.name << " seed " << seed;
    }
}

TEST(SortOrderTest, WordRowsAreOrderedByTheirWordsAndThenWhole)
{
    const std::vector<qint32> markA = {7, 30, 0, 0, 1000, 2000, 0};
    const std::vector<qint32> markB = {3, 30, 0, 0, 0, 1000, 0};
    const std::vector<qint32> markC = {9, 10, 0, 0, 0, 0, 0};
    EXPECT_LT(CompareTimeMarks(markC, markA), 0);
    EXPECT_GT(CompareTimeMarks(markA, markB), 0);  // equal StartChar: by mark id
    EXPECT_EQ(CompareTimeMarks(markA, markA), 0);

    std::vector<qint32> many(30, 0), more(30, 0);
    many[29] = 5;
    more[29] = 9;
    EXPECT_GT(CompareChartRows(many, more), 0);  // highest first
    EXPECT_LT(CompareChartRows(std::vector<qint32>(30, 0), std::vector<qint32>(31, 0)), 0);

    const std::vector<qint32> hitA = {1, 0, 0, 4, 0, 0, 2, 9};
    const std::vector<qint32> hitB = {1, 0, 0, 3, 0, 0, 2, 8};
    EXPECT_GT(CompareWordHits(hitA, hitB), 0);
    EXPECT_GT(CompareWordHitsByCategory(hitA, hitB), 0);
    EXPECT_LT(CompareIdPairs(1, 9, 2, 0), 0);
    EXPECT_GT(CompareIdPairs(1, 9, 1, 3), 0);
    EXPECT_GT(CompareUnsigned(0x80000000u, 1), 0);
    EXPECT_LT(CompareStrings(QStringLiteral("B"), QStringLiteral("a")), 0);
}

TEST_F(ObjectsTest, CodingsOfASubtreeCountWithoutCodeZeroRows)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 other = doc.NewDocument(0, QStringLiteral("E"), {}, QString());
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"), a);
    const qint32 c = AddCode(QStringLiteral("C"), b);
    const qint32 z = AddCode(QStringLiteral("Z"));
    for (const qint32 code : {a, b, c, c, z, 0})
        AddCoding(d, code, 0, 1);
    AddCoding(other, c, 0, 1);
    EXPECT_EQ(doc.CountDocumentCodingsInSubtree(d, a), 4);
    EXPECT_EQ(doc.CountDocumentCodingsInSubtree(d, b), 3);
    EXPECT_EQ(doc.CountDocumentCodingsInSubtree(d, c), 2);
    EXPECT_EQ(doc.CountDocumentCodingsInSubtree(d, 0), 5);
    EXPECT_EQ(doc.CountDocumentCodingsInSubtree(other, z), 0);
}

TEST_F(ObjectsTest, CoverageIsTheShareOfTheLengthAndZeroWithoutOne)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 text = AddCoding(d, code, 10, 35, {{CodingField::IsText, 1}});
    const qint32 area = AddCoding(d, code, 10, 35, {{CodingField::IsText, 0}, {CodingField::Area, 9}});
    ASSERT_TRUE(doc.UpdateCodingCoverage(d, 100));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Area), QStringLiteral("25"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Coverage), QStringLiteral("25"));
    EXPECT_EQ(Value(TopicId::Codings, area, CodingField::Area), QStringLiteral("9"));  // not a text coding
    ASSERT_TRUE(doc.UpdateCodingCoverage(d, 0));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Area), QStringLiteral("25"));
    EXPECT_EQ(Value(TopicId::Codings, text, CodingField::Coverage), QStringLiteral("0"));
}
