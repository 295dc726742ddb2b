// The frame's answers to the request records of the panes: each code goes to
// its document handler or to a frame handler, and the frame's own handlers
// for the drop test, context menus and following or activating an item.

#include "app/mainframe.h"
#include "app/listwindows.h"
#include "browser/framebrowser.h"
#include "document/documentrequests.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/ids.h"
#include "foundation/optionsrecord.h"
#include "foundation/waitwindow.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QCoreApplication>

namespace {

/// Drop targets and dragged kinds that are not tree nodes.
constexpr qint32 kRetrievalNode = 14;
constexpr qint32 kBrowserTarget = 15;
constexpr qint32 kPreviewSelection = 31;

// Bits of a drop's modifier keys as the drop table names them.
constexpr qint32 kDropBit0 = ModifierKey::Shift;
constexpr qint32 kDropBit1 = ModifierKey::Ctrl;

bool HasRow(CKorDoc& document, qint32 topic, qint32 key)
{
    const TopicTable* table = document.GetDatabase().GetTable(topic);
    return key > 0 && table && table->HasKey(key);
}

qint32 FieldOf(CKorDoc& document, qint32 topic, qint32 key, qint32 field)
{
    return document.GetDatabase().GetIntValue(topic, key, field);
}

// Whether every row of the topic under the parent is activated (true for
// none): a toggle of the parent then deactivates.
bool AllRelatedActivated(CKorDoc& document, qint32 topic, qint32 parentTopic, qint32 parentKey)
{
    QList<qint32> keys;
    document.GetDatabase().FindKeysByParent(topic, parentTopic, parentKey, keys);
    return document.CountActivatedRelated(topic, parentTopic, parentKey) >= keys.size();
}

/// Search hits: the document and the range of the hit.
namespace HitField {
constexpr qint32 Document = 2;
constexpr qint32 Start = 4;
constexpr qint32 End = 5;
}  // namespace HitField

}  // namespace

CKorDoc* CMainFrame::GetDocument() const
{
    return m_document && m_document->GetEngine() ? m_document : nullptr;
}

QString CMainFrame::ProjectIdentity() const
{
    const CKorDoc* document = GetDocument();
    if (!document)
        return {};
    return QStringLiteral("%1|%2").arg(QCoreApplication::applicationPid()).arg(document->GetEngine()->GetPath());
}

void CMainFrame::SetRequestHandler(RequestCode code, RequestHandler handler)
{
    if (handler)
        m_requestHandlers.insert(int(code), std::move(handler));
    else
        m_requestHandlers.remove(int(code));
}

bool CMainFrame::RouteRequest(NotifyHead& record)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return false;
    switch (record.code) {
    case RequestCode::ContextMenu:
        OnRequestContextMenu(static_cast<IdListNotifyInfo&>(record));
        return true;
    case RequestCode::FollowItem:
        OnRequestItemActivate(static_cast<IdListNotifyInfo&>(record));
        return true;
    case RequestCode::OpenItem:
        if (const RequestHandler handler = m_requestHandlers.value(int(record.code)))
            handler(record);
        return true;
    case RequestCode::Drop:
        if (const RequestHandler handler = m_requestHandlers.value(int(record.code)))
            handler(record);
        else
            TestDrop(static_cast<DropNotifyInfo&>(record));
        return true;
    default:
        return AnswerDocumentRequest(*document, record);
    }
}

