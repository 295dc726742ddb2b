#include "store/compressedblob.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray Random(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

// The body of a rich-text document: repetitive, like the texts projects hold.
QByteArray RichText(qsizetype size)
{
    QByteArray text = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\pard ";
    for (int i = 0; text.size() < size; ++i)
        text += "Interview " + QByteArray::number(i) + ": the respondent describes the \\b workshop\\b0 .\\par ";
    text.truncate(size);
    return text;
}

bool IsCompressed(const QByteArray& stored)
{
    return stored.startsWith("*ZIP*");
}

}  // namespace

TEST(CompressedBlob, EverySizeClassReadsBackExactly)
{
    const struct {
        const char* what;
        QByteArray value;
        bool compressed;
    } cases[] = {
        {"empty", QByteArray(), false},
        {"one byte", QByteArray("x"), false},
        {"49 bytes", QByteArray(49, 'a'), false},
        {"50 repeated bytes", QByteArray(50, 'a'), true},
        {"100 random bytes", Random(100, 1), false},
        {"1000 bytes of text", RichText(1000), true},
        {"1 MB of text", RichText(1 << 20), true},
        {"1 MB random", Random(1 << 20, 2), false},
        {"UTF-16 text", QByteArray(reinterpret_cast<const char*>(u"Zeile mit Umlauten äöü\r"), 46).repeated(40), true},
        // A raw value that begins with the marker must not be read as compressed.
        {"short with marker", QByteArray("*ZIP*hello"), true},
        {"random with marker", QByteArray("*ZIP*") + Random(200, 3), true},
    };
    for (const auto& c : cases) {
        QByteArray stored = c.value;
        CompressBlob(stored);
        EXPECT_EQ(IsCompressed(stored), c.compressed) << c.what;
        EXPECT_LE(stored.size(), c.value.size() + (c.value.startsWith("*ZIP*") ? 64 : 9)) << c.what;
        QByteArray back;
        QString error;
        ASSERT_TRUE(DecompressBlob(stored, back, &error)) << c.what << ": " << error.toStdString();
        EXPECT_EQ(back, c.value) << c.what;
        // Reading and writing back changes nothing.
        QByteArray again = back;
        CompressBlob(again);
        EXPECT_EQ(again, stored) << c.what;
    }
}

TEST(CompressedBlob, ValuesOfEightBytesOrLessAreRawEvenWithTheMarker)
{
    for (const QByteArray& stored : {QByteArray("*ZIP*"), QByteArray("*ZIP*\x01\x02", 7), QByteArray("*ZI")}) {
        QByteArray back;
        ASSERT_TRUE(DecompressBlob(stored, back));
        EXPECT_EQ(back, stored);
    }
}

TEST(CompressedBlob, DamagedValuesFailWithAReason)
{
    QByteArray good = RichText(5000);
    CompressBlob(good);
    ASSERT_TRUE(IsCompressed(good));
    auto withLength = [&](quint32 length) {
        QByteArray damaged = good;
        for (int i = 0; i < 4; ++i)
            damaged[5 + i] = char((length >> (8 * i)) & 0xFF);
        return damaged;
    };
    QByteArray flipped = good;
    flipped[good.size() / 2] = char(flipped.at(good.size() / 2) ^ 0x55);
    const struct {
        const char* what;
        QByteArray stored;
    } cases[] = {
        {"stream cut short", good.left(good.size() - 20)},
        {"header only", good.left(9)},
        {"byte flipped", flipped},
        {"length too small", withLength(4999)},
        {"length too large", withLength(5001)},
        {"length absurd", withLength(0xFFFFFFFF)},
        {"bytes after the stream", good + "tail"},
        {"not a stream", QByteArray("*ZIP*\x10\0\0\0", 9) + QByteArray(16, 'q')},
    };
    for (const auto& c : cases) {
        QByteArray out("left over");
        QString error;
        EXPECT_FALSE(DecompressBlob(c.stored, out, &error)) << c.what;
        EXPECT_TRUE(out.isEmpty()) << c.what;
        EXPECT_TRUE(error.startsWith(QStringLiteral("Damaged"))) << c.what << ": " << error.toStdString();
    }
}

TEST(CompressedBlob, APreparedFormServesOnlyTheArrayItWasMadeFrom)
{
    QByteArray value(500, 'a');
    const PreparedBlob prepared(value);
    const QVariant* stored = prepared.StoredFormOf(value);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->toByteArray(), StoredBlobValue(value).toByteArray());
    const QByteArray copy = value;  // shares the data
    EXPECT_NE(prepared.StoredFormOf(copy), nullptr);
    EXPECT_EQ(prepared.StoredFormOf(QByteArray(500, 'a')), nullptr);  // equal, but another array
    value[0] = 'b';  // detaches from the prepared array
    EXPECT_EQ(prepared.StoredFormOf(value), nullptr);
    EXPECT_EQ(PreparedBlob().StoredFormOf(QByteArray()), nullptr);
}
