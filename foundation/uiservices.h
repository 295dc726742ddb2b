#pragma once

// Small services of the user interface that headless code may call: the
// keys held now and the tooltip of a command. Both answer sensibly without
// an application object (no keys, nothing set).

#include <QString>

class QObject;

/// The modifier keys held now: ModifierKey bits (foundation/ids.h).
int GetModifierKeys();

/// Sets the tooltip of the command's actions: every QAction among window's
/// children (at any depth) whose data() holds the command id. A command the
/// window does not know is ignored. Returns how many actions were changed.
int SetCommandTooltip(QObject* window, int commandId, const QString& text);
