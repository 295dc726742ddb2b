// The frame's activation, coding-action and list commands on the large
// project, each through the frame's command route as a menu click runs it:
// - undoing an action of 10,000 codings (goal 1 s);
// - deactivating every document and code (goal 100 ms);
// - the co-occurring codes popup of a code, counted and shown (goal 100 ms);
// - the memo list of the author of the most memos (goal 300 ms; memos is
//   the number listed).

#include "app/mainapp.h"
#include "app/mainframe.h"
#include "app/toolcommands.h"
#include "bench/guibenchmain.h"
#include "bench/programstart.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHash>
#include <QMenu>

namespace {

constexpr int kActionCodings = 10000;

/// An action of `count` codings of one code, newer than every other.
bool AddCodingAction(CKorDoc& doc, qint32 code, int count)
{
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    if (documents.isEmpty())
        return false;
    StoreTransaction transaction(&db);
    qint32 action = 0;
    for (int i = 0; i < count; ++i) {
        RowBuffer row;
        if (!db.AddRow(TopicId::Codings, row, -1))
            return false;
        const qint32 key = row.GetKey();
        if (action == 0)
            action = key;
        const qint32 start = (i / qint32(documents.size())) * 3;
        if (!rowfields::SetInt(row, 1, action) || !rowfields::SetInt(row, CodingField::Document, documents.at(i % documents.size()))
            || !rowfields::SetInt(row, CodingField::Code, code) || !rowfields::SetInt(row, CodingField::StartChar, start)
            || !rowfields::SetInt(row, CodingField::FinishChar, start + 2) || !rowfields::SetInt(row, CodingField::Page, 1)
            || !row.Commit(false, true))
            return false;
    }
    return transaction.Commit();
}

/// The code with the most codings.
qint32 BusiestCode(const TopicDatabase& db)
{
    const TopicTable* codings = db.GetTable(TopicId::Codings);
    const FieldDescriptor* code = codings ? codings->Fields().GetById(CodingField::Code) : nullptr;
    if (!code)
        return 0;
    QHash<qint32, int> counts;
    codings->ForEachRow([&](qint32, const char* row) { ++counts[rowfields::IntAt(row, code->Offset)]; });
    qint32 best = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.key() != 0 && (best == 0 || it.value() > counts.value(best)))
            best = it.key();
    return best;
}

void BM_UndoAnActionOf10000Codings(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    CKorDoc* doc = frame->Document();
    const qint32 code = BusiestCode(doc->GetDatabase());
    const qint32 before = doc->GetDatabase().GetTable(TopicId::Codings)->GetRowCount();
    for (auto _ : state) {
        state.PauseTiming();
        if (!AddCodingAction(*doc, code, kActionCodings)) {
            state.SkipWithError("the coding action could not be written");
            break;
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        frame->Commands().Execute(ToolCommand::UncodeFirst);
    }
    state.counters["codings_left"] = doc->GetDatabase().GetTable(TopicId::Codings)->GetRowCount();
    state.counters["codings_before"] = before;
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_UndoAnActionOf10000Codings)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeactivateAllDocumentsAndCodes(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    CKorDoc* doc = frame->Document();
    for (auto _ : state) {
        state.PauseTiming();
        doc->SetItemActivation(TopicKind::DocumentsRoot, 0, true, false);
        doc->SetItemActivation(TopicKind::CodeSystemRoot, 0, true, false);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        frame->Commands().Execute(ToolCommand::DeactivateAll);
    }
    state.counters["documents_left"] = doc->GetActivatedCount(TopicId::Documents);
    state.counters["codes_left"] = doc->GetActivatedCount(TopicId::Codes);
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_DeactivateAllDocumentsAndCodes)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenTheCooccurringCodesPopup(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    const qint32 code = BusiestCode(frame->Document()->GetDatabase());
    int entries = 0;
    for (auto _ : state) {
        frame->ShowCooccurrencePopup(code, frame->mapToGlobal(QPoint(100, 100)));
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (QMenu* popup = frame->ShownToolPopup()) {
            entries = int(popup->actions().size());
            popup->close();
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["entries"] = entries;
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_OpenTheCooccurringCodesPopup)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MemoListOfAUser(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    CMainFrame* frame = app->MainFrame();
    TopicDatabase& db = frame->Document()->GetDatabase();
    // The user is the author of the most memos.
    QHash<QString, int> authors;
    QList<qint32> memos;
    db.GetAllKeys(TopicId::Memos, memos);
    for (const qint32 memo : std::as_const(memos))
        ++authors[rowfields::TextOfKey(db, TopicId::Memos, memo, MemoField::Author)];
    QString user;
    for (auto it = authors.cbegin(); it != authors.cend(); ++it)
        if (user.isEmpty() || it.value() > authors.value(user))
            user = it.key();
    db.SetUserName(user);
    for (auto _ : state) {
        frame->Commands().Execute(ToolCommand::MemosOfUser);
        QCoreApplication::processEvents();
    }
    state.counters["memos"] = CMainFrame::MemosOfUser(db, 0).size();
    state.counters["all_memos"] = memos.size();
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_MemoListOfAUser)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
