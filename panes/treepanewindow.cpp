#include "panes/treepanewindow.h"

#include "document/listnotifyinfo.h"
#include "foundation/ids.h"
#include "foundation/stringstore.h"
#include "panes/treetexts.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/storeids.h"
#include "ui/headerctrl.h"

namespace {

constexpr QSize kDocumentTipSize{200, 70};

}  // namespace

TreePaneWindow::TreePaneWindow(QWidget* parent) : CTreePaneBase(new CHeaderCtrlH, parent)
{
    setObjectName(QStringLiteral("DocumentTree"));
    BuildRoots();
}

void TreePaneWindow::OnCaptionCommand(int commandId)
{
    if (commandId == EditDocumentFilter)
        emit ColourFilterRequested(TopicId::Documents);
    else
        CTreePaneBase::OnCaptionCommand(commandId);
}

qint32 TreePaneWindow::FirstRootKind() const
{
    return TopicKind::DocumentsRoot;
}

qint32 TreePaneWindow::SecondRootKind() const
{
    return TopicKind::DocumentSetsRoot;
}

quint32 TreePaneWindow::QueryMask(qint32) const
{
    return ListNotifyMask::Image | ListNotifyMask::State | ListNotifyMask::Count;
}

bool TreePaneWindow::HasCheckBox(qint32 kind) const
{
    return kind == TopicId::Documents || kind == TopicId::DocumentSetMembers;
}

bool TreePaneWindow::IsDragSource(const TreeNode* node) const
{
    return node && node != FirstRoot() && node != SecondRoot();
}

bool TreePaneWindow::IsShown(qint32 topic, qint32 id)
{
    switch (topic) {
    case TopicKind::DocumentsRoot:
    case TopicKind::DocumentSetsRoot:
        return true;
    case TopicId::DocumentGroups:
        return id == 0 || Mapped(topic, id);
    case TopicId::Documents:
        return id == -1 || Mapped(topic, id);
    case TopicId::DocumentSets:
    case TopicId::DocumentSetMembers:
        return Mapped(topic, id) != nullptr;
    default:
        return false;
    }
}

int TreePaneWindow::UngroupedCount() const
{
    int count = 0;
    for (const auto& child : FirstRoot()->children)
        if (child->kind == TopicId::Documents)
            ++count;
    return count;
}

bool TreePaneWindow::OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                                   bool select)
{
    TreeNode* parent = nullptr;
    int position = 0;
    switch (topic) {
    case TopicId::DocumentGroups:
        if (parentTopic != TopicKind::DocumentsRoot)
            return false;
        parent = FirstRoot();
        // Groups stand behind the documents of no group.
        position = after > 0 ? PositionAfter(parent, topic, after) : 0;
        position = after < 0 ? int(parent->children.size()) : std::max(position, UngroupedCount());
        break;
    case TopicId::DocumentSets:
        if (parentTopic != TopicKind::DocumentSetsRoot)
            return false;
        parent = SecondRoot();
        position = PositionAfter(parent, topic, after);
        break;
    case TopicId::Documents:
        if (parentTopic != TopicId::DocumentGroups)
            return false;
        parent = parentId == 0 ? FirstRoot() : Mapped(TopicId::DocumentGroups, parentId);
        if (!parent)
            return false;
        position = PositionAfter(parent, topic, after);
        if (parent == FirstRoot())
            position = std::min(after < 0 ? UngroupedCount() : position, UngroupedCount());
        break;
    case TopicId::DocumentSetMembers:
        parent = parentTopic == TopicId::DocumentSets ? Mapped(TopicId::DocumentSets, parentId) : nullptr;
        if (!parent)
            return false;
        position = PositionAfter(parent, topic, after);
        break;
    default:
        return true;
    }
    const qint32 data = topic == TopicId::Documents && parent == FirstRoot() ? -id : id;
    if (!PlaceObject(parent, position, topic, data, select))
        return false;
    if ((topic == TopicId::DocumentGroups || topic == TopicId::DocumentSets) && !Bulk())
        Renumber();
    return true;
}

