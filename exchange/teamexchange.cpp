// The teamwork exchange: exports into an exchange file in one transaction
// on it, imports from a private copy in one transaction on the project.

#include "exchange/teamexchange.h"

#include "document/codingrecord.h"
#include "document/codingtext.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "exchange/mergesteps.h"
#include "exchange/readonlysource.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "platform/jet/databasefilekind.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdlib>

using namespace rowfields;
using namespace mergesteps;

namespace {

// The topics of an exchange file.
const QList<qint32> kExchangeTopics = {
    TopicId::DocumentGroups, TopicId::Documents, TopicId::DocumentSets, TopicId::DocumentSetMembers,
    TopicId::Codes,          TopicId::Codings,   TopicId::Memos,        TopicId::Links,
    TopicId::MediaMarks,
};

const QString kExchangeType = QStringLiteral("EXCHANGE");
const QString kDataType = QStringLiteral("DataType");
const QString kSourceProject = QStringLiteral("SourceProject");
const QString kSourceText = QStringLiteral("SourceText");
const QString kSourceGroup = QStringLiteral("SourceTextgroup");
const QString kProtocolFile = QStringLiteral("Protocol.txt");
constexpr qint32 kRichText = 0;  // DocType of a rich-text document
constexpr qint32 kTextCoding = 1;
constexpr qint32 kTextRangeOnPage = 2;

QString FileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

bool HasRow(const TopicDatabase& db, qint32 topic, qint32 key)
{
    const TopicTable* table = db.GetTable(topic);
    return table && table->HasKey(key);
}

/// The project documents of a scope: 0 all, 1 those of group id, 2 the
/// document id; false for another scope.
bool DocumentsOfScope(const TopicDatabase& db, qint32 scope, qint32 id, QList<qint32>& documents)
{
    documents.clear();
    switch (scope) {
    case 0: db.GetAllKeys(TopicId::Documents, documents); return true;
    case 1: db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, id, documents); return true;
    case 2:
        if (HasRow(db, TopicId::Documents, id))
            documents = {id};
        return true;
    default: return false;
    }
}

/// The plain-text length of a rich-text document, as the rich edit counts.
qint32 PlainLength(TopicDatabase& db, qint32 document)
{
    const QByteArray rtf = ReadBlob(db, TopicId::Documents, document, DocumentField::Text);
    if (rtf.isEmpty())
        return 0;
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&rtf, false);
    return edit->GetTextLength();
}

/// Sets every counter of the store from its rows: codings of each code and
/// document, memos of each document (codings of code 0 never count).
bool RecountStore(TopicDatabase& db)
{
    QHash<qint32, qint32> codeCodings, documentCodings, documentMemos;
    QList<qint32> keys;
    db.GetAllKeys(TopicId::Codings, keys);
    for (const qint32 coding : std::as_const(keys))
        if (const qint32 code = db.GetIntValue(TopicId::Codings, coding, CodingField::Code)) {
            ++codeCodings[code];
            ++documentCodings[db.GetIntValue(TopicId::Codings, coding, CodingField::Document)];
        }
    db.GetAllKeys(TopicId::Memos, keys);
    for (const qint32 memo : std::as_const(keys))
        ++documentMemos[db.GetIntValue(TopicId::Memos, memo, MemoField::Document)];
    const auto set = [&db](qint32 topic, qint32 key, const QList<std::pair<qint32, qint32>>& values) {
        bool differs = false;
        for (const auto& [field, value] : values)
            differs = differs || db.GetIntValue(topic, key, field) != value;
        if (!differs)
            return true;
        RowBuffer row;
        if (!db.ReadRow(topic, key, row, false))
            return false;
        for (const auto& [field, value] : values)
            if (!SetInt(row, field, value))
                return false;
        return row.Commit(false, false);
    };
    db.GetAllKeys(TopicId::Codes, keys);
    for (const qint32 code : std::as_const(keys))
        if (!set(TopicId::Codes, code, {{CodeField::Codes, codeCodings.value(code)}}))
            return false;
    db.GetAllKeys(TopicId::Documents, keys);
    for (const qint32 document : std::as_const(keys))
        if (!set(TopicId::Documents, document,
                 {{DocumentField::Codes, documentCodings.value(document)},
                  {DocumentField::Memos, documentMemos.value(document)}}))
            return false;
    return true;
}

