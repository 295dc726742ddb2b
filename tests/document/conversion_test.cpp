// Legacy project files: the name of the converted file, and an old project
// served by a fake Jet reader converted beside the old file, brought to the
// current schema and repaired once.

#include "docfixture.h"

#include "common/fakejetreader.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QDir>

using namespace doctest;

namespace {

const QDateTime kNow(QDate(2024, 3, 9), QTime(7, 15, 2));

/// A Jet reader serving every table of a project file as a project of
/// schema version 100813 held them: without the columns and field rows that
/// 100829 added, and without any repair key of the document.
testutil::FakeJetReader ServeAsOldProject(const QString& projectPath)
{
    testutil::JetServing serving;
    const QStringList added = {QStringLiteral("Codings.IsText"), QStringLiteral("Codings.Area"),
                               QStringLiteral("Codings.Coverage"), QStringLiteral("Links.IsText")};
    serving.skipColumn = [added](const QString& table, const QString& column) {
        return added.contains(table + QLatin1Char('.') + column);
    };
    serving.editRow = [](const QString& table, QVariantList& row) {
        if (table == QLatin1String("sys_Fields"))
            return !((row[0].toInt() == TopicId::Codings && row[1].toInt() >= 19) ||
                     (row[0].toInt() == TopicId::Links && row[1].toInt() == 9));
        if (table == QLatin1String("sys_Setup")) {
            const QString key = row[0].toString();
            if (key == QLatin1String("DataEngine"))
                row[1] = QStringLiteral("100813");
            else if (key != QLatin1String("DataType") && key != QLatin1String("MOD"))
                return false;
        }
        return true;
    };
    serving.extraRows.insert(QStringLiteral("sys_Setup"), {{QStringLiteral("RichText"), QStringLiteral("1"), QVariant()}});
    return testutil::ServeSqliteAsJet(projectPath, serving);
}

}  // namespace

TEST(ConvertedName, TakesTheExtensionsPlaceOrATimeStampWhenThatExists)
{
    testutil::TempDir dir;
    ASSERT_TRUE(testutil::WriteFile(dir.file(QStringLiteral("taken.kv4")), "x"));
    const struct {
        const char* old;
        const char* converted;
    } cases[] = {
        {"Study.KV3", "Study.kv4"},
        {"Study.k2k", "Study.kv4"},
        {"Study.kv2", "Study.kv4"},
        {"nwind.mdb", "nwind.kv4"},
        {"archive.accdb", "archive.kv4"},
        {"noextension", "noextension.kv4"},
        {"taken.kv3", "taken_20240309_071502.kv4"},
        {"taken.kv4", "taken_20240309_071502.kv4"},  // an old project that kept the current extension
    };
    for (const auto& c : cases)
        EXPECT_EQ(CKorDoc::ConvertedProjectPath(dir.file(QLatin1String(c.old)), kNow),
                  dir.file(QLatin1String(c.converted)))
            << c.old;
}

class ConversionTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        doc.SetClock([] { return kNow; });
        // The old project, built as a current one and served with the
        // shape of 100813. Its positions count a paragraph break as two.
        const QString seedPath = dir.file(QStringLiteral("seed.kv4"));
        {
            CKorDoc seed;
            auto engine = seed.CreateProjectFile(seedPath, QStringLiteral("MAIN"));
            ASSERT_TRUE(engine && seed.OpenProject(std::move(engine), false));
            TopicDatabase& sdb = seed.GetDatabase();
            group = AddRow(sdb, TopicId::DocumentGroups, {{3, QStringLiteral("Gruppe Ü")}});
            document = AddRow(sdb, TopicId::Documents,
                              {{DocumentField::GroupID, group},
                               {DocumentField::Name, QStringLiteral("Interview")},
                               {DocumentField::Text, text}});
            code = AddRow(sdb, TopicId::Codes, {{5, QStringLiteral("Thema")}, {CodeField::Type, 4}});
            coding = AddRow(sdb, TopicId::Codings,
                            {{CodingField::Document, document}, {CodingField::Code, code},
                             {CodingField::StartChar, 15}, {CodingField::FinishChar, 25}});
            memo = AddRow(sdb, TopicId::Memos, {{MemoField::Document, document}, {MemoField::Pos, 25}});
        }
        reader = ServeAsOldProject(seedPath);
        QFile::remove(seedPath);
        oldPath = dir.file(QStringLiteral("Studie 2009.kv3"));
        ASSERT_TRUE(testutil::WriteJetHeader(oldPath));
        doc.SetJetOpener([this](const QString& opened, QString*) -> std::unique_ptr<JetReader> {
            EXPECT_EQ(opened, oldPath);
            return std::make_unique<testutil::FakeJetReader>(reader);
        });
    }

    const QByteArray text =
        RtfOf({QStringLiteral("aaaaaaaaaa"), QStringLiteral("bbbbbbbbb"), QStringLiteral("cccccccccc")});
    testutil::FakeJetReader reader;
    QString oldPath;
    qint32 group = 0, document = 0, code = 0, coding = 0, memo = 0;
};

