// The start dialog: its picture, the user list, the project choice and
// what it hands back on OK, on a double click and on Cancel.

#include "app/framesettings.h"
#include "app/startdlg.h"
#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class StartDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        g_program.AppTitle = QStringLiteral("KORVAN10  10.0  R2");
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = {};
    }
    // The dialog with two known users and two recent projects, shown.
    void Show(CStartDlg& dialog, const QString& user = QStringLiteral("Maria"))
    {
        dialog.m_strUserName = user;
        dialog.m_users = {QStringLiteral("maria"), QStringLiteral("Jonas")};
        dialog.m_recentProjects = {QStringLiteral("/data/Study.kv4"), QStringLiteral("/data/Pilot.kv4")};
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    static QComboBox* Users(CStartDlg& d) { return static_cast<QComboBox*>(FindControl(&d, CStartDlg::kUserId)); }
    static QListWidget* Projects(CStartDlg& d)
    {
        return static_cast<QListWidget*>(FindControl(&d, CStartDlg::kProjectListId));
    }
    static QStringList Items(QComboBox* combo)
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        return items;
    }
    static void ClickRow(QListWidget* list, int row, bool twice = false)
    {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    testutil::TempDir dir;
};

}  // namespace

TEST_F(StartDlgTest, LooksAsRecorded)
{
    CStartDlg dialog;
    Show(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("KORVAN10  10.0"));
    EXPECT_EQ(dialog.size(), QSize(430, 430));
    EXPECT_EQ(Projects(dialog)->item(0)->text(), QStringLiteral("Open another project..."));
    EXPECT_TRUE(Projects(dialog)->hasFocus());
    EXPECT_TRUE(testutil::MatchesReferenceImage(dialog.grab().toImage(),
                                                testutil::DataPath(QStringLiteral("app/startdlg.png"))));
}

TEST_F(StartDlgTest, AUserDifferingOnlyInCaseIsNotAddedTwice)
{
    CStartDlg dialog;
    Show(dialog, QStringLiteral("MARIA"));
    EXPECT_EQ(Items(Users(dialog)), (QStringList{QStringLiteral("maria"), QStringLiteral("Jonas")}));
    EXPECT_EQ(Users(dialog)->currentIndex(), 0);
    dialog.reject();

    CStartDlg other;
    Show(other, QStringLiteral("Eva"));
    EXPECT_EQ(Items(Users(other)), (QStringList{QStringLiteral("maria"), QStringLiteral("Jonas"), QStringLiteral("Eva")}));
    EXPECT_EQ(Users(other)->currentText(), QStringLiteral("Eva"));
}

TEST_F(StartDlgTest, RemovingTheLastUserPutsTheAccountNameIn)
{
    CStartDlg dialog;
    Show(dialog, QStringLiteral("Jonas"));
    auto* remove = static_cast<QToolButton*>(FindControl(&dialog, CStartDlg::kRemoveUserId));
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(Items(Users(dialog)), QStringList{QStringLiteral("maria")});
    EXPECT_EQ(Users(dialog)->currentText(), QStringLiteral("maria"));
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(Items(Users(dialog)), QStringList{SystemUserName().left(20)});

    QTest::mouseClick(FindControl(&dialog, CStartDlg::kOkId), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_users, QStringList{SystemUserName().left(20)});
}

TEST_F(StartDlgTest, TheChosenEntryDecidesThePath)
{
    {
        // The first entry asks for another project: no path.
        CStartDlg dialog;
        Show(dialog);
        ClickRow(Projects(dialog), 0);
        QTest::mouseClick(FindControl(&dialog, CStartDlg::kOkId), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(dialog.m_strProjectPath.isEmpty());
        EXPECT_EQ(dialog.m_nChoice, CStartDlg::OpenProject);
        // "Maria" was known as "maria": the known spelling is taken.
        EXPECT_EQ(dialog.m_strUserName, QStringLiteral("maria"));
        EXPECT_EQ(dialog.m_users, (QStringList{QStringLiteral("maria"), QStringLiteral("Jonas")}));
    }
    {
        // A double click takes the recent project and keeps the user list.
        CStartDlg dialog;
        Show(dialog, QStringLiteral("Eva"));
        ClickRow(Projects(dialog), 2, true);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.m_strProjectPath, QStringLiteral("/data/Pilot.kv4"));
        EXPECT_EQ(dialog.m_users, (QStringList{QStringLiteral("maria"), QStringLiteral("Jonas")}));
    }
    {
        // A new project: the list goes grey.
        CStartDlg dialog;
        Show(dialog);
        auto* fresh = static_cast<QAbstractButton*>(FindControl(&dialog, CStartDlg::kNewProjectId));
        EXPECT_TRUE(fresh->isEnabled());
        QTest::mouseClick(fresh, Qt::LeftButton, {}, QPoint(8, fresh->height() / 2));
        EXPECT_FALSE(Projects(dialog)->isEnabled());
        auto* open = static_cast<QAbstractButton*>(FindControl(&dialog, CStartDlg::kOpenProjectId));
        QTest::mouseClick(open, Qt::LeftButton, {}, QPoint(8, open->height() / 2));
        EXPECT_TRUE(Projects(dialog)->isEnabled());
        QTest::mouseClick(fresh, Qt::LeftButton, {}, QPoint(8, fresh->height() / 2));
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.m_nChoice, CStartDlg::NewProject);
    }
    {
        CStartDlg dialog;
        Show(dialog);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}
