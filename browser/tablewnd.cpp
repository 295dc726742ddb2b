// The table view: a QTableView over the shown table document's CTableData.

#include "browser/tablewnd.h"

#include "browser/browserids.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "ui/dlgbase.h"
#include "ui/printengine.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace {

constexpr int kTableDamaged = 194400;   ///< the table image was refused
// The grid's context menu, captions in the "@STR" form.
const char* const kMenuCut = "@STR194401|Cut";
const char* const kMenuCopy = "@STR194402|Copy";
const char* const kMenuPaste = "@STR194403|Paste";

QColor ColourOf(COLORREF colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

/// The grid, with what the table window asks of its editing state.
class CTableGrid : public QTableView {
public:
    using QTableView::QTableView;
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    void CommitEditor(QWidget* editor) { commitData(editor); }
};

}  // namespace

/// @short The grid's model: cells as display and edit texts, column labels
/// as headers, row numbers from 1, coded cells shaded.
class CTableModel : public QAbstractTableModel {
public:
    explicit CTableModel(CTableWnd& owner, CTableData& table) : m_owner(owner), m_table(table) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_table.GetRowCount(); }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : m_table.GetColumnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: return m_table.GetCell(index.row(), index.column());
        case Qt::BackgroundRole: {
            const auto it = m_colours.constFind(CTableWnd::CellKey(index.row(), index.column()));
            if (it == m_colours.cend())
                return {};
            return ColourOf(PastelColor(*it));
        }
        default: return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return section + 1;
        const QString label = m_table.GetColumnLabel(section);
        return label.isEmpty() ? QString::number(section + 1) : label;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        if (m_editable)
            flags |= Qt::ItemIsEditable;
        return flags;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        return m_owner.EditCell(index.row(), index.column(), value.toString());
    }

    void Reset()
    {
        beginResetModel();
        endResetModel();
    }
    void CellChanged(int row, int column)
    {
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at);
    }
    void SetColours(QHash<quint64, COLORREF> colours)
    {
        m_colours = std::move(colours);
        if (rowCount({}) > 0 && columnCount({}) > 0)
            emit dataChanged(index(0, 0), index(rowCount({}) - 1, columnCount({}) - 1), {Qt::BackgroundRole});
    }
    void SetEditable(bool on) { m_editable = on; }
    const QHash<quint64, COLORREF>& Colours() const { return m_colours; }

private:
    CTableWnd& m_owner;
    CTableData& m_table;
    QHash<quint64, COLORREF> m_colours;
    bool m_editable = true;
};

CTableWnd::CTableWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TableWnd%1").arg(kControlId));
    m_model = std::make_unique<CTableModel>(*this, m_holder.table);
    m_view = new CTableGrid(this);
    m_view->setModel(m_model.get());
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_view->setWordWrap(false);
    // Long cells are cut at the cell's edge: eliding measures every text
    // again on each frame.
    m_view->setTextElideMode(Qt::ElideNone);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    // Rows keep one height, so only the rows in view are ever measured.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(m_view, &QWidget::customContextMenuRequested, this, &CTableWnd::ShowContextMenu);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &CTableWnd::RowsMoved);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CTableWnd::SelectionChanged);
    auto& pointers = SharedTableWindowPointers();
    pointers.window = this;
    pointers.holder = &m_holder;
    ApplyZoom(kDefaultZoom);
}

CTableWnd::~CTableWnd()
{
    // The view's model goes first, so the view never reads a model that is gone.
    delete m_view;
}

// ---- Loading and saving ---------------------------------------------------------------

bool CTableWnd::Load(const QByteArray& content, qint32 kind, double zoom, const DocumentViewState& view)
{
    Q_UNUSED(kind);
    if (!LoadTable(content, int(zoom), 0))
        return false;
    if (view.selY1 >= 0 && view.selX1 > 0 && view.selY1 < m_holder.table.GetRowCount() &&
        view.selX1 <= m_holder.table.GetColumnCount())
        SelectCell(view.selY1, view.selX1 - 1);
    if (view.scrollPosY > 0)
        m_view->verticalScrollBar()->setValue(view.scrollPosY);
    return true;
}

bool CTableWnd::LoadTable(const QByteArray& bytes, int zoom, double scale)
{
    CTableData loaded;
    if (!loaded.LoadFromBytes(bytes)) {
        Close();
        ShowMessage(LoadString(kTableDamaged), MessageKind::Error);
        return false;
    }
    m_holder.table = std::move(loaded);
    m_holder.firstList.clear();
    m_scale = scale == 0 ? 1.0 : scale;
    m_loaded = true;
    m_model->SetColours({});
    m_model->Reset();
    ApplyZoom(zoom <= 0 ? kDefaultZoom : std::clamp(zoom, kSmallestZoom, kLargestZoom));
    return true;
}

void CTableWnd::Close()
{
    m_loaded = false;
    m_holder.table = CTableData();
    m_model->SetColours({});
    m_model->Reset();
}

