#pragma once

// Named numbers of the application shell: command ids and the text ids the
// shell reads itself.

/// Command ids of the frame's menus, toolbars and shortcuts.
namespace CommandId {
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
}  // namespace CommandId

/// Text ids of the language table read by the shell.
namespace AppText {
constexpr int AboutProgramName = 100357;
constexpr int AboutWebsite = 100362;
constexpr int AboutDescription = 100363;
constexpr int AboutMail = 100364;
constexpr int AboutSupport = 100365;
constexpr int MenuFile = 190801;
constexpr int MenuHelp = 190802;
constexpr int CommandExit = 190803;
constexpr int CommandAbout = 190804;
constexpr int BadCommandLine = 190807;   ///< "%1" the parser's complaint
constexpr int AboutRights = 190808;
constexpr int AboutCredits = 190809;
constexpr int AboutPdfCredit = 190810;
}  // namespace AppText
