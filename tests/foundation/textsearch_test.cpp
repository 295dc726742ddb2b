// The text search over a real project file: rich text, PDF and table
// documents and memos, with hit positions in the rich-edit text that
// codings store.

#include "common/pdfbuilder.h"
#include "common/recordingwaithost.h"
#include "common/testutil.h"
#include "store/sqlitetestengine.h"
#include "store/topicsearchsource.h"

#include "foundation/options.h"
#include "foundation/orderedwork.h"
#include "foundation/programpaths.h"
#include "foundation/searchsettings.h"
#include "foundation/searchsource.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "platform/rtf/richeditctrlex.h"

#include <QLocale>

#include <array>

#include <gtest/gtest.h>

namespace {

using storetest::TopicSpec;

// Groups, documents with their content kind, and memos.
QList<TopicSpec> SearchTopics()
{
    using namespace FieldType;
    return {
        {TopicId::DocumentGroups, "Textgroups", "Index", "$3", "$3", "$3",
         {{0, "ID", nullptr, Integer, 9}, {1, "Index", nullptr, Integer, 9}, {2, "State", nullptr, Integer, 9},
          {3, "Name", nullptr, ShortText, 1}}},
        {TopicId::Documents, "Texts", "Index", "$6", "$6", "$6",
         {{0, "ID", nullptr, Integer, 9}, {1, "Index", nullptr, Integer, 9},
          {2, "Group", "GroupID", Integer, 1, TopicId::DocumentGroups}, {3, "State", nullptr, Integer, 9},
          {5, "Text", nullptr, Blob, 9}, {6, "Name", nullptr, ShortText, 1}, {13, "DocType", nullptr, Integer, 9}}},
        {TopicId::Memos, "Memos", "ID", "", "", "$8",
         {{0, "ID", nullptr, Integer, 9}, {1, "GroupID", nullptr, Integer, 1, TopicId::DocumentGroups},
          {8, "Title", nullptr, ShortText, 1}, {11, "Text", nullptr, Blob, 9}}},
    };
}

// An interview with a hyperlink field (its hidden instruction occupies
// positions), a table row and a line break.
const QByteArray kInterviewRtf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\n"
    "\\pard Trust is built slowly.\\par\n"
    "We TRUST our neighbours; trusting them is hard. Mistrust grows.\\par\n"
    "See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/trust\"}}{\\fldrslt{the trust page}}} now.\\par\n"
    "\\trowd\\cellx2000\\cellx4000\\pard\\intbl trust\\cell money\\cell\\row\n"
    "\\pard Gr\\'fc\\'dfe: trust\\line again.\\par}";

const QByteArray kNotesRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard Nothing about it here.\\par "
    "Another trust issue. No neighbours at all. Trust? Yes.\\par}";

// Two pages; the first has two lines, so its text holds a CR LF.
QByteArray MakePdf()
{
    return testutil::MakePdf(QSizeF(400, 300), {testutil::TextLines({QStringLiteral("Alpha trust"), QStringLiteral("beta TRUST")}),
                                                testutil::TextLines({QStringLiteral("gamma")})});
}

QByteArray MakeTable()
{
    CTableData table;
    table.Create(2, 2, true);
    table.SetCell(0, 0, QStringLiteral("Trust me"));
    table.SetCell(1, 0, QStringLiteral("x"));
    table.SetCell(1, 1, QStringLiteral("no trust\r\nhere trust"));
    QByteArray bytes;
    table.SaveToBytes(bytes);
    return bytes;
}

QByteArray Rtf(const char* text)
{
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard ") + text + "\\par}";
}

// A hit without the fields that are the same in every case.
struct Found {
    qint32 term;
    qint32 object;
    qint32 paragraph;
    qint32 start;
    qint32 end;
    qint32 page;
    qint32 tableRow;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& f, std::ostream* os)
{
    *os << "{term " << f.term << ", object " << f.object << ", paragraph " << f.paragraph << ", " << f.start << ".."
        << f.end << ", page " << f.page << ", row " << f.tableRow << "}";
}

QList<Found> Simplify(const CRowArray& hits)
{
    QList<Found> found;
    for (const SearchHit& h : hits)
        found.append({h.term, h.objectId, h.paragraph, h.start, h.end, h.page, h.tableRow});
    return found;
}

class TextSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        savedProgram = g_program;
        g_program.OptionsFilePath = dir.file(QStringLiteral("KORVAN10.prp"));
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        BuildOptionDefinitions();   // the word separators

        ASSERT_TRUE(engine.db.Create(dir.file(QStringLiteral("project.kv4"))));
        ASSERT_TRUE(storetest::CreateProject(engine.db, SearchTopics())) << engine.db.LastError().toStdString();
        Load();
        group = storetest::AddObject(db, TopicId::DocumentGroups, -1, {{3, QStringLiteral("Interviews")}});
        interview = AddContent(TopicId::Documents, kInterviewRtf, {{6, QStringLiteral("Interview")}, {3, QStringLiteral("4")}});
        notes = AddContent(TopicId::Documents, kNotesRtf, {{6, QStringLiteral("Notes")}});
        pdf = AddContent(TopicId::Documents, MakePdf(), {{6, QStringLiteral("Paper")}, {13, QStringLiteral("1")}, {3, QStringLiteral("4")}});
        table = AddContent(TopicId::Documents, MakeTable(), {{6, QStringLiteral("Survey")}, {13, QStringLiteral("3")}});
        memo = AddContent(TopicId::Memos, Rtf("A memo about trust."), {{8, QStringLiteral("Trust memo")}});
        ASSERT_TRUE(interview && notes && pdf && table && memo);
        // Searches read what the file holds.
        Load();
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = savedProgram;
    }

    void Load()
    {
        db.Clear();
        db.SetEngine(&engine);
        for (const TopicSpec& topic : SearchTopics())
            ASSERT_TRUE(engine.LoadTopic(*db.CreateTable(topic.id))) << topic.table;
    }

    qint32 AddContent(qint32 topic, const QByteArray& content, std::initializer_list<std::pair<qint32, QString>> values)
    {
        RowBuffer row;
        if (!db.AddRow(topic, row, -1))
            return 0;
        FieldValue value;
        EXPECT_TRUE(row.GetFieldValue(topic == TopicId::Memos ? 11 : 5, value));
        value.SetBlob(content);
        for (const auto& [id, text] : values) {
            EXPECT_TRUE(row.GetFieldValue(id, value)) << id;
            value.Parse(text);
        }
        const qint32 key = row.GetKey();
        return row.Commit(true, false) ? key : 0;
    }

    // The rich-edit text of a document, as codings count it.
    static QString TextOf(const QByteArray& rtf)
    {
        CRichEditCtrlEx control;
        control.StreamInRtf(&rtf, false);
        return control.TextMap().text();
    }

    CSearchOptions Options(QStringList terms)
    {
        CSearchOptions options;
        options.terms = std::move(terms);
        return options;
    }

    testutil::TempDir dir;
    ProgramPaths savedProgram;
    storetest::SqliteTestEngine engine;
    TopicDatabase db;
    TopicSearchSource source{db};
    qint32 group = 0, interview = 0, notes = 0, pdf = 0, table = 0, memo = 0;
};

}  // namespace

TEST_F(TextSearchTest, HitPositionsAreTheStoredCodingPositions)
{
    testutil::RecordingWaitHost host;
    CSearchSettings search(Options({QStringLiteral("trust")}), &source, false);
    ASSERT_TRUE(search.SearchDocuments({interview}));

    // Every occurrence, case folded, including the hidden link instruction
    // and the word inside longer words; the table row is one paragraph.
    const QString text = TextOf(kInterviewRtf);
    QList<qint32> starts;
    for (const SearchHit& hit : search.Hits()) {
        EXPECT_EQ(text.mid(hit.start, hit.end - hit.start).toLower(), QStringLiteral("trust"))
            << testutil::ShowControls(text).toStdString();
        starts.append(hit.start);
    }
    // "Trust is built slowly.\r" (0..22), "We TRUST ..." from 23, the link
    // instruction HYPERLINK "https://example.org/trust" from 91, the table
    // row U+FFF9 CR from 148 and the last paragraph from 164.
    EXPECT_EQ(starts, (QList<qint32>{0, 26, 48, 74, 122, 132, 150, 171}));
    QList<qint32> paragraphs;
    for (const SearchHit& hit : search.Hits())
        paragraphs.append(hit.paragraph);
    EXPECT_EQ(paragraphs, (QList<qint32>{1, 2, 2, 2, 3, 3, 4, 5}));
    EXPECT_EQ(text.mid(91, 9), QStringLiteral("HYPERLINK"));
    EXPECT_EQ(text.mid(148, 2), QStringLiteral("\uFFF9\r"));
    for (const SearchHit& hit : search.Hits()) {
        EXPECT_EQ(hit.objectId, interview);
        EXPECT_EQ(hit.page, 1);
        EXPECT_EQ(hit.tableRow, -1);
        EXPECT_EQ(hit.sentence, 0);
    }
}

