#pragma once

// Text ids of the structured-text and XML project imports, and the
// command id of the XML project import.

namespace ImportsText {
// The program's own texts.
constexpr int StructuredPromptTitle = 57757;
constexpr int ReadingFile = 57758;
constexpr int CreatingDocument = 57762;   ///< "%1" the running number
constexpr int CodingDocument = 57763;     ///< "%1" the running number, "%2" the count
constexpr int KeepCodeNamesQuestion = 101006;
constexpr int StructuredFilter = 102321;
constexpr int XmlImportDone = 102295;
constexpr int XmlImportWaiting = 102296;
// Added with the imports.
constexpr int ImportMenu = 209000;
constexpr int XmlImportCommand = 209001;   ///< also the command's id
constexpr int XmlPromptTitle = 209002;
constexpr int DamagedRichText = 209010;    ///< "%1" the codec's reason
constexpr int XmlNotWellFormed = 209020;   ///< "%1" file, "%2" line, "%3" column, "%4" reason
constexpr int XmlNotExported = 209021;     ///< "%1" file
constexpr int XmlOutsideFolder = 209022;   ///< "%1" the folder; the paths follow
constexpr int XmlNotWritten = 209023;      ///< "%1" file, "%2" reason
constexpr int WriteFailed = 209024;
}  // namespace ImportsText

namespace ImportsCommand {
/// ID_OBJ_TEXTGROUP_PREPROCESSOR: on the documents root, a group, and in
/// the file menu's imports (top level).
constexpr int StructuredTexts = 20019;
}  // namespace ImportsCommand
