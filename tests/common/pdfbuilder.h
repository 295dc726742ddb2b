#pragma once

// PDF files made by the tests with QPdfWriter.

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <functional>

namespace testutil {

/// One page per painter function, each `pagePoints` large without margins;
/// the painter works in points with y downwards. A null function leaves its
/// page empty.
inline QByteArray MakePdf(QSizeF pagePoints, const QList<std::function<void(QPainter&)>>& pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(pagePoints, QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        if (pages[i])
            pages[i](painter);
    }
    painter.end();
    return bytes;
}

/// Paints lines of text from the top left, one line every 40 points.
inline std::function<void(QPainter&)> TextLines(QStringList lines)
{
    return [lines](QPainter& painter) {
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
        for (qsizetype i = 0; i < lines.size(); ++i)
            painter.drawText(QPointF(72, 100 + 40 * i), lines[i]);
    };
}

}  // namespace testutil

namespace testutil {

/// An outline entry of MakeOutlinedPdf: how it leads to its page.
struct OutlineEntry {
    enum class Target { Dest, GoToAction, UriAction };
    QByteArray title;  ///< ASCII, without parentheses or backslashes
    Target target = Target::Dest;
    int page = 0;      ///< 0-based; unused for UriAction
    QList<OutlineEntry> children;
};

/// A PDF of empty pages (200 x 200 points) with the outline, written by
/// hand since QPdfWriter writes no outlines.
inline QByteArray MakeOutlinedPdf(int pageCount, const QList<OutlineEntry>& outline)
{
    // Objects: 1 catalog, 2 page tree, 3 outline root, pages from 4, then
    // the entries depth first.
    QList<QByteArray> objects(3);
    QList<int> pageObjects;
    for (int i = 0; i < pageCount; ++i) {
        pageObjects.append(int(objects.size()) + 1);
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    }
    const std::function<QPair<int, int>(const QList<OutlineEntry>&, int)> addLevel =
        [&](const QList<OutlineEntry>& entries, int parent) -> QPair<int, int> {
        QList<int> numbers;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            objects.append(QByteArray());
            numbers.append(int(objects.size()));
        }
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const OutlineEntry& entry = entries[i];
            QByteArray object = "<< /Title (" + entry.title + ") /Parent " + QByteArray::number(parent) + " 0 R";
            if (i > 0)
                object += " /Prev " + QByteArray::number(numbers[i - 1]) + " 0 R";
            if (i + 1 < entries.size())
                object += " /Next " + QByteArray::number(numbers[i + 1]) + " 0 R";
            const QByteArray destination = "[" + QByteArray::number(pageObjects.value(entry.page)) + " 0 R /Fit]";
            switch (entry.target) {
            case OutlineEntry::Target::Dest: object += " /Dest " + destination; break;
            case OutlineEntry::Target::GoToAction: object += " /A << /S /GoTo /D " + destination + " >>"; break;
            case OutlineEntry::Target::UriAction: object += " /A << /S /URI /URI (https://example.org/) >>"; break;
            }
            if (!entry.children.isEmpty()) {
                const QPair<int, int> range = addLevel(entry.children, numbers[i]);
                object += " /First " + QByteArray::number(range.first) + " 0 R /Last " +
                          QByteArray::number(range.second) + " 0 R /Count " +
                          QByteArray::number(entry.children.size());
            }
            objects[numbers[i] - 1] = object + " >>";
        }
        return numbers.isEmpty() ? QPair<int, int>(0, 0) : QPair<int, int>(numbers.first(), numbers.last());
    };
    const QPair<int, int> top = addLevel(outline, 3);
    objects[0] = "<< /Type /Catalog /Pages 2 0 R /Outlines 3 0 R /PageMode /UseOutlines >>";
    QByteArray kids;
    for (const int page : pageObjects)
        kids += QByteArray::number(page) + " 0 R ";
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pageCount) + " >>";
    objects[2] = top.first ? "<< /Type /Outlines /First " + QByteArray::number(top.first) + " 0 R /Last " +
                                 QByteArray::number(top.second) + " 0 R /Count " +
                                 QByteArray::number(outline.size()) + " >>"
                           : QByteArray("<< /Type /Outlines /Count 0 >>");

    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

}  // namespace testutil
