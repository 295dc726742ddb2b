// The selection as coding data, the paragraph table, the text's notices
// (scrolling, selection, edits) and editing with its write-back iterators.

#include "browser/textcoderwindow.h"

#include "browser/stripelayout.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "ui/sidecolumng.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include <limits>
#include <QTextTable>

#include <algorithm>

// ---- Notices of the text ------------------------------------------------------

void TextCoderWindow::TextScrolled()
{
    // The text tells of scrolling and of its changes from inside its
    // document's edit, where the layout is not final yet and cursors must
    // not come and go: the margins follow once that edit is over.
    ScheduleRelayout(false);
}

void TextCoderWindow::ScheduleRelayout(bool afterEdit)
{
    m_relayoutAfterEdit = m_relayoutAfterEdit || afterEdit;
    if (m_relayoutPending)
        return;
    m_relayoutPending = true;
    QMetaObject::invokeMethod(this, [this] { RunScheduledRelayout(); }, Qt::QueuedConnection);
}

void TextCoderWindow::RunScheduledRelayout()
{
    if (!m_relayoutPending)
        return;
    m_relayoutPending = false;
    if (std::exchange(m_relayoutAfterEdit, false))
        AfterTextChange();
    else
        RelayoutView();
}

void TextCoderWindow::FlushLayout()
{
    RunScheduledRelayout();
}

void TextCoderWindow::RelayoutView()
{
    if (m_loading || m_kind != RichText)
        return;
    PositionStripes();
    LayoutMemoPositions();
    LayoutParagraphPositions();
    LayoutTimeMarks();
    m_memoMargin->update();
    m_paragraphMargin->update();
}

void TextCoderWindow::ZoomChanged()
{
    if (!m_loading)
        Refresh(true);
}

void TextCoderWindow::SelectionChanged() {}

void TextCoderWindow::Activate()
{
    // The frame learns of the active pane through the focus.
}

void TextCoderWindow::TextChanged(bool deleteKey)
{
    Q_UNUSED(deleteKey);
}

void TextCoderWindow::OnContentsChange(int from, int removed, int added)
{
    if (m_loading || m_kind != RichText || (removed == 0 && added == 0))
        return;
    const bool editing = m_text->Editable();
    const int blocks = m_text->document()->blockCount();
    if (!editing) {
        // Text set while not editing (loading, clearing) moves nothing.
        m_blockCount = blocks;
        return;
    }
    m_modified = true;
    // Positions of texts without tables are cursor positions; with tables
    // the rich-edit positions of the change are those of the old text.
    // With tables, the text before the change maps as it did; a change
    // counts as many positions as cursor positions unless it adds or
    // removes table rows, whose marks only the rich-edit text has.
    const int start = m_hasTables ? m_text->FromDocumentPosition(from) : from;
    const int richRemoved = removed;
    const EditEffect effect = TrackTextEdit(m_stripes, m_memos, m_links, m_timeMarks, start, richRemoved, added);

    // Paragraphs: a new or removed paragraph end rebuilds the table; other
    // changes shift the paragraphs after the change.
    if (blocks != m_blockCount || m_paragraphsDirty) {
        // Rebuilt once the edit is over: it measures the text.
        m_blockCount = blocks;
        m_paragraphsDirty = true;
    } else {
        const int d = added - richRemoved;
        QList<quint32>& pairs = m_paragraphs.characters;
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
            if (int(pairs[i + 1]) < start)
                continue;
            if (int(pairs[i]) > start)
                pairs[i] = quint32(std::max(0, int(pairs[i]) + d));
            pairs[i + 1] = quint32(std::max(int(pairs[i]), int(pairs[i + 1]) + d));
            m_paragraphMap[i] = qint32(pairs[i]);
            m_paragraphMap[i + 1] = qint32(pairs[i + 1]);
        }
    }
    Q_UNUSED(effect);
    m_textLength = added - richRemoved + m_textLength;
    ScheduleRelayout(true);
}

