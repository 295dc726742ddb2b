#include "panes/objtreectrl.h"

#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "foundation/dragobject.h"
#include "foundation/ids.h"
#include "foundation/stringstore.h"
#include "panes/objectlistctrl.h"
#include "panes/treetexts.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/storeids.h"
#include "ui/headerctrl.h"
#include "ui/richviewowner.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QTreeView>

namespace {

constexpr QSize kCodeTipSize{200, 45};
constexpr COLORREF kListHeaderColour = MakeColor(225, 255, 225);

}  // namespace

CObjTreeCtrl::CObjTreeCtrl(QWidget* parent) : CTreePaneBase(new CHeaderCtrlB, parent)
{
    setObjectName(QStringLiteral("CodeTree"));
    BuildRoots();
    m_list = new ObjectListCtrl(nullptr, kListId, this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->hide();
    // Drops on the list's rows are the pane's, not the list's own.
    m_list->setAcceptDrops(true);
    m_list->viewport()->setAcceptDrops(true);
    m_list->viewport()->installEventFilter(this);
}

CObjTreeCtrl::~CObjTreeCtrl()
{
    // The list's requests must not reach the registry's panes half gone.
    LeaveRegistry();
}

// ---- List mode ------------------------------------------------------------------

void CObjTreeCtrl::resizeEvent(QResizeEvent* event)
{
    CTreePaneBase::resizeEvent(event);
    m_list->setGeometry(rect().adjusted(1, 1, -1, -1));
}

void CObjTreeCtrl::OnCaptionCommand(int commandId)
{
    switch (commandId) {
    case ToggleListMode: SwitchListMode(); break;
    case EditCodeFilter: emit ColourFilterRequested(TopicId::Codes); break;
    default: CTreePaneBase::OnCaptionCommand(commandId); break;
    }
}

void CObjTreeCtrl::SwitchListMode()
{
    ResetSearch();
    m_listMode = !m_listMode;
    if (m_listMode && !m_listSetUp)
        SetUpList(GetAllCodeIds());
    Header()->setVisible(!m_listMode);
    TreeView()->setVisible(!m_listMode);
    m_list->setVisible(m_listMode);
    setFocusProxy(m_listMode ? static_cast<QWidget*>(m_list) : TreeView());
}

void CObjTreeCtrl::SetUpList(const QList<qint32>& codes)
{
    m_list->SetOwner(GetOwner());
    FieldIdsNotifyInfo fields;
    fields.topic = TopicId::Codes;
    SendToOwner(fields);
    m_list->Init(TopicId::Codes, 0, 0, fields.ids, codes);
    m_list->RestoreState(true);
    m_list->Setup(kListHeaderColour, true);
    m_listSetUp = true;
}

qint32 CObjTreeCtrl::ListCodeAt(QPoint screenPos) const
{
    const QModelIndex index = m_list->indexAt(m_list->viewport()->mapFromGlobal(screenPos));
    return index.isValid() ? m_list->KeyAt(index.row()) : 0;
}

bool CObjTreeCtrl::ListTakes(qint32 draggedKind)
{
    return draggedKind == TopicId::Codings || draggedKind == TreeDragKind::BrowserSelection
           || draggedKind == TreeDragKind::PreviewSelection;
}

bool CObjTreeCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list->viewport())
        return CTreePaneBase::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        CDragObject payload;
        const QString identity = GetOwner() ? GetOwner()->ProjectIdentity() : QString();
        const bool read =
            CDragObject::ReadMimeData(drop->mimeData(), identity, payload) == CDragObject::ReadResult::Accepted;
        const QPoint screenPos = m_list->viewport()->mapToGlobal(drop->position().toPoint());
        if (event->type() == QEvent::DragEnter) {
            read ? drop->accept() : drop->ignore();
        } else if (event->type() == QEvent::DragMove) {
            const Qt::DropAction effect = read ? OnDragOver(payload.m_kind, payload.m_id, screenPos) : Qt::IgnoreAction;
            if (effect == Qt::IgnoreAction) {
                drop->ignore();
            } else {
                drop->setDropAction(effect);
                drop->accept();
            }
        } else if (read && OnDrop(payload.m_kind, payload.m_id, screenPos)) {
            drop->acceptProposedAction();
        } else {
            drop->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        OnDragLeave();
        return true;
    default:
        return CTreePaneBase::eventFilter(watched, event);
    }
}

