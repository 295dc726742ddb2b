// The table exports read back: workbooks by the program's own sheet reader
// (and the test reader for heights and pictures), HTML by the XML reader,
// text and folders as bytes. Failures must leave an existing target as it
// was and say so.

#include "common/workbookreader.h"
#include "document/docfixture.h"
#include "document/documentids.h"
#include "document/rowfields.h"
#include "exchange/tableexports.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/workbook.h"
#include "foundation/xmldoc.h"
#include "retrieval/lexicalengine.h"
#include "store/topictable.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

namespace {

using namespace doctest;
using namespace rowfields;


QByteArray BytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

/// The "width" attributes of the header cells, in order.
QStringList HeaderShares(const QString& page)
{
    QStringList shares;
    const QRegularExpression width(QStringLiteral("bgcolor=\"#F0F0F0\"[^>]*width=\"(\\d+%)\""));
    for (auto it = width.globalMatch(page); it.hasNext();)
        shares.append(it.next().captured(1));
    return shares;
}

class TableExportsTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        doc.SetExportService(&exports);
        TableExports::SetOpener({});
        BuildOptionDefinitions();
        m_savedSubcodes = g_qdaOptions.GetString(QdaOption::MatrixCountsSubcodes);
        m_savedExcel = g_qdaOptions.GetString(QdaOption::ExcelFormat);
        m_savedEnglish = g_qdaOptions.GetString(QdaOption::EnglishColumnNames);
        g_qdaOptions.SetValueText(QdaOption::ExcelFormat, QStringLiteral("1"));
        g_program.DocumentsFolder = dir.path();
        NewProject();
    }
    void TearDown() override
    {
        g_qdaOptions.SetValueText(QdaOption::MatrixCountsSubcodes, m_savedSubcodes);
        g_qdaOptions.SetValueText(QdaOption::ExcelFormat, m_savedExcel);
        g_qdaOptions.SetValueText(QdaOption::EnglishColumnNames, m_savedEnglish);
        g_program.DocumentsFolder.clear();
        DocTest::TearDown();
    }

    QString ReadText(const QString& file)
    {
        CXmlDoc page;
        EXPECT_TRUE(page.Load(file)) << file.toStdString();
        EXPECT_TRUE(page.IsWellFormed());
        return page.GetDoc();
    }

    /// Group G with D1 (codings of A\B twice) and D2 (one of A).
    void BuildMatrixProject()
    {
        const qint32 g = AddGroup(QStringLiteral("G"));
        d1 = AddDocument(g, QStringLiteral("D1"), RtfOf({QStringLiteral("one two three")}));
        d2 = AddDocument(g, QStringLiteral("D2"), RtfOf({QStringLiteral("four")}));
        a = AddCode(QStringLiteral("A"));
        b = AddCode(QStringLiteral("B"), a);
        ASSERT_TRUE(d1 && d2 && a && b);
        ASSERT_TRUE(AddCoding(d1, b, 0, 3) && AddCoding(d1, b, 4, 7) && AddCoding(d2, a, 0, 4));
    }

    TableExports exports;
    qint32 d1 = 0, d2 = 0, a = 0, b = 0;

private:
    QString m_savedSubcodes;
    QString m_savedExcel;
    QString m_savedEnglish;
};

// ---------------------------------------------------------------- code matrix

TEST_F(TableExportsTest, CodeMatrixCountsOwnCodesOrAncestorsInOnePass)
{
    BuildMatrixProject();
    const QString file = dir.file(QStringLiteral("matrix.txt"));
    for (const auto& [subcodes, d1Row, d2Row] :
         {std::tuple{"0", "G\tD1\t0\t2", "G\tD2\t1\t0"}, std::tuple{"1", "G\tD1\t2\t2", "G\tD2\t1\t0"}}) {
        g_qdaOptions.SetValueText(QdaOption::MatrixCountsSubcodes, QString::fromLatin1(subcodes));
        ASSERT_TRUE(doc.ExportTableExcel(file, false, false, false));
        const QStringList lines = QString::fromLatin1(BytesOf(file)).split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 4) << lines.join(u'|').toStdString();   // header, two rows, the last CR LF
        EXPECT_TRUE(lines.at(0).startsWith(LoadString(57835) + u'\t' + LoadString(57836) + u'\t'));
        EXPECT_EQ(lines.at(1), QString::fromLatin1(d1Row)) << "option 5 = " << subcodes;
        EXPECT_EQ(lines.at(2), QString::fromLatin1(d2Row)) << "option 5 = " << subcodes;
    }
    // UTF-16 with its mark.
    ASSERT_TRUE(doc.ExportTableExcel(file, false, true, false));
    EXPECT_TRUE(BytesOf(file).startsWith("\xFF\xFE"));
    EXPECT_TRUE(BytesOf(file).contains(Utf16(QStringLiteral("\r\nG\tD1\t"))));
}

