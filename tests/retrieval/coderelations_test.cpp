// Code relations, the typology table and coded stretches over the
// hand-made project of retrievalfixture.h.

#include "retrievalfixture.h"

#include "common/recordingwaithost.h"
#include "foundation/waitwindow.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "retrieval/segmentrows.h"

#include <map>
#include <random>
#include <set>
#include "store/topicdatabase.h"

namespace retrievaltest {
namespace {

class CodeRelations : public RetrievalTest {
public:
    QList<CodeRelationEntry> Entries(std::initializer_list<qint32> codes)
    {
        QList<CodeRelationEntry> entries;
        for (const qint32 code : codes)
            entries.append({code, 0});
        return entries;
    }
    static QList<qint32> Counters(const QList<CodeRelationEntry>& entries)
    {
        QList<qint32> counters;
        for (const CodeRelationEntry& entry : entries)
            counters << entry.counter;
        return counters;
    }
};

TEST_F(CodeRelations, OverlapAndProximityCountPairsCodingsAndDocuments)
{
    struct Case {
        const char* name;
        bool activatedOnly;
        bool proximity;
        qint32 distance;
        QList<qint32> counters, counts, documents;  // for entries A, B, C
    };
    // A against B: a1-b1, a1-b2 (D1), a4-b6 (D3 page 1), a5-b7 (D4); a3-b4
    // only touch; b5 lies on another page. A against C: a1-c1.
    const std::vector<Case> cases = {
        {"overlap", false, false, 0, {0, 4, 1}, {0, 4, 1}, {0, 3, 1}},
        {"overlap in activated documents", true, false, 0, {0, 3, 1}, {0, 3, 1}, {0, 2, 1}},
        // Touching counts at distance 0; a1 in two pairs is one coding.
        {"proximity 0", false, true, 0, {0, 5, 2}, {0, 9, 4}, {0, 4, 1}},
        // a2 (paragraph 6) lies 3 paragraphs from b1, b2 (2-3) and from c1.
        {"proximity 3", false, true, 3, {0, 7, 3}, {0, 10, 4}, {0, 4, 1}},
    };
    for (const Case& c : cases) {
        QList<CodeRelationEntry> entries = Entries({codeA, codeB, codeC});
        QList<qint32> counts, documents;
        // Twice: counters start from 0 at every computation.
        for (int round = 0; round < 2; ++round)
            doc.ComputeCodeRelations(codeA, entries, counts, documents, c.activatedOnly, c.proximity, c.distance);
        EXPECT_EQ(Counters(entries), c.counters) << c.name;
        EXPECT_EQ(counts, c.counts) << c.name;
        EXPECT_EQ(documents, c.documents) << c.name;
    }
}

TEST_F(CodeRelations, ChartAndNodeListsTakeTheCodesByCountDescending)
{
    QList<CodeRelationEntry> entries = Entries({codeC, codeA, codeA1, codeB});
    doc.CountCodingsForChart(codeA, entries);
    // s1 of A1 lies in a2 of A; C and A1 tie and keep their order.
    ASSERT_EQ(doc.GetCoOccurrences().size(), 3);
    EXPECT_EQ(doc.GetCoOccurrences()[0].code, codeB);
    EXPECT_EQ(doc.GetCoOccurrences()[0].count, 4);
    EXPECT_EQ(doc.GetCoOccurrences()[1].code, codeC);
    EXPECT_EQ(doc.GetCoOccurrences()[1].count, 1);
    EXPECT_EQ(doc.GetCoOccurrences()[2].code, codeA1);
    EXPECT_EQ(entries[3].code, codeA);

    QList<CodeRelationEntry> again = Entries({codeC, codeA, codeB});
    QList<qint32> ids = {77};
    doc.CountCodingsForNode(codeA, again, ids);
    EXPECT_EQ(ids, QList<qint32>({77, codeB, codeC}));
}

TEST_F(CodeRelations, MatrixCellsAreTheRelationsOfEachRowCode)
{
    testutil::RecordingWaitHost host;
    SetWaitWindowHost(&host);
    ShowWaitWindow();
    for (const bool proximity : {false, true}) {
        QList<CodeRelationEntry> columns = Entries({codeA, codeB, codeC, codeA1});
        QList<CodeRelationEntry> rows = Entries({codeA, codeB, codeC});
        QList<qint32> counts, documents;
        doc.ComputeCodeRelationsMatrix(columns, rows, counts, documents, false, proximity, 1);
        ASSERT_EQ(counts.size(), 12);
        QList<qint32> columnCounters(4, 0);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QList<CodeRelationEntry> entries = Entries({codeA, codeB, codeC, codeA1});
            QList<qint32> rowCounts, rowDocuments;
            doc.ComputeCodeRelations(rows[r].code, entries, rowCounts, rowDocuments, false, proximity, 1);
            EXPECT_EQ(counts.mid(r * 4, 4), rowCounts) << proximity << r;
            EXPECT_EQ(documents.mid(r * 4, 4), rowDocuments) << proximity << r;
            for (int c = 0; c < 4; ++c)
                columnCounters[c] += entries[c].counter;
        }
        EXPECT_EQ(Counters(columns), columnCounters) << proximity;
    }
    // B against C in overlap mode: b1-c1 and b2-c1 in D1.
    QList<CodeRelationEntry> columns = Entries({codeC});
    QList<CodeRelationEntry> rows = Entries({codeB});
    QList<qint32> counts, documents;
    doc.ComputeCodeRelationsMatrix(columns, rows, counts, documents, false, false, 0);
    EXPECT_EQ(counts, QList<qint32>({2}));
    EXPECT_EQ(documents, QList<qint32>({1}));
    ASSERT_FALSE(host.texts.isEmpty());
    EXPECT_EQ(host.texts.last(), QStringLiteral("100 %"));
    CloseWaitWindow();
    SetWaitWindowHost(nullptr);
}

TEST_F(CodeRelations, SparsePairsGiveTheCountsOfTheDenseMatrixOnRandomProjects)
{
    struct Case {
        const char* name;
        unsigned seed;
        int documents, codes, codingsPerDocument, pages;
        qint32 textLength, longest;  // positions; longest 0 makes empty codings
        bool activatedOnly;
    };
    const std::vector<Case> cases = {
        {"a few codings far apart", 1, 3, 4, 3, 1, 1000, 20, false},
        {"crowded text", 2, 4, 6, 40, 1, 200, 60, false},
        {"pages of PDF documents", 3, 5, 5, 30, 4, 300, 50, false},
        {"empty codings touch nothing but equal starts", 4, 3, 4, 40, 1, 30, 0, false},
        {"one code has no pairs", 5, 3, 1, 20, 1, 100, 50, false},
        {"only activated documents", 6, 6, 5, 25, 2, 200, 40, true},
        {"many codes, few codings each", 7, 8, 30, 15, 1, 400, 80, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(c.seed);
        const auto below = [&](qint32 n) { return n > 0 ? qint32(random() % quint32(n)) : 0; };
        QList<qint32> codes;
        for (int k = 0; k < c.codes; ++k)
            codes.append(Code(QStringLiteral("R%1").arg(k), 0, k + 1, true, 0));
        struct Made {
            qint32 document, page, code, start, end;
            bool counted;
        };
        std::vector<Made> made;
        for (int d = 0; d < c.documents; ++d) {
            const bool activated = d % 2 == 0;
            const qint32 document = Document(QStringLiteral("R%1").arg(d), 10 + d, activated,
                                             doctest::RtfOf({QStringLiteral("x")}), DocumentKind::RichText);
            for (int i = 0; i < c.codingsPerDocument; ++i) {
                const qint32 page = 1 + below(c.pages);
                const qint32 code = codes.at(below(c.codes));
                const qint32 start = below(c.textLength);
                const qint32 end = start + below(c.longest + 1);
                Coding("r", document, code, start, end, 1, 1, 50, page);
                made.push_back({document, page, code, start, end, activated || !c.activatedOnly});
            }
        }
        // Every two codings of two codes in one place, one by one.
        std::map<std::pair<qint32, qint32>, std::pair<qint32, std::set<qint32>>> expected;
        for (size_t i = 0; i < made.size(); ++i) {
            for (size_t j = i + 1; j < made.size(); ++j) {
                const Made& a = made[i];
                const Made& b = made[j];
                if (!a.counted || !b.counted || a.code == b.code || a.document != b.document || a.page != b.page ||
                    !retrieval::RangesOverlap(a.start, a.end, b.start, b.end))
                    continue;
                auto& entry = expected[{std::min(a.code, b.code), std::max(a.code, b.code)}];
                ++entry.first;
                entry.second.insert(a.document);
            }
        }

        const retrieval::CodePairCounts pairs =
            retrieval::RetrievalEngine::CountOverlappingCodePairs(doc, codes, c.activatedOnly);
        ASSERT_EQ(pairs.size(), expected.size()) << "only the pairs that occur";
        auto want = expected.begin();
        for (const retrieval::CodePairCount& pair : pairs) {
            EXPECT_EQ(std::make_pair(pair.first, pair.second), want->first) << "sorted by code pair";
            EXPECT_EQ(pair.pairs, want->second.first);
            EXPECT_EQ(pair.documents, qint32(want->second.second.size()));
            EXPECT_EQ(retrieval::RetrievalEngine::FindCodePair(pairs, pair.second, pair.first), &pair);
            ++want;
        }
        if (codes.size() > 1 && !expected.count({codes[0], codes[1]})) {
            EXPECT_EQ(retrieval::RetrievalEngine::FindCodePair(pairs, codes[0], codes[1]), nullptr);
        }

        // The matrix of every code against every code holds the same counts
        // in both orders, with a repeated column counted in full.
        QList<CodeRelationEntry> columns;
        for (const qint32 code : std::as_const(codes))
            columns.append({code, 0});
        columns.append({codes.first(), 0});
        QList<CodeRelationEntry> rows = columns.mid(0, codes.size());
        QList<qint32> counts, documents;
        doc.ComputeCodeRelationsMatrix(columns, rows, counts, documents, c.activatedOnly, false, 0);
        const qsizetype width = columns.size();
        ASSERT_EQ(counts.size(), rows.size() * width);
        QList<qint32> columnCounters(width, 0);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            for (qsizetype k = 0; k < width; ++k) {
                const qint32 a = rows[r].code;
                const qint32 b = columns[k].code;
                const auto found = expected.find({std::min(a, b), std::max(a, b)});
                const bool occurs = a != b && found != expected.end();
                EXPECT_EQ(counts[r * width + k], occurs ? found->second.first : 0) << r << " " << k;
                EXPECT_EQ(documents[r * width + k], occurs ? qint32(found->second.second.size()) : 0) << r << " " << k;
                columnCounters[k] += counts[r * width + k];
            }
        }
        QList<qint32> counters;
        for (const CodeRelationEntry& column : std::as_const(columns))
            counters.append(column.counter);
        EXPECT_EQ(counters, columnCounters);
    }
}

class Typology : public RetrievalTest {
public:
    qint32 Variable(const QString& name, qint32 type)
    {
        FieldDescriptor field;
        field.Name = name;
        field.Type = type;
        field.State = FieldState::UserVariable;
        EXPECT_TRUE(db().AddField(TopicId::Documents, field));
        return field.ID;
    }
    void Set(qint32 document, qint32 field, const QString& value)
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, document, row, false));
        ASSERT_TRUE(row.SetFieldText(field, value));
    }
};

