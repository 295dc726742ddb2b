// The frame's thin commands: help, manuals and web pages, the tip of the
// day, formatting the browser's text while it is edited, the toolbars and
// their toggles, the language menu's check marks, moving between panes and
// document tabs, and the context-menu key.

#include "app/appids.h"
#include "app/baseview.h"
#include "app/framehelp.h"
#include "app/mainframe.h"
#include "app/tipdlg.h"
#include "browser/browserids.h"
#include "browser/mediatoolbar.h"
#include "browser/textcoderwindow.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "panes/objectlistctrl.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/segmentsctrl.h"
#include "ui/commandtoolbar.h"
#include "ui/numberentrydlg.h"
#include "ui/sidecolumng.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIntValidator>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QTabBar>
#include <QToolBar>
#include <QUrl>

namespace {

const QString kProjectSection = QStringLiteral("Project");
const QString kWrapKey = QStringLiteral("WrapCharCount");
const QString kFallbackLanguage = QStringLiteral("ENG");
constexpr int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 28, 36, 48, 72};
constexpr int kMaxFontSize = 1638;
constexpr int kColourIconSize = 16;

// The main toolbar's two sets: shown while the browser's text is edited,
// and shown otherwise.
constexpr int kEditingItems[] = {FormatCommand::FontName,    FormatCommand::FontSize,   BrowserCommand::Bold,
                                 BrowserCommand::Italic,     BrowserCommand::Underline, FormatCommand::TextColour,
                                 FormatCommand::AlignLeft,   FormatCommand::AlignCentre, FormatCommand::AlignRight,
                                 BrowserCommand::Undo,       FormatCommand::CutButton,  FormatCommand::CopyButton,
                                 FormatCommand::PasteButton};
constexpr int kCodingItems[] = {FormatCommand::QuickCodes, 32905, BrowserCommand::CodeInVivo, 32907, 33126, 33138,
                                FormatCommand::EditText};

// The pane cycle of the navigation commands, by content.
constexpr int kPaneCycle[] = {CommandId::PaneDocumentTree, CommandId::PaneCodeTree, CommandId::PaneDocumentBrowser,
                              CommandId::PaneRetrievedSegments};

constexpr int kToolbarIds[] = {ToolbarId::Frame,  ToolbarId::CodeBar,  ToolbarId::Qnt,         ToolbarId::ColourCoding,
                               ToolbarId::Visual, ToolbarId::Language, ToolbarId::MediaPlayer, ToolbarId::Document};

bool IsToolbarCommand(int id)
{
    return std::find(std::begin(kToolbarIds), std::end(kToolbarIds), id) != std::end(kToolbarIds);
}

QIcon ColourIcon(const QColor& colour)
{
    QPixmap picture(kColourIconSize, kColourIconSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("Sans"), 9, QFont::Bold));
    painter.drawText(QRect(0, 0, kColourIconSize, kColourIconSize - 4), Qt::AlignCenter, QStringLiteral("A"));
    painter.fillRect(QRect(1, kColourIconSize - 4, kColourIconSize - 2, 3), colour);
    return QIcon(picture);
}

}  // namespace

// ---- Building ---------------------------------------------------------------------

