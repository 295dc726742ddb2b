// The word-frequency commands of the frame: the word counter, the count of
// dictionary words, the stop list and the tag cloud, and their "QNT" values.

#include "app/wordfreqcommands.h"

#include "app/findcommands.h"
#include "app/listwindows.h"
#include "app/textviewerdlg.h"
#include "app/mainframe.h"
#include "dictionary/codeselectdlg.h"
#include "dictionary/stoplistdlg.h"
#include "dictionary/wordfrequency.h"
#include "dictionary/wordfrequencydlg.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/lexicalservice.h"
#include "document/objectlistregistry.h"
#include "document/rowfields.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/searchsettings.h"
#include "foundation/programpaths.h"
#include "foundation/segmentarray.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/idtreemodel.h"
#include "panes/listids.h"
#include "panes/objectlistwindow.h"
#include "panes/treepanewindow.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/documenttexts.h"
#include "retrieval/segmentsctrl.h"
#include "store/storeids.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"
#include "store/topicsearchsource.h"
#include "store/topictable.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("QNT");
constexpr int kWordListTitle = 33092;
constexpr int kWaitMode = 12;
constexpr int kAllDocumentsText = 57717;
constexpr int kAllSetsText = 57721;
constexpr int kFrequencyRunning = 5766;
constexpr int kCodeFrequenciesTitle = 20123;
constexpr int kNoCloudWords = 212001;
const QString kCodesSetting = QStringLiteral("QntCodes");
const QString kDepthSetting = QStringLiteral("QntDepth");
/// Word rows: the stop-list mark, the word and the dictionary entry.
constexpr qint32 kWordMark = 1;
constexpr qint32 kWordText = 2;
constexpr qint32 kWordEntry = 6;

/// A code-frequency table is being made; a second one waits its turn.
bool g_frequenciesRunning = false;

/// The counter's unit of the dialog's counting mode.
qint32 UnitOfMode(int mode)
{
    return mode == 1 ? WordCountUnit::PerDocument : mode == 2 ? WordCountUnit::PerSet : WordCountUnit::All;
}

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

CWordFreqCommands::CWordFreqCommands(CMainFrame* frame, CKorDoc* document) : m_frame(frame), m_document(document)
{
    m_stopListPath = QDir(g_program.SettingsFolder).filePath(QStringLiteral("StopList.txt"));
}

void CWordFreqCommands::ApplyModuleSettings(const PrivateProfile& profile)
{
    WordCountSettings settings;
    settings.minChars = std::max(1, profile.GetInt(kSection, QStringLiteral("MinCharsCount"), 1));
    settings.typeCount = std::clamp(profile.GetInt(kSection, QStringLiteral("TypeCount"), 0), 0, 2);
    settings.onlyActivated = profile.GetInt(kSection, QStringLiteral("OnlyActTextsCount"), 0) != 0;
    settings.useStopList = profile.GetInt(kSection, QStringLiteral("UseStopList"), 1) != 0;
    settings.onlySegments = profile.GetInt(kSection, QStringLiteral("OnlyActSegmentsCount"), 0) != 0;
    if (m_document)
        m_document->SetWordCountSettings(settings);
    const QString path = profile.GetString(kSection, QStringLiteral("StopList"));
    if (!path.isEmpty())
        m_stopListPath = path;
    m_recent.clear();
    for (int i = 1; i <= kMaxRecent; ++i) {
        const QString recent = profile.GetString(kSection, QStringLiteral("Path%1").arg(i));
        if (!recent.isEmpty() && !m_recent.contains(recent))
            m_recent.append(recent);
    }
    if (m_frame && m_document)
        m_frame->LoadWordList(m_stopListPath);
}

bool CWordFreqCommands::SaveSettings(PrivateProfile& profile) const
{
    if (!m_document)
        return false;
    const WordCountSettings& settings = m_document->GetWordCountSettings();
    bool written = profile.WriteInt(kSection, QStringLiteral("MinCharsCount"), settings.minChars) &&
                   profile.WriteInt(kSection, QStringLiteral("TypeCount"), settings.typeCount) &&
                   profile.WriteInt(kSection, QStringLiteral("OnlyActTextsCount"), settings.onlyActivated) &&
                   profile.WriteInt(kSection, QStringLiteral("UseStopList"), settings.useStopList) &&
                   profile.WriteInt(kSection, QStringLiteral("OnlyActSegmentsCount"), settings.onlySegments) &&
                   profile.WriteString(kSection, QStringLiteral("StopList"), m_stopListPath);
    for (int i = 1; written && i <= kMaxRecent; ++i) {
        const QString key = QStringLiteral("Path%1").arg(i);
        written = i <= m_recent.size() ? profile.WriteString(kSection, key, m_recent.at(i - 1))
                                       : profile.DeleteKey(kSection, key);
    }
    return written;
}