/// The steps of the exchange on top of the shared ones: a document into
/// the exchange file, external links, and an assigned pair merged back with
/// the conflict test.
class ExchangeRun : public MergeSteps {
public:
    using MergeSteps::MergeSteps;

    /// Codes mapped by path for exactly the given codes, no subcodes.
    bool MapCodes(const QList<qint32>& codes)
    {
        for (const qint32 code : codes) {
            const QString path = CodePathOf(m_source, code);
            if (HasRow(m_source, TopicId::Codes, code) && !path.trimmed().isEmpty() &&
                !MapCodeByPath(code, 0, path, path))
                return false;
        }
        return true;
    }

    /// One project document with the codes it uses into the exchange file;
    /// the variables are mapped once before the first.
    bool ExportDocument(qint32 document)
    {
        m_codes.clear();
        // Only the codes the document's codings name, each path made once
        // per export: not a walk of the whole tree per document.
        QList<qint32> used;
        for (const qint32 coding : m_documentCodings.value(document))
            if (const qint32 code = m_source.GetIntValue(TopicId::Codings, coding, CodingField::Code))
                used.append(code);
        std::sort(used.begin(), used.end());
        used.erase(std::unique(used.begin(), used.end()), used.end());
        for (const qint32 code : std::as_const(used)) {
            const QString path = SourcePath(code);
            if (!path.isEmpty() && !MapCodeByPath(code, 0, path, path))
                return false;
        }
        if (!MergeMemoCodes(document) || !MergeCodeMemos(false))
            return false;
        // Documents travel without their group, and so do their codings:
        // a group key of the exporting project names nothing in the file.
        const qint32 target = CopyDocument(document, 0);
        return target && MergeDocumentMemos(document, target) && MergeDocumentCodings(document, target, 0) &&
               CopyExternalLinks(document, target, false);
    }

    /// An accepted pair: the chosen kinds of the exchange document merged
    /// into the project document.
    bool MergeExchangeDocument(qint32 source, qint32 target, const ExchangeChoices& choices)
    {
        Log(QStringLiteral("\t%1\r\n").arg(m_target.FormatRowDisplay(TopicId::Documents, target, true)));
        if (choices.variables) {
            RowBuffer sourceRow;
            if (!m_source.ReadRow(TopicId::Documents, source, sourceRow, false))
                return Fail(QStringLiteral("document %1").arg(source));
            if (!UpdateRow(TopicId::Documents, target,
                           [&](RowBuffer& row) { return CopyDocumentVariableValues(sourceRow, row); }))
                return false;
        }
        if (choices.memos && !MergeDocumentMemos(source, target, true))
            return false;
        if (choices.codings && !MergeCodingsResolving(source, target, choices.codingMode))
            return false;
        return !choices.links || CopyExternalLinks(source, target, true);
    }

private:
    /// The code's path in the project, empty when a name on it is blank
    /// (no path leads there); kept for the next documents.
    QString SourcePath(qint32 code)
    {
        const auto found = m_sourcePaths.constFind(code);
        if (found != m_sourcePaths.cend())
            return *found;
        QStringList names;
        for (qint32 at = code; at > 0 && names.size() < 1000;
             at = m_source.GetIntValue(TopicId::Codes, at, CodeField::Parent)) {
            const QString name = TextOfKey(m_source, TopicId::Codes, at, CodeField::Name);
            if (name.trimmed().isEmpty()) {
                names.clear();
                break;
            }
            names.prepend(name);
        }
        const QString path = names.join(QLatin1Char('\\'));
        m_sourcePaths.insert(code, path);
        return path;
    }
    QHash<qint32, QString> m_sourcePaths;

