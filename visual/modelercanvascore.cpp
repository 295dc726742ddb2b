#include "visual/modelercanvascore.h"

#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "store/topicdatabase.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace {

// Side of the resize handle and of the geo-link marker in window pixels.
constexpr double kHandleSide = 10.0;
constexpr double kGeoMarkerSide = 16.0;
// Zoom step of the view scale.
constexpr float kZoomStep = 0.2f;
// Where a pasted object starts, from the window's top-left corner.
constexpr float kPasteOffset = 10.0f;
// The pinned view of preview mode.
constexpr float kPreviewOriginY = 4.0f;
// Greatest detour through a point that still hits a link.
constexpr double kLinkHitTolerance = 0.2;

double Distance(const QPointF& a, const QPointF& b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// acos(dx / length), negated when dy < 0; 0 for a zero vector.
double DirectionAngle(double dx, double dy)
{
    const double length = std::hypot(dx, dy);
    if (length == 0)
        return 0;
    const double angle = std::acos(std::clamp(dx / length, -1.0, 1.0));
    return dy < 0 ? -angle : angle;
}

// Distance from a rectangle's centre to its border along a line at angle
// theta (magnitude, 0..pi).
double BorderDistance(const ModelRect& rect, double theta)
{
    const double w = rect.width;
    const double h = rect.height;
    const double corner = std::abs(DirectionAngle(-w / 2, -h / 2));
    if (theta < std::numbers::pi - corner || theta > corner) {
        const double c = std::cos(theta);
        return c == 0 ? w / 2 : std::abs(w / c) / 2;
    }
    const double c = std::cos(std::numbers::pi / 2 - theta);
    return c == 0 ? h / 2 : std::abs(h / c) / 2;
}

// Object indexes by id for a pass over many links: a table when the ids
// are small (the usual case), else a hash. The first object of an id wins,
// as FindObjectIndex finds it.
class ObjectIdIndex {
public:
    explicit ObjectIdIndex(const std::vector<ModelObject>& objects)
    {
        const qint64 limit = 4 * qint64(objects.size()) + 64;
        const bool small = std::all_of(objects.begin(), objects.end(),
                                       [limit](const ModelObject& o) { return o.Id >= 0 && o.Id <= limit; });
        if (small)
            m_table.assign(size_t(limit) + 1, -1);
        for (size_t i = 0; i < objects.size(); ++i) {
            if (small) {
                qint32& slot = m_table[size_t(objects[i].Id)];
                if (slot < 0)
                    slot = qint32(i);
            } else {
                m_hash.emplace(objects[i].Id, qint32(i));
            }
        }
    }
    qint32 Find(qint32 id) const
    {
        if (!m_table.empty())
            return id >= 0 && size_t(id) < m_table.size() ? m_table[size_t(id)] : -1;
        const auto it = m_hash.find(id);
        return it == m_hash.end() ? -1 : it->second;
    }

private:
    std::vector<qint32> m_table;
    std::unordered_map<qint32, qint32> m_hash;
};

ModelRect Union(const ModelRect& a, const ModelRect& b)
{
    const float left = std::min(a.x, b.x);
    const float top = std::min(a.y, b.y);
    return {left, top, std::max(a.Right(), b.Right()) - left, std::max(a.Bottom(), b.Bottom()) - top};
}

// Every rectangle a link end of the object can lie in.
ModelRect LinkReach(const ModelObject& o)
{
    return Union(Union(o.Bounds, o.GetOutlineRect()), o.LabelRect);
}

// Each end point lies in its object's reach, and every point of the hit
// ellipse lies within sqrt(0.05 d + 0.01) of the line (d its length): a
// point beyond that margin around both reaches cannot hit, and most points
// of a large model are.
bool WithinLinkReach(const ModelRect& a, const ModelRect& b, const QPointF& point)
{
    const ModelRect reach = Union(a, b);
    const double margin = std::sqrt(0.05 * std::hypot(double(reach.width), double(reach.height)) + 0.01) + 0.01;
    return point.x() >= reach.x - margin && point.x() <= reach.Right() + margin && point.y() >= reach.y - margin
           && point.y() <= reach.Bottom() + margin;
}

bool Overlaps(const ModelRect& a, const ModelRect& b)
{
    return a.x < b.Right() && a.y < b.Bottom() && a.Right() > b.x && a.Bottom() > b.y;
}

}  // namespace

ModelerCanvasCore::ModelerCanvasCore() = default;

void ModelerCanvasCore::Attach(TopicDatabase* store, IModelCanvasView* view, bool undoEnabled, bool preview)
{
    m_store = store;
    m_view = view;
    m_undoEnabled = undoEnabled;
    m_preview = preview;
    if (m_preview) {
        m_mode = CanvasMode::Pan;
        m_model.OriginX = 0;
        m_model.OriginY = kPreviewOriginY;
    }
}

void ModelerCanvasCore::Notify()
{
    if (m_view)
        m_view->SelectionChanged();
}

