#pragma once

// The viewer of PDF and picture documents in the document browser: pages
// one below the other or one at a time, zoom, text and area selection as
// coding positions, link areas over the pages, and printing.

#include "browser/bookmarksdlg.h"
#include "browser/documentviewer.h"
#include "browser/pdfpagetarget.h"
#include "platform/pdf/pdfengine.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QPointer>

class QPrinter;
class QRubberBand;

/// @short Shows a PDF (kind 1) or a picture (kind 2) and reports its
/// selection in the coding's coordinates.
///
/// Geometry: a page of w × h points is round(dpi × w ÷ 63) × round(dpi ×
/// h ÷ 63) pixels at zoom 1.0; every page has the size of the measured one.
/// In continuous view page i starts i × (page height × zoom + gap) below
/// the first. PDF positions are page points with y upwards, picture
/// positions picture pixels with y downwards.
///
/// Pages are drawn only while seen, the part in view only when a page is
/// far larger than the window, and drawn pages are kept in a bounded cache.
class CPdfViewerWnd : public QAbstractScrollArea, public IDocumentViewer, public IPdfPageTarget {
    Q_OBJECT
public:
    static constexpr int kPageGap = 5;
    static constexpr double kZoomStepIn = 1.1;
    static constexpr double kZoomStepOut = 0.9;
    static constexpr double kZoomMax = 64.0;
    static constexpr double kZoomMin = 0.05;
    /// A press must move this far before a drag or rubber band starts.
    static constexpr int kDragDistance = 5;
    /// Pages of more pixels than this are drawn only in the part in view.
    static constexpr qint64 kWholePageLimit = 4'000'000;

    explicit CPdfViewerWnd(QWidget* parent = nullptr);
    ~CPdfViewerWnd() override;

    // ---- IDocumentViewer -------------------------------------------------------------
    QWidget* Widget() override { return this; }
    void SetHost(IDocumentViewerHost* host) override { m_host = host; }
    bool Load(const QByteArray& content, qint32 kind, double zoom, const DocumentViewState& view) override;
    void Close() override { CloseDocument(); }
    bool GetSelection(int index, qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2,
                      qint32& isText) const override;
    QString SelectedText() const override { return GetSelectedText(0); }
    void SaveView(double& zoom, DocumentViewState& view) const override;
    bool Print(const QString& title, bool withCodes) override;
    void GetSelectionCoverage(int index, double& whole, double& part) const override;
    qint32 GetSelectionPosition(bool wantStart, int index) const override;
    bool SetSelection(qint32 page, qint32 x1, qint32 start, qint32 x2, qint32 end, bool isText) override;
    bool ScrollToPosition(qint32 page, qint32 y) override;
    void CopySelection() override;
    void AddCodedArea(qint32 linkId, qint32 linkType, qint32 pageIndex, const QRect& rect, bool isText) override;
    void ClearCodedAreas() override;
    QRect GetCodedAreaRect(qint32 linkId) const override;
    QRect GetCharRect(qint32 character, bool device, qint32 pageIndex) const override;
    void GetVisiblePages(int& first, int& last) const override;
    QPoint PageToView(double x, double y, int pageIndex) const override;
    QStringList GetPageTexts() const override;
    int GetPageCount() const override { return m_pageCount; }
    int GetCurrentPage() const override { return std::max(0, m_currentPage); }
    bool ShowPage(int pageIndex) override { return GoToPageIndex(pageIndex); }
    bool IsContinuous() const override { return m_continuous; }
    bool SetContinuous(bool on) override;
    void ZoomIn() override;
    void ZoomOut() override;
    void ZoomReset() override;
    double Zoom() const override { return m_zoom; }

    // ---- IPdfPageTarget --------------------------------------------------------------
    PdfEngine* GetPdfEngine() override { return m_engine.IsOpen() ? &m_engine : nullptr; }
    void GoToPage(int page) override { GoToPageIndex(page); }

