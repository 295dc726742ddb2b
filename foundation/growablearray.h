#pragma once

#include <QtGlobal>

#include <algorithm>
#include <initializer_list>
#include <vector>

/// @short A growable array of plain records with the program's growth rule.
///
/// When the array must grow and no step was set, the room grows by the
/// current count / 8, at least 4 and at most 1024 records, or to the
/// requested size when that is larger; the first allocation takes exactly
/// the requested size. New records are default records of T. Setting the
/// size to 0 frees the room. An array told to grow geometrically at least
/// doubles its room instead, so that filling it with n records copies each
/// about once, whatever n is.
template <typename T>
class CGrowableArray {
public:
    CGrowableArray() = default;
    /// Exactly these records, with room for them alone.
    CGrowableArray(std::initializer_list<T> items) : m_items(items) {}

    qsizetype GetSize() const { return qsizetype(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    /// Records the room holds before it must grow again.
    qsizetype GetCapacity() const { return qsizetype(m_items.capacity()); }

    /// growBy > 0 fixes the growth step from now on; -1 keeps it.
    void SetSize(qsizetype size, qsizetype growBy = -1)
    {
        if (growBy > 0)
            m_growBy = growBy;
        if (size <= 0) {
            RemoveAll();
            return;
        }
        MakeRoom(size);
        m_items.resize(size_t(size));
    }
    /// From now on the room at least doubles whenever it must grow.
    void GrowGeometrically() { m_geometric = true; }
    /// Room for count records at once (never less room than now).
    void Reserve(qsizetype count)
    {
        if (count > GetCapacity())
            m_items.reserve(size_t(count));
    }
    /// No records, the room kept for filling the array again.
    void Clear() { m_items.clear(); }
    /// Appends a copy; the index of the new record.
    qsizetype Add(const T& item)
    {
        MakeRoom(GetSize() + 1);
        m_items.push_back(item);
        return GetSize() - 1;
    }
    void RemoveAt(qsizetype index, qsizetype count = 1)
    {
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    }
    void RemoveAll() { std::vector<T>().swap(m_items); }

    T& operator[](qsizetype index) { return m_items[size_t(index)]; }
    const T& operator[](qsizetype index) const { return m_items[size_t(index)]; }
    T* GetData() { return m_items.data(); }
    const T* GetData() const { return m_items.data(); }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    void MakeRoom(qsizetype size)
    {
        const qsizetype capacity = GetCapacity();
        if (size <= capacity)
            return;
        if (capacity == 0) {
            m_items.reserve(size_t(std::max(size, m_growBy)));
            return;
        }
        qsizetype step = m_growBy > 0 ? m_growBy : std::clamp<qsizetype>(GetSize() / 8, 4, 1024);
        if (m_geometric)
            step = std::max(step, capacity);
        m_items.reserve(size_t(std::max(size, capacity + step)));
    }

    std::vector<T> m_items;
    qsizetype m_growBy = 0;
    bool m_geometric = false;
};
