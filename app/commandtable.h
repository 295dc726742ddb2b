#pragma once

#include "foundation/commandtarget.h"
#include "ui/commandtooltip.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QAction;
class QMenu;
class QWidget;

/// @short One row of the command table: everything an action is made of.
struct CommandInfo {
    int id;
    int textId;             ///< menu text (with "&" mnemonic) in the language table
    const char* shortcut;   ///< portable key text ("Ctrl+O"); null or "" for none
    const char* icon;       ///< icon theme name; null or "" for none
};

/// The row of a command id; null for an id the table does not hold.
const CommandInfo* FindCommandInfo(int id);

/// @short Makes every QAction of a window from the command table and routes
/// what they trigger.
///
/// An action carries its command id in data(). Triggering it routes the id
/// along the route (the active view, its document, the frame, the
/// application): the first target that knows it carries it out. States are
/// asked the same way: menus refresh their actions when they open; toolbar
/// actions refresh on an idle timer and once right after each command.
/// Nothing is polled while painting. Used on the UI thread only.
class CCommandManager : public QObject {
    Q_OBJECT
public:
    using Route = std::function<QList<ICommandTarget*>()>;

    /// Actions are added to `window`, so their shortcuts work wherever the
    /// focus is inside it.
    explicit CCommandManager(QWidget* window);
    ~CCommandManager() override;

    void SetRoute(Route route) { m_route = std::move(route); }
    /// The action of a command, made from the table on first use; null for a
    /// command the table does not hold.
    QAction* Action(int id);
    /// A menu titled with the text of `textId` whose actions refresh when
    /// it opens.
    QMenu* CreateMenu(int textId, QWidget* parent);

    /// Routes a command; false when no target knows it.
    bool Execute(int id);
    /// Asks the route for the command's state; a command no target knows is
    /// disabled.
    CCmdUI QueryState(int id) const;
    void UpdateAction(QAction* action) const;
    void UpdateActions(const QList<QAction*>& actions) const;
    /// Refreshes every action shown on a toolbar.
    void UpdateToolbarActions() const;
    /// Starts the toolbar refresh every `intervalMs` milliseconds.
    void StartIdleUpdates(int intervalMs = 250);
    /// Texts and tooltips anew from the language table (after a switch).
    void Retranslate();

signals:
    /// The toolbars' states were refreshed: other command buttons follow.
    void StatesRefreshed();

private:
    void Translate(QAction* action, const CommandInfo& info) const;

    QPointer<QWidget> m_window;
    Route m_route;
    QHash<int, QAction*> m_actions;
    QList<QPointer<QMenu>> m_menus;
    QTimer m_idleTimer;
};