TEST_F(TextSearchTest, WholeWordsAndCase)
{
    struct Case {
        const char* name;
        bool wholeWords;
        bool matchCase;
        QList<qint32> starts;
    };
    const Case cases[] = {
        {"any case, parts of words", false, false, {0, 26, 48, 74, 122, 132, 150, 171}},
        // "/trust\"" is a word between separators; "trusting" and
        // "Mistrust" are not; a cell end and a line break end words.
        {"whole words", true, false, {0, 26, 122, 132, 150, 171}},
        {"match case", false, true, {48, 74, 122, 132, 150, 171}},
        {"whole words, match case", true, true, {122, 132, 150, 171}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSearchOptions options = Options({QStringLiteral("trust")});
        options.wholeWords = c.wholeWords;
        options.matchCase = c.matchCase;
        CSearchSettings search(options, &source, false);
        ASSERT_TRUE(search.SearchDocuments({interview}));
        QList<qint32> starts;
        for (const SearchHit& hit : search.Hits())
            starts.append(hit.start);
        EXPECT_EQ(starts, c.starts);
    }
}

TEST_F(TextSearchTest, SeveralTermsCombined)
{
    const qint32 T = 0, N = 1;  // the terms "trust" and "neighbours"
    struct Case {
        const char* name;
        bool allTerms;
        bool withinDistance;
        qint32 distance;
        QList<Found> hits;
    };
    const QList<Found> interviewHits = {
        {T, interview, 1, 0, 5, 1, -1},     {T, interview, 2, 26, 31, 1, -1},   {T, interview, 2, 48, 53, 1, -1},
        {T, interview, 2, 74, 79, 1, -1},   {T, interview, 3, 122, 127, 1, -1}, {T, interview, 3, 132, 137, 1, -1},
        {T, interview, 4, 150, 155, 1, -1}, {T, interview, 5, 171, 176, 1, -1}, {N, interview, 2, 36, 46, 1, -1},
    };
    const QList<Found> notesHits = {{T, notes, 2, 31, 36, 1, -1}, {T, notes, 2, 66, 71, 1, -1}, {N, notes, 2, 47, 57, 1, -1}};
    const Case cases[] = {
        {"any term", false, false, 1, interviewHits + notesHits},
        {"all terms: every text has both", true, false, 1, interviewHits + notesHits},
        // Only hits with a hit of the other term in the same paragraph.
        {"all terms in one paragraph", true, true, 1,
         {interviewHits[1], interviewHits[2], interviewHits[3], interviewHits[8], notesHits[0], notesHits[1], notesHits[2]}},
        // Paragraphs 1 to 3 lie less than two paragraphs from paragraph 2.
        {"all terms within two paragraphs", true, true, 2,
         interviewHits.mid(0, 6) + interviewHits.mid(8) + notesHits},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSearchOptions options = Options({QStringLiteral("trust"), QStringLiteral("neighbours")});
        options.allTerms = c.allTerms;
        options.withinDistance = c.withinDistance;
        options.distance = c.distance;
        CSearchSettings search(options, &source, false);
        ASSERT_TRUE(search.SearchDocuments({interview, notes}));
        EXPECT_EQ(Simplify(search.Hits()), c.hits);
    }

    // With a term that one text lacks, all terms drops that text's hits.
    CSearchOptions options = Options({QStringLiteral("trust"), QStringLiteral("slowly")});
    options.allTerms = true;
    CSearchSettings search(options, &source, false);
    ASSERT_TRUE(search.SearchDocuments({interview, notes}));
    QList<qint32> ids;
    search.CollectIds(ids);
    EXPECT_EQ(ids, QList<qint32>{interview});
}

TEST_F(TextSearchTest, OperatorsWithinSentences)
{
    const auto op = [](SearchOperator o) { return QByteArray(1, char(o)); };
    struct Case {
        const char* name;
        QStringList terms;
        QByteArray operators;
        bool withinDistance;
        QList<qint32> notesStarts;   // hits left in the notes text
    };
    // Notes: "Another trust issue." is sentence 2, "No neighbours at all."
    // sentence 3, "Trust?" sentence 4.
    const Case cases[] = {
        {"and: both occur", {"trust", "neighbours"}, op(SearchOperator::And), false, {31, 66, 47}},
        {"and not: the text has the second term", {"trust", "neighbours"}, op(SearchOperator::AndNot), false, {}},
        {"and not: a term that does not occur", {"trust", "tomatoes"}, op(SearchOperator::AndNot), false, {31, 66}},
        // The trust of sentence 2 and the neighbours of sentence 3 are one
        // sentence apart, so with distance 2 they stay as a pair; the
        // trust of sentence 4 pairs with them too.
        {"and within two sentences", {"trust", "neighbours"}, op(SearchOperator::And), true, {31, 47, 66}},
        // Distance 2: the neighbours hit removes both trust hits near it.
        {"and not within two sentences", {"trust", "neighbours"}, op(SearchOperator::AndNot), true, {}},
        {"or within sentences keeps the base hits", {"trust", "issue"}, op(SearchOperator::Or), true, {31, 66, 37}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSearchOptions options = Options(c.terms);
        options.operators = c.operators;
        options.withinDistance = c.withinDistance;
        options.distance = 2;
        CSearchSettings search(options, &source, true);
        ASSERT_TRUE(search.SearchDocuments({notes}));
        QList<qint32> starts;
        for (const SearchHit& hit : search.Hits()) {
            starts.append(hit.start);
            EXPECT_GT(hit.sentence, 0);
        }
        EXPECT_EQ(starts, c.notesStarts);
    }
}

TEST_F(TextSearchTest, PatternTerms)
{
    struct Case {
        const char* term;
        bool wholeWords;
        QStringList found;   // the texts of the hits in the notes
    };
    const Case cases[] = {
        {"a*ue", false, {"about it here.\rAnother trust issue"}},
        {"a*ue", true, {}},              // the span holds separators
        {"t?ust", false, {"trust", "Trust"}},
        {"issu?", false, {"issue"}},     // one more unit after the part
        {"iss?", false, {}},
        {"<(neigh)", false, {"neighbours"}},
        {"nei*", false, {"neighbours"}},
        {"(ours)>", false, {"neighbours"}},
        {"*bours", false, {"neighbours"}},
        {"*", false, {}},                // a lone "*" is a plain term
    };
    const QString text = TextOf(kNotesRtf);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.term);
        CSearchOptions options = Options({QString::fromLatin1(c.term)});
        options.wholeWords = c.wholeWords;
        CSearchSettings search(options, &source, false);
        ASSERT_TRUE(search.SearchDocuments({notes}));
        QStringList found;
        for (const SearchHit& hit : search.Hits())
            found.append(text.mid(hit.start, hit.end - hit.start));
        EXPECT_EQ(found, c.found);
    }
}

