// The property grid and the properties dialog, driven by keys offscreen.

#include "foundation/propertylist.h"
#include "ui/propertiesdlg.h"
#include "ui/propertygrid.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

CPropertyRecord Record(qint32 id, PropertyType type, const QString& name, const QString& value, bool visible = true)
{
    CPropertyRecord r(id, 0, name, type, visible);
    r.SetValueText(value);
    return r;
}

/// One record of every type, a hidden one among them.
CPropertyList EveryType()
{
    CPropertyList list;
    list.Add(Record(1, PropertyType::Group, QStringLiteral("General"), {}));
    list.Add(Record(2, PropertyType::Text, QStringLiteral("Text"), QStringLiteral("alpha")));
    list.Add(Record(3, PropertyType::Folder, QStringLiteral("Folder"), QStringLiteral("/tmp")));
    list.Add(Record(4, PropertyType::File, QStringLiteral("File"), QStringLiteral("/tmp/a.txt")));
    CPropertyRecord number = Record(5, PropertyType::Number, QStringLiteral("Number"), QStringLiteral("7"));
    number.SetLimits(0, 10);
    list.Add(number);
    CPropertyRecord integer = Record(6, PropertyType::Integer, QStringLiteral("Integer"), QStringLiteral("50"));
    integer.SetLimits(0, 100);
    list.Add(integer);
    list.Add(Record(7, PropertyType::Group, QStringLiteral("More"), {}));
    CPropertyRecord icons = Record(8, PropertyType::IntegerList, QStringLiteral("Icons"), QStringLiteral("0"));
    for (const char* text : {"Red", "", "", "Blue"}) {
        icons.AddIntItem(0);
        icons.AddStringItem(QString::fromLatin1(text));
    }
    list.Add(icons);
    CPropertyRecord choice = Record(9, PropertyType::Choice, QStringLiteral("Choice"), QStringLiteral("1"));
    for (const char* text : {"one", "two", "three"})
        choice.AddStringItem(QString::fromLatin1(text));
    list.Add(choice);
    list.Add(Record(10, PropertyType::Color, QStringLiteral("Colour"), QString::number(0x0000FF)));
    list.Add(Record(11, PropertyType::Real, QStringLiteral("Real"), QStringLiteral("1.5")));
    list.Add(Record(12, PropertyType::DateTime, QStringLiteral("When"), QStringLiteral("20240131123000")));
    list.Add(Record(13, PropertyType::Date, QStringLiteral("Day"), QStringLiteral("20240131000000")));
    list.Add(Record(14, PropertyType::Boolean, QStringLiteral("Check"), QStringLiteral("0")));
    list.Add(Record(15, PropertyType::Text, QStringLiteral("Hidden"), QStringLiteral("keep me"), false));
    return list;
}

