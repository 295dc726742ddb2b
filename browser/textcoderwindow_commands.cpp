// The browser's outer surface: profile settings, zoom, the context search
// and the header between the codes column and the text.

#include "browser/textcoderwindow.h"

#include "foundation/programpaths.h"
#include "platform/profile/privateprofile.h"
#include "ui/sidecolumng.h"

#include <QHeaderView>
#include <QStringList>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("TextCoderWindow");

QList<int> ParseNumbers(const QString& text)
{
    QList<int> numbers;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (!ok)
            return {};
        numbers.append(value);
    }
    return numbers;
}

}  // namespace

// ---- Settings -------------------------------------------------------------------

void TextCoderWindow::LoadSettings()
{
    m_codesLeft = true;
    m_codesWidth = BrowserLayout::MinMarginWidth;
    m_showLabels = true;
    if (g_program.ProfilePath.isEmpty())
        return;
    const PrivateProfile profile(g_program.ProfilePath);
    const QList<int> settings = ParseNumbers(profile.GetString(kSection, QStringLiteral("Settings")));
    if (settings.size() >= 3) {
        m_codesLeft = settings[0] != 0;
        m_codesWidth = std::max(settings[1], BrowserLayout::MinMarginWidth);
        m_showLabels = settings[2] != 0;
    }
    m_stripeMargin->m_showLabels = m_showLabels;
    m_stripeMargin->m_extendedTip = settings.size() < 4 || settings[3] != 0;
    const QList<int> filter = ParseNumbers(profile.GetString(kSection, QStringLiteral("Filter")));
    if (filter.size() >= 3) {
        m_userFilterOn = filter[0] != 0;
        m_activatedFilterOn = filter[1] != 0;
        // A stored 0 switches colour-all off; it starts off anyway.
        if (filter[2] == 0)
            m_colourAll = false;
    }
    m_userFilter = profile.GetString(kSection, QStringLiteral("FilterUser"));
    if (m_codesLeft != (m_header->visualIndex(0) == 0))
        m_header->moveSection(m_header->visualIndex(0), m_codesLeft ? 0 : 1);
}

void TextCoderWindow::SaveSettings() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile profile(g_program.ProfilePath);
    profile.WriteString(kSection, QStringLiteral("Settings"),
                        QStringLiteral("%1, %2, %3, %4").arg(int(m_codesLeft)).arg(m_codesWidth).arg(int(m_showLabels)).arg(int(m_stripeMargin->m_extendedTip)));
    profile.WriteString(kSection, QStringLiteral("Filter"),
                        QStringLiteral("%1, %2, %3").arg(int(m_userFilterOn)).arg(int(m_activatedFilterOn)).arg(int(m_colourAll)));
    profile.WriteString(kSection, QStringLiteral("FilterUser"), m_userFilter);
}

// ---- Zoom -------------------------------------------------------------------------

void TextCoderWindow::ZoomIn()
{
    if (m_kind == RichText)
        m_text->ZoomIn();
    else if (TableView())
        TableView()->ZoomIn();
    else if (IDocumentViewer* viewer = Viewer())
        viewer->ZoomIn();
}

void TextCoderWindow::ZoomOut()
{
    if (m_kind == RichText)
        m_text->ZoomOut();
    else if (TableView())
        TableView()->ZoomOut();
    else if (IDocumentViewer* viewer = Viewer())
        viewer->ZoomOut();
}

void TextCoderWindow::ZoomReset()
{
    if (m_kind == RichText)
        m_text->ZoomReset();
    else if (TableView())
        TableView()->ZoomReset();
    else if (IDocumentViewer* viewer = Viewer())
        viewer->ZoomReset();
}

// ---- Context search ---------------------------------------------------------------