void ModelerCanvasCore::Redraw()
{
    if (m_view)
        m_view->Redraw();
}

void ModelerCanvasCore::ResetInteraction()
{
    m_dragStart = -1;
    m_dragOnHandle = false;
    m_dragOnGeoMarker = false;
    m_linkTarget = -1;
    m_reattachedLink = -1;
    m_reattachedEnd = 1;
}

// ---------------------------------------------------------------------------
// Coordinates and lookups

QPointF ModelerCanvasCore::ClientToModel(double x, double y) const
{
    return {x / m_model.Scale - m_model.OriginX, y / m_model.Scale - m_model.OriginY};
}

QPointF ModelerCanvasCore::ModelToClient(double x, double y) const
{
    return {(x + m_model.OriginX) * m_model.Scale, (y + m_model.OriginY) * m_model.Scale};
}

QPointF ModelerCanvasCore::CenterPoint() const
{
    return ClientToModel(m_viewport.width() / 2, m_viewport.height() / 2);
}

qint32 ModelerCanvasCore::FindObjectIndex(qint32 id) const
{
    const auto& objects = m_model.Objects;
    for (size_t i = 0; i < objects.size(); ++i)
        if (objects[i].Id == id)
            return qint32(i);
    return -1;
}

qint32 ModelerCanvasCore::FindObjectByRef(qint32 topic, qint32 id) const
{
    for (const ModelObject& o : m_model.Objects)
        if (o.RefTopic == topic && o.RefId == id)
            return o.Id;
    return 0;
}

bool ModelerCanvasCore::LinkExists(qint32 a, qint32 b) const
{
    return std::any_of(m_model.Links.begin(), m_model.Links.end(), [a, b](const ModelLink& l) {
        return (l.SourceId == a && l.TargetId == b) || (l.SourceId == b && l.TargetId == a);
    });
}

qint32 ModelerCanvasCore::FindLayerIndex(qint32 id) const
{
    const auto& layers = m_model.Layers;
    for (size_t i = 0; i < layers.size(); ++i)
        if (layers[i].Id == id)
            return qint32(i);
    return -1;
}

bool ModelerCanvasCore::IsHidden(const ModelObject& object) const
{
    const qint32 index = FindLayerIndex(object.LayerId);
    return index >= 0 && !m_model.Layers[size_t(index)].Visible;
}

// ---------------------------------------------------------------------------
// Selection

bool ModelerCanvasCore::HasSelection(bool withLinks) const
{
    const auto selected = [](const auto& item) { return item.Selected; };
    return std::any_of(m_model.Objects.begin(), m_model.Objects.end(), selected)
           || (withLinks && std::any_of(m_model.Links.begin(), m_model.Links.end(), selected));
}

qint32 ModelerCanvasCore::CountSelected(bool withLinks) const
{
    qint32 count = qint32(std::count_if(m_model.Objects.begin(), m_model.Objects.end(),
                                        [](const ModelObject& o) { return o.Selected; }));
    if (withLinks && std::any_of(m_model.Links.begin(), m_model.Links.end(),
                                 [](const ModelLink& l) { return l.Selected; }))
        ++count;
    return count;
}

bool ModelerCanvasCore::HasSingleSelection() const
{
    const qint32 objects = CountSelected(false);
    if (objects == 0)
        return CountSelected(true) > 0;
    return objects == 1;
}

qint32 ModelerCanvasCore::FirstSelectedObject(qint32& kind) const
{
    for (size_t i = 0; i < m_model.Objects.size(); ++i)
        if (m_model.Objects[i].Selected) {
            kind = ModelHitKind::Object;
            return qint32(i);
        }
    for (size_t i = 0; i < m_model.Links.size(); ++i)
        if (m_model.Links[i].Selected) {
            kind = ModelHitKind::Link;
            return qint32(i);
        }
    kind = ModelHitKind::Nothing;
    return 0;
}

bool ModelerCanvasCore::IsBackgroundSelected() const
{
    return !m_model.Objects.empty() && m_model.Objects.front().IsBackground && m_model.Objects.front().Selected;
}

bool ModelerCanvasCore::SelectionHasGroup() const
{
    return std::any_of(m_model.Objects.begin(), m_model.Objects.end(),
                       [](const ModelObject& o) { return o.Selected && o.GroupId != 0; });
}

bool ModelerCanvasCore::CanGroupSelection() const
{
    qint32 count = 0;
    qint32 group = 0;
    bool oneGroup = true;
    for (const ModelObject& o : m_model.Objects) {
        if (!o.Selected)
            continue;
        if (count++ == 0)
            group = o.GroupId;
        else if (o.GroupId != group)
            oneGroup = false;
    }
    if (count < 2)
        return false;
    return !(oneGroup && group != 0);
}

qint32 ModelerCanvasCore::GetSelectionLayer() const
{
    qint32 layer = -1;
    for (const ModelObject& o : m_model.Objects) {
        if (!o.Selected || IsHidden(o))
            continue;
        if (layer == -1)
            layer = o.LayerId;
        else if (layer != o.LayerId)
            return -1;
    }
    return layer;
}

