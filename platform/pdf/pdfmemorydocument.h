#pragma once

// PDF documents held in memory (project content), read with QtPdf.
//
// QtPdf counts characters per page as stored PDF codings count them: one
// index per character, CR LF between lines. Page coordinates of QtPdf are
// points with y downwards.

#include <QBuffer>
#include <QByteArray>
#include <QPdfDocument>
#include <QStringList>

/// @short A PDF document read from bytes in memory; not copyable.
///
/// Keeps its own copy of the bytes for as long as QtPdf reads them.
class PdfMemoryDocument {
public:
    explicit PdfMemoryDocument(const QByteArray& bytes);
    PdfMemoryDocument(const PdfMemoryDocument&) = delete;
    PdfMemoryDocument& operator=(const PdfMemoryDocument&) = delete;

    /// True when the bytes were read as a PDF document.
    bool IsOpen() const { return m_document.status() == QPdfDocument::Status::Ready; }
    int PageCount() const { return IsOpen() ? m_document.pageCount() : 0; }
    QPdfDocument& Document() { return m_document; }
    const QPdfDocument& Document() const { return m_document; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    QPdfDocument m_document;
};

/// Appends one text per page, in page order, to `pages` (emptied first): the
/// page's whole text, empty for a page without text. With `insertBlanks` a
/// blank is inserted before every CR LF pair. Returns the total number of
/// characters of the document (without inserted blanks); 0 with no pages
/// for bytes that are not a readable PDF.
qint32 ExtractPdfText(const QByteArray& bytes, QStringList& pages, bool insertBlanks);

/// The number of text characters of all pages; 0 for bytes that are not a
/// readable PDF.
qint32 CountPdfCharacters(const QByteArray& bytes);
