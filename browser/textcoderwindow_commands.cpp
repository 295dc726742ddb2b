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
                        QStringLiteral("%1, %2, %3, %4").arg(int(m_codesLeft)).arg(m_codesWidth).arg(int(m_showLabels)).arg(1));
    profile.WriteString(kSection, QStringLiteral("Filter"),
                        QStringLiteral("%1, %2, %3").arg(int(m_userFilterOn)).arg(int(m_activatedFilterOn)).arg(int(m_colourAll)));
    profile.WriteString(kSection, QStringLiteral("FilterUser"), m_userFilter);
}

// ---- Zoom -------------------------------------------------------------------------

void TextCoderWindow::ZoomIn()
{
    if (m_kind == RichText)
        m_text->ZoomIn();
}

void TextCoderWindow::ZoomOut()
{
    if (m_kind == RichText)
        m_text->ZoomOut();
}

void TextCoderWindow::ZoomReset()
{
    if (m_kind == RichText)
        m_text->ZoomReset();
}

// ---- Context search ---------------------------------------------------------------

void TextCoderWindow::Search(int code, const QString& text, int& hitCount, int& current)
{
    switch (code) {
    case 4:
        m_searchLength = 0;
        m_hits.clear();
        m_currentHit = 0;
        hitCount = 0;
        current = 0;
        return;
    case 1:
        m_searchLength = int(text.size());
        m_hits.clear();
        m_currentHit = 0;
        if (!text.isEmpty() && m_kind == RichText) {
            CRichEditCtrlEx::FindTextRecord record;
            record.text = text;
            for (int from = 0;;) {
                record.cpMin = from;
                record.cpMax = -1;
                const int hit = m_text->FindTextPlain(kFindDown, &record);
                if (hit < 0)
                    break;
                m_hits.append(hit);
                from = hit + m_searchLength;
            }
        }
        break;
    case 2:
        if (m_currentHit + 1 < m_hits.size())
            ++m_currentHit;
        break;
    case 3:
        if (m_currentHit > 0)
            --m_currentHit;
        break;
    default:
        break;
    }
    if (m_hits.isEmpty())
        SelectSegment(0, 0, 1, 0, 0, 1);
    else
        SelectSegment(m_hits[m_currentHit], m_hits[m_currentHit] + m_searchLength, 1, 0, 0, 1);
    hitCount = int(m_hits.size());
    current = m_currentHit + 1;
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
