#include "foundation/xmldoc.h"

#include "common/testutil.h"
#include "common/xmlcheck.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringEncoder>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Writes <r><t a="text">text</t></r> element by element, optionally after
// an XML declaration of the encoding.
bool WriteSample(const QString& path, int mode, const QString& encoding, bool declare, const QString& text,
                 QString* result = nullptr)
{
    CXmlDoc doc;
    QString enc = encoding;
    bool ok = doc.Open(path, mode, &enc);
    if (declare)
        doc.AddSubDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\r\n").arg(encoding));
    ok = ok && doc.AddElement(QStringLiteral("r")) && doc.EnterElement()
         && doc.AddElement(QStringLiteral("t"), text) && doc.SetCurrentAttribute(u"a", text) && doc.LeaveElement();
    ok = doc.Close() && ok;
    if (result)
        *result = doc.GetResultText();
    return ok;
}

}  // namespace

TEST(XmlFiles, RoundTripInEveryKindOfEncoding)
{
    struct Case {
        int mode;
        const char* encoding;
        bool declare;        // else the reader is told the encoding
        const char* text;
    };
    const int write = XmlDocFlag::WriteFile;
    const Case cases[] = {
        {write | XmlDocFlag::Utf8Bom, "", false, "Grüße € 😀 <&> \"q\""},
        {write | XmlDocFlag::Utf16LE, "", false, "Grüße € 😀 <&>"},
        {write | XmlDocFlag::Utf16BE, "", false, "Grüße € 😀 <&>"},
        {write, "", false, "plain UTF-8 ä 😀"},
        {write, "ISO-8859-1", true, "Grüße ÿ ©"},
        {write, "windows-1252", true, "€ „quoted“ – ok"},
        {write, "ISO-8859-7", true, "Ελληνικά"},
        {write, "KOI8-R", true, "Привет"},
        {write, "Shift_JIS", true, "日本語テキスト"},
        {write, "EUC-KR", true, "한국어"},
        {write, "Big5", true, "中文字"},
        {write, "GB18030", true, "中文 😀"},
        {write, "ISO-2022-JP", true, "日本 and ASCII"},
        {write, "UTF-7", false, "Grüße € <x>"},   // writes "<" as "+ADw-": it cannot declare itself
        {write, "UTF-16", false, "Grüße 😀"},
        {write, "UTF-32LE", false, "Grüße 😀"},
        {write, "UTF-32BE", false, "Grüße 😀"},
        {write, "cp500", false, "EBCDIC ä"},
    };
    testutil::TempDir dir;
    for (const Case& c : cases) {
        const QString path = dir.file(QStringLiteral("sample.xml"));
        const QString text = U(c.text);
        QString log;
        ASSERT_TRUE(WriteSample(path, c.mode, QString::fromLatin1(c.encoding), c.declare, text, &log)) << c.encoding;
        EXPECT_FALSE(log.contains(QStringLiteral("lost"))) << c.encoding << " " << log.toStdString();

        // Whole-file reading detects marks and declarations.
        if (c.declare || !*c.encoding || c.mode != write) {
            CXmlDoc whole;
            EXPECT_TRUE(whole.Load(path)) << c.encoding << " " << whole.GetResultText().toStdString();
            ASSERT_TRUE(whole.FindElement(QStringLiteral("/r/t"))) << c.encoding;
            EXPECT_EQ(whole.GetElementData(), text) << c.encoding;
            EXPECT_EQ(whole.GetElementAttribute(u"a"), text) << c.encoding;
        }
        // Element-by-element reading, told the encoding where the file cannot say it.
        CXmlDoc stream;
        QString encoding = c.declare ? QString() : QString::fromLatin1(c.encoding);
        ASSERT_TRUE(stream.Open(path, XmlDocFlag::ReadFile, &encoding)) << c.encoding;
        ASSERT_TRUE(stream.FindElement(QStringLiteral("r")) && stream.EnterElement()) << c.encoding;
        ASSERT_TRUE(stream.FindElement(QStringLiteral("t"))) << c.encoding;
        EXPECT_EQ(stream.GetElementAttribute(u"a"), text) << c.encoding;
        EXPECT_EQ(stream.GetElementData(), text) << c.encoding;
        EXPECT_TRUE(stream.LeaveElement());
        EXPECT_TRUE(stream.IsWellFormed()) << c.encoding;
        EXPECT_TRUE(stream.Close());
    }
}

