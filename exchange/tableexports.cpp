// The table exports of the project document: object sheets, HTML tables,
// tab text, document folders, search hits, the link overview and the code
// matrix.

#include "exchange/tableexports.h"

#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/linktarget.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/orderedwork.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
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
#include "store/topictable.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <optional>

using namespace rowfields;

namespace {

constexpr double kPictureRowFactor = 0.766;   // points of row height per pixel of picture height
constexpr int kTextColumnMinWidth = 70;       // characters

/// One row's text on its way through ForEachPlainText.
struct PlainTextJob {
    qint32 id = 0;
    bool decoded = false;  ///< text holds the row's plain text; else the caller finds it
    QByteArray rtf;
    QString text;
};

/// Hands each row's plain text to apply, in order, on the calling thread.
/// The rows are read here; their stored rich texts are decoded on helper
/// threads, as the text search does, since decoding is most of a large
/// export's time. A coding of a picture or PDF area, when pictures are
/// wanted, and a row that cannot be read are left to the caller (decoded
/// false). Rows after stop() is true are neither read nor decoded.
void ForEachPlainText(TopicDatabase& db, qint32 topic, const QList<qint32>& ids, bool pictures,
                      const std::function<bool()>& stop,
                      const std::function<void(qsizetype, PlainTextJob&)>& apply)
{
    const bool textual = topic == TopicId::Codings || topic == TopicId::Memos;
    const qint32 field = topic == TopicId::Codings ? qint32(CodingField::Text) : qint32(MemoField::Text);
    RunOrderedWork<PlainTextJob, CRichEditCtrlEx>(
        ids.size(), textual ? OrderedWorkThreads(ids.size()) : 0, 64, [] { return CreateHiddenRichEdit(); },
        [&](qsizetype i, PlainTextJob& job) {
            if (stop())
                return false;
            job.id = ids.at(i);
            RowBuffer row;
            if (!textual || !db.ReadRow(topic, job.id, row, true))
                return true;
            if (pictures && topic == TopicId::Codings && !IntOf(row, CodingField::IsText))
                return true;
            FieldValue blob;
            if (row.GetFieldValue(field, blob) && blob.GetBlob())
                job.rtf = *blob.GetBlob();
            job.decoded = true;
            return true;
        },
        [](CRichEditCtrlEx& edit, PlainTextJob& job) {
            if (!job.decoded || job.rtf.isEmpty())
                return;
            RemoveRtfHyperlinkFields(job.rtf, false);
            job.text = RtfPlainText(edit, &job.rtf);
            job.rtf.clear();
        },
        apply);
}
constexpr int kTextShare = 55;                // percent of an HTML page for the text column
constexpr qsizetype kLinkTextUnits = 63;

TableExports::Opener& OpenerSlot()
{
    static TableExports::Opener opener = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return opener;
}

bool Fail(const QString& path, const QString& reason)
{
    ShowMessage(LoadString(ExportText::NotWritten).arg(QFileInfo(path).fileName(), reason), MessageKind::Error);
    return false;
}

/// Bytes written beside the target and renamed into place.
bool WriteWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

/// Tab text in its encoding; characters the 8-bit code page lacks are
/// written as "?" and the user is told once.
bool WriteTabText(const QString& path, const QString& text, bool unicode)
{
    int replaced = 0;
    QString error;
    if (!WriteWhole(path, EncodeTabText(text, unicode, &replaced), &error))
        return Fail(path, error);
    if (replaced > 0)
        ShowMessage(LoadString(ExportText::CharactersReplaced).arg(replaced).arg(QFileInfo(path).fileName()),
                    MessageKind::Warning);
    return true;
}

/// The wait cursor and window for as long as an export runs.
class Waiting {
public:
    Waiting() : m_shown((BeginWait(), ShowWaitWindow())) {}
    ~Waiting()
    {
        if (m_shown)
            CloseWaitWindow();
        EndWait();
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    bool m_shown;
};

/// The workbook extension the program writes by default.
QString DefaultWorkbookExtension()
{
    return g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1 ? QStringLiteral("xlsx") : QStringLiteral("xls");
}

QString InFolder(const QString& folder, QString title, const QString& extension)
{
    SanitizeFileName(title);
    return QDir(folder).filePath(title + u'.' + extension);
}

/// The text a cell shows for a field: a referenced row's display text, a
/// memo's source as its name, else the value's own text.
QString ValueText(const TopicDatabase& db, qint32 topic, RowBuffer& row, const FieldDescriptor& field)
{
    FieldValue value;
    if (!row.GetFieldValue(field.ID, value))
        return {};
    if (field.ParentTopicID != 0) {
        const qint32 key = value.GetInt();
        return key ? db.FormatRowDisplay(field.ParentTopicID, key, true) : QString();
    }
    if (topic == TopicId::Memos && field.ID == MemoField::Source) {
        const qint32 source = value.GetInt();
        if (source >= 0 && source <= 6)
            return LoadString(ExportText::MemoSourceFirst + source);
    }
    return value.Format();
}

ObjectCellKind CellKindOf(const FieldDescriptor& field, qint32 topic)
{
    if (field.Categorial || field.ParentTopicID != 0 || (topic == TopicId::Memos && field.ID == MemoField::Source))
        return ObjectCellKind::Text;
    switch (field.Type) {
    case FieldType::Integer: return ObjectCellKind::Integer;
    case FieldType::Real: return ObjectCellKind::Real;
    case FieldType::Boolean: return ObjectCellKind::Boolean;
    case FieldType::DateTime: return ObjectCellKind::Date;
    default: return ObjectCellKind::Text;
    }
}

/// The layout of one topic's object sheet.
struct TopicSheet {
    QString title;
    quint32 fill = PackWorkbookColour(255, 255, 255);
    QList<qint32> fields;
    qint32 textField = 0;   ///< the column of the full text; 0 for none
    int textCaption = 0;
};

TopicSheet SheetOf(const TopicDatabase& db, qint32 topic)
{
    TopicSheet sheet;
    const quint32 lilac = PackWorkbookColour(232, 232, 255);
    switch (topic) {
    case TopicId::Codings:
        sheet = {LoadString(ExportText::CodingsTitle), PackWorkbookColour(255, 224, 180),
                 {14, 3, 4, 7, 8, 9, 10, 12, 13, 15, 18}, CodingField::Preview, ExportText::CodedTextCaption};
        break;
    case TopicId::Memos:
        sheet = {LoadString(ExportText::MemosTitle), lilac, {8, 9, 10, 13, 15, 14, 3, 1, 2, 4, 5}, MemoField::Preview,
                 ExportText::MemoTextCaption};
        break;
    case TopicId::MapLinks:
        sheet = {LoadString(ExportText::LinksTitle), lilac, {3, 4, 5, 11, 12, 13}, 0, 0};
        break;
    case TopicId::DocumentVariables:
        sheet = {LoadString(ExportText::VariablesTitle), lilac, {2, 3, 5, 6, 7}, 0, 0};
        break;
    default:
        // Any other topic: the columns its lists show, in their order.
        sheet.title = QString::number(topic);
        db.GetFieldIds(topic, sheet.fields, true);
        if (topic == TopicId::SearchHits) {
            sheet.textField = 3;
            sheet.textCaption = ExportText::HitCaption;
        }
        break;
    }
    return sheet;
}

}  // namespace

void TableExports::SetOpener(Opener opener)
{
    OpenerSlot() = std::move(opener);
}

void TableExports::OpenResult(const QString& path)
{
    if (OpenerSlot())
        OpenerSlot()(path);
}

// ---------------------------------------------------------------- object sheets

bool TableExports::ExportRetrievedSegments(CKorDoc& doc, qint32 topic, const QList<qint32>& ids, QString& path,
                                           bool openAfter, CWorkbook* book)
{
    TopicDatabase& db = doc.GetDatabase();
    const TopicSheet layout = SheetOf(db, topic);
    QList<FieldDescriptor> fields;
    for (const qint32 id : layout.fields) {
        FieldDescriptor field;
        if (db.GetFieldDescriptor(topic, id, field))
            fields.append(field);
    }

    CWorkbook own;
    CWorkbook* target = book;
    QString file = path;
    if (!target) {
        if (file.isEmpty())
            file = InFolder(g_program.DocumentsFolder, layout.title, DefaultWorkbookExtension());
        // Rows go to disk as they are done: the largest lists fit in memory.
        own.SetConstantMemory(true);
        QString error;
        if (!own.CreateFor(file, &error))
            return error.isEmpty() ? false : Fail(file, error);
        target = &own;
    }
    target->SetDefaultFont(QStringLiteral("Verdana"), 8);
    const ObjectSheetFormats formats = ObjectSheetFormats::Add(*target, layout.fill);
    CWorkbookSheet* sheet = target->AddSheet(layout.title);
    if (!sheet)
        return book ? false : Fail(file, LoadString(ExportText::NoSheet));
    if (ids.size() + 1 > sheet->MaxRows() || fields.size() > sheet->MaxColumns())
        return book ? false : Fail(file, LoadString(ExportText::TooLarge));

    std::unique_ptr<Waiting> waiting = book ? nullptr : std::make_unique<Waiting>();
    std::unique_ptr<CRichEditCtrlEx> edit = layout.textField ? CreateHiddenRichEdit() : nullptr;

    // Header row.
    QList<int> widths;
    QList<ObjectCellKind> kinds;
    bool ok = true;
    for (int c = 0; c < fields.size() && ok; ++c) {
        const FieldDescriptor& field = fields.at(c);
        const bool text = field.ID == layout.textField;
        const QString caption = text ? LoadString(layout.textCaption) : field.Name;
        const int n = int(caption.size());
        widths.append(text ? std::max(ObjectHeaderWidth(n), kTextColumnMinWidth) : ObjectHeaderWidth(n));
        kinds.append(CellKindOf(field, topic));
        const bool right = kinds.last() != ObjectCellKind::Text;
        ok = sheet->WriteString(0, c, caption, right ? formats.headerRight : formats.headerLeft);
    }
    ok = ok && sheet->SetRowHeight(0, CWorkbook::kDefaultRowHeight * 1.2);

    ExportProgress progress(ExportText::Progress, int(ids.size()));
    const bool withText = layout.textField && topic != TopicId::SearchHits;
    int row = 0;
    ForEachPlainText(db, withText ? topic : 0, ids, true, [&] { return !ok; }, [&](qsizetype, PlainTextJob& job) {
        const qint32 id = job.id;
        ++row;
        progress.Step(row);
        RowBuffer buffer;
        if (!db.ReadRow(topic, id, buffer, false))
            return;   // an object that cannot be read leaves its row empty
        // The text column first: a picture sets the row's height, which
        // must come before the row is written out.
        QString text = std::move(job.text);
        QByteArray picture;
        int pictureHeight = 0;
        if (withText && !job.decoded) {
            doc.GetObjectPlainText(topic, id, text, topic == TopicId::Codings, &picture, nullptr, &pictureHeight,
                                   edit.get());
            if (!picture.isEmpty())
                ok = sheet->SetRowHeight(row, kPictureRowFactor * pictureHeight);
        }
        for (int c = 0; c < fields.size() && ok; ++c) {
            const FieldDescriptor& field = fields.at(c);
            if (field.ID == layout.textField) {
                if (topic == TopicId::SearchHits)
                    text = ValueText(db, topic, buffer, field);
                if (!picture.isEmpty())
                    ok = sheet->WriteBlank(row, c, formats.longText) && sheet->InsertPicture(row, c, picture, 1.0);
                else
                    ok = sheet->WriteString(row, c, text, formats.longText);
                continue;
            }
            const QString value = ValueText(db, topic, buffer, field);
            widths[c] = std::max(widths.at(c), int(value.size()) + 2);
            ok = WriteObjectCell(*sheet, row, c, kinds.at(c), value, formats, &ParseDateText);
        }
    });
    for (int c = 0; c < fields.size() && ok; ++c)
        ok = sheet->SetColumnWidth(c, c, widths.at(c));
    if (book)
        return ok;
    waiting.reset();
    if (!ok)
        return Fail(file, LoadString(ExportText::CellNotWritten));
    QString saved;
    QString error;
    if (!own.Save(file, &saved, &error))
        return Fail(file, error);
    path = saved;
    if (openAfter)
        OpenResult(saved);
    return true;
}

// ---------------------------------------------------------------- HTML

bool TableExports::ExportHtmlTable(CKorDoc&, const QStringList& columns, const QStringList& rows,
                                   const QStringList& cells, const QString& path)
{
    const QString title = LoadString(ExportText::HtmlTableTitle);
    QString file = path;
    if (file.isEmpty()) {
        QString name = title;
        SanitizeFileName(name);
        file = QDir(QDir::tempPath()).filePath(name + QStringLiteral(".htm"));
    }
    // Row headers measure the first column; each column header its column.
    QList<int> lengths;
    int rowHeader = rows.isEmpty() ? -1 : 0;
    for (const QString& header : rows)
        rowHeader = std::max(rowHeader, int(header.size()));
    lengths.append(rowHeader);
    for (const QString& header : columns)
        lengths.append(int(header.size()));
    QStringList captions{QString()};
    captions += columns;
    // "~" is the callers' line break.
    const auto lines = [](QString text) { return text.replace(u'~', u'\n'); };
    HtmlTablePage page;
    bool ok = page.Begin(file, title, PackWorkbookColour(255, 224, 180), captions, HtmlColumnShares(lengths, 45));
    for (qsizetype r = 0; r < rows.size() && ok; ++r) {
        QStringList line{lines(rows.at(r))};
        for (qsizetype c = 0; c < columns.size(); ++c)
            line.append(lines(cells.value(r * columns.size() + c)));
        ok = page.AddRow(line);
    }
    ok = ok && page.Finish();
    if (!ok)
        return Fail(file, page.Error());
    OpenResult(file);
    return true;
}

bool TableExports::ExportCodingsHtml(CKorDoc& doc, const QList<qint32>& codings, const QString& path)
{
    TopicDatabase& db = doc.GetDatabase();
    const QString title = LoadString(ExportText::CodingsTitle);
    const QString file = path.isEmpty() ? InFolder(g_program.DocumentsFolder, title, QStringLiteral("htm")) : path;
    QList<FieldDescriptor> fields;
    for (const qint32 id : {14, 3, 4, 7, 8, 9, 10, 12, 13, 15, 18}) {
        FieldDescriptor field;
        if (db.GetFieldDescriptor(TopicId::Codings, id, field))
            fields.append(field);
    }
    QStringList captions;
    QList<int> lengths;
    for (const FieldDescriptor& field : std::as_const(fields)) {
        captions.append(field.Name);
        lengths.append(field.ID == CodingField::Preview ? -1 : int(field.Name.size()));
    }
    // One pass reads every row once for the widths and keeps its texts.
    Waiting waiting;
    QList<QStringList> table;
    table.reserve(codings.size());
    for (const qint32 coding : codings) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::Codings, coding, row, false))
            continue;
        QStringList cells;
        for (int c = 0; c < fields.size(); ++c) {
            if (fields.at(c).ID == CodingField::Preview) {
                cells.append(QString());
                continue;
            }
            cells.append(ValueText(db, TopicId::Codings, row, fields.at(c)));
            lengths[c] = std::max(lengths.at(c), int(cells.last().size()));
        }
        table.append(cells);
    }
    const qsizetype textColumn = std::find_if(fields.cbegin(), fields.cend(), [](const FieldDescriptor& f) {
                                     return f.ID == CodingField::Preview;
                                 }) - fields.cbegin();
    HtmlTablePage page;
    bool ok = page.Begin(file, title, PackWorkbookColour(255, 224, 180), captions, HtmlColumnShares(lengths, 45));
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    ExportProgress progress(ExportText::Progress, int(table.size()));
    int done = 0;
    qsizetype next = 0;
    const bool withText = textColumn < fields.size();
    ForEachPlainText(db, withText ? TopicId::Codings : 0, codings, false,
                     [&] { return !ok || next >= table.size(); }, [&](qsizetype, PlainTextJob& job) {
        if (!ok || next >= table.size() || !db.GetTable(TopicId::Codings)->HasKey(job.id))
            return;
        QStringList& cells = table[next++];
        if (withText) {
            // Pictures are not placed in a page: their text column stays empty.
            if (!job.decoded)
                doc.GetObjectPlainText(TopicId::Codings, job.id, job.text, false, nullptr, nullptr, nullptr,
                                       edit.get());
            cells[textColumn] = std::move(job.text);
        }
        ok = page.AddRow(cells);
        progress.Step(++done);
    });
    ok = ok && page.Finish();
    if (!ok)
        return Fail(file, page.Error());
    OpenResult(file);
    return true;
}

