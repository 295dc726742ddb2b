// The chart windows from the frame's menus: a small project whose counts are
// worked by hand, each view's cells, the toolbar's switches, the code
// relations' remembered codes and near switch, the sequence options, the
// typology table's cells under their labels, a double click that activates,
// and a picture of each view.

#include "framefixture.h"
#include "common/screenshots.h"
#include "common/variables.h"

#include "app/chartcommands.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/conditionrows.h"
#include "retrieval/logicalactivationdlg.h"
#include "retrieval/typologytabledlg.h"
#include "store/rowbuffer.h"
#include "ui/codesellist.h"
#include "ui/commandtoolbar.h"
#include "visual/chartoptiondlgs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QSlider>
#include <QToolButton>

using namespace frametest;
using doctest::AddRow;

namespace {

class ChartsTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Charts.kv4")));
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        anna = document.NewDocument(group, QStringLiteral("Anna"),
                                    doctest::RtfOf({"one", "two", "three", "four", "five"}), {});
        ben = document.NewDocument(group, QStringLiteral("Ben"), doctest::RtfOf({"one", "two"}), {});
        work = NewCode("Work", 0);
        pay = NewCode("Pay", work);
        home = NewCode("Home", 0);
        // Anna: Work ¶1, Pay ¶2 twice (¶2 and ¶2-3), Home ¶3; Ben: Home ¶1-2,
        // Pay ¶1. Paragraphs start at 0, 4, 8, 14 and 19.
        Code(anna, work, 1, 1, 0, 3);
        Code(anna, pay, 2, 2, 4, 7);
        Code(anna, pay, 2, 3, 4, 13);
        Code(anna, home, 3, 3, 8, 13);
        Code(ben, home, 1, 2, 0, 7);
        Code(ben, pay, 1, 1, 0, 3);
        ASSERT_TRUE(document.RecountCodings());
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        frame->ChartCommands().CloseWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FrameTest::TearDown();
    }

    qint32 NewCode(const char* name, qint32 parent)
    {
        CodeRecord record;
        record.name = QString::fromUtf8(name);
        record.parent = parent;
        const qint32 id = document.NewCode(record);
        EXPECT_GT(id, 0);
        return id;
    }
    void Code(qint32 doc, qint32 code, qint32 first, qint32 last, qint32 start, qint32 finish)
    {
        EXPECT_NE(AddRow(db(), TopicId::Codings,
                         {{CodingField::Document, doc}, {CodingField::Code, code}, {CodingField::StartChar, start},
                          {CodingField::FinishChar, finish}, {CodingField::StartPara, first},
                          {CodingField::FinishPara, last}, {CodingField::Weight, 0}}),
                  0);
    }
    /// Clicks a command in whichever menu of the bar holds it.
    void ClickMenu(int command)
    {
        const QList<QAction*> titles = frame->menuBar()->actions();
        for (int i = 0; i < titles.size(); ++i) {
            QMenu* menu = titles[i]->menu();
            if (!menu)
                continue;
            for (QAction* action : menu->actions())
                if (!action->isSeparator() && action->data().toInt() == command) {
                    ClickMenuCommand(*frame, i, command);
                    QCoreApplication::processEvents();
                    return;
                }
        }
        ADD_FAILURE() << "no menu holds " << command;
    }
    CChartBrowserDlg* Window(ChartVariant variant)
    {
        return frame->ChartCommands().Window(int(variant));
    }
    /// Clicks a toolbar button of the window as the user does.
    void ClickTool(CChartBrowserDlg* window, int command)
    {
        QAction* action = window->ToolBar()->CommandAction(command);
        ASSERT_NE(action, nullptr) << command;
        QWidget* button = window->ToolBar()->widgetForAction(action);
        ASSERT_NE(button, nullptr) << command;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    /// The shown cells of the grid, row by row ("caption: v v v").
    QStringList Cells(CChartBrowserDlg* window)
    {
        QStringList lines;
        CObjListCtrl* grid = window->Grid();
        CMatrixModel* model = grid->Model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList values;
            for (int c = 1; c < model->columnCount(); ++c)
                values << model->data(model->index(r, c), Qt::DisplayRole).toString();
            lines << grid->RowCaption(r) + QStringLiteral(": ") + values.join(u' ');
        }
        return lines;
    }
    QImage Picture(CChartBrowserDlg* window)
    {
        window->resize(520, 240);
        window->move(0, 0);
        QCoreApplication::processEvents();
        return window->grab().toImage();
    }
    QString Reference(const char* name) const
    {
        return QStringLiteral(KORVAN_TEST_DATA_DIR "/app/charts/%1.png").arg(QString::fromLatin1(name));
    }

    qint32 anna = 0, ben = 0, work = 0, pay = 0, home = 0;
};

}  // namespace

