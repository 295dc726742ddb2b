// The teamwork exchange on the large project: every document exported into
// a new exchange file; and an exchange file of 500 of its documents with
// their codings imported back into it, where every coding meets its twin.

#include "bench/benchmemory.h"
#include "bench/largeproject.h"
#include "document/rowfields.h"
#include "exchange/teamexchange.h"

#include <QTemporaryDir>

namespace {

using namespace benchproject;

constexpr qint32 kSampleDocuments = 500;

/// Assigns every document of the file to the project document of its name.
class NameHost : public IExchangeImportHost {
public:
    bool ChooseExchangeImport(const TopicDatabase& exchange, const TopicDatabase& project, const QString&,
                              const QList<qint32>& candidates, ExchangeChoices& choices) override
    {
        QHash<QString, qint32> byName;
        for (const qint32 candidate : candidates)
            byName.insert(project.FormatRowDisplay(TopicId::Documents, candidate, false), candidate);
        QList<qint32> documents;
        exchange.GetAllKeys(TopicId::Documents, documents);
        for (const qint32 document : std::as_const(documents))
            choices.assignment.insert(document,
                                      byName.value(exchange.FormatRowDisplay(TopicId::Documents, document, false)));
        choices.codingMode = OverlapMode::Union;
        choices.protocol = false;
        return true;
    }
    void OpenProtocol(const QString&) override {}
};

/// Goal: at most 8 s.
void BM_ExportAllDocumentsToExchange(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        OpenLargeProject project;
        if (!project.Open(state))
            return;
        TeamExchange exchange;
        project.shell.doc.SetExchangeService(&exchange);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("all.kex"));
        state.ResumeTiming();
        if (!project.shell.doc.ExportDocumentsToExchange(file, 0, 0)) {
            state.SkipWithError("the export failed");
            return;
        }
        state.PauseTiming();
        state.counters["file_mb"] = double(QFileInfo(file).size()) / 1e6;
        project.shell.doc.SetExchangeService(nullptr);
        project.shell.Close();
        state.ResumeTiming();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ExportAllDocumentsToExchange)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Goal: at most 2 s, nothing added.
void BM_ImportExchangeOfFiveHundredDocumentsBack(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        OpenLargeProject project;
        if (!project.Open(state))
            return;
        CKorDoc& doc = project.shell.doc;
        TeamExchange exchange;
        doc.SetExchangeService(&exchange);
        // The first 500 documents go into a group of their own, which is
        // exported: they and their codings are the exchange file.
        TopicDatabase& db = doc.GetDatabase();
        const qint32 sample = doc.NewDocumentGroupNamed(QStringLiteral("Sample"));
        QList<qint32> documents;
        db.GetAllKeys(TopicId::Documents, documents);
        for (const qint32 document : documents.mid(0, kSampleDocuments)) {
            RowBuffer row;
            if (!db.ReadRow(TopicId::Documents, document, row, false) ||
                !rowfields::SetInt(row, DocumentField::GroupID, sample) || !row.Commit(false, false)) {
                state.SkipWithError("the sample group was not made");
                return;
            }
        }
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("sample.kex"));
        if (!doc.ExportDocumentsToExchange(file, 1, sample)) {
            state.SkipWithError("the export failed");
            return;
        }
        const qint32 codings = db.GetRowCount(TopicId::Codings);
        NameHost host;
        ExchangeChoices choices;
        state.ResumeTiming();
        if (!doc.ImportExchangeFile(file, 0, 0, host, choices)) {
            state.SkipWithError("the import failed");
            return;
        }
        state.PauseTiming();
        state.counters["added_codings"] = db.GetRowCount(TopicId::Codings) - codings;
        doc.SetExchangeService(nullptr);
        project.shell.Close();
        state.ResumeTiming();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ImportExchangeOfFiveHundredDocumentsBack)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