void CMainFrame::BuildHelpCommands()
{
    QMenuBar* bar = menuBar();
    const QList<QAction*> titles = bar->actions();
    QMenu* window = titles.value(1) ? titles.value(1)->menu() : nullptr;
    // Help is the last menu of the bar, whatever menus stand before it.
    QMenu* help = titles.isEmpty() ? nullptr : titles.constLast()->menu();

    QMenu* edit = m_commands.CreateMenu(FrameHelpText::MenuEdit, this);
    for (const int id : {FormatCommand::EditText, BrowserCommand::Undo, BrowserCommand::UndoAll, 0, BrowserCommand::Cut,
                         BrowserCommand::Copy, BrowserCommand::Paste, NavigationCommand::CopySegments, 0,
                         BrowserCommand::Bold, BrowserCommand::Italic, BrowserCommand::Underline,
                         FormatCommand::AlignLeft, FormatCommand::AlignCentre, FormatCommand::AlignRight,
                         FormatCommand::TextColour, 0, FormatCommand::WrapLines}) {
        if (id == 0)
            edit->addSeparator();
        else
            edit->addAction(m_commands.Action(id));
    }
    bar->insertMenu(titles.value(1), edit);

    if (window) {
        window->addSeparator();
        QMenu* toolbars = m_commands.CreateMenu(FrameHelpText::MenuToolbars, window);
        // The bars that are never made have no entry.
        for (const int id : {ToolbarId::Frame, ToolbarId::Visual, ToolbarId::Document, ToolbarId::Language,
                             ToolbarId::MediaPlayer})
            toolbars->addAction(m_commands.Action(id));
        window->addMenu(toolbars);
        QMenu* languages = m_commands.CreateMenu(FrameHelpText::MenuLanguage, window);
        for (int id = LanguageCommand::First; id <= LanguageCommand::Last; ++id)
            languages->addAction(m_commands.Action(id));
        window->addMenu(languages);
        window->addSeparator();
        for (const int id : {NavigationCommand::NextPane, NavigationCommand::PreviousPane, NavigationCommand::SearchBar,
                             NavigationCommand::CloseTab, NavigationCommand::NextTab, NavigationCommand::PreviousTab,
                             0, BrowserCommand::ZoomIn, BrowserCommand::ZoomOut, BrowserCommand::ZoomReset, 0,
                             NavigationCommand::OptionsLayout}) {
            if (id == 0)
                window->addSeparator();
            else
                window->addAction(m_commands.Action(id));
        }
    }
    if (help) {
        QAction* about = help->actions().value(0);
        for (const int id : {HelpCommand::Help, HelpCommand::DictionaryHelp, HelpCommand::MixedMethods,
                             HelpCommand::Shortcuts, HelpCommand::Tips, 0, HelpCommand::Introduction, HelpCommand::News,
                             0, HelpCommand::Manuals, HelpCommand::DictionaryManuals, HelpCommand::Tutorials, 0}) {
            if (id == 0)
                help->insertSeparator(about);
            else
                help->insertAction(about, m_commands.Action(id));
        }
    }

    // The zoom keys of the main keyboard and of the keypad.
    const auto keys = [this](int id, std::initializer_list<QKeySequence> sequences) {
        if (QAction* action = m_commands.Action(id))
            action->setShortcuts(QList<QKeySequence>(sequences));
    };
    keys(BrowserCommand::ZoomIn, {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
                                  QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))});
    keys(BrowserCommand::ZoomOut, {QKeySequence(Qt::CTRL | Qt::Key_Minus),
                                   QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))});
    keys(BrowserCommand::ZoomReset, {QKeySequence(Qt::CTRL | Qt::Key_0),
                                     QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_0))});

    if (auto* frameBar = findChild<QToolBar*>(QStringLiteral("IDT_FRAME_%1").arg(ToolbarId::Frame))) {
        m_toolbars.insert(ToolbarId::Frame, frameBar);
        BuildFormatBar(frameBar);
    }
    AddFrameBar(ToolbarId::Visual, FrameHelpText::ToolbarVisual,
                {CommandId::RetrievalFunction, BrowserCommand::CodeToolWindow, ListWindowCommand::CodingsList,
                 ListWindowCommand::MemosList});
    QList<int> languages;
    for (int id = LanguageCommand::First; id <= LanguageCommand::Last; ++id)
        languages.append(id);
    AddFrameBar(ToolbarId::Language, FrameHelpText::ToolbarLanguage, languages)->hide();
    AddFrameBar(ToolbarId::Document, FrameHelpText::ToolbarDocument,
                {FormatCommand::EditText, BrowserCommand::ZoomIn, BrowserCommand::ZoomOut, BrowserCommand::ZoomReset,
                 NavigationCommand::SearchBar});
    connect(&m_commands, &CCommandManager::StatesRefreshed, this, &CMainFrame::FollowEditMode);
}

