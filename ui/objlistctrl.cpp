#include "ui/objlistctrl.h"

#include "foundation/stringstore.h"
#include "foundation/uiservices.h"
#include "store/storeids.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kLevelIndent = 19;          // pixels per tree level
constexpr int kBoxSize = 9;               // the expand box
constexpr int kBoxOffset = 4;             // box left from its level's indent
constexpr int kCaptionMargin = 5;
constexpr int kMinLabelWidth = 150;
constexpr int kNarrowWidth = 17;          // header mode 0, columns of objects
constexpr int kMinVaryingWidth = 20;      // display type 2
constexpr int kCaptionWidth = 50;         // header modes 1 and 2 at least
constexpr int kFitPadding = 14;
constexpr int kFitPaddingFromCaptions = 10;
constexpr int kMaxStripes = 50;
constexpr int kMaxTreeLevel = 1000;       // deeper levels from an owner are taken as this
constexpr qint64 kRangeStart = 1000000;   // the minimum before any non-zero cell lowers it
const QColor kGuideColour(232, 232, 232);
constexpr quint32 kNoColour = 0xFFFFFFFF;
constexpr int kTipExtraWidth = 90;
constexpr int kTipHeightObjects = 44;     // three lines
constexpr int kTipHeight = 32;            // two lines

// Text ids of the control's captions and tips.
namespace MatrixText {
constexpr int CodesCaption = 57668;
constexpr int DocumentsCaption = 57734;
constexpr int Total = 102278;
constexpr int Code = 1040;
constexpr int CodeValue = 1010;
constexpr int FirstCodePrefix = 1011;
constexpr int SecondCodePrefix = 1012;
constexpr int Document = 1042;
constexpr int Codings = 57723;
constexpr int Paragraph = 57834;
}  // namespace MatrixText

MatrixRange makeRange(qint64 minimum, qint64 maximum)
{
    MatrixRange r;
    r.minimum = minimum;
    r.maximum = maximum;
    // An empty range would divide 0 by 0: every value then scales as the smallest.
    if (maximum > minimum) {
        r.colourStep = double(maximum - minimum) / 255.0;
        r.sizeStep = double(maximum - minimum) / 6.0;
    }
    return r;
}

int levelOf(const MatrixRow& row)
{
    return std::clamp(row.level, 0, kMaxTreeLevel);
}

QColor fromColorRef(quint32 c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

}  // namespace

// ---------------------------------------------------------------- model

CMatrixModel::CMatrixModel(QObject* parent) : QAbstractTableModel(parent) {}

qint32 CMatrixModel::RowKind() const
{
    switch (m_display) {
    case MatrixDisplay::DocumentStripes: return TopicId::Documents;
    case MatrixDisplay::Texts: return 0;
    default: return TopicId::Codes;
    }
}

qint32 CMatrixModel::ColumnKind() const
{
    switch (m_display) {
    case MatrixDisplay::CodesByDocuments: return TopicId::Documents;
    case MatrixDisplay::CodesByCodes: return TopicId::Codes;
    default: return 0;
    }
}

int CMatrixModel::stride() const
{
    if (!m_data)
        return 0;
    switch (m_display) {
    case MatrixDisplay::Numbers: return std::max(0, m_data->cellsPerRow) + 1;
    case MatrixDisplay::Texts: return std::max(0, m_data->cellsPerRow);
    default: return int(m_data->columnIds.size());
    }
}

int CMatrixModel::matrixColumns() const
{
    return stride();
}

void CMatrixModel::Load(MatrixDisplay display, MatrixData* data)
{
    beginResetModel();
    m_display = display;
    m_data = data;
    m_headers.clear();
    buildVisibleRows();
    computeSums();
    computeRanges();
    endResetModel();
}

void CMatrixModel::ValuesChanged()
{
    computeSums();
    computeRanges();
    if (rowCount() > 0 && columnCount() > 1)
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1));
}

void CMatrixModel::buildVisibleRows()
{
    m_visible.clear();
    if (!m_data)
        return;
    if (RowKind() == TopicId::Codes) {
        int hiddenBelow = INT_MAX;   // rows deeper than this lie in a collapsed subtree
        for (int i = 0; i < m_data->rows.size(); ++i) {
            const MatrixRow& row = m_data->rows[i];
            if (levelOf(row) > hiddenBelow)
                continue;
            hiddenBelow = INT_MAX;
            m_visible.append(i);
            if (row.hasChildren && !row.expanded)
                hiddenBelow = levelOf(row);
        }
        if (m_display == MatrixDisplay::Numbers)
            m_visible.append(kTotalRow);
    } else if (m_display == MatrixDisplay::DocumentStripes) {
        for (int i = 0; i < m_data->rowIds.size(); ++i)
            m_visible.append(i);
    } else {
        for (int i = 0; i < m_data->rowLabels.size(); ++i)
            m_visible.append(i);
    }
}