TEST_F(TextSearchTest, ProjectSearchCoversPdfPagesAndTableCellsWithProgress)
{
    testutil::RecordingWaitHost host;
    CSearchOptions options = Options({QStringLiteral("trust")});
    options.wholeWords = true;
    options.onlyActivated = true;   // the interview and the PDF
    CSearchSettings search(options, &source, false);
    ASSERT_TRUE(search.SearchProject());
    QList<Found> expected = {
        {0, interview, 1, 0, 5, 1, -1},     {0, interview, 2, 26, 31, 1, -1},   {0, interview, 3, 122, 127, 1, -1},
        {0, interview, 3, 132, 137, 1, -1}, {0, interview, 4, 150, 155, 1, -1}, {0, interview, 5, 171, 176, 1, -1},
        // "Alpha trust" CR LF "beta TRUST": the line end counts two.
        {0, pdf, 1, 6, 11, 1, -1},          {0, pdf, 1, 18, 23, 1, -1},
    };
    EXPECT_EQ(Simplify(search.Hits()), expected);
    EXPECT_EQ(host.opened, 1);
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(GetWaitWindow(), nullptr);
    ASSERT_FALSE(host.texts.isEmpty());
    EXPECT_EQ(host.texts.last(), QStringLiteral("Documents: 2 searched, 8 hits"));

    // Table cells: the column is the page, the row + 1 the paragraph.
    options.onlyActivated = false;
    CSearchSettings all(options, &source, false);
    ASSERT_TRUE(all.SearchDocuments({table}));
    expected = {{0, table, 1, 0, 5, 1, 0}, {0, table, 2, 3, 8, 2, 1}, {0, table, 2, 15, 20, 2, 1}};
    EXPECT_EQ(Simplify(all.Hits()), expected);
}