QToolBar* CMainFrame::AddFrameBar(int barId, int captionTextId, const QList<int>& commands)
{
    auto* bar = new CommandToolBar(LoadString(captionTextId), this);
    bar->setObjectName(QStringLiteral("IDT_%1").arg(barId));
    for (const int id : commands)
        bar->addAction(m_commands.Action(id));
    addToolBar(bar);
    m_toolbars.insert(barId, bar);
    return bar;
}

void CMainFrame::BuildFormatBar(QToolBar* bar)
{
    for (QAction* action : bar->actions())
        if (bar->widgetForAction(action) == m_quickCodeCombo && m_quickCodeCombo)
            m_toolbarItems.insert(FormatCommand::QuickCodes, action);
    bar->addSeparator();
    // Buttons of their own: hiding one of the editing set must not hide the
    // command in the menus, which show it disabled instead.
    const auto button = [this, bar](int id) {
        QAction* command = m_commands.Action(id);
        auto* proxy = new QAction(command->icon(), command->text(), bar);
        proxy->setData(id);
        proxy->setToolTip(command->toolTip());
        connect(proxy, &QAction::triggered, this, [this, id] { m_commands.Execute(id); });
        bar->addAction(proxy);
        m_toolbarItems.insert(id, proxy);
    };
    button(BrowserCommand::CodeInVivo);
    button(FormatCommand::EditText);

    m_fontNameCombo = new QComboBox(bar);
    m_fontNameCombo->setObjectName(QString::number(FormatCommand::FontName));
    m_fontNameCombo->setToolTip(LoadString(FrameHelpText::FontName));
    m_fontNameCombo->setMinimumContentsLength(14);
    m_fontNameCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_fontNameCombo->addItems(QFontDatabase::families());
    m_toolbarItems.insert(FormatCommand::FontName, bar->addWidget(m_fontNameCombo));
    connect(m_fontNameCombo, &QComboBox::textActivated, this, [this](const QString& face) {
        if (!m_browser || !m_browser->IsEditMode())
            return;
        m_browser->SetFontFace(face);
        m_browser->FocusView();
    });

    m_fontSizeCombo = new QComboBox(bar);
    m_fontSizeCombo->setObjectName(QString::number(FormatCommand::FontSize));
    m_fontSizeCombo->setToolTip(LoadString(FrameHelpText::FontSize));
    m_fontSizeCombo->setEditable(true);
    m_fontSizeCombo->setValidator(new QIntValidator(1, kMaxFontSize, m_fontSizeCombo));
    m_fontSizeCombo->setInsertPolicy(QComboBox::NoInsert);
    for (const int size : kFontSizes)
        m_fontSizeCombo->addItem(QString::number(size));
    m_toolbarItems.insert(FormatCommand::FontSize, bar->addWidget(m_fontSizeCombo));
    // A size from the list or typed and confirmed with Enter.
    const auto applySize = [this] {
        bool ok = false;
        const int size = m_fontSizeCombo->currentText().toInt(&ok);
        if (!ok || size <= 0 || size > kMaxFontSize || !m_browser || !m_browser->IsEditMode())
            return;
        m_browser->SetFontSize(size);
        m_browser->FocusView();
    };
    connect(m_fontSizeCombo, &QComboBox::textActivated, this, applySize);
    connect(m_fontSizeCombo->lineEdit(), &QLineEdit::returnPressed, this, applySize);

    for (const int id : {BrowserCommand::Bold, BrowserCommand::Italic, BrowserCommand::Underline,
                         FormatCommand::TextColour, FormatCommand::AlignLeft, FormatCommand::AlignCentre,
                         FormatCommand::AlignRight, BrowserCommand::Undo, FormatCommand::CutButton,
                         FormatCommand::CopyButton, FormatCommand::PasteButton})
        button(id);
    m_textColour = Qt::black;
    m_toolbarItems.value(FormatCommand::TextColour)->setIcon(ColourIcon(m_textColour));
    SetToolbarEditing(false);
}

