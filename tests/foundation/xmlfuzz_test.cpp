// Mutated markup against the parser, the navigation and edits, and the file
// readers. The inputs come from a fixed seed, so a failure repeats; the
// sanitizers of the test build catch any read past a buffer.
#include "foundation/xmldoc.h"

#include "common/testutil.h"
#include "common/xmlcheck.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const char* const kSeeds[] = {
    "\xEF\xBB\xBF<KORVAN>\r\n<PROPERTIES id=\"qda\">\r\n<PROPERTY id=\"2\">1</PROPERTY>\r\n"
    "<PROPERTY id=\"10\">/home/a &amp; b</PROPERTY>\r\n</PROPERTIES>\r\n</KORVAN>\r\n",
    "<?xml version='1.0' encoding='iso-8859-1'?><!DOCTYPE r [<!ENTITY e 'x'><!ATTLIST r a CDATA #IMPLIED>]>"
    "<r a='1' b=\"&quot;\"><![CDATA[<not markup>]]><!-- note --><?pi data?><c/>&auml;&#x41;&#66;</r>",
    "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1252'></head>"
    "<body><p class=x/>text<br><table><tr><td>1<td>2</table></body></html>",
    "<a><b><c></a></b></c><d x=y z=\"w\" / ><e>\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80</e>",
    "\xFF\xFE<\0r\0>\0\x3D\xD8\x00\xDE<\0/\0r\0>\0",
};

const char kMarkup[] = "<>/&;'\"=![]-?#x \r\n\t\0";

QByteArray Mutate(const QByteArray& seed, std::mt19937& rng)
{
    QByteArray bytes = seed;
    const int steps = 1 + int(rng() % 6);
    for (int s = 0; s < steps; ++s) {
        const int size = int(bytes.size());
        const int at = size ? int(rng() % size) : 0;
        switch (rng() % 6) {
        case 0:   // flip a byte
            if (size)
                bytes[at] = char(rng());
            break;
        case 1:   // insert a markup character
            bytes.insert(at, kMarkup[rng() % (sizeof kMarkup - 1)]);
            break;
        case 2:   // delete a run
            bytes.remove(at, int(rng() % 8));
            break;
        case 3:   // repeat a run
            bytes.insert(at, bytes.mid(at, int(rng() % 16)).repeated(1 + int(rng() % 4)));
            break;
        case 4:   // cut the end
            bytes.truncate(at);
            break;
        default:   // splice in another seed
            bytes.insert(at, QByteArray(kSeeds[rng() % std::size(kSeeds)]).mid(int(rng() % 40), int(rng() % 60)));
        }
    }
    return bytes;
}

// Finds, reads and edits whatever the mutant holds.
void Exercise(CXmlDoc& doc, std::mt19937& rng)
{
    const bool wellFormed = doc.IsWellFormed();
    doc.GetResultText();
    int guard = 0;
    if (doc.FindElement(QStringLiteral("/*"))) {
        do {
            doc.GetElementData();
            doc.GetElementAttribute(u"a");
            doc.GetCurrentPath();
        } while (doc.FindElement(QStringLiteral("//*")) && ++guard < 2000);
    }
    static const char* const kPaths[] = {"*", "//p[@class]", "r/c", "a[2]", "//*[@x=y]", "*[b]", "/html/body"};
    doc.FindElement(QString::fromLatin1(kPaths[rng() % std::size(kPaths)]));
    doc.EnterElement();
    doc.AddElement(QStringLiteral("n"), QStringLiteral("v<&>"), int(rng() % 3) ? 0 : XmlAddFlag::AsChild);
    doc.SetCurrentAttribute(u"k", u"'\"");
    doc.AddSubDoc(QStringLiteral("<s><t/></s>"), int(rng() % 2) ? XmlAddFlag::Before : 0);
    doc.LeaveElement();
    if (wellFormed) {
        EXPECT_TRUE(xmlcheck::TreeMatchesFreshParse(doc)) << doc.GetDoc().toStdString();
    }
}

