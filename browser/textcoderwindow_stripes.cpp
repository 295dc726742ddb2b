// Coding stripes: building them from coding rows, filters, line extents,
// lanes, pixel positions and labels, and the coloured background of coded
// text.

#include "browser/textcoderwindow.h"

#include "browser/stripelayout.h"
#include "store/storeids.h"
#include "ui/sidecolumng.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

/// A label that names a path shows ".." and its last part.
QString ShortLabel(const QString& name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('\\'));
    return slash < 0 ? name : QStringLiteral("..") + name.mid(slash);
}

}  // namespace

// ---- Positions --------------------------------------------------------------

int TextCoderWindow::ToDoc(int position) const
{
    // Without tables every rich-edit position is the cursor position; the
    // map would be rebuilt over the whole text after each change.
    if (!m_hasTables)
        return std::clamp(position, 0, DocumentLength());
    return m_text->ToDocumentPosition(position);
}

int TextCoderWindow::FromDoc(int documentPosition) const
{
    if (!m_hasTables)
        return std::clamp(documentPosition, 0, DocumentLength());
    return m_text->FromDocumentPosition(documentPosition);
}

int TextCoderWindow::DocumentLength() const
{
    return std::max(0, m_text->document()->characterCount() - 1);
}

// ---- Building stripes ---------------------------------------------------------

bool TextCoderWindow::AskCodeColour(qint32 code, COLORREF& colour, qint32& state)
{
    ListNotifyInfo info;
    info.topic = TopicId::Codes;
    info.itemId = code;
    info.mask = BrowserRequest::CodeColour;
    colour = kNoColor;
    state = 0;
    if (!RequestFromParent(info))
        return false;
    colour = info.colour;
    state = info.state;
    return true;
}

QString TextCoderWindow::GetStripeLabel(int n)
{
    const StripeItem& stripe = m_stripes.at(n);
    ListNotifyInfo info;
    info.topic = TopicId::Codings;
    info.itemId = stripe.row.ID;
    info.mask = ListNotifyMask::Name;
    if (!RequestFromParent(info))
        return {};
    return ShortLabel(info.name);
}

bool TextCoderWindow::AddStripe(const CodingRecord& row, bool layout)
{
    StripeItem stripe;
    stripe.row = row;
    COLORREF colour = kNoColor;
    qint32 state = 0;
    const bool answered = AskCodeColour(row.WordID, colour, state);
    stripe.colour = colour;
    // Equal starts keep their arrival order.
    const auto at = std::upper_bound(m_stripes.begin(), m_stripes.end(), row.StartChar,
                                     [](qint32 start, const StripeItem& s) { return start < s.row.StartChar; });
    const int index = int(at - m_stripes.begin());
    m_stripes.insert(index, stripe);
    StripeRecord record;
    m_stripeRecords.insert(index, record);
    m_stripeRecords[index].codePath = GetStripeLabel(index);
    ApplyStripeFilter(index, state, answered);
    if (layout && !m_batchUpdate) {
        UpdateStripeLines();
        LayoutStripeLanes();
        PositionStripes();
        UpdateStripeParagraphs();
        RedrawCodingStripes();
    }
    return true;
}

bool TextCoderWindow::UpdateStripe(const CodingRecord& row, bool layout)
{
    const auto it = std::find_if(m_stripes.begin(), m_stripes.end(),
                                 [&row](const StripeItem& s) { return s.row.ID == row.ID; });
    if (it == m_stripes.end())
        return false;
    int index = int(it - m_stripes.begin());
    COLORREF colour = kNoColor;
    qint32 state = 0;
    const bool answered = AskCodeColour(row.WordID, colour, state);
    const CodingRecord& old = it->row;
    const bool changed = old.Page != row.Page || old.StartChar != row.StartChar || old.FinishChar != row.FinishChar
                         || old.Weight != row.Weight || old.Comment.size() != row.Comment.size()
                         || old.Comment.left(1) != row.Comment.left(1) || (answered && colour != it->colour);
    const bool moved = old.StartChar != row.StartChar;
    it->row = row;
    if (answered)
        it->colour = colour;
    if (moved) {
        // Keep the array in start order.
        StripeItem stripe = m_stripes.takeAt(index);
        StripeRecord record = m_stripeRecords.takeAt(index);
        const auto at = std::upper_bound(m_stripes.begin(), m_stripes.end(), stripe.row.StartChar,
                                         [](qint32 start, const StripeItem& s) { return start < s.row.StartChar; });
        index = int(at - m_stripes.begin());
        m_stripes.insert(index, stripe);
        m_stripeRecords.insert(index, record);
    }
    m_stripeRecords[index].codePath = GetStripeLabel(index);
    ApplyStripeFilter(index, state, answered);
    if (changed && layout) {
        UpdateStripeLines();
        LayoutStripeLanes();
        PositionStripes();
        UpdateStripeParagraphs();
        RedrawCodingStripes();
    } else {
        SyncStripeRecords();
        m_stripeMargin->update();
    }
    return true;
}