bool ModelerCanvasCore::GetSelectionCorner(QPoint& point) const
{
    qint32 single = -1;
    const ModelRect box = GetSelectionBounds(single);
    if (!HasSelection(false) || box.IsEmpty())
        return false;
    const QPointF corner = ModelToClient(box.Right(), box.Bottom());
    point = QPoint(int(corner.x()), int(corner.y()));
    return true;
}

void ModelerCanvasCore::SelectObject(qint32 index, bool withGroup)
{
    if (!ValidObject(index))
        return;
    ModelObject& object = m_model.Objects[size_t(index)];
    if (withGroup && object.GroupId != 0) {
        SelectGroup(object.GroupId);
        return;
    }
    object.Selected = true;
    Notify();
}

void ModelerCanvasCore::SelectGroup(qint32 group)
{
    if (group == 0)
        return;
    for (ModelObject& o : m_model.Objects)
        if (o.GroupId == group)
            o.Selected = true;
    Notify();
}

void ModelerCanvasCore::SelectLink(qint32 index)
{
    if (!ValidLink(index))
        return;
    m_model.Links[size_t(index)].Selected = true;
    Notify();
}

void ModelerCanvasCore::SelectInRect(const ModelRect& rect)
{
    bool any = false;
    for (ModelObject& o : m_model.Objects) {
        if (IsHidden(o))
            continue;
        const ModelRect tested = o.GroupId != 0 ? GetGroupBounds(o.GroupId) : o.Bounds;
        if (rect.Holds(tested)) {
            o.Selected = true;
            any = true;
        }
    }
    if (any)
        Notify();
}

bool ModelerCanvasCore::ClearSelection(bool redraw)
{
    bool any = false;
    for (ModelObject& o : m_model.Objects)
        any = std::exchange(o.Selected, false) || any;
    for (ModelLink& l : m_model.Links)
        any = std::exchange(l.Selected, false) || any;
    if (redraw && any)
        Redraw();
    Notify();
    return any;
}

// ---------------------------------------------------------------------------
// Geometry

void ModelerCanvasCore::UniteRect(ModelRect& accumulated, const ModelRect& next)
{
    if (accumulated.IsEmpty()) {
        accumulated = next;
        return;
    }
    const float left = std::min(accumulated.x, next.x);
    const float top = std::min(accumulated.y, next.y);
    const ModelRect united{left, top, std::max(accumulated.Right(), next.Right()) - left,
                           std::max(accumulated.Bottom(), next.Bottom()) - top};
    if (!united.IsEmpty())
        accumulated = united;
}

ModelRect ModelerCanvasCore::GetModelBounds() const
{
    ModelRect box;
    for (const ModelObject& o : m_model.Objects)
        UniteRect(box, o.Bounds);
    return box;
}

ModelRect ModelerCanvasCore::GetSelectionBounds(qint32& single) const
{
    ModelRect box;
    qint32 count = 0;
    single = -1;
    for (size_t i = 0; i < m_model.Objects.size(); ++i) {
        const ModelObject& o = m_model.Objects[i];
        if (!o.Selected)
            continue;
        UniteRect(box, o.Bounds);
        single = qint32(i);
        ++count;
    }
    if (count != 1)
        single = -1;
    return box;
}

ModelRect ModelerCanvasCore::GetGroupBounds(qint32 group) const
{
    ModelRect box;
    for (const ModelObject& o : m_model.Objects)
        if (o.GroupId == group)
            UniteRect(box, o.Bounds);
    return box;
}

// ---------------------------------------------------------------------------
// Editing

void ModelerCanvasCore::MoveSelection(float dx, float dy)
{
    for (ModelObject& o : m_model.Objects) {
        if (!o.Selected)
            continue;
        for (ModelRect* r : {&o.Rect, &o.Bounds, &o.LabelRect}) {
            r->x += dx;
            r->y += dy;
        }
    }
}

void ModelerCanvasCore::ResizeSelection(float dw, float dh)
{
    // Both sides change by the larger component, so objects keep their
    // proportions; a correction for one object carries on to the next.
    if (std::abs(dw) < std::abs(dh))
        dw = dh;
    else
        dh = dw;
    for (ModelObject& o : m_model.Objects) {
        if (!o.Selected)
            continue;
        if (o.Rect.width + dw < kMinSymbolSide)
            dw = kMinSymbolSide - o.Rect.width;
        if (o.Rect.height + dh < kMinSymbolSide)
            dh = kMinSymbolSide - o.Rect.height;
        o.Rect.width += dw;
        o.Rect.height += dh;
        o.BorderWidth += dw * 0.1f;
        o.FontSize = std::max(10.0f, o.FontSize + dw * 3.333f * 0.1f);
        o.NeedsLayout = true;
    }
}

