#include "visual/modelerdlg.h"

#include "foundation/help.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "store/topicdatabase.h"
#include "ui/commandtoolbar.h"
#include "ui/propertiesdlg.h"
#include "ui/printengine.h"
#include "visual/modeldrawing.h"
#include "visual/visualids.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int kIdleMs = 200;
constexpr int kImageRole = Qt::UserRole + 1;  ///< 1 marks the current model
constexpr int kNameRole = Qt::UserRole + 2;   ///< the last accepted name
constexpr int kBarsHeight = 53;               ///< the panes start below menu and toolbar

/// A wait cursor for the long model operations.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

struct MenuRow {
    int id;      ///< 0 a separator, -1 a sub-menu of the rows that follow up to -2
    int textId;
};

// Menu 239. Sub-menus open with -1 and close with -2.
const MenuRow kModelMenu[] = {
    {ModelerCommand::NewModel, 100293},   {-1, 101100},
    {6001, 101101},                       {6003, 101102},
    {6004, 101103},                       {6005, 101104},
    {6006, 101105},                       {-2, 0},
    {ModelerCommand::OpenModel, 100294},  {ModelerCommand::OpenInSecond, 101155},
    {ModelerCommand::RenameModel, 100295}, {ModelerCommand::DuplicateModel, 100296},
    {ModelerCommand::DeleteModel, 100297}, {0, 0},
    {ModelerCommand::ExportPicture, 100298}, {ModelerCommand::PrintModel, 100299},
    {ModelerCommand::OpenModelFile, 100300}, {ModelerCommand::SaveModelFile, 100301},
    {0, 0},
    {ModelerCommand::Sync, 100302},       {ModelerCommand::ShowLayers, 100303},
    {ModelerCommand::MapSettings, 101061}, {0, 0},
    {ModelerCommand::Close, 100304},
};
const MenuRow kModeMenu[] = {
    {ModelerCommand::ModeSelect, 100306}, {ModelerCommand::ModeLink, 100307}, {ModelerCommand::ModePan, 100308}};
const MenuRow kEditMenu[] = {
    {ModelerCommand::Undo, 102314},         {0, 0},
    {ModelerCommand::InsertShape, 100310},  {ModelerCommand::InsertText, 100311},
    {ModelerCommand::DeleteSelection, 100312}, {ModelerCommand::Properties, 100313},
    {ModelerCommand::Group, 100314},        {ModelerCommand::Ungroup, 100315},
    {ModelerCommand::BringToFront, 100316}, {ModelerCommand::SendToBack, 100317},
    {ModelerCommand::PickUpStyle, 100318},  {ModelerCommand::ApplyStyle, 100319},
    {-1, 100320},
    {ModelerCommand::LinkNoArrows, 100321}, {ModelerCommand::LinkArrowAtTarget, 100322},
    {ModelerCommand::LinkArrowsBoth, 100323}, {-2, 0},
};
const MenuRow kViewMenu[] = {
    {ModelerCommand::ZoomReset, 100325}, {ModelerCommand::ZoomIn, 100326}, {ModelerCommand::ZoomOut, 100327},
    {ModelerCommand::FitToWindow, 100328}, {ModelerCommand::Manual, 100329}};
// Menu 240 of the models list.
const MenuRow kModelsPopup[] = {
    {ModelerCommand::OpenModel, 100330}, {ModelerCommand::OpenInSecond, 101156},
    {ModelerCommand::RenameModel, 100331}, {ModelerCommand::DuplicateModel, 100332},
    {ModelerCommand::DeleteModel, 100333}};

// Toolbar 264; 0 a separator.
const int kToolBar[] = {
    6020, 6021, 6022, 0, 0, 6056, 6023, 6028, 6024, 6025, 6026, 6027, 6029, 6030, 6031, 6032, 6033, 6034,
    6035, 6036, 6037, 0, 6041, 6039, 6040, 6042, 0, 6017, 6014, 6013, 6019, 6048, 0, 6018, 6046, 6047, 0, 9, 8};

// Texts of the toolbar's tips (commands without a menu item have their own).
int ToolTextId(int id)
{
    static const QHash<int, int> texts = [] {
        QHash<int, int> map;
        for (const MenuRow& row : kModelMenu)
            map.insert(row.id, row.textId);
        for (const MenuRow& row : kModeMenu)
            map.insert(row.id, row.textId);
        for (const MenuRow& row : kEditMenu)
            map.insert(row.id, row.textId);
        for (const MenuRow& row : kViewMenu)
            map.insert(row.id, row.textId);
        map.insert(ModelerCommand::CopyObject, 202010);
        map.insert(ModelerCommand::PasteObject, 202011);
        map.insert(ModelerCommand::NewLayer, 202012);
        map.insert(ModelerCommand::DeleteLayer, 202013);
        map.insert(ModelerCommand::ShowLibrary, 202014);
        map.insert(ModelerCommand::Help, 202015);
        return map;
    }();
    return texts.value(id);
}

