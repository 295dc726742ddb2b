// The canvas core's model operations: selection, geometry, editing, the
// format painter, pasting, zooming, hit tests, layers and the undo ring.
#include "canvasrecorder.h"

#include "foundation/ids.h"
#include "foundation/options.h"

#include <gtest/gtest.h>

using visualtest::LinkBetween;
using visualtest::PlacedObject;

namespace {

class CanvasCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        core.Attach(nullptr, &view, true, false);
        core.SetViewportSize(QSize(400, 300));
    }
    void Add(qint32 id, ModelRect rect, bool selected = false)
    {
        ModelObject o = PlacedObject(id, rect);
        o.Selected = selected;
        core.Objects().push_back(o);
        core.EditModel().LastObjectId = std::max(core.Model().LastObjectId, id);
    }
    std::vector<qint32> Ids() const
    {
        std::vector<qint32> ids;
        for (const ModelObject& o : core.Model().Objects)
            ids.push_back(o.Id);
        return ids;
    }

    visualtest::CanvasRecorder view;
    ModelerCanvasCore core;
};

}  // namespace

TEST_F(CanvasCore, SelectionQueriesCountObjectsAndLinks)
{
    Add(1, {0, 0, 30, 30});
    Add(2, {50, 0, 30, 30});
    core.Links().push_back(LinkBetween(1, 2));
    core.Links().push_back(LinkBetween(2, 1));
    const struct {
        const char* what;
        std::vector<bool> objects;
        std::vector<bool> links;
        bool single;
        qint32 countWithLinks;
        qint32 firstKind;
        qint32 firstIndex;
    } cases[] = {
        {"nothing", {false, false}, {false, false}, false, 0, ModelHitKind::Nothing, 0},
        {"one object and links", {false, true}, {true, true}, true, 2, ModelHitKind::Object, 1},
        {"two links only", {false, false}, {true, true}, true, 1, ModelHitKind::Link, 0},
        {"two objects", {true, true}, {false, true}, false, 3, ModelHitKind::Object, 0},
    };
    for (const auto& c : cases) {
        for (size_t i = 0; i < 2; ++i) {
            core.Objects()[i].Selected = c.objects[i];
            core.Links()[i].Selected = c.links[i];
        }
        EXPECT_EQ(core.HasSingleSelection(), c.single) << c.what;
        EXPECT_EQ(core.CountSelected(true), c.countWithLinks) << c.what;
        qint32 kind = -1;
        EXPECT_EQ(core.FirstSelectedObject(kind), c.firstIndex) << c.what;
        EXPECT_EQ(kind, c.firstKind) << c.what;
    }
}

TEST_F(CanvasCore, GroupingTakesANewGroupOnlyWhenItChangesSomething)
{
    Add(1, {0, 0, 30, 30}, true);
    Add(2, {50, 0, 30, 30}, true);
    Add(3, {100, 0, 30, 30});
    core.EditModel().LastGroupId = 4;
    ASSERT_TRUE(core.CanGroupSelection());
    core.GroupSelection();
    EXPECT_EQ(core.Objects()[0].GroupId, 5);
    EXPECT_EQ(core.Objects()[1].GroupId, 5);
    EXPECT_EQ(core.Objects()[2].GroupId, 0);
    EXPECT_EQ(core.Model().LastGroupId, 5);
    EXPECT_EQ(core.Record().UndoCount, 1);

    // Exactly one group: nothing, and no snapshot.
    EXPECT_FALSE(core.CanGroupSelection());
    core.GroupSelection();
    EXPECT_EQ(core.Model().LastGroupId, 5);
    EXPECT_EQ(core.Record().UndoCount, 1);

    // One group plus an ungrouped object can be grouped again.
    core.Objects()[2].Selected = true;
    EXPECT_TRUE(core.CanGroupSelection());
    core.ClearSelection(false);
    core.SelectObject(0, true);
    EXPECT_TRUE(core.Objects()[1].Selected);
    EXPECT_FALSE(core.Objects()[2].Selected);
    core.UngroupSelection();
    EXPECT_FALSE(core.SelectionHasGroup());
    EXPECT_EQ(core.Record().UndoCount, 2);
}

