#include "foundation/stringstore.h"

#include <benchmark/benchmark.h>

#include <QDir>

namespace {

QString TablePath()
{
    return QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str"));
}

// A window build fetches its texts once; the first fetch of an id is a query.
void BM_StringStoreFirstFetch(benchmark::State& state)
{
    for (auto _ : state) {
        CStringStore store;
        if (!store.Open(TablePath(), 1)) {
            state.SkipWithError("no language table");
            return;
        }
        for (int id = 1; id <= 200; ++id)
            benchmark::DoNotOptimize(store.GetString(id));
    }
    state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_StringStoreFirstFetch);

void BM_StringStoreCachedFetch(benchmark::State& state)
{
    CStringStore store;
    if (!store.Open(TablePath(), 1)) {
        state.SkipWithError("no language table");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(store.GetString(1));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StringStoreCachedFetch);

}  // namespace

BENCHMARK_MAIN();
