// How the costs grow with the project: the synthetic corpus at scales 0.1,
// 1, 2 and 4 (the argument is the scale in tenths; scale 1 has 5,000
// documents, 3,552 codes and 300,000 codings). A cost that grows linearly
// keeps its per-row figure from scale to scale. Each benchmark reports the
// time, the cost per row (ns_per_coding, ns_per_row, ns_per_hit) and
// peak_above_mb: the highest resident memory during the timed work above
// what the process held just before it. Scale 4 needs several GB: run it
// on its own (--benchmark_filter=/40) where memory allows.
// - BM_GrowthOpen: the project opened through the project document.
// - BM_GrowthRetrieveAllCodes: every document and code activated, the plain
//   retrieval run through the document. Goal: linear (scale 4 at most 4.5
//   times scale 1), at most 60 ms at scale 1.
// - BM_GrowthCooccurrence: the overlaps of every code with every code as
//   the matrix of the code relations (its two tables of cells are
//   matrix_mb). Goal: at most 100 ms at scale 1.
// - BM_GrowthCooccurrencePairs: the same counts kept for the pairs that
//   occur only. Goal: memory growing with those pairs, within 1 GB at 4.
// - BM_GrowthSearchAndAutocode: the find command's search for "which" in
//   every document (search_ms; again with the texts the first search
//   decoded: warm_search_ms), its hits written as search-hit rows, then
//   every hit coded with one code (code_ms).

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "document/documentids.h"
#include "foundation/optionsrecord.h"
#include "retrieval/lexicalengine.h"
#include "retrieval/retrievalengine.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QElapsedTimer>

namespace {

using namespace benchproject;

double ScaleOf(const benchmark::State& state)
{
    return double(state.range(0)) / 10.0;
}

/// Sets the activated bit of every row of the topic, in memory only.
void ActivateAll(TopicDatabase& db, qint32 topic, qint32 field)
{
    QList<qint32> keys;
    db.GetAllKeys(topic, keys);
    for (const qint32 key : std::as_const(keys)) {
        RowBuffer row;
        FieldValue state;
        if (!db.ReadRow(topic, key, row, false) || !row.GetFieldValue(field, state))
            continue;
        state.SetInt(state.GetInt() | ObjectState::Activated);
        row.WriteBack();
    }
}

void SetCommonCounters(benchmark::State& state, TopicDatabase& db)
{
    state.counters["scale"] = ScaleOf(state);
    state.counters["codings"] = double(db.GetRowCount(TopicId::Codings));
    state.counters["codes"] = double(db.GetRowCount(TopicId::Codes));
}

void BM_GrowthOpen(benchmark::State& state)
{
    double seconds = 0;
    double peak = 0;
    qint64 codings = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OpenLargeProject project;
        if (!project.Copy(state, ScaleOf(state)))
            return;
        const PeakAbove above;
        QElapsedTimer timer;
        timer.start();
        state.ResumeTiming();
        const bool open = project.shell.Open(project.copy.Path());
        state.PauseTiming();
        seconds = timer.nsecsElapsed() / 1e9;
        peak = above.Megabytes();
        if (!open) {
            state.SkipWithError("the project did not open");
            return;
        }
        codings = project.shell.doc.GetDatabase().GetRowCount(TopicId::Codings);
        SetCommonCounters(state, project.shell.doc.GetDatabase());
        project.shell.Close();
        state.ResumeTiming();
    }
    state.counters["ns_per_coding"] = seconds * 1e9 / double(std::max<qint64>(codings, 1));
    state.counters["peak_above_mb"] = peak;
}
BENCHMARK(BM_GrowthOpen)->Arg(1)->Arg(10)->Arg(20)->Arg(40)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_GrowthRetrieveAllCodes(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state, ScaleOf(state)))
        return;
    CKorDoc& doc = project.shell.doc;
    retrieval::RetrievalEngine engine;
    doc.SetRetrievalService(&engine);
    ActivateAll(doc.GetDatabase(), TopicId::Documents, DocumentField::State);
    ActivateAll(doc.GetDatabase(), TopicId::Codes, CodeField::State);
    OptionsRecord settings;
    qint32 rows = 0;
    const PeakAbove above;
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state)
        rows = doc.RunRetrieval(settings, 0);
    const double perRun = double(timer.nsecsElapsed()) / double(std::max<qint64>(state.iterations(), 1));
    state.counters["peak_above_mb"] = above.Megabytes();
    state.counters["rows"] = rows;
    state.counters["ns_per_row"] = perRun / double(std::max(rows, 1));
    SetCommonCounters(state, doc.GetDatabase());
    doc.SetRetrievalService(nullptr);
    project.shell.Close();
}
BENCHMARK(BM_GrowthRetrieveAllCodes)->Arg(1)->Arg(10)->Arg(20)->Arg(40)->Iterations(5)->Unit(benchmark::kMillisecond);

