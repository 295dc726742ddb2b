// Words of the document: dictionary lookups and dictionary files read
// tolerantly and written whole. The word list itself: wordlist_test.cpp.

#include "objectstest.h"
#include "wordcountoptions.h"

#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QFile>

#include <optional>

using namespace doctest;

namespace {

class WordsTest : public ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        m_options.emplace();
    }
    void TearDown() override
    {
        m_options.reset();
        ObjectsTest::TearDown();
    }
    /// Writes the text as UTF-16 with byte order mark, or as Windows-1252.
    QString File(const QString& text, bool utf16 = true)
    {
        const QString file = dir.file(QStringLiteral("dictionary%1.kvd").arg(++m_files));
        QByteArray bytes;
        if (utf16)
            bytes = QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        else
            bytes = text.toLatin1();
        EXPECT_TRUE(testutil::WriteFile(file, bytes));
        return file;
    }
    QStringList Categories()
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::DictionaryCategories, keys);
        QStringList rows;
        for (const qint32 key : std::as_const(keys)) {
            QStringList fields{QString::number(key)};
            for (qint32 field = 1; field <= 5; ++field)
                fields.append(Value(TopicId::DictionaryCategories, key, field));
            rows.append(fields.join(QLatin1Char('|')));
        }
        return rows;
    }
    QStringList Entries()
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::DictionaryEntries, keys);
        QStringList rows;
        for (const qint32 key : std::as_const(keys)) {
            QStringList fields;
            for (qint32 field = 1; field <= 6; ++field)
                fields.append(Value(TopicId::DictionaryEntries, key, field));
            rows.append(fields.join(QLatin1Char('|')));
        }
        return rows;
    }

private:
    std::optional<WordCountOptions> m_options;
    int m_files = 0;
};

}  // namespace

TEST_F(WordsTest, ADictionaryFileIsReadTolerantlyAndKeysFollowTheTopic)
{
    // Three categories are there already.
    for (int i = 0; i < 3; ++i)
        AddRow(db(), TopicId::DictionaryCategories, {{2, QStringLiteral("Old %1").arg(i)}});
    QList<qint32> made;
    // LF line ends, a last line without an end, a category line without
    // parent (number taken as the previous + 1), a repeated entry, a flag
    // outside 0 and 1, and a TAB-less category line, which keeps the
    // current category (its key is taken: it is refused, its entry joins
    // the category above).
    const QString path = File(QStringLiteral("Feelings\t0\t1\t0\t1\n"
                                             "\tjoy\t5\t1\t0\t7\n"
                                             "\tjoy\t5\t1\t0\t1\n"
                                             "Places\t2\t9\n"
                                             "\tjoy\t3\n"
                                             "Loose\r"
                                             "\tfield"));
    ASSERT_TRUE(doc.ImportTextFile(path, &made));
    EXPECT_TRUE(doc.IsDictionaryLoaded());
    EXPECT_EQ(made, (QList<qint32>{4, 5}));
    EXPECT_EQ(Categories().mid(3), (QStringList{QStringLiteral("4|0|Feelings|4|0|1"), QStringLiteral("5|2|Places|5|0|0")}));
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("4|5|joy|1||"), QStringLiteral("5|3|joy|||"),
                                      QStringLiteral("5|0|field|||")}));
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("PLACES")), 5);
    EXPECT_EQ(doc.FindEntryInCategory(5, QStringLiteral("joy")), db().GetLastKey(TopicId::DictionaryEntries) - 1);
    EXPECT_EQ(doc.FindEntryInCategory(5, QStringLiteral("Joy")), 0);
    EXPECT_EQ(doc.GetEntryCategory(db().GetLastKey(TopicId::DictionaryEntries)), 5);
    QList<qint32> distinct;
    doc.ListDistinctEntries(distinct);
    EXPECT_EQ(distinct.size(), 2);  // "joy" once, by its last entry, and "field"

    // Numbers that would name older categories or overflow the keys take
    // no category, and their entries stay out.
    const qint32 entries = db().GetRowCount(TopicId::DictionaryEntries);
    ASSERT_TRUE(doc.ImportTextFile(File(QStringLiteral("Huge\t0\t2147483647\t0\t0\r\n\tx\r\n"
                                                       "Zero\t0\t0\t0\t0\r\n\ty\r\n"
                                                       "Minus\t0\t-5\t0\t0\r\n\tz\r\n")),
                                   nullptr));
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryCategories), 5);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryEntries), entries);

    // Windows-1252 without a byte order mark; a file that is not there.
    ASSERT_TRUE(doc.ImportTextFile(File(QStringLiteral("Caf\u00E9\t0\t1\t0\t0\r\n\tna\u00EFve\t0\t0\t0\t0\r\n"), false), nullptr));
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("CAF\u00C9")), 6);
    // UTF-8 without a mark, as a dictionary written on Linux is.
    const QString utf8 = dir.file(QStringLiteral("linux.kvd"));
    ASSERT_TRUE(
        testutil::WriteFile(utf8, QStringLiteral("\u00C4pfel\t0\t1\t0\t0\n\tgr\u00FCn\t0\t0\t0\t0\n").toUtf8()));
    ASSERT_TRUE(doc.ImportTextFile(utf8, nullptr));
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("\u00C4pfel")), 7);
    EXPECT_NE(doc.FindEntryInCategory(7, QStringLiteral("gr\u00FCn")), 0);
    EXPECT_FALSE(doc.ImportTextFile(dir.file(QStringLiteral("missing.kvd")), nullptr));
}