    /// External links only (LinkID -1); with the duplicate test, not one
    /// the target has at the same place.
    bool CopyExternalLinks(qint32 sourceDocument, qint32 targetDocument, bool skipDuplicates)
    {
        Log(QStringLiteral("\t%1:\r\n").arg(LoadString(ExchangeText::Links)));
        for (const qint32 link : m_documentLinks.value(sourceDocument)) {
            const auto field = [&](qint32 id) { return m_source.GetIntValue(TopicId::Links, link, id); };
            if (field(LinkField::LinkID) != kExternalLink)
                continue;
            if (skipDuplicates &&
                !m_doc.IsNewDocumentLink(targetDocument, field(LinkField::Page), field(LinkField::StartChar),
                                         field(LinkField::FinishChar), field(LinkField::PosX1),
                                         field(LinkField::PosX2), &m_target))
                continue;
            if (!CopyRow(TopicId::Links, link, kLinkFields,
                         [&](RowBuffer& row) { return SetInt(row, LinkField::Document, targetDocument); }))
                return false;
            const QByteArray text = ReadBlob(m_source, TopicId::Links, link, LinkField::Text);
            Log(QStringLiteral("\t\t%1\r\n")
                    .arg(QString::fromUtf16(reinterpret_cast<const char16_t*>(text.constData()), text.size() / 2)));
        }
        return true;
    }

    /// A coding of the target document as the overlap test reads it.
    struct Stored {
        qint32 key;
        qint32 start;
        qint32 finish;
        qint32 x1;
        qint32 x2;
        qint32 startPara;
        qint32 finishPara;
    };
    using Bucket = QList<Stored>;

    static void SortBucket(Bucket& bucket)
    {
        std::sort(bucket.begin(), bucket.end(), [](const Stored& a, const Stored& b) {
            return a.start != b.start ? a.start < b.start : a.key < b.key;
        });
    }

    /// The target document's codings by (code, page), each list by start.
    QHash<QPair<qint32, qint32>, Bucket> IndexTargetCodings(qint32 document) const
    {
        QHash<QPair<qint32, qint32>, Bucket> index;
        QList<qint32> codings;
        m_target.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        for (const qint32 coding : std::as_const(codings)) {
            const auto field = [&](qint32 id) { return m_target.GetIntValue(TopicId::Codings, coding, id); };
            const qint32 code = field(CodingField::Code);
            if (!code)
                continue;
            index[{code, field(CodingField::Page)}].append(
                {coding, field(CodingField::StartChar), field(CodingField::FinishChar), field(CodingField::PosX1),
                 field(CodingField::PosX2), field(CodingField::StartPara), field(CodingField::FinishPara)});
        }
        for (Bucket& bucket : index)
            SortBucket(bucket);
        return index;
    }

    static bool Conflicts(const Stored& added, const Stored& stored, bool range)
    {
        return CodingExtentsConflict({added.start, added.finish, added.x1, added.x2},
                                     {stored.start, stored.finish, stored.x1, stored.x2}, range);
    }

