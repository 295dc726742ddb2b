#include "foundation/workbook.h"

#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "foundation/xmldoc.h"
#include "platform/office/officeconverter.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include <freexl.h>
#include <unzip.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <cmath>

namespace {

constexpr qsizetype kMaxCellText = 32767;        // characters in one cell, Excel's limit
constexpr qsizetype kMaxSheetName = 31;          // characters, Excel's limit
constexpr double kMaxColumnWidth = 255.0;        // characters, Excel's limit
constexpr double kMaxRowHeight = 409.0;          // points, Excel's limit
constexpr int kXlsMaxRows = 65536;
constexpr int kXlsMaxColumns = 256;
const char* const kXlsFormat = "xls:MS Excel 97";
// A hostile archive may claim any size: parts larger than this are refused
// before they are inflated.
constexpr quint64 kMaxPartBytes = 256ull * 1024 * 1024;
constexpr int kMaxReadRows = 1048576;
constexpr int kMaxReadColumns = 16384;
const QDate kOleDayZero(1899, 12, 30);

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
/// starting or ending with an apostrophe; titles may be any of that.
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

uint8_t LibraryAlignH(CellAlignH align)
{
    switch (align) {
    case CellAlignH::Left: return LXW_ALIGN_LEFT;
    case CellAlignH::Centre: return LXW_ALIGN_CENTER;
    case CellAlignH::Right: return LXW_ALIGN_RIGHT;
    case CellAlignH::Justify: return LXW_ALIGN_JUSTIFY;
    case CellAlignH::General: break;
    }
    return LXW_ALIGN_NONE;
}

}  // namespace

bool IsXmlWorkbookPath(const QString& path)
{
    return path.right(5).compare(QStringLiteral(".xlsx"), Qt::CaseInsensitive) == 0;
}

bool ResolveWorkbookTarget(QString& path, QString* error)
{
    if (IsXmlWorkbookPath(path) || !FindOfficeProgram().isEmpty())
        return true;
    const QFileInfo info(path);
    const QString xlsx = QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".xlsx"));
    if (!AskYesNo(LoadString(FoundationText::XlsNeedsOffice).arg(QFileInfo(xlsx).fileName()))) {
        if (error)
            *error = QStringLiteral("LibreOffice is needed for .xls and was not found");
        return false;
    }
    path = xlsx;
    return true;
}

// ---------------------------------------------------------------- writing

struct CWorkbook::Scratch {
    QTemporaryDir folder;
    QString book;
};

CWorkbook::CWorkbook() = default;

CWorkbook::~CWorkbook()
{
    release();
}

void CWorkbook::release()
{
    if (m_book) {
        // Closing writes the scratch file, which the temporary folder removes.
        workbook_close(m_book);
        m_book = nullptr;
    }
    qDeleteAll(m_sheets);
    m_sheets.clear();
    m_formats.clear();
    m_pictures.clear();
    m_scratch.reset();
}

bool CWorkbook::Create(const QString& targetPath)
{
    release();
    m_failed = false;
    m_xml = IsXmlWorkbookPath(targetPath);
    m_scratch = std::make_unique<Scratch>();
    if (!m_scratch->folder.isValid()) {
        m_scratch.reset();
        return false;
    }
    m_scratch->book = m_scratch->folder.filePath(QStringLiteral("book.xlsx"));
    const QByteArray fileName = QFile::encodeName(m_scratch->book);
    const QByteArray tmp = QFile::encodeName(m_scratch->folder.path());
    lxw_workbook_options options = {};
    options.tmpdir = const_cast<char*>(tmp.constData());
    options.constant_memory = m_constantMemory ? LXW_TRUE : LXW_FALSE;
    m_book = workbook_new_opt(fileName.constData(), &options);
    if (!m_book)
        m_scratch.reset();
    return m_book != nullptr;
}

bool CWorkbook::CreateFor(QString& path, QString* error)
{
    if (!ResolveWorkbookTarget(path, error))
        return false;
    if (Create(path))
        return true;
    if (error)
        *error = QStringLiteral("the workbook could not be created");
    return false;
}

