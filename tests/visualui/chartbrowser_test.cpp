// The chart window on its own: the settings it reads and writes per view,
// the crosstab's value modes and the typology's cells, the requests it
// sends, and the option dialogs.

#include "visual/chartbrowserdlg.h"
#include "visual/chartoptiondlgs.h"

#include "common/screenshots.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "document/listnotifyinfo.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "ui/codesellist.h"
#include "ui/commandtoolbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace {

class RecordingOwner : public IChartBrowserOwner {
public:
    void ChartRequest(NotifyHead& record) override
    {
        if (record.code != RequestCode::ItemInfo)
            return;
        auto& info = static_cast<ListNotifyInfo&>(record);
        info.name = QStringLiteral("%1 %2").arg(info.topic == 8 ? QStringLiteral("Code") : QStringLiteral("Doc"))
                        .arg(info.itemId);
        info.handled = true;
    }
    void ChartRefresh(qint32 variant, qint32 action) override { refreshes.append({variant, action}); }
    void ChartExportTable(CChartBrowserDlg&) override { ++exports; }
    void ChartDoubleClick(CChartBrowserDlg&, MatrixDoubleClick kind, qint32 first, qint32 second) override
    {
        clicks.append({int(kind), first, second});
    }
    QList<QPair<qint32, qint32>> refreshes;
    QList<QList<qint32>> clicks;
    int exports = 0;
};

class ChartWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        g_pStringStore->Close();
        g_program = {};
    }
    /// A window of the variant over two code rows and three columns.
    CChartBrowserDlg* Make(int variant)
    {
        auto* window = new CChartBrowserDlg(nullptr, &owner, variant);
        window->m_columnIds = {11, 12, 13};
        for (qint32 id : {1, 2}) {
            MatrixRow row;
            row.id = id;
            window->m_rows.append(row);
        }
        window->m_tableB = {1, 0, 2, 0, 3, 1};
        window->m_tableC = {1, 0, 1, 0, 1, 1};
        return window;
    }
    void Write(int variant, const char* key, int value)
    {
        PrivateProfile(g_program.ProfilePath)
            .WriteInt(QStringLiteral("ChartBrowser%1").arg(variant), QString::fromLatin1(key), value);
    }
    int Read(int variant, const char* key)
    {
        return PrivateProfile(g_program.ProfilePath)
            .GetInt(QStringLiteral("ChartBrowser%1").arg(variant), QString::fromLatin1(key), -1);
    }

    testutil::TempDir dir;
    RecordingOwner owner;
};

