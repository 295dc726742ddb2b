#include "visual/modelercanvas.h"

#include "document/listnotifyinfo.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/kmlreader.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "ui/rtftipctrl.h"
#include "visual/modelerdialogs.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// One wheel notch.
constexpr int kWheelNotch = 120;
// Side of the geo marker's tooltip square in window pixels.
constexpr double kGeoTipSide = 16.0;
// Tooltip sizes: a file or address, and a memo or coded segment.
const QSize kPlainTipSize(300, 32);
const QSize kRichTipSize(300, 160);
// Where a new object starts, from the window's top-left corner.
constexpr float kNewObjectOffset = 10.0f;
// Gap below an object that a preview object moves past.
constexpr float kPreviewGap = 5.0f;

bool Overlaps(const ModelRect& a, const ModelRect& b)
{
    return a.x < b.Right() && a.y < b.Bottom() && a.Right() > b.x && a.Bottom() > b.y;
}

// Scroll position of an origin coordinate: −origin / 10, toward zero.
int ScrollPosition(float origin)
{
    return int(-origin / ModelerCanvas::kScrollUnit);
}

}  // namespace

ModelerCanvas::ModelerCanvas(QWidget* parent) : QAbstractScrollArea(parent)
{
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
        bar->setRange(-kScrollRange, kScrollRange);
        bar->setPageStep(kScrollPage);
        bar->setSingleStep(1);
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, orientation](int action) { OnScrollAction(orientation, action); });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, orientation]() { OnSliderReleased(orientation); });
    }
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_tip = new CRTFTipCtrl();
    m_tip->Create(this);
    m_core.Attach(nullptr, this, false, false);
    m_kindSettings.Canvas = this;
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

ModelerCanvas::~ModelerCanvas()
{
    m_core.SaveStoredModel();
    delete m_tip;
}

void ModelerCanvas::Attach(TopicDatabase* store, IModelerCanvasOwner* owner, bool undoEnabled, bool preview)
{
    m_owner = owner;
    m_core.Attach(store, this, undoEnabled, preview);
    if (preview) {
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        horizontalScrollBar()->setRange(0, kScrollRange);
    }
    UpdateScrollBars();
    Redraw();
}

void ModelerCanvas::SetGrid(bool on)
{
    m_grid = on;
    Redraw();
}

// ---------------------------------------------------------------------------
// View and scrolling

ModelRect ModelerCanvas::ClientRectToModel(double x1, double y1, double x2, double y2) const
{
    const QPointF a = m_core.ClientToModel(std::min(x1, x2), std::min(y1, y2));
    const QPointF b = m_core.ClientToModel(std::max(x1, x2), std::max(y1, y2));
    return {float(a.x()), float(a.y()), float(b.x() - a.x()), float(b.y() - a.y())};
}

QPointF ModelerCanvas::TopCentre() const
{
    return m_core.ClientToModel(viewport()->width() / 2, 0);
}

QPointF ModelerCanvas::Centre() const
{
    return m_core.ClientToModel(viewport()->width() / 2, viewport()->height() / 2);
}

void ModelerCanvas::ResetZoom()
{
    if (m_core.Model().Scale == 1.0f)
        return;
    m_core.EditModel().Scale = 1.0f;
    Redraw();
}

ModelRect ModelerCanvas::GetModelExtent()
{
    LayoutModel(m_core.EditModel());
    return m_core.GetModelBounds();
}

void ModelerCanvas::UpdateScrollBars()
{
    const QSignalBlocker h(horizontalScrollBar());
    const QSignalBlocker v(verticalScrollBar());
    horizontalScrollBar()->setValue(ScrollPosition(m_core.Model().OriginX));
    if (!m_core.IsPreview())
        verticalScrollBar()->setValue(ScrollPosition(m_core.Model().OriginY));
}

void ModelerCanvas::OnScrollAction(Qt::Orientation orientation, int action)
{
    const bool horizontal = orientation == Qt::Horizontal;
    QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    ModelContent& model = m_core.EditModel();
    float& origin = horizontal ? model.OriginX : model.OriginY;
    bool lineStep = false;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        origin += kScrollUnit;
        lineStep = true;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        origin -= kScrollUnit;
        lineStep = true;
        break;
    case QAbstractSlider::SliderPageStepSub: origin += kScrollUnit * kScrollPage; break;
    case QAbstractSlider::SliderPageStepAdd: origin -= kScrollUnit * kScrollPage; break;
    case QAbstractSlider::SliderMove:
        // Thumb tracking moves the view; the bar stays where the user holds it.
        origin = -float(bar->sliderPosition()) * kScrollUnit;
        ViewMoved();
        return;
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        origin = -float(bar->sliderPosition()) * kScrollUnit;
        break;
    default: return;
    }
    if (m_core.IsPreview() && horizontal && lineStep)
        origin = std::min(origin, 0.0f);
    ViewMoved();
    bar->setSliderPosition(ScrollPosition(origin));
}

