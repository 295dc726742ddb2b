#include "foundation/serialbuffer.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

// One value of each kind, written and read in this order.
struct Sample {
    qint32 number = 0;
    quint8 byte = 0;
    QString text;
    QList<qint32> ints;
    QStringList texts;

    // Measure, reserve, write: the way every user writes an image.
    SerialBuffer Write() const
    {
        const qint64 size = SerialBuffer::SizeOfInt() + SerialBuffer::SizeOfByte() + SerialBuffer::SizeOfString(text)
                            + SerialBuffer::SizeOfIntArray(ints) + SerialBuffer::SizeOfStringArray(texts);
        SerialBuffer buffer;
        EXPECT_TRUE(buffer.Reserve(size));
        EXPECT_TRUE(buffer.WriteInt(number) && buffer.WriteByte(byte) && buffer.WriteString(text)
                    && buffer.WriteIntArray(ints) && buffer.WriteStringArray(texts));
        EXPECT_EQ(buffer.Position(), size);
        return buffer;
    }
    // Stops at the first value that does not read.
    bool Read(SerialBuffer& reader)
    {
        return reader.ReadInt(number) && reader.ReadByte(byte) && reader.ReadString(text)
               && reader.ReadIntArray(ints) && reader.ReadStringArray(texts);
    }
};

QByteArray Le32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

}  // namespace

TEST(SerialBuffer, ReserveRoundsUpToSixteenZeroBytes)
{
    const struct {
        qint64 asked;
        qsizetype size;
    } cases[] = {{0, 0}, {1, 16}, {15, 16}, {16, 16}, {17, 32}, {100, 112}};
    for (const auto& c : cases) {
        SerialBuffer buffer;
        buffer.Reserve(3);
        buffer.WriteByte(7);
        ASSERT_TRUE(buffer.Reserve(c.asked)) << c.asked;
        EXPECT_EQ(buffer.Data(), QByteArray(c.size, '\0')) << c.asked;
        EXPECT_EQ(buffer.Position(), 0);
    }
    SerialBuffer buffer;
    EXPECT_FALSE(buffer.Reserve(-1));
    EXPECT_FALSE(buffer.Reserve(qint64(1) << 31));
}

TEST(SerialBuffer, SizesOfValues)
{
    EXPECT_EQ(SerialBuffer::SizeOfString(QStringLiteral("abc")), 10);
    EXPECT_EQ(SerialBuffer::SizeOfString(QString()), 4);
    EXPECT_EQ(SerialBuffer::SizeOfIntArray({}), 4);
    EXPECT_EQ(SerialBuffer::SizeOfIntArray({1, 2, 3}), 16);
    EXPECT_EQ(SerialBuffer::SizeOfStringArray({QStringLiteral("ab"), QString()}), 4 + 8 + 4);
}

TEST(SerialBuffer, ValuesRoundTripInTheirByteForm)
{
    const QString text = QStringLiteral("Zwölf \U0001F600 Ä\r\n");
    const Sample sample{-123456, 0xAB, text, {0, -1, 0x7FFFFFFF, qint32(0x80000000), 42},
                        {QString(), QStringLiteral("x"), text}};
    SerialBuffer buffer = sample.Write();

    // Little-endian integer, then the byte, then the string's count and units.
    const QByteArray& data = buffer.Data();
    EXPECT_EQ(data.size() % 16, 0);
    EXPECT_EQ(data.left(4), Le32(-123456));
    EXPECT_EQ(quint8(data[4]), 0xAB);
    EXPECT_EQ(data.mid(5, 4), Le32(qint32(text.size())));
    EXPECT_EQ(data.mid(9, 2), QByteArray("Z\0", 2));

    buffer.Rewind();
    Sample read{1, 2, QStringLiteral("old"), {9}, {QStringLiteral("old")}};
    ASSERT_TRUE(read.Read(buffer));
    EXPECT_EQ(read.number, sample.number);
    EXPECT_EQ(read.byte, sample.byte);
    EXPECT_EQ(read.text, sample.text);
    EXPECT_EQ(read.ints, sample.ints);
    EXPECT_EQ(read.texts, sample.texts);

    // Empty values read back empty, from a fresh buffer over the bytes.
    SerialBuffer reader(Sample{}.Write().Data());
    ASSERT_TRUE(read.Read(reader));
    EXPECT_TRUE(read.text.isEmpty());
    EXPECT_TRUE(read.ints.isEmpty());
    EXPECT_TRUE(read.texts.isEmpty());
}

