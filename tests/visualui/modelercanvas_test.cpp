// The model canvas window offscreen: drawing links, moving a link's end,
// dragging, rubber-band selection, the wheel, panning, the scroll bars, the
// object menu, double clicks on linked files, and its screenshot.
#include "common/screenshots.h"
#include "common/scriptedmessages.h"

#include "document/listnotifyinfo.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/storeids.h"
#include "visual/modelercanvas.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FixedMeasurer : public ModelTextMeasurer {
public:
    QSizeF Measure(const QString& text, const QString&, float size) const override
    {
        return text.isEmpty() ? QSizeF() : QSizeF(double(text.size()) * size, 1.2 * size);
    }
};

class RecordingOwner : public IModelerCanvasOwner {
public:
    void Request(NotifyHead& record) override
    {
        if (record.code == RequestCode::FollowItem || record.code == RequestCode::OpenItem) {
            const auto& info = static_cast<const IdListNotifyInfo&>(record);
            log.append(QStringLiteral("%1(%2,%3)")
                           .arg(record.code == RequestCode::FollowItem ? QStringLiteral("follow") : QStringLiteral("open"))
                           .arg(info.kind)
                           .arg(info.itemId));
        }
    }
    void RebuildMenuBar() override { ++rebuilds; }
    bool CanRunObjectCommand() const override { return true; }
    void RunObjectCommand(int command, const ModelObjectCommandTarget& target) override
    {
        log.append(QStringLiteral("command(%1,%2,%3)").arg(command).arg(target.topic).arg(target.refId));
    }

    QStringList log;
    int rebuilds = 0;
};

class CanvasWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (g_mapsOptions.FindIndex(MapsOption::SnapToGrid) < 0)
            BuildOptionDefinitions();
        savedSnap = g_mapsOptions.GetBool(MapsOption::SnapToGrid);
        g_mapsOptions.SetBool(MapsOption::SnapToGrid, false);
        SetTextMeasurer(&measurer);
        canvas = std::make_unique<ModelerCanvas>();
        canvas->resize(440, 340);
        canvas->Attach(nullptr, &owner, true, false);
        canvas->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(canvas.get()));
    }
    void TearDown() override
    {
        canvas.reset();
        SetTextMeasurer(nullptr);
        g_mapsOptions.SetBool(MapsOption::SnapToGrid, savedSnap);
    }
    // A symbol without label: its bounds lie 2 beyond the rectangle.
    ModelObject& Add(ModelRect rect, qint32 topic = 0, qint32 refId = 0)
    {
        ModelObject o;
        o.Id = ++canvas->Core().EditModel().LastObjectId;
        o.Rect = rect;
        o.Shape = ModelShape::Rectangle;
        o.RefTopic = topic;
        o.RefId = refId;
        canvas->Core().Objects().push_back(o);
        canvas->RenderNow();
        canvas->Redraw();
        return canvas->Core().Objects().back();
    }
    QWidget* View() const { return canvas->viewport(); }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(View(), Qt::LeftButton, keys, from);
        const int steps = 4;
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(View(), from + (to - from) * i / steps);
        QTest::mouseRelease(View(), Qt::LeftButton, keys, to);
    }
    std::vector<bool> Selected() const
    {
        std::vector<bool> selected;
        for (const ModelObject& o : canvas->Core().Model().Objects)
            selected.push_back(o.Selected);
        return selected;
    }
    ModelerCanvasCore& Core() { return canvas->Core(); }

    bool savedSnap = false;
    FixedMeasurer measurer;
    RecordingOwner owner;
    std::unique_ptr<ModelerCanvas> canvas;
};

}  // namespace

