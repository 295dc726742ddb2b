// The frame's Modeler window: opened by its command, one at a time.

#include "app/mainframe.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "foundation/ids.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "visual/modelerdlg.h"

CModelerDlg* CMainFrame::ModelEditor() const
{
    return qobject_cast<CModelerDlg*>(m_modelEditor.data());
}

void CMainFrame::OnModeler()
{
    if (CModelerDlg* open = ModelEditor()) {
        if (open->isMinimized())
            open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    CKorDoc* document = GetDocument();
    // Without a project there is no store: the window shows an empty model
    // that nothing keeps.
    TopicDatabase* store = document && document->GetEngine() ? &document->GetDatabase() : nullptr;
    auto* window = new CModelerDlg(this, store, this, true, 0);
    window->SetProject(store ? document : nullptr);
    m_modelEditor = window;
    window->show();
}

bool CMainFrame::AddItemToModeler(bool withUndo, qint32 topic, qint32 item)
{
    CModelerDlg* window = ModelEditor();
    CKorDoc* document = GetDocument();
    if (!window || !document || item <= 0)
        return false;
    TopicDatabase& db = document->GetDatabase();
    RowBuffer row;
    QString label;
    qint32 colour = 0;
    qint32 reference = item;
    switch (topic) {
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets:
        if (!db.GetTable(topic) || !db.GetTable(topic)->HasKey(item))
            return false;
        label = db.FormatRowDisplay(topic, item, false);
        break;
    case TopicId::Documents:
        if (!db.ReadRow(topic, item, row, false))
            return false;
        label = db.FormatRowDisplay(topic, item, false);
        colour = rowfields::IntOf(row, DocumentField::Type);
        break;
    case TopicId::Codes:
        if (!db.ReadRow(topic, item, row, false))
            return false;
        label = rowfields::TextOf(row, CodeField::Name);
        colour = rowfields::IntOf(row, CodeField::Type);
        break;
    case TopicId::Codings: {
        if (!db.ReadRow(topic, item, row, false))
            return false;
        colour = rowfields::IntOf(row, CodingField::Type);
        label = rowfields::TextOf(row, CodingField::Comment);
        // A coding whose code cannot be read is not added.
        const qint32 code = rowfields::IntOf(row, CodingField::Code);
        RowBuffer codeRow;
        if (!db.ReadRow(TopicId::Codes, code, codeRow, false))
            return false;
        if (label.isEmpty())
            label = rowfields::TextOf(codeRow, CodeField::Name);
        break;
    }
    case TopicId::Memos:
        if (!db.ReadRow(topic, item, row, false))
            return false;
        label = rowfields::TextOf(row, MemoField::Title);
        colour = rowfields::IntOf(row, MemoField::Type);
        break;
    default:
        return false;
    }
    return window->AddObject(withUndo, topic, reference, label, colour) != 0;
}
