#pragma once

// Named numbers of the object lists: commands, control ids, text ids and
// the limits their code relies on.

#include <QtGlobal>

/// Commands of the object-list window, its lists and the column menu.
namespace ListCommand {
constexpr int Close = 8;
constexpr int Help = 9;
constexpr int OpenInExcel = 1262;
constexpr int OpenAsHtml = 1165;
constexpr int Export = 1166;
constexpr int CodeSelection = 1167;
constexpr int ButtonCommand = 3144;
constexpr int ToggleVariables = 1169;
constexpr int NewVariable = 1170;
constexpr int DeleteVariable = 1171;
constexpr int VariablesBoolean = 1177;
constexpr int OwnerCommand1178 = 1178;
constexpr int VariablesText = 1181;
constexpr int OwnerCommand1186 = 1186;
constexpr int Hidden1172 = 1172;
constexpr int Hidden23001 = 23001;   ///< memos: a new free memo (shortcut only)
constexpr int SearchHitAction = 3083;
constexpr int Enter = 32964;
constexpr int Escape = 32965;
constexpr int Tab = 33052;
constexpr int Copy = 32966;
constexpr int SelectAll = 33639;
constexpr int Delete = 33621;
constexpr int ConfirmSearchHits = 33001;
constexpr int NewFreeMemo = 33551;
// The column menu of the header.
constexpr int ValuePopup = 22001;
constexpr int FindAndSelect = 22002;
constexpr int HideColumn = 22003;
constexpr int ToggleCategorial = 22007;
constexpr int ChooseColumns = 22008;
}  // namespace ListCommand

/// Messages a list window sends its owner, by their private message number.
namespace ListMessage {
constexpr int CodeHitsWithQuickCode = 9;
constexpr int ExportRtf = 10;
constexpr int WindowClosed = 12;
constexpr int CodeSelectedSegments = 21;
}  // namespace ListMessage

/// Control ids of the window's children.
namespace ListControl {
constexpr int List1 = 1032;
constexpr int List2 = 1034;
constexpr int Preview = 2004;
}  // namespace ListControl

/// Text ids of the language table read by the lists.
namespace ListText {
constexpr int AllObjects = 57715;
constexpr int FoundMemos = 57739;
constexpr int FoundHits = 57740;
constexpr int Documents = 57724;
constexpr int DocumentsCount = 57734;
constexpr int Codes = 1043;
constexpr int SearchHits = 57743;
constexpr int SearchHitsCount = 57742;
constexpr int Codings = 57723;
constexpr int Memos = 57716;
constexpr int MemosCount = 102199;
constexpr int WordFrequencies = 5739;
constexpr int WordFrequenciesCount = 5740;
constexpr int OverviewTable = 5757;
constexpr int OverviewTableCount = 5758;
constexpr int MapLinks = 546;
constexpr int MediaMarks = 102092;
constexpr int CoderComparison = 102168;
constexpr int Objects = 57722;
constexpr int CoderAgreement = 102174;
constexpr int CodeVariables = 102163;
constexpr int DocumentVariables = 547;
constexpr int CodingsCount = 102323;       ///< "%d" codings, two more counts
constexpr int MemoSourceFirst = 102143;    ///< memo sources 0 to 6
constexpr int NoAgreement = 102183;
constexpr int PreviewCoding = 1045;
constexpr int PreviewMemo = 1044;
constexpr int PreviewHit = 57855;
constexpr int ExportProgress = 3130;       ///< "%d" of "%d" rows
constexpr int FilterExcel = 102259;
constexpr int FilterHtml = 3128;
constexpr int FilterRtf = 3129;
constexpr int FilterText = 3127;
constexpr int ExportTitle = 57714;
constexpr int AskUnicode = 100620;
constexpr int FindInColumn = 660;
constexpr int AgreementTitle = 102167;
constexpr int SpinTitle = 100396;
constexpr int SpinLabel = 100398;
constexpr int SpinHit = 100399;
constexpr int SpinSentence = 100400;
constexpr int SpinParagraphs = 100401;
constexpr int SpinButton = 100402;
constexpr int Ok = 102006;
constexpr int Cancel = 102005;
// Our own texts.
constexpr int ExportFailed = 191800;       ///< "%1" the file, "%2" the reason
constexpr int ColumnChooserTitle = 191801;
constexpr int NoColumnName = 191802;
constexpr int NumberOutOfRange = 191804;   ///< "%1" to "%2"
}  // namespace ListText

/// Limits and fixed values of the lists.
namespace ListLimit {
constexpr int MinColumnWidth = 45;         ///< pixels
constexpr int DefaultColumnWidth = 100;
constexpr int ColourColumnWidth = 26;
constexpr int RowHeight = 19;
constexpr int CellMargin = 5;
constexpr int MaxComboRows = 21;
constexpr int MaxCellText = 1024;          ///< units of one cell as the lists keep it
constexpr int MeasuredRows = 2000;         ///< rows sampled for the column widths
constexpr int CachedRows = 4096;           ///< row texts kept between paints
}  // namespace ListLimit