void CWorkbook::SetDefaultFont(const QString& name, double size)
{
    m_defaultFont = name;
    m_defaultSize = size;
}

int CWorkbook::AddFormat(const WorkbookCellFormat& cell)
{
    if (!m_book)
        return -1;
    lxw_format* format = workbook_add_format(m_book);
    if (!format)
        return -1;
    format_set_font_name(format, (cell.fontName.isEmpty() ? m_defaultFont : cell.fontName).toUtf8().constData());
    format_set_font_size(format, cell.fontSize > 0 ? cell.fontSize : m_defaultSize);
    if (cell.bold)
        format_set_bold(format);
    if (cell.alignH != CellAlignH::General)
        format_set_align(format, LibraryAlignH(cell.alignH));
    format_set_align(format, cell.alignV == CellAlignV::Top ? LXW_ALIGN_VERTICAL_TOP : LXW_ALIGN_VERTICAL_CENTER);
    if (cell.thinBorder) {
        format_set_border(format, LXW_BORDER_THIN);
        format_set_border_color(format, cell.borderColour);
    }
    if (cell.solidFill) {
        format_set_pattern(format, LXW_PATTERN_SOLID);
        format_set_bg_color(format, cell.fillColour);
    }
    if (!cell.numberFormat.isEmpty())
        format_set_num_format(format, cell.numberFormat.toUtf8().constData());
    else if (cell.builtInNumberFormat > 0)
        format_set_num_format_index(format, uint8_t(cell.builtInNumberFormat));
    if (cell.wrap)
        format_set_text_wrap(format);
    m_formats.append(format);
    return int(m_formats.size() - 1);
}

CWorkbookSheet* CWorkbook::AddSheet(const QString& name)
{
    if (!m_book)
        return nullptr;
    const QByteArray sheetName = SheetName(name);
    lxw_worksheet* sheet = workbook_add_worksheet(m_book, sheetName.isEmpty() ? nullptr : sheetName.constData());
    if (!sheet)
        return nullptr;
    m_sheets.append(new CWorkbookSheet(this, sheet));
    return m_sheets.last();
}

bool CWorkbook::Save(const QString& targetPath, QString* savedPath, QString* error)
{
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        release();
        return false;
    };
    if (!m_book)
        return fail(QStringLiteral("no workbook was made"));
    if (m_failed)
        return fail(QStringLiteral("a cell could not be written"));
    // Writing out a large book takes seconds: it runs on a helper thread
    // while a shown wait window keeps painting.
    lxw_error closed = LXW_NO_ERROR;
    if (GetWaitWindow()) {
        auto writing = std::async(std::launch::async, [book = m_book] { return workbook_close(book); });
        do {
            if (IWaitWindow* wait = GetWaitWindow())
                wait->Pump();
        } while (writing.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready);
        closed = writing.get();
    } else {
        closed = workbook_close(m_book);   // writes the scratch file and frees the book
    }
    m_book = nullptr;
    if (closed != LXW_NO_ERROR)
        return fail(QStringLiteral("the workbook could not be written: %1").arg(QString::fromUtf8(lxw_strerror(closed))));
    QString made = m_scratch->book;
    QString why;
    if (!m_xml && ConvertWithOffice(m_scratch->book, QString::fromLatin1(kXlsFormat), m_scratch->folder.path(), made, why)
                      != OfficeConvertResult::Converted)
        return fail(why);

    // A target that cannot be written (in use, a folder of that name) gives
    // way to numbered names beside it.
    int counter = 1;
    for (QString candidate = targetPath;; candidate = MakeNumberedName(targetPath, counter)) {
        if (ReplaceFileByCopy(made, candidate)) {
            if (savedPath)
                *savedPath = candidate;
            release();
            return true;
        }
        if (counter > kMaxNumberedNames)
            break;
    }
    return fail(QStringLiteral("the workbook could not be saved as %1 or a numbered name beside it").arg(targetPath));
}

lxw_format* CWorkbookSheet::formatOf(int format) const
{
    return format >= 0 && format < m_book->m_formats.size() ? m_book->m_formats.at(format) : nullptr;
}