TEST_F(ConversionTest, AnOldProjectIsConvertedBesideItUpgradedAndRepairedOnce)
{
    const QByteArray oldBytes = testutil::ReadFile(oldPath);
    ASSERT_TRUE(frame.OpenCommand(oldPath)) << messages.texts.join(QLatin1Char('\n')).toStdString();
    const QString converted = dir.file(QStringLiteral("Studie 2009.kv4"));
    EXPECT_EQ(doc.GetEngine()->GetPath(), converted);
    EXPECT_EQ(doc.GetEngine()->GetSchemaVersion(), QStringLiteral("100829"));
    EXPECT_EQ(doc.GetEngine()->GetOpenedVersion(), QStringLiteral("100813"));
    EXPECT_EQ(frame.windowTitle, converted + QStringLiteral(" - ") + LoadString(1));
    EXPECT_EQ(testutil::ReadFile(oldPath), oldBytes);

    // Paragraph breaks at 10 and 20 counted once: 15-25 becomes 14-23.
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("14"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::FinishChar), QStringLiteral("23"));
    EXPECT_EQ(ValueOf(db(), TopicId::Memos, memo, MemoField::Pos), QStringLiteral("23"));
    // The other repairs saw the converted positions.
    const auto edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&text, false);
    const qint32 length = edit->GetTextLength();
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::StartPara), QStringLiteral("2"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::FinishPara), QStringLiteral("3"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::IsText), QStringLiteral("1"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::Area), QStringLiteral("9"));
    EXPECT_NEAR(ValueOf(db(), TopicId::Codings, coding, CodingField::Coverage).toDouble(), 900.0 / length, 1e-3);
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::Type), QStringLiteral("4"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::Group), QString::number(group));
    EXPECT_EQ(ValueOf(db(), TopicId::Memos, memo, MemoField::Paragraph), QStringLiteral("3"));
    EXPECT_EQ(ValueOf(db(), TopicId::Memos, memo, MemoField::GroupID), QString::number(group));
    EXPECT_EQ(ValueOf(db(), TopicId::Memos, memo, MemoField::Source), QStringLiteral("1"));
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, document, DocumentField::Size), QString::number(length));
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, document, DocumentField::Codes), QStringLiteral("1"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, code, CodeField::Codes), QStringLiteral("1"));
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, group, 3), QStringLiteral("Gruppe Ü"));

    // Written to the file, with every guard key: a second open changes nothing.
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(converted, QStringLiteral("SELECT [StartChar],[FinishChar],[IsText] FROM [Codings];")),
              QStringList{QStringLiteral("14|23|1")});
    EXPECT_EQ(QueryRows(converted, QStringLiteral("SELECT [Value] FROM [sys_Setup] WHERE [Key]='richtext';")),
              QStringList{QStringLiteral("2")});
    ASSERT_TRUE(frame.OpenCommand(converted));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("14"));

    // The old file again: its first copy exists, so the new one is stamped.
    frame.ExitCommand();
    ASSERT_TRUE(frame.OpenCommand(oldPath));
    EXPECT_EQ(doc.GetEngine()->GetPath(), dir.file(QStringLiteral("Studie 2009_20240309_071502.kv4")));
}

TEST_F(ConversionTest, AFailedConversionLeavesNoFileAndThePreviousProjectOpen)
{
    NewProject();
    ProjectDataEngine* engine = doc.GetEngine();
    reader.FailReading(QStringLiteral("Codings"), 0, QStringLiteral("page 7 is damaged"));
    EXPECT_FALSE(frame.OpenCommand(oldPath));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("page 7 is damaged")));
    EXPECT_TRUE(messages.texts.first().contains(oldPath));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("Studie 2009.kv4"))));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("Studie*")}, QDir::Files),
              QStringList{QStringLiteral("Studie 2009.kv3")});
    EXPECT_EQ(doc.GetEngine(), engine);
    EXPECT_TRUE(log.Take().empty());

    // A file with a Jet header that no reader can open.
    doc.SetJetOpener({});
    messages.texts.clear();
    EXPECT_FALSE(frame.OpenCommand(oldPath));
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(doc.GetEngine(), engine);
}

// Without an injected reader the helper program reads the file; when it
// breaks down on a damaged file, only it goes down.
TEST_F(ConversionTest, AReaderThatBreaksDownRefusesTheFileAndKeepsTheProjectOpen)
{
    const ProgramPaths savedProgram = g_program;
    g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR "/");
    NewProject();
    ProjectDataEngine* engine = doc.GetEngine();
    doc.SetJetOpener({});
    doc.SetLegacyConversionTimeout(1000);
    const QByteArray oldBytes = testutil::ReadFile(oldPath);
    for (const char* fault : {"crash", "hang", "garbage"}) {
        messages.texts.clear();
        qputenv("KORVAN_JETREAD_FAULT", fault);
        EXPECT_FALSE(frame.OpenCommand(oldPath)) << fault;
        qunsetenv("KORVAN_JETREAD_FAULT");
        ASSERT_EQ(messages.texts.size(), 1) << fault;
        EXPECT_TRUE(messages.texts.first().contains(oldPath)) << messages.texts.first().toStdString();
        EXPECT_EQ(doc.GetEngine(), engine) << fault;
        EXPECT_EQ(testutil::ReadFile(oldPath), oldBytes);
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("Studie*"), QStringLiteral(".convert*")},
                                             QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("Studie 2009.kv3")})
            << fault;
    }
    // The project is still usable.
    EXPECT_GT(AddRow(db(), TopicId::DocumentGroups, {{3, QStringLiteral("noch da")}}), 0);
    g_program = savedProgram;
}
