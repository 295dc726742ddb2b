// The frame's part of the document browser: making it and handing it to the
// router, the drop and open-item handlers, the handlers that code its
// selection (also from the code tool window and the quick codes), commit
// its edits and follow its links, and the browser's commands.

#include "app/appids.h"
#include "app/codingoptionsdlg.h"
#include "app/mainframe.h"
#include "app/retrievalrequests.h"
#include "browser/browserids.h"
#include "browser/codetoolbardlg.h"
#include "browser/tablewnd.h"
#include "browser/pdfviewerwnd.h"
#include "browser/textcoderwindow.h"
#include "document/codingrecord.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/linktarget.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/listids.h"
#include "panes/newcodedlg.h"
#include "panes/treepanewindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/segmentsctrl.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/colorpicdlg.h"
#include "ui/titleeditpopup.h"

#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QUrl>

namespace {

constexpr qint32 kFromDocumentView = 0x200;
constexpr int kParagraphPopupCaption = 57707;
constexpr int kPagePopupCaption = 102079;
constexpr int kPagePane = 30017;
constexpr int kPreviewLength = 63;
constexpr int kCodingsMade = 57747;        ///< "%1 codings made"
constexpr int kNoQuickCode = 57744;
constexpr int kNoCodingsSelected = 5794;
constexpr int kMaxWeight = 100;
/// Drop targets and dragged kinds that are not tree nodes.
constexpr qint32 kBrowserSelection = BrowserKind::Selection;

/// File types a link may open: documents, pictures, media and map files.
/// Programs and scripts are never among them.
bool IsOpenableDocument(const QFileInfo& file)
{
    static const QStringList kTypes = {
        QStringLiteral("rtf"),  QStringLiteral("txt"),  QStringLiteral("doc"),  QStringLiteral("docx"),
        QStringLiteral("odt"),  QStringLiteral("pdf"),  QStringLiteral("htm"),  QStringLiteral("html"),
        QStringLiteral("xls"),  QStringLiteral("xlsx"), QStringLiteral("ods"),  QStringLiteral("csv"),
        QStringLiteral("ppt"),  QStringLiteral("pptx"), QStringLiteral("odp"),  QStringLiteral("jpg"),
        QStringLiteral("jpeg"), QStringLiteral("png"),  QStringLiteral("gif"),  QStringLiteral("bmp"),
        QStringLiteral("tif"),  QStringLiteral("tiff"), QStringLiteral("svg"),  QStringLiteral("mp3"),
        QStringLiteral("wav"),  QStringLiteral("ogg"),  QStringLiteral("m4a"),  QStringLiteral("mp4"),
        QStringLiteral("avi"),  QStringLiteral("mov"),  QStringLiteral("wmv"),  QStringLiteral("mkv"),
        QStringLiteral("kml"),  QStringLiteral("kmz"),
    };
    return file.isFile() && !file.isExecutable() && kTypes.contains(file.suffix().toLower());
}

/// The memo text of the new-code dialog as the rich text a memo stores.
QByteArray MemoRtf(const QString& text)
{
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    edit->SetText(text);
    QByteArray rtf;
    edit->StreamOutRtf(&rtf, false, true);
    return rtf;
}

}  // namespace

