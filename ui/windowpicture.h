#pragma once

#include <QString>

class QWidget;

/// Writes what the window shows (its client area, as grabbed from the
/// widget) as a PNG file at `path`. False for no window or a file that could
/// not be written; an existing file then stays as it was.
bool SaveWindowAsPng(QWidget* window, const QString& path);
