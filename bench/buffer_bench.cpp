#include "foundation/serialbuffer.h"
#include "foundation/tabledata.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

// A table document of realistic shape: rows × 100 columns of short texts.
CTableData MakeTable(int rows)
{
    constexpr int kColumns = 100;
    CTableData table;
    table.SetSize(rows, kColumns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kColumns; ++c)
            table.SetCell(r, c, QStringLiteral("cell %1/%2 Zwölf").arg(r).arg(c));
    return table;
}

QStringList MakeTexts(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << QStringLiteral("segment text number %1").arg(i);
    return texts;
}

// Measure, reserve, write: the way every image is made.
void BM_SerialBufferWriteStrings(benchmark::State& state)
{
    const QStringList texts = MakeTexts(int(state.range(0)));
    const QList<qint32> ints(state.range(0), 7);
    const qint64 size = SerialBuffer::SizeOfStringArray(texts) + SerialBuffer::SizeOfIntArray(ints);
    for (auto _ : state) {
        SerialBuffer buffer;
        buffer.Reserve(size);
        buffer.WriteStringArray(texts);
        buffer.WriteIntArray(ints);
        benchmark::DoNotOptimize(buffer.Data().constData());
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_SerialBufferWriteStrings)->Arg(100000);

void BM_SerialBufferReadStrings(benchmark::State& state)
{
    const QStringList texts = MakeTexts(int(state.range(0)));
    const QList<qint32> ints(state.range(0), 7);
    SerialBuffer written;
    written.Reserve(SerialBuffer::SizeOfStringArray(texts) + SerialBuffer::SizeOfIntArray(ints));
    written.WriteStringArray(texts);
    written.WriteIntArray(ints);
    for (auto _ : state) {
        SerialBuffer reader(written.Data());
        QStringList readTexts;
        QList<qint32> readInts;
        if (!reader.ReadStringArray(readTexts) || !reader.ReadIntArray(readInts))
            state.SkipWithError("image did not read");
        benchmark::DoNotOptimize(readTexts.constData());
    }
    state.SetBytesProcessed(state.iterations() * written.Data().size());
}
BENCHMARK(BM_SerialBufferReadStrings)->Arg(100000);

// A table of 100,000 cells saved to and loaded from its byte image.
void BM_TableImageSave(benchmark::State& state)
{
    const CTableData table = MakeTable(int(state.range(0)));
    QByteArray bytes;
    for (auto _ : state) {
        table.SaveToBytes(bytes);
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["cells"] = double(table.GetRowCount()) * table.GetColumnCount();
}
BENCHMARK(BM_TableImageSave)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_TableImageLoad(benchmark::State& state)
{
    QByteArray bytes;
    MakeTable(int(state.range(0))).SaveToBytes(bytes);
    for (auto _ : state) {
        CTableData table;
        if (!table.LoadFromBytes(bytes))
            state.SkipWithError("image did not load");
        benchmark::DoNotOptimize(table.GetRowCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_TableImageLoad)->Arg(1000)->Unit(benchmark::kMillisecond);

// The .xlsx export of the same table (libxlsxwriter, then the copy into place).
void BM_TableExportXlsx(benchmark::State& state)
{
    const CTableData table = MakeTable(int(state.range(0)));
    const QString path = QDir::temp().filePath(QStringLiteral("bench_table_%1.xlsx").arg(QCoreApplication::applicationPid()));
    for (auto _ : state) {
        if (!table.ExportExcel(QStringLiteral("Sheet"), path))
            state.SkipWithError("export failed");
    }
    QFile::remove(path);
}
BENCHMARK(BM_TableExportXlsx)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