TEST(SerialBuffer, WritesThatDoNotFitStopAtTheEnd)
{
    SerialBuffer buffer;
    buffer.Reserve(16);
    ASSERT_TRUE(buffer.WriteInt(1) && buffer.WriteInt(2) && buffer.WriteInt(3) && buffer.WriteByte(4));
    EXPECT_FALSE(buffer.WriteInt(5));   // 3 bytes left
    EXPECT_EQ(buffer.Position(), 13);
    EXPECT_TRUE(buffer.WriteByte(6));

    // The count fits, the characters do not: the cursor stays after the count.
    buffer.Reserve(16);
    buffer.WriteInt(1);
    buffer.WriteInt(2);
    EXPECT_FALSE(buffer.WriteString(QStringLiteral("abc")));
    EXPECT_EQ(buffer.Position(), 12);
    buffer.Reserve(16);
    buffer.WriteInt(1);
    EXPECT_FALSE(buffer.WriteIntArray({1, 2, 3}));
    EXPECT_EQ(buffer.Position(), 8);

    // A string array stops at its first string that does not fit.
    buffer.Reserve(16);
    EXPECT_FALSE(buffer.WriteStringArray({QStringLiteral("ab"), QStringLiteral("cd")}));
    EXPECT_EQ(buffer.Position(), 4 + 8 + 4);
    EXPECT_EQ(buffer.Data().mid(12, 4), Le32(2));
}

TEST(SerialBuffer, ReadsRefuseCountsTheBytesCannotHold)
{
    SerialBuffer shortInt(QByteArray(3, '\x01'));
    qint32 value = 0;
    EXPECT_FALSE(shortInt.ReadInt(value));
    EXPECT_EQ(shortInt.Position(), 0);

    // Hostile counts before a few bytes: each read fails after its count,
    // without reading past the end or allocating for the count.
    const QByteArray tail("abcdefgh", 8);
    for (qint32 count : {-1, -0x7FFFFFFF - 1, 5, 0x40000000, 0x7FFFFFFF}) {
        SerialBuffer strings(Le32(count) + tail);
        QString text = QStringLiteral("old");
        EXPECT_FALSE(strings.ReadString(text)) << count;
        EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(strings.Position(), 4);

        SerialBuffer ints(Le32(count) + tail);
        QList<qint32> list = {1};
        EXPECT_FALSE(ints.ReadIntArray(list)) << count;
        EXPECT_TRUE(list.isEmpty());
        EXPECT_EQ(ints.Position(), 4);

        SerialBuffer arrays(Le32(count) + tail);
        QStringList texts = {QStringLiteral("old")};
        EXPECT_FALSE(arrays.ReadStringArray(texts)) << count;
        EXPECT_TRUE(texts.isEmpty());
    }
    // Exactly as many bytes as the count asks for reads.
    SerialBuffer exact(Le32(4) + tail);
    QString text;
    EXPECT_TRUE(exact.ReadString(text));
    EXPECT_EQ(text.size(), 4);
}

TEST(SerialBuffer, AStringArrayKeepsTheStringsReadBeforeAFailure)
{
    const SerialBuffer buffer = Sample{1, 2, {}, {}, {"one", "two", "three"}}.Write();
    SerialBuffer reader(buffer.Data().left(buffer.Position() - 2));   // inside "three"
    Sample read;
    EXPECT_FALSE(read.Read(reader));
    EXPECT_EQ(read.texts, (QStringList{"one", "two"}));
}

