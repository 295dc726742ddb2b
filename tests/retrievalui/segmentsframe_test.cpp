// The main road through the frame: activating documents and a code shows
// their segments in the pane; the retrieval-function dialog opened by its
// command counts a new choice without touching the pane, and OK reruns the
// retrieval so the pane and the status bar follow.

#include "segmentsfixture.h"

#include "app/appids.h"
#include "app/mainframe.h"
#include "document/documentids.h"
#include "document/textcoding.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "retrieval/retrievalfunctiondlg.h"
#include "retrieval/segmentsctrl.h"
#include "ui/dlgbase.h"
#include "ui/dragstripwnd.h"
#include "ui/textpaneex.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SegmentsInTheFrame : public segmentstest::SegmentsProject {
protected:
    void SetUp() override
    {
        SegmentsProject::SetUp();
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        BuildOptionDefinitions();
        g_qdaOptions.SetBool(QdaOption::PaneLayout, true);
        // Nothing activated yet.
        for (const qint32 document : {d1, d2})
            Activate(TopicId::Documents, document, false);
        for (const qint32 code : {anger, places})
            Activate(TopicId::Codes, code, false);
        frame = std::make_unique<CMainFrame>(nullptr, &doc);
        frame->resize(900, 700);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void TearDown() override
    {
        frame.reset();
        g_program = {};
        SegmentsProject::TearDown();
    }
    QList<qint32> Shown() const
    {
        QList<qint32> ids;
        frame->Segments()->GetSegmentIds(ids);
        return ids;
    }

    std::unique_ptr<CMainFrame> frame;
};

TEST_F(SegmentsInTheFrame, ActivationShowsSegmentsAndTheDialogChangesThem)
{
    ASSERT_TRUE(frame->Segments());
    EXPECT_TRUE(Shown().isEmpty());
    doc.SetItemActivation(TopicId::Documents, d1, true, false);
    doc.SetItemActivation(TopicId::Documents, d2, true, false);
    doc.SetItemActivation(TopicId::Codes, anger, true, false);
    EXPECT_EQ(Shown(), (QList<qint32>{c1, c3, c4}));
    EXPECT_EQ(frame->Segments()->Segment(c4)->documentName, QStringLiteral("Interviews\\Ben"));

    // The command opens the dialog once; a second time brings it up.
    frame->Commands().Action(CommandId::RetrievalFunction)->trigger();
    CRetrievalFunctionDlg* dialog = frame->RetrievalFunctionDialog();
    ASSERT_TRUE(dialog);
    frame->Commands().Action(CommandId::RetrievalFunction)->trigger();
    EXPECT_EQ(frame->RetrievalFunctionDialog(), dialog);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));

    // Near Places, at most one paragraph apart: c1 and c3 lie beside c2.
    auto* combo = qobject_cast<QComboBox*>(FindControl(dialog, 1054));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_End);
    EXPECT_EQ(dialog->WorkingSettings().retrievalFunction, 9);
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 5)), Qt::LeftButton);
    dialog->ChooseCode(places);
    auto* number = qobject_cast<QSpinBox*>(FindControl(dialog, 1115));
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("1"));
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_EQ(dialog->ShownCount(), 2);
    EXPECT_EQ(Shown(), (QList<qint32>{c1, c3, c4}));

    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (QList<qint32>{c1, c3}));
    EXPECT_EQ(frame->StatusPane(30003)->text(), QStringLiteral("2"));
    EXPECT_FALSE(frame->StatusPane(30008)->text().isEmpty());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->RetrievalFunctionDialog(), nullptr);
}

TEST_F(SegmentsInTheFrame, ACodingAddedAppearsInThePane)
{
    doc.SetItemActivation(TopicId::Documents, d2, true, false);
    doc.SetItemActivation(TopicId::Codes, anger, true, false);
    EXPECT_EQ(Shown(), QList<qint32>{c4});
    // The browser's selection "text" of D2, coded with Anger, as the frame
    // adds it and reruns the retrieval.
    CodingRecord record = doctest::TextCoding(d2, anger, 15, 19);
    record.Weight = 30;
    qint32 action = 0;
    ASSERT_TRUE(doc.AddCoding(record, action, OverlapMode::Drop));
    doc.RunRetrieval(doc.GetRetrievalSettings(), 0);
    ASSERT_EQ(Shown(), (QList<qint32>{c4, record.ID}));
    const SegmentsCtrl::ShownSegment* added = frame->Segments()->Segment(record.ID);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->weight, 30);
    CodingRecord shown;
    frame->Segments()->GetNextSegmentCoding(shown, true);
    frame->Segments()->GetNextSegmentCoding(shown, false);
    EXPECT_EQ(shown.ID, record.ID);
    EXPECT_EQ(shown.Preview, QStringLiteral("text"));
}

TEST_F(SegmentsInTheFrame, TheMemoCommandTogglesTheMarkers)
{
    doc.SetItemActivation(TopicId::Documents, d1, true, false);
    doc.SetItemActivation(TopicId::Codes, anger, true, false);
    SegmentsCtrl* pane = frame->Segments();
    EXPECT_FALSE(pane->MemoMarks().isEmpty());
    QAction* toggle = frame->Commands().Action(CommandId::ShowSegmentMemos);
    frame->Commands().UpdateAction(toggle);
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_TRUE(pane->MemoMarks().isEmpty());
    EXPECT_EQ(Shown(), (QList<qint32>{c1, c3}));
    frame->Commands().UpdateAction(toggle);
    EXPECT_FALSE(toggle->isChecked());
}