TEST_F(ChartsTest, CodeMatrixShowsCountsAndSubtreeSumsAndSwitchesItsDisplay)
{
    ClickMenu(ChartFrameCommand::CodeMatrix);
    CChartBrowserDlg* window = Window(ChartVariant::CodeMatrix);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->m_columnIds, (QList<qint32>{anna, ben}));
    // Work is collapsed: it shows its own codings plus those of Pay.
    EXPECT_EQ(Cells(window), (QStringList{"Work: 3 1", "Home: 1 1"}));
    CObjListCtrl* grid = window->Grid();
    const QRect label = grid->visualRect(grid->Model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(label.left() + 8, label.center().y()));
    EXPECT_EQ(Cells(window), (QStringList{"Work: 1 0", "Pay: 2 1", "Home: 1 1"}));

    // The document counter counts documents, not codings.
    ClickTool(window, ChartCommand::DocumentCounter);
    EXPECT_TRUE(window->CountsDocuments());
    EXPECT_TRUE(window->ToolBar()->CommandAction(ChartCommand::DocumentCounter)->isChecked());
    EXPECT_EQ(Cells(window), (QStringList{"Work: 1 0", "Pay: 1 1", "Home: 1 1"}));
    ClickTool(window, ChartCommand::DocumentCounter);
    EXPECT_EQ(Cells(window), (QStringList{"Work: 1 0", "Pay: 2 1", "Home: 1 1"}));

    // Each switch reaches the grid and checks its own button only.
    const struct {
        int command;
        std::function<bool()> applied;
    } switches[] = {
        {ChartCommand::HeaderNarrow, [&] { return grid->HeaderMode() == MatrixHeaderMode::Narrow; }},
        {ChartCommand::HeaderFitted, [&] { return grid->HeaderMode() == MatrixHeaderMode::Fitted; }},
        {ChartCommand::HeaderCaptions, [&] { return grid->HeaderMode() == MatrixHeaderMode::Captions; }},
        {ChartCommand::CalcPerColumn, [&] { return grid->Model()->Scaling() == MatrixScaling::PerColumn; }},
        {ChartCommand::CalcPerRow, [&] { return grid->Model()->Scaling() == MatrixScaling::PerRow; }},
        {ChartCommand::CalcWhole, [&] { return grid->Model()->Scaling() == MatrixScaling::Whole; }},
        {ChartCommand::Numbers, [&] { return grid->Model()->ShowNumbers(); }},
        {ChartCommand::Circles, [&] { return grid->Circles(); }},
    };
    for (const auto& s : switches) {
        ClickTool(window, s.command);
        EXPECT_TRUE(s.applied()) << s.command;
        EXPECT_TRUE(window->ToolBar()->CommandAction(s.command)->isChecked()) << s.command;
    }
    EXPECT_FALSE(window->ToolBar()->CommandAction(ChartCommand::HeaderFitted)->isChecked());
    EXPECT_FALSE(window->ToolBar()->CommandAction(ChartCommand::CalcPerRow)->isChecked());
    // The table exports and the second output are not built: they rest.
    EXPECT_FALSE(window->ToolBar()->CommandAction(ChartCommand::ExportTable)->isEnabled());
    EXPECT_FALSE(window->ToolBar()->CommandAction(ChartCommand::SecondOutput)->isEnabled());

    // The next command of the view replaces the window.
    QPointer<CChartBrowserDlg> first(window);
    ClickMenu(ChartFrameCommand::CodeMatrix);
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(Window(ChartVariant::CodeMatrix), nullptr);
    // Closing writes the state the next window starts with.
    Window(ChartVariant::CodeMatrix)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Window(ChartVariant::CodeMatrix), nullptr);
    const PrivateProfile profile(g_program.ProfilePath);
    EXPECT_EQ(profile.GetInt(QStringLiteral("ChartBrowser0"), QStringLiteral("Numbers"), -1), 1);
    EXPECT_EQ(profile.GetInt(QStringLiteral("ChartBrowser0"), QStringLiteral("Circles"), -1), 1);
}

