// The About box, opened from the Help menu, in the current language; a
// click anywhere closes it.

#include "app/aboutdlg.h"
#include "app/appids.h"
#include "app/mainapp.h"
#include "app/mainframe.h"
#include "common/testutil.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(AboutDlg, OpensFromTheHelpMenuInGerman)
{
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 0));
    g_program.BuildString = QStringLiteral("10.0");
    CMainApp app;
    CMainFrame frame(&app);
    frame.show();
    QMenu* help = frame.menuBar()->actions().constLast()->menu();   // the help menu comes last
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->title(), QStringLiteral("&Hilfe"));

    QString name, description;
    bool closed = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        name = ControlText(FindControl(about, CAboutDlg::kProgramNameId));
        description = ControlText(FindControl(about, CAboutDlg::kDescriptionId));
        QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(3, 3));
        closed = !about->isVisible();
    });
    help->popup(frame.geometry().center());
    QAction* aboutAction = frame.Commands().Action(CommandId::AppAbout);
    QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(aboutAction).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed; }));
    EXPECT_EQ(name, QStringLiteral("KORVAN10 10.0"));
    EXPECT_EQ(description, QStringLiteral("Werkbank für qualitative und Mixed-Methods-Analysen"));
    g_pStringStore->Close();
    g_program = {};
}
