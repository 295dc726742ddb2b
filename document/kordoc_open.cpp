// Opening a project: a path becomes an opened engine (legacy files are
// converted first), the engine's topics are loaded and named, the one-time
// repairs and the settings run, and the trees are announced. Creating a new
// project file.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/jet/databasefilekind.h"
#include "platform/jet/jetchild.h"
#include "platform/jet/jetcopy.h"
#include "platform/jet/jetreader.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace {

/// The progress text shown before the stored topic loads; 0 for none.
int LoadingText(qint32 topic)
{
    switch (topic) {
    case TopicId::DocumentGroups: return DocumentText::LoadingGroups;
    case TopicId::Documents: return DocumentText::LoadingDocuments;
    case TopicId::DocumentSets: return DocumentText::LoadingSets;
    case TopicId::DocumentSetMembers: return DocumentText::LoadingSetMembers;
    case TopicId::Codes: return DocumentText::LoadingCodes;
    case TopicId::Codings: return DocumentText::LoadingCodings;
    case TopicId::Memos: return DocumentText::LoadingMemos;
    case TopicId::Links: return DocumentText::LoadingLinks;
    default: return 0;
    }
}

/// Built-in fields named in the current language once loaded (memory only;
/// sys_Fields keeps the stored names).
struct FieldCaption {
    qint32 topic;
    qint32 field;
    int textId;
};
constexpr FieldCaption kFieldCaptions[] = {
    {TopicId::Documents, 2, 57835},   {TopicId::Documents, 6, 57836},   {TopicId::Documents, 7, 57837},
    {TopicId::Documents, 8, 57838},   {TopicId::Documents, 9, 5769},    {TopicId::Documents, 11, 1041},
    {TopicId::Documents, 12, 51005},  {TopicId::Codes, 0, 3124},        {TopicId::Codes, 1, 57839},
    {TopicId::Codes, 2, 57840},       {TopicId::Codes, 5, 57841},       {TopicId::Codes, 7, 57842},
    {TopicId::Codes, 8, 57843},       {TopicId::Codes, 9, 1041},        {TopicId::Codes, 10, 57837},
    {TopicId::Codings, 3, 57844},     {TopicId::Codings, 4, 57845},     {TopicId::Codings, 7, 57846},
    {TopicId::Codings, 8, 57847},     {TopicId::Codings, 9, 57848},     {TopicId::Codings, 10, 57849},
    {TopicId::Codings, 12, 1041},     {TopicId::Codings, 13, 57837},    {TopicId::Codings, 14, 57861},
    {TopicId::Codings, 15, 57835},    {TopicId::Codings, 18, 102085},   {TopicId::Codings, 19, 102247},
    {TopicId::Codings, 20, 102248},   {TopicId::Codings, 21, 102249},   {TopicId::Memos, 1, 57835},
    {TopicId::Memos, 2, 57850},       {TopicId::Memos, 3, 57834},       {TopicId::Memos, 4, 57851},
    {TopicId::Memos, 5, 57720},       {TopicId::Memos, 8, 57852},       {TopicId::Memos, 9, 57853},
    {TopicId::Memos, 10, 57854},      {TopicId::Memos, 13, 57855},      {TopicId::Memos, 14, 102085},
    {TopicId::Memos, 15, 102142},     {TopicId::MediaMarks, 4, 102180}, {TopicId::MediaMarks, 5, 102181},
    {TopicId::MediaMarks, 6, 102182},
};

/// Memory-only code fields appended after loading: never written, since
/// their State carries NotStored.
struct ExtraField {
    qint32 id;
    qint32 type;
    int textId;
};
constexpr ExtraField kCodeFrequencyFields[] = {
    {CodeFrequencyField::ShareOfCodings, FieldType::Real, 102325},
    {CodeFrequencyField::ShareOfActivated, FieldType::Real, 102326},
    {CodeFrequencyField::DocumentCount, FieldType::Integer, 102327},
};
constexpr qint32 kCodeFrequencyState = FieldState::BuiltIn | FieldState::Derived | FieldState::NotStored;