TEST_F(ChartsTest, CodeMatrixAsksAboutActivatedDocumentsAndKeepsOnlyThem)
{
    document.ActivateDocument(ben, true, false);
    document.SetCodeActivation(home, true, false, false, false);
    messages.AddAnswers({MessageAnswer::Yes});
    ClickMenu(ChartFrameCommand::CodeMatrix);
    CChartBrowserDlg* window = Window(ChartVariant::CodeMatrix);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(messages.texts.value(0), LoadString(3017));
    EXPECT_EQ(window->m_columnIds, QList<qint32>{ben});
    EXPECT_EQ(Cells(window), QStringList{"Home: 1"});
}

TEST_F(ChartsTest, DoubleClickOnACodeMatrixCellActivatesItsDocumentAndCode)
{
    document.ActivateDocument(anna, true, false);
    messages.AddAnswers({MessageAnswer::No});
    ClickMenu(ChartFrameCommand::CodeMatrix);
    CChartBrowserDlg* window = Window(ChartVariant::CodeMatrix);
    ASSERT_NE(window, nullptr);
    CObjListCtrl* grid = window->Grid();
    // Home's row, Ben's column.
    const QRect cell = grid->visualRect(grid->Model()->index(1, 2));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(document.IsDocumentActivated(anna));
    EXPECT_TRUE(document.IsDocumentActivated(ben));
    EXPECT_TRUE(document.IsCodeActivated(home));
    EXPECT_FALSE(document.IsCodeActivated(work));
    EXPECT_EQ(document.GetRetrievalSettings().retrievalFunction, 0);
}

TEST_F(ChartsTest, CodeRelationsTickLastRunsCodesAndRecountWithTheNearSwitch)
{
    // First run: only Work (and so Pay) takes part.
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CCOBrowserDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->List()->count(), 2);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, CCOBrowserDlg::kNoneId)), Qt::LeftButton);
        dialog->List()->item(0)->setCheckState(Qt::Checked);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::CodeRelations);
    CChartBrowserDlg* window = Window(ChartVariant::CodeRelations);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_columnIds, (QList<qint32>{work, pay}));
    QString setting;
    document.ReadSetting(QStringLiteral("COCodesX"), setting);
    EXPECT_EQ(setting, QStringLiteral("[%1]").arg(work));

    // The next run ticks Work again; cancelling keeps the old window gone
    // and the setting as it was.
    QList<bool> ticks;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CCOBrowserDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->List()->count(); ++i)
            ticks << (dialog->List()->item(i)->checkState() == Qt::Checked);
        dialog->List()->item(1)->setCheckState(Qt::Checked);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 2)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::CodeRelations);
    EXPECT_EQ(ticks, (QList<bool>{true, false}));
    EXPECT_EQ(Window(ChartVariant::CodeRelations), nullptr);
    document.ReadSetting(QStringLiteral("COCodesX"), setting);
    EXPECT_EQ(setting, QStringLiteral("[%1]").arg(work));

    // All codes; the near switch recounts in place with the near distance.
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CCOBrowserDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, CCOBrowserDlg::kAllId)), Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::CodeRelations);
    window = Window(ChartVariant::CodeRelations);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_columnIds, (QList<qint32>{work, pay, home}));
    const QList<qint32> overlap = window->m_tableB;
    ASSERT_EQ(overlap.size(), 9);
    // Rows Work, Pay, Home by columns Work, Pay, Home: Anna's Pay ¶2-3
    // meets Home ¶3 and Ben's Pay ¶1 meets Home ¶1-2; Work meets nothing.
    EXPECT_EQ(overlap.value(1 * 3 + 2), 2);
    EXPECT_EQ(overlap.value(2 * 3 + 1), 2);
    EXPECT_EQ(overlap.value(0 * 3 + 1), 0);
    EXPECT_EQ(window->m_tableC.value(1 * 3 + 2), 2) << "in two documents";
    QPointer<CChartBrowserDlg> same(window);
    window->m_tableB = QList<qint32>(9, -1);
    ClickTool(window, ChartCommand::Near);
    EXPECT_FALSE(same.isNull());
    EXPECT_TRUE(window->NearSwitch());
    EXPECT_TRUE(window->ToolBar()->CommandAction(ChartCommand::Near)->isChecked());
    // Counted again in place.
    ASSERT_EQ(window->m_tableB.size(), 9);
    EXPECT_FALSE(window->m_tableB.contains(-1));
    // Recompute is posted and rebuilds the view through its command.
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CCOBrowserDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickTool(window, ChartCommand::Recompute);
    EXPECT_FALSE(same.isNull()) << "the rebuild waits for the click to end";
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(Window(ChartVariant::CodeRelations), nullptr);
    EXPECT_TRUE(Window(ChartVariant::CodeRelations)->NearSwitch()) << "the near switch was stored and read again";
}

