// Paragraph direction in the rich-edit control: left to right unless the
// paragraph is marked right to left, whatever script it holds.
#include "platform/rtf/richeditctrlex.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

TEST(ParagraphDirection, MarkedRightToLeftOnly)
{
    CRichEditCtrlEx control;
    const QByteArray rtf(R"({\rtf1\ansi latin\par \u1513?\u1500?\u1493?\u1501? unmarked\par\rtlpar \u1513?\u1500?\u1493?\u1501? marked\par\ltrpar again})");
    control.StreamInRtf(&rtf, false);
    const QTextDocument* document = control.GetDocument();
    ASSERT_EQ(document->blockCount(), 4);
    const Qt::LayoutDirection expected[] = {Qt::LeftToRight, Qt::LeftToRight, Qt::RightToLeft, Qt::LeftToRight};
    int i = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++i)
        EXPECT_EQ(block.textDirection(), expected[i]) << "paragraph " << i;
    // Typed paragraphs follow the same rule.
    control.SetSel(-1, -1);
    control.SetSel(control.GetTextLength(), control.GetTextLength());
    control.ReplaceSelText(QString::fromUtf16(u"\r\u05e9\u05dc\u05d5\u05dd"));
    EXPECT_EQ(document->lastBlock().textDirection(), Qt::LeftToRight);
}

}  // namespace
