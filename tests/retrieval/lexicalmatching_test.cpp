// The lexical matcher: the pattern grammar with its flags against small
// texts, the hit list's order and de-duplication, and the one-pass matcher
// of many plain words against the matcher of one word.

#include "document/lexicalservice.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/textmatcher.h"
#include "retrieval/dictionarymatcher.h"
#include "retrieval/lexicalengine.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

enum Flags { kNone = 0, kWhole = 1, kCase = 2, kStart = 4 };

class LexicalMatching : public ::testing::Test {
protected:
    void SetUp() override { BuildOptionDefinitions(); }
    void TearDown() override { BuildOptionDefinitions(); }

    /// The hits as "start-end" in list order.
    QString Find(const QString& pattern, const QString& text, int flags = kNone)
    {
        LexicalHitList hits;
        engine.RunLexicalSearch(Search(pattern, text, flags), hits);
        return Describe(hits);
    }
    static LexicalSearch Search(const QString& pattern, const QString& text, int flags, qint32 category = 1)
    {
        LexicalSearch search;
        search.document = 7;
        search.page = 0;
        search.text = text;
        search.pattern = pattern;
        search.entry = 3;
        search.wholeWord = flags & kWhole;
        search.caseSensitive = flags & kCase;
        search.wordStart = flags & kStart;
        search.category = category;
        return search;
    }
    static QString Describe(const LexicalHitList& hits)
    {
        QStringList parts;
        for (const LexicalHit& hit : hits)
            parts << QStringLiteral("%1-%2").arg(hit.start).arg(hit.end);
        return parts.join(u' ');
    }

    retrieval::LexicalEngine engine;
};

