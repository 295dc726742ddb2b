#pragma once

#include <QString>

#include <array>

/// @short What a pane offers the caption strip of the view that hosts it:
/// command buttons in up to seven slots, and whether files from the desktop
/// may be dropped on it.
///
/// The view asks when it takes the pane in and sends the pane a pressed
/// button's command; the pane carries it out or passes it on to its owner.
class IPaneCaption {
public:
    static constexpr int kButtonSlots = 7;

    virtual ~IPaneCaption() = default;
    /// The command of each slot, nearest the search button first; 0 leaves
    /// the slot empty.
    virtual std::array<int, kButtonSlots> CaptionCommands() const = 0;
    /// A caption button of the pane was pressed.
    virtual void OnCaptionCommand(int commandId) = 0;
    /// The tip of a slot's button where the pane words it itself; empty
    /// leaves the command's own tip.
    virtual QString CaptionTip(int commandId) const
    {
        Q_UNUSED(commandId);
        return {};
    }
    /// True when files from the desktop may be dropped on the pane.
    virtual bool AcceptsShellFiles() const { return false; }
};
