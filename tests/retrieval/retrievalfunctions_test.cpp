// The ten retrieval functions over the hand-made project of
// retrievalfixture.h: every expected result below is worked out by hand
// from the codings listed there.

#include "retrievalfixture.h"

#include "foundation/optionsrecord.h"
#include "foundation/richtexthelpers.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/topicdatabase.h"

#include <functional>

namespace retrievaltest {
namespace {

struct FunctionCase {
    const char* name;
    std::function<void(OptionsRecord&, const RetrievalTest&)> set;
    const char* expected;
};

void Codes(OptionsRecord& s, std::initializer_list<qint32> codes)
{
    s.codeIds.assign(codes.begin(), codes.end());
}

class FunctionTable : public RetrievalTest {
public:
    QString Run(const FunctionCase& c)
    {
        OptionsRecord settings;
        c.set(settings, *this);
        return Describe(retrieval::RetrievalEngine::Retrieve(doc.GetDatabase(), settings));
    }
};

TEST_F(FunctionTable, EachFunctionAndVariantGivesTheRowsWorkedOutByHand)
{
    using T = const RetrievalTest&;
    const std::vector<FunctionCase> cases = {
        // 0: the activated codes; A1 is not activated, D4 not, the area coding is kept.
        {"plain by document", [](OptionsRecord& s, T) { s.sortOrder = 1; },
         "a1 a2 b1 b2 b3 c1 c2 a3 b4 c3 a4 x1 b6 b5"},
        {"plain by document with subcodes", [](OptionsRecord& s, T) { s.l4 = true; },
         "a1 a2 s1 b1 b2 b3 c1 c2 a3 b4 c3 a4 x1 b6 b5"},
        {"plain by code", [](OptionsRecord& s, T) { s.sortOrder = 2; },
         "a1 a2 a3 a4 x1 b1 b2 b3 b4 b6 b5 c1 c2 c3"},
        {"plain by weight, ties by document, page and start", [](OptionsRecord& s, T) { s.sortOrder = 3; },
         "b2 a1 b1 c1 c2 a3 b4 c3 a4 b6 x1 b5 b3 a2"},
        {"plain unsorted keeps the collected order", [](OptionsRecord& s, T) { s.sortOrder = 7; },
         "a1 a2 a3 a4 x1 b1 b2 b3 b4 b6 b5 c1 c2 c3"},
        {"plain within the weight limits",
         [](OptionsRecord& s, T) {
             s.weightFilter = true;
             s.weightMinimum = 20;
             s.weightMaximum = 90;
         },
         "a1 b1 b2 b3 c1 c2 a3 b4 c3 a4 x1 b6 b5"},
        {"plain with an upper weight limit",
         [](OptionsRecord& s, T) {
             s.weightFilter = true;
             s.weightMinimum = 0;
             s.weightMaximum = 49;
         },
         "a2 b3"},
        {"plain with the document code", [](OptionsRecord& s, T t) { s.documentCode = t.codeC; },
         "a1 a2 b1 b2 b3 c1 c2 a3 b4 c3"},
        // 1: one A segment overlapping two B segments gives two rows; PDF pages apart do not meet.
        {"intersection of A and B",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 1;
             Codes(s, {t.codeA, t.codeB});
         },
         "D1:A:10-20 D1:A:15-20 D3p1:A:12-17"},
        {"intersection of A, B and C, repeats removed",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 1;
             Codes(s, {t.codeA, t.codeB, t.codeC});
         },
         "D1:A:18-20"},
        {"intersection counts a code listed twice once",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 1;
             Codes(s, {t.codeA, t.codeB, t.codeA});
         },
         "D1:A:10-20 D1:A:15-20 D3p1:A:12-17"},
        {"intersection of a parent and its listed child with subcodes",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 1;
             s.l4 = true;
             Codes(s, {t.codeA, t.codeA1, t.codeB});
         },
         "D1:A:10-20 D1:A:15-20 D3p1:A:12-17"},
        {"intersection of one code", [](OptionsRecord& s, T t) {
             s.retrievalFunction = 1;
             Codes(s, {t.codeA});
         },
         ""},
        // 2: the union of each pair, without a code.
        {"outer range of A and B",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 2;
             Codes(s, {t.codeA, t.codeB});
         },
         "D1:0:0-30 D1:0:0-25 D3p1:0:0-20"},
        // 3: touching segments stay.
        {"no overlap of A, B and C",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 3;
             Codes(s, {t.codeA, t.codeB, t.codeC});
         },
         "a2 b3 c2 a3 b4 c3 b5"},
        // 4: every pair of two codes; b1-c1 and b2-c1 give one row.
        {"at least two of A, B and C",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 4;
             s.minCount = 2;
             Codes(s, {t.codeA, t.codeB, t.codeC});
         },
         "D1:0:10-20 D1:0:15-20 D1:0:18-20 D1:0:18-22 D3p1:0:12-17"},
        {"at least three of A, B and C",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 4;
             s.minCount = 3;
             Codes(s, {t.codeA, t.codeB, t.codeC});
         },
         "D1:0:18-20"},
        // 5: A segments touching a B or C segment are retrieved.
        {"only A among B and C",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 5;
             s.codeA = t.codeA;
             Codes(s, {t.codeB, t.codeC});
         },
         "a2 a3"},
        {"only A with subcodes",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 5;
             s.codeA = t.codeA;
             s.l4 = true;
             Codes(s, {t.codeB, t.codeC});
         },
         "a2 s1 a3"},
        {"only a code that does not exist",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 5;
             s.codeA = 999;
             Codes(s, {t.codeB});
         },
         ""},
        // 6: equal code orders put the larger code id first (A1 before A).
        {"enclosed in A, P",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 6;
             s.enclosingCode = t.codeA;
             s.enclosingVariant = 0;
             Codes(s, {t.codeB, t.codeC, t.codeA1});
         },
         "a2 a4"},
        {"enclosed in A, R",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 6;
             s.enclosingCode = t.codeA;
             s.enclosingVariant = 1;
             Codes(s, {t.codeB, t.codeC, t.codeA1});
         },
         "s1 b6"},
        {"enclosed in A, P then R",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 6;
             s.enclosingCode = t.codeA;
             s.enclosingVariant = 2;
             Codes(s, {t.codeB, t.codeC, t.codeA1});
         },
         "s1 a2 a4 b6"},
        // A listed child of the function code belongs to the function code
        // only: it never encloses itself.
        {"enclosed in A with subcodes",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 6;
             s.enclosingCode = t.codeA;
             s.enclosingVariant = 2;
             s.l4 = true;
             Codes(s, {t.codeB, t.codeC, t.codeA1});
         },
         "a4 b6"},
        // 7: the excluded code's rows never appear.
        {"A and C not overlapping B",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 7;
             s.excludedCode = t.codeB;
             Codes(s, {t.codeA, t.codeC});
         },
         "a2 c2 a3 c3"},
        {"not overlapping no code",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 7;
             s.excludedCode = 0;
             Codes(s, {t.codeC});
         },
         "c1 c2 c3"},
        // 8: C starting in the paragraph where R ends matches at distance 0.
        {"followed by C at distance 0",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 8;
             s.followingCode = t.codeC;
             s.followingDistance = 0;
             s.followingVariant = 1;
             Codes(s, {t.codeA, t.codeB});
         },
         "a1 b1 b2"},
        {"followed by C at distance 1",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 8;
             s.followingCode = t.codeC;
             s.followingDistance = 1;
             s.followingVariant = 1;
             Codes(s, {t.codeA, t.codeB});
         },
         "a1 a2 b1 b2"},
        // 9: overlapping and touching segments are at distance 0.
        {"near C at distance 0",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 9;
             s.nearCode = t.codeC;
             s.nearDistance = 0;
             s.nearVariant = 0;
             Codes(s, {t.codeA, t.codeB});
         },
         "c1 c2"},
        {"near C at distance 2",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 9;
             s.nearCode = t.codeC;
             s.nearDistance = 2;
             s.nearVariant = 0;
             Codes(s, {t.codeA, t.codeB});
         },
         "c1 c2"},
        {"near C at distance 3",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 9;
             s.nearCode = t.codeC;
             s.nearDistance = 3;
             s.nearVariant = 0;
             Codes(s, {t.codeA, t.codeB});
         },
         "c1 c2 c3"},
        {"near C at distance 3, P then R by code",
         [](OptionsRecord& s, T t) {
             s.retrievalFunction = 9;
             s.nearCode = t.codeC;
             s.nearDistance = 3;
             s.nearVariant = 2;
             s.sortOrder = 2;
             Codes(s, {t.codeA, t.codeB});
         },
         "a1 a2 b1 b2 b4 c1 c2 c3"},
    };
    for (const FunctionCase& c : cases)
        EXPECT_EQ(Run(c), QString::fromLatin1(c.expected)) << c.name;
}

