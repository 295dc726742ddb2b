#include "app/mainframe.h"
#include "panes/logbookdlg.h"
#include "panes/memodlg.h"

#include "app/appids.h"
#include "app/findcommands.h"
#include "app/baseview.h"
#include "app/chartcommands.h"
#include "app/conditioncommands.h"
#include "app/listwindows.h"
#include "app/wordfreqcommands.h"
#include "app/retrievalrequests.h"
#include "app/splash.h"
#include "app/splitterwndex.h"
#include "browser/browserids.h"
#include "browser/mediaplayer.h"
#include "browser/mediatoolbar.h"
#include "browser/mpvideodlg.h"
#include "document/kordoc.h"
#include "exchange/importtexts.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/footswitch/footswitchreader.h"
#include "platform/footswitch/udevmonitor.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/segmentsctrl.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"
#include "ui/commandtoolbar.h"
#include "ui/waitwnd.h"
#include "visual/modelerdlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr int kFrameToolbarId = 128;
constexpr int kWeightFilterPane = 30005;
constexpr int kStatusIntervalMs = 250;
constexpr int kStatusTextMargin = 6;
// A first start leaves a twentieth of the screen free on each side.
constexpr int kFirstStartBorder = 20;
constexpr int kRetrievalSettingsPane = 30008;
const QString kBarStateKey = QStringLiteral("prFrameR/BarState");

struct ViewInfo {
    int bit;
    int paneCommandId;
};
// In the order of the View enum.
constexpr ViewInfo kViews[] = {
    {ViewBit::Blau, CommandId::PaneDocumentTree},
    {ViewBit::White, CommandId::PaneDocumentBrowser},
    {ViewBit::Black, CommandId::PaneRetrievedSegments},
    {ViewBit::Green, CommandId::PaneCodeTree},
};

struct StatusPaneInfo {
    int id;
    int width;
    int tipTextId;
};
constexpr StatusPaneInfo kStatusPanes[] = {
    {30001, 64, 57796}, {30002, 64, 57797}, {30003, 80, 57798}, {30004, 64, 5767},   {30006, 64, 57799},
    {30005, 64, 57697}, {30007, 64, 57800}, {30008, 200, 57801}, {30017, 80, 102078},
};

bool IsSingleView(int mask)
{
    return mask != 0 && (mask & (mask - 1)) == 0;
}

bool PaneLayoutOn()
{
    return g_qdaOptions.GetBool(QdaOption::PaneLayout);
}

// Sizes for a splitter of two children: the first keeps `first` pixels and
// the second takes the rest; growth goes to the second as well.
void SetFirstSize(QSplitter* splitter, int first)
{
    const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
    splitter->setSizes({first, std::max(extent - first - splitter->handleWidth(), 1)});
}

}  // namespace

CMainFrame::CMainFrame(ICommandTarget* app, CKorDoc* document)
    : m_commands(this), m_app(app), m_document(document),
      m_settings(FrameSettings::Load(PrivateProfile(g_program.ProfilePath)))
{
    setWindowTitle(g_program.AppTitle);
    m_commands.SetRoute([this] { return CommandRoute(); });
    m_listWindows = std::make_unique<CListWindows>(this, document);
    m_listWindows->SetOwner(this);
    m_wordFreq = std::make_unique<CWordFreqCommands>(this, document);
    m_wordFreq->ApplyModuleSettings(PrivateProfile(g_program.ProfilePath));
    m_charts = std::make_unique<CChartCommands>(this);
    m_quickCodes.SetTextOf([this](qint32 code, QString& text) {
        const CKorDoc* document = GetDocument();
        const TopicTable* codes = document ? document->GetDatabase().GetTable(TopicId::Codes) : nullptr;
        if (!codes || !codes->HasKey(code))
            return false;
        text = document->GetDatabase().FormatRowDisplay(TopicId::Codes, code, false);
        return true;
    });
    BuildMenus();
    BuildHelpCommands();
    BuildToolCommands();
    BuildStatusBar();
    SetupMediaPlayer();
    BuildPanes();
    ApplyLayout();
    restoreState(QSettings().value(kBarStateKey).toByteArray());
    m_waitHost = std::make_unique<CWaitWndHost>(this);
    m_previousWaitHost = SetWaitWindowHost(m_waitHost.get());
    // At a session's end only the settings are saved: the session may still
    // be cancelled, and the project then stays open and whole.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        StoreSplitterSizes();
        SaveSettings();
    });
    m_commands.StartIdleUpdates();
}

