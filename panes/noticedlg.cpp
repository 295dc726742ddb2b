#include "panes/noticedlg.h"

#include "document/listnotifyinfo.h"
#include "foundation/dragobject.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "store/storeids.h"
#include "ui/propertygrid.h"
#include "ui/richeditwnd.h"
#include "ui/richtexteditorwnd.h"
#include "ui/richviewowner.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

constexpr int kHelpTopic = 1018;
constexpr int kNoQuickCodes = 57744;
constexpr int kStoreFailed = 205000;
constexpr int kFocusDelayMs = 50;
constexpr int kTextLimit = 10'000'000;
constexpr int kBarHeight = 28;

}  // namespace

// ---- Header ----------------------------------------------------------------------

NoticeHeader::NoticeHeader(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    m_titleLeft = new QLabel(QStringLiteral("?"), this);
    m_titleRight = new QLabel(QStringLiteral("?"), this);
    m_titleRight->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = m_titleLeft->font();
    bold.setBold(true);
    m_titleLeft->setFont(bold);
    m_grid = new CPropertyGridCtrl(this);
    SetControlId(m_grid, kGridId);
    m_grid->SetBorder(false);
    m_codes = new QTreeWidget(this);
    SetControlId(m_codes, kCodeListId);
    m_codes->setHeaderHidden(true);
    m_codes->setColumnCount(1);
    m_codes->setRootIsDecorated(false);
    m_codes->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_codes->setAcceptDrops(true);
    m_codes->viewport()->setAcceptDrops(true);
    m_codes->viewport()->installEventFilter(this);
}

void NoticeHeader::SetTitles(const QString& left, const QString& right)
{
    m_titleLeft->setText(left);
    m_titleRight->setText(right);
}

QString NoticeHeader::TitleText() const
{
    return m_titleLeft->text();
}

void NoticeHeader::ShowCodeList(bool show)
{
    m_showCodes = show;
    m_codes->setVisible(show);
    Layout();
}

void NoticeHeader::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    Layout();
}

void NoticeHeader::Layout()
{
    const QRect inner = contentsRect();
    const int half = inner.width() / 2;
    m_titleLeft->setGeometry(inner.left() + 4, inner.top(), half - 4, kTitleHeight);
    m_titleRight->setGeometry(inner.left() + half, inner.top(), inner.width() - half - 4, kTitleHeight);
    const int top = inner.top() + kTitleHeight;
    const int height = std::max(0, inner.height() - kTitleHeight);
    const int gridWidth = m_showCodes ? inner.width() * 3 / 5 : inner.width();
    m_grid->setGeometry(inner.left(), top, gridWidth, height);
    m_codes->setGeometry(inner.left() + gridWidth, top, inner.width() - gridWidth, height);
    const int column = m_codes->viewport()->width() - 2;
    if (m_codes->columnWidth(0) != column)
        m_codes->setColumnWidth(0, std::max(0, column));
}

bool NoticeHeader::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_codes->viewport())
        return QFrame::eventFilter(watched, event);
    // Only codes of this project are taken, as links.
    const auto codesOf = [this](const QMimeData* data) {
        CDragObject object;
        QList<qint32> codes;
        if (!data || CDragObject::ReadMimeData(data, projectIdentity ? projectIdentity() : QString(), object)
                         != CDragObject::ReadResult::Accepted
            || object.m_kind != TopicId::Codes || object.m_id == 0)
            return codes;
        codes = object.m_ids.isEmpty() ? QList<qint32>{object.m_id} : object.m_ids;
        return codes;
    };
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (codesOf(drag->mimeData()).isEmpty()) {
            drag->ignore();
        } else {
            drag->setDropAction(Qt::LinkAction);
            drag->accept();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<qint32> codes = codesOf(drop->mimeData());
        if (codes.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::LinkAction);
        drop->accept();
        for (const qint32 code : codes)
            if (code > 0)
                emit CodeDropped(code);
        return true;
    }
    default: return QFrame::eventFilter(watched, event);
    }
}

// ---- Window ----------------------------------------------------------------------

