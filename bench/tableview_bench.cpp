// The table view with a table of 5,000 rows × 20 columns (100,000 cells of
// about 50 characters, some 5 MB of text):
//
// - opening it, from the stored bytes to the first painted frame: goal 300 ms;
// - scrolling from the top to the bottom a page at a time, every frame
//   painted: goal 16 ms a frame;
// - the context search over every cell: goal 100 ms;
// - the table's part of the commit after one cell edit (the edit, then the
//   byte image the commit stores): within the commit's goal of 200 ms.

#include "bench/guibenchmain.h"
#include "browser/tablewnd.h"
#include "foundation/tabledata.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

#include <random>

namespace {

constexpr qint32 kRows = 5000;
constexpr qint32 kColumns = 20;

const QByteArray& TableImage()
{
    static const QByteArray bytes = [] {
        const QStringList words = {QStringLiteral("honey"),  QStringLiteral("garden"), QStringLiteral("summer"),
                                   QStringLiteral("bees"),   QStringLiteral("orchard"), QStringLiteral("kept"),
                                   QStringLiteral("morning"), QStringLiteral("village")};
        std::mt19937 random(7);
        CTableData table;
        table.Create(kRows, kColumns);
        for (qint32 row = 0; row < kRows; ++row)
            for (qint32 column = 0; column < kColumns; ++column) {
                QString text;
                while (text.size() < 50)
                    text += words[random() % words.size()] + QLatin1Char(' ');
                table.SetCell(row, column, text.trimmed());
            }
        QByteArray image;
        table.SaveToBytes(image);
        return image;
    }();
    return bytes;
}

void Paint(CTableWnd& window, QImage& canvas)
{
    QPainter painter(&canvas);
    window.render(&painter);
}

void BM_OpenTable(benchmark::State& state)
{
    const QByteArray& bytes = TableImage();
    QImage canvas(900, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        CTableWnd window;
        window.resize(canvas.size());
        window.LoadTable(bytes, 0, 0);
        Paint(window, canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_OpenTable)->Unit(benchmark::kMillisecond);

void BM_ScrollTableFramePainted(benchmark::State& state)
{
    CTableWnd window;
    QImage canvas(900, 600, QImage::Format_ARGB32_Premultiplied);
    window.resize(canvas.size());
    window.LoadTable(TableImage(), 0, 0);
    QScrollBar* bar = window.View()->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + bar->pageStep());
        Paint(window, canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}
BENCHMARK(BM_ScrollTableFramePainted)->Unit(benchmark::kMillisecond);

void BM_SearchAllCells(benchmark::State& state)
{
    CTableWnd window;
    window.LoadTable(TableImage(), 0, 0);
    qsizetype hits = 0;
    for (auto _ : state)
        hits = window.FindInCells(QStringLiteral("orch")).size();
    state.counters["hits"] = double(hits);
}
BENCHMARK(BM_SearchAllCells)->Unit(benchmark::kMillisecond);

void BM_EditedTableBytes(benchmark::State& state)
{
    CTableWnd window;
    window.LoadTable(TableImage(), 0, 0);
    int n = 0;
    for (auto _ : state) {
        window.EditCell(2500, 10, QStringLiteral("edited %1").arg(++n));
        QByteArray bytes;
        window.SaveToBytes(bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_EditedTableBytes)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
