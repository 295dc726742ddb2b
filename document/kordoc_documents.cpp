// Documents: which one the browser shows.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/waitwindow.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

namespace {

/// Sets or clears the shown-in-browser bit of a document and commits it;
/// true when the row holds the bit as asked afterwards.
bool MarkShown(TopicDatabase& db, qint32 document, bool shown)
{
    RowBuffer row;
    FieldValue state;
    if (!db.ReadRow(TopicId::Documents, document, row, false) || !row.GetFieldValue(DocumentField::State, state))
        return false;
    const qint32 old = state.GetInt();
    const qint32 wanted = shown ? old | ObjectState::ShownInBrowser : old & ~ObjectState::ShownInBrowser;
    if (wanted == old)
        return true;
    state.SetInt(wanted);
    return row.Commit(false, false);
}

}  // namespace

bool CKorDoc::SetOpenDocument(qint32 document, qint32 mode)
{
    if (document == d->m_shownDocument)
        return true;
    if (mode == 2) {
        d->m_registry.ShowDocument(TopicId::Documents, document, mode);
        return true;
    }
    // The new document is looked up before the old one is touched.
    RowBuffer row;
    FieldValue mediaFile;
    if (!d->m_db.ReadRow(TopicId::Documents, document, row, false))
        return false;
    row.GetFieldValue(DocumentField::MediaFile, mediaFile);
    const QString media = mediaFile.GetText().trimmed();
    row.Release();

    const WaitCursor wait;
    if (const qint32 old = std::exchange(d->m_shownDocument, 0); old && MarkShown(d->m_db, old, false)) {
        NotifyChanged(TopicId::Documents, old);
        NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, old);
    }
    if (d->m_frame)
        d->m_frame->LoadMediaFile(QString());
    if (!MarkShown(d->m_db, document, true))
        return false;
    d->m_shownDocument = document;
    NotifyChanged(TopicId::Documents, document);
    NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, document);
    d->m_registry.ShowDocument(TopicId::Documents, document, mode);
    for (const qint32 topic : {TopicId::Codings, TopicId::Memos, TopicId::Links})
        AnnounceChildren(topic, TopicId::Documents, document, BroadcastKind::OpenDocumentItems);
    if (d->m_frame) {
        d->m_frame->RebuildGeoLinkList();
        d->m_frame->LoadMediaFile(media);
        d->m_frame->RefreshBrowser();
    }
    return true;
}

bool CKorDoc::OpenSetMemberDocument(qint32 member, qint32 mode)
{
    const TopicTable* members = d->m_db.GetTable(TopicId::DocumentSetMembers);
    if (!members || !members->HasKey(member))
        return false;
    return SetOpenDocument(d->m_db.GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::ObjectID), mode);
}

void CKorDoc::OpenDocuments(const QList<qint32>& documents, bool resetTabs)
{
    if (documents.isEmpty())
        return;
    if (resetTabs)
        d->m_registry.NotifyDeleted(BroadcastKind::DocumentTabs, 0);
    for (qsizetype i = documents.size() - 1; i >= 0; --i) {
        const qint32 document = documents.at(i);
        // The document is shown again as the list asks: it loses its mark
        // first, so that no two rows carry it.
        if (document == d->m_shownDocument && MarkShown(d->m_db, document, false))
            d->m_shownDocument = 0;
        SetOpenDocument(document, i == 0 ? 1 : 2);
    }
}

bool CKorDoc::IsDocumentActivated(qint32 document, qint32& index) const
{
    index = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::Index);
    return d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::State) & ObjectState::Activated;
}

qint32 CKorDoc::GetDocumentGroup(qint32 document) const
{
    return d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID);
}

bool CKorDoc::GetDocumentSourceInfo(qint32 document, QString& link1, QString& link2, QString& link3) const
{
    const TopicTable* documents = d->m_db.GetTable(TopicId::Documents);
    if (!documents || !documents->HasKey(document))
        return false;
    link1 = rowfields::TextOfKey(d->m_db, TopicId::Documents, document, DocumentField::ExtLink1);
    link2 = rowfields::TextOfKey(d->m_db, TopicId::Documents, document, DocumentField::ExtLink2);
    link3 = rowfields::TextOfKey(d->m_db, TopicId::Documents, document, DocumentField::ExtLink3);
    return true;
}
