#include "foundation/segmentrecord.h"

#include <algorithm>
#include <map>
#include <optional>
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

// Of records with the same range, those below the range's highest priority go.
void KeepHighestPriority(SegmentRecordArray& records)
{
    std::map<std::pair<qint32, qint32>, qint32> highest;
    for (const SegmentRecord& r : records) {
        auto [it, added] = highest.try_emplace({r.start, r.end}, r.priority);
        if (!added)
            it->second = std::max(it->second, r.priority);
    }
    const auto kept = std::remove_if(records.begin(), records.end(),
                                     [&](const SegmentRecord& r) { return r.priority < highest[{r.start, r.end}]; });
    records.RemoveAt(kept - records.begin(), records.end() - kept);
}

// Cuts pairs of records (i, j), i < j, for which needsCut holds until none
// is left, always taking the first such pair in scan order (by i, then j),
// as a scan from the first record after every cut would. cut(i, j) removes
// records and appends its pieces, returning how many it appended.
//
// Pairs known to need no cut are not looked at again: no record before
// `clean` needs a cut with any record before `fresh`. A cut at (i, j) leaves
// the records before i clean towards everything but the new pieces.
template <typename NeedsCut, typename Cut>
void CutPairs(SegmentRecordArray& records, NeedsCut needsCut, Cut cut)
{
    qsizetype clean = 0;
    qsizetype fresh = records.GetSize();
    const auto findPair = [&]() -> std::optional<std::pair<qsizetype, qsizetype>> {
        for (qsizetype i = 0; i < clean; ++i)
            for (qsizetype j = fresh; j < records.GetSize(); ++j)
                if (needsCut(records[i], records[j]))
                    return std::pair{i, j};
        for (qsizetype i = clean; i < records.GetSize(); ++i)
            for (qsizetype j = i + 1; j < records.GetSize(); ++j)
                if (needsCut(records[i], records[j]))
                    return std::pair{i, j};
        return std::nullopt;
    };
    while (const auto pair = findPair()) {
        const qsizetype appended = cut(pair->first, pair->second);
        clean = pair->first;
        fresh = records.GetSize() - appended;
    }
}

void MixOverlaps(SegmentRecordArray& records)
{
    CutPairs(records, Overlap, [&records](qsizetype i, qsizetype j) {
        const SegmentRecord a = records[i];
        const SegmentRecord b = records[j];
        const SegmentRecord& first = a.start <= b.start ? a : b;
        const SegmentRecord& last = a.end >= b.end ? a : b;
        const qint32 laterStart = std::max(a.start, b.start);
        const qint32 earlierEnd = std::min(a.end, b.end);
        records.RemoveAt(j);
        records.RemoveAt(i);
        const qsizetype before = records.GetSize();
        if (first.start < laterStart)
            records.Add(Piece(first.owner, first.start, laterStart - 1, first.colour));
        records.Add(Piece(CommonOwner(a.owner, b.owner), laterStart, earlierEnd, CommonColour(a, b)));
        if (earlierEnd < last.end)
            records.Add(Piece(last.owner, earlierEnd + 1, last.end, last.colour));
        return records.GetSize() - before;
    });
}

// The coloured record of each pair stays where it is; the uncoloured one
// goes, and its parts outside the coloured one are appended.
void CutUncoloured(SegmentRecordArray& records)
{
    const auto needsCut = [](const SegmentRecord& a, const SegmentRecord& b) {
        return IsColoured(a) != IsColoured(b) && Overlap(a, b);
    };
    CutPairs(records, needsCut, [&records](qsizetype i, qsizetype j) {
        const qsizetype plainIndex = IsColoured(records[i]) ? j : i;
        const SegmentRecord plain = records[plainIndex];
        const SegmentRecord coloured = records[plainIndex == i ? j : i];
        records.RemoveAt(plainIndex);
        const qsizetype before = records.GetSize();
        if (plain.start < coloured.start)
            records.Add(Piece(plain.owner, plain.start, coloured.start - 1, plain.colour));
        if (coloured.end < plain.end)
            records.Add(Piece(plain.owner, coloured.end + 1, plain.end, plain.colour));
        return records.GetSize() - before;
    });
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
