// The new-code dialog and the object combo box, used as a user does.

#include "panes/newcodedlg.h"
#include "panes/objcombobox.h"

#include "common/screenshots.h"
#include "document/docfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <gmock/gmock.h>

namespace {

class NewCodeDialog : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        parent = AddCode(QStringLiteral("Emotions"), 0, 3);
    }
    QPushButton* Ok(CNewCodeDlg& dialog) { return static_cast<QPushButton*>(FindControl(&dialog, 1)); }

    qint32 parent = 0;
};

TEST_F(NewCodeDialog, ATopLevelCodeIsGreenAndCannotInherit)
{
    CNewCodeDlg dialog;
    dialog.m_pDoc = &doc;
    dialog.show();
    EXPECT_FALSE(dialog.InheritBox()->isEnabled());
    EXPECT_TRUE(dialog.ColourButton()->isEnabled());
    EXPECT_EQ(dialog.m_color, 0x008000u);
    QTest::keyClicks(dialog.NameField(), QStringLiteral("  Places  "));
    QTest::keyClicks(dialog.MemoField(), QStringLiteral(" where it happened  "));
    QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_name, QStringLiteral("Places"));
    EXPECT_EQ(dialog.m_memo, QStringLiteral("where it happened"));
}

TEST_F(NewCodeDialog, ASubcodeTakesItsParentsColourUntilUnticked)
{
    CNewCodeDlg dialog;
    dialog.m_pDoc = &doc;
    dialog.m_parentCode = parent;
    int offered = 0;
    dialog.SetColourChooser([&](QWidget*, COLORREF& colour, const QList<COLORREF>& used) {
        ++offered;
        EXPECT_TRUE(used.contains(doc.GetItemColor(TopicId::Codes, parent)));
        colour = 0x123456;
        return true;
    });
    dialog.show();
    const COLORREF parentColour = doc.GetItemColor(TopicId::Codes, parent);
    EXPECT_TRUE(dialog.InheritBox()->isChecked());
    EXPECT_FALSE(dialog.ColourButton()->isEnabled());
    EXPECT_EQ(dialog.m_color, parentColour);
    QTest::mouseClick(dialog.InheritBox(), Qt::LeftButton, {}, QPoint(5, dialog.InheritBox()->height() / 2));
    EXPECT_TRUE(dialog.ColourButton()->isEnabled());
    EXPECT_EQ(dialog.m_color, parentColour);
    QTest::mouseClick(dialog.ColourButton(), Qt::LeftButton);
    EXPECT_EQ(offered, 1);
    EXPECT_EQ(dialog.m_color, 0x123456u);
}

TEST_F(NewCodeDialog, ANameInUseKeepsTheDialogOpen)
{
    CNewCodeDlg dialog;
    dialog.m_names = {QStringLiteral("joy"), QStringLiteral("fear")};
    dialog.show();
    QTest::keyClicks(dialog.NameField(), QStringLiteral(" JOY "));
    QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts.first(), LoadString(5791));
    dialog.NameField()->clear();
    QTest::keyClicks(dialog.NameField(), QStringLiteral("Joyful"));
    QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.m_name, QStringLiteral("Joyful"));
}

TEST_F(NewCodeDialog, AnEmptyNameClosesWithNothingToMake)
{
    CNewCodeDlg dialog;
    dialog.m_names = {QStringLiteral("joy")};
    dialog.show();
    QTest::keyClicks(dialog.NameField(), QStringLiteral("   "));
    QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.m_name.isEmpty());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(NewCodeDialog, LooksAsRecorded)
{
    CNewCodeDlg dialog;
    dialog.m_pDoc = &doc;
    dialog.m_parentCode = parent;
    dialog.show();
    dialog.resize(320, 300);
    QTest::keyClicks(dialog.NameField(), QStringLiteral("Joy"));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&dialog, testutil::DataPath(QStringLiteral("screenshots/panes/newcode.png"))));
}

TEST(ObjComboBox, SlotsKeepTextsAndValuesTogether)
{
    CObjComboBox combo;
    EXPECT_EQ(combo.InsertItem(-1, QStringLiteral("Anna"), 11), 0);
    EXPECT_EQ(combo.InsertItem(-1, QStringLiteral("Ben"), 22), 1);
    EXPECT_EQ(combo.InsertItem(-1, QStringLiteral("Cleo"), 33), 2);
    combo.DeleteItem(1);
    EXPECT_EQ(combo.SlotCount(), 3) << "a middle slot is freed in place";
    // The freed slot is taken again; the others keep their values.
    EXPECT_EQ(combo.InsertItem(0, QStringLiteral("Dora"), 44), 0);
    EXPECT_EQ(combo.SlotCount(), 3);
    EXPECT_EQ(combo.GetItemValue(0), 44u);
    EXPECT_EQ(combo.GetItemValue(1), 11u);
    EXPECT_EQ(combo.GetItemValue(2), 33u);
    EXPECT_EQ(combo.ComboBoxItemText(2), QStringLiteral("Cleo"));
    EXPECT_EQ(combo.GetItemValue(3), 0u);
    EXPECT_EQ(combo.GetItemValue(-1), 0u);
    EXPECT_TRUE(combo.ComboBoxItemText(7).isEmpty());
    // The entry of the last slot takes its slot along.
    combo.DeleteItem(2);
    EXPECT_EQ(combo.SlotCount(), 2);
    combo.ComboBoxReset();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.SlotCount(), 0);
}

TEST(ObjComboBox, ASortedComboOrdersWithoutCaseAndTheEditPartAnswersWithoutSelection)
{
    CObjComboBox combo;
    combo.SetSorted(true);
    combo.setEditable(true);
    for (const char* name : {"beta", "Alpha", "gamma"})
        combo.InsertItem(-1, QString::fromLatin1(name), 1);
    EXPECT_EQ(combo.ComboBoxItemText(0), QStringLiteral("Alpha"));
    EXPECT_EQ(combo.ComboBoxItemText(1), QStringLiteral("beta"));
    EXPECT_EQ(combo.ComboBoxItemText(2), QStringLiteral("gamma"));
    combo.setCurrentIndex(-1);
    combo.show();
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("typed"));
    combo.setCurrentIndex(-1);
    combo.setEditText(QStringLiteral("typed"));
    EXPECT_EQ(combo.GetCurrentText(), QStringLiteral("typed"));
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.GetCurrentText(), QStringLiteral("beta"));
}

}  // namespace
