#pragma once

#include "foundation/growablearray.h"

#include <QByteArray>
#include <QtGlobal>

/// @short One retrieval result: 17 signed 32-bit words in this order.
///
/// Positions are rich-edit positions (UTF-16 units); for PDF and picture
/// codings start and end hold the area's top and bottom, areaLeft and
/// areaRight its sides. A new row is zero except page, which is 1.
struct CSegmentRow {
    qint32 coding = 0;
    qint32 document = 0;
    qint32 documentOrder = 0;
    qint32 code = 0;
    qint32 codeOrder = 0;
    qint32 start = 0;
    qint32 end = 0;          ///< exclusive
    qint32 outerStart = 0;
    qint32 outerEnd = 0;
    qint32 firstParagraph = 0;
    qint32 lastParagraph = 0;
    qint32 weight = 0;
    qint32 mark = 0;
    qint32 areaLeft = 0;     ///< for table documents: the table row
    qint32 areaRight = 0;
    qint32 page = 1;         ///< for table documents: the 1-based column
    qint32 textFlag = 0;
};
static_assert(sizeof(CSegmentRow) == 68, "rows travel as raw 68-byte blocks");

/// @short One hit of the text search: nine 32-bit words in this order.
struct SearchHit {
    qint32 term = 0;        ///< 0-based index into the search terms
    qint32 objectId = 0;    ///< document or memo
    qint32 value = 0;       ///< passed through from the caller
    qint32 paragraph = 0;   ///< of the start; table row + 1 for table cells
    qint32 start = 0;
    qint32 end = 0;         ///< after the last character
    qint32 sentence = 0;    ///< 1-based; 0 when not computed or none holds the start
    qint32 page = 0;        ///< 1 for rich text and memo texts, 0 for memo titles, the PDF page, the table column (1-based)
    qint32 tableRow = 0;    ///< 0-based, or -1
};
static_assert(sizeof(SearchHit) == 36, "hits travel as raw 36-byte blocks");

/// @short Retrieval results by value.
///
/// Byte form: the count in the framework's count form (SerialBuffer), then
/// the rows as little-endian 68-byte blocks in order.
class CSegmentArray : public CGrowableArray<CSegmentRow> {
public:
    QByteArray Serialize() const;
    /// False, the array unchanged, for a truncated form, a count that does
    /// not match the bytes, or bytes left over.
    bool Deserialize(const QByteArray& bytes);
};

/// @short Search hits by value; byte form as CSegmentArray with 36-byte blocks.
class CRowArray : public CGrowableArray<SearchHit> {
public:
    QByteArray Serialize() const;
    bool Deserialize(const QByteArray& bytes);
};
