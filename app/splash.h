#pragma once

#include <QPixmap>
#include <QPointer>
#include <QSplashScreen>
#include <QTimer>

#include <functional>

/// @short The picture shown while the program starts, on the GUI thread.
///
/// Start-up lets it repaint between its steps. It closes when the frame
/// asks (CloseSplash), or once its time is up and the main window exists;
/// with `CloseOnInput` also on the first key or click. It deletes itself
/// when closed, and the program-wide pointer (Running) is then null.
class CSplash : public QSplashScreen {
    Q_OBJECT
public:
    enum Flag {
        CloseOnInput = 0x1,   ///< the first key or click closes it
        CloseAtTimeout = 0x4, ///< the timer closes it even without a main window
    };
    /// The time before it may close by itself, in milliseconds.
    static constexpr int kDisplayTime = 30000;
    /// How often it looks again for the main window after its time is up.
    static constexpr int kRetryTime = 100;

    /// Shows `picture` centred on the screen. `elapseMs` -1 starts no timer.
    /// `mainWindow` says which window counts as the program's main window
    /// (null while there is none). Returns null, showing nothing, for a null
    /// picture or while another splash runs.
    static CSplash* Start(const QPixmap& picture, int elapseMs, int flags,
                          std::function<QWidget*()> mainWindow);
    /// The splash shown now; null when none.
    static CSplash* Running();
    /// Closes and deletes the running splash; nothing when none runs.
    static void CloseSplash();

    /// The picture of the program's splash: its title and build on the
    /// scheme colours.
    static QPixmap ProgramPicture(const QString& title, const QString& build);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CSplash(const QPixmap& picture, int flags, std::function<QWidget*()> mainWindow);
    void OnTimer();

    int m_flags;
    std::function<QWidget*()> m_mainWindow;
    QTimer m_timer;
};