void ModelerCanvasCore::RenameObject(qint32 id, const QString& text)
{
    const qint32 index = FindObjectIndex(id);
    if (index < 0)
        return;
    ModelObject& object = m_model.Objects[size_t(index)];
    object.Label = text;
    object.NeedsLayout = true;
    Redraw();
    Notify();
}

void ModelerCanvasCore::RemoveLinksOf(qint32 id)
{
    std::erase_if(m_model.Links, [id](const ModelLink& l) { return l.SourceId == id || l.TargetId == id; });
}

void ModelerCanvasCore::DeleteSelection()
{
    if (!HasSelection(true))
        return;
    PushUndo();
    auto& objects = m_model.Objects;
    for (const ModelObject& o : objects)
        if (o.Selected)
            RemoveLinksOf(o.Id);
    std::erase_if(objects, [](const ModelObject& o) { return o.Selected; });
    std::erase_if(m_model.Links, [](const ModelLink& l) { return l.Selected; });
    Redraw();
}

void ModelerCanvasCore::GroupSelection()
{
    if (!CanGroupSelection())
        return;
    PushUndo();
    const qint32 group = ++m_model.LastGroupId;
    for (ModelObject& o : m_model.Objects)
        if (o.Selected)
            o.GroupId = group;
    Notify();
}

void ModelerCanvasCore::UngroupSelection()
{
    if (!SelectionHasGroup())
        return;
    PushUndo();
    for (ModelObject& o : m_model.Objects)
        if (o.Selected)
            o.GroupId = 0;
    Notify();
}

void ModelerCanvasCore::SetSelectionLayer(qint32 layer)
{
    for (ModelObject& o : m_model.Objects)
        if (o.Selected && !IsHidden(o))
            o.LayerId = layer;
    ClearSelection(false);
    Redraw();
}

qint32 ModelerCanvasCore::AddLayer()
{
    const qint32 id = ++m_model.LastLayerId;
    m_model.Layers.push_back({id, QStringLiteral("%1 %2").arg(LoadString(VisualText::LayerNamePrefix)).arg(id), true});
    return qint32(m_model.Layers.size()) - 1;
}

bool ModelerCanvasCore::SetLayerVisible(qint32 layerId, bool visible)
{
    const qint32 index = FindLayerIndex(layerId);
    if (index < 0)
        return false;
    ModelLayer& layer = m_model.Layers[size_t(index)];
    if (layer.Visible == visible)
        return true;
    layer.Visible = visible;
    ClearSelection(false);
    Redraw();
    return true;
}

bool ModelerCanvasCore::DeleteLayer(qint32 id)
{
    const qint32 index = FindLayerIndex(id);
    if (index <= 0 || id == 0)   // layer 0 always exists
        return false;
    const bool hidden = !m_model.Layers[size_t(index)].Visible;
    m_model.Layers.erase(m_model.Layers.begin() + index);
    bool moved = false;
    for (ModelObject& o : m_model.Objects)
        if (o.LayerId == id) {
            o.LayerId = 0;
            moved = true;
        }
    if (m_model.CurrentLayer == id)
        m_model.CurrentLayer = 0;
    if (moved && hidden)
        Redraw();
    return true;
}

void ModelerCanvasCore::BringSelectionToFront()
{
    if (!HasSelection(false))
        return;
    PushUndo();
    std::stable_partition(m_model.Objects.begin(), m_model.Objects.end(),
                          [](const ModelObject& o) { return !o.Selected || o.IsBackground; });
    Redraw();
    Notify();
}

void ModelerCanvasCore::SendSelectionToBack()
{
    if (!HasSelection(false))
        return;
    PushUndo();
    auto& objects = m_model.Objects;
    const auto first = !objects.empty() && objects.front().IsBackground ? objects.begin() + 1 : objects.begin();
    std::stable_partition(first, objects.end(), [](const ModelObject& o) { return o.Selected && !o.IsBackground; });
    Redraw();
    Notify();
}

void ModelerCanvasCore::AddLink(qint32 source, qint32 target, qint32 arrows, qint32 width, quint32 color,
                                bool withUndo)
{
    if (LinkExists(source, target))
        return;
    if (withUndo)
        PushUndo();
    ModelLink link;
    link.SourceId = source;
    link.TargetId = target;
    link.Arrows = arrows;
    link.Width = width;
    link.LineColor = color;
    m_model.Links.push_back(std::move(link));
    Redraw();
}

void ModelerCanvasCore::SetModeAndRedraw(qint32 mode, qint32 arrows)
{
    m_mode = mode;
    if (arrows >= 0)
        m_linkArrows = arrows;
    ClearSelection(true);
}

// ---------------------------------------------------------------------------
// Format painter and object copy

void ModelerCanvasCore::PickUpFormat()
{
    if (!HasSingleSelection())
        return;
    qint32 kind = 0;
    const qint32 index = FirstSelectedObject(kind);
    if (kind == ModelHitKind::Object) {
        m_styleHolder.CopyStyle(m_model.Objects[size_t(index)]);
        m_styleHolder.Id = 1;
    } else if (kind == ModelHitKind::Link) {
        m_linkStyleHolder.CopyStyle(m_model.Links[size_t(index)]);
        m_linkStyleHeld = true;
    }
}

