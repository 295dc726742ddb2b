// Relations between codes (overlap and proximity of their codings), the
// typology table and the coded stretches of one document. Codings are read
// once per code into intervals sorted by (document, page, start); relations
// are counted by sweeping two or all codes' intervals of one place.

#include "retrieval/retrievalengine.h"

#include "document/kordoc.h"
#include "foundation/optionsrecord.h"
#include "foundation/waitwindow.h"
#include "retrieval/projectrows.h"
#include "retrieval/segmentrows.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace retrieval {

namespace {

struct Interval {
    qint32 document = 0;
    qint32 page = 0;
    qint32 start = 0;
    qint32 end = 0;
    qint32 firstParagraph = 0;
    qint32 lastParagraph = 0;
    qint32 code = 0;
};

quint64 Place(const Interval& i)
{
    return quint64(quint32(i.document)) << 32 | quint32(i.page);
}

bool PlaceAndStartLess(const Interval& a, const Interval& b)
{
    const quint64 pa = Place(a), pb = Place(b);
    return pa != pb ? pa < pb : a.start < b.start;
}

/// The engine's overlap rule on one place.
bool Overlap(const Interval& a, const Interval& b)
{
    return RangesOverlap(a.start, a.end, b.start, b.end);
}

/// 0 when the ranges overlap or touch; otherwise the least paragraph
/// distance between their ends.
qint32 Distance(const Interval& a, const Interval& b)
{
    if (Overlap(a, b) || a.end == b.start || b.end == a.start)
        return 0;
    return std::min({std::abs(a.firstParagraph - b.lastParagraph), std::abs(a.lastParagraph - b.firstParagraph),
                      std::abs(a.firstParagraph - b.firstParagraph), std::abs(a.lastParagraph - b.lastParagraph)});
}

/// Drops the open intervals that no interval starting at `start` or later
/// can overlap.
void Prune(std::vector<const Interval*>& open, qint32 start)
{
    std::erase_if(open, [start](const Interval* o) { return o->end <= start && o->start < start; });
}

/// Calls pair(a, b) for every overlapping two of one place's intervals
/// (sorted by start).
template <typename Pair>
void SweepPlace(const Interval* first, const Interval* last, Pair pair)
{
    std::vector<const Interval*> open;
    for (const Interval* it = first; it != last; ++it) {
        Prune(open, it->start);
        for (const Interval* o : open) {
            if (Overlap(*o, *it))
                pair(*o, *it);
        }
        open.push_back(it);
    }
}

/// The overlapping pairs of one interval of x and one of e in one place.
qint32 CountCrossOverlaps(const Interval* x, const Interval* xEnd, const Interval* e, const Interval* eEnd)
{
    std::vector<const Interval*> openX, openE;
    qint32 pairs = 0;
    while (x != xEnd || e != eEnd) {
        const bool takeX = e == eEnd || (x != xEnd && x->start <= e->start);
        const Interval* current = takeX ? x++ : e++;
        std::vector<const Interval*>& others = takeX ? openE : openX;
        Prune(others, current->start);
        Prune(takeX ? openX : openE, current->start);
        for (const Interval* o : others)
            pairs += Overlap(*o, *current) ? 1 : 0;
        (takeX ? openX : openE).push_back(current);
    }
    return pairs;
}

struct Relation {
    qint32 pairs = 0;      // the entry's counter
    qint32 count = 0;      // overlap: pairs; proximity: distinct codings in a pair
    qint32 documents = 0;  // documents with a pair
};

/// The relation of the intervals of x to those of e.
Relation Relate(const std::vector<Interval>& x, const std::vector<Interval>& e, bool proximity, qint32 distance)
{
    Relation relation;
    std::unordered_set<qint32> documents;
    std::unordered_set<SegmentKey, SegmentKeyHash> rows;
    size_t i = 0, j = 0;
    while (i < x.size() && j < e.size()) {
        const quint64 px = Place(x[i]), pe = Place(e[j]);
        if (px != pe) {
            (px < pe ? i : j) += 1;
            continue;
        }
        size_t iEnd = i, jEnd = j;
        while (iEnd < x.size() && Place(x[iEnd]) == px)
            ++iEnd;
        while (jEnd < e.size() && Place(e[jEnd]) == pe)
            ++jEnd;
        if (!proximity) {
            const qint32 pairs = CountCrossOverlaps(&x[i], x.data() + iEnd, &e[j], e.data() + jEnd);
            relation.pairs += pairs;
            if (pairs > 0)
                documents.insert(x[i].document);
        } else {
            for (size_t a = i; a < iEnd; ++a) {
                for (size_t b = j; b < jEnd; ++b) {
                    if (Distance(x[a], e[b]) > distance)
                        continue;
                    ++relation.pairs;
                    for (const Interval* in : {&x[a], &e[b]})
                        rows.insert({in->document, in->page, in->code, in->start, in->end});
                    documents.insert(x[a].document);
                }
            }
        }
        i = iEnd;
        j = jEnd;
    }
    relation.count = proximity ? qint32(rows.size()) : relation.pairs;
    relation.documents = qint32(documents.size());
    return relation;
}

/// The intervals of each code's codings that pass the document's weight
/// filter (and, when asked, lie in activated documents), read once.
class CodeIntervals {
public:
    CodeIntervals(CKorDoc& doc, bool activatedOnly)
        : m_project(doc.GetDatabase()), m_settings(doc.GetRetrievalSettings()), m_activatedOnly(activatedOnly)
    {
    }