bool CTableWnd::SaveToBytes(QByteArray& bytes) const
{
    if (!m_loaded)
        return false;
    // An open editor's text belongs to the table before it is written.
    if (QLineEdit* editor = OpenEditor())
        static_cast<CTableGrid*>(m_view)->CommitEditor(editor);
    return m_holder.table.SaveToBytes(bytes);
}

qint32 CTableWnd::TextLength() const
{
    return qint32(std::min<qint64>(m_holder.table.GetTextLength(), INT32_MAX));
}

void CTableWnd::SaveView(double& zoom, DocumentViewState& view) const
{
    zoom = m_zoom;
    view = DocumentViewState();
    view.scrollPosY = m_view->verticalScrollBar()->value();
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid()) {
        view.selY1 = current.row();
        view.selX1 = current.column() + 1;
    }
}

// ---- Zoom ---------------------------------------------------------------------------------

void CTableWnd::ApplyZoom(int zoom)
{
    m_zoom = zoom;
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(zoom * m_scale);
    m_view->setFont(font);
    const QFontMetrics metrics(font);
    m_view->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    m_view->horizontalHeader()->setDefaultSectionSize(std::max(40, metrics.averageCharWidth() * 16));
    emit RowsMoved();
}

void CTableWnd::ZoomIn()
{
    if (m_zoom + 1 <= kLargestZoom)
        ApplyZoom(m_zoom + 1);
}

void CTableWnd::ZoomOut()
{
    if (m_zoom - 1 >= kSmallestZoom)
        ApplyZoom(m_zoom - 1);
}

void CTableWnd::ZoomReset()
{
    if (m_zoom != kDefaultZoom)
        ApplyZoom(kDefaultZoom);
}

// ---- Selection -----------------------------------------------------------------------------

