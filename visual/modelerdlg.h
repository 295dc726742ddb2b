#pragma once

#include "ui/dlgbase.h"
#include "visual/modelercanvas.h"

#include <QHash>
#include <QPointer>

class CommandToolBar;
class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QPrinter;
class QPushButton;
class QTimer;
class TopicDatabase;

/// Command ids of the Modeler window: menu 239, the models list's menu 240,
/// toolbar 264 and the shape popup of the insert command.
namespace ModelerCommand {
enum : int {
    Help = 9,
    Close = 8,
    NewModel = 6000,
    NewModelKind1 = 6001,
    NewModelKind7 = 6007,
    OpenModel = 6008,
    OpenInSecond = 6009,
    DuplicateModel = 6011,
    DeleteModel = 6012,
    ExportPicture = 6013,
    PrintModel = 6014,
    OpenModelFile = 6015,
    SaveModelFile = 6016,
    Sync = 6017,
    ShowLayers = 6018,
    MapSettings = 6019,
    ModeSelect = 6020,
    ModeLink = 6021,
    ModePan = 6022,
    InsertShape = 6023,
    DeleteSelection = 6024,
    Properties = 6025,
    Group = 6026,
    Ungroup = 6027,
    InsertText = 6028,
    BringToFront = 6029,
    SendToBack = 6030,
    PickUpStyle = 6031,
    ApplyStyle = 6032,
    CopyObject = 6033,
    PasteObject = 6034,
    LinkNoArrows = 6035,
    LinkArrowAtTarget = 6036,
    LinkArrowsBoth = 6037,
    ZoomIn = 6039,
    ZoomOut = 6040,
    ZoomReset = 6041,
    FitToWindow = 6042,
    RenameModel = 6043,
    Manual = 6044,
    NewLayer = 6046,
    DeleteLayer = 6047,
    ShowLibrary = 6048,
    Undo = 6056,
    LayersHelp = 6204,
    LibraryHelp = 6205,
    ShapeEllipse = 3000,
    ShapeRectangle = 3001,
    ShapeRoundedRectangle = 3002,
};
}

/// The frame's command that opens the Modeler window.
namespace FrameModelerCommand {
constexpr int Open = 33166;  ///< ID_MODELER
}

/// Texts of the Modeler window.
namespace ModelerText {
enum : int {
    DeleteModelQuestion = 544,
    LayersHelpTip = 102059,
    MapSettingsTitle = 101061,
    TitleFormat = 202000,         ///< "%1 - %2": caption, model name
    WindowCaption = 202001,
    ModelsCaption = 202002,
    LayersCaption = 202003,
    LibraryCaption = 202004,
    PrintEmptyModel = 202005,
    PrintJobTitle = 202006,
    ToolBarTitle = 202007,
    NewTextLabel = 202008,
};
}

/// @short The model editor's window: the stored models on the left, the
/// canvas in the middle, the layers on the right and the map library below,
/// with the menu bar and toolbar of the window's commands.
///
/// The main window lists the project's models ("dlgModeler"); a second
/// window, opened from it on one model, has no models pane ("dlgModeler2").
/// Closing writes the map library and the settings; the canvas writes its
/// model back when it goes. UI thread only.
class CModelerDlg : public CResizableDlgBase, public IModelerCanvasOwner {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3119;
    static constexpr int kMinPaneWidth = 18;
    static constexpr int kMinMiddleWidth = 200;

    /// `owner` takes the project requests (the frame); `modelListMode` is
    /// false for the second window; `modelId` 0 shows the first stored
    /// model, or a new one.
    CModelerDlg(QWidget* parent, TopicDatabase* store, RequestOwner* owner, bool modelListMode, qint32 modelId);
    ~CModelerDlg() override;

    /// Adds an object to the main canvas (an undo snapshot first when
    /// `withUndo`); the canvas's answer.
    qint32 AddObject(bool withUndo, qint32 topic, qint32 id, const QString& label, qint32 value = 0,
                     bool place = false, qint32 belowId = 0);
    /// A new object made from `object`: into the library with `toLibrary`,
    /// else into the main canvas without a snapshot.
    qint32 AddObjectCopy(const ModelObject& object, bool toLibrary);
    /// The insert commands' free object: value 0 a text, 1 an ellipse, 2 a
    /// rectangle, 3 a rounded rectangle; undo snapshot. The new id.
    qint32 AddFreeObject(qint32 value);
    void RenameObject(qint32 id, const QString& text);
    void AddLink(qint32 source, qint32 target, qint32 kind);

