// The word-frequency commands of the frame: the word counter, the count of
// dictionary words, the stop list and the tag cloud, and their "QNT" values.

#include "app/wordfreqcommands.h"

#include "app/listwindows.h"
#include "app/textviewerdlg.h"
#include "app/mainframe.h"
#include "dictionary/stoplistdlg.h"
#include "dictionary/wordfrequency.h"
#include "dictionary/wordfrequencydlg.h"
#include "document/kordoc.h"
#include "foundation/programpaths.h"
#include "foundation/messageservice.h"
#include "foundation/segmentarray.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/idtreemodel.h"
#include "panes/objectlistwindow.h"
#include "panes/treepanewindow.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/segmentsctrl.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

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
constexpr int kNoWordsText = 203022;

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
        ShowMessage(LoadString(kNoWordsText));
        return;
    }
    delete m_frame->ListWindows().Window(CListWindows::Words);
    CTextViewerDlg viewer(m_frame, label, CTextViewerDlg::SupportInformation);
    viewer.Buffer() = rtf;
    if (viewer.exec() == CTextViewerDlg::SavedResult)
        ShowWordList(kTagCloudListMode);
}