TEST_F(TableExportsTest, CodeMatrixAsSheet)
{
    BuildMatrixProject();
    const QString file = dir.file(QStringLiteral("matrix.xlsx"));
    ASSERT_TRUE(doc.ExportTableExcel(file, false, false, true));
    WorkbookSheetContent sheet;
    QString error;
    ASSERT_TRUE(ReadWorkbookSheet(file, 0, sheet, &error)) << error.toStdString();
    EXPECT_EQ(sheet.Text(0, 0), LoadString(57835));
    EXPECT_EQ(sheet.Text(1, 1), QStringLiteral("D1"));
    EXPECT_EQ(sheet.Cell(1, 2).number, 0);
    EXPECT_EQ(sheet.Cell(1, 3).number, 2);
    EXPECT_EQ(sheet.Cell(2, 2).number, 1);
    EXPECT_EQ(sheet.Cell(1, 3).kind, WorkbookCell::Number);
}

// ---------------------------------------------------------------- HTML

TEST_F(TableExportsTest, HtmlTableSharesEscapesAndBreaks)
{
    const QString file = dir.file(QStringLiteral("table.htm"));
    ASSERT_TRUE(doc.ExportHtmlTable({QStringLiteral("A"), QStringLiteral("BBB")}, {QStringLiteral("Row 01")},
                                    {QStringLiteral("x~y"), QStringLiteral("a<b & \"c\" ^")}, file));
    const QString page = ReadText(file);
    EXPECT_EQ(HeaderShares(page), (QStringList{QStringLiteral("27%"), QStringLiteral("4%"), QStringLiteral("13%")}));
    EXPECT_TRUE(page.contains(QStringLiteral("x<BR/>y"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("a&lt;b &amp; ")));
    EXPECT_TRUE(page.contains(u'^'));   // a user's "^" stays a character
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".part")));

    // Nothing to measure: equal shares instead of a division by zero.
    ASSERT_TRUE(doc.ExportHtmlTable({QString(), QString()}, {QString()}, {QString(), QString()}, file));
    EXPECT_EQ(HeaderShares(ReadText(file)),
              (QStringList{QStringLiteral("15%"), QStringLiteral("15%"), QStringLiteral("15%")}));
}

TEST_F(TableExportsTest, FailedHtmlLeavesTheTargetAndSaysSo)
{
    const QString blocked = dir.file(QStringLiteral("no such folder/table.htm"));
    EXPECT_FALSE(doc.ExportHtmlTable({QStringLiteral("A")}, {QStringLiteral("r")}, {QStringLiteral("c")}, blocked));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("table.htm")));
    EXPECT_FALSE(QFile::exists(blocked));
}

