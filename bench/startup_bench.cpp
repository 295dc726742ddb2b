// Starting the program with the large project on the command line, as a
// user does, until the frame with the project loaded has been painted: the
// application's start-up (language table, options, splash, frame), the
// frame's deferred opening with its delay, then the events the opening
// left (layouts, updates) and one paint of the whole frame. The first,
// untimed start fills the page cache. Goal: at most 1.5 s.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/programstart.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

namespace {

/// Starts, waits for the deferred opening, shuts down; the time to the
/// loaded frame painted, or a negative value when the project did not open.
double StartUntilLoaded(const benchstart::ProgramHome& home)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<CMainApp> app = benchstart::StartProgram(home);
    if (app) {
        // What the user sees: the loaded frame painted.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        app->MainFrame()->repaint();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const bool loaded = app != nullptr;
    benchstart::StopProgram(std::move(app));
    return loaded ? seconds : -1;
}

void BM_StartWithLargeProject(benchmark::State& state)
{
    QString error;
    benchstart::ProgramHome home;
    if (!home.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    if (StartUntilLoaded(home) < 0) {
        state.SkipWithError("the project did not open");
        return;
    }
    for (auto _ : state) {
        const double seconds = StartUntilLoaded(home);
        if (seconds < 0) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_StartWithLargeProject)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The first start on a converted project of an older version: its one-time
// repairs lay out every document's text once and rewrite what they change,
// and the user waits for them. Goal for the first open: 2 s warm.
void BM_FirstStartWithLargeProject(benchmark::State& state)
{
    QString error;
    benchstart::ProgramHome home;
    if (!home.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    for (auto _ : state) {
        if (!home.RenewLegacyProject()) {
            state.SkipWithError("the project could not be copied");
            return;
        }
        const double seconds = StartUntilLoaded(home);
        if (seconds < 0) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_FirstStartWithLargeProject)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
