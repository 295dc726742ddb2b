// The Modeler window opened from the frame's menu: models kept in the
// project, drawing through the toolbar, layers, panes, settings, the
// commands' states and printing.

#include "framefixture.h"

#include "common/printcapture.h"
#include "common/screenshots.h"
#include "platform/profile/privateprofile.h"
#include "store/storedmodel.h"
#include "ui/commandtoolbar.h"
#include "visual/modelerdlg.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPdfDocument>
#include <QPointer>

namespace {

using namespace frametest;

class ModelerTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("maps.k10")));
        ASSERT_FALSE(OpenPath().isEmpty());
    }
    void TearDown() override
    {
        if (window)
            window->close();
        QCoreApplication::processEvents();
        FrameTest::TearDown();
    }
    /// Opens the window through the frame's Window menu.
    CModelerDlg* Open()
    {
        ClickMenuCommand(*frame, kWindowMenu, FrameModelerCommand::Open);
        window = frame->ModelEditor();
        EXPECT_TRUE(window);
        if (window) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window.data()));
        }
        return window;
    }
    void CloseWindow()
    {
        ClickModelerMenu(0, ModelerCommand::Close);
        for (int i = 0; i < 100 && frame->ModelEditor(); ++i)
            QTest::qWait(10);
        EXPECT_FALSE(frame->ModelEditor());
    }
    void ClickButton(int command)
    {
        window->UpdateCommands();
        QAction* action = window->ToolBar()->CommandAction(command);
        ASSERT_TRUE(action) << command;
        ASSERT_TRUE(action->isVisible() && action->isEnabled()) << command;
        QWidget* button = window->ToolBar()->widgetForAction(action);
        ASSERT_TRUE(button) << command;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    /// Clicks an item of the window's menu bar, as a user does.
    void ClickModelerMenu(int menuIndex, int command)
    {
        QMenuBar* bar = window->MenuBar();
        QAction* title = bar->actions().value(menuIndex);
        ASSERT_TRUE(title);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
        QMenu* menu = title->menu();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QAction* item = window->MenuAction(command);
        ASSERT_TRUE(item && item->isEnabled()) << command;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
    /// Picks the item of the next popup menu that carries the command.
    void WhenPopupShows(int command)
    {
        auto* timer = new QTimer(qApp);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, command] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup || !popup->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            for (QAction* action : popup->actions())
                if (action->data().toInt() == command)
                    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
        });
        timer->start();
    }
    QStringList ModelNames()
    {
        QList<qint32> ids;
        QStringList names;
        db().ListModels(ids, names);
        return names;
    }
    QListWidgetItem* ModelItem(qint32 id)
    {
        for (int row = 0; row < window->ModelsList()->count(); ++row)
            if (window->ModelsList()->item(row)->data(Qt::UserRole).toInt() == id)
                return window->ModelsList()->item(row);
        return nullptr;
    }
    /// The ids of the items marked current.
    QList<qint32> CurrentMarks()
    {
        QList<qint32> marked;
        for (int row = 0; row < window->ModelsList()->count(); ++row)
            if (window->ModelsList()->item(row)->data(Qt::UserRole + 1).toInt() == 1)
                marked.append(window->ModelsList()->item(row)->data(Qt::UserRole).toInt());
        return marked;
    }
    /// Types a new name into the item's in-place editor.
    void RenameInPlace(QListWidget* list, QListWidgetItem* item, const QString& text)
    {
        list->setCurrentItem(item);
        list->editItem(item);
        QCoreApplication::processEvents();
        QLineEdit* editor = nullptr;
        for (QLineEdit* open : list->findChildren<QLineEdit*>())
            if (open->isVisible())
                editor = open;
        ASSERT_TRUE(editor);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    QPointer<CModelerDlg> window;
};

