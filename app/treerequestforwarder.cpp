#include "app/treerequestforwarder.h"

#include "document/documentrequests.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "store/projectdataengine.h"

#include <QFileInfo>

void CTreeRequestForwarder::Request(NotifyHead& record)
{
    if (m_document && m_document->GetEngine())
        AnswerDocumentRequest(*m_document, record);
}

QString CTreeRequestForwarder::ProjectIdentity() const
{
    const ProjectDataEngine* engine = m_document ? m_document->GetEngine() : nullptr;
    return engine ? QFileInfo(engine->GetPath()).canonicalFilePath() : QString();
}
