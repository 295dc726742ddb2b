// The find commands, the analysis-table commands and the chart windows'
// requests to the frame.

#include "app/chartcommands.h"
#include "app/findcommands.h"
#include "app/listwindows.h"
#include "app/mainframe.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "foundation/searchsettings.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "panes/listids.h"
#include "retrieval/retrievalengine.h"
#include "retrieval/searchdlg.h"
#include "retrieval/segmentsctrl.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topicsearchsource.h"
#include "store/topictable.h"

#include <memory>

void StoreSearchHits(CKorDoc& doc, const QStringList& terms, const CRowArray& hits)
{
    TopicDatabase& db = doc.GetDatabase();
    if (TopicTable* table = db.GetTable(TopicId::SearchHits))
        table->ClearRows();
    for (const SearchHit& hit : hits) {
        RowBuffer row;
        if (!db.AddRow(TopicId::SearchHits, row, -1))
            break;
        const QString word = terms.value(hit.term);
        const auto set = [&row](qint32 field, qint32 value) {
            FieldValue v;
            if (row.GetFieldValue(field, v))
                v.SetInt(value);
        };
        set(SearchHitField::Type, 0);
        set(SearchHitField::Document, hit.objectId);
        set(SearchHitField::Start, hit.start);
        set(SearchHitField::End, hit.end < 0 ? hit.start + qint32(word.size()) : hit.end);
        set(SearchHitField::Page, hit.page);
        set(SearchHitField::Paragraph, hit.paragraph);
        FieldValue text;
        if (row.GetFieldValue(SearchHitField::Text, text))
            text.SetText(QStringView(word).left(kMaxHitWordLength));
        row.Commit(false, true);
    }
}

qint32 StoreSearchHits(CKorDoc& doc, const CSearchSettings& search)
{
    StoreSearchHits(doc, search.Options().terms, search.Hits());
    QList<qint32> documents;
    search.CollectIds(documents);
    doc.SetSearchHitDocuments(qint32(documents.size()));
    return qint32(documents.size());
}

bool CMainFrame::OnFindCommand(int id)
{
    switch (id) {
    case FindCommand::Find: Find(false); return true;
    case FindCommand::FindExtended: Find(true); return true;
    case FindCommand::Crosstabs: OpenAnalysisTable(0); return true;
    case FindCommand::QuoteMatrix: OpenAnalysisTable(1); return true;
    default: return false;
    }
}

bool CMainFrame::OnUpdateFindCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case FindCommand::Find:
    case FindCommand::FindExtended:
        ui.Enable(GetDocument() && GetDocument()->GetEngine());
        return true;
    case FindCommand::Crosstabs:
    case FindCommand::QuoteMatrix:
        // The analysis-table dialog is not built yet: the commands rest.
        ui.Enable(false);
        return true;
    default: return false;
    }
}

void CMainFrame::Find(bool extended)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    std::unique_ptr<CSearchDlgBase> dialog;
    if (extended)
        dialog = std::make_unique<CSearchExtDlg>(this);
    else
        dialog = std::make_unique<CSearchDlg>(this);
    if (dialog->exec() != QDialog::Accepted)
        return;
    const CSearchOptions options = dialog->Options();
    dialog.reset();
    PumpUiMessages();
    CommitBrowserEdits();
    PumpUiMessages();
    RunFind(options, extended);
}

void CMainFrame::RunFind(const CSearchOptions& options, bool extended)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;

    CSegmentArray rows;
    const bool inSegments = options.onlyRetrieved && !options.searchMemos && m_segments;
    if (inSegments) {
        WaitCursor wait;
        m_segments->GetRetrievedSegments(rows);
        document->SortRetrievedSegments(&document->GetRetrievalSettings(), rows, 0);
    }
    TopicSearchSource source(document->GetDatabase());
    CSearchSettings search(options, &source, extended);
    // An empty pane leaves nothing to search, not the whole project.
    if (!search.SearchProject(inSegments ? &rows : nullptr))
        return;
    if (options.searchMemos) {
        QList<qint32> memos;
        search.CollectIds(memos);
        m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, 0, 0, memos,
                                      LoadString(ListText::FoundMemos));
        return;
    }
    BeginWait();
    const qint32 documents = StoreSearchHits(*document, search);
    TopicDatabase& db = document->GetDatabase();
    // The category column belongs to the dictionary's hits.
    db.SetFieldState(TopicId::SearchHits, SearchHitField::Category, FieldState::BuiltIn | FieldState::Hidden);
    QList<qint32> keys;
    db.GetAllKeys(TopicId::SearchHits, keys);
    EndWait();
    m_listWindows->ShowObjectList(CListWindows::SearchHits, TopicId::SearchHits, 0, 0, keys,
                                  LoadString(ListText::FoundHits).arg(documents));
}

void CMainFrame::OpenAnalysisTable(qint32 mode)
{
    // An open crosstab window would go first; none exists before the
    // analysis-table dialog does, and neither command is enabled until then.
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    const QList<qint32> codes = retrieval::RetrievalEngine::CollectActivatedCodes(document->GetDatabase());
    Q_UNUSED(mode);
    Q_UNUSED(codes);
}

qint32 CMainFrame::OnRefreshToolWindows(qint32 kind, qint32 action)
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine() || kind < 0 || kind > ToolWindowKind::Typology)
        return 0;
    // The exports (action 2) are not built yet; the near switch (action 0)
    // recounts the code relations in place; any other action rebuilds the
    // tool through its own command, when that command can run.
    if (action == 0 && kind == ToolWindowKind::CodeRelations) {
        m_charts->RecomputeCodeRelations();
        if (CChartBrowserDlg* window = m_charts->Window(kind)) {
            if (window->isMinimized())
                window->showNormal();
            window->raise();
        }
        return 0;
    }
    const bool export_ = action == 2 && (kind == ToolWindowKind::CodeMatrix || kind == ToolWindowKind::Crosstab);
    if (action != 0 && !export_) {
        const int command = ToolWindowKind::Commands[kind];
        if (m_commands.QueryState(command).enabled)
            m_commands.Execute(command);
    }
    return 0;
}