bool TextCoderWindow::RemoveStripe(qint32 id, bool layout)
{
    const auto it = std::find_if(m_stripes.begin(), m_stripes.end(), [id](const StripeItem& s) { return s.row.ID == id; });
    if (it == m_stripes.end())
        return false;
    const int index = int(it - m_stripes.begin());
    m_stripes.removeAt(index);
    m_stripeRecords.removeAt(index);
    if (m_hotCoding == id)
        m_hotCoding = 0;
    m_stripeMargin->SetStripes(&m_stripeRecords);
    if (layout) {
        LayoutStripeLanes();
        PositionStripes();
        UpdateStripeParagraphs();
        LayoutMemos();
        LayoutParagraphPositions();
        RedrawCodingStripes();
        InvalidateAll();
    }
    return true;
}

// ---- Filters and layout ----------------------------------------------------------

bool TextCoderWindow::ApplyStripeFilter(int index, qint32 codeState, bool stateKnown)
{
    StripeItem& stripe = m_stripes[index];
    if (!stripe.Live())
        return false;
    stripe.visible = true;
    if (m_userFilterOn && stripe.row.Author.compare(m_userFilter, Qt::CaseInsensitive) != 0)
        stripe.visible = false;
    if (!m_colourFilter.isEmpty() && !m_colourFilter.contains(stripe.colour))
        stripe.visible = false;
    // An unanswered colour request counts as state 0 for this filter.
    if (m_activatedFilterOn && !((stateKnown ? codeState : 0) & ObjectState::Activated))
        stripe.visible = false;
    return stripe.visible;
}

void TextCoderWindow::ApplyStripeFilters()
{
    for (int i = 0; i < m_stripes.size(); ++i) {
        if (!m_activatedFilterOn) {
            ApplyStripeFilter(i, 0, true);
            continue;
        }
        // The code's state is read again; an unreadable code leaves the
        // stripe visible.
        COLORREF colour = kNoColor;
        qint32 state = 0;
        const bool answered = AskCodeColour(m_stripes[i].row.WordID, colour, state);
        ApplyStripeFilter(i, answered ? state : ObjectState::Activated, true);
    }
}

bool TextCoderWindow::UpdateStripeLines()
{
    bool changed = false;
    const QTextDocument* document = m_text->document();
    for (StripeItem& stripe : m_stripes) {
        if (!stripe.Live() || !stripe.visible)
            continue;
        qint32 first = stripe.row.StartChar;
        qint32 last = stripe.row.FinishChar;
        if (m_kind == RichText) {
            // Stripes meet when they share a paragraph: a paragraph's lines
            // are not measured until they are shown, and two codings in one
            // paragraph may share a line.
            const QTextBlock block = document->findBlock(ToDoc(std::max(first, last - 1)));
            last = block.isValid() ? FromDoc(block.position() + block.length() - 1) : last;
            last = std::max(last, first);
        } else if (m_kind == Pdf) {
            continue;
        } else if (m_kind == Table) {
            // Stripes compete for lanes only within their row.
            first = last = stripe.row.PosX1;
        }
        changed = changed || first != stripe.firstLine || last != stripe.lastLine;
        stripe.firstLine = first;
        stripe.lastLine = last;
    }
    return changed;
}

void TextCoderWindow::LayoutStripeLanes()
{
    m_laneCount = ::LayoutStripeLanes(m_stripes, m_kind == Table);
    SyncStripeRecords();
    m_stripeWidthNeeded = m_stripeMargin->ComputeColumnWidths(m_laneCount);
}

