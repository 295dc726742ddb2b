// The one-time repairs: each from a project in the state it repairs, run by
// opening the project with the step's key removed; a project whose keys are
// all done opens unchanged; a step that cannot write leaves everything as
// it was and runs again at the next open.

#include "docfixture.h"

#include "common/pdfbuilder.h"
#include "common/recordingwaithost.h"
#include "foundation/optionsrecord.h"
#include "foundation/richtexthelpers.h"
#include "foundation/tabledata.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/projectdataengine.h"

using namespace doctest;

namespace {

class UpgradeStepTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
    }
    /// Closes the project with the step's key removed and opens it again,
    /// which runs the step.
    void ReopenWithout(const char* key)
    {
        ASSERT_TRUE(doc.DeleteSetting(QLatin1String(key)));
        Reopen();
    }
    QString Key(const char* key)
    {
        QString value;
        EXPECT_TRUE(doc.ReadSetting(QLatin1String(key), value));
        return value;
    }
    QString Value(qint32 topic, qint32 key, qint32 field) { return ValueOf(db(), topic, key, field); }
    /// Every row of the topic tables of the file, for comparisons.
    QStringList FileRows()
    {
        QStringList rows;
        for (const char* table : {"Textgroups", "Texts", "Codewords", "Codings", "Memos", "Textlinks"})
            rows += QueryRows(path, QStringLiteral("SELECT * FROM [%1] ORDER BY [ID];").arg(QLatin1String(table)));
        return rows;
    }

    // Paragraph breaks at 10 and 20; text length 31.
    const QByteArray threeParagraphs =
        RtfOf({QStringLiteral("aaaaaaaaaa"), QStringLiteral("bbbbbbbbb"), QStringLiteral("cccccccccc")});
};

}  // namespace

TEST_F(UpgradeStepTest, AProjectWithEveryStepDoneOpensWithoutChangingARow)
{
    // Data every step would change, if it ran.
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"), threeParagraphs);
    const qint32 code = AddCode(QStringLiteral("C"), 0, 5);
    AddRow(db(), TopicId::Codes, {{5, QStringLiteral("V")}, {CodeField::Variable, 7}});
    AddCoding(document, code, 15, 25, {{CodingField::IsText, 1}});
    AddMemo({{MemoField::Document, document}, {MemoField::Pos, 25}});
    frame.ExitCommand();
    const QStringList before = FileRows();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(frame.OpenCommand(path));
    frame.ExitCommand();
    EXPECT_EQ(FileRows(), before);
}

TEST_F(UpgradeStepTest, RichTextCountsEachParagraphBreakOnce)
{
    const qint32 text = AddDocument(0, QStringLiteral("T"), threeParagraphs);
    const qint32 pdf = AddDocument(0, QStringLiteral("P"), threeParagraphs, DocumentKind::Pdf);
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 coding = AddCoding(text, code, 15, 25);
    const qint32 early = AddCoding(text, code, 2, 8);
    const qint32 pdfCoding = AddCoding(pdf, code, 15, 25);
    const qint32 memo = AddMemo({{MemoField::Document, text}, {MemoField::Pos, 25}});
    const qint32 firstMemo = AddMemo({{MemoField::Document, text}, {MemoField::Pos, 5}});
    ReopenWithout("RichText");

    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("14"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::FinishChar), QStringLiteral("23"));
    EXPECT_EQ(Value(TopicId::Codings, early, CodingField::StartChar), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codings, early, CodingField::FinishChar), QStringLiteral("8"));
    EXPECT_EQ(Value(TopicId::Codings, pdfCoding, CodingField::StartChar), QStringLiteral("15"));
    EXPECT_EQ(Value(TopicId::Memos, memo, MemoField::Pos), QStringLiteral("23"));
    EXPECT_EQ(Value(TopicId::Memos, firstMemo, MemoField::Pos), QStringLiteral("5"));
    EXPECT_EQ(Key("RichText"), QStringLiteral("2"));

    // Forced, it runs whatever its key says and neither reads nor stores it.
    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("RichText")));
    ASSERT_TRUE(doc.UpgradeRichText(true));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("13"));
    EXPECT_EQ(Key("RichText"), QString());
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT [StartChar],[FinishChar] FROM [Codings] WHERE [ID]=?;"), {coding}),
              QStringList{QStringLiteral("13|21")});
}

