#include "browser/pdfviewerwnd.h"

#include "browser/bookmarksdlg.h"
#include "foundation/dragobject.h"
#include "foundation/stringstore.h"
#include "panes/treetexts.h"
#include "store/storeids.h"
#include "ui/printengine.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QRubberBand>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kEmptyText = 102284;
constexpr int kKeyScroll = 10;
constexpr int kWheelNotch = 120;
/// Rendered pages kept, in kilobytes of image.
constexpr int kRenderCacheKb = 96 * 1024;
/// Link kinds of area links are stored 100 higher.
constexpr qint32 kAreaLinkKind = 100;

const QColor kGrey(0x80, 0x80, 0x80);
/// Frame and fill of link areas by link type (0 anchor, 1 external, 2 geo).
const QColor kLinkFrame[] = {QColor(0x20, 0x20, 0xFF, 0xFF), QColor(0xFF, 0x20, 0x20, 0xFF),
                             QColor(0x4F, 0xB6, 0x22, 0xFF)};
const QColor kLinkFill[] = {QColor(0x20, 0x20, 0xFF, 0x20), QColor(0xFF, 0x20, 0x20, 0x20),
                            QColor(0x4F, 0xB6, 0x22, 0x20)};
const QColor kAreaFill(0xFF, 0xE7, 0x35, 0x20);
const QColor kAreaFrame(0xFF, 0xE7, 0x35, 0xFF);

