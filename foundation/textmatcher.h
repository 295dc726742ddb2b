#pragma once

// Finding search terms in one text: the rules of the term kinds that the
// find commands and the dictionary's category search share, and a matcher
// that finds many plain terms in one pass over a text.
//
// Texts are rich-edit texts (see platform/rtf/richtextmap.h); positions are
// UTF-16 units of the text. Nothing here changes case: callers lower-case
// the text and the terms once (LowerCase, one unit at a time).

#include "foundation/searchsettings.h"

#include <QString>
#include <QStringView>

#include <bitset>
#include <memory>
#include <type_traits>
#include <vector>

/// @short The characters that end words: the blank, the program-wide
/// separator set (IsWordSeparator) and the structure marks of rich-edit
/// texts (cell ends, row marks, embedded objects), which never belong to a
/// word. A snapshot of the separator set when it is made.
class WordSeparators {
public:
    WordSeparators();
    bool operator()(QChar c) const { return m_table->test(c.unicode()); }

private:
    std::shared_ptr<const std::bitset<65536>> m_table;
};

/// How a term's occurrence must sit among the words of the text.
struct MatchRules {
    /// Plain terms: a separator (or the text's edge) on both sides. Two-part
    /// terms: no separator inside and one before the match.
    bool wholeWords = false;
    /// Plain terms without wholeWords: a separator (or the start) before.
    bool wordStart = false;
    /// Two-part terms with wholeWords: a separator (or the end) after the
    /// match as well.
    bool spanEndsAtSeparator = false;
};

/// @short Finds the occurrences of one term in one text, left to right.
///
/// The kinds are those of SplitSearchPattern. Plain: every occurrence, the
/// next searched from the end of an accepted one. Wildcard: the first part,
/// then the next occurrence of the second part after it, the whole span at
/// most 100 units. OneChar: exactly one unit between the parts. WordStart
/// (and Wildcard or OneChar with an empty second part): words beginning
/// with the part, up to the word's end; WordEnd (and the forms with an
/// empty first part): words ending with it, from the word's start. With
/// OneChar the word is exactly one unit longer than the part.
class TextMatcher {
public:
    /// The text must outlive the matcher.
    TextMatcher(QStringView text, const WordSeparators& separators) : m_text(text), m_separators(separators) {}

    /// Calls report(start, end) for each occurrence; a report that returns
    /// false ends the search.
    template <typename Report>
    void Find(SearchPatternKind kind, const QString& first, const QString& second, const MatchRules& rules,
              Report&& report) const
    {
        const auto accept = [&report](qsizetype start, qsizetype end) {
            if constexpr (std::is_void_v<decltype(report(start, end))>) {
                report(start, end);
                return true;
            } else {
                return bool(report(start, end));
            }
        };
        switch (kind) {
        case SearchPatternKind::Plain:
            return FindPlain(first, rules, accept);
        case SearchPatternKind::Wildcard:
        case SearchPatternKind::OneChar:
            if (second.isEmpty())
                return FindWordStart(first, kind == SearchPatternKind::OneChar, accept);
            if (first.isEmpty())
                return FindWordEnd(second, kind == SearchPatternKind::OneChar, accept);
            return FindTwoParts(first, second, kind == SearchPatternKind::OneChar, rules, accept);
        case SearchPatternKind::WordStart:
            return FindWordStart(first, false, accept);
        case SearchPatternKind::WordEnd:
            return FindWordEnd(first, false, accept);
        }
    }

    /// Outside the text counts as a separator.
    bool SeparatorAt(qsizetype i) const { return i < 0 || i >= m_text.size() || m_separators(m_text[i]); }
    /// Whether a plain occurrence [start, end) is accepted by the rules.
    bool AcceptsPlain(qsizetype start, qsizetype end, const MatchRules& rules) const
    {
        if (rules.wholeWords)
            return SeparatorAt(start - 1) && SeparatorAt(end);
        return !rules.wordStart || SeparatorAt(start - 1);
    }

private:
    template <typename Accept>
    void FindPlain(const QString& term, const MatchRules& rules, Accept& accept) const
    {
        if (term.isEmpty())
            return;
        for (qsizetype from = 0, i; (i = m_text.indexOf(term, from)) >= 0;) {
            const qsizetype end = i + term.size();
            if (!AcceptsPlain(i, end, rules)) {
                from = i + 1;
                continue;
            }
            if (!accept(i, end))
                return;
            from = end;
        }
    }

    bool HasSeparator(qsizetype from, qsizetype to) const
    {
        for (qsizetype i = from; i < to; ++i)
            if (m_separators(m_text[i]))
                return true;
        return false;
    }
    bool WholeSpan(qsizetype start, qsizetype end, const MatchRules& rules) const
    {
        if (!rules.wholeWords)
            return true;
        return SeparatorAt(start - 1) && !HasSeparator(start, end) && (!rules.spanEndsAtSeparator || SeparatorAt(end));
    }

