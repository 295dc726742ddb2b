#pragma once

#include "document/panewnd.h"
#include "panes/contextsearch.h"
#include "panes/idtreemodel.h"
#include "panes/panecaption.h"
#include "ui/rtftipctrl.h"

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <map>

class CDragObject;
class CWorkbook;
struct WorkbookCellFormat;
class CPaneTreeView;
class HeaderLookBase;
class CREdit4List;
class QTreeView;
struct ListNotifyInfo;

/// @short What the two trees of the main window share: a tree of ids under a
/// header strip (name, memo symbol, count) that spans the pane's whole width,
/// the tree's scroll bar included, and whose columns the tree's own
/// columns follow; rows drawn from the owner's answers;
/// nodes placed, refreshed and removed by the registry's broadcasts; order
/// notices after every change of order; renaming in place; clicks, menus
/// and drops sent to the owner as request records.
///
/// The pane keeps no project data: a node holds its kind, its id and the
/// display copies answered when it was inserted or refreshed; texts are
/// asked again whenever a row is drawn. Each node is mapped by (kind, id);
/// a removed subtree leaves no mapping behind. UI thread only.
class CTreePaneBase : public QWidget, public CPaneWnd, public IContextSearchPane, public IPaneCaption {
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 14;
    static constexpr int kMinItemHeight = 17;
    /// The count stands this far left of the header's count column's right
    /// edge, after the width of a vertical scroll bar.
    static constexpr int kCountRightGap = 7;
    /// Room a fitted count column keeps left of its widest count.
    static constexpr int kCountLeftGap = 4;
    static constexpr int kNameLimit = 63;   ///< characters the rename editor takes
    static constexpr int kTreeId = 509;

    /// Starts a drag with the payload and answers the action taken; the
    /// pane's default runs the platform's drag (tests replace it).
    using DragRunner = std::function<Qt::DropAction(const CDragObject& payload, const QString& projectIdentity)>;

    ~CTreePaneBase() override;

    QTreeView* TreeView() const;
    /// The header strip above the tree (the pane owns it).
    HeaderLookBase* Header() const { return m_header; }
    CIdTreeModel& Model() { return m_model; }
    /// The node of (kind, id); the roots answer to their kind with any id.
    TreeNode* FindNode(qint32 kind, qint32 id) const;
    TreeNode* FirstRoot() const { return m_firstRoot; }
    TreeNode* SecondRoot() const { return m_secondRoot; }
    TreeNode* SelectedNode() const;
    /// Kind and id of the selected node; false when nothing is selected.
    bool GetSelectedObject(qint32& kind, qint32& id) const;
    /// The rectangle of the node's row in the tree's viewport; empty when
    /// it is not laid out (collapsed away).
    QRect NodeRect(const TreeNode* node) const;
    /// Where the node's text starts in the viewport (its label rectangle).
    QRect NodeTextRect(const TreeNode* node) const;

    /// The pictures the owner's image numbers index; the pane draws its own
    /// until it is given others.
    void SetImageLists(const QList<QPixmap>& nodeImages, const QList<QPixmap>& memoImages);
    /// The shared list font for the tree's rows.
    void ApplyFont(const QFont& font);
    /// Sends every node its position in tree order.
    void UpdateAllItems() { Renumber(); }
    /// Expands or collapses the node and every node below it, and tells the
    /// owner once with all their states (the '*' key expands the selected
    /// node's subtree this way). A single expansion is told as it happens.
    void ExpandSubtree(TreeNode* from, bool expand);
    /// The whole tree, both roots, expanded or collapsed that way.
    void ExpandAll() { ExpandSubtree(m_model.Top(), true); }
    void CollapseAll() { ExpandSubtree(m_model.Top(), false); }
    /// The owner's context menu for the selected node, just below its text.
    void ShowContextMenuForSelection();
    /// The context search over the nodes' display texts; the record holds
    /// the answer. SearchAgain is not the pane's and changes nothing.
    bool OnContextSearch(ContextSearchRequest& search) override;
    /// A caption command the pane does not carry out itself: passed on
    /// unchanged (CommandForOwner).
    void OnCaptionCommand(int commandId) override { emit CommandForOwner(commandId); }
    /// One line of an export: where its text goes and how it looks.
    struct ExportRow {
        int column = 0;          ///< workbook column of the text
        int indent = 0;          ///< rich text: indentation steps
        QString text;
        bool heading = false;    ///< the heading format
        bool hasCount = false;
        qint32 count = 0;
        QString memo;            ///< plain text of the node's memo
    };
    struct ExportStyle {
        QString richTextFont;    ///< rich text, 10 points
        QString prefix;          ///< rich text: before every line that is no heading
        bool boldHeadings = false;
        bool greyHeadings = false;   ///< workbook: headings on a grey fill
    };
    /// Writes the tree to `path`: as a workbook (format by the extension)
    /// when `excel`, else as rich text; with `withMemos` each node's memo
    /// text too; with `openAfter` the written file is opened. False with the
    /// reason in `error`; `savedPath` names the file written (a workbook may
    /// take a numbered name when the path cannot be written).
    bool ExportToExcel(const QString& path, bool withMemos, bool excel, bool openAfter, QString* savedPath = nullptr,
                       QString* error = nullptr);
    /// The tree as one sheet of a book its caller holds, saves and
    /// releases; false with the reason in `error`.
    bool ExportToExcel(CWorkbook& book, const QString& sheetName, bool withMemos, QString* error = nullptr);
    /// Prints the rich text of the export (with the memos when asked)
    /// under the print title of the project file; false when the print
    /// dialog was cancelled.
    bool Print(const QString& projectPath, bool withMemos);
    /// Replaces how drags are started (tests).
    void SetDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }
    /// Takes files dropped from the desktop (local paths, in the order the
    /// drop lists them) with the kind and id of the node under the drop
    /// (0 and 0 for none); true when it takes them. Without a handler the
    /// pane refuses such drops.
    using FileDropHandler = std::function<bool(const QStringList& paths, qint32 kind, qint32 id)>;
    void SetFileDropHandler(FileDropHandler handler) { m_fileDropHandler = std::move(handler); }

    // ---- Pane interface, shared part ----------------------------------------
    void ResetContent() override;
    void OnObjectChanged(qint32 topic, qint32 id) override;
    Qt::DropAction OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override;
    void OnDragLeave() override;
    bool OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override;
    void DragScroll(qint32 scrollCode) override;
    bool ShowDocument(qint32, qint32, qint32) override { return false; }
    void SelectObject(qint32 topic, qint32 id, qint32 flag) override;

    /// The drop target under the point and the highlight shown there (for
    /// drawing); null when none.
    TreeNode* DropHighlight() const { return m_dropHighlight; }