TEST_F(WordsTest, AnExportedDictionaryReadsBackTheSame)
{
    const qint32 category = AddRow(db(), TopicId::DictionaryCategories,
                                   {{1, 3}, {2, QStringLiteral("Tab\there")}, {5, 1}});
    AddRow(db(), TopicId::DictionaryEntries, {{1, category}, {2, 4}, {3, QStringLiteral("line\nbreak")}, {4, 1}});
    AddRow(db(), TopicId::DictionaryEntries, {{1, category}, {3, QStringLiteral("plain")}, {6, 1}});
    const QString path = dir.file(QStringLiteral("out.kvd"));
    ASSERT_TRUE(doc.ExportTabbedList(path, {category, category + 50}));
    const QByteArray bytes = testutil::ReadFile(path);
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(text, QStringLiteral("Tab here\t3\t%1\t0\t1\r\n\tline break\t4\t1\t0\t0\r\n\tplain\t0\t0\t0\t1\r\n").arg(category));

    const QStringList before = Entries();
    ASSERT_TRUE(doc.ImportTextFile(path, nullptr));
    EXPECT_EQ(Entries().mid(2), (QStringList{QStringLiteral("%1|4|line break|1||").arg(category + 1),
                                             QStringLiteral("%1|0|plain|||1").arg(category + 1)}));
    EXPECT_FALSE(doc.ExportTabbedList(dir.file(QStringLiteral("no/such/folder/x.kvd")), {category}));
}

TEST_F(WordsTest, OpeningAProjectReadsTheDictionaryFile)
{
    doc.SetDictionaryFile(File(QStringLiteral("Feelings\t0\t1\t0\t0\r\n\tjoy\t0\t0\t0\t0\r\n")));
    Reopen();
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("feelings")), 1);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryEntries), 1);
    Reopen();  // read anew, not added twice
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryCategories), 1);
    doc.SetDictionaryFile(QString());
}

