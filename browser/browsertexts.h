#pragma once

// Text ids of the language table used by the code tool window and the PDF
// bookmarks pane.

namespace BrowserText {
constexpr int CodeToolCaption = 100600;
constexpr int TickAll = 102198;
constexpr int RemoveTicked = 665;
constexpr int Help = 102059;
// The PDF bookmarks pane: its caption, and the word before a page number.
constexpr int BookmarksCaption = 193708;
constexpr int BookmarkPage = 102085;
}  // namespace BrowserText
