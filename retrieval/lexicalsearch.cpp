// Lexical matching and the dictionary's category search.

#include "document/documentids.h"
#include "document/kordoc.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/dictionarymatcher.h"
#include "retrieval/documenttexts.h"
#include "retrieval/lexicalengine.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QDesktopServices>
#include <QHash>
#include <QUrl>

#include <algorithm>

namespace retrieval {

namespace {

/// Breakdowns of the category search.
constexpr qint32 kOverall = 0;
constexpr qint32 kPerDocumentSet = 4;
constexpr qint32 kPerDocument = 5;

bool StopAtFirstHit()
{
    return g_dictioOptions.GetBool(DictioOption::StopAtFirstHit);
}

}  // namespace

SearchPatternKind PreparePattern(QString pattern, bool caseSensitive, QString& first, QString& second)
{
    if (!caseSensitive)
        LowerCase(pattern);
    const SearchPatternKind kind = SplitSearchPattern(pattern, first, second);
    if (kind == SearchPatternKind::Plain) {
        first = pattern.trimmed();
        second.clear();
    }
    return kind;
}

QList<DictionaryWord> ReadDictionaryWords(const TopicDatabase& db, const QList<qint32>& entries)
{
    QList<DictionaryWord> words;
    const TopicTable* table = db.GetTable(TopicId::DictionaryEntries);
    if (!table)
        return words;
    for (const qint32 entry : entries) {
        RowBuffer row;
        if (!const_cast<TopicDatabase&>(db).ReadRow(TopicId::DictionaryEntries, entry, row, false))
            continue;
        const auto value = [&row](qint32 field) {
            FieldValue v;
            return row.GetFieldValue(field, v) ? v.GetInt() : 0;
        };
        FieldValue text;
        DictionaryWord word;
        word.entry = entry;
        word.category = value(EntryField::Category);
        word.word = row.GetFieldValue(EntryField::Text, text) ? text.GetText() : QString();
        word.wholeWord = value(EntryField::Flag1) != 0;
        word.caseSensitive = value(EntryField::Flag2) != 0;
        word.wordStart = value(EntryField::Flag3) != 0;
        if (value(EntryField::Column) != 0 || word.word.trimmed().isEmpty())
            continue;
        words.append(word);
    }
    return words;
}

DictionaryMatcher::DictionaryMatcher(QList<DictionaryWord> words, bool stopAtFirst)
    : m_words(std::move(words)), m_stopAtFirst(stopAtFirst)
{
    for (qint32 w = 0; w < m_words.size(); ++w) {
        const DictionaryWord& word = m_words[w];
        Pattern pattern{w, SearchPatternKind::Plain, {}, {}, {}, word.caseSensitive};
        pattern.kind = PreparePattern(word.word, word.caseSensitive, pattern.first, pattern.second);
        pattern.rules.wholeWords = word.wholeWord;
        pattern.rules.wordStart = word.wordStart;
        pattern.rules.spanEndsAtSeparator = true;
        if (pattern.first.isEmpty() && pattern.second.isEmpty())
            continue;
        m_needsFolded = m_needsFolded || !word.caseSensitive;
        if (pattern.kind != SearchPatternKind::Plain) {
            m_patterns.push_back(pattern);
        } else if (word.caseSensitive) {
            m_exact.Add(pattern.first, pattern.rules);
            m_exactWords.push_back(w);
        } else {
            m_folded.Add(pattern.first, pattern.rules);
            m_foldedWords.push_back(w);
        }
    }
}

void DictionaryMatcher::Find(const QString& text, qint32 textIndex, const LexicalHit& place,
                             std::vector<PendingHit>& hits) const
{
    QString folded;
    if (m_needsFolded) {
        folded = text;
        LowerCase(folded);
    }
    const auto record = [&](qint32 word, qsizetype start, qsizetype end) {
        PendingHit pending{place, textIndex, word};
        pending.hit.category = m_words[word].category;
        pending.hit.entry = m_words[word].entry;
        pending.hit.start = qint32(start);
        pending.hit.end = qint32(end);
        hits.push_back(pending);
        return !m_stopAtFirst;
    };
    m_exact.FindAll(text, m_separators,
                    [&](int term, qsizetype start, qsizetype end) { return record(m_exactWords[term], start, end); });
    m_folded.FindAll(folded, m_separators, [&](int term, qsizetype start, qsizetype end) {
        return record(m_foldedWords[term], start, end);
    });
    for (const Pattern& pattern : m_patterns) {
        const TextMatcher matcher(pattern.caseSensitive ? QStringView(text) : QStringView(folded), m_separators);
        matcher.Find(pattern.kind, pattern.first, pattern.second, pattern.rules,
                     [&](qsizetype start, qsizetype end) { return record(pattern.word, start, end); });
    }
}

void KeepFirstHits(std::vector<PendingHit>& hits, LexicalHitList& out, QList<qint32>* counts)
{
    // Equal hits in the order a search word by word and text by text would
    // have met them: the first is the one recorded.
    std::sort(hits.begin(), hits.end(), [](const PendingHit& a, const PendingHit& b) {
        if (LexicalHitLess(a.hit, b.hit))
            return true;
        if (LexicalHitLess(b.hit, a.hit))
            return false;
        return std::tie(a.text, a.word, a.hit.start) < std::tie(b.text, b.word, b.hit.start);
    });
    for (size_t i = 0; i < hits.size(); ++i) {
        if (i > 0 && !LexicalHitLess(hits[i - 1].hit, hits[i].hit))
            continue;
        out.append(hits[i].hit);
        if (counts)
            ++(*counts)[hits[i].word];
    }
}

LexicalEngine::LexicalEngine()
    : m_openFile([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{
}

qint32 LexicalEngine::RunLexicalSearch(const LexicalSearch& search, LexicalHitList& hits)
{
    QString first;
    QString second;
    const SearchPatternKind kind = PreparePattern(search.pattern, search.caseSensitive, first, second);
    if (first.isEmpty() && second.isEmpty())
        return 0;
    QString text = search.text;
    if (!search.caseSensitive)
        LowerCase(text);
    MatchRules rules;
    rules.wholeWords = search.wholeWord;
    rules.wordStart = search.wordStart;
    rules.spanEndsAtSeparator = true;
    const bool stop = StopAtFirstHit();
    const WordSeparators separators;
    qint32 found = 0;
    TextMatcher(text, separators).Find(kind, first, second, rules, [&](qsizetype start, qsizetype end) {
        LexicalHit hit;
        hit.document = search.document;
        hit.category = search.category;
        hit.code = search.code;
        hit.end = qint32(end);
        hit.start = qint32(start);
        hit.base = search.base;
        hit.page = search.page;
        hit.entry = search.entry;
        const bool isNew = AddLexicalHit(hit, hits);
        if (stop) {
            found = isNew ? 1 : 0;
            return false;
        }
        found += isNew ? 1 : 0;
        return true;
    });
    return found;
}

void LexicalEngine::SearchCategoryWords(CKorDoc& doc, qint32 breakdown, const CSegmentArray* rows)
{
    LexicalHitList& result = doc.GetCategoryHits();
    result.clear();
    TopicDatabase& db = doc.GetDatabase();
    const bool inSegments = doc.IsCategoryInSegmentsOnly() && rows;

    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    if (doc.IsCategoryActivatedOnly() || inSegments)
        documents.removeIf([&db](qint32 d) {
            return !(db.GetIntValue(TopicId::Documents, d, DocumentField::State) & ObjectState::Activated);
        });
    if ((breakdown == kOverall || breakdown == kPerDocument) && !inSegments)
        doc.GetKeptDocuments() = documents;

    QList<qint32> sets;
    if (breakdown == kPerDocumentSet) {
        db.GetAllKeys(TopicId::DocumentSets, sets);
        doc.PrepareWordTable(sets, TopicId::DocumentSets);
    } else if (breakdown == kPerDocument) {
        doc.PrepareWordTable(documents, TopicId::Documents);
    } else {
        doc.PrepareWordTable({}, 0);
    }

    QList<qint32> entries;
    doc.ListDistinctEntries(entries);
    const DictionaryMatcher matcher(ReadDictionaryWords(db, entries), StopAtFirstHit());
    const QList<DictionaryWord>& words = matcher.Words();
    IWordTally* tally = doc.GetWordTally();
    QList<qint32> totals(words.size(), 0);

    // The segments of each document, when only they are searched.
    QHash<qint32, QList<const CSegmentRow*>> segments;
    if (inSegments) {
        for (const CSegmentRow& row : *rows)
            segments[row.document].append(&row);
    }

    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    std::vector<PendingHit> pending;
    for (const qint32 document : std::as_const(documents)) {
        if (inSegments && !segments.contains(document))
            continue;
        const QList<DocumentText> texts = ReadDocumentTexts(db, document, *edit);
        if (texts.isEmpty())
            continue;
        pending.clear();
        LexicalHit place;
        place.document = document;
        qint32 textIndex = 0;
        if (!inSegments) {
            for (const DocumentText& text : texts) {
                place.page = text.page;
                matcher.Find(text.text, textIndex++, place, pending);
            }
        } else {
            for (const CSegmentRow* row : segments.value(document)) {
                // A segment's text is its range of its page (or cell).
                for (const DocumentText& text : texts) {
                    if (!SegmentOnText(*row, text))
                        continue;
                    const qint32 start = qBound(0, row->start, qint32(text.text.size()));
                    const qint32 end = qBound(start, row->end, qint32(text.text.size()));
                    place.page = text.page;
                    place.base = start;
                    matcher.Find(text.text.mid(start, end - start), textIndex++, place, pending);
                }
            }
        }
        QList<qint32> counts(words.size(), 0);
        KeepFirstHits(pending, result, &counts);
        if (!tally)
            continue;
        QList<qint32> owners;  // the columns this document counts in
        if (breakdown == kPerDocument) {
            owners = {document};
        } else if (breakdown == kPerDocumentSet) {
            QList<qint32> members;
            db.FindKeysByParent(TopicId::DocumentSetMembers, TopicId::Documents, document, members);
            for (const qint32 member : std::as_const(members))
                owners.append(db.GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::SetID));
        }
        for (qint32 w = 0; w < words.size(); ++w) {
            if (counts[w] == 0)
                continue;
            if (breakdown == kPerDocument || breakdown == kPerDocumentSet) {
                for (const qint32 owner : std::as_const(owners))
                    tally->AddWordHits(words[w].entry, owner, counts[w]);
            } else {
                totals[w] += counts[w];
            }
        }
    }
    if (tally && breakdown != kPerDocument && breakdown != kPerDocumentSet) {
        for (qint32 w = 0; w < words.size(); ++w) {
            if (totals[w] > 0)
                tally->AddWordHits(words[w].entry, 0, totals[w]);
        }
    }
}

}  // namespace retrieval
