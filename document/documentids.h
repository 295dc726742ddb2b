#pragma once

// Named numbers of the project document: broadcast kinds that are no
// topics, setup keys, upgrade-step keys and the document's text ids. Field
// ids, topic ids and row State bits are the store's (store/storeids.h).

#include "store/storeids.h"

#include <QtGlobal>

/// Kinds of broadcasts that are neither topics nor tree roots.
namespace BroadcastKind {
/// Parent kind under which the codings, memos and links of the document
/// shown in the browser are announced, with the document's id.
constexpr qint32 OpenDocumentItems = 16;
/// The list of open document tabs.
constexpr qint32 DocumentTabs = 27;
}  // namespace BroadcastKind

/// Keys of sys_Setup that the document reads and writes.
namespace SetupKey {
constexpr char Options[] = "Options";
constexpr char ProjectMemo[] = "ProjectMemo";
constexpr char ColorCodingsFilter[] = "ColorCodingsFilter";
constexpr char ColorCodesFilter[] = "ColorCodesFilter";
constexpr char ColorTextFilter[] = "ColorTextFilter";
constexpr char Codes2Toolbar[] = "Codes2Toolbar";
constexpr char CodeAliasPrefix[] = "Alias_Code_";  ///< followed by the code id
constexpr char AutoBackup[] = "AutoBackup";        ///< "yyyymmdd" of the last automatic backup
}  // namespace SetupKey

/// What a memo is attached to (memo field Source).
namespace MemoSource {
constexpr qint32 None = 0;
constexpr qint32 DocumentPosition = 1;
constexpr qint32 Document = 2;
constexpr qint32 DocumentGroup = 3;
constexpr qint32 Project = 4;
constexpr qint32 Code = 5;
constexpr qint32 DocumentSet = 6;
}  // namespace MemoSource

/// How CKorDoc::AddCoding treats an overlapping coding of the same code.
namespace OverlapMode {
constexpr qint32 Replace = 0;       ///< the existing coding takes the new extent
constexpr qint32 Drop = 1;          ///< the new coding is not written
constexpr qint32 Union = 2;         ///< the existing coding grows to both extents
constexpr qint32 Intersection = 3;  ///< the existing coding shrinks to the common extent
}  // namespace OverlapMode

/// Answers of CKorDoc::FindOverlappingCoding.
namespace OverlapResult {
constexpr qint32 Drop = 0;      ///< an equal coding exists, or mode Drop met an overlap
constexpr qint32 Free = 1;      ///< no coding of the code overlaps
constexpr qint32 Replace = 2;   ///< the record names the coding that takes its extent
constexpr qint32 Combined = 3;  ///< the record names the coding and holds the union or intersection
}  // namespace OverlapResult

/// Fields of the map links (memory only) that name the two links of a pair.
namespace MapLinkField {
constexpr qint32 FirstLink = 2;
constexpr qint32 SecondLink = 10;
}  // namespace MapLinkField

/// Memory-only fields that loading appends to the codes.
namespace CodeFrequencyField {
constexpr qint32 ShareOfCodings = 13;    ///< real: percent of all codings
constexpr qint32 ShareOfActivated = 14;  ///< real: percent of the activated codings
constexpr qint32 DocumentCount = 15;     ///< documents coded with the code
}  // namespace CodeFrequencyField

/// Fields of the variable lists (documents' and codes' variables); the key
/// is the field id of the variable.
namespace VariableListField {
constexpr qint32 Kind = 1;          ///< a VariableKind
constexpr qint32 Name = 2;
constexpr qint32 TypeName = 3;
constexpr qint32 Shown = 4;
constexpr qint32 KindText = 5;
constexpr qint32 DefaultValue = 6;
constexpr qint32 Categorial = 7;
constexpr qint32 VarType = 8;       ///< the field type code
}  // namespace VariableListField

/// The variable list that mirrors the fields of a topic; 0 for a topic
/// without one.
constexpr qint32 VariableListOf(qint32 topic)
{
    return topic == TopicId::Documents ? qint32(TopicId::DocumentVariables)
        : topic == TopicId::Codes      ? qint32(TopicId::CodeVariables)
                                       : 0;
}

/// What a variable-list row stands for.
namespace VariableKind {
constexpr qint32 User = 0;
constexpr qint32 BuiltIn = 1;
constexpr qint32 FromCode = 2;
constexpr qint32 FromFrequencies = 3;  ///< made from a code's frequency table
}  // namespace VariableKind

