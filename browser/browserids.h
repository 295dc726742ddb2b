#pragma once

// Named numbers of the document browser: its children's control ids, the
// request masks it sends its owner, the kinds of items it names, edit
// flags, command ids and text ids.

#include "document/listnotifyinfo.h"

#include <QtGlobal>

/// Control ids of the browser's children.
namespace BrowserControl {
constexpr int StripeMargin = 503;
constexpr int ParagraphMargin = 504;
constexpr int Header = 505;
constexpr int Text = 506;
constexpr int MemoMargin = 516;
constexpr int Viewer = 13103;
}  // namespace BrowserControl

/// What the browser asks of a document (ListNotifyInfo topic 5), by use.
namespace BrowserRequest {
using namespace ListNotifyMask;
/// Everything opening needs: icon, full name, content, kind, view, tab name.
constexpr quint32 OpenDocument = Image | FullName | Content | DocumentType | View | SecondText;
/// A tab without showing the document.
constexpr quint32 AddTab = Image | SecondText;
/// A tab restored from the project's tab list.
constexpr quint32 RestoreTab = Image | DocumentType | SecondText;
/// Name or state of a document with a tab changed.
constexpr quint32 DocumentChanged = Image | FullName | DocumentType | SecondText;
/// The code's colour and state bits (topic 8).
constexpr quint32 CodeColour = Colour | State;
}  // namespace BrowserRequest

/// Kinds the browser names in requests and drops.
namespace BrowserKind {
constexpr qint32 Selection = 15;   ///< the browser's text selection, as a drop target the browser
constexpr qint32 CaptionMenu = 10; ///< the pane menu of the caption
}  // namespace BrowserKind

/// Bits of the edit flags of stripes, memos, links and time marks.
namespace EditFlag {
constexpr quint32 Edited = 0x2;
constexpr quint32 Deleted = 0x4;
}  // namespace EditFlag

/// How OpenDocument shows a document.
namespace OpenMode {
constexpr qint32 ActiveTab = 0;
constexpr qint32 NewTab = 1;
constexpr qint32 TabOnly = 2;
}  // namespace OpenMode

/// Kinds of link items.
namespace LinkType {
constexpr qint32 Anchor = 0;    ///< to another anchor of the project
constexpr qint32 External = 1;  ///< to a file or an address
constexpr qint32 Geo = 2;       ///< to a map file (".kml")
}  // namespace LinkType

/// Text ids of the browser.
namespace BrowserText {
constexpr int LinkWithoutTarget = 3120;
constexpr int ImagePreview = 192000;  ///< "<IMAGE>", the preview of an area coding
constexpr int OpenLocalFile = 192001; ///< asks before a local file of a link is opened; "%1" the file
constexpr int LinkNotOpened = 192002; ///< "%1" the target
constexpr int CommitFailed = 192003;  ///< the edited text could not be stored
constexpr int NoRetrievedSegments = 57828;  ///< coding all segments of an empty pane
// Texts of commands whose text id is not their command id.
constexpr int CommandUndo = 57643;
constexpr int CommandCodeToolWindow = 100041;
constexpr int CommandZoomIn = 102065;
constexpr int CommandZoomOut = 102066;
constexpr int CommandZoomReset = 102067;
}  // namespace BrowserText

/// The frame's commands that act on the browser or code its selection.
namespace BrowserCommand {
constexpr int UndoAll = 23100;
constexpr int Undo = 23101;
constexpr int Cut = 23102;
constexpr int Copy = 23103;
constexpr int Paste = 23104;
constexpr int Bold = 32799;
constexpr int Italic = 32800;
constexpr int Underline = 32802;
constexpr int ZoomIn = 6105;
constexpr int ZoomOut = 6106;
constexpr int ZoomReset = 6107;
constexpr int CodeInVivo = 32904;               ///< Ctrl+I: the selected words become the code
constexpr int CodeWithNewCode = 33137;          ///< Ctrl+W
constexpr int CodeToolWindow = 33265;           ///< opens the code tool window
constexpr int CodesToToolWindow = 20148;        ///< code-tree context command
constexpr int CodeSegments = 20108;             ///< retrieved-segments context command: with a quick code
constexpr int CodeSegmentsWithNewCode = 20165;  ///< retrieved-segments context command
}  // namespace BrowserCommand

/// Layout constants of the browser window.
namespace BrowserLayout {
constexpr int HeaderHeight = 14;
constexpr int MinMarginWidth = 23;
constexpr int DefaultCodesWidth = 115;
constexpr int HalfWidthAbove = 161;  ///< wider windows limit the codes column to half their width
constexpr int LabelHeight = 13;
}  // namespace BrowserLayout
