#pragma once

// Named ids of the exchange subsystem: the texts of the project merge.

namespace MergeText {
enum : int {
    ReplaceCodeMemosQuestion = 19,  ///< Yes: memos of merged codes replace existing ones
    Waiting = 57783,
    ExchangeFile = 194802,  ///< "%1" the file
    Damaged = 194803,       ///< "%1" the file, "%2" the reason
    WriteFailed = 194804,   ///< "%1" the file, "%2" the reason
};
}

// Texts of the teamwork exchange.
namespace ExchangeText {
enum : int {
    NotExchangeFile = 201000,     ///< "%1" the file
    JetExchangeFile = 201001,     ///< "%1" the file
    Damaged = 201002,             ///< "%1" the file, "%2" the reason
    ExportFailed = 201003,        ///< "%1" the file, "%2" the reason
    ImportFailed = 201004,        ///< "%1" the file, "%2" the reason
    ProtocolNotWritten = 201005,  ///< "%1" the file, "%2" the reason
    FolderFailed = 201006,        ///< "%1" the file, "%2" the reason
    Codings = 661,
    Variables = 662,
    Values = 663,
    Memos = 664,
    Code = 1040,
    Codes = 1043,
    Documents = 57734,
    Paragraphs = 201007,  ///< the protocol's label of a coding's paragraphs
    NotImported = 102131,
    Links = 102137,
    TextsDiffer = 102330,
    CodeSystemName = 57668,
    ExportWaiting = 57786,
    ImportWaiting = 57787,
    CodeExportWaiting = 57829,
    CodeImportWaiting = 57830,
};
}

// Named ids of the table exports.
namespace ExportText {
enum : int {
    Progress = 3130,           ///< "%1 of %2"
    CodingsTitle = 57723,
    MemosTitle = 102199,
    LinksTitle = 546,
    VariablesTitle = 547,
    CodedTextCaption = 1045,
    MemoTextCaption = 1044,
    HitCaption = 57855,
    MemoSourceFirst = 102143,  ///< the memo sources 0 to 6 follow in order
    HtmlTableTitle = 102233,
    GroupHeader = 57835,
    DocumentHeader = 57836,
    MatrixTitle = 3131,
    NotWritten = 200000,          ///< "%1" the file, "%2" the reason
    CharactersReplaced = 200001,  ///< "%1" the count, "%2" the file
    FoldersIncomplete = 200002,   ///< "%1" the count, "%2" the names
    NoSheet = 200003,
    TooLarge = 200004,
    CellNotWritten = 200005,
};
}

// Texts of the table imports and the project workbooks.
namespace TableImportText {
enum : int {
    MissingKey = 211000,
    ReadingTable = 211001,
    Progress = 211002,           ///< "%1" the rows done
    SegmentsWaiting = 211003,
    SegmentsProgress = 211004,   ///< "%1" the documents done
    VariablesWaiting = 211005,
    SummaryDocuments = 211006,
    SummaryCodes = 211007,
    SummaryVariables = 211008,
    SummaryNotImported = 211009,
    ReplaceQuestion = 211020,    ///< "%1" the number of documents
    Failed = 211021,             ///< "%1" the reason
    CodeListReport = 211027,     ///< "%1" rows, "%2" new codes, "%3" memos, "%4" rows skipped
    NoCodeColumns = 211028,
    CodeHeader = 57841,
    NotImported = 57857,
};
}
