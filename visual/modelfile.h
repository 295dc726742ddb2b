#pragma once

#include "foundation/serialbuffer.h"
#include "store/oledate.h"

#include <QByteArray>
#include <QString>

/// @short The header of a model file (".mod"): name, author and date; the
/// model byte image follows it to the end of the file.
///
/// Layout: FF FE exactly when the strings are UTF-16 (else one
/// Windows-1252 byte a character, also in the image), the name and the
/// author as a 32-bit count and the characters, the date as an OLE day
/// count (float64) and a 32-bit status, then the image.
struct ModelFileHeader {
    QString Name;
    QString Author;
    OleDate Date;
};

/// Splits the bytes of a model file: the header into `header`, the image
/// into `body` (in the file's character width). False, both unchanged,
/// for a file cut short, a negative or oversized count, a date that is not
/// a finite number, or no image after the header.
bool ParseModelFile(const QByteArray& bytes, ModelFileHeader& header, SerialBuffer& body);

/// The bytes of a model file; the header uses the body's character width.
QByteArray ModelFileBytes(const ModelFileHeader& header, const SerialBuffer& body);

/// Reads the whole file. False with the system's reason, or with an empty
/// reason for a file larger than kMaxModelFileBytes.
bool ReadWholeFile(const QString& path, QByteArray& bytes, QString& reason);
/// Writes the bytes to a temporary file renamed over the path: the old
/// file stays whole on failure. False with the reason.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& reason);

/// Larger files are not model files: a model image stays far below.
inline constexpr qint64 kMaxModelFileBytes = qint64(1) << 30;