/// The button pictures of toolbar 264: simple strokes, the same on every
/// machine.
QIcon ToolIcon(int id)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    const auto arrow = [&p](QPointF a, QPointF b, bool head, bool tail) {
        p.drawLine(a, b);
        const auto tip = [&p](QPointF from, QPointF to) {
            const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
            const QPointF n(-d.y(), d.x());
            p.drawLine(to, to - d * 4 + n * 3);
            p.drawLine(to, to - d * 4 - n * 3);
        };
        if (head)
            tip(a, b);
        if (tail)
            tip(b, a);
    };
    switch (id) {
    case 6020: p.drawPolygon(QPolygonF({{4, 2}, {4, 13}, {7, 10}, {10, 14}, {11, 13}, {9, 9}, {13, 9}})); break;
    case 6021: p.drawEllipse(1, 1, 5, 5); p.drawEllipse(10, 10, 5, 5); p.drawLine(5, 5, 11, 11); break;
    case 6022: arrow({8, 8}, {8, 1}, true, false); arrow({8, 8}, {8, 15}, true, false);
               arrow({8, 8}, {1, 8}, true, false); arrow({8, 8}, {15, 8}, true, false); break;
    case 6056: p.drawArc(3, 4, 10, 9, 0, 180 * 16); arrow({3, 9}, {3, 10}, true, false); break;
    case 6023: p.drawEllipse(1, 3, 14, 10); break;
    case 6028: p.drawLine(3, 3, 13, 3); p.drawLine(8, 3, 8, 14); break;
    case 6024: p.drawLine(3, 3, 13, 13); p.drawLine(13, 3, 3, 13); break;
    case 6025: p.drawRect(2, 2, 12, 12); p.drawLine(5, 6, 11, 6); p.drawLine(5, 10, 11, 10); break;
    case 6026: p.drawRect(1, 1, 14, 14); p.drawRect(3, 3, 4, 4); p.drawEllipse(8, 8, 5, 5); break;
    case 6027: p.drawRect(3, 3, 4, 4); p.drawEllipse(8, 8, 5, 5); break;
    case 6029: p.drawRect(1, 1, 8, 8); p.fillRect(6, 6, 9, 9, QColor(40, 40, 40)); break;
    case 6030: p.fillRect(1, 1, 9, 9, QColor(40, 40, 40)); p.fillRect(6, 6, 9, 9, Qt::white); p.drawRect(6, 6, 9, 9); break;
    case 6031: p.drawRect(2, 2, 11, 5); p.drawLine(8, 7, 8, 14); break;
    case 6032: p.fillRect(2, 2, 11, 5, QColor(40, 40, 40)); p.drawLine(8, 7, 8, 14); break;
    case 6033: p.drawRect(1, 1, 9, 9); p.drawRect(5, 5, 9, 9); break;
    case 6034: p.drawRect(3, 2, 10, 13); p.drawRect(6, 1, 4, 3); break;
    case 6035: p.drawLine(2, 8, 14, 8); break;
    case 6036: arrow({2, 8}, {14, 8}, true, false); break;
    case 6037: arrow({2, 8}, {14, 8}, true, true); break;
    case 6041: p.drawEllipse(2, 2, 9, 9); p.drawLine(10, 10, 14, 14); break;
    case 6039: p.drawEllipse(2, 2, 9, 9); p.drawLine(10, 10, 14, 14); p.drawLine(4, 6, 9, 6); p.drawLine(6, 4, 6, 9); break;
    case 6040: p.drawEllipse(2, 2, 9, 9); p.drawLine(10, 10, 14, 14); p.drawLine(4, 6, 9, 6); break;
    case 6042: p.drawRect(1, 1, 14, 14); p.drawRect(4, 4, 8, 8); break;
    case 6017: arrow({2, 5}, {14, 5}, true, false); arrow({14, 11}, {2, 11}, true, false); break;
    case 6014: p.drawRect(2, 6, 12, 6); p.drawRect(4, 2, 8, 4); p.drawRect(4, 10, 8, 5); break;
    case 6013: p.drawRect(1, 2, 14, 12); p.drawPolyline(QPolygonF({{2, 13}, {6, 7}, {9, 11}, {11, 9}, {14, 13}})); break;
    case 6019: p.drawEllipse(4, 4, 8, 8); p.drawLine(8, 0, 8, 3); p.drawLine(8, 13, 8, 16); p.drawLine(0, 8, 3, 8); p.drawLine(13, 8, 16, 8); break;
    case 6048: p.drawRect(1, 1, 14, 14); p.drawLine(1, 10, 15, 10); break;
    case 6018: p.drawRect(1, 1, 14, 14); p.drawLine(10, 1, 10, 15); break;
    case 6046: p.drawRect(1, 4, 10, 8); p.drawLine(12, 3, 12, 9); p.drawLine(9, 6, 15, 6); break;
    case 6047: p.drawRect(1, 4, 10, 8); p.drawLine(9, 6, 15, 6); break;
    case 9: p.drawArc(4, 2, 8, 7, -90 * 16, 270 * 16); p.drawLine(8, 9, 8, 11); p.drawPoint(8, 14); break;
    case 8: p.drawLine(4, 4, 12, 12); p.drawLine(12, 4, 4, 12); break;
    default: break;
    }
    return QIcon(pixmap);
}

/// The two marks of the models list: none, and the current model.
QIcon ModelMark(bool current)
{
    QPixmap pixmap(15, 19);
    pixmap.fill(Qt::transparent);
    if (current) {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0, 120, 0));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({{3, 4}, {12, 9.5}, {3, 15}}));
    }
    return QIcon(pixmap);
}

bool IsModelEditing(int id)
{
    return id >= ModelerCommand::InsertShape && id <= ModelerCommand::PasteObject;
}

}  // namespace

