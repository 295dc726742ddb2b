// The context commands chosen from the panes' menus, and a walk over every
// menu of the frame: an item that is enabled must do or say something.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "framefixture.h"
#include "panes/objectlistctrl.h"
#include "panes/objectlistwindow.h"
#include "panes/treepanewindow.h"
#include "store/topictable.h"
#include "foundation/optionsrecord.h"
#include "ui/numberentrydlg.h"
#include "ui/richtextinputdlg.h"
#include "ui/weightrangedlg.h"

#include <QLineEdit>
#include <QSpinBox>

#include <QMenuBar>
#include <QTreeView>

using namespace frametest;
using doctest::AddRow;

namespace {

class ContextCommandsTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, true);
        ShowFrame();
        path = MakeProject(QStringLiteral("Context.kv4"));
        OpenThroughMenu(path);
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        anna = document.NewDocument(group, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Work is hard")}), {});
        ben = document.NewDocument(group, QStringLiteral("Ben"), doctest::RtfOf({QStringLiteral("Home is far")}), {});
        ASSERT_TRUE(document.NewDocumentSet(QStringLiteral("Pair")));
        set = db().GetLastKey(TopicId::DocumentSets);
        member = AddRow(db(), TopicId::DocumentSetMembers, {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, anna}});
        CodeRecord record;
        record.name = QStringLiteral("Themes");
        code = document.NewCode(record);
        record.name = QStringLiteral("Work");
        record.parent = code;
        subcode = document.NewCode(record);
        for (const qint32 doc : {anna, ben})
            AddRow(db(), TopicId::Codings,
                   {{CodingField::Document, doc}, {CodingField::Code, subcode}, {CodingField::StartChar, 0},
                    {CodingField::FinishChar, 4}});
        ASSERT_TRUE(document.RecountCodings());
        log.Take();
    }
    void TearDown() override
    {
        if (QMenu* menu = frame->ShownContextMenu())
            menu->close();
        frame->ListWindows().CloseAll();
        FrameTest::TearDown();
    }
    QAction* ActionOf(QMenu* menu, int command)
    {
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->data().toInt() == command)
                return action;
        return nullptr;
    }
    /// Right-clicks the node as the tree reports it and clicks the command.
    void Choose(qint32 kind, qint32 item, int command, qint32 sender = PaneControlId::DocumentTree,
                QList<quint32> ids = {})
    {
        QMenu* menu = RightClick(kind, item, sender, ids);
        ASSERT_NE(menu, nullptr);
        QAction* action = ActionOf(menu, command);
        ASSERT_NE(action, nullptr) << "command " << command;
        ASSERT_TRUE(action->isEnabled()) << "command " << command;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QCoreApplication::processEvents();
    }
    ObjectListWindow* List(CListWindows::Kind kind) { return frame->ListWindows().Window(kind); }
    bool Has(qint32 topic, qint32 key) { return db().GetTable(topic) && db().GetTable(topic)->HasKey(key); }

    QString path;
    qint32 group = 0, anna = 0, ben = 0, set = 0, member = 0, code = 0, subcode = 0;
};

TEST_F(ContextCommandsTest, ListsShowTheScopeWithItsTitle)
{
    struct Case {
        qint32 kind;
        int command;
        CListWindows::Kind list;
        int rows;
        const char* title;
    };
    const Case cases[] = {
        {NodeKind::DocumentsRoot, 20002, CListWindows::Codings, 2, "All documents"},
        {NodeKind::DocumentGroup, 20010, CListWindows::Codings, 2, "Document group: Interviews"},
        {NodeKind::DocumentGroup, 20014, CListWindows::Variables, 2, "Document group: Interviews"},
        {NodeKind::DocumentSet, 20041, CListWindows::Codings, 1, "Document set: Pair"},
        {NodeKind::DocumentSet, 20043, CListWindows::Variables, 1, "Document set: Pair"},
        {NodeKind::Document, 20021, CListWindows::Codings, 1, "Document: Ben"},
        {NodeKind::SetMember, 20048, CListWindows::Codings, 1, "Document: Anna"},
    };
    for (const Case& c : cases) {
        const qint32 item = c.kind == NodeKind::DocumentGroup ? group
                            : c.kind == NodeKind::DocumentSet ? set
                            : c.kind == NodeKind::Document    ? ben
                            : c.kind == NodeKind::SetMember   ? member
                                                              : 0;
        Choose(c.kind, item, c.command);
        ObjectListWindow* window = List(c.list);
        ASSERT_NE(window, nullptr) << c.command;
        EXPECT_EQ(window->List1()->RowCount(), c.rows) << c.command;
        EXPECT_EQ(window->Title(), QString::fromUtf8(c.title)) << c.command;
        // A target serves one command.
        EXPECT_EQ(frame->GetContextTarget().kind, 0);
    }
}

