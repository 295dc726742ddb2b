// In-text memos, links and media time marks of the shown document.

#include "browser/textcoderwindow.h"

#include "store/storeids.h"
#include "ui/sidecolumng.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

const QColor kLinkColour(0, 0, 255);

}  // namespace

// ---- Memos ------------------------------------------------------------------------

void TextCoderWindow::InsertMemo(const MemoRow& row)
{
    // Memos at one position keep their arrival order; a negative position
    // is never shown.
    if (row.Pos < 0)
        return;
    InTextMemoItem memo;
    memo.row = row;
    const auto at = std::upper_bound(m_memos.begin(), m_memos.end(), row.Pos,
                                     [](qint32 pos, const InTextMemoItem& m) { return pos < m.row.Pos; });
    m_memos.insert(at, memo);
}

void TextCoderWindow::AfterMemosChanged(bool layout)
{
    SyncMemoMarks();
    if (!layout)
        return;
    if (LayoutMemos())
        Refresh(true);
    else
        LayoutMemoPositions();
}

bool TextCoderWindow::AddMemoItem(const MemoRow& row, bool layout)
{
    if (row.Pos < 0)
        return false;
    InsertMemo(row);
    AfterMemosChanged(layout);
    return true;
}

bool TextCoderWindow::UpdateMemoItem(const MemoRow& row, bool layout)
{
    const auto it = std::find_if(m_memos.begin(), m_memos.end(), [&row](const InTextMemoItem& m) { return m.row.ID == row.ID; });
    if (it == m_memos.end())
        return false;
    m_memos.erase(it);
    InsertMemo(row);
    AfterMemosChanged(layout);
    return true;
}

bool TextCoderWindow::RemoveMemoItem(qint32 id, bool layout)
{
    const auto it = std::find_if(m_memos.begin(), m_memos.end(), [id](const InTextMemoItem& m) { return m.row.ID == id; });
    if (it == m_memos.end())
        return false;
    m_memos.erase(it);
    AfterMemosChanged(layout);
    return true;
}

bool TextCoderWindow::SelectMemoById(qint32 id)
{
    const auto it = std::find_if(m_memos.cbegin(), m_memos.cend(), [id](const InTextMemoItem& m) { return m.row.ID == id; });
    if (it == m_memos.cend() || m_kind != RichText)
        return false;
    m_text->SetSel(it->row.Pos, it->row.Pos);
    m_text->ensureCursorVisible();
    RelayoutView();
    return true;
}

void TextCoderWindow::SyncMemoMarks()
{
    m_memoMarks.resize(m_memos.size());
    for (qsizetype i = 0; i < m_memos.size(); ++i) {
        const InTextMemoItem& memo = m_memos[i];
        MemoMark& mark = m_memoMarks[i];
        mark.memoId = memo.row.ID;
        mark.paragraph = memo.row.Paragraph;
        mark.position = memo.row.Pos;
        mark.title = memo.row.Title;
        mark.author = memo.row.Author;
        mark.created = FormatDateText(memo.row.Date);
        mark.text = memo.row.Preview;
        mark.image = memo.row.Type;
        mark.column = memo.lane;
        mark.topY = memo.y;
        mark.visible = memo.visible && (memo.editFlags & EditFlag::Deleted) == 0 && memo.row.Pos >= 0;
    }
    m_memoMargin->SetMemos(&m_memoMarks);
}

bool TextCoderWindow::LayoutMemos()
{
    // Lanes by paragraph: memos of one paragraph stand side by side, so
    // no two icons of one line can meet whatever the line breaks.
    QHash<qint32, qint16> lanes;
    int widest = -1;
    const QTextDocument* document = m_text->document();
    for (InTextMemoItem& memo : m_memos) {
        memo.visible = m_kind == RichText && memo.row.Pos >= 0 && !(memo.editFlags & EditFlag::Deleted);
        if (!memo.visible)
            continue;
        memo.line = document->findBlock(ToDoc(memo.row.Pos)).blockNumber();
        memo.lane = lanes[memo.line]++;
        widest = std::max(widest, int(memo.lane));
    }
    SyncMemoMarks();
    const int needed = std::max(BrowserLayout::MinMarginWidth, m_memoMargin->NeededWidth() + 2);
    if (needed == m_memoWidth)
        return false;
    m_memoWidth = needed;
    return true;
}

void TextCoderWindow::LayoutMemoPositions()
{
    if (m_memos.isEmpty())
        return;
    const VisibleRange range = m_kind == RichText ? VisibleTextRange(*m_text) : VisibleRange{};
    for (qsizetype i = 0; i < m_memos.size(); ++i) {
        InTextMemoItem& memo = m_memos[i];
        const bool inView = memo.visible && memo.row.Pos >= range.first && memo.row.Pos <= range.last;
        memo.y = inView ? LineExtentAt(*m_text, memo.row.Pos).first : -100;
        m_memoMarks[i].topY = memo.y;
        m_memoMarks[i].visible = inView;
    }
    m_memoMargin->update();
}

// ---- Links ------------------------------------------------------------------------

bool TextCoderWindow::AddLinkItem(const LinkRow& row, bool layout)
{
    LinkItem link;
    link.row = row;
    link.savedStart = row.StartChar;
    link.savedEnd = row.FinishChar;
    link.linkType = LinkTypeOf(row);
    m_links.append(link);
    if (layout)
        UpdateLinkEffects();
    return true;
}

