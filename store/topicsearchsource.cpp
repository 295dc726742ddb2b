#include "store/topicsearchsource.h"

#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

QList<qint32> TopicSearchSource::GetObjectIds(bool memos) const
{
    QList<qint32> ids;
    m_database.GetAllKeys(memos ? TopicId::Memos : TopicId::Documents, ids);
    return ids;
}

bool TopicSearchSource::IsActivated(qint32 documentId) const
{
    return m_database.GetIntValue(TopicId::Documents, documentId, DocumentField::State) & ObjectState::Activated;
}

bool TopicSearchSource::ReadContent(bool memo, qint32 id, Content& content)
{
    RowBuffer row;
    FieldValue value;
    if (!m_database.ReadRow(memo ? TopicId::Memos : TopicId::Documents, id, row, true) ||
        !row.GetFieldValue(memo ? qint32(MemoField::Text) : qint32(DocumentField::Text), value) || !value.GetBlob() ||
        value.GetBlob()->isEmpty())
        return false;
    content.bytes = *value.GetBlob();
    content.title.clear();
    if (memo) {
        content.kind = ContentKind::RichText;
        FieldValue title;
        if (row.GetFieldValue(MemoField::Title, title))
            content.title = title.GetText();
        return true;
    }
    FieldValue kind;
    row.GetFieldValue(DocumentField::DocType, kind);
    switch (kind.GetInt()) {
    case DocumentKind::RichText: content.kind = ContentKind::RichText; break;
    case DocumentKind::Pdf: content.kind = ContentKind::Pdf; break;
    case DocumentKind::Table: content.kind = ContentKind::Table; break;
    default: content.kind = ContentKind::Other; break;
    }
    return true;
}
