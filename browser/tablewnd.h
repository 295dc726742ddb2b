#pragma once

#include "browser/documentviewer.h"
#include "foundation/colorhelpers.h"
#include "ui/tablewndholder.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <memory>

class QLineEdit;
class QTableView;
class CTableModel;

/// @short One cell of a table document: row and column from 0.
struct TableCell {
    qint32 row = 0;
    qint32 column = 0;
    friend bool operator==(const TableCell& a, const TableCell& b) { return a.row == b.row && a.column == b.column; }
};

/// @short A hit of the context search in a table: the position in the
/// cell's text, the column + 1 and the row from 0, as a coding of the cell
/// stores them.
struct TableHit {
    qint32 position = 0;
    qint32 page = 0;
    qint32 row = 0;
};

/// @short The table view of the document browser: a table document's cells
/// in a grid that zooms, edits, searches, prints and answers the browser's
/// questions about the selected cells.
///
/// The cells live in the holder's CTableData; the grid is a QTableView over
/// a model of it. A coding of cells stores Page = column + 1, PosX1 = the
/// row from 0, StartChar and FinishChar within the cell's text and IsText 2
/// (CellCoding). Bytes that CTableData refuses show no table, and nothing
/// can be saved from it, so a damaged image is never written back empty.
///
/// Edits: a cell edited by the user is kept in the table and announced by
/// CellEdited with its old text; the browser stores it through its owner.
class CTableWnd : public QWidget, public IDocumentViewer {
    Q_OBJECT
public:
    static constexpr int kControlId = 13104;
    static constexpr int kDefaultZoom = 8;   ///< point size of the cells
    static constexpr int kLargestZoom = 16;
    static constexpr int kSmallestZoom = 4;
    static constexpr qint32 CellCoding = 2;  ///< IsText of a coding of cells

    explicit CTableWnd(QWidget* parent = nullptr);
    ~CTableWnd() override;

    // ---- The browser's viewer interface -----------------------------------------
    QWidget* Widget() override { return this; }
    /// LoadTable with the zoom as the point size (the default when ≤ 0);
    /// the view state's selection comes back.
    bool Load(const QByteArray& content, qint32 kind, double zoom, const DocumentViewState& view) override;
    void Close() override;
    /// Piece `index` of the selection: text selected in an open cell editor
    /// is one piece (its range in the cell); otherwise every selected cell
    /// with text, row by row, is one piece covering its whole text.
    bool GetSelection(int index, qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2,
                      qint32& isText) const override;
    /// The text of the first piece.
    QString SelectedText() const override { return PieceText(0); }
    void SaveView(double& zoom, DocumentViewState& view) const override;
    /// Prints the table as a grid, coded cells shaded with `withCodes`.
    bool Print(const QString& title, bool withCodes) override;

    // ---- The table ------------------------------------------------------------
    /// Rebuilds the table from the bytes and shows it at the zoom (the
    /// default when ≤ 0) and scale (1.0 when 0). Refused bytes: a message,
    /// no table, false.
    bool LoadTable(const QByteArray& bytes, int zoom, double scale);
    /// The shown table's byte image; false when no table is shown.
    bool SaveToBytes(QByteArray& bytes) const;
    bool IsLoaded() const { return m_loaded; }
    const CTableData& Table() const { return m_holder.table; }
    /// The sum of the lengths of all cell texts.
    qint32 TextLength() const;
    QString CellText(qint32 row, qint32 column) const { return m_holder.table.GetCell(row, column); }
    /// The text of selection piece `index`; empty when there is none.
    QString PieceText(int index) const;

    // ---- Zoom --------------------------------------------------------------------
    int GetZoom() const { return m_zoom; }
    /// One point up to the largest, down to the smallest, or back to the
    /// default; a step past the limits does nothing.
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();

    // ---- Selection ------------------------------------------------------------------
    /// The selected cells, row by row.
    QList<TableCell> SelectedCells() const;
    /// Selects one cell and scrolls to it; with a range inside the cell
    /// (start < end) the cell's editor opens with that range selected
    /// while editing is allowed.
    void SelectCell(qint32 row, qint32 column, qint32 start = 0, qint32 end = 0);
    /// whole: the table's text length while cells are selected; part 0.
    void GetCoverage(qint64& whole, qint64& part) const;
    /// The vertical extent of a row in this window's coordinates; false
    /// when the row is out of view.
    bool RowExtent(qint32 row, int& top, int& bottom) const;
    /// The rows in view, first and last; false for none.
    bool VisibleRows(qint32& first, qint32& last) const;

    // ---- Editing ----------------------------------------------------------------------
    /// Cells may be edited (double click, F2, typing) only while on.
    void SetEditingAllowed(bool on);
    bool CanCopy() const { return !SelectedCells().isEmpty(); }
    bool CanCut() const { return m_editingAllowed && CanCopy(); }
    bool CanPaste() const { return m_editingAllowed && !SelectedCells().isEmpty(); }
    /// The selected cells' texts, tab between columns and a line break
    /// between rows.
    void Copy() const;
    /// Copy, then the selected cells become empty (each one an edit).
    void Cut();
    /// The clipboard's text into the cells from the current one on.
    void Paste();
    /// Sets a cell's text as the user's edit does (CellEdited).
    bool EditCell(qint32 row, qint32 column, const QString& text);

    // ---- Search and codings --------------------------------------------------------------
    /// Every occurrence of the text in the cells (case ignored), row by
    /// row; each search in a cell resumes after the previous hit.
    QList<TableHit> FindInCells(const QString& text) const;
    /// Cells shaded in the colour of their codings (by cell), drawn by the grid.
    void SetCellColours(QHash<quint64, COLORREF> colours);
    static quint64 CellKey(qint32 row, qint32 column) { return (quint64(quint32(row)) << 32) | quint32(column); }

    QTableView* View() const { return m_view; }

signals:
    /// The user changed a cell; the table holds the new text already.
    void CellEdited(qint32 row, qint32 column, const QString& oldText);
    /// Rows moved in the window: scrolling, zoom, resizing.
    void RowsMoved();
    void SelectionChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyZoom(int zoom);
    /// The grid's context menu with its captions translated.
    void ShowContextMenu(const QPoint& at);
    QLineEdit* OpenEditor() const;

    CTableWndHolder m_holder;
    std::unique_ptr<CTableModel> m_model;
    QTableView* m_view = nullptr;
    bool m_loaded = false;
    bool m_editingAllowed = true;
    int m_zoom = kDefaultZoom;
    double m_scale = 1.0;
};
