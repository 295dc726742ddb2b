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

qint32 ExtractPdfText(const QByteArray& bytes, QStringList& pages, bool insertBlanks)
{
    pages.clear();
    PdfMemoryDocument pdf(bytes);
    qint64 total = 0;
    for (int page = 0; page < pdf.PageCount(); ++page) {
        const QPdfSelection selection = pdf.Document().getAllText(page);
        QString text = selection.text();
        if (insertBlanks)
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" \r\n"));
        // The engine's own count, which the text's length equals for text of
        // the Basic Multilingual Plane.
        total += selection.endIndex() - selection.startIndex();
        pages.append(std::move(text));
    }
    return qint32(qMin<qint64>(total, std::numeric_limits<qint32>::max()));
}

qint32 CountPdfCharacters(const QByteArray& bytes)
{
    QStringList pages;
    return ExtractPdfText(bytes, pages, false);
}
