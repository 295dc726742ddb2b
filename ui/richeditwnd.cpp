#include "ui/richeditwnd.h"

#include "foundation/stringstore.h"
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace {

const QString kRtfMime = QStringLiteral("text/rtf");
constexpr int kCutText = 100336;
constexpr int kCopyText = 100337;
constexpr int kPasteText = 100338;
const QColor kBorderColor(101, 147, 207);
const QColor kLinkColor(0, 0, 255);

}  // namespace

CRichEditWnd::CRichEditWnd(QWidget* parent) : QTextEdit(parent), CRichEditCtrlEx(QTextEdit::document())
{
    // The text announces its change from inside the document's edit, while
    // the document still walks its cursors: the addresses are looked for
    // once that edit is over, and once for many changes in a row.
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!AutoUrlDetect() || m_urlsPending)
            return;
        m_urlsPending = true;
        QMetaObject::invokeMethod(this, [this] {
            m_urlsPending = false;
            if (AutoUrlDetect())
                DetectUrls();
        }, Qt::QueuedConnection);
    });
    // Marks wait for the layout to reach their text (see PlaceUrlMark).
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &CRichEditWnd::PlacePendingUrlMarks, Qt::QueuedConnection);
}

bool CRichEditWnd::Create(quint32 style, const QRect& rect, QWidget* parent, int id)
{
    setParent(parent);
    setGeometry(rect);
    setProperty("controlId", id);
    setReadOnly(style & kStyleReadOnly);
    setVerticalScrollBarPolicy(style & kStyleVScroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(style & kStyleHScroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (style & kStyleBorder)
        setStyleSheet(QStringLiteral("QTextEdit { border: 1px solid %1; }").arg(kBorderColor.name()));
    else
        setFrameShape(QFrame::NoFrame);
    setVisible(style & kStyleVisible);
    return true;
}

void CRichEditWnd::ViewSettingsChanged()
{
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    if (ZoomNumerator() > 0 && ZoomDenominator() > 0) {
        // Point sizes become pixels at the device's resolution: a scaled
        // resolution scales the text without touching the document.
        const double dpm = logicalDpiX() / 0.0254 * ZoomNumerator() / ZoomDenominator();
        m_zoomDevice = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
        m_zoomDevice->setDotsPerMeterX(int(dpm));
        m_zoomDevice->setDotsPerMeterY(int(dpm));
        layout->setPaintDevice(m_zoomDevice.get());
    } else {
        layout->setPaintDevice(nullptr);
        m_zoomDevice.reset();
    }
    document()->markContentsDirty(0, document()->characterCount());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, ToQColor(BackgroundColor()));
    setPalette(palette);
    m_urlsDirtyAll = true;
    if (AutoUrlDetect()) {
        DetectUrls();
    } else {
        m_urls.clear();
        m_urlSelections.clear();
        m_urlMarksPending = false;
        ApplyExtraSelections();
    }
}

void CRichEditWnd::StreamInRtf(const QByteArray* rtf, bool selection)
{
    if (!selection) {
        // The caret's anchor would ride along the loaded text to its end, and
        // placing the caret at the start would then lay out the whole text
        // to repaint the old selection. Without a caret while loading, only
        // the top is laid out now and the rest while the window is idle.
        setTextCursor(QTextCursor());
    }
    CRichEditCtrlEx::StreamInRtf(rtf, selection);
}

int CRichEditWnd::SetScrollPosition(QPoint position)
{
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
    return 1;
}

QPoint CRichEditWnd::GetScrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QPoint CRichEditWnd::PosFromChar(int position) const
{
    QTextCursor cursor(document());
    cursor.setPosition(ToDocumentPosition(position));
    return cursorRect(cursor).topLeft();
}

int CRichEditWnd::CharFromPos(QPoint point) const
{
    return FromDocumentPosition(cursorForPosition(point).position());
}

bool CRichEditWnd::CanPaste() const
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return !isReadOnly() && data && canInsertFromMimeData(data) && (data->hasText() || data->hasFormat(kRtfMime));
}

QMenu* CRichEditWnd::BuildContextMenu()
{
    if (!ContextMenuEnabled)
        return nullptr;
    auto* menu = new QMenu(this);
    QAction* cut = menu->addAction(LoadString(kCutText));
    cut->setData(kCommandCut);
    QAction* copy = menu->addAction(LoadString(kCopyText));
    copy->setData(kCommandCopy);
    QAction* paste = menu->addAction(LoadString(kPasteText));
    paste->setData(kCommandPaste);
    int start = 0;
    int end = 0;
    GetSel(start, end);
    if (start == end) {
        menu->removeAction(cut);
        menu->removeAction(copy);
    }
    if (!CanPaste()) {
        menu->removeAction(cut);
        menu->removeAction(paste);
    }
    if (menu->actions().isEmpty()) {
        delete menu;
        return nullptr;
    }
    return menu;
}

