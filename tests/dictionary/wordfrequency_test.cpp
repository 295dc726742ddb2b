// Word frequencies into the word table, per document and per set, of the
// retrieved segments only, and the tag cloud's classes and RTF.

#include "dictionary/wordfrequency.h"

#include "common/pdfbuilder.h"
#include "document/documentids.h"
#include "document/objectstest.h"
#include "document/rowfields.h"
#include "document/wordcounts.h"
#include "document/wordcountoptions.h"
#include "foundation/orderedwork.h"
#include "foundation/tabledata.h"
#include "store/topictable.h"


#include <gtest/gtest.h>

#include <map>

namespace {

using rowfields::IntOf;
using rowfields::TextOf;

QByteArray Rtf(const char* text)
{
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + text + "}";
}

/// A word's row of the word table: frequency, percentage and its group cells.
struct WordRow {
    qint32 frequency = 0;
    double percentage = 0;
    qint32 length = 0;
    std::map<qint32, qint32> groups;  // column id - 100000000 to count
};

class WordFrequencyTest : public doctest::ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        doc.SetWordCounter(&counter);
        group = doc.NewDocumentGroupNamed(QStringLiteral("G"));
        ASSERT_TRUE(group);
    }
    void TearDown() override
    {
        doc.SetWordCounter(nullptr);
        SetOrderedWorkThreadLimit(-1);
        ObjectsTest::TearDown();
    }

    qint32 Text(const char* name, const char* text)
    {
        return doc.NewDocument(group, QString::fromLatin1(name), Rtf(text), QString());
    }
    qint32 Set(const char* name, const QList<qint32>& documents)
    {
        const qint32 set = doctest::AddRow(db(), TopicId::DocumentSets,
                                           {{GroupField::State, 0}, {GroupField::Name, QString::fromLatin1(name)}});
        for (const qint32 document : documents)
            doctest::AddRow(db(), TopicId::DocumentSetMembers,
                            {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, document}});
        return set;
    }
    void Count(qint32 unit, const CSegmentArray* segments = nullptr, WordCountSettings settings = {})
    {
        doc.SetWordCountSettings(settings);
        doc.CountWordsAll(unit, segments);
    }
    /// The table by word.
    std::map<QString, WordRow> Table()
    {
        std::map<QString, WordRow> rows;
        TopicTable* table = db().GetTable(TopicId::WordFrequencies);
        QList<qint32> keys;
        db().GetAllKeys(TopicId::WordFrequencies, keys);
        for (const qint32 key : std::as_const(keys)) {
            RowBuffer row;
            EXPECT_TRUE(db().ReadRow(TopicId::WordFrequencies, key, row, false));
            WordRow& word = rows[TextOf(row, WordTableField::Word)];
            word.length = IntOf(row, 3);
            word.frequency = IntOf(row, 4);
            FieldValue value;
            if (row.GetFieldValue(5, value))
                word.percentage = value.GetReal();
            for (int f = 0; f < table->Fields().Count(); ++f) {
                const qint32 id = table->Fields().GetAt(f)->ID;
                if (id > 100000000 && IntOf(row, id))
                    word.groups[id - 100000000] = IntOf(row, id);
            }
        }
        return rows;
    }

    doctest::WordCountOptions options;
    dictionary::WordFrequencyCounter counter;
    qint32 group = 0;
};

}  // namespace