bool CMainFrame::TestDrop(DropNotifyInfo& info)
{
    CKorDoc* document = GetDocument();
    if (!document) {
        info.handled = false;
        return false;
    }
    info.answer = 0;
    const qint32 keys = info.modifierKeys;
    const qint32 dragged = info.draggedId;
    const qint32 target = info.targetId;
    bool accepted = false;
    switch (info.draggedKind) {
    case NodeKind::DocumentGroup:
        accepted = info.targetKind == kBrowserTarget || info.targetKind == NodeKind::DocumentSetsRoot;
        break;
    case NodeKind::DocumentSet:
        accepted = info.targetKind == kBrowserTarget;
        break;
    case NodeKind::Document:
        switch (info.targetKind) {
        case kBrowserTarget: accepted = dragged != document->GetShownDocument(); break;
        case NodeKind::DocumentsRoot:
        case NodeKind::DocumentGroup:
        case NodeKind::Document: accepted = (keys & kDropBit1) != 0; break;
        case NodeKind::DocumentSet: accepted = true; break;
        default: break;
        }
        break;
    case NodeKind::SetMember:
        accepted = info.targetKind == kBrowserTarget
                   && document->GetSetMemberDocument(dragged) != document->GetShownDocument();
        break;
    case NodeKind::Code:
        switch (info.targetKind) {
        case NodeKind::CodeSystemRoot:
        case NodeKind::Code: accepted = (keys & kDropBit1) != 0; break;
        case kRetrievalNode: {
            const OptionsRecord& settings = document->GetRetrievalSettings();
            accepted = dragged != 0 && settings.retrievalFunction == 1 && !settings.weightFilter
                       && document->IsActivated(NodeKind::Code, dragged);
            break;
        }
        case kBrowserTarget: accepted = dragged >= 1; break;
        case NodeKind::CodeSetsRoot:
        case NodeKind::CodeSet: accepted = true; break;
        default: break;
        }
        break;
    case NodeKind::Coding:
        accepted = info.targetKind == NodeKind::Code;
        break;
    case kBrowserTarget:
        accepted = info.targetKind == NodeKind::Code && target >= 1;
        break;
    case kPreviewSelection:
        accepted = info.targetKind == NodeKind::Code && dragged > 0;
        break;
    default:
        break;
    }
    if (accepted)
        info.answer = (keys & kDropBit0) ? 1 : 2;
    return info.answer != 0;
}

void CMainFrame::OnRequestContextMenu(IdListNotifyInfo& info)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    m_contextTarget.kind = info.kind;
    m_contextTarget.extra = info.extra;
    m_contextTarget.item = info.itemId;
    m_contextTarget.selection = info.ids;
    m_contextTarget.point = info.point;
    m_contextTarget.sender = info.controlId;
    // The codings without an item: the stripe margin's empty space and the
    // browser's menu button.
    if (info.kind == NodeKind::Coding && info.itemId == 0) {
        ShowDisplayOptions(info.point);
        return;
    }
    const bool codingHasCode = info.kind == NodeKind::Coding && HasRow(*document, TopicId::Codings, info.itemId)
                               && FieldOf(*document, TopicId::Codings, info.itemId, CodingField::Code) != 0;
    const int menu = ContextMenuFor(info.kind, info.itemId, info.controlId, int(info.ids.size()), codingHasCode);
    if (!menu)
        return;
    ShowContextMenu(menu, info.point);
    if ((menu == ContextMenuId::Coding || menu == ContextMenuId::Memo) && m_browserAccess)
        m_browserAccess->RetrackStripe();
}

void CMainFrame::OnRequestItemActivate(IdListNotifyInfo& info)
{
    if (!GetDocument())
        return;
    ActivateItem(info);
    FollowItem(info);
}

void CMainFrame::ActivateItem(const IdListNotifyInfo& info)
{
    CKorDoc& document = *GetDocument();
    const bool ctrl = (info.modifierKeys & ModifierKey::Ctrl) != 0;
    const bool shift = (info.modifierKeys & ModifierKey::Shift) != 0;
    const qint32 id = info.itemId;
    // The document's flag: true leaves the subcodes of a code alone.
    const auto activate = [&](qint32 kind, qint32 item, bool on, bool flag = false) {
        BeginWait();
        document.SetItemActivation(kind, item, on, flag);
        EndWait();
    };
    const auto refreshBrowser = [this] {
        if (m_browserAccess)
            m_browserAccess->Refresh();
    };
    switch (info.kind) {
    case NodeKind::DocumentsRoot:
        if (ctrl)
            activate(info.kind, 0, document.GetActivatedCount(NodeKind::Document) == 0);
        break;
    case NodeKind::DocumentGroup:
        if (ctrl)
            activate(info.kind, id, !AllRelatedActivated(document, TopicId::Documents, TopicId::DocumentGroups, id));
        break;
    case NodeKind::DocumentSetsRoot:
        if (ctrl)
            activate(info.kind, 0, true);
        break;
    case NodeKind::DocumentSet:
        if (ctrl)
            activate(info.kind, id,
                     !AllRelatedActivated(document, TopicId::DocumentSetMembers, TopicId::DocumentSets, id));
        break;
    case NodeKind::Document:
    case NodeKind::SetMember:
        if (ctrl)
            activate(info.kind, id, !document.IsActivated(info.kind, id));
        break;
    case NodeKind::CodeSystemRoot:
        if (ctrl) {
            activate(info.kind, 0, document.GetActivatedCount(NodeKind::Code) == 0);
            refreshBrowser();
        }
        break;
    case NodeKind::Code:
        if (ctrl || shift) {
            activate(info.kind, id, !document.IsActivated(NodeKind::Code, id), !shift);
            refreshBrowser();
        } else {
            m_quickCodes.AddCode(id);
        }
        break;
    case NodeKind::CodeSet:
        if (ctrl)
            activate(info.kind, id, !AllRelatedActivated(document, TopicId::CodeSetMembers, TopicId::CodeSets, id));
        break;
    case NodeKind::CodeSetMember: {
        const qint32 code = document.GetCodeSetMemberCode(id);
        if (ctrl || shift) {
            activate(NodeKind::Code, code, !document.IsActivated(NodeKind::Code, code), !shift);
            refreshBrowser();
        } else if (code) {
            m_quickCodes.AddCode(code);
        }
        break;
    }
    default:
        break;
    }
}

