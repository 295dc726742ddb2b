#include "dictionary/qntdicdlg.h"

#include "dictionary/categoryexport.h"
#include "dictionary/cattreectrl.h"
#include "dictionary/dictionaryids.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/objectlistregistry.h"
#include "foundation/dragobject.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/listids.h"
#include "platform/profile/privateprofile.h"
#include "store/storeids.h"
#include "ui/commandtoolbar.h"
#include "ui/redit4list.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>

#include <functional>

namespace {

constexpr int kMargin = 8;
constexpr int kLabelTop = 29;
constexpr int kLabelHeight = 20;
constexpr int kPaneTop = 49;
constexpr int kSplitterBand = 12;
/// Header colours of the two lists (COLORREF).
constexpr COLORREF kCategoryColour = 0x00FFDCDC;   // RGB(220, 220, 255)
constexpr COLORREF kEntryColour = 0x00D2D2FF;      // RGB(255, 210, 210)

struct CommandRow {
    int id;
    const char* shortcut;
};

/// The tool bar's buttons in order (0 = separator) with their shortcuts.
const CommandRow kToolBar[] = {
    {DictCommand::ToggleTree, "Ctrl+T"},
    {0, nullptr},
    {DictCommand::NewCategory, "Ctrl+Shift+N"},
    {DictCommand::DeleteCategory, nullptr},
    {0, nullptr},
    {DictCommand::NewEntry, "Ctrl+N"},
    {DictCommand::DeleteEntries, nullptr},
    {0, nullptr},
    {DictCommand::OpenDictionary, "Ctrl+O"},
    {DictCommand::MergeDictionary, "Ctrl+I"},
    {DictCommand::SaveDictionary, "Ctrl+S"},
    {DictCommand::ExportText, "Ctrl+E"},
    {0, nullptr},
    {DictCommand::DeleteAllCategories, "Ctrl+Alt+N"},
    {0, nullptr},
    {DictCommand::Help, nullptr},
    {DictCommand::Close, nullptr},
};

QString DictionaryFilter()
{
    return LoadString(DictText::DictionaryFilter) + QStringLiteral(" (*.kvd)");
}

}  // namespace

// ---- The tree's registry member ---------------------------------------------

void DictPaneMember::SetTree(CCatTreeCtrl* tree)
{
    m_tree = tree;
}

bool DictPaneMember::IsShown(qint32 topic, qint32 id)
{
    return m_tree && topic == TopicId::DictionaryCategories && m_tree->Contains(id);
}

bool DictPaneMember::OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId)
{
    Q_UNUSED(parentTopic);
    Q_UNUSED(parentId);
    if (!m_tree || topic != TopicId::DictionaryCategories)
        return false;
    m_tree->setUpdatesEnabled(false);
    for (const quint32 id : ids) {
        const qint32 parent = m_document ? m_document->GetCategoryParent(qint32(id)) : 0;
        OnObjectAdded(topic, qint32(id), -1, TopicId::DictionaryCategories, parent, false);
    }
    m_tree->setUpdatesEnabled(true);
    return true;
}

void DictPaneMember::ResetContent()
{
    if (m_tree)
        m_tree->ResetCategories();
}

bool DictPaneMember::OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                                   bool select)
{
    Q_UNUSED(parentTopic);
    if (!m_tree)
        return false;
    if (topic != TopicId::DictionaryCategories)
        return true;
    return m_tree->InsertCategory(id, parentId, after, select) != nullptr;
}

bool DictPaneMember::BeginEditLabel(qint32 topic, qint32 id)
{
    return m_tree && topic == TopicId::DictionaryCategories && m_tree->BeginRename(id);
}

void DictPaneMember::OnObjectDeleted(qint32 topic, qint32 id)
{
    if (m_tree && topic == TopicId::DictionaryCategories)
        m_tree->RemoveCategory(id);
}

void DictPaneMember::OnObjectChanged(qint32 topic, qint32 id)
{
    if (m_tree && topic == TopicId::DictionaryCategories)
        m_tree->RefreshCategory(id);
}

