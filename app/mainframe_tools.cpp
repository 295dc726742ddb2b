// The frame's memo lists, activation resets, coding actions undone, links
// and geo links, code variables, the externals extraction, the support
// information and the co-occurring codes popup.

#include "app/mainframe.h"

#include "app/appids.h"
#include "app/listwindows.h"
#include "app/retrievalrequests.h"
#include "app/textviewerdlg.h"
#include "app/toolcommands.h"
#include "browser/mediaplayer.h"
#include "browser/textcoderwindow.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/linktarget.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "foundation/systemreport.h"
#include "foundation/waitwindow.h"
#include "panes/objtreectrl.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"
#include "ui/chartwndf.h"

#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

constexpr int kCooccurrenceMenuOffset = 10;
constexpr int kCooccurrenceEntries = ToolCommand::CooccurringLast - ToolCommand::CooccurringFirst + 1;

bool IsUncodeCommand(int id)
{
    return id >= ToolCommand::UncodeFirst && id <= ToolCommand::UncodeLast;
}

bool IsCooccurringEntry(int id)
{
    return id >= ToolCommand::CooccurringFirst && id <= ToolCommand::CooccurringLast;
}

/// A menu of the bar by its title's place; null when there is none.
QMenu* MenuAt(QMenuBar* bar, int index)
{
    QAction* title = bar->actions().value(index);
    return title ? title->menu() : nullptr;
}

/// Which memos of the user a memo list shows.
enum class MemoScope { All, OfCodes, InDocuments };

/// A file name as the wide characters a link's text block holds.
QByteArray WideText(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
}

}  // namespace

// ---- Building -----------------------------------------------------------------------

void CMainFrame::BuildToolCommands()
{
    QMenuBar* bar = menuBar();
    // File, Edit, Window, Analysis, Tools, Help.
    if (QMenu* file = MenuAt(bar, 0)) {
        QAction* after = nullptr;
        const QList<QAction*> items = file->actions();
        for (qsizetype i = 0; i + 1 < items.size(); ++i)
            if (items.at(i)->data().toInt() == CommandId::ArchiveExternals)
                after = items.at(i + 1);
        file->insertAction(after, m_commands.Action(ToolCommand::ExtractExternals));
    }
    if (QMenu* edit = MenuAt(bar, 1)) {
        edit->addSeparator();
        for (const int id : {ToolCommand::UncodePopup, ToolCommand::InsertExternalLink, ToolCommand::InsertGeoLink,
                             ToolCommand::DeleteLink})
            edit->addAction(m_commands.Action(id));
    }
    if (QMenu* window = MenuAt(bar, 2)) {
        QAction* memos = m_commands.Action(ListWindowCommand::MemosList);
        const QList<QAction*> items = window->actions();
        const qsizetype at = items.indexOf(memos);
        QAction* before = at >= 0 ? items.value(at + 1) : nullptr;
        for (const int id : {ToolCommand::MemosOfUser, ToolCommand::CodeMemosOfUser, ToolCommand::TextMemosOfUser,
                             ToolCommand::MemosOfOpenDocument})
            window->insertAction(before, m_commands.Action(id));
        window->addSeparator();
        window->addAction(m_commands.Action(ToolCommand::ToggleGeoStrip));
    }
    if (QMenu* analysis = MenuAt(bar, 3)) {
        analysis->addSeparator();
        for (const int id : {ToolCommand::DeactivateAll, ToolCommand::DeactivateDocuments, ToolCommand::DeactivateCodes,
                             ToolCommand::ResetRetrieval, ToolCommand::ActivateSubcodes})
            analysis->addAction(m_commands.Action(id));
        analysis->addSeparator();
        analysis->addAction(m_commands.Action(ToolCommand::DocumentPortrait));
    }
    if (QMenu* help = MenuAt(bar, int(bar->actions().size()) - 1)) {
        QAction* about = m_commands.Action(CommandId::AppAbout);
        help->insertAction(help->actions().contains(about) ? about : nullptr, m_commands.Action(ToolCommand::SupportInfo));
    }
}