QRect Normalised(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

void DrawFramed(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& frame)
{
    painter.fillRect(rect, fill);
    painter.setPen(QPen(frame, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
}

}  // namespace

CPdfViewerWnd::CPdfViewerWnd(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("PdfViewer"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    m_rendered.setMaxCost(kRenderCacheKb);
}

CPdfViewerWnd::~CPdfViewerWnd()
{
    delete m_bookmarks.data();
}

void CPdfViewerWnd::SendNotice(int notice, qint32 value)
{
    emit Notice(notice, value);
    if (m_host)
        m_host->OnViewerNotice(notice, value);
}

// ---- Loading and closing -------------------------------------------------------------

bool CPdfViewerWnd::Load(const QByteArray& content, qint32 kind, double zoom, const DocumentViewState& view)
{
    if (!LoadFromMemory(content, kind == DocumentKind::Picture, zoom))
        return false;
    if (view.selPage != 0)
        SetSelection(view.selPage, view.selX1, view.selY1, view.selX2, view.selY2, true);
    if (view.scrollPosPage != 0) {
        if (!m_continuous)
            GoToPageIndex(view.scrollPosPage - 1);
        horizontalScrollBar()->setValue(view.scrollPosX);
        verticalScrollBar()->setValue(view.scrollPosY);
    }
    return true;
}

void CPdfViewerWnd::SaveView(double& zoom, DocumentViewState& view) const
{
    zoom = m_zoom;
    view.scrollPosPage = HasDocument() ? GetCurrentPage() + 1 : 0;
    view.scrollPosX = horizontalScrollBar()->value();
    view.scrollPosY = verticalScrollBar()->value();
    view.selPage = view.selX1 = view.selY1 = view.selX2 = view.selY2 = 0;
}

bool CPdfViewerWnd::LoadFromMemory(const QByteArray& bytes, bool picture, double zoom)
{
    CloseDocument();
    m_picture = picture;
    if (!picture) {
        m_zoom = zoom == 0 ? 1.0 : std::clamp(zoom, kZoomMin, kZoomMax);
        if (!m_engine.Load(bytes)) {
            m_picture = false;
            return false;
        }
        m_pageCount = m_engine.PageCount();
        MeasurePage(0);
        m_currentPage = -1;
        GoToPageIndex(0);
        if (m_bookmarks) {
            m_bookmarks->Fill();
            m_bookmarks->MarkPage(GetCurrentPage());
            m_bookmarks->show();
        }
        return true;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        m_picture = false;
        return false;
    }
    m_sourcePicture = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_pagePixels = m_sourcePicture.size();
    m_pagePoints = QSizeF(m_pagePixels);
    m_pageCount = 1;
    m_currentPage = 0;
    if (zoom == 0) {
        // Fit the window, but never enlarge.
        const QSize client = viewport()->size();
        zoom = std::min({double(client.width() - 1) / m_pagePixels.width(),
                         double(client.height() - 1) / m_pagePixels.height(), 1.0});
    }
    m_zoom = std::clamp(zoom, kZoomMin, kZoomMax);
    RebuildScaledPicture();
    UpdateScrollBars();
    viewport()->update();
    return true;
}

void CPdfViewerWnd::CloseDocument()
{
    m_engine.Close();
    m_sourcePicture = QImage();
    m_scaledPicture = QImage();
    m_rendered.clear();
    m_zoom = 1.0;
    m_currentPage = -1;
    m_pageCount = 0;
    m_pressPoint = m_releasePoint = QPoint();
    m_pagePoints = QSizeF();
    m_pagePixels = QSize();
    m_totalChars = -1;
    ClearTextSelection();
    ClearAreaSelection();
    m_links.clear();
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    viewport()->update();
    if (m_bookmarks) {
        m_bookmarks->Fill();
        m_bookmarks->hide();
    }
}

void CPdfViewerWnd::MeasurePage(int pageIndex)
{
    m_pagePoints = m_engine.PageSize(pageIndex);
    // 63, not 72: pages show a little larger than printed at zoom 1.0.
    m_pagePixels = QSize(qRound(logicalDpiX() * m_pagePoints.width() / 63.0),
                         qRound(logicalDpiY() * m_pagePoints.height() / 63.0));
}

// ---- Navigation ------------------------------------------------------------------------

QRect CPdfViewerWnd::PageRect(int pageIndex) const
{
    return QRect(-horizontalScrollBar()->value(), -verticalScrollBar()->value() + PageOffset(pageIndex),
                 PageWidthPx(), PageHeightPx());
}

void CPdfViewerWnd::GetVisiblePages(int& first, int& last) const
{
    first = 0;
    last = -1;
    if (!HasDocument())
        return;
    if (m_picture || !m_continuous) {
        first = last = std::max(0, m_currentPage);
        return;
    }
    const int pitch = std::max(1, Pitch());
    const int top = verticalScrollBar()->value();
    first = std::clamp(top / pitch, 0, m_pageCount - 1);
    last = std::clamp((top + std::max(0, viewport()->height() - 1)) / pitch, first, m_pageCount - 1);
}

bool CPdfViewerWnd::IsPageVisible(int pageIndex) const
{
    int first = 0;
    int last = -1;
    GetVisiblePages(first, last);
    return pageIndex >= first && pageIndex <= last;
}

bool CPdfViewerWnd::GoToPageIndex(int n)
{
    if (m_picture || !m_engine.IsOpen())
        return false;
    n = std::clamp(n, 0, m_pageCount - 1);
    if (n == m_currentPage)
        return false;
    if (m_continuous) {
        UpdateScrollBars();
        verticalScrollBar()->setValue(PageOffset(n));
        UpdateCurrentFromScroll();
        return true;
    }
    ClearTextSelection();
    m_links.clear();
    m_currentPage = n;
    MeasurePage(n);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
    SendNotice(ViewerNotice::PageChanged, 0);
    if (m_bookmarks)
        m_bookmarks->MarkPage(n);
    return true;
}

void CPdfViewerWnd::UpdateCurrentFromScroll()
{
    if (m_picture || !m_continuous || !m_engine.IsOpen())
        return;
    int first = 0;
    int last = -1;
    GetVisiblePages(first, last);
    if (first == m_currentPage)
        return;
    m_currentPage = first;
    SendNotice(ViewerNotice::PageChanged, 1);
    if (m_bookmarks)
        m_bookmarks->MarkPage(first);
}

bool CPdfViewerWnd::SetContinuous(bool on)
{
    if (on == m_continuous)
        return false;
    m_continuous = on;
    ClearTextSelection();
    ClearAreaSelection();
    if (!m_engine.IsOpen())
        return true;
    const int page = std::max(0, m_currentPage);
    m_currentPage = -1;
    MeasurePage(page);
    UpdateScrollBars();
    if (!GoToPageIndex(page))
        return false;
    if (m_continuous)
        SendNotice(ViewerNotice::PageChanged, 0);
    viewport()->update();
    return true;
}

void CPdfViewerWnd::UpdateScrollBars()
{
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (!HasDocument()) {
        h->setRange(0, 0);
        v->setRange(0, 0);
        return;
    }
    // Two passes: a bar that appears narrows the other side.
    for (int pass = 0; pass < 2; ++pass) {
        const QSize client = viewport()->size();
        const int width = PageWidthPx();
        h->setPageStep(std::max(1, client.width()));
        h->setSingleStep(std::max(5, client.width() / 10));
        h->setRange(0, std::max(0, width - client.width()));
        int range = 0;
        if (m_continuous && !m_picture) {
            // The last page can come to the top, as every page can.
            const int pitch = Pitch();
            if (client.height() < m_pageCount * pitch)
                range = (m_pageCount - 1) * pitch + std::max(0, PageHeightPx() - client.height());
        } else {
            range = std::max(0, PageHeightPx() - client.height());
        }
        v->setPageStep(std::max(1, client.height()));
        v->setSingleStep(std::max(5, client.height() / 20));
        v->setRange(0, range);
    }
}

void CPdfViewerWnd::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx);
    viewport()->update();
    if (dy != 0) {
        UpdateCurrentFromScroll();
        if (m_host)
            m_host->OnViewerScrolled();
    }
}

void CPdfViewerWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

// ---- Zoom ------------------------------------------------------------------------------

void CPdfViewerWnd::SetZoom(double zoom, bool keepTopLeft)
{
    const double old = m_zoom;
    const QPoint at(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m_zoom = zoom;
    RebuildScaledPicture();
    UpdateScrollBars();
    if (keepTopLeft && old > 0) {
        horizontalScrollBar()->setValue(qRound(at.x() * zoom / old));
        verticalScrollBar()->setValue(qRound(at.y() * zoom / old));
    }
    viewport()->update();
}

void CPdfViewerWnd::ZoomIn()
{
    if (!HasDocument() || m_zoom * kZoomStepIn > kZoomMax)
        return;
    SetZoom(m_zoom * kZoomStepIn, true);
    SendNotice(ViewerNotice::ZoomChanged, 0);
}

void CPdfViewerWnd::ZoomOut()
{
    if (!HasDocument() || m_zoom * kZoomStepOut < kZoomMin)
        return;
    SetZoom(m_zoom * kZoomStepOut, true);
    SendNotice(ViewerNotice::ZoomChanged, 0);
}

void CPdfViewerWnd::ScaleAfterFit(double zoom)
{
    SetZoom(std::clamp(zoom, kZoomMin, kZoomMax), false);
    if (m_continuous && !m_picture && m_engine.IsOpen()) {
        const int page = std::max(0, m_currentPage);
        m_currentPage = -1;
        GoToPageIndex(page);
    }
    SendNotice(ViewerNotice::ZoomChanged, 0);
}

void CPdfViewerWnd::ZoomReset()
{
    if (HasDocument())
        ScaleAfterFit(1.0);
}

void CPdfViewerWnd::ZoomFitPage()
{
    if (!HasDocument() || m_pagePixels.isEmpty())
        return;
    // Measured without scroll bars.
    SetZoom(0.1, false);
    const QSize client = viewport()->size();
    ScaleAfterFit(std::min(double(client.width() - 1) / m_pagePixels.width(),
                           double(client.height() - 1) / m_pagePixels.height()));
}

void CPdfViewerWnd::ZoomFitWidth()
{
    if (!HasDocument() || m_pagePixels.isEmpty())
        return;
    SetZoom(0.1, false);
    const int before = viewport()->width();
    SetZoom(double(before - 1) / m_pagePixels.width(), false);
    // A vertical bar that appeared narrows the client once more.
    const int after = viewport()->width();
    ScaleAfterFit(double(after - 1) / m_pagePixels.width());
}

void CPdfViewerWnd::RebuildScaledPicture()
{
    if (!m_picture || m_sourcePicture.isNull()) {
        m_scaledPicture = QImage();
        return;
    }
    const QSize size(std::max(1, PageWidthPx()), std::max(1, PageHeightPx()));
    m_scaledPicture = m_sourcePicture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool CPdfViewerWnd::ShowBookmarks()
{
    if (m_bookmarks) {
        delete m_bookmarks.data();
        return true;
    }
    m_bookmarks = new CBookMarksDlg(this, this);
    m_bookmarks->setAttribute(Qt::WA_DeleteOnClose);
    m_bookmarks->show();
    m_bookmarks->Fill();
    m_bookmarks->MarkPage(GetCurrentPage());
    return true;
}

// ---- Conversions -------------------------------------------------------------------------

QPoint CPdfViewerWnd::PageToView(double x, double y, int pageIndex) const
{
    if (!HasDocument())
        return {};
    if (m_picture)
        return QPoint(qRound(x * m_zoom) - horizontalScrollBar()->value(),
                      qRound(y * m_zoom) - verticalScrollBar()->value());
    if (pageIndex < 0)
        pageIndex = m_currentPage;
    if (!m_continuous && pageIndex != m_currentPage)
        return {};
    return m_engine.PageToDevice(pageIndex, PageRect(pageIndex), QPointF(x, y));
}

QPoint CPdfViewerWnd::ViewToPage(QPoint device, int& pageIndex) const
{
    pageIndex = -1;
    if (!HasDocument())
        return {};
    if (m_picture) {
        pageIndex = m_currentPage;
        const QPoint at((device.x() + horizontalScrollBar()->value()) / m_zoom,
                        (device.y() + verticalScrollBar()->value()) / m_zoom);
        return QPoint(std::clamp(at.x(), 0, m_pagePixels.width()), std::clamp(at.y(), 0, m_pagePixels.height()));
    }
    int first = 0;
    int last = -1;
    GetVisiblePages(first, last);
    for (int page = first; page <= last; ++page) {
        const QRect rect = PageRect(page);
        if (rect.contains(device)) {
            pageIndex = page;
            const QPointF point = m_engine.DeviceToPage(page, rect, device);
            return QPoint(qRound(point.x()), qRound(point.y()));
        }
    }
    return {};
}

QRect CPdfViewerWnd::DeviceRectOf(const PdfPageRect& rect, int pageIndex) const
{
    const QRect page = PageRect(pageIndex);
    return Normalised(m_engine.PageToDevice(pageIndex, page, QPointF(rect.left, rect.top)),
                      m_engine.PageToDevice(pageIndex, page, QPointF(rect.right, rect.bottom)));
}

QRect CPdfViewerWnd::DeviceRectOfBox(const Box& box, int pageIndex) const
{
    if (m_picture)
        return Normalised(QPoint(qRound(box.left * m_zoom), qRound(box.top * m_zoom)),
                          QPoint(qRound(box.right * m_zoom), qRound(box.bottom * m_zoom)))
            .translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    return DeviceRectOf(PdfPageRect{double(box.left), double(box.top), double(box.right), double(box.bottom)},
                        pageIndex);
}

QRect CPdfViewerWnd::AreaDeviceRect() const
{
    if (!m_areaSelected)
        return {};
    if (m_areaPieces.isEmpty())
        return DeviceRectOfBox(m_area, m_areaPage);
    QRect united;
    for (const AreaPiece& piece : m_areaPieces)
        united |= DeviceRectOfBox(Box{piece.rect.left(), piece.rect.top(), piece.rect.right(), piece.rect.bottom()},
                                  piece.page);
    return united;
}

QRect CPdfViewerWnd::GetCharRect(qint32 character, bool device, qint32 pageIndex) const
{
    if (m_picture || !m_engine.IsOpen())
        return {};
    if (pageIndex < 0)
        pageIndex = m_currentPage;
    if (!m_continuous && pageIndex != m_currentPage)
        return {};
    // The engine caches boxes; it is logically const here.
    const PdfPageRect box = const_cast<PdfEngine&>(m_engine).CharBox(pageIndex, character);
    if (box == PdfPageRect())
        return {};
    if (device)
        return DeviceRectOf(box, pageIndex);
    return QRect(QPoint(int(box.left), int(box.bottom)), QPoint(int(box.right), int(box.top)));
}

QStringList CPdfViewerWnd::GetPageTexts() const
{
    QStringList texts;
    for (int page = 0; page < m_pageCount && !m_picture; ++page)
        texts.append(const_cast<PdfEngine&>(m_engine).PageText(page));
    return texts;
}

qint64 CPdfViewerWnd::GetTotalCharacters() const
{
    if (!HasDocument())
        return 0;
    if (m_picture)
        return qint64(m_pagePixels.width()) * m_pagePixels.height();
    if (m_totalChars < 0) {
        m_totalChars = 0;
        for (int page = 0; page < m_pageCount; ++page)
            m_totalChars += const_cast<PdfEngine&>(m_engine).CountChars(page);
    }
    return m_totalChars;
}

// ---- Text selection ----------------------------------------------------------------------

void CPdfViewerWnd::ClearTextSelection()
{
    m_textActive = false;
    m_anchorChar = m_anchorPage = m_endChar = m_endPage = -1;
    m_segments.clear();
    m_highlights.clear();
}

void CPdfViewerWnd::ClearAreaSelection()
{
    m_areaSelected = false;
    m_area = Box();
    m_areaPieces.clear();
    m_areaPage = -1;
}

bool CPdfViewerWnd::HitChar(QPoint device, int& pageIndex, int& character) const
{
    pageIndex = character = -1;
    if (m_picture || !m_engine.IsOpen())
        return false;
    int first = 0;
    int last = -1;
    GetVisiblePages(first, last);
    for (int page = first; page <= last; ++page) {
        const QRect rect = PageRect(page);
        // The tolerance reaches a little past the page's edges.
        if (!rect.adjusted(-20, -20, 20, 20).contains(device))
            continue;
        const QPointF point = m_engine.DeviceToPage(page, rect, device);
        const int index = const_cast<PdfEngine&>(m_engine).CharIndexAtPos(page, point);
        if (index >= 0) {
            pageIndex = page;
            character = index;
            return true;
        }
    }
    return false;
}

bool CPdfViewerWnd::InsideTextSelection(int pageIndex, int character) const
{
    if (!HasTextSelection())
        return false;
    const bool forwards = std::pair(m_anchorPage, m_anchorChar) <= std::pair(m_endPage, m_endChar);
    const std::pair<int, int> from = forwards ? std::pair(m_anchorPage, m_anchorChar) : std::pair(m_endPage, m_endChar);
    const std::pair<int, int> to = forwards ? std::pair(m_endPage, m_endChar) : std::pair(m_anchorPage, m_anchorChar);
    const std::pair<int, int> at(pageIndex, character);
    return from <= at && at <= to;
}

void CPdfViewerWnd::BuildTextRects()
{
    m_highlights.clear();
    m_segments.clear();
    if (!HasTextSelection())
        return;
    std::pair<int, int> from(m_anchorPage, m_anchorChar);
    std::pair<int, int> to(m_endPage, m_endChar);
    if (to < from)
        std::swap(from, to);
    for (int page = from.first; page <= to.first; ++page) {
        const int first = page == from.first ? from.second : 0;
        const int last = page == to.first ? to.second : m_engine.CountChars(page) - 1;
        if (last < first)
            break;
        QList<PdfPageRect> rects = m_engine.RunRects(page, first, last - first + 1);
        if (rects.isEmpty())
            break;
        m_segments.append(Segment{page, first, last});
        // Pieces of one line are joined into one band, and a band reaches
        // up to the line above, so the selection reads as one shape.
        for (qsizetype i = 1; i < rects.size(); ++i) {
            PdfPageRect& a = rects[i - 1];
            PdfPageRect& b = rects[i];
            const double height = b.top - b.bottom;
            if (height > b.left - a.right && b.top > a.bottom && b.bottom < a.top) {
                a.top = b.top = std::max(a.top, b.top);
                a.bottom = b.bottom = std::min(a.bottom, b.bottom);
                b.left = a.right;
            } else if (b.top < a.bottom) {
                b.top = a.bottom;
            }
        }
        for (PdfPageRect rect : rects) {
            if (rect.right <= rect.left)
                rect.right = rect.left + (rect.top - rect.bottom);
            m_highlights.append(Highlight{rect, page});
        }
    }
    // Pieces exist only for a selection over two pages or more.
    if (m_segments.size() == 1)
        m_segments.clear();
}

bool CPdfViewerWnd::GetSelection(int index, qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2,
                                 qint32& isText) const
{
    if (!HasDocument())
        return false;
    auto& engine = const_cast<PdfEngine&>(m_engine);
    if (!m_picture && HasTextSelection()) {
        int onPage = 0;
        int first = 0;
        int last = 0;
        if (!m_segments.isEmpty() || index > 0) {
            const int k = std::max(0, index);
            if (k >= m_segments.size())
                return false;
            onPage = m_segments[k].page;
            first = m_segments[k].first;
            last = m_segments[k].last;
        } else {
            std::pair<int, int> from(m_anchorPage, m_anchorChar);
            std::pair<int, int> to(m_endPage, m_endChar);
            if (to < from)
                std::swap(from, to);
            // Without pieces the selection lies on one page.
            onPage = from.first;
            first = from.second;
            last = to.second;
        }
        const PdfPageRect a = engine.CharBox(onPage, first);
        const PdfPageRect b = engine.CharBox(onPage, last);
        isText = 1;
        page = onPage + 1;
        start = first;
        end = last + 1;
        x1 = qint32(std::min(a.bottom, b.bottom));
        x2 = qint32(std::max(a.top, b.top));
        return true;
    }
    if (!m_areaSelected)
        return false;
    isText = 0;
    if (m_picture) {
        if (index > 0)
            return false;
        page = m_areaPage + 1;
        x1 = m_area.left;
        start = m_area.top;
        x2 = m_area.right;
        end = m_area.bottom;
        return true;
    }
    Box box = m_area;
    int onPage = m_areaPage;
    if (index >= 0 && (!m_areaPieces.isEmpty() || index > 0)) {
        if (index >= m_areaPieces.size())
            return false;
        const QRect& piece = m_areaPieces[index].rect;
        box = Box{piece.left(), piece.top(), piece.right(), piece.bottom()};
        onPage = m_areaPieces[index].page;
    }
    page = onPage + 1;
    x1 = box.left;
    start = box.top;
    x2 = box.right;
    end = box.bottom;
    return true;
}

QString CPdfViewerWnd::GetSelectedText(int index) const
{
    if (m_areaSelected)
        return QStringLiteral("<IMAGE>");
    if (m_picture || !HasTextSelection() || index < 0)
        return {};
    auto& engine = const_cast<PdfEngine&>(m_engine);
    if (!m_segments.isEmpty()) {
        if (index >= m_segments.size())
            return {};
        const Segment& segment = m_segments[index];
        return engine.GetText(segment.page, segment.first, segment.last - segment.first + 1);
    }
    if (index > 0)
        return {};
    return engine.GetText(m_anchorPage, std::min(m_anchorChar, m_endChar), std::abs(m_anchorChar - m_endChar) + 1);
}

void CPdfViewerWnd::GetSelectionCoverage(int index, double& whole, double& part) const
{
    whole = part = 0;
    qint32 page, start, end, x1, x2, isText;
    if (!GetSelection(index, page, start, end, x1, x2, isText))
        return;
    if (isText) {
        whole = double(GetTotalCharacters());
        part = std::abs(end - 1 - start) + 1;
        return;
    }
    part = double(std::abs(x2 - x1)) * std::abs(end - start);
    whole = m_picture ? double(m_pagePixels.width()) * m_pagePixels.height()
                      : m_pageCount * m_pagePoints.width() * m_pagePoints.height();
}

qint32 CPdfViewerWnd::GetSelectionPosition(bool wantStart, int index) const
{
    qint32 page, start, end, x1, x2, isText;
    if (!GetSelection(index, page, start, end, x1, x2, isText))
        return 0;
    if (isText)
        return wantStart ? start : end;
    if (m_picture)
        return wantStart ? std::min(start, end) : std::max(start, end);
    // Distances from the page's top edge, the smaller first.
    const qint32 a = qint32(m_pagePoints.height()) - start;
    const qint32 b = qint32(m_pagePoints.height()) - end;
    return wantStart ? std::min(a, b) : std::max(a, b);
}

bool CPdfViewerWnd::SetSelection(qint32 page, qint32 x1, qint32 start, qint32 x2, qint32 end, bool isText)
{
    if (!HasDocument())
        return false;
    if (m_picture) {
        ClearAreaSelection();
        m_area = Box{x1, start, x2, end};
        m_areaPage = page - 1;
        m_areaSelected = true;
        ScrollIntoView(DeviceRectOfBox(m_area, m_areaPage));
        viewport()->update();
        return true;
    }
    ClearTextSelection();
    ClearAreaSelection();
    const int pageIndex = std::clamp(page - 1, 0, m_pageCount - 1);
    if (!IsPageVisible(pageIndex))
        GoToPageIndex(pageIndex);
    if (x1 == 0 && start == 0 && x2 == 0 && end == 0) {
        viewport()->update();
        return true;
    }
    if (isText) {
        m_anchorPage = m_endPage = pageIndex;
        m_anchorChar = start;
        m_endChar = std::max(start, end - 1);
        m_textActive = true;
        BuildTextRects();
        const QRect a = GetCharRect(m_anchorChar, true, pageIndex);
        const QRect b = GetCharRect(m_endChar, true, pageIndex);
        ScrollIntoView(a | b);
    } else {
        m_area = Box{x1, start, x2, end};
        m_areaPage = pageIndex;
        m_areaSelected = true;
        ScrollIntoView(DeviceRectOfBox(m_area, m_areaPage));
    }
    viewport()->update();
    return true;
}

void CPdfViewerWnd::ScrollIntoView(const QRect& device)
{
    if (device.isEmpty())
        return;
    const int margin = verticalScrollBar()->sizeHint().width() / 2;
    const QRect client = viewport()->rect().adjusted(margin, margin, -margin, -margin);
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    if (device.bottom() > client.bottom())
        v->setValue(v->value() + device.bottom() - client.bottom());
    if (device.top() < client.top())
        v->setValue(v->value() - (client.top() - device.top()));
    if (device.right() > client.right())
        h->setValue(h->value() + device.right() - client.right());
    if (device.left() < client.left())
        h->setValue(h->value() - (client.left() - device.left()));
}

bool CPdfViewerWnd::ScrollToPosition(qint32 page, qint32 y)
{
    if (!HasDocument())
        return false;
    QScrollBar* v = verticalScrollBar();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    if (m_picture) {
        const int at = qRound(y * m_zoom) - v->value();
        if (at < barHeight)
            v->setValue(v->value() - (barHeight - at));
        else if (at > viewport()->height() - barHeight)
            v->setValue(v->value() + at - (viewport()->height() - barHeight));
        return true;
    }
    const int pageIndex = std::clamp(page - 1, 0, m_pageCount - 1);
    if (!IsPageVisible(pageIndex))
        GoToPageIndex(pageIndex);
    const int at = m_engine.PageToDevice(pageIndex, PageRect(pageIndex), QPointF(0, y)).y();
    const int bottom = viewport()->height() - barHeight / 2;
    if (at < 10)
        v->setValue(v->value() - (10 - at));
    else if (at > bottom - 10)
        v->setValue(v->value() + at - (bottom - 10));
    return true;
}

void CPdfViewerWnd::CopySelection()
{
    if (m_picture)
        return;
    const QString text = GetSelectedText(0);
    if (!text.isEmpty() && !m_areaSelected)
        QApplication::clipboard()->setText(text);
}

// ---- Area selection ------------------------------------------------------------------------

void CPdfViewerWnd::SelectArea(QRect device)
{
    device = device.normalized();
    if (m_picture) {
        const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
        const auto clampX = [&](int x) { return std::clamp(int((x + offset.x()) / m_zoom), 0, m_pagePixels.width()); };
        const auto clampY = [&](int y) { return std::clamp(int((y + offset.y()) / m_zoom), 0, m_pagePixels.height()); };
        m_area = Box{clampX(device.left()), clampY(device.top()), clampX(device.right()), clampY(device.bottom())};
        m_areaPieces.clear();
        m_areaPage = m_currentPage;
        m_areaSelected = true;
        viewport()->update();
        return;
    }
    int page = -1;
    const QPoint topLeft = ViewToPage(device.topLeft(), page);
    if (page < 0)
        return;
    const QRect pageRect = PageRect(page);
    device.setRight(std::min(device.right(), pageRect.right()));
    if (!m_continuous)
        device.setBottom(std::min(device.bottom(), pageRect.bottom()));
    const QPointF bottomRight = m_engine.DeviceToPage(page, pageRect, device.bottomRight());
    m_areaPage = page;
    m_area = Box{topLeft.x(), topLeft.y(), qRound(bottomRight.x()), qRound(bottomRight.y())};
    m_areaSelected = true;
    BuildAreaPieces(device);
    viewport()->update();
}

void CPdfViewerWnd::BuildAreaPieces(const QRect& device)
{
    m_areaPieces.clear();
    int firstPage = -1;
    int lastPage = -1;
    ViewToPage(device.topLeft(), firstPage);
    ViewToPage(device.bottomRight(), lastPage);
    if (firstPage < 0 || lastPage < 0 || firstPage == lastPage)
        return;
    for (int page = firstPage; page <= lastPage; ++page) {
        const QRect rect = PageRect(page);
        const int top = page == firstPage ? device.top() : rect.top();
        const int bottom = page == lastPage ? device.bottom() : rect.bottom();
        const QPointF a = m_engine.DeviceToPage(page, rect, QPoint(device.left(), top));
        const QPointF b = m_engine.DeviceToPage(page, rect, QPoint(device.right(), bottom));
        AreaPiece piece;
        piece.page = page;
        piece.rect.setCoords(qRound(a.x()), qRound(a.y()), qRound(b.x()), qRound(b.y()));
        m_areaPieces.append(piece);
    }
    if (m_areaPieces.size() <= 1)
        m_areaPieces.clear();
}

// ---- Link areas ----------------------------------------------------------------------------

void CPdfViewerWnd::AddCodedArea(qint32 linkId, qint32 linkType, qint32 pageIndex, const QRect& rect, bool isText)
{
    LinkArea area{linkId, linkType, pageIndex, rect};
    if (isText && !m_picture && m_engine.IsOpen()) {
        // rect holds (PosX1, StartChar, PosX2, FinishChar): the characters.
        const int first = rect.top();
        const int count = rect.bottom() - rect.top();
        const QList<PdfPageRect> rects = m_engine.RunRects(pageIndex, first, std::max(0, count));
        if (!rects.isEmpty()) {
            PdfPageRect box = rects.first();
            for (const PdfPageRect& r : rects) {
                box.left = std::min(box.left, r.left);
                box.top = std::max(box.top, r.top);
                box.right = std::max(box.right, r.right);
                box.bottom = std::min(box.bottom, r.bottom);
            }
            area.rect.setCoords(int(box.left), int(box.top), int(box.right), int(box.bottom));
        }
    } else {
        area.kind += kAreaLinkKind;
    }
    m_links.append(area);
    viewport()->update();
}

void CPdfViewerWnd::ClearCodedAreas()
{
    m_links.clear();
    viewport()->update();
}

QRect CPdfViewerWnd::GetCodedAreaRect(qint32 linkId) const
{
    for (const LinkArea& link : m_links)
        if (link.id == linkId)
            return DeviceRectOfBox(Box{link.rect.left(), link.rect.top(), link.rect.right(), link.rect.bottom()},
                                   link.page);
    return {};
}

int CPdfViewerWnd::HitCodedArea(QPoint device) const
{
    for (qsizetype i = 0; i < m_links.size(); ++i) {
        const LinkArea& link = m_links[i];
        if (!m_picture && !IsPageVisible(link.page))
            continue;
        if (!m_picture && !PageRect(link.page).contains(device))
            continue;
        const QRect rect =
            DeviceRectOfBox(Box{link.rect.left(), link.rect.top(), link.rect.right(), link.rect.bottom()}, link.page);
        if (rect.contains(device))
            return int(i);
    }
    return -1;
}

// ---- Painting ------------------------------------------------------------------------------

QImage CPdfViewerWnd::PageImage(int pageIndex, const QRect& pageDevice, const QRect& visible)
{
    const QSize size = pageDevice.size();
    if (qint64(size.width()) * size.height() <= kWholePageLimit) {
        const QString key = QStringLiteral("%1:%2x%3").arg(pageIndex).arg(size.width()).arg(size.height());
        if (QImage* cached = m_rendered.object(key))
            return *cached;
        QImage image = m_engine.RenderPage(pageIndex, size);
        if (!image.isNull())
            m_rendered.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
        return image;
    }
    // Only the part in view of a page far larger than the window.
    return m_engine.RenderPagePart(pageIndex, size, visible.translated(-pageDevice.topLeft()));
}

void CPdfViewerWnd::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(viewport());
    if (!HasDocument()) {
        painter.fillRect(viewport()->rect(), kGrey);
        painter.setPen(Qt::white);
        painter.drawText(viewport()->rect(), Qt::AlignCenter, QLatin1Char(' ') + LoadString(kEmptyText));
        return;
    }
    if (m_picture)
        PaintPicture(painter);
    else
        PaintPdf(painter);
}

void CPdfViewerWnd::PaintPdf(QPainter& painter)
{
    painter.fillRect(viewport()->rect(), kGrey);
    int first = 0;
    int last = -1;
    GetVisiblePages(first, last);
    const QRect client = viewport()->rect();
    for (int page = first; page <= last; ++page) {
        const QRect rect = PageRect(page);
        const QRect visible = rect & client;
        if (visible.isEmpty())
            continue;
        painter.fillRect(rect, Qt::white);
        const QImage image = PageImage(page, rect, visible);
        if (!image.isNull()) {
            if (image.size() == rect.size())
                painter.drawImage(rect.topLeft(), image);
            else
                painter.drawImage(visible.topLeft(), image);
        }
    }
    // The text selection shows inverted.
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const Highlight& highlight : m_highlights)
        if (highlight.page >= first && highlight.page <= last)
            painter.fillRect(DeviceRectOf(highlight.rect, highlight.page), Qt::white);
    painter.restore();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = first; page <= last; ++page)
        PaintLinks(painter, page);
    if (m_areaSelected && IsPageVisible(m_areaPage)) {
        if (m_areaPieces.isEmpty())
            DrawFramed(painter, DeviceRectOfBox(m_area, m_areaPage), kAreaFill, kAreaFrame);
        for (const AreaPiece& piece : m_areaPieces)
            if (IsPageVisible(piece.page))
                DrawFramed(painter,
                           DeviceRectOfBox(Box{piece.rect.left(), piece.rect.top(), piece.rect.right(),
                                               piece.rect.bottom()},
                                           piece.page),
                           kAreaFill, kAreaFrame);
    }
}