TEST_F(ContextCommandsTest, ActivationFromTheMenusAndTheInversion)
{
    Choose(NodeKind::DocumentsRoot, 0, 20008);
    EXPECT_EQ(document.GetActivatedCount(NodeKind::Document), 2);
    Choose(NodeKind::Document, ben, 20020);
    EXPECT_FALSE(document.IsActivated(NodeKind::Document, ben));
    Choose(NodeKind::DocumentsRoot, 0, 20129);
    EXPECT_FALSE(document.IsActivated(NodeKind::Document, anna));
    EXPECT_TRUE(document.IsActivated(NodeKind::Document, ben));
    Choose(NodeKind::DocumentSet, set, 20037);
    EXPECT_TRUE(document.IsActivated(NodeKind::Document, anna));
    Choose(NodeKind::DocumentGroup, group, 20011);
    EXPECT_EQ(document.GetActivatedCount(NodeKind::Document), 0);

    Choose(NodeKind::CodeSystemRoot, 0, 20051, PaneControlId::CodeTree);
    EXPECT_TRUE(document.IsActivated(NodeKind::Code, subcode));
    Choose(NodeKind::Code, code, 20068, PaneControlId::CodeTree);
    EXPECT_FALSE(document.IsActivated(NodeKind::Code, code));
}

TEST_F(ContextCommandsTest, ADeclinedDeletionChangesNothingAnAcceptedOneDeletesWithTheDependants)
{
    messages.AddAnswers({MessageAnswer::Cancel});
    Choose(NodeKind::DocumentGroup, group, 20017);
    ASSERT_EQ(messages.confirmations.size(), 1);
    EXPECT_EQ(messages.confirmations.first().okText, QStringLiteral("Delete"));
    EXPECT_TRUE(Has(TopicId::DocumentGroups, group));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 2);

    messages.AddAnswers({MessageAnswer::Ok});
    Choose(NodeKind::Document, ben, 20025);
    EXPECT_FALSE(Has(TopicId::Documents, ben));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 1);

    // Without the question a member goes at once; its document stays.
    g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, false);
    Choose(NodeKind::SetMember, member, 20047);
    EXPECT_FALSE(Has(TopicId::DocumentSetMembers, member));
    EXPECT_TRUE(Has(TopicId::Documents, anna));
    EXPECT_EQ(messages.confirmations.size(), 2);
}

TEST_F(ContextCommandsTest, NewGroupsSetsAndRenaming)
{
    const qint32 groups = db().GetRowCount(TopicId::DocumentGroups);
    Choose(NodeKind::DocumentsRoot, 0, 20001);
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), groups + 1);

    // A new set takes the activated documents.
    ASSERT_TRUE(document.SetItemActivation(NodeKind::Document, ben, true, false));
    const qint32 sets = db().GetRowCount(TopicId::DocumentSets);
    Choose(NodeKind::DocumentSetsRoot, 0, 20030);
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentSets), sets + 1);

    log.Take();
    Choose(NodeKind::Document, anna, 20026);
    bool renaming = false;
    for (const std::string& call : log.Take())
        renaming = renaming || call.find("BeginEditLabel") != std::string::npos;
    EXPECT_TRUE(renaming);
}

TEST_F(ContextCommandsTest, CodeSetMenusActOnCodeSets)
{
    const qint32 codeSet = AddRow(db(), TopicId::CodeSets, {{GroupField::Name, QStringLiteral("Core")}});
    const qint32 codeMember =
        AddRow(db(), TopicId::CodeSetMembers, {{SetMemberField::SetID, codeSet}, {SetMemberField::ObjectID, subcode}});
    // The document-set id 20037 on a code set activates its codes.
    Choose(NodeKind::CodeSet, codeSet, 20037, PaneControlId::CodeTree);
    EXPECT_TRUE(document.IsActivated(NodeKind::Code, subcode));
    EXPECT_EQ(document.GetActivatedCount(NodeKind::Document), 0);
    // The delete of a member removes the member, not the code.
    g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, false);
    Choose(NodeKind::CodeSetMember, codeMember, 20064, PaneControlId::CodeTree);
    EXPECT_FALSE(Has(TopicId::CodeSetMembers, codeMember));
    EXPECT_TRUE(Has(TopicId::Codes, subcode));
}

