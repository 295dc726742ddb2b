#include "foundation/uiservices.h"

#include "foundation/ids.h"
#include "foundation/uimessages.h"

#include <QAction>
#include <QGuiApplication>

int GetModifierKeys()
{
    if (!HasGuiApplication())
        return 0;
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    int keys = 0;
    if (held & Qt::ShiftModifier)
        keys |= ModifierKey::Shift;
    if (held & Qt::ControlModifier)
        keys |= ModifierKey::Ctrl;
    if (held & Qt::AltModifier)
        keys |= ModifierKey::Alt;
    return keys;
}

int SetCommandTooltip(QObject* window, int commandId, const QString& text)
{
    if (!window)
        return 0;
    int changed = 0;
    for (QAction* action : window->findChildren<QAction*>()) {
        bool ok = false;
        if (action->data().toInt(&ok) == commandId && ok) {
            action->setToolTip(text);
            ++changed;
        }
    }
    return changed;
}
