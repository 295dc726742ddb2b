// The splash closes on request, at its time once a main window exists,
// and on input only when asked to.

#include "app/splash.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QPixmap Picture()
{
    return CSplash::ProgramPicture(QStringLiteral("KORVAN10"), QStringLiteral("10.0"));
}

bool Gone()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return CSplash::Running() == nullptr;
}

}  // namespace

TEST(Splash, InputClosesItOnlyWhenAsked)
{
    CSplash* splash = CSplash::Start(Picture(), -1, 0, [] { return nullptr; });
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(CSplash::Start(Picture(), -1, 0, [] { return nullptr; }), nullptr) << "one splash at a time";
    QTest::mouseClick(splash, Qt::LeftButton);
    QTest::keyClick(splash, Qt::Key_Space);
    EXPECT_FALSE(Gone());
    CSplash::CloseSplash();
    EXPECT_TRUE(Gone());
    CSplash::CloseSplash();   // nothing left to close

    for (const bool click : {true, false}) {
        splash = CSplash::Start(Picture(), -1, CSplash::CloseOnInput, [] { return nullptr; });
        ASSERT_NE(splash, nullptr);
        if (click)
            QTest::mouseClick(splash, Qt::RightButton);
        else
            QTest::keyClick(splash, Qt::Key_Escape);
        EXPECT_TRUE(Gone());
    }
    EXPECT_EQ(CSplash::Start(QPixmap(), -1, 0, [] { return nullptr; }), nullptr);
}

TEST(Splash, TimeUpWaitsForTheMainWindow)
{
    QWidget mainWindow;
    QWidget* shown = nullptr;
    int asked = 0;
    ASSERT_NE(CSplash::Start(Picture(), 1, 0, [&] { ++asked; return shown; }), nullptr);
    // Without a main window it looks again and again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked >= 2; }));
    EXPECT_FALSE(Gone());
    shown = &mainWindow;
    EXPECT_TRUE(QTest::qWaitFor([] { return Gone(); }));

    // CloseAtTimeout does not wait.
    ASSERT_NE(CSplash::Start(Picture(), 1, CSplash::CloseAtTimeout, [] { return nullptr; }), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return Gone(); }));
}