// ---- Dispatch -------------------------------------------------------------------------

bool CMainFrame::OnToolCommand(int id)
{
    if (IsUncodeCommand(id)) {
        UndoRecentCodingAction(id - ToolCommand::UncodeFirst);
        return true;
    }
    if (IsCooccurringEntry(id)) {
        OnPickCooccurringCode(id);
        return true;
    }
    switch (id) {
    case ToolCommand::MemosOfUser:
    case ToolCommand::CodeMemosOfUser:
    case ToolCommand::TextMemosOfUser:
    case ToolCommand::MemosOfOpenDocument: ShowMemoList(id); return true;
    case ToolCommand::MemoCopy:
    case ToolCommand::MemoConvert:
    case ToolCommand::MediaMarkDelete:
    case ToolCommand::MakeCategoricalVariable:
    case ToolCommand::DeleteCategoricalVariable:
    case ToolCommand::CooccurringPopup:
        RunToolContextCommand(id);
        return true;
    case ToolCommand::ResetRetrieval: OnResetRetrieval(); return true;
    case ToolCommand::ActivateSubcodes:
        g_qdaOptions.SetBool(QdaOption::ActivateWithSubcodes, !g_qdaOptions.GetBool(QdaOption::ActivateWithSubcodes));
        return true;
    case ToolCommand::ToggleGeoStrip: OnToggleMarginColumn(); return true;
    case ToolCommand::SupportInfo: OnSupportInfo(); return true;
    case ToolCommand::ExtractExternals: OnExtractExternals(); return true;
    case ToolCommand::DeactivateAll: DeactivateWith(true, true); return true;
    case ToolCommand::DeactivateDocuments: DeactivateWith(true, false); return true;
    case ToolCommand::DeactivateCodes: DeactivateWith(false, true); return true;
    case ToolCommand::UncodePopup: ShowUncodePopup(QCursor::pos()); return true;
    case ToolCommand::InsertExternalLink: InsertLinkAtSelection(false); return true;
    case ToolCommand::InsertGeoLink: InsertLinkAtSelection(true); return true;
    case ToolCommand::DeleteLink: OnLinkDelete(); return true;
    case ToolCommand::DocumentPortrait:
    case ToolCommand::EditIdListAtPointer: return true;   // disabled: their windows are not built
    default: return false;
    }
}

bool CMainFrame::OnUpdateToolCommand(CCmdUI& ui)
{
    const int id = ui.id;
    const CKorDoc* document = GetDocument();
    const bool open = document && document->GetEngine();
    if (IsUncodeCommand(id) || IsCooccurringEntry(id)) {
        ui.Enable(open);
        return true;
    }
    switch (id) {
    case ToolCommand::MemosOfOpenDocument:
        ui.Enable(open && document->GetShownDocument() != 0);
        return true;
    case ToolCommand::ActivateSubcodes:
        ui.Enable(true);
        ui.SetCheck(g_qdaOptions.GetBool(QdaOption::ActivateWithSubcodes));
        return true;
    case ToolCommand::ToggleGeoStrip:
        ui.Enable(open && m_browser);
        ui.SetCheck(m_browser && m_browser->IsMarginColumnShown());
        return true;
    case ToolCommand::SupportInfo:
        ui.Enable(true);
        return true;
    case ToolCommand::InsertExternalLink:
    case ToolCommand::InsertGeoLink:
        ui.Enable(open && m_browser && m_browser->IsTextDocument() && m_browser->HasSelection());
        return true;
    case ToolCommand::DeleteLink:
        ui.Enable(open && m_browser && m_browser->PendingLinkId() > 0);
        return true;
    case ToolCommand::DocumentPortrait:
    case ToolCommand::EditIdListAtPointer:
        ui.Enable(false);
        return true;
    case ToolCommand::MemosOfUser:
    case ToolCommand::CodeMemosOfUser:
    case ToolCommand::TextMemosOfUser:
    case ToolCommand::MemoCopy:
    case ToolCommand::MemoConvert:
    case ToolCommand::MediaMarkDelete:
    case ToolCommand::MakeCategoricalVariable:
    case ToolCommand::DeleteCategoricalVariable:
    case ToolCommand::CooccurringPopup:
    case ToolCommand::ResetRetrieval:
    case ToolCommand::ExtractExternals:
        ui.Enable(open);
        return true;
    // Nothing to deactivate or to undo: the command rests.
    case ToolCommand::DeactivateAll:
        ui.Enable(open && (document->GetActivatedCount(TopicId::Documents) > 0
                           || document->GetActivatedCount(TopicId::Codes) > 0));
        return true;
    case ToolCommand::DeactivateDocuments:
        ui.Enable(open && document->GetActivatedCount(TopicId::Documents) > 0);
        return true;
    case ToolCommand::DeactivateCodes:
        ui.Enable(open && document->GetActivatedCount(TopicId::Codes) > 0);
        return true;
    case ToolCommand::UncodePopup: {
        qint32 code = 0;
        ui.Enable(open && document->FindPreviousAction(code, 0) != 0);
        return true;
    }
    default: return false;
    }
}

