#pragma once

// Named numbers of the application shell: command ids and the text ids the
// shell reads itself.

/// Command ids of the frame's menus, toolbars and shortcuts.
namespace CommandId {
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int PaneDocumentBrowser = 32769;   ///< the view CWhiteView
constexpr int PaneDocumentTree = 32770;      ///< the view CBlauView
constexpr int PaneRetrievedSegments = 32771; ///< the view CBlackView
constexpr int PaneCodeTree = 32772;          ///< the view CGreenView
constexpr int RetrievalFunction = 20101;     ///< ID_OBJ_SEGMENTS_LOGIC_EDIT: the retrieval-function dialog
constexpr int ShowSegmentMemos = 6203;       ///< ID_SEG_SHOWMEMO: memos in the retrieved segments on or off
}  // namespace CommandId

/// Text ids of the language table read by the shell.
namespace AppText {
constexpr int AboutProgramName = 100357;
constexpr int AboutWebsite = 100362;
constexpr int AboutDescription = 100363;
constexpr int AboutMail = 100364;
constexpr int AboutSupport = 100365;
constexpr int DocumentTree = 57347;
constexpr int CodeTree = 57348;
constexpr int DocumentBrowser = 57349;
constexpr int RetrievedSegments = 5735;
constexpr int HidePane = 32774;
constexpr int MaximisePane = 32775;
constexpr int RestorePanes = 57789;
constexpr int MenuWindow = 190811;
constexpr int FrameToolbar = 102008;
constexpr int MenuFile = 190801;
constexpr int MenuHelp = 190802;
constexpr int CommandExit = 190803;
constexpr int CommandAbout = 190804;
constexpr int BadCommandLine = 190807;   ///< "%1" the parser's complaint
constexpr int AboutRights = 190808;
constexpr int AboutCredits = 190809;
constexpr int AboutPdfCredit = 190810;
}  // namespace AppText
