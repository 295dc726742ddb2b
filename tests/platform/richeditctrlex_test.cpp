// The window-less rich-edit control: streaming, text, find, selection and
// formats in rich-edit positions.
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfformat.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

const QByteArray kLinkAndTable(
    "{\\rtf1\\ansi See {\\field{\\*\\fldinst{HYPERLINK \"http://x.org\"}}{\\fldrslt{\\ul link}}} here\\par"
    "\\trowd\\cellx1000\\cellx2000\\intbl Alpha\\cell Beta\\cell\\row\\pard after\\par}");

TEST(RichEditCtrlEx, EmptyAndNullTexts)
{
    CRichEditCtrlEx edit;
    EXPECT_EQ(edit.SetText(QStringLiteral("something")), 1);
    EXPECT_EQ(edit.SetText(QString()), -1);
    EXPECT_EQ(edit.GetTextLength(), 9);
    EXPECT_EQ(edit.SetText(QStringLiteral("")), 1);
    EXPECT_EQ(edit.GetTextLength(), 0);
    EXPECT_EQ(edit.GetDocument()->blockCount(), 1);
    const QTextCharFormat format = edit.GetDocument()->begin().charFormat();
    EXPECT_EQ(format.fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_EQ(format.fontPointSize(), 10.0);
    EXPECT_EQ(CRichEditCtrlEx::DefaultRtf().size(), 144);

    QString buffer;
    EXPECT_EQ(edit.GetText(nullptr, 100), -1);
    edit.SetText(QStringLiteral("abcdef"));
    EXPECT_EQ(edit.GetText(&buffer, 8), 3) << "8 bytes hold 3 characters and the terminator";
    EXPECT_EQ(buffer, QStringLiteral("abc"));
    EXPECT_EQ(edit.ReplaceSelText(QString()), -1);
}

TEST(RichEditCtrlEx, StreamingWholeAndSelection)
{
    CRichEditCtrlEx edit;
    edit.StreamInRtf(&kLinkAndTable, false);
    const QString text = edit.TextMap().text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("See HYPERLINK \"http://x.org\"link here\r")));

    // An empty selection writes nothing and leaves the array alone.
    QByteArray out("untouched");
    edit.SetSel(3, 3);
    edit.StreamOutRtf(&out, true, true);
    EXPECT_EQ(out, QByteArray("untouched"));

    // The link with its hidden instruction travels as a selection.
    const int start = int(text.indexOf(QStringLiteral("HYPERLINK")));
    const int end = int(text.indexOf(QStringLiteral(" here")));
    edit.SetSel(start, end);
    QString selected;
    EXPECT_EQ(edit.GetSelText(&selected, 1000), end - start);
    edit.StreamOutRtf(&out, true, true);
    CRichEditCtrlEx other;
    other.StreamInRtf(&out, false);
    EXPECT_EQ(other.TextMap().text(), QStringLiteral("HYPERLINK \"http://x.org\"link"));

    // In place of a selection; a null array only removes it.
    edit.SetSel(0, 4);
    edit.StreamInRtf(&out, true);
    EXPECT_TRUE(edit.TextMap().text().startsWith(QStringLiteral("HYPERLINK \"http://x.org\"linkHYPERLINK")));
    edit.SetSel(0, 4);
    edit.StreamInRtf(nullptr, true);
    EXPECT_TRUE(edit.TextMap().text().startsWith(QStringLiteral("RLINK \"http")));

    // A null array loads the default document; bytes that are not RTF load as text.
    edit.StreamInRtf(nullptr, false);
    EXPECT_EQ(edit.GetTextLength(), 0);
    const QByteArray plain = QString::fromUtf8("Grüße\r\nzwei").toUtf8();
    edit.StreamInRtf(&plain, false);
    EXPECT_EQ(edit.TextMap().text(), QString::fromUtf8("Grüße\rzwei"));
}

