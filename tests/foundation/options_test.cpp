#include "foundation/options.h"

#include "foundation/ids.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/xmldoc.h"

#include "common/testutil.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

CPropertyList* SetByTitle(const char* title)
{
    for (CPropertyList* set : {&g_qdaOptions, &g_dictioOptions, &g_mapsOptions, &g_prnexpOptions})
        if (set->GetTitle() == QLatin1String(title))
            return set;
    return nullptr;
}

CPropertyRecord Record(const char* set, qint32 id)
{
    CPropertyRecord record;
    const CPropertyList* list = SetByTitle(set);
    EXPECT_TRUE(list && list->GetAt(list->FindIndex(id), record)) << set << " " << id;
    return record;
}

// Options built over an options file in a temporary folder.
class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = g_program;
        g_program.SettingsFolder = dir.path() + u'/';
        g_program.OptionsFilePath = dir.file(QStringLiteral("KORVAN10.prp"));
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = saved;
    }
    void Build(const QByteArray& file)
    {
        ASSERT_TRUE(testutil::WriteFile(g_program.OptionsFilePath, file));
        BuildOptionDefinitions();
    }

    testutil::TempDir dir;
    ProgramPaths saved;
};

}  // namespace

TEST_F(OptionsTest, DefinitionsAndDefaults)
{
    BuildOptionDefinitions();   // no options file yet
    struct Case {
        const char* set;
        qint32 id;
        PropertyType type;
        const char* value;
        bool visible;
        qint32 group;
    };
    const Case cases[] = {
        {"qda", 1, PropertyType::Group, "", true, 1},
        {"qda", QdaOption::AskBeforeDeleting, PropertyType::Boolean, "1", false, 1},
        {"qda", QdaOption::DefaultWeight, PropertyType::Integer, "0", false, 1},
        {"qda", QdaOption::QuickCodeCount, PropertyType::Integer, "20", false, 1},
        {"qda", QdaOption::ExternalsFolder, PropertyType::Folder, "", true, 1},
        {"qda", QdaOption::FrequenciesWithSubcodes, PropertyType::Boolean, "1", true, 1},
        {"qda", 18, PropertyType::Group, "", false, 18},
        {"qda", QdaOption::LargeFileQuestionMB, PropertyType::Integer, "5", false, 18},
        {"qda", QdaOption::ExcelFormat, PropertyType::Choice, "0", true, 20},
        {"qda", QdaOption::BackupDays, PropertyType::Integer, "14", true, 23},
        {"qda", QdaOption::MediaRate, PropertyType::Real, "1.00", false, 27},
        {"dictio", DictioOption::WordSeparators, PropertyType::Text, "@!§$%&/()=?^°'´`\"{}[]\\#+*_.:,;<>~", true, 1},
        {"dictio", DictioOption::ValidationFile, PropertyType::Text, "Validate.rtf", true, 5},
        {"maps", MapsOption::PictureQuality, PropertyType::Choice, "1", true, 1},
        {"maps", MapsOption::LinkDocuments, PropertyType::Boolean, "1", true, 1},
        {"prnexp", PrnexpOption::FooterAlignment, PropertyType::Choice, "1", true, 4},
        {"prnexp", PrnexpOption::CodeColumnWidth, PropertyType::Choice, "1", true, 7},
    };
    for (const Case& c : cases) {
        const CPropertyRecord r = Record(c.set, c.id);
        EXPECT_EQ(r.GetType(), c.type) << c.set << " " << c.id;
        EXPECT_EQ(r.GetValue(), QString::fromUtf8(c.value)) << c.set << " " << c.id;
        EXPECT_EQ(r.IsVisible(), c.visible) << c.set << " " << c.id;
        EXPECT_EQ(r.GetGroup(), c.group) << c.set << " " << c.id;
        EXPECT_FALSE(r.GetName().isEmpty()) << c.set << " " << c.id;   // caption from the language table
    }
    EXPECT_EQ(GetWordSeparators(false).size(), 33);
    EXPECT_EQ(g_qdaOptions.GetCount(), 31);
    EXPECT_EQ(g_dictioOptions.GetCount(), 10);
    EXPECT_EQ(g_mapsOptions.GetCount(), 4);
    EXPECT_EQ(g_prnexpOptions.GetCount(), 8);
    EXPECT_EQ(Record("qda", QdaOption::DefaultWeight).GetMaximum(), 100);
    EXPECT_EQ(Record("maps", MapsOption::PictureQuality).GetStringItem(0), LoadString(101060));
    EXPECT_EQ(Record("qda", QdaOption::ExcelFormat).GetStringItem(1), QStringLiteral("XLSX"));
    EXPECT_EQ(g_dictioOptions.GetString(DictioOption::DictionaryFolder), dir.path());
    EXPECT_DOUBLE_EQ(g_qdaOptions.GetDouble(QdaOption::MediaRate), 1.0);
    for (CPropertyList* set : {&g_qdaOptions, &g_dictioOptions, &g_mapsOptions, &g_prnexpOptions})
        EXPECT_FALSE(set->IsModified()) << set->GetTitle().toStdString();
}