void TextCoderWindow::AfterTextChange()
{
    // Lanes and positions follow every keystroke; they measure only the
    // part of the text in view.
    if (std::exchange(m_paragraphsDirty, false))
        RebuildParagraphs();
    UpdateStripeLines();
    LayoutStripeLanes();
    PositionStripes();
    LayoutMemos();
    LayoutMemoPositions();
    LayoutParagraphPositions();
    UpdateLinkEffects();
    LayoutTimeMarks();
    m_memoMargin->update();
    m_paragraphMargin->update();
}

// ---- Paragraphs ----------------------------------------------------------------

void TextCoderWindow::RebuildParagraphs()
{
    m_paragraphs.characters.clear();
    m_paragraphMap.clear();
    if (m_kind == RichText) {
        m_paragraphMap = GetParagraphRanges(*m_text);
        for (const qint32 value : std::as_const(m_paragraphMap))
            m_paragraphs.characters.append(quint32(value));
    }
    m_paragraphs.positions.fill(0, m_paragraphs.characters.size());
    m_paragraphs.firstSlot = 0;
    m_paragraphs.lastSlot = -1;
    m_blockCount = m_text->document()->blockCount();
    const int count = GetParagraphCount();
    const int needed = std::max(BrowserLayout::MinMarginWidth, m_paragraphMargin->MeasureNumberWidth(std::max(1, count)));
    if (m_kind == RichText && needed != m_paragraphWidth) {
        m_paragraphWidth = needed;
        LayoutChildren();
    }
}

void TextCoderWindow::LayoutParagraphPositions()
{
    m_paragraphs.firstSlot = 0;
    m_paragraphs.lastSlot = -1;
    const QList<quint32>& pairs = m_paragraphs.characters;
    if (m_kind != RichText || pairs.isEmpty())
        return;
    m_paragraphs.positions.resize(pairs.size());
    const VisibleRange range = VisibleTextRange(*m_text);
    // The first paragraph whose end reaches the view.
    qsizetype low = 0;
    qsizetype high = pairs.size() / 2;
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (int(pairs[2 * middle + 1]) < range.first)
            low = middle + 1;
        else
            high = middle;
    }
    for (qsizetype k = low; k < pairs.size() / 2; ++k) {
        const int start = int(pairs[2 * k]);
        if (start > range.last)
            break;
        const int slot = int(2 * k);
        m_paragraphs.positions[slot] = LineExtentAt(*m_text, start).first;
        m_paragraphs.positions[slot + 1] = LineExtentAt(*m_text, int(pairs[2 * k + 1])).second;
        if (m_paragraphs.lastSlot < 0)
            m_paragraphs.firstSlot = slot;
        m_paragraphs.lastSlot = slot;
    }
}

int TextCoderWindow::GetParagraphAt(int position, bool endBased, int index, int x1) const
{
    if (m_kind == Pdf || m_kind == Picture) {
        qint32 page = 1, start = -1, end = -1, left = 0, right = 0, isText = 0;
        if (!m_viewer || !m_viewer->GetSelection(index, page, start, end, left, right, isText))
            return 0;
        return endBased ? start : end + 1;
    }
    if (m_kind == Table)
        return x1 + 1;
    // Both rules find the first matching paragraph by halving.
    return ParagraphOfPosition(position, endBased, m_paragraphMap);
}

int TextCoderWindow::GetParagraphStart(int n) const
{
    if (n < 1 || n > GetParagraphCount())
        return -1;
    return int(m_paragraphs.characters[2 * (n - 1)]);
}

bool TextCoderWindow::ParagraphAtY(int y, int& paragraph, int& position)
{
    if (m_kind != RichText)
        return false;
    const int at = m_text->CharFromPos(QPoint(0, y));
    paragraph = GetParagraphAt(at, true, 0, 0);
    position = paragraph > 0 ? GetParagraphStart(paragraph) : at;
    return paragraph > 0;
}

void TextCoderWindow::ScrollTextLines(int lines)
{
    QScrollBar* bar = m_text->verticalScrollBar();
    bar->setValue(bar->value() + lines * bar->singleStep());
}