void Close(CChartBrowserDlg* window)
{
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

TEST_F(ChartWindowTest, SettingsAreReadAndWrittenPerView)
{
    const struct {
        const char* name;
        int variant;
        std::map<std::string, int> stored;
        int preset;
        bool counterShown;
        std::map<std::string, int> written;
    } cases[] = {
        {"defaults", 0, {}, 0, false, {{"FirstColWidth", 200}, {"Mode", 1}, {"CalcMode", 0}, {"DocCounter", 0}}},
        {"stored counter", 0, {{"DocCounter", 1}, {"Numbers", 1}}, 0, true, {{"DocCounter", 1}, {"Numbers", 1}}},
        {"preset on", 1, {}, 1, true, {{"DocCounter", 1}}},
        {"preset 2 turns it off", 0, {{"DocCounter", 1}}, 2, false, {{"DocCounter", 0}}},
        {"sequence ignores the counter", 2, {{"DocCounter", 1}}, 0, false, {{"DocCounter", 0}}},
        {"comparison ignores the counter", 3, {{"DocCounter", 1}}, 0, false, {{"DocCounter", 0}}},
        {"crosstab ignores the counter", 4, {{"DocCounter", 1}, {"CRTDocCount", 1}}, 0, false, {{"DocCounter", 0}, {"CRTDocCount", 1}}},
        {"typology ignores the counter", 5, {{"DocCounter", 1}}, 0, false, {{"DocCounter", 0}}},
        {"narrow sequence columns rise to 20", 2, {{"ColWidth", 5}}, 0, false, {{"ColWidth", 20}}},
        {"wide sequence columns stay", 2, {{"ColWidth", 33}}, 0, false, {{"ColWidth", 33}}},
        {"calculation mode kept", 0, {{"CalcMode", 2}, {"Mode", 0}}, 0, false, {{"CalcMode", 2}, {"Mode", 0}}},
    };
    for (const auto& c : cases) {
        QFile::remove(g_program.ProfilePath);
        for (const auto& [key, value] : c.stored)
            Write(c.variant, key.c_str(), value);
        CChartBrowserDlg* window = Make(c.variant);
        if (c.variant == 4 || c.variant == 5) {
            window->m_cellsPerRow = 2;
            window->m_columnLabels = {"a", "b"};
            window->m_rowLabels = {"r1", "r2"};
            window->m_cellTexts = {"1", "2", "3", "4"};
            window->m_tableB = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        }
        window->m_documentCounterPreset = c.preset;
        window->show();
        EXPECT_EQ(window->CountsDocuments(), c.counterShown) << c.name;
        Close(window);
        for (const auto& [key, value] : c.written)
            EXPECT_EQ(Read(c.variant, key.c_str()), value) << c.name << ": " << key;
    }
}

TEST_F(ChartWindowTest, SliderHidesDataColumnsFromTheFirstAndNeedsTwoColumns)
{
    CChartBrowserDlg* window = Make(0);
    window->show();
    QSlider* slider = window->Slider();
    EXPECT_FALSE(slider->isHidden());
    EXPECT_EQ(slider->maximum(), 2);
    slider->setValue(2);
    EXPECT_EQ(window->VisibleColumns(), 2);
    EXPECT_TRUE(window->Grid()->isColumnHidden(1));
    EXPECT_FALSE(window->Grid()->isColumnHidden(0));
    slider->setValue(0);
    EXPECT_EQ(window->VisibleColumns(), 4);
    Close(window);

    CChartBrowserDlg* single = Make(0);
    single->m_columnIds = {11};
    single->m_tableB = {1, 2};
    single->m_tableC = {1, 1};
    single->show();
    EXPECT_TRUE(single->Slider()->isHidden());
    Close(single);
}

TEST_F(ChartWindowTest, RequestsGoToTheOwnerRecomputeLater)
{
    CChartBrowserDlg* window = Make(1);
    window->show();
    ASSERT_TRUE(window->RunCommand(ChartCommand::Near));
    ASSERT_EQ(owner.refreshes.size(), 1);
    EXPECT_EQ(owner.refreshes[0], qMakePair(1, 0)) << "the near switch is sent at once";
    ASSERT_TRUE(window->RunCommand(ChartCommand::Recompute));
    EXPECT_EQ(owner.refreshes.size(), 1) << "recompute is posted";
    QCoreApplication::processEvents();
    ASSERT_EQ(owner.refreshes.size(), 2);
    EXPECT_EQ(owner.refreshes[1], qMakePair(1, 1));
    // A double click on a cell reaches the owner as the grid reports it.
    CObjListCtrl* grid = window->Grid();
    const QRect cell = grid->visualRect(grid->Model()->index(1, 2));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(owner.clicks.size(), 1);
    EXPECT_EQ(owner.clicks[0], (QList<qint32>{int(MatrixDoubleClick::CodeColumn), 12, 2}));
    // Captions come from the owner.
    EXPECT_EQ(grid->RowCaption(0), QStringLiteral("Code 1"));
    Close(window);
}

TEST_F(ChartWindowTest, NearOptionsChangeTheDistanceAndRecountOnlyWhileNear)
{
    CChartBrowserDlg* window = Make(1);
    window->show();
    const auto answer = [](int typed) {
        QTimer::singleShot(0, [typed] {
            auto* dialog = qobject_cast<CCOBrowserOptionsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->Edit()->selectAll();
            QTest::keyClicks(dialog->Edit(), QString::number(typed));
            QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
        });
    };
    answer(5);
    window->RunCommand(ChartCommand::NearOptions);
    EXPECT_TRUE(owner.refreshes.isEmpty()) << "the near switch is off";
    window->RunCommand(ChartCommand::Near);
    owner.refreshes.clear();
    answer(12345);
    window->RunCommand(ChartCommand::NearOptions);
    EXPECT_EQ(window->m_nearDistance, 12345) << "a typed distance beyond the arrows' range is kept";
    EXPECT_EQ(owner.refreshes, (QList<QPair<qint32, qint32>>{{1, 0}}));
    Close(window);
    EXPECT_EQ(Read(1, "NearDistance"), 12345);
    EXPECT_EQ(Read(1, "Near"), 1);
}

TEST(NearDistanceSpin, ArrowsStopAtTheirBounds)
{
    CNearDistanceSpin spin;
    spin.setValue(9999);
    spin.stepBy(5);
    EXPECT_EQ(spin.value(), 10000);
    spin.setValue(-7);
    spin.stepBy(1);
    EXPECT_EQ(spin.value(), 0);
    spin.stepBy(-1);
    EXPECT_EQ(spin.value(), 0);
}

TEST_F(ChartWindowTest, CodeSelectionSortsByOrderThenIdAndGivesBackTheTicks)
{
    CCOBrowserDlg dialog;
    dialog.m_items = {{7, 2, true, 0, 0, 0, QStringLiteral("c")},
                      {5, 1, false, 0, 0, 0, QStringLiteral("b")},
                      {3, 1, true, 0, 0, 0, QStringLiteral("a")}};
    QTimer::singleShot(0, [&dialog] {
        EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("a"));
        EXPECT_EQ(dialog.List()->item(1)->text(), QStringLiteral("b"));
        EXPECT_EQ(dialog.List()->item(1)->checkState(), Qt::Unchecked);
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, CCOBrowserDlg::kAllId)), Qt::LeftButton);
        dialog.List()->item(2)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, 1)), Qt::LeftButton);
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    ASSERT_EQ(dialog.m_items.size(), 3);
    EXPECT_EQ(dialog.m_items[0].id, 3);
    EXPECT_TRUE(dialog.m_items[1].checked);
    EXPECT_FALSE(dialog.m_items[2].checked);
}