void CMainFrame::OpenDocumentOf(qint32 documentId)
{
    CKorDoc& document = *GetDocument();
    if (documentId == document.GetShownDocument())
        return;
    if (m_browserAccess)
        m_browserAccess->CommitEdits();
    document.SetOpenDocument(documentId, 0);
}

void CMainFrame::FollowItem(const IdListNotifyInfo& info)
{
    CKorDoc& document = *GetDocument();
    ObjectListRegistry& panes = document.GetRegistry();
    const qint32 id = info.itemId;
    const auto shown = [&](qint32 documentId) { return documentId != 0 && documentId == document.GetShownDocument(); };
    switch (info.kind) {
    case NodeKind::Document:
    case NodeKind::Code:
        panes.SelectObject(info.kind, id, 0);
        break;
    case NodeKind::SearchHit: {
        if (!HasRow(document, TopicId::SearchHits, id))
            break;
        const qint32 documentId = FieldOf(document, TopicId::SearchHits, id, HitField::Document);
        OpenDocumentOf(documentId);
        if (shown(documentId) && m_browserAccess)
            m_browserAccess->SelectRange(FieldOf(document, TopicId::SearchHits, id, HitField::Start),
                                         FieldOf(document, TopicId::SearchHits, id, HitField::End), 0);
        break;
    }
    case NodeKind::Coding: {
        if (!HasRow(document, TopicId::Codings, id))
            break;
        const qint32 documentId = FieldOf(document, TopicId::Codings, id, CodingField::Document);
        const qint32 code = FieldOf(document, TopicId::Codings, id, CodingField::Code);
        OpenDocumentOf(documentId);
        if (shown(documentId) && m_browserAccess) {
            if (code)
                m_browserAccess->SelectCoding(id);
            else
                m_browserAccess->SelectRange(FieldOf(document, TopicId::Codings, id, CodingField::StartChar),
                                             FieldOf(document, TopicId::Codings, id, CodingField::FinishChar),
                                             FieldOf(document, TopicId::Codings, id, CodingField::Page));
        }
        panes.SelectObject(TopicId::Codes, code, 0);
        panes.SelectObject(TopicId::Codings, id, 0);
        break;
    }
    case NodeKind::Memo: {
        if (!HasRow(document, TopicId::Memos, id))
            break;
        const qint32 documentId = FieldOf(document, TopicId::Memos, id, MemoField::Document);
        if (documentId > 0 && FieldOf(document, TopicId::Memos, id, MemoField::Pos) >= 0) {
            OpenDocumentOf(documentId);
            if (shown(documentId) && m_browserAccess)
                m_browserAccess->SelectMemo(id);
        }
        // The panes show the memo's owner.
        const std::pair<qint32, qint32> owners[] = {
            {TopicId::Documents, documentId},
            {TopicId::Codes, FieldOf(document, TopicId::Memos, id, MemoField::Code)},
            {TopicId::DocumentGroups, FieldOf(document, TopicId::Memos, id, MemoField::GroupID)},
            {TopicId::DocumentSets, FieldOf(document, TopicId::Memos, id, MemoField::SetID)},
        };
        for (const auto& [topic, owner] : owners)
            if (owner > 0) {
                panes.SelectObject(topic, owner, 0);
                break;
            }
        break;
    }
    case NodeKind::Paragraph:
        if (m_browserAccess) {
            if (info.modifierKeys & ModifierKey::Shift)
                m_browserAccess->ExtendSelectionToParagraph(id);
            else
                m_browserAccess->ScrollToParagraph(id);
        }
        break;
    case NodeKind::DictionaryCategory:
    case NodeKind::DictionaryWord:
        m_listWindows->FollowDictionary(info.kind, id);
        break;
    case NodeKind::MediaMark:
        // Flag 1: the browser selects the mark's stretch as well.
        panes.SelectObject(TopicId::MediaMarks, id, 1);
        break;
    default:
        break;
    }
}
