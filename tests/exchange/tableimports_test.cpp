// The table imports on small tables: what each reader makes of its cells,
// and that a refused or failed import leaves the project file byte for
// byte as it was and the source untouched.

#include "document/docfixture.h"
#include "document/documentids.h"
#include "document/rowfields.h"
#include "exchange/projectworkbooks.h"
#include "exchange/tableexports.h"
#include "exchange/tableimports.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/workbook.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fielddescriptor.h"
#include "store/oledate.h"
#include "store/topictable.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStandardPaths>

namespace {

using namespace doctest;
using namespace rowfields;

QByteArray BytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/// Answers the columns dialog: OK after `edit`, or Cancel.
class ScriptedChooser : public IImportColumnsChooser {
public:
    bool ChooseColumns(const TopicDatabase&, qint32 topic, QList<ImportColumn>& columns) override
    {
        ++calls;
        this->topic = topic;
        if (edit)
            edit(columns);
        seen = columns;
        return accept;
    }
    bool accept = true;
    int calls = 0;
    qint32 topic = 0;
    std::function<void(QList<ImportColumn>&)> edit;
    QList<ImportColumn> seen;
};

class TableImportsTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        TableExports::SetOpener({});
        BuildOptionDefinitions();
        NewProject();
    }

    FieldDescriptor Variable(qint32 topic, const QString& name)
    {
        FieldDescriptor field;
        db().FindFieldByName(topic, name, field);
        return field;
    }
    QString Value(qint32 topic, qint32 key, const QString& name)
    {
        return ValueOf(db(), topic, key, Variable(topic, name).ID);
    }
    /// The plain text of a document (paragraph ends as CR).
    QString PlainText(qint32 document)
    {
        auto edit = CreateHiddenRichEdit();
        const QByteArray rtf = BlobOf(db(), TopicId::Documents, document, DocumentField::Text);
        edit->StreamInRtf(&rtf, false);
        return edit->GetTextRange(0, edit->GetTextLength());
    }
    QList<qint32> Codings(qint32 document)
    {
        QList<qint32> codings;
        db().FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        return codings;
    }
    qint32 FindDocument(const QString& group, const QString& name)
    {
        RowBuffer row;
        return doc.FindOrCreateDocument(group, name, row, false) ? row.GetKey() : 0;
    }
    qint32 Int(qint32 topic, qint32 key, qint32 field) { return db().GetIntValue(topic, key, field); }

    ScriptedChooser chooser;
};

// ---------------------------------------------------------------- type guess

TEST_F(TableImportsTest, TypeGuessReadsEachCellWhole)
{
    struct Case {
        QStringList cells;
        qint32 type;
        const char* locale;
    };
    const Case cases[] = {
        {{"0", "1", "1"}, FieldType::Boolean, "C"},
        {{"30", "-4"}, FieldType::Integer, "C"},
        {{"1", "-4"}, FieldType::Integer, "C"},
        {{"1.5", "2"}, FieldType::Real, "C"},
        {{"1099511627776"}, FieldType::Real, "C"},
        {{"1,5", "2"}, FieldType::Real, "de_DE"},
        {{"1,5"}, FieldType::ShortText, "C"},
        {{"12abc"}, FieldType::ShortText, "C"},
        {{"2024-03-01", "2023-12-24"}, FieldType::DateTime, "C"},
        {{"2024-03-01", "4"}, FieldType::ShortText, "C"},
        {{}, FieldType::Boolean, "C"},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        ColumnTypeGuess guess;
        for (const QString& cell : c.cells)
            guess.Add(cell);
        EXPECT_EQ(guess.Type(), c.type) << c.cells.join(u' ').toStdString() << " in " << c.locale;
    }
    QLocale::setDefault(QLocale::c());
}

// ---------------------------------------------------------------- variables

