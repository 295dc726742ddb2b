// The frame's answers to the panes' request records: routing to the
// document, the drop test, the context menus by node and sender, and
// following or activating an item.

#include "app/contextmenus.h"
#include "browser/framebrowser.h"
#include "framefixture.h"
#include "store/topicdatabase.h"

#include <QMenu>

using namespace frametest;
using doctest::AddRow;

namespace {

class RecordingBrowser : public IFrameBrowser {
public:
    void SelectRange(qint32 start, qint32 end, qint32 page) override
    {
        calls.append(QStringLiteral("range %1-%2 p%3").arg(start).arg(end).arg(page));
    }
    void SelectCoding(qint32 coding) override { calls.append(QStringLiteral("coding %1").arg(coding)); }
    void SelectMemo(qint32 memo) override { calls.append(QStringLiteral("memo %1").arg(memo)); }
    void ScrollToParagraph(qint32 p) override { calls.append(QStringLiteral("scroll %1").arg(p)); }
    void ExtendSelectionToParagraph(qint32 p) override { calls.append(QStringLiteral("extend %1").arg(p)); }
    bool HasSelection() const override { return selection; }
    void RetrackStripe() override { calls.append(QStringLiteral("retrack")); }
    void Refresh() override { calls.append(QStringLiteral("refresh")); }
    void CommitEdits() override { calls.append(QStringLiteral("commit")); }
    void SaveViewState() override { calls.append(QStringLiteral("save state")); }

    bool selection = false;
    QStringList calls;
};

// Commands of the shown context menu, separators as 0.
QList<int> MenuCommands(const QMenu* menu)
{
    QList<int> commands;
    for (const QAction* action : menu->actions())
        commands.append(action->isSeparator() ? 0 : action->data().toInt());
    return commands;
}

QString MenuText(const QMenu* menu, int command)
{
    for (const QAction* action : menu->actions())
        if (!action->isSeparator() && action->data().toInt() == command)
            return action->text();
    return QStringLiteral("<none>");
}

class RouterTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        g_qdaOptions.SetBool(QdaOption::ActivateWithSubcodes, true);
        ShowFrame();
        frame->SetBrowser(&browser);
        OpenThroughMenu(MakeProject(QStringLiteral("Router.kv4")));
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        first = document.NewDocument(group, QStringLiteral("Anna"), {}, {});
        second = document.NewDocument(group, QStringLiteral("Ben"), {}, {});
        set = AddRow(db(), TopicId::DocumentSets, {{GroupField::Name, QStringLiteral("Set")}});
        member = AddRow(db(), TopicId::DocumentSetMembers,
                        {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, first}});
        CodeRecord record;
        record.name = QStringLiteral("Themes");
        code = document.NewCode(record);
        record.name = QStringLiteral("Work");
        record.parent = code;
        subcode = document.NewCode(record);
        coding = AddRow(db(), TopicId::Codings,
                        {{CodingField::Document, second}, {CodingField::Code, subcode},
                         {CodingField::StartChar, 4}, {CodingField::FinishChar, 9}});
        ASSERT_TRUE(document.RecountCodings());
        log.Take();
    }
    void TearDown() override
    {
        if (QMenu* menu = frame->ShownContextMenu())
            menu->close();
        frame->SetBrowser(nullptr);
        FrameTest::TearDown();
    }
    void Click(qint32 kind, qint32 item, int keys)
    {
        IdListNotifyInfo info(RequestCode::FollowItem);
        info.kind = kind;
        info.itemId = item;
        info.modifierKeys = keys;
        EXPECT_TRUE(frame->RouteRequest(info));
    }

    RecordingBrowser browser;
    qint32 group = 0, first = 0, second = 0, set = 0, member = 0, code = 0, subcode = 0, coding = 0;
};

}  // namespace

TEST_F(FrameTest, NothingIsAnsweredWithoutAProject)
{
    ShowFrame();
    for (CMainFrame* owner : {frame.get(), static_cast<CMainFrame*>(nullptr)}) {
        SettingNotifyInfo setting(RequestCode::ReadSetting);
        setting.key = QStringLiteral("LOG");
        setting.value = QStringLiteral("preset");
        ListNotifyInfo item;
        item.topic = TopicId::Documents;
        item.itemId = 1;
        item.query = true;
        item.mask = ListNotifyMask::Name;
        SendRequest(owner, nullptr, 508, setting);
        SendRequest(owner, nullptr, 508, item);
        if (owner) {
            EXPECT_FALSE(owner->RouteRequest(setting));
        }
        EXPECT_FALSE(setting.result);
        EXPECT_EQ(setting.value, QStringLiteral("preset"));
        EXPECT_FALSE(item.handled);
        EXPECT_TRUE(item.name.isEmpty());
    }
    IdListNotifyInfo menu(RequestCode::ContextMenu);
    menu.kind = NodeKind::DocumentsRoot;
    EXPECT_FALSE(frame->RouteRequest(menu));
    EXPECT_EQ(frame->ShownContextMenu(), nullptr);
    EXPECT_EQ(frame->GetContextTarget().kind, 0);
}

