#include "app/mainframe.h"

#include "app/appids.h"
#include "foundation/programpaths.h"

#include <QMenuBar>

CMainFrame::CMainFrame(ICommandTarget* app) : m_commands(this), m_app(app)
{
    setWindowTitle(g_program.AppTitle);
    resize(1024, 768);
    m_commands.SetRoute([this] { return CommandRoute(); });
    BuildMenus();
    m_commands.StartIdleUpdates();
}

CMainFrame::~CMainFrame() = default;

QList<ICommandTarget*> CMainFrame::CommandRoute()
{
    return {m_activeView, m_activeDocument, this, m_app};
}

void CMainFrame::BuildMenus()
{
    QMenu* file = m_commands.CreateMenu(AppText::MenuFile, this);
    file->addAction(m_commands.Action(CommandId::AppExit));
    menuBar()->addMenu(file);
    QMenu* help = m_commands.CreateMenu(AppText::MenuHelp, this);
    help->addAction(m_commands.Action(CommandId::AppAbout));
    menuBar()->addMenu(help);
}

bool CMainFrame::OnCommand(int)
{
    return false;
}

bool CMainFrame::OnUpdateCommand(CCmdUI&)
{
    return false;
}
