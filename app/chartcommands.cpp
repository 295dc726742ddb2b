// The chart windows of the frame: what each view's command computes before
// the window shows it, and the windows' requests.

#include "app/chartcommands.h"

#include "app/mainframe.h"
#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/retrievalservice.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "foundation/waitwindow.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/conditionrows.h"
#include "retrieval/documenttexts.h"
#include "retrieval/logicalactivationdlg.h"
#include "retrieval/typologyrows.h"
#include "retrieval/typologytabledlg.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/treeimages.h"
#include "visual/chartoptiondlgs.h"

#include <QApplication>

#include <algorithm>

namespace {

namespace Text {
constexpr int OnlyActivatedBoth = 3017;
constexpr int OnlyActivatedDocuments = 3122;
constexpr int OnlyActivatedCodes = 3132;
constexpr int TypologyMean = 102238;
constexpr int TypologyDeviation = 102239;
constexpr int TypologyShare = 102240;
constexpr int NoParagraphs = 207002;
}  // namespace Text

// A code's place among its siblings: field 1 of every topic's rows.
constexpr qint32 kCodeIndexField = 1;

// The setting of the codes ticked for the code relations.
const QString kCodeRelationsSetting = QStringLiteral("COCodesX");

QString CodeToken(qint32 code)
{
    return QStringLiteral("[%1]").arg(code);
}

/// The questions whether only activated documents and codes count: one
/// question for what is activated; none when nothing is.
void AskScope(CKorDoc& document, bool& onlyDocuments, bool& onlyCodes)
{
    const bool documentsActivated = document.GetActivatedCount(TopicId::Documents) > 0;
    const bool codesActivated = document.GetActivatedCount(TopicId::Codes) > 0;
    onlyDocuments = onlyCodes = false;
    if (documentsActivated && codesActivated)
        onlyDocuments = onlyCodes = AskYesNo(LoadString(Text::OnlyActivatedBoth));
    else if (documentsActivated)
        onlyDocuments = AskYesNo(LoadString(Text::OnlyActivatedDocuments));
    else if (codesActivated)
        onlyCodes = AskYesNo(LoadString(Text::OnlyActivatedCodes));
}

}  // namespace

void RepairTreeRows(QList<MatrixRow>& rows)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        MatrixRow& row = rows[i];
        const int ceiling = i == 0 ? 0 : rows[i - 1].level + 1;
        row.level = std::clamp(row.level, 0, ceiling);
        if (row.level == 0)
            row.hasParent = false;
        if (row.ancestorLines.size() > row.level)
            row.ancestorLines.resize(row.level);
    }
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i].hasChildren = i + 1 < rows.size() && rows[i + 1].level > rows[i].level;
}

CChartCommands::CChartCommands(CMainFrame* frame) : m_frame(frame) {}

CChartCommands::~CChartCommands()
{
    // The windows ask this object while they go.
    for (QPointer<CChartBrowserDlg>& window : m_windows)
        delete window.data();
}

void CChartCommands::CloseWindows()
{
    for (QPointer<CChartBrowserDlg>& window : m_windows)
        delete window.data();
}

CKorDoc* CChartCommands::Document() const
{
    return m_frame->GetDocument();
}

CChartBrowserDlg* CChartCommands::Window(int variant) const
{
    return variant >= 0 && variant < int(m_windows.size()) ? m_windows[size_t(variant)].data() : nullptr;
}

bool CChartCommands::OnCommand(int id)
{
    switch (id) {
    case ChartFrameCommand::CodeMatrix: OpenCodeMatrix(); return true;
    case ChartFrameCommand::CodeRelations: OpenCodeRelations(); return true;
    case ChartFrameCommand::Sequence: OpenSequence(); return true;
    case ChartFrameCommand::Comparison: OpenComparison(); return true;
    case ChartFrameCommand::Typology: OpenTypology(); return true;
    case ChartFrameCommand::ExportToolTable: ExportToolTable(); return true;
    default: return false;
    }
}

bool CChartCommands::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case ChartFrameCommand::CodeMatrix:
    case ChartFrameCommand::CodeRelations:
    case ChartFrameCommand::Comparison:
    case ChartFrameCommand::Typology:
        ui.Enable(Document() != nullptr);
        return true;
    case ChartFrameCommand::Sequence:
        ui.Enable(Document() && SequenceDocument() != 0);
        return true;
    case ChartFrameCommand::ExportToolTable:
        ui.Enable(Document() && Window(int(ChartVariant::Typology)));
        return true;
    default:
        return false;
    }
}

