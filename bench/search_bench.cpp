// The text search for three terms over 50 MB of RTF documents (50 documents
// of 1 MB like imported transcripts). Throughput is reported as bytes per
// second of RTF searched, content read through the topic database.
#include "bench/guibenchmain.h"
#include "bench/rtfsample.h"
#include "foundation/options.h"
#include "foundation/searchsettings.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topicsearchsource.h"
#include "tests/common/stubdataengine.h"

#include <benchmark/benchmark.h>

#include <QHash>

namespace {

constexpr int kDocuments = 50;
constexpr qsizetype kDocumentBytes = 1024 * 1024;

// Keeps the documents' contents in memory, as a project file would hold them.
class MemoryEngine : public testutil::RowsOnlyEngine {
public:
    bool Open(const QString&) override { return true; }
    bool Close() override { return true; }
    bool IsOpen() const override { return true; }
    bool LoadTopic(TopicTable&) override { return true; }
    bool WriteRecord(RowBuffer& row, bool, bool) override
    {
        FieldValue content;
        if (row.GetFieldValue(DocumentField::Text, content) && content.GetBlob())
            m_contents[row.GetKey()] = *content.GetBlob();
        return true;
    }
    bool WriteFieldValue(TopicTable&, qint32, const FieldValue&) override { return true; }
    bool DeleteObject(TopicTable&, qint32) override { return true; }
    bool ReadRecord(RowBuffer& row) override
    {
        FieldValue content;
        return row.GetFieldValue(DocumentField::Text, content) && content.SetBlob(m_contents.value(row.GetKey()));
    }
    bool AddField(TopicTable&, const FieldDescriptor&) override { return true; }
    bool SetFieldProperties(qint32, qint32, const QString&, int) override { return true; }
    bool SetFieldType(qint32, qint32, qint32) override { return true; }
    bool DeleteField(TopicTable&, const FieldDescriptor&) override { return true; }
    bool BeginTrans() override { return true; }
    bool CommitTrans() override { return true; }
    bool Rollback() override { return true; }

private:
    QHash<qint32, QByteArray> m_contents;
};

struct Project {
    MemoryEngine engine;
    TopicDatabase database;
    qint64 rtfBytes = 0;

    Project()
    {
        database.SetEngine(&engine);
        TopicTable* documents = database.CreateTable(TopicId::Documents);
        documents->SetName(QStringLiteral("Texts"));
        documents->SetSource(QStringLiteral("Texts"));
        const struct {
            qint32 id;
            const char* name;
            qint32 type;
        } fields[] = {{0, "ID", FieldType::Integer},
                      {DocumentField::State, "State", FieldType::Integer},
                      {DocumentField::Text, "Text", FieldType::Blob},
                      {DocumentField::Name, "Name", FieldType::ShortText},
                      {DocumentField::DocType, "DocType", FieldType::Integer}};
        for (const auto& field : fields) {
            const QString name = QString::fromLatin1(field.name);
            documents->AddField(FieldDescriptor::FromFieldRecord(field.id, name, name, field.type, 9, 0, QString(), 0));
        }
        documents->SetListener(&engine);
        const QByteArray rtf = MakeSampleRtf(kDocumentBytes);
        for (int i = 0; i < kDocuments; ++i) {
            RowBuffer row;
            FieldValue content;
            if (!database.AddRow(TopicId::Documents, row, -1) || !row.GetFieldValue(DocumentField::Text, content) ||
                !content.SetBlob(rtf) || !row.Commit(true, true))
                return;
            rtfBytes += rtf.size();
        }
    }
};

void BM_SearchThreeTerms(benchmark::State& state)
{
    static Project project;
    BuildOptionDefinitions();
    CSearchOptions options;
    options.terms = {QStringLiteral("surprised"), QStringLiteral("angry"), QStringLiteral("köln")};
    options.wholeWords = true;
    TopicSearchSource source(project.database);
    qsizetype hits = 0;
    for (auto _ : state) {
        CSearchSettings search(options, &source, false);
        if (!search.SearchProject()) {
            state.SkipWithError("search did not run");
            return;
        }
        hits = search.Hits().GetSize();
    }
    state.SetBytesProcessed(state.iterations() * project.rtfBytes);
    state.counters["hits"] = double(hits);
    state.counters["MB"] = double(project.rtfBytes) / (1024 * 1024);
}
BENCHMARK(BM_SearchThreeTerms)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