void CMatrixModel::computeSums()
{
    m_sums.clear();
    m_range = {};
    m_columnMin.clear();
    m_columnMax.clear();
    m_rowMin.clear();
    m_rowMax.clear();
    if (!m_data || (m_display != MatrixDisplay::CodesByDocuments && m_display != MatrixDisplay::CodesByCodes))
        return;
    const int rows = int(m_data->rows.size());
    const int columns = matrixColumns();
    m_sums.resize(size_t(rows));
    // One pass over the cells, read straight from the values, gives the
    // sums and the ranges: it runs over every cell of large matrices on
    // each load. The ranges are finished in computeRanges.
    const qint32* values = m_data->values.constData();
    const qint64 stored = m_data->values.size();
    qint64 minimum = kRangeStart;
    qint64 maximum = 0;
    m_columnMax.assign(size_t(columns), 0);
    m_columnMin.assign(size_t(columns), kRangeStart);
    m_rowMin.assign(size_t(rows), kRangeStart);   // the smallest raw value; finished later
    m_rowMax.assign(size_t(rows), 0);
    // Backwards through the tree: pending[L] sums the subtrees of level L
    // seen since the last row above that level, which is their parent.
    std::vector<std::vector<qint64>> pending;
    std::vector<qint64> own(static_cast<size_t>(columns));
    for (int i = rows - 1; i >= 0; --i) {
        const MatrixRow& row = m_data->rows[i];
        const size_t level = size_t(levelOf(row));
        if (pending.size() < level + 2)
            pending.resize(level + 2);
        const qint64 start = qint64(i) * columns;
        qint64 rowMin = kRangeStart;
        qint64 rowMax = 0;
        for (int c = 0; c < columns; ++c) {
            const qint64 raw = start + c < stored ? values[start + c] : 0;
            own[size_t(c)] = raw;
            if (raw != 0)
                minimum = std::min(minimum, raw);
            rowMin = std::min(rowMin, raw);
            rowMax = std::max(rowMax, raw);
            m_columnMin[size_t(c)] = std::min(m_columnMin[size_t(c)], raw);
        }
        std::vector<qint64>& children = pending[level + 1];
        if (row.hasChildren && !children.empty())
            for (int c = 0; c < columns; ++c)
                own[size_t(c)] += children[size_t(c)];
        qint64 countedMax = 0;
        for (int c = 0; c < columns; ++c) {
            countedMax = std::max(countedMax, own[size_t(c)]);
            m_columnMax[size_t(c)] = std::max(m_columnMax[size_t(c)], own[size_t(c)]);
        }
        maximum = std::max(maximum, countedMax);
        if (row.hasChildren)
            m_sums[size_t(i)] = own;
        // Per-row scaling counts a parent's subtree only while it is collapsed.
        m_rowMin[size_t(i)] = rowMin;
        m_rowMax[size_t(i)] = row.hasChildren && !row.expanded ? countedMax : rowMax;
        children.clear();
        std::vector<qint64>& siblings = pending[level];
        if (siblings.empty())
            siblings.assign(size_t(columns), 0);
        for (int c = 0; c < columns; ++c)
            siblings[size_t(c)] += own[size_t(c)];
    }
    m_smallestNonZero = minimum == kRangeStart ? 0 : minimum;   // 0: no non-zero cell
    m_range = makeRange(m_smallestNonZero, maximum);
}

const std::vector<qint64>* CMatrixModel::subtreeSums(int row) const
{
    if (row < 0 || size_t(row) >= m_sums.size() || m_sums[size_t(row)].empty())
        return nullptr;
    return &m_sums[size_t(row)];
}

qint64 CMatrixModel::scaledValue(int row, int matrixColumn, bool subtreeWhenParent) const
{
    if (subtreeWhenParent)
        if (const auto* sums = subtreeSums(row))
            return (*sums)[size_t(matrixColumn)];
    return RawValue(row, matrixColumn);
}

void CMatrixModel::computeRanges()
{
    // computeSums counted the cells; the minimums start at the smallest
    // non-zero value.
    for (qint64& m : m_columnMin)
        m = std::min(m, m_smallestNonZero);
    for (qint64& m : m_rowMin)
        m = std::min(m, m_smallestNonZero);
}

