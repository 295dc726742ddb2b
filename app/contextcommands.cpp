// The context commands of the project panes: one dispatcher for the block,
// and the procedures many of its commands share.

#include "app/mainframe.h"

#include "app/appids.h"
#include "app/conditioncommands.h"
#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/retrievalrequests.h"
#include "app/wordfreqcommands.h"
#include "browser/framebrowser.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/idtreemodel.h"
#include "panes/objectlistwindow.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QSet>
#include <QTreeView>

#include <algorithm>

namespace {

namespace ContextText {
constexpr int DeleteButton = 57674;
constexpr int CancelButton = 57346;
constexpr int AllDocuments = 57717;
constexpr int DocumentGroup = 57718;
constexpr int Document = 1042;
constexpr int AllDocumentSets = 57721;
constexpr int DocumentSet = 57720;
constexpr int Code = 1040;
constexpr int CodeMemos = 57719;
constexpr int DeleteGroup = 102355;
constexpr int DeleteDocument = 102356;
constexpr int DeleteCodings = 102354;
constexpr int DeleteCode = 102357;
constexpr int DeleteSet = 102358;
constexpr int DeleteCodeSet = 102359;
constexpr int DeleteSetMember = 102360;
constexpr int DeleteCodeSetMember = 102361;
}  // namespace ContextText

/// The commands the dispatcher carries out. Ids of the block it does not
/// name are left to the panes' own handlers, or stay disabled.
constexpr int kCarriedOut[] = {
    20001, 20002, 20003, 20004, 20005, 20007, 20008, 20010, 20011, 20013, 20014, 20016, 20017, 20018, 20020,
    20021, 20022, 20023, 20024, 20025, 20026, 20030, 20031, 20032, 20033, 20034, 20035, 20037, 20038, 20040,
    20041, 20042, 20043, 20044, 20045, 20047, 20048, 20049, 20050, 20051, 20052, 20055, 20056, 20061, 20063,
    20064, 20065, 20085, 20066, 20068, 20070, 20129, 20130, 20144, 20150, 20151, 20155, 20156, 20158, 20159, 20162, 20168,
    20176, 20177,
    20006, 20174,
    20027, 20028, 20059, 20060, 20125, 20126, 20128, 20145,
    20140,
    20133, 20134, 20135, 20136, 20137, 20138,
    20054, 20057, 20062, 20069, 20081, 20082, 20083, 20086, 20087, 20102, 20103, 20104, 20105, 20106, 20107, 20109, 20131,
    20132, 20142, 20143, 20147, 20152, 20153, 20154, 20160, 20161, 20173, 20175,
    20029, 20067, 20088, 20089, 20110, 20112, 20114, 20116, 20120,
    20178,
    20146, 20172, 20058,
    20121, 20123, 20124,
};

bool IsCarriedOut(int id)
{
    return std::find(std::begin(kCarriedOut), std::end(kCarriedOut), id) != std::end(kCarriedOut);
}

/// Menus of code sets reuse the ids of document sets and codes.
int RemapForKind(int id, qint32 kind)
{
    struct Remap {
        qint32 kind;
        int from;
        int to;
    };
    static constexpr Remap kRemaps[] = {
        {NodeKind::CodeSetsRoot, 20030, 20154}, {NodeKind::CodeSetsRoot, 20031, 20150},
        {NodeKind::CodeSetsRoot, 20032, 20151}, {NodeKind::CodeSetsRoot, 20033, 20152},
        {NodeKind::CodeSetsRoot, 20034, 20153}, {NodeKind::CodeSet, 20037, 20155},
        {NodeKind::CodeSet, 20038, 20156},      {NodeKind::CodeSet, 20040, 20158},
        {NodeKind::CodeSet, 20041, 20160},      {NodeKind::CodeSet, 20042, 20161},
        {NodeKind::CodeSet, 20044, 20159},      {NodeKind::CodeSetMember, 20064, 20162},
    };
    for (const Remap& remap : kRemaps)
        if (remap.kind == kind && remap.from == id)
            return remap.to;
    return id;
}

bool IsCodeCommand(int id)
{
    switch (id) {
    case 20061: case 20063: case 20067: case 20068: case 20070: case 20084: case 20131: case 20132:
    case 20133: case 20148:
        return true;
    default:
        return false;
    }
}

void AppendUnique(QList<qint32>& keys, QSet<qint32>& seen, const QList<qint32>& more)
{
    for (const qint32 key : more)
        if (!seen.contains(key)) {
            seen.insert(key);
            keys.append(key);
        }
}

}  // namespace

