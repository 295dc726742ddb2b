#pragma once

#include "foundation/ids.h"   // ModifierKey
#include "store/fielddescriptor.h"
#include "store/rowbuffer.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QObject;

// Request records: a window that needs project data or wants the program to
// act on an item builds one of these on its stack, stamps the head and hands
// it synchronously to its owner (the frame), which answers in the same record.
// Nothing keeps a record beyond that one call; the sender owns every member.
// A record is answered only when its handled/found/result flag says so;
// otherwise its answer fields keep the presets below.

/// Request codes, one per kind of request. A record's code is fixed when it
/// is built, so a router may rely on the code to know the record's type.
enum class RequestCode : qint32 {
    GetRecord = -199,            // RecordNotifyInfo: one row of the store (RowBuffer)
    GetFieldDescriptor = -201,   // topic, field id, FieldDescriptor out
    ItemInfo = -202,             // ListNotifyInfo
    ContextMenu = -203,          // IdListNotifyInfo
    FollowItem = -204,           // IdListNotifyInfo
    OpenItem = -205,             // IdListNotifyInfo
    Drop = -206,                 // DropNotifyInfo
    CompareRows = -207,          // CompareRowsNotifyInfo
    SetFieldValue = -208,        // FieldValueNotifyInfo
    DistinctValues = -209,       // DistinctValuesNotifyInfo
    AddField = -210,             // topic, FieldDescriptor in and out
    SetFieldProperty = -211,     // FieldPropertyNotifyInfo
    DeleteField = -212,          // DeleteFieldNotifyInfo
    FieldIds = -213,             // FieldIdsNotifyInfo
    FieldNames = -214,           // FieldNamesNotifyInfo
    ItemChanged = -215,          // ItemNotifyInfo
    DeleteItem = -216,           // ItemNotifyInfo
    ReadSetting = -217,          // SettingNotifyInfo
    WriteSetting = -218,         // SettingNotifyInfo
    DeleteSetting = -219,        // SettingNotifyInfo
    Empty = -220,                // head only; the router answers 0 and calls nothing
    ChangeFieldType = -221,      // FieldTypeNotifyInfo
    ExpandStates = -222,         // ExpandStatesNotifyInfo
};

/// Bits of ListNotifyInfo::mask. In a query they say what to answer, in a
/// change what to apply; "-" in a comment means the bit has no meaning there.
namespace ListNotifyMask {
constexpr quint32 Image = 0x1;              // query: image and documentKind / -
constexpr quint32 Name = 0x2;               // query: display text of template 1 / change: rename
constexpr quint32 FullName = 0x4;           // query: display text of template 2, wins over Name / -
constexpr quint32 LongText = 0x8;           // query: longText / -
constexpr quint32 State = 0x10;             // state, both ways
constexpr quint32 Index = 0x20;             // - / store the sort index
constexpr quint32 Parent = 0x40;            // - / move under newParentTopic, newParentId
constexpr quint32 Content = 0x80;           // content blob, both ways
constexpr quint32 Colour = 0x100;           // query: colour / -
constexpr quint32 Count = 0x200;            // query: count of codings or members / -
constexpr quint32 Memo = 0x400;             // query: memoId / -
constexpr quint32 ColourIndex = 0x800;      // query: raw colour index of a code / -
constexpr quint32 Comment = 0x1000;         // query: comment of a coding / -
constexpr quint32 DocumentType = 0x2000;    // query: documentType / -
constexpr quint32 View = 0x4000;            // zoom and viewState, both ways
constexpr quint32 SecondText = 0x8000;      // query: secondText / -
constexpr quint32 CountSubcodes = 0x10000;  // query: count of a code with its sub-codes / -
}  // namespace ListNotifyMask

/// The head every record begins with.
struct NotifyHead {
    explicit NotifyHead(RequestCode requestCode) : code(requestCode) {}

    QObject* sender = nullptr;   // the sending window, not owned; null when none
    qint32 controlId = 0;        // the sender's control id
    const RequestCode code;
};

/// View state of a document as stored in its row, in this order.
struct DocumentViewState {
    qint32 codesWndWidth = 0;
    qint32 scrollPosPage = 0;
    qint32 scrollPosX = 0;
    qint32 scrollPosY = 0;
    qint32 selPage = 0;
    qint32 selX1 = 0;
    qint32 selY1 = 0;
    qint32 selX2 = 0;
    qint32 selY2 = 0;
};

/// One row of the store (-199). For an area coding read with its blobs
/// the answer also carries the picture of the coded area.
struct RecordNotifyInfo : NotifyHead {
    RecordNotifyInfo() : NotifyHead(RequestCode::GetRecord) {}