int TextCoderWindow::PositionAtY(int y, int& row) const
{
    row = 0;
    if (m_kind != RichText)
        return -1;
    const QTextCursor cursor = m_text->cursorForPosition(QPoint(0, y));
    if (!cursor.block().isValid())
        return -1;
    const QTextLayout* layout = cursor.block().layout();
    int position = cursor.block().position();
    if (layout && layout->lineCount() > 0)
        position += layout->lineForTextPosition(cursor.positionInBlock()).textStart();
    return FromDoc(position);
}

bool TextCoderWindow::GoToParagraph(int n, bool toTop)
{
    if (m_kind == Pdf)
        return false;
    if (m_kind != RichText || n < 1 || n > GetParagraphCount())
        return false;
    const int start = int(m_paragraphs.characters[2 * (n - 1)]);
    const int end = int(m_paragraphs.characters[2 * (n - 1) + 1]);
    m_text->SetSel(end, start);
    if (toTop) {
        const QRect rect = m_text->cursorRect(m_text->textCursor());
        QScrollBar* bar = m_text->verticalScrollBar();
        bar->setValue(bar->value() + rect.top());
    } else {
        m_text->ensureCursorVisible();
    }
    RelayoutView();
    m_text->setFocus();
    return true;
}

void TextCoderWindow::ExtendSelectionToParagraph(int n)
{
    if (m_kind != RichText || n < 1 || n > GetParagraphCount())
        return;
    int start = 0;
    int end = 0;
    m_text->GetSel(start, end);
    const int paragraphStart = GetParagraphStart(n);
    if (paragraphStart < start)
        m_text->SetSel(paragraphStart, end);
    else
        m_text->SetSel(start, n < GetParagraphCount() ? GetParagraphStart(n + 1) : GetTextLength() - 1);
    m_text->setFocus();
}

// ---- The selection as coding data -------------------------------------------------

bool TextCoderWindow::GetSelection(qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2, qint32& isText,
                                   int index) const
{
    page = 1;
    start = end = -1;
    x1 = x2 = 0;
    isText = 0;
    switch (m_kind) {
    case RichText: {
        if (index > 0)
            return false;
        isText = 1;
        int from = 0;
        int to = 0;
        m_text->GetSel(from, to);
        start = from;
        end = to;
        return start != end;
    }
    case Pdf:
    case Picture:
    case Table:
        return m_viewer && m_viewer->GetSelection(index, page, start, end, x1, x2, isText);
    default:
        return false;
    }
}

bool TextCoderWindow::HasSelection() const
{
    qint32 page, start, end, x1, x2, isText;
    return GetSelection(page, start, end, x1, x2, isText, 0);
}

QString TextCoderWindow::GetSelectedText(int maxLength, int index) const
{
    switch (m_kind) {
    case Table: {
        QString text = TableView() ? TableView()->PieceText(index) : QString();
        if (maxLength >= 0)
            text.truncate(maxLength);
        return text;
    }
    case RichText: {
        int start = 0;
        int end = 0;
        m_text->GetSel(start, end);
        return GetRichEditTextRange(m_text, start, end, maxLength);
    }
    case Pdf: {
        QString text = m_viewer ? m_viewer->SelectedText() : QString();
        if (maxLength >= 0 && text.size() > maxLength) {
            text.truncate(maxLength);
            const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
            if (blank > 0)
                text.truncate(blank);
        }
        return text;
    }
    case Picture:
        return LoadString(BrowserText::ImagePreview);
    default:
        return {};
    }
}

bool TextCoderWindow::GetSelectionRtf(QByteArray& bytes, int index) const
{
    bytes.clear();
    if (m_kind == RichText) {
        if (index > 0)
            return false;
        // Backgrounds and link marks are no part of the text: the selection
        // streams out as it is stored.
        m_text->StreamOutRtf(&bytes, true, true);
        return !bytes.isEmpty();
    }
    if ((m_kind == Pdf || m_kind == Picture || m_kind == Table) && m_viewer) {
        const std::unique_ptr<CRichEditCtrlEx> hidden = CreateHiddenRichEdit();
        if (m_kind == Table)
            hidden->SetText(TableView() ? TableView()->PieceText(index) : QString());
        else
            hidden->SetText(m_kind == Picture ? LoadString(BrowserText::ImagePreview) : m_viewer->SelectedText());
        hidden->StreamOutRtf(&bytes, false, false);
        return true;
    }
    return false;
}

