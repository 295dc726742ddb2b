#pragma once

#include "store/fielddescriptor.h"
#include "store/oledate.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

class PreparedBlob;
class RowBuffer;

/// @short A field's descriptor with the place of its value inside a row.
///
/// The value bytes belong to the row buffer (or other block) it was made
/// from and are valid only while that row stays attached. Without a place
/// every operation does nothing and formatting gives an empty text. Texts
/// are read and written in the default QLocale (the user's locale);
/// numbers are always written and read with "." as decimal point.
class FieldValue : public FieldDescriptor {
public:
    static constexpr qsizetype kBufferUnits = 1024;  ///< display buffers: at most 1023 units

    FieldValue() = default;
    /// A value at data, which must hold Size bytes; blobs need the buffer.
    FieldValue(const FieldDescriptor& descriptor, char* data, RowBuffer* buffer = nullptr)
        : FieldDescriptor(descriptor), m_data(data), m_buffer(buffer)
    {
    }

    bool IsAvailable() const { return m_data != nullptr; }
    char* Data() const { return m_data; }

    /// Display text: integers "%d", reals "%g", dates as FormatDateText,
    /// booleans "1" or empty, blobs and memos empty.
    QString Format() const;
    /// The same as built into display buffers (lists, templates): reals
    /// with two decimals, cut to 1023 units.
    QString FormatToBuffer() const;
    /// Stores a typed text: leading digits for integers (0 when none),
    /// texts cut to their capacity, reals by their leading number, dates by
    /// ParseDateText (an empty text makes the date null), booleans true
    /// unless empty or 0. A date that does not parse becomes null and gives
    /// false, as does a type that takes no text.
    bool Parse(const QString& text);
    /// -1, 0 or 1; values of different types compare equal. Empty texts
    /// sort after all others; texts by locale collation ignoring case.
    int Compare(const FieldValue& other) const;
    /// -1, 0 or 1 against a text read by the same type.
    int CompareWithText(const QString& text) const;

    /// A typed text in the form the type stores it.
    static QString NormaliseText(qint32 type, const QString& text);
    /// The form used for conditions on variables.
    static QString CanonicalText(qint32 type, const QString& text);

    /// The form kept in sys_Values, which Parse reads back to the same
    /// value: reals with 17 significant digits, dates with seconds.
    QString ToStorageText() const;

    /// The value as a database column holds it: integer, text, real, REAL
    /// OLE days (NULL unless valid), or for blobs the stored form of
    /// CompressBlob (NULL when empty; the reference for external content).
    /// False when there is nothing to write: no place, a memo, an unknown
    /// type, or a blob that was not loaded.
    bool ToColumnValue(QVariant& out) const;
    /// Stores a column's value. NULL reads as 0, empty, a null date or an
    /// empty loaded blob; a text that is wholly a number (or, for a date,
    /// a date) is read as one. A value that does not fit the type (other
    /// text in a number, a fraction or an out-of-range number in an
    /// integer, binary data outside a blob, a damaged blob) fails with a
    /// reason and leaves the field unchanged.
    bool FromColumnValue(const QVariant& stored, QString* error = nullptr);

    // Typed access; getters give 0 or empty and setters false for a field
    // of another type or without a place.
    qint32 GetInt() const;
    bool SetInt(qint32 value);
    double GetReal() const;
    bool SetReal(double value);
    QString GetText() const;
    bool SetText(QStringView text);  ///< cut to the capacity
    OleDate GetDate() const;
    bool SetDate(const OleDate& date);
    /// The blob, or null when it was not loaded.
    const QByteArray* GetBlob() const;
    /// Stores a blob in the row buffer; it counts as loaded from now on.
    bool SetBlob(const QByteArray& bytes);
    /// The same, with the stored form when prepared was made from bytes.
    bool SetBlob(const QByteArray& bytes, const PreparedBlob& prepared);
    /// The same, with the stored form this value was read in from a file
    /// (TopicTable::ReadStoredBlob): written as it is, not compressed anew.
    bool SetBlobWithStoredForm(const QByteArray& bytes, const QByteArray& stored);
    /// Content read from an external file in place of the stored reference
    /// ("EXTERN:" and the file's path): the blob reads as the content, and
    /// a record write stores the reference again. SetBlob drops the
    /// reference (the content then belongs to the project).
    bool SetExternalContent(const QByteArray& content, const QByteArray& reference);
    /// The stored reference of content read from an external file, or null.
    const QByteArray* GetExternalReference() const;
    /// Back to "not loaded": a record write leaves the column as it is.
    bool ClearBlob();

private:
    char* m_data = nullptr;
    RowBuffer* m_buffer = nullptr;
};
