#pragma once

// Named numbers of the retrieval windows: the segments pane, the
// retrieval-function dialog and the context search bar.

/// Commands the segments pane handles or passes to its owner.
namespace SegmentsCommand {
constexpr int HeaderOrder = 505;        ///< the header's columns were dragged
constexpr int PrintQuestion = 606;      ///< asks about memos, then print without them
constexpr int PrintWithMemos = 608;
constexpr int ExportHtml = 611;
constexpr int ExportDialog = 616;
constexpr int ExportTable = 658;
constexpr int CodeSegments = 20108;     ///< ID_OBJ_SEGMENTS_CODE
constexpr int CodingList = 20109;
constexpr int CodeWithNewCode = 20165;
}  // namespace SegmentsCommand

/// Text ids read by the retrieval windows.
namespace RetrievalText {
// Segment report.
constexpr int Document = 1042;
constexpr int Weight = 57697;
constexpr int Paragraphs = 57698;
constexpr int Code = 1040;
constexpr int MemosInReport = 102324;   ///< yes/no: memos in the RTF export
constexpr int MemosInPrint = 604;       ///< yes/no: memos in the print-out
constexpr int FileNotWritten = 192200;  ///< "%1" path, "%2" reason
// Retrieval-function dialog.
constexpr int DialogCaption = 100426;
constexpr int Ok = 100427;
constexpr int Cancel = 100428;
constexpr int OutputGroup = 100429;
constexpr int VariantP = 100430;
constexpr int VariantR = 100431;
constexpr int VariantPThenR = 100432;
constexpr int RemoveCodes = 100433;
constexpr int TakeActivated = 100434;
constexpr int FunctionGroup = 100435;
constexpr int ExplanationGroup = 100436;
constexpr int IncludeSubcodes = 100437;
constexpr int SegmentCount = 1003;      ///< "%1" the number of segments
constexpr int LinkedCodes = 1043;
constexpr int MinimumCodes = 57860;
constexpr int Distance = 57832;
constexpr int DistanceLabel = 57833;
constexpr int NoQuickCodes = 57744;
constexpr int HelpTooltip = 102059;
// Context search bar.
constexpr int CloseSearch = 32774;
constexpr int NotFound = 102080;
constexpr int SearchButton = 102041;
constexpr int NextHit = 192201;
constexpr int PreviousHit = 192202;
}  // namespace RetrievalText
