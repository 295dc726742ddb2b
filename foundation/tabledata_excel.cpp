// The Excel export of a text table: libxlsxwriter writes ".xlsx"; ".xls" is
// made from it by LibreOffice.

#include "foundation/tabledata.h"

#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "platform/office/officeconverter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace {

constexpr double kDefaultRowHeight = 15.0;      // points, the sheet's default
constexpr double kHeaderRowFactor = 1.2;
constexpr double kUnflaggedMinWidth = 50.0;     // characters
constexpr double kMaxColumnWidth = 255.0;       // characters, Excel's limit
constexpr qsizetype kMaxCellText = 32767;       // characters in one cell, Excel's limit
constexpr qsizetype kMaxSheetName = 31;         // characters, Excel's limit
constexpr int kMaxNumberedNames = 99;
constexpr qint64 kXlsxMaxRows = LXW_ROW_MAX;
constexpr qint64 kXlsxMaxColumns = LXW_COL_MAX;
constexpr qint64 kXlsMaxRows = 65536;
constexpr qint64 kXlsMaxColumns = 256;
constexpr lxw_color_t kGrey = 0xC0C0C0;          // (192, 192, 192)
constexpr lxw_color_t kFlaggedHeader = 0x789CFF; // (120, 156, 255)
const char* const kXlsFormat = "xls:MS Excel 97";

/// Cuts a text to at most `limit` code points, never inside a surrogate
/// pair, as UTF-8 for the library.
QByteArray CutToUtf8(const QString& text, qsizetype limit)
{
    qsizetype units = 0;
    for (qsizetype points = 0; units < text.size() && points < limit; ++points)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units).toUtf8();
}

/// Excel refuses sheet names longer than 31 characters, holding []:*?/\ or
/// starting or ending with an apostrophe; document names may be any of that.
QByteArray SheetName(const QString& name)
{
    QString sheet = name;
    for (QChar& ch : sheet) {
        if (QStringLiteral("[]:*?/\\").contains(ch) || ch.unicode() < 0x20)
            ch = u'_';
    }
    QByteArray bytes = CutToUtf8(sheet, kMaxSheetName);
    if (bytes.startsWith('\''))
        bytes[0] = '_';
    if (bytes.endsWith('\''))
        bytes[bytes.size() - 1] = '_';
    return bytes;
}

lxw_format* AddFormat(lxw_workbook* book)
{
    lxw_format* format = workbook_add_format(book);
    format_set_font_name(format, "Verdana");
    format_set_font_size(format, 8);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_border_color(format, kGrey);
    format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
    return format;
}

lxw_format* AddHeaderFormat(lxw_workbook* book, lxw_color_t fill)
{
    lxw_format* format = AddFormat(book);
    format_set_bold(format);
    format_set_pattern(format, LXW_PATTERN_SOLID);
    format_set_bg_color(format, fill);
    return format;
}

QString LibraryError(const char* what, lxw_error code)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromUtf8(lxw_strerror(code)));
}

