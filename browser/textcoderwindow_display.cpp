// The display options of the browser's coding stripes.

#include "browser/textcoderwindow.h"

#include "ui/chartwndc.h"

#include <QGuiApplication>

void TextCoderWindow::SetStripeMarginOption2(bool extendedTips)
{
    m_stripeMargin->m_extendedTip = extendedTips;
}

TextCoderWindow::DisplayOptions TextCoderWindow::GetDisplayOptions() const
{
    DisplayOptions options;
    options.titles = m_showLabels;
    options.authors = m_stripeMargin->m_extendedTip;
    options.activatedOnly = m_activatedFilterOn;
    options.oneCoder = m_userFilterOn;
    options.colourAll = m_colourAll;
    options.coder = m_userFilter;
    return options;
}

void TextCoderWindow::ApplyDisplayOptions(const DisplayOptions& options, const QList<COLORREF>& colourFilter)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_showLabels = options.titles;
    m_stripeMargin->m_showLabels = options.titles;
    m_stripeMargin->m_extendedTip = options.authors;
    m_activatedFilterOn = options.activatedOnly;
    m_userFilterOn = options.oneCoder;
    m_userFilter = options.coder;
    m_colourFilter = colourFilter;
    m_colourAll = options.colourAll;
    SaveViewState(false);
    Refresh(true);
    // The text's backgrounds follow the visible stripes and colour-all.
    RedrawCodingStripes();
    RestoreViewState();
    QGuiApplication::restoreOverrideCursor();
}
