#include "foundation/tabledata.h"

#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "common/workbookreader.h"
#include "foundation/stringstore.h"
#include "platform/office/officeconverter.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class TableExcelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_store.Open(testutil::StringTablePath(), 1));
        m_previous = g_pStringStore;
        g_pStringStore = &m_store;
    }
    void TearDown() override { g_pStringStore = m_previous; }

    testutil::TempDir dir;

private:
    CStringStore m_store;
    CStringStore* m_previous = nullptr;
};

// Column 0 plain, column 1 flagged (fits its longest cell), column 2 plain.
CTableData SampleTable()
{
    CTableData table;
    table.SetSize(3, 3);
    table.SetColumnLabel(0, "Name");
    table.SetColumnLabel(1, "Code");
    table.SetColumnLabel(2, "Comment");
    table.SetColumnFlag(1, 1);
    const QStringList cells = {"Anna", "a fairly long code name of 36 chars", "<&> \"quoted\"",
                               "Zwölf Äpfel", "x\r\ny", "\U0001F600 emoji",
                               "", "tab\there", QString(40000, u'w')};
    for (int i = 0; i < cells.size(); ++i)
        table.SetCell(i / 3, i % 3, cells[i]);
    return table;
}

bool StartsWith(const QString& path, const QByteArray& magic)
{
    return testutil::ReadFile(path).startsWith(magic);
}

const QByteArray kZipMagic("PK\x03\x04", 4);
const QByteArray kOleMagic("\xD0\xCF\x11\xE0", 4);

/// Hides every program from the search path while it lives.
class EmptySearchPath {
public:
    EmptySearchPath() : m_saved(qgetenv("PATH")) { qputenv("PATH", m_empty.path().toUtf8()); }
    ~EmptySearchPath() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
    testutil::TempDir m_empty;
};

}  // namespace

TEST_F(TableExcelTest, XlsxHoldsHeadersCellsAndWidths)
{
    const CTableData table = SampleTable();
    const QString path = dir.file("table.XLSX");
    QString saved, error;
    ASSERT_TRUE(table.ExportExcel("Interview: A/B [1]", path, &saved, &error)) << error.toStdString();
    EXPECT_EQ(saved, path);
    ASSERT_TRUE(StartsWith(path, kZipMagic));

    const testutil::SheetContent sheet = testutil::ReadXlsxSheet(path);
    EXPECT_EQ(sheet.name, "Interview_ A_B _1_");
    EXPECT_EQ(sheet.Cell(0, 0), "1: Name");
    EXPECT_EQ(sheet.Cell(0, 1), "2: Code");
    EXPECT_EQ(sheet.Cell(0, 2), "3: Comment");
    for (int r = 0; r < table.GetRowCount(); ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(sheet.Cell(r + 1, c), table.GetCell(r, c)) << r << "," << c;
    EXPECT_EQ(sheet.Cell(1, 2), "<&> \"quoted\"");
    EXPECT_EQ(sheet.Cell(3, 2), QString(32767, u'w'));   // a cell holds at most 32767 characters

    // Flagged: the longest cell plus 2; plain: at least 50 characters. The
    // file stores widths with the padding of the default font added.
    ASSERT_TRUE(sheet.columnWidths.contains(1));
    EXPECT_NEAR(sheet.columnWidths.value(1), 35 + 2, 1.0);
    EXPECT_NEAR(sheet.columnWidths.value(0), 50, 1.0);
    EXPECT_NEAR(sheet.rowHeights.value(0), 18, 0.01);
}

TEST_F(TableExcelTest, AnUnwritableTargetGivesWayToANumberedName)
{
    ASSERT_TRUE(QDir().mkdir(dir.file("table.xlsx")));   // a folder of that name
    QString saved;
    ASSERT_TRUE(SampleTable().ExportExcel("Sheet", dir.file("table.xlsx"), &saved));
    EXPECT_EQ(saved, dir.file("table(01).xlsx"));
    EXPECT_TRUE(StartsWith(saved, kZipMagic));
    EXPECT_EQ(testutil::ReadXlsxSheet(saved).Cell(1, 0), "Anna");
}

TEST_F(TableExcelTest, AMissingFolderIsReportedNotWritten)
{
    QString saved = "untouched", error;
    EXPECT_FALSE(SampleTable().ExportExcel("Sheet", dir.file("missing/table.xlsx"), &saved, &error));
    EXPECT_EQ(saved, "untouched");
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(TableExcelTest, XlsIsConvertedByLibreOffice)
{
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    // freexl cannot read sheets whose strings spill over several records.
    CTableData table = SampleTable();
    table.SetCell(2, 2, "short");
    const QString path = dir.file("table.xls");
    QString saved, error;
    ASSERT_TRUE(table.ExportExcel("Sheet", path, &saved, &error)) << error.toStdString();
    EXPECT_EQ(saved, path);
    ASSERT_TRUE(StartsWith(path, kOleMagic));
    const testutil::SheetContent sheet = testutil::ReadXlsSheet(path);
    EXPECT_EQ(sheet.Cell(0, 1), "2: Code");
    EXPECT_EQ(sheet.Cell(2, 0), "Zwölf Äpfel");
    EXPECT_EQ(sheet.Cell(2, 2), "\U0001F600 emoji");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"table.xls"});

    // More columns than the format holds: refused before anything is written.
    CTableData wide;
    wide.SetSize(1, 257);
    EXPECT_FALSE(wide.ExportExcel("Sheet", dir.file("wide.xls"), nullptr, &error));
    EXPECT_FALSE(QFileInfo::exists(dir.file("wide.xls")));
}

TEST_F(TableExcelTest, WithoutLibreOfficeXlsxIsOffered)
{
    EmptySearchPath noPrograms;
    ASSERT_TRUE(FindOfficeProgram().isEmpty());
    {
        testutil::ScriptedMessages messages({MessageAnswer::Yes});
        QString saved;
        ASSERT_TRUE(SampleTable().ExportExcel("Sheet", dir.file("table.xls"), &saved));
        EXPECT_EQ(saved, dir.file("table.xlsx"));
        EXPECT_TRUE(StartsWith(saved, kZipMagic));
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains("LibreOffice"));
        EXPECT_TRUE(messages.texts[0].contains("table.xlsx"));
    }
    {
        testutil::ScriptedMessages messages({MessageAnswer::No});
        QString error;
        EXPECT_FALSE(SampleTable().ExportExcel("Sheet", dir.file("other.xls"), nullptr, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"table.xlsx"});
    }
}
