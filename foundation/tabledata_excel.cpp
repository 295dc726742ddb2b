// The Excel export of a text table, through the workbook layer.

#include "foundation/tabledata.h"

#include "foundation/workbook.h"

#include <algorithm>

namespace {

constexpr double kHeaderRowFactor = 1.2;
constexpr double kUnflaggedMinWidth = 50.0;      // characters
constexpr quint32 kGrey = PackWorkbookColour(192, 192, 192);
constexpr quint32 kFlaggedHeader = PackWorkbookColour(120, 156, 255);

WorkbookCellFormat CellFormat()
{
    WorkbookCellFormat format;
    format.thinBorder = true;
    format.borderColour = kGrey;
    format.alignV = CellAlignV::Top;
    return format;
}

WorkbookCellFormat HeaderFormat(quint32 fill)
{
    WorkbookCellFormat format = CellFormat();
    format.bold = true;
    format.solidFill = true;
    format.fillColour = fill;
    return format;
}

}  // namespace

bool CTableData::ExportExcel(const QString& sheetName, const QString& path, QString* savedPath,
                             QString* error) const
{
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };

    QString target = path;
    CWorkbook book;
    if (!book.CreateFor(target, error))
        return false;
    book.SetDefaultFont(QStringLiteral("Verdana"), 8);
    CWorkbookSheet* sheet = book.AddSheet(sheetName);
    if (!sheet)
        return fail(QStringLiteral("the sheet \"%1\" could not be added").arg(sheetName));
    if (qint64(m_rows) + 1 > sheet->MaxRows() || m_columns > sheet->MaxColumns())
        return fail(QStringLiteral("the table (%1 rows, %2 columns) does not fit one sheet of this format")
                        .arg(m_rows).arg(m_columns));
    const int headerFormats[2] = {book.AddFormat(HeaderFormat(kGrey)), book.AddFormat(HeaderFormat(kFlaggedHeader))};
    WorkbookCellFormat wrapped = CellFormat();
    wrapped.wrap = true;
    const int dataFormats[2] = {book.AddFormat(wrapped), book.AddFormat(CellFormat())};

    // Row 0 holds the column headers, row r + 1 the table's row r. Flagged
    // columns fit their longest cell; the others are at least 50 characters
    // wide and wrap their texts.
    bool written = true;
    for (qint32 column = 0; column < GetColumnCount() && written; ++column) {
        const bool flagged = GetColumnFlag(column) != 0;
        const QString header = QStringLiteral("%1: %2").arg(column + 1).arg(GetColumnLabel(column));
        const qsizetype n = header.size();
        double width = double(n + n / 8 + 1);
        if (flagged) {
            qsizetype longest = 0;
            for (qint32 row = 0; row < GetRowCount(); ++row)
                longest = std::max(longest, GetCell(row, column).size());
            width = std::max(width, double(longest + 2));
        } else {
            width = std::max(width, kUnflaggedMinWidth);
        }
        written = sheet->SetColumnWidth(column, column, width)
            && sheet->WriteString(0, column, header, headerFormats[flagged ? 1 : 0]);
    }
    written = written && sheet->SetRowHeight(0, CWorkbook::kDefaultRowHeight * kHeaderRowFactor);
    for (qint32 row = 0; row < GetRowCount() && written; ++row) {
        for (qint32 column = 0; column < GetColumnCount() && written; ++column)
            written = sheet->WriteString(row + 1, column, GetCell(row, column),
                                         dataFormats[GetColumnFlag(column) != 0 ? 1 : 0]);
    }
    if (!written)
        return fail(QStringLiteral("the workbook could not be written"));
    return book.Save(target, savedPath, error);
}
