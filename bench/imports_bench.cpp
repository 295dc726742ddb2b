// The structured-text and XML project imports on large inputs.
// Goals: a structured RTF of 100 MB (5,000 "#TEXT" blocks, 100,000 "#CODE"
// regions) in at most 30 s and 2.5 GB peak; an XML project of 2,000 RTF
// data sources (20 MB) and 100,000 quotations in at most 15 s.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "document/kordoc.h"
#include "exchange/structuredtextimport.h"
#include "exchange/xmlprojectimport.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kBlocks = 5000;
constexpr int kRegionsPerBlock = 20;
constexpr int kSources = 2000;
constexpr int kQuotationsPerSource = 50;

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// One paragraph of about 450 bytes with some formatting.
QByteArray Paragraph(int n)
{
    QByteArray text = "\\b R" + QByteArray::number(n % 7) + ":\\b0  ";
    while (text.size() < 450)
        text += "we talked about what the change meant for each of us, \\i and\\i0  some said it was hard; ";
    return text + "\\par\n";
}

QByteArray StructuredRtf()
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\viewkind4\\uc1\\pard\\fs20\n";
    rtf.reserve(110 * 1024 * 1024);
    int paragraph = 0;
    for (int block = 0; block < kBlocks; ++block) {
        rtf += "#TEXT Interview " + QByteArray::number(block + 1) + "\\par\n";
        for (int region = 0; region < kRegionsPerBlock; ++region) {
            rtf += "#CODE Theme " + QByteArray::number(region % 10) + "\\\\Sub " + QByteArray::number(region) + "#" +
                   Paragraph(paragraph++);
            rtf += Paragraph(paragraph++);
            if (region % 2 == 0)
                rtf += "#ENDCODE\\par\n";
        }
        rtf += "#ENDTEXT\\par\n";
    }
    return rtf + "}";
}

std::unique_ptr<CKorDoc> NewProject(const QTemporaryDir& folder)
{
    auto doc = std::make_unique<CKorDoc>();
    if (!doc->OpenProject(doc->CreateProjectFile(folder.filePath(QStringLiteral("bench.kv4")), QStringLiteral("MAIN")),
                          false))
        return nullptr;
    return doc;
}

void OpenStrings()
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    g_qdaOptions.SetInt(QdaOption::LargeFileQuestionMB, 100);
}

void BM_StructuredText100MB(benchmark::State& state)
{
    OpenStrings();
    QTemporaryDir sources;
    const QString path = sources.filePath(QStringLiteral("structured.rtf"));
    if (!WriteBytes(path, StructuredRtf())) {
        state.SkipWithError("no source");
        return;
    }
    qint32 documents = 0;
    qint32 codings = 0;
    double peak = 0;
    double above_MB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        std::unique_ptr<CKorDoc> doc = NewProject(folder);
        if (!doc) {
            state.SkipWithError("no project");
            return;
        }
        const PeakAbove above;
        state.ResumeTiming();
        QString reason;
        if (!StructuredTextImport(*doc).ImportFile(path, 0, false, reason)) {
            state.SkipWithError(qPrintable(reason));
            return;
        }
        state.PauseTiming();
        peak = PeakSinceResetMegabytes();  // the whole process, from the import's start
        above_MB = above.Megabytes();
        documents = doc->GetDatabase().GetRowCount(TopicId::Documents);
        codings = doc->GetDatabase().GetRowCount(TopicId::Codings);
        doc->CloseDatabase();
        state.ResumeTiming();
    }
    state.counters["documents"] = documents;
    state.counters["codings"] = codings;
    state.counters["peak_MB"] = peak;
    state.counters["above_MB"] = above_MB;
    state.counters["source_MB"] = double(QFileInfo(path).size()) / (1024 * 1024);
}
BENCHMARK(BM_StructuredText100MB)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_XmlProject(benchmark::State& state)
{
    OpenStrings();
    QTemporaryDir sources;
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<storedHU name=\"Bench\">\n<codes>\n";
    for (int code = 0; code < 200; ++code)
        xml += "<code id=\"co" + QByteArray::number(code) + "\" name=\"Theme " + QByteArray::number(code % 20) +
               "\\Code " + QByteArray::number(code) + "\" color=\"2080C0\" cDate=\"2020-01-02T03:04:05\"/>\n";
    xml += "</codes>\n<dataSources>\n";
    QByteArray body = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    while (body.size() < 10 * 1024)
        body += "The interview went on about trust, work and what the changes meant to each of them.\\par ";
    body += "}";
    QByteArray documents = "<primDocs>\n";
    QByteArray codings = "<codings>\n";
    for (int source = 0; source < kSources; ++source) {
        const QByteArray n = QByteArray::number(source);
        WriteBytes(sources.filePath(QStringLiteral("source %1.rtf").arg(source)), body);
        xml += "<dataSource id=\"ds" + n + "\" loc=\"&lt;HUPATH&gt;\\source " + n + ".rtf\" mime=\"text/rtf\"/>\n";
        documents += "<primDoc id=\"pd" + n + "\" name=\"Document " + n + "\" loc=\"ds" + n + "\"><quotations>\n";
        for (int q = 0; q < kQuotationsPerSource; ++q) {
            const QByteArray id = "q" + n + "_" + QByteArray::number(q);
            const QByteArray paragraph = QByteArray::number(q % 100 + 1);
            documents += "<q id=\"" + id + "\" loc=\"3@" + paragraph + ",40@" + paragraph + "!\"/>\n";
            codings += "<iLink obj=\"co" + QByteArray::number((source + q) % 200) + "\" qRef=\"" + id + "\"/>\n";
        }
        documents += "</quotations></primDoc>\n";
    }
    xml += "</dataSources>\n" + documents + "</primDocs>\n<links><objectSegmentLinks>\n" + codings +
           "</codings></objectSegmentLinks></links>\n</storedHU>\n";
    const QString path = sources.filePath(QStringLiteral("Bench.xml"));
    WriteBytes(path, xml);
    qint32 made = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        std::unique_ptr<CKorDoc> doc = NewProject(folder);
        if (!doc) {
            state.SkipWithError("no project");
            return;
        }
        state.ResumeTiming();
        const CXmlProjectImport import(*doc, path, sources.path());
        state.PauseTiming();
        if (!import.Succeeded()) {
            state.SkipWithError(qPrintable(import.Error()));
            return;
        }
        made = doc->GetDatabase().GetRowCount(TopicId::Codings);
        doc->CloseDatabase();
        state.ResumeTiming();
    }
    state.counters["codings"] = made;
    state.counters["xml_MB"] = double(xml.size()) / (1024 * 1024);
}
BENCHMARK(BM_XmlProject)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