void DictPaneMember::SelectObject(qint32 topic, qint32 id, qint32 flag)
{
    Q_UNUSED(flag);
    if (m_tree && topic == TopicId::DictionaryCategories)
        m_tree->SelectCategory(id);
}

// ---- The window ---------------------------------------------------------------

CQntDicDlg::CQntDicDlg(RequestOwner* owner, CKorDoc* document, QWidget* parent)
    : CResizableDlgBase(DictText::WindowTitle, parent), m_owner(owner), m_document(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setObjectName(QStringLiteral("dictionaryWindow"));
    m_strSection = QString::fromLatin1(DictProfile::Section);
    resize(640, 420);
}

CQntDicDlg::~CQntDicDlg()
{
    // The listeners must stop before the controls they point at go.
    m_categoryListener.SetHost(nullptr);
    m_entryListener.SetHost(nullptr);
    m_treeMember.SetTree(nullptr);
    m_categoryListener.LeaveRegistry();
    m_entryListener.LeaveRegistry();
    m_treeMember.LeaveRegistry();
}

QList<CPaneWnd*> CQntDicDlg::Listeners()
{
    return {&m_categoryListener, &m_entryListener, &m_treeMember};
}

void CQntDicDlg::Create()
{
    BuildToolBar();
    m_categoryLabel = new QLabel(this);
    m_entryLabel = new QLabel(this);
    m_categoryLabel->setText(u' ' + LoadString(DictText::CategoriesLabel));
    m_entryLabel->setText(u' ' + LoadString(DictText::EntriesLabel));

    m_tree = new CCatTreeCtrl(this, m_owner, this);
    m_treeMember.SetTree(m_tree);
    m_treeMember.SetDocument(m_document);

    FieldIdsNotifyInfo categoryFields, entryFields;
    categoryFields.topic = TopicId::DictionaryCategories;
    entryFields.topic = TopicId::DictionaryEntries;
    if (m_owner) {
        m_owner->Request(categoryFields);
        m_owner->Request(entryFields);
    }
    m_categories = new ObjectListCtrl(m_owner, DictControl::Categories, this);
    m_categories->setObjectName(QStringLiteral("categoryList"));
    m_categories->Init(TopicId::DictionaryCategories, 0, 0, categoryFields.ids,
                       m_document ? m_document->GetDictionaryCategories() : QList<qint32>());
    m_categories->SetProfileSection(QString::fromLatin1(DictProfile::Section) + QStringLiteral("_Categories"));
    m_categories->RestoreState(true);
    m_categories->Setup(kCategoryColour, false);
    m_categories->SetListParent(this);
    m_entries = new ObjectListCtrl(m_owner, DictControl::Entries, this);
    m_entries->setObjectName(QStringLiteral("entryList"));
    m_entries->Init(TopicId::DictionaryEntries, TopicId::DictionaryCategories, 0, entryFields.ids, {});
    m_entries->SetProfileSection(QString::fromLatin1(DictProfile::Section) + QStringLiteral("_Entries"));
    m_entries->RestoreState(true);
    m_entries->Setup(kEntryColour, false);
    m_entries->SetListParent(this);
    for (ObjectListCtrl* list : {m_categories, m_entries}) {
        list->setFrameShape(QFrame::Box);
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
    }
    m_categoryListener.SetHost(m_categories);
    m_entryListener.SetHost(m_entries);

    ReadSettings();
    m_tree->setVisible(m_treeMode);
    m_categories->setVisible(!m_treeMode);
    m_tree->setUpdatesEnabled(false);
    FillTree(0);
    m_tree->setUpdatesEnabled(true);
    UpdateTitle();
    LayoutChildren();
    UpdateCommands();
}

