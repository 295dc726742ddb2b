#include "ui/windowplacement.h"

#include <QStringList>

QString WindowPlacement::ToText() const
{
    // The positions of the minimised and maximised window mean nothing here.
    return QStringLiteral("%1,%2,0,0,0,0,%3,%4,%5,%6")
        .arg(flags)
        .arg(showCommand)
        .arg(normal.left())
        .arg(normal.top())
        .arg(normal.right() + 1)
        .arg(normal.bottom() + 1);
}

WindowPlacement WindowPlacement::FromText(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 10)
        return {};
    int values[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    if (values[1] < Normal || values[1] > Maximised)
        return {};
    const QRect normal(QPoint(values[6], values[7]), QPoint(values[8] - 1, values[9] - 1));
    if (normal.width() <= 0 || normal.height() <= 0)
        return {};
    WindowPlacement placement;
    placement.flags = values[0];
    // A frame that was minimised opens normally: a start that shows nothing
    // looks like a start that failed.
    placement.showCommand = values[1] == Minimised ? Normal : values[1];
    placement.normal = normal;
    return placement;
}

QRect WindowPlacement::FitToScreen(const QRect& rect, const QRect& available)
{
    if (available.isEmpty())
        return rect;
    QRect fitted(rect.topLeft(), rect.size().boundedTo(available.size()));
    if (fitted.right() > available.right())
        fitted.moveRight(available.right());
    if (fitted.bottom() > available.bottom())
        fitted.moveBottom(available.bottom());
    if (fitted.left() < available.left())
        fitted.moveLeft(available.left());
    if (fitted.top() < available.top())
        fitted.moveTop(available.top());
    return fitted;
}