CMainFrame::~CMainFrame()
{
    // The chart windows ask the frame while they go.
    m_charts.reset();
    // The reader thread ends before anything it reports to goes.
    m_footswitch.reset();
    delete m_memoWindow.data();
    delete m_logbook.data();
    delete m_videoDialog.data();
    m_mediaPlayer.reset();
    DestroyBrowser();
    DestroyTrees();
    if (GetWaitWindow() && m_waitHost)
        CloseWaitWindow();
    SetWaitWindowHost(m_previousWaitHost);
}

QList<ICommandTarget*> CMainFrame::CommandRoute()
{
    return {m_activeView, m_activeDocument, this, m_app};
}

void CMainFrame::BuildMenus()
{
    QMenu* file = m_commands.CreateMenu(AppText::MenuFile, this);
    BuildProjectMenu(file);
    QMenu* exports = m_commands.CreateMenu(200006, file);
    for (int id : {612, 613, 614, 616, 611, 658, 618, 619, 620, 621, 622})
        exports->addAction(m_commands.Action(id));
    exports->addAction(m_commands.Action(TableCommand::ExportDocumentVariables));
    exports->addAction(m_commands.Action(TableCommand::ExportCodeVariables));
    file->addMenu(exports);
    QMenu* prints = m_commands.CreateMenu(200007, file);
    for (int id : {600, 602, 604, 606, 608, 610})
        prints->addAction(m_commands.Action(id));
    file->addMenu(prints);
    QMenu* imports = m_commands.CreateMenu(ImportsText::ImportMenu, file);
    for (int id : {TreeCommand::ImportDocuments, ImportsCommand::StructuredTexts, ImportsText::XmlImportCommand})
        imports->addAction(m_commands.Action(id));
    imports->addSeparator();
    imports->addAction(m_commands.Action(TableCommand::ImportDocumentVariables));
    file->insertMenu(exports->menuAction(), imports);
    file->addSeparator();
    file->addAction(m_commands.Action(CommandId::AppExit));
    menuBar()->addMenu(file);
    QMenu* window = m_commands.CreateMenu(AppText::MenuWindow, this);
    const int paneCommands[] = {CommandId::PaneDocumentTree, CommandId::PaneCodeTree, CommandId::PaneDocumentBrowser,
                                CommandId::PaneRetrievedSegments};
    for (int id : paneCommands)
        window->addAction(m_commands.Action(id));
    window->addSeparator();
    for (int id : {ListWindowCommand::DocumentsList, ListWindowCommand::CodesList, ListWindowCommand::CodingsList,
                   ListWindowCommand::MemosList, ListWindowCommand::DocumentVariables,
                   ListWindowCommand::CodeVariables, ListWindowCommand::SearchHitsList,
                   ListWindowCommand::Dictionary})
        window->addAction(m_commands.Action(id));
    window->addAction(m_commands.Action(FrameModelerCommand::Open));
    window->addAction(m_commands.Action(BrowserCommand::CodeToolWindow));
    window->addAction(m_commands.Action(CommandId::RetrievalFunction));
    window->addAction(m_commands.Action(CommandId::ShowSegmentMemos));
    window->addAction(m_commands.Action(33234));
    window->addAction(BuildMediaToolBar()->toggleViewAction());
    window->addAction(m_commands.Action(ConditionCommand::ActivateDocuments));
    window->addAction(m_commands.Action(ConditionCommand::InterCoder));
    menuBar()->addMenu(window);
    QMenu* analysis = m_commands.CreateMenu(FindText::AnalysisMenu, this);
    for (int id : {FindCommand::Find, FindCommand::FindExtended})
        analysis->addAction(m_commands.Action(id));
    analysis->addSeparator();
    for (int id : {FindCommand::Crosstabs, FindCommand::QuoteMatrix})
        analysis->addAction(m_commands.Action(id));
    analysis->addSeparator();
    for (int id : {WordFreqCommand::WordCounter, WordFreqCommand::GoList, WordFreqCommand::TagCloud,
                   WordFreqCommand::StopList})
        analysis->addAction(m_commands.Action(id));
    analysis->addSeparator();
    analysis->addAction(m_commands.Action(ChartFrameCommand::Typology));
    menuBar()->addMenu(analysis);
    m_commands.Action(WordFreqCommand::FrequencyVariables);  // by its key only
    QMenu* visual = m_commands.CreateMenu(kVisualMenuTextId, this);
    for (int id : {ChartFrameCommand::CodeMatrix, ChartFrameCommand::CodeRelations, ChartFrameCommand::Sequence,
                   ChartFrameCommand::Comparison})
        visual->addAction(m_commands.Action(id));
    menuBar()->addMenu(visual);
    QMenu* help = m_commands.CreateMenu(AppText::MenuHelp, this);
    help->addAction(m_commands.Action(CommandId::AppAbout));
    menuBar()->addMenu(help);
    BuildOptionsMenus(help);

    // The frame's own bars start at their edge.
    auto* bar = new CommandToolBar(LoadString(AppText::FrameToolbar), this);
    bar->SetIndent(0);
    addToolBar(bar);
    bar->setObjectName(QStringLiteral("IDT_FRAME_%1").arg(kFrameToolbarId));
    for (int id : paneCommands)
        bar->addAction(m_commands.Action(id));
    bar->addSeparator();
    m_quickCodeCombo = new QComboBox(bar);
    m_quickCodeCombo->setMinimumContentsLength(24);
    m_quickCodeCombo->setModel(&m_quickCodes);
    bar->addWidget(m_quickCodeCombo);
    connect(&m_quickCodes, &CQuickCodeList::SelectionChanged, m_quickCodeCombo, &QComboBox::setCurrentIndex);
    connect(m_quickCodeCombo, &QComboBox::activated, &m_quickCodes, &CQuickCodeList::SelectRow);
    bar->addSeparator();
    bar->addAction(m_commands.Action(FindCommand::Find));
}