void CQntDicDlg::BuildToolBar()
{
    m_toolbar = new CommandToolBar(QString(), this);
    m_toolbar->setObjectName(QStringLiteral("QntDicBar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const CommandRow& row : kToolBar) {
        if (row.id == 0) {
            m_toolbar->addSeparator();
            continue;
        }
        auto* action = new QAction(LoadString(row.id), this);
        action->setData(row.id);
        action->setCheckable(row.id == DictCommand::ToggleTree);
        if (row.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut), QKeySequence::PortableText));
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        connect(action, &QAction::triggered, this, [this, id = row.id] { OnCommand(id); });
        m_toolbar->addAction(action);
        addAction(action);
        m_actions.insert(row.id, action);
    }
    auto* remove = new QAction(this);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(remove, &QAction::triggered, this, [this] { OnCommand(DictCommand::Delete); });
    addAction(remove);
}

void CQntDicDlg::ReadSettings()
{
    const PrivateProfile profile(g_program.ProfilePath);
    const QString section = QString::fromLatin1(DictProfile::Section);
    m_defaultPath = profile.GetString(section, QString::fromLatin1(DictProfile::DefaultPath));
    m_treeMode = profile.GetInt(section, QString::fromLatin1(DictProfile::TreeView), 1) != 0;
    m_splitter = std::max(0, profile.GetInt(section, QString::fromLatin1(DictProfile::SepWidth), 0));
}

void CQntDicDlg::WriteSettings() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile profile(g_program.ProfilePath);
    const QString section = QString::fromLatin1(DictProfile::Section);
    profile.WriteString(section, QString::fromLatin1(DictProfile::DefaultPath), m_defaultPath);
    profile.WriteInt(section, QString::fromLatin1(DictProfile::TreeView), m_treeMode ? 1 : 0);
    profile.WriteInt(section, QString::fromLatin1(DictProfile::SepWidth), m_splitter);
}

void CQntDicDlg::FillTree(qint32 parent)
{
    if (!m_document)
        return;
    const QList<qint32> categories = m_document->GetDictionaryCategories();
    // Children by parent, in key order, gathered once.
    QHash<qint32, QList<qint32>> children;
    for (const qint32 category : categories)
        children[m_document->GetCategoryParent(category)].append(category);
    const std::function<void(qint32)> fill = [&](qint32 id) {
        for (const qint32 child : children.value(id)) {
            // A damaged parent chain may lead back to a placed category.
            if (m_tree->Contains(child))
                continue;
            m_treeMember.OnObjectAdded(TopicId::DictionaryCategories, child, -1, TopicId::DictionaryCategories, id,
                                       false);
            fill(child);
        }
    };
    fill(parent);
    // Categories whose parent is not there stand beside the root.
    for (const qint32 category : categories)
        if (!m_tree->Contains(category)) {
            m_tree->InsertCategory(category, m_document->GetCategoryParent(category), -1, false);
            fill(category);
        }
}

void CQntDicDlg::UpdateTitle()
{
    const QString file = m_document ? m_document->GetDictionaryFile() : QString();
    setWindowTitle(LoadString(DictText::WindowTitle) + QStringLiteral(": ") + file);
}

void CQntDicDlg::LayoutChildren()
{
    if (!m_tree)
        return;
    const int width = this->width();
    const int height = this->height();
    if (m_toolbar)
        m_toolbar->setGeometry(0, 0, width, kLabelTop - 2);
    const int position = m_splitter > 0 ? m_splitter : width * 2 / 5;
    const int paneHeight = std::max(0, height - kPaneTop - kMargin);
    m_categoryLabel->setGeometry(kMargin, kLabelTop, std::max(0, position - 2), kLabelHeight);
    m_entryLabel->setGeometry(position + kSplitterBand, kLabelTop, std::max(0, width - position - 21), kLabelHeight);
    const QRect left(kMargin, kPaneTop, std::max(0, position - 2), paneHeight);
    m_tree->setGeometry(left);
    m_categories->setGeometry(left);
    m_entries->setGeometry(position + kSplitterBand, kPaneTop, std::max(0, width - position - 21), paneHeight);
}

void CQntDicDlg::resizeEvent(QResizeEvent* event)
{
    CResizableDlgBase::resizeEvent(event);
    LayoutChildren();
}

