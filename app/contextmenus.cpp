// The context menus: their items, the menu of a node, and the adjustments
// to the node a menu is opened on.

#include "app/contextmenus.h"

#include "app/appids.h"
#include "app/framehelp.h"
#include "app/listwindows.h"
#include "app/mainframe.h"
#include "dictionary/qntdicdlg.h"
#include "browser/framebrowser.h"
#include "document/kordoc.h"
#include "foundation/stringstore.h"
#include "foundation/uiservices.h"
#include "panes/objectlistwindow.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QAction>
#include <QMenu>

#include <initializer_list>

namespace {

constexpr int kSeparator = 0;
constexpr qint32 kCodingActionField = 1;   // TAID of a coding: the id of its action's first coding

struct MenuDefinition {
    int id;
    std::initializer_list<int> commands;
};

// Separators sit where the adjustments below remove one by its position.
const MenuDefinition kMenus[] = {
    {ContextMenuId::DocumentsRoot,
     {20001, 20163, 20146, TreeCommand::ImportDocuments, kSeparator, 20002, 20003, 20004, 20123, kSeparator, 20008, 20007, 20129, 20006,
      kSeparator, 20005, 20168, kSeparator, 20116, kSeparator, 20145, 20128}},
    {ContextMenuId::DocumentGroup,
     {20015, 20163, 20019, TreeCommand::ImportDocuments, kSeparator, 20010, 20013, 20014, 20140, 20123, kSeparator, 20016, 20011, kSeparator,
      20005, 20168, 20018, 20017, kSeparator, 20114, kSeparator, 20125, 20126, 20138}},
    {ContextMenuId::DocumentSetsRoot,
     {20030, kSeparator, 20031, 20032, kSeparator, 20033, 20034, 20035, 20123, kSeparator, 20005}},
    {ContextMenuId::DocumentSet,
     {20037, 20038, kSeparator, 20041, 20042, 20043, 20123, kSeparator, 20005, 20044, 20040, kSeparator, 20110,
      20136}},
    {ContextMenuId::Document,
     {20024, 20177, kSeparator, 20021, 20022, 20023, 20140, 20123, kSeparator, 20029, 20144, kSeparator, 20020,
      20026, 20025, 20170, 30101, 30102, 30103, kSeparator, 20027, 20028, kSeparator, 20137}},
    {ContextMenuId::SetMember,
     {20176, 20177, kSeparator, 20048, 20049, 20050, 20140, 20123, kSeparator, 20112, 20045, 20047}},
    {ContextMenuId::CodeSystemRoot,
     {20056, kSeparator, 20051, 20052, 20130, 20174, kSeparator, 20054, 20055, kSeparator, 20005, 20168, 20143,
      kSeparator, 20057, 20058, 20059, 20060, 20172, TableCommand::ImportCodeVariables}},
    {ContextMenuId::Code,
     {20061, 20068, kSeparator, 20062, 20063, 20175, 20132, 20131, 33629, 33630, 20149, 20084, 20148, kSeparator,
      20067, 20070, 20069, 20066, 20064, 20005, kSeparator, 20081, 20082, 20083, 20133, kSeparator, 20065, 20142,
      20143, TableCommand::ImportCodeVariables}},
    {ContextMenuId::Coding, {20087, kSeparator, 20173, kSeparator, 20086, 20147, kSeparator, 20134, kSeparator, 20085}},
    {ContextMenuId::Memo, {20089, kSeparator, 20088, kSeparator, 20135, kSeparator, 33555, 33554}},
    {ContextMenuId::EmptyMemo, {20120, kSeparator, 20127}},
    {ContextMenuId::MemoHeader, {20120}},
    {ContextMenuId::RetrievedSegments,
     {20101, kSeparator, 20102, 20103, 20104, kSeparator, 20105, 20106, 20107, kSeparator, 20108, 20165, 20109}},
    {ContextMenuId::WordList, {20124, kSeparator, 20119, 20121}},
    {ContextMenuId::ParagraphMargin, {5798, kSeparator, FormatCommand::EditText}},
    {ContextMenuId::TextMargin1, {5798}},
    {ContextMenuId::TextMargin2, {5798}},
    {ContextMenuId::TextMargin3, {5798}},
    {ContextMenuId::CodeSetsRoot,
     {20030, kSeparator, 20031, 20032, kSeparator, 20033, 20034, kSeparator, 20005}},
    {ContextMenuId::CodeSet,
     {20037, 20038, kSeparator, 20041, 20042, 20175, kSeparator, 20005, 20044, 20040}},
    {ContextMenuId::CodeSetMember,
     {20068, 20061, 20070, kSeparator, 20062, 20063, 20067, 20148, kSeparator, 20132, 20131, 20133, kSeparator,
      20064}},
    {ContextMenuId::MediaMark, {20147, kSeparator, 33535}},
    {ContextMenuId::GeoLink, {20178}},
};

/// A command's caption and tip for one kind of node: (kind, command, text).
struct CommandText {
    qint32 kind;
    int command;
    int textId;
};
const CommandText kCommandTexts[] = {
    {NodeKind::DocumentsRoot, 20005, 100131},    {NodeKind::DocumentsRoot, 20168, 102002},
    {NodeKind::DocumentGroup, 20005, 100141},    {NodeKind::DocumentGroup, 20168, 102003},
    {NodeKind::DocumentSetsRoot, 20005, 100162}, {NodeKind::DocumentSetsRoot, 20031, 100156},
    {NodeKind::DocumentSetsRoot, 20032, 100157}, {NodeKind::DocumentSetsRoot, 20034, 100159},
    {NodeKind::DocumentSet, 20037, 100164},      {NodeKind::DocumentSet, 20038, 100165},
    {NodeKind::DocumentSet, 20005, 100166},      {NodeKind::DocumentSet, 20042, 100171},
    {NodeKind::CodeSystemRoot, 20005, 100190},   {NodeKind::Code, 20005, 100214},
    {NodeKind::Code, 20064, 100204},             {NodeKind::CodeSetsRoot, 20005, 100251},
    {NodeKind::CodeSetsRoot, 20031, 100246},     {NodeKind::CodeSetsRoot, 20032, 100247},
    {NodeKind::CodeSetsRoot, 20034, 100249},     {NodeKind::CodeSet, 20037, 100252},
    {NodeKind::CodeSet, 20038, 100253},          {NodeKind::CodeSet, 20005, 100254},
    {NodeKind::CodeSet, 20042, 100258},          {NodeKind::CodeSetMember, 20064, 100266},
};

QAction* FindCommand(QMenu* menu, int command)
{
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->data().toInt() == command)
            return action;
    return nullptr;
}

