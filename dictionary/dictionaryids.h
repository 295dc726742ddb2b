#pragma once

// Ids of the dictionary window: its commands, controls and texts.

/// Commands of the dictionary window (tool bar and shortcuts).
namespace DictCommand {
constexpr int OpenDictionary = 3;
constexpr int SaveDictionary = 4;
constexpr int MergeDictionary = 5;
constexpr int DeleteAllCategories = 6;
constexpr int Close = 8;
constexpr int Help = 9;
constexpr int DeleteCategory = 558;
constexpr int NewCategory = 1093;
constexpr int NewEntry = 1094;
constexpr int DeleteEntries = 1095;
constexpr int ToggleTree = 1247;
constexpr int ExportText = 1248;
constexpr int Enter = 32964;
constexpr int Escape = 32965;
constexpr int SwitchPane = 33052;
constexpr int Delete = 33621;
}  // namespace DictCommand

/// Controls of the dictionary window.
namespace DictControl {
constexpr int Tree = 509;
constexpr int Entries = 1033;
constexpr int Categories = 1132;
constexpr int CategoryLabel = 1133;
constexpr int EntryLabel = 1134;
constexpr int ToolBar = 30013;
}  // namespace DictControl

/// Texts of the dictionary window in the language table.
namespace DictText {
constexpr int WindowTitle = 217;
constexpr int DeleteCategoryQuestion = 33091;
constexpr int DeleteEntriesQuestion = 5759;
constexpr int DeleteAllQuestion = 5760;
constexpr int CategoriesLabel = 100470;
constexpr int EntriesLabel = 100473;
constexpr int NewEntryWord = 5749;
constexpr int NewCategoryName = 5750;
constexpr int DictionaryFilter = 5754;
constexpr int SavePrompt = 5755;
constexpr int OpenPrompt = 5756;
constexpr int TextFilter = 3127;
constexpr int ExportPrompt = 57714;
constexpr int NoDictionary = 194600;
constexpr int CannotOpen = 194601;
constexpr int NotWritten = 194602;
constexpr int ExportFailed = 194603;
}  // namespace DictText

/// The dictionary window's profile section and keys.
namespace DictProfile {
constexpr const char* Section = "dlgQntDic";
constexpr const char* DefaultPath = "DefaultPath";
constexpr const char* TreeView = "CatTreeView";
constexpr const char* SepWidth = "SepWidth";
}  // namespace DictProfile

/// The dialog's help topic.
constexpr int kDictionaryHelpTopic = 3005;
