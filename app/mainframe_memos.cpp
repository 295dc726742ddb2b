// The memo window and the project logbook: opening them, what they ask of
// the project, and the memo commands of the context menus.

#include "app/mainframe.h"

#include "app/contextmenus.h"
#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/logbookdlg.h"
#include "panes/memodlg.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"
#include "ui/richeditwnd.h"
#include "ui/richtexteditorwnd.h"

#include <QTabBar>

namespace {

constexpr int kMemoCaption = 100366;
constexpr int kDeleteMemos = 102353;
constexpr int kLogbookCommand = 33234;
const QString kLogKey = QStringLiteral("LOG");

}  // namespace

CMemoDlg* CMainFrame::MemoWindow() const
{
    return m_memoWindow.data();
}

CLogbookDlg* CMainFrame::LogbookWindow() const
{
    return m_logbook.data();
}

void CMainFrame::OpenMemo(qint32 memo)
{
    CKorDoc* document = GetDocument();
    if (!document || memo <= 0)
        return;
    if (!m_memoWindow) {
        auto* window = new CMemoDlg(this);
        window->SetOwner(this);
        window->storer = [this](const CMemoDlg::Edit& edit) {
            CKorDoc* open = GetDocument();
            return open && open->StoreMemo(edit);
        };
        window->quickCodes = [this] {
            QList<QPair<qint32, QString>> entries;
            if (CKorDoc* open = GetDocument())
                for (const qint32 code : m_quickCodes.Codes())
                    entries.append({code, open->GetDatabase().FormatRowDisplay(TopicId::Codes, code, false)});
            return entries;
        };
        window->projectName = [this] {
            const CKorDoc* open = GetDocument();
            return open ? open->GetProjectName() : QString();
        };
        document->GetRegistry().Register(window);
        m_memoWindow = window;
    }
    if (!m_memoWindow->OpenMemo(memo, LoadString(kMemoCaption)) && m_memoWindow->Tabs()->count() == 0) {
        delete m_memoWindow.data();
        return;
    }
    if (m_memoWindow->isMinimized())
        m_memoWindow->showNormal();
    else
        m_memoWindow->show();
    m_memoWindow->raise();
    m_memoWindow->activateWindow();
}

void CMainFrame::NewFreeMemo()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const qint32 memo = document->NewMemo(QString(), QString(), QDateTime(), QByteArray());
    if (memo > 0)
        OpenMemo(memo);
}

bool CMainFrame::CloseMemoTab(qint32 memo, bool store)
{
    return !m_memoWindow || m_memoWindow->CloseMemoTab(memo, store);
}

void CMainFrame::OnShowLogbook()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    if (m_logbook) {
        if (m_logbook->isMinimized())
            m_logbook->showNormal();
        m_logbook->raise();
        m_logbook->activateWindow();
        return;
    }
    const WaitCursor wait;
    auto* window = new CLogbookDlg(this);
    document->ReadSettingData(kLogKey, window->Log());
    window->storer = [this](const QByteArray& rtf) { return OnRequestWriteLog(rtf); };
    window->linkOpener = [this](const QString& target) { return OpenTargetSafely(target); };
    m_logbook = window;
    window->show();
    window->Editor()->Editor()->SetSel(0, 0);
}

bool CMainFrame::OnRequestWriteLog(const QByteArray& rtf)
{
    CKorDoc* document = GetDocument();
    return document && m_logbook && document->WriteSettingData(kLogKey, rtf);
}

void CMainFrame::CloseMemoWindows()
{
    // The project goes: what was edited is stored, whatever the outcome.
    if (m_memoWindow) {
        m_memoWindow->StoreCurrent();
        m_memoWindow->LeaveRegistry();
        delete m_memoWindow.data();
    }
    if (m_logbook) {
        if (m_logbook->IsModified())
            m_logbook->StoreLog();
        delete m_logbook.data();
    }
}

void CMainFrame::RunMemoContextCommand(CKorDoc& document, int id)
{
    const ContextTarget& target = m_contextTarget;
    const qint32 item = target.item;
    bool created = false;
    qint32 memo = 0;
    const WaitCursor wait;
    switch (id) {
    case 20029:
        if (item > 0)
            memo = document.GetDocumentMemo(item, created, true);
        break;
    case 20067:
        if (item > 0)
            memo = document.GetCodeMemo(item, created, true, QByteArray());
        break;
    case 20110:
        if (item > 0)
            memo = document.GetSetMemo(item, created, true);
        break;
    case 20112:
        if (item > 0)
            memo = document.GetSetMemberMemo(item, created, true);
        break;
    case 20114:
        if (item > 0)
            memo = document.GetGroupMemo(item, created, true);
        break;
    case 20116: memo = document.GetProjectMemo(created, true); break;
    case 20089: memo = item; break;
    case 20120: memo = document.NewMemo(QString(), QString(), QDateTime(), QByteArray()); break;
    case 20088: {
        QList<ObjectRef> items;
        for (const quint32 each : target.selection)
            items.append({TopicId::Memos, qint32(each)});
        if (items.isEmpty() && item > 0)
            items.append({TopicId::Memos, item});
        if (items.isEmpty() || !AskDeleteConfirmation(kDeleteMemos))
            return;
        // The open memo keeps its edits until it goes; its tab closes with it.
        if (m_memoWindow)
            for (const ObjectRef& each : std::as_const(items))
                if (each.key == m_memoWindow->CurrentMemo())
                    m_memoWindow->StoreCurrent();
        document.DeleteItems(items);
        m_contextTarget.selection.clear();
        UpdateStatusBar();
        if (m_browser)
            m_browser->UpdateStripeHotItem();
        return;
    }
    default: return;
    }
    if (memo <= 0)
        return;
    OpenMemo(memo);
    if (id == 20089 && m_browser)
        m_browser->UpdateStripeHotItem();
}

bool CMainFrame::OnMemoCommand(int id)
{
    if (id != kLogbookCommand)
        return false;
    OnShowLogbook();
    return true;
}

bool CMainFrame::OnUpdateMemoCommand(CCmdUI& ui)
{
    if (ui.id != kLogbookCommand)
        return false;
    ui.Enable(GetDocument() != nullptr);
    return true;
}