TEST_F(CanvasWindow, DrawingALinkInConnectModeLinksTheTwoObjects)
{
    Add({20, 20, 40, 40});
    Add({200, 20, 40, 40});
    Core().SetModeAndRedraw(CanvasMode::Connect, LinkArrows::AtTarget);
    Drag({40, 40}, {220, 40});
    ASSERT_EQ(Core().Links().size(), 1u);
    EXPECT_EQ(Core().Links()[0].SourceId, 1);
    EXPECT_EQ(Core().Links()[0].TargetId, 2);
    EXPECT_EQ(Core().Links()[0].Arrows, LinkArrows::AtTarget);
    // Released over nothing, a drawn line links nothing; over the source neither.
    Drag({220, 40}, {300, 250});
    Drag({220, 40}, {225, 45});
    EXPECT_EQ(Core().Links().size(), 1u);
    // A link exists in either direction only once.
    Drag({220, 40}, {40, 40});
    EXPECT_EQ(Core().Links().size(), 1u);
    // A double click in connect mode does nothing.
    canvas->SetFollowLinks(true);
    QTest::mouseDClick(View(), Qt::LeftButton, {}, {40, 40});
    EXPECT_TRUE(owner.log.isEmpty());
}

TEST_F(CanvasWindow, APressNearALinksEndMovesThatEndToAThirdObject)
{
    Add({20, 20, 40, 40});
    Add({200, 20, 40, 40});
    Add({200, 200, 40, 40});
    Core().Links().push_back(ModelLink{});
    Core().Links()[0].SourceId = 1;
    Core().Links()[0].TargetId = 2;
    Core().SetModeAndRedraw(CanvasMode::Connect, LinkArrows::None);
    // The line runs at y 40 from x 61.5 to 198.5: near the target end.
    Drag({190, 40}, {220, 220});
    EXPECT_EQ(Core().Links()[0].SourceId, 1);
    EXPECT_EQ(Core().Links()[0].TargetId, 3);
    // Near the source end the source moves.
    Core().Links()[0].TargetId = 2;
    Drag({70, 40}, {220, 220});
    EXPECT_EQ(Core().Links()[0].SourceId, 3);
    EXPECT_EQ(Core().Links()[0].TargetId, 2);
}

TEST_F(CanvasWindow, DraggingASelectionMovesItByThePointerOverTheScale)
{
    Add({20, 20, 40, 40});
    Add({100, 20, 40, 40});
    Core().EditModel().Scale = 2;
    canvas->Redraw();
    // At scale 2 the first object covers the window's (36..124, 36..124).
    Drag({80, 80}, {120, 100});
    EXPECT_EQ(Core().Objects()[0].Rect, (ModelRect{40, 30, 40, 40}));
    EXPECT_EQ(Core().Objects()[1].Rect, (ModelRect{100, 20, 40, 40}));
    EXPECT_EQ(Selected(), (std::vector<bool>{true, false}));
    // Shift keeps the first selected; the move takes both along.
    Drag({240, 80}, {250, 80}, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<bool>{true, true}));
    EXPECT_EQ(Core().Objects()[0].Rect.x, 45);
    EXPECT_EQ(Core().Objects()[1].Rect.x, 105);
    // One undo goes back before the whole second drag.
    EXPECT_TRUE(Core().Undo());
    EXPECT_EQ(Core().Objects()[0].Rect.x, 40);
}

TEST_F(CanvasWindow, AMovingSelectionIsPaintedWhereItIsNow)
{
    Add({20, 20, 40, 40}).FillColor = 0xFF00C000;
    Add({200, 20, 40, 40}).FillColor = 0xFFC00000;
    Core().Links().push_back(ModelLink{});
    Core().Links()[0].SourceId = 1;
    Core().Links()[0].TargetId = 2;
    const auto colourAt = [this](int x, int y) { return canvas->RenderedScene().pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(colourAt(40, 40), 0x00C000u);
    QTest::mousePress(View(), Qt::LeftButton, {}, {40, 40});
    QTest::mouseMove(View(), {40, 120});
    QTest::mouseMove(View(), {40, 160});
    // Mid-drag: the object is at its new place, its old place is empty, the
    // still object stays.
    EXPECT_EQ(colourAt(40, 160), 0x00C000u);
    EXPECT_EQ(colourAt(40, 40), 0xFFFFFFu);
    EXPECT_EQ(colourAt(220, 40), 0xC00000u);
    QTest::mouseRelease(View(), Qt::LeftButton, {}, {40, 160});
    EXPECT_EQ(colourAt(40, 160), 0x00C000u);
    EXPECT_EQ(colourAt(40, 40), 0xFFFFFFu);
}

TEST_F(CanvasWindow, ARubberBandSelectsTheObjectsWhollyInside)
{
    Add({20, 20, 40, 40});
    Add({100, 20, 40, 40});
    Add({100, 120, 40, 40});
    Drag({5, 5}, {150, 80});
    EXPECT_EQ(Selected(), (std::vector<bool>{true, true, false}));
    // A band around the third alone replaces the selection, with Ctrl adds to it.
    Drag({90, 110}, {160, 170});
    EXPECT_EQ(Selected(), (std::vector<bool>{false, false, true}));
    Drag({5, 5}, {70, 70}, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<bool>{true, false, true}));
    // A click on nothing clears it.
    QTest::mouseClick(View(), Qt::LeftButton, {}, {300, 250});
    EXPECT_EQ(Selected(), (std::vector<bool>{false, false, false}));
}