TEST_F(RouterTest, RecordsReachTheDocumentAndComeBackAnswered)
{
    SettingNotifyInfo write(RequestCode::WriteSetting);
    write.key = QStringLiteral("Layout");
    write.value = QStringLiteral("wide");
    EXPECT_TRUE(frame->RouteRequest(write));
    EXPECT_TRUE(write.result);
    SettingNotifyInfo read(RequestCode::ReadSetting);
    read.key = QStringLiteral("Layout");
    EXPECT_TRUE(frame->RouteRequest(read));
    EXPECT_TRUE(read.result);
    EXPECT_EQ(read.value, QStringLiteral("wide"));
    SettingNotifyInfo erase(RequestCode::DeleteSetting);
    erase.key = QStringLiteral("Layout");
    EXPECT_TRUE(frame->RouteRequest(erase));
    EXPECT_TRUE(erase.result);
    read.value = QStringLiteral("preset");
    EXPECT_TRUE(frame->RouteRequest(read));
    EXPECT_TRUE(read.value.isEmpty());

    ListNotifyInfo query;
    query.topic = TopicId::DocumentGroups;
    query.itemId = group;
    query.mask = ListNotifyMask::Name;
    query.query = true;
    EXPECT_TRUE(frame->RouteRequest(query));
    EXPECT_TRUE(query.handled);
    EXPECT_EQ(query.name, QStringLiteral("Interviews"));
    ListNotifyInfo rename;
    rename.topic = TopicId::DocumentGroups;
    rename.itemId = group;
    rename.mask = ListNotifyMask::Name;
    rename.name = QStringLiteral("Gespräche");
    EXPECT_TRUE(frame->RouteRequest(rename));
    EXPECT_TRUE(rename.handled);
    EXPECT_EQ(db().FormatRowDisplay(TopicId::DocumentGroups, group, false), QStringLiteral("Gespräche"));

    FieldNamesNotifyInfo names;
    names.topic = TopicId::Documents;
    EXPECT_TRUE(frame->RouteRequest(names));
    EXPECT_TRUE(names.result);
    EXPECT_FALSE(names.names.isEmpty());

    log.Take();
    ItemNotifyInfo changed(RequestCode::ItemChanged);
    changed.topic = TopicId::Documents;
    changed.id = first;
    EXPECT_TRUE(frame->RouteRequest(changed));
    EXPECT_EQ(log.Take(), std::vector<std::string>{"pane.OnObjectChanged(5," + std::to_string(first) + ")"});

    ItemNotifyInfo deletion(RequestCode::DeleteItem);
    deletion.topic = TopicId::Documents;
    deletion.id = second;
    EXPECT_TRUE(frame->RouteRequest(deletion));
    EXPECT_FALSE(db().GetTable(TopicId::Documents)->HasKey(second));
    EXPECT_FALSE(db().GetTable(TopicId::Codings)->HasKey(coding));

    NotifyHead empty(RequestCode::Empty);
    EXPECT_TRUE(frame->RouteRequest(empty));
}

