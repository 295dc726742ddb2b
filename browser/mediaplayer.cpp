#include "browser/mediaplayer.h"

#include "browser/mediaids.h"
#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

const QString kZeroTime = QStringLiteral("00:00:00");

// A stored media path may come from Windows, and a relative one lives in
// the externals folder.
QString AbsoluteMediaPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    QString local = path;
    if (!QFileInfo::exists(local) && local.contains(u'\\'))
        local.replace(u'\\', u'/');
    if (QFileInfo(local).isRelative())
        local = QDir(GetExternalsFolder()).filePath(local);
    return QDir::cleanPath(local);
}

}  // namespace

CMediaPlayer::CMediaPlayer(bool active, QObject* parent)
    : QObject(parent), m_positionText(kZeroTime), m_durationText(kZeroTime), m_active(active)
{
    m_positionTimer.setInterval(MediaIds::PositionTimerMs);
    connect(&m_positionTimer, &QTimer::timeout, this, &CMediaPlayer::PositionTimer);
    connect(&m_playback, &MediaPlayback::DurationChanged, this, &CMediaPlayer::OnDurationChanged);
    connect(&m_playback, &MediaPlayback::Failed, this, &CMediaPlayer::MediaFailed);
    connect(&m_playback, &MediaPlayback::EndOfMedia, this, [this] {
        m_endPending = true;
        OnGraphEvent();
    });
}

CMediaPlayer::~CMediaPlayer()
{
    Release();
}