/// Fields of the dictionary's categories and entries.
namespace CategoryField {
enum : qint32 { Type = 1, Name = 2, Number = 3, Parent = 4, State = 5 };
}
namespace EntryField {
enum : qint32 { Category = 1, Column = 2, Text = 3, Flag1 = 4, Flag2 = 5, Flag3 = 6 };
}
/// The word of a row of the word table (topic 17).
namespace WordTableField {
enum : qint32 { Word = 2 };
}

/// Fields of the search-hit table (topic 9), which the find commands fill.
namespace SearchHitField {
enum : qint32 {
    Type = 1,       ///< not 0: the hit is marked and left out of autocoding and outputs
    Document = 2,
    Text = 3,       ///< the word found
    Start = 4,
    End = 5,
    Page = 6,       ///< the PDF page or the table column (from 1)
    Paragraph = 7,  ///< of the start; the table row + 1 for table cells
    Category = 8,
};
}

/// Fields of the overview table (topic 20): the fixed ones take ids far
/// above any category id; each count column's id is its category's id.
namespace OverviewField {
enum : qint32 {
    Type = 2000000001,
    Group = 2000000002,
    Document = 2000000003,
    Segments = 2000000004,  ///< the coded segments marked for the row
    Code = 2000000005,
    Result = 2000000006,    ///< the hits found; 0 for a row with nothing found
};
}

/// Text ids of the language table used by the document.
namespace DocumentText {
// Progress while a project loads.
constexpr int LoadingGroups = 57768;
constexpr int LoadingDocuments = 57769;
constexpr int LoadingSets = 57770;
constexpr int LoadingSetMembers = 57771;
constexpr int LoadingCodes = 57772;
constexpr int LoadingCodings = 57773;
constexpr int LoadingMemos = 57774;
constexpr int LoadingLinks = 57775;
constexpr int PreparingProject = 57782;

// Default names of new objects ("<word> <key>") and the value of a
// categorical code variable whose largest count is shared.
constexpr int DefaultGroupName = 57669;
constexpr int DefaultDocumentName = 57670;  ///< an empty or table document
constexpr int DefaultRichTextName = 1042;
constexpr int DefaultSetName = 57673;       ///< document sets and code sets
constexpr int DefaultCodeName = 57675;
constexpr int CategoricalTie = 102241;

// Messages of opening, creating and backing up.
constexpr int ConversionFailed = 190401;     ///< "%1" the old file, "%2" the reason
constexpr int ProjectNotLoaded = 190402;     ///< "%1" the file, "%2" the reason
constexpr int TargetIsOpenProject = 190403;  ///< "%1" the file
constexpr int CannotWriteFile = 190404;      ///< "%1" the file, "%2" the reason
constexpr int MergeOpenProject = 194800;    ///< "%1" the file
constexpr int MergeFailed = 194801;

// Variable lists: the kind column.
constexpr int VariableBuiltIn = 101002;
constexpr int VariableUser = 101003;
constexpr int VariableFromCode = 101004;
constexpr int VariableFromFrequencies = 101010;

// Project statistics.
constexpr int StatisticsTitle = 57819;
constexpr int StatisticsGroups = 57820;
constexpr int StatisticsDocuments = 57821;
constexpr int StatisticsVariables = 57822;
constexpr int StatisticsSets = 57823;
constexpr int StatisticsSetMembers = 57824;
constexpr int StatisticsCodes = 57825;
constexpr int StatisticsCodings = 57826;
constexpr int StatisticsMemos = 57827;

// Codings and memos: the default memo title ("<word> <key>") and the wait
// window's lines while codings are copied, moved or undone ("%1" the count).
constexpr int DefaultMemoName = 57710;
constexpr int CopyingCodings = 57760;
constexpr int UndoingCodings = 57761;
constexpr int MovingCodings = 57776;

// Item texts of the tree roots.
constexpr int DocumentsRoot = 57350;
constexpr int SetsRoot = 57665;
constexpr int CodeSystemRoot = 57668;
constexpr int CategoriesRoot = 101038;
}  // namespace DocumentText

/// Text ids of the document file import.
namespace ImportText {
constexpr int CannotImport = 57857;       ///< followed by the path and the reason
constexpr int PromptTitle = 57756;
constexpr int FilterLabel = 102001;
constexpr int LargeFileQuestion = 102283;
constexpr int AllFilesLabel = 102030;
constexpr int MediaPromptTitle = 102197;
constexpr int MediaEmpty = 102320;        ///< after the media file's name
constexpr int MediaNotFound = 102336;
// Reasons given after the path, and the failed write.
constexpr int CannotRead = 193701;
constexpr int NotPdf = 193702;
constexpr int NotPicture = 193703;
constexpr int NotRichText = 193704;
constexpr int OfficeMissing = 193705;
constexpr int NotConverted = 193706;
constexpr int NotWritten = 193707;
}  // namespace ImportText
