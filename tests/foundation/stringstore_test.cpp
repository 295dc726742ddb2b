#include "foundation/stringstore.h"

#include "common/testutil.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// A small language table with only the columns a test needs.
QString MakeTable(const testutil::TempDir& dir, const QString& columns, const QStringList& rows)
{
    const QString path = dir.file(QStringLiteral("strings.str"));
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    QString sql = QStringLiteral("CREATE TABLE [tabStrings]([ID] INTEGER, [Reference] TEXT, [Section] TEXT, %1);")
                      .arg(columns);
    for (const QString& row : rows)
        sql += QStringLiteral("INSERT INTO [tabStrings] VALUES(%1);").arg(row);
    EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sql.toStdString();
    sqlite3_close(db);
    return path;
}

class StringStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = MakeTable(dir, QStringLiteral("[GER] TEXT, [ENG] TEXT, [FRA] TEXT"),
                         {QStringLiteral("12, 'r', 's', 'Zwölf', 'Twelve', NULL"),
                          QStringLiteral("33500, 'r', 's', 'Befehl', 'Command', 'Commande'"),
                          QStringLiteral("102032, 'r', 's', 'Drucken', 'Print', ''"),
                          QStringLiteral("7, 'r', 's', NULL, 'Only English', NULL")});
    }
    testutil::TempDir dir;
    QString path;
};

}  // namespace

TEST(LanguageCodes, IndexesOutsideTheTableReadGerman)
{
    const std::pair<int, const char*> cases[] = {{0, "GER"},  {1, "ENG"},   {4, "JPN"}, {6, "CHINS"},
                                                 {14, "CZE"}, {15, "GER"}, {-1, "GER"}};
    for (const auto& [index, code] : cases)
        EXPECT_EQ(LanguageCodeName(index), QString::fromLatin1(code)) << index;
}

TEST_F(StringStoreTest, TextsByIdWithEnglishFallback)
{
    CStringStore store;
    ASSERT_TRUE(store.Open(path, 0)) << store.LastError().toStdString();
    EXPECT_EQ(store.GetString(12), QString::fromUtf8("Zwölf"));
    EXPECT_EQ(store.GetString(7), QStringLiteral("Only English"));
    EXPECT_EQ(store.GetString(999), QString());

    // Command ids map to their own text ids only when asked.
    EXPECT_EQ(store.GetString(33500, 1), QStringLiteral("Drucken"));
    EXPECT_EQ(store.GetString(33500, 0), QStringLiteral("Befehl"));

    // An empty text in the chosen language falls back too.
    ASSERT_TRUE(store.Open(path, 3));
    EXPECT_EQ(store.GetString(102032), QStringLiteral("Print"));
    EXPECT_EQ(store.GetString(33500), QStringLiteral("Commande"));

    // A language without a column reads English.
    ASSERT_TRUE(store.Open(path, 9));
    EXPECT_EQ(store.GetString(12), QStringLiteral("Twelve"));

    store.Close();
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(store.GetString(12), QString());
}