bool TextCoderWindow::UpdateLinkItem(const LinkRow& row)
{
    const int index = FindLinkById(row.ID);
    if (index < 0)
        return false;
    LinkItem& link = m_links[index];
    link.row = row;
    link.savedStart = row.StartChar;
    link.savedEnd = row.FinishChar;
    link.editFlags = 0;
    link.linkType = LinkTypeOf(row);
    UpdateLinkEffects();
    return true;
}

bool TextCoderWindow::RemoveLinkItem(qint32 id)
{
    const int index = FindLinkById(id);
    if (index < 0)
        return false;
    m_links.removeAt(index);
    UpdateLinkEffects();
    return true;
}

void TextCoderWindow::UpdateLinkEffects()
{
    m_linkSelections.clear();
    if (m_kind == RichText) {
        for (const LinkItem& link : std::as_const(m_links)) {
            if (!link.Live() || link.row.FinishChar <= link.row.StartChar)
                continue;
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(m_text->document());
            selection.cursor.setPosition(ToDoc(link.row.StartChar));
            selection.cursor.setPosition(ToDoc(link.row.FinishChar), QTextCursor::KeepAnchor);
            selection.format.setForeground(kLinkColour);
            selection.format.setFontUnderline(true);
            selection.format.setProperty(QTextFormat::UserProperty, link.row.ID);
            m_linkSelections.append(selection);
        }
    }
    ColourCodedText();
}

int TextCoderWindow::FindLinkById(qint32 id) const
{
    for (int i = 0; i < m_links.size(); ++i)
        if (m_links[i].row.ID == id)
            return i;
    return -1;
}

int TextCoderWindow::FindLinkAtRange(int from, int to) const
{
    for (int i = 0; i < m_links.size(); ++i)
        if (m_links[i].Live() && m_links[i].row.StartChar <= from && m_links[i].row.FinishChar >= to)
            return i;
    return -1;
}

qint32 TextCoderWindow::FindLinkAtSelection() const
{
    if (m_kind != RichText)
        return 0;
    int start = 0;
    int end = 0;
    m_text->GetSel(start, end);
    for (const LinkItem& link : m_links) {
        if (!link.Live())
            continue;
        const bool holdsStart = link.row.StartChar <= start && start <= link.row.FinishChar;
        const bool holdsEnd = link.row.StartChar <= end && end <= link.row.FinishChar;
        const bool inside = start <= link.row.StartChar && link.row.FinishChar <= end;
        if (holdsStart || holdsEnd || inside)
            return link.row.ID;
    }
    return 0;
}

void TextCoderWindow::FollowLink(int index)
{
    if (index < 0) {
        emit FollowLinkRequested(0, true);
        return;
    }
    const LinkItem& link = m_links.at(index);
    if (link.row.LinkID == -1)
        emit FollowLinkRequested(link.row.ID, true);
    else
        emit FollowLinkRequested(link.row.LinkID, false);
}

void TextCoderWindow::OnLinkClicked(const QString& target)
{
    if (m_kind != RichText)
        return;
    // A click on a link item follows it; an address in the text itself is
    // handed over as the pending link text.
    const QTextCursor cursor = m_text->textCursor();
    const int at = FromDoc(cursor.position());
    const int index = FindLinkAtRange(at, at);
    if (index >= 0) {
        FollowLink(index);
        return;
    }
    m_pendingLinkText = target;
    FollowLink(-1);
}

// ---- Time marks -----------------------------------------------------------------

void TextCoderWindow::SetTimeMarks(QList<TimeMarkItem>* marks)
{
    m_timeMarks = marks;
    if (m_showTimeMarks)
        Refresh(true);
}

void TextCoderWindow::SetShowTimeMarks(bool on)
{
    if (m_showTimeMarks == on)
        return;
    m_showTimeMarks = on;
    m_paragraphMargin->m_showMediaColumn = on;
    Refresh(true);
}

void TextCoderWindow::ToggleMarginColumn()
{
    m_paragraphMargin->m_showGeoStrip = !m_paragraphMargin->m_showGeoStrip;
    Refresh(true);
}

bool TextCoderWindow::IsMarginColumnShown() const
{
    return m_paragraphMargin->m_showGeoStrip;
}

void TextCoderWindow::LayoutTimeMarks()
{
    m_markBands.clear();
    if (m_kind != RichText || !m_showTimeMarks || !m_timeMarks || m_timeMarks->isEmpty()) {
        m_paragraphMargin->SetMediaMarks(&m_markBands, 0);
        return;
    }
    const VisibleRange range = VisibleTextRange(*m_text);
    const int clientBottom = m_text->viewport()->height();
    bool previousShown = false;
    for (qsizetype i = 0; i < m_timeMarks->size(); ++i) {
        TimeMarkItem& mark = (*m_timeMarks)[i];
        mark.shown = false;
        if (mark.editFlags & EditFlag::Deleted)
            continue;
        qsizetype next = i + 1;
        while (next < m_timeMarks->size() && (m_timeMarks->at(next).editFlags & EditFlag::Deleted))
            ++next;
        const int spanEnd = next < m_timeMarks->size() ? m_timeMarks->at(next).position : GetTextLength() - 1;
        MediaMarkBand band;
        band.id = mark.id;
        band.flags = kMarkNotLaidOut;
        if (spanEnd >= range.first && mark.position <= range.last) {
            const int y = i == 0 ? 0 : LineExtentAt(*m_text, mark.position).first;
            if (y <= clientBottom || previousShown) {
                mark.y = y;
                band.y = y;
                band.visible = true;
                band.flags = 0;
                mark.shown = y <= clientBottom;
            }
        }
        previousShown = mark.shown;
        m_markBands.append(band);
    }
    m_paragraphMargin->SetMediaMarks(&m_markBands, 0);
}
