#include "document/objectlistregistry.h"

#include "document/panewnd.h"
#include "document/registryowner.h"

#include <algorithm>

ObjectListRegistry::~ObjectListRegistry()
{
    for (CPaneWnd* pane : m_panes) {
        if (pane)
            pane->m_pRegistry = nullptr;
    }
}

// Invariant: pane->m_pRegistry == this exactly while the pane has a live
// (non-null) entry in m_panes.

bool ObjectListRegistry::Register(CPaneWnd* pane)
{
    if (!pane)
        return false;
    if (pane->m_pRegistry == this)
        return true;
    pane->LeaveRegistry();
    m_panes.push_back(pane);
    pane->m_pRegistry = this;
    return true;
}

bool ObjectListRegistry::Unregister(CPaneWnd* pane)
{
    if (!pane || pane->m_pRegistry != this)
        return false;
    const auto it = std::find(m_panes.begin(), m_panes.end(), pane);
    // A walk indexes into m_panes: clear the entry instead of shifting the rest.
    if (m_walkDepth > 0)
        *it = nullptr;
    else
        m_panes.erase(it);
    pane->m_pRegistry = nullptr;
    return true;
}

int ObjectListRegistry::IndexOf(const CPaneWnd* pane) const
{
    if (!pane)
        return -1;
    int position = 0;
    for (const CPaneWnd* entry : m_panes) {
        if (entry == pane)
            return position;
        if (entry)
            ++position;
    }
    return -1;
}

int ObjectListRegistry::GetCount() const
{
    return int(std::count_if(m_panes.begin(), m_panes.end(), [](const CPaneWnd* p) { return p; }));
}

template <typename Visit>
bool ObjectListRegistry::Walk(Visit visit)
{
    if (m_held)
        return false;
    ++m_walkDepth;
    bool stopped = false;
    // m_panes may grow during a call (and reallocate): index, never iterate.
    for (size_t i = 0; i < m_panes.size() && !stopped; ++i) {
        if (CPaneWnd* pane = m_panes[i])
            stopped = visit(pane);
    }
    if (--m_walkDepth == 0)
        std::erase(m_panes, nullptr);
    return stopped;
}

void ObjectListRegistry::ResetAll()
{
    Walk([](CPaneWnd* pane) {
        pane->ResetContent();
        return false;
    });
    if (m_pOwner && !m_held)
        m_pOwner->ClearQuickCodes();
}

void ObjectListRegistry::RefreshOwner()
{
    if (m_pOwner && !m_held)
        m_pOwner->RefreshListFont();
}

bool ObjectListRegistry::NotifyAddedMany(qint32 topic, const QList<quint32>& ids,
                                         qint32 parentTopic, qint32 parentId)
{
    Walk([&](CPaneWnd* pane) {
        if (pane->IsShown(parentTopic, parentId))
            pane->OnObjectsAdded(topic, ids, parentTopic, parentId);
        return false;
    });
    return true;
}

bool ObjectListRegistry::NotifyAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic,
                                     qint32 parentId, bool select)
{
    bool placed = false;
    Walk([&](CPaneWnd* pane) {
        if (pane->IsShown(parentTopic, parentId)
            && pane->OnObjectAdded(topic, id, after, parentTopic, parentId, select))
            placed = true;
        return false;
    });
    return placed;
}

bool ObjectListRegistry::BeginEditLabel(qint32 topic, qint32 id)
{
    return Walk([&](CPaneWnd* pane) {
        return pane->IsShown(topic, id) && pane->BeginEditLabel(topic, id);
    });
}

bool ObjectListRegistry::NotifyDeleted(qint32 topic, qint32 id)
{
    Walk([&](CPaneWnd* pane) {
        pane->OnObjectDeleted(topic, id);
        return false;
    });
    if (m_pOwner && !m_held)
        m_pOwner->OnObjectDeleted(topic, id);
    return true;
}

bool ObjectListRegistry::NotifyChange(qint32 topic, qint32 id)
{
    Walk([&](CPaneWnd* pane) {
        pane->OnObjectChanged(topic, id);
        return false;
    });
    return m_pOwner && !m_held && m_pOwner->OnObjectChanged(topic, id);
}

void ObjectListRegistry::SortChildren(qint32 topic, qint32 id, qint32 flag)
{
    Walk([&](CPaneWnd* pane) {
        if (pane->IsShown(topic, id))
            pane->SortChildren(topic, id, flag);
        return false;
    });
}

bool ObjectListRegistry::ShowDocument(qint32 topic, qint32 id, qint32 mode)
{
    return Walk([&](CPaneWnd* pane) { return pane->ShowDocument(topic, id, mode); });
}

int ObjectListRegistry::SelectObject(qint32 topic, qint32 id, qint32 flag)
{
    int called = 0;
    Walk([&](CPaneWnd* pane) {
        pane->SelectObject(topic, id, flag);
        ++called;
        return false;
    });
    return called;
}
