#pragma once

#include "document/codingrecord.h"
#include "document/documentframe.h"
#include "document/lexicalservice.h"
#include "document/projectmergeservice.h"
#include "document/exportservice.h"
#include "document/retrievalservice.h"
#include "document/teamexchangeservice.h"
#include "document/wordcounter.h"
#include "foundation/colorhelpers.h"
#include "foundation/externalfiles.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <experimental/propagate_const>
#include <functional>
#include <memory>
#include <optional>

class CRichEditCtrlEx;
class CWorkbook;
class ObjectListRegistry;
class OptionsRecord;
class ProjectDataEngine;
class TopicDatabase;
struct FieldDescriptor;
struct ObjectRef;
struct CKorDocPrivate;
class JetReader;
class RowBuffer;
class WordCounts;
struct AddFieldNotifyInfo;
struct CompareRowsNotifyInfo;
struct DictionaryFileContent;
struct DocumentImportBatch;
struct DeleteFieldNotifyInfo;
struct DistinctValuesNotifyInfo;
struct FieldDescriptorNotifyInfo;
struct FieldIdsNotifyInfo;
struct FieldNamesNotifyInfo;
struct FieldPropertyNotifyInfo;
struct FieldTypeNotifyInfo;
struct FieldValueNotifyInfo;
struct ExpandStatesNotifyInfo;
struct ListNotifyInfo;
struct RecordNotifyInfo;

/// A media mark of a document as the browser's time column reads it.
struct MediaTimestamp {
    qint32 id = 0;
    qint32 startChar = 0;  ///< rich-edit position
    qint32 begin = 0;      ///< milliseconds
    qint32 end = 0;        ///< milliseconds
};

/// A media mark read from a transcript's time stamps, still to be stored.
struct TranscriptMark {
    qint32 startChar = 0;  ///< rich-edit position in the text without the stamps
    QString begin;         ///< "hh:mm:ss.mmm"
    QString end;           ///< "hh:mm:ss.mmm"; empty for the last segment
};

/// One condition of activation by variables.
struct ActivationCondition {
    qint32 fieldId = 0;
    QString fieldName;      ///< for the dialog that made it; not read here
    qint32 link = 0;        ///< joins it with the result so far: 1 and, otherwise or
    qint32 comparison = 0;  ///< 0 equal, 1 not equal, 2 less, 3 greater; others always met
    QString value;
};

