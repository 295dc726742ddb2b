#include "ui/panetabwnd.h"

#include "ui/captionwnd.h"

#include <QApplication>
#include <QPainter>

PaneTabWnd::PaneTabWnd(QWidget* parent) : QTabBar(parent)
{
    setDrawBase(false);
    // Press comes before the selection moves: remember whether the press was
    // on the tab that was current then.
    connect(this, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == m_current && index == currentIndex())
            emit SelectedTabClicked();
    });
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0 || index == m_current) {
            m_current = index < 0 ? 0 : index;
            return;
        }
        m_current = index;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        emit TabSelected(index);
        QApplication::restoreOverrideCursor();
    });
    connect(this, &QTabBar::tabMoved, this, [this](int, int) { m_current = currentIndex(); });
    connect(this, &QTabBar::tabCloseRequested, this, &PaneTabWnd::CloseRequested);
}

void PaneTabWnd::SetBorder(bool on)
{
    m_border = on;
    setContentsMargins(on ? 1 : 0, on ? 1 : 0, on ? 1 : 0, on ? 1 : 0);
    update();
}

void PaneTabWnd::paintEvent(QPaintEvent* event)
{
    QTabBar::paintEvent(event);
    if (!m_border)
        return;
    QPainter painter(this);
    const int right = width() - 1, bottom = height() - 1;
    painter.setPen(caption::kSchemeBorder);
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.drawLine(right, 0, right, bottom);
    painter.setPen(caption::kLightLine);
    painter.drawLine(1, bottom, right - 1, bottom);
}

TabHostWnd::TabHostWnd(QWidget* parent) : QWidget(parent), m_tabs(new PaneTabWnd(this))
{
    m_tabs->show();
}

void TabHostWnd::resizeEvent(QResizeEvent*)
{
    m_tabs->setGeometry(rect());
}
