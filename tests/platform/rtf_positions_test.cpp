// The counting rules of rich-edit text (richtextmap.h): RTF in, the exact
// rich-edit text and its length out.
#include "common/testutil.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfreader.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace {

struct Case {
    const char* name;
    const char* rtf;
    std::u16string text;
};

const Case kCases[] = {
    {"plain", R"({\rtf1\ansi plain text})", u"plain text"},
    {"final par absorbed", R"({\rtf1\ansi one\par two\par})", u"one\rtwo"},
    {"empty last paragraph", R"({\rtf1\ansi one\par\par})", u"one\r"},
    {"default document", R"({\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fnil\fcharset0 Arial;}}{\*\generator Msftedit 5.41.15.1507;}\viewkind4\uc1\pard\fs20\par})", u""},
    {"line tab", R"({\rtf1\ansi a\line b\tab c})", u"a\vb\tc"},
    {"unicode and skip", R"({\rtf1\ansi\uc1 Gr\u252?\'fc\u8364\'80 x})", u"Gr\u00fc\u00fc\u20ac x"},
    {"uc2 skips two", R"({\rtf1\ansi\uc2\u26085\'93\'fa!})", u"\u65e5!"},
    {"astral takes two", R"({\rtf1\ansi\u-10179?\u-8704? end})", u"\U0001F600 end"},
    {"ansicpg1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})", u"\u041f\u0440\u0438"},
    {"ansicpg866", R"({\rtf1\ansi\ansicpg866 \'8f\'e0\'a8})", u"\u041f\u0440\u0438"},
    {"fcharset shift-jis", R"({\rtf1\ansi{\fonttbl{\f0\fcharset128 MS Mincho;}}\f0 \'93\'fa\'96\'7b})", u"\u65e5\u672c"},
    {"specials", R"({\rtf1\ansi a\~b\-c\_d\emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})",
     u"a\u00a0b\u00adc\u2011d\u2014\u2013\u2022\u2018\u2019\u201c\u201d"},
    {"escaped braces", R"({\rtf1\ansi \{x\}\\})", u"{x}\\"},
    {"hidden text counts", R"({\rtf1\ansi a{\v hidden}b})", u"ahiddenb"},
    {"hyperlink rich edit", R"({\rtf1\ansi See {\field{\*\fldinst{HYPERLINK "http://x.org/a"}}{\fldrslt{\ul\cf1 the page}}} now})",
     u"See HYPERLINK \"http://x.org/a\"the page now"},
    {"hyperlink blanks and switches", R"({\rtf1\ansi {\field{\*\fldinst HYPERLINK  "u"  \\o "tip" }{\fldrslt name}}})",
     u"HYPERLINK \"u\"name"},
    {"other field shows result", R"({\rtf1\ansi {\field{\*\fldinst PAGE}{\fldrslt 7}}})", u"7"},
    {"picture is one", R"({\rtf1\ansi a{\pict\pngblip\picw1\pich1 89504e47}b})", u"a\ufffcb"},
    {"metafile is one", R"({\rtf1\ansi {\pict\wmetafile8\picwgoal300\pichgoal300 0100}})", u"\ufffc"},
    {"object is one", R"({\rtf1\ansi x{\object\objemb{\*\objclass Paint}{\*\objdata 0102}{\result{\pict\pngblip 89}}}y})", u"x\ufffcy"},
    {"object without result", R"({\rtf1\ansi x{\object\objemb{\*\objdata 0102}}y})", u"x\ufffcy"},
    {"ignorable destinations", R"({\rtf1\ansi{\*\generator x;}{\info{\title T}}{\stylesheet{\s0 Normal;}}{\*\unknown zz}text})", u"text"},
    {"list labels have no positions", R"({\rtf1\ansi {\pntext\f0 1.\tab}{\*\pn\pnlvlbody\pndec{\pntxta.}}one\par{\listtext 2.\tab}two\par})", u"one\rtwo"},
    {"table", R"({\rtf1\ansi before\par\trowd\cellx1000\cellx2000\intbl a\cell b\cell\row\trowd\cellx1000\cellx2000\intbl c\cell d\cell\row\pard after\par})",
     u"before\r\ufff9\ra\u0007b\u0007\ufffb\r\ufff9\rc\u0007d\u0007\ufffb\rafter"},
    {"table at start", R"({\rtf1\ansi\trowd\cellx1000\intbl a\cell\row z})", u"\ufff9\ra\u0007\ufffb\rz"},
    {"empty paragraph before table", R"({\rtf1\ansi\par\trowd\cellx1000\intbl a\cell\row})", u"\r\ufff9\ra\u0007\ufffb\r"},
    {"par before cell is the cell's", R"({\rtf1\ansi\trowd\cellx1000{\pard\intbl a\par}\cell{\pard\intbl b\par c\par}\cell\row})",
     u"\ufff9\ra\u0007b\rc\u0007\ufffb\r"},
    {"short row", R"({\rtf1\ansi\trowd\cellx1\cellx2\intbl a\cell b\cell\row\trowd\cellx1\intbl c\cell\row})",
     u"\ufff9\ra\u0007b\u0007\ufffb\r\ufff9\rc\u0007\ufffb\r"},
    {"upr takes unicode", R"({\rtf1\ansi {\upr{ansi}{\*\ud{uni}}}})", u"uni"},
    {"bin skipped in text", "{\\rtf1\\ansi a{\\*\\x \\bin3 }}}}b}", u"ab"},
    {"page and sect end paragraphs", R"({\rtf1\ansi a\page b\sect c})", u"a\rb\rc"},
};

TEST(RtfPositions, TextAndLengthFollowTheRules)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        const rtf::ReadResult result = rtf::ReadRtf(QByteArray(c.rtf), document);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        const rtf::RichTextMap map(document);
        const QString expected = QString::fromStdU16String(c.text);
        EXPECT_EQ(testutil::ShowControls(map.text()).toStdString(), testutil::ShowControls(expected).toStdString());
        EXPECT_EQ(map.length(), expected.size());
    }
}

// Text positions map to the cursor positions of the same characters, and
// back; row delimiters map to what follows them.
TEST(RtfPositions, MapRoundTripsThroughCursorPositions)
{
    const auto table = std::find_if(std::begin(kCases), std::end(kCases),
                                    [](const Case& c) { return std::string_view(c.name) == "table"; });
    ASSERT_NE(table, std::end(kCases));
    QTextDocument document;
    ASSERT_TRUE(rtf::ReadRtf(QByteArray(table->rtf), document).ok);
    const rtf::RichTextMap map(document);
    const QString raw = document.toRawText();
    const QString& text = map.text();
    for (int p = 0; p < map.length(); ++p) {
        const QChar c = text[p];
        const int d = map.toDocument(p);
        if (c == QChar(rtf::kRowStart) || c == QChar(rtf::kRowEnd) ||
            (c == u'\r' && p > 0 && (text[p - 1] == QChar(rtf::kRowStart) || text[p - 1] == QChar(rtf::kRowEnd))))
            continue;
        SCOPED_TRACE(p);
        EXPECT_EQ(map.fromDocument(d), p);
        if (c.isLetter()) {
            EXPECT_EQ(raw[d], c);
        }
    }
    const int a = text.indexOf(u'a');
    EXPECT_EQ(map.toDocument(a - 2), map.toDocument(a)) << "row start maps to the first cell";
    EXPECT_EQ(map.fromDocument(document.characterCount() - 1), map.length());
}

}  // namespace