TEST_F(ChartsTest, SequenceOptionsOfferActivatedCodesOnlyWhenThereAreSome)
{
    EXPECT_FALSE(frame->Commands().QueryState(ChartFrameCommand::Sequence).enabled) << "no document is selected";
    frame->DocumentTree()->SelectObject(TopicId::Documents, anna, 0);
    bool enabled = true;
    bool ticked = true;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CSeqBrowserOptDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        enabled = dialog->Option1()->isEnabled();
        QTest::mouseClick(dialog->Option1(), Qt::LeftButton);
        ticked = dialog->Option1()->isChecked();
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::Sequence);
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(ticked);
    CChartBrowserDlg* window = Window(ChartVariant::Sequence);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_columnIds, (QList<qint32>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(":  Anna")));
    // Work's row: its colour in ¶1 only; Home's in ¶3.
    ASSERT_EQ(window->m_tableB.size(), 3 * 5);
    const QList<qint32> workRow = window->m_tableB.mid(0, 5);
    EXPECT_NE(workRow[0], 0);
    EXPECT_EQ(workRow.mid(1), (QList<qint32>{0, 0, 0, 0}));
    const QList<qint32> homeRow = window->m_tableB.mid(10, 5);
    EXPECT_EQ(homeRow[0], 0);
    EXPECT_NE(homeRow[2], 0);

    // The slider hides data columns from the first; the labels stay.
    EXPECT_EQ(window->VisibleColumns(), 6);
    window->Slider()->setValue(3);
    EXPECT_EQ(window->VisibleColumns(), 3);
    EXPECT_FALSE(window->Grid()->isColumnHidden(0));
    window->Slider()->setValue(1);
    EXPECT_EQ(window->VisibleColumns(), 5) << "two columns came back";

    // With an activated code the option can be ticked and keeps its rows.
    document.SetCodeActivation(home, true, false, false, false);
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CSeqBrowserOptDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        enabled = dialog->Option1()->isEnabled();
        QTest::mouseClick(dialog->Option1(), Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::Sequence);
    EXPECT_TRUE(enabled);
    window = Window(ChartVariant::Sequence);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->m_rows.size(), 1);
    EXPECT_EQ(window->m_rows[0].id, home);
}

TEST_F(ChartsTest, ComparisonChartRunsToTheLargestParagraphCount)
{
    ClickMenu(ChartFrameCommand::Comparison);
    CChartBrowserDlg* window = Window(ChartVariant::Comparison);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_tableA, (QList<qint32>{anna, ben}));
    EXPECT_EQ(window->m_columnIds, (QList<qint32>{1, 2, 3, 4, 5}));
    // Anna's ¶2 holds two codings' colours, ¶4 none.
    const qint32 start = window->m_tableB.value(1);
    ASSERT_GT(start, 0);
    EXPECT_NE(window->m_tableD.value(start), 0u);
    EXPECT_NE(window->m_tableD.value(start + 1), 0u);
    EXPECT_EQ(window->m_tableD.value(start + 2), 0u);
    EXPECT_EQ(window->m_tableB.value(3), 0);
    EXPECT_FALSE(window->ToolBar()->CommandAction(ChartCommand::ExportTable)->isVisible());
    EXPECT_FALSE(window->ToolBar()->CommandAction(ChartCommand::ExcelToFolder)->isVisible());
    EXPECT_TRUE(window->ToolBar()->CommandAction(ChartCommand::SavePng)->isVisible());
}