int CWorkbookSheet::MaxRows() const
{
    return m_book->m_xml ? int(LXW_ROW_MAX) : kXlsMaxRows;
}

int CWorkbookSheet::MaxColumns() const
{
    return m_book->m_xml ? int(LXW_COL_MAX) : kXlsMaxColumns;
}

void CWorkbookSheet::HideGridlines()
{
    worksheet_gridlines(m_sheet, LXW_HIDE_ALL_GRIDLINES);
}

bool CWorkbookSheet::SetColumnWidth(int first, int last, double width)
{
    if (first < 0 || last < first || last >= MaxColumns())
        return false;
    return worksheet_set_column(m_sheet, lxw_col_t(first), lxw_col_t(last), std::clamp(width, 0.0, kMaxColumnWidth),
                                nullptr)
        == LXW_NO_ERROR;
}

bool CWorkbookSheet::SetRowHeight(int row, double height)
{
    if (row < 0 || row >= MaxRows())
        return false;
    height = std::clamp(height, 0.0, kMaxRowHeight);
    if (worksheet_set_row(m_sheet, lxw_row_t(row), height, nullptr) != LXW_NO_ERROR)
        return false;
    m_rowHeights.insert(row, height);
    return true;
}

double CWorkbookSheet::RowHeight(int row) const
{
    return m_rowHeights.value(row, CWorkbook::kDefaultRowHeight);
}

bool CWorkbookSheet::WriteString(int row, int column, const QString& text, int format)
{
    if (row < 0 || column < 0 || row >= MaxRows() || column >= MaxColumns())
        return false;
    const bool ok = worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column),
                                           CutToUtf8(text, kMaxCellText).constData(), formatOf(format))
        == LXW_NO_ERROR;
    m_book->m_failed |= !ok;
    return ok;
}

bool CWorkbookSheet::WriteNumber(int row, int column, double value, int format)
{
    if (row < 0 || column < 0 || row >= MaxRows() || column >= MaxColumns() || !std::isfinite(value))
        return false;
    const bool ok = worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), value, formatOf(format))
        == LXW_NO_ERROR;
    m_book->m_failed |= !ok;
    return ok;
}

bool CWorkbookSheet::WriteBlank(int row, int column, int format)
{
    if (row < 0 || column < 0 || row >= MaxRows() || column >= MaxColumns())
        return false;
    return worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(column), formatOf(format)) == LXW_NO_ERROR;
}

bool CWorkbookSheet::InsertPicture(int row, int column, const QByteArray& picture, double scale)
{
    if (row < 0 || column < 0 || row >= MaxRows() || column >= MaxColumns() || picture.isEmpty())
        return false;
    m_book->m_pictures.append(picture);
    const QByteArray& kept = m_book->m_pictures.last();
    lxw_image_options options = {};
    options.x_scale = scale;
    options.y_scale = scale;
    return worksheet_insert_image_buffer_opt(m_sheet, lxw_row_t(row), lxw_col_t(column),
                                             reinterpret_cast<const unsigned char*>(kept.constData()),
                                             size_t(kept.size()), &options)
        == LXW_NO_ERROR;
}

// ---------------------------------------------------------------- reading