CModelerDlg::CModelerDlg(QWidget* parent, TopicDatabase* store, RequestOwner* owner, bool modelListMode,
                         qint32 modelId)
    : CResizableDlgBase(kTemplateId, parent),
      m_store(store),
      m_owner(owner),
      m_section(modelListMode ? QStringLiteral("dlgModeler") : QStringLiteral("dlgModeler2")),
      m_modelListMode(modelListMode),
      m_stripModelItems(!modelListMode),
      m_openModel(modelId)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlags(Qt::Window);
    setMouseTracking(true);
    m_strSection = m_section;
    setWindowTitle(TextKey(ModelerText::WindowCaption, "Modeler"));
    resize(900, 640);

    m_canvas = new ModelerCanvas(this);
    SetControlId(m_canvas, 13100);
    m_library = new ModelerCanvas(this);
    SetControlId(m_library, 13102);
    m_library->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const auto makeList = [this](int id) {
        auto* list = new QListWidget(this);
        SetControlId(list, id);
        list->setSortingEnabled(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        return list;
    };
    m_models = makeList(1156);
    m_models->setIconSize(QSize(15, 19));
    m_models->setContextMenuPolicy(Qt::CustomContextMenu);
    m_layers = makeList(1249);
    // Layers keep the model's order.
    m_layers->setSortingEnabled(false);

    m_modelsCaption = new QLabel(TextKey(ModelerText::ModelsCaption, "Models"), this);
    SetControlId(m_modelsCaption, 1180);
    m_layersCaption = new QLabel(TextKey(ModelerText::LayersCaption, "Layers"), this);
    SetControlId(m_layersCaption, 1185);
    m_libraryCaption = new QLabel(TextKey(ModelerText::LibraryCaption, "Map library"), this);
    SetControlId(m_libraryCaption, 1187);
    m_layersHelp = MakeIconButton(this, ModelerCommand::LayersHelp, QStyle::SP_MessageBoxQuestion,
                                  ModelerText::LayersHelpTip);
    m_libraryHelp = MakeIconButton(this, ModelerCommand::LibraryHelp, QStyle::SP_MessageBoxQuestion,
                                   ModelerText::LayersHelpTip);
    connect(m_layersHelp, &QPushButton::clicked, this, [this] { OnCommand(ModelerCommand::LayersHelp); });
    connect(m_libraryHelp, &QPushButton::clicked, this, [this] { OnCommand(ModelerCommand::LibraryHelp); });

    BuildMenuBar();
    BuildToolBar();

    connect(m_models, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const qint32 id = item->data(Qt::UserRole).toInt();
        if (m_second && m_second->CurrentModel() == id)
            OnCommand(ModelerCommand::OpenInSecond);
        else if (id != m_currentModel)
            OnCommand(ModelerCommand::OpenModel);
    });
    connect(m_models, &QListWidget::customContextMenuRequested, this, &CModelerDlg::ShowModelsMenu);
    connect(m_models, &QListWidget::itemSelectionChanged, this, &CModelerDlg::UpdateCommands);
    connect(m_models, &QListWidget::itemChanged, this, &CModelerDlg::OnModelEdited);
    connect(m_layers, &QListWidget::itemChanged, this, &CModelerDlg::OnLayerChanged);
    connect(m_layers, &QListWidget::itemSelectionChanged, this, &CModelerDlg::OnLayerSelection);

    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(kIdleMs);
    connect(m_idleTimer, &QTimer::timeout, this, &CModelerDlg::UpdateCommands);
}

CModelerDlg::~CModelerDlg()
{
    // The canvases write back their models as they go; the window's
    // requests end first.
    m_canvas->Attach(m_store, nullptr, true, false);
}

QAction* CModelerDlg::MakeAction(int id, const QString& text, QObject* owner)
{
    auto* action = new QAction(text, owner);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
}

void CModelerDlg::BuildMenuBar()
{
    m_menuBar = new QMenuBar(this);
    SetControlId(m_menuBar, 1222);
    m_menuBar->setObjectName(QStringLiteral("ModelerMenuBar"));
    m_menuBar->setNativeMenuBar(false);
    const auto fill = [this](int titleId, const MenuRow* begin, const MenuRow* end) {
        QMenu* menu = m_menuBar->addMenu(TextKey(titleId));
        m_menus.append(menu);
        QMenu* target = menu;
        for (const MenuRow* row = begin; row != end; ++row) {
            if (row->id == 0) {
                target->addSeparator();
            } else if (row->id == -1) {
                target = target->addMenu(TextKey(row->textId));
            } else if (row->id == -2) {
                target = menu;
            } else {
                QAction* action = MakeAction(row->id, TextKey(row->textId), this);
                target->addAction(action);
                m_menuActions.insert(row->id, action);
            }
        }
        // Texts are translated and states refreshed as each menu shows.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            TranslateMenu(menu);
            UpdateCommands();
        });
        TranslateMenu(menu);
    };
    fill(100292, std::begin(kModelMenu), std::end(kModelMenu));
    fill(100305, std::begin(kModeMenu), std::end(kModeMenu));
    fill(100309, std::begin(kEditMenu), std::end(kEditMenu));
    fill(100324, std::begin(kViewMenu), std::end(kViewMenu));
    for (QAction* title : m_menuBar->actions()) {
        QString text = title->text();
        if (TranslateKey(text))
            title->setText(text);
    }
    for (const int id : {6017, 6018, 6020, 6021, 6022, 6035, 6036, 6037})
        m_menuActions.value(id)->setCheckable(true);
}

void CModelerDlg::BuildToolBar()
{
    m_toolbar = new CommandToolBar(TextKey(ModelerText::ToolBarTitle), this);
    m_toolbar->setObjectName(QStringLiteral("ModelerToolBar"));
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const int id : kToolBar) {
        if (id == 0) {
            m_toolbar->addSeparator();
            continue;
        }
        QString tip = TextKey(ToolTextId(id));
        TranslateKey(tip);
        tip.remove(u'&');
        QAction* action = MakeAction(id, tip, m_toolbar);
        action->setIcon(ToolIcon(id));
        action->setCheckable(id == 6017 || id == 6018 || id == 6048 || (id >= 6020 && id <= 6022)
                             || (id >= 6035 && id <= 6037));
        m_toolbar->addAction(action);
    }
}

bool CModelerDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_caption = windowTitle();
    {
        WaitCursor wait;
        ReadSettings();
        m_library->Attach(nullptr, this, false, true);
        m_library->Core().LoadPinwallLibrary();
        m_canvas->Attach(m_store, this, true, false);
        if (!m_modelListMode) {
            m_modelsCaption->hide();
            m_models->hide();
        }
        QList<qint32> ids;
        QStringList names;
        if (m_store)
            m_store->ListModels(ids, names);
        qint32 shown = 0;
        if (m_openModel != 0 && m_canvas->Core().LoadStoredModel(m_openModel)) {
            shown = m_openModel;
        } else if (!ids.isEmpty() && m_canvas->Core().LoadStoredModel(ids.first())) {
            shown = ids.first();
        } else {
            QString name;
            shown = m_canvas->Core().NewModel(name, 0);
            if (shown != 0) {
                ids.append(shown);
                names.append(name);
            }
        }
        if (m_modelListMode)
            FillModels(ids, names);
        MakeCurrent(shown);
    }
    m_canvas->setFocus();
    Layout();
    UpdateCommands();
    m_idleTimer->start();
    return true;
}