TEST_F(TableImportsTest, VariablesTableMakesTypedVariablesAndWritesTheRows)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 d1 = AddDocument(group, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(group, QStringLiteral("D2"));
    const QString table = QStringLiteral("Textgroup\tTextname\tAge\tScore\tPassed\r\nG\tD1\t30\t1.5\t1\r\n"
                                         "g\td2\t-4\t2\t0");   // the last line without its line end
    ASSERT_TRUE(TableImports(doc, chooser).ImportVariablesTable(QString(), table, true, false, 0));
    ASSERT_EQ(chooser.seen.size(), 3);
    EXPECT_EQ(chooser.seen.at(0).sample, u"30");
    EXPECT_EQ(chooser.seen.at(0).assignment, -FieldType::Integer);
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Age")).Type, FieldType::Integer);
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Score")).Type, FieldType::Real);
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Passed")).Type, FieldType::Boolean);
    EXPECT_EQ(Value(TopicId::Documents, d1, QStringLiteral("Age")), u"30");
    EXPECT_EQ(Value(TopicId::Documents, d2, QStringLiteral("Age")), u"-4");
    EXPECT_EQ(db().GetTable(TopicId::Documents)->Fields().GetById(Variable(TopicId::Documents, "Score").ID)->Type,
              FieldType::Real);
    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(db().ReadRow(TopicId::Documents, d1, row, false));
    ASSERT_TRUE(row.GetFieldValue(Variable(TopicId::Documents, QStringLiteral("Score")).ID, value));
    EXPECT_DOUBLE_EQ(value.GetReal(), 1.5);

    // Written to the file: the values come back after reopening.
    Reopen();
    EXPECT_EQ(Value(TopicId::Documents, d2, QStringLiteral("Age")), u"-4");
    EXPECT_EQ(Value(TopicId::Documents, d1, QStringLiteral("Passed")), Value(TopicId::Documents, d1, "Passed"));
}

TEST_F(TableImportsTest, GermanDecimalCommaIsReadAsTheDecimalPoint)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const qint32 d1 = AddDocument(0, QStringLiteral("D1"));
    ASSERT_TRUE(TableImports(doc, chooser)
                    .ImportVariablesTable(QString(), QStringLiteral("Textgroup\tTextname\tScore\r\n\tD1\t1,5\r\n"),
                                          false, false, 0));
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Score")).Type, FieldType::Real);
    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(db().ReadRow(TopicId::Documents, d1, row, false));
    ASSERT_TRUE(row.GetFieldValue(Variable(TopicId::Documents, QStringLiteral("Score")).ID, value));
    EXPECT_DOUBLE_EQ(value.GetReal(), 1.5);
}

TEST_F(TableImportsTest, RefusedVariableTablesLeaveTheProjectAsItWas)
{
    AddDocument(0, QStringLiteral("D1"));
    doc.CloseDatabase();
    ASSERT_TRUE(frame.OpenCommand(path));
    const QByteArray before = BytesOf(path);
    const int fields = db().CountUserFields(TopicId::Documents);

    // No document-name column: the message names its caption.
    EXPECT_FALSE(TableImports(doc, chooser)
                     .ImportVariablesTable(QString(), QStringLiteral("Textgroup\tAge\r\nG\t3\r\n"), false, false, 0));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().startsWith(LoadString(211000)));
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("-> ") + LoadString(57836)));
    EXPECT_FALSE(messages.texts.last().contains(LoadString(57835)));
    EXPECT_EQ(chooser.calls, 0);

    // Cancel in the columns dialog.
    chooser.accept = false;
    EXPECT_FALSE(TableImports(doc, chooser)
                     .ImportVariablesTable(QString(), QStringLiteral("Textgroup\tTextname\tAge\r\n\tD1\t3\r\n"), false,
                                           false, 0));
    // A file that cannot be read.
    chooser.accept = true;
    EXPECT_FALSE(TableImports(doc, chooser)
                     .ImportVariablesTable(dir.file(QStringLiteral("missing.txt")), QString(), false, false, 0));
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("missing.txt")));

    EXPECT_EQ(db().CountUserFields(TopicId::Documents), fields);
    doc.CloseDatabase();
    EXPECT_EQ(BytesOf(path), before);
    ASSERT_TRUE(frame.OpenCommand(path));
}

TEST_F(TableImportsTest, UntickedColumnIsNeitherMadeNorWritten)
{
    const qint32 d1 = AddDocument(0, QStringLiteral("D1"));
    chooser.edit = [](QList<ImportColumn>& columns) {
        columns[0].import = 0;
        columns[1].assignment = -FieldType::ShortText;   // the user's choice of type
    };
    ASSERT_TRUE(TableImports(doc, chooser)
                    .ImportVariablesTable(QString(), QStringLiteral("Textgroup\tTextname\tAge\tCode\r\n\tD1\t3\t7\r\n"),
                                          false, false, 0));
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Age")).ID, -1);
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Code")).Type, FieldType::ShortText);
    EXPECT_EQ(Value(TopicId::Documents, d1, QStringLiteral("Code")), u"7");
}

