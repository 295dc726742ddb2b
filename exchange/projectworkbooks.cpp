// The quote matrix and the document variables as workbooks.

#include "exchange/projectworkbooks.h"

#include "document/kordoc.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "exchange/tableexports.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/tablewriter.h"
#include "foundation/waitwindow.h"
#include "foundation/workbook.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <memory>

using namespace rowfields;

namespace {

constexpr int kQuoteMatrixTitle = 102232;
constexpr int kDocumentColumnWidth = 50;
constexpr double kHeaderRowFactor = 1.2;

bool Fail(const QString& path, const QString& reason)
{
    ShowMessage(LoadString(ExportText::NotWritten).arg(QFileInfo(path).fileName(), reason), MessageKind::Error);
    return false;
}

QString DefaultExtension()
{
    return g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1 ? QStringLiteral("xlsx") : QStringLiteral("xls");
}

/// The kind of a variables column: references and values kept from
/// frequency tables are texts.
ObjectCellKind KindOfField(const FieldDescriptor& field)
{
    if (field.ParentTopicID != 0)
        return ObjectCellKind::Text;
    switch (field.Type) {
    case FieldType::Integer: return ObjectCellKind::Integer;
    case FieldType::Real: return ObjectCellKind::Real;
    case FieldType::Boolean: return ObjectCellKind::Boolean;
    case FieldType::DateTime: return ObjectCellKind::Date;
    default: return ObjectCellKind::Text;
    }
}

/// A value as its cell holds it: a referenced row's display text, reals
/// with every digit (the cell's format shows two decimals).
QString CellText(const TopicDatabase& db, RowBuffer& row, const FieldDescriptor& field)
{
    if (field.HasState(FieldState::FromFrequencies))
        return {};
    FieldValue value;
    if (!row.GetFieldValue(field.ID, value))
        return {};
    if (field.ParentTopicID != 0) {
        QString display;
        if (value.GetInt())
            db.AppendRowDisplay(field.ParentTopicID, value.GetInt(), true, display);
        return display;
    }
    if (field.Type == FieldType::Real)
        return QString::number(value.GetReal(), 'g', 17);
    if (field.Type == FieldType::Boolean)
        return value.GetInt() ? QStringLiteral("1") : QString();
    return value.Format();
}

}  // namespace