void CModelerDlg::ReadSettings()
{
    if (g_program.ProfilePath.isEmpty())
        return;
    const PrivateProfile profile(g_program.ProfilePath);
    m_splitterW = std::max(kMinPaneWidth, profile.GetInt(m_section, QStringLiteral("SplitterW"), 150));
    m_layersW = std::max(kMinPaneWidth, profile.GetInt(m_section, QStringLiteral("LayersW"), 150));
    const int mode = profile.GetInt(m_section, QStringLiteral("Mode"), 0);
    const int arrows = profile.GetInt(m_section, QStringLiteral("SubMode"), 0);
    m_canvas->Core().SetModeAndRedraw(std::clamp(mode, 0, 2), std::clamp(arrows, 0, 2));
    m_canvas->SetFollowLinks(profile.GetInt(m_section, QStringLiteral("Sync"), 0) != 0);
    const bool layers = profile.GetInt(m_section, QStringLiteral("Layers"), 0) != 0;
    const bool library = profile.GetInt(m_section, QStringLiteral("Lib"), 0) != 0;
    m_layers->setVisible(layers);
    m_layersCaption->setVisible(layers);
    m_layersHelp->setVisible(layers);
    m_library->setVisible(library);
    m_libraryCaption->setVisible(library);
    m_libraryHelp->setVisible(library);
}

void CModelerDlg::WriteSettings() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile profile(g_program.ProfilePath);
    profile.WriteInt(m_section, QStringLiteral("SplitterW"), m_splitterW);
    profile.WriteInt(m_section, QStringLiteral("Mode"), m_canvas->Core().Mode());
    profile.WriteInt(m_section, QStringLiteral("SubMode"), m_canvas->Core().GetLinkArrows());
    profile.WriteInt(m_section, QStringLiteral("Sync"), m_canvas->FollowLinks() ? 1 : 0);
    profile.WriteInt(m_section, QStringLiteral("LayersW"), m_layersW);
    profile.WriteInt(m_section, QStringLiteral("Layers"), LayersShown() ? 1 : 0);
    profile.WriteInt(m_section, QStringLiteral("Lib"), LibraryShown() ? 1 : 0);
}

bool CModelerDlg::LayersShown() const
{
    return !m_layers->isHidden();
}

bool CModelerDlg::LibraryShown() const
{
    return !m_library->isHidden();
}

void CModelerDlg::Layout()
{
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    m_toolbar->setGeometry(0, menuHeight, width(), std::max(0, kBarsHeight - 7 - menuHeight));
    const int W = width();
    const int H = height();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int left = m_modelListMode ? m_splitterW + 12 : 7;
    const int canvasWidth = LayersShown() ? W - m_layersW - left - 12 : W - left - 7;
    const int C = LibraryShown() ? H - scrollBar - 155 : H - 60;
    m_canvas->setGeometry(left, 53, canvasWidth, C);
    if (m_modelListMode) {
        m_modelsCaption->setGeometry(7, 53, m_splitterW, 20);
        m_models->setGeometry(7, 73, m_splitterW, C - 20);
    }
    m_layersCaption->setGeometry(W - m_layersW - 7, 53, m_layersW - 20, 20);
    m_layersHelp->setGeometry(W - 27, 53, 20, 20);
    m_layers->setGeometry(W - m_layersW - 7, 73, m_layersW, C - 20);
    m_libraryCaption->setGeometry(7, C + 58, W - 34, 20);
    m_libraryHelp->setGeometry(W - 27, C + 58, 20, 20);
    m_library->setGeometry(7, C + 78, W - 14, scrollBar + 70);
}

void CModelerDlg::resizeEvent(QResizeEvent* event)
{
    CResizableDlgBase::resizeEvent(event);
    if (!isMinimized())
        Layout();
}

int CModelerDlg::SplitterAt(const QPoint& point) const
{
    if (point.y() < 46 || point.y() > height() - 5)
        return 0;
    if (m_modelListMode && point.x() >= m_splitterW + 5 && point.x() < m_splitterW + 12)
        return 1;
    if (LayersShown() && point.x() >= width() - m_layersW - 12 && point.x() < width() - m_layersW - 5)
        return 2;
    return 0;
}

void CModelerDlg::mousePressEvent(QMouseEvent* event)
{
    const int strip = SplitterAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && strip != 0) {
        m_dragSplitter = strip;
        m_dragging = true;
        m_lastX = event->position().toPoint().x();
        return;
    }
    CResizableDlgBase::mousePressEvent(event);
}

void CModelerDlg::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!m_dragging) {
        const int strip = SplitterAt(point);
        if (strip != 0)
            setCursor(Qt::SizeHorCursor);
        else
            unsetCursor();
        return;
    }
    if (!rect().contains(point)) {
        EndSplitterDrag();
        return;
    }
    const int delta = point.x() - m_lastX;
    const int splitter = m_dragSplitter == 1 ? m_splitterW + delta : m_splitterW;
    const int layers = m_dragSplitter == 2 ? m_layersW - delta : m_layersW;
    const int paneWidth = m_dragSplitter == 1 ? splitter : layers;
    if (paneWidth < kMinPaneWidth || width() - splitter - layers <= kMinMiddleWidth) {
        EndSplitterDrag();
        return;
    }
    m_splitterW = splitter;
    m_layersW = layers;
    m_lastX = point.x();
    Layout();
}

void CModelerDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        EndSplitterDrag();
        return;
    }
    CResizableDlgBase::mouseReleaseEvent(event);
}

void CModelerDlg::EndSplitterDrag()
{
    m_dragging = false;
    m_dragSplitter = 0;
    unsetCursor();
}

// Models

void CModelerDlg::FillModels(const QList<qint32>& ids, const QStringList& names)
{
    QSignalBlocker block(m_models);
    m_models->clear();
    for (qsizetype i = 0; i < ids.size(); ++i)
        AppendModel(ids[i], names.value(i), false);
}