QList<TableCell> CTableWnd::SelectedCells() const
{
    QList<TableCell> cells;
    if (!m_loaded)
        return cells;
    for (const QModelIndex& index : m_view->selectionModel()->selectedIndexes())
        cells.append({index.row(), index.column()});
    std::sort(cells.begin(), cells.end(), [](const TableCell& a, const TableCell& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    return cells;
}

QLineEdit* CTableWnd::OpenEditor() const
{
    if (!static_cast<const CTableGrid*>(m_view)->IsEditing())
        return nullptr;
    return m_view->viewport()->findChild<QLineEdit*>();
}

bool CTableWnd::GetSelection(int index, qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2,
                             qint32& isText) const
{
    page = 1;
    start = end = -1;
    x1 = x2 = 0;
    isText = 0;
    if (!m_loaded || index < 0)
        return false;
    const QModelIndex current = m_view->currentIndex();
    if (QLineEdit* editor = OpenEditor(); editor && editor->hasSelectedText() && current.isValid()) {
        if (index > 0)
            return false;
        page = current.column() + 1;
        x1 = current.row();
        start = editor->selectionStart();
        end = start + qint32(editor->selectedText().size());
        isText = CellCoding;
        return true;
    }
    // Empty cells have nothing to code: they make no piece.
    int piece = 0;
    for (const TableCell& cell : SelectedCells()) {
        const qint32 length = qint32(CellText(cell.row, cell.column).size());
        if (length == 0)
            continue;
        if (piece++ < index)
            continue;
        page = cell.column + 1;
        x1 = cell.row;
        start = 0;
        end = length;
        isText = CellCoding;
        return true;
    }
    return false;
}

QString CTableWnd::PieceText(int index) const
{
    qint32 page, start, end, x1, x2, isText;
    if (!GetSelection(index, page, start, end, x1, x2, isText))
        return {};
    return CellText(x1, page - 1).mid(start, end - start);
}

void CTableWnd::SelectCell(qint32 row, qint32 column, qint32 start, qint32 end)
{
    if (!m_loaded)
        return;
    const QModelIndex at = m_model->index(row, column);
    if (!at.isValid())
        return;
    m_view->setCurrentIndex(at);
    m_view->scrollTo(at);
    if (start < end && m_editingAllowed) {
        m_view->edit(at);
        if (QLineEdit* editor = OpenEditor())
            editor->setSelection(start, end - start);
    }
}

void CTableWnd::GetCoverage(qint64& whole, qint64& part) const
{
    part = 0;
    whole = SelectedCells().isEmpty() ? 0 : m_holder.table.GetTextLength();
}

bool CTableWnd::RowExtent(qint32 row, int& top, int& bottom) const
{
    if (!m_loaded || row < 0 || row >= m_holder.table.GetRowCount())
        return false;
    const int y = m_view->rowViewportPosition(row);
    const int height = m_view->rowHeight(row);
    if (y + height <= 0 || y >= m_view->viewport()->height())
        return false;
    const QPoint origin = m_view->viewport()->mapTo(this, QPoint(0, 0));
    top = origin.y() + y;
    bottom = origin.y() + y + height - 1;
    return true;
}

bool CTableWnd::VisibleRows(qint32& first, qint32& last) const
{
    if (!m_loaded || m_holder.table.GetRowCount() == 0)
        return false;
    first = m_view->rowAt(0);
    if (first < 0)
        return false;
    last = m_view->rowAt(m_view->viewport()->height() - 1);
    if (last < 0)
        last = m_holder.table.GetRowCount() - 1;
    return true;
}

// ---- Editing ----------------------------------------------------------------------------

void CTableWnd::SetEditingAllowed(bool on)
{
    m_editingAllowed = on;
    m_model->SetEditable(on);
}

bool CTableWnd::EditCell(qint32 row, qint32 column, const QString& text)
{
    if (!m_loaded || !m_editingAllowed)
        return false;
    const QString old = CellText(row, column);
    if (old == text)
        return true;
    if (!m_holder.table.SetCell(row, column, text))
        return false;
    m_model->CellChanged(row, column);
    emit CellEdited(row, column, old);
    return true;
}

void CTableWnd::Copy() const
{
    const QList<TableCell> cells = SelectedCells();
    if (cells.isEmpty())
        return;
    QString text;
    for (int i = 0; i < cells.size(); ++i) {
        if (i > 0)
            text += cells[i].row != cells[i - 1].row ? QLatin1Char('\n') : QLatin1Char('\t');
        text += CellText(cells[i].row, cells[i].column);
    }
    QApplication::clipboard()->setText(text);
}

void CTableWnd::Cut()
{
    if (!CanCut())
        return;
    Copy();
    for (const TableCell& cell : SelectedCells())
        EditCell(cell.row, cell.column, QString());
}

void CTableWnd::Paste()
{
    if (!CanPaste())
        return;
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    for (int r = 0; r < lines.size(); ++r) {
        if (r == lines.size() - 1 && lines[r].isEmpty())
            break;
        const QStringList cells = lines[r].split(QLatin1Char('\t'));
        for (int c = 0; c < cells.size(); ++c) {
            QString text = cells[c];
            if (text.endsWith(QLatin1Char('\r')))
                text.chop(1);
            EditCell(current.row() + r, current.column() + c, text);
        }
    }
}

// ---- Search, colours, printing ----------------------------------------------------------------

QList<TableHit> CTableWnd::FindInCells(const QString& text) const
{
    QList<TableHit> hits;
    if (!m_loaded || text.isEmpty())
        return hits;
    const CTableData& table = m_holder.table;
    for (qint32 row = 0; row < table.GetRowCount(); ++row)
        for (qint32 column = 0; column < table.GetColumnCount(); ++column) {
            const QString cell = table.GetCell(row, column);
            if (cell.size() < text.size())
                continue;
            for (qsizetype at = cell.indexOf(text, 0, Qt::CaseInsensitive); at >= 0;
                 at = cell.indexOf(text, at + text.size(), Qt::CaseInsensitive))
                hits.append({qint32(at), column + 1, row});
        }
    return hits;
}

void CTableWnd::SetCellColours(QHash<quint64, COLORREF> colours)
{
    m_model->SetColours(std::move(colours));
}

bool CTableWnd::Print(const QString& title, bool withCodes)
{
    if (!m_loaded)
        return false;
    CPrintEngine engine(title, PrintDateText(), this);
    QTextDocument* document = engine.RichEdit().GetDocument();
    document->clear();
    const CTableData& table = m_holder.table;
    QTextCursor cursor(document);
    if (table.GetRowCount() == 0 || table.GetColumnCount() == 0)
        return engine.Print();
    QTextTableFormat format;
    format.setCellPadding(2);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setHeaderRowCount(1);
    QTextTable* grid = cursor.insertTable(table.GetRowCount() + 1, table.GetColumnCount(), format);
    for (qint32 column = 0; column < table.GetColumnCount(); ++column)
        grid->cellAt(0, column).firstCursorPosition().insertText(
            m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    for (qint32 row = 0; row < table.GetRowCount(); ++row)
        for (qint32 column = 0; column < table.GetColumnCount(); ++column) {
            QTextTableCell cell = grid->cellAt(row + 1, column);
            if (withCodes) {
                const auto it = m_model->Colours().constFind(CellKey(row, column));
                if (it != m_model->Colours().cend()) {
                    QTextCharFormat shade = cell.format();
                    shade.setBackground(ColourOf(PastelColor(*it)));
                    cell.setFormat(shade);
                }
            }
            cell.firstCursorPosition().insertText(table.GetCell(row, column));
        }
    return engine.Print();
}

// ---- Window ------------------------------------------------------------------------------------

void CTableWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
    emit RowsMoved();
}

void CTableWnd::ShowContextMenu(const QPoint& at)
{
    QMenu menu(this);
    const auto add = [&](const char* caption, bool enabled, auto action) {
        QAction* item = menu.addAction(QString::fromLatin1(caption));
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this, action);
    };
    add(kMenuCut, CanCut(), [this] { Cut(); });
    add(kMenuCopy, CanCopy(), [this] { Copy(); });
    add(kMenuPaste, CanPaste(), [this] { Paste(); });
    TranslateMenu(&menu);
    menu.exec(m_view->viewport()->mapToGlobal(at));
}