void CMatrixModel::computeRowRange(int row)
{
    // Per-row scaling counts a parent's subtree only while it is collapsed.
    const bool collapsed = !m_data->rows[row].expanded;
    const std::vector<qint64>* sums = collapsed ? subtreeSums(row) : nullptr;
    const int columns = matrixColumns();
    const qint32* values = m_data->values.constData();
    const qint64 stored = m_data->values.size();
    const qint64 start = qint64(row) * columns;
    qint64 minimum = m_smallestNonZero;
    qint64 maximum = 0;
    for (int c = 0; c < columns; ++c) {
        const qint64 raw = start + c < stored ? values[start + c] : 0;
        minimum = std::min(minimum, raw);
        maximum = std::max(maximum, sums ? (*sums)[size_t(c)] : raw);
    }
    m_rowMin[size_t(row)] = minimum;
    m_rowMax[size_t(row)] = maximum;
}

void CMatrixModel::SetScaling(MatrixScaling scaling)
{
    m_scaling = scaling;
    if (rowCount() > 0)
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1));
}

qint64 CMatrixModel::RawValue(int row, int matrixColumn) const
{
    const int width = stride();
    if (!m_data || row < 0 || matrixColumn < 0 || matrixColumn >= width)
        return 0;
    const qint64 at = qint64(row) * width + matrixColumn;
    if (m_display == MatrixDisplay::Numbers && m_data->alternativeValues)
        return at < m_data->secondValues.size() ? qint64(qint32(m_data->secondValues[at])) : 0;
    return at < m_data->values.size() ? m_data->values[at] : 0;
}

qint64 CMatrixModel::CellValue(int listRow, int column) const
{
    const int row = RowIndex(listRow);
    const int mc = column - 1;
    if (m_display == MatrixDisplay::CodesByDocuments || m_display == MatrixDisplay::CodesByCodes) {
        if (row >= 0 && row < m_data->rows.size() && !m_data->rows[row].expanded)
            return scaledValue(row, mc, true);
    }
    if (m_display == MatrixDisplay::Numbers && row == kTotalRow)
        return RawValue(int(m_data->rows.size()), mc);
    return RawValue(row, mc);
}

MatrixRange CMatrixModel::RangeFor(int listRow, int column) const
{
    if (m_display != MatrixDisplay::CodesByDocuments || m_showNumbers || m_scaling == MatrixScaling::Whole)
        return m_range;
    const int mc = column - 1;
    if (m_scaling == MatrixScaling::PerColumn && mc >= 0 && size_t(mc) < m_columnMax.size())
        return makeRange(m_columnMin[size_t(mc)], m_columnMax[size_t(mc)]);
    const int row = RowIndex(listRow);
    if (m_scaling == MatrixScaling::PerRow && row >= 0 && size_t(row) < m_rowMax.size())
        return makeRange(m_rowMin[size_t(row)], m_rowMax[size_t(row)]);
    return m_range;
}

QString CMatrixModel::CellText(int listRow, int column) const
{
    const int row = RowIndex(listRow);
    const int mc = column - 1;
    if (!m_data || mc < 0)
        return {};
    if (m_display == MatrixDisplay::Texts) {
        const qint64 at = qint64(row) * stride() + mc;
        return row >= 0 && at < m_data->cellTexts.size() ? m_data->cellTexts[at] : QString();
    }
    if (m_display != MatrixDisplay::Numbers)
        return {};
    const int dataRow = row == kTotalRow ? int(m_data->rows.size()) : row;
    const qint64 value = RawValue(dataRow, mc);
    if (m_percentage == MatrixPercentage::None)
        return QString::number(value);
    const qint64 total = m_percentage == MatrixPercentage::OfRowTotal ? RawValue(dataRow, stride() - 1)
                                                                       : RawValue(int(m_data->rows.size()), mc);
    if (total == 0)
        return {};
    const double percent = double(value) * 100.0 / double(total);
    if (!(percent > 0.0))
        return {};
    return QString::asprintf("%.1f%%", percent);
}

QList<quint32> CMatrixModel::StripeColours(int listRow, int column) const
{
    QList<quint32> colours;
    const qint64 start = CellValue(listRow, column);
    if (!m_data || start < 0)
        return colours;
    for (qint64 i = start; i < m_data->secondValues.size() && colours.size() < kMaxStripes; ++i) {
        if (m_data->secondValues[i] == 0)
            break;
        colours.append(m_data->secondValues[i]);
    }
    return colours;
}

