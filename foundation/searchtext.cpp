// Searching one text: term patterns, sentences, paragraph numbers and the
// rules that combine the hits of several terms.
#include "foundation/filehelpers.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/searchsettings.h"
#include "foundation/textmatcher.h"
#include "platform/rtf/richeditctrlex.h"

#include <algorithm>

namespace {

bool IsSentenceBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'!' || c == u'?';
}

}  // namespace

SearchPatternKind SplitSearchPattern(const QString& term, QString& first, QString& second)
{
    first.clear();
    second.clear();
    const QString trimmed = term.trimmed();
    static const QString wildcards = QStringLiteral("*?<>");
    if (std::none_of(trimmed.begin(), trimmed.end(), [](QChar c) { return wildcards.contains(c); }))
        return SearchPatternKind::Plain;

    SearchPatternKind kind = SearchPatternKind::Plain;
    const qsizetype star = trimmed.indexOf(u'*');
    const qsizetype question = trimmed.indexOf(u'?');
    if (star >= 0 || question >= 0) {
        const qsizetype at = star >= 0 ? star : question;
        first = trimmed.left(at).trimmed();
        second = trimmed.mid(at + 1).trimmed();
        kind = star >= 0 ? SearchPatternKind::Wildcard : SearchPatternKind::OneChar;
    } else if (trimmed.startsWith(QLatin1String("<(")) && trimmed.endsWith(u')') && trimmed.size() >= 3) {
        first = trimmed.mid(2, trimmed.size() - 3);
        kind = SearchPatternKind::WordStart;
    } else if (trimmed.startsWith(u'(') && trimmed.endsWith(QLatin1String(")>")) && trimmed.size() >= 3) {
        first = trimmed.mid(1, trimmed.size() - 3);
        kind = SearchPatternKind::WordEnd;
    }
    if (first.isEmpty() && second.isEmpty())
        kind = SearchPatternKind::Plain;
    return kind;
}

bool FindSentenceEnd(const QString& text, int start, int& next)
{
    next = -1;
    bool wordGap = false;
    const int stop = int(text.size()) - 1;
    int current = start;
    int i = start;
    for (; i < stop; ++i) {
        const QChar c = text[i];
        if (c == u' ') {
            wordGap = true;
        } else if (c == u'.') {
            if (i > current + 1 && wordGap)
                break;
            next = i + 1;
            wordGap = false;
            current = i;
        } else if (IsSentenceBreak(c)) {
            break;
        }
    }
    return next == -1 || i >= stop;
}

void SplitSentences(const QString& text, QList<qint32>& ranges)
{
    ranges.clear();
    const int length = int(text.size());
    static const QString skipped = QStringLiteral("\r\n., !?");
    int i = 0;
    while (i < length) {
        while (i < length && skipped.contains(text[i]))
            ++i;
        if (i >= length)
            break;
        const int start = i;
        while (i < length && !IsSentenceBreak(text[i])) {
            if (text[i] == u'.') {
                int next = -1;
                if (FindSentenceEnd(text, i + 1, next))
                    break;
                i = next;  // after the abbreviation's last "."
                continue;
            }
            ++i;
        }
        ranges.append(start);
        ranges.append(std::min(i, length));
    }
}

int SentenceOfPosition(qint32 position, const QList<qint32>& ranges)
{
    if (ranges.isEmpty())
        return 0;
    // The sentences are pairs (start, end) whose ends increase, as in a
    // paragraph map.
    return ParagraphOfPosition(position, true, ranges);
}

QList<CSearchSettings::Term> CSearchSettings::PrepareTerms() const
{
    QList<Term> terms;
    for (qsizetype k = 0; k < m_options.terms.size(); ++k) {
        Term term;
        term.kind = SplitSearchPattern(m_options.terms[k], term.first, term.second);
        if (term.kind == SearchPatternKind::Plain)
            term.first = m_options.terms[k].trimmed();
        if (!m_options.matchCase) {
            LowerCase(term.first);
            LowerCase(term.second);
        }
        if (k > 0 && k - 1 < m_options.operators.size()) {
            const quint8 op = quint8(m_options.operators[k - 1]);
            if (op == quint8(SearchOperator::And) || op == quint8(SearchOperator::AndNot))
                term.op = SearchOperator(op);
        }
        terms.append(term);
    }
    return terms;
}