// ---- Edit mode and the main toolbar ---------------------------------------------------

bool CMainFrame::EnterEditMode()
{
    if (!m_browser || m_browser->IsEditMode())
        return false;
    if (!m_browser->SetEditable(true))
        return false;
    SetToolbarEditing(true);
    return true;
}

bool CMainFrame::IsEditMode() const
{
    return m_browser && m_browser->IsEditMode();
}

void CMainFrame::SetToolbarEditing(bool editing)
{
    m_toolbarEditing = editing;
    for (const int id : kEditingItems)
        if (QAction* item = m_toolbarItems.value(id))
            item->setVisible(editing);
    for (const int id : kCodingItems)
        if (QAction* item = m_toolbarItems.value(id))
            item->setVisible(!editing);
    if (editing) {
        m_textColour = Qt::black;
        if (QAction* colour = m_toolbarItems.value(FormatCommand::TextColour))
            colour->setIcon(ColourIcon(m_textColour));
    }
}

void CMainFrame::FollowEditMode()
{
    // Editing also ends elsewhere (the edits are stored): the toolbar follows.
    const bool editing = IsEditMode();
    if (editing != m_toolbarEditing)
        SetToolbarEditing(editing);
    for (auto it = m_toolbarItems.cbegin(); it != m_toolbarItems.cend(); ++it) {
        QAction* command = m_commands.Action(it.key());
        if (!command || !it.value()->isVisible())
            continue;
        m_commands.UpdateAction(command);
        QAction* proxy = it.value();
        proxy->setEnabled(command->isEnabled());
        proxy->setCheckable(command->isCheckable());
        proxy->setChecked(command->isChecked());
        proxy->setText(command->text());
    }
    if (!editing || !m_fontNameCombo)
        return;
    // The combos show the selection's font while nobody is choosing in them.
    const QTextCharFormat format = m_browser->SelectionCharFormat();
    const QStringList families = format.fontFamilies().toStringList();
    if (!m_fontNameCombo->hasFocus() && !families.isEmpty()) {
        const QSignalBlocker block(m_fontNameCombo);
        const int row = m_fontNameCombo->findText(families.first(), Qt::MatchFixedString);
        if (row >= 0)
            m_fontNameCombo->setCurrentIndex(row);
    }
    if (!m_fontSizeCombo->hasFocus() && format.fontPointSize() > 0) {
        const QSignalBlocker block(m_fontSizeCombo);
        m_fontSizeCombo->setEditText(QString::number(qRound(format.fontPointSize())));
    }
}

void CMainFrame::PickTextColour()
{
    if (!m_browser || !m_browser->IsEditMode())
        return;
    COLORREF colour = MakeColor(m_textColour.red(), m_textColour.green(), m_textColour.blue());
    if (!PickColour(this, colour, {}))
        return;
    m_textColour = QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
    if (QAction* button = m_toolbarItems.value(FormatCommand::TextColour))
        button->setIcon(ColourIcon(m_textColour));
    m_browser->SetTextColour(m_textColour);
}

