#pragma once

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

/// @short One node of a pane's tree: an object named by its kind and id,
/// with the display copies its owner answered when it was inserted or
/// refreshed. Texts are never kept: they are asked when drawn.
struct TreeNode {
    qint32 kind = 0;        ///< tree node kind (a topic, or a root kind)
    qint32 data = 0;        ///< item data: the object's id, negated for a document without a group
    qint32 image = 0;       ///< index into the pane's images
    qint32 count = 0;       ///< shown in the count column
    bool checked = false;   ///< the check box: activated
    bool expanded = false;  ///< wanted expanded; applied once it has children
    bool bold = false;      ///< roots
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children;
    mutable int rowHint = 0;  ///< last known Row(); checked before use

    qint32 Id() const { return data < 0 ? -data : data; }
    /// Position among the parent's children; 0 for the hidden top.
    int Row() const;
    /// 0 for a top-level node.
    int Depth() const;
    /// True when `other` is this node or lies below it.
    bool Contains(const TreeNode* other) const;
    TreeNode* NextSibling() const;
    TreeNode* PreviousSibling() const;
};

/// @short The thin model behind both trees: nodes of ids in three columns
/// (name, memo symbol, count), drawn by the pane's delegate from its
/// owner's answers. The model only keeps the structure; the pane decides
/// every change and announces it through the calls below, so that views
/// keep their selection and expansion across moves and sorts.
class CIdTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, MemoColumn = 1, CountColumn = 2, ColumnCount = 3 };
    enum Role { KindRole = Qt::UserRole + 1, IdRole };

    explicit CIdTreeModel(QObject* parent = nullptr);

    /// The hidden node above the top-level nodes.
    TreeNode* Top() { return &m_top; }
    TreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TreeNode* node, int column = NameColumn) const;

    /// Inserts the nodes, in order, as children of `parent` from `position`
    /// (clamped to the child count); one insertion for views.
    void Insert(TreeNode* parent, int position, std::vector<std::unique_ptr<TreeNode>> nodes);
    /// Removes the node with its subtree. `dropping` sees each removed node
    /// first (parents before children), while it is still whole.
    void Remove(TreeNode* node, const std::function<void(TreeNode*)>& dropping = {});
    /// Moves the node with its subtree to `position` among the children of
    /// `parent` (counted before the move). False when `parent` lies in the
    /// node's own subtree or nothing would change.
    bool Move(TreeNode* node, TreeNode* parent, int position);
    /// Reorders the children of `parent` by `less` (stable).
    void SortChildren(TreeNode* parent, const std::function<bool(const TreeNode*, const TreeNode*)>& less);
    /// Every node below the top is gone.
    void Clear();
    /// The node's display copies changed: views redraw its row.
    void NodeChanged(const TreeNode* node);
    /// Visits every node below `from` depth first in tree order, `from`
    /// itself not included.
    static void Walk(const TreeNode* from, const std::function<void(TreeNode*)>& visit);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// The header strip only divides the columns; it has no captions.
    QVariant headerData(int, Qt::Orientation, int) const override { return {}; }

private:
    TreeNode m_top;
};
