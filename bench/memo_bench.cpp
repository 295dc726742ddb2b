// The memo window and the logbook on a project of their own: opening a memo
// with a 200 KB body (goal 100 ms), switching between 20 open memos of
// 10 KB with the edited one stored (goal 30 ms a switch), and opening a
// 2 MB logbook (goal 300 ms).

#include "bench/guibenchmain.h"
#include "bench/rtfsample.h"
#include "document/documentrequests.h"
#include "document/requestowner.h"
#include "store/projectdataengine.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "panes/logbookdlg.h"
#include "panes/memodlg.h"
#include "ui/richeditwnd.h"
#include "ui/richtexteditorwnd.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextCursor>

#include <memory>

namespace {

class DocumentOwner : public RequestOwner {
public:
    explicit DocumentOwner(CKorDoc& document) : m_document(document) {}
    void Request(NotifyHead& record) override { AnswerDocumentRequest(m_document, record); }

private:
    CKorDoc& m_document;
};

struct MemoProject {
    QTemporaryDir folder;
    CKorDoc document;
    std::unique_ptr<DocumentOwner> owner;

    MemoProject()
    {
        auto engine = document.CreateProjectFile(folder.filePath(QStringLiteral("Memos.kv4")), QStringLiteral("MAIN"));
        document.OpenProject(std::move(engine), false);
        owner = std::make_unique<DocumentOwner>(document);
    }
    ~MemoProject() { document.CloseDatabase(); }

    std::unique_ptr<CMemoDlg> Window()
    {
        auto window = std::make_unique<CMemoDlg>();
        window->SetOwner(owner.get());
        window->storer = [this](const CMemoDlg::Edit& edit) { return document.StoreMemo(edit); };
        return window;
    }
};

void BM_OpenMemo200KB(benchmark::State& state)
{
    MemoProject project;
    const qint32 memo = project.document.NewMemo(QStringLiteral("Long"), QString(), QDateTime(),
                                                 MakeSampleRtf(200 * 1024));
    for (auto _ : state) {
        std::unique_ptr<CMemoDlg> window = project.Window();
        window->OpenMemo(memo, QString());
        benchmark::DoNotOptimize(window->Editor()->Editor()->document()->characterCount());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMemo200KB)->Unit(benchmark::kMillisecond);

void BM_SwitchTwentyMemosStoringTheEdited(benchmark::State& state)
{
    MemoProject project;
    const QByteArray body = MakeSampleRtf(10 * 1024);
    std::unique_ptr<CMemoDlg> window = project.Window();
    for (int i = 0; i < 20; ++i)
        window->OpenMemo(project.document.NewMemo(QStringLiteral("Memo %1").arg(i), QString(), QDateTime(), body),
                         QString());
    int next = 0;
    for (auto _ : state) {
        // An edit, then the next tab: the edited memo is written first.
        QTextCursor cursor = window->Editor()->Editor()->textCursor();
        cursor.insertText(QStringLiteral("x"));
        next = (next + 1) % 20;
        if (!window->SelectMemo(next))
            state.SkipWithError("the switch failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SwitchTwentyMemosStoringTheEdited)->Unit(benchmark::kMillisecond);

void BM_OpenLogbook2MB(benchmark::State& state)
{
    const QByteArray log = MakeSampleRtf(2 * 1024 * 1024);
    for (auto _ : state) {
        auto window = std::make_unique<CLogbookDlg>();
        window->Log() = log;
        window->show();
        benchmark::DoNotOptimize(window->Editor()->Editor()->document()->characterCount());
        state.PauseTiming();
        window->Log().clear();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenLogbook2MB)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