void TextCoderWindow::GetSelectionCoverage(qint32& length, double& percent, int index) const
{
    length = 0;
    percent = 0;
    if (m_kind == Table) {
        qint32 page, start, end, x1, x2, isText;
        if (!GetSelection(page, start, end, x1, x2, isText, index))
            return;
        length = end - start;
        const int total = GetTextLength();
        if (total > 0)
            percent = double(length) / total * 100.0;
        return;
    } else if (IDocumentViewer* viewer = Viewer()) {
        double whole = 0;
        double part = 0;
        viewer->GetSelectionCoverage(index, whole, part);
        length = qint32(std::min(part, double(std::numeric_limits<qint32>::max())));
        if (whole > 0)
            percent = part / whole * 100.0;
        return;
    }
    if (m_kind != RichText || index > 0)
        return;
    int start = 0;
    int end = 0;
    m_text->GetSel(start, end);
    length = std::abs(end - start);
    const int total = GetTextLength();
    if (total > 0)
        percent = double(length) / total * 100.0;
}

void TextCoderWindow::SelectSegment(int start, int end, int page, int x1, int x2, int isText)
{
    if (IDocumentViewer* viewer = Viewer()) {
        viewer->SetSelection(page, x1, start, x2, end, isText != 0);
        return;
    }
    if (m_kind != RichText)
        return;
    // From the end back to the start, so the view scrolls to the start.
    m_text->SetSel(end, start);
    m_text->ensureCursorVisible();
    RelayoutView();
}

// ---- Editing -----------------------------------------------------------------------

bool TextCoderWindow::SetEditable(bool on)
{
    if (m_kind == Table) {
        // Cells stay editable; on and off only say whether edits wait for
        // the commit.
        if (on && !m_tableEdited)
            m_editStartLength = GetTextLength();
        m_tableEdited = on && TableView() && TableView()->IsLoaded();
        return m_tableEdited || !on;
    }
    if (m_kind != RichText)
        return false;
    m_blockCount = m_text->document()->blockCount();
    if (on && !m_text->Editable())
        m_editStartLength = GetTextLength();
    return m_text->SetEditable(on);
}

void TextCoderWindow::MarkAllEdited()
{
    for (StripeItem& stripe : m_stripes)
        stripe.editFlags |= EditFlag::Edited;
    for (InTextMemoItem& memo : m_memos)
        memo.editFlags |= EditFlag::Edited;
    for (LinkItem& link : m_links)
        link.editFlags |= EditFlag::Edited;
    if (m_timeMarks)
        for (TimeMarkItem& mark : *m_timeMarks)
            mark.editFlags |= EditFlag::Edited;
}

bool TextCoderWindow::IsEditMode() const
{
    if (m_kind == Table)
        return m_tableEdited;
    return m_kind == RichText && m_text->Editable();
}

namespace {

void ToggleEffect(CSideColumnG* text, const std::function<bool(const QTextCharFormat&)>& has,
                  const std::function<void(QTextCharFormat&, bool)>& set)
{
    QTextCursor cursor = text->textCursor();
    QTextCharFormat format;
    set(format, !has(cursor.charFormat()));
    cursor.mergeCharFormat(format);
    text->mergeCurrentCharFormat(format);
}

}  // namespace

void TextCoderWindow::ToggleBold()
{
    if (!IsEditMode())
        return;
    ToggleEffect(m_text, [](const QTextCharFormat& f) { return f.fontWeight() >= QFont::Bold; },
                 [](QTextCharFormat& f, bool on) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); });
    m_modified = true;
}

void TextCoderWindow::ToggleItalic()
{
    if (!IsEditMode())
        return;
    ToggleEffect(m_text, [](const QTextCharFormat& f) { return f.fontItalic(); },
                 [](QTextCharFormat& f, bool on) { f.setFontItalic(on); });
    m_modified = true;
}