    /// Every coding of a mapped code: an equal one of the target skips it,
    /// an overlapping one is met by the mode (replace, skip, widen, narrow),
    /// any other is added.
    bool MergeCodingsResolving(qint32 sourceDocument, qint32 targetDocument, qint32 mode)
    {
        Log(QStringLiteral("\t%1:\r\n").arg(LoadString(ExchangeText::Codings)));
        const qint32 targetGroup = m_target.GetIntValue(TopicId::Documents, targetDocument, DocumentField::GroupID);
        const QList<qint32> fields = CodingFields();
        QHash<QPair<qint32, qint32>, Bucket> index = IndexTargetCodings(targetDocument);
        std::unique_ptr<CRichEditCtrlEx> edit;  // the target's text, made when a segment needs it
        for (const qint32 coding : m_documentCodings.value(sourceDocument)) {
            const auto field = [&](qint32 id) { return m_source.GetIntValue(TopicId::Codings, coding, id); };
            const qint32 code = m_codes.value(field(CodingField::Code));
            if (!code)
                continue;
            const qint32 isText = field(CodingField::IsText);
            const bool range = isText == kTextRangeOnPage;
            Stored added{0, field(CodingField::StartChar), field(CodingField::FinishChar), field(CodingField::PosX1),
                         field(CodingField::PosX2), field(CodingField::StartPara), field(CodingField::FinishPara)};
            Bucket& bucket = index[{code, field(CodingField::Page)}];
            // Only codings starting at or before the incoming one's end can
            // meet it; an equal one wins over an overlapping one.
            qsizetype equal = -1;
            qsizetype conflict = -1;
            for (qsizetype i = 0; i < bucket.size() && bucket[i].start <= added.finish; ++i) {
                const Stored& other = bucket[i];
                if (range && other.x1 != added.x1)
                    continue;
                if (other.start == added.start && other.finish == added.finish &&
                    (range || (other.x1 == added.x1 && other.x2 == added.x2))) {
                    equal = i;
                    break;
                }
                if (conflict < 0 && Conflicts(added, other, range))
                    conflict = i;
            }
            if (equal >= 0 || (conflict >= 0 && mode == OverlapMode::Drop))
                continue;
            const auto adjust = [&](RowBuffer& row) {
                return SetInt(row, CodingField::Document, targetDocument) && SetInt(row, CodingField::Code, code) &&
                       SetInt(row, CodingField::Group, targetGroup);
            };
            if (conflict < 0) {
                // Not indexed: the incoming codings of one document are
                // the coder's own and never meet each other.
                if (!CopyRow(TopicId::Codings, coding, fields, adjust))
                    return false;
            } else {
                Stored& stored = bucket[conflict];
                Stored extent = added;
                if (mode == OverlapMode::Union || mode == OverlapMode::Intersection) {
                    const bool grow = mode == OverlapMode::Union;
                    const auto pick = [grow](qint32 a, qint32 b, bool low) {
                        return low == grow ? std::min(a, b) : std::max(a, b);
                    };
                    extent.start = pick(added.start, stored.start, true);
                    extent.finish = pick(added.finish, stored.finish, false);
                    extent.startPara = pick(added.startPara, stored.startPara, true);
                    extent.finishPara = pick(added.finishPara, stored.finishPara, false);
                    if (!range) {
                        extent.x1 = pick(added.x1, stored.x1, true);
                        extent.x2 = pick(added.x2, stored.x2, false);
                    }
                }
                const bool renew = mode != OverlapMode::Replace && isText == kTextCoding &&
                                   (extent.start != added.start || extent.finish != added.finish);
                if (renew && !edit)
                    edit = TargetText(targetDocument);
                if (!UpdateRow(TopicId::Codings, stored.key, [&](RowBuffer& row) {
                        return CopyFields(TopicId::Codings, coding, fields, row) && adjust(row) &&
                               SetInt(row, CodingField::StartChar, extent.start) &&
                               SetInt(row, CodingField::FinishChar, extent.finish) &&
                               SetInt(row, CodingField::StartPara, extent.startPara) &&
                               SetInt(row, CodingField::FinishPara, extent.finishPara) &&
                               SetInt(row, CodingField::PosX1, extent.x1) &&
                               SetInt(row, CodingField::PosX2, extent.x2) &&
                               (!renew || !edit ||
                                RenewCodingSegment(row, *edit, GetParagraphRanges(*edit), edit->GetTextLength()));
                    }))
                    return false;
                extent.key = stored.key;
                stored = extent;
                SortBucket(bucket);
            }
            Log(QStringLiteral("\t\t%1 (%2: %3-%4)\r\n")
                    .arg(CodePathOf(m_target, code), LoadString(ExchangeText::Paragraphs))
                    .arg(field(CodingField::StartPara))
                    .arg(field(CodingField::FinishPara)));
        }
        return true;
    }

    /// The target document's own rich text in a hidden control; null when
    /// it has none.
    std::unique_ptr<CRichEditCtrlEx> TargetText(qint32 document)
    {
        RowBuffer row;
        FieldValue text;
        const QByteArray* rtf =
            m_target.ReadRow(TopicId::Documents, document, row, true) ? OwnRichText(row, text) : nullptr;
        if (!rtf)
            return nullptr;
        std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        edit->StreamInRtf(rtf, false);
        return edit;
    }
};

/// The exchange file an export writes: an existing one opened, a new one
/// made under a temporary name beside it.
class ExportTarget {
public:
    ExportTarget(const TeamExchange::EngineFactory& engines, const QString& path)
        : m_path(path), m_engine(engines ? engines() : std::make_unique<ProjectDataEngine>(kExchangeType))
    {
    }
    ~ExportTarget()
    {
        m_db.Clear();
        m_engine->Close();
        if (!m_temporary.isEmpty())
            QFile::remove(m_temporary);
    }

