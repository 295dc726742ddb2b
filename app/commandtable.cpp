#include "app/commandtable.h"

#include "app/appids.h"
#include "app/conditioncommands.h"
#include "app/findcommands.h"
#include "app/framehelp.h"
#include "app/optionsids.h"
#include "app/toolcommands.h"
#include "app/wordfreqcommands.h"
#include "browser/browserids.h"
#include "browser/mediaids.h"
#include "exchange/importtexts.h"
#include "foundation/stringstore.h"
#include "visual/chartbrowserdlg.h"
#include "visual/modelerdlg.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>
#include <QWidget>

namespace {

const char* const kMenuTextIdProperty = "korvanMenuTextId";

// Every command of the frame; the actions are made from these rows only.
const CommandInfo kCommands[] = {
    {CommandId::AppExit, AppText::CommandExit, "Alt+F4", "application-exit"},
    {CommandId::AppAbout, AppText::CommandAbout, nullptr, "help-about"},
    {CommandId::PaneDocumentTree, AppText::DocumentTree, nullptr, "view-list-tree"},
    {CommandId::PaneCodeTree, AppText::CodeTree, nullptr, "view-list-details"},
    {CommandId::PaneDocumentBrowser, AppText::DocumentBrowser, nullptr, "document-preview"},
    {CommandId::PaneRetrievedSegments, AppText::RetrievedSegments, nullptr, "view-list-text"},
    {CommandId::RetrievalFunction, CommandId::RetrievalFunction, nullptr, "view-filter"},
    {CommandId::ShowSegmentMemos, CommandId::ShowSegmentMemos, nullptr, nullptr},
    {CommandId::NewProject, AppText::CommandNewProject, nullptr, "document-new"},
    {CommandId::OpenProject, AppText::CommandOpenProject, nullptr, "document-open"},
    {CommandId::BackupProject, AppText::CommandBackupProject, nullptr, "document-save-as"},
    {CommandId::AddProject, CommandId::AddProject, nullptr, nullptr},
    {CommandId::RecentProjectFirst, AppText::CommandRecentProject, nullptr, nullptr},
    {CommandId::RecentProjectFirst + 1, AppText::CommandRecentProject, nullptr, nullptr},
    {CommandId::RecentProjectFirst + 2, AppText::CommandRecentProject, nullptr, nullptr},
    {CommandId::RecentProjectFirst + 3, AppText::CommandRecentProject, nullptr, nullptr},
    {CommandId::RecentProjectLast, AppText::CommandRecentProject, nullptr, nullptr},
    {CommandId::ShowExternals, CommandId::ShowExternals, nullptr, nullptr},
    {CommandId::ArchiveExternals, CommandId::ArchiveExternals, nullptr, "package-x-generic"},
    {ConditionCommand::ActivateDocuments, ConditionCommand::ActivateDocuments, nullptr, nullptr},
    {ConditionCommand::InterCoder, ConditionCommand::InterCoder, nullptr, nullptr},
    // The document browser: coding its selection, editing and zoom.
    {BrowserCommand::CodeInVivo, BrowserCommand::CodeInVivo, "Ctrl+I", nullptr},
    {BrowserCommand::CodeWithNewCode, BrowserCommand::CodeWithNewCode, "Ctrl+W", nullptr},
    {BrowserCommand::CodeToolWindow, BrowserText::CommandCodeToolWindow, nullptr, nullptr},
    {BrowserCommand::CodesToToolWindow, BrowserCommand::CodesToToolWindow, nullptr, nullptr},
    {BrowserCommand::CodeSegmentsWithNewCode, BrowserCommand::CodeSegmentsWithNewCode, nullptr, nullptr},
    {BrowserCommand::CodeSegments, BrowserCommand::CodeSegments, nullptr, nullptr},
    {BrowserCommand::Cut, BrowserCommand::Cut, nullptr, "edit-cut"},
    {BrowserCommand::Copy, BrowserCommand::Copy, nullptr, "edit-copy"},
    {BrowserCommand::Paste, BrowserCommand::Paste, nullptr, "edit-paste"},
    {BrowserCommand::Undo, BrowserText::CommandUndo, nullptr, "edit-undo"},
    {BrowserCommand::UndoAll, BrowserCommand::UndoAll, nullptr, nullptr},
    {BrowserCommand::Bold, BrowserCommand::Bold, nullptr, "format-text-bold"},
    {BrowserCommand::Italic, BrowserCommand::Italic, nullptr, "format-text-italic"},
    {BrowserCommand::Underline, BrowserCommand::Underline, nullptr, "format-text-underline"},
    {BrowserCommand::ZoomIn, BrowserText::CommandZoomIn, "Ctrl++", "zoom-in"},
    {BrowserCommand::ZoomOut, BrowserText::CommandZoomOut, "Ctrl+-", "zoom-out"},
    {BrowserCommand::ZoomReset, BrowserText::CommandZoomReset, "Ctrl+0", "zoom-original"},
    // The object lists.
    {ListWindowCommand::MemosList, ListWindowCommand::MemosList, nullptr, nullptr},
    {ListWindowCommand::SearchHitsList, ListWindowCommand::SearchHitsList, nullptr, nullptr},
    {ListWindowCommand::CodingsList, ListWindowCommand::CodingsList, nullptr, nullptr},
    {ListWindowCommand::CodesList, ListWindowCommand::CodesList, nullptr, nullptr},
    {ListWindowCommand::DocumentsList, ListWindowCommand::DocumentsList, nullptr, nullptr},
    {ListWindowCommand::DocumentVariables, ListWindowCommand::DocumentVariables, nullptr, nullptr},
    {ListWindowCommand::CodeVariables, ListWindowCommand::CodeVariables, nullptr, nullptr},
    {ListWindowCommand::WordList, ListWindowCommand::WordList, nullptr, nullptr},
    {ListWindowCommand::OverviewList, ListWindowCommand::OverviewList, nullptr, nullptr},
    {ListWindowCommand::GeoLinkList, ListWindowCommand::GeoLinkList, nullptr, nullptr},
    {ListWindowCommand::Dictionary, ListWindowCommand::Dictionary, nullptr, nullptr},
    {FrameModelerCommand::Open, FrameModelerCommand::Open, nullptr, nullptr},
    {33234, 33234, nullptr, nullptr},   // the project logbook
    // The chart windows.
    {ChartFrameCommand::CodeMatrix, ChartFrameCommand::CodeMatrix, "Ctrl+B", nullptr},
    {ChartFrameCommand::CodeRelations, ChartFrameCommand::CodeRelations, "Ctrl+O", nullptr},
    {ChartFrameCommand::Sequence, ChartFrameCommand::Sequence, nullptr, nullptr},
    {ChartFrameCommand::Comparison, ChartFrameCommand::Comparison, nullptr, nullptr},
    {ChartFrameCommand::Typology, ChartFrameCommand::Typology, nullptr, nullptr},
    {ChartFrameCommand::ExportToolTable, ChartFrameCommand::ExportToolTable, nullptr, nullptr},
    // Find commands and analysis tables.
    {FindCommand::Find, FindCommand::Find, nullptr, "edit-find"},
    {FindCommand::FindExtended, FindCommand::FindExtended, nullptr, nullptr},
    {FindCommand::Crosstabs, FindCommand::Crosstabs, nullptr, nullptr},
    {FindCommand::QuoteMatrix, 102232, nullptr, nullptr},  // the command has no text of its own
    // Export and print commands of the panes and the project.
    {612, 200020, nullptr, nullptr},
    {613, 200021, nullptr, nullptr},
    {614, 200022, nullptr, "document-save-as"},
    {616, 200024, nullptr, nullptr},
    {618, 200026, nullptr, nullptr},
    {619, 200027, nullptr, nullptr},
    {620, 200028, nullptr, nullptr},
    {621, 200029, nullptr, nullptr},
    {622, 200030, nullptr, nullptr},
    {TableCommand::ImportDocumentVariables, 211022, nullptr, nullptr},
    {TableCommand::ImportCodeVariables, 211023, nullptr, nullptr},
    {TableCommand::ExportDocumentVariables, 211024, nullptr, nullptr},
    {TableCommand::ExportCodeVariables, 211025, nullptr, nullptr},
    {611, 200031, nullptr, nullptr},
    {658, 200032, nullptr, nullptr},
    {600, 200011, nullptr, nullptr},
    {602, 200012, nullptr, nullptr},
    {604, 200013, nullptr, "document-print"},
    {606, 200014, nullptr, nullptr},
    {608, 200015, nullptr, nullptr},
    {610, 200016, nullptr, nullptr},
    // Word frequencies, the tag cloud and the stop list.
    {WordFreqCommand::WordCounter, WordFreqCommand::WordCounter, nullptr, nullptr},
    {WordFreqCommand::GoList, WordFreqCommand::GoList, nullptr, nullptr},
    {WordFreqCommand::TagCloud, WordFreqCommand::TagCloud, nullptr, nullptr},
    {WordFreqCommand::StopList, WordFreqCommand::StopList, nullptr, nullptr},
    {WordFreqCommand::FrequencyVariables, WordFreqCommand::FrequencyVariables, "Ctrl+Shift+R", nullptr},
    // The imports of the file menu.
    {TreeCommand::ImportDocuments, TreeCommand::ImportDocuments, nullptr, nullptr},
    {ImportsCommand::StructuredTexts, ImportsCommand::StructuredTexts, nullptr, nullptr},
    {ImportsText::XmlImportCommand, ImportsText::XmlImportCommand, nullptr, nullptr},
    // The trees' tool window.
    // The media toolbar.
    {MediaCommand::Load, MediaText::CommandLoad, "Ctrl+P", "document-open"},
    {MediaCommand::MarkList, MediaText::CommandLoad + 1, nullptr, "view-list-details"},
    {MediaCommand::FollowMarks, MediaText::CommandLoad + 2, nullptr, "go-jump"},
    {MediaCommand::Stamp, MediaText::CommandLoad + 3, "F3", "appointment-new"},
    {MediaCommand::PreviousMark, MediaText::CommandLoad + 4, "F5", "media-skip-backward"},
    {MediaCommand::Stop, MediaText::CommandLoad + 5, nullptr, "media-playback-stop"},
    {MediaCommand::TogglePlay, MediaText::CommandLoad + 6, "F4", "media-playback-start"},
    {MediaCommand::NextMark, MediaText::CommandLoad + 7, "F6", "media-skip-forward"},
    {MediaCommand::Video, MediaText::CommandVideo, nullptr, "video-display"},
    // Help, formatting, toolbars, languages and moving between panes and tabs.
    {HelpCommand::Tips, FrameHelpText::CommandTips, nullptr, "help-hint"},
    {HelpCommand::Help, FrameHelpText::CommandHelp, "F1", "help-contents"},
    {HelpCommand::DictionaryHelp, FrameHelpText::CommandDictionaryHelp, nullptr, nullptr},
    {HelpCommand::Shortcuts, FrameHelpText::CommandShortcuts, nullptr, "input-keyboard"},
    {HelpCommand::MixedMethods, FrameHelpText::CommandMixedMethods, nullptr, nullptr},
    {HelpCommand::Introduction, FrameHelpText::CommandIntroduction, nullptr, nullptr},
    {HelpCommand::News, FrameHelpText::CommandNews, nullptr, nullptr},
    {HelpCommand::Manuals, FrameHelpText::CommandManuals, nullptr, nullptr},
    {HelpCommand::DictionaryManuals, FrameHelpText::CommandDictionaryManuals, nullptr, nullptr},
    {HelpCommand::Tutorials, FrameHelpText::CommandTutorials, nullptr, nullptr},
    {FormatCommand::EditText, FrameHelpText::EditTextCommand, nullptr, "document-edit"},
    {FormatCommand::AlignLeft, FrameHelpText::CommandAlignLeft, nullptr, "format-justify-left"},
    {FormatCommand::AlignCentre, FrameHelpText::CommandAlignCentre, nullptr, "format-justify-center"},
    {FormatCommand::AlignRight, FrameHelpText::CommandAlignRight, nullptr, "format-justify-right"},
    {FormatCommand::TextColour, FrameHelpText::CommandTextColour, nullptr, nullptr},
    {FormatCommand::WrapLines, FormatCommand::WrapLines, nullptr, "format-text-direction-ltr"},
    {FormatCommand::CutButton, BrowserCommand::Cut, nullptr, "edit-cut"},
    {FormatCommand::CopyButton, BrowserCommand::Copy, nullptr, "edit-copy"},
    {FormatCommand::PasteButton, BrowserCommand::Paste, nullptr, "edit-paste"},
    {NavigationCommand::CopySegments, FrameHelpText::CommandCopySegments, nullptr, nullptr},
    {NavigationCommand::OptionsLayout, FrameHelpText::CommandOptionsLayout, nullptr, nullptr},
    {NavigationCommand::NextPane, FrameHelpText::CommandNextPane, "Ctrl+F6", nullptr},
    {NavigationCommand::PreviousPane, FrameHelpText::CommandPreviousPane, "Ctrl+Shift+F6", nullptr},
    {NavigationCommand::SearchBar, FrameHelpText::CommandSearchBar, "Ctrl+F", "edit-find"},
    {NavigationCommand::CloseTab, FrameHelpText::CommandCloseTab, "Ctrl+F4", nullptr},
    {NavigationCommand::NextTab, FrameHelpText::CommandNextTab, "Ctrl+Tab", nullptr},
    {NavigationCommand::PreviousTab, FrameHelpText::CommandPreviousTab, "Ctrl+Shift+Tab", nullptr},
    {ToolbarId::Frame, AppText::FrameToolbar, nullptr, nullptr},
    {ToolbarId::CodeBar, FrameHelpText::ToolbarCodeBar, nullptr, nullptr},
    {ToolbarId::Qnt, FrameHelpText::ToolbarQnt, nullptr, nullptr},
    {ToolbarId::ColourCoding, FrameHelpText::ToolbarColourCoding, nullptr, nullptr},
    {ToolbarId::Visual, FrameHelpText::ToolbarVisual, nullptr, nullptr},
    {ToolbarId::Language, FrameHelpText::ToolbarLanguage, nullptr, nullptr},
    {ToolbarId::MediaPlayer, MediaText::Toolbar, nullptr, nullptr},
    {ToolbarId::Document, FrameHelpText::ToolbarDocument, nullptr, nullptr},
    {LanguageCommand::First, FrameHelpText::LanguageFirst, nullptr, nullptr},
    {LanguageCommand::First + 1, FrameHelpText::LanguageFirst + 1, nullptr, nullptr},
    {LanguageCommand::First + 2, FrameHelpText::LanguageFirst + 2, nullptr, nullptr},
    {LanguageCommand::First + 3, FrameHelpText::LanguageFirst + 3, nullptr, nullptr},
    {LanguageCommand::First + 4, FrameHelpText::LanguageFirst + 4, nullptr, nullptr},
    {LanguageCommand::First + 5, FrameHelpText::LanguageFirst + 5, nullptr, nullptr},
    {LanguageCommand::First + 6, FrameHelpText::LanguageFirst + 6, nullptr, nullptr},
    {LanguageCommand::First + 7, FrameHelpText::LanguageFirst + 7, nullptr, nullptr},
    {LanguageCommand::First + 8, FrameHelpText::LanguageFirst + 8, nullptr, nullptr},
    {LanguageCommand::First + 9, FrameHelpText::LanguageFirst + 9, nullptr, nullptr},
    {LanguageCommand::First + 10, FrameHelpText::LanguageFirst + 10, nullptr, nullptr},
    {LanguageCommand::First + 11, FrameHelpText::LanguageFirst + 11, nullptr, nullptr},
    {LanguageCommand::Last, FrameHelpText::LanguageFirst + 12, nullptr, nullptr},
    // The program's settings, the language and the update check.
    {OptionsCommand::ProgramOptions, OptionsCommand::ProgramOptions, nullptr, "configure"},
    {OptionsCommand::DictionaryOptions, OptionsCommand::DictionaryOptions, nullptr, nullptr},
    {OptionsCommand::UserName, OptionsCommand::UserName, nullptr, "user-identity"},
    {OptionsCommand::SpinSettings, OptionsCommand::SpinSettings, nullptr, nullptr},
    {OptionsCommand::WebUpdate, OptionsCommand::WebUpdate, nullptr, "system-software-update"},
    // Memo lists, activation resets, coding actions, links and tools.
    {ToolCommand::MemosOfUser, ToolText::CommandMemosOfUser, nullptr, nullptr},
    {ToolCommand::CodeMemosOfUser, ToolText::CommandCodeMemosOfUser, nullptr, nullptr},
    {ToolCommand::TextMemosOfUser, ToolText::CommandTextMemosOfUser, nullptr, nullptr},
    {ToolCommand::MemosOfOpenDocument, ToolText::CommandMemosOfOpenDocument, nullptr, nullptr},
    {ToolCommand::ResetRetrieval, ToolCommand::ResetRetrieval, nullptr, "edit-clear"},
    {ToolCommand::ActivateSubcodes, ToolCommand::ActivateSubcodes, nullptr, nullptr},
    {ToolCommand::ToggleGeoStrip, ToolText::CommandGeoStrip, nullptr, nullptr},
    {ToolCommand::SupportInfo, ToolCommand::SupportInfo, nullptr, nullptr},
    {ToolCommand::ExtractExternals, ToolCommand::ExtractExternals, nullptr, nullptr},
    {ToolCommand::DeactivateAll, ToolCommand::DeactivateAll, nullptr, nullptr},
    {ToolCommand::DeactivateDocuments, ToolText::CommandDeactivateDocuments, nullptr, nullptr},
    {ToolCommand::DeactivateCodes, ToolText::CommandDeactivateCodes, nullptr, nullptr},
    {ToolCommand::UncodePopup, ToolCommand::UncodePopup, nullptr, "edit-undo"},
    {ToolCommand::InsertExternalLink, ToolText::CommandExternalLink, nullptr, "insert-link"},
    {ToolCommand::InsertGeoLink, ToolText::CommandGeoLink, nullptr, nullptr},
    {ToolCommand::DeleteLink, ToolText::CommandDeleteLink, nullptr, nullptr},
    {ToolCommand::DocumentPortrait, ToolCommand::DocumentPortrait, nullptr, nullptr},
};

bool HasText(const char* text)
{
    return text && *text;
}

}  // namespace

