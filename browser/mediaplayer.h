#pragma once

#include "platform/media/mediaplayback.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

/// @short A media time mark as the player keeps it: seven 32-bit values,
/// 28 bytes, as stored in the original's mark arrays.
///
/// The mark holds the time t when beginMs <= t < endMs.
struct MediaMark {
    qint32 id = 0;            ///< the media-mark row; 0 for a mark not stored yet
    qint32 textPosition = 0;  ///< StartChar of the mark in the transcript (rich-edit position)
    qint32 reserved1 = 0;
    qint32 reserved2 = 0;
    qint32 beginMs = 0;
    qint32 endMs = 0;
    qint32 reserved3 = 0;

    bool operator==(const MediaMark&) const = default;
};
static_assert(sizeof(MediaMark) == 28, "a media mark is seven 32-bit values");

/// @short The player of the audio or video file linked to the transcript
/// shown in the browser: playback, position and duration texts, the
/// transcript's time marks and the mark that holds the position.
///
/// States: no player → opened (Open, CreateGraph) → media rendered
/// (RenderMedia; the position timer runs) → running ⇄ paused (TogglePlay) →
/// stopped at 0 (Stop, end of media). Operations that need an active player
/// with a file return false without effect otherwise. The duration arrives
/// after RenderMedia: DurationKnown tells when. Time texts are
/// "hh:mm:ss" of whole seconds, hours not wrapped. The three failures of
/// creating the player go to the message service. UI thread only.
class CMediaPlayer : public QObject {
    Q_OBJECT
public:
    explicit CMediaPlayer(bool active = false, QObject* parent = nullptr);
    ~CMediaPlayer() override;

    /// Readies a new playback (the old one goes), resets durations,
    /// position, running and both texts, applies the rate.
    bool CreateGraph();
    /// CreateGraph, then keeps the active flag.
    bool Open(bool active);
    /// Drops the playback and stops the position timer.
    void Release();
    /// Stops a running playback; the path, made absolute against the
    /// externals folder (option 10), becomes the file; the playback is made
    /// anew and, when active, renders the file (an empty path stops the
    /// position timer).
    void LoadFile(const QString& path);
    void Reload();
    /// Starts loading the file and the position timer (100 ms). False,
    /// after a message, when the multimedia back end or its audio output
    /// cannot be made.
    bool RenderMedia();
    /// Switches the player on or off for the shown document; the new state.
    bool ToggleActive();
    /// Pauses a running playback; otherwise starts it at the rate, first
    /// going back by the rewind seconds when `rewind` is set (never below 0).
    bool TogglePlay(bool rewind);
    /// Stops and goes back to 0; the position text reads "00:00:00".
    bool Stop();
    /// The position timer's work: false when not running; reaching the
    /// duration stops. Rebuilds the position text and the current mark.
    bool UpdatePosition();
    /// Handles the playback's pending end of media (stop and rewind, as
    /// Stop does); false, after a message, without a playback.
    bool OnGraphEvent();
    void SeekToSeconds(qint32 seconds);
    bool SeekToMs(qint32 ms);
    /// Seeks to a time text "hh:mm:ss.mmm" and always starts playing.
    bool SeekToTimeText(const QString& text);
    bool PreviousMark();
    bool NextMark();
    bool CanGoPreviousMark() const;
    bool CanGoNextMark() const;
    /// The first mark holding the position becomes current (mark 0 when
    /// none); true when the index changed.
    bool UpdateCurrentMark();
    bool SyncCurrentMark() { return UpdateCurrentMark(); }
    /// Splits the mark whose time span holds the position strictly inside
    /// at the position; the new mark starts at `textPosition`, which must
    /// lie strictly between the positions of the mark and the next one.
    /// The indexes of the two marks go to `changed`. False, nothing
    /// changed, otherwise.
    bool SplitMarkAtPosition(qint32 textPosition, QList<qint32>& changed);
    /// Inserts marks before `index` (after the last when index is past the end).
    void InsertMarks(qsizetype index, const QList<MediaMark>& marks);

    QList<MediaMark>& Marks() { return m_marks; }
    const QList<MediaMark>& Marks() const { return m_marks; }
    bool IsRunning() const { return m_running; }
    bool IsActive() const { return m_active; }
    bool HasFileName() const { return !m_fileName.isEmpty(); }
    const QString& FileName() const { return m_fileName; }
    qint32 GetCurrentMark() const { return m_currentMark; }
    bool IsFollowingMarks() const { return m_followMarks; }
    void SetFollowMarks(bool on) { m_followMarks = on; }
    void SetRate(double rate);
    double Rate() const { return m_rate; }
    void SetRewindSeconds(qint32 seconds) { m_rewindSeconds = std::max(seconds, 0); }
    qint32 RewindSeconds() const { return m_rewindSeconds; }
    qint32 GetPositionMs() const;
    qint32 GetPositionSeconds() const { return m_positionSeconds; }
    /// Whole seconds when `inSeconds`, else milliseconds.
    qint32 GetDuration(bool inSeconds) const { return inSeconds ? m_durationSeconds : m_durationMs; }
    const QString& PositionText() const { return m_positionText; }
    const QString& DurationText() const { return m_durationText; }
    /// "position / duration"; returns the position in seconds.
    qint32 FormatPosition(QString& text) const;
    bool IsPositionTimerRunning() const { return m_positionTimer.isActive(); }
    /// Shows the picture in the output (a QVideoWidget; null detaches).
    /// False without a playback.
    bool SetVideoWindow(QObject* output);

    /// Whole seconds as "hh:mm:ss"; hours are not wrapped.
    static QString FormatTime(qint64 seconds);

signals:
    /// Every 100 ms while media is rendered.
    void PositionTimer();
    /// The duration of the rendered file became known (whole seconds).
    void DurationKnown(qint32 seconds);
    /// Playback stopped and went back to 0 (Stop, the end of the media).
    void Stopped();
    /// The file cannot be played; durations and texts stay at 0.
    void MediaFailed(const QString& reason);

private:
    bool Usable() const { return m_active && HasFileName(); }
    void ResetTimes();
    void OnDurationChanged(qint64 ms);
    void KillTimer();
    /// Pauses a running playback; true when it was running.
    bool PauseForSeek();
    void SetPositionSeconds(qint32 seconds);

    MediaPlayback m_playback;
    QList<MediaMark> m_marks;
    QTimer m_positionTimer;
    QPointer<QObject> m_videoOutput;   // not owned
    bool m_running = false;
    bool m_endPending = false;
    qint32 m_durationSeconds = 0;
    qint32 m_durationMs = 0;
    qint32 m_positionSeconds = 0;
    QString m_fileName;
    QString m_positionText;
    QString m_durationText;
    bool m_active = false;
    qint32 m_currentMark = 0;
    bool m_followMarks = false;
    double m_rate = 1.0;
    qint32 m_rewindSeconds = 0;
};