void CMainFrame::WrapBrowserLines()
{
    if (!m_browser || !m_browser->IsEditMode())
        return;
    const int stored = g_program.ProfilePath.isEmpty()
                           ? FormatCommand::WrapDefault
                           : PrivateProfile(g_program.ProfilePath).GetInt(kProjectSection, kWrapKey, FormatCommand::WrapDefault);
    // The dialog takes nothing below the least count, typed or not.
    NumberEntryDlg dialog(std::max(stored, int(FormatCommand::WrapMinimum)), 1, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int count = std::max(dialog.Value(), int(FormatCommand::WrapMinimum));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_browser->WrapLines(count);
    QApplication::restoreOverrideCursor();
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteInt(kProjectSection, kWrapKey, count);
}

// ---- Help ---------------------------------------------------------------------------

void CMainFrame::OpenManual(const QString& format)
{
    const QString path = LocalisedFile(format, g_program.ProgramFolder, g_pStringStore->GetLanguageCode(), kFallbackLanguage);
    if (!QFileInfo::exists(path)) {
        ShowMessage(LoadString(FrameHelpText::ManualMissing).arg(QDir::toNativeSeparators(path)), MessageKind::Warning);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        ShowMessage(LoadString(FrameHelpText::AddressNotOpened).arg(QDir::toNativeSeparators(path)), MessageKind::Warning);
}

void CMainFrame::OpenAddress(const QString& address)
{
    if (!QDesktopServices::openUrl(QUrl(address)))
        ShowMessage(LoadString(FrameHelpText::AddressNotOpened).arg(address), MessageKind::Warning);
}

void CMainFrame::ShowTips()
{
    if (m_tipWindow) {
        m_tipWindow->show();
        m_tipWindow->raise();
        m_tipWindow->activateWindow();
        return;
    }
    m_tipWindow = new CTipDlg(this, g_program.ProgramFolder);
    m_tipWindow->show();
}

void CMainFrame::ShowTipsAtStartUp()
{
    if (!g_program.ProfilePath.isEmpty() && CTipDlg::ShowOnStartUp())
        ShowTips();
}

QToolBar* CMainFrame::ToolbarOf(int barId) const
{
    if (barId == ToolbarId::MediaPlayer)
        return m_mediaBar;
    return m_toolbars.value(barId);
}

// ---- Panes and tabs -------------------------------------------------------------------

CBaseView* CMainFrame::ActiveView() const
{
    // The frame's focus child, also while another window is active.
    const QWidget* focus = focusWidget();
    if (!focus)
        return nullptr;
    for (CBaseView* view : m_views)
        if (view && view->isVisible() && view->isAncestorOf(focus))
            return view;
    return nullptr;
}

bool CMainFrame::ActivatePane(CBaseView* view)
{
    QWidget* pane = view ? view->Pane() : nullptr;
    if (!pane)
        return false;
    if (pane == m_browser) {
        m_browser->FocusView();
        if (!view->isAncestorOf(focusWidget()))
            m_browser->setFocus(Qt::OtherFocusReason);
        return true;
    }
    // The list or tree inside the pane takes the keys.
    QWidget* target = nullptr;
    for (QAbstractItemView* list : pane->findChildren<QAbstractItemView*>())
        if (list->isVisibleTo(pane)) {
            target = list;
            break;
        }
    (target ? target : pane)->setFocus(Qt::OtherFocusReason);
    return true;
}

void CMainFrame::ActivateNeighbourPane(int step)
{
    constexpr int count = int(std::size(kPaneCycle));
    const CBaseView* active = ActiveView();
    int from = step > 0 ? -1 : count;
    for (int i = 0; i < count; ++i)
        if (active && m_views[HostOf(kPaneCycle[i])] == active)
            from = i;
    for (int k = 1; k <= count; ++k) {
        const int index = ((from + step * k) % count + count) % count;
        CBaseView* view = m_views[HostOf(kPaneCycle[index])];
        if (view && !view->isHidden() && view->isVisible() && view != active)
            if (ActivatePane(view))
                return;
    }
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event)
{
    // The keyboard's menu key where the focused pane did not take it: the
    // menu of the active pane's selection.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        QMainWindow::contextMenuEvent(event);
        return;
    }
    event->accept();
    const CBaseView* view = ActiveView();
    QWidget* pane = view ? view->Pane() : nullptr;
    if (!pane)
        return;
    if (pane == DocumentTreeWidget() && m_documentTree) {
        m_documentTree->ShowContextMenuForSelection();
    } else if (pane == CodeTreeWidget() && m_codeTree && m_codeTree->InListMode() && m_codeTree->ListView()) {
        ObjectListCtrl* list = m_codeTree->ListView();
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), list->mapToGlobal(QPoint(0, 0)));
        QCoreApplication::sendEvent(list, &key);
    } else if (pane == m_browser && m_browser->TextControl() && m_browser->IsTextDocument()) {
        QWidget* text = m_browser->TextControl();
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), text->mapToGlobal(QPoint(0, 0)));
        QCoreApplication::sendEvent(text, &key);
    }
}

