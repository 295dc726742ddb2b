// The wait window keeps the user's keys and clicks out of the program while
// work runs, and still lets windows repaint and timers run.

#include "foundation/waitwindow.h"
#include "ui/waitwnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QPixmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <qpa/qwindowsysteminterface.h>

#include <gtest/gtest.h>

namespace {

// The main window of the test: it counts the input it receives.
class Frame : public QWidget {
public:
    Frame()
    {
        setFocusPolicy(Qt::StrongFocus);
        resize(640, 480);
    }
    int keys = 0;
    int clicks = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keys; }
    void mousePressEvent(QMouseEvent*) override { ++clicks; }
};

class WaitWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.show();
        frame.activateWindow();
        frame.setFocus();
        QCoreApplication::processEvents();
        previous = SetWaitWindowHost(&host);
    }
    void TearDown() override { SetWaitWindowHost(previous); }

    Frame frame;
    CWaitWndHost host{&frame};
    IWaitWindowHost* previous = nullptr;
};

}  // namespace

TEST_F(WaitWndTest, UserInputWaitsUntilTheWorkEnds)
{
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("Searching")));
    auto* wait = static_cast<CWaitWnd*>(GetWaitWindow());
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->size(), QSize(400, 50));
    EXPECT_EQ(wait->geometry().center(), frame.frameGeometry().center());
    EXPECT_EQ(QWidget::mouseGrabber(), wait);

    // The user presses a key and clicks while the work runs; a timer is due.
    QWindow* window = frame.windowHandle();
    QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    const QPointF point(20, 20);
    QWindowSystemInterface::handleMouseEvent(window, point, window->mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                                             QEvent::MouseButtonPress);
    bool timerRan = false;
    QTimer::singleShot(0, &frame, [&] { timerRan = true; });
    for (int item = 1; item <= 3; ++item) {
        wait->SetText(QStringLiteral("Searching %1").arg(item));
        wait->Pump();
    }
    EXPECT_EQ(wait->Text(), QStringLiteral("Searching 3"));
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(frame.keys, 0);
    EXPECT_EQ(frame.clicks, 0);

    CloseWaitWindow();
    EXPECT_EQ(GetWaitWindow(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.keys, 1);
    EXPECT_EQ(frame.clicks, 1);
}

TEST_F(WaitWndTest, TheUserCannotCloseWindowsMeanwhileButTheProgramCan)
{
    ASSERT_TRUE(ShowWaitWindow());
    QWindowSystemInterface::handleCloseEvent(frame.windowHandle());
    GetWaitWindow()->Pump();
    EXPECT_TRUE(frame.isVisible());

    QWidget tool;
    tool.show();
    EXPECT_TRUE(tool.close());
    CloseWaitWindow();

    QWindowSystemInterface::handleCloseEvent(frame.windowHandle());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame.isVisible());
}

TEST_F(WaitWndTest, ANewWaitWindowReplacesTheShownOne)
{
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("first")));
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("second")));
    ASSERT_NE(GetWaitWindow(), nullptr);
    EXPECT_EQ(static_cast<CWaitWnd*>(GetWaitWindow())->Text(), QStringLiteral("second"));
    const auto windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget* w) { return qobject_cast<CWaitWnd*>(w) != nullptr; }),
              1);
    CloseWaitWindow();
    CloseWaitWindow();   // nothing left to close
    EXPECT_EQ(GetWaitWindow(), nullptr);
}

// The window is on the screen and painted with its line when the work that
// asked for it goes on: a window painted before the display mapped it
// would stay blank until the work ends.
TEST_F(WaitWndTest, TheWindowIsExposedAndPaintedBeforeTheWorkGoesOn)
{
    ASSERT_TRUE(ShowWaitWindow(QStringLiteral("Opening the project")));
    auto* window = static_cast<CWaitWnd*>(GetWaitWindow());
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_TRUE(window->windowHandle()->isExposed());
    // Its own backing store holds the painted gradient, not black.
    const QImage painted = window->grab().toImage();
    EXPECT_NE(painted.pixelColor(painted.width() / 2, 5), QColor(Qt::black));
    CloseWaitWindow();
}