TEST(XmlFiles, CharactersTheEncodingLacksAreReported)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("latin1.xml"));
    QString log;
    ASSERT_TRUE(WriteSample(path, XmlDocFlag::WriteFile, QStringLiteral("ISO-8859-1"), true, U("ä 日本"), &log));
    EXPECT_TRUE(log.contains(QStringLiteral("(chars lost in conversion!)"))) << log.toStdString();
    CXmlDoc doc;
    ASSERT_TRUE(doc.Load(path));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("//t")));
    EXPECT_EQ(doc.GetElementData(), U("ä ??"));
}

TEST(XmlFiles, DetectionAndTheResultLog)
{
    struct Case {
        QByteArray bytes;
        const char* text;       // the document text read
        const char* encoding;   // the encoding reported
        const char* result;     // a part of the result text
    };
    const Case cases[] = {
        {QByteArray("\xEF\xBB\xBF<a>\xC3\xA4</a>"), "<a>ä</a>", "UTF-8", "BOM + UTF-8 length 9 to UTF-16 length 8"},
        {QByteArray("<?xml version='1.0' encoding='iso-8859-1'?><a>\xE9</a>"),
         "<?xml version='1.0' encoding='iso-8859-1'?><a>é</a>", "iso-8859-1", "iso-8859-1 length 51 to UTF-16 length 51"},
        {QByteArray("<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1252'>"
                    "</head><body>\x80</body></html>"),
         "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1252'>"
         "</head><body>€</body></html>",
         "windows-1252", "windows-1252 length"},
        {QByteArray("<a>\xC3\xA4</a>"), "<a>ä</a>", "UTF-8", "UTF-8 length 9 to UTF-16 length 8"},
        {QByteArray("text \xE9t\xE9"), "text été", "", "(used UTF-8 detection)"},
        {QByteArray("text \xC3\xA9t\xC3\xA9"), "text été", "UTF-8", "(used UTF-8 detection)"},
        {QByteArray("\xFE\xFF\0<\0a\0/\0>", 10), "<a/>", "UTF-16BE", "BOM + UTF-16BE length 4 endian swap"},
        {QByteArray("\xFF\xFE<\0a\0/\0>\0", 10), "<a/>", "UTF-16LE", "BOM + UTF-16LE length 4"},
        {QByteArray("<a>\0b\0</a>", 10), "<a>b</a>", "UTF-8", "removed 2 nulls"},
        {QByteArray("<\0a\0/\0>\0", 8), "<a/>", "UTF-8", "removed 4 nulls"},
        {QByteArray("\xFF\xFE<\0a\0/\0>", 9), "<a/", "UTF-16LE", "encoding UTF-16LE adjustment error"},
        {QByteArray("<a>\xE2\x82</a>"), "<a>\uFFFD\uFFFD</a>", "UTF-8", "(chars lost in conversion!)"},
        {QByteArray("<a>\xE2\x82"), "<a>\uFFFD", "UTF-8", "encoding UTF-8 adjustment error"},
        {QByteArray("<?xml encoding='x-mac-thai'?><a/>"), "<?xml encoding='x-mac-thai'?><a/>", "x-mac-thai",
         "encoding x-mac-thai not supported"},
        {QByteArray(), "", "", ""},
    };
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("in.xml"));
    for (const Case& c : cases) {
        ASSERT_TRUE(testutil::WriteFile(path, c.bytes));
        QString text;
        QString log;
        QString encoding;
        int flags = 0;
        EXPECT_TRUE(CXmlDoc::ReadTextFile(path, text, &log, &flags, &encoding)) << c.text;
        EXPECT_EQ(text, U(c.text));
        EXPECT_EQ(encoding, QString::fromLatin1(c.encoding)) << c.text;
        CXmlDoc doc;
        doc.Load(path);
        EXPECT_TRUE(doc.GetResultText().contains(QString::fromLatin1(c.result)))
            << c.text << ": " << doc.GetResultText().toStdString();
    }
}