void CQntDicDlg::mousePressEvent(QMouseEvent* event)
{
    const int position = m_splitter > 0 ? m_splitter : width() * 2 / 5;
    const int x = event->position().toPoint().x();
    if (event->button() == Qt::LeftButton && x >= position && x < position + kSplitterBand) {
        m_dragging = true;
        return;
    }
    CResizableDlgBase::mousePressEvent(event);
}

void CQntDicDlg::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    const int position = m_splitter > 0 ? m_splitter : width() * 2 / 5;
    setCursor(m_dragging || (x >= position && x < position + kSplitterBand) ? Qt::SizeHorCursor : Qt::ArrowCursor);
    if (!m_dragging)
        return;
    m_splitter = std::max(0, x - kMargin);
    LayoutChildren();
}

void CQntDicDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        m_dragging = false;
        m_splitter = std::max(0, int(event->position().x()));
        LayoutChildren();
        return;
    }
    CResizableDlgBase::mouseReleaseEvent(event);
}

void CQntDicDlg::SetTreeMode(bool tree)
{
    m_treeMode = tree;
    m_tree->setVisible(tree);
    m_categories->setVisible(!tree);
    if (tree)
        m_tree->setFocus();
    else
        m_categories->setFocus();
    UpdateCommands();
}

qint32 CQntDicDlg::GetSelectedId() const
{
    if (!m_tree)
        return 0;
    if (m_treeMode)
        return m_tree->SelectedId();
    const qint32 selected = m_categories->GetSelectedItemData();
    return selected > 0 ? selected : 0;
}

void CQntDicDlg::ShowCategory(qint32 category)
{
    if (!m_entries)
        return;
    if (category != m_shownCategory) {
        m_shownCategory = category;
        m_entries->Fill(TopicId::DictionaryCategories, category,
                        category > 0 && m_document ? m_document->GetCategoryEntries(category) : QList<qint32>());
    }
    UpdateCommands();
}

void CQntDicDlg::RefreshEntries(qint32 entry)
{
    Q_UNUSED(entry);
    UpdateCommands();
}

void CQntDicDlg::UpdateCommands()
{
    if (m_actions.isEmpty() || !m_entries)
        return;
    const bool category = GetSelectedId() > 0;
    QList<qint32> entries;
    m_entries->GetSelection(entries);
    m_actions.value(DictCommand::DeleteCategory)->setEnabled(category);
    m_actions.value(DictCommand::NewEntry)->setEnabled(category && m_shownCategory > 0);
    m_actions.value(DictCommand::DeleteEntries)->setEnabled(!entries.isEmpty());
    m_actions.value(DictCommand::ToggleTree)->setChecked(m_treeMode);
}

void CQntDicDlg::ListSelectionChanged(ObjectListCtrl* list, bool rowSelected)
{
    Q_UNUSED(list);
    Q_UNUSED(rowSelected);
    UpdateCommands();
}

bool CQntDicDlg::OnCommand(int id)
{
    switch (id) {
    case DictCommand::ToggleTree: SetTreeMode(!m_treeMode); break;
    case DictCommand::NewCategory: NewCategory(); break;
    case DictCommand::NewEntry: NewEntry(); break;
    case DictCommand::DeleteCategory: DeleteCategory(); break;
    case DictCommand::DeleteEntries: DeleteEntries(); break;
    case DictCommand::DeleteAllCategories: DeleteAll(); break;
    case DictCommand::OpenDictionary: ReadFile(true); break;
    case DictCommand::MergeDictionary: ReadFile(false); break;
    case DictCommand::SaveDictionary: SaveFile(); break;
    case DictCommand::ExportText: ExportText(); break;
    case DictCommand::Help: ShowHelpTopic(int(HelpKind::Dictionary), kDictionaryHelpTopic); break;
    case DictCommand::Close: QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection); break;
    case DictCommand::Delete: {
        QWidget* focus = QApplication::focusWidget();
        const bool inCategories = focus == m_tree || focus == m_categories;
        if (inCategories && GetSelectedId() > 0)
            DeleteCategory();
        else if (m_entries->GetSelectedItemData() > 0)
            DeleteEntries();
        break;
    }
    case DictCommand::SwitchPane:
        if (QApplication::focusWidget() == m_entries)
            (m_treeMode ? static_cast<QWidget*>(m_tree) : m_categories)->setFocus(Qt::TabFocusReason);
        else
            m_entries->setFocus(Qt::TabFocusReason);
        break;
    default: return false;
    }
    UpdateCommands();
    return true;
}

