#include "dictionary/cattreectrl.h"

#include "dictionary/dictionaryids.h"
#include "dictionary/qntdicdlg.h"
#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "foundation/dragobject.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"
#include "ui/redit4list.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kItemHeight = 20;
/// The selection's colour while the tree has no focus.
const QColor kUnfocusedSelection(51, 102, 236);

int ModifierBits(Qt::KeyboardModifiers modifiers)
{
    int bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= ModifierKey::Shift;
    if (modifiers & Qt::ControlModifier)
        bits |= ModifierKey::Ctrl;
    if (modifiers & Qt::AltModifier)
        bits |= ModifierKey::Alt;
    return bits;
}

/// True when the item lies inside the subtree of `ancestor` (itself
/// included).
bool IsInSubtree(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor)
{
    for (; item; item = item->parent())
        if (item == ancestor)
            return true;
    return false;
}

}  // namespace

CCatTreeCtrl::CCatTreeCtrl(CQntDicDlg* window, RequestOwner* owner, QWidget* parent)
    : QTreeWidget(parent), m_window(window), m_owner(owner)
{
    setObjectName(QStringLiteral("categoryTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    header()->setStretchLastSection(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setFrameShape(QFrame::Box);
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, kUnfocusedSelection);
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    setPalette(colours);
    m_root = new QTreeWidgetItem(this);
    m_root->setData(0, kIdRole, 0);
    m_root->setText(0, DisplayText(0));
    m_root->setSizeHint(0, QSize(0, kItemHeight));
    m_root->setExpanded(true);
}

CCatTreeCtrl::~CCatTreeCtrl()
{
    if (m_editor)
        CREdit4List::DestroyActive();
}

QTreeWidgetItem* CCatTreeCtrl::ItemOf(qint32 id) const
{
    return id == 0 ? m_root : m_items.value(id);
}

qint32 CCatTreeCtrl::IdOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kIdRole).toInt() : 0;
}

qint32 CCatTreeCtrl::SelectedId() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? 0 : IdOf(selected.first());
}

QList<qint32> CCatTreeCtrl::PreorderIds() const
{
    QList<qint32> ids;
    const std::function<void(const QTreeWidgetItem*)> walk = [&](const QTreeWidgetItem* item) {
        for (int i = 0; i < item->childCount(); ++i) {
            ids.append(IdOf(item->child(i)));
            walk(item->child(i));
        }
    };
    // Categories outside the root (their parent was missing) follow it.
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* top = topLevelItem(i);
        if (top != m_root)
            ids.append(IdOf(top));
        walk(top);
    }
    return ids;
}

QString CCatTreeCtrl::DisplayText(qint32 id) const
{
    if (!m_owner)
        return {};
    ListNotifyInfo info;
    info.topic = TopicId::DictionaryCategories;
    info.itemId = id;
    info.mask = ListNotifyMask::Name;
    info.query = true;
    SendRequest(m_owner, const_cast<CCatTreeCtrl*>(this), DictControl::Tree, info);
    return info.handled ? info.name : QString();
}

QTreeWidgetItem* CCatTreeCtrl::InsertCategory(qint32 id, qint32 parent, qint32 after, bool expandParent)
{
    if (id <= 0 || m_items.contains(id))
        return nullptr;
    QTreeWidgetItem* parentItem = ItemOf(parent);
    auto* item = new QTreeWidgetItem;
    item->setData(0, kIdRole, id);
    item->setText(0, DisplayText(id));
    item->setSizeHint(0, QSize(0, kItemHeight));
    if (!parentItem) {
        // A category whose parent is not in the tree stands beside the root.
        addTopLevelItem(item);
    } else {
        int index = 0;
        if (after < 0) {
            index = parentItem->childCount();
        } else if (after > 0) {
            QTreeWidgetItem* sibling = m_items.value(after);
            const int at = sibling && sibling->parent() == parentItem ? parentItem->indexOfChild(sibling) : -1;
            index = at + 1;
        }
        parentItem->insertChild(index, item);
        if (expandParent)
            parentItem->setExpanded(true);
    }
    m_items.insert(id, item);
    return item;
}

void CCatTreeCtrl::RemoveCategory(qint32 id)
{
    QTreeWidgetItem* item = m_items.value(id);
    if (!item)
        return;
    ClearDropMarks();
    // The subtree's ids go with it.
    const std::function<void(QTreeWidgetItem*)> unmap = [&](QTreeWidgetItem* node) {
        m_items.remove(IdOf(node));
        for (int i = 0; i < node->childCount(); ++i)
            unmap(node->child(i));
    };
    unmap(item);
    delete item;
}

void CCatTreeCtrl::RefreshCategory(qint32 id)
{
    if (QTreeWidgetItem* item = ItemOf(id))
        item->setText(0, DisplayText(id));
}