TEST_F(CanvasWindow, WheelNotchesGrowTheSelectionOrZoomTheView)
{
    Add({20, 20, 40, 40}).Selected = true;
    const auto wheel = [this](int delta) {
        QWheelEvent event(QPointF(200, 150), View()->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(View(), &event);
    };
    wheel(240);
    EXPECT_EQ(Core().Objects()[0].Rect.width, 60);
    wheel(-120);
    EXPECT_EQ(Core().Objects()[0].Rect.width, 50);
    wheel(60);   // half a notch waits for the other half
    EXPECT_EQ(Core().Objects()[0].Rect.width, 50);
    wheel(60);
    EXPECT_EQ(Core().Objects()[0].Rect.width, 60);
    Core().ClearSelection(false);
    wheel(120);
    EXPECT_FLOAT_EQ(Core().Model().Scale, 1.2f);
}

TEST_F(CanvasWindow, PanningMovesTheOriginAndTheBarsFollow)
{
    Core().SetModeAndRedraw(CanvasMode::Pan, -1);
    Drag({100, 100}, {130, 80});
    EXPECT_FLOAT_EQ(Core().Model().OriginX, 30);
    EXPECT_FLOAT_EQ(Core().Model().OriginY, -20);
    EXPECT_EQ(canvas->horizontalScrollBar()->value(), -3);
    EXPECT_EQ(canvas->verticalScrollBar()->value(), 2);
    // A window point and the model point under it.
    Core().EditModel().Scale = 2;
    Core().EditModel().OriginX = -10;
    Core().EditModel().OriginY = 5;
    EXPECT_EQ(canvas->ClientToModel(100, 50), QPointF(60, 20));
}

TEST_F(CanvasWindow, ThumbTrackingMovesTheViewAndLineStepsSetTheBar)
{
    QScrollBar* bar = canvas->horizontalScrollBar();
    bar->setSliderDown(true);
    for (int i = 0; i < 3; ++i)
        bar->setSliderPosition(7);
    EXPECT_FLOAT_EQ(Core().Model().OriginX, -70);
    EXPECT_EQ(bar->sliderPosition(), 7);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_FLOAT_EQ(Core().Model().OriginX, -60);
    EXPECT_EQ(bar->sliderPosition(), 6);
    bar->setSliderDown(false);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_FLOAT_EQ(Core().Model().OriginX, -160);
    EXPECT_EQ(bar->value(), 16);
    canvas->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_FLOAT_EQ(Core().Model().OriginY, -10);
    EXPECT_EQ(canvas->verticalScrollBar()->value(), 1);
}

TEST(CanvasPreview, PanningRightNeverMakesTheOriginPositive)
{
    ModelerCanvas canvas;
    canvas.resize(300, 200);
    canvas.Attach(nullptr, nullptr, false, true);
    canvas.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
    EXPECT_EQ(canvas.Core().Mode(), CanvasMode::Pan);
    QTest::mousePress(canvas.viewport(), Qt::LeftButton, {}, {50, 50});
    QTest::mouseMove(canvas.viewport(), {80, 90});
    QTest::mouseRelease(canvas.viewport(), Qt::LeftButton, {}, {80, 90});
    EXPECT_FLOAT_EQ(canvas.Core().Model().OriginX, 0);
    EXPECT_FLOAT_EQ(canvas.Core().Model().OriginY, 4);
    canvas.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_FLOAT_EQ(canvas.Core().Model().OriginX, 0);
}

TEST_F(CanvasWindow, TheObjectMenuOffersOnlyTheCommandsOfItsTopic)
{
    Add({20, 20, 40, 40}, TopicId::Codes, 5);
    Add({200, 20, 40, 40}, TopicId::Codings, 6);
    Add({20, 200, 40, 40}, TopicId::Documents, 7);
    const auto menuOf = [this](QPoint point, int choose) {
        QList<int> offered;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            shown = true;
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                offered.append(action->data().toInt());
                if (action->data().toInt() == choose)
                    chosen = action;
            }
            if (chosen) {
                menu->setActiveAction(chosen);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
        QTest::mousePress(View(), Qt::RightButton, {}, point);
        QTest::mouseRelease(View(), Qt::RightButton, {}, point);
        QApplication::processEvents();
        return shown ? offered : QList<int>{-1};
    };
    EXPECT_EQ(menuOf({40, 40}, 20063), (QList<int>{20062, 20063}));
    EXPECT_EQ(owner.log, (QStringList{QStringLiteral("command(20063,8,5)")}));
    EXPECT_EQ(Selected(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(menuOf({220, 40}, 0), (QList<int>{-1}));   // a coding has no menu
    EXPECT_EQ(Selected(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(menuOf({40, 220}, 0), (QList<int>{20021, 20022, 20023}));
}

TEST_F(CanvasWindow, PressAndDoubleClickAskTheOwnerOrTheOpener)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("run.sh"));
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntouch \"$0.ran\"\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    Add({20, 20, 40, 40}).LinkedFile = script;
    Add({200, 20, 40, 40}, TopicId::Documents, 9);
    canvas->SetFollowLinks(true);

    testutil::ScriptedMessages messages({MessageAnswer::No});
    QTest::mouseDClick(View(), Qt::LeftButton, {}, {40, 40});
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_FALSE(QFile::exists(script + QStringLiteral(".ran")));

    QTest::mouseClick(View(), Qt::LeftButton, {}, {220, 40});
    EXPECT_EQ(owner.log, (QStringList{QStringLiteral("follow(5,9)")}));
    owner.log.clear();
    QTest::mouseDClick(View(), Qt::LeftButton, {}, {220, 40});
    EXPECT_TRUE(owner.log.contains(QStringLiteral("open(5,9)"))) << owner.log.join(u' ').toStdString();
    // Without following links nothing is asked or sent.
    owner.log.clear();
    canvas->SetFollowLinks(false);
    QTest::mouseDClick(View(), Qt::LeftButton, {}, {220, 40});
    QTest::mouseDClick(View(), Qt::LeftButton, {}, {40, 40});
    EXPECT_TRUE(owner.log.isEmpty());
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(CanvasWindow, TheWindowMatchesItsPicture)
{
    ModelObject& a = Add({30, 30, 60, 60});
    a.Label = QStringLiteral("first");
    a.Shape = ModelShape::Ellipse;
    a.SymbolShadow = true;
    Add({220, 120, 60, 60}).Selected = true;
    ModelLink link;
    link.SourceId = 1;
    link.TargetId = 2;
    link.Arrows = LinkArrows::AtTarget;
    link.Label = QStringLiteral("link");
    Core().Links().push_back(link);
    g_mapsOptions.SetBool(MapsOption::SnapToGrid, true);
    canvas->SetGrid(true);
    EXPECT_TRUE(testutil::MatchesReferenceImage(canvas.get(),
                                                QStringLiteral(KORVAN_TEST_DATA_DIR "/visual/canvas_window.png")));
}

TEST_F(CanvasWindow, AddedObjectsFindTheirPlace)
{
    // From the window's corner + 10, past every object the symbol overlaps.
    const qint32 first = canvas->AddObject(0, 0, QStringLiteral("a"), 1, false, 0, false, QString(), nullptr, true);
    ASSERT_EQ(first, 1);
    EXPECT_EQ(Core().Objects()[0].Rect, (ModelRect{10, 10, 30, 30}));
    canvas->AddObject(0, 0, QStringLiteral("b"), 1, false, 0, false, QStringLiteral("map.KML"), nullptr, false);
    EXPECT_EQ(Core().Objects()[1].Rect, (ModelRect{40, 40, 30, 30}));
    EXPECT_EQ(Core().Objects()[1].GeoLinkFile, QStringLiteral("map.KML"));
    // Below another object: its left edge, under its bounds.
    const qint32 code = canvas->AddObject(TopicId::Codes, 7, QStringLiteral("c"), 0, true, first, false, QString(),
                                          nullptr, false);
    canvas->RenderNow();
    const ModelObject& below = Core().Objects()[2];
    EXPECT_EQ(below.Rect.x, 10);
    EXPECT_FLOAT_EQ(below.Rect.y, 10 + Core().Objects()[0].Bounds.height);
    // A project object is added once.
    EXPECT_EQ(canvas->AddObject(TopicId::Codes, 7, QString(), 0, false, 0, false, QString(), nullptr, false), code);
    EXPECT_EQ(canvas->AddObject(TopicId::Codes, 7, QString(), 0, true, first, false, QString(), nullptr, false), first);
    EXPECT_EQ(Core().Objects().size(), 3u);
    // A background picture nobody chose is not added.
    testutil::ScriptedMessages messages;
    EXPECT_EQ(canvas->AddObject(0, 0, QString(), 1, false, 0, true, QString(), nullptr, false), 0);
    EXPECT_EQ(Core().Objects().size(), 3u);
    EXPECT_EQ(messages.prompts.size(), 1);
}

TEST_F(CanvasWindow, ObjectTextsShowGeoLinksAndLinkedFiles)
{
    QTemporaryDir dir;
    const QString kml = dir.filePath(QStringLiteral("PLACE.KML"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVAN_TEST_DATA_DIR "/kml/placemark.kml"), kml));
    const QString linked = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(linked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct {
        const char* what;
        QString geo;
        QString linkedFile;
        bool geoMode;
        bool shown;
        QString text;
    } cases[] = {
        {"placemark of a .KML", kml, QString(), true, true, QStringLiteral("Straße & Platz\r13.4050,52.5200")},
        {"another geo link as it stands", QStringLiteral("52.5,13.4"), QString(), true, true, QStringLiteral("52.5,13.4")},
        {"the linked file outside geo mode", kml, linked, false, true, linked},
        {"nothing to show", QString(), QString(), false, false, QString()},
    };
    for (const auto& c : cases) {
        ModelObject object;
        object.GeoLinkFile = c.geo;
        object.LinkedFile = c.linkedFile;
        bool rich = true;
        QString text;
        QByteArray rtf;
        QSize size;
        EXPECT_EQ(canvas->BuildObjectText(object, rich, text, rtf, size, c.geoMode), c.shown) << c.what;
        EXPECT_EQ(text, c.text) << c.what;
        EXPECT_FALSE(rich) << c.what;
        if (c.shown)
            EXPECT_EQ(size, QSize(300, 32)) << c.what;
    }
}

TEST_F(CanvasWindow, WithTheGridADragMovesFromGridPointToGridPoint)
{
    g_mapsOptions.SetBool(MapsOption::SnapToGrid, true);
    canvas->SetGrid(true);
    Add({15, 15, 30, 30});
    // Steps of 4 pixels: the corner stays until the path passes half the grid.
    QTest::mousePress(View(), Qt::LeftButton, {}, {30, 30});
    QTest::mouseMove(View(), {34, 30});
    EXPECT_EQ(Core().Objects()[0].Rect.x, 15);
    QTest::mouseMove(View(), {38, 30});
    EXPECT_EQ(Core().Objects()[0].Rect.x, 30);
    QTest::mouseRelease(View(), Qt::LeftButton, {}, {38, 30});
    EXPECT_EQ(Core().Objects()[0].Rect, (ModelRect{30, 15, 30, 30}));
}
