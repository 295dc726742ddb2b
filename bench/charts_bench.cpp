// The chart windows of the real frame on the large project:
// - the code matrix of every document by every code, from its command to
//   the painted window (goal 1 s);
// - the code relations of all codes, from OK in the code selection to the
//   painted window (goal 2.5 s), and the window's own part of it: the grid
//   reading the tables and painting (window_ms, goal 200 ms);
// - each toolbar switch of the code matrix repainted (switch_ms_max, goal
//   50 ms);
// - the code relations' columns fitted to their captions, one per code
//   (fitted_ms, goal 300 ms).
// documents, codes and columns count what was shown.

#include "app/chartcommands.h"
#include "app/mainapp.h"
#include "app/mainframe.h"
#include "bench/guibenchmain.h"
#include "bench/programstart.h"
#include "ui/commandtoolbar.h"
#include "visual/chartbrowserdlg.h"
#include "visual/chartoptiondlgs.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

void Paint(CChartBrowserDlg* window)
{
    window->repaint();
    window->Grid()->viewport()->repaint();
    QCoreApplication::processEvents();
}

void BM_CodeMatrixFromCommandToPaintedWindow(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    CChartCommands& charts = frame->ChartCommands();
    for (auto _ : state) {
        frame->OnCommand(ChartFrameCommand::CodeMatrix);
        Paint(charts.Window(int(ChartVariant::CodeMatrix)));
    }
    CChartBrowserDlg* window = charts.Window(int(ChartVariant::CodeMatrix));
    state.counters["documents"] = double(window->m_columnIds.size());
    state.counters["codes"] = double(window->m_rows.size());

    // Every switch of the toolbar, each repainted.
    QElapsedTimer timer;
    double slowest = 0;
    for (const int command : {ChartCommand::HeaderNarrow, ChartCommand::CalcPerColumn, ChartCommand::CalcPerRow,
                              ChartCommand::CalcWhole, ChartCommand::Numbers, ChartCommand::Numbers,
                              ChartCommand::Circles, ChartCommand::Circles, ChartCommand::DocumentCounter,
                              ChartCommand::DocumentCounter}) {
        timer.start();
        window->RunCommand(command);
        Paint(window);
        const double ms = timer.nsecsElapsed() / 1e6;
        slowest = std::max(slowest, ms);
        double& slot = state.counters[QStringLiteral("ms_%1").arg(command).toStdString()];
        slot = std::max(double(slot), ms);
    }
    state.counters["switch_ms_max"] = slowest;
    charts.CloseWindows();
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_CodeMatrixFromCommandToPaintedWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CodeRelationsFromOkToPaintedWindow(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    CChartCommands& charts = frame->ChartCommands();
    QElapsedTimer sinceOk;
    for (auto _ : state) {
        state.PauseTiming();
        // The selection opens modally: all codes, then OK, from the timer.
        auto* answer = new QTimer(qApp);
        answer->setInterval(5);
        QObject::connect(answer, &QTimer::timeout, answer, [answer, &sinceOk, &state] {
            auto* dialog = qobject_cast<CCOBrowserDlg*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            answer->stop();
            answer->deleteLater();
            qobject_cast<QAbstractButton*>(FindControl(dialog, CCOBrowserDlg::kAllId))->click();
            state.ResumeTiming();
            sinceOk.start();
            qobject_cast<QAbstractButton*>(FindControl(dialog, 1))->click();
        });
        answer->start();
        frame->OnCommand(ChartFrameCommand::CodeRelations);
        Paint(charts.Window(int(ChartVariant::CodeRelations)));
    }
    state.counters["ok_to_painted_ms"] = sinceOk.nsecsElapsed() / 1e6;
    CChartBrowserDlg* window = charts.Window(int(ChartVariant::CodeRelations));
    state.counters["codes"] = double(window->m_rows.size());
    state.counters["columns"] = double(window->m_columnIds.size());
    QElapsedTimer timer;
    timer.start();
    window->Redraw();
    Paint(window);
    state.counters["window_ms"] = timer.nsecsElapsed() / 1e6;
    window->RunCommand(ChartCommand::HeaderNarrow);
    Paint(window);
    timer.start();
    window->RunCommand(ChartCommand::HeaderFitted);
    Paint(window);
    state.counters["fitted_ms"] = timer.nsecsElapsed() / 1e6;
    charts.CloseWindows();
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_CodeRelationsFromOkToPaintedWindow)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
