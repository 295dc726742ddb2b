// The list of a project's external files: sizes, states and columns.

#include "panes/externalfilesdlg.h"

#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/stringstore.h"
#include "ui/dlgbase.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class ExternalFilesList : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
    void TearDown() override { g_pStringStore->Close(); }

    static QList<ExternalFileRecord> Records()
    {
        return {
            {QStringLiteral("interview.mp3"), QStringLiteral("/home/ann/media/interview.mp3"), 3480123,
             LinkLocation::StoredPath, true, true},
            {QStringLiteral("scan.pdf"), QStringLiteral("C:\\Data\\scan.pdf"), 2048, LinkLocation::SearchFolder, true,
             true},
            {QStringLiteral("gone.wav"), QStringLiteral("/nowhere/gone.wav"), 0, LinkLocation::NotFound, false, true},
            {QStringLiteral("exact.bin"), QStringLiteral("/data/exact.bin"), 1048576, LinkLocation::StoredPath, true,
             true},
            {QStringLiteral("film.mkv"), QStringLiteral("/data/film.mkv"), 5LL * 1024 * 1024 * 1024,
             LinkLocation::StoredPath, true, true},
        };
    }
};

}  // namespace

TEST_F(ExternalFilesList, SizesChangeUnitAtAMebibyteAndAGibibyte)
{
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, "0.00 KB"},
        {1536, "1.50 KB"},
        {1048576, "1024.00 KB"},
        {1048577, "1.00 MB"},
        {1073741824, "1024.00 MB"},
        {1073741825, "1.00 GB"},
        {5LL * 1024 * 1024 * 1024, "5.00 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExternalFilesDlg::SizeText(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
}

TEST_F(ExternalFilesList, RowsShowNameReferenceSizeAndState)
{
    ExternalFilesDlg dialog;
    dialog.m_records = Records();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("External files"));
    QTreeWidget* list = dialog.List();
    EXPECT_EQ(ControlId(list), ExternalFilesDlg::kListId);
    EXPECT_EQ(list->headerItem()->text(ExternalFilesDlg::SizeColumn), QStringLiteral("Size"));
    ASSERT_EQ(list->topLevelItemCount(), 5);
    const QStringList rows[] = {
        {QStringLiteral("interview.mp3"), QStringLiteral("/home/ann/media/interview.mp3"), QStringLiteral("3.32 MB"),
         QStringLiteral("Found")},
        {QStringLiteral("scan.pdf"), QStringLiteral("C:\\Data\\scan.pdf"), QStringLiteral("2.00 KB"),
         QStringLiteral("Found in the externals or project folder")},
        // A missing file has no size.
        {QStringLiteral("gone.wav"), QStringLiteral("/nowhere/gone.wav"), QString(), QStringLiteral("Not found")},
        {QStringLiteral("exact.bin"), QStringLiteral("/data/exact.bin"), QStringLiteral("1024.00 KB"),
         QStringLiteral("Found")},
        {QStringLiteral("film.mkv"), QStringLiteral("/data/film.mkv"), QStringLiteral("5.00 GB"), QStringLiteral("Found")},
    };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < ExternalFilesDlg::ColumnCount; ++c)
            EXPECT_EQ(list->topLevelItem(r)->text(c), rows[r][c]) << r << "," << c;
    EXPECT_TRUE(list->topLevelItem(0)->textAlignment(ExternalFilesDlg::SizeColumn) & Qt::AlignRight);
    EXPECT_EQ(list->columnWidth(ExternalFilesDlg::SizeColumn), 70);
    EXPECT_EQ(list->columnWidth(ExternalFilesDlg::StatusColumn), 148);
    const int width = list->viewport()->width();
    EXPECT_EQ(list->columnWidth(ExternalFilesDlg::NameColumn), width / 3 - 100);
    EXPECT_EQ(list->columnWidth(ExternalFilesDlg::ReferenceColumn), 2 * width / 3 - 120);

    QTest::mouseClick(FindControl(&dialog, ExternalFilesDlg::kCloseId), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ExternalFilesList, LooksAsRecorded)
{
    ExternalFilesDlg dialog;
    dialog.m_records = Records();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(testutil::MatchesReferenceImage(
        &dialog, testutil::DataPath(QStringLiteral("screenshots/panes/externalfiles.png"))));
}