QString CMediaPlayer::FormatTime(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void CMediaPlayer::ResetTimes()
{
    m_durationSeconds = 0;
    m_durationMs = 0;
    m_positionSeconds = 0;
    m_running = false;
    m_endPending = false;
    m_positionText = kZeroTime;
    m_durationText = kZeroTime;
}

bool CMediaPlayer::CreateGraph()
{
    Release();
    m_playback.Create();
    ResetTimes();
    m_playback.SetRate(m_rate);
    if (m_videoOutput)
        m_playback.SetVideoOutput(m_videoOutput);
    return true;
}

bool CMediaPlayer::Open(bool active)
{
    if (!CreateGraph())
        return false;
    m_active = active;
    return true;
}

void CMediaPlayer::Release()
{
    m_playback.Release();
    m_running = false;
    KillTimer();
}

void CMediaPlayer::KillTimer()
{
    m_positionTimer.stop();
}

void CMediaPlayer::LoadFile(const QString& path)
{
    if (m_running)
        Stop();
    m_fileName = AbsoluteMediaPath(path);
    Reload();
}

void CMediaPlayer::Reload()
{
    if (m_running)
        Stop();
    if (!CreateGraph())
        return;
    if (!m_active)
        return;
    if (m_fileName.isEmpty())
        KillTimer();
    else
        RenderMedia();
}

bool CMediaPlayer::RenderMedia()
{
    switch (m_playback.SetSource(m_fileName)) {
    case MediaPlayback::CreateResult::NoBackend:
        ShowMessage(LoadString(MediaText::NoGraphBuilder), MessageKind::Error);
        return false;
    case MediaPlayback::CreateResult::NoOutput:
        ShowMessage(LoadString(MediaText::NoReferences), MessageKind::Error);
        return false;
    case MediaPlayback::CreateResult::Ready:
        break;
    }
    // A duration the back end knows at once is taken now; later ones arrive
    // through DurationChanged.
    OnDurationChanged(m_playback.Duration());
    m_positionTimer.start();
    UpdateCurrentMark();
    return true;
}

void CMediaPlayer::OnDurationChanged(qint64 ms)
{
    if (ms <= 0 || !m_playback.IsCreated())
        return;
    m_durationMs = qint32(std::min<qint64>(ms, std::numeric_limits<qint32>::max()));
    m_durationSeconds = m_durationMs / 1000;
    m_durationText = FormatTime(m_durationSeconds);
    emit DurationKnown(m_durationSeconds);
}

bool CMediaPlayer::ToggleActive()
{
    if (m_active) {
        if (m_running)
            TogglePlay(false);
        KillTimer();
        m_active = false;
        return false;
    }
    m_active = true;
    if (HasFileName()) {
        if (!m_playback.IsCreated())
            CreateGraph();
        if (!RenderMedia())
            m_active = false;
    }
    return m_active;
}

bool CMediaPlayer::TogglePlay(bool rewind)
{
    if (m_running) {
        m_playback.Pause();
        m_running = false;
        m_positionSeconds = GetPositionMs() / 1000;
        return true;
    }
    m_playback.SetRate(m_rate);
    if (rewind && m_rewindSeconds != 0)
        SetPositionSeconds(std::max(0, m_positionSeconds - m_rewindSeconds));
    m_playback.Play();
    m_running = true;
    return true;
}

bool CMediaPlayer::Stop()
{
    if (m_running) {
        m_playback.Stop();
        m_running = false;
    }
    m_playback.SetPosition(0);
    m_positionSeconds = 0;
    m_positionText = kZeroTime;
    UpdateCurrentMark();
    emit Stopped();
    return true;
}

bool CMediaPlayer::UpdatePosition()
{
    if (!m_running)
        return false;
    // An unknown duration (0) never ends playback here; the end event does.
    if (m_durationSeconds == 0 || m_positionSeconds < m_durationSeconds)
        m_positionSeconds = GetPositionMs() / 1000;
    if (m_durationSeconds > 0 && m_positionSeconds >= m_durationSeconds)
        Stop();
    m_positionText = FormatTime(m_positionSeconds);
    UpdateCurrentMark();
    return true;
}

bool CMediaPlayer::OnGraphEvent()
{
    if (!m_playback.IsCreated()) {
        ShowMessage(LoadString(MediaText::NoEventInterface), MessageKind::Error);
        return false;
    }
    if (std::exchange(m_endPending, false)) {
        // The back end stops by itself at the end; the player follows.
        m_running = true;
        Stop();
    }
    return true;
}

void CMediaPlayer::SetPositionSeconds(qint32 seconds)
{
    m_positionSeconds = seconds;
    m_playback.SetPosition(qint64(seconds) * 1000);
}

bool CMediaPlayer::PauseForSeek()
{
    if (!m_running)
        return false;
    m_playback.Pause();
    m_running = false;
    return true;
}

void CMediaPlayer::SeekToSeconds(qint32 seconds)
{
    const bool wasRunning = PauseForSeek();
    SetPositionSeconds(std::max(seconds, 0));
    m_positionText = FormatTime(m_positionSeconds);
    UpdateCurrentMark();
    if (wasRunning)
        TogglePlay(false);
}

bool CMediaPlayer::SeekToMs(qint32 ms)
{
    if (!Usable())
        return false;
    const bool wasRunning = PauseForSeek();
    ms = std::max(ms, 0);
    m_positionSeconds = ms / 1000;
    m_playback.SetPosition(ms);
    m_positionText = FormatTime(m_positionSeconds);
    if (wasRunning)
        TogglePlay(false);
    return true;
}

bool CMediaPlayer::SeekToTimeText(const QString& text)
{
    if (!Usable())
        return false;
    PauseForSeek();
    SeekToMs(ParseVersionSuffix(text));
    if (!m_running)
        TogglePlay(false);
    return true;
}

bool CMediaPlayer::CanGoPreviousMark() const
{
    return Usable() && m_marks.size() >= 2 && m_currentMark > 0;
}

bool CMediaPlayer::CanGoNextMark() const
{
    return Usable() && m_marks.size() >= 2 && m_currentMark < m_marks.size() - 1;
}

bool CMediaPlayer::PreviousMark()
{
    if (!CanGoPreviousMark())
        return false;
    --m_currentMark;
    return SeekToMs(m_marks.at(m_currentMark).beginMs);
}

bool CMediaPlayer::NextMark()
{
    if (!CanGoNextMark())
        return false;
    ++m_currentMark;
    return SeekToMs(m_marks.at(m_currentMark).beginMs);
}

bool CMediaPlayer::UpdateCurrentMark()
{
    const qint32 position = GetPositionMs();
    qint32 found = 0;
    for (qsizetype i = 0; i < m_marks.size(); ++i) {
        if (m_marks.at(i).beginMs <= position && position < m_marks.at(i).endMs) {
            found = qint32(i);
            break;
        }
    }
    return std::exchange(m_currentMark, found) != found;
}

bool CMediaPlayer::SplitMarkAtPosition(qint32 textPosition, QList<qint32>& changed)
{
    if (!Usable())
        return false;
    const qint32 t = GetPositionMs();
    qsizetype i = 0;
    while (i < m_marks.size() && !(m_marks.at(i).beginMs < t && t < m_marks.at(i).endMs))
        ++i;
    if (i == m_marks.size())
        return false;
    MediaMark added;
    added.textPosition = textPosition;
    added.beginMs = t;
    if (i == m_marks.size() - 1) {
        added.endMs = m_marks.at(i).endMs;
    } else {
        const qint32 here = m_marks.at(i).textPosition;
        const qint32 next = m_marks.at(i + 1).textPosition;
        if (textPosition <= here || textPosition >= next)
            return false;
        added.endMs = m_marks.at(i + 1).beginMs;
    }
    m_marks[i].endMs = t;
    m_marks.insert(i + 1, added);
    changed.append(qint32(i));
    changed.append(qint32(i + 1));
    return true;
}

void CMediaPlayer::InsertMarks(qsizetype index, const QList<MediaMark>& marks)
{
    index = std::clamp<qsizetype>(index, 0, m_marks.size());
    for (qsizetype k = 0; k < marks.size(); ++k)
        m_marks.insert(index + k, marks.at(k));
}

void CMediaPlayer::SetRate(double rate)
{
    m_rate = rate > 0 ? rate : 1.0;
    m_playback.SetRate(m_rate);
}

qint32 CMediaPlayer::GetPositionMs() const
{
    return qint32(std::min<qint64>(m_playback.Position(), std::numeric_limits<qint32>::max()));
}

qint32 CMediaPlayer::FormatPosition(QString& text) const
{
    text = QStringLiteral("%1 / %2").arg(m_positionText, m_durationText);
    return m_positionSeconds;
}

bool CMediaPlayer::SetVideoWindow(QObject* output)
{
    if (!m_playback.IsCreated())
        return false;
    m_videoOutput = output;
    m_playback.SetVideoOutput(output);
    return true;
}