void CMainFrame::BuildBrowser()
{
    m_browser = new TextCoderWindow(this);
    m_browser->setWindowTitle(LoadString(AppText::DocumentBrowser));
    m_browser->SetControlId(PaneControlId::DocumentBrowser);
    m_browser->SetOwner(this);
    m_browser->SetViewerFactory([](qint32 kind, QWidget* parent) -> std::unique_ptr<IDocumentViewer> {
        if (kind == TextCoderWindow::Table)
            return std::make_unique<CTableWnd>(parent);
        return MakeDocumentViewer(kind, parent);
    });
    SetBrowser(m_browser);
    connect(m_browser, &TextCoderWindow::FollowLinkRequested, this,
            [this](qint32 link, bool external) { OpenLinkTarget(link, external); }, Qt::QueuedConnection);
    connect(m_browser, &TextCoderWindow::CommitRequested, this, [this] { CommitBrowserEdits(); });
    connect(m_browser, &TextCoderWindow::ViewerPageChanged, this, [this](int page) {
        const IDocumentViewer* viewer = m_browser->Viewer();
        StatusPane(kPagePane)->setText(QStringLiteral("%1 / %2").arg(page).arg(viewer ? viewer->GetPageCount() : 1));
    });
    connect(this, &CMainFrame::StatusPaneDoubleClicked, this, [this](int pane, int) {
        IDocumentViewer* viewer = m_browser ? m_browser->Viewer() : nullptr;
        if (pane != kPagePane || !viewer)
            return;
        const QPoint above = statusBar()->mapToGlobal(QPoint(0, 0));
        CTitleEditPopup popup({this, QCursor::pos().x(), above.y() - 3, 0, LoadString(kPagePopupCaption)});
        popup.SetValue(1);
        if (popup.exec() != QDialog::Accepted)
            return;
        // An entry outside the document goes to its first or last page.
        viewer->ShowPage(std::clamp(int(popup.Value()), 1, std::max(1, viewer->GetPageCount())) - 1);
    });
    connect(m_browser, &TextCoderWindow::CaptionCommandForOwner, this, [this](int id) { m_commands.Execute(id); });
    SetRequestHandler(RequestCode::OpenItem,
                      [this](NotifyHead& record) { OnRequestOpenItem(static_cast<IdListNotifyInfo&>(record)); });
    SetRequestHandler(RequestCode::Drop,
                      [this](NotifyHead& record) { OnDropRequest(static_cast<DropNotifyInfo&>(record)); });
    // A code picked in the quick-code list codes the selection.
    if (m_quickCodeCombo)
        connect(m_quickCodeCombo, &QComboBox::activated, this, [this](int row) {
            if (m_browser && m_browser->HasSelection())
                OnCodeSelectionWith(m_quickCodes.Codes().value(row));
        });
    // The coding shortcuts work wherever the focus is in the frame.
    for (const int id : {BrowserCommand::CodeInVivo, BrowserCommand::CodeWithNewCode, BrowserCommand::ZoomIn,
                         BrowserCommand::ZoomOut, BrowserCommand::ZoomReset})
        m_commands.Action(id);
    if (m_document) {
        m_document->GetRegistry().Register(m_browser);
        m_previousDocumentFrame = m_document->GetFrame();
        m_document->SetFrame(this);
    }
}

void CMainFrame::DestroyBrowser()
{
    if (m_document && m_document->GetFrame() == this)
        m_document->SetFrame(m_previousDocumentFrame);
    SetRequestHandler(RequestCode::OpenItem, {});
    SetRequestHandler(RequestCode::Drop, {});
    SetBrowser(nullptr);
    delete m_codeToolWindow.data();
    delete std::exchange(m_browser, nullptr);
}

QWidget* CMainFrame::BrowserWidget() const
{
    return m_browser;
}

bool CMainFrame::SetWindowTitle(const QString& title)
{
    setWindowTitle(title);
    return true;
}

void CMainFrame::RefreshBrowser()
{
    if (m_browser)
        m_browser->Refresh(true);
}

// ---- Commands ----------------------------------------------------------------------

bool CMainFrame::OnBrowserCommand(int id)
{
    if (!m_browser)
        return false;
    switch (id) {
    case BrowserCommand::CodeInVivo: OnCodeInVivo(); return true;
    case BrowserCommand::CodeWithNewCode: OnCodeWithNewCode(); return true;
    case BrowserCommand::CodeToolWindow: ShowCodeToolWindow(); return true;
    case BrowserCommand::CodesToToolWindow: AddCodesToCodeToolWindow(); return true;
    case BrowserCommand::CodeSegmentsWithNewCode: CodeRetrievedSegmentsWithNewCode(); return true;
    case BrowserCommand::CodeSegments: CodeRetrievedSegments(); return true;
    case BrowserCommand::Cut: m_browser->Cut(); return true;
    case BrowserCommand::Copy: m_browser->CopySelection(); return true;
    case BrowserCommand::Paste: m_browser->Paste(); return true;
    case BrowserCommand::Undo: m_browser->Undo(); return true;
    case BrowserCommand::UndoAll: m_browser->UndoAll(); return true;
    case BrowserCommand::Bold: m_browser->ToggleBold(); return true;
    case BrowserCommand::Italic: m_browser->ToggleItalic(); return true;
    case BrowserCommand::Underline: m_browser->ToggleUnderline(); return true;
    case BrowserCommand::ZoomIn: m_browser->ZoomIn(); return true;
    case BrowserCommand::ZoomOut: m_browser->ZoomOut(); return true;
    case BrowserCommand::ZoomReset: m_browser->ZoomReset(); return true;
    default: return false;
    }
}