void ModelerCanvas::OnSliderReleased(Qt::Orientation orientation)
{
    QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    ModelContent& model = m_core.EditModel();
    (orientation == Qt::Horizontal ? model.OriginX : model.OriginY) = -float(bar->sliderPosition()) * kScrollUnit;
    ViewMoved();
}

void ModelerCanvas::scrollContentsBy(int, int)
{
    // The origin moves the view; the scroll area must not shift the window.
}

// ---------------------------------------------------------------------------
// Painting

void ModelerCanvas::Redraw()
{
    m_sceneValid = false;
    m_stillValid = false;
    viewport()->update();
}

void ModelerCanvas::SelectionChanged()
{
    if (m_owner)
        m_owner->RebuildMenuBar();
}

void ModelerCanvas::ViewReset()
{
    m_fixedObject = -1;
    m_linkTarget = -1;
    m_movedLink = -1;
    m_dragging = false;
    m_movingSelection = false;
    m_pressed = false;
    UpdateScrollBars();
    Redraw();
}

ModelSceneState ModelerCanvas::SceneState() const
{
    ModelSceneState state;
    state.grid = m_grid && g_mapsOptions.GetBool(MapsOption::SnapToGrid);
    state.linkMode = m_core.Mode() == CanvasMode::Connect;
    state.movedLink = m_dragging ? m_movedLink : -1;
    state.linkEnds = &m_linkEnds;
    return state;
}

void ModelerCanvas::RenderScene()
{
    const QSize size = viewport()->size();
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize pixels(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)));
    if (m_scene.size() != pixels) {
        m_scene = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_sceneValid = false;
    }
    m_scene.setDevicePixelRatio(ratio);
    m_core.SetViewportSize(size);
    if (m_movingSelection && ratio == 1.0) {
        RenderMovingSelection(pixels);
        return;
    }
    const ModelContent& model = m_core.Model();
    const QPointF origin(model.OriginX, model.OriginY);
    if (m_sceneValid && model.Scale == m_sceneScale && origin == m_sceneOrigin)
        return;
    // The end points change with the model only; a moved view reuses them.
    if (!m_sceneValid) {
        LayoutModel(m_core.EditModel());
        m_linkEnds = ComputeLinkEnds(m_core);
    }
    if (!m_sceneValid || model.Scale != m_sceneScale || ratio != 1.0 || !ScrollScene((origin - m_sceneOrigin) * model.Scale)) {
        QPainter painter(&m_scene);
        PaintModelScene(painter, m_core, size, SceneState());
    }
    m_sceneValid = true;
    m_sceneScale = model.Scale;
    m_sceneOrigin = QPointF(model.OriginX, model.OriginY);
}

void ModelerCanvas::RenderMovingSelection(const QSize& pixels)
{
    // What does not move is painted once a drag; each move only copies it
    // and paints the selection with its links over it.
    if (!m_stillValid || m_still.size() != pixels) {
        LayoutModel(m_core.EditModel());
        m_linkEnds = ComputeLinkEnds(m_core);
        m_still = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&m_still);
        ModelSceneState state = SceneState();
        state.withoutSelection = true;
        PaintModelScene(painter, m_core, pixels, state);
        m_stillValid = true;
    }
    QPainter painter(&m_scene);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), m_still);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    PaintMovingSelection(painter, m_core, SceneState());
    // Once the drag ends the whole scene is painted again in its order.
    m_sceneValid = false;
}

bool ModelerCanvas::ScrollScene(const QPointF& shift)
{
    const QPoint pixels = shift.toPoint();
    if (std::abs(shift.x() - pixels.x()) > 1e-3 || std::abs(shift.y() - pixels.y()) > 1e-3
        || std::abs(pixels.x()) >= m_scene.width() || std::abs(pixels.y()) >= m_scene.height())
        return false;
    const QImage old = m_scene.copy();
    QPainter painter(&m_scene);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(pixels, old);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect whole = m_scene.rect();
    const QRegion exposed = QRegion(whole).subtracted(QRegion(whole.translated(pixels)));
    for (const QRect& strip : exposed)
        PaintModelScene(painter, m_core, whole.size(), SceneState(), strip);
    return true;
}

QImage ModelerCanvas::RenderedScene()
{
    RenderScene();
    return m_scene;
}

