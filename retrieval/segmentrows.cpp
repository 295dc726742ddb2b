#include "retrieval/segmentrows.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace retrieval {

namespace {

using Index = std::vector<qint32>;

quint64 PlaceKey(const CSegmentRow& row)
{
    return quint64(quint32(row.document)) << 32 | quint32(row.page);
}

/// Row numbers ordered by document, page and start; row order breaks ties.
Index ByPlace(const CSegmentArray& rows)
{
    Index index(size_t(rows.GetSize()));
    std::iota(index.begin(), index.end(), 0);
    std::sort(index.begin(), index.end(), [&rows](qint32 a, qint32 b) {
        const CSegmentRow& x = rows[a];
        const CSegmentRow& y = rows[b];
        if (x.document != y.document)
            return x.document < y.document;
        if (x.page != y.page)
            return x.page < y.page;
        if (x.start != y.start)
            return x.start < y.start;
        return a < b;
    });
    return index;
}

/// Calls visit(first, last) for each run of one document and page.
template <typename Visit>
void ForEachGroup(const CSegmentArray& rows, const Index& index, Visit visit)
{
    for (size_t first = 0; first < index.size();) {
        const quint64 key = PlaceKey(rows[index[first]]);
        size_t last = first + 1;
        while (last < index.size() && PlaceKey(rows[index[last]]) == key)
            ++last;
        visit(index.data() + first, index.data() + last);
        first = last;
    }
}

/// Calls pair(a, b) for every two overlapping rows of one group given in
/// start order. A row is dropped from the open rows once a later start lies
/// at or after its end: no row from there on can overlap it.
template <typename Pair>
void ForEachOverlap(const CSegmentArray& rows, const qint32* first, const qint32* last, Pair pair)
{
    std::vector<qint32> open;
    for (const qint32* it = first; it != last; ++it) {
        const CSegmentRow& row = rows[*it];
        std::erase_if(open, [&](qint32 o) { return rows[o].end <= row.start && rows[o].start < row.start; });
        for (const qint32 o : open) {
            if (RowsOverlap(rows[o], row))
                pair(o, *it);
        }
        open.push_back(*it);
    }
}

/// For each subject: whether it overlaps a row of others.
std::vector<bool> OverlappedBy(const CSegmentArray& subjects, const CSegmentArray& others)
{
    CSegmentArray all;
    all.SetSize(subjects.GetSize() + others.GetSize());
    std::copy(others.begin(), others.end(), std::copy(subjects.begin(), subjects.end(), all.begin()));
    const qint32 subjectCount = qint32(subjects.GetSize());
    std::vector<bool> marked(size_t(subjectCount), false);
    const Index index = ByPlace(all);
    ForEachGroup(all, index, [&](const qint32* first, const qint32* last) {
        ForEachOverlap(all, first, last, [&](qint32 a, qint32 b) {
            if ((a < subjectCount) != (b < subjectCount))
                marked[size_t(std::min(a, b))] = true;
        });
    });
    return marked;
}

/// The rows of each document and page in start order, found by place.
class PlaceIndex {
public:
    explicit PlaceIndex(const CSegmentArray& rows) : m_rows(rows), m_index(ByPlace(rows))
    {
        ForEachGroup(rows, m_index, [this](const qint32* first, const qint32* last) {
            m_groups.emplace(PlaceKey(m_rows[*first]),
                             std::make_pair(qint32(first - m_index.data()), qint32(last - m_index.data())));
        });
    }
    /// The rows of the place of row, in start order.
    std::pair<const qint32*, const qint32*> GroupOf(const CSegmentRow& row) const
    {
        const auto found = m_groups.find(PlaceKey(row));
        if (found == m_groups.end())
            return {nullptr, nullptr};
        return {m_index.data() + found->second.first, m_index.data() + found->second.second};
    }

private:
    const CSegmentArray& m_rows;
    Index m_index;
    std::unordered_map<quint64, std::pair<qint32, qint32>> m_groups;
};

void Emit(const CSegmentRow& p, const CSegmentRow& r, qint32 variant, CSegmentArray& result)
{
    if (variant == OutputP || variant == OutputPThenR)
        result.Add(p);
    if (variant == OutputR || variant == OutputPThenR)
        result.Add(r);
}

/// For each P in order, the rows of its place that match it, in row order.
template <typename Match>
void RelateToCode(CSegmentArray& rows, qint32 code, qint32 variant, CSegmentArray& result, Match match)
{
    CSegmentArray pRows;
    TakeCodeRows(rows, code, pRows);
    const PlaceIndex places(rows);
    std::vector<qint32> matches;
    for (const CSegmentRow& p : pRows) {
        matches.clear();
        const auto [first, last] = places.GroupOf(p);
        for (const qint32* it = first; it != last; ++it) {
            if (match(p, rows[*it]))
                matches.push_back(*it);
        }
        std::sort(matches.begin(), matches.end());
        for (const qint32 r : matches)
            Emit(p, rows[r], variant, result);
    }
}

int Compare(qint32 a, qint32 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}
/// Document order ascending; equal orders: larger document id first.
int CompareDocument(const CSegmentRow& a, const CSegmentRow& b)
{
    if (const int c = Compare(a.documentOrder, b.documentOrder))
        return c;
    return Compare(b.document, a.document);
}
/// Code order ascending; equal orders: larger code id first.
int CompareCode(const CSegmentRow& a, const CSegmentRow& b)
{
    if (const int c = Compare(a.codeOrder, b.codeOrder))
        return c;
    return Compare(b.code, a.code);
}
int ComparePlace(const CSegmentRow& a, const CSegmentRow& b)
{
    if (const int c = Compare(a.page, b.page))
        return c;
    if (const int c = Compare(a.start, b.start))
        return c;
    if (const int c = Compare(a.end, b.end))
        return c;
    return Compare(a.coding, b.coding);
}

void ExtendChain(const CSegmentArray& rows, const std::vector<qint32>& candidates, size_t from,
                 const CSegmentRow& chain, std::vector<qint32>& codes, size_t length, CSegmentArray& result)
{
    for (size_t k = from; k < candidates.size(); ++k) {
        if (codes.size() + (candidates.size() - k) < length)
            return;  // too few rows left to complete the chain
        const CSegmentRow& row = rows[candidates[k]];
        if (std::find(codes.begin(), codes.end(), row.code) != codes.end() || !RowsOverlap(chain, row))
            continue;
        CSegmentRow next = chain;
        next.start = std::max(chain.start, row.start);
        next.end = std::min(chain.end, row.end);
        next.outerStart = std::min(chain.outerStart, row.start);
        next.outerEnd = std::max(chain.outerEnd, row.end);
        codes.push_back(row.code);
        if (codes.size() == length)
            result.Add(next);
        else
            ExtendChain(rows, candidates, k + 1, next, codes, length, result);
        codes.pop_back();
    }
}

}  // namespace