// ---------------------------------------------------------------- tab text

bool TableExports::WriteTabTextFile(CKorDoc& doc, const QString& path, const QList<qint32>* keys, bool unicode,
                                    bool codes)
{
    TopicDatabase& db = doc.GetDatabase();
    const qint32 topic = codes ? TopicId::Codes : TopicId::Documents;
    QList<qint32> ids;
    db.GetFieldIds(topic, ids, false);
    QList<FieldDescriptor> fields;
    for (const qint32 id : std::as_const(ids)) {
        FieldDescriptor field;
        if (db.GetFieldDescriptor(topic, id, field) && !field.HasState(FieldState::FromFrequencies))
            fields.append(field);
    }
    const bool english = g_qdaOptions.GetInt(QdaOption::EnglishColumnNames) != 0;
    QStringList header;
    for (const FieldDescriptor& field : std::as_const(fields)) {
        QString name = field.Name;
        if (codes && field.ID == CodeField::Name)
            name = QStringLiteral("Code");
        else if (codes && field.ID == CodeField::Parent)
            name = QStringLiteral("Parent");
        else if (!codes && english && field.ID == DocumentField::GroupID)
            name = QStringLiteral("Textgroup");
        else if (!codes && english && field.ID == DocumentField::Name)
            name = QStringLiteral("Textname");
        header.append(name);
    }
    QList<qint32> rows;
    if (keys)
        rows = *keys;
    else
        db.GetAllKeys(topic, rows);
    // Tabs and line breaks inside a value would shift columns and rows.
    const auto safe = [](QString text) {
        for (QChar& ch : text)
            if (ch == u'\t' || ch == u'\r' || ch == u'\n')
                ch = u' ';
        return text;
    };
    QString text = header.join(u'\t') + QStringLiteral("\r\n");
    for (const qint32 key : std::as_const(rows)) {
        RowBuffer row;
        if (!db.ReadRow(topic, key, row, false))
            continue;
        QStringList cells;
        for (const FieldDescriptor& field : std::as_const(fields)) {
            FieldValue value;
            if (field.ParentTopicID != 0) {
                QString display;
                if (row.GetFieldValue(field.ID, value) && value.GetInt())
                    db.AppendRowDisplay(field.ParentTopicID, value.GetInt(), true, display);
                cells.append(safe(display));
            } else {
                cells.append(safe(row.GetFieldValue(field.ID, value) ? value.FormatToBuffer() : QString()));
            }
        }
        text += cells.join(u'\t') + QStringLiteral("\r\n");
    }
    return WriteTabText(path, text, unicode);
}

