#pragma once

#include "app/codetoollistener.h"
#include "app/commandtable.h"
#include "app/contextmenus.h"
#include "app/framesettings.h"
#include "app/quickcodes.h"
#include "browser/browseritems.h"
#include "document/documentframe.h"
#include "document/listnotifyinfo.h"
#include "foundation/colorhelpers.h"
#include "foundation/commandtarget.h"
#include "panes/objectlistwindow.h"

#include <QMainWindow>
#include <QMenu>
#include <QHash>
#include <QPointer>
#include <QColor>

#include <array>
#include <functional>
#include <memory>

class CBaseView;
class CTipDlg;
class QToolBar;
class CMediaPlayer;
class CMediaToolBar;
class CMPVideoDlg;
class CModelerDlg;
class CChartCommands;
class FootswitchReader;
class IReportSource;
class UdevMonitor;
class CodeToolBarDlg;
class CKorDoc;
class TextCoderWindow;
struct CodingRecord;
struct CSearchOptions;
struct DropNotifyInfo;
struct IdListNotifyInfo;
class CListWindows;
class CWordFreqCommands;
class CObjTreeCtrl;
class CRetrievalFunctionDlg;
class CRetrievalRequests;
class SegmentsCtrl;
class QTimer;
class IFrameBrowser;
class CTreePaneBase;
class TreePaneWindow;
class CSplitterWndEx;
class CWaitWndHost;
class IWaitWindowHost;
class ProjectDataEngine;
class QComboBox;
class QLabel;
class RowBuffer;
class CPropertyList;
class CMemoDlg;
class CLogbookDlg;
class TopicDatabase;

/// @short The program's main window: menus and toolbar made from the
/// command table, the status bar, and the four pane views in three
/// splitters, laid out by the `ViewState` mask.
///
/// Splitter A holds two columns; B (left) holds the document tree's view
/// over the code tree's, C (right) the browser's over the retrieved
/// segments' (with option 12 on; off, the columns trade contents). A column
/// or row without a visible view disappears; two views of the same column
/// alone stand side by side. Hiding the last visible view is refused.
/// Commands pass the active view, its document, the frame and the
/// application, in this order.
class CMainFrame : public QMainWindow, public ICommandTarget, public IListWindowOwner, public IDocumentFrame {
    Q_OBJECT
public:
    /// Views in the order of their bits: Blau, White, Black, Green.
    enum View { Blau, White, Black, Green, ViewCount };
    /// The status bar's panes, by indicator id, left to right.
    static constexpr std::array<int, 9> kStatusPaneIds = {30001, 30002, 30003, 30004, 30006,
                                                          30005, 30007, 30008, 30017};

    /// `app` is the last target of the route, `document` the kept project
    /// document; both may be null (tests) and are not owned. Settings are
    /// read from the profile of g_program.
    explicit CMainFrame(ICommandTarget* app = nullptr, CKorDoc* document = nullptr);
    ~CMainFrame() override;