    const std::vector<Interval>& Of(qint32 code)
    {
        const auto found = m_cache.find(code);
        if (found != m_cache.end())
            return found->second;
        std::vector<Interval>& intervals = m_cache[code];
        AppendCodings(code, intervals);
        std::sort(intervals.begin(), intervals.end(), PlaceAndStartLess);
        return intervals;
    }

    void AppendCodings(qint32 code, std::vector<Interval>& intervals)
    {
        CodingValues v;
        for (const auto& keyAndRow : m_project.CodingRowsOfCode(code)) {
            m_project.ReadCodingRow(keyAndRow.second, v);
            if (m_settings.weightFilter && (v.weight < m_settings.weightMinimum || v.weight > m_settings.weightMaximum))
                continue;
            if (m_activatedOnly && !Activated(v.document))
                continue;
            intervals.push_back({v.document, v.page, v.start, v.end, v.firstParagraph, v.lastParagraph, code});
        }
    }

private:
    bool Activated(qint32 document)
    {
        auto found = m_activated.find(document);
        if (found == m_activated.end())
            found = m_activated.emplace(document, m_project.IsDocumentActivated(document, nullptr)).first;
        return found->second;
    }

    ProjectRows m_project;
    const OptionsRecord& m_settings;
    bool m_activatedOnly;
    std::unordered_map<qint32, std::vector<Interval>> m_cache;
    std::unordered_map<qint32, bool> m_activated;
};

/// Relations of code to every entry: outputs sized and zeroed, counters
/// reset, an entry of code itself left at 0.
void RelateToEntries(CodeIntervals& intervals, qint32 code, QList<CodeRelationEntry>& entries, qint32* counts,
                     qint32* documents, bool proximity, qint32 distance)
{
    const std::vector<Interval>& x = intervals.Of(code);
    for (qsizetype k = 0; k < entries.size(); ++k) {
        if (entries[k].code == code)
            continue;
        const Relation relation = Relate(x, intervals.Of(entries[k].code), proximity, distance);
        entries[k].counter += relation.pairs;
        counts[k] = relation.count;
        documents[k] = relation.documents;
    }
}

/// Shows percent done in the wait window when it changed.
class Progress {
public:
    explicit Progress(qint64 total) : m_total(std::max<qint64>(total, 1)) {}
    void Step(qint64 done)
    {
        const int percent = int(done * 100 / m_total);
        if (percent != m_shown && GetWaitWindow()) {
            m_shown = percent;
            SetWaitText(QStringLiteral("%1 %").arg(percent));
        }
    }
    void Finish()
    {
        if (GetWaitWindow())
            SetWaitText(QStringLiteral("100 %"));
    }

private:
    qint64 m_total;
    int m_shown = -1;
};

void StableSortByCounter(QList<CodeRelationEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const CodeRelationEntry& a, const CodeRelationEntry& b) { return a.counter > b.counter; });
}

/// Whether a variable's value meets a condition; unknown comparisons never.
bool Meets(const FieldValue& value, qint32 comparison, const QString& text)
{
    const int c = value.CompareWithText(text);
    switch (comparison) {
    case 0: return c == 0;
    case 1: return c != 0;
    case 2: return c < 0;
    case 3: return c > 0;
    default: return false;
    }
}