const CommandInfo* FindCommandInfo(int id)
{
    for (const CommandInfo& info : kCommands)
        if (info.id == id)
            return &info;
    return nullptr;
}

CCommandManager::CCommandManager(QWidget* window) : QObject(window), m_window(window)
{
    connect(&m_idleTimer, &QTimer::timeout, this, &CCommandManager::UpdateToolbarActions);
}

CCommandManager::~CCommandManager() = default;

QAction* CCommandManager::Action(int id)
{
    if (QAction* existing = m_actions.value(id))
        return existing;
    const CommandInfo* info = FindCommandInfo(id);
    if (!info || !m_window)
        return nullptr;
    auto* action = new QAction(m_window);
    action->setData(id);
    if (HasText(info->shortcut))
        action->setShortcut(QKeySequence(QString::fromLatin1(info->shortcut), QKeySequence::PortableText));
    if (HasText(info->icon))
        action->setIcon(QIcon::fromTheme(QString::fromLatin1(info->icon)));
    Translate(action, *info);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    m_window->addAction(action);
    m_actions.insert(id, action);
    return action;
}

QMenu* CCommandManager::CreateMenu(int textId, QWidget* parent)
{
    auto* menu = new QMenu(LoadString(textId), parent);
    menu->setProperty(kMenuTextIdProperty, textId);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateActions(menu->actions()); });
    m_menus.append(menu);
    return menu;
}

