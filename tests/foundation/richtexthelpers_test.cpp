// Paragraph maps, previews and hyperlink clean-up on real RTF, read by the
// codec into the hidden control.
#include "foundation/richtexthelpers.h"

#include "common/testutil.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/richtextmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CRichEditCtrlEx> Load(const QByteArray& rtf)
{
    auto edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&rtf, false);
    return edit;
}

std::unique_ptr<CRichEditCtrlEx> LoadFixture(const QString& name)
{
    const QByteArray rtf = testutil::ReadFile(testutil::DataPath(QStringLiteral("rtf/") + name));
    EXPECT_FALSE(rtf.isEmpty()) << name.toStdString();
    return Load(rtf);
}

QString TextOf(const QByteArray& rtf)
{
    return Load(rtf)->TextMap().text();
}

// The format of the character at a rich-edit position.
QTextCharFormat FormatAt(const CRichEditCtrlEx& edit, int position)
{
    QTextCursor cursor(edit.GetDocument());
    cursor.setPosition(edit.ToDocumentPosition(position) + 1);
    return cursor.charFormat();
}

const QByteArray kRtfHead("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\pard ");

}  // namespace

TEST(ParagraphMaps, PlainTexts)
{
    const struct {
        QString text;
        ParagraphMap bounds, breaks, ranges;
    } cases[] = {
        {"ab\r\rcde\rf", {0, 3, 3, 4, 4, 8, 8, 8}, {2, 3, 7}, {0, 2, 4, 7, 8, 8}},
        {"\r\rab\rcd", {0, 1, 1, 2, 2, 5, 5, 6}, {0, 1, 4}, {2, 4, 5, 6}},
        // An empty last paragraph is dropped from the ranges, a one-character one kept.
        {"ab\r", {0, 3, 3, 2}, {2}, {0, 2}},
        {"x", {0, 0}, {}, {0, 0}},
        {"\r\r", {0, 1, 1, 2, 2, 1}, {0, 1}, {}},
        {"", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testutil::ShowControls(c.text).toStdString());
        auto edit = CreateHiddenRichEdit();
        edit->SetText(c.text);
        ASSERT_EQ(edit->TextMap().text(), c.text);
        EXPECT_EQ(GetParagraphBounds(*edit), c.bounds);
        EXPECT_EQ(GetParagraphBreaks(*edit), c.breaks);
        EXPECT_EQ(GetParagraphRanges(*edit), c.ranges);
    }
}

TEST(ParagraphMaps, FromRtfWithTables)
{
    // Row starts and row ends are paragraphs of their own in the text; they
    // lie on the line of the row's first cell and so are no paragraphs a
    // reader sees.
    const auto richEdit = LoadFixture(QStringLiteral("richedit-2.rtf"));
    ASSERT_EQ(richEdit->GetTextLength(), 76);
    EXPECT_EQ(GetParagraphRanges(*richEdit), ParagraphMap({0, 15, 18, 31, 34, 48, 49, 75}));
    EXPECT_EQ(GetParagraphBounds(*richEdit), ParagraphMap({0, 16, 16, 18, 18, 32, 32, 34, 34, 49, 49, 75}));
    EXPECT_EQ(GetParagraphBreaks(*richEdit), ParagraphMap({15, 17, 31, 33, 48}));

    const auto office = LoadFixture(QStringLiteral("libreoffice/table.rtf"));
    ASSERT_EQ(office->GetTextLength(), 92);
    EXPECT_EQ(GetParagraphRanges(*office), ParagraphMap({0, 17, 20, 38, 41, 55, 58, 75, 76, 91}));

    const auto plain = Load(kRtfHead + "ab\\par\\par cde\\par f\\par}");
    EXPECT_EQ(GetParagraphRanges(*plain), ParagraphMap({0, 2, 4, 7, 8, 8}));
}

TEST(ParagraphMaps, ManyShortTablesWithLinks)
{
    // Each table is one row: a cell of two paragraphs (a link, then "seen
    // n") beside a cell of one. The link's paragraph starts a line of its
    // own; "seen n" runs to the row end; the row start shares the link's
    // line. (Its time is measured in bench_richtextlayout.)
    const auto edit = LoadFixture(QStringLiteral("short-tables.rtf"));
    const QString text = edit->TextMap().text();
    ParagraphMap expected{0, qint32(text.indexOf(u'\r'))};
    for (qsizetype at = text.indexOf(QChar(rtf::kRowStart)); at >= 0; at = text.indexOf(QChar(rtf::kRowStart), at + 1)) {
        const qsizetype link = at + 2;
        const qsizetype seen = text.indexOf(QStringLiteral("seen"), link);
        const qsizetype rowEnd = text.indexOf(QChar(rtf::kRowEnd), seen) + 1;
        const qsizetype noteEnd = text.indexOf(u'\r', rowEnd + 1);
        ASSERT_TRUE(text.mid(link).startsWith(QStringLiteral("HYPERLINK")));
        expected << qint32(link) << qint32(seen - 1) << qint32(seen) << qint32(rowEnd) << qint32(rowEnd + 1)
                 << qint32(noteEnd < 0 ? text.size() - 1 : noteEnd);
    }
    ASSERT_EQ(expected.size(), 2 + 14 * 6);
    EXPECT_EQ(GetParagraphRanges(*edit), expected) << testutil::ShowControls(text).toStdString();
}

