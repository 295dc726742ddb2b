// The two trees on the large project (the synthetic corpus at scale 1, or
// $KORVAN_BENCH_SCALE: 5,000 documents, 3,552 codes): both filled from the
// broadcasts of opening, answered by the project document, and laid out and
// painted once (goal: at most 200 ms); the whole code tree expanded and
// collapsed at once, told to the project in one go (goal: at most 100 ms),
// beside every code expanded one by one as the registry asks, each told to
// the project. The whole open with the trees is measured beside them.

#include "app/treerequestforwarder.h"
#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/projectgenerator.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/stringstore.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

/// A copy of the generated project with the one-time repairs marked done.
class ProjectCopy {
public:
    bool Make(QString* error)
    {
        const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
        const QString generated = BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), error);
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("copy.kv4"));
        if (generated.isEmpty() || !QFile::copy(generated, m_path))
            return false;
        ProjectDataEngine engine;
        return engine.Open(m_path) && CKorDoc::MarkUpgradeStepsDone(engine);
    }
    const QString& Path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

/// The document with both trees registered as the frame registers them.
struct Trees {
    Trees() : forwarder(&doc)
    {
        for (CTreePaneBase* pane : {static_cast<CTreePaneBase*>(&docTree), static_cast<CTreePaneBase*>(&codeTree)}) {
            pane->SetOwner(&forwarder);
            pane->resize(320, 700);
            pane->show();
            doc.GetRegistry().Register(pane);
        }
    }
    ~Trees()
    {
        doc.ResetCaches();
        doc.CloseDatabase();
    }
    bool Open(const QString& path)
    {
        auto engine = doc.OpenProjectFile(path, QStringLiteral("MAIN"));
        return engine && doc.OpenProject(std::move(engine), false);
    }
    /// Lays the trees out and paints what shows, as the first screen does.
    void Paint()
    {
        docTree.grab();
        codeTree.grab();
    }

    CKorDoc doc;
    CTreeRequestForwarder forwarder;
    TreePaneWindow docTree;
    CObjTreeCtrl codeTree;
};

bool Prepare(benchmark::State& state, ProjectCopy& copy)
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    QString error;
    if (!copy.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return false;
    }
    return true;
}

/// The copy made and opened with both trees; false (the benchmark skipped)
/// when that failed.
bool PrepareTrees(benchmark::State& state, ProjectCopy& copy, Trees& trees)
{
    if (!Prepare(state, copy))
        return false;
    if (!trees.Open(copy.Path())) {
        state.SkipWithError("the project did not open");
        return false;
    }
    return true;
}

/// Both trees emptied and filled again from the document's broadcasts of
/// opening (the rebuild the open runs last), then painted.
void BM_FillBothTreesAtOpen(benchmark::State& state)
{
    ProjectCopy copy;
    Trees trees;
    if (!PrepareTrees(state, copy, trees))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        trees.doc.GetRegistry().ResetAll();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        trees.doc.RebuildTree(false);
        trees.Paint();
    }
    state.counters["documents"] = double(trees.docTree.GetDocumentsInTreeOrder().size());
    state.counters["codes"] = double(trees.codeTree.GetAllCodeIds().size());
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_FillBothTreesAtOpen)->Unit(benchmark::kMillisecond)->Iterations(10);

/// The whole open with both trees: file, topics, settings, trees, paint.
void BM_OpenWithBothTrees(benchmark::State& state)
{
    ProjectCopy copy;
    if (!Prepare(state, copy))
        return;
    for (auto _ : state) {
        Trees trees;
        if (!trees.Open(copy.Path())) {
            state.SkipWithError("the project did not open");
            return;
        }
        trees.Paint();
        state.PauseTiming();
        trees.doc.ResetCaches();
        trees.doc.CloseDatabase();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWithBothTrees)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Every code expanded through the registry's expand operation, each told to
/// the project, then the tree painted. With `stored` the codes were
/// collapsed as a user collapses them, so each expansion is a change the
/// project writes; without, only the view had them collapsed and the project
/// already holds them expanded.
void ExpandAllCodes(benchmark::State& state, bool stored)
{
    ProjectCopy copy;
    Trees trees;
    if (!PrepareTrees(state, copy, trees))
        return;
    const QList<qint32> codes = trees.codeTree.GetAllCodeIds();
    qint64 parents = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (stored) {
            // Collapsed as a user collapses: each collapse is stored.
            for (const qint32 code : codes)
                trees.codeTree.TreeView()->collapse(
                    trees.codeTree.Model().IndexOf(trees.codeTree.FindNode(TopicId::Codes, code)));
        } else {
            const QSignalBlocker viewOnly(trees.codeTree.TreeView());
            trees.codeTree.TreeView()->collapseAll();
        }
        trees.Paint();
        state.ResumeTiming();
        for (const qint32 code : codes)
            trees.codeTree.ExpandObject(TopicId::Codes, code);
        trees.Paint();
        state.PauseTiming();
        parents = 0;
        for (const qint32 code : codes)
            parents += trees.codeTree.FindNode(TopicId::Codes, code)->children.empty() ? 0 : 1;
        state.ResumeTiming();
    }
    state.counters["codes"] = double(codes.size());
    state.counters["parents"] = double(parents);
}
void BM_ExpandAllCodes(benchmark::State& state)
{
    ExpandAllCodes(state, false);
}
BENCHMARK(BM_ExpandAllCodes)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ExpandAllCodesEachStored(benchmark::State& state)
{
    ExpandAllCodes(state, true);
}
BENCHMARK(BM_ExpandAllCodesEachStored)->Unit(benchmark::kMillisecond)->Iterations(5);

/// The whole code tree expanded (or collapsed) at once, as the '*' key does
/// on the root: every node's state told to the project in one request and
/// written in one transaction. The tree starts the other way, stored so.
void ExpandWholeTree(benchmark::State& state, bool expand)
{
    ProjectCopy copy;
    Trees trees;
    if (!PrepareTrees(state, copy, trees))
        return;
    const QList<qint32> codes = trees.codeTree.GetAllCodeIds();
    qint64 changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (expand)
            trees.codeTree.CollapseAll();
        else
            trees.codeTree.ExpandAll();
        trees.Paint();
        state.ResumeTiming();
        if (expand)
            trees.codeTree.ExpandAll();
        else
            trees.codeTree.CollapseAll();
        trees.Paint();
        state.PauseTiming();
        changed = 0;
        for (const qint32 code : codes) {
            const TreeNode* node = trees.codeTree.FindNode(TopicId::Codes, code);
            changed += !node->children.empty() && node->expanded == expand ? 1 : 0;
        }
        state.ResumeTiming();
    }
    state.counters["codes"] = double(codes.size());
    state.counters["parents"] = double(changed);
}
void BM_ExpandWholeCodeTree(benchmark::State& state)
{
    ExpandWholeTree(state, true);
}
BENCHMARK(BM_ExpandWholeCodeTree)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CollapseWholeCodeTree(benchmark::State& state)
{
    ExpandWholeTree(state, false);
}
BENCHMARK(BM_CollapseWholeCodeTree)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
