#include "foundation/tabledata.h"

#include "common/testutil.h"
#include "foundation/stringstore.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray Le32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A 2 × 3 table with every kind of content.
CTableData SampleTable()
{
    CTableData table;
    EXPECT_TRUE(table.SetSize(2, 3));
    const QStringList cells = {"a", "", "Zwölf \U0001F600", "line\rbreak", "x", "<&>"};
    for (int i = 0; i < cells.size(); ++i)
        table.SetCell(i / 3, i % 3, cells[i]);
    table.SetColumnLabel(0, "Name");
    table.SetColumnLabel(2, "Comment");
    table.SetColumnFlag(1, 1);
    for (int i = 0; i < table.GetCellValues().size(); ++i)
        table.GetCellValues()[i] = i * 1000 - 3;
    table.GetColumnRecords()[1] = TableColumnRecord{7, -8, 0xFE, 99};
    return table;
}

void ExpectSameContent(const CTableData& a, const CTableData& b)
{
    ASSERT_EQ(a.GetRowCount(), b.GetRowCount());
    ASSERT_EQ(a.GetColumnCount(), b.GetColumnCount());
    for (qint32 r = 0; r < a.GetRowCount(); ++r)
        for (qint32 c = 0; c < a.GetColumnCount(); ++c)
            EXPECT_EQ(a.GetCell(r, c), b.GetCell(r, c)) << r << "," << c;
    for (qint32 c = 0; c < a.GetColumnCount(); ++c) {
        EXPECT_EQ(a.GetColumnLabel(c), b.GetColumnLabel(c));
        EXPECT_EQ(a.GetColumnFlag(c), b.GetColumnFlag(c));
    }
    EXPECT_EQ(a.GetCellValues(), b.GetCellValues());
    ASSERT_EQ(a.GetColumnRecords().size(), b.GetColumnRecords().size());
    for (qsizetype i = 0; i < a.GetColumnRecords().size(); ++i) {
        EXPECT_EQ(a.GetColumnRecords()[i].first, b.GetColumnRecords()[i].first);
        EXPECT_EQ(a.GetColumnRecords()[i].second, b.GetColumnRecords()[i].second);
        EXPECT_EQ(a.GetColumnRecords()[i].flag, b.GetColumnRecords()[i].flag);
    }
}

}  // namespace

TEST(TableData, SizingCellsAndOrders)
{
    CTableData table;
    EXPECT_EQ(table.GetRowCount(), 0);
    ASSERT_TRUE(table.SetSize(3, 2));
    EXPECT_EQ(table.GetRowCount(), 3);
    EXPECT_EQ(table.GetColumnCount(), 2);
    EXPECT_EQ(table.GetCellValues(), QList<qint32>(12, 0));
    ASSERT_EQ(table.GetColumnRecords().size(), 2);
    EXPECT_EQ(table.GetColumnRecords()[1].first, 1);
    EXPECT_EQ(table.GetColumnRecords()[1].second, 1);
    EXPECT_EQ(table.GetColumnRecords()[1].flag, 1);

    // (row, column), row by row.
    EXPECT_TRUE(table.SetCell(2, 1, "last"));
    EXPECT_TRUE(table.SetCell(0, 1, "r0c1"));
    EXPECT_EQ(table.GetCell(2, 1), "last");
    EXPECT_EQ(table.GetCell(0, 1), "r0c1");
    const struct {
        qint32 row, column;
    } outside[] = {{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& p : outside) {
        EXPECT_EQ(table.GetCell(p.row, p.column), QString());
        EXPECT_FALSE(table.SetCell(p.row, p.column, "x"));
    }
    EXPECT_EQ(table.GetTotalLabelLength(), 8);
    EXPECT_EQ(table.GetTextLength(), 8);

    QList<qint32> rows = {9}, columns;
    table.GetIdentityOrder(rows, columns);
    EXPECT_EQ(rows, (QList<qint32>{0, 1, 2}));
    EXPECT_EQ(columns, (QList<qint32>{0, 1}));

    EXPECT_FALSE(table.SetSize(-1, 2));
    EXPECT_FALSE(table.SetSize(0x10000, 0x10000));
    EXPECT_EQ(table.GetCell(2, 1), "last");
}

TEST(TableData, CreateLabelsColumnsInTheCurrentLanguage)
{
    CStringStore store;
    ASSERT_TRUE(store.Open(testutil::StringTablePath(), 1));   // English
    CStringStore* previous = g_pStringStore;
    g_pStringStore = &store;
    CTableData table;
    ASSERT_TRUE(table.Create(1, 3));
    EXPECT_EQ(table.GetColumnLabel(0), "Column 1");
    EXPECT_EQ(table.GetColumnLabel(2), "Column 3");
    ASSERT_TRUE(table.Create(1, 2, true));
    EXPECT_EQ(table.GetColumnLabel(1), "");
    g_pStringStore = previous;
}

TEST(TableData, EmptyTableImage)
{
    CTableData table;
    QByteArray bytes;
    ASSERT_TRUE(table.SaveToBytes(bytes));
    EXPECT_EQ(bytes, Le32(1) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0));
    CTableData read = SampleTable();
    ASSERT_TRUE(read.LoadFromBytes(bytes));
    EXPECT_EQ(read.GetRowCount(), 0);
    EXPECT_EQ(read.GetColumnCount(), 0);
    EXPECT_TRUE(read.GetColumnRecords().isEmpty());
}