QList<qint32> TextCoderWindow::FindPageHits(const QStringList& pages, const QString& searched, QList<qint32>& hitPages)
{
    QList<qint32> positions;
    hitPages.clear();
    if (searched.isEmpty())
        return positions;
    // Both sides lower-cased: the search is without regard to case.
    const QString wanted = searched.toLower();
    for (qsizetype page = 0; page < pages.size(); ++page) {
        const QString text = pages[page].toLower();
        for (qsizetype at = text.indexOf(wanted); at >= 0; at = text.indexOf(wanted, at + wanted.size())) {
            positions.append(qint32(at));
            hitPages.append(qint32(page + 1));
        }
    }
    return positions;
}

bool TextCoderWindow::OnContextSearch(ContextSearchRequest& request)
{
    if (m_kind == Table)
        return TableContextSearch(request);
    switch (request.code) {
    case ContextSearchCode::Reset: m_hits.Reset(); break;
    case ContextSearchCode::Search:
        m_hitPages.clear();
        if (m_kind == RichText)
            m_hits.SetHits(FindContextHits(*m_text, request.text), qint32(request.text.size()));
        else if (m_kind == Pdf && Viewer())
            m_hits.SetHits(FindPageHits(Viewer()->GetPageTexts(), request.text, m_hitPages),
                           qint32(request.text.size()));
        else
            m_hits.Reset();
        break;
    case ContextSearchCode::Next: m_hits.Next(); break;
    case ContextSearchCode::Previous: m_hits.Previous(); break;
    default: break;
    }
    // A closed bar leaves the selection where the user put it.
    if (request.code != ContextSearchCode::Reset) {
        const int position = std::max(0, m_hits.CurrentPosition());
        const int page = m_hits.IsEmpty() || m_hitPages.isEmpty() ? 1 : m_hitPages.value(m_hits.CurrentIndex(), 1);
        if (m_kind != Pdf || !m_hits.IsEmpty())
            SelectSegment(position, position + (m_hits.IsEmpty() ? 0 : m_hits.Length()), page, 0, 0, 1);
    }
    m_hits.Answer(request);
    return true;
}

// ---- What the frame asks ------------------------------------------------------------

void TextCoderWindow::SelectRange(qint32 start, qint32 end, qint32 page)
{
    SelectSegment(start, end, page, 0, 0, 1);
}

void TextCoderWindow::CommitEdits()
{
    if (IsEditMode())
        emit CommitRequested();
}

void TextCoderWindow::SaveViewState()
{
    SaveViewState(false);
    if (isVisible())
        SaveDocTabs();
}

// ---- Header -----------------------------------------------------------------------

void TextCoderWindow::OnHeaderMoved()
{
    m_codesLeft = m_header->visualIndex(0) == 0;
    LayoutChildren();
    Refresh(true);
}

void TextCoderWindow::OnHeaderEndTrack(int item, int width)
{
    const int total = std::max(0, this->width() - 2);
    int codes = m_codesWidth;
    if (!m_codesLeft) {
        // The text item is first: its width decides.
        const int textWidth = item == 1 ? width : total - width;
        if (textWidth < total / 2)
            codes = total / 2;
        else if (total - textWidth > 22)
            codes = total - textWidth - 2;
        else
            codes = BrowserLayout::MinMarginWidth;
    } else {
        codes = item == 0 ? width : total - width;
        if (codes > 22)
            codes = std::min(codes, std::max(total / 2, BrowserLayout::MinMarginWidth));
        else
            codes = BrowserLayout::MinMarginWidth;
    }
    if (codes == m_codesWidth) {
        m_header->viewport()->update();
        m_stripeMargin->update();
        LayoutChildren();
        return;
    }
    m_codesWidth = codes;
    Refresh(true);
}

void TextCoderWindow::OnHeaderDividerDblClick()
{
    if (m_codesWidth == m_stripeWidthNeeded)
        return;
    m_codesWidth = std::max(BrowserLayout::MinMarginWidth, std::min(m_stripeWidthNeeded, std::max(1, width() / 2)));
    Refresh(true);
}
