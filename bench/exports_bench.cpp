// The table exports on the large project (5,000 documents, 300,000 codings):
// every coding with its text as a workbook and as an HTML page, the code
// matrix as tab text and as a workbook, and every document into folders.
// Each export is timed from the call to the file in place.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "exchange/tableexports.h"
#include "foundation/ids.h"

#include <QTemporaryDir>

namespace {

using namespace benchproject;

struct ExportProject : OpenLargeProject {
    bool Start(benchmark::State& state)
    {
        TableExports::SetOpener({});
        if (!Open(state))
            return false;
        shell.doc.SetExportService(&exports);
        g_qdaOptions.SetValueText(QdaOption::ExcelFormat, QStringLiteral("1"));
        return true;
    }
    QList<qint32> Codings()
    {
        QList<qint32> keys;
        shell.doc.GetDatabase().GetAllKeys(TopicId::Codings, keys);
        return keys;
    }
    TableExports exports;
    QTemporaryDir out;
};

/// Goal: at most 10 s and 600 MB above the loaded project.
void BM_CodingsAsWorkbook(benchmark::State& state)
{
    ExportProject project;
    if (!project.Start(state))
        return;
    const QList<qint32> codings = project.Codings();
    double above = 0;
    for (auto _ : state) {
        QString path = QDir(project.out.path()).filePath(QStringLiteral("codings.xlsx"));
        PeakAbove peak;
        if (!project.shell.doc.ExportRetrievedSegments(TopicId::Codings, codings, path, false)) {
            state.SkipWithError("the export failed");
            return;
        }
        above = std::max(above, peak.Megabytes());
    }
    state.counters["codings"] = double(codings.size());
    state.counters["mb_above_project"] = above;
}
BENCHMARK(BM_CodingsAsWorkbook)->Unit(benchmark::kSecond)->Iterations(1);

/// Goal: at most 5 s.
void BM_CodingsAsHtml(benchmark::State& state)
{
    ExportProject project;
    if (!project.Start(state))
        return;
    const QList<qint32> codings = project.Codings();
    for (auto _ : state)
        if (!project.shell.doc.ExportCodingsHtml(codings,
                                                 QDir(project.out.path()).filePath(QStringLiteral("codings.htm")))) {
            state.SkipWithError("the export failed");
            return;
        }
    state.counters["codings"] = double(codings.size());
}
BENCHMARK(BM_CodingsAsHtml)->Unit(benchmark::kSecond)->Iterations(1);

/// Goal: at most 1 s as tab text, 15 s as a workbook (range 1).
void BM_CodeMatrix(benchmark::State& state)
{
    ExportProject project;
    if (!project.Start(state))
        return;
    const bool excel = state.range(0) != 0;
    const QString path = QDir(project.out.path()).filePath(excel ? QStringLiteral("matrix.xlsx")
                                                                 : QStringLiteral("matrix.txt"));
    for (auto _ : state)
        if (!project.shell.doc.ExportTableExcel(path, false, true, excel)) {
            state.SkipWithError("the export failed");
            return;
        }
    TopicDatabase& db = project.shell.doc.GetDatabase();
    state.counters["documents"] = db.GetRowCount(TopicId::Documents);
    state.counters["codes"] = db.GetRowCount(TopicId::Codes);
}
BENCHMARK(BM_CodeMatrix)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Goal: at most 3 s.
void BM_DocumentsIntoFolders(benchmark::State& state)
{
    ExportProject project;
    if (!project.Start(state))
        return;
    int round = 0;
    for (auto _ : state)
        project.shell.doc.ExportDocumentFolders(QDir(project.out.path()).filePath(QString::number(++round)));
    state.counters["documents"] = project.shell.doc.GetDatabase().GetRowCount(TopicId::Documents);
}
BENCHMARK(BM_DocumentsIntoFolders)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
