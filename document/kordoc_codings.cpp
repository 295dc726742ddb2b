// Codings: the counters of codes that codings keep in memory, and counts.

#include "document/kordoc.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <algorithm>

using namespace rowfields;

qint32 CKorDoc::CountCountedCodings() const
{
    QList<qint32> temporary;
    m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, 0, temporary);
    return m_db.GetRowCount(TopicId::Codings) - qint32(temporary.size());
}

void CKorDoc::SetCodeShares(RowBuffer& codeRow) const
{
    const qint32 total = CountCountedCodings();
    const qint32 activated = GetActivatedCount(TopicId::Codings);
    SetReal(codeRow, CodeFrequencyField::ShareOfCodings,
            total > 0 ? IntOf(codeRow, CodeField::Codes) * 100.0 / total : 0.0);
    SetReal(codeRow, CodeFrequencyField::ShareOfActivated,
            activated > 0 ? IntOf(codeRow, CodeField::ActiveCodes) * 100.0 / activated : 0.0);
}

bool CKorDoc::IsCodeRetrieved(qint32 code) const
{
    if (code == 0)
        return false;
    if (IsActivated(TopicId::Codes, code))
        return true;
    if (m_options.l4) {
        // Subcodes included: an activated code above counts. A damaged file
        // may hold a cycle of parents: each code is passed once.
        QSet<qint32> visited{code};
        for (qint32 parent = m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
             parent != 0 && !visited.contains(parent); parent = m_db.GetIntValue(TopicId::Codes, parent, CodeField::Parent)) {
            if (IsActivated(TopicId::Codes, parent))
                return true;
            visited.insert(parent);
        }
    }
    // Functions 5 to 9 name one further code of their own.
    const qint32 named[] = {0, 0, 0, 0, 0, m_options.codeA, m_options.enclosingCode, m_options.excludedCode,
                            m_options.followingCode, m_options.nearCode};
    const qint32 function = m_options.retrievalFunction;
    return function >= 5 && function <= 9 && named[function] == code;
}

qint32 CKorDoc::CountCodingsOfCodeInDocument(qint32 code, qint32 document, const TopicDatabase* store) const
{
    const TopicDatabase& db = store ? *store : m_db;
    QList<qint32> codings;
    db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
    return qint32(std::count_if(codings.cbegin(), codings.cend(), [&db, code](qint32 coding) {
        return db.GetIntValue(TopicId::Codings, coding, CodingField::Code) == code;
    }));
}
