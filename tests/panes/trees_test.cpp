// The code-system and document-system trees on a small project: built from
// the document's broadcasts, renamed in place, changed by drags and drops,
// clicked, searched and drawn.

#include "panes/contextsearch.h"
#include "treefixture.h"

#include "common/screenshots.h"
#include "document/objectlistregistry.h"
#include "store/topicdatabase.h"
#include "ui/redit4list.h"

#include <QHeaderView>
#include <QLineEdit>

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;
using treetest::TreeTest;

namespace {

TEST_F(TreeTest, BothTreesAreBuiltFromTheBroadcastsOfOpening)
{
    BuildProject();
    EXPECT_THAT(Lines(docTree).join('|').toStdString(),
                testing::StrEq("Documents|  Loose page|  Interviews|    Anna|    Ben|  Notes|    Field note|"
                               "Sets|  Women|    Interviews\\Anna"));
    EXPECT_THAT(Lines(codeTree).join('|').toStdString(),
                testing::StrEq("Code system|  Emotions|    Joy|    Fear|      At night|  Places|"
                               "Sets|  Feelings|    Emotions\\Fear|    Emotions\\Joy|  Other"));
    // A document outside any group carries its id negated.
    EXPECT_EQ(docTree.FindNode(TopicId::Documents, docLoose)->data, -docLoose);
    EXPECT_EQ(docTree.FindNode(TopicId::Documents, docA1)->data, docA1);
    EXPECT_EQ(codeTree.FindNode(TopicId::Codes, codeJoy)->count, 3);
    EXPECT_THAT(docTree.GetDocumentsInTreeOrder(), ElementsAre(docLoose, docA1, docA2, docB1));
    EXPECT_THAT(codeTree.GetAllCodeIds(), ElementsAre(codeEmotions, codeJoy, codeFear, codeFearNight, codePlaces));
    EXPECT_TRUE(codeTree.TreeView()->isExpanded(codeTree.Model().IndexOf(codeTree.FindNode(TopicId::Codes, codeFear))));
}

TEST_F(TreeTest, WhatEachTreeShowsIsItsOwnKinds)
{
    BuildProject();
    struct Case {
        CPaneWnd* pane;
        qint32 topic;
        qint32 id;
        bool shown;
    };
    const Case cases[] = {
        {&codeTree, TopicKind::CodeSystemRoot, 0, true}, {&codeTree, TopicKind::CodeSystemRoot, 4711, true},
        {&codeTree, TopicId::Codes, -1, true},          {&codeTree, TopicId::Codes, codeJoy, true},
        {&codeTree, TopicId::Codes, 999, false},        {&codeTree, TopicId::CodeSets, codeSet, true},
        {&codeTree, TopicId::CodeSetMembers, codeMember, true}, {&codeTree, TopicId::Documents, docA1, false},
        {&codeTree, TopicId::Codings, 1, false},        {&docTree, TopicId::DocumentGroups, 0, true},
        {&docTree, TopicId::Documents, -1, true},       {&docTree, TopicId::Documents, docLoose, true},
        {&docTree, TopicId::DocumentSetMembers, docMember, true}, {&docTree, TopicId::Codes, codeJoy, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pane->IsShown(c.topic, c.id), c.shown) << c.topic << ":" << c.id;
}

TEST_F(TreeTest, ClicksSendFollowMenuAndOpenRequestsWithTheKeysHeld)
{
    BuildProject();
    codeTree.show();
    QWidget* viewport = Viewport(codeTree);
    const QPoint joy = LabelPoint(codeTree, TopicId::Codes, codeJoy);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, joy);
    EXPECT_EQ(codeTree.SelectedNode(), codeTree.FindNode(TopicId::Codes, codeJoy));
    // Ctrl activates through the router; Shift takes the subcodes too.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, LabelPoint(codeTree, TopicId::Codes, codeFear));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier,
                      LabelPoint(codeTree, TopicId::Codes, codeEmotions));
    QTest::mouseClick(viewport, Qt::RightButton, {}, joy);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, LabelPoint(codeTree, TopicId::CodeSetMembers, codeMember));
    const std::string joyId = std::to_string(codeJoy);
    EXPECT_THAT(owner.requests,
                ElementsAre("follow(8," + joyId + ",0)", "follow(8," + std::to_string(codeFear) + ",2)",
                            "follow(8," + std::to_string(codeEmotions) + ",3)", "menu(8," + joyId + ",0)",
                            "open(25," + std::to_string(codeMember) + ",0)"));
    // Ctrl never selects a second node: the click's node is the selection.
    EXPECT_EQ(codeTree.TreeView()->selectionModel()->selectedRows().size(), 1);
    // A double click opens; the node keeps its expansion.
    EXPECT_TRUE(codeTree.TreeView()->isExpanded(codeTree.Model().IndexOf(codeTree.FindNode(TopicId::Codes, codeFear))));
}

