// Opening the large project (the synthetic corpus at scale 1, or
// $KORVAN_BENCH_SCALE: 5,000 documents, 3,552 codes, 300,000 codings,
// 20,000 memos) through the project document: the file opened, every topic
// loaded and named, the guard keys of the one-time repairs read, the
// settings loaded, the trees announced to a pane that records every call.
// Goal: at most 1.0 s and 1 GB. Then the frame's closing sequence.
// rss_mb is the resident memory with the project open, peak_rss_mb the
// process's peak so far.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "bench/projectgenerator.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/wordcounts.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/retrievalengine.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "tests/common/recordingpane.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <memory>
#include <tuple>

namespace {

using namespace benchproject;

void BM_OpenLargeProject(benchmark::State& state)
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    ProjectCopy copy;
    QString error;
    if (!copy.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    qint64 rows = 0;
    size_t broadcasts = 0;
    for (auto _ : state) {
        Shell shell;
        if (!shell.Open(copy.Path())) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.PauseTiming();
        rows = 0;
        for (qint32 topic : kStoredTopics)
            rows += shell.doc.GetDatabase().GetRowCount(topic);
        broadcasts = shell.log.calls.size();
        state.counters["rss_mb"] = ResidentMegabytes();
        shell.Close();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
    state.counters["broadcasts"] = double(broadcasts);
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_OpenLargeProject)->Unit(benchmark::kMillisecond)->Iterations(5);

/// Closing: settings saved, windows reset, tables emptied, the file
/// checkpointed and closed.
void BM_CloseLargeProject(benchmark::State& state)
{
    ProjectCopy copy;
    QString error;
    if (!copy.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Shell shell;
        if (!shell.Open(copy.Path())) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.ResumeTiming();
        shell.Close();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_CloseLargeProject)->Unit(benchmark::kMillisecond)->Iterations(3);

/// The first open of a project without any repair key (a converted legacy
/// project): every one-time repair walks the whole project once; each
/// document's text is streamed through the rich-edit control once for all.
void BM_FirstOpenRunsEveryRepair(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        ProjectCopy copy;
        QString error;
        if (!copy.Make(&error, false)) {
            state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
            return;
        }
        Shell shell;
        state.ResumeTiming();
        if (!shell.Open(copy.Path())) {
            state.SkipWithError("the project did not open");
            return;
        }
        state.PauseTiming();
        shell.Close();
        state.ResumeTiming();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_FirstOpenRunsEveryRepair)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- Project objects: code frequencies and new documents ---------------------

/// Writes a text coding on page 1 straight through the store, as a
/// benchmark's preparation; no counter changes.
void AddTextCoding(TopicDatabase& db, qint32 document, qint32 code, qint32 start, qint32 finish)
{
    RowBuffer row;
    FieldValue value;
    db.AddRow(TopicId::Codings, row, -1);
    const std::pair<qint32, qint32> fields[] = {{CodingField::Document, document}, {CodingField::Code, code},
                                                {CodingField::StartChar, start},   {CodingField::FinishChar, finish},
                                                {CodingField::IsText, 1},          {CodingField::Page, 1}};
    for (const auto& [field, number] : fields) {
        if (row.GetFieldValue(field, value))
            value.SetInt(number);
    }
    row.Commit(false, true);
}

/// Sets or clears the activated bit of every n-th document from first on,
/// in memory, as activation does.
void ActivateDocuments(TopicDatabase& db, int first, int step)
{
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    for (qsizetype i = 0; i < documents.size(); ++i) {
        RowBuffer row;
        FieldValue state;
        if (!db.ReadRow(TopicId::Documents, documents.at(i), row, false) ||
            !row.GetFieldValue(DocumentField::State, state))
            continue;
        const bool on = i >= first && (i - first) % step == 0;
        state.SetInt(on ? state.GetInt() | ObjectState::Activated : state.GetInt() & ~ObjectState::Activated);
        row.WriteBack();
    }
}

/// The frequencies of every code (activated codings, coded documents,
/// shares) recounted from all codings and rolled up into the parent codes,
/// as after each activation change: the recount runs only with the option
/// "frequencies with subcodes", which this benchmark switches on. Each run
/// finds other documents activated, so every code changes and is
/// announced. Goal: at most 50 ms.
void BM_CodeFrequenciesOfAllCodes(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    g_qdaOptions.SetValueText(QdaOption::FrequenciesWithSubcodes, QStringLiteral("1"));
    doc.SetAutoFrequencies(true);
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ActivateDocuments(doc.GetDatabase(), run++ % 3, 3);
        project.shell.log.Take();
        state.ResumeTiming();
        doc.UpdateCodeFrequencies(0);
    }
    state.counters["codes"] = double(doc.GetDatabase().GetRowCount(TopicId::Codes));
    state.counters["codings"] = double(doc.GetDatabase().GetRowCount(TopicId::Codings));
    state.counters["broadcasts"] = double(project.shell.log.calls.size());
    project.shell.Close();
}
BENCHMARK(BM_CodeFrequenciesOfAllCodes)->Unit(benchmark::kMillisecond)->Iterations(10);

/// 1,000 rich-text documents of a few paragraphs made in one transaction
/// in the large project, each measured through the hidden rich-edit
/// control, written and announced. Goal: at most 0.5 s.
void BM_CreateThousandDocuments(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("Benchmark"));
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 "
                           "The interviewer asks about the first day at work.\\par "
                           "She answers that it was {\\b long} and full of new faces.\\par "
                           "Later she adds that the team helped her a lot.}";
    int made = 0;
    for (auto _ : state) {
        StoreTransaction transaction(&doc.GetDatabase());
        for (int i = 0; i < 1000; ++i)
            made += doc.NewDocument(group, QStringLiteral("Interview %1").arg(i), rtf, QString()) ? 1 : 0;
        transaction.Commit();
        state.PauseTiming();
        project.shell.log.Take();
        state.ResumeTiming();
    }
    state.counters["documents_made"] = double(made);
    project.shell.Close();
}
BENCHMARK(BM_CreateThousandDocuments)->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- Word counts and coder agreement -------------------------------------------

/// The words of all documents of the large project counted into one word
/// map, as the word-frequency command does once their plain texts are at
/// hand (read through the rich-edit control beforehand). Bytes are the
/// texts' UTF-8 size. Goal: at least 50 MB/s.
void BM_WordCountsOfAllDocuments(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    TopicDatabase& db = doc.GetDatabase();
    qint64 bytes = 0;
    const QStringList texts = ReadAllTexts(db, bytes);
    qint64 words = 0;
    for (auto _ : state) {
        WordCounts counts;
        words = 0;
        for (const QString& original : std::as_const(texts)) {
            QString text = original;
            words += doc.CountWords(text, counts, nullptr, true);
        }
        benchmark::DoNotOptimize(counts);
    }
    state.SetBytesProcessed(bytes * state.iterations());
    state.counters["documents"] = double(texts.size());
    state.counters["words"] = double(words);
    project.shell.Close();
}
BENCHMARK(BM_WordCountsOfAllDocuments)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Two coders' documents of 1,000 codings each over 20 codes, the second
/// coder's segments shifted a little, compared with all codes listed.
/// Goal: at most 10 ms.
void BM_CoderAgreementOfTwoDocuments(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    TopicDatabase& db = doc.GetDatabase();
    const qint32 first = doc.NewDocument(0, QStringLiteral("Coder 1"), {}, QString());
    const qint32 second = doc.NewDocument(0, QStringLiteral("Coder 2"), {}, QString());
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    codes = codes.mid(0, 20);
    {
        StoreTransaction transaction(&db);
        for (int i = 0; i < 1000; ++i) {
            for (const qint32 document : {first, second}) {
                const qint32 shift = document == second ? (i % 7) * 3 : 0;
                AddTextCoding(db, document, codes.at(i % codes.size()), i * 50 + shift, i * 50 + 40 + shift);
            }
        }
        transaction.Commit();
    }
    for (auto _ : state)
        doc.CompareCoderSegments(first, second, codes, 50);
    state.counters["comparison_rows"] = double(db.GetRowCount(TopicId::CoderComparison));
    project.shell.Close();
}
BENCHMARK(BM_CoderAgreementOfTwoDocuments)->Unit(benchmark::kMillisecond)->Iterations(10);

// ---- Codings ---------------------------------------------------------------------

/// A document of the large project with at least 200 codings (topped up
/// with codings of its own code) and a code that none of them has.
struct CodingTarget {
    bool Prepare(CKorDoc& doc)
    {
        TopicDatabase& db = doc.GetDatabase();
        QList<qint32> documents;
        QList<qint32> codes;
        db.GetAllKeys(TopicId::Documents, documents);
        db.GetAllKeys(TopicId::Codes, codes);
        if (documents.isEmpty() || codes.size() < 2)
            return false;
        document = documents.at(documents.size() / 2);
        code = codes.last();
        const qint32 filler = codes.at(codes.size() - 2);
        QList<qint32> codings;
        db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        qint32 action = 0;
        StoreTransaction transaction(&db);
        for (qsizetype i = codings.size(); i < 200; ++i) {
            CodingRecord record = Segment(filler, 1'000'000 + qint32(i) * 10);
            doc.AddCoding(record, action, OverlapMode::Drop, nullptr, false);
        }
        codings.clear();
        db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        for (const qint32 coding : std::as_const(codings)) {
            if (db.GetIntValue(TopicId::Codings, coding, CodingField::Code) == code)
                return false;
        }
        before = qint32(codings.size());
        return transaction.Commit() && before >= 200;
    }
    /// A coding of the code in the document, as the browser hands it over.
    CodingRecord Segment(qint32 withCode, qint32 start) const
    {
        CodingRecord record;
        record.TextID = document;
        record.WordID = withCode;
        record.StartChar = start;
        record.FinishChar = start + 5;
        record.StartPara = 1;
        record.FinishPara = 1;
        record.Weight = 50;
        record.Preview = QStringLiteral("a coded segment");
        record.Text = "{\\rtf1\\ansi a coded segment}";
        return record;
    }

