// The frame's part of the two trees: making them, their owner, their place
// in the document's registry, and where their commands go.

#include "app/appids.h"
#include "app/baseview.h"
#include "app/mainframe.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/stringstore.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"

void CMainFrame::BuildTrees()
{
    m_documentTree = new TreePaneWindow(this);
    m_documentTree->setWindowTitle(LoadString(AppText::DocumentTree));
    m_documentTree->SetControlId(PaneControlId::DocumentTree);
    // Files from the desktop go into the group under the drop, once the
    // drop has ended.
    m_documentTree->SetFileDropHandler([this](const QStringList& paths, qint32 kind, qint32 id) {
        if (!GetDocument())
            return false;
        const qint32 group = ImportGroupOf(kind, id);
        QMetaObject::invokeMethod(
            this,
            [this, paths, group] {
                QStringList list = paths;
                ImportDocumentFiles(group, &list, nullptr, false);
            },
            Qt::QueuedConnection);
        return true;
    });
    m_codeTree = new CObjTreeCtrl(this);
    m_codeTree->setWindowTitle(LoadString(AppText::CodeTree));
    m_codeTree->SetControlId(PaneControlId::CodeTree);
    for (CTreePaneBase* tree : {static_cast<CTreePaneBase*>(m_documentTree), static_cast<CTreePaneBase*>(m_codeTree)}) {
        tree->SetOwner(this);
        if (m_document)
            m_document->GetRegistry().Register(tree);
        // What a tree does not do itself runs through the command route.
        connect(tree, &CTreePaneBase::CommandForOwner, this, [this](int id) { m_commands.Execute(id); });
        connect(tree, &CTreePaneBase::ColourFilterRequested, this, &CMainFrame::OnEditIdList);
    }
    BuildCodeToolListener();
}

void CMainFrame::ConnectPaneCaptions()
{
    for (CBaseView* view : m_views)
        view->SetCommandState([this](int id) { return m_commands.QueryState(id); });
    connect(&m_commands, &CCommandManager::StatesRefreshed, this, [this] {
        for (CBaseView* view : m_views)
            view->UpdateCaptionButtons();
    });
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