void TextCoderWindow::PositionStripes()
{
    for (StripeItem& stripe : m_stripes) {
        stripe.bottom = -1;
        stripe.labelY = 0;
    }
    if (m_kind == RichText && !m_stripes.isEmpty()) {
        const VisibleRange range = VisibleTextRange(*m_text);
        for (StripeItem& stripe : m_stripes) {
            if (!stripe.Live() || !stripe.visible)
                continue;
            const CodingRecord& row = stripe.row;
            // Stripes stand in start order: all later ones start lower.
            if (row.StartChar > range.last)
                break;
            if (row.FinishChar <= range.first && row.StartChar < range.first)
                continue;
            stripe.top = LineExtentAt(*m_text, row.StartChar).first + 1;
            stripe.bottom = LineExtentAt(*m_text, std::max(row.StartChar, row.FinishChar - 1)).second - 2;
            stripe.bottom = std::max(stripe.bottom, stripe.top);
            stripe.labelY = stripe.labelRow * BrowserLayout::LabelHeight + (stripe.bottom - stripe.top) / 2 + stripe.top
                            - 7;
        }
        ResolveStripeLabels(m_stripes, BrowserLayout::LabelHeight);
    } else if (m_kind == Table) {
        PositionTableStripes();
    } else if (IDocumentViewer* viewer = Viewer(); viewer && !m_stripes.isEmpty()) {
        PositionViewerStripes(*viewer);
        ResolveStripeLabels(m_stripes, BrowserLayout::LabelHeight);
    }
    SyncStripeRecords();
    m_stripeMargin->update();
    ColourCodedText();
}

void TextCoderWindow::PositionViewerStripes(const IDocumentViewer& viewer)
{
    int firstPage = 0;
    int lastPage = -1;
    viewer.GetVisiblePages(firstPage, lastPage);
    for (StripeItem& stripe : m_stripes) {
        if (!stripe.Live() || !stripe.visible)
            continue;
        const CodingRecord& row = stripe.row;
        const int page = row.Page - 1;
        int top = 0;
        int bottom = 0;
        if (m_kind == Picture) {
            top = viewer.PageToView(0, row.StartChar, 0).y();
            bottom = viewer.PageToView(0, row.FinishChar, 0).y();
        } else if (page < firstPage || page > lastPage) {
            // Stripes show only beside the pages in view.
            continue;
        } else if (row.IsText) {
            const QRect first = viewer.GetCharRect(row.StartChar, true, page);
            const QRect last = viewer.GetCharRect(std::max(row.StartChar, row.FinishChar - 1), true, page);
            if (first.isEmpty() && last.isEmpty())
                continue;
            top = std::min(first.top(), last.top());
            bottom = std::max(first.bottom(), last.bottom());
        } else {
            top = viewer.PageToView(row.PosX1, row.FinishChar, page).y();
            bottom = viewer.PageToView(row.PosX2, row.StartChar, page).y();
        }
        if (top > bottom)
            std::swap(top, bottom);
        stripe.top = top;
        stripe.bottom = bottom;
        // The next lane layout sees the stripes where they are drawn.
        stripe.firstLine = top;
        stripe.lastLine = bottom;
        stripe.labelY = stripe.labelRow * BrowserLayout::LabelHeight + (bottom - top) / 2 + top - 7;
    }
}

void TextCoderWindow::UpdateStripeParagraphs()
{
    if (m_kind != RichText || m_paragraphs.characters.isEmpty())
        return;
    for (StripeItem& stripe : m_stripes) {
        if (!stripe.Live() || !stripe.visible)
            continue;
        const int start = GetParagraphAt(stripe.row.StartChar, true, 0, 0);
        const int finish = GetParagraphAt(stripe.row.FinishChar, false, 0, 0);
        if (start > 0)
            stripe.row.StartPara = start;
        if (finish > 0)
            stripe.row.FinishPara = finish;
    }
}

void TextCoderWindow::UpdateMarginLayers(bool withParagraphs)
{
    UpdateStripeLines();
    LayoutStripeLanes();
    PositionStripes();
    if (withParagraphs)
        UpdateStripeParagraphs();
    m_stripeMargin->update();
}

void TextCoderWindow::SyncStripeRecords()
{
    if (m_stripeRecords.size() != m_stripes.size())
        m_stripeRecords.resize(m_stripes.size());
    for (int i = 0; i < m_stripes.size(); ++i) {
        const StripeItem& stripe = m_stripes[i];
        StripeRecord& record = m_stripeRecords[i];
        record.codingId = stripe.row.ID;
        record.comment = stripe.row.Comment;
        record.weight = stripe.row.Weight;
        record.author = stripe.row.Author;
        record.created = FormatDateText(stripe.row.Date);
        record.start = stripe.row.StartChar;
        record.end = stripe.row.FinishChar;
        record.lane = std::max(1, stripe.lane);
        record.topY = stripe.top;
        record.bottomY = stripe.bottom;
        record.colour = stripe.colour;
        record.labelLane = std::max(1, stripe.labelLane);
        record.labelTop = stripe.labelY;
        record.visible = stripe.Live() && stripe.visible && stripe.bottom >= 0;
        if (stripe.visible)
            record.flags &= ~StripeFlag::Hidden;
        else
            record.flags |= StripeFlag::Hidden;
    }
}

