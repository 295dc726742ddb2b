// The frame's side of the retrieved segments: the pane in its view, the
// retrieval-function dialog and the commands around them.

#include "app/mainframe.h"

#include "app/appids.h"
#include "app/retrievalrequests.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/optionsrecord.h"
#include "foundation/stringstore.h"
#include "retrieval/retrievalfunctiondlg.h"
#include "retrieval/segmentsctrl.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"

#include <QApplication>

namespace {

constexpr int kRetrievalSettingsPane = 30008;

}  // namespace

void CMainFrame::BuildSegmentsPane()
{
    m_retrievalRequests = std::make_unique<CRetrievalRequests>(*this, m_document);
    m_segments = new SegmentsCtrl(this);
    m_segments->setWindowTitle(LoadString(AppText::RetrievedSegments));
    m_segments->SetOwner(m_retrievalRequests.get());
    connect(m_segments, &SegmentsCtrl::OwnerCommand, this, [this](int id) { m_commands.Execute(id); });
    connect(this, &CMainFrame::StatusPaneDoubleClicked, this, [this](int pane, int) {
        if (pane == kRetrievalSettingsPane)
            OpenRetrievalFunctionDialog();
    });
    if (m_document) {
        m_segments->SetDatabase(&m_document->GetDatabase());
        m_document->GetRegistry().Register(m_segments);
    }
}

CRetrievalFunctionDlg* CMainFrame::RetrievalFunctionDialog() const
{
    return m_retrievalDialog;
}

void CMainFrame::OpenRetrievalFunctionDialog()
{
    if (m_retrievalDialog) {
        m_retrievalDialog->raise();
        m_retrievalDialog->activateWindow();
        return;
    }
    if (!m_document || !m_document->GetEngine())
        return;
    m_retrievalDialog =
        new CRetrievalFunctionDlg(m_retrievalRequests.get(), &m_document->GetRetrievalSettings(), this);
    m_retrievalDialog->setWindowFlag(Qt::Tool);
    m_retrievalDialog->show();
}

bool CMainFrame::OnRetrievalCommand(int id)
{
    switch (id) {
    case CommandId::RetrievalFunction: OpenRetrievalFunctionDialog(); return true;
    case CommandId::ShowSegmentMemos:
        if (m_segments->MemosShown())
            m_segments->HideMemos();
        else
            m_segments->ShowMemos();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_retrievalRequests->RerunRetrieval();
        QApplication::restoreOverrideCursor();
        return true;
    default: return false;
    }
}

bool CMainFrame::OnUpdateRetrievalCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case CommandId::RetrievalFunction:
        ui.Enable(m_document && m_document->GetEngine());
        return true;
    case CommandId::ShowSegmentMemos:
        ui.Enable(true);
        ui.SetCheck(m_segments && m_segments->MemosShown());
        return true;
    default: return false;
    }
}