Qt::DropAction CObjTreeCtrl::OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    if (!m_listMode)
        return CTreePaneBase::OnDragOver(draggedKind, draggedId, screenPos);
    const qint32 code = ListCodeAt(screenPos);
    if (!code || !ListTakes(draggedKind))
        return Qt::IgnoreAction;
    const int keys = ModifierKeysOf(QGuiApplication::keyboardModifiers());
    const qint32 answer = RequestDrop(false, screenPos, keys, draggedKind, draggedId, TopicId::Codes, code);
    return answer == 1 ? Qt::CopyAction : answer == 0 ? Qt::IgnoreAction : Qt::MoveAction;
}

bool CObjTreeCtrl::OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    if (!m_listMode)
        return CTreePaneBase::OnDrop(draggedKind, draggedId, screenPos);
    const qint32 code = ListCodeAt(screenPos);
    if (!code || !ListTakes(draggedKind))
        return false;
    const int keys = ModifierKeysOf(QGuiApplication::keyboardModifiers());
    RequestDrop(true, screenPos, keys, draggedKind, draggedId, TopicId::Codes, code);
    return true;
}

void CObjTreeCtrl::DragScroll(qint32 scrollCode)
{
    if (!m_listMode)
        CTreePaneBase::DragScroll(scrollCode);
}

void CObjTreeCtrl::ResetContent()
{
    CTreePaneBase::ResetContent();
    m_list->Fill(0, 0, {});
    m_listSetUp = false;
}

void CObjTreeCtrl::OnObjectChanged(qint32 topic, qint32 id)
{
    CTreePaneBase::OnObjectChanged(topic, id);
    if (m_listMode && m_listSetUp)
        m_list->UpdateRowById(topic, id);
}

void CObjTreeCtrl::SelectObject(qint32 topic, qint32 id, qint32 flag)
{
    CTreePaneBase::SelectObject(topic, id, flag);
    if (id != 0 && topic == TopicId::Codes && m_listSetUp)
        m_list->SelectRow(id);
}

void CObjTreeCtrl::SetCheckColumnWidth(bool checkBoxes)
{
    static_cast<CHeaderCtrlB*>(Header())->SetCheckColumnWidth(checkBoxes);
    FitCountColumn();
}

qint32 CObjTreeCtrl::FirstRootKind() const
{
    return TopicKind::CodeSystemRoot;
}

qint32 CObjTreeCtrl::SecondRootKind() const
{
    return TopicKind::CodeSetsRoot;
}

quint32 CObjTreeCtrl::QueryMask(qint32 kind) const
{
    if (kind == TopicId::Codes)
        return ListNotifyMask::Image | ListNotifyMask::State | ListNotifyMask::CountSubcodes;
    return ListNotifyMask::Image | ListNotifyMask::State | ListNotifyMask::Count;
}

bool CObjTreeCtrl::HasCheckBox(qint32 kind) const
{
    return kind == TopicId::Codes || kind == TopicId::CodeSetMembers;
}

bool CObjTreeCtrl::IsDragSource(const TreeNode* node) const
{
    return node && node != FirstRoot() && node != SecondRoot();
}

bool CObjTreeCtrl::HasMemoTip(qint32 kind) const
{
    return kind == TopicId::Codes || kind == TopicId::CodeSetMembers;
}

bool CObjTreeCtrl::IsShown(qint32 topic, qint32 id)
{
    switch (topic) {
    case TopicKind::CodeSystemRoot:
    case TopicKind::CodeSetsRoot:
        return true;
    case TopicId::Codes:
        return id == -1 || Mapped(topic, id);
    case TopicId::CodeSets:
    case TopicId::CodeSetMembers:
        return Mapped(topic, id) != nullptr;
    default:
        return false;
    }
}

TreeNode* CObjTreeCtrl::CodeParent(qint32 parentId) const
{
    TreeNode* parent = parentId > 0 ? Mapped(TopicId::Codes, parentId) : nullptr;
    return parent ? parent : FirstRoot();
}

