// Coding many segments at once through the frame: every retrieved segment
// from the segments pane's menu, and the codings selected in the codings
// list, each with the code and weight the coding options dialog confirms.

#include "app/codingoptionsdlg.h"
#include "app/listwindows.h"
#include "browser/studyframe.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "panes/listids.h"
#include "panes/objectlistctrl.h"
#include "panes/objectlistwindow.h"
#include "store/topicdatabase.h"
#include "ui/dragstripwnd.h"

#include <QSpinBox>
#include <QToolBar>

namespace {

using browsertest::SelectWordAt;

class BatchCoding : public browsertest::StudyFrame {
protected:
    /// Codes a word of the shown document by dragging the code onto it.
    void CodeWord(qint32 code, const QString& word)
    {
        SelectWordAt(text(), At(word) + 1);
        ASSERT_TRUE(DragNodeToText(*frame->CodeTree(), TopicId::Codes, code, At(word) + 1));
    }

    /// When the coding options dialog shows: picks the code by its name
    /// from the list, types the weight and clicks OK; notes the weight it
    /// offered first.
    void AnswerCodingOptions(const QString& code, const QString& weight)
    {
        frametest::WhenModalShows([this, code, weight](QWidget* modal) {
            auto* dialog = qobject_cast<CCodingOptionsDlg*>(modal);
            ASSERT_TRUE(dialog);
            offeredWeight = dialog->WeightField()->value();
            offeredCode = dialog->CodeCombo()->currentText();
            QComboBox* combo = dialog->CodeCombo();
            const int row = combo->findText(code);
            ASSERT_GE(row, 0) << code.toStdString();
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_Home);
            for (int i = 0; i < row; ++i)
                QTest::keyClick(combo, Qt::Key_Down);
            ASSERT_EQ(combo->currentText(), code);
            dialog->WeightField()->setFocus();
            dialog->WeightField()->selectAll();
            QTest::keyClicks(dialog->WeightField(), weight);
            QTest::mouseClick(FindControl(dialog, 1), Qt::LeftButton);
        });
    }

    /// Right-clicks the segments strip below its boxes and clicks the
    /// command in the menu.
    void SegmentsMenuCommand(int command)
    {
        CDragStripWnd* strip = frame->Segments()->Strip();
        if (!segmentsMaximised) {
            QTest::mouseClick(frame->ViewOf(CommandId::PaneRetrievedSegments)->MaximiseButton(), Qt::LeftButton);
            QCoreApplication::processEvents();
            segmentsMaximised = true;
        }
        ASSERT_GT(strip->height(), 100);
        QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(strip->width() / 2, strip->height() - 4));
        ASSERT_TRUE(ClickContextCommand(command));
    }

    ObjectListWindow* OpenCodingsList()
    {
        frame->Commands().Execute(ListWindowCommand::CodingsList);
        ObjectListWindow* window = frame->ListWindows().Window(CListWindows::Codings);
        EXPECT_TRUE(window && QTest::qWaitForWindowExposed(window));
        return window;
    }
    static void ClickRow(ObjectListWindow* window, qint32 coding)
    {
        ObjectListCtrl* list = window->List1();
        const int row = list->Model()->RowOfKey(coding);
        ASSERT_GE(row, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    static void ClickCodeSelection(ObjectListWindow* window)
    {
        for (QAction* action : window->ToolBar()->actions())
            if (action->data().toInt() == ListCommand::CodeSelection) {
                QWidget* button = window->ToolBar()->widgetForAction(action);
                ASSERT_TRUE(button && button->isEnabled());
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        FAIL() << "no code-selection button";
    }
    qint32 CodingOf(qint32 code, const QString& word)
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::Codings, keys);
        for (const qint32 key : keys)
            if (db().GetIntValue(TopicId::Codings, key, CodingField::Code) == code
                && db().GetIntValue(TopicId::Codings, key, CodingField::StartChar) == At(word))
                return key;
        return 0;
    }
    qint32 WeightOf(qint32 coding) { return db().GetIntValue(TopicId::Codings, coding, CodingField::Weight); }

    int offeredWeight = -1;
    QString offeredCode;
    bool segmentsMaximised = false;
};

