// The coding options dialog: the code chosen from the quick codes, the
// weight, and the extent whose amounts only the third choice takes.

#include "app/codingoptionsdlg.h"
#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CodingOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = {};
    }
    static void Fill(CCodingOptionsDlg& dialog)
    {
        dialog.m_codeIds = {7, 9, 12};
        dialog.m_codeNames = {QStringLiteral("Honey"), QStringLiteral("Bees"), QStringLiteral("Garden\\Roses")};
        dialog.m_codeText = QStringLiteral("BEES");
    }
    static void Show(CCodingOptionsDlg& dialog)
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    template <typename T>
    static T* Control(CCodingOptionsDlg& dialog, int id)
    {
        return qobject_cast<T*>(FindControl(&dialog, id));
    }
    static void ClickOk(CCodingOptionsDlg& dialog)
    {
        QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
    }
    /// Clicks a radio button on its mark, where a click always lands.
    static void ClickRadio(CCodingOptionsDlg& dialog, int id)
    {
        QRadioButton* radio = Control<QRadioButton>(dialog, id);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    }
    static void TypeInto(QSpinBox* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    testutil::TempDir dir;
};

TEST_F(CodingOptions, TheChosenCodeAndTheTypedWeightComeBackOnOk)
{
    CCodingOptionsDlg dialog(nullptr, false);
    Fill(dialog);
    dialog.m_weight = 60;
    Show(dialog);
    QComboBox* combo = dialog.CodeCombo();
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Bees")) << "matched without regard to case";
    EXPECT_EQ(dialog.WeightField()->value(), 60);

    // The third code picked with the keys, and a weight typed in.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Garden\\Roses"));
    TypeInto(dialog.WeightField(), QStringLiteral("35"));
    ClickOk(dialog);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_selectedCode, 12);
    EXPECT_EQ(dialog.m_weight, 35);
}

TEST_F(CodingOptions, AnUnknownCodeTextSelectsTheFirstEntryAndNoEntriesGiveNoCode)
{
    CCodingOptionsDlg dialog(nullptr, false);
    Fill(dialog);
    dialog.m_codeText = QStringLiteral("Wasps");
    Show(dialog);
    EXPECT_EQ(dialog.CodeCombo()->currentText(), QStringLiteral("Honey"));
    ClickOk(dialog);
    EXPECT_EQ(dialog.m_selectedCode, 7);

    CCodingOptionsDlg empty(nullptr, false);
    empty.m_selectedCode = 9;
    Show(empty);
    ClickOk(empty);
    EXPECT_EQ(empty.m_selectedCode, 0);
}

TEST_F(CodingOptions, TheWeightFieldTakesNothingAbove100OrBelow0)
{
    CCodingOptionsDlg dialog(nullptr, false);
    Fill(dialog);
    Show(dialog);
    TypeInto(dialog.WeightField(), QStringLiteral("150"));
    EXPECT_LE(dialog.WeightField()->value(), 100);
    TypeInto(dialog.WeightField(), QStringLiteral("-5"));
    EXPECT_GE(dialog.WeightField()->value(), 0);
    ClickOk(dialog);
    EXPECT_GE(dialog.m_weight, 0);
    EXPECT_LE(dialog.m_weight, 100);
}

TEST_F(CodingOptions, WithoutTheExtentItsControlsAreHiddenAndHelpIsOffered)
{
    CCodingOptionsDlg dialog(nullptr, false);
    Fill(dialog);
    Show(dialog);
    for (const int id : {CCodingOptionsDlg::ExtentFirst, CCodingOptionsDlg::ExtentSecond,
                         CCodingOptionsDlg::ExtentThird, CCodingOptionsDlg::MinusEdit, CCodingOptionsDlg::PlusEdit})
        EXPECT_FALSE(FindControl(&dialog, id)->isVisible()) << id;
    EXPECT_TRUE(FindControl(&dialog, CCodingOptionsDlg::HelpButton)->isVisible());
}

TEST_F(CodingOptions, TheAmountsWaitForTheThirdExtent)
{
    CCodingOptionsDlg dialog(nullptr, true);
    Fill(dialog);
    dialog.m_extent = 1;
    dialog.m_minus = 2;
    dialog.m_plus = 3;
    Show(dialog);
    EXPECT_FALSE(FindControl(&dialog, CCodingOptionsDlg::HelpButton)->isVisible());
    auto* minus = Control<QSpinBox>(dialog, CCodingOptionsDlg::MinusEdit);
    auto* plus = Control<QSpinBox>(dialog, CCodingOptionsDlg::PlusEdit);
    EXPECT_TRUE(Control<QRadioButton>(dialog, CCodingOptionsDlg::ExtentSecond)->isChecked());
    EXPECT_FALSE(minus->isEnabled());
    EXPECT_FALSE(plus->isEnabled());

    ClickRadio(dialog, CCodingOptionsDlg::ExtentThird);
    ASSERT_TRUE(minus->isEnabled());
    ASSERT_TRUE(plus->isEnabled());
    TypeInto(minus, QStringLiteral("4"));
    TypeInto(plus, QStringLiteral("1"));
    ClickRadio(dialog, CCodingOptionsDlg::ExtentFirst);
    EXPECT_FALSE(minus->isEnabled());
    ClickRadio(dialog, CCodingOptionsDlg::ExtentThird);
    ClickOk(dialog);

    EXPECT_EQ(dialog.m_extent, 2);
    EXPECT_EQ(dialog.m_minus, 4);
    EXPECT_EQ(dialog.m_plus, 1);
}

TEST_F(CodingOptions, LooksAsRecorded)
{
    CCodingOptionsDlg dialog(nullptr, true);
    Fill(dialog);
    dialog.m_weight = 80;
    dialog.m_extent = 2;
    Show(dialog);
    EXPECT_TRUE(testutil::MatchesReferenceImage(
        &dialog, testutil::DataPath(QStringLiteral("screenshots/app/codingoptions.png"))));
}

}  // namespace
