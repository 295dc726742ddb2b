#pragma once

#include <QRect>
#include <QString>

/// @short The frame's window placement as the profile keeps it: flags, show
/// command, minimised and maximised positions (always 0 here), and the
/// normal rectangle as left, top, right, bottom.
struct WindowPlacement {
    enum ShowCommand { Hidden = 0, Normal = 1, Minimised = 2, Maximised = 3 };
    int flags = 0;
    int showCommand = Maximised;
    QRect normal = QRect(QPoint(50, 50), QPoint(539, 539));   // right and bottom 540, exclusive
    /// False for the default placement, when none was kept.
    bool kept = false;

    QString ToText() const;
    /// Reads a text of ten numbers with a normal rectangle of positive size,
    /// whatever its show command; false, `placement` untouched, otherwise.
    static bool Read(const QString& text, WindowPlacement& placement);
    /// The placement of a text of ten numbers; the default for anything else
    /// and for a show command that would hide the window or is unknown.
    static WindowPlacement FromText(const QString& text);
    /// The normal rectangle moved and shrunk onto the available area, so that
    /// the window never opens off the screens present.
    static QRect FitToScreen(const QRect& rect, const QRect& available);
};