// ---------------------------------------------------------------- document folders

namespace {

/// A file or folder name that stays inside its folder: made safe, leading
/// dots turned into "_", never empty.
QString SafeName(QString name)
{
    SanitizeFileName(name);
    qsizetype dots = 0;
    while (dots < name.size() && name.at(dots) == u'.')
        ++dots;
    name.replace(0, dots, QString(dots, u'_'));
    if (name.trimmed().isEmpty())
        name = QStringLiteral("_");
    return name;
}

/// The extension of a picture by its first bytes.
QString PictureExtension(const QByteArray& bytes)
{
    if (bytes.startsWith("\x89PNG"))
        return QStringLiteral(".png");
    if (bytes.startsWith("GIF8"))
        return QStringLiteral(".gif");
    if (bytes.startsWith("BM"))
        return QStringLiteral(".bmp");
    if (bytes.startsWith("II*") || bytes.startsWith("MM"))
        return QStringLiteral(".tif");
    return QStringLiteral(".jpg");
}

}  // namespace

bool TableExports::ExportDocumentFolders(CKorDoc& doc, const QString& base)
{
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> groups;
    db.GetAllKeys(TopicId::DocumentGroups, groups);
    groups.append(0);
    QStringList failed;
    if (!EnsureFolder(base))
        return Fail(base, QString());
    std::optional<Waiting> waiting(std::in_place);
    for (const qint32 group : std::as_const(groups)) {
        QString folder = base;
        if (group != 0) {
            folder = QDir(base).filePath(SafeName(db.FormatRowDisplay(TopicId::DocumentGroups, group, false)));
            if (!EnsureFolder(folder)) {
                failed.append(folder);
                continue;
            }
        }
        QList<qint32> documents;
        if (group != 0) {
            db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, documents);
        } else {
            QList<qint32> all;
            db.GetAllKeys(TopicId::Documents, all);
            for (const qint32 document : std::as_const(all))
                if (db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID) == 0)
                    documents.append(document);
        }
        for (const qint32 document : std::as_const(documents)) {
            RowBuffer row;
            if (!db.ReadRow(TopicId::Documents, document, row, false))
                continue;
            // A document kept outside the project is written as its file.
            QByteArray bytes;
            QString reason;
            if (!doc.GetDocumentContentBytes(document, bytes, &reason)) {
                if (!reason.isEmpty())   // a document without content is passed over
                    failed.append(TextOf(row, DocumentField::Name) + QStringLiteral(": ") + reason);
                continue;
            }
            const QString name = SafeName(TextOf(row, DocumentField::Name));
            const qint32 kind = IntOf(row, DocumentField::DocType);
            QString extension;
            switch (kind) {
            case DocumentKind::RichText: extension = QStringLiteral(".rtf"); break;
            case DocumentKind::Pdf: extension = QStringLiteral(".pdf"); break;
            case DocumentKind::Picture: extension = PictureExtension(bytes); break;
            // Written as ".xlsx": an ".xls" would need LibreOffice per document.
            case DocumentKind::Table: extension = QStringLiteral(".xlsx"); break;
            default: break;
            }
            QString file = QDir(folder).filePath(name + extension);
            if (!MakeUniqueFileName(file)) {
                failed.append(file);
                continue;
            }
            if (kind == DocumentKind::Table) {
                CTableData table;
                if (!table.LoadFromBytes(bytes) || !table.ExportExcel(name, file))
                    failed.append(file);
                continue;
            }
            if (kind == DocumentKind::RichText) {
                // Only the zero bytes after the text's end go.
                while (bytes.endsWith('\0'))
                    bytes.chop(1);
            }
            if (!WriteWhole(file, bytes, nullptr))
                failed.append(file);
        }
    }
    waiting.reset();
    if (!failed.isEmpty())
        ShowMessage(LoadString(ExportText::FoldersIncomplete).arg(failed.size()).arg(failed.join(u'\n')),
                    MessageKind::Warning);
    return true;
}

