#include "foundation/segmentrecord.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

bool IsEmpty(const SegmentRecord& r)
{
    return r.end < r.start;
}

bool IsColoured(const SegmentRecord& r)
{
    return r.colour != kNoColor;
}

bool Inside(const SegmentRecord& inner, const SegmentRecord& outer)
{
    return outer.start <= inner.start && inner.end <= outer.end;
}

bool Overlap(const SegmentRecord& a, const SegmentRecord& b)
{
    if (IsEmpty(a) || IsEmpty(b))
        return false;
    if (Inside(a, b) || Inside(b, a))
        return true;
    const SegmentRecord& first = a.start <= b.start ? a : b;
    const SegmentRecord& second = a.start <= b.start ? b : a;
    return second.start < first.end;
}

qint32 CommonOwner(qint32 a, qint32 b)
{
    if (a == b)
        return a;
    if (a == 0 && b > 0)
        return b;
    if (a > 0 && b == 0)
        return a;
    return -1;
}

COLORREF CommonColour(const SegmentRecord& a, const SegmentRecord& b)
{
    if (IsColoured(a) && IsColoured(b))
        return MixColors(a.colour, b.colour);
    return IsColoured(a) ? a.colour : b.colour;
}

SegmentRecord Piece(qint32 owner, qint32 start, qint32 end, COLORREF colour)
{
    return SegmentRecord{owner, start, end, 0, colour};
}

// Removes records i < j and appends the pieces.
void ReplacePair(SegmentRecordArray& records, size_t i, size_t j, const std::vector<SegmentRecord>& pieces)
{
    records.erase(records.begin() + std::ptrdiff_t(j));
    records.erase(records.begin() + std::ptrdiff_t(i));
    records.insert(records.end(), pieces.begin(), pieces.end());
}

// Of records with the same range, those below the range's highest priority go.
void KeepHighestPriority(SegmentRecordArray& records)
{
    std::map<std::pair<qint32, qint32>, qint32> highest;
    for (const SegmentRecord& r : records) {
        auto [it, added] = highest.try_emplace({r.start, r.end}, r.priority);
        if (!added)
            it->second = std::max(it->second, r.priority);
    }
    std::erase_if(records, [&](const SegmentRecord& r) { return r.priority < highest[{r.start, r.end}]; });
}

// The first overlapping pair (i, j), i < j, that needs a cut, in scan order.
template <typename NeedsCut>
bool FindPair(const SegmentRecordArray& records, NeedsCut needsCut, size_t& i, size_t& j)
{
    for (i = 0; i < records.size(); ++i)
        for (j = i + 1; j < records.size(); ++j)
            if (needsCut(records[i], records[j]))
                return true;
    return false;
}

void MixOverlaps(SegmentRecordArray& records)
{
    size_t i = 0;
    size_t j = 0;
    while (FindPair(records, Overlap, i, j)) {
        const SegmentRecord a = records[i];
        const SegmentRecord b = records[j];
        const SegmentRecord& first = a.start <= b.start ? a : b;
        const SegmentRecord& last = a.end >= b.end ? a : b;
        const qint32 laterStart = std::max(a.start, b.start);
        const qint32 earlierEnd = std::min(a.end, b.end);
        std::vector<SegmentRecord> pieces;
        if (first.start < laterStart)
            pieces.push_back(Piece(first.owner, first.start, laterStart - 1, first.colour));
        pieces.push_back(Piece(CommonOwner(a.owner, b.owner), laterStart, earlierEnd, CommonColour(a, b)));
        if (earlierEnd < last.end)
            pieces.push_back(Piece(last.owner, earlierEnd + 1, last.end, last.colour));
        ReplacePair(records, i, j, pieces);
    }
}

void CutUncoloured(SegmentRecordArray& records)
{
    const auto needsCut = [](const SegmentRecord& a, const SegmentRecord& b) {
        return IsColoured(a) != IsColoured(b) && Overlap(a, b);
    };
    size_t i = 0;
    size_t j = 0;
    while (FindPair(records, needsCut, i, j)) {
        const size_t plainIndex = IsColoured(records[i]) ? j : i;
        const SegmentRecord plain = records[plainIndex];
        const SegmentRecord& coloured = records[plainIndex == i ? j : i];
        std::vector<SegmentRecord> pieces;
        if (plain.start < coloured.start)
            pieces.push_back(Piece(plain.owner, plain.start, coloured.start - 1, plain.colour));
        if (coloured.end < plain.end)
            pieces.push_back(Piece(plain.owner, coloured.end + 1, plain.end, plain.colour));
        records.erase(records.begin() + std::ptrdiff_t(plainIndex));
        records.insert(records.end(), pieces.begin(), pieces.end());
    }
}

}  // namespace

bool ContainsSegmentKey(const SegmentRecordArray& records, qint32 owner, qint32 start)
{
    return std::any_of(records.begin(), records.end(),
                       [&](const SegmentRecord& r) { return r.owner == owner && r.start == start; });
}

bool MergeSegmentRecords(bool keepUncoloured, bool mix, SegmentRecordArray& records)
{
    if (mix) {
        KeepHighestPriority(records);
        MixOverlaps(records);
    } else if (!keepUncoloured) {
        CutUncoloured(records);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const SegmentRecord& a, const SegmentRecord& b) { return a.start < b.start; });
    return true;
}
