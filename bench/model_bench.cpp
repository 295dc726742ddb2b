// The model editor's core on a generated model of 2,000 objects and 5,000
// links: byte image, undo snapshot, hit test and model files.
#include "visual/modelercanvascore.h"
#include "visual/modelfile.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <random>

namespace {

constexpr int kObjects = 2000;
constexpr int kLinks = 5000;

// Every shape, short labels, some shadows, label boxes and link labels;
// objects on a grid, so that a point beyond it misses everything.
ModelContent GenerateModel()
{
    std::mt19937 rng(2000);
    ModelContent model;
    for (int i = 0; i < kObjects; ++i) {
        ModelObject o;
        o.Id = i + 1;
        o.Shape = i % 14;
        o.Label = QStringLiteral("Object %1").arg(i + 1);
        o.Rect = {float(i % 50) * 80, float(i / 50) * 80, 30 + float(rng() % 30), 30 + float(rng() % 30)};
        o.Bounds = {o.Rect.x - 5, o.Rect.y - 2, o.Rect.width + 10, o.Rect.height + 20};
        o.LabelRect = {o.Rect.x - 5, o.Rect.Bottom() + 2, o.Rect.width + 10, 14};
        o.SymbolShadow = i % 5 == 0;
        o.LabelBox = i % 7 == 0;
        o.LabelShadow = i % 11 == 0;
        o.RefTopic = i % 3 == 0 ? 8 : 0;
        o.RefId = i;
        o.NeedsLayout = false;
        model.Objects.push_back(std::move(o));
    }
    for (int i = 0; i < kLinks; ++i) {
        ModelLink l;
        l.SourceId = 1 + int(rng() % kObjects);
        l.TargetId = 1 + int(rng() % kObjects);
        l.Label = i % 4 == 0 ? QStringLiteral("rel %1").arg(i) : QString();
        l.Arrows = i % 4;
        model.Links.push_back(std::move(l));
    }
    model.LastObjectId = kObjects;
    return model;
}

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
