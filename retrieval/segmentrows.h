#pragma once

// The retrieval functions on rows of collected codings. Every rule compares
// rows of one document and one page only: the rows are grouped by
// (document, page), sorted by start within a group and swept, so the work
// grows with the rows and the pairs that meet, never with all pairs.
// Row order in and out is the caller's order unless a function says so.

#include "foundation/segmentarray.h"

#include <cstddef>

namespace retrieval {

/// Sort keys of the retrieved segments.
enum SortKey : qint32 { ByDocument = 1, ByCode = 2, ByWeight = 3 };

/// Variants of the functions that relate rows to a code's rows (P).
enum PairVariant : qint32 { OutputP = 0, OutputR = 1, OutputPThenR = 2 };

/// Room for `expected` rows now; from then on the room doubles whenever it
/// must grow, so that filling any number of rows copies each about once.
void ReserveRows(CSegmentArray& rows, qsizetype expected);

/// What makes two rows the same segment.
struct SegmentKey {
    qint32 document, page, code, start, end;
    bool operator==(const SegmentKey&) const = default;
};
struct SegmentKeyHash {
    size_t operator()(const SegmentKey& key) const;
};

/// The half-open ranges share a character; ranges with equal starts
/// overlap as soon as either is not empty.
bool RangesOverlap(qint32 aStart, qint32 aEnd, qint32 bStart, qint32 bEnd);
/// Same document and page, and the ranges overlap.
bool RowsOverlap(const CSegmentRow& a, const CSegmentRow& b);

/// Stable sort by key (other keys leave the rows); the coding id breaks
/// the last ties, so equal rows always come out in one order.
void SortRows(CSegmentArray& rows, qint32 key);

/// Keeps the first of rows with equal document, page, code, start and end.
void RemoveDuplicateRows(CSegmentArray& rows);

/// Functions 1, 2 and 4: every set of `chainLength` rows of different
/// codes in one document and page with a common range. Each set gives a
/// copy of its first row (in row order) with the common range as start and
/// end and the union as outer start and end. Fewer than 2 gives nothing.
void BuildIntersections(const CSegmentArray& rows, qint32 chainLength, CSegmentArray& result);

/// Function 3: the rows that overlap no row of another code, in order.
void RemoveOverlappingRows(const CSegmentArray& rows, CSegmentArray& result);

/// Moves the rows of code (in order) out of rows into pRows, their code
/// order made positive.
void TakeCodeRows(CSegmentArray& rows, qint32 code, CSegmentArray& pRows);

/// Function 5: the rows of code that overlap no other row; code's rows
/// leave rows.
void RetrieveOnlyCode(CSegmentArray& rows, qint32 code, CSegmentArray& result);
/// Function 6: for each row P of code and each other row R inside it.
void RetrieveEnclosing(CSegmentArray& rows, qint32 code, qint32 variant, CSegmentArray& result);
/// Function 7: the rows that overlap no row of code; code's rows never
/// belong to the result.
void RetrieveNotOverlapping(CSegmentArray& rows, qint32 code, CSegmentArray& result);
/// Function 8: rows R followed within distance paragraphs by a row P of code.
void RetrieveFollowing(CSegmentArray& rows, qint32 code, qint32 distance, qint32 variant, CSegmentArray& result);
/// Function 9: rows R within distance paragraphs of a row P of code (0 when
/// they overlap or touch).
void RetrieveNear(CSegmentArray& rows, qint32 code, qint32 distance, qint32 variant, CSegmentArray& result);

}  // namespace retrieval