TEST_F(OptionsTest, SaveAndLoadRoundTrip)
{
    BuildOptionDefinitions();
    g_qdaOptions.SetInt(QdaOption::DefaultWeight, 55);
    g_qdaOptions.SetString(QdaOption::ExternalsFolder, QStringLiteral("/data/ext <&> \"x\""));
    g_qdaOptions.SetDouble(QdaOption::MediaRate, 1.5);
    g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, false);
    g_dictioOptions.SetString(DictioOption::WordSeparators, QStringLiteral("äö§"));
    g_mapsOptions.SetInt(MapsOption::PictureQuality, 3);
    g_prnexpOptions.SetString(PrnexpOption::HeaderText, QStringLiteral("  Kopf\r\nzeile  "));
    QString error;
    ASSERT_TRUE(SaveOptionsFile(&error)) << error.toStdString();

    const QByteArray file = testutil::ReadFile(g_program.OptionsFilePath);
    EXPECT_TRUE(file.startsWith("\xEF\xBB\xBF<KORVAN>\r\n<PROPERTIES id=\"qda\">\r\n<PROPERTY id=\"2\">0</PROPERTY>"))
        << file.left(80).toStdString();
    EXPECT_EQ(file.count("<PROPERTIES "), 4);
    EXPECT_FALSE(file.contains("<PROPERTY id=\"1\""));   // groups are not written
    EXPECT_TRUE(file.contains("<PROPERTY id=\"28\">1.50</PROPERTY>"));

    BuildOptionDefinitions();   // defaults, then the file over them
    EXPECT_EQ(g_qdaOptions.GetInt(QdaOption::DefaultWeight), 55);
    EXPECT_EQ(g_qdaOptions.GetString(QdaOption::ExternalsFolder), QStringLiteral("/data/ext <&> \"x\""));
    EXPECT_EQ(g_qdaOptions.GetString(QdaOption::MediaRate), QStringLiteral("1.50"));
    EXPECT_FALSE(g_qdaOptions.GetBool(QdaOption::AskBeforeDeleting));
    EXPECT_EQ(GetWordSeparators(true), QStringLiteral("äö§\n\r\t\v"));
    EXPECT_EQ(g_mapsOptions.GetInt(MapsOption::PictureQuality), 3);
    EXPECT_EQ(g_prnexpOptions.GetString(PrnexpOption::HeaderText), QStringLiteral("  Kopf\r\nzeile  "));
    EXPECT_FALSE(g_qdaOptions.IsModified());
}

