#pragma once

#include <QString>
#include <QStringView>

#include <cstring>
#include <vector>

/// @short Words and their counts, as word counting fills them.
///
/// Open addressing over a power of two with FNV-1a over the UTF-16 units:
/// counting millions of words asks this table once per word, and a word
/// already present costs no allocation (a QHash<QString> key would cost a
/// string per word and a slower hash). Words are compared unit by unit, as
/// they were lower-cased before counting.
class WordCounts {
public:
    /// The count of a word; a new word enters with 0.
    qint32& operator[](QStringView word)
    {
        if (size_t(m_used + 1) * 2 > m_slots.size())
            Grow();
        const quint64 hash = Hash(word);
        Slot& slot = m_slots[Find(word, hash)];
        if (!slot.used) {
            slot = {word.toString(), hash, 0, true};
            ++m_used;
        }
        return slot.count;
    }
    bool contains(QStringView word) const { return !m_slots.empty() && m_slots[Find(word, Hash(word))].used; }
    qint32 value(QStringView word, qint32 fallback = 0) const
    {
        if (m_slots.empty())
            return fallback;
        const Slot& slot = m_slots[Find(word, Hash(word))];
        return slot.used ? slot.count : fallback;
    }
    qsizetype size() const { return m_used; }
    bool isEmpty() const { return m_used == 0; }
    void clear()
    {
        m_slots.clear();
        m_used = 0;
    }
    /// visit(const QString& word, qint32 count) for every word, in no order.
    template <typename Visit>
    void ForEach(Visit visit) const
    {
        for (const Slot& slot : m_slots) {
            if (slot.used)
                visit(slot.word, slot.count);
        }
    }
    friend bool operator==(const WordCounts& a, const WordCounts& b)
    {
        if (a.m_used != b.m_used)
            return false;
        for (const Slot& slot : a.m_slots) {
            if (slot.used && (!b.contains(slot.word) || b.value(slot.word) != slot.count))
                return false;
        }
        return true;
    }

private:
    struct Slot {
        QString word;
        quint64 hash = 0;
        qint32 count = 0;
        bool used = false;
    };

    static quint64 Hash(QStringView word)
    {
        quint64 hash = 14695981039346656037ull;
        for (const QChar c : word)
            hash = (hash ^ c.unicode()) * 1099511628211ull;
        return hash;
    }
    /// The slot of the word, or the free slot where it would go; the table
    /// is never full.
    size_t Find(QStringView word, quint64 hash) const
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (!slot.used)
                return i;
            if (slot.hash == hash && slot.word.size() == word.size() &&
                std::memcmp(slot.word.constData(), word.data(), size_t(word.size()) * sizeof(QChar)) == 0)
                return i;
        }
    }
    void Grow()
    {
        std::vector<Slot> old(std::max<size_t>(m_slots.size() * 2, 64));
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (Slot& slot : old) {
            if (!slot.used)
                continue;
            size_t i = slot.hash & mask;
            while (m_slots[i].used)
                i = (i + 1) & mask;
            m_slots[i] = std::move(slot);
        }
    }

    std::vector<Slot> m_slots;
    qsizetype m_used = 0;
};
