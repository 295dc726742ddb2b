#pragma once

// A wait-window host for tests: it records every line shown and can refuse
// to show a window.

#include "foundation/waitwindow.h"

#include <QStringList>

#include <memory>

namespace testutil {

/// Installs itself for its lifetime and restores the previous host after.
class RecordingWaitHost : public IWaitWindowHost {
public:
    RecordingWaitHost() : m_previous(SetWaitWindowHost(this)) {}
    ~RecordingWaitHost() override { SetWaitWindowHost(m_previous); }
    RecordingWaitHost(const RecordingWaitHost&) = delete;
    RecordingWaitHost& operator=(const RecordingWaitHost&) = delete;

    IWaitWindow* OpenWaitWindow(const QString& text) override
    {
        if (refuse)
            return nullptr;
        ++opened;
        m_window = std::make_unique<Window>(this);
        m_window->SetText(text);
        return m_window.get();
    }
    void CloseWaitWindow(IWaitWindow* window) override
    {
        if (window == m_window.get()) {
            ++closed;
            m_window.reset();
        }
    }

    bool refuse = false;   ///< OpenWaitWindow fails
    int opened = 0;
    int closed = 0;
    int pumps = 0;         ///< repaints asked for without a new line
    QStringList texts;     ///< every line shown, in order

private:
    class Window : public IWaitWindow {
    public:
        explicit Window(RecordingWaitHost* host) : m_host(host) {}
        int SetText(const QString& text) override
        {
            m_host->texts.append(text);
            return 0;
        }
        int Pump() override
        {
            ++m_host->pumps;
            return 0;
        }

    private:
        RecordingWaitHost* m_host;
    };

    std::unique_ptr<Window> m_window;
    IWaitWindowHost* m_previous;
};

}  // namespace testutil
