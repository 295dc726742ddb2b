// The real frame on the large project, as a user meets it. Every document
// activated, then all codes activated as a Ctrl+click on the code system
// does:
// - from the activation to the first screen of retrieved segments painted
//   (goal 1 s);
// - paging through the segments, each page painted (goal 16 ms a frame:
//   page_ms_mean and page_ms_max), and Ctrl+End to the last segment
//   painted (end_ms);
// - the memory the shown result adds to the open project (added_mb, goal
//   300 MB).
// segments is the number of segments retrieved.

#include "app/mainapp.h"
#include "app/mainframe.h"
#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/programstart.h"
#include "document/kordoc.h"
#include "retrieval/segmentsctrl.h"
#include "store/storeids.h"
#include "ui/textpaneex.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>

namespace {

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(target, &release);
}

void BM_ActivateAllCodesInTheFrame(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    CKorDoc* doc = frame->Document();
    SegmentsCtrl* pane = frame->Segments();
    doc->SetItemActivation(TopicKind::CodeSystemRoot, 0, false, false);
    doc->SetItemActivation(TopicKind::DocumentsRoot, 0, true, false);
    QCoreApplication::processEvents();
    const double before = ResidentMegabytes();
    double added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc->SetItemActivation(TopicKind::CodeSystemRoot, 0, false, false);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        doc->SetItemActivation(TopicKind::CodeSystemRoot, 0, true, false);
        pane->repaint();
        QCoreApplication::processEvents();
        added = std::max(added, ResidentMegabytes() - before);
    }
    state.counters["segments"] = pane->GetSegmentCount();
    state.counters["pane_visible"] = pane->isVisible() ? 1 : 0;

    // Paging on from the first screen, each page painted.
    pane->Text()->setFocus();
    QElapsedTimer timer;
    double total = 0;
    double slowest = 0;
    constexpr int kPages = 500;
    for (int page = 0; page < kPages; ++page) {
        timer.start();
        Press(pane->Text(), Qt::Key_PageDown);
        pane->repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        total += ms;
        slowest = std::max(slowest, ms);
    }
    timer.start();
    Press(pane->Text(), Qt::Key_End, Qt::ControlModifier);
    pane->repaint();
    state.counters["end_ms"] = timer.nsecsElapsed() / 1e6;
    state.counters["page_ms_mean"] = total / kPages;
    state.counters["page_ms_max"] = slowest;
    state.counters["window_first"] = pane->FirstLoadedSegment();
    added = std::max(added, ResidentMegabytes() - before);
    state.counters["added_mb"] = added;
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_ActivateAllCodesInTheFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