namespace {

// Sorted keys (paragraphs or sentences) of one term's hits, to ask whether
// one lies less than `distance` away from a value.
class NearIndex {
public:
    void Add(qint32 key) { m_keys.push_back(key); }
    void Sort() { std::sort(m_keys.begin(), m_keys.end()); }
    bool IsEmpty() const { return m_keys.empty(); }
    bool HasNear(qint32 key, qint32 distance) const
    {
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), qint64(key) - distance + 1);
        return it != m_keys.end() && *it < qint64(key) + distance;
    }

private:
    std::vector<qint32> m_keys;
};

}  // namespace

int CSearchSettings::SearchText(qint32 objectId, qint32 value, qint32 page, qint32 tableRow, const CSegmentArray*)
{
    // Rows restrict only the hits of a search over the project.
    const WordSeparators separators;
    Pass pass;
    pass.terms = PrepareTerms();
    pass.separators = &separators;
    const QList<SearchHit> hits = FindHits(pass, RichEdit(), ContentKind::RichText, objectId, value, page, tableRow);
    AppendHits(hits);
    return int(hits.size());
}

void CSearchSettings::AppendHits(const QList<SearchHit>& hits)
{
    const qsizetype count = m_hits.GetSize();
    m_hits.SetSize(count + hits.size());
    std::copy(hits.begin(), hits.end(), m_hits.begin() + count);
}

QList<SearchHit> CSearchSettings::FindHits(const Pass& pass, CRichEditCtrlEx& richEdit, ContentKind kind,
                                           qint32 objectId, qint32 value, qint32 page, qint32 tableRow) const
{
    ParagraphMap paragraphs;
    if (tableRow < 0)
        paragraphs = GetParagraphRanges(richEdit);
    QString text = richEdit.TextMap().text();
    richEdit.StreamInRtf(nullptr, false);
    return FindTextHits(pass, std::move(text), paragraphs, kind, objectId, value, page, tableRow);
}

QList<SearchHit> CSearchSettings::FindTextHits(const Pass& pass, QString text, const QList<qint32>& paragraphs,
                                               ContentKind kind, qint32 objectId, qint32 value, qint32 page,
                                               qint32 tableRow) const
{
    const QList<Term>& terms = pass.terms;
    if (!m_options.matchCase)
        LowerCase(text);
    QList<qint32> sentences;
    if (m_operatorMode)
        SplitSentences(text, sentences);

    // The rows that hold this text, when rows restrict the search.
    QList<const CSegmentRow*> inside;
    if (pass.rows) {
        for (const CSegmentRow& row : *pass.rows) {
            if (row.document != objectId)
                continue;
            if (kind == ContentKind::Table && (row.areaLeft != tableRow || row.page != page))
                continue;
            if (kind == ContentKind::Pdf && row.page != page)
                continue;
            inside.append(&row);
        }
    }

    QList<SearchHit> hits;
    const TextMatcher matcher(text, *pass.separators);
    MatchRules rules;
    rules.wholeWords = m_options.wholeWords;
    for (qsizetype k = 0; k < terms.size(); ++k) {
        if (terms[k].IsEmpty())
            continue;
        matcher.Find(terms[k].kind, terms[k].first, terms[k].second, rules, [&](qsizetype start, qsizetype end) {
            SearchHit hit;
            hit.term = qint32(k);
            hit.objectId = objectId;
            hit.value = value;
            hit.start = qint32(start);
            hit.end = qint32(end);
            hit.paragraph = tableRow >= 0 ? tableRow + 1 : ParagraphOfPosition(hit.start, true, paragraphs);
            hit.sentence = m_operatorMode ? SentenceOfPosition(hit.start, sentences) : 0;
            hit.page = page;
            hit.tableRow = tableRow;
            hits.append(hit);
        });
    }
    if (pass.rows) {
        hits.removeIf([&](const SearchHit& hit) {
            return std::none_of(inside.begin(), inside.end(), [&](const CSegmentRow* row) {
                return hit.start >= row->start && hit.start < row->end;
            });
        });
    }
    Filter(hits, terms);
    return hits;
}

