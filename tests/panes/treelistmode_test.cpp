// The code tree's list mode: every code as a row of an object list in place
// of header and tree, kept current by the project's broadcasts, and codings
// dropped on a row handed to the owner.

#include "treefixture.h"

#include "panes/objectlistctrl.h"
#include "panes/treetexts.h"
#include "ui/headerctrl.h"

#include <QHeaderView>
#include <QSignalSpy>

#include <gmock/gmock.h>

using testing::UnorderedElementsAre;
using treetest::TreeTest;

namespace {

class ListModeTest : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        BuildProject();
        codeTree.resize(320, 240);
        codeTree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&codeTree));
    }
    ObjectListCtrl* List() { return codeTree.ListView(); }
    /// The centre of a code's row in the list's viewport.
    QPoint RowPoint(qint32 code)
    {
        const int row = List()->Model()->RowOfKey(code);
        EXPECT_GE(row, 0) << code;
        const int column = List()->horizontalHeader()->logicalIndexAt(40);
        return List()->visualRect(List()->Model()->index(row, column)).center();
    }
};

TEST_F(ListModeTest, TheListTakesThePlaceOfTheTreeAndEndsTheSearch)
{
    QSignalSpy resets(&codeTree, &CTreePaneBase::SearchReset);
    EXPECT_TRUE(codeTree.OffersContextSearch());
    codeTree.OnCaptionCommand(CObjTreeCtrl::ToggleListMode);
    EXPECT_TRUE(codeTree.InListMode());
    EXPECT_TRUE(List()->isVisible());
    EXPECT_FALSE(codeTree.TreeView()->isVisible());
    EXPECT_FALSE(codeTree.Header()->isVisible());
    EXPECT_FALSE(codeTree.OffersContextSearch());
    EXPECT_EQ(resets.count(), 1);
    EXPECT_THAT(List()->Model()->Keys(),
                UnorderedElementsAre(codeEmotions, codeJoy, codeFear, codeFearNight, codePlaces));
    EXPECT_EQ(List()->Owner(), &owner);

    codeTree.OnCaptionCommand(CObjTreeCtrl::ToggleListMode);
    EXPECT_FALSE(codeTree.InListMode());
    EXPECT_FALSE(List()->isVisible());
    EXPECT_TRUE(codeTree.TreeView()->isVisible());
    EXPECT_TRUE(codeTree.Header()->isVisible());
    EXPECT_EQ(resets.count(), 2);
}

TEST_F(ListModeTest, TheListFollowsNewDeletedAndRenamedCodes)
{
    codeTree.OnCaptionCommand(CObjTreeCtrl::ToggleListMode);
    CodeRecord record;
    record.name = QStringLiteral("Hope");
    record.parent = codeEmotions;
    const qint32 hope = doc.NewCode(record);
    ASSERT_GT(hope, 0);
    EXPECT_TRUE(List()->HasRow(hope));
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codes, codePlaces));
    EXPECT_FALSE(List()->HasRow(codePlaces));
    ListNotifyInfo rename;
    rename.topic = TopicId::Codes;
    rename.itemId = codeJoy;
    rename.mask = ListNotifyMask::Name;
    rename.name = QStringLiteral("Delight");
    doc.HandleItemChange(rename);
    EXPECT_EQ(List()->GetCellText(codeJoy, CodeField::Name), QStringLiteral("Delight"));
    // A project closed empties the list; the next one fills it anew.
    Reopen();
    EXPECT_THAT(List()->Model()->Keys(),
                UnorderedElementsAre(codeEmotions, codeJoy, codeFear, codeFearNight, hope));
}

TEST_F(ListModeTest, CodingsDroppedOnARowGoToTheOwnerAndNothingElseIsTaken)
{
    codeTree.OnCaptionCommand(CObjTreeCtrl::ToggleListMode);
    owner.dropAnswer = 1;
    QWidget* viewport = List()->viewport();
    EXPECT_TRUE(DeliverDropOn(viewport, CDragObject(TopicId::Codings, 77), owner.identity, RowPoint(codeFear)));
    EXPECT_TRUE(DeliverDropOn(viewport, CDragObject(TreeDragKind::BrowserSelection, 0), owner.identity,
                              RowPoint(codeJoy)));
    const std::string fear = std::to_string(codeFear);
    const std::string joy = std::to_string(codeJoy);
    EXPECT_THAT(owner.requests, testing::ElementsAre("drop(0,10,77,8," + fear + ",0)", "drop(1,10,77,8," + fear + ",0)",
                                                     "drop(0,15,0,8," + joy + ",0)", "drop(1,15,0,8," + joy + ",0)"));
    owner.requests.clear();
    // A code is no coding; a payload of another project means nothing here;
    // below the last row there is no code.
    EXPECT_FALSE(DeliverDropOn(viewport, CDragObject(TopicId::Codes, codeJoy), owner.identity, RowPoint(codeFear)));
    EXPECT_FALSE(DeliverDropOn(viewport, CDragObject(TopicId::Codings, 77), QStringLiteral("another project"),
                               RowPoint(codeFear)));
    EXPECT_FALSE(DeliverDropOn(viewport, CDragObject(TopicId::Codings, 77), owner.identity,
                               QPoint(20, viewport->height() - 2)));
    EXPECT_TRUE(owner.requests.empty());
}

}  // namespace
