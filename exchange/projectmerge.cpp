// The whole-project merge: the other project read from a private copy into
// a store of its own, checked whole, then added step by step to the open
// project inside one transaction.

#include "exchange/projectmerge.h"

#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "foundation/serialbuffer.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/jet/databasefilekind.h"
#include "store/compressedblob.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storedmodel.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <cstring>
#include <initializer_list>

using namespace rowfields;

namespace {

// The topics a merge reads from the other project; code sets stay out.
constexpr qint32 kSourceTopics[] = {
    TopicId::DocumentGroups, TopicId::Documents, TopicId::DocumentSets, TopicId::DocumentSetMembers,
    TopicId::Codes,          TopicId::Codings,   TopicId::Memos,        TopicId::Links,
    TopicId::MediaMarks,
};

// Every blob of the source is read and decoded before the first write.
struct BlobField {
    qint32 topic;
    qint32 field;
};
constexpr BlobField kBlobFields[] = {
    {TopicId::Documents, DocumentField::Text}, {TopicId::Codings, CodingField::Text},
    {TopicId::Memos, MemoField::Text},         {TopicId::Memos, MemoField::Codewords},
    {TopicId::Links, LinkField::Text},
};

// What a copied row takes from its source row; the rest is the new row's
// own (key, owners, counters kept elsewhere) or set by the step.
const QList<qint32> kDocumentFields = {
    DocumentField::State,         DocumentField::Type,          DocumentField::Text,
    DocumentField::Date,          DocumentField::Codes,         DocumentField::Name,
    DocumentField::Author,        DocumentField::Size,          DocumentField::DocType,
    DocumentField::MediaFile,     DocumentField::ScaleFactor,   DocumentField::CodesWndWidth,
    DocumentField::CodesWndWidth + 1, DocumentField::CodesWndWidth + 2, DocumentField::CodesWndWidth + 3,
    DocumentField::CodesWndWidth + 4, DocumentField::CodesWndWidth + 5, DocumentField::CodesWndWidth + 6,
    DocumentField::CodesWndWidth + 7, DocumentField::CodesWndWidth + 8,
};
const QList<qint32> kMemoFields = {
    MemoField::GroupID, MemoField::Paragraph, MemoField::SetID,     MemoField::Type,
    MemoField::Pos,     MemoField::Title,     MemoField::Author,    MemoField::Date,
    MemoField::Text,    MemoField::Codewords, MemoField::Preview,   MemoField::Page,
    MemoField::Source,
};
const QList<qint32> kLinkFields = {
    LinkField::StartChar, LinkField::FinishChar, LinkField::LinkID, LinkField::Text,
    LinkField::PosX1,     LinkField::PosX2,      LinkField::Page,   LinkField::IsText,
};
const QList<qint32> kTimeMarkFields = {MediaMarkField::State, MediaMarkField::StartChar, MediaMarkField::Begin,
                                       MediaMarkField::End};
const QList<qint32> kGroupFields = {GroupField::State, GroupField::Name};

constexpr qint32 kObjectMemoPosition = -1;  // Pos of the memo of an object

/// The other project: a private copy, its engine and its topics in memory.
class Source : public MergeSource {
public:
    ~Source() override
    {
        m_db.Clear();
        m_engine.Close();
    }
    ProjectDataEngine& GetEngine() override { return m_engine; }

