#include "app/listwindows.h"

#include "dictionary/qntdicdlg.h"

#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/listids.h"
#include "panes/objectlistwindow.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QObject>

namespace {

int KindOf(int command)
{
    using namespace ListWindowCommand;
    switch (command) {
    case MemosList: return CListWindows::Memos;
    case SearchHitsList: return CListWindows::SearchHits;
    case CodingsList: return CListWindows::Codings;
    case CodesList: return CListWindows::Codes;
    case DocumentsList:
    case DocumentVariables:
    case CodeVariables: return CListWindows::Variables;
    case WordList: return CListWindows::Words;
    case OverviewList: return CListWindows::Overview;
    case GeoLinkList: return CListWindows::GeoLinks;
    default: return -1;
    }
}

}  // namespace

CListWindows::CListWindows(QWidget* frame, CKorDoc* document) : m_frame(frame), m_document(document) {}

CListWindows::~CListWindows()
{
    m_document = nullptr;   // the windows going now change nothing in it
    for (auto& window : m_windows)
        delete window.data();
    delete m_dictionary.data();
}

ObjectListWindow* CListWindows::Window(Kind kind) const
{
    return m_windows[kind].data();
}

void CListWindows::CloseAll()
{
    for (auto& window : m_windows)
        if (window)
            window->close();
    // The dictionary is written back to its file as its window closes.
    if (m_dictionary)
        m_dictionary->close();
}

