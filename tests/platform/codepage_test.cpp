// Windows code pages as RTF and Jet files hold them: every byte gives one
// character, and what a code page leaves undefined is replaced or kept.
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

}  // namespace
