// Words: the document's word list and counts handed to its WordList, the
// dictionary topics' lookups and the dictionary file format.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"

#include "document/rowfields.h"
#include "document/wordcounts.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "platform/codepage/codepage.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

#include <QFile>
#include <QSaveFile>

#include <array>

using namespace rowfields;

namespace {

/// A field of a tab-separated line: the fields split at TAB.
qint32 NumberOf(const QStringList& fields, qsizetype index)
{
    return index < fields.size() ? fields.at(index).trimmed().toInt() : 0;
}

/// TABs and line breaks would break the file's lines and fields.
QString FileField(const QString& text)
{
    QString field = text;
    for (QChar& c : field) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return field;
}

}  // namespace

// ---- The word list and word counts: the document's word list ----------------

bool CKorDoc::FindWordPosition(const QString& word, qsizetype* position)
{
    return d->m_words.FindWordPosition(word, position);
}

bool CKorDoc::FindWordInList(QStringView word) const
{
    return d->m_words.FindWordInList(word);
}

bool CKorDoc::RemoveWord(const QString& word)
{
    return d->m_words.RemoveWord(word);
}

void CKorDoc::SetWordList(const QString& text, bool append)
{
    d->m_words.SetWords(text, append);
}

qint32 CKorDoc::CountWords(QString& text, WordCounts& words, WordCounts* second, bool count) const
{
    return d->m_words.CountWords(text, words, second, count);
}

qint32 CKorDoc::CountTextWords(const QString& text)
{
    return WordList::CountTextWords(text);
}

// ---- Dictionary categories and entries -------------------------------------------

qint32 CKorDoc::FindCategoryByName(const QString& name) const
{
    QList<qint32> categories;
    d->m_db.GetAllKeys(TopicId::DictionaryCategories, categories);
    for (const qint32 category : std::as_const(categories)) {
        if (TextOfKey(d->m_db, TopicId::DictionaryCategories, category, CategoryField::Name)
                .compare(name, Qt::CaseInsensitive) == 0)
            return category;
    }
    return 0;
}

qint32 CKorDoc::GetEntryCategory(qint32 entry) const
{
    return d->m_db.GetIntValue(TopicId::DictionaryEntries, entry, EntryField::Category);
}

qint32 CKorDoc::FindEntryInCategory(qint32 category, const QString& text) const
{
    QList<qint32> entries;
    d->m_db.FindKeysByParent(TopicId::DictionaryEntries, TopicId::DictionaryCategories, category, entries);
    for (const qint32 entry : std::as_const(entries)) {
        if (TextOfKey(d->m_db, TopicId::DictionaryEntries, entry, EntryField::Text) == text)
            return entry;
    }
    return 0;
}

void CKorDoc::ListDistinctEntries(QList<qint32>& ids) const
{
    ids.clear();
    QList<qint32> entries;
    d->m_db.GetAllKeys(TopicId::DictionaryEntries, entries);
    // The last entry of each text wins: walk backwards, keep the first seen.
    QSet<QString> seen;
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        const QString key = TextOfKey(d->m_db, TopicId::DictionaryEntries, entries.at(i), EntryField::Text).toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        ids.append(entries.at(i));
    }
    std::reverse(ids.begin(), ids.end());
}

bool CKorDoc::ExportTabbedList(const QString& path, const QList<qint32>& categories)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteUtf16Bom(file))
        return false;
    QString text;
    for (const qint32 category : categories) {
        RowBuffer row;
        if (!d->m_db.ReadRow(TopicId::DictionaryCategories, category, row, false))
            continue;
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\r\n")
                    .arg(FileField(TextOf(row, CategoryField::Name)))
                    .arg(IntOf(row, CategoryField::Type))
                    .arg(category)
                    .arg(IntOf(row, CategoryField::Parent))
                    .arg(IntOf(row, CategoryField::State));
        QList<qint32> entries;
        d->m_db.FindKeysByParent(TopicId::DictionaryEntries, TopicId::DictionaryCategories, category, entries);
        for (const qint32 entry : std::as_const(entries)) {
            RowBuffer line;
            if (!d->m_db.ReadRow(TopicId::DictionaryEntries, entry, line, false))
                continue;
            text += QStringLiteral("\t%1\t%2\t%3\t%4\t%5\r\n")
                        .arg(FileField(TextOf(line, EntryField::Text)))
                        .arg(IntOf(line, EntryField::Column))
                        .arg(IntOf(line, EntryField::Flag1))
                        .arg(IntOf(line, EntryField::Flag2))
                        .arg(IntOf(line, EntryField::Flag3));
        }
    }
    const QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return file.write(bytes) == bytes.size() && file.commit();
}