TEST_F(UpgradeStepTest, AFileWithItsKeysForgottenIsRepairedAgainWhileTheWaitWindowRepaints)
{
    const qint32 text = AddDocument(0, QStringLiteral("T"), threeParagraphs);
    const qint32 coding = AddCoding(text, AddCode(QStringLiteral("C")), 15, 25);
    frame.ExitCommand();
    {
        ProjectDataEngine engine;
        ASSERT_TRUE(engine.Open(path));
        ASSERT_TRUE(CKorDoc::ForgetUpgradeSteps(engine));
    }
    testutil::RecordingWaitHost host;
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("Opening")));
    ASSERT_TRUE(frame.OpenCommand(path));
    EXPECT_GT(host.pumps, 0);
    CloseWaitWindow();
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("14"));
    EXPECT_EQ(Key("RichText"), QStringLiteral("2"));
    EXPECT_EQ(Key("MemoSource"), QStringLiteral("OK"));
}

TEST_F(UpgradeStepTest, MemoParagraphsTakeTheirGroupAndParagraphAndDocumentsTheirSizeAndMemoCount)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"), threeParagraphs);
    const qint32 inSecond = AddMemo({{MemoField::Document, document}, {MemoField::Pos, 15}});
    const qint32 inThird = AddMemo({{MemoField::Document, document}, {MemoField::Pos, 25}, {MemoField::GroupID, 99}});
    ReopenWithout("MemoParagraph");

    EXPECT_EQ(Value(TopicId::Documents, document, DocumentField::Size), QStringLiteral("31"));
    EXPECT_EQ(Value(TopicId::Documents, document, DocumentField::Memos), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Memos, inSecond, MemoField::Paragraph), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Memos, inThird, MemoField::Paragraph), QStringLiteral("3"));
    EXPECT_EQ(Value(TopicId::Memos, inThird, MemoField::GroupID), QString::number(group));
    EXPECT_EQ(Key("MemoParagraph"), QStringLiteral("OK"));
}

TEST_F(UpgradeStepTest, CodingsTakeTheColourOfTheirCodeAndTheParagraphsOfTheirPositions)
{
    const qint32 document = AddDocument(0, QStringLiteral("D"), threeParagraphs);
    const qint32 code = AddCode(QStringLiteral("C"), 0, 3);
    const qint32 coding = AddCoding(document, code, 12, 25, {{CodingField::Type, 0}});
    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("CodingsType")));
    ReopenWithout("CodingsParagraph3");

    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::Type), QStringLiteral("3"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartPara), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::FinishPara), QStringLiteral("3"));
    EXPECT_EQ(Key("CodingsType"), QStringLiteral("OK"));
    EXPECT_EQ(Key("CodingsParagraph3"), QStringLiteral("OK"));
}

TEST_F(UpgradeStepTest, ADocumentWhoseExternalFileIsMissingIsNotMeasured)
{
    // The stored reference (UTF-16 little endian) is no text of the document.
    const QString reference = QStringLiteral("EXTERN:missing/Interview.rtf");
    const QByteArray stored(reinterpret_cast<const char*>(reference.utf16()), reference.size() * 2);
    const qint32 document = AddDocument(0, QStringLiteral("D"), stored);
    const qint32 coding = AddCoding(document, AddCode(QStringLiteral("C")), 12, 25,
                                    {{CodingField::StartPara, 2}, {CodingField::FinishPara, 3}, {CodingField::IsText, 1}});
    const qint32 memo = AddMemo({{MemoField::Document, document}, {MemoField::Pos, 25}, {MemoField::Paragraph, 3}});
    for (const char* key : {"RichText", "MemoParagraph", "CodingsCoverage"})
        ASSERT_TRUE(doc.DeleteSetting(QLatin1String(key)));
    ReopenWithout("CodingsParagraph3");

    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("12"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartPara), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::FinishPara), QStringLiteral("3"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::Area), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Memos, memo, MemoField::Paragraph), QStringLiteral("3"));
    EXPECT_EQ(Value(TopicId::Documents, document, DocumentField::Size), QStringLiteral("0"));
    EXPECT_EQ(BlobOf(db(), TopicId::Documents, document, DocumentField::Text), stored);
}

TEST_F(UpgradeStepTest, CodingsAndMemosTakeTheGroupOfTheirDocument)
{
    AllowInconsistentProject();  // the lost coding names no document, as in a damaged file
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"));
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 coding = AddCoding(document, code, 0, 1, {{CodingField::Group, 0}});
    const qint32 lost = AddCoding(4711, code, 0, 1, {{CodingField::Group, group}});
    const qint32 memo = AddMemo({{MemoField::Document, document}});
    const qint32 codeMemo = AddMemo({{MemoField::Code, code}, {MemoField::GroupID, group}});
    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("CodingsTxtGroup")));
    ReopenWithout("MemosTxtGroup");

    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::Group), QString::number(group));
    EXPECT_EQ(Value(TopicId::Codings, lost, CodingField::Group), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Memos, memo, MemoField::GroupID), QString::number(group));
    EXPECT_EQ(Value(TopicId::Memos, codeMemo, MemoField::GroupID), QStringLiteral("0"));
}

