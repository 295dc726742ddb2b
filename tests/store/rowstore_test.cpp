// The block of packed rows: contents survive growth from the heap into a
// mapped block, copies and moves.

#include "store/rowstore.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool HoldsPattern(const RowStore& store, qsizetype rows, int rowSize)
{
    for (qsizetype row = 0; row < rows; ++row) {
        if (store.constData()[row * rowSize] != char(row % 127) || store.constData()[row * rowSize + 1] != 0)
            return false;
    }
    return true;
}

}  // namespace

TEST(RowStore, ContentsSurviveGrowthCopiesAndMoves)
{
    constexpr int kRowSize = 300;
    constexpr qsizetype kRows = 40000;  // 12 MB: past the size that is mapped
    RowStore store;
    for (qsizetype row = 0; row < kRows; ++row) {
        store.appendZeros(kRowSize);
        store.data()[row * kRowSize] = char(row % 127);
    }
    ASSERT_EQ(store.size(), kRows * kRowSize);
    EXPECT_GE(store.capacity(), store.size());
    EXPECT_TRUE(HoldsPattern(store, kRows, kRowSize));

    RowStore copy = store;
    EXPECT_TRUE(HoldsPattern(copy, kRows, kRowSize));
    RowStore moved = std::move(store);
    EXPECT_EQ(store.size(), 0);
    EXPECT_TRUE(HoldsPattern(moved, kRows, kRowSize));

    // Narrowed into a small store (as a dropped field does), then emptied.
    RowStore small;
    small.reserve(16);
    small.append(moved.constData(), 8);
    small.append(moved.constData() + kRowSize, 8);
    EXPECT_EQ(small.size(), 16);
    EXPECT_EQ(small.constData()[8], char(1));
    moved.clear();
    EXPECT_EQ(moved.size(), 0);
    EXPECT_EQ(moved.capacity(), 0);
    moved = copy;
    EXPECT_TRUE(HoldsPattern(moved, kRows, kRowSize));
}
