// The frame's part of the document browser: making it, answering its
// requests until the frame's router takes them, and the handlers that open
// documents in it, code its selection, commit its edits and follow its links.

#include "app/appids.h"
#include "app/mainframe.h"
#include "browser/browserids.h"
#include "browser/textcoderwindow.h"
#include "document/codingrecord.h"
#include "document/kordoc.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/requestowner.h"
#include "document/documentids.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"
#include "store/storeids.h"
#include "ui/titleeditpopup.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

constexpr qint32 kFromDocumentView = 0x200;
constexpr int kParagraphPopupCaption = 57707;
constexpr int kPreviewLength = 63;

/// Kinds of the objects of drops and open requests that are no topics.
namespace DropKind {
constexpr qint32 DocumentGroup = 2;
constexpr qint32 DocumentSet = 4;
constexpr qint32 Document = 5;
constexpr qint32 SetMember = 6;
constexpr qint32 Code = 8;
}  // namespace DropKind

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

}  // namespace

/// Answers the browser's requests: item queries and changes, records and
/// settings from the document, drops, open requests and stripe clicks by
/// the frame's handlers. Nothing is answered without an open project.
class CBrowserRequests : public QObject, public RequestOwner {
public:
    explicit CBrowserRequests(CMainFrame* frame) : QObject(frame), m_frame(frame) {}

    void Request(NotifyHead& record) override
    {
        CKorDoc* doc = m_frame->Document();
        if (!doc || !doc->GetEngine())
            return;
        switch (record.code) {
        case RequestCode::ItemInfo: {
            auto& info = static_cast<ListNotifyInfo&>(record);
            if (info.query)
                doc->HandleItemQuery(info);
            else
                doc->HandleItemChange(info);
            break;
        }
        case RequestCode::GetRecord:
            doc->HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
            break;
        case RequestCode::ReadSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = doc->ReadSetting(info.key, info.value);
            break;
        }
        case RequestCode::WriteSetting: {
            auto& info = static_cast<SettingNotifyInfo&>(record);
            info.result = doc->WriteSettingString(info.key, info.value);
            break;
        }
        case RequestCode::Drop:
            m_frame->OnDropRequest(static_cast<DropNotifyInfo&>(record));
            break;
        case RequestCode::OpenItem:
            m_frame->OnRequestOpenItem(static_cast<IdListNotifyInfo&>(record));
            break;
        case RequestCode::FollowItem: {
            // A click on a stripe selects its segment.
            const auto& info = static_cast<IdListNotifyInfo&>(record);
            if (info.kind == TopicId::Codings && info.itemId != 0 && m_frame->Browser())
                m_frame->Browser()->SelectCodingById(info.itemId);
            break;
        }
        default:
            break;
        }
    }

    QString ProjectIdentity() const override
    {
        const CKorDoc* doc = m_frame->Document();
        const ProjectDataEngine* engine = doc ? doc->GetEngine() : nullptr;
        return engine ? QFileInfo(engine->GetPath()).canonicalFilePath() : QString();
    }

private:
    CMainFrame* m_frame;
};

void CMainFrame::BuildBrowser()
{
    m_browser = new TextCoderWindow(this);
    m_browser->setWindowTitle(LoadString(AppText::DocumentBrowser));
    m_browserRequests = new CBrowserRequests(this);
    m_browser->SetOwner(m_browserRequests);
    connect(m_browser, &TextCoderWindow::FollowLinkRequested, this,
            [this](qint32 link, bool external) { OpenLinkTarget(link, external); }, Qt::QueuedConnection);
    if (m_document)
        m_document->GetRegistry().Register(m_browser);
}

void CMainFrame::DestroyBrowser()
{
    delete std::exchange(m_browser, nullptr);
}

QWidget* CMainFrame::BrowserWidget() const
{
    return m_browser;
}

// ---- Drops ---------------------------------------------------------------------

void CMainFrame::OnDropRequest(DropNotifyInfo& info)
{
    if (!m_document || !m_document->GetEngine()) {
        info.handled = false;
        return;
    }
    const bool copy = info.modifierKeys & ModifierKey::Shift;
    // Documents, groups, sets and set members go to the browser; a code
    // dropped on the browser codes its selection.
    const bool toBrowser = info.targetKind == BrowserKind::Selection;
    const bool accepted = toBrowser
                          && ((info.draggedKind >= DropKind::DocumentGroup && info.draggedKind <= DropKind::SetMember
                               && info.draggedKind != 3)
                              || (info.draggedKind == DropKind::Code && info.draggedId >= 1));
    info.answer = accepted ? (copy ? 1 : 2) : 0;
    if (!info.perform) {
        info.handled = true;
        return;
    }
    if (!accepted)
        return;
    switch (info.draggedKind) {
    case DropKind::DocumentGroup:
    case DropKind::DocumentSet: {
        QList<qint32> documents;
        if (info.draggedKind == DropKind::DocumentGroup)
            m_document->GetDatabase().FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, info.draggedId,
                                                        documents);
        else {
            QList<qint32> members;
            m_document->GetDatabase().FindKeysByParent(TopicId::DocumentSetMembers, TopicId::DocumentSets,
                                                        info.draggedId, members);
            for (const qint32 member : std::as_const(members))
                documents.append(m_document->GetSetMemberDocument(member));
        }
        CommitDocumentEdits();
        m_document->OpenDocuments(documents, !copy);
        break;
    }
    case DropKind::Document:
    case DropKind::SetMember: {
        const qint32 document = info.draggedKind == DropKind::Document
                                    ? info.draggedId
                                    : m_document->GetSetMemberDocument(info.draggedId);
        if (document == m_document->GetShownDocument())
            break;
        CommitDocumentEdits();
        m_document->SetOpenDocument(document, copy ? 1 : 0);
        break;
    }
    case DropKind::Code: {
        const WaitCursor wait;
        for (int range = 0; CodeBrowserSelection(info.draggedId, range); ++range) {
        }
        break;
    }
    default:
        break;
    }
    info.handled = true;
}

