// The project queries the model builders ask: subcodes down to a depth,
// codes whose codings overlap a code's codings, documents joined by links.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "store/storeids.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>
#include <queue>
#include <vector>

void CKorDoc::CollectSubcodes(qint32 code, QList<qint32>& ids, bool onlyActivated, qint32 maxDepth) const
{
    // Depth first, each child followed by its own subcodes; the seen set
    // guards against parent cycles of a damaged file.
    QSet<qint32> seen{code};
    const std::function<void(qint32, qint32)> walk = [&](qint32 parent, qint32 depth) {
        if (maxDepth > 0 && depth + 1 > maxDepth)
            return;
        QList<qint32> children;
        GetChildCodes(parent, children);
        for (const qint32 child : children) {
            if (seen.contains(child))
                continue;
            seen.insert(child);
            if (!onlyActivated || IsActivated(TopicId::Codes, child))
                ids.append(child);
            walk(child, depth + 1);
        }
    };
    walk(code, 0);
}

namespace {

struct Span {
    qint32 start = 0;
    qint32 finish = 0;
    qint32 code = 0;
};

/// Pairs of a span of `others` with the sorted spans of the code, as the
/// half-open rule counts them: s2 < s1 < e2, s1 <= s2 < e1, or s1 = s2 < e2.
void CountOverlaps(std::vector<Span>& mine, std::vector<Span>& others, QHash<qint32, qint32>& counts)
{
    const auto byStart = [](const Span& a, const Span& b) { return a.start < b.start; };
    std::sort(mine.begin(), mine.end(), byStart);
    std::sort(others.begin(), others.end(), byStart);
    std::vector<qint32> starts;
    starts.reserve(mine.size());
    for (const Span& span : mine)
        starts.push_back(span.start);
    // Ends of the code's spans that start before the current s1.
    std::priority_queue<qint32, std::vector<qint32>, std::greater<>> ends;
    size_t next = 0;
    for (const Span& other : others) {
        const qint32 s1 = other.start;
        const qint32 e1 = other.finish;
        while (next < mine.size() && mine[next].start < s1)
            ends.push(mine[next++].finish);
        while (!ends.empty() && ends.top() <= s1)
            ends.pop();
        qint64 pairs = qint64(ends.size());
        const auto from = std::lower_bound(starts.cbegin(), starts.cend(), s1);
        if (e1 > s1) {
            pairs += std::lower_bound(from, starts.cend(), e1) - from;
        } else {
            // An empty span still meets a span that starts where it does.
            for (auto it = from; it != starts.cend() && *it == s1; ++it)
                if (mine[size_t(it - starts.cbegin())].finish > s1)
                    ++pairs;
        }
        if (pairs > 0)
            counts[other.code] += qint32(std::min<qint64>(pairs, 0x7FFFFFFF));
    }
}

}  // namespace

void CKorDoc::CollectCooccurringCodes(qint32 code, QList<qint32>& ids, qint32 minCount, qint32 minWeight,
                                      qint32 maxWeight) const
{
    const TopicDatabase& db = d->m_db;
    if (!db.GetTable(TopicId::Codings) || !db.GetTable(TopicId::Codes))
        return;
    QList<qint32> own;
    db.FindKeysByParent(TopicId::Codings, TopicId::Codes, code, own);
    if (own.isEmpty())
        return;
    const auto weightFits = [&](qint32 coding) {
        const qint32 weight = db.GetIntValue(TopicId::Codings, coding, CodingField::Weight);
        return weight >= minWeight && weight <= maxWeight;
    };
    QList<qint32> documents;
    for (const qint32 coding : own)
        documents.append(db.GetIntValue(TopicId::Codings, coding, CodingField::Document));
    UniqueDWordArray(documents);

    // Positions of different pages mean nothing together: one sweep per page.
    QHash<qint32, qint32> counts;
    QList<qint32> codings;
    for (const qint32 document : documents) {
        codings.clear();
        db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        QHash<qint32, std::pair<std::vector<Span>, std::vector<Span>>> pages;
        for (const qint32 coding : codings) {
            const qint32 owner = db.GetIntValue(TopicId::Codings, coding, CodingField::Code);
            if (owner == 0 || !weightFits(coding))
                continue;
            const Span span{db.GetIntValue(TopicId::Codings, coding, CodingField::StartChar),
                            db.GetIntValue(TopicId::Codings, coding, CodingField::FinishChar), owner};
            auto& page = pages[db.GetIntValue(TopicId::Codings, coding, CodingField::Page)];
            (owner == code ? page.first : page.second).push_back(span);
        }
        for (auto it = pages.begin(); it != pages.end(); ++it)
            if (!it->first.empty() && !it->second.empty())
                CountOverlaps(it->first, it->second, counts);
    }
    if (counts.isEmpty())
        return;
    // A code that overlaps nothing does not co-occur, whatever the limit.
    const qint32 least = std::max(1, minCount);
    QList<qint32> all;
    db.GetAllKeys(TopicId::Codes, all);
    for (const qint32 other : all)
        if (other != code && counts.value(other) >= least)
            ids.append(other);
}

void CKorDoc::CollectLinkedDocuments(qint32 document, QList<qint32>& ids) const
{
    const TopicDatabase& db = d->m_db;
    if (!db.GetTable(TopicId::Links))
        return;
    QList<qint32> links;
    db.FindKeysByParent(TopicId::Links, TopicId::Documents, document, links);
    QList<qint32> found;
    for (const qint32 link : links) {
        const qint32 partner = db.GetIntValue(TopicId::Links, link, LinkField::LinkID);
        if (partner <= 0 || !HasRow(TopicId::Links, partner))
            continue;
        const qint32 other = db.GetIntValue(TopicId::Links, partner, LinkField::Document);
        if (other != document && other != 0)
            found.append(other);
    }
    // Unique, keeping the first of each.
    QSet<qint32> seen;
    for (const qint32 other : found)
        if (!seen.contains(other)) {
            seen.insert(other);
            ids.append(other);
        }
}
