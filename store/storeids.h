#pragma once

// Named codes of the project store: field types, field State bits, topic
// ids and the text ids the store shows.

#include <QtGlobal>

/// Field type codes, as stored in sys_Fields.Type. A descriptor keeps the
/// raw code, since a file may name a code outside this list.
namespace FieldType {
enum : qint32 {
    Integer = 1,    ///< int32
    ShortText = 2,  ///< at most 63 UTF-16 units
    Text = 3,       ///< at most 127 UTF-16 units
    Real = 4,       ///< double
    DateTime = 5,   ///< OLE days (double) and a status
    Blob = 6,       ///< byte block, held by the row buffer
    Memo = 7,       ///< no room in a row; lives in its column only
    Boolean = 8,    ///< int32, 0 false
    LongText = 9,   ///< at most 255 UTF-16 units
};
}

/// Bits of a field descriptor's State (not of a row).
namespace FieldState {
enum : qint32 {
    BuiltIn = 0x01,
    UserVariable = 0x02,
    Derived = 0x04,          ///< IsText, Area and Coverage of codings
    Hidden = 0x08,           ///< left out of the list columns
    NotStored = 0x10,        ///< neither read nor written with the record
    Pinned = 0x20,           ///< first column, only when pinned fields are asked for
    WeightComment = 0x40,
    ValueTable = 0x80,       ///< value lives in sys_Values, not in a column
    FromCode = 0x100,        ///< variable made from a code
    FromFrequencies = 0x200, ///< variable made from a frequency table; left out of text exports, empty in workbooks
};
}

/// Validity of a date-and-time value.
enum class DateStatus : qint32 { Valid = 0, Invalid = 1, Null = 2 };

/// Topic ids: the kinds of project objects. Topics 9 and from 17 up live in
/// memory only.
namespace TopicId {
enum : qint32 {
    DocumentGroups = 2,
    DocumentSets = 4,
    Documents = 5,
    DocumentSetMembers = 6,
    Codes = 8,
    SearchHits = 9,
    Codings = 10,
    Memos = 11,
    Links = 12,
    WordFrequencies = 17,
    DictionaryCategories = 18,
    DictionaryEntries = 19,
    OverviewTable = 20,
    MapLinks = 21,
    DocumentVariables = 22,
    CodeSets = 24,
    CodeSetMembers = 25,
    MediaMarks = 26,
    CodeVariables = 28,
    CoderComparison = 29,
    CoderAgreement = 30,
    RetrievedSegments = 40,  ///< result segments of combined codings; memory only
};
}

/// The topics a project file stores, in the order a project loads them.
inline constexpr qint32 kStoredTopics[] = {
    TopicId::DocumentGroups, TopicId::Documents, TopicId::DocumentSets, TopicId::DocumentSetMembers,
    TopicId::Codes,          TopicId::CodeSets,  TopicId::CodeSetMembers, TopicId::Codings,
    TopicId::Memos,          TopicId::Links,     TopicId::MediaMarks,
};

/// Item kinds of the trees that are not topics; listed as changed objects.
namespace TopicKind {
enum : qint32 {
    DocumentsRoot = 1,
    DocumentSetsRoot = 3,
    CodeSystemRoot = 7,
    Paragraph = 13,
    CodeSetsRoot = 23,
};
}