bool TreePaneWindow::OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId)
{
    if (ids.isEmpty())
        return true;
    BeginBulk();
    TreeNode* parent = nullptr;
    if (topic == TopicId::Documents && parentTopic == TopicId::DocumentGroups)
        parent = parentId == 0 ? FirstRoot() : Mapped(TopicId::DocumentGroups, parentId);
    else if (topic == TopicId::DocumentGroups && parentTopic == TopicKind::DocumentsRoot)
        parent = FirstRoot();
    else if (topic == TopicId::DocumentSets && parentTopic == TopicKind::DocumentSetsRoot)
        parent = SecondRoot();
    else if (topic == TopicId::DocumentSetMembers && parentTopic == TopicId::DocumentSets)
        parent = Mapped(TopicId::DocumentSets, parentId);
    if (!parent) {
        for (const quint32 id : ids)
            OnObjectAdded(topic, qint32(id), -1, parentTopic, parentId, false);
        EndBulk();
        return true;
    }
    const bool negate = topic == TopicId::Documents && parent == FirstRoot();
    // The documents of no group stay before the first group.
    PlaceObjects(parent, negate ? UngroupedCount() : -1, topic, ids, negate);
    EndBulk();
    return true;
}

bool TreePaneWindow::BeginEditLabel(qint32 topic, qint32 id)
{
    TreeNode* node = topic == TopicId::Documents && id == -1 ? SelectedNode() : FindNode(topic, id);
    if (!node || node == FirstRoot() || node == SecondRoot())
        return false;
    return OpenRenameEditor(node);
}

void TreePaneWindow::OnObjectDeleted(qint32 topic, qint32 id)
{
    switch (topic) {
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets:
    case TopicId::Documents:
    case TopicId::DocumentSetMembers:
        RemoveNode(Mapped(topic, id));
        break;
    default:
        break;
    }
}

void TreePaneWindow::SortChildren(qint32 topic, qint32 id, qint32 flag)
{
    TreeNode* parent = nullptr;
    switch (topic) {
    case TopicKind::DocumentsRoot: parent = FirstRoot(); break;
    case TopicKind::DocumentSetsRoot: parent = SecondRoot(); break;
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets: parent = Mapped(topic, id); break;
    default: return;
    }
    if (!parent)
        return;
    SortNode(parent, flag != 0, [](const TreeNode* node) { return node->kind == TopicId::Documents; });
    Renumber();
}

QList<qint32> TreePaneWindow::GetDocumentsInTreeOrder() const
{
    QList<qint32> ids;
    CIdTreeModel::Walk(FirstRoot(), [&ids](TreeNode* node) {
        if (node->kind == TopicId::Documents)
            ids.append(node->Id());
    });
    return ids;
}

QList<qint32> TreePaneWindow::GetGroupDocuments(qint32 group) const
{
    QList<qint32> ids;
    if (const TreeNode* node = Mapped(TopicId::DocumentGroups, group))
        for (const auto& child : node->children)
            ids.append(child->Id());
    return ids;
}

QList<qint32> TreePaneWindow::GetSetDocuments(qint32 set) const
{
    QList<qint32> ids;
    if (const TreeNode* node = Mapped(TopicId::DocumentSets, set))
        for (const auto& child : node->children)
            ids.append(child->Id());
    return ids;
}

// ---- Drops --------------------------------------------------------------------