TEST_F(TableExportsTest, CodingsHtmlListsTextsWithLineBreaks)
{
    const qint32 document = doc.NewDocument(0, QStringLiteral("Doc"), RtfOf({QStringLiteral("first line"),
                                                                           QStringLiteral("second line")}),
                                            {});
    const qint32 code = doc.NewCode({0, QStringLiteral("Code <1>"), 0});
    CodingRecord coding;
    coding.TextID = document;
    coding.WordID = code;
    coding.StartChar = 0;
    coding.FinishChar = 22;
    coding.IsText = 1;
    coding.Text = RtfOf({QStringLiteral("first line"), QStringLiteral("second line")});
    qint32 action = -1;
    bool written = false;
    doc.AddCoding(coding, action, OverlapMode::Replace, &written, false);
    ASSERT_TRUE(written);
    QList<qint32> codings;
    db().GetAllKeys(TopicId::Codings, codings);
    const QString file = dir.file(QStringLiteral("codings.htm"));
    ASSERT_TRUE(doc.ExportCodingsHtml(codings, file));
    const QString page = ReadText(file);
    EXPECT_TRUE(page.contains(QStringLiteral("first line<BR/>second line"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Code &lt;1&gt;")));
    EXPECT_TRUE(HeaderShares(page).contains(QStringLiteral("55%")));
}

// ---------------------------------------------------------------- object sheets

TEST_F(TableExportsTest, MemoSheetShowsSourcesAndTexts)
{
    ASSERT_TRUE(AddMemo({{MemoField::Title, QStringLiteral("Set memo")},
                         {MemoField::Source, 3},
                         {MemoField::Text, RtfOf({QStringLiteral("Memo body")})}}));
    QList<qint32> memos;
    db().GetAllKeys(TopicId::Memos, memos);
    QString file = dir.file(QStringLiteral("memos.xlsx"));
    ASSERT_TRUE(doc.ExportRetrievedSegments(TopicId::Memos, memos, file, false));
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(file, 0, sheet));
    EXPECT_EQ(sheet.name, LoadString(102199));
    int source = -1;
    int text = -1;
    for (int c = 0; c < sheet.columns; ++c) {
        if (sheet.Text(0, c) == LoadString(1044))
            text = c;
        FieldDescriptor field;
        if (db().GetFieldDescriptor(TopicId::Memos, MemoField::Source, field) && sheet.Text(0, c) == field.Name)
            source = c;
    }
    ASSERT_GE(source, 0);
    ASSERT_GE(text, 0);
    EXPECT_EQ(sheet.Text(1, source), LoadString(102146));
    EXPECT_EQ(sheet.Text(1, text), QStringLiteral("Memo body"));
}

TEST_F(TableExportsTest, PictureCodingGetsItsPictureAndRowHeight)
{
    QImage image(80, 60, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    const qint32 picture = doc.NewExternalDocument(0, QStringLiteral("Photo"), png, DocumentKind::Picture);
    const qint32 code = doc.NewCode({0, QStringLiteral("Seen"), 0});
    CodingRecord area;
    area.TextID = picture;
    area.WordID = code;
    area.IsText = 0;
    area.PosX1 = 0;
    area.StartChar = 0;
    area.PosX2 = 40;
    area.FinishChar = 30;
    qint32 action = -1;
    bool written = false;
    doc.AddCoding(area, action, OverlapMode::Replace, &written, false);
    ASSERT_TRUE(written);
    QList<qint32> codings;
    db().GetAllKeys(TopicId::Codings, codings);

    QString file = dir.file(QStringLiteral("codings.xlsx"));
    ASSERT_TRUE(doc.ExportRetrievedSegments(TopicId::Codings, codings, file, false));
    const testutil::SheetContent sheet = testutil::ReadXlsxSheet(file);
    EXPECT_NEAR(sheet.rowHeights.value(1), 0.766 * 30, 0.1);
    EXPECT_FALSE(testutil::ReadZipEntry(file, "xl/media/image1.jpeg").isEmpty());
    // No picture file is shared or left behind.
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("image.jpg"))));

    // In an HTML page the text column of a picture stays empty.
    const QString page = dir.file(QStringLiteral("codings.htm"));
    ASSERT_TRUE(doc.ExportCodingsHtml(codings, page));
    EXPECT_TRUE(ReadText(page).contains(QStringLiteral("Photo")));
}

TEST_F(TableExportsTest, SheetIntoCallersBookLeavesNoFile)
{
    BuildMatrixProject();
    QList<qint32> codings;
    db().GetAllKeys(TopicId::Codings, codings);
    const QString target = dir.file(QStringLiteral("book.xlsx"));
    CWorkbook book;
    ASSERT_TRUE(book.Create(target));
    QString path;
    ASSERT_TRUE(doc.ExportRetrievedSegments(TopicId::Codings, codings, path, false, &book));
    EXPECT_TRUE(path.isEmpty());
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.xls*")}).isEmpty());
    // The book is still the caller's to save.
    ASSERT_TRUE(book.Save(target));
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(target, 0, sheet));
    EXPECT_EQ(sheet.name, LoadString(57723));
    EXPECT_EQ(sheet.rows, 4);
}

TEST_F(TableExportsTest, BlockedWorkbookTargetTakesANumberedName)
{
    BuildMatrixProject();
    QList<qint32> codings;
    db().GetAllKeys(TopicId::Codings, codings);
    QString file = dir.file(QStringLiteral("segments.xlsx"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("segments.xlsx")));
    ASSERT_TRUE(doc.ExportRetrievedSegments(TopicId::Codings, codings, file, false));
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("segments(01).xlsx"));
    WorkbookSheetContent sheet;
    EXPECT_TRUE(ReadWorkbookSheet(file, 0, sheet));
}