/// Names the built-in fields of the topic (0: of every topic) in the
/// current language and gives the codes their memory-only fields.
void NameBuiltInFields(TopicDatabase& target, qint32 onlyTopic = 0)
{
    for (const FieldCaption& caption : kFieldCaptions) {
        if (onlyTopic && caption.topic != onlyTopic)
            continue;
        if (TopicTable* table = target.GetTable(caption.topic))
            table->SetFieldProperty(caption.field, LoadString(caption.textId), 0, false);
    }
    TopicTable* codes = onlyTopic && onlyTopic != TopicId::Codes ? nullptr : target.GetTable(TopicId::Codes);
    if (!codes || !codes->Fields().GetById(0) || codes->Fields().GetById(kCodeFrequencyFields[0].id))
        return;
    codes->SetFieldState(0, FieldState::BuiltIn);  // the code id shows as a list column
    for (const ExtraField& extra : kCodeFrequencyFields) {
        FieldDescriptor field;
        field.ID = extra.id;
        field.Type = extra.type;
        field.State = kCodeFrequencyState;
        field.Name = LoadString(extra.textId);
        codes->AddField(field);
    }
}

/// The rich-text documents whose content belongs to the project (not read
/// from an external file), in key order.
QList<qint32> OwnRichTextDocuments(const TopicDatabase& db)
{
    QList<qint32> keys;
    db.GetAllKeys(TopicId::Documents, keys);
    std::sort(keys.begin(), keys.end());
    keys.removeIf([&db](qint32 key) {
        return db.GetIntValue(TopicId::Documents, key, DocumentField::DocType) != DocumentKind::RichText;
    });
    return keys;
}

/// The document's own rich text, or null when it has none or it lives in
/// an external file.
const QByteArray* OwnContent(RowBuffer& row, FieldValue& text)
{
    if (!row.GetFieldValue(DocumentField::Text, text) || text.GetExternalReference())
        return nullptr;
    const QByteArray* blob = text.GetBlob();
    if (!blob || blob->isEmpty() || !StripExternPrefix(blob).isEmpty())
        return nullptr;
    return blob;
}

/// Offers the own rich text of every rich-text document to rewrite, which
/// gives false to keep it; the new texts are stored in one transaction.
/// False when a text could not be stored.
bool RewriteOwnRichTexts(TopicDatabase& db, const std::function<bool(const QByteArray& rtf, QByteArray& out)>& rewrite)
{
    StoreTransaction transaction(&db);
    bool ok = transaction.IsActive();
    for (const qint32 key : OwnRichTextDocuments(db)) {
        RowBuffer row;
        FieldValue text;
        const QByteArray* content = db.ReadRow(TopicId::Documents, key, row, true) ? OwnContent(row, text) : nullptr;
        QByteArray rewritten;
        if (content && rewrite(*content, rewritten)) {
            text.SetBlob(rewritten);
            ok = row.Commit(true, false) && ok;
        }
    }
    return transaction.Commit() && ok;
}

}  // namespace

void CKorDoc::ShowError(int textId, const QString& file, const QString& reason)
{
    QString text = LoadString(textId);
    if (text.isEmpty())  // no language table: the facts still reach the user
        text = QStringLiteral("%1: %2");
    // One pass, so a "%2" in the file name stays as it is.
    ShowMessage(text.contains(QLatin1String("%2")) ? text.arg(file, reason) : text.arg(file), MessageKind::Error);
}

QString CKorDoc::ConvertedProjectPath(const QString& oldPath, const QDateTime& now)
{
    const QString suffix = QFileInfo(oldPath).suffix();
    const QString base = suffix.isEmpty() ? oldPath : oldPath.left(oldPath.size() - suffix.size() - 1);
    const QString plain = base + QStringLiteral(".kv4");
    if (!QFileInfo::exists(plain) && !QFileInfo(plain).isSymLink())
        return plain;
    return base + now.toString(QStringLiteral("_yyyyMMdd_hhmmss")) + QStringLiteral(".kv4");
}

bool CKorDoc::IsOpenProjectPath(const QString& path) const
{
    if (!d->m_engine || path.isEmpty())
        return false;
    const QString open = QFileInfo(d->m_engine->GetPath()).canonicalFilePath();
    return !open.isEmpty() && QFileInfo(path).canonicalFilePath() == open;
}

bool CKorDoc::ConvertLegacyFile(const QString& path, QString& converted)
{
    converted = ConvertedProjectPath(path, Now());
    return ConvertLegacyFileTo(path, converted);
}