// A result far larger than a screen: its number is known at once, while the
// pane reads and lays out only a window of it that follows the scrolling.
TEST_F(SegmentsInTheFrame, ALargeResultIsShownThroughAWindowThatFollowsTheView)
{
    const qint32 many = Code(QStringLiteral("Many"), 0, 3, false);
    const QStringList starts = {QStringLiteral("First"), QStringLiteral("Secon"), QStringLiteral("Third")};
    QHash<qint32, QString> startOf;
    for (int i = 0; i < 300; ++i) {
        const int paragraph = i % 3;
        startOf.insert(Coding(d1, many, paragraph * 24, paragraph * 24 + 20, paragraph + 1, i % 100),
                       starts.at(paragraph));
    }
    doc.SetItemActivation(TopicId::Documents, d1, true, false);
    doc.SetItemActivation(TopicId::Codes, many, true, false);
    SegmentsCtrl* pane = frame->Segments();
    const QList<qint32> shown = Shown();
    ASSERT_EQ(shown.size(), 300);
    EXPECT_EQ(pane->GetSegmentCount(), 300);
    EXPECT_LE(pane->Strip()->ItemCount(), SegmentsCtrl::kWindowSegments);
    EXPECT_EQ(pane->FirstLoadedSegment(), 0);
    // The status bar counts what is activated and retrieved.
    QTRY_COMPARE(frame->StatusPane(30003)->text(), QStringLiteral("300"));
    EXPECT_EQ(frame->StatusPane(30001)->text(), QStringLiteral("1"));
    EXPECT_EQ(frame->StatusPane(30002)->text(), QStringLiteral("1"));
    EXPECT_FALSE(frame->StatusPane(30008)->text().isEmpty());

    // Every box of the window is the result's next segment, beside its text.
    const auto checkWindow = [&](const char* where) {
        SCOPED_TRACE(where);
        const QTextDocument* text = pane->Text()->document();
        QAbstractTextDocumentLayout* layout = text->documentLayout();
        ASSERT_GT(pane->Strip()->ItemCount(), 0);
        for (int i = 0; i < pane->Strip()->ItemCount(); ++i) {
            const SegmentBoxItem* item = pane->Strip()->Item(i);
            ASSERT_EQ(item->Id(), shown.value(pane->FirstLoadedSegment() + i)) << i;
            EXPECT_EQ(pane->Text()->TextMap().text().mid(item->m_textStart, 5), startOf.value(item->Id())) << i;
            const QTextBlock block = text->findBlock(pane->Text()->ToDocumentPosition(item->m_textStart));
            EXPECT_EQ(item->m_box.top(), int(layout->blockBoundingRect(block).top()) + (i > 0 ? 2 : 0)) << i;
        }
    };
    checkWindow("first screen");

    // Paging down slides the window on; the view keeps its text.
    pane->Text()->setFocus();
    for (int page = 0; page < 200 && pane->FirstLoadedSegment() == 0; ++page)
        QTest::keyClick(pane->Text(), Qt::Key_PageDown);
    EXPECT_GT(pane->FirstLoadedSegment(), 0);
    EXPECT_LE(pane->Strip()->ItemCount(), SegmentsCtrl::kWindowSegments);
    checkWindow("after paging");
    const int top = pane->Text()->verticalScrollBar()->value();
    EXPECT_GT(top, 0);
    EXPECT_LT(top, pane->Text()->verticalScrollBar()->maximum());

    // Ctrl+End reaches the last segment, Ctrl+Home the first.
    QTest::keyClick(pane->Text(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pane->Strip()->Item(pane->Strip()->ItemCount() - 1)->Id(), shown.last());
    EXPECT_EQ(pane->Text()->verticalScrollBar()->value(), pane->Text()->verticalScrollBar()->maximum());
    checkWindow("at the end");
    QTest::keyClick(pane->Text(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(pane->FirstLoadedSegment(), 0);
    checkWindow("at the start");

    // Selecting a segment outside the window moves the window to it.
    pane->SelectObject(TopicId::Codings, shown.at(250), 0);
    ASSERT_TRUE(pane->Segment(shown.at(250)));
    checkWindow("at a selected segment");

    // Lists and exports take every segment, in the window or not.
    CodingRecord record;
    QList<qint32> listed;
    for (bool more = pane->GetNextSegmentCoding(record, true); more; more = pane->GetNextSegmentCoding(record, false)) {
        listed.append(record.ID);
        EXPECT_EQ(record.Preview.left(5), startOf.value(record.ID));
    }
    EXPECT_EQ(listed, shown);
    CSegmentArray rows;
    pane->GetRetrievedSegments(rows);
    EXPECT_EQ(rows.GetSize(), 300);

    // Removing codings outside and inside the window keeps the window whole.
    doc.SetItemActivation(TopicId::Codes, many, false, false);
    EXPECT_EQ(pane->GetSegmentCount(), 0);
    EXPECT_EQ(pane->Strip()->ItemCount(), 0);
}

}  // namespace