TreePaneWindow::DropPlan TreePaneWindow::Classify(qint32 draggedKind, qint32 draggedId, const TreeNode* target,
                                                  int keys) const
{
    const bool ctrl = keys & ModifierKey::Ctrl;
    const TreeNode* dragged = Mapped(draggedKind, draggedId);
    const auto ask = [](qint32 kind, qint32 id) { return DropPlan{DropAction::AskOwner, kind, id}; };
    const auto plan = [](DropAction action) { return DropPlan{action, 0, 0}; };
    switch (target->kind) {
    case TopicKind::DocumentsRoot:
        if (draggedKind == TopicId::DocumentGroups && dragged) {
            const TreeNode* previous = dragged->PreviousSibling();
            return plan(previous && previous->kind == TopicId::DocumentGroups ? DropAction::GroupFirst
                                                                              : DropAction::None);
        }
        if (draggedKind == TopicId::Documents) {
            if (ctrl)
                return ask(TopicId::DocumentGroups, 0);
            return plan(dragged && (dragged->parent != target || dragged->Row() != 0) ? DropAction::DocumentFirst
                                                                                        : DropAction::None);
        }
        break;
    case TopicId::DocumentGroups:
        if (draggedKind == TopicId::DocumentGroups && dragged)
            return plan(dragged != target && target->NextSibling() != dragged ? DropAction::GroupBehind
                                                                              : DropAction::None);
        if (draggedKind == TopicId::Documents) {
            if (ctrl)
                return ask(TopicId::DocumentGroups, target->Id());
            return plan(dragged && (dragged->parent != target || dragged->Row() != 0) ? DropAction::DocumentIntoGroup
                                                                                        : DropAction::None);
        }
        break;
    case TopicKind::DocumentSetsRoot:
        if (draggedKind == TopicId::DocumentSets && dragged)
            return plan(dragged->Row() > 0 ? DropAction::SetFirst : DropAction::None);
        if (draggedKind == TopicId::DocumentGroups)
            return ask(TopicKind::DocumentSetsRoot, 0);
        break;
    case TopicId::DocumentSets:
        if (draggedKind == TopicId::DocumentSets && dragged)
            return plan(dragged != target && target->NextSibling() != dragged ? DropAction::SetBehind
                                                                              : DropAction::None);
        if (draggedKind == TopicId::DocumentSetMembers && dragged)
            return plan(dragged->parent != target || dragged->Row() != 0 ? DropAction::MemberFirst : DropAction::None);
        if (draggedKind == TopicId::Documents)
            return ask(TopicId::DocumentSets, target->Id());
        break;
    case TopicId::Documents:
        if (draggedKind == TopicId::Documents) {
            if (ctrl)
                return ask(TopicId::Documents, target->Id());
            return plan(dragged && dragged != target ? DropAction::DocumentBehind : DropAction::None);
        }
        break;
    case TopicId::DocumentSetMembers:
        if (draggedKind == TopicId::DocumentSetMembers)
            return plan(dragged && dragged != target ? DropAction::MemberBehind : DropAction::None);
        break;
    default:
        break;
    }
    return plan(DropAction::None);
}

Qt::DropAction TreePaneWindow::DropEffect(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys,
                                          QPoint screenPos)
{
    const DropPlan plan = Classify(draggedKind, draggedId, target, keys);
    if (plan.action == DropAction::None)
        return Qt::IgnoreAction;
    if (plan.action != DropAction::AskOwner)
        return Qt::MoveAction;
    const qint32 answer = RequestDrop(false, screenPos, keys, draggedKind, draggedId, plan.targetKind, plan.targetId);
    return answer == 1 ? Qt::CopyAction : answer == 0 ? Qt::IgnoreAction : Qt::MoveAction;
}

bool TreePaneWindow::MoveDocument(TreeNode* document, TreeNode* parent, int position)
{
    if (!MoveAndTell(document, parent, position, TopicId::DocumentGroups, parent == FirstRoot() ? 0 : parent->Id()))
        return false;
    document->data = parent == FirstRoot() ? -document->Id() : document->Id();
    return true;
}

bool TreePaneWindow::MoveMember(TreeNode* member, TreeNode* set, int position)
{
    return MoveAndTell(member, set, position, TopicId::DocumentSets, set->Id());
}

