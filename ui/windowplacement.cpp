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

bool WindowPlacement::Read(const QString& text, WindowPlacement& placement)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 10)
        return false;
    int values[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    const QRect normal(QPoint(values[6], values[7]), QPoint(values[8] - 1, values[9] - 1));
    if (normal.width() <= 0 || normal.height() <= 0)
        return false;
    placement.flags = values[0];
    placement.showCommand = values[1];
    placement.normal = normal;
    return true;
}

WindowPlacement WindowPlacement::FromText(const QString& text)
{
    WindowPlacement placement;
    if (!Read(text, placement) || placement.showCommand < Normal || placement.showCommand > Maximised)
        return {};
    // A frame that was minimised opens normally: a start that shows nothing
    // looks like a start that failed.
    if (placement.showCommand == Minimised)
        placement.showCommand = Normal;
    placement.kept = true;
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
