#include "store/rowstore.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// Blocks from this size on are mapped on their own, aligned for huge pages.
constexpr qsizetype kMappedFrom = qsizetype(4) << 20;
constexpr size_t kHugePage = size_t(2) << 20;

}  // namespace

RowStore::~RowStore()
{
    Release();
}

RowStore::RowStore(const RowStore& other)
{
    append(other.m_data, other.m_size);
}

RowStore& RowStore::operator=(const RowStore& other)
{
    if (this != &other) {
        clear();
        append(other.m_data, other.m_size);
    }
    return *this;
}

RowStore::RowStore(RowStore&& other) noexcept
{
    *this = std::move(other);
}

RowStore& RowStore::operator=(RowStore&& other) noexcept
{
    if (this != &other) {
        Release();
        other.JoinPrefault();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_mapping = std::exchange(other.m_mapping, nullptr);
        m_mappedBytes = std::exchange(other.m_mappedBytes, 0);
    }
    return *this;
}

void RowStore::reserve(qsizetype bytes)
{
    if (bytes <= m_capacity)
        return;
    if (m_mapping && GrowMapping(bytes))
        return;
    char* data = nullptr;
    void* mapping = nullptr;
    size_t mappedBytes = 0;
    qsizetype capacity = bytes;
    if (bytes >= kMappedFrom) {
        // Whole huge pages, at a huge-page boundary: map one page more and
        // start at the first boundary inside.
        capacity = qsizetype((size_t(bytes) + kHugePage - 1) / kHugePage * kHugePage);
        mappedBytes = size_t(capacity) + kHugePage;
        mapping = mmap(nullptr, mappedBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = (reinterpret_cast<quintptr>(mapping) + kHugePage - 1) & ~quintptr(kHugePage - 1);
        data = reinterpret_cast<char*>(start);
        // A hint; without it pages stay small. The whole mapping, so that it
        // stays one mapping that GrowMapping can move.
        madvise(mapping, mappedBytes, MADV_HUGEPAGE);
    } else {
        data = static_cast<char*>(std::malloc(size_t(bytes)));
        if (!data)
            throw std::bad_alloc();
    }
    if (m_size > 0)
        std::memcpy(data, m_data, size_t(m_size));
    const qsizetype size = m_size;
    Release();
    m_data = data;
    m_size = size;
    m_capacity = capacity;
    m_mapping = mapping;
    m_mappedBytes = mappedBytes;
    if (mapping) {
        // Faulting pages in leaves their contents alone, so the owner may
        // write meanwhile; without kernel support this is a no-op.
        const size_t touched = size_t(size) & ~size_t(4095);
        m_prefault = std::thread([start = data + touched, bytes = size_t(capacity) - touched] {
            madvise(start, bytes, MADV_POPULATE_WRITE);
        });
    }
}

void RowStore::JoinPrefault()
{
    if (m_prefault.joinable())
        m_prefault.join();
}

bool RowStore::GrowMapping(qsizetype bytes)
{
    // The kernel moves the pages instead of copying them: growing a block of
    // hundreds of megabytes (the first row added after opening a large
    // project) costs no more than the rows added.
    JoinPrefault();  // it works on the addresses the block may leave
    const qsizetype capacity = qsizetype((size_t(bytes) + kHugePage - 1) / kHugePage * kHugePage);
    const size_t offset = size_t(m_data - static_cast<char*>(m_mapping));
    const size_t mappedBytes = size_t(capacity) + kHugePage;
    void* mapping = mremap(m_mapping, m_mappedBytes, mappedBytes, MREMAP_MAYMOVE);
    if (mapping == MAP_FAILED)
        return false;  // copied into a new block instead
    m_mapping = mapping;
    m_mappedBytes = mappedBytes;
    m_data = static_cast<char*>(mapping) + offset;
    m_capacity = qsizetype(mappedBytes - offset);
    madvise(mapping, mappedBytes, MADV_HUGEPAGE);
    return true;
}

void RowStore::Grow(qsizetype needed)
{
    if (needed > m_capacity)
        reserve(qMax(needed, m_capacity + m_capacity / 2));
}

void RowStore::appendZeros(qsizetype bytes)
{
    Grow(m_size + bytes);
    std::memset(m_data + m_size, 0, size_t(bytes));
    m_size += bytes;
}

void RowStore::append(const char* bytes, qsizetype count)
{
    if (count <= 0)
        return;
    Grow(m_size + count);
    std::memcpy(m_data + m_size, bytes, size_t(count));
    m_size += count;
}

void RowStore::clear()
{
    Release();
}

void RowStore::Release()
{
    JoinPrefault();
    if (m_mapping)
        munmap(m_mapping, m_mappedBytes);
    else
        std::free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_mapping = nullptr;
    m_mappedBytes = 0;
}
