#include "panes/panewnd.h"

#include "panes/objectlistregistry.h"

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