TEST_F(WordFrequencyTest, StopListCaseAndLengthRules)
{
    const QString word63(63, u'w'), word64(64, u'v');
    const struct {
        const char* text;
        bool caseSensitive;
        std::map<QString, qint32> expected;
    } cases[] = {
        {"The the cat", false, {{QStringLiteral("cat"), 1}}},
        {"The the cat", true, {{QStringLiteral("cat"), 1}}},  // the stop-list test lower-cases
        {"Cat cat dog", false, {{QStringLiteral("cat"), 2}, {QStringLiteral("dog"), 1}}},
        {"Cat cat dog", true, {{QStringLiteral("Cat"), 1}, {QStringLiteral("cat"), 1}, {QStringLiteral("dog"), 1}}},
    };
    doc.SetWordList(QStringLiteral("the"), false);
    qint32 previous = 0;
    for (const auto& c : cases) {
        if (previous)
            doc.DeleteItems({{TopicId::Documents, previous}});
        previous = Text("T", c.text);
        g_dictioOptions.SetValueText(DictioOption::CaseSensitive, c.caseSensitive ? QStringLiteral("1") : QStringLiteral("0"));
        Count(WordCountUnit::All);
        std::map<QString, qint32> counts;
        for (const auto& [word, row] : Table())
            counts[word] = row.frequency;
        EXPECT_EQ(counts, c.expected) << c.text << " case " << c.caseSensitive;
    }
    g_dictioOptions.SetValueText(DictioOption::CaseSensitive, QStringLiteral("0"));

    // The stop list's own case: one word, all of the count.
    doc.DeleteItems({{TopicId::Documents, previous}});
    Text("T", "The the cat");
    Count(WordCountUnit::All);
    const auto rows = Table();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.at(QStringLiteral("cat")).frequency, 1);
    EXPECT_DOUBLE_EQ(rows.at(QStringLiteral("cat")).percentage, 100.0);
    EXPECT_EQ(doc.GetTotalWordCount(), 1);

    // Without the stop list "the" counts; a word of 63 units is kept whole, of 64 never.
    const QByteArray text = ("the " + word63 + " " + word64).toLatin1();
    Text("L", text.constData());
    WordCountSettings settings;
    settings.useStopList = false;
    Count(WordCountUnit::All, nullptr, settings);
    const auto more = Table();
    EXPECT_EQ(more.at(QStringLiteral("the")).frequency, 3);
    EXPECT_EQ(more.at(word63).length, 63);
    EXPECT_EQ(more.count(word64), 0u);
    EXPECT_DOUBLE_EQ(more.at(QStringLiteral("cat")).percentage, 20.0);
    // A minimum length leaves short words out.
    settings.minChars = 4;
    Count(WordCountUnit::All, nullptr, settings);
    EXPECT_EQ(Table().size(), 1u);
}

TEST_F(WordFrequencyTest, PerDocumentAndPerSetColumnsHoldTheirOwnCounts)
{
    const qint32 a = Text("A", "red red blue");
    const qint32 b = Text("B", "blue green");
    const qint32 c = Text("C", "black");
    // A picture and a PDF: the picture adds nothing, the PDF its pages.
    doc.NewExternalDocument(group, QStringLiteral("P"), QByteArray("\x89PNG\r\n", 6), DocumentKind::Picture);
    const qint32 pdf = doc.NewExternalDocument(
        group, QStringLiteral("S"),
        testutil::MakePdf(QSizeF(400, 300), {testutil::TextLines({QStringLiteral("red")}),
                                             testutil::TextLines({QStringLiteral("green")})}),
        DocumentKind::Pdf);
    ASSERT_TRUE(a && b && c && pdf);

    for (const int threads : {0, 3}) {
        SetOrderedWorkThreadLimit(threads);
        Count(WordCountUnit::PerDocument);
        auto rows = Table();
        ASSERT_EQ(rows.size(), 4u) << threads;
        EXPECT_EQ(rows[QStringLiteral("red")].frequency, 3);
        EXPECT_EQ(rows[QStringLiteral("red")].groups, (std::map<qint32, qint32>{{a, 2}, {pdf, 1}}));
        EXPECT_EQ(rows[QStringLiteral("blue")].groups, (std::map<qint32, qint32>{{a, 1}, {b, 1}}));
        EXPECT_EQ(rows[QStringLiteral("green")].groups, (std::map<qint32, qint32>{{b, 1}, {pdf, 1}}));
        EXPECT_EQ(doc.GetTotalWordCount(), 8);
        EXPECT_DOUBLE_EQ(rows[QStringLiteral("red")].percentage, 37.5);
        EXPECT_EQ(doc.GetKeptDocuments().size(), 5);  // all documents, the picture too
    }

    // Per set: b lies in both sets and counts twice; c in none, not at all.
    const qint32 one = Set("One", {a, b});
    const qint32 two = Set("Two", {b});
    Count(WordCountUnit::PerSet);
    auto rows = Table();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[QStringLiteral("blue")].frequency, 3);
    EXPECT_EQ(rows[QStringLiteral("blue")].groups, (std::map<qint32, qint32>{{one, 2}, {two, 1}}));
    EXPECT_EQ(rows[QStringLiteral("green")].groups, (std::map<qint32, qint32>{{one, 1}, {two, 1}}));
    EXPECT_EQ(doc.GetTotalWordCount(), 7);
    EXPECT_EQ(rows.count(QStringLiteral("black")), 0u);

    // Only activated documents.
    doc.ActivateDocument(c, true, false);
    WordCountSettings settings;
    settings.onlyActivated = true;
    Count(WordCountUnit::All, nullptr, settings);
    rows = Table();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[QStringLiteral("black")].frequency, 1);
    EXPECT_EQ(doc.GetKeptDocuments(), QList<qint32>{c});
}

