#include "platform/media/mediaduration.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

qint64 ProbeMediaDuration(const QString& path, int timeoutMs)
{
    const QFileInfo info(path);
    // An empty file has no duration; the back end need not be asked.
    if (!info.isFile() || info.size() == 0)
        return 0;
    QMediaPlayer player;
    // Without an audio output the back end's pipeline stops with a stream
    // error before it reports a duration. Nothing is played.
    QAudioOutput output;
    output.setMuted(true);
    player.setAudioOutput(&output);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&player, &QMediaPlayer::durationChanged, &loop, [&loop](qint64 duration) {
        if (duration > 0)
            loop.quit();
    });
    QObject::connect(&player, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &loop, [&](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia)
            loop.quit();
    });
    player.setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    if (player.duration() <= 0 && player.mediaStatus() != QMediaPlayer::InvalidMedia &&
        player.error() == QMediaPlayer::NoError) {
        timer.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return qMax<qint64>(0, player.duration());
}