TEST_F(TreeTest, AClickInTheMemoColumnAsksForTheMemoOfTheNode)
{
    BuildProject();
    const qint32 memo = AttachMemo(codeJoy, QStringLiteral("About joy"));
    ASSERT_GT(memo, 0);
    codeTree.show();
    QTreeView* tree = codeTree.TreeView();
    const QPoint label = LabelPoint(codeTree, TopicId::Codes, codeJoy);
    const int memoColumn = tree->header()->sectionViewportPosition(CIdTreeModel::MemoColumn) + 5;
    QTest::mouseClick(Viewport(codeTree), Qt::RightButton, {}, QPoint(memoColumn, label.y()));
    QTest::mouseClick(Viewport(codeTree), Qt::RightButton, {},
                      QPoint(memoColumn, LabelPoint(codeTree, TopicId::Codes, codeFear).y()));
    EXPECT_THAT(owner.requests, ElementsAre("menu(11," + std::to_string(memo) + ",0)"));
}

TEST_F(TreeTest, RenamingACodeInPlaceStoresTheTypedName)
{
    BuildProject();
    codeTree.show();
    ASSERT_TRUE(doc.BeginRename(TopicId::Codes, codeFear));
    CREdit4List* editor = CREdit4List::Active();
    ASSERT_TRUE(editor);
    auto* line = editor->findChild<QLineEdit*>();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text(), QStringLiteral("Fear"));
    EXPECT_EQ(line->maxLength(), CTreePaneBase::kNameLimit);
    QTest::keyClicks(line, QStringLiteral("  Anxiety "));
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(StoredValue(TopicId::Codes, codeFear, CodeField::Name), QStringLiteral("Anxiety"));
    Reopen();
    EXPECT_TRUE(Lines(codeTree).contains(QStringLiteral("    Anxiety")));
}