    /// The open project the canvas's builders and document links ask.
    void SetProject(CKorDoc* project)
    {
        m_project = project;
        m_canvas->SetProject(project);
    }

    /// Carries a window command out; false for one it does not know.
    bool OnCommand(int id);
    /// Applies the enable, check and hide rules to menu and toolbar.
    void UpdateCommands();

    // IModelerCanvasOwner
    void Request(NotifyHead& record) override;
    QString ProjectIdentity() const override;
    void RebuildMenuBar() override { UpdateCommands(); }

    /// Prints the canvas's model on one page fitted within margins of a
    /// twentieth of the page; false when nothing was printed.
    static bool PrintModel(ModelerCanvasCore& canvas, QWidget* parent);
    /// The rectangle of a page that the model is fitted into.
    static QRect PrintTarget(const QRect& page);

    ModelerCanvas* Canvas() const { return m_canvas; }
    ModelerCanvas* LibraryCanvas() const { return m_library; }
    QListWidget* ModelsList() const { return m_models; }
    QListWidget* LayersList() const { return m_layers; }
    QMenuBar* MenuBar() const { return m_menuBar; }
    CommandToolBar* ToolBar() const { return m_toolbar; }
    /// The menu bar's action of a command; null when it has none.
    QAction* MenuAction(int id) const { return m_menuActions.value(id); }
    qint32 CurrentModel() const { return m_currentModel; }
    int SplitterW() const { return m_splitterW; }
    int LayersW() const { return m_layersW; }
    bool LayersShown() const;
    bool LibraryShown() const;
    CModelerDlg* SecondWindow() const { return m_second.data(); }
    QString Section() const { return m_section; }

protected:
    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct CommandState {
        bool enabled = true;
        bool checked = false;
        bool shown = true;
    };

    void BuildMenuBar();
    void BuildToolBar();
    QAction* MakeAction(int id, const QString& text, QObject* owner);
    void ReadSettings();
    void WriteSettings() const;
    void Layout();
    /// Which splitter strip holds the point: 1 left, 2 right, 0 none.
    int SplitterAt(const QPoint& point) const;
    void EndSplitterDrag();
    /// Toolbar states by 10.132's rules.
    QHash<int, CommandState> ToolStates() const;

    void FillModels(const QList<qint32>& ids, const QStringList& names);
    QListWidgetItem* AppendModel(qint32 id, const QString& name, bool current);
    QListWidgetItem* ModelItem(qint32 id) const;
    qint32 SelectedModel() const;
    /// Marks the model current, rebuilds the title and the layers list.
    void MakeCurrent(qint32 id);
    void UpdateTitle();
    void FillLayers();
    void OnModelEdited(QListWidgetItem* item);
    void OnLayerChanged(QListWidgetItem* item);
    void OnLayerSelection();
    void ShowModelsMenu(const QPoint& point);
    void ShowShapeMenu();

    void NewModel(qint32 kind);
    void OpenSelectedModel();
    void OpenInSecondWindow();
    void DuplicateModel();
    void DeleteModel();
    void OpenModelFile();
    void ShowPane(bool layers, bool show);
    void NewLayer();
    void DeleteLayer();
    void ShowMapSettings();
    void ExportPicture();

    TopicDatabase* m_store;
    CKorDoc* m_project = nullptr;
    RequestOwner* m_owner;
    QPointer<CModelerDlg> m_second;
    QString m_section;
    QString m_caption;
    int m_splitterW = 150;
    int m_layersW = 150;
    int m_dragSplitter = 0;       ///< 1 left, 2 right while the mouse is captured
    bool m_dragging = false;
    int m_lastX = 0;
    bool m_modelListMode;
    bool m_stripModelItems;       ///< the second window drops the model items once
    qint32 m_currentModel = 0;
    qint32 m_openModel;           ///< the model asked for at construction
    bool m_refillingLayers = false;
    bool m_closed = false;
    bool m_copied = false;        ///< an object waits in the canvas's clipboard

    QMenuBar* m_menuBar = nullptr;
    CommandToolBar* m_toolbar = nullptr;
    QHash<int, QAction*> m_menuActions;
    QList<QMenu*> m_menus;
    ModelerCanvas* m_canvas = nullptr;
    ModelerCanvas* m_library = nullptr;
    QListWidget* m_models = nullptr;
    QListWidget* m_layers = nullptr;
    QLabel* m_modelsCaption = nullptr;
    QLabel* m_layersCaption = nullptr;
    QLabel* m_libraryCaption = nullptr;
    QPushButton* m_layersHelp = nullptr;
    QPushButton* m_libraryHelp = nullptr;
    QTimer* m_idleTimer = nullptr;
};
