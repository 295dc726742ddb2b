#pragma once

#include "store/compressedblob.h"
#include "store/oledate.h"

#include <QByteArray>
#include <QString>

class RowBuffer;

/// @short A coding as it travels between the browser, the frame, the
/// importers and the document: every field of a coding row, with the
/// defaults of a new coding.
///
/// Positions are rich-edit positions (UTF-16 units). For a picture or PDF
/// document the coding is the rectangle (PosX1, StartChar) to (PosX2,
/// FinishChar) on page Page (1 for pictures), and IsText is 0. Text is the
/// RTF of the segment; a null array means none. Preview and Author hold at
/// most 63 units, Comment 127, where the row takes them.
struct CodingRecord {
    CodingRecord();

    /// Every field of a coding row; the ID only with withId. Text is the
    /// row's blob when it was loaded, else empty.
    void CopyFrom(RowBuffer& row, bool withId);

    qint32 ID = 0;
    qint32 TAID = 0;   ///< the coding action: the id of its first coding
    qint32 Type = 0;   ///< colour: a palette index or a COLORREF
    qint32 TextID = 0;
    qint32 WordID = 0;
    qint32 StartChar = 0;
    qint32 FinishChar = 0;
    qint32 StartPara = 0;
    qint32 FinishPara = 0;
    qint32 Weight = 0;
    QString Preview;
    QByteArray Text;
    /// Text's stored form when made ahead (on a helper thread); writing
    /// uses it only while Text is the array it was made from.
    PreparedBlob PreparedText;
    QString Author;
    OleDate Date;      ///< now, whole seconds
    QString Comment;
    qint32 GroupID = 0;
    qint32 PosX1 = 0;
    qint32 PosX2 = 0;
    qint32 Page = 1;
    qint32 IsText = 1;
    qint32 Area = 0;
    double Coverage = 0;  ///< percent of the document
};
