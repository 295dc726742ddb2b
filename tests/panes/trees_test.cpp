// The code-system and document-system trees on a small project: built from
// the document's broadcasts, renamed in place, changed by drags and drops,
// clicked, searched and drawn.

#include "panes/contextsearch.h"
#include "treefixture.h"

#include "common/screenshots.h"
#include "ui/redit4list.h"

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

}  // namespace