bool CWordFreqCommands::OnCommand(int id)
{
    switch (id) {
    case WordFreqCommand::WordCounter: CountWords(false); return true;
    case WordFreqCommand::GoList: CountWords(true); return true;
    case WordFreqCommand::StopList: EditStopList(); return true;
    case WordFreqCommand::TagCloud: ShowTagCloud(); return true;
    case WordFreqCommand::FrequencyVariables: TransferFrequencyVariables(); return true;
    default: return false;
    }
}

bool CWordFreqCommands::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case WordFreqCommand::WordCounter:
    case WordFreqCommand::GoList:
    case WordFreqCommand::StopList:
    case WordFreqCommand::TagCloud:
    case WordFreqCommand::FrequencyVariables:
        ui.Enable(m_document && m_document->GetEngine());
        return true;
    default: return false;
    }
}

void CWordFreqCommands::CountWords(bool goList)
{
    if (!m_document || !m_document->GetEngine())
        return;
    WordCountSettings settings = m_document->GetWordCountSettings();
    CWordFrequencyDlg dialog(m_frame);
    dialog.m_minChars = settings.minChars;
    dialog.m_unit = settings.typeCount;
    dialog.m_onlyActivated = settings.onlyActivated;
    dialog.m_onlySegments = settings.onlySegments;
    dialog.m_useStopList = settings.useStopList;
    dialog.m_goList = goList;
    dialog.m_recentStopLists = &m_recent;
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings.minChars = dialog.m_minChars;
    settings.typeCount = dialog.m_unit;
    settings.onlyActivated = dialog.m_onlyActivated;
    settings.onlySegments = dialog.m_onlySegments;
    settings.useStopList = dialog.m_useStopList;
    m_document->SetWordCountSettings(settings);

    // A stop list chosen for this count serves it; the current one comes back after.
    const bool otherStopList = !dialog.m_stopListFile.isEmpty() && m_frame->SaveWordListText(m_stopListPath);
    if (otherStopList)
        m_frame->LoadWordList(dialog.m_stopListFile);

    {
        BusyCursor busy;
        const bool waitShown = ShowWaitWindow();
        Q_UNUSED(kWaitMode);
        CSegmentArray segments;
        if (settings.onlySegments && m_frame->Segments())
            m_frame->Segments()->GetRetrievedSegments(segments);
        std::stable_sort(segments.begin(), segments.end(), [](const CSegmentRow& a, const CSegmentRow& b) {
            return a.documentOrder != b.documentOrder ? a.documentOrder < b.documentOrder : a.start < b.start;
        });
        const qint32 unit = UnitOfMode(settings.typeCount);
        if (goList) {
            m_document->SetCategoryActivatedOnly(settings.onlyActivated);
            m_document->SetCategoryInSegmentsOnly(settings.onlySegments);
            m_document->SetTotalWordCount(0);
            m_document->SearchCategoryWords(unit, settings.onlySegments ? &segments : nullptr);
            if (auto* writer = dynamic_cast<dictionary::WordFrequencyCounter*>(m_document->GetWordTally()))
                writer->FinishWordHits(*m_document);
        } else {
            m_document->CountWordsAll(unit, &segments);
        }
        ShowWordList(0);
        if (otherStopList)
            m_frame->LoadWordList(m_stopListPath);
        if (waitShown)
            CloseWaitWindow();
    }
}

void CWordFreqCommands::ShowWordList(int listMode)
{
    TopicDatabase& db = m_document->GetDatabase();
    QList<qint32> keys;
    db.GetAllKeys(TopicId::WordFrequencies, keys);
    const QString title = LoadString(kWordListTitle).arg(keys.size()).arg(m_document->GetTotalWordCount());
    CListWindows& lists = m_frame->ListWindows();
    // The table's columns change with the counting unit: a window made for
    // other columns is made anew.
    QList<qint32> fields;
    db.GetFieldIds(TopicId::WordFrequencies, fields, true);
    if (ObjectListWindow* open = lists.Window(CListWindows::Words); open && fields != m_shownFields)
        delete open;
    m_shownFields = fields;
    if (ObjectListWindow* window =
            lists.ShowObjectList(CListWindows::Words, TopicId::WordFrequencies, 0, 0, keys, title);
        window && listMode)
        window->SetMode(listMode);
}