TEST_F(BatchCoding, EveryRetrievedSegmentGetsTheChosenQuickCodeAndWeight)
{
    OpenAnnaActivated();
    CodeWord(honey, QStringLiteral("honey"));
    CodeWord(honey, QStringLiteral("summer"));
    CodeWord(bees, QStringLiteral("Grandmother"));   // not retrieved: Bees is not activated
    ASSERT_EQ(Retrieved().size(), 2);
    ASSERT_EQ(frame->QuickCodes().SelectedCode(), bees);

    AnswerCodingOptions(QStringLiteral("Bees"), QStringLiteral("40"));
    SegmentsMenuCommand(BrowserCommand::CodeSegments);

    EXPECT_EQ(offeredCode, QStringLiteral("Bees"));
    EXPECT_EQ(offeredWeight, g_qdaOptions.GetInt(QdaOption::DefaultWeight));
    EXPECT_EQ(Codings(), Sorted({Coding(honey, QStringLiteral("honey")), Coding(honey, QStringLiteral("summer")),
                                 Coding(bees, QStringLiteral("honey")), Coding(bees, QStringLiteral("summer")),
                                 Coding(bees, QStringLiteral("Grandmother"))}));
    EXPECT_EQ(WeightOf(CodingOf(bees, QStringLiteral("honey"))), 40);
    EXPECT_EQ(WeightOf(CodingOf(bees, QStringLiteral("summer"))), 40);
    // The segment's stored text goes with the new coding.
    EXPECT_EQ(doctest::BlobOf(db(), TopicId::Codings, CodingOf(bees, QStringLiteral("honey")), CodingField::Text),
              doctest::BlobOf(db(), TopicId::Codings, CodingOf(honey, QStringLiteral("honey")), CodingField::Text));
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("2 codings made")});
    EXPECT_EQ(browser().GetStripeCount(), 5);

    // The document keeps the weight for the next batch; codings the
    // segments already have are not made twice.
    messages.texts.clear();
    AnswerCodingOptions(QStringLiteral("Bees"), QStringLiteral("55"));
    SegmentsMenuCommand(BrowserCommand::CodeSegments);
    EXPECT_EQ(offeredWeight, 40);
    EXPECT_EQ(frame->Document()->GetBatchCodingWeight(), 55);
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("0 codings made")});
    EXPECT_EQ(Codings().size(), 5);
}

TEST_F(BatchCoding, CodingsSelectedInTheCodingsListAreCodedOnceMore)
{
    OpenAnnaActivated();
    CodeWord(honey, QStringLiteral("honey"));
    CodeWord(honey, QStringLiteral("summer"));
    CodeWord(bees, QStringLiteral("kept"));
    const qint32 honeyCoding = CodingOf(honey, QStringLiteral("honey"));
    const qint32 summerCoding = CodingOf(honey, QStringLiteral("summer"));
    ASSERT_TRUE(honeyCoding && summerCoding);

    ObjectListWindow* list = OpenCodingsList();
    ASSERT_TRUE(list);
    ClickRow(list, honeyCoding);
    // Every row: the Bees coding of "kept" is not made twice.
    QTest::keyClick(list->List1(), Qt::Key_A, Qt::ControlModifier);
    AnswerCodingOptions(QStringLiteral("Bees"), QStringLiteral("70"));
    ClickCodeSelection(list);

    EXPECT_EQ(Codings(), Sorted({Coding(honey, QStringLiteral("honey")), Coding(honey, QStringLiteral("summer")),
                                 Coding(bees, QStringLiteral("kept")), Coding(bees, QStringLiteral("honey")),
                                 Coding(bees, QStringLiteral("summer"))}));
    const qint32 copy = CodingOf(bees, QStringLiteral("honey"));
    EXPECT_EQ(WeightOf(copy), 70);
    EXPECT_EQ(doctest::BlobOf(db(), TopicId::Codings, copy, CodingField::Text),
              doctest::BlobOf(db(), TopicId::Codings, honeyCoding, CodingField::Text));
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, copy, CodingField::StartPara),
              db().GetIntValue(TopicId::Codings, honeyCoding, CodingField::StartPara));
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("2 codings made")});
    list->close();
}

TEST_F(BatchCoding, WithoutSegmentsAQuickCodeOrASelectedCodingNothingIsCoded)
{
    OpenAnnaActivated();
    // The segments pane's command with an empty pane says so.
    ASSERT_TRUE(Retrieved().isEmpty());
    frame->Commands().Execute(BrowserCommand::CodeSegments);
    EXPECT_EQ(messages.texts, QStringList{LoadString(BrowserText::NoRetrievedSegments)});

    messages.texts.clear();
    ObjectListWindow* list = OpenCodingsList();
    ASSERT_TRUE(list);
    ClickCodeSelection(list);
    EXPECT_EQ(messages.texts, QStringList{LoadString(57744)});

    // With a quick code but no row selected.
    CodeWord(honey, QStringLiteral("honey"));
    messages.texts.clear();
    list->List1()->clearSelection();
    ClickCodeSelection(list);
    EXPECT_EQ(messages.texts, QStringList{LoadString(5794)});
    EXPECT_EQ(Codings(), QStringList{Coding(honey, QStringLiteral("honey"))});
    list->close();
}

}  // namespace