void ModelerCanvas::paintEvent(QPaintEvent*)
{
    RenderScene();
    QPainter painter(viewport());
    painter.drawImage(QPoint(0, 0), m_scene);
    // The preview line follows the pointer over the kept picture.
    if (m_core.Mode() == CanvasMode::Connect && m_dragging && m_fixedObject >= 0) {
        ModelSceneState state = SceneState();
        state.fixedObject = m_fixedObject;
        state.pointerObject = m_linkTarget;
        state.pointer = m_lastPoint;
        state.movedEnd = m_movedEnd;
        state.newLinkArrows = m_core.GetLinkArrows();
        painter.setRenderHint(QPainter::Antialiasing);
        const ModelContent& model = m_core.Model();
        painter.scale(model.Scale, model.Scale);
        painter.translate(model.OriginX, model.OriginY);
        DrawPreviewLine(painter, m_core, state);
    }
}

void ModelerCanvas::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_core.SetViewportSize(viewport()->size());
    m_sceneValid = false;
}

bool ModelerCanvas::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave && m_tip)
        m_tip->Hide();
    return QAbstractScrollArea::viewportEvent(event);
}

// ---------------------------------------------------------------------------
// Mouse

bool ModelerCanvas::InsideClient(const QPoint& point) const
{
    return viewport()->rect().contains(point);
}

void ModelerCanvas::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    m_tip->Hide();
    if (event->button() == Qt::RightButton) {
        // The object under the pointer becomes the selection for its menu.
        if (m_core.Mode() != CanvasMode::SelectAndMove)
            return;
        qint32 kind = 0;
        bool handle = false;
        bool geo = false;
        const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), true, kind, handle, geo);
        if (kind == ModelHitKind::Object && hit != kWholeSelectionHit) {
            m_core.ClearSelection(false);
            m_core.SelectObject(hit, false);
            Redraw();
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_lastPoint = point;
    switch (m_core.Mode()) {
    case CanvasMode::SelectAndMove: PressInSelectMode(point, event->modifiers()); break;
    case CanvasMode::Connect: PressInLinkMode(point); break;
    case CanvasMode::Pan: m_pressed = true; break;
    default: break;
    }
}

void ModelerCanvas::PressInSelectMode(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), true, kind, handle, geo);
    const bool adding = modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
    if (handle) {
        m_pressed = true;
        m_dragging = true;
        m_onHandle = true;
        m_undoPending = true;
        m_core.BeginDrag(hit, true, false);
        return;
    }
    if (kind == ModelHitKind::Object && geo) {
        OpenObjectLink(hit, viewport()->mapToGlobal(point), true);
        return;
    }
    if (kind == ModelHitKind::Object) {
        if (hit != kWholeSelectionHit) {
            if (!adding)
                m_core.ClearSelection(false);
            m_core.SelectObject(hit, true);
            Redraw();
            ShowProjectObject(hit, viewport()->mapToGlobal(point));
        }
        m_pressed = true;
        m_dragging = true;
        m_onHandle = false;
        m_undoPending = true;
        m_snapAnchor = SnapCorner();
        m_core.BeginDrag(hit, false, false);
        return;
    }
    if (kind == ModelHitKind::Link) {
        m_core.ClearSelection(false);
        m_core.SelectLink(hit);
        Redraw();
        return;
    }
    // Nothing hit: a rubber band, or a click that clears the selection.
    m_pressed = true;
    m_bandOrigin = point;
    m_band->setGeometry(QRect(point, QSize()));
    m_band->hide();
}

void ModelerCanvas::PressInLinkMode(const QPoint& point)
{
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), false, kind, handle, geo);
    auto& objects = m_core.Objects();
    if (kind == ModelHitKind::Object && hit >= 0 && size_t(hit) < objects.size()) {
        m_core.ClearSelection(false);
        m_fixedObject = hit;
        objects[size_t(hit)].Selected = true;
        m_linkTarget = -1;
        m_movedLink = -1;
        m_movedEnd = 1;
        m_core.SetLinkTarget(-1);
        m_core.BeginReattach(-1, 1);
        m_core.BeginDrag(hit, false, false);
        m_pressed = true;
        m_dragging = true;
        SelectionChanged();
        Redraw();
        return;
    }
    if (kind != ModelHitKind::Link)
        return;
    const ModelLink& link = m_core.Links()[size_t(hit)];
    const qint32 source = m_core.FindObjectIndex(link.SourceId);
    const qint32 target = m_core.FindObjectIndex(link.TargetId);
    if (source < 0 || target < 0)
        return;
    QPointF a;
    QPointF b;
    m_core.GetLinkEndpoints(source, target, a, b);
    const QPointF m = m_core.ClientToModel(point.x(), point.y());
    const bool targetMoves = QLineF(m, a).length() > QLineF(m, b).length();
    m_fixedObject = targetMoves ? source : target;
    m_movedEnd = targetMoves ? 1 : 0;
    m_movedLink = hit;
    m_linkTarget = -1;
    m_core.ClearSelection(false);
    objects[size_t(m_fixedObject)].Selected = true;
    m_core.SetLinkTarget(-1);
    m_core.BeginReattach(hit, m_movedEnd);
    m_core.BeginDrag(m_fixedObject, false, false);
    m_pressed = true;
    m_dragging = true;
    SelectionChanged();
    Redraw();
}

void ModelerCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (point == m_ignoredMove) {
        m_ignoredMove = QPoint(-1, -1);
        return;
    }
    if (!m_pressed) {
        ShowTooltip(point);
        m_lastPoint = point;
        return;
    }
    switch (m_core.Mode()) {
    case CanvasMode::SelectAndMove:
        if (m_dragging)
            MoveDragged(point);
        else if (!m_band->isVisible() && point != m_bandOrigin) {
            m_band->setGeometry(QRect(m_bandOrigin, point).normalized());
            m_band->show();
        } else if (m_band->isVisible()) {
            m_band->setGeometry(QRect(m_bandOrigin, point).normalized());
        }
        break;
    case CanvasMode::Connect:
        if (m_dragging)
            UpdateLinkTarget(point);
        break;
    case CanvasMode::Pan: Pan(point); break;
    default: break;
    }
    m_lastPoint = point;
}

void ModelerCanvas::MoveDragged(const QPoint& point)
{
    if (!InsideClient(point) || !m_core.HasSelection(false))
        return;
    const float scale = m_core.Model().Scale;
    const QPointF delta = QPointF(point - m_lastPoint) / scale;
    if (delta.isNull())
        return;
    if (m_undoPending) {
        m_core.PushUndo();
        m_undoPending = false;
    }
    if (m_onHandle) {
        m_core.ResizeSelection(float(delta.x()), float(delta.y()));
    } else if (m_grid && g_mapsOptions.GetBool(MapsOption::SnapToGrid)) {
        // The selection's corner follows the pointer from grid point to grid
        // point, and the pointer is put where the corner landed.
        m_snapAnchor += delta;
        const float grid = m_core.GridSize();
        const QPointF corner = SnapCorner();
        const double sx = grid * std::round(m_snapAnchor.x() / grid);
        const double sy = grid * std::round(m_snapAnchor.y() / grid);
        const QPointF moved(sx - corner.x(), sy - corner.y());
        m_core.MoveSelection(float(moved.x()), float(moved.y()));
        const QPoint snapped = point + QPointF((moved.x() - delta.x()) * scale, (moved.y() - delta.y()) * scale).toPoint();
        if (snapped != point) {
            m_ignoredMove = snapped;
            QCursor::setPos(viewport()->mapToGlobal(snapped));
            m_lastPoint = snapped;
            SelectionMoved();
            return;
        }
    } else {
        m_core.MoveSelection(float(delta.x()), float(delta.y()));
    }
    m_lastPoint = point;
    SelectionMoved();
}

void ModelerCanvas::SelectionMoved()
{
    m_movingSelection = true;
    viewport()->update();
}

QPointF ModelerCanvas::SnapCorner() const
{
    for (const ModelObject& o : m_core.Model().Objects)
        if (o.Selected)
            return {o.Rect.x, o.Rect.y};
    return {};
}

void ModelerCanvas::UpdateLinkTarget(const QPoint& point)
{
    m_lastPoint = point;
    if (!InsideClient(point)) {
        viewport()->update();
        return;
    }
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), false, kind, handle, geo);
    auto& objects = m_core.Objects();
    qint32 target = -1;
    if (kind == ModelHitKind::Object && hit >= 0 && size_t(hit) < objects.size() && !objects[size_t(hit)].IsBackground
        && hit != m_fixedObject)
        target = hit;
    if (target != m_linkTarget) {
        // Off every object the pointer links nothing: releasing there adds no link.
        if (m_linkTarget >= 0 && size_t(m_linkTarget) < objects.size())
            objects[size_t(m_linkTarget)].Selected = false;
        if (target >= 0)
            objects[size_t(target)].Selected = true;
        m_linkTarget = target;
        m_core.SetLinkTarget(target);
        Redraw();
        return;
    }
    viewport()->update();
}

void ModelerCanvas::Pan(const QPoint& point)
{
    ModelContent& model = m_core.EditModel();
    const QPointF delta = QPointF(point - m_lastPoint) / model.Scale;
    model.OriginX += float(delta.x());
    if (m_core.IsPreview())
        model.OriginX = std::min(model.OriginX, 0.0f);
    else
        model.OriginY += float(delta.y());
    UpdateScrollBars();
    ViewMoved();
}

void ModelerCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        if (m_core.Mode() == CanvasMode::SelectAndMove)
            ShowObjectMenu(event->position().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    const QPoint point = event->position().toPoint();
    if (m_core.Mode() == CanvasMode::SelectAndMove && !m_dragging) {
        EndRubberBand(point, event->modifiers());
        return;
    }
    const bool wasDragging = m_dragging;
    m_dragging = false;
    m_movingSelection = false;
    m_onHandle = false;
    m_undoPending = false;
    if (m_core.Mode() == CanvasMode::Connect && wasDragging)
        m_core.SetLinkTarget(m_linkTarget);
    m_core.EndDrag();
    m_fixedObject = -1;
    m_linkTarget = -1;
    m_movedLink = -1;
    m_movedEnd = 1;
    Redraw();
}

void ModelerCanvas::EndRubberBand(const QPoint& point, Qt::KeyboardModifiers modifiers)
{
    const bool drawn = m_band->isVisible();
    m_band->hide();
    if (!drawn) {
        m_core.ClearSelection(true);
        return;
    }
    if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        m_core.ClearSelection(false);
    m_core.SelectInRect(ClientRectToModel(m_bandOrigin.x(), m_bandOrigin.y(), point.x(), point.y()));
    Redraw();
}

void ModelerCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_core.Mode() != CanvasMode::SelectAndMove || !m_followLinks)
        return;
    const QPoint point = event->position().toPoint();
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), true, kind, handle, geo);
    if (kind != ModelHitKind::Object || handle || geo || hit == kWholeSelectionHit || hit < 0
        || size_t(hit) >= m_core.Objects().size() || m_core.Objects()[size_t(hit)].IsBackground)
        return;
    // The press before the double click started a drag that must not move on.
    m_pressed = false;
    m_dragging = false;
    m_movingSelection = false;
    m_core.EndDrag();
    OpenObjectLink(hit, viewport()->mapToGlobal(point), false);
}

void ModelerCanvas::wheelEvent(QWheelEvent* event)
{
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / kWheelNotch;
    m_wheelRemainder -= notches * kWheelNotch;
    if (notches > 0)
        m_core.ZoomIn(notches);
    else if (notches < 0)
        m_core.ZoomOut(-notches);
    event->accept();
}

void ModelerCanvas::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu opens on the button's release.
    event->accept();
}

// ---------------------------------------------------------------------------
// Tooltips, menu, links and requests

void ModelerCanvas::ShowTooltip(const QPoint& point)
{
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), true, kind, handle, geo);
    const auto& objects = m_core.Objects();
    if (kind != ModelHitKind::Object || hit < 0 || size_t(hit) >= objects.size() || (!m_followLinks && !geo)) {
        m_tipObject = -1;
        m_tip->Hide();
        return;
    }
    if (hit == m_tipObject)
        return;
    m_tipObject = hit;
    const ModelObject& object = objects[size_t(hit)];
    bool rich = false;
    QString text;
    QByteArray rtf;
    QSize size;
    if (!BuildObjectText(object, rich, text, rtf, size, geo)) {
        m_tip->Hide();
        return;
    }
    QRectF area;
    if (geo) {
        qint32 single = -1;
        const ModelRect box = m_core.GetSelectionBounds(single);
        const double side = kGeoTipSide / m_core.Model().Scale;
        area = QRectF(box.Right() - side / 2, box.y - side / 2, side, side);
    } else {
        area = QRectF(object.Bounds.x, object.Bounds.y, object.Bounds.width, object.Bounds.height);
    }
    const QPointF topLeft = m_core.ModelToClient(area.left(), area.top());
    const QPointF bottomRight = m_core.ModelToClient(area.right(), area.bottom());
    const QRect screen(viewport()->mapToGlobal(topLeft.toPoint()), viewport()->mapToGlobal(bottomRight.toPoint()));
    m_tip->SetTipsEnabled(true);
    m_tip->SetTipSize(size);
    m_tip->Show(screen, text, rich ? rtf : QByteArray());
}

QList<int> ModelerCanvas::ObjectMenuCommands(qint32 refTopic)
{
    switch (refTopic) {
    case TopicId::Codes: return {ModelObjectCommand::CodeCodings, ModelObjectCommand::CodeMemos};
    case TopicId::Documents: return {ModelObjectCommand::DocumentCodings, ModelObjectCommand::DocumentMemos, ModelObjectCommand::DocumentInList};
    case TopicId::DocumentGroups: return {ModelObjectCommand::GroupCodings, ModelObjectCommand::GroupMemos, ModelObjectCommand::GroupDocuments};
    case TopicId::DocumentSets: return {ModelObjectCommand::SetCodings, ModelObjectCommand::SetMemos, ModelObjectCommand::SetDocuments};
    default: return {};
    }
}

