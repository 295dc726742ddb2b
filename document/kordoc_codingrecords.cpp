// Coding records, the colours in use by documents and codes, and counts of
// codings over a code's subtree.

#include "document/kordoc.h"

#include "document/rowfields.h"
#include "store/storeids.h"

#include <QDateTime>

#include <algorithm>

using namespace rowfields;

CodingRecord::CodingRecord()
{
    // Whole seconds, as a time_t holds the time.
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    Date.value = OleDaysFromDateTime(now.date(), QTime(time.hour(), time.minute(), time.second()));
}

void CKorDoc::ListUsedColors(QList<COLORREF>& colors, qint32 kind) const
{
    colors.clear();
    qint32 nameField = 0;
    qint32 typeField = 0;
    if (kind == TopicId::Documents) {
        nameField = DocumentField::Name;
        typeField = DocumentField::Type;
    } else if (kind == TopicId::Codes) {
        nameField = CodeField::Name;
        typeField = CodeField::Type;
    } else {
        return;
    }
    const TopicTable* table = m_db.GetTable(kind);
    const FieldDescriptor* name = table ? table->Fields().GetById(nameField) : nullptr;
    const FieldDescriptor* type = table ? table->Fields().GetById(typeField) : nullptr;
    if (!name || !type)
        return;
    QList<ColorHsl> found;
    table->ForEachRow([&](qint32, const char* row) {
        // The first unit of a name that is not empty is not 0.
        if (row[name->Offset] == 0 && row[name->Offset + 1] == 0)
            return;
        const COLORREF color = ColorOfType(IntAt(row, type->Offset));
        if (std::none_of(found.cbegin(), found.cend(), [color](const ColorHsl& c) { return c.GetColor() == color; }))
            found.append(ColorHsl(color));
    });
    std::sort(found.begin(), found.end(),
              [](const ColorHsl& a, const ColorHsl& b) { return CompareColors(a, b) < 0; });
    for (const ColorHsl& color : std::as_const(found))
        colors.append(color.GetColor());
}

qint32 CKorDoc::CountDocumentCodingsInSubtree(qint32 document, qint32 code) const
{
    QList<qint32> codes;
    CollectSubcodes(code, codes);
    if (code)
        codes.append(code);
    const QSet<qint32> wanted(codes.cbegin(), codes.cend());
    QList<qint32> codings;
    m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
    return qint32(std::count_if(codings.cbegin(), codings.cend(), [&](qint32 coding) {
        return wanted.contains(m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code));
    }));
}