void CWordFreqCommands::EditStopList()
{
    if (!m_document || !m_document->GetEngine())
        return;
    CStopListDlg dialog(m_frame, m_document, &m_recent, &m_stopListPath);
    if (dialog.exec() == CStopListDlg::kModified)
        m_frame->SaveWordListText(m_stopListPath);
}

QList<qint32> CWordFreqCommands::TagCloudScope(QString& label) const
{
    TopicDatabase& db = m_document->GetDatabase();
    TreePaneWindow* tree = m_frame->DocumentTree();
    const TreeNode* node = tree ? tree->SelectedNode() : nullptr;
    const qint32 id = node ? std::abs(node->data) : 0;
    QList<qint32> documents;
    switch (node ? node->kind : 0) {
    case TopicId::DocumentGroups:
        label = db.FormatRowDisplay(TopicId::DocumentGroups, id, false);
        return tree->GetGroupDocuments(id);
    case TopicId::DocumentSets:
        label = db.FormatRowDisplay(TopicId::DocumentSets, id, false);
        return tree->GetSetDocuments(id);
    case TopicId::Documents:
        label = db.FormatRowDisplay(TopicId::Documents, id, false);
        return {id};
    case TopicId::DocumentSetMembers: {
        const qint32 document = db.GetIntValue(TopicId::DocumentSetMembers, id, SetMemberField::ObjectID);
        label = db.FormatRowDisplay(TopicId::Documents, document, false);
        return {document};
    }
    case 3: {  // the document-sets root: the documents of every set, each once
        label = LoadString(kAllSetsText);
        QList<qint32> sets;
        db.GetAllKeys(TopicId::DocumentSets, sets);
        for (const qint32 set : std::as_const(sets))
            for (const qint32 document : tree->GetSetDocuments(set))
                if (!documents.contains(document))
                    documents.append(document);
        return documents;
    }
    default:
        label = LoadString(kAllDocumentsText);
        db.GetAllKeys(TopicId::Documents, documents);
        return documents;
    }
}

void CWordFreqCommands::ShowTagCloud()
{
    if (!m_document || !m_document->GetEngine())
        return;
    QString label;
    const QList<qint32> documents = TagCloudScope(label);
    // The tag cloud has a stop list of its own; the current one comes back after.
    const QString cloudList = g_program.TagCloudStopListPath;
    const bool otherStopList =
        !cloudList.isEmpty() && QFileInfo::exists(cloudList) && m_frame->SaveWordListText(m_stopListPath);
    if (otherStopList)
        m_frame->LoadWordList(cloudList);
    QByteArray rtf;
    {
        BusyCursor busy;
        const bool waitShown = ShowWaitWindow();
        m_document->CollectWords(documents, rtf);
        if (waitShown)
            CloseWaitWindow();
    }
    if (otherStopList)
        m_frame->LoadWordList(m_stopListPath);
    if (rtf.isEmpty()) {
        // Nothing counted (no text, or every word left out): said, not silent.
        ShowMessage(LoadString(kNoCloudWords), MessageKind::Information);
        return;
    }
    delete m_frame->ListWindows().Window(CListWindows::Words);
    CTextViewerDlg viewer(m_frame, label, CTextViewerDlg::SupportInformation);
    viewer.Buffer() = rtf;
    if (viewer.exec() == CTextViewerDlg::SavedResult)
        ShowWordList(kTagCloudListMode);
}