TEST_F(TableImportsTest, CodeVariablesGoBelowTheParentCode)
{
    const qint32 parent = AddCode(QStringLiteral("P"));
    const qint32 child = AddCode(QStringLiteral("C"), parent);
    const qint32 topC = AddCode(QStringLiteral("C"));
    ASSERT_TRUE(TableImports(doc, chooser)
                    .ImportVariablesTable(QString(), QStringLiteral("Code\tRank\r\nC\t3\r\nX\t9\r\n"), false, true,
                                          parent));
    EXPECT_EQ(chooser.topic, TopicId::Codes);
    EXPECT_EQ(Value(TopicId::Codes, child, QStringLiteral("Rank")), u"3");
    EXPECT_EQ(Value(TopicId::Codes, topC, QStringLiteral("Rank")), u"0");
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 3);   // an unknown code is not made
}

// ---------------------------------------------------------------- coded segments

TEST_F(TableImportsTest, SegmentsTableBuildsTheTextAndCodesEachCell)
{
    for (const bool emptyNoCoding : {true, false}) {
        SCOPED_TRACE(emptyNoCoding);
        const QString name = emptyNoCoding ? QStringLiteral("D") : QStringLiteral("E");
        ASSERT_TRUE(TableImports(doc, chooser)
                        .ImportCodedSegmentsTable(QStringLiteral("Textgroup\tTextname\tA\tB\r\nG\t%1\tfoo\t\r\n").arg(name),
                                                  emptyNoCoding, false));
        const qint32 document = FindDocument(QStringLiteral("G"), name);
        ASSERT_NE(document, 0);
        EXPECT_EQ(PlainText(document), QStringLiteral("foo\r") + QString(10, u' ') + u'\r');
        const qint32 a = doc.AddCodeByPath(0, QStringLiteral("A"), false);
        const qint32 b = doc.AddCodeByPath(0, QStringLiteral("B"), false);
        ASSERT_TRUE(a && b);
        const QList<qint32> codings = Codings(document);
        ASSERT_EQ(codings.size(), emptyNoCoding ? 1 : 2);
        EXPECT_EQ(Int(TopicId::Codings, codings[0], CodingField::Code), a);
        EXPECT_EQ(Int(TopicId::Codings, codings[0], CodingField::StartChar), 0);
        EXPECT_EQ(Int(TopicId::Codings, codings[0], CodingField::FinishChar), 3);
        EXPECT_EQ(ValueOf(db(), TopicId::Codings, codings[0], CodingField::Coverage).toDouble(), 20.0);
        if (!emptyNoCoding) {
            EXPECT_EQ(Int(TopicId::Codings, codings[1], CodingField::Code), b);
            EXPECT_EQ(Int(TopicId::Codings, codings[1], CodingField::StartChar), 4);
            EXPECT_EQ(Int(TopicId::Codings, codings[1], CodingField::FinishChar), 14);
        }
        ASSERT_FALSE(messages.texts.isEmpty());
        EXPECT_TRUE(messages.texts.last().startsWith(LoadString(211006) + QStringLiteral(": 1\n")));
    }
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);   // the group made once, then found
}

TEST_F(TableImportsTest, SegmentsTableWithDollarColumnSetsDocumentVariables)
{
    ASSERT_TRUE(TableImports(doc, chooser)
                    .ImportCodedSegmentsTable(QStringLiteral("Textname\tTextgroup\t$Age\tA\r\nD1\tG\t41\tx\r\n"
                                                             "D2\tG\t-3\ty\r\n"),
                                              false, false));
    ASSERT_EQ(chooser.seen.size(), 1);
    EXPECT_EQ(chooser.seen.at(0).name, u"Age");
    EXPECT_EQ(Variable(TopicId::Documents, QStringLiteral("Age")).Type, FieldType::Integer);
    EXPECT_EQ(Value(TopicId::Documents, FindDocument("G", "D1"), QStringLiteral("Age")), u"41");
    EXPECT_EQ(Value(TopicId::Documents, FindDocument("G", "D2"), QStringLiteral("Age")), u"-3");
    EXPECT_EQ(PlainText(FindDocument("G", "D1")), u"x\r");   // the variable is no segment
}