bool CObjTreeCtrl::OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                                 bool select)
{
    TreeNode* parent = nullptr;
    switch (topic) {
    case TopicId::CodeSets:
        if (parentTopic != TopicKind::CodeSetsRoot)
            return false;
        parent = SecondRoot();
        break;
    case TopicId::CodeSetMembers:
        parent = parentTopic == TopicId::CodeSets ? Mapped(TopicId::CodeSets, parentId) : nullptr;
        if (!parent)
            return false;
        break;
    case TopicId::Codes:
        parent = CodeParent(parentId);
        break;
    case TopicId::Memos:
        if (parentTopic == TopicId::Codes)
            if (TreeNode* code = Mapped(TopicId::Codes, parentId))
                Model().NodeChanged(code);
        return true;
    default:
        return true;
    }
    if (!PlaceObject(parent, PositionAfter(parent, topic, after), topic, id, select))
        return false;
    // A code added alone joins the list; those of a bulk addition come in one go.
    if (topic == TopicId::Codes && !Bulk() && m_listSetUp && !m_list->HasRow(id))
        m_list->AddRow(id);
    if (topic != TopicId::Codes && !Bulk())
        Renumber();
    return true;
}

bool CObjTreeCtrl::OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId)
{
    if (ids.isEmpty())
        return true;
    BeginBulk();
    TreeNode* parent = nullptr;
    if (topic == TopicId::Codes)
        parent = CodeParent(parentId);
    else if (topic == TopicId::CodeSets && parentTopic == TopicKind::CodeSetsRoot)
        parent = SecondRoot();
    else if (topic == TopicId::CodeSetMembers && parentTopic == TopicId::CodeSets)
        parent = Mapped(TopicId::CodeSets, parentId);
    if (!parent) {
        for (const quint32 id : ids)
            OnObjectAdded(topic, qint32(id), -1, parentTopic, parentId, false);
        EndBulk();
        return true;
    }
    PlaceObjects(parent, -1, topic, ids, false);
    // The list of list mode is set up when it is first shown; until then
    // the tree alone follows the codes.
    if (topic == TopicId::Codes && m_listMode && !m_listSetUp)
        SetUpList(GetAllCodeIds());
    else if (topic == TopicId::Codes && m_listSetUp) {
        QList<qint32> codes;
        for (const quint32 id : ids)
            if (!m_list->HasRow(qint32(id)))
                codes.append(qint32(id));
        if (!codes.isEmpty())
            m_list->AddRows(codes);
    }
    EndBulk();
    return true;
}

bool CObjTreeCtrl::BeginEditLabel(qint32 topic, qint32 id)
{
    TreeNode* node = topic == TopicId::Codes && id == -1 ? SelectedNode() : FindNode(topic, id);
    if (!node || node == FirstRoot() || node == SecondRoot() || !MayRename(node))
        return false;
    return OpenRenameEditor(node);
}

void CObjTreeCtrl::OnObjectDeleted(qint32 topic, qint32 id)
{
    if (topic == TopicId::Codes || topic == TopicId::CodeSets || topic == TopicId::CodeSetMembers)
        RemoveNode(Mapped(topic, id));
    if (topic == TopicId::Codes && m_listSetUp)
        m_list->DeleteRowById(id);
}

void CObjTreeCtrl::ExpandObject(qint32 topic, qint32 id)
{
    TreeNode* node = FindNode(topic, id);
    if (!node || node->children.empty())
        return;
    ExpandNode(node);
    SendExpandState(node, true);
}

void CObjTreeCtrl::SortChildren(qint32 topic, qint32 id, qint32)
{
    TreeNode* parent = nullptr;
    switch (topic) {
    case TopicKind::CodeSystemRoot: parent = FirstRoot(); break;
    case TopicKind::CodeSetsRoot: parent = SecondRoot(); break;
    case TopicId::Codes:
    case TopicId::CodeSets: parent = Mapped(topic, id); break;
    default: return;
    }
    if (!parent)
        return;
    SortNode(parent, true);
    Renumber();
}

