#pragma once

// Helpers on rich-edit texts and RTF bytes: paragraph maps, previews of a
// range, the hidden control that loads documents, and the clean-up of
// hyperlink fields. Positions are rich-edit positions (UTF-16 units of the
// control's text, counted as platform/rtf/richtextmap.h describes).

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class CRichEditCtrlEx;

/// Character positions of one text, two shapes (see the functions).
using ParagraphMap = QList<qint32>;

/// Pairs (start, end) of every paragraph, empty ones included, in text
/// order. Each paragraph but the last ends at the start of the next one (its
/// paragraph end included); the last ends at text length - 1, so a text
/// ending in a paragraph end has a last pair (length, length - 1). Empty for
/// an empty text. Pair n - 1 is paragraph n, as paragraph numbers in stored
/// positions count them.
ParagraphMap GetParagraphBounds(const CRichEditCtrlEx& edit);
/// The position of every paragraph end (CR), in text order.
ParagraphMap GetParagraphBreaks(const CRichEditCtrlEx& edit);
/// Pairs (start, end) of the paragraphs a reader sees: leading paragraph
/// ends skipped; a paragraph ends at its paragraph end, the last at text
/// length - 1. Empty paragraphs are dropped, and so is a paragraph whose
/// start lies on the same laid-out line as the next one's: the row marks
/// and the cells side by side of a table, and a paragraph of hidden text
/// only, which takes no room.
ParagraphMap GetParagraphRanges(const CRichEditCtrlEx& edit);
/// The paragraph number (from 1) of a position in a map of
/// GetParagraphRanges or GetParagraphBounds; 1 for a map of fewer than two
/// pairs, 0 when no pair holds it. boundsMode is the rule for a start
/// position: a pair holds positions from the previous pair's end (0 for the
/// first) up to its own end. Otherwise (an end position) a pair holds
/// positions from its start up to the next pair's start. Both limits are
/// inclusive, so the first matching pair wins on a boundary. The pair is
/// found by halving, so starts and ends must not decrease; only the last
/// end may (the bounds of a text that ends in a paragraph end).
int ParagraphOfPosition(qint32 position, bool boundsMode, const ParagraphMap& map);

/// The control's text from start up to (not including) end, cleaned for a
/// preview (CleanPreviewText) to at most maxLength units (no limit when
/// negative); empty without a control.
QString GetRichEditTextRange(const CRichEditCtrlEx* edit, int start, int end, int maxLength);

/// A window-less control for loading, searching and measuring documents:
/// laid out at 500 pixels, default format Arial 10 pt. Owned by the caller.
std::unique_ptr<CRichEditCtrlEx> CreateHiddenRichEdit();
/// The plain text of RTF loaded into the control (null or empty RTF
/// empties it): line breaks as LF, vertical tabs removed.
QString RtfPlainText(CRichEditCtrlEx& edit, const QByteArray* rtf);

/// Replaces every hyperlink field {\field{\*\fldinst{HYPERLINK ...}}
/// {\fldrslt{shown}}} by its shown text in a group of its own, so its
/// formatting (the link's underline) ends with it. With blankMediaLinks, the
/// shown text of a media link (an instruction with "file=" and "time=")
/// loses its underline and its visible characters become blanks. A field
/// whose braces do not balance, and everything after it, stays as it is.
/// True when a field was replaced.
bool RemoveRtfHyperlinkFields(QByteArray& rtf, bool blankMediaLinks);

/// Mends the hyperlink instructions of RTF from other programs: a CR LF
/// inside the word HYPERLINK is removed, and an instruction keeps only
/// HYPERLINK and its quoted target (switches after it go). The bytes change
/// only when an instruction was shortened; then the result is true.
bool TrimRtfHyperlinkInstructions(QByteArray& rtf);

/// Applies TrimRtfHyperlinkInstructions to the clipboard's "text/rtf". Every
/// other format on the clipboard is kept. True when the clipboard changed.
bool CleanClipboardRtfLinks();
