#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <list>
#include <memory>
#include <unordered_map>

/// @short The plain texts of documents and memos once their rich text was
/// decoded for a search, with the paragraph map that goes with them, kept
/// in memory for the open project only (never written anywhere).
///
/// An entry is keyed by the object and the fingerprint of the content it
/// was decoded from: a look-up with content that changed since finds
/// nothing and drops the old entry, so a changed document's old text is
/// never used. The texts held stay under a limit in bytes: once it is
/// reached, new texts are not kept, so that searches over more text than
/// the limit still find the same part in memory each time (dropping the
/// least recently used would drop each text just before its next use).
/// Used by one thread; an entry handed out stays valid (shared) after it
/// was dropped.
class PlainTextCache {
public:
    struct Entry {
        QString text;             ///< as the hidden rich-edit control holds it
        QList<qint32> paragraphs; ///< the paragraph map of the text (start, end pairs)
        qsizetype Bytes() const { return text.size() * 2 + paragraphs.size() * 4 + 64; }
    };
    using EntryPtr = std::shared_ptr<const Entry>;

    /// Stands for the content an entry was decoded from.
    struct Fingerprint {
        qsizetype size = 0;
        size_t hash = 0;
        bool operator==(const Fingerprint&) const = default;
    };
    static Fingerprint FingerprintOf(const QByteArray& content);

    static constexpr qsizetype kDefaultLimit = qsizetype(256) * 1024 * 1024;

    explicit PlainTextCache(qsizetype limitBytes = kDefaultLimit) : m_limit(limitBytes) {}

    /// The entry of the object decoded from content with this fingerprint,
    /// or null; an entry of other content is dropped.
    EntryPtr Find(bool memo, qint32 id, const Fingerprint& fingerprint);
    /// Keeps the entry in place of the object's old one, when it fits under
    /// the limit.
    void Insert(bool memo, qint32 id, const Fingerprint& fingerprint, EntryPtr entry);
    /// Forgets the object's entry.
    void Drop(bool memo, qint32 id);
    void Clear();

    /// A lower limit drops the least recently used entries.
    void SetLimit(qsizetype limitBytes);
    qsizetype Limit() const { return m_limit; }
    qsizetype Bytes() const { return m_bytes; }
    qsizetype Count() const { return qsizetype(m_entries.size()); }

private:
    struct Slot {
        quint64 key = 0;
        Fingerprint fingerprint;
        EntryPtr entry;
    };
    static quint64 KeyOf(bool memo, qint32 id) { return quint64(memo) << 32 | quint32(id); }
    void Remove(std::list<Slot>::iterator slot);
    void Trim();

    qsizetype m_limit;
    qsizetype m_bytes = 0;
    std::list<Slot> m_order;  // most recently used first
    std::unordered_map<quint64, std::list<Slot>::iterator> m_entries;
};
