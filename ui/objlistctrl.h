#pragma once

// The matrix list control of the chart browsers: one row per row object,
// one column per column object, a value drawn in each cell.

#include "document/listnotifyinfo.h"
#include "ui/rtftipctrl.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>

#include <optional>
#include <vector>

/// One code row of a matrix, in tree order.
struct MatrixRow {
    qint32 id = 0;
    bool hasParent = false;
    qint32 level = 0;              ///< 0 for a top-level row
    bool expanded = false;         ///< changed by the control on expand and collapse
    bool hasChildren = false;
    bool lineAbove = false;        ///< the vertical tree line above an unparented row continues
    bool siblingFollows = false;   ///< the vertical line continues below
    QList<bool> ancestorLines;     ///< per ancestor level: its vertical line passes this row
};

enum class MatrixDisplay : int {
    CodesByDocuments = 0,   ///< symbols; columns are documents
    CodesByCodes = 1,       ///< symbols; columns are codes
    CodeColours = 2,        ///< code rows, each cell a COLORREF filled in
    DocumentStripes = 3,    ///< document rows, each cell a run of colours
    Numbers = 4,            ///< numbers or percentages, a total row and column
    Texts = 5,              ///< plain text rows and cells; no clicks
};

enum class MatrixScaling : int { Whole = 0, PerColumn = 1, PerRow = 2 };
enum class MatrixHeaderMode : int { Narrow = 0, Captions = 1, Fitted = 2 };
enum class MatrixPercentage : int { None = 0, OfRowTotal = 1, OfColumnTotal = 2 };

/// The owner's containers. The control reads them while it shows them and
/// changes only the expanded flags of the rows.
///
/// Values are row-major. Display types 0 to 3: value (r, c) at r × columns +
/// c. Display type 4: the stride is cellsPerRow + 1, the last cell of each
/// row being its total, and one more row after the code rows holds the
/// column totals. Display type 5: cellTexts at r × cellsPerRow + c.
struct MatrixData {
    QList<qint32> columnIds;
    QList<MatrixRow> rows;            ///< code rows (row kind codes)
    QList<qint32> values;
    QList<qint32> rowIds;             ///< document rows (display type 3)
    QList<quint32> secondValues;      ///< stripe colours; display type 4: the alternative values
    qint32 cellsPerRow = 0;           ///< display types 4 and 5
    bool alternativeValues = false;   ///< display type 4 shows secondValues
    QStringList rowLabels;            ///< display type 5
    QStringList cellTexts;            ///< display type 5
    QStringList columnCaptions;       ///< display types 4 and 5 (cellsPerRow of them)
};

/// Double clicks reported to the owner, as private message offsets.
enum class MatrixDoubleClick : int {
    DocumentColumn = 17,   ///< column id, row id (negated for a collapsed parent)
    CodeColumn = 18,       ///< column id, row id
    OtherColumn = 26,      ///< column id, row id; non-zero cells only
    PlainRows = 27,        ///< column id, row id; rows that are not codes
    NumberCell = 33,       ///< column index, row id (0 on the total row)
};

/// @short What the matrix asks of and tells its owner (a chart browser).
/// All calls come synchronously on the UI thread.
class IMatrixListOwner {
public:
    virtual ~IMatrixListOwner() = default;
    /// Captions: mask Name for a column (topic = column kind), FullName for
    /// a row, with Colour for the row's colour mark.
    virtual void OnItemInfo(ListNotifyInfo& info) = 0;
    /// A selected row, or a click in a document column.
    virtual void OnFollowItem(IdListNotifyInfo& info) = 0;
    virtual void OnMatrixDoubleClick(MatrixDoubleClick kind, qint32 first, qint32 second) = 0;
};

/// The range that scales symbols; steps are 0 when the range is empty.
struct MatrixRange {
    qint64 minimum = 0;
    qint64 maximum = 0;
    double colourStep = 0.0;   ///< (maximum − minimum) / 255
    double sizeStep = 0.0;     ///< (maximum − minimum) / 6
};

