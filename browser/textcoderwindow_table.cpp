// The browser's side of table documents: the table view's stripes beside
// their rows, coded cells, edited cells and the context search over cells.

#include "browser/textcoderwindow.h"

#include "browser/stripelayout.h"
#include "foundation/richtexthelpers.h"
#include "ui/chartwndc.h"

#include <algorithm>
#include <numeric>

CTableWnd* TextCoderWindow::TableView() const
{
    return m_kind == Table && m_viewerKind == Table ? static_cast<CTableWnd*>(m_viewer.get()) : nullptr;
}

bool TextCoderWindow::CanCut() const
{
    if (m_kind == Table)
        return TableView() && TableView()->CanCut();
    return IsEditMode() && HasSelection();
}

bool TextCoderWindow::CanPaste() const
{
    if (m_kind == Table)
        return TableView() && TableView()->CanPaste();
    return IsEditMode();
}

void TextCoderWindow::ConnectTableView()
{
    auto* table = dynamic_cast<CTableWnd*>(m_viewer.get());
    if (!table)
        return;
    connect(table, &CTableWnd::CellEdited, this, &TextCoderWindow::OnTableCellEdited);
    connect(table, &CTableWnd::RowsMoved, this, [this] {
        if (m_kind == Table && !m_loading) {
            PositionStripes();
            m_stripeMargin->update();
        }
    });
}

void TextCoderWindow::OnTableCellEdited(qint32 row, qint32 column, const QString& oldText)
{
    CTableWnd* table = TableView();
    if (!table)
        return;
    if (!m_tableEdited) {
        m_editStartLength = GetTextLength() - qint32(table->CellText(row, column).size()) + qint32(oldText.size());
        m_tableEdited = true;
    }
    m_modified = true;
    // A coding of the whole cell keeps the whole cell; one of a part keeps
    // what is left of it; an emptied cell loses its codings.
    const qint32 length = qint32(table->CellText(row, column).size());
    const qint32 oldLength = qint32(oldText.size());
    for (StripeItem& stripe : m_stripes) {
        CodingRecord& coding = stripe.row;
        if (!stripe.Live() || coding.PosX1 != row || coding.Page != column + 1)
            continue;
        stripe.editFlags |= EditFlag::Edited;
        if (coding.StartChar <= 0 && coding.FinishChar >= oldLength) {
            coding.StartChar = 0;
            coding.FinishChar = length;
        } else {
            coding.StartChar = std::min(coding.StartChar, length);
            coding.FinishChar = std::min(coding.FinishChar, length);
        }
        if (length == 0 || coding.StartChar >= coding.FinishChar)
            stripe.editFlags |= EditFlag::Deleted;
    }
    Refresh(true);
    // Each edited cell is stored at once, as one change with its codings.
    emit CommitRequested();
}

void TextCoderWindow::RefreshTableStripeText(CodingRecord& row) const
{
    const CTableWnd* table = TableView();
    if (!table)
        return;
    const QString text = table->CellText(row.PosX1, row.Page - 1).mid(row.StartChar, row.FinishChar - row.StartChar);
    row.Preview = text.left(63);
    const std::unique_ptr<CRichEditCtrlEx> hidden = CreateHiddenRichEdit();
    hidden->SetText(text);
    row.Text.clear();
    hidden->StreamOutRtf(&row.Text, false, false);
    row.Area = row.FinishChar - row.StartChar;
    const int total = GetTextLength();
    row.Coverage = total > 0 ? double(row.Area) / total * 100.0 : 0.0;
}

void TextCoderWindow::PositionTableStripes()
{
    const CTableWnd* table = TableView();
    if (!table)
        return;
    // Only rows in view are measured; the view's top is the margins' top.
    const int offset = table->geometry().top() - m_stripeMargin->geometry().top();
    for (StripeItem& stripe : m_stripes) {
        if (!stripe.Live() || !stripe.visible)
            continue;
        int top = 0;
        int bottom = 0;
        if (!table->RowExtent(stripe.row.PosX1, top, bottom))
            continue;
        stripe.top = top + offset + 1;
        stripe.bottom = std::max(stripe.top, bottom + offset - 1);
        stripe.labelY =
            stripe.labelRow * BrowserLayout::LabelHeight + (stripe.bottom - stripe.top) / 2 + stripe.top - 7;
    }
    ResolveStripeLabels(m_stripes, BrowserLayout::LabelHeight);
}

void TextCoderWindow::ColourTableCells()
{
    CTableWnd* table = TableView();
    if (!table)
        return;
    QHash<quint64, COLORREF> colours;
    for (const StripeItem& stripe : std::as_const(m_stripes)) {
        if (!stripe.Live() || !stripe.visible || stripe.colour == kNoColor)
            continue;
        if (!m_colourAll && !stripe.highlight)
            continue;
        colours.insert(CTableWnd::CellKey(stripe.row.PosX1, stripe.row.Page - 1), stripe.colour);
    }
    table->SetCellColours(std::move(colours));
}

bool TextCoderWindow::TableContextSearch(ContextSearchRequest& request)
{
    CTableWnd* table = TableView();
    switch (request.code) {
    case ContextSearchCode::Reset:
        m_hits.Reset();
        m_tableHits.clear();
        break;
    case ContextSearchCode::Search: {
        m_tableHits = table ? table->FindInCells(request.text) : QList<TableHit>();
        // The hits are counted by their index; their cells are kept here.
        QList<qint32> indexes(m_tableHits.size());
        std::iota(indexes.begin(), indexes.end(), 0);
        m_hits.SetHits(indexes, qint32(request.text.size()));
        break;
    }
    case ContextSearchCode::Next: m_hits.Next(); break;
    case ContextSearchCode::Previous: m_hits.Previous(); break;
    default: break;
    }
    if (request.code != ContextSearchCode::Reset && table && !m_hits.IsEmpty()) {
        const TableHit& hit = m_tableHits.at(m_hits.CurrentPosition());
        table->SelectCell(hit.row, hit.page - 1);
    }
    m_hits.Answer(request);
    return true;
}