QListWidgetItem* CModelerDlg::AppendModel(qint32 id, const QString& name, bool current)
{
    QSignalBlocker block(m_models);
    auto* item = new QListWidgetItem(ModelMark(current), name);
    item->setData(Qt::UserRole, id);
    item->setData(kImageRole, current ? 1 : 0);
    item->setData(kNameRole, name);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_models->addItem(item);
    return item;
}

QListWidgetItem* CModelerDlg::ModelItem(qint32 id) const
{
    for (int row = 0; row < m_models->count(); ++row)
        if (m_models->item(row)->data(Qt::UserRole).toInt() == id)
            return m_models->item(row);
    return nullptr;
}

qint32 CModelerDlg::SelectedModel() const
{
    const QList<QListWidgetItem*> selected = m_models->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(Qt::UserRole).toInt();
}

void CModelerDlg::MakeCurrent(qint32 id)
{
    m_currentModel = id;
    m_canvas->KindSettings().Begin(0);
    {
        QSignalBlocker block(m_models);
        for (int row = 0; row < m_models->count(); ++row) {
            QListWidgetItem* item = m_models->item(row);
            const bool current = item->data(Qt::UserRole).toInt() == id;
            item->setIcon(ModelMark(current));
            item->setData(kImageRole, current ? 1 : 0);
        }
    }
    UpdateTitle();
    FillLayers();
}

void CModelerDlg::UpdateTitle()
{
    setWindowTitle(LoadString(ModelerText::TitleFormat).arg(m_caption, m_canvas->Core().Record().Name));
}

void CModelerDlg::FillLayers()
{
    m_refillingLayers = true;
    {
        QSignalBlocker block(m_layers);
        m_layers->clear();
        const ModelContent& model = m_canvas->Core().Model();
        for (const ModelLayer& layer : model.Layers) {
            auto* item = new QListWidgetItem(layer.Name);
            item->setData(Qt::UserRole, layer.Id);
            Qt::ItemFlags flags = item->flags() | Qt::ItemIsUserCheckable;
            // The base layer keeps its name.
            if (layer.Id != 0)
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            item->setCheckState(layer.Visible ? Qt::Checked : Qt::Unchecked);
            m_layers->addItem(item);
            if (layer.Id == model.CurrentLayer) {
                item->setSelected(true);
                m_layers->setCurrentItem(item);
            }
        }
    }
    m_refillingLayers = false;
}

void CModelerDlg::OnModelEdited(QListWidgetItem* item)
{
    const QString accepted = item->data(kNameRole).toString();
    const QString text = item->text().trimmed();
    if (text == accepted)
        return;
    const qint32 id = item->data(Qt::UserRole).toInt();
    QSignalBlocker block(m_models);
    if (text.isEmpty() || !m_canvas->Core().RenameStoredModel(id, text)) {
        item->setText(accepted);
        return;
    }
    item->setText(text);
    item->setData(kNameRole, text);
    if (m_second && m_second->CurrentModel() == id)
        m_second->m_canvas->Core().EditRecord().Name = text;
    UpdateTitle();
}

void CModelerDlg::OnLayerChanged(QListWidgetItem* item)
{
    if (m_refillingLayers)
        return;
    ModelerCanvasCore& core = m_canvas->Core();
    const qint32 id = item->data(Qt::UserRole).toInt();
    const qint32 index = core.FindLayerIndex(id);
    if (index < 0)
        return;
    ModelLayer& layer = core.EditModel().Layers[size_t(index)];
    if (item->text() != layer.Name) {
        if (id == 0 || item->text().trimmed().isEmpty()) {
            QSignalBlocker block(m_layers);
            item->setText(layer.Name);
        } else {
            layer.Name = item->text().trimmed();
        }
    }
    const bool visible = item->checkState() == Qt::Checked;
    if (visible != layer.Visible)
        core.SetLayerVisible(id, visible);
    UpdateCommands();
}

void CModelerDlg::OnLayerSelection()
{
    if (m_refillingLayers)
        return;
    const QList<QListWidgetItem*> selected = m_layers->selectedItems();
    m_canvas->Core().EditModel().CurrentLayer = selected.isEmpty() ? 0 : selected.first()->data(Qt::UserRole).toInt();
    UpdateCommands();
}

void CModelerDlg::ShowModelsMenu(const QPoint& point)
{
    QMenu menu(this);
    for (const MenuRow& row : kModelsPopup) {
        QAction* action = menu.addAction(TextKey(row.textId));
        action->setData(row.id);
        QAction* twin = m_menuActions.value(row.id);
        action->setEnabled(twin && twin->isEnabled());
    }
    UpdateCommands();
    for (QAction* action : menu.actions())
        action->setEnabled(m_menuActions.value(action->data().toInt())->isEnabled());
    TranslateMenu(&menu);
    QAction* chosen = menu.exec(m_models->viewport()->mapToGlobal(point));
    if (chosen)
        OnCommand(chosen->data().toInt());
}

void CModelerDlg::ShowShapeMenu()
{
    QMenu menu(this);
    for (const auto& [id, textId] : {std::pair{int(ModelerCommand::ShapeEllipse), int(VisualText::ShapeEllipse)},
                                     std::pair{int(ModelerCommand::ShapeRectangle), int(VisualText::ShapeRectangle)},
                                     std::pair{int(ModelerCommand::ShapeRoundedRectangle),
                                               int(VisualText::ShapeRoundedRectangle)}})
        menu.addAction(TextKey(textId))->setData(id);
    TranslateMenu(&menu);
    QAction* chosen = menu.exec(QCursor::pos());
    if (chosen)
        OnCommand(chosen->data().toInt());
}

// Objects

qint32 CModelerDlg::AddObject(bool withUndo, qint32 topic, qint32 id, const QString& label, qint32 value,
                              bool place, qint32 belowId)
{
    const qint32 added = m_canvas->AddObject(topic, id, label, value, place, belowId, false, QString(), nullptr,
                                             withUndo);
    UpdateCommands();
    return added;
}