/// @short What CKorDoc::NewCode makes a code from.
struct CodeRecord {
    qint32 parent = 0;  ///< 0: top level
    QString name;       ///< empty: the default name; longer than 63 units: kept whole as the alias
    qint32 color = 0;   ///< a palette index or a COLORREF
    QString author;     ///< empty: the project's user name
    QDateTime date;     ///< invalid: now
    qint32 memoId = 0;
};

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
    /// Opens a legacy file for conversion in this process; tests serve
    /// tables from memory this way. Without one the file is converted by
    /// the helper program in a process of its own.
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
    void SetFrame(IDocumentFrame* frame);
    IDocumentFrame* GetFrame() const;
    void SetClock(Clock clock);
    QDateTime Now() const;
    void SetJetOpener(JetOpener opener);
    /// How long the helper program may take over a legacy file; 0 for the
    /// usual limit.
    void SetLegacyConversionTimeout(int milliseconds);
    /// The retrieval engine; not owned, null runs no retrieval.
    void SetRetrievalService(IRetrievalService* service);
    IRetrievalService* GetRetrievalService() const;
    /// Reruns the retrieval through the registered service (flag set: only
    /// counts); the number of retrieved segments, 0 without a service.
    qint32 RunRetrieval(const OptionsRecord& settings, qint32 flag);

    // ---- State ------------------------------------------------------------

    /// The open project's engine; null while no project is open.
    ProjectDataEngine* GetEngine() const;
    TopicDatabase& GetDatabase();
    const TopicDatabase& GetDatabase() const;
    ObjectListRegistry& GetRegistry();
    /// The project's retrieval settings, stored under "Options".
    OptionsRecord& GetRetrievalSettings();
    /// The colour filters and quick codes; they outlive a project.
    ProgramLists& GetProgramLists();
    /// The document's own title, kept when no main window takes it.
    QString GetTitle() const;
    /// The document shown in the browser; 0 for none.
    qint32 GetShownDocument() const;
    qint32 GetProjectMemo() const;
    /// The code whose State carries kSpecialCodeBits[slot]; 0 for none.
    qint32 GetSpecialCode(int slot) const;
    int GetMinWordLength() const;
    /// Word-list lookups find nothing while this is off.
    bool IsWordListOn() const;

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
    /// Removes every step's key, so that the next open runs every repair
    /// as for a converted file of an older version.
    static bool ForgetUpgradeSteps(ProjectDataEngine& engine);
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
    /// document's text codings; with a length of 0 or less Coverage is 0 and
    /// Area stays. False when a coding could not be stored.
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
    /// Appends the subcodes depth first down to `maxDepth` levels (0: every
    /// level); with `onlyActivated` only activated codes are appended, while
    /// the walk still passes through the others.
    void CollectSubcodes(qint32 code, QList<qint32>& ids, bool onlyActivated, qint32 maxDepth) const;
    /// Appends, in the code topic's order, every other code with at least
    /// `minCount` codings that overlap a coding of `code` on the same page of
    /// a document, both weights within minWeight..maxWeight (ends exclusive).
    void CollectCooccurringCodes(qint32 code, QList<qint32>& ids, qint32 minCount, qint32 minWeight,
                                 qint32 maxWeight) const;
    /// Appends the documents that the document's project links lead to,
    /// each once, in link order.
    void CollectLinkedDocuments(qint32 document, QList<qint32>& ids) const;
    /// Adds a colour (COLORREF) to the codings colour filter once.
    void AddColorFilterCode(quint32 color);
    qint32 CountCodingsOfDocumentAndCode(qint32 document, qint32 code) const;
    /// Index of the single largest count; -1 when none is above 0, -2 when
    /// the largest occurs more than once.
    static int FindUniqueMaximum(const QList<qint32>& counts);
    /// Announces the whole project to the windows again, as after opening.
    void RebuildTree(bool resetFont);

    // ---- Requests of the views on rows and fields ------------------------
    // Each answers in the record; a request on a topic, field or row that
    // does not exist answers false and changes nothing.

    /// One row; for an area coding read with its blobs also its picture.
    void HandleGetRecord(RecordNotifyInfo& info);
    void HandleGetFieldDescriptor(FieldDescriptorNotifyInfo& info);
    /// The sort callback of every list: one field of two rows, references
    /// by what the referenced rows show; rows that cannot be read last,
    /// equal values by key, so that a sort stays a strict weak ordering.
    void HandleCompareRows(CompareRowsNotifyInfo& info);
    /// Writes one field from text. Refused (result untouched, nothing
    /// written): the key, references, counters, state and derived fields,
    /// a coding weight outside 0 to 100, a category name that any category
    /// has (case ignored), an entry text its category has, a number that
    /// is not wholly a number.
    void SetItemFieldValue(FieldValueNotifyInfo& info);
    void HandleGetDistinctValues(DistinctValuesNotifyInfo& info);
    /// Adds a user field; a documents' or codes' variable gets its row in
    /// the variable list.
    void HandleAddField(AddFieldNotifyInfo& info);
    void HandleSetFieldProperties(FieldPropertyNotifyInfo& info);
    /// Deletes a user field; codes whose variable it was forget it once
    /// the field is gone.
    void HandleDeleteField(DeleteFieldNotifyInfo& info);
    void HandleGetFieldIds(FieldIdsNotifyInfo& info);
    void HandleGetFieldNames(FieldNamesNotifyInfo& info);
    /// Changes a user field's type; the reloaded topic keeps its activation
    /// and its memory-only fields.
    void HandleChangeFieldType(FieldTypeNotifyInfo& info);
    /// -1, 0 or 1 as HandleCompareRows answers.
    int CompareRowField(qint32 topic, qint32 fieldId, qint32 first, qint32 second) const;

    // ---- Item texts and changes from the views ----------------------------

    /// Answers what the mask asks of the item (kind and id); handled is
    /// false when its row cannot be read.
    void HandleItemQuery(ListNotifyInfo& info);
    /// Applies a rename, move, expansion, new index, content or view state
    /// from a view; handled is the commit's result. Views change only the
    /// expanded bit of a state; empty names are refused; a code never moves
    /// under itself or a subcode, nor a category under its own subtree.
    void HandleItemChange(ListNotifyInfo& info);

    // ---- Expansion of many tree nodes at once --------------------------------
    /// Gives every listed object the expanded state as HandleItemChange does
    /// for one, all in one transaction; result is false (and nothing stays
    /// written) when the transaction could not be committed.
    void HandleExpandStates(ExpandStatesNotifyInfo& info);
    /// The colour of a document, code or coding; green for a missing row,
    /// 0 for other kinds.
    quint32 GetItemColor(qint32 kind, qint32 id) const;
    bool IsSpecialCode(qint32 code) const;
    /// Sums of the Codes counters: of a document, of a group's documents
    /// (0: all documents), of the documents in a set (0: in every set), of
    /// the codes in a code set (0: in every code set).
    qint32 CountDocumentCodings(qint32 document) const;
    qint32 CountGroupCodings(qint32 group) const;
    qint32 CountSetCodings(qint32 set) const;
    qint32 CountAllSetCodings() const;
    qint32 CountCodeSetCodings(qint32 codeSet) const;
    qint32 CountAllCodeSetCodings() const;
    /// Gives every coding (memo) of the document the group, in one
    /// transaction, and announces them.
    bool SetCodingsGroup(qint32 document, qint32 group);
    bool SetMemosGroup(qint32 document, qint32 group);
    /// The document's media marks, by start position.
    bool LoadDocumentTimestamps(qint32 document, QList<MediaTimestamp>& marks) const;
    /// Reads the time stamps of a transcript (hyperlinks "file=... time=ms",
    /// else "#hh:mm:ss-t#", which are replaced in the text) as marks; the
    /// media file of the links, "*" for the other stamps, empty for none.
    QString ReadTranscriptTimestamps(CRichEditCtrlEx& edit, QList<TranscriptMark>& marks);
    /// Renames of codes refuse a name any code has (case ignored).
    void SetUniqueCodeNames(bool on);

    // ---- Variable lists and project queries -------------------------------

    /// The name of a field type as the variable lists show it.
    static QString VariableTypeName(qint32 type);
    /// Refills the codes' (or documents') variable list from the fields.
    bool BuildVariableList(bool codes);
    /// The list row of a new user field.
    bool AddVariableListRow(qint32 list, const FieldDescriptor& field);
    /// The documents' variable made from code frequencies with the name
    /// (case ignored), added when there is none; 0 when adding failed.
    qint32 GetCodeVariableField(const QString& name);
    /// Stores a code's long name; the code's own name deletes the alias
    /// and answers false.
    bool SetCodeAlias(qint32 code, const QString& alias);
    /// Whether a document, set member, code, code-set member or coding is
    /// activated; false for other kinds and missing rows.
    bool IsActivated(qint32 kind, qint32 id) const;
    /// A coding counts as activated when its document is and its code is
    /// (or lies under an activated code with subcodes included, or is the
    /// code the retrieval function names).
    bool IsCodingActivated(qint32 coding) const;
    qint32 CountActivatedRelated(qint32 topic, qint32 parentTopic, qint32 parentKey) const;
    /// True when ancestor lies above code in the code tree.
    bool IsCodeDescendant(qint32 ancestor, qint32 code) const;
    bool IsCategoryDescendant(qint32 ancestor, qint32 category) const;
    /// depth for a code without subcodes, else the least such depth below.
    qint32 GetMinLeafDepth(qint32 code, qint32 depth) const;
    /// Names of all codes, trimmed and lower-cased, each once.
    void ListCodeNames(QStringList& names) const;
    /// Authors of all codings, trimmed, each once (case ignored).
    void ListCodingAuthors(QStringList& authors) const;
    qint32 GetSetMemberDocument(qint32 member) const;
    /// DocType; -1 for a missing document.
    qint32 GetDocumentType(qint32 document) const;
    /// The project file's folder with a trailing "/"; empty without one.
    QString GetProjectFolder() const;
    /// Inserts the project's counts at the start of the control.
    bool WriteProjectStatistics(CRichEditCtrlEx& edit);
    /// The full names of the activated codes as UTF-16 lines; false (with a
    /// message) when the file cannot be written, which then stays as it was.
    bool ExportActivatedCodeNames(const QString& path);
    /// A preview of the segment and the paragraph of its start (rich text);
    /// 1 and no text for other kinds; 0 for a missing document.
    qint32 GetSegmentPreview(qint32 document, qint32 start, qint32 end, QString& text);
    // ---- Document groups, documents and document sets ---------------------
    // Each creation takes the next key above the topic's high-water mark,
    // writes the row to the file and only then announces it; a row that
    // cannot be written leaves memory and file as they were and announces
    // nothing. Names are trimmed and cut to 63 units; an empty one becomes
    // "<word> <key>".

    /// A group with the default name, offered for renaming in place when a
    /// pane took it. False when the row could not be written.
    bool NewDocumentGroup();
    /// The new group's id; 0 on failure.
    qint32 NewDocumentGroupNamed(const QString& name);
    /// A rich-text document in the group (0: top level, else it must
    /// exist). Size is the character count of the text as the hidden
    /// rich-edit control loads it, the count every coding position uses.
    /// The new id; 0 on failure.
    qint32 NewDocument(qint32 group, const QString& name, const QByteArray& rtf, const QString& mediaFile);
    /// An empty document, or with createTable one whose content is an empty
    /// table of rows x columns; announced at the end of the group's
    /// documents when append is set, else first. The new id; 0 on failure.
    qint32 NewTableDocument(qint32 group, const QString& name, const QString& mediaFile, bool append,
                            bool createTable, qint32 rows, qint32 columns);
    /// A document whose content is the bytes (PDF, picture, table, or an
    /// "EXTERN:" reference to a file) of the DocumentKind. Size is the byte
    /// count unless the content is a reference. The new id; 0 on failure.
    qint32 NewExternalDocument(qint32 group, const QString& name, const QByteArray& content, qint32 kind);
    /// The groups and documents of one file import, with the media marks of
    /// transcripts, all in one transaction; announced only once written.
    /// `ids` gets the new documents' ids in the batch's order. False, with
    /// nothing written or announced, when a write failed.
    bool AddImportedDocuments(const DocumentImportBatch& batch, QList<qint32>& ids);
    /// A copy of the source with its content, named "<name> (<key>)", in a
    /// group (targetKind 2) or in the group of a document and after it
    /// (targetKind 5); it starts without codings, memos and memo. False for
    /// another kind, an absent source or target, or a failed write.
    bool DuplicateDocument(qint32 source, qint32 targetKind, qint32 target);
    /// For imports: finds the document named documentName in the group named
    /// groupName (both trimmed, cut to 63 units and compared without case;
    /// an empty group name is the top level) and reads it into row. With
    /// create, a missing group and document are made (an empty document)
    /// and read into row; a document that exists already gives false, so
    /// no duplicate is made. Without create, false when either is missing.
    bool FindOrCreateDocument(const QString& groupName, const QString& documentName, RowBuffer& row,
                              bool create);
    /// A set (empty name: the default) whose members are the activated
    /// documents in store order. False when the set row cannot be written.
    bool NewDocumentSet(const QString& name);
    /// A set with the default name whose members are the group's documents.
    bool NewDocumentSetFromGroup(qint32 group);
    /// Makes the document a member of the set, announced at position.
    /// False, announcing nothing, when the document or set is absent, the
    /// document is already a member, or the row cannot be written.
    bool AddDocumentSetMember(qint32 document, qint32 set, qint32 position);
    /// SetOpenDocument for the member's document; false when it is absent.
    bool OpenSetMemberDocument(qint32 member, qint32 mode);
    /// Opens the documents from the last to the first, the first as the
    /// current one (mode 1), the others only offered (mode 2); with
    /// resetTabs the open tabs are dropped first.
    void OpenDocuments(const QList<qint32>& documents, bool resetTabs);
    /// True when the document is activated; index is its Index (0 when absent).
    bool IsDocumentActivated(qint32 document, qint32& index) const;
    /// The document's group; 0 when absent.
    qint32 GetDocumentGroup(qint32 document) const;
    /// ExtLink1 to ExtLink3 of the document; false (the texts unchanged)
    /// when it is absent.
    bool GetDocumentSourceInfo(qint32 document, QString& link1, QString& link2, QString& link3) const;

    // ---- External files --------------------------------------------------------

    /// The references of the stored models to outside files, as stored;
    /// the model store fills it once it exists.
    using StoredModelFiles = std::function<QStringList()>;
    void SetStoredModelFiles(StoredModelFiles lister);
    /// Resolves every outside file the project refers to against the
    /// externals folder and then the project's folder, in this order: each
    /// document in key order (its "EXTERN:" content, ExtLink1 to ExtLink3,
    /// MediaFile, trimmed), each link to a file or address with a text, the
    /// stored models' files. Appends each found file's path to paths
    /// (duplicates kept) and, when given, a record of every file reference,
    /// found or not, to records. Addresses are neither.
    void CollectExternalFiles(QStringList& paths, QList<ExternalFileRecord>* records = nullptr);

    // ---- Table exports ------------------------------------------------------------
    // Thin calls into the registered export service (exportservice.h);
    // without one nothing is written and false is returned.

    void SetExportService(IExportService* service);
    IExportService* GetExportService() const;
    /// One sheet of objects of a topic; an empty path writes into the
    /// documents folder under the topic's title. With a book the sheet goes
    /// into it and nothing is saved. `path` becomes the name written.
    bool ExportRetrievedSegments(qint32 topic, const QList<qint32>& ids, QString& path, bool openAfter,
                                 CWorkbook* book = nullptr);
    /// A table of texts as an HTML page; cells[r × columns + c], "~" a line
    /// break. An empty path writes into the working folder.
    bool ExportHtmlTable(const QStringList& columns, const QStringList& rows, const QStringList& cells,
                         const QString& path = QString());
    bool ExportCodingsHtml(const QList<qint32>& codings, const QString& path);
    bool WriteTabTextFile(const QString& path, const QList<qint32>* keys, bool unicode, bool codes);
    bool ExportDocumentFolders(const QString& base);
    /// The hits as RTF in output mode 0 (counts), 1 (list) or 2 (ranges);
    /// the counts follow modes 1 and 2 when asked.
    bool ExportSearchHitsText(const QString& path, const QList<qint32>& hits, int mode, bool withCounts);
    /// Fills the link overview (topic 21) from the links of one document,
    /// or of all with 0, after emptying it (unless `append`).
    void BuildLinkTable(qint32 document, bool append = false);
    /// The code matrix: documents × codes, as a workbook or tab text.
    bool ExportTableExcel(const QString& path, bool activatedOnly, bool unicode, bool excel);
    /// A document's content as its file holds it: the stored bytes, or for
    /// a document kept outside the project ("EXTERN:") the resolved file's
    /// bytes. False when there is none (`error` empty) or the file cannot
    /// be read (the reason in `error`).
    bool GetDocumentContentBytes(qint32 document, QByteArray& bytes, QString* error = nullptr);
    /// The plain text of a coding (topic 10) or memo (11). A picture or PDF
    /// coding with pictures allowed gives its area as JPEG bytes in
    /// `picture` and its size, the text empty. `edit` (made when null)
    /// reads the rich text; many calls should share one.
    bool GetObjectPlainText(qint32 topic, qint32 id, QString& text, bool picturesAllowed, QByteArray* picture = nullptr,
                            int* width = nullptr, int* height = nullptr, CRichEditCtrlEx* edit = nullptr);

    // ---- Merging another project ----------------------------------------------
    // Thin calls into the registered merge service (projectmergeservice.h);
    // without one nothing is merged.

    /// The merge; not owned, null merges nothing.
    void SetMergeService(IProjectMergeService* service);
    IProjectMergeService* GetMergeService() const;
    /// The project at path opened and read as a merge source; null, with a
    /// message, without a service, for the open project itself and for
    /// whatever the service refuses. Neither file is written.
    std::unique_ptr<MergeSource> OpenMergeSource(const QString& path);
    /// Adds the whole source to the open project, all or nothing; with
    /// replaceCodeMemos the memos of merged codes replace those of codes
    /// the project has already. Windows hear nothing while it runs and are
    /// reset once it is committed; a failure (with a message) leaves memory,
    /// file and windows as they were.
    bool MergeProject(MergeSource& source, bool replaceCodeMemos);
    /// False when a link of the document in store (default the project's)
    /// has this page, start, finish, x1 and x2; true otherwise.
    bool IsNewDocumentLink(qint32 document, qint32 page, qint32 start, qint32 finish, qint32 x1, qint32 x2,
                           const TopicDatabase* store = nullptr) const;
    /// False when a memo of the document in store has this page, position
    /// and title; true otherwise.
    bool IsNewDocumentMemo(qint32 document, qint32 page, qint32 position, const QString& title,
                           const TopicDatabase* store = nullptr) const;
    /// Converts a legacy Jet file into a new project file at target (which
    /// must not exist), leaving the legacy file alone; false with a message.
    bool ConvertLegacyFileTo(const QString& path, const QString& target);

    // ---- Teamwork exchange ----------------------------------------------------
    // Thin calls into the registered exchange service (teamexchangeservice.h);
    // without one nothing is exchanged. A failure or refusal is shown and
    // leaves project and exchange file as they were.

    /// The exchange; not owned, null exchanges nothing.
    void SetExchangeService(ITeamExchangeService* service);
    ITeamExchangeService* GetExchangeService() const;
    bool ExportDocumentsToExchange(const QString& path, qint32 scope, qint32 id, const QString& sourceText = {},
                                   const QString& sourceGroup = {});
    bool ExportCodesToExchange(const QString& path, const QList<qint32>& codes);
    /// Windows hear nothing until the import is committed, then are reset.
    bool ImportCodeSystemFromExchange(const QString& path);
    bool ImportExchangeFile(const QString& path, qint32 scope, qint32 id, IExchangeImportHost& host,
                            ExchangeChoices& choices);
    /// Runs an import of the caller's that makes its own transaction and
    /// writes through the operations here: windows hear nothing of it; once
    /// it answers true they are reset and the trees filled again. When it
    /// answers false (its transaction rolled back) the counts kept in
    /// memory follow the rows back and its error, when not empty, is shown.
    bool RunHeldImport(const std::function<bool(QString&)>& import);

    // ---- Codes, code sets, code variables and code frequencies -------------
    // Creation, names and failures as for documents above. A name longer
    // than 63 units is stored whole as the code's alias, once the row is in
    // the file. A colour of kPaletteGreen is stored as index 0.

    /// The new code's id; 0 on failure (or an absent parent).
    qint32 NewCode(const CodeRecord& record);
    /// Walks the backslash-separated path from the parent, each part found
    /// among the subcodes by name without case (cut to 63 units). A missing
    /// part is made when create is set (in store, default the project's:
    /// only the project's own store announces); the last part gets the
    /// state bits (and with a special-code bit its colour) and is announced
    /// after `position`, the codes above it at the end of their parent. With
    /// log, a line per new code; found takes each code found or made. The
    /// last code's id; 0 for an empty path or part, or a missing part
    /// without create.
    qint32 AddCodeByPath(qint32 parent, const QString& path, bool create, TopicDatabase* store = nullptr,
                         qint32 stateBits = 0, QString* log = nullptr, qint32* found = nullptr, qint32 color = 0,
                         qint32 position = 0);
    /// Appends the code's path (its name, or "prefix\name") and, when it is
    /// not empty, the paths of its subcodes, parents before children.
    void CollectCodePaths(qint32 code, const QString& prefix, QStringList& paths) const;
    /// Copies the codes below source (not source itself) under the target
    /// (under: first in place) or, next to the target, under the target's
    /// parent; codes of the same name there are reused, not doubled. False
    /// when the target or source is absent, the target lies inside the
    /// source's subtree, or a code could not be made.
    bool CopyCodeSubtree(qint32 source, qint32 target, bool under);
    /// A code set (empty name: the default) whose members are the activated
    /// codes in store order; false when the set row cannot be written.
    bool NewCodeSet(const QString& name);
    /// A set of the code followed by its direct subcodes.
    bool NewCodeSetFromSubcodes(qint32 code);
    /// As AddDocumentSetMember, for codes and code sets.
    bool AddCodeSetMember(qint32 code, qint32 set, qint32 position);
    /// The member's code; 0 when absent.
    qint32 GetCodeSetMemberCode(qint32 member) const;
    /// A document variable named after the code that counts its codings
    /// (integer), or names the subcode coded most often (categorical, text).
    /// The new field's id; 0 on failure.
    qint32 CreateCodeVariable(qint32 code, bool categorical);
    /// Sets the variable of every document to the count of the code's
    /// codings in it (categorical: FillCategoricalVariable). False when a
    /// value could not be written.
    bool FillCodeVariable(qint32 code, qint32 field, bool categorical);
    bool FillCategoricalVariable(qint32 parent, qint32 field);
    /// The document's value: the display name of the direct subcode of the
    /// parent coded most often in it, the tie text when the largest count is
    /// shared, empty when none is coded.
    bool UpdateCategoricalValue(qint32 document, qint32 parent, qint32 field);
    /// The code's CatVariable or Variable; 0 when absent.
    qint32 GetCodeLinkObject(qint32 code, bool categorical) const;
    /// Deletes the code's document variable (and its row of the variable
    /// list) and then forgets it in the code; false when there is none or
    /// the deletion failed.
    bool ClearCodeLinks(qint32 code, bool categorical);
    /// The code's count of codings; with subcodes (and the option on) plus
    /// those of every subcode at any depth.
    qint32 GetCodeFrequency(qint32 code, bool withSubcodes) const;
    /// Recounts, in memory only, the activated codings, the shares and the
    /// number of coded documents of the code (0: every code), announcing
    /// each code that changed; only while automatic frequencies and the
    /// option are on. Codings of code 0 are never counted.
    void UpdateCodeFrequencies(qint32 code);
    /// Switching on recounts every code.
    void SetAutoFrequencies(bool on);
    bool GetAutoFrequencies() const;
    /// Stores the colour of a document (5), code (8) or coding (10); a
    /// code's codings take it too. False for another topic, an absent row or
    /// a failed write; true without change when the colour is the same.
    bool SetItemColor(qint32 topic, qint32 id, qint32 color);
    /// The distinct colours (COLORREF) of the named codes in colour order;
    /// the given colour joins the codings colour filter when no code has it.
    void CollectCodeColors(QList<COLORREF>& colors, qint32 color);
    /// The code's Type; 0 when absent.
    qint32 GetCodeColorIndex(qint32 code) const;

    // ---- Codings ---------------------------------------------------------------
    // A coding is a segment of a document assigned to a code: a range of
    // rich-edit positions, or a rectangle (PosX1, StartChar)-(PosX2,
    // FinishChar) on a page. A stored end one past the text's length (older
    // files counted the last paragraph mark) is kept as stored and read as
    // the text's end. Codings of code 0 are temporary rows and count nowhere.

    /// Writes the coding of record, or merges it into an overlapping coding
    /// of the same code as overlapMode (OverlapMode) says; the file first,
    /// in one transaction with the counters of code and document, then the
    /// broadcasts. Refused (false, nothing written): an absent document, an
    /// absent code (code 0 is allowed and checks no overlap), a record that
    /// an equal coding already holds or that mode Drop drops. A reversed
    /// range is turned round and the weight kept within 0 to 100. actionId
    /// 0 receives the new coding's key (a merge keeps the coding's own
    /// action and leaves actionId 0), -1 stores no action, any other value
    /// is stored as given. record.Text moves into the row; record.ID names
    /// the stored coding afterwards. commitEdits first has the frame write
    /// the browser's edits. True when the coding was written or merged into
    /// an activated code (or one under an activated code with subcodes
    /// included, or the code of the current retrieval function) of an
    /// activated document and passes the weight filter: the caller then
    /// reruns the retrieval once (RunRetrieval), whatever the function.
    bool AddCoding(CodingRecord& record, qint32& actionId, qint32 overlapMode, bool* written = nullptr,
                   bool commitEdits = true);
    /// Looks among the codings of the record's document with its code and
    /// page (IsText 2: and its PosX1) for one equal to the record (result
    /// Drop, ID the equal coding's) or overlapping it (OverlapResult by
    /// mode, ID the coding's; Union and Intersection also change the
    /// record's extent). Ranges that only touch do not overlap. The record's
    /// own ID is skipped. store: default the project's.
    qint32 FindOverlappingCoding(CodingRecord& record, qint32 overlapMode, const TopicDatabase* store = nullptr) const;
    /// Gives the coding named by record.ID the record's extent, paragraphs,
    /// preview, text (moved), area and coverage, and announces it; false
    /// (record.Text cleared) when the coding is absent or was not written.
    bool UpdateCodingSegment(CodingRecord& record);
    /// Writes text (cut to 127 units) into the coding's comment only when
    /// that is empty and the text is not; announced.
    bool SetCodingComment(qint32 coding, const QString& text);
    QString GetCodingComment(qint32 coding) const;
    /// Stores the weight (pulled into 0 to 100) of the coding and announces
    /// it; false when the coding is absent, the weight is the stored one or
    /// the row was not written.
    bool SetCodingWeight(qint32 coding, qint32 weight);
    /// Replaces the comment of a coding or media mark (cut to 127 units)
    /// and announces it; false when the row is absent, the comment is the
    /// stored one or the row was not written.
    bool ReplaceComment(qint32 topic, qint32 key, const QString& text);
    /// Adds a copy of the coding (with its text) to the code, dropped when
    /// the code already overlaps it there, and reruns the retrieval when it
    /// belongs in it. False when the code is the coding's own or absent;
    /// true otherwise, also for an absent coding.
    bool CopyCodingToCode(qint32 coding, qint32 code);
    /// As the copy, but an overlapping coding of the code takes the extent,
    /// and the coding is deleted once its copy is stored; its comment is
    /// carried over (after a blank line when the target has one).
    bool MoveCodingToCode(qint32 coding, qint32 code);
    /// Remembers the code whose codings PastePendingCodings copies (copy)
    /// or moves.
    void SetPendingCodings(qint32 code, bool copy);
    qint32 GetPendingCode() const;
    bool IsPendingCopy() const;
    /// Copies or moves every coding of the pending code to the target (the
    /// copies as one coding action) and forgets the pending code; the
    /// retrieval reruns once when a coding belongs in it. The former
    /// pending code; 0 when none was pending, the target is absent or is
    /// the pending code itself (the pending code is then kept).
    qint32 PastePendingCodings(qint32 target);
    /// The greatest coding action below bound (0: no bound) and, in code,
    /// the code of a coding of it; 0 when there is none.
    qint32 FindPreviousAction(qint32& code, qint32 bound) const;
    qint32 CountActionCodings(qint32 action) const;
    /// Up to count lines "<code's full name>  (<codings>)" for the most
    /// recent coding actions, newest first; true.
    bool BuildCodeRankingList(qint32 count, QStringList& lines) const;
    /// Deletes every coding of the action n steps below the most recent one
    /// (0: the most recent), in one transaction; false when there are fewer
    /// actions or the deletion failed.
    bool UndoCodingAction(qint32 n);
    /// Drops the ids of codings that exist without a code; absent ones stay.
    void RemoveDeadCodings(QList<qint32>& ids) const;
    /// The document's codings of the code; store: default the project's.
    qint32 CountCodingsOfCodeInDocument(qint32 code, qint32 document, const TopicDatabase* store = nullptr) const;
    /// documents x codes cells, cell i + k x documents for document i and
    /// the k-th code: the number of its codings of that code, and 1 in
    /// presence when there is any. With the weight filter on, codings whose
    /// weight lies outside it are left out.
    void CountCodingsByDocumentAndCode(const QList<qint32>& documents, const QList<qint32>& codes,
                                       QList<qint32>& counts, QList<quint8>& presence) const;
    /// Every window selects the coding's code.
    void SelectCodingCode(qint32 coding);

    // ---- Deleting single codings, links and media marks -----------------------
    // Each deletes through the store in one transaction (the counters of the
    // rows that counted the object kept right), then tells every window:
    // the removed dependants, the object, then the changed objects once
    // each. False, with nothing changed and nothing announced, when the row
    // is absent or the file refused the deletion.

    bool DeleteCoding(qint32 coding);
    /// Codings in one transaction, announced together.
    bool DeleteCodings(const QList<qint32>& codings);
    /// Deletes both ends of a link pair and the map links naming either.
    bool DeleteLink(qint32 link);
    /// The mark alone; DeleteMediaMark also closes the gap in the times.
    bool DeleteMediaMarkRow(qint32 mark);

    // ---- Memos, links and media marks -----------------------------------------

    /// A free memo: title (empty: "Memo <key>"; cut to 63 units), author
    /// (empty: the user name), date (invalid: now), rich text (empty: none);
    /// announced. The new id; 0 on failure.
    qint32 NewMemo(const QString& title, const QString& author, const QDateTime& date, const QByteArray& rtf);
    /// The memo of a code, document, document group or document set (of a
    /// set member: of its document, which is announced as changed); 0 when
    /// it has none. A memo that no longer names its owner is attached to it
    /// again, unless another object or a place in a document holds it, in
    /// which case the asking object forgets it. With create, a missing memo
    /// is made with the rich text and attached (created set); 0 when the
    /// object is absent or the memo could not be written.
    qint32 GetCodeMemo(qint32 code, bool& created, bool create = false, const QByteArray& rtf = {});
    qint32 GetDocumentMemo(qint32 document, bool& created, bool create = false, const QByteArray& rtf = {});
    qint32 GetGroupMemo(qint32 group, bool& created, bool create = false, const QByteArray& rtf = {});
    qint32 GetSetMemo(qint32 set, bool& created, bool create = false, const QByteArray& rtf = {});
    qint32 GetSetMemberMemo(qint32 member, bool& created, bool create = false, const QByteArray& rtf = {});
    /// The project memo; with create made (and its id stored) when missing.
    qint32 GetProjectMemo(bool& created, bool create = false, const QByteArray& rtf = {});
    /// A memo at a place in the document ("Memo <key>"); the document's
    /// memo count rises. The new id; 0 when the document is absent or the
    /// memo could not be written.
    qint32 NewDocumentMemo(qint32 document, qint32 page, qint32 position, qint32 paragraph);
    /// A new top-level rich-text document named after the memo: its title,
    /// author and date in bold, then its text. The new id; 0 when the memo
    /// is absent.
    qint32 NewDocumentFromMemo(qint32 memo);
    /// The memos linked to the code (with subcodes included: or to one of
    /// its subcodes), in store order; true.
    bool CollectMemosOfCode(qint32 code, QList<qint32>& ids);
    /// The memos linked to any existing code, in store order; true.
    bool CollectCodeMemos(QList<qint32>& ids);
    /// The code ids a memo is linked to; empty for an absent memo.
    QList<qint32> GetMemoCodes(qint32 memo);
    /// What the memo window writes back of one memo.
    struct MemoEdit {
        qint32 ID = 0;
        QString Title;
        QString Author;
        qint32 Type = 0;
        QDateTime Date;
        QByteArray Text;          ///< RTF
        QList<qint32> Codewords;
    };
    /// Writes title, author, type, date, text and codes of the memo in one
    /// commit and announces the change; false (nothing written, nothing
    /// announced) when the memo is absent or the store refuses.
    bool StoreMemo(const MemoEdit& edit);
    /// False when a memo of the document has that page, position and title.
    bool IsMemoPlaceFree(qint32 document, qint32 page, qint32 position, const QString& title,
                         const TopicDatabase* store = nullptr) const;
    /// A link end, as the browser makes it.
    struct LinkRecord {
        qint32 ID = 0;
        qint32 TextID = 0;
        qint32 StartChar = 0;
        qint32 FinishChar = 0;
        qint32 LinkID = 0;  ///< 0: pair with the oldest waiting end; -1: a file or address in Text
        QByteArray Text;
        qint32 PosX1 = 0;
        qint32 PosX2 = 0;
        qint32 Page = 1;
        qint32 IsText = 1;
    };
    /// Stores a link end (Text moved in; ID set). An end with LinkID 0
    /// pairs with the oldest end still waiting for its partner, and both
    /// then name each other; without one it waits. False (nothing written
    /// or announced) for an absent document or a refused write.
    bool AddLink(LinkRecord& record);
    /// Gives the link the record's extent, page and text (moved); announced.
    bool UpdateLink(LinkRecord& record);
    /// Deletes the oldest end still waiting for its partner; false when none.
    bool DeleteFirstLink();
    /// False when a link of the document has exactly this place.
    bool IsLinkPlaceFree(qint32 document, qint32 page, qint32 start, qint32 finish, qint32 x1, qint32 x2,
                         const TopicDatabase* store = nullptr) const;
    /// A media mark as stored: times are "hh:mm:ss.mmm".
    struct MediaMarkRecord {
        qint32 TextID = 0;
        qint32 State = 0;
        qint32 StartChar = 0;
        QString Begin;
        QString End;
    };
    /// One row per record for the document, in one transaction; announces
    /// nothing. False for an absent document or a refused write.
    bool AddMediaMarks(qint32 document, const QList<MediaMarkRecord>& marks);
    /// Writes the listed entries of the document's marks (times in
    /// milliseconds): an entry with an id updates its row, one without gets
    /// a new row, whose id goes into the entry, and is selected. One
    /// transaction; false when a write failed or the document is absent.
    bool StoreMediaMarks(qint32 document, QList<MediaTimestamp>& marks, const QList<qsizetype>& indexes);
    bool GetMediaMark(qint32 mark, MediaMarkRecord& record) const;
    /// Deletes a mark of a document with at least two: the mark before it
    /// takes over its end, or, for the first mark, the next one starts at
    /// position 0 and time 0. False, nothing deleted, otherwise.
    bool DeleteMediaMark(qint32 mark);
    /// Reads "file=<name> time=<milliseconds>" (quotes ignored; "time="
    /// after "file="): the file name with XML entities decoded and the time
    /// as "hh:mm:ss.mmm". False otherwise.
    static bool ParseTimeMark(const QString& text, QString& fileName, QString& time);

    // ---- Coding records, colours and sort orders ---------------------------

    /// The distinct colours (COLORREF) of the named documents (kind 5) or
    /// codes (kind 8), each once, in colour order; empty for another kind.
    void ListUsedColors(QList<COLORREF>& colors, qint32 kind) const;
    /// Codings of the document with the code or any of its subcodes;
    /// codings of code 0 never count.
    qint32 CountDocumentCodingsInSubtree(qint32 document, qint32 code) const;

    // Maintenance of the fields of codings that follow from other data. Each
    // runs in one transaction: a write that fails leaves everything as it was.

    /// Every coding of the default weight (option) gets the new weight
    /// (0 to 100) and is announced; true when a coding changed.
    bool ReplaceCodingWeight(qint32 newWeight);
    /// Paragraphs, area and coverage of the document's text codings from
    /// the control that holds its text; only changed codings are written.
    bool RecomputeDocumentCodings(qint32 document, const CRichEditCtrlEx& edit);
    /// For the text codings of every rich-text document of the project's
    /// own: paragraphs, preview, the segment's RTF, area and coverage, each
    /// document's text laid out once.
    bool RebuildAllCodings();
    /// Codings and memos of every document and codings of every code
    /// counted again (code-0 rows never), changes announced, then the
    /// frequencies recounted.
    bool RecountCodings();
    /// The distinct documents of the codings and the distinct groups of
    /// those documents (the top level not counted); absent codings skipped.
    void CountCodingSources(const QList<qint32>& codings, qint32& documents, qint32& groups) const;
    /// The picture of an area coding of a picture or PDF document, saved or
    /// copied as the image routines do; false for other kinds or no content.
    bool SaveCodingImage(const CodingRecord& coding, int& maxHeight, int& maxWidth, bool save);

    // ---- Coder agreement by segments -----------------------------------------

    /// Compares the codings of the listed codes in two documents coded by
    /// two coders: each coding looks for the first coding of the other
    /// document with its code and page whose overlap over union reaches
    /// minimumOverlap percent (text codings by their ranges, area codings by
    /// their rectangles). The comparison table (topic 29) gets a row per
    /// coding, the agreement table (topic 30) a row per listed code and a
    /// total row (code 0); both are emptied first. False for one document
    /// compared with itself or an absent document.
    bool CompareCoderSegments(qint32 first, qint32 second, const QList<qint32>& codes, qint32 minimumOverlap);

    // ---- Word counts, word lists and dictionary files ------------------------

    /// Counts the words of the text, which is lower-cased (unless the
    /// dictionary's case option is on) and has its separators turned into
    /// blanks in place. A word counts when it has 1 to 63 units, at least
    /// the minimum word length, and is not in the word list. count: words
    /// gets += 1; otherwise a new word enters with 0 and a known one keeps
    /// its value. second, when given, always gets += 1. The words counted.
    qint32 CountWords(QString& text, WordCounts& words, WordCounts* second, bool count) const;
    /// Words of 2 to 63 units, separators applied, case kept.
    static qint32 CountTextWords(const QString& text);
    /// True when the list is on and holds the word (lower-cased).
    bool FindWordInList(QStringView word) const;
    /// Inserts the lower-cased word at its sorted place (true), or finds it
    /// there (false); position takes its index either way.
    bool FindWordPosition(const QString& word, qsizetype* position = nullptr);
    bool RemoveWord(const QString& word);
    /// The words of the text, lower-cased, sorted and each once; added to
    /// the list or replacing it.
    void SetWordList(const QString& text, bool append);
    const QStringList& GetWordList() const;
    void SetWordListOn(bool on);
    /// The first category (store order) of the name, without case; 0.
    qint32 FindCategoryByName(const QString& name) const;
    /// The entry's category; 0 when the entry is absent.
    qint32 GetEntryCategory(qint32 entry) const;
    /// The first entry of the category with exactly the text; 0.
    qint32 FindEntryInCategory(qint32 category, const QString& text) const;
    /// All entries, each text (without case) once by its last entry, in
    /// store order.
    void ListDistinctEntries(QList<qint32>& ids) const;

    // ---- Counted words taken into dictionary categories ----------------------
    /// Adds the word as a new entry of the category (trimmed, cut to a
    /// name's length); announces nothing. 0 when the word is empty, the
    /// category does not exist or already holds the word, or the row could
    /// not be written.
    qint32 AddCategoryEntry(qint32 category, const QString& word);
    /// Writes the categories and their entries as a dictionary file (UTF-16
    /// with byte order mark, TAB-separated, CR LF), through a temporary file
    /// renamed into place. False when it could not be written.
    bool ExportTabbedList(const QString& path, const QList<qint32>& categories);
    /// Reads a dictionary file into the dictionary topics, category keys
    /// above every key the topic held; categories takes the new keys.
    /// Lines may end in CR LF, LF or CR. False only when the file cannot be
    /// opened.
    bool ImportTextFile(const QString& path, QList<qint32>* categories);
    enum class DictionaryRead { Read, NotOpened, NotADictionary };
    /// Reads the dictionary file whole first; only when it could be opened
    /// and holds categories (or is empty) does it replace every category and
    /// entry (the deletions announced). categories takes the new keys.
    DictionaryRead ReplaceDictionary(const QString& path, QList<qint32>* categories);
    /// Deletes every category and entry, announcing each.
    void DeleteAllCategories();
    /// Adds the words as new entries of the category, in order, each word
    /// once; words it holds already are skipped. Announces nothing. The new
    /// entries' keys.
    QList<qint32> AddCategoryEntries(qint32 category, const QStringList& words);
    /// Takes the words of word-table rows (unreadable rows skipped) into the
    /// category as AddCategoryEntries does, and announces the new entries
    /// under the category: one by one and selected, or, for a large drop,
    /// as one batch. The new entries' keys.
    QList<qint32> AddWordRowsToCategory(qint32 category, const QList<qint32>& wordIds);
    /// A new category under the parent (0, or top level when the parent is
    /// not there), named by the text and its key; announces nothing. Its key,
    /// or 0.
    qint32 AddDictionaryCategory(qint32 parent, int nameTextId);
    /// A new entry of the category, its word the text and its key;
    /// announces nothing. Its key, or 0 without the category.
    qint32 AddDictionaryEntry(qint32 category, int wordTextId);
    /// Moves the entries into the category; entries that are there already
    /// or cannot be read are skipped. Each moved entry is announced as gone
    /// (from the list of its old category). The moved keys.
    QList<qint32> MoveDictionaryEntries(const QList<qint32>& entries, qint32 category);
    /// Every category, in key order.
    QList<qint32> GetDictionaryCategories() const;
    /// The category's parent; 0 for the top level or an absent category.
    qint32 GetCategoryParent(qint32 category) const;
    /// The category's entries in key order.
    QList<qint32> GetCategoryEntries(qint32 category) const;
    bool IsDictionaryLoaded() const;
    /// The dictionary file the word counter uses.
    const QString& GetDictionaryFile() const;
    void SetDictionaryFile(const QString& path);
    /// Without a name, or when the file can neither be read nor made, the
    /// name becomes "Default.kvd" in the settings folder. Creates nothing.
    void EnsureDictionaryFile();

    // ---- Colour grids and the overview table ---------------------------------

    /// codes x paragraphs cells (row by row per code), each the colour
    /// (COLORREF) of the first coding of the document, in store order, of
    /// that code whose paragraphs (from 1) hold the cell's paragraph; 0 for
    /// none. topOnly: only top-level codes, each taking its subcodes'
    /// codings.
    void BuildParagraphCodeColors(qint32 document, qint32 paragraphs, QList<qint32> codes, QList<COLORREF>& grid,
                                  bool topOnly) const;
    /// documents x paragraphs cells (row by row per document): 0 for a
    /// paragraph without codings, else the index in colors where the run of
    /// its codings' colours starts; every run ends with a 0 entry and
    /// colors[0] is 0. activatedOnly skips codings of codes not activated.
    void BuildCodelineColors(qint32 paragraphs, const QList<qint32>& documents, QList<qint32>& grid,
                             QList<COLORREF>& colors, bool activatedOnly) const;
    /// Each count column of the overview table becomes the integer document
    /// variable of its name (made when missing), each document's value the
    /// sum of its rows. A variable of that name of another type is left
    /// alone and makes the result false.
    bool TransferTableVariables();
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
    const QList<CoOccurrence>& GetCoOccurrences() const;
    void CountCodingsForNode(qint32 code, QList<CodeRelationEntry>& entries, QList<qint32>& ids);
    void ComputeCodeRelationsMatrix(QList<CodeRelationEntry>& columns, QList<CodeRelationEntry>& rows,
                                    QList<qint32>& counts, QList<qint32>& documents, bool activatedOnly,
                                    bool proximity, qint32 distance);
    void FormatTypologyCells(QList<TypologyColumn>& columns, QList<TypologyRow>& rows, QStringList& cells,
                             bool skipMissing);
    bool CollectCodedStretches(qint32 document, qint32 length, bool noFiller, bool activatedCodesOnly,
                               SegmentRecordArray& items, const QStringList& pageTexts, qint32 columnCount);

    // ---- Lexical search, autocoding and rich-text outputs ------------------
    // Thin calls into the registered lexical service (see lexicalservice.h);
    // without one they do nothing and give 0, false or empty results.

    /// The lexical service; not owned, null leaves these calls idle.
    void SetLexicalService(ILexicalService* service);
    ILexicalService* GetLexicalService() const;
    /// The dictionary's word table writer; not owned, null counts nothing.
    void SetWordTally(IWordTally* tally);
    IWordTally* GetWordTally() const;
    /// The word counter and tag cloud; not owned, null leaves them idle.
    void SetWordCounter(IWordCounter* counter);
    IWordCounter* GetWordCounter() const;
    /// The word-count settings; setting them also sets the minimum word
    /// length and whether the stop list is used.
    const WordCountSettings& GetWordCountSettings() const;
    void SetWordCountSettings(const WordCountSettings& settings);
    /// The words counted by the last count (all occurrences).
    qint64 GetTotalWordCount() const;
    void SetTotalWordCount(qint64 count);
    /// Word frequencies into the word table (see IWordCounter); unit 0, 4 or 5.
    void CountWordsAll(qint32 unit, const CSegmentArray* segments);
    bool CountWordsInDocuments(const QList<qint32>& documents, const QList<qint32>& sets, qint32 unit,
                               const CSegmentArray* segments);
    void CollectWords(const QList<qint32>& documents, QByteArray& rtf);
    /// The stop list joined by CR LF.
    QString GetStopListText() const;
    qint32 RunLexicalSearch(const LexicalSearch& search, LexicalHitList& hits);
    static bool AddSearchHit(const LexicalHit& hit, LexicalHitList& hits) { return AddLexicalHit(hit, hits); }
    /// Fills and answers the category-hit list (see ILexicalService).
    const LexicalHitList& SearchCategoryWords(qint32 breakdown, const CSegmentArray* rows);
    /// The category search takes only activated documents.
    void SetCategoryActivatedOnly(bool on);
    bool IsCategoryActivatedOnly() const;
    /// The category search takes only the retrieved segments given to it.
    void SetCategoryInSegmentsOnly(bool on);
    bool IsCategoryInSegmentsOnly() const;
    LexicalHitList& GetCategoryHits();
    /// Hits of the category overviews (MarkCategoryHits appends).
    LexicalHitList& GetOverviewHits();
    /// The documents of the last category search over whole documents.
    QList<qint32>& GetKeptDocuments();
    qint32 AutoCodeHits(qint32 code, bool pdfOnly);
    qint32 AutoCodeHitSentences(qint32 code, bool& pdfSeen);
    qint32 AutoCodeHitParagraphs(qint32 code, bool& pdfSeen, bool& tableSeen);
    qint32 AutoCodeHitsRemaining(qint32 code);
    qint32 AutoCodeSearchHits(qint32 code);
    bool WriteSegmentMemos(CRichEditCtrlEx* control, qint32 document, qint32 start, qint32 end);
    bool SaveSegmentListRtf(const QString& path, const QList<qint32>& codings);
    bool SaveMemosRtf(const QString& path, const QList<qint32>& memos);
    qint32 FormatSearchHitList(const QList<qint32>& hits, CRichEditCtrlEx* control, bool& pdfSeen);
    qint32 FormatSearchHitCounts(const QList<qint32>& hits, CRichEditCtrlEx* control, bool pdfOnly);
    qint32 FormatSearchHitRanges(const QList<qint32>& hits, CRichEditCtrlEx* control, bool& pdfSeen);
    QString WriteSearchHitsInContext(qint32 hit);
    QString WriteSearchHitsByDocument(qint32 hit);
    QString WriteSearchHitsPlain(qint32 hit);
    /// The number of documents the last find hit, which titles the search-hit list.
    void SetSearchHitDocuments(qint32 count);
    qint32 SearchHitDocuments() const;
    qint32 MarkCategoryHits(qint32 document, qint32 page, const QString& text, qint32 base,
                            const QList<qint32>& categories, QList<qint32>& counts, CRichEditCtrlEx* control,
                            qint32 code);
    qint32 WriteOverview(qint32 document, CRichEditCtrlEx* control);
    qint32 WriteDocumentOverview(qint32 document, qint32 code, RowBuffer* row, CRichEditCtrlEx* control);
    qint32 BuildOverviewRows(qint32 document, qint32 code, qint32 depth, qint32 targetDepth,
                             CRichEditCtrlEx* control);
    /// Empties the overview hits, defines the overview table afresh and
    /// fills it: rows per document and code at the target depth (codes
    /// walked from the given ones), or with depth 0 the documents'
    /// overviews. With the dictionary's validation option the overviews
    /// are also written as plain text into the validation file. False only
    /// when the table cannot be had.
    bool BuildOverviewTable(qint32 targetDepth, const QList<qint32>& documents, const QList<qint32>& codes);
    // ---- Activation of documents and codes ------------------------------------
    // Activation is the ObjectState::Activated bit of a document's or code's
    // State. It lives in memory only: these operations never write it to the
    // file. Every change is announced; the counts of activated documents and
    // codes follow each change. An operation over many objects reruns the
    // retrieval (and, for documents, the code frequencies) once at the end,
    // and only when something changed.

    /// Flips the document's activation; false when it is absent.
    bool ToggleDocumentActivation(qint32 document);
    /// Flips the code's activation; false when it is absent.
    bool ToggleCodeActivation(qint32 code);
    /// Flips every document, then reruns the retrieval and the frequencies.
    void ToggleAllDocuments();
    /// Flips every code, then reruns the retrieval.
    void ToggleAllCodes();
    /// False, changing nothing, when the document is absent or already in
    /// that state. rerun: the retrieval and the code frequencies follow.
    bool ActivateDocument(qint32 document, bool on, bool rerun);
    /// ActivateDocument for the member's document; false when it is absent.
    bool ActivateSetMember(qint32 member, bool on, bool rerun);
    /// Switches the code; byColor decides per code by the codes colour
    /// filter. withSubcodes or byColor, while the option to activate with
    /// subcodes is on: every code below it as well. True when any changed.
    bool SetCodeActivation(qint32 code, bool on, bool rerun, bool withSubcodes, bool byColor);
    /// SetCodeActivation for every top-level code (with subcodes unless by
    /// colour); true when any changed.
    bool ActivateTopCodes(bool on, bool byColor);
    /// SetCodeActivation with subcodes for the member's code.
    bool ActivateCodeSetMember(qint32 member, bool on, bool rerun);
    /// Activates every deactivated document and deactivates every activated
    /// one; the retrieval and the code frequencies run once. False when no
    /// document changed.
    bool InvertDocumentActivation();
    /// The same for every code, with one retrieval.
    bool InvertCodeActivation();
    /// Every document; byColor: on only for documents whose colour is in the
    /// documents colour filter.
    bool ActivateDocumentsByColor(bool on, bool byColor);
    bool ActivateGroupDocuments(qint32 group, bool on);
    bool ActivateSetDocuments(qint32 set, bool on);
    bool ActivateAllSetMembers(bool on);
    /// The codes of every code-set member, each with its subcodes.
    bool ActivateAllCodeSetMembers(bool on);
    /// The codes of the code set's members (0: of every code set), each
    /// with its subcodes.
    bool ActivateCodeSet(qint32 codeSet, bool on);
    /// Activates the documents (codes) whose variables meet the conditions,
    /// read from left to right without precedence, and deactivates the
    /// others. A condition on a field the topic does not have is met. An
    /// empty list changes nothing. True when any row changed.
    bool ActivateByVariables(const QList<ActivationCondition>& conditions, bool codes);
    /// Clears the activation of the documents and/or codes. With both the
    /// retrieval result is dropped without a run; otherwise it is rerun.
    /// notify: the cleared objects, the set members and the retrieval
    /// result are announced and the frequencies recounted.
    void DeactivateAll(bool notify, bool documents, bool codes);
    /// Clears every code's activation and drops the retrieval result.
    void DeactivateAllCodes();
    /// Activates exactly the codes named in a list file, one code path a
    /// line (the last line too, with or without its line end), and reruns
    /// the retrieval once. False for an empty path or a file that cannot be
    /// read, and then nothing changes.
    bool ActivateCodesFromList(const QString& path);
    bool IsCodeActivated(qint32 code) const;
    /// The code or a code above it is activated; false for 0 or an absent code.
    bool IsCodeOrAncestorActivated(qint32 code) const;
    /// The frame's activation commands by item type: 1 all documents, 2 a
    /// group's documents, 3 all document-set members, 4 a set's members, 5 a
    /// document, 6 a set member's document, 7 the top-level codes, 8 a code
    /// (with its subcodes unless flag), 23 all code-set members, 24 a code
    /// set's members, 25 a code-set member's code. Other types change
    /// nothing. True when anything changed.
    bool SetItemActivation(qint32 itemType, qint32 id, bool on, bool flag);

    // ---- Deletion of project objects ------------------------------------------

    /// Deletes the object with everything that depends on it, in one
    /// transaction; tells the windows which objects went and which changed,
    /// and forgets the ids the document kept of the objects that went. It
    /// asks no confirmation; copies in the externals folder that no
    /// document uses any more are offered for deletion. False, with
    /// nothing changed or announced, when the object is absent or the
    /// store refused.
    bool DeleteItem(qint32 topic, qint32 id);
    /// The objects of one user action, all in one transaction: all of them
    /// go or none. An object an earlier one took with it is skipped. False
    /// when nothing was deleted.
    bool DeleteItems(const QList<ObjectRef>& items);
    /// Removes the variable list's row of the field (codes: the codes'
    /// list) and announces it; false when there is none.
    bool DeleteVariableListRow(qint32 field, bool codes);

    // ---- Batch coding -----------------------------------------------------------

    /// The weight the coding options dialog offers next (0 to 100); -1
    /// until a batch was coded in this session.
    qint32 GetBatchCodingWeight() const;
    void SetBatchCodingWeight(qint32 weight);