TEST(TableData, ImageRoundTrip)
{
    const CTableData table = SampleTable();
    QByteArray bytes;
    ASSERT_TRUE(table.SaveToBytes(bytes));
    EXPECT_EQ(bytes.size() % 16, 0);
    EXPECT_EQ(bytes.left(12), Le32(1) + Le32(2) + Le32(3));
    EXPECT_EQ(bytes.mid(12, 4), Le32(6));   // the cells as one string array

    CTableData read;
    ASSERT_TRUE(read.LoadFromBytes(bytes));
    ExpectSameContent(table, read);
    EXPECT_EQ(read.GetColumnRecords()[1].transient, 0);   // not stored

    // Saving what was read gives the same bytes; a trailing zero (as blob
    // readers append) is still padding.
    QByteArray again;
    ASSERT_TRUE(read.SaveToBytes(again));
    EXPECT_EQ(again, bytes);
    EXPECT_TRUE(read.LoadFromBytes(bytes + '\0'));
}

TEST(TableData, DamagedImagesAreRefusedAndChangeNothing)
{
    CTableData table;
    table.SetSize(2, 2);
    table.SetCell(0, 0, "keep");
    table.SetCell(1, 1, "me");
    QByteArray good;
    ASSERT_TRUE(table.SaveToBytes(good));
    // The meaningful part ends where the zero padding begins.
    qsizetype meaningful = good.size();
    while (meaningful > 0 && good[meaningful - 1] == '\0')
        --meaningful;

    auto replaced = [&](qsizetype at, qint32 value) { return QByteArray(good).replace(at, 4, Le32(value)); };
    QList<QByteArray> damaged = {
        replaced(4, 3),                 // more rows than cells
        replaced(4, -1),                // negative rows
        replaced(8, 0x7FFFFFFF),        // huge columns
        replaced(4, 0x40000000),        // rows × columns beyond any image
        replaced(4, 0x7FFFFFFF).replace(8, 4, Le32(0)),   // rows without columns
        replaced(12, 5),                // cell count does not match the size
        replaced(12, 0x7FFFFFFF),       // hostile cell count
        good + QByteArray("\x01", 1),   // not padding after the image
    };
    // Cut anywhere but right after the size fields (a size-only image).
    for (qsizetype length = 0; length < meaningful; ++length)
        if (length != 12)
            damaged << good.left(length);

    const CTableData original = SampleTable();
    for (const QByteArray& bytes : damaged) {
        CTableData read = SampleTable();
        EXPECT_FALSE(read.LoadFromBytes(bytes)) << bytes.toHex().toStdString();
        ExpectSameContent(read, original);
    }
}

// Stored documents hold images that end after the version and the sizes:
// a table of that size whose cells are all empty.
TEST(TableData, ASizeOnlyImageIsATableOfEmptyCells)
{
    const QByteArray sizes = Le32(1) + Le32(2) + Le32(3);
    CTableData expected;
    ASSERT_TRUE(expected.SetSize(2, 3));
    // As written, padded to 16 bytes, and with the blob reader's zero.
    for (const QByteArray& bytes : {sizes, sizes + QByteArray(4, '\0'), sizes + QByteArray(1, '\0')}) {
        CTableData read = SampleTable();
        ASSERT_TRUE(read.LoadFromBytes(bytes)) << bytes.toHex().toStdString();
        ExpectSameContent(read, expected);
        EXPECT_EQ(read.GetCellValues(), QList<qint32>(12, 0));
    }
    CTableData columnsOnly;
    ASSERT_TRUE(columnsOnly.LoadFromBytes(Le32(1) + Le32(0) + Le32(4)));
    EXPECT_EQ(columnsOnly.GetRowCount(), 0);
    EXPECT_EQ(columnsOnly.GetColumnCount(), 4);

    // Still refused: an image cut inside the cells, rows without columns,
    // and sizes no empty table may take from a few bytes, in cells or in
    // columns alone (13 bytes asking for 369,098,752 columns).
    const CTableData original = SampleTable();
    for (const QByteArray& bytes :
         {sizes + Le32(6).left(2), sizes + Le32(6), Le32(1) + Le32(5) + Le32(0), Le32(1) + Le32(0x1000) + Le32(0x1000),
          QByteArray::fromHex("01000000000000000000001600"), Le32(1) + Le32(0) + Le32(0x7FFFFFFF),
          Le32(1) + Le32(1) + Le32(CTableData::kMaxUnbackedColumns + 1)}) {
        CTableData read = SampleTable();
        EXPECT_FALSE(read.LoadFromBytes(bytes)) << bytes.toHex().toStdString();
        ExpectSameContent(read, original);
    }
}

TEST(TableData, RecordCountIsCheckedAgainstTheBytes)
{
    CTableData table;
    table.SetSize(1, 1);
    QByteArray bytes;
    ASSERT_TRUE(table.SaveToBytes(bytes));
    // 1,1,1 | cells: 1, "" | labels: 1, "" | flags: 1, 0 | values: 2, 0, 0 | n = 1 at offset 48.
    ASSERT_EQ(bytes.mid(48, 4), Le32(1));
    for (qint32 n : {2, -1, 0x7FFFFFFF}) {
        CTableData read;
        EXPECT_FALSE(read.LoadFromBytes(QByteArray(bytes).replace(48, 4, Le32(n)))) << n;
    }
}
