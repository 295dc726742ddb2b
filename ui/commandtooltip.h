#pragma once

#include <QString>

class QKeySequence;

/// The tooltip of a command: its text without mnemonic, two blanks and the
/// shortcut's text; the text alone without a shortcut.
QString CommandTooltip(const QString& text, const QKeySequence& shortcut);