void CRichEditWnd::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(BuildContextMenu());
    if (!menu)
        return;
    const QAction* chosen = menu->exec(event->globalPos());
    if (!chosen)
        return;
    switch (chosen->data().toInt()) {
    case kCommandCut: cut(); break;
    case kCommandCopy: copy(); break;
    case kCommandPaste: paste(); break;
    default: break;
    }
}

QString CRichEditWnd::LinkAt(int documentPosition) const
{
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition);
    if (!cursor.atBlockEnd()) {
        cursor.movePosition(QTextCursor::NextCharacter);
        const QTextCharFormat format = cursor.charFormat();
        if (format.isAnchor() && !format.anchorHref().isEmpty())
            return format.anchorHref();
    }
    const int position = FromDocumentPosition(documentPosition);
    for (const auto& [start, end] : m_urls)
        if (position >= start && position < end)
            return GetTextRange(start, end);
    return {};
}

int CRichEditWnd::CharacterAtPoint(QPoint point) const
{
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    int position = document()->documentLayout()->hitTest(QPointF(point + scrolled), Qt::ExactHit);
    if (position < 0)
        return -1;
    // The hit is the nearest gap between characters: right of the point's
    // middle it lies after the character the point is on.
    QTextCursor cursor(document());
    cursor.setPosition(position);
    if (position > 0 && cursorRect(cursor).left() > point.x())
        --position;
    return position;
}

void CRichEditWnd::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    if (textCursor().hasSelection())
        return;
    const QString target = LinkAt(textCursor().position());
    if (!target.isEmpty())
        emit LinkClicked(target);
}

void CRichEditWnd::RichTextChanged(int start, int removed, int added)
{
    if (start < 0) {
        m_urlsDirtyAll = true;
        return;
    }
    // Addresses after the change move with the text; those it touched go
    // until their paragraphs are looked at again. The cursors of their
    // marks follow the document by themselves.
    const int shift = added - removed;
    for (qsizetype i = 0; i < m_urls.size();) {
        auto& [first, last] = m_urls[i];
        if (last <= start) {
            ++i;
        } else if (first >= start + removed) {
            first += shift;
            last += shift;
            ++i;
        } else {
            m_urls.removeAt(i);
            m_urlSelections.removeAt(i);
        }
    }
    const auto moved = [&](int position) {
        return position < start ? position : position >= start + removed ? position + shift : start;
    };
    if (m_urlsDirtyFrom < 0) {
        m_urlsDirtyFrom = start;
        m_urlsDirtyTo = start + added;
    } else {
        m_urlsDirtyFrom = std::min(moved(m_urlsDirtyFrom), start);
        m_urlsDirtyTo = std::max(moved(m_urlsDirtyTo), start + added);
    }
}

void CRichEditWnd::DetectUrls()
{
    static const QRegularExpression address(
        QStringLiteral(R"((?:\b[A-Za-z][A-Za-z0-9+.\-]*://|\bwww\.|\bmailto:)[^\s<>"\x{0007}\x{FFF9}\x{FFFB}\x{FFFC}]+)"));
    const QString& text = TextMap().text();
    // An address never spans a paragraph end (nor any other blank), so only
    // the paragraphs of the changed text are looked at again; the map's
    // report of a change already takes in the paragraph before it.
    int from = 0;
    int to = int(text.size());
    if (std::exchange(m_urlsDirtyAll, false)) {
        m_urls.clear();
        m_urlSelections.clear();
        m_urlMarksPending = false;
    } else if (m_urlsDirtyFrom < 0) {
        return;
    } else {
        const int dirtyFrom = std::clamp(m_urlsDirtyFrom, 0, to);
        const int dirtyTo = std::clamp(m_urlsDirtyTo, dirtyFrom, to);
        from = dirtyFrom > 0 ? int(text.lastIndexOf(u'\r', dirtyFrom - 1)) + 1 : 0;
        const qsizetype paragraphEnd = text.indexOf(u'\r', dirtyTo);
        to = paragraphEnd < 0 ? to : int(paragraphEnd);
    }
    m_urlsDirtyFrom = m_urlsDirtyTo = -1;
    // The addresses of the paragraphs go, then those found there take their
    // place in text order.
    qsizetype at = std::lower_bound(m_urls.cbegin(), m_urls.cend(), from,
                                    [](const QPair<int, int>& url, int p) { return url.first < p; })
                   - m_urls.cbegin();
    qsizetype gone = at;
    while (gone < m_urls.size() && m_urls[gone].first <= to)
        ++gone;
    m_urls.remove(at, gone - at);
    m_urlSelections.remove(at, gone - at);
    // Matched in views of some paragraphs each: a match checks the whole
    // string it is given for valid UTF-16 every time.
    constexpr int kSlice = 16384;
    for (int slice = from; slice < to;) {
        int sliceEnd = to;
        if (to - slice > kSlice) {
            const qsizetype paragraph = text.indexOf(u'\r', slice + kSlice);
            sliceEnd = paragraph < 0 || paragraph >= to ? to : int(paragraph);
        }
        for (auto it = address.globalMatch(QStringView(text).sliced(slice, sliceEnd - slice)); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const int start = slice + int(match.capturedStart());
            int end = slice + int(match.capturedEnd());
            while (end > start && QStringLiteral(".,;:!?)").contains(text[end - 1]))
                --end;
            QTextEdit::ExtraSelection selection;
            selection.format.setForeground(kLinkColor);
            selection.format.setFontUnderline(true);
            m_urls.insert(at, {start, end});
            m_urlSelections.insert(at, selection);
            if (!PlaceUrlMark(at))
                m_urlMarksPending = true;
            ++at;
        }
        slice = sliceEnd;
    }
    ApplyExtraSelections();
}

