#pragma once

#include "document/documentframe.h"
#include "document/retrievalservice.h"
#include "foundation/optionsrecord.h"
#include "foundation/topicdisplaysource.h"
#include "panes/objectlistregistry.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class CRichEditCtrlEx;
class JetReader;

/// @short The one open project: its data engine, its topics in memory, the
/// registry of the windows that show them, its retrieval settings and the
/// working state of the operations on it.
///
/// One instance lives for the whole program and stands for the project
/// that is open (or for none). It owns the data engine from OpenProject to
/// the next open or CloseDatabase; the topic tables are reset between
/// projects, never deleted. Every change is written to the project file by
/// the operation that makes it and then announced through the registry;
/// nothing refreshes panes otherwise. The document shows no window: the
/// frame (IDocumentFrame), the message service and the wait window do.
/// UI thread only.
class CKorDoc {
public:
    /// The current local time; tests inject a fixed one.
    using Clock = std::function<QDateTime()>;
    /// Opens a legacy file for conversion; OpenJetDatabase unless replaced.
    using JetOpener = std::function<std::unique_ptr<JetReader>(const QString& path, QString* error)>;

    /// The topics the constructor registers, in this order: the stored ones
    /// and those that live in memory only.
    static const QList<qint32>& RegisteredTopics();
    /// State bits of the five special codes, in slot order.
    static constexpr std::array<qint32, 5> kSpecialCodeBits = {0x08, 0x20, 0x10, 0x40, 0x100};

    CKorDoc();
    ~CKorDoc();
    CKorDoc(const CKorDoc&) = delete;
    CKorDoc& operator=(const CKorDoc&) = delete;

    // ---- Services of the shell --------------------------------------------

    /// The main window's services; not owned, null runs headless.
    void SetFrame(IDocumentFrame* frame) { m_frame = frame; }
    IDocumentFrame* GetFrame() const { return m_frame; }
    void SetClock(Clock clock);
    QDateTime Now() const { return m_clock(); }
    void SetJetOpener(JetOpener opener);
    /// The retrieval engine; not owned, null runs no retrieval.
    void SetRetrievalService(IRetrievalService* service) { m_retrieval = service; }
    IRetrievalService* GetRetrievalService() const { return m_retrieval; }
    /// Reruns the retrieval through the registered service (flag set: only
    /// counts); the number of retrieved segments, 0 without a service.
    qint32 RunRetrieval(const OptionsRecord& settings, qint32 flag);

    // ---- State ------------------------------------------------------------

    /// The open project's engine; null while no project is open.
    ProjectDataEngine* GetEngine() const { return m_engine.get(); }
    TopicDatabase& GetDatabase() { return m_db; }
    const TopicDatabase& GetDatabase() const { return m_db; }
    ObjectListRegistry& GetRegistry() { return m_registry; }
    /// The project's retrieval settings, stored under "Options".
    OptionsRecord& GetRetrievalSettings() { return m_options; }
    /// The colour filters and quick codes; they outlive a project.
    ProgramLists& GetProgramLists() { return m_lists; }
    /// The document's own title, kept when no main window takes it.
    QString GetTitle() const { return m_title; }
    /// The document shown in the browser; 0 for none.
    qint32 GetShownDocument() const { return m_shownDocument; }
    qint32 GetProjectMemo() const { return m_projectMemo; }
    /// The code whose State carries kSpecialCodeBits[slot]; 0 for none.
    qint32 GetSpecialCode(int slot) const;
    int GetMinWordLength() const { return m_minWordLength; }
    /// Word-list lookups find nothing while this is off.
    bool IsWordListOn() const { return m_wordListOn; }

    // ---- The document class -----------------------------------------------

    /// Shows the title on the main window; without one keeps it as the
    /// document's own title.
    void SetTitle(const QString& title);
    /// Resets every topic table; the tables stay registered.
    void DeleteContents();
    /// Detaches, closes and frees the engine; nothing without one.
    void CloseDatabase();
    /// Forgets the shown document, the pending code and the activated
    /// counts, resets every table and tells every window to drop its
    /// content. The engine, the project memo and the settings stay.
    void ResetCaches();

    // ---- Opening and closing ----------------------------------------------

