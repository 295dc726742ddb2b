#pragma once

// Named numbers of the frame's memo-list, activation, link and tool
// commands and of the texts they read.

/// Command ids.
namespace ToolCommand {
constexpr int MemosOfUser = 33220;
constexpr int CodeMemosOfUser = 33223;
constexpr int TextMemosOfUser = 33222;
constexpr int MemosOfOpenDocument = 33224;
constexpr int MemoCopy = 33555;            ///< ID_OBJ_MEMO_COPY
constexpr int MemoConvert = 33554;         ///< ID_OBJ_MEMO_CONVERT: the memo becomes a document
constexpr int ResetRetrieval = 33247;
constexpr int ActivateSubcodes = 245;      ///< ID_CODESACTSUBCODES: option 7 on or off
constexpr int ToggleGeoStrip = 5796;
constexpr int MediaMarkDelete = 33535;     ///< ID_OBJ_MEDIAMARK_DELETE
constexpr int SupportInfo = 33565;         ///< ID_SUPPORTINFO
constexpr int MakeCategoricalVariable = 33629;    ///< ID_OBJ_WORD_CATVAR_MAKE
constexpr int DeleteCategoricalVariable = 33630;  ///< ID_OBJ_WORD_CATVAR_DELETE
constexpr int ExtractExternals = 33638;    ///< ID_EXTRACT_EXTERNALS
constexpr int DeactivateAll = 32996;
constexpr int DeactivateDocuments = 20166;  ///< also the document tree's caption button
constexpr int DeactivateCodes = 20167;      ///< also the code tree's caption button
constexpr int UncodeFirst = 21004;          ///< the most recent coding action
constexpr int UncodeLast = 21009;
constexpr int UncodePopup = 32907;
constexpr int InsertExternalLink = 33219;   ///< ID_INSERT_EXTLINK
constexpr int DeleteLink = 33237;           ///< ID_LINK_DELETE
constexpr int InsertGeoLink = 33226;        ///< ID_INSERT_GEOLINK
constexpr int CooccurringFirst = 33152;     ///< entries of the co-occurring codes popup
constexpr int CooccurringLast = 33161;
constexpr int CooccurringPopup = 20084;     ///< ID_OBJ_WORD_INTERSECTION
// Routed here and disabled until the windows that do their work exist.
constexpr int DocumentPortrait = 33201;     ///< ID_DOCPIC
constexpr int EditIdListAtPointer = 32782;
}  // namespace ToolCommand

/// The search-hit list's command on its selected rows.
constexpr int kMarkSearchHitsCommand = 3083;

/// The frame mode set while the co-occurring codes popup of a code is open.
constexpr int kCooccurrenceFrameMode = 8;
constexpr int kMaxUncodeEntries = 6;

/// Text ids.
namespace ToolText {
constexpr int CommandMemosOfUser = 100044;
constexpr int CommandCodeMemosOfUser = 100045;
constexpr int CommandTextMemosOfUser = 100046;
constexpr int CommandMemosOfOpenDocument = 100047;
constexpr int CommandExternalLink = 100345;
constexpr int CommandDeleteLink = 100346;
constexpr int CommandGeoLink = 101064;
constexpr int CommandGeoStrip = 101066;
constexpr int CommandDeactivateDocuments = 20161;
constexpr int CommandDeactivateCodes = 20162;
constexpr int TitleMemosOfUser = 550;
constexpr int TitleCodeMemosOfUser = 551;
constexpr int TitleTextMemosOfUser = 552;
constexpr int AllObjects = 57715;
constexpr int DeleteLinkQuestion = 3121;
constexpr int DeleteMediaMarkQuestion = 102094;
constexpr int DeleteVariableButton = 5768;
constexpr int CancelButton = 57346;
constexpr int DeleteVariableQuestion = 102362;
constexpr int OfferClipboardAddress = 102113;
constexpr int ArchiveFilter = 102254;
constexpr int ExtractTitle = 102255;
constexpr int Extracted = 102256;
constexpr int CodingsMade = 57747;     ///< "%1" the number of new codings
constexpr int NotExtracted = 206000;     ///< "%1" the refused entries, one a line
constexpr int ArchiveNotOpened = 206001; ///< "%1" the archive
constexpr int LinkNotAdded = 206002;
constexpr int MemoNotConverted = 206004;
}  // namespace ToolText
