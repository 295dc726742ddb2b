#include "store/topicsearchsource.h"

#include "store/compressedblob.h"
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

namespace {

/// The content's kind and title from the row in memory.
void DescribeContent(bool memo, RowBuffer& row, SearchSource::Content& content)
{
    content.title.clear();
    if (memo) {
        content.kind = SearchSource::ContentKind::RichText;
        FieldValue title;
        if (row.GetFieldValue(MemoField::Title, title))
            content.title = title.GetText();
        return;
    }
    FieldValue kind;
    row.GetFieldValue(DocumentField::DocType, kind);
    switch (kind.GetInt()) {
    case DocumentKind::RichText: content.kind = SearchSource::ContentKind::RichText; break;
    case DocumentKind::Pdf: content.kind = SearchSource::ContentKind::Pdf; break;
    case DocumentKind::Table: content.kind = SearchSource::ContentKind::Table; break;
    default: content.kind = SearchSource::ContentKind::Other; break;
    }
}

}  // namespace

bool TopicSearchSource::ReadContent(bool memo, qint32 id, Content& content)
{
    RowBuffer row;
    FieldValue value;
    if (!m_database.ReadRow(memo ? TopicId::Memos : TopicId::Documents, id, row, true) ||
        !row.GetFieldValue(memo ? qint32(MemoField::Text) : qint32(DocumentField::Text), value) || !value.GetBlob() ||
        value.GetBlob()->isEmpty())
        return false;
    content.bytes = *value.GetBlob();
    content.stored = false;
    DescribeContent(memo, row, content);
    return true;
}

bool TopicSearchSource::ReadStoredContent(bool memo, qint32 id, Content& content)
{
    const qint32 topic = memo ? TopicId::Memos : TopicId::Documents;
    RowBuffer row;
    if (!m_database.ReadRow(topic, id, row, false))
        return false;
    // An engine that cannot give the stored form: the row as it is read.
    if (!m_database.ReadStoredBlob(topic, id, memo ? qint32(MemoField::Text) : qint32(DocumentField::Text),
                                   content.bytes))
        return ReadContent(memo, id, content);
    if (content.bytes.isEmpty())
        return false;
    content.stored = true;
    DescribeContent(memo, row, content);
    return true;
}

bool TopicSearchSource::DecodeContent(Content& content) const
{
    if (!content.stored)
        return true;
    QByteArray value;
    if (!DecodeStoredBlob(content.bytes, value))
        return false;
    content.bytes = std::move(value);
    content.stored = false;
    return true;
}

PlainTextCache* TopicSearchSource::PlainTexts()
{
    return &m_database.PlainTexts();
}