// ---- Coloured text ----------------------------------------------------------------

void TextCoderWindow::HighlightSegment(qint32 codingId)
{
    if (m_hotCoding == codingId)
        return;
    m_hotCoding = codingId;
    for (StripeItem& stripe : m_stripes)
        stripe.highlight = stripe.row.ID == codingId && codingId != 0 ? StripeFlag::Highlighted : 0;
    ColourCodedText();
}

void TextCoderWindow::RedrawCodingStripes()
{
    if (m_kind == RichText) {
        ColourCodedText();
        m_text->viewport()->update();
    }
    m_stripeMargin->update();
}

void TextCoderWindow::ColourCodedText()
{
    if (m_kind != RichText) {
        m_text->SetOwnerSelections({});
        if (m_kind == Table)
            ColourTableCells();
        return;
    }
    // Only codings on screen get a background; scrolling builds them anew.
    QList<QTextEdit::ExtraSelection> selections;
    for (const StripeItem& stripe : std::as_const(m_stripes)) {
        if (!stripe.Live() || !stripe.visible || stripe.bottom < 0 || stripe.colour == kNoColor)
            continue;
        if (!m_colourAll && !stripe.highlight)
            continue;
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_text->document());
        selection.cursor.setPosition(ToDoc(stripe.row.StartChar));
        selection.cursor.setPosition(ToDoc(stripe.row.FinishChar), QTextCursor::KeepAnchor);
        selection.format.setBackground(ToQColor(PastelColor(stripe.colour)));
        selections.append(selection);
    }
    m_text->SetOwnerSelections(selections + m_linkSelections);
}

void TextCoderWindow::SetColourAll(bool on)
{
    m_colourAll = on;
    ColourCodedText();
}

void TextCoderWindow::SetFilters(bool userFilter, const QString& user, bool activatedCodes)
{
    m_userFilterOn = userFilter;
    m_userFilter = user;
    m_activatedFilterOn = activatedCodes;
    Refresh(true);
}

void TextCoderWindow::SetColourFilter(const QList<COLORREF>& colours)
{
    m_colourFilter = colours;
    Refresh(true);
}

// ---- Questions of the frame and the print engine ------------------------------------

bool TextCoderWindow::SelectCodingById(qint32 id)
{
    const auto it = std::find_if(m_stripes.cbegin(), m_stripes.cend(), [id](const StripeItem& s) { return s.row.ID == id; });
    if (it == m_stripes.cend())
        return false;
    if (m_kind == Table && TableView()) {
        // A part of a cell opens it with the part selected.
        const qint32 length = qint32(TableView()->CellText(it->row.PosX1, it->row.Page - 1).size());
        const bool whole = it->row.StartChar <= 0 && it->row.FinishChar >= length;
        TableView()->SelectCell(it->row.PosX1, it->row.Page - 1, whole ? 0 : it->row.StartChar,
                                whole ? 0 : it->row.FinishChar);
    }
    if (m_kind == RichText) {
        // From the end back to the start: the caret and the view go to the start.
        m_text->SetSel(it->row.FinishChar, it->row.StartChar);
        m_text->ensureCursorVisible();
        RelayoutView();
    }
    return true;
}

void TextCoderWindow::UpdateStripeHotItem()
{
    m_stripeMargin->update();
}

void TextCoderWindow::SetStripeMarginOption(bool showLabels)
{
    m_showLabels = showLabels;
    m_stripeMargin->m_showLabels = showLabels;
    LayoutStripeLanes();
    m_stripeMargin->update();
}

int TextCoderWindow::GetStripeOverlap(int n, int from, int to) const
{
    const StripeItem& stripe = m_stripes.at(n);
    if (!stripe.visible || !stripe.Live() || stripe.row.StartChar >= to || stripe.row.FinishChar <= from)
        return 0;
    int bits = 1;
    if (stripe.row.StartChar >= from)
        bits |= 2;
    if (stripe.row.FinishChar <= to)
        bits |= 4;
    return bits;
}