// ---- Memo lists -------------------------------------------------------------------------

void CMainFrame::ShowMemoList(int commandId)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    const TopicDatabase& db = document->GetDatabase();
    const qint32 shown = document->GetShownDocument();
    if (commandId == ToolCommand::MemosOfOpenDocument && shown == 0)
        return;
    const WaitCursor wait;
    QList<qint32> keys;
    QString title;
    if (commandId == ToolCommand::MemosOfOpenDocument) {
        if (const TopicTable* memos = db.GetTable(TopicId::Memos))
            memos->FindKeysByParent(TopicId::Documents, shown, keys);
        title = db.FormatRowDisplay(TopicId::Documents, shown, true);
    } else {
        const MemoScope scope = commandId == ToolCommand::CodeMemosOfUser   ? MemoScope::OfCodes
                                : commandId == ToolCommand::TextMemosOfUser ? MemoScope::InDocuments
                                                                            : MemoScope::All;
        keys = MemosOfUser(db, int(scope));
        title = LoadString(commandId == ToolCommand::CodeMemosOfUser   ? ToolText::TitleCodeMemosOfUser
                           : commandId == ToolCommand::TextMemosOfUser ? ToolText::TitleTextMemosOfUser
                                                                       : ToolText::TitleMemosOfUser);
    }
    m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, 0, 0, keys, title);
}

QList<qint32> CMainFrame::MemosOfUser(const TopicDatabase& db, int scope)
{
    QList<qint32> keys;
    const TopicTable* memos = db.GetTable(TopicId::Memos);
    if (!memos)
        return keys;
    const FieldList& fields = memos->Fields();
    const FieldDescriptor* author = fields.GetById(MemoField::Author);
    const FieldDescriptor* code = fields.GetById(MemoField::Code);
    const FieldDescriptor* text = fields.GetById(MemoField::Document);
    const FieldDescriptor* paragraph = fields.GetById(MemoField::Paragraph);
    if (!author || !code || !text || !paragraph)
        return keys;
    const QString user = db.GetUserName();
    memos->ForEachRow([&](qint32 key, const char* row) {
        switch (MemoScope(scope)) {
        case MemoScope::OfCodes:
            if (rowfields::IntAt(row, code->Offset) == 0)
                return;
            break;
        case MemoScope::InDocuments:
            if (rowfields::IntAt(row, text->Offset) == 0 || rowfields::IntAt(row, paragraph->Offset) == 0)
                return;
            break;
        case MemoScope::All: break;
        }
        const QString writer = FieldValue(*author, const_cast<char*>(row) + author->Offset).GetText();
        if (writer.compare(user, Qt::CaseInsensitive) == 0)
            keys.append(key);
    });
    return keys;
}

// ---- Context items: memos, media marks, code variables, co-occurring codes ------------

