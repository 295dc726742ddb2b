#pragma once

// A stand-in for the document browser: the rich text with the paragraph,
// coding and memo margins beside it, laid out again on every scroll, and
// every request it receives kept for the test to read.

#include "ui/chartwndc.h"
#include "ui/chartwnde.h"
#include "ui/chartwndf.h"
#include "ui/marginlayout.h"
#include "ui/richviewowner.h"
#include "ui/sidecolumng.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QTextBlock>
#include <QTextLayout>
#include <QWidget>

struct SeenRequest {
    RequestCode code;
    qint32 kind = 0;
    qint32 itemId = 0;
    qint32 modifierKeys = 0;
    qint32 fieldId = 0;
    QString text;
};

class RecordingViewOwner : public RichViewOwner {
public:
    void Request(NotifyHead& record) override
    {
        SeenRequest seen{record.code, 0, 0, 0, 0, {}};
        if (record.code == RequestCode::ContextMenu || record.code == RequestCode::FollowItem
            || record.code == RequestCode::OpenItem) {
            const auto& info = static_cast<IdListNotifyInfo&>(record);
            seen.kind = info.kind;
            seen.itemId = info.itemId;
            seen.modifierKeys = info.modifierKeys;
        } else if (record.code == RequestCode::ItemInfo) {
            auto& info = static_cast<ListNotifyInfo&>(record);
            seen.kind = info.topic;
            seen.itemId = info.itemId;
            info.longText = QStringLiteral("long %1/%2").arg(info.topic).arg(info.itemId);
            info.handled = true;
        } else if (record.code == RequestCode::SetFieldValue) {
            const auto& info = static_cast<FieldValueNotifyInfo&>(record);
            seen.itemId = info.itemId;
            seen.fieldId = info.fieldId;
            seen.text = info.text;
        }
        requests.append(seen);
    }
    void TextScrolled() override { ++scrolled; }
    void TextChanged(bool deleteKey) override { changes.append(deleteKey); }
    void ZoomChanged() override { ++zoomed; }
    void EnterPressed() override { ++enters; }
    void HighlightSegment(qint32 codingId) override { highlighted = codingId; }
    void DeleteTextRange(int start, int end) override { deleted.append({start, end}); }

    QList<SeenRequest> requests;
    QList<bool> changes;
    QList<QPair<int, int>> deleted;
    int scrolled = 0;
    int zoomed = 0;
    int enters = 0;
    qint32 highlighted = 0;
};

/// Memo icons drawn in code: a yellow note and a blue one.
inline QList<QPixmap> TestMemoIcons()
{
    QList<QPixmap> icons;
    for (QColor colour : {QColor(250, 220, 80), QColor(120, 160, 230)}) {
        QPixmap icon(12, 14);
        icon.fill(colour);
        QPainter painter(&icon);
        painter.setPen(QColor(90, 90, 90));
        painter.drawRect(0, 0, 11, 13);
        for (int y = 4; y < 12; y += 3)
            painter.drawLine(2, y, 9, y);
        icons << icon;
    }
    return icons;
}

class TestBrowser : public QWidget, public RecordingViewOwner {
public:
    static constexpr int kParagraphWidth = 40;
    static constexpr int kStripeWidth = 120;
    static constexpr int kMemoWidth = 40;

    TestBrowser()
    {
        text.Create(kStyleChild | kStyleVisible | kStyleVScroll | kStyleMultiline, QRect(), this, 506);
        text.SetOwner(this);
        paragraphs.SetOwner(this);
        paragraphs.setParent(this);
        paragraphs.SetTextControl(&text);
        paragraphs.SetSource(&tables);
        paragraphs.m_numberWidth = kParagraphWidth - paragraphs.m_geoStripWidth;
        stripes.setParent(this);
        stripes.SetOwner(this);
        stripes.SetStripes(&stripeData);
        memos.setParent(this);
        memos.SetOwner(this);
        memos.SetImages(TestMemoIcons());
        memos.SetMemos(&memoData);
        QFont small(QStringLiteral("DejaVu Sans"));
        small.setPixelSize(10);
        stripes.setFont(small);
        paragraphs.setFont(small);
        resize(560, 300);
    }

    void Load(const QStringList& paragraphTexts)
    {
        text.SetText(paragraphTexts.join(QLatin1Char('\r')));
        FillParagraphCharacters(text, tables);
        Relayout();
    }

    void Relayout()
    {
        LayoutStripes(text, stripeData);
        stripes.ComputeColumnWidths(laneCount);
        LayoutMemos(text, memoData);
        LayoutParagraphs(text, tables);
        paragraphs.update();
        stripes.update();
        memos.update();
    }

    void TextScrolled() override
    {
        RecordingViewOwner::TextScrolled();
        Relayout();
    }
    void ZoomChanged() override
    {
        RecordingViewOwner::ZoomChanged();
        Relayout();
    }
    bool ParagraphAtY(int y, int& paragraph, int& position) override
    {
        const int at = text.CharFromPos(QPoint(0, y));
        const QTextBlock block = text.document()->findBlock(text.ToDocumentPosition(at));
        paragraph = block.blockNumber() + 1;
        position = text.FromDocumentPosition(block.position());
        return true;
    }

    void resizeEvent(QResizeEvent*) override
    {
        paragraphs.setGeometry(0, 0, kParagraphWidth, height());
        stripes.setGeometry(kParagraphWidth, 0, kStripeWidth, height());
        memos.setGeometry(kParagraphWidth + kStripeWidth, 0, kMemoWidth, height());
        const int textLeft = kParagraphWidth + kStripeWidth + kMemoWidth;
        text.setGeometry(textLeft, 0, width() - textLeft, height());
        Relayout();
    }

    CSideColumnG text;
    CChartWndF paragraphs;
    CChartWndC stripes;
    CChartWndE memos;
    ParagraphTables tables;
    QList<StripeRecord> stripeData;
    QList<MemoMark> memoData;
    int laneCount = 0;
};

/// Top and bottom of the line that holds a character, from the text's own
/// layout: what a stripe must line up with.
inline QPair<int, int> LineOf(const CRichEditWnd& text, int position)
{
    const int documentPosition = text.ToDocumentPosition(position);
    const QTextBlock block = text.document()->findBlock(documentPosition);
    const QTextLine line = block.layout()->lineForTextPosition(documentPosition - block.position());
    const QRectF blockRect = text.document()->documentLayout()->blockBoundingRect(block);
    const int scroll = text.verticalScrollBar()->value();
    return {int(blockRect.top() + line.y()) - scroll, int(blockRect.top() + line.y() + line.height()) - scroll};
}
inline int LineTopOf(const CRichEditWnd& text, int position) { return LineOf(text, position).first; }
inline int LineBottomOf(const CRichEditWnd& text, int position) { return LineOf(text, position).second; }

/// Moves the mouse, no button held, onto a point of a widget. The event
/// goes to the widget itself: QTest would move the platform cursor instead,
/// which reaches whichever test window lies on top at that place.
inline void Hover(QWidget* widget, QPoint point)
{
    QToolTip::hideText();
    QCoreApplication::processEvents();
    for (QPoint at : {point + QPoint(2, 2), point}) {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
}

/// A double click as a user makes it: QTest leaves the button held after
/// the second press, so it is released here.
inline void DoubleClick(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint point)
{
    QTest::mouseDClick(widget, button, keys, point);
    QTest::mouseRelease(widget, button, keys, point);
}