void ModelerCanvas::ShowObjectMenu(const QPoint& point)
{
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), true, kind, handle, geo);
    if (kind == ModelHitKind::Nothing || hit < 0)
        return;
    // The frame of a multiple selection stands for all of it: no project commands.
    if (hit == kWholeSelectionHit || kind != ModelHitKind::Object)
        return;
    auto& objects = m_core.Objects();
    if (size_t(hit) >= objects.size())
        return;
    if (!objects[size_t(hit)].Selected) {
        m_core.ClearSelection(false);
        m_core.SelectObject(hit, false);
        Redraw();
    }
    const ModelObject& object = objects[size_t(hit)];
    const QList<int> commands = ObjectMenuCommands(object.RefTopic);
    if (commands.isEmpty())
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ModelerObject"));
    const bool runnable = m_owner && m_owner->CanRunObjectCommand();
    for (const int command : commands) {
        QAction* action = menu.addAction(LoadString(command));
        action->setData(command);
        action->setEnabled(runnable);
    }
    ModelObjectCommandTarget target;
    target.objectId = object.Id;
    target.topic = object.RefTopic;
    target.refId = object.RefId;
    target.point = viewport()->mapToGlobal(point);
    target.fromCanvas = !m_projectCommandsFlag;
    QAction* chosen = menu.exec(target.point);
    if (!chosen || !runnable)
        return;
    const WaitCursor wait;
    m_owner->RunObjectCommand(chosen->data().toInt(), target);
}

void ModelerCanvas::SendFollowOrOpen(RequestCode code, const ModelObject& object, const QPoint& screenPoint)
{
    IdListNotifyInfo info(code);
    info.kind = object.RefTopic;
    info.itemId = object.RefId;
    info.point = screenPoint;
    SendRequest(m_owner, this, kControlId, info);
}

void ModelerCanvas::OpenObjectLink(qint32 index, const QPoint& screenPoint, bool geoLink)
{
    const auto& objects = m_core.Objects();
    if (index < 0 || size_t(index) >= objects.size())
        return;
    const ModelObject object = objects[size_t(index)];
    QString folder = GetExternalsFolder();
    if (geoLink) {
        if (!object.GeoLinkFile.isEmpty())
            OpenLinkTarget(object.GeoLinkFile, folder, QString());
        return;
    }
    if (!m_followLinks)
        return;
    if (object.RefTopic == 0 || object.RefTopic == TopicId::Codings) {
        // The opener asks before it starts a program: a foreign model may name one.
        if (!object.LinkedFile.isEmpty())
            OpenLinkTarget(object.LinkedFile, folder, QString());
        return;
    }
    if (object.RefId != 0)
        SendFollowOrOpen(RequestCode::OpenItem, object, screenPoint);
}

void ModelerCanvas::ShowProjectObject(qint32 index, const QPoint& screenPoint)
{
    const auto& objects = m_core.Objects();
    if (!m_followLinks || index < 0 || size_t(index) >= objects.size())
        return;
    const ModelObject& object = objects[size_t(index)];
    if (object.RefTopic != 0 && object.RefId != 0)
        SendFollowOrOpen(RequestCode::FollowItem, object, screenPoint);
}

QString ModelerCanvas::RequestCodingText(qint32 id)
{
    ListNotifyInfo info;
    info.topic = TopicId::Codings;
    info.itemId = id;
    info.mask = ListNotifyMask::FullName;
    info.query = true;
    SendRequest(m_owner, this, kControlId, info);
    return info.handled ? info.name : QString();
}

