#pragma once

// Text ids of the language table used by the code tool window and the
// colour picker.

namespace BrowserText {
constexpr int ColourPickerCaption = 1159;
constexpr int OtherColour = 102316;
constexpr int ColoursInUse = 102317;
constexpr int ColourGreen = 102331;
constexpr int ColourBlue = 102332;
constexpr int ColourRed = 102333;
constexpr int ColourViolet = 102334;
constexpr int ColourOlive = 102335;
constexpr int CodeToolCaption = 100600;
constexpr int TickAll = 102198;
constexpr int RemoveTicked = 665;
constexpr int Help = 102059;
}  // namespace BrowserText