/// Writes the table as an .xlsx workbook at `file`: row 0 the column headers,
/// row r + 1 the table's row r. Flagged columns fit their longest cell;
/// the others are at least 50 characters wide and wrap their texts.
bool WriteWorkbook(const CTableData& table, const QString& sheetName, const QString& file,
                   const QString& scratchFolder, QString& error)
{
    const QByteArray fileName = QFile::encodeName(file);
    const QByteArray scratch = QFile::encodeName(scratchFolder);
    lxw_workbook_options options = {};
    options.tmpdir = const_cast<char*>(scratch.constData());
    lxw_workbook* book = workbook_new_opt(fileName.constData(), &options);
    if (!book) {
        error = QStringLiteral("the workbook could not be created");
        return false;
    }
    lxw_format* headerFormats[2] = {AddHeaderFormat(book, kGrey), AddHeaderFormat(book, kFlaggedHeader)};
    lxw_format* dataFormats[2] = {AddFormat(book), AddFormat(book)};
    format_set_text_wrap(dataFormats[0]);

    const QByteArray name = SheetName(sheetName);
    lxw_worksheet* sheet = workbook_add_worksheet(book, name.isEmpty() ? nullptr : name.constData());
    if (!sheet) {
        workbook_close(book);
        error = QStringLiteral("the sheet \"%1\" could not be added").arg(sheetName);
        return false;
    }

    lxw_error result = LXW_NO_ERROR;
    for (qint32 column = 0; column < table.GetColumnCount() && result == LXW_NO_ERROR; ++column) {
        const bool flagged = table.GetColumnFlag(column) != 0;
        const QString header = QStringLiteral("%1: %2").arg(column + 1).arg(table.GetColumnLabel(column));
        const qsizetype n = header.size();
        double width = double(n + n / 8 + 1);
        if (flagged) {
            qsizetype longest = 0;
            for (qint32 row = 0; row < table.GetRowCount(); ++row)
                longest = std::max(longest, table.GetCell(row, column).size());
            width = std::max(width, double(longest + 2));
        } else {
            width = std::max(width, kUnflaggedMinWidth);
        }
        result = worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column),
                                      std::min(width, kMaxColumnWidth), nullptr);
        if (result == LXW_NO_ERROR)
            result = worksheet_write_string(sheet, 0, lxw_col_t(column), CutToUtf8(header, kMaxCellText).constData(),
                                            headerFormats[flagged ? 1 : 0]);
    }
    if (result == LXW_NO_ERROR)
        result = worksheet_set_row(sheet, 0, kDefaultRowHeight * kHeaderRowFactor, nullptr);
    for (qint32 row = 0; row < table.GetRowCount() && result == LXW_NO_ERROR; ++row) {
        for (qint32 column = 0; column < table.GetColumnCount() && result == LXW_NO_ERROR; ++column) {
            lxw_format* format = dataFormats[table.GetColumnFlag(column) != 0 ? 1 : 0];
            result = worksheet_write_string(sheet, lxw_row_t(row) + 1, lxw_col_t(column),
                                            CutToUtf8(table.GetCell(row, column), kMaxCellText).constData(), format);
        }
    }
    const lxw_error closed = workbook_close(book);   // writes the file and frees the book
    if (result != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
        error = LibraryError("the workbook could not be written", result != LXW_NO_ERROR ? result : closed);
        return false;
    }
    return true;
}

}  // namespace

bool CTableData::ExportExcel(const QString& sheetName, const QString& path, QString* savedPath,
                             QString* error) const
{
    QString why;
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };

    QString target = path;
    bool xlsx = target.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    if (!xlsx && FindOfficeProgram().isEmpty()) {
        const QFileInfo info(target);
        target = QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".xlsx"));
        if (!AskYesNo(LoadString(FoundationText::XlsNeedsOffice).arg(info.completeBaseName() + QStringLiteral(".xlsx"))))
            return fail(QStringLiteral("LibreOffice is needed for .xls and was not found"));
        xlsx = true;
    }
    const qint64 maxRows = xlsx ? kXlsxMaxRows : kXlsMaxRows;
    const qint64 maxColumns = xlsx ? kXlsxMaxColumns : kXlsMaxColumns;
    if (qint64(m_rows) + 1 > maxRows || m_columns > maxColumns)
        return fail(QStringLiteral("the table (%1 rows, %2 columns) does not fit one sheet of this format")
                        .arg(m_rows).arg(m_columns));

    QTemporaryDir work;
    if (!work.isValid())
        return fail(QStringLiteral("no temporary folder for the workbook"));
    const QString book = work.filePath(QStringLiteral("table.xlsx"));
    if (!WriteWorkbook(*this, sheetName, book, work.path(), why))
        return fail(why);
    QString made = book;
    if (!xlsx && ConvertWithOffice(book, QString::fromLatin1(kXlsFormat), work.path(), made, why)
                     != OfficeConvertResult::Converted)
        return fail(why);

    // A target that cannot be written (in use, a folder of that name) gives
    // way to numbered names beside it.
    int counter = 1;
    for (QString candidate = target;; candidate = MakeNumberedName(target, counter)) {
        if (ReplaceFileByCopy(made, candidate)) {
            if (savedPath)
                *savedPath = candidate;
            return true;
        }
        if (counter > kMaxNumberedNames)
            break;
    }
    return fail(QStringLiteral("the workbook could not be saved as %1 or a numbered name beside it").arg(target));
}