void CMatrixModel::Toggle(int listRow)
{
    const int row = RowIndex(listRow);
    if (!m_data || RowKind() != TopicId::Codes || row < 0 || row >= m_data->rows.size()
        || !m_data->rows[row].hasChildren)
        return;
    MatrixRow& target = m_data->rows[row];
    const qsizetype before = m_visible.size();
    const QList<int> old = m_visible;
    target.expanded = !target.expanded;
    buildVisibleRows();
    const int changed = int(std::abs(m_visible.size() - before));
    // Restore the old list inside the begin/end pair, as views expect.
    QList<int> fresh = m_visible;
    m_visible = old;
    if (target.expanded) {
        if (changed > 0)
            beginInsertRows({}, listRow + 1, listRow + changed);
        m_visible = fresh;
        if (changed > 0)
            endInsertRows();
    } else {
        if (changed > 0)
            beginRemoveRows({}, listRow + 1, listRow + changed);
        m_visible = fresh;
        if (changed > 0)
            endRemoveRows();
    }
    if (size_t(row) < m_rowMax.size())
        computeRowRange(row);
    emit dataChanged(index(listRow, 0), index(listRow, columnCount() - 1));
}

void CMatrixModel::SetHeaders(const QStringList& captions)
{
    m_headers = captions;
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

int CMatrixModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_visible.size());
}

int CMatrixModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_data ? 0 : 1 + matrixColumns();
}

QVariant CMatrixModel::data(const QModelIndex& index, int role) const
{
    // Cells are painted by the view's delegate; the model answers what
    // accessibility and tests read.
    if (!index.isValid() || role != Qt::DisplayRole || index.column() == 0)
        return {};
    if (m_display == MatrixDisplay::Numbers || m_display == MatrixDisplay::Texts)
        return CellText(index.row(), index.column());
    return CellValue(index.row(), index.column());
}

QVariant CMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------- painting

/// Paints the cells of a CObjListCtrl; the view calls it for visible cells only.
class CMatrixDelegate : public QStyledItemDelegate {
public:
    explicit CMatrixDelegate(CObjListCtrl* control) : QStyledItemDelegate(control), m_control(control) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        if (index.column() == 0)
            paintLabel(painter, option, index.row(), selected);
        else
            paintCell(painter, option.rect, index.row(), index.column(), option.palette);
        painter->restore();
    }

