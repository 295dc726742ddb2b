// The chart windows from the frame's menus: a small project whose counts are
// worked by hand, each view's cells, the toolbar's switches, the code
// relations' remembered codes and near switch, the sequence options, the
// typology table's cells under their labels, a double click that activates,
// and a picture of each view.

#include "framefixture.h"
#include "common/screenshots.h"
#include "common/variables.h"

#include "app/chartcommands.h"
#include "foundation/optionsrecord.h"
#include "panes/treepanewindow.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/conditionrows.h"
#include "retrieval/retrievalengine.h"
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
        document.SetRetrievalService(&engine);
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
        document.SetRetrievalService(nullptr);
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
                          {CodingField::FinishPara, last}, {CodingField::Weight, 0},
                          {CodingField::Type, ColourOf(code)}}),
                  0);
    }
    /// Each code's codings in a colour of their own (COLORREFs).
    qint32 ColourOf(qint32 code) const
    {
        return code == work ? 0x0000C0 : code == pay ? 0x00C000 : 0xC00000;
    }
    /// The value of a table at (row code, column id), by the window's own order.
    static qint32 At(const CChartBrowserDlg* window, const QList<qint32>& table, qint32 rowCode, qint32 columnId)
    {
        qsizetype row = -1;
        for (qsizetype r = 0; r < window->m_rows.size(); ++r)
            if (window->m_rows[r].id == rowCode)
                row = r;
        const qsizetype column = window->m_columnIds.indexOf(columnId);
        if (row < 0 || column < 0)
            return -1;
        return table.value(row * window->m_columnIds.size() + column, -1);
    }
    /// The list row of a code in the grid; -1 when it does not show.
    static int ListRowOf(CChartBrowserDlg* window, qint32 code)
    {
        CMatrixModel* model = window->Grid()->Model();
        for (int r = 0; r < model->rowCount(); ++r) {
            const int index = model->RowIndex(r);
            if (index >= 0 && window->m_rows.value(index).id == code)
                return r;
        }
        return -1;
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

    retrieval::RetrievalEngine engine;
    qint32 anna = 0, ben = 0, work = 0, pay = 0, home = 0;
};

}  // namespace

