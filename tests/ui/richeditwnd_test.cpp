// The visible rich-edit control: one document and selection with the
// window-less control, its menu, clipboard, zoom and address detection.
#include "ui/richeditwnd.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>

namespace {

QList<int> MenuIds(CRichEditWnd& edit)
{
    QList<int> ids;
    std::unique_ptr<QMenu> menu(edit.BuildContextMenu());
    if (menu)
        for (QAction* action : menu->actions())
            ids << action->data().toInt();
    return ids;
}

TEST(RichEditWnd, SharesDocumentAndSelection)
{
    CRichEditWnd edit;
    ASSERT_TRUE(edit.Create(kStyleChild | kStyleBorder | kStyleVScroll, QRect(0, 0, 400, 200), nullptr, 506));
    EXPECT_EQ(edit.property("controlId").toInt(), 506);
    const QByteArray rtf("{\\rtf1\\ansi a {\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt b}} c\\par}");
    edit.StreamInRtf(&rtf, false);
    EXPECT_EQ(edit.GetDocument(), edit.document());
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("a HYPERLINK \"u\"b c"));
    edit.SetSel(2, 16);
    EXPECT_EQ(edit.textCursor().selectedText(), QStringLiteral("HYPERLINK \"u\"b"));
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(0);
    edit.setTextCursor(cursor);
    int start = -1;
    int end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
}

TEST(RichEditWnd, ContextMenuOffersWhatCanAct)
{
    CRichEditWnd edit;
    edit.SetText(QStringLiteral("some text"));
    QApplication::clipboard()->clear();
    EXPECT_TRUE(MenuIds(edit).isEmpty()) << "not enabled";
    edit.ContextMenuEnabled = true;
    edit.SetSel(0, 0);
    EXPECT_TRUE(MenuIds(edit).isEmpty()) << "no selection, nothing to paste";
    edit.SetSel(0, 4);
    EXPECT_EQ(MenuIds(edit), QList<int>{kCommandCopy});
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    EXPECT_EQ(MenuIds(edit), (QList<int>{kCommandCut, kCommandCopy, kCommandPaste}));
    edit.SetSel(0, 0);
    EXPECT_EQ(MenuIds(edit), QList<int>{kCommandPaste});
    QApplication::clipboard()->clear();
}

TEST(RichEditWnd, ClipboardKeepsHiddenLinkAndLimit)
{
    CRichEditWnd edit;
    const QByteArray rtf("{\\rtf1\\ansi x{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt b}}\\par}");
    edit.StreamInRtf(&rtf, false);
    edit.SetSel(1, 15);
    edit.copy();
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("text/rtf")));
    edit.SetSel(0, 0);
    edit.paste();
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("HYPERLINK \"u\"bxHYPERLINK \"u\"b"));

    edit.SetText(QStringLiteral("abc"));
    edit.LimitText(5);
    edit.SetSel(3, 3);
    QApplication::clipboard()->setText(QStringLiteral("defgh"));
    edit.paste();
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("abcde"));
    QApplication::clipboard()->clear();
}

TEST(RichEditWnd, TypingStopsAtTheTextLimit)
{
    CRichEditWnd edit;
    edit.SetText(QStringLiteral("abc"));
    edit.LimitText(3);
    edit.SetSel(3, 3);
    auto press = [&edit](int key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&edit, &event);
    };
    press(Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("abc"));
    press(Qt::Key_Backspace, QString());   // keys that insert nothing still work
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("ab"));
    press(Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("abx"));
    edit.SetSel(0, 1);   // typing over a selection replaces it
    press(Qt::Key_Y, QStringLiteral("y"));
    EXPECT_EQ(edit.TextMap().text(), QStringLiteral("ybx"));
}

TEST(RichEditWnd, PositionsZoomAndAddresses)
{
    CRichEditWnd edit;
    edit.resize(300, 200);
    edit.show();
    edit.SetText(QStringLiteral("see www.example.org/x, then mailto:a@b.c\rsecond line"));
    const QPoint first = edit.PosFromChar(0);
    const QPoint second = edit.PosFromChar(int(edit.TextMap().text().indexOf(u'\r')) + 1);
    EXPECT_GT(second.y(), first.y());
    EXPECT_EQ(edit.CharFromPos(second + QPoint(1, 2)), int(edit.TextMap().text().indexOf(u'\r')) + 1);

    const qreal normal = edit.document()->size().height();
    edit.SetZoomStep(32);
    const qreal zoomed = edit.document()->size().height();
    EXPECT_GT(zoomed, normal * 1.5);
    edit.SetZoomStep(0);
    EXPECT_NEAR(edit.document()->size().height(), normal, 1.0);

    edit.SetAutoUrlDetect(1);
    const QList<QPair<int, int>> expected{{4, 21}, {28, 40}};
    EXPECT_EQ(edit.DetectedUrls(), expected);
    EXPECT_EQ(edit.SetBackgroundColor(0x00C0C0C0), 0x00FFFFFFu);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(192, 192, 192));
}

}  // namespace
