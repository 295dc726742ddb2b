#pragma once

// The dictionary's words found in texts: the matching of the category
// search and of the category overviews.

#include "document/lexicalservice.h"
#include "foundation/textmatcher.h"

#include <QList>
#include <QString>

#include <vector>

class TopicDatabase;

namespace retrieval {

/// A dictionary entry as the search uses it.
struct DictionaryWord {
    qint32 entry = 0;
    qint32 category = 0;
    QString word;
    bool wholeWord = false;
    bool caseSensitive = false;
    bool wordStart = false;
};

/// The entries (topic 19) in the given order, leaving out entries whose
/// Type is not 0 and empty words.
QList<DictionaryWord> ReadDictionaryWords(const TopicDatabase& db, const QList<qint32>& entries);

/// A hit before duplicates are dropped: which word found it, in which text.
struct PendingHit {
    LexicalHit hit;
    qint32 text = 0;  ///< the text's place in the order of the search
    qint32 word = 0;  ///< index into the words
};

/// @short The words of a dictionary, prepared once and found in many texts.
///
/// Each text is lower-cased once (when a word ignores case); the plain
/// words are found in one pass over it, each wildcard word on its own. The
/// hits are those RunLexicalSearch would record for each word in turn.
class DictionaryMatcher {
public:
    /// stopAtFirst: each word records at most its first occurrence per text.
    DictionaryMatcher(QList<DictionaryWord> words, bool stopAtFirst);

    const QList<DictionaryWord>& Words() const { return m_words; }
    /// Appends the hits of every word in the text; each hit gets the
    /// document, page, base and code, its word's category and entry.
    void Find(const QString& text, qint32 textIndex, const LexicalHit& place, std::vector<PendingHit>& hits) const;

private:
    struct Pattern {
        qint32 word;
        SearchPatternKind kind;
        QString first;
        QString second;
        MatchRules rules;
        bool caseSensitive;
    };

    QList<DictionaryWord> m_words;
    bool m_stopAtFirst;
    WordSeparators m_separators;
    PlainTermSet m_exact;    // plain words that match case, over the text
    PlainTermSet m_folded;   // plain words that ignore case, over the lower-cased text
    std::vector<qint32> m_exactWords;
    std::vector<qint32> m_foldedWords;
    std::vector<Pattern> m_patterns;  // wildcard words
    bool m_needsFolded = false;
};

/// Sorts the hits into list order and keeps the first of each set of equal
/// hits, in the order the words and texts were searched; appends them to
/// out. counts (one per word, when given) gets each kept hit of its word.
void KeepFirstHits(std::vector<PendingHit>& hits, LexicalHitList& out, QList<qint32>* counts);

/// The pattern's kind and parts as the matcher takes them: a plain word
/// is the whole trimmed word.
SearchPatternKind PreparePattern(QString pattern, bool caseSensitive, QString& first, QString& second);

}  // namespace retrieval