TEST_F(TableImportsTest, ExistingCodedDocumentIsReplacedOnlyAfterYes)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"), RtfOf({QStringLiteral("old text")}));
    const qint32 old = AddCode(QStringLiteral("Old"));
    AddCoding(document, old, 0, 3);
    AllowInconsistentProject();   // the coding was written around the document's counters
    const QString table = QStringLiteral("Textgroup\tTextname\tA\r\nG\tD\tnew\r\nG\tFresh\tmore\r\n");

    messages.AddAnswers({MessageAnswer::No});
    ASSERT_TRUE(TableImports(doc, chooser).ImportCodedSegmentsTable(table, false, false));
    EXPECT_EQ(PlainText(document), u"old text");
    EXPECT_EQ(Codings(document).size(), 1);
    EXPECT_TRUE(messages.texts.last().contains(LoadString(211009) + QStringLiteral(":\nG\\D")));
    EXPECT_NE(FindDocument("G", "Fresh"), 0);

    messages.AddAnswers({MessageAnswer::Yes});
    ASSERT_TRUE(TableImports(doc, chooser).ImportCodedSegmentsTable(table, false, false));
    EXPECT_EQ(PlainText(document), u"new\r");
    const QList<qint32> codings = Codings(document);
    ASSERT_EQ(codings.size(), 1);
    EXPECT_NE(Int(TopicId::Codings, codings[0], CodingField::Code), old);
    EXPECT_EQ(FindDocument("G", "D"), document);   // replaced, not doubled
}

TEST_F(TableImportsTest, RefusedSegmentTableChangesNothing)
{
    doc.CloseDatabase();
    ASSERT_TRUE(frame.OpenCommand(path));
    const QByteArray before = BytesOf(path);
    EXPECT_FALSE(TableImports(doc, chooser)
                     .ImportCodedSegmentsTable(QStringLiteral("Group\tName\tA\r\nG\tD\tfoo\r\n"), false, false));
    EXPECT_TRUE(messages.texts.last().contains(LoadString(57835)));
    EXPECT_TRUE(messages.texts.last().contains(LoadString(57836)));
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 0);
    doc.CloseDatabase();
    EXPECT_EQ(BytesOf(path), before);
    ASSERT_TRUE(frame.OpenCommand(path));
}

// ---------------------------------------------------------------- code lists

TEST_F(TableImportsTest, CodeListMakesCodesWithTheirMemos)
{
    QString table = QStringLiteral(" code \tMEMO\tOther\r\nA\\B\t\"hi\"\textra\tbeyond\r\nC\r\n\r\n  \r\nD\tsecond\nline");
    bool ok = false;
    const QString report = TableImports(doc, chooser).ImportCodeListText(table, &ok);
    EXPECT_TRUE(ok) << report.toStdString();
    EXPECT_FALSE(table.startsWith(u" code"));   // the header is taken off
    const qint32 b = doc.AddCodeByPath(0, QStringLiteral("A\\B"), false);
    const qint32 c = doc.AddCodeByPath(0, QStringLiteral("C"), false);
    const qint32 d = doc.AddCodeByPath(0, QStringLiteral("D"), false);
    ASSERT_TRUE(b && c && d);
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 4);
    const auto memoText = [&](qint32 code) {
        bool created = false;
        const qint32 memo = doc.GetCodeMemo(code, created);
        QString text;
        if (memo)
            doc.GetObjectPlainText(TopicId::Memos, memo, text, false);
        return text.trimmed();
    };
    EXPECT_EQ(memoText(b), u"hi");
    EXPECT_EQ(memoText(c), QString());
    EXPECT_EQ(memoText(d), u"second\nline");
    EXPECT_EQ(report, LoadString(211027).arg(3).arg(4).arg(2).arg(0));
}

TEST_F(TableImportsTest, CodeListWithoutItsColumnsImportsNothing)
{
    QString table = QStringLiteral("Name\tMemo\r\nA\tx\r\n");
    bool ok = true;
    EXPECT_EQ(TableImports(doc, chooser).ImportCodeListText(table, &ok), LoadString(211028));
    EXPECT_FALSE(ok);
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 0);
}

TEST_F(TableImportsTest, ActivationListActivatesExactlyTheListedCodes)
{
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"), a);
    const qint32 c = AddCode(QStringLiteral("C"));
    const qint32 other = AddCode(QStringLiteral("Other"));
    doc.SetItemActivation(TopicId::Codes, other, true, true);
    const QString list = dir.file(QStringLiteral("codes.act"));
    ASSERT_TRUE(WriteBytes(list, "A\\B\r\nC"));   // no line end after the last code
    ASSERT_TRUE(doc.ActivateCodesFromList(list));
    EXPECT_FALSE(doc.IsCodeActivated(a));
    EXPECT_TRUE(doc.IsCodeActivated(b));
    EXPECT_TRUE(doc.IsCodeActivated(c));
    EXPECT_FALSE(doc.IsCodeActivated(other));
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 2);
    EXPECT_EQ(BytesOf(list), QByteArray("A\\B\r\nC"));

    EXPECT_FALSE(doc.ActivateCodesFromList(dir.file(QStringLiteral("none.act"))));
    EXPECT_TRUE(doc.IsCodeActivated(b));   // a list that cannot be read changes nothing
    EXPECT_FALSE(doc.ActivateCodesFromList(QString()));
}

