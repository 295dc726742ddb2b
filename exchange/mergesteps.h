#pragma once

// The merge steps by object kind that the whole-project merge and the
// teamwork exchange share, and the row copies behind them. Internal to
// exchange/.

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>

class CKorDoc;
class RowBuffer;
class TopicDatabase;

namespace mergesteps {

// What a copied row takes from its source row; the rest is the new row's
// own (key, owners, counters kept elsewhere) or set by the step.
extern const QList<qint32> kDocumentFields;
extern const QList<qint32> kMemoFields;
extern const QList<qint32> kLinkFields;

constexpr qint32 kObjectMemoPosition = -1;  // Pos of the memo of an object
constexpr qint32 kExternalLink = -1;        // LinkID of a link to outside

/// The path of a code: its names from the top down, joined by a backslash.
QString CodePathOf(const TopicDatabase& db, qint32 code);

/// The blob of a row's field, decoded; empty when there is none.
QByteArray ReadBlob(TopicDatabase& db, qint32 topic, qint32 key, qint32 fieldId);

/// Reads and decodes every blob a merge copies; false with the place and
/// the reason of the first that cannot be read.
bool CheckBlobs(TopicDatabase& db, QString& reason);

}  // namespace mergesteps

/// @short One run of steps from a source store into a target store: the key
/// maps from source to target and the steps by kind. Every step stops at
/// the first write that fails, which fails the run; the caller holds the
/// transaction. With a protocol text, steps append their lines to it.
class MergeSteps {
public:
    MergeSteps(CKorDoc& doc, TopicDatabase& source, TopicDatabase& target, QString* protocol = nullptr);
    virtual ~MergeSteps() = default;

    const QString& Reason() const { return m_reason; }

    /// Codes by path below the parent, parents first; a path the target has
    /// (case ignored) is reused, else made. Counters are the caller's.
    bool MergeCodes(qint32 sourceParent, qint32 targetParent, const QString& prefix);
    /// The codes a memo's code list names, found or made by path.
    bool MergeMemoCodes(qint32 sourceDocument);
    /// Memos of mapped codes: a target code without a memo gets a new one;
    /// one with a memo has it overwritten only with replace.
    bool MergeCodeMemos(bool replace);
    /// User variables of documents by name (case ignored) and type. A name
    /// taken by another kind of field leads to "name (n)"; one made so by an
    /// earlier merge, of the same type, is reused.
    bool MergeDocumentVariables();
    /// The values of mapped variables whose sizes agree.
    bool CopyDocumentVariableValues(RowBuffer& sourceRow, RowBuffer& targetRow);
    /// Every memo of the document (with `skipDuplicates`, not one the target
    /// document has by page, position and title); its own memo (Pos -1)
    /// becomes the target's memo when it has none.
    bool MergeDocumentMemos(qint32 sourceDocument, qint32 targetDocument, bool skipDuplicates = false);
    /// Every coding of a mapped code, added as it is.
    bool MergeDocumentCodings(qint32 sourceDocument, qint32 targetDocument, qint32 targetGroup);
    /// A new document row from the source document: its fields and the
    /// values of mapped variables; 0 on failure.
    qint32 CopyDocument(qint32 sourceDocument, qint32 targetGroup);

protected:
    // ---- Row copies --------------------------------------------------------

    /// A new row of the topic with the fields of the source row, then
    /// adjusted and committed with its blobs; the new key, 0 on failure.
    qint32 CopyRow(qint32 topic, qint32 key, const QList<qint32>& fields, const std::function<bool(RowBuffer&)>& adjust);
    /// A new memo with its code list mapped, then adjusted.
    qint32 CopyMemo(qint32 memo, const std::function<bool(RowBuffer&)>& adjust);
    /// Copies the fields of one source row into row: values of the same
    /// type byte for byte, blobs in their stored form.
    bool CopyFields(qint32 topic, qint32 key, const QList<qint32>& fields, RowBuffer& row);
    bool CopyBlob(qint32 topic, qint32 key, qint32 fieldId, RowBuffer& row);
    /// Each code of a memo's code list becomes its mapped code, or 0.
    bool RemapCodewords(RowBuffer& row);
    bool UpdateRow(qint32 topic, qint32 key, const std::function<bool(RowBuffer&)>& change);
    bool Commit(RowBuffer& row, qint32 topic);
    /// The built-in fields of a coding.
    QList<qint32> CodingFields() const;
    /// A code of the source found or made in the target by its path.
    qint32 MapCodeByPath(qint32 sourceCode, qint32 targetParent, const QString& name, const QString& path);

    // ---- Indexes -----------------------------------------------------------

    QList<qint32> Keys(qint32 topic) const;
    static bool HasKey(const TopicDatabase& db, qint32 topic, qint32 key);
    /// The source rows of a topic by the value of a reference field, each
    /// list in key order.
    QHash<qint32, QList<qint32>> ChildrenBy(qint32 topic, qint32 field) const;
    bool Fail(const QString& what);
    void Log(const QString& line)
    {
        if (m_protocol)
            *m_protocol += line;
    }

    CKorDoc& m_doc;
    TopicDatabase& m_source;
    TopicDatabase& m_target;
    QString* m_protocol;

    // Source key to target key, by kind.
    QHash<qint32, qint32> m_codes;
    QHash<qint32, qint32> m_variables;  // field ids of documents
    QHash<qint32, qint32> m_codings;
    QHash<qint32, qint32> m_memos;
    QHash<QString, qint32> m_codePaths;  // lower-cased path in the target → code
    QSet<qint32> m_coloured;             // target codes whose colour was settled

    QHash<qint32, QList<qint32>> m_codeChildren;
    QHash<qint32, QList<qint32>> m_documentCodings;
    QHash<qint32, QList<qint32>> m_documentMemos;
    QHash<qint32, QList<qint32>> m_documentLinks;
    QList<qint32> m_codeMemos;  // memos of codes, in key order
    QString m_reason;
};
