// Project objects dropped onto the canvas, and the links a document object
// gets to the documents its project links lead to.

#include "visual/modelercanvas.h"

#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "foundation/dragobject.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/richviewowner.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace {

/// A selection of the document browser's text or area.
constexpr qint32 kBrowserSelection = 15;
constexpr quint32 kDocumentLinkColour = 0xFF4040FFu;

bool TakenKind(qint32 kind)
{
    switch (kind) {
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets:
    case TopicId::Documents:
    case TopicId::Codes:
    case TopicId::Codings:
    case TopicId::Memos:
    case kBrowserSelection: return true;
    default: return false;
    }
}

}  // namespace

void ModelerCanvas::AutoLinkDocument(qint32 id)
{
    if (!m_project || !g_mapsOptions.GetBool(MapsOption::LinkDocuments))
        return;
    const qint32 index = m_core.FindObjectIndex(id);
    if (index < 0)
        return;
    QList<qint32> linked;
    m_project->CollectLinkedDocuments(m_core.Model().Objects[size_t(index)].RefId, linked);
    for (const qint32 document : linked)
        if (const qint32 other = m_core.FindObjectByRef(TopicId::Documents, document); other != 0)
            m_core.AddLink(id, other, 0, 1, kDocumentLinkColour, false);
}

bool ModelerCanvas::AcceptsDrop(const CDragObject& payload) const
{
    if (!m_core.Store() || payload.m_kind == 0)
        return false;
    if (m_kindSettings.Kind != 0)
        return m_kindSettings.Accepts(payload.m_kind, payload.m_id) && payload.m_ids.size() <= 1;
    return TakenKind(payload.m_kind);
}

bool ModelerCanvas::OnDrop(const CDragObject& payload, const QPoint& point, qint32 modifierKeys)
{
    TopicDatabase* db = m_core.Store();
    if (!db || payload.m_kind == 0)
        return false;
    const bool kindActive = m_kindSettings.Kind != 0;
    if (kindActive && (!m_kindSettings.Accepts(payload.m_kind, payload.m_id) || payload.m_ids.size() > 1))
        return false;
    QList<qint32> ids = payload.m_ids;
    if (ids.isEmpty())
        ids.append(payload.m_id);

    const qint32 topic = payload.m_kind;
    if (topic == kBrowserSelection) {
        qint32 kind = ModelHitKind::Nothing;
        bool handle = false;
        bool geo = false;
        const qint32 hit = m_core.HitTestPoint(point.x(), point.y(), false, kind, handle, geo);
        const auto& objects = m_core.Model().Objects;
        if (kind != ModelHitKind::Object || hit < 0 || size_t(hit) >= objects.size()
            || objects[size_t(hit)].RefTopic != TopicId::Codes || !m_owner)
            return true;
        DropNotifyInfo info;
        info.controlId = kControlId;
        info.point = viewport()->mapToGlobal(point);
        info.modifierKeys = modifierKeys;
        info.perform = true;
        info.draggedId = payload.m_id;
        info.draggedKind = kBrowserSelection;
        info.targetKind = TopicId::Codes;
        info.targetId = objects[size_t(hit)].RefId;
        m_owner->Request(info);
        return true;
    }
    if (!TakenKind(topic))
        return true;

    qint32 last = 0;
    RowBuffer row;
    for (const qint32 id : ids) {
        QString label;
        qint32 value = 0;
        switch (topic) {
        case TopicId::DocumentGroups:
        case TopicId::DocumentSets:
            if (!db->GetTable(topic) || !db->GetTable(topic)->HasKey(id))
                continue;
            label = db->FormatRowDisplay(topic, id, false);
            break;
        case TopicId::Documents:
            if (!db->ReadRow(topic, id, row, false))
                continue;
            label = db->FormatRowDisplay(topic, id, false);
            value = rowfields::IntOf(row, DocumentField::Type);
            break;
        case TopicId::Codes:
            if (!db->ReadRow(topic, id, row, false))
                continue;
            label = rowfields::TextOf(row, CodeField::Name);
            value = rowfields::IntOf(row, CodeField::Type);
            break;
        case TopicId::Codings: {
            if (!db->ReadRow(topic, id, row, false))
                continue;
            value = rowfields::IntOf(row, CodingField::Type);
            RowBuffer code;
            if (!db->ReadRow(TopicId::Codes, rowfields::IntOf(row, CodingField::Code), code, false))
                continue;
            label = rowfields::TextOf(code, CodeField::Name);
            break;
        }
        case TopicId::Memos:
            if (!db->ReadRow(topic, id, row, false))
                continue;
            label = rowfields::TextOf(row, MemoField::Title);
            value = rowfields::IntOf(row, MemoField::Type);
            break;
        default: continue;
        }
        // An object already in the model gives back the last one added.
        last = AddObject(topic, id, label, value, true, last, false, QString(), nullptr, true);
    }
    if (kindActive && last != 0) {
        m_kindSettings.EditOptions(last);
        if (m_owner)
            m_owner->RebuildMenuBar();
    }
    return true;
}

void ModelerCanvas::dragEnterEvent(QDragEnterEvent* event)
{
    // Qt delivers no drop to a target that took nothing into the drag.
    dragMoveEvent(event);
}

void ModelerCanvas::dragMoveEvent(QDragMoveEvent* event)
{
    CDragObject payload;
    const QString identity = m_owner ? m_owner->ProjectIdentity() : QString();
    if (CDragObject::ReadMimeData(event->mimeData(), identity, payload) == CDragObject::ReadResult::Accepted
        && AcceptsDrop(payload))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ModelerCanvas::dropEvent(QDropEvent* event)
{
    CDragObject payload;
    const QString identity = m_owner ? m_owner->ProjectIdentity() : QString();
    if (CDragObject::ReadMimeData(event->mimeData(), identity, payload) != CDragObject::ReadResult::Accepted) {
        event->ignore();
        return;
    }
    // The drop's work may open a modal dialog: answer the drag first.
    const QPoint point = event->position().toPoint();
    const qint32 keys = ModifierKeysOf(event->modifiers());
    if (!AcceptsDrop(payload)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    OnDrop(payload, point, keys);
}