TEST_F(CanvasCore, ResizeTakesTheLargerComponentAndCarriesCorrections)
{
    Add(1, {0, 0, 40, 40}, true);
    Add(2, {0, 0, 60, 80}, true);
    Add(3, {0, 0, 90, 90});
    core.ResizeSelection(5, -20);
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{0, 0, 30, 30}));
    EXPECT_EQ(core.Objects()[1].Rect, (ModelRect{0, 0, 50, 70}));
    EXPECT_EQ(core.Objects()[2].Rect.width, 90);
    EXPECT_FLOAT_EQ(core.Objects()[0].BorderWidth, 2.0f);
    EXPECT_FLOAT_EQ(core.Objects()[1].FontSize, 10.0f);

    core.ResizeSelection(-2, 10);
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{0, 0, 40, 40}));
    EXPECT_NEAR(core.Objects()[0].FontSize, 13.333, 1e-3);
}

TEST_F(CanvasCore, TheUnionRuleSkipsEmptyRectangles)
{
    const struct {
        const char* what;
        std::vector<ModelRect> rects;
        ModelRect result;
    } cases[] = {
        {"none", {}, {}},
        {"one", {{1, 2, 3, 4}}, {1, 2, 3, 4}},
        {"two", {{0, 0, 10, 10}, {20, -5, 5, 5}}, {0, -5, 25, 15}},
        {"an empty first one is replaced", {{100, 100, 0, 0}, {1, 1, 2, 2}}, {1, 1, 2, 2}},
        {"an empty later one still widens", {{0, 0, 10, 10}, {50, 50, 0, 0}}, {0, 0, 50, 50}},
        {"a flat first one is replaced", {{0, 0, 100, 1e-8f}, {5, 5, 1, 1}}, {5, 5, 1, 1}},
    };
    for (const auto& c : cases) {
        ModelRect box;
        for (const ModelRect& r : c.rects)
            ModelerCanvasCore::UniteRect(box, r);
        EXPECT_EQ(box, c.result) << c.what;
    }
}

TEST_F(CanvasCore, APastedCopyMovesPastEveryObjectItOverlaps)
{
    Add(1, {10, 10, 30, 30}, true);
    Add(2, {35, 35, 30, 30});
    Add(3, {200, 0, 30, 30});
    EXPECT_FALSE(core.PasteObject());
    ASSERT_TRUE(core.CanCopyObject());
    ASSERT_TRUE(core.CopyObject());
    core.EditModel().CurrentLayer = 4;
    ASSERT_TRUE(core.PasteObject());
    const ModelObject& pasted = core.Objects().back();
    EXPECT_EQ(pasted.Id, 4);
    EXPECT_EQ(core.Model().LastObjectId, 4);
    EXPECT_EQ(pasted.LayerId, 4);
    // (10, 10) overlaps object 1, (40, 40) overlaps object 2, (65, 65) is free.
    EXPECT_EQ(pasted.Rect, (ModelRect{65, 65, 30, 30}));
    EXPECT_FALSE(pasted.Selected);

    // The window's top-left corner moves with the origin.
    core.EditModel().OriginX = -500;
    core.EditModel().OriginY = 20;
    ASSERT_TRUE(core.PasteObject());
    EXPECT_EQ(core.Objects().back().Rect, (ModelRect{510, -10, 30, 30}));
    EXPECT_EQ(core.Record().UndoCount, 2);
}