void CCommandManager::Translate(QAction* action, const CommandInfo& info) const
{
    action->setText(LoadString(info.textId));
    action->setToolTip(CommandTooltip(action->text(), action->shortcut()));
}

void CCommandManager::Retranslate()
{
    for (QAction* action : std::as_const(m_actions))
        if (const CommandInfo* info = FindCommandInfo(action->data().toInt()))
            Translate(action, *info);
    for (const QPointer<QMenu>& menu : std::as_const(m_menus))
        if (menu)
            menu->setTitle(LoadString(menu->property(kMenuTextIdProperty).toInt()));
}

bool CCommandManager::Execute(int id)
{
    if (!m_route)
        return false;
    bool done = false;
    for (ICommandTarget* target : m_route()) {
        if (target && target->OnCommand(id)) {
            done = true;
            break;
        }
    }
    // A command may change what the others can do: refresh the toolbars
    // once the event that triggered it has been handled.
    QTimer::singleShot(0, this, &CCommandManager::UpdateToolbarActions);
    return done;
}

CCmdUI CCommandManager::QueryState(int id) const
{
    CCmdUI ui;
    ui.id = id;
    if (m_route) {
        for (ICommandTarget* target : m_route()) {
            if (target && target->OnUpdateCommand(ui)) {
                ui.handled = true;
                return ui;
            }
        }
    }
    ui.enabled = false;
    return ui;
}

void CCommandManager::UpdateAction(QAction* action) const
{
    if (!action || action->isSeparator() || action->menu())
        return;
    bool ok = false;
    const int id = action->data().toInt(&ok);
    if (!ok || id == 0)
        return;
    const CCmdUI ui = QueryState(id);
    action->setEnabled(ui.enabled);
    if (ui.checkable) {
        action->setCheckable(true);
        action->setChecked(ui.checked);
    }
    if (!ui.text.isEmpty())
        action->setText(ui.text);
}

void CCommandManager::UpdateActions(const QList<QAction*>& actions) const
{
    for (QAction* action : actions)
        UpdateAction(action);
}

void CCommandManager::UpdateToolbarActions() const
{
    for (QAction* action : std::as_const(m_actions)) {
        const QList<QObject*> shownOn = action->associatedObjects();
        const bool onToolbar = std::any_of(shownOn.begin(), shownOn.end(), [](QObject* object) {
            return qobject_cast<QToolBar*>(object) != nullptr;
        });
        if (onToolbar)
            UpdateAction(action);
    }
    emit const_cast<CCommandManager*>(this)->StatesRefreshed();
}

void CCommandManager::StartIdleUpdates(int intervalMs)
{
    m_idleTimer.start(intervalMs);
}