TEST_F(TextSearchTest, MemoSearchMarksTitleHits)
{
    testutil::RecordingWaitHost host;
    CSearchOptions options = Options({QStringLiteral("trust")});
    options.searchMemos = true;
    CSearchSettings search(options, &source, false);
    ASSERT_TRUE(search.SearchProject());
    const QList<Found> expected = {{0, memo, 1, 13, 18, 1, -1}, {0, memo, 1, 0, 5, 0, -1}};
    EXPECT_EQ(Simplify(search.Hits()), expected);
    EXPECT_EQ(host.texts.last(), QStringLiteral("Memos: 1 searched, 2 hits"));
}

TEST_F(TextSearchTest, RetrievedRowsRestrictDocumentsAndHits)
{
    CSegmentArray rows;
    CSegmentRow row;
    row.document = interview;   // the second paragraph
    row.start = 23;
    row.end = 70;
    rows.Add(row);
    row.document = pdf;          // a page without hits, and an area of page 1
    row.page = 2;
    row.start = 0;
    row.end = 100;
    rows.Add(row);
    row.page = 1;
    row.start = 15;
    row.end = 30;
    rows.Add(row);
    row.document = table;        // the cell of row 1, column 2
    row.areaLeft = 1;
    row.page = 2;
    row.start = 0;
    row.end = 10;
    rows.Add(row);

    CSearchSettings search(Options({QStringLiteral("trust")}), &source, false);
    ASSERT_TRUE(search.SearchProject(&rows));
    const QList<Found> expected = {
        {0, interview, 2, 26, 31, 1, -1}, {0, interview, 2, 48, 53, 1, -1},
        {0, pdf, 1, 18, 23, 1, -1},       {0, table, 2, 3, 8, 2, 1},
    };
    EXPECT_EQ(Simplify(search.Hits()), expected);
    EXPECT_TRUE(IsRowDocument(table, rows));
    EXPECT_FALSE(IsRowDocument(notes, rows));
}

TEST_F(TextSearchTest, CollectIdsAndAFailedWaitWindow)
{
    CSearchSettings search(Options({QStringLiteral("trust")}), &source, false);
    ASSERT_TRUE(search.SearchDocuments({notes, interview, notes}));
    QList<qint32> ids;
    search.CollectIds(ids);
    EXPECT_EQ(ids, (QList<qint32>{notes, interview}));

    // Without a topic database the ids keep their repeats.
    CSearchSettings loose(Options({QStringLiteral("trust")}), nullptr, false);
    EXPECT_FALSE(loose.SearchProject());
    loose.RichEdit().StreamInRtf(&kNotesRtf, false);
    EXPECT_EQ(loose.SearchText(9, 0, 1, -1, nullptr), 2);
    loose.RichEdit().StreamInRtf(&kNotesRtf, false);
    loose.SearchText(9, 0, 1, -1, nullptr);
    ids.clear();
    loose.CollectIds(ids);
    EXPECT_EQ(ids, (QList<qint32>{9, 9, 9, 9}));

    testutil::RecordingWaitHost host;
    host.refuse = true;
    EXPECT_FALSE(search.SearchProject());
    EXPECT_EQ(search.Hits().GetSize(), 0);
}

TEST(TextSearchParagraphs, CellsSideBySideShareParagraphs)
{
    // Rich-edit text: U+FFF9 CR, "one" CR "two" U+0007, "three" CR "four"
    // U+0007, U+FFFB CR, "after". Laid out, "two" and "four" (each the second
    // line of its cell) lie on one line, so their paragraphs merge.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\trowd\\cellx2000\\cellx4000"
        "\\pard\\intbl one\\par two\\cell three\\par four\\cell\\row\\pard after\\par}";
    CSearchOptions options;
    options.terms = {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"), QStringLiteral("four"),
                     QStringLiteral("after")};
    CSearchSettings search(options, nullptr, false);
    search.RichEdit().StreamInRtf(&rtf, false);
    ASSERT_EQ(search.RichEdit().TextMap().text().mid(21, 3), QStringLiteral("\uFFFB\ra"));
    ASSERT_EQ(search.SearchText(1, 0, 1, -1, nullptr), 5);
    QList<qint32> starts, paragraphs;
    for (const SearchHit& hit : search.Hits()) {
        starts.append(hit.start);
        paragraphs.append(hit.paragraph);
    }
    EXPECT_EQ(starts, (QList<qint32>{2, 6, 10, 16, 23}));
    EXPECT_EQ(paragraphs, (QList<qint32>{1, 2, 2, 2, 3}));
    EXPECT_EQ(search.RichEdit().GetTextLength(), 0);   // the control is emptied
}