TEST_F(WordsTest, DictionaryFileCasesShiftKeysAndKeepEachWordOncePerCategory)
{
    // Rows are "key|parent|name" and "category|word", keys and parents
    // counted from the largest key the topic held before the read.
    const struct {
        const char* name;
        QString text;
        bool utf16;
        QStringList categories;
        QStringList entries;
    } cases[] = {
        {"ids shifted, parents too, top level stays 0",
         QStringLiteral("A\t0\t1\t0\t0\r\nB\t0\t2\t1\t0\r\n\tb\t0\t0\t0\t0\r\n"), true,
         {"1|0|A", "2|1|B"}, {"2|b"}},
        {"entry line before any category is dropped",
         QStringLiteral("\tlost\t0\t0\t0\t0\r\nA\t0\t1\t0\t0\r\n\tkept\t0\t0\t0\t0\r\n"), true, {"1|0|A"}, {"1|kept"}},
        {"a two-field category line keeps the current category",
         QStringLiteral("A\t0\t1\t0\t0\r\n\tx\r\nB\t7\r\n\ty\r\n"), true, {"1|0|A"}, {"1|x", "1|y"}},
        {"a word twice in one category once, in two categories twice",
         QStringLiteral("A\t0\t1\t0\t0\r\n\tw\r\n\tw\r\nB\t0\t2\t0\t0\r\n\tw\r\n"), true, {"1|0|A", "2|0|B"},
         {"1|w", "2|w"}},
        {"a last line without CR LF is read", QStringLiteral("A\t0\t1\t0\t0\r\n\tlast"), true, {"1|0|A"}, {"1|last"}},
        {"without byte order mark: Windows-1252", QStringLiteral("Gr\u00FC\u00DFe\t0\t1\t0\t0\r\n\t\u00E9t\u00E9\r\n"),
         false, {"1|0|Gr\u00FC\u00DFe"}, {"1|\u00E9t\u00E9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllCategories();
        AddRow(db(), TopicId::DictionaryCategories, {{2, QStringLiteral("Old")}});
        const TopicTable* table = db().GetTable(TopicId::DictionaryCategories);
        const qint32 base = std::max(table->GetLastKey(), table->GetKeyHighWater());
        const qint32 old = table->GetLastKey();
        ASSERT_TRUE(doc.ImportTextFile(File(c.text, c.utf16), nullptr));
        QStringList categories, entries;
        QList<qint32> keys;
        db().GetAllKeys(TopicId::DictionaryCategories, keys);
        for (const qint32 key : std::as_const(keys)) {
            if (key == old)
                continue;
            const qint32 parent = db().GetIntValue(TopicId::DictionaryCategories, key, 4);
            categories.append(QStringLiteral("%1|%2|%3")
                                  .arg(key - base)
                                  .arg(parent ? parent - base : 0)
                                  .arg(Value(TopicId::DictionaryCategories, key, 2)));
        }
        db().GetAllKeys(TopicId::DictionaryEntries, keys);
        for (const qint32 key : std::as_const(keys))
            entries.append(QStringLiteral("%1|%2")
                               .arg(doc.GetEntryCategory(key) - base)
                               .arg(Value(TopicId::DictionaryEntries, key, 3)));
        EXPECT_EQ(categories, c.categories);
        EXPECT_EQ(entries, c.entries);
    }
}

TEST_F(WordsTest, ReplacingTheDictionaryRefusesBadFilesAndChangesNothing)
{
    ASSERT_TRUE(doc.ImportTextFile(File(QStringLiteral("Mine\t0\t1\t0\t0\r\n\tkeep\r\n")), nullptr));
    const QStringList before = Entries();
    const QByteArray junk("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const QString bad = dir.file(QStringLiteral("bad.kvd"));
    ASSERT_TRUE(testutil::WriteFile(bad, junk));
    EXPECT_EQ(doc.ReplaceDictionary(bad, nullptr), CKorDoc::DictionaryRead::NotADictionary);
    EXPECT_EQ(doc.ReplaceDictionary(dir.file(QStringLiteral("none.kvd")), nullptr), CKorDoc::DictionaryRead::NotOpened);
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryCategories), 1);
    EXPECT_EQ(testutil::ReadFile(bad), junk);

    QList<qint32> made;
    EXPECT_EQ(doc.ReplaceDictionary(File(QStringLiteral("New\t0\t1\t0\t0\r\n\tfresh\r\n")), &made),
              CKorDoc::DictionaryRead::Read);
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryCategories), 1);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("%1|0|fresh|||").arg(made.first())});
    // An empty dictionary file is an empty dictionary.
    EXPECT_EQ(doc.ReplaceDictionary(File(QString()), nullptr), CKorDoc::DictionaryRead::Read);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryCategories), 0);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryEntries), 0);
}

TEST_F(WordsTest, WordsAddedToACategoryKeepEachWordOnce)
{
    const qint32 category = AddRow(db(), TopicId::DictionaryCategories, {{2, QStringLiteral("C")}});
    EXPECT_NE(doc.AddCategoryEntry(category, QStringLiteral("there")), 0);
    const QList<qint32> added =
        doc.AddCategoryEntries(category, {QStringLiteral("there"), QStringLiteral(" new "), QStringLiteral("new"),
                                          QString(), QStringLiteral("There")});
    EXPECT_EQ(added.size(), 2);
    EXPECT_EQ(doc.FindEntryInCategory(category, QStringLiteral("new")), added.first());
    EXPECT_TRUE(doc.AddCategoryEntries(category + 99, {QStringLiteral("x")}).isEmpty());
}
