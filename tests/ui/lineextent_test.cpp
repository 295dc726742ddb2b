// The margins measure a line's top and bottom without placing a cursor: the
// same rows as the caret's rectangle at every position of a wrapped,
// scrolled text with tables, pictures and hidden text.
#include "common/testutil.h"
#include "ui/marginlayout.h"
#include "ui/richeditwnd.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

TEST(LineExtent, MatchesTheCaretRectangleEverywhere)
{
    for (const char* file : {"rtf/libreoffice/interview.rtf", "rtf/libreoffice/table.rtf", "rtf/libreoffice/image.rtf",
                             "rtf/short-tables.rtf"}) {
        SCOPED_TRACE(file);
        CRichEditWnd text;
        text.resize(260, 180);
        text.show();
        const QByteArray rtf = testutil::ReadFile(testutil::DataPath(QString::fromLatin1(file)));
        text.StreamInRtf(&rtf, false);
        text.SetZoomStep(16);
        QCoreApplication::processEvents();
        text.verticalScrollBar()->setValue(text.verticalScrollBar()->maximum() / 2);
        ASSERT_GT(text.GetTextLength(), 50);
        for (int position = 0; position <= text.GetTextLength(); ++position) {
            QTextCursor cursor(text.document());
            cursor.setPosition(
                std::clamp(text.ToDocumentPosition(position), 0, text.document()->characterCount() - 1));
            const QRect caret = text.cursorRect(cursor);
            ASSERT_EQ(LineExtentAt(text, position), qMakePair(caret.top(), caret.bottom() + 1)) << "at " << position;
        }
    }
}

}  // namespace
