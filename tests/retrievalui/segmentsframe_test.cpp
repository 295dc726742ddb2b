// The main road through the frame: activating documents and a code shows
// their segments in the pane; the retrieval-function dialog opened by its
// command counts a new choice without touching the pane, and OK reruns the
// retrieval so the pane and the status bar follow.

#include "segmentsfixture.h"

#include "app/appids.h"
#include "app/mainframe.h"
#include "document/documentids.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "retrieval/retrievalfunctiondlg.h"
#include "retrieval/segmentsctrl.h"
#include "ui/dlgbase.h"

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
    CodingRecord record;
    record.TextID = d2;
    record.WordID = anger;
    record.StartChar = 15;
    record.FinishChar = 19;
    record.StartPara = 1;
    record.FinishPara = 1;
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

}  // namespace
