#pragma once

// What the rich-text views (margins, segment strip, text panes, editor)
// need from the window that owns them: a place to send request records and
// a few calls back. Every call has a do-nothing default, so an owner
// implements only what its views use. The views never read the project
// themselves: the owner hands them plain data and answers here.

#include "document/listnotifyinfo.h"
#include "document/requestowner.h"

#include <QString>

class RichViewOwner {
public:
    virtual ~RichViewOwner() = default;

    /// A request record (follow, open, context menu, set field, ...), answered
    /// in place before the call returns.
    virtual void Request(NotifyHead& record) { Q_UNUSED(record); }

    /// The identity of the open project that drag payloads carry.
    virtual QString ProjectIdentity() const { return {}; }

    /// The text beside the views scrolled, was resized or re-laid out: the
    /// owner lays its margins out again.
    virtual void TextScrolled() {}
    /// The text changed; deleteKey when the Delete key caused it.
    virtual void TextChanged(bool deleteKey) { Q_UNUSED(deleteKey); }
    virtual void SelectionChanged() {}
    virtual void ZoomChanged() {}
    /// Enter went down in an editable text (the foot-switch event).
    virtual void EnterPressed() {}
    /// A mouse button went down in a view: the owner becomes the active pane.
    virtual void Activate() {}

    /// The segment strip's hot box changed (id 0: none).
    virtual void HighlightSegment(qint32 codingId) { Q_UNUSED(codingId); }
    /// The strip drops a segment: the owner removes its text range.
    virtual void DeleteTextRange(int start, int end) { Q_UNUSED(start); Q_UNUSED(end); }

    /// A memo was dropped at y (in the memo margin's coordinates): the
    /// paragraph (1-based) and text position there; false refuses the drop.
    virtual bool ParagraphAtY(int y, int& paragraph, int& position)
    {
        Q_UNUSED(y); Q_UNUSED(paragraph); Q_UNUSED(position);
        return false;
    }
    /// Scroll the text by lines (negative: up) while a memo is dragged past
    /// its edge.
    virtual void ScrollTextLines(int lines) { Q_UNUSED(lines); }
};

/// ModifierKey bits (foundation/ids.h) of an input event's modifiers.
inline int ModifierKeysOf(Qt::KeyboardModifiers held)
{
    int keys = 0;
    if (held & Qt::ShiftModifier)
        keys |= ModifierKey::Shift;
    if (held & Qt::ControlModifier)
        keys |= ModifierKey::Ctrl;
    if (held & Qt::AltModifier)
        keys |= ModifierKey::Alt;
    return keys;
}

/// The colour of the margins' and strip's background.
inline constexpr int kMarginGrey = 232;