    /// An opened engine for the file at path, owned by the caller, or null
    /// (the reason shown through the message service). A legacy Jet file is
    /// first copied into a new project file beside it (ConvertedProjectPath);
    /// the old file stays. Never creates a project and never touches the
    /// project that is open, so a failed open leaves it open.
    std::unique_ptr<ProjectDataEngine> OpenProjectFile(const QString& path, const QString& dataType);
    /// A new project file of the current schema and the data type, opened;
    /// null (with a message) when the path names the open project or a file
    /// that exists. A new file needs none of the one-time repairs: their
    /// keys are stored as done.
    std::unique_ptr<ProjectDataEngine> CreateProjectFile(const QString& path, const QString& dataType);
    /// Takes the engine, loads every stored topic, runs the upgrade steps,
    /// loads the settings, rebuilds the trees and shows the document last
    /// shown. False for a null engine, and (with a message) when a topic
    /// cannot be loaded: the project open before, if any, is loaded again.
    /// `imported`: the project was just made by importing a foreign project.
    bool OpenProject(std::unique_ptr<ProjectDataEngine> engine, bool imported);
    /// Loads the stored topics registered in target from the engine, which
    /// becomes their listener, and names the built-in fields in the current
    /// language. False at the first topic that cannot be loaded, with the
    /// engine's reason in error.
    bool LoadProjectTables(ProjectDataEngine& engine, TopicDatabase& target, bool showProgress,
                           QString* error = nullptr);
    /// The name a converted legacy file gets: the path with its extension
    /// replaced by "kv4", or, when that exists, the path without extension
    /// followed by "_yyyymmdd_hhmmss.kv4" of now.
    static QString ConvertedProjectPath(const QString& oldPath, const QDateTime& now);
    /// True when path names the open project's file (canonical paths).
    bool IsOpenProjectPath(const QString& path) const;
    /// Finds the special codes again (GetSpecialCode).
    void FindSpecialCodes();
    /// The first document, in key order, that was shown in the browser; 0.
    qint32 FirstOpenDocument() const;
    /// Makes the document the one shown in the browser (mode 2: only offers
    /// it to the windows). False when it does not exist or cannot be marked.
    bool SetOpenDocument(qint32 document, qint32 mode);
    /// Passes every rich-text document through the rich-edit control once,
    /// so its stored RTF is the control's own. True when all were stored.
    bool ReencodeDocumentTexts();
    /// Removes the hyperlink fields from every rich-text document.
    bool RemoveAllHyperlinks();

    // ---- One-time upgrade steps -------------------------------------------
    // Each runs unless its sys_Setup key holds the done value, and stores
    // that value when it has run; the work and the key form one transaction,
    // so a step that fails leaves memory and file as they were and runs
    // again at the next open. A forced step neither reads nor stores its
    // key. Each returns false when it failed.

    /// Stores every step's key as done: for a project file this program
    /// made, which needs none of the repairs.
    static bool MarkUpgradeStepsDone(ProjectDataEngine& engine);
    bool UpgradeRichText(bool force);
    bool UpgradeMemoParagraphs();
    bool UpgradeCodingsType();
    bool UpgradeCodingsParagraphs();
    bool UpgradeCodingsTxtGroup();
    bool UpgradeMemosTxtGroup(bool force);
    bool UpgradeCodesVariableID();
    bool UpgradeCodingsCoverage();
    bool UpgradeCheckOptions();
    bool CheckCodingStatistics();
    bool UpgradeMemoSource(bool force);
    /// Area and Coverage (percent of length, in characters) of the
    /// document's text codings; false when a coding could not be stored.
    bool UpdateCodingCoverage(qint32 document, qint32 length);

    // ---- Project settings ---------------------------------------------------

    /// Writes the retrieval settings, the project memo, the colour filters
    /// and the quick codes; nothing without an engine.
    void SaveProjectSettings();
    /// Reads them back; a missing key leaves the list empty or the memo 0.
    void LoadProjectSettings();
    bool WriteSettingString(const QString& key, const QString& text);
    bool ReadSetting(const QString& key, QString& text);
    bool DeleteSetting(const QString& key);
    bool WriteSettingData(const QString& key, const QByteArray& bytes);
    bool ReadSettingData(const QString& key, QByteArray& bytes);
    /// The code's stored alias, else its display text; empty without engine.
    QString GetCodeAlias(qint32 code);
    bool DeleteCodeAlias(qint32 code);

    // ---- Backup -------------------------------------------------------------

