// Deletion of project objects: the store removes an object with everything
// that depends on it; here the deletions of one user action form one
// transaction, the windows hear what went and what changed, and the
// document forgets the ids it kept of the objects that went.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QSet>

using namespace rowfields;

bool CKorDoc::DeleteItem(qint32 topic, qint32 id)
{
    return HasRow(topic, id) && DeleteItems({ObjectRef{topic, id}});
}

bool CKorDoc::DeleteItems(const QList<ObjectRef>& items)
{
    d->m_db.TakeDeletedDocumentFiles();
    Deletion deletion;
    {
        StoreTransaction transaction(&d->m_db);
        // Counters that many removals count down (a document's codings) go
        // to the file once each, and the removed rows leave the indexes
        // together, when the deletion commits.
        if (!transaction.IsActive() || !d->m_db.HoldFieldWrites() || !d->m_db.BatchRemovals() ||
            !DeleteItemsInTransaction(items, deletion) || !transaction.Commit()) {
            d->m_db.TakeDeletedDocumentFiles();
            return false;
        }
    }
    if (deletion.removed.isEmpty())
        return false;
    AnnounceDeletion(deletion);
    RepairAfterDeletion(deletion.removed);
    QStringList files = d->m_db.TakeDeletedDocumentFiles();
    OfferExternalCopies(files);
    return true;
}

bool CKorDoc::DeleteItemsInTransaction(const QList<ObjectRef>& items, Deletion& deletion)
{
    // Codings that go with their documents still counted for their codes.
    QList<CodingTrace> traces;
    const auto traceDocument = [&](qint32 document) {
        const bool activated = IsDocumentActivated(document);
        QList<qint32> codings;
        d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        for (const qint32 coding : std::as_const(codings))
            traces.append({document, d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code), activated});
    };
    // A deleted code's codings counted in the categorical value of its
    // parent, which stays: (document, parent) pairs to recompute.
    QList<std::pair<qint32, qint32>> categorical;
    for (const ObjectRef& item : items) {
        // An object an earlier one took with it is gone already.
        if (!HasRow(item.topic, item.key))
            continue;
        switch (item.topic) {
        case TopicId::Codings:
        case TopicId::Links:
        case TopicId::MediaMarks:
            if (!DeleteRowsInTransaction(item.topic, {item.key}, deletion))
                return false;
            continue;
        case TopicId::Documents: traceDocument(item.key); break;
        case TopicId::DocumentGroups: {
            QList<qint32> documents;
            d->m_db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, item.key, documents);
            for (const qint32 document : std::as_const(documents))
                traceDocument(document);
            break;
        }
        case TopicId::Codes: {
            const qint32 parent = d->m_db.GetIntValue(TopicId::Codes, item.key, CodeField::Parent);
            if (parent == 0 || GetCodeLinkObject(parent, true) == 0)
                break;
            QList<qint32> codings;
            d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, item.key, codings);
            for (const qint32 coding : std::as_const(codings)) {
                const std::pair<qint32, qint32> pair{d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document),
                                                     parent};
                if (!categorical.contains(pair))
                    categorical.append(pair);
            }
            break;
        }
        default: break;
        }
        const qsizetype firstRemoved = deletion.removed.size();
        if (!d->m_db.DeleteRow(item.topic, item.key, deletion.removed, deletion.changed))
            return false;
        deletion.removed.append(item);
        // Map links live in memory only and name links by value, not by
        // reference: those naming a link that went go too.
        for (qsizetype i = firstRemoved; i < deletion.removed.size(); ++i) {
            const ObjectRef gone = deletion.removed.at(i);
            if (gone.topic == TopicId::Links && !DeleteMapLinksOf(gone.key, deletion))
                return false;
        }
    }
    SettleRemovedCodings(traces);
    for (const auto& [document, parent] : std::as_const(categorical)) {
        const qint32 field = GetCodeLinkObject(parent, true);
        FieldDescriptor descriptor;
        if (!HasRow(TopicId::Documents, document) || !HasRow(TopicId::Codes, parent) ||
            !d->m_db.GetFieldDescriptor(TopicId::Documents, field, descriptor))
            continue;
        if (!UpdateCategoricalValue(document, parent, field))
            return false;
        deletion.changed.append({TopicId::Documents, document});
    }
    // The project memo's id is kept in the file as well.
    if (d->m_projectMemo != 0 && !HasRow(TopicId::Memos, d->m_projectMemo) && d->m_engine &&
        !WriteSettingString(QLatin1String(SetupKey::ProjectMemo), QStringLiteral("0")))
        return false;
    return true;
}

void CKorDoc::RepairAfterDeletion(const QList<ObjectRef>& removed)
{
    QSet<qint32> codes;
    bool documentsWent = false;
    for (const ObjectRef& ref : removed) {
        if (ref.topic == TopicId::Codes)
            codes.insert(ref.key);
        else if (ref.topic == TopicId::Documents)
            documentsWent = true;
    }

    if (d->m_shownDocument != 0 && !HasRow(TopicId::Documents, d->m_shownDocument))
        d->m_shownDocument = 0;
    if (d->m_projectMemo != 0 && !HasRow(TopicId::Memos, d->m_projectMemo))
        d->m_projectMemo = 0;
    // The counts follow the activated objects that went.
    if (documentsWent)
        d->m_activatedDocuments = qint32(ActivatedRows(TopicId::Documents, DocumentField::State).size());
    if (codes.isEmpty())
        return;
    d->m_activatedCodes = qint32(ActivatedRows(TopicId::Codes, CodeField::State).size());

    // Keys are never given out again, yet a kept id of a code that went
    // must not name it any longer.
    const auto forget = [&codes](qint32& id) {
        const bool named = id != 0 && codes.contains(id);
        if (named)
            id = 0;
        return named;
    };
    for (qint32& special : d->m_specialCodes)
        forget(special);
    forget(d->m_pendingCode);
    d->m_lists.quickCodes.removeIf([&codes](qint32 code) { return codes.contains(code); });

    OptionsRecord& settings = d->m_options;
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
        RunRetrieval(d->m_options, 0);
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
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    for (const qint32 document : std::as_const(documents)) {
        QStringList names;
        for (const qint32 field :
             {DocumentField::MediaFile, DocumentField::ExtLink1, DocumentField::ExtLink2, DocumentField::ExtLink3})
            names.append(FieldText(TopicId::Documents, document, field));
        RowBuffer row;
        FieldValue text;
        if (d->m_db.ReadRow(TopicId::Documents, document, row, true) && row.GetFieldValue(DocumentField::Text, text)) {
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
    if (!HasRow(list, field) || !d->m_db.DeleteRow(list, field, removed, changed))
        return false;
    d->m_registry.NotifyDeleted(list, field);
    return true;
}