    qint32 document = 0;
    qint32 code = 0;
    qint32 before = 0;
};

/// One coding added to a document that already has 200 codings, as the
/// browser codes a selection: the segment's rich text and preview taken
/// from the document open in a rich-edit control, the overlap test
/// against the codings, the coding and the counters of its code and
/// document written to the file in one transaction, the new coding
/// announced to a pane, and, since code and document are activated, the
/// retrieval run again by the caller. Goal: at most 2 ms median.
void BM_AddCodingToCodedDocument(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    retrieval::RetrievalEngine engine;
    doc.SetRetrievalService(&engine);
    CodingTarget target;
    if (!target.Prepare(doc)) {
        state.SkipWithError("no document to code");
        return;
    }
    // The shown document, as the browser holds it.
    const std::unique_ptr<CRichEditCtrlEx> shown = CreateHiddenRichEdit();
    RowBuffer row;
    FieldValue text;
    if (!doc.GetDatabase().ReadRow(TopicId::Documents, target.document, row, true) ||
        !row.GetFieldValue(DocumentField::Text, text) || !text.GetBlob()) {
        state.SkipWithError("the document has no text");
        return;
    }
    shown->StreamInRtf(text.GetBlob(), false);
    const qint32 length = shown->GetTextLength();
    if (length < 100) {
        state.SkipWithError("the document's text is too short");
        return;
    }
    // Only the document and the code activated: the rerun retrieves the
    // code's codings in it.
    using Activation = std::tuple<qint32, qint32, qint32>;  // topic, state field, key
    for (const auto& [topic, field, key] : {Activation{TopicId::Documents, DocumentField::State, target.document},
                                            Activation{TopicId::Codes, CodeField::State, target.code}}) {
        RowBuffer activated;
        FieldValue bits;
        if (doc.GetDatabase().ReadRow(topic, key, activated, false) && activated.GetFieldValue(field, bits)) {
            bits.SetInt(bits.GetInt() | ObjectState::Activated);
            activated.WriteBack();
        }
    }
    project.shell.log.Take();
    qint32 next = 0;  // each run codes a new place
    qint64 written = 0;
    qint64 reruns = 0;
    for (auto _ : state) {
        const qint32 start = next % (length - 10);
        next += 7;
        CodingRecord record = target.Segment(target.code, start);
        shown->SetSel(start, record.FinishChar);
        shown->StreamOutRtf(&record.Text, true, true);
        record.Preview = GetRichEditTextRange(shown.get(), start, record.FinishChar, 63);
        qint32 action = 0;
        bool stored = false;
        if (doc.AddCoding(record, action, OverlapMode::Replace, &stored, true)) {
            doc.RunRetrieval(doc.GetRetrievalSettings(), 0);
            ++reruns;
        }
        written += stored;
    }
    state.counters["codings_written"] = double(written);
    state.counters["retrieval_reruns"] = double(reruns);
    state.counters["codings_before"] = double(target.before);
    state.counters["broadcasts"] = double(project.shell.log.calls.size());
    doc.SetRetrievalService(nullptr);
    project.shell.Close();
}
BENCHMARK(BM_AddCodingToCodedDocument)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

/// 10,000 codings added through AddCoding in one transaction, as
/// autocoding adds them: ten in each of 1,000 documents, each with its
/// overlap test, counters and broadcasts. Goal: at most 0.5 s. The project
/// stays open over the repetitions: the first run after opening also pays
/// for the codings' row store growing by half once (see first_run_ms).
void BM_TenThousandCodingsInOneTransaction(benchmark::State& state)
{
    static OpenLargeProject* project = nullptr;
    static double firstRun = 0;
    if (!project) {
        project = new OpenLargeProject;
        if (!project->Open(state))
            return;
    }
    CKorDoc& doc = project->shell.doc;
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> documents;
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Documents, documents);
    db.GetAllKeys(TopicId::Codes, codes);
    documents = documents.mid(0, 1000);
    static int run = 0;
    qint64 written = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const qint32 code = codes.at(run++ % codes.size());
        qint32 action = 0;
        StoreTransaction transaction(&db);
        for (int i = 0; i < 10'000; ++i) {
            CodingRecord record;
            record.TextID = documents.at(i % documents.size());
            record.WordID = code;
            record.StartChar = 5'000'000 + (i / int(documents.size())) * 20;
            record.FinishChar = record.StartChar + 10;
            record.Weight = 50;
            record.Preview = QStringLiteral("hit");
            record.Text = "{\\rtf1\\ansi hit}";
            bool stored = false;
            doc.AddCoding(record, action, OverlapMode::Union, &stored, false);
            written += stored;
        }
        transaction.Commit();
        if (run == 1)
            firstRun = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        state.PauseTiming();
        project->shell.log.Take();
        state.ResumeTiming();
    }
    state.counters["codings_written"] = double(written);
    state.counters["first_run_ms"] = firstRun;
}
BENCHMARK(BM_TenThousandCodingsInOneTransaction)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// ---- Activation and deletion ------------------------------------------------

