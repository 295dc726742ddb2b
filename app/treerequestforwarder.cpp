#include "app/treerequestforwarder.h"

#include "document/kordoc.h"
#include "panes/listnotifyinfo.h"
#include "store/projectdataengine.h"

#include <QFileInfo>

void CTreeRequestForwarder::Request(NotifyHead& record)
{
    if (!m_document || !m_document->GetEngine())
        return;
    switch (record.code) {
    case RequestCode::ItemInfo: {
        auto& info = static_cast<ListNotifyInfo&>(record);
        if (info.query)
            m_document->HandleItemQuery(info);
        else
            m_document->HandleItemChange(info);
        break;
    }
    case RequestCode::GetRecord:
        m_document->HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
        break;
    default:
        break;
    }
}

QString CTreeRequestForwarder::ProjectIdentity() const
{
    const ProjectDataEngine* engine = m_document ? m_document->GetEngine() : nullptr;
    return engine ? QFileInfo(engine->GetPath()).canonicalFilePath() : QString();
}
