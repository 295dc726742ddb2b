#pragma once

// Named numbers of the media player, its toolbar, the video window and the
// foot switch: command ids, control ids, text ids and profile names.

/// Commands of the media toolbar (buttons, the time label and the slider).
namespace MediaCommand {
constexpr int Load = 33500;           ///< (re)load the shown document's media file
constexpr int MarkList = 33501;       ///< the time-mark list window
constexpr int FollowMarks = 33502;    ///< the lists follow the current mark
constexpr int Stamp = 33503;          ///< a time stamp at the selection
constexpr int PreviousMark = 33504;
constexpr int Stop = 33505;
constexpr int TogglePlay = 33506;
constexpr int NextMark = 33507;
constexpr int TimeLabel = 33508;      ///< control: the position text
constexpr int Slider = 33509;         ///< control: the position slider; a finished drag seeks
constexpr int Video = 33510;          ///< the video window
}  // namespace MediaCommand

/// Text ids of the media player and its windows.
namespace MediaText {
constexpr int Toolbar = 102027;
constexpr int CommandLoad = 102032;       ///< first of 33500 to 33507, element by element
constexpr int CommandVideo = 102086;
constexpr int NoGraphBuilder = 193400;
constexpr int NoReferences = 193401;
constexpr int NoEventInterface = 193402;
constexpr int VideoTitle = 193403;
}  // namespace MediaText

/// Ids of the media player's windows and timers.
namespace MediaIds {
constexpr int Toolbar = 278;              ///< IDT_MEDIAPLAYER
constexpr int VideoTemplate = 3140;
constexpr int VideoIcon = 26;             ///< image of the frame's image list
constexpr int PositionTimer = 3;
constexpr int PositionTimerMs = 100;
constexpr int VideoMargin = 7;            ///< pixels around the picture in the video window
}  // namespace MediaIds
