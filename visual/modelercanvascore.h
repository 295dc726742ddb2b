#pragma once

#include "store/storedmodel.h"
#include "visual/modelimage.h"

#include <QPointF>
#include <QSize>
#include <QStringList>

class TopicDatabase;
struct ExternalLinkInfo;

/// @short What the canvas core asks of the window that shows it.
///
/// The canvas widget implements it; tests record the calls. Each call
/// comes after the model changed, on the UI thread.
class IModelCanvasView {
public:
    virtual ~IModelCanvasView() = default;
    /// The whole window needs painting again.
    virtual void Redraw() = 0;
    /// The selection changed: the owner refreshes its commands.
    virtual void SelectionChanged() = 0;
    /// A new model replaced the old one: scroll bars follow Scale and the
    /// origin.
    virtual void ViewReset() = 0;
};

/// @short The model editor's canvas without its window: the one model
/// shown, its stored record with the undo ring, the selection, the view
/// transform, the grid, the format painter's holders and the object
/// clipboard, and every operation on them.
///
/// A window point and a model point relate by device = (model + origin) ×
/// Scale per axis; the window's size is given by SetViewportSize. Indexes
/// outside an array are ignored: an operation on one does nothing and a
/// query gives its empty result. Operations marked "snapshot" push an undo
/// snapshot first when undo is enabled. Without a model store no model is
/// started, loaded or stored. UI thread only.
class ModelerCanvasCore {
public:
    ModelerCanvasCore();

    /// The project's store (not owned; may be null), the window (not owned;
    /// may be null), whether snapshots are taken, and preview mode.
    void Attach(TopicDatabase* store, IModelCanvasView* view, bool undoEnabled, bool preview);
    void SetViewportSize(QSize size) { m_viewport = size; }
    QSize ViewportSize() const { return m_viewport; }
    /// The project's store; null without a project.
    TopicDatabase* Store() const { return m_store; }
    bool IsPreview() const { return m_preview; }
    bool IsUndoEnabled() const { return m_undoEnabled; }
    void SetUndoEnabled(bool enabled) { m_undoEnabled = enabled; }

    const ModelContent& Model() const { return m_model; }
    /// For building and editing a model directly (the model builders,
    /// tests); callers redraw themselves.
    ModelContent& EditModel() { return m_model; }
    std::vector<ModelObject>& Objects() { return m_model.Objects; }
    std::vector<ModelLink>& Links() { return m_model.Links; }
    const StoredModel& Record() const { return m_record; }
    StoredModel& EditRecord() { return m_record; }

    qint32 Mode() const { return m_mode; }
    qint32 GetLinkArrows() const { return m_linkArrows; }
    float GridSize() const { return m_gridSize; }
    void SetGridSize(float grid) { m_gridSize = grid; }

    // Coordinates
    QPointF ClientToModel(double x, double y) const;
    QPointF ModelToClient(double x, double y) const;
    /// The model point at the centre of the window.
    QPointF CenterPoint() const;

    // Lookups
    qint32 FindObjectIndex(qint32 id) const;
    /// The object's Id, 0 when none stands for that project object.
    qint32 FindObjectByRef(qint32 topic, qint32 id) const;
    /// A link between the two object ids, in either direction.
    bool LinkExists(qint32 a, qint32 b) const;
    qint32 FindLayerIndex(qint32 id) const;
    /// An object is hidden when its layer exists and is not visible.
    bool IsHidden(const ModelObject& object) const;

    // Selection queries
    bool HasSelection(bool withLinks) const;
    qint32 CountSelected(bool withLinks) const;
    bool HasSingleSelection() const;
    /// Index of the first selected object (kind Object), else of the first
    /// selected link (kind Link), else 0 (kind Nothing).
    qint32 FirstSelectedObject(qint32& kind) const;
    bool IsBackgroundSelected() const;
    bool SelectionHasGroup() const;
    bool CanGroupSelection() const;
    /// The layer all selected shown objects share; -1 when they differ or
    /// nothing is selected.
    qint32 GetSelectionLayer() const;
    /// The window point of the selection box's bottom-right corner.
    bool GetSelectionCorner(QPoint& point) const;

