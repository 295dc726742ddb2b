// The whole-project merge: the other project read from a private copy into
// a store of its own, checked whole, then added step by step to the open
// project inside one transaction.

#include "exchange/projectmerge.h"

#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "exchange/mergesteps.h"
#include "exchange/readonlysource.h"
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
using namespace mergesteps;

namespace {

// The topics a merge reads from the other project; code sets stay out.
constexpr qint32 kSourceTopics[] = {
    TopicId::DocumentGroups, TopicId::Documents, TopicId::DocumentSets, TopicId::DocumentSetMembers,
    TopicId::Codes,          TopicId::Codings,   TopicId::Memos,        TopicId::Links,
    TopicId::MediaMarks,
};

const QList<qint32> kTimeMarkFields = {MediaMarkField::State, MediaMarkField::StartChar, MediaMarkField::Begin,
                                       MediaMarkField::End};
const QList<qint32> kGroupFields = {GroupField::State, GroupField::Name};

QString FileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

/// One merge: the key maps from source to target and the steps by kind.
/// Every step stops at the first write that fails, which fails the merge.
class MergeRun : public MergeSteps {
public:
    MergeRun(CKorDoc& doc, ReadOnlySource& source, const ProjectMerge::ModelReferenceMapper& mapper)
        : MergeSteps(doc, source.m_db, doc.GetDatabase()), m_sourceEngine(source.m_engine), m_mapper(mapper)
    {
        m_groupDocuments = ChildrenBy(TopicId::Documents, DocumentField::GroupID);
        m_setMembers = ChildrenBy(TopicId::DocumentSetMembers, SetMemberField::SetID);
    }

    bool Run(bool replaceCodeMemos)
    {
        return MergeCodes(0, 0, {}) && MergeCodeMemos(replaceCodeMemos) && MergeFreeMemos() &&
               MergeDocumentVariables() && MergeDocumentGroups() && MergeDocumentSets() && MergeGroupMemos() &&
               MergeTimeMarks() && MapLinkPartners() && MergeStoredModels();
    }

private:
    // ---- Steps -------------------------------------------------------------

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
            const qint32 target = CopyDocument(document, targetGroup);
            if (!target)
                return false;
            m_documents.insert(document, target);
            if (!MergeDocumentMemos(document, target) || !MergeDocumentCodings(document, target, targetGroup) ||
                !MergeDocumentLinkRows(document, target))
                return false;
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

    ProjectDataEngine& m_sourceEngine;
    const ProjectMerge::ModelReferenceMapper& m_mapper;

    // Source key to target key, by kind; the rest are the steps' own.
    QHash<qint32, qint32> m_groups;
    QHash<qint32, qint32> m_sets;
    QHash<qint32, qint32> m_documents;
    QHash<qint32, qint32> m_links;
    QList<qint32> m_addedLinks;  // target keys, their partners still source keys

    QHash<qint32, QList<qint32>> m_groupDocuments;
    QHash<qint32, QList<qint32>> m_setMembers;
};

}  // namespace

std::unique_ptr<MergeSource> ProjectMerge::OpenSource(CKorDoc& doc, const QString& path, QString& error)
{
    const QString name = FileNameOf(path);
    std::unique_ptr<ReadOnlySource> source =
        OpenReadOnlySource(doc, path, QStringLiteral("MAIN"), QList<qint32>(std::begin(kSourceTopics), std::end(kSourceTopics)),
                           {MergeText::ExchangeFile, MergeText::Damaged, MergeText::WriteFailed}, error, true);
    if (!source)
        return nullptr;
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
    auto& source = static_cast<ReadOnlySource&>(mergeSource);
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