// ---------------------------------------------------------------- search hits

bool TableExports::ExportSearchHitsText(CKorDoc& doc, const QString& path, const QList<qint32>& hits, int mode,
                                        bool withCounts)
{
    if (path.isEmpty() || hits.isEmpty())
        return false;
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    std::unique_ptr<CRichEditCtrlEx> second = CreateHiddenRichEdit();
    if (!edit || !second)
        return false;
    bool pdfSeen = false;
    qint32 lines = 0;
    switch (mode) {
    case 0: lines = doc.FormatSearchHitCounts(hits, edit.get(), false); break;
    case 1:
        lines = doc.FormatSearchHitList(hits, edit.get(), pdfSeen);
        if (withCounts)
            lines += doc.FormatSearchHitCounts(hits, edit.get(), false);
        break;
    case 2:
        lines = doc.FormatSearchHitRanges(hits, edit.get(), pdfSeen);
        if (withCounts)
            lines += doc.FormatSearchHitCounts(hits, edit.get(), false);
        break;
    default: break;
    }
    QByteArray rtf;
    if (lines > 0 || edit->GetTextLength() > 0)
        edit->StreamOutRtf(&rtf, false, true);
    QString error;
    if (!WriteWhole(path, rtf, &error))
        return Fail(path, error);
    OpenResult(path);
    return true;
}