    QTemporaryDir m_dir;  // first: removed after the engine has closed the copy
    ProjectDataEngine m_engine;
    TopicDatabase m_db;
    QString m_path;  // the file the user chose
};

QString FileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

/// Reads and decodes every blob the merge copies; false with the place and
/// the reason of the first that cannot be read.
bool CheckBlobs(TopicDatabase& db, QString& reason)
{
    for (const BlobField& blob : kBlobFields) {
        QList<qint32> keys;
        db.GetAllKeys(blob.topic, keys);
        for (const qint32 key : std::as_const(keys)) {
            QByteArray stored;
            QByteArray value;
            QString why;
            if (!db.ReadStoredBlob(blob.topic, key, blob.field, stored))
                why = QStringLiteral("unreadable");
            else if (!stored.isEmpty() && !DecompressBlob(stored, value, &why) && why.isEmpty())
                why = QStringLiteral("damaged");
            if (!why.isEmpty()) {
                const TopicTable* table = db.GetTable(blob.topic);
                reason = QStringLiteral("%1 %2: %3").arg(table ? table->GetSource() : QString::number(blob.topic))
                             .arg(key)
                             .arg(why);
                return false;
            }
        }
    }
    return true;
}

/// One merge: the key maps from source to target and the steps by kind.
/// Every step stops at the first write that fails, which fails the merge.
class MergeRun {
public:
    MergeRun(CKorDoc& doc, Source& source, const ProjectMerge::ModelReferenceMapper& mapper)
        : m_doc(doc), m_source(source.m_db), m_target(doc.GetDatabase()), m_sourceEngine(source.m_engine),
          m_mapper(mapper)
    {
        m_codeChildren = ChildrenBy(TopicId::Codes, CodeField::Parent);
        m_groupDocuments = ChildrenBy(TopicId::Documents, DocumentField::GroupID);
        m_documentCodings = ChildrenBy(TopicId::Codings, CodingField::Document);
        m_documentMemos = ChildrenBy(TopicId::Memos, MemoField::Document);
        m_documentLinks = ChildrenBy(TopicId::Links, LinkField::Document);
        m_setMembers = ChildrenBy(TopicId::DocumentSetMembers, SetMemberField::SetID);
    }

    bool Run(bool replaceCodeMemos)
    {
        return MergeCodes(0, 0, {}) && MergeCodeMemos(replaceCodeMemos) && MergeFreeMemos() &&
               MergeDocumentVariables() && MergeDocumentGroups() && MergeDocumentSets() && MergeGroupMemos() &&
               MergeTimeMarks() && MapLinkPartners() && MergeStoredModels();
    }
    const QString& Reason() const { return m_reason; }

private:
    // ---- Steps -------------------------------------------------------------

    /// Codes by path below the parent, parents first; a path the target has
    /// (case ignored) is reused, else made. Counters are recounted at the end.
    bool MergeCodes(qint32 sourceParent, qint32 targetParent, const QString& prefix)
    {
        for (const qint32 code : m_codeChildren.value(sourceParent)) {
            const QString name = TextOfKey(m_source, TopicId::Codes, code, CodeField::Name);
            if (name.trimmed().isEmpty())
                continue;  // no path leads to it: neither it nor its subcodes are taken
            const QString path = prefix.isEmpty() ? name : prefix + QLatin1Char('\\') + name;
            const QString pathKey = path.toLower();
            qint32 target = m_codePaths.value(pathKey);
            if (!target) {
                target = m_doc.AddCodeByPath(targetParent, name, true, &m_target);
                if (!target)
                    return Fail(QStringLiteral("code %1").arg(path));
                m_codePaths.insert(pathKey, target);
            }
            m_codes.insert(code, target);
            const qint32 color = m_source.GetIntValue(TopicId::Codes, code, CodeField::Type);
            if (color != 0 && m_target.GetIntValue(TopicId::Codes, target, CodeField::Type) == 0 &&
                !UpdateRow(TopicId::Codes, target, [&](RowBuffer& row) { return SetInt(row, CodeField::Type, color); }))
                return false;
            if (!MergeCodes(code, target, path))
                return false;
        }
        return true;
    }

    /// Memos of mapped codes: a target code without a memo gets a new one;
    /// one with a memo has it overwritten only with replace.
    bool MergeCodeMemos(bool replace)
    {
        for (const qint32 memo : Keys(TopicId::Memos)) {
            const qint32 targetCode = m_codes.value(m_source.GetIntValue(TopicId::Memos, memo, MemoField::Code));
            if (!targetCode)
                continue;
            qint32 existing = m_target.GetIntValue(TopicId::Codes, targetCode, CodeField::MemoID);
            if (existing && !HasKey(m_target, TopicId::Memos, existing))
                existing = 0;
            if (existing && !replace)
                continue;
            RowBuffer row;
            if (existing ? !m_target.ReadRow(TopicId::Memos, existing, row, false)
                         : !m_target.AddRow(TopicId::Memos, row, -1))
                return Fail(QStringLiteral("memo of code %1").arg(targetCode));
            const qint32 key = row.GetKey();
            if (!CopyFields(TopicId::Memos, memo, kMemoFields, row) || !SetInt(row, MemoField::Code, targetCode) ||
                !RemapCodewords(row) || !Commit(row, TopicId::Memos))
                return false;
            m_memos.insert(memo, key);
            if (!existing &&
                !UpdateRow(TopicId::Codes, targetCode, [&](RowBuffer& code) { return SetInt(code, CodeField::MemoID, key); }))
                return false;
        }
        return true;
    }

