// In-text memos, links and media time marks of the shown document.

#include "browser/textcoderwindow.h"

#include "foundation/externalfiles.h"
#include "foundation/kmlreader.h"
#include "foundation/linktarget.h"
#include "foundation/stringstore.h"
#include "store/storeids.h"
#include "ui/sidecolumng.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QColor kLinkColour(0, 0, 255);

// The link tip: as wide as this, as high as its text needs within these.
constexpr int kLinkTipWidth = 300;
constexpr int kLinkTipMinHeight = 32;
constexpr int kLinkTipMaxHeight = 160;
constexpr int kLinkTipPadding = 8;
/// The square around the cursor the tip stays for.
constexpr int kLinkTipSquare = 10;

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
    m_tipLinkId = 0;
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
    UpdateViewerLinks(true);
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
    // A link without target leads nowhere; the pending address of an
    // earlier click must not be opened for it.
    if (link.row.LinkID == 0)
        return;
    if (link.row.LinkID == -1)
        emit FollowLinkRequested(link.row.ID, true);
    else
        emit FollowLinkRequested(link.row.LinkID, false);
}

void TextCoderWindow::OnLinkClicked(const QString& target)
{
    // A link item under the click was followed already; an address in the
    // text itself is handed over as the pending link text.
    if (m_kind != RichText || std::exchange(m_followedOnRelease, false))
        return;
    m_pendingLinkText = target;
    FollowLink(-1);
    m_linkTip.Hide();
}

int TextCoderWindow::LinkIndexAtPoint(QPoint point) const
{
    if (m_kind != RichText)
        return -1;
    const int character = m_text->CharacterAtPoint(point);
    if (character < 0)
        return -1;
    const int at = FromDoc(character);
    for (int i = 0; i < m_links.size(); ++i) {
        const LinkRow& row = m_links[i].row;
        if (m_links[i].Live() && row.StartChar <= at && at < row.FinishChar)
            return i;
    }
    return -1;
}

bool TextCoderWindow::GetLinkTipText(int index, QString& text, QByteArray& rtf)
{
    text.clear();
    rtf.clear();
    if (index < 0 || index >= m_links.size())
        return false;
    const LinkRow& link = m_links.at(index).row;
    if (link.LinkID == 0) {
        text = LoadString(BrowserText::LinkWithoutTarget);
        return false;
    }
    const bool external = link.LinkID == -1;
    LinkRow target;
    if (!ReadRecord(TopicId::Links, external ? link.ID : link.LinkID,
                    [&](RowBuffer& row) { return LinkRowFromRow(row, target); }))
        return false;
    if (external) {
        const QString stored = LinkTargetText(target.Text);
        QString externals = GetExternalsFolder();
        const QString resolved = ResolveLinkTarget(stored, externals, QString());
        text = resolved.isEmpty() ? stored : resolved;
        // A map file tells its place; one that cannot be read shows its path.
        if (!resolved.isEmpty() && !IsLinkAddress(resolved)
            && resolved.endsWith(QLatin1String(".kml"), Qt::CaseInsensitive)) {
            const QString place = ReadKmlPlacemark(resolved);
            if (!place.isEmpty())
                text = place;
        }
        return true;
    }
    ListNotifyInfo document;
    document.topic = TopicId::Documents;
    document.itemId = target.TextID;
    document.mask = ListNotifyMask::FullName;
    if (RequestFromParent(document))
        text = document.name;
    text += QLatin1Char('\n');
    rtf = target.Text;
    return true;
}

void TextCoderWindow::ShowLinkTipAt(QPoint point)
{
    QString text;
    QByteArray rtf;
    const int index = LinkIndexAtPoint(point);
    if (index >= 0) {
        // The texts of the link last shown are kept: every move of the
        // mouse over it would read its record and look for its file again.
        const qint32 id = m_links.at(index).row.ID;
        if (id != m_tipLinkId) {
            GetLinkTipText(index, m_tipText, m_tipRtf);
            m_tipLinkId = id;
        }
        text = m_tipText;
        rtf = m_tipRtf;
    } else if (m_kind == RichText) {
        const int character = m_text->CharacterAtPoint(point);
        if (character >= 0)
            text = m_text->LinkAt(character);
    }
    if (text.isEmpty() && rtf.isEmpty()) {
        m_linkTip.Hide();
        return;
    }
    const QPoint cursor = m_text->viewport()->mapToGlobal(point);
    const QRect square(cursor - QPoint(kLinkTipSquare / 2, kLinkTipSquare / 2), QSize(kLinkTipSquare, kLinkTipSquare));
    m_linkTip.Show(square, text, rtf);
    // As high as the text needs: a path is one line, an anchor's text more.
    QTextDocument measure;
    m_linkTip.BuildDocument(measure);
    measure.setTextWidth(kLinkTipWidth - kLinkTipPadding);
    const int height = std::clamp(int(std::ceil(measure.size().height())) + kLinkTipPadding / 2, kLinkTipMinHeight,
                                  kLinkTipMaxHeight);
    m_linkTip.SetTipSize(QSize(kLinkTipWidth, height));
}

void TextCoderWindow::OpenLinkMenu(int index)
{
    m_pendingLinkId = 0;
    if (index < 0 || index >= m_links.size() || m_links.at(index).row.LinkID == 0)
        return;
    m_linkTip.Hide();
    m_pendingLinkId = m_links.at(index).row.ID;
}

void TextCoderWindow::LinkMouseEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() == Qt::NoButton)
            ShowLinkTipAt(mouse->position().toPoint());
        return;
    }
    case QEvent::Leave:
        m_linkTip.Hide();
        m_tipLinkId = 0;
        return;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_followedOnRelease = false;
        m_pressedLink = mouse->button() == Qt::LeftButton ? LinkIndexAtPoint(mouse->position().toPoint()) : -1;
        return;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int pressed = std::exchange(m_pressedLink, -1);
        // A click, not the end of a selection made by dragging.
        if (mouse->button() != Qt::LeftButton || pressed < 0 || m_text->textCursor().hasSelection()
            || LinkIndexAtPoint(mouse->position().toPoint()) != pressed)
            return;
        m_followedOnRelease = true;
        FollowLink(pressed);
        m_linkTip.Hide();
        return;
    }
    case QEvent::ContextMenu: {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        OpenLinkMenu(menu->reason() == QContextMenuEvent::Mouse ? LinkIndexAtPoint(menu->pos()) : -1);
        return;
    }
    default:
        return;
    }
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