signals:
    /// The pane emptied its content: the hosting view resets its search.
    void SearchReset();
    /// A command the pane does not handle itself (new code, print, export,
    /// finding): the frame runs it.
    void CommandForOwner(int commandId);
    /// The colour filter of the tree's objects (8 codes, 5 documents): the
    /// frame runs its dialog.
    void ColourFilterRequested(qint32 topic);

protected:
    friend class CPaneTreeView;
    friend class CTreeItemDelegate;

    /// `header` (owned from here on) gives the columns their widths, glyphs
    /// and tips; the user neither resizes nor moves them.
    CTreePaneBase(HeaderLookBase* header, QWidget* parent);
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual QList<ExportRow> ExportRows(bool withMemos) = 0;
    virtual ExportStyle GetExportStyle() const = 0;
    /// The plain text of a memo, trimmed; empty when it cannot be read.
    QString MemoPlainText(qint32 memoId);

    struct Display {
        QString text;
        quint32 colour = 0;
        qint32 memoId = 0;
    };

    QObject* RequestSender() override { return this; }

    // ---- What the two trees answer differently --------------------------------
    virtual qint32 FirstRootKind() const = 0;
    virtual qint32 SecondRootKind() const = 0;
    /// What the insertion and refresh queries of a node ask.
    virtual quint32 QueryMask(qint32 kind) const = 0;
    /// Whether a node of the kind shows its check box from state bit 2.
    virtual bool HasCheckBox(qint32 kind) const = 0;
    virtual bool IsDragSource(const TreeNode* node) const = 0;
    /// The drop effect a dragged object would get on the target.
    virtual Qt::DropAction DropEffect(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys,
                                      QPoint screenPos) = 0;
    /// Applies the drop rules; true when the pane took it.
    virtual bool ApplyDrop(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys, QPoint screenPos) = 0;
    /// The tip over a node outside the memo column: heading lines, or empty
    /// for none; `size` receives the tip's size.
    virtual QString ObjectTip(const TreeNode* node, QSize& size) = 0;
    /// Whether the memo tooltip and memo clicks apply to the node's kind.
    virtual bool HasMemoTip(qint32 kind) const = 0;
    /// Asks whether the node may be renamed before the editor opens.
    virtual bool MayRename(const TreeNode* node);

    // ---- Shared operations -----------------------------------------------------
    QHash<qint32, TreeNode*>& MapOf(qint32 kind) { return m_maps[kind]; }
    const QHash<qint32, TreeNode*>* FindMap(qint32 kind) const;
    TreeNode* Mapped(qint32 kind, qint32 id) const;
    /// A node of (kind, data) built from the owner's insertion answer; null
    /// when the owner did not answer.
    std::unique_ptr<TreeNode> MakeNode(qint32 kind, qint32 data);
    /// Places the nodes under `parent` from `position`, maps them and applies
    /// their wanted expansion; with `select` the parent expands and the last
    /// node is selected.
    void PlaceNodes(TreeNode* parent, int position, std::vector<std::unique_ptr<TreeNode>> nodes, bool select);
    /// Places one announced object under `parent`: a node already mapped
    /// moves there with its subtree (and is asked again), a new one is built
    /// from the owner's answer. False when it could not be placed.
    bool PlaceObject(TreeNode* parent, int position, qint32 kind, qint32 data, bool select);
    /// Places several announced objects of one kind at the end of `parent`'s
    /// children (or at `position`), new nodes in one insertion. `negate`
    /// stores their ids negated as item data.
    void PlaceObjects(TreeNode* parent, int position, qint32 kind, const QList<quint32>& ids, bool negate);
    /// Moves the node; when its parent changed the owner gets a moved notice
    /// (`parentTopic`, `parentId`), and a move the owner refuses is undone.
    /// False when nothing stayed changed.
    bool MoveAndTell(TreeNode* node, TreeNode* parent, int position, qint32 parentTopic, qint32 parentId);
    /// The insertion position behind the sibling `after` of the kind (0
    /// first, negative last; a sibling not mapped under the parent: first).
    int PositionAfter(const TreeNode* parent, qint32 kind, qint32 after) const;
    /// Removes the node with its subtree and every mapping in it.
    void RemoveNode(TreeNode* node);
    /// Moves the node with its subtree (model move: expansion and selection
    /// stay); false when nothing changed.
    bool MoveNode(TreeNode* node, TreeNode* parent, int position);
    /// Asks the node's display copies again.
    void RefreshNode(TreeNode* node);
    /// Sends each node below the roots, depth first in tree order, its
    /// running position from 1.
    void Renumber();
    /// Sorts the children of `parent` by their display texts without regard
    /// to case; `first` (optional) puts the nodes it accepts before the rest.
    void SortNode(TreeNode* parent, bool ascending, const std::function<bool(const TreeNode*)>& first = {});
    /// Tells the owner the node's new expansion (query, then notice).
    bool SendExpandState(TreeNode* node, bool expanded);
    /// Opens the rename editor over the node; false for a root or when the
    /// owner does not answer its text.
    bool OpenRenameEditor(TreeNode* node);
    /// A moved notice: the node's object now lies under (parentTopic, parentId).
    bool SendMoved(qint32 topic, qint32 id, qint32 parentTopic, qint32 parentId);
    void SelectNode(TreeNode* node);
    void ExpandNode(TreeNode* node);
    /// The node under a point of the screen, or null.
    TreeNode* NodeAtScreen(QPoint screenPos) const;
    Display DisplayOf(const TreeNode* node);
    QPixmap NodeImage(qint32 index) const { return m_nodeImages.value(index); }
    QPixmap MemoImage(qint32 memoId);
    QPixmap CheckImage(bool ticked) const { return m_checkImages.value(ticked ? 1 : 0); }
    bool Bulk() const { return m_bulk > 0; }
    /// Bulk additions: no renumbering, no repaint until the last one ends.
    void BeginBulk();
    void EndBulk();
    /// Builds the two roots anew, every mapping gone.
    void BuildRoots();
    /// Forgets the search hits and tells the hosting view its search is over.
    void ResetSearch();
    /// Widens the shown count column until the widest count fits; a column
    /// hidden (no width) stays hidden.
    void FitCountColumn();