    /// Saves the settings, then writes a compacted copy of the open project
    /// to target, which must not exist (nor be the project); the project
    /// stays open. False with the reason in error (empty without engine).
    bool BackupProject(const QString& target, QString& error);
    /// Stores today as the date of the last automatic backup.
    void StoreBackupDate();
    /// The date of the last automatic backup; a project without one (or
    /// with a malformed one) stores today and answers today.
    QDate GetLastBackupDate();
    /// Whole days since the last automatic backup when automatic backups
    /// are on and that many days reach the interval; otherwise 0.
    int GetDaysSinceBackup();
    /// "<folder>/<project name>_yyyymmdd-hhmmss.kv4" of now, made unique
    /// when that file exists; empty without engine.
    QString MakeBackupPath(const QString& folder) const;
    /// The project file's name without folder and extension.
    QString GetProjectName() const;

    // ---- Memory-only topics -----------------------------------------------

    /// Resets and defines the fields of the memory-only list topics.
    void DefineListColumns();
    /// Redefines the word table; with kind 5 (documents) or 4 (document
    /// sets) one count column per object.
    void PrepareWordTable(const QList<qint32>& ids, qint32 kind);
    /// Creates (or resets) the overview table and defines its columns: the
    /// seven fixed ones and one per dictionary category of Type 0.
    bool DefineOverviewTable();

    // ---- Change notifications and list queries ----------------------------

    /// Every window re-reads the object, then the frame's hook runs; the
    /// hook's answer.
    bool NotifyChanged(qint32 topic, qint32 key);
    void NotifyListChanged(qint32 topic, const QList<qint32>& keys);
    /// A change notice for every row of the topic that refers to the parent.
    void NotifyRelatedChanged(qint32 topic, qint32 parentTopic, qint32 parentKey);
    /// Announces the subcodes of the code (0: the top-level codes) under
    /// it, then theirs, depth first.
    void NotifyCodeSubtree(qint32 code);
    bool BeginRename(qint32 topic, qint32 key);
    int SelectInLists(qint32 topic, qint32 key);
    int SelectDocumentInLists(qint32 document);
    void SortLists(qint32 direction);
    void SortGroupDocuments(qint32 group, qint32 direction);
    void SortSets();
    void SortSetMembers(qint32 set);
    void SortCodeSets();
    void SortCodeSetMembers(qint32 codeSet);
    void SortSubcodes(qint32 code);
    /// Activated documents (5), codes (8) or codings (10); 0 for any other.
    qint32 GetActivatedCount(qint32 kind) const;
    /// The direct subcodes in store order; false when there is no code topic.
    bool GetChildCodes(qint32 code, QList<qint32>& ids) const;
    /// Appends every subcode at any depth: each child, then its subcodes.
    void CollectSubcodes(qint32 code, QList<qint32>& ids) const;
    /// Adds a colour (COLORREF) to the codings colour filter once.
    void AddColorFilterCode(quint32 color);
    qint32 CountCodingsOfDocumentAndCode(qint32 document, qint32 code) const;
    /// Index of the single largest count; -1 when none is above 0, -2 when
    /// the largest occurs more than once.
    static int FindUniqueMaximum(const QList<qint32>& counts);
    /// Announces the whole project to the windows again, as after opening.
    void RebuildTree(bool resetFont);

    // ---- Retrieval and code relations ------------------------------------
    // Thin calls into the registered retrieval service; without one they
    // leave their outputs empty. The result segments of combined codings
    // live in the memory-only topic TopicId::RetrievedSegments, never in
    // the project file.

