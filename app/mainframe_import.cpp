// The frame's part of the document file import: the command on the
// documents root and on groups, and files dropped on the document tree.

#include "app/contextmenus.h"
#include "app/mainframe.h"
#include "document/documentfileimport.h"
#include "document/kordoc.h"

void CMainFrame::ImportDocumentFiles(qint32 group, QStringList* paths, QList<qint32>* ids, bool noSizeQuestion)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    DocumentFileImport(*document).Run(group, paths, ids, noSizeQuestion);
}

qint32 CMainFrame::ImportGroupOf(qint32 nodeKind, qint32 id) const
{
    const CKorDoc* document = GetDocument();
    if (!document)
        return 0;
    switch (nodeKind) {
    case NodeKind::DocumentGroup: return id;
    case NodeKind::Document: return qMax(0, document->GetDocumentGroup(id));
    default: return 0;
    }
}
