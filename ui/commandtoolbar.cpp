#include "ui/commandtoolbar.h"

#include <QActionEvent>
#include <QLayout>
#include <QWidget>

CommandToolBar::CommandToolBar(const QString& title, QWidget* parent) : QToolBar(title, parent)
{
    setMovable(false);
    // The tool bar's layout keeps its own margins: a blank of the indent's
    // width stands before the first button.
    m_indentBlank = new QWidget(this);
    m_indentAction = addWidget(m_indentBlank);
    SetIndent(m_indent);
}

void CommandToolBar::SetIndent(int pixels)
{
    m_indent = pixels;
    m_indentBlank->setFixedWidth(pixels);
    m_indentAction->setVisible(pixels > 0);
}

QAction* CommandToolBar::CommandAction(int id) const
{
    for (QAction* action : actions()) {
        if (action != m_spacer && action != m_indentAction && !action->isSeparator() && action->data().toInt() == id)
            return action;
    }
    return nullptr;
}

void CommandToolBar::RemoveCommand(int id)
{
    if (QAction* action = CommandAction(id))
        removeAction(action);
}

void CommandToolBar::ShowCommand(int id, bool show)
{
    if (QAction* action = CommandAction(id))
        action->setVisible(show);
}

void CommandToolBar::CheckCommand(int id, bool check)
{
    if (QAction* action = CommandAction(id)) {
        action->setCheckable(true);
        action->setChecked(check);
    }
}

void CommandToolBar::EnableCommand(int id, bool enable)
{
    if (QAction* action = CommandAction(id))
        action->setEnabled(enable);
}

void CommandToolBar::actionEvent(QActionEvent* event)
{
    QToolBar::actionEvent(event);
    if (event->type() != QEvent::ActionAdded || m_placing || event->action() == m_spacer ||
        event->action() == m_indentAction)
        return;
    QAction* pinned = CommandAction(kPinnedCommand);
    if (!pinned)
        return;
    // An expanding blank right before the pinned button pushes it to the
    // end; buttons added later go before the blank.
    m_placing = true;
    if (!m_spacer) {
        auto* blank = new QWidget(this);
        blank->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        m_spacer = insertWidget(pinned, blank);
    } else if (event->action() != pinned) {
        QAction* added = event->action();
        removeAction(added);
        insertAction(m_spacer, added);
    }
    m_placing = false;
}