void ReadFileElementByElement(const QString& path, const char* encoding, std::mt19937& rng)
{
    CXmlDoc doc;
    QString enc = QString::fromLatin1(encoding);
    if (!doc.Open(path, XmlDocFlag::ReadFile, &enc))
        return;
    for (int guard = 0; guard < 500; ++guard) {
        const bool found = doc.FindElement(int(rng() % 4) ? QString() : QStringLiteral("//*"));
        if (!found && !doc.LeaveElement())
            break;
        if (found) {
            doc.GetElementAttribute(u"id");
            if (rng() % 2)
                doc.EnterElement();
            else
                doc.GetElementData();
        }
    }
    doc.IsWellFormed();
    doc.Close();
    doc.GetResultText();
}

}  // namespace

TEST(XmlFuzz, MutatedInputsNeverBreakTheReaderWriter)
{
    std::mt19937 rng(20240113);
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("mutant.xml"));
    const char* const encodings[] = {"", "", "UTF-16BE", "Shift_JIS", "UTF-32LE", "ISO-2022-JP", "UTF-7"};
    for (int round = 0; round < 1500; ++round) {
        const QByteArray bytes = Mutate(QByteArray(kSeeds[round % std::size(kSeeds)]), rng);

        CXmlDoc text;
        text.SetDocFlags(round % 3 ? 0 : XmlDocFlag::IgnoreCase | XmlDocFlag::Trim | XmlDocFlag::Collapse);
        text.SetDoc(QString::fromUtf8(bytes));
        Exercise(text, rng);
        CXmlDoc::DecodeEntity(QString::fromLatin1(bytes), XmlDocFlag::Trim);

        ASSERT_TRUE(testutil::WriteFile(path, bytes));
        CXmlDoc whole;
        whole.Load(path);
        Exercise(whole, rng);
        ReadFileElementByElement(path, encodings[rng() % std::size(encodings)], rng);
    }
}

TEST(XmlFuzz, HostileShapesStayBounded)
{
    const int n = 100000;
    const struct {
        const char* name;
        QString doc;
    } cases[] = {
        {"deep nesting without end tags", QStringLiteral("<a>").repeated(n)},
        {"deep nesting, then lone end tags", QStringLiteral("<a>").repeated(n) + QStringLiteral("</z>").repeated(n)},
        {"interleaved end tags", QStringLiteral("<b><a>").repeated(n / 2) + QStringLiteral("</b>").repeated(n / 2)},
        {"nested unended elements closed one level at a time",
         QStringLiteral("<u><v>").repeated(n / 4) + QStringLiteral("<x/>").repeated(n / 4)
             + QStringLiteral("</u>").repeated(n / 4)},
        {"many references", QStringLiteral("<r>") + QStringLiteral("&amp;&#x1F600;&bogus;").repeated(n)
                                + QStringLiteral("</r>")},
        {"an unterminated attribute", QStringLiteral("<a x='") + QString(n * 10, u'y')},
        {"a huge doctype subset", QStringLiteral("<!DOCTYPE a [") + QStringLiteral("<!ENTITY e 'x'>").repeated(n)},
    };
    for (const auto& c : cases) {
        CXmlDoc doc;
        doc.SetDoc(c.doc);
        EXPECT_LE(doc.GetResultText().size(), 2000) << c.name;
        if (doc.FindElement(QStringLiteral("//r"))) {
            EXPECT_EQ(doc.GetElementData().size(), qsizetype(n) * 10);
        }
        int count = 0;
        for (bool found = doc.FindElement(QStringLiteral("/*")); found && count < 10; found = doc.FindElement(QStringLiteral("//*")))
            ++count;
        EXPECT_TRUE(doc.AddElement(QStringLiteral("tail"))) << c.name;
    }
}
