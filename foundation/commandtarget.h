#pragma once

#include <QString>

/// @short The state an update handler gives one command: enabled, checked
/// and, when set, a new text. A handler that knows the command marks it
/// handled; a command nobody handles is shown disabled.
struct CCmdUI {
    int id = 0;
    bool enabled = true;
    bool checked = false;
    bool checkable = false;   ///< set by SetCheck: the command shows a check mark
    QString text;             ///< empty keeps the action's text
    bool handled = false;

    void Enable(bool on = true) { enabled = on; handled = true; }
    void SetCheck(bool on) { checked = on; checkable = true; handled = true; }
    void SetText(const QString& newText) { text = newText; handled = true; }
};

/// @short One link of the command route: the active view, its document,
/// the frame and the application each implement it.
///
/// Headless classes (the document) implement it too, so it knows no widget.
/// Both calls run on the UI thread.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    /// Carries the command out; false when this target does not know it, so
    /// the route asks the next one.
    virtual bool OnCommand(int id) = 0;
    /// Fills the state of a command this target knows and returns true;
    /// false passes the question on.
    virtual bool OnUpdateCommand(CCmdUI& ui) = 0;
};
