#pragma once

// The texts of retrieved segments, cut from their documents: rich text by
// the rich-edit positions of the codec, PDF text by the character indexes
// of the segment's page. Each document is read and parsed once per call,
// however many of its segments are asked for.

#include "foundation/segmentarray.h"

#include <QByteArray>
#include <QList>

#include <utility>
#include <vector>

class TopicDatabase;

namespace retrieval {

/// First and last paragraph of a segment.
using ParagraphPair = std::pair<qint32, qint32>;

/// The RTF of each row's range, in row order: empty for pictures, tables,
/// missing documents and PDF pages that do not exist. With paragraphs, also
/// each row's first and last paragraph: for rich text the paragraphs that
/// hold its start and its end, for other kinds the start and end themselves.
void ReadSegmentTexts(TopicDatabase& db, const CSegmentArray& rows, QList<QByteArray>& texts,
                      std::vector<ParagraphPair>* paragraphs = nullptr);

}  // namespace retrieval
