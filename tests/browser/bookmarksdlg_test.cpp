// The PDF bookmarks pane: the outline or one entry per page, pages shown
// on a click or Enter, and the entries of the current page marked.

#include "browser/bookmarksdlg.h"
#include "browser/pdfpagetarget.h"

#include "common/pdfbuilder.h"
#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/stringstore.h"
#include "platform/pdf/pdfengine.h"

#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

namespace {

/// A viewer that records the pages it is asked to show.
class RecordingViewer : public IPdfPageTarget {
public:
    PdfEngine* GetPdfEngine() override { return engine.IsOpen() ? &engine : nullptr; }
    void GoToPage(int page) override { pages.append(page); }

    PdfEngine engine;
    QList<int> pages;
};

/// The entries depth first, each as "<indent>title:page:image".
QStringList Entries(QTreeWidget* tree)
{
    QStringList entries;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        entries.append(QString(depth * 2, QLatin1Char(' ')) +
                       QStringLiteral("%1:%2:%3")
                           .arg((*it)->text(0))
                           .arg((*it)->data(0, CBookMarksDlg::kPageRole).toInt())
                           .arg((*it)->data(0, CBookMarksDlg::kImageRole).toInt()));
    }
    return entries;
}

QTreeWidgetItem* ItemNamed(QTreeWidget* tree, const QString& text)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.value(0);
}

void Click(QTreeWidget* tree, QTreeWidgetItem* item)
{
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

class BookmarksPane : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
    void TearDown() override { g_pStringStore->Close(); }
};

QByteArray OutlinedPdf()
{
    using testutil::OutlineEntry;
    using Target = OutlineEntry::Target;
    return testutil::MakeOutlinedPdf(
        3, {{"Introduction", Target::Dest, 0, {}},
            {"Method", Target::GoToAction, 1, {{"Sample", Target::Dest, 1, {}}, {"Web page", Target::UriAction, 0, {}}}},
            {"Results", Target::Dest, 2, {}}});
}

}  // namespace

TEST_F(BookmarksPane, ShowsTheOutlineAndGoesToThePageClicked)
{
    RecordingViewer viewer;
    ASSERT_TRUE(viewer.engine.Load(OutlinedPdf()));
    CBookMarksDlg pane(&viewer);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    QTreeWidget* tree = pane.Tree();
    EXPECT_EQ(Entries(tree), (QStringList{"Introduction:0:0", "Method:1:0", "  Sample:1:0", "  Web page:0:0",
                                          "Results:2:0"}));

    Click(tree, ItemNamed(tree, QStringLiteral("Results")));
    Click(tree, ItemNamed(tree, QStringLiteral("Sample")));
    // A web address is no go-to: its entry leads to the first page.
    Click(tree, ItemNamed(tree, QStringLiteral("Web page")));
    EXPECT_EQ(viewer.pages, (QList<int>{2, 1, 0}));

    // Enter shows the selected entry's page; nothing without a selection.
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Method")));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(viewer.pages.last(), 1);
    tree->clearSelection();
    viewer.pages.clear();
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_TRUE(viewer.pages.isEmpty());

    // Both entries of page 1 are marked, and only they.
    pane.MarkPage(1);
    EXPECT_EQ(Entries(tree), (QStringList{"Introduction:0:0", "Method:1:1", "  Sample:1:1", "  Web page:0:0",
                                          "Results:2:0"}));
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Results")));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&pane, testutil::DataPath(QStringLiteral("screenshots/browser/pdfbookmarks.png"))));
    pane.MarkPage(2);
    EXPECT_EQ(Entries(tree), (QStringList{"Introduction:0:0", "Method:1:0", "  Sample:1:0", "  Web page:0:0",
                                          "Results:2:1"}));
}

TEST_F(BookmarksPane, WithoutAnOutlineOneEntryPerPage)
{
    RecordingViewer viewer;
    ASSERT_TRUE(viewer.engine.Load(testutil::MakePdf(QSizeF(200, 200), {nullptr, nullptr, nullptr})));
    CBookMarksDlg pane(&viewer);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    EXPECT_EQ(Entries(pane.Tree()), (QStringList{"Page 1:0:0", "Page 2:1:0", "Page 3:2:0"}));
    Click(pane.Tree(), ItemNamed(pane.Tree(), QStringLiteral("Page 2")));
    EXPECT_EQ(viewer.pages, QList<int>{1});

    // A closed document empties the pane; so does a viewer that is gone.
    viewer.engine.Close();
    pane.Fill();
    EXPECT_EQ(pane.Tree()->topLevelItemCount(), 0);
    ASSERT_TRUE(viewer.engine.Load(OutlinedPdf()));
    pane.SetTarget(nullptr);
    pane.Fill();
    EXPECT_EQ(pane.Tree()->topLevelItemCount(), 0);
}