TEST_F(TreeTest, RenamingIsRefusedForRootsAndCancelledWithEscape)
{
    BuildProject();
    codeTree.show();
    docTree.show();
    for (auto [pane, kind] : {std::pair<CPaneWnd*, qint32>{&codeTree, TopicKind::CodeSystemRoot},
                              {&codeTree, TopicKind::CodeSetsRoot}, {&docTree, TopicKind::DocumentsRoot},
                              {&docTree, TopicKind::DocumentSetsRoot}})
        EXPECT_FALSE(pane->BeginEditLabel(kind, 0)) << kind;
    EXPECT_FALSE(CREdit4List::Active());
    ASSERT_TRUE(codeTree.BeginEditLabel(TopicId::Codes, codeJoy));
    auto* line = CREdit4List::Active()->findChild<QLineEdit*>();
    QTest::keyClicks(line, QStringLiteral("Happiness"));
    QTest::keyClick(line, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(StoredValue(TopicId::Codes, codeJoy, CodeField::Name), QStringLiteral("Joy"));
}

TEST_F(TreeTest, ADocumentIsRenamedInPlaceInTheDocumentTree)
{
    BuildProject();
    docTree.show();
    docTree.TreeView()->setFocus();
    QTest::mouseClick(Viewport(docTree), Qt::LeftButton, {}, LabelPoint(docTree, TopicId::Documents, docA2));
    // (5, -1): the selected node.
    ASSERT_TRUE(docTree.BeginEditLabel(TopicId::Documents, -1));
    auto* line = CREdit4List::Active()->findChild<QLineEdit*>();
    ASSERT_TRUE(line);
    QTest::keyClicks(line, QStringLiteral("Bernd"));
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(StoredValue(TopicId::Documents, docA2, DocumentField::Name), QStringLiteral("Bernd"));
}

TEST_F(TreeTest, ACodeDraggedOntoAnotherCodeBecomesItsFirstSubcode)
{
    BuildProject();
    codeTree.show();
    ASSERT_TRUE(DragNode(codeTree, TopicId::Codes, codePlaces, TopicId::Codes, codeFear));
    EXPECT_EQ(StoredValue(TopicId::Codes, codePlaces, CodeField::Parent), QString::number(codeFear));
    EXPECT_THAT(Lines(codeTree).mid(0, 6),
                ElementsAre("Code system", "  Emotions", "    Joy", "    Fear", "      Places", "      At night"));
    EXPECT_EQ(codeTree.SelectedNode(), codeTree.FindNode(TopicId::Codes, codePlaces));
    // The order went to the project: each code's position in tree order.
    EXPECT_EQ(StoredValue(TopicId::Codes, codePlaces, 1), QStringLiteral("4"));
    EXPECT_EQ(StoredValue(TopicId::Codes, codeFearNight, 1), QStringLiteral("5"));
}

TEST_F(TreeTest, ShiftDropsACodeBesideTheTarget)
{
    BuildProject();
    codeTree.show();
    ASSERT_TRUE(DragNode(codeTree, TopicId::Codes, codeFearNight, TopicId::Codes, codeEmotions, Qt::ShiftModifier));
    EXPECT_EQ(StoredValue(TopicId::Codes, codeFearNight, CodeField::Parent), QStringLiteral("0"));
    EXPECT_THAT(Lines(codeTree).mid(0, 7), ElementsAre("Code system", "  Emotions", "    Joy", "    Fear",
                                                       "  At night", "  Places", "Sets"));
}

TEST_F(TreeTest, ACodeIsNeverMovedUnderItsOwnDescendant)
{
    BuildProject();
    codeTree.show();
    const QStringList before = Lines(codeTree);
    EXPECT_FALSE(DragNode(codeTree, TopicId::Codes, codeEmotions, TopicId::Codes, codeFearNight));
    EXPECT_FALSE(DragNode(codeTree, TopicId::Codes, codeFear, TopicId::Codes, codeFear));
    EXPECT_EQ(Lines(codeTree), before);
    EXPECT_EQ(StoredValue(TopicId::Codes, codeEmotions, CodeField::Parent), QStringLiteral("0"));
    EXPECT_THAT(owner.requests, IsEmpty());
}

TEST_F(TreeTest, ADropFromAnotherProjectOrProgramIsRefused)
{
    BuildProject();
    codeTree.show();
    const QStringList before = Lines(codeTree);
    const QPoint target = LabelPoint(codeTree, TopicId::Codes, codeJoy);
    EXPECT_FALSE(DeliverDrop(codeTree, CDragObject(TopicId::Codes, codePlaces), QStringLiteral("another project"),
                             target));
    EXPECT_FALSE(DeliverDrop(codeTree, CDragObject(TopicId::Codings, 1), QStringLiteral("another project"), target));
    // Foreign bytes under our format are no payload at all.
    QMimeData foreign;
    foreign.setData(QString::fromLatin1(CDragObject::kFormat), QByteArray("\x08\0\0\0"));
    QDragEnterEvent enter(target, Qt::MoveAction, &foreign, Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(codeTree), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(Lines(codeTree), before);
    EXPECT_THAT(owner.requests, IsEmpty());
    EXPECT_EQ(StoredValue(TopicId::Codes, codePlaces, CodeField::Parent), QStringLiteral("0"));
}

TEST_F(TreeTest, ACodingOrSelectionDroppedOnACodeGoesToTheOwner)
{
    BuildProject();
    codeTree.show();
    owner.dropAnswer = 1;
    const QPoint joy = LabelPoint(codeTree, TopicId::Codes, codeJoy);
    EXPECT_TRUE(DeliverDrop(codeTree, CDragObject(TopicId::Codings, 77), owner.identity, joy));
    EXPECT_TRUE(DeliverDrop(codeTree, CDragObject(15, 0), owner.identity, joy, Qt::AltModifier));
    const std::string joyId = std::to_string(codeJoy);
    EXPECT_THAT(owner.requests, ElementsAre("drop(0,10,77,8," + joyId + ",0)", "drop(1,10,77,8," + joyId + ",0)",
                                            "drop(0,15,0,8," + joyId + ",4)", "drop(1,15,0,8," + joyId + ",4)"));
    owner.requests.clear();
    owner.dropAnswer = 0;
    EXPECT_FALSE(DeliverDrop(codeTree, CDragObject(TopicId::Codings, 77), owner.identity, joy));
    EXPECT_THAT(owner.requests, ElementsAre("drop(0,10,77,8," + joyId + ",0)"));
}

TEST_F(TreeTest, CodeSetMembersMoveBetweenSetsAndTheProjectFollows)
{
    BuildProject();
    codeTree.show();
    ASSERT_TRUE(DragNode(codeTree, TopicId::CodeSetMembers, codeMember2, TopicId::CodeSets, codeSetB));
    EXPECT_EQ(StoredValue(TopicId::CodeSetMembers, codeMember2, SetMemberField::SetID), QString::number(codeSetB));
    // Already first in its set: nothing happens.
    EXPECT_FALSE(DragNode(codeTree, TopicId::CodeSetMembers, codeMember, TopicId::CodeSets, codeSet));
    // A set dropped on the code-sets root becomes the first set.
    ASSERT_TRUE(DragNode(codeTree, TopicId::CodeSets, codeSetB, TopicKind::CodeSetsRoot, 0));
    EXPECT_THAT(Lines(codeTree).mid(6), ElementsAre("Sets", "  Other", "    Emotions\\Joy", "  Feelings",
                                                    "    Emotions\\Fear"));
    EXPECT_FALSE(DragNode(codeTree, TopicId::CodeSets, codeSetB, TopicKind::CodeSetsRoot, 0));
}

TEST_F(TreeTest, DocumentsMoveIntoGroupsByDragAndCtrlAsksTheOwner)
{
    BuildProject();
    docTree.show();
    ASSERT_TRUE(DragNode(docTree, TopicId::Documents, docA2, TopicId::DocumentGroups, groupB));
    EXPECT_EQ(StoredValue(TopicId::Documents, docA2, DocumentField::GroupID), QString::number(groupB));
    EXPECT_THAT(docTree.GetGroupDocuments(groupB), ElementsAre(docA2, docB1));
    // Already the group's first document: nothing.
    EXPECT_FALSE(DragNode(docTree, TopicId::Documents, docA2, TopicId::DocumentGroups, groupB));
    // With Ctrl the document is not moved: the owner gets the drop.
    owner.dropAnswer = 1;
    EXPECT_TRUE(DragNode(docTree, TopicId::Documents, docA1, TopicKind::DocumentsRoot, 0, Qt::ControlModifier));
    EXPECT_THAT(owner.requests, ElementsAre("drop(0,5," + std::to_string(docA1) + ",2,0,2)",
                                            "drop(1,5," + std::to_string(docA1) + ",2,0,2)"));
    EXPECT_EQ(StoredValue(TopicId::Documents, docA1, DocumentField::GroupID), QString::number(groupA));
    // A document dropped on another document follows it.
    ASSERT_TRUE(DragNode(docTree, TopicId::Documents, docB1, TopicId::Documents, docA1));
    EXPECT_EQ(StoredValue(TopicId::Documents, docB1, DocumentField::GroupID), QString::number(groupA));
    EXPECT_THAT(docTree.GetGroupDocuments(groupA), ElementsAre(docA1, docB1));
}

TEST_F(TreeTest, AMoveTheProjectRefusesIsUndoneInTheTree)
{
    BuildProject();
    docTree.show();
    const QStringList before = Lines(docTree);
    // The project keeps every grouped document in a group: a move to the
    // documents root is refused, and the tree shows the document where it is.
    EXPECT_FALSE(DragNode(docTree, TopicId::Documents, docA1, TopicKind::DocumentsRoot, 0));
    EXPECT_EQ(Lines(docTree), before);
    EXPECT_EQ(docTree.FindNode(TopicId::Documents, docA1)->data, docA1);
}

TEST_F(TreeTest, DocumentGroupsAndSetsAreReorderedByDrops)
{
    BuildProject();
    docTree.show();
    ASSERT_TRUE(DragNode(docTree, TopicId::DocumentGroups, groupB, TopicKind::DocumentsRoot, 0));
    // The first group stands behind the documents of no group.
    EXPECT_THAT(Lines(docTree).mid(0, 7), ElementsAre("Documents", "  Loose page", "  Notes", "    Field note",
                                                      "  Interviews", "    Anna", "    Ben"));
    ASSERT_TRUE(DragNode(docTree, TopicId::DocumentGroups, groupB, TopicId::DocumentGroups, groupA));
    EXPECT_THAT(docTree.GetDocumentsInTreeOrder(), ElementsAre(docLoose, docA1, docA2, docB1));
    // A group on the sets root is the owner's affair; the tree stays.
    owner.dropAnswer = 2;
    EXPECT_TRUE(DragNode(docTree, TopicId::DocumentGroups, groupA, TopicKind::DocumentSetsRoot, 0));
    EXPECT_THAT(owner.requests, ElementsAre("drop(0,2," + std::to_string(groupA) + ",3,0,0)",
                                            "drop(1,2," + std::to_string(groupA) + ",3,0,0)"));
}

TEST_F(TreeTest, ADeletedSubtreeLeavesNoNodeBehind)
{
    BuildProject();
    codeTree.show();
    doc.GetRegistry().NotifyDeleted(TopicId::Codes, codeEmotions);
    EXPECT_FALSE(codeTree.IsShown(TopicId::Codes, codeEmotions));
    // The subcodes went with their parent, mappings included.
    EXPECT_FALSE(codeTree.IsShown(TopicId::Codes, codeFear));
    EXPECT_FALSE(codeTree.IsShown(TopicId::Codes, codeFearNight));
    // A later broadcast about a subcode reaches no deleted node.
    doc.GetRegistry().NotifyChange(TopicId::Codes, codeFear);
    doc.GetRegistry().NotifyDeleted(TopicId::Codes, codeFearNight);
    EXPECT_THAT(Lines(codeTree).mid(0, 3), ElementsAre("Code system", "  Places", "Sets"));
}

TEST_F(TreeTest, ANewCodeAppearsUnderItsParentSelected)
{
    BuildProject();
    codeTree.show();
    CodeRecord record;
    record.parent = codePlaces;
    record.name = QStringLiteral("Kitchen");
    const qint32 kitchen = doc.NewCode(record);
    ASSERT_GT(kitchen, 0);
    TreeNode* node = codeTree.FindNode(TopicId::Codes, kitchen);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->parent, codeTree.FindNode(TopicId::Codes, codePlaces));
    EXPECT_TRUE(codeTree.TreeView()->isExpanded(codeTree.Model().IndexOf(node->parent)));
}

TEST_F(TreeTest, SortingComparesNamesWithoutCaseAndKeepsLooseDocumentsFirst)
{
    BuildProject();
    const auto code = [this](const QString& name) {
        CodeRecord record;
        record.parent = codePlaces;
        record.name = name;
        return doc.NewCode(record);
    };
    const qint32 beta = code(QStringLiteral("beta"));
    const qint32 alpha = code(QStringLiteral("Alpha"));
    const qint32 gamma = code(QStringLiteral("gamma"));
    doc.SortSubcodes(codePlaces);
    const TreeNode* places = codeTree.FindNode(TopicId::Codes, codePlaces);
    ASSERT_EQ(places->children.size(), 3u);
    EXPECT_THAT((std::vector<qint32>{places->children[0]->Id(), places->children[1]->Id(), places->children[2]->Id()}),
                ElementsAre(alpha, beta, gamma));
    EXPECT_LT(StoredValue(TopicId::Codes, alpha, 1).toInt(), StoredValue(TopicId::Codes, beta, 1).toInt());
    EXPECT_LT(StoredValue(TopicId::Codes, beta, 1).toInt(), StoredValue(TopicId::Codes, gamma, 1).toInt());

    doc.SortLists(0);   // descending
    EXPECT_THAT(Lines(docTree).mid(0, 4), ElementsAre("Documents", "  Loose page", "  Notes", "    Field note"));
    doc.SortLists(1);
    EXPECT_THAT(Lines(docTree).mid(0, 3), ElementsAre("Documents", "  Loose page", "  Interviews"));
}

TEST_F(TreeTest, ExpandingAndCollapsingIsStoredWithTheCode)
{
    BuildProject();
    codeTree.show();
    QTreeView* tree = codeTree.TreeView();
    tree->collapse(codeTree.Model().IndexOf(codeTree.FindNode(TopicId::Codes, codeFear)));
    EXPECT_EQ(StoredValue(TopicId::Codes, codeFear, CodeField::State).toInt() & ObjectState::Expanded, 0);
    Reopen();
    EXPECT_FALSE(tree->isExpanded(codeTree.Model().IndexOf(codeTree.FindNode(TopicId::Codes, codeFear))));
    doc.GetRegistry().SortChildren(TopicId::Codes, codeFear, 1);
    codeTree.ExpandObject(TopicId::Codes, codeFear);
    EXPECT_TRUE(tree->isExpanded(codeTree.Model().IndexOf(codeTree.FindNode(TopicId::Codes, codeFear))));
    EXPECT_NE(StoredValue(TopicId::Codes, codeFear, CodeField::State).toInt() & ObjectState::Expanded, 0);
}

TEST_F(TreeTest, TheContextSearchWalksTheHitsInTreeOrder)
{
    BuildProject();
    ContextSearchRequest search;
    search.code = ContextSearchCode::Search;
    search.text = QStringLiteral("E");   // Emotions, Fear, Places, Feelings, Emotions\Fear, Emotions\Joy, ...
    codeTree.OnContextSearch(search);
    const int hits = search.count;
    EXPECT_GE(hits, 5);
    EXPECT_EQ(search.current, 1);
    EXPECT_EQ(codeTree.SelectedNode(), codeTree.FindNode(TopicId::Codes, codeEmotions));
    search.code = ContextSearchCode::Previous;
    codeTree.OnContextSearch(search);
    EXPECT_EQ(search.current, 1);
    for (int i = 0; i < hits + 2; ++i) {
        search.code = ContextSearchCode::Next;
        codeTree.OnContextSearch(search);
    }
    EXPECT_EQ(search.current, hits);
    search.code = ContextSearchCode::Search;
    search.text = QStringLiteral("zzz");
    codeTree.OnContextSearch(search);
    EXPECT_EQ(search.count, 0);
    EXPECT_EQ(search.current, 0);
    EXPECT_EQ(codeTree.SelectedNode(), nullptr);
}

/// The tips' texts, read without waiting for the tip window.
class TipCodeTree : public CObjTreeCtrl {
public:
    using CObjTreeCtrl::ObjectTip;
};

TEST_F(TreeTest, AMemberTipShowsItsOwnCodesData)
{
    BuildProject();
    TipCodeTree tips;
    tips.SetOwner(&owner);
    doc.GetRegistry().Register(&tips);
    doc.RebuildTree(false);
    QSize size;
    const QString member = tips.ObjectTip(tips.FindNode(TopicId::CodeSetMembers, codeMember2), size);
    // Member 2 stands for Joy with its three codings, not for code 2.
    EXPECT_TRUE(member.endsWith(QStringLiteral("Coded segments:\t3"))) << member.toStdString();
    EXPECT_EQ(size, QSize(200, 45));
    EXPECT_EQ(tips.ObjectTip(tips.FindNode(TopicId::Codes, codeJoy), size), member);
    EXPECT_TRUE(tips.ObjectTip(tips.FindNode(TopicId::CodeSets, codeSet), size).isEmpty());
}

TEST_F(TreeTest, BothTreesLookAsRecorded)
{
    BuildProject();
    // An activated document and code draw their ticks and dark red names.
    for (const auto& [topic, key, field] : {std::tuple<qint32, qint32, qint32>{TopicId::Documents, docA1, DocumentField::State},
                                            std::tuple<qint32, qint32, qint32>{TopicId::Codes, codeJoy, CodeField::State}}) {
        RowBuffer row;
        FieldValue state;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false) && row.GetFieldValue(field, state));
        state.SetInt(state.GetInt() | ObjectState::Activated);
        ASSERT_TRUE(row.Commit(false, false));
        doc.GetRegistry().NotifyChange(topic, key);
    }
    for (CTreePaneBase* pane : {static_cast<CTreePaneBase*>(&docTree), static_cast<CTreePaneBase*>(&codeTree)}) {
        pane->resize(260, 230);
        pane->show();
    }
    QTest::mouseClick(Viewport(codeTree), Qt::LeftButton, {}, LabelPoint(codeTree, TopicId::Codes, codeFear));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&docTree, testutil::DataPath(QStringLiteral("screenshots/panes/documenttree.png"))));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&codeTree, testutil::DataPath(QStringLiteral("screenshots/panes/codetree.png"))));
}

}  // namespace
