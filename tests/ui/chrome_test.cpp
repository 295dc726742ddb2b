// Caption strips, tab strips, headers and command tool bars, driven by the
// mouse as a user drives them.

#include "common/screenshots.h"
#include "common/testutil.h"
#include "ui/captionwnd.h"
#include "ui/commandtoolbar.h"
#include "ui/headerctrl.h"
#include "ui/panetabwnd.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QLayout>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(CaptionStrips, TheRightTextShowsOnlyWhenBothTextsFitAndNullKeepsATextOld)
{
    CaptionWnd strip;
    strip.resize(300, 20);
    strip.SetTexts(QStringLiteral("Retrieved segments"), QStringLiteral("12 segments"));
    EXPECT_TRUE(strip.RightTextShown());
    strip.resize(60, 20);
    EXPECT_FALSE(strip.RightTextShown()) << "never cut with an ellipsis";
    strip.SetTexts(QString(), QStringLiteral(""));
    EXPECT_EQ(strip.Title(), QStringLiteral("Retrieved segments"));
    EXPECT_FALSE(strip.RightTextShown());

    CaptionLabelWnd label;
    label.SetTexts(QStringLiteral("Left"), QStringLiteral("Right"));
    label.SetTexts(QString(), QStringLiteral("Other"));
    EXPECT_EQ(label.LeftText(), QStringLiteral("Left"));
    EXPECT_EQ(label.RightText(), QStringLiteral("Other"));
}

TEST(CaptionStrips, LookAsRecorded)
{
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* caption = new CaptionWnd;
    caption->setFixedHeight(20);
    caption->SetTexts(QStringLiteral("Document browser"), QStringLiteral("Interview 1"));
    auto* label = new CaptionLabelWnd;
    label->setFixedHeight(20);
    label->SetTexts(QStringLiteral("A left text long enough to be cut at the split"), QStringLiteral("Right"));
    auto* panel = new CaptionPanelBar;
    panel->SetTexts(QStringLiteral("Panel"), QStringLiteral("text"));
    auto* swatch = new ColorSwatchWnd;
    swatch->setFixedHeight(12);
    swatch->SetColor(MakeColor(200, 30, 40));
    for (QWidget* w : {static_cast<QWidget*>(caption), static_cast<QWidget*>(label), static_cast<QWidget*>(panel),
                       static_cast<QWidget*>(swatch)})
        layout->addWidget(w);
    host.resize(320, 80);
    host.show();
    EXPECT_EQ(panel->height(), CaptionPanelBar::kHeight);
    EXPECT_TRUE(testutil::MatchesReferenceImage(&host, testutil::DataPath(QStringLiteral("ui/caption_strips.png"))));
}

class TabStripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(400, 30);
        PaneTabWnd* tabs = host.Tabs();
        for (const char* name : {"First", "Second", "Third"})
            tabs->addTab(QString::fromLatin1(name));
        tabs->setTabsClosable(true);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    void Click(int tab)
    {
        QTest::mouseClick(host.Tabs(), Qt::LeftButton, {}, host.Tabs()->tabRect(tab).center() - QPoint(8, 0));
    }
    TabHostWnd host;
};

TEST_F(TabStripTest, AnotherTabIsReportedOnceAndTheSelectedOneAsClickedAgain)
{
    PaneTabWnd* tabs = host.Tabs();
    EXPECT_EQ(tabs->geometry(), host.rect());
    QSignalSpy selected(tabs, &PaneTabWnd::TabSelected);
    QSignalSpy again(tabs, &PaneTabWnd::SelectedTabClicked);
    Click(1);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 1);
    EXPECT_EQ(again.size(), 0);
    EXPECT_EQ(tabs->CurrentTab(), 1);

    Click(1);
    EXPECT_EQ(selected.size(), 1) << "no selection message for the selected tab";
    EXPECT_EQ(again.size(), 1);

    tabs->moveTab(1, 2);
    EXPECT_EQ(tabs->CurrentTab(), 2) << "the current tab follows its move";
    EXPECT_EQ(selected.size(), 1);
}

TEST_F(TabStripTest, ATabsCloseButtonAsksToCloseThatTab)
{
    PaneTabWnd* tabs = host.Tabs();
    QSignalSpy close(tabs, &PaneTabWnd::CloseRequested);
    QWidget* button = tabs->tabButton(2, QTabBar::RightSide);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(close.size(), 1);
    EXPECT_EQ(close.at(0).at(0).toInt(), 2);
    EXPECT_EQ(tabs->count(), 3) << "the owner decides";
}

/// A view with a header of the given kind over a model of `columns`.
template <typename Header>
struct HeaderHost {
    explicit HeaderHost(int columns)
    {
        model.setColumnCount(columns);
        model.setRowCount(2);
        for (int c = 0; c < columns; ++c)
            model.setHeaderData(c, Qt::Horizontal, QStringLiteral("Column %1").arg(c));
        view.setModel(&model);
        header = new Header(&view);
        view.setHorizontalHeader(header);
        view.resize(320, 120);
        view.show();
        header->ApplyDefaultColumns();
    }
    QStandardItemModel model;
    QTableView view;
    Header* header;
};

// Drags the right border of the first column 30 pixels to the right.
void DragFirstBorder(QHeaderView* header)
{
    const int border = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
    const int y = header->height() / 2;
    QWidget* port = header->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(border, y));
    QTest::mouseMove(port, QPoint(border + 15, y));
    QTest::mouseMove(port, QPoint(border + 30, y));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(border + 30, y));
}