CChartBrowserDlg* CChartCommands::NewWindow(ChartVariant variant)
{
    const size_t slot = size_t(variant);
    delete m_windows[slot].data();
    auto* window = new CChartBrowserDlg(m_frame, this, int(variant));
    m_windows[slot] = window;
    return window;
}

void CChartCommands::Show(CChartBrowserDlg* window)
{
    window->show();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

QList<MatrixRow> CChartCommands::CodeRows() const
{
    QList<MatrixRow> rows;
    if (CObjTreeCtrl* tree = m_frame->CodeTree()) {
        const QList<TreeRow> treeRows = tree->GetCodeRows();
        rows.reserve(treeRows.size());
        for (const TreeRow& row : treeRows)
            rows.append(ToMatrixRow(row));
    }
    return rows;
}

qint32 CChartCommands::SequenceDocument() const
{
    CKorDoc* document = Document();
    TreePaneWindow* tree = m_frame->DocumentTree();
    qint32 kind = 0;
    qint32 id = 0;
    if (!document || !tree || !tree->GetSelectedObject(kind, id) || kind != TopicId::Documents || id <= 0)
        return 0;
    const qint32 type = document->GetDocumentType(id);
    return type == DocumentKind::RichText || type == DocumentKind::Table ? id : 0;
}

qint32 CChartCommands::CountParagraphs(CKorDoc& document, qint32 id)
{
    qint32 kind = 0;
    QByteArray content;
    if (!retrieval::ReadDocumentContent(document.GetDatabase(), id, kind, content))
        return 0;
    if (kind == DocumentKind::Table) {
        CTableData table;
        return table.LoadFromBytes(content) ? table.GetRowCount() : 0;
    }
    if (kind != DocumentKind::RichText || content.isEmpty())
        return 0;
    CRichEditCtrlEx edit;
    edit.StreamInRtf(&content, false);
    return qint32(GetParagraphBounds(edit).size() / 2);
}

// ---------------------------------------------------------------- code matrix

void CChartCommands::OpenCodeMatrix()
{
    CKorDoc* document = Document();
    if (!document || !m_frame->DocumentTree())
        return;
    const bool restrict = document->GetActivatedCount(TopicId::Documents) > 0
                          && AskYesNo(LoadString(Text::OnlyActivatedBoth));
    const WaitCursor wait;
    CChartBrowserDlg* window = NewWindow(ChartVariant::CodeMatrix);
    window->m_columnIds = m_frame->DocumentTree()->GetDocumentsInTreeOrder();
    window->m_rows = CodeRows();
    if (restrict) {
        window->m_columnIds.removeIf([document](qint32 id) { return !document->IsDocumentActivated(id); });
        if (document->GetActivatedCount(TopicId::Codes) > 0) {
            window->m_rows.removeIf([document](const MatrixRow& row) { return !document->IsCodeActivated(row.id); });
            RepairTreeRows(window->m_rows);
        }
    }
    QList<qint32> codes;
    codes.reserve(window->m_rows.size());
    for (const MatrixRow& row : std::as_const(window->m_rows))
        codes.append(row.id);
    QList<quint8> presence;
    document->CountCodingsByDocumentAndCode(window->m_columnIds, codes, window->m_tableB, presence);
    window->m_tableC.resize(presence.size());
    std::copy(presence.cbegin(), presence.cend(), window->m_tableC.begin());
    Show(window);
}

// ---------------------------------------------------------------- code relations

void CChartCommands::OpenCodeRelations()
{
    CKorDoc* document = Document();
    if (!document || !m_frame->DocumentTree())
        return;
    delete m_windows[size_t(ChartVariant::CodeRelations)].data();
    bool onlyDocuments = false;
    bool onlyCodes = false;
    AskScope(*document, onlyDocuments, onlyCodes);

    // The codes to relate: the ticked top-level codes, each with its subcodes.
    QString setting;
    document->ReadSetting(kCodeRelationsSetting, setting);
    CCOBrowserDlg choice(m_frame);
    TopicDatabase& db = document->GetDatabase();
    QList<qint32> topCodes;
    db.FindKeysByParent(TopicId::Codes, TopicId::Codes, 0, topCodes);
    for (const qint32 code : std::as_const(topCodes)) {
        CodeCheckItem item;
        item.id = code;
        item.order = db.GetIntValue(TopicId::Codes, code, kCodeIndexField);
        item.name = db.FormatRowDisplay(TopicId::Codes, code, false);
        item.checked = setting.contains(CodeToken(code));
        choice.m_items.append(item);
    }
    if (choice.exec() != QDialog::Accepted)
        return;
    QString ticked;
    QList<qint32> columns;
    for (const CodeCheckItem& item : std::as_const(choice.m_items)) {
        if (!item.checked)
            continue;
        ticked += CodeToken(item.id);
        columns.append(item.id);
        document->CollectSubcodes(item.id, columns);
    }
    document->WriteSettingString(kCodeRelationsSetting, ticked);

    const WaitCursor wait;
    CChartBrowserDlg* window = NewWindow(ChartVariant::CodeRelations);
    window->m_columnIds = columns;
    window->m_rows = CodeRows();
    window->m_activatedOnly = onlyDocuments;
    if (!g_program.ProfilePath.isEmpty()) {
        const PrivateProfile profile(g_program.ProfilePath);
        window->m_nearDistance = profile.GetInt(window->Section(), QStringLiteral("NearDistance"), 0);
        window->m_near = profile.GetInt(window->Section(), QStringLiteral("Near"), 0) != 0;
    }
    window->m_tableE = m_frame->DocumentTree()->GetDocumentsInTreeOrder();
    if (onlyDocuments)
        window->m_tableE.removeIf([document](qint32 id) { return !document->IsDocumentActivated(id); });
    if (onlyCodes) {
        window->m_rows.removeIf([document](const MatrixRow& row) { return !document->IsCodeActivated(row.id); });
        RepairTreeRows(window->m_rows);
    }
    RecomputeCodeRelations();
    Show(window);
}

void CChartCommands::RecomputeCodeRelations()
{
    CKorDoc* document = Document();
    CChartBrowserDlg* window = Window(int(ChartVariant::CodeRelations));
    if (!document || !window)
        return;
    QList<CodeRelationEntry> columns;
    columns.reserve(window->m_columnIds.size());
    for (const qint32 code : std::as_const(window->m_columnIds))
        columns.append({code, 0});
    QList<CodeRelationEntry> rows;
    rows.reserve(window->m_rows.size());
    for (const MatrixRow& row : std::as_const(window->m_rows))
        rows.append({row.id, 0});
    window->m_tableB.clear();
    window->m_tableC.clear();
    ShowWaitWindow(QStringLiteral("0 %"));
    document->ComputeCodeRelationsMatrix(columns, rows, window->m_tableB, window->m_tableC, window->m_activatedOnly,
                                         window->m_near, window->m_nearDistance);
    CloseWaitWindow();
    if (window->isVisible())
        window->Redraw();
}

// ---------------------------------------------------------------- sequence

void CChartCommands::OpenSequence()
{
    CKorDoc* document = Document();
    delete m_windows[size_t(ChartVariant::Sequence)].data();
    const qint32 id = document ? SequenceDocument() : 0;
    if (!id)
        return;
    CSeqBrowserOptDlg options(m_frame);
    options.m_codesActivated = document->GetActivatedCount(TopicId::Codes) > 0;
    if (options.exec() != QDialog::Accepted)
        return;
    const qint32 paragraphs = [&] {
        const WaitCursor wait;
        return CountParagraphs(*document, id);
    }();
    if (paragraphs <= 0) {
        ShowMessage(LoadString(Text::NoParagraphs));
        return;
    }
    const WaitCursor wait;
    CChartBrowserDlg* window = NewWindow(ChartVariant::Sequence);
    window->m_documentId = id;
    window->m_documentName = document->GetDatabase().FormatRowDisplay(TopicId::Documents, id, false);
    window->m_sequenceOption = options.m_option2;
    window->m_rows = CodeRows();
    if (options.m_option1)
        window->m_rows.removeIf([document](const MatrixRow& row) { return !document->IsCodeActivated(row.id); });
    // With the second option a top-level code shows its subcodes' codings.
    if (options.m_option2)
        window->m_rows.removeIf([](const MatrixRow& row) { return row.level > 0; });
    RepairTreeRows(window->m_rows);
    for (qint32 p = 1; p <= paragraphs; ++p)
        window->m_columnIds.append(p);
    QList<qint32> codes;
    for (const MatrixRow& row : std::as_const(window->m_rows))
        codes.append(row.id);
    QList<COLORREF> grid;
    document->BuildParagraphCodeColors(id, paragraphs, codes, grid, options.m_option2);
    window->m_tableB.resize(grid.size());
    std::transform(grid.cbegin(), grid.cend(), window->m_tableB.begin(), [](COLORREF c) { return qint32(c); });
    Show(window);
}

// ---------------------------------------------------------------- comparison

void CChartCommands::OpenComparison()
{
    CKorDoc* document = Document();
    if (!document || !m_frame->DocumentTree())
        return;
    delete m_windows[size_t(ChartVariant::Comparison)].data();
    bool onlyDocuments = false;
    bool onlyCodes = false;
    AskScope(*document, onlyDocuments, onlyCodes);
    const WaitCursor wait;
    QList<qint32> documents = m_frame->DocumentTree()->GetDocumentsInTreeOrder();
    if (onlyDocuments)
        documents.removeIf([document](qint32 id) { return !document->IsDocumentActivated(id); });
    qint32 paragraphs = 0;
    for (const qint32 id : std::as_const(documents))
        paragraphs = std::max(paragraphs, CountParagraphs(*document, id));
    CChartBrowserDlg* window = NewWindow(ChartVariant::Comparison);
    window->m_tableA = documents;
    for (qint32 p = 1; p <= paragraphs; ++p)
        window->m_columnIds.append(p);
    QList<COLORREF> colours;
    document->BuildCodelineColors(paragraphs, documents, window->m_tableB, colours, onlyCodes);
    window->m_tableD = colours;
    Show(window);
}

// ---------------------------------------------------------------- typology

void CChartCommands::OpenTypology()
{
    delete m_windows[size_t(ChartVariant::Typology)].data();
    CKorDoc* document = Document();
    if (!document)
        return;
    TopicDatabase& db = document->GetDatabase();
    QString setting;
    document->ReadSetting(QString::fromLatin1(typology::kSettingKey), setting);
    bool option = false;
    CTypologyTableDlg variables(m_frame, true, false, true);
    // Only the fields the lists show are offered.
    QList<qint32> shown;
    db.GetFieldIds(TopicId::Documents, shown, false);
    variables.m_rows = typology::BuildRows(db, setting, option);
    variables.m_rows.removeIf([&shown](const typology::TickRow& row) { return !shown.contains(row.id); });
    variables.m_extraOption = option;
    if (variables.exec() != QDialog::Accepted)
        return;
    QList<typology::TickRow> entries = variables.m_rows;
    document->WriteSettingString(QString::fromLatin1(typology::kSettingKey),
                                 typology::TakeTicked(entries, variables.m_extraOption));
    // TakeTicked keeps the ticked rows in list order.

    CLogicalActivationDlg conditions(m_frame, static_cast<IListWindowOwner*>(m_frame), shown,
                                     TreeImages::NodeImages());
    conditions.m_mode = 3;
    conditions.m_topic = TopicId::Documents;
    if (conditions.exec() != QDialog::Accepted)
        return;

    const WaitCursor wait;
    QList<TypologyColumn> columns;
    for (const ActivationCondition& row : conditions.Rows()) {
        TypologyColumn column;
        column.fieldId = row.fieldId;
        FieldDescriptor field;
        column.fieldName = db.GetFieldDescriptor(TopicId::Documents, row.fieldId, field) ? field.Name : row.fieldName;
        column.link = row.link;
        column.comparison = row.comparison;
        column.value = row.value;
        columns.append(column);
    }
    QList<TypologyRow> rows;
    QStringList labels;
    for (const typology::TickRow& entry : std::as_const(entries)) {
        TypologyRow row;
        row.fieldId = entry.id;
        row.numeric = entry.marked;
        row.category = entry.value;
        rows.append(row);
        labels.append(entry.marked ? QStringLiteral("%1, %2 (%3)").arg(entry.text, LoadString(Text::TypologyMean),
                                                                      LoadString(Text::TypologyDeviation))
                                   : QStringLiteral("%1, %2 (%)").arg(entry.text, LoadString(Text::TypologyShare)));
    }
    QStringList cells;
    document->FormatTypologyCells(columns, rows, cells, false);

    CChartBrowserDlg* window = NewWindow(ChartVariant::Typology);
    // The computation lays the conditions out as columns; the view shows
    // them as rows.
    const qsizetype conditionCount = columns.size();
    const qsizetype entryCount = rows.size();
    window->m_cellsPerRow = qint32(entryCount);
    window->m_columnLabels = labels;
    for (const TypologyColumn& column : std::as_const(columns))
        window->m_rowLabels.append(QStringLiteral("%1 %2 %3 (N=%4)")
                                       .arg(column.fieldName, conditions::OperatorText(column.comparison), column.value)
                                       .arg(column.documents));
    window->m_cellTexts.reserve(conditionCount * entryCount);
    for (qsizetype c = 0; c < conditionCount; ++c)
        for (qsizetype r = 0; r < entryCount; ++r)
            window->m_cellTexts.append(cells.value(c + r * conditionCount));
    Show(window);
}

void CChartCommands::ExportToolTable()
{
    CKorDoc* document = Document();
    CChartBrowserDlg* window = Window(int(ChartVariant::Typology));
    if (!document || !window)
        return;
    const WaitCursor wait;
    document->ExportHtmlTable(window->m_columnLabels, window->m_rowLabels, window->m_cellTexts);
}

// ---------------------------------------------------------------- requests

void CChartCommands::ChartRequest(NotifyHead& record)
{
    m_frame->RouteRequest(record);
}

void CChartCommands::ChartRefresh(qint32 variant, qint32 action)
{
    m_frame->OnRefreshToolWindows(variant, action);
}

void CChartCommands::ChartExportTable(CChartBrowserDlg& window)
{
    if (&window == Window(int(ChartVariant::Typology)))
        ExportToolTable();
}

void CChartCommands::ChartDoubleClick(CChartBrowserDlg& window, MatrixDoubleClick kind, qint32 first, qint32 second)
{
    if (!Document())
        return;
    switch (kind) {
    case MatrixDoubleClick::DocumentColumn: ActivateDocumentAndCode(first, second); break;
    case MatrixDoubleClick::CodeColumn: ActivateCodePair(window, first, second); break;
    case MatrixDoubleClick::OtherColumn: GoToCoding(window, first, second); break;
    case MatrixDoubleClick::PlainRows: m_frame->OnGoToDocumentParagraph(first, second); break;
    case MatrixDoubleClick::NumberCell: break;   // the crosstab is not built yet
    }
}

void CChartCommands::AfterActivation()
{
    CKorDoc* document = Document();
    document->RunRetrieval(document->GetRetrievalSettings(), 0);
    m_frame->UpdateStatusBar();
    m_frame->RefreshBrowser();
}

void CChartCommands::ActivateDocumentAndCode(qint32 documentId, qint32 code)
{
    CKorDoc* document = Document();
    const WaitCursor wait;
    document->DeactivateAll(true, true, true);
    document->GetRetrievalSettings().retrievalFunction = 0;
    document->ActivateDocument(documentId, true, false);
    // A collapsed parent stands for its subtree.
    document->SetCodeActivation(std::abs(code), true, false, code < 0, false);
    AfterActivation();
}

void CChartCommands::ActivateCodePair(const CChartBrowserDlg& window, qint32 first, qint32 second)
{
    CKorDoc* document = Document();
    const WaitCursor wait;
    document->DeactivateAll(true, true, true);
    // Both codes at once: the intersection of their codings.
    document->GetRetrievalSettings().retrievalFunction = 1;
    document->SetCodeActivation(first, true, false, false, false);
    document->SetCodeActivation(second, true, false, false, false);
    for (const qint32 id : window.m_tableE)
        document->ActivateDocument(id, true, false);
    AfterActivation();
}

void CChartCommands::GoToCoding(const CChartBrowserDlg& window, qint32 paragraph, qint32 code)
{
    CKorDoc* document = Document();
    TextCoderWindow* browser = m_frame->BrowserWindow();
    const qint32 documentId = window.m_documentId;
    if (!browser || documentId <= 0)
        return;
    TopicDatabase& db = document->GetDatabase();
    QList<qint32> codings;
    db.FindKeysByParent(TopicId::Codings, TopicId::Documents, documentId, codings);
    std::sort(codings.begin(), codings.end());
    QList<qint32> codes{code};
    if (window.m_sequenceOption)
        document->CollectSubcodes(code, codes);
    for (const qint32 coding : std::as_const(codings)) {
        if (!codes.contains(db.GetIntValue(TopicId::Codings, coding, CodingField::Code)))
            continue;
        if (db.GetIntValue(TopicId::Codings, coding, CodingField::StartPara) > paragraph
            || db.GetIntValue(TopicId::Codings, coding, CodingField::FinishPara) < paragraph)
            continue;
        if (documentId != document->GetShownDocument())
            m_frame->CommitBrowserEdits();
        if (document->SetOpenDocument(documentId, 0))
            browser->SelectCodingById(coding);
        return;
    }
}
