#pragma once

// The busy window that long operations put up over the main window.

#include "foundation/waitwindow.h"

#include <QElapsedTimer>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>

/// @short A 400 × 50 frameless window with an optional icon and one line of
/// bold text, shown while work runs on the UI thread.
///
/// While it exists it holds the mouse and shows the wait cursor, and the
/// program's windows ignore requests to close. SetText and Pump let windows
/// repaint and handle other pending events, but keep every key and click
/// queued until the work has ended. The line is redrawn at most about ten
/// times a second, so loops may call SetText once per item.
class CWaitWnd : public QWidget, public IWaitWindow {
    Q_OBJECT
public:
    CWaitWnd();
    ~CWaitWnd() override;

    /// Shows the window centred over `owner` (else the active window) with
    /// the icon drawn at its left (none when null). True when shown.
    bool Create(QWidget* owner, const QPixmap& icon = QPixmap());

    int SetText(const QString& text) override;
    int Pump() override;

    QString Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void HoldMouse();
    void Refresh();

    QString m_text;
    QFont m_font;
    QPixmap m_icon;
    QElapsedTimer m_sinceRefresh;
};

/// @short The frame's show and close operations of its single wait window:
/// installed with SetWaitWindowHost, it lets headless code show progress.
class CWaitWndHost : public IWaitWindowHost {
public:
    /// `frame` is the main window the wait window stands over; not owned.
    explicit CWaitWndHost(QWidget* frame, const QPixmap& icon = QPixmap());
    ~CWaitWndHost() override;

    IWaitWindow* OpenWaitWindow(const QString& text) override;
    void CloseWaitWindow(IWaitWindow* window) override;

private:
    QPointer<QWidget> m_frame;
    QPixmap m_icon;
    std::unique_ptr<CWaitWnd> m_window;
};
