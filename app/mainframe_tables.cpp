// The frame's table commands: variables of documents and codes in and out,
// documents with coded segments from tables, code lists, the activation
// list and the whole project as one workbook. The frame asks for files and
// answers; reading and writing rows is the imports' and exports' work.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/mainframe.h"
#include "app/textviewerdlg.h"

#include "document/kordoc.h"
#include "exchange/exchangeids.h"
#include "exchange/importcolumnsdlg.h"
#include "exchange/projectworkbooks.h"
#include "exchange/tableexports.h"
#include "exchange/tableimports.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "foundation/workbook.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QDir>
#include <QFileInfo>

namespace {

namespace TableText {
constexpr int Documents = 57724;
constexpr int FilterExcel = 102259;
constexpr int FilterText = 3127;
constexpr int UnicodeText = 100620;
constexpr int EmptyCellsQuestion = 211010;
constexpr int OpenCodeList = 211016;
constexpr int ExportDocumentVariables = 211017;
constexpr int ExportCodeVariables = 211018;
constexpr int ImportSegments = 211019;
constexpr int CodesActivated = 211029;
constexpr int ListNotRead = 211030;
constexpr int ProjectWorkbook = 211032;
constexpr int SheetNotWritten = 211033;
constexpr int DocumentSystem = 57347;
constexpr int CodeSystem = 57348;
constexpr int NotWritten = 200000;
}  // namespace TableText

constexpr int kProjectWorkbook = 620;

QString DefaultWorkbookType()
{
    return g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1 ? QStringLiteral("xlsx") : QStringLiteral("xls");
}

/// Workbooks first, then text tables.
QString VariablesFilter()
{
    return QStringLiteral("%1 (*.xls *.xlsx);;%2 (*.txt *.csv)")
        .arg(LoadString(TableText::FilterExcel), LoadString(TableText::FilterText));
}

QString TextFilter()
{
    return LoadString(TableText::FilterText) + QStringLiteral(" (*.txt *.csv)");
}

QString ExportFolder()
{
    return g_program.ExportFolder.isEmpty() ? QDir::homePath() : g_program.ExportFolder;
}

QStringList AskFiles(FilePromptKind kind, int title, const QString& filter, const QString& suffix,
                     const QString& proposed = QString())
{
    FilePrompt prompt;
    prompt.kind = kind;
    prompt.title = LoadString(title);
    prompt.filter = filter;
    prompt.defaultSuffix = suffix;
    prompt.path = proposed;
    return PromptForFiles(prompt);
}

/// The message of a file that could not be read: its path, two blanks, the
/// text and the reason.
void ShowNotRead(const QString& path, const QString& reason)
{
    ShowMessage(QStringLiteral("%1  %2\n%3").arg(path, LoadString(TableImportText::NotImported), reason),
                MessageKind::Warning);
}

void ShowNotWritten(const QString& path, const QString& reason)
{
    ShowMessage(LoadString(TableText::NotWritten).arg(QFileInfo(path).fileName(), reason), MessageKind::Error);
}

/// Empties a list topic that was empty before a workbook filled it.
void EmptyTopic(TopicDatabase& db, qint32 topic)
{
    QList<qint32> keys;
    db.GetAllKeys(topic, keys);
    for (const qint32 key : std::as_const(keys))
        db.RemoveRow(topic, key);
}

}  // namespace

void CMainFrame::ShowTableHint(int kind)
{
    // A hint only: what the user answers changes nothing.
    CTextViewerDlg hint(this, g_program.ProgramFolder, kind);
    hint.exec();
}

bool CMainFrame::OnTableCommand(int id)
{
    switch (id) {
    case TableCommand::ImportDocumentVariables: ImportVariablesTable(false); return true;
    case TableCommand::ImportCodeVariables: ImportVariablesTable(true); return true;
    case TableCommand::ExportDocumentVariables: ExportVariablesTable(false); return true;
    case TableCommand::ExportCodeVariables: ExportVariablesTable(true); return true;
    case kProjectWorkbook: ExportProjectWorkbook(); return true;
    default: return false;
    }
}

