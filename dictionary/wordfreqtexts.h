#pragma once

// Texts of the word frequencies, the tag cloud, the stop list and the code
// selection dialogs in the language table.

namespace WordFreqText {
constexpr int OptionsTitle = 203000;
constexpr int MinCharsLabel = 203001;
constexpr int UnitGroup = 203002;
constexpr int UnitAll = 203003;       ///< then per document, per document set
constexpr int OnlyActivated = 203006;
constexpr int OnlySegments = 203007;
constexpr int UseStopList = 203008;
constexpr int StopListTitle = 203009;
constexpr int StopListNewWord = 203010;
constexpr int StopListDelete = 203011;
constexpr int StopListReplace = 203012;
constexpr int StopListAdd = 203013;
constexpr int StopListExport = 203014;
constexpr int StopListClose = 203015;
constexpr int StopListFileLabel = 203016;
constexpr int StopListFileError = 203017;
constexpr int TagCloudTitle = 203018;
constexpr int CodeSelectDepth = 203019;
constexpr int CheckAll = 203020;
constexpr int UncheckAll = 203021;
constexpr int CurrentStopList = 101035;
constexpr int GoListCommand = 33090;
constexpr int WordCounterCommand = 33065;
constexpr int TagCloudCommand = 33549;
constexpr int StopListCommand = 33072;
constexpr int WaitProgress = 5748;
constexpr int FileFilter = 5743;
constexpr int ExportTitle = 5744;
constexpr int ReplaceTitle = 5745;
constexpr int AddTitle = 5746;
constexpr int HelpTip = 102059;
}  // namespace WordFreqText
