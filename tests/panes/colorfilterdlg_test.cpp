// The colour filter dialog, clicked as a user does.

#include "panes/colorfilterdlg.h"

#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/stringstore.h"
#include "ui/colourchecklist.h"
#include "ui/dlgbase.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ColourFilter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
    void TearDown() override { g_pStringStore->Close(); }

    void ClickCheck(ColorFilterDlg& dialog, int row)
    {
        QTest::mouseClick(dialog.List()->viewport(), Qt::LeftButton, {}, dialog.List()->CheckRect(row).center());
    }
    void ClickOk(ColorFilterDlg& dialog) { QTest::mouseClick(FindControl(&dialog, 1), Qt::LeftButton); }
};

TEST_F(ColourFilter, RowsAreTheColoursTickedByTheFilterAndOkKeepsTheTicksInListOrder)
{
    ColorFilterDlg dialog;
    dialog.m_colors = {0x008000, 0x123456, 0x800000};
    dialog.m_filter = {0x800000, 0x999999};   // a colour no longer in use is dropped
    dialog.show();
    ASSERT_EQ(dialog.List()->count(), 3);
    EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("Green"));
    EXPECT_EQ(dialog.List()->item(1)->text(), QString());
    EXPECT_EQ(dialog.List()->item(2)->text(), QStringLiteral("Blue"));
    EXPECT_FALSE(dialog.IsTicked(0));
    EXPECT_TRUE(dialog.IsTicked(2));
    // A click on the label does not tick; one on the check box does.
    QTest::mouseClick(dialog.List()->viewport(), Qt::LeftButton, {}, dialog.List()->LabelRect(1).center());
    EXPECT_FALSE(dialog.IsTicked(1));
    ClickCheck(dialog, 0);
    EXPECT_TRUE(dialog.IsTicked(0));
    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_filter, (QList<COLORREF>{0x008000, 0x800000}));
}

TEST_F(ColourFilter, TickAllUntickAllAndCancel)
{
    ColorFilterDlg dialog;
    dialog.m_colors = {0x008000, 0x123456};
    dialog.m_filter = {0x123456};
    dialog.show();
    QTest::mouseClick(dialog.TickAllButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.IsTicked(0) && dialog.IsTicked(1));
    EXPECT_TRUE(dialog.List()->hasFocus() || !dialog.isActiveWindow());
    QTest::mouseClick(FindControl(&dialog, 2), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_filter, QList<COLORREF>{0x123456});

    ColorFilterDlg none;
    none.m_colors = {0x008000, 0x123456};
    none.m_filter = {0x008000, 0x123456};
    none.show();
    QTest::mouseClick(none.UntickAllButton(), Qt::LeftButton);
    ClickOk(none);
    EXPECT_TRUE(none.m_filter.isEmpty());
}

TEST_F(ColourFilter, LooksAsRecorded)
{
    ColorFilterDlg dialog;
    dialog.m_colors = {0x008000, 0x123456, 0x800000, 0x0000FF};
    dialog.m_filter = {0x800000, 0x0000FF};
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(testutil::MatchesReferenceImage(
        &dialog, testutil::DataPath(QStringLiteral("screenshots/panes/colorfilter.png"))));
}

}  // namespace