    CCommandManager& Commands() { return m_commands; }
    /// The targets a command passes, in order; null slots are skipped.
    QList<ICommandTarget*> CommandRoute();
    /// The view that has the focus and its document; null when none.
    void SetActiveView(ICommandTarget* view) { m_activeView = view; }
    void SetActiveDocument(ICommandTarget* document) { m_activeDocument = document; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    // ---- Panes --------------------------------------------------------------
    int ViewState() const { return m_settings.viewState; }
    int OldViewState() const { return m_settings.oldViewState; }
    int ButtonState() const { return m_settings.buttonState; }
    CBaseView* ViewAt(View view) const { return m_views[view]; }
    /// The view with a pane command id (32769 to 32772); null for others.
    CBaseView* ViewOf(int paneCommandId) const;
    /// The pane a view command id hosts under the current option 12.
    QWidget* GetPaneWindow(int paneCommandId) const;
    /// Shows or hides one view (by its bit), as the pane commands do.
    /// `fromUser`: a one-view result remembers the views to restore.
    void ArrangePanes(int viewBit, bool fromUser);
    /// The caption's hide button: hides the view.
    void HideView(int paneCommandId);
    /// The caption's maximise button: shows the view alone, or brings the
    /// remembered views back when one is maximised.
    void MaximiseView(int paneCommandId);
    /// Reads the current splitter sizes into the settings.
    void StoreSplitterSizes();

    // ---- Settings and life cycle --------------------------------------------
    const FrameSettings& Settings() const { return m_settings; }
    /// Saves every frame value and the toolbar layout; false when the
    /// profile could not be written.
    bool SaveSettings();
    /// Shows the frame where it was last, maximised or not; a placement off
    /// the screens present is moved onto the primary screen.
    void ShowWithPlacement();
    /// Asks for a project when the command line named none, in place of the
    /// start dialog. Empty means cancelled.
    void SetProjectPrompt(std::function<QString()> prompt) { m_projectPrompt = std::move(prompt); }
    /// After the frame shows: opens `pendingProject`, or the prompted one;
    /// without one the program ends.
    void StartDeferred(const QString& pendingProject, int delayMs = 200);
    QLabel* StatusPane(int indicatorId) const;
    /// The quick-code list, also while no bar shows it.
    CQuickCodeList& QuickCodes() { return m_quickCodes; }
    QComboBox* QuickCodeCombo() const { return m_quickCodeCombo; }
    /// The document kept since the frame was made.
    CKorDoc* Document() const { return m_document; }
    TreePaneWindow* DocumentTree() const { return m_documentTree; }
    CObjTreeCtrl* CodeTree() const { return m_codeTree; }
    /// The object-list windows and their commands.
    CListWindows& ListWindows() { return *m_listWindows; }
    CWordFreqCommands& WordFreqCommands() { return *m_wordFreq; }
    /// The chart windows and their commands.
    CChartCommands& ChartCommands() { return *m_charts; }

    // ---- The trees' commands (mainframe_treecommands.cpp) --------------------
    /// The colour filter of codes (8) or documents (5): the dialog, then the
    /// document activates by the new filter. Other topics do nothing.
    void OnEditIdList(qint32 topic);

    // ---- Retrieved segments (mainframe_segments.cpp) ------------------------
    SegmentsCtrl* Segments() const { return m_segments; }
    /// Brings the open retrieval-function dialog to the front, or opens one
    /// on the document's settings; nothing without a document.
    void OpenRetrievalFunctionDialog();
    /// The open dialog; null when none.
    CRetrievalFunctionDlg* RetrievalFunctionDialog() const;

    // ---- Requests of the panes (mainframe_router.cpp) -------------------------
    /// The open project's document; null while no project is open, and then
    /// no request is answered.
    CKorDoc* GetDocument() const;
    /// Answers a request record by its code; false when nothing was routed
    /// (no project is open, or a code nobody answers), and the answer
    /// fields then keep the sender's presets.
    bool RouteRequest(NotifyHead& record);
    void Request(NotifyHead& record) override { RouteRequest(record); }
    /// The running program and the open project's file; empty while none
    /// is open.
    QString ProjectIdentity() const override;
    /// A frame handler for a code the router hands on unchanged (opening an
    /// item, performing a drop); an empty one removes it.
    using RequestHandler = std::function<void(NotifyHead& record)>;
    void SetRequestHandler(RequestCode code, RequestHandler handler);
    /// The drop test: writes the answer (0 refused, 1 copy, 2 move) and
    /// returns whether it is not 0.
    bool TestDrop(DropNotifyInfo& info);
    /// The document browser; not owned, null while there is none.
    void SetBrowser(IFrameBrowser* browser) { m_browserAccess = browser; }
    IFrameBrowser* Browser() const { return m_browserAccess; }
    /// The node of the last context menu, for the command that follows.
    ContextTarget& GetContextTarget() { return m_contextTarget; }
    /// The main Modeler window; null while none is open.
    CModelerDlg* ModelEditor() const;
    /// What the context commands remember between two commands.
    ContextClipboard& GetContextClipboard() { return m_contextClipboard; }
    /// The context menu of a menu id adjusted to the stored target, shown at
    /// the point (screen coordinates). Its commands run through the command
    /// route when chosen.
    void ShowContextMenu(int menuId, QPoint point);
    /// The context menu shown last while it is open; null otherwise.
    QMenu* ShownContextMenu() const { return m_contextMenu; }

    // ---- Project commands (projectcommands.cpp, fileprompts.cpp) ------------
    /// The file prompt of a file-type code (ProjectFileType); the chosen
    /// path, empty when cancelled or refused.
    QString PromptForFile(const QString& fileName, int fileType);
    /// Moves the path to the front of the recent projects, at most ten.
    void AddToRecentList(const QString& path);
    /// Writes the recent-projects list to the profile now.
    void SaveRecentList();
    /// Converts a word-processor file into RTF at target through LibreOffice;
    /// false (with a message saying why) when no RTF was made.
    bool ConvertWithWordProcessor(const QString& source, const QString& target);
    /// The same, reporting to the caller instead: false, with the reason in
    /// error, when no RTF was made; nothing is shown.
    bool ConvertWithWordProcessor(const QString& source, const QString& target, QString& error);
    /// Converts the sources into RTF at their targets in one LibreOffice run
    /// (more where sources share a name), each result checked on its own:
    /// true where a target got its RTF, else false with the reason in errors
    /// (one entry per source). Nothing is shown.
    QList<bool> ConvertManyWithWordProcessor(const QStringList& sources, const QStringList& targets,
                                             QStringList& errors);
    /// Imports pre-structured rich-text and Word files into the group (0:
    /// top level), each file all or nothing (command 20019).
    void ImportStructuredTexts(qint32 group);
    /// Makes a new project beside an exported XML project (its name, made
    /// unique, with the project extension) and imports the file into it.
    bool ImportXmlProject(const QString& path);
    /// Asks for an exported XML project and imports it (File, Import).
    void OnImportXmlProject();
    /// Imports files and folders as documents into the group (0: top level);
    /// without paths the user is asked for files. `paths` and `ids` as
    /// DocumentFileImport::Run takes them. Nothing without an open project.
    void ImportDocumentFiles(qint32 group, QStringList* paths, QList<qint32>* ids, bool noSizeQuestion);
    /// The group that takes documents imported on a node of the document
    /// tree: the group itself, a document's group, else the top level.
    qint32 ImportGroupOf(qint32 nodeKind, qint32 id) const;
    /// Writes the stop list as UTF-16 text; false (with a message) when the
    /// file cannot be written.
    bool SaveWordListText(const QString& path);
    /// Reads the stop list from a text file; false when it cannot be read.
    bool LoadWordList(const QString& path);
    void OnNewProject();
    /// Merges another project into the open one (all or nothing).
    void OnAddProject();
    void OnOpenProject();
    void OnBackupProject();
    /// Opens entry 1 to 5 of the recent list (commands 33028 to 33032).
    void OnOpenRecent(int commandId);
    /// Tears the project's windows down before another project loads.
    void CloseProjectUI() override;
    /// Offers the automatic backup when it is due.
    void BackupProject();
    /// The folder of the last opened project.
    const QString& LastProjectFolder() const { return m_lastProjectFolder; }

    // ---- External files and the stripes' display options (mainframe_dialogs.cpp)
    /// Collects the project's external files and lists them in their dialog.
    void OnShowExternals();
    /// Writes the found external files into "<project file>.zip" and reports
    /// what was archived and what could not be, or that there was nothing.
    void OnArchiveExternals();
    /// Opens the display options of the browser's stripes at the point
    /// (screen coordinates); the popup applies them itself.
    void ShowDisplayOptions(QPoint point);

    // ---- Document browser (mainframe_browser.cpp) -----------------------------
    /// The document browser's window; null only while the frame is built
    /// or destroyed.
    TextCoderWindow* BrowserWindow() const { return m_browser; }
    /// Writes the browser's edited text and every coding, memo, link and
    /// time mark it moved back in one transaction; false when the browser
    /// was not editing or the project could not take the edit (then the
    /// browser stays in edit mode and the user is told).
    bool CommitBrowserEdits();
    /// A drop request (-206): the drop test (TestDrop) answers it; a
    /// performed drop runs the action of its pair of kinds. Pairs the test
    /// admits but no operation of the project carries out are refused.
    void OnDropRequest(DropNotifyInfo& info);
    /// An open request (-205) of a document, set member, coding, paragraph
    /// or media mark.
    void OnRequestOpenItem(IdListNotifyInfo& info);
    /// Codes the browser's selection with the code (the code tool window,
    /// the quick-code list).
    void OnCodeSelectionWith(qint32 code);
    /// Makes a code of the selected words and codes the selection with it.
    void OnCodeInVivo();
    /// Asks for a new code and codes the selection with it.
    void OnCodeWithNewCode();
    /// Asks for a new code and codes every retrieved segment with it.
    void CodeRetrievedSegmentsWithNewCode();
    /// Codes every retrieved segment with a quick code and a weight the
    /// coding options dialog confirms.
    void CodeRetrievedSegments();
    /// Codes the segments of the codings (the selection of the codings
    /// list) once more with a quick code and a weight the coding options
    /// dialog confirms.
    void OnCodeSelectedSegments(const QList<qint32>& codings);
    /// The codings list asks to code its selected rows; other messages of
    /// the lists are not taken yet.
    void ListMessage(ObjectListWindow* window, int message, const QList<qint32>& keys, const QString& path) override;
    /// Shows the document with the paragraph at the top.
    void OnGoToDocumentParagraph(int paragraph, qint32 document);
    /// Follows a link: an external target is opened, an anchor is shown;
    /// link 0 opens the address the browser found in its text.
    void OpenLinkTarget(qint32 link, bool external);
    /// A chart window's request (tool kind 0-5, action): action 2 exports
    /// the code matrix's or crosstab's table, 0 recounts the code
    /// relations, any other rebuilds the tool through its command. Always 0.
    qint32 OnRefreshToolWindows(qint32 kind, qint32 action);
    /// The search of a find command after its dialog: the hits in the
    /// search-hit list, or the memos found in the memo list.
    void RunFind(const CSearchOptions& options, bool extended);
    /// Opens the code tool window on the project's favourite codes, or
    /// brings it to the front.
    void ShowCodeToolWindow();
    /// The open code tool window; null when none.
    CodeToolBarDlg* CodeToolWindow() const;

    // ---- What the project document asks of the frame --------------------------
    bool SetWindowTitle(const QString& title) override;
    void CommitDocumentEdits() override { CommitBrowserEdits(); }
    void LoadMediaFile(const QString& fileName) override { LoadMedia(fileName); }
    /// The paragraph margin's green dots: the open document's links to
    /// ".kml" files, while the margin's geo-link strip shows.
    void RebuildGeoLinkList() override;
    void RefreshBrowser() override;

    // ---- Media player and foot switch (mainframe_media.cpp) --------------------
    /// Puts the shown document's media file into the player, or empties it
    /// (empty path), and keeps the toolbar, the mark list, the video window
    /// and the browser's time-mark column in step. False without an open
    /// project.
    bool LoadMedia(const QString& fileName);
    CMediaPlayer* MediaPlayer() const { return m_mediaPlayer.get(); }
    CMediaToolBar* MediaToolBar() const { return m_mediaBar; }
    /// The video window; null until it is first needed.
    CMPVideoDlg* VideoWindow() const;
    /// The time marks the browser shows for the player's transcript.
    const QList<TimeMarkItem>& TimeMarks() const { return m_timeMarks; }
    /// A foot-switch event (FootswitchReader::Event; 99 inserts a time
    /// stamp when the option allows).
    void OnFootswitch(int event);
    /// The position timer's tick: position text, slider, and the mark
    /// broadcast when the current mark changed.
    void OnMediaPositionTimer();
    /// Reads the pedal from another source (tests); restarts the reader.
    void SetFootswitchSource(std::unique_ptr<IReportSource> source);
    FootswitchReader* Footswitch() const { return m_footswitch.get(); }
    /// Writes the counts and the retrieval state of the open project into
    /// the status bar's panes (run on the idle timer too); empty panes
    /// without a project.
    void UpdateStatusBar();

    // ---- Help, formatting, toolbars, languages, navigation (mainframe_help.cpp)
    /// Switches the browser's text to editing and the main toolbar to its
    /// editing buttons; false when it was editing already or cannot edit.
    bool EnterEditMode();
    bool IsEditMode() const;
    /// The toolbar of a bar id (128, 149, 254, 278, 285); null for the bars
    /// that are never made (145, 146, 148) and other ids.
    QToolBar* ToolbarOf(int barId) const;
    /// The main toolbar shows its editing buttons.
    bool ToolbarInEditMode() const { return m_toolbarEditing; }
    /// The tip of the day, open or not.
    CTipDlg* TipWindow() const;
    /// After start-up: the tip of the day while the profile asks for it.
    void ShowTipsAtStartUp();
    /// The view whose pane holds the focus; null when none.
    CBaseView* ActiveView() const;

    // ---- Memo window and logbook (mainframe_memos.cpp) -------------------------
    /// Shows the memo in the memo window, made when none is open, and
    /// brings the window to the front; nothing without a project.
    void OpenMemo(qint32 memo);
    /// A new free memo in the memo window.
    void NewFreeMemo();
    /// The open memo window; null when none.
    CMemoDlg* MemoWindow() const;
    /// Opens the logbook window or brings it to the front.
    void OnShowLogbook();
    /// The open logbook; null when none.
    CLogbookDlg* LogbookWindow() const;
    /// Writes the logbook's text as the project's "LOG"; false when refused.
    bool OnRequestWriteLog(const QByteArray& rtf);
    /// Closes the memo's tab in the memo window, storing it first with
    /// store; true when it has none. False when the store failed.
    bool CloseMemoTab(qint32 memo, bool store);

    // ---- The program's settings (mainframe_options.cpp) ------------------------
    /// The program options in the properties dialog, then what follows from
    /// the changed ones (ApplyProgramOptions).
    void OnOptions();
    /// The follow-ups of changed program options, in order: code-tree check
    /// column, status bar, externals folder (made, its files moved or
    /// copied after a question), one restart notice, the default weight
    /// rewritten in the codings, the player's rate and rewind, the options
    /// file saved; the marks are cleared.
    void ApplyProgramOptions(const QString& previousExternalsFolder, qint32 previousDefaultWeight);
    /// The dictionary options; changed separators apply at once.
    void OnQntOptions();
    /// The print and export options; the options file is saved when they changed.
    void OnOptionsLayout();
    /// Writes the language and restarts with the open project after an
    /// ordinary close; the current language does nothing.
    void OnLanguage(int commandId);
    void OnUserName();
    /// The search-hit extent of the retrieval settings; true after OK.
    bool OnSpinSettings();
    /// Whether the last extent dialog ended with OK (the lists ask it).
    static bool SpinSettingsChanged();
    /// Search hits ask for the extent before they are coded or exported.
    bool ListCommand(ObjectListWindow* window, int commandId) override;
    /// Asks the release server for a newer release; quiet shows nothing
    /// unless one is offered.
    void CheckForUpdate(bool quiet);
    /// The properties of a document (kind 5) in the properties dialog.
    void ShowTextProperties(qint32 nodeKind, qint32 item);

    // ---- Memo lists, activation, coding actions, links and tools (mainframe_tools.cpp)
    /// The popup of recent coding actions or of co-occurring codes while it
    /// is open; null otherwise.
    QMenu* ShownToolPopup() const { return m_toolPopup; }
    /// The recent coding actions, newest first, each entry removing the
    /// action it shows; nothing without one.
    void ShowUncodePopup(QPoint point);
    /// The codes that co-occur most with the code, to retrieve a pair.
    void ShowCooccurrencePopup(qint32 code, QPoint point);
    /// The memos the user wrote: scope 0 all, 1 of codes, 2 at places in
    /// documents (author compared without case), in store order.
    static QList<qint32> MemosOfUser(const TopicDatabase& db, int scope);

signals:
    /// A double click on the left part of a status-bar pane (128 pixels of
    /// the retrieval settings, 60 of the weight filter, 36 of the others):
    /// its indicator id, and 1 on the weight filter's right 40 pixels.
    void StatusPaneDoubleClicked(int indicatorId, int flag);
    /// The deferred start-up ended with the project open (true) or none.
    void StartupFinished(bool projectOpen);

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildHelpCommands();
    void BuildFormatBar(QToolBar* bar);
    QToolBar* AddFrameBar(int barId, int captionTextId, const QList<int>& commands);
    bool OnHelpCommand(int id);
    bool OnUpdateHelpCommand(CCmdUI& ui);
    void OpenManual(const QString& format);
    void OpenAddress(const QString& address);
    void ShowTips();
    void SetToolbarEditing(bool editing);
    void FollowEditMode();
    void PickTextColour();
    void WrapBrowserLines();
    void ActivateNeighbourPane(int step);
    bool ActivatePane(CBaseView* view);
    void BuildStatusBar();
    void BuildPanes();
    void BuildBrowser();
    void DestroyBrowser();
    QWidget* BrowserWidget() const;
    bool OnBrowserCommand(int id);
    bool OnUpdateBrowserCommand(CCmdUI& ui);
    /// Fills a new coding of the code from selection range `range`.
    bool BuildBrowserCoding(qint32 code, int range, CodingRecord& record) const;
    /// Codes selection range `range` through AddCoding (commitEdits as
    /// given; action as AddCoding takes it); false when there is no such
    /// range. belongs becomes true when the coding belongs in the current
    /// retrieval.
    bool CodeBrowserSelection(qint32 code, int range, bool commitEdits, qint32& action, bool& belongs);
    /// Codes every selection range as one action, puts the code first in
    /// the quick codes and reruns the retrieval when a coding belongs in it.
    void CodeAllSelectionRanges(qint32 code, bool commitEdits);
    /// Whether a drop the test admitted has an operation; with perform the
    /// operation runs.
    bool PerformDrop(const DropNotifyInfo& info, bool perform);
    /// The new-code dialog: the code it made (first in the quick codes, its
    /// memo attached); 0 when cancelled or refused.
    qint32 AskNewCode(qint32 parent);
    /// The coding options dialog on the quick codes, the selected one
    /// first: the code and the weight (0 to 100, kept by the document) it
    /// confirmed. False, after a message, without a quick code, or when
    /// cancelled.
    bool AskCodingOptions(qint32& code, qint32& weight);
    /// The weight the coding options dialog offers: the document's kept
    /// one, else the default weight of new codings.
    qint32 BatchCodingWeight() const;
    /// Every retrieved segment as a coding record.
    QList<CodingRecord> RetrievedSegmentRecords() const;
    /// Codes the segments with the code and weight under the wait window,
    /// then reruns the retrieval (or lays the segments out again) and
    /// tells how many codings were made; that count.
    int CodeSegmentRecords(QList<CodingRecord> records, qint32 code, qint32 weight);
    /// The favourite codes of the code tool window, from the code-tree
    /// context command: the selected codes go first.
    void AddCodesToCodeToolWindow();
    bool OpenTargetSafely(const QString& target);
    /// Makes the two trees, gives them their owner and registers them with
    /// the document, document tree first.
    void BuildTrees();
    /// The trees leave the registry and go before their owner does.
    void DestroyTrees();
    QWidget* DocumentTreeWidget() const;
    QWidget* CodeTreeWidget() const;
    /// The views ask the command route which caption buttons to show; the
    /// trees' commands reach the route and the colour filter.
    void ConnectPaneCaptions();
    void BuildCodeToolListener();
    bool OnTreeCommand(int id);
    bool OnUpdateTreeCommand(CCmdUI& ui);
    // The context commands: the dispatcher runs the command on the node the
    // menu was opened on, then forgets the node.
    static bool IsContextCommand(int id);
    bool OnContextCommand(int id);
    /// Opens the Modeler window, or brings the open one to the front.
    void OnModeler();
    /// Adds a project item (topic, key) to the main Modeler window as an
    /// object; false when the window is closed or the item unreadable.
    bool AddItemToModeler(bool withUndo, qint32 topic, qint32 item);
    bool OnUpdateContextCommand(CCmdUI& ui);
    void RunContextCommand(CKorDoc& document, int id);
    /// The memo context commands: open or make a memo, delete memos.
    void RunMemoContextCommand(CKorDoc& document, int id);
    /// Stores the memo window's edits and closes it and the logbook, which
    /// stores a changed text: the project goes.
    void CloseMemoWindows();
    bool OnMemoCommand(int id);
    bool OnUpdateMemoCommand(CCmdUI& ui);

    /// The commands of codes, codings and retrieved segments that
    /// RunContextCommand hands on (contextcodecommands.cpp).
    void RunCodeContextCommand(CKorDoc& document, int id);
    /// Copies or moves the codings remembered by 20081/20082 to the code,
    /// asking first before a move; all in one transaction.
    void InsertRememberedCodings(CKorDoc& document, qint32 code);
    /// Gives the coding the extent and text of the browser's selection.
    void RecodeFromSelection(qint32 coding);
    /// The codings of the codes a code-tree node stands for, in the codings list.
    void ShowCodeSetCodings(qint32 kind, qint32 id);
    /// The question before a deletion, when the options ask for it; true to go on.
    bool AskDeleteConfirmation(int confirmTextId);
    /// The same with the OK button's own text.
    bool AskDeleteConfirmation(int confirmTextId, int okTextId);
    /// Asks, then deletes the object with what depends on it; busy shows
    /// the wait cursor and refreshes the status bar. True when deleted.
    bool ConfirmedDelete(CKorDoc& document, qint32 topic, qint32 key, int confirmTextId, bool busy = true);
    /// The selected objects of the topic, else the menu's item, after one
    /// question, in one transaction; true when they went.
    bool DeleteContextSelection(CKorDoc& document, qint32 topic, int confirmTextId);
    void SortContextChildren(CKorDoc& document, qint32 direction);
    /// The teamwork exchange commands: codings of the scope into an exchange
    /// file (20027, 20125, 20145), an exchange file into the scope's
    /// documents (20028, 20126, 20128), the code system out and in (20059,
    /// 20060).
    void ExportCodingsToExchange(CKorDoc& document, int id);
    void ImportExchangeProject(CKorDoc& document, int id);
    void ExportCodeSystemToExchange(CKorDoc& document);
    void ImportCodeSystemFromExchange(CKorDoc& document);
    /// F2 or Delete in a tree: the rename or delete command of the selected node.
    void RunTreeKeyCommand(CTreePaneBase& tree, bool remove);
    /// Runs the new-code dialog and makes the code under `parent` (0: top).
    void NewCodeUnder(qint32 parent);
    void ColourCodes();
    void ColourDocument();
    /// The colour picker over the colours in use; false when cancelled.
    bool PickColour(QWidget* parent, COLORREF& colour, const QList<COLORREF>& used);
    void ApplyLayout();
    void DeferredStartup(const QString& pendingProject);
    void BuildSegmentsPane();
    bool OnRetrievalCommand(int id);
    bool OnUpdateRetrievalCommand(CCmdUI& ui);
    /// The print commands 600 to 610 (mainframe_print.cpp).
    bool OnPrintCommand(int id);
    bool OnUpdatePrintCommand(CCmdUI& ui);
    /// The export commands 612 to 622, 611 and 658 (mainframe_export.cpp).
    bool OnExportCommand(int id);
    bool OnUpdateExportCommand(CCmdUI& ui);
    void ExportBrowserDocument();
    /// The table commands (mainframe_tables.cpp): variables in and out, the
    /// project workbook (620).
    bool OnTableCommand(int id);
    bool OnUpdateTableCommand(CCmdUI& ui);
    void ImportVariablesTable(bool codes);
    void ExportVariablesTable(bool codes);
    /// The hint a table import shows first (a text viewer kind).
    void ShowTableHint(int kind);
    /// Documents with coded segments from one or more tables (20146).
    void ImportCodedSegmentTables();
    /// Codes with memos from a table (20172).
    void ImportCodeList();
    /// Activates the codes of a list file (20058).
    void ActivateCodesFromListFile();
    /// The whole project as one workbook (620).
    void ExportProjectWorkbook();
    bool OpenProject(const QString& path);
    // Routed requests.
    void OnRequestContextMenu(IdListNotifyInfo& info);
    void OnRequestItemActivate(IdListNotifyInfo& info);
    void ActivateItem(const IdListNotifyInfo& info);
    void FollowItem(const IdListNotifyInfo& info);
    void OpenDocumentOf(qint32 document);
    void AdjustContextMenu(QMenu* menu, int menuId);
    // Project commands.
    void BuildProjectMenu(QMenu* file);
    void FillRecentMenu();
    bool LoadProject(std::unique_ptr<ProjectDataEngine> engine, bool withWaitWindow, bool legacy);
    std::unique_ptr<ProjectDataEngine> OpenProjectEngine(const QString& path);
    std::unique_ptr<ProjectDataEngine> CreateProject(const QString& path);
    bool CopyProjectTo(const QString& target, QString& error);
    QString RunStartDialog();
    bool OnProjectCommand(int id);
    bool OnUpdateProjectCommand(CCmdUI& ui);
    bool OnDialogCommand(int id);
    bool OnUpdateDialogCommand(CCmdUI& ui);
    // Find commands and analysis tables (mainframe_find.cpp).
    bool OnFindCommand(int id);
    bool OnUpdateFindCommand(CCmdUI& ui);
    /// The search dialog (or the extended one), then the search and its
    /// hits or memos in their list.
    void Find(bool extended);
    /// The analysis table with the activated codes: 0 crosstab, 1 quote matrix.
    void OpenAnalysisTable(qint32 mode);
    // Media player.
    CMediaToolBar* BuildMediaToolBar();
    void SetupMediaPlayer();
    void StartFootswitch(std::unique_ptr<IReportSource> source);
    bool OnMediaCommand(int id);
    bool OnUpdateMediaCommand(CCmdUI& ui);
    /// A file is loaded into the active player.
    bool MediaReady() const;
    void RefreshMediaPosition();
    void ApplyMediaDuration();
    /// Selects the current mark in the lists while following marks.
    void BroadcastCurrentMark();
    /// The browser's time marks from the player's marks.
    void FillTimeMarks();
    /// The transcript's stored marks into the player, sorted by position.
    void LoadPlayerMarks(const CKorDoc& document, qint32 transcript);
    void OnMediaStamp();
    void ShowMediaMarkList(bool open);
    void ShowVideoWindow(bool show);
    static int BitOf(View view);
    void BuildOptionsMenus(QMenu* help);
    /// The quiet update check after the first project opened, when the
    /// options ask for it and the last check is old enough; it runs in the
    /// background.
    void StartupUpdateCheck();
    void OfferNewerRelease(const QString& installed, const QString& offered);
    bool OnOptionsCommand(int id);
    bool OnUpdateOptionsCommand(CCmdUI& ui);
    void ApplyTextProperties(CKorDoc& document, qint32 item, RowBuffer& row, const CPropertyList& list);
    void StoreWholeMediaMark(CKorDoc& document, qint32 item, qint64 duration);
    void ReportExternalFile(const QString& name);
    void BuildToolCommands();
    bool OnToolCommand(int id);
    bool OnUpdateToolCommand(CCmdUI& ui);
    void ShowMemoList(int commandId);
    /// The commands of memos, media marks and codes that reach the frame
    /// from context menus outside the context block; the target is reset.
    void RunToolContextCommand(int id);
    void DeactivateWith(bool documents, bool codes);
    void OnResetRetrieval();
    void UndoRecentCodingAction(int n);
    void PrepareCooccurrencePopup(QMenu* menu);
    void OnPickCooccurringCode(int id);
    void OnToggleMarginColumn();
    void InsertLinkAtSelection(bool geo);
    void OnLinkDelete();
    void OnSupportInfo();
    void OnExtractExternals();
    /// The link of the geo-link list's selected row, after the question.
    void DeleteSelectedGeoLink(CKorDoc& document);
    /// The search hits coded with a quick code the coding options dialog
    /// confirms; then how many codings were made.
    void OnCodeWithQuickCode();
    /// The listed codings or memos as RTF at the path the list chose.
    void ExportListRtf(ObjectListWindow* window, const QList<qint32>& keys, const QString& path);
    /// The selected rows of the search-hit list are marked.
    void MarkSelectedSearchHits(ObjectListWindow* window);
    View HostOf(int contentCommandId) const;

    CCommandManager m_commands;
    ICommandTarget* m_app;
    ICommandTarget* m_activeView = nullptr;
    ICommandTarget* m_activeDocument = nullptr;
    CKorDoc* m_document;
    FrameSettings m_settings;
    std::function<QString()> m_projectPrompt;
    std::unique_ptr<CWaitWndHost> m_waitHost;
    std::unique_ptr<CListWindows> m_listWindows;
    std::unique_ptr<CWordFreqCommands> m_wordFreq;
    std::unique_ptr<CChartCommands> m_charts;
    IWaitWindowHost* m_previousWaitHost = nullptr;

    CQuickCodeList m_quickCodes;
    QComboBox* m_quickCodeCombo = nullptr;
    CSplitterWndEx* m_splitA = nullptr;
    CSplitterWndEx* m_splitB = nullptr;
    CSplitterWndEx* m_splitC = nullptr;
    std::array<CBaseView*, ViewCount> m_views{};
    TreePaneWindow* m_documentTree = nullptr;
    CObjTreeCtrl* m_codeTree = nullptr;
    TextCoderWindow* m_browser = nullptr;
    QPointer<CodeToolBarDlg> m_codeToolWindow;
    IDocumentFrame* m_previousDocumentFrame = nullptr;   // given back when the frame goes
    std::unique_ptr<CodeToolListener> m_codeToolListener;
    SegmentsCtrl* m_segments = nullptr;
    QTimer* m_statusTimer = nullptr;
    std::unique_ptr<CRetrievalRequests> m_retrievalRequests;
    QPointer<CRetrievalFunctionDlg> m_retrievalDialog;
    QPointer<CMemoDlg> m_memoWindow;
    QPointer<CLogbookDlg> m_logbook;

    // Requests and context menus.
    IFrameBrowser* m_browserAccess = nullptr;
    QHash<int, RequestHandler> m_requestHandlers;
    ContextTarget m_contextTarget;
    ContextClipboard m_contextClipboard;
    QPointer<QMenu> m_contextMenu;
    QPointer<QWidget> m_modelEditor;   // the map window; null while none is open
    QString m_lastProjectFolder;

    // Media player, its windows and the foot switch.
    std::unique_ptr<CMediaPlayer> m_mediaPlayer;
    CMediaToolBar* m_mediaBar = nullptr;
    QPointer<CMPVideoDlg> m_videoDialog;
    QList<TimeMarkItem> m_timeMarks;   // the browser reads them, not owned there
    qint32 m_broadcastMark = -1;       // the mark the lists were last told of
    std::unique_ptr<FootswitchReader> m_footswitch;
    std::unique_ptr<UdevMonitor> m_deviceMonitor;

    // Help, formatting and toolbars.
    QPointer<CTipDlg> m_tipWindow;
    QHash<int, QToolBar*> m_toolbars;
    QHash<int, QAction*> m_toolbarItems;   // the main toolbar's buttons and combos by command id
    QComboBox* m_fontNameCombo = nullptr;
    QComboBox* m_fontSizeCombo = nullptr;
    QColor m_textColour;
    bool m_toolbarEditing = false;

    // The tool popups and the frame mode of the co-occurring codes popup.
    QPointer<QMenu> m_toolPopup;
    int m_frameMode = 0;
    qint32 m_frameModeCode = 0;
};
