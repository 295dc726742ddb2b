// Change notifications: every committed change reaches the windows only
// through the registry's broadcasts made here. Also the queries on code
// relations that notices and sort commands need, and the tree rebuild.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "store/storeids.h"

#include <QSet>

namespace {

QList<quint32> ToIds(const QList<qint32>& keys)
{
    return QList<quint32>(keys.cbegin(), keys.cend());
}

}  // namespace

bool CKorDoc::NotifyChanged(qint32 topic, qint32 key)
{
    return d->m_registry.NotifyChange(topic, key);
}

void CKorDoc::NotifyListChanged(qint32 topic, const QList<qint32>& keys)
{
    for (const qint32 key : keys)
        d->m_registry.NotifyChange(topic, key);
}

void CKorDoc::NotifyRelatedChanged(qint32 topic, qint32 parentTopic, qint32 parentKey)
{
    QList<qint32> keys;
    d->m_db.FindKeysByParent(topic, parentTopic, parentKey, keys);
    NotifyListChanged(topic, keys);
}

void CKorDoc::AnnounceChildren(qint32 topic, qint32 parentTopic, qint32 parentKey, qint32 announcedKind)
{
    QList<qint32> keys;
    d->m_db.FindKeysByParent(topic, parentTopic, parentKey, keys);
    d->m_registry.NotifyAddedMany(topic, ToIds(keys), announcedKind, parentKey);
}

void CKorDoc::NotifyCodeSubtree(qint32 code)
{
    QSet<qint32> visited{code};
    NotifyCodeSubtree(code, visited);
}

void CKorDoc::NotifyCodeSubtree(qint32 code, QSet<qint32>& visited)
{
    QList<qint32> children;
    GetChildCodes(code, children);
    // A damaged file may hold a cycle of parents: each code is announced once.
    children.removeIf([&visited](qint32 child) { return visited.contains(child); });
    visited.unite(QSet<qint32>(children.cbegin(), children.cend()));
    // Kind 7 with a code's id names that code; with 0 the code-system root.
    d->m_registry.NotifyAddedMany(TopicId::Codes, ToIds(children), TopicKind::CodeSystemRoot, code);
    for (const qint32 child : std::as_const(children))
        NotifyCodeSubtree(child, visited);
}

bool CKorDoc::BeginRename(qint32 topic, qint32 key)
{
    return d->m_registry.BeginEditLabel(topic, key);
}

int CKorDoc::SelectInLists(qint32 topic, qint32 key)
{
    return d->m_registry.SelectObject(topic, key, 0);
}

int CKorDoc::SelectDocumentInLists(qint32 document)
{
    return d->m_registry.SelectObject(TopicId::Documents, document, 0);
}

void CKorDoc::SortLists(qint32 direction)
{
    d->m_registry.SortChildren(TopicKind::DocumentsRoot, 0, direction);
}

void CKorDoc::SortGroupDocuments(qint32 group, qint32 direction)
{
    d->m_registry.SortChildren(TopicId::DocumentGroups, group, direction);
}

void CKorDoc::SortSets()
{
    d->m_registry.SortChildren(TopicKind::DocumentSetsRoot, 0, 1);
}

void CKorDoc::SortSetMembers(qint32 set)
{
    d->m_registry.SortChildren(TopicId::DocumentSets, set, 1);
}

void CKorDoc::SortCodeSets()
{
    d->m_registry.SortChildren(TopicKind::CodeSetsRoot, 0, 1);
}

void CKorDoc::SortCodeSetMembers(qint32 codeSet)
{
    d->m_registry.SortChildren(TopicId::CodeSets, codeSet, 1);
}

void CKorDoc::SortSubcodes(qint32 code)
{
    if (code == 0)
        d->m_registry.SortChildren(TopicKind::CodeSystemRoot, 0, 1);
    else
        d->m_registry.SortChildren(TopicId::Codes, code, 1);
}

qint32 CKorDoc::GetActivatedCount(qint32 kind) const
{
    switch (kind) {
    case TopicId::Documents: return d->m_activatedDocuments;
    case TopicId::Codes: return d->m_activatedCodes;
    case TopicId::Codings: return d->m_activatedCodings;
    default: return 0;
    }
}

bool CKorDoc::GetChildCodes(qint32 code, QList<qint32>& ids) const
{
    ids.clear();
    return d->m_db.GetTable(TopicId::Codes) && d->m_db.FindKeysByParent(TopicId::Codes, TopicId::Codes, code, ids);
}

void CKorDoc::CollectSubcodes(qint32 code, QList<qint32>& ids) const
{
    // Depth first, guarded against parent cycles of a damaged file.
    QSet<qint32> seen{code};
    QList<qint32> children;
    GetChildCodes(code, children);
    std::reverse(children.begin(), children.end());
    QList<qint32> pending = children;  // a stack: the next code last
    while (!pending.isEmpty()) {
        const qint32 next = pending.takeLast();
        if (seen.contains(next))
            continue;
        seen.insert(next);
        ids.append(next);
        GetChildCodes(next, children);
        std::reverse(children.begin(), children.end());
        pending.append(children);
    }
}

void CKorDoc::AddColorFilterCode(quint32 color)
{
    if (!d->m_lists.codingsColorFilter.contains(color))
        d->m_lists.codingsColorFilter.append(color);
}

qint32 CKorDoc::CountCodingsOfDocumentAndCode(qint32 document, qint32 code) const
{
    return CountCodingsOfCodeInDocument(code, document);
}

int CKorDoc::FindUniqueMaximum(const QList<qint32>& counts)
{
    const auto largest = std::max_element(counts.cbegin(), counts.cend());
    if (largest == counts.cend() || *largest <= 0)
        return -1;
    if (std::count(counts.cbegin(), counts.cend(), *largest) > 1)
        return -2;
    return int(largest - counts.cbegin());
}

void CKorDoc::AnnounceGroupsUnder(qint32 rootKind, qint32 groupTopic, qint32 memberTopic)
{
    QList<qint32> groups;
    d->m_db.GetAllKeys(groupTopic, groups);
    d->m_registry.NotifyAddedMany(groupTopic, ToIds(groups), rootKind, 0);
    for (const qint32 group : std::as_const(groups))
        AnnounceChildren(memberTopic, groupTopic, group, groupTopic);
    d->m_registry.NotifyChange(rootKind, 0);
}

void CKorDoc::RebuildTree(bool resetFont)
{
    // The trees start again with nothing activated.
    DeactivateAll(false, true, true);
    if (resetFont)
        d->m_registry.RefreshOwner();
    // Documents outside any group come first.
    AnnounceChildren(TopicId::Documents, TopicId::DocumentGroups, 0, TopicId::DocumentGroups);
    AnnounceGroupsUnder(TopicKind::DocumentsRoot, TopicId::DocumentGroups, TopicId::Documents);
    AnnounceGroupsUnder(TopicKind::DocumentSetsRoot, TopicId::DocumentSets, TopicId::DocumentSetMembers);
    NotifyCodeSubtree(0);
    UpdateCodeFrequencies(0);
    d->m_registry.NotifyChange(TopicKind::CodeSystemRoot, 0);
    AnnounceGroupsUnder(TopicKind::CodeSetsRoot, TopicId::CodeSets, TopicId::CodeSetMembers);
    d->m_registry.NotifyChange(BroadcastKind::DocumentTabs, 0);
}
