// The retrieval-function dialog: the live count from counting runs that
// change nothing, the rerun only after OK with a change, the controls of
// each function and the clamped numbers.

#include "segmentsfixture.h"

#include "common/screenshots.h"
#include "document/objectlistregistry.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "retrieval/retrievalfunctiondlg.h"
#include "retrieval/segmentsctrl.h"
#include "store/topicdatabase.h"
#include "ui/dlgbase.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

/// The frame's side: counting runs and reruns on the document, logged.
class TestHost : public IRetrievalFunctionHost {
public:
    explicit TestHost(CKorDoc& doc) : m_doc(doc) {}

    qint32 CountRetrieval(const OptionsRecord& settings) override
    {
        ++counts;
        return m_doc.RunRetrieval(settings, 1);
    }
    void RetrievalSettingsApplied() override
    {
        ++applied;
        m_doc.RunRetrieval(m_doc.GetRetrievalSettings(), 0);
    }
    QString CodeName(qint32 code) override { return m_doc.GetDatabase().FormatRowDisplay(TopicId::Codes, code, false); }
    QList<qint32> ActivatedCodes() override
    {
        return retrieval::RetrievalEngine::CollectActivatedCodes(m_doc.GetDatabase());
    }
    QList<QPair<qint32, QString>> QuickCodes() override { return quick; }

    int counts = 0;
    int applied = 0;
    QList<QPair<qint32, QString>> quick;

private:
    CKorDoc& m_doc;
};

class RetrievalFunctionDialog : public segmentstest::SegmentsProject {
protected:
    void SetUp() override
    {
        SegmentsProject::SetUp();
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        pane.SetOwner(&owner);
        doc.GetRegistry().Register(&pane);
        Run();
        owner.reads = 0;
        host.quick = {{places, QStringLiteral("Places")}, {anger, QStringLiteral("Anger")}};
        dialog = new CRetrievalFunctionDlg(&host, &doc.GetRetrievalSettings());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }
    void TearDown() override
    {
        delete dialog.data();
        g_program = {};
        SegmentsProject::TearDown();
    }

    template <typename Widget>
    Widget* Control(int id) const
    {
        return qobject_cast<Widget*>(FindControl(dialog, id));
    }
    /// Chooses a function in the combo with the keyboard.
    void ChooseFunction(int function)
    {
        auto* combo = Control<QComboBox>(1054);
        combo->setFocus();
        const int target = combo->findData(function);
        while (combo->currentIndex() < target)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > target)
            QTest::keyClick(combo, Qt::Key_Up);
    }
    QString CountText() const { return Control<QLabel>(1116)->text().trimmed(); }

    segmentstest::DocumentOwner owner{doc};
    SegmentsCtrl pane;
    TestHost host{doc};
    QPointer<CRetrievalFunctionDlg> dialog;
};