namespace {

bool Fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

/// One part of a zip archive; false when it is missing, damaged or too large.
bool ReadZipPart(unzFile zip, const char* name, QByteArray& bytes)
{
    bytes.clear();
    if (unzLocateFile(zip, name, 1) != UNZ_OK)
        return false;
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || info.uncompressed_size > kMaxPartBytes || unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    bytes.reserve(qsizetype(info.uncompressed_size));
    char chunk[65536];
    int read = 0;
    while ((read = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0) {
        // The stored size may lie; what is inflated counts.
        if (quint64(bytes.size()) + quint64(read) > kMaxPartBytes) {
            read = -1;
            break;
        }
        bytes.append(chunk, read);
    }
    const bool complete = unzCloseCurrentFile(zip) == UNZ_OK && read == 0;
    return complete;
}

QStringView LocalName(QStringView tag)
{
    const qsizetype colon = tag.indexOf(QLatin1Char(':'));
    return colon < 0 ? tag : tag.mid(colon + 1);
}

/// Calls visit() with the cursor on each child element of the current one.
template <typename Visit>
void ForEachChild(CXmlDoc& doc, Visit visit)
{
    if (!doc.EnterElement())
        return;
    while (doc.FindElement())
        visit();
    doc.LeaveElement();
}

/// The concatenated text of every "t" element below the current one (rich
/// text runs split a string into several).
QString CollectText(CXmlDoc& doc)
{
    QString text;
    ForEachChild(doc, [&] {
        const QStringView name = LocalName(doc.GetTagName(doc.CurrentPosition()));
        if (name == u"t")
            text += doc.GetElementData();
        else if (name == u"r")
            text += CollectText(doc);
    });
    return text;
}

/// Undoes the _xHHHH_ escapes that workbooks use for control characters.
QString UnescapeOoxml(const QString& text)
{
    if (!text.contains(QStringLiteral("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && text.at(i + 6) == u'_') {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out.append(QChar(code));
                i += 6;
                continue;
            }
        }
        out.append(text.at(i));
    }
    return out;
}

bool ParseXml(const QByteArray& bytes, CXmlDoc& doc)
{
    QString text = QString::fromUtf8(bytes);
    // The declaration is no element; the reader wants the root first.
    if (text.startsWith(QStringLiteral("<?xml"))) {
        const qsizetype end = text.indexOf(QStringLiteral("?>"));
        if (end > 0)
            text.remove(0, end + 2);
    }
    return doc.SetDoc(text.trimmed());
}

/// "BC12" -> row 11, column 54; false for a malformed reference.
bool CellPosition(QStringView reference, int& row, int& column)
{
    qint64 c = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        c = c * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
        if (c > kMaxReadColumns)
            return false;
    }
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1 || r > kMaxReadRows)
        return false;
    row = r - 1;
    column = int(c - 1);
    return true;
}

bool IsDateFormatCode(const QString& code)
{
    // Quoted literals and colours say nothing about the kind of value.
    QString plain;
    bool quoted = false;
    bool bracket = false;
    for (const QChar ch : code) {
        if (ch == u'"')
            quoted = !quoted;
        else if (ch == u'[')
            bracket = true;
        else if (ch == u']')
            bracket = false;
        else if (!quoted && !bracket)
            plain.append(ch.toLower());
    }
    return plain.contains(u'd') || plain.contains(u'y') || (plain.contains(u'm') && !plain.contains(u'0'))
        || plain.contains(u'h');
}

/// The styles whose number format shows a date, by style index.
QList<bool> ReadDateStyles(const QByteArray& bytes)
{
    QList<bool> dates;
    CXmlDoc doc;
    if (bytes.isEmpty() || !ParseXml(bytes, doc) || !doc.FindElement())
        return dates;
    QHash<int, bool> custom;
    ForEachChild(doc, [&] {
        const QStringView name = LocalName(doc.GetTagName(doc.CurrentPosition()));
        if (name == u"numFmts") {
            ForEachChild(doc, [&] {
                custom.insert(doc.GetElementAttribute(u"numFmtId").toInt(),
                              IsDateFormatCode(doc.GetElementAttribute(u"formatCode")));
            });
        } else if (name == u"cellXfs") {
            ForEachChild(doc, [&] {
                const int id = doc.GetElementAttribute(u"numFmtId").toInt();
                // 14 to 22 and 45 to 47 are the built-in dates and times.
                dates.append((id >= 14 && id <= 22) || (id >= 45 && id <= 47) || custom.value(id, false));
            });
        }
    });
    return dates;
}

QString NumberText(double value)
{
    return QString::number(value, 'g', 15);
}