TEST_F(RouterTest, DropTestAnswersCopyMoveOrRefused)
{
    ASSERT_TRUE(document.SetOpenDocument(second, 0));
    constexpr qint32 browser = 15;
    const qint32 shift = ModifierKey::Shift;
    const qint32 ctrl = ModifierKey::Ctrl;
    const struct {
        const char* what;
        qint32 draggedKind, draggedId, targetKind, targetId, keys, answer;
    } cases[] = {
        {"group on browser, Shift", NodeKind::DocumentGroup, group, browser, 0, shift, 1},
        {"group on browser", NodeKind::DocumentGroup, group, browser, 0, 0, 2},
        {"set on browser", NodeKind::DocumentSet, set, browser, 0, 0, 2},
        {"document on browser", NodeKind::Document, first, browser, 0, 0, 2},
        {"the shown document on browser", NodeKind::Document, second, browser, 0, shift, 0},
        {"member on browser", NodeKind::SetMember, member, browser, 0, 0, 2},
        {"documents root on browser", NodeKind::DocumentsRoot, 0, browser, 0, 0, 0},
        {"sets root on browser", NodeKind::DocumentSetsRoot, 0, browser, 0, 0, 0},
        {"code on browser", NodeKind::Code, code, browser, 0, 0, 2},
        {"browser selection on code", browser, 0, NodeKind::Code, subcode, 0, 2},
        {"coding on code", NodeKind::Coding, coding, NodeKind::Code, code, 0, 2},
        {"code on code", NodeKind::Code, subcode, NodeKind::Code, code, 0, 0},
        {"code on code, Ctrl", NodeKind::Code, subcode, NodeKind::Code, code, ctrl, 2},
        {"document on group", NodeKind::Document, first, NodeKind::DocumentGroup, group, 0, 0},
        {"document on set", NodeKind::Document, first, NodeKind::DocumentSet, set, shift, 1},
        {"code on a coding", NodeKind::Code, code, NodeKind::Coding, coding, 0, 0},
        {"memo on browser", NodeKind::Memo, 3, browser, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DropNotifyInfo drop;
        drop.draggedKind = c.draggedKind;
        drop.draggedId = c.draggedId;
        drop.targetKind = c.targetKind;
        drop.targetId = c.targetId;
        drop.modifierKeys = c.keys;
        drop.answer = 7;
        EXPECT_TRUE(frame->RouteRequest(drop));
        EXPECT_EQ(drop.answer, c.answer);
    }
    // Without a project the test fails and leaves the answer alone.
    frame->close();
    DropNotifyInfo late;
    late.draggedKind = NodeKind::DocumentGroup;
    late.targetKind = browser;
    late.answer = 7;
    EXPECT_FALSE(frame->TestDrop(late));
    EXPECT_EQ(late.answer, 7);
}

TEST_F(RouterTest, DocumentMenuDependsOnTheSender)
{
    // An object list with three documents selected offers no menu.
    EXPECT_EQ(RightClick(NodeKind::Document, first, 600, {quint32(first), quint32(second), 9}), nullptr);
    EXPECT_EQ(frame->GetContextTarget().selection.size(), 3);

    QMenu* tree = RightClick(NodeKind::Document, first, PaneControlId::DocumentTree);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(MenuText(tree, 20020), QStringLiteral("Activate"));
    EXPECT_NE(MenuText(tree, 20026), QStringLiteral("<none>"));
    // No model editor, no external links.
    for (int gone : {20137, 30101, 30102, 30103})
        EXPECT_EQ(MenuText(tree, gone), QStringLiteral("<none>")) << gone;

    ASSERT_TRUE(document.SetItemActivation(NodeKind::Document, first, true, false));
    QMenu* list = RightClick(NodeKind::Document, first, 600, {quint32(first)});
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(MenuCommands(list), (QList<int>{20024, 20177, 0, 20021, 20022, 20140, 0, 20029, 20144, 20170}));
    tree = RightClick(NodeKind::Document, first, PaneControlId::DocumentTree);
    EXPECT_EQ(MenuText(tree, 20020), QStringLiteral("Deactivate"));
}

TEST_F(RouterTest, CodeMenusAndCommandTexts)
{
    QMenu* tree = RightClick(NodeKind::Code, code, PaneControlId::CodeTree);
    ASSERT_NE(tree, nullptr);
    // Without a browser selection nothing is coded; 20083 needs codings
    // copied before; the code has subcodes, so the crosstab stays.
    for (int gone : {20061, 20083, 20069, 20133, 20143, 20131, 33630})
        EXPECT_EQ(MenuText(tree, gone), QStringLiteral("<none>")) << gone;
    EXPECT_EQ(MenuText(tree, 20005), QStringLiteral("Sort subcodes"));
    EXPECT_EQ(MenuText(tree, 20064), QStringLiteral("Delete code"));
    EXPECT_NE(MenuText(tree, 20149), QStringLiteral("<none>"));

    // Codings copied from the subcode can be inserted into the code.
    browser.selection = true;
    frame->GetContextClipboard().codingsSource = subcode;
    frame->GetContextClipboard().codingsCopy = true;
    tree = RightClick(NodeKind::Code, code, PaneControlId::CodeTree);
    EXPECT_EQ(MenuText(tree, 20083), QStringLiteral("Insert the codings copied from Work"));
    EXPECT_NE(MenuText(tree, 20061), QStringLiteral("<none>"));

    // Two codes selected in a list: only what acts on every selected code.
    QMenu* several = RightClick(NodeKind::Code, code, 600, {quint32(code), quint32(subcode)});
    ASSERT_NE(several, nullptr);
    EXPECT_EQ(MenuCommands(several), (QList<int>{0, 20148, 0, 20070, 20069, 20064}));
}

TEST_F(RouterTest, AChosenContextCommandRunsThroughTheRoute)
{
    QMenu* menu = RightClick(NodeKind::DocumentGroup, group, PaneControlId::DocumentTree);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 20005), QStringLiteral("Sort documents A-Z"));
    QAction* rename = nullptr;
    for (QAction* action : menu->actions())
        if (action->data().toInt() == 20018)
            rename = action;
    ASSERT_NE(rename, nullptr);
    ASSERT_TRUE(rename->isEnabled());
    log.Take();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(rename).center());
    // The frame's dispatcher carried it out on the group, and forgot the node.
    EXPECT_TRUE(app.commands.isEmpty());
    bool renaming = false;
    for (const std::string& call : log.Take())
        renaming = renaming || call.find("BeginEditLabel") != std::string::npos;
    EXPECT_TRUE(renaming);
    EXPECT_EQ(frame->GetContextTarget().kind, 0);
    EXPECT_EQ(frame->GetContextTarget().item, 0);

    // A command nothing carries out yet is shown disabled.
    menu = RightClick(NodeKind::DocumentGroup, group, PaneControlId::DocumentTree);
    for (QAction* action : menu->actions())
        if (action->data().toInt() == 20163)
            EXPECT_FALSE(action->isEnabled());
}