TEST(ParagraphMaps, HiddenParagraphsTakeNoLine)
{
    // A paragraph of hidden text only is laid out without room, so it
    // starts on the line of the next one and no reader sees it; hidden text
    // beside visible text keeps its paragraph.
    const struct {
        QByteArray body;
        ParagraphMap ranges;
    } cases[] = {
        {"{\\v hidden para}\\par visible\\par x", {12, 19, 20, 20}},
        {"a\\par {\\v hid\\par}b\\par c", {0, 1, 6, 7, 8, 8}},
        {"{\\v h1\\par h2\\par h3\\par h4\\par h5\\par h6\\par}b\\par c", {18, 19, 20, 20}},
        {"a {\\v note} b\\par c", {0, 8, 9, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        const auto edit = Load(kRtfHead + c.body + "}");
        EXPECT_EQ(GetParagraphRanges(*edit), c.ranges) << testutil::ShowControls(edit->TextMap().text()).toStdString();
    }
}

TEST(ParagraphMaps, ParagraphOfPosition)
{
    const ParagraphMap ranges{0, 2, 4, 7, 8, 8};
    const struct {
        qint32 position;
        int asStart, asEnd;
    } cases[] = {
        {0, 1, 1}, {2, 1, 1},
        {3, 2, 1},   // the CR of a dropped empty paragraph
        {4, 2, 1},   // a boundary: as an end it still closes paragraph 1
        {5, 2, 2}, {7, 2, 2},
        {8, 3, 2}, {9, 0, 3}, {-1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(ParagraphOfPosition(c.position, true, ranges), c.asStart);
        EXPECT_EQ(ParagraphOfPosition(c.position, false, ranges), c.asEnd);
    }
    EXPECT_EQ(ParagraphOfPosition(100, true, {0, 5}), 1) << "one paragraph holds everything";
    EXPECT_EQ(ParagraphOfPosition(7, true, {0, 3, 3}), 1) << "half a pair is not read";

    const auto edit = LoadFixture(QStringLiteral("richedit-2.rtf"));
    const ParagraphMap table = GetParagraphRanges(*edit);
    EXPECT_EQ(ParagraphOfPosition(16, true, table), 2) << "the row start belongs to the row";
    EXPECT_EQ(ParagraphOfPosition(44, true, table), 3);
    EXPECT_EQ(ParagraphOfPosition(70, true, table), 4);
}

TEST(ParagraphMaps, ParagraphOfPositionFollowsTheWalkOverEveryPair)
{
    // The rule as a walk over the pairs; the lookup halves the map instead.
    const auto walk = [](qint32 position, bool boundsMode, const ParagraphMap& map) {
        if (map.size() < 4)
            return 1;
        const qsizetype pairs = map.size() / 2;
        for (qsizetype k = 0; k < pairs; ++k) {
            const qint32 lower = boundsMode ? (k == 0 ? 0 : map[2 * k - 1]) : map[2 * k];
            const qint32 upper = boundsMode ? map[2 * k + 1] : k + 1 < pairs ? map[2 * k + 2] : 999'999'999;
            if (lower <= position && position <= upper)
                return int(k + 1);
        }
        return 0;
    };
    // Bounds maps of texts ending in a CR close with (length, length - 1),
    // one below the end before it.
    const QString texts[] = {"ab\r\rcde\rf", "ab\r", "a\rb\rc\r", "\r\r\r", "one\rtwo\r\rthree\r\r", "x"};
    for (const QString& text : texts) {
        SCOPED_TRACE(testutil::ShowControls(text).toStdString());
        auto edit = CreateHiddenRichEdit();
        edit->SetText(text);
        for (const ParagraphMap& map : {GetParagraphBounds(*edit), GetParagraphRanges(*edit)}) {
            for (qint32 position = -2; position <= qint32(text.size()) + 2; ++position) {
                EXPECT_EQ(ParagraphOfPosition(position, true, map), walk(position, true, map)) << position;
                EXPECT_EQ(ParagraphOfPosition(position, false, map), walk(position, false, map)) << position;
            }
        }
    }
}

TEST(RichEditHelpers, PreviewOfARange)
{
    const auto edit = LoadFixture(QStringLiteral("richedit-5.rtf"));
    EXPECT_EQ(GetRichEditTextRange(edit.get(), 35, 60, 20), QStringLiteral("„Grün“ € 5 Befragte:"));
    EXPECT_EQ(GetRichEditTextRange(edit.get(), 35, 60, -1), QStringLiteral("„Grün“ € 5 Befragte: Ja, "));
    EXPECT_EQ(GetRichEditTextRange(nullptr, 0, 10, 63), QString());
}

TEST(RichEditHelpers, HiddenControl)
{
    const auto edit = CreateHiddenRichEdit();
    EXPECT_EQ(edit->GetLimitText(), 10'000'000);
    EXPECT_EQ(edit->GetDocument()->textWidth(), 500);
    edit->SetText(QStringLiteral("word"));
    const QTextCharFormat format = FormatAt(*edit, 0);
    EXPECT_EQ(format.fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_EQ(format.fontPointSize(), 10.0);
    EXPECT_FALSE(format.fontStrikeOut());
    EXPECT_EQ(format.fontWeight(), QFont::Normal);
}

TEST(RemoveRtfHyperlinkFields, FixturesKeepTheShownTextOnly)
{
    const struct {
        const char* fixture;
        int fields;
        QString before, after;
    } cases[] = {
        {"richedit-5.rtf", 1, "Siehe HYPERLINK \"http://www.example.org/\"die Seite und rot.", "Siehe die Seite und rot."},
        {"pandoc/links.rtf", 3, "See HYPERLINK \"https://example.org/study\"the study page and",
         "See the study page and write to us. Plain text follows.\rA second paragraph with a query link."},
        {"libreoffice/links.rtf", 3, "HYPERLINK \"mailto:team@example.org\"write to us",
         "See the study page and write to us. Plain text follows.\rA second paragraph with a query link."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        QByteArray rtf = testutil::ReadFile(testutil::DataPath(QStringLiteral("rtf/") + c.fixture));
        ASSERT_TRUE(TextOf(rtf).contains(c.before));
        EXPECT_EQ(rtf.count("HYPERLINK"), c.fields);
        EXPECT_TRUE(RemoveRtfHyperlinkFields(rtf, true));
        EXPECT_EQ(rtf.count("HYPERLINK"), 0);
        const QString text = TextOf(rtf);
        EXPECT_TRUE(text.contains(c.after)) << testutil::ShowControls(text).toStdString();
        EXPECT_FALSE(RemoveRtfHyperlinkFields(rtf, true)) << "nothing left to remove";
    }
}

TEST(RemoveRtfHyperlinkFields, FormattingEndsWithTheLink)
{
    // A nested group and an escaped brace in the shown text; the old cut at
    // the first closing brace broke both and let the underline run on.
    QByteArray rtf = kRtfHead +
                     "See {\\field{\\*\\fldinst{HYPERLINK \"http://x.org\"}}{\\fldrslt{\\ul a {\\b bold\\} } link}}}"
                     " after\\par}";
    ASSERT_TRUE(RemoveRtfHyperlinkFields(rtf, false));
    const auto edit = Load(rtf);
    const QString text = edit->TextMap().text();
    EXPECT_EQ(text, QStringLiteral("See a bold}  link after"));
    EXPECT_TRUE(FormatAt(*edit, int(text.indexOf(u'b'))).fontWeight() == QFont::Bold);
    EXPECT_TRUE(FormatAt(*edit, int(text.indexOf(u'a'))).fontUnderline());
    EXPECT_FALSE(FormatAt(*edit, int(text.indexOf(QStringLiteral("after")))).fontUnderline());
}

TEST(RemoveRtfHyperlinkFields, MediaLinksAndDamagedFields)
{
    const QByteArray media =
        kRtfHead + "x {\\field{\\*\\fldinst{HYPERLINK \"file=a.mp3 time=00:01:02\"}}{\\fldrslt{\\ul\\cf1 00:01:02}}} y\\par}";
    QByteArray kept = media;
    ASSERT_TRUE(RemoveRtfHyperlinkFields(kept, false));
    EXPECT_EQ(TextOf(kept), QStringLiteral("x 00:01:02 y"));
    QByteArray blanked = media;
    ASSERT_TRUE(RemoveRtfHyperlinkFields(blanked, true));
    EXPECT_EQ(TextOf(blanked), u'x' + QString(10, u' ') + u'y') << "eight blanks for the time";
    EXPECT_FALSE(blanked.contains("\\ul"));
    const QByteArray web = kRtfHead + "{\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{\\ul w}}}\\par}";
    QByteArray notMedia = web;
    ASSERT_TRUE(RemoveRtfHyperlinkFields(notMedia, true));
    EXPECT_EQ(TextOf(notMedia), QStringLiteral("w"));

    // Cut or foreign fields stay byte for byte.
    const QByteArray unchanged[] = {
        kRtfHead + "{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt{cut",
        kRtfHead + "{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt{a}",
        kRtfHead + "{\\field{\\*\\fldinst{ PAGE }}{\\fldrslt{3}}}\\par}",
        kRtfHead + "{\\field{\\*\\fldinst{HYPERLINK \"u\"}}}\\par}",
        kRtfHead + "{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt{x\\bin9 }}}\\par}",
        "{\\field",
        QByteArray("{\\field\\", 8),
    };
    for (const QByteArray& bytes : unchanged) {
        SCOPED_TRACE(bytes.toStdString());
        QByteArray copy = bytes;
        EXPECT_FALSE(RemoveRtfHyperlinkFields(copy, true));
        EXPECT_EQ(copy, bytes);
    }
    // A damaged field ends the work, the fields before it are replaced.
    QByteArray mixed = web.chopped(1) + "{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt{cut";
    ASSERT_TRUE(RemoveRtfHyperlinkFields(mixed, false));
    EXPECT_TRUE(mixed.endsWith("{\\ul w}\\par{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt{cut"));
}

TEST(TrimRtfHyperlinkInstructions, KeepsOnlyTheQuotedTarget)
{
    const struct {
        QByteArray in, out;
        bool changed;
    } cases[] = {
        {"{\\field{\\*\\fldinst{HYPERLINK \"http://a\" \\\\o \"tip\"}}{\\fldrslt{x}}}",
         "{\\field{\\*\\fldinst{HYPERLINK \"http://a\"}}{\\fldrslt{x}}}", true},
        {"{\\*\\fldinst{HYPER\r\nLINK \"u\" \\\\l \"x\"}}", "{\\*\\fldinst{HYPERLINK \"u\"}}", true},
        {"{\\*\\fldinst{H\r\nYPERLINK \"u\" \\\\l \"x\"}} {\\*\\fldinst{HYPERLIN\r\nK \"v\" xy}}",
         "{\\*\\fldinst{HYPERLINK \"u\"}} {\\*\\fldinst{HYPERLINK \"v\"}}", true},
        // Nothing shortened: the bytes stay, also the broken word.
        {"{\\*\\fldinst{HYP\r\nERLINK \"u\"}}", "{\\*\\fldinst{HYP\r\nERLINK \"u\"}}", false},
        {"{\\*\\fldinst HYPERLINK \"u\" }", "{\\*\\fldinst HYPERLINK \"u\" }", false},
        {"{\\*\\fldinst{HYPERLINK http://a \\\\o x}}", "{\\*\\fldinst{HYPERLINK http://a \\\\o x}}", false},
        {"{\\*\\fldinst{PAGE \"a\" \\\\* MERGEFORMAT}}", "{\\*\\fldinst{PAGE \"a\" \\\\* MERGEFORMAT}}", false},
        // A group after the target would lose its opening brace.
        {"{\\*\\fldinst HYPERLINK \"u\" {\\b x}}", "{\\*\\fldinst HYPERLINK \"u\" {\\b x}}", false},
        {"{\\*\\fldinst HYPERLINK \"u\" xx", "{\\*\\fldinst HYPERLINK \"u\" xx", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        QByteArray bytes = c.in;
        EXPECT_EQ(TrimRtfHyperlinkInstructions(bytes), c.changed);
        EXPECT_EQ(bytes, c.out);
    }
}

TEST(CleanClipboardRtfLinks, KeepsTheOtherFormats)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* data = new QMimeData;
    data->setText(QStringLiteral("plain"));
    data->setHtml(QStringLiteral("<b>html</b>"));
    data->setData(QStringLiteral("text/rtf"), "{\\rtf1 {\\*\\fldinst{HYPERLINK \"u\" \\\\o \"t\"}}}");
    data->setData(QStringLiteral("application/x-korvan-test"), "payload");
    clipboard->setMimeData(data);

    ASSERT_TRUE(CleanClipboardRtfLinks());
    const QMimeData* now = clipboard->mimeData();
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->data(QStringLiteral("text/rtf")), QByteArray("{\\rtf1 {\\*\\fldinst{HYPERLINK \"u\"}}}"));
    EXPECT_EQ(now->text(), QStringLiteral("plain"));
    EXPECT_EQ(now->html(), QStringLiteral("<b>html</b>"));
    EXPECT_EQ(now->data(QStringLiteral("application/x-korvan-test")), QByteArray("payload"));

    EXPECT_FALSE(CleanClipboardRtfLinks()) << "nothing left to trim";
    clipboard->setText(QStringLiteral("no rich text"));
    EXPECT_FALSE(CleanClipboardRtfLinks());
    EXPECT_EQ(clipboard->text(), QStringLiteral("no rich text"));
    clipboard->clear();
}
