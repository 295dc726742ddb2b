#include "ui/rtftipctrl.h"

#include "platform/rtf/rtfreader.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

namespace {

CRTFTipCtrl* g_activeTip = nullptr;
int g_delayMs = 500;

const QColor kHeadingWithContent(0, 0, 125);
constexpr double kHeadingPoints = 8.0;
constexpr double kLargeHeadingPoints = 9.5;
constexpr int kPadX = 4;   // text inset left and right
constexpr int kPadTop = 1;

}  // namespace

CRTFTipCtrl::CRTFTipCtrl()
{
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, [this] {
        if (m_item.contains(QCursor::pos()))
            popUp();
    });
}

CRTFTipCtrl::~CRTFTipCtrl()
{
    Hide();
}

bool CRTFTipCtrl::Create(QWidget* owner)
{
    m_owner = owner;
    setParent(owner ? owner->window() : nullptr,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(10, 10);
    return true;
}

CRTFTipCtrl* CRTFTipCtrl::ActiveTip()
{
    return g_activeTip;
}

void CRTFTipCtrl::SetDelay(int ms)
{
    g_delayMs = std::max(0, ms);
}

void CRTFTipCtrl::Show(const QRect& item, const QString& heading, const QByteArray& rtf)
{
    if (!m_enabled || g_activeTip == this)
        return;
    Hide();
    m_heading = heading;
    m_rtf = rtf;
    m_item = item;
    m_delay.start(g_delayMs);
}

void CRTFTipCtrl::Hide()
{
    m_delay.stop();
    hide();
    m_item = QRect();
    m_heading.clear();
    m_rtf.clear();
    if (g_activeTip == this) {
        g_activeTip = nullptr;
        qApp->removeEventFilter(this);
    }
}

QRect CRTFTipCtrl::PlaceOnScreen(const QPoint& cursor, const QSize& size, const QRect& screen)
{
    QRect r(cursor + kCursorOffset, size);
    if (r.right() > screen.right())
        r.moveLeft(r.left() - (r.right() - screen.right()));
    if (r.bottom() > screen.bottom())
        r.moveTop(r.top() - (r.bottom() - screen.bottom()));
    return r;
}

void CRTFTipCtrl::popUp()
{
    if (g_activeTip == this)
        return;
    if (g_activeTip)
        g_activeTip->Hide();
    const QPoint cursor = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(QPoint(), m_size);
    setGeometry(PlaceOnScreen(cursor, m_size, area));
    show();
    raise();
    g_activeTip = this;
    qApp->installEventFilter(this);
}

void CRTFTipCtrl::BuildDocument(QTextDocument& document) const
{
    document.clear();
    if (!m_heading.isEmpty()) {
        QTextCursor cursor(&document);
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("Tahoma")});
        format.setFontPointSize(m_largeFont ? kLargeHeadingPoints : kHeadingPoints);
        const bool withContent = !m_rtf.isEmpty();
        format.setFontWeight(withContent ? QFont::Bold : QFont::Normal);
        format.setForeground(withContent ? kHeadingWithContent : QColor(Qt::black));
        format.setFontStrikeOut(false);
        cursor.insertText(m_heading, format);
        if (withContent)
            rtf::InsertRtf(m_rtf, cursor);
    } else if (!m_rtf.isEmpty()) {
        rtf::ReadRtf(m_rtf, document);
    }
}

void CRTFTipCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QTextDocument document;
    BuildDocument(document);
    const QRect text = rect().adjusted(kPadX, kPadTop, -kPadX, 0);
    document.setTextWidth(text.width());
    painter.translate(text.topLeft());
    document.drawContents(&painter, QRectF(QPointF(), QSizeF(text.size())));
}

bool CRTFTipCtrl::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        Hide();
        break;
    case QEvent::MouseMove:
        if (!m_item.contains(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()))
            Hide();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