bool ReadXlsx(const QString& path, int sheetIndex, WorkbookSheetContent& sheet, QString* error)
{
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip)
        return Fail(error, QStringLiteral("the workbook is no readable zip archive"));
    struct Closer {
        unzFile zip;
        ~Closer() { unzClose(zip); }
    } closer{zip};

    QByteArray bytes;
    CXmlDoc book;
    if (!ReadZipPart(zip, "xl/workbook.xml", bytes) || !ParseXml(bytes, book) || !book.FindElement())
        return Fail(error, QStringLiteral("the workbook has no readable list of sheets"));
    QStringList sheetIds;
    QStringList sheetNames;
    ForEachChild(book, [&] {
        if (LocalName(book.GetTagName(book.CurrentPosition())) != u"sheets")
            return;
        ForEachChild(book, [&] {
            sheetNames.append(book.GetElementAttribute(u"name"));
            sheetIds.append(book.GetElementAttribute(u"r:id"));
        });
    });
    if (sheetIndex < 0 || sheetIndex >= sheetIds.size())
        return Fail(error, QStringLiteral("the workbook has no sheet %1").arg(sheetIndex + 1));
    sheet.name = sheetNames.at(sheetIndex);

    QString target = QStringLiteral("worksheets/sheet%1.xml").arg(sheetIndex + 1);
    CXmlDoc relations;
    if (ReadZipPart(zip, "xl/_rels/workbook.xml.rels", bytes) && ParseXml(bytes, relations) && relations.FindElement()) {
        ForEachChild(relations, [&] {
            if (relations.GetElementAttribute(u"Id") == sheetIds.at(sheetIndex))
                target = relations.GetElementAttribute(u"Target");
        });
    }
    if (target.startsWith(QLatin1Char('/')))
        target.remove(0, 1);
    else
        target.prepend(QStringLiteral("xl/"));
    if (target.contains(QStringLiteral("..")))
        return Fail(error, QStringLiteral("the workbook names its sheet outside the archive"));

    QStringList shared;
    if (ReadZipPart(zip, "xl/sharedStrings.xml", bytes)) {
        CXmlDoc strings;
        if (!ParseXml(bytes, strings) || !strings.FindElement())
            return Fail(error, QStringLiteral("the workbook's shared texts are damaged"));
        ForEachChild(strings, [&] { shared.append(UnescapeOoxml(CollectText(strings))); });
    }
    QByteArray styles;
    ReadZipPart(zip, "xl/styles.xml", styles);
    const QList<bool> dateStyles = ReadDateStyles(styles);

    CXmlDoc data;
    if (!ReadZipPart(zip, target.toUtf8().constData(), bytes) || !ParseXml(bytes, data) || !data.FindElement())
        return Fail(error, QStringLiteral("the sheet %1 is missing or damaged").arg(sheet.name));
    bool damaged = false;
    ForEachChild(data, [&] {
        if (LocalName(data.GetTagName(data.CurrentPosition())) != u"sheetData")
            return;
        ForEachChild(data, [&] {   // rows
            ForEachChild(data, [&] {   // cells
                if (LocalName(data.GetTagName(data.CurrentPosition())) != u"c")
                    return;
                int row = 0;
                int column = 0;
                if (!CellPosition(data.GetElementAttribute(u"r"), row, column)) {
                    damaged = true;
                    return;
                }
                const QString type = data.GetElementAttribute(u"t");
                const int style = data.GetElementAttribute(u"s").toInt();
                QString value;
                bool hasValue = false;
                ForEachChild(data, [&] {
                    const QStringView name = LocalName(data.GetTagName(data.CurrentPosition()));
                    if (name == u"v") {
                        value = data.GetElementData();
                        hasValue = true;
                    } else if (name == u"is") {
                        value = UnescapeOoxml(CollectText(data));
                        hasValue = true;
                    }
                });
                if (!hasValue)
                    return;
                WorkbookCell cell;
                if (type == u"s") {
                    bool ok = false;
                    const int index = value.toInt(&ok);
                    if (!ok || index < 0 || index >= shared.size()) {
                        damaged = true;
                        return;
                    }
                    cell.kind = WorkbookCell::Text;
                    cell.text = shared.at(index);
                } else if (type == u"inlineStr" || type == u"str") {
                    cell.kind = WorkbookCell::Text;
                    cell.text = UnescapeOoxml(value);
                } else if (type == u"b") {
                    cell.kind = WorkbookCell::Boolean;
                    cell.number = value.trimmed() == u"1" ? 1 : 0;
                    cell.text = NumberText(cell.number);
                } else if (type == u"e") {
                    cell.kind = WorkbookCell::Text;
                    cell.text = value;
                } else {
                    bool ok = false;
                    cell.number = value.toDouble(&ok);
                    if (!ok) {
                        damaged = true;
                        return;
                    }
                    cell.kind = style >= 0 && style < dateStyles.size() && dateStyles.at(style) ? WorkbookCell::Date
                                                                                                 : WorkbookCell::Number;
                    cell.text = NumberText(cell.number);
                }
                sheet.cells.insert({row, column}, cell);
                sheet.rows = std::max(sheet.rows, row + 1);
                sheet.columns = std::max(sheet.columns, column + 1);
            });
        });
    });
    if (damaged)
        return Fail(error, QStringLiteral("the sheet %1 holds damaged cells").arg(sheet.name));
    return true;
}