// ---- Open requests ---------------------------------------------------------------

void CMainFrame::OnRequestOpenItem(IdListNotifyInfo& info)
{
    if (!m_document || !m_document->GetEngine())
        return;
    const bool shift = info.modifierKeys & ModifierKey::Shift;
    switch (info.kind) {
    case TopicId::Documents:
        CommitDocumentEdits();
        m_document->SetOpenDocument(info.itemId, shift ? 1 : 0);
        if (info.sourceFlags == kFromDocumentView && m_browser)
            m_browser->FocusView();
        break;
    case TopicId::DocumentSetMembers:
        CommitDocumentEdits();
        m_document->OpenSetMemberDocument(info.itemId, shift ? 1 : 0);
        break;
    case TopicId::Codings:
        if (m_browser)
            m_browser->UpdateStripeHotItem();
        break;
    case TopicKind::Paragraph: {
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
    record.Preview = record.IsText ? m_browser->GetSelectedText(kPreviewLength)
                                   : LoadString(BrowserText::ImagePreview);
    m_browser->GetSelectionCoverage(record.Area, record.Coverage, range);
    return true;
}

bool CMainFrame::CodeBrowserSelection(qint32 code, int range)
{
    CodingRecord record;
    if (code <= 0 || !BuildBrowserCoding(code, range, record))
        return false;
    const bool added = AddBrowserCoding(record);
    m_quickCodes.AddCode(code);
    if (added)
        m_document->RunRetrieval(m_document->GetRetrievalSettings(), 0);
    return true;
}

void CMainFrame::OnCodeSelectionWith(qint32 code)
{
    if (!m_document || !m_document->GetEngine() || code <= 0)
        return;
    const WaitCursor wait;
    CodeBrowserSelection(code, 0);
}

void CMainFrame::OnCodeInVivo()
{
    if (!m_document || !m_document->GetEngine() || !m_browser || !m_browser->HasSelection())
        return;
    const WaitCursor wait;
    // The selected words become a path of codes: line breaks as blanks,
    // empty parts dropped, each part at most 63 units.
    QString text = m_browser->GetSelectedText(-1);
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QChar(0x000B), QLatin1Char(' '));
    QStringList parts;
    for (const QString& part : text.split(QLatin1Char('\\'))) {
        const QString trimmed = part.simplified().left(kPreviewLength).trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    if (parts.isEmpty())
        return;
    const qint32 code = m_document->AddCodeByPath(0, parts.join(QLatin1Char('\\')), true);
    if (code <= 0)
        return;
    m_quickCodes.AddCode(code);
    for (int range = 0; CodeBrowserSelection(code, range); ++range) {
    }
}

// ---- Navigation -------------------------------------------------------------------

void CMainFrame::OnGoToDocumentParagraph(int paragraph, qint32 document)
{
    if (!m_document || !m_document->GetEngine() || !m_browser)
        return;
    if (document != m_document->GetShownDocument())
        CommitDocumentEdits();
    if (m_document->SetOpenDocument(document, 0))
        m_browser->GoToParagraph(paragraph, true);
}

void CMainFrame::OpenLinkTarget(qint32 link, bool external)
{
    if (!m_document || !m_document->GetEngine() || !m_browser)
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
        CommitDocumentEdits();
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

bool CMainFrame::AddBrowserCoding(CodingRecord& record)
{
    qint32 action = 0;
    // The browser's pending edits are written first, so the new coding's
    // positions and the stored text agree.
    return m_document->AddCoding(record, action, OverlapMode::Replace, nullptr, true);
}

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

bool CMainFrame::CommitDocumentEdits()
{
    if (!m_document || !m_document->GetEngine() || !m_browser || !m_browser->IsEditMode())
        return false;
    const qint32 document = m_document->GetShownDocument();
    if (document == 0 || document != m_browser->GetShownDocument() || !m_browser->IsTextDocument())
        return false;
    const WaitCursor wait;
    m_browser->SetEditable(false);
    m_browser->BeginBulkUpdate();
    QByteArray rtf;
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
