#pragma once

// RTF bytes -> QTextDocument. Reads untrusted input: broken, cut or hostile
// RTF gives the text that could be read (damaged set) or a clear failure,
// in time and memory linear in the input.

#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace rtf {

struct ReadResult {
    /// False when the bytes are not RTF at all; nothing was changed then.
    bool ok = false;
    /// The input was cut or malformed (unbalanced braces, bad \bin, ...);
    /// the document holds what could be read.
    bool damaged = false;
    QString error;
};

/// True when the bytes begin (after blanks) with "{\rtf".
bool IsRtf(const QByteArray& bytes);

/// Replaces the whole document. The last paragraph mark of the RTF ends the
/// text and adds no paragraph (see richtextmap.h). Undo history is cleared.
ReadResult ReadRtf(const QByteArray& bytes, QTextDocument& document);

/// Inserts RTF at the cursor, replacing its selection; every paragraph mark
/// of the RTF is inserted. The cursor ends after the inserted text.
ReadResult InsertRtf(const QByteArray& bytes, QTextCursor& cursor);

}  // namespace rtf
