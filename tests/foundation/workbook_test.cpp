#include "foundation/workbook.h"

#include "common/recordingwaithost.h"
#include "common/testutil.h"
#include "common/workbookreader.h"
#include "platform/office/officeconverter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <zip.h>

namespace {

/// A book with one sheet of texts, numbers, a date, a blank with a format
/// and a picture, written to `path`.
bool WriteSample(const QString& path, QString* saved = nullptr, QString* error = nullptr)
{
    CWorkbook book;
    if (!book.Create(path))
        return false;
    book.SetDefaultFont("Verdana", 8);
    WorkbookCellFormat dateFormat;
    dateFormat.numberFormat = "dd.mm.yyyy";
    const int date = book.AddFormat(dateFormat);
    WorkbookCellFormat real;
    real.builtInNumberFormat = 2;
    const int number = book.AddFormat(real);
    CWorkbookSheet* sheet = book.AddSheet("Liste: A/B");
    if (!sheet)
        return false;
    sheet->HideGridlines();
    sheet->SetColumnWidth(0, 0, 30);
    sheet->WriteString(0, 0, "Zwölf \"Äpfel\" <&>");
    sheet->WriteString(0, 1, "line\nbreak");
    sheet->WriteNumber(1, 0, 12.5, number);
    sheet->WriteNumber(1, 1, -3);
    sheet->WriteNumber(2, 0, 45000.25, date);
    sheet->WriteBlank(2, 1, date);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    sheet->InsertPicture(3, 0, jpeg);
    sheet->SetRowHeight(3, 0.766 * 10);
    return book.Save(path, saved, error);
}

/// A zip archive with the given parts, written by minizip.
bool WriteZip(const QString& path, const QList<QPair<QByteArray, QByteArray>>& parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    for (const auto& [name, bytes] : parts) {
        zip_fileinfo info = {};
        zipOpenNewFileInZip64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0);
        zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size()));
        zipCloseFileInZip(zip);
    }
    return zipClose(zip, nullptr) == ZIP_OK;
}

const QByteArray kWorkbookXml =
    "<?xml version=\"1.0\"?><workbook xmlns:r=\"r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
    "</sheets></workbook>";

}  // namespace

TEST(Workbook, XmlBookIsChosenByTheLastFiveCharacters)
{
    EXPECT_TRUE(IsXmlWorkbookPath("a/list.xlsx"));
    EXPECT_TRUE(IsXmlWorkbookPath("LIST.XLSX"));
    EXPECT_FALSE(IsXmlWorkbookPath("list.xls"));
    EXPECT_FALSE(IsXmlWorkbookPath("list"));
    EXPECT_FALSE(IsXmlWorkbookPath("list.xlsx.txt"));
}

TEST(Workbook, WrittenXlsxReadsBackThroughOwnReader)
{
    testutil::TempDir dir;
    const QString path = dir.file("book.xlsx");
    QString saved, error;
    ASSERT_TRUE(WriteSample(path, &saved, &error)) << error.toStdString();
    EXPECT_EQ(saved, path);

    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(path, 0, sheet, &error)) << error.toStdString();
    EXPECT_EQ(sheet.name, "Liste_ A_B");
    EXPECT_EQ(sheet.Text(0, 0), "Zwölf \"Äpfel\" <&>");
    EXPECT_EQ(sheet.Text(0, 1), "line\nbreak");
    EXPECT_EQ(sheet.Cell(1, 0).kind, WorkbookCell::Number);
    EXPECT_DOUBLE_EQ(sheet.Cell(1, 0).number, 12.5);
    EXPECT_EQ(sheet.Text(1, 1), "-3");
    EXPECT_EQ(sheet.Cell(2, 0).kind, WorkbookCell::Date);
    EXPECT_DOUBLE_EQ(sheet.Cell(2, 0).number, 45000.25);
    EXPECT_EQ(sheet.Cell(2, 1).kind, WorkbookCell::Empty);
    EXPECT_EQ(sheet.rows, 3);
    EXPECT_EQ(sheet.columns, 2);

    // Widths, heights and the picture as a second reader sees them.
    const testutil::SheetContent other = testutil::ReadXlsxSheet(path);
    EXPECT_NEAR(other.columnWidths.value(0), 30.7, 0.8);
    EXPECT_NEAR(other.rowHeights.value(3), 7.66, 0.01);
    EXPECT_FALSE(testutil::ReadZipEntry(path, "xl/media/image1.jpeg").isEmpty());
}

