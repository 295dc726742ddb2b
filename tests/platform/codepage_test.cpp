// Windows code pages as RTF and Jet files hold them: every byte gives one
// character, and what a code page leaves undefined is replaced or kept. And
// the one decoding of 8-bit text files.
#include "platform/codepage/codepage.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

namespace {

using codepage::Undecodable;

TEST(CodePageDecoder, DecodesEachByteOnce)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        int codePage;
        std::u16string replaced;  // Undecodable::Replace
        std::u16string kept;      // Undecodable::KeepByte
    };
    const Case cases[] = {
        {"1252 beyond Latin-1 and unassigned", "a\x80\x81\x9f", 1252, u"a\u20ac\u0081\u0178", u"a\u20ac\u0081\u0178"},
        {"1251", "\xcf\xf0\xe8", 1251, u"\u041f\u0440\u0438", u"\u041f\u0440\u0438"},
        {"an OEM page by its number", "\x80", 866, u"\u0410", u"\u0410"},
        {"1253 undefined byte", "a\xaa", 1253, u"a\ufffd", u"a\u00aa"},
        {"932 pair", "\x93\xfa\x96\x7b", 932, u"\u65e5\u672c", u"\u65e5\u672c"},
        {"932 lead byte cut off", "\x93\xfax\x93", 932, u"\u65e5x\ufffd", u"\u65e5x\u0093"},
        {"symbol font", "\x41\xb7", codepage::kSymbolCodePage, u"A\u00b7", u"A\u00b7"},
        {"unknown page reads as 1252", "\x80\x8d", 12345, u"\u20ac\u008d", u"\u20ac\u008d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Undecodable policy : {Undecodable::Replace, Undecodable::KeepByte}) {
            codepage::CodePageDecoder decoder(policy);
            QString text = QStringLiteral("before:");
            decoder.append(text, c.bytes.constData(), c.bytes.size(), c.codePage);
            const QString expected =
                "before:" + QString::fromStdU16String(policy == Undecodable::Replace ? c.replaced : c.kept);
            EXPECT_EQ(testutil::ShowControls(text).toStdString(), testutil::ShowControls(expected).toStdString());
        }
    }
}

TEST(CodePageDecoder, KnowsWhichPagesHaveAConverter)
{
    codepage::CodePageDecoder decoder;
    for (int known : {1252, 1250, 1251, 932, 950, 1361, 10000, 65001, codepage::kSymbolCodePage})
        EXPECT_TRUE(decoder.Knows(known)) << known;
    for (int unknown : {0, -1, 12345})
        EXPECT_FALSE(decoder.Knows(unknown)) << unknown;
}

// Files without a mark are UTF-8 when they are well-formed UTF-8 and
// Windows-1252 otherwise, so a list written on Linux keeps "Äpfel" and one
// written on Windows keeps every byte.
TEST(DecodeTextFile, ReadsMarksThenUtf8ThenWindows1252)
{
    const struct {
        const char* name;
        QByteArray bytes;
        std::u16string text;
    } cases[] = {
        {"empty", "", u""},
        {"ASCII", "plain\r\nlines", u"plain\r\nlines"},
        {"UTF-8 without a mark", "\xc3\x84pfel gr\xc3\xbcn", u"\u00c4pfel gr\u00fcn"},
        {"Windows-1252 without a mark", "\xc4pfel gr\xfcn \x80", u"\u00c4pfel gr\u00fcn \u20ac"},
        {"one byte spoils UTF-8", "\xc3\x84pfel \xfc", u"\u00c3\u201epfel \u00fc"},
        {"UTF-8 cut at the end", "gr\xc3", u"gr\u00c3"},
        {"overlong form", "\xc0\xaf", u"\u00c0\u00af"},
        {"encoded surrogate", "\xed\xa0\x80", u"\u00ed\u00a0\u20ac"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", u"\u00f4\u0090\u20ac\u20ac"},
        {"four-byte UTF-8", "\xf0\x9f\x98\x80", u"\U0001F600"},
        {"UTF-8 mark", "\xef\xbb\xbf\xc3\xa4x", u"\u00e4x"},
        {"UTF-8 mark, then a bad byte", "\xef\xbb\xbf\xe4x", u"\ufffdx"},
        {"UTF-16LE mark", QByteArray("\xff\xfe\xc4\x00p\x00", 6), u"\u00c4p"},
        {"UTF-16LE with an odd last byte", QByteArray("\xff\xfe" "a\x00" "b", 5), u"a"},
        {"a mark alone", "\xff\xfe", u""},
        {"NUL bytes stay", QByteArray("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(testutil::ShowControls(codepage::DecodeTextFile(c.bytes)).toStdString(),
                  testutil::ShowControls(QString::fromStdU16String(c.text)).toStdString());
    }
    // A block of a longer text may end inside a sequence.
    EXPECT_FALSE(codepage::IsUtf8("gr\xc3", true));
    EXPECT_TRUE(codepage::IsUtf8("gr\xc3", false));
    EXPECT_FALSE(codepage::IsUtf8("gr\xfc", false));
}

}  // namespace
