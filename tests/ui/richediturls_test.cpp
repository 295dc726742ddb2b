// Addresses found in the text of the visible rich-edit control follow its
// edits: after some keys the control looks only at the changed paragraphs,
// and finds what it finds reading the whole text.
#include "ui/richeditwnd.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QTextBlock>
#include <QTextLayout>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(RichEditUrls, EditedTextFindsWhatTheWholeTextHolds)
{
    CRichEditWnd edit;
    edit.resize(400, 300);
    edit.show();
    const QByteArray rtf(
        R"({\rtf1\ansi see www.example.org/x, then mailto:a@b.c\par second http://one.org/a?b=1 line\par )"
        R"(third {\field{\*\fldinst{HYPERLINK "https://link.org/p"}}{\fldrslt the page}} and {\v www.hidden.org}\par )"
        R"(\trowd\cellx2000\cellx4000\intbl ftp://cell.org\cell www.two.org.\cell\row\pard after www.x.y})");
    edit.StreamInRtf(&rtf, false);
    edit.SetAutoUrlDetect(1);
    ASSERT_EQ(edit.DetectedUrls().size(), 8);

    std::mt19937 random(11);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    const QList<Qt::Key> keys = {Qt::Key_W, Qt::Key_Period, Qt::Key_Colon, Qt::Key_Slash, Qt::Key_Space,
                                 Qt::Key_X, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return};
    for (int step = 0; step < 150; ++step) {
        // Half the time at the edge of an address, where edits join, split
        // and cut them.
        const QList<QPair<int, int>> urls = edit.DetectedUrls();
        int position = pick(edit.GetTextLength() + 1);
        if (!urls.isEmpty() && pick(2) == 0) {
            const auto& url = urls[pick(int(urls.size()))];
            position = std::clamp((pick(2) == 0 ? url.first : url.second) + pick(3) - 1, 0, edit.GetTextLength());
        }
        edit.SetSel(position, position);
        // Some keys come in a row before the addresses are looked for.
        for (int i = 1 + pick(3); i > 0; --i)
            QTest::keyClick(&edit, keys[pick(int(keys.size()))]);
        QCoreApplication::processEvents();

        const QList<QPair<int, int>> found = edit.DetectedUrls();
        const QList<QTextEdit::ExtraSelection> marks = edit.extraSelections();
        // Switching detection off and on reads the whole text.
        edit.SetAutoUrlDetect(0);
        edit.SetAutoUrlDetect(1);
        const QList<QPair<int, int>> expected = edit.DetectedUrls();
        ASSERT_EQ(found, expected) << "step " << step;
        // Each address is marked from its start to its end.
        ASSERT_EQ(marks.size(), expected.size()) << "step " << step;
        for (qsizetype i = 0; i < marks.size(); ++i) {
            EXPECT_EQ(edit.FromDocumentPosition(marks[i].cursor.selectionStart()), expected[i].first) << "step " << step;
            EXPECT_EQ(edit.FromDocumentPosition(marks[i].cursor.selectionEnd()), expected[i].second) << "step " << step;
        }
    }
}

// Finding the addresses of a long text lays out nothing: an address beyond
// the part laid out so far is known at once and marked once the layout has
// reached it.
TEST(RichEditUrls, FarAddressIsMarkedOnceLaidOut)
{
    CRichEditWnd edit;
    edit.resize(300, 200);
    edit.show();
    edit.SetAutoUrlDetect(1);
    QByteArray rtf("{\\rtf1\\ansi near www.near.org\\par ");
    for (int i = 0; i < 20000; ++i)
        rtf += "line " + QByteArray::number(i) + "\\par ";
    rtf += "far www.far.org end}";
    edit.StreamInRtf(&rtf, false);
    // The addresses are looked for once the load is over.
    QCoreApplication::processEvents();
    const int far = int(edit.TextMap().text().indexOf(QStringLiteral("www.far.org")));
    const QList<QPair<int, int>> expected{{5, 17}, {far, far + 11}};
    EXPECT_EQ(edit.DetectedUrls(), expected);
    QTextDocument* document = edit.document();
    ASSERT_EQ(document->lastBlock().layout()->lineCount(), 0) << "the whole text was laid out";
    ASSERT_EQ(edit.extraSelections().size(), 1);

    document->documentLayout()->blockBoundingRect(document->lastBlock());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QList<QTextEdit::ExtraSelection> marks = edit.extraSelections();
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(edit.FromDocumentPosition(marks[1].cursor.selectionStart()), far);
    EXPECT_EQ(edit.FromDocumentPosition(marks[1].cursor.selectionEnd()), far + 11);
}

}  // namespace