bool ModelerCanvasCore::CanApplyFormat() const
{
    qint32 kind = 0;
    FirstSelectedObject(kind);
    if (kind == ModelHitKind::Object)
        return m_styleHolder.Id != 0 && (!HasSingleSelection() || !IsBackgroundSelected());
    if (kind == ModelHitKind::Link)
        return m_linkStyleHeld;
    return false;
}

void ModelerCanvasCore::ApplyFormat()
{
    qint32 kind = 0;
    const qint32 index = FirstSelectedObject(kind);
    if (kind == ModelHitKind::Object && m_styleHolder.Id != 0) {
        PushUndo();
        for (ModelObject& o : m_model.Objects)
            if (o.Selected)
                o.CopyStyle(m_styleHolder);
    } else if (kind == ModelHitKind::Link && m_linkStyleHeld) {
        PushUndo();
        m_model.Links[size_t(index)].CopyStyle(m_linkStyleHolder);
    }
    Redraw();
}

bool ModelerCanvasCore::CanCopyObject() const
{
    qint32 kind = 0;
    const qint32 index = FirstSelectedObject(kind);
    return HasSingleSelection() && !IsBackgroundSelected() && kind == ModelHitKind::Object
           && m_model.Objects[size_t(index)].IsShapeChangeable();
}

bool ModelerCanvasCore::CopyObject()
{
    qint32 kind = 0;
    const qint32 index = FirstSelectedObject(kind);
    if (!HasSingleSelection() || kind != ModelHitKind::Object || !m_model.Objects[size_t(index)].IsShapeChangeable())
        return false;
    m_clipboard.CopyFrom(m_model.Objects[size_t(index)]);
    m_clipboard.Id = 1;
    return true;
}

bool ModelerCanvasCore::PasteObject()
{
    if (m_clipboard.Id == 0)
        return false;
    PushUndo();
    ModelObject object;
    object.CopyFrom(m_clipboard);
    object.Id = ++m_model.LastObjectId;
    object.LayerId = m_model.CurrentLayer;
    object.Rect.x = -m_model.OriginX + kPasteOffset;
    object.Rect.y = -m_model.OriginY + kPasteOffset;
    // Walk past every object the new symbol overlaps, starting again after
    // each move; each move goes right and down, so the walk ends.
    for (bool moved = true; moved;) {
        moved = false;
        for (const ModelObject& other : m_model.Objects) {
            if (Overlaps(object.Rect, other.Rect)) {
                object.Rect.x = other.Rect.Right();
                object.Rect.y = other.Rect.Bottom();
                moved = true;
                break;
            }
        }
    }
    object.LoadPicture(m_preview);
    m_model.Objects.push_back(std::move(object));
    Redraw();
    Notify();
    return true;
}

// ---------------------------------------------------------------------------
// View

void ModelerCanvasCore::ZoomView(float newScale)
{
    const float cx = float(m_viewport.width() / 2);
    const float cy = float(m_viewport.height() / 2);
    const float s = m_model.Scale;
    const float mx = cx / s - m_model.OriginX;
    const float my = cy / s - m_model.OriginY;
    m_model.Scale = newScale;
    m_model.OriginX = cx / newScale - mx;
    m_model.OriginY = cy / newScale - my;
}

void ModelerCanvasCore::ZoomIn(qint32 steps)
{
    if (HasSelection(true)) {
        PushUndo();
        for (ModelObject& o : m_model.Objects)
            if (o.Selected)
                o.Grow(steps);
        const auto link = std::find_if(m_model.Links.begin(), m_model.Links.end(),
                                       [](const ModelLink& l) { return l.Selected; });
        if (link != m_model.Links.end())
            link->LargerFont(steps);
    } else {
        ZoomView(std::min(kMaxScale, m_model.Scale + kZoomStep * float(steps)));
    }
    Redraw();
}

void ModelerCanvasCore::ZoomOut(qint32 steps)
{
    if (HasSelection(true)) {
        PushUndo();
        for (ModelObject& o : m_model.Objects)
            if (o.Selected)
                o.Shrink(steps);
        const auto link = std::find_if(m_model.Links.begin(), m_model.Links.end(),
                                       [](const ModelLink& l) { return l.Selected; });
        if (link != m_model.Links.end())
            link->SmallerFont(steps);
    } else {
        ZoomView(std::max(kMinScale, m_model.Scale - kZoomStep * float(steps)));
    }
    Redraw();
}

void ModelerCanvasCore::FitToWindow()
{
    const ModelRect box = GetModelBounds();
    if (box.IsEmpty())
        return;
    m_model.OriginX = -box.x;
    m_model.OriginY = -box.y;
    const float scale = std::min(float(m_viewport.height()) / box.height, float(m_viewport.width()) / box.width);
    m_model.Scale = std::clamp(scale, kMinScale, kMaxScale);
    Redraw();
}