void TextCoderWindow::ToggleUnderline()
{
    if (!IsEditMode())
        return;
    ToggleEffect(m_text, [](const QTextCharFormat& f) { return f.fontUnderline(); },
                 [](QTextCharFormat& f, bool on) { f.setFontUnderline(on); });
    m_modified = true;
}

void TextCoderWindow::SetFontSize(int points)
{
    if (!IsEditMode() || points <= 0)
        return;
    QTextCharFormat format;
    format.setFontPointSize(points);
    m_text->mergeCurrentCharFormat(format);
    m_modified = true;
}

void TextCoderWindow::SetFontFace(const QString& face)
{
    if (!IsEditMode() || face.isEmpty())
        return;
    QTextCharFormat format;
    format.setFontFamilies({face});
    m_text->mergeCurrentCharFormat(format);
    m_modified = true;
}

void TextCoderWindow::CopySelection()
{
    if (m_kind == RichText)
        m_text->copy();
    else if (TableView())
        TableView()->Copy();
}

void TextCoderWindow::Cut()
{
    if (TableView()) {
        TableView()->Cut();
        return;
    }
    if (CanCut())
        m_text->cut();
}

void TextCoderWindow::Paste()
{
    if (TableView()) {
        TableView()->Paste();
        return;
    }
    if (CanPaste()) {
        CleanClipboardRtfLinks();
        m_text->paste();
    }
}

bool TextCoderWindow::CanUndo() const
{
    return IsEditMode() && m_text->document()->isUndoAvailable();
}

void TextCoderWindow::Undo()
{
    if (CanUndo())
        m_text->undo();
}

void TextCoderWindow::UndoAll()
{
    if (!CanUndo())
        return;
    m_text->setUpdatesEnabled(false);
    while (m_text->document()->isUndoAvailable())
        m_text->undo();
    m_text->setUpdatesEnabled(true);
    Refresh(true);
}

void TextCoderWindow::WrapLines(int n)
{
    if (!IsEditMode() || n <= 0)
        return;
    const QString text = m_text->TextMap().text();
    QList<int> breaks;
    int count = 0;
    int lastBlank = -1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            count = 0;
            lastBlank = -1;
            continue;
        }
        if (c == QLatin1Char(' '))
            lastBlank = i;
        if (++count > n && lastBlank >= 0) {
            breaks.append(lastBlank);
            count = i - lastBlank;
            lastBlank = -1;
        }
    }
    // Each blank becomes a paragraph end: one position for one, so nothing
    // anchored moves.
    QTextCursor cursor(m_text->document());
    cursor.beginEditBlock();
    for (qsizetype k = breaks.size() - 1; k >= 0; --k) {
        cursor.setPosition(ToDoc(breaks[k]));
        cursor.setPosition(ToDoc(breaks[k]) + 1, QTextCursor::KeepAnchor);
        cursor.insertBlock();
    }
    cursor.endEditBlock();
    m_text->SetSel(0, 0);
    Refresh(true);
}

bool TextCoderWindow::IsRichEditFocused() const
{
    return m_kind == RichText && m_text->hasFocus();
}

void TextCoderWindow::BeginBulkUpdate()
{
    if (m_kind != RichText)
        return;
    m_text->setUpdatesEnabled(false);
    m_stripeMargin->setUpdatesEnabled(false);
    m_memoMargin->setUpdatesEnabled(false);
    m_paragraphMargin->setUpdatesEnabled(false);
}

void TextCoderWindow::EndBulkUpdate()
{
    if (m_kind != RichText)
        return;
    for (QWidget* child : {static_cast<QWidget*>(m_text), static_cast<QWidget*>(m_stripeMargin),
                           static_cast<QWidget*>(m_memoMargin), static_cast<QWidget*>(m_paragraphMargin)})
        child->setUpdatesEnabled(true);
    InvalidateAll();
}

// ---- Write-back iterators ------------------------------------------------------------