void CMainFrame::RunToolContextCommand(int id)
{
    CKorDoc* document = GetDocument();
    ContextTarget& target = m_contextTarget;
    if (!document || !document->GetEngine()) {
        target.Reset();
        return;
    }
    TopicDatabase& db = document->GetDatabase();
    const auto hasRow = [&](qint32 topic, qint32 key) {
        const TopicTable* table = db.GetTable(topic);
        return key > 0 && table && table->HasKey(key);
    };
    qint32 item = target.item;
    if (target.kind == NodeKind::CodeSetMember)
        item = document->GetCodeSetMemberCode(item);
    switch (id) {
    case ToolCommand::MemoCopy:
        if (hasRow(TopicId::Memos, item))
            m_contextClipboard.memoToInsert = item;
        break;
    case ToolCommand::MemoConvert:
        // The memo's open tab is stored first, so its edits go into the document.
        if (hasRow(TopicId::Memos, item) && CloseMemoTab(item, true)) {
            const WaitCursor wait;
            if (document->NewDocumentFromMemo(item) != 0)
                document->DeleteItem(TopicId::Memos, item);
            else
                ShowMessage(LoadString(ToolText::MemoNotConverted), MessageKind::Warning);
        }
        break;
    case ToolCommand::MediaMarkDelete: {
        if (!hasRow(TopicId::MediaMarks, item)
            || (g_qdaOptions.GetBool(QdaOption::AskBeforeDeleting)
                && !AskYesNo(LoadString(ToolText::DeleteMediaMarkQuestion))))
            break;
        const qint32 transcript = db.GetIntValue(TopicId::MediaMarks, item, MediaMarkField::Document);
        if (!document->DeleteMediaMark(item))
            break;
        if (transcript == document->GetShownDocument() && m_mediaPlayer && MediaReady()) {
            LoadPlayerMarks(*document, transcript);
            m_mediaPlayer->UpdateCurrentMark();
            FillTimeMarks();
        }
        RefreshBrowser();
        break;
    }
    case ToolCommand::MakeCategoricalVariable:
        if (hasRow(TopicId::Codes, item) && document->CreateCodeVariable(item, true) != 0) {
            QList<qint32> documents;
            db.GetAllKeys(TopicId::Documents, documents);
            m_listWindows->ShowObjectList(CListWindows::Variables, TopicId::Documents, 0, 0, documents,
                                          LoadString(ToolText::AllObjects));
        }
        break;
    case ToolCommand::DeleteCategoricalVariable: {
        if (!hasRow(TopicId::Codes, item))
            break;
        if (!AskDeleteConfirmation(ToolText::DeleteVariableQuestion, ToolText::DeleteVariableButton))
            break;
        document->ClearCodeLinks(item, true);
        break;
    }
    case ToolCommand::CooccurringPopup:
        if (hasRow(TopicId::Codes, item))
            ShowCooccurrencePopup(item, target.point - QPoint(0, kCooccurrenceMenuOffset));
        break;
    default: break;
    }
    target.Reset();
}

// ---- Activation ---------------------------------------------------------------------------

void CMainFrame::DeactivateWith(bool documents, bool codes)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    {
        const WaitCursor wait;
        document->DeactivateAll(true, documents, codes);
    }
    UpdateStatusBar();
    RefreshBrowser();
}

void CMainFrame::OnResetRetrieval()
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    {
        const WaitCursor wait;
        document->DeactivateAll(true, true, true);
        OptionsRecord& settings = document->GetRetrievalSettings();
        settings.retrievalFunction = 0;
        settings.weightFilter = false;
        document->RunRetrieval(settings, 0);
        // The code filter lets every colour in use through again.
        QList<COLORREF> colours;
        document->ListUsedColors(colours, TopicId::Codes);
        document->GetProgramLists().codesColorFilter = QList<quint32>(colours.begin(), colours.end());
    }
    UpdateStatusBar();
    RefreshBrowser();
}

// ---- Coding actions undone ----------------------------------------------------------------

