#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

/// @short The stored form of every binary column.
///
/// A value of 50 bytes or more whose zlib stream is not longer than the
/// value is stored as "*ZIP*", the value's length (unsigned 32-bit little
/// endian) and the zlib stream; anything else is stored raw. A raw value
/// that would itself begin with "*ZIP*" is always stored compressed, so
/// that reading gives back exactly what was written.

/// Replaces the bytes by their stored form, in place. Never fails: when
/// compression does not pay, the bytes stay as they are.
void CompressBlob(QByteArray& bytes);

/// What a binary column stores for a value: NULL for an empty one, else
/// its stored form.
QVariant StoredBlobValue(const QByteArray& bytes);

/// @short A value with its stored form made ahead (any thread may make
/// one), so that writing the value compresses nothing more.
class PreparedBlob {
public:
    PreparedBlob() = default;
    explicit PreparedBlob(const QByteArray& value);
    /// The stored form (StoredBlobValue) when value is still the array this
    /// was made from, sharing its data; else null, and the writer makes it.
    const QVariant* StoredFormOf(const QByteArray& value) const;

private:
    QByteArray m_value;  // shares the data: a change of the original detaches it
    QVariant m_stored;
};

/// Sets out to the value of a stored form, exactly as it was written. A
/// compressed form whose length or stream is damaged fails with a reason
/// in error and leaves out empty; it never reads past the data.
bool DecompressBlob(const char* data, qsizetype length, QByteArray& out, QString* error = nullptr);
bool DecompressBlob(const QByteArray& stored, QByteArray& out, QString* error = nullptr);

/// The value of a blob read in its stored form (ReadStoredBlob), as reading
/// the row gives it; touches nothing else, so any thread may call it. False
/// for what only reading the row can give: a damaged form (reading the row
/// reports it) and a reference to external content.
bool DecodeStoredBlob(const QByteArray& stored, QByteArray& value);
