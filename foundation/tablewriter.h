#pragma once

// Headless writers of the tables the exports share: the HTML page of one
// table (title row, header row, data rows), the formats and typed cells of
// an object sheet in a workbook, and tab text in UTF-16 or 8-bit.

#include "foundation/workbook.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class CXmlDoc;

/// The width shares of an HTML table's columns, in percent, from the
/// length each column measured. Each non-negative length becomes
/// length × room / S (S the sum of the non-negative lengths); the first
/// negative one (a column with nothing to measure) gets 100 − room, any
/// later negative one 0. When S is 0 the non-negative columns share the
/// room equally.
QList<int> HtmlColumnShares(const QList<int>& lengths, int room);

/// @short An HTML page holding one table, written row by row to a file of
/// its own that replaces the target only once it is whole: a page that
/// fails half-way leaves an existing target unchanged. Cell texts are
/// plain text; "\n" in them becomes a line break after the text is
/// escaped.
class HtmlTablePage {
public:
    HtmlTablePage();
    ~HtmlTablePage();
    HtmlTablePage(const HtmlTablePage&) = delete;
    HtmlTablePage& operator=(const HtmlTablePage&) = delete;

    /// Starts the page: head, table, the title row (fill colour 0xRRGGBB,
    /// spanning every column) and the header row with the shares.
    bool Begin(const QString& path, const QString& title, quint32 titleColour, const QStringList& captions,
               const QList<int>& shares);
    bool AddRow(const QStringList& cells);
    /// Closes the page and puts it in place; false with the reason in
    /// Error(), the target then as it was.
    bool Finish();
    /// Drops a page begun but not finished.
    void Abandon();
    QString Error() const { return m_error; }

private:
    std::unique_ptr<CXmlDoc> m_page;
    QString m_path;
    QString m_partial;
    QString m_error;
    int m_columns = 0;
    bool m_ok = false;
};

/// @short The cell formats of a sheet of objects: bold headers filled in
/// the topic's colour, values at the top, real numbers with two decimals, a
/// justified wrapping text column, dates in the locale's short date and
/// date-and-time patterns; every one with a thin grey border.
struct ObjectSheetFormats {
    int headerLeft = -1;
    int headerRight = -1;
    int headerCentre = -1;
    int value = -1;
    int real = -1;
    int longText = -1;
    int date = -1;
    int dateTime = -1;

    /// Adds the formats to the book with the given header fill (0xRRGGBB).
    static ObjectSheetFormats Add(CWorkbook& book, quint32 headerFill);
};

/// What a cell of an object sheet holds, by the field's type.
enum class ObjectCellKind { Text, Integer, Real, Boolean, Date };

/// Writes one value of an object sheet by its kind: integers and booleans
/// as numbers, reals in the real format (a text that is no number stays
/// text), dates by `parseDate` in the date or date-and-time format (an
/// empty date a blank date cell, a text that is no date stays text), the
/// rest as text.
bool WriteObjectCell(CWorkbookSheet& sheet, int row, int column, ObjectCellKind kind, const QString& text,
                     const ObjectSheetFormats& formats, bool (*parseDate)(const QString&, double&));

/// The width of an object-sheet column from its header of n characters.
inline int ObjectHeaderWidth(int n)
{
    return n + n / 8 + 1;
}

/// @short The wait text of an export: a template of the done and total
/// counts ("%1", "%2"), shown a few times a second at most.
class ExportProgress {
public:
    ExportProgress(int textId, int total);
    void Step(int done);

private:
    int m_textId;
    int m_total;
    QElapsedTimer m_clock;
};

/// An Excel number format from a Qt date or time pattern.
QString ExcelDatePattern(const QString& qtPattern);

/// Tab text in the encoding an export asks for: UTF-16 little-endian after
/// FF FE, or 8-bit Windows-1252 where a character the code page lacks
/// becomes "?" (counted in `replaced`), so no line is ever dropped.
QByteArray EncodeTabText(const QString& text, bool unicode, int* replaced = nullptr);
