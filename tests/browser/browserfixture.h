#pragma once

// The document browser on a real project: a project document with a new
// project file, the browser registered with it, and an owner that answers
// the browser's requests from the document as the frame's router does.

#include "browser/textcoderwindow.h"
#include "common/documentowner.h"
#include "common/screenshots.h"
#include "document/docfixture.h"
#include "document/objectlistregistry.h"
#include "ui/sidecolumng.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace browsertest {

/// The viewport point at the middle of a rich-edit position's character.
inline QPoint PointOfPosition(CSideColumnG& text, int position)
{
    QTextCursor cursor(text.document());
    cursor.setPosition(text.ToDocumentPosition(position));
    const QRect at = text.cursorRect(cursor);
    cursor.setPosition(text.ToDocumentPosition(position + 1));
    const QRect next = text.cursorRect(cursor);
    return QPoint((at.left() + next.left()) / 2, at.center().y());
}

/// Double-clicks the word at a position, as a user selects a word.
inline void SelectWordAt(CSideColumnG& text, int position)
{
    QTest::mouseDClick(text.viewport(), Qt::LeftButton, {}, PointOfPosition(text, position));
    QTest::mouseRelease(text.viewport(), Qt::LeftButton, {}, PointOfPosition(text, position));
}

class BrowserTest : public doctest::DocTest {
protected:
    BrowserTest() : documentOwner(doc) {}

    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        browser = std::make_unique<TextCoderWindow>();
        browser->SetOwner(&documentOwner);
        doc.GetRegistry().Register(browser.get());
        browser->resize(640, 360);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        browser->setFont(font);
        browser->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
    }
    void TearDown() override
    {
        browser.reset();
        DocTest::TearDown();
    }

    /// Shows the document as opening it from the document tree does.
    void Show(qint32 document)
    {
        ASSERT_TRUE(doc.SetOpenDocument(document, 0));
        ASSERT_EQ(browser->GetShownDocument(), document);
        QCoreApplication::processEvents();
    }

    CSideColumnG& text() { return *browser->TextControl(); }

    QPoint PointOf(int position) { return PointOfPosition(text(), position); }
    void SelectWordAt(int position) { browsertest::SelectWordAt(text(), position); }

    /// Drags the mouse over the text from one position to another.
    void DragSelect(int from, int to)
    {
        QWidget* viewport = text().viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, PointOf(from) - QPoint(3, 0));
        QMouseEvent move(QEvent::MouseMove, PointOf(to) - QPoint(3, 0), viewport->mapToGlobal(PointOf(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, PointOf(to) - QPoint(3, 0));
    }

    testutil::DocumentOwner documentOwner;
    std::unique_ptr<TextCoderWindow> browser;
};

}  // namespace browsertest
