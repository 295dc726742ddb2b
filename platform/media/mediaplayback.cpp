#include "platform/media/mediaplayback.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

MediaPlayback::MediaPlayback(QObject* parent) : QObject(parent) {}

MediaPlayback::~MediaPlayback()
{
    Release();
}

void MediaPlayback::Create()
{
    Release();
    m_created = true;
}

MediaPlayback::CreateResult MediaPlayback::MakePlayer()
{
    auto player = std::make_unique<QMediaPlayer>();
    if (!player->isAvailable())
        return CreateResult::NoBackend;
    auto audio = std::make_unique<QAudioOutput>();
    player->setAudioOutput(audio.get());
    if (player->audioOutput() != audio.get())
        return CreateResult::NoOutput;
    player->setPlaybackRate(m_rate);
    player->setVideoOutput(m_videoOutput.data());
    connect(player.get(), &QMediaPlayer::durationChanged, this, &MediaPlayback::DurationChanged);
    connect(player.get(), &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia)
            emit EndOfMedia();
    });
    connect(player.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& reason) { emit Failed(reason); });
    m_audio = std::move(audio);
    m_player = std::move(player);
    return CreateResult::Ready;
}

void MediaPlayback::Release()
{
    if (m_player) {
        // Signals of a player on its way out reach nobody.
        m_player->disconnect(this);
        m_player->stop();
        m_player->setVideoOutput(nullptr);
    }
    m_player.reset();
    m_audio.reset();
    m_created = false;
}

MediaPlayback::CreateResult MediaPlayback::SetSource(const QString& path)
{
    if (!m_created)
        return CreateResult::NoBackend;
    if (!m_player && path.isEmpty())
        return CreateResult::Ready;
    if (!m_player) {
        const CreateResult made = MakePlayer();
        if (made != CreateResult::Ready)
            return made;
    }
    m_player->setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
    return CreateResult::Ready;
}

void MediaPlayback::Play()
{
    if (m_player)
        m_player->play();
}

void MediaPlayback::Pause()
{
    if (m_player)
        m_player->pause();
}

void MediaPlayback::Stop()
{
    if (!m_player)
        return;
    m_player->stop();
    m_player->setPosition(0);
}

void MediaPlayback::SetPosition(qint64 ms)
{
    if (m_player)
        m_player->setPosition(std::max<qint64>(ms, 0));
}

qint64 MediaPlayback::Position() const
{
    return m_player ? m_player->position() : 0;
}

qint64 MediaPlayback::Duration() const
{
    return m_player ? m_player->duration() : 0;
}

void MediaPlayback::SetRate(double rate)
{
    m_rate = rate > 0 ? rate : 1.0;
    if (m_player)
        m_player->setPlaybackRate(m_rate);
}

bool MediaPlayback::IsPlaying() const
{
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}

void MediaPlayback::SetVideoOutput(QObject* output)
{
    m_videoOutput = output;
    if (m_player)
        m_player->setVideoOutput(output);
}
