// The lexical search and the autocoding of its hits on the large project
// (5,000 rich-text documents, about 50 MB of text):
// - BM_SearchAndCodeWhich: the find command's search for the word "which"
//   in every document, its hits written into the search-hit table, then
//   every hit coded with one code (one transaction, one retrieval), as a
//   user runs it; /0 with the project just opened (cold), /1 after a first
//   search decoded the documents' plain texts (warm). Goal: at most 0.5 s
//   warm and 1.0 s cold on one core.
// - BM_PlainSearchWhich: the lexical matcher alone over the documents'
//   texts, read through the rich-edit control beforehand. Goal: at least
//   100 MB/s of text (UTF-8 bytes).
// - BM_DictionaryWordsOnePass: 200 dictionary words in one pass over the
//   same texts, as the category search finds them.

#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "document/documentids.h"
#include "foundation/optionsrecord.h"
#include "foundation/richtexthelpers.h"
#include "foundation/searchsettings.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/dictionarymatcher.h"
#include "retrieval/lexicalengine.h"
#include "retrieval/retrievalengine.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topicsearchsource.h"

#include <QElapsedTimer>
#include <QSet>

namespace {

using namespace benchproject;

void BM_SearchAndCodeWhich(benchmark::State& state)
{
    qint64 hits = 0;
    qint32 made = 0;
    double searchMs = 0;
    double codeMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OpenLargeProject project;
        if (!project.Open(state))
            return;
        CKorDoc& doc = project.shell.doc;
        TopicDatabase& db = doc.GetDatabase();
        retrieval::RetrievalEngine retrieval;
        retrieval::LexicalEngine lexical;
        lexical.SetFileOpener(nullptr);
        doc.SetRetrievalService(&retrieval);
        doc.SetLexicalService(&lexical);
        CodeRecord record;
        record.name = QStringLiteral("which");
        const qint32 code = doc.NewCode(record);
        project.shell.log.Take();
        if (state.range(0) != 0)
            FindWord(db, QStringLiteral("which"), false);
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        hits = FindWord(db, QStringLiteral("which"), true);
        searchMs = double(timer.restart());
        doc.GetRetrievalSettings().hitExtent = 0;
        made = doc.AutoCodeSearchHits(code);
        codeMs = double(timer.elapsed());

        state.PauseTiming();
        doc.SetLexicalService(nullptr);
        doc.SetRetrievalService(nullptr);
        project.shell.Close();
        state.ResumeTiming();
    }
    state.counters["hits"] = double(hits);
    state.counters["codings"] = made;
    state.counters["search_ms"] = searchMs;
    state.counters["code_ms"] = codeMs;
}
BENCHMARK(BM_SearchAndCodeWhich)->ArgName("warm")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

/// The texts of the large project, read once for the matcher benchmarks.
struct Texts {
    QStringList texts;
    qint64 bytes = 0;
    bool Load(benchmark::State& state)
    {
        if (!texts.isEmpty())
            return true;
        OpenLargeProject project;
        if (!project.Open(state))
            return false;
        texts = ReadAllTexts(project.shell.doc.GetDatabase(), bytes);
        project.shell.Close();
        return true;
    }
};

Texts& ProjectTexts()
{
    static Texts texts;
    return texts;
}

void BM_PlainSearchWhich(benchmark::State& state)
{
    Texts& texts = ProjectTexts();
    if (!texts.Load(state))
        return;
    retrieval::LexicalEngine engine;
    qint64 found = 0;
    for (auto _ : state) {
        found = 0;
        LexicalSearch search;
        search.pattern = QStringLiteral("which");
        search.wholeWord = true;
        for (qsizetype i = 0; i < texts.texts.size(); ++i) {
            LexicalHitList hits;
            search.document = qint32(i + 1);
            search.text = texts.texts[i];
            found += engine.RunLexicalSearch(search, hits);
        }
    }
    state.SetBytesProcessed(state.iterations() * texts.bytes);
    state.counters["hits"] = double(found);
}
BENCHMARK(BM_PlainSearchWhich)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DictionaryWordsOnePass(benchmark::State& state)
{
    Texts& texts = ProjectTexts();
    if (!texts.Load(state))
        return;
    // 200 distinct words of the corpus, as whole words ignoring case.
    QList<retrieval::DictionaryWord> words;
    QSet<QString> seen;
    for (const QString& text : std::as_const(texts.texts)) {
        for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
            const QString lower = word.toLower();
            if (lower.size() < 4 || !std::all_of(lower.begin(), lower.end(), [](QChar c) { return c.isLetter(); }) ||
                seen.contains(lower))
                continue;
            seen.insert(lower);
            retrieval::DictionaryWord entry;
            entry.entry = entry.category = qint32(words.size() + 1);
            entry.word = lower;
            entry.wholeWord = true;
            words.append(entry);
            if (words.size() == 200)
                break;
        }
        if (words.size() == 200)
            break;
    }
    const retrieval::DictionaryMatcher matcher(words, false);
    qint64 found = 0;
    for (auto _ : state) {
        found = 0;
        std::vector<retrieval::PendingHit> pending;
        for (qsizetype i = 0; i < texts.texts.size(); ++i) {
            pending.clear();
            LexicalHit place;
            place.document = qint32(i + 1);
            matcher.Find(texts.texts[i], 0, place, pending);
            LexicalHitList hits;
            retrieval::KeepFirstHits(pending, hits, nullptr);
            found += hits.size();
        }
    }
    state.SetBytesProcessed(state.iterations() * texts.bytes);
    state.counters["hits"] = double(found);
    state.counters["words"] = double(words.size());
}
BENCHMARK(BM_DictionaryWordsOnePass)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
