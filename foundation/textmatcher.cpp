#include "foundation/textmatcher.h"

#include "foundation/options.h"
#include "platform/rtf/richtextmap.h"

WordSeparators::WordSeparators()
{
    auto table = std::make_shared<std::bitset<65536>>();
    table->set(u' ');
    for (const QChar c : GetWordSeparators(true))
        table->set(c.unicode());
    for (const char16_t mark : {rtf::kCellEnd, rtf::kRowStart, rtf::kRowEnd, rtf::kObject})
        table->set(mark);
    m_table = std::move(table);
}

PlainTermSet::PlainTermSet() : m_heads(65536, -1) {}

int PlainTermSet::Add(const QString& term, const MatchRules& rules)
{
    const qint32 index = qint32(m_terms.size());
    m_terms.push_back({term, rules, -1});
    if (term.size() == 1) {
        if (m_singleHeads.empty())
            m_singleHeads.assign(65536, -1);
        // Appended at the list's end, so a position reports terms in order.
        qint32* link = &m_singleHeads[term[0].unicode()];
        while (*link >= 0)
            link = &m_terms[size_t(*link)].next;
        *link = index;
    } else if (term.size() > 1) {
        const quint32 bucket = Bucket(term[0].unicode(), term[1].unicode());
        qint32* link = &m_heads[bucket];
        while (*link >= 0)
            link = &m_terms[size_t(*link)].next;
        *link = index;
        m_used.set(bucket);
    }
    return index;
}