    qint32 key = 0;
    qint32 topic = 0;
    bool readBlobs = false;
    int imageHeight = 0;           // in: largest height of the area picture (0: any); out: its height
    int imageWidth = 0;            // in: largest width (0: any); out: its width
    qint32 documentKind = 0;       // out: DocType of a coding's document
    RowBuffer row;                 // out: the row
    bool imageMade = false;        // out: the area picture was made
    QByteArray image;              // out: the area picture (JPEG)
    QByteArray text;               // out with readBlobs: the segment's RTF of a coding or result segment
    bool found = false;
};

/// One field descriptor (-201).
struct FieldDescriptorNotifyInfo : NotifyHead {
    FieldDescriptorNotifyInfo() : NotifyHead(RequestCode::GetFieldDescriptor) {}

    qint32 fieldId = 0;
    qint32 topic = 0;
    FieldDescriptor field;         // out
    bool found = false;
};

/// Adds a user field (-210); the descriptor comes back with its id and
/// column.
struct AddFieldNotifyInfo : NotifyHead {
    AddFieldNotifyInfo() : NotifyHead(RequestCode::AddField) {}

    qint32 topic = 0;
    FieldDescriptor field;         // in and out
    bool result = false;
};

/// Item information (-202): with query set, read what the mask asks; with it
/// clear, apply what the mask names. Handled is true when the item existed and
/// the request was served.
struct ListNotifyInfo : NotifyHead {
    ListNotifyInfo() : NotifyHead(RequestCode::ItemInfo) {}

    qint32 itemId = 0;             // key in its topic; 0 for a root node
    qint32 topic = 0;              // topic or tree node kind
    quint32 mask = 0;              // ListNotifyMask::* bits
    quint8 memoOption = 0;         // passed to the document's memo lookup (ListNotifyMask::Memo)
    qint32 image = 0;              // out: index in the shared item image list
    qint32 documentKind = 0;       // out: 0 text, 1 text with media, 2 PDF, 3 picture, 4 table
    bool imageVariant = false;     // in: items with State bit 4 get the activated image
    QString name;                  // out: display text; change: the new name
    QString secondText;            // out: display text of template 1
    QString longText;              // out: annotation text
    qint32 state = 0;              // State flags, both ways
    qint32 index = 0;              // change: new sort index
    qint32 newParentTopic = 0;     // change: topic of the new parent
    qint32 newParentId = 0;        // change: id of the new parent
    // A stored content blob. A query hands the requester a copy of its own;
    // a change hands the document the new content.
    QByteArray content;
    quint32 colour = 0;            // out: COLORREF 0x00BBGGRR
    qint32 count = 0;              // out: codings or members
    qint32 memoId = 0;             // out: the item's memo, 0 when none
    qint32 colourIndex = 0;        // out: raw colour index of a code
    QString comment;               // out: comment of a coding
    qint32 documentType = 0;       // out: DocType of a document
    double zoom = 0.0;             // ScaleFactor of a document, both ways (ListNotifyMask::View)
    DocumentViewState viewState;   // both ways (ListNotifyMask::View)
    bool mayRename = false;        // out with ListNotifyMask::Name
    bool query = false;            // true: read the item; false: change it
    bool handled = false;
};

/// An item or a selection with the place and keys of a mouse action:
/// context menu (-203), follow (-204) or open (-205).
struct IdListNotifyInfo : NotifyHead {
    explicit IdListNotifyInfo(RequestCode requestCode) : NotifyHead(requestCode)
    {
        Q_ASSERT(requestCode == RequestCode::ContextMenu || requestCode == RequestCode::FollowItem
                 || requestCode == RequestCode::OpenItem);
    }

    qint32 itemId = 0;             // item under the mouse, 0 for none (kind 15: sub-kind 0..3)
    QList<quint32> ids;            // selected items; empty when only itemId is meant
    qint32 kind = 0;               // a topic, or a window kind (13 paragraph, 14 empty strip, ...)
    qint32 extra = 0;              // a second value some windows define; 0 from controls
    QPoint point;                  // screen coordinates
    qint32 modifierKeys = 0;       // ModifierKey::* bits
    qint32 sourceFlags = 0;        // 0 from controls; 0x200 from the document view itself
};

/// Drop request (-206): with perform clear the owner only answers the drop
/// effect it would accept; with it set it performs the drop.
struct DropNotifyInfo : NotifyHead {
    DropNotifyInfo() : NotifyHead(RequestCode::Drop) {}