void CMainFrame::BuildStatusBar()
{
    for (const StatusPaneInfo& info : kStatusPanes) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QString::number(info.id));
        pane->setMinimumWidth(info.width);
        pane->setToolTip(LoadString(info.tipTextId));
        pane->installEventFilter(this);
        statusBar()->addPermanentWidget(pane, info.id == kRetrievalSettingsPane ? 1 : 0);
    }
    statusBar()->setMinimumHeight(20);
    StatusPane(30017)->setText(QStringLiteral("1 / 1"));
    // The counts follow activations from anywhere: refreshed when idle.
    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(kStatusIntervalMs);
    connect(m_statusTimer, &QTimer::timeout, this, &CMainFrame::UpdateStatusBar);
    m_statusTimer->start();
}

void CMainFrame::UpdateStatusBar()
{
    CKorDoc* document = GetDocument();
    const bool open = document && document->GetEngine();
    const auto set = [this](int id, const QString& text) {
        QLabel* pane = StatusPane(id);
        if (!pane || pane->text() == text)
            return;
        pane->setText(text);
        // A pane grows to its text rather than cutting it.
        const int needed = pane->fontMetrics().horizontalAdvance(text) + 2 * kStatusTextMargin;
        if (needed > pane->minimumWidth())
            pane->setMinimumWidth(needed);
    };
    if (!open) {
        for (const int id : {30001, 30002, 30003, 30004, 30005, kRetrievalSettingsPane})
            set(id, QString());
        return;
    }
    const OptionsRecord& settings = document->GetRetrievalSettings();
    set(30001, QString::number(document->GetActivatedCount(TopicId::Documents)));
    set(30002, QString::number(document->GetActivatedCount(TopicId::Codes)));
    set(30003, QString::number(m_segments ? m_segments->GetSegmentCount()
                                          : document->GetActivatedCount(TopicId::Codings)));
    set(30004, QString::number(g_qdaOptions.GetInt(QdaOption::DefaultWeight)));
    set(30005, settings.weightFilter
                   ? QStringLiteral("%1 - %2").arg(settings.weightMinimum).arg(settings.weightMaximum)
                   : QString());
    set(kRetrievalSettingsPane, settings.Describe(true));
}

