// Counted words taken into dictionary categories.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/objectlistregistry.h"
#include "document/rowfields.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

#include <algorithm>

using namespace rowfields;

qint32 CKorDoc::AddCategoryEntry(qint32 category, const QString& word)
{
    const QList<qint32> added = AddCategoryEntries(category, {word});
    return added.isEmpty() ? 0 : added.first();
}

QList<qint32> CKorDoc::AddCategoryEntries(qint32 category, const QStringList& words)
{
    QList<qint32> added;
    if (category <= 0 || words.isEmpty() || !HasRow(TopicId::DictionaryCategories, category))
        return added;
    // The category's words gathered once: a drop may bring thousands.
    QSet<QString> known = WordsOfCategory(category);
    for (const QString& word : words) {
        const QString text = CutToUnits(word.trimmed(), FieldDescriptor::kNameUnits);
        if (text.isEmpty() || known.contains(text))
            continue;
        const qint32 key = CreateRow(TopicId::DictionaryEntries, [&](RowBuffer& row, qint32) {
            return SetInt(row, EntryField::Category, category) && SetText(row, EntryField::Text, text);
        });
        if (!key)
            continue;
        known.insert(text);
        added.append(key);
    }
    return added;
}

qint32 CKorDoc::AddDictionaryCategory(qint32 parent, int nameTextId)
{
    if (parent != 0 && !HasRow(TopicId::DictionaryCategories, parent))
        parent = 0;
    return CreateRow(TopicId::DictionaryCategories, [&](RowBuffer& row, qint32 key) {
        return SetInt(row, CategoryField::Number, key) && SetInt(row, CategoryField::Parent, parent) &&
               SetText(row, CategoryField::Name, DefaultObjectName(nameTextId, key));
    });
}

qint32 CKorDoc::AddDictionaryEntry(qint32 category, int wordTextId)
{
    if (category <= 0 || !HasRow(TopicId::DictionaryCategories, category))
        return 0;
    return CreateRow(TopicId::DictionaryEntries, [&](RowBuffer& row, qint32 key) {
        return SetInt(row, EntryField::Category, category) &&
               SetText(row, EntryField::Text, DefaultObjectName(wordTextId, key));
    });
}

QList<qint32> CKorDoc::MoveDictionaryEntries(const QList<qint32>& entries, qint32 category)
{
    QList<qint32> moved;
    if (category <= 0 || !HasRow(TopicId::DictionaryCategories, category))
        return moved;
    for (const qint32 entry : entries) {
        RowBuffer row;
        if (!d->m_db.ReadRow(TopicId::DictionaryEntries, entry, row, false) ||
            IntOf(row, EntryField::Category) == category)
            continue;
        if (!SetInt(row, EntryField::Category, category) || !row.Commit(false, false))
            continue;
        moved.append(entry);
        // The list that shows the old category loses the row.
        GetRegistry().NotifyDeleted(TopicId::DictionaryEntries, entry);
    }
    return moved;
}

QList<qint32> CKorDoc::GetDictionaryCategories() const
{
    QList<qint32> keys;
    d->m_db.GetAllKeys(TopicId::DictionaryCategories, keys);
    return keys;
}

qint32 CKorDoc::GetCategoryParent(qint32 category) const
{
    return d->m_db.GetIntValue(TopicId::DictionaryCategories, category, CategoryField::Parent);
}

QList<qint32> CKorDoc::GetCategoryEntries(qint32 category) const
{
    QList<qint32> entries;
    if (category > 0)
        d->m_db.FindKeysByParent(TopicId::DictionaryEntries, TopicId::DictionaryCategories, category, entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

QList<qint32> CKorDoc::AddWordRowsToCategory(qint32 category, const QList<qint32>& wordIds)
{
    QStringList words;
    words.reserve(wordIds.size());
    for (const qint32 id : wordIds) {
        RowBuffer row;
        if (d->m_db.ReadRow(TopicId::WordFrequencies, id, row, false))
            words.append(TextOf(row, WordTableField::Word));
    }
    const QList<qint32> added = AddCategoryEntries(category, words);
    // A list that takes thousands of rows one at a time rebuilds itself as
    // often: a large drop is announced at once.
    constexpr qsizetype kAnnouncedOneByOne = 100;
    if (added.size() > kAnnouncedOneByOne) {
        QList<quint32> ids;
        ids.reserve(added.size());
        for (const qint32 entry : added)
            ids.append(quint32(entry));
        GetRegistry().NotifyAddedMany(TopicId::DictionaryEntries, ids, TopicId::DictionaryCategories, category);
        return added;
    }
    for (const qint32 entry : added)
        GetRegistry().NotifyAdded(TopicId::DictionaryEntries, entry, 0, TopicId::DictionaryCategories, category, true);
    return added;
}