// ---------------------------------------------------------------------------
// Hit tests and link geometry

qint32 ModelerCanvasCore::HitTestPoint(double x, double y, bool withHandles, qint32& kind, bool& onResizeHandle,
                                       bool& onGeoMarker) const
{
    kind = ModelHitKind::Nothing;
    onResizeHandle = false;
    onGeoMarker = false;
    const QPointF m = ClientToModel(x, y);
    const float px = float(m.x());
    const float py = float(m.y());
    const float scale = m_model.Scale;
    const auto& objects = m_model.Objects;
    qint32 single = -1;
    const qint32 n = CountSelected(false);
    const ModelRect box = n > 0 ? GetSelectionBounds(single) : ModelRect();

    const auto geoMarkerHit = [&]() {
        if (single < 0 || objects[size_t(single)].GeoLinkFile.isEmpty())
            return false;
        const float side = float(kGeoMarkerSide) / scale;
        return ModelRect{box.Right() - side / 2, box.y - side / 2, side, side}.Contains(px, py);
    };
    if (withHandles && n > 0 && !box.IsEmpty()) {
        const float side = float(kHandleSide) / scale;
        if (ModelRect{box.Right() - side / 2, box.Bottom() - side / 2, side, side}.Contains(px, py)) {
            kind = ModelHitKind::Object;
            onResizeHandle = true;
            return kWholeSelectionHit;
        }
    }
    if (n == 1 && geoMarkerHit()) {
        kind = ModelHitKind::Object;
        onGeoMarker = true;
        return single;
    }
    if (withHandles && n > 1 && box.Contains(px, py)) {
        kind = ModelHitKind::Object;
        return kWholeSelectionHit;
    }
    for (size_t i = objects.size(); i-- > 0;) {
        const ModelObject& o = objects[i];
        if (o.IsBackground || !o.Bounds.Contains(px, py) || IsHidden(o))
            continue;
        kind = ModelHitKind::Object;
        return withHandles && n > 1 && o.Selected ? kWholeSelectionHit : qint32(i);
    }
    // One pass over many links: ids, reaches and visibility looked up once.
    const ObjectIdIndex ids(objects);
    std::vector<ModelRect> reaches(objects.size());
    std::vector<char> shown(objects.size(), 1);
    const bool anyHidden = std::any_of(m_model.Layers.begin(), m_model.Layers.end(),
                                       [](const ModelLayer& layer) { return !layer.Visible; });
    for (size_t i = 0; i < objects.size(); ++i) {
        reaches[i] = LinkReach(objects[i]);
        shown[i] = !anyHidden || !IsHidden(objects[i]);
    }
    for (size_t i = m_model.Links.size(); i-- > 0;) {
        const ModelLink& l = m_model.Links[i];
        const qint32 source = l.SourceId != 0 ? ids.Find(l.SourceId) : -1;
        const qint32 target = l.TargetId != 0 ? ids.Find(l.TargetId) : -1;
        if (source < 0 || target < 0 || !shown[size_t(source)] || !shown[size_t(target)])
            continue;
        if (WithinLinkReach(reaches[size_t(source)], reaches[size_t(target)], m) && LinkHitsPoint(source, target, m)) {
            kind = ModelHitKind::Link;
            return qint32(i);
        }
    }
    if (!objects.empty() && !IsHidden(objects.front()) && objects.front().Bounds.Contains(px, py)) {
        kind = ModelHitKind::Object;
        return withHandles && n > 1 && objects.front().Selected ? kWholeSelectionHit : 0;
    }
    return -1;
}

bool ModelerCanvasCore::ClipSegment(QPointF& p, QPointF& q, double a, double b)
{
    const double length = Distance(p, q);
    if (a + b >= length)
        return false;
    const double phi = DirectionAngle(q.x() - p.x(), q.y() - p.y());
    const QPointF unit(std::cos(phi), std::sin(phi));
    p += unit * a;
    q -= unit * b;
    return true;
}

ModelRect ModelerCanvasCore::LinkEndRect(const ModelObject& object, bool useOutline) const
{
    if (!object.ShowSymbol || object.Framed)
        return object.Bounds;
    if (!useOutline && object.LabelLaidOut)
        return object.LabelRect;
    return object.GetOutlineRect();
}

bool ModelerCanvasCore::ClipLineToRects(qint32 index1, qint32 index2, bool useOutline1, bool useOutline2,
                                        QPointF& p, QPointF& q) const
{
    if (!ValidObject(index1) || !ValidObject(index2))
        return false;
    const ModelRect r1 = LinkEndRect(m_model.Objects[size_t(index1)], useOutline1);
    const ModelRect r2 = LinkEndRect(m_model.Objects[size_t(index2)], useOutline2);
    p = QPointF(r1.CentreX(), r1.CentreY());
    q = QPointF(r2.CentreX(), r2.CentreY());
    const double theta = std::abs(DirectionAngle(q.x() - p.x(), q.y() - p.y()));
    return ClipSegment(p, q, BorderDistance(r1, theta), BorderDistance(r2, theta));
}

