// Counted words taken into dictionary categories.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

using namespace rowfields;

qint32 CKorDoc::AddCategoryEntry(qint32 category, const QString& word)
{
    const QString text = CutToUnits(word.trimmed(), FieldDescriptor::kNameUnits);
    RowBuffer categoryRow;
    if (text.isEmpty() || category <= 0 || !d->m_db.ReadRow(TopicId::DictionaryCategories, category, categoryRow, false))
        return 0;
    if (FindEntryInCategory(category, text))
        return 0;
    return CreateRow(TopicId::DictionaryEntries, [&](RowBuffer& row, qint32) {
        return SetInt(row, EntryField::Category, category) && SetText(row, EntryField::Text, text);
    });
}
