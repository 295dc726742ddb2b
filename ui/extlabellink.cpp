#include "ui/extlabellink.h"

#include "foundation/stringstore.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CExtLabelLink::CExtLabelLink(const QString& link, QWidget* parent) : QLabel(parent), m_link(link)
{
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    applyColour();
}

QString CExtLabelLink::Link() const
{
    if (!m_link.isEmpty())
        return m_link;
    const QString byId = m_controlId ? LoadString(m_controlId) : QString();
    return byId.isEmpty() ? text() : byId;
}

void CExtLabelLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    const QString link = Link();
    if (link.isEmpty())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromUserInput(link))) {
        QApplication::beep();
        return;
    }
    m_colour = kVisitedColour;
    applyColour();
}

void CExtLabelLink::applyColour()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, m_colour);
    setPalette(p);
}
