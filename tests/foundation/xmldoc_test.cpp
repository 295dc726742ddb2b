#include "foundation/xmldoc.h"

#include "common/testutil.h"
#include "common/xmlcheck.h"

#include <gtest/gtest.h>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace

TEST(XmlParse, MalformedMarkupIsToleratedAndLogged)
{
    struct Case {
        const char* doc;
        bool wellFormed;
        const char* result;
    };
    const Case cases[] = {
        {"<a><b></a>", false, "start tag 'b' at offset 3 expecting end tag at offset 7"},
        {"<a></b></a>", false, "lone end tag 'b' at offset 3"},
        {"<a/><b/>", false, "root element has sibling"},
        {"", false, "no root element"},
        {"text only", false, "no root element"},
        {"<a><!-x></a>", false, "tag syntax error at offset 3 expecting - to begin comment"},
        {"<a><![X[y]]></a>", false, "tag syntax error at offset 3 expecting 'CDATA'"},
        {"<a><!X></a>", false, "tag syntax error at offset 3 expecting markup declaration"},
        {"<a>< b/></a>", false, "tag syntax error at offset 3 expecting tag name / ! or ?"},
        {"<!DOCTYPE a [<!X>]><a/>", false, "tag syntax error at offset 0 expecting 'DOCTYPE' [ or -"},
        {"<a><b", false, "unterminated tag at offset 3"},
        {"<a><!-- c", false, "unterminated tag at offset 3"},
        {"<?xml version='1.0'?><!DOCTYPE a [<!ENTITY x 'y>z'>]><a><!-- <b> --><![CDATA[<c>]]></a>", true, ""},
        {"<a x='>' y=\"/>\"><b/></a>", true, ""},
        // Only the first parse error is rendered.
        {"<a></x></y></a>", false, "lone end tag 'x' at offset 3"},
    };
    for (const Case& c : cases) {
        CXmlDoc doc;
        EXPECT_EQ(doc.SetDoc(U(c.doc)), c.wellFormed) << c.doc;
        EXPECT_EQ(doc.GetResultText(), U(c.result)) << c.doc;
        EXPECT_TRUE(xmlcheck::TreeMatchesFreshParse(doc)) << c.doc;
    }
}

TEST(XmlParse, UnendedElementsKeepTheirChildrenAsSiblings)
{
    CXmlDoc doc(QStringLiteral("<a><b><c/>t</a>"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("a")));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement(QStringLiteral("b")));
    EXPECT_EQ(doc.GetElementData(), QString());   // unended: no content of its own
    EXPECT_TRUE(doc.FindElement(QStringLiteral("c")));   // moved up beside "b"
    EXPECT_EQ(doc.GetCurrentPath(), QStringLiteral("/a/c"));

    // "/" before ">" ends an unquoted value; with a blank before it the element is empty.
    CXmlDoc value(QStringLiteral("<r><p class=x/></r>"));
    ASSERT_TRUE(value.FindElement(QStringLiteral("//p")));
    EXPECT_EQ(value.GetElementAttribute(u"class"), QStringLiteral("x/"));
    EXPECT_FALSE(value.IsWellFormed());
    CXmlDoc empty(QStringLiteral("<r><p class=x /></r>"));
    EXPECT_TRUE(empty.IsWellFormed());
}