void CMainFrame::ShowUncodePopup(QPoint point)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    // The actions newest first, each as its code and number of codings.
    QStringList lines;
    document->BuildCodeRankingList(kMaxUncodeEntries, lines);
    if (lines.isEmpty())
        return;
    delete m_toolPopup.data();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    for (int i = 0; i < lines.size() && i < kMaxUncodeEntries; ++i) {
        QAction* item = menu->addAction(lines.at(i));
        const int id = ToolCommand::UncodeFirst + i;
        item->setData(id);
        item->setToolTip(lines.at(i));
        connect(item, &QAction::triggered, this, [this, id] { m_commands.Execute(id); });
    }
    m_toolPopup = menu;
    menu->popup(point);
}

void CMainFrame::UndoRecentCodingAction(int n)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    {
        const WaitCursor wait;
        const bool waitShown = ShowWaitWindow(LoadString(57761).arg(0));
        document->UndoCodingAction(n);
        if (waitShown)
            CloseWaitWindow();
    }
    UpdateStatusBar();
    RefreshBrowser();
}

// ---- The co-occurring codes popup ---------------------------------------------------------

void CMainFrame::ShowCooccurrencePopup(qint32 code, QPoint point)
{
    delete m_toolPopup.data();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (int i = 0; i < kCooccurrenceEntries; ++i) {
        const int id = ToolCommand::CooccurringFirst + i;
        QAction* item = menu->addAction(QString());
        item->setData(id);
        connect(item, &QAction::triggered, this, [this, id] { m_commands.Execute(id); });
    }
    m_frameMode = kCooccurrenceFrameMode;
    m_frameModeCode = code;
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { PrepareCooccurrencePopup(menu); });
    // The picked entry runs before the mode goes.
    connect(menu, &QMenu::aboutToHide, this, [this] {
        QTimer::singleShot(0, this, [this] {
            m_frameMode = 0;
            m_frameModeCode = 0;
        });
    });
    m_toolPopup = menu;
    menu->popup(point);
}

void CMainFrame::PrepareCooccurrencePopup(QMenu* menu)
{
    CKorDoc* document = GetDocument();
    if (!document || m_frameMode != kCooccurrenceFrameMode)
        return;
    const WaitCursor wait;
    QList<CodeRelationEntry> entries;
    const QList<TreeRow> rows = m_codeTree ? m_codeTree->GetCodeRows() : QList<TreeRow>();
    for (const TreeRow& row : rows)
        if (row.id != m_frameModeCode)
            entries.append({row.id, 0});
    document->CountCodingsForChart(m_frameModeCode, entries);
    const QList<CoOccurrence>& found = document->GetCoOccurrences();
    const TopicDatabase& db = document->GetDatabase();
    const QList<QAction*> items = menu->actions();
    for (int i = 0; i < items.size(); ++i) {
        QAction* item = items.at(i);
        if (i < found.size()) {
            item->setText(QStringLiteral("%1  (%2)").arg(db.FormatRowDisplay(TopicId::Codes, found.at(i).code, true))
                              .arg(found.at(i).count));
        } else if (i == 0) {
            item->setText(QStringLiteral("-"));
            item->setEnabled(false);
        } else {
            menu->removeAction(item);
            delete item;
        }
    }
}

void CMainFrame::OnPickCooccurringCode(int id)
{
    CKorDoc* document = GetDocument();
    const qint32 context = m_frameModeCode;
    const bool inMode = m_frameMode == kCooccurrenceFrameMode;
    m_frameMode = 0;
    m_frameModeCode = 0;
    if (!document || !document->GetEngine() || !inMode)
        return;
    const QList<CoOccurrence>& found = document->GetCoOccurrences();
    const int index = id - ToolCommand::CooccurringFirst;
    if (index >= found.size())
        return;
    {
        const WaitCursor wait;
        document->DeactivateAll(true, true, true);
        OptionsRecord& settings = document->GetRetrievalSettings();
        settings.retrievalFunction = 1;
        settings.codeIds = {found.at(index).code, context};
        document->RunRetrieval(settings, 0);
    }
    UpdateStatusBar();
    RefreshBrowser();
}

// ---- Geo links and links ------------------------------------------------------------------

void CMainFrame::OnToggleMarginColumn()
{
    if (!GetDocument() || !m_browser)
        return;
    m_browser->ToggleMarginColumn();
    if (m_browser->IsMarginColumnShown()) {
        RebuildGeoLinkList();
    } else if (CChartWndF* margin = m_browser->ParagraphMargin()) {
        margin->m_geoLinks.clear();
        margin->update();
    }
}

