#include "panes/idtreemodel.h"

#include <algorithm>

int TreeNode::Row() const
{
    if (!parent)
        return 0;
    const auto& siblings = parent->children;
    if (rowHint >= 0 && rowHint < int(siblings.size()) && siblings[size_t(rowHint)].get() == this)
        return rowHint;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) {
            rowHint = int(i);
            return rowHint;
        }
    return 0;
}

int TreeNode::Depth() const
{
    int depth = -1;
    for (const TreeNode* node = parent; node; node = node->parent)
        ++depth;
    return std::max(depth, 0);
}

bool TreeNode::Contains(const TreeNode* other) const
{
    for (const TreeNode* node = other; node; node = node->parent)
        if (node == this)
            return true;
    return false;
}

TreeNode* TreeNode::NextSibling() const
{
    if (!parent)
        return nullptr;
    const int row = Row() + 1;
    return row < int(parent->children.size()) ? parent->children[size_t(row)].get() : nullptr;
}

TreeNode* TreeNode::PreviousSibling() const
{
    if (!parent)
        return nullptr;
    const int row = Row() - 1;
    return row >= 0 ? parent->children[size_t(row)].get() : nullptr;
}

CIdTreeModel::CIdTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TreeNode* CIdTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex CIdTreeModel::IndexOf(const TreeNode* node, int column) const
{
    if (!node || node == &m_top)
        return {};
    return createIndex(node->Row(), column, const_cast<TreeNode*>(node));
}

void CIdTreeModel::Insert(TreeNode* parent, int position, std::vector<std::unique_ptr<TreeNode>> nodes)
{
    if (nodes.empty())
        return;
    position = std::clamp(position, 0, int(parent->children.size()));
    beginInsertRows(IndexOf(parent), position, position + int(nodes.size()) - 1);
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->parent = parent;
        nodes[i]->rowHint = position + int(i);
    }
    parent->children.insert(parent->children.begin() + position, std::make_move_iterator(nodes.begin()),
                            std::make_move_iterator(nodes.end()));
    endInsertRows();
}

void CIdTreeModel::Remove(TreeNode* node, const std::function<void(TreeNode*)>& dropping)
{
    if (!node || !node->parent)
        return;
    if (dropping) {
        dropping(node);
        Walk(node, dropping);
    }
    TreeNode* parent = node->parent;
    const int row = node->Row();
    beginRemoveRows(IndexOf(parent), row, row);
    parent->children.erase(parent->children.begin() + row);
    endRemoveRows();
}

bool CIdTreeModel::Move(TreeNode* node, TreeNode* parent, int position)
{
    if (!node || !node->parent || !parent || node->Contains(parent))
        return false;
    TreeNode* from = node->parent;
    const int row = node->Row();
    position = std::clamp(position, 0, int(parent->children.size()));
    if (from == parent && (position == row || position == row + 1))
        return false;
    if (!beginMoveRows(IndexOf(from), row, row, IndexOf(parent), position))
        return false;
    std::unique_ptr<TreeNode> taken = std::move(from->children[size_t(row)]);
    from->children.erase(from->children.begin() + row);
    if (from == parent && position > row)
        --position;
    taken->parent = parent;
    parent->children.insert(parent->children.begin() + position, std::move(taken));
    endMoveRows();
    return true;
}

void CIdTreeModel::SortChildren(TreeNode* parent,
                                const std::function<bool(const TreeNode*, const TreeNode*)>& less)
{
    auto& children = parent->children;
    if (children.size() < 2)
        return;
    const QModelIndex parentIndex = IndexOf(parent);
    emit layoutAboutToBeChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
    std::vector<TreeNode*> before;
    before.reserve(children.size());
    for (const auto& child : children)
        before.push_back(child.get());
    std::stable_sort(children.begin(), children.end(),
                     [&less](const std::unique_ptr<TreeNode>& a, const std::unique_ptr<TreeNode>& b) {
                         return less(a.get(), b.get());
                     });
    // Persistent indexes (selection, expansion, current) follow their nodes.
    QModelIndexList from;
    QModelIndexList to;
    for (const QModelIndex& old : persistentIndexList()) {
        if (old.parent() != parentIndex)
            continue;
        TreeNode* node = NodeOf(old);
        from.append(old);
        to.append(createIndex(node->Row(), old.column(), node));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
}

void CIdTreeModel::Clear()
{
    beginResetModel();
    m_top.children.clear();
    endResetModel();
}

void CIdTreeModel::NodeChanged(const TreeNode* node)
{
    if (!node || node == &m_top)
        return;
    emit dataChanged(IndexOf(node, NameColumn), IndexOf(node, CountColumn));
}

void CIdTreeModel::Walk(const TreeNode* from, const std::function<void(TreeNode*)>& visit)
{
    // An explicit stack: a deep code hierarchy of a damaged file must not
    // exhaust the call stack.
    std::vector<TreeNode*> pending;
    for (auto it = from->children.rbegin(); it != from->children.rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        TreeNode* node = pending.back();
        pending.pop_back();
        visit(node);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            pending.push_back(it->get());
    }
}

QModelIndex CIdTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const TreeNode* node = parent.isValid() ? NodeOf(parent) : &m_top;
    if (!node || row < 0 || row >= int(node->children.size()) || column < 0 || column >= ColumnCount)
        return {};
    const TreeNode* child = node->children[size_t(row)].get();
    child->rowHint = row;
    return createIndex(row, column, const_cast<TreeNode*>(child));
}

QModelIndex CIdTreeModel::parent(const QModelIndex& child) const
{
    const TreeNode* node = NodeOf(child);
    if (!node || !node->parent || node->parent == &m_top)
        return {};
    return IndexOf(node->parent);
}

int CIdTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != NameColumn)
        return 0;
    const TreeNode* node = parent.isValid() ? NodeOf(parent) : &m_top;
    return node ? int(node->children.size()) : 0;
}

int CIdTreeModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant CIdTreeModel::data(const QModelIndex& index, int role) const
{
    const TreeNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case KindRole: return node->kind;
    case IdRole: return node->Id();
    default: return {};
    }
}

Qt::ItemFlags CIdTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}
