// The frame's print commands: each prints the content of one pane, or the
// project's statistics.

#include "app/mainframe.h"

#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "retrieval/segmentsctrl.h"
#include "store/projectdataengine.h"
#include "ui/printengine.h"

namespace {

namespace PrintCommandText {
constexpr int CodeMemosToo = 101042;     ///< yes/no: the code tree with its memos
constexpr int CodesInMargin = 3123;      ///< yes/no: the document with its codes
}  // namespace PrintCommandText

constexpr int kFirstPrintCommand = 600;
constexpr int kLastPrintCommand = 610;

}  // namespace

bool CMainFrame::OnPrintCommand(int id)
{
    if (OnExportCommand(id))
        return true;
    if (id < kFirstPrintCommand || id > kLastPrintCommand)
        return false;
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return true;
    const QString path = document->GetEngine()->GetPath();
    switch (id) {
    case 600:
    case 601:
        if (m_documentTree)
            m_documentTree->CTreePaneBase::Print(path, false);
        break;
    case 602:
    case 603:
        if (m_codeTree)
            m_codeTree->CTreePaneBase::Print(path, AskYesNo(LoadString(PrintCommandText::CodeMemosToo)));
        break;
    case 604:
    case 605:
        if (m_browser) {
            const qint32 kind = m_browser->GetDocKind();
            const bool withCodes = (kind == TextCoderWindow::RichText || kind == TextCoderWindow::Table)
                                   && AskYesNo(LoadString(PrintCommandText::CodesInMargin));
            m_browser->PrintCodedText(withCodes);
        }
        break;
    case 606:
    case 607:
        if (m_segments)
            m_segments->Print(path, false, nullptr);
        break;
    case 608:
    case 609:
        if (m_segments)
            m_segments->Print(path, true, document);
        break;
    case 610: {
        CPrintEngine engine(PrintTitle(path), PrintDateText(), this);
        document->WriteProjectStatistics(engine.RichEdit());
        engine.Print();
        break;
    }
    default: break;
    }
    return true;
}

bool CMainFrame::OnUpdatePrintCommand(CCmdUI& ui)
{
    if (OnUpdateExportCommand(ui))
        return true;
    if (ui.id < kFirstPrintCommand || ui.id > kLastPrintCommand)
        return false;
    // Always offered; without a project they do nothing.
    ui.Enable(true);
    return true;
}