TEST(TextSearchParagraphs, NumberedAsTheReaderSeesThem)
{
    // Rich-edit text "aside" CR "one" CR "two" CR "x": the hidden first
    // paragraph takes no line, so its text counts to the paragraph below
    // it; the one-character last paragraph is a paragraph of its own.
    const QByteArray rtf = Rtf("{\\v aside\\par}one\\par two\\par x");
    CSearchOptions options;
    options.terms = {QStringLiteral("aside"), QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("x")};
    CSearchSettings search(options, nullptr, false);
    search.RichEdit().StreamInRtf(&rtf, false);
    ASSERT_EQ(search.RichEdit().TextMap().text(), QStringLiteral("aside\rone\rtwo\rx"));
    ASSERT_EQ(search.SearchText(1, 0, 1, -1, nullptr), 4);
    QList<qint32> starts, paragraphs;
    for (const SearchHit& hit : search.Hits()) {
        starts.append(hit.start);
        paragraphs.append(hit.paragraph);
    }
    EXPECT_EQ(starts, (QList<qint32>{0, 6, 10, 14}));
    EXPECT_EQ(paragraphs, (QList<qint32>{1, 1, 2, 3}));
}

namespace {

// Documents held in memory: the search needs nothing of the store.
class MemorySource : public SearchSource {
public:
    QList<qint32> GetObjectIds(bool memos) const override { return memos ? QList<qint32>{} : QList<qint32>{1, 2, 3}; }
    bool IsActivated(qint32 id) const override { return id != 2; }
    bool ReadContent(bool memo, qint32 id, Content& content) override
    {
        if (memo || id == 3)
            return false;
        content.kind = ContentKind::RichText;
        content.bytes = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard some trust here\\par}";
        return true;
    }
};

}  // namespace

TEST_F(TextSearchTest, AnySourceCanBeSearched)
{
    testutil::RecordingWaitHost host;
    MemorySource memory;
    CSearchOptions options = Options({QStringLiteral("trust")});
    options.onlyActivated = true;
    CSearchSettings search(options, &memory, false);
    ASSERT_TRUE(search.SearchProject());
    QList<qint32> ids;
    search.CollectIds(ids);
    EXPECT_EQ(ids, QList<qint32>{1});
    QList<qint32> starts;
    for (const SearchHit& hit : search.Hits())
        starts.append(hit.start);
    EXPECT_EQ(starts, QList<qint32>{5});
}

TEST_F(TextSearchTest, HelperThreadsFindWhatASearchOneByOneFinds)
{
    // Several texts of each kind, so that helpers take some; the interview
    // holds a table, which stays on the calling thread.
    for (int i = 0; i < 6; ++i) {
        AddContent(TopicId::Documents, i % 2 ? kInterviewRtf : kNotesRtf, {{6, QStringLiteral("More %1").arg(i)}});
        AddContent(TopicId::Memos, Rtf("Trust in memo text. Trust again."), {{8, QStringLiteral("Trust %1").arg(i)}});
    }
    AddContent(TopicId::Documents, MakePdf(), {{6, QStringLiteral("Paper 2")}, {13, QStringLiteral("1")}});
    Load();
    const auto search = [&](bool memos, bool operatorMode) {
        testutil::RecordingWaitHost host;
        CSearchOptions options = Options({QStringLiteral("trust"), QStringLiteral("neighbours")});
        options.searchMemos = memos;
        options.operators = QByteArray(1, char(SearchOperator::Or));
        CSearchSettings settings(options, &source, operatorMode);
        EXPECT_TRUE(settings.SearchProject());
        QList<std::array<qint32, 9>> hits;
        for (const SearchHit& h : settings.Hits())
            hits.append({h.term, h.objectId, h.value, h.start, h.end, h.paragraph, h.sentence, h.page, h.tableRow});
        return std::make_pair(hits, host.texts);
    };
    for (const bool memos : {false, true}) {
        for (const bool operatorMode : {false, true}) {
            SCOPED_TRACE(testing::Message() << "memos " << memos << ", operators " << operatorMode);
            SetOrderedWorkThreadLimit(0);
            const auto alone = search(memos, operatorMode);
            SetOrderedWorkThreadLimit(3);
            const auto helped = search(memos, operatorMode);
            SetOrderedWorkThreadLimit(-1);
            EXPECT_GE(alone.first.size(), 20);
            EXPECT_EQ(helped.first, alone.first);
            EXPECT_EQ(helped.second, alone.second) << "the same progress";
        }
    }
}

