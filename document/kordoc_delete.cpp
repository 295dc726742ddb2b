// Deletion of project objects: the store removes an object with everything
// that depends on it; here the deletions of one user action form one
// transaction, the windows hear what went and what changed, and the
// document forgets the ids it kept of the objects that went.

#include "document/kordoc.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QSet>

using namespace rowfields;

namespace {

/// Map-link rows name a link in these fields (first and second end).
constexpr qint32 kMapLinkFirst = 2;
constexpr qint32 kMapLinkSecond = 10;

}  // namespace

bool CKorDoc::DeleteItem(qint32 topic, qint32 id)
{
    return HasRow(topic, id) && DeleteItems({ObjectRef{topic, id}});
}

bool CKorDoc::DeleteItems(const QList<ObjectRef>& items)
{
    m_db.TakeDeletedDocumentFiles();
    DeletionLists lists;
    {
        StoreTransaction transaction(&m_db);
        if (!transaction.IsActive() || !DeleteInTransaction(items, lists) || !transaction.Commit()) {
            m_db.TakeDeletedDocumentFiles();
            return false;
        }
    }
    if (lists.deleted.isEmpty())
        return false;
    AnnounceDeletion(lists);
    RepairAfterDeletion(lists);
    QStringList files = m_db.TakeDeletedDocumentFiles();
    OfferExternalCopies(files);
    return true;
}

bool CKorDoc::DeleteInTransaction(const QList<ObjectRef>& items, DeletionLists& lists)
{
    // Categorical values of documents that follow from the codings of a
    // parent's direct subcodes: the pairs to recompute once the codings went.
    QList<std::pair<qint32, qint32>> categorical;  // (document, parent code)
    const auto noteCategorical = [&](qint32 document, qint32 code) {
        const qint32 parent = m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
        if (document != 0 && parent != 0 && GetCodeLinkObject(parent, true) != 0 &&
            !categorical.contains({document, parent}))
            categorical.append({document, parent});
    };
    for (const ObjectRef& item : items) {
        // An object an earlier one took with it is gone already.
        if (!HasRow(item.topic, item.key))
            continue;
        if (item.topic == TopicId::Codings) {
            noteCategorical(m_db.GetIntValue(TopicId::Codings, item.key, CodingField::Document),
                            m_db.GetIntValue(TopicId::Codings, item.key, CodingField::Code));
        } else if (item.topic == TopicId::Codes) {
            QList<qint32> codings;
            m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, item.key, codings);
            for (const qint32 coding : std::as_const(codings))
                noteCategorical(m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document), item.key);
        }
        const qsizetype firstRemoved = lists.removed.size();
        if (!m_db.DeleteRow(item.topic, item.key, lists.removed, lists.changed))
            return false;
        lists.deleted.append(item);
        const qsizetype cascadeEnd = lists.removed.size();
        // Map-link rows live in memory only and name the links by field,
        // not by reference: every row naming a link that went goes too.
        QList<qint32> links;
        if (item.topic == TopicId::Links)
            links.append(item.key);
        for (qsizetype i = firstRemoved; i < lists.removed.size(); ++i) {
            if (lists.removed.at(i).topic == TopicId::Links)
                links.append(lists.removed.at(i).key);
        }
        if (!links.isEmpty() && !DeleteMapLinkRows(links, lists))
            return false;
        lists.ranges.append({cascadeEnd, lists.removed.size()});
    }
    for (const auto& [document, parent] : std::as_const(categorical)) {
        const qint32 field = GetCodeLinkObject(parent, true);
        FieldDescriptor descriptor;
        if (!HasRow(TopicId::Documents, document) || !HasRow(TopicId::Codes, parent) ||
            !m_db.GetFieldDescriptor(TopicId::Documents, field, descriptor))
            continue;
        if (!UpdateCategoricalValue(document, parent, field))
            return false;
        lists.changed.append({TopicId::Documents, document});
    }
    // The project memo's id is kept in the file as well.
    if (m_projectMemo != 0 && !HasRow(TopicId::Memos, m_projectMemo) && m_engine &&
        !WriteSettingString(QLatin1String(SetupKey::ProjectMemo), QStringLiteral("0")))
        return false;
    return true;
}

bool CKorDoc::DeleteMapLinkRows(const QList<qint32>& links, DeletionLists& lists)
{
    const TopicTable* table = m_db.GetTable(TopicId::MapLinks);
    if (!table)
        return true;
    QList<qint32> rows;
    table->ForEachRow([&](qint32 key, const char*) {
        if (links.contains(table->GetIntValue(key, kMapLinkFirst)) ||
            links.contains(table->GetIntValue(key, kMapLinkSecond)))
            rows.append(key);
    });
    for (const qint32 row : std::as_const(rows)) {
        if (!HasRow(TopicId::MapLinks, row))
            continue;
        if (!m_db.DeleteRow(TopicId::MapLinks, row, lists.removed, lists.changed))
            return false;
        lists.removed.append({TopicId::MapLinks, row});
    }
    return true;
}

