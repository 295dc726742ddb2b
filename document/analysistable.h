#pragma once

// The quote matrix and the crosstab counts of the project: codes against
// groups of documents that conditions on document variables make.

#include <QList>
#include <QString>

class CKorDoc;
class FieldValue;
struct ActivationCondition;

namespace AnalysisTable {

/// The quote matrix: an RTF table of the codes (rows) against the first
/// four conditions (columns), each cell holding the coded segments of the
/// code in the documents that meet the condition, each followed by its
/// document and paragraphs on yellow. Filled into the template
/// "TemplateQm<n>.tab" of the program folder and written into the first free
/// "QuoteMatrix01.rtf" to "QuoteMatrix99.rtf" of the working folder, whose
/// path `written` receives; the caller opens it. False, with a message and
/// no file, when the template is missing or no name is free; false without
/// a message when there is no condition.
bool ExportQuoteMatrix(CKorDoc& doc, const QList<ActivationCondition>& conditions, const QList<qint32>& codes,
                       bool onlyActivated, QString* written = nullptr);

/// The crosstab: per code (row) and condition (column) the number of
/// codings and of documents with at least one, in two tables of
/// (codes + 1) x (conditions + 1) cells, index row x (conditions + 1) +
/// column; the last column holds the row totals, the last row the column
/// totals and its last cell the sum of all.
void CollectAnalysisTableCodings(CKorDoc& doc, const QList<ActivationCondition>& conditions,
                                 const QList<qint32>& codes, QList<qint32>& codingCounts,
                                 QList<qint32>& documentCounts, bool onlyActivated);

/// A condition as a column or row label: "field operator value"; an
/// operator of -1 shows the condition's own text.
QString FormatConditionLabel(const ActivationCondition& condition);

}  // namespace AnalysisTable

/// Whether a value meets one condition of activation by variables
/// (kordoc_activation.cpp); an operator outside 0..3 is always met.
bool MeetsActivationCondition(const FieldValue& value, const ActivationCondition& condition);