void ReserveRows(CSegmentArray& rows, qsizetype expected)
{
    rows.Reserve(std::max<qsizetype>(expected, 1024));
    rows.GrowGeometrically();
}

size_t SegmentKeyHash::operator()(const SegmentKey& key) const
{
    size_t hash = 1469598103934665603ull;
    for (const qint32 value : {key.document, key.page, key.code, key.start, key.end})
        hash = (hash ^ quint32(value)) * 1099511628211ull;
    return hash;
}

bool RangesOverlap(qint32 aStart, qint32 aEnd, qint32 bStart, qint32 bEnd)
{
    if (aStart == bStart)
        return aEnd > aStart || bEnd > bStart;
    return aStart < bEnd && bStart < aEnd;
}

bool RowsOverlap(const CSegmentRow& a, const CSegmentRow& b)
{
    return a.document == b.document && a.page == b.page && RangesOverlap(a.start, a.end, b.start, b.end);
}

void SortRows(CSegmentArray& rows, qint32 key)
{
    const auto sortBy = [&rows](auto compare) {
        std::stable_sort(rows.begin(), rows.end(),
                         [&compare](const CSegmentRow& a, const CSegmentRow& b) { return compare(a, b) < 0; });
    };
    switch (key) {
    case ByDocument:
        sortBy([](const CSegmentRow& a, const CSegmentRow& b) {
            if (const int c = CompareDocument(a, b))
                return c;
            if (const int c = CompareCode(a, b))
                return c;
            return ComparePlace(a, b);
        });
        break;
    case ByCode:
        sortBy([](const CSegmentRow& a, const CSegmentRow& b) {
            if (const int c = CompareCode(a, b))
                return c;
            if (const int c = CompareDocument(a, b))
                return c;
            return ComparePlace(a, b);
        });
        break;
    case ByWeight:
        sortBy([](const CSegmentRow& a, const CSegmentRow& b) {
            if (const int c = Compare(b.weight, a.weight))
                return c;
            if (const int c = CompareDocument(a, b))
                return c;
            return ComparePlace(a, b);
        });
        break;
    default:
        break;
    }
}

void RemoveDuplicateRows(CSegmentArray& rows)
{
    std::unordered_set<SegmentKey, SegmentKeyHash> seen;
    seen.reserve(size_t(rows.GetSize()));
    CSegmentArray kept;
    ReserveRows(kept, rows.GetSize());
    for (const CSegmentRow& row : rows) {
        if (seen.insert({row.document, row.page, row.code, row.start, row.end}).second)
            kept.Add(row);
    }
    rows = std::move(kept);
}

