#include "foundation/plaintextcache.h"

#include <QHash>

PlainTextCache::Fingerprint PlainTextCache::FingerprintOf(const QByteArray& content)
{
    // Two seeds: a change must escape two hashes and keep the size.
    const size_t first = qHash(QByteArrayView(content), size_t(0x9E3779B97F4A7C15ull));
    const size_t second = qHash(QByteArrayView(content), size_t(0xC2B2AE3D27D4EB4Full));
    return {content.size(), first ^ (second << 1 | second >> 63)};
}

PlainTextCache::EntryPtr PlainTextCache::Find(bool memo, qint32 id, const Fingerprint& fingerprint)
{
    const auto found = m_entries.find(KeyOf(memo, id));
    if (found == m_entries.end())
        return nullptr;
    if (!(found->second->fingerprint == fingerprint)) {
        Remove(found->second);
        return nullptr;
    }
    m_order.splice(m_order.begin(), m_order, found->second);
    return found->second->entry;
}

void PlainTextCache::Insert(bool memo, qint32 id, const Fingerprint& fingerprint, EntryPtr entry)
{
    Drop(memo, id);
    if (!entry || m_bytes + entry->Bytes() > m_limit)
        return;
    const quint64 key = KeyOf(memo, id);
    m_bytes += entry->Bytes();
    m_order.push_front({key, fingerprint, std::move(entry)});
    m_entries[key] = m_order.begin();
}

void PlainTextCache::Drop(bool memo, qint32 id)
{
    const auto found = m_entries.find(KeyOf(memo, id));
    if (found != m_entries.end())
        Remove(found->second);
}

void PlainTextCache::Clear()
{
    m_entries.clear();
    m_order.clear();
    m_bytes = 0;
}

void PlainTextCache::SetLimit(qsizetype limitBytes)
{
    m_limit = limitBytes;
    Trim();
}

void PlainTextCache::Remove(std::list<Slot>::iterator slot)
{
    m_bytes -= slot->entry->Bytes();
    m_entries.erase(slot->key);
    m_order.erase(slot);
}

void PlainTextCache::Trim()
{
    while (m_bytes > m_limit && !m_order.empty())
        Remove(std::prev(m_order.end()));
}