void CWordFreqCommands::ShowCodeFrequencies(qint32 kind, qint32 id)
{
    if (!m_document || !m_document->GetEngine())
        return;
    if (g_frequenciesRunning) {
        ShowMessage(LoadString(kFrequencyRunning), MessageKind::Information);
        return;
    }
    TopicDatabase& db = m_document->GetDatabase();
    // The scope's documents, each once, in order.
    QList<qint32> documents;
    const auto addDocument = [&documents](qint32 document) {
        if (document > 0 && !documents.contains(document))
            documents.append(document);
    };
    const auto addMembers = [&](const QList<qint32>& members) {
        for (const qint32 member : members)
            addDocument(m_document->GetSetMemberDocument(member));
    };
    QList<qint32> keys;
    switch (kind) {
    case 2: db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, id, documents); break;
    case 3: db.GetAllKeys(TopicId::DocumentSetMembers, keys); addMembers(keys); break;
    case 4: db.FindKeysByParent(TopicId::DocumentSetMembers, TopicId::DocumentSets, id, keys); addMembers(keys); break;
    case 5:
        if (db.GetTable(TopicId::Documents) && db.GetTable(TopicId::Documents)->HasKey(id))
            documents.append(id);
        break;
    default: db.GetAllKeys(TopicId::Documents, documents); break;
    }

    QString chosen;
    m_document->ReadSetting(kCodesSetting, chosen);
    // Without a kept depth the codes themselves are counted (1).
    QString depthText;
    if (!m_document->ReadSetting(kDepthSetting, depthText) || depthText.isEmpty())
        depthText = QStringLiteral("1");
    CodeSelItemArray items;
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    for (const qint32 code : std::as_const(codes)) {
        if (db.GetParentKey(TopicId::Codes, code, TopicId::Codes) != 0)
            continue;
        CodeSelItem item;
        item.codeId = code;
        item.checked = chosen.contains(QStringLiteral("[%1]").arg(code));
        item.level = m_document->GetMinLeafDepth(code, 1);
        item.name = db.FormatRowDisplay(TopicId::Codes, code, false).left(CodeSelItem::kNameUnits);
        items.Add(item);
    }
    CodeSelectDlg dialog(m_frame);
    dialog.m_items = &items;
    dialog.m_depth = depthText.toInt();
    for (const qint32 document : std::as_const(documents))
        dialog.m_documents.append({document, db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID)});
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString tokens;
    QList<qint32> picked;
    for (const CodeSelItem& item : items) {
        if (!item.checked)
            continue;
        tokens += QStringLiteral("[%1]").arg(item.codeId);
        picked.append(item.codeId);
    }
    m_document->WriteSettingString(kDepthSetting, QString::number(dialog.m_depth));
    m_document->WriteSettingString(kCodesSetting, tokens);

    g_frequenciesRunning = true;
    {
        BusyCursor busy;
        const bool waitShown = ShowWaitWindow();
        m_document->BuildOverviewTable(dialog.m_depth, documents, picked);
        if (waitShown)
            CloseWaitWindow();
    }
    g_frequenciesRunning = false;
    QList<qint32> rows;
    db.GetAllKeys(TopicId::OverviewTable, rows);
    CListWindows& lists = m_frame->ListWindows();
    // The table's columns follow the dictionary: the window is made anew.
    delete lists.Window(CListWindows::Overview);
    if (ObjectListWindow* window = lists.ShowObjectList(CListWindows::Overview, TopicId::OverviewTable, 0, 0, rows,
                                                        LoadString(kCodeFrequenciesTitle)))
        window->SetMode(dialog.m_depth);
}

void CWordFreqCommands::TransferFrequencyVariables()
{
    if (!m_document || !m_document->GetEngine())
        return;
    // A table of depth 0 holds no rows (the overviews go to the validation
    // file): its transfer would write 0 into every document. The rows of any
    // other depth are summed per document.
    const ObjectListWindow* window = m_frame->ListWindows().Window(CListWindows::Overview);
    if (!window || m_document->GetDatabase().GetRowCount(TopicId::OverviewTable) == 0)
        return;
    BusyCursor busy;
    m_document->TransferTableVariables();
}

void CWordFreqCommands::AddWordsToStopList(const QList<qint32>& rows)
{
    if (!m_document || !m_document->GetEngine() || rows.isEmpty())
        return;
    const ObjectListWindow* window = m_frame->ListWindows().Window(CListWindows::Words);
    const bool tagCloud = window && window->Mode() == kTagCloudListMode;
    const QString cloudList = g_program.TagCloudStopListPath;
    if (tagCloud) {
        m_frame->SaveWordListText(m_stopListPath);
        // Without its file the tag cloud's list starts empty, not as a copy of the current one.
        if (!m_frame->LoadWordList(cloudList))
            m_document->SetWordList(QString(), false);
    }
    TopicDatabase& db = m_document->GetDatabase();
    bool added = false;
    for (const qint32 id : rows) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::WordFrequencies, id, row, false))
            continue;
        FieldValue mark;
        FieldValue word;
        if (!row.GetFieldValue(kWordMark, mark) || !row.GetFieldValue(kWordText, word) || mark.GetInt() != 0)
            continue;
        mark.SetInt(1);
        m_document->FindWordPosition(word.GetText().toLower());
        if (row.Commit(false, true)) {
            added = true;
            m_document->GetRegistry().NotifyChange(TopicId::WordFrequencies, id);
        }
    }
    if (tagCloud) {
        if (added)
            m_frame->SaveWordListText(cloudList);
        m_frame->LoadWordList(m_stopListPath);
    } else if (added) {
        m_frame->SaveWordListText(m_stopListPath);
    }
}