TEST_F(CanvasCore, OnlyFreeShapesOfASingleSelectionAreCopied)
{
    Add(1, {0, 0, 30, 30}, true);
    core.Objects()[0].Shape = ModelShape::Code;
    EXPECT_FALSE(core.CanCopyObject());
    EXPECT_FALSE(core.CopyObject());
    core.Objects()[0].Shape = ModelShape::Rectangle;
    Add(2, {50, 0, 30, 30}, true);
    EXPECT_FALSE(core.CanCopyObject());
}

TEST_F(CanvasCore, ZoomStaysWithinItsLimitsAroundTheCentre)
{
    const struct {
        float scale;
        bool in;
        qint32 steps;
        float after;
    } cases[] = {{9.9f, true, 1, 10.0f}, {1.0f, true, 2, 1.4f}, {0.5f, false, 1, 0.4f}, {2.0f, false, 3, 1.4f}};
    for (const auto& c : cases) {
        core.EditModel().Scale = c.scale;
        core.EditModel().OriginX = 15;
        core.EditModel().OriginY = -30;
        const QPointF centre = core.CenterPoint();
        if (c.in)
            core.ZoomIn(c.steps);
        else
            core.ZoomOut(c.steps);
        EXPECT_NEAR(core.Model().Scale, c.after, 1e-5) << c.scale;
        EXPECT_NEAR(core.CenterPoint().x(), centre.x(), 1e-3) << c.scale;
        EXPECT_NEAR(core.CenterPoint().y(), centre.y(), 1e-3) << c.scale;
    }
    EXPECT_EQ(core.Record().UndoCount, 0);
}

TEST_F(CanvasCore, ZoomWithASelectionGrowsItInstead)
{
    Add(1, {0, 0, 30, 30}, true);
    core.Links().push_back(LinkBetween(1, 1));
    core.Links().back().Label = QStringLiteral("l");
    core.Links().back().Selected = true;
    core.ZoomIn(1);
    EXPECT_EQ(core.Model().Scale, 1.0f);
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{-5, -5, 40, 40}));
    EXPECT_EQ(core.Links()[0].FontSize, 20.0f);
    core.ZoomOut(1);
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{0, 0, 30, 30}));
    EXPECT_EQ(core.Record().UndoCount, 2);
}

TEST_F(CanvasCore, FitToWindowShowsTheWholeModel)
{
    core.FitToWindow();
    EXPECT_EQ(core.Model().Scale, 1.0f);
    Add(1, {-100, 50, 200, 100});
    core.FitToWindow();
    EXPECT_EQ(core.Model().OriginX, 100);
    EXPECT_EQ(core.Model().OriginY, -50);
    EXPECT_EQ(core.Model().Scale, 2.0f);   // min(300 / 100, 400 / 200)
    Add(2, {0, 0, 100000, 30});
    core.FitToWindow();
    EXPECT_EQ(core.Model().Scale, 0.4f);
}

TEST_F(CanvasCore, HitTestOrderPutsTheBackgroundLast)
{
    Add(1, {0, 0, 400, 300});
    core.Objects()[0].IsBackground = true;
    Add(2, {10, 10, 30, 30});
    Add(3, {110, 10, 30, 30});
    Add(4, {10, 100, 30, 30});
    Add(5, {15, 15, 10, 10});   // above object 2, on a hidden layer
    core.Objects()[4].LayerId = 1;
    core.EditModel().Layers.push_back({1, QStringLiteral("hidden"), false});
    core.Links().push_back(LinkBetween(2, 3));

    const struct {
        const char* what;
        double x;
        double y;
        qint32 result;
        qint32 kind;
    } cases[] = {
        {"object above the background", 20, 20, 1, ModelHitKind::Object},
        {"right edge is outside", 40, 20, 0, ModelHitKind::Object},
        {"on the link", 75, 25, 0, ModelHitKind::Link},
        {"background where nothing else is", 200, 200, 0, ModelHitKind::Object},
        {"outside everything", 450, 20, -1, ModelHitKind::Nothing},
    };
    for (const auto& c : cases) {
        qint32 kind = -1;
        bool handle = true;
        bool geo = true;
        EXPECT_EQ(core.HitTestPoint(c.x, c.y, false, kind, handle, geo), c.result) << c.what;
        EXPECT_EQ(kind, c.kind) << c.what;
        EXPECT_FALSE(handle || geo) << c.what;
    }
    // The link counts only while both its ends are shown.
    core.Objects()[2].LayerId = 1;
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    EXPECT_EQ(core.HitTestPoint(75, 25, false, kind, handle, geo), 0);
    EXPECT_EQ(kind, ModelHitKind::Object);
}

