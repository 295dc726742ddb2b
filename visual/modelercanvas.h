#pragma once

#include "document/requestowner.h"
#include "visual/modeldrawing.h"
#include "visual/modelercanvascore.h"
#include "visual/modelkinds.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QPointer>

enum class RequestCode : qint32;
class CDragObject;
class CKorDoc;
class CRTFTipCtrl;
class QMenu;
class QRubberBand;

/// @short The project object a context-menu command of the canvas runs on.
struct ModelObjectCommandTarget {
    qint32 objectId = 0;   ///< the model object's Id
    qint32 topic = 0;      ///< its RefTopic
    qint32 refId = 0;      ///< its RefId
    QPoint point;          ///< the click, screen coordinates
    bool fromCanvas = true;  ///< clear when the canvas's project-commands flag is set
};

/// @short What the canvas asks of the Modeler window that owns it: the
/// project requests (through the frame's router), menu-bar refreshes and the
/// project commands of an object's context menu.
class IModelerCanvasOwner : public RequestOwner {
public:
    /// The selection or mode changed: commands need refreshing.
    virtual void RebuildMenuBar() {}
    /// Whether the project commands of the object menu can run; they are
    /// shown disabled otherwise.
    virtual bool CanRunObjectCommand() const { return false; }
    /// Sets the frame's context target from `target` and runs the command
    /// through the frame's context-command dispatcher.
    virtual void RunObjectCommand(int command, const ModelObjectCommandTarget& target)
    {
        Q_UNUSED(command);
        Q_UNUSED(target);
    }
};

/// @short The model editor's canvas: shows one model, scrolls and pans it
/// and edits it with the mouse.
///
/// The model and every operation on it live in the core (Core()); the
/// canvas adds the window: scroll bars over the range −2500..2500 (page 10,
/// position −origin / 10), painting through the drawing routines of
/// modeldrawing.h into an off-screen picture kept between paints, the three
/// mouse modes, tooltips, the object menu, the properties dialogs, pictures
/// and the picture export. UI thread only.
class ModelerCanvas : public QAbstractScrollArea, public IModelCanvasView {
    Q_OBJECT
public:
    /// Control id stamped on the canvas's requests.
    static constexpr qint32 kControlId = 238;
    static constexpr int kScrollRange = 2500;
    static constexpr int kScrollPage = 10;
    /// Model units per scroll position.
    static constexpr float kScrollUnit = 10.0f;

    explicit ModelerCanvas(QWidget* parent = nullptr);
    ~ModelerCanvas() override;

    /// The store (may be null), the owner (not owned; may be null), the
    /// undo flag and preview mode; sets the scroll bars.
    void Attach(TopicDatabase* store, IModelerCanvasOwner* owner, bool undoEnabled, bool preview);
    ModelerCanvasCore& Core() { return m_core; }
    const ModelerCanvasCore& Core() const { return m_core; }
    IModelerCanvasOwner* Owner() const { return m_owner; }

    /// Objects show tooltips and open what they stand for.
    void SetFollowLinks(bool on) { m_followLinks = on; }
    bool FollowLinks() const { return m_followLinks; }
    /// The grid: shown and snapped to while the "maps" option allows it.
    void SetGrid(bool on);
    bool Grid() const { return m_grid; }
    /// The second flag of the Modeler window: project commands go to the
    /// frame with fromCanvas clear while it is set.
    void SetProjectCommandsFlag(bool on) { m_projectCommandsFlag = on; }

    // View
    QPointF ClientToModel(double x, double y) const { return m_core.ClientToModel(x, y); }
    ModelRect ClientRectToModel(double x1, double y1, double x2, double y2) const;
    QPointF TopCentre() const;
    QPointF Centre() const;
    void ResetZoom();
    /// Scroll bars follow the origin.
    void UpdateScrollBars();

    // Lookups and layers, forwarded to the core
    qint32 FindObjectIndex(qint32 id) const { return m_core.FindObjectIndex(id); }
    qint32 FindObjectByRef(qint32 topic, qint32 id) const { return m_core.FindObjectByRef(topic, id); }
    bool LinkExists(qint32 a, qint32 b) const { return m_core.LinkExists(a, b); }
    qint32 FindLayerIndex(qint32 id) const { return m_core.FindLayerIndex(id); }
    bool DeleteLayer(qint32 id) { return m_core.DeleteLayer(id); }
    /// Union of every object's bounds.
    ModelRect GetModelExtent();
    bool ClearSelection(bool repaint) { return m_core.ClearSelection(repaint); }

    /// Adds an object standing for a project object (topic, id) or a free
    /// one (topic 0); the new id, or 0 when nothing was added.
    qint32 AddObject(qint32 topic, qint32 id, const QString& label, qint32 value, bool place, qint32 belowId,
                     bool background, const QString& file, const ModelObject* objectTemplate, bool withUndo);

    /// Kind 1 the object dialog, kind 2 the link dialog, on the index.
    void EditProperties(qint32 kind, qint32 index);
    /// The properties of the first selected object, else of the first
    /// selected link; nothing without a selection.
    void EditSelectionProperties();
    /// Opens the object's geo link (geoLink) or, with FollowLinks, its
    /// linked file or the project object it stands for.
    void OpenObjectLink(qint32 index, const QPoint& screenPoint, bool geoLink);
    /// Asks the owner to show the project object (with FollowLinks).
    void ShowProjectObject(qint32 index, const QPoint& screenPoint);
    /// The display text of a coding, from the owner.
    QString RequestCodingText(qint32 id);

