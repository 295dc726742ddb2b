#pragma once

#include <QtGlobal>

/// @short What an ObjectListRegistry asks of its owner, the main frame, after
/// the panes have had a broadcast.
///
/// The registry is headless; the frame implements this and sets itself as
/// the registry's owner, tests fake it. An owner that goes away first clears
/// itself from the registry (ObjectListRegistry::SetOwner(nullptr)).
class RegistryOwner {
public:
    virtual ~RegistryOwner() = default;

    /// After every pane re-read (topic, id): for a code (topic 8, id above 0)
    /// the frame re-reads or drops its quick-code entry and repaints the code
    /// tool window. The answer is passed on by ObjectListRegistry::NotifyChange.
    virtual bool OnObjectChanged(qint32 topic, qint32 id) = 0;
    /// After every pane removed (topic, id): a code leaves the quick-code
    /// list and the code tool window; for a coding the open codings list
    /// window is brought up to date.
    virtual void OnObjectDeleted(qint32 topic, qint32 id) = 0;
    /// After every pane was reset: empties the main tool bar's quick-code list.
    virtual void ClearQuickCodes() = 0;
    /// Rebuilds the shared list font and applies it to the panes and the open
    /// list windows.
    virtual void RefreshListFont() = 0;
};
