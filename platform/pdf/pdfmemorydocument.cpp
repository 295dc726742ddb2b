#include "platform/pdf/pdfmemorydocument.h"

#include <QPdfSelection>

#include <limits>

PdfMemoryDocument::PdfMemoryDocument(const QByteArray& bytes) : m_bytes(bytes), m_buffer(&m_bytes)
{
    // A random-access device is read at once, so the status is final when
    // load returns.
    if (!m_bytes.isEmpty() && m_buffer.open(QIODevice::ReadOnly))
        m_document.load(&m_buffer);
}

namespace {

// A page's text and its character count. The count is the engine's own,
// which the text's length equals for text of the Basic Multilingual Plane.
struct PageText {
    QString text;
    qint32 characters = 0;
};

PageText ReadPageText(QPdfDocument& document, int page)
{
    const QPdfSelection selection = document.getAllText(page);
    return {selection.text(), qint32(selection.endIndex() - selection.startIndex())};
}

}  // namespace

qint32 ExtractPdfText(const QByteArray& bytes, QStringList& pages, bool insertBlanks)
{
    pages.clear();
    PdfMemoryDocument pdf(bytes);
    qint64 total = 0;
    for (int page = 0; page < pdf.PageCount(); ++page) {
        PageText pageText = ReadPageText(pdf.Document(), page);
        if (insertBlanks)
            pageText.text.replace(QStringLiteral("\r\n"), QStringLiteral(" \r\n"));
        total += pageText.characters;
        pages.append(std::move(pageText.text));
    }
    return qint32(qMin<qint64>(total, std::numeric_limits<qint32>::max()));
}

qint32 CountPdfCharacters(const QByteArray& bytes)
{
    PdfMemoryDocument pdf(bytes);
    qint64 total = 0;
    for (int page = 0; page < pdf.PageCount(); ++page)
        total += ReadPageText(pdf.Document(), page).characters;
    return qint32(qMin<qint64>(total, std::numeric_limits<qint32>::max()));
}