namespace projectworkbooks {

bool ExportDocumentVariables(CKorDoc& doc, QString& path, const QString& sheetName, bool openAfter, CWorkbook* book)
{
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    QList<qint32> ids;
    db.GetFieldIds(TopicId::Documents, ids, false);
    QList<FieldDescriptor> fields;
    for (const qint32 id : std::as_const(ids)) {
        FieldDescriptor field;
        if (db.GetFieldDescriptor(TopicId::Documents, id, field))
            fields.append(field);
    }

    CWorkbook own;
    CWorkbook* target = book;
    QString file = path;
    if (!target) {
        own.SetConstantMemory(true);
        QString error;
        if (!own.CreateFor(file, &error))
            return error.isEmpty() ? false : Fail(file, error);
        target = &own;
        BeginWait();
        ShowWaitWindow();
    }
    const auto done = [&] {
        if (!book) {
            CloseWaitWindow();
            EndWait();
        }
    };
    target->SetDefaultFont(QStringLiteral("Verdana"), 8);
    const ObjectSheetFormats formats = ObjectSheetFormats::Add(*target, PackWorkbookColour(200, 225, 224));
    CWorkbookSheet* sheet = target->AddSheet(sheetName);
    if (!sheet || documents.size() + 1 > sheet->MaxRows() || fields.size() > sheet->MaxColumns()) {
        done();
        return book ? false : Fail(file, LoadString(sheet ? ExportText::TooLarge : ExportText::NoSheet));
    }
    const bool english = g_qdaOptions.GetBool(QdaOption::EnglishColumnNames);
    QList<int> widths;
    QList<ObjectCellKind> kinds;
    bool ok = true;
    for (int c = 0; c < fields.size() && ok; ++c) {
        const FieldDescriptor& field = fields.at(c);
        QString caption = field.Name;
        if (english && field.ID == DocumentField::GroupID)
            caption = QStringLiteral("Textgroup");
        else if (english && field.ID == DocumentField::Name)
            caption = QStringLiteral("Textname");
        widths.append(ObjectHeaderWidth(int(caption.size())));
        kinds.append(KindOfField(field));
        ok = sheet->WriteString(0, c, caption,
                                kinds.last() == ObjectCellKind::Text ? formats.headerLeft : formats.headerRight);
    }
    ok = ok && sheet->SetRowHeight(0, sheet->RowHeight(0) * kHeaderRowFactor);
    ExportProgress progress(ExportText::Progress, int(documents.size()));
    for (int r = 0; r < documents.size() && ok; ++r) {
        RowBuffer row;
        if (db.ReadRow(TopicId::Documents, documents.at(r), row, false)) {
            for (int c = 0; c < fields.size() && ok; ++c) {
                const QString text = CellText(db, row, fields.at(c));
                widths[c] = std::max(widths.at(c), int(text.size()) + 2);
                ok = WriteObjectCell(*sheet, r + 1, c, kinds.at(c), text, formats, &ParseDateText);
            }
        }
        if (!book)
            progress.Step(r + 1);
    }
    for (int c = 0; c < fields.size() && ok; ++c)
        ok = sheet->SetColumnWidth(c, c, widths.at(c));
    if (book) {
        return ok;
    }
    done();
    if (!ok)
        return Fail(file, LoadString(ExportText::CellNotWritten));
    QString saved;
    QString error;
    if (!own.Save(file, &saved, &error))
        return Fail(file, error);
    path = saved;
    if (openAfter)
        TableExports::OpenResult(saved);
    return true;
}

bool ExportCodingsExcel(CKorDoc& doc, const QList<qint32>& documents, const QList<qint32>& codes, QString* path)
{
    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    if (!edit)
        return false;
    const QString title = LoadString(kQuoteMatrixTitle);
    QString file = path && !path->isEmpty() ? *path : QString();
    if (file.isEmpty()) {
        QString name = title;
        SanitizeFileName(name, true);
        file = QDir(g_program.DocumentsFolder).filePath(name + u'.' + DefaultExtension());
    }
    CWorkbook book;
    QString error;
    if (!book.CreateFor(file, &error))
        return error.isEmpty() ? false : Fail(file, error);
    book.SetDefaultFont(QStringLiteral("Verdana"), 8);
    const ObjectSheetFormats formats = ObjectSheetFormats::Add(book, PackWorkbookColour(224, 224, 224));
    WorkbookCellFormat rowHeader;
    rowHeader.bold = true;
    rowHeader.alignH = CellAlignH::Left;
    rowHeader.alignV = CellAlignV::Top;
    rowHeader.thinBorder = true;
    rowHeader.borderColour = PackWorkbookColour(192, 192, 192);
    rowHeader.solidFill = true;
    rowHeader.fillColour = PackWorkbookColour(224, 224, 224);
    const int rowHeaderFormat = book.AddFormat(rowHeader);
    CWorkbookSheet* sheet = book.AddSheet(title);
    if (!sheet)
        return Fail(file, LoadString(ExportText::NoSheet));
    if (codes.size() + 1 > sheet->MaxRows() || documents.size() + 1 > sheet->MaxColumns())
        return Fail(file, LoadString(ExportText::TooLarge));

    BeginWait();
    // The codings of the listed documents, by (document, code), each list
    // in the document's order: one pass instead of one intersection a cell.
    QHash<QPair<qint32, qint32>, QList<qint32>> cells;
    for (const qint32 document : documents) {
        QList<qint32> codings;
        db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        for (const qint32 coding : std::as_const(codings))
            cells[{document, db.GetIntValue(TopicId::Codings, coding, CodingField::Code)}].append(coding);
    }
    bool ok = sheet->WriteString(0, 0, QString(), formats.headerLeft);
    for (int c = 0; c < documents.size() && ok; ++c) {
        ok = sheet->SetColumnWidth(c + 1, c + 1, kDocumentColumnWidth) &&
             sheet->WriteString(0, c + 1, db.FormatRowDisplay(TopicId::Documents, documents.at(c), false),
                                formats.headerLeft);
    }
    int longest = 0;
    for (int r = 0; r < codes.size() && ok; ++r) {
        const QString name = db.FormatRowDisplay(TopicId::Codes, codes.at(r), false);
        longest = std::max(longest, int(name.size()));
        ok = sheet->WriteString(r + 1, 0, name, rowHeaderFormat);
        for (int c = 0; c < documents.size() && ok; ++c) {
            QString text;
            for (const qint32 coding : cells.value({documents.at(c), codes.at(r)})) {
                QString plain;
                RowBuffer row;
                if (!db.ReadRow(TopicId::Codings, coding, row, false) ||
                    !doc.GetObjectPlainText(TopicId::Codings, coding, plain, false, nullptr, nullptr, nullptr,
                                            edit.get()))
                    continue;
                const qint32 first = IntOf(row, CodingField::StartPara);
                const qint32 last = IntOf(row, CodingField::FinishPara);
                text += plain + (first == last ? QStringLiteral("\n%1\n\n").arg(first)
                                               : QStringLiteral("\n%1-%2\n\n").arg(first).arg(last));
            }
            ok = sheet->WriteString(r + 1, c + 1, text, formats.longText);
        }
    }
    ok = ok && sheet->SetColumnWidth(0, 0, longest + 1) && sheet->SetRowHeight(0, sheet->RowHeight(0) * kHeaderRowFactor);
    EndWait();
    if (!ok)
        return Fail(file, LoadString(ExportText::CellNotWritten));
    QString saved;
    if (!book.Save(file, &saved, &error))
        return Fail(file, error);
    if (path)
        *path = saved;
    TableExports::OpenResult(saved);
    return true;
}

}  // namespace projectworkbooks
