#pragma once

#include "app/commandtable.h"
#include "foundation/commandtarget.h"

#include <QMainWindow>
#include <QPointer>

class CMainApp;

/// @short The program's main window: menus made from the command table,
/// and the command route (active view, its document, the frame, the
/// application).
class CMainFrame : public QMainWindow, public ICommandTarget {
    Q_OBJECT
public:
    /// `app` is the last target of the route; may be null (tests).
    explicit CMainFrame(ICommandTarget* app = nullptr);
    ~CMainFrame() override;

    CCommandManager& Commands() { return m_commands; }
    /// The targets a command passes, in order; null slots are skipped.
    QList<ICommandTarget*> CommandRoute();
    /// The view that has the focus and its document; null when none.
    void SetActiveView(ICommandTarget* view) { m_activeView = view; }
    void SetActiveDocument(ICommandTarget* document) { m_activeDocument = document; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

private:
    void BuildMenus();

    CCommandManager m_commands;
    ICommandTarget* m_app;
    ICommandTarget* m_activeView = nullptr;
    ICommandTarget* m_activeDocument = nullptr;
};