// ---- Commands -----------------------------------------------------------------------

bool CMainFrame::OnHelpCommand(int id)
{
    const int language = g_program.LanguageIndex;
    if (IsToolbarCommand(id)) {
        if (QToolBar* bar = ToolbarOf(id))
            bar->setVisible(bar->isHidden());
        return true;
    }
    switch (id) {
    case HelpCommand::Tips: ShowTips(); return true;
    case HelpCommand::Help: ShowHelpTopic(int(HelpKind::Program), 0); return true;
    case HelpCommand::DictionaryHelp: ShowHelpTopic(int(HelpKind::Dictionary), 0); return true;
    case HelpCommand::Shortcuts: ShowHelpTopic(int(HelpKind::Program), HelpCommand::ShortcutsTopic); return true;
    case HelpCommand::MixedMethods: ShowHelpTopic(int(HelpKind::Program), HelpCommand::MixedMethodsTopic); return true;
    case HelpCommand::Introduction: OpenManual(HelpResource::IntroductionFormat()); return true;
    case HelpCommand::News: OpenManual(HelpResource::NewsFormat()); return true;
    case HelpCommand::Manuals: OpenAddress(HelpResource::ManualsAddress(language)); return true;
    case HelpCommand::DictionaryManuals: OpenAddress(HelpResource::DictionaryManualsAddress(language)); return true;
    case HelpCommand::Tutorials: OpenAddress(HelpResource::TutorialAddress(language)); return true;
    case FormatCommand::EditText: EnterEditMode(); return true;
    case FormatCommand::TextColour: PickTextColour(); return true;
    case FormatCommand::WrapLines: WrapBrowserLines(); return true;
    case FormatCommand::AlignLeft:
    case FormatCommand::AlignCentre:
    case FormatCommand::AlignRight:
        if (m_browser)
            m_browser->SetAlignment(id == FormatCommand::AlignLeft    ? Qt::AlignLeft
                                    : id == FormatCommand::AlignRight ? Qt::AlignRight
                                                                      : Qt::AlignHCenter);
        return true;
    case FormatCommand::CutButton:
    case FormatCommand::CopyButton:
    case FormatCommand::PasteButton:
        return OnBrowserCommand(id == FormatCommand::CutButton    ? BrowserCommand::Cut
                                : id == FormatCommand::CopyButton ? BrowserCommand::Copy
                                                                  : BrowserCommand::Paste);
    case NavigationCommand::CopySegments:
        if (m_segments)
            m_segments->CopyToClipboard();
        return true;
    case NavigationCommand::NextPane: ActivateNeighbourPane(1); return true;
    case NavigationCommand::PreviousPane: ActivateNeighbourPane(-1); return true;
    case NavigationCommand::OptionsLayout: OnOptionsLayout(); return true;
    case NavigationCommand::SearchBar:
        if (CBaseView* view = ActiveView())
            view->ToggleContextSearch();
        return true;
    case NavigationCommand::CloseTab:
        if (m_browser && m_browser->isVisible())
            m_browser->CloseCurrentTab();
        return true;
    case NavigationCommand::NextTab:
    case NavigationCommand::PreviousTab:
        if (m_browser && m_browser->isVisible())
            m_browser->SelectNeighbourTab(id == NavigationCommand::NextTab ? 1 : -1);
        return true;
    default: return false;
    }
}

