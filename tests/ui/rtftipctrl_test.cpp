// The delayed rich-text tip: when it shows, where, what it draws and what
// hides it.

#include "ui/objlistctrl.h"
#include "ui/rtftipctrl.h"

#include <QCursor>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

class RtfTip : public testing::Test {
protected:
    void SetUp() override
    {
        CRTFTipCtrl::SetDelay(0);
        owner.resize(300, 200);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        tip.Create(&owner);
        tip.SetTipSize(QSize(120, 40));
        item = QRect(owner.mapToGlobal(QPoint(10, 10)), QSize(50, 20));
    }
    void TearDown() override { CRTFTipCtrl::SetDelay(500); }

    bool popsUp()
    {
        return QTest::qWaitFor([&] { return tip.isVisible(); }, 1000);
    }
    /// With no delay the timer has run once pending events are handled.
    bool shownAfterDelay()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return tip.isVisible();
    }

    QWidget owner;
    CRTFTipCtrl tip;
    QRect item;
};

}  // namespace

TEST_F(RtfTip, ShowsOnlyWhenEnabledAndTheCursorRestsOnTheItem)
{
    QCursor::setPos(item.center());
    tip.Show(item, QStringLiteral("Heading"), {});
    EXPECT_FALSE(shownAfterDelay());   // not enabled

    tip.SetTipsEnabled(true);
    QCursor::setPos(item.bottomRight() + QPoint(30, 30));
    tip.Show(item, QStringLiteral("Heading"), {});
    EXPECT_FALSE(shownAfterDelay());   // the cursor left before the delay ended

    QCursor::setPos(item.center());
    tip.Show(item, QStringLiteral("Heading"), {});
    ASSERT_TRUE(popsUp());
    EXPECT_EQ(CRTFTipCtrl::ActiveTip(), &tip);
    EXPECT_EQ(tip.geometry(), QRect(item.center() + CRTFTipCtrl::kCursorOffset, QSize(120, 40)));
    // A second Show while shown changes nothing.
    tip.Show(QRect(0, 0, 5, 5), QStringLiteral("Other"), {});
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.ItemRect(), item);
}

TEST_F(RtfTip, KeysClicksAndLeavingTheItemHideIt)
{
    tip.SetTipsEnabled(true);
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"move inside keeps it", [&] { QTest::mouseMove(&owner, owner.mapFromGlobal(item.center() + QPoint(3, 0))); }},
        {"key", [&] { QTest::keyClick(&owner, Qt::Key_A); }},
        {"click", [&] { QTest::mouseClick(&owner, Qt::LeftButton, {}, QPoint(15, 15)); }},
        {"move out", [&] { QTest::mouseMove(&owner, QPoint(200, 150)); }},
    };
    for (const auto& [name, act] : cases) {
        SCOPED_TRACE(name);
        QCursor::setPos(item.center());
        tip.Show(item, QStringLiteral("Heading"), {});
        ASSERT_TRUE(popsUp());
        act();
        EXPECT_EQ(tip.isVisible(), std::string(name) == "move inside keeps it");
        tip.Hide();
        EXPECT_EQ(CRTFTipCtrl::ActiveTip(), nullptr);
    }
}

TEST(RtfTipPlacement, StaysOnTheScreen)
{
    const QRect screen(0, 0, 800, 600);
    const QSize size(200, 50);
    EXPECT_EQ(CRTFTipCtrl::PlaceOnScreen(QPoint(100, 100), size, screen), QRect(QPoint(105, 121), size));
    const QRect corner = CRTFTipCtrl::PlaceOnScreen(QPoint(790, 590), size, screen);
    EXPECT_EQ(corner.bottomRight(), screen.bottomRight());
}

TEST(RtfTipContent, HeadingIsBoldAndBlueOnlyAboveContent)
{
    CRTFTipCtrl tip;
    tip.SetTipsEnabled(true);
    QTextDocument document;
    tip.Show(QRect(0, 0, 1, 1), QStringLiteral("Code"), QByteArray("{\\rtf1 body text\\par}"));
    tip.BuildDocument(document);
    EXPECT_TRUE(document.toPlainText().startsWith("Codebody text")) << document.toPlainText().toStdString();
    QTextCharFormat heading = document.begin().begin().fragment().charFormat();
    EXPECT_EQ(heading.fontWeight(), QFont::Bold);
    EXPECT_EQ(heading.foreground().color(), QColor(0, 0, 125));

    tip.Hide();
    tip.Show(QRect(0, 0, 1, 1), QStringLiteral("Code"), {});
    tip.BuildDocument(document);
    EXPECT_EQ(document.toPlainText(), "Code");
    heading = document.begin().begin().fragment().charFormat();
    EXPECT_EQ(heading.fontWeight(), QFont::Normal);
    EXPECT_EQ(heading.foreground().color(), QColor(Qt::black));
    tip.Hide();
}

TEST(MatrixTip, RestingOnACellShowsItsTip)
{
    CRTFTipCtrl::SetDelay(0);
    MatrixData d;
    d.columnIds = {1, 2};
    d.rowIds = {7};
    d.values = {1, 0};
    d.secondValues = {0, 0xFF};
    CObjListCtrl ctrl;
    ctrl.resize(400, 120);
    ctrl.Load(MatrixDisplay::DocumentStripes, &d);
    ctrl.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ctrl));
    const QRect cell = ctrl.visualRect(ctrl.model()->index(0, 1));
    QCursor::setPos(ctrl.viewport()->mapToGlobal(cell.center()));
    QTest::mouseMove(ctrl.viewport(), cell.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ctrl.Tip().isVisible(); }, 1000));
    QTest::mouseMove(ctrl.viewport(), ctrl.visualRect(ctrl.model()->index(0, 0)).center());
    EXPECT_FALSE(ctrl.Tip().isVisible());
    CRTFTipCtrl::SetDelay(500);
}