    /// Memos attached to nothing.
    bool MergeFreeMemos()
    {
        for (const qint32 memo : Keys(TopicId::Memos)) {
            if (m_source.GetIntValue(TopicId::Memos, memo, MemoField::Source) != MemoSource::None ||
                m_source.GetIntValue(TopicId::Memos, memo, MemoField::Document) != 0 ||
                m_source.GetIntValue(TopicId::Memos, memo, MemoField::Code) != 0)
                continue;
            if (!CopyMemo(memo, [](RowBuffer&) { return true; }))
                return false;
        }
        return true;
    }

    /// User variables of documents by name (case ignored) and type. A name
    /// taken by another kind of field leads to "name (n)"; one made so by an
    /// earlier merge, of the same type, is reused.
    bool MergeDocumentVariables()
    {
        QList<qint32> ids;
        m_source.GetUserFieldIds(TopicId::Documents, ids);
        for (const qint32 id : std::as_const(ids)) {
            FieldDescriptor variable;
            if (!m_source.GetFieldDescriptor(TopicId::Documents, id, variable) ||
                !variable.HasState(FieldState::UserVariable))
                continue;
            const auto sameKind = [&](const FieldDescriptor& field) {
                return field.Type == variable.Type && field.HasState(FieldState::UserVariable);
            };
            FieldDescriptor found;
            QString name = variable.Name;
            qint32 mapped = 0;
            for (int n = 1; m_target.FindFieldByName(TopicId::Documents, name, found); ++n) {
                if (sameKind(found)) {
                    mapped = found.ID;
                    break;
                }
                name = QStringLiteral("%1 (%2)").arg(variable.Name).arg(n);
            }
            if (!mapped) {
                AddFieldNotifyInfo info;
                info.topic = TopicId::Documents;
                info.field.Name = name;
                info.field.Type = variable.Type;
                info.field.State = variable.State;
                info.field.DefaultValue = variable.DefaultValue;
                info.field.Categorial = variable.Categorial;
                // A column of its own: the source's column name may be taken here.
                m_doc.HandleAddField(info);
                if (!info.result)
                    return Fail(QStringLiteral("variable %1").arg(name));
                mapped = info.field.ID;
            }
            m_variables.insert(id, mapped);
        }
        return true;
    }

    /// The documents without a group, then each group with its documents.
    bool MergeDocumentGroups()
    {
        if (!MergeGroupDocuments(0, 0))
            return false;
        for (const qint32 group : Keys(TopicId::DocumentGroups)) {
            const qint32 target = CopyRow(TopicId::DocumentGroups, group, kGroupFields, [](RowBuffer&) { return true; });
            if (!target)
                return false;
            m_groups.insert(group, target);
            if (!MergeGroupDocuments(group, target))
                return false;
        }
        return true;
    }

    bool MergeGroupDocuments(qint32 sourceGroup, qint32 targetGroup)
    {
        for (const qint32 document : m_groupDocuments.value(sourceGroup)) {
            RowBuffer sourceRow;
            if (!m_source.ReadRow(TopicId::Documents, document, sourceRow, false))
                return Fail(QStringLiteral("document %1").arg(document));
            const qint32 target = CopyRow(TopicId::Documents, document, kDocumentFields, [&](RowBuffer& row) {
                const qint32 state = IntOf(row, DocumentField::State) &
                                     ~(ObjectState::ShownInBrowser | ObjectState::Activated);
                return SetInt(row, DocumentField::State, state) && SetInt(row, DocumentField::GroupID, targetGroup) &&
                       CopyDocumentVariableValues(sourceRow, row);
            });
            if (!target)
                return false;
            m_documents.insert(document, target);
            if (!MergeDocumentMemos(document, target) || !MergeDocumentCodings(document, target, targetGroup) ||
                !MergeDocumentLinkRows(document, target))
                return false;
        }
        return true;
    }

    /// The values of mapped variables whose sizes agree.
    bool CopyDocumentVariableValues(RowBuffer& sourceRow, RowBuffer& targetRow)
    {
        const TopicTable* from = m_source.GetTable(TopicId::Documents);
        const TopicTable* to = m_target.GetTable(TopicId::Documents);
        for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it) {
            const FieldDescriptor* source = from->Fields().GetById(it.key());
            const FieldDescriptor* target = to->Fields().GetById(it.value());
            if (source && target && source->Size == target->Size && source->Size > 0)
                std::memcpy(targetRow.RowData() + target->Offset, sourceRow.RowData() + source->Offset,
                            size_t(source->Size));
        }
        return true;
    }