void RemoveCommand(QMenu* menu, int command)
{
    if (QAction* action = FindCommand(menu, command)) {
        menu->removeAction(action);
        delete action;
    }
}

void RemoveCommands(QMenu* menu, std::initializer_list<int> commands)
{
    for (int command : commands)
        RemoveCommand(menu, command);
}

// Positions count in the menu as it is at the moment of the removal. Only a
// separator is ever removed this way; anything else there stays.
void RemoveSeparatorAt(QMenu* menu, int position)
{
    const QList<QAction*> actions = menu->actions();
    if (position < actions.size() && actions.at(position)->isSeparator()) {
        menu->removeAction(actions.at(position));
        delete actions.at(position);
    }
}

// The caption of the menu now shown, also as the command's tip, so that a
// command shared by several menus carries the tip of this one.
void SetCommandText(QWidget* frame, QMenu* menu, int command, const QString& text)
{
    if (QAction* action = FindCommand(menu, command)) {
        action->setText(text);
        action->setToolTip(text);
    }
    SetCommandTooltip(frame, command, text);
}

bool HasCode(CKorDoc& document, qint32 code)
{
    const TopicTable* codes = document.GetDatabase().GetTable(TopicId::Codes);
    return code > 0 && codes && codes->HasKey(code);
}

// The code of the latest coding action: the coding with the largest action
// id; 0 when no coding has a code.
qint32 LastCodingCode(CKorDoc& document)
{
    const TopicDatabase& db = document.GetDatabase();
    QList<qint32> keys;
    db.GetAllKeys(TopicId::Codings, keys);
    qint32 lastAction = 0;
    qint32 code = 0;
    for (const qint32 key : keys) {
        const qint32 action = db.GetIntValue(TopicId::Codings, key, kCodingActionField);
        const qint32 codingCode = db.GetIntValue(TopicId::Codings, key, CodingField::Code);
        if (codingCode != 0 && (code == 0 || action > lastAction)) {
            lastAction = action;
            code = codingCode;
        }
    }
    return code;
}

}  // namespace

