// The project store at the size of a large project: 300,000 codings.

#include "platform/dao/database.h"
#include "store/compressedblob.h"
#include "store/dataengine.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"
#include "tests/common/stubdataengine.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <malloc.h>

namespace {

constexpr int kCodings = 300000;
constexpr int kDocuments = 5000;
constexpr int kCodes = 2000;

struct Field {
    qint32 id;
    const char* name;
    qint32 type;
    qint32 state;
    qint32 parentTopic;
};

// The codings layout of a project file: 22 fields, 600 bytes a row.
const Field kCodingFields[] = {
    {0, "ID", 1, 9, 0},          {1, "TAID", 1, 9, 0},        {2, "Type", 1, 33, 0},
    {3, "TextID", 1, 1, 5},      {4, "WordID", 1, 1, 8},      {5, "StartChar", 1, 9, 0},
    {6, "FinishChar", 1, 9, 0},  {7, "StartPara", 1, 1, 0},   {8, "FinishPara", 1, 1, 0},
    {9, "Weight", 1, 65, 0},     {10, "Preview", 2, 1, 0},    {11, "Text", 6, 9, 0},
    {12, "Author", 2, 1, 0},     {13, "Date", 5, 1, 0},       {14, "CommentL", 3, 65, 0},
    {15, "GroupID", 1, 1, 2},    {16, "PosX1", 1, 9, 0},      {17, "PosX2", 1, 9, 0},
    {18, "Page", 1, 1, 0},       {19, "IsText", 8, 5, 0},     {20, "Area", 1, 5, 0},
    {21, "Coverage", 4, 5, 0},
};

// Heap in use, including the large blocks that malloc maps on their own.
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Writes records the plain way: UPDATE by key, INSERT when there was none.
// Serves the codings table only.
class BenchEngine : public testutil::SqliteRowsEngine {
public:
    bool LoadTopic(TopicTable&) override { return false; }
    bool WriteRecord(RowBuffer& row, bool withBlobs, bool) override
    {
        const Statements& sql = StatementsOf(row, withBlobs);
        QVariantList values;
        values.reserve(sql.positions.size() + 1);
        for (int position : sql.positions) {
            FieldValue value;
            QVariant stored;
            row.GetFieldValueByIndex(position, value);
            value.ToColumnValue(stored);
            values.append(stored);
        }
        values.append(row.GetKey());
        if (!db.Execute(sql.update, values))
            return false;
        return db.GetRecordsAffected() > 0 || db.Execute(sql.insert, values);
    }
    bool WriteFieldValue(TopicTable&, qint32, const FieldValue&) override { return false; }
    bool DeleteObject(TopicTable& table, qint32 key) override
    {
        return db.Execute(QStringLiteral("DELETE FROM %1 WHERE [ID]=?;").arg(dao::QuoteName(table.GetSource())), {key});
    }
    bool ReadRecord(RowBuffer&) override { return true; }
    bool AddField(TopicTable&, const FieldDescriptor&) override { return false; }
    bool SetFieldProperties(qint32, qint32, const QString&, int) override { return false; }
    bool SetFieldType(qint32, qint32, qint32) override { return false; }
    bool DeleteField(TopicTable&, const FieldDescriptor&) override { return false; }

private:
    // The texts of a table's record writes, made once.
    struct Statements {
        QList<int> positions;  // fields written, key last
        QString update;
        QString insert;
    };

