#pragma once

// The PDF engine the viewer, the text extraction and the bookmarks pane
// use: a document, its pages and their text, on QtPdf.
//
// Units: page coordinates are points with y upwards (0 at the bottom edge),
// as stored PDF codings hold them; QtPdf's own are y downwards and are
// converted here (page height − y). Device coordinates are pixels of the
// rectangle a page is drawn into. Character indices count per page, CR LF
// between lines, as QtPdf counts them.

#include "platform/pdf/pdfmemorydocument.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;

/// A rectangle in page points, y upwards: top > bottom for a non-empty one.
struct PdfPageRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool operator==(const PdfPageRect&) const = default;
};

/// One outline entry: its title, the page it leads to (0-based; an entry
/// without a go-to destination leads to page 0) and its children in order.
struct PdfBookmark {
    QString title;
    int page = 0;
    QList<PdfBookmark> children;
};

/// @short An open PDF document with cached page texts and run rectangles.
///
/// Load keeps a shallow copy of the bytes (shared with the caller, never
/// written), which QtPdf reads for as long as the document is open. Each
/// QtPdf text call loads the page anew (about 2 ms on a dense page), so
/// page texts, character boxes and run rectangles are cached per page until
/// Close. GUI thread only; not copyable.
class PdfEngine {
public:
    /// The hit tolerance of a point on a character, in points. As the engine
    /// takes it, it is the width and height added to the character's box:
    /// half of it on each side.
    static constexpr double kHitTolerance = 10.0;

    PdfEngine();
    ~PdfEngine();
    PdfEngine(const PdfEngine&) = delete;
    PdfEngine& operator=(const PdfEngine&) = delete;

    /// Opens the bytes (any open document is closed first); false, with
    /// nothing open, when they are not a readable PDF.
    bool Load(const QByteArray& bytes);
    void Close();
    bool IsOpen() const;
    int PageCount() const;

    /// Page size in points; empty for a page that does not exist.
    QSizeF PageSize(int page) const;

    /// The page drawn into an image of the size, on white (QtPdf leaves the
    /// paper transparent). A null image for a missing page or empty size.
    QImage RenderPage(int page, QSize size);
    /// Draws the page into the device rectangle of the painter.
    void RenderPage(QPainter& painter, int page, const QRect& device);
    /// Only the part `clip` (in pixels of the page drawn at `pageSize`) of
    /// the page, on white: at high zoom the page is far larger than what is
    /// seen of it. A null image for a missing page or empty clip.
    QImage RenderPagePart(int page, QSize pageSize, const QRect& clip);

    /// The device pixel of a page point, the page drawn into `device`.
    QPoint PageToDevice(int page, const QRect& device, QPointF pagePoint) const;
    /// The page point of a device pixel, the page drawn into `device`.
    QPointF DeviceToPage(int page, const QRect& device, QPoint devicePoint) const;

    /// The whole text of the page; empty for a page without text.
    QString PageText(int page);
    int CountChars(int page);
    /// Up to `count` characters from `first`; empty outside the text.
    QString GetText(int page, int first, int count);
    /// The index of the character whose box, widened by kHitTolerance,
    /// holds the page point (y upwards); -1 when there is none.
    int CharIndexAtPos(int page, QPointF pagePoint);
    /// The box of one character in page points, y upwards; empty for an
    /// index outside the text.
    PdfPageRect CharBox(int page, int index);
    /// The rectangles (one per line piece) that cover the run of `count`
    /// characters from `first`, in page points with y upwards.
    QList<PdfPageRect> RunRects(int page, int first, int count);

    /// The outline, top-level entries in order; empty without one.
    QList<PdfBookmark> Bookmarks();

private:
    struct PageCache;
    PageCache* Cache(int page);
    PdfPageRect ToPageRect(int page, const QRectF& downwards) const;

    std::unique_ptr<PdfMemoryDocument> m_pdf;
    QHash<int, std::shared_ptr<PageCache>> m_pages;
};