// UTF-32 starts with bytes that also begin a UTF-16 mark (FF FE 00 00) or
// with nulls: its own marks and the nulls of "<?" decide first.
TEST(XmlFiles, Utf32FilesAreReadInBothByteOrders)
{
    const QString body = U("<a>Grüße 😀</a>");
    const QString declared = U("<?xml version='1.0' encoding='UTF-32'?>") + body;
    const auto encode = [](const QString& text, QStringConverter::Encoding to, bool mark) {
        QStringEncoder encoder(to, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        return QByteArray(encoder(text));
    };
    const struct {
        QByteArray bytes;
        QString text;
        const char* encoding;
    } cases[] = {
        {encode(body, QStringConverter::Utf32LE, true), body, "UTF-32LE"},
        {encode(body, QStringConverter::Utf32BE, true), body, "UTF-32BE"},
        {encode(declared, QStringConverter::Utf32LE, false), declared, "UTF-32LE"},
        {encode(declared, QStringConverter::Utf32BE, false), declared, "UTF-32BE"},
    };
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("in.xml"));
    for (const auto& c : cases) {
        ASSERT_TRUE(testutil::WriteFile(path, c.bytes));
        QString text;
        QString encoding;
        EXPECT_TRUE(CXmlDoc::ReadTextFile(path, text, nullptr, nullptr, &encoding)) << c.encoding;
        EXPECT_EQ(text, c.text) << c.encoding;
        EXPECT_EQ(encoding, QString::fromLatin1(c.encoding));
        CXmlDoc doc;
        ASSERT_TRUE(doc.Load(path)) << c.encoding;
        ASSERT_TRUE(doc.FindElement(QStringLiteral("a"))) << c.encoding;
        EXPECT_EQ(doc.GetElementData(), U("Grüße 😀")) << c.encoding;
    }
}

TEST(XmlFiles, MissingFilesAndFoldersFailWithTheSystemsMessage)
{
    testutil::TempDir dir;
    CXmlDoc doc;
    EXPECT_FALSE(doc.Load(dir.file(QStringLiteral("none.xml"))));
    EXPECT_TRUE(doc.GetResultText().contains(QStringLiteral("No such file"))) << doc.GetResultText().toStdString();
    EXPECT_FALSE(doc.Open(dir.file(QStringLiteral("no/folder/out.xml")), XmlDocFlag::WriteFile | XmlDocFlag::Utf8Bom));
    EXPECT_FALSE(doc.GetResultText().isEmpty());
    EXPECT_FALSE(doc.Close());

    // A write that fails is never reported as success.
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        ASSERT_TRUE(doc.Open(QStringLiteral("/dev/full"), XmlDocFlag::AppendFile));
        for (int i = 0; i < 5000; ++i)
            doc.AddElement(QStringLiteral("item"), QStringLiteral("some data to fill the buffers"));
        EXPECT_FALSE(doc.Close());
        EXPECT_TRUE(doc.GetResultText().contains(QStringLiteral("space"))) << doc.GetResultText().toStdString();
    }
}