void CMainFrame::RebuildGeoLinkList()
{
    CKorDoc* document = GetDocument();
    CChartWndF* margin = m_browser ? m_browser->ParagraphMargin() : nullptr;
    if (!document || !margin || !m_browser->IsMarginColumnShown())
        return;
    const qint32 shown = document->GetShownDocument();
    if (shown == 0)
        return;
    margin->m_geoLinks.clear();
    TopicDatabase& db = document->GetDatabase();
    QList<qint32> links;
    if (const TopicTable* table = db.GetTable(TopicId::Links))
        table->FindKeysByParent(TopicId::Documents, shown, links);
    for (const qint32 link : std::as_const(links)) {
        if (db.GetIntValue(TopicId::Links, link, LinkField::LinkID) != -1)
            continue;
        RowBuffer row;
        FieldValue text;
        if (!db.ReadRow(TopicId::Links, link, row, true) || !row.GetFieldValue(LinkField::Text, text) || !text.GetBlob())
            continue;
        const QString target = LinkTargetText(*text.GetBlob());
        if (target.endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive))
            margin->m_geoLinks.append(quint32(rowfields::IntOf(row, LinkField::StartChar)));
    }
    margin->update();
}

void CMainFrame::InsertLinkAtSelection(bool geo)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine() || !m_browser || !m_browser->HasSelection())
        return;
    CKorDoc::LinkRecord record;
    if (!m_browser->GetSelection(record.Page, record.StartChar, record.FinishChar, record.PosX1, record.PosX2,
                                 record.IsText, 0))
        return;
    QString target;
    if (!geo) {
        // An address on the clipboard is offered first.
        const QString clipboard = QGuiApplication::clipboard()->text().trimmed();
        const bool address = clipboard.startsWith(QStringLiteral("www."), Qt::CaseInsensitive)
                             || clipboard.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
                             || clipboard.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
        if (address
            && AskYesNo(QStringLiteral("%1\n%2").arg(LoadString(ToolText::OfferClipboardAddress), clipboard), true))
            target = clipboard;
    }
    if (target.isEmpty()) {
        target = PromptForFile(QString(), geo ? ProjectFileType::OpenKml : ProjectFileType::OpenAnyFile);
        if (target.isEmpty())
            return;
        // A file of the externals folder is kept by its name, so the folder can move.
        const QFileInfo file(target);
        if (QDir(GetExternalsFolder()).absolutePath() == file.absolutePath())
            target = file.fileName();
    }
    record.TextID = document->GetShownDocument();
    record.LinkID = -1;
    record.Text = WideText(target);
    if (!document->AddLink(record)) {
        ShowMessage(LoadString(ToolText::LinkNotAdded), MessageKind::Warning);
        return;
    }
    RefreshBrowser();
    if (geo)
        RebuildGeoLinkList();
}

void CMainFrame::OnLinkDelete()
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine() || !m_browser)
        return;
    const qint32 link = m_browser->PendingLinkId();
    if (link <= 0)
        return;
    if (g_qdaOptions.GetBool(QdaOption::AskBeforeDeleting) && !AskYesNo(LoadString(ToolText::DeleteLinkQuestion)))
        return;
    if (document->DeleteItem(TopicId::Links, link))
        RebuildGeoLinkList();
}

// ---- Support information and the externals archive ------------------------------------------

void CMainFrame::OnSupportInfo()
{
    QByteArray rtf;
    {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const WaitCursor wait;
        BuildSystemReport(rtf);
    }
    CTextViewerDlg viewer(this, QString(), CTextViewerDlg::InMemoryText);
    viewer.Buffer() = rtf;
    viewer.exec();
}

