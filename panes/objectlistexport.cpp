// The object list's exports: an Excel workbook, an HTML page, tab text in a
// file and on the clipboard. All take the same columns in display order and
// the same cell texts the list shows.

#include "panes/objectlistctrl.h"

#include "foundation/filehelpers.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
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

constexpr COLORREF kBorderGrey = MakeColor(192, 192, 192);
constexpr int kPreviewMinWidth = 70;        // characters of a preview column in a workbook
constexpr double kPictureRowFactor = 0.766; // points of row height per pixel of picture height
constexpr int kPreviewShare = 55;           // percent of the page for the preview column
constexpr int kWaitTextIntervalMs = 200;
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

/// An Excel number format from a Qt date or time pattern of the locale.
QString ExcelPattern(const QString& qtPattern)
{
    QString pattern;
    bool quoted = false;
    for (qsizetype i = 0; i < qtPattern.size(); ++i) {
        const QChar ch = qtPattern.at(i);
        if (ch == u'\'') {
            quoted = !quoted;
            pattern += u'"';
            continue;
        }
        if (quoted) {
            pattern += ch;
            continue;
        }
        switch (ch.unicode()) {
        case 'M': pattern += u'm'; break;      // the month; Excel tells it from minutes by context
        case 'H': pattern += u'h'; break;
        case 'A':
        case 'a':
            pattern += QStringLiteral("AM/PM");
            if (i + 1 < qtPattern.size() && (qtPattern.at(i + 1) == u'P' || qtPattern.at(i + 1) == u'p'))
                ++i;
            break;
        case 't': break;
        default: pattern += ch; break;
        }
    }
    return pattern;
}

