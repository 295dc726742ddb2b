#pragma once

#include "foundation/segmentarray.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class CKorDoc;

/// @short The word-count settings of a project, kept in the profile
/// section "QNT" by the frame and edited in the word-frequency dialog.
struct WordCountSettings {
    qint32 minChars = 1;          ///< "MinCharsCount": shorter words are not counted
    qint32 typeCount = 0;         ///< "TypeCount": 0 all together, 1 per document, 2 per set
    bool onlyActivated = false;   ///< "OnlyActTextsCount"
    bool useStopList = true;      ///< "UseStopList"
    bool onlySegments = false;    ///< "OnlyActSegmentsCount": only the retrieved segments
};

/// Counting units of the word counter (the kinds of the count columns).
namespace WordCountUnit {
enum : qint32 { All = 0, PerSet = 4, PerDocument = 5 };
}

/// @short The word counter and the tag cloud, which the dictionary module
/// provides and registers through CKorDoc::SetWordCounter at start-up.
///
/// Without one the document's calls do nothing and give false. UI thread.
class IWordCounter {
public:
    virtual ~IWordCounter() = default;
    /// Counts the words of the project's documents (of the activated ones,
    /// or of the retrieved segments, as the settings say) into the word table.
    virtual void CountWordsAll(CKorDoc& doc, qint32 unit, const CSegmentArray* segments) = 0;
    /// Counts the documents (unit 4: each set's members among them) into the
    /// word table, prepared by the caller; true when a word was counted.
    virtual bool CountWordsInDocuments(CKorDoc& doc, const QList<qint32>& documents, const QList<qint32>& sets,
                                       qint32 unit, const CSegmentArray* segments) = 0;
    /// The tag cloud of the documents as RTF into rtf; fills the word table.
    virtual void CollectWords(CKorDoc& doc, const QList<qint32>& documents, QByteArray& rtf) = 0;
};
