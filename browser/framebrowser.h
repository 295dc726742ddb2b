#pragma once

#include <QtGlobal>

/// @short What the frame's request handlers and project commands ask of the
/// document browser.
///
/// The browser window implements it and hands itself to
/// CMainFrame::SetBrowser; without one the frame skips the browser's part
/// of a request. Positions are rich-edit positions of the shown document.
class IFrameBrowser {
public:
    virtual ~IFrameBrowser() = default;

    /// Selects a range of the shown document (page: a PDF's page, else 0).
    virtual void SelectRange(qint32 start, qint32 end, qint32 page) = 0;
    /// Selects the stretch of the coding, by id.
    virtual void SelectCoding(qint32 coding) = 0;
    /// Selects the place of a memo placed in the shown document.
    virtual void SelectMemo(qint32 memo) = 0;
    /// Scrolls the paragraph (from 1) into view.
    virtual void ScrollToParagraph(qint32 paragraph) = 0;
    /// Widens the selection to take in the paragraph (from 1).
    virtual void ExtendSelectionToParagraph(qint32 paragraph) = 0;
    /// True when text or an area is selected.
    virtual bool HasSelection() const = 0;
    /// Highlights the coding stripe under the mouse again after a menu.
    virtual void RetrackStripe() = 0;
    /// Recomputes and repaints the stripes, memos and marks.
    virtual void Refresh() = 0;
    /// Writes pending edits of the shown document back; nothing when the
    /// browser does not edit.
    virtual void CommitEdits() = 0;
    /// Keeps the view state and, when visible, the open tabs in the project
    /// before it closes.
    virtual void SaveViewState() = 0;
    /// The link whose context menu is open; 0 when none.
    virtual qint32 PendingLinkId() const { return 0; }
};