TEST_F(FunctionTable, NoActivatedDocumentRetrievesNothing)
{
    for (const qint32 document : {d1, d2, d3}) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, document, row, false));
        ASSERT_TRUE(row.SetFieldText(DocumentField::State, QStringLiteral("0")));
    }
    for (qint32 function = 0; function <= 9; ++function) {
        OptionsRecord settings;
        settings.retrievalFunction = function;
        settings.codeA = settings.enclosingCode = settings.excludedCode = codeA;
        settings.followingCode = settings.nearCode = codeA;
        Codes(settings, {codeB, codeC});
        EXPECT_EQ(doc.RunRetrieval(settings, 0), 0) << function;
    }
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 3);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codings), 0);
}

TEST_F(FunctionTable, EqualRowsComeOutInOneOrderWhateverTheirInputOrder)
{
    // Rows equal in every sort key but the coding: the coding id decides.
    CSegmentArray rows;
    for (const qint32 coding : {7, 3, 9, 1}) {
        CSegmentRow row;
        row.coding = coding;
        row.document = 5;
        row.code = 2;
        row.weight = 10;
        rows.Add(row);
    }
    for (const qint32 key : {1, 2, 3}) {
        CSegmentArray sorted = rows;
        doc.SortRetrievedSegments(nullptr, sorted, key);
        QList<qint32> order;
        for (const CSegmentRow& row : sorted)
            order << row.coding;
        EXPECT_EQ(order, QList<qint32>({1, 3, 7, 9})) << key;
    }
    CSegmentArray unchanged = rows;
    doc.SortRetrievedSegments(nullptr, unchanged, 0);  // key of no settings
    EXPECT_EQ(unchanged[0].coding, 7);
}

