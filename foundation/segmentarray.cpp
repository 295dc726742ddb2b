#include "foundation/segmentarray.h"

#include "foundation/serialbuffer.h"

#include <QtEndian>

#include <limits>
#include <type_traits>

// The byte forms are the records' memory images.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "records are written as their little-endian memory image");

namespace {

template <typename Array>
QByteArray SerializeRecords(const Array& array)
{
    using Record = std::remove_cvref_t<decltype(array[0])>;
    const qint64 count = array.GetSize();
    const qint64 size = SerialBuffer::SizeOfArchiveCount(count) + count * qint64(sizeof(Record));
    SerialBuffer buffer;
    if (count > std::numeric_limits<qint32>::max() || !buffer.Reserve(size) ||
        !buffer.WriteArchiveCount(qint32(count)) || !buffer.WriteRaw(array.GetData(), count * qint64(sizeof(Record))))
        return QByteArray();
    return buffer.Data().left(size);
}

template <typename Array>
bool DeserializeRecords(Array& array, const QByteArray& bytes)
{
    using Record = std::remove_cvref_t<decltype(array[0])>;
    SerialBuffer buffer(bytes);
    qint32 count = 0;
    if (!buffer.ReadArchiveCount(count) || buffer.Remaining() != count * qint64(sizeof(Record)))
        return false;
    Array read;
    read.SetSize(count);
    buffer.ReadRaw(read.GetData(), count * qint64(sizeof(Record)));
    array = std::move(read);
    return true;
}

}  // namespace

QByteArray CSegmentArray::Serialize() const
{
    return SerializeRecords(*this);
}

bool CSegmentArray::Deserialize(const QByteArray& bytes)
{
    return DeserializeRecords(*this, bytes);
}

QByteArray CRowArray::Serialize() const
{
    return SerializeRecords(*this);
}

bool CRowArray::Deserialize(const QByteArray& bytes)
{
    return DeserializeRecords(*this, bytes);
}