QList<TreeRow> CObjTreeCtrl::GetCodeRows() const
{
    QList<TreeRow> rows;
    CIdTreeModel::Walk(FirstRoot(), [&rows, this](TreeNode* node) {
        TreeRow row;
        row.id = node->Id();
        row.parentId = node->parent == FirstRoot() ? 0 : node->parent->Id();
        row.level = node->Depth();
        row.expanded = TreeView()->isExpanded(const_cast<CObjTreeCtrl*>(this)->Model().IndexOf(node));
        row.hasChildren = !node->children.empty();
        row.hasPrevious = node->PreviousSibling() != nullptr;
        row.hasNext = node->NextSibling() != nullptr;
        // Levels count from 1 below the root: the ancestor at level k + 1.
        for (const TreeNode* up = node->parent; up && up != FirstRoot(); up = up->parent) {
            const int level = up->Depth();
            if (level >= 1 && level <= int(row.lineFlags.size()))
                row.lineFlags[size_t(level - 1)] = up->NextSibling() ? 1 : 0;
        }
        rows.append(row);
    });
    return rows;
}

QList<qint32> CObjTreeCtrl::GetAllCodeIds() const
{
    QList<qint32> ids;
    CIdTreeModel::Walk(FirstRoot(), [&ids](TreeNode* node) { ids.append(node->Id()); });
    return ids;
}

// ---- Drops --------------------------------------------------------------------

CObjTreeCtrl::DropAction CObjTreeCtrl::Classify(qint32 draggedKind, qint32 draggedId, const TreeNode* target,
                                                int keys) const
{
    const qint32 targetKind = target->kind;
    switch (draggedKind) {
    case TopicId::Codings:
    case TreeDragKind::BrowserSelection:
    case TreeDragKind::PreviewSelection:
        return DropAction::AskOwner;
    default:
        break;
    }
    if (keys & ModifierKey::Ctrl)
        return DropAction::AskOwnerThenRenumber;
    if (draggedKind == targetKind && draggedId == target->Id())
        return DropAction::None;
    switch (draggedKind) {
    case TopicId::Codes: {
        if (targetKind == TopicKind::CodeSetsRoot || targetKind == TopicId::CodeSets)
            return DropAction::AskOwnerThenRenumber;
        if (targetKind != TopicKind::CodeSystemRoot && targetKind != TopicId::Codes)
            return DropAction::None;
        const TreeNode* code = Mapped(TopicId::Codes, draggedId);
        // Never under itself or one of its own subcodes.
        return code && !code->Contains(target) ? DropAction::MoveCode : DropAction::None;
    }
    case TopicId::CodeSets: {
        const TreeNode* set = Mapped(TopicId::CodeSets, draggedId);
        if (!set)
            return DropAction::None;
        if (targetKind == TopicKind::CodeSetsRoot)
            return set->Row() > 0 ? DropAction::SetFirst : DropAction::None;
        if (targetKind == TopicId::CodeSets)
            return target->NextSibling() != set ? DropAction::SetBehind : DropAction::None;
        return DropAction::None;
    }
    case TopicId::CodeSetMembers: {
        const TreeNode* member = Mapped(TopicId::CodeSetMembers, draggedId);
        if (!member)
            return DropAction::None;
        if (targetKind == TopicId::CodeSets)
            return member->parent == target && member->Row() == 0 ? DropAction::None : DropAction::MemberFirst;
        if (targetKind == TopicId::CodeSetMembers)
            return target->NextSibling() != member ? DropAction::MemberBehind : DropAction::None;
        return DropAction::None;
    }
    default:
        return DropAction::None;
    }
}

Qt::DropAction CObjTreeCtrl::DropEffect(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys,
                                        QPoint screenPos)
{
    switch (Classify(draggedKind, draggedId, target, keys)) {
    case DropAction::None:
        return Qt::IgnoreAction;
    case DropAction::AskOwner:
    case DropAction::AskOwnerThenRenumber: {
        const qint32 answer = RequestDrop(false, screenPos, keys, draggedKind, draggedId, target->kind, target->Id());
        return answer == 1 ? Qt::CopyAction : answer == 0 ? Qt::IgnoreAction : Qt::MoveAction;
    }
    default:
        return Qt::MoveAction;
    }
}

