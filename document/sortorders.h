#pragma once

// The comparisons with which the document and its callers order result
// rows and lists. Each returns a negative number, 0 or a positive number and
// ends in a total tie-break, so that rows that agree in every sort key never
// come out in an arbitrary order and an unstable sort gives one result.

#include "foundation/segmentarray.h"

#include <QString>

#include <span>

/// Rows of different documents by document order, then document id highest
/// first; within a document, rows of one code by page, then start; rows of
/// different codes by code order. Ties: code order, code id, page, start,
/// coding id.
int CompareSegmentsByDocument(const CSegmentRow& a, const CSegmentRow& b);
/// Rows of different codes by code order, then code id highest first; then
/// different documents by document order; then page, then start. Ties:
/// document id, coding id.
int CompareSegmentsByCode(const CSegmentRow& a, const CSegmentRow& b);
/// Weight highest first; then different documents by document order; then
/// page, then start. Ties: document id, code order, code id, coding id.
int CompareSegmentsByWeight(const CSegmentRow& a, const CSegmentRow& b);

/// Word rows of the lists that travel as arrays of 32-bit words. Each
/// comparison reads only the words it names; a shorter row than it needs
/// compares as if the missing words were 0. After the named words every
/// comparison goes on over the whole row, word by word, then by length.

/// Media-mark entries (mark id, StartChar, 0, 0, begin ms, end ms, 0) by
/// StartChar.
int CompareTimeMarks(std::span<const qint32> a, std::span<const qint32> b);
/// Rows of the code-by-document counts by their thirtieth word (index 29),
/// highest first.
int CompareChartRows(std::span<const qint32> a, std::span<const qint32> b);
/// Hits of the category word search by their first word, then the seventh,
/// then the fourth.
int CompareWordHits(std::span<const qint32> a, std::span<const qint32> b);
/// The same hits by their eighth word, then their first.
int CompareWordHitsByCategory(std::span<const qint32> a, std::span<const qint32> b);

/// Pairs of 32-bit values by the first, then the second.
int CompareIdPairs(quint32 firstA, quint32 secondA, quint32 firstB, quint32 secondB);
int CompareUnsigned(quint32 a, quint32 b);
/// Case-sensitive, by UTF-16 units.
int CompareStrings(const QString& a, const QString& b);
