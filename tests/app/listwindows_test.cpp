#include "app/listwindows.h"

#include "common/documentowner.h"
#include "document/docfixture.h"
#include "panes/listids.h"
#include "panes/objectlistwindow.h"

#include "foundation/programpaths.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class ListWindowsTest : public doctest::DocTest {
protected:
    ListWindowsTest() : listOwner(doc), windows(&frameWidget, &doc) {}

    void SetUp() override
    {
        DocTest::SetUp();
        m_savedProfile = g_program.ProfilePath;
        g_program.ProfilePath = dir.file("KORVAN10.ini");
        NewProject();
        const qint32 group = AddGroup("G");
        document = AddDocument(group, "Anna", doctest::RtfOf({"text"}));
        code = AddCode("Bank");
        coding = AddCoding(document, code, 0, 2);
        AddCoding(document, 0, 0, 2);   // a coding of no code is not listed
        memo = AddMemo({{MemoField::Title, QStringLiteral("memo")}});
        windows.SetOwner(&listOwner);
    }
    void TearDown() override
    {
        windows.CloseAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        g_program.ProfilePath = m_savedProfile;
        DocTest::TearDown();
    }

    QWidget frameWidget;
    testutil::DocumentOwner listOwner;
    CListWindows windows;
    qint32 document = 0, code = 0, coding = 0, memo = 0;

private:
    QString m_savedProfile;
};

}  // namespace

TEST_F(ListWindowsTest, ListCommandTwiceReusesItsWindowWithNewRows)
{
    const int panes = doc.GetRegistry().GetCount();
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::MemosList));
    ObjectListWindow* window = windows.Window(CListWindows::Memos);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->List1()->RowCount(), 1);
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes + 1);
    const qint32 second = AddMemo({{MemoField::Title, QStringLiteral("another")}});
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::MemosList));
    EXPECT_EQ(windows.Window(CListWindows::Memos), window);
    EXPECT_TRUE(window->List1()->HasRow(second));
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes + 1);
    // A window that goes clears its slot and leaves the registry.
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(windows.Window(CListWindows::Memos));
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes);
}

TEST_F(ListWindowsTest, CodingsListLeavesOutCodingsOfNoCodeAndCountsTheirSources)
{
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::CodingsList));
    ObjectListWindow* window = windows.Window(CListWindows::Codings);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->List1()->RowCount(), 1);
    EXPECT_TRUE(window->List1()->HasRow(coding));
    EXPECT_EQ(window->CountText(), LoadString(ListText::CodingsCount).arg(1).arg(1).arg(1) + "    ");
}

TEST_F(ListWindowsTest, VariablesCommandsReplaceTheOneVariablesWindow)
{
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::CodeVariables));
    ObjectListWindow* codes = windows.Window(CListWindows::Variables);
    ASSERT_TRUE(codes);
    EXPECT_EQ(codes->Topic(), TopicId::Codes);
    EXPECT_TRUE(codes->VariablesShown());
    QPointer<ObjectListWindow> gone(codes);
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::DocumentVariables));
    EXPECT_TRUE(gone.isNull());
    ObjectListWindow* documents = windows.Window(CListWindows::Variables);
    ASSERT_TRUE(documents);
    EXPECT_EQ(documents->Topic(), TopicId::Documents);
    EXPECT_TRUE(documents->VariablesShown());
    EXPECT_TRUE(documents->List2()->RowCount() > 0);
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::DocumentsList));
    EXPECT_FALSE(windows.Window(CListWindows::Variables)->VariablesShown());
}

TEST_F(ListWindowsTest, WithoutOwnerOrProjectTheCommandsAreDisabled)
{
    CCmdUI ui;
    ui.id = ListWindowCommand::CodesList;
    ASSERT_TRUE(windows.OnUpdateCommand(ui));
    EXPECT_TRUE(ui.enabled);
    CListWindows alone(&frameWidget, &doc);
    CCmdUI off;
    off.id = ListWindowCommand::CodesList;
    ASSERT_TRUE(alone.OnUpdateCommand(off));
    EXPECT_FALSE(off.enabled);
    EXPECT_TRUE(alone.OnCommand(ListWindowCommand::CodesList));
    EXPECT_FALSE(alone.Window(CListWindows::Codes));
    CCmdUI other;
    other.id = 12345;
    EXPECT_FALSE(windows.OnUpdateCommand(other));
}