TEST_F(TextSearchTest, ACachedPlainTextIsNeverUsedAfterItsObjectChanged)
{
    testutil::RecordingWaitHost host;
    const auto search = [&](bool memos) {
        CSearchOptions options = Options({QStringLiteral("trust")});
        options.searchMemos = memos;
        CSearchSettings settings(options, &source, false);
        EXPECT_TRUE(settings.SearchProject());
        return Simplify(settings.Hits());
    };
    const auto replace = [&](qint32 topic, qint32 key, const QByteArray& content) {
        RowBuffer row;
        FieldValue value;
        ASSERT_TRUE(db.ReadRow(topic, key, row, true));
        ASSERT_TRUE(row.GetFieldValue(topic == TopicId::Memos ? 11 : 5, value));
        value.SetBlob(content);
        ASSERT_TRUE(row.Commit(true, false));
    };
    // The cache never changes what a search finds: a search with an empty
    // cache, one with it filled, and one with a cache too small to keep any.
    const QList<Found> cold = search(false);
    EXPECT_EQ(db.PlainTexts().Count(), 2) << "the interview and the notes; PDF and tables are not kept";
    EXPECT_EQ(search(false), cold);
    db.PlainTexts().SetLimit(1);
    EXPECT_EQ(db.PlainTexts().Count(), 0);
    EXPECT_EQ(search(false), cold);
    db.PlainTexts().SetLimit(PlainTextCache::kDefaultLimit);
    search(false);
    search(true);
    ASSERT_EQ(db.PlainTexts().Count(), 3);

    struct Case {
        const char* name;
        qint32 topic;
        qint32 key;
        QByteArray content;
        bool memos;
        QList<Found> expected;
    };
    const std::vector<Case> cases = {
        // As long as the notes, the word elsewhere: only the content tells.
        {"same length", TopicId::Documents, notes,
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard Nothing about it here.\\par "
         "Another issue trust. No neighbours at all. Trust? Yes.\\par}",
         false, {}},
        {"shorter", TopicId::Documents, notes, Rtf("trust"), false, {}},
        {"memo", TopicId::Memos, memo, Rtf("No word. Then trust."), true, {{0, memo, 1, 14, 19, 1, -1}, {0, memo, 1, 0, 5, 0, -1}}},
    };
    for (const Case& c : cases) {
        replace(c.topic, c.key, c.content);
        QList<Found> expected = c.expected;
        if (!c.memos) {
            // The hits of the other documents as before, the changed notes' own
            // in their place.
            CSearchSettings fresh(Options({QStringLiteral("trust")}), &source, false);
            fresh.RichEdit().StreamInRtf(&c.content, false);
            fresh.SearchText(notes, 0, 1, -1, nullptr);
            ASSERT_FALSE(fresh.Hits().IsEmpty()) << c.name;
            expected.clear();
            for (const Found& f : cold) {
                if (f.object < notes)
                    expected.append(f);
            }
            expected += Simplify(fresh.Hits());
            for (const Found& f : cold) {
                if (f.object > notes)
                    expected.append(f);
            }
        }
        EXPECT_EQ(search(c.memos), expected) << c.name;
        EXPECT_EQ(search(c.memos), expected) << c.name << ", cached again";
    }
    EXPECT_EQ(db.PlainTexts().Count(), 3) << "a changed object's old text is dropped, not kept beside";
    // Closing the project forgets every text.
    Load();
    EXPECT_EQ(db.PlainTexts().Count(), 0);
}