    const Statements& StatementsOf(RowBuffer& row, bool withBlobs)
    {
        Statements& sql = m_statements[withBlobs ? 1 : 0];
        if (!sql.update.isEmpty())
            return sql;
        QStringList columns;
        for (int i = 1; i < row.GetFieldCount(); ++i) {
            FieldValue value;
            row.GetFieldValueByIndex(i, value);
            if (value.Type == FieldType::Blob && !withBlobs)
                continue;
            sql.positions.append(i);
            columns.append(dao::QuoteName(value.Source));
        }
        const QString table = dao::QuoteName(row.GetTableSource());
        sql.update = QStringLiteral("UPDATE %1 SET %2=? WHERE [ID]=?;").arg(table, columns.join(QStringLiteral("=?,")));
        columns.append(QStringLiteral("[ID]"));
        sql.insert = QStringLiteral("INSERT INTO %1(%2) VALUES(%3);")
                         .arg(table, columns.join(QLatin1Char(',')),
                              QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        return sql;
    }

    Statements m_statements[2];  // without and with blobs; one table only
};

// A project with an empty codings table, written through when an engine
// is given.
struct Project {
    explicit Project(bool withFile)
    {
        codings = database.CreateTable(TopicId::Codings);
        codings->SetSource(QStringLiteral("Codings"));
        dao::TableDef definition{QStringLiteral("Codings"), {}, {{QStringLiteral("ID"), {QStringLiteral("ID")}}}};
        for (const Field& field : kCodingFields) {
            const QString name = QString::fromLatin1(field.name);
            codings->AddField(FieldDescriptor::FromFieldRecord(field.id, name, name, field.type, field.state,
                                                               field.parentTopic, {}, 0));
            const dao::ColumnType type = field.type == 2 || field.type == 3 ? dao::ColumnType::Text
                                         : field.type == 4 || field.type == 5 ? dao::ColumnType::Real
                                         : field.type == 6                    ? dao::ColumnType::Blob
                                                                              : dao::ColumnType::Integer;
            definition.fields.append({name, type});
        }
        if (withFile) {
            ok = engine.db.Create(folder.filePath(QStringLiteral("bench.kv4"))) && engine.db.CreateTable(definition);
            codings->SetListener(&engine);
            database.SetEngine(&engine);
        }
    }

    // One coding as the program makes them: document, code, range, preview.
    bool AddCoding(int i)
    {
        RowBuffer row;
        if (!database.AddRow(TopicId::Codings, row, -1))
            return false;
        FieldValue value;
        const qint32 ints[][2] = {{1, i}, {3, 1 + i % kDocuments}, {4, 1 + (i * 7) % kCodes}, {5, i * 10},
                                  {6, i * 10 + 250}, {7, i % 40}, {8, i % 40 + 1}, {15, 1 + i % 50}, {18, 1}};
        for (const auto& [id, number] : ints) {
            row.GetFieldValue(id, value);
            value.SetInt(number);
        }
        row.GetFieldValue(10, value);
        value.SetText(QStringLiteral("the respondent describes the workshop as a turning point"));
        row.GetFieldValue(12, value);
        value.SetText(QStringLiteral("coder"));
        row.GetFieldValue(13, value);
        value.SetDate({40242.5 + i / 1000.0, DateStatus::Valid});
        return row.Commit(false, false);
    }

    bool Fill()
    {
        StoreTransaction transaction(&database);
        for (int i = 0; i < kCodings; ++i) {
            if (!AddCoding(i))
                return false;
        }
        return transaction.Commit();
    }