/// Field ids of the stored topics read by id outside the field dictionary.
namespace DocumentField {
enum : qint32 {
    Index = 1,
    GroupID = 2,
    State = 3,
    Type = 4,      ///< colour: a palette index or a COLORREF
    Text = 5,      ///< the content: rich text, PDF, picture or table image
    Name = 6,
    Date = 7,
    Codes = 8,
    Memos = 9,
    MemoID = 10,
    Author = 11,
    Size = 12,
    DocType = 13,  ///< a DocumentKind
    MediaFile = 14,
    ScaleFactor = 15,
    CodesWndWidth = 16,  ///< first of the view-state fields, in DocumentViewState's order
    ExtLink1 = 25,
    ExtLink2 = 26,
    ExtLink3 = 27,
    ViewStateCount = 9,  ///< view-state fields from CodesWndWidth on
};
}
namespace GroupField {  ///< document groups, document sets and code sets alike
enum : qint32 { State = 2, Name = 3, MemoID = 4 };
}
namespace SetMemberField {  ///< document-set and code-set members
enum : qint32 { SetID = 2, ObjectID = 3 };
}
namespace CodeField {
enum : qint32 {
    Parent = 2,
    State = 3,
    Type = 4,
    Name = 5,
    MemoID = 6,
    Codes = 7,
    ActiveCodes = 8,
    Author = 9,
    Date = 10,
    Variable = 11,     ///< integer document variable made from the code
    CatVariable = 12,  ///< categorical document variable made from the code
};
}
namespace CodingField {
enum : qint32 {
    Type = 2,
    Document = 3,
    Code = 4,
    StartChar = 5,
    FinishChar = 6,
    StartPara = 7,
    FinishPara = 8,
    Weight = 9,
    Preview = 10,
    Text = 11,     ///< the segment as RTF
    Author = 12,
    Date = 13,
    Comment = 14,
    Group = 15,
    PosX1 = 16,
    PosX2 = 17,
    Page = 18,
    IsText = 19,
    Area = 20,
    Coverage = 21,  ///< real: percent of the document
};
}
namespace MemoField {
enum : qint32 {
    GroupID = 1,
    Document = 2,
    Paragraph = 3,
    Code = 4,
    SetID = 5,
    Type = 6,
    Pos = 7,       ///< -1 for a memo of an object, else a position in the document
    Title = 8,
    Author = 9,
    Date = 10,
    Text = 11,     ///< rich text
    Codewords = 12,  ///< blob of 32-bit code ids the memo is linked to
    Preview = 13,
    Page = 14,
    Source = 15,   ///< what the memo is attached to
};
}
namespace MediaMarkField {
enum : qint32 { Document = 1, State = 2, StartChar = 3, Begin = 4, End = 5, Comment = 6 };
}
namespace LinkField {
enum : qint32 {
    Document = 1,
    StartChar = 2,
    FinishChar = 3,
    LinkID = 4,  ///< the other end; 0 while it is missing, -1 for a link to a file or address
    Text = 5,
    PosX1 = 6,
    PosX2 = 7,
    Page = 8,
    IsText = 9,
};
}

/// Content kinds of documents (DocType).
namespace DocumentKind {
enum : qint32 { RichText = 0, Pdf = 1, Picture = 2, Table = 3 };
}

/// Bits of the State of documents and codes (rows, not field descriptors).
namespace ObjectState {
enum : qint32 {
    Expanded = 0x01,
    ShownInBrowser = 0x02,  ///< written to the file
    Activated = 0x04,       ///< memory only
};
}

/// Text ids of the language table used by the store.
namespace StoreText {
enum : int {
    DefaultModelName = 1050,
    TypeText = 57726,
    TypeInteger = 57727,
    TypeReal = 57728,
    TypeDateTime = 57729,
    TypeBoolean = 57733,
    CannotUpgrade = 57788,     ///< "%1" the file, "%2" its format version
    ProjectInUse = 190301,     ///< "%1" the file
    NotAProject = 190302,      ///< "%1" the file
    ProjectMissing = 190303,   ///< "%1" the file
    NeedsConversion = 190304,  ///< "%1" the file
    CannotRead = 190305,       ///< "%1" the file, "%2" the reason
    FileExists = 190306,       ///< "%1" the file
    BadValue = 190307,         ///< "%1" the file, "%2" where and why; the project is not opened
    CannotWrite = 190308,      ///< "%1" the file, "%2" the reason
    DamagedValue = 190309,     ///< "%1" the file, "%2" where and why; read while the project is open
};
}