bool CMainFrame::OnUpdateHelpCommand(CCmdUI& ui)
{
    const int id = ui.id;
    if (IsToolbarCommand(id)) {
        const QToolBar* bar = ToolbarOf(id);
        ui.Enable(bar != nullptr);
        ui.SetCheck(bar && !bar->isHidden());
        return true;
    }
    if (id >= LanguageCommand::First && id <= LanguageCommand::Last) {
        ui.Enable(true);
        ui.SetCheck(id - LanguageCommand::First == g_program.LanguageIndex);
        return true;
    }
    if (id >= NavigationCommand::NoBrowserFirst && id <= NavigationCommand::NoBrowserLast) {
        ui.Enable(m_browser == nullptr);
        return true;
    }
    const bool editing = m_browser && m_browser->IsEditMode() && m_browser->IsTextDocument();
    switch (id) {
    case HelpCommand::Tips:
    case HelpCommand::Help:
    case HelpCommand::DictionaryHelp:
    case HelpCommand::Shortcuts:
    case HelpCommand::MixedMethods:
    case HelpCommand::Introduction:
    case HelpCommand::News:
    case HelpCommand::Manuals:
    case HelpCommand::DictionaryManuals:
    case HelpCommand::Tutorials: ui.Enable(true); return true;
    case NavigationCommand::NextPane:
    case NavigationCommand::PreviousPane: {
        // Some other pane to go to.
        const CBaseView* active = ActiveView();
        ui.Enable(std::any_of(m_views.begin(), m_views.end(), [active](const CBaseView* view) {
            return view && view != active && !view->isHidden() && view->isVisible() && view->Pane();
        }));
        return true;
    }
    case NavigationCommand::CopySegments:
        // Nothing to copy from an empty pane.
        ui.Enable(m_segments && m_segments->GetSegmentCount() > 0);
        return true;
    case NavigationCommand::SearchBar: ui.Enable(ActiveView() != nullptr); return true;
    case NavigationCommand::CloseTab:
    case NavigationCommand::NextTab:
    case NavigationCommand::PreviousTab:
        ui.Enable(m_browser && m_browser->isVisible() && m_browser->Tabs()->count() > 1);
        return true;
    case NavigationCommand::AlwaysOff:
        ui.Enable(false);
        ui.SetCheck(false);
        return true;
    case NavigationCommand::OptionsLayout: ui.Enable(true); return true;
    case FormatCommand::EditText:
        ui.Enable(GetDocument() && m_browser && m_browser->IsTextDocument() && !m_browser->IsEditMode());
        return true;
    case FormatCommand::WrapLines:
    case FormatCommand::TextColour: ui.Enable(editing); return true;
    case FormatCommand::CutButton: ui.Enable(m_browser && m_browser->CanCut()); return true;
    case FormatCommand::CopyButton: ui.Enable(m_browser && m_browser->CanCopy()); return true;
    case FormatCommand::PasteButton: ui.Enable(m_browser && m_browser->CanPaste()); return true;
    case BrowserCommand::Bold:
    case BrowserCommand::Italic:
    case BrowserCommand::Underline: {
        ui.Enable(editing);
        const QTextCharFormat format = editing ? m_browser->SelectionCharFormat() : QTextCharFormat();
        ui.SetCheck(editing
                    && (id == BrowserCommand::Bold     ? format.fontWeight() >= QFont::Bold
                        : id == BrowserCommand::Italic ? format.fontItalic()
                                                       : format.fontUnderline()));
        return true;
    }
    case FormatCommand::AlignLeft:
    case FormatCommand::AlignCentre:
    case FormatCommand::AlignRight: {
        ui.Enable(editing);
        const Qt::Alignment alignment = editing ? m_browser->SelectionAlignment() : Qt::Alignment();
        ui.SetCheck(editing
                    && alignment == (id == FormatCommand::AlignLeft    ? Qt::AlignLeft
                                     : id == FormatCommand::AlignRight ? Qt::AlignRight
                                                                       : Qt::AlignHCenter));
        return true;
    }
    default: return false;
    }
}

CTipDlg* CMainFrame::TipWindow() const
{
    return m_tipWindow;
}