double NumberOf(const FieldValue& value)
{
    switch (value.Type) {
    case FieldType::Integer:
    case FieldType::Boolean: return value.GetInt();
    case FieldType::Real: return value.GetReal();
    default: return value.Format().toDouble();
    }
}

/// One document variable of the rows of the documents table.
class DocumentVariable {
public:
    DocumentVariable(const TopicTable* table, qint32 fieldId)
        : m_field(table ? table->Fields().GetById(fieldId) : nullptr)
    {
    }
    /// The value of the row; false when the variable does not exist.
    bool Read(const char* row, FieldValue& value) const
    {
        if (!m_field || !row)
            return false;
        value = FieldValue(*m_field, const_cast<char*>(row) + m_field->Offset);
        return true;
    }

private:
    const FieldDescriptor* m_field;
};

/// The pairs of the codes whose codings overlap, each with its pairs of
/// codings and its documents, sorted by code pair.
CodePairCounts CountPairs(CodeIntervals& intervals, const QList<qint32>& codes)
{
    // One sweep over the codings of all the codes, place by place. The
    // overlapping pairs of a document are noted as packed code pairs, then
    // sorted and counted, so that each pair counts the document once;
    // memory grows with the pairs that occur, never with codes x codes.
    std::vector<Interval> all;
    std::unordered_set<qint32> taken;
    for (const qint32 code : codes) {
        if (taken.insert(code).second)
            intervals.AppendCodings(code, all);
    }
    std::sort(all.begin(), all.end(), PlaceAndStartLess);

    CodePairCounts byDocument;  // one entry per document and pair
    std::vector<quint64> found;  // the current document's pairs, lower code in the high half
    const auto endDocument = [&] {
        std::sort(found.begin(), found.end());
        for (size_t i = 0; i < found.size();) {
            size_t j = i + 1;
            while (j < found.size() && found[j] == found[i])
                ++j;
            byDocument.push_back({qint32(found[i] >> 32), qint32(found[i] & 0xFFFFFFFFu), qint32(j - i), 1});
            i = j;
        }
        found.clear();
    };
    Progress progress(qint64(all.size()));
    for (size_t first = 0; first < all.size();) {
        progress.Step(qint64(first));
        if (first > 0 && all[first].document != all[first - 1].document)
            endDocument();
        size_t last = first + 1;
        while (last < all.size() && Place(all[last]) == Place(all[first]))
            ++last;
        SweepPlace(all.data() + first, all.data() + last, [&](const Interval& a, const Interval& b) {
            if (a.code == b.code)
                return;
            const quint32 x = quint32(a.code);
            const quint32 y = quint32(b.code);
            found.push_back(x < y ? quint64(x) << 32 | y : quint64(y) << 32 | x);
        });
        first = last;
    }
    endDocument();
    progress.Finish();

    const auto pairLess = [](const CodePairCount& a, const CodePairCount& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    };
    std::sort(byDocument.begin(), byDocument.end(), pairLess);
    CodePairCounts pairs;
    for (const CodePairCount& entry : byDocument) {
        if (!pairs.empty() && pairs.back().first == entry.first && pairs.back().second == entry.second) {
            pairs.back().pairs += entry.pairs;
            pairs.back().documents += entry.documents;
        } else {
            pairs.push_back(entry);
        }
    }
    pairs.shrink_to_fit();
    return pairs;
}

}  // namespace

void RetrievalEngine::ComputeCodeRelations(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries,
                                           QList<qint32>& counts, QList<qint32>& documents, bool activatedOnly,
                                           bool proximity, qint32 distance)
{
    counts = QList<qint32>(entries.size(), 0);
    documents = QList<qint32>(entries.size(), 0);
    for (CodeRelationEntry& entry : entries)
        entry.counter = 0;
    CodeIntervals intervals(doc, activatedOnly);
    RelateToEntries(intervals, code, entries, counts.data(), documents.data(), proximity, distance);
}

QList<CoOccurrence> RetrievalEngine::CountCodingsForChart(CKorDoc& doc, qint32 code,
                                                          QList<CodeRelationEntry>& entries)
{
    QList<qint32> counts, documents;
    ComputeCodeRelations(doc, code, entries, counts, documents, false, false, 0);
    StableSortByCounter(entries);
    QList<CoOccurrence> list;
    for (const CodeRelationEntry& entry : std::as_const(entries)) {
        if (entry.counter < 1 || list.size() == 10)
            break;
        list.append({entry.code, entry.counter});
    }
    return list;
}