    template <typename Accept>
    void FindTwoParts(const QString& first, const QString& second, bool oneChar, const MatchRules& rules,
                      Accept& accept) const
    {
        constexpr qsizetype kMaxSpan = 100;
        qsizetype secondAt = -1;  // the last occurrence of second found
        for (qsizetype from = 0, i; (i = m_text.indexOf(first, from)) >= 0;) {
            const qsizetype after = i + first.size();
            qsizetype end = -1;
            if (oneChar) {
                const qsizetype at = after + 1;
                if (at + second.size() <= m_text.size() && m_text.sliced(at, second.size()) == second)
                    end = at + second.size();
            } else {
                if (secondAt < after)
                    secondAt = m_text.indexOf(second, after);
                if (secondAt < 0)
                    return;
                if (secondAt + second.size() - i <= kMaxSpan)
                    end = secondAt + second.size();
            }
            if (end < 0 || !WholeSpan(i, end, rules)) {
                from = i + 1;
                continue;
            }
            if (!accept(i, end))
                return;
            from = end;
        }
    }

    template <typename Accept>
    void FindWordStart(const QString& part, bool oneMore, Accept& accept) const
    {
        for (qsizetype from = 0, i; (i = m_text.indexOf(part, from)) >= 0;) {
            qsizetype end = i + part.size();
            while (end < m_text.size() && !m_separators(m_text[end]))
                ++end;
            if (!SeparatorAt(i - 1) || (oneMore && end - i != part.size() + 1)) {
                from = i + 1;
                continue;
            }
            if (!accept(i, end))
                return;
            from = end;
        }
    }

    template <typename Accept>
    void FindWordEnd(const QString& part, bool oneMore, Accept& accept) const
    {
        for (qsizetype from = 0, i; (i = m_text.indexOf(part, from)) >= 0;) {
            const qsizetype end = i + part.size();
            qsizetype start = i;
            while (start > 0 && !m_separators(m_text[start - 1]))
                --start;
            if (!SeparatorAt(end) || (oneMore && end - start != part.size() + 1)) {
                from = i + 1;
                continue;
            }
            if (!accept(start, end))
                return;
            from = end;
        }
    }

    QStringView m_text;
    const WordSeparators& m_separators;
};

/// @short Many plain terms found in one pass over a text.
///
/// Gives each term the occurrences TextMatcher would give it alone (each
/// term searches on from the end of its last accepted occurrence), but
/// reads the text once whatever the number of terms. Terms are compared as
/// they are given; empty terms never match.
class PlainTermSet {
public:
    PlainTermSet();
    /// Adds a term with its rules; its index (from 0, in order of adding).
    int Add(const QString& term, const MatchRules& rules);
    int Count() const { return int(m_terms.size()); }
    bool IsEmpty() const { return m_terms.empty(); }

    /// Calls report(term, start, end) for each accepted occurrence, in text
    /// order; a report that returns false stops that term in this text.
    template <typename Report>
    void FindAll(QStringView text, const WordSeparators& separators, Report&& report) const;

private:
    struct Term {
        QString text;
        MatchRules rules;
        qint32 next = -1;  // the next term of the same bucket
    };
    static quint32 Bucket(char16_t a, char16_t b) { return (quint32(a) * 31u + b) & 0xFFFFu; }

    std::vector<Term> m_terms;
    std::vector<qint32> m_heads;       // first term of each bucket of two units, -1 for none
    std::vector<qint32> m_singleHeads; // terms of one unit, by that unit (made on demand)
    std::bitset<65536> m_used;         // buckets that hold a term
};

template <typename Report>
void PlainTermSet::FindAll(QStringView text, const WordSeparators& separators, Report&& report) const
{
    if (m_terms.empty())
        return;
    const TextMatcher matcher(text, separators);
    std::vector<qsizetype> from(m_terms.size(), 0);  // a term's next possible start
    std::vector<char> stopped(m_terms.size(), 0);
    const qsizetype length = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    const auto test = [&](qint32 t, qsizetype i) {
        const Term& term = m_terms[size_t(t)];
        const qsizetype end = i + term.text.size();
        if (stopped[size_t(t)] || i < from[size_t(t)] || end > length ||
            text.sliced(i, term.text.size()) != QStringView(term.text) || !matcher.AcceptsPlain(i, end, term.rules))
            return;
        from[size_t(t)] = end;
        if (!report(t, i, end))
            stopped[size_t(t)] = 1;
    };
    for (qsizetype i = 0; i < length; ++i) {
        if (!m_singleHeads.empty()) {
            for (qint32 t = m_singleHeads[units[i]]; t >= 0; t = m_terms[size_t(t)].next)
                test(t, i);
        }
        if (i + 1 < length) {
            const quint32 bucket = Bucket(units[i], units[i + 1]);
            if (m_used.test(bucket)) {
                for (qint32 t = m_heads[bucket]; t >= 0; t = m_terms[size_t(t)].next)
                    test(t, i);
            }
        }
    }
}