TEST_F(Typology, CellsHoldMeansDeviationsAndShares)
{
    const qint32 age = Variable(QStringLiteral("Age"), FieldType::Integer);
    const qint32 sex = Variable(QStringLiteral("Sex"), FieldType::ShortText);
    const qint32 score = Variable(QStringLiteral("Score"), FieldType::Real);
    const QList<std::tuple<qint32, const char*, const char*, const char*>> values = {
        {d1, "30", "f", "-2"}, {d2, "40", "m", "1"}, {d3, "50", "f", "-4"}, {d4, "0", "m", "1"}};
    for (const auto& [document, a, s, sc] : values) {
        Set(document, age, QString::fromLatin1(a));
        Set(document, sex, QString::fromLatin1(s));
        Set(document, score, QString::fromLatin1(sc));
    }
    QList<TypologyColumn> columns = {{sex, QStringLiteral("Sex"), 0, 0, QStringLiteral("f"), 9},
                                     {sex, QStringLiteral("Sex"), 0, 1, QStringLiteral("f"), 9},
                                     {sex, QStringLiteral("Sex"), 0, 4, QStringLiteral("f"), 9},
                                     {age, QStringLiteral("Age"), 0, 3, QStringLiteral("100"), 9}};
    QList<TypologyRow> rows(3);
    rows[0].fieldId = age;
    rows[0].numeric = true;
    rows[0].missingValue = QStringLiteral("0");
    rows[1].fieldId = sex;
    rows[1].category = QStringLiteral("f");
    rows[2].fieldId = score;
    rows[2].numeric = true;

    for (const bool skipMissing : {true, false}) {
        QStringList cells;
        doc.FormatTypologyCells(columns, rows, cells, skipMissing);
        const QStringList expected = {
            // Sex = f (D1, D3) | Sex <> f (D2, D4) | comparison 4 | Age > 100
            QStringLiteral("40.0 (10.0)"), skipMissing ? QStringLiteral("40.0 (0.0)") : QStringLiteral("20.0 (20.0)"),
            QStringLiteral("0"), QStringLiteral("0"),
            QStringLiteral("2 (100.0)"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
            // A negative mean is a mean too.
            QStringLiteral("-3.0 (1.0)"), QStringLiteral("1.0 (0.0)"), QStringLiteral("0"), QStringLiteral("0")};
        EXPECT_EQ(cells, expected) << skipMissing;
        EXPECT_EQ(columns[0].documents, 2);
        EXPECT_EQ(columns[1].documents, 2);
        EXPECT_EQ(columns[2].documents, 0);
        EXPECT_EQ(columns[3].documents, 0);
    }
}

TEST_F(CodeRelations, CodedStretchesOfRichTextAndPages)
{
    SegmentRecordArray items;
    ASSERT_TRUE(doc.CollectCodedStretches(d2, 60, false, false, items, {}, 0));
    ASSERT_EQ(items.GetSize(), 4);
    EXPECT_EQ(items[0].owner, 0);
    EXPECT_EQ(items[0].end, 59);
    EXPECT_EQ(items[0].colour, kNoColor);
    EXPECT_EQ(items[1].start, 0);
    EXPECT_EQ(items[1].end, 10);
    EXPECT_EQ(items[1].colour, 0x008000u);  // palette entry 0
    EXPECT_EQ(items[2].colour, 0x800000u);  // palette entry 2
    EXPECT_EQ(items[3].colour, 0x123456u);  // a stored colour

    // PDF: the area coding is left out; page 2 follows page 1's text.
    items.RemoveAll();
    ASSERT_TRUE(doc.CollectCodedStretches(d3, 0, true, false, items,
                                          {QStringLiteral("0123456789abcdefghijk"), QStringLiteral("xyz")}, 0));
    ASSERT_EQ(items.GetSize(), 3);
    EXPECT_EQ(items[2].start, 21);
    EXPECT_EQ(items[2].end, 31);

    // Only activated codes: A1 (s1) is not.
    items.RemoveAll();
    ASSERT_TRUE(doc.CollectCodedStretches(d1, 120, true, true, items, {}, 0));
    EXPECT_EQ(items.GetSize(), 7);
}

}  // namespace
}  // namespace retrievaltest