void CKorDoc::AnnounceDeletion(const DeletionLists& lists)
{
    // Each object after what went with it, then the map-link rows that
    // followed its links; then what changed and is still there, once each.
    QSet<std::pair<qint32, qint32>> gone;
    const auto removed = [&](const ObjectRef& ref) {
        m_registry.NotifyDeleted(ref.topic, ref.key);
        gone.insert({ref.topic, ref.key});
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < lists.deleted.size(); ++i) {
        const auto [cascadeEnd, end] = lists.ranges.at(i);
        for (qsizetype j = start; j < cascadeEnd; ++j)
            removed(lists.removed.at(j));
        removed(lists.deleted.at(i));
        for (qsizetype j = cascadeEnd; j < end; ++j)
            removed(lists.removed.at(j));
        start = end;
    }
    QSet<std::pair<qint32, qint32>> told;
    for (const ObjectRef& changed : lists.changed) {
        const std::pair<qint32, qint32> pair{changed.topic, changed.key};
        if (gone.contains(pair) || told.contains(pair))
            continue;
        told.insert(pair);
        m_registry.NotifyChange(changed.topic, changed.key);
    }
}

void CKorDoc::RepairAfterDeletion(const DeletionLists& lists)
{
    QSet<qint32> codes;
    bool documentsWent = false;
    const auto note = [&](const ObjectRef& ref) {
        if (ref.topic == TopicId::Codes)
            codes.insert(ref.key);
        else if (ref.topic == TopicId::Documents)
            documentsWent = true;
    };
    for (const ObjectRef& ref : lists.removed)
        note(ref);
    for (const ObjectRef& ref : lists.deleted)
        note(ref);

    if (m_shownDocument != 0 && !HasRow(TopicId::Documents, m_shownDocument))
        m_shownDocument = 0;
    if (m_projectMemo != 0 && !HasRow(TopicId::Memos, m_projectMemo))
        m_projectMemo = 0;
    // The counts follow the activated objects that went.
    if (documentsWent)
        m_activatedDocuments = qint32(ActivatedRows(TopicId::Documents, DocumentField::State).size());
    if (codes.isEmpty())
        return;
    m_activatedCodes = qint32(ActivatedRows(TopicId::Codes, CodeField::State).size());

    // Keys are never given out again, yet a kept id of a code that went
    // must not name it any longer.
    const auto forget = [&codes](qint32& id) {
        const bool named = id != 0 && codes.contains(id);
        if (named)
            id = 0;
        return named;
    };
    for (qint32& special : m_specialCodes)
        forget(special);
    forget(m_pendingCode);
    m_lists.quickCodes.removeIf([&codes](qint32 code) { return codes.contains(code); });

    OptionsRecord& settings = m_options;
    const qint32 before = qint32(settings.codeIds.size());
    std::erase_if(settings.codeIds, [&codes](qint32 code) { return codes.contains(code); });
    bool rerun = qint32(settings.codeIds.size()) != before;
    // The codes the retrieval functions name, and the code that narrows
    // function 0; a change of the current function's code reruns it.
    qint32* const named[] = {&settings.codeA, &settings.enclosingCode, &settings.excludedCode,
                             &settings.followingCode, &settings.nearCode};
    constexpr qint32 kNamingFunction[] = {5, 6, 7, 8, 9};
    for (size_t i = 0; i < std::size(named); ++i) {
        if (forget(*named[i]) && settings.retrievalFunction == kNamingFunction[i])
            rerun = true;
    }
    if (forget(settings.documentCode) && settings.retrievalFunction == 0)
        rerun = true;
    if (rerun)
        RunRetrieval(m_options, 0);
}

void CKorDoc::OfferExternalCopies(QStringList& files)
{
    if (files.isEmpty())
        return;
    // Only copies in the externals folder are offered; the costly look at
    // the remaining documents is made only when there are such copies.
    QString folder;
    QSet<QString> candidates;
    for (const QString& file : std::as_const(files)) {
        const QString copy = GetExternalCopyName(file, folder);
        if (!copy.isEmpty())
            candidates.insert(copy);
    }
    if (candidates.isEmpty())
        return;
    // A copy another document still uses stays.
    QList<qint32> documents;
    m_db.GetAllKeys(TopicId::Documents, documents);
    for (const qint32 document : std::as_const(documents)) {
        QStringList names;
        for (const qint32 field :
             {DocumentField::MediaFile, DocumentField::ExtLink1, DocumentField::ExtLink2, DocumentField::ExtLink3})
            names.append(FieldText(TopicId::Documents, document, field));
        RowBuffer row;
        FieldValue text;
        if (m_db.ReadRow(TopicId::Documents, document, row, true) && row.GetFieldValue(DocumentField::Text, text)) {
            const QByteArray* reference = text.GetExternalReference();
            names.append(StripExternPrefix(reference ? reference : text.GetBlob()));
        }
        for (const QString& name : std::as_const(names)) {
            if (!name.isEmpty())
                candidates.remove(GetExternalCopyName(name, folder));
        }
        if (candidates.isEmpty())
            return;
    }
    QStringList offered(candidates.cbegin(), candidates.cend());
    offered.sort();
    DeleteExternalCopies(offered);
}

bool CKorDoc::DeleteVariableListRow(qint32 field, bool codes)
{
    const qint32 list = codes ? TopicId::CodeVariables : TopicId::DocumentVariables;
    QList<ObjectRef> removed;
    QList<ObjectRef> changed;
    if (!HasRow(list, field) || !m_db.DeleteRow(list, field, removed, changed))
        return false;
    m_registry.NotifyDeleted(list, field);
    return true;
}
