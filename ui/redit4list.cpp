#include "ui/redit4list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

CREdit4List* g_active = nullptr;
constexpr int kInset = 2;   // the editor sits inside a two-pixel frame

}  // namespace

CREdit4List::CREdit4List()
{
    DestroyActive();
    g_active = this;
    qApp->installEventFilter(this);
}

CREdit4List::~CREdit4List()
{
    if (g_active == this) {
        g_active = nullptr;
        qApp->removeEventFilter(this);
    }
}

CREdit4List* CREdit4List::Active()
{
    return g_active;
}

void CREdit4List::DestroyActive()
{
    if (CREdit4List* active = g_active) {
        active->m_finished = true;
        g_active = nullptr;
        qApp->removeEventFilter(active);
        active->hide();
        active->deleteLater();
    }
}

bool CREdit4List::Create(QWidget* parent, QObject* owner, const QRect& rect, const QString& text, int limit,
                         qint32 callerValue)
{
    if (!parent)
        return false;
    setParent(parent);
    m_owner = owner ? owner : parent;
    m_callerValue = callerValue;
    setGeometry(rect);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    m_edit->setMaxLength(std::max(1, limit));
    m_edit->setGeometry(rect.translated(-rect.topLeft()).adjusted(kInset, kInset, -kInset, -kInset));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    m_edit->setFont(font);
    m_edit->setText(text);
    m_edit->selectAll();
    show();
    m_edit->setFocus();
    return true;
}

QString CREdit4List::GetText() const
{
    return m_edit ? m_edit->text().trimmed() : QString();
}

void CREdit4List::Finish(bool accept)
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_owner)
        emit finished(accept);
    if (g_active == this) {
        g_active = nullptr;
        qApp->removeEventFilter(this);
    }
    hide();
    deleteLater();
}

void CREdit4List::Copy()
{
    if (m_edit)
        m_edit->copy();
}

bool CREdit4List::eventFilter(QObject* watched, QEvent* event)
{
    if (m_finished || g_active != this)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Finish(true);
            return true;   // the list under the editor must not act on it too
        }
        if (key == Qt::Key_Escape) {
            Finish(false);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (!QRect(mapToGlobal(QPoint()), size()).contains(at))
            Finish(true);
        break;
    }
    case QEvent::Wheel: {
        const QPoint at = static_cast<QWheelEvent*>(event)->globalPosition().toPoint();
        if (!QRect(mapToGlobal(QPoint()), size()).contains(at))
            Finish(true);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CREdit4List::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
