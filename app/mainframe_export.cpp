// The frame's export commands: each asks for a file and its type, keeps the
// type per pane, and hands the pane's content to its writer.

#include "app/mainframe.h"
#include "app/projectxmlcommands.h"

#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "exchange/tableexports.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/segmentsctrl.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

namespace ExportCommandText {
constexpr int DocumentSystem = 57347;
constexpr int CodeSystem = 57348;
constexpr int Segments = 57723;
constexpr int CodeMatrix = 3131;
constexpr int DialogTitle = 57714;
constexpr int FilterExcel = 102259;
constexpr int FilterRtf = 3129;
constexpr int FilterHtml = 3128;
constexpr int FilterText = 3127;
constexpr int CodeMemosToo = 101042;     ///< yes/no: the code tree with its memos
constexpr int NumberedParagraphs = 101020;
constexpr int ActivatedOnly = 3017;
constexpr int UnicodeText = 100620;
constexpr int NotWritten = 200000;       ///< "%1" the file, "%2" the reason
constexpr int NotAvailable = 200008;
constexpr int NoContent = 200009;
}  // namespace ExportCommandText

constexpr int kFirstExportCommand = 612;
constexpr int kLastExportCommand = 622;
constexpr int kSegmentsHtml = 611;
constexpr int kSegmentsTable = 658;

const QString kTypeKey = QStringLiteral("ExportFileType");

enum class Entry { Excel, Rtf, Html, Text };

QString EntryText(Entry entry)
{
    const bool xlsx = g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1;
    switch (entry) {
    case Entry::Excel:
        return LoadString(ExportCommandText::FilterExcel)
            + (xlsx ? QStringLiteral(" (*.xlsx *.xls)") : QStringLiteral(" (*.xls *.xlsx)"));
    case Entry::Rtf: return LoadString(ExportCommandText::FilterRtf) + QStringLiteral(" (*.rtf)");
    case Entry::Html: return LoadString(ExportCommandText::FilterHtml) + QStringLiteral(" (*.htm)");
    case Entry::Text: return LoadString(ExportCommandText::FilterText) + QStringLiteral(" (*.txt *.csv)");
    }
    return {};
}

QString DefaultWorkbookType()
{
    return g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1 ? QStringLiteral("xlsx") : QStringLiteral("xls");
}

QString RememberedType(const QString& section)
{
    return PrivateProfile(g_program.ProfilePath).GetString(section, kTypeKey, DefaultWorkbookType());
}

void RememberType(const QString& section, const QString& path)
{
    PrivateProfile(g_program.ProfilePath).WriteString(section, kTypeKey, QFileInfo(path).suffix());
}

bool IsExcel(const QString& extension)
{
    return extension == u"xls" || extension == u"xlsx";
}

/// The save dialog: the entries in the order given, the remembered type as
/// default suffix, the title made safe as the proposed name. Empty when
/// cancelled.
QString AskExportFile(const QString& title, const QList<Entry>& entries, const QString& type)
{
    QStringList filters;
    for (const Entry entry : entries)
        filters.append(EntryText(entry));
    QString name = title;
    SanitizeFileName(name, true);
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(ExportCommandText::DialogTitle);
    prompt.filter = filters.join(QStringLiteral(";;"));
    prompt.defaultSuffix = type;
    prompt.path = QDir(g_program.ExportFolder.isEmpty() ? QDir::homePath() : g_program.ExportFolder)
                      .filePath(name + u'.' + type);
    return PromptForFiles(prompt).value(0);
}

void ShowNotWritten(const QString& path, const QString& reason)
{
    ShowMessage(LoadString(ExportCommandText::NotWritten).arg(QFileInfo(path).fileName(), reason),
                MessageKind::Error);
}

}  // namespace