    /// Every memo of the document; its own memo (Pos -1) becomes the new
    /// document's memo.
    bool MergeDocumentMemos(qint32 sourceDocument, qint32 targetDocument)
    {
        for (const qint32 memo : m_documentMemos.value(sourceDocument)) {
            const qint32 key = CopyMemo(memo, [&](RowBuffer& row) {
                return SetInt(row, MemoField::Document, targetDocument) && SetInt(row, MemoField::GroupID, 0);
            });
            if (!key)
                return false;
            if (m_source.GetIntValue(TopicId::Memos, memo, MemoField::Pos) == kObjectMemoPosition &&
                !UpdateRow(TopicId::Documents, targetDocument,
                           [&](RowBuffer& row) { return SetInt(row, DocumentField::MemoID, key); }))
                return false;
        }
        return true;
    }

    /// Every coding of a mapped code, added as it is.
    bool MergeDocumentCodings(qint32 sourceDocument, qint32 targetDocument, qint32 targetGroup)
    {
        const TopicTable* table = m_source.GetTable(TopicId::Codings);
        QList<qint32> fields;
        for (int i = 0; i < table->Fields().Count(); ++i) {
            const FieldDescriptor* field = table->Fields().GetAt(i);
            if (field->ID != 0 && field->HasState(FieldState::BuiltIn))
                fields.append(field->ID);
        }
        for (const qint32 coding : m_documentCodings.value(sourceDocument)) {
            const qint32 code = m_codes.value(m_source.GetIntValue(TopicId::Codings, coding, CodingField::Code));
            if (!code)
                continue;
            const qint32 key = CopyRow(TopicId::Codings, coding, fields, [&](RowBuffer& row) {
                return SetInt(row, CodingField::Document, targetDocument) && SetInt(row, CodingField::Code, code) &&
                       SetInt(row, CodingField::Group, targetGroup);
            });
            if (!key)
                return false;
            m_codings.insert(coding, key);
        }
        return true;
    }

    /// Every link of the document, pairs included; partners are mapped once
    /// all documents are in.
    bool MergeDocumentLinkRows(qint32 sourceDocument, qint32 targetDocument)
    {
        for (const qint32 link : m_documentLinks.value(sourceDocument)) {
            const qint32 key = CopyRow(TopicId::Links, link, kLinkFields, [&](RowBuffer& row) {
                return SetInt(row, LinkField::Document, targetDocument);
            });
            if (!key)
                return false;
            m_links.insert(link, key);
            m_addedLinks.append(key);
        }
        return true;
    }

    /// Every set with its members of mapped documents.
    bool MergeDocumentSets()
    {
        for (const qint32 set : Keys(TopicId::DocumentSets)) {
            const qint32 target = CopyRow(TopicId::DocumentSets, set, kGroupFields, [](RowBuffer&) { return true; });
            if (!target)
                return false;
            m_sets.insert(set, target);
            if (!MergeSetMembers(set, target))
                return false;
        }
        return true;
    }