TEST_F(ContextCommandsTest, CheckBoxesOfTheTreeSwitchActivation)
{
    TreePaneWindow* tree = frame->DocumentTree();
    ASSERT_NE(tree, nullptr);
    tree->ExpandAll();
    QCoreApplication::processEvents();
    const TreeNode* node = tree->FindNode(NodeKind::Document, ben);
    ASSERT_NE(node, nullptr);
    const QRect row = tree->NodeRect(node);
    ASSERT_FALSE(row.isEmpty());
    QTest::mouseClick(tree->TreeView()->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 4, row.center().y()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(document.IsActivated(NodeKind::Document, ben));
    // A click on the label only selects.
    QTest::mouseClick(tree->TreeView()->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 60, row.center().y()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(document.IsActivated(NodeKind::Document, ben));
}

TEST_F(ContextCommandsTest, F2RenamesAndDeleteDeletesTheSelectedNode)
{
    TreePaneWindow* tree = frame->DocumentTree();
    ASSERT_NE(tree, nullptr);
    tree->ExpandAll();
    QCoreApplication::processEvents();
    const QRect row = tree->NodeRect(tree->FindNode(NodeKind::Document, ben));
    ASSERT_FALSE(row.isEmpty());
    // Shortcuts reach only the active window.
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::mouseClick(tree->TreeView()->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 60, row.center().y()));
    tree->TreeView()->setFocus();
    log.Take();
    QTest::keyClick(tree->TreeView(), Qt::Key_F2);
    bool renaming = false;
    for (const std::string& call : log.Take())
        renaming = renaming || call.find("BeginEditLabel") != std::string::npos;
    EXPECT_TRUE(renaming);
    QApplication::focusWidget() ? QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape) : void();

    messages.AddAnswers({MessageAnswer::Ok});
    tree->TreeView()->setFocus();
    QTest::keyClick(tree->TreeView(), Qt::Key_Delete);
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.confirmations.size(), 1);
    EXPECT_FALSE(Has(TopicId::Documents, ben));
}

// ---- Codes, codings and retrieved segments ----------------------------------------

TEST_F(ContextCommandsTest, ThreeSelectedCodesAreAskedForOnceAndAllDeleted)
{
    CodeRecord record;
    record.name = QStringLiteral("Home");
    const qint32 home = document.NewCode(record);
    messages.AddAnswers({MessageAnswer::Ok});
    Choose(NodeKind::Code, code, 20064, PaneControlId::CodeTree,
           {quint32(code), quint32(subcode), quint32(home)});
    EXPECT_EQ(messages.confirmations.size(), 1);
    for (const qint32 key : {code, subcode, home})
        EXPECT_FALSE(Has(TopicId::Codes, key)) << key;
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 0);
    EXPECT_TRUE(frame->GetContextTarget().selection.isEmpty());
}

TEST_F(ContextCommandsTest, CodingWeightCommentAndTheirLimits)
{
    QList<qint32> codings;
    db().GetAllKeys(TopicId::Codings, codings);
    ASSERT_EQ(codings.size(), 2);
    const qint32 coding = codings.first();

    // Through the menu: the weight dialog at the click stores the value.
    WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<NumberEntryDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Weight"));
        dialog->Edit()->setValue(70);
        dialog->accept();
    });
    Choose(NodeKind::Coding, coding, 20086, PaneControlId::RetrievedSegments);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::Weight), 70);

    // Weights are pulled into 0 to 100; an unchanged one writes nothing.
    struct Case {
        qint32 weight;
        bool written;
        qint32 stored;
    };
    for (const Case& c : {Case{150, true, 100}, Case{100, false, 100}, Case{-5, true, 0}, Case{0, false, 0}}) {
        EXPECT_EQ(document.SetCodingWeight(coding, c.weight), c.written) << c.weight;
        EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::Weight), c.stored) << c.weight;
    }

    // A comment typed longer than 127 characters is cut; the same one again writes nothing.
    WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CRichTextInputDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->Edit()->setText(QString(200, u'x'));
        dialog->accept();
    });
    Choose(NodeKind::Coding, coding, 20147, PaneControlId::RetrievedSegments);
    EXPECT_EQ(document.GetCodingComment(coding), QString(127, u'x'));
    EXPECT_FALSE(document.ReplaceComment(TopicId::Codings, coding, QString(300, u'x')));
    EXPECT_TRUE(document.ReplaceComment(TopicId::Codings, coding, QString()));
    EXPECT_TRUE(document.GetCodingComment(coding).isEmpty());

    // Recoding belongs to the stripe margin alone.
    QMenu* menu = RightClick(NodeKind::Coding, coding, PaneControlId::RetrievedSegments);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ActionOf(menu, 20173), nullptr);
    menu->close();
}