bool CMainFrame::OnExportCommand(int id)
{
    if (OnTableCommand(id))
        return true;
    if ((id < kFirstExportCommand || id > kLastExportCommand) && id != kSegmentsHtml && id != kSegmentsTable)
        return false;
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return true;
    const auto waitCursor = [] {
        PumpUiMessages();
        BeginWait();
    };
    switch (id) {
    case 612:
    case 613: {
        CTreePaneBase* tree = id == 612 ? static_cast<CTreePaneBase*>(m_documentTree)
                                        : static_cast<CTreePaneBase*>(m_codeTree);
        if (!tree)
            break;
        const bool memos = id == 613 && AskYesNo(LoadString(ExportCommandText::CodeMemosToo));
        const QString section = id == 612 ? QStringLiteral("TextsCtrl") : QStringLiteral("CodewordsCtrl");
        const QString type = RememberedType(section);
        const QList<Entry> entries = type.compare(u"rtf", Qt::CaseInsensitive) == 0 ? QList{Entry::Rtf, Entry::Excel}
                                                                                       : QList{Entry::Excel, Entry::Rtf};
        const QString title = LoadString(id == 612 ? ExportCommandText::DocumentSystem : ExportCommandText::CodeSystem);
        const QString path = AskExportFile(title, entries, type);
        if (path.isEmpty())
            break;
        waitCursor();
        RememberType(section, path);
        const QString extension = QFileInfo(path).suffix().toLower();
        QString error;
        QString saved;
        if (IsExcel(extension) || extension == u"rtf") {
            if (tree->ExportToExcel(path, memos, IsExcel(extension), false, &saved, &error))
                TableExports::OpenResult(saved);
            else if (!error.isEmpty())
                ShowNotWritten(path, error);
        }
        EndWait();
        break;
    }
    case 614:
    case 615: ExportBrowserDocument(); break;
    case 616:
    case 617: {
        if (!m_segments)
            break;
        const QString section = QStringLiteral("SegmentsCtrl");
        const QString type = RememberedType(section);
        QList<Entry> entries{Entry::Excel, Entry::Html, Entry::Rtf};
        if (type.compare(u"rtf", Qt::CaseInsensitive) == 0)
            entries = {Entry::Rtf, Entry::Excel, Entry::Html};
        else if (type.compare(u"htm", Qt::CaseInsensitive) == 0)
            entries = {Entry::Html, Entry::Excel, Entry::Rtf};
        const QString path = AskExportFile(LoadString(ExportCommandText::Segments), entries, type);
        if (path.isEmpty())
            break;
        waitCursor();
        RememberType(section, path);
        const QString extension = QFileInfo(path).suffix().toLower();
        QList<qint32> codings;
        m_segments->GetSegmentIds(codings);
        if (IsExcel(extension)) {
            QString written = path;
            document->ExportRetrievedSegments(TopicId::Codings, codings, written, true);
        } else if (extension == u"htm") {
            document->ExportCodingsHtml(codings, path);
        } else if (extension == u"rtf") {
            m_segments->SetFileOpener([](const QString& file) {
                TableExports::OpenResult(file);
                return true;
            });
            m_segments->ExportRtf(path, document);
        }
        EndWait();
        break;
    }
    case 618: {
        FilePrompt prompt;
        prompt.kind = FilePromptKind::Folder;
        prompt.path = g_program.ExportFolder;
        const QString folder = PromptForFiles(prompt).value(0);
        if (folder.isEmpty())
            break;
        g_program.ExportFolder = folder;
        waitCursor();
        QString root = QDir(folder).filePath(document->GetProjectName());
        if (MakeUniqueFolderName(root))
            document->ExportDocumentFolders(root);
        else
            ShowNotWritten(root, QString());
        EndWait();
        break;
    }
    case 619: {
        const QString section = QStringLiteral("CodesMatrix");
        const QString type = RememberedType(section);
        const bool text = type.compare(u"txt", Qt::CaseInsensitive) == 0 || type.compare(u"csv", Qt::CaseInsensitive) == 0;
        const QString path = AskExportFile(LoadString(ExportCommandText::CodeMatrix),
                                           text ? QList{Entry::Text, Entry::Excel} : QList{Entry::Excel, Entry::Text},
                                           type);
        if (path.isEmpty())
            break;
        bool activatedOnly = false;
        if (document->GetActivatedCount(TopicId::Documents) > 0 && document->GetActivatedCount(TopicId::Codes) > 0)
            activatedOnly = AskYesNo(LoadString(ExportCommandText::ActivatedOnly));
        RememberType(section, path);
        const bool excel = IsExcel(QFileInfo(path).suffix().toLower());
        const bool unicode = !excel && AskYesNo(LoadString(ExportCommandText::UnicodeText));
        waitCursor();
        document->ExportTableExcel(path, activatedOnly, unicode, excel);
        EndWait();
        break;
    }
    case kSegmentsHtml:
    case kSegmentsTable: {
        if (!m_segments)
            break;
        QList<qint32> codings;
        m_segments->GetSegmentIds(codings);
        waitCursor();
        if (id == kSegmentsHtml) {
            document->ExportCodingsHtml(codings, QString());
        } else {
            QString written;
            document->ExportRetrievedSegments(TopicId::Codings, codings, written, true);
        }
        EndWait();
        break;
    }
    case 621: ExportProjectXml(*this); break;
    case 622: ExportReportXml(*this); break;
    default:
        // 620 writes what is not built yet; it is shown disabled.
        ShowMessage(LoadString(ExportCommandText::NotAvailable));
        break;
    }
    return true;
}

