#include "app/splash.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace {
QPointer<CSplash> g_splash;
}

CSplash::CSplash(const QPixmap& picture, int flags, std::function<QWidget*()> mainWindow)
    : QSplashScreen(picture, Qt::WindowStaysOnTopHint), m_flags(flags), m_mainWindow(std::move(mainWindow))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(m_flags & CloseOnInput ? Qt::ArrowCursor : Qt::WaitCursor);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CSplash::OnTimer);
}

CSplash* CSplash::Start(const QPixmap& picture, int elapseMs, int flags, std::function<QWidget*()> mainWindow)
{
    if (picture.isNull() || g_splash)
        return nullptr;
    auto* splash = new CSplash(picture, flags, std::move(mainWindow));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        splash->move(screen->geometry().center() - splash->rect().center());
    splash->show();
    splash->raise();
    if (elapseMs != -1)
        splash->m_timer.start(elapseMs);
    g_splash = splash;
    return splash;
}

CSplash* CSplash::Running()
{
    return g_splash.data();
}

void CSplash::CloseSplash()
{
    // The pointer and the window live on this one thread: it is either a
    // whole splash or null, never one being torn down. Deleted at once, so
    // a shutdown right after leaves nothing behind.
    if (g_splash) {
        g_splash->close();
        delete g_splash.data();
    }
}

void CSplash::OnTimer()
{
    QWidget* main = m_mainWindow ? m_mainWindow() : nullptr;
    if (!(m_flags & CloseAtTimeout) && !main) {
        m_timer.start(kRetryTime);
        return;
    }
    close();
}

void CSplash::mousePressEvent(QMouseEvent* event)
{
    // Without CloseOnInput a click on the picture does nothing (the base
    // class would hide it).
    if (m_flags & CloseOnInput)
        close();
    else
        event->accept();
}

void CSplash::keyPressEvent(QKeyEvent* event)
{
    if (m_flags & CloseOnInput)
        close();
    else
        QSplashScreen::keyPressEvent(event);
}

void CSplash::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    QSplashScreen::closeEvent(event);
    if (QWidget* main = m_mainWindow ? m_mainWindow() : nullptr) {
        main->raise();
        main->activateWindow();
    }
}

QPixmap CSplash::ProgramPicture(const QString& title, const QString& build)
{
    QPixmap picture(480, 280);
    QPainter painter(&picture);
    QLinearGradient fill(0, 0, 0, picture.height());
    fill.setColorAt(0, QColor(88, 113, 153));
    fill.setColorAt(1, QColor(101, 147, 207));
    painter.fillRect(picture.rect(), fill);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(36);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(picture.rect().adjusted(24, 0, -24, -40), Qt::AlignLeft | Qt::AlignVCenter, title);
    font.setPixelSize(14);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(picture.rect().adjusted(24, 0, -24, -24), Qt::AlignLeft | Qt::AlignBottom, build);
    return picture;
}