private:
    void paintLabel(QPainter* p, const QStyleOptionViewItem& option, int listRow, bool selected) const
    {
        const CMatrixModel* model = m_control->Model();
        const QRect cell = option.rect;
        p->fillRect(cell, selected ? option.palette.highlight() : option.palette.base());
        int x = cell.left() + kCaptionMargin;
        const int row = model->RowIndex(listRow);
        const MatrixData* data = model->Data();
        if (model->RowKind() == TopicId::Codes && row >= 0 && row < data->rows.size()) {
            const MatrixRow& r = data->rows[row];
            const int level = levelOf(r);
            paintTree(p, cell, r, level, option.palette.color(QPalette::Mid));
            x = cell.left() + (level + 1) * kLevelIndent + kCaptionMargin;
        }
        quint32 colour = kNoColour;
        const QString caption = m_control->RowCaptionWithColour(listRow, &colour);
        if (colour != kNoColour) {
            const QRect mark(x, cell.center().y() - 3, 7, 7);
            p->fillRect(mark, Qt::white);
            p->fillRect(mark.adjusted(1, 1, -1, -1), fromColorRef(colour));
            x += 10;
        }
        const QFontMetrics metrics(option.font);
        const int room = cell.right() - x - 6;
        const QString shown = metrics.elidedText(caption, Qt::ElideRight, std::max(0, room));
        p->setFont(option.font);
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(QRect(x, cell.top() + 1, std::max(0, room), cell.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    shown);
        const int guideFrom = x + metrics.horizontalAdvance(shown) + 10;
        if (guideFrom < cell.right()) {
            p->setPen(kGuideColour);
            p->drawLine(guideFrom, cell.center().y(), cell.right(), cell.center().y());
        }
    }

    static void paintTree(QPainter* p, const QRect& cell, const MatrixRow& r, int level, const QColor& colour)
    {
        const int mid = cell.center().y();
        const auto dotted = [&](int x, int y1, int y2) {
            for (int y = y1 + ((y1 & 1) ? 1 : 0); y <= y2; y += 2)
                p->drawPoint(x, y);
        };
        p->setPen(colour);
        for (int a = 0; a < level && a < r.ancestorLines.size(); ++a)
            if (r.ancestorLines[a])
                dotted(cell.left() + a * kLevelIndent + kBoxOffset + kBoxSize / 2, cell.top(), cell.bottom());
        const int lineX = cell.left() + level * kLevelIndent + kBoxOffset + kBoxSize / 2;
        if (r.hasParent || r.lineAbove)
            dotted(lineX, cell.top(), mid);
        if (r.siblingFollows)
            dotted(lineX, mid, cell.bottom());
        for (int x = lineX; x < lineX + kLevelIndent - kBoxOffset; x += 2)
            p->drawPoint(x, mid);
        if (!r.hasChildren)
            return;
        const QRect box(cell.left() + level * kLevelIndent + kBoxOffset, mid - kBoxSize / 2, kBoxSize, kBoxSize);
        p->fillRect(box, Qt::white);
        p->drawRect(box.adjusted(0, 0, -1, -1));
        p->setPen(Qt::black);
        p->drawLine(box.left() + 2, mid, box.right() - 2, mid);
        if (!r.expanded)
            p->drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
    }

    void paintCell(QPainter* p, const QRect& cell, int listRow, int column, const QPalette& palette) const
    {
        const CMatrixModel* model = m_control->Model();
        const MatrixDisplay display = model->Display();
        p->fillRect(cell, palette.base());
        p->setPen(kGuideColour);
        p->drawLine(cell.center().x(), cell.top(), cell.center().x(), cell.bottom());
        if (display == MatrixDisplay::Texts || display == MatrixDisplay::Numbers) {
            const QString text = model->CellText(listRow, column);
            if (!text.isEmpty()) {
                const QRect back = p->fontMetrics().boundingRect(text).adjusted(-2, 0, 2, 0);
                QRect centred = back;
                centred.moveCenter(cell.center());
                p->fillRect(centred.intersected(cell), palette.base());
                p->setPen(palette.color(QPalette::Text));
                p->drawText(cell, Qt::AlignCenter, text);
            }
            return;
        }
        const qint64 value = model->CellValue(listRow, column);
        if (value < 1)
            return;
        if (display == MatrixDisplay::CodeColours) {
            p->fillRect(cell, fromColorRef(quint32(value)));
            return;
        }
        if (display == MatrixDisplay::DocumentStripes) {
            const QList<quint32> colours = model->StripeColours(listRow, column);
            if (colours.isEmpty())
                return;
            const int width = cell.width() / int(colours.size());
            for (int i = 0; i < colours.size(); ++i) {
                const int left = cell.left() + i * width;
                const int right = i + 1 == colours.size() ? cell.right() : left + width - 1;
                p->fillRect(QRect(QPoint(left, cell.top()), QPoint(right, cell.bottom())), fromColorRef(colours[i]));
            }
            return;
        }
        paintSymbol(p, cell, value, model->RangeFor(listRow, column), palette);
    }

    void paintSymbol(QPainter* p, const QRect& cell, qint64 value, const MatrixRange& range,
                     const QPalette& palette) const
    {
        const CMatrixModel* model = m_control->Model();
        if (model->ShowNumbers()) {
            p->setPen(palette.color(QPalette::Text));
            p->drawText(cell, Qt::AlignCenter, QString::number(value));
            return;
        }
        const double offset = double(value - range.minimum);
        int size = range.sizeStep > 0 ? int(offset / range.sizeStep) : 0;
        if (model->FixedSize() && model->Display() == MatrixDisplay::CodesByDocuments)
            size = 2;
        size = std::clamp(size, 0, 6);
        const int level = std::clamp(range.colourStep > 0 ? int(offset / range.colourStep) : 0, 0, 255);
        const QPoint c = cell.center();
        const QRect symbol(QPoint(c.x() - size - 1, c.y() - size - 1), QPoint(c.x() + size + 1, c.y() + size + 2));
        const QColor colour(level, 0, 255 - level);
        if (m_control->Circles()) {
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(Qt::NoPen);
            p->setBrush(colour);
            p->drawEllipse(symbol);
        } else {
            p->fillRect(symbol, colour);
        }
    }

    CObjListCtrl* m_control;
};

// ---------------------------------------------------------------- control

