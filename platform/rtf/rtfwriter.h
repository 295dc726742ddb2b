#pragma once

// QTextDocument -> RTF, in the dialect rich-edit controls write
// (\rtf1\ansi\ansicpg1252\deff0, \viewkind4\uc1, \pard ... \par). Reading
// what it writes gives the same text, positions and formats; the output
// depends on the document only, so writing again gives the same bytes.

#include <QByteArray>

class QTextDocument;

namespace rtf {

struct WriteOptions {
    /// False: every picture is written as one blank, as rich-edit's "RTF
    /// without objects" does, so positions stay the same.
    bool withObjects = true;
};

/// The whole document; every paragraph ends with \par (the last one's
/// marks the end of the text, see richtextmap.h).
QByteArray WriteRtf(const QTextDocument& document, const WriteOptions& options = {});

/// The cursor positions from..to (a selection): a paragraph end inside the
/// range is written as \par, a cut-off last paragraph without one. A range
/// inside one table cell is written as plain paragraphs, without its row;
/// one across cells keeps its rows and cells. Empty when the range is empty.
QByteArray WriteRtf(const QTextDocument& document, int from, int to, const WriteOptions& options = {});

}  // namespace rtf