TEST_F(ModelerTest, OpensWithANewModelDrawsAndKeepsItInTheProject)
{
    ASSERT_TRUE(Open());
    // A project without models gets one, listed and marked current.
    ASSERT_EQ(ModelNames().size(), 1);
    const QString name = ModelNames().first();
    EXPECT_EQ(window->ModelsList()->count(), 1);
    EXPECT_EQ(CurrentMarks(), QList<qint32>{window->CurrentModel()});
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Modeler - %1").arg(name));
    // The command again brings the same window to the front.
    ClickMenuCommand(*frame, kWindowMenu, FrameModelerCommand::Open);
    EXPECT_EQ(frame->ModelEditor(), window.data());

    // An ellipse from the shape popup, then a text object.
    WhenPopupShows(ModelerCommand::ShapeEllipse);
    ClickButton(ModelerCommand::InsertShape);
    ClickButton(ModelerCommand::InsertText);
    const auto& objects = window->Canvas()->Core().Model().Objects;
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].Shape, ModelShape::Ellipse);
    EXPECT_TRUE(objects[0].ShowSymbol);
    EXPECT_FALSE(objects[1].ShowSymbol);

    CloseWindow();
    EXPECT_TRUE(QFileInfo::exists(g_program.SettingsFolder + QStringLiteral("Pinwall.klb")));
    ASSERT_TRUE(Open());
    EXPECT_EQ(window->Canvas()->Core().Model().Objects.size(), 2u);
    EXPECT_EQ(ModelNames().size(), 1);
}