TEST_F(UpgradeStepTest, CodeVariablesMoveToTheUserFieldIds)
{
    const struct {
        qint32 before, after;
    } cases[] = {{5, 100000005}, {99999999, 199999999}, {0, 0}, {100000000, 100000000}, {100000007, 100000007}};
    QList<qint32> codes;
    for (const auto& c : cases)
        codes.append(AddRow(db(), TopicId::Codes, {{5, QStringLiteral("C")}, {CodeField::Variable, c.before}}));
    ReopenWithout("CodesVariableID");
    for (qsizetype i = 0; i < codes.size(); ++i)
        EXPECT_EQ(Value(TopicId::Codes, codes[i], CodeField::Variable), QString::number(cases[i].after))
            << cases[i].before;
}

TEST_F(UpgradeStepTest, CoverageIsMeasuredPerKindOfDocument)
{
    const QByteArray pdf = testutil::MakePdf(QSizeF(300, 300), {testutil::TextLines({QStringLiteral("Hello PDF")})});
    const qint32 pdfLength = CountPdfCharacters(pdf);
    ASSERT_GT(pdfLength, 0);
    CTableData table;
    ASSERT_TRUE(table.SetSize(1, 2));
    table.SetCell(0, 0, QStringLiteral("abcd"));
    table.SetCell(0, 1, QStringLiteral("efghijkl"));
    QByteArray tableBytes;
    ASSERT_TRUE(table.SaveToBytes(tableBytes));

    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 text = AddDocument(0, QStringLiteral("T"), threeParagraphs);
    const qint32 pdfDocument = AddDocument(0, QStringLiteral("P"), pdf, DocumentKind::Pdf);
    const qint32 tableDocument = AddDocument(0, QStringLiteral("X"), tableBytes, DocumentKind::Table);
    const qint32 picture =
        AddDocument(0, QStringLiteral("B"), QByteArray("\x89PNG not really", 15), DocumentKind::Picture);
    const FieldValues isText = {{CodingField::IsText, 1}};
    const qint32 onText = AddCoding(text, code, 20, 10, isText);
    const qint32 area = AddCoding(text, code, 0, 30, {{CodingField::IsText, 0}});
    const qint32 onPdf = AddCoding(pdfDocument, code, 1, 4, isText);
    const qint32 onTable = AddCoding(tableDocument, code, 0, 3, isText);
    const qint32 onPicture = AddCoding(picture, code, 0, 9, isText);
    ReopenWithout("CodingsCoverage");

    const struct {
        qint32 coding;
        const char* area;
        double coverage;
    } expected[] = {
        {onText, "10", 1000.0 / 31},
        {area, "0", 0},
        {onPdf, "3", 300.0 / pdfLength},
        {onTable, "3", 300.0 / 12},
        {onPicture, "0", 0},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(Value(TopicId::Codings, e.coding, CodingField::Area), QLatin1String(e.area)) << e.coding;
        EXPECT_NEAR(Value(TopicId::Codings, e.coding, CodingField::Coverage).toDouble(), e.coverage, 1e-3) << e.coding;
    }
    EXPECT_EQ(Key("CodingsCoverage"), QStringLiteral("OK"));
}

TEST_F(UpgradeStepTest, CheckOptionsDropsTheStoredRetrievalSettingsUntilTheyAreSavedAgain)
{
    doc.GetRetrievalSettings().minCount = 5;
    doc.SaveProjectSettings();
    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("CheckOptions")));
    frame.CloseProjectUI();
    doc.CloseDatabase();
    doc.GetRetrievalSettings().minCount = 2;
    ASSERT_TRUE(frame.OpenCommand(path));
    // Read before the step removed them: memory keeps them, the file not.
    EXPECT_EQ(doc.GetRetrievalSettings().minCount, 5);
    EXPECT_EQ(Key("Options"), QString());
    EXPECT_EQ(Key("CheckOptions"), QStringLiteral("OK"));
    doc.SaveProjectSettings();
    EXPECT_TRUE(Key("Options").startsWith(QStringLiteral("5|")));
}

TEST_F(UpgradeStepTest, CodingStatisticsAreCountedAgainLeavingOutTemporaryRows)
{
    const qint32 document = AddDocument(0, QStringLiteral("D"));
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 idle = AddRow(db(), TopicId::Codes, {{5, QStringLiteral("idle")}, {CodeField::Codes, 9}});
    AddCoding(document, code, 0, 1);
    AddCoding(document, code, 2, 3);
    AddCoding(document, 0, 4, 5);  // a retrieval row, never a coding of anything
    ReopenWithout("CheckCodingStatistics");

    EXPECT_EQ(Value(TopicId::Documents, document, DocumentField::Codes), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codes, code, CodeField::Codes), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codes, idle, CodeField::Codes), QStringLiteral("0"));
    EXPECT_EQ(Key("CheckCodingStatistics"), QStringLiteral("1"));
}