    bool MergeSetMembers(qint32 sourceSet, qint32 targetSet)
    {
        for (const qint32 member : m_setMembers.value(sourceSet)) {
            const qint32 document =
                m_documents.value(m_source.GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::ObjectID));
            if (!document)
                continue;  // a member of no document: only an inconsistent source has one
            if (!CopyRow(TopicId::DocumentSetMembers, member, {}, [&](RowBuffer& row) {
                    return SetInt(row, SetMemberField::SetID, targetSet) &&
                           SetInt(row, SetMemberField::ObjectID, document);
                }))
                return false;
        }
        return true;
    }

    /// The memo of each merged group.
    bool MergeGroupMemos()
    {
        for (const qint32 memo : Keys(TopicId::Memos)) {
            const qint32 group = m_groups.value(m_source.GetIntValue(TopicId::Memos, memo, MemoField::GroupID));
            if (!group || m_source.GetIntValue(TopicId::Memos, memo, MemoField::Document) != 0 ||
                m_source.GetIntValue(TopicId::Memos, memo, MemoField::Pos) != kObjectMemoPosition ||
                m_target.GetIntValue(TopicId::DocumentGroups, group, GroupField::MemoID) != 0)
                continue;
            const qint32 key =
                CopyMemo(memo, [&](RowBuffer& row) { return SetInt(row, MemoField::GroupID, group); });
            if (!key || !UpdateRow(TopicId::DocumentGroups, group,
                                   [&](RowBuffer& row) { return SetInt(row, GroupField::MemoID, key); }))
                return false;
        }
        return true;
    }

    /// Media marks of mapped documents, without their comments.
    bool MergeTimeMarks()
    {
        for (const qint32 mark : Keys(TopicId::MediaMarks)) {
            const qint32 document =
                m_documents.value(m_source.GetIntValue(TopicId::MediaMarks, mark, MediaMarkField::Document));
            if (!document)
                continue;
            if (!CopyRow(TopicId::MediaMarks, mark, kTimeMarkFields,
                         [&](RowBuffer& row) { return SetInt(row, MediaMarkField::Document, document); }))
                return false;
        }
        return true;
    }

    /// A link pair points at its new partner; a partner that did not come
    /// along leaves the end waiting for one (0).
    bool MapLinkPartners()
    {
        for (const qint32 link : std::as_const(m_addedLinks)) {
            const qint32 partner = m_target.GetIntValue(TopicId::Links, link, LinkField::LinkID);
            if (partner <= 0)
                continue;
            const qint32 mapped = m_links.value(partner);
            if (!UpdateRow(TopicId::Links, link, [&](RowBuffer& row) { return SetInt(row, LinkField::LinkID, mapped); }))
                return false;
        }
        return true;
    }

    /// Each stored model as a new one, its objects naming the new keys.
    bool MergeStoredModels()
    {
        if (!m_mapper)
            return true;
        QList<qint32> ids;
        QStringList names;
        if (!m_sourceEngine.ListModels(ids, names))
            return Fail(QStringLiteral("models"));
        const auto map = [this](qint32 topic, qint32 key) { return MapOfTopic(topic).value(key); };
        for (const qint32 id : std::as_const(ids)) {
            StoredModel model;
            model.ID = id;
            if (!m_sourceEngine.ReadModel(model) || !m_mapper(model.Data, map))
                return Fail(QStringLiteral("model %1").arg(id));
            model.ID = 0;
            if (!m_target.WriteModel(model))
                return Fail(QStringLiteral("model %1").arg(id));
        }
        return true;
    }

    // ---- Row copies --------------------------------------------------------

    /// A new row of the topic with the fields of the source row, then
    /// adjusted and committed with its blobs; the new key, 0 on failure.
    qint32 CopyRow(qint32 topic, qint32 key, const QList<qint32>& fields, const std::function<bool(RowBuffer&)>& adjust)
    {
        RowBuffer row;
        if (!m_target.AddRow(topic, row, -1)) {
            Fail(QStringLiteral("new row of %1").arg(topic));
            return 0;
        }
        const qint32 target = row.GetKey();
        if (!CopyFields(topic, key, fields, row) || !adjust(row) || !Commit(row, topic))
            return 0;
        return target;
    }

    /// A new memo (CopyMemoRow) with its code list mapped, then adjusted.
    qint32 CopyMemo(qint32 memo, const std::function<bool(RowBuffer&)>& adjust)
    {
        const qint32 key = CopyRow(TopicId::Memos, memo, kMemoFields,
                                   [&](RowBuffer& row) { return RemapCodewords(row) && adjust(row); });
        if (key)
            m_memos.insert(memo, key);
        return key;
    }

    /// Copies the fields of one source row into row: values of the same
    /// type byte for byte, blobs in their stored form.
    bool CopyFields(qint32 topic, qint32 key, const QList<qint32>& fields, RowBuffer& row)
    {
        RowBuffer source;
        if (!m_source.ReadRow(topic, key, source, false))
            return Fail(QStringLiteral("row %1 of %2").arg(key).arg(topic));
        const TopicTable* from = m_source.GetTable(topic);
        const TopicTable* to = m_target.GetTable(topic);
        for (const qint32 id : fields) {
            const FieldDescriptor* f = from->Fields().GetById(id);
            const FieldDescriptor* t = to->Fields().GetById(id);
            if (!f || !t || f->Type != t->Type || f->Size != t->Size || f->HasState(FieldState::NotStored))
                continue;
            if (f->Type == FieldType::Blob) {
                if (!CopyBlob(topic, key, id, row))
                    return false;
            } else if (f->Size > 0) {
                std::memcpy(row.RowData() + t->Offset, source.RowData() + f->Offset, size_t(f->Size));
            }
        }
        return true;
    }

    /// The blob moves in the form the source stores it: decoded once for
    /// the row, never compressed again. External content keeps its
    /// reference.
    bool CopyBlob(qint32 topic, qint32 key, qint32 fieldId, RowBuffer& row)
    {
        FieldValue target;
        if (!row.GetFieldValue(fieldId, target))
            return Fail(QStringLiteral("blob of %1").arg(topic));
        QByteArray stored;
        QByteArray value;
        if (m_source.ReadStoredBlob(topic, key, fieldId, stored)) {
            if (stored.isEmpty())
                return target.SetBlob({}) || Fail(QStringLiteral("blob of %1").arg(topic));
            if (DecodeStoredBlob(stored, value))
                return target.SetBlobWithStoredForm(value, stored) || Fail(QStringLiteral("blob of %1").arg(topic));
        }
        RowBuffer source;
        FieldValue read;
        if (!m_source.ReadRow(topic, key, source, true) || !source.GetFieldValue(fieldId, read) || !read.GetBlob())
            return Fail(QStringLiteral("blob of row %1 of %2").arg(key).arg(topic));
        if (const QByteArray* reference = read.GetExternalReference())
            return target.SetExternalContent(*read.GetBlob(), *reference) || Fail(QStringLiteral("blob"));
        return target.SetBlob(*read.GetBlob()) || Fail(QStringLiteral("blob"));
    }

    /// Each code of a memo's code list becomes its mapped code, or 0.
    bool RemapCodewords(RowBuffer& row)
    {
        FieldValue value;
        if (!row.GetFieldValue(MemoField::Codewords, value) || !value.GetBlob() || value.GetBlob()->isEmpty())
            return true;
        QByteArray codes = *value.GetBlob();
        bool changed = false;
        for (qsizetype at = 0; at + qsizetype(sizeof(qint32)) <= codes.size(); at += sizeof(qint32)) {
            qint32 code;
            std::memcpy(&code, codes.constData() + at, sizeof code);
            const qint32 mapped = m_codes.value(code);
            if (mapped != code) {
                std::memcpy(codes.data() + at, &mapped, sizeof mapped);
                changed = true;
            }
        }
        return !changed || value.SetBlob(codes);
    }

    bool UpdateRow(qint32 topic, qint32 key, const std::function<bool(RowBuffer&)>& change)
    {
        RowBuffer row;
        if (!m_target.ReadRow(topic, key, row, false) || !change(row))
            return Fail(QStringLiteral("row %1 of %2").arg(key).arg(topic));
        return Commit(row, topic);
    }

    bool Commit(RowBuffer& row, qint32 topic)
    {
        const qint32 key = row.GetKey();
        return row.Commit(true, true) || Fail(QStringLiteral("row %1 of %2").arg(key).arg(topic));
    }

    // ---- Indexes -----------------------------------------------------------

    QList<qint32> Keys(qint32 topic) const
    {
        QList<qint32> keys;
        m_source.GetAllKeys(topic, keys);
        return keys;
    }

    static bool HasKey(const TopicDatabase& db, qint32 topic, qint32 key)
    {
        const TopicTable* table = db.GetTable(topic);
        return table && table->HasKey(key);
    }

    /// The source rows of a topic by the value of a reference field, each
    /// list in key order.
    QHash<qint32, QList<qint32>> ChildrenBy(qint32 topic, qint32 field) const
    {
        QHash<qint32, QList<qint32>> children;
        for (const qint32 key : Keys(topic))
            children[m_source.GetIntValue(topic, key, field)].append(key);
        return children;
    }

    const QHash<qint32, qint32>& MapOfTopic(qint32 topic) const
    {
        static const QHash<qint32, qint32> none;
        switch (topic) {
        case TopicId::DocumentGroups: return m_groups;
        case TopicId::DocumentSets: return m_sets;
        case TopicId::Documents: return m_documents;
        case TopicId::Codes: return m_codes;
        case TopicId::Codings: return m_codings;
        case TopicId::Memos: return m_memos;
        case TopicId::Links: return m_links;
        default: return none;
        }
    }

    bool Fail(const QString& what)
    {
        if (m_reason.isEmpty())
            m_reason = what;
        return false;
    }

    CKorDoc& m_doc;
    TopicDatabase& m_source;
    TopicDatabase& m_target;
    ProjectDataEngine& m_sourceEngine;
    const ProjectMerge::ModelReferenceMapper& m_mapper;

    // Source key to target key, by kind.
    QHash<qint32, qint32> m_codes;
    QHash<qint32, qint32> m_variables;  // field ids of documents
    QHash<qint32, qint32> m_groups;
    QHash<qint32, qint32> m_sets;
    QHash<qint32, qint32> m_documents;
    QHash<qint32, qint32> m_codings;
    QHash<qint32, qint32> m_memos;
    QHash<qint32, qint32> m_links;
    QList<qint32> m_addedLinks;  // target keys, their partners still source keys
    QHash<QString, qint32> m_codePaths;  // lower-cased path in the target → code

    QHash<qint32, QList<qint32>> m_codeChildren;
    QHash<qint32, QList<qint32>> m_groupDocuments;
    QHash<qint32, QList<qint32>> m_documentCodings;
    QHash<qint32, QList<qint32>> m_documentMemos;
    QHash<qint32, QList<qint32>> m_documentLinks;
    QHash<qint32, QList<qint32>> m_setMembers;
    QString m_reason;
};

}  // namespace

