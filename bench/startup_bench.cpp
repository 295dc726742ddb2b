// Starting the program with the large project on the command line, as a
// user does, until the frame with the project loaded has been painted: the
// application's start-up (language table, options, splash, frame), the
// frame's deferred opening with its delay, then the events the opening
// left (layouts, updates) and one paint of the whole frame. The project
// is a copy whose one-time repairs ran in a first, untimed start. Goal: at
// most 1.5 s.

#include "app/mainapp.h"
#include "app/mainframe.h"
#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/projectgenerator.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

/// Starts, waits for the deferred opening, shuts down; the time to the
/// loaded frame painted, or a negative value when the project did not open.
double StartUntilLoaded(const QString& programFolder, const QString& project)
{
    QElapsedTimer timer;
    timer.start();
    CMainApp app;
    if (!app.InitInstance({QStringLiteral("KORVAN10"), project}, programFolder))
        return -1;
    bool loaded = false;
    QEventLoop loop;
    QObject::connect(app.MainFrame(), &CMainFrame::StartupFinished, &loop, [&](bool open) {
        loaded = open;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    if (loaded) {
        // What the user sees: the loaded frame painted.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        app.MainFrame()->repaint();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    app.ExitInstance(0);
    g_pStringStore->Close();
    g_program = {};
    return loaded ? seconds : -1;
}

void BM_StartWithLargeProject(benchmark::State& state)
{
    QString error;
    const QString source = BenchProject(1.0, &error);
    QTemporaryDir home, program;
    const QString project = QDir(home.path()).filePath(QStringLiteral("large.kv4"));
    if (source.isEmpty() || !QFile::copy(source, project) ||
        !QFile::copy(QStringLiteral(KORVAN_BIN_DIR "/KORVAN10.str"), QDir(program.path()).filePath(QStringLiteral("KORVAN10.str")))) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    // Profile, options and settings go to a home of the benchmark's own.
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    if (StartUntilLoaded(program.path(), project) < 0) {
        state.SkipWithError("the project did not open");
        return;
    }
    for (auto _ : state) {
        const double seconds = StartUntilLoaded(program.path(), project);
        if (seconds < 0) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_StartWithLargeProject)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