TEST_F(RouterTest, MenusOfCodingsMemosAndMarginsWithTheirConditions)
{
    // A coding whose code is gone and a coding id of 0 show no menu.
    const qint32 orphan = AddRow(db(), TopicId::Codings, {{CodingField::Document, first}});
    EXPECT_EQ(RightClick(NodeKind::Coding, orphan, PaneControlId::CodingStripe), nullptr);
    EXPECT_EQ(RightClick(NodeKind::Coding, 0, PaneControlId::CodingStripe), nullptr);
    browser.calls.clear();
    browser.selection = true;
    QMenu* stripe = RightClick(NodeKind::Coding, coding, PaneControlId::CodingStripe);
    ASSERT_NE(stripe, nullptr);
    EXPECT_EQ(MenuCommands(stripe), (QList<int>{20087, 0, 20173, 0, 20086, 20147, 0, 20085}));
    EXPECT_EQ(browser.calls, QStringList{QStringLiteral("retrack")});
    QMenu* fromList = RightClick(NodeKind::Coding, coding, 600);
    EXPECT_EQ(MenuCommands(fromList), (QList<int>{20087, 0, 20086, 20147, 0, 20085}));

    QMenu* noMemo = RightClick(NodeKind::Memo, 0, PaneControlId::DocumentBrowser);
    ASSERT_NE(noMemo, nullptr);
    EXPECT_EQ(MenuCommands(noMemo), QList<int>{20120});

    // The text margin offers coding with the code of the latest coding.
    QMenu* margin = RightClick(NodeKind::TextMargin, 0, PaneControlId::DocumentBrowser);
    ASSERT_NE(margin, nullptr);
    EXPECT_EQ(MenuText(margin, 5798), QStringLiteral("Code with Work"));
    EXPECT_EQ(RightClick(NodeKind::TextMargin, 4, PaneControlId::DocumentBrowser), nullptr);
}

