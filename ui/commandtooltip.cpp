#include "ui/commandtooltip.h"

#include <QKeySequence>
#include <QRegularExpression>

QString CommandTooltip(const QString& text, const QKeySequence& shortcut)
{
    QString plain = text;
    plain.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    if (shortcut.isEmpty())
        return plain;
    return plain + QStringLiteral("  ") + shortcut.toString(QKeySequence::NativeText);
}