    // Selection changes
    void SelectObject(qint32 index, bool withGroup);
    void SelectGroup(qint32 group);
    void SelectLink(qint32 index);
    /// Selects the shown objects (whole groups) inside a model rectangle.
    void SelectInRect(const ModelRect& rect);
    /// True when anything was selected.
    bool ClearSelection(bool redraw);

    // Geometry
    /// The union rule of bounding boxes: an empty accumulator takes the
    /// next rectangle; a union that would come out empty is not taken.
    static void UniteRect(ModelRect& accumulated, const ModelRect& next);
    ModelRect GetModelBounds() const;
    ModelRect GetSelectionBounds(qint32& single) const;
    ModelRect GetGroupBounds(qint32 group) const;

    // Editing
    void MoveSelection(float dx, float dy);
    /// Resizes the selected objects by the larger component of the delta
    /// in both directions, never below a 30-unit side.
    void ResizeSelection(float dw, float dh);
    void RenameObject(qint32 id, const QString& text);
    void DeleteSelection();   ///< snapshot when anything is selected
    void RemoveLinksOf(qint32 id);
    void GroupSelection();    ///< snapshot
    void UngroupSelection();  ///< snapshot
    void SetSelectionLayer(qint32 layer);
    /// Appends a new visible layer; returns its index.
    qint32 AddLayer();
    bool SetLayerVisible(qint32 layerId, bool visible);
    /// Moves the layer's objects to layer 0 and removes it.
    bool DeleteLayer(qint32 id);
    void BringSelectionToFront();  ///< snapshot when anything is selected
    void SendSelectionToBack();    ///< snapshot when anything is selected
    /// Nothing when the two ids are linked already, in either direction.
    void AddLink(qint32 source, qint32 target, qint32 arrows, qint32 width, quint32 color, bool withUndo);
    void SetModeAndRedraw(qint32 mode, qint32 arrows);

    // Format painter and object copy
    void PickUpFormat();
    bool CanApplyFormat() const;
    void ApplyFormat();
    bool CanCopyObject() const;
    bool CopyObject();
    /// Places a copy of the copied object at the window's top-left corner
    /// plus (10, 10), moved past every object it overlaps. Snapshot.
    bool PasteObject();

    // View
    /// With a selection (snapshot): grows it; otherwise zooms around the
    /// window's centre, up to scale 10.
    void ZoomIn(qint32 steps);
    void ZoomOut(qint32 steps);
    void FitToWindow();

    // Hit tests and link geometry
    /// For a window point: an object or link index, kWholeSelectionHit, or
    /// -1; kind tells which (ModelHitKind).
    qint32 HitTestPoint(double x, double y, bool withHandles, qint32& kind, bool& onResizeHandle,
                        bool& onGeoMarker) const;
    /// Moves p by a and q back by b along p→q; false (points kept) when
    /// a + b reaches the whole length.
    static bool ClipSegment(QPointF& p, QPointF& q, double a, double b);
    bool ClipLineToRects(qint32 index1, qint32 index2, bool useOutline1, bool useOutline2, QPointF& p,
                         QPointF& q) const;
    bool ClipLineToObject(qint32 index, QPointF& p, const QPointF& target) const;
    /// End points of a link between two objects: the shortest of the four
    /// rectangle combinations.
    bool GetLinkEndpoints(qint32 index1, qint32 index2, QPointF& p, QPointF& q) const;
    /// A model point near the link's line (within 0.2 of detour).
    bool LinkHitTest(qint32 linkIndex, const QPointF& point) const;