/// @short The rows and cells of a matrix as a table model: list rows are the
/// visible rows (collapsed subtrees left out), column 0 is the label column.
///
/// Ranges and subtree sums are computed once per load, scaling switch or
/// expand/collapse, never while painting.
class CMatrixModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kTotalRow = -1;   ///< row index of display type 4's total row

    explicit CMatrixModel(QObject* parent = nullptr);

    void Load(MatrixDisplay display, MatrixData* data);
    /// The values changed in place, rows and columns the same: sums and
    /// ranges are computed again, nothing else is reset.
    void ValuesChanged();
    MatrixDisplay Display() const { return m_display; }
    const MatrixData* Data() const { return m_data; }
    MatrixData* Data() { return m_data; }
    qint32 RowKind() const;
    qint32 ColumnKind() const;

    void SetScaling(MatrixScaling scaling);
    MatrixScaling Scaling() const { return m_scaling; }
    void SetFixedSize(bool on) { m_fixedSize = on; }
    bool FixedSize() const { return m_fixedSize; }
    void SetShowNumbers(bool on) { m_showNumbers = on; }
    bool ShowNumbers() const { return m_showNumbers; }
    void SetPercentage(MatrixPercentage mode) { m_percentage = mode; }

    /// The row index (into rows, rowIds or rowLabels) of a list row;
    /// kTotalRow for the total row.
    int RowIndex(int listRow) const { return m_visible.value(listRow, kTotalRow); }
    /// The shown value of a matrix cell (column ≥ 1): a collapsed parent
    /// shows its subtree's sum in display types 0 and 1.
    qint64 CellValue(int listRow, int column) const;
    /// The raw value at (row index, matrix column), 0 outside the data.
    qint64 RawValue(int row, int matrixColumn) const;
    /// The range the cell is scaled by.
    MatrixRange RangeFor(int listRow, int column) const;
    const MatrixRange& WholeRange() const { return m_range; }
    /// The text a display type 4 or 5 cell shows; empty when none.
    QString CellText(int listRow, int column) const;
    /// The colours of a stripe cell (display type 3), at most 50.
    QList<quint32> StripeColours(int listRow, int column) const;

    /// Expands or collapses a code row with children by its list row.
    void Toggle(int listRow);

    /// The header captions, column 0 first.
    void SetHeaders(const QStringList& captions);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int matrixColumns() const;
    int stride() const;
    void buildVisibleRows();
    void computeSums();
    void computeRanges();
    void computeRowRange(int row);
    const std::vector<qint64>* subtreeSums(int row) const;
    qint64 scaledValue(int row, int matrixColumn, bool subtreeWhenParent) const;

    MatrixDisplay m_display = MatrixDisplay::CodesByDocuments;
    MatrixData* m_data = nullptr;
    MatrixScaling m_scaling = MatrixScaling::Whole;
    MatrixPercentage m_percentage = MatrixPercentage::None;
    bool m_fixedSize = false;
    bool m_showNumbers = false;
    QList<int> m_visible;
    QStringList m_headers;
    // Subtree sums of parent rows, by row index; empty for other rows.
    std::vector<std::vector<qint64>> m_sums;
    MatrixRange m_range;
    qint64 m_smallestNonZero = 0;
    std::vector<qint64> m_columnMin, m_columnMax, m_rowMin, m_rowMax;
};

/// @short The matrix list control: a table view over CMatrixModel that paints
/// only the cells on screen and reports clicks to its owner.
class CObjListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CObjListCtrl(QWidget* parent = nullptr);
    ~CObjListCtrl() override;

    /// The owner answers captions and receives clicks; not owned, may be null.
    void SetOwner(IMatrixListOwner* owner) { m_owner = owner; }
    /// Shows `data` (owner-kept, not owned) in a display type.
    void Load(MatrixDisplay display, MatrixData* data);
    void SetHeaderMode(MatrixHeaderMode mode);
    MatrixHeaderMode HeaderMode() const { return m_headerMode; }
    void SetScaling(MatrixScaling scaling);
    void SetCircles(bool on);
    void SetShowNumbers(bool on);
    void SetFixedSize(bool on);
    void SetPercentage(MatrixPercentage mode);
    /// The owner's values changed in place (same rows and columns).
    void ValuesChanged();
    /// Adds or removes matrix columns to match the column ids again.
    void RebuildColumns();

    CMatrixModel* Model() const { return m_model; }
    bool Circles() const { return m_circles; }
    int ColumnWidth() const { return m_columnWidth; }
    /// The caption of a row (list row) and of a matrix column, as shown.
    QString RowCaption(int listRow) const;
    QString ColumnCaption(int column) const;
    /// The tip text of a cell; empty over the label column and in types 4, 5.
    QString CellTip(int listRow, int column) const;
    CRTFTipCtrl& Tip() { return m_tip; }

protected:
    bool viewportEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class CMatrixDelegate;
    void applyColumnWidths(int previousMode);
    void onSectionResized(int column, int oldWidth, int newWidth);
    QString RowCaptionWithColour(int listRow, quint32* colour) const;
    QString askCaption(qint32 kind, qint32 id, quint32 mask, quint32* colour = nullptr) const;
    bool expandBoxHit(const QModelIndex& index, const QPoint& point) const;

    CMatrixModel* m_model = nullptr;
    IMatrixListOwner* m_owner = nullptr;
    MatrixHeaderMode m_headerMode = MatrixHeaderMode::Narrow;
    bool m_circles = false;
    int m_firstColumnWidth = 200;
    int m_columnWidth = 26;
    bool m_adjusting = false;
    CRTFTipCtrl m_tip;
    mutable QHash<int, QString> m_rowCaptions;   // by row index; cleared on load
    mutable QHash<int, quint32> m_rowColours;
};