void CPdfViewerWnd::PaintLinks(QPainter& painter, int pageIndex)
{
    for (const LinkArea& link : m_links) {
        if (!m_picture && link.page != pageIndex)
            continue;
        const int type = std::clamp(link.kind >= kAreaLinkKind ? link.kind - kAreaLinkKind : link.kind, 0, 2);
        QRect rect =
            DeviceRectOfBox(Box{link.rect.left(), link.rect.top(), link.rect.right(), link.rect.bottom()}, link.page);
        if (link.kind < kAreaLinkKind)
            rect.adjust(-3, -3, 2, 2);
        DrawFramed(painter, rect, kLinkFill[type], kLinkFrame[type]);
    }
}

void CPdfViewerWnd::PaintPicture(QPainter& painter)
{
    const QRect client = viewport()->rect();
    const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    painter.fillRect(client, kGrey);
    if (m_scaledPicture.isNull())
        painter.fillRect(QRect(origin, QSize(PageWidthPx(), PageHeightPx())), Qt::white);
    else
        painter.drawImage(origin, m_scaledPicture);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintLinks(painter, 0);
    if (m_areaSelected)
        DrawFramed(painter, DeviceRectOfBox(m_area, 0), kAreaFill, kAreaFrame);
}

// ---- Keys and wheel ------------------------------------------------------------------------

