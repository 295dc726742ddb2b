#pragma once

// The state behind the project document. Only the document's own sources
// include this header: a change here rebuilds them, not every window that
// includes the document.

#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "document/wordlist.h"
#include "foundation/optionsrecord.h"
#include "foundation/topicdisplaysource.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

/// Hands the retrieval settings the display texts of codes.
class DisplaySource : public TopicDisplaySource {
public:
    explicit DisplaySource(const TopicDatabase& db) : m_db(db) {}
    QString FormatRowDisplay(qint32 topic, qint32 key, bool full) const override
    {
        return m_db.FormatRowDisplay(topic, key, full);
    }

private:
    const TopicDatabase& m_db;
};

/// What a deletion removed and changed, filled as it goes.
struct CKorDoc::Deletion {
    QList<ObjectRef> removed;  // dependants, then the object, per object
    QList<ObjectRef> changed;
    QList<CodingTrace> codings;
};

/// @short Every member of CKorDoc: the open project's engine and tables,
/// the registry, the settings, the services of the shell and the working
/// state of the operations. Owned by the document for its whole life.
struct CKorDocPrivate {
    std::unique_ptr<ProjectDataEngine> m_engine;  // the open project; null when none
    TopicDatabase m_db;
    ObjectListRegistry m_registry;
    OptionsRecord m_options;
    DisplaySource m_displaySource{m_db};  // after m_db, which it reads
    ProgramLists m_lists;
    IDocumentFrame* m_frame = nullptr;
    IRetrievalService* m_retrieval = nullptr;
    ILexicalService* m_lexical = nullptr;
    IProjectMergeService* m_merge = nullptr;
    ITeamExchangeService* m_exchange = nullptr;
    IExportService* m_exports = nullptr;
    IWordTally* m_wordTally = nullptr;
    IWordCounter* m_wordCounter = nullptr;
    WordCountSettings m_wordCountSettings;
    qint64 m_totalWordCount = 0;
    CKorDoc::Clock m_clock;
    CKorDoc::JetOpener m_jetOpener;
    int m_legacyTimeoutMs = 0;  // 0: the usual limit

    QString m_title;
    qint32 m_shownDocument = 0;
    qint32 m_pendingCode = 0;  // the code whose codings wait to be pasted onto another
    bool m_copyPendingCodings = true;  // pasting copies them; false: moves them
    qint32 m_activatedDocuments = 0;
    qint32 m_activatedCodes = 0;
    qint32 m_activatedCodings = 0;
    qint32 m_projectMemo = 0;
    qint32 m_searchHitDocuments = 0;  // documents hit by the last find
    bool m_uniqueCodeNames = false;
    WordList m_words;  // the word list and the dictionary file
    bool m_autoFrequencies = false;  // code frequencies recounted after changes
    std::array<qint32, 5> m_specialCodes{};
    // Set while OpenProject runs the repairs, which change no document text.
    bool m_keepMeasures = false;
    QHash<qint32, CKorDoc::TextMeasure> m_measures;  // by document

    // Retrieval: texts of the memory-only result segments (a memory topic
    // holds no blobs) and the co-occurrence list of the last chart count.
    QHash<qint32, QByteArray> m_segmentTexts;  // by result segment
    QList<CoOccurrence> m_coOccurrences;

    // Lexical search: the category search's flags, its hits and document
    // list, and the hits of the category overviews.
    bool m_categoryActivatedOnly = false;
    bool m_categoryInSegmentsOnly = false;
    LexicalHitList m_categoryHits;
    LexicalHitList m_overviewHits;
    QList<qint32> m_keptDocuments;

    qint32 m_batchCodingWeight = -1;  // the coding options dialog's weight
    std::function<QStringList()> m_storedModelFiles;  // the model store's lister; empty until it exists
};