    QTemporaryDir folder;
    BenchEngine engine;
    TopicDatabase database;
    TopicTable* codings = nullptr;
    bool ok = true;
};

void BM_AddCodingsInOneTransaction(benchmark::State& state)
{
    const bool withFile = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<Project>(withFile);
        if (!project->ok || project->codings->GetRowSize() != 600) {
            state.SkipWithError("cannot make the project");
            return;
        }
        const size_t heapBefore = HeapInUse();
        state.ResumeTiming();
        if (!project->Fill()) {
            state.SkipWithError("adding failed");
            return;
        }
        state.PauseTiming();
        state.counters["bytes_per_row"] = double(HeapInUse() - heapBefore) / kCodings;
        project.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCodings);
}
BENCHMARK(BM_AddCodingsInOneTransaction)->Arg(0)->Arg(1)->ArgName("file")->Iterations(1)->Unit(benchmark::kMillisecond);

// Loading a project appends rows with the count known, so the store is
// allocated once: this is the memory a project holds while it is open.
void BM_LoadCodings(benchmark::State& state)
{
    Project source(false);
    if (!source.Fill()) {
        state.SkipWithError("adding failed");
        return;
    }
    QList<qint32> keys;
    source.codings->GetAllKeys(keys);
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<Project>(false);
        const size_t heapBefore = HeapInUse();
        state.ResumeTiming();
        for (qint32 key : std::as_const(keys)) {
            RowBuffer row;
            row.Attach(project->codings, source.codings->RowOfKey(key));
            project->codings->AppendRow(row, kCodings);
        }
        project->codings->RebuildIndexes();
        state.PauseTiming();
        state.counters["bytes_per_row"] = double(HeapInUse() - heapBefore) / kCodings;
        project.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCodings);
}
BENCHMARK(BM_LoadCodings)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_CodingsOfADocument(benchmark::State& state)
{
    Project project(false);
    if (!project.Fill()) {
        state.SkipWithError("adding failed");
        return;
    }
    QRandomGenerator random(7);
    qint64 found = 0;
    for (auto _ : state) {
        QList<qint32> keys;
        project.database.FindKeysByParent(TopicId::Codings, TopicId::Documents, 1 + random.bounded(kDocuments), keys);
        found += keys.size();
    }
    state.counters["children"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_CodingsOfADocument)->Unit(benchmark::kMicrosecond);

void BM_Delete1000Codings(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto owner = std::make_unique<Project>(true);
        Project& project = *owner;
        if (!project.ok || !project.Fill()) {
            state.SkipWithError("cannot make the project");
            return;
        }
        QRandomGenerator random(11);
        QList<qint32> keys;
        while (keys.size() < 1000) {
            const qint32 key = 1 + random.bounded(kCodings);
            if (!keys.contains(key))
                keys.append(key);
        }
        state.ResumeTiming();
        // Each deletion is one user action: its own transaction.
        for (qint32 key : std::as_const(keys)) {
            QList<ObjectRef> removed;
            QList<ObjectRef> changed;
            if (!project.database.DeleteRow(TopicId::Codings, key, removed, changed)) {
                state.SkipWithError("deletion failed");
                return;
            }
        }
        state.PauseTiming();
        if (project.database.GetRowCount(TopicId::Codings) != kCodings - 1000)
            state.SkipWithError("wrong row count");
        owner.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Delete1000Codings)->Iterations(1)->Unit(benchmark::kMillisecond);

// 10 MB of rich-text documents of 20 to 100 KB.
QList<QByteArray> RichTextBlobs()
{
    QList<QByteArray> blobs;
    QRandomGenerator random(3);
    const char* words[] = {"interview", "respondent", "workshop", "\\b ", "\\b0 ", "team", "Forschung",
                           "\\par ", "turning", "point", "we", "the", "and", "{\\i note}", "2010"};
    qsizetype total = 0;
    while (total < 10 * 1024 * 1024) {
        QByteArray blob = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}\\viewkind4\\pard\\f0\\fs20 ";
        const qsizetype size = 20000 + random.bounded(80000);
        while (blob.size() < size) {
            blob += words[random.bounded(int(std::size(words)))];
            blob += ' ';
        }
        blob += '}';
        total += blob.size();
        blobs.append(blob);
    }
    return blobs;
}

void BM_CompressBlobs(benchmark::State& state)
{
    const QList<QByteArray> blobs = RichTextBlobs();
    qint64 bytes = 0;
    qint64 stored = 0;
    for (auto _ : state) {
        stored = 0;
        for (const QByteArray& blob : blobs) {
            QByteArray copy = blob;
            CompressBlob(copy);
            stored += copy.size();
            bytes += blob.size();
        }
    }
    state.SetBytesProcessed(bytes);
    state.counters["stored_ratio"] = double(stored) / double(bytes / state.iterations());
}
BENCHMARK(BM_CompressBlobs)->Unit(benchmark::kMillisecond);

void BM_DecompressBlobs(benchmark::State& state)
{
    QList<QByteArray> blobs = RichTextBlobs();
    for (QByteArray& blob : blobs)
        CompressBlob(blob);
    qint64 bytes = 0;
    for (auto _ : state) {
        for (const QByteArray& blob : std::as_const(blobs)) {
            QByteArray value;
            if (!DecompressBlob(blob, value)) {
                state.SkipWithError("damaged");
                return;
            }
            bytes += value.size();
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_DecompressBlobs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