TEST_F(RetrievalFunctionDialog, TheCountFollowsTheChoiceAndOkReruns)
{
    EXPECT_EQ(CountText(), QStringLiteral("4 segments"));
    ChooseFunction(7);  // not overlapping code B
    QTest::mouseClick(Control<QPushButton>(5), Qt::LeftButton);
    // Without code B nothing is excluded.
    EXPECT_EQ(dialog->ShownCount(), 4);
    EXPECT_EQ(Control<QListWidget>(1150)->count(), 2);

    // Code B from the quick codes' menu: Places, the first entry.
    QTimer::singleShot(0, [] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_TRUE(menu);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(Control<QPushButton>(3), Qt::LeftButton);
    EXPECT_EQ(Control<QLabel>(1113)->text(), QStringLiteral("Places"));
    EXPECT_EQ(CountText(), QStringLiteral("3 segments"));
    EXPECT_TRUE(testutil::MatchesReferenceImage(dialog.data(), QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                                   + QStringLiteral("/screenshots/retrieval_function.png")));

    // Counting changed nothing: the document's settings and the pane.
    EXPECT_EQ(doc.GetRetrievalSettings().retrievalFunction, 0);
    EXPECT_EQ(pane.GetSegmentCount(), 4);
    EXPECT_EQ(owner.reads, 0);

    QTest::mouseClick(Control<QPushButton>(1), Qt::LeftButton);
    EXPECT_EQ(host.applied, 0);  // posted: it arrives once the dialog is gone
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(host.applied, 1);
    EXPECT_EQ(doc.GetRetrievalSettings().retrievalFunction, 7);
    EXPECT_EQ(doc.GetRetrievalSettings().excludedCode, places);
    QList<qint32> ids;
    pane.GetSegmentIds(ids);
    EXPECT_EQ(ids, (QList<qint32>{c1, c3, c4}));
}

TEST_F(RetrievalFunctionDialog, CancelAndUnchangedOkCauseNoRun)
{
    ChooseFunction(1);
    QTest::mouseClick(Control<QPushButton>(2), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(host.applied, 0);
    EXPECT_EQ(doc.GetRetrievalSettings().retrievalFunction, 0);

    dialog = new CRetrievalFunctionDlg(&host, &doc.GetRetrievalSettings());
    dialog->show();
    QTest::mouseClick(Control<QPushButton>(1), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(host.applied, 0);
    EXPECT_EQ(pane.GetSegmentCount(), 4);
}

TEST_F(RetrievalFunctionDialog, EachFunctionShowsItsControls)
{
    struct Case {
        int function;
        bool list, code, number, variants;
    };
    const Case cases[] = {
        {0, false, false, false, false}, {1, true, false, false, false}, {2, true, false, false, false},
        {3, true, false, false, false},  {4, true, false, true, false},  {5, true, true, false, false},
        {6, true, true, false, true},    {7, true, true, false, false},  {8, true, true, true, true},
        {9, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        ChooseFunction(c.function);
        EXPECT_EQ(dialog->WorkingSettings().retrievalFunction, c.function);
        EXPECT_EQ(Control<QListWidget>(1150)->isVisible(), c.list);
        EXPECT_EQ(Control<QPushButton>(3)->isVisible(), c.code);
        EXPECT_EQ(Control<QSpinBox>(1115)->isVisible(), c.number);
        EXPECT_EQ(FindControl(dialog, 1055)->isVisible(), c.variants);
    }
}

TEST_F(RetrievalFunctionDialog, TypedNumbersAreClampedAndCountedOnceTypingPauses)
{
    ChooseFunction(4);
    QTest::mouseClick(Control<QPushButton>(5), Qt::LeftButton);
    auto* number = Control<QSpinBox>(1115);
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("1"));
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_EQ(dialog->WorkingSettings().minCount, 2);

    ChooseFunction(9);
    number->setFocus();
    number->selectAll();
    const int runs = dialog->CountRuns();
    QSignalSpy counted(dialog.data(), &CRetrievalFunctionDlg::Counted);
    QTest::keyClicks(number, QStringLiteral("-12"));
    EXPECT_EQ(dialog->CountRuns(), runs);  // not while typing
    ASSERT_TRUE(counted.wait(2000));
    EXPECT_EQ(dialog->CountRuns(), runs + 1);
    EXPECT_EQ(dialog->WorkingSettings().nearDistance, 12);  // no sign can be typed
    EXPECT_GE(dialog->WorkingSettings().nearDistance, 0);
}

TEST_F(RetrievalFunctionDialog, RemovingEveryListedCodeLeavesOnlyCodeA)
{
    ChooseFunction(1);
    QTest::mouseClick(Control<QPushButton>(5), Qt::LeftButton);
    auto* list = Control<QListWidget>(1150);
    list->setFocus();
    list->selectAll();
    EXPECT_TRUE(Control<QPushButton>(4)->isEnabled());
    QTest::mouseClick(Control<QPushButton>(4), Qt::LeftButton);
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(dialog->WorkingSettings().codeIds.empty());
    EXPECT_FALSE(Control<QPushButton>(4)->isEnabled());
    EXPECT_EQ(dialog->ShownCount(), 0);

    ChooseFunction(5);
    dialog->ChooseCode(anger);
    EXPECT_EQ(dialog->ShownCount(), 3);  // every segment of code A: c1, c3, c4
}

}  // namespace
