// Words of the document: dictionary lookups and dictionary files read
// tolerantly and written whole. The word list itself: wordlist_test.cpp.

#include "objectstest.h"
#include "wordcountoptions.h"

#include "store/topicdatabase.h"

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
    // outside 0 and 1, and a TAB-less category line.
    const QString path = File(QStringLiteral("Feelings\t0\t1\t0\t1\n"
                                             "\tjoy\t5\t1\t0\t7\n"
                                             "\tjoy\t5\t1\t0\t1\n"
                                             "Places\t2\t9\n"
                                             "\tjoy\t3\n"
                                             "Loose\r"
                                             "\tfield"));
    ASSERT_TRUE(doc.ImportTextFile(path, &made));
    EXPECT_TRUE(doc.IsDictionaryLoaded());
    EXPECT_EQ(made, (QList<qint32>{4, 5, 6}));
    EXPECT_EQ(Categories().mid(3), (QStringList{QStringLiteral("4|0|Feelings|4|0|1"), QStringLiteral("5|2|Places|5|0|0"),
                                                QStringLiteral("6|0|Loose|6|0|0")}));
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("4|5|joy|1||"), QStringLiteral("5|3|joy|||"),
                                      QStringLiteral("6|0|field|||")}));
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("PLACES")), 5);
    EXPECT_EQ(doc.FindEntryInCategory(5, QStringLiteral("joy")), db().GetLastKey(TopicId::DictionaryEntries) - 1);
    EXPECT_EQ(doc.FindEntryInCategory(5, QStringLiteral("Joy")), 0);
    EXPECT_EQ(doc.GetEntryCategory(db().GetLastKey(TopicId::DictionaryEntries)), 6);
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
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryCategories), 6);
    EXPECT_EQ(db().GetRowCount(TopicId::DictionaryEntries), entries);

    // Windows-1252 without a byte order mark; a file that is not there.
    ASSERT_TRUE(doc.ImportTextFile(File(QStringLiteral("Caf\u00E9\t0\t1\t0\t0\r\n\tna\u00EFve\t0\t0\t0\t0\r\n"), false), nullptr));
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("CAF\u00C9")), 7);
    // UTF-8 without a mark, as a dictionary written on Linux is.
    const QString utf8 = dir.file(QStringLiteral("linux.kvd"));
    ASSERT_TRUE(
        testutil::WriteFile(utf8, QStringLiteral("\u00C4pfel\t0\t1\t0\t0\n\tgr\u00FCn\t0\t0\t0\t0\n").toUtf8()));
    ASSERT_TRUE(doc.ImportTextFile(utf8, nullptr));
    EXPECT_EQ(doc.FindCategoryByName(QStringLiteral("\u00C4pfel")), 8);
    EXPECT_NE(doc.FindEntryInCategory(8, QStringLiteral("gr\u00FCn")), 0);
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
