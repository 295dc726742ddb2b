#include "document/sortorders.h"

#include <initializer_list>

namespace {

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

/// The first non-zero result, else 0.
int FirstOf(std::initializer_list<int> results)
{
    for (const int result : results) {
        if (result)
            return result;
    }
    return 0;
}

/// Page, then start: the position of a row inside its document.
int ComparePlace(const CSegmentRow& a, const CSegmentRow& b)
{
    return FirstOf({Order(a.page, b.page), Order(a.start, b.start)});
}

qint32 WordAt(std::span<const qint32> row, size_t index)
{
    return index < row.size() ? row[index] : 0;
}

/// The total tie-break of word rows: every word, then the length.
int CompareWholeRows(std::span<const qint32> a, std::span<const qint32> b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (const int result = Order(a[i], b[i]))
            return result;
    }
    return Order(a.size(), b.size());
}

int CompareWords(std::span<const qint32> a, std::span<const qint32> b, std::initializer_list<size_t> words)
{
    for (const size_t word : words) {
        if (const int result = Order(WordAt(a, word), WordAt(b, word)))
            return result;
    }
    return CompareWholeRows(a, b);
}

}  // namespace

int CompareSegmentsByDocument(const CSegmentRow& a, const CSegmentRow& b)
{
    if (a.document != b.document)
        return FirstOf({Order(a.documentOrder, b.documentOrder), Order(b.document, a.document)});
    if (a.code == b.code)
        return FirstOf({ComparePlace(a, b), Order(a.coding, b.coding)});
    // Codes of equal order (new codes all keep order 0) still come apart.
    return FirstOf({Order(a.codeOrder, b.codeOrder), Order(a.code, b.code), ComparePlace(a, b),
                    Order(a.coding, b.coding)});
}

int CompareSegmentsByCode(const CSegmentRow& a, const CSegmentRow& b)
{
    if (a.code != b.code)
        return FirstOf({Order(a.codeOrder, b.codeOrder), Order(b.code, a.code)});
    // Rows of one document share its order, so comparing it whether or not
    // the documents differ is the same order, and stays transitive.
    return FirstOf({Order(a.documentOrder, b.documentOrder), ComparePlace(a, b), Order(a.document, b.document),
                    Order(a.coding, b.coding)});
}

int CompareSegmentsByWeight(const CSegmentRow& a, const CSegmentRow& b)
{
    return FirstOf({Order(b.weight, a.weight), Order(a.documentOrder, b.documentOrder), ComparePlace(a, b),
                    Order(a.document, b.document), Order(a.codeOrder, b.codeOrder), Order(a.code, b.code),
                    Order(a.coding, b.coding)});
}

int CompareTimeMarks(std::span<const qint32> a, std::span<const qint32> b)
{
    return CompareWords(a, b, {1});
}

int CompareChartRows(std::span<const qint32> a, std::span<const qint32> b)
{
    // Highest first: the arguments change places.
    if (const int count = Order(WordAt(b, 29), WordAt(a, 29)))
        return count;
    return CompareWholeRows(a, b);
}

int CompareWordHits(std::span<const qint32> a, std::span<const qint32> b)
{
    return CompareWords(a, b, {0, 6, 3});
}

int CompareWordHitsByCategory(std::span<const qint32> a, std::span<const qint32> b)
{
    return CompareWords(a, b, {7, 0});
}

int CompareIdPairs(quint32 firstA, quint32 secondA, quint32 firstB, quint32 secondB)
{
    return FirstOf({Order(firstA, firstB), Order(secondA, secondB)});
}

int CompareUnsigned(quint32 a, quint32 b)
{
    return Order(a, b);
}

int CompareStrings(const QString& a, const QString& b)
{
    const int result = QString::compare(a, b, Qt::CaseSensitive);
    return Order(result, 0);
}