void OpenWithDesktop(const QString& path)
{
    if (g_openExportedFiles)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

/// Updates the wait text at most a few times a second.
class Progress {
public:
    Progress(int total) : m_total(total) { m_clock.start(); }
    void Step(int done)
    {
        if (m_clock.elapsed() < kWaitTextIntervalMs && done != m_total)
            return;
        m_clock.restart();
        SetWaitText(LoadString(ListText::ExportProgress).arg(done).arg(m_total));
    }

private:
    int m_total;
    QElapsedTimer m_clock;
};

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
    const auto plainText = [this](const QByteArray* rtf) {
        m_hiddenEdit->StreamInRtf(rtf && !rtf->isEmpty() ? rtf : nullptr, false);
        QString text;
        m_hiddenEdit->GetText(&text, 2 * (m_hiddenEdit->GetTextLength() + 1));
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        text.replace(QChar(0x2029), u'\n');
        text.remove(QChar(11));
        return text;
    };
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
    qint64 sum = 0;
    for (const int width : std::as_const(widths))
        if (width > 0)
            sum += width;
    const int plain = int(std::count_if(widths.begin(), widths.end(), [](int w) { return w >= 0; }));
    const int room = previewColumn >= 0 ? 100 - kPreviewShare : 100;
    for (int i = 0; i < widths.size(); ++i) {
        if (widths.at(i) < 0)
            widths[i] = i == previewColumn ? kPreviewShare : 0;
        else if (sum > 0)
            widths[i] = int(qint64(widths.at(i)) * room / sum);
        else
            widths[i] = plain > 0 ? room / plain : 0;   // every text empty: equal shares
    }

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

    // Written under a name of its own and put in place only when whole, so
    // a page that fails half-way never replaces an earlier one.
    const QString partial = path + QStringLiteral(".part");
    CXmlDoc page;
    if (!page.Open(partial, XmlDocFlag::WriteFile | XmlDocFlag::Utf8Bom)) {
        if (error)
            *error = page.GetResultText();
        return finish(false);
    }
    const QString colour = QStringLiteral("#%1%2%3")
                               .arg(RedOf(m_headerColour), 2, 16, QLatin1Char('0'))
                               .arg(GreenOf(m_headerColour), 2, 16, QLatin1Char('0'))
                               .arg(BlueOf(m_headerColour), 2, 16, QLatin1Char('0'))
                               .toUpper();
    bool ok = page.AddElement(QStringLiteral("HTML")) && page.EnterElement() && page.AddElement(QStringLiteral("HEAD"))
        && page.EnterElement() && page.AddElement(QStringLiteral("META"))
        && page.SetCurrentAttribute(u"http-equiv", u"content-type")
        && page.SetCurrentAttribute(u"content", u"text/html; charset=UTF-8") && page.LeaveElement()
        && page.AddElement(QStringLiteral("BODY")) && page.EnterElement() && page.AddElement(QStringLiteral("CENTER"))
        && page.EnterElement() && page.AddElement(QStringLiteral("TABLE"))
        && page.SetCurrentAttribute(u"bgcolor", u"#E0E0E0") && page.SetCurrentAttribute(u"border", u"0")
        && page.SetCurrentAttribute(u"cellPadding", u"2") && page.SetCurrentAttribute(u"cellSpacing", u"1")
        && page.SetCurrentAttribute(u"width", u"100%") && page.SetCurrentAttribute(u"height", u"20")
        && page.EnterElement() && page.AddElement(QStringLiteral("TBODY")) && page.EnterElement();
    // The title row.
    ok = ok && page.AddElement(QStringLiteral("TR")) && page.EnterElement() && page.AddElement(QStringLiteral("TD"))
        && page.SetCurrentAttribute(u"bgcolor", colour) && page.SetCurrentAttribute(u"valign", u"center")
        && page.SetCurrentAttribute(u"align", u"center") && page.SetCurrentAttribute(u"width", u"100%")
        && page.SetCurrentAttribute(u"height", u"25") && page.SetCurrentIntAttribute(u"colspan", qint32(columns.size()))
        && page.EnterElement() && page.AddElement(QStringLiteral("FONT")) && page.SetCurrentAttribute(u"face", u"Verdana")
        && page.SetCurrentAttribute(u"size", u"2") && page.EnterElement() && page.AddElement(QStringLiteral("B"))
        && page.EnterElement() && page.AddElement(QStringLiteral("A"), title) && page.SetCurrentAttribute(u"name", title)
        && page.LeaveElement() && page.LeaveElement() && page.LeaveElement() && page.LeaveElement();
    // The header row.
    ok = ok && page.AddElement(QStringLiteral("TR")) && page.EnterElement();
    for (int i = 0; i < columns.size() && ok; ++i) {
        ok = page.AddElement(QStringLiteral("TD")) && page.SetCurrentAttribute(u"bgcolor", u"#F0F0F0")
            && page.SetCurrentAttribute(u"valign", u"center") && page.SetCurrentAttribute(u"align", u"left")
            && page.SetCurrentAttribute(u"width", QStringLiteral("%1%").arg(widths.at(i)))
            && page.SetCurrentAttribute(u"height", u"20") && page.EnterElement()
            && page.AddElement(QStringLiteral("FONT")) && page.SetCurrentAttribute(u"face", u"Verdana")
            && page.SetCurrentAttribute(u"size", u"1") && page.EnterElement()
            && page.AddElement(QStringLiteral("B"), captions.at(i)) && page.LeaveElement() && page.LeaveElement();
    }
    ok = ok && page.LeaveElement();

    // One row at a time: each is built as a tree of its own and appended, so
    // the file grows row by row.
    Progress progress(int(keys.size()));
    int done = 0;
    for (const qint32 key : keys) {
        if (!ok)
            break;
        QStringList texts;
        LoadRowTexts(key, texts);
        CXmlDoc row;
        bool built = row.AddElement(QStringLiteral("TR")) && row.EnterElement();
        for (int i = 0; i < columns.size() && built; ++i) {
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
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
            text.replace(u'\n', u'\r');
            ReplaceWithTilde(text);
            built = row.AddElement(QStringLiteral("TD")) && row.SetCurrentAttribute(u"bgcolor", u"#FFFFFF")
                && row.SetCurrentAttribute(u"valign", u"top") && row.SetCurrentAttribute(u"align", u"left")
                && row.SetCurrentAttribute(u"height", u"20") && row.EnterElement()
                && row.AddElement(QStringLiteral("FONT"), text) && row.SetCurrentAttribute(u"face", u"Verdana")
                && row.SetCurrentAttribute(u"size", u"1") && row.LeaveElement();
        }
        built = built && row.LeaveElement();
        // The markup is escaped already: only the line markers become tags.
        QString markup = row.GetDoc();
        markup.replace(QStringLiteral("~~~~"), QStringLiteral("<BR/>"));
        ok = built && page.AddSubDoc(markup);
        progress.Step(++done);
    }
    ok = ok && page.LeaveElement() && page.LeaveElement() && page.LeaveElement() && page.LeaveElement()
        && page.LeaveElement();
    const bool closed = page.Close();
    if ((!ok || !closed) && error)
        *error = page.GetResultText();
    if (!ok || !closed) {
        QFile::remove(partial);
        return finish(false);
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = QStringLiteral("the page could not be put in place");
        QFile::remove(partial);
        return finish(false);
    }
    return finish(true);
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
    const QLocale locale;
    const QString datePattern = ExcelPattern(locale.dateFormat(QLocale::ShortFormat));
    const QString timePattern = ExcelPattern(locale.timeFormat(QLocale::ShortFormat));
    const quint32 headerFill = PackWorkbookColour(RedOf(m_headerColour), GreenOf(m_headerColour), BlueOf(m_headerColour));
    const auto format = [&](bool header, CellAlignH alignH) {
        WorkbookCellFormat cell;
        cell.thinBorder = true;
        cell.borderColour = PackWorkbookColour(RedOf(kBorderGrey), GreenOf(kBorderGrey), BlueOf(kBorderGrey));
        cell.alignH = alignH;
        cell.alignV = header ? CellAlignV::Centre : CellAlignV::Top;
        if (header) {
            cell.bold = true;
            cell.solidFill = true;
            cell.fillColour = headerFill;
        }
        return cell;
    };
    const int headerLeft = book.AddFormat(format(true, CellAlignH::Left));
    const int headerRight = book.AddFormat(format(true, CellAlignH::Right));
    book.AddFormat(format(true, CellAlignH::Centre));   // made for the header of centred columns; unused here
    const int cell = book.AddFormat(format(false, CellAlignH::General));
    WorkbookCellFormat realFormat = format(false, CellAlignH::General);
    realFormat.builtInNumberFormat = 2;
    const int real = book.AddFormat(realFormat);
    WorkbookCellFormat longFormat = format(false, CellAlignH::Justify);
    longFormat.wrap = true;
    const int longText = book.AddFormat(longFormat);
    WorkbookCellFormat dateFormat = format(false, CellAlignH::General);
    dateFormat.numberFormat = datePattern;
    const int date = book.AddFormat(dateFormat);
    dateFormat.numberFormat = datePattern + u' ' + timePattern;
    const int dateTime = book.AddFormat(dateFormat);

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
        widths.append(preview ? std::max(n + n / 8 + 1, kPreviewMinWidth) : n + n / 8 + 1);
        const bool right = type == FieldType::Integer || type == FieldType::Real || type == FieldType::Boolean
            || type == FieldType::DateTime;
        ok = sheet->WriteString(0, i, caption, right ? headerRight : headerLeft);
    }
    ok = ok && sheet->SetRowHeight(0, CWorkbook::kDefaultRowHeight * 1.2);

    Progress progress(int(keys.size()));
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
                    ok = sheet->WriteBlank(row, i, longText);
                    if (ok && !full.image.isEmpty()) {
                        sheet->SetRowHeight(row, kPictureRowFactor * full.height);
                        ok = sheet->InsertPicture(row, i, full.image, 1.0);
                    }
                } else {
                    ok = sheet->WriteString(row, i, full.text.isEmpty() ? text : full.text, longText);
                }
                continue;
            }
            widths[i] = std::max(widths.at(i), int(text.size()) + 2);
            switch (types.at(i)) {
            case FieldType::Integer: ok = sheet->WriteNumber(row, i, text.toDouble(), cell); break;
            case FieldType::Real: {
                bool number = false;
                double value = locale.toDouble(text, &number);
                if (!number)
                    value = text.toDouble(&number);
                ok = number ? sheet->WriteNumber(row, i, value, real) : sheet->WriteString(row, i, text, cell);
                break;
            }
            case FieldType::Boolean: ok = sheet->WriteNumber(row, i, text.isEmpty() || text == u"0" ? 0 : 1, cell); break;
            case FieldType::DateTime: {
                double days = 0;
                if (text.isEmpty())
                    ok = sheet->WriteBlank(row, i, date);
                else if (ParseDateText(text, days))
                    ok = sheet->WriteNumber(row, i, days, text.size() < 12 ? date : dateTime);
                else
                    ok = sheet->WriteString(row, i, text, cell);   // never a made-up date
                break;
            }
            default: ok = sheet->WriteString(row, i, text, cell); break;
            }
        }
        ++row;
        progress.Step(row - 1);
    }
    for (int i = 0; i < columns.size() && ok; ++i)
        ok = sheet->SetColumnWidth(i, i, widths.at(i));
    if (waitShown)
        CloseWaitWindow();
    EndWait();
    if (m_topic == TopicId::Codings || m_topic == TopicId::Memos || m_topic == TopicId::SearchHits) {
        TooltipContent none;
        GetTooltipContent(-1, none);
    }
    if (!ok)
        return fail(QStringLiteral("a cell could not be written"));
    return book.Save(target, savedPath, error);
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
