#include "ui/waitwnd.h"

#include "foundation/uimessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

constexpr QSize kWindowSize(400, 50);
constexpr qint64 kRefreshMs = 100;   // the line is redrawn at most this often
constexpr qint64 kExposeWaitMs = 500;
constexpr unsigned long kExposePollMs = 5;
const QColor kFrameColor(112, 168, 31);
const QColor kGradientTop(240, 247, 228);
const QColor kGradientBottom(203, 228, 163);

}  // namespace

CWaitWnd::CWaitWnd() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    m_font = QApplication::font("QMenu");
    m_font.setWeight(QFont::Bold);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kWindowSize);
    setCursor(Qt::WaitCursor);
}

CWaitWnd::~CWaitWnd()
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    qApp->removeEventFilter(this);
}

bool CWaitWnd::Create(QWidget* owner, const QPixmap& icon)
{
    m_icon = icon;
    QWidget* over = owner ? owner->window() : QApplication::activeWindow();
    QRect area;
    if (over)
        area = over->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QRect placed(QPoint(), size());
    placed.moveCenter(area.center());
    move(placed.topLeft());
    show();
    if (!isVisible())
        return false;
    // A window painted before the display maps it stays blank until the
    // work ends: wait (briefly, paint events only) until it is exposed.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < kExposeWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(kExposePollMs);
    }
    qApp->installEventFilter(this);
    HoldMouse();
    Refresh();
    return true;
}

void CWaitWnd::HoldMouse()
{
    // Other windows may have taken it.
    if (QWidget::mouseGrabber() != this)
        grabMouse();
}

int CWaitWnd::SetText(const QString& text)
{
    HoldMouse();
    m_text = text;
    if (!m_sinceRefresh.isValid() || m_sinceRefresh.elapsed() >= kRefreshMs)
        Refresh();
    return 0;
}

int CWaitWnd::Pump()
{
    HoldMouse();
    Refresh();
    return 0;
}

void CWaitWnd::Refresh()
{
    repaint();
    PumpUiMessages();
    m_sinceRefresh.start();
}

// A user's request to close a window of the program would pull the project
// away from the running work: it is refused while the wait window exists.
// Closes made by the program itself are not spontaneous and pass.
bool CWaitWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && event->spontaneous() && watched != this && watched->isWidgetType()) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CWaitWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect box = rect();
    const QRect inner = box.adjusted(2, 2, -3, -2);
    QLinearGradient gradient(inner.topLeft(), inner.bottomLeft());
    gradient.setColorAt(0, kGradientTop);
    gradient.setColorAt(1, kGradientBottom);
    painter.fillRect(inner, gradient);

    painter.setPen(kFrameColor);
    for (int line = 0; line < 2; ++line) {
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        box.adjust(1, 1, -1, -1);
    }
    box.adjust(1, 1, -1, -1);

    QRect textBox = box.adjusted(2, 2, -2, -2);
    if (!m_icon.isNull()) {
        const int offset = (box.height() - m_icon.height()) / 2 + 2;
        painter.drawPixmap(offset, offset, m_icon);
        textBox.setLeft(textBox.left() + m_icon.width() + 2);
    }
    painter.setFont(m_font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textBox, Qt::AlignCenter | Qt::TextSingleLine, m_text);
}

CWaitWndHost::CWaitWndHost(QWidget* frame, const QPixmap& icon) : m_frame(frame), m_icon(icon) {}

CWaitWndHost::~CWaitWndHost() = default;

IWaitWindow* CWaitWndHost::OpenWaitWindow(const QString& text)
{
    m_window.reset();
    auto window = std::make_unique<CWaitWnd>();
    if (!window->Create(m_frame, m_icon))
        return nullptr;
    window->SetText(text);
    m_window = std::move(window);
    return m_window.get();
}

void CWaitWndHost::CloseWaitWindow(IWaitWindow* window)
{
    if (window == m_window.get())
        m_window.reset();
}