bool CQntDicDlg::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab switch between the category pane and the entries.
    if (m_tree && m_tree->ActiveEditor())
        return CResizableDlgBase::focusNextPrevChild(next);
    OnCommand(DictCommand::SwitchPane);
    return true;
}

void CQntDicDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc belong to the active list (a dialog would close).
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const int command = event->key() == Qt::Key_Escape ? ListCommand::Escape : ListCommand::Enter;
        for (ObjectListCtrl* list : {m_categories, m_entries})
            if (list && list->hasFocus()) {
                list->HandleCommand(command);
                return;
            }
        if (command == ListCommand::Enter)
            focusNextChild();
        return;
    }
    CResizableDlgBase::keyPressEvent(event);
}

void CQntDicDlg::NewCategory()
{
    if (!m_document)
        return;
    const qint32 parent = m_treeMode ? m_tree->SelectedId() : 0;
    const qint32 id = m_document->AddDictionaryCategory(parent, DictText::NewCategoryName);
    if (!id)
        return;
    ObjectListRegistry& registry = m_document->GetRegistry();
    registry.NotifyAdded(TopicId::DictionaryCategories, id, 0, TopicId::DictionaryCategories,
                         m_document->GetCategoryParent(id), true);
    if (!m_treeMode)
        return;
    registry.SelectObject(TopicId::DictionaryCategories, id, 0);
    registry.BeginEditLabel(TopicId::DictionaryCategories, id);
}

void CQntDicDlg::NewEntry()
{
    const qint32 category = GetSelectedId();
    if (!m_document || category <= 0)
        return;
    ShowCategory(category);
    const qint32 id = m_document->AddDictionaryEntry(category, DictText::NewEntryWord);
    if (id)
        m_document->GetRegistry().NotifyAdded(TopicId::DictionaryEntries, id, 0, TopicId::DictionaryCategories,
                                              category, true);
}

void CQntDicDlg::DeleteCategory()
{
    const qint32 category = GetSelectedId();
    if (!m_document || category <= 0 || !AskYesNo(LoadString(DictText::DeleteCategoryQuestion)))
        return;
    if (category == m_shownCategory)
        ShowCategory(0);
    m_document->DeleteItem(TopicId::DictionaryCategories, category);
}

void CQntDicDlg::DeleteEntries()
{
    QList<qint32> entries;
    m_entries->GetSelection(entries);
    if (!m_document || entries.isEmpty() || !AskYesNo(LoadString(DictText::DeleteEntriesQuestion)))
        return;
    for (const qint32 entry : std::as_const(entries))
        m_document->DeleteItem(TopicId::DictionaryEntries, entry);
}

void CQntDicDlg::DeleteAll()
{
    if (!m_document || !AskYesNo(LoadString(DictText::DeleteAllQuestion)))
        return;
    ShowCategory(0);
    m_document->DeleteAllCategories();
}

QString CQntDicDlg::PromptFile(bool save, int titleId, const QString& filter, const QString& suffix)
{
    FilePrompt prompt;
    prompt.kind = save ? FilePromptKind::SaveFile : FilePromptKind::OpenFile;
    prompt.title = LoadString(titleId);
    prompt.filter = filter;
    prompt.path = m_defaultPath;
    prompt.defaultSuffix = suffix;
    const QStringList files = PromptForFiles(prompt);
    if (files.isEmpty() || files.first().isEmpty())
        return {};
    m_defaultPath = QFileInfo(files.first()).absolutePath();
    return files.first();
}

