#include "panes/objectlistwindow.h"

#include "document/documentids.h"
#include "foundation/filehelpers.h"
#include "foundation/help.h"
#include "foundation/ids.h"
#include "foundation/imageexport.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/dragrichedit.h"
#include "panes/listheaderctrl.h"
#include "panes/listids.h"
#include "platform/profile/privateprofile.h"
#include "store/storeids.h"
#include "ui/commandtooltip.h"
#include "ui/windowplacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolBar>

namespace {

/// How a topic's list window looks and behaves.
struct TopicSettings {
    qint32 topic;
    int windowTextId;   // 0: the window text stays the title
    int countLabelId;
    COLORREF colour;
    int colourMarker;
    bool preview;
    bool referenceDisplay;
    bool headerMenu;
    bool keepColumnOrder;
    int buttonCommand;
};

constexpr TopicSettings kTopicSettings[] = {
    {TopicId::Documents, ListText::Documents, ListText::DocumentsCount, MakeColor(200, 225, 224), 3, false, true, true, true, 0},
    {TopicId::Codes, ListText::Codes, ListText::Codes, MakeColor(225, 255, 225), 1, false, true, true, true, 0},
    {TopicId::SearchHits, ListText::SearchHits, ListText::SearchHitsCount, MakeColor(255, 210, 224), 0, false, true, true, true,
     ListCommand::ConfirmSearchHits},
    {TopicId::Codings, ListText::Codings, ListText::Codings, MakeColor(255, 224, 180), 2, true, false, true, true, 0},
    {TopicId::Memos, ListText::Memos, ListText::MemosCount, MakeColor(232, 232, 255), 0, true, false, true, true, 0},
    {TopicId::WordFrequencies, ListText::WordFrequencies, ListText::WordFrequenciesCount, MakeColor(255, 215, 215), 0, false,
     true, true, true, 0},
    {TopicId::OverviewTable, ListText::OverviewTable, ListText::OverviewTableCount, MakeColor(255, 220, 220), 0, false, false,
     false, false, 0},
    {TopicId::MapLinks, ListText::MapLinks, ListText::MapLinks, MakeColor(232, 232, 255), 0, false, true, true, true, 0},
    {TopicId::MediaMarks, ListText::MediaMarks, ListText::MediaMarks, MakeColor(232, 232, 255), 0, false, true, true, true, 0},
    {TopicId::CoderComparison, ListText::CoderComparison, ListText::Objects, MakeColor(255, 220, 220), 0, false, false, false,
     false, 0},
    {TopicId::CoderAgreement, ListText::CoderAgreement, ListText::Objects, MakeColor(232, 232, 255), 0, false, false, false,
     false, 0},
};

TopicSettings SettingsOf(qint32 topic)
{
    for (const TopicSettings& settings : kTopicSettings)
        if (settings.topic == topic)
            return settings;
    return {topic, 0, ListText::Objects, MakeColor(232, 232, 255), 0, false, true, true, true, 0};
}

/// The toolbar's commands by kind of list.
QList<int> ToolbarCommands(qint32 topic)
{
    using namespace ListCommand;
    switch (topic) {
    case TopicId::Documents:
    case TopicId::Codes:
        return {OpenInExcel, OpenAsHtml, Export, ToggleVariables, NewVariable, DeleteVariable, VariablesBoolean,
                VariablesText, OwnerCommand1178, Help, Close};
    case TopicId::SearchHits:
    case TopicId::Codings:
        return {OpenInExcel, OpenAsHtml, Export, CodeSelection, ButtonCommand, SearchHitAction, Help, Close};
    case TopicId::OverviewTable:
        return {OpenInExcel, OpenAsHtml, Export, OwnerCommand1178, OwnerCommand1186, Help, Close};
    default:
        return {OpenInExcel, OpenAsHtml, Export, CodeSelection, Hidden1172, Hidden23001, Help, Close};
    }
}

struct Shortcut {
    int id;
    const char* keys;
};
constexpr Shortcut kShortcuts[] = {
    {ListCommand::OpenAsHtml, "Ctrl+H"},       {ListCommand::Export, "Ctrl+E"},
    {ListCommand::CodeSelection, "Ctrl+Q"},    {ListCommand::ButtonCommand, "Ctrl+P"},
    {ListCommand::ToggleVariables, "Ctrl+O"},  {ListCommand::VariablesBoolean, "Ctrl+B"},
    {ListCommand::VariablesText, "Ctrl+S"},    {ListCommand::OwnerCommand1178, "Ctrl+Shift+R"},
    {ListCommand::OwnerCommand1186, "Ctrl+R"}, {ListCommand::Hidden23001, "Ctrl+M"},
    {ListCommand::Copy, "Ctrl+C"},             {ListCommand::SelectAll, "Ctrl+A"},
};

const char* ShortcutOf(int id)
{
    for (const Shortcut& shortcut : kShortcuts)
        if (shortcut.id == id)
            return shortcut.keys;
    return nullptr;
}

/// Help topics of the main help by topic; 0 none.
int HelpTopicOf(qint32 topic, bool variablesShown, int mode)
{
    switch (topic) {
    case TopicId::Documents: return variablesShown ? 1021 : 1024;
    case TopicId::Codes: return variablesShown ? 1020 : (mode == 1 ? 1023 : 1054);
    case TopicId::SearchHits: return 1031;
    case TopicId::Codings: return 1028;
    case TopicId::Memos: return 1019;
    case TopicId::MapLinks: return 1005;
    case TopicId::MediaMarks: return 1052;
    case TopicId::CoderComparison: return 1016;
    case TopicId::CoderAgreement: return 1017;
    default: return 0;
    }
}

WindowPlacement DefaultPlacement(qint32 topic)
{
    WindowPlacement placement;
    placement.showCommand = WindowPlacement::Normal;
    placement.normal = topic == TopicId::CoderAgreement ? QRect(QPoint(80, 150), QPoint(599, 399))
                                                        : QRect(QPoint(50, 120), QPoint(599, 399));
    return placement;
}

}  // namespace

