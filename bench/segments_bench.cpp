// The merge of coloured coding ranges of one document view and the paragraph
// ranges of a long transcript: both run when a document opens in the browser.
#include "bench/guibenchmain.h"
#include "bench/rtfsample.h"
#include "foundation/richtexthelpers.h"
#include "foundation/segmentrecord.h"
#include "platform/rtf/richeditctrlex.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// Codings as coders make them: short segments, many overlapping one to
// three others, spread over a 60,000-character interview.
SegmentRecordArray MakeCodings(int count)
{
    std::mt19937 random(7);
    SegmentRecordArray records;
    for (int i = 0; i < count; ++i) {
        const qint32 start = qint32(random() % 60000);
        const qint32 length = 20 + qint32(random() % 400);
        records.Add({i + 1, start, start + length, 0, MakeColor(int(random() % 256), 128, 64)});
    }
    return records;
}

void BM_MergeSegmentRecordsMixed(benchmark::State& state)
{
    const SegmentRecordArray codings = MakeCodings(int(state.range(0)));
    qsizetype pieces = 0;
    for (auto _ : state) {
        SegmentRecordArray records = codings;
        MergeSegmentRecords(false, true, records);
        pieces = records.GetSize();
    }
    state.counters["pieces"] = double(pieces);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MergeSegmentRecordsMixed)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_ParagraphRangesOfTranscript(benchmark::State& state)
{
    auto edit = CreateHiddenRichEdit();
    const QByteArray rtf = MakeSampleRtf(state.range(0) * 1024);
    edit->StreamInRtf(&rtf, false);
    qsizetype pairs = 0;
    for (auto _ : state)
        pairs = GetParagraphRanges(*edit).size() / 2;
    state.counters["paragraphs"] = double(pairs);
    state.SetBytesProcessed(state.iterations() * qint64(rtf.size()));
}
BENCHMARK(BM_ParagraphRangesOfTranscript)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
