// Deleting single codings, links and media marks: the store deletes the
// rows and their dependants and corrects the counters the file holds; the
// document keeps the memory-only counters of codes, the categorical values
// of documents and the map links right, then tells the windows.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QPair>

#include <algorithm>

using namespace rowfields;

bool CKorDoc::DeleteCoding(qint32 coding)
{
    return DeleteTopicRows(TopicId::Codings, {coding});
}

bool CKorDoc::DeleteCodings(const QList<qint32>& codings)
{
    return DeleteTopicRows(TopicId::Codings, codings);
}

bool CKorDoc::DeleteLink(qint32 link)
{
    return DeleteTopicRows(TopicId::Links, {link});
}

bool CKorDoc::DeleteMediaMarkRow(qint32 mark)
{
    return DeleteTopicRows(TopicId::MediaMarks, {mark});
}

bool CKorDoc::DeleteTopicRows(qint32 topic, const QList<qint32>& keys, int progressText)
{
    Deletion deletion;
    {
        StoreTransaction transaction(&d->m_db);
        // Counters that many removals count down go to the file once each,
        // and the removed rows leave the indexes together, at the commit.
        if (!transaction.IsActive() || !d->m_db.HoldFieldWrites() || !d->m_db.BatchRemovals() ||
            !DeleteRowsInTransaction(topic, keys, deletion, progressText) || !transaction.Commit())
            return false;
    }
    AnnounceDeletion(deletion);
    return true;
}

bool CKorDoc::DeleteRowsInTransaction(qint32 topic, const QList<qint32>& keys, Deletion& deletion, int progressText)
{
    const QString line = progressText ? LoadString(progressText) : QString();
    const qsizetype firstCoding = deletion.codings.size();
    QSet<QPair<qint32, qint32>> gone;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const qint32 key = keys.at(i);
        // A row listed twice, or taken with an earlier one (the other end of
        // a link), is gone already.
        if (gone.contains({topic, key}))
            continue;
        if (!HasRow(topic, key))
            return false;
        if (topic == TopicId::Codings) {
            const qint32 document = d->m_db.GetIntValue(topic, key, CodingField::Document);
            deletion.codings.append({document, d->m_db.GetIntValue(topic, key, CodingField::Code),
                                     IsDocumentActivated(document)});
        }
        const qsizetype firstRemoved = deletion.removed.size();
        if (!d->m_db.DeleteRow(topic, key, deletion.removed, deletion.changed))
            return false;
        deletion.removed.append({topic, key});
        for (qsizetype r = firstRemoved; r < deletion.removed.size(); ++r)
            gone.insert({deletion.removed.at(r).topic, deletion.removed.at(r).key});
        if (topic == TopicId::Links) {
            // The partner went with the link; map links name either end.
            const QList<ObjectRef> links = deletion.removed.mid(firstRemoved);
            for (const ObjectRef& gone : links) {
                if (gone.topic == TopicId::Links && !DeleteMapLinksOf(gone.key, deletion))
                    return false;
            }
        }
        if (!line.isEmpty())
            SetWaitText(line.arg(i + 1));
    }
    SettleRemovedCodings(deletion.codings.mid(firstCoding));
    return true;
}

bool CKorDoc::DeleteMapLinksOf(qint32 link, Deletion& deletion)
{
    QList<qint32> rows;
    d->m_db.GetAllKeys(TopicId::MapLinks, rows);
    for (const qint32 row : std::as_const(rows)) {
        if (d->m_db.GetIntValue(TopicId::MapLinks, row, MapLinkField::FirstLink) != link &&
            d->m_db.GetIntValue(TopicId::MapLinks, row, MapLinkField::SecondLink) != link)
            continue;
        if (!d->m_db.DeleteRow(TopicId::MapLinks, row, deletion.removed, deletion.changed))
            return false;
        deletion.removed.append({TopicId::MapLinks, row});
    }
    return true;
}

void CKorDoc::SettleRemovedCodings(const QList<CodingTrace>& codings)
{
    // Counts of activated codings and of coded documents live in memory only.
    QHash<qint32, qint32> activatedLost;         // by code
    QSet<QPair<qint32, qint32>> pairs;           // (document, code)
    for (const CodingTrace& trace : codings) {
        if (trace.code == 0)
            continue;
        if (trace.documentActivated)
            ++activatedLost[trace.code];
        pairs.insert({trace.document, trace.code});
    }
    QHash<qint32, qint32> documentsLost;  // by code
    QSet<QPair<qint32, qint32>> categorical;  // (document, parent)
    for (const auto& [document, code] : std::as_const(pairs)) {
        if (CountCodingsOfCodeInDocument(code, document) == 0)
            ++documentsLost[code];
        const qint32 parent = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
        if (parent != 0 && GetCodeLinkObject(parent, true) != 0 && HasRow(TopicId::Documents, document))
            categorical.insert({document, parent});
    }
    QSet<qint32> codes;
    for (const auto& pair : std::as_const(pairs))
        codes.insert(pair.second);
    for (const qint32 code : std::as_const(codes)) {
        RowBuffer row;
        if (!d->m_db.ReadRow(TopicId::Codes, code, row, false))
            continue;
        SetInt(row, CodeField::ActiveCodes, std::max(0, IntOf(row, CodeField::ActiveCodes) - activatedLost.value(code)));
        SetInt(row, CodeFrequencyField::DocumentCount,
               std::max(0, IntOf(row, CodeFrequencyField::DocumentCount) - documentsLost.value(code)));
        SetCodeShares(row);
        row.WriteBack();
    }
    for (const auto& [document, parent] : std::as_const(categorical))
        UpdateCategoricalValue(document, parent, GetCodeLinkObject(parent, true));
}

void CKorDoc::AnnounceDeletion(const Deletion& deletion)
{
    QSet<QPair<qint32, qint32>> told;
    for (const ObjectRef& gone : deletion.removed) {
        d->m_registry.NotifyDeleted(gone.topic, gone.key);
        told.insert({gone.topic, gone.key});
    }
    for (const ObjectRef& changed : deletion.changed) {
        if (told.contains({changed.topic, changed.key}))
            continue;
        told.insert({changed.topic, changed.key});
        NotifyChanged(changed.topic, changed.key);
    }
}
