// The matrix list control scrolled through a 3,000 × 3,000 matrix: every
// frame must paint within 16 ms.

#include "ui/objlistctrl.h"

#include "bench/guibenchmain.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSide = 3000;

MatrixData bigMatrix()
{
    MatrixData d;
    for (int c = 0; c < kSide; ++c)
        d.columnIds.append(c + 1);
    // Groups of ten: a parent and nine children, all open.
    for (int r = 0; r < kSide; ++r) {
        MatrixRow row;
        row.id = r + 1;
        row.level = r % 10 == 0 ? 0 : 1;
        row.hasParent = row.level > 0;
        row.hasChildren = row.level == 0;
        row.expanded = true;
        row.siblingFollows = r % 10 != 9;
        d.rows.append(row);
    }
    d.values.resize(qsizetype(kSide) * kSide);
    for (qsizetype i = 0; i < d.values.size(); ++i)
        d.values[i] = qint32((i * 2654435761u) % 7);
    return d;
}

void ScrollTopToBottom(benchmark::State& state)
{
    MatrixData data = bigMatrix();
    CObjListCtrl ctrl;
    ctrl.resize(1280, 800);
    ctrl.Load(MatrixDisplay::CodesByDocuments, &data);
    ctrl.show();
    QCoreApplication::processEvents();
    QImage frame(ctrl.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = ctrl.verticalScrollBar();
    const int page = std::max(1, bar->pageStep());
    int frames = 0;
    for (auto _ : state) {
        const int next = bar->value() + page;
        bar->setValue(next > bar->maximum() ? 0 : next);
        ctrl.viewport()->render(&frame);
        ++frames;
    }
    state.counters["frames"] = frames;
}
BENCHMARK(ScrollTopToBottom)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