private:
    /// Header above, tree below; the name column takes what the memo and
    /// count columns leave.
    void LayoutChildren();
    /// The tree's columns as the header's; the last one ends at the tree's
    /// viewport, so the tree never scrolls sideways.
    void SyncColumns();
    /// Where the count's right edge stands in the viewport; the count is not
    /// drawn while the header's count column has no width.
    int CountRight() const;
    /// Remembers the widest count shown and fits the column to it.
    void NoteCount(qint32 count);
    // Events of the tree view.
    void ItemClicked(TreeNode* node, bool memoColumn, QPoint screenPos, int keys);
    void ItemRightClicked(TreeNode* node, bool memoColumn, QPoint screenPos, int keys, bool open);
    void ItemHovered(TreeNode* node, bool memoColumn, const QRect& rowScreenRect);
    void StartDrag(TreeNode* node);
    void ViewExpanded(const QModelIndex& index, bool expanded);
    void RenameFinished(bool accepted);
    void SendContextRecord(int code, qint32 kind, qint32 id, QPoint screenPos, int keys);
    void ApplyWantedExpansion(TreeNode* node);
    TreeNode* MakeRoot(qint32 kind);

    CIdTreeModel m_model;
    HeaderLookBase* m_header = nullptr;
    CPaneTreeView* m_tree = nullptr;
    TreeNode* m_firstRoot = nullptr;
    TreeNode* m_secondRoot = nullptr;
    std::map<qint32, QHash<qint32, TreeNode*>> m_maps;   // node kind -> id -> node
    QList<QPair<qint32, qint32>> m_searchHits;           // (kind, id), tree order
    int m_currentHit = -1;
    qint32 m_widestCount = 0;  ///< the largest count shown since the roots were built
    QList<QPixmap> m_nodeImages;
    QList<QPixmap> m_memoImages;
    QList<QPixmap> m_checkImages;
    CRTFTipCtrl m_tip;
    QPointer<CREdit4List> m_editor;
    QPair<qint32, qint32> m_edited{0, 0};   // (kind, id) of the node being renamed
    TreeNode* m_dropHighlight = nullptr;
    FileDropHandler m_fileDropHandler;
    DragRunner m_dragRunner;
    int m_bulk = 0;
    bool m_applyingExpansion = false;   // expansion from answers is not told back
};
