#include "retrieval/projectrows.h"

#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <algorithm>
#include <cstring>

namespace retrieval {

namespace {

constexpr qint32 kCodingFields[11] = {
    CodingField::Document,      CodingField::Code,         CodingField::StartChar,  CodingField::FinishChar,
    CodingField::StartPara,     CodingField::FinishPara,   CodingExtraField::Weight, CodingExtraField::PosX1,
    CodingExtraField::PosX2,    CodingExtraField::Page,    CodingField::IsText,
};

constexpr COLORREF kPalette[11] = {0x008000, 0x00C4C4, 0x800000, 0x0000A4, 0xA400A4, 0x808080,
                                   0x00FF00, 0x00FFFF, 0xFF0000, 0x0000FF, 0xFF00FF};

QList<qint32> SortedChildren(const TopicDatabase& db, qint32 topic, qint32 parentTopic, qint32 parent)
{
    QList<qint32> keys;
    db.FindKeysByParent(topic, parentTopic, parent, keys);
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

COLORREF PaletteColor(qint32 value)
{
    return value >= 0 && value <= 10 ? kPalette[value] : COLORREF(value);
}

ProjectRows::ProjectRows(const TopicDatabase& db)
    : m_db(db),
      m_codings(db.GetTable(TopicId::Codings)),
      m_codes(db.GetTable(TopicId::Codes)),
      m_documents(db.GetTable(TopicId::Documents))
{
    for (int i = 0; i < 11; ++i)
        m_codingOffsets[i] = Offset(m_codings, kCodingFields[i]);
    m_codeIndex = Offset(m_codes, kIndexField);
    m_codeParent = Offset(m_codes, CodeField::Parent);
    m_codeState = Offset(m_codes, CodeField::State);
    m_codeType = Offset(m_codes, CodeField::Type);
    m_documentIndex = Offset(m_documents, kIndexField);
    m_documentState = Offset(m_documents, DocumentField::State);
}

qint32 ProjectRows::Offset(const TopicTable* table, qint32 field) const
{
    const FieldDescriptor* descriptor = table ? table->Fields().GetById(field) : nullptr;
    // Only 32-bit integers and booleans are read here.
    return descriptor && descriptor->Size == qint32(sizeof(qint32)) ? descriptor->Offset : -1;
}

bool ProjectRows::ReadCoding(qint32 coding, CodingValues& values) const
{
    const char* row = m_codings ? m_codings->RowOfKey(coding) : nullptr;
    if (!row)
        return false;
    ReadCodingRow(row, values);
    return true;
}

void ProjectRows::ReadCodingRow(const char* row, CodingValues& values) const
{
    qint32* fields[11] = {&values.document,       &values.code,          &values.start,    &values.end,
                          &values.firstParagraph, &values.lastParagraph, &values.weight,   &values.areaLeft,
                          &values.areaRight,      &values.page,          &values.isText};
    for (int i = 0; i < 11; ++i)
        *fields[i] = Int(row, m_codingOffsets[i]);
}

QList<qint32> ProjectRows::CodingsOfCode(qint32 code) const
{
    return SortedChildren(m_db, TopicId::Codings, TopicId::Codes, code);
}

std::vector<std::pair<qint32, const char*>> ProjectRows::CodingRowsOfCode(qint32 code) const
{
    std::vector<std::pair<qint32, const char*>> rows;
    if (!m_codings)
        return rows;
    m_codings->ForEachRowOfParent(TopicId::Codes, code, [&rows](qint32 key, const char* row) {
        rows.emplace_back(key, row);
    });
    // Rows lie in store order, which is key order unless the file was
    // loaded in another sort order.
    const auto byKey = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(rows.begin(), rows.end(), byKey))
        std::sort(rows.begin(), rows.end(), byKey);
    return rows;
}

QList<qint32> ProjectRows::CodingsOfDocument(qint32 document) const
{
    return SortedChildren(m_db, TopicId::Codings, TopicId::Documents, document);
}

bool ProjectRows::HasCode(qint32 code) const
{
    return code != 0 && m_codes && m_codes->HasKey(code);
}

qint32 ProjectRows::CodeOrder(qint32 code) const
{
    return m_codes ? Int(m_codes->RowOfKey(code), m_codeIndex) : 0;
}

qint32 ProjectRows::CodeParent(qint32 code) const
{
    return m_codes ? Int(m_codes->RowOfKey(code), m_codeParent) : 0;
}

bool ProjectRows::IsCodeActivated(qint32 code) const
{
    return m_codes && (Int(m_codes->RowOfKey(code), m_codeState) & ObjectState::Activated) != 0;
}

COLORREF ProjectRows::CodeColor(qint32 code) const
{
    return PaletteColor(m_codes ? Int(m_codes->RowOfKey(code), m_codeType) : 0);
}

QList<qint32> ProjectRows::ChildCodes(qint32 code) const
{
    return SortedChildren(m_db, TopicId::Codes, TopicId::Codes, code);
}

QList<qint32> ProjectRows::AllCodes() const
{
    QList<qint32> keys;
    if (m_codes)
        m_codes->GetAllKeys(keys);
    return keys;
}

bool ProjectRows::HasListedAncestor(qint32 code, const QSet<qint32>& list) const
{
    qint32 steps = m_codes ? m_codes->GetRowCount() : 0;
    for (qint32 parent = CodeParent(code); parent != 0 && steps-- > 0; parent = CodeParent(parent)) {
        if (list.contains(parent))
            return true;
    }
    return false;
}

bool ProjectRows::IsDocumentActivated(qint32 document, qint32* order) const
{
    const char* row = m_documents ? m_documents->RowOfKey(document) : nullptr;
    if (!row)
        return false;
    if (order)
        *order = Int(row, m_documentIndex);
    return (Int(row, m_documentState) & ObjectState::Activated) != 0;
}

}  // namespace retrieval
