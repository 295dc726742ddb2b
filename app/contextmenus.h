#pragma once

// The context menus of the project panes: which menu a node kind gets, the
// items of each menu, and the node the last menu was opened on.

#include <QList>
#include <QPoint>
#include <QtGlobal>

/// Menu ids of the context menus, by the node they serve.
namespace ContextMenuId {
constexpr int Document = 135;
constexpr int DocumentsRoot = 143;
constexpr int DocumentGroup = 146;
constexpr int DocumentSetsRoot = 147;
constexpr int DocumentSet = 148;
constexpr int SetMember = 149;
constexpr int CodeSystemRoot = 150;
constexpr int Code = 151;
constexpr int Coding = 152;
constexpr int Memo = 154;
constexpr int EmptyMemo = 155;
constexpr int RetrievedSegments = 180;
constexpr int WordList = 181;
constexpr int ParagraphMargin = 242;   ///< text margin sub-kind 0
constexpr int CodeSetsRoot = 1002;
constexpr int CodeSet = 1003;
constexpr int CodeSetMember = 1004;
constexpr int MemoHeader = 1005;
constexpr int TextMargin1 = 1008;      ///< text margin sub-kind 1
constexpr int TextMargin2 = 1009;      ///< text margin sub-kind 2
constexpr int MediaMark = 1010;
constexpr int TextMargin3 = 1011;      ///< text margin sub-kind 3
constexpr int GeoLink = 1013;
constexpr int Kind32 = 1014;
}  // namespace ContextMenuId

/// Node kinds of the panes as context requests carry them.
namespace NodeKind {
constexpr qint32 DocumentsRoot = 1;
constexpr qint32 DocumentGroup = 2;
constexpr qint32 DocumentSetsRoot = 3;
constexpr qint32 DocumentSet = 4;
constexpr qint32 Document = 5;
constexpr qint32 SetMember = 6;
constexpr qint32 CodeSystemRoot = 7;
constexpr qint32 Code = 8;
constexpr qint32 SearchHit = 9;
constexpr qint32 Coding = 10;
constexpr qint32 Memo = 11;
constexpr qint32 Paragraph = 13;
constexpr qint32 EmptyStrip = 14;
constexpr qint32 TextMargin = 15;
constexpr qint32 WordListEntry = 17;
constexpr qint32 DictionaryCategory = 18;
constexpr qint32 DictionaryWord = 19;
constexpr qint32 WordTableEntry = 20;
constexpr qint32 GeoLink = 21;
constexpr qint32 CodeSetsRoot = 23;
constexpr qint32 CodeSet = 24;
constexpr qint32 CodeSetMember = 25;
constexpr qint32 MediaMark = 26;
constexpr qint32 Kind32 = 32;
}  // namespace NodeKind

/// Control ids of the panes that send requests.
namespace PaneControlId {
constexpr qint32 DocumentBrowser = 507;
constexpr qint32 DocumentTree = 508;
constexpr qint32 CodeTree = 510;
constexpr qint32 RetrievedSegments = 511;
constexpr qint32 CodingStripe = 503;   ///< the browser's coding-stripe margin
}  // namespace PaneControlId

/// @short The node the last context menu was opened on: filled by the
/// context request, read by the one command that follows, then reset.
struct ContextTarget {
    qint32 kind = 0;
    qint32 extra = 0;             ///< a second value of the pane
    qint32 item = 0;              ///< the item's key in its topic
    QList<quint32> selection;     ///< every selected id where a pane selects several
    QPoint point;                 ///< the click, screen coordinates
    qint32 sender = 0;            ///< control id of the sending pane

    void Reset() { *this = ContextTarget(); }
};

/// @short What the context commands remember from one command for a later
/// one: a copied code, the code whose codings are copied or moved, a memo to
/// insert. 0 means none.
struct ContextClipboard {
    qint32 copiedCode = 0;
    qint32 codingsSource = 0;
    bool codingsCopy = true;      ///< copy (true) or move (false) of codingsSource's codings
    qint32 memoToInsert = 0;
    bool operator==(const ContextClipboard&) const = default;
};

/// One item of a context menu: a command, or a separator (command 0).
struct ContextMenuItem {
    int command;
    bool IsSeparator() const { return command == 0; }
};

/// The items of a context menu in order; empty for an unknown menu id.
QList<ContextMenuItem> ContextMenuItems(int menuId);

/// The menu for a node kind and item (Request of a context menu), given the
/// sender, the number of selected ids and, for a coding, whether it exists
/// with a code; 0 for none.
int ContextMenuFor(qint32 kind, qint32 item, qint32 sender, int selectedCount, bool codingHasCode);