qint32 CModelerDlg::AddObjectCopy(const ModelObject& object, bool toLibrary)
{
    ModelerCanvas* target = toLibrary ? m_library : m_canvas;
    return target->AddObject(object.RefTopic, object.RefId, object.Label, 0, false, 0, false, QString(), &object,
                             false);
}

qint32 CModelerDlg::AddFreeObject(qint32 value)
{
    // A text object without a label would be invisible: it starts with one.
    const QString label = value == 0 ? LoadString(ModelerText::NewTextLabel) : QString();
    return m_canvas->AddObject(0, 0, label, value, false, 0, false, QString(), nullptr, true);
}

void CModelerDlg::RenameObject(qint32 id, const QString& text)
{
    const qint32 index = m_canvas->FindObjectIndex(id);
    if (index < 0)
        return;
    m_canvas->Core().RenameObject(id, text);
    m_canvas->Redraw();
    UpdateCommands();
}

void CModelerDlg::AddLink(qint32 source, qint32 target, qint32 kind)
{
    Q_UNUSED(kind);
    m_canvas->Core().AddLink(source, target, LinkArrows::AtTarget, 1, 0xFF000000u, false);
    m_canvas->Redraw();
}

void CModelerDlg::Request(NotifyHead& record)
{
    if (m_owner)
        m_owner->Request(record);
}

QString CModelerDlg::ProjectIdentity() const
{
    return m_owner ? m_owner->ProjectIdentity() : QString();
}

// Commands

bool CModelerDlg::OnCommand(int id)
{
    ModelerCanvasCore& core = m_canvas->Core();
    if (id >= ModelerCommand::NewModelKind1 && id <= ModelerCommand::NewModelKind7) {
        NewModel(id - ModelerCommand::NewModel);
        UpdateCommands();
        return true;
    }
    switch (id) {
    case ModelerCommand::NewModel: NewModel(0); break;
    case ModelerCommand::OpenModel: OpenSelectedModel(); break;
    case ModelerCommand::OpenInSecond: OpenInSecondWindow(); break;
    case ModelerCommand::RenameModel:
        if (QListWidgetItem* item = ModelItem(SelectedModel()))
            m_models->editItem(item);
        break;
    case ModelerCommand::DuplicateModel: DuplicateModel(); break;
    case ModelerCommand::DeleteModel: DeleteModel(); break;
    case ModelerCommand::ExportPicture: m_canvas->ExportImage(); break;
    case ModelerCommand::PrintModel: PrintModel(core, this); break;
    case ModelerCommand::OpenModelFile: OpenModelFile(); break;
    case ModelerCommand::SaveModelFile: core.SaveModelFile(); break;
    case ModelerCommand::Sync: m_canvas->SetFollowLinks(!m_canvas->FollowLinks()); break;
    case ModelerCommand::ShowLayers: ShowPane(true, !LayersShown()); break;
    case ModelerCommand::ShowLibrary: ShowPane(false, !LibraryShown()); break;
    case ModelerCommand::ModeSelect:
    case ModelerCommand::ModeLink:
    case ModelerCommand::ModePan:
        core.SetModeAndRedraw(id - ModelerCommand::ModeSelect, core.GetLinkArrows());
        break;
    case ModelerCommand::LinkNoArrows:
    case ModelerCommand::LinkArrowAtTarget:
    case ModelerCommand::LinkArrowsBoth:
        core.SetModeAndRedraw(CanvasMode::Connect, id - ModelerCommand::LinkNoArrows);
        break;
    case ModelerCommand::InsertShape: ShowShapeMenu(); break;
    case ModelerCommand::ShapeEllipse:
    case ModelerCommand::ShapeRectangle:
    case ModelerCommand::ShapeRoundedRectangle:
        AddFreeObject(id - ModelerCommand::ShapeEllipse + 1);
        break;
    case ModelerCommand::InsertText: AddFreeObject(0); break;
    case ModelerCommand::MapSettings: ShowMapSettings(); break;
    case ModelerCommand::DeleteSelection: core.DeleteSelection(); break;
    case ModelerCommand::Properties: m_canvas->EditSelectionProperties(); break;
    case ModelerCommand::Group: core.GroupSelection(); break;
    case ModelerCommand::Ungroup: core.UngroupSelection(); break;
    case ModelerCommand::BringToFront: core.BringSelectionToFront(); break;
    case ModelerCommand::SendToBack: core.SendSelectionToBack(); break;
    case ModelerCommand::PickUpStyle: core.PickUpFormat(); break;
    case ModelerCommand::ApplyStyle: core.ApplyFormat(); break;
    case ModelerCommand::CopyObject: m_copied = core.CopyObject() || m_copied; break;
    case ModelerCommand::PasteObject: core.PasteObject(); break;
    case ModelerCommand::ZoomIn: core.ZoomIn(1); break;
    case ModelerCommand::ZoomOut: core.ZoomOut(1); break;
    case ModelerCommand::ZoomReset: m_canvas->ResetZoom(); break;
    case ModelerCommand::FitToWindow: core.FitToWindow(); break;
    case ModelerCommand::NewLayer: NewLayer(); break;
    case ModelerCommand::DeleteLayer: DeleteLayer(); break;
    case ModelerCommand::Undo: core.Undo(); break;
    case ModelerCommand::Manual: ShowHelpTopic(int(HelpKind::Mapping), 2501); break;
    case ModelerCommand::LayersHelp: ShowHelpTopic(int(HelpKind::Mapping), 2512); break;
    case ModelerCommand::LibraryHelp: ShowHelpTopic(int(HelpKind::Mapping), 2513); break;
    case ModelerCommand::Help: ShowHelpTopic(int(HelpKind::Mapping), 2502 + core.Mode()); break;
    case ModelerCommand::Close: close(); break;
    default:
        return false;
    }
    UpdateCommands();
    return true;
}

