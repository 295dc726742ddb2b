#include "panes/panelistener.h"

#include "panes/objectlistctrl.h"

#include <QMetaObject>
#include <QWidget>

namespace {

/// Additions under the dictionary's entries' parent kind never go to lists.
constexpr qint32 kIgnoredParentTopic = 16;

}  // namespace

bool PaneListener::IsShown(qint32 topic, qint32 id)
{
    if (!m_host)
        return false;
    if (topic == m_host->ParentTopic() && id == m_host->ParentId())
        return true;
    // A list without a parent stands under every real parent, so that it
    // hears every addition of its topic; negative ids (a retrieval's result
    // rows) are none.
    if (m_host->ParentTopic() == 0 && id >= 0)
        return true;
    return topic == m_host->Topic() && m_host->HasRow(id);
}

bool PaneListener::TakesAddition(qint32 topic, qint32 parentTopic, qint32 parentId) const
{
    if (!m_host || parentTopic == kIgnoredParentTopic || topic != m_host->Topic())
        return false;
    return m_host->ParentTopic() == 0 || (parentTopic == m_host->ParentTopic() && parentId == m_host->ParentId());
}

bool PaneListener::OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId)
{
    if (!TakesAddition(topic, parentTopic, parentId))
        return false;
    QList<qint32> keys;
    keys.reserve(ids.size());
    for (const quint32 id : ids)
        keys.append(qint32(id));
    // Rows the list shows already are skipped by AddRows.
    m_host->AddRows(keys);
    return true;
}

bool PaneListener::OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                                 bool select)
{
    Q_UNUSED(after);
    Q_UNUSED(select);
    if (!TakesAddition(topic, parentTopic, parentId) || m_host->HasRow(id))
        return false;
    m_host->AddRow(id);
    return true;
}

void PaneListener::OnObjectDeleted(qint32 topic, qint32 id)
{
    if (m_host && topic == m_host->Topic())
        m_host->DeleteRowById(id);
}

void PaneListener::OnObjectChanged(qint32 topic, qint32 id)
{
    if (!m_host)
        return;
    if (topic == m_host->Topic())
        m_host->UpdateRowById(topic, id);
    else
        m_host->InvalidateTexts();   // a referenced object may read differently now
}

void PaneListener::SelectObject(qint32 topic, qint32 id, qint32 flag)
{
    Q_UNUSED(flag);
    if (m_host && m_host->m_followSelection && topic == m_host->Topic())
        m_host->SelectRow(id);
}

void CloseOnResetListener::ResetContent()
{
    if (m_host)
        QMetaObject::invokeMethod(m_host.data(), "close", Qt::QueuedConnection);
}
