// The word list, word counts and the separator rule they share.

#include "document/wordlist.h"

#include "document/wordcounts.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace {

constexpr qsizetype kLongestWord = 63;

/// The separator characters as a bit table, rebuilt when the option changes.
class SeparatorTable {
public:
    bool Contains(char16_t c) const { return (m_bits[c >> 6] >> (c & 63)) & 1; }
    static const SeparatorTable& Current()
    {
        static SeparatorTable table;
        const QString separators = GetWordSeparators(true);
        if (!table.m_built || separators != table.m_source) {
            table.m_bits.fill(0);
            for (const QChar c : separators)
                table.m_bits[c.unicode() >> 6] |= quint64(1) << (c.unicode() & 63);
            table.m_source = separators;
            table.m_built = true;
        }
        return table;
    }

private:
    std::array<quint64, 1024> m_bits{};
    QString m_source;
    bool m_built = false;
};

/// One UTF-16 unit at a time, so positions never move.
inline char16_t LowerUnit(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return QChar(c).toLower().unicode();
}

QString LowerUnits(QStringView word)
{
    QString lower = word.toString();
    for (QChar& c : lower)
        c = QChar(LowerUnit(c.unicode()));
    return lower;
}

/// Calls visit(word) for every blank-separated word of a text whose
/// separators are blanks already.
template <typename Visit>
void ForEachWord(const QString& text, Visit visit)
{
    const char16_t* data = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i <= size; ++i) {
        if (i == size || data[i] == u' ') {
            if (i > start)
                visit(QStringView(data + start, i - start));
            start = i + 1;
        }
    }
}

}  // namespace

void RemoveSeparators(QString& text, bool lower)
{
    const SeparatorTable& separators = SeparatorTable::Current();
    char16_t* data = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0, size = text.size(); i < size; ++i) {
        const char16_t c = lower ? LowerUnit(data[i]) : data[i];
        data[i] = separators.Contains(c) ? u' ' : c;
    }
    text.append(u' ');
}

bool WordList::FindWordPosition(const QString& word, qsizetype* position)
{
    const QString lower = LowerUnits(word);
    const auto place = std::lower_bound(m_words.begin(), m_words.end(), lower);
    if (position)
        *position = place - m_words.begin();
    if (place != m_words.end() && *place == lower)
        return false;
    m_words.insert(place, lower);
    return true;
}

bool WordList::FindWordInList(QStringView word) const
{
    if (!m_on || m_words.isEmpty())
        return false;
    return std::binary_search(m_words.cbegin(), m_words.cend(), LowerUnits(word));
}

bool WordList::RemoveWord(const QString& word)
{
    const QString lower = LowerUnits(word);
    const auto place = std::lower_bound(m_words.begin(), m_words.end(), lower);
    if (place == m_words.end() || *place != lower)
        return false;
    m_words.erase(place);
    return true;
}

void WordList::SetWords(const QString& text, bool append)
{
    if (!append)
        m_words.clear();
    QString words = text;
    RemoveSeparators(words, true);
    // Sorted and made unique once, not word by word.
    ForEachWord(words, [this](QStringView word) { m_words.append(word.toString()); });
    std::sort(m_words.begin(), m_words.end());
    m_words.erase(std::unique(m_words.begin(), m_words.end()), m_words.end());
}

qint32 WordList::CountWords(QString& text, WordCounts& words, WordCounts* second, bool count) const
{
    RemoveSeparators(text, !g_dictioOptions.GetBool(DictioOption::CaseSensitive));
    const bool listed = m_on && !m_words.isEmpty();
    qint32 counted = 0;
    ForEachWord(text, [&](QStringView word) {
        if (word.size() > kLongestWord || word.size() < m_minWordLength || (listed && FindWordInList(word)))
            return;
        qint32& value = words[word];
        if (count)
            ++value;
        if (second)
            ++(*second)[word];
        ++counted;
    });
    return counted;
}

qint32 WordList::CountTextWords(const QString& text)
{
    QString words = text;
    RemoveSeparators(words, false);
    qint32 counted = 0;
    ForEachWord(words, [&counted](QStringView word) { counted += word.size() >= 2 && word.size() <= kLongestWord; });
    return counted;
}

void WordList::EnsureDictionaryFile()
{
    // Tested without creating anything: a readable file, or a file that
    // could be made in a writable folder.
    const QFileInfo file(m_dictionaryFile);
    const QFileInfo folder(file.absolutePath());
    const bool readable = file.isFile() && file.isReadable();
    const bool creatable = !file.exists() && folder.isDir() && folder.isWritable();
    const bool usable = !m_dictionaryFile.isEmpty() && (readable || creatable);
    if (!usable)
        m_dictionaryFile = g_program.SettingsFolder + QStringLiteral("Default.kvd");
}