bool CMainFrame::OnUpdateTableCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case TableCommand::ImportDocumentVariables:
    case TableCommand::ImportCodeVariables:
    case TableCommand::ExportDocumentVariables:
    case TableCommand::ExportCodeVariables:
    case kProjectWorkbook: ui.Enable(GetDocument() != nullptr); return true;
    default: return false;
    }
}

void CMainFrame::ImportVariablesTable(bool codes)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    // From the code tree's menu the variables go below the code clicked.
    const qint32 parent =
        codes && m_contextTarget.kind == NodeKind::Code ? m_contextTarget.item : 0;
    const QString path =
        AskFiles(FilePromptKind::OpenFile, TableText::Documents, VariablesFilter(), DefaultWorkbookType()).value(0);
    if (path.isEmpty())
        return;
    PumpUiMessages();
    const bool listOpen = m_listWindows && m_listWindows->Window(CListWindows::Variables);
    QString text;
    if (tableimport::IsWorkbookFile(path)) {
        QString error;
        if (!tableimport::ReadExcelSheetText(path, text, &error)) {
            ShowNotRead(path, error);
            return;
        }
        if (text.isEmpty())
            return;   // an empty sheet holds nothing to import
    }
    ImportColumnsDialogChooser chooser(this);
    TableImports(*document, chooser).ImportVariablesTable(path, text, listOpen, codes, parent);
}

void CMainFrame::ExportVariablesTable(bool codes)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const QString name = LoadString(TableText::Documents);
    if (codes) {
        // Code variables go to text tables only.
        const QString path = AskFiles(FilePromptKind::SaveFile, TableText::ExportCodeVariables, TextFilter(),
                                      QStringLiteral("txt"), QDir(ExportFolder()).filePath(name + QStringLiteral(".txt")))
                                 .value(0);
        if (path.isEmpty())
            return;
        const bool unicode = AskYesNo(LoadString(TableText::UnicodeText));
        PumpUiMessages();
        BeginWait();
        document->WriteTabTextFile(path, nullptr, unicode, true);
        EndWait();
        return;
    }
    const QString type = DefaultWorkbookType();
    const QString path = AskFiles(FilePromptKind::SaveFile, TableText::ExportDocumentVariables, VariablesFilter(), type,
                                  QDir(ExportFolder()).filePath(name + u'.' + type))
                             .value(0);
    if (path.isEmpty())
        return;
    PumpUiMessages();
    if (tableimport::IsWorkbookFile(path)) {
        QString written = path;
        projectworkbooks::ExportDocumentVariables(*document, written, name, true);
        return;
    }
    const bool unicode = AskYesNo(LoadString(TableText::UnicodeText));
    BeginWait();
    document->WriteTabTextFile(path, nullptr, unicode, false);
    EndWait();
}

void CMainFrame::ImportCodedSegmentTables()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    ShowTableHint(CTextViewerDlg::TableImport);
    const bool listOpen = m_listWindows && m_listWindows->Window(CListWindows::Variables);
    const QStringList paths =
        AskFiles(FilePromptKind::OpenFiles, TableText::ImportSegments, VariablesFilter(), QStringLiteral("txt"));
    if (paths.isEmpty())
        return;
    const bool emptyNoCoding = AskYesNo(LoadString(TableText::EmptyCellsQuestion));
    PumpUiMessages();
    ImportColumnsDialogChooser chooser(this);
    for (const QString& path : paths) {
        QString text;
        QString error;
        // An unreadable file ends the series; what came in before stays.
        if (!tableimport::ReadImportFile(path, text, &error)) {
            ShowNotRead(path, error);
            return;
        }
        if (TableImports(*document, chooser).ImportCodedSegmentsTable(text, emptyNoCoding, listOpen) &&
            m_documentTree)
            m_documentTree->UpdateAllItems();
    }
}

