#pragma once

// The find commands, the analysis tables and the chart windows' requests:
// their ids, and the step that turns the hits of a search into the rows of
// the search-hit list.

#include <QtGlobal>

#include <QStringList>

class CKorDoc;
class CRowArray;
class CSearchSettings;

namespace FindCommand {
constexpr int Find = 32910;          ///< ID_MAIN_FIND: the search dialog
constexpr int FindExtended = 32913;  ///< ID_MAIN_FINDEXT: the extended search dialog
constexpr int Crosstabs = 5795;      ///< ID_CROSSTABS: analysis table, crosstab mode
constexpr int QuoteMatrix = 33631;   ///< ID_QUOTEMATRIX: analysis table, quote-matrix mode
}  // namespace FindCommand

namespace FindText {
constexpr int AnalysisMenu = 197000;
}  // namespace FindText

/// The chart windows' tools (the kind of a tool-window request) and the
/// frame command that builds each.
namespace ToolWindowKind {
enum : qint32 { CodeMatrix = 0, CodeRelations = 1, Sequence = 2, CoOccurrence = 3, Crosstab = 4, Typology = 5 };
constexpr int Commands[] = {33129, 33163, 33215, 33225, FindCommand::Crosstabs, 33632};
}  // namespace ToolWindowKind

/// The longest found word a search-hit row keeps.
constexpr int kMaxHitWordLength = 63;

/// Empties the memory-only search-hit table and writes one row per hit in
/// order: document, found word (its term, cut to 63), begin, end (begin +
/// the word's length for an end below 0), page and paragraph.
void StoreSearchHits(CKorDoc& doc, const QStringList& terms, const CRowArray& hits);
/// The hits of the search into the table; the number of distinct documents
/// hit is kept in the document and returned.
qint32 StoreSearchHits(CKorDoc& doc, const CSearchSettings& search);