TEST(XmlEntities, DecodeReferences)
{
    struct Case {
        const char* in;
        int flags;
        const char* out;
    };
    const Case cases[] = {
        {"&AMP;", 0, "&"},
        {"&#x41;&#65;&#X42;", 0, "AAB"},
        {"&#0;", 0, "&#0;"},
        {"&unknown;", 0, "&unknown;"},
        {"&toolongname1;", 0, "&toolongname1;"},
        {"&auml;&Auml;&theta;&Theta;&prime;&Prime;", 0, "äÄθΘ′″"},
        {"&AUML;", 0, "ä"},
        {"&#x1F600;", 0, "😀"},
        {"&#xD800;&#x110000;&#99999999;", 0, "&#xD800;&#x110000;&#99999999;"},
        {"a & b &; &#; &#x; &#1a;", 0, "a & b &; &#; &#x; &#1a;"},
        {"&lt;&gt;&quot;&apos;&nbsp;&euro;", 0, "<>\"'\u00a0€"},
        {"&ä;&amp", 0, "&ä;&amp"},
        {"  a \r\n b  ", 0x300, "a b"},
        {"  a \r\n b  ", 0x100, "a \r\n b"},
        {"  a \r\n b  ", 0, "  a \r\n b  "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CXmlDoc::DecodeEntity(U(c.in), c.flags), U(c.out)) << c.in;
}

TEST(XmlEntities, EncodeAndEscape)
{
    EXPECT_EQ(CXmlDoc::EncodeEntities(u"<a & \"b\" 'c'>"), QStringLiteral("&lt;a &amp; \"b\" 'c'&gt;"));
    EXPECT_EQ(CXmlDoc::EncodeEntities(u"<a & \"b\" 'c'>", XmlEncodeFlag::Attribute),
              QStringLiteral("&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;"));
    EXPECT_EQ(CXmlDoc::EncodeEntities(u"&auml; &#228; & x;", XmlEncodeFlag::KeepReferences),
              QStringLiteral("&auml; &#228; &amp; x;"));

    const QString tricky = QStringLiteral("a]]>b]]]>c");
    CXmlDoc doc(QStringLiteral("<r>") + CXmlDoc::EscapeText(tricky) + QStringLiteral("</r>"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("r")));
    EXPECT_EQ(doc.GetElementData(), tricky);
}

TEST(XmlNavigation, FindByNameAndPath)
{
    CXmlDoc doc(QStringLiteral("<r><a/><b/><a x='1'/></r>"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("r")));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement(QStringLiteral("a")));
    EXPECT_EQ(doc.GetCurrentPath(), QStringLiteral("/r/a"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("a")));
    EXPECT_EQ(doc.GetElementAttribute(u"x"), QStringLiteral("1"));
    EXPECT_EQ(doc.GetCurrentPath(), QStringLiteral("/r/a[2]"));
    EXPECT_FALSE(doc.FindElement(QStringLiteral("a")));

    const char* const findsThird[] = {"/r/a[2]", "a[@x='1']", "a[@x=1]", "a[@x]", "*[3]", "//a[@x=\"1\"]"};
    for (const char* path : findsThird) {
        CXmlDoc d(doc.GetDoc());
        if (path[0] != '/') {
            ASSERT_TRUE(d.FindElement(QStringLiteral("r")) && d.EnterElement());
        }
        ASSERT_TRUE(d.FindElement(QString::fromLatin1(path))) << path;
        EXPECT_EQ(d.GetElementAttribute(u"x"), QStringLiteral("1")) << path;
    }

    CXmlDoc top(doc.GetDoc());
    EXPECT_TRUE(top.FindElement(QStringLiteral("//b")));
    EXPECT_EQ(top.GetCurrentPath(), QStringLiteral("/r/b"));

    CXmlDoc nested(QStringLiteral("<r><a/><a><c/></a></r>"));
    EXPECT_FALSE(nested.FindElement(QStringLiteral("/r/a/c")));   // no going back to an earlier step
    EXPECT_TRUE(nested.FindElement(QStringLiteral("/r/a[c]/c")));
    EXPECT_TRUE(nested.LeaveElement());
    EXPECT_EQ(nested.GetCurrentPath(), QStringLiteral("/r/a[2]"));
    EXPECT_TRUE(nested.LeaveElement());
    EXPECT_FALSE(nested.LeaveElement());   // at the top level
    CXmlDoc any(nested.GetDoc());
    EXPECT_TRUE(any.FindElement() && any.EnterElement() && any.FindElement());   // whatever the name
    EXPECT_EQ(any.GetCurrentPath(), QStringLiteral("/r/a"));

    for (const char* invalid : {"a[@x", "a]", "a[0]", "a//b", "a/", "[x]", "/r/@"})
        EXPECT_FALSE(CXmlDoc(doc.GetDoc()).FindElement(QString::fromLatin1(invalid))) << invalid;
}

TEST(XmlNavigation, DataOfElements)
{
    CXmlDoc doc(QStringLiteral("<r><a> x <![CDATA[<y>]]><!-- c --><?pi?>&amp;</a><b><c/></b><d>  p \n q </d></r>"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("/r/a")));
    EXPECT_EQ(doc.GetElementData(), QStringLiteral(" x <y>&"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("b")));
    EXPECT_EQ(doc.GetElementData(), QString());
    ASSERT_TRUE(doc.FindElement(QStringLiteral("d")));
    doc.SetDocFlags(XmlDocFlag::Trim | XmlDocFlag::Collapse);
    EXPECT_EQ(doc.GetElementData(), QStringLiteral("p q"));
    EXPECT_EQ(doc.GetElementAttribute(u"none"), QString());
}