void CCatTreeCtrl::SelectCategory(qint32 id)
{
    QTreeWidgetItem* item = ItemOf(id);
    if (id == 0) {
        if (currentItem() != m_root)
            clearSelection();
        return;
    }
    if (!item)
        return;
    const QSignalBlocker quiet(this);
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
    viewport()->update();
}

void CCatTreeCtrl::ResetCategories()
{
    ClearDropMarks();
    m_items.clear();
    qDeleteAll(m_root->takeChildren());
    for (int i = topLevelItemCount() - 1; i >= 0; --i)
        if (topLevelItem(i) != m_root)
            delete takeTopLevelItem(i);
}

bool CCatTreeCtrl::BeginRename(qint32 id)
{
    QTreeWidgetItem* item = m_items.value(id);
    if (!item || !m_owner)
        return false;
    if (m_editor)
        m_editor->Finish(true);
    ListNotifyInfo ask;
    ask.topic = TopicId::DictionaryCategories;
    ask.itemId = id;
    ask.mask = ListNotifyMask::Name;
    ask.query = true;
    SendRequest(m_owner, this, DictControl::Tree, ask);
    if (!ask.handled || !ask.mayRename)
        return false;
    scrollToItem(item);
    const QRect row = visualItemRect(item);
    const int textLeft = row.left();
    QRect area(textLeft - 2, row.top(), viewport()->width() - textLeft + 2, row.height());
    auto* editor = new CREdit4List;
    if (!editor->Create(viewport(), this, area, ask.name, int(FieldDescriptor::kNameUnits), id)) {
        delete editor;
        return false;
    }
    m_editor = editor;
    connect(editor, &CREdit4List::finished, this, &CCatTreeCtrl::FinishRename);
    return true;
}

CREdit4List* CCatTreeCtrl::ActiveEditor() const
{
    return m_editor;
}

void CCatTreeCtrl::FinishRename(bool accepted)
{
    CREdit4List* editor = m_editor;
    if (!editor)
        return;
    const qint32 id = editor->CallerValue();
    const QString text = editor->GetText().trimmed();
    m_editor = nullptr;
    if (!accepted || text.isEmpty() || !m_owner)
        return;
    ListNotifyInfo rename;
    rename.topic = TopicId::DictionaryCategories;
    rename.itemId = id;
    rename.mask = ListNotifyMask::Name;
    rename.name = text;
    SendRequest(m_owner, this, DictControl::Tree, rename);
}

void CCatTreeCtrl::SendFollow(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers)
{
    if (!m_owner)
        return;
    IdListNotifyInfo info(RequestCode::FollowItem);
    info.kind = TopicId::DictionaryCategories;
    info.itemId = IdOf(item);
    const QRect row = item ? visualItemRect(item) : QRect();
    info.point = viewport()->mapToGlobal(item ? QPoint(row.left(), row.bottom()) : QPoint());
    info.modifierKeys = ModifierBits(modifiers);
    SendRequest(m_owner, this, DictControl::Tree, info);
}

void CCatTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (!item)
        clearSelection();
    SendFollow(item, event->modifiers());
}

void CCatTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() != before && currentItem())
        SendFollow(currentItem(), event->modifiers());
}

bool CCatTreeCtrl::ReadPayload(const QMimeData* data, CDragObject& payload) const
{
    const QString identity = m_owner ? m_owner->ProjectIdentity() : QString();
    return CDragObject::ReadMimeData(data, identity, payload) == CDragObject::ReadResult::Accepted;
}

void CCatTreeCtrl::startDrag(Qt::DropActions supportedActions)
{
    Q_UNUSED(supportedActions);
    QTreeWidgetItem* item = currentItem();
    const qint32 id = IdOf(item);
    if (!item || item == m_root || id <= 0)
        return;
    SendFollow(item, QGuiApplication::keyboardModifiers());
    CDragObject payload(TopicId::DictionaryCategories, id);
    payload.m_ids = {id};
    const QString identity = m_owner ? m_owner->ProjectIdentity() : QString();
    if (m_dragRunner)
        m_dragRunner(payload, identity);
    else
        payload.DoDragDrop(this, identity, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::MoveAction);
    ClearDropMarks();
}

Qt::DropAction CCatTreeCtrl::DropActionAt(const QPoint& point, Qt::KeyboardModifiers modifiers, CDragObject* payload,
                                          QTreeWidgetItem** target)
{
    *target = itemAt(point);
    QTreeWidgetItem* item = *target;
    if (!item)
        return Qt::IgnoreAction;
    const qint32 id = IdOf(item);
    if (payload->m_kind == TopicId::DictionaryEntries) {
        if (payload->m_ids.isEmpty() || id <= 0)
            return Qt::IgnoreAction;
        m_highlight = item;
        m_insertMark = nullptr;
        return Qt::MoveAction;
    }
    if (payload->m_kind == TopicId::DictionaryCategories) {
        QTreeWidgetItem* dragged = m_items.value(payload->m_id);
        if (!dragged || id == payload->m_id || IsInSubtree(item, dragged))
            return Qt::IgnoreAction;
        const bool shift = modifiers & Qt::ShiftModifier;
        m_highlight = shift || item == m_root ? item : nullptr;
        m_insertMark = shift || item == m_root ? nullptr : item;
        return Qt::MoveAction;
    }
    return Qt::IgnoreAction;
}