void RetrievalEngine::CountCodingsForNode(CKorDoc& doc, qint32 code, QList<CodeRelationEntry>& entries,
                                          QList<qint32>& ids)
{
    QList<qint32> counts, documents;
    ComputeCodeRelations(doc, code, entries, counts, documents, false, false, 0);
    StableSortByCounter(entries);
    for (const CodeRelationEntry& entry : std::as_const(entries)) {
        if (entry.counter == 0)
            break;
        ids.append(entry.code);
    }
}

void RetrievalEngine::ComputeCodeRelationsMatrix(CKorDoc& doc, QList<CodeRelationEntry>& columns,
                                                 QList<CodeRelationEntry>& rows, QList<qint32>& counts,
                                                 QList<qint32>& documents, bool activatedOnly, bool proximity,
                                                 qint32 distance)
{
    const qsizetype columnCount = columns.size();
    counts = QList<qint32>(rows.size() * columnCount, 0);
    documents = QList<qint32>(rows.size() * columnCount, 0);
    for (CodeRelationEntry& column : columns)
        column.counter = 0;
    if (counts.isEmpty())
        return;
    CodeIntervals intervals(doc, activatedOnly);
    Progress progress(rows.size());

    if (proximity) {
        for (qsizetype r = 0; r < rows.size(); ++r) {
            progress.Step(r);
            RelateToEntries(intervals, rows[r].code, columns, counts.data() + r * columnCount,
                            documents.data() + r * columnCount, true, distance);
        }
        progress.Finish();
        return;
    }

    // Overlap: the pairs of codes that occur, counted sparsely, spread over
    // the cells of both orders.
    std::unordered_map<qint32, std::vector<qint32>> rowsOfCode, columnsOfCode;
    QList<qint32> codes;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        std::vector<qint32>& of = rowsOfCode[rows[r].code];
        if (of.empty())
            codes.append(rows[r].code);
        of.push_back(qint32(r));
    }
    for (qsizetype c = 0; c < columnCount; ++c) {
        std::vector<qint32>& of = columnsOfCode[columns[c].code];
        if (of.empty() && !rowsOfCode.count(columns[c].code))
            codes.append(columns[c].code);
        of.push_back(qint32(c));
    }
    const CodePairCounts pairs = CountPairs(intervals, codes);
    qint32* cellCounts = counts.data();
    qint32* cellDocuments = documents.data();
    const auto spread = [&](qint32 rowCode, qint32 columnCode, const CodePairCount& pair) {
        const auto r = rowsOfCode.find(rowCode);
        const auto c = columnsOfCode.find(columnCode);
        if (r == rowsOfCode.end() || c == columnsOfCode.end())
            return;
        for (const qint32 row : r->second) {
            for (const qint32 column : c->second) {
                const qsizetype cell = row * columnCount + column;
                cellCounts[cell] += pair.pairs;
                cellDocuments[cell] += pair.documents;
                columns[column].counter += pair.pairs;
            }
        }
    };
    for (const CodePairCount& pair : pairs) {
        spread(pair.first, pair.second, pair);
        spread(pair.second, pair.first, pair);
    }
}

CodePairCounts RetrievalEngine::CountOverlappingCodePairs(CKorDoc& doc, const QList<qint32>& codes,
                                                          bool activatedOnly)
{
    CodeIntervals intervals(doc, activatedOnly);
    return CountPairs(intervals, codes);
}

const CodePairCount* RetrievalEngine::FindCodePair(const CodePairCounts& pairs, qint32 a, qint32 b)
{
    const CodePairCount key{std::min(a, b), std::max(a, b), 0, 0};
    const auto found = std::lower_bound(pairs.begin(), pairs.end(), key, [](const CodePairCount& x, const CodePairCount& y) {
        return x.first != y.first ? x.first < y.first : x.second < y.second;
    });
    return found != pairs.end() && found->first == key.first && found->second == key.second ? &*found : nullptr;
}

