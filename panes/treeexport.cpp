// Writing a tree to a workbook or to rich text.

#include "panes/treepanebase.h"

#include "document/listnotifyinfo.h"
#include "foundation/workbook.h"
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "ui/printengine.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace {

constexpr double kCountWidth = 6;
constexpr double kMemoWidth = 50;
const QString kWorkbookFont = QStringLiteral("Verdana");
constexpr double kWorkbookFontSize = 8;

/// The rows as one sheet of a book; false when a cell could not be written.
bool WriteSheet(const QList<CTreePaneBase::ExportRow>& rows, const CTreePaneBase::ExportStyle& style,
                bool withMemos, CWorkbook& book, const QString& sheetName, QString* error)
{
    const int normal = book.AddFormat({});
    WorkbookCellFormat headingFormat;
    headingFormat.bold = style.boldHeadings;
    headingFormat.solidFill = style.greyHeadings;
    headingFormat.fillColour = PackWorkbookColour(192, 192, 192);
    const int heading = book.AddFormat(headingFormat);
    CWorkbookSheet* sheet = book.AddSheet(sheetName);
    if (!sheet) {
        if (error)
            *error = QStringLiteral("no sheet could be made");
        return false;
    }
    int textColumns = 1;
    for (const auto& row : rows)
        textColumns = std::max(textColumns, row.column + 1);
    const bool counts = std::any_of(rows.cbegin(), rows.cend(), [](const auto& row) { return row.hasCount; });
    const int countColumn = textColumns;
    const int memoColumn = countColumn + (counts ? 1 : 0);
    QList<int> widths(textColumns, 0);
    bool ok = true;
    for (int r = 0; r < rows.size() && ok; ++r) {
        const auto& row = rows[r];
        for (int column = 0; column < textColumns && ok; ++column) {
            if (column == row.column)
                ok = sheet->WriteString(r, column, row.text, row.heading ? heading : normal);
            else
                ok = sheet->WriteBlank(r, column, normal);
        }
        widths[row.column] = std::max(widths[row.column], int(row.text.size()));
        if (ok && row.hasCount)
            ok = sheet->WriteNumber(r, countColumn, row.count, normal);
        if (ok && withMemos && !row.memo.isEmpty())
            ok = sheet->WriteString(r, memoColumn, row.memo, normal);
    }
    for (int column = 0; column < textColumns; ++column)
        sheet->SetColumnWidth(column, column, std::max(widths[column], 1));
    if (counts)
        sheet->SetColumnWidth(countColumn, countColumn, kCountWidth);
    if (withMemos)
        sheet->SetColumnWidth(memoColumn, memoColumn, kMemoWidth);
    if (!ok && error)
        *error = QStringLiteral("the sheet %1 could not be written").arg(sheetName);
    return ok;
}

bool WriteWorkbook(const QList<CTreePaneBase::ExportRow>& rows, const CTreePaneBase::ExportStyle& style,
                   bool withMemos, QString path, QString* savedPath, QString* error)
{
    if (!ResolveWorkbookTarget(path, error))
        return false;
    CWorkbook book;
    if (!book.Create(path)) {
        if (error)
            *error = QStringLiteral("no workbook could be made");
        return false;
    }
    book.SetDefaultFont(kWorkbookFont, kWorkbookFontSize);
    if (!WriteSheet(rows, style, withMemos, book, QFileInfo(path).completeBaseName(), error))
        return false;
    return book.Save(path, savedPath, error);
}

/// The rows as rich text, one paragraph each, in place of the document's text.
void BuildRichText(const QList<CTreePaneBase::ExportRow>& rows, const CTreePaneBase::ExportStyle& style,
                   QTextDocument& document)
{
    document.clear();
    QFont font(style.richTextFont);
    font.setPointSize(10);
    document.setDefaultFont(font);
    QTextCursor cursor(&document);
    bool first = true;
    const auto paragraph = [&](const QString& text, int indent, bool bold) {
        QTextBlockFormat block;
        block.setIndent(indent);
        QTextCharFormat chars;
        chars.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        cursor.insertText(text, chars);
    };
    for (const auto& row : rows) {
        QString text = row.heading ? row.text : style.prefix + row.text;
        if (row.hasCount)
            text = QStringLiteral("%1 [%2]").arg(text).arg(row.count);
        paragraph(text, row.indent, row.heading && style.boldHeadings);
        if (!row.memo.isEmpty())
            paragraph(row.memo, row.indent, false);
    }
}

bool WriteRichText(const QList<CTreePaneBase::ExportRow>& rows, const CTreePaneBase::ExportStyle& style,
                   const QString& path, QString* savedPath, QString* error)
{
    QTextDocument document;
    BuildRichText(rows, style, document);
    // Written to a temporary file and renamed into place: a failed write
    // leaves any earlier file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf::WriteRtf(document)) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (savedPath)
        *savedPath = path;
    return true;
}

}  // namespace

QString CTreePaneBase::MemoPlainText(qint32 memoId)
{
    RecordNotifyInfo memo;
    memo.key = memoId;
    memo.topic = TopicId::Memos;
    memo.readBlobs = true;
    FieldValue value;
    if (!SendToOwner(memo) || !memo.found || !memo.row.GetFieldValue(MemoField::Text, value) || !value.GetBlob())
        return {};
    QTextDocument document;
    if (!rtf::ReadRtf(*value.GetBlob(), document).ok)
        return {};
    return document.toPlainText().trimmed();
}

bool CTreePaneBase::ExportToExcel(const QString& path, bool withMemos, bool excel, bool openAfter, QString* savedPath,
                                  QString* error)
{
    const QList<ExportRow> rows = ExportRows(withMemos);
    QString saved;
    const bool written = excel ? WriteWorkbook(rows, GetExportStyle(), withMemos, path, &saved, error)
                               : WriteRichText(rows, GetExportStyle(), path, &saved, error);
    if (!written)
        return false;
    if (savedPath)
        *savedPath = saved;
    if (openAfter)
        QDesktopServices::openUrl(QUrl::fromLocalFile(saved));
    return true;
}

bool CTreePaneBase::ExportToExcel(CWorkbook& book, const QString& sheetName, bool withMemos, QString* error)
{
    return WriteSheet(ExportRows(withMemos), GetExportStyle(), withMemos, book, sheetName, error);
}

bool CTreePaneBase::Print(const QString& projectPath, bool withMemos)
{
    CPrintEngine engine(PrintTitle(projectPath), PrintDateText(), this);
    BuildRichText(ExportRows(withMemos), GetExportStyle(), *engine.RichEdit().GetDocument());
    return engine.Print();
}