bool ModelerCanvas::BuildObjectText(const ModelObject& object, bool& rich, QString& text, QByteArray& rtf,
                                    QSize& size, bool geoMode)
{
    rich = false;
    text.clear();
    rtf.clear();
    QString folder = GetExternalsFolder();
    if (geoMode && !object.GeoLinkFile.isEmpty()) {
        size = kPlainTipSize;
        if (object.GeoLinkFile.endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive)) {
            const QString path = ResolveLinkTarget(object.GeoLinkFile, folder, QString());
            text = path.isEmpty() ? QString() : ReadKmlPlacemark(path);
        } else {
            text = object.GeoLinkFile;
        }
        return true;
    }
    if (!object.LinkedFile.isEmpty()) {
        size = kPlainTipSize;
        const QString resolved = ResolveLinkTarget(object.LinkedFile, folder, QString());
        text = resolved.isEmpty() ? object.LinkedFile : resolved;
        return true;
    }
    if (object.RefTopic == 0 || object.RefId == 0)
        return false;
    const auto readRow = [this](qint32 topic, qint32 key, RecordNotifyInfo& info) {
        info.topic = topic;
        info.key = key;
        info.readBlobs = true;
        SendRequest(m_owner, this, kControlId, info);
        return info.found && !info.row.IsEmpty();
    };
    const auto field = [](RowBuffer& row, qint32 id, FieldValue& value) { return row.GetFieldValue(id, value); };
    RecordNotifyInfo record;
    if (!readRow(object.RefTopic, object.RefId, record))
        return false;
    rich = true;
    size = kRichTipSize;
    FieldValue value;
    if (object.RefTopic == TopicId::Codings) {
        if (field(record.row, CodingField::Text, value) && value.GetBlob())
            rtf = *value.GetBlob();
        const qint32 weight = field(record.row, CodingField::Weight, value) ? value.GetInt() : 0;
        text = QStringLiteral("%1 (%2)\r").arg(RequestCodingText(object.RefId)).arg(weight);
        return true;
    }
    qint32 memoId = object.RefId;
    if (object.RefTopic == TopicId::Documents || object.RefTopic == TopicId::Codes) {
        const qint32 memoField = object.RefTopic == TopicId::Documents ? qint32(DocumentField::MemoID)
                                                                       : qint32(CodeField::MemoID);
        memoId = field(record.row, memoField, value) ? value.GetInt() : 0;
    } else if (object.RefTopic != TopicId::Memos) {
        return false;
    }
    RecordNotifyInfo memoRecord;
    const bool memoItself = object.RefTopic == TopicId::Memos;
    RecordNotifyInfo& memo = memoItself ? record : memoRecord;
    if (!memoItself && (memoId == 0 || !readRow(TopicId::Memos, memoId, memoRecord)))
        return false;
    if (field(memo.row, MemoField::Text, value) && value.GetBlob())
        rtf = *value.GetBlob();
    const QString title = field(memo.row, MemoField::Title, value) ? value.GetText() : QString();
    const QString author = field(memo.row, MemoField::Author, value) ? value.GetText() : QString();
    const QString date = field(memo.row, MemoField::Date, value) ? value.Format() : QString();
    text = title.isEmpty() ? QString() : title + QStringLiteral(" (");
    text += author.isEmpty() ? date + QStringLiteral(")\r") : author + QStringLiteral(", ") + date + QStringLiteral(")\r");
    return true;
}

// ---------------------------------------------------------------------------
// Objects, pictures, properties and export

qint32 ModelerCanvas::AddObject(qint32 topic, qint32 id, const QString& label, qint32 value, bool place,
                                qint32 belowId, bool background, const QString& file,
                                const ModelObject* objectTemplate, bool withUndo)
{
    auto& objects = m_core.Objects();
    if (topic != 0) {
        const qint32 existing = m_core.FindObjectByRef(topic, id);
        if (existing != 0)
            return place ? belowId : existing;
    }
    if (background && !objects.empty() && objects.front().IsBackground)
        return 0;
    if (withUndo)
        m_core.PushUndo();
    ModelContent& model = m_core.EditModel();
    ModelObject object;
    object.Id = ++model.LastObjectId;
    object.RefTopic = topic;
    object.RefId = id;
    object.Label = label;
    object.PictureQuality = g_mapsOptions.GetInt(MapsOption::PictureQuality);
    if (file.endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive))
        object.GeoLinkFile = file;
    else
        object.LinkedFile = file;
    object.ApplyKindStyle(topic, value);
    if (objectTemplate)
        object.ApplyTemplate(*objectTemplate);
    const bool preview = m_core.IsPreview();
    if (preview) {
        object.Rect = {4, 0, 60, 60};
        object.BorderWidth *= 2;
    } else {
        const QPointF corner = m_core.ClientToModel(0, 0);
        object.Rect.x = float(corner.x()) + kNewObjectOffset;
        object.Rect.y = float(corner.y()) + kNewObjectOffset;
    }
    if (background) {
        object.Rect.width *= 10;
        object.Rect.height *= 10;
        object.IsBackground = true;
    }
    const qint32 below = belowId != 0 ? m_core.FindObjectIndex(belowId) : -1;
    // Each move goes down or right and down past an object, so the walks end.
    const auto walk = [&objects, &object](bool downOnly) {
        for (bool moved = true; moved;) {
            moved = false;
            for (const ModelObject& other : objects) {
                if ((!downOnly && other.IsBackground) || !Overlaps(object.Rect, other.Rect))
                    continue;
                if (downOnly) {
                    object.Rect.y = other.Rect.Bottom() + kPreviewGap;
                } else {
                    object.Rect.x = other.Rect.Right();
                    object.Rect.y = other.Rect.Bottom();
                }
                moved = true;
                break;
            }
        }
    };
    if (preview) {
        walk(true);
    } else if (place && below >= 0) {
        ModelObject& anchor = objects[size_t(below)];
        if (anchor.NeedsLayout)
            LayoutObject(anchor);
        object.Rect.x = anchor.Rect.x;
        object.Rect.y = anchor.Rect.y + anchor.Bounds.height;
    } else if (place) {
        const QPoint cursor = viewport()->mapFromGlobal(QCursor::pos());
        const QPointF centre = m_core.ClientToModel(cursor.x(), cursor.y());
        object.Rect.x = float(centre.x()) - object.Rect.width / 2;
        object.Rect.y = float(centre.y()) - object.Rect.height / 2;
    } else {
        walk(false);
    }
    object.LayerId = model.CurrentLayer;
    if (g_mapsOptions.GetBool(MapsOption::SnapToGrid))
        object.SnapToGrid(m_core.GridSize(), true);
    const qint32 newId = object.Id;
    if (background) {
        objects.insert(objects.begin(), std::move(object));
        if (!InsertPicture(0)) {
            objects.erase(objects.begin());
            Redraw();
            return 0;
        }
    } else {
        object.LoadPicture(preview);
        objects.push_back(std::move(object));
    }
    if (topic == TopicId::Documents && !preview)
        AutoLinkDocument(newId);
    Redraw();
    return newId;
}