TEST(RichEditCtrlEx, FindInRichEditPositions)
{
    CRichEditCtrlEx edit;
    edit.StreamInRtf(&kLinkAndTable, false);
    const QString text = edit.TextMap().text();
    const int beta = int(text.indexOf(QStringLiteral("Beta")));
    struct Case {
        int first, last, flags;
        QString what;
        int expected;
    };
    const Case cases[] = {
        {0, -2, kFindDown, "beta", beta},                          // -1 + 1: to the end
        {0, int(text.size()), kFindDown | kFindMatchCase, "beta", -1},
        {beta, beta + 3, kFindDown, "Beta", beta},                 // last position is inclusive
        {beta, beta + 2, kFindDown, "Beta", -1},
        {0, int(text.size()), kFindDown, "http://x.org", int(text.indexOf("http"))},  // hidden text is searched
        {0, int(text.size()), kFindDown | kFindWholeWord, "her", -1},
        {0, int(text.size()), kFindDown | kFindWholeWord, "here", int(text.indexOf("here"))},
        {int(text.size()), 0, 0, "e", int(text.lastIndexOf(u'e'))},  // backward from the end
        {0, 10, kFindDown, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        EXPECT_EQ(edit.FindTextRange(c.first, c.last, c.flags, c.what), c.expected);
    }
    EXPECT_EQ(edit.FindTextRange(0, 10, kFindDown, QString()), -1);
    EXPECT_EQ(edit.FindTextPlain(kFindDown, nullptr), -1);
}

TEST(RichEditCtrlEx, SelectionAndFormatsUseRichEditPositions)
{
    CRichEditCtrlEx edit;
    edit.StreamInRtf(&kLinkAndTable, false);
    const QString text = edit.TextMap().text();
    const int alpha = int(text.indexOf(QStringLiteral("Alpha")));
    edit.SetSel(alpha, alpha + 5);
    QString selected;
    edit.GetSelText(&selected, 100);
    EXPECT_EQ(selected, QStringLiteral("Alpha"));
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, alpha);
    EXPECT_EQ(end, alpha + 5);
    EXPECT_EQ(edit.GetTextRange(alpha, alpha + 5), QStringLiteral("Alpha"));

    RichEditCharFormat bold;
    bold.mask = kCharMaskBold | kCharMaskColor;
    bold.effects = kCharBold;
    bold.textColor = 0x0000FF;  // red as 0x00BBGGRR
    EXPECT_EQ(edit.SetSelCharFormat2(bold), 1);
    QTextCursor probe(edit.GetDocument());
    probe.setPosition(edit.ToDocumentPosition(alpha + 1));
    EXPECT_EQ(probe.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(probe.charFormat().foreground().color(), QColor(255, 0, 0));

    // Hiding and showing text keeps its own size.
    RichEditCharFormat hidden;
    hidden.mask = kCharMaskHidden;
    hidden.effects = kCharHidden;
    edit.SetSel(0, 3);
    edit.SetSelCharFormat2(hidden);
    EXPECT_EQ(edit.GetTextLength(), int(text.size())) << "hidden text keeps its positions";
    hidden.effects = 0;
    edit.SetSelCharFormat2(hidden);
    probe.setPosition(1);
    EXPECT_FALSE(rtf::IsHidden(probe.charFormat()));
    EXPECT_EQ(probe.charFormat().fontPointSize(), 12.0);

    EXPECT_EQ(edit.ReplaceSelText(QStringLiteral("a\r\nb")), 3);
    EXPECT_TRUE(edit.TextMap().text().startsWith(QStringLiteral("a\rb HYPERLINK")));
}

TEST(RichEditCtrlEx, ZoomStepsAndLayoutPositions)
{
    CRichEditCtrlEx edit;
    struct Case {
        int step, numerator, denominator;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{-32, 32, 64}, Case{32, 64, 32}, Case{63, 64, 1}}) {
        EXPECT_EQ(edit.SetZoomStep(c.step), 1);
        EXPECT_EQ(edit.ZoomNumerator(), c.numerator);
        EXPECT_EQ(edit.ZoomDenominator(), c.denominator);
    }
    edit.SetLayoutWidth(500);
    edit.SetText(QString(400, u'x').replace(200, 1, u' ') + QStringLiteral("\rnext"));
    const QPoint first = edit.PosFromChar(0);
    const QPoint wrapped = edit.PosFromChar(201);
    const QPoint next = edit.PosFromChar(402);
    EXPECT_EQ(first, QPoint(0, 0));
    EXPECT_GT(wrapped.y(), first.y());
    EXPECT_GT(next.y(), wrapped.y());
    EXPECT_EQ(edit.GetTextMode(), kTextModeRich | kTextModeMultiLevelUndo | kTextModeMultiCodePage);
    EXPECT_NE(edit.SetTextMode(kTextModePlain), 0) << "only an empty control changes its mode";
}

}  // namespace
