// The object list's exports: an Excel workbook, an HTML page, tab text in a
// file and on the clipboard. All take the same columns in display order and
// the same cell texts the list shows.

#include "panes/objectlistctrl.h"

#include "foundation/filehelpers.h"
#include "foundation/messageservice.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/tablewriter.h"
#include "foundation/waitwindow.h"
#include "foundation/workbook.h"
#include "foundation/xmldoc.h"
#include "panes/listids.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/storeids.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QSaveFile>
#include <QStringEncoder>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

bool g_openExportedFiles = true;

constexpr int kPreviewMinWidth = 70;        // characters of a preview column in a workbook
constexpr double kPictureRowFactor = 0.766; // points of row height per pixel of picture height
constexpr int kPreviewShare = 55;           // percent of the page for the preview column
constexpr qint32 kHitStart = 4;             // search hits: the hit's start position

/// The field of a topic whose column the exports replace by the full text,
/// with its caption; 0 when the topic has none.
struct PreviewColumn {
    qint32 topic;
    qint32 fieldId;
    int captionId;
};
constexpr PreviewColumn kPreviewColumns[] = {
    {TopicId::Codings, CodingField::Preview, ListText::PreviewCoding},
    {TopicId::Memos, 13, ListText::PreviewMemo},
    {TopicId::SearchHits, 3, ListText::PreviewHit},
};

const PreviewColumn* PreviewOf(qint32 topic, qint32 fieldId)
{
    for (const PreviewColumn& column : kPreviewColumns)
        if (column.topic == topic && column.fieldId == fieldId)
            return &column;
    return nullptr;
}

/// TAB, CR and LF inside a cell would shift the columns and rows of tab text.
QString TabSafe(QString text)
{
    for (QChar& ch : text)
        if (ch == u'\t' || ch == u'\r' || ch == u'\n')
            ch = u' ';
    return text;
}

ObjectCellKind CellKindOf(int type)
{
    switch (type) {
    case FieldType::Integer: return ObjectCellKind::Integer;
    case FieldType::Real: return ObjectCellKind::Real;
    case FieldType::Boolean: return ObjectCellKind::Boolean;
    case FieldType::DateTime: return ObjectCellKind::Date;
    default: return ObjectCellKind::Text;
    }
}

