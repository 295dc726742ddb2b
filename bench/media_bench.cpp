// The media player: a one-hour Ogg Vorbis recording loaded until the
// toolbar shows its duration (goal at most 300 ms); a jump to the next time
// mark until playback runs there (goal at most 100 ms); a recorded pedal
// press until the player toggles (goal at most 5 ms). The recording is made
// with sox once and kept in the benchmark cache folder.

#include "bench/guibenchmain.h"
#include "browser/mediaplayer.h"
#include "browser/mediatoolbar.h"
#include "tests/common/mediafiles.h"
#include "tests/common/recordedreports.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

namespace {

constexpr int kWaitMs = 30000;
constexpr int kMarkSeconds = 60;

QString CacheFolder()
{
    QString cache = qEnvironmentVariable("KORVAN_BENCH_CACHE");
    if (cache.isEmpty())
        cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/korvan10-bench");
    QDir().mkpath(cache);
    return cache;
}

/// One hour of Ogg Vorbis, made on first use.
QString HourRecording()
{
    const QString path = QDir(CacheFolder()).filePath(QStringLiteral("media_hour.ogg"));
    if (QFileInfo::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".part.ogg");
    QProcess sox;
    sox.start(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("8000"),
                                      QStringLiteral("-c"), QStringLiteral("1"), partial, QStringLiteral("synth"),
                                      QStringLiteral("3600"), QStringLiteral("sine"), QStringLiteral("220")});
    if (!sox.waitForFinished(600000) || sox.exitCode() != 0 || !QFile::rename(partial, path))
        return QString();
    return path;
}

/// Runs the event loop until the condition holds; false after the wait.
bool SpinUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

/// Opens the player on the file and waits for its duration (seconds).
bool LoadUntilDuration(CMediaPlayer& player, const QString& path, qint32 seconds, benchmark::State& state)
{
    player.Open(true);
    player.LoadFile(path);
    if (SpinUntil([&] { return player.GetDuration(true) == seconds; }))
        return true;
    state.SkipWithError("the duration never came");
    return false;
}

void BM_LoadHourUntilToolbarShowsDuration(benchmark::State& state)
{
    const QString recording = HourRecording();
    if (recording.isEmpty()) {
        state.SkipWithError("sox could not make the recording");
        return;
    }
    CMediaPlayer player;
    player.Open(true);
    CMediaToolBar bar(QStringLiteral("Media"));
    // As the frame does: the duration puts the pair text into the label.
    QObject::connect(&player, &CMediaPlayer::DurationKnown, &bar, [&] {
        QString text;
        player.FormatPosition(text);
        bar.SetTimeText(text);
        bar.SetSlider(player.GetDuration(true), player.GetDuration(true) / 30, player.GetDuration(true) / 300);
    });
    for (auto _ : state) {
        bar.SetTimeText(QString());
        player.LoadFile(recording);
        if (!SpinUntil([&] { return bar.TimeLabel()->text().endsWith(QStringLiteral("01:00:00")); })) {
            state.SkipWithError("the duration never came");
            return;
        }
        state.PauseTiming();
        player.LoadFile(QString());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadHourUntilToolbarShowsDuration)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_NextMarkUntilPlaybackRunsThere(benchmark::State& state)
{
    const QString recording = HourRecording();
    if (recording.isEmpty()) {
        state.SkipWithError("sox could not make the recording");
        return;
    }
    CMediaPlayer player;
    if (!LoadUntilDuration(player, recording, 3600, state))
        return;
    for (qint32 begin = 0; begin < 3600; begin += kMarkSeconds)
        player.Marks().append(MediaMark{begin + 1, begin, 0, 0, begin * 1000, (begin + kMarkSeconds) * 1000, 0});
    player.TogglePlay(false);
    for (auto _ : state) {
        if (!player.CanGoNextMark()) {
            state.PauseTiming();
            player.SeekToMs(0);
            player.UpdateCurrentMark();
            state.ResumeTiming();
        }
        player.NextMark();
        const qint32 begin = player.Marks().at(player.GetCurrentMark()).beginMs;
        // Runs there: the position has reached the mark and moves on.
        if (!SpinUntil([&] { return player.GetPositionMs() > begin && player.GetPositionMs() < begin + 1000; })) {
            state.SkipWithError("playback never got there");
            return;
        }
    }
}
BENCHMARK(BM_NextMarkUntilPlaybackRunsThere)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

void BM_PedalPressToTogglePlay(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString tone = QDir(dir.path()).filePath(QStringLiteral("tone.wav"));
    if (!testutil::MakeToneWav(tone, 600)) {
        state.SkipWithError("sox could not make the tone");
        return;
    }
    CMediaPlayer player;
    if (!LoadUntilDuration(player, tone, 600, state))
        return;
    auto source = std::make_unique<testutil::RecordedReports>();
    testutil::RecordedReports* pedal = source.get();
    FootswitchReader reader(std::move(source));
    // As the frame answers the pedal.
    QObject::connect(&reader, &FootswitchReader::FootswitchEvent, &player, [&](int event) {
        if (event == FootswitchReader::PedalPressed && !player.IsRunning())
            player.TogglePlay(true);
        else if (event == FootswitchReader::PedalReleased && player.IsRunning())
            player.TogglePlay(false);
    });
    reader.Start();
    if (!SpinUntil([&] { return pedal->IsOpen(); })) {
        state.SkipWithError("the recorded pedal never opened");
        return;
    }
    for (auto _ : state) {
        pedal->Push("000200");
        if (!SpinUntil([&] { return player.IsRunning(); })) {
            state.SkipWithError("the press never arrived");
            return;
        }
        state.PauseTiming();
        pedal->Push("000000");
        SpinUntil([&] { return !player.IsRunning(); });
        state.ResumeTiming();
    }
    reader.Stop();
}
BENCHMARK(BM_PedalPressToTogglePlay)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(200);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