bool ModelerCanvas::InsertPicture(qint32 index)
{
    auto& objects = m_core.Objects();
    if (index < 0 || size_t(index) >= objects.size())
        return false;
    FilePrompt prompt;
    prompt.kind = FilePromptKind::OpenFile;
    prompt.title = LoadString(VisualText::PictureTitle);
    // Qt reads no WMF, so none is offered.
    prompt.filter = LoadString(VisualText::PictureFilesFilter) + QStringLiteral(" (*);;JPEG (*.jpg *.jpeg);;BMP (*.bmp);;TIFF (*.tif *.tiff);;PNG (*.png)");
    const QStringList chosen = PromptForFiles(prompt);
    if (chosen.isEmpty())
        return false;
    ModelObject& object = objects[size_t(index)];
    object.PictureFile = chosen.front();
    QString folder = GetExternalsFolder();
    CopyToExternalsFolder(object.PictureFile, folder);
    if (object.LoadPicture(m_core.IsPreview())) {
        Redraw();
        return true;
    }
    object.PictureFile.clear();
    return false;
}

void ModelerCanvas::ExportImage()
{
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(VisualText::ExportTitle);
    prompt.filter = QStringLiteral("JPEG (*.jpg);;BMP (*.bmp);;SVG (*.svg)");
    prompt.defaultSuffix = QStringLiteral("jpg");
    const QStringList chosen = PromptForFiles(prompt);
    if (chosen.isEmpty())
        return;
    QString path = chosen.front();
    // The prompt reports no filter entry: a name of another kind gets the first, JPEG.
    const ModelPictureFormat format = ExportFormatForName(path, 1);
    ModelExportResult result = ModelExportResult::Written;
    {
        const WaitCursor wait;
        result = ExportModelPicture(m_core, path, format);
    }
    if (result == ModelExportResult::EmptyModel)
        ShowMessage(LoadString(VisualText::ExportEmptyModel), MessageKind::Warning);
    else if (result == ModelExportResult::WriteFailed)
        ShowMessage(LoadString(VisualText::ExportFailed).arg(path), MessageKind::Error);
}

void ModelerCanvas::EditSelectionProperties()
{
    qint32 kind = ModelHitKind::Nothing;
    const qint32 index = m_core.FirstSelectedObject(kind);
    if (kind != ModelHitKind::Nothing)
        EditProperties(kind, index);
}

void ModelerCanvas::EditProperties(qint32 kind, qint32 index)
{
    if (kind == ModelHitKind::Link) {
        auto& links = m_core.Links();
        if (index < 0 || size_t(index) >= links.size())
            return;
        CModelerLinkDlg dialog(this);
        dialog.ReadFrom(links[size_t(index)]);
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (m_core.IsUndoEnabled())
            m_core.PushUndo();
        dialog.WriteTo(m_core.Links()[size_t(index)]);
        Redraw();
        return;
    }
    if (kind != ModelHitKind::Object)
        return;
    auto& objects = m_core.Objects();
    if (index < 0 || size_t(index) >= objects.size())
        return;
    CModelerObjectDlg dialog(this);
    dialog.ReadFrom(objects[size_t(index)]);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (m_core.IsUndoEnabled())
        m_core.PushUndo();
    ModelObject& object = m_core.Objects()[size_t(index)];
    const QString oldPicture = object.PictureFile;
    dialog.WriteTo(object);
    if (object.PictureFile != oldPicture && !object.PictureFile.isEmpty()) {
        QString folder = GetExternalsFolder();
        const QString copy = GetExternalCopyName(object.PictureFile, folder);
        if (copy.isEmpty())
            CopyToExternalsFolder(object.PictureFile, folder);
    }
    object.NeedsLayout = true;
    object.LoadPicture(m_core.IsPreview());
    Redraw();
}
