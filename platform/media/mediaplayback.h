#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QAudioOutput;
class QMediaPlayer;

/// @short One media file's playback: a QMediaPlayer with an audio output and,
/// when one is handed in, a video output.
///
/// Times are milliseconds. Loading is asynchronous: the duration arrives
/// later through DurationChanged (0 until then and for a file that cannot
/// be played). The end of the media is reported once by EndOfMedia; a file
/// that cannot be played by Failed. Which formats play is the GStreamer
/// back end's choice. UI thread only.
class MediaPlayback : public QObject {
    Q_OBJECT
public:
    /// What Create found.
    enum class CreateResult { Ready, NoBackend, NoOutput };

    explicit MediaPlayback(QObject* parent = nullptr);
    ~MediaPlayback() override;

    /// Readies a new playback; anything made before goes first. The
    /// multimedia back end itself starts with the first file, so a program
    /// that plays nothing never loads it.
    void Create();
    /// Drops the playback (and with it the file and the video output).
    void Release();
    bool IsCreated() const { return m_created; }

    /// Starts loading a file; an empty path unloads. With the first file the
    /// player and its audio output are made: NoBackend when the multimedia
    /// back end is missing, NoOutput when the audio output cannot be
    /// attached; only Ready loads anything. NoBackend without Create.
    CreateResult SetSource(const QString& path);
    void Play();
    void Pause();
    /// Stops and goes back to the start.
    void Stop();
    void SetPosition(qint64 ms);
    qint64 Position() const;
    qint64 Duration() const;
    /// Playback speed, 1.0 normal; applied at once to a player that exists.
    void SetRate(double rate);
    bool IsPlaying() const;
    /// The widget (a QVideoWidget) or sink that shows the picture; null
    /// detaches. Not owned.
    void SetVideoOutput(QObject* output);

signals:
    void DurationChanged(qint64 ms);
    void EndOfMedia();
    void Failed(const QString& reason);

private:
    CreateResult MakePlayer();

    bool m_created = false;
    QPointer<QObject> m_videoOutput;
    std::unique_ptr<QAudioOutput> m_audio;
    std::unique_ptr<QMediaPlayer> m_player;
    double m_rate = 1.0;
};