QList<ContextMenuItem> ContextMenuItems(int menuId)
{
    for (const MenuDefinition& menu : kMenus)
        if (menu.id == menuId) {
            QList<ContextMenuItem> items;
            for (int command : menu.commands)
                items.append(ContextMenuItem{command});
            return items;
        }
    return {};
}

int ContextMenuFor(qint32 kind, qint32 item, qint32 sender, int selectedCount, bool codingHasCode)
{
    switch (kind) {
    case NodeKind::DocumentsRoot: return ContextMenuId::DocumentsRoot;
    case NodeKind::DocumentGroup: return ContextMenuId::DocumentGroup;
    case NodeKind::DocumentSetsRoot: return ContextMenuId::DocumentSetsRoot;
    case NodeKind::DocumentSet: return ContextMenuId::DocumentSet;
    case NodeKind::Document:
        // Lists that select several documents offer no document menu.
        return sender == PaneControlId::DocumentTree || selectedCount <= 1 ? ContextMenuId::Document : 0;
    case NodeKind::SetMember: return ContextMenuId::SetMember;
    case NodeKind::CodeSystemRoot: return ContextMenuId::CodeSystemRoot;
    case NodeKind::Code: return ContextMenuId::Code;
    case NodeKind::Coding: return item != 0 && codingHasCode ? ContextMenuId::Coding : 0;
    case NodeKind::Memo:
        return item > 0 ? ContextMenuId::Memo : item == 0 ? ContextMenuId::EmptyMemo : ContextMenuId::MemoHeader;
    case NodeKind::EmptyStrip: return ContextMenuId::RetrievedSegments;
    case NodeKind::TextMargin:
        switch (item) {
        case 0: return ContextMenuId::ParagraphMargin;
        case 1: return ContextMenuId::TextMargin1;
        case 2: return ContextMenuId::TextMargin2;
        case 3: return ContextMenuId::TextMargin3;
        default: return 0;
        }
    case NodeKind::WordListEntry:
    case NodeKind::WordTableEntry: return ContextMenuId::WordList;
    case NodeKind::GeoLink: return ContextMenuId::GeoLink;
    case NodeKind::CodeSetsRoot: return ContextMenuId::CodeSetsRoot;
    case NodeKind::CodeSet: return ContextMenuId::CodeSet;
    case NodeKind::CodeSetMember: return ContextMenuId::CodeSetMember;
    case NodeKind::MediaMark: return ContextMenuId::MediaMark;
    case NodeKind::Kind32: return ContextMenuId::Kind32;
    default: return 0;
    }
}

void CMainFrame::ShowContextMenu(int menuId, QPoint point)
{
    const QList<ContextMenuItem> items = ContextMenuItems(menuId);
    if (items.isEmpty())
        return;
    if (m_contextMenu)
        m_contextMenu->close();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setSeparatorsCollapsible(true);
    menu->setToolTipsVisible(true);
    for (const ContextMenuItem& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(LoadString(item.command));
        action->setData(item.command);
        // A command nothing carries out yet is shown, but disabled.
        action->setEnabled(m_commands.QueryState(item.command).enabled);
        connect(action, &QAction::triggered, this, [this, id = item.command] { m_commands.Execute(id); });
    }
    AdjustContextMenu(menu, menuId);
    m_contextMenu = menu;
    menu->popup(point);
}