TEST_F(CanvasCore, HandlesAndTheMultipleSelectionAreHitFirst)
{
    Add(1, {0, 0, 30, 30}, true);
    Add(2, {100, 100, 30, 30}, true);
    Add(3, {50, 50, 10, 10});
    core.EditModel().Scale = 2;
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    // The selection box is (0, 0)-(130, 130): window (260, 260), handle
    // 10 pixels square around it.
    EXPECT_EQ(core.HitTestPoint(258, 258, true, kind, handle, geo), kWholeSelectionHit);
    EXPECT_TRUE(handle);
    EXPECT_EQ(core.HitTestPoint(110, 110, true, kind, handle, geo), kWholeSelectionHit);
    EXPECT_FALSE(handle);
    EXPECT_EQ(core.HitTestPoint(110, 110, false, kind, handle, geo), 2);

    core.ClearSelection(false);
    core.SelectObject(1, false);
    core.Objects()[1].GeoLinkFile = QStringLiteral("a.kml");
    EXPECT_EQ(core.HitTestPoint(260, 200, false, kind, handle, geo), 1);
    EXPECT_TRUE(geo);
}

TEST_F(CanvasCore, LinksAreHitWithinTheirTolerance)
{
    Add(1, {-15, -15, 30, 30});
    Add(2, {85, -15, 30, 30});
    core.Objects()[0].ShowSymbol = core.Objects()[1].ShowSymbol = false;   // ends on Bounds
    core.Objects()[0].Bounds = {-0.5f, -0.5f, 1, 1};
    core.Objects()[1].Bounds = {99.5f, -0.5f, 1, 1};
    core.Links().push_back(LinkBetween(1, 2));
    QPointF a;
    QPointF b;
    ASSERT_TRUE(core.GetLinkEndpoints(0, 1, a, b));
    EXPECT_NEAR(a.x(), 0.5, 1e-6);
    EXPECT_NEAR(b.x(), 99.5, 1e-6);
    const double middle = (a.x() + b.x()) / 2;
    const struct {
        QPointF p;
        bool hit;
    } cases[] = {{{middle, 0}, true}, {{middle, 3}, true}, {{middle, -3}, true}, {{middle, 4}, false},
                 {{a.x() - 1, 0}, false}, {{b.x() + 1, 0}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(core.LinkHitTest(0, c.p), c.hit) << c.p.x() << "," << c.p.y();
    core.Links()[0].TargetId = 0;
    EXPECT_FALSE(core.LinkHitTest(0, {middle, 0}));
    EXPECT_FALSE(core.LinkHitTest(5, {middle, 0}));
}

TEST_F(CanvasCore, ClippingShortensToTheRectangleBorders)
{
    QPointF p(0, 0);
    QPointF q(10, 0);
    EXPECT_FALSE(ModelerCanvasCore::ClipSegment(p, q, 6, 4));
    EXPECT_EQ(p, QPointF(0, 0));
    EXPECT_TRUE(ModelerCanvasCore::ClipSegment(p, q, 2, 3));
    EXPECT_NEAR(p.x(), 2, 1e-9);
    EXPECT_NEAR(q.x(), 7, 1e-9);

    // Diagonal between two squares: each end leaves through a corner region.
    Add(1, {0, 0, 20, 20});
    Add(2, {100, 100, 20, 20});
    core.Objects()[0].BorderWidth = core.Objects()[1].BorderWidth = 0;
    QPointF a;
    QPointF b;
    ASSERT_TRUE(core.ClipLineToRects(0, 1, true, true, a, b));
    EXPECT_NEAR(a.x(), 20, 1e-4);
    EXPECT_NEAR(a.y(), 20, 1e-4);
    EXPECT_NEAR(b.x(), 100, 1e-4);
    EXPECT_FALSE(core.ClipLineToRects(-1, 1, true, true, a, b));
    ASSERT_TRUE(core.ClipLineToObject(0, a, QPointF(10, 60)));
    EXPECT_NEAR(a.y(), 20, 1e-4);
    EXPECT_FALSE(core.ClipLineToObject(0, a, QPointF(10, 15)));
}

TEST_F(CanvasCore, StackingOrderKeepsTheBackgroundFirst)
{
    Add(1, {0, 0, 500, 500});
    core.Objects()[0].IsBackground = true;
    Add(2, {0, 0, 30, 30});
    Add(3, {0, 0, 30, 30}, true);
    Add(4, {0, 0, 30, 30});
    Add(5, {0, 0, 30, 30}, true);
    core.SendSelectionToBack();
    EXPECT_EQ(Ids(), (std::vector<qint32>{1, 3, 5, 2, 4}));
    core.BringSelectionToFront();
    EXPECT_EQ(Ids(), (std::vector<qint32>{1, 2, 4, 3, 5}));
    core.Objects()[0].Selected = true;
    core.BringSelectionToFront();
    EXPECT_EQ(Ids().front(), 1);
    EXPECT_EQ(core.Record().UndoCount, 3);
}

TEST_F(CanvasCore, DeletingAnObjectDeletesItsLinks)
{
    Add(1, {0, 0, 30, 30}, true);
    Add(2, {50, 0, 30, 30});
    Add(3, {100, 0, 30, 30});
    core.Links().push_back(LinkBetween(1, 2));
    core.Links().push_back(LinkBetween(2, 3));
    core.Links().push_back(LinkBetween(3, 1));
    core.Links().push_back(LinkBetween(3, 2));
    core.Links()[3].Selected = true;
    core.DeleteSelection();
    EXPECT_EQ(Ids(), (std::vector<qint32>{2, 3}));
    ASSERT_EQ(core.Links().size(), 1u);
    EXPECT_EQ(core.Links()[0].SourceId, 2);
    EXPECT_EQ(core.Record().UndoCount, 1);
    core.DeleteSelection();   // nothing selected: no snapshot
    EXPECT_EQ(core.Record().UndoCount, 1);
    ASSERT_TRUE(core.Undo());
    EXPECT_EQ(Ids(), (std::vector<qint32>{1, 2, 3}));
    EXPECT_EQ(core.Links().size(), 4u);
}

TEST_F(CanvasCore, HiddenLayersKeepTheirObjects)
{
    Add(1, {0, 0, 30, 30}, true);
    Add(2, {50, 0, 30, 30}, true);
    const qint32 index = core.AddLayer();
    EXPECT_EQ(index, 1);
    EXPECT_EQ(core.Model().Layers[1].Id, 1);
    EXPECT_TRUE(core.Model().Layers[1].Name.endsWith(QStringLiteral(" 1")));
    const qint32 hidden = core.Model().Layers[size_t(core.AddLayer())].Id;
    core.Objects()[1].LayerId = hidden;
    EXPECT_EQ(core.GetSelectionLayer(), -1);
    ASSERT_TRUE(core.SetLayerVisible(hidden, false));
    EXPECT_FALSE(core.HasSelection(false));
    EXPECT_FALSE(core.SetLayerVisible(99, false));

    core.Objects()[0].Selected = core.Objects()[1].Selected = true;
    EXPECT_EQ(core.GetSelectionLayer(), 0);
    core.SetSelectionLayer(1);
    EXPECT_EQ(core.Objects()[0].LayerId, 1);
    EXPECT_EQ(core.Objects()[1].LayerId, hidden);
    EXPECT_FALSE(core.HasSelection(false));

    // Selecting by rectangle skips hidden objects.
    core.SelectInRect({-10, -10, 200, 200});
    EXPECT_TRUE(core.Objects()[0].Selected);
    EXPECT_FALSE(core.Objects()[1].Selected);

    EXPECT_FALSE(core.DeleteLayer(0));
    ASSERT_TRUE(core.DeleteLayer(hidden));
    EXPECT_EQ(core.Objects()[1].LayerId, 0);
    EXPECT_EQ(core.FindLayerIndex(hidden), -1);
}

TEST_F(CanvasCore, SelectingByRectangleTakesWholeGroups)
{
    Add(1, {0, 0, 30, 30});
    Add(2, {100, 0, 30, 30});
    Add(3, {0, 50, 30, 30});
    core.Objects()[0].GroupId = core.Objects()[1].GroupId = 7;
    const int before = view.selectionChanges;
    core.SelectInRect({0, 0, 40, 40});   // object 1 alone, but its group reaches further
    EXPECT_FALSE(core.HasSelection(false));
    EXPECT_EQ(view.selectionChanges, before);
    core.SelectInRect({0, 0, 130, 80});   // edges included
    EXPECT_EQ(core.CountSelected(false), 3);
    EXPECT_EQ(view.selectionChanges, before + 1);
}

TEST_F(CanvasCore, TheFormatPainterCarriesAStyle)
{
    Add(1, {0, 0, 30, 30}, true);
    Add(2, {50, 0, 30, 30});
    Add(3, {100, 0, 30, 30});
    core.Objects()[0].FillColor = 0xFF00FF00;
    core.Objects()[0].Rect.width = 80;
    EXPECT_FALSE(core.CanApplyFormat());
    core.PickUpFormat();
    core.ClearSelection(false);
    core.SelectObject(1, false);
    core.SelectObject(2, false);
    ASSERT_TRUE(core.CanApplyFormat());
    core.ApplyFormat();
    EXPECT_EQ(core.Objects()[1].FillColor, 0xFF00FF00u);
    EXPECT_EQ(core.Objects()[2].Rect.width, 80);
    EXPECT_EQ(core.Objects()[2].Rect.x, 100);

    core.Links().push_back(LinkBetween(1, 2));
    core.Links().push_back(LinkBetween(2, 3));
    core.Links()[0].Width = 6;
    core.ClearSelection(false);
    core.SelectLink(0);
    EXPECT_FALSE(core.CanApplyFormat());
    core.PickUpFormat();
    core.ClearSelection(false);
    core.SelectLink(1);
    ASSERT_TRUE(core.CanApplyFormat());
    core.ApplyFormat();
    EXPECT_EQ(core.Links()[1].Width, 6);
    EXPECT_EQ(core.Record().UndoCount, 2);
}

TEST_F(CanvasCore, TheUndoRingKeepsTheLastTwentyStates)
{
    for (qint32 i = 1; i <= 21; ++i) {
        core.EditModel().LastObjectId = i;
        ASSERT_TRUE(core.PushUndo());
    }
    EXPECT_EQ(core.Record().UndoCount, 20);
    EXPECT_EQ(core.Record().UndoIndex, 0);
    // Slots 0, 19, 18, ..., 1 hold the states of pushes 21, 20, ..., 2.
    for (qint32 expected = 21; expected >= 2; --expected) {
        const qint32 slot = core.Record().UndoIndex;
        ASSERT_TRUE(core.Undo()) << expected;
        EXPECT_EQ(core.Model().LastObjectId, expected);
        EXPECT_TRUE(core.Record().UndoSlots[size_t(slot)].Data().isEmpty());
    }
    EXPECT_FALSE(core.Undo());
    EXPECT_EQ(core.Record().UndoCount, 0);
    EXPECT_EQ(core.Record().UndoIndex, -1);

    ASSERT_TRUE(core.PushUndo());
    ASSERT_TRUE(core.Undo());
    EXPECT_EQ(core.Record().UndoCount, 0);
    EXPECT_EQ(core.Record().UndoIndex, -1);

    core.SetUndoEnabled(false);
    EXPECT_FALSE(core.PushUndo());
    EXPECT_FALSE(core.Undo());
    EXPECT_FALSE(core.SerializeModel(true));
    EXPECT_FALSE(core.ParseModel(true));
}

TEST_F(CanvasCore, ADamagedUndoSlotLeavesTheModel)
{
    Add(1, {0, 0, 30, 30});
    ASSERT_TRUE(core.PushUndo());
    core.EditRecord().UndoSlots[0] = SerialBuffer(QByteArray("\xD1\x8E\x8A\x00\x01", 5));
    Add(2, {50, 0, 30, 30});
    EXPECT_FALSE(core.Undo());
    EXPECT_EQ(Ids(), (std::vector<qint32>{1, 2}));
    EXPECT_EQ(core.Record().UndoCount, 1);
}

TEST_F(CanvasCore, IndexesOutsideTheArraysDoNothing)
{
    Add(1, {0, 0, 30, 30});
    core.Links().push_back(LinkBetween(1, 1));
    core.SelectObject(1, true);
    core.SelectObject(-1, false);
    core.SelectLink(1);
    core.SelectLink(-5);
    core.RenameObject(9, QStringLiteral("x"));
    core.PlaceDroppedObject(9, 1);
    core.RemovePlaceholder(9);
    EXPECT_FALSE(core.HasSelection(true));
    QPointF p;
    QPointF q;
    EXPECT_FALSE(core.ClipLineToRects(0, 1, true, true, p, q));
    EXPECT_FALSE(core.ClipLineToObject(3, p, q));
    EXPECT_FALSE(core.GetLinkEndpoints(0, -1, p, q));
    EXPECT_EQ(Ids(), (std::vector<qint32>{1}));
    core.Objects().clear();
    core.MoveSelection(5, 5);
    core.ResizeSelection(5, 5);
    EXPECT_FALSE(core.CanCopyObject());
    EXPECT_FALSE(core.CopyObject());
    EXPECT_FALSE(core.CanApplyFormat());
    core.ApplyFormat();
    core.PickUpFormat();
}

TEST_F(CanvasCore, MovingRenamingAndPlacingObjects)
{
    Add(1, {0, 0, 30, 30}, true);
    Add(2, {100, 0, 60, 40});
    core.MoveSelection(5, -2);
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{5, -2, 30, 30}));
    EXPECT_EQ(core.Objects()[0].Bounds, (ModelRect{5, -2, 30, 30}));
    EXPECT_EQ(core.Objects()[0].LabelRect, (ModelRect{5, -2, 30, 30}));
    EXPECT_EQ(core.Objects()[1].Rect.x, 100);

    core.RenameObject(2, QStringLiteral("renamed"));
    EXPECT_EQ(core.Objects()[1].Label, QStringLiteral("renamed"));
    EXPECT_TRUE(core.Objects()[1].NeedsLayout);

    // The dropped object goes under the title's centre, on the window's
    // vertical centre.
    core.EditModel().OriginY = 50;
    core.PlaceDroppedObject(1, 2);
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{115, 85, 30, 30}));
    core.PlaceDroppedObject(1, 0);
    EXPECT_EQ(core.Objects()[0].Rect.x, -15);

    core.RemovePlaceholder(2);
    EXPECT_EQ(Ids(), (std::vector<qint32>{1}));
}

