#pragma once

// The frame's help, formatting, toolbar, language and navigation commands:
// their ids, the texts they read, and the places of the files and pages
// that the help commands open.

#include <QString>

/// Help and information commands.
namespace HelpCommand {
constexpr int Tips = 33125;              ///< ID_HELP_TIPPS: the tip of the day
constexpr int Help = 33664;              ///< ID_HELP_QDA: the program's help
constexpr int DictionaryHelp = 33665;    ///< ID_HELP_QNT: the dictionary module's help
constexpr int Shortcuts = 33262;         ///< ID_SHORTCUTS: help topic 1057
constexpr int MixedMethods = 33633;      ///< ID_HELP_MIXEDMETHODS: help topic 1043
constexpr int Introduction = 33571;      ///< ID_HELP_INTRO: the introduction (PDF)
constexpr int News = 33634;              ///< ID_HELP_NEWS: what is new (PDF)
constexpr int Manuals = 33570;           ///< ID_HELP_MANUAL: the manuals page
constexpr int DictionaryManuals = 33572; ///< ID_HELP_QNT_MANUAL
constexpr int Tutorials = 33144;         ///< ID_HELP_TUTORIAL
constexpr int ShortcutsTopic = 1057;
constexpr int MixedMethodsTopic = 1043;
}  // namespace HelpCommand

/// Formatting of the browser's text while it is edited.
namespace FormatCommand {
constexpr int FontSize = 500;        ///< the font size combo
constexpr int FontName = 501;        ///< the font name combo
constexpr int QuickCodes = 502;      ///< the quick-code combo
constexpr int TextColour = 513;      ///< the colour button
constexpr int AlignLeft = 33249;
constexpr int AlignCentre = 33250;
constexpr int AlignRight = 33251;
constexpr int WrapLines = 33253;
constexpr int CutButton = 30027;     ///< the toolbar's cut, copy and paste
constexpr int CopyButton = 30025;
constexpr int PasteButton = 30026;
constexpr int EditText = 199100;     ///< "Edit text": the browser's text becomes editable
constexpr int WrapDefault = 40;
constexpr int WrapMinimum = 20;
}  // namespace FormatCommand

/// Toolbar ids; each bar's toggle command has the same id.
namespace ToolbarId {
constexpr int Frame = 128;        ///< IDT_FRAME, the main toolbar
constexpr int CodeBar = 145;      ///< IDT_CODEBAR: never made
constexpr int Qnt = 146;          ///< IDT_QNT: never made
constexpr int ColourCoding = 148; ///< IDT_COLORCODING: never made
constexpr int Visual = 149;       ///< IDT_VISUAL
constexpr int Language = 254;     ///< IDT_LANGUAGE
constexpr int MediaPlayer = 278;  ///< IDT_MEDIAPLAYER
constexpr int Document = 285;     ///< IDT_DOCUMENT
}  // namespace ToolbarId

/// The language menu: ID_LANGUAGE_GER (index 0) to ID_LANGUAGE_POL (12).
namespace LanguageCommand {
constexpr int First = 39000;
constexpr int Last = 39012;
}  // namespace LanguageCommand

/// Moving between panes and document tabs, and the states the frame keeps.
namespace NavigationCommand {
constexpr int NextPane = 23003;
constexpr int PreviousPane = 23007;
constexpr int SearchBar = 290;
constexpr int CloseTab = 23013;
constexpr int NextTab = 23014;
constexpr int PreviousTab = 23015;
constexpr int CopySegments = 33660;   ///< the retrieved segments to the clipboard
constexpr int AlwaysOff = 32906;
constexpr int NoBrowserFirst = 33146; ///< 33146 to 33150: disabled while the browser exists
constexpr int NoBrowserLast = 33150;
constexpr int OptionsLayout = 51006;  ///< ID_OPTIONS_LAYOUT
}  // namespace NavigationCommand

/// Texts of these commands and dialogs.
namespace FrameHelpText {
constexpr int MenuEdit = 199000;
constexpr int MenuToolbars = 199001;
constexpr int MenuLanguage = 199002;
constexpr int CommandTips = 199003;
constexpr int CommandHelp = 199004;
constexpr int CommandDictionaryHelp = 199005;
constexpr int CommandShortcuts = 199006;
constexpr int CommandMixedMethods = 199007;
constexpr int CommandIntroduction = 199008;
constexpr int CommandNews = 199009;
constexpr int CommandManuals = 199010;
constexpr int CommandDictionaryManuals = 199011;
constexpr int CommandTutorials = 199012;
constexpr int CommandAlignLeft = 199013;
constexpr int CommandAlignCentre = 199014;
constexpr int CommandAlignRight = 199015;
constexpr int CommandTextColour = 199016;
constexpr int CommandNextPane = 199017;
constexpr int CommandPreviousPane = 199018;
constexpr int CommandSearchBar = 199019;
constexpr int CommandCloseTab = 199020;
constexpr int CommandNextTab = 199021;
constexpr int CommandPreviousTab = 199022;
constexpr int CommandCopySegments = 199023;
constexpr int CommandOptionsLayout = 199024;
constexpr int FontName = 199025;
constexpr int FontSize = 199026;
constexpr int ManualMissing = 199027;   ///< "%1" the file
constexpr int AddressNotOpened = 199028; ///< "%1" the file or address
constexpr int TipsTitle = 199029;
constexpr int TipsShowOnStartUp = 199030;
constexpr int TipsNext = 199031;
constexpr int TipsPrevious = 199032;
constexpr int Close = 199033;
constexpr int ViewerCopy = 199034;
constexpr int ViewerRelated = 199035;
constexpr int ViewerSave = 199036;
constexpr int ToolbarCodeBar = 199053;
constexpr int ToolbarQnt = 199054;
constexpr int ToolbarLanguage = 199055;
constexpr int ToolbarColourCoding = 199056;
constexpr int ToolbarVisual = 199057;
constexpr int ToolbarDocument = 199058;
constexpr int LanguageFirst = 199040;   ///< 199040 to 199052: the languages' names
constexpr int EditTextCommand = FormatCommand::EditText;   ///< "Edit text"
}  // namespace FrameHelpText

/// A manual's file: `format` ("%1Manuals/%2/kv10intro_%3.pdf" style, three
/// places) with the program folder and the language code twice; when that
/// file does not exist, the same with `fallbackCode`.
QString LocalisedFile(const QString& format, const QString& folder, const QString& code, const QString& fallbackCode);

/// The program's own places of its help files and pages (string resources
/// 103, 108, 105, 107, 111 to 115 and 100).
namespace HelpResource {
QString IntroductionFormat();   ///< 103
QString NewsFormat();           ///< 108
QString TipsFolderFormat();     ///< 100: "%1Tipps/%2/"
/// The tutorials page: German (0), Spanish (2), else English.
QString TutorialAddress(int languageIndex);
/// The manuals page: German (0), else English.
QString ManualsAddress(int languageIndex);
/// The dictionary module's manuals page: German (0), else English.
QString DictionaryManualsAddress(int languageIndex);
}  // namespace HelpResource
