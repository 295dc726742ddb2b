#pragma once

#include "app/commandtable.h"
#include "app/framesettings.h"
#include "app/quickcodes.h"
#include "foundation/commandtarget.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class CBaseView;
class CBrowserRequests;
class CKorDoc;
class TextCoderWindow;
struct CodingRecord;
struct DropNotifyInfo;
struct IdListNotifyInfo;
class CListWindows;
class CObjTreeCtrl;
class CPlaceholderPane;
class CTreeRequestForwarder;
class TreePaneWindow;
class CSplitterWndEx;
class CWaitWndHost;
class IWaitWindowHost;
class QComboBox;
class QLabel;

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
class CMainFrame : public QMainWindow, public ICommandTarget {
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
    /// Asks for a project when the command line named none: the start
    /// dialog's place. Empty means cancelled.
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

    // ---- Document browser (mainframe_browser.cpp) -----------------------------
    TextCoderWindow* Browser() const { return m_browser; }
    /// Writes the browser's edited text and every coding, memo, link and
    /// time mark it moved back in one transaction; false when the browser
    /// was not editing or the project could not take the edit (then the
    /// browser stays in edit mode and the user is told).
    bool CommitDocumentEdits();
    /// A drop request (-206): tests it, and performs it when asked.
    void OnDropRequest(DropNotifyInfo& info);
    /// An open request (-205) of a document, set member, coding or paragraph.
    void OnRequestOpenItem(IdListNotifyInfo& info);
    /// Codes the browser's selection with the code (the code tool window).
    void OnCodeSelectionWith(qint32 code);
    /// Makes a code of the selected words and codes the selection with it.
    void OnCodeInVivo();
    /// Shows the document with the paragraph at the top.
    void OnGoToDocumentParagraph(int paragraph, qint32 document);
    /// Follows a link: an external target is opened, an anchor is shown;
    /// link 0 opens the address the browser found in its text.
    void OpenLinkTarget(qint32 link, bool external);

signals:
    /// A double click on the left part of a status-bar pane (128 pixels of
    /// the retrieval settings, 60 of the weight filter, 36 of the others):
    /// its indicator id, and 1 on the weight filter's right 40 pixels.
    void StatusPaneDoubleClicked(int indicatorId, int flag);
    /// The deferred start-up ended with the project open (true) or none.
    void StartupFinished(bool projectOpen);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBar();
    void BuildPanes();
    void BuildBrowser();
    void DestroyBrowser();
    QWidget* BrowserWidget() const;
    /// Fills a new coding of the code from selection range `range`.
    bool BuildBrowserCoding(qint32 code, int range, CodingRecord& record) const;
    /// Codes selection range `range`; false when there is no such range.
    bool CodeBrowserSelection(qint32 code, int range);
    /// Adds the coding to the project; true when it belongs in the current
    /// retrieval.
    bool AddBrowserCoding(CodingRecord& record);
    bool OpenTargetSafely(const QString& target);
    /// Makes the two trees, gives them their owner and registers them with
    /// the document, document tree first.
    void BuildTrees();
    /// The trees leave the registry and go before their owner does.
    void DestroyTrees();
    QWidget* DocumentTreeWidget() const;
    QWidget* CodeTreeWidget() const;
    void ApplyLayout();
    void DeferredStartup(const QString& pendingProject);
    bool OpenProject(const QString& path);
    void AddToRecentList(const QString& path);
    static int BitOf(View view);
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
    IWaitWindowHost* m_previousWaitHost = nullptr;

    CQuickCodeList m_quickCodes;
    QComboBox* m_quickCodeCombo = nullptr;
    CSplitterWndEx* m_splitA = nullptr;
    CSplitterWndEx* m_splitB = nullptr;
    CSplitterWndEx* m_splitC = nullptr;
    std::array<CBaseView*, ViewCount> m_views{};
    TreePaneWindow* m_documentTree = nullptr;
    CObjTreeCtrl* m_codeTree = nullptr;
    std::unique_ptr<CTreeRequestForwarder> m_treeRequests;
    TextCoderWindow* m_browser = nullptr;
    CBrowserRequests* m_browserRequests = nullptr;
    CPlaceholderPane* m_segments = nullptr;
};
