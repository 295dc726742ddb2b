#include "foundation/serialbuffer.h"

#include "platform/codepage/codepage.h"

#include <QtEndian>

#include <cstring>
#include <limits>

qint64 SerialBuffer::SizeOfStringArray(const QStringList& texts)
{
    qint64 size = 4;
    for (const QString& text : texts)
        size += SizeOfString(text);
    return size;
}

bool SerialBuffer::Reserve(qint64 size)
{
    if (size < 0 || size > std::numeric_limits<qint32>::max() - 15)
        return false;
    const qint64 rounded = (size + 15) & ~qint64(15);
    m_data = QByteArray(qsizetype(rounded), '\0');
    m_position = 0;
    return true;
}

template <typename Scalar>
bool SerialBuffer::WriteScalar(Scalar value)
{
    if (!Fits(sizeof(Scalar)))
        return false;
    qToLittleEndian<Scalar>(value, m_data.data() + m_position);
    m_position += qint32(sizeof(Scalar));
    return true;
}

template <typename Scalar>
bool SerialBuffer::ReadScalar(Scalar& value)
{
    if (!Fits(sizeof(Scalar)))
        return false;
    value = qFromLittleEndian<Scalar>(m_data.constData() + m_position);
    m_position += qint32(sizeof(Scalar));
    return true;
}

bool SerialBuffer::WriteInt(qint32 value)
{
    return WriteScalar(value);
}

bool SerialBuffer::WriteByte(quint8 value)
{
    if (!Fits(1))
        return false;
    m_data[m_position] = char(value);
    m_position += 1;
    return true;
}

bool SerialBuffer::WriteFloat(float value)
{
    return WriteScalar(value);
}

template <typename Unit>
bool SerialBuffer::WriteBlock(const void* units, qsizetype count)
{
    if (count > std::numeric_limits<qint32>::max() || !WriteInt(qint32(count)))
        return false;
    const qint64 bytes = qint64(sizeof(Unit)) * count;
    if (!Fits(bytes))
        return false;
    if (bytes > 0)   // an empty text or list may have no storage at all
        qToLittleEndian<Unit>(units, count, m_data.data() + m_position);
    m_position += qint32(bytes);
    return true;
}

bool SerialBuffer::WriteString(const QString& text)
{
    if (m_utf16)
        return WriteBlock<quint16>(text.utf16(), text.size());
    QByteArray bytes(text.size(), '?');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = codepage::Windows1252Byte(text[i].unicode());
        if (byte >= 0)
            bytes[i] = char(byte);
    }
    return WriteBlock<quint8>(bytes.constData(), bytes.size());
}

bool SerialBuffer::WriteIntArray(const QList<qint32>& values)
{
    return WriteBlock<qint32>(values.constData(), values.size());
}

bool SerialBuffer::WriteStringArray(const QStringList& texts)
{
    if (texts.size() > std::numeric_limits<qint32>::max() || !WriteInt(qint32(texts.size())))
        return false;
    for (const QString& text : texts) {
        if (!WriteString(text))
            return false;
    }
    return true;
}

bool SerialBuffer::ReadInt(qint32& value)
{
    return ReadScalar(value);
}

bool SerialBuffer::ReadByte(quint8& value)
{
    if (!Fits(1))
        return false;
    value = quint8(m_data[m_position]);
    m_position += 1;
    return true;
}

bool SerialBuffer::ReadFloat(float& value)
{
    return ReadScalar(value);
}

template <typename Unit, typename Container>
bool SerialBuffer::ReadBlock(Container& units)
{
    units.clear();
    qint32 count = 0;
    if (!ReadInt(count))
        return false;
    const qint64 bytes = qint64(sizeof(Unit)) * count;
    if (!Fits(bytes))
        return false;
    if (count == 0)
        return true;
    units.resize(count);
    qFromLittleEndian<Unit>(m_data.constData() + m_position, count, units.data());
    m_position += qint32(bytes);
    return true;
}

bool SerialBuffer::ReadString(QString& text)
{
    if (m_utf16)
        return ReadBlock<quint16>(text);
    QByteArray bytes;
    if (!ReadBlock<quint8>(bytes)) {
        text.clear();
        return false;
    }
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(codepage::Windows1252Char(quint8(bytes[i])));
    return true;
}

bool SerialBuffer::ReadIntArray(QList<qint32>& values)
{
    return ReadBlock<qint32>(values);
}

bool SerialBuffer::ReadStringArray(QStringList& texts)
{
    texts.clear();
    qint32 count = 0;
    if (!ReadInt(count))
        return false;
    // Each string takes at least its 4-byte count.
    if (!Fits(4 * qint64(count)))
        return false;
    texts.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        QString text;
        if (!ReadString(text))
            return false;
        texts.append(std::move(text));
    }
    return true;
}

bool SerialBuffer::WriteArchiveCount(qint32 count)
{
    if (count < 0 || !Fits(SizeOfArchiveCount(count)))
        return false;
    if (count < kWideArchiveCount) {
        qToLittleEndian<quint16>(quint16(count), m_data.data() + m_position);
        m_position += 2;
        return true;
    }
    qToLittleEndian<quint16>(quint16(kWideArchiveCount), m_data.data() + m_position);
    m_position += 2;
    return WriteInt(count);
}

bool SerialBuffer::WriteRaw(const void* bytes, qint64 size)
{
    if (!Fits(size))
        return false;
    if (size > 0)
        memcpy(m_data.data() + m_position, bytes, size_t(size));
    m_position += qint32(size);
    return true;
}

bool SerialBuffer::ReadArchiveCount(qint32& count)
{
    if (!Fits(2))
        return false;
    const qint32 narrow = qFromLittleEndian<quint16>(m_data.constData() + m_position);
    if (narrow < kWideArchiveCount) {
        m_position += 2;
        count = narrow;
        return true;
    }
    if (!Fits(6))
        return false;
    const qint32 wide = qFromLittleEndian<qint32>(m_data.constData() + m_position + 2);
    if (wide < 0)
        return false;
    m_position += 6;
    count = wide;
    return true;
}

bool SerialBuffer::ReadRaw(void* bytes, qint64 size)
{
    if (!Fits(size))
        return false;
    if (size > 0)
        memcpy(bytes, m_data.constData() + m_position, size_t(size));
    m_position += qint32(size);
    return true;
}