// ---------------------------------------------------------------- link overview

void TableExports::BuildLinkTable(CKorDoc& doc, qint32 document, bool append)
{
    TopicDatabase& db = doc.GetDatabase();
    TopicTable* overview = db.GetTable(TopicId::MapLinks);
    if (!overview)
        return;
    if (!append)
        overview->ClearRows();
    QList<qint32> links;
    if (document)
        db.FindKeysByParent(TopicId::Links, TopicId::Documents, document, links);
    else
        db.GetAllKeys(TopicId::Links, links);
    // The link's end: document, paragraph, text and position.
    struct End {
        qint32 link = 0, document = 0, paragraph = 0, page = 0, x1 = 0, x2 = 0, isText = 0;
        QString text;
    };
    const auto endOf = [&](qint32 link, End& end) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::Links, link, row, false))
            return false;
        end.link = link;
        end.document = IntOf(row, LinkField::Document);
        end.paragraph = doc.GetSegmentPreview(end.document, IntOf(row, LinkField::StartChar),
                                              IntOf(row, LinkField::FinishChar), end.text);
        end.text = end.text.left(kLinkTextUnits);
        end.page = IntOf(row, LinkField::Page);
        end.x1 = IntOf(row, LinkField::PosX1);
        end.x2 = IntOf(row, LinkField::PosX2);
        end.isText = IntOf(row, LinkField::IsText);
        return true;
    };
    for (const qint32 link : std::as_const(links)) {
        const qint32 target = db.GetIntValue(TopicId::Links, link, LinkField::LinkID);
        if (target == 0)
            continue;
        End source;
        End other;
        if (!endOf(link, source))
            continue;
        qint32 kind = 0;
        if (target > 0) {
            if (!endOf(target, other))
                continue;
        } else {
            RowBuffer row;
            FieldValue text;
            if (db.ReadRow(TopicId::Links, link, row, true) && row.GetFieldValue(LinkField::Text, text)
                && text.GetBlob())
                other.text = LinkTargetText(*text.GetBlob()).left(kLinkTextUnits);
            other.page = 1;
            kind = LinkTargetText(text.GetBlob() ? *text.GetBlob() : QByteArray())
                           .trimmed()
                           .endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive)
                ? 2
                : 1;
        }
        RowBuffer row;
        const bool written = db.AddRow(TopicId::MapLinks, row, -1) && SetInt(row, 1, kind)
            && SetInt(row, MapLinkField::FirstLink, source.link) && SetInt(row, 3, source.document)
            && SetInt(row, 4, source.paragraph) && SetText(row, 5, source.text) && SetInt(row, 6, source.page)
            && SetInt(row, 7, source.x1) && SetInt(row, 8, source.x2) && SetInt(row, 9, source.isText)
            && SetInt(row, MapLinkField::SecondLink, other.link) && SetInt(row, 11, other.document)
            && SetInt(row, 12, other.paragraph) && SetText(row, 13, other.text) && SetInt(row, 14, other.page)
            && SetInt(row, 15, other.x1) && SetInt(row, 16, other.x2) && SetInt(row, 17, other.isText)
            && row.Commit(false, true);
        if (!written && !row.IsEmpty()) {
            const qint32 key = row.GetKey();
            row.Release();
            db.RemoveRow(TopicId::MapLinks, key);
        }
    }
}