class PropertyGridTest : public ::testing::Test {
protected:
    void Show(CPropertyList& list)
    {
        grid.resize(420, 460);
        grid.SetPropertyList(&list);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        grid.Grid()->setFocus();
    }
    /// Selects the item's value cell, as clicking its row does.
    void Select(const QString& name)
    {
        QTreeWidgetItem* item = grid.Grid()->FindItem(QString(), name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        grid.Grid()->setCurrentItem(item, 1);
    }
    QWidget* Editor() { return QApplication::focusWidget(); }

    CPropertyGridCtrl grid;
};

TEST_F(PropertyGridTest, BuildsCategoriesAndLeavesHiddenRecordsOut)
{
    CPropertyList list = EveryType();
    Show(list);
    CPropertyGridWnd* wnd = grid.Grid();
    ASSERT_EQ(wnd->topLevelItemCount(), 2);
    EXPECT_EQ(wnd->topLevelItem(0)->text(0), QStringLiteral("General"));
    EXPECT_EQ(wnd->topLevelItem(0)->childCount(), 5);
    EXPECT_EQ(wnd->topLevelItem(1)->childCount(), 7);
    EXPECT_EQ(wnd->FindItem(QString(), QStringLiteral("Hidden")), nullptr);
    // The icon combo's unnamed entries repeat the one before with a blank.
    const PropertyCell* icons = wnd->CellOf(wnd->FindItem(QString(), QStringLiteral("Icons")));
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(icons->entries.size(), 4);
    EXPECT_EQ(icons->entries[1].text, QStringLiteral("Red "));
    EXPECT_EQ(icons->entries[2].text, QStringLiteral("Red  "));
    EXPECT_EQ(icons->entries[3].text, QStringLiteral("Blue"));
    EXPECT_NE(icons->style & kCellStyleCombo, 0u);
}

TEST_F(PropertyGridTest, ApplyWithoutEditsLeavesTheListUnmodified)
{
    CPropertyList list = EveryType();
    Show(list);
    grid.Apply();
    EXPECT_FALSE(list.IsModified());
    EXPECT_EQ(list.GetString(15), QStringLiteral("keep me"));
    EXPECT_EQ(list.GetString(12), QStringLiteral("20240131123000"));
    EXPECT_EQ(list.GetString(11), QStringLiteral("1.5"));
}

TEST_F(PropertyGridTest, KeysEditEveryKindAndApplyMarksOnlyWhatChanged)
{
    CPropertyList list = EveryType();
    Show(list);

    Select(QStringLiteral("Text"));
    QTest::keyClick(grid.Grid(), Qt::Key_F2);
    ASSERT_NE(qobject_cast<QLineEdit*>(Editor()), nullptr);
    qobject_cast<QLineEdit*>(Editor())->selectAll();
    QTest::keyClicks(Editor(), QStringLiteral("beta"));
    QTest::keyClick(Editor(), Qt::Key_Return);

    Select(QStringLiteral("Choice"));
    QTest::keyClick(grid.Grid(), Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(Editor());
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);

    Select(QStringLiteral("Check"));
    QTest::keyClick(grid.Grid(), Qt::Key_Space);

    Select(QStringLiteral("Number"));
    QTest::keyClick(grid.Grid(), Qt::Key_F2);
    auto* spin = qobject_cast<QSpinBox*>(Editor());
    ASSERT_NE(spin, nullptr);
    // The spin stops at its maximum.
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->value(), 10);
    QTest::keyClick(spin, Qt::Key_Return);

    grid.Apply();
    EXPECT_TRUE(list.IsModified());
    EXPECT_EQ(list.GetString(2), QStringLiteral("beta"));
    EXPECT_EQ(list.GetInt(9), 2);
    EXPECT_TRUE(list.GetBool(14));
    EXPECT_EQ(list.GetInt(5), 10);
    for (const qint32 id : {2, 5, 9, 14})
        EXPECT_TRUE(list.IsItemModified(id)) << id;
    for (const qint32 id : {3, 4, 6, 8, 10, 11, 12, 13, 15})
        EXPECT_FALSE(list.IsItemModified(id)) << id;
    EXPECT_EQ(list.GetString(15), QStringLiteral("keep me"));
}

TEST_F(PropertyGridTest, ATypedNumberOutsideTheRangeIsRefused)
{
    CPropertyList list = EveryType();
    Show(list);
    Select(QStringLiteral("Integer"));
    QTest::keyClick(grid.Grid(), Qt::Key_F2);
    auto* spin = qobject_cast<QSpinBox*>(Editor());
    ASSERT_NE(spin, nullptr);
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("250"));
    QTest::keyClick(spin, Qt::Key_Return);
    grid.Apply();
    EXPECT_LE(list.GetInt(6), 100);
    EXPECT_NE(list.GetInt(6), 250);
}

TEST_F(PropertyGridTest, ColourCellsAskTheChooser)
{
    CPropertyList list = EveryType();
    Show(list);
    grid.Grid()->SetColourChooser([](QWidget*, COLORREF& colour) {
        colour = MakeColor(1, 2, 3);
        return true;
    });
    Select(QStringLiteral("Colour"));
    QTest::keyClick(grid.Grid(), Qt::Key_F2);
    grid.Apply();
    EXPECT_EQ(COLORREF(list.GetInt(10)), MakeColor(1, 2, 3));
    EXPECT_TRUE(list.IsItemModified(10));
}