TEST_F(StringStoreTest, MissingOrDamagedFileFailsWithAReason)
{
    CStringStore store;
    EXPECT_FALSE(store.Open(dir.file(QStringLiteral("none.str")), 1));
    EXPECT_FALSE(store.LastError().isEmpty());

    const QString junk = dir.file(QStringLiteral("junk.str"));
    ASSERT_TRUE(testutil::WriteFile(junk, QByteArray(4096, 'x')));
    EXPECT_FALSE(store.Open(junk, 1));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_FALSE(store.LastError().isEmpty());

    // A valid database without the table is no language file either.
    testutil::TempDir other;
    const QString empty = MakeTable(other, QStringLiteral("[ENG] TEXT"), {});
    sqlite3* db = nullptr;
    sqlite3_open(empty.toUtf8().constData(), &db);
    sqlite3_exec(db, "DROP TABLE tabStrings; CREATE TABLE t(x);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_FALSE(store.Open(empty, 1));
}

TEST_F(StringStoreTest, TheTableIsOnlyRead)
{
    CStringStore store;
    ASSERT_TRUE(store.Open(path, 1));
    EXPECT_FALSE(store.InsertString(50, QStringLiteral("it's"), QStringLiteral("s"), QStringLiteral("x")));
    EXPECT_FALSE(store.UpdateString(12, QStringLiteral("changed")));
    EXPECT_EQ(store.GetString(12), QStringLiteral("Twelve"));
}

TEST_F(StringStoreTest, TranslateCaption)
{
    struct Case {
        QString caption;
        bool replaced;
        QString result;
    };
    const Case cases[] = {
        {QStringLiteral("  @str12  | Fallback "), true, QStringLiteral("Twelve")},
        {QStringLiteral("@STR999|Fallback"), true, QString()},
        {QStringLiteral("@STR0|Fallback"), false, QStringLiteral("@STR0")},
        {QStringLiteral("@STRabc"), false, QStringLiteral("@STRabc")},
        {QStringLiteral("  Plain caption "), false, QStringLiteral("Plain caption")},
        {QStringLiteral("@STR99999999999999|x"), true, QString()},
    };
    CStringStore store;
    ASSERT_TRUE(store.Open(path, 1));
    for (const Case& c : cases) {
        QString caption = c.caption;
        EXPECT_EQ(store.TranslateCaption(caption), c.replaced) << c.caption.toStdString();
        EXPECT_EQ(caption, c.result) << c.caption.toStdString();
    }
    store.Close();
    QString caption = QStringLiteral("@STR12|x");
    EXPECT_FALSE(store.TranslateCaption(caption));
    EXPECT_EQ(caption, QStringLiteral("@STR12|x"));
}

TEST(StringSource, ShortcutsAndCommandTexts)
{
    CStringStore store;   // closed: the maps are filled by Load alone
    store.Load(QString(), 1);
    const std::pair<int, const char*> shortcuts[] = {
        {20135, "Alt+DblClick"}, {20056, "Alt+N"}, {1171, "Del"}, {23001, "Ctrl+M"}, {6, "Ctrl+Alt+N"}, {12345, ""}};
    for (const auto& [command, keys] : shortcuts)
        EXPECT_EQ(store.GetShortcutText(command), QString::fromLatin1(keys)) << command;

    const std::pair<int, int> commands[] = {{33500, 102032}, {33507, 102039}, {6020, 516},   {6037, 533},
                                            {30216, 102105}, {1095, 100475},  {39011, 102294}, {555, 555}};
    for (auto [command, text] : commands) {
        int id = command;
        store.MapCommandId(id);
        EXPECT_EQ(id, text) << command;
    }
}

TEST(UnescapeText, ReplacementsInOrder)
{
    struct Case {
        const char* input;
        bool crlf;
        const char* output;
    };
    const Case cases[] = {
        {"a\\r\\nb", false, "a\rb"},   {"a\\r\\nb", true, "a\r\nb"}, {"a\\nb", true, "a\r\nb"},
        {"a\\nb", false, "a\rb"},      {"a\\tb", false, "a\tb"},     {"say \\\"hi\\\"", false, "say \"hi\""},
        {"no escapes", true, "no escapes"},
    };
    for (const Case& c : cases) {
        QString text = QString::fromLatin1(c.input);
        UnescapeText(text, c.crlf);
        EXPECT_EQ(text, QString::fromLatin1(c.output)) << c.input;
    }
}

TEST(BuiltLanguageTable, OpensAndHoldsEnglishAndGerman)
{
    CStringStore store;
    for (int language : {0, 1}) {
        ASSERT_TRUE(store.Open(testutil::StringTablePath(), language)) << store.LastError().toStdString();
        EXPECT_FALSE(store.GetString(1).isEmpty());
    }
}