void CPdfViewerWnd::keyPressEvent(QKeyEvent* event)
{
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp: GoToPageIndex(GetCurrentPage() - 1); break;
    case Qt::Key_PageDown: GoToPageIndex(GetCurrentPage() + 1); break;
    case Qt::Key_Home: GoToPageIndex(0); break;
    case Qt::Key_End: GoToPageIndex(m_pageCount - 1); break;
    case Qt::Key_Left: h->setValue(h->value() - kKeyScroll); break;
    case Qt::Key_Right: h->setValue(h->value() + kKeyScroll); break;
    case Qt::Key_Up: v->setValue(v->value() - kKeyScroll); break;
    case Qt::Key_Down: v->setValue(v->value() + kKeyScroll); break;
    case Qt::Key_C:
        if (event->modifiers() & Qt::ControlModifier)
            CopySelection();
        break;
    case Qt::Key_Asterisk:
        if (keypad)
            ZoomFitWidth();
        break;
    case Qt::Key_Plus:
        if (keypad)
            ZoomIn();
        break;
    case Qt::Key_Minus:
        if (keypad)
            ZoomOut();
        break;
    case Qt::Key_Slash:
        if (keypad)
            ZoomReset();
        break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

void CPdfViewerWnd::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    const int notches = delta / kWheelNotch;
    if (event->modifiers() & Qt::ControlModifier) {
        for (int i = 0; i < std::abs(notches); ++i)
            delta > 0 ? ZoomIn() : ZoomOut();
    } else if (event->modifiers() & Qt::AltModifier) {
        // Alt turns the wheel sideways on some platforms.
        const int turned = delta != 0 ? delta : event->angleDelta().x();
        for (int i = 0; i < std::abs(turned / kWheelNotch); ++i)
            GoToPageIndex(GetCurrentPage() + (turned > 0 ? -1 : 1));
    } else {
        verticalScrollBar()->setValue(verticalScrollBar()->value() - delta);
    }
    event->accept();
}

