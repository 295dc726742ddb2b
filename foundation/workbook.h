#pragma once

// Spreadsheet workbooks: written through libxlsxwriter as ".xlsx" (an ".xls"
// is converted from it by LibreOffice), read from ".xlsx" with minizip and
// CXmlDoc and from ".xls" with freexl.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

/// Horizontal and vertical alignment of a cell format.
enum class CellAlignH { General, Left, Centre, Right, Justify };
enum class CellAlignV { Top, Centre };

/// @short Everything a cell format of a workbook can say. Colours are
/// 0xRRGGBB (PackWorkbookColour); a font name left empty takes the book's
/// default font.
struct WorkbookCellFormat {
    QString fontName;
    double fontSize = 0;              ///< points; 0 takes the book's default
    bool bold = false;
    CellAlignH alignH = CellAlignH::General;
    CellAlignV alignV = CellAlignV::Top;
    bool thinBorder = false;
    quint32 borderColour = 0;
    bool solidFill = false;
    quint32 fillColour = 0;
    int builtInNumberFormat = 0;      ///< 2: "0.00"; 0: general
    QString numberFormat;             ///< a custom pattern; wins over the built-in one
    bool wrap = false;
};

/// 0xRRGGBB from 0-255 channels.
constexpr quint32 PackWorkbookColour(int red, int green, int blue)
{
    return (quint32(red & 0xFF) << 16) | (quint32(green & 0xFF) << 8) | quint32(blue & 0xFF);
}

/// True when the path asks for an XML workbook: its last five characters
/// are ".xlsx", whatever their case.
bool IsXmlWorkbookPath(const QString& path);

/// Decides the file a workbook for `path` becomes. An ".xls" needs
/// LibreOffice; without it the user is asked (through the message service)
/// whether to write ".xlsx" beside it instead: yes changes `path`, no
/// refuses (false, with the reason in `error`).
bool ResolveWorkbookTarget(QString& path, QString* error = nullptr);

class CWorkbook;

/// @short One sheet of a CWorkbook; it belongs to the book. Rows and columns
/// count from 0. Every call answers false once the sheet's limits are
/// passed or the library refused; texts longer than a cell holds are cut.
class CWorkbookSheet {
public:
    void HideGridlines();
    /// Width in characters of the columns first to last.
    bool SetColumnWidth(int first, int last, double width);
    /// Height in points of one row.
    bool SetRowHeight(int row, double height);
    /// The height a row has until it is set, in points.
    double RowHeight(int row) const;
    bool WriteString(int row, int column, const QString& text, int format = -1);
    bool WriteNumber(int row, int column, double value, int format = -1);
    bool WriteBlank(int row, int column, int format);
    /// Places a picture (PNG or JPEG bytes) with its top-left corner in the
    /// cell, scaled alike in both directions.
    bool InsertPicture(int row, int column, const QByteArray& picture, double scale = 1.0);

    int MaxRows() const;
    int MaxColumns() const;

private:
    friend class CWorkbook;
    CWorkbookSheet(CWorkbook* book, lxw_worksheet* sheet) : m_book(book), m_sheet(sheet) {}
    lxw_format* formatOf(int format) const;

    CWorkbook* m_book;
    lxw_worksheet* m_sheet;
    QHash<int, double> m_rowHeights;
};

/// @short A workbook being written. Nothing reaches the target until Save,
/// which writes the whole book to a temporary folder and then puts it in
/// place, so a failed save leaves no half file. UI thread or one worker;
/// not shared between threads.
class CWorkbook {
public:
    static constexpr double kDefaultRowHeight = 15.0;   ///< points
    static constexpr int kMaxNumberedNames = 99;

    CWorkbook();
    ~CWorkbook();
    CWorkbook(const CWorkbook&) = delete;
    CWorkbook& operator=(const CWorkbook&) = delete;

    /// Starts a book whose format follows the target path's extension
    /// (IsXmlWorkbookPath; anything else is written as ".xls"). False when
    /// no temporary folder or book could be made.
    bool Create(const QString& targetPath);
    /// ResolveWorkbookTarget, then Create: `path` may become ".xlsx"; false
    /// with the reason in `error`.
    bool CreateFor(QString& path, QString* error);
    bool IsCreated() const { return m_book != nullptr; }
    /// Set before Create: rows go to disk as they are finished, so memory
    /// stays bounded however large the sheet, but every sheet must then be
    /// written row by row in order (a row's cells and height before any
    /// later row's).
    void SetConstantMemory(bool on) { m_constantMemory = on; }
    bool IsXml() const { return m_xml; }

    /// The font every format made afterwards takes when it names none.
    void SetDefaultFont(const QString& name, double size);
    /// A format id for cells; -1 when the book is not created.
    int AddFormat(const WorkbookCellFormat& format);
    /// A new sheet, owned by the book; null when the book is not created or
    /// the library refused. The name is made acceptable (31 characters, no
    /// []:*?/\, no apostrophe at either end).
    CWorkbookSheet* AddSheet(const QString& name);

    /// Writes the book to `targetPath`; when that cannot be written it is
    /// tried under numbered names beside it ("name(01).ext", up to
    /// kMaxNumberedNames). The name written is in `savedPath`. False with
    /// the reason in `error` when no name could be written. The book is
    /// finished afterwards, whether or not the save succeeded.
    bool Save(const QString& targetPath, QString* savedPath = nullptr, QString* error = nullptr);

private:
    friend class CWorkbookSheet;
    void release();

    struct Scratch;
    std::unique_ptr<Scratch> m_scratch;
    lxw_workbook* m_book = nullptr;
    bool m_xml = true;
    QString m_defaultFont = QStringLiteral("Calibri");
    double m_defaultSize = 11.0;
    QList<lxw_format*> m_formats;
    QList<CWorkbookSheet*> m_sheets;
    QList<QByteArray> m_pictures;   // the library reads them only when the book is written
    bool m_failed = false;
    bool m_constantMemory = false;
};

// ---- reading ----

/// One cell read back from a workbook.
struct WorkbookCell {
    enum Kind { Empty, Text, Number, Date, Boolean };
    Kind kind = Empty;
    QString text;        ///< the text; for numbers the shortest exact form
    double number = 0;   ///< numbers, booleans (0/1) and dates (OLE days)
};

/// The cells of one sheet, by (row, column) from 0.
struct WorkbookSheetContent {
    QString name;
    int rows = 0;        ///< one past the last used row
    int columns = 0;     ///< one past the last used column
    QHash<QPair<int, int>, WorkbookCell> cells;

    WorkbookCell Cell(int row, int column) const { return cells.value({row, column}); }
    QString Text(int row, int column) const { return cells.value({row, column}).text; }
};

/// Reads one sheet (0: the first) of an ".xlsx" or ".xls" file, recognised
/// by its first bytes, not its name. False with a reason for a file that is
/// neither, is damaged, lacks the sheet, or is larger than a reader takes.
bool ReadWorkbookSheet(const QString& path, int sheetIndex, WorkbookSheetContent& sheet, QString* error = nullptr);