ObjectListWindow::ObjectListWindow(IListWindowOwner* owner, qint32 topic, qint32 parentTopic, qint32 parentId,
                                   const QList<qint32>& fieldIds, const QList<qint32>& keys, const QString& title,
                                   const VariableListContent* variables, QWidget* parent)
    : QWidget(parent, Qt::Window), m_owner(owner), m_topic(topic), m_title(title)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_list1 = new ObjectListCtrl(owner, ListControl::List1, this);
    m_list1->Init(topic, parentTopic, parentId, fieldIds, keys);
    m_list2 = new ObjectListCtrl(owner, ListControl::List2, this);
    m_list2->hide();
    m_hasVariables = variables && (topic == TopicId::Documents || topic == TopicId::Codes);
    if (m_hasVariables)
        m_list2->Init(topic == TopicId::Documents ? TopicId::DocumentVariables : TopicId::CodeVariables, 0, 0,
                      variables->fieldIds, variables->keys);
    m_list1->SetProfileSection(Section());
    m_list2->SetProfileSection(Section() + QStringLiteral("_2"));
    m_list1->SetListParent(this);
    m_list2->SetListParent(this);
    m_preview = new CDragRichEditCtrl(this);
    m_preview->SetOwner(owner);
    m_preview->hide();
    m_preview->setObjectName(QStringLiteral("preview"));
    m_list1->setObjectName(QStringLiteral("list1"));
    m_list2->setObjectName(QStringLiteral("list2"));
}

ObjectListWindow::~ObjectListWindow()
{
    // The listener must stop before the lists it points at go.
    m_listener.SetHost(nullptr);
    m_listener.LeaveRegistry();
    if (m_owner)
        m_owner->ListMessage(this, ListMessage::WindowClosed, {}, QString());
}

QString ObjectListWindow::Section() const
{
    return QStringLiteral("dlgObjList%1").arg(m_topic);
}

void ObjectListWindow::SetCodingsCounts(int first, int second)
{
    m_codingsCounts[0] = first;
    m_codingsCounts[1] = second;
    if (m_created)
        UpdateCount();
}

void ObjectListWindow::SetVariablesShown(bool shown)
{
    if (!m_hasVariables || m_variablesShown == shown)
        return;
    if (m_created)
        ToggleVariables();
    else
        m_variablesShown = shown;
}

ObjectListCtrl* ObjectListWindow::ShownList() const
{
    return m_variablesShown ? m_list2 : m_list1;
}

