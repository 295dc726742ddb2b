#pragma once

#include "foundation/plaintextcache.h"

#include <QByteArray>
#include <QList>
#include <QString>

/// @short What the text search reads of the project: which documents and
/// memos there are and what they hold. The store implements it over the
/// topic database; the search only holds a pointer, so it never reaches up
/// into the store.
class SearchSource {
public:
    enum class ContentKind { RichText, Pdf, Table, Other };

    /// One document's or memo's searchable content.
    struct Content {
        ContentKind kind = ContentKind::Other;
        QByteArray bytes;   ///< rich text, PDF file or table image
        QString title;      ///< a memo's title; empty for documents
        bool stored = false;  ///< bytes in the project's stored form (ReadStoredContent)
    };

    virtual ~SearchSource() = default;
    /// Every memo id (else every document id) in key order.
    virtual QList<qint32> GetObjectIds(bool memos) const = 0;
    /// Whether the document's state has the activated bit.
    virtual bool IsActivated(qint32 documentId) const = 0;
    /// The content of a memo (else a document); false when the object is
    /// absent or has no content.
    virtual bool ReadContent(bool memo, qint32 id, Content& content) = 0;
    /// ReadContent with the bytes as the project stores them, for
    /// DecodeContent to finish on another thread.
    virtual bool ReadStoredContent(bool memo, qint32 id, Content& content) { return ReadContent(memo, id, content); }
    /// Makes the bytes of ReadStoredContent the content. Touches nothing but
    /// the content, so any thread may call it; false when only ReadContent
    /// can give the content.
    virtual bool DecodeContent(Content& content) const
    {
        Q_UNUSED(content);
        return true;
    }
    /// Where the search keeps the plain texts it decoded, for the next
    /// search of the same project; null keeps none.
    virtual PlainTextCache* PlainTexts() { return nullptr; }
};
