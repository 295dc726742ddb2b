#include "foundation/waitwindow.h"

#include "foundation/uimessages.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
IWaitWindowHost* g_waitWindowHost = nullptr;
IWaitWindow* g_waitWindow = nullptr;  // owned by g_waitWindowHost
}  // namespace

IWaitWindowHost* SetWaitWindowHost(IWaitWindowHost* host)
{
    CloseWaitWindow();
    IWaitWindowHost* previous = g_waitWindowHost;
    g_waitWindowHost = host;
    return previous;
}

IWaitWindow* GetWaitWindow()
{
    return g_waitWindow;
}

bool ShowWaitWindow(const QString& text)
{
    CloseWaitWindow();
    if (!g_waitWindowHost)
        return true;
    g_waitWindow = g_waitWindowHost->OpenWaitWindow(text);
    return g_waitWindow != nullptr;
}

void CloseWaitWindow()
{
    IWaitWindow* window = g_waitWindow;
    g_waitWindow = nullptr;
    if (window && g_waitWindowHost)
        g_waitWindowHost->CloseWaitWindow(window);
}

void SetWaitText(const QString& text)
{
    if (g_waitWindow)
        g_waitWindow->SetText(text);
}

int BeginWait(int value)
{
    if (HasGuiApplication())
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    return value;
}

void EndWait()
{
    if (HasGuiApplication())
        QGuiApplication::restoreOverrideCursor();
}