TEST_F(LexicalMatching, PatternsFindTheirHitsAtRichEditPositions)
{
    const QString far = QStringLiteral("climate ") + QString(95, u'x') + QStringLiteral(" change");
    struct Case {
        const char* pattern;
        QString text;
        int flags;
        const char* hits;
    } cases[] = {
        // Plain terms, every occurrence; the next searched after the last.
        {"work", QStringLiteral("homework work workday"), kNone, "4-8 9-13 14-18"},
        {"aa", QStringLiteral("aaaa"), kNone, "0-2 2-4"},
        {"work", QStringLiteral("homework work workday"), kWhole, "9-13"},
        {"work", QStringLiteral("homework work workday"), kStart, "9-13 14-18"},
        {"work", QStringLiteral("(work), work."), kWhole, "1-5 8-12"},
        {"work", QStringLiteral("Work WORK"), kNone, "0-4 5-9"},
        {"work", QStringLiteral("Work WORK work"), kCase, "10-14"},
        {"Work", QStringLiteral("Work WORK work"), kCase, "0-4"},
        {"  work  ", QStringLiteral("work"), kNone, "0-4"},
        // A phrase is a plain term too.
        {"climate change", QStringLiteral("the climate change"), kWhole, "4-18"},
        // Wildcards at the end or the start: words beginning or ending so.
        {"work*", QStringLiteral("working works homework"), kNone, "0-7 8-13"},
        {"*work", QStringLiteral("homework working work"), kNone, "0-8 17-21"},
        {"wor?", QStringLiteral("word work words wor"), kNone, "0-4 5-9"},
        {"?ork", QStringLiteral("work network fork"), kNone, "0-4 13-17"},
        {"<(eco)", QStringLiteral("economy, ecology; deco"), kNone, "0-7 9-16"},
        {"(ism)>", QStringLiteral("realism isms prism"), kNone, "0-7 13-18"},
        // Two parts: a span of at most 100 units, or one unit between.
        {"climate*change", QStringLiteral("climate will change"), kNone, "0-19"},
        {"climate*change", far, kNone, ""},
        {"climate?change", QStringLiteral("climate change and climate-change, climatechange"), kNone, "0-14 19-33"},
        // With whole words the span holds no separator ("-" is none) and
        // ends at one.
        {"climate?change", QStringLiteral("climate change and climate-change"), kWhole, "19-33"},
        {"ab*cd", QStringLiteral("abxcd abxcde"), kWhole, "0-5"},
        // A line break or a cell end of the rich-edit text ends a word.
        {"work", QStringLiteral("work\rwork\x07work"), kWhole, "0-4 5-9 10-14"},
        // Forms without terms search the whole pattern.
        {"*", QStringLiteral("a*b"), kNone, "1-2"},
        {"", QStringLiteral("abc"), kNone, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(QString::fromUtf8(c.pattern), c.text, c.flags), QString::fromLatin1(c.hits))
            << c.pattern << " in " << c.text.toStdString() << " flags " << c.flags;
}

TEST_F(LexicalMatching, AHitKnownAlreadyIsNotRecordedAgain)
{
    LexicalHitList hits;
    EXPECT_EQ(engine.RunLexicalSearch(Search(QStringLiteral("work"), QStringLiteral("work works"), kNone), hits), 2);
    // The same category finds the same starts again: nothing new.
    EXPECT_EQ(engine.RunLexicalSearch(Search(QStringLiteral("work*"), QStringLiteral("work works"), kNone), hits), 0);
    // Another category records them as its own.
    EXPECT_EQ(engine.RunLexicalSearch(Search(QStringLiteral("work*"), QStringLiteral("work works"), kNone, 2), hits), 2);
    ASSERT_EQ(hits.size(), 4);
    EXPECT_EQ(hits[0].category, 1);
    EXPECT_EQ(hits[3].category, 2);
    EXPECT_EQ(hits[0].end, 4);  // the first recording of a start stays
    EXPECT_EQ(hits[0].document, 7);
    EXPECT_EQ(hits[0].entry, 3);
    EXPECT_TRUE(std::is_sorted(hits.begin(), hits.end(), LexicalHitLess));
}

TEST_F(LexicalMatching, HitsOfTwoSegmentsOfOnePageAreKeptApart)
{
    // Equal offsets in two segments of one page are two hits; the same
    // place of the page found through overlapping segments is one.
    LexicalHitList hits;
    LexicalSearch first = Search(QStringLiteral("tree"), QStringLiteral("tree"), kNone);
    first.base = 0;
    LexicalSearch second = first;
    second.base = 40;
    EXPECT_EQ(engine.RunLexicalSearch(first, hits), 1);
    EXPECT_EQ(engine.RunLexicalSearch(second, hits), 1);
    LexicalSearch overlapping = Search(QStringLiteral("tree"), QStringLiteral("xx tree"), kNone);
    overlapping.base = 37;
    EXPECT_EQ(engine.RunLexicalSearch(overlapping, hits), 0);
    LexicalSearch otherDocument = first;
    otherDocument.document = 8;
    EXPECT_EQ(engine.RunLexicalSearch(otherDocument, hits), 1);
    EXPECT_EQ(hits.size(), 3);
}

TEST_F(LexicalMatching, StopAtFirstHitYieldsOneHitPerPatternAndText)
{
    g_dictioOptions.SetBool(DictioOption::StopAtFirstHit, true);
    LexicalHitList hits;
    EXPECT_EQ(engine.RunLexicalSearch(Search(QStringLiteral("work"), QStringLiteral("work work work"), kNone), hits), 1);
    EXPECT_EQ(engine.RunLexicalSearch(Search(QStringLiteral("work"), QStringLiteral("work work work"), kNone), hits), 0);
    EXPECT_EQ(Describe(hits), QStringLiteral("0-4"));
}

TEST_F(LexicalMatching, OnePassOverManyWordsFindsWhatEachWordFindsAlone)
{
    const QString text = QStringLiteral(
        "Which of the works, which working class? Homework: a work of art. Art, artwork, arts and \u00c4rger; "
        "which-which whichwhich aaaa a the there then");
    const struct {
        const char* word;
        int flags;
    } words[] = {{"which", kNone},  {"Which", kCase}, {"work", kWhole}, {"work", kStart}, {"art", kNone},
                 {"a", kWhole},     {"aa", kNone},    {"the", kStart},  {"then", kNone},  {"\u00e4rger", kNone},
                 {"art", kWhole | kCase}, {"th", kNone}, {"s", kNone}};
    QList<retrieval::DictionaryWord> dictionary;
    for (const auto& word : words) {
        retrieval::DictionaryWord entry;
        entry.entry = qint32(dictionary.size() + 1);
        entry.category = qint32(dictionary.size() + 1);  // each its own, so none hides another
        entry.word = QString::fromUtf8(word.word);
        entry.wholeWord = word.flags & kWhole;
        entry.caseSensitive = word.flags & kCase;
        entry.wordStart = word.flags & kStart;
        dictionary.append(entry);
    }
    for (const bool stop : {false, true}) {
        g_dictioOptions.SetBool(DictioOption::StopAtFirstHit, stop);
        const retrieval::DictionaryMatcher matcher(dictionary, stop);
        std::vector<retrieval::PendingHit> pending;
        LexicalHit place;
        place.document = 7;
        matcher.Find(text, 0, place, pending);
        LexicalHitList together;
        retrieval::KeepFirstHits(pending, together, nullptr);

        LexicalHitList alone;
        for (const auto& word : dictionary) {
            LexicalSearch search = Search(word.word, text,
                                          (word.wholeWord ? kWhole : 0) | (word.caseSensitive ? kCase : 0) |
                                              (word.wordStart ? kStart : 0),
                                          word.category);
            search.entry = word.entry;
            engine.RunLexicalSearch(search, alone);
        }
        ASSERT_EQ(together.size(), alone.size()) << "stop " << stop;
        for (qsizetype i = 0; i < alone.size(); ++i) {
            EXPECT_EQ(together[i].start, alone[i].start) << i;
            EXPECT_EQ(together[i].end, alone[i].end) << i;
            EXPECT_EQ(together[i].entry, alone[i].entry) << i;
        }
    }
}

}  // namespace