void CMainFrame::AdjustContextMenu(QMenu* menu, int menuId)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const ContextTarget& target = m_contextTarget;
    const qint32 item = target.item;
    const int selected = int(target.selection.size());
    const bool noModelEditor = m_modelEditor.isNull();
    const bool browserSelection = m_browserAccess && m_browserAccess->HasSelection();
    const auto activationCaption = [&](int command, qint32 kind, qint32 id) {
        const int text = document->IsActivated(kind, id) ? AppText::Deactivate : AppText::Activate;
        SetCommandText(this, menu, command, LoadString(text));
    };
    // A code of the five special ones cannot be recoloured or renamed here.
    const bool special = document->IsSpecialCode(item);
    const auto removeVariableCommands = [&](qint32 code) {
        RemoveCommand(menu, document->GetCodeLinkObject(code, false) ? 20132 : 20131);
        RemoveCommand(menu, document->GetCodeLinkObject(code, true) ? 33629 : 33630);
    };
    const auto hasSubcodes = [&](qint32 code) {
        QList<qint32> children;
        return document->GetChildCodes(code, children) && !children.isEmpty();
    };

    for (const CommandText& text : kCommandTexts)
        if (text.kind == target.kind)
            SetCommandText(this, menu, text.command, LoadString(text.textId));

    switch (target.kind) {
    case NodeKind::DocumentGroup:
        if (noModelEditor)
            RemoveCommand(menu, 20138);
        break;
    case NodeKind::DocumentSet:
        if (noModelEditor)
            RemoveCommand(menu, 20136);
        break;
    case NodeKind::Document: {
        if (target.sender == PaneControlId::DocumentTree) {
            activationCaption(20020, NodeKind::Document, item);
        } else {
            for (int position : {22, 19, 11})
                RemoveSeparatorAt(menu, position);
            RemoveCommands(menu, {20020, 20026, 20025, 20023, 20027, 20028, 20123});
        }
        if (noModelEditor)
            RemoveCommand(menu, 20137);
        QString links[3];
        document->GetDocumentSourceInfo(item, links[0], links[1], links[2]);
        for (int i = 0; i < 3; ++i)
            if (links[i].isEmpty())
                RemoveCommand(menu, 30101 + i);
        break;
    }
    case NodeKind::SetMember:
        activationCaption(20045, NodeKind::SetMember, item);
        break;
    case NodeKind::CodeSystemRoot:
        if (!m_contextClipboard.copiedCode)
            RemoveCommand(menu, 20143);
        break;
    case NodeKind::Code:
        if (target.sender == PaneControlId::CodeTree) {
            activationCaption(20068, NodeKind::Code, item);
            if (special)
                RemoveCommands(menu, {20070, 20066});
            if (!browserSelection)
                RemoveCommand(menu, 20061);
            if (document->GetCodeFrequency(item, false) == 0)
                RemoveCommands(menu, {20081, 20082});
            const qint32 source = m_contextClipboard.codingsSource;
            if (source && source != item && HasCode(*document, source)
                && document->GetCodeFrequency(source, false) > 0) {
                const int caption = m_contextClipboard.codingsCopy ? AppText::InsertCopiedCodings
                                                                   : AppText::InsertMovedCodings;
                SetCommandText(this, menu, 20083,
                               LoadString(caption).arg(document->GetDatabase().FormatRowDisplay(TopicId::Codes,
                                                                                                source, false)));
            } else {
                // A remembered code that is gone is forgotten.
                if (source && !HasCode(*document, source))
                    m_contextClipboard.codingsSource = 0;
                RemoveCommand(menu, 20083);
            }
            removeVariableCommands(item);
            if (!hasSubcodes(item))
                RemoveCommand(menu, 20149);
            RemoveCommand(menu, 20069);
        } else if (selected <= 1) {
            RemoveSeparatorAt(menu, 25);
            removeVariableCommands(item);
            RemoveCommands(menu, {20081, 20082, 20083, 20066, 20065, 20005});
            if (!browserSelection)
                RemoveCommand(menu, 20061);
            RemoveCommand(menu, 20068);
            if (!hasSubcodes(item))
                RemoveCommand(menu, 20149);
        } else {
            RemoveSeparatorAt(menu, 25);
            RemoveSeparatorAt(menu, 20);
            RemoveCommands(menu, {20132, 20131, 33629, 33630, 20081, 20082, 20083, 20066, 20065, 20005, 20061,
                                  20068, 20067, 20084, 20142, 20062, 20063, 20149, 20175});
        }
        if (noModelEditor || selected >= 2)
            RemoveCommand(menu, 20133);
        if (!m_contextClipboard.copiedCode || selected >= 2)
            RemoveCommand(menu, 20143);
        // Variables of codes come in below the one code of the tree clicked.
        if (target.sender != PaneControlId::CodeTree || selected >= 2)
            RemoveCommand(menu, TableCommand::ImportCodeVariables);
        break;
    case NodeKind::Coding:
        if (noModelEditor) {
            RemoveSeparatorAt(menu, 6);
            RemoveCommand(menu, 20134);
        }
        if (target.sender != PaneControlId::CodingStripe || !browserSelection) {
            RemoveSeparatorAt(menu, 1);
            RemoveCommand(menu, 20173);
        }
        break;
    case NodeKind::Memo:
        if (menuId == ContextMenuId::Memo && noModelEditor) {
            RemoveSeparatorAt(menu, 3);
            RemoveCommand(menu, 20135);
        } else if (menuId == ContextMenuId::EmptyMemo) {
            const qint32 memo = m_contextClipboard.memoToInsert;
            const TopicTable* memos = document->GetDatabase().GetTable(TopicId::Memos);
            if (!memo || !memos || !memos->HasKey(memo)) {
                RemoveSeparatorAt(menu, 1);
                RemoveCommand(menu, 20127);
            }
        }
        break;
    case NodeKind::TextMargin: {
        const qint32 code = LastCodingCode(*document);
        if (code)
            SetCommandText(this, menu, 5798,
                           LoadString(AppText::CodeWithLastCode)
                               .arg(document->GetDatabase().FormatRowDisplay(TopicId::Codes, code, false)));
        else
            RemoveCommand(menu, 5798);
        break;
    }
    case NodeKind::WordListEntry: {
        // Words go into the dictionary window's selected category only.
        const CQntDicDlg* dictionary = m_listWindows->DictionaryWindow();
        if (!dictionary || dictionary->GetSelectedId() == 0)
            RemoveCommand(menu, ListWindowCommand::WordsToCategory);
        // The go-list's words are dictionary entries, not stop words.
        if (const ObjectListWindow* words = m_listWindows->Window(CListWindows::Words); words && words->Mode() == 1) {
            RemoveCommand(menu, 20121);
            if (!dictionary || dictionary->GetSelectedId() == 0)
                RemoveSeparatorAt(menu, 1);
        }
        break;
    }
    case NodeKind::WordTableEntry:
        RemoveCommands(menu, {20119, 20121});
        RemoveSeparatorAt(menu, 1);
        break;
    case NodeKind::CodeSetMember: {
        const qint32 code = document->GetCodeSetMemberCode(item);
        activationCaption(20068, NodeKind::Code, code);
        if (document->IsSpecialCode(code))
            RemoveCommand(menu, 20070);
        if (!browserSelection)
            RemoveCommand(menu, 20061);
        RemoveCommand(menu, document->GetCodeLinkObject(code, false) ? 20132 : 20131);
        if (noModelEditor)
            RemoveCommand(menu, 20133);
        break;
    }
    default:
        break;
    }
}
