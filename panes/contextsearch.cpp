#include "panes/contextsearch.h"

#include "platform/rtf/richeditctrlex.h"

void ContextSearchHits::Reset()
{
    m_positions.clear();
    m_current = 0;
    m_length = 0;
}

void ContextSearchHits::SetHits(QList<qint32> positions, qint32 length)
{
    m_positions = std::move(positions);
    m_current = 0;
    m_length = length;
}

void ContextSearchHits::Next()
{
    if (m_current + 1 < m_positions.size())
        ++m_current;
}

void ContextSearchHits::Previous()
{
    if (m_current > 0)
        --m_current;
}

void ContextSearchHits::Answer(ContextSearchRequest& request) const
{
    request.count = Count();
    request.current = m_positions.isEmpty() ? 0 : m_current + 1;
}

QList<qint32> FindContextHits(const CRichEditCtrlEx& text, const QString& searched)
{
    QList<qint32> hits;
    if (searched.isEmpty())
        return hits;
    CRichEditCtrlEx::FindTextRecord record;
    record.text = searched;
    record.cpMax = -1;
    for (;;) {
        const int found = text.FindTextPlain(kFindDown, &record);
        if (found < 0)
            break;
        hits.append(found);
        record.cpMin = found + int(searched.size());
    }
    return hits;
}
