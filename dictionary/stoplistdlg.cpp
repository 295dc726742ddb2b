#include "dictionary/stoplistdlg.h"

#include "dictionary/wordfreqtexts.h"
#include "document/kordoc.h"
#include "document/wordlist.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/codepage/codepage.h"
#include "platform/profile/privateprofile.h"
#include "ui/redit4list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("dlgDictioStopList");
const QString kDefaultPathKey = QStringLiteral("DefaultPath");
constexpr int kHelpTopic = 3003;
constexpr int kMaxRecent = 10;
constexpr int kItemData = Qt::UserRole;  // 0 a new row, 1 a word of the list

/// The folder part of a path, with its last separator.
QString FolderOf(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString FileFilter()
{
    return LoadString(WordFreqText::FileFilter) + QStringLiteral(" (*.txt)");
}

QPushButton* Button(QWidget* parent, int id, int textId)
{
    auto* button = new QPushButton(TextKey(textId), parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

void ReportFileError(const QString& path)
{
    ShowMessage(LoadString(WordFreqText::StopListFileError).arg(QDir::toNativeSeparators(path)), MessageKind::Error);
}

}  // namespace

CStopListDlg::CStopListDlg(QWidget* parent, CKorDoc* document, QStringList* recent, QString* stopListPath)
    : CResizableDlgBase(kTemplateId, parent), m_document(document), m_recent(recent), m_stopListPath(stopListPath)
{
    m_strSection = kSection;
    setWindowTitle(LoadString(WordFreqText::StopListTitle));
    if (m_stopListPath)
        m_folder = FolderOf(*m_stopListPath);
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    m_list = new QListWidget(this);
    SetControlId(m_list, WordList);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->installEventFilter(this);
    left->addWidget(m_list);
    m_fileLabel = new QLabel(this);
    SetControlId(m_fileLabel, FileLabel);
    m_fileLabel->setWordWrap(true);
    left->addWidget(m_fileLabel);
    layout->addLayout(left, 1);

    auto* buttons = new QVBoxLayout;
    QPushButton* add = Button(this, NewWord, WordFreqText::StopListNewWord);
    m_delete = Button(this, DeleteWords, WordFreqText::StopListDelete);
    QPushButton* replace = Button(this, ReplaceButton, WordFreqText::StopListReplace);
    QPushButton* append = Button(this, AddButton, WordFreqText::StopListAdd);
    m_export = Button(this, ExportButton, WordFreqText::StopListExport);
    QPushButton* close = Button(this, CloseButton, WordFreqText::StopListClose);
    QPushButton* help = MakeIconButton(this, HelpButton, QStyle::SP_DialogHelpButton, WordFreqText::HelpTip);
    for (QPushButton* button : {add, m_delete, replace, append, m_export})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, [this] { EditRow(nullptr); });
    connect(m_delete, &QPushButton::clicked, this, &CStopListDlg::DeleteSelected);
    connect(replace, &QPushButton::clicked, this, [this] { ReadFromFile(true); });
    connect(append, &QPushButton::clicked, this, [this] { ReadFromFile(false); });
    connect(m_export, &QPushButton::clicked, this, &CStopListDlg::ExportList);
    connect(close, &QPushButton::clicked, this, &CStopListDlg::Close);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(int(HelpKind::Dictionary), kHelpTopic); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CStopListDlg::EditRow);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CStopListDlg::UpdateButtons);
}

CStopListDlg::~CStopListDlg()
{
    if (m_editor)
        CREdit4List::DestroyActive();
}

bool CStopListDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    if (!m_document) {
        QMetaObject::invokeMethod(this, [this] { done(kUnchanged); }, Qt::QueuedConnection);
        return false;
    }
    m_fileLabel->setText(QStringLiteral(" ") + (m_stopListPath ? QDir::toNativeSeparators(*m_stopListPath) : QString()));
    if (!g_program.ProfilePath.isEmpty())
        m_folder = PrivateProfile(g_program.ProfilePath).GetString(kSection, kDefaultPathKey);
    Fill();
    return true;
}

void CStopListDlg::Fill()
{
    m_list->clear();
    for (const QString& word : m_document->GetWordList()) {
        auto* item = new QListWidgetItem(word, m_list);
        item->setData(kItemData, 1);
    }
    UpdateButtons();
}

void CStopListDlg::UpdateButtons()
{
    m_delete->setEnabled(!m_list->selectedItems().isEmpty());
    m_export->setEnabled(m_list->count() > 0);
}