void ObjectListWindow::Create()
{
    if (m_created)
        return;
    const TopicSettings settings = SettingsOf(m_topic);
    m_windowTextId = settings.windowTextId;
    m_countLabelId = settings.countLabelId;
    m_colour = settings.colour;
    m_previewShown = settings.preview;
    m_buttonCommand = settings.buttonCommand;
    setWindowTitle(m_windowTextId ? LoadString(m_windowTextId) : m_title);

    m_preview->LimitText(10000000);
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize;
    format.faceName = QStringLiteral("Arial");
    format.height = 200;
    m_preview->SetDefaultCharFormat(format);

    auto* caption = new QWidget(this);
    caption->setObjectName(QStringLiteral("caption"));
    auto* captionLayout = new QHBoxLayout(caption);
    captionLayout->setContentsMargins(4, 0, 4, 0);
    m_captionTitle = new QLabel(caption);
    m_captionCount = new QLabel(caption);
    QFont bold = m_captionTitle->font();
    bold.setBold(true);
    m_captionTitle->setFont(bold);
    captionLayout->addWidget(m_captionTitle, 1);
    captionLayout->addWidget(m_captionCount);
    BuildToolbar();
    AddShortcuts();

    ApplyTopicSettings();
    m_list1->RestoreState(true);
    m_list1->Setup(m_colour, settings.headerMenu);
    // Cells edit in place: the field's own editable flag decides per column.
    m_list1->SetEditing(true, true);
    if (m_previewShown)
        m_list1->SetPreview(m_preview);
    if (m_hasVariables) {
        m_list2->RestoreState(true);
        m_list2->Setup(m_colour, true);
        m_list2->SetEditing(true, true);
    }
    RestoreWindowState();
    m_listener.SetHost(m_list1);
    m_created = true;
    m_captionTitle->setText(CaptionTitle());
    UpdateCount();
    m_preview->setVisible(m_previewShown);
    m_list1->setVisible(!m_variablesShown);
    m_list2->setVisible(m_variablesShown);
    LayoutChildren();
    UpdateToolbar();
    if (m_initialField != 0)
        m_list1->RevealFieldColumn(m_initialField);
}

void ObjectListWindow::ApplyTopicSettings()
{
    const TopicSettings settings = SettingsOf(m_topic);
    m_list1->m_colourMarker = settings.colourMarker;
    m_list1->m_referenceDisplay = settings.referenceDisplay;
    m_list1->m_keepColumnOrder = settings.keepColumnOrder;
    m_list2->m_colourMarker = 0;
}

void ObjectListWindow::BuildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolbar->setIconSize(QSize(16, 16));
    for (const int id : ToolbarCommands(m_topic)) {
        QAction* action = m_toolbar->addAction(LoadString(id));
        action->setData(id);
        if (const char* keys = ShortcutOf(id)) {
            action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setToolTip(CommandTooltip(action->text(), action->shortcut()));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_actions.insert(id, action);
    }
}

void ObjectListWindow::AddShortcuts()
{
    // Commands with a key but no button.
    for (const Shortcut& shortcut : kShortcuts) {
        if (m_actions.contains(shortcut.id))
            continue;
        auto* action = new QAction(this);
        action->setData(shortcut.id);
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut.keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = shortcut.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action);
        m_actions.insert(id, action);
    }
}

QString ObjectListWindow::WindowText() const
{
    if (m_variablesShown)
        return LoadString(m_topic == TopicId::Codes ? ListText::CodeVariables : ListText::DocumentVariables);
    return windowTitle();
}

QString ObjectListWindow::CaptionTitle() const
{
    if (m_variablesShown)
        return LoadString(m_topic == TopicId::Codes ? ListText::CodeVariables : ListText::DocumentVariables);
    return QStringLiteral("    ") + m_title;
}

QString ObjectListWindow::CountText() const
{
    if (m_variablesShown)
        return QStringLiteral("%1 %2    ").arg(m_list2->RowCount()).arg(LoadString(ListText::Documents));
    if (m_topic == TopicId::Codings)
        return LoadString(ListText::CodingsCount)
                   .arg(m_list1->RowCount())
                   .arg(m_codingsCounts[0])
                   .arg(m_codingsCounts[1])
            + QStringLiteral("    ");
    return QStringLiteral("%1 %2    ").arg(m_list1->RowCount()).arg(LoadString(m_countLabelId));
}

