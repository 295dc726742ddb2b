#pragma once

class PdfEngine;

/// @short What the PDF bookmarks pane needs of the viewer that shows the
/// PDF: its open document and a way to show a page.
class IPdfPageTarget {
public:
    virtual ~IPdfPageTarget() = default;
    /// The engine of the PDF shown; null while none is open.
    virtual PdfEngine* GetPdfEngine() = 0;
    /// Shows the page (0-based).
    virtual void GoToPage(int page) = 0;
};