bool TreePaneWindow::ApplyDrop(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys, QPoint screenPos)
{
    const DropPlan plan = Classify(draggedKind, draggedId, target, keys);
    TreeNode* dragged = Mapped(draggedKind, draggedId);
    bool changed = false;
    switch (plan.action) {
    case DropAction::None:
        return false;
    case DropAction::AskOwner:
        changed = RequestDrop(true, screenPos, keys, draggedKind, draggedId, plan.targetKind, plan.targetId) != 0;
        break;
    case DropAction::GroupFirst:
        changed = MoveNode(dragged, FirstRoot(), UngroupedCount());
        break;
    case DropAction::GroupBehind:
        changed = MoveNode(dragged, FirstRoot(), target->Row() + 1);
        break;
    case DropAction::DocumentFirst:
        changed = MoveDocument(dragged, FirstRoot(), 0);
        break;
    case DropAction::DocumentIntoGroup:
        changed = MoveDocument(dragged, target, 0);
        break;
    case DropAction::SetFirst:
        changed = MoveNode(dragged, SecondRoot(), 0);
        break;
    case DropAction::SetBehind:
        changed = MoveNode(dragged, SecondRoot(), target->Row() + 1);
        break;
    case DropAction::MemberFirst:
        changed = MoveMember(dragged, target, 0);
        break;
    case DropAction::DocumentBehind:
        changed = MoveDocument(dragged, target->parent, target->Row() + 1);
        break;
    case DropAction::MemberBehind:
        changed = MoveMember(dragged, target->parent, target->Row() + 1);
        break;
    }
    if (changed)
        Renumber();
    return changed;
}

// ---- Tips -----------------------------------------------------------------------

QString TreePaneWindow::ObjectTip(const TreeNode* node, QSize& size)
{
    if (node->kind != TopicId::Documents)
        return {};
    RecordNotifyInfo record;
    record.key = node->Id();
    record.topic = TopicId::Documents;
    if (!SendToOwner(record) || !record.found)
        return {};
    FieldValue value;
    const auto number = [&](qint32 field) { return record.row.GetFieldValue(field, value) ? value.GetInt() : 0; };
    const qint32 bytes = number(DocumentField::Size);
    const QString date =
        record.row.GetFieldValue(DocumentField::Date, value) ? FormatDateText(value.GetDate()) : QString();
    const QString author = record.row.GetFieldValue(DocumentField::Author, value) ? value.GetText() : QString();
    const qint32 codings = number(DocumentField::Codes);
    const qint32 memos = number(DocumentField::Memos);
    size = kDocumentTipSize;
    return QStringLiteral("%1:\t\t%2\n%3:\t%4\n%5:\t\t%6\n%7:\t%8\n%9:\t%10")
        .arg(LoadString(TreeText::DocumentSize))
        .arg(bytes)
        .arg(LoadString(TreeText::Created), date, LoadString(TreeText::Author), author,
             LoadString(TreeText::CodedSegments))
        .arg(codings)
        .arg(LoadString(TreeText::Memos))
        .arg(memos);
}

// ---- Export ---------------------------------------------------------------------

QList<CTreePaneBase::ExportRow> TreePaneWindow::ExportRows(bool withMemos)
{
    QList<ExportRow> rows;
    const auto add = [&](TreeNode* node) {
        ListNotifyInfo info;
        info.itemId = node->Id();
        info.topic = node->kind;
        info.mask = ListNotifyMask::Name | ListNotifyMask::Memo;
        QueryOwner(info);
        ExportRow row;
        const bool object = node->kind == TopicId::Documents || node->kind == TopicId::DocumentSetMembers;
        row.column = node->Depth() == 0 ? 0 : object ? 2 : 1;
        row.text = info.name;
        row.heading = !object;
        if (withMemos && info.memoId > 0)
            row.memo = MemoPlainText(info.memoId);
        rows.append(row);
    };
    for (TreeNode* root : {FirstRoot(), SecondRoot()}) {
        add(root);
        CIdTreeModel::Walk(root, add);
    }
    return rows;
}

CTreePaneBase::ExportStyle TreePaneWindow::GetExportStyle() const
{
    return {QStringLiteral("Arial"), QStringLiteral("\t\t"), true, false};
}