// Keeps the hits of one text that the combination rules allow, in the
// order they are to be reported.
void CSearchSettings::Filter(QList<SearchHit>& hits, const QList<Term>& terms) const
{
    const qint32 distance = std::max(1, m_options.distance);
    const auto termOf = [&](const SearchHit& hit) -> const Term& { return terms[hit.term]; };

    if (m_operatorMode && !m_options.withinDistance) {
        for (qsizetype k = 0; k < terms.size(); ++k) {
            if (terms[k].IsEmpty() || k == 0)
                continue;
            const bool found = std::any_of(hits.begin(), hits.end(), [k](const SearchHit& hit) { return hit.term == k; });
            if ((terms[k].op == SearchOperator::And && !found) || (terms[k].op == SearchOperator::AndNot && found)) {
                hits.clear();
                return;
            }
        }
        return;
    }

    if (m_operatorMode) {
        // Distances in sentences. Base hits are those of the first term and
        // of the terms joined by "or".
        const auto isBase = [&](const SearchHit& hit) { return hit.term == 0 || termOf(hit).op == SearchOperator::Or; };
        const bool hasAndTerms = std::any_of(terms.begin() + std::min<qsizetype>(1, terms.size()), terms.end(),
                                             [](const Term& t) { return !t.IsEmpty() && t.op == SearchOperator::And; });
        std::vector<qsizetype> andHits;  // indices, by sentence
        NearIndex notHits;
        for (qsizetype i = 0; i < hits.size(); ++i) {
            if (isBase(hits[i]))
                continue;
            if (termOf(hits[i]).op == SearchOperator::And)
                andHits.push_back(i);
            else
                notHits.Add(hits[i].sentence);
        }
        notHits.Sort();
        std::stable_sort(andHits.begin(), andHits.end(),
                         [&](qsizetype a, qsizetype b) { return hits[a].sentence < hits[b].sentence; });

        std::vector<bool> taken(size_t(hits.size()), false);
        QList<SearchHit> kept;
        const auto keep = [&](qsizetype i) {
            if (taken[size_t(i)] || notHits.HasNear(hits[i].sentence, distance))
                return;
            taken[size_t(i)] = true;
            kept.append(hits[i]);
        };
        for (qsizetype i = 0; i < hits.size(); ++i) {
            if (!isBase(hits[i]))
                continue;
            if (!hasAndTerms) {
                keep(i);
                continue;
            }
            const qint64 sentence = hits[i].sentence;
            auto near = std::lower_bound(andHits.begin(), andHits.end(), sentence - distance + 1,
                                         [&](qsizetype a, qint64 key) { return hits[a].sentence < key; });
            for (; near != andHits.end() && hits[*near].sentence < sentence + distance; ++near) {
                keep(i);
                keep(*near);
            }
        }
        hits = std::move(kept);
        return;
    }

    if (!m_options.allTerms)
        return;
    std::vector<NearIndex> byTerm(size_t(terms.size()));
    for (const SearchHit& hit : hits)
        byTerm[size_t(hit.term)].Add(hit.paragraph);
    for (qsizetype k = 0; k < terms.size(); ++k) {
        if (terms[k].IsEmpty())
            continue;
        if (byTerm[size_t(k)].IsEmpty()) {
            hits.clear();
            return;
        }
        byTerm[size_t(k)].Sort();
    }
    if (!m_options.withinDistance)
        return;
    hits.removeIf([&](const SearchHit& hit) {
        for (qsizetype k = 0; k < terms.size(); ++k) {
            if (k != hit.term && !terms[k].IsEmpty() && !byTerm[size_t(k)].HasNear(hit.paragraph, distance))
                return true;
        }
        return false;
    });
}
