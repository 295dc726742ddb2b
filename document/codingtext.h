#pragma once

// The fields of a coding that follow from its document's text, shared by
// the operations that write codings and those that repair them. Internal to
// the document; positions are rich-edit positions.

#include "foundation/richtexthelpers.h"

#include <QByteArray>

class CRichEditCtrlEx;
class FieldValue;
class RowBuffer;

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