QList<CodeRelationEntry> AllCodesAxis(TopicDatabase& db)
{
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    QList<CodeRelationEntry> axis;
    for (const qint32 code : std::as_const(codes))
        axis.append({code, 0});
    return axis;
}

void BM_GrowthCooccurrence(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state, ScaleOf(state)))
        return;
    CKorDoc& doc = project.shell.doc;
    retrieval::RetrievalEngine engine;
    doc.SetRetrievalService(&engine);
    const QList<CodeRelationEntry> axis = AllCodesAxis(doc.GetDatabase());
    qint64 pairs = 0;
    double peak = 0;
    double matrix = 0;
    for (auto _ : state) {
        QList<CodeRelationEntry> columns = axis;
        QList<CodeRelationEntry> rows = axis;
        QList<qint32> counts, documents;
        const PeakAbove above;
        doc.ComputeCodeRelationsMatrix(columns, rows, counts, documents, false, false, 0);
        peak = above.Megabytes();
        matrix = double(counts.size() + documents.size()) * sizeof(qint32) / (1024.0 * 1024.0);
        pairs = 0;
        for (const CodeRelationEntry& column : std::as_const(columns))
            pairs += column.counter;
    }
    state.counters["overlapping_pairs"] = double(pairs / 2);
    state.counters["matrix_mb"] = matrix;
    state.counters["peak_above_mb"] = peak;
    SetCommonCounters(state, doc.GetDatabase());
    doc.SetRetrievalService(nullptr);
    project.shell.Close();
}
BENCHMARK(BM_GrowthCooccurrence)->Arg(1)->Arg(10)->Arg(20)->Arg(40)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_GrowthCooccurrencePairs(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state, ScaleOf(state)))
        return;
    CKorDoc& doc = project.shell.doc;
    QList<qint32> codes;
    doc.GetDatabase().GetAllKeys(TopicId::Codes, codes);
    qint64 pairs = 0;
    qint64 codePairs = 0;
    double peak = 0;
    for (auto _ : state) {
        const PeakAbove above;
        const retrieval::CodePairCounts counts =
            retrieval::RetrievalEngine::CountOverlappingCodePairs(doc, codes, false);
        peak = above.Megabytes();
        codePairs = qint64(counts.size());
        pairs = 0;
        for (const retrieval::CodePairCount& pair : counts)
            pairs += pair.pairs;
    }
    state.counters["overlapping_pairs"] = double(pairs);
    state.counters["code_pairs"] = double(codePairs);
    state.counters["pairs_mb"] = double(codePairs) * sizeof(retrieval::CodePairCount) / (1024.0 * 1024.0);
    state.counters["peak_above_mb"] = peak;
    SetCommonCounters(state, doc.GetDatabase());
    project.shell.Close();
}
BENCHMARK(BM_GrowthCooccurrencePairs)->Arg(1)->Arg(10)->Arg(20)->Arg(40)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_GrowthSearchAndAutocode(benchmark::State& state)
{
    qint64 hits = 0;
    qint32 made = 0;
    double searchMs = 0, warmMs = 0, codeMs = 0, peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OpenLargeProject project;
        if (!project.Open(state, ScaleOf(state)))
            return;
        CKorDoc& doc = project.shell.doc;
        TopicDatabase& db = doc.GetDatabase();
        retrieval::RetrievalEngine retrieval;
        retrieval::LexicalEngine lexical;
        lexical.SetFileOpener(nullptr);
        doc.SetRetrievalService(&retrieval);
        doc.SetLexicalService(&lexical);
        CodeRecord record;
        record.name = QStringLiteral("which");
        const qint32 code = doc.NewCode(record);
        project.shell.log.Take();
        const PeakAbove above;
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        hits = FindWord(db, QStringLiteral("which"), true);
        searchMs = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        doc.GetRetrievalSettings().hitExtent = 0;
        made = doc.AutoCodeSearchHits(code);
        codeMs = double(timer.nsecsElapsed()) / 1e6;

        state.PauseTiming();
        peak = above.Megabytes();
        timer.restart();
        FindWord(db, QStringLiteral("which"), false);
        warmMs = double(timer.nsecsElapsed()) / 1e6;
        SetCommonCounters(state, db);
        doc.SetLexicalService(nullptr);
        doc.SetRetrievalService(nullptr);
        project.shell.Close();
        state.ResumeTiming();
    }
    state.counters["hits"] = double(hits);
    state.counters["codings_made"] = made;
    state.counters["search_ms"] = searchMs;
    state.counters["warm_search_ms"] = warmMs;
    state.counters["code_ms"] = codeMs;
    state.counters["ns_per_hit"] = (searchMs + codeMs) * 1e6 / double(std::max<qint64>(hits, 1));
    state.counters["peak_above_mb"] = peak;
}
BENCHMARK(BM_GrowthSearchAndAutocode)->Arg(1)->Arg(10)->Arg(20)->Arg(40)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