bool ModelerCanvasCore::ClipLineToObject(qint32 index, QPointF& p, const QPointF& target) const
{
    if (!ValidObject(index))
        return false;
    const ModelRect r = m_model.Objects[size_t(index)].Bounds;
    p = QPointF(r.CentreX(), r.CentreY());
    QPointF q = target;
    const double theta = std::abs(DirectionAngle(q.x() - p.x(), q.y() - p.y()));
    return ClipSegment(p, q, BorderDistance(r, theta), 1.0);
}

bool ModelerCanvasCore::GetLinkEndpoints(qint32 index1, qint32 index2, QPointF& p, QPointF& q) const
{
    if (!ValidObject(index1) || !ValidObject(index2))
        return false;
    // Outline-outline, label-label, outline-label, label-outline: the
    // shortest wins, the earlier on a tie.
    static constexpr bool kCombinations[4][2] = {{true, true}, {false, false}, {true, false}, {false, true}};
    double best = -1;
    for (const auto& combination : kCombinations) {
        QPointF a;
        QPointF b;
        ClipLineToRects(index1, index2, combination[0], combination[1], a, b);
        const double d = Distance(a, b);
        if (best < 0 || d < best) {
            best = d;
            p = a;
            q = b;
        }
    }
    return true;
}

bool ModelerCanvasCore::LinkHitTest(qint32 linkIndex, const QPointF& point) const
{
    if (!ValidLink(linkIndex))
        return false;
    const ModelLink& link = m_model.Links[size_t(linkIndex)];
    if (link.SourceId == 0 || link.TargetId == 0)
        return false;
    return LinkHitsPoint(FindObjectIndex(link.SourceId), FindObjectIndex(link.TargetId), point);
}

bool ModelerCanvasCore::LinkHitsPoint(qint32 source, qint32 target, const QPointF& point) const
{
    if (!ValidObject(source) || !ValidObject(target))
        return false;
    // Each end point lies in one of its object's candidate rectangles, and
    // every point of the hit ellipse lies within sqrt(0.05 d + 0.01) of
    // the line (d its length): a point beyond that reach of both objects'
    // rectangles cannot hit, and most points of a large model are.
    if (!WithinLinkReach(LinkReach(m_model.Objects[size_t(source)]), LinkReach(m_model.Objects[size_t(target)]),
                         point))
        return false;
    QPointF a;
    QPointF b;
    GetLinkEndpoints(source, target, a, b);
    return Distance(point, a) + Distance(point, b) - Distance(a, b) <= kLinkHitTolerance;
}

// ---------------------------------------------------------------------------
// Dragging

void ModelerCanvasCore::BeginDrag(qint32 startObject, bool onResizeHandle, bool onGeoMarker)
{
    m_dragStart = startObject;
    m_dragOnHandle = onResizeHandle;
    m_dragOnGeoMarker = onGeoMarker;
}

void ModelerCanvasCore::BeginReattach(qint32 link, qint32 end)
{
    m_reattachedLink = link;
    m_reattachedEnd = end;
}

bool ModelerCanvasCore::EndDrag()
{
    if (m_dragStart == -1)
        return false;
    if (m_mode == CanvasMode::SelectAndMove && g_mapsOptions.GetBool(MapsOption::SnapToGrid)) {
        for (ModelObject& o : m_model.Objects)
            if (o.Selected)
                o.SnapToGrid(m_gridSize, !m_dragOnHandle);
        Redraw();
    }
    if (m_mode == CanvasMode::Connect && ValidObject(m_linkTarget)) {
        const qint32 targetId = m_model.Objects[size_t(m_linkTarget)].Id;
        if (m_reattachedLink < 0) {
            if (ValidObject(m_dragStart))
                AddLink(m_model.Objects[size_t(m_dragStart)].Id, targetId, m_linkArrows, 1, 0xFF000000, true);
        } else if (ValidLink(m_reattachedLink)) {
            ModelLink& link = m_model.Links[size_t(m_reattachedLink)];
            const bool targetEnd = m_reattachedEnd == 1;
            const qint32 a = targetEnd ? link.SourceId : targetId;
            const qint32 b = targetEnd ? targetId : link.TargetId;
            if (!LinkExists(a, b))
                (targetEnd ? link.TargetId : link.SourceId) = targetId;
        }
    }
    ResetInteraction();
    if (m_mode == CanvasMode::Connect)
        ClearSelection(true);
    return true;
}

// ---------------------------------------------------------------------------
// Model kinds

void ModelerCanvasCore::RemovePlaceholder(qint32 placeholderId)
{
    if (placeholderId == 0)
        return;
    std::erase_if(m_model.Objects, [placeholderId](const ModelObject& o) { return o.Id == placeholderId; });
}