TEST_F(ContextCommandsTest, ColouringAsksAboutSubcodesOnlyWhenThereAreSome)
{
    const auto colourWith = [] {
        WhenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    };
    colourWith();
    Choose(NodeKind::Code, subcode, 20070, PaneControlId::CodeTree);
    EXPECT_TRUE(messages.texts.isEmpty());

    messages.AddAnswers({MessageAnswer::Yes});
    colourWith();
    Choose(NodeKind::Code, code, 20070, PaneControlId::CodeTree);
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("Colour the subcodes too?")});
}

TEST_F(ContextCommandsTest, CodingsCopiedInsertWithoutAQuestionMovedOnesAfterOne)
{
    CodeRecord record;
    record.name = QStringLiteral("Copy");
    const qint32 copy = document.NewCode(record);
    record.name = QStringLiteral("Moved");
    const qint32 moved = document.NewCode(record);
    const auto codingsOf = [this](qint32 key) {
        QList<qint32> keys;
        db().FindKeysByParent(TopicId::Codings, TopicId::Codes, key, keys);
        return keys.size();
    };

    Choose(NodeKind::Code, subcode, 20081, PaneControlId::CodeTree);
    Choose(NodeKind::Code, copy, 20083, PaneControlId::CodeTree);
    EXPECT_TRUE(messages.confirmations.isEmpty());
    EXPECT_EQ(codingsOf(copy), 2);
    EXPECT_EQ(codingsOf(subcode), 2);

    // A move asks first; Cancel changes nothing.
    Choose(NodeKind::Code, copy, 20082, PaneControlId::CodeTree);
    messages.AddAnswers({MessageAnswer::Cancel});
    Choose(NodeKind::Code, moved, 20083, PaneControlId::CodeTree);
    EXPECT_EQ(messages.confirmations.size(), 1);
    EXPECT_EQ(codingsOf(copy), 2);
    messages.AddAnswers({MessageAnswer::Ok});
    Choose(NodeKind::Code, moved, 20083, PaneControlId::CodeTree);
    EXPECT_EQ(messages.confirmations.size(), 2);
    EXPECT_EQ(codingsOf(copy), 0);
    EXPECT_EQ(codingsOf(moved), 2);
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 4);
}

TEST_F(ContextCommandsTest, ACodeIsInsertedOnlyAfterItWasCopied)
{
    CodeRecord record;
    record.name = QStringLiteral("Other");
    const qint32 other = document.NewCode(record);
    QMenu* menu = RightClick(NodeKind::Code, other, PaneControlId::CodeTree);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ActionOf(menu, 20143), nullptr);
    menu->close();

    Choose(NodeKind::Code, code, 20142, PaneControlId::CodeTree);
    Choose(NodeKind::Code, other, 20143, PaneControlId::CodeTree);
    QList<qint32> children;
    ASSERT_TRUE(document.GetChildCodes(other, children));
    ASSERT_EQ(children.size(), 1);
    EXPECT_EQ(db().FormatRowDisplay(TopicId::Codes, children.first(), false), QStringLiteral("Work"));
}

