// The word list on its own: separators, the sorted list, word counts with
// their limits, and the dictionary file's fallback.

#include "document/wordlist.h"

#include "common/testutil.h"
#include "document/wordcounts.h"
#include "foundation/programpaths.h"
#include "wordcountoptions.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class WordListTest : public ::testing::Test {
protected:
    doctest::WordCountOptions options;
    WordList list;
    testutil::TempDir dir;
};

}  // namespace

TEST_F(WordListTest, SeparatorsBecomeBlanksAndTheListStaysSortedAndUnique)
{
    QString text = QStringLiteral("Hello,World\tÄRGER");
    RemoveSeparators(text, true);
    EXPECT_EQ(text, QStringLiteral("hello world ärger "));

    list.SetWords(QStringLiteral("The and THE, the."), false);
    EXPECT_EQ(list.Words(), (QStringList{QStringLiteral("and"), QStringLiteral("the")}));
    qsizetype position = -1;
    EXPECT_FALSE(list.FindWordPosition(QStringLiteral("The"), &position));
    EXPECT_EQ(position, 1);
    EXPECT_TRUE(list.FindWordPosition(QStringLiteral("Be"), &position));
    EXPECT_EQ(position, 1);
    EXPECT_TRUE(list.FindWordInList(u"BE"));
    list.SetOn(false);
    EXPECT_FALSE(list.FindWordInList(u"be"));
    list.SetOn(true);
    EXPECT_TRUE(list.RemoveWord(QStringLiteral("AND")));
    EXPECT_FALSE(list.RemoveWord(QStringLiteral("and")));
    list.SetWords(QStringLiteral("zoo"), true);
    EXPECT_EQ(list.Words(), (QStringList{QStringLiteral("be"), QStringLiteral("the"), QStringLiteral("zoo")}));
}

TEST_F(WordListTest, WordsAreCountedWithinTheirLimitsAndWithoutListedWords)
{
    list.SetWords(QStringLiteral("the"), false);
    const QString word63(63, QLatin1Char('w')), word64(64, QLatin1Char('v'));
    QString text = QStringLiteral("The cat, the CAT; 42 l'eau \u0645\u0631\u062D\u0628\u0627 ") + word63 + u' ' + word64 +
                   QStringLiteral(" (cat)");
    WordCounts words, all;
    EXPECT_EQ(list.CountWords(text, words, &all, true), 7);
    EXPECT_EQ(words.value(QStringLiteral("cat")), 3);
    EXPECT_EQ(words.value(QStringLiteral("42")), 1);
    EXPECT_EQ(words.value(QStringLiteral("l'eau")), 1);
    EXPECT_EQ(words.value(QStringLiteral("\u0645\u0631\u062D\u0628\u0627")), 1);
    EXPECT_EQ(words.value(word63), 1);
    EXPECT_FALSE(words.contains(word64));
    EXPECT_FALSE(words.contains(QStringLiteral("the")));
    EXPECT_EQ(all, words);

    // Presence: new words enter with 0, known ones keep their value.
    QString again = QStringLiteral("cat dog dog");
    EXPECT_EQ(list.CountWords(again, words, nullptr, false), 3);
    EXPECT_EQ(words.value(QStringLiteral("cat")), 3);
    EXPECT_EQ(words.value(QStringLiteral("dog"), -1), 0);

    // A list switched off lets its words be counted.
    list.SetOn(false);
    QString listed = QStringLiteral("the");
    WordCounts more;
    EXPECT_EQ(list.CountWords(listed, more, nullptr, true), 1);

    EXPECT_EQ(WordList::CountTextWords(QStringLiteral("a bb, ccc ") + word63 + u' ' + word64), 3);
}

TEST_F(WordListTest, ManyDistinctWordsKeepTheirCountsAcrossTexts)
{
    // Enough words to make the table grow several times between texts.
    WordCounts words;
    for (int round = 1; round <= 2; ++round) {
        QString text;
        for (int i = 0; i < 5000; ++i)
            text += QStringLiteral("w%1 ").arg(i % 2500);
        EXPECT_EQ(list.CountWords(text, words, nullptr, true), 5000);
        EXPECT_EQ(words.size(), 2500);
        for (int i = 0; i < 2500; i += 97)
            EXPECT_EQ(words.value(QStringLiteral("w%1").arg(i)), 2 * round) << i;
    }
    EXPECT_FALSE(words.contains(u"w2500"));
}

TEST_F(WordListTest, TheDictionaryFileFallsBackToTheDefaultWithoutCreatingAnything)
{
    const QString saved = g_program.SettingsFolder;
    g_program.SettingsFolder = dir.path() + QStringLiteral("/settings/");
    const QString fallback = g_program.SettingsFolder + QStringLiteral("Default.kvd");
    const QString existing = dir.file(QStringLiteral("mine.kvd"));
    ASSERT_TRUE(testutil::WriteFile(existing, "x"));
    const struct {
        QString name;
        QString result;
    } cases[] = {
        {QString(), fallback},
        {existing, existing},
        {dir.file(QStringLiteral("new.kvd")), dir.file(QStringLiteral("new.kvd"))},  // may be made
        {dir.file(QStringLiteral("no/folder/x.kvd")), fallback},
    };
    for (const auto& c : cases) {
        list.SetDictionaryFile(c.name);
        list.EnsureDictionaryFile();
        EXPECT_EQ(list.DictionaryFile(), c.result) << c.name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("new.kvd"))));
    g_program.SettingsFolder = saved;
}
