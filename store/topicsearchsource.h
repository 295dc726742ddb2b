#pragma once

#include "foundation/searchsource.h"

class TopicDatabase;

/// @short The text search's view of a topic database: documents, memos and
/// their stored content.
class TopicSearchSource : public SearchSource {
public:
    explicit TopicSearchSource(TopicDatabase& database) : m_database(database) {}

    QList<qint32> GetObjectIds(bool memos) const override;
    bool IsActivated(qint32 documentId) const override;
    bool ReadContent(bool memo, qint32 id, Content& content) override;
    bool ReadStoredContent(bool memo, qint32 id, Content& content) override;
    bool DecodeContent(Content& content) const override;
    PlainTextCache* PlainTexts() override;

private:
    TopicDatabase& m_database;
};