void ModelerCanvasCore::PlaceDroppedObject(qint32 droppedId, qint32 titleId)
{
    const qint32 index = droppedId != 0 ? FindObjectIndex(droppedId) : -1;
    if (index < 0)
        return;
    const qint32 title = titleId != 0 ? FindObjectIndex(titleId) : -1;
    const float cx = title >= 0 ? m_model.Objects[size_t(title)].Rect.CentreX() : 0.0f;
    const float cy = float(CenterPoint().y());
    ModelObject& object = m_model.Objects[size_t(index)];
    object.Rect.x = cx - object.Rect.width / 2;
    object.Rect.y = cy - object.Rect.height / 2;
    object.NeedsLayout = true;
}

// ---------------------------------------------------------------------------
// Byte image and undo

bool ModelerCanvasCore::SerializeModel(bool toUndoSlot)
{
    if (!toUndoSlot)
        return WriteModelImage(m_model, m_record.Data);
    const qint32 index = m_record.UndoIndex;
    if (index < 0 || index >= StoredModel::kUndoSlots)
        return false;
    return WriteModelImage(m_model, m_record.UndoSlots[size_t(index)]);
}

bool ModelerCanvasCore::ParseModel(bool fromUndoSlot)
{
    SerialBuffer* source = &m_record.Data;
    if (fromUndoSlot) {
        const qint32 index = m_record.UndoIndex;
        if (index < 0 || index >= StoredModel::kUndoSlots)
            return false;
        source = &m_record.UndoSlots[size_t(index)];
    }
    ModelContent read;
    if (!ReadModelImage(*source, read))
        return false;
    source->Clear();
    ShowModel(std::move(read));
    return true;
}

void ModelerCanvasCore::ShowModel(ModelContent&& model)
{
    m_model = std::move(model);
    ResetInteraction();
    for (ModelObject& o : m_model.Objects)
        o.LoadPicture(m_preview);
    if (m_preview) {
        m_model.OriginX = 0;
        m_model.OriginY = kPreviewOriginY;
    }
    if (m_view) {
        m_view->ViewReset();
        m_view->Redraw();
    }
}

bool ModelerCanvasCore::PushUndo()
{
    if (!m_undoEnabled)
        return false;
    return WriteModelImage(m_model, m_record.NextUndoSlot());
}

bool ModelerCanvasCore::Undo()
{
    if (m_record.UndoCount < 1 || !ParseModel(true))
        return false;
    m_record.PopUndo();
    return true;
}

// ---------------------------------------------------------------------------
// Stored models

qint32 ModelerCanvasCore::NewModel(QString& name, qint32 kind)
{
    if (!m_store)
        return 0;
    m_record.Reset(kind, m_store->GetUserName());
    m_model.Reset();
    ResetInteraction();
    if (m_preview) {
        m_model.OriginX = 0;
        m_model.OriginY = kPreviewOriginY;
    }
    if (m_view)
        m_view->ViewReset();
    m_store->WriteModel(m_record);
    Redraw();
    name = m_record.Name;
    return m_record.ID;
}

bool ModelerCanvasCore::LoadStoredModel(qint32 id)
{
    if (!m_store)
        return false;
    StoredModel loaded;
    loaded.ID = id;
    if (!m_store->ReadModel(loaded))
        return false;
    ModelContent read;
    if (!ReadModelImage(loaded.Data, read)) {
        ShowMessage(LoadString(VisualText::StoredModelDamaged).arg(loaded.Name), MessageKind::Error);
        return false;
    }
    loaded.Data.Clear();
    m_record = std::move(loaded);
    ShowModel(std::move(read));
    return true;
}

bool ModelerCanvasCore::SaveStoredModel()
{
    if (!m_store || !SerializeModel(false))
        return false;
    return m_store->WriteModel(m_record);
}

bool ModelerCanvasCore::RenameStoredModel(qint32 id, const QString& name)
{
    if (!m_store)
        return false;
    if (id == m_record.ID) {
        // The record's data is emptied by every parse: write the model shown,
        // not an empty image over the stored one.
        const QString oldName = m_record.Name;
        m_record.Name = name;
        if (SaveStoredModel())
            return true;
        m_record.Name = oldName;
        return false;
    }
    StoredModel other;
    other.ID = id;
    if (!m_store->ReadModel(other))
        return false;
    other.Name = name;
    return m_store->WriteModel(other);
}

bool ModelerCanvasCore::DuplicateStoredModel(qint32& id, QString& name)
{
    if (!m_store)
        return false;
    if (id == m_record.ID && !SaveStoredModel())
        return false;
    StoredModel copy;
    copy.ID = id;
    if (!m_store->ReadModel(copy))
        return false;
    copy.ID = 0;
    copy.Name = QStringLiteral("%1 %2").arg(LoadString(VisualText::DuplicatePrefix), copy.Name);
    if (!m_store->WriteModel(copy))
        return false;
    id = copy.ID;
    name = copy.Name;
    return true;
}