TEST_F(ChartWindowTest, CrosstabValueModesAndTypologyCells)
{
    // Two code rows by two labelled columns and a total column; a totals row.
    CChartBrowserDlg* crosstab = Make(4);
    crosstab->m_columnIds.clear();
    crosstab->m_cellsPerRow = 2;
    crosstab->m_columnLabels = {QStringLiteral("young"), QStringLiteral("old")};
    crosstab->m_tableB = {1, 3, 4, 1, 0, 1, 2, 3, 5};
    crosstab->m_tableD = {1, 1, 2, 1, 0, 1, 2, 1, 3};
    crosstab->show();
    CMatrixModel* model = crosstab->Grid()->Model();
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("3"));
    crosstab->RunCommand(ChartCommand::ValueRowPercent);
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("75.0%"));
    EXPECT_TRUE(crosstab->ToolBar()->CommandAction(ChartCommand::ValueRowPercent)->isChecked());
    EXPECT_FALSE(crosstab->ToolBar()->CommandAction(ChartCommand::ValueAbsolute)->isChecked());
    crosstab->RunCommand(ChartCommand::ValueColumnPercent);
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("100.0%"));
    crosstab->RunCommand(ChartCommand::ValueAbsolute);
    crosstab->RunCommand(ChartCommand::CrosstabDocumentCounter);
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("1"));
    crosstab->resize(420, 200);
    EXPECT_TRUE(testutil::MatchesReferenceImage(crosstab->grab().toImage(),
                                                QStringLiteral(KORVAN_TEST_DATA_DIR "/visual/chart_crosstab.png")));
    Close(crosstab);

    CChartBrowserDlg* typology = Make(5);
    typology->m_columnIds.clear();
    typology->m_rows.clear();
    typology->m_cellsPerRow = 3;
    typology->m_columnLabels = {QStringLiteral("Age, mean (SD)"), QStringLiteral("Role: lead, share (%)"),
                                QStringLiteral("Role: staff, share (%)")};
    typology->m_rowLabels = {QStringLiteral("Age < 40 (N=1)"), QStringLiteral("Age > 20 (N=2)")};
    typology->m_cellTexts = {"30.0 (0.0)", "1 (100.0)", "0", "40.0 (10.0)", "1 (50.0)", "1 (50.0)"};
    typology->show();
    model = typology->Grid()->Model();
    EXPECT_EQ(model->CellText(1, 1), QStringLiteral("40.0 (10.0)"));
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("1 (100.0)"));
    EXPECT_EQ(typology->Grid()->ColumnCaption(3), QStringLiteral("Role: staff, share (%)"));
    typology->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(typology));
    QTest::keyClick(typology->Grid(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(owner.exports, 1) << "Ctrl+H exports the table";
    typology->resize(520, 160);
    EXPECT_TRUE(testutil::MatchesReferenceImage(typology->grab().toImage(),
                                                QStringLiteral(KORVAN_TEST_DATA_DIR "/visual/chart_typology.png")));
    Close(typology);
}

TEST_F(ChartWindowTest, PictureGoesWhereThePromptSaysAndAFailureIsSaid)
{
    testutil::ScriptedMessages messages;
    CChartBrowserDlg* window = Make(0);
    window->show();
    const QString path = dir.file(QStringLiteral("matrix.png"));
    messages.files.append({path});
    ASSERT_TRUE(window->RunCommand(ChartCommand::SavePng));
    ASSERT_EQ(messages.prompts.size(), 1);
    EXPECT_EQ(messages.prompts[0].kind, FilePromptKind::SaveFile);
    EXPECT_TRUE(messages.prompts[0].path.endsWith(QStringLiteral(".png")));
    EXPECT_FALSE(QImage(path).isNull());
    EXPECT_TRUE(messages.texts.isEmpty());
    // A folder that does not exist: the user is told, nothing is written.
    const QString nowhere = dir.file(QStringLiteral("missing/matrix.png"));
    EXPECT_FALSE(window->SavePicture(nowhere));
    EXPECT_FALSE(QFile::exists(nowhere));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(nowhere));
    Close(window);
}
