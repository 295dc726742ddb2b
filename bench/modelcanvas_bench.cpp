// The model canvas in a 1920 x 1080 window on the generated model of 2,000
// objects and 5,000 links: frames of panning and zooming with the whole
// model in view, dragging 200 selected objects, the hover test with its
// tooltip text, and the JPEG export.
#include "guibenchmain.h"

#include "visual/modeldrawing.h"
#include "visual/modelercanvas.h"

#include "generatedmodel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace {

// Scale at which the generated model (4,000 x 3,200 units) fits the window.
constexpr float kWholeModelScale = 0.33f;

ModelerCanvas& Canvas()
{
    static ModelerCanvas* canvas = nullptr;
    if (!canvas) {
        canvas = new ModelerCanvas();
        canvas->resize(1920, 1080);
        canvas->Attach(nullptr, nullptr, true, false);
        canvas->show();
        ModelContent model = GenerateModel();
        for (ModelObject& o : model.Objects)
            o.NeedsLayout = true;
        model.Objects[17].LinkedFile = QStringLiteral("https://example.org/linked");
        canvas->Core().EditModel() = std::move(model);
        canvas->SetFollowLinks(true);
    }
    ModelContent& model = canvas->Core().EditModel();
    model.Scale = kWholeModelScale;
    model.OriginX = 20;
    model.OriginY = 20;
    canvas->ClearSelection(false);
    canvas->RenderNow();
    return *canvas;
}

void BM_PanFrame(benchmark::State& state)
{
    ModelerCanvas& canvas = Canvas();
    ModelContent& model = canvas.Core().EditModel();
    int step = 0;
    for (auto _ : state) {
        // A pan moves the view without changing the model.
        model.OriginX += (++step % 20 < 10 ? 3 : -3) / kWholeModelScale;
        canvas.RenderNow();
    }
}
BENCHMARK(BM_PanFrame)->Unit(benchmark::kMillisecond);

void BM_ZoomFrame(benchmark::State& state)
{
    ModelerCanvas& canvas = Canvas();
    ModelContent& model = canvas.Core().EditModel();
    int step = 0;
    for (auto _ : state) {
        model.Scale = kWholeModelScale + 0.01f * float(++step % 4);
        canvas.Redraw();
        canvas.RenderNow();
    }
}
BENCHMARK(BM_ZoomFrame)->Unit(benchmark::kMillisecond);

void BM_DragTwoHundredObjects(benchmark::State& state)
{
    ModelerCanvas& canvas = Canvas();
    auto& objects = canvas.Core().Objects();
    for (size_t i = 0; i < 200; ++i)
        objects[i * 7].Selected = true;
    canvas.Redraw();
    canvas.RenderNow();
    // The mouse as a user drags: a Shift press on a selected object keeps the
    // selection, then moves of a few pixels, each painted.
    QWidget* view = canvas.viewport();
    const QPointF start = canvas.Core().ModelToClient(objects[0].Rect.CentreX(), objects[0].Rect.CentreY());
    const auto send = [view](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::ShiftModifier);
        QApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        const double dx = (++step % 20 < 10 ? step % 10 : 10 - step % 10) * 2.0;
        send(QEvent::MouseMove, start + QPointF(dx, dx), Qt::LeftButton);
        canvas.RenderNow();
    }
    send(QEvent::MouseButtonRelease, start, Qt::NoButton);
    canvas.ClearSelection(false);
}
BENCHMARK(BM_DragTwoHundredObjects)->Unit(benchmark::kMillisecond);

void BM_HoverWithTooltipText(benchmark::State& state)
{
    ModelerCanvas& canvas = Canvas();
    const ModelObject& target = canvas.Core().Model().Objects[17];
    const QPointF point = canvas.Core().ModelToClient(target.Rect.CentreX(), target.Rect.CentreY());
    for (auto _ : state) {
        qint32 kind = 0;
        bool handle = false;
        bool geo = false;
        const qint32 hit = canvas.Core().HitTestPoint(point.x(), point.y(), true, kind, handle, geo);
        bool rich = false;
        QString text;
        QByteArray rtf;
        QSize size;
        const bool shown = canvas.BuildObjectText(canvas.Core().Model().Objects[size_t(hit)], rich, text, rtf, size, geo);
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_HoverWithTooltipText)->Unit(benchmark::kMicrosecond);

void BM_JpegExport(benchmark::State& state)
{
    ModelerCanvas& canvas = Canvas();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("model.jpg"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportModelPicture(canvas.Core(), path, ModelPictureFormat::Jpeg));
}
BENCHMARK(BM_JpegExport)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
