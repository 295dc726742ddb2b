#pragma once

#include <QString>

/// @short The progress line that long work on the UI thread shows in the
/// program's single wait window.
///
/// Headless code (the document, the text search) reaches the window only
/// through this interface and GetWaitWindow(); the shell implements it.
class IWaitWindow {
public:
    virtual ~IWaitWindow() = default;
    /// Replaces the line when it changed and lets windows repaint. No key or
    /// click reaches the program meanwhile. Returns 0.
    virtual int SetText(const QString& text) = 0;
    /// Repaints and lets windows repaint without changing the line. Returns 0.
    virtual int Pump() = 0;
};

/// @short Makes and destroys the wait window over the main window; the
/// frame installs one (SetWaitWindowHost). Tests install their own.
class IWaitWindowHost {
public:
    virtual ~IWaitWindowHost() = default;
    /// A new wait window with its first line, owned by the host; null when
    /// it cannot be made.
    virtual IWaitWindow* OpenWaitWindow(const QString& text) = 0;
    /// Destroys the window made by OpenWaitWindow.
    virtual void CloseWaitWindow(IWaitWindow* window) = 0;
};

/// Installs the host (not owned; nullptr removes it, closing a shown window
/// first) and returns the one installed before.
IWaitWindowHost* SetWaitWindowHost(IWaitWindowHost* host);

/// The program-wide pointer: the wait window while one is shown, otherwise
/// null. Callers test it before use.
IWaitWindow* GetWaitWindow();

/// Replaces any shown wait window by a new one. False when the installed
/// host could not make one. Without a host (no main window: tools, tests)
/// nothing is shown and the result is true.
bool ShowWaitWindow(const QString& text = QString());
/// Destroys the shown wait window and clears the pointer; nothing when none.
void CloseWaitWindow();
/// Sets the line of the shown wait window; nothing when none is shown.
void SetWaitText(const QString& text);

/// Starts the wait cursor (nothing without a GUI application) and returns
/// `value`. Calls nest; each BeginWait is ended by one EndWait.
int BeginWait(int value = 0);
void EndWait();

/// The wait cursor for a scope.
struct WaitCursor {
    WaitCursor() { BeginWait(); }
    ~WaitCursor() { EndWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