bool CMainFrame::OnUpdateBrowserCommand(CCmdUI& ui)
{
    if (!m_browser)
        return false;
    const bool project = GetDocument() != nullptr;
    switch (ui.id) {
    case BrowserCommand::CodeInVivo:
    case BrowserCommand::CodeWithNewCode: ui.Enable(project && m_browser->HasSelection()); return true;
    case BrowserCommand::CodeToolWindow:
    case BrowserCommand::CodesToToolWindow: ui.Enable(project); return true;
    case BrowserCommand::CodeSegmentsWithNewCode:
    case BrowserCommand::CodeSegments:
        ui.Enable(project && m_segments && m_segments->GetSegmentCount() > 0);
        return true;
    case BrowserCommand::Cut: ui.Enable(m_browser->CanCut()); return true;
    case BrowserCommand::Copy: ui.Enable(m_browser->CanCopy()); return true;
    case BrowserCommand::Paste: ui.Enable(m_browser->CanPaste()); return true;
    case BrowserCommand::Undo:
    case BrowserCommand::UndoAll: ui.Enable(m_browser->IsEditMode() && m_browser->CanUndo()); return true;
    case BrowserCommand::Bold:
    case BrowserCommand::Italic:
    case BrowserCommand::Underline: ui.Enable(m_browser->IsEditMode() && m_browser->IsTextDocument()); return true;
    case BrowserCommand::ZoomIn:
    case BrowserCommand::ZoomOut:
    case BrowserCommand::ZoomReset: ui.Enable(m_browser->HasDocument()); return true;
    default: return false;
    }
}

// ---- Drops ---------------------------------------------------------------------

void CMainFrame::OnDropRequest(DropNotifyInfo& info)
{
    if (!GetDocument()) {
        info.handled = false;
        return;
    }
    // A pair the test admits but no operation carries out is refused, so
    // the cursor never promises a drop that would do nothing.
    if (!TestDrop(info) || !PerformDrop(info, false))
        info.answer = 0;
    if (!info.perform) {
        info.handled = true;
        return;
    }
    if (info.answer == 0)
        return;
    PerformDrop(info, true);
    info.handled = true;
}

bool CMainFrame::PerformDrop(const DropNotifyInfo& info, bool perform)
{
    CKorDoc& document = *GetDocument();
    const bool shift = (info.modifierKeys & ModifierKey::Shift) != 0;
    const qint32 dragged = info.draggedId;
    const qint32 target = info.targetId;
    const auto openDocuments = [&](const QList<qint32>& documents) {
        CommitBrowserEdits();
        document.OpenDocuments(documents, !shift);
    };
    const auto openDocument = [&](qint32 shown) {
        if (shown == document.GetShownDocument())
            return;
        CommitBrowserEdits();
        document.SetOpenDocument(shown, shift ? 1 : 0);
    };
    switch (info.draggedKind) {
    case NodeKind::DocumentGroup:
        if (!perform)
            return info.targetKind == kBrowserSelection || info.targetKind == NodeKind::DocumentSetsRoot;
        if (info.targetKind == kBrowserSelection)
            openDocuments(m_documentTree ? m_documentTree->GetGroupDocuments(dragged) : QList<qint32>());
        else
            document.NewDocumentSetFromGroup(dragged);
        return true;
    case NodeKind::DocumentSet: {
        if (!perform)
            return info.targetKind == kBrowserSelection;
        QList<qint32> documents;
        if (m_documentTree)
            for (const qint32 member : m_documentTree->GetSetDocuments(dragged))
                documents.append(document.GetSetMemberDocument(member));
        openDocuments(documents);
        return true;
    }
    case NodeKind::Document:
        switch (info.targetKind) {
        case kBrowserSelection:
            if (perform)
                openDocument(dragged);
            return true;
        // A document dropped with Ctrl on a group or document is copied there.
        case NodeKind::DocumentsRoot:
            return !perform || document.DuplicateDocument(dragged, NodeKind::DocumentGroup, 0);
        case NodeKind::DocumentGroup:
        case NodeKind::Document:
            return !perform || document.DuplicateDocument(dragged, info.targetKind, target);
        case NodeKind::DocumentSet: return !perform || document.AddDocumentSetMember(dragged, target, -1);
        default: return false;
        }
    case NodeKind::SetMember:
        if (info.targetKind != kBrowserSelection)
            return false;
        if (perform)
            openDocument(document.GetSetMemberDocument(dragged));
        return true;
    case NodeKind::Code:
        switch (info.targetKind) {
        case NodeKind::CodeSystemRoot: return !perform || document.CopyCodeSubtree(dragged, 0, true);
        case NodeKind::Code: return !perform || document.CopyCodeSubtree(dragged, target, shift);
        case kBrowserSelection:
            if (perform)
                CodeAllSelectionRanges(dragged, true);
            return true;
        case NodeKind::CodeSetsRoot: return !perform || document.NewCodeSetFromSubcodes(dragged);
        case NodeKind::CodeSet: return !perform || document.AddCodeSetMember(dragged, target, -1);
        // The retrieval node would set a code of the current function, and
        // the function the test admits has none.
        default: return false;
        }
    case NodeKind::Coding:
        // Recoding moves the coding to the code: a new coding of the code
        // for the same segment, the comment carried over.
        return info.targetKind == NodeKind::Code && (!perform || document.MoveCodingToCode(dragged, target));
    case kBrowserSelection:
        if (info.targetKind != NodeKind::Code)
            return false;
        if (perform) {
            document.SelectInLists(TopicId::Codes, target);
            CodeAllSelectionRanges(target, false);
        }
        return true;
    default:
        // A selection in a list's preview codes part of a coding: the
        // codings list has no preview to drag from yet.
        return false;
    }
}