void OpenWithDesktop(const QString& path)
{
    if (g_openExportedFiles)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace

void ObjectListCtrl::SetOpenExportedFiles(bool open)
{
    g_openExportedFiles = open;
}

QList<int> ObjectListCtrl::exportedColumns(bool forTextFile) const
{
    QList<int> columns;
    for (const int column : DisplayedColumns()) {
        const ColumnRecord& record = m_columns.at(column);
        if (record.IsColourColumn())
            continue;
        if (forTextFile && (record.state & FieldState::FromFrequencies))
            continue;
        columns.append(column);
    }
    return columns;
}

QList<qint32> ObjectListCtrl::exportedKeys(bool selectedOnly, bool skipMarkedHits) const
{
    QList<qint32> keys;
    if (selectedOnly) {
        GetSelection(keys);
        if (!keys.isEmpty())
            return keys;
    }
    if (!skipMarkedHits || m_topic != TopicId::SearchHits)
        return m_model->Keys();
    // Hits marked by a first character U+0001 in the first column stay out.
    for (const qint32 key : m_model->Keys()) {
        QStringList texts;
        LoadRowTexts(key, texts);
        if (!texts.value(0).startsWith(QChar(1)))
            keys.append(key);
    }
    return keys;
}

bool ObjectListCtrl::GetTooltipContent(qint32 key, TooltipContent& content)
{
    if (m_topic != TopicId::Codings && m_topic != TopicId::Memos && m_topic != TopicId::SearchHits)
        return false;
    if (key < 0) {
        m_tooltipKey = 0;
        m_tooltip = TooltipContent();
        m_hiddenEdit.reset();
        content = TooltipContent();
        return true;
    }
    if (key == m_tooltipKey && key != 0) {
        content = m_tooltip;
        return true;
    }
    m_tooltip = TooltipContent();
    m_tooltipKey = key;
    if (!m_hiddenEdit)
        m_hiddenEdit = std::make_unique<CRichEditCtrlEx>();
    const auto plainText = [this](const QByteArray* rtf) { return RtfPlainText(*m_hiddenEdit, rtf); };
    RecordNotifyInfo info;
    info.topic = m_topic;
    info.key = key;
    info.readBlobs = true;
    send(info);
    if (!info.found) {
        content = m_tooltip;
        return true;
    }
    if (m_topic == TopicId::SearchHits) {
        // The text around a hit: the paragraph of its document that holds it.
        FieldValue document;
        FieldValue start;
        if (info.row.GetFieldValue(2, document) && info.row.GetFieldValue(kHitStart, start)) {
            RecordNotifyInfo text;
            text.topic = TopicId::Documents;
            text.key = document.GetInt();
            text.readBlobs = true;
            send(text);
            FieldValue kind;
            FieldValue blob;
            if (text.found && text.row.GetFieldValue(DocumentField::DocType, kind)
                && kind.GetInt() == DocumentKind::RichText && text.row.GetFieldValue(DocumentField::Text, blob)) {
                const QString whole = plainText(blob.GetBlob());
                const qsizetype at = std::clamp<qsizetype>(start.GetInt(), 0, whole.size());
                const qsizetype from = whole.lastIndexOf(u'\n', at > 0 ? at - 1 : 0) + 1;
                qsizetype to = whole.indexOf(u'\n', at);
                if (to < 0)
                    to = whole.size();
                m_tooltip.text = whole.mid(from, to - from);
            }
        }
    } else if (info.imageMade && !info.image.isEmpty()) {
        const QImage picture = QImage::fromData(info.image);
        m_tooltip.picture = true;
        m_tooltip.image = info.image;
        m_tooltip.width = picture.width();
        m_tooltip.height = picture.height();
    } else {
        FieldValue blob;
        const qint32 field = m_topic == TopicId::Codings ? qint32(CodingField::Text) : qint32(MemoField::Text);
        if (info.row.GetFieldValue(field, blob))
            m_tooltip.text = plainText(blob.GetBlob());
    }
    content = m_tooltip;
    return true;
}

bool ObjectListCtrl::Export(const QString& path, const QString& title, int kind, bool unicode, bool selectedOnly,
                            QString* savedPath)
{
    QString error;
    QString written = path;
    bool ok = false;
    if (kind == ExportHtmlPage)
        ok = ExportHtml(path, title, selectedOnly, &error);
    else if (kind == ExportWorkbook)
        ok = ExportExcel(path, title, selectedOnly, &written, &error);
    else
        ok = OpenInExcel(path, unicode, &error);
    if (!ok) {
        ShowMessage(LoadString(ListText::ExportFailed).arg(QFileInfo(path).fileName(), error), MessageKind::Error);
        return false;
    }
    if (savedPath)
        *savedPath = written;
    OpenWithDesktop(written);
    return true;
}

// ---------------------------------------------------------------- HTML

bool ObjectListCtrl::ExportHtml(const QString& path, const QString& title, bool selectedOnly, QString* error)
{
    const QList<int> columns = exportedColumns(false);
    const QList<qint32> keys = exportedKeys(selectedOnly, true);
    QStringList captions;
    QList<int> widths;
    int previewColumn = -1;
    for (int i = 0; i < columns.size(); ++i) {
        const ColumnRecord& record = m_columns.at(columns.at(i));
        const PreviewColumn* preview = PreviewOf(m_topic, record.fieldId);
        captions.append(preview ? LoadString(preview->captionId) : record.name);
        widths.append(preview ? -1 : int(captions.last().size()));
        if (preview && previewColumn < 0)
            previewColumn = i;
    }
    // Column shares from the longest text of each column, over all rows.
    for (const qint32 key : m_model->Keys()) {
        QStringList texts;
        LoadRowTexts(key, texts);
        for (int i = 0; i < columns.size(); ++i)
            if (widths.at(i) >= 0)
                widths[i] = std::max(widths.at(i), int(texts.value(columns.at(i)).size()));
    }
    widths = HtmlColumnShares(widths, previewColumn >= 0 ? 100 - kPreviewShare : 100);

    BeginWait();
    const bool waitShown = ShowWaitWindow();
    const auto finish = [&](bool ok) {
        if (waitShown)
            CloseWaitWindow();
        EndWait();
        if (m_topic == TopicId::Codings || m_topic == TopicId::Memos || m_topic == TopicId::SearchHits) {
            TooltipContent none;
            GetTooltipContent(-1, none);
        }
        return ok;
    };

    HtmlTablePage page;
    bool ok = page.Begin(path, title, PackWorkbookColour(RedOf(m_headerColour), GreenOf(m_headerColour), BlueOf(m_headerColour)),
                         captions, widths);
    ExportProgress progress(ListText::ExportProgress, int(keys.size()));
    int done = 0;
    for (const qint32 key : keys) {
        if (!ok)
            break;
        QStringList texts;
        LoadRowTexts(key, texts);
        QStringList cells;
        for (int i = 0; i < columns.size(); ++i) {
            const ColumnRecord& record = m_columns.at(columns.at(i));
            QString text = texts.value(columns.at(i));
            if (PreviewOf(m_topic, record.fieldId)) {
                TooltipContent full;
                GetTooltipContent(key, full);
                if (full.picture)
                    text = QStringLiteral("<IMAGE>");
                else if (!full.text.isEmpty())
                    text = full.text;
            }
            cells.append(text);
        }
        ok = page.AddRow(cells);
        progress.Step(++done);
    }
    ok = ok && page.Finish();
    if (!ok && error)
        *error = page.Error();
    return finish(ok);
}

// ---------------------------------------------------------------- Excel

bool ObjectListCtrl::ExportExcel(const QString& path, const QString& title, bool selectedOnly, QString* savedPath,
                                 QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    QString target = path;
    CWorkbook book;
    if (!book.CreateFor(target, error))
        return false;
    book.SetDefaultFont(QStringLiteral("Verdana"), 8);
    const quint32 headerFill = PackWorkbookColour(RedOf(m_headerColour), GreenOf(m_headerColour), BlueOf(m_headerColour));
    const ObjectSheetFormats formats = ObjectSheetFormats::Add(book, headerFill);

    CWorkbookSheet* sheet = book.AddSheet(title);
    if (!sheet)
        return fail(QStringLiteral("the sheet could not be added"));
    sheet->HideGridlines();

    const QList<int> columns = exportedColumns(false);
    const QList<qint32> keys = exportedKeys(selectedOnly, true);
    if (keys.size() + 1 > sheet->MaxRows() || columns.size() > sheet->MaxColumns())
        return fail(QStringLiteral("the list (%1 rows, %2 columns) does not fit one sheet of this format")
                        .arg(keys.size())
                        .arg(columns.size()));

    BeginWait();
    const bool waitShown = ShowWaitWindow();
    QList<int> types;
    QList<bool> previews;
    QList<int> widths;
    bool ok = true;
    for (int i = 0; i < columns.size() && ok; ++i) {
        const ColumnRecord& record = m_columns.at(columns.at(i));
        const PreviewColumn* preview = PreviewOf(m_topic, record.fieldId);
        FieldDescriptorNotifyInfo info;
        info.topic = m_topic;
        info.fieldId = record.fieldId;
        send(info);
        int type = info.found ? info.field.Type : record.type;
        if ((info.found && info.field.Categorial) || (m_topic == TopicId::Memos && record.fieldId == MemoField::Source)
            || record.parentTopic != 0)
            type = FieldType::ShortText;   // shown as text
        types.append(type);
        previews.append(preview != nullptr);
        const QString caption = preview ? LoadString(preview->captionId) : (info.found ? info.field.Name : QString());
        const int n = int(caption.size());
        widths.append(preview ? std::max(ObjectHeaderWidth(n), kPreviewMinWidth) : ObjectHeaderWidth(n));
        const bool right = type == FieldType::Integer || type == FieldType::Real || type == FieldType::Boolean
            || type == FieldType::DateTime;
        ok = sheet->WriteString(0, i, caption, right ? formats.headerRight : formats.headerLeft);
    }
    ok = ok && sheet->SetRowHeight(0, CWorkbook::kDefaultRowHeight * 1.2);

    ExportProgress progress(ListText::ExportProgress, int(keys.size()));
    int row = 1;
    for (const qint32 key : keys) {
        if (!ok)
            break;
        QStringList texts;
        LoadRowTexts(key, texts);
        for (int i = 0; i < columns.size() && ok; ++i) {
            const QString text = texts.value(columns.at(i));
            if (previews.at(i)) {
                TooltipContent full;
                GetTooltipContent(key, full);
                if (full.picture) {
                    ok = sheet->WriteBlank(row, i, formats.longText);
                    if (ok && !full.image.isEmpty()) {
                        sheet->SetRowHeight(row, kPictureRowFactor * full.height);
                        ok = sheet->InsertPicture(row, i, full.image, 1.0);
                    }
                } else {
                    ok = sheet->WriteString(row, i, full.text.isEmpty() ? text : full.text, formats.longText);
                }
                continue;
            }
            widths[i] = std::max(widths.at(i), int(text.size()) + 2);
            ok = WriteObjectCell(*sheet, row, i, CellKindOf(types.at(i)), text, formats, &ParseDateText);
        }
        ++row;
        progress.Step(row - 1);
    }
    for (int i = 0; i < columns.size() && ok; ++i)
        ok = sheet->SetColumnWidth(i, i, widths.at(i));
    if (m_topic == TopicId::Codings || m_topic == TopicId::Memos || m_topic == TopicId::SearchHits) {
        TooltipContent none;
        GetTooltipContent(-1, none);
    }
    // The wait window stays up while the book is written out.
    const bool saved = ok && book.Save(target, savedPath, error);
    if (waitShown)
        CloseWaitWindow();
    EndWait();
    if (!ok)
        return fail(QStringLiteral("a cell could not be written"));
    return saved;
}

// ---------------------------------------------------------------- text

QString ObjectListCtrl::tabText(bool forTextFile) const
{
    const QList<int> columns = exportedColumns(forTextFile);
    QStringList captions;
    for (const int column : columns)
        captions.append(TabSafe(m_columns.at(column).name));
    QString text = captions.join(u'\t') + QStringLiteral("\r\n");
    for (const qint32 key : exportedKeys(true, false)) {
        QStringList texts;
        if (LoadRowTexts(key, texts)) {
            QStringList cells;
            for (const int column : columns)
                cells.append(TabSafe(texts.value(column)));
            text += cells.join(u'\t');
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

QString ObjectListCtrl::BuildTabText()
{
    return tabText(false);
}

void ObjectListCtrl::CopyToClipboard()
{
    const QString text = BuildTabText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

bool ObjectListCtrl::OpenInExcel(const QString& path, bool unicode, QString* error)
{
    const QString text = tabText(true);
    // UTF-16 with its mark, or UTF-8 with its mark: no character is lost.
    QByteArray bytes;
    if (unicode) {
        bytes = QByteArrayLiteral("\xFF\xFE");
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        bytes += encoder.encode(text);
    } else {
        bytes = QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    }
    // Written beside the target and renamed into place: a failed write
    // leaves an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
