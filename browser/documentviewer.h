#pragma once

// Where the viewers of the other document kinds (PDF, picture, table) plug
// into the document browser. The browser shows rich text itself; for the
// other kinds it asks the registered factory for a viewer and hands it the
// content, the view state and the questions about its selection.

#include "document/listnotifyinfo.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

/// What a viewer tells the browser (the value a notice carries is named
/// with it).
namespace ViewerNotice {
enum : int {
    PageChanged = 1,    ///< 1 when found by scrolling in continuous view, else 0
    ZoomChanged = 2,    ///< 0
    RightButtonUp = 3,  ///< the link id under the pointer, 0 when none
    OverLink = 4,       ///< the link id under the pointer
    LinkClicked = 5,    ///< the link id released on
};
}  // namespace ViewerNotice

/// @short The browser as its viewers see it.
class IDocumentViewerHost {
public:
    virtual ~IDocumentViewerHost() = default;
    virtual void OnViewerNotice(int notice, qint32 value) = 0;
    /// After every vertical scroll: stripes and memos follow the pages.
    virtual void OnViewerScrolled() = 0;
    /// The open project's identity, carried by a dragged selection.
    virtual QString ViewerProjectIdentity() const = 0;
};

/// @short A viewer of one document kind beside the rich text.
///
/// Positions are the coding's: Page from 1, then (x1, start, x2, end) as a
/// coding stores them (see GetSelection). The calls past Load and Close
/// have answers for a viewer that has no pages, so a viewer overrides only
/// what its kind offers.
class IDocumentViewer {
public:
    virtual ~IDocumentViewer() = default;

    virtual void SetHost(IDocumentViewerHost* host) { Q_UNUSED(host); }

    /// The viewer's window; owned by the viewer object.
    virtual QWidget* Widget() = 0;
    /// Shows the content (DocType kind) at the zoom with the stored view.
    virtual bool Load(const QByteArray& content, qint32 kind, double zoom, const DocumentViewState& view) = 0;
    virtual void Close() = 0;
    /// Piece `index` of the selection (a selection over pages has one piece
    /// per page), in the coding's coordinates; false when there is none.
    virtual bool GetSelection(int index, qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2,
                              qint32& isText) const = 0;
    virtual QString SelectedText() const = 0;
    /// The whole and the selected part from which the browser computes a
    /// coding's coverage (characters, or area in points or pixels).
    virtual void GetSelectionCoverage(int /*index*/, double& whole, double& part) const
    {
        whole = part = 0;
    }
    /// The start (or one past the end) of piece `index` from which the
    /// browser counts paragraphs; 0 without a selection.
    virtual qint32 GetSelectionPosition(bool /*wantStart*/, int /*index*/) const
    {
        return 0;
    }
    /// Shows a stored coding as the selection (values as GetSelection).
    virtual bool SetSelection(qint32 /*page*/, qint32 /*x1*/, qint32 /*start*/, qint32 /*x2*/, qint32 /*end*/,
                              bool /*isText*/)
    {
        return false;
    }
    /// Scrolls height `y` of page `page` (from 1) into view.
    virtual bool ScrollToPosition(qint32 /*page*/, qint32 /*y*/)
    {
        return false;
    }
    /// Puts the selected text on the clipboard.
    virtual void CopySelection() {}

    /// Link areas drawn over the pages, in the order added; `rect` holds
    /// the link's (x1, start, x2, end).
    virtual void AddCodedArea(qint32 /*linkId*/, qint32 /*linkType*/, qint32 /*pageIndex*/, const QRect& /*rect*/,
                              bool /*isText*/)
    {
    }
    virtual void ClearCodedAreas() {}
    /// The window rectangle of the first link area of the link; empty when none.
    virtual QRect GetCodedAreaRect(qint32 /*linkId*/) const
    {
        return {};
    }

    /// The box of a character of a page (-1: the current page), in page
    /// points or, with `device`, in window pixels; empty when unknown.
    virtual QRect GetCharRect(qint32 /*character*/, bool /*device*/, qint32 /*pageIndex*/) const
    {
        return {};
    }
    /// The pages (0-based) at least partly in view; first > last when none.
    virtual void GetVisiblePages(int& first, int& last) const
    {
        first = 0;
        last = -1;
    }
    /// The window point of a page point; null outside the shown pages.
    virtual QPoint PageToView(double /*x*/, double /*y*/, int /*pageIndex*/) const
    {
        return {};
    }
    /// The text of each page in page order.
    virtual QStringList GetPageTexts() const { return {}; }

    virtual int GetPageCount() const { return 0; }
    /// The page shown (or at the top in continuous view); 0 when none.
    virtual int GetCurrentPage() const { return 0; }
    virtual bool ShowPage(int /*pageIndex*/)
    {
        return false;
    }
    virtual bool IsContinuous() const { return false; }
    virtual bool SetContinuous(bool /*on*/)
    {
        return false;
    }
    virtual void ZoomIn() {}
    virtual void ZoomOut() {}
    virtual void ZoomReset() {}
    virtual double Zoom() const { return 1.0; }
    /// The zoom and view values to store for the document.
    virtual void SaveView(double& zoom, DocumentViewState& view) const = 0;
    /// Prints the shown document under the title after the print dialog
    /// (`withCodes`: the answer to the question of printing the codes,
    /// which a table takes); false when nothing was printed. A viewer that
    /// cannot print keeps this answer.
    virtual bool Print(const QString& title, bool withCodes)
    {
        Q_UNUSED(title);
        Q_UNUSED(withCodes);
        return false;
    }
};

/// Makes the viewer of a kind, or null when this build has none.
using DocumentViewerFactory = std::function<std::unique_ptr<IDocumentViewer>(qint32 kind, QWidget* parent)>;
