#pragma once

// Coloured character ranges of one document view and their merge into
// ranges that do not overlap: the document browser colours coded text with
// them, the visual tools draw their stripes with them.

#include "foundation/colorhelpers.h"
#include "foundation/growablearray.h"

#include <QtGlobal>

/// One character range with an owner and a colour; five 32-bit fields, 20
/// bytes. A record with end < start is empty: it covers nothing and the
/// merge passes it through unchanged.
struct SegmentRecord {
    qint32 owner = 0;          ///< what the range belongs to; 0 none, -1 several after a merge
    qint32 start = 0;          ///< first position
    qint32 end = 0;            ///< last position, inclusive
    qint32 priority = 0;       ///< of two records with the same range the higher wins; 0 in merged pieces
    COLORREF colour = kNoColor;  ///< kNoColor: uncoloured
};
static_assert(sizeof(SegmentRecord) == 20);

/// New records (SetSize) start zeroed with colour kNoColor.
using SegmentRecordArray = CGrowableArray<SegmentRecord>;

/// True when a record has exactly this owner and start.
bool ContainsSegmentKey(const SegmentRecordArray& records, qint32 owner, qint32 start);

/// Turns overlapping records into records that do not overlap. Two records
/// overlap when one lies inside the other or when they share two positions
/// or more; records that share only their boundary position (an end equal
/// to the other's start) stay as they are.
///
/// With mix: of records with the same range only those of the highest
/// priority stay; then each overlapping pair is cut into the part before the
/// later start, the common part and the part after the earlier end. The
/// common part takes the mean of both colours (the one colour when only one
/// is coloured) and the owner of both when they agree, the non-zero one when
/// the other is 0, else -1; the outer parts keep their record's owner and
/// colour. Pairs are taken in list order, first to last, and the scan
/// starts again after every cut, so with three records overlapping the
/// colours mix in that order.
/// Without mix and without keepUncoloured: coloured records stay as they are
/// and cut away the parts of uncoloured records they overlap. Without mix
/// and with keepUncoloured the records are not merged.
/// Finally the records are sorted by start (records with equal starts keep
/// their order). Always true.
bool MergeSegmentRecords(bool keepUncoloured, bool mix, SegmentRecordArray& records);