bool CMainFrame::IsContextCommand(int id)
{
    return id >= ContextCommandRange::First && id <= ContextCommandRange::Last;
}

bool CMainFrame::OnUpdateContextCommand(CCmdUI& ui)
{
    if (!IsContextCommand(ui.id))
        return false;
    const int id = RemapForKind(ui.id, m_contextTarget.kind);
    if (!IsCarriedOut(id))
        return false;   // a pane's own handler may know it; else it stays disabled
    ui.Enable(GetDocument() != nullptr);
    return true;
}

bool CMainFrame::OnContextCommand(int id)
{
    if (!IsContextCommand(id))
        return false;
    CKorDoc* document = GetDocument();
    if (!document)
        return IsCarriedOut(RemapForKind(id, m_contextTarget.kind));
    ContextTarget& target = m_contextTarget;
    if (id != 20005 && id != 20168)
        id = RemapForKind(id, target.kind);
    if (!IsCarriedOut(id))
        return false;
    if (IsCodeCommand(id) && target.kind == NodeKind::CodeSetMember) {
        target.kind = NodeKind::Code;
        target.item = document->GetCodeSetMemberCode(target.item);
    }
    RunContextCommand(*document, id);
    // A target serves one command.
    target.Reset();
    return true;
}

void CMainFrame::RunContextCommand(CKorDoc& document, int id)
{
    const ContextTarget& target = m_contextTarget;
    const qint32 item = target.item;
    TopicDatabase& db = document.GetDatabase();
    const auto display = [&](qint32 topic, qint32 key) { return db.FormatRowDisplay(topic, key, false); };
    const auto titled = [&](int textId, qint32 topic, qint32 key) {
        return LoadString(textId) + QStringLiteral(": ") + display(topic, key);
    };
    const auto children = [&](qint32 topic, qint32 parentTopic, qint32 parent) {
        QList<qint32> keys;
        db.FindKeysByParent(topic, parentTopic, parent, keys);
        return keys;
    };
    const auto allKeys = [&](qint32 topic) {
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        return keys;
    };
    // The documents of a scope, each once, in order.
    const auto documentsOf = [&](qint32 kind, qint32 key) {
        QList<qint32> documents;
        QSet<qint32> seen;
        switch (kind) {
        case NodeKind::DocumentsRoot: documents = allKeys(TopicId::Documents); break;
        case NodeKind::DocumentGroup: documents = children(TopicId::Documents, TopicId::DocumentGroups, key); break;
        case NodeKind::DocumentSetsRoot:
        case NodeKind::DocumentSet: {
            const QList<qint32> members = kind == NodeKind::DocumentSet
                                              ? children(TopicId::DocumentSetMembers, TopicId::DocumentSets, key)
                                              : allKeys(TopicId::DocumentSetMembers);
            for (const qint32 member : members)
                if (const qint32 doc = document.GetSetMemberDocument(member))
                    AppendUnique(documents, seen, {doc});
            break;
        }
        case NodeKind::Document:
            if (db.GetTable(TopicId::Documents) && db.GetTable(TopicId::Documents)->HasKey(key))
                documents = {key};
            break;
        case NodeKind::SetMember:
            if (const qint32 doc = document.GetSetMemberDocument(key))
                documents = {doc};
            break;
        default: break;
        }
        return documents;
    };
    const auto codingsOf = [&](const QList<qint32>& documents) {
        QList<qint32> codings;
        for (const qint32 doc : documents)
            codings += children(TopicId::Codings, TopicId::Documents, doc);
        return codings;
    };
    const auto memosOf = [&](const QList<qint32>& documents) {
        QList<qint32> memos;
        for (const qint32 doc : documents)
            memos += children(TopicId::Memos, TopicId::Documents, doc);
        return memos;
    };
    // The list commands of the document side share one shape: the scope's
    // codings, memos or documents.
    const auto showLists = [&](int which, qint32 kind, qint32 key, qint32 originKind, const QString& title) {
        const QList<qint32> documents = documentsOf(kind, key);
        switch (which) {
        case 0:
            m_listWindows->ShowObjectList(CListWindows::Codings, TopicId::Codings, originKind, key, codingsOf(documents),
                                          title);
            break;
        case 1:
            m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, originKind, key, memosOf(documents),
                                          title);
            break;
        default:
            m_listWindows->ShowObjectList(CListWindows::Variables, TopicId::Documents, originKind, key, documents,
                                          title);
            break;
        }
    };
    const auto activation = [&](qint32 type, qint32 key, bool on) {
        BeginWait();
        document.SetItemActivation(type, key, on, false);
        EndWait();
        UpdateStatusBar();
    };
    const auto toggle = [&](qint32 type, qint32 key) { activation(type, key, !document.IsActivated(type, key)); };
    const auto refreshBrowser = [this] {
        if (m_browserAccess)
            m_browserAccess->Refresh();
    };
    const auto rename = [&](qint32 topic) {
        if (item > 0)
            document.BeginRename(topic, item);
    };
    const auto openDocument = [&](qint32 doc, qint32 mode) {
        CommitBrowserEdits();
        if (doc > 0)
            document.SetOpenDocument(doc, mode);
    };

    switch (id) {
    // ---- any kind
    case 20005:
    case 20168:
        SortContextChildren(document, id == 20168 ? 0 : 1);
        break;

    // ---- documents root
    case 20001: document.NewDocumentGroup(); break;
    case 20002: showLists(0, NodeKind::DocumentsRoot, 0, NodeKind::DocumentsRoot, LoadString(ContextText::AllDocuments)); break;
    case 20003: showLists(1, NodeKind::DocumentsRoot, 0, NodeKind::DocumentsRoot, LoadString(ContextText::AllDocuments)); break;
    case 20004: showLists(2, NodeKind::DocumentsRoot, 0, NodeKind::DocumentsRoot, LoadString(ContextText::AllDocuments)); break;
    case 20007: activation(NodeKind::DocumentsRoot, 0, false); break;
    case 20008: activation(NodeKind::DocumentsRoot, 0, true); break;
    case 20006: ActivateByVariables(*this, false); break;
    case 20129:
        BeginWait();
        document.InvertDocumentActivation();
        EndWait();
        UpdateStatusBar();
        break;

    // ---- teamwork exchange
    case 20027:
    case 20125:
    case 20145:
        ExportCodingsToExchange(document, id);
        break;
    case 20028:
    case 20126:
    case 20128:
        ImportExchangeProject(document, id);
        break;
    case 20059: ExportCodeSystemToExchange(document); break;
    case 20060: ImportCodeSystemFromExchange(document); break;

    // ---- document group
    case 20010:
    case 20013:
    case 20014:
        if (item > 0)
            showLists(id == 20010 ? 0 : id == 20013 ? 1 : 2, NodeKind::DocumentGroup, item, NodeKind::DocumentGroup,
                      titled(ContextText::DocumentGroup, TopicId::DocumentGroups, item));
        break;
    case 20011: activation(NodeKind::DocumentGroup, item, false); break;
    case 20016: activation(NodeKind::DocumentGroup, item, true); break;
    case 20017: ConfirmedDelete(document, TopicId::DocumentGroups, item, ContextText::DeleteGroup); break;
    case 20018: rename(TopicId::DocumentGroups); break;

    // ---- document sets
    case 20030:
        if (db.GetRowCount(TopicId::Documents) > 0 && document.NewDocumentSet(QString()) && m_documentTree)
            m_documentTree->UpdateAllItems();
        break;
    case 20031: activation(NodeKind::DocumentSetsRoot, 0, true); break;
    case 20032: activation(NodeKind::DocumentSetsRoot, 0, false); break;
    case 20033:
    case 20034:
    case 20035:
        showLists(id - 20033, NodeKind::DocumentSetsRoot, 0, NodeKind::DocumentSetsRoot,
                  LoadString(ContextText::AllDocumentSets));
        break;
    case 20037: activation(NodeKind::DocumentSet, item, true); break;
    case 20038: activation(NodeKind::DocumentSet, item, false); break;
    case 20040:
        if (ConfirmedDelete(document, TopicId::DocumentSets, item, ContextText::DeleteSet, false))
            document.GetRegistry().NotifyChange(NodeKind::DocumentSetsRoot, 0);
        break;
    case 20041:
    case 20042:
    case 20043:
        if (item > 0)
            showLists(id - 20041, NodeKind::DocumentSet, item, NodeKind::DocumentSet,
                      titled(ContextText::DocumentSet, TopicId::DocumentSets, item));
        break;
    case 20044: rename(TopicId::DocumentSets); break;

    // ---- document and set member
    case 20020: toggle(NodeKind::Document, item); break;
    case 20021:
    case 20022:
    case 20023:
        if (item > 0)
            showLists(id - 20021, NodeKind::Document, item, NodeKind::Document,
                      titled(ContextText::Document, TopicId::Documents, item));
        break;
    case 20024: openDocument(item, 0); break;
    case 20025:
        // Edits of the shown document are kept before it may go.
        if (item == document.GetShownDocument())
            CommitBrowserEdits();
        ConfirmedDelete(document, TopicId::Documents, item, ContextText::DeleteDocument);
        break;
    case 20026: rename(TopicId::Documents); break;
    case 20144: ColourDocument(); break;
    case 20140: {
        // The links of the group's, set member's or document's documents.
        const bool group = target.kind == NodeKind::DocumentGroup;
        const QList<qint32> documents = documentsOf(group ? NodeKind::DocumentGroup : target.kind, item);
        const qint32 first = documents.value(0);
        if (group) {
            db.GetTable(TopicId::MapLinks)->ClearRows();
            for (const qint32 each : documents)
                document.BuildLinkTable(each, true);
        } else {
            document.BuildLinkTable(first);
        }
        const QString title = group ? display(TopicId::DocumentGroups, item) : display(TopicId::Documents, first);
        m_listWindows->ShowObjectList(CListWindows::GeoLinks, TopicId::MapLinks, 0, 0, allKeys(TopicId::MapLinks),
                                      title);
        break;
    }
    case 20177:
        if (target.kind == NodeKind::SetMember) {
            CommitBrowserEdits();
            document.OpenSetMemberDocument(item, 1);
        } else {
            openDocument(item, 1);
        }
        break;
    case 20045: toggle(NodeKind::SetMember, item); break;
    case 20047: ConfirmedDelete(document, TopicId::DocumentSetMembers, item, ContextText::DeleteSetMember, false); break;
    case 20048:
    case 20049:
    case 20050: {
        const qint32 doc = document.GetSetMemberDocument(item);
        if (doc > 0)
            showLists(id - 20048, NodeKind::Document, doc, NodeKind::Document,
                      titled(ContextText::Document, TopicId::Documents, doc));
        break;
    }
    case 20176:
        CommitBrowserEdits();
        document.OpenSetMemberDocument(item, 0);
        break;

    // ---- code system and codes
    case 20051:
    case 20052:
        activation(NodeKind::CodeSystemRoot, 0, id == 20051);
        refreshBrowser();
        break;
    case 20055: {
        QList<qint32> memos;
        for (const qint32 memo : allKeys(TopicId::Memos))
            if (db.GetIntValue(TopicId::Memos, memo, MemoField::Code) > 0)
                memos.append(memo);
        m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, NodeKind::Code, 0, memos,
                                      LoadString(ContextText::CodeMemos));
        break;
    }
    case 20056: NewCodeUnder(0); break;
    case 20174: ActivateByVariables(*this, true); break;
    case 20063:
        if (item > 0) {
            QList<qint32> memos;
            document.CollectMemosOfCode(item, memos);
            m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, NodeKind::Code, item, memos,
                                          titled(ContextText::Code, TopicId::Codes, item));
        }
        break;
    case 20061:
        if (item > 0)
            OnCodeSelectionWith(item);
        break;
    case 20064: DeleteContextSelection(document, TopicId::Codes, ContextText::DeleteCode); break;
    case 20085:
        if (DeleteContextSelection(document, TopicId::Codings, ContextText::DeleteCodings))
            m_retrievalRequests->RerunRetrieval();
        break;
    case 20065: NewCodeUnder(target.kind == NodeKind::Code ? item : 0); break;
    case 20066: rename(TopicId::Codes); break;
    case 20068:
        toggle(NodeKind::Code, item);
        refreshBrowser();
        break;
    case 20070: ColourCodes(); break;
    case 20130:
        BeginWait();
        document.InvertCodeActivation();
        EndWait();
        UpdateStatusBar();
        refreshBrowser();
        break;

    // ---- code sets (remapped from the document-set ids)
    case 20150: activation(NodeKind::CodeSetsRoot, 0, true); break;
    case 20151: activation(NodeKind::CodeSetsRoot, 0, false); break;
    case 20155: activation(NodeKind::CodeSet, item, true); break;
    case 20156: activation(NodeKind::CodeSet, item, false); break;
    case 20158:
        if (ConfirmedDelete(document, TopicId::CodeSets, item, ContextText::DeleteCodeSet))
            document.GetRegistry().NotifyChange(NodeKind::CodeSetsRoot, 0);
        break;
    case 20159: rename(TopicId::CodeSets); break;
    case 20162:
        if (ConfirmedDelete(document, TopicId::CodeSetMembers, item, ContextText::DeleteCodeSetMember))
            document.GetRegistry().NotifyChange(NodeKind::CodeSetsRoot, 0);
        break;
    // ---- map objects: the main Modeler window only
    case 20133: AddItemToModeler(true, TopicId::Codes, item); break;
    case 20134: AddItemToModeler(true, TopicId::Codings, item); break;
    case 20135: AddItemToModeler(true, TopicId::Memos, item); break;
    case 20136: AddItemToModeler(true, TopicId::DocumentSets, item); break;
    case 20137: AddItemToModeler(true, TopicId::Documents, item); break;
    case 20138: AddItemToModeler(true, TopicId::DocumentGroups, item); break;
    // ---- memos
    case 20029: case 20067: case 20088: case 20089: case 20110: case 20112: case 20114: case 20116: case 20120:
        RunMemoContextCommand(document, id);
        break;
    // ---- geo links
    case 20178: DeleteSelectedGeoLink(document); break;
    // ---- code frequencies and the word lists
    case 20123:
        if (target.kind == NodeKind::SetMember)
            m_wordFreq->ShowCodeFrequencies(NodeKind::Document, document.GetSetMemberDocument(item));
        else
            m_wordFreq->ShowCodeFrequencies(target.kind, item);
        break;
    case 20121:
        if (ObjectListWindow* words = m_listWindows->Window(CListWindows::Words)) {
            QList<qint32> rows;
            words->List1()->GetSelection(rows);
            if (rows.isEmpty() && item > 0)
                rows.append(item);
            m_wordFreq->AddWordsToStopList(rows);
            words->List1()->clearSelection();
        }
        break;
    case 20124:
        if (target.kind == NodeKind::WordTableEntry) {
            const qint32 category = target.extra < 1 || target.extra > 2000000000 ? 0 : target.extra;
            m_wordFreq->BuildWordTable(db.GetIntValue(TopicId::OverviewTable, item, OverviewField::Document),
                                       db.GetIntValue(TopicId::OverviewTable, item, OverviewField::Code), category);
        } else if (const ObjectListWindow* words = m_listWindows->Window(CListWindows::Words);
                   words && words->Mode() == 1) {
            m_wordFreq->BuildParagraphWordTable(item);
        } else {
            m_wordFreq->SearchDictionaryWords();
        }
        break;
    default: RunCodeContextCommand(document, id); break;
    }
}