bool CMainFrame::OnUpdateExportCommand(CCmdUI& ui)
{
    if (OnUpdateTableCommand(ui))
        return true;
    if ((ui.id < kFirstExportCommand || ui.id > kLastExportCommand) && ui.id != kSegmentsHtml
        && ui.id != kSegmentsTable)
        return false;
    // The whole-project workbook is not built yet.
    ui.Enable(ui.id != 620);
    return true;
}

void CMainFrame::ExportBrowserDocument()
{
    CKorDoc* document = GetDocument();
    if (!document || !m_browser || !m_browser->HasDocument())
        return;
    const qint32 id = m_browser->GetShownDocument();
    const qint32 kind = m_browser->GetDocKind();
    TopicDatabase& db = document->GetDatabase();
    const QString title = db.FormatRowDisplay(TopicId::Documents, id, false);
    const QString section = QStringLiteral("TextCoderCtrl");
    QString path;
    switch (kind) {
    case TextCoderWindow::RichText: {
        const QString type = RememberedType(section);
        path = AskExportFile(title, type.compare(u"rtf", Qt::CaseInsensitive) == 0 ? QList{Entry::Rtf, Entry::Excel}
                                                                                   : QList{Entry::Excel, Entry::Rtf},
                             type);
        break;
    }
    case TextCoderWindow::Pdf:
    case TextCoderWindow::Picture: {
        const QString type = kind == TextCoderWindow::Pdf ? QStringLiteral("pdf") : QStringLiteral("jpg");
        QString name = title;
        SanitizeFileName(name, true);
        FilePrompt prompt;
        prompt.kind = FilePromptKind::SaveFile;
        prompt.title = LoadString(ExportCommandText::DialogTitle);
        prompt.filter = QStringLiteral("%1 (*.%2)").arg(LoadString(ExportCommandText::FilterText), type);
        prompt.defaultSuffix = type;
        prompt.path = QDir(g_program.ExportFolder.isEmpty() ? QDir::homePath() : g_program.ExportFolder)
                          .filePath(name + u'.' + type);
        path = PromptForFiles(prompt).value(0);
        break;
    }
    case TextCoderWindow::Table: path = AskExportFile(title, {Entry::Excel}, DefaultWorkbookType()); break;
    default: return;
    }
    if (path.isEmpty())
        return;
    RememberType(section, path);
    const QString extension = QFileInfo(path).suffix().toLower();
    QString sheet = title;
    sheet.remove(u':');
    if (kind == TextCoderWindow::RichText) {
        const bool excel = IsExcel(extension);
        const bool numbered = excel || AskYesNo(LoadString(ExportCommandText::NumberedParagraphs));
        PumpUiMessages();
        BeginWait();
        m_browser->ExportDocument(path, sheet, numbered, excel);
        EndWait();
        return;
    }
    PumpUiMessages();
    BeginWait();
    // The content as stored, or the file an external document names.
    QByteArray bytes;
    QString error;
    if (!document->GetDocumentContentBytes(id, bytes, &error)) {
        EndWait();
        ShowNotWritten(path, error.isEmpty() ? LoadString(ExportCommandText::NoContent) : error);
        return;
    }
    bool written = false;
    if (kind == TextCoderWindow::Table) {
        CTableData table;
        written = table.LoadFromBytes(bytes) && table.ExportExcel(sheet, path, nullptr, &error);
    } else {
        QSaveFile file(path);
        written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
        if (!written)
            error = file.errorString();
    }
    EndWait();
    if (!written)
        ShowNotWritten(path, error);
}
