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
// Project commands.
constexpr int NewProject = 32891;
constexpr int OpenProject = 32783;
constexpr int BackupProject = 32892;         ///< save a copy
constexpr int AddProject = 32977;            ///< ID_ADD_PROJECT: merge another project into this one
constexpr int RecentProjectFirst = 33028;    ///< entry 1 of the recent list
constexpr int RecentProjectLast = 33032;     ///< entry 5
constexpr int ShowExternals = 33645;         ///< ID_SHOW_EXTERNALS: the list of external files
constexpr int ArchiveExternals = 33646;      ///< ID_ARCHIVE_EXTERNALS: the external files into one zip file
}  // namespace CommandId

/// The block of the panes' context commands, carried out by one dispatcher.
namespace ContextCommandRange {
constexpr int First = 20001;
constexpr int Last = 20178;
}  // namespace ContextCommandRange

/// Commands of the frame around the two trees.
namespace TreeCommand {
constexpr int NewCode = 20056;            ///< ID_OBJ_CODESYS_NEW: a code at the top level
constexpr int NewSubcode = 20065;         ///< ID_OBJ_WORD_NEW: a code under the menu's code
constexpr int ColourCodes = 20070;        ///< ID_OBJ_WORD_IMAGE_0
constexpr int ColourDocument = 20144;     ///< ID_OBJ_TEXT_SETCOLOR
constexpr int CodesColourFilter = 20115;  ///< the code tree's caption button
constexpr int DocumentsColourFilter = 20117;   ///< the document tree's caption button
constexpr int ImportDocuments = 193700;   ///< the document file import, on the documents root and groups; its text has the same id
}  // namespace TreeCommand

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
// Project commands, file prompts and the start dialog.
constexpr int CommandNewProject = 32891;
constexpr int CommandOpenProject = 32783;
constexpr int CommandBackupProject = 32892;
constexpr int CommandRecentProject = 191600;
constexpr int FilterProjects = 102088;
constexpr int FilterProjectsV3 = 100001;
constexpr int FilterProjectsV2 = 100002;
constexpr int FilterProjectsV1 = 100003;
constexpr int FilterTeamwork = 102276;
constexpr int FilterExchangeXml = 102297;
constexpr int FilterArchives = 57681;
constexpr int FilterExchange = 57682;
constexpr int FilterCodeSystemExchange = 57684;
constexpr int FilterCodeLists = 51002;
constexpr int FilterKml = 101065;
constexpr int TitleNewProject = 57699;
constexpr int TitleOpenProject = 57700;
constexpr int TitleSaveCopy = 57704;
constexpr int CopyFileName = 193411;
constexpr int TitleOpenArchive = 57711;
constexpr int TitleAddProject = 57781;
constexpr int TitleExportExchange = 57784;
constexpr int TitleImportExchange = 57785;
constexpr int TitleSaveCodeList = 51003;
constexpr int TitleOpenCodeList = 51004;
constexpr int OpenCopyQuestion = 102318;
constexpr int BackupQuestion = 102366;       ///< "%1" days since the last backup
constexpr int BackupRunning = 102367;
constexpr int BackupDone = 102368;           ///< "%1" the backup folder
constexpr int StartOtherProject = 57748;
constexpr int StartRemoveUser = 5770;
constexpr int StartNewProject = 191601;
constexpr int StartOpenProject = 191602;
constexpr int StartUserGroup = 191603;
constexpr int StartProjectGroup = 191604;
constexpr int RecentProjectMissing = 191605;   ///< "%1" the project file
constexpr int ForeignProjectNotAvailable = 191606;   ///< "%1" the chosen file
constexpr int OfficeMissing = 191608;
constexpr int OfficeFailed = 191609;          ///< "%1" the file, "%2" the reason
constexpr int WordListNotWritten = 191610;    ///< "%1" the file, "%2" the reason
constexpr int FileNotReplaced = 191611;       ///< "%1" the file, "%2" the reason
constexpr int ConvertingProject = 191612;     ///< "%1" the older project file
constexpr int OpeningProject = 191613;        ///< "%1" the project file
// Context menus.
constexpr int Activate = 57701;
constexpr int Deactivate = 57702;
constexpr int InsertCopiedCodings = 57759;   ///< "%1" the code whose codings were copied
constexpr int InsertMovedCodings = 57777;    ///< "%1" the code whose codings were cut
constexpr int CodeWithLastCode = 545;        ///< "%1" the code of the latest coding
}  // namespace AppText

/// The file-type codes of CMainFrame::PromptForFile.
namespace ProjectFileType {
constexpr int NewProject = 0;
constexpr int OpenProject = 1;
constexpr int SaveCopy = 2;
constexpr int OpenArchive = 3;
constexpr int SaveProject = 4;
constexpr int AddProject = 5;
constexpr int SaveExchange = 6;
constexpr int OpenExchange = 7;
constexpr int SaveCodeSystemExchange = 8;
constexpr int OpenCodeSystemExchange = 9;
constexpr int SaveCodeList = 10;
constexpr int OpenCodeList = 11;
constexpr int OpenAnyFile = 12;
constexpr int OpenKml = 13;
}  // namespace ProjectFileType

/// Command ids of the table imports and exports.
namespace TableCommand {
constexpr int ImportCodeVariables = 33558;      ///< ID_IMPORT_CODESVARIABLES
constexpr int ExportCodeVariables = 33559;
constexpr int ImportDocumentVariables = 33560;  ///< ID_IMPORT_VARIABLES
constexpr int ExportDocumentVariables = 33561;  ///< ID_EXPORT_VARIABLES
constexpr int ImportMenuText = 209000;  // the one Import submenu of the File menu
}  // namespace TableCommand

/// Command ids of the frame's list commands.
namespace ListWindowCommand {
constexpr int MemosList = 32784;       ///< ID_MAIN_MEMOSLIST
constexpr int SearchHitsList = 32989;
constexpr int CodingsList = 32911;     ///< ID_MAIN_CODINGSLIST
constexpr int CodesList = 32991;       ///< ID_MAIN_WORDSLIST
constexpr int DocumentsList = 32912;   ///< ID_MAIN_VARIABLES
constexpr int DocumentVariables = 33563;   ///< ID_VARS_VARIABLES
constexpr int CodeVariables = 33564;       ///< ID_VARS_CODESVARIABLES
constexpr int WordList = 33067;        ///< ID_QNT_WORDCOUNTER_LAST
constexpr int OverviewList = 33098;
constexpr int GeoLinkList = 33218;     ///< ID_LINKBROWSER
constexpr int Dictionary = 33084;      ///< ID_QNT_DIC
/// The word list's context command: its selected words into the dictionary
/// window's selected category.
constexpr int WordsToCategory = 20119;
}  // namespace ListWindowCommand