// ---------------------------------------------------------------- tab text

TEST_F(TableExportsTest, TabTextNeverDropsALine)
{
    g_qdaOptions.SetValueText(QdaOption::EnglishColumnNames, QStringLiteral("1"));
    const qint32 first = AddCode(QStringLiteral("Ärger"));
    AddCode(QStringLiteral("Freude \u4E2D"), first);
    const QString file = dir.file(QStringLiteral("codes.txt"));
    ASSERT_TRUE(doc.WriteTabTextFile(file, nullptr, false, true));
    const QByteArray bytes = BytesOf(file);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 4);   // header, two codes, after the last CR LF
    EXPECT_TRUE(lines.at(0).split('\t').contains("Code\r") || lines.at(0).split('\t').contains("Code"));
    EXPECT_TRUE(lines.at(0).contains("Parent"));
    EXPECT_TRUE(lines.at(1).contains("\xC4rger"));   // Windows-1252
    EXPECT_TRUE(lines.at(2).contains("Freude ?"));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("\"?\"")));

    // Unicode keeps the character; documents head their group by option 21.
    ASSERT_TRUE(doc.WriteTabTextFile(file, nullptr, true, true));
    EXPECT_TRUE(BytesOf(file).contains(Utf16(QStringLiteral("Freude \u4E2D"))));
    AddDocument(0, QStringLiteral("Doc"));
    ASSERT_TRUE(doc.WriteTabTextFile(file, nullptr, false, false));
    EXPECT_TRUE(BytesOf(file).contains("Textgroup"));
    EXPECT_TRUE(BytesOf(file).contains("Textname"));
}

TEST_F(TableExportsTest, FailedTabTextLeavesTheOldFile)
{
    AddCode(QStringLiteral("A"));
    const QString folder = dir.file(QStringLiteral("codes.txt"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("codes.txt")));
    messages.texts.clear();
    EXPECT_FALSE(doc.WriteTabTextFile(folder, nullptr, false, true));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("codes.txt")));
}

// ---------------------------------------------------------------- document folders

TEST_F(TableExportsTest, DocumentFoldersStayInsideAndKeepEveryDocument)
{
    const qint32 odd = doc.NewDocumentGroupNamed(QStringLiteral("a/b:c"));
    const qint32 dots = doc.NewDocumentGroupNamed(QStringLiteral(".."));
    ASSERT_TRUE(odd && dots);
    QByteArray rtf = RtfOf({QStringLiteral("closing brace")});
    ASSERT_TRUE(rtf.endsWith('}'));
    ASSERT_TRUE(doc.NewDocument(odd, QStringLiteral("Doc"), rtf, {}));
    ASSERT_TRUE(doc.NewDocument(odd, QStringLiteral("Doc"), RtfOf({QStringLiteral("twin")}), {}));
    ASSERT_TRUE(doc.NewDocument(dots, QStringLiteral(".."), RtfOf({QStringLiteral("dots")}), {}));
    const QString pdfFile = dir.file(QStringLiteral("outside.pdf"));
    const QByteArray pdf("%PDF-1.4 outside bytes\n%%EOF\n");
    ASSERT_TRUE(WriteBytes(pdfFile, pdf));
    ASSERT_TRUE(doc.NewExternalDocument(0, QStringLiteral("Paper"), Utf16(QStringLiteral("EXTERN:") + pdfFile),
                                        DocumentKind::Pdf));

    const QString base = dir.file(QStringLiteral("export"));
    ASSERT_TRUE(QDir().mkpath(base));
    ASSERT_TRUE(doc.ExportDocumentFolders(base));
    const QDir root(base);
    EXPECT_TRUE(root.exists(QStringLiteral("a_b_c/Doc.rtf")));
    EXPECT_TRUE(root.exists(QStringLiteral("a_b_c/Doc(1).rtf")));
    EXPECT_EQ(BytesOf(root.filePath(QStringLiteral("a_b_c/Doc.rtf"))), rtf);
    // ".." names neither leave the base nor vanish.
    EXPECT_TRUE(root.exists(QStringLiteral("_/_.rtf"))) << root.entryList().join(u' ').toStdString();
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("...rtf"))));
    // The external PDF is its file's bytes, not its reference.
    EXPECT_EQ(BytesOf(root.filePath(QStringLiteral("Paper.pdf"))), pdf);
}

