#pragma once

// Prints into PDF files instead of a printer: answers the print dialog for
// its lifetime, and reads what was printed back.

#include "ui/printengine.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrinter>
#include <QStringList>

#include <gtest/gtest.h>

namespace testutil {

/// Installs itself as the print dialog and restores the previous one after.
/// Each dialog prints into the next file `folder`/print-N.pdf, or is
/// cancelled while `cancel` is set. `pageRange` (from, to) chooses pages.
class PrintCapture {
public:
    explicit PrintCapture(QString folder)
        : m_folder(std::move(folder)),
          m_previous(SetPrintDialogRunner([this](QPrinter& printer, QWidget*) { return Answer(printer); }))
    {
    }
    ~PrintCapture() { SetPrintDialogRunner(std::move(m_previous)); }
    PrintCapture(const PrintCapture&) = delete;
    PrintCapture& operator=(const PrintCapture&) = delete;

    bool cancel = false;
    QPair<int, int> pageRange{0, 0};
    /// How often the dialog was shown, and the files the accepted ones named.
    int dialogs = 0;
    QStringList files;

    /// The last file printed; empty when none.
    QString LastFile() const { return files.isEmpty() ? QString() : files.last(); }

private:
    bool Answer(QPrinter& printer)
    {
        ++dialogs;
        if (cancel)
            return false;
        const QString file = QStringLiteral("%1/print-%2.pdf").arg(m_folder).arg(files.size() + 1);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (pageRange.first > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(pageRange.first, pageRange.second);
        }
        files.append(file);
        return true;
    }

    QString m_folder;
    PrintDialogRunner m_previous;
};

/// The pages of a printed PDF file as text, one entry per page; empty when
/// the file cannot be read.
inline QStringList PrintedPages(const QString& path)
{
    QPdfDocument pdf;
    if (!QFile::exists(path) || pdf.load(path) != QPdfDocument::Error::None)
        return {};
    QStringList pages;
    for (int page = 0; page < pdf.pageCount(); ++page)
        pages.append(pdf.getAllText(page).text());
    return pages;
}

/// A page of a printed PDF file drawn at the size, on white; null when the
/// file cannot be read.
inline QImage PrintedPageImage(const QString& path, int page, QSize size)
{
    QPdfDocument pdf;
    if (!QFile::exists(path) || pdf.load(path) != QPdfDocument::Error::None || page >= pdf.pageCount())
        return {};
    QImage picture = pdf.render(page, size);
    QImage onWhite(picture.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    QPainter painter(&onWhite);
    painter.drawImage(0, 0, picture);
    return onWhite;
}

}  // namespace testutil
