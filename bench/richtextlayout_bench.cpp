// Laying out rich text: the first layout of a one-page document with a
// hyperlink (whose instruction is hidden text) in a program whose fonts are
// loaded already, the same page with and without the link, and the paragraph
// ranges of texts of many short tables (each a row with a link), at growing
// sizes: the time per byte stays flat when the work is linear.
#include "bench/guibenchmain.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfreader.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

namespace {

// About one printed page of a transcript: formatted paragraphs of several
// scripts, with a hyperlink in the middle when asked.
QByteArray PageRtf(bool withLink)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 "
                     "Times New Roman;}}\n{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green0\\blue255;}\n"
                     "\\viewkind4\\uc1\\pard\\fs20\n";
    for (int i = 0; i < 14; ++i) {
        rtf += "\\pard\\sa120 [00:" + QByteArray::number(10 + i) + "] \\b R:\\b0  Well, at first we were all \\i "
               "surprised\\i0 ; then we started to talk about what it meant for each of us, and some people were "
               "\\cf1 quite angry\\cf0 . Gr\\'fc\\'dfe aus K\\'f6ln, \\u1076?\\u1086?\\u1073?\\u1088?\\u1099?\\u1081? "
               "\\f1\\fs24 larger\\f0\\fs20  text.\\par\n";
        if (i == 7)
            rtf += withLink ? QByteArray("\\pard See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/study\"}}"
                                         "{\\fldrslt{\\ul\\cf2 the study page}}} for more.\\par\n")
                            : QByteArray("\\pard See {\\ul\\cf2 the study page} for more.\\par\n");
    }
    return rtf + "}\n";
}

// Reads the RTF and lays it out at the width of the hidden control.
void ReadAndLayOut(const QByteArray& rtf)
{
    QTextDocument document;
    document.setTextWidth(500);
    rtf::ReadRtf(rtf, document);
    benchmark::DoNotOptimize(document.documentLayout()->documentSize());
}

// Measured once: later layouts find every font in the cache. The fonts of
// the visible text are loaded before, as in a program that shows text.
void BM_FirstLayoutOfAPageWithLink(benchmark::State& state)
{
    ReadAndLayOut(PageRtf(false));
    const QByteArray rtf = PageRtf(true);
    for (auto _ : state)
        ReadAndLayOut(rtf);
}
BENCHMARK(BM_FirstLayoutOfAPageWithLink)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LayoutOfAPage(benchmark::State& state)
{
    const QByteArray rtf = PageRtf(state.range(0) != 0);
    for (auto _ : state)
        ReadAndLayOut(rtf);
    state.SetLabel(state.range(0) ? "with link" : "without link");
}
BENCHMARK(BM_LayoutOfAPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Rows of two cells: a link and a line of text in the first (two
// paragraphs, so the table's layout decides which paragraphs share a line),
// a number in the second; a note between the tables.
QByteArray ShortTablesRtf(int tables)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\n\\viewkind4\\uc1\\pard"
                     "\\fs20 Codes\\par\n";
    for (int i = 0; i < tables; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        rtf += "\\trowd\\trgaph108\\cellx2500\\cellx3500\\pard\\intbl {\\field{\\*\\fldinst{HYPERLINK "
               "\"http://example.org/c" + n + "\"}}{\\fldrslt{\\ul Code}}}\\par seen " + n + "\\cell " + n +
               "\\cell\\row\n\\pard Note " + n + ".\\par\n";
    }
    return rtf + "}\n";
}

void BM_ParagraphRangesOfShortTables(benchmark::State& state)
{
    const QByteArray rtf = ShortTablesRtf(int(state.range(0)));
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    for (auto _ : state) {
        // Loaded each time: the ranges are taken once per loaded text.
        state.PauseTiming();
        edit->StreamInRtf(&rtf, false);
        state.ResumeTiming();
        benchmark::DoNotOptimize(GetParagraphRanges(*edit).size());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ParagraphRangesOfShortTables)->Arg(14)->Arg(56)->Arg(224)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
