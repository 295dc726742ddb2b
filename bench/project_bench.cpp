// A large project file (the synthetic corpus at scale 1, or $KORVAN_BENCH_SCALE:
// 5,000 documents, 3,552 codes, 300,000 codings, 20,000 memos), generated
// into the cache folder on first use: open it and load every topic, commit
// one changed coding, add 10,000 codings in one transaction, close.
// rss_mb is the resident memory after the work, peak_rss_mb the process's
// peak so far.

#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/projectgenerator.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString& ProjectPath()
{
    static const QString path = [] {
        const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
        QString error;
        const QString project = BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), &error);
        if (project.isEmpty())
            std::fprintf(stderr, "no project: %s\n", qPrintable(error));
        return project;
    }();
    return path;
}

struct Project {
    ProjectDataEngine engine;
    TopicDatabase db;

    bool Open(const QString& path)
    {
        if (!engine.Open(path))
            return false;
        db.SetEngine(&engine);
        engine.MapForReading(true);
        bool loaded = true;
        for (qint32 topic : kStoredTopics)
            loaded = loaded && engine.LoadTopic(*db.CreateTable(topic));
        engine.MapForReading(false);
        return loaded;
    }
    void Close()
    {
        db.Clear();
        engine.Close();
    }
};

/// A copy of the project that a benchmark may change.
class ProjectCopy {
public:
    bool Make()
    {
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("copy.kv4"));
        return !ProjectPath().isEmpty() && QFile::copy(ProjectPath(), m_path);
    }
    const QString& Path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void BM_OpenAndLoadAllTopics(benchmark::State& state)
{
    if (ProjectPath().isEmpty()) {
        state.SkipWithError("no project");
        return;
    }
    qint64 rows = 0;
    for (auto _ : state) {
        Project p;
        if (!p.Open(ProjectPath())) {
            state.SkipWithError(qPrintable(p.engine.LastError()));
            return;
        }
        state.PauseTiming();
        rows = 0;
        for (qint32 topic : kStoredTopics)
            rows += p.db.GetRowCount(topic);
        state.counters["rss_mb"] = ResidentMegabytes();
        p.Close();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_OpenAndLoadAllTopics)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CommitOneChangedCoding(benchmark::State& state)
{
    ProjectCopy copy;
    Project p;
    if (!copy.Make() || !p.Open(copy.Path())) {
        state.SkipWithError("cannot open a copy of the project");
        return;
    }
    QList<qint32> keys;
    p.db.GetAllKeys(TopicId::Codings, keys);
    qsizetype next = 0;
    for (auto _ : state) {
        RowBuffer row;
        FieldValue weight;
        p.db.ReadRow(TopicId::Codings, keys.at(next++ % keys.size()), row, false);
        row.GetFieldValue(9, weight);
        weight.SetInt((weight.GetInt() + 1) % 101);
        if (!row.Commit(false, false)) {
            state.SkipWithError("commit failed");
            return;
        }
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
    p.Close();
}
BENCHMARK(BM_CommitOneChangedCoding)->Unit(benchmark::kMicrosecond);

/// Adds codings in one transaction, each with one of the segments as RTF.
bool AddCodings(Project& p, const QList<QByteArray>& segments, int count)
{
    const qint32 documents = p.db.GetRowCount(TopicId::Documents);
    QList<qint32> codes;
    p.db.GetAllKeys(TopicId::Codes, codes);
    StoreTransaction transaction(&p.db);
    for (int i = 0; i < count; ++i) {
        RowBuffer row;
        if (!p.db.AddRow(TopicId::Codings, row, -1))
            return false;
        const qint32 values[][2] = {{1, row.GetKey()}, {3, 1 + i % documents}, {4, codes.at(i % codes.size())},
                                    {5, 100 + i},      {6, 250 + i},           {7, 2}, {8, 3}, {15, 1}, {18, 1},
                                    {19, 1},           {20, 150}};
        FieldValue value;
        for (const auto& [field, number] : values) {
            row.GetFieldValue(field, value);
            value.SetInt(number);
        }
        row.GetFieldValue(10, value);
        value.SetText(QStringLiteral("a preview of the coded segment, as the browser makes it"));
        row.GetFieldValue(11, value);
        value.SetBlob(segments.at(i % segments.size()));
        row.GetFieldValue(12, value);
        value.SetText(QStringLiteral("coder_a"));
        row.GetFieldValue(13, value);
        value.SetDate(DateTimeNow());
        if (!row.Commit(true, true))
            return false;
    }
    return transaction.Commit();
}

/// The RTF segments of the first 100 codings of the project.
QList<QByteArray> SampleSegments(Project& p)
{
    QList<QByteArray> segments;
    for (qint32 key = 1; key <= 100; ++key) {
        RowBuffer row;
        FieldValue text;
        if (p.db.ReadRow(TopicId::Codings, key, row, true) && row.GetFieldValue(11, text) && text.GetBlob())
            segments.append(*text.GetBlob());
    }
    return segments;
}

void BM_Add10000CodingsInOneTransaction(benchmark::State& state)
{
    ProjectCopy copy;
    Project p;
    if (!copy.Make() || !p.Open(copy.Path())) {
        state.SkipWithError("cannot open a copy of the project");
        return;
    }
    const QList<QByteArray> segments = SampleSegments(p);
    if (segments.isEmpty()) {
        state.SkipWithError("the project has no coded segments");
        return;
    }
    for (auto _ : state) {
        if (!AddCodings(p, segments, 10000)) {
            state.SkipWithError(qPrintable(p.engine.LastError()));
            return;
        }
    }
    qint64 bytes = 0;
    for (const QByteArray& segment : segments)
        bytes += segment.size();
    state.counters["segment_bytes"] = double(bytes) / double(segments.size());
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
    p.Close();
}
BENCHMARK(BM_Add10000CodingsInOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(5);

/// Closing after 10,000 added codings: the log is checkpointed into the file.
void BM_CloseAfterWork(benchmark::State& state)
{
    ProjectCopy copy;
    if (!copy.Make()) {
        state.SkipWithError("cannot copy the project");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Project p;
        const bool opened = p.Open(copy.Path());
        const QList<QByteArray> segments = opened ? SampleSegments(p) : QList<QByteArray>();
        if (segments.isEmpty() || !AddCodings(p, segments, 10000)) {
            state.SkipWithError("cannot prepare the project");
            return;
        }
        state.ResumeTiming();
        p.Close();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_CloseAfterWork)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