QHash<int, CModelerDlg::CommandState> CModelerDlg::ToolStates() const
{
    const ModelerCanvasCore& core = m_canvas->Core();
    QHash<int, CommandState> states;
    for (const int id : kToolBar)
        if (id != 0)
            states.insert(id, {});
    states[ModelerCommand::Undo].shown = false;
    if (m_canvas->KindSettings().Kind != 0) {
        // A prepared model waits for its drop: the drawing tools rest.
        for (auto it = states.begin(); it != states.end(); ++it)
            if (it.key() != ModelerCommand::Help && it.key() != ModelerCommand::Close) {
                it->enabled = false;
                it->checked = false;
            }
        return states;
    }
    const int mode = core.Mode();
    const bool select = mode == CanvasMode::SelectAndMove;
    states[ModelerCommand::ModeSelect].checked = select;
    for (int id = ModelerCommand::InsertShape; id <= ModelerCommand::PasteObject; ++id)
        if (states.contains(id))
            states[id].shown = select;
    if (select) {
        qint32 kind = 0;
        const qint32 first = core.FirstSelectedObject(kind);
        const bool single = core.CountSelected(true) == 1;
        const bool background = kind == ModelHitKind::Object && first == 0 && core.IsBackgroundSelected();
        const bool anyObject = core.HasSelection(false);
        states[ModelerCommand::DeleteSelection].enabled = core.HasSelection(true);
        states[ModelerCommand::Properties].enabled = single && !background;
        states[ModelerCommand::PickUpStyle].enabled = single && !background;
        states[ModelerCommand::Group].enabled = core.CanGroupSelection();
        states[ModelerCommand::Ungroup].enabled = core.SelectionHasGroup();
        const bool singleBackground = core.CountSelected(false) == 1 && core.IsBackgroundSelected();
        states[ModelerCommand::BringToFront].enabled = anyObject && !singleBackground;
        states[ModelerCommand::SendToBack].enabled = anyObject && !singleBackground;
        states[ModelerCommand::ApplyStyle].enabled = core.CanApplyFormat();
        states[ModelerCommand::CopyObject].enabled = core.CanCopyObject();
        states[ModelerCommand::PasteObject].enabled = m_copied;
    }
    const bool link = mode == CanvasMode::Connect;
    states[ModelerCommand::ModeLink].checked = link;
    for (int id = ModelerCommand::LinkNoArrows; id <= ModelerCommand::LinkArrowsBoth; ++id) {
        states[id].shown = link;
        states[id].checked = link && core.GetLinkArrows() == id - ModelerCommand::LinkNoArrows;
    }
    states[ModelerCommand::ModePan].checked = mode == CanvasMode::Pan;
    states[ModelerCommand::Sync].checked = m_canvas->FollowLinks();
    const bool layers = LayersShown();
    states[ModelerCommand::ShowLayers].checked = layers;
    states[ModelerCommand::NewLayer].enabled = layers;
    const QList<QListWidgetItem*> layer = m_layers->selectedItems();
    states[ModelerCommand::DeleteLayer].enabled =
        layers && !layer.isEmpty() && layer.first()->data(Qt::UserRole).toInt() != 0;
    states[ModelerCommand::ShowLibrary].checked = LibraryShown();
    return states;
}

void CModelerDlg::UpdateCommands()
{
    if (!m_toolbar)
        return;
    const QHash<int, CommandState> states = ToolStates();
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        m_toolbar->ShowCommand(it.key(), it->shown);
        m_toolbar->EnableCommand(it.key(), it->enabled);
        m_toolbar->CheckCommand(it.key(), it->checked);
    }
    const bool select = m_canvas->Core().Mode() == CanvasMode::SelectAndMove;
    const qint32 selected = SelectedModel();
    const bool secondShows = m_second && m_second->CurrentModel() == selected;
    for (auto it = m_menuActions.cbegin(); it != m_menuActions.cend(); ++it) {
        const int id = it.key();
        QAction* action = it.value();
        const auto state = states.constFind(id);
        bool enabled = state == states.cend() || state->enabled;
        if (!select && IsModelEditing(id))
            enabled = false;
        if (id == ModelerCommand::OpenModel || id == ModelerCommand::OpenInSecond)
            enabled = selected != 0 && selected != m_currentModel;
        if (id == ModelerCommand::OpenInSecond && !m_modelListMode)
            enabled = false;
        if (id == ModelerCommand::DuplicateModel || id == ModelerCommand::DeleteModel
            || id == ModelerCommand::RenameModel)
            enabled = selected != 0 && !secondShows;
        if (id == ModelerCommand::Undo)
            enabled = false;
        action->setEnabled(enabled);
        if (action->isCheckable())
            action->setChecked(state != states.cend() && state->checked);
    }
    if (m_stripModelItems && !m_menus.isEmpty()) {
        // The second window shows one model: its model items go, once.
        m_stripModelItems = false;
        QMenu* first = m_menus.first();
        const QList<QAction*> items = first->actions();
        for (int i = 0; i < 8 && i < items.size(); ++i) {
            first->removeAction(items[i]);
            m_menuActions.remove(items[i]->data().toInt());
        }
    }
}

void CModelerDlg::NewModel(qint32 kind)
{
    ModelerCanvasCore& core = m_canvas->Core();
    WaitCursor wait;
    if (!core.SaveStoredModel())
        return;
    QString name;
    const qint32 id = core.NewModel(name, kind);
    if (id == 0)
        return;
    AppendModel(id, name, true);
    MakeCurrent(id);
    if (kind != 0)
        m_canvas->KindSettings().Begin(kind);
}

void CModelerDlg::OpenSelectedModel()
{
    const qint32 id = SelectedModel();
    if (id == 0 || id == m_currentModel)
        return;
    WaitCursor wait;
    if (!m_canvas->Core().SaveStoredModel() || !m_canvas->Core().LoadStoredModel(id))
        return;
    MakeCurrent(id);
}