NoticeDlg::NoticeDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowFlag(Qt::Window);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    m_strSection = QStringLiteral("dlgNotice");

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("NoticeBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    const auto addCommand = [this](int id) {
        QAction* action = m_toolBar->addAction(LoadString(id));
        action->setData(id);
        action->setToolTip(LoadString(id));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    using namespace NoticeCommand;
    addCommand(Print);
    addCommand(SaveRtf);
    m_toolBar->addSeparator();
    addCommand(CloseWithoutStoring);
    m_toolBar->addSeparator();
    addCommand(AttachQuickCode);
    addCommand(Unused);
    m_toolBar->addSeparator();
    addCommand(Help);
    addCommand(Close);

    m_tabs = new QTabBar(this);
    ::SetControlId(m_tabs, kTabsId);
    m_tabs->setExpanding(false);
    m_tabs->setDocumentMode(true);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != m_currentTab)
            SelectMemo(index);
    });

    m_header = new NoticeHeader(this);
    ::SetControlId(m_header, kHeaderId);
    m_header->projectIdentity = [this] {
        return GetOwner() ? GetOwner()->ProjectIdentity() : QString();
    };
    connect(m_header, &NoticeHeader::CodeDropped, this, [this](qint32 code) { AttachCode(code); });
    // A code clicked in the list is shown by the frame.
    connect(m_header->CodeList(), &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        IdListNotifyInfo info(RequestCode::FollowItem);
        info.itemId = item->data(0, Qt::UserRole).toInt();
        info.kind = TopicId::Codes;
        info.modifierKeys = ModifierKeysOf(QGuiApplication::keyboardModifiers());
        info.point = QCursor::pos();
        SendToOwner(info);
    });
    connect(m_header->Grid()->Grid()->model(), &QAbstractItemModel::dataChanged, this, [this] {
        if (!m_loading)
            m_modified = true;
    });

    m_editor = new RichTextEditorWnd(this);
    ::SetControlId(m_editor, kEditorId);
    m_editor->SetEditable(true);
    CRichEditWnd* edit = m_editor->Editor();
    edit->LimitText(kTextLimit);
    edit->setFrameShape(QFrame::NoFrame);
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold;
    format.faceName = QStringLiteral("Arial");
    format.height = 200;
    edit->SetDefaultCharFormat(format);
    edit->installEventFilter(this);
    connect(m_editor, &RichTextEditorWnd::TextChanged, this, [this] {
        if (!m_loading)
            m_modified = true;
    });

    const auto shortcut = [this](const QKeySequence& keys, int id) {
        auto* key = new QShortcut(keys, this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, [this, id] { OnCommand(id); });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), CloseTab);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), NextTab);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), PreviousTab);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), PreviousTab);
    resize(kFirstStartWidth, 520);
    UpdateButtons();
}

NoticeDlg::~NoticeDlg()
{
    // Storing may announce a change: the registry lets go of us first.
    LeaveRegistry();
}

bool NoticeDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    // The children are placed by hand, so the window has no size hint of its
    // own: a placement that would leave no room for the text is not kept.
    if (height() < kMinUsableHeight)
        resize(std::max(width(), kFirstStartWidth), 520);
    setWindowTitle(m_captionPrefix + GetTitle() + m_captionSuffix);
    m_modified = false;
    UpdateButtons();
    if (!g_program.ProfilePath.isEmpty()) {
        PrivateProfile profile(g_program.ProfilePath);
        const QString section = QStringLiteral("dlgNotice");
        if (profile.GetInt(section, QStringLiteral("NextStart"), 0) == 0) {
            if (width() < kFirstStartWidth)
                resize(kFirstStartWidth, height());
            profile.WriteInt(section, QStringLiteral("NextStart"), 1);
        }
    }
    Layout();
    QTimer::singleShot(kFocusDelayMs, this, [this] {
        m_editor->Editor()->setFocus();
        m_editor->UpdateCommandStates();
    });
    return true;
}

void NoticeDlg::resizeEvent(QResizeEvent* event)
{
    CResizableDlgBase::resizeEvent(event);
    Layout();
}

void NoticeDlg::Layout()
{
    const int w = std::max(0, width() - 14);
    m_toolBar->setGeometry(0, 0, width(), kBarHeight);
    m_tabs->setGeometry(7, 28, w, 32);
    m_header->setGeometry(7, 60, w, m_headerHeight);
    m_editor->setGeometry(7, m_headerHeight + 64, w, std::max(0, height() - m_headerHeight - 74));
}

int NoticeDlg::TabOf(qint32 memo) const
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabData(i).toInt() == memo)
            return i;
    return -1;
}

int NoticeDlg::AddTab(qint32 memo)
{
    const int existing = TabOf(memo);
    if (existing >= 0)
        return existing;
    const QSignalBlocker block(m_tabs);
    const int index = m_tabs->addTab(GetMemoTitle(memo));
    m_tabs->setTabData(index, memo);
    // The tab bar moves its current index when the first tab comes.
    if (m_currentTab >= 0)
        m_tabs->setCurrentIndex(m_currentTab);
    return index;
}