CObjListCtrl::CObjListCtrl(QWidget* parent) : QTableView(parent), m_model(new CMatrixModel(this))
{
    setModel(m_model);
    setItemDelegate(new CMatrixDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    setMouseTracking(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(1);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &CObjListCtrl::onSectionResized);
    m_tip.Create(this);
    m_tip.SetTipsEnabled(true);
}

CObjListCtrl::~CObjListCtrl() = default;

void CObjListCtrl::Load(MatrixDisplay display, MatrixData* data)
{
    m_rowCaptions.clear();
    m_rowColours.clear();
    m_model->Load(display, data);
    if (display == MatrixDisplay::Numbers || display == MatrixDisplay::Texts)
        m_headerMode = MatrixHeaderMode::Fitted;
    applyColumnWidths(int(m_headerMode));
}

void CObjListCtrl::ValuesChanged()
{
    m_model->ValuesChanged();
    viewport()->update();
}

void CObjListCtrl::RebuildColumns()
{
    // The column count follows the data; captions and widths as at load.
    Load(m_model->Display(), m_model->Data());
}

QString CObjListCtrl::askCaption(qint32 kind, qint32 id, quint32 mask, quint32* colour) const
{
    ListNotifyInfo info;
    info.sender = const_cast<CObjListCtrl*>(this);
    info.topic = kind;
    info.itemId = id;
    info.mask = mask;
    info.query = true;
    info.colour = kNoColour;
    if (m_owner)
        m_owner->OnItemInfo(info);
    if (colour)
        *colour = info.handled ? info.colour : kNoColour;
    return info.handled ? info.name : QString();
}

QString CObjListCtrl::ColumnCaption(int column) const
{
    const MatrixData* data = m_model->Data();
    const int mc = column - 1;
    if (!data || mc < 0)
        return {};
    const MatrixDisplay display = m_model->Display();
    if (display == MatrixDisplay::Numbers || display == MatrixDisplay::Texts) {
        if (mc < data->columnCaptions.size())
            return data->columnCaptions[mc];
        return display == MatrixDisplay::Numbers ? LoadString(MatrixText::Total) : QString();
    }
    const qint32 id = data->columnIds.value(mc);
    if (m_model->ColumnKind() == 0)
        return QString::number(id);
    return askCaption(m_model->ColumnKind(), id, ListNotifyMask::Name);
}

QString CObjListCtrl::RowCaptionWithColour(int listRow, quint32* colour) const
{
    const int row = m_model->RowIndex(listRow);
    const MatrixData* data = m_model->Data();
    *colour = kNoColour;
    if (!data)
        return {};
    if (row == CMatrixModel::kTotalRow)
        return LoadString(MatrixText::Total);
    if (m_model->Display() == MatrixDisplay::Texts)
        return data->rowLabels.value(row);
    if (const auto found = m_rowCaptions.constFind(row); found != m_rowCaptions.constEnd()) {
        *colour = m_rowColours.value(row, kNoColour);
        return *found;
    }
    const qint32 kind = m_model->RowKind();
    const qint32 id = kind == TopicId::Codes ? data->rows.value(row).id : data->rowIds.value(row);
    const QString caption = askCaption(kind, id, ListNotifyMask::FullName | ListNotifyMask::Colour, colour);
    m_rowCaptions.insert(row, caption);
    m_rowColours.insert(row, *colour);
    return caption;
}

QString CObjListCtrl::RowCaption(int listRow) const
{
    quint32 colour = kNoColour;
    return RowCaptionWithColour(listRow, &colour);
}

void CObjListCtrl::applyColumnWidths(int previousMode)
{
    const MatrixData* data = m_model->Data();
    if (!data)
        return;
    m_adjusting = true;
    const MatrixDisplay display = m_model->Display();
    const bool objects = m_model->ColumnKind() != 0;
    QStringList captions;
    captions << (display == MatrixDisplay::Texts ? QString()
                 : m_model->RowKind() == TopicId::Codes ? LoadString(MatrixText::CodesCaption)
                                                        : LoadString(MatrixText::DocumentsCaption));
    const int columns = m_model->columnCount();
    const QFontMetrics metrics(horizontalHeader()->font());
    std::vector<int> widths(size_t(columns), m_columnWidth);
    widths[0] = m_firstColumnWidth;
    for (int c = 1; c < columns; ++c) {
        QString caption;
        switch (m_headerMode) {
        case MatrixHeaderMode::Narrow:
            if (!objects)
                caption = ColumnCaption(c);
            widths[size_t(c)] = objects ? kNarrowWidth : m_columnWidth;
            break;
        case MatrixHeaderMode::Captions:
            caption = ColumnCaption(c);
            widths[size_t(c)] = kCaptionWidth;
            break;
        case MatrixHeaderMode::Fitted:
            caption = ColumnCaption(c);
            widths[size_t(c)] = std::max(kCaptionWidth,
                                         metrics.horizontalAdvance(caption) + kFitPadding
                                             + (previousMode == int(MatrixHeaderMode::Captions) ? kFitPaddingFromCaptions : 0));
            break;
        }
        captions << caption;
    }
    m_model->SetHeaders(captions);
    for (int c = 0; c < columns; ++c)
        horizontalHeader()->resizeSection(c, widths[size_t(c)]);
    m_adjusting = false;
}

void CObjListCtrl::SetHeaderMode(MatrixHeaderMode mode)
{
    const int previous = int(m_headerMode);
    m_headerMode = mode;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    applyColumnWidths(previous);
    QApplication::restoreOverrideCursor();
}

void CObjListCtrl::onSectionResized(int column, int, int newWidth)
{
    if (m_adjusting)
        return;
    int wanted = newWidth;
    const MatrixDisplay display = m_model->Display();
    if (column == 0) {
        wanted = std::max(newWidth, kMinLabelWidth);
        m_firstColumnWidth = wanted;
    } else if (m_headerMode != MatrixHeaderMode::Narrow) {
        wanted = std::max(newWidth, kCaptionWidth);
    } else if (m_model->ColumnKind() != 0) {
        wanted = kNarrowWidth;
    } else if (display == MatrixDisplay::CodeColours) {
        wanted = std::max(newWidth, kMinVaryingWidth);
    } else {
        wanted = m_columnWidth;
    }
    m_adjusting = true;
    if (column > 0 && display == MatrixDisplay::CodeColours && m_headerMode == MatrixHeaderMode::Narrow) {
        // Colour cells share one width: the resized column sets it for all.
        m_columnWidth = wanted;
        for (int c = 1; c < m_model->columnCount(); ++c)
            horizontalHeader()->resizeSection(c, wanted);
    } else if (wanted != newWidth) {
        horizontalHeader()->resizeSection(column, wanted);
    }
    m_adjusting = false;
}

void CObjListCtrl::SetScaling(MatrixScaling scaling)
{
    m_model->SetScaling(scaling);
    viewport()->update();
}

void CObjListCtrl::SetCircles(bool on)
{
    m_circles = on;
    viewport()->update();
}

void CObjListCtrl::SetShowNumbers(bool on)
{
    m_model->SetShowNumbers(on);
    viewport()->update();
}

void CObjListCtrl::SetFixedSize(bool on)
{
    m_model->SetFixedSize(on);
    viewport()->update();
}

void CObjListCtrl::SetPercentage(MatrixPercentage mode)
{
    m_model->SetPercentage(mode);
    viewport()->update();
}

bool CObjListCtrl::expandBoxHit(const QModelIndex& index, const QPoint& point) const
{
    const MatrixData* data = m_model->Data();
    const int row = m_model->RowIndex(index.row());
    if (!data || index.column() != 0 || m_model->RowKind() != TopicId::Codes || row < 0 || row >= data->rows.size()
        || !data->rows[row].hasChildren)
        return false;
    const QRect cell = visualRect(index);
    const QRect box(cell.left() + levelOf(data->rows[row]) * kLevelIndent + kBoxOffset,
                    cell.center().y() - kBoxSize / 2, kBoxSize, kBoxSize);
    return box.contains(point);
}

void CObjListCtrl::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton && expandBoxHit(index, event->position().toPoint())) {
        m_model->Toggle(index.row());
        return;
    }
    QTableView::mousePressEvent(event);
    if (!index.isValid() || index.column() == 0 || m_model->Display() == MatrixDisplay::Texts
        || m_model->ColumnKind() != TopicId::Documents || !m_owner)
        return;
    IdListNotifyInfo info(RequestCode::FollowItem);
    info.sender = this;
    info.itemId = m_model->Data()->columnIds.value(index.column() - 1);
    info.kind = TopicId::Documents;
    info.modifierKeys = GetModifierKeys();
    info.point = event->globalPosition().toPoint();
    m_owner->OnFollowItem(info);
}

void CObjListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!current.isValid() || current.row() == previous.row() || m_model->Display() == MatrixDisplay::Texts
        || !m_owner)
        return;
    const int row = m_model->RowIndex(current.row());
    const MatrixData* data = m_model->Data();
    IdListNotifyInfo info(RequestCode::FollowItem);
    info.sender = this;
    info.kind = m_model->RowKind();
    info.itemId = row < 0 ? 0 : info.kind == TopicId::Codes ? data->rows.value(row).id : data->rowIds.value(row);
    info.modifierKeys = GetModifierKeys();
    info.point = QCursor::pos();
    m_owner->OnFollowItem(info);
}

void CObjListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    const MatrixData* data = m_model->Data();
    const MatrixDisplay display = m_model->Display();
    if (!index.isValid() || index.column() == 0 || !data || display == MatrixDisplay::Texts || !m_owner)
        return;
    const int mc = index.column() - 1;
    const int row = m_model->RowIndex(index.row());
    const qint32 columnId = data->columnIds.value(mc);
    if (m_model->RowKind() != TopicId::Codes) {
        m_owner->OnMatrixDoubleClick(MatrixDoubleClick::PlainRows, columnId, data->rowIds.value(row));
        return;
    }
    const MatrixRow codeRow = data->rows.value(row);
    if (display == MatrixDisplay::Numbers) {
        m_owner->OnMatrixDoubleClick(MatrixDoubleClick::NumberCell, mc, row < 0 ? 0 : codeRow.id);
    } else if (m_model->ColumnKind() == TopicId::Documents) {
        const bool collapsedParent = codeRow.hasChildren && !codeRow.expanded;
        m_owner->OnMatrixDoubleClick(MatrixDoubleClick::DocumentColumn, columnId,
                                     collapsedParent ? -codeRow.id : codeRow.id);
    } else if (m_model->ColumnKind() == TopicId::Codes) {
        m_owner->OnMatrixDoubleClick(MatrixDoubleClick::CodeColumn, columnId, codeRow.id);
    } else if (m_model->CellValue(index.row(), index.column()) != 0) {
        m_owner->OnMatrixDoubleClick(MatrixDoubleClick::OtherColumn, columnId, codeRow.id);
    }
}

