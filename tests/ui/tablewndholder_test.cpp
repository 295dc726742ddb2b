// The table window's data holder: its stored range, its record list's byte
// image and the shared pointers it clears.

#include "foundation/serialbuffer.h"
#include "ui/tablewndholder.h"

#include <QObject>

#include <gtest/gtest.h>

TEST(TableWndHolder, RangeIsAnsweredOnlyOnceStored)
{
    CTableWndHolder holder;
    qint32 first = 5, second = 6;
    EXPECT_FALSE(holder.GetStoredRange(first, second));
    EXPECT_EQ(first, 5);
    holder.SetStoredRange(2, -1);
    EXPECT_FALSE(holder.GetStoredRange(first, second));
    holder.SetStoredRange(2, 9);
    ASSERT_TRUE(holder.GetStoredRange(first, second));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 9);
}

TEST(TableWndHolder, RecordsRoundTripAndDamagedCountsAreRefused)
{
    for (const int count : {0, 3}) {
        SCOPED_TRACE(count);
        QList<TableWndRecord> records(count);
        for (int i = 0; i < count; ++i)
            records[i].fill(quint8(i + 1));
        SerialBuffer out;
        ASSERT_TRUE(out.Reserve(CTableWndHolder::SizeOfRecords(records)));
        ASSERT_TRUE(CTableWndHolder::WriteRecords(out, records));
        EXPECT_EQ(out.Position(), 4 + 288 * count);
        SerialBuffer in(out.Data());
        QList<TableWndRecord> back;
        ASSERT_TRUE(CTableWndHolder::ReadRecords(in, back));
        EXPECT_EQ(back, records);
    }
    // A count larger than the bytes that follow.
    SerialBuffer damaged;
    ASSERT_TRUE(damaged.Reserve(4 + 288));
    ASSERT_TRUE(damaged.WriteInt(1000000));
    SerialBuffer in(damaged.Data());
    QList<TableWndRecord> back(2);
    EXPECT_FALSE(CTableWndHolder::ReadRecords(in, back));
    EXPECT_TRUE(back.isEmpty());
}

TEST(TableWndHolder, DestructionClearsTheSharedPointers)
{
    QObject window, part;
    {
        CTableWndHolder holder;
        SharedTableWindowPointers() = {&window, &holder, &part, &part};
    }
    const TableWindowPointers& p = SharedTableWindowPointers();
    EXPECT_EQ(p.window, nullptr);
    EXPECT_EQ(p.holder, nullptr);
    EXPECT_EQ(p.firstPart, nullptr);
    EXPECT_EQ(p.secondPart, nullptr);
}
