#pragma once

// Integer fields of coding, code and document rows read straight from the
// topic tables: a retrieval run reads every collected coding, so it looks
// each field's place up once instead of copying rows into buffers.

#include "foundation/colorhelpers.h"

#include <QList>
#include <QSet>
#include <QtGlobal>

#include <cstring>
#include <utility>
#include <vector>

class TopicDatabase;
class TopicTable;

namespace retrieval {

/// Field ids of codings that the store's named ids leave out.
namespace CodingExtraField {
constexpr qint32 Weight = 9;
constexpr qint32 PosX1 = 16;
constexpr qint32 PosX2 = 17;
constexpr qint32 Page = 18;
}  // namespace CodingExtraField

/// Field id of the position of documents and codes among their siblings.
constexpr qint32 kIndexField = 1;

/// The integer fields of one coding.
struct CodingValues {
    qint32 document = 0;
    qint32 code = 0;
    qint32 start = 0;
    qint32 end = 0;
    qint32 firstParagraph = 0;
    qint32 lastParagraph = 0;
    qint32 weight = 0;
    qint32 areaLeft = 0;
    qint32 areaRight = 0;
    qint32 page = 0;
    qint32 isText = 0;
};

/// @short Read-only access to the rows a retrieval reads. Valid as long as
/// the tables are not changed.
class ProjectRows {
public:
    explicit ProjectRows(const TopicDatabase& db);

    /// False when the coding does not exist.
    bool ReadCoding(qint32 coding, CodingValues& values) const;
    /// The fields of a coding's row (of CodingRowsOfCode).
    void ReadCodingRow(const char* row, CodingValues& values) const;
    /// The codings of a code, in key order.
    QList<qint32> CodingsOfCode(qint32 code) const;
    /// The same as (key, row) pairs, found without a key lookup per coding;
    /// the rows are valid while the table does not change.
    std::vector<std::pair<qint32, const char*>> CodingRowsOfCode(qint32 code) const;
    /// The codings of a document, in key order.
    QList<qint32> CodingsOfDocument(qint32 document) const;

    bool HasCode(qint32 code) const;
    qint32 CodeOrder(qint32 code) const;
    qint32 CodeParent(qint32 code) const;
    bool IsCodeActivated(qint32 code) const;
    /// The code's colour: its palette entry, or the stored colour above 10.
    COLORREF CodeColor(qint32 code) const;
    /// The direct subcodes in key order.
    QList<qint32> ChildCodes(qint32 code) const;
    /// Every code in store order.
    QList<qint32> AllCodes() const;
    /// True when the code has an ancestor in list (the chain is followed to
    /// the root, at most as many steps as there are codes).
    bool HasListedAncestor(qint32 code, const QSet<qint32>& list) const;

    /// True when the document exists and is activated; its Index in order.
    bool IsDocumentActivated(qint32 document, qint32* order) const;

private:
    // Inline: a retrieval reads eleven fields of every coding it collects.
    static qint32 Int(const char* row, qint32 offset)
    {
        if (!row || offset < 0)
            return 0;
        qint32 value;
        std::memcpy(&value, row + offset, sizeof value);
        return value;
    }
    qint32 Offset(const TopicTable* table, qint32 field) const;

    const TopicDatabase& m_db;
    const TopicTable* m_codings = nullptr;
    const TopicTable* m_codes = nullptr;
    const TopicTable* m_documents = nullptr;
    // Field places in the rows; -1 when the field is missing.
    qint32 m_codingOffsets[11] = {};
    qint32 m_codeIndex = -1, m_codeParent = -1, m_codeState = -1, m_codeType = -1;
    qint32 m_documentIndex = -1, m_documentState = -1;
};

/// A stored colour field: palette index 0 to 10 or a COLORREF above 10.
COLORREF PaletteColor(qint32 value);

}  // namespace retrieval