    /// Opens or makes the file; false with the reason for the user.
    bool Open(QString& error)
    {
        const QString name = FileNameOf(m_path);
        if (QFileInfo::exists(m_path)) {
            // A refused file is never opened for writing, so it stays as it was.
            QString type;
            if (DetectDatabaseFile(m_path) == DatabaseFileKind::Jet) {
                error = LoadString(ExchangeText::JetExchangeFile).arg(name);
                return false;
            }
            if (!ProjectDataEngine::ReadDataType(m_path, type) || type != kExchangeType) {
                error = LoadString(ExchangeText::NotExchangeFile).arg(name);
                return false;
            }
            if (!m_engine->Open(m_path)) {
                error = m_engine->LastError();
                return false;
            }
        } else {
            {
                // A free name beside the file; gone again with `reserve`.
                QTemporaryFile reserve(QFileInfo(m_path).dir().filePath(QStringLiteral(".%1.XXXXXX").arg(name)));
                if (!reserve.open()) {
                    error = LoadString(ExchangeText::ExportFailed).arg(name, reserve.errorString());
                    return false;
                }
                m_temporary = reserve.fileName();
            }
            if (!m_engine->Create(m_temporary) || !m_engine->SetSetupValue(kDataType, kExchangeType) ||
                !CKorDoc::MarkUpgradeStepsDone(*m_engine)) {
                error = LoadString(ExchangeText::ExportFailed).arg(name, m_engine->LastError());
                return false;
            }
        }
        for (const qint32 topic : kExchangeTopics)
            m_db.CreateTable(topic);
        m_db.SetEngine(m_engine.get());
        return true;
    }

    /// Closes the file; a new one goes into place.
    bool Finish(QString& error)
    {
        m_db.Clear();
        m_engine->Close();
        if (m_temporary.isEmpty())
            return true;
        QFile file(m_temporary);
        if (!file.rename(m_path)) {
            error = LoadString(ExchangeText::ExportFailed).arg(FileNameOf(m_path), file.errorString());
            return false;
        }
        m_temporary.clear();
        return true;
    }

    TopicDatabase& Store() { return m_db; }
    ProjectDataEngine& Engine() { return *m_engine; }

private:
    QString m_path;
    QString m_temporary;
    std::unique_ptr<ProjectDataEngine> m_engine;
    TopicDatabase m_db;
};

/// Writes into the exchange file at path in one transaction: the work, the
/// setup values and the counters.
bool WriteExchange(CKorDoc& doc, const TeamExchange::EngineFactory& engines, const QString& path,
                   const QList<std::pair<QString, QString>>& setup, QString& error,
                   const std::function<bool(ExchangeRun&)>& work)
{
    ExportTarget target(engines, path);
    if (!target.Open(error))
        return false;
    QString reason;
    if (!doc.LoadProjectTables(target.Engine(), target.Store(), false, &reason)) {
        error = LoadString(ExchangeText::Damaged).arg(FileNameOf(path), reason);
        return false;
    }
    ExchangeRun run(doc, doc.GetDatabase(), target.Store());
    {
        StoreTransaction transaction(&target.Store());
        bool done = transaction.IsActive() && work(run);
        for (const auto& [key, value] : setup)
            done = done && (value.isEmpty() || target.Engine().SetSetupValue(key, value));
        if (done && RecountStore(target.Store()) && transaction.Commit())
            return target.Finish(error);
    }
    reason = run.Reason().isEmpty() ? target.Engine().LastError() : run.Reason();
    error = LoadString(ExchangeText::ExportFailed).arg(FileNameOf(path), reason);
    return false;
}

QString ProjectFileName(CKorDoc& doc)
{
    return doc.GetEngine() ? FileNameOf(doc.GetEngine()->GetPath()) : QString();
}

std::unique_ptr<ReadOnlySource> OpenExchangeSource(CKorDoc& doc, const QString& path, QString& error)
{
    return OpenReadOnlySource(doc, path, kExchangeType, kExchangeTopics,
                              {ExchangeText::NotExchangeFile, ExchangeText::Damaged, ExchangeText::FolderFailed},
                              error);
}