// ---------------------------------------------------------------- code matrix

bool TableExports::ExportTableExcel(CKorDoc& doc, const QString& path, bool activatedOnly, bool unicode, bool excel)
{
    TopicDatabase& db = doc.GetDatabase();
    // Documents and codes by their Index, then by key.
    const auto ordered = [&](qint32 topic, qint32 indexField) {
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        QList<QPair<qint32, qint32>> records;
        records.reserve(keys.size());
        for (const qint32 key : std::as_const(keys))
            if (!activatedOnly || doc.IsActivated(topic, key))
                records.append({db.GetIntValue(topic, key, indexField), key});
        std::sort(records.begin(), records.end());
        QList<qint32> sorted;
        sorted.reserve(records.size());
        for (const auto& record : std::as_const(records))
            sorted.append(record.second);
        return sorted;
    };
    const QList<qint32> documents = ordered(TopicId::Documents, DocumentField::Index);
    const QList<qint32> codes = ordered(TopicId::Codes, 1);
    QHash<qint32, qint32> documentRow;
    QHash<qint32, qint32> codeColumn;
    for (qsizetype i = 0; i < documents.size(); ++i)
        documentRow.insert(documents.at(i), qint32(i));
    for (qsizetype i = 0; i < codes.size(); ++i)
        codeColumn.insert(codes.at(i), qint32(i));
    const qsizetype width = codes.size();
    QList<qint32> counts(documents.size() * width, 0);

    // One pass over the codings; with subcodes counted, each coding also
    // adds to every ancestor of its code.
    const bool withAncestors = g_qdaOptions.GetBool(QdaOption::MatrixCountsSubcodes);
    QHash<qint32, qint32> parentOf;
    if (withAncestors) {
        QList<qint32> all;
        db.GetAllKeys(TopicId::Codes, all);
        for (const qint32 code : std::as_const(all))
            parentOf.insert(code, db.GetIntValue(TopicId::Codes, code, CodeField::Parent));
    }
    QList<qint32> codings;
    db.GetAllKeys(TopicId::Codings, codings);
    for (const qint32 coding : std::as_const(codings)) {
        const auto rowIt = documentRow.constFind(db.GetIntValue(TopicId::Codings, coding, CodingField::Document));
        if (rowIt == documentRow.cend())
            continue;
        qint32 code = db.GetIntValue(TopicId::Codings, coding, CodingField::Code);
        for (int depth = 0; code > 0 && depth < 1000; ++depth) {
            const auto columnIt = codeColumn.constFind(code);
            if (columnIt != codeColumn.cend())
                ++counts[*rowIt * width + *columnIt];
            if (!withAncestors)
                break;
            code = parentOf.value(code);
        }
    }

    QStringList codeNames;
    for (const qint32 code : codes) {
        QString name;
        db.AppendRowDisplay(TopicId::Codes, code, true, name);
        codeNames.append(name);
    }
    const auto groupName = [&](qint32 document) {
        const qint32 group = db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID);
        return group ? db.FormatRowDisplay(TopicId::DocumentGroups, group, false) : QString();
    };
    const QString groupHeader = LoadString(ExportText::GroupHeader);
    const QString documentHeader = LoadString(ExportText::DocumentHeader);

    if (!excel) {
        QString text;
        text.reserve(documents.size() * (width * 2 + 40));
        text += groupHeader + u'\t' + documentHeader;
        for (const QString& name : std::as_const(codeNames))
            text += u'\t' + name;
        text += QStringLiteral("\r\n");
        for (qsizetype d = 0; d < documents.size(); ++d) {
            text += groupName(documents.at(d)) + u'\t' + db.FormatRowDisplay(TopicId::Documents, documents.at(d), false);
            for (qsizetype c = 0; c < width; ++c) {
                text += u'\t';
                text += QString::number(counts.at(d * width + c));
            }
            text += QStringLiteral("\r\n");
        }
        if (!WriteTabText(path, text, unicode))
            return false;
        OpenResult(path);
        return true;
    }

    QString file = path;
    CWorkbook book;
    book.SetConstantMemory(true);
    QString error;
    if (!book.CreateFor(file, &error))
        return error.isEmpty() ? false : Fail(file, error);
    book.SetDefaultFont(QStringLiteral("Verdana"), 8);
    WorkbookCellFormat header;
    header.fontName = QStringLiteral("Verdana");
    header.fontSize = 8;
    header.bold = true;
    header.thinBorder = true;
    header.borderColour = PackWorkbookColour(192, 192, 192);
    header.solidFill = true;
    header.fillColour = PackWorkbookColour(232, 232, 255);
    header.alignH = CellAlignH::Left;
    const int headerLeft = book.AddFormat(header);
    header.alignH = CellAlignH::Right;
    const int headerRight = book.AddFormat(header);
    WorkbookCellFormat cell;
    cell.thinBorder = true;
    cell.borderColour = PackWorkbookColour(192, 192, 192);
    cell.alignV = CellAlignV::Top;
    const int value = book.AddFormat(cell);
    CWorkbookSheet* sheet = book.AddSheet(LoadString(ExportText::MatrixTitle));
    if (!sheet)
        return Fail(file, LoadString(ExportText::NoSheet));
    if (documents.size() + 1 > sheet->MaxRows() || width + 2 > sheet->MaxColumns())
        return Fail(file, LoadString(ExportText::TooLarge));
    Waiting waiting;
    int groupWidth = int(groupHeader.size());
    int documentWidth = int(documentHeader.size());
    bool ok = sheet->SetRowHeight(0, CWorkbook::kDefaultRowHeight * 1.2) && sheet->WriteString(0, 0, groupHeader, headerLeft)
        && sheet->WriteString(0, 1, documentHeader, headerLeft);
    for (qsizetype c = 0; c < width && ok; ++c)
        ok = sheet->WriteString(0, int(c + 2), codeNames.at(c), headerRight);
    for (qsizetype d = 0; d < documents.size() && ok; ++d) {
        const QString group = groupName(documents.at(d));
        const QString name = db.FormatRowDisplay(TopicId::Documents, documents.at(d), false);
        groupWidth = std::max(groupWidth, int(group.size()));
        documentWidth = std::max(documentWidth, int(name.size()));
        ok = sheet->WriteString(int(d + 1), 0, group, value) && sheet->WriteString(int(d + 1), 1, name, value);
        for (qsizetype c = 0; c < width && ok; ++c)
            ok = sheet->WriteNumber(int(d + 1), int(c + 2), counts.at(d * width + c), value);
    }
    ok = ok && sheet->SetColumnWidth(0, 0, groupWidth + 3) && sheet->SetColumnWidth(1, 1, documentWidth + 3);
    for (qsizetype c = 0; c < width && ok; ++c)
        ok = sheet->SetColumnWidth(int(c + 2), int(c + 2), codeNames.at(c).size() + 3);
    if (!ok)
        return Fail(file, LoadString(ExportText::CellNotWritten));
    QString saved;
    if (!book.Save(file, &saved, &error))
        return Fail(file, error);
    OpenResult(saved);
    return true;
}