TEST(XmlEditing, AddElementsAndAttributes)
{
    struct Case {
        const char* doc;
        const char* find;   // element made current first (none: top level)
        bool enter;
        const char* name;
        const char* data;
        int flags;
        const char* result;
    };
    const Case cases[] = {
        {"<r>\r\n<a/>\r\n</r>", "/r/a", false, "c", "x<y", 0, "<r>\r\n<a/>\r\n<c>x&lt;y</c>\r\n</r>"},
        {"<p/>", "p", true, "c", "", 0, "<p>\r\n<c/>\r\n</p>"},
        {"<p a='1' />", "p", true, "c", "", 0, "<p a='1'>\r\n<c/>\r\n</p>"},
        {"<p></p>", "p", true, "c", "", XmlAddFlag::SpaceBeforeSlash, "<p>\r\n<c />\r\n</p>"},
        {"<r>\r\n<a/>\r\n</r>", "/r/a", false, "c", "", XmlAddFlag::Before, "<r>\r\n<c/>\r\n<a/>\r\n</r>"},
        {"<r>\r\n<a/>\r\n</r>", "r", true, "c", "d", XmlAddFlag::Before | XmlAddFlag::CData,
         "<r>\r\n<c><![CDATA[d]]></c>\r\n<a/>\r\n</r>"},
        {"<r><a/></r>", "/r", false, "c", "&amp; &", XmlAddFlag::AsChild | XmlAddFlag::NoLineBreak
                                                      | XmlAddFlag::KeepReferences,
         "<r><a/><c>&amp; &amp;</c></r>"},
        {"", nullptr, false, "root", "", 0, "<root/>\r\n"},
    };
    for (const Case& c : cases) {
        CXmlDoc doc(U(c.doc));
        if (c.find) {
            ASSERT_TRUE(doc.FindElement(QString::fromLatin1(c.find))) << c.doc;
            if (c.enter) {
                ASSERT_TRUE(doc.EnterElement());
            }
        }
        ASSERT_TRUE(doc.AddElement(QString::fromLatin1(c.name), U(c.data), c.flags)) << c.doc;
        EXPECT_EQ(doc.GetDoc(), U(c.result)) << c.doc;
        EXPECT_TRUE(doc.GetDocFlags() & XmlDocFlag::Modified);
        EXPECT_TRUE(xmlcheck::TreeMatchesFreshParse(doc)) << c.doc;
    }

    CXmlDoc doc(QStringLiteral("<r><a x='old' y=\"2\"/><b/></r>"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("//a")));
    EXPECT_TRUE(doc.SetCurrentAttribute(u"x", u"say \"hi\" & <go>"));
    EXPECT_TRUE(doc.SetCurrentIntAttribute(u"z", -5));
    EXPECT_EQ(doc.GetDoc(), U("<r><a x=\"say &quot;hi&quot; &amp; &lt;go&gt;\" y=\"2\" z=\"-5\"/><b/></r>"));
    EXPECT_EQ(doc.GetElementAttribute(u"x"), QStringLiteral("say \"hi\" & <go>"));
    EXPECT_TRUE(xmlcheck::TreeMatchesFreshParse(doc));
    EXPECT_FALSE(doc.SetCurrentAttribute(u"bad name", u"v"));
    EXPECT_FALSE(doc.AddElement(QStringLiteral("bad<name")));
    EXPECT_FALSE(doc.AddElement(QStringLiteral("o"), QStringLiteral("data"), XmlAddFlag::Open));
}

TEST(XmlEditing, SubDocuments)
{
    CXmlDoc doc(QStringLiteral("<r>\r\n<a/>\r\n</r>"));
    ASSERT_TRUE(doc.FindElement(QStringLiteral("/r/a")));
    EXPECT_TRUE(doc.AddSubDoc(QStringLiteral("<s k='v'><t>1</t></s>")));
    EXPECT_EQ(doc.GetCurrentPath(), QStringLiteral("/r/s"));
    EXPECT_TRUE(doc.FindElement(QString()) == false);
    const QString before = doc.GetDoc();
    for (const char* refused : {"<x><y></x>", "plain text", "<a/> tail", "", "  ", "<x>"}) {
        EXPECT_FALSE(doc.AddSubDoc(U(refused))) << refused;
        EXPECT_EQ(doc.GetDoc(), before) << refused;
    }
    EXPECT_FALSE(doc.AddSubDoc(QStringLiteral("<u/><v/>")));   // both go in
    EXPECT_TRUE(doc.GetDoc().contains(QStringLiteral("<u/><v/>")));
    EXPECT_TRUE(xmlcheck::TreeMatchesFreshParse(doc));

    CXmlDoc declaration;
    EXPECT_FALSE(declaration.AddSubDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n")));
    EXPECT_TRUE(declaration.AddElement(QStringLiteral("KORVAN")));
    EXPECT_EQ(declaration.GetDoc(), QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<KORVAN/>\r\n"));
}

TEST(XmlEncodings, FindEncoding)
{
    const std::pair<const char*, int> cases[] = {
        {"UTF8", 65001},    {"utf-8", 65001},     {"Windows-1252", 1252}, {"UTF-32LE", 65005},
        {"UTF-32", 65005},  {"UTF-32BE", 12001},  {"utf-32", 12000},      {"ISO-8859-1", 28591},
        {"Shift_JIS", 932}, {"cp500", 500},       {"nonsense", -1},       {"", 0},
    };
    for (const auto& [name, codePage] : cases)
        EXPECT_EQ(CXmlDoc::FindEncoding(QString::fromLatin1(name)), codePage) << name;
    EXPECT_EQ(CXmlDoc::FindEncoding(QString(100, u'a')), -1);
}