TEST_F(RouterTest, CtrlClicksToggleActivationPlainClicksPickQuickCodes)
{
    Click(NodeKind::CodeSystemRoot, 0, ModifierKey::Ctrl);
    EXPECT_TRUE(document.IsActivated(NodeKind::Code, code));
    EXPECT_TRUE(document.IsActivated(NodeKind::Code, subcode));
    Click(NodeKind::CodeSystemRoot, 0, ModifierKey::Ctrl);
    EXPECT_FALSE(document.IsActivated(NodeKind::Code, code));
    EXPECT_FALSE(document.IsActivated(NodeKind::Code, subcode));
    // Without modifiers the root does nothing.
    Click(NodeKind::CodeSystemRoot, 0, 0);
    EXPECT_EQ(document.GetActivatedCount(NodeKind::Code), 0);

    // Ctrl toggles the code alone, Shift takes its subcodes along.
    Click(NodeKind::Code, code, ModifierKey::Ctrl);
    EXPECT_TRUE(document.IsActivated(NodeKind::Code, code));
    EXPECT_FALSE(document.IsActivated(NodeKind::Code, subcode));
    Click(NodeKind::Code, code, ModifierKey::Ctrl);
    Click(NodeKind::Code, code, ModifierKey::Shift);
    EXPECT_TRUE(document.IsActivated(NodeKind::Code, subcode));
    EXPECT_TRUE(browser.calls.contains(QStringLiteral("refresh")));

    // A group toggles: on while not all of its documents are, then off.
    ASSERT_TRUE(document.SetItemActivation(NodeKind::Document, first, true, false));
    Click(NodeKind::DocumentGroup, group, ModifierKey::Ctrl);
    EXPECT_TRUE(document.IsActivated(NodeKind::Document, second));
    Click(NodeKind::DocumentGroup, group, ModifierKey::Ctrl);
    EXPECT_EQ(document.GetActivatedCount(NodeKind::Document), 0);
    Click(NodeKind::DocumentGroup, group, 0);
    EXPECT_EQ(document.GetActivatedCount(NodeKind::Document), 0);

    log.Take();
    Click(NodeKind::Code, subcode, 0);
    EXPECT_EQ(frame->QuickCodes().Codes().value(0), subcode);
    Click(NodeKind::Code, code, 0);
    EXPECT_EQ(frame->QuickCodes().Codes(), (QList<qint32>{code, subcode}));
    const std::vector<std::string> selected = log.Take();
    EXPECT_NE(std::find(selected.begin(), selected.end(), "pane.SelectObject(8," + std::to_string(code) + ",0)"),
              selected.end());
}

TEST_F(RouterTest, FollowingOpensTheDocumentAndSelectsWhatWasFollowed)
{
    ASSERT_TRUE(document.SetOpenDocument(first, 0));
    browser.calls.clear();
    log.Take();
    Click(NodeKind::Coding, coding, 0);
    EXPECT_EQ(document.GetShownDocument(), second);
    EXPECT_EQ(browser.calls, (QStringList{QStringLiteral("commit"), QStringLiteral("coding %1").arg(coding)}));
    std::vector<std::string> calls = log.Take();
    const std::string selectCode = "pane.SelectObject(8," + std::to_string(subcode) + ",0)";
    const std::string selectCoding = "pane.SelectObject(10," + std::to_string(coding) + ",0)";
    const auto codeAt = std::find(calls.begin(), calls.end(), selectCode);
    ASSERT_NE(codeAt, calls.end());
    EXPECT_NE(std::find(codeAt, calls.end(), selectCoding), calls.end());

    // A memo in a document: its document opens, the memo is selected, and
    // the panes show its owner.
    const qint32 memo = AddRow(db(), TopicId::Memos, {{MemoField::Document, first}, {MemoField::Pos, 3}});
    browser.calls.clear();
    Click(NodeKind::Memo, memo, 0);
    EXPECT_EQ(document.GetShownDocument(), first);
    EXPECT_EQ(browser.calls.last(), QStringLiteral("memo %1").arg(memo));
    calls = log.Take();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "pane.SelectObject(5," + std::to_string(first) + ",0)"),
              calls.end());

    browser.calls.clear();
    Click(NodeKind::Paragraph, 4, 0);
    Click(NodeKind::Paragraph, 6, ModifierKey::Shift);
    EXPECT_EQ(browser.calls, (QStringList{QStringLiteral("scroll 4"), QStringLiteral("extend 6")}));

    // Something that is gone is not followed.
    browser.calls.clear();
    Click(NodeKind::Coding, 999, 0);
    EXPECT_TRUE(browser.calls.isEmpty());
    EXPECT_EQ(document.GetShownDocument(), first);
}

TEST_F(FrameTest, EveryContextMenuItemHasItsTextInBothLanguages)
{
    QSet<int> menus;
    for (qint32 kind = 0; kind <= 40; ++kind)
        for (qint32 item = -1; item <= 3; ++item)
            if (const int menu = ContextMenuFor(kind, item, PaneControlId::DocumentTree, 0, true))
                menus.insert(menu);
    EXPECT_EQ(menus.size(), 24);
    for (const int language : {1, 0}) {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), language));
        for (const int menu : std::as_const(menus))
            for (const ContextMenuItem& item : ContextMenuItems(menu)) {
                if (!item.IsSeparator()) {
                    EXPECT_FALSE(LoadString(item.command).isEmpty()) << "menu " << menu << " command " << item.command;
                }
            }
    }
}
