// Word frequencies and the tag cloud over the large project, as the word
// counter's and the tag cloud's commands run them: every document read,
// decoded and counted, and the word table filled.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "dictionary/wordfrequency.h"
#include "document/kordoc.h"
#include "document/wordcounter.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <benchmark/benchmark.h>


namespace {

using namespace benchproject;

/// The large project open with the dictionary module's counter registered.
struct CountingProject {
    bool Open(benchmark::State& state)
    {
        if (!project.Open(state))
            return false;
        Doc().SetWordCounter(&counter);
        counter.SetDocument(&Doc());
        ReadAllTexts(Doc().GetDatabase(), bytes);
        return true;
    }
    void Close()
    {
        Doc().SetWordCounter(nullptr);
        project.shell.Close();
    }
    CKorDoc& Doc() { return project.shell.doc; }
    void Report(benchmark::State& state, const PeakAbove& peak)
    {
        TopicDatabase& db = Doc().GetDatabase();
        state.SetBytesProcessed(bytes * state.iterations());
        state.counters["rows"] = double(db.GetRowCount(TopicId::WordFrequencies));
        state.counters["columns"] = double(db.GetTable(TopicId::WordFrequencies)->Fields().Count());
        state.counters["row_bytes"] = double(db.GetTable(TopicId::WordFrequencies)->GetRowSize());
        state.counters["words"] = double(Doc().GetTotalWordCount());
        state.counters["peak_above_mb"] = peak.Megabytes();
    }

    OpenLargeProject project;
    dictionary::WordFrequencyCounter counter;
    qint64 bytes = 0;  // the documents' plain texts in UTF-8
};

/// The word counter of the unit over all documents into the word table.
void CountAll(benchmark::State& state, qint32 unit)
{
    CountingProject project;
    if (!project.Open(state))
        return;
    const PeakAbove peak;
    for (auto _ : state)
        project.Doc().CountWordsAll(unit, nullptr);
    project.Report(state, peak);
    project.Close();
}

/// All documents counted together into the word table (unit 0).
/// Goal: at most 1.5 s.
void BM_WordFrequenciesOfAllDocuments(benchmark::State& state)
{
    CountAll(state, WordCountUnit::All);
}
BENCHMARK(BM_WordFrequenciesOfAllDocuments)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Counted per document: one count column per document of the project.
/// Goal: at most 3 s and 250 MB above the loaded project.
void BM_WordFrequenciesPerDocument(benchmark::State& state)
{
    CountAll(state, WordCountUnit::PerDocument);
}
BENCHMARK(BM_WordFrequenciesPerDocument)->Unit(benchmark::kMillisecond)->Iterations(1);

/// The tag cloud of all documents, with the word table it fills.
/// Goal: at most 1.5 s.
void BM_TagCloudOfAllDocuments(benchmark::State& state)
{
    CountingProject project;
    if (!project.Open(state))
        return;
    QList<qint32> documents;
    project.Doc().GetDatabase().GetAllKeys(TopicId::Documents, documents);
    const PeakAbove peak;
    qint64 size = 0;
    for (auto _ : state) {
        QByteArray rtf;
        project.Doc().CollectWords(documents, rtf);
        size = rtf.size();
    }
    project.Report(state, peak);
    state.counters["rtf_bytes"] = double(size);
    project.Close();
}
BENCHMARK(BM_TagCloudOfAllDocuments)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
