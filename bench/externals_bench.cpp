// The list of external files on a project of 5,000 documents, each with a
// media file and three external links (20,000 references: a quarter at
// their stored path, a quarter in the externals folder, half missing):
// every reference collected, resolved and shown in the dialog. Goal: at
// most 300 ms.

#include "bench/guibenchmain.h"
#include "document/kordoc.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "panes/externalfilesdlg.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

constexpr int kDocuments = 5000;

bool Touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("media") == 5;
}

/// The project and its files in a temporary folder.
class ExternalsProject {
public:
    bool Make()
    {
        const QDir root(m_dir.path());
        m_externals = root.filePath(QStringLiteral("externals"));
        const QString stored = root.filePath(QStringLiteral("stored"));
        if (!QDir().mkpath(m_externals) || !QDir().mkpath(stored))
            return false;
        const QString path = root.filePath(QStringLiteral("externals.kv4"));
        if (!m_doc.OpenProject(m_doc.CreateProjectFile(path, QStringLiteral("MAIN")), false))
            return false;
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, m_externals);
        TopicDatabase& db = m_doc.GetDatabase();
        StoreTransaction transaction(&db);
        const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 An interview.}";
        for (int n = 0; n < kDocuments; ++n) {
            // The media file at its stored path, one link in the externals
            // folder under a Windows path, two links to files that are gone.
            const QString media = QStringLiteral("%1/interview%2.mp3").arg(stored).arg(n);
            const QString link = QStringLiteral("C:\\Data\\scan%1.pdf").arg(n);
            if (!Touch(media) || !Touch(QStringLiteral("%1/scan%2.pdf").arg(m_externals).arg(n)))
                return false;
            RowBuffer row;
            if (!db.AddRow(TopicId::Documents, row, -1))
                return false;
            const auto set = [&row](qint32 field, const QString& text) {
                FieldValue value;
                return row.GetFieldValue(field, value) && value.Parse(text);
            };
            FieldValue text;
            if (!set(DocumentField::Name, QStringLiteral("Interview %1").arg(n)) || !set(DocumentField::MediaFile, media)
                || !set(DocumentField::ExtLink1, link)
                || !set(DocumentField::ExtLink2, QStringLiteral("/gone/notes%1.txt").arg(n))
                || !set(DocumentField::ExtLink3, QStringLiteral("D:\\gone\\photo%1.jpg").arg(n))
                || !row.GetFieldValue(DocumentField::Text, text) || !text.SetBlob(rtf) || !row.Commit(true, true))
                return false;
        }
        return transaction.Commit();
    }
    CKorDoc& Doc() { return m_doc; }

private:
    QTemporaryDir m_dir;
    QString m_externals;
    CKorDoc m_doc;
};

void BM_ShowExternalFiles(benchmark::State& state)
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    BuildOptionDefinitions();
    ExternalsProject project;
    if (!project.Make()) {
        state.SkipWithError("the project could not be made");
        return;
    }
    qsizetype rows = 0;
    for (auto _ : state) {
        ExternalFilesDlg dialog;
        QStringList paths;
        project.Doc().CollectExternalFiles(paths, &dialog.m_records);
        dialog.show();
        rows = dialog.List()->topLevelItemCount();
        state.PauseTiming();
        dialog.close();
        state.ResumeTiming();
    }
    state.counters["references"] = double(rows);
    project.Doc().CloseDatabase();
}
BENCHMARK(BM_ShowExternalFiles)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