bool CMainFrame::AskDeleteConfirmation(int confirmTextId)
{
    return AskDeleteConfirmation(confirmTextId, ContextText::DeleteButton);
}

bool CMainFrame::AskDeleteConfirmation(int confirmTextId, int okTextId)
{
    if (!g_qdaOptions.GetBool(QdaOption::AskBeforeDeleting))
        return true;
    ConfirmPrompt prompt;
    prompt.point = m_contextTarget.point;
    prompt.okText = LoadString(okTextId);
    prompt.cancelText = LoadString(ContextText::CancelButton);
    prompt.message = LoadString(confirmTextId);
    return AskConfirm(prompt);
}

bool CMainFrame::ConfirmedDelete(CKorDoc& document, qint32 topic, qint32 key, int confirmTextId, bool busy)
{
    if (key <= 0 || !AskDeleteConfirmation(confirmTextId))
        return false;
    if (busy)
        BeginWait();
    const bool deleted = document.DeleteItem(topic, key);
    if (busy) {
        EndWait();
        UpdateStatusBar();
    }
    return deleted;
}

bool CMainFrame::DeleteContextSelection(CKorDoc& document, qint32 topic, int confirmTextId)
{
    ContextTarget& target = m_contextTarget;
    QList<ObjectRef> items;
    for (const quint32 id : std::as_const(target.selection))
        items.append({topic, qint32(id)});
    if (items.isEmpty() && target.item > 0)
        items.append({topic, target.item});
    if (items.isEmpty() || !AskDeleteConfirmation(confirmTextId))
        return false;
    BeginWait();
    // One action: all of them go, or none does.
    const bool deleted = document.DeleteItems(items);
    EndWait();
    target.selection.clear();
    UpdateStatusBar();
    if (m_browserAccess)
        m_browserAccess->Refresh();
    return deleted;
}

