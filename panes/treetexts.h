#pragma once

// Named numbers of the trees and their dialogs: text ids of the language
// table and the drag kinds that are no tree node kind.

/// Text ids used by the trees, the new-code dialog and the object combo.
namespace TreeText {
constexpr int Created = 57837;
constexpr int Author = 1041;
constexpr int CodedSegments = 57838;
constexpr int DocumentSize = 51005;
constexpr int Memos = 5769;
// The new-code dialog.
constexpr int NewCodeCaption = 100527;
constexpr int InheritColour = 100528;
constexpr int Ok = 100529;
constexpr int Cancel = 100530;
constexpr int NameGroup = 100531;
constexpr int MemoGroup = 100532;
constexpr int NameInUse = 5791;
constexpr int HelpTooltip = 102059;
}  // namespace TreeText

/// Dragged kinds that no tree shows as a node.
namespace TreeDragKind {
constexpr int BrowserSelection = 15;   ///< a text or area selection of the browser or viewer
constexpr int PreviewSelection = 31;   ///< a row of a rich-text preview list
}  // namespace TreeDragKind
