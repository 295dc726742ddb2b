// Expanding and collapsing a whole tree: every node's state reaches the
// project in one request, while a single expansion is still told alone.

#include "treefixture.h"

#include <gmock/gmock.h>

using treetest::TreeTest;

namespace {

class ExpansionTest : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        BuildProject();
        codeTree.resize(300, 240);
        codeTree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&codeTree));
    }
    bool StoredExpanded(qint32 code)
    {
        return (StoredValue(TopicId::Codes, code, CodeField::State).toInt() & ObjectState::Expanded) != 0;
    }
    bool ShownExpanded(qint32 code)
    {
        return codeTree.TreeView()->isExpanded(codeTree.Model().IndexOf(codeTree.FindNode(TopicId::Codes, code)));
    }
};

TEST_F(ExpansionTest, TheWholeTreeIsCollapsedAndExpandedInOneRequestEach)
{
    codeTree.CollapseAll();
    EXPECT_EQ(owner.expandRuns, 1);
    EXPECT_EQ(owner.stateNotices, 0);
    for (const qint32 code : {codeEmotions, codeFear}) {
        EXPECT_FALSE(ShownExpanded(code)) << code;
        EXPECT_FALSE(StoredExpanded(code)) << code;
    }
    Reopen();
    EXPECT_FALSE(ShownExpanded(codeEmotions));

    // '*' on the code-system root expands every code below it at once.
    QTest::mouseClick(Viewport(codeTree), Qt::LeftButton, {},
                      LabelPoint(codeTree, TopicKind::CodeSystemRoot, 0));
    QTest::keyClick(codeTree.TreeView(), Qt::Key_Asterisk);
    EXPECT_EQ(owner.expandRuns, 2);
    EXPECT_EQ(owner.stateNotices, 0);
    for (const qint32 code : {codeEmotions, codeFear}) {
        EXPECT_TRUE(ShownExpanded(code)) << code;
        EXPECT_TRUE(StoredExpanded(code)) << code;
    }
    // Nothing left to change: nothing is sent.
    QTest::keyClick(codeTree.TreeView(), Qt::Key_Asterisk);
    EXPECT_EQ(owner.expandRuns, 2);
}

TEST_F(ExpansionTest, ASingleExpansionIsStillToldAsItHappens)
{
    codeTree.CollapseAll();
    QTest::mouseClick(Viewport(codeTree), Qt::LeftButton, {}, LabelPoint(codeTree, TopicKind::CodeSystemRoot, 0));
    QTest::keyClick(codeTree.TreeView(), Qt::Key_Right);   // the root
    QTest::keyClick(codeTree.TreeView(), Qt::Key_Down);    // Emotions
    QTest::keyClick(codeTree.TreeView(), Qt::Key_Right);
    EXPECT_EQ(owner.stateNotices, 2);
    EXPECT_TRUE(StoredExpanded(codeEmotions));
    EXPECT_FALSE(StoredExpanded(codeFear));
}

}  // namespace
