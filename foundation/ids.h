#pragma once

// Named numbers of the foundation: the option ids of the four option sets
// and the text ids that foundation code reads itself.

#include <QtGlobal>

/// Options of the set "qda" (the program).
namespace QdaOption {
constexpr qint32 AskBeforeDeleting = 2;
constexpr qint32 CheckNewCodeNames = 3;
constexpr qint32 CodeTreeCheckColumn = 4;
constexpr qint32 MatrixCountsSubcodes = 5;
constexpr qint32 KeepEmbeddedObjects = 6;
constexpr qint32 ActivateWithSubcodes = 7;
constexpr qint32 DefaultWeight = 8;          ///< weight of new codings, 0 to 100
constexpr qint32 QuickCodeCount = 9;
constexpr qint32 ExternalsFolder = 10;
constexpr qint32 PaneLayout = 12;
constexpr qint32 LargeFonts = 13;
constexpr qint32 ResetProfileAtExit = 14;
constexpr qint32 UpdateCheck = 16;
constexpr qint32 UpdateCheckDays = 17;
constexpr qint32 LargeFileQuestionMB = 19;
constexpr qint32 EnglishColumnNames = 21;
constexpr qint32 ExcelFormat = 22;           ///< 0 "XLS", 1 "XLSX"
constexpr qint32 AutomaticBackup = 24;
constexpr qint32 BackupDays = 25;
constexpr qint32 BackupFolder = 26;
constexpr qint32 MediaRate = 28;             ///< real
constexpr qint32 MediaRewind = 29;
constexpr qint32 FootSwitchStamps = 30;
constexpr qint32 FrequenciesWithSubcodes = 31;
}  // namespace QdaOption

/// Options of the set "dictio" (the dictionary module).
namespace DictioOption {
constexpr qint32 WordSeparators = 2;
constexpr qint32 CaseSensitive = 4;
constexpr qint32 StopAtFirstHit = 6;
constexpr qint32 WholeWords = 7;
constexpr qint32 UseStopList = 8;
constexpr qint32 ValidationFile = 9;
constexpr qint32 DictionaryFolder = 10;
}  // namespace DictioOption

/// Options of the set "maps" (the model editor).
namespace MapsOption {
constexpr qint32 SnapToGrid = 2;
constexpr qint32 PictureQuality = 3;
constexpr qint32 LinkDocuments = 4;
}  // namespace MapsOption

/// Options of the set "prnexp" (printing and export).
namespace PrnexpOption {
constexpr qint32 HeaderText = 2;
constexpr qint32 HeaderAlignment = 3;
constexpr qint32 FooterText = 5;
constexpr qint32 FooterAlignment = 6;
constexpr qint32 CodeColumnWidth = 8;
}  // namespace PrnexpOption

/// Text ids of the language table read by foundation code.
namespace FoundationText {
constexpr int ProgramTitle = 1;           ///< the program's name
constexpr int ProgramVersion = 2;         ///< the version text shown after "Version "
constexpr int OptionsNotSaved = 109001;   ///< "%1" the options file, "%2" the reason
constexpr int Column = 102299;            ///< the word of default column labels
constexpr int XlsNeedsOffice = 190101;    ///< ".xls" without LibreOffice; offers ".xlsx"
constexpr int KmlNotReadable = 109115;    ///< "%1" the KML file
constexpr int KmlDamaged = 109116;        ///< "%1" the KML file
constexpr int DeleteExternalCopies = 102281;  ///< asked after the list of copies to delete
constexpr int ReplaceExistingFile = 102282;   ///< "%1" the file name
constexpr int StartProgramQuestion = 190201;  ///< "%1" a program or script about to be started
constexpr int SearchProgress = 57741;     ///< "%1" the kind's name, "%2" objects searched, "%3" hits
constexpr int MemosName = 57716;
constexpr int DocumentsName = 57734;
constexpr int HelpMissing = 109101;       ///< "%1" the help file looked for
constexpr int HelpNotOpened = 109102;     ///< "%1" the help page
}  // namespace FoundationText

/// Bits of GetModifierKeys, as request records carry them.
namespace ModifierKey {
constexpr int Shift = 0x1;
constexpr int Ctrl = 0x2;
constexpr int Alt = 0x4;
}  // namespace ModifierKey