void CQntDicDlg::AnnounceCategories(const QList<qint32>& categories)
{
    if (categories.isEmpty())
        return;
    QList<quint32> ids;
    ids.reserve(categories.size());
    for (const qint32 id : categories)
        ids.append(quint32(id));
    m_document->GetRegistry().NotifyAddedMany(TopicId::DictionaryCategories, ids, TopicId::DictionaryCategories, 0);
}

void CQntDicDlg::ReadFile(bool replace)
{
    if (!m_document)
        return;
    const QString path = PromptFile(false, DictText::OpenPrompt, DictionaryFilter(), QStringLiteral("kvd"));
    if (path.isEmpty())
        return;
    QList<qint32> categories;
    BeginWait();
    CKorDoc::DictionaryRead read = CKorDoc::DictionaryRead::Read;
    if (replace) {
        ShowCategory(0);
        read = m_document->ReplaceDictionary(path, &categories);
    } else if (!m_document->ImportTextFile(path, &categories)) {
        read = CKorDoc::DictionaryRead::NotOpened;
    }
    AnnounceCategories(categories);
    EndWait();
    if (read != CKorDoc::DictionaryRead::Read) {
        const int text = read == CKorDoc::DictionaryRead::NotOpened ? DictText::CannotOpen : DictText::NoDictionary;
        ShowMessage(LoadString(text).arg(QDir::toNativeSeparators(path)), MessageKind::Warning);
        return;
    }
    if (replace) {
        m_document->SetDictionaryFile(path);
        UpdateTitle();
    }
}

void CQntDicDlg::SaveFile()
{
    if (!m_document)
        return;
    const QString path = PromptFile(true, DictText::SavePrompt, DictionaryFilter(), QStringLiteral("kvd"));
    if (path.isEmpty())
        return;
    BeginWait();
    const bool written = m_document->ExportTabbedList(path, m_tree->PreorderIds());
    EndWait();
    if (!written) {
        ShowMessage(LoadString(DictText::NotWritten).arg(QDir::toNativeSeparators(path)), MessageKind::Error);
        return;
    }
    m_document->SetDictionaryFile(path);
    UpdateTitle();
}

QString CQntDicDlg::DisplayText(qint32 topic, qint32 id) const
{
    if (!m_owner)
        return {};
    ListNotifyInfo info;
    info.topic = topic;
    info.itemId = id;
    info.mask = ListNotifyMask::Name;
    info.query = true;
    SendRequest(m_owner, const_cast<CQntDicDlg*>(this), DictControl::Tree, info);
    return info.handled ? info.name : QString();
}

void CQntDicDlg::ExportText()
{
    if (!m_document)
        return;
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(DictText::ExportPrompt);
    prompt.filter = LoadString(DictText::TextFilter) + QStringLiteral(" (*.txt)");
    prompt.path = QDir(m_defaultPath).filePath(LoadString(DictText::DictionaryFilter) + QStringLiteral(".txt"));
    prompt.defaultSuffix = QStringLiteral("txt");
    const QStringList files = PromptForFiles(prompt);
    if (files.isEmpty() || files.first().isEmpty())
        return;
    QList<CategoryExportItem> items;
    for (const qint32 id : m_tree->PreorderIds()) {
        CategoryExportItem item;
        item.id = id;
        item.parent = CCatTreeCtrl::IdOf(m_tree->ItemOf(id)->parent());
        item.name = DisplayText(TopicId::DictionaryCategories, id);
        for (const qint32 entry : m_document->GetCategoryEntries(id))
            item.words.append(DisplayText(TopicId::DictionaryEntries, entry));
        items.append(item);
    }
    QString error;
    if (!WriteUtf16TextFile(files.first(), BuildCategoryExportText(items), &error))
        ShowMessage(LoadString(DictText::ExportFailed).arg(QDir::toNativeSeparators(files.first()), error),
                    MessageKind::Error);
}

void CQntDicDlg::MoveEntries(const QList<qint32>& entries, qint32 category)
{
    if (m_document && category > 0)
        m_document->MoveDictionaryEntries(entries, category);
    UpdateCommands();
}

