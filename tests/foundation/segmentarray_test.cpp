// Result rows and search hits: defaults, growth and their byte forms.

#include "foundation/segmentarray.h"

#include <QtEndian>

#include <gtest/gtest.h>

TEST(SegmentArray, NewRowsAndGrowth)
{
    CSegmentArray rows;
    rows.SetSize(1);
    EXPECT_EQ(rows.GetCapacity(), 1);
    const CSegmentRow& row = rows[0];
    EXPECT_EQ(row.page, 1);
    EXPECT_EQ(row.coding + row.document + row.start + row.end + row.areaLeft + row.textFlag, 0);

    rows.SetSize(80);
    rows.SetSize(81);   // grows by 80 / 8
    EXPECT_EQ(rows.GetCapacity(), 90);
    rows.SetSize(200);  // at least to the size asked
    EXPECT_EQ(rows.GetCapacity(), 200);
    rows.SetSize(9000);
    rows.SetSize(9001); // at most 1024 more
    EXPECT_EQ(rows.GetCapacity(), 10024);
    rows.SetSize(0);
    EXPECT_EQ(rows.GetCapacity(), 0);

    CRowArray hits;
    hits.SetSize(3, 50);   // a fixed step from now on
    EXPECT_EQ(hits.GetCapacity(), 50);
    hits.SetSize(51);
    EXPECT_EQ(hits.GetCapacity(), 100);
    EXPECT_EQ(hits[2].page, 0);
    hits.SetSize(3);
    hits.SetSize(4);
    EXPECT_EQ(hits.GetCapacity(), 100);
}

TEST(SegmentArray, GeometricGrowthAndRoomKeptForRefilling)
{
    // Filling a million rows reallocates a few dozen times, not once per
    // thousand rows.
    CSegmentArray rows;
    rows.Reserve(1000);
    rows.GrowGeometrically();
    int reallocations = 0;
    const CSegmentRow* data = rows.GetData();
    for (int i = 0; i < 1'000'000; ++i) {
        CSegmentRow row;
        row.coding = i;
        rows.Add(row);
        if (rows.GetData() != data) {
            ++reallocations;
            data = rows.GetData();
        }
    }
    EXPECT_LE(reallocations, 12);
    EXPECT_EQ(rows[999'999].coding, 999'999);
    // Emptied for the next run: no rows, the room kept.
    const qsizetype room = rows.GetCapacity();
    rows.Clear();
    EXPECT_EQ(rows.GetSize(), 0);
    EXPECT_EQ(rows.GetCapacity(), room);
    rows.Add(CSegmentRow());
    EXPECT_EQ(rows.GetData(), data);
    EXPECT_EQ(rows[0].page, 1);
}

TEST(SegmentArray, ByteFormRoundTripsAndRefusesDamage)
{
    CSegmentArray rows;
    for (int i = 0; i < 3; ++i) {
        CSegmentRow row;
        row.coding = i + 1;
        row.document = -7;
        row.textFlag = 1;
        rows.Add(row);
    }
    const QByteArray bytes = rows.Serialize();
    ASSERT_EQ(bytes.size(), 2 + 3 * 68);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData()), 3);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 2 + 68 + 4), -7);   // row 2, document

    CSegmentArray read;
    ASSERT_TRUE(read.Deserialize(bytes));
    ASSERT_EQ(read.GetSize(), 3);
    EXPECT_EQ(read[2].coding, 3);
    EXPECT_EQ(read[2].page, 1);

    // From 65535 rows on the count is 0xFFFF and 32 bits.
    CRowArray many;
    many.SetSize(70000);
    many[69999].end = 42;
    const QByteArray wide = many.Serialize();
    ASSERT_EQ(wide.size(), 6 + 70000 * 36);
    EXPECT_EQ(qFromLittleEndian<quint16>(wide.constData()), 0xFFFF);
    CRowArray manyRead;
    ASSERT_TRUE(manyRead.Deserialize(wide));
    EXPECT_EQ(manyRead.GetSize(), 70000);
    EXPECT_EQ(manyRead[69999].end, 42);

    QByteArray hugeCount("\xFF\xFF\xFF\xFF\xFF\x7F", 6);
    QByteArray negativeCount("\xFF\xFF\x00\x00\x00\x80", 6);
    const QByteArray damaged[] = {QByteArray(), QByteArray("\x01", 1), bytes.left(bytes.size() - 1), bytes + '\0',
                                  hugeCount, negativeCount};
    for (const QByteArray& bad : damaged) {
        EXPECT_FALSE(read.Deserialize(bad)) << bad.toHex().left(40).toStdString();
        EXPECT_EQ(read.GetSize(), 3);
    }
}