TEST_F(FunctionTable, DuplicatesOnPdfPagesAreRemovedWhereverTheyLie)
{
    // Rows of one document ordered by code before page: the repeat of the
    // first row lies behind a row of another page.
    const auto row = [](qint32 coding, qint32 code, qint32 page) {
        CSegmentRow r;
        r.coding = coding;
        r.document = 1;
        r.code = code;
        r.page = page;
        r.start = 5;
        r.end = 9;
        return r;
    };
    CSegmentArray rows;
    for (const CSegmentRow& r : {row(1, 4, 1), row(2, 4, 2), row(3, 4, 1), row(4, 6, 1)})
        rows.Add(r);
    doc.RemoveDuplicateRows(rows);
    QList<qint32> kept;
    for (const CSegmentRow& r : rows)
        kept << r.coding;
    EXPECT_EQ(kept, QList<qint32>({1, 2, 4}));
}

/// The plain text of RTF as the control reads it.
QString PlainText(const QByteArray& rtf)
{
    CRichEditCtrlEx edit;
    edit.StreamInRtf(&rtf, false);
    return edit.GetTextRange(0, edit.GetTextLength());
}

TEST_F(FunctionTable, ResultSegmentsLiveInMemoryWithTheirText)
{
    OptionsRecord settings;
    settings.retrievalFunction = 1;
    Codes(settings, {codeA, codeB});
    const qint32 codingsBefore = db().GetRowCount(TopicId::Codings);
    ASSERT_EQ(doc.RunRetrieval(settings, 0), 3);

    // Announced as result segments after the removal of the old result.
    const std::vector<std::string> calls = log.Take();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front(), "pane.OnObjectDeleted(10,0)");
    QList<qint32> ids;
    db().GetAllKeys(TopicId::RetrievedSegments, ids);
    ASSERT_EQ(ids.size(), 3);
    const QList<quint32> announced(ids.begin(), ids.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        testutil::FormatCall("pane", "OnObjectsAdded",
                                             {TopicId::RetrievedSegments, TopicId::Codings, -1}, &announced)),
              calls.end());

    // Nothing reached the codings in memory (nor, below, in the file).
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), codingsBefore);

    // Rich text sliced by positions, with the segment's code and paragraphs.
    const auto value = [&](qint32 id, qint32 field) { return db().GetIntValue(TopicId::RetrievedSegments, id, field); };
    QByteArray text;
    ASSERT_TRUE(doc.ReadSegmentText(ids[1], text));
    EXPECT_EQ(PlainText(text).left(4), QStringLiteral("bcde"));
    EXPECT_EQ(value(ids[1], CodingField::Code), codeA);
    EXPECT_EQ(value(ids[1], CodingField::StartPara), 2);
    EXPECT_EQ(value(ids[1], CodingField::FinishPara), 2);
    // PDF text by the page's character indexes, after a line end.
    ASSERT_TRUE(doc.ReadSegmentText(ids[2], text));
    EXPECT_EQ(PlainText(text), QStringLiteral("Gamma"));
    EXPECT_EQ(value(ids[2], retrieval::CodingExtraField::Page), 1);

    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 3);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codings), 3);

    // The next run replaces them.
    settings.retrievalFunction = 0;
    EXPECT_EQ(doc.RunRetrieval(settings, 0), 14);
    EXPECT_EQ(db().GetRowCount(TopicId::RetrievedSegments), 0);
    EXPECT_FALSE(doc.ReadSegmentText(ids[2], text));

    settings.retrievalFunction = 2;
    ASSERT_EQ(doc.RunRetrieval(settings, 0), 3);
    frame.ExitCommand();
    EXPECT_EQ(doctest::QueryRows(path, QStringLiteral("SELECT COUNT(*) FROM Codings")),
              QStringList({QString::number(codingsBefore)}));
}