// ---- Open requests ---------------------------------------------------------------

void CMainFrame::OnRequestOpenItem(IdListNotifyInfo& info)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const bool shift = info.modifierKeys & ModifierKey::Shift;
    // With Alt held an item goes to the open Modeler window instead.
    const bool toModeler = (info.modifierKeys & ModifierKey::Alt) && ModelEditor();
    switch (info.kind) {
    case NodeKind::DocumentGroup:
    case NodeKind::DocumentSet:
    case NodeKind::Code:
        if (toModeler)
            AddItemToModeler(false, info.kind, info.itemId);
        break;
    case NodeKind::Memo:
        if (toModeler) {
            AddItemToModeler(false, info.kind, info.itemId);
        } else if (info.itemId != 0) {
            const WaitCursor wait;
            OpenMemo(info.itemId);
            if (m_browser)
                m_browser->UpdateStripeHotItem();
        }
        break;
    case NodeKind::Document:
        if (toModeler) {
            AddItemToModeler(false, info.kind, info.itemId);
            break;
        }
        CommitBrowserEdits();
        document->SetOpenDocument(info.itemId, shift ? 1 : 0);
        if (info.sourceFlags == kFromDocumentView && m_browser)
            m_browser->FocusView();
        break;
    case NodeKind::SetMember:
        CommitBrowserEdits();
        document->OpenSetMemberDocument(info.itemId, shift ? 1 : 0);
        break;
    case NodeKind::Coding:
        if (m_browser)
            m_browser->UpdateStripeHotItem();
        break;
    case NodeKind::Paragraph: {
        if (!m_browser || m_browser->GetParagraphCount() == 0)
            break;
        CTitleEditPopup popup({this, info.point.x(), info.point.y(), 0, LoadString(kParagraphPopupCaption)});
        popup.SetValue(0);
        if (popup.exec() != QDialog::Accepted)
            break;
        // An entry outside the text goes to its first or last paragraph.
        const int n = std::clamp(int(popup.Value()), 1, m_browser->GetParagraphCount());
        m_browser->GoToParagraph(n, false);
        break;
    }
    case NodeKind::MediaMark: {
        // The panes select the mark (the browser its stretch); playing it
        // waits for the media player.
        CKorDoc::MediaMarkRecord mark;
        if (document->GetMediaMark(info.itemId, mark))
            document->GetRegistry().SelectObject(TopicId::MediaMarks, info.itemId, 1);
        break;
    }
    default:
        break;
    }
}

// ---- Coding the selection -----------------------------------------------------------

bool CMainFrame::BuildBrowserCoding(qint32 code, int range, CodingRecord& record) const
{
    if (!m_browser || !m_document)
        return false;
    if (!m_browser->GetSelection(record.Page, record.StartChar, record.FinishChar, record.PosX1, record.PosX2,
                                 record.IsText, range))
        return false;
    record.TextID = m_document->GetShownDocument();
    record.WordID = code;
    record.StartPara = m_browser->GetParagraphAt(record.StartChar, true, range, record.PosX1);
    record.FinishPara = m_browser->GetParagraphAt(record.FinishChar, false, range, record.PosX1);
    record.Weight = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
    m_browser->GetSelectionRtf(record.Text, range);
    record.Preview = record.IsText ? m_browser->GetSelectedText(kPreviewLength, range)
                                   : LoadString(BrowserText::ImagePreview);
    m_browser->GetSelectionCoverage(record.Area, record.Coverage, range);
    return true;
}

bool CMainFrame::CodeBrowserSelection(qint32 code, int range, bool commitEdits, qint32& action, bool& belongs)
{
    CodingRecord record;
    if (code <= 0 || !GetDocument() || !BuildBrowserCoding(code, range, record))
        return false;
    // AddCoding first has the frame write pending edits (commitEdits), so
    // the new coding's positions and the stored text agree.
    if (m_document->AddCoding(record, action, OverlapMode::Replace, nullptr, commitEdits))
        belongs = true;
    return true;
}

