// The frame's part of the two trees: making them, their owner and their
// place in the document's registry.

#include "app/appids.h"
#include "app/mainframe.h"
#include "app/treerequestforwarder.h"
#include "document/kordoc.h"
#include "foundation/stringstore.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"

namespace {

// Control ids the trees' requests carry.
constexpr qint32 kDocumentTreeId = 508;
constexpr qint32 kCodeTreeId = 509;

}  // namespace

void CMainFrame::BuildTrees()
{
    m_treeRequests = std::make_unique<CTreeRequestForwarder>(m_document);
    m_documentTree = new TreePaneWindow(this);
    m_documentTree->setWindowTitle(LoadString(AppText::DocumentTree));
    m_documentTree->SetControlId(kDocumentTreeId);
    m_codeTree = new CObjTreeCtrl(this);
    m_codeTree->setWindowTitle(LoadString(AppText::CodeTree));
    m_codeTree->SetControlId(kCodeTreeId);
    for (CTreePaneBase* tree : {static_cast<CTreePaneBase*>(m_documentTree), static_cast<CTreePaneBase*>(m_codeTree)}) {
        tree->SetOwner(m_treeRequests.get());
        if (m_document)
            m_document->GetRegistry().Register(tree);
    }
}

void CMainFrame::DestroyTrees()
{
    delete std::exchange(m_documentTree, nullptr);
    delete std::exchange(m_codeTree, nullptr);
}

QWidget* CMainFrame::DocumentTreeWidget() const
{
    return m_documentTree;
}

QWidget* CMainFrame::CodeTreeWidget() const
{
    return m_codeTree;
}
