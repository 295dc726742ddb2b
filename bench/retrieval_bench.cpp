// Retrieval on the large project (the synthetic corpus at scale 1, or
// $KORVAN_BENCH_SCALE: 5,000 documents, 3,552 codes, 300,000 codings), all
// documents activated, through the project document with the engine
// registered:
// - the corpus manifest's ten report codes activated, plain retrieval: the
//   rows (goal 20 ms) and the rows with every segment's text (goal 0.5 s);
// - every code activated: the rows (goal 60 ms).
// rows is the number of retrieved segments (for the report codes the
// manifest's expected count is given beside it). The co-occurrence of all
// codes and the growth of these costs with the project: growth_bench.cpp.

#include "bench/guibenchmain.h"
#include "bench/projectgenerator.h"
#include "bench/retrievalproject.h"
#include "document/kordoc.h"
#include "foundation/optionsrecord.h"
#include "foundation/stringstore.h"
#include "retrieval/retrievalengine.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <memory>

namespace {


/// Plain retrieval of the ten report codes: the rows, and with texts also
/// every segment's text cut from its document.
void RetrieveReportCodes(benchmark::State& state, bool withTexts)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    project->ActivateCodes(project->ReportCodes());
    CKorDoc& doc = project->Doc();
    OptionsRecord settings;
    qint32 rows = 0;
    qint64 textBytes = 0;
    for (auto _ : state) {
        rows = doc.RunRetrieval(settings, 0);
        if (withTexts) {
            const CSegmentArray result = retrieval::RetrievalEngine::Retrieve(doc.GetDatabase(), settings);
            QList<QByteArray> texts;
            doc.GetSegmentTexts(result, texts);
            textBytes = 0;
            for (const QByteArray& text : std::as_const(texts))
                textBytes += text.size();
        }
    }
    state.counters["rows"] = rows;
    state.counters["expected_rows"] = project->ExpectedReportSegments();
    if (withTexts)
        state.counters["text_kb"] = double(textBytes) / 1024.0;
}

void BM_RetrieveTenCodes(benchmark::State& state)
{
    RetrieveReportCodes(state, false);
}
BENCHMARK(BM_RetrieveTenCodes)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RetrieveTenCodesWithTexts(benchmark::State& state)
{
    RetrieveReportCodes(state, true);
}
BENCHMARK(BM_RetrieveTenCodesWithTexts)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RetrieveAllCodes(benchmark::State& state)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    project->ActivateCodes({}, true);
    OptionsRecord settings;
    qint32 rows = 0;
    for (auto _ : state)
        rows = project->Doc().RunRetrieval(settings, 0);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_RetrieveAllCodes)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN();