void CMainFrame::CodeAllSelectionRanges(qint32 code, bool commitEdits)
{
    if (code <= 0 || !GetDocument())
        return;
    const WaitCursor wait;
    // The ranges of one selection are one coding action.
    qint32 action = 0;
    bool belongs = false;
    bool coded = false;
    for (int range = 0; CodeBrowserSelection(code, range, commitEdits, action, belongs); ++range)
        coded = true;
    if (!coded)
        return;
    m_quickCodes.AddCode(code);
    // A coding that belongs in the current retrieval shows there at once.
    if (belongs)
        m_retrievalRequests->RerunRetrieval();
}

void CMainFrame::OnCodeSelectionWith(qint32 code)
{
    // Every piece of the selection (table cells, pages) is coded.
    CodeAllSelectionRanges(code, true);
}

void CMainFrame::OnCodeInVivo()
{
    CKorDoc* document = GetDocument();
    if (!document || !m_browser || !m_browser->HasSelection())
        return;
    const WaitCursor wait;
    // The selected words become a path of codes: line breaks as blanks,
    // empty parts dropped, each part at most 63 units.
    QString text = m_browser->GetSelectedText(-1);
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QChar(0x000B), QLatin1Char(' ')).replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    QStringList parts;
    for (const QString& part : text.split(QLatin1Char('\\'))) {
        const QString trimmed = part.simplified().left(kPreviewLength).trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    if (parts.isEmpty())
        return;
    const qint32 code = document->AddCodeByPath(0, parts.join(QLatin1Char('\\')), true);
    if (code <= 0)
        return;
    CodeAllSelectionRanges(code, true);
}

qint32 CMainFrame::AskNewCode(qint32 parent)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return 0;
    CNewCodeDlg dialog(this);
    dialog.m_pDoc = document;
    dialog.m_parentCode = parent;
    if (g_qdaOptions.GetBool(QdaOption::CheckNewCodeNames))
        document->ListCodeNames(dialog.m_names);
    dialog.SetColourChooser([](QWidget* owner, COLORREF& colour, const QList<COLORREF>& used) {
        ColorPicDlg picker(owner);
        picker.m_colors = used;
        picker.m_color = colour;
        if (picker.exec() != QDialog::Accepted)
            return false;
        colour = picker.m_color;
        return true;
    });
    if (dialog.exec() != QDialog::Accepted || dialog.m_name.isEmpty())
        return 0;
    const WaitCursor wait;
    CodeRecord record;
    record.parent = parent;
    record.name = dialog.m_name;
    record.color = qint32(dialog.m_color);
    const qint32 code = document->NewCode(record);
    if (code <= 0)
        return 0;
    m_quickCodes.AddCode(code);
    if (!dialog.m_memo.isEmpty()) {
        bool created = false;
        document->GetCodeMemo(code, created, true, MemoRtf(dialog.m_memo));
    }
    return code;
}

void CMainFrame::OnCodeWithNewCode()
{
    if (!GetDocument() || !m_browser || !m_browser->HasSelection())
        return;
    if (const qint32 code = AskNewCode(0))
        CodeAllSelectionRanges(code, true);
}

void CMainFrame::CodeRetrievedSegmentsWithNewCode()
{
    CKorDoc* document = GetDocument();
    if (!document || !m_segments)
        return;
    if (m_segments->GetSegmentCount() == 0) {
        ShowMessage(LoadString(BrowserText::NoRetrievedSegments), MessageKind::Warning);
        return;
    }
    const qint32 code = AskNewCode(0);
    if (code <= 0)
        return;
    CodeSegmentRecords(RetrievedSegmentRecords(), code, BatchCodingWeight());
}

QList<CodingRecord> CMainFrame::RetrievedSegmentRecords() const
{
    // The segments are read before any is coded: each new coding is
    // announced, and the pane must not change under the walk.
    QList<CodingRecord> records;
    CodingRecord record;
    for (bool more = m_segments->GetNextSegmentCoding(record, true); more;
         more = m_segments->GetNextSegmentCoding(record, false)) {
        records.append(std::move(record));
        record = CodingRecord();
    }
    return records;
}

qint32 CMainFrame::BatchCodingWeight() const
{
    const qint32 kept = m_document ? m_document->GetBatchCodingWeight() : -1;
    return kept >= 0 ? kept : g_qdaOptions.GetInt(QdaOption::DefaultWeight);
}

