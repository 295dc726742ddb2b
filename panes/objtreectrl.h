#pragma once

#include "panes/treepanebase.h"

#include <QList>

class ObjectListCtrl;

#include <array>

/// One code of the code-system listing that other views draw beside their
/// matrices, in tree order.
struct TreeRow {
    qint32 id = 0;
    qint32 parentId = 0;         ///< 0 below the code-system root
    qint32 level = 0;            ///< 1 for a top-level code
    bool expanded = false;
    bool hasChildren = false;
    bool hasPrevious = false;
    bool hasNext = false;
    /// Byte k is 1 when the ancestor at level k + 1 has a next sibling, so
    /// that a tree line continues at that level.
    std::array<quint8, 100> lineFlags{};
    qint32 spare = 0;
};

/// @short The pane of the code system: codes as a hierarchy under the
/// code-system root, code sets with their member codes under the code-sets
/// root.
///
/// Node kinds: 7 code-system root, 23 code-sets root, 8 code, 24 code set,
/// 25 code-set member (its id is the member's own). A code whose parent is
/// not shown goes under the code-system root. A code is never moved under
/// itself or one of its own subcodes; a move the owner refuses is undone.
///
/// In list mode an object list of every code stands in place of header and
/// tree: it is set up when a project's codes arrive, follows additions,
/// deletions and changes, sends its own requests to the pane's owner, and
/// takes codings and selections dropped on a row.
class CObjTreeCtrl : public CTreePaneBase {
    Q_OBJECT
public:
    /// Commands of the caption buttons and those passed on to the owner.
    enum Command : int {
        ToggleListMode = 30010,
        EditCodeFilter = 20115,
        Export = 613,
        Print = 602,
        CodeSearch = 20167,
        NewCode = 20056,
        CodeCommand20164 = 20164,
    };

    static constexpr int kListId = 1032;

    explicit CObjTreeCtrl(QWidget* parent = nullptr);
    ~CObjTreeCtrl() override;

    bool IsShown(qint32 topic, qint32 id) override;
    bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId) override;
    bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                       bool select) override;
    bool BeginEditLabel(qint32 topic, qint32 id) override;
    void OnObjectDeleted(qint32 topic, qint32 id) override;
    void ExpandObject(qint32 topic, qint32 id) override;
    void SortChildren(qint32 topic, qint32 id, qint32 flag) override;
    void ResetContent() override;
    void OnObjectChanged(qint32 topic, qint32 id) override;
    void SelectObject(qint32 topic, qint32 id, qint32 flag) override;
    Qt::DropAction OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override;
    bool OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override;
    void DragScroll(qint32 scrollCode) override;

    std::array<int, kButtonSlots> CaptionCommands() const override
    {
        return {ToggleListMode, EditCodeFilter, Export, Print, CodeSearch, 0, 0};
    }
    /// Tree or list, and the codes' colour filter; every other command is
    /// passed on.
    void OnCaptionCommand(int commandId) override;
    bool AcceptsShellFiles() const override { return false; }
    /// The context search is the tree's: none in list mode.
    bool OffersContextSearch() const override { return !m_listMode; }

    bool InListMode() const { return m_listMode; }
    /// The list of list mode.
    ObjectListCtrl* ListView() const { return m_list; }

    /// The check column wide and the count column hidden while the option
    /// of check boxes in the code tree is on; the tree's columns follow.
    void SetCheckColumnWidth(bool checkBoxes);

    /// Every code below the code-system root, depth first in tree order.
    QList<TreeRow> GetCodeRows() const;
    QList<qint32> GetAllCodeIds() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    qint32 FirstRootKind() const override;
    qint32 SecondRootKind() const override;
    quint32 QueryMask(qint32 kind) const override;
    bool HasCheckBox(qint32 kind) const override;
    bool IsDragSource(const TreeNode* node) const override;
    Qt::DropAction DropEffect(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys,
                              QPoint screenPos) override;
    bool ApplyDrop(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys, QPoint screenPos) override;
    QString ObjectTip(const TreeNode* node, QSize& size) override;
    QList<ExportRow> ExportRows(bool withMemos) override;
    ExportStyle GetExportStyle() const override;
    bool HasMemoTip(qint32 kind) const override;

private:
    /// Switches between tree and list; the view's search ends either way.
    void SwitchListMode();
    /// The list's columns for this project's codes and the codes as rows.
    void SetUpList(const QList<qint32>& codes);
    /// The code of the list row under a point of the screen; 0 for none.
    qint32 ListCodeAt(QPoint screenPos) const;
    /// What the list takes: codings and selections dropped on a row.
    static bool ListTakes(qint32 draggedKind);

    ObjectListCtrl* m_list = nullptr;
    bool m_listMode = false;
    bool m_listSetUp = false;   // columns of the open project's codes

    /// What a drop of the pair does, decided before anything changes.
    enum class DropAction { None, AskOwner, AskOwnerThenRenumber, SetFirst, SetBehind, MemberFirst,
                            MemberBehind, MoveCode };
    DropAction Classify(qint32 draggedKind, qint32 draggedId, const TreeNode* target, int keys) const;
    /// The parent node of a code placed under (parentTopic, parentId): its
    /// mapped code, else the code-system root.
    TreeNode* CodeParent(qint32 parentId) const;
};