TEST_F(FunctionTable, CountingRunChangesNothing)
{
    OptionsRecord settings;
    settings.retrievalFunction = 5;
    settings.codeA = codeA;
    Codes(settings, {codeB, codeC});
    ASSERT_EQ(doc.RunRetrieval(settings, 0), 2);
    log.Take();
    QList<qint32> segments;
    db().GetAllKeys(TopicId::RetrievedSegments, segments);
    QByteArray text;
    ASSERT_TRUE(doc.ReadSegmentText(segments[0], text));

    OptionsRecord other;
    other.retrievalFunction = 1;
    Codes(other, {codeA, codeB});
    EXPECT_EQ(doc.RunRetrieval(other, 1), 3);
    other.retrievalFunction = 0;
    EXPECT_EQ(doc.RunRetrieval(other, 1), 14);

    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codings), 2);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 3);
    QList<qint32> after;
    db().GetAllKeys(TopicId::RetrievedSegments, after);
    EXPECT_EQ(after, segments);
    QByteArray again;
    ASSERT_TRUE(doc.ReadSegmentText(segments[0], again));
    EXPECT_EQ(again, text);
}

TEST_F(FunctionTable, PlainRunAnnouncesTheCodingsInResultOrder)
{
    OptionsRecord settings;
    settings.sortOrder = 3;
    settings.weightFilter = true;
    settings.weightMinimum = 0;
    settings.weightMaximum = 49;
    ASSERT_EQ(doc.RunRetrieval(settings, 0), 2);
    // By weight: b3 (30) before a2 (10).
    const QList<quint32> ids = {quint32(labels.key(QStringLiteral("b3"))), quint32(labels.key(QStringLiteral("a2")))};
    EXPECT_EQ(log.Take(), std::vector<std::string>({
                              "pane.OnObjectDeleted(10,0)",
                              "owner.OnObjectDeleted(10,0)",
                              testutil::FormatCall("pane", "OnObjectsAdded", {TopicId::Codings, TopicId::Codings, -1}, &ids),
                          }));
}

}  // namespace
}  // namespace retrievaltest