void RetrievalEngine::FormatTypologyCells(CKorDoc& doc, QList<TypologyColumn>& columns, QList<TypologyRow>& rows,
                                          QStringList& cells, bool skipMissing)
{
    const qsizetype columnCount = columns.size();
    cells = QStringList(columnCount * rows.size(), QStringLiteral("0"));
    const TopicTable* table = doc.GetDatabase().GetTable(TopicId::Documents);
    if (!table)
        return;
    QList<qint32> keys;
    table->GetAllKeys(keys);

    std::vector<DocumentVariable> variables;
    for (const TypologyRow& row : std::as_const(rows))
        variables.emplace_back(table, row.fieldId);
    // A numeric value that counts: present, and not the missing marker when
    // missing values are skipped.
    const auto numericValue = [&](qsizetype r, const char* data, double& number) {
        FieldValue value;
        if (!variables[size_t(r)].Read(data, value))
            return false;
        const QString text = value.Format();
        if (text.isEmpty() || (skipMissing && !rows[r].missingValue.isEmpty() && text == rows[r].missingValue))
            return false;
        number = NumberOf(value);
        return true;
    };

    std::vector<const char*> matching;
    for (qsizetype c = 0; c < columnCount; ++c) {
        TypologyColumn& column = columns[c];
        column.documents = 0;
        const DocumentVariable condition(table, column.fieldId);
        matching.clear();
        for (const qint32 key : std::as_const(keys)) {
            const char* data = table->RowOfKey(key);
            FieldValue value;
            if (condition.Read(data, value) && Meets(value, column.comparison, column.value))
                matching.push_back(data);
        }
        column.documents = qint32(matching.size());

        for (qsizetype r = 0; r < rows.size(); ++r) {
            TypologyRow& row = rows[r];
            row.count = 0;
            row.sum = row.mean = row.deviation = 0;
            for (const char* data : matching) {
                if (row.numeric) {
                    double number = 0;
                    if (numericValue(r, data, number)) {
                        row.sum += number;
                        ++row.count;
                    }
                    continue;
                }
                FieldValue value;
                if (!variables[size_t(r)].Read(data, value))
                    continue;
                const QString text = value.Format();
                if (text.isEmpty())
                    continue;
                ++row.count;
                if (text == row.category)
                    row.sum += 1;
            }
            QString& cell = cells[c + r * columnCount];
            if (!row.numeric) {
                if (row.count > 0 && row.sum > 0)
                    cell = QString::asprintf("%d (%.1f)", qint32(row.sum), row.sum / row.count * 100.0);
                continue;
            }
            if (row.count == 0)
                continue;
            row.mean = row.sum / row.count;
            double squares = 0;
            for (const char* data : matching) {
                double number = 0;
                if (numericValue(r, data, number))
                    squares += (number - row.mean) * (number - row.mean);
            }
            row.deviation = std::sqrt(squares / row.count);
            cell = QString::asprintf("%.1f (%.1f)", row.mean, row.deviation);
        }
    }
}

bool RetrievalEngine::CollectCodedStretches(CKorDoc& doc, qint32 document, qint32 length, bool noFiller,
                                            bool activatedCodesOnly, SegmentRecordArray& items,
                                            const QStringList& pageTexts, qint32 columnCount)
{
    QList<qint32> codings;
    if (!doc.GetDatabase().FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings))
        return false;
    std::sort(codings.begin(), codings.end());
    if (!noFiller)
        items.Add({0, 0, length - 1, 0, kNoColor});
    // Offsets of the pages (or table cells) in the joined text.
    std::vector<qint32> before(size_t(pageTexts.size()) + 1, 0);
    for (qsizetype p = 0; p < pageTexts.size(); ++p)
        before[size_t(p) + 1] = before[size_t(p)] + qint32(pageTexts[p].size());

    const ProjectRows project(doc.GetDatabase());
    CodingValues v;
    for (const qint32 coding : std::as_const(codings)) {
        if (!project.ReadCoding(coding, v) || !v.isText)
            continue;
        if (activatedCodesOnly && !project.IsCodeActivated(v.code))
            continue;
        qint32 offset = 0;
        if (!pageTexts.isEmpty()) {
            const qint64 part = columnCount > 0 ? qint64(columnCount) * v.areaLeft + v.page - 1 : v.page - 1;
            if (part < 0 || part >= pageTexts.size())
                continue;  // a page or cell the texts do not hold
            offset = before[size_t(part)];
        }
        items.Add({coding, v.start + offset, v.end + offset, v.weight, project.CodeColor(v.code)});
    }
    return true;
}

}  // namespace retrieval