/// The 1 % test of two rich texts, else the user's answer.
bool AcceptPair(TopicDatabase& exchange, TopicDatabase& project, qint32 source, qint32 target)
{
    const qint32 sourceType = exchange.GetIntValue(TopicId::Documents, source, DocumentField::DocType);
    const qint32 targetType = project.GetIntValue(TopicId::Documents, target, DocumentField::DocType);
    if (sourceType == targetType && sourceType != kRichText)
        return true;
    if (sourceType == kRichText && targetType == kRichText) {
        const qint32 a = PlainLength(exchange, source);
        const qint32 b = PlainLength(project, target);
        const qint32 longer = std::max(a, b);
        // Two empty texts are alike.
        if (longer == 0 || double(std::abs(a - b)) * 100.0 / double(longer) < 1.0)
            return true;
    }
    return AskUser(QStringLiteral("%1\r\n\r\n%2")
                       .arg(project.FormatRowDisplay(TopicId::Documents, target, true),
                            LoadString(ExchangeText::TextsDiffer)),
                   MessageButtons::YesNo, MessageKind::Question, MessageAnswer::No) == MessageAnswer::Yes;
}

}  // namespace

QString TeamExchange::ProtocolPath() const
{
    const QString folder = m_protocolFolder.isEmpty() ? g_program.SettingsFolder : m_protocolFolder;
    return QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath(kProtocolFile);
}

bool TeamExchange::ExportDocumentsToExchange(CKorDoc& doc, const QString& path, qint32 scope, qint32 id,
                                             const QString& sourceText, const QString& sourceGroup, QString& error)
{
    QList<qint32> documents;
    if (!DocumentsOfScope(doc.GetDatabase(), scope, id, documents))
        return false;
    return WriteExchange(doc, m_engines, path,
                         {{kSourceProject, ProjectFileName(doc)}, {kSourceText, sourceText}, {kSourceGroup, sourceGroup}},
                         error, [&](ExchangeRun& run) {
                             if (!run.MergeDocumentVariables())
                                 return false;
                             for (const qint32 document : std::as_const(documents))
                                 if (!run.ExportDocument(document))
                                     return false;
                             return true;
                         });
}

bool TeamExchange::ExportCodesToExchange(CKorDoc& doc, const QString& path, const QList<qint32>& codes, QString& error)
{
    return WriteExchange(doc, m_engines, path, {{kSourceProject, ProjectFileName(doc)}}, error,
                         [&](ExchangeRun& run) { return run.MapCodes(codes) && run.MergeCodeMemos(false); });
}

bool TeamExchange::ImportCodeSystemFromExchange(CKorDoc& doc, const QString& path, QString& error)
{
    std::unique_ptr<ReadOnlySource> source = OpenExchangeSource(doc, path, error);
    if (!source)
        return false;
    ExchangeRun run(doc, source->m_db, doc.GetDatabase());
    {
        StoreTransaction transaction(&doc.GetDatabase());
        if (transaction.IsActive() && run.MergeCodes(0, 0, {}) && run.MergeCodeMemos(false) &&
            doc.UpgradeMemoSource(true) && transaction.Commit())
            return true;
    }
    const QString reason = run.Reason().isEmpty() && doc.GetEngine() ? doc.GetEngine()->LastError() : run.Reason();
    error = LoadString(ExchangeText::ImportFailed).arg(FileNameOf(path), reason);
    return false;
}

