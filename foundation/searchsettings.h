#pragma once

// The text search of the find commands: search options and their "|" text,
// the search over the project's documents or memos, and the term and
// sentence functions it rests on.
//
// Texts are searched as the hidden rich-edit control holds them, so hit
// positions are rich-edit positions (UTF-16 units, see richtextmap.h) and
// match the positions stored in codings. Lower-casing goes one UTF-16 unit
// at a time, which never changes a text's length.

#include "foundation/searchsource.h"
#include "foundation/segmentarray.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class CRichEditCtrlEx;
class WordSeparators;

/// Joins a search term to the terms before it in the extended search.
enum class SearchOperator : quint8 { Or = 0, And = 1, AndNot = 2 };

/// The kinds of search terms (SplitSearchPattern).
enum class SearchPatternKind : int {
    Plain = 0,       ///< the term as it stands
    Wildcard = 1,    ///< first "*" second: any span shorter than 101 units
    OneChar = 2,     ///< first "?" second: exactly one unit between
    WordStart = 3,   ///< "<(" first ")": words beginning with first
    WordEnd = 4,     ///< "(" first ")>": words ending with first
};

/// @short The options of a search, as the search dialogs edit them.
struct CSearchOptions {
    QStringList terms;
    bool searchMemos = false;           ///< V1: memos instead of documents
    bool allTerms = false;              ///< V2: every term must occur
    bool withinDistance = false;        ///< V3: terms near each other (V4); per sentence in operator mode
    qint32 distance = 1;                ///< V4: paragraphs (sentences in operator mode)
    bool wholeWords = false;            ///< V5
    bool matchCase = false;             ///< V6
    bool onlyActivated = false;         ///< V7: only activated documents
    bool onlyRetrieved = false;         ///< V8: read by the search dialogs
    bool ninthFlag = false;             ///< V9: read by the search dialogs
    QByteArray operators;               ///< one SearchOperator per term after the first

    /// "%d|" for V1 to V9 (the last without "|"), "|" + term for each term,
    /// "||", then "%d|" per operator. A "|" inside a term is written as a
    /// blank and an empty term as one blank, so the text always reads back
    /// with the same number of terms and operators.
    QString Format() const;
    /// Reads a text of Format's form. V1 to V8 are reset to false (V9 keeps
    /// its value), V4 to 1, terms and operators emptied; reading stops
    /// quietly at the first missing "|", so later fields keep their reset
    /// values. Terms end at the empty term of "||"; text after the last
    /// operator's "|" is ignored.
    void Parse(const QString& text);
};

/// @short One run of the text search: the options, the project it searches
/// and the hits it found.
///
/// Built for one search and destroyed after it. Without a search source
/// only SearchText works. The hidden control is made on first use.
class CSearchSettings {
public:
    /// `operatorMode` is the extended search (terms joined by operators).
    CSearchSettings(const CSearchOptions& options, SearchSource* source, bool operatorMode);
    ~CSearchSettings();
    CSearchSettings(const CSearchSettings&) = delete;
    CSearchSettings& operator=(const CSearchSettings&) = delete;

    const CSearchOptions& Options() const { return m_options; }
    const CRowArray& Hits() const { return m_hits; }
    bool IsOperatorMode() const { return m_operatorMode; }

    /// Appends the object id of every hit in hit order; with a search
    /// source, repeats are then removed, keeping the first of each.
    void CollectIds(QList<qint32>& ids) const;

    /// Searches every document of the project (every memo with V1). With
    /// rows, only documents that occur in them are searched and, unless V1,
    /// hits outside the rows are dropped. Shows progress in the wait window.
    /// False when it did not run: no search source, or no wait window
    /// could be shown.
    bool SearchProject(const CSegmentArray* rows = nullptr);
    /// The same over the given documents.
    bool SearchDocuments(const QList<qint32>& documentIds, const CSegmentArray* rows = nullptr);