void CListWindows::Raise(ObjectListWindow* window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

ObjectListWindow* CListWindows::Open(Kind kind, qint32 topic, const QList<qint32>& keys, const QString& title,
                                     bool withVariables, qint32 originKind, qint32 originId)
{
    if (ObjectListWindow* open = m_windows[kind]) {
        open->SetContent(originKind, originId, keys, title);
        Raise(open);
        return open;
    }
    TopicDatabase& db = m_document->GetDatabase();
    QList<qint32> fieldIds;
    db.GetFieldIds(topic, fieldIds, true);
    VariableListContent variables;
    if (withVariables) {
        const qint32 list = topic == TopicId::Documents ? TopicId::DocumentVariables : TopicId::CodeVariables;
        db.GetFieldIds(list, variables.fieldIds, true);
        db.GetAllKeys(list, variables.keys);
    }
    auto* window = new ObjectListWindow(m_owner, topic, originKind, originId, fieldIds, keys, title,
                                        withVariables ? &variables : nullptr, m_frame);
    m_windows[kind] = window;
    return window;
}

bool CListWindows::OnUpdateCommand(CCmdUI& ui)
{
    if (ui.id == ListWindowCommand::Dictionary) {
        ui.Enable(m_owner && m_document && m_document->GetEngine());
        return true;
    }
    if (ui.id == ListWindowCommand::WordsToCategory) {
        ui.Enable(m_dictionary && m_dictionary->GetSelectedId() > 0 && m_windows[Words]);
        return true;
    }
    if (KindOf(ui.id) < 0)
        return false;
    ui.Enable(m_owner && m_document && m_document->GetEngine());
    return true;
}

bool CListWindows::OnCommand(int id)
{
    using namespace ListWindowCommand;
    if (id == Dictionary) {
        if (m_owner && m_document && m_document->GetEngine())
            OpenDictionary();
        return true;
    }
    if (id == WordsToCategory) {
        AddSelectedWordsToCategory();
        return true;
    }
    const int kindIndex = KindOf(id);
    if (kindIndex < 0)
        return false;
    if (!m_owner || !m_document || !m_document->GetEngine())
        return true;
    const Kind kind = Kind(kindIndex);
    TopicDatabase& db = m_document->GetDatabase();
    const auto allKeys = [&db](qint32 topic) {
        QList<qint32> keys;
        db.GetAllKeys(topic, keys);
        return keys;
    };
    // Windows that are only brought back while they exist.
    if ((kind == Words || kind == Overview) && m_windows[kind]) {
        Raise(m_windows[kind]);
        return true;
    }
    BeginWait();
    ObjectListWindow* window = nullptr;
    bool wasOpen = m_windows[kind];
    switch (id) {
    case MemosList:
        window = Open(kind, TopicId::Memos, allKeys(TopicId::Memos), LoadString(ListText::AllObjects), false);
        break;
    case SearchHitsList: {
        const QList<qint32> keys = allKeys(TopicId::SearchHits);
        // Titled with the documents the last find hit, as the find left it.
        window = Open(kind, TopicId::SearchHits, keys,
                      LoadString(ListText::FoundHits).arg(m_document->SearchHitDocuments()), false);
        break;
    }
    case CodingsList: {
        // Codings of no code are the retrieval's or left behind: not listed.
        QList<qint32> keys;
        for (const qint32 key : allKeys(TopicId::Codings))
            if (db.GetIntValue(TopicId::Codings, key, CodingField::Code) != 0)
                keys.append(key);
        window = Open(kind, TopicId::Codings, keys, LoadString(ListText::AllObjects), false);
        qint32 documents = 0;
        qint32 groups = 0;
        m_document->CountCodingSources(keys, documents, groups);
        window->SetCodingsCounts(documents, groups);
        break;
    }
    case CodesList:
        if (!wasOpen) {
            m_document->BuildVariableList(true);
            // The list's frequency columns count as codings come and go.
            m_document->SetAutoFrequencies(true);
        }
        window = Open(kind, TopicId::Codes, allKeys(TopicId::Codes), LoadString(ListText::AllObjects), true);
        break;
    case DocumentsList:
    case DocumentVariables:
    case CodeVariables: {
        // One variables window: an open one is replaced.
        delete m_windows[kind].data();
        wasOpen = false;
        const bool codes = id == CodeVariables;
        m_document->BuildVariableList(codes);
        const qint32 topic = codes ? TopicId::Codes : TopicId::Documents;
        window = Open(kind, topic, allKeys(topic), LoadString(ListText::AllObjects), true);
        window->SetVariablesShown(id != DocumentsList);
        break;
    }
    case WordList:
        window = Open(kind, TopicId::WordFrequencies, allKeys(TopicId::WordFrequencies),
                      LoadString(33092).arg(db.GetRowCount(TopicId::WordFrequencies)).arg(0), false);
        break;
    case OverviewList:
        window = Open(kind, TopicId::OverviewTable, allKeys(TopicId::OverviewTable), QString(), false);
        break;
    case GeoLinkList:
        // The overview is rebuilt from the project's links before it is shown.
        m_document->BuildLinkTable(0);
        window = Open(kind, TopicId::MapLinks, allKeys(TopicId::MapLinks), QString(), false);
        break;
    default: break;
    }
    if (window && !m_windows[kind].isNull() && !wasOpen)
        ShowNew(kind, window);
    EndWait();
    return true;
}

ObjectListWindow* CListWindows::ShowObjectList(Kind kind, qint32 topic, qint32 originKind, qint32 originId,
                                               QList<qint32> keys, const QString& title)
{
    if (!m_owner || !m_document || !m_document->GetEngine())
        return nullptr;
    BeginWait();
    const bool documents = topic == TopicId::Documents;
    if (documents) {
        // The variables columns are laid out for this list: never reused.
        delete m_windows[kind].data();
        m_document->BuildVariableList(false);
    }
    if (topic == TopicId::Codings)
        m_document->RemoveDeadCodings(keys);
    const bool wasOpen = m_windows[kind];
    ObjectListWindow* window = Open(kind, topic, keys, title, documents, originKind, originId);
    if (documents)
        window->SetVariablesShown(false);
    if (topic == TopicId::Codings) {
        qint32 documentCount = 0;
        qint32 groupCount = 0;
        m_document->CountCodingSources(keys, documentCount, groupCount);
        window->SetCodingsCounts(documentCount, groupCount);
    }
    if (!wasOpen)
        ShowNew(kind, window);
    EndWait();
    return window;
}

CQntDicDlg* CListWindows::DictionaryWindow() const
{
    return m_dictionary.data();
}

void CListWindows::OpenDictionary()
{
    if (CQntDicDlg* open = m_dictionary) {
        if (open->isMinimized())
            open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* window = new CQntDicDlg(m_owner, m_document, m_frame);
    m_dictionary = window;
    window->Create();
    window->show();
    for (CPaneWnd* listener : window->Listeners())
        m_document->GetRegistry().Register(listener);
}

void CListWindows::AddSelectedWordsToCategory()
{
    ObjectListWindow* words = m_windows[Words];
    const qint32 category = m_dictionary ? m_dictionary->GetSelectedId() : 0;
    if (!words || category <= 0)
        return;
    QList<qint32> selected;
    words->List1()->GetSelection(selected);
    AddWordsToCategory(category, selected);
    words->List1()->clearSelection();
}

void CListWindows::FollowDictionary(qint32 kind, qint32 id)
{
    CQntDicDlg* window = m_dictionary;
    if (!window || !m_document)
        return;
    if (kind == TopicId::DictionaryCategories) {
        m_document->GetRegistry().SelectObject(TopicId::DictionaryCategories, id, 0);
        window->ShowCategory(id);
    } else if (kind == TopicId::DictionaryEntries) {
        window->RefreshEntries(id);
    }
}

void CListWindows::ShowNew(Kind kind, ObjectListWindow* window)
{
    window->Create();
    m_document->GetRegistry().Register(window->Listener());
    m_topics[kind] = window->Topic();
    QObject::connect(window, &QObject::destroyed, window, [this, kind] { WindowGone(kind); });
    window->show();
}

ObjectListWindow* CListWindows::OpenMediaMarks(qint32 document, const QList<qint32>& keys, const QString& title)
{
    if (!m_owner || !m_document || !m_document->GetEngine())
        return nullptr;
    if (ObjectListWindow* open = m_windows[MediaMarks]) {
        open->SetContent(TopicId::Documents, document, keys, title);
        Raise(open);
        return open;
    }
    QList<qint32> fieldIds;
    m_document->GetDatabase().GetFieldIds(TopicId::MediaMarks, fieldIds, true);
    auto* window = new ObjectListWindow(m_owner, TopicId::MediaMarks, TopicId::Documents, document, fieldIds, keys,
                                        title, nullptr, m_frame);
    m_windows[MediaMarks] = window;
    ShowNew(MediaMarks, window);
    return window;
}

void CListWindows::UpdateMediaMarks(qint32 document, const QList<qint32>& keys, const QString& title)
{
    if (ObjectListWindow* open = m_windows[MediaMarks])
        open->SetContent(TopicId::Documents, document, keys, title);
}

void CListWindows::CloseMediaMarks()
{
    if (ObjectListWindow* open = m_windows[MediaMarks])
        open->close();
}

void CListWindows::WindowGone(Kind kind)
{
    // The window is only a QObject by now: it is known by its kind.
    if (m_topics[kind] != TopicId::Codes || !m_document)
        return;
    for (int other = 0; other < KindCount; ++other)
        if (other != kind && !m_windows[other].isNull() && m_topics[other] == TopicId::Codes)
            return;
    m_document->SetAutoFrequencies(false);
}

int CListWindows::AddWordsToCategory(qint32 category, const QList<qint32>& wordIds)
{
    if (!m_document || !m_document->GetEngine() || category <= 0 || wordIds.isEmpty())
        return 0;
    return int(m_document->AddWordRowsToCategory(category, wordIds).size());
}
