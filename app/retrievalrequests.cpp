#include "app/retrievalrequests.h"

#include "app/mainframe.h"
#include "document/kordoc.h"
#include "foundation/optionsrecord.h"
#include "retrieval/retrievalengine.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QLabel>

namespace {

constexpr int kActivatedCodesPane = 30002;
constexpr int kSegmentsPane = 30003;
constexpr int kRetrievalSettingsPane = 30008;

}  // namespace

bool CRetrievalRequests::HasProject() const
{
    return m_document && m_document->GetEngine();
}

void CRetrievalRequests::Request(NotifyHead& record)
{
    m_frame.Request(record);
}

qint32 CRetrievalRequests::CountRetrieval(const OptionsRecord& settings)
{
    return HasProject() ? m_document->RunRetrieval(settings, 1) : 0;
}

void CRetrievalRequests::RetrievalSettingsApplied()
{
    RerunRetrieval();
}

void CRetrievalRequests::RerunRetrieval()
{
    if (!HasProject())
        return;
    OptionsRecord& settings = m_document->GetRetrievalSettings();
    const qint32 segments = m_document->RunRetrieval(settings, 0);
    if (QLabel* pane = m_frame.StatusPane(kActivatedCodesPane))
        pane->setText(QString::number(m_document->GetActivatedCount(TopicId::Codes)));
    if (QLabel* pane = m_frame.StatusPane(kSegmentsPane))
        pane->setText(QString::number(segments));
    if (QLabel* pane = m_frame.StatusPane(kRetrievalSettingsPane))
        pane->setText(settings.Describe(true));
}

QString CRetrievalRequests::CodeName(qint32 code)
{
    ListNotifyInfo info;
    info.topic = TopicId::Codes;
    info.itemId = code;
    info.mask = ListNotifyMask::Name;
    info.query = true;
    Request(info);
    return info.handled ? info.name : QString();
}

QList<qint32> CRetrievalRequests::ActivatedCodes()
{
    return HasProject() ? retrieval::RetrievalEngine::CollectActivatedCodes(m_document->GetDatabase()) : QList<qint32>();
}

QList<QPair<qint32, QString>> CRetrievalRequests::QuickCodes()
{
    QList<QPair<qint32, QString>> entries;
    CQuickCodeList& list = m_frame.QuickCodes();
    const QList<qint32> codes = list.Codes();
    for (int row = 0; row < codes.size(); ++row)
        entries.append({codes.at(row), list.data(list.index(row)).toString()});
    return entries;
}
