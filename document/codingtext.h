#pragma once

// The fields of a coding that follow from its document's text, shared by
// the operations that write codings and those that repair them. Internal to
// the document; positions are rich-edit positions.

#include "foundation/richtexthelpers.h"

#include <QByteArray>

class CRichEditCtrlEx;
class FieldValue;
class RowBuffer;

/// The extent of a coding as the overlap test reads it.
struct CodingExtent {
    qint32 start;
    qint32 finish;
    qint32 x1;
    qint32 x2;
};

/// Whether two extents of one code on one page conflict. A text range has
/// no width; ranges that only touch do not conflict, one inside the other
/// always does. Rectangles conflict when they share an area or one holds
/// the other; their side edges count as shared.
bool CodingExtentsConflict(const CodingExtent& added, const CodingExtent& stored, bool range);

/// Paragraphs, area and coverage of the coding row from the paragraph
/// ranges and length of its document's text; true when any changed. Area
/// and coverage need a length; an empty text gives 0 and 0.
bool PlaceCoding(RowBuffer& row, const ParagraphMap& ranges, qint32 length);

/// The document row's own rich text: DocType 0, loaded, not empty and not a
/// reference to an external file (whose positions the file's own text
/// decides). Null otherwise; text keeps the blob alive.
const QByteArray* OwnRichText(RowBuffer& row, FieldValue& text);

/// Gives the coding row the segment's RTF, its preview, paragraphs, area and
/// coverage from the control that holds the document's text; the selection
/// of the control changes. False when the text could not be set.
bool RenewCodingSegment(RowBuffer& row, CRichEditCtrlEx& edit, const ParagraphMap& ranges, qint32 length);
