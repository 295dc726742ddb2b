#pragma once

// A coding record as the browser hands one over, for tests that add codings
// through the document.

#include "document/codingrecord.h"

namespace doctest {

/// A coding of a range of text within the first paragraph.
inline CodingRecord TextCoding(qint32 document, qint32 code, qint32 start, qint32 finish)
{
    CodingRecord record;
    record.TextID = document;
    record.WordID = code;
    record.StartChar = start;
    record.FinishChar = finish;
    record.StartPara = 1;
    record.FinishPara = 1;
    return record;
}

}  // namespace doctest