void CMainFrame::SortContextChildren(CKorDoc& document, qint32 direction)
{
    const qint32 item = m_contextTarget.item;
    switch (m_contextTarget.kind) {
    case NodeKind::DocumentsRoot: document.SortLists(direction); break;
    case NodeKind::DocumentGroup: document.SortGroupDocuments(item, direction); break;
    case NodeKind::DocumentSetsRoot: document.SortSets(); break;
    case NodeKind::DocumentSet: document.SortSetMembers(item); break;
    case NodeKind::CodeSystemRoot: document.SortSubcodes(0); break;
    case NodeKind::Code: document.SortSubcodes(item); break;
    case NodeKind::CodeSetsRoot: document.SortCodeSets(); break;
    case NodeKind::CodeSet: document.SortCodeSetMembers(item); break;
    default: break;
    }
}

void CMainFrame::RunTreeKeyCommand(CTreePaneBase& tree, bool remove)
{
    struct KeyCommand {
        qint32 kind;
        int rename;
        int remove;
    };
    static constexpr KeyCommand kKeyCommands[] = {
        {NodeKind::DocumentGroup, 20018, 20017}, {NodeKind::DocumentSet, 20044, 20040},
        {NodeKind::Document, 20026, 20025},      {NodeKind::SetMember, 0, 20047},
        {NodeKind::Code, 20066, 20064},          {NodeKind::CodeSet, 20044, 20040},
        {NodeKind::CodeSetMember, 0, 20064},
    };
    qint32 kind = 0;
    qint32 id = 0;
    if (!GetDocument() || !tree.GetSelectedObject(kind, id))
        return;
    for (const KeyCommand& key : kKeyCommands) {
        const int command = remove ? key.remove : key.rename;
        if (key.kind != kind || command == 0)
            continue;
        m_contextTarget.Reset();
        m_contextTarget.kind = kind;
        m_contextTarget.item = id;
        m_contextTarget.sender = &tree == m_codeTree ? PaneControlId::CodeTree : PaneControlId::DocumentTree;
        if (const TreeNode* node = tree.SelectedNode())
            m_contextTarget.point = tree.TreeView()->viewport()->mapToGlobal(tree.NodeTextRect(node).bottomLeft());
        m_commands.Execute(command);
        return;
    }
}
