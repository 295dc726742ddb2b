#pragma once

#include <QHash>
#include <QPointer>
#include <QTreeWidget>

#include <functional>

class CDragObject;
class CQntDicDlg;
class CREdit4List;
class RequestOwner;

/// @short The dictionary window's category tree: a root item (id 0) and
/// one item per category, mapped by id. It takes dropped entries (moved to
/// the category under the mouse) and dragged categories (moved with their
/// subtree), and is a drag source for categories.
///
/// Clicks and keyboard selection reach the owner as follow requests;
/// renames as item changes. A click anywhere on a row hits its item. UI
/// thread only.
class CCatTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    /// Runs a drag of the payload and answers the action the target took;
    /// tests replace the platform's drag loop with it.
    using DragRunner = std::function<Qt::DropAction(const CDragObject& payload, const QString& identity)>;

    CCatTreeCtrl(CQntDicDlg* window, RequestOwner* owner, QWidget* parent = nullptr);
    ~CCatTreeCtrl() override;

    QTreeWidgetItem* Root() const { return m_root; }
    /// The item of a category; the root for 0; null when not in the tree.
    QTreeWidgetItem* ItemOf(qint32 id) const;
    static qint32 IdOf(const QTreeWidgetItem* item);
    bool Contains(qint32 id) const { return id == 0 || m_items.contains(id); }
    /// The selected item's id; 0 for the root or none.
    qint32 SelectedId() const;
    /// Category ids in depth-first pre-order from the root.
    QList<qint32> PreorderIds() const;

    /// Inserts the category under the parent's item (the top level of the
    /// tree, outside the root, when the parent is not in the tree): first
    /// for after 0, last for a negative after, else behind that sibling.
    QTreeWidgetItem* InsertCategory(qint32 id, qint32 parent, qint32 after, bool expandParent);
    void RemoveCategory(qint32 id);
    /// Asks the owner for the item's text again.
    void RefreshCategory(qint32 id);
    void SelectCategory(qint32 id);
    /// Empties the map and every item but the root.
    void ResetCategories();
    /// Starts renaming the category in place; false for the root or an id
    /// not in the tree, or when the owner refuses.
    bool BeginRename(qint32 id);
    CREdit4List* ActiveEditor() const;

    void SetDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }
    /// The item a drop would highlight and the one an insertion mark
    /// follows while a drag moves; null when none.
    QTreeWidgetItem* DropHighlight() const { return m_highlight; }
    QTreeWidgetItem* InsertMark() const { return m_insertMark; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    /// The display text of a category as the owner answers it.
    QString DisplayText(qint32 id) const;
    /// Tells the owner that the item was followed.
    void SendFollow(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers);
    /// What a drop of the payload on the point would do: the action, and
    /// the target item with highlight or insertion mark; IgnoreAction when
    /// refused.
    Qt::DropAction DropActionAt(const QPoint& point, Qt::KeyboardModifiers modifiers, CDragObject* payload,
                                QTreeWidgetItem** target);
    bool ReadPayload(const QMimeData* data, CDragObject& payload) const;
    void ClearDropMarks();
    /// Moves the dragged category's item with its subtree: with shift as the
    /// target's first child, else behind the target (on the root: its first
    /// child).
    void MoveCategoryItem(qint32 dragged, QTreeWidgetItem* target, bool shift);
    void FinishRename(bool accepted);
    void MapSubtree(QTreeWidgetItem* item);

    CQntDicDlg* m_window;
    RequestOwner* m_owner;
    QTreeWidgetItem* m_root = nullptr;
    QHash<qint32, QTreeWidgetItem*> m_items;
    QTreeWidgetItem* m_highlight = nullptr;
    QTreeWidgetItem* m_insertMark = nullptr;
    QPointer<CREdit4List> m_editor;
    DragRunner m_dragRunner;
};