private:
    friend struct CKorDocPrivate;

    // Creation of project objects.
    /// "<word of textId> <key>".
    static QString DefaultObjectName(int textId, qint32 key);
    /// Adds a row with the next key, lets fill set its fields and writes it
    /// whole; the key, or 0 with the row gone from memory again.
    qint32 CreateRow(qint32 topic, const std::function<bool(RowBuffer& row, qint32 key)>& fill,
                     bool withBlobs = false);
    /// Adds the read categories (keys shifted above every key the topic
    /// held) and their entries, each word once per category.
    void AddDictionaryContent(const DictionaryFileContent& content, QList<qint32>* categories);
    /// The words of the category's entries.
    QSet<QString> WordsOfCategory(qint32 category) const;
    qint32 AddDocumentGroupRow(const QString& name);
    /// 0 (top level) or an existing group.
    bool IsValidGroup(qint32 group) const;
    bool FillNewDocument(RowBuffer& row, qint32 key, qint32 group, const QString& name, int defaultText,
                         const QString& mediaFile);
    /// The topics of one kind of set: document sets or code sets.
    struct SetTopics {
        qint32 set;
        qint32 member;
        qint32 object;
        qint32 root;
    };
    static const SetTopics kDocumentSetTopics;
    static const SetTopics kCodeSetTopics;
    /// Writes a member row; false for an absent set or object or a pair
    /// that exists.
    bool AddMemberRow(const SetTopics& topics, qint32 set, qint32 object, qint32& member);
    bool AddSetMember(const SetTopics& topics, qint32 object, qint32 set, qint32 position);
    /// A set and its members in one transaction, then announced.
    bool NewSetOf(const SetTopics& topics, const QString& name, const QList<qint32>& objects);
    /// Rows whose State has the activated bit, in store order.
    QList<qint32> ActivatedRows(qint32 topic, qint32 stateField) const;

    // Activation.
    /// Sets or clears the activated bit of a document's or code's row in
    /// memory and keeps the count; true when the bit changed.
    bool WriteActivation(qint32 topic, qint32 key, bool on);
    /// The code's part of SetCodeActivation; visited guards against parent
    /// cycles of a damaged file.
    bool SetCodeActivationBelow(qint32 code, bool on, bool withSubcodes, bool byColor, QSet<qint32>& visited);
    /// After documents changed: the retrieval, then the code frequencies.
    void RerunAfterDocumentChange();
    /// Calls activate for each key (no rerun inside); when any changed, the
    /// retrieval reruns once (for documents with the code frequencies).
    bool ActivateEach(const QList<qint32>& keys, bool documents, const std::function<bool(qint32)>& activate);
    /// Drops the last retrieval result: the windows are told, then the
    /// result segments go.
    void DropRetrievalResult();

    // Codes.
    /// 0 (top level) or an existing code of the store.
    static bool IsValidCodeParent(const TopicDatabase& store, qint32 parent);
    /// True when a code with a name has the colour (COLORREF).
    bool CodeColorInUse(COLORREF color) const;
    /// Keeps a name longer than a row takes as the code's alias.
    bool StoreCodeAlias(qint32 code, const QString& name);
    /// The first direct subcode (store order) with the name, without case.
    static qint32 FindSubcodeByName(const TopicDatabase& store, qint32 parent, const QString& name);
    /// Writes a new code row under parent; announces nothing. 0 on failure.
    qint32 MakeSubcode(TopicDatabase& store, qint32 parent, const QString& name, qint32 stateBits, qint32 color);
    void CollectCodePaths(qint32 code, const QString& prefix, QStringList& paths, QSet<qint32>& visited) const;
    /// Sets the document variable of every document to its value in values
    /// (otherwise when it has none; without otherwise such documents keep
    /// theirs), writing only values that change; one transaction.
    bool WriteVariableValues(qint32 field, const QHash<qint32, QString>& values,
                             const std::optional<QString>& otherwise);
    /// A coding as the colour grids read it.
    struct GridCodingRow {
        qint32 code;
        COLORREF color;
        qint32 firstParagraph;
        qint32 lastParagraph;
    };
    QList<GridCodingRow> ReadGridCodings(qint32 document) const;
    /// The top-level code above the code (itself at top level).
    qint32 TopLevelCodeOf(qint32 code) const;
    /// The categorical value for the counts of the subcodes.
    QString CategoricalValue(const QList<qint32>& subcodes, const QList<qint32>& counts) const;

    // Codings.
    /// Reversed ranges turned round, the weight kept within 0 to 100.
    static void NormaliseCoding(CodingRecord& record);
    /// Runs an exchange import with the windows held; reset once committed.
    bool ImportExchange(const std::function<bool(QString&)>& import, const QString& path);
    /// FindOverlappingCoding, skipping the listed codings.
    static qint32 ScanOverlaps(CodingRecord& record, qint32 mode, const TopicDatabase& store,
                               const QSet<qint32>& skip);
    bool WriteNewCoding(CodingRecord& record, qint32& actionId, bool* written);
    /// given: the record's extent before the overlap test changed it
    /// (start, finish, x1, x2).
    bool MergeCoding(CodingRecord& record, qint32 mode, bool* written, const std::array<qint32, 4>& given);
    /// The fields AddCoding takes from the record; the action only for a
    /// new row (a merged coding keeps its own).
    void FillCodingRow(RowBuffer& row, CodingRecord& record, std::optional<qint32> action);
    /// True when a coding of the record belongs in the current retrieval.
    bool BelongsInRetrieval(const CodingRecord& record) const;
    /// The code is activated, lies under an activated code with subcodes
    /// included, or is the code of the current retrieval function.
    bool IsCodeRetrieved(qint32 code) const;
    /// Adds to an integer field of the row and writes that field alone to
    /// the file and the table.
    static bool AddToStoredCount(RowBuffer& row, qint32 field, qint32 delta);
    /// Codings that count: all but those of code 0.
    qint32 CountCountedCodings() const;
    /// The code row's shares of all and of the activated codings.
    void SetCodeShares(RowBuffer& codeRow) const;
    /// Announces a new coding and what its counters changed.
    void AnnounceNewCoding(qint32 coding, qint32 document, qint32 code);
    /// The coding with its text, without its id; false when it is absent.
    bool ReadCodingRecord(qint32 coding, CodingRecord& record);
    /// Adds the comment to the coding's own, after a blank line when it has
    /// one; nothing when it holds the comment already.
    bool AppendCodingComment(qint32 coding, const QString& comment);
    /// One pass over the codings: each action (TAID above 0) with its
    /// number of codings and the code of its first coding, newest first.
    struct CodingAction {
        qint32 action;
        qint32 count;
        qint32 code;
    };
    QList<CodingAction> ListCodingActions() const;

    // Deletion of single objects.
    /// What a coding counted in, kept until its row is gone.
    struct CodingTrace {
        qint32 document;
        qint32 code;
        bool documentActivated;
    };
    struct Deletion;  // in kordoc_p.h: it holds whole object lists
    /// Inside the caller's transaction: deletes the rows through the store,
    /// keeps the memory-only counters of codes, the categorical values and
    /// the map links right, and lists what went and what changed.
    bool DeleteRowsInTransaction(qint32 topic, const QList<qint32>& keys, Deletion& deletion,
                                 int progressText = 0);
    void SettleRemovedCodings(const QList<CodingTrace>& codings);
    bool DeleteMapLinksOf(qint32 link, Deletion& deletion);
    /// The removed objects, then each changed one that was not removed, once.
    void AnnounceDeletion(const Deletion& deletion);
    bool DeleteTopicRows(qint32 topic, const QList<qint32>& keys, int progressText = 0);
    // Deletion of any object; single codings, links and media marks go
    // through DeleteRowsInTransaction.
    bool DeleteItemsInTransaction(const QList<ObjectRef>& items, Deletion& deletion);
    /// Forgets the ids the document keeps of the objects that went.
    void RepairAfterDeletion(const QList<ObjectRef>& removed);
    /// Offers the copies in the externals folder of the files that deleted
    /// documents named, unless a remaining document names them too.
    void OfferExternalCopies(QStringList& files);

    // Memos.
    struct MemoOwner;
    static const MemoOwner* FindMemoOwner(qint32 topic);
    qint32 GetObjectMemo(const MemoOwner& owner, qint32 id, bool& created, bool create, const QByteArray& rtf);
    /// True when an object, the project or a place in a document holds the memo.
    bool IsMemoHeld(qint32 memo) const;
    bool AddToDocumentMemos(qint32 document, qint32 delta);
    /// The fields every new memo gets: "Memo <key>", the user, now, and the
    /// rich text when there is one.
    bool FillNewMemo(RowBuffer& row, qint32 key, const QByteArray& rtf);

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
    bool HasRow(qint32 topic, qint32 key) const;
    /// A text field of a row; empty when either is missing.
    QString FieldText(qint32 topic, qint32 key, qint32 fieldId) const;
    qint32 SumOf(qint32 topic, const QList<qint32>& keys, qint32 fieldId) const;
    qint32 CountSubtreeCodings(qint32 code) const;
    /// Sum of the countField of the objects in a set's members (0: every set).
    qint32 CountMemberCodings(qint32 memberTopic, qint32 setTopic, qint32 set, qint32 objectTopic,
                              qint32 countField) const;
    /// True when ancestor lies above key along parentField's references.
    bool IsAncestorOf(qint32 topic, qint32 parentField, qint32 ancestor, qint32 key) const;
    qint32 MinLeafDepth(qint32 code, qint32 depth, QSet<qint32>& visited) const;
    bool WriteVariableListRow(qint32 list, const FieldDescriptor& field, qint32 kind, bool shown);
    /// After a topic was loaded again: captions and the fields only memory
    /// holds, and the activation of the rows that had it.
    void RestoreMemoryOnlyFields(qint32 topic);
    void RestoreActivationBits(qint32 topic, const QList<qint32>& keys);
    qint32 DocumentImage(qint32 document, bool member, bool showActivation, qint32& mediaKind) const;
    void AnswerRowTexts(ListNotifyInfo& info, qint32 topic, qint32 key) const;
    bool AnswerDocumentDetails(ListNotifyInfo& info, qint32 document);
    bool ChangeGroupItem(ListNotifyInfo& info);
    bool ChangeDocumentItem(ListNotifyInfo& info);
    bool ChangeMemberItem(ListNotifyInfo& info);
    bool ChangeCodeItem(ListNotifyInfo& info);
    bool ChangeCategoryItem(ListNotifyInfo& info);
    bool SetRelatedGroup(qint32 topic, qint32 groupField, qint32 document, qint32 group);
    qint32 FindChildCode(qint32 parent, const QString& name, qint32 except) const;
    /// The name, or "name (n)" with the first free n, cut so it fits.
    QString FreeChildName(qint32 parent, const QString& name, qint32 except) const;

    // The state: the engine, the tables, the registry and the working state
    // of the operations; const in const operations.
    std::experimental::propagate_const<std::unique_ptr<CKorDocPrivate>> d;
};
