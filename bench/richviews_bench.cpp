// Scrolling the document browser's text with its margins: a 5 MB rich text
// with 2,000 codings, page by page from top to bottom. Each frame lays the
// margins out against the text and paints text and margins; the goal is
// 16 ms per frame.
#include "bench/rtfsample.h"
#include "ui/chartwndc.h"
#include "ui/chartwnde.h"
#include "ui/chartwndf.h"
#include "ui/marginlayout.h"
#include "ui/sidecolumng.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include "bench/guibenchmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <memory>
#include <random>

namespace {

constexpr qsizetype kDocumentBytes = 5 * 1024 * 1024;
constexpr int kCodings = 2000;

class MarginHost : public QWidget {
public:
    MarginHost()
    {
        text.Create(kStyleChild | kStyleVisible | kStyleVScroll | kStyleMultiline, QRect(), this, 506);
        paragraphs.setParent(this);
        stripes.setParent(this);
        memos.setParent(this);
        paragraphs.SetTextControl(&text);
        paragraphs.SetSource(&tables);
        stripes.SetStripes(&stripeData);
        memos.SetMemos(&memoData);
        resize(1000, 700);
    }

    void Relayout()
    {
        LayoutStripes(text, stripeData);
        stripes.ComputeColumnWidths(lanes);
        LayoutMemos(text, memoData);
        LayoutParagraphs(text, tables);
    }

    void resizeEvent(QResizeEvent*) override
    {
        paragraphs.setGeometry(0, 0, 40, height());
        stripes.setGeometry(40, 0, 200, height());
        memos.setGeometry(240, 0, 40, height());
        text.setGeometry(280, 0, width() - 280, height());
    }

    CSideColumnG text;
    CChartWndF paragraphs;
    CChartWndC stripes;
    CChartWndE memos;
    ParagraphTables tables;
    QList<StripeRecord> stripeData;
    QList<MemoMark> memoData;
    int lanes = 0;
};

std::unique_ptr<MarginHost> MakeHost()
{
    auto host = std::make_unique<MarginHost>();
    const QByteArray rtf = MakeSampleRtf(kDocumentBytes);
    host->text.StreamInRtf(&rtf, false);
    const int length = host->text.GetTextLength();
    std::mt19937 random(11);
    for (int i = 0; i < kCodings; ++i) {
        StripeRecord stripe;
        stripe.codingId = i + 1;
        stripe.start = int(qint64(length) * i / kCodings + random() % 500);
        stripe.end = std::min(length, stripe.start + 40 + int(random() % 3000));
        stripe.colour = MakeColor(int(random() % 256), int(random() % 256), 128);
        stripe.codePath = QStringLiteral("Topic %1\\Code %2").arg(i % 17).arg(i % 40);
        host->stripeData << stripe;
        if (i % 10 == 0) {
            MemoMark memo;
            memo.memoId = i + 1;
            memo.position = stripe.start;
            memo.paragraph = i;
            host->memoData << memo;
        }
    }
    host->lanes = AssignLanes(host->stripeData);
    FillParagraphCharacters(host->text, host->tables);
    host->show();
    // The text lays itself out in steps while idle; a browser that opened
    // the document long ago has it all laid out.
    QTextDocument* document = host->text.document();
    document->documentLayout()->blockBoundingRect(document->lastBlock());
    QCoreApplication::processEvents();
    return host;
}

// One iteration scrolls the whole text; the counters give the frame times.
void BM_ScrollBrowserWithMargins(benchmark::State& state)
{
    std::unique_ptr<MarginHost> host = MakeHost();
    QImage frame(host->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = host->text.verticalScrollBar();
    // A first pass lays the whole text out, as opening a document does.
    for (int y = 0; y <= bar->maximum(); y += bar->pageStep())
        bar->setValue(y);
    // The first paint of the top page decodes its picture: part of opening
    // the document, counted apart from scrolling.
    bar->setValue(0);
    QElapsedTimer first;
    first.start();
    host->Relayout();
    {
        QPainter painter(&frame);
        host->render(&painter);
    }
    const double firstPaint = first.nsecsElapsed() / 1e6;
    std::vector<double> times;
    double layoutMax = 0;
    for (auto _ : state) {
        times.clear();
        QElapsedTimer total;
        total.start();
        for (int y = 0;; y = std::min(y + bar->pageStep(), bar->maximum())) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(y);
            host->Relayout();
            layoutMax = std::max(layoutMax, timer.nsecsElapsed() / 1e6);
            QPainter painter(&frame);
            host->render(&painter);
            painter.end();
            times.push_back(timer.nsecsElapsed() / 1e6);
            if (y == bar->maximum())
                break;
        }
        state.SetIterationTime(total.nsecsElapsed() / 1e9);
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    state.counters["frames"] = double(times.size());
    state.counters["layout_max_ms"] = layoutMax;
    state.counters["first_paint_ms"] = firstPaint;
    state.counters["characters"] = double(host->text.GetTextLength());
    state.counters["mean_ms"] = times.empty() ? 0 : sum / double(times.size());
    state.counters["p99_ms"] = times.empty() ? 0 : times[size_t(double(times.size() - 1) * 0.99)];
    state.counters["max_ms"] = times.empty() ? 0 : times.back();
}
BENCHMARK(BM_ScrollBrowserWithMargins)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