TEST_F(UpgradeStepTest, MemoSourcesFollowWhatTheMemoIsAttachedTo)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"));
    const qint32 set = AddRow(db(), TopicId::DocumentSets, {{3, QStringLiteral("S")}});
    const qint32 code = AddCode(QStringLiteral("C"));
    const struct {
        FieldValues fields;
        qint32 source;
    } cases[] = {
        {{{MemoField::Document, document}, {MemoField::Pos, -1}}, MemoSource::Project},  // the project memo
        {{{MemoField::Document, document}, {MemoField::Pos, -1}}, MemoSource::Document},
        {{{MemoField::Document, document}, {MemoField::Pos, 7}}, MemoSource::DocumentPosition},
        {{{MemoField::GroupID, group}}, MemoSource::DocumentGroup},
        {{{MemoField::SetID, set}}, MemoSource::DocumentSet},
        {{{MemoField::Code, code}}, MemoSource::Code},
        {{{MemoField::Source, 5}}, MemoSource::None},
    };
    QList<qint32> memos;
    for (const auto& c : cases)
        memos.append(AddMemo(c.fields));
    ASSERT_TRUE(doc.WriteSettingString(QStringLiteral("ProjectMemo"), QString::number(memos.first())));
    doc.LoadProjectSettings();
    ReopenWithout("MemoSource");
    ASSERT_EQ(doc.GetProjectMemo(), memos.first());
    for (qsizetype i = 0; i < memos.size(); ++i)
        EXPECT_EQ(Value(TopicId::Memos, memos[i], MemoField::Source), QString::number(cases[i].source)) << i;
}

TEST_F(UpgradeStepTest, AStepThatCannotWriteChangesNothingAndRunsAgainLater)
{
    const qint32 code = AddCode(QStringLiteral("C"), 0, 3);
    const qint32 document = AddDocument(0, QStringLiteral("D"));
    const qint32 first = AddCoding(document, code, 0, 1);
    const qint32 second = AddCoding(document, code, 2, 3);
    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("CodingsType")));
    frame.ExitCommand();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("CREATE TRIGGER [refuse] BEFORE UPDATE ON [Codings] WHEN NEW.[ID]=%1 "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END;")
                          .arg(second)}));
    ASSERT_TRUE(frame.OpenCommand(path));
    // The first coding's change went back with the second's failure.
    EXPECT_EQ(Value(TopicId::Codings, first, CodingField::Type), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Codings, second, CodingField::Type), QStringLiteral("0"));
    EXPECT_EQ(Key("CodingsType"), QString());
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT [Type] FROM [Codings] ORDER BY [ID];")),
              (QStringList{QStringLiteral("0"), QStringLiteral("0")}));

    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("DROP TRIGGER [refuse];")}));
    ASSERT_TRUE(frame.OpenCommand(path));
    EXPECT_EQ(Value(TopicId::Codings, first, CodingField::Type), QStringLiteral("3"));
    EXPECT_EQ(Value(TopicId::Codings, second, CodingField::Type), QStringLiteral("3"));
    EXPECT_EQ(Key("CodingsType"), QStringLiteral("OK"));
}

TEST_F(UpgradeStepTest, AStepWhoseKeyCannotBeStoredIsUndoneSoItNeverRunsTwice)
{
    const qint32 document = AddDocument(0, QStringLiteral("T"), threeParagraphs);
    const qint32 coding = AddCoding(document, AddCode(QStringLiteral("C")), 15, 25);
    ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("RichText")));
    frame.ExitCommand();
    const QString refuse = QStringLiteral("CREATE TRIGGER [refuse_%1] BEFORE %1 ON [sys_Setup] WHEN NEW.[Key]='RichText' "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    ASSERT_TRUE(ExecOnFile(path, {refuse.arg(QLatin1String("INSERT")), refuse.arg(QLatin1String("UPDATE"))}));
    ASSERT_TRUE(frame.OpenCommand(path));
    // Shifted without its key, the positions would shift again next time.
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("15"));
    EXPECT_EQ(Key("RichText"), QString());
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT [StartChar],[FinishChar] FROM [Codings];")),
              QStringList{QStringLiteral("15|25")});

    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("DROP TRIGGER [refuse_INSERT];"),
                                  QStringLiteral("DROP TRIGGER [refuse_UPDATE];")}));
    ASSERT_TRUE(frame.OpenCommand(path));
    Reopen();
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("14"));
    EXPECT_EQ(Value(TopicId::Codings, coding, CodingField::FinishChar), QStringLiteral("23"));
}
