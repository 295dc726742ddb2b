// The model editor's core on a generated model of 2,000 objects and 5,000
// links: byte image, undo snapshot, hit test and model files.
#include "visual/modelercanvascore.h"
#include "visual/modelfile.h"

#include "generatedmodel.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>


namespace {

ModelerCanvasCore& Core()
{
    static ModelerCanvasCore core;
    static bool ready = false;
    if (!ready) {
        core.Attach(nullptr, nullptr, true, false);
        core.SetViewportSize(QSize(1200, 800));
        core.EditModel() = GenerateModel();
        ready = true;
    }
    return core;
}

void BM_SerializeModel(benchmark::State& state)
{
    ModelerCanvasCore& core = Core();
    for (auto _ : state) {
        core.SerializeModel(false);
        benchmark::DoNotOptimize(core.Record().Data.Data().constData());
    }
    state.counters["bytes"] = double(core.Record().Data.Data().size());
}
BENCHMARK(BM_SerializeModel)->Unit(benchmark::kMillisecond);

void BM_ParseModel(benchmark::State& state)
{
    ModelContent model = GenerateModel();
    SerialBuffer image;
    WriteModelImage(model, image);
    for (auto _ : state) {
        SerialBuffer source(image.Data());
        ModelContent read;
        if (!ReadModelImage(source, read))
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(read.Objects.data());
    }
}
BENCHMARK(BM_ParseModel)->Unit(benchmark::kMillisecond);

void BM_PushUndo(benchmark::State& state)
{
    ModelerCanvasCore& core = Core();
    for (auto _ : state)
        benchmark::DoNotOptimize(core.PushUndo());
}
BENCHMARK(BM_PushUndo)->Unit(benchmark::kMillisecond);

void BM_HitTestMiss(benchmark::State& state)
{
    ModelerCanvasCore& core = Core();
    qint32 kind = 0;
    bool handle = false;
    bool geo = false;
    for (auto _ : state) {
        const qint32 hit = core.HitTestPoint(5000, 5000, true, kind, handle, geo);
        if (hit != -1)
            state.SkipWithError("the point should miss");
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(BM_HitTestMiss)->Unit(benchmark::kMicrosecond);

void BM_ModelFileSave(benchmark::State& state)
{
    QTemporaryDir dir;
    ModelerCanvasCore& core = Core();
    const QString path = dir.filePath(QStringLiteral("bench.mod"));
    for (auto _ : state) {
        QString reason;
        core.SerializeModel(false);
        const ModelFileHeader header{QStringLiteral("Bench"), QStringLiteral("Ann"), {}};
        if (!WriteWholeFile(path, ModelFileBytes(header, core.Record().Data), reason))
            state.SkipWithError("not written");
    }
}
BENCHMARK(BM_ModelFileSave)->Unit(benchmark::kMillisecond);

void BM_ModelFileOpen(benchmark::State& state)
{
    QTemporaryDir dir;
    ModelerCanvasCore& core = Core();
    const QString path = dir.filePath(QStringLiteral("bench.mod"));
    QString reason;
    core.SerializeModel(false);
    WriteWholeFile(path, ModelFileBytes({QStringLiteral("Bench"), {}, {}}, core.Record().Data), reason);
    for (auto _ : state) {
        QByteArray bytes;
        ModelFileHeader header;
        SerialBuffer body;
        ModelContent model;
        if (!ReadWholeFile(path, bytes, reason) || !ParseModelFile(bytes, header, body) || !ReadModelImage(body, model))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(model.Objects.data());
    }
}
BENCHMARK(BM_ModelFileOpen)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
