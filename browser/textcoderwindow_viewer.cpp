// What the PDF and picture viewer tells the browser, and the links the
// browser draws over its pages.

#include "browser/textcoderwindow.h"

void TextCoderWindow::UpdateViewerLinks(bool clear)
{
    IDocumentViewer* viewer = Viewer();
    if (!viewer)
        return;
    if (clear)
        viewer->ClearCodedAreas();
    for (const LinkItem& link : std::as_const(m_links)) {
        if (!link.Live())
            continue;
        const LinkRow& row = link.row;
        QRect rect;
        rect.setCoords(row.PosX1, row.StartChar, row.PosX2, row.FinishChar);
        viewer->AddCodedArea(row.ID, link.linkType, row.Page - 1, rect, row.IsText != 0);
    }
}

void TextCoderWindow::OnViewerNotice(int notice, qint32 value)
{
    switch (notice) {
    case ViewerNotice::PageChanged:
        // A page change in single-page view drops the link areas.
        if (Viewer() && !Viewer()->IsContinuous())
            UpdateViewerLinks(true);
        RelayoutViewer();
        emit ViewerPageChanged(Viewer() ? Viewer()->GetCurrentPage() + 1 : 0);
        break;
    case ViewerNotice::ZoomChanged: RelayoutViewer(); break;
    case ViewerNotice::LinkClicked: {
        const int index = FindLinkById(value);
        if (index >= 0)
            FollowLink(index);
        break;
    }
    default:
        // Tips over link areas and their context menu wait for the
        // viewer's tip window.
        break;
    }
}

void TextCoderWindow::OnViewerScrolled()
{
    RelayoutViewer();
}

void TextCoderWindow::RelayoutViewer()
{
    if (m_loading || !Viewer())
        return;
    // Lanes follow the positions on screen, which change with every scroll.
    PositionStripes();
    LayoutStripeLanes();
    PositionStripes();
}