    /// Asks for a picture file for the object; true when it shows it.
    bool InsertPicture(qint32 index);
    /// Asks for a file and writes the model as JPEG, BMP or SVG.
    void ExportImage();
    /// What the canvas shows for an object the user points at: plain text
    /// (rich false) or a heading with RTF, and the tip's size. False when
    /// the object has nothing to show.
    bool BuildObjectText(const ModelObject& object, bool& rich, QString& text, QByteArray& rtf, QSize& size,
                         bool geoMode);

    /// The open project the model builders and the document links ask (not
    /// owned; null without a project).
    void SetProject(CKorDoc* project) { m_project = project; }
    CKorDoc* Project() const { return m_project; }
    /// The active prepared model kind and its options.
    ModelKindSettings& KindSettings() { return m_kindSettings; }
    const ModelKindSettings& KindSettings() const { return m_kindSettings; }
    /// Links the document's object to the objects of the documents its
    /// project links lead to (with the "maps" option that asks for it).
    void AutoLinkDocument(qint32 id);
    /// Whether a drop of the payload would be taken (the drag's answer).
    bool AcceptsDrop(const CDragObject& payload) const;
    /// Makes objects of a dropped payload, or codes a dropped browser
    /// selection with the code object under the point (window pixels);
    /// false when the drop is refused.
    bool OnDrop(const CDragObject& payload, const QPoint& point, qint32 modifierKeys);

    /// The project commands the object menu offers for an object's topic.
    static QList<int> ObjectMenuCommands(qint32 refTopic);

    // IModelCanvasView
    void Redraw() override;
    void SelectionChanged() override;
    void ViewReset() override;

    /// The scene as last painted (tests, benchmarks): repaints when needed.
    QImage RenderedScene();
    /// Paints the scene into the off-screen picture now.
    void RenderNow() { RenderScene(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnScrollAction(Qt::Orientation orientation, int action);
    void OnSliderReleased(Qt::Orientation orientation);
    void RenderScene();
    /// The scene while the selection moves: the still part kept, the
    /// selection painted over it.
    void RenderMovingSelection(const QSize& pixels);
    void SelectionMoved();
    /// Moves the kept picture by a whole number of pixels and paints the
    /// strips that came into view; false when the move is not such a shift.
    bool ScrollScene(const QPointF& shift);
    /// The view moved without a change of the model.
    void ViewMoved() { viewport()->update(); }
    ModelSceneState SceneState() const;
    void SendFollowOrOpen(RequestCode code, const ModelObject& object, const QPoint& screenPoint);
    void PressInSelectMode(const QPoint& point, Qt::KeyboardModifiers modifiers);
    void PressInLinkMode(const QPoint& point);
    void MoveDragged(const QPoint& point);
    /// Snapping drags put the first selected symbol's corner on the grid,
    /// as the end of the drag does.
    QPointF SnapCorner() const;
    void UpdateLinkTarget(const QPoint& point);
    void Pan(const QPoint& point);
    void ShowTooltip(const QPoint& point);
    void ShowObjectMenu(const QPoint& point);
    void EndRubberBand(const QPoint& point, Qt::KeyboardModifiers modifiers);
    bool InsideClient(const QPoint& point) const;

    ModelerCanvasCore m_core;
    IModelerCanvasOwner* m_owner = nullptr;
    bool m_followLinks = false;
    bool m_grid = false;
    bool m_projectCommandsFlag = false;

    // Mouse state
    bool m_pressed = false;          ///< left button down on the canvas
    bool m_dragging = false;         ///< a drag of objects, the handle or a link end runs
    bool m_undoPending = false;      ///< a snapshot is due before the first movement
    bool m_onHandle = false;
    QPoint m_lastPoint;              ///< window pixels
    QPointF m_snapAnchor;            ///< snapping: where the pointer's path alone would put the corner
    QPoint m_ignoredMove{-1, -1};    ///< the move the snapped cursor causes
    qint32 m_fixedObject = -1;       ///< link mode: the fixed end
    qint32 m_linkTarget = -1;        ///< link mode: the highlighted target
    qint32 m_movedLink = -1;
    qint32 m_movedEnd = 1;
    QPoint m_bandOrigin;
    QRubberBand* m_band = nullptr;
    int m_wheelRemainder = 0;

    // The off-screen picture of the scene and what it was painted for
    QImage m_scene;
    bool m_sceneValid = false;
    float m_sceneScale = 0;
    QPointF m_sceneOrigin;
    std::vector<ModelLinkEnds> m_linkEnds;  ///< of the model the scene shows
    bool m_movingSelection = false;  ///< a drag moves or resizes the selection
    QImage m_still;                  ///< the scene without the moving selection
    bool m_stillValid = false;

    CRTFTipCtrl* m_tip = nullptr;
    qint32 m_tipObject = -1;

    CKorDoc* m_project = nullptr;
    ModelKindSettings m_kindSettings;
};