bool CMainFrame::AskCodingOptions(qint32& code, qint32& weight)
{
    code = m_quickCodes.SelectedCode();
    if (code <= 0) {
        ShowMessage(LoadString(kNoQuickCode), MessageKind::Warning);
        return false;
    }
    CCodingOptionsDlg dialog(this, false);
    const int selected = m_quickCodes.SelectedRow();
    dialog.m_codeText = m_quickCodes.data(m_quickCodes.index(selected)).toString();
    dialog.m_weight = BatchCodingWeight();
    for (int row = 0; row < m_quickCodes.rowCount(); ++row) {
        dialog.m_codeIds.append(m_quickCodes.Codes().value(row));
        dialog.m_codeNames.append(m_quickCodes.data(m_quickCodes.index(row)).toString());
    }
    dialog.m_selectedCode = code;
    if (dialog.exec() != QDialog::Accepted || dialog.m_selectedCode <= 0)
        return false;
    code = dialog.m_selectedCode;
    weight = std::clamp(dialog.m_weight, 0, kMaxWeight);
    m_document->SetBatchCodingWeight(weight);
    return true;
}

int CMainFrame::CodeSegmentRecords(QList<CodingRecord> records, qint32 code, qint32 weight)
{
    const WaitCursor wait;
    // The text being edited is stored first, on its own: a batch that
    // fails must not take the edit with it.
    CommitBrowserEdits();
    ::ShowWaitWindow(QStringLiteral("..."));
    const QString progress = LoadString(kCodingsMade);
    qint32 action = 0;
    int count = 0;
    bool belongs = false;
    // One action, all or nothing; the browser lays its stripes out once.
    if (m_browser)
        m_browser->SetBatchUpdate(true);
    TopicDatabase& db = m_document->GetDatabase();
    StoreTransaction transaction(&db);
    for (CodingRecord& segment : records) {
        if (!transaction.IsActive())
            break;
        segment.ID = 0;
        segment.WordID = code;
        segment.Weight = weight;
        bool written = false;
        if (m_document->AddCoding(segment, action, OverlapMode::Replace, &written, false))
            belongs = true;
        if (written)
            SetWaitText(progress.arg(++count));
    }
    if (transaction.IsActive() && !transaction.Commit()) {
        // Nothing of the batch stays; the windows were told of its codings.
        transaction.Rollback();
        m_document->RebuildTree(false);
        count = 0;
    }
    if (m_browser) {
        m_browser->SetBatchUpdate(false);
        m_browser->Refresh(true);
        m_browser->RedrawCodingStripes();
    }
    ::CloseWaitWindow();
    // A new coding that belongs in the retrieval shows there; otherwise
    // the pane only lays its segments out again.
    if (belongs)
        m_retrievalRequests->RerunRetrieval();
    else if (m_segments)
        m_segments->Relayout();
    ShowMessage(progress.arg(count), MessageKind::Information);
    return count;
}

void CMainFrame::CodeRetrievedSegments()
{
    if (!GetDocument() || !m_segments)
        return;
    if (m_segments->GetSegmentCount() == 0) {
        ShowMessage(LoadString(BrowserText::NoRetrievedSegments), MessageKind::Warning);
        return;
    }
    qint32 code = 0;
    qint32 weight = 0;
    if (AskCodingOptions(code, weight))
        CodeSegmentRecords(RetrievedSegmentRecords(), code, weight);
}

void CMainFrame::OnCodeSelectedSegments(const QList<qint32>& codings)
{
    if (!GetDocument())
        return;
    if (m_quickCodes.SelectedCode() <= 0) {
        ShowMessage(LoadString(kNoQuickCode), MessageKind::Warning);
        return;
    }
    if (codings.isEmpty()) {
        ShowMessage(LoadString(kNoCodingsSelected), MessageKind::Warning);
        return;
    }
    qint32 code = 0;
    qint32 weight = 0;
    if (!AskCodingOptions(code, weight))
        return;
    // Each selected coding's segment once more, with the chosen code: the
    // place, text and date of the segment, nothing of the old coding's
    // author, comment, colour or action.
    QList<CodingRecord> records;
    TopicDatabase& db = m_document->GetDatabase();
    for (const qint32 coding : codings) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::Codings, coding, row, true))
            continue;
        CodingRecord record;
        record.CopyFrom(row, false);
        record.TAID = 0;
        record.Type = 0;
        record.Author.clear();
        record.Comment.clear();
        records.append(std::move(record));
    }
    CodeSegmentRecords(std::move(records), code, weight);
}