void BuildIntersections(const CSegmentArray& rows, qint32 chainLength, CSegmentArray& result)
{
    if (chainLength < 2)
        return;
    // For each row, the later rows of other codes that overlap it: only
    // they can join a chain that it starts.
    std::vector<std::vector<qint32>> later(size_t(rows.GetSize()));
    ForEachGroup(rows, ByPlace(rows), [&](const qint32* first, const qint32* last) {
        ForEachOverlap(rows, first, last, [&](qint32 a, qint32 b) {
            if (rows[a].code != rows[b].code)
                later[size_t(std::min(a, b))].push_back(std::max(a, b));
        });
    });
    std::vector<qint32> codes;
    for (qint32 s = 0; s < qint32(rows.GetSize()); ++s) {
        std::vector<qint32>& candidates = later[size_t(s)];
        if (candidates.empty())
            continue;
        std::sort(candidates.begin(), candidates.end());
        codes.assign(1, rows[s].code);
        ExtendChain(rows, candidates, 0, rows[s], codes, size_t(chainLength), result);
    }
}

void RemoveOverlappingRows(const CSegmentArray& rows, CSegmentArray& result)
{
    std::vector<bool> marked(size_t(rows.GetSize()), false);
    ForEachGroup(rows, ByPlace(rows), [&](const qint32* first, const qint32* last) {
        ForEachOverlap(rows, first, last, [&](qint32 a, qint32 b) {
            if (rows[a].code != rows[b].code)
                marked[size_t(a)] = marked[size_t(b)] = true;
        });
    });
    for (qint32 i = 0; i < qint32(rows.GetSize()); ++i) {
        if (!marked[size_t(i)])
            result.Add(rows[i]);
    }
}

void TakeCodeRows(CSegmentArray& rows, qint32 code, CSegmentArray& pRows)
{
    CSegmentArray rest;
    ReserveRows(rest, rows.GetSize());
    for (CSegmentRow row : rows) {
        if (row.code == code) {
            row.codeOrder = std::abs(row.codeOrder);
            pRows.Add(row);
        } else {
            rest.Add(row);
        }
    }
    rows = std::move(rest);
}

void RetrieveOnlyCode(CSegmentArray& rows, qint32 code, CSegmentArray& result)
{
    CSegmentArray pRows;
    TakeCodeRows(rows, code, pRows);
    const std::vector<bool> overlapped = OverlappedBy(pRows, rows);
    for (qint32 i = 0; i < qint32(pRows.GetSize()); ++i) {
        if (!overlapped[size_t(i)])
            result.Add(pRows[i]);
    }
}

void RetrieveEnclosing(CSegmentArray& rows, qint32 code, qint32 variant, CSegmentArray& result)
{
    RelateToCode(rows, code, variant, result, [](const CSegmentRow& p, const CSegmentRow& r) {
        return r.start >= p.start && r.end <= p.end;
    });
}

void RetrieveNotOverlapping(CSegmentArray& rows, qint32 code, CSegmentArray& result)
{
    CSegmentArray xRows;
    TakeCodeRows(rows, code, xRows);
    const std::vector<bool> overlapped = OverlappedBy(rows, xRows);
    for (qint32 i = 0; i < qint32(rows.GetSize()); ++i) {
        if (!overlapped[size_t(i)])
            result.Add(rows[i]);
    }
}

void RetrieveFollowing(CSegmentArray& rows, qint32 code, qint32 distance, qint32 variant, CSegmentArray& result)
{
    RelateToCode(rows, code, variant, result, [distance](const CSegmentRow& p, const CSegmentRow& r) {
        qint32 gap = p.firstParagraph - r.lastParagraph;
        if (gap < 0) {
            if (p.start < r.start)
                return false;
            gap = 0;
        }
        return gap <= distance;
    });
}

void RetrieveNear(CSegmentArray& rows, qint32 code, qint32 distance, qint32 variant, CSegmentArray& result)
{
    RelateToCode(rows, code, variant, result, [distance](const CSegmentRow& p, const CSegmentRow& r) {
        const bool meet = (p.start < r.start && p.end >= r.start) || (p.start > r.start && r.end >= p.start) ||
                          p.start == r.start;
        const qint32 gap = meet ? 0
                                : std::min(std::abs(p.firstParagraph - r.lastParagraph),
                                           std::abs(p.lastParagraph - r.firstParagraph));
        return gap <= distance;
    });
}

}  // namespace retrieval
