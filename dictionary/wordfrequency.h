#pragma once

#include "document/lexicalservice.h"
#include "document/wordcounter.h"

#include <QHash>
#include <QString>

class WordCounts;

namespace dictionary {

/// @short The word counter and the tag cloud, and the writer of the
/// go-list count's rows into the word table.
///
/// Each document's text is read once, in document order, on this thread;
/// helper threads decode it and count its words, and the counts are added
/// here in document order, so the outcome is that of counting one document
/// after the other. Group counts (per document or per set) are kept per
/// group and hold only the words that occur in it.
class WordFrequencyCounter : public IWordCounter, public IWordTally {
public:
    explicit WordFrequencyCounter(CKorDoc* doc = nullptr) : m_doc(doc) {}
    /// The document whose word table AddWordHits fills.
    void SetDocument(CKorDoc* doc) { m_doc = doc; }

    void CountWordsAll(CKorDoc& doc, qint32 unit, const CSegmentArray* segments) override;
    bool CountWordsInDocuments(CKorDoc& doc, const QList<qint32>& documents, const QList<qint32>& sets,
                               qint32 unit, const CSegmentArray* segments) override;
    void CollectWords(CKorDoc& doc, const QList<qint32>& documents, QByteArray& rtf) override;
    /// Adds to the row of the entry ("QntDicWordID"), made at its first hits.
    void AddWordHits(qint32 entry, qint32 column, qint32 count) override;
    /// After a go-list count: the rows' percentages and the total word count.
    void FinishWordHits(CKorDoc& doc);

private:
    CKorDoc* m_doc = nullptr;
    QHash<qint32, qint32> m_entryRows;  // entry to its row of the word table
};

/// One word of the tag cloud: its size in twips and its colour (0x00BBGGRR).
struct TagCloudWord {
    QString word;
    qint32 twips = 0;
    quint32 color = 0;
};

/// The words of the tag cloud in order, with their size and colour: the
/// words whose count reaches the 50th largest, by ordinal text order.
QList<TagCloudWord> TagCloudWords(const WordCounts& counts);

/// count / total × 100, rounded to two decimals half away from zero.
double WordPercentage(qint64 count, qint64 total);

}  // namespace dictionary
