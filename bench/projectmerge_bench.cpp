// Merging the large project into a copy of itself (5,000 + 5,000
// documents, 300,000 + 300,000 codings), committed; and the same merge
// failing at its last write, timed from the failure to the end of the
// rollback.

#include "bench/benchmemory.h"
#include "bench/largeproject.h"
#include "exchange/projectmerge.h"
#include "tests/common/failingengine.h"
#include "visual/modelreferences.h"

namespace {

using namespace benchproject;

using testutil::FailingEngine;

struct MergeShell : Shell {
    MergeShell()
    {
        merge.SetModelReferenceMapper(&RemapModelReferences);
        doc.SetMergeService(&merge);
    }
    ~MergeShell() { doc.SetMergeService(nullptr); }
    FailingEngine* OpenFailing(const QString& path)
    {
        auto engine = std::make_unique<FailingEngine>();
        FailingEngine* raw = engine.get();
        return engine->Open(path) && doc.OpenProject(std::move(engine), false) ? raw : nullptr;
    }
    bool Merge(const QString& source)
    {
        std::unique_ptr<MergeSource> opened = doc.OpenMergeSource(source);
        return opened && doc.MergeProject(*opened, false);
    }
    ProjectMerge merge;
};

bool Prepare(benchmark::State& state, ProjectCopy& target, QString& source)
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    BuildOptionDefinitions();
    QString error;
    const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
    // The generated file itself is the source: a merge only reads it.
    source = BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), &error);
    if (source.isEmpty() || !target.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return false;
    }
    return true;
}

/// Goal: at most 10 s and 1.5 GB peak.
void BM_MergeLargeProjectIntoItsCopy(benchmark::State& state)
{
    QString source;
    for (auto _ : state) {
        state.PauseTiming();
        ProjectCopy target;
        if (!Prepare(state, target, source))
            return;
        MergeShell shell;
        if (!shell.Open(target.Path())) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.ResumeTiming();
        if (!shell.Merge(source)) {
            state.SkipWithError("the merge failed");
            return;
        }
        state.PauseTiming();
        state.counters["documents"] = shell.doc.GetDatabase().GetRowCount(TopicId::Documents);
        state.counters["codings"] = shell.doc.GetDatabase().GetRowCount(TopicId::Codings);
        shell.Close();
        state.ResumeTiming();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_MergeLargeProjectIntoItsCopy)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Goal: the rollback after a failing last write at most 2 s.
void BM_MergeFailingAtItsLastWriteRollsBack(benchmark::State& state)
{
    QString source;
    qint64 total = 0;
    {
        // The writes of a whole merge, counted once.
        ProjectCopy target;
        if (!Prepare(state, target, source))
            return;
        MergeShell shell;
        FailingEngine* counting = shell.OpenFailing(target.Path());
        if (!counting || !shell.Merge(source)) {
            state.SkipWithError("the counting merge failed");
            return;
        }
        total = counting->writes;
        shell.Close();
    }
    double rollbackMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ProjectCopy target;
        if (!Prepare(state, target, source))
            return;
        MergeShell shell;
        FailingEngine* failing = shell.OpenFailing(target.Path());
        if (!failing) {
            state.SkipWithError("the project did not open");
            return;
        }
        failing->writes = 0;
        failing->failAt = total;
        state.ResumeTiming();
        if (shell.Merge(source)) {
            state.SkipWithError("the merge did not fail");
            return;
        }
        rollbackMs = double(failing->failedAt.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        shell.Close();
        state.ResumeTiming();
    }
    state.counters["writes"] = double(total);
    state.counters["rollback_ms"] = rollbackMs;
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_MergeFailingAtItsLastWriteRollsBack)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