bool TextCoderWindow::NextEditedStripe(bool restart, CodingRecord& row, bool& deleted)
{
    if (restart)
        m_stripeIterator = 0;
    while (m_stripeIterator < m_stripes.size() && !(m_stripes[m_stripeIterator].editFlags & EditFlag::Edited))
        ++m_stripeIterator;
    if (m_stripeIterator >= m_stripes.size())
        return false;
    StripeItem& stripe = m_stripes[m_stripeIterator];
    row = stripe.row;
    if (stripe.editFlags & EditFlag::Deleted) {
        deleted = true;
        m_stripes.removeAt(m_stripeIterator);
        m_stripeRecords.removeAt(m_stripeIterator);
        return true;
    }
    deleted = false;
    stripe.editFlags &= ~EditFlag::Edited;
    if (m_kind == RichText) {
        // The segment's text as it is now, through the control's selection.
        const QTextCursor kept = m_text->textCursor();
        const int scroll = m_text->verticalScrollBar()->value();
        const QSignalBlocker block(m_text);
        m_text->SetSel(row.StartChar, row.FinishChar);
        row.Text.clear();
        m_text->StreamOutRtf(&row.Text, true, true);
        row.Preview = GetSelectedText(63);
        GetSelectionCoverage(row.Area, row.Coverage, 0);
        m_text->setTextCursor(kept);
        m_text->verticalScrollBar()->setValue(scroll);
    } else if (m_kind == Table) {
        RefreshTableStripeText(row);
    }
    ++m_stripeIterator;
    return true;
}

bool TextCoderWindow::NextEditedMemo(bool restart, MemoRow& row, bool& deleted)
{
    if (restart)
        m_memoIterator = 0;
    while (m_memoIterator < m_memos.size() && !(m_memos[m_memoIterator].editFlags & EditFlag::Edited))
        ++m_memoIterator;
    if (m_memoIterator >= m_memos.size())
        return false;
    InTextMemoItem& memo = m_memos[m_memoIterator];
    row = memo.row;
    deleted = memo.editFlags & EditFlag::Deleted;
    if (deleted) {
        m_memos.removeAt(m_memoIterator);
        SyncMemoMarks();
        return true;
    }
    memo.editFlags &= ~EditFlag::Edited;
    ++m_memoIterator;
    return true;
}

bool TextCoderWindow::NextEditedLink(bool restart, LinkRow& row, bool& deleted)
{
    if (restart)
        m_linkIterator = 0;
    while (m_linkIterator < m_links.size() && !(m_links[m_linkIterator].editFlags & EditFlag::Edited))
        ++m_linkIterator;
    if (m_linkIterator >= m_links.size())
        return false;
    LinkItem& link = m_links[m_linkIterator];
    row = link.row;
    deleted = link.editFlags & EditFlag::Deleted;
    if (deleted) {
        m_links.removeAt(m_linkIterator);
        return true;
    }
    link.editFlags &= ~EditFlag::Edited;
    link.savedStart = link.row.StartChar;
    link.savedEnd = link.row.FinishChar;
    if (m_kind == RichText && link.row.LinkID != -1) {
        // An anchor keeps its rich text; an external link keeps its target.
        const QTextCursor kept = m_text->textCursor();
        const int scroll = m_text->verticalScrollBar()->value();
        const QSignalBlocker block(m_text);
        m_text->SetSel(link.row.StartChar, link.row.FinishChar);
        row.Text.clear();
        m_text->StreamOutRtf(&row.Text, true, true);
        m_text->setTextCursor(kept);
        m_text->verticalScrollBar()->setValue(scroll);
    }
    ++m_linkIterator;
    return true;
}

bool TextCoderWindow::NextEditedTimeMark(bool restart, TimeMarkItem& mark, bool& deleted)
{
    if (restart)
        m_markIterator = 0;
    if (!m_timeMarks)
        return false;
    while (m_markIterator < m_timeMarks->size() && !(m_timeMarks->at(m_markIterator).editFlags & EditFlag::Edited))
        ++m_markIterator;
    if (m_markIterator >= m_timeMarks->size())
        return false;
    TimeMarkItem& item = (*m_timeMarks)[m_markIterator];
    mark = item;
    deleted = item.editFlags & EditFlag::Deleted;
    if (deleted) {
        m_timeMarks->removeAt(m_markIterator);
        return true;
    }
    item.editFlags &= ~EditFlag::Edited;
    ++m_markIterator;
    return true;
}
