// Words: the document's word list and counts handed to its WordList, the
// dictionary topics' lookups and the dictionary file format.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/dictionaryfile.h"
#include "document/documentids.h"

#include "document/rowfields.h"
#include "document/wordcounts.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <array>

using namespace rowfields;

namespace {

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
    AddDictionaryContent(ParseDictionaryText(DecodeDictionaryBytes(file.readAll())), categories);
    return true;
}

CKorDoc::DictionaryRead CKorDoc::ReplaceDictionary(const QString& path, QList<qint32>* categories)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DictionaryRead::NotOpened;
    const QByteArray bytes = file.readAll();
    const QString text = DecodeDictionaryBytes(bytes);
    // A NUL never stands in a dictionary's text: the file is binary.
    if (text.contains(QChar(0)))
        return DictionaryRead::NotADictionary;
    const DictionaryFileContent content = ParseDictionaryText(text);
    // Text that holds no category line is no dictionary (an empty file or a
    // bare byte order mark is an empty one).
    const bool empty = bytes.isEmpty() || bytes == QByteArray("\xFF\xFE", 2);
    if (content.categories.isEmpty() && !empty)
        return DictionaryRead::NotADictionary;
    d->m_words.SetDictionaryLoaded();
    DeleteAllCategories();
    AddDictionaryContent(content, categories);
    return DictionaryRead::Read;
}

void CKorDoc::DeleteAllCategories()
{
    QList<qint32> keys;
    d->m_db.GetAllKeys(TopicId::DictionaryCategories, keys);
    QList<ObjectRef> items;
    for (const qint32 key : std::as_const(keys))
        items.append({TopicId::DictionaryCategories, key});
    if (!items.isEmpty())
        DeleteItems(items);
    // Entries whose category went without taking them along.
    d->m_db.GetAllKeys(TopicId::DictionaryEntries, keys);
    items.clear();
    for (const qint32 key : std::as_const(keys))
        items.append({TopicId::DictionaryEntries, key});
    if (!items.isEmpty())
        DeleteItems(items);
}

void CKorDoc::AddDictionaryContent(const DictionaryFileContent& content, QList<qint32>* categories)
{
    // Keys above every key the topic ever held, so none is given twice.
    const TopicTable* table = d->m_db.GetTable(TopicId::DictionaryCategories);
    const qint32 base = table ? std::max(table->GetLastKey(), table->GetKeyHighWater()) : 0;
    // Numbers come from the file: a key must lie above the base and within
    // range, or it would name an older category or overflow.
    const auto keyOf = [base](qint32 number) -> qint32 {
        const qint64 wide = qint64(base) + number;
        return number < 0 || wide > INT32_MAX ? 0 : qint32(wide);
    };
    for (const DictionaryFileCategory& category : content.categories) {
        const qint32 key = keyOf(category.fileId);
        const qint32 parent = category.fileParent ? keyOf(category.fileParent) : 0;
        if (key <= base || (category.fileParent && parent == 0))
            continue;
        RowBuffer row;
        const bool written = d->m_db.AddRow(TopicId::DictionaryCategories, row, key) &&
                             SetInt(row, CategoryField::Number, key) && SetInt(row, CategoryField::Type, category.type) &&
                             SetInt(row, CategoryField::Parent, parent) &&
                             SetInt(row, CategoryField::State, category.state) &&
                             SetText(row, CategoryField::Name, CutToUnits(category.name, FieldDescriptor::kNameUnits)) &&
                             row.Commit(false, true);
        if (!written && !row.IsEmpty()) {
            row.Release();
            d->m_db.RemoveRow(TopicId::DictionaryCategories, key);
        }
        if (written && categories)
            categories->append(key);
    }
    // The words each category holds, gathered once per category: a lookup
    // per line would scan the category's entries again and again.
    QHash<qint32, QSet<QString>> words;
    for (const DictionaryFileEntry& entry : content.entries) {
        // Entries join categories of this read only, never an older one.
        const qint32 category = keyOf(entry.fileCategory);
        if (category <= base || !HasRow(TopicId::DictionaryCategories, category))
            continue;
        auto known = words.find(category);
        if (known == words.end())
            known = words.insert(category, WordsOfCategory(category));
        const QString word = CutToUnits(entry.word, FieldDescriptor::kNameUnits);
        if (known->contains(word))
            continue;
        const qint32 key = CreateRow(TopicId::DictionaryEntries, [&](RowBuffer& row, qint32) {
            return SetInt(row, EntryField::Category, category) && SetInt(row, EntryField::Column, entry.column) &&
                   SetInt(row, EntryField::Flag1, entry.flag1) && SetInt(row, EntryField::Flag2, entry.flag2) &&
                   SetInt(row, EntryField::Flag3, entry.flag3) && SetText(row, EntryField::Text, word);
        });
        if (key)
            known->insert(word);
    }
}

QSet<QString> CKorDoc::WordsOfCategory(qint32 category) const
{
    QList<qint32> entries;
    d->m_db.FindKeysByParent(TopicId::DictionaryEntries, TopicId::DictionaryCategories, category, entries);
    QSet<QString> words;
    words.reserve(entries.size());
    for (const qint32 entry : std::as_const(entries))
        words.insert(TextOfKey(d->m_db, TopicId::DictionaryEntries, entry, EntryField::Text));
    return words;
}

// ---- Word frequencies: calls into the registered word counter ------------------

void CKorDoc::SetWordCounter(IWordCounter* counter)
{
    d->m_wordCounter = counter;
}

IWordCounter* CKorDoc::GetWordCounter() const
{
    return d->m_wordCounter;
}

const WordCountSettings& CKorDoc::GetWordCountSettings() const
{
    return d->m_wordCountSettings;
}

void CKorDoc::SetWordCountSettings(const WordCountSettings& settings)
{
    d->m_wordCountSettings = settings;
    d->m_words.SetMinWordLength(settings.minChars);
    d->m_words.SetOn(settings.useStopList);
}

qint64 CKorDoc::GetTotalWordCount() const
{
    return d->m_totalWordCount;
}

void CKorDoc::SetTotalWordCount(qint64 count)
{
    d->m_totalWordCount = count;
}

void CKorDoc::CountWordsAll(qint32 unit, const CSegmentArray* segments)
{
    if (d->m_wordCounter)
        d->m_wordCounter->CountWordsAll(*this, unit, segments);
}

bool CKorDoc::CountWordsInDocuments(const QList<qint32>& documents, const QList<qint32>& sets, qint32 unit,
                                    const CSegmentArray* segments)
{
    return d->m_wordCounter && d->m_wordCounter->CountWordsInDocuments(*this, documents, sets, unit, segments);
}

void CKorDoc::CollectWords(const QList<qint32>& documents, QByteArray& rtf)
{
    if (d->m_wordCounter)
        d->m_wordCounter->CollectWords(*this, documents, rtf);
}

QString CKorDoc::GetStopListText() const
{
    return d->m_words.Words().join(QStringLiteral("\r\n"));
}