TEST(XmlFiles, ReplacedFileIsWrittenWholeOrNotAtAll)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("keep.xml"));
    ASSERT_TRUE(testutil::WriteFile(path, "<old/>"));
    {
        CXmlDoc doc;
        ASSERT_TRUE(doc.Open(path, XmlDocFlag::WriteFile));
        doc.AddElement(QStringLiteral("new"));
        // Until Close the old file is untouched.
        EXPECT_EQ(testutil::ReadFile(path), QByteArray("<old/>"));
        EXPECT_TRUE(doc.Close());
    }
    EXPECT_EQ(testutil::ReadFile(path), QByteArray("<new/>\r\n"));

    // Appending adds behind what is there and writes no second mark.
    CXmlDoc doc;
    ASSERT_TRUE(doc.Open(path, XmlDocFlag::AppendFile | XmlDocFlag::Utf8Bom));
    doc.AddElement(QStringLiteral("more"));
    EXPECT_TRUE(doc.Close());
    EXPECT_EQ(testutil::ReadFile(path), QByteArray("<new/>\r\n<more/>\r\n"));
}

TEST(XmlFiles, OpenElementsEndWhenLeftOrClosed)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("open.xml"));
    CXmlDoc doc;
    ASSERT_TRUE(doc.Open(path, XmlDocFlag::WriteFile));
    ASSERT_TRUE(doc.AddSubDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n")) == false);
    ASSERT_TRUE(doc.AddElement(QStringLiteral("a"), QString(), XmlAddFlag::Open) && doc.EnterElement());
    ASSERT_TRUE(doc.AddElement(QStringLiteral("b"), QStringLiteral("1")));
    ASSERT_TRUE(doc.AddElement(QStringLiteral("c")) && doc.EnterElement());
    ASSERT_TRUE(doc.AddElement(QStringLiteral("d")));
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_FALSE(doc.AddElement(QStringLiteral("x"), QString(), XmlAddFlag::AsChild));   // not while writing
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.AddElement(QStringLiteral("e"), QString(), XmlAddFlag::Open));   // never entered
    ASSERT_TRUE(doc.AddElement(QStringLiteral("f")));
    EXPECT_TRUE(doc.Close());   // "c" and "a" are still open
    EXPECT_EQ(testutil::ReadFile(path),
              QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<a>\r\n<b>1</b>\r\n<c>\r\n<d>\r\n</d>\r\n"
                         "<e>\r\n</e>\r\n<f/>\r\n</c>\r\n</a>\r\n"));
}

TEST(XmlFiles, LargeFilesStreamThroughASmallWindow)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("large.xml"));
    const int groups = 40;
    const int items = 500;
    qsizetype largestWindow = 0;
    {
        CXmlDoc out;
        ASSERT_TRUE(out.Open(path, XmlDocFlag::WriteFile | XmlDocFlag::Utf8Bom));
        ASSERT_TRUE(out.AddElement(QStringLiteral("root")) && out.EnterElement());
        for (int g = 0; g < groups; ++g) {
            ASSERT_TRUE(out.AddElement(QStringLiteral("group")));
            ASSERT_TRUE(out.SetCurrentIntAttribute(u"id", g));
            ASSERT_TRUE(out.EnterElement());
            for (int i = 0; i < items; ++i) {
                ASSERT_TRUE(out.AddElement(QStringLiteral("item"), QStringLiteral("ä € %1 <%2>").arg(g).arg(i)));
                ASSERT_TRUE(out.SetCurrentIntAttribute(u"n", i));
                largestWindow = std::max(largestWindow, out.GetDoc().size());
            }
            ASSERT_TRUE(out.LeaveElement());
        }
        ASSERT_TRUE(out.LeaveElement());
        ASSERT_TRUE(out.Close()) << out.GetResultText().toStdString();
    }
    EXPECT_LT(largestWindow, 140000);
    EXPECT_GT(QFileInfo(path).size(), 600000);

    CXmlDoc whole;
    ASSERT_TRUE(whole.Load(path));
    ASSERT_TRUE(whole.FindElement(QStringLiteral("/root/group[40]/item[500]")));
    EXPECT_EQ(whole.GetElementData(), QStringLiteral("ä € 39 <499>"));

    CXmlDoc in;
    ASSERT_TRUE(in.Open(path, XmlDocFlag::ReadFile));
    ASSERT_TRUE(in.FindElement(QStringLiteral("root")) && in.EnterElement());
    int seen = 0;
    largestWindow = 0;
    for (int g = 0; in.FindElement(QStringLiteral("group")); ++g) {
        EXPECT_EQ(in.GetElementAttribute(u"id"), QString::number(g));
        ASSERT_TRUE(in.EnterElement());
        for (int i = 0; in.FindElement(QStringLiteral("item")); ++i, ++seen) {
            if (i % 2) {   // data read, or skipped unread
                EXPECT_EQ(in.GetElementData(), QStringLiteral("ä € %1 <%2>").arg(g).arg(i));
            }
            EXPECT_EQ(in.GetElementAttribute(u"n"), QString::number(i));
            largestWindow = std::max(largestWindow, in.GetDoc().size());
        }
        ASSERT_TRUE(in.LeaveElement());
    }
    EXPECT_EQ(seen, groups * items);
    EXPECT_LT(largestWindow, 70000);
    EXPECT_TRUE(in.LeaveElement());
    EXPECT_TRUE(in.IsWellFormed());

    // Selecting by predicates while reading.
    CXmlDoc pick;
    ASSERT_TRUE(pick.Open(path, XmlDocFlag::ReadFile));
    ASSERT_TRUE(pick.FindElement(QStringLiteral("//group[@id='7']")));
    ASSERT_TRUE(pick.EnterElement());
    ASSERT_TRUE(pick.FindElement(QStringLiteral("item[3]")));
    EXPECT_EQ(pick.GetElementAttribute(u"n"), QStringLiteral("2"));
    EXPECT_FALSE(pick.FindElement(QStringLiteral("item/x")));
}