TEST_F(OptionsTest, DamagedFilesLoadWhatTheyCan)
{
    struct Case {
        const char* name;
        QByteArray file;
        qint32 weight;          // qda 8
        const char* excel;      // qda 22
        bool ask;               // qda 2
        const char* header;     // prnexp 2
    };
    const QByteArray head = "\xEF\xBB\xBF<KORVAN>\r\n<PROPERTIES id=\"QDA\">\r\n";
    const Case cases[] = {
        {"not markup", QByteArray("\x00\x01\xFF garbage", 12), 0, "0", true, ""},
        {"another root", "<OTHER><PROPERTIES id=\"qda\"><PROPERTY id=\"8\">5</PROPERTY></PROPERTIES></OTHER>", 0, "0",
         true, ""},
        {"cut off in the middle", head + "<PROPERTY id=\"8\">7</PROPERTY>\r\n<PROPERTY id=\"2\">0</PROP", 7, "0", false,
         ""},
        {"values that do not fit", head + "<PROPERTY id=\"8\">abc</PROPERTY><PROPERTY id=\"22\">7</PROPERTY>"
                                          "<PROPERTY id=\"2\">2</PROPERTY><PROPERTY id=\"28\">x</PROPERTY>",
         0, "0", true, ""},
        {"out of range", head + "<PROPERTY id=\"8\">250</PROPERTY><PROPERTY id=\"22\">1</PROPERTY>", 100, "1", true,
         ""},
        {"unknown and missing ids", head + "<PROPERTY id=\"99\">1</PROPERTY><PROPERTY>3</PROPERTY>"
                                           "<PROPERTY id=\"1\">x</PROPERTY></PROPERTIES>"
                                           "<PROPERTIES id=\"other\"><PROPERTY id=\"8\">9</PROPERTY></PROPERTIES>"
                                           "<PROPERTIES id=\"prnexp\"><PROPERTY id=\"2\">&lt;top&gt;</PROPERTY>",
         0, "0", true, "<top>"},
        {"unbalanced markup", head + "<PROPERTY id=\"8\"><b>1</PROPERTY><PROPERTY id=\"8\">9</x></PROPERTY>", 9, "0",
         true, ""},
    };
    for (const Case& c : cases) {
        Build(c.file);
        EXPECT_EQ(g_qdaOptions.GetInt(QdaOption::DefaultWeight), c.weight) << c.name;
        EXPECT_EQ(g_qdaOptions.GetString(QdaOption::ExcelFormat), QLatin1String(c.excel)) << c.name;
        EXPECT_EQ(g_qdaOptions.GetBool(QdaOption::AskBeforeDeleting), c.ask) << c.name;
        EXPECT_EQ(g_qdaOptions.GetString(QdaOption::MediaRate), QStringLiteral("1.00")) << c.name;
        EXPECT_EQ(g_prnexpOptions.GetString(PrnexpOption::HeaderText), QLatin1String(c.header)) << c.name;
        EXPECT_FALSE(g_qdaOptions.IsModified()) << c.name;
    }
}

