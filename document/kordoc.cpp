// The project document itself: construction, the shell's services, the
// title and the reset between projects.

#include "document/kordoc.h"

#include "document/kordoc_p.h"

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

CKorDoc::CKorDoc() : d(std::make_unique<CKorDocPrivate>())
{
    for (qint32 topic : RegisteredTopics())
        d->m_db.CreateTable(topic);
    SetClock({});
    SetJetOpener({});
    d->m_options.SetDatabase(&d->m_displaySource);
}

CKorDoc::~CKorDoc()
{
    d->m_db.ResetTables();
    CloseDatabase();
    d->m_options.SetDatabase(nullptr);
}

void CKorDoc::SetFrame(IDocumentFrame* frame)
{
    d->m_frame = frame;
}

IDocumentFrame* CKorDoc::GetFrame() const
{
    return d->m_frame;
}

QDateTime CKorDoc::Now() const
{
    return d->m_clock();
}

void CKorDoc::SetLegacyConversionTimeout(int milliseconds)
{
    d->m_legacyTimeoutMs = milliseconds;
}

void CKorDoc::SetRetrievalService(IRetrievalService* service)
{
    d->m_retrieval = service;
}

IRetrievalService* CKorDoc::GetRetrievalService() const
{
    return d->m_retrieval;
}

ProjectDataEngine* CKorDoc::GetEngine() const
{
    return d->m_engine.get();
}

TopicDatabase& CKorDoc::GetDatabase()
{
    return d->m_db;
}

const TopicDatabase& CKorDoc::GetDatabase() const
{
    return d->m_db;
}

ObjectListRegistry& CKorDoc::GetRegistry()
{
    return d->m_registry;
}

OptionsRecord& CKorDoc::GetRetrievalSettings()
{
    return d->m_options;
}

ProgramLists& CKorDoc::GetProgramLists()
{
    return d->m_lists;
}

QString CKorDoc::GetTitle() const
{
    return d->m_title;
}

qint32 CKorDoc::GetShownDocument() const
{
    return d->m_shownDocument;
}

qint32 CKorDoc::GetProjectMemo() const
{
    return d->m_projectMemo;
}

int CKorDoc::GetMinWordLength() const
{
    return d->m_words.MinWordLength();
}

bool CKorDoc::IsWordListOn() const
{
    return d->m_words.IsOn();
}

void CKorDoc::SetUniqueCodeNames(bool on)
{
    d->m_uniqueCodeNames = on;
}

bool CKorDoc::GetAutoFrequencies() const
{
    return d->m_autoFrequencies;
}

qint32 CKorDoc::GetPendingCode() const
{
    return d->m_pendingCode;
}

bool CKorDoc::IsPendingCopy() const
{
    return d->m_copyPendingCodings;
}

const QStringList& CKorDoc::GetWordList() const
{
    return d->m_words.Words();
}

void CKorDoc::SetWordListOn(bool on)
{
    d->m_words.SetOn(on);
}

bool CKorDoc::IsDictionaryLoaded() const
{
    return d->m_words.IsDictionaryLoaded();
}

const QString& CKorDoc::GetDictionaryFile() const
{
    return d->m_words.DictionaryFile();
}

void CKorDoc::SetDictionaryFile(const QString& path)
{
    d->m_words.SetDictionaryFile(path);
}

const QList<CoOccurrence>& CKorDoc::GetCoOccurrences() const
{
    return d->m_coOccurrences;
}

void CKorDoc::SetLexicalService(ILexicalService* service)
{
    d->m_lexical = service;
}

ILexicalService* CKorDoc::GetLexicalService() const
{
    return d->m_lexical;
}

void CKorDoc::SetWordTally(IWordTally* tally)
{
    d->m_wordTally = tally;
}

IWordTally* CKorDoc::GetWordTally() const
{
    return d->m_wordTally;
}

void CKorDoc::SetCategoryActivatedOnly(bool on)
{
    d->m_categoryActivatedOnly = on;
}

bool CKorDoc::IsCategoryActivatedOnly() const
{
    return d->m_categoryActivatedOnly;
}

void CKorDoc::SetCategoryInSegmentsOnly(bool on)
{
    d->m_categoryInSegmentsOnly = on;
}

bool CKorDoc::IsCategoryInSegmentsOnly() const
{
    return d->m_categoryInSegmentsOnly;
}

LexicalHitList& CKorDoc::GetCategoryHits()
{
    return d->m_categoryHits;
}

LexicalHitList& CKorDoc::GetOverviewHits()
{
    return d->m_overviewHits;
}

QList<qint32>& CKorDoc::GetKeptDocuments()
{
    return d->m_keptDocuments;
}

qint32 CKorDoc::GetBatchCodingWeight() const
{
    return d->m_batchCodingWeight;
}

void CKorDoc::SetBatchCodingWeight(qint32 weight)
{
    d->m_batchCodingWeight = weight;
}

void CKorDoc::SetClock(Clock clock)
{
    d->m_clock = clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
}

void CKorDoc::SetJetOpener(JetOpener opener)
{
    d->m_jetOpener = std::move(opener);
}

qint32 CKorDoc::RunRetrieval(const OptionsRecord& settings, qint32 flag)
{
    return d->m_retrieval ? d->m_retrieval->RunRetrieval(*this, settings, flag) : 0;
}

qint32 CKorDoc::GetSpecialCode(int slot) const
{
    return slot >= 0 && slot < int(d->m_specialCodes.size()) ? d->m_specialCodes[size_t(slot)] : 0;
}

void CKorDoc::SetTitle(const QString& title)
{
    if (!d->m_frame || !d->m_frame->SetWindowTitle(title))
        d->m_title = title;
}

void CKorDoc::DeleteContents()
{
    d->m_db.ResetTables();
}

void CKorDoc::CloseDatabase()
{
    d->m_db.SetEngine(nullptr);
    if (d->m_engine)
        d->m_engine->Close();
    d->m_engine.reset();
}

void CKorDoc::ClearProjectState()
{
    d->m_shownDocument = 0;
    d->m_pendingCode = 0;
    d->m_activatedDocuments = 0;
    d->m_activatedCodes = 0;
    d->m_activatedCodings = 0;
    d->m_db.ResetTables();
    // Hits name documents of the project that is going.
    d->m_categoryHits.clear();
    d->m_overviewHits.clear();
    d->m_keptDocuments.clear();
    d->m_searchHitDocuments = 0;
}

void CKorDoc::ResetCaches()
{
    ClearProjectState();
    d->m_registry.ResetAll();
}