void CMainFrame::ListMessage(ObjectListWindow* window, int message, const QList<qint32>& keys, const QString& path)
{
    Q_UNUSED(window);
    Q_UNUSED(path);
    if (message == ListMessage::CodeSelectedSegments)
        OnCodeSelectedSegments(keys);
    else if (message == ListMessage::CodeHitsWithQuickCode)
        OnCodeWithQuickCode();
    else if (message == ListMessage::ExportRtf)
        ExportListRtf(window, keys, path);
}

// ---- The code tool window ---------------------------------------------------------

CodeToolBarDlg* CMainFrame::CodeToolWindow() const
{
    return m_codeToolWindow;
}

void CMainFrame::ShowCodeToolWindow()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    if (m_codeToolWindow) {
        if (m_codeToolWindow->isMinimized())
            m_codeToolWindow->showNormal();
        m_codeToolWindow->raise();
        m_codeToolWindow->activateWindow();
        return;
    }
    const WaitCursor wait;
    m_codeToolWindow = new CodeToolBarDlg(document->GetProgramLists().quickCodes, this, this);
    connect(m_codeToolWindow, &CodeToolBarDlg::CodeSelection, this, &CMainFrame::OnCodeSelectionWith);
    if (m_codeToolListener)
        m_codeToolListener->SetHost(m_codeToolWindow);
    m_codeToolWindow->show();
}

void CMainFrame::AddCodesToCodeToolWindow()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    QList<qint32>& codes = document->GetProgramLists().quickCodes;
    QList<qint32> chosen;
    for (const quint32 id : std::as_const(m_contextTarget.selection))
        chosen.append(qint32(id));
    if (chosen.isEmpty())
        chosen.append(m_contextTarget.item);
    const bool members = m_contextTarget.kind == NodeKind::CodeSetMember;
    for (const qint32 item : std::as_const(chosen)) {
        const qint32 code = members ? document->GetCodeSetMemberCode(item) : item;
        if (code <= 0 || codes.contains(code))
            continue;
        codes.prepend(code);
        if (m_codeToolWindow)
            m_codeToolWindow->AddCode(code);
    }
    m_contextTarget.Reset();
    ShowCodeToolWindow();
}

// ---- Navigation -------------------------------------------------------------------

void CMainFrame::OnGoToDocumentParagraph(int paragraph, qint32 document)
{
    if (!GetDocument() || !m_browser)
        return;
    if (document != m_document->GetShownDocument())
        CommitBrowserEdits();
    if (m_document->SetOpenDocument(document, 0))
        m_browser->GoToParagraph(paragraph, true);
}

void CMainFrame::OpenLinkTarget(qint32 link, bool external)
{
    if (!GetDocument() || !m_browser)
        return;
    const WaitCursor wait;
    if (link == 0) {
        OpenTargetSafely(m_browser->PendingLinkText());
        return;
    }
    RecordNotifyInfo info;
    info.topic = TopicId::Links;
    info.key = link;
    info.readBlobs = external;
    m_document->HandleGetRecord(info);
    LinkRow row;
    if (!info.found || !LinkRowFromRow(info.row, row))
        return;
    if (external && row.LinkID == -1) {
        const QString target = LinkTargetText(row.Text);
        if (!target.isEmpty())
            OpenTargetSafely(target);
        return;
    }
    if (row.TextID != m_document->GetShownDocument())
        CommitBrowserEdits();
    if (m_document->SetOpenDocument(row.TextID, 0)) {
        m_browser->SelectSegment(row.StartChar, row.FinishChar, row.Page, row.PosX1, row.PosX2, row.IsText);
        m_document->SelectDocumentInLists(row.TextID);
    }
}

bool CMainFrame::OpenTargetSafely(const QString& target)
{
    // Stored targets may come from imported projects: only web and mail
    // addresses and existing documents are opened, local files after a
    // question, and never a program.
    const QString trimmed = target.trimmed();
    if (trimmed.isEmpty())
        return false;
    if (trimmed.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive))
        return QDesktopServices::openUrl(QUrl(trimmed));
    QString externals = GetExternalsFolder();
    const QString resolved = ResolveLinkTarget(trimmed, externals, m_document ? m_document->GetProjectFolder() : QString());
    if (IsLinkAddress(resolved)) {
        const QUrl url = QUrl::fromUserInput(resolved);
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            return QDesktopServices::openUrl(url);
    } else if (!resolved.isEmpty() && IsOpenableDocument(QFileInfo(resolved))) {
        if (!AskYesNo(LoadString(BrowserText::OpenLocalFile).arg(resolved)))
            return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(resolved).absoluteFilePath()));
    }
    ShowMessage(LoadString(BrowserText::LinkNotOpened).arg(trimmed), MessageKind::Warning);
    return false;
}

// ---- Committing edits -------------------------------------------------------------