// ---------------------------------------------------------------- link overview

TEST_F(TableExportsTest, LinkTableKinds)
{
    const qint32 document = doc.NewDocument(0, QStringLiteral("Doc"), RtfOf({QStringLiteral("alpha beta gamma")}), {});
    ASSERT_TRUE(document);
    const qint32 first = AddRow(db(), TopicId::Links, {{LinkField::Document, document}, {LinkField::StartChar, 0},
                                                       {LinkField::FinishChar, 5}, {LinkField::IsText, 1}});
    const qint32 second = AddRow(db(), TopicId::Links, {{LinkField::Document, document}, {LinkField::StartChar, 6},
                                                        {LinkField::FinishChar, 10}, {LinkField::IsText, 1},
                                                        {LinkField::LinkID, first}});
    ASSERT_TRUE(AddRow(db(), TopicId::Links, {{LinkField::Document, document}, {LinkField::LinkID, -1},
                                              {LinkField::Text, Utf16(QStringLiteral("/maps/Route.KML"))}}));
    ASSERT_TRUE(AddRow(db(), TopicId::Links, {{LinkField::Document, document}, {LinkField::LinkID, -1},
                                              {LinkField::Text, Utf16(QStringLiteral("notes.txt"))}}));
    ASSERT_TRUE(AddRow(db(), TopicId::Links, {{LinkField::Document, document}}));   // no target: left out
    ASSERT_TRUE(first && second);

    doc.BuildLinkTable(0);
    QList<qint32> rows;
    db().GetAllKeys(TopicId::MapLinks, rows);
    QList<qint32> kinds;
    QStringList targets;
    for (const qint32 row : std::as_const(rows)) {
        kinds.append(db().GetIntValue(TopicId::MapLinks, row, 1));
        targets.append(TextOfKey(db(), TopicId::MapLinks, row, 13));
    }
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(kinds, (QList<qint32>{0, 1, 2}));
    EXPECT_TRUE(targets.contains(QStringLiteral("/maps/Route.KML")));
    // Built again, the table is not doubled.
    doc.BuildLinkTable(document);
    db().GetAllKeys(TopicId::MapLinks, rows);
    EXPECT_EQ(rows.size(), 3);
}

// ---------------------------------------------------------------- search hits

TEST_F(TableExportsTest, SearchHitsRtfByOutputMode)
{
    retrieval::LexicalEngine engine;
    doc.SetLexicalService(&engine);
    const QString text = QStringLiteral("Dr. Who works at home. Is it work? Yes!");
    const qint32 report = doc.NewDocument(0, QStringLiteral("Report"), RtfOf({text}), {});
    const qint32 at = qint32(text.indexOf(QStringLiteral("work?")));
    const qint32 hit = AddRow(db(), TopicId::SearchHits,
                              {{SearchHitField::Type, 0}, {SearchHitField::Document, report},
                               {SearchHitField::Text, QStringLiteral("work")}, {SearchHitField::Start, at},
                               {SearchHitField::End, at + 4}, {SearchHitField::Page, 1},
                               {SearchHitField::Paragraph, 1}});
    ASSERT_TRUE(report && hit);
    const QString file = dir.file(QStringLiteral("hits.rtf"));
    QList<QByteArray> outputs;
    for (const int mode : {0, 1, 2}) {
        ASSERT_TRUE(doc.ExportSearchHitsText(file, {hit}, mode, false)) << mode;
        const QByteArray rtf = BytesOf(file);
        EXPECT_TRUE(rtf.startsWith("{\\rtf")) << mode;
        EXPECT_TRUE(rtf.contains("Report")) << mode;
        outputs.append(rtf);
    }
    EXPECT_TRUE(outputs.at(2).contains("Dr. Who works at home")) << outputs.at(2).constData();
    EXPECT_FALSE(outputs.at(0).contains("Dr. Who"));
    // The counts follow the list when asked.
    ASSERT_TRUE(doc.ExportSearchHitsText(file, {hit}, 1, true));
    EXPECT_GT(BytesOf(file).size(), outputs.at(1).size());
    doc.SetLexicalService(nullptr);
}

}  // namespace