TEST_F(CanvasCore, LinksAreAddedOncePerPair)
{
    Add(1, {0, 0, 30, 30});
    Add(2, {50, 0, 30, 30});
    core.AddLink(1, 2, LinkArrows::AtTarget, 2, 0xFF00FF00, true);
    core.AddLink(2, 1, LinkArrows::None, 1, 0xFF000000, true);
    ASSERT_EQ(core.Links().size(), 1u);
    EXPECT_EQ(core.Links()[0].Arrows, LinkArrows::AtTarget);
    EXPECT_EQ(core.Links()[0].Width, 2);
    EXPECT_EQ(core.Links()[0].LineColor, 0xFF00FF00u);
    EXPECT_EQ(core.Record().UndoCount, 1);
    EXPECT_TRUE(core.LinkExists(2, 1));
    EXPECT_EQ(core.FindObjectByRef(0, 0), 1);
    core.SetModeAndRedraw(CanvasMode::Connect, LinkArrows::AtBothEnds);
    EXPECT_EQ(core.Mode(), CanvasMode::Connect);
    EXPECT_EQ(core.GetLinkArrows(), LinkArrows::AtBothEnds);
    core.SetModeAndRedraw(CanvasMode::SelectAndMove, -1);
    EXPECT_EQ(core.GetLinkArrows(), LinkArrows::AtBothEnds);
}