bool CKorDoc::ConvertLegacyFileTo(const QString& path, const QString& converted)
{
    QString error;
    // Jet compared setup keys without case; the new file keeps that.
    if (!d->m_jetOpener) {
        // A damaged file may crash or stall the Jet reader: it runs in a
        // process of its own, so the open project survives that.
        if (ConvertJetInChild(g_program.ProgramFolder + QLatin1String(kJetHelperName), path, converted,
                              {QStringLiteral("sys_Setup.Key")},
                              d->m_legacyTimeoutMs > 0 ? d->m_legacyTimeoutMs : kJetConversionTimeoutMs, &error))
            return true;
    } else if (const std::unique_ptr<JetReader> reader = d->m_jetOpener(path, &error)) {
        JetCopyOptions options;
        options.noCase = [](const QString& table, const QString& column) {
            return table.compare(QLatin1String("sys_Setup"), Qt::CaseInsensitive) == 0 &&
                   column.compare(QLatin1String("Key"), Qt::CaseInsensitive) == 0;
        };
        if (CopyJetToSqlite(*reader, converted, &error, options))
            return true;
    }
    ShowError(DocumentText::ConversionFailed, path, error);
    return false;
}

std::unique_ptr<ProjectDataEngine> CKorDoc::OpenProjectFile(const QString& path, const QString& dataType)
{
    if (path.isEmpty())
        return nullptr;
    QString projectPath = path;
    if (DetectDatabaseFile(path) == DatabaseFileKind::Jet && !ConvertLegacyFile(path, projectPath))
        return nullptr;
    auto engine = std::make_unique<ProjectDataEngine>(dataType);
    if (engine->Open(projectPath))
        return engine;
    ShowMessage(engine->LastError(), MessageKind::Error);
    if (projectPath != path)  // a converted file that is no project is of no use
        QFile::remove(projectPath);
    return nullptr;
}

std::unique_ptr<ProjectDataEngine> CKorDoc::CreateProjectFile(const QString& path, const QString& dataType)
{
    if (IsOpenProjectPath(path)) {
        ShowError(DocumentText::TargetIsOpenProject, path, {});
        return nullptr;
    }
    auto engine = std::make_unique<ProjectDataEngine>(dataType);
    if (!engine->Create(path)) {
        ShowMessage(engine->LastError(), MessageKind::Error);
        return nullptr;
    }
    if (!MarkUpgradeStepsDone(*engine)) {
        const QString error = engine->LastError();
        engine->Close();
        QFile::remove(path);
        ShowMessage(error, MessageKind::Error);
        return nullptr;
    }
    return engine;
}

bool CKorDoc::LoadProjectTables(ProjectDataEngine& engine, TopicDatabase& target, bool showProgress, QString* error)
{
    engine.MapForReading(true);
    const auto unmap = qScopeGuard([&engine] { engine.MapForReading(false); });
    for (const qint32 topic : kStoredTopics) {
        TopicTable* table = target.GetTable(topic);
        if (!table)
            continue;
        if (const int text = LoadingText(topic); showProgress && text)
            SetWaitText(LoadString(text));
        if (!engine.LoadTopic(*table)) {
            if (error)
                *error = engine.LastError();
            return false;
        }
    }
    NameBuiltInFields(target);
    return true;
}

bool CKorDoc::OpenProject(std::unique_ptr<ProjectDataEngine> engine, bool imported)
{
    if (!engine)
        return false;
    const QString programTitle = LoadString(FoundationText::ProgramTitle);
    SetTitle(QStringLiteral("%1 - %2").arg(engine->GetFileName(true), programTitle));

    // Whatever the frame left behind belongs to the previous project, whose
    // file stays open until the new one has loaded.
    std::unique_ptr<ProjectDataEngine> previous = std::move(d->m_engine);
    d->m_db.SetEngine(nullptr);
    ClearProjectState();
    d->m_engine = std::move(engine);
    d->m_db.SetEngine(d->m_engine.get());
    QString error;
    if (!LoadProjectTables(*d->m_engine, d->m_db, true, &error)) {
        // Half a project must not take changes. The previous one opens
        // again as the frame's closing left it (settings saved).
        const QString file = d->m_engine->GetFileName(true);
        CloseDatabase();
        d->m_db.ResetTables();
        SetTitle(programTitle);
        ShowError(DocumentText::ProjectNotLoaded, file, error);
        if (previous)
            OpenProject(std::move(previous), false);
        return false;
    }
    previous.reset();  // closes its file
    // Defined after loading, so that their references to documents and
    // codes are known to those tables and deletions reach their rows.
    DefineListColumns();
    ClearActivationBits();
    // The dictionary topics were emptied with the other list topics.
    if (!d->m_words.DictionaryFile().isEmpty())
        ImportTextFile(d->m_words.DictionaryFile(), nullptr);

    SetWaitText(LoadString(DocumentText::PreparingProject));
    if (imported) {
        ReencodeDocumentTexts();
        RemoveAllHyperlinks();
    }
    // The repairs change no document text: each one is read and laid out
    // once for all of them.
    d->m_keepMeasures = true;
    UpgradeRichText(false);
    UpgradeMemoParagraphs();
    UpgradeCodingsType();
    UpgradeCodingsParagraphs();
    UpgradeCodingsTxtGroup();
    UpgradeMemosTxtGroup(false);
    UpgradeCodesVariableID();
    UpgradeCodingsCoverage();
    d->m_keepMeasures = false;
    d->m_measures.clear();
    FindSpecialCodes();
    LoadProjectSettings();
    UpgradeCheckOptions();
    CheckCodingStatistics();
    UpgradeMemoSource(false);

    RebuildTree(false);
    if (const qint32 document = FirstOpenDocument())
        SetOpenDocument(document, 0);
    return true;
}

