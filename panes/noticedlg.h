#pragma once

// The memo window's base: open memos as tabs, the current memo in a
// rich-text editor under a header of title strip, property grid and the
// codes attached to it.

#include "document/panewnd.h"
#include "foundation/propertylist.h"
#include "ui/dlgbase.h"

#include <QByteArray>
#include <QFrame>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class CPropertyGridCtrl;
class QLabel;
class QTabBar;
class QToolBar;
class QTreeWidget;
class RichTextEditorWnd;

/// Command ids of the memo window.
namespace NoticeCommand {
constexpr int Close = 8;
constexpr int Help = 9;
constexpr int AttachQuickCode = 556;
constexpr int Unused = 557;
constexpr int Print = 5777;
constexpr int SaveRtf = 5778;
constexpr int CloseWithoutStoring = 33511;
constexpr int FocusSwitch = 33052;
constexpr int CloseTab = 23013;
constexpr int NextTab = 23014;
constexpr int PreviousTab = 23015;
constexpr int FirstQuickCode = 40000;
}  // namespace NoticeCommand

/// @short The header above the editor: title strip, property grid and the
/// list of attached codes, which takes codes dropped on it.
class NoticeHeader : public QFrame {
    Q_OBJECT
public:
    static constexpr int kGridId = 1196;
    static constexpr int kCodeListId = 2003;
    static constexpr int kTitleHeight = 20;

    explicit NoticeHeader(QWidget* parent = nullptr);

    void SetTitles(const QString& left, const QString& right);
    QString TitleText() const;
    CPropertyGridCtrl* Grid() const { return m_grid; }
    QTreeWidget* CodeList() const { return m_codes; }
    void ShowCodeList(bool show);
    /// The project identity a drop must carry to be read.
    std::function<QString()> projectIdentity;

    bool m_codesChanged = false;

signals:
    /// A code (kind 8, id above 0) was dropped on the code list.
    void CodeDropped(qint32 code);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();

    QLabel* m_titleLeft = nullptr;
    QLabel* m_titleRight = nullptr;
    CPropertyGridCtrl* m_grid = nullptr;
    QTreeWidget* m_codes = nullptr;
    bool m_showCodes = true;
};

/// @short The window base: one tab per open memo (the tab's data is the
/// memo id), switching between them with the current one stored first.
///
/// The derived window loads and stores a memo; the base keeps the editor's
/// content, the current id and the modified flag. A memo whose store fails
/// keeps its tab, its edits and the focus: nothing is switched or closed.
class NoticeDlg : public CResizableDlgBase, public CPaneWnd {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 119;
    static constexpr int kHeaderId = 1234;
    static constexpr int kTabsId = 1235;
    static constexpr int kEditorId = 787;
    static constexpr int kFirstStartWidth = 670;
    static constexpr int kMinUsableHeight = 200;

    explicit NoticeDlg(QWidget* parent = nullptr);
    ~NoticeDlg() override;

    /// Opens a tab for the memo or selects its tab; the caption goes on
    /// the window. False when the memo cannot be read.
    bool OpenMemo(qint32 memo, const QString& caption);
    /// Adds a tab for the memo (its title from the derived window) and
    /// answers its index; an open memo's tab answers as it is.
    int AddTab(qint32 memo);
    /// Selects the tab: the current memo is stored, the tab's memo loaded.
    /// False when the index is no tab, or the store failed.
    bool SelectMemo(int index);
    /// With store the current content is stored first (a failure keeps the
    /// tab and answers false). Removes the memo's tab and selects the one now
    /// at its place; without tabs the window closes. True also when the
    /// memo has no tab.
    bool CloseMemoTab(qint32 memo, bool store);
    /// Stores the current memo when it was changed; false when the store
    /// refused (the user was told).
    bool StoreCurrent();
    /// Adds a code to the code list once; false when it is there already.
    bool AttachCode(qint32 code);
    void OnCommand(int id);

    qint32 CurrentMemo() const { return m_memoId; }
    int CurrentTab() const { return m_currentTab; }
    bool IsModified() const { return m_modified; }
    QTabBar* Tabs() const { return m_tabs; }
    NoticeHeader* Header() const { return m_header; }
    RichTextEditorWnd* Editor() const { return m_editor; }
    QToolBar* ToolBar() const { return m_toolBar; }
    /// The tab of a memo; -1 when it has none.
    int TabOf(qint32 memo) const;
    /// The quick codes (id, text) that command 556 offers.
    std::function<QList<QPair<qint32, QString>>()> quickCodes;

    // The registry tells of deleted and renamed memos.
    bool OnObjectsAdded(qint32, const QList<quint32>&, qint32, qint32) override { return false; }
    void ResetContent() override {}
    bool OnObjectAdded(qint32, qint32, qint32, qint32, qint32, bool) override { return false; }
    bool BeginEditLabel(qint32, qint32) override { return false; }
    void OnObjectDeleted(qint32 topic, qint32 id) override;
    void OnObjectChanged(qint32 topic, qint32 id) override;
    void ExpandObject(qint32, qint32) override {}
    void SortChildren(qint32, qint32, qint32) override {}
    Qt::DropAction OnDragOver(qint32, qint32, QPoint) override { return Qt::IgnoreAction; }
    void OnDragLeave() override {}
    bool OnDrop(qint32, qint32, QPoint) override { return false; }
    void DragScroll(qint32) override {}
    bool ShowDocument(qint32, qint32, qint32) override { return false; }
    void SelectObject(qint32, qint32, qint32) override {}

protected:
    // What the derived window supplies.
    virtual QString GetTitle() const = 0;
    /// The stored title of a memo; empty when it cannot be read.
    virtual QString GetMemoTitle(qint32 memo) = 0;
    virtual void PrintMemo() = 0;
    virtual void SaveAsRtf() = 0;
    /// Writes the memo from the grid, m_body and the code list; false when
    /// the store refused.
    virtual bool StoreMemo() = 0;
    virtual bool ConfirmCloseMemo() { return true; }
    /// Reads m_memoId into the grid, m_body and the code list; false when
    /// it cannot be read (nothing changes then).
    virtual bool LoadMemo() = 0;
    virtual bool BuildPropertyGrid() = 0;
    /// Tells the user that the memo could not be stored.
    virtual void ReportStoreFailure();
    /// The grid was built anew from the property list.
    virtual void OnGridBuilt() {}

    bool OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QObject* RequestSender() override { return this; }

    /// The editor's text into m_body (RTF) and m_plainText.
    void CopyOut();
    /// m_body into the editor; the modified flag is cleared.
    void ShowBody();
    void Layout();
    void StepTab(int step);
    void OfferQuickCodes();
    void UpdateButtons();
    /// The code list's row for a code, with its text from the owner.
    void AddCodeRow(qint32 code);

    QToolBar* m_toolBar = nullptr;
    NoticeHeader* m_header = nullptr;
    RichTextEditorWnd* m_editor = nullptr;
    QTabBar* m_tabs = nullptr;
    QByteArray m_body;
    QString m_plainText;
    CPropertyList m_properties;
    qint32 m_memoId = 0;
    int m_currentTab = -1;
    bool m_modified = false;
    bool m_loading = false;
    bool m_storing = false;
    int m_headerHeight = 110;
    /// Caption strings of the window: before and after the memo's title.
    QString m_captionPrefix;
    QString m_captionSuffix;
};