void CMainFrame::OnExtractExternals()
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    FilePrompt prompt;
    prompt.kind = FilePromptKind::OpenFile;
    prompt.title = LoadString(ToolText::ExtractTitle);
    prompt.filter = LoadString(ToolText::ArchiveFilter) + QStringLiteral(" (*.zip)");
    prompt.path = document->GetEngine()->GetFileName(true) + QStringLiteral(".zip");
    const QString archive = PromptForFiles(prompt).value(0);
    if (archive.isEmpty())
        return;
    QStringList refused;
    bool opened = false;
    {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const WaitCursor wait;
        if (!QFileInfo(archive).isFile())
            return;
        const QString folder = GetExternalsFolder();
        QDir().mkpath(folder);
        opened = ExtractZipArchive(archive, folder, &refused) || !refused.isEmpty();
    }
    if (!opened) {
        ShowMessage(LoadString(ToolText::ArchiveNotOpened).arg(archive), MessageKind::Warning);
        return;
    }
    QString report = LoadString(ToolText::Extracted);
    if (!refused.isEmpty())
        report += QStringLiteral("\n\n") + LoadString(ToolText::NotExtracted).arg(refused.join(QLatin1Char('\n')));
    ShowMessage(report, MessageKind::Warning);
}

void CMainFrame::DeleteSelectedGeoLink(CKorDoc& document)
{
    ObjectListWindow* window = m_listWindows->Window(CListWindows::GeoLinks);
    if (!window || !window->List1())
        return;
    TopicDatabase& db = document.GetDatabase();
    TopicTable* overview = db.GetTable(TopicId::MapLinks);
    const qint32 row = window->List1()->GetSelectedItemData();
    if (!overview || row <= 0 || !overview->HasKey(row))
        return;
    const qint32 link = overview->GetIntValue(row, MapLinkField::FirstLink);
    if (g_qdaOptions.GetBool(QdaOption::AskBeforeDeleting) && !AskYesNo(LoadString(ToolText::DeleteLinkQuestion)))
        return;
    if (!document.DeleteItem(TopicId::Links, link))
        return;
    // The list's row named the link: it goes with it.
    overview->RemoveRow(row);
    document.GetRegistry().NotifyDeleted(TopicId::MapLinks, row);
    RebuildGeoLinkList();
}

// ---- What the object lists ask ------------------------------------------------------------

void CMainFrame::OnCodeWithQuickCode()
{
    CKorDoc* document = GetDocument();
    qint32 code = 0;
    qint32 weight = 0;
    if (!document || !document->GetEngine() || !AskCodingOptions(code, weight))
        return;
    qint32 made = 0;
    {
        const WaitCursor wait;
        CommitBrowserEdits();
        const bool waitShown = ShowWaitWindow(QStringLiteral("..."));
        made = document->AutoCodeSearchHits(code);
        if (waitShown)
            CloseWaitWindow();
    }
    RefreshBrowser();
    UpdateStatusBar();
    ShowMessage(LoadString(ToolText::CodingsMade).arg(made));
}

void CMainFrame::ExportListRtf(ObjectListWindow* window, const QList<qint32>& keys, const QString& path)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine() || !window || keys.isEmpty() || path.isEmpty())
        return;
    const WaitCursor wait;
    switch (window->Topic()) {
    case TopicId::Codings: document->SaveSegmentListRtf(path, keys); break;
    case TopicId::Memos: document->SaveMemosRtf(path, keys); break;
    default: break;   // documents and search hits go out as tables
    }
}

void CMainFrame::MarkSelectedSearchHits(ObjectListWindow* window)
{
    CKorDoc* document = GetDocument();
    if (!document || !window || !window->List1() || window->Topic() != TopicId::SearchHits)
        return;
    TopicDatabase& db = document->GetDatabase();
    QList<qint32> hits;
    window->List1()->GetSelection(hits);
    QList<qint32> marked;
    for (const qint32 hit : std::as_const(hits)) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::SearchHits, hit, row, false) || !rowfields::SetInt(row, SearchHitField::Type, 1)
            || !row.Commit(false, false))
            continue;
        marked.append(hit);
    }
    // Marked hits are left out of autocoding and the outputs.
    for (const qint32 hit : std::as_const(marked))
        document->GetRegistry().NotifyChange(TopicId::SearchHits, hit);
}