// ---------------------------------------------------------------- readers

TEST_F(TableImportsTest, TextFilesAreReadByTheirMarkOrTheirBytes)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const QString umlaut = QStringLiteral("Textname\tÄ\r\nD\tü");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(umlaut.utf16()), umlaut.size() * 2);
    const Case cases[] = {
        {"utf16.txt", utf16, umlaut},
        {"utf8.txt", umlaut.toUtf8(), umlaut},
        {"ansi.csv", QByteArray("Textname\t\xC4\r\nD\t\xFC"), umlaut},
    };
    for (const Case& c : cases) {
        const QString file = dir.file(QString::fromLatin1(c.name));
        ASSERT_TRUE(WriteBytes(file, c.bytes));
        QString text;
        ASSERT_TRUE(tableimport::ReadImportFile(file, text)) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
        EXPECT_EQ(BytesOf(file), c.bytes) << c.name;
    }
}

TEST_F(TableImportsTest, SheetReaderWritesNumbersWholeAndDatesAsDates)
{
    const QString file = dir.file(QStringLiteral("cells.xlsx"));
    CWorkbook book;
    ASSERT_TRUE(book.Create(file));
    WorkbookCellFormat dateFormat;
    dateFormat.numberFormat = QStringLiteral("yyyy-mm-dd");
    const int date = book.AddFormat(dateFormat);
    CWorkbookSheet* sheet = book.AddSheet(QStringLiteral("S"));
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->WriteString(0, 0, QStringLiteral("Textname")) && sheet->WriteString(0, 1, QStringLiteral("N")));
    ASSERT_TRUE(sheet->WriteNumber(1, 0, 3.0) && sheet->WriteNumber(1, 1, 2.5) && sheet->WriteNumber(1, 2, 1099511627776.0));
    ASSERT_TRUE(sheet->WriteNumber(1, 3, OleDaysFromDateTime(QDate(2024, 3, 1), QTime(0, 0)), date));
    ASSERT_TRUE(sheet->WriteString(1, 4, QStringLiteral("a\r\nb")) && sheet->WriteNumber(1, 5, 0.1));
    ASSERT_TRUE(book.Save(file));

    const QByteArray before = BytesOf(file);
    QString text = QStringLiteral("kept:");
    ASSERT_TRUE(tableimport::ReadExcelSheetText(file, text));
    const QStringList lines = text.mid(5).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0), u"Textname\tN\t\t\t\t");
    const QStringList cells = lines.at(1).split(u'\t');
    ASSERT_EQ(cells.size(), 6);
    EXPECT_EQ(cells.at(0), u"3");
    EXPECT_EQ(cells.at(1), u"2.5");
    EXPECT_EQ(cells.at(2), u"1099511627776");
    double days = 0;
    EXPECT_TRUE(ParseDateText(cells.at(3), days)) << cells.at(3).toStdString();
    EXPECT_EQ(days, OleDaysFromDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    EXPECT_EQ(cells.at(4), u"a\nb");
    EXPECT_EQ(cells.at(5), u"0.1");
    EXPECT_EQ(BytesOf(file), before);
}

TEST_F(TableImportsTest, SheetReaderRefusesWhatIsNoWorkbook)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"text.xlsx", "Textname\tA\r\n"},
        {"broken.xlsx", QByteArray("PK\x03\x04", 4) + QByteArray(40, 'x')},
        {"broken.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(30, '\0')},
    };
    for (const Case& c : cases) {
        const QString file = dir.file(QString::fromLatin1(c.name));
        ASSERT_TRUE(WriteBytes(file, c.bytes));
        QString text = QStringLiteral("unchanged");
        QString error;
        EXPECT_FALSE(tableimport::ReadImportFile(file, text, &error)) << c.name;
        EXPECT_EQ(text, u"unchanged") << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_EQ(BytesOf(file), c.bytes) << c.name;
    }
    QString text;
    EXPECT_FALSE(tableimport::ReadImportFile(dir.file(QStringLiteral("missing.xls")), text));
}

