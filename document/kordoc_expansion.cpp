// Expanding or collapsing a whole tree: one transaction for every node's
// state instead of one durable write each.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/listnotifyinfo.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

void CKorDoc::HandleExpandStates(ExpandStatesNotifyInfo& info)
{
    info.result = false;
    StoreTransaction transaction(&d->m_db);
    if (!transaction.IsActive())
        return;
    for (const auto& [topic, id] : std::as_const(info.objects)) {
        ListNotifyInfo change;
        change.topic = topic;
        change.itemId = id;
        change.mask = ListNotifyMask::State;
        change.state = info.expanded ? ObjectState::Expanded : 0;
        HandleItemChange(change);
    }
    info.result = transaction.Commit();
}
