// Merging another project into the open one: thin calls into the merge
// service, with the windows held until the merge is committed.

#include "document/kordoc.h"

#include "document/documentids.h"
#include "document/kordoc_p.h"
#include "document/rowfields.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"

#include <QScopeGuard>

void CKorDoc::SetMergeService(IProjectMergeService* service)
{
    d->m_merge = service;
}

IProjectMergeService* CKorDoc::GetMergeService() const
{
    return d->m_merge;
}

std::unique_ptr<MergeSource> CKorDoc::OpenMergeSource(const QString& path)
{
    if (!d->m_merge || !d->m_engine || path.isEmpty())
        return nullptr;
    if (IsOpenProjectPath(path)) {
        ShowError(DocumentText::MergeOpenProject, path, {});
        return nullptr;
    }
    QString error;
    std::unique_ptr<MergeSource> source = d->m_merge->OpenSource(*this, path, error);
    if (!source && !error.isEmpty())
        ShowMessage(error, MessageKind::Error);
    return source;
}

bool CKorDoc::MergeProject(MergeSource& source, bool replaceCodeMemos)
{
    if (!d->m_merge || !d->m_engine)
        return false;
    QString error;
    bool merged = false;
    // New codes put their colours into the colour filters, which live in
    // memory only and must follow a rollback too.
    const ProgramLists lists = d->m_lists;
    {
        // The codes, counters and rows the steps write would each be
        // announced at once; the windows instead start afresh once the
        // whole merge is in the file, and hear nothing of a rollback.
        d->m_registry.SetHeld(true);
        const auto release = qScopeGuard([this] { d->m_registry.SetHeld(false); });
        merged = d->m_merge->MergeProject(*this, source, replaceCodeMemos, error);
    }
    if (!merged) {
        // Counts kept only in memory follow the rows back.
        d->m_lists = lists;
        UpdateCodeFrequencies(0);
        ShowMessage(error.isEmpty() ? LoadString(DocumentText::MergeFailed) : error, MessageKind::Error);
        return false;
    }
    // The registry's reset, then the trees filled again from the merged project.
    d->m_registry.ResetAll();
    RebuildTree(true);
    return true;
}

bool CKorDoc::IsNewDocumentLink(qint32 document, qint32 page, qint32 start, qint32 finish, qint32 x1, qint32 x2,
                                const TopicDatabase* store) const
{
    const TopicDatabase& db = store ? *store : d->m_db;
    QList<qint32> links;
    db.FindKeysByParent(TopicId::Links, TopicId::Documents, document, links);
    for (const qint32 link : std::as_const(links)) {
        if (db.GetIntValue(TopicId::Links, link, LinkField::Page) == page &&
            db.GetIntValue(TopicId::Links, link, LinkField::StartChar) == start &&
            db.GetIntValue(TopicId::Links, link, LinkField::FinishChar) == finish &&
            db.GetIntValue(TopicId::Links, link, LinkField::PosX1) == x1 &&
            db.GetIntValue(TopicId::Links, link, LinkField::PosX2) == x2)
            return false;
    }
    return true;
}

bool CKorDoc::IsNewDocumentMemo(qint32 document, qint32 page, qint32 position, const QString& title,
                                const TopicDatabase* store) const
{
    const TopicDatabase& db = store ? *store : d->m_db;
    QList<qint32> memos;
    db.FindKeysByParent(TopicId::Memos, TopicId::Documents, document, memos);
    for (const qint32 memo : std::as_const(memos)) {
        if (db.GetIntValue(TopicId::Memos, memo, MemoField::Page) == page &&
            db.GetIntValue(TopicId::Memos, memo, MemoField::Pos) == position &&
            rowfields::TextOfKey(db, TopicId::Memos, memo, MemoField::Title) == title)
            return false;
    }
    return true;
}
