// The small input dialogs: limits while typing, on leaving a field and on
// OK; trimmed texts; the title popup's placement and drag; the user list.

#include "common/testutil.h"
#include "ui/numberentrydlg.h"
#include "ui/richtextinputdlg.h"
#include "ui/titleeditpopup.h"
#include "ui/usernamedlg.h"
#include "ui/weightrangedlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void activate(QWidget* w)
{
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

/// Replaces the field's text by typing, as a user does.
void retype(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

}  // namespace

TEST(NumberEntryDlg, ValuesOutsideTheLimitsNeverPass)
{
    struct Case {
        int rangeSwitch;
        const char* typed;
        int afterLeaving;
    };
    const std::vector<Case> cases = {
        {1, "5", 20},
        {1, "100000", 10000},   // the last digit cannot be typed
        {1, "640", 640},
        {0, "0", 0},
        {0, "100", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        NumberEntryDlg dlg(c.rangeSwitch == 1 ? 80 : 50, c.rangeSwitch);
        activate(&dlg);
        retype(dlg.Edit(), QString::fromLatin1(c.typed));
        QTest::keyClick(dlg.Edit(), Qt::Key_Tab);
        EXPECT_EQ(dlg.Edit()->value(), c.afterLeaving);
    }

    // Enter right after typing: OK must not take the value unchecked.
    NumberEntryDlg dlg(80, 1);
    activate(&dlg);
    retype(dlg.Edit(), QStringLiteral("5"));
    QTest::keyClick(dlg.Edit(), Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Value(), 20);
}

TEST(RichTextInputDlg, TextComesBackTrimmedAndAtMost127Characters)
{
    CRichTextInputDlg dlg;
    dlg.SetText(QStringLiteral("old"));
    activate(&dlg);
    EXPECT_EQ(dlg.Edit()->text(), "old");
    retype(dlg.Edit(), QStringLiteral("  new name \t"));
    QTest::keyClick(dlg.Edit(), Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Text(), "new name");

    CRichTextInputDlg2 second;
    second.SetTitle(QStringLiteral("Rename"));
    activate(&second);
    EXPECT_EQ(second.windowTitle(), "Rename");
    retype(second.Edit(), QString(200, QLatin1Char('x')));
    EXPECT_EQ(second.Edit()->text().size(), CRichTextInputDlg::kMaxLength);
    // The first variant has no help; the second has.
    const auto visibleHelp = [](const QDialog& d) {
        for (const QPushButton* b : d.findChildren<QPushButton*>())
            if (b->isVisible() && b->text().contains(QStringLiteral("Help")))
                return true;
        return false;
    };
    EXPECT_FALSE(visibleHelp(dlg));
    EXPECT_TRUE(visibleHelp(second));
}

TEST(TitleEditPopup, StaysOnTheScreen)
{
    const QRect screen(0, 0, 1000, 700);
    const QSize size(200, CTitleEditPopup::kHeight);
    struct Case {
        const char* name;
        int x, y, fallbackY;
        QPoint expected;
    };
    const std::vector<Case> cases = {
        {"inside", 100, 100, 50, QPoint(110, 100)},
        {"past the right edge", 950, 100, 50, QPoint(1000 - 200 - 5, 100)},
        {"left of the screen", -40, 100, 50, QPoint(5, 100)},
        {"past the bottom", 100, 690, 650, QPoint(110, 650 - 28)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTitleEditPopup::Placement p;
        p.x = c.x;
        p.y = c.y;
        p.fallbackY = c.fallbackY;
        EXPECT_EQ(CTitleEditPopup::PlaceOnScreen(p, size, 10, screen), c.expected);
    }
}

TEST(TitleEditPopup, OkTakesOnlyANumberInRangeAndTheFreeAreaDrags)
{
    CTitleEditPopup::Placement p;
    p.x = 100;
    p.y = 100;
    p.fallbackY = 80;
    p.caption = QStringLiteral("Width");
    CTitleEditPopup popup(p);
    popup.SetValue(3);
    activate(&popup);
    EXPECT_EQ(popup.height(), CTitleEditPopup::kHeight);

    for (const char* refused : {"99999999", ""}) {
        SCOPED_TRACE(refused);
        retype(popup.Edit(), QString::fromLatin1(refused));
        QTest::mouseClick(popup.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(popup.isVisible());
        EXPECT_EQ(popup.result(), QDialog::Rejected);
    }
    retype(popup.Edit(), QStringLiteral("12.5"));
    const QPoint before = popup.pos();
    QTest::mousePress(&popup, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(&popup, QPoint(33, 13));
    QTest::mouseRelease(&popup, Qt::LeftButton, {}, QPoint(33, 13));
    EXPECT_EQ(popup.pos(), before + QPoint(30, 10));
    QTest::mouseClick(popup.OkButton(), Qt::LeftButton);
    EXPECT_EQ(popup.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(popup.Value(), 12.5);
}

TEST(WeightRangeDlg, TheLowerWeightNeverPassesTheUpper)
{
    CWeightRangeDlg dlg(nullptr, 20, 50);
    activate(&dlg);
    retype(dlg.LowerEdit(), QStringLiteral("70"));
    QTest::keyClick(dlg.LowerEdit(), Qt::Key_Tab);
    EXPECT_EQ(dlg.LowerEdit()->value(), 50);
    retype(dlg.LowerEdit(), QStringLiteral("30"));
    retype(dlg.UpperEdit(), QStringLiteral("10"));
    QTest::keyClick(dlg.UpperEdit(), Qt::Key_Tab);
    EXPECT_EQ(dlg.UpperEdit()->value(), 30);

    // Typed and confirmed at once.
    retype(dlg.LowerEdit(), QStringLiteral("90"));
    QTest::keyClick(dlg.LowerEdit(), Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Lower(), 30);
    EXPECT_EQ(dlg.Upper(), 30);
}

TEST(UserNameDlg, TheCurrentUserIsListedOnce)
{
    struct Case {
        const char* name;
        QStringList known;
        QString current;
        QStringList listed;
        QString chosen;
    };
    const std::vector<Case> cases = {
        {"differs in case", {"Anna", "Ben"}, "anna", {"Anna", "Ben"}, "Anna"},
        {"unknown", {"Anna"}, "Carl", {"Anna", "Carl"}, "Carl"},
        {"none yet", {}, "", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUserNameDlg dlg(c.known, c.current);
        activate(&dlg);
        QTest::keyClick(dlg.Combo(), Qt::Key_Return);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.KnownUsers(), c.listed);
        EXPECT_EQ(dlg.CurrentUser(), c.chosen);
    }

    CUserNameDlg typed({"Anna"}, "Anna");
    activate(&typed);
    retype(typed.Combo()->lineEdit(), QStringLiteral("Dora"));
    QTest::keyClick(typed.Combo(), Qt::Key_Return);
    EXPECT_EQ(typed.CurrentUser(), "Dora");
}