QLabel* CMainFrame::StatusPane(int indicatorId) const
{
    return statusBar()->findChild<QLabel*>(QString::number(indicatorId));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* pane = qobject_cast<QLabel*>(watched); pane && pane->parentWidget() == statusBar()) {
            const int id = pane->objectName().toInt();
            const int x = int(static_cast<QMouseEvent*>(event)->position().x());
            const int area = id == kRetrievalSettingsPane ? 128 : id == kWeightFilterPane ? 60 : 36;
            if (x < area)
                emit StatusPaneDoubleClicked(id, id == kWeightFilterPane && x > area - 40 ? 1 : 0);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::BuildPanes()
{
    BuildTrees();
    BuildBrowser();
    BuildSegmentsPane();

    m_splitA = new CSplitterWndEx(Qt::Horizontal, this);
    m_splitB = new CSplitterWndEx(Qt::Vertical, m_splitA);
    m_splitC = new CSplitterWndEx(Qt::Vertical, m_splitA);
    m_splitA->addWidget(m_splitB);
    m_splitA->addWidget(m_splitC);
    for (int view = 0; view < ViewCount; ++view) {
        m_views[view] = new CBaseView(kViews[view].paneCommandId);
        connect(m_views[view], &CBaseView::HideRequested, this, &CMainFrame::HideView);
        connect(m_views[view], &CBaseView::MaximiseRequested, this, &CMainFrame::MaximiseView);
    }
    m_splitB->addWidget(m_views[Blau]);
    m_splitB->addWidget(m_views[Green]);
    m_splitC->addWidget(m_views[White]);
    m_splitC->addWidget(m_views[Black]);
    for (QSplitter* splitter : {static_cast<QSplitter*>(m_splitA), static_cast<QSplitter*>(m_splitB),
                                static_cast<QSplitter*>(m_splitC)}) {
        splitter->setStretchFactor(0, 0);
        splitter->setStretchFactor(1, 1);
    }
    setCentralWidget(m_splitA);
    ConnectPaneCaptions();
}

int CMainFrame::BitOf(View view)
{
    return kViews[view].bit;
}

CBaseView* CMainFrame::ViewOf(int paneCommandId) const
{
    for (int view = 0; view < ViewCount; ++view)
        if (kViews[view].paneCommandId == paneCommandId)
            return m_views[view];
    return nullptr;
}

QWidget* CMainFrame::GetPaneWindow(int paneCommandId) const
{
    const bool on = PaneLayoutOn();
    switch (paneCommandId) {
    case CommandId::PaneDocumentTree: return on ? DocumentTreeWidget() : BrowserWidget();        // Blau
    case CommandId::PaneDocumentBrowser: return on ? BrowserWidget() : DocumentTreeWidget();     // White
    case CommandId::PaneRetrievedSegments: return on ? static_cast<QWidget*>(m_segments) : CodeTreeWidget();      // Black
    case CommandId::PaneCodeTree: return on ? CodeTreeWidget() : static_cast<QWidget*>(m_segments);               // Green
    default: return nullptr;
    }
}

CMainFrame::View CMainFrame::HostOf(int contentCommandId) const
{
    // The pane commands name contents; which view hosts one depends on option 12.
    const bool on = PaneLayoutOn();
    switch (contentCommandId) {
    case CommandId::PaneDocumentTree: return on ? Blau : White;
    case CommandId::PaneCodeTree: return on ? Green : Black;
    case CommandId::PaneDocumentBrowser: return on ? White : Blau;
    default: return on ? Black : Green;   // the retrieved segments
    }
}

void CMainFrame::ApplyLayout()
{
    const int mask = m_settings.viewState;
    const auto shown = [mask](View view) { return (mask & BitOf(view)) != 0; };
    for (int view = 0; view < ViewCount; ++view) {
        CBaseView* host = m_views[view];
        QWidget* pane = GetPaneWindow(kViews[view].paneCommandId);
        host->SetPane(pane, pane ? pane->windowTitle() : QString());
        host->setVisible(shown(View(view)));
        host->SetMaximised(m_settings.buttonState == 0);
    }
    const bool left = shown(Blau) || shown(Green);
    const bool right = shown(White) || shown(Black);
    m_splitB->setVisible(left);
    m_splitC->setVisible(right);
    // Two views of one column alone stand side by side, the left one as wide
    // as the left column.
    m_splitB->setOrientation(!right && shown(Blau) && shown(Green) ? Qt::Horizontal : Qt::Vertical);
    m_splitC->setOrientation(!left && shown(White) && shown(Black) ? Qt::Horizontal : Qt::Vertical);
    if (left && right)
        SetFirstSize(m_splitA, m_settings.splitter1);
    for (const auto& [splitter, rowHeight] : {std::pair{m_splitB, m_settings.splitter3}, std::pair{m_splitC, m_settings.splitter2}}) {
        if (splitter->widget(0)->isHidden() || splitter->widget(1)->isHidden())
            continue;
        SetFirstSize(splitter, splitter->orientation() == Qt::Horizontal ? m_settings.splitter1 : rowHeight);
    }
}

void CMainFrame::StoreSplitterSizes()
{
    if (!isVisible())
        return;
    const auto take = [](QSplitter* splitter, int& value) {
        if (splitter->isHidden() || splitter->widget(0)->isHidden() || splitter->widget(1)->isHidden())
            return;
        const int first = splitter->sizes().value(0);
        if (first > 0)
            value = first;
    };
    take(m_splitA, m_settings.splitter1);
    take(m_splitB, m_splitB->orientation() == Qt::Horizontal ? m_settings.splitter1 : m_settings.splitter3);
    take(m_splitC, m_splitC->orientation() == Qt::Horizontal ? m_settings.splitter1 : m_settings.splitter2);
}

void CMainFrame::ArrangePanes(int viewBit, bool fromUser)
{
    StoreSplitterSizes();
    const int mask = m_settings.viewState ^ viewBit;
    if (mask == 0)
        return;   // the last visible view stays
    m_settings.viewState = mask;
    if (IsSingleView(mask)) {
        m_settings.buttonState = 0;
        if (fromUser)
            m_settings.oldViewState = mask | viewBit;
    }
    ApplyLayout();
}

void CMainFrame::HideView(int paneCommandId)
{
    for (int view = 0; view < ViewCount; ++view)
        if (kViews[view].paneCommandId == paneCommandId)
            ArrangePanes(kViews[view].bit, true);
}

void CMainFrame::MaximiseView(int paneCommandId)
{
    CBaseView* requester = ViewOf(paneCommandId);
    if (!requester)
        return;
    if (m_settings.buttonState == 1) {
        m_settings.oldViewState = m_settings.viewState;
        m_settings.buttonState = 0;
        for (int view = 0; view < ViewCount; ++view)
            if (m_views[view] != requester && (m_settings.viewState & kViews[view].bit))
                ArrangePanes(kViews[view].bit, false);
    } else {
        m_settings.buttonState = 1;
        const View fromBlau[] = {Blau, White, Black, Green};
        const View fromOther[] = {Green, White, Black, Blau};
        for (View view : requester == m_views[Blau] ? fromBlau : fromOther)
            if ((m_settings.oldViewState & BitOf(view)) && !(m_settings.viewState & BitOf(view)))
                ArrangePanes(BitOf(view), false);
    }
    ApplyLayout();
    if (QWidget* pane = requester->Pane())
        pane->setFocus();
}

bool CMainFrame::OnCommand(int id)
{
    if (OnFindCommand(id) || OnHelpCommand(id))
        return true;
    if (m_wordFreq->OnCommand(id))
        return true;
    if (OnMemoCommand(id))
        return true;
    if (m_charts->OnCommand(id))
        return true;
    switch (id) {
    case CommandId::PaneDocumentTree:
    case CommandId::PaneCodeTree:
    case CommandId::PaneDocumentBrowser:
    case CommandId::PaneRetrievedSegments:
        m_settings.buttonState = 1;
        ArrangePanes(BitOf(HostOf(id)), true);
        return true;
    case FrameModelerCommand::Open:
        OnModeler();
        return true;
    default:
        if (OnOptionsCommand(id))
            return true;
        if (OnToolCommand(id))
            return true;
        return OnProjectCommand(id) || OnDialogCommand(id) || OnMediaCommand(id) || OnRetrievalCommand(id) || OnPrintCommand(id) || OnBrowserCommand(id) || OnContextCommand(id) || OnTreeCommand(id) || m_listWindows->OnCommand(id);
    }
}

bool CMainFrame::OnUpdateCommand(CCmdUI& ui)
{
    if (OnUpdateFindCommand(ui) || OnUpdateHelpCommand(ui))
        return true;
    if (m_wordFreq->OnUpdateCommand(ui))
        return true;
    if (OnUpdateMemoCommand(ui))
        return true;
    if (m_charts->OnUpdateCommand(ui))
        return true;
    switch (ui.id) {
    case CommandId::PaneDocumentTree:
    case CommandId::PaneCodeTree:
    case CommandId::PaneDocumentBrowser:
    case CommandId::PaneRetrievedSegments:
        // The last pane shown cannot be hidden: its toggle rests.
        ui.Enable(m_settings.viewState != BitOf(HostOf(ui.id)));
        ui.SetCheck((m_settings.viewState & BitOf(HostOf(ui.id))) != 0);
        return true;
    case FrameModelerCommand::Open:
        ui.Enable(true);
        return true;
    default:
        if (OnUpdateOptionsCommand(ui))
            return true;
        if (OnUpdateToolCommand(ui))
            return true;
        return OnUpdateProjectCommand(ui) || OnUpdateDialogCommand(ui) || OnUpdateMediaCommand(ui) || OnUpdateRetrievalCommand(ui) || OnUpdatePrintCommand(ui) || OnUpdateBrowserCommand(ui) || OnUpdateContextCommand(ui) || OnUpdateTreeCommand(ui)
               || m_listWindows->OnUpdateCommand(ui);
    }
}

bool CMainFrame::SaveSettings()
{
    if (g_program.ProfilePath.isEmpty())
        return false;
    m_settings.placement.showCommand = isMaximized() ? WindowPlacement::Maximised : WindowPlacement::Normal;
    if (normalGeometry().isValid())
        m_settings.placement.normal = normalGeometry();
    QSettings().setValue(kBarStateKey, saveState());
    PrivateProfile profile(g_program.ProfilePath);
    const bool wordFreqSaved = m_wordFreq->SaveSettings(profile);
    return m_settings.Save(profile) && wordFreqSaved;
}

void CMainFrame::ShowWithPlacement()
{
    const QRect normal = m_settings.placement.normal;
    const QScreen* screen = QGuiApplication::screenAt(normal.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen && !m_settings.placement.kept) {
        // A first start: most of the screen, also where no window manager
        // maximises the frame.
        const QRect available = screen->availableGeometry();
        m_settings.placement.normal = available.adjusted(available.width() / kFirstStartBorder, available.height() / kFirstStartBorder,
                                                         -available.width() / kFirstStartBorder,
                                                         -available.height() / kFirstStartBorder);
        setGeometry(m_settings.placement.normal);
    } else if (screen) {
        setGeometry(WindowPlacement::FitToScreen(normal, screen->availableGeometry()));
    }
    if (m_settings.placement.showCommand == WindowPlacement::Maximised)
        showMaximized();
    else
        showNormal();
    ApplyLayout();
}

void CMainFrame::StartDeferred(const QString& pendingProject, int delayMs)
{
    QTimer::singleShot(delayMs, this, [this, pendingProject] { DeferredStartup(pendingProject); });
}

void CMainFrame::DeferredStartup(const QString& pendingProject)
{
    // Nothing modal may open under the splash.
    CSplash::CloseSplash();
    QString path = pendingProject;
    if (path.isEmpty())
        path = m_projectPrompt ? m_projectPrompt() : RunStartDialog();
    if (path.isEmpty() || !OpenProject(path)) {
        emit StartupFinished(false);
        close();
        return;
    }
    StartupUpdateCheck();
    emit StartupFinished(true);
}

void CMainFrame::AddToRecentList(const QString& path)
{
    QStringList& recent = m_settings.recentProjects;
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > FrameSettings::kMaxRecent)
        recent.removeLast();
    SaveRecentList();
}

void CMainFrame::SaveRecentList()
{
    // Written at once: a crash or a second program must not lose it.
    if (g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile profile(g_program.ProfilePath);
    m_settings.SaveRecent(profile);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Work under the wait window is still running on this thread.
    if (GetWaitWindow()) {
        event->ignore();
        return;
    }
    StoreSplitterSizes();
    CloseProjectUI();
    SaveSettings();
    if (m_document)
        m_document->CloseDatabase();
    if (m_mediaPlayer)
        m_mediaPlayer->Release();
    event->accept();
}
