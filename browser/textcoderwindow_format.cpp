// Formatting the edited text and moving between the document tabs.

#include "browser/textcoderwindow.h"

#include "ui/sidecolumng.h"

#include <QTabBar>
#include <QTextBlock>
#include <QTextCursor>

QTextCharFormat TextCoderWindow::SelectionCharFormat() const
{
    if (m_kind != RichText)
        return QTextCharFormat();
    // The format of the selection's first character, as the rich edit
    // reports it; the caret's format without a selection.
    QTextCursor cursor = m_text->textCursor();
    if (cursor.hasSelection()) {
        QTextCursor first(m_text->document());
        first.setPosition(cursor.selectionStart() + 1);
        return first.charFormat();
    }
    return m_text->currentCharFormat();
}

Qt::Alignment TextCoderWindow::SelectionAlignment() const
{
    if (m_kind != RichText)
        return Qt::AlignLeft;
    const Qt::Alignment alignment = m_text->textCursor().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    if (alignment & Qt::AlignRight)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

void TextCoderWindow::SetAlignment(Qt::Alignment alignment)
{
    if (!IsEditMode() || m_kind != RichText)
        return;
    QTextCursor cursor = m_text->textCursor();
    QTextBlockFormat format;
    format.setAlignment(alignment);
    cursor.mergeBlockFormat(format);
    m_modified = true;
}

void TextCoderWindow::SetTextColour(const QColor& colour)
{
    if (!IsEditMode() || m_kind != RichText || !colour.isValid())
        return;
    QTextCharFormat format;
    format.setForeground(colour);
    m_text->mergeCurrentCharFormat(format);
    m_modified = true;
}

bool TextCoderWindow::SelectNeighbourTab(int step)
{
    const int count = m_tabs->count();
    const int target = m_tabs->currentIndex() + step;
    if (count < 2 || target < 0 || target >= count)
        return false;
    // As a click on the tab: the owner stores pending edits and shows it.
    OnTabClicked(target);
    return true;
}

bool TextCoderWindow::CloseCurrentTab()
{
    const int count = m_tabs->count();
    const int tab = m_tabs->currentIndex();
    if (count < 2 || tab < 0)
        return false;
    m_tabs->removeTab(tab);
    m_tabs->setVisible(m_tabs->count() > 1);
    LayoutChildren();
    OnTabClicked(std::min(tab, int(m_tabs->count()) - 1));
    SaveDocTabs();
    return true;
}
