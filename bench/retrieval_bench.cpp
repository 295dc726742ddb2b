// Retrieval on the large project (the synthetic corpus at scale 1, or
// $KORVAN_BENCH_SCALE: 5,000 documents, 3,000 codes, 300,000 codings), all
// documents activated, through the project document with the engine
// registered:
// - the corpus manifest's ten report codes activated, plain retrieval: the
//   rows (goal 20 ms) and the rows with every segment's text (goal 0.5 s);
// - every code activated: the rows (goal 0.3 s);
// - the co-occurrence matrix of every code against every code (goal 2 s and
//   500 MB peak).
// rows is the number of retrieved segments (for the report codes the
// manifest's expected count is given beside it); peak_rss_mb is the
// process's peak, matrix_mb the resident memory the matrix added.

#include "bench/benchmemory.h"
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

void BM_CooccurrenceMatrixAllCodes(benchmark::State& state)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    CKorDoc& doc = project->Doc();
    QList<qint32> codes;
    doc.GetDatabase().GetAllKeys(TopicId::Codes, codes);
    QList<CodeRelationEntry> axis;
    for (const qint32 code : std::as_const(codes))
        axis.append({code, 0});
    const double before = ResidentMegabytes();
    double added = 0;
    qint64 pairs = 0;
    for (auto _ : state) {
        QList<CodeRelationEntry> columns = axis;
        QList<CodeRelationEntry> rows = axis;
        QList<qint32> counts, documents;
        doc.ComputeCodeRelationsMatrix(columns, rows, counts, documents, false, false, 0);
        added = ResidentMegabytes() - before;
        pairs = 0;
        for (const CodeRelationEntry& column : std::as_const(columns))
            pairs += column.counter;
    }
    state.counters["codes"] = double(axis.size());
    state.counters["pair_cells"] = double(pairs);
    state.counters["matrix_mb"] = added;
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_CooccurrenceMatrixAllCodes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN();