    // Dragging (the window's mouse handling starts and feeds a drag)
    /// A drag begins on an object index (the link source in connect mode),
    /// on the resize handle or on the geo-link marker.
    void BeginDrag(qint32 startObject, bool onResizeHandle, bool onGeoMarker);
    /// The object under the mouse while a link is drawn; -1 none.
    void SetLinkTarget(qint32 index) { m_linkTarget = index; }
    /// The link whose end is being moved: 1 its target end, 0 its source.
    void BeginReattach(qint32 link, qint32 end);
    qint32 DragStart() const { return m_dragStart; }
    /// Ends a drag: snaps a moved or resized selection to the grid when
    /// the "maps" option asks for it, adds or re-attaches the link drawn in
    /// connect mode (never duplicating a pair), resets the drag state.
    /// False when no drag was under way.
    bool EndDrag();

    // Model kinds
    void RemovePlaceholder(qint32 placeholderId);
    /// Centres the dropped object horizontally under the title object (on
    /// x = 0 without one) and vertically on the window's centre.
    void PlaceDroppedObject(qint32 droppedId, qint32 titleId);

    // Byte image and undo
    /// Writes the model into the record's data, or into the current undo
    /// slot; false when that slot does not exist.
    bool SerializeModel(bool toUndoSlot);
    /// Replaces the model by the record's data or the current undo slot,
    /// which is emptied; a refused image changes nothing and gives false.
    bool ParseModel(bool fromUndoSlot);
    bool PushUndo();
    bool Undo();
    void ClearUndo() { m_record.ClearUndo(); }

    // Stored models
    /// A new model of a kind, written through the store; its id, 0 without
    /// a store or when it could not be written.
    qint32 NewModel(QString& name, qint32 kind);
    /// A stored model whose image is refused is not shown (message) and
    /// the model shown stays, so it is never written over.
    bool LoadStoredModel(qint32 id);
    bool SaveStoredModel();
    bool RenameStoredModel(qint32 id, const QString& name);
    bool DuplicateStoredModel(qint32& id, QString& name);

    // Model files
    /// Asks for a file and writes the model (and its companion archive).
    bool SaveModelFile();
    /// Asks for a file, reads it and only then saves the current model and
    /// shows the file's model as a new stored model. Its id, 0 when
    /// nothing changed.
    qint32 OpenModelFile(QString& name);
    bool LoadPinwallLibrary();
    bool SavePinwallLibrary();
    void CollectLinkedFiles(QStringList& list, QList<ExternalLinkInfo>* details = nullptr) const;

    /// The map library in the per-user settings folder.
    static QString PinwallLibraryPath();

private:
    void Notify();
    void Redraw();
    void ResetInteraction();
    /// Shows a model read elsewhere: swaps it in, loads pictures, pins the
    /// preview view and tells the window.
    void ShowModel(ModelContent&& model);
    void ZoomView(float newScale);
    bool ValidObject(qint32 index) const { return index >= 0 && size_t(index) < m_model.Objects.size(); }
    bool ValidLink(qint32 index) const { return index >= 0 && size_t(index) < m_model.Links.size(); }
    /// The rectangle a link end uses: Bounds, the outline, or the label.
    ModelRect LinkEndRect(const ModelObject& object, bool useOutline) const;
    bool LinkHitsPoint(qint32 source, qint32 target, const QPointF& point) const;
    bool WriteBackShownModel();

    TopicDatabase* m_store = nullptr;
    IModelCanvasView* m_view = nullptr;
    StoredModel m_record;
    ModelContent m_model;
    QSize m_viewport;
    qint32 m_mode = 0;
    qint32 m_linkArrows = 0;
    bool m_undoEnabled = false;
    float m_gridSize = 15.0f;
    bool m_preview = false;
    qint32 m_dragStart = -1;
    bool m_dragOnHandle = false;
    bool m_dragOnGeoMarker = false;
    qint32 m_linkTarget = -1;
    qint32 m_reattachedLink = -1;
    qint32 m_reattachedEnd = 1;
    ModelObject m_styleHolder;    ///< Id 1 once it holds a style
    ModelLink m_linkStyleHolder;
    bool m_linkStyleHeld = false;
    ModelObject m_clipboard;      ///< Id 1 once it holds an object
};