bool CKorDoc::ImportTextFile(const QString& path, QList<qint32>* categories)
{
    d->m_words.SetDictionaryLoaded();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = codepage::DecodeTextFile(file.readAll());
    // Keys above every key the topic ever held, so none is given twice.
    const TopicTable* table = d->m_db.GetTable(TopicId::DictionaryCategories);
    const qint32 base = table ? std::max(table->GetLastKey(), table->GetKeyHighWater()) : 0;
    qint32 number = 0;
    bool haveCategory = false;
    bool categoryWritten = false;
    // Lines end in CR LF, LF or CR; the last one needs no end.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        const QString first = fields.first().trimmed();
        if (!first.isEmpty()) {
            qint32 type = 0, parent = 0, state = 0;
            if (fields.size() >= 4) {
                type = NumberOf(fields, 1);
                number = NumberOf(fields, 2);
                parent = NumberOf(fields, 3);
                state = NumberOf(fields, 4);
            } else {
                // Without a number of its own the category follows the previous one.
                type = fields.size() >= 3 ? NumberOf(fields, 1) : 0;
                ++number;
            }
            // Numbers come from the file: a key must lie above the base and
            // within range, or it would name an older category or overflow.
            const qint64 wide = qint64(base) + number;
            const qint64 wideParent = qint64(base) + parent;
            haveCategory = true;
            categoryWritten = false;
            if (number < 1 || wide > INT32_MAX || parent < 0 || wideParent > INT32_MAX)
                continue;
            const qint32 key = qint32(wide);
            RowBuffer row;
            categoryWritten = d->m_db.AddRow(TopicId::DictionaryCategories, row, key) &&
                              SetInt(row, CategoryField::Number, key) && SetInt(row, CategoryField::Type, type) &&
                              SetInt(row, CategoryField::Parent, parent ? parent + base : 0) &&
                              SetInt(row, CategoryField::State, state) &&
                              SetText(row, CategoryField::Name, CutToUnits(first, FieldDescriptor::kNameUnits)) &&
                              row.Commit(false, true);
            if (!categoryWritten && !row.IsEmpty()) {
                row.Release();
                d->m_db.RemoveRow(TopicId::DictionaryCategories, key);
            }
            if (categoryWritten && categories)
                categories->append(key);
            continue;
        }
        // Entries of a category that was not written have nowhere to go.
        if (!haveCategory || !categoryWritten || fields.size() < 2)
            continue;
        const QString entryText = fields.at(1).trimmed();
        qint32 values[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) {
            const qsizetype index = 2 + i;
            if (index >= fields.size())
                break;
            values[i] = NumberOf(fields, index);
            // A flag with a field after it, and the last flag always, is 0
            // or 1. The column is taken as written: it is no flag, and
            // forcing it would lose every value this program writes.
            const bool forced = i == 3 || index + 1 < fields.size();
            if (i > 0 && forced && values[i] != 0 && values[i] != 1)
                values[i] = 0;
        }
        const qint32 category = base + number;
        if (entryText.isEmpty() || FindEntryInCategory(category, CutToUnits(entryText, FieldDescriptor::kNameUnits)))
            continue;
        CreateRow(TopicId::DictionaryEntries, [&](RowBuffer& row, qint32) {
            return SetInt(row, EntryField::Category, category) && SetInt(row, EntryField::Column, values[0]) &&
                   SetInt(row, EntryField::Flag1, values[1]) && SetInt(row, EntryField::Flag2, values[2]) &&
                   SetInt(row, EntryField::Flag3, values[3]) &&
                   SetText(row, EntryField::Text, CutToUnits(entryText, FieldDescriptor::kNameUnits));
        });
    }
    return true;
}
