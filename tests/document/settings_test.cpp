// Project settings: any key and value round-trips through the project file,
// the fixed settings are saved and loaded in their "|" form, and the
// forwarders answer false without a project.

#include "docfixture.h"
#include "foundation/optionsrecord.h"

using namespace doctest;

TEST_F(DocTest, SettingsRoundTripWhateverTheirKeysAndValuesHold)
{
    NewProject();
    const std::pair<QString, QString> settings[] = {
        {QStringLiteral("O'Brien's key"), QStringLiteral("It's 'quoted' and \"double\"")},
        {QStringLiteral("a|b"), QStringLiteral("1|2|3|")},
        {QStringLiteral("Schlüssel Ω"), QStringLiteral("Grüße, 日本語, emoji \U0001F600")},
        {QStringLiteral("semicolon; DROP TABLE [Texts];--"), QStringLiteral("');DELETE FROM sys_Setup;--")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("long"), QString(20000, QLatin1Char('x'))},
    };
    for (const auto& [key, value] : settings)
        ASSERT_TRUE(doc.WriteSettingString(key, value)) << key.toStdString();
    const QByteArray data("\0binary\xff\0data", 13);
    const QByteArray large(100000, 'z');
    ASSERT_TRUE(doc.WriteSettingData(QStringLiteral("LOG"), data));
    ASSERT_TRUE(doc.WriteSettingData(QStringLiteral("big"), large));
    Reopen();

    for (const auto& [key, value] : settings) {
        QString read = QStringLiteral("not read");
        ASSERT_TRUE(doc.ReadSetting(key, read)) << key.toStdString();
        EXPECT_EQ(read, value) << key.toStdString();
    }
    QString read;
    ASSERT_TRUE(doc.ReadSetting(QStringLiteral("SCHLÜSSEL ω"), read));  // keys compare without case
    EXPECT_EQ(read, settings[2].second);
    QByteArray bytes;
    ASSERT_TRUE(doc.ReadSettingData(QStringLiteral("LOG"), bytes));
    EXPECT_EQ(bytes, data);
    ASSERT_TRUE(doc.ReadSettingData(QStringLiteral("big"), bytes));
    EXPECT_EQ(bytes, large);

    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("a|b")));
    ASSERT_TRUE(doc.ReadSetting(QStringLiteral("a|b"), read));
    EXPECT_EQ(read, QString());
}

TEST_F(DocTest, TheFixedSettingsAreStoredAsIdsFollowedByBars)
{
    NewProject();
    ProgramLists& lists = doc.GetProgramLists();
    lists.codingsColorFilter = {3, 17, 4};
    lists.codesColorFilter = {0x00FF00, 0};  // 0 is black
    lists.quickCodes = {12, 5};
    doc.GetRetrievalSettings().enclosingCode = 12;
    doc.GetRetrievalSettings().codeIds = {12, 5};
    doc.SaveProjectSettings();
    const std::pair<const char*, const char*> stored[] = {
        {"ColorCodingsFilter", "3|17|4|"}, {"ColorCodesFilter", "65280|0|"}, {"ColorTextFilter", ""},
        {"Codes2Toolbar", "12|5|"},        {"ProjectMemo", "0"},
    };
    for (const auto& [key, value] : stored) {
        QString read;
        ASSERT_TRUE(doc.ReadSetting(QLatin1String(key), read));
        EXPECT_EQ(read, QLatin1String(value)) << key;
    }
    frame.ExitCommand();
    lists.Clear();
    doc.GetRetrievalSettings().enclosingCode = 0;
    doc.GetRetrievalSettings().codeIds.clear();
    ASSERT_TRUE(frame.OpenCommand(path));
    EXPECT_EQ(lists.codingsColorFilter, (QList<quint32>{3, 17, 4}));
    EXPECT_EQ(lists.codesColorFilter, (QList<quint32>{0x00FF00, 0}));
    EXPECT_TRUE(lists.documentsColorFilter.isEmpty());
    EXPECT_EQ(lists.quickCodes, (QList<qint32>{12, 5}));
    EXPECT_EQ(doc.GetRetrievalSettings().enclosingCode, 12);
    EXPECT_EQ(doc.GetRetrievalSettings().codeIds, (std::vector<qint32>{12, 5}));
}

TEST_F(DocTest, StoredListsLoadOnlyWhatABarEnds)
{
    NewProject();
    const struct {
        const char* stored;
        QList<qint32> loaded;
    } cases[] = {
        {"3|17|4", {3, 17}},
        {"3|17|4|", {3, 17, 4}},
        {"", {}},
        {"|", {}},
        {" 8 |x|9||", {8, 9}},
        {"99999999999|7|", {7}},
    };
    doc.GetProgramLists().quickCodes = {1, 2, 3};
    for (const auto& c : cases) {
        ASSERT_TRUE(doc.WriteSettingString(QStringLiteral("Codes2Toolbar"), QLatin1String(c.stored)));
        doc.LoadProjectSettings();
        EXPECT_EQ(doc.GetProgramLists().quickCodes, c.loaded) << c.stored;
    }
}

TEST_F(DocTest, CodeAliasesFallBackToTheCodesName)
{
    EXPECT_EQ(doc.GetCodeAlias(1), QString());
    EXPECT_FALSE(doc.DeleteCodeAlias(1));
    NewProject();
    const qint32 code = AddCode(QStringLiteral("Short name"));
    EXPECT_EQ(doc.GetCodeAlias(code), QStringLiteral("Short name"));
    const QString longName = QStringLiteral("A name much longer than the sixty-three units that a code name can hold.");
    ASSERT_TRUE(doc.WriteSettingString(QStringLiteral("Alias_Code_%1").arg(code), longName));
    EXPECT_EQ(doc.GetCodeAlias(code), longName);
    EXPECT_TRUE(doc.DeleteCodeAlias(code));
    EXPECT_EQ(doc.GetCodeAlias(code), QStringLiteral("Short name"));
}

TEST_F(DocTest, WithoutAProjectSettingsAreNeitherReadNorWritten)
{
    QString text = QStringLiteral("untouched");
    QByteArray bytes("untouched");
    EXPECT_FALSE(doc.WriteSettingString(QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(doc.ReadSetting(QStringLiteral("k"), text));
    EXPECT_FALSE(doc.DeleteSetting(QStringLiteral("k")));
    EXPECT_FALSE(doc.WriteSettingData(QStringLiteral("k"), bytes));
    EXPECT_FALSE(doc.ReadSettingData(QStringLiteral("k"), bytes));
    EXPECT_EQ(text, QStringLiteral("untouched"));
    doc.SaveProjectSettings();
    doc.GetProgramLists().quickCodes = {4};
    doc.LoadProjectSettings();
    EXPECT_TRUE(doc.GetProgramLists().quickCodes.isEmpty());
}