TEST(Workbook, AShownWaitWindowKeepsPaintingWhileTheBookIsWrittenOut)
{
    testutil::RecordingWaitHost host;
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("Exporting")));
    testutil::TempDir dir;
    const QString path = dir.file("book.xlsx");
    QString error;
    ASSERT_TRUE(WriteSample(path, nullptr, &error)) << error.toStdString();
    CloseWaitWindow();
    EXPECT_GE(host.pumps, 1) << "the window is repainted while the file is written";
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(path, 0, sheet, &error)) << error.toStdString();
    EXPECT_EQ(sheet.Text(0, 0), "Zwölf \"Äpfel\" <&>");
    EXPECT_EQ(sheet.rows, 3);
}

TEST(Workbook, XlsIsConvertedAndReadWithFreexl)
{
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    testutil::TempDir dir;
    const QString path = dir.file("book.xls");
    QString error;
    ASSERT_TRUE(WriteSample(path, nullptr, &error)) << error.toStdString();
    ASSERT_TRUE(testutil::ReadFile(path).startsWith("\xD0\xCF\x11\xE0"));
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(path, 0, sheet, &error)) << error.toStdString();
    EXPECT_EQ(sheet.Text(0, 0), "Zwölf \"Äpfel\" <&>");
    EXPECT_DOUBLE_EQ(sheet.Cell(1, 0).number, 12.5);
    EXPECT_EQ(sheet.Cell(2, 0).kind, WorkbookCell::Date);
    // freexl reads a cell of a date-only format as its day.
    EXPECT_NEAR(sheet.Cell(2, 0).number, 45000, 1e-6);
}

TEST(Workbook, UnwritableTargetGivesWayToANumberedName)
{
    testutil::TempDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("book.xlsx"));   // a folder of that name
    QString saved;
    ASSERT_TRUE(WriteSample(dir.file("book.xlsx"), &saved));
    EXPECT_EQ(saved, dir.file("book(01).xlsx"));
}

TEST(Workbook, FailedSaveLeavesNoFileAndSaysWhy)
{
    testutil::TempDir dir;
    QString saved = "untouched", error;
    EXPECT_FALSE(WriteSample(dir.file("missing/book.xlsx"), &saved, &error));
    EXPECT_EQ(saved, "untouched");
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(Workbook, BadFilesAreRefusedUnchanged)
{
    testutil::TempDir dir;
    const QByteArray sheetPart = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"
                                 "</sheetData></worksheet>";
    struct Case {
        const char* name;
        QList<QPair<QByteArray, QByteArray>> parts;
        QByteArray raw;   // written as the file when no parts are given
    };
    const QList<Case> cases = {
        {"text.xlsx", {}, "just some text"},
        {"empty.xls", {}, ""},
        {"truncated.xls", {}, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(20, '\0')},
        {"nobook.xlsx", {{"xl/worksheets/sheet1.xml", sheetPart}}, {}},
        {"nosheet.xlsx", {{"xl/workbook.xml", kWorkbookXml}}, {}},
        {"badxml.xlsx", {{"xl/workbook.xml", kWorkbookXml}, {"xl/worksheets/sheet1.xml", "<worksheet><sheetData>"}}, {}},
        {"badshared.xlsx", {{"xl/workbook.xml", kWorkbookXml}, {"xl/worksheets/sheet1.xml", sheetPart}}, {}},
        {"badcell.xlsx",
         {{"xl/workbook.xml", kWorkbookXml},
          {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row><c r=\"1A\"><v>1</v></c></row></sheetData></worksheet>"}},
         {}},
        {"escape.xlsx",
         {{"xl/workbook.xml", kWorkbookXml},
          {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Target=\"../../etc/x.xml\"/></Relationships>"}},
         {}},
    };
    for (const Case& c : cases) {
        const QString path = dir.file(c.name);
        if (c.parts.isEmpty())
            ASSERT_TRUE(testutil::WriteFile(path, c.raw));
        else
            ASSERT_TRUE(WriteZip(path, c.parts));
        const QByteArray before = testutil::ReadFile(path);
        WorkbookSheetContent sheet;
        sheet.rows = 7;
        QString error;
        EXPECT_FALSE(ReadWorkbookSheet(path, 0, sheet, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_EQ(sheet.rows, 0) << c.name;
        EXPECT_TRUE(sheet.cells.isEmpty()) << c.name;
        EXPECT_EQ(testutil::ReadFile(path), before) << c.name;
    }
    WorkbookSheetContent sheet;
    QString error;
    EXPECT_FALSE(ReadWorkbookSheet(dir.file("absent.xlsx"), 0, sheet, &error));
    ASSERT_TRUE(WriteSample(dir.file("ok.xlsx")));
    EXPECT_FALSE(ReadWorkbookSheet(dir.file("ok.xlsx"), 1, sheet, &error)) << "there is one sheet only";
}
