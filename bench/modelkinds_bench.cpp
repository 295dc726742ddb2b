// The model builders on the large project (300,000 codings), each on a
// canvas that holds only the title and the dropped object:
// - the co-occurrence model of the code with the most codings, with two
//   subcode levels (goal 300 ms);
// - the document model of the document whose coding count is nearest 500
//   (goal 50 ms);
// - the subcode model of the top-level code with the most subcodes, five
//   segments each (goal 100 ms).
// Counters name what was built: codes, segments, objects.

#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "store/storedmodel.h"
#include "visual/modelbuilders.h"
#include "visual/modelercanvas.h"
#include "visual/modelkinds.h"

#include <QApplication>

#include <cstdlib>

namespace {

struct Fixture {
    benchproject::OpenLargeProject project;
    ModelerCanvas* canvas = nullptr;
    bool ready = false;
    qint32 busiestCode = 0;
    qint32 documentNear500 = 0;
    qint32 widestCategory = 0;
    qint32 widestChildren = 0;
    qint32 busiestCodings = 0;
    qint32 documentCodings = 0;
};

Fixture* Shared(benchmark::State& state)
{
    static Fixture* fixture = nullptr;
    if (fixture)
        return fixture->ready ? fixture : nullptr;
    fixture = new Fixture;
    if (!fixture->project.Open(state))
        return nullptr;
    CKorDoc& doc = fixture->project.shell.doc;
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    qsizetype most = -1;
    qsizetype widest = -1;
    QList<qint32> keys;
    for (const qint32 code : codes) {
        keys.clear();
        db.FindKeysByParent(TopicId::Codings, TopicId::Codes, code, keys);
        if (keys.size() > most) {
            most = keys.size();
            fixture->busiestCode = code;
            fixture->busiestCodings = qint32(keys.size());
        }
        if (db.GetIntValue(TopicId::Codes, code, CodeField::Parent) == 0) {
            QList<qint32> children;
            doc.GetChildCodes(code, children);
            if (children.size() > widest) {
                widest = children.size();
                fixture->widestCategory = code;
                fixture->widestChildren = qint32(children.size());
            }
        }
    }
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    qsizetype nearest = -1;
    for (const qint32 document : documents) {
        keys.clear();
        db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, keys);
        if (nearest < 0 || std::abs(keys.size() - 500) < std::abs(nearest - 500)) {
            nearest = keys.size();
            fixture->documentNear500 = document;
            fixture->documentCodings = qint32(keys.size());
        }
    }
    fixture->canvas = new ModelerCanvas();
    fixture->canvas->resize(1600, 1000);
    fixture->canvas->Attach(&db, nullptr, true, false);
    fixture->canvas->SetProject(&doc);
    fixture->canvas->show();
    fixture->ready = true;
    return fixture;
}

/// A fresh model of a title and the dropped object, as a kind's drop
/// leaves it; the settings point at them.
void Prepare(Fixture& fixture, ModelKindSettings& settings, qint32 kind, qint32 topic, qint32 id)
{
    ModelerCanvas& canvas = *fixture.canvas;
    canvas.Core().EditModel() = ModelContent();
    settings.SetDefaults();
    settings.Kind = kind;
    settings.Canvas = &canvas;
    settings.TitleObjectId = canvas.AddObject(0, 0, QStringLiteral("Model"), 0, false, 0, false, QString(), nullptr, false);
    const qint32 dropped = canvas.AddObject(topic, id, QStringLiteral("dropped"), 0, false, 0, false, QString(), nullptr, false);
    canvas.Core().PlaceDroppedObject(dropped, settings.TitleObjectId);
    settings.DroppedObjectId = dropped;
    settings.DroppedIds = {dropped};
    const ModelObject& object = canvas.Core().Objects().back();
    settings.CentreX = object.Rect.CentreX();
    settings.CentreY = object.Rect.CentreY();
}

void Run(benchmark::State& state, qint32 kind, qint32 topic, qint32 id,
         const std::function<void(ModelKindSettings&)>& options)
{
    Fixture* fixture = Shared(state);
    if (!fixture)
        return;
    ModelKindSettings settings;
    for (auto _ : state) {
        state.PauseTiming();
        Prepare(*fixture, settings, kind, topic, id);
        options(settings);
        state.ResumeTiming();
        ModelBuilder::Build(*fixture->canvas, fixture->project.shell.doc, settings);
    }
    state.counters["objects"] = double(fixture->canvas->Core().Objects().size());
    state.counters["links"] = double(fixture->canvas->Core().Links().size());
}

void BM_CooccurrenceModel(benchmark::State& state)
{
    Fixture* fixture = Shared(state);
    if (!fixture)
        return;
    state.counters["codings"] = fixture->busiestCodings;
    Run(state, ModelKind::CooccurrenceModel, TopicId::Codes, fixture->busiestCode, [](ModelKindSettings& settings) {
        settings.SubcodeLevels = 2;
        settings.MinCooccurrence = 1;
    });
}
BENCHMARK(BM_CooccurrenceModel)->Unit(benchmark::kMillisecond);

void BM_DocumentModel(benchmark::State& state)
{
    Fixture* fixture = Shared(state);
    if (!fixture)
        return;
    state.counters["codings"] = fixture->documentCodings;
    Run(state, ModelKind::DocumentModel, TopicId::Documents, fixture->documentNear500, [](ModelKindSettings& settings) {
        settings.CodeLimit = 20;
        settings.SegmentLimit = 5;
    });
}
BENCHMARK(BM_DocumentModel)->Unit(benchmark::kMillisecond);

void BM_SubcodeModel(benchmark::State& state)
{
    Fixture* fixture = Shared(state);
    if (!fixture)
        return;
    state.counters["subcodes"] = fixture->widestChildren;
    Run(state, ModelKind::SubcodeModel, TopicId::Codes, fixture->widestCategory, [](ModelKindSettings& settings) {
        settings.IncludeSegments = true;
        settings.SegmentLimit = 5;
    });
}
BENCHMARK(BM_SubcodeModel)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
