#include "store/compressedblob.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr char kMarker[] = {'*', 'Z', 'I', 'P', '*'};
constexpr qsizetype kMarkerSize = sizeof(kMarker);
constexpr qsizetype kHeaderSize = kMarkerSize + 4;
// Shorter values are not worth the header and zlib's own overhead.
constexpr qsizetype kMinimumCompressed = 10 * kMarkerSize;
// zlib's smallest window that every inflater accepts.
constexpr int kSmallestWindowBits = 9;
// No column holds a value this large; a larger stored length is damage.
constexpr quint32 kLargestValue = 1000000000;

bool StartsWithMarker(const char* data, qsizetype length)
{
    return length >= kMarkerSize && std::memcmp(data, kMarker, kMarkerSize) == 0;
}

bool Refuse(QString* error, const QString& reason, QByteArray& out)
{
    out.clear();
    if (error)
        *error = reason;
    return false;
}

}  // namespace

void CompressBlob(QByteArray& bytes)
{
    const bool mustCompress = StartsWithMarker(bytes.constData(), bytes.size());
    if ((bytes.size() < kMinimumCompressed && !mustCompress) || quint64(bytes.size()) > kLargestValue)
        return;
    // Room for the stream only as large as the value, unless the value must
    // not stay raw.
    const uLong streamRoom = mustCompress ? compressBound(uLong(bytes.size())) : uLong(bytes.size());
    QByteArray stored(kHeaderSize + qsizetype(streamRoom), Qt::Uninitialized);
    // The window and hash tables are sized to the value: zlib's defaults
    // allocate and clear some 300 KB per call, which small values (coded
    // segments, comments) would pay every time. The stream is an ordinary
    // zlib stream at the highest level.
    int windowBits = kSmallestWindowBits;
    while (windowBits < MAX_WBITS && (qsizetype(1) << windowBits) < bytes.size())
        ++windowBits;
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, qBound(1, windowBits - 7, MAX_MEM_LEVEL - 1),
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(stored.data() + kHeaderSize);
    stream.avail_out = uInt(streamRoom);
    const int rc = deflate(&stream, Z_FINISH);
    const uLong streamLength = stream.total_out;
    deflateEnd(&stream);
    if (rc != Z_STREAM_END)
        return;
    std::memcpy(stored.data(), kMarker, kMarkerSize);
    const quint32 length = quint32(bytes.size());
    for (int i = 0; i < 4; ++i)
        stored[kMarkerSize + i] = char((length >> (8 * i)) & 0xFF);
    stored.truncate(kHeaderSize + qsizetype(streamLength));
    bytes = stored;
}

QVariant StoredBlobValue(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QByteArray stored = bytes;
    CompressBlob(stored);
    return stored;
}

PreparedBlob::PreparedBlob(const QByteArray& value) : m_value(value), m_stored(StoredBlobValue(value)) {}

const QVariant* PreparedBlob::StoredFormOf(const QByteArray& value) const
{
    const bool same = value.size() == m_value.size() && value.constData() == m_value.constData() && !m_value.isNull();
    return same ? &m_stored : nullptr;
}

bool DecompressBlob(const char* data, qsizetype length, QByteArray& out, QString* error)
{
    // Values of up to 8 bytes cannot hold the header; they are raw even
    // when they begin with the marker.
    if (length < kHeaderSize || !StartsWithMarker(data, length)) {
        out = QByteArray(data, length);
        return true;
    }
    quint32 valueLength = 0;
    for (int i = 0; i < 4; ++i)
        valueLength |= quint32(uchar(data[kMarkerSize + i])) << (8 * i);
    if (valueLength > kLargestValue)
        return Refuse(error, QStringLiteral("Damaged compressed value: stated length %1 is too large.").arg(valueLength), out);

    out.resize(qsizetype(valueLength));
    uLongf produced = valueLength;
    uLong consumed = uLong(length - kHeaderSize);
    // zlib wants a non-null target even for an empty value.
    Bytef empty = 0;
    Bytef* target = valueLength ? reinterpret_cast<Bytef*>(out.data()) : &empty;
    const int rc = uncompress2(target, &produced, reinterpret_cast<const Bytef*>(data + kHeaderSize), &consumed);
    if (rc != Z_OK)
        return Refuse(error, QStringLiteral("Damaged compressed value: %1.").arg(QString::fromLatin1(zError(rc))), out);
    if (produced != valueLength)
        return Refuse(error,
                      QStringLiteral("Damaged compressed value: %1 bytes decoded, %2 stated.").arg(produced).arg(valueLength),
                      out);
    if (consumed != uLong(length - kHeaderSize))
        return Refuse(error, QStringLiteral("Damaged compressed value: bytes after the end of the stream."), out);
    return true;
}

bool DecompressBlob(const QByteArray& stored, QByteArray& out, QString* error)
{
    if (&stored == &out) {
        const QByteArray copy = stored;
        return DecompressBlob(copy.constData(), copy.size(), out, error);
    }
    return DecompressBlob(stored.constData(), stored.size(), out, error);
}

bool DecodeStoredBlob(const QByteArray& stored, QByteArray& value)
{
    if (!DecompressBlob(stored, value))
        return false;
    // "EXTERN:" in UTF-16: the content lies in a file that reading the row
    // loads.
    static constexpr char kExternal[] = {'E', 0, 'X', 0, 'T', 0, 'E', 0, 'R', 0, 'N', 0, ':', 0};
    return !value.startsWith(QByteArrayView(kExternal, sizeof kExternal));
}
