// Documents: which one the browser shows.

#include "document/kordoc.h"

#include "document/documentids.h"
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

/// Wait cursor for the scope.
struct WaitCursor {
    WaitCursor() { BeginWait(); }
    ~WaitCursor() { EndWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

bool CKorDoc::SetOpenDocument(qint32 document, qint32 mode)
{
    if (document == m_shownDocument)
        return true;
    if (mode == 2) {
        m_registry.ShowDocument(TopicId::Documents, document, mode);
        return true;
    }
    // The new document is looked up before the old one is touched.
    RowBuffer row;
    FieldValue mediaFile;
    if (!m_db.ReadRow(TopicId::Documents, document, row, false))
        return false;
    row.GetFieldValue(DocumentField::MediaFile, mediaFile);
    const QString media = mediaFile.GetText().trimmed();
    row.Release();

    const WaitCursor wait;
    if (const qint32 old = std::exchange(m_shownDocument, 0); old && MarkShown(m_db, old, false)) {
        NotifyChanged(TopicId::Documents, old);
        NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, old);
    }
    if (m_frame)
        m_frame->LoadMediaFile(QString());
    if (!MarkShown(m_db, document, true))
        return false;
    m_shownDocument = document;
    NotifyChanged(TopicId::Documents, document);
    NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, document);
    m_registry.ShowDocument(TopicId::Documents, document, mode);
    for (const qint32 topic : {TopicId::Codings, TopicId::Memos, TopicId::Links})
        AnnounceChildren(topic, TopicId::Documents, document, BroadcastKind::OpenDocumentItems);
    if (m_frame) {
        m_frame->RebuildGeoLinkList();
        m_frame->LoadMediaFile(media);
        m_frame->RefreshBrowser();
    }
    return true;
}