    QPoint point;                  // screen coordinates
    qint32 modifierKeys = 0;       // ModifierKey::* bits
    bool perform = false;
    qint32 draggedId = 0;
    qint32 draggedKind = 0;
    qint32 targetId = 0;
    qint32 targetKind = 0;
    qint32 answer = 0;             // 0 refused, 1 copy, 2 move
    bool handled = false;
};

/// Compares one field of two rows (-207), the sort callback of object lists.
struct CompareRowsNotifyInfo : NotifyHead {
    CompareRowsNotifyInfo() : NotifyHead(RequestCode::CompareRows) {}

    qint32 topic = 0;
    qint32 fieldId = 0;
    qint32 rowIdA = 0;
    qint32 rowIdB = 0;
    qint32 comparison = 0;         // out: negative, 0 or positive
    bool handled = false;
};

/// Writes one field of one row from text (-208).
struct FieldValueNotifyInfo : NotifyHead {
    FieldValueNotifyInfo() : NotifyHead(RequestCode::SetFieldValue) {}

    qint32 topic = 0;
    qint32 itemId = 0;
    qint32 fieldId = 0;
    QString text;
    bool result = false;
};

/// Sorted distinct values of one field (-209).
struct DistinctValuesNotifyInfo : NotifyHead {
    DistinctValuesNotifyInfo() : NotifyHead(RequestCode::DistinctValues) {}

    qint32 topic = 0;
    qint32 fieldId = 0;
    QStringList values;            // out: sorted, no duplicates
    bool result = false;
};

/// Which property a FieldPropertyNotifyInfo sets.
enum class FieldProperty : qint32 {
    Name = 0,           // cut to 63 characters
    DefaultValue = 1,
    Categorial = 2,     // the value read as an integer, non-zero = 1
};

/// Sets a field's name, default value or categorial flag (-211).
struct FieldPropertyNotifyInfo : NotifyHead {
    FieldPropertyNotifyInfo() : NotifyHead(RequestCode::SetFieldProperty) {}

    qint32 topic = 0;
    qint32 fieldId = 0;
    QString value;
    FieldProperty property = FieldProperty::Name;
    bool result = false;
};

/// Deletes a user field (-212).
struct DeleteFieldNotifyInfo : NotifyHead {
    DeleteFieldNotifyInfo() : NotifyHead(RequestCode::DeleteField) {}

    qint32 topic = 0;
    qint32 fieldId = 0;
    bool result = false;
};

/// Ids of the list columns of a topic (-213).
struct FieldIdsNotifyInfo : NotifyHead {
    FieldIdsNotifyInfo() : NotifyHead(RequestCode::FieldIds) {}

    qint32 topic = 0;
    QList<qint32> ids;             // out
    bool result = false;
};

/// Names of all fields of a topic (-214).
struct FieldNamesNotifyInfo : NotifyHead {
    FieldNamesNotifyInfo() : NotifyHead(RequestCode::FieldNames) {}

    qint32 topic = 0;
    QStringList names;             // out, in field order
    bool result = false;
};

/// An object named by topic and id: announce its change (-215) or delete it
/// with its dependants (-216). No answer.
struct ItemNotifyInfo : NotifyHead {
    explicit ItemNotifyInfo(RequestCode requestCode) : NotifyHead(requestCode)
    {
        Q_ASSERT(requestCode == RequestCode::ItemChanged || requestCode == RequestCode::DeleteItem);
    }

    qint32 topic = 0;
    qint32 id = 0;
};

/// A project setting: read (-217, value out), write (-218) or delete (-219).
struct SettingNotifyInfo : NotifyHead {
    explicit SettingNotifyInfo(RequestCode requestCode) : NotifyHead(requestCode)
    {
        Q_ASSERT(requestCode == RequestCode::ReadSetting || requestCode == RequestCode::WriteSetting
                 || requestCode == RequestCode::DeleteSetting);
    }

    QString key;
    QString value;
    bool result = false;
};

/// Changes the type of a user field (-221).
struct FieldTypeNotifyInfo : NotifyHead {
    FieldTypeNotifyInfo() : NotifyHead(RequestCode::ChangeFieldType) {}

    qint32 topic = 0;
    qint32 fieldId = 0;
    qint32 newType = 0;
    bool result = false;
};

/// Many objects expanded or collapsed at once (-222), as expanding or
/// collapsing a whole tree does: each (topic, id) takes the expanded state,
/// all in one transaction of the project.
struct ExpandStatesNotifyInfo : NotifyHead {
    ExpandStatesNotifyInfo() : NotifyHead(RequestCode::ExpandStates) {}

    QList<QPair<qint32, qint32>> objects;   // (topic, id)
    bool expanded = false;
    bool result = false;           // out: every change written
};