// ---- Mouse ---------------------------------------------------------------------------------

void CPdfViewerWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    setFocus();
    const QPoint at = event->position().toPoint();
    m_pressPoint = at;
    m_dragPending = m_bandPending = false;
    if (m_areaSelected) {
        if (AreaDeviceRect().contains(at)) {
            m_dragPending = true;
        } else {
            ClearAreaSelection();
            viewport()->update();
        }
    }
    if (!m_highlights.isEmpty()) {
        int page = -1;
        int character = -1;
        if (m_dragPending)
            ClearTextSelection();
        else if (HitChar(at, page, character) && InsideTextSelection(page, character))
            m_dragPending = true;
    }
    if (m_dragPending)
        return;
    ClearTextSelection();
    viewport()->update();
    int page = -1;
    int character = -1;
    m_textActive = HitChar(at, page, character);
    if (m_textActive) {
        m_anchorPage = page;
        m_anchorChar = character;
        viewport()->setCursor(Qt::IBeamCursor);
    } else {
        m_bandPending = true;
    }
}

void CPdfViewerWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool leftDown = event->buttons() & Qt::LeftButton;
    const QPoint moved = at - m_pressPoint;
    const bool farEnough = std::abs(moved.x()) >= kDragDistance || std::abs(moved.y()) >= kDragDistance;
    if (leftDown && m_dragPending && farEnough) {
        m_dragPending = false;
        StartDrag();
        return;
    }
    if (leftDown && m_bandPending && farEnough) {
        m_bandPending = false;
        m_banding = true;
        if (!m_band)
            m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
    }
    if (leftDown && m_banding) {
        m_band->setGeometry(Normalised(m_pressPoint, at));
        m_band->show();
        return;
    }
    if (leftDown && m_textActive && !m_dragPending) {
        int page = -1;
        int character = -1;
        if (HitChar(at, page, character) && (page != m_endPage || character != m_endChar)) {
            m_endPage = page;
            m_endChar = character;
            BuildTextRects();
            viewport()->update();
        }
        return;
    }
    if (leftDown)
        return;
    const int link = HitCodedArea(at);
    if (link >= 0)
        SendNotice(ViewerNotice::OverLink, m_links[link].id);
    if (m_picture) {
        viewport()->setCursor(link >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        return;
    }
    int page = -1;
    int character = -1;
    if (m_areaSelected && AreaDeviceRect().contains(at))
        viewport()->setCursor(Qt::ArrowCursor);
    else if (link >= 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else if (m_textActive || (HitChar(at, page, character) && !InsideTextSelection(page, character)))
        viewport()->setCursor(Qt::IBeamCursor);
    else
        viewport()->setCursor(Qt::ArrowCursor);
}

void CPdfViewerWnd::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        const int link = HitCodedArea(at);
        SendNotice(ViewerNotice::RightButtonUp, link >= 0 ? m_links[link].id : 0);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_banding) {
        m_banding = false;
        m_band->hide();
        SelectArea(Normalised(m_pressPoint, at));
    } else if (m_dragPending) {
        // A click inside the selection without a drag clears it.
        ClearAreaSelection();
        ClearTextSelection();
        viewport()->update();
    }
    // A click on a character selects nothing.
    if (m_anchorChar >= 0 && m_endChar < 0)
        ClearTextSelection();
    m_textActive = HasTextSelection();
    m_releasePoint = at;
    m_dragPending = m_bandPending = false;
    const int link = HitCodedArea(at);
    if (link >= 0)
        SendNotice(ViewerNotice::LinkClicked, m_links[link].id);
    if (m_picture) {
        viewport()->setCursor(Qt::ArrowCursor);
        ClearTextSelection();
    }
}

void CPdfViewerWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void CPdfViewerWnd::StartDrag()
{
    const CDragObject payload(TreeDragKind::BrowserSelection, 0);
    payload.DoDragDrop(this, m_host ? m_host->ViewerProjectIdentity() : QString(),
                       Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

// ---- Printing ------------------------------------------------------------------------------

bool CPdfViewerWnd::Print(const QString& title, bool withCodes)
{
    Q_UNUSED(withCodes);
    if (!HasDocument())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setFromTo(1, m_pageCount);
    if (!RunPrintDialog(printer, this))
        return false;
    return m_picture ? PrintPicture(printer) : PrintPdf(printer);
}

bool CPdfViewerWnd::PrintPdf(QPrinter& printer)
{
    int from = 0;
    int to = m_pageCount - 1;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        from = std::clamp(printer.fromPage() - 1, 0, m_pageCount - 1);
        to = std::clamp(printer.toPage() - 1, from, m_pageCount - 1);
        break;
    case QPrinter::Selection:
    case QPrinter::CurrentPage: from = to = GetCurrentPage(); break;
    default: break;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = from; page <= to; ++page) {
        if (page > from && !printer.newPage())
            return false;
        const QSizeF points = m_engine.PageSize(page);
        const QSize size(qRound(printer.logicalDpiX() * points.width() / 72.0),
                         qRound(printer.logicalDpiY() * points.height() / 72.0));
        painter.drawImage(QPoint(0, 0), m_engine.RenderPage(page, size));
    }
    return painter.end();
}

bool CPdfViewerWnd::PrintPicture(QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF paper = printer.pageRect(QPrinter::DevicePixel);
    const double dpmX = m_sourcePicture.dotsPerMeterX() > 0 ? m_sourcePicture.dotsPerMeterX() : 3780;
    const double dpmY = m_sourcePicture.dotsPerMeterY() > 0 ? m_sourcePicture.dotsPerMeterY() : 3780;
    // The picture's own size in printer pixels, scaled to fit 90 % of the page.
    const QSizeF inches(m_sourcePicture.width() / (dpmX * 0.0254), m_sourcePicture.height() / (dpmY * 0.0254));
    const QSizeF natural(inches.width() * printer.logicalDpiX(), inches.height() * printer.logicalDpiY());
    const double scale =
        std::min(paper.width() * 0.9 / natural.width(), paper.height() * 0.9 / natural.height());
    const QSizeF size = natural * scale;
    const QRectF target(QPointF((paper.width() - size.width()) / 2, (paper.height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_sourcePicture);
    return painter.end();
}

std::unique_ptr<IDocumentViewer> MakeDocumentViewer(qint32 kind, QWidget* parent)
{
    if (kind != DocumentKind::Pdf && kind != DocumentKind::Picture)
        return nullptr;
    return std::make_unique<CPdfViewerWnd>(parent);
}