void CStopListDlg::EditRow(QListWidgetItem* item)
{
    if (!item) {
        item = new QListWidgetItem;
        item->setData(kItemData, 0);
        m_list->insertItem(0, item);
    }
    m_list->scrollToItem(item);
    m_edited = item;
    QRect area = m_list->visualItemRect(item);
    area.setLeft(area.left() - 1);
    area.setRight(m_list->viewport()->width() - 1);
    area.adjust(0, -1, 0, 1);
    auto* editor = new CREdit4List;
    if (!editor->Create(m_list->viewport(), this, area, item->text(), kWordUnits, 0)) {
        delete editor;
        if (item->data(kItemData).toInt() == 0)
            delete item;
        m_edited = nullptr;
        return;
    }
    m_editor = editor;
    connect(editor, &CREdit4List::finished, this, &CStopListDlg::FinishEdit);
}

void CStopListDlg::FinishEdit(bool accepted)
{
    QListWidgetItem* item = m_edited;
    m_edited = nullptr;
    if (!item || !m_editor)
        return;
    const bool isNew = item->data(kItemData).toInt() == 0;
    QString text = m_editor->GetText();
    m_editor = nullptr;
    // Only the first word, lower-cased, with the separators applied.
    RemoveSeparators(text, true);
    const QString word = text.left(text.indexOf(u' ')).left(kWordUnits);
    if (!accepted || word.isEmpty()) {
        if (isNew)
            delete item;
        UpdateButtons();
        return;
    }
    if (!isNew)
        m_document->RemoveWord(item->text());
    delete item;
    qsizetype position = 0;
    m_document->FindWordPosition(word, &position);
    // The list may hold the word already: the rows follow the list.
    Fill();
    QListWidgetItem* row = m_list->item(int(position));
    if (row) {
        m_list->clearSelection();
        m_list->setCurrentItem(row);
        row->setSelected(true);
        m_list->scrollToItem(row);
    }
    m_modified = true;
    UpdateButtons();
}

void CStopListDlg::DeleteSelected()
{
    for (int row = m_list->count() - 1; row >= 0; --row) {
        QListWidgetItem* item = m_list->item(row);
        if (!item->isSelected())
            continue;
        m_document->RemoveWord(item->text());
        delete item;
        m_modified = true;
    }
    UpdateButtons();
}

void CStopListDlg::ReadFromFile(bool replace)
{
    FilePrompt prompt;
    prompt.kind = FilePromptKind::OpenFile;
    prompt.title = LoadString(replace ? WordFreqText::ReplaceTitle : WordFreqText::AddTitle);
    prompt.filter = FileFilter();
    prompt.path = m_folder;
    prompt.defaultSuffix = QStringLiteral("txt");
    const QStringList chosen = PromptForFiles(prompt);
    if (chosen.isEmpty())
        return;
    const QString path = chosen.constFirst();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportFileError(path);
        return;
    }
    m_document->SetWordList(codepage::DecodeTextFile(file.readAll()), !replace);
    Fill();
    m_modified = true;
    m_folder = FolderOf(path);
    if (replace)
        UseFile(path);
}

void CStopListDlg::ExportList()
{
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(WordFreqText::ExportTitle);
    prompt.filter = FileFilter();
    prompt.path = m_folder;
    prompt.defaultSuffix = QStringLiteral("txt");
    const QStringList chosen = PromptForFiles(prompt);
    if (chosen.isEmpty())
        return;
    const QString path = chosen.constFirst();
    QString text;
    for (const QString& word : m_document->GetWordList())
        text += word + QStringLiteral("\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    // Written aside and moved over the target, so a failure leaves it as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ReportFileError(path);
        return;
    }
    m_folder = FolderOf(path);
    UseFile(path);
}

void CStopListDlg::UseFile(const QString& path)
{
    if (m_recent) {
        m_recent->removeAll(path);
        m_recent->prepend(path);
        while (m_recent->size() > kMaxRecent)
            m_recent->removeLast();
    }
    if (m_stopListPath)
        *m_stopListPath = path;
    m_fileLabel->setText(QStringLiteral(" ") + QDir::toNativeSeparators(path));
}

void CStopListDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter closes only on the close button; elsewhere it moves on.
        if (ControlId(focusWidget()) == CloseButton)
            Close();
        else
            focusNextChild();
        return;
    }
    CResizableDlgBase::keyPressEvent(event);
}

bool CStopListDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return CResizableDlgBase::eventFilter(watched, event);
}

void CStopListDlg::reject()
{
    Close();
}

void CStopListDlg::Close()
{
    if (m_editor)
        m_editor->Finish(true);
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteString(kSection, kDefaultPathKey, m_folder);
    done(m_modified ? kModified : kUnchanged);
}