TEST_F(ContextCommandsTest, ACodeSetMembersCommandsActOnItsCode)
{
    const qint32 codeSet = AddRow(db(), TopicId::CodeSets, {{GroupField::Name, QStringLiteral("Core")}});
    const qint32 codeMember =
        AddRow(db(), TopicId::CodeSetMembers, {{SetMemberField::SetID, codeSet}, {SetMemberField::ObjectID, subcode}});
    Choose(NodeKind::CodeSetMember, codeMember, 20132, PaneControlId::CodeTree);
    EXPECT_NE(document.GetCodeLinkObject(subcode, false), 0);
    ASSERT_NE(List(CListWindows::Variables), nullptr);

    messages.AddAnswers({MessageAnswer::Ok});
    Choose(NodeKind::CodeSetMember, codeMember, 20131, PaneControlId::CodeTree);
    EXPECT_EQ(messages.confirmations.size(), 1);
    EXPECT_EQ(document.GetCodeLinkObject(subcode, false), 0);

    // The codings of a set's codes, and of a code with its subcodes.
    Choose(NodeKind::CodeSet, codeSet, 20041, PaneControlId::CodeTree);
    ASSERT_NE(List(CListWindows::Codings), nullptr);
    EXPECT_EQ(List(CListWindows::Codings)->List1()->RowCount(), 2);
    EXPECT_EQ(List(CListWindows::Codings)->Title(), QStringLiteral("Code set: Core"));
    frame->ListWindows().CloseAll();
    Choose(NodeKind::Code, code, 20062, PaneControlId::CodeTree);
    ASSERT_NE(List(CListWindows::Codings), nullptr);
    EXPECT_EQ(List(CListWindows::Codings)->List1()->RowCount(), 2);
    EXPECT_EQ(List(CListWindows::Codings)->Title(), QStringLiteral("Code: Themes"));
}

TEST_F(ContextCommandsTest, RetrievedSegmentsSettingsFromTheirMenu)
{
    OptionsRecord& settings = document.GetRetrievalSettings();
    settings.sortOrder = 1;
    const bool subcodes = settings.l4;
    Choose(NodeKind::EmptyStrip, 0, 20103, PaneControlId::RetrievedSegments);
    EXPECT_EQ(settings.sortOrder, 2);
    Choose(NodeKind::EmptyStrip, 0, 20105, PaneControlId::RetrievedSegments);
    EXPECT_EQ(settings.l4, !subcodes);
    const bool filter = settings.weightFilter;
    Choose(NodeKind::EmptyStrip, 0, 20106, PaneControlId::RetrievedSegments);
    EXPECT_EQ(settings.weightFilter, !filter);

    // A maximum below the minimum is taken for both.
    WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CWeightRangeDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->LowerEdit()->setValue(50);
        dialog->UpperEdit()->setValue(20);
        dialog->accept();
    });
    Choose(NodeKind::EmptyStrip, 0, 20107, PaneControlId::RetrievedSegments);
    EXPECT_EQ(settings.weightMinimum, 20);
    EXPECT_EQ(settings.weightMaximum, 20);

    Choose(NodeKind::EmptyStrip, 0, 20109, PaneControlId::RetrievedSegments);
    EXPECT_NE(List(CListWindows::Codings), nullptr);
}

// What a user can notice after a command: the project, the panes, a
// message, a question, a prompt, a dialog or a new window.
struct Observed {
    int logCalls = 0;
    int texts = 0;
    int questions = 0;
    int confirmations = 0;
    int prompts = 0;
    int windows = 0;
    bool project = false;
    ContextClipboard clipboard;   ///< what a copy command remembers shows in the next menu
    QString checks;   ///< the check marks and visibility of the frame's actions and panes
    const QWidget* focus = nullptr;   ///< the frame's focus child
    bool operator==(const Observed&) const = default;
};

class MenuWalkTest : public ContextCommandsTest {
protected:
    Observed Observe()
    {
        Observed seen;
        seen.logCalls = int(log.calls.size());
        seen.texts = int(messages.texts.size());
        seen.questions = int(messages.questions.size());
        seen.confirmations = int(messages.confirmations.size());
        seen.prompts = int(messages.prompts.size());
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && !qobject_cast<QMenu*>(widget))
                ++seen.windows;
        seen.windows += dialogs;
        seen.project = frame->GetDocument() != nullptr;
        seen.clipboard = frame->GetContextClipboard();
        for (QAction* action : frame->findChildren<QAction*>())
            seen.checks += action->isChecked() ? u'1' : u'0';
        for (QWidget* child : frame->findChildren<QWidget*>())
            seen.checks += child->isVisible() ? u'v' : u'h';
        seen.focus = frame->focusWidget();
        return seen;
    }
    /// Every modal dialog is closed as it shows, and counted; questions
    /// are declined, so nothing is deleted on the way.
    void CloseDialogsAsTheyShow()
    {
        for (int i = 0; i < 200; ++i)
            messages.AddAnswers({MessageAnswer::Cancel});
        auto* timer = new QTimer(frame.get());
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [this] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
                ++dialogs;
                modal->close();
            }
        });
        timer->start();
    }
    int dialogs = 0;
};