bool NoticeDlg::OpenMemo(qint32 memo, const QString& caption)
{
    if (memo <= 0)
        return false;
    if (!caption.isEmpty())
        m_captionPrefix = caption;
    const bool isNew = TabOf(memo) < 0;
    const int index = AddTab(memo);
    if (SelectMemo(index) || m_currentTab == index)
        return true;
    // A memo that could not be read or shown leaves no tab behind.
    if (isNew && m_memoId != memo) {
        const QSignalBlocker block(m_tabs);
        m_tabs->removeTab(index);
        if (m_currentTab >= 0)
            m_tabs->setCurrentIndex(m_currentTab);
    }
    return false;
}

bool NoticeDlg::SelectMemo(int index)
{
    if (index < 0 || index >= m_tabs->count() || m_tabs->tabData(index).toInt() < 0)
        return false;
    if (index == m_currentTab)
        return true;
    const auto stay = [this] {
        const QSignalBlocker block(m_tabs);
        if (m_currentTab >= 0)
            m_tabs->setCurrentIndex(m_currentTab);
    };
    if (!StoreCurrent()) {
        stay();
        return false;
    }
    const qint32 previous = m_memoId;
    m_memoId = m_tabs->tabData(index).toInt();
    m_loading = true;
    const bool loaded = LoadMemo();
    m_loading = false;
    if (!loaded) {
        m_memoId = previous;
        stay();
        return false;
    }
    m_currentTab = index;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(index);
    }
    ShowBody();
    setWindowTitle(m_captionPrefix + GetTitle() + m_captionSuffix);
    UpdateButtons();
    QTimer::singleShot(kFocusDelayMs, this, [this] {
        m_editor->Editor()->setFocus();
        m_editor->UpdateCommandStates();
    });
    return true;
}

void NoticeDlg::CopyOut()
{
    if (m_memoId <= 0)
        return;
    m_body.clear();
    m_editor->Editor()->StreamOutRtf(&m_body, false, true);
    m_plainText = m_editor->Editor()->document()->toPlainText();
}

void NoticeDlg::ShowBody()
{
    m_loading = true;
    m_header->Grid()->SetPropertyList(&m_properties);
    OnGridBuilt();
    m_editor->Editor()->StreamInRtf(&m_body, false);
    m_editor->Editor()->SetSel(0, 0);
    m_loading = false;
    m_modified = false;
    m_properties.ClearModified();
    m_header->m_codesChanged = false;
}

bool NoticeDlg::StoreCurrent()
{
    if (m_memoId <= 0)
        return true;
    CopyOut();
    m_header->Grid()->Apply();
    if (!m_modified && !m_properties.IsModified() && !m_header->m_codesChanged)
        return true;
    m_storing = true;
    const bool stored = StoreMemo();
    m_storing = false;
    if (!stored) {
        ReportStoreFailure();
        return false;
    }
    m_modified = false;
    m_properties.ClearModified();
    m_header->m_codesChanged = false;
    return true;
}

void NoticeDlg::ReportStoreFailure()
{
    ShowMessage(LoadString(kStoreFailed), MessageKind::Error);
}

bool NoticeDlg::CloseMemoTab(qint32 memo, bool store)
{
    const int index = TabOf(memo);
    if (index < 0)
        return true;
    const bool current = memo == m_memoId;
    if (store && current && !StoreCurrent())
        return false;
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->removeTab(index);
    }
    if (!current) {
        m_currentTab = TabOf(m_memoId);
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(m_currentTab);
        return true;
    }
    m_currentTab = -1;
    m_memoId = 0;
    m_modified = false;
    if (m_tabs->count() == 0) {
        m_properties.RemoveAll();
        m_header->Grid()->SetPropertyList(nullptr);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return true;
    }
    SelectMemo(std::min(index, m_tabs->count() - 1));
    return true;
}

void NoticeDlg::StepTab(int step)
{
    if (m_tabs->count() < 2)
        return;
    const int next = m_currentTab + step;
    if (next >= 0 && next < m_tabs->count())
        SelectMemo(next);
}

bool NoticeDlg::AttachCode(qint32 code)
{
    if (code <= 0 || m_memoId <= 0)
        return false;
    QTreeWidget* list = m_header->CodeList();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == code)
            return false;
    AddCodeRow(code);
    m_header->m_codesChanged = true;
    m_modified = true;
    return true;
}

