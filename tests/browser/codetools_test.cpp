// The code tool window and the colour picker, clicked as a user does.

#include "browser/codetoolbardlg.h"
#include "ui/colorpicdlg.h"
#include "ui/colourchecklist.h"

#include "common/screenshots.h"
#include "panes/treefixture.h"

#include <QPushButton>
#include <QSignalSpy>

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

QPoint RowLabelPoint(CColourCheckList* list, int row)
{
    return list->LabelRect(row).center();
}

QPoint RowCheckPoint(CColourCheckList* list, int row)
{
    return list->CheckRect(row).center();
}

QStringList RowTexts(CColourCheckList* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

class ColourPicker : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1)); }
    void TearDown() override { g_pStringStore->Close(); }
};

TEST_F(ColourPicker, OffersOtherColourAHeadingAndTheColoursInUse)
{
    ColorPicDlg empty;
    empty.show();
    EXPECT_THAT(RowTexts(empty.List()), ElementsAre("Other colour...", "Colours in use"));
    EXPECT_EQ(empty.MarkedRow(), -1);

    ColorPicDlg picker;
    picker.m_colors = {0x008000, 0x123456, 0xA400A4, 0x123456};
    picker.m_color = 0x123456;
    picker.show();
    // Standard colours are named; the last entry equal to the current colour is marked.
    EXPECT_THAT(RowTexts(picker.List()), ElementsAre("Other colour...", "Colours in use", "Green", "", "Violet", ""));
    EXPECT_EQ(picker.MarkedRow(), 5);
}

TEST_F(ColourPicker, AClickOnAColourPicksItAndTheHeadingDoesNothing)
{
    ColorPicDlg picker;
    picker.m_colors = {0x008000, 0x0000A4};
    picker.m_color = 0x008000;
    picker.show();
    QTest::mouseClick(picker.List()->viewport(), Qt::LeftButton, {}, RowLabelPoint(picker.List(), 1));
    EXPECT_TRUE(picker.isVisible());
    QTest::mouseClick(picker.List()->viewport(), Qt::LeftButton, {}, RowLabelPoint(picker.List(), 3));
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.m_color, 0x0000A4u);
}

TEST_F(ColourPicker, CancellingTheFullColourDialogKeepsThePickerOpen)
{
    ColorPicDlg picker;
    picker.m_color = 0x008000;
    bool answer = false;
    int asked = 0;
    picker.SetOtherColourDialog([&](QWidget*, COLORREF& colour) {
        ++asked;
        EXPECT_EQ(colour, 0x008000u);
        colour = 0x010203;
        return answer;
    });
    picker.show();
    QTest::mouseClick(picker.List()->viewport(), Qt::LeftButton, {}, RowLabelPoint(picker.List(), 0));
    EXPECT_TRUE(picker.isVisible());
    EXPECT_EQ(picker.m_color, 0x008000u);
    answer = true;
    QTest::mouseClick(picker.List()->viewport(), Qt::LeftButton, {}, RowLabelPoint(picker.List(), 0));
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(picker.m_color, 0x010203u);
    EXPECT_EQ(asked, 2);
}

TEST_F(ColourPicker, LooksAsRecorded)
{
    ColorPicDlg picker;
    picker.m_colors = {0x008000, 0x00C4C4, 0x800000, 0x0000A4, 0xA400A4, 0x808080};
    picker.m_color = 0x800000;
    picker.show();
    picker.resize(200, 200);
    EXPECT_TRUE(testutil::MatchesReferenceImage(&picker, testutil::DataPath(QStringLiteral("screenshots/browser/colourpicker.png"))));
}

/// The tool window over the tests' project, its codes answered by the document.
class CodeToolWindow : public treetest::TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        BuildProject();
    }
};

TEST_F(CodeToolWindow, AnEmptyListOffersNothingToRemove)
{
    QList<qint32> codes;
    auto* window = new CodeToolBarDlg(codes, &owner);
    window->show();
    EXPECT_EQ(window->List()->count(), 0);
    EXPECT_FALSE(window->RemoveButton()->isEnabled());
    window->close();
}

TEST_F(CodeToolWindow, ANameClickCodesTheSelectionAndACheckBoxClickOnlyTicks)
{
    QList<qint32> codes{codeJoy, codeFear};
    QPointer<CodeToolBarDlg> window = new CodeToolBarDlg(codes, &owner);
    window->show();
    EXPECT_THAT(RowTexts(window->List()), ElementsAre("Emotions\\Joy", "Emotions\\Fear"));
    QSignalSpy coded(window.data(), &CodeToolBarDlg::CodeSelection);
    QTest::mouseClick(window->List()->viewport(), Qt::LeftButton, {}, RowCheckPoint(window->List(), 1));
    EXPECT_TRUE(window->IsTicked(1));
    EXPECT_TRUE(window->RemoveButton()->isEnabled());
    EXPECT_EQ(coded.count(), 0);
    QTest::mouseClick(window->List()->viewport(), Qt::LeftButton, {}, RowLabelPoint(window->List(), 0));
    ASSERT_EQ(coded.count(), 1);
    EXPECT_EQ(coded.at(0).at(0).toInt(), codeJoy);
    QTest::mouseClick(window->RemoveButton(), Qt::LeftButton);
    EXPECT_THAT(codes, ElementsAre(codeJoy));
    EXPECT_THAT(window->RowCodes(), ElementsAre(codeJoy));
    EXPECT_FALSE(window->RemoveButton()->isEnabled());
    // Tick all, remove all.
    QTest::mouseClick(window->TickAllButton(), Qt::LeftButton);
    QTest::mouseClick(window->RemoveButton(), Qt::LeftButton);
    EXPECT_THAT(codes, IsEmpty());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "the window frees itself when closed";
}

TEST_F(CodeToolWindow, CodesAreAddedAtTheTopOnceAndRemovedWithTheProjectsCode)
{
    QList<qint32> codes{codeJoy};
    auto* window = new CodeToolBarDlg(codes, &owner);
    window->show();
    codes.prepend(codePlaces);
    window->AddCode(codePlaces);
    window->AddCode(codeJoy);
    EXPECT_THAT(window->RowCodes(), ElementsAre(codePlaces, codeJoy));
    window->RemoveCode(codeJoy);
    EXPECT_THAT(window->RowCodes(), ElementsAre(codePlaces));
    EXPECT_THAT(codes, ElementsAre(codePlaces));
    window->close();
}

TEST_F(CodeToolWindow, LooksAsRecorded)
{
    QList<qint32> codes{codeJoy, codeFear, codePlaces, codeEmotions};
    auto* window = new CodeToolBarDlg(codes, &owner);
    window->show();
    window->resize(180, 200);
    QTest::mouseClick(window->List()->viewport(), Qt::LeftButton, {}, RowCheckPoint(window->List(), 2));
    EXPECT_TRUE(testutil::MatchesReferenceImage(window, testutil::DataPath(QStringLiteral("screenshots/browser/codetoolwindow.png"))));
    window->close();
}

}  // namespace
