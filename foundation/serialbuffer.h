#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// @short The compact byte image of objects in memory.
///
/// A writer measures what it will write (the SizeOf functions, summed by the
/// caller), reserves exactly that room once and writes; a reader walks the
/// same sequence. One cursor serves writing and reading. Integers and floats
/// are 32-bit little-endian; a string is a 32-bit count of characters
/// followed by the characters: UTF-16 units in UTF-16 mode (the default),
/// else one Windows-1252 byte each (images of older files); arrays are a
/// 32-bit count followed by the elements.
///
/// Every read checks the stored count against the bytes left before it
/// allocates, so a damaged or hostile image fails the read: it never reads
/// past the end and never allocates more than the image could hold.
class SerialBuffer {
public:
    SerialBuffer() = default;
    /// A buffer over existing bytes, ready for reading from the start.
    explicit SerialBuffer(const QByteArray& bytes) : m_data(bytes) {}

    static constexpr qint64 SizeOfInt() { return 4; }
    static constexpr qint64 SizeOfByte() { return 1; }
    static constexpr qint64 SizeOfFloat() { return 4; }
    /// The UTF-16 size, whatever the mode of a buffer.
    static qint64 SizeOfString(const QString& text) { return 4 + 2 * qint64(text.size()); }
    static qint64 SizeOfIntArray(const QList<qint32>& values) { return 4 + 4 * qint64(values.size()); }
    static qint64 SizeOfStringArray(const QStringList& texts);
    /// The framework's count form: 16 bits, or 0xFFFF followed by 32 bits
    /// for counts from 65535 on.
    static constexpr qint64 SizeOfArchiveCount(qint64 count) { return count < kWideArchiveCount ? 2 : 6; }

    /// Sizes the buffer to `size` raised to a multiple of 16 bytes, all zero,
    /// with the cursor at 0. False (buffer unchanged) for a negative size or
    /// one that a 32-bit cursor cannot address.
    bool Reserve(qint64 size);
    void Rewind() { m_position = 0; }
    /// Empties the buffer; the mode stays.
    void Clear()
    {
        m_data.clear();
        m_position = 0;
    }

    /// The width of string characters: 2 bytes (UTF-16LE) when set, else
    /// 1 byte in Windows-1252.
    bool IsUtf16() const { return m_utf16; }
    void SetUtf16(bool utf16) { m_utf16 = utf16; }

    // Writing: false, with nothing more written, when the bytes would pass
    // the end. A string or array whose count fits but whose elements do not
    // leaves the cursor after the count.
    bool WriteInt(qint32 value);
    bool WriteByte(quint8 value);
    bool WriteFloat(float value);
    /// In 1-byte mode a character without a Windows-1252 byte becomes "?".
    bool WriteString(const QString& text);
    bool WriteIntArray(const QList<qint32>& values);
    /// False at the first string that does not fit.
    bool WriteStringArray(const QStringList& texts);
    /// False for a negative count.
    bool WriteArchiveCount(qint32 count);
    /// Copies `size` bytes as they are.
    bool WriteRaw(const void* bytes, qint64 size);

    // Reading: false when fewer bytes remain than the value needs. A scalar
    // that does not fit leaves the cursor where it was; a string or array
    // whose elements do not fit leaves it after the count.
    bool ReadInt(qint32& value);
    bool ReadByte(quint8& value);
    /// Any bit pattern, also infinities and NaN: the caller judges the value.
    bool ReadFloat(float& value);
    /// Empties the text first; a negative count or one larger than the bytes
    /// left is refused.
    bool ReadString(QString& text);
    /// Empties the array first; counts are checked as for strings.
    bool ReadIntArray(QList<qint32>& values);
    /// Empties the list first. On failure the list keeps only the strings
    /// read before the failing one.
    bool ReadStringArray(QStringList& texts);
    /// A negative count is refused; the count is not checked against the
    /// bytes left (the caller knows the element size).
    bool ReadArchiveCount(qint32& count);
    bool ReadRaw(void* bytes, qint64 size);

    const QByteArray& Data() const { return m_data; }
    qint32 Position() const { return m_position; }
    qint64 Remaining() const { return qint64(m_data.size()) - m_position; }

private:
    static constexpr qint64 kWideArchiveCount = 0xFFFF;

    /// One little-endian value of sizeof(Scalar) bytes.
    template <typename Scalar>
    bool WriteScalar(Scalar value);
    template <typename Scalar>
    bool ReadScalar(Scalar& value);
    /// A 32-bit count, then `count` units of sizeof(Unit) bytes each.
    template <typename Unit>
    bool WriteBlock(const void* units, qsizetype count);
    template <typename Unit, typename Container>
    bool ReadBlock(Container& units);
    bool Fits(qint64 bytes) const { return bytes >= 0 && bytes <= Remaining(); }

    QByteArray m_data;
    qint32 m_position = 0;   // bytes from the start; shared by writes and reads
    bool m_utf16 = true;
};
