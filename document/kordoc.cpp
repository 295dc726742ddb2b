// The project document itself: construction, the shell's services, the
// title and the reset between projects.

#include "document/kordoc.h"

#include "platform/jet/jetreader.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"

const QList<qint32>& CKorDoc::RegisteredTopics()
{
    using namespace TopicId;
    static const QList<qint32> topics = {
        DocumentGroups,   DocumentSets,      Documents,   DocumentSetMembers, Codes,
        CodeSets,         CodeSetMembers,    Codings,     Memos,              Links,
        SearchHits,       WordFrequencies,   DictionaryCategories,            DictionaryEntries,
        MapLinks,         DocumentVariables, CodeVariables,                   MediaMarks,
        CoderComparison,  CoderAgreement};
    return topics;
}

CKorDoc::CKorDoc()
{
    for (qint32 topic : RegisteredTopics())
        m_db.CreateTable(topic);
    SetClock({});
    SetJetOpener({});
    m_options.SetDatabase(&m_displaySource);
}

CKorDoc::~CKorDoc()
{
    m_db.ResetTables();
    CloseDatabase();
    m_options.SetDatabase(nullptr);
}

void CKorDoc::SetClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
}

void CKorDoc::SetJetOpener(JetOpener opener)
{
    m_jetOpener = std::move(opener);
}

qint32 CKorDoc::RunRetrieval(const OptionsRecord& settings, qint32 flag)
{
    return m_retrieval ? m_retrieval->RunRetrieval(*this, settings, flag) : 0;
}

qint32 CKorDoc::GetSpecialCode(int slot) const
{
    return slot >= 0 && slot < int(m_specialCodes.size()) ? m_specialCodes[size_t(slot)] : 0;
}

void CKorDoc::SetTitle(const QString& title)
{
    if (!m_frame || !m_frame->SetWindowTitle(title))
        m_title = title;
}

void CKorDoc::DeleteContents()
{
    m_db.ResetTables();
}

void CKorDoc::CloseDatabase()
{
    m_db.SetEngine(nullptr);
    if (m_engine)
        m_engine->Close();
    m_engine.reset();
}

void CKorDoc::ClearProjectState()
{
    m_shownDocument = 0;
    m_pendingCode = 0;
    m_activatedDocuments = 0;
    m_activatedCodes = 0;
    m_activatedCodings = 0;
    m_db.ResetTables();
    // Hits name documents of the project that is going.
    m_categoryHits.clear();
    m_overviewHits.clear();
    m_keptDocuments.clear();
}

void CKorDoc::ResetCaches()
{
    ClearProjectState();
    m_registry.ResetAll();
}