TEST_F(MenuWalkTest, EveryEnabledItemDoesOrSaysSomething)
{
    CloseDialogsAsTheyShow();
    const struct {
        qint32 kind;
        qint32 sender;
    } nodes[] = {
        {NodeKind::DocumentsRoot, PaneControlId::DocumentTree}, {NodeKind::DocumentGroup, PaneControlId::DocumentTree},
        {NodeKind::DocumentSetsRoot, PaneControlId::DocumentTree}, {NodeKind::DocumentSet, PaneControlId::DocumentTree},
        {NodeKind::Document, PaneControlId::DocumentTree}, {NodeKind::SetMember, PaneControlId::DocumentTree},
        {NodeKind::CodeSystemRoot, PaneControlId::CodeTree}, {NodeKind::Code, PaneControlId::CodeTree},
    };
    QStringList silent;
    for (const auto& node : nodes) {
        const qint32 item = node.kind == NodeKind::DocumentGroup ? group
                            : node.kind == NodeKind::DocumentSet ? set
                            : node.kind == NodeKind::Document    ? ben
                            : node.kind == NodeKind::SetMember   ? member
                            : node.kind == NodeKind::Code        ? code
                                                                 : 0;
        QMenu* menu = RightClick(node.kind, item, node.sender);
        ASSERT_NE(menu, nullptr) << node.kind;
        QList<int> enabled;
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isEnabled())
                enabled.append(action->data().toInt());
        for (const int command : enabled) {
            menu = RightClick(node.kind, item, node.sender);
            QAction* action = ActionOf(menu, command);
            ASSERT_NE(action, nullptr);
            const Observed before = Observe();
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            QCoreApplication::processEvents();
            if (Observe() == before)
                silent.append(QStringLiteral("menu of kind %1: %2 \"%3\"").arg(node.kind).arg(command).arg(action->text()));
            frame->ListWindows().CloseAll();
            QCoreApplication::processEvents();
        }
    }
    EXPECT_TRUE(silent.isEmpty()) << silent.join(u'\n').toStdString();
}

TEST_F(MenuWalkTest, EveryEnabledCommandOfTheMenuBarDoesOrSaysSomething)
{
    CloseDialogsAsTheyShow();
    QStringList silent;
    QStringList nameless;
    QMenuBar* bar = frame->menuBar();
    for (int index = 0; index < bar->actions().size(); ++index) {
        QMenu* menu = bar->actions().at(index)->menu();
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();   // the states as a user sees them
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->text().trimmed().isEmpty())
                nameless.append(QStringLiteral("menu %1: command %2").arg(index).arg(action->data().toInt()));
        QList<int> enabled;
        for (QAction* action : menu->actions()) {
            const int command = action->data().toInt();
            if (!action->isSeparator() && !action->menu() && action->isEnabled() && command != CommandId::AppExit)
                enabled.append(command);
        }
        for (const int command : enabled) {
            // An earlier command may have disabled this one (the last pane shown).
            emit menu->aboutToShow();
            bool stillEnabled = false;
            for (QAction* action : menu->actions())
                stillEnabled = stillEnabled || (action->data().toInt() == command && action->isEnabled());
            if (!stillEnabled)
                continue;
            const Observed before = Observe();
            ClickMenuCommand(*frame, index, command);
            QCoreApplication::processEvents();
            if (Observe() == before)
                silent.append(QStringLiteral("menu %1: command %2").arg(index).arg(command));
            frame->ListWindows().CloseAll();
            QCoreApplication::processEvents();
            if (!frame->GetDocument())
                OpenThroughMenu(path);
            ASSERT_NE(frame->GetDocument(), nullptr) << command;
        }
    }
    EXPECT_TRUE(silent.isEmpty()) << silent.join(u'\n').toStdString();
    EXPECT_TRUE(nameless.isEmpty()) << "items without text:\n" << nameless.join(u'\n').toStdString();
}

}  // namespace