    void SortRetrievedSegments(const OptionsRecord* settings, CSegmentArray& rows, qint32 key);
    void RemoveDuplicateRows(CSegmentArray& rows);
    /// The RTF of each row's range, cut from its document.
    void GetSegmentTexts(const CSegmentArray& rows, QList<QByteArray>& texts);
    /// Adds a result segment (no code of its own in the project) to the
    /// memory-only topic with the row's document, code, positions, weight
    /// and page, the text and the paragraphs; the new key goes into the
    /// row's coding. Nothing is written to the file and nothing announced.
    bool AddSegmentCoding(CSegmentRow& row, const QByteArray& text, qint32 firstParagraph, qint32 lastParagraph);
    /// Empties the memory-only result topic.
    void ClearSegmentCodings();
    /// The text of a result segment; false when it does not exist.
    bool ReadSegmentText(qint32 segment, QByteArray& text) const;
    /// The counters a broadcasting retrieval run sets.
    void SetRetrievalCounters(qint32 activatedCodes, qint32 segments);
    /// True when the document exists and is activated; its Index in order.
    bool IsDocumentActivated(qint32 document, qint32* order = nullptr) const;
    void ComputeCodeRelations(qint32 code, QList<CodeRelationEntry>& entries, QList<qint32>& counts,
                              QList<qint32>& documents, bool activatedOnly, bool proximity, qint32 distance);
    /// Refills the co-occurrence list (GetCoOccurrences) for the code.
    void CountCodingsForChart(qint32 code, QList<CodeRelationEntry>& entries);
    const QList<CoOccurrence>& GetCoOccurrences() const { return m_coOccurrences; }
    void CountCodingsForNode(qint32 code, QList<CodeRelationEntry>& entries, QList<qint32>& ids);
    void ComputeCodeRelationsMatrix(QList<CodeRelationEntry>& columns, QList<CodeRelationEntry>& rows,
                                    QList<qint32>& counts, QList<qint32>& documents, bool activatedOnly,
                                    bool proximity, qint32 distance);
    void FormatTypologyCells(QList<TypologyColumn>& columns, QList<TypologyRow>& rows, QStringList& cells,
                             bool skipMissing);
    bool CollectCodedStretches(qint32 document, qint32 length, bool noFiller, bool activatedCodesOnly,
                               SegmentRecordArray& items, const QStringList& pageTexts, qint32 columnCount);

private:
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

    void ClearProjectState();
    void ShowError(int textId, const QString& file, const QString& reason);
    bool ConvertLegacyFile(const QString& path, QString& converted);
    void ClearActivationBits();
    /// Reads the key through the engine; empty without one.
    QString SetupValue(const QString& key);
    /// The common frame of the one-time steps (see above).
    bool RunUpgradeStep(const char* key, const char* doneValue, bool force, const std::function<bool()>& work);
    /// What the repairs read of a rich-text document: its length in
    /// rich-edit positions and its paragraph breaks and ranges.
    struct TextMeasure {
        bool richText = false;  ///< a rich-text document with content
        qint32 length = 0;
        QList<qint32> breaks;   ///< GetParagraphBreaks
        QList<qint32> ranges;   ///< GetParagraphRanges; taken when asked or kept
    };
    /// Measures the document's rich text through the control; false for
    /// other kinds, empty texts and an external file that was not found.
    /// While m_keepMeasures is set, each document is streamed in and laid
    /// out once for all repairs.
    bool MeasureRichText(qint32 document, CRichEditCtrlEx& edit, bool withRanges, TextMeasure& measure);
    /// Announces the rows of the topic that refer to the parent, as
    /// children of (announcedKind, parentKey).
    void AnnounceChildren(qint32 topic, qint32 parentTopic, qint32 parentKey, qint32 announcedKind);
    void NotifyCodeSubtree(qint32 code, QSet<qint32>& visited);
    /// Announces every row of the group topic under the root, each one's
    /// members under it, then a change of the root.
    void AnnounceGroupsUnder(qint32 rootKind, qint32 groupTopic, qint32 memberTopic);

    std::unique_ptr<ProjectDataEngine> m_engine;  // the open project; null when none
    TopicDatabase m_db;
    ObjectListRegistry m_registry;
    OptionsRecord m_options;
    DisplaySource m_displaySource{m_db};
    ProgramLists m_lists;
    IDocumentFrame* m_frame = nullptr;
    IRetrievalService* m_retrieval = nullptr;
    Clock m_clock;
    JetOpener m_jetOpener;

    QString m_title;
    qint32 m_shownDocument = 0;
    qint32 m_pendingCode = 0;  // the code whose codings wait to be pasted onto another
    qint32 m_activatedDocuments = 0;
    qint32 m_activatedCodes = 0;
    qint32 m_activatedCodings = 0;
    qint32 m_projectMemo = 0;
    int m_minWordLength = 1;
    bool m_wordListOn = true;
    std::array<qint32, 5> m_specialCodes{};
    // Set while OpenProject runs the repairs, which change no document text.
    bool m_keepMeasures = false;
    QHash<qint32, TextMeasure> m_measures;  // by document

    // Retrieval: texts of the memory-only result segments (a memory topic
    // holds no blobs) and the co-occurrence list of the last chart count.
    QHash<qint32, QByteArray> m_segmentTexts;  // by result segment
    QList<CoOccurrence> m_coOccurrences;
};
