// The find commands in the real frame on the large project, from OK in the
// search dialog until the list of what was found is painted:
// - one word, whole words, in all 5,000 documents, the hits in the
//   search-hit list (goal 1 s; hits is their number, about 10,000);
// - the same word in all memos (about 20,000), the memos found in the memo
//   list (goal 300 ms; memos is their number).

#include "app/listwindows.h"
#include "app/mainapp.h"
#include "app/mainframe.h"
#include "bench/guibenchmain.h"
#include "bench/programstart.h"
#include "document/kordoc.h"
#include "foundation/searchsettings.h"
#include "panes/objectlistwindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

const QString kWord = QStringLiteral("family");

void FindInFrame(benchmark::State& state, bool memos)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    CSearchOptions options;
    options.terms = {kWord};
    options.wholeWords = true;
    options.searchMemos = memos;
    const CListWindows::Kind kind = memos ? CListWindows::Memos : CListWindows::SearchHits;
    qint32 rows = 0;
    for (auto _ : state) {
        frame->RunFind(options, false);
        ObjectListWindow* list = frame->ListWindows().Window(kind);
        if (!list) {
            state.SkipWithError("no list was shown");
            break;
        }
        list->repaint();
        QCoreApplication::processEvents();
        rows = list->List1()->RowCount();
    }
    state.counters[memos ? "memos" : "hits"] = rows;
    benchstart::StopProgram(std::move(app));
}

void BM_FindWordInAllDocuments(benchmark::State& state)
{
    FindInFrame(state, false);
}
BENCHMARK(BM_FindWordInAllDocuments)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindWordInAllMemos(benchmark::State& state)
{
    FindInFrame(state, true);
}
BENCHMARK(BM_FindWordInAllMemos)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
