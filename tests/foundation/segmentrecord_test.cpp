#include "foundation/segmentrecord.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

constexpr COLORREF kRed = MakeColor(255, 0, 0);
constexpr COLORREF kBlue = MakeColor(0, 0, 255);
constexpr COLORREF kGreen = MakeColor(0, 255, 0);

std::string Show(const SegmentRecordArray& records)
{
    std::ostringstream out;
    for (const SegmentRecord& r : records)
        out << r.start << "-" << r.end << " owner " << r.owner << " prio " << r.priority << " colour " << std::hex
            << r.colour << std::dec << "; ";
    return out.str();
}

bool SameRecords(const SegmentRecordArray& a, const SegmentRecordArray& b)
{
    return Show(a) == Show(b);
}

struct MergeCase {
    const char* name;
    bool keepUncoloured, mix;
    SegmentRecordArray in, out;
};

}  // namespace

TEST(SegmentRecords, NewRecordsAreUncolouredAndKeysAreFound)
{
    SegmentRecordArray records;
    records.SetSize(3);
    for (const SegmentRecord& r : records) {
        EXPECT_EQ(r.owner | r.start | r.end | r.priority, 0);
        EXPECT_EQ(r.colour, kNoColor);
    }
    records[1] = {7, 40, 50, 0, kRed};
    EXPECT_TRUE(ContainsSegmentKey(records, 7, 40));
    EXPECT_FALSE(ContainsSegmentKey(records, 7, 41));
    EXPECT_FALSE(ContainsSegmentKey(records, 8, 40));
    EXPECT_FALSE(ContainsSegmentKey({}, 0, 0));
}

TEST(SegmentRecords, Merge)
{
    const MergeCase cases[] = {
        {"overlap: the mean of red and blue where they meet", false, true,
         {{5, 10, 20, 0, kRed}, {0, 15, 30, 0, kBlue}},
         {{5, 10, 14, 0, kRed}, {5, 15, 20, 0, MixColors(kRed, kBlue)}, {0, 21, 30, 0, kBlue}}},
        {"one inside the other: the outer gives both outer pieces", false, true,
         {{4, 10, 30, 0, kRed}, {7, 15, 20, 0, kBlue}},
         {{4, 10, 14, 0, kRed}, {-1, 15, 20, 0, MixColors(kRed, kBlue)}, {4, 21, 30, 0, kRed}}},
        {"same range: the higher priority stays", false, true,
         {{1, 10, 20, 1, kRed}, {2, 10, 20, 3, kBlue}, {3, 10, 20, 2, kGreen}},
         {{2, 10, 20, 3, kBlue}}},
        {"same range, same priority: one piece, the non-zero owner", false, true,
         {{0, 10, 20, 2, kRed}, {6, 10, 20, 2, kNoColor}},
         {{6, 10, 20, 0, kRed}}},
        {"same owner stays the owner", false, true,
         {{6, 10, 20, 0, kRed}, {6, 15, 25, 0, kBlue}},
         {{6, 10, 14, 0, kRed}, {6, 15, 20, 0, MixColors(kRed, kBlue)}, {6, 21, 25, 0, kBlue}}},
        {"sharing only the boundary position is no overlap", false, true,
         {{2, 20, 30, 0, kBlue}, {1, 10, 20, 0, kRed}},
         {{1, 10, 20, 0, kRed}, {2, 20, 30, 0, kBlue}}},
        {"a one-position range inside another is cut out", false, true,
         {{1, 10, 20, 0, kRed}, {2, 20, 20, 0, kBlue}},
         {{1, 10, 19, 0, kRed}, {-1, 20, 20, 0, MixColors(kRed, kBlue)}}},
        {"neither coloured: the common part stays uncoloured", false, true,
         {{1, 0, 9, 0, kNoColor}, {0, 5, 14, 0, kNoColor}},
         {{1, 0, 4, 0, kNoColor}, {1, 5, 9, 0, kNoColor}, {0, 10, 14, 0, kNoColor}}},
        {"three records mix in list order", false, true,
         {{1, 0, 9, 0, kRed}, {2, 0, 9, 0, kBlue}, {3, 0, 9, 0, kGreen}},
         {{-1, 0, 9, 0, MixColors(MixColors(kRed, kBlue), kGreen)}}},
        {"an empty record covers nothing and passes through", false, true,
         {{0, 0, -1, 0, kNoColor}, {1, 0, 9, 0, kRed}},
         {{0, 0, -1, 0, kNoColor}, {1, 0, 9, 0, kRed}}},
        {"without mix coloured records cut uncoloured ones", false, false,
         {{0, 0, 100, 5, kNoColor}, {3, 40, 60, 2, kRed}},
         {{0, 0, 39, 0, kNoColor}, {3, 40, 60, 2, kRed}, {0, 61, 100, 0, kNoColor}}},
        {"without mix coloured records overlap each other unchanged", false, false,
         {{1, 10, 30, 0, kRed}, {2, 20, 40, 0, kBlue}, {0, 0, 50, 0, kNoColor}, {4, 25, 26, 0, kNoColor}},
         {{0, 0, 9, 0, kNoColor}, {1, 10, 30, 0, kRed}, {2, 20, 40, 0, kBlue}, {0, 41, 50, 0, kNoColor}}},
        {"keeping the uncoloured ones: only sorted", true, false,
         {{0, 50, 100, 0, kNoColor}, {3, 40, 60, 0, kRed}},
         {{3, 40, 60, 0, kRed}, {0, 50, 100, 0, kNoColor}}},
        {"nothing to merge", false, true, {}, {}},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        SegmentRecordArray records = c.in;
        EXPECT_TRUE(MergeSegmentRecords(c.keepUncoloured, c.mix, records));
        EXPECT_TRUE(SameRecords(records, c.out)) << Show(records) << "\nexpected " << Show(c.out);
    }
}