void CWordFreqCommands::ShowLexicalHits(const LexicalHitList& hits, const std::function<bool(const LexicalHit&)>& take)
{
    TopicDatabase& db = m_document->GetDatabase();
    BusyCursor busy;
    if (TopicTable* table = db.GetTable(TopicId::SearchHits))
        table->ClearRows();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    std::unique_ptr<retrieval::HitTextLoader> loader;
    if (edit)
        loader = std::make_unique<retrieval::HitTextLoader>(db, *edit);
    QList<qint32> documents;
    for (const LexicalHit& hit : hits) {
        if (!take(hit))
            continue;
        const qint32 start = hit.base + hit.start;
        qint32 paragraph = 1;
        if (loader) {
            retrieval::HitRow text;
            text.document = hit.document;
            text.page = hit.page;
            text.start = start;
            if (loader->Load(text))
                paragraph = ParagraphOfPosition(start, true, loader->Paragraphs());
        }
        RowBuffer row;
        if (!db.AddRow(TopicId::SearchHits, row, -1))
            break;
        using rowfields::SetInt;
        SetInt(row, SearchHitField::Type, 0);
        SetInt(row, SearchHitField::Document, hit.document);
        SetInt(row, SearchHitField::Start, start);
        SetInt(row, SearchHitField::End, hit.base + hit.end);
        SetInt(row, SearchHitField::Page, hit.page);
        SetInt(row, SearchHitField::Paragraph, paragraph);
        SetInt(row, SearchHitField::Category, hit.category);
        rowfields::SetText(row, SearchHitField::Text,
                           rowfields::TextOfKey(db, TopicId::DictionaryEntries, hit.entry, EntryField::Text)
                               .left(kMaxHitWordLength));
        if (row.Commit(false, true) && !documents.contains(hit.document))
            documents.append(hit.document);
    }
    m_document->SetSearchHitDocuments(qint32(documents.size()));
    db.SetFieldState(TopicId::SearchHits, SearchHitField::Category, FieldState::BuiltIn);
    QList<qint32> keys;
    db.GetAllKeys(TopicId::SearchHits, keys);
    m_frame->ListWindows().ShowObjectList(CListWindows::SearchHits, TopicId::SearchHits, 0, 0, keys,
                                          LoadString(ListText::FoundHits).arg(documents.size()));
}

void CWordFreqCommands::BuildWordTable(qint32 document, qint32 code, qint32 category)
{
    if (!m_document || !m_document->GetEngine())
        return;
    ShowLexicalHits(m_document->GetOverviewHits(), [&](const LexicalHit& hit) {
        return (document == 0 || hit.document == document) && (code == 0 || hit.code == code) &&
               (category == 0 || hit.category == category);
    });
}

void CWordFreqCommands::BuildParagraphWordTable(qint32 row)
{
    if (!m_document || !m_document->GetEngine())
        return;
    const qint32 entry = m_document->GetDatabase().GetIntValue(TopicId::WordFrequencies, row, kWordEntry);
    ShowLexicalHits(m_document->GetCategoryHits(), [entry](const LexicalHit& hit) { return hit.entry == entry; });
}

void CWordFreqCommands::SearchDictionaryWords()
{
    if (!m_document || !m_document->GetEngine())
        return;
    ObjectListWindow* window = m_frame->ListWindows().Window(CListWindows::Words);
    TopicDatabase& db = m_document->GetDatabase();
    if (!window || !db.GetTable(TopicId::SearchHits))
        return;
    QList<qint32> selected;
    window->List1()->GetSelection(selected);
    if (selected.isEmpty())
        return;
    CSearchOptions options;
    for (const qint32 id : std::as_const(selected))
        options.terms.append(rowfields::TextOfKey(db, TopicId::WordFrequencies, id, kWordText));
    options.wholeWords = true;
    options.matchCase = g_dictioOptions.GetBool(DictioOption::CaseSensitive);
    window->List1()->clearSelection();
    CSegmentArray rows;
    const bool inSegments = m_document->GetWordCountSettings().onlySegments && m_frame->Segments();
    if (inSegments) {
        m_frame->Segments()->GetRetrievedSegments(rows);
        m_document->SortRetrievedSegments(&m_document->GetRetrievalSettings(), rows, 1);
    }
    TopicSearchSource source(db);
    CSearchSettings search(options, &source, false);
    {
        BusyCursor busy;
        if (!search.SearchProject(inSegments ? &rows : nullptr))
            return;
    }
    const qint32 documents = StoreSearchHits(*m_document, search);
    db.SetFieldState(TopicId::SearchHits, SearchHitField::Category, FieldState::BuiltIn | FieldState::Hidden);
    QList<qint32> keys;
    db.GetAllKeys(TopicId::SearchHits, keys);
    m_frame->ListWindows().ShowObjectList(CListWindows::SearchHits, TopicId::SearchHits, 0, 0, keys,
                                          LoadString(ListText::FoundHits).arg(documents));
}