void CCatTreeCtrl::dragEnterEvent(QDragEnterEvent* event)
{
    CDragObject payload;
    if (!ReadPayload(event->mimeData(), payload) ||
        (payload.m_kind != TopicId::DictionaryEntries && payload.m_kind != TopicId::DictionaryCategories)) {
        event->ignore();
        return;
    }
    // Entered: the move events say where a drop is taken.
    event->acceptProposedAction();
}

void CCatTreeCtrl::dragMoveEvent(QDragMoveEvent* event)
{
    CDragObject payload;
    QTreeWidgetItem* target = nullptr;
    ClearDropMarks();
    const Qt::DropAction action = ReadPayload(event->mimeData(), payload)
                                      ? DropActionAt(event->position().toPoint(), event->modifiers(), &payload, &target)
                                      : Qt::IgnoreAction;
    viewport()->update();
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CCatTreeCtrl::dragLeaveEvent(QDragLeaveEvent* event)
{
    ClearDropMarks();
    QTreeWidget::dragLeaveEvent(event);
}

void CCatTreeCtrl::dropEvent(QDropEvent* event)
{
    CDragObject payload;
    QTreeWidgetItem* target = nullptr;
    const Qt::DropAction action = ReadPayload(event->mimeData(), payload)
                                      ? DropActionAt(event->position().toPoint(), event->modifiers(), &payload, &target)
                                      : Qt::IgnoreAction;
    ClearDropMarks();
    if (action == Qt::IgnoreAction || !target) {
        event->ignore();
        return;
    }
    if (payload.m_kind == TopicId::DictionaryEntries)
        m_window->MoveEntries(payload.m_ids, IdOf(target));
    else
        MoveCategoryItem(payload.m_id, target, event->modifiers() & Qt::ShiftModifier);
    event->setDropAction(action);
    event->accept();
}

void CCatTreeCtrl::MapSubtree(QTreeWidgetItem* item)
{
    m_items.insert(IdOf(item), item);
    for (int i = 0; i < item->childCount(); ++i)
        MapSubtree(item->child(i));
}

void CCatTreeCtrl::MoveCategoryItem(qint32 dragged, QTreeWidgetItem* target, bool shift)
{
    QTreeWidgetItem* item = m_items.value(dragged);
    if (!item || !target || IsInSubtree(target, item))
        return;
    // The item travels with its subtree; the ids stay mapped to it.
    QTreeWidgetItem* oldParent = item->parent();
    if (oldParent)
        oldParent->removeChild(item);
    else
        takeTopLevelItem(indexOfTopLevelItem(item));
    QTreeWidgetItem* newParent = nullptr;
    if (shift || target == m_root) {
        newParent = target;
        target->insertChild(0, item);
    } else if (QTreeWidgetItem* parent = target->parent()) {
        newParent = parent;
        parent->insertChild(parent->indexOfChild(target) + 1, item);
    } else {
        insertTopLevelItem(indexOfTopLevelItem(target) + 1, item);
    }
    if (newParent)
        newParent->setExpanded(true);
    MapSubtree(item);
    item->setExpanded(true);
    SelectCategory(dragged);
    if (!m_owner)
        return;
    ListNotifyInfo moved;
    moved.topic = TopicId::DictionaryCategories;
    moved.itemId = dragged;
    moved.mask = ListNotifyMask::Parent;
    moved.newParentTopic = TopicId::DictionaryCategories;
    moved.newParentId = IdOf(newParent);
    SendRequest(m_owner, this, DictControl::Tree, moved);
}

void CCatTreeCtrl::ClearDropMarks()
{
    if (!m_highlight && !m_insertMark)
        return;
    m_highlight = nullptr;
    m_insertMark = nullptr;
    viewport()->update();
}

void CCatTreeCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (m_highlight && itemFromIndex(index) == m_highlight) {
        QStyleOptionViewItem marked(option);
        marked.state |= QStyle::State_Selected;
        painter->fillRect(option.rect, palette().color(QPalette::Active, QPalette::Highlight));
        QTreeWidget::drawRow(painter, marked, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}

void CCatTreeCtrl::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (!m_insertMark)
        return;
    // The insertion mark: a line under the item the category would follow.
    QPainter painter(viewport());
    const QRect row = visualItemRect(m_insertMark);
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    painter.drawLine(row.left(), row.bottom(), viewport()->width(), row.bottom());
}