    // ---- Loading and view ------------------------------------------------------------
    bool LoadFromMemory(const QByteArray& bytes, bool picture, double zoom);
    void CloseDocument();
    bool IsPicture() const { return m_picture; }
    bool HasDocument() const { return m_picture ? !m_sourcePicture.isNull() : m_engine.IsOpen(); }
    /// Shows page `n` (clamped); false when it is the page shown already.
    bool GoToPageIndex(int n);
    bool CanGoPrevious() const { return m_currentPage > 0; }
    bool CanGoNext() const { return m_currentPage >= 0 && m_currentPage < m_pageCount - 1; }
    void SetContinuousFlag(bool on) { m_continuous = on; }
    void ZoomFitPage();
    void ZoomFitWidth();
    /// Shows the bookmarks pane, or closes it when shown.
    bool ShowBookmarks();
    CBookMarksDlg* BookmarksWindow() const { return m_bookmarks; }
    /// The device rectangle of a page (window pixels of the viewport).
    QRect PageRect(int pageIndex) const;
    /// The size of a page at zoom 1.0 in pixels.
    QSize PagePixels() const { return m_pagePixels; }
    /// The page point (rounded) under a window point, and its page; -1
    /// when the point is on no page.
    QPoint ViewToPage(QPoint device, int& pageIndex) const;
    QString GetSelectedText(int index) const;
    bool HasTextSelection() const { return m_anchorChar >= 0 && m_endChar >= 0; }
    bool HasAreaSelection() const { return m_areaSelected; }
    /// The number of per-page pieces of a selection over pages (0 on one page).
    int SegmentCount() const { return int(m_segments.size()); }
    int AreaPieceCount() const { return int(m_areaPieces.size()); }
    /// The link area under a window point, or -1.
    int HitCodedArea(QPoint device) const;
    /// The total of characters (PDF) or pixels (picture).
    qint64 GetTotalCharacters() const;
    /// Rendered pages kept for painting (for tests of the cache bound).
    int CachedPageImages() const { return m_rendered.count(); }

signals:
    /// Every notice also goes to the host; tests wait on this.
    void Notice(int notice, qint32 value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Segment {
        int page = 0;
        int first = 0;
        int last = 0;
    };
    struct Highlight {
        PdfPageRect rect;
        int page = 0;
    };
    struct AreaPiece {
        QRect rect;  // left, top (y up: the larger), right, bottom as x1, y1, x2, y2
        int page = 0;
    };
    struct LinkArea {
        qint32 id = 0;
        qint32 kind = 0;
        int page = 0;
        QRect rect;  // (x1, y1)-(x2, y2) as the link holds them
    };
    /// An area as four numbers: left, top, right, bottom (QRect's own
    /// normalisation does not fit y upwards).
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    void SendNotice(int notice, qint32 value);
    void MeasurePage(int pageIndex);
    int PageWidthPx() const { return int(m_pagePixels.width() * m_zoom); }
    int PageHeightPx() const { return int(m_pagePixels.height() * m_zoom); }
    int Pitch() const { return PageHeightPx() + kPageGap; }
    int PageOffset(int pageIndex) const { return m_continuous && !m_picture ? pageIndex * Pitch() : 0; }
    bool IsPageVisible(int pageIndex) const;
    void UpdateScrollBars();
    void UpdateCurrentFromScroll();
    void SetZoom(double zoom, bool keepTopLeft);
    void ScaleAfterFit(double zoom);
    void RebuildScaledPicture();
    void ClearTextSelection();
    void ClearAreaSelection();
    bool HitChar(QPoint device, int& pageIndex, int& character) const;
    bool InsideTextSelection(int pageIndex, int character) const;
    void BuildTextRects();
    void BuildAreaPieces(const QRect& device);
    void SelectArea(QRect device);
    QRect DeviceRectOf(const PdfPageRect& rect, int pageIndex) const;
    QRect DeviceRectOfBox(const Box& box, int pageIndex) const;
    QRect AreaDeviceRect() const;
    void ScrollIntoView(const QRect& device);
    QImage PageImage(int pageIndex, const QRect& pageDevice, const QRect& visible);
    void PaintPdf(QPainter& painter);
    void PaintPicture(QPainter& painter);
    void PaintLinks(QPainter& painter, int pageIndex);
    void StartDrag();
    bool PrintPdf(QPrinter& printer);
    bool PrintPicture(QPrinter& printer);

    IDocumentViewerHost* m_host = nullptr;
    bool m_picture = false;
    PdfEngine m_engine;
    double m_zoom = 1.0;
    QPoint m_pressPoint;
    QPoint m_releasePoint;
    QImage m_scaledPicture;
    QImage m_sourcePicture;
    Box m_area;
    QList<AreaPiece> m_areaPieces;
    int m_areaPage = -1;
    bool m_areaSelected = false;
    bool m_continuous = true;
    int m_pageCount = 0;
    int m_currentPage = -1;
    QSizeF m_pagePoints;
    QSize m_pagePixels;
    bool m_textActive = false;
    int m_anchorChar = -1;
    int m_anchorPage = -1;
    int m_endChar = -1;
    int m_endPage = -1;
    QList<Segment> m_segments;
    QList<Highlight> m_highlights;
    bool m_dragPending = false;
    bool m_bandPending = false;
    QList<LinkArea> m_links;
    QPointer<CBookMarksDlg> m_bookmarks;
    QRubberBand* m_band = nullptr;
    bool m_banding = false;
    mutable qint64 m_totalChars = -1;
    /// Drawn pages by (page, width, height), cost in kilobytes.
    QCache<QString, QImage> m_rendered;
};

/// Makes the viewer of the PDF and picture kinds; null for other kinds.
std::unique_ptr<IDocumentViewer> MakeDocumentViewer(qint32 kind, QWidget* parent);