void CRichEditWnd::SetOwnerSelections(const QList<QTextEdit::ExtraSelection>& selections)
{
    m_ownerSelections = selections;
    ApplyExtraSelections();
}

void CRichEditWnd::ApplyExtraSelections()
{
    // The owner's backgrounds first, so an address inside coded text keeps
    // its link colour drawn over them.
    if (!m_urlMarksPending) {
        setExtraSelections(m_ownerSelections + m_urlSelections);
        return;
    }
    QList<QTextEdit::ExtraSelection> selections = m_ownerSelections;
    for (const QTextEdit::ExtraSelection& mark : std::as_const(m_urlSelections))
        if (!mark.cursor.isNull())
            selections.append(mark);
    setExtraSelections(selections);
}

bool CRichEditWnd::PlaceUrlMark(qsizetype index)
{
    // A cursor lays the text out up to its place, and a mark far down a
    // long text would lay out all of it at once: the mark waits until the
    // layout has reached its text by itself.
    const int first = ToDocumentPosition(m_urls[index].first);
    const int last = ToDocumentPosition(m_urls[index].second);
    for (const int position : {first, last}) {
        const QTextBlock block = document()->findBlock(position);
        if (!block.isValid() || !block.layout() || block.layout()->lineCount() == 0)
            return false;
    }
    QTextCursor& cursor = m_urlSelections[index].cursor;
    cursor = QTextCursor(document());
    cursor.setPosition(first);
    cursor.setPosition(last, QTextCursor::KeepAnchor);
    return true;
}

void CRichEditWnd::PlacePendingUrlMarks()
{
    if (!m_urlMarksPending)
        return;
    bool placed = false;
    bool waiting = false;
    for (qsizetype i = 0; i < m_urls.size(); ++i) {
        if (!m_urlSelections[i].cursor.isNull())
            continue;
        if (PlaceUrlMark(i))
            placed = true;
        else
            waiting = true;
    }
    m_urlMarksPending = waiting;
    if (placed)
        ApplyExtraSelections();
}

void CRichEditWnd::paintEvent(QPaintEvent* event)
{
    // What is painted is laid out: its marks are placed before it is drawn.
    PlacePendingUrlMarks();
    QTextEdit::paintEvent(event);
}

void CRichEditWnd::keyPressEvent(QKeyEvent* event)
{
    const bool inserts = !event->text().isEmpty() && event->text().at(0).isPrint();
    // Table marks make the rich-edit text longer than the document's, at
    // most some times over: the exact length is measured only near the limit.
    if (inserts && !textCursor().hasSelection() && 8 * qint64(document()->characterCount()) >= GetLimitText()
        && GetTextLength() >= GetLimitText()) {
        QApplication::beep();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

QMimeData* CRichEditWnd::createMimeDataFromSelection() const
{
    // Qt's own mime data lists a fixed set of formats: copy them over.
    const std::unique_ptr<QMimeData> qtData(QTextEdit::createMimeDataFromSelection());
    auto* data = new QMimeData;
    for (const QString& format : qtData->formats())
        data->setData(format, qtData->data(format));
    const QTextCursor cursor = textCursor();
    data->setData(kRtfMime, rtf::WriteRtf(*document(), cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

bool CRichEditWnd::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasFormat(kRtfMime) || source->hasText();
}

void CRichEditWnd::insertFromMimeData(const QMimeData* source)
{
    QTextCursor cursor = textCursor();
    if (source->hasFormat(kRtfMime)) {
        rtf::InsertRtf(source->data(kRtfMime), cursor);
    } else if (source->hasText()) {
        int start = 0;
        int end = 0;
        GetSel(start, end);
        const int room = std::max(0, GetLimitText() - (GetTextLength() - (end - start)));
        cursor.insertText(rtf::PlainTextToDocumentText(source->text()).left(room));
    }
    setTextCursor(cursor);
}
