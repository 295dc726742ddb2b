#include "document/panewnd.h"

#include "document/listnotifyinfo.h"
#include "document/objectlistregistry.h"
#include "document/requestowner.h"

CPaneWnd::~CPaneWnd()
{
    LeaveRegistry();
}

void CPaneWnd::LeaveRegistry()
{
    if (m_pRegistry)
        m_pRegistry->Unregister(this);
}

bool CPaneWnd::IsShown(qint32, qint32)
{
    return false;
}

bool CPaneWnd::SendToOwner(NotifyHead& record)
{
    if (!m_pOwner)
        return false;
    record.sender = RequestSender();
    record.controlId = m_controlId;
    m_pOwner->Request(record);
    return true;
}

bool CPaneWnd::QueryOwner(ListNotifyInfo& info)
{
    info.query = true;
    info.handled = false;
    info.colour = 0;
    return SendToOwner(info) && info.handled;
}

bool CPaneWnd::NotifyOwner(ListNotifyInfo& info)
{
    info.query = false;
    info.handled = false;
    return SendToOwner(info) && info.handled;
}

qint32 CPaneWnd::RequestDrop(bool perform, QPoint screenPos, qint32 modifierKeys, qint32 draggedKind,
                             qint32 draggedId, qint32 targetKind, qint32 targetId)
{
    DropNotifyInfo info;
    info.point = screenPos;
    info.modifierKeys = modifierKeys;
    info.perform = perform;
    info.draggedId = draggedId;
    info.draggedKind = draggedKind;
    info.targetId = targetId;
    info.targetKind = targetKind;
    info.handled = false;
    if (!SendToOwner(info) || !info.handled)
        return 0;
    return info.answer;
}
