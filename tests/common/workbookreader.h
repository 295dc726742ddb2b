#pragma once

// Reads back what a test wrote as a workbook: the first sheet's texts,
// column widths and row heights of an .xlsx (minizip and the sheet XML), or
// the texts of an .xls (freexl).

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <freexl.h>
#include <unzip.h>

namespace testutil {

struct SheetContent {
    QString name;                          // the first sheet's name (.xlsx only)
    QMap<QPair<int, int>, QString> cells;  // (row, column) from 0 -> text
    QHash<int, double> columnWidths;       // column from 0 -> width in characters
    QHash<int, double> rowHeights;         // row from 0 -> height in points
    QString Cell(int row, int column) const { return cells.value({row, column}); }
};

/// The bytes of one entry of a zip archive; empty when it is missing.
inline QByteArray ReadZipEntry(const QString& archive, const char* entry)
{
    QByteArray bytes;
    unzFile zip = unzOpen64(archive.toUtf8().constData());
    if (!zip)
        return bytes;
    if (unzLocateFile(zip, entry, 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char chunk[65536];
        int read = 0;
        while ((read = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, read);
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return bytes;
}

/// "BC12" -> row 11, column 54.
inline QPair<int, int> CellPosition(QStringView reference)
{
    int column = 0, i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i)
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
    return {reference.mid(i).toInt() - 1, column - 1};
}

/// Undoes the _xHHHH_ escapes that workbooks use for control characters.
inline QString UnescapeOoxml(QString text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = escape.match(text, from)).hasMatch()) {
        const QChar ch(char16_t(match.captured(1).toUShort(nullptr, 16)));
        text.replace(match.capturedStart(), match.capturedLength(), ch);
        from = match.capturedStart() + 1;
    }
    return text;
}

inline SheetContent ReadXlsxSheet(const QString& path)
{
    SheetContent sheet;
    QStringList shared;
    QXmlStreamReader strings(ReadZipEntry(path, "xl/sharedStrings.xml"));
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == u"si")
            shared.append(QString());
        else if (strings.isStartElement() && strings.name() == u"t" && !shared.isEmpty())
            shared.last() += UnescapeOoxml(strings.readElementText());
    }
    QXmlStreamReader book(ReadZipEntry(path, "xl/workbook.xml"));
    while (!book.atEnd() && sheet.name.isEmpty()) {
        if (book.readNext() == QXmlStreamReader::StartElement && book.name() == u"sheet")
            sheet.name = book.attributes().value(QLatin1StringView("name")).toString();
    }
    QXmlStreamReader xml(ReadZipEntry(path, "xl/worksheets/sheet1.xml"));
    QPair<int, int> position;
    QString type;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"col") {
            for (int c = attributes.value(QLatin1StringView("min")).toInt(); c <= attributes.value(QLatin1StringView("max")).toInt(); ++c)
                sheet.columnWidths[c - 1] = attributes.value(QLatin1StringView("width")).toDouble();
        } else if (xml.name() == u"row" && attributes.hasAttribute(QLatin1StringView("ht"))) {
            sheet.rowHeights[attributes.value(QLatin1StringView("r")).toInt() - 1] = attributes.value(QLatin1StringView("ht")).toDouble();
        } else if (xml.name() == u"c") {
            position = CellPosition(attributes.value(QLatin1StringView("r")));
            type = attributes.value(QLatin1StringView("t")).toString();
        } else if (xml.name() == u"v") {
            const QString value = xml.readElementText();
            sheet.cells[position] = type == u"s" ? shared.value(value.toInt()) : value;
        } else if (xml.name() == u"t" && type == u"inlineStr") {
            sheet.cells[position] = UnescapeOoxml(xml.readElementText());
        }
    }
    return sheet;
}

inline SheetContent ReadXlsSheet(const QString& path)
{
    SheetContent sheet;
    const void* handle = nullptr;
    if (freexl_open(path.toUtf8().constData(), &handle) != FREEXL_OK)
        return sheet;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) == FREEXL_OK
        && freexl_worksheet_dimensions(handle, &rows, &columns) == FREEXL_OK) {
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) == FREEXL_OK
                    && (value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT))
                    sheet.cells[{int(r), int(c)}] = QString::fromUtf8(value.value.text_value);
            }
        }
    }
    freexl_close(handle);
    return sheet;
}

}  // namespace testutil
