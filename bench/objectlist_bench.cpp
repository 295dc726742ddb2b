// The object list on the large project (300,000 codings): the list of all
// codings opened in its window and sorted by a text column (the comment),
// goal at most 1 s; scrolling it from top to bottom, each frame painted in
// at most 16 ms. The list's requests go straight to the project document,
// as the frame's router hands them on.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/projectgenerator.h"
#include "document/kordoc.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "panes/objectlistwindow.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "tests/common/documentowner.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

/// The generated project, copied and opened once for every benchmark here.
struct LargeProject {
    bool Open(QString* error)
    {
        if (m_open)
            return true;
        g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
        BuildOptionDefinitions();
        const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
        const QString generated = BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), error);
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("copy.kv4"));
        if (generated.isEmpty() || !QFile::copy(generated, m_path))
            return false;
        {
            ProjectDataEngine engine;
            if (!engine.Open(m_path) || !CKorDoc::MarkUpgradeStepsDone(engine))
                return false;
        }
        auto engine = doc.OpenProjectFile(m_path, QStringLiteral("MAIN"));
        m_open = engine && doc.OpenProject(std::move(engine), false);
        return m_open;
    }

    /// The codings list window as the codings command opens it.
    std::unique_ptr<ObjectListWindow> OpenCodingsList()
    {
        QList<qint32> fieldIds;
        QList<qint32> keys;
        doc.GetDatabase().GetFieldIds(TopicId::Codings, fieldIds, true);
        doc.GetDatabase().GetAllKeys(TopicId::Codings, keys);
        auto window = std::make_unique<ObjectListWindow>(&owner, TopicId::Codings, 0, 0, fieldIds, keys,
                                                         QStringLiteral("All codings"));
        window->Create();
        window->resize(900, 640);
        window->show();
        return window;
    }

    QTemporaryDir m_dir;
    QString m_path;
    bool m_open = false;
    CKorDoc doc;
    testutil::DocumentOwner owner{doc};
};

LargeProject& Project()
{
    static LargeProject project;
    return project;
}

void BM_OpenAndSortCodingsList(benchmark::State& state)
{
    QString error;
    if (!Project().Open(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    int rows = 0;
    for (auto _ : state) {
        std::unique_ptr<ObjectListWindow> window = Project().OpenCodingsList();
        ObjectListCtrl* list = window->List1();
        list->SortByColumn(list->ColumnOfField(CodingField::Comment), false);
        QCoreApplication::processEvents();
        rows = list->RowCount();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_OpenAndSortCodingsList)->Unit(benchmark::kMillisecond)->Iterations(5);

/// One frame: the list scrolled to the next place and its rows painted.
/// The frames step evenly from the top to the bottom of the sorted list,
/// so every frame paints rows not painted before.
void BM_ScrollCodingsList(benchmark::State& state)
{
    QString error;
    if (!Project().Open(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    std::unique_ptr<ObjectListWindow> window = Project().OpenCodingsList();
    ObjectListCtrl* list = window->List1();
    list->SortByColumn(list->ColumnOfField(CodingField::Comment), false);
    QCoreApplication::processEvents();
    QScrollBar* bar = list->verticalScrollBar();
    QImage frame(list->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const int frames = int(state.max_iterations);
    std::vector<double> times;
    times.reserve(size_t(frames));
    int step = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        bar->setValue(int(qint64(bar->maximum()) * step / std::max(frames - 1, 1)));
        list->viewport()->render(&frame);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        ++step;
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["median_frame_ms"] = times[times.size() / 2];
        state.counters["p95_frame_ms"] = times[size_t(double(times.size()) * 0.95)];
        state.counters["max_frame_ms"] = times.back();
    }
    state.counters["rows"] = list->RowCount();
}
BENCHMARK(BM_ScrollCodingsList)->Unit(benchmark::kMillisecond)->Iterations(2000);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