TEST(PropertyValueTest, AFlatListFindsItemsByNameAlone)
{
    CPropertyList list;
    list.Add(Record(1, PropertyType::Text, QStringLiteral("Name"), QStringLiteral("x")));
    list.Add(Record(2, PropertyType::Boolean, QStringLiteral("Flag"), QStringLiteral("1")));
    CPropertyValue binding;
    binding.SetList(&list);
    ASSERT_NE(binding.BuildGrid(), nullptr);
    EXPECT_FALSE(binding.IsCategorised());
    EXPECT_EQ(binding.GetText(QStringLiteral("any"), QStringLiteral("Name")), QStringLiteral("x"));
    // Another kind reads as nothing and ignores a set.
    EXPECT_EQ(binding.GetInteger(QString(), QStringLiteral("Name")), 0);
    binding.SetCheck(QString(), QStringLiteral("Name"), true, true);
    binding.SetText(QString(), QStringLiteral("Name"), QStringLiteral("y"), true);
    EXPECT_TRUE(binding.Store()->cells[0].IsMarked());
    binding.Apply();
    EXPECT_EQ(list.GetString(1), QStringLiteral("y"));
    EXPECT_FALSE(list.IsItemModified(2));
}

TEST(ExtUpDownTest, RangeStopsStepsAndRefusesTypedIntegers)
{
    struct Case {
        double minimum, maximum;
        qint64 value;
        const char* typed;
        bool accepted;
        bool up, down;
    };
    const Case cases[] = {
        {0, 10, 10, "5", true, false, true},  {0, 10, 0, "11", false, true, false},
        {0, 10, 5, "-1", false, true, true},  {0, 10, 5, "x", false, true, true},
        {3, 3, 3, "99", true, true, true},    // equal bounds set no range
    };
    for (const Case& c : cases) {
        CExtUpDown n;
        n.SetInteger(c.value);
        n.SetRange(c.minimum, c.maximum);
        CExtUpDown up = n, down = n;
        EXPECT_EQ(up.Increment(), c.up) << c.typed;
        EXPECT_EQ(down.Decrement(), c.down) << c.typed;
        EXPECT_EQ(n.SetFromText(QString::fromLatin1(c.typed)), c.accepted) << c.typed;
        if (!c.accepted) {
            EXPECT_EQ(n.Integer(), c.value);
        }
    }
}

TEST(PropertiesDlgTest, OkWritesBackCancelDoesNotAndTheExtraButtonEndsWithSix)
{
    for (const int button : {1, 2, 6}) {
        CPropertyList list = EveryType();
        CPropertiesDlg dialog(nullptr, 1, 1056, 102059, button == 6 ? 102293 : 0);
        dialog.SetList(&list);
        QTimer::singleShot(0, &dialog, [&dialog, button] {
            CPropertyGridWnd* wnd = dialog.Grid()->Grid();
            wnd->setCurrentItem(wnd->FindItem(QString(), QStringLiteral("Check")), 1);
            QTest::keyClick(wnd, Qt::Key_Space);
            auto* target = qobject_cast<QPushButton*>(FindControl(&dialog, button));
            ASSERT_NE(target, nullptr);
            EXPECT_TRUE(target->isVisible());
            QTest::mouseClick(target, Qt::LeftButton);
        });
        const int result = dialog.exec();
        EXPECT_EQ(result, button == 1 ? int(QDialog::Accepted) : button == 2 ? int(QDialog::Rejected) : 6);
        EXPECT_EQ(list.IsModified(), button == 1) << button;
    }
}

TEST(PropertiesDlgTest, WithoutTopicOrExtraTextTheirButtonsHideAndLargeSizeGrows)
{
    CPropertyList list = EveryType();
    CPropertiesDlg dialog(nullptr, 1, 0, 102059, 0, true);
    dialog.SetList(&list);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.HelpButton()->isVisible());
    EXPECT_FALSE(dialog.ExtraButton()->isVisible());
    EXPECT_GE(dialog.width(), 700);
    EXPECT_GE(dialog.height(), 605);
    dialog.reject();
}

}  // namespace
