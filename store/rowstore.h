#pragma once

#include <QtGlobal>

#include <thread>

/// @short The packed rows of a topic table: one block of memory that grows
/// by half when full.
///
/// A large project holds hundreds of megabytes of rows. Filled page by page
/// that memory costs more than reading the rows from the file, so large
/// blocks are mapped on their own and asked for huge pages where the system
/// offers them; small ones come from the heap. The kernel zeroes each new
/// page on its first touch, which costs as much again: a large block is
/// faulted in by a helper thread while its owner fills it.
class RowStore {
public:
    RowStore() = default;
    ~RowStore();
    RowStore(const RowStore& other);
    RowStore& operator=(const RowStore& other);
    RowStore(RowStore&& other) noexcept;
    RowStore& operator=(RowStore&& other) noexcept;

    char* data() { return m_data; }
    const char* constData() const { return m_data; }
    qsizetype size() const { return m_size; }
    qsizetype capacity() const { return m_capacity; }

    /// Room for this many bytes in all; the contents stay.
    void reserve(qsizetype bytes);
    /// Appends zero bytes, growing by half when full.
    void appendZeros(qsizetype bytes);
    void append(const char* bytes, qsizetype count);
    /// Empties the store and gives its memory back.
    void clear();

private:
    void Grow(qsizetype needed);
    /// Grows a mapped block in place of copying it; false when the system
    /// refuses.
    bool GrowMapping(qsizetype bytes);
    void Release();
    /// Waits for the helper that faults the block in; the block must not be
    /// unmapped or handed over before.
    void JoinPrefault();

    char* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
    void* m_mapping = nullptr;  // the mapped block holding m_data; null when from the heap
    size_t m_mappedBytes = 0;
    std::thread m_prefault;
};
