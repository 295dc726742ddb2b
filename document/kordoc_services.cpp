// Small services for the analysis and visual tools and the word-frequency
// commands: colour grids of codings by paragraph, the overview table's
// counts copied into document variables, and the dictionary file kept.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/colorhsl.h"
#include "document/rowfields.h"
#include "foundation/programpaths.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

#include <QFileInfo>

#include <optional>

using namespace rowfields;

namespace {

/// The overview table's fixed columns: the document column's position and
/// the number of fixed columns before the counts.
constexpr int kOverviewDocumentColumn = 3;
constexpr int kOverviewFixedColumns = 7;
/// A document variable made from a frequency table.
constexpr qint32 kFrequencyVariableState =
    FieldState::FromFrequencies | FieldState::FromCode | FieldState::ValueTable | FieldState::UserVariable;

}  // namespace

QList<CKorDoc::GridCodingRow> CKorDoc::ReadGridCodings(qint32 document) const
{
    QList<GridCodingRow> codings;
    QList<qint32> keys;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, keys);
    for (const qint32 key : std::as_const(keys)) {
        codings.append({d->m_db.GetIntValue(TopicId::Codings, key, CodingField::Code),
                        ColorOfType(d->m_db.GetIntValue(TopicId::Codings, key, CodingField::Type)),
                        d->m_db.GetIntValue(TopicId::Codings, key, CodingField::StartPara),
                        d->m_db.GetIntValue(TopicId::Codings, key, CodingField::FinishPara)});
    }
    return codings;
}

qint32 CKorDoc::TopLevelCodeOf(qint32 code) const
{
    QSet<qint32> seen;
    // A damaged file may hold a cycle of parents.
    while (!seen.contains(code)) {
        seen.insert(code);
        const qint32 parent = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
        if (!parent)
            return code;
        code = parent;
    }
    return code;
}

void CKorDoc::BuildParagraphCodeColors(qint32 document, qint32 paragraphs, QList<qint32> codes, QList<COLORREF>& grid,
                                       bool topOnly) const
{
    if (topOnly)
        codes.removeIf([this](qint32 code) { return d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent) != 0; });
    grid.fill(0, qsizetype(std::max(paragraphs, 0)) * codes.size());
    // Each coding fills its own paragraphs; a cell keeps the first colour,
    // in coding order.
    for (const GridCodingRow& coding : ReadGridCodings(document)) {
        const qint32 owner = topOnly ? TopLevelCodeOf(coding.code) : coding.code;
        const qsizetype row = codes.indexOf(owner);
        if (row < 0)
            continue;
        const qint32 first = std::max(coding.firstParagraph, 1);
        const qint32 last = std::min(coding.lastParagraph, paragraphs);
        for (qint32 paragraph = first; paragraph <= last; ++paragraph) {
            COLORREF& cell = grid[paragraph - 1 + row * paragraphs];
            if (cell == 0)
                cell = coding.color;
        }
    }
}

void CKorDoc::BuildCodelineColors(qint32 paragraphs, const QList<qint32>& documents, QList<qint32>& grid,
                                  QList<COLORREF>& colors, bool activatedOnly) const
{
    paragraphs = std::max(paragraphs, 0);
    grid.fill(0, qsizetype(paragraphs) * documents.size());
    colors = {0};
    for (qsizetype i = 0; i < documents.size(); ++i) {
        // The colours of each paragraph, in coding order.
        QList<QList<COLORREF>> perParagraph(paragraphs);
        for (const GridCodingRow& coding : ReadGridCodings(documents.at(i))) {
            if (activatedOnly &&
                !(d->m_db.GetIntValue(TopicId::Codes, coding.code, CodeField::State) & ObjectState::Activated))
                continue;
            for (qint32 p = std::max(coding.firstParagraph, 1); p <= std::min(coding.lastParagraph, paragraphs); ++p)
                perParagraph[p - 1].append(coding.color);
        }
        for (qint32 j = 0; j < paragraphs; ++j) {
            const QList<COLORREF>& cell = perParagraph.at(j);
            if (!cell.isEmpty()) {
                grid[j + i * paragraphs] = qint32(colors.size());
                colors.append(cell);
            }
            if (colors.last() != 0)
                colors.append(0);  // each cell's run ends with 0
        }
    }
}

bool CKorDoc::TransferTableVariables()
{
    const TopicTable* overview = d->m_db.GetTable(TopicId::OverviewTable);
    if (!overview || overview->Fields().Count() <= kOverviewFixedColumns)
        return false;
    const FieldDescriptor* documentColumn = overview->Fields().GetAt(kOverviewDocumentColumn);
    if (!documentColumn)
        return false;
    bool ok = true;
    for (int position = kOverviewFixedColumns; position < overview->Fields().Count(); ++position) {
        const FieldDescriptor column = *overview->Fields().GetAt(position);
        // Rows are per document and code: a document's value is their sum.
        QHash<qint32, qint32> sums;
        overview->ForEachRow([&](qint32, const char* row) {
            sums[IntAt(row, documentColumn->Offset)] += IntAt(row, column.Offset);
        });
        FieldDescriptor variable;
        if (d->m_db.FindFieldByName(TopicId::Documents, column.Name, variable)) {
            // A variable of that name that holds no number is not overwritten.
            if (variable.Type != FieldType::Integer || !variable.HasState(FieldState::UserVariable)) {
                ok = false;
                continue;
            }
        } else {
            variable.Init();
            variable.Name = column.Name;
            variable.Type = FieldType::Integer;
            variable.State = kFrequencyVariableState;
            if (!d->m_db.AddField(TopicId::Documents, variable)) {
                ok = false;
                continue;
            }
        }
        QHash<qint32, QString> values;
        for (auto it = sums.cbegin(); it != sums.cend(); ++it)
            values.insert(it.key(), QString::number(it.value()));
        ok = WriteVariableValues(variable.ID, values, std::nullopt) && ok;
    }
    return ok;
}

void CKorDoc::EnsureDictionaryFile()
{
    d->m_words.EnsureDictionaryFile();
}
