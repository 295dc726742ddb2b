#pragma once

// The browser's copies of the objects anchored in the shown document:
// codings (stripes), in-text memos, links and media time marks, with the
// display fields the browser keeps beside each row. Positions are rich-edit
// positions (UTF-16 units counted as platform/rtf/richtextmap.h says).

#include "document/codingrecord.h"
#include "foundation/colorhelpers.h"
#include "store/oledate.h"

#include <QByteArray>
#include <QList>
#include <QString>

class RowBuffer;

/// One coding of the shown document: its row and how it is shown.
struct StripeItem {
    CodingRecord row;
    /// First and last display unit: rich text the first position and the
    /// end of the paragraph of the last coded character (see
    /// LayoutStripeLanes); picture StartChar and FinishChar.
    qint32 firstLine = -1;
    qint32 lastLine = -1;
    qint32 lane = 0;      ///< 1-based
    qint32 top = 0;       ///< pixel top in the margin
    qint32 bottom = 0;    ///< pixel bottom; -1 when not on screen
    quint32 editFlags = 0;  ///< EditFlag bits
    COLORREF colour = 0x8000;
    qint32 labelRow = 0;
    qint32 labelLane = 0;
    qint32 labelY = 0;
    bool visible = true;  ///< passes the filters
    quint32 highlight = 0;  ///< set while the stripe is hot or selected in the margin

    bool Live() const { return !(editFlags & 0x4); }
};

/// The fields of a memo row the browser keeps.
struct MemoRow {
    qint32 ID = 0;
    qint32 GroupID = 0;
    qint32 TextID = 0;
    qint32 Paragraph = 0;
    qint32 WordID = 0;
    qint32 SetID = 0;
    qint32 Type = 0;
    qint32 Pos = 0;
    QString Title;
    QString Author;
    OleDate Date;
    QString Preview;
    qint32 Page = 0;
    qint32 Source = 0;
};

/// One memo anchored in the shown document.
struct InTextMemoItem {
    MemoRow row;
    qint32 line = -1;
    qint32 y = 0;
    qint16 lane = 0;
    quint32 editFlags = 0;
    bool visible = true;
};

/// The fields of a link row.
struct LinkRow {
    qint32 ID = 0;
    qint32 TextID = 0;
    qint32 StartChar = -1;
    qint32 FinishChar = -1;
    qint32 LinkID = 0;   ///< the other anchor; -1 an external target kept in Text; 0 none
    QByteArray Text;
    qint32 PosX1 = 0;
    qint32 PosX2 = 0;
    qint32 Page = 1;
    qint32 IsText = 1;
};

/// One link anchored in the shown document.
struct LinkItem {
    LinkRow row;
    qint32 savedStart = -1;  ///< range at the last write-back
    qint32 savedEnd = -1;
    quint32 editFlags = 0;
    qint32 linkType = 0;     ///< LinkType

    bool Live() const { return !(editFlags & 0x4); }
};

/// A media time mark of the shown transcript, as the media player keeps it
/// and the browser moves it with the text.
struct TimeMarkItem {
    qint32 id = 0;
    qint32 position = 0;  ///< character offset in the transcript
    qint32 beginMs = 0;
    qint32 endMs = 0;
    qint32 y = 0;
    bool shown = false;
    quint32 editFlags = 0;
};

/// The row of the Codings table as a record; false when the buffer holds
/// no row. Blobs are copied when the row was read with them.
bool CodingRecordFromRow(RowBuffer& row, CodingRecord& record);
bool MemoRowFromRow(RowBuffer& row, MemoRow& memo);
bool LinkRowFromRow(RowBuffer& row, LinkRow& link);

/// The kind of a link: geo when its external target names a ".kml" file.
qint32 LinkTypeOf(const LinkRow& link);

