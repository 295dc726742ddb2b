#pragma once

// Text ids of the language table used by the code tool window.

namespace BrowserText {
constexpr int CodeToolCaption = 100600;
constexpr int TickAll = 102198;
constexpr int RemoveTicked = 665;
constexpr int Help = 102059;
}  // namespace BrowserText
