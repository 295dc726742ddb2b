#include "sysprobewaitwindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>

namespace {

constexpr int kMargin = 26;   // pixels around the line

}  // namespace

SysprobeWaitWindow::SysprobeWaitWindow(const QString& text) : m_text(text)
{
    setObjectName(QStringLiteral("SysprobeWaitWindow"));
    setProperty("text", text);
    setFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setModality(Qt::ApplicationModal);

    const QFontMetrics metrics(QGuiApplication::font());
    const QSize size(metrics.horizontalAdvance(m_text) + 2 * kMargin, metrics.height() + 2 * kMargin);
    QRect placed(QPoint(), size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        placed.moveTopLeft(area.topLeft() + QPoint((area.width() - size.width()) / 2,
                                                   (area.height() - size.height()) / 2));
    }
    setGeometry(placed);
}

void SysprobeWaitWindow::paintEvent(QPaintEvent*)
{
    const QPalette palette = QGuiApplication::palette();
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(), size()), palette.window());
    painter.setPen(palette.color(QPalette::Mid));
    painter.drawRect(QRect(QPoint(), size()).adjusted(0, 0, -1, -1));
    painter.setPen(palette.color(QPalette::WindowText));
    painter.setFont(QGuiApplication::font());
    painter.drawText(QRect(QPoint(), size()), Qt::AlignCenter, m_text);
}
