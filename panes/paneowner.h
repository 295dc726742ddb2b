#pragma once

#include <QString>

struct NotifyHead;

/// @short Where a pane sends its request records: the main frame's router,
/// which answers each from the open project before the call returns.
///
/// A pane never reads the project itself. Tests answer through a fake. An
/// owner that goes away first clears itself from its panes (SetOwner(nullptr)).
class IPaneOwner {
public:
    virtual ~IPaneOwner() = default;

    /// Answers the record in place. A record the owner does not serve keeps
    /// its presets, so the request counts as unanswered.
    virtual void Request(NotifyHead& record) = 0;
    /// What drag payloads carry to name the open project; empty when none is
    /// open (a payload stamped so is refused by every target).
    virtual QString ProjectIdentity() const = 0;
    /// A command a pane passes on unchanged (new code, print, export, ...);
    /// `pane` is the sender.
    virtual void PaneCommand(int commandId, class CPaneWnd* pane)
    {
        (void)commandId;
        (void)pane;
    }
};
