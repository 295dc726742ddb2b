#pragma once

// Lanes and labels of the coding stripes, and how an edit of the text moves
// the stripes, memos, links and time marks anchored in it. Plain data in,
// plain data out: the browser window measures the text and calls these.

#include "browser/browseritems.h"

#include <QList>

/// Gives every live, visible stripe a lane from 1 so that stripes whose
/// extents [firstLine, lastLine] meet (bounds inclusive) and that share a
/// group key never share a lane: each stripe, in order of its first line
/// (array order among equal ones), takes the lowest lane whose previous
/// stripe ended before it. Deleted and invisible stripes get lane 0.
/// Returns the number of lanes.
///
/// The group key is PosX1 for tables (byTableRow), Page for the others.
int LayoutStripeLanes(QList<StripeItem>& stripes, bool byTableRow);

/// Moves labels of on-screen stripes (bottom >= 0) apart so that no two lie
/// within one label height, pushing later ones down, and gives each label
/// the highest lane of the stripes its band crosses.
void ResolveStripeLabels(QList<StripeItem>& stripes, int labelHeight);

/// What an edit of the text changed.
struct EditEffect {
    bool stripes = false;
    bool memos = false;
    bool links = false;
    bool marks = false;
};

/// Applies one change of the text to the anchored items: `removed`
/// positions at `position` were replaced by `added` new ones. A change that
/// keeps the length (formatting, typing over a selection of the same
/// length) moves nothing and marks the stripes it touches edited. Any
/// other change is a deletion of [position, position + removed) followed by
/// an insertion of `added` positions at `position`:
///
/// - deletion: items inside the range are deleted (stripes, links, marks);
///   memos inside move to its start; items that overlap it shrink; items
///   after it move back;
/// - insertion: items starting at or after the point move; stripes and
///   links that hold the point inside (or end at it, for stripes) grow.
///
/// Every item that changed gets EditFlag::Edited, deleted ones also
/// EditFlag::Deleted. Deleted items stay in their lists until written back.
EditEffect TrackTextEdit(QList<StripeItem>& stripes, QList<InTextMemoItem>& memos, QList<LinkItem>& links,
                         QList<TimeMarkItem>* marks, int position, int removed, int added);