void CMainFrame::ImportCodeList()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    ShowTableHint(CTextViewerDlg::CodeTableImport);
    const QString path =
        AskFiles(FilePromptKind::OpenFile, TableText::OpenCodeList, VariablesFilter(), QStringLiteral("txt")).value(0);
    if (path.isEmpty())
        return;
    QString text;
    QString error;
    if (!tableimport::ReadImportFile(path, text, &error)) {
        ShowNotRead(path, error);
        return;
    }
    ImportColumnsDialogChooser chooser(this);
    bool ok = false;
    const QString report = TableImports(*document, chooser).ImportCodeListText(text, &ok);
    ShowMessage(report, ok ? MessageKind::Information : MessageKind::Warning);
    if (ok && m_codeTree)
        m_codeTree->UpdateAllItems();
}

void CMainFrame::ActivateCodesFromListFile()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const QString path = PromptForFile(QString(), ProjectFileType::OpenCodeList);
    if (path.isEmpty())
        return;
    BeginWait();
    const bool read = document->ActivateCodesFromList(path);
    EndWait();
    if (!read) {
        ShowNotRead(path, LoadString(TableText::ListNotRead));
        return;
    }
    UpdateStatusBar();
}

void CMainFrame::ExportProjectWorkbook()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const QString type = DefaultWorkbookType();
    const QString stem = QFileInfo(document->GetEngine()->GetPath()).completeBaseName();
    const QString filter = LoadString(TableText::FilterExcel) +
                           (type == u"xlsx" ? QStringLiteral(" (*.xlsx *.xls)") : QStringLiteral(" (*.xls *.xlsx)"));
    QString path = AskFiles(FilePromptKind::SaveFile, TableText::ProjectWorkbook, filter, type,
                            QDir(ExportFolder()).filePath(stem + u'.' + type))
                       .value(0);
    if (path.isEmpty())
        return;
    PumpUiMessages();
    // The book is written whole under a temporary name and renamed into
    // place: an existing file stays until the new one is there.
    CWorkbook book;
    QString error;
    if (!book.CreateFor(path, &error)) {
        if (!error.isEmpty())
            ShowNotWritten(path, error);
        return;
    }
    BeginWait();
    ShowWaitWindow();
    TopicDatabase& db = document->GetDatabase();
    QString failed;
    const auto sheet = [&](bool written, int title) {
        if (!written && failed.isEmpty())
            failed = LoadString(TableText::SheetNotWritten).arg(LoadString(title));
    };
    if (m_documentTree)
        sheet(static_cast<CTreePaneBase*>(m_documentTree)->ExportToExcel(book, LoadString(TableText::DocumentSystem), false),
              TableText::DocumentSystem);
    if (m_codeTree)
        sheet(static_cast<CTreePaneBase*>(m_codeTree)->ExportToExcel(book, LoadString(TableText::CodeSystem), false), TableText::CodeSystem);
    for (const qint32 topic : {qint32(TopicId::Memos), qint32(TopicId::Codings)}) {
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        QString none;
        sheet(document->ExportRetrievedSegments(topic, keys, none, false, &book),
              topic == TopicId::Memos ? ExportText::MemosTitle : ExportText::CodingsTitle);
    }
    QString none;
    sheet(projectworkbooks::ExportDocumentVariables(*document, none, LoadString(TableText::Documents), false, &book),
          TableText::Documents);
    // The variable overview and the link table are built for the book; a
    // list window that showed them keeps its rows.
    for (const qint32 topic : {qint32(TopicId::DocumentVariables), qint32(TopicId::MapLinks)}) {
        const bool wasEmpty = db.GetRowCount(topic) == 0;
        if (topic == TopicId::DocumentVariables)
            document->BuildVariableList(false);
        else
            document->BuildLinkTable(0);
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        sheet(document->ExportRetrievedSegments(topic, keys, none, false, &book),
              topic == TopicId::DocumentVariables ? ExportText::VariablesTitle : ExportText::LinksTitle);
        if (wasEmpty)
            EmptyTopic(db, topic);
    }
    QString saved;
    const bool written = failed.isEmpty() && book.Save(path, &saved, &error);
    CloseWaitWindow();
    EndWait();
    if (!written) {
        ShowNotWritten(path, failed.isEmpty() ? error : failed);
        return;
    }
    TableExports::OpenResult(saved);
}