TEST_F(WordFrequencyTest, OnlyTheRetrievedSegmentsAreCounted)
{
    const qint32 a = Text("A", "alpha beta gamma delta");
    const qint32 b = Text("B", "beta beta");
    const qint32 c = Text("C", "omega");
    for (const qint32 d : {a, b, c})
        doc.ActivateDocument(d, true, false);
    CSegmentArray segments;
    CSegmentRow row;
    row.document = a;
    row.start = 6;  // "beta gamma"
    row.end = 16;
    segments.Add(row);
    row.document = b;
    row.start = 0;
    row.end = 4;
    segments.Add(row);
    WordCountSettings settings;
    settings.onlySegments = true;
    doc.GetKeptDocuments() = {99};
    Count(WordCountUnit::All, &segments, settings);
    const auto rows = Table();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.at(QStringLiteral("beta")).frequency, 2);
    EXPECT_EQ(rows.at(QStringLiteral("gamma")).frequency, 1);
    // c has no segment: not among the counted documents.
    EXPECT_EQ(doc.GetKeptDocuments(), (QList<qint32>{a, b}));

    // Nothing counted: the table stays empty and the total keeps its value.
    CSegmentArray none;
    EXPECT_FALSE(doc.CountWordsInDocuments({c}, {}, WordCountUnit::All, &none));
    EXPECT_EQ(doc.GetTotalWordCount(), 3);
}

TEST(TagCloudTest, ClassesGiveSizeAndColour)
{
    const auto cloud = [](const std::map<QString, qint32>& counts) {
        WordCounts words;
        for (const auto& [word, count] : counts)
            words[word] = count;
        return dictionary::TagCloudWords(words);
    };
    const auto rgb = [](int r, int g, int b) { return quint32(r) | quint32(g) << 8 | quint32(b) << 16; };
    auto words = cloud({{QStringLiteral("b"), 5}, {QStringLiteral("a"), 10}, {QStringLiteral("c"), 1}});
    ASSERT_EQ(words.size(), 3);
    EXPECT_EQ(words[0].word, QStringLiteral("a"));
    EXPECT_EQ(words[0].twips, 900);
    EXPECT_EQ(words[0].color, rgb(0, 25, 155));
    EXPECT_EQ(words[1].twips, 480);
    EXPECT_EQ(words[1].color, rgb(90, 100, 215));
    EXPECT_EQ(words[2].twips, 200);
    EXPECT_EQ(words[2].color, rgb(150, 150, 255));

    words = cloud({{QStringLiteral("a"), 7}, {QStringLiteral("b"), 1}});
    EXPECT_EQ(words[0].twips, 1180);
    EXPECT_EQ(words[0].color, rgb(35, 50, 110));
    // Below threshold + 3 the step is 1, not 0.
    words = cloud({{QStringLiteral("a"), 2}, {QStringLiteral("b"), 1}});
    EXPECT_EQ(words[0].twips, 480);
    EXPECT_EQ(words[1].twips, 340);

    // 55 words counted 1 to 55: the 50 largest; a tie at the 50th makes 51.
    std::map<QString, qint32> many;
    for (int i = 0; i < 55; ++i)
        many[QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0'))] = i + 1;
    EXPECT_EQ(cloud(many).size(), 50);
    many[QStringLiteral("w00")] = 6;
    EXPECT_EQ(cloud(many).size(), 51);
    EXPECT_EQ(cloud({}).size(), 0);
}

TEST_F(WordFrequencyTest, TheTagCloudIsRtfAndFillsTheWordTable)
{
    const qint32 a = Text("A", "a a a a a a a a a a b b b b b");
    const qint32 b = Text("B", "c");
    QByteArray rtf;
    doc.CollectWords({a, b}, rtf);
    const QString text = QString::fromLatin1(rtf);
    // "a b c " in Verdana, each blank at 10 pt in its word's colour.
    EXPECT_TRUE(text.contains(QStringLiteral("{\\f1\\fnil\\fcharset0 Verdana;}"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(
        "{\\colortbl ;\\red0\\green25\\blue155;\\red90\\green100\\blue215;\\red150\\green150\\blue255;}")));
    EXPECT_TRUE(text.contains(QStringLiteral("\\f1\\fs90\\cf1 a\\fs20  \\fs48\\cf2 b\\fs20  \\cf3 c ")));
    EXPECT_EQ(Table().size(), 3u);
    EXPECT_EQ(doc.GetTotalWordCount(), 16);

    // Nothing to count: no cloud.
    QByteArray none;
    doc.CollectWords({}, none);
    EXPECT_TRUE(none.isEmpty());
}
