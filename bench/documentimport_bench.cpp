// The document file import and the PDF engine's page texts.
// Goals: 100 rich-text files of 500 KB imported in at most 4 s (read on
// helper threads, one write); 20 Word files of 50 KB in at most 5 s (one
// LibreOffice run); every page text of a dense 300-page PDF in at most
// 0.8 s.

#include "bench/guibenchmain.h"
#include "bench/rtfsample.h"
#include "document/documentfileimport.h"
#include "document/kordoc.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "platform/office/officeconverter.h"
#include "platform/pdf/pdfengine.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "tests/common/pdfbuilder.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// Imports the files into a new project per run; the project is made
/// outside the timing.
void RunImports(benchmark::State& state, const QStringList& files, qsizetype expected)
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    g_qdaOptions.SetInt(QdaOption::LargeFileQuestionMB, 100);
    qsizetype made = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        CKorDoc doc;
        if (!doc.OpenProject(doc.CreateProjectFile(folder.filePath(QStringLiteral("bench.kv4")), QStringLiteral("MAIN")),
                             false)) {
            state.SkipWithError("no project");
            return;
        }
        QStringList paths = files;
        QList<qint32> ids;
        state.ResumeTiming();
        DocumentFileImport(doc).Run(0, &paths, &ids, true);
        state.PauseTiming();
        made = ids.size() - ids.count(0);
        doc.CloseDatabase();
        state.ResumeTiming();
    }
    if (made != expected)
        state.SkipWithError(qPrintable(QStringLiteral("%1 of %2 documents made").arg(made).arg(expected)));
    state.counters["documents"] = double(made);
}

void BM_ImportRichTextFiles(benchmark::State& state)
{
    QTemporaryDir sources;
    const QByteArray rtf = MakeSampleRtf(500 * 1024);
    QStringList files;
    for (int i = 0; i < 100; ++i) {
        files.append(sources.filePath(QStringLiteral("transcript %1.rtf").arg(i)));
        WriteBytes(files.last(), rtf);
    }
    RunImports(state, files, files.size());
}
BENCHMARK(BM_ImportRichTextFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ImportWordFiles(benchmark::State& state)
{
    if (FindOfficeProgram().isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    QTemporaryDir sources;
    QTemporaryDir made;
    QStringList rtfs;
    for (int i = 0; i < 20; ++i) {
        rtfs.append(made.filePath(QStringLiteral("memo %1.rtf").arg(i)));
        WriteBytes(rtfs.last(), MakeSampleRtf(50 * 1024));
    }
    QStringList outputs;
    QString error;
    ConvertManyWithOffice(rtfs, QStringLiteral("docx:MS Word 2007 XML"), sources.path(), outputs, error);
    if (outputs.count(QString()) > 0) {
        state.SkipWithError(qPrintable(QStringLiteral("no Word files: ") + error));
        return;
    }
    RunImports(state, outputs, outputs.size());
}
BENCHMARK(BM_ImportWordFiles)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

/// 300 pages of 60 lines each, as a dense text page holds them.
QByteArray DensePdf()
{
    QList<std::function<void(QPainter&)>> pages;
    for (int page = 0; page < 300; ++page)
        pages.append([page](QPainter& painter) {
            painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
            for (int line = 0; line < 60; ++line)
                painter.drawText(QPointF(36, 40 + 12 * line),
                                 QStringLiteral("Page %1 line %2: the interview went on about trust, work and "
                                                "what the changes meant to each of them.")
                                     .arg(page + 1)
                                     .arg(line + 1));
        });
    return testutil::MakePdf(QSizeF(595, 842), pages);
}

void BM_AllPageTexts(benchmark::State& state)
{
    const QByteArray pdf = DensePdf();
    qint64 characters = 0;
    for (auto _ : state) {
        PdfEngine engine;
        if (!engine.Load(pdf)) {
            state.SkipWithError("the PDF was refused");
            return;
        }
        characters = 0;
        for (int page = 0; page < engine.PageCount(); ++page)
            characters += engine.PageText(page).size();
    }
    state.counters["characters"] = double(characters);
}
BENCHMARK(BM_AllPageTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