bool CObjTreeCtrl::ApplyDrop(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys, QPoint screenPos)
{
    const DropAction action = Classify(draggedKind, draggedId, target, keys);
    bool changed = false;
    switch (action) {
    case DropAction::None:
        return false;
    case DropAction::AskOwner:
        return RequestDrop(true, screenPos, keys, draggedKind, draggedId, target->kind, target->Id()) != 0;
    case DropAction::AskOwnerThenRenumber:
        changed = RequestDrop(true, screenPos, keys, draggedKind, draggedId, target->kind, target->Id()) != 0;
        break;
    case DropAction::SetFirst:
        changed = MoveNode(Mapped(TopicId::CodeSets, draggedId), SecondRoot(), 0);
        break;
    case DropAction::SetBehind:
        changed = MoveNode(Mapped(TopicId::CodeSets, draggedId), SecondRoot(), target->Row() + 1);
        break;
    case DropAction::MemberFirst:
        changed = MoveAndTell(Mapped(TopicId::CodeSetMembers, draggedId), target, 0, TopicId::CodeSets, target->Id());
        break;
    case DropAction::MemberBehind:
        changed = MoveAndTell(Mapped(TopicId::CodeSetMembers, draggedId), target->parent, target->Row() + 1,
                              TopicId::CodeSets, target->parent->Id());
        break;
    case DropAction::MoveCode: {
        TreeNode* code = Mapped(TopicId::Codes, draggedId);
        const bool besideTarget = (keys & ModifierKey::Shift) && target->kind == TopicId::Codes;
        TreeNode* parent = besideTarget ? target->parent : target;
        const int position = besideTarget ? target->Row() + 1 : 0;
        const qint32 parentTopic = parent == FirstRoot() ? qint32(TopicKind::CodeSystemRoot) : qint32(TopicId::Codes);
        const qint32 parentId = parent == FirstRoot() ? 0 : parent->Id();
        changed = MoveAndTell(code, parent, position, parentTopic, parentId);
        if (changed)
            SelectNode(code);
        break;
    }
    }
    if (changed)
        Renumber();
    return changed;
}

// ---- Tips -----------------------------------------------------------------------

QString CObjTreeCtrl::ObjectTip(const TreeNode* node, QSize& size)
{
    if (node->kind != TopicId::Codes && node->kind != TopicId::CodeSetMembers)
        return {};
    qint32 code = node->Id();
    if (node->kind == TopicId::CodeSetMembers) {
        // A member shows its own code's data, not a code that happens to
        // carry the member's id.
        RecordNotifyInfo member;
        member.key = node->Id();
        member.topic = TopicId::CodeSetMembers;
        FieldValue value;
        if (!SendToOwner(member) || !member.found || !member.row.GetFieldValue(SetMemberField::ObjectID, value))
            return {};
        code = value.GetInt();
    }
    RecordNotifyInfo record;
    record.key = code;
    record.topic = TopicId::Codes;
    if (!SendToOwner(record) || !record.found)
        return {};
    FieldValue value;
    const QString date = record.row.GetFieldValue(CodeField::Date, value) ? FormatDateText(value.GetDate()) : QString();
    const QString author = record.row.GetFieldValue(CodeField::Author, value) ? value.GetText() : QString();
    const qint32 codings = record.row.GetFieldValue(CodeField::Codes, value) ? value.GetInt() : 0;
    size = kCodeTipSize;
    return QStringLiteral("%1:\t%2\n%3:\t\t%4\n%5:\t%6")
        .arg(LoadString(TreeText::Created), date, LoadString(TreeText::Author), author,
             LoadString(TreeText::CodedSegments))
        .arg(codings);
}

// ---- Export ---------------------------------------------------------------------

QList<CTreePaneBase::ExportRow> CObjTreeCtrl::ExportRows(bool withMemos)
{
    QList<ExportRow> rows;
    CIdTreeModel::Walk(FirstRoot(), [&](TreeNode* node) {
        ListNotifyInfo info;
        info.itemId = node->Id();
        info.topic = node->kind;
        info.mask = ListNotifyMask::Name | ListNotifyMask::Count | ListNotifyMask::Memo;
        QueryOwner(info);
        ExportRow row;
        row.column = row.indent = node->Depth() - 1;
        row.text = info.name;
        row.heading = row.column == 0;
        row.hasCount = true;
        row.count = info.count;
        if (withMemos && info.memoId > 0)
            row.memo = MemoPlainText(info.memoId);
        rows.append(row);
    });
    return rows;
}

CTreePaneBase::ExportStyle CObjTreeCtrl::GetExportStyle() const
{
    return {QStringLiteral("Verdana"), QString(), false, true};
}