Qt::DropAction CQntDicDlg::ListDrop(ObjectListCtrl* list, const QMimeData* data, const QPoint& point, bool perform)
{
    CDragObject payload;
    const QString identity = m_owner ? m_owner->ProjectIdentity() : QString();
    if (!m_document || CDragObject::ReadMimeData(data, identity, payload) != CDragObject::ReadResult::Accepted ||
        payload.m_ids.isEmpty())
        return Qt::IgnoreAction;
    if (list == m_entries && payload.m_kind == TopicId::WordFrequencies) {
        const qint32 category = m_shownCategory > 0 ? m_shownCategory : GetSelectedId();
        if (category <= 0)
            return Qt::IgnoreAction;
        if (perform) {
            BeginWait();
            m_document->AddWordRowsToCategory(category, payload.m_ids);
            EndWait();
            UpdateCommands();
        }
        return Qt::CopyAction;
    }
    if (list == m_categories && payload.m_kind == TopicId::DictionaryEntries) {
        const QModelIndex index = m_categories->indexAt(point);
        const qint32 category = index.isValid() ? m_categories->KeyAt(index.row()) : 0;
        // Rows of that value are placeholders, not categories.
        constexpr qint32 kPlaceholderRow = 999999999;
        if (category <= 0 || category == kPlaceholderRow)
            return Qt::IgnoreAction;
        if (perform)
            MoveEntries(payload.m_ids, category);
        return Qt::MoveAction;
    }
    return Qt::IgnoreAction;
}

bool CQntDicDlg::eventFilter(QObject* watched, QEvent* event)
{
    ObjectListCtrl* list = nullptr;
    if (m_entries && watched == m_entries->viewport())
        list = m_entries;
    else if (m_categories && watched == m_categories->viewport())
        list = m_categories;
    if (!list)
        return CResizableDlgBase::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const Qt::DropAction action = ListDrop(list, drag->mimeData(), drag->position().toPoint(), false);
        if (action == Qt::IgnoreAction) {
            drag->ignore();
        } else {
            drag->setDropAction(action);
            drag->accept();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const Qt::DropAction action = ListDrop(list, drop->mimeData(), drop->position().toPoint(), true);
        if (action == Qt::IgnoreAction) {
            drop->ignore();
        } else {
            drop->setDropAction(action);
            drop->accept();
        }
        return true;
    }
    default: return CResizableDlgBase::eventFilter(watched, event);
    }
}

void CQntDicDlg::WriteBack()
{
    if (!m_document)
        return;
    QString path = m_document->GetDictionaryFile();
    if (path.isEmpty()) {
        // Without a file the dictionary would be lost: ask for one.
        path = PromptFile(true, DictText::SavePrompt, DictionaryFilter(), QStringLiteral("kvd"));
        if (path.isEmpty())
            return;
        m_document->SetDictionaryFile(path);
    }
    if (!m_document->ExportTabbedList(path, m_tree->PreorderIds())) {
        ShowMessage(LoadString(DictText::NotWritten).arg(QDir::toNativeSeparators(path)), MessageKind::Error);
        return;
    }
    // Read back, so that ids follow the file as the next open finds them.
    // The window hears nothing of it any more.
    m_categoryListener.LeaveRegistry();
    m_entryListener.LeaveRegistry();
    m_treeMember.LeaveRegistry();
    m_document->ReplaceDictionary(path, nullptr);
}

void CQntDicDlg::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        CResizableDlgBase::closeEvent(event);
        return;
    }
    m_closed = true;
    BeginWait();
    if (CREdit4List* editor = m_tree ? m_tree->ActiveEditor() : nullptr)
        editor->Finish(true);
    for (ObjectListCtrl* list : {m_categories, m_entries}) {
        if (!list)
            continue;
        list->StopMeasuring();
        list->SaveState();
    }
    WriteSettings();
    WriteBack();
    EndWait();
    CResizableDlgBase::closeEvent(event);
}