TEST(SegmentRecords, MixedMergeLeavesNoOverlapAndCoversTheSamePositions)
{
    std::mt19937 random(20240607);
    for (int round = 0; round < 200; ++round) {
        SegmentRecordArray records;
        const int count = 1 + int(random() % 12);
        for (int i = 0; i < count; ++i) {
            const qint32 start = qint32(random() % 60);
            const qint32 end = start + qint32(random() % 25) - 2;   // a few empty ones
            records.Add({qint32(random() % 4), start, end, qint32(random() % 3),
                               random() % 3 ? MakeColor(int(random() % 256), 0, 128) : kNoColor});
        }
        std::vector<int> before(100, 0);
        for (const SegmentRecord& r : records)
            for (qint32 p = r.start; p <= r.end; ++p)
                before[size_t(p)] = 1;
        ASSERT_TRUE(MergeSegmentRecords(false, true, records));
        std::vector<int> after(100, 0);
        for (qsizetype i = 0; i < records.GetSize(); ++i) {
            if (i > 0) {
                ASSERT_LE(records[i - 1].start, records[i].start) << Show(records);
            }
            for (qint32 p = records[i].start; p <= records[i].end; ++p)
                after[size_t(p)] = 1;
            for (qsizetype j = i + 1; j < records.GetSize(); ++j) {
                const SegmentRecord& a = records[i];
                const SegmentRecord& b = records[j];
                if (a.end < a.start || b.end < b.start)
                    continue;
                // At most the boundary position is shared.
                const qint32 shared = std::min(a.end, b.end) - std::max(a.start, b.start) + 1;
                ASSERT_LE(shared, 1) << Show(records);
                ASSERT_FALSE(shared == 1 && (a.start == a.end || b.start == b.end)) << Show(records);
            }
        }
        // Removing a lower-priority duplicate never uncovers a position.
        EXPECT_EQ(before, after) << Show(records);
    }
}
