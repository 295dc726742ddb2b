#include "platform/profile/privateprofile.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

TEST(PrivateProfile, ReadsWithPrivateProfileRules)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("Settings.ini"));
    ASSERT_TRUE(testutil::WriteFile(path, "\xEF\xBB\xBF; a comment\r\n[Basic]\r\nPortable = 1 \r\nLangMain=-3\r\n"
                                          "langmain=5\r\n[Project]\r\nOptions=\"0|1|2\"\r\nName = a=b\r\n"
                                          "Count=12abc\r\nText=abc\r\nBig=99999999999\r\n"));
    const PrivateProfile profile(path);
    struct Case {
        const char* section;
        const char* key;
        const char* text;   // GetString with default "d"
        int number;         // GetInt with default 7
    };
    const Case cases[] = {
        {"basic", "PORTABLE", "1", 1}, {"Basic", "LangMain", "-3", -3},     {"Project", "Options", "0|1|2", 0},
        {"Project", "Name", "a=b", 0}, {"Project", "Count", "12abc", 12},   {"Project", "Text", "abc", 0},
        {"Project", "Big", "99999999999", 2147483647},                      {"Project", "Portable", "d", 7},
        {"Missing", "Key", "d", 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(profile.GetString(QLatin1String(c.section), QLatin1String(c.key), QStringLiteral("d")),
                  QLatin1String(c.text))
            << c.key;
        EXPECT_EQ(profile.GetInt(QLatin1String(c.section), QLatin1String(c.key), 7), c.number) << c.key;
    }
    EXPECT_EQ(PrivateProfile(dir.file(QStringLiteral("none.ini"))).GetInt(QStringLiteral("Basic"), QStringLiteral("x"), 4),
              4);

    // Written on Windows in its code page, or as UTF-8 without a mark.
    for (const QByteArray& bytes : {QByteArray("[Basic]\r\nFolder=C:\\Caf\xE9\r\n"),
                                    QStringLiteral("[Basic]\nFolder=C:\\Caf\u00E9\n").toUtf8()}) {
        ASSERT_TRUE(testutil::WriteFile(path, bytes));
        EXPECT_EQ(PrivateProfile(path).GetString(QStringLiteral("Basic"), QStringLiteral("Folder"), {}),
                  QStringLiteral("C:\\Caf\u00E9"));
    }
}

TEST(PrivateProfile, WritesKeepEverythingElse)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("KORVAN10.ini"));
    PrivateProfile profile(path);
    ASSERT_TRUE(profile.WriteString(QStringLiteral("Project"), QStringLiteral("Options"), QStringLiteral("1|2")));
    ASSERT_TRUE(testutil::WriteFile(path, testutil::ReadFile(path) + "; kept\n[Dir]\nExport=/tmp\n"));
    ASSERT_TRUE(profile.WriteString(QStringLiteral("project"), QStringLiteral("options"), QStringLiteral("3|4")));
    ASSERT_TRUE(profile.WriteInt(QStringLiteral("Project"), QStringLiteral("Count"), 5));
    ASSERT_TRUE(profile.WriteInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), 0));
    EXPECT_EQ(testutil::ReadFile(path),
              QByteArray("[Project]\nOptions=3|4\nCount=5\n; kept\n[Dir]\nExport=/tmp\n[Basic]\nLangMain=0\n"));

    ASSERT_TRUE(profile.KeepOnlySection(QStringLiteral("basic")));
    EXPECT_EQ(testutil::ReadFile(path), QByteArray("[Basic]\nLangMain=0\n"));

    PrivateProfile nowhere(dir.file(QStringLiteral("missing/x.ini")));
    EXPECT_FALSE(nowhere.WriteString(QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")));
}
