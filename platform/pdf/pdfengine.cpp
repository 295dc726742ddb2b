#include "platform/pdf/pdfengine.h"

#include <QPainter>
#include <QPdfBookmarkModel>
#include <QPdfDocumentRenderOptions>
#include <QPdfSelection>

#include <functional>
#include <limits>

struct PdfEngine::PageCache {
    bool textRead = false;
    QString text;
    QHash<int, PdfPageRect> charBoxes;
    QHash<QPair<int, int>, QList<PdfPageRect>> runs;  // (first, count)
};

PdfEngine::PdfEngine() = default;
PdfEngine::~PdfEngine() = default;

bool PdfEngine::Load(const QByteArray& bytes)
{
    Close();
    auto pdf = std::make_unique<PdfMemoryDocument>(bytes);
    if (!pdf->IsOpen())
        return false;
    m_pdf = std::move(pdf);
    return true;
}

void PdfEngine::Close()
{
    m_pages.clear();
    m_pdf.reset();
}

bool PdfEngine::IsOpen() const
{
    return m_pdf != nullptr;
}

int PdfEngine::PageCount() const
{
    return m_pdf ? m_pdf->PageCount() : 0;
}

QSizeF PdfEngine::PageSize(int page) const
{
    if (page < 0 || page >= PageCount())
        return QSizeF();
    return m_pdf->Document().pagePointSize(page);
}

QImage PdfEngine::RenderPage(int page, QSize size)
{
    if (page < 0 || page >= PageCount() || size.isEmpty())
        return QImage();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPoint(0, 0), m_pdf->Document().render(page, size));
    return image;
}

void PdfEngine::RenderPage(QPainter& painter, int page, const QRect& device)
{
    const QImage image = RenderPage(page, device.size());
    if (!image.isNull())
        painter.drawImage(device.topLeft(), image);
}

QImage PdfEngine::RenderPagePart(int page, QSize pageSize, const QRect& clip)
{
    const QRect part = clip & QRect(QPoint(0, 0), pageSize);
    if (page < 0 || page >= PageCount() || part.isEmpty())
        return QImage();
    QPdfDocumentRenderOptions options;
    options.setScaledSize(pageSize);
    options.setScaledClipRect(part);
    QImage image(part.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPoint(0, 0), m_pdf->Document().render(page, part.size(), options));
    return image;
}

QPoint PdfEngine::PageToDevice(int page, const QRect& device, QPointF pagePoint) const
{
    const QSizeF size = PageSize(page);
    if (size.isEmpty())
        return device.topLeft();
    const double x = device.x() + pagePoint.x() * device.width() / size.width();
    const double y = device.y() + (size.height() - pagePoint.y()) * device.height() / size.height();
    return QPoint(qRound(x), qRound(y));
}

QPointF PdfEngine::DeviceToPage(int page, const QRect& device, QPoint devicePoint) const
{
    const QSizeF size = PageSize(page);
    if (size.isEmpty() || device.isEmpty())
        return QPointF();
    const double x = (devicePoint.x() - device.x()) * size.width() / device.width();
    const double y = size.height() - (devicePoint.y() - device.y()) * size.height() / device.height();
    return QPointF(x, y);
}

PdfEngine::PageCache* PdfEngine::Cache(int page)
{
    if (page < 0 || page >= PageCount())
        return nullptr;
    std::shared_ptr<PageCache>& cache = m_pages[page];
    if (!cache)
        cache = std::make_shared<PageCache>();
    return cache.get();
}

QString PdfEngine::PageText(int page)
{
    PageCache* cache = Cache(page);
    if (!cache)
        return QString();
    if (!cache->textRead) {
        cache->text = m_pdf->Document().getAllText(page).text();
        cache->textRead = true;
    }
    return cache->text;
}

int PdfEngine::CountChars(int page)
{
    return int(PageText(page).size());
}

QString PdfEngine::GetText(int page, int first, int count)
{
    const QString text = PageText(page);
    if (first < 0 || count <= 0 || first >= text.size())
        return QString();
    return text.mid(first, count);
}

PdfPageRect PdfEngine::ToPageRect(int page, const QRectF& downwards) const
{
    const double height = PageSize(page).height();
    return {downwards.left(), height - downwards.top(), downwards.right(), height - downwards.bottom()};
}

PdfPageRect PdfEngine::CharBox(int page, int index)
{
    PageCache* cache = Cache(page);
    if (!cache || index < 0 || index >= CountChars(page))
        return {};
    const auto found = cache->charBoxes.constFind(index);
    if (found != cache->charBoxes.cend())
        return *found;
    const QList<QPolygonF> bounds = m_pdf->Document().getSelectionAtIndex(page, index, 1).bounds();
    const PdfPageRect box = bounds.isEmpty() ? PdfPageRect{} : ToPageRect(page, bounds.first().boundingRect());
    cache->charBoxes.insert(index, box);
    return box;
}

int PdfEngine::CharIndexAtPos(int page, QPointF pagePoint)
{
    const QSizeF size = PageSize(page);
    if (size.isEmpty())
        return -1;
    // QtPdf has no call for one character at a point. Its selection hit
    // tests both ends (with a fixed tolerance of 16 points, 8 on each side);
    // an end far off the page finds nothing, so the selection runs up to
    // and ends at the character under the point. The narrower tolerance
    // is applied to that character's box afterwards.
    const QPointF point(pagePoint.x(), size.height() - pagePoint.y());
    const QPointF nowhere(-1e6, -1e6);
    const QPdfSelection selection = m_pdf->Document().getSelection(page, point, nowhere);
    const int index = selection.endIndex();
    if (selection.startIndex() >= 0 || index < 0 || index >= CountChars(page))
        return -1;
    const PdfPageRect box = CharBox(page, index);
    constexpr double margin = kHitTolerance / 2;
    const bool near = pagePoint.x() >= box.left - margin && pagePoint.x() <= box.right + margin &&
                      pagePoint.y() <= box.top + margin && pagePoint.y() >= box.bottom - margin;
    return near ? index : -1;
}

QList<PdfPageRect> PdfEngine::RunRects(int page, int first, int count)
{
    PageCache* cache = Cache(page);
    if (!cache || first < 0 || count <= 0 || first >= CountChars(page))
        return {};
    const QPair<int, int> key(first, count);
    const auto found = cache->runs.constFind(key);
    if (found != cache->runs.cend())
        return *found;
    QList<PdfPageRect> rects;
    const QList<QPolygonF> bounds = m_pdf->Document().getSelectionAtIndex(page, first, count).bounds();
    for (const QPolygonF& polygon : bounds)
        rects.append(ToPageRect(page, polygon.boundingRect()));
    cache->runs.insert(key, rects);
    return rects;
}

QList<PdfBookmark> PdfEngine::Bookmarks()
{
    if (!m_pdf)
        return {};
    QPdfBookmarkModel model;
    model.setDocument(&m_pdf->Document());
    const std::function<QList<PdfBookmark>(const QModelIndex&)> children = [&](const QModelIndex& parent) {
        QList<PdfBookmark> list;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            PdfBookmark bookmark;
            bookmark.title = index.data(int(QPdfBookmarkModel::Role::Title)).toString();
            // An entry without a go-to destination (a web address, another
            // kind of action) reports page -1 and leads to the first page.
            bookmark.page = qMax(0, index.data(int(QPdfBookmarkModel::Role::Page)).toInt());
            bookmark.children = children(index);
            list.append(std::move(bookmark));
        }
        return list;
    };
    return children(QModelIndex());
}