TEST_F(CanvasCore, EndingADragAddsOrReattachesALinkOnce)
{
    Add(1, {0, 0, 30, 30});
    Add(2, {50, 0, 30, 30});
    Add(3, {100, 0, 30, 30});
    EXPECT_FALSE(core.EndDrag());
    core.SetModeAndRedraw(CanvasMode::Connect, LinkArrows::AtTarget);

    core.BeginDrag(0, false, false);
    core.SetLinkTarget(1);
    EXPECT_TRUE(core.EndDrag());
    ASSERT_EQ(core.Links().size(), 1u);
    EXPECT_EQ(core.Links()[0].SourceId, 1);
    EXPECT_EQ(core.Links()[0].TargetId, 2);
    EXPECT_EQ(core.Links()[0].Arrows, LinkArrows::AtTarget);
    EXPECT_EQ(core.DragStart(), -1);

    // The same pair the other way round is not added again.
    core.BeginDrag(1, false, false);
    core.SetLinkTarget(0);
    core.EndDrag();
    EXPECT_EQ(core.Links().size(), 1u);

    // Moving the target end to object 3, then the source end onto 3 as well
    // (which would duplicate nothing but makes 3-3): each end moves once.
    core.BeginDrag(0, false, false);
    core.BeginReattach(0, 1);
    core.SetLinkTarget(2);
    core.EndDrag();
    EXPECT_EQ(core.Links()[0].TargetId, 3);
    core.Links().push_back(LinkBetween(2, 3));
    core.BeginDrag(0, false, false);
    core.BeginReattach(0, 0);
    core.SetLinkTarget(1);   // 2-3 exists already: the source stays
    core.EndDrag();
    EXPECT_EQ(core.Links()[0].SourceId, 1);
    EXPECT_EQ(core.Links().size(), 2u);
}

TEST_F(CanvasCore, EndingAMoveSnapsToTheGridWhenAsked)
{
    Add(1, {7, 8, 33, 33}, true);
    if (g_mapsOptions.FindIndex(MapsOption::SnapToGrid) < 0)
        BuildOptionDefinitions();
    const bool saved = g_mapsOptions.GetBool(MapsOption::SnapToGrid);
    g_mapsOptions.SetBool(MapsOption::SnapToGrid, true);
    core.BeginDrag(0, false, false);
    core.EndDrag();
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{0, 15, 33, 33}));
    core.BeginDrag(0, true, false);   // a resize snaps the far edges
    core.EndDrag();
    EXPECT_EQ(core.Objects()[0].Rect, (ModelRect{0, 15, 30, 30}));
    g_mapsOptions.SetBool(MapsOption::SnapToGrid, saved);
}
