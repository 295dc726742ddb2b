// Code relations, the typology table and coded stretches over the
// hand-made project of retrievalfixture.h.

#include "retrievalfixture.h"

#include "common/recordingwaithost.h"
#include "foundation/waitwindow.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
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
