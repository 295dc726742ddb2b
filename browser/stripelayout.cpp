#include "browser/stripelayout.h"

#include "browser/browserids.h"

#include <QHash>

#include <algorithm>
#include <numeric>

int LayoutStripeLanes(QList<StripeItem>& stripes, bool byTableRow)
{
    // Stripes of one group compete for lanes; a sweep in order of first
    // line with the end of each lane's last stripe gives each the lowest
    // free lane in O(n x lanes).
    QList<int> order;
    order.reserve(stripes.size());
    for (int i = 0; i < stripes.size(); ++i) {
        StripeItem& stripe = stripes[i];
        stripe.lane = 0;
        stripe.labelRow = 0;
        if (stripe.Live() && stripe.visible)
            order.append(i);
    }
    const auto group = [&](int i) { return byTableRow ? stripes[i].row.PosX1 : stripes[i].row.Page; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (group(a) != group(b))
            return group(a) < group(b);
        return stripes[a].firstLine < stripes[b].firstLine;
    });
    int laneCount = 0;
    QList<qint32> laneEnds;
    for (qsizetype k = 0; k < order.size(); ++k) {
        StripeItem& stripe = stripes[order[k]];
        if (k == 0 || group(order[k]) != group(order[k - 1]))
            laneEnds.clear();
        qsizetype lane = 0;
        while (lane < laneEnds.size() && laneEnds[lane] >= stripe.firstLine)
            ++lane;
        const qint32 last = std::max(stripe.firstLine, stripe.lastLine);
        if (lane == laneEnds.size())
            laneEnds.append(last);
        else
            laneEnds[lane] = last;
        stripe.lane = int(lane) + 1;
        laneCount = std::max(laneCount, stripe.lane);
    }
    return laneCount;
}

namespace {

bool OnScreen(const StripeItem& stripe)
{
    return stripe.Live() && stripe.visible && stripe.bottom >= 0;
}

// Every other on-screen label at y .. y + height moves below it, and on.
void PushLabels(QList<StripeItem>& stripes, int from, int y, int height, int depth)
{
    if (depth > stripes.size())
        return;   // a cycle cannot happen, as labels only move down; this bounds the work anyway
    for (int k = 0; k < stripes.size(); ++k) {
        StripeItem& other = stripes[k];
        if (k == from || !OnScreen(other) || other.labelY < y || other.labelY > y + height)
            continue;
        other.labelY = y + height;
        PushLabels(stripes, k, other.labelY, height, depth + 1);
    }
}

}  // namespace

void ResolveStripeLabels(QList<StripeItem>& stripes, int labelHeight)
{
    QList<int> shown;
    for (int i = 0; i < stripes.size(); ++i)
        if (OnScreen(stripes[i]))
            shown.append(i);
    // Labels only move down, each by a bounded step; the pass count bounds
    // the work should the rules ever fail to settle.
    for (qsizetype pass = 0; pass <= shown.size(); ++pass) {
        bool moved = false;
        for (qsizetype x = 0; x < shown.size(); ++x)
            for (qsizetype z = x + 1; z < shown.size(); ++z) {
                StripeItem& first = stripes[shown[x]];
                StripeItem& later = stripes[shown[z]];
                const int a = later.labelY;
                const int b = first.labelY;
                if (a < b && b < a + labelHeight) {
                    first.labelY = a + labelHeight;
                    PushLabels(stripes, shown[x], first.labelY, labelHeight, 0);
                    moved = true;
                } else if ((b < a && a < b + labelHeight) || a == b) {
                    later.labelY = b + labelHeight;
                    PushLabels(stripes, shown[z], later.labelY, labelHeight, 0);
                    moved = true;
                }
            }
        if (!moved)
            break;
    }
    for (StripeItem& stripe : stripes) {
        stripe.labelLane = 0;
        if (!OnScreen(stripe))
            continue;
        stripe.labelLane = 1;
        for (int i : std::as_const(shown)) {
            const StripeItem& other = stripes[i];
            if (other.top <= stripe.labelY + labelHeight && other.bottom >= stripe.labelY)
                stripe.labelLane = std::max(stripe.labelLane, other.lane);
        }
    }
}

