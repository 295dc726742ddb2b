#include "browser/mediatoolbar.h"

#include "browser/mediaids.h"
#include "ui/dlgbase.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {
constexpr QSize kLabelSize(109, 18);
constexpr QSize kSliderSize(120, 18);

// The style's picture of a command, for icon themes that lack the command's own.
QStyle::StandardPixmap StandardPictureOf(int command)
{
    switch (command) {
    case MediaCommand::Load: return QStyle::SP_DialogOpenButton;
    case MediaCommand::MarkList: return QStyle::SP_FileDialogListView;
    case MediaCommand::FollowMarks: return QStyle::SP_ArrowRight;
    case MediaCommand::Video: return QStyle::SP_DesktopIcon;
    case MediaCommand::Stamp: return QStyle::SP_DialogApplyButton;
    case MediaCommand::PreviousMark: return QStyle::SP_MediaSkipBackward;
    case MediaCommand::Stop: return QStyle::SP_MediaStop;
    case MediaCommand::NextMark: return QStyle::SP_MediaSkipForward;
    default: return QStyle::SP_MediaPlay;
    }
}

}  // namespace

CMediaToolBar::CMediaToolBar(const QString& title, QWidget* parent)
    : CommandToolBar(title, parent), m_label(new QLabel(this)), m_slider(new QSlider(Qt::Horizontal, this))
{
    setObjectName(QStringLiteral("IDT_MEDIAPLAYER_%1").arg(MediaIds::Toolbar));
    // At least the label's size, wider where the font needs it for a pair of
    // times with two-digit hours.
    const int textWidth = m_label->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 / 00:00:00")) + 8;
    m_label->setFixedSize(std::max(kLabelSize.width(), textWidth), kLabelSize.height());
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setText(QStringLiteral("00:00:00 / 00:00:00"));
    SetControlId(m_label, MediaCommand::TimeLabel);
    m_slider->setFixedSize(kSliderSize);
    m_slider->setRange(0, 0);
    m_slider->setTickPosition(QSlider::NoTicks);
    SetControlId(m_slider, MediaCommand::Slider);
    connect(m_slider, &QSlider::sliderPressed, this, [this] { m_tracking = true; });
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        m_tracking = false;
        emit CommandRequested(MediaCommand::Slider);
    });
    // A click on the track or a key moves the slider without a drag; the
    // value is applied after this signal, so the seek follows.
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderMove || m_slider->isSliderDown())
            return;
        QTimer::singleShot(0, this, [this] { emit CommandRequested(MediaCommand::Slider); });
    });
}

void CMediaToolBar::AddButtons(const QList<QAction*>& actions)
{
    bool placed = false;
    const auto placeControls = [&] {
        addWidget(m_label);
        addWidget(m_slider);
        placed = true;
    };
    for (QAction* action : actions) {
        if (!action)
            continue;
        if (action->icon().isNull())
            action->setIcon(style()->standardIcon(StandardPictureOf(action->data().toInt())));
        addAction(action);
        if (action->data().toInt() == MediaCommand::NextMark)
            placeControls();
    }
    if (!placed)
        placeControls();
}

void CMediaToolBar::SetSlider(int maximum, int pageSize, int tickFrequency)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setRange(0, std::max(maximum, 0));
    m_slider->setPageStep(std::max(pageSize, 1));
    m_slider->setTickInterval(tickFrequency);
}

void CMediaToolBar::SetSliderPosition(int seconds)
{
    if (m_tracking)
        return;
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(seconds);
}

void CMediaToolBar::SetTimeText(const QString& text)
{
    m_label->setText(text);
}