// Every truncation and every single-byte change of an image reads without
// passing the end (the sanitizers watch) and a truncated image never reads
// whole.
TEST(SerialBuffer, DamagedImagesNeverReadPastTheEnd)
{
    const SerialBuffer written = Sample{7, 1, "text", {1, 2}, {"a", "bc"}}.Write();
    const QByteArray image = written.Data().left(written.Position());
    auto readAll = [](const QByteArray& bytes) {
        SerialBuffer reader(bytes);
        Sample read;
        return read.Read(reader);
    };
    ASSERT_TRUE(readAll(image));
    for (qsizetype length = 0; length < image.size(); ++length)
        EXPECT_FALSE(readAll(image.left(length))) << length;
    for (qsizetype at = 0; at < image.size(); ++at) {
        for (char value : {'\x00', '\x7F', '\x80', '\xFF'}) {
            QByteArray altered = image;
            altered[at] = value;
            readAll(altered);
        }
    }
}

TEST(SerialBuffer, FloatsAreLittleEndianAndKeepEveryBitPattern)
{
    const float values[] = {0.0f, -0.0f, 1.0f, -2.5f, 1e-38f, 3.4e38f, std::numeric_limits<float>::infinity(), 0.5f};
    SerialBuffer buffer;
    ASSERT_TRUE(buffer.Reserve(4 * qint64(std::size(values))));
    for (float v : values)
        ASSERT_TRUE(buffer.WriteFloat(v));
    EXPECT_FALSE(buffer.WriteFloat(1.0f));
    EXPECT_EQ(buffer.Data().left(8), QByteArray::fromHex("0000000000000080"));
    EXPECT_EQ(buffer.Data().mid(8, 4), QByteArray::fromHex("0000803f"));
    buffer.Rewind();
    for (float v : values) {
        float read = 7;
        ASSERT_TRUE(buffer.ReadFloat(read));
        EXPECT_EQ(std::memcmp(&read, &v, 4), 0) << v;
    }
    float rest = 7;
    EXPECT_FALSE(buffer.ReadFloat(rest));
    EXPECT_EQ(rest, 7.0f);
}

TEST(SerialBuffer, OneByteStringsAreWindows1252)
{
    const struct {
        QString text;
        QByteArray bytes;   // after the count
        QString readBack;
    } cases[] = {
        {QStringLiteral("abc"), "abc", QStringLiteral("abc")},
        {QStringLiteral("€äÿ"), "\x80\xE4\xFF", QStringLiteral("€äÿ")},
        {QStringLiteral("Ωx"), "?x", QStringLiteral("?x")},
        {QString(), {}, QString()},
    };
    for (const auto& c : cases) {
        SerialBuffer buffer;
        buffer.SetUtf16(false);
        ASSERT_TRUE(buffer.Reserve(4 + c.bytes.size()));
        ASSERT_TRUE(buffer.WriteString(c.text));
        EXPECT_EQ(buffer.Data().left(4 + c.bytes.size()), Le32(qint32(c.bytes.size())) + c.bytes);
        buffer.Rewind();
        QString read = QStringLiteral("old");
        ASSERT_TRUE(buffer.ReadString(read));
        EXPECT_EQ(read, c.readBack);
    }
    // Unassigned bytes keep their value; counts are checked as in UTF-16.
    SerialBuffer unassigned(Le32(2) + "\x81\x9D");
    unassigned.SetUtf16(false);
    QString text;
    ASSERT_TRUE(unassigned.ReadString(text));
    EXPECT_EQ(text, QString(QChar(0x81)) + QChar(0x9D));
    for (const QByteArray& bad : {Le32(3) + "ab", Le32(-1) + "ab", Le32(2).left(3)}) {
        SerialBuffer reader(bad);
        reader.SetUtf16(false);
        QString t = QStringLiteral("x");
        EXPECT_FALSE(reader.ReadString(t));
        EXPECT_TRUE(t.isEmpty());
    }
    // The same bytes read as UTF-16 need twice the room.
    SerialBuffer wide(Le32(2) + "ab");
    QString t;
    EXPECT_FALSE(wide.ReadString(t));
}
