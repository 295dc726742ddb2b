#pragma once

// The document browser on a real project: a project document with a new
// project file, the browser registered with it, and an owner that answers
// the browser's requests from the document as the frame's router does.

#include "browser/textcoderwindow.h"
#include "common/screenshots.h"
#include "document/docfixture.h"
#include "ui/sidecolumng.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace browsertest {

/// Answers item queries and changes, record reads and settings from the
/// document; keeps the kinds of every other request it saw.
class DocumentOwner : public RichViewOwner {
public:
    explicit DocumentOwner(CKorDoc& doc) : m_doc(doc) {}

    void Request(NotifyHead& record) override
    {
        switch (record.code) {
        case RequestCode::ItemInfo: {
            auto& info = static_cast<ListNotifyInfo&>(record);
            if (info.query)
                m_doc.HandleItemQuery(info);
            else
                m_doc.HandleItemChange(info);
            break;
        }
        case RequestCode::GetRecord:
            m_doc.HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
            break;
        case RequestCode::ReadSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = m_doc.ReadSetting(info.key, info.value);
            break;
        }
        case RequestCode::WriteSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = m_doc.WriteSettingString(info.key, info.value);
            break;
        }
        default:
            others.append(record.code);
            if (onOther)
                onOther(record);
            break;
        }
    }

    QList<RequestCode> others;
    std::function<void(NotifyHead&)> onOther;

private:
    CKorDoc& m_doc;
};

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

    /// The viewport point at the middle of a rich-edit position's character.
    QPoint PointOf(int position)
    {
        QTextCursor cursor(text().document());
        cursor.setPosition(text().ToDocumentPosition(position));
        const QRect at = text().cursorRect(cursor);
        cursor.setPosition(text().ToDocumentPosition(position + 1));
        const QRect next = text().cursorRect(cursor);
        return QPoint((at.left() + next.left()) / 2, at.center().y());
    }

    /// Double-clicks the word at a position, as a user selects a word.
    void SelectWordAt(int position)
    {
        QTest::mouseDClick(text().viewport(), Qt::LeftButton, {}, PointOf(position));
        QTest::mouseRelease(text().viewport(), Qt::LeftButton, {}, PointOf(position));
    }

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

    DocumentOwner documentOwner;
    std::unique_ptr<TextCoderWindow> browser;
};

}  // namespace browsertest