std::unique_ptr<MergeSource> ProjectMerge::OpenSource(CKorDoc& doc, const QString& path, QString& error)
{
    auto source = std::make_unique<Source>();
    source->m_path = path;
    const QString name = FileNameOf(path);
    if (!source->m_dir.isValid()) {
        error = LoadString(MergeText::WriteFailed).arg(name, source->m_dir.errorString());
        return nullptr;
    }
    // The user's file is only read: an old project is converted or
    // upgraded in the private folder.
    QString file = path;
    if (DetectDatabaseFile(path) == DatabaseFileKind::Jet) {
        file = source->m_dir.filePath(QStringLiteral("converted.kv4"));
        if (!doc.ConvertLegacyFileTo(path, file))
            return nullptr;  // the reason was shown
    }
    if (!source->m_engine.OpenCopy(file, source->m_dir.filePath(QStringLiteral("source.kv4")))) {
        error = source->m_engine.LastError().replace(FileNameOf(file), name);
        return nullptr;
    }
    if (source->m_engine.GetDataType() != QLatin1String("MAIN")) {
        error = LoadString(MergeText::ExchangeFile).arg(name);
        return nullptr;
    }
    for (const qint32 topic : kSourceTopics)
        source->m_db.CreateTable(topic);
    QString reason;
    if (!doc.LoadProjectTables(source->m_engine, source->m_db, true, &reason) || !CheckBlobs(source->m_db, reason)) {
        error = LoadString(MergeText::Damaged).arg(name, reason);
        return nullptr;
    }
    if (m_modelMapper) {
        // A model image that cannot be read is found before the first write.
        QList<qint32> ids;
        QStringList names;
        if (!source->m_engine.ListModels(ids, names)) {
            error = LoadString(MergeText::Damaged).arg(name, source->m_engine.LastError());
            return nullptr;
        }
        for (const qint32 id : std::as_const(ids)) {
            StoredModel model;
            model.ID = id;
            if (!source->m_engine.ReadModel(model) || !m_modelMapper(model.Data, [](qint32, qint32 key) { return key; })) {
                error = LoadString(MergeText::Damaged).arg(name, QStringLiteral("model %1").arg(id));
                return nullptr;
            }
        }
    }
    return source;
}

bool ProjectMerge::MergeProject(CKorDoc& doc, MergeSource& mergeSource, bool replaceCodeMemos, QString& error)
{
    auto& source = static_cast<Source&>(mergeSource);
    SetWaitText(LoadString(MergeText::Waiting));
    MergeRun run(doc, source, m_modelMapper);
    {
        // All or nothing: a write that fails rolls back every row, field
        // and model written before it, in memory and in the file.
        StoreTransaction transaction(&doc.GetDatabase());
        if (transaction.IsActive() && run.Run(replaceCodeMemos) && doc.RecountCodings() && transaction.Commit())
            return true;
    }
    const QString reason = run.Reason().isEmpty() ? doc.GetEngine()->LastError() : run.Reason();
    error = LoadString(MergeText::WriteFailed).arg(FileNameOf(source.m_path), reason);
    return false;
}
