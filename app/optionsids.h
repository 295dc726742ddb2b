#pragma once

// Command ids of the program's settings: options, language, user name,
// search-hit extent, the update check and the document properties.

namespace OptionsCommand {
constexpr int ProgramOptions = 33136;
constexpr int DictionaryOptions = 33096;    ///< ID_QNT_OPTIONS
constexpr int UserName = 33165;
constexpr int SpinSettings = 33001;
constexpr int WebUpdate = 33229;            ///< ID_WEBUPDATE
constexpr int LanguageFirst = 39000;        ///< ID_LANGUAGE_GER; the command is 39000 + the language index
constexpr int LanguageLast = 39012;         ///< ID_LANGUAGE_POL
constexpr int DocumentProperties = 20170;   ///< ID_OBJ_PROPERTIES
}  // namespace OptionsCommand

/// Text ids of the settings commands.
namespace OptionsText {
constexpr int ToolsMenu = 195000;
constexpr int LanguageMenu = 195001;
constexpr int ExternalAtStoredPath = 195002;    ///< "%1" the file
constexpr int ExternalInExternals = 195003;     ///< "%1" the file, "%2" the folder
constexpr int ExternalInProject = 195004;       ///< "%1" the file, "%2" the folder
constexpr int ExternalMissing = 195005;         ///< "%1" the file, "%2" and "%3" the folders searched
constexpr int ExternalNothingDeleted = 195006;
constexpr int ProgramOptionsTitle = 100511;
constexpr int DictionaryOptionsTitle = 100480;
constexpr int HelpTip = 102059;
constexpr int MoveExternalsQuestion = 102261;   ///< "%1" the old folder, "%2" the new one
constexpr int MoveExternalsCaption = 102264;
constexpr int MoveExternalsMove = 102263;
constexpr int MoveExternalsCopy = 102262;
constexpr int MoveExternalsLeave = 102260;
constexpr int FolderNotMade = 101068;           ///< "%1" the folder
constexpr int RestartNeeded = 102021;
constexpr int NewerRelease = 17;                ///< "%1" installed, "%2" offered
constexpr int NoNewerRelease = 1001;
constexpr int NoReleaseServer = 1002;
constexpr int MediaGroup = 102091;
constexpr int MediaFile = 102089;
constexpr int LinksGroup = 102116;
constexpr int Link1 = 102117;
constexpr int Link2 = 102118;
constexpr int Link3 = 102119;
constexpr int MoreGroup = 102120;
constexpr int Flag80 = 100108;
constexpr int HasExternalSource = 102279;
constexpr int ExternalSource = 102280;
constexpr int CheckExternalButton = 102293;
constexpr int DocumentCaption = 1042;
constexpr int NoPlayableLength = 102320;
}  // namespace OptionsText