void CModelerDlg::OpenInSecondWindow()
{
    const qint32 id = SelectedModel();
    if (!m_modelListMode || id == 0 || id == m_currentModel)
        return;
    if (CModelerDlg* second = m_second) {
        if (second->isMinimized())
            second->showNormal();
        second->raise();
        second->activateWindow();
        if (second->CurrentModel() != id && second->m_canvas->Core().SaveStoredModel()
            && second->m_canvas->Core().LoadStoredModel(id))
            second->MakeCurrent(id);
        return;
    }
    // The shown model goes to the store first, so the second window reads
    // what this one shows.
    m_canvas->Core().SaveStoredModel();
    auto* second = new CModelerDlg(this, m_store, m_owner, false, id);
    second->SetProject(m_project);
    m_second = second;
    second->show();
}

void CModelerDlg::DuplicateModel()
{
    qint32 id = SelectedModel();
    if (id == 0)
        return;
    WaitCursor wait;
    QString name;
    if (m_canvas->Core().DuplicateStoredModel(id, name))
        AppendModel(id, name, false);
}

void CModelerDlg::DeleteModel()
{
    const qint32 id = SelectedModel();
    if (id == 0 || !m_store)
        return;
    if (!AskYesNo(LoadString(ModelerText::DeleteModelQuestion)))
        return;
    activateWindow();
    WaitCursor wait;
    const bool wasCurrent = id == m_currentModel;
    if (!m_store->DeleteModel(id))
        return;
    {
        QSignalBlocker block(m_models);
        delete ModelItem(id);
    }
    if (wasCurrent) {
        ModelerCanvasCore& core = m_canvas->Core();
        qint32 next = 0;
        if (m_models->count() > 0) {
            next = m_models->item(0)->data(Qt::UserRole).toInt();
            if (!core.LoadStoredModel(next))
                next = 0;
        }
        if (next == 0) {
            QString name;
            next = core.NewModel(name, 0);
            if (next != 0)
                AppendModel(next, name, true);
        }
        MakeCurrent(next);
    }
    UpdateTitle();
}

void CModelerDlg::OpenModelFile()
{
    QString name;
    WaitCursor wait;
    const qint32 id = m_canvas->Core().OpenModelFile(name);
    if (id == 0)
        return;
    AppendModel(id, name, true);
    MakeCurrent(id);
}

void CModelerDlg::ShowPane(bool layers, bool show)
{
    QWidget* parts[3] = {layers ? static_cast<QWidget*>(m_layers) : m_library,
                         layers ? m_layersCaption : m_libraryCaption, layers ? m_layersHelp : m_libraryHelp};
    for (QWidget* part : parts)
        part->setVisible(show);
    Layout();
}

void CModelerDlg::NewLayer()
{
    ModelerCanvasCore& core = m_canvas->Core();
    m_refillingLayers = true;
    const qint32 index = core.AddLayer();
    const ModelLayer& layer = core.Model().Layers[size_t(index)];
    QListWidgetItem* item = nullptr;
    {
        QSignalBlocker block(m_layers);
        item = new QListWidgetItem(layer.Name);
        item->setData(Qt::UserRole, layer.Id);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(layer.Visible ? Qt::Checked : Qt::Unchecked);
        m_layers->addItem(item);
    }
    m_refillingLayers = false;
    m_layers->setCurrentItem(item);
    m_layers->clearSelection();
    item->setSelected(true);
    m_layers->editItem(item);
}

void CModelerDlg::DeleteLayer()
{
    const QList<QListWidgetItem*> selected = m_layers->selectedItems();
    if (selected.isEmpty())
        return;
    const qint32 id = selected.first()->data(Qt::UserRole).toInt();
    if (id == 0 || !m_canvas->DeleteLayer(id))
        return;
    FillLayers();
}

void CModelerDlg::ShowMapSettings()
{
    CPropertiesDlg dialog(this, int(HelpKind::Mapping), 2510, ModelerText::LayersHelpTip, 0);
    dialog.m_strTitle = LoadString(ModelerText::MapSettingsTitle);
    dialog.m_strSection = QStringLiteral("dlgPinwallProperties");
    dialog.SetList(&g_mapsOptions);
    if (dialog.exec() != QDialog::Accepted || !g_mapsOptions.IsModified())
        return;
    if (g_mapsOptions.IsItemModified(MapsOption::SnapToGrid))
        m_canvas->Redraw();
    g_mapsOptions.ClearModified();
    QString error;
    if (!SaveOptionsFile(&error))
        ShowMessage(LoadString(FoundationText::OptionsNotSaved).arg(g_program.OptionsFilePath, error),
                    MessageKind::Error);
}

// Closing

void CModelerDlg::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        m_idleTimer->stop();
        if (m_second)
            m_second->close();
        m_library->Core().SavePinwallLibrary();
        WriteSettings();
        m_canvas->Core().SaveStoredModel();
        if (QWidget* owner = parentWidget())
            owner->activateWindow();
    }
    CResizableDlgBase::closeEvent(event);
}

void CModelerDlg::reject()
{
    // Escape and the close command take the way of closing the window;
    // closing ends in the base's reject, which hides it.
    if (!m_closed)
        close();
    else
        CResizableDlgBase::reject();
}

// Printing

QRect CModelerDlg::PrintTarget(const QRect& page)
{
    const int dx = page.width() / 20;
    const int dy = page.height() / 20;
    return page.adjusted(dx, dy, -dx, -dy);
}

bool CModelerDlg::PrintModel(ModelerCanvasCore& canvas, QWidget* parent)
{
    // An empty model has no extent to fit: nothing to print.
    LayoutModel(canvas.EditModel());
    if (canvas.GetModelBounds().IsEmpty()) {
        ShowMessage(LoadString(ModelerText::PrintEmptyModel));
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!ChoosePrinter(printer, LoadString(ModelerText::PrintJobTitle), parent))
        return false;
    printer.setFromTo(1, 1);
    bool drawn = false;
    const int pages = PrintPages(printer, 1, [&canvas, &printer, &drawn](QPainter& painter, int) {
        const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
        drawn = DrawModelInto(painter, canvas, PrintTarget(page));
    });
    return pages == 1 && drawn;
}