namespace {

bool StoreDocumentText(TopicDatabase& db, qint32 document, const QByteArray& rtf, qint32 length)
{
    RowBuffer row;
    FieldValue text;
    FieldValue size;
    if (!db.ReadRow(TopicId::Documents, document, row, true) || !row.GetFieldValue(DocumentField::Text, text)
        || !text.SetBlob(rtf))
        return false;
    if (row.GetFieldValue(DocumentField::Size, size))
        size.SetInt(length);
    return row.Commit(true, false);
}

bool StoreMemoPlace(TopicDatabase& db, const MemoRow& memo)
{
    RowBuffer row;
    FieldValue pos;
    FieldValue paragraph;
    if (!db.ReadRow(TopicId::Memos, memo.ID, row, false) || !row.GetFieldValue(MemoField::Pos, pos)
        || !row.GetFieldValue(MemoField::Paragraph, paragraph))
        return false;
    pos.SetInt(memo.Pos);
    paragraph.SetInt(memo.Paragraph);
    return row.Commit(false, false);
}

bool StoreMarkPosition(TopicDatabase& db, const TimeMarkItem& mark)
{
    RowBuffer row;
    FieldValue position;
    if (!db.ReadRow(TopicId::MediaMarks, mark.id, row, false)
        || !row.GetFieldValue(MediaMarkField::StartChar, position))
        return false;
    position.SetInt(mark.position);
    return row.Commit(false, false);
}

}  // namespace

bool CMainFrame::CommitBrowserEdits()
{
    if (!GetDocument() || !m_browser || !m_browser->IsEditMode())
        return false;
    const qint32 document = m_document->GetShownDocument();
    if (document == 0 || document != m_browser->GetShownDocument()
        || (!m_browser->IsTextDocument() && m_browser->GetDocKind() != TextCoderWindow::Table))
        return false;
    const WaitCursor wait;
    m_browser->SetEditable(false);
    m_browser->BeginBulkUpdate();
    QByteArray rtf;
    // A table document's bytes are its table image.
    m_browser->GetDocumentBytes(rtf);
    const qint32 length = m_browser->GetTextLength();
    m_browser->EndBulkUpdate();

    // The text and every position that moved with it are one change: the
    // codings never point into a text that was not stored.
    TopicDatabase& db = m_document->GetDatabase();
    StoreTransaction transaction(&db);
    bool ok = transaction.IsActive() && StoreDocumentText(db, document, rtf, length);
    CodingRecord coding;
    bool deleted = false;
    for (bool more = m_browser->NextEditedStripe(true, coding, deleted); ok && more;
         more = m_browser->NextEditedStripe(false, coding, deleted))
        ok = deleted ? m_document->DeleteCoding(coding.ID) : m_document->UpdateCodingSegment(coding);
    MemoRow memo;
    for (bool more = m_browser->NextEditedMemo(true, memo, deleted); ok && more;
         more = m_browser->NextEditedMemo(false, memo, deleted)) {
        memo.Paragraph = m_browser->GetParagraphAt(memo.Pos, true, 0, 0);
        ok = StoreMemoPlace(db, memo);
    }
    LinkRow link;
    for (bool more = m_browser->NextEditedLink(true, link, deleted); ok && more;
         more = m_browser->NextEditedLink(false, link, deleted)) {
        if (deleted) {
            ok = m_document->DeleteLink(link.ID);
            continue;
        }
        CKorDoc::LinkRecord record{link.ID,  link.TextID, link.StartChar, link.FinishChar, link.LinkID,
                                   link.Text, link.PosX1, link.PosX2,     link.Page,       link.IsText};
        ok = m_document->UpdateLink(record);
    }
    TimeMarkItem mark;
    for (bool more = m_browser->NextEditedTimeMark(true, mark, deleted); ok && more;
         more = m_browser->NextEditedTimeMark(false, mark, deleted))
        ok = deleted ? m_document->DeleteMediaMarkRow(mark.id) : StoreMarkPosition(db, mark);
    if (ok && length != m_browser->EditStartLength())
        ok = m_document->UpdateCodingCoverage(document, length);
    ok = ok && transaction.Commit();
    if (!ok) {
        transaction.Rollback();
        // Nothing was stored: the text stays open for editing, and every
        // item is written again at the next commit.
        m_browser->MarkAllEdited();
        m_browser->SetEditable(true);
        ShowMessage(LoadString(BrowserText::CommitFailed), MessageKind::Error);
        return false;
    }
    m_document->GetRegistry().NotifyChange(TopicId::Documents, document);
    m_browser->UpdateMarginLayers(true);
    m_browser->InvalidateAll();
    return true;
}