TEST_F(TableImportsTest, BinaryWorkbookIsReadLikeAnXmlOne)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString file = dir.file(QStringLiteral("cells.xls"));
    CWorkbook book;
    ASSERT_TRUE(book.Create(file));
    CWorkbookSheet* sheet = book.AddSheet(QStringLiteral("S"));
    ASSERT_TRUE(sheet->WriteString(0, 0, QStringLiteral("Textname")) && sheet->WriteNumber(0, 1, 3.0) &&
                sheet->WriteNumber(0, 2, 2.5) && sheet->WriteString(0, 3, QStringLiteral("a\r\nb")));
    QString saved;
    ASSERT_TRUE(book.Save(file, &saved));
    QString text;
    ASSERT_TRUE(tableimport::ReadImportFile(saved, text));
    EXPECT_EQ(text, QStringLiteral("Textname\t3\t2.5\ta\nb\r\n"));
}

// ---------------------------------------------------------------- workbooks read back

TEST_F(TableImportsTest, VariablesWorkbookReadsBackAsAnImportTable)
{
    g_program.DocumentsFolder = dir.path();
    g_qdaOptions.SetValueText(QdaOption::EnglishColumnNames, QStringLiteral("1"));
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 d1 = AddDocument(group, QStringLiteral("D1"));
    ASSERT_TRUE(TableImports(doc, chooser)
                    .ImportVariablesTable(QString(), QStringLiteral("Textgroup\tTextname\tBorn\tScore\r\nG\tD1\t2024-03-01\t2.25\r\n"),
                                          false, false, 0));
    QString file = dir.file(QStringLiteral("vars.xlsx"));
    ASSERT_TRUE(projectworkbooks::ExportDocumentVariables(doc, file, QStringLiteral("Documents"), false));
    g_qdaOptions.SetValueText(QdaOption::EnglishColumnNames, QStringLiteral("0"));
    QString text;
    ASSERT_TRUE(tableimport::ReadExcelSheetText(file, text));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    const QStringList header = lines.at(0).split(u'\t');
    EXPECT_TRUE(header.contains(QStringLiteral("Textgroup")));
    EXPECT_TRUE(header.contains(QStringLiteral("Textname")));
    const QStringList cells = lines.at(1).split(u'\t');
    EXPECT_EQ(cells.value(header.indexOf(QStringLiteral("Textname"))), u"D1");
    EXPECT_EQ(cells.value(header.indexOf(QStringLiteral("Score"))), u"2.25");
    double days = 0;
    ASSERT_TRUE(ParseDateText(cells.value(header.indexOf(QStringLiteral("Born"))), days));
    EXPECT_EQ(days, OleDaysFromDateTime(QDate(2024, 3, 1), QTime(0, 0)));

    // The sheet goes back in as it came out.
    ASSERT_TRUE(TableImports(doc, chooser).ImportVariablesTable(file, text, false, false, 0));
    EXPECT_EQ(Value(TopicId::Documents, d1, QStringLiteral("Score")), Value(TopicId::Documents, d1, "Score"));
}

TEST_F(TableImportsTest, QuoteMatrixCellHoldsTheTextsWithTheirParagraphs)
{
    g_program.DocumentsFolder = dir.path();
    const qint32 d1 = AddDocument(0, QStringLiteral("D1"));
    const qint32 d2 = AddDocument(0, QStringLiteral("D2"));
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"));
    AddCoding(d1, a, 0, 1, {{CodingField::StartPara, 4}, {CodingField::FinishPara, 6}, {CodingField::Text, RtfOf({"x"})}});
    AddCoding(d1, a, 2, 3, {{CodingField::StartPara, 4}, {CodingField::FinishPara, 4}, {CodingField::Text, RtfOf({"y"})}});
    AllowInconsistentProject();
    QString file = dir.file(QStringLiteral("matrix.xlsx"));
    ASSERT_TRUE(projectworkbooks::ExportCodingsExcel(doc, {d1, d2}, {a, b}, &file));
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(file, 0, sheet));
    EXPECT_EQ(sheet.Text(0, 1), u"D1");
    EXPECT_EQ(sheet.Text(1, 0), u"A");
    EXPECT_EQ(sheet.Text(1, 1), QStringLiteral("x\n4-6\n\ny\n4\n\n"));
    EXPECT_EQ(sheet.Text(1, 2), QString());
    EXPECT_EQ(sheet.Text(2, 1), QString());
}

}  // namespace