TEST(Headers, TreeHeadersRefuseResizingWhileListAndMarginHeadersAllowIt)
{
    HeaderHost<CHeaderCtrlB> code(3);
    HeaderHost<CHeaderCtrlH> documents(3);
    HeaderHost<CHeaderCtrlD> margins(2);
    HeaderHost<CHeaderCtrlEx> list(2);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list.view));
    margins.header->resizeSection(0, 60);
    for (QHeaderView* header : {static_cast<QHeaderView*>(code.header), static_cast<QHeaderView*>(documents.header),
                                static_cast<QHeaderView*>(margins.header), static_cast<QHeaderView*>(list.header)}) {
        const int before = header->sectionSize(0);
        DragFirstBorder(header);
        const bool fixed = header == code.header || header == documents.header;
        if (fixed)
            EXPECT_EQ(header->sectionSize(0), before);
        else
            EXPECT_GT(header->sectionSize(0), before);
        EXPECT_EQ(header->sectionsMovable(), !fixed);
    }
}

TEST(Headers, DefaultColumnsAndTheCheckColumnOption)
{
    HeaderHost<CHeaderCtrlB> code(3);
    const int scrollBar = code.view.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(code.header->sectionSize(0), 100);
    EXPECT_EQ(code.header->sectionSize(1), 19);
    EXPECT_EQ(code.header->sectionSize(2), scrollBar + 48);
    code.header->SetCheckColumnWidth(true);
    EXPECT_EQ(code.header->sectionSize(1), 19 + scrollBar);
    EXPECT_EQ(code.header->sectionSize(2), 0);
    code.header->SetCheckColumnWidth(false);
    EXPECT_EQ(code.header->sectionSize(2), scrollBar + 43);

    HeaderHost<CHeaderCtrlEx> list(2);
    EXPECT_EQ(list.header->sectionSize(0), 100);
    EXPECT_EQ(list.header->sectionSize(1), list.header->width() - 100);
}

TEST(Headers, ATipBelongsToTheColumnUnderTheMouseAndNotToItsBorders)
{
    HeaderHost<CHeaderCtrlEx> list(3);
    list.header->SetColumnTips({QStringLiteral("first"), QStringLiteral("second")});
    EXPECT_EQ(list.header->TipAt(50), QStringLiteral("first"));
    EXPECT_EQ(list.header->TipAt(0), QString()) << "the left border";
    EXPECT_EQ(list.header->TipAt(99), QString()) << "the right border";
    list.header->resizeSection(1, 50);
    EXPECT_EQ(list.header->TipAt(125), QStringLiteral("second"));
    EXPECT_EQ(list.header->TipAt(170), QString()) << "a column after the tip list has none";
}

TEST(Headers, LookAsRecorded)
{
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    QStandardItemModel model(1, 3);
    model.setHeaderData(0, Qt::Horizontal, QStringLiteral("Document"));
    model.setHeaderData(1, Qt::Horizontal, QStringLiteral("A caption far too long for its column"));
    model.setHeaderData(2, Qt::Horizontal, QStringLiteral("Weight"));
    QTableView list, codes, documents;
    for (QTableView* view : {&list, &codes, &documents}) {
        view->setModel(&model);
        view->setFixedHeight(40);
        view->verticalHeader()->hide();
        layout->addWidget(view);
    }
    auto* ex = new CHeaderCtrlEx(&list);
    list.setHorizontalHeader(ex);
    codes.setHorizontalHeader(new CHeaderCtrlB(&codes));
    documents.setHorizontalHeader(new CHeaderCtrlH(&documents));
    host.resize(320, 130);
    host.show();
    for (QTableView* view : {&list, &codes, &documents})
        static_cast<HeaderLookBase*>(view->horizontalHeader())->ApplyDefaultColumns();
    ex->resizeSection(1, 90);
    EXPECT_TRUE(testutil::MatchesReferenceImage(&host, testutil::DataPath(QStringLiteral("ui/headers.png"))));
}

TEST(CommandToolBars, CommandsAreShownCheckedAndEnabledByIdAndTheCloseButtonStaysAtTheEnd)
{
    QWidget window;
    auto* bar = new CommandToolBar(QStringLiteral("bar"), &window);
    auto add = [&](int id) {
        auto* action = new QAction(QStringLiteral("C%1").arg(id), bar);
        action->setData(id);
        bar->addAction(action);
        return action;
    };
    QAction* open = add(100);
    QAction* close = add(CommandToolBar::kPinnedCommand);
    QAction* later = add(101);
    bar->resize(400, 30);
    window.resize(400, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* closeButton = bar->widgetForAction(close);
    QWidget* laterButton = bar->widgetForAction(later);
    ASSERT_TRUE(closeButton && laterButton);
    EXPECT_GT(closeButton->x(), laterButton->x()) << "a button added later goes before the pinned one";
    EXPECT_GT(closeButton->geometry().right(), bar->width() - 40);
    const int indented = bar->widgetForAction(open)->x();
    bar->SetIndent(0);
    bar->layout()->activate();
    EXPECT_GE(indented - bar->widgetForAction(open)->x(), 7) << "buttons stand the indent further right";

    bar->ShowCommand(100, false);
    EXPECT_FALSE(open->isVisible());
    bar->ShowCommand(100, true);
    EXPECT_TRUE(open->isVisible());
    bar->CheckCommand(101, true);
    EXPECT_TRUE(later->isChecked());
    bar->EnableCommand(101, false);
    EXPECT_FALSE(later->isEnabled());
    // Unknown commands change nothing.
    bar->ShowCommand(999, false);
    bar->RemoveCommand(999);
    EXPECT_EQ(bar->CommandAction(999), nullptr);
    bar->RemoveCommand(100);
    EXPECT_EQ(bar->CommandAction(100), nullptr);
    EXPECT_EQ(bar->CommandAction(101), later);
}

}  // namespace