double OleDaysOfText(const char* text, int type)
{
    const QString value = QString::fromUtf8(text);
    QDate date;
    QTime time(0, 0);
    if (type == FREEXL_CELL_TIME) {
        time = QTime::fromString(value, QStringLiteral("HH:mm:ss"));
        date = kOleDayZero;
    } else if (type == FREEXL_CELL_DATE) {
        date = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
    } else {
        const QDateTime both = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        date = both.date();
        time = both.time();
    }
    if (!date.isValid() || !time.isValid())
        return 0;
    return double(kOleDayZero.daysTo(date)) + time.msecsSinceStartOfDay() / 86400000.0;
}

bool ReadXls(const QString& path, int sheetIndex, WorkbookSheetContent& sheet, QString* error)
{
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        return Fail(error, QStringLiteral("the workbook could not be read"));
    }
    struct Closer {
        const void* handle;
        ~Closer() { freexl_close(handle); }
    } closer{handle};
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || sheetIndex < 0
        || unsigned(sheetIndex) >= count || freexl_select_active_worksheet(handle, unsigned(sheetIndex)) != FREEXL_OK)
        return Fail(error, QStringLiteral("the workbook has no sheet %1").arg(sheetIndex + 1));
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, unsigned(sheetIndex), &name) == FREEXL_OK && name)
        sheet.name = QString::fromUtf8(name);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        return Fail(error, QStringLiteral("the sheet %1 is damaged").arg(sheet.name));
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                return Fail(error, QStringLiteral("the sheet %1 holds damaged cells").arg(sheet.name));
            WorkbookCell cell;
            switch (value.type) {
            case FREEXL_CELL_INT:
                cell.kind = WorkbookCell::Number;
                cell.number = value.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                cell.kind = WorkbookCell::Number;
                cell.number = value.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                cell.kind = WorkbookCell::Text;
                cell.text = QString::fromUtf8(value.value.text_value);
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                cell.kind = WorkbookCell::Date;
                cell.number = OleDaysOfText(value.value.text_value, value.type);
                break;
            default:
                continue;
            }
            if (cell.kind != WorkbookCell::Text)
                cell.text = NumberText(cell.number);
            sheet.cells.insert({int(r), int(c)}, cell);
            sheet.rows = std::max(sheet.rows, int(r) + 1);
            sheet.columns = std::max(sheet.columns, int(c) + 1);
        }
    }
    return true;
}

}  // namespace

bool ReadWorkbookSheet(const QString& path, int sheetIndex, WorkbookSheetContent& sheet, QString* error)
{
    sheet = WorkbookSheetContent();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("the file cannot be opened: %1").arg(file.errorString()));
    const QByteArray head = file.read(8);
    file.close();
    bool read = false;
    if (head.startsWith("PK\x03\x04"))
        read = ReadXlsx(path, sheetIndex, sheet, error);
    else if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        read = ReadXls(path, sheetIndex, sheet, error);
    else
        return Fail(error, QStringLiteral("the file is no Excel workbook"));
    if (!read)
        sheet = WorkbookSheetContent();
    return read;
}