bool TeamExchange::ImportExchangeFile(CKorDoc& doc, const QString& path, qint32 scope, qint32 id,
                                      IExchangeImportHost& host, ExchangeChoices& choices, QString& error)
{
    TopicDatabase& project = doc.GetDatabase();
    QList<qint32> candidates;
    if (!DocumentsOfScope(project, scope, id, candidates))
        return false;
    std::unique_ptr<ReadOnlySource> source = OpenExchangeSource(doc, path, error);
    if (!source)
        return false;
    TopicDatabase& exchange = source->m_db;
    QString sourceProject;
    source->m_engine.GetSetupValue(kSourceProject, sourceProject);

    ExchangeChoices chosen = choices;
    chosen.assignment.clear();
    if (!host.ChooseExchangeImport(exchange, project, sourceProject, candidates, chosen))
        return false;
    if (chosen.codingMode < OverlapMode::Replace || chosen.codingMode > OverlapMode::Intersection)
        chosen.codingMode = OverlapMode::Replace;
    choices = chosen;

    // Every question is asked before the first write. Pairs go in the order
    // of the exchange file's keys, so result and protocol never vary.
    QList<std::pair<qint32, qint32>> pairs;
    QSet<qint32> refused;
    for (auto it = chosen.assignment.cbegin(); it != chosen.assignment.cend(); ++it) {
        if (!it.value() || !HasRow(exchange, TopicId::Documents, it.key()) ||
            !HasRow(project, TopicId::Documents, it.value()))
            continue;  // not imported, or a pair that cannot be read
        pairs.append({it.key(), it.value()});
        if (!AcceptPair(exchange, project, it.key(), it.value()))
            refused.insert(it.key());
    }

    QString protocol;
    QString* log = chosen.protocol ? &protocol : nullptr;
    const auto line = [log](const QString& text) {
        if (log)
            *log += text;
    };
    line(QStringLiteral("%1\r\n").arg(QLocale().toString(doc.Now(), QLocale::ShortFormat)));
    QString refusedNames;
    ExchangeRun run(doc, exchange, project, log);
    {
        StoreTransaction transaction(&project);
        bool done = transaction.IsActive();
        if (done && chosen.codings) {
            line(QStringLiteral("\r\n%1:\r\n").arg(LoadString(ExchangeText::Codes)));
            done = run.MergeCodes(0, 0, {});
            if (done && chosen.memos) {
                line(QStringLiteral("\r\n%1 (%2):\r\n")
                         .arg(LoadString(ExchangeText::Memos), LoadString(ExchangeText::Codes)));
                done = run.MergeCodeMemos(false);
            }
        }
        if (done && chosen.variables) {
            line(QStringLiteral("\r\n%1:\r\n").arg(LoadString(ExchangeText::Variables)));
            done = run.MergeDocumentVariables();
        }
        line(QStringLiteral("\r\n%1:\r\n").arg(LoadString(ExchangeText::Documents)));
        for (qsizetype i = 0; done && i < pairs.size(); ++i) {
            const auto [from, to] = pairs.at(i);
            if (refused.contains(from)) {
                const QString name = project.FormatRowDisplay(TopicId::Documents, to, true);
                line(QStringLiteral("\t%1\t%2\r\n").arg(name, LoadString(ExchangeText::NotImported)));
                refusedNames += name + QStringLiteral("\r\n");
            } else {
                done = run.MergeExchangeDocument(from, to, chosen);
            }
            line(QStringLiteral("\r\n"));
        }
        if (done && (chosen.codings || chosen.memos))
            done = doc.RecountCodings();
        done = done && doc.UpgradeMemoSource(true) && transaction.Commit();
        if (!done) {
            const QString reason =
                run.Reason().isEmpty() && doc.GetEngine() ? doc.GetEngine()->LastError() : run.Reason();
            error = LoadString(ExchangeText::ImportFailed).arg(FileNameOf(path), reason);
            return false;
        }
    }

    if (chosen.protocol) {
        // Written whole or not at all, with a byte-order mark so that any
        // viewer reads it as UTF-16.
        const QString file = ProtocolPath();
        QSaveFile out(file);
        QByteArray bytes("\xFF\xFE", 2);
        for (const QChar c : std::as_const(protocol)) {
            const char16_t unit = c.unicode();
            bytes.append(char(unit & 0xFF)).append(char(unit >> 8));
        }
        if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit())
            host.OpenProtocol(file);
        else
            ShowMessage(LoadString(ExchangeText::ProtocolNotWritten).arg(file, out.errorString()),
                        MessageKind::Warning);
    } else if (!refusedNames.isEmpty()) {
        ShowMessage(QStringLiteral("%1:\r\n%2").arg(LoadString(ExchangeText::NotImported), refusedNames),
                    MessageKind::Warning);
    }
    return true;
}
