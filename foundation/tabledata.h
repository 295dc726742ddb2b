#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// One record per column. Its meaning belongs to the callers (the table
/// window keeps its grid layout here); the table only stores it.
struct TableColumnRecord {
    qint32 first = 0;
    qint32 second = 0;
    quint8 flag = 0;
    qint32 transient = 0;   // not stored; 0 after loading
};

/// @short A two-dimensional table of texts with a label and a flag per
/// column: retrieval result tables, table documents, crosstabs.
///
/// Cells are kept row by row: the cell of (row, column) is entry
/// row × columns + column. Beside each cell the table keeps two integers
/// (cell values) for the callers. Stored in the project as a byte image
/// (SaveToBytes) and exported as an Excel workbook.
class CTableData {
public:
    /// Most cells a table may hold: two cell values per cell must stay
    /// countable by a 32-bit integer.
    static constexpr qint64 kMaxCells = 0x3FFFFFFF;
    /// Most cells of a table read from an image that ends after its sizes.
    static constexpr qint64 kMaxUnbackedCells = 1 << 22;
    /// Most columns of such a table: each costs a label, a flag and a column
    /// record although no byte of the image backs it; as wide as the widest
    /// spreadsheet.
    static constexpr qint64 kMaxUnbackedColumns = 1 << 14;

    CTableData() = default;

    qint32 GetColumnCount() const { return m_columns; }
    qint32 GetRowCount() const { return m_rows; }

    /// Sizes the table: every column gets an empty label, flag 0 and the
    /// record (index, index, 1, 0); cells become empty and cell values 0.
    /// False, table unchanged, for negative sizes or more than kMaxCells.
    bool SetSize(qint32 rows, qint32 columns);
    /// SetSize, then unless `noLabels` column i is labelled "Column i+1" in
    /// the current language.
    bool Create(qint32 rows, qint32 columns, bool noLabels = false);

    /// The cell's text; empty for any position outside the table.
    QString GetCell(qint32 row, qint32 column) const;
    /// False for a position outside the table.
    bool SetCell(qint32 row, qint32 column, const QString& text);
    QString GetColumnLabel(qint32 column) const;
    bool SetColumnLabel(qint32 column, const QString& label);
    /// A non-zero flag makes the column fit its longest cell in the export.
    qint32 GetColumnFlag(qint32 column) const;
    bool SetColumnFlag(qint32 column, qint32 flag);

    /// The sum of the lengths (UTF-16 units) of all cell texts.
    qint64 GetTotalLabelLength() const;
    /// The same sum.
    qint64 GetTextLength() const;

    /// Two integers per cell, row by row, zero when sized.
    QList<qint32>& GetCellValues() { return m_cellValues; }
    const QList<qint32>& GetCellValues() const { return m_cellValues; }
    QList<TableColumnRecord>& GetColumnRecords() { return m_columnRecords; }
    const QList<TableColumnRecord>& GetColumnRecords() const { return m_columnRecords; }

    /// Fills the lists with 0..rows-1 and 0..columns-1, the initial display
    /// orders.
    void GetIdentityOrder(QList<qint32>& rowOrder, QList<qint32>& columnOrder) const;

    /// Writes the byte image into `bytes`; false when it cannot be sized.
    bool SaveToBytes(QByteArray& bytes) const;
    /// Rebuilds the table from a byte image. An image that ends after its
    /// sizes (and zero padding) is a table of that size with empty cells.
    /// An image cut inside its data, altered, one whose counts do not match
    /// its sizes, or rows without columns are refused: false, and the table
    /// stays as it was.
    bool LoadFromBytes(const QByteArray& bytes);

    /// Writes the table as a workbook with one sheet at `path`: ".xlsx"
    /// (any case) directly, any other extension as ".xls" converted by
    /// LibreOffice. Without LibreOffice the user is offered ".xlsx" instead.
    /// When the file cannot be written at `path`, "name(01).ext" up to
    /// "name(99).ext" are tried. True when a workbook was written; then
    /// `savedPath` (when given) names it. On failure `error` (when given)
    /// says why; nothing was shown to the user except the question above.
    bool ExportExcel(const QString& sheetName, const QString& path, QString* savedPath = nullptr,
                     QString* error = nullptr) const;

private:
    QStringList m_labels;                       // one per column
    QList<qint32> m_flags;                      // one per column
    qint32 m_columns = 0;
    qint32 m_rows = 0;
    QStringList m_cells;                        // rows × columns, row by row
    QList<TableColumnRecord> m_columnRecords;   // one per column
    QList<qint32> m_cellValues;                 // rows × columns × 2
};