TEST_F(OptionsTest, FailedSaveIsReported)
{
    BuildOptionDefinitions();
    g_qdaOptions.SetInt(QdaOption::DefaultWeight, 20);
    g_program.OptionsFilePath = dir.file(QStringLiteral("missing/KORVAN10.prp"));
    QString error;
    EXPECT_FALSE(SaveOptionsFile(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(g_qdaOptions.IsModified());   // still to be saved

    g_program.OptionsFilePath.clear();   // no options file in use: nothing to do
    EXPECT_TRUE(SaveOptionsFile(&error));
    EXPECT_FALSE(LoadOptionsFile());
}

TEST_F(OptionsTest, SettersMarkOnlyRealChanges)
{
    BuildOptionDefinitions();
    g_qdaOptions.SetInt(QdaOption::BackupDays, 14);   // the value it has
    EXPECT_FALSE(g_qdaOptions.IsModified());
    EXPECT_FALSE(g_qdaOptions.IsItemModified(QdaOption::BackupDays));
    g_qdaOptions.SetBool(QdaOption::LargeFonts, false);
    EXPECT_FALSE(g_qdaOptions.IsModified());
    g_qdaOptions.SetInt(9999, 1);   // no such option
    EXPECT_FALSE(g_qdaOptions.IsModified());

    g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, false);
    EXPECT_EQ(g_qdaOptions.GetString(QdaOption::AskBeforeDeleting), QStringLiteral("0"));
    EXPECT_TRUE(g_qdaOptions.IsModified());
    EXPECT_TRUE(g_qdaOptions.IsItemModified(QdaOption::AskBeforeDeleting));
    g_qdaOptions.SetValueText(QdaOption::LargeFonts, QStringLiteral("2"));
    EXPECT_TRUE(g_qdaOptions.GetBool(QdaOption::LargeFonts));
    EXPECT_FALSE(g_qdaOptions.IsItemModified(QdaOption::LargeFonts));
    g_qdaOptions.ClearModified();
    EXPECT_FALSE(g_qdaOptions.IsModified() || g_qdaOptions.IsItemModified(QdaOption::AskBeforeDeleting));

    // Blanks leave the separators; taking them out is a change to save.
    g_dictioOptions.SetString(DictioOption::WordSeparators, QStringLiteral(" . , "));
    g_dictioOptions.ClearModified();
    ApplyWordSeparators();
    EXPECT_EQ(GetWordSeparators(true), QStringLiteral(".,\n\r\t\v"));
    EXPECT_TRUE(g_dictioOptions.IsModified());
    EXPECT_TRUE(IsWordSeparator(u'\v') && IsWordSeparator(u','));
    EXPECT_TRUE(IsWordSeparator(u' ')) << "the blank separates words whatever the option holds";
    EXPECT_FALSE(IsWordSeparator(u'a'));

    EXPECT_EQ(g_qdaOptions.GetInt(12345), 0);
    EXPECT_EQ(g_qdaOptions.GetString(12345), QString());
    EXPECT_FALSE(g_qdaOptions.GetDateTime(12345).isValid());
}

TEST(PropertyValues, TextForms)
{
    CPropertyRecord real(1, 1, QStringLiteral("r"), PropertyType::Real);
    real.SetDecimals(3);
    real.SetDouble(2.5);
    EXPECT_EQ(real.GetValue(), QStringLiteral("2.500"));
    const std::pair<const char*, double> doubles[] = {{"1.25", 1.25}, {" -3.5e2x", -350}, {"7,5", 7}, {"abc", 0}, {"", 0}};
    for (const auto& [text, value] : doubles) {
        real.SetString(QLatin1String(text));
        EXPECT_DOUBLE_EQ(real.GetDoubleValue(), value) << text;
    }
    const std::pair<const char*, qint32> ints[] = {{"42", 42}, {" -7abc", -7}, {"x1", 0}, {"99999999999", INT_MAX}};
    for (const auto& [text, value] : ints) {
        real.SetString(QLatin1String(text));
        EXPECT_EQ(real.GetIntValue(), value) << text;
    }

    const QDateTime moment(QDate(2024, 1, 13), QTime(9, 5, 7));
    EXPECT_EQ(FormatPropertyDateTime(moment), QStringLiteral("20240113090507"));
    EXPECT_EQ(FormatPropertyDateTime(moment, true), QStringLiteral("20240113000000"));
    EXPECT_EQ(FormatPropertyDateTime(QDateTime()), QString());
    EXPECT_EQ(ParsePropertyDateTime(QStringLiteral("20240113090507")), moment);
    const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
    EXPECT_EQ(ParsePropertyDateTime(QStringLiteral("2024011309050")), zero);   // 13 characters
    EXPECT_EQ(ParsePropertyDateTime(QString()), zero);
    CPropertyRecord date(2, 1, QStringLiteral("d"), PropertyType::Date);
    date.SetDateTime(moment);
    EXPECT_EQ(date.GetValue(), QStringLiteral("20240113000000"));

    CPropertyRecord list(3, 1, QStringLiteral("l"), PropertyType::IntegerList);
    list.AddIntItem(7);
    list.SetRange(116, 4, 0);
    qint32 first = 0;
    qint32 second = 0;
    list.GetRange(first, second);
    EXPECT_EQ(second, 4);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetIntItem(1), 0);
    EXPECT_EQ(list.GetStringItem(0), QString());
}

TEST(PropertyValues, Utf16MarkOfTextFiles)
{
    const std::pair<QByteArray, bool> cases[] = {
        {QByteArray("\xFF\xFEx\0", 4), true}, {"ab", false}, {"\xFF", false}, {"\xFE\xFF", false}};
    for (const auto& [bytes, marked] : cases) {
        QBuffer buffer;
        buffer.setData(bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(HasUtf16Bom(buffer), marked);
        EXPECT_EQ(buffer.pos(), marked ? 2 : 0);
    }
}
