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
