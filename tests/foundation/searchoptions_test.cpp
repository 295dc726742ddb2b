// The search options' text form, search patterns and sentences.

#include "foundation/searchsettings.h"

#include <gtest/gtest.h>

TEST(SearchOptions, ParseReadsTheFieldsInOrder)
{
    CSearchOptions options;
    options.ninthFlag = true;
    options.Parse(QStringLiteral("1|0|0|3|1|0|0|0|0|foo|bar||1|"));
    EXPECT_TRUE(options.searchMemos);
    EXPECT_FALSE(options.allTerms);
    EXPECT_EQ(options.distance, 3);
    EXPECT_TRUE(options.wholeWords);
    EXPECT_FALSE(options.ninthFlag);
    EXPECT_EQ(options.terms, (QStringList{"foo", "bar"}));
    EXPECT_EQ(options.operators, QByteArray(1, char(SearchOperator::And)));
}

TEST(SearchOptions, ParseStopsQuietlyAtAMissingBar)
{
    struct Case {
        const char* text;
        bool matchCase;
        bool ninthFlag;
        QStringList terms;
        QByteArray operators;
    };
    // Every case starts from options with all flags set, distance 7 and a
    // term and operator, so what is reset and what is read shows.
    const Case cases[] = {
        {"", false, true, {}, {}},                    // V1 reads the empty rest as 0
        {"0|1|1|5|0|1", true, true, {}, {}},          // ends at V6; V9 keeps its value
        {"0|0|0|1|0|0|0|0|0||", false, false, {}, {}},
        {"0|0|0|1|0|0|0|0|1|alpha", false, true, {"alpha"}, {}},
        {"0|0|0|1|0|0|0|0|0|a|b||2|1", false, false, {"a", "b"}, QByteArray(1, char(2))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CSearchOptions options;
        options.matchCase = options.onlyActivated = options.ninthFlag = true;
        options.distance = 7;
        options.terms = {QStringLiteral("old")};
        options.operators = QByteArray(1, char(1));
        options.Parse(QString::fromLatin1(c.text));
        EXPECT_EQ(options.matchCase, c.matchCase);
        EXPECT_FALSE(options.onlyActivated);
        EXPECT_EQ(options.ninthFlag, c.ninthFlag);
        EXPECT_EQ(options.terms, c.terms);
        EXPECT_EQ(options.operators, c.operators);
    }
    CSearchOptions options;
    options.Parse(QStringLiteral("0|0|0|4"));
    EXPECT_EQ(options.distance, 4);
}

TEST(SearchOptions, FormatReadsBackToTheSameTermsAndOperators)
{
    CSearchOptions options;
    options.allTerms = options.matchCase = options.ninthFlag = true;
    options.distance = 12;
    options.terms = {QStringLiteral("Grüße"), QStringLiteral(""), QStringLiteral("a|b"), QStringLiteral("<(x)")};
    options.operators = QByteArray("\x00\x01\x02", 3);
    const QString text = options.Format();
    EXPECT_EQ(text, QStringLiteral("0|1|0|12|0|1|0|0|1|Grüße| |a b|<(x)||0|1|2|"));

    CSearchOptions read;
    read.Parse(text);
    EXPECT_EQ(read.Format(), text);
    EXPECT_EQ(read.terms.size(), 4);
    EXPECT_EQ(read.operators, options.operators);
}

TEST(SearchPattern, KindsAndParts)
{
    struct Case {
        const char* term;
        SearchPatternKind kind;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"trust", SearchPatternKind::Plain, "", ""},
        {" a * b ", SearchPatternKind::Wildcard, "a", "b"},
        {"*", SearchPatternKind::Plain, "", ""},
        {"mis*", SearchPatternKind::Wildcard, "mis", ""},
        {"*ing", SearchPatternKind::Wildcard, "", "ing"},
        {"a?b*c", SearchPatternKind::Wildcard, "a?b", "c"},   // "*" before "?"
        {"gr?y", SearchPatternKind::OneChar, "gr", "y"},
        {"<(abc)", SearchPatternKind::WordStart, "abc", ""},
        {"(ing)>", SearchPatternKind::WordEnd, "ing", ""},
        {"<()", SearchPatternKind::Plain, "", ""},
        {"<abc>", SearchPatternKind::Plain, "", ""},
        {"(abc)", SearchPatternKind::Plain, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.term);
        QString first = QStringLiteral("x"), second = QStringLiteral("y");
        EXPECT_EQ(SplitSearchPattern(QString::fromLatin1(c.term), first, second), c.kind);
        EXPECT_EQ(first, QString::fromLatin1(c.first));
        EXPECT_EQ(second, QString::fromLatin1(c.second));
    }
}

TEST(Sentences, SplitAtEndsButNotAtAbbreviations)
{
    struct Case {
        const char* text;
        QList<qint32> ranges;
    };
    const Case cases[] = {
        {"", {}},
        {"One. Two! Three?", {0, 3, 5, 8, 10, 15}},
        {"Ask e.g. Anna about it. Then go.", {0, 22, 24, 31}},
        {"\r\n  Line one\rLine two", {4, 12, 13, 21}},
        {"No end", {0, 6}},
        {"Dr. No is here. Yes", {0, 2, 4, 14, 16, 19}},   // a short word before "." still ends one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QList<qint32> ranges;
        SplitSentences(QString::fromLatin1(c.text), ranges);
        EXPECT_EQ(ranges, c.ranges);
    }

    int next = 0;
    const QString text = QStringLiteral("Ask e.g. Anna about it. Yes");
    EXPECT_FALSE(FindSentenceEnd(text, 6, next));   // after "e."
    EXPECT_EQ(next, 8);
    EXPECT_TRUE(FindSentenceEnd(text, 23, next));   // at the end
    EXPECT_EQ(next, -1);

    const QList<qint32> ranges = {0, 3, 5, 8, 10, 15};
    EXPECT_EQ(SentenceOfPosition(0, {}), 0);
    EXPECT_EQ(SentenceOfPosition(99, {0, 3}), 1);
    EXPECT_EQ(SentenceOfPosition(0, ranges), 1);
    EXPECT_EQ(SentenceOfPosition(3, ranges), 1);
    EXPECT_EQ(SentenceOfPosition(4, ranges), 2);
    EXPECT_EQ(SentenceOfPosition(15, ranges), 3);
    EXPECT_EQ(SentenceOfPosition(16, ranges), 0);
}