TEST_F(ChartsTest, TypologyTableShowsEachCellUnderItsLabels)
{
    const qint32 age = testutil::AddVariable(db(), TopicId::Documents, QStringLiteral("Age"), FieldType::Integer);
    const qint32 role = testutil::AddVariable(db(), TopicId::Documents, QStringLiteral("Role"), FieldType::ShortText);
    ASSERT_NE(age, 0);
    ASSERT_NE(role, 0);
    const auto set = [&](qint32 doc, qint32 field, const char* value) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, doc, row, false));
        ASSERT_TRUE(row.SetFieldText(field, QString::fromLatin1(value)));
    };
    set(anna, age, "30");
    set(ben, age, "50");
    set(anna, role, "lead");
    set(ben, role, "staff");
    // Two conditions kept from an earlier run of the condition dialog.
    QList<ActivationCondition> rows(2);
    rows[0].fieldId = age;
    rows[0].fieldName = QStringLiteral("Age");
    rows[0].comparison = 2;
    rows[0].value = QStringLiteral("40");
    rows[1].fieldId = age;
    rows[1].fieldName = QStringLiteral("Age");
    rows[1].comparison = 3;
    rows[1].value = QStringLiteral("20");
    PrivateProfile(g_program.ProfilePath)
        .WriteString(QStringLiteral("dlgTypologyTabCond"), QStringLiteral("Data"), conditions::FormatRows(rows));

    // Three entries: Age as a whole, and Role's two values.
    QStringList offered;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CTypologyTableDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->List()->count(); ++i) {
            offered << dialog->List()->item(i)->text();
            dialog->List()->item(i)->setCheckState(Qt::Checked);
        }
        WhenModalShows([](QWidget* next) {
            auto* conditionsDialog = qobject_cast<CLogicalActivationDlg*>(next);
            ASSERT_NE(conditionsDialog, nullptr);
            ASSERT_EQ(conditionsDialog->Rows().size(), 2);
            QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(conditionsDialog, 1)), Qt::LeftButton);
        });
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::Typology);
    ASSERT_EQ(offered.size(), 3) << offered.join(u'|').toStdString();
    CChartBrowserDlg* window = Window(ChartVariant::Typology);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_rowLabels, (QStringList{"Age < 40 (N=1)", "Age > 20 (N=2)"}));
    ASSERT_EQ(window->m_columnLabels.size(), 3);
    EXPECT_EQ(window->m_cellsPerRow, 3);
    // Each row is a condition, each column an entry: Age's mean is 30 over
    // Anna alone, 40 over both; Anna is the one "lead".
    QStringList cells = Cells(window);
    ASSERT_EQ(cells.size(), 2);
    const int ageColumn = int(window->m_columnLabels.indexOf(QRegularExpression(QStringLiteral("^Age,.*"))));
    const int leadColumn = int(window->m_columnLabels.indexOf(QRegularExpression(QStringLiteral(".*lead.*"))));
    ASSERT_GE(ageColumn, 0);
    ASSERT_GE(leadColumn, 0);
    CMatrixModel* model = window->Grid()->Model();
    EXPECT_EQ(model->CellText(0, 1 + ageColumn), QStringLiteral("30.0 (0.0)")) << cells.join(u'\n').toStdString();
    EXPECT_EQ(model->CellText(1, 1 + ageColumn), QStringLiteral("40.0 (10.0)")) << cells.join(u'\n').toStdString();
    EXPECT_EQ(model->CellText(0, 1 + leadColumn), QStringLiteral("1 (100.0)"));
    EXPECT_EQ(model->CellText(1, 1 + leadColumn), QStringLiteral("1 (50.0)"));
    QString setting;
    document.ReadSetting(QStringLiteral("TypologyTab"), setting);
    EXPECT_EQ(setting.count(u';'), 6) << setting.toStdString();
}

TEST_F(ChartsTest, EachViewLooksAsItsReference)
{
    messages.AddAnswers({});
    ClickMenu(ChartFrameCommand::CodeMatrix);
    ASSERT_NE(Window(ChartVariant::CodeMatrix), nullptr);
    EXPECT_TRUE(testutil::MatchesReferenceImage(Picture(Window(ChartVariant::CodeMatrix)), Reference("codematrix")));

    WhenModalShows([&](QWidget* modal) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(modal, CCOBrowserDlg::kAllId)), Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(modal, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::CodeRelations);
    ASSERT_NE(Window(ChartVariant::CodeRelations), nullptr);
    EXPECT_TRUE(testutil::MatchesReferenceImage(Picture(Window(ChartVariant::CodeRelations)), Reference("coderelations")));

    frame->DocumentTree()->SelectObject(TopicId::Documents, anna, 0);
    WhenModalShows([&](QWidget* modal) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(modal, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::Sequence);
    ASSERT_NE(Window(ChartVariant::Sequence), nullptr);
    EXPECT_TRUE(testutil::MatchesReferenceImage(Picture(Window(ChartVariant::Sequence)), Reference("sequence")));

    ClickMenu(ChartFrameCommand::Comparison);
    ASSERT_NE(Window(ChartVariant::Comparison), nullptr);
    EXPECT_TRUE(testutil::MatchesReferenceImage(Picture(Window(ChartVariant::Comparison)), Reference("comparison")));
}
