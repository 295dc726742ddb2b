#pragma once

#include "ui/commandtoolbar.h"

#include <QList>

class QLabel;
class QSlider;

/// @short The media toolbar: the player's command buttons, the time label
/// (control 33508: "position / duration", 109 × 18 or as wide as the font
/// needs, centred) and the
/// position slider (control 33509, 120 × 18, in seconds).
///
/// A drag of the slider sets the tracking flag, so the position timer does
/// not move the slider under the mouse; its end (and a click on the track
/// or a key) asks for command 33509, which the frame turns into a seek.
class CMediaToolBar : public CommandToolBar {
    Q_OBJECT
public:
    explicit CMediaToolBar(const QString& title, QWidget* parent = nullptr);

    /// Adds the command buttons in order; the label and the slider follow
    /// the button of the next-mark command.
    void AddButtons(const QList<QAction*>& actions);
    /// Slider range 0 to maximum, page step and tick interval.
    void SetSlider(int maximum, int pageSize, int tickFrequency);
    bool IsSliderTracking() const { return m_tracking; }
    /// Moves the slider, unless the user is dragging it.
    void SetSliderPosition(int seconds);
    void SetTimeText(const QString& text);
    QLabel* TimeLabel() const { return m_label; }
    QSlider* Slider() const { return m_slider; }

signals:
    /// A command of the bar's own controls (the slider's 33509).
    void CommandRequested(int id);

private:
    QLabel* m_label;
    QSlider* m_slider;
    bool m_tracking = false;
};