void NoticeDlg::AddCodeRow(qint32 code)
{
    ListNotifyInfo info;
    info.itemId = code;
    info.topic = TopicId::Codes;
    info.mask = ListNotifyMask::Name;
    QueryOwner(info);
    auto* row = new QTreeWidgetItem(m_header->CodeList(), {info.name});
    row->setData(0, Qt::UserRole, code);
}

void NoticeDlg::OfferQuickCodes()
{
    const QList<QPair<qint32, QString>> entries = quickCodes ? quickCodes() : QList<QPair<qint32, QString>>();
    if (entries.isEmpty()) {
        ShowMessage(LoadString(kNoQuickCodes), MessageKind::Warning);
        return;
    }
    QMenu menu(this);
    for (int i = 0; i < entries.size(); ++i)
        menu.addAction(entries[i].second)->setData(NoticeCommand::FirstQuickCode + i);
    const QAction* chosen = menu.exec(QCursor::pos());
    const int index = chosen ? chosen->data().toInt() - NoticeCommand::FirstQuickCode : -1;
    if (index >= 0 && index < entries.size())
        AttachCode(entries[index].first);
}

void NoticeDlg::UpdateButtons()
{
    for (QAction* action : m_toolBar->actions()) {
        const int id = action->data().toInt();
        // 557 has no work; closing without storing would drop the edits.
        if (id == NoticeCommand::Unused || id == NoticeCommand::CloseWithoutStoring)
            action->setEnabled(false);
        else if (id == NoticeCommand::AttachQuickCode || id == NoticeCommand::Print || id == NoticeCommand::SaveRtf)
            action->setEnabled(m_memoId > 0);
    }
}

void NoticeDlg::OnCommand(int id)
{
    using namespace NoticeCommand;
    switch (id) {
    case Print:
        if (m_memoId > 0) {
            CopyOut();
            PrintMemo();
        }
        break;
    case SaveRtf:
        if (m_memoId > 0) {
            CopyOut();
            SaveAsRtf();
        }
        break;
    case AttachQuickCode: OfferQuickCodes(); break;
    case CloseWithoutStoring:
        if (m_memoId > 0 && ConfirmCloseMemo())
            CloseMemoTab(m_memoId, false);
        break;
    case CloseTab:
        if (m_memoId > 0)
            CloseMemoTab(m_memoId, true);
        break;
    case NextTab: StepTab(1); break;
    case PreviousTab: StepTab(-1); break;
    case FocusSwitch:
        if (m_editor->Editor()->hasFocus())
            m_header->Grid()->Grid()->setFocus();
        else
            m_editor->Editor()->setFocus();
        break;
    case Help: ShowHelpTopic(int(HelpKind::Program), kHelpTopic); break;
    case Close: close(); break;
    default: break;
    }
}

void NoticeDlg::OnObjectDeleted(qint32 topic, qint32 id)
{
    // A memo deleted elsewhere goes without being stored.
    if (topic == TopicId::Memos)
        CloseMemoTab(id, false);
}

void NoticeDlg::OnObjectChanged(qint32 topic, qint32 id)
{
    if (topic != TopicId::Memos)
        return;
    const int index = TabOf(id);
    if (index < 0)
        return;
    const QString title = GetMemoTitle(id);
    if (!title.isEmpty())
        m_tabs->setTabText(index, title);
    // The shown memo changed elsewhere: without edits of ours it is read
    // again, so that a later store does not put the old values back.
    if (id != m_memoId || m_storing)
        return;
    m_header->Grid()->Apply();
    if (m_modified || m_properties.IsModified() || m_header->m_codesChanged)
        return;
    m_loading = true;
    const bool loaded = LoadMemo();
    m_loading = false;
    if (loaded) {
        ShowBody();
        setWindowTitle(m_captionPrefix + GetTitle() + m_captionSuffix);
    }
}

void NoticeDlg::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    CResizableDlgBase::keyPressEvent(event);
}

bool NoticeDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor->Editor() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape)
            return true;
        if ((key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) || key->key() == Qt::Key_Backtab
                && !(key->modifiers() & Qt::ControlModifier)) {
            OnCommand(NoticeCommand::FocusSwitch);
            return true;
        }
    }
    return CResizableDlgBase::eventFilter(watched, event);
}

void NoticeDlg::closeEvent(QCloseEvent* event)
{
    // Edits are stored before the window goes; a refused store keeps it.
    if (!StoreCurrent()) {
        event->ignore();
        return;
    }
    CResizableDlgBase::closeEvent(event);
    if (event->isAccepted() && parentWidget())
        parentWidget()->activateWindow();
}