TEST_F(ChartsTest, CodeMatrixShowsCountsAndSubtreeSumsAndSwitchesItsDisplay)
{
    ClickMenu(ChartFrameCommand::CodeMatrix);
    CChartBrowserDlg* window = Window(ChartVariant::CodeMatrix);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    // The documents and codes stand as their trees show them.
    EXPECT_EQ(window->m_columnIds, frame->DocumentTree()->GetDocumentsInTreeOrder());
    ASSERT_EQ(window->m_columnIds.size(), 2);
    ASSERT_EQ(window->m_rows.size(), 3);
    const struct {
        qint32 code, document, codings, documents;
    } cells[] = {
        {work, anna, 1, 1}, {work, ben, 0, 0}, {pay, anna, 2, 1}, {pay, ben, 1, 1}, {home, anna, 1, 1}, {home, ben, 1, 1},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(At(window, window->m_tableB, c.code, c.document), c.codings) << c.code << " " << c.document;
        EXPECT_EQ(At(window, window->m_tableC, c.code, c.document), c.documents) << c.code << " " << c.document;
    }
    CObjListCtrl* grid = window->Grid();
    CMatrixModel* model = grid->Model();
    const int annaColumn = 1 + int(window->m_columnIds.indexOf(anna));
    const int benColumn = 1 + int(window->m_columnIds.indexOf(ben));
    // A click on Work's box flips it; collapsed, it shows its subtree's sum.
    const bool expanded = ListRowOf(window, pay) >= 0;
    const QRect label = grid->visualRect(model->index(ListRowOf(window, work), 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(label.left() + 8, label.center().y()));
    if (expanded) {
        EXPECT_EQ(ListRowOf(window, pay), -1);
    } else {
        EXPECT_GE(ListRowOf(window, pay), 0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(label.left() + 8, label.center().y()));
    }
    ASSERT_EQ(ListRowOf(window, pay), -1);
    EXPECT_EQ(model->CellValue(ListRowOf(window, work), annaColumn), 3);
    EXPECT_EQ(model->CellValue(ListRowOf(window, work), benColumn), 1);

    // The document counter counts documents, not codings.
    ClickTool(window, ChartCommand::DocumentCounter);
    EXPECT_TRUE(window->CountsDocuments());
    EXPECT_TRUE(window->ToolBar()->CommandAction(ChartCommand::DocumentCounter)->isChecked());
    EXPECT_EQ(model->CellValue(ListRowOf(window, work), annaColumn), 2);
    EXPECT_EQ(model->CellValue(ListRowOf(window, home), annaColumn), 1);
    ClickTool(window, ChartCommand::DocumentCounter);
    EXPECT_EQ(model->CellValue(ListRowOf(window, work), annaColumn), 3);

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
    const QRect cell = grid->visualRect(
        grid->Model()->index(ListRowOf(window, home), 1 + int(window->m_columnIds.indexOf(ben))));
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
    ASSERT_EQ(window->m_tableB.size(), 9);
    // Anna's Pay ¶2-3 meets Home ¶3 and Ben's Pay ¶1 meets Home ¶1-2; Work
    // meets nothing.
    EXPECT_EQ(At(window, window->m_tableB, pay, home), 2);
    EXPECT_EQ(At(window, window->m_tableB, home, pay), 2);
    EXPECT_EQ(At(window, window->m_tableB, work, pay), 0);
    EXPECT_EQ(At(window, window->m_tableC, pay, home), 2) << "in two documents";
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
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(Window(ChartVariant::CodeRelations), nullptr);
    EXPECT_TRUE(Window(ChartVariant::CodeRelations)->NearSwitch()) << "the near switch was stored and read again";
}

TEST_F(ChartsTest, SequenceOptionsOfferActivatedCodesOnlyWhenThereAreSome)
{
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
    // Each code's colour in the paragraphs its codings cover.
    ASSERT_EQ(window->m_tableB.size(), 3 * 5);
    const struct {
        qint32 code;
        QList<int> paragraphs;
    } rows[] = {{work, {1}}, {pay, {2, 3}}, {home, {3}}};
    for (const auto& row : rows)
        for (qint32 p = 1; p <= 5; ++p)
            EXPECT_EQ(At(window, window->m_tableB, row.code, p), row.paragraphs.contains(p) ? ColourOf(row.code) : 0)
                << row.code << " ¶" << p;

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
    EXPECT_EQ(window->m_tableA, frame->DocumentTree()->GetDocumentsInTreeOrder());
    EXPECT_EQ(window->m_columnIds, (QList<qint32>{1, 2, 3, 4, 5}));
    // Anna's ¶3 holds the colours of Pay's long coding and of Home, ¶4 none.
    const qsizetype annaRow = window->m_tableA.indexOf(anna);
    const qint32 start = window->m_tableB.value(annaRow * 5 + 2);
    ASSERT_GT(start, 0);
    QList<quint32> colours;
    for (qint32 i = start; window->m_tableD.value(i) != 0; ++i)
        colours << window->m_tableD.value(i);
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(colours, (QList<quint32>{quint32(ColourOf(pay)), quint32(ColourOf(home))}));
    EXPECT_EQ(window->m_tableB.value(annaRow * 5 + 3), 0);
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
            QListWidgetItem* item = dialog->List()->item(i);
            const bool ours = item->text().startsWith(QStringLiteral("Age")) || item->text().startsWith(QStringLiteral("Role"));
            if (ours)
                offered << item->text();
            item->setCheckState(ours ? Qt::Checked : Qt::Unchecked);
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
    EXPECT_TRUE(setting.contains(QStringLiteral(";%1;").arg(age))) << setting.toStdString();
    EXPECT_TRUE(setting.contains(QStringLiteral(";%1_lead;").arg(role))) << setting.toStdString();
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

TEST_F(ChartsTest, DoubleClicksOnSequenceAndComparisonCellsShowTheDocument)
{
    ClickMenu(ChartFrameCommand::Comparison);
    CChartBrowserDlg* comparison = Window(ChartVariant::Comparison);
    ASSERT_NE(comparison, nullptr);
    CObjListCtrl* grid = comparison->Grid();
    const int benRow = int(comparison->m_tableA.indexOf(ben));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->Model()->index(benRow, 2)).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(document.GetShownDocument(), ben);

    frame->DocumentTree()->SelectObject(TopicId::Documents, anna, 0);
    WhenModalShows([&](QWidget* modal) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(modal, 1)), Qt::LeftButton);
    });
    ClickMenu(ChartFrameCommand::Sequence);
    CChartBrowserDlg* sequence = Window(ChartVariant::Sequence);
    ASSERT_NE(sequence, nullptr);
    grid = sequence->Grid();
    // Home's cell at ¶3 leads to Anna's coding of Home there.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(grid->Model()->index(ListRowOf(sequence, home), 3)).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(document.GetShownDocument(), anna);
}
