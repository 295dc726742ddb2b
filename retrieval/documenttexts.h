#pragma once

// The plain texts of documents as the lexical search, the autocoding and
// the outputs read them, and the sentence and paragraph around a position.
//
// Rich text is read through the hidden rich-edit control, so positions are
// rich-edit positions. A PDF page is its engine text and a table cell its
// text, each with CR LF as two blanks (WithBlankLineEnds), as the find
// commands search them: positions stay the engine's and the cell's.

#include "foundation/plaintextcache.h"
#include "foundation/richtexthelpers.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CRichEditCtrlEx;
struct CSegmentRow;
class CTableData;
class TopicDatabase;

namespace retrieval {

/// The document's kind (DocumentKind) and stored content; false when the
/// document cannot be read.
bool ReadDocumentContent(TopicDatabase& db, qint32 document, qint32& kind, QByteArray& content);
/// ReadDocumentContent with the content as the project stores it when
/// `stored` comes back true: FinishDocumentContent makes it the content.
bool ReadStoredDocumentContent(TopicDatabase& db, qint32 document, qint32& kind, QByteArray& content, bool& stored);
/// Makes stored content the content (DecodeStoredBlob); any thread may call
/// it. False, the content left as it is, when only ReadDocumentContent can
/// give it.
bool FinishDocumentContent(QByteArray& content, bool& stored);

/// One text of a document: rich text page 0; a PDF page by its number; a
/// table cell by its number row x columns + column + 1.
struct DocumentText {
    qint32 page = 0;
    QString text;
    qint32 tableRow = -1;  ///< of a cell, from 0
    qint32 column = 0;     ///< of a cell, from 1
};

/// The document's texts in order (empty ones left out); none for pictures,
/// unreadable documents and empty content. Rich text goes through edit.
QList<DocumentText> ReadDocumentTexts(TopicDatabase& db, qint32 document, CRichEditCtrlEx& edit);
/// The texts of content read elsewhere (ReadDocumentContent, or stored
/// content made whole by FinishDocumentContent); any thread with its own edit.
QList<DocumentText> DocumentTextsOf(qint32 kind, const QByteArray& content, CRichEditCtrlEx& edit);
/// Whether the text is the page or cell the retrieved segment lies on.
bool SegmentOnText(const CSegmentRow& row, const DocumentText& text);

/// The sentence around a position of the text, as the autocoding codes it:
/// back to just after the previous CR, LF, ".", "!" or "?", then on over
/// blanks and those marks (not past the position); forward to the next CR
/// or LF (left out), "!" or "?" (kept), or a "." that ends a sentence
/// (FindSentenceEnd; kept). Both ends lie inside the text.
void SentenceAround(const QString& text, qint32 position, qint32& start, qint32& end);

/// The control's text with its hidden characters (the instructions of
/// hyperlinks) as U+E000, which neither ends a sentence nor is a blank.
QString TextWithoutHiddenMarks(const CRichEditCtrlEx& edit);

/// The control's text stretch of whole paragraphs (GetParagraphRanges)
/// from paragraph first to paragraph last (from 1, clamped to the text's
/// paragraphs): the start of the first, the end of the last without its
/// paragraph end. False for a text without paragraphs.
bool ParagraphStretch(const ParagraphMap& map, const QString& text, qint32 first, qint32 last, qint32& start,
                      qint32& end);

/// A row of the search-hit table (topic 9).
struct HitRow {
    qint32 id = 0;
    qint32 document = 0;
    qint32 start = 0;
    qint32 end = 0;
    qint32 page = 0;       ///< PDF page or table column (from 1)
    qint32 paragraph = 0;  ///< of the start, or the table row + 1
    QString word;
};
/// The hit's row; false when it is missing or marked (its Type not 0).
bool ReadHitRow(TopicDatabase& db, qint32 id, HitRow& hit);

/// @short Loads the texts of search hits into the hidden control, one
/// document (PDF page, table cell) after the other.
///
/// A document is read only when it differs from the last one, and the
/// control is filled only when the document, page or cell changes.
class HitTextLoader {
public:
    HitTextLoader(TopicDatabase& db, CRichEditCtrlEx& edit);
    /// A loader of documents read elsewhere (TakeDocument) that never
    /// reads the project: for helper threads.
    explicit HitTextLoader(CRichEditCtrlEx& edit);
    ~HitTextLoader();

    /// Makes the document's kind and content, read elsewhere
    /// (ReadDocumentContent; kind -1 when that failed), the document last
    /// read. False when it has no usable content.
    bool TakeDocument(qint32 document, qint32 kind, QByteArray content);
    /// Whether the rich text now in the control holds a table, whose
    /// paragraphs take a layout (GetParagraphRanges).
    bool HasTables() const;

    /// Puts the hit's text into the control; false when its document has no
    /// usable content, or the hit's page or cell does not exist.
    bool Load(const HitRow& hit);
    /// The kind of the document last read; -1 when it could not be read.
    qint32 Kind(const HitRow& hit);
    /// The text now in the control.
    const QString& Text();
    qint32 Length() { return qint32(Text().size()); }
    /// The text for finding sentences (TextWithoutHiddenMarks), made once.
    const QString& SentenceText();
    /// Its paragraph ranges (GetParagraphRanges), made once per text.
    const ParagraphMap& Paragraphs();
    /// Takes the text and paragraph ranges of the rich text now in the
    /// control from an earlier decoding of the same content (the text
    /// search's), which spares the layout the ranges take.
    void AdoptPlainText(const PlainTextCache::Entry& plain);
    /// For a table: the cell's row (from 0) and column (from 1) of the hit.
    static qint32 CellRow(const HitRow& hit) { return hit.paragraph - 1; }

private:
    bool ReadDocument(qint32 document);

    TopicDatabase* m_db;
    CRichEditCtrlEx& m_edit;
    qint32 m_document = 0;   // the document read
    qint32 m_kind = -1;
    QByteArray m_content;
    QStringList m_pages;     // of a PDF
    std::unique_ptr<CTableData> m_table;
    qint32 m_loadedDocument = 0;  // what the control holds
    qint32 m_loadedPage = -1;
    qint32 m_loadedRow = -1;
    std::optional<QString> m_text;
    std::optional<QString> m_sentenceText;
    std::optional<ParagraphMap> m_paragraphs;
};

}  // namespace retrieval