void ObjectListWindow::UpdateCount()
{
    if (m_captionCount)
        m_captionCount->setText(CountText());
}

void ObjectListWindow::SetContent(qint32 parentTopic, qint32 parentId, const QList<qint32>& keys, const QString& title)
{
    m_title = title;
    if (!m_variablesShown && m_captionTitle)
        m_captionTitle->setText(CaptionTitle());
    m_list1->Fill(parentTopic, parentId, keys);
    UpdateCount();
}

void ObjectListWindow::ApplyFont(const QFont& font)
{
    m_list1->setFont(font);
    m_list1->viewport()->update();
    m_list2->setFont(font);
}

void ObjectListWindow::ClearIds()
{
    m_list1->ClearIds();
}

void ObjectListWindow::UpdateToolbar()
{
    using namespace ListCommand;
    const auto set = [this](int id, bool visible, bool enabled) {
        if (QAction* action = m_actions.value(id)) {
            action->setVisible(visible);
            action->setEnabled(enabled);
        }
    };
    set(Hidden23001, false, true);
    set(Hidden1172, false, true);
    if (m_topic == TopicId::Codings) {
        set(ButtonCommand, false, true);
        set(SearchHitAction, false, true);
    }
    // The codings list codes its selected rows through the owner; the hits'
    // coding with the quick code has no taker yet.
    if (m_topic == TopicId::SearchHits || m_topic == TopicId::Codings)
        set(CodeSelection, true, m_topic == TopicId::Codings);
    if (m_topic == TopicId::Documents || m_topic == TopicId::Codes) {
        QAction* toggle = m_actions.value(ListCommand::ToggleVariables);
        if (toggle) {
            toggle->setEnabled(m_hasVariables);
            toggle->setCheckable(true);
            toggle->setChecked(m_variablesShown);
        }
        for (const int id : {NewVariable, DeleteVariable, VariablesBoolean, VariablesText})
            set(id, m_variablesShown, false);
        // Boolean and text types act on the selected variables.
        if (m_variablesShown) {
            const bool selected = m_list2->GetFirstSelectedIndex() >= 0;
            set(VariablesBoolean, true, selected);
            set(VariablesText, true, selected);
        }
    }
    if (m_topic == TopicId::OverviewTable || m_mode != 0)
        set(OwnerCommand1178, m_actions.contains(OwnerCommand1178), false);
    if (m_topic == TopicId::SearchHits)
        set(SearchHitAction, true, m_list1->GetFirstSelectedIndex() >= 0);
}

// ---------------------------------------------------------------- layout

void ObjectListWindow::LayoutChildren()
{
    const int w = width();
    const int h = height();
    const int inner = std::max(w - 2 * kMargin, 0);
    if (QWidget* caption = findChild<QWidget*>(QStringLiteral("caption")))
        caption->setGeometry(kMargin, 2, inner, 20);
    if (m_toolbar)
        m_toolbar->setGeometry(kMargin, 22, inner, 26);
    if (m_previewShown) {
        m_preview->setGeometry(kMargin, kContentTop, inner, std::max(m_splitter - kContentTop, 0));
        const QRect list(kMargin, m_splitter + kMargin, inner, std::max(h - m_splitter - 2 * kMargin, 0));
        m_list1->setGeometry(list);
        m_list2->setGeometry(list);
    } else {
        const QRect list(kMargin, kContentTop, inner, std::max(h - kContentTop - kMargin, 0));
        m_list1->setGeometry(list);
        m_list2->setGeometry(list);
    }
}

QRect ObjectListWindow::SplitterBand() const
{
    if (!m_previewShown)
        return {};
    return QRect(kMargin, m_splitter, std::max(width() - 2 * kMargin, 0), kMargin);
}

void ObjectListWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void ObjectListWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // The caption band in the list's colour.
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), 22), ToQColor(m_colour));
}

void ObjectListWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && SplitterBand().contains(event->position().toPoint())) {
        m_dragging = true;
        m_dragY = int(event->position().y());
        return;
    }
    QWidget::mousePressEvent(event);
}

void ObjectListWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_dragging) {
        if (!rect().contains(point)) {
            // Leaving the window ends the drag.
            m_dragging = false;
            unsetCursor();
            return;
        }
        const int position = m_splitter + point.y() - m_dragY;
        // The splitter position counts from the top of the window.
        if (position > kMinPreview && position < height() - 2 * kMargin) {
            m_splitter = position;
            m_dragY = point.y();
            LayoutChildren();
        }
        return;
    }
    if (SplitterBand().contains(point))
        setCursor(Qt::SplitVCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void ObjectListWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        m_dragging = false;
        unsetCursor();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void ObjectListWindow::leaveEvent(QEvent* event)
{
    m_dragging = false;
    unsetCursor();
    QWidget::leaveEvent(event);
}

bool ObjectListWindow::focusNextPrevChild(bool next)
{
    // Tab moves between the preview and the list, or commits an open editor
    // and moves it on.
    if (ShownList()->HasCellEditor())
        return ShownList()->HandleCommand(ListCommand::Tab);
    if (m_previewShown) {
        if (m_preview->hasFocus())
            m_list1->setFocus(Qt::TabFocusReason);
        else
            m_preview->setFocus(Qt::TabFocusReason);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

// ---------------------------------------------------------------- state

void ObjectListWindow::RestoreWindowState()
{
    WindowPlacement placement = DefaultPlacement(m_topic);
    if (!g_program.ProfilePath.isEmpty()) {
        const PrivateProfile profile(g_program.ProfilePath);
        const QString text = profile.GetString(Section(), QStringLiteral("WindowPos"));
        const WindowPlacement stored = WindowPlacement::FromText(text);
        if (text.split(u',').size() == 10 && stored.normal != WindowPlacement().normal)
            placement = stored;
        m_splitter = profile.GetInt(Section(), QStringLiteral("SplitterH"), kDefaultSplitter);
        if (m_splitter <= kMinPreview)
            m_splitter = kDefaultSplitter;
    }
    QRect normal = placement.normal;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        normal = WindowPlacement::FitToScreen(normal, screen->availableGeometry());
    setGeometry(normal);
    if (placement.showCommand == WindowPlacement::Maximised)
        setWindowState(Qt::WindowMaximized);
}

void ObjectListWindow::SaveWindowState()
{
    if (g_program.ProfilePath.isEmpty())
        return;
    WindowPlacement placement;
    placement.showCommand = isMaximized() ? WindowPlacement::Maximised : WindowPlacement::Normal;
    placement.normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    PrivateProfile profile(g_program.ProfilePath);
    profile.WriteString(Section(), QStringLiteral("WindowPos"), placement.ToText());
    profile.WriteString(Section(), QStringLiteral("SplitterH"), QString::number(m_splitter));
}

void ObjectListWindow::closeEvent(QCloseEvent* event)
{
    BeginWait();
    m_list1->CloseCellEditor(true);
    m_list1->StopMeasuring();
    m_list1->SaveState();
    if (m_hasVariables) {
        m_list2->CloseCellEditor(true);
        m_list2->StopMeasuring();
        m_list2->SaveState();
    }
    SaveWindowState();
    EndWait();
    event->accept();
}

// ---------------------------------------------------------------- hooks of the lists

void ObjectListWindow::ListCountChanged(ObjectListCtrl* list)
{
    Q_UNUSED(list);
    UpdateCount();
}

void ObjectListWindow::ListSelectionChanged(ObjectListCtrl* list, bool rowSelected)
{
    Q_UNUSED(list);
    Q_UNUSED(rowSelected);
    UpdateToolbar();
}

bool ObjectListWindow::EditVariable(ObjectListCtrl* list, VariableEdit edit, qint32 fieldId, const QString& text)
{
    if (list != m_list2)
        return false;
    const int column = m_list1->ColumnOfField(fieldId);
    switch (edit) {
    case VariableEdit::Shown:
        m_list1->ShowFieldColumn(fieldId, text.toInt() != 0);
        return true;
    case VariableEdit::Name:
    case VariableEdit::DefaultValue:
    case VariableEdit::Categorial: {
        if (column < 0 || !m_list1->Columns().at(column).IsUserField())
            return false;
        const int mode = edit == VariableEdit::Name ? 0 : edit == VariableEdit::DefaultValue ? 1 : 2;
        return m_list1->RenameField(fieldId, text, mode);
    }
    }
    return false;
}

// ---------------------------------------------------------------- commands

void ObjectListWindow::ForwardCommand(int id)
{
    if (m_owner)
        m_owner->ListCommand(this, id);
}

bool ObjectListWindow::ConfirmSearchHits()
{
    if (m_topic != TopicId::SearchHits)
        return true;
    return m_owner && m_owner->ListCommand(this, ListCommand::ConfirmSearchHits);
}

void ObjectListWindow::ToggleVariables()
{
    if (!m_hasVariables)
        return;
    m_variablesShown = !m_variablesShown;
    m_list1->setVisible(!m_variablesShown);
    m_list2->setVisible(m_variablesShown);
    if (m_captionTitle)
        m_captionTitle->setText(CaptionTitle());
    UpdateCount();
    UpdateToolbar();
    LayoutChildren();
}

void ObjectListWindow::ChangeVariableTypes(qint32 type)
{
    if (!m_variablesShown)
        return;
    QList<qint32> variables;
    m_list2->GetSelection(variables);
    bool changed = false;
    for (const qint32 fieldId : std::as_const(variables))
        changed |= m_list1->ChangeFieldType(fieldId, type);
    if (changed)
        m_list2->InvalidateTexts();
    UpdateToolbar();
}

QString ObjectListWindow::ExportTitle(bool cutAtColon) const
{
    QString title = WindowText();
    if (cutAtColon) {
        const qsizetype colon = title.indexOf(u':');
        if (colon >= 0)
            title = title.mid(colon + 1);
        title = title.trimmed();
    }
    return title;
}

void ObjectListWindow::OpenAs(int kind)
{
    if (!ConfirmSearchHits())
        return;
    QString name = ExportTitle(false);
    SanitizeFileName(name);
    const bool xlsx = g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1;
    const QString folder = QFileInfo(TemporaryPictureFile()).path() + u'/';
    const QString path = kind == ObjectListCtrl::ExportWorkbook
        ? QStringLiteral("%1%2.%3").arg(folder, name, xlsx ? QStringLiteral("xlsx") : QStringLiteral("xls"))
        : QStringLiteral("%1%2.htm").arg(folder, name);
    ShownList()->Export(path, ExportTitle(true), kind, true, true);
}

void ObjectListWindow::ExportWithDialog()
{
    const bool xlsx = g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1;
    const QString excel = LoadString(ListText::FilterExcel)
        + (xlsx ? QStringLiteral(" (*.xlsx *.xls)") : QStringLiteral(" (*.xls *.xlsx)"));
    const QString html = LoadString(ListText::FilterHtml) + QStringLiteral(" (*.htm)");
    const QString rtf = LoadString(ListText::FilterRtf) + QStringLiteral(" (*.rtf)");
    const QString text = LoadString(ListText::FilterText) + QStringLiteral(" (*.txt *.csv)");
    QString stored;
    if (!g_program.ProfilePath.isEmpty())
        stored = PrivateProfile(g_program.ProfilePath).GetString(Section(), QStringLiteral("ExportFileType"));
    if (stored.isEmpty())
        stored = xlsx ? QStringLiteral("xlsx") : QStringLiteral("xls");
    QStringList offered;
    if (m_topic == TopicId::SearchHits || m_topic == TopicId::Memos)
        offered = {excel, html, rtf};
    else if (m_topic == TopicId::Codings)
        offered = {excel, html, rtf, text};
    else
        offered = {excel, html, text};
    const QString first = stored == u"htm" ? html : stored == u"rtf" ? rtf : (stored == u"txt" || stored == u"csv") ? text
                                                                                                                   : excel;
    if (offered.removeAll(first) > 0)
        offered.prepend(first);

    if (!ConfirmSearchHits())
        return;
    QString name = ExportTitle(false);
    SanitizeFileName(name);
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(ListText::ExportTitle);
    prompt.filter = offered.join(QStringLiteral(";;"));
    prompt.path = QDir(g_program.ExportFolder).filePath(name);
    prompt.defaultSuffix = stored;
    const QStringList chosen = PromptForFiles(prompt);
    if (chosen.isEmpty())
        return;   // nothing changes, not even the stored type
    QString path = chosen.first();
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + stored;
    const QString extension = QFileInfo(path).suffix().toLower();
    BeginWait();
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteString(Section(), QStringLiteral("ExportFileType"), extension);
    int kind = ObjectListCtrl::ExportText;
    bool unicode = true;
    if (extension == u"htm" || extension == u"html") {
        kind = ObjectListCtrl::ExportHtmlPage;
    } else if (extension == u"xls" || extension == u"xlsx") {
        kind = ObjectListCtrl::ExportWorkbook;
    } else if (extension == u"rtf") {
        // The owner writes the RTF file of the listed objects.
        m_list1->CollectItemData(false);
        if (m_owner)
            m_owner->ListMessage(this, ListMessage::ExportRtf, m_list1->KeyArray(), path);
        m_list1->ClearIds();
        EndWait();
        return;
    } else {
        unicode = AskYesNo(LoadString(ListText::AskUnicode), true);
    }
    ShownList()->Export(path, ExportTitle(kind == ObjectListCtrl::ExportWorkbook), kind, unicode, false);
    EndWait();
}

bool ObjectListWindow::OnCommand(int id)
{
    using namespace ListCommand;
    switch (id) {
    case Close:
        ShownList()->CloseCellEditor(true);
        QMetaObject::invokeMethod(this, "close", Qt::QueuedConnection);
        return true;
    case Help:
        if (const int topic = HelpTopicOf(m_topic, m_variablesShown, m_mode))
            ShowHelpTopic(int(HelpKind::Program), topic);
        else if (m_topic == TopicId::WordFrequencies || m_topic == TopicId::OverviewTable)
            ShowHelpTopic(int(HelpKind::Dictionary), m_topic == TopicId::WordFrequencies ? 3002 : 3007);
        return true;
    case OpenInExcel: OpenAs(ObjectListCtrl::ExportWorkbook); return true;
    case OpenAsHtml: OpenAs(ObjectListCtrl::ExportHtmlPage); return true;
    case Export: ExportWithDialog(); return true;
    case CodeSelection: {
        if (m_topic != TopicId::SearchHits && m_topic != TopicId::Codings)
            return true;
        QList<qint32> keys;
        m_list1->GetSelection(keys);
        if (m_owner)
            m_owner->ListMessage(this,
                                 m_topic == TopicId::SearchHits ? ListMessage::CodeHitsWithQuickCode
                                                                : ListMessage::CodeSelectedSegments,
                                 keys, QString());
        return true;
    }
    case ButtonCommand:
        if (m_buttonCommand != 0)
            ForwardCommand(m_buttonCommand);
        return true;
    case ListCommand::ToggleVariables: ToggleVariables(); return true;
    case VariablesBoolean: ChangeVariableTypes(FieldType::Boolean); return true;
    case VariablesText: ChangeVariableTypes(FieldType::ShortText); return true;
    case OwnerCommand1178:
        if (m_mode == 0 && m_topic != TopicId::OverviewTable)
            ForwardCommand(id);
        return true;
    case OwnerCommand1186:
        if (m_topic == TopicId::OverviewTable)
            ForwardCommand(id);
        return true;
    case SearchHitAction:
        if (m_topic == TopicId::SearchHits && m_list1->GetFirstSelectedIndex() >= 0)
            ForwardCommand(id);
        return true;
    case Hidden23001:
        if (m_topic == TopicId::Memos)
            ForwardCommand(NewFreeMemo);
        return true;
    case Enter:
    case ListCommand::Escape:
        if (m_list1->IsActive())
            m_list1->HandleCommand(id);
        else if (m_list2->IsActive())
            m_list2->HandleCommand(id);
        return true;
    case Tab: focusNextPrevChild(true); return true;
    case Copy:
        if (m_preview->hasFocus())
            m_preview->copy();
        else
            ShownList()->HandleCommand(Copy);
        return true;
    case SelectAll:
        BeginWait();
        if (m_preview->hasFocus())
            m_preview->selectAll();
        else
            ShownList()->SelectAllRows();
        EndWait();
        UpdateToolbar();
        return true;
    case ListCommand::Delete:
    case NewVariable:
    case DeleteVariable:
        return true;
    default:
        return false;
    }
}