    /// The hidden control that holds the text to search; never null.
    CRichEditCtrlEx& RichEdit();
    /// Searches the text now in the hidden control, then empties it, and
    /// appends the hits. `page` is the PDF page or table column (1-based; 1
    /// for rich text), `tableRow` the 0-based table row or -1. Returns the
    /// number of hits appended.
    int SearchText(qint32 objectId, qint32 value, qint32 page, qint32 tableRow, const CSegmentArray* rows);

private:
    enum class ContentKind { RichText, Pdf, Table };
    /// A search term, prepared for the texts of one search.
    struct Term {
        SearchPatternKind kind = SearchPatternKind::Plain;
        QString first;    // the whole term for Plain
        QString second;
        SearchOperator op = SearchOperator::Or;
        bool IsEmpty() const { return first.isEmpty() && second.isEmpty(); }
    };
    /// What one search hands to the search of each of its texts; read by
    /// several threads at once.
    struct Pass {
        QList<Term> terms;
        const WordSeparators* separators = nullptr;
        const CSegmentArray* rows = nullptr;  // rows that restrict the hits, or null
    };
    struct ObjectJob;

    bool Search(bool memos, const QList<qint32>* documentIds, const CSegmentArray* rows);
    /// Appends the hits of one document or memo to `found`, searched in
    /// `richEdit`. False, nothing appended, for content a helper thread
    /// leaves to the calling thread (PDF, tables, rich text with tables,
    /// whose paragraphs need a layout).
    /// Rich text is searched in plain, when given, else decoded into plain.
    bool SearchObject(const Pass& pass, bool memo, qint32 id, const SearchSource::Content& content,
                      CRichEditCtrlEx& richEdit, bool helper, PlainTextCache::EntryPtr& plain,
                      QList<SearchHit>& found) const;
    /// The hits of the text now in the control, which is emptied.
    QList<SearchHit> FindHits(const Pass& pass, CRichEditCtrlEx& richEdit, ContentKind kind, qint32 objectId,
                              qint32 value, qint32 page, qint32 tableRow) const;
    /// The hits of a text whose paragraph map is given (unused for table
    /// cells, whose paragraph is the row).
    QList<SearchHit> FindTextHits(const Pass& pass, QString text, const QList<qint32>& paragraphs, ContentKind kind,
                                  qint32 objectId, qint32 value, qint32 page, qint32 tableRow) const;
    void AppendHits(const QList<SearchHit>& hits);
    QList<Term> PrepareTerms() const;
    void Filter(QList<SearchHit>& hits, const QList<Term>& terms) const;

    CSearchOptions m_options;
    SearchSource* m_source;
    bool m_operatorMode;
    CRowArray m_hits;
    std::unique_ptr<CRichEditCtrlEx> m_richEdit;
};

/// Trims the term and splits it into its parts (both emptied first).
/// A term without any of "*?<>" is Plain. With "*" (else "?") the parts are
/// the trimmed texts before and after the first one. "<(x)" and "(x)>" give
/// x. A kind other than Plain whose parts are both empty becomes Plain.
SearchPatternKind SplitSearchPattern(const QString& term, QString& first, QString& second);

/// Whether the "." just before `start` ends a sentence; when it does not,
/// `next` is the position after the last "." of the abbreviation it starts.
bool FindSentenceEnd(const QString& text, int start, int& next);
/// The sentences of a text as (start, end) pairs; the end is the position
/// of the character that ends the sentence, or the text's length.
void SplitSentences(const QString& text, QList<qint32>& ranges);
/// The 1-based sentence that holds the position: 0 for no ranges, 1 for one
/// sentence, 0 when none holds it.
int SentenceOfPosition(qint32 position, const QList<qint32>& ranges);

/// A PDF page's or table cell's text with each CR LF as two blanks, as it
/// is searched: positions stay those of the engine's text.
QString WithBlankLineEnds(QString text);

/// True when some row has the document as its document.
bool IsRowDocument(qint32 documentId, const CSegmentArray& rows);