/// Every document and every code (with its subcodes) activated by the two
/// commands of the trees, each change announced to a pane; no retrieval
/// service, so no run. Goal: at most 100 ms.
void BM_ActivateAllDocumentsAndCodes(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.DeactivateAll(false, true, true);
        project.shell.log.Take();
        state.ResumeTiming();
        doc.SetItemActivation(TopicKind::DocumentsRoot, 0, true, false);
        doc.SetItemActivation(TopicKind::CodeSystemRoot, 0, true, false);
    }
    state.counters["documents"] = double(doc.GetActivatedCount(TopicId::Documents));
    state.counters["codes"] = double(doc.GetActivatedCount(TopicId::Codes));
    state.counters["broadcasts"] = double(project.shell.log.calls.size());
    project.shell.Close();
}
BENCHMARK(BM_ActivateAllDocumentsAndCodes)->Unit(benchmark::kMillisecond)->Iterations(10);

/// A code with 1,000 codings spread over the documents deleted with them:
/// counters of the documents and sets corrected, rows deleted in one
/// transaction, every removal and change announced to a pane. Goal: at
/// most 50 ms.
void BM_DeleteCodeWithThousandCodings(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    qint64 removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CodeRecord record;
        record.name = QStringLiteral("Doomed");
        const qint32 code = doc.NewCode(record);
        {
            StoreTransaction transaction(&db);
            for (int i = 0; i < 1000; ++i)
                AddTextCoding(db, documents.at(i * 7 % documents.size()), code, i, i + 10);
            transaction.Commit();
        }
        project.shell.log.Take();
        state.ResumeTiming();
        if (!doc.DeleteItem(TopicId::Codes, code)) {
            state.SkipWithError("the code was not deleted");
            return;
        }
        state.PauseTiming();
        removed = qint64(project.shell.log.calls.size());
        state.ResumeTiming();
    }
    state.counters["broadcasts"] = double(removed);
    project.shell.Close();
}
BENCHMARK(BM_DeleteCodeWithThousandCodings)->Unit(benchmark::kMillisecond)->Iterations(10);

/// A new default weight of codings (the program options): every coding of
/// the old default weight rewritten in one transaction and announced, as
/// the options dialog's OK does it. Goal: at most 2 s.
void BM_ReplaceDefaultWeight(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    // The project's codings mostly carry weight 0; each pass moves them on.
    qint32 weight = 0;
    bool changed = false;
    for (auto _ : state) {
        g_qdaOptions.SetValueText(QdaOption::DefaultWeight, QString::number(weight));
        weight = weight == 0 ? 50 : 0;
        changed = doc.ReplaceCodingWeight(weight);
        if (!changed) {
            state.SkipWithError("no coding was rewritten");
            return;
        }
        state.PauseTiming();
        project.shell.log.Take();
        state.ResumeTiming();
    }
    g_qdaOptions.SetValueText(QdaOption::DefaultWeight, QStringLiteral("0"));
    project.shell.Close();
}
BENCHMARK(BM_ReplaceDefaultWeight)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