TEST(XmlFiles, BlockBoundariesNeverBreakACharacter)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("edge.xml"));
    // The first block ends inside "€" (3 bytes), then inside a surrogate pair.
    const QByteArray head = "<r><t>";
    for (int shift = 0; shift < 3; ++shift) {
        QByteArray bytes = head + QByteArray(16384 - head.size() - 1 - shift, 'a') + "\xE2\x82\xAC" + "</t></r>";
        ASSERT_TRUE(testutil::WriteFile(path, bytes));
        CXmlDoc doc;
        ASSERT_TRUE(doc.Open(path, XmlDocFlag::ReadFile));
        ASSERT_TRUE(doc.FindElement(QStringLiteral("r")) && doc.EnterElement() && doc.FindElement(QStringLiteral("t")));
        EXPECT_TRUE(doc.GetElementData().endsWith(QStringLiteral("a€")));
        EXPECT_FALSE(doc.GetResultText().contains(QStringLiteral("lost")));
    }
    const QString text = QStringLiteral("<r><t>") + QString(8191 - 6, u'a') + U("😀</t></r>");
    QByteArray utf16("\xFF\xFE");
    utf16 += QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    ASSERT_TRUE(testutil::WriteFile(path, utf16));
    CXmlDoc doc;
    ASSERT_TRUE(doc.Open(path, XmlDocFlag::ReadFile));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("//t")));
    EXPECT_TRUE(doc.GetElementData().endsWith(U("a😀")));
}

TEST(XmlFiles, NamesIgnoringCaseFoldOnlyAsciiWhenCountedWhileReading)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("names.html"));
    ASSERT_TRUE(testutil::WriteFile(path, U("<HTML><Äb>1</Äb><äb>2</äb><P>3</P><p>4</p></HTML>").toUtf8()));
    for (const char* step : {"äb[1]", "p[2]"}) {
        CXmlDoc doc;
        doc.SetDocFlags(XmlDocFlag::IgnoreCase);
        ASSERT_TRUE(doc.Open(path, XmlDocFlag::ReadFile));
        ASSERT_TRUE(doc.FindElement(QStringLiteral("html")) && doc.EnterElement());
        // "Ä" is not "ä" to a name comparison, so it must not count as an earlier "äb" either.
        ASSERT_TRUE(doc.FindElement(U(step))) << step;
        EXPECT_EQ(doc.GetElementData(), QString::fromLatin1(step[0] == 'p' ? "4" : "2")) << step;
    }
}
