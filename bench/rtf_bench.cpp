// Reading and writing a 10 MB RTF text with formatting, links, tables and a
// picture. Throughput is reported as bytes per second of RTF; peak_rss_mb is
// the process's peak resident memory after the runs.
#include "bench/guibenchmain.h"
#include "bench/rtfsample.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"

#include <benchmark/benchmark.h>

#include <QTextDocument>

#include <sys/resource.h>

namespace {

constexpr qsizetype kSampleBytes = 10 * 1024 * 1024;

const QByteArray& Sample()
{
    static const QByteArray rtf = MakeSampleRtf(kSampleBytes);
    return rtf;
}

double PeakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_ReadRtf(benchmark::State& state)
{
    const QByteArray& rtf = Sample();
    for (auto _ : state) {
        QTextDocument document;
        if (!rtf::ReadRtf(rtf, document).ok) {
            state.SkipWithError("not read");
            return;
        }
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

void BM_WriteRtf(benchmark::State& state)
{
    QTextDocument document;
    rtf::ReadRtf(Sample(), document);
    qint64 written = 0;
    for (auto _ : state) {
        const QByteArray out = rtf::WriteRtf(document);
        written += out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(written);
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_RichTextMap(benchmark::State& state)
{
    QTextDocument document;
    rtf::ReadRtf(Sample(), document);
    for (auto _ : state) {
        const rtf::RichTextMap map(document);
        benchmark::DoNotOptimize(map.length());
    }
    state.SetBytesProcessed(state.iterations() * Sample().size());
}
BENCHMARK(BM_RichTextMap)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