QString CObjListCtrl::CellTip(int listRow, int column) const
{
    const MatrixDisplay display = m_model->Display();
    if (column <= 0 || display == MatrixDisplay::Numbers || display == MatrixDisplay::Texts)
        return {};
    const QString rowCaption = RowCaption(listRow);
    const QString columnCaption = ColumnCaption(column);
    qint64 value = m_model->CellValue(listRow, column);
    if (m_model->FixedSize() && display == MatrixDisplay::CodesByDocuments)
        value = value != 0 ? 1 : 0;
    const QString line = QStringLiteral("%1:\t%2");
    switch (m_model->ColumnKind()) {
    case TopicId::Documents:
        return line.arg(LoadString(MatrixText::Document), columnCaption) + QLatin1Char('\n')
               + line.arg(LoadString(MatrixText::Code), rowCaption) + QLatin1Char('\n')
               + line.arg(LoadString(MatrixText::Codings)).arg(value);
    case TopicId::Codes:
        return line.arg(LoadString(MatrixText::FirstCodePrefix) + LoadString(MatrixText::Code), columnCaption)
               + QLatin1Char('\n')
               + line.arg(LoadString(MatrixText::SecondCodePrefix) + LoadString(MatrixText::Code), rowCaption)
               + QLatin1Char('\n') + line.arg(LoadString(MatrixText::CodeValue)).arg(value);
    default:
        return line.arg(LoadString(m_model->RowKind() == TopicId::Codes ? MatrixText::Code : MatrixText::Document),
                        rowCaption)
               + QLatin1Char('\n') + line.arg(LoadString(MatrixText::Paragraph), columnCaption);
    }
}

bool CObjListCtrl::viewportEvent(QEvent* event)
{
    // The control's own tip stands in for the standard tooltip.
    if (event->type() == QEvent::ToolTip)
        return true;
    if (event->type() == QEvent::Leave)
        m_tip.Hide();
    return QTableView::viewportEvent(event);
}

void CObjListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    QTableView::mouseMoveEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    const QString tip = index.isValid() ? CellTip(index.row(), index.column()) : QString();
    if (tip.isEmpty()) {
        m_tip.Hide();
        return;
    }
    const QRect cell = visualRect(index);
    const QRect item(viewport()->mapToGlobal(cell.topLeft()), cell.size());
    if (CRTFTipCtrl::ActiveTip() == &m_tip && m_tip.ItemRect() == item)
        return;
    // Wide enough for the longer of the caption lines, high enough for them all.
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& line : tip.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(QString(line).replace(QLatin1Char('\t'), QLatin1Char(' '))));
    m_tip.SetTipSize(QSize(widest + kTipExtraWidth, m_model->ColumnKind() != 0 ? kTipHeightObjects : kTipHeight));
    m_tip.Show(item, tip, QByteArray());
}