namespace {

void MarkEdited(quint32& flags, bool deleted = false)
{
    flags |= EditFlag::Edited;
    if (deleted)
        flags |= EditFlag::Deleted;
}

// The deletion rule shared by stripes and links; true when the item changed.
bool DeleteRange(qint32& start, qint32& end, quint32& flags, int from, int to)
{
    const int d = from - to;
    if (end < from)
        return false;
    if (from <= start && end <= to) {
        MarkEdited(flags, true);
        return true;
    }
    if (start < from && end <= to)
        end = from;
    else if (from <= start && start <= to)
        start = from, end += d;
    else if (start < from)
        end += d;
    else
        start += d, end += d;
    MarkEdited(flags);
    return true;
}

}  // namespace

EditEffect TrackTextEdit(QList<StripeItem>& stripes, QList<InTextMemoItem>& memos, QList<LinkItem>& links,
                         QList<TimeMarkItem>* marks, int position, int removed, int added)
{
    EditEffect effect;
    QList<TimeMarkItem> noMarks;
    if (removed == added) {
        // Nothing moved: the stripes over the changed text have new text.
        const int end = position + added;
        for (StripeItem& stripe : stripes) {
            const CodingRecord& row = stripe.row;
            const bool endsInside = row.FinishChar >= position && row.FinishChar < end;
            const bool startsInside = row.StartChar > position && row.StartChar <= end;
            const bool contains = row.StartChar <= position && row.FinishChar >= end;
            if (!stripe.Live() || !(endsInside || startsInside || contains))
                continue;
            MarkEdited(stripe.editFlags);
            effect.stripes = true;
        }
        return effect;
    }
    if (removed > 0) {
        const int from = position;
        const int to = position + removed;
        const int d = -removed;
        for (StripeItem& stripe : stripes) {
            if (!stripe.Live())
                continue;
            CodingRecord& row = stripe.row;
            if (!DeleteRange(row.StartChar, row.FinishChar, stripe.editFlags, from, to))
                continue;
            if (row.StartChar >= row.FinishChar)
                MarkEdited(stripe.editFlags, true);
            effect.stripes = true;
        }
        for (LinkItem& link : links) {
            if (link.Live() && DeleteRange(link.row.StartChar, link.row.FinishChar, link.editFlags, from, to))
                effect.links = true;
        }
        for (InTextMemoItem& memo : memos) {
            qint32& pos = memo.row.Pos;
            if (pos < from)
                continue;
            if (pos > from && pos < to)
                pos = from;
            else if (pos >= to && pos > from)
                pos += d;
            MarkEdited(memo.editFlags);
            effect.memos = true;
        }
        for (TimeMarkItem& mark : marks ? *marks : noMarks) {
            if (mark.editFlags & EditFlag::Deleted || mark.position < from)
                continue;
            // A mark on the first character after the deleted text stays
            // with that character.
            if (mark.position < to)
                MarkEdited(mark.editFlags, true);
            else
                mark.position += d, MarkEdited(mark.editFlags);
            effect.marks = true;
        }
    }
    if (added > 0) {
        const int p = position;
        for (StripeItem& stripe : stripes) {
            if (!stripe.Live())
                continue;
            CodingRecord& row = stripe.row;
            if (row.StartChar >= p)
                row.StartChar += added, row.FinishChar += added;
            else if (row.FinishChar >= p)
                row.FinishChar += added;
            else
                continue;
            MarkEdited(stripe.editFlags);
            effect.stripes = true;
        }
        for (LinkItem& link : links) {
            if (!link.Live())
                continue;
            if (link.row.StartChar >= p)
                link.row.StartChar += added, link.row.FinishChar += added;
            else if (link.row.FinishChar > p)
                link.row.FinishChar += added;
            else
                continue;
            MarkEdited(link.editFlags);
            effect.links = true;
        }
        for (InTextMemoItem& memo : memos) {
            if (memo.row.Pos < p)
                continue;
            memo.row.Pos += added;
            MarkEdited(memo.editFlags);
            effect.memos = true;
        }
        for (TimeMarkItem& mark : marks ? *marks : noMarks) {
            if (mark.editFlags & EditFlag::Deleted || mark.position <= p)
                continue;
            mark.position += added;
            MarkEdited(mark.editFlags);
            effect.marks = true;
        }
    }
    return effect;
}