TEST_F(ModelerTest, ModelsAreMadeRenamedDuplicatedDeletedAndReopened)
{
    ASSERT_TRUE(Open());
    const qint32 first = window->CurrentModel();
    ClickButton(ModelerCommand::InsertText);

    ClickModelerMenu(0, ModelerCommand::NewModel);
    ASSERT_EQ(ModelNames().size(), 2);
    EXPECT_TRUE(window->Canvas()->Core().Model().Objects.empty());
    const qint32 second = window->CurrentModel();
    EXPECT_NE(second, first);
    EXPECT_EQ(CurrentMarks(), QList<qint32>{second});

    // Renamed in place; an empty name is refused.
    RenameInPlace(window->ModelsList(), ModelItem(second), QStringLiteral("Pathways"));
    EXPECT_TRUE(ModelNames().contains(QStringLiteral("Pathways")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Modeler - Pathways"));
    RenameInPlace(window->ModelsList(), ModelItem(second), QString());
    EXPECT_EQ(ModelItem(second)->text(), QStringLiteral("Pathways"));
    EXPECT_TRUE(ModelNames().contains(QStringLiteral("Pathways")));

    // The first model, opened by a double click, shows its object again.
    QListWidgetItem* item = ModelItem(first);
    ASSERT_TRUE(item);
    window->ModelsList()->setCurrentItem(item);
    const QRect place = window->ModelsList()->visualItemRect(item);
    // A double click arrives after a press on the item.
    QTest::mousePress(window->ModelsList()->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(window->ModelsList()->viewport(), Qt::LeftButton, {}, place.center());
    QCoreApplication::processEvents();
    EXPECT_EQ(window->CurrentModel(), first);
    EXPECT_EQ(window->Canvas()->Core().Model().Objects.size(), 1u);
    EXPECT_EQ(CurrentMarks(), QList<qint32>{first});

    window->ModelsList()->setCurrentItem(ModelItem(first));
    ClickModelerMenu(0, ModelerCommand::DuplicateModel);
    EXPECT_EQ(ModelNames().size(), 3);
    EXPECT_EQ(window->ModelsList()->count(), 3);
    EXPECT_EQ(CurrentMarks(), QList<qint32>{first});

    // Deleting the current model asks first, then shows another.
    messages.AddAnswers({MessageAnswer::No});
    window->ModelsList()->setCurrentItem(ModelItem(first));
    ClickModelerMenu(0, ModelerCommand::DeleteModel);
    EXPECT_EQ(ModelNames().size(), 3);
    messages.AddAnswers({MessageAnswer::Yes});
    window->ModelsList()->setCurrentItem(ModelItem(first));
    ClickModelerMenu(0, ModelerCommand::DeleteModel);
    EXPECT_EQ(ModelNames().size(), 2);
    EXPECT_FALSE(ModelItem(first));
    EXPECT_EQ(window->ModelsList()->count(), 2);
    EXPECT_NE(window->CurrentModel(), first);
    EXPECT_EQ(CurrentMarks(), QList<qint32>{window->CurrentModel()});
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Modeler - %1").arg(window->Canvas()->Core().Record().Name));
}

TEST_F(ModelerTest, DeletingTheLastModelLeavesANewOne)
{
    ASSERT_TRUE(Open());
    messages.AddAnswers({MessageAnswer::Yes});
    window->ModelsList()->setCurrentRow(0);
    ClickModelerMenu(0, ModelerCommand::DeleteModel);
    EXPECT_EQ(ModelNames().size(), 1);
    EXPECT_NE(window->CurrentModel(), 0);
    EXPECT_EQ(window->ModelsList()->count(), 1);
    EXPECT_EQ(CurrentMarks().size(), 1);
}

TEST_F(ModelerTest, LinksGroupsAndOrder)
{
    ASSERT_TRUE(Open());
    ModelerCanvasCore& core = window->Canvas()->Core();
    for (int i = 0; i < 3; ++i)
        ClickButton(ModelerCommand::InsertText);
    ASSERT_EQ(core.Model().Objects.size(), 3u);
    // Each arrow mode gives its links the arrows chosen.
    const qint32 ids[3] = {core.Model().Objects[0].Id, core.Model().Objects[1].Id, core.Model().Objects[2].Id};
    const int modes[3] = {ModelerCommand::LinkNoArrows, ModelerCommand::LinkArrowAtTarget,
                          ModelerCommand::LinkArrowsBoth};
    for (int i = 0; i < 3; ++i) {
        ClickButton(ModelerCommand::ModeLink);
        ClickButton(modes[i]);
        EXPECT_EQ(core.Mode(), CanvasMode::Connect);
        EXPECT_EQ(core.GetLinkArrows(), i);
        core.BeginDrag(core.FindObjectIndex(ids[i]), false, false);
        core.SetLinkTarget(core.FindObjectIndex(ids[(i + 1) % 3]));
        EXPECT_TRUE(core.EndDrag());
        ASSERT_EQ(core.Model().Links.size(), size_t(i + 1));
        EXPECT_EQ(core.Model().Links.back().Arrows, i);
    }
    ClickButton(ModelerCommand::ModeSelect);
    core.SelectObject(0, false);
    core.SelectObject(1, false);
    ClickButton(ModelerCommand::Group);
    EXPECT_TRUE(core.SelectionHasGroup());
    core.ClearSelection(true);
    core.SelectObject(0, false);
    ClickButton(ModelerCommand::BringToFront);
    EXPECT_NE(core.Model().Objects.back().Id, ids[2]);
}

TEST_F(ModelerTest, LayersAreAddedHiddenRenamedAndDeleted)
{
    ASSERT_TRUE(Open());
    ClickModelerMenu(0, ModelerCommand::ShowLayers);
    QListWidget* layers = window->LayersList();
    ASSERT_TRUE(layers->isVisible());
    ASSERT_EQ(layers->count(), 1);
    // Layer 0 keeps its name and cannot be deleted.
    EXPECT_FALSE(layers->item(0)->flags() & Qt::ItemIsEditable);
    layers->setCurrentRow(0);
    window->UpdateCommands();
    EXPECT_FALSE(window->ToolBar()->CommandAction(ModelerCommand::DeleteLayer)->isEnabled());

    ClickButton(ModelerCommand::NewLayer);
    QCoreApplication::processEvents();
    ASSERT_EQ(layers->count(), 2);
    if (QWidget* editor = QApplication::focusWidget())
        QTest::keyClick(editor, Qt::Key_Escape);
    ModelerCanvasCore& core = window->Canvas()->Core();
    const qint32 layerId = layers->item(1)->data(Qt::UserRole).toInt();
    EXPECT_EQ(core.Model().CurrentLayer, layerId);
    RenameInPlace(layers, layers->item(1), QStringLiteral("Outcomes"));
    EXPECT_EQ(core.Model().Layers.back().Name, QStringLiteral("Outcomes"));

    ClickButton(ModelerCommand::InsertText);
    ASSERT_EQ(core.Model().Objects.back().LayerId, layerId);
    layers->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(core.Model().Layers.back().Visible);
    EXPECT_TRUE(core.IsHidden(core.Model().Objects.back()));

    layers->setCurrentRow(1);
    ClickButton(ModelerCommand::DeleteLayer);
    EXPECT_EQ(layers->count(), 1);
    EXPECT_EQ(core.Model().Layers.size(), 1u);
    EXPECT_EQ(core.Model().Objects.back().LayerId, 0);
}

TEST_F(ModelerTest, PanesLayoutSplittersAndSettings)
{
    ASSERT_TRUE(Open());
    window->resize(800, 600);
    QCoreApplication::processEvents();
    const int W = window->width();
    const QRect canvas = window->Canvas()->geometry();
    EXPECT_EQ(canvas.left(), window->SplitterW() + 12);
    EXPECT_EQ(canvas.left() + canvas.width(), W - 7);
    EXPECT_EQ(canvas.top(), 53);
    EXPECT_EQ(canvas.height(), window->height() - 60);

    ClickButton(ModelerCommand::ShowLayers);
    const QRect narrower = window->Canvas()->geometry();
    EXPECT_EQ(narrower.left() + narrower.width(), W - window->LayersW() - 12);
    ClickButton(ModelerCommand::ShowLibrary);
    EXPECT_TRUE(window->LibraryCanvas()->isVisible());
    EXPECT_LT(window->Canvas()->height(), canvas.height());
    EXPECT_EQ(window->LibraryCanvas()->geometry().top(), window->Canvas()->geometry().bottom() + 1 + 25);

    // A drag that would leave the models pane 10 pixels wide is refused.
    const int before = window->SplitterW();
    const QPoint strip(before + 8, 200);
    QTest::mouseMove(window, strip);
    QTest::mousePress(window, Qt::LeftButton, {}, strip);
    QTest::mouseMove(window, QPoint(10 + 8, 200));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(10 + 8, 200));
    EXPECT_EQ(window->SplitterW(), before);
    // One within the limits is taken.
    QTest::mouseMove(window, strip);
    QTest::mousePress(window, Qt::LeftButton, {}, strip);
    QTest::mouseMove(window, strip + QPoint(40, 0));
    QTest::mouseRelease(window, Qt::LeftButton, {}, strip + QPoint(40, 0));
    EXPECT_EQ(window->SplitterW(), before + 40);

    ClickButton(ModelerCommand::ModeLink);
    ClickButton(ModelerCommand::LinkArrowsBoth);
    CloseWindow();
    const PrivateProfile profile(g_program.ProfilePath);
    EXPECT_EQ(profile.GetInt(QStringLiteral("dlgModeler"), QStringLiteral("SplitterW"), 0), before + 40);
    EXPECT_EQ(profile.GetInt(QStringLiteral("dlgModeler"), QStringLiteral("Layers"), 0), 1);
    EXPECT_EQ(profile.GetInt(QStringLiteral("dlgModeler"), QStringLiteral("Lib"), 0), 1);

    // A new window reads them back.
    ASSERT_TRUE(Open());
    EXPECT_EQ(window->SplitterW(), before + 40);
    EXPECT_TRUE(window->LayersShown());
    EXPECT_TRUE(window->LibraryShown());
    EXPECT_EQ(window->Canvas()->Core().Mode(), CanvasMode::Connect);
    EXPECT_EQ(window->Canvas()->Core().GetLinkArrows(), 2);
}

TEST_F(ModelerTest, ToolbarStatesFollowTheModeAndSelection)
{
    ASSERT_TRUE(Open());
    ClickButton(ModelerCommand::InsertText);
    ModelerCanvasCore& core = window->Canvas()->Core();
    core.ClearSelection(true);
    struct Case {
        int mode;
        bool selected;
        int command;
        bool shown;
        bool enabled;  ///< a hidden button counts as disabled
        bool checked;
    };
    const Case cases[] = {
        {0, false, ModelerCommand::ModeSelect, true, true, true},
        {0, false, ModelerCommand::InsertShape, true, true, false},
        {0, false, ModelerCommand::DeleteSelection, true, false, false},
        {0, true, ModelerCommand::DeleteSelection, true, true, false},
        {0, true, ModelerCommand::Properties, true, true, false},
        {0, false, ModelerCommand::PasteObject, true, false, false},
        {0, false, ModelerCommand::LinkArrowAtTarget, false, false, false},
        {0, false, ModelerCommand::Undo, false, false, false},
        {1, false, ModelerCommand::ModeSelect, true, true, false},
        {1, false, ModelerCommand::ModeLink, true, true, true},
        {1, false, ModelerCommand::InsertText, false, false, false},
        {1, false, ModelerCommand::DeleteSelection, false, false, false},
        {1, false, ModelerCommand::LinkNoArrows, true, true, true},
        {1, false, ModelerCommand::LinkArrowsBoth, true, true, false},
        {1, false, ModelerCommand::DeleteLayer, true, false, false},
    };
    for (const Case& c : cases) {
        core.SetModeAndRedraw(c.mode, 0);
        core.ClearSelection(false);
        if (c.selected)
            core.SelectObject(0, false);
        window->UpdateCommands();
        QAction* action = window->ToolBar()->CommandAction(c.command);
        ASSERT_TRUE(action) << c.command;
        EXPECT_EQ(action->isVisible(), c.shown) << c.mode << " " << c.command;
        EXPECT_EQ(action->isEnabled(), c.enabled) << c.mode << " " << c.command;
        EXPECT_EQ(action->isChecked(), c.checked) << c.mode << " " << c.command;
    }
    // The menu grays the editing items outside mode 0 and never offers
    // undo; the model kinds stay offered.
    core.SetModeAndRedraw(1, 0);
    window->UpdateCommands();
    EXPECT_FALSE(window->MenuAction(ModelerCommand::InsertText)->isEnabled());
    EXPECT_TRUE(window->MenuAction(ModelerCommand::InsertText)->isVisible());
    EXPECT_FALSE(window->MenuAction(ModelerCommand::Undo)->isEnabled());
    EXPECT_TRUE(window->MenuAction(6001)->isEnabled());
}

TEST_F(ModelerTest, PrintsTheModelOnOnePageWithinTheMargins)
{
    EXPECT_EQ(CModelerDlg::PrintTarget(QRect(0, 0, 4800, 6600)), QRect(QPoint(240, 330), QPoint(4559, 6269)));
    ASSERT_TRUE(Open());
    testutil::PrintCapture capture(dir.path());
    // An empty model prints nothing and says so.
    ClickButton(ModelerCommand::PrintModel);
    EXPECT_EQ(capture.dialogs, 0);
    EXPECT_EQ(messages.texts.size(), 1);

    ClickButton(ModelerCommand::InsertText);
    capture.cancel = true;
    ClickButton(ModelerCommand::PrintModel);
    EXPECT_EQ(capture.dialogs, 1);
    EXPECT_TRUE(capture.files.isEmpty());

    capture.cancel = false;
    ClickButton(ModelerCommand::PrintModel);
    ASSERT_EQ(capture.files.size(), 1);
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(capture.LastFile()), QPdfDocument::Error::None);
    EXPECT_EQ(pdf.pageCount(), 1);
    // The drawing stays inside the printable area less a twentieth on each
    // side (in points, one pixel a point).
    QPrinter same(QPrinter::HighResolution);
    same.setOutputFormat(QPrinter::PdfFormat);
    same.setPageSize(QPageSize(QPageSize::A4));
    const QRectF printable = same.pageLayout().paintRect(QPageLayout::Point);
    const QRectF inner = printable.adjusted(printable.width() / 20 - 1, printable.height() / 20 - 1,
                                            -printable.width() / 20 + 1, -printable.height() / 20 + 1);
    const QSizeF points = pdf.pagePointSize(0);
    const QImage page = pdf.render(0, QSize(int(points.width()), int(points.height())));
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qAlpha(page.pixel(x, y)) > 128 && qGray(page.pixel(x, y)) <= 200)
                ink |= QRect(x, y, 1, 1);
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_TRUE(inner.contains(QRectF(ink))) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
}

TEST_F(ModelerTest, LooksAsItShould)
{
    ASSERT_TRUE(Open());
    window->resize(900, 560);
    WhenPopupShows(ModelerCommand::ShapeRectangle);
    ClickButton(ModelerCommand::InsertShape);
    ClickButton(ModelerCommand::InsertText);
    window->Canvas()->Core().ClearSelection(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(window.data(), testutil::DataPath(QStringLiteral("app/modeler.png"))));
    ClickButton(ModelerCommand::ShowLayers);
    ClickButton(ModelerCommand::ShowLibrary);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(window.data(),
                                                testutil::DataPath(QStringLiteral("app/modeler-panes.png"))));
}

}  // namespace
