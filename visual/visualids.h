#pragma once

// Named numbers of the model editor: shapes, arrow kinds, hit-test results,
// the byte image's version marks and the texts the headless model code reads.

#include <QtGlobal>

/// Shape kinds of model objects.
namespace ModelShape {
enum : qint32 {
    Ellipse = 0,        ///< free object, also the plain-text object
    Document = 1,
    Code = 2,
    Coding = 3,
    Memo = 4,
    DocumentGroup = 5,
    DocumentSet = 6,
    MemoExclamation = 7,  ///< memo types 1 to 5 take shapes 7 to 11
    MemoQuestion = 8,
    MemoT = 9,
    MemoL = 10,
    MemoM = 11,
    Rectangle = 12,
    RoundedRectangle = 13,
};
}

/// Where a link shows arrow heads.
namespace LinkArrows {
enum : qint32 { None = 0, AtTarget = 1, AtBothEnds = 2, AtSource = 3 };
}

/// Line styles of links.
namespace LinkDash {
enum : qint32 { Solid = 0, Dashed = 1, Dotted = 2 };
}

/// What a hit test or a first-selection query found.
namespace ModelHitKind {
enum : qint32 { Nothing = 0, Object = 1, Link = 2 };
}

/// Interaction modes of the canvas.
namespace CanvasMode {
enum : qint32 { SelectAndMove = 0, Connect = 1, Pan = 2 };
}

/// Hit-test result standing for the whole multiple selection.
inline constexpr qint32 kWholeSelectionHit = 999999999;

/// The byte image: the mark that starts every image written, and the first
/// version that carries the extended object fields. A first value below it
/// is no mark but the header of an unmarked image.
inline constexpr qint32 kModelImageMark = 9080529;
inline constexpr qint32 kModelImageExtendedFields = 9000000;

/// Smallest symbol side that shrinking and resizing keep.
inline constexpr float kMinSymbolSide = 30.0f;
/// The width or height up to which a rectangle counts as empty.
inline constexpr float kEmptyExtent = 1.1920929e-7f;
/// View scale limits of zooming and fitting.
inline constexpr float kMinScale = 0.4f;
inline constexpr float kMaxScale = 10.0f;

/// Text ids of the language table read by the headless model code.
namespace VisualText {
enum : int {
    LayerNamePrefix = 1046,  ///< "%s %d" with the layer id
    BaseLayerName = 1047,
    DuplicatePrefix = 1056,  ///< before the old name of a duplicated model
    SaveModelTitle = 1057,
    ModelFilesFilter = 1058,
    OpenModelTitle = 1059,
    ReplaceExistingFile = 102282,  ///< "%1" the file name
    ModelFileUnreadable = 193801,  ///< "%1" the file, "%2" the reason
    ModelFileNotSaved = 193802,    ///< "%1" the file, "%2" the reason
    StoredModelDamaged = 193803,   ///< "%1" the model's name
    ModelFileDamaged = 193804,     ///< "%1" the file
    PictureTitle = 1048,
    PictureFilesFilter = 1049,
    ExportTitle = 1051,
    DashSolid = 1053,
    DashDashed = 1054,
    DashDotted = 1055,
    ShapeEllipse = 101051,
    ShapeRectangle = 101052,
    ShapeRoundedRectangle = 101053,
    PictureQualityScreen = 101060,
    HelpButtonTip = 102059,
    ExportEmptyModel = 198000,
    ExportFailed = 198001,         ///< "%1" the file
};
}

/// Project commands of the object menu, by the topic of the object.
namespace ModelObjectCommand {
enum : int {
    GroupCodings = 20010,
    GroupMemos = 20013,
    GroupDocuments = 20014,
    DocumentCodings = 20021,
    DocumentMemos = 20022,
    DocumentInList = 20023,
    SetCodings = 20041,
    SetMemos = 20042,
    SetDocuments = 20043,
    CodeCodings = 20062,
    CodeMemos = 20063,
};
}