void CKorDoc::RestoreMemoryOnlyFields(qint32 topic)
{
    NameBuiltInFields(d->m_db, topic);
}

void CKorDoc::RestoreActivationBits(qint32 topic, const QList<qint32>& keys)
{
    const qint32 stateField = topic == TopicId::Documents ? qint32(DocumentField::State) : qint32(CodeField::State);
    for (const qint32 key : keys) {
        RowBuffer row;
        FieldValue state;
        if (d->m_db.ReadRow(topic, key, row, false) && row.GetFieldValue(stateField, state)) {
            state.SetInt(state.GetInt() | ObjectState::Activated);
            row.WriteBack();  // memory only, as activation always is
        }
    }
}

void CKorDoc::ClearActivationBits()
{
    // Activation is memory-only state; a row written whole while activated
    // may have carried the bit into the file.
    for (const qint32 topic : {TopicId::Documents, TopicId::Codes}) {
        QList<qint32> keys;
        d->m_db.GetAllKeys(topic, keys);
        for (const qint32 key : std::as_const(keys)) {
            RowBuffer row;
            FieldValue state;
            const qint32 stateField =
                topic == TopicId::Documents ? qint32(DocumentField::State) : qint32(CodeField::State);
            if (!d->m_db.ReadRow(topic, key, row, false) || !row.GetFieldValue(stateField, state) ||
                !(state.GetInt() & ObjectState::Activated))
                continue;
            state.SetInt(state.GetInt() & ~ObjectState::Activated);
            row.WriteBack();
        }
    }
}

void CKorDoc::FindSpecialCodes()
{
    d->m_specialCodes.fill(0);
    // A code carries one special role: the first of its bits in this order.
    static constexpr qint32 kTestOrder[] = {0x08, 0x10, 0x20, 0x40, 0x100};
    QList<qint32> codes;
    d->m_db.GetAllKeys(TopicId::Codes, codes);
    for (const qint32 code : std::as_const(codes)) {
        const qint32 state = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::State);
        for (const qint32 bit : kTestOrder) {
            if (state & bit) {
                const auto slot = std::find(kSpecialCodeBits.begin(), kSpecialCodeBits.end(), bit);
                d->m_specialCodes[size_t(slot - kSpecialCodeBits.begin())] = code;
                break;
            }
        }
    }
}

qint32 CKorDoc::FirstOpenDocument() const
{
    QList<qint32> keys;
    d->m_db.GetAllKeys(TopicId::Documents, keys);
    std::sort(keys.begin(), keys.end());
    for (const qint32 key : std::as_const(keys)) {
        if (d->m_db.GetIntValue(TopicId::Documents, key, DocumentField::State) & ObjectState::ShownInBrowser)
            return key;
    }
    return 0;
}

bool CKorDoc::ReencodeDocumentTexts()
{
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    return RewriteOwnRichTexts(d->m_db, [&edit](const QByteArray& rtf, QByteArray& out) {
        edit->StreamInRtf(&rtf, false);
        edit->StreamOutRtf(&out, false, true);
        return true;
    });
}

bool CKorDoc::RemoveAllHyperlinks()
{
    return RewriteOwnRichTexts(d->m_db, [](const QByteArray& rtf, QByteArray& out) {
        out = rtf;
        return RemoveRtfHyperlinkFields(out, false);
    });
}
