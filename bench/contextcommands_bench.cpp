// The context commands of the trees in the real frame on the large project,
// chosen as a right click on a node leaves them: the target set, then the
// command. Questions are answered yes, dialogs accepted as shown.
// - the coding list of all codings of all documents, shown and painted
//   (goal 1 s);
// - all documents activated, then deactivated, the retrieval included
//   (goal 100 ms each);
// - a document with its codings and memos deleted (goal 50 ms);
// - three codes of about 1,000 codings each deleted (goal 200 ms);
// - the 10,000 codings of a code copied to another (goal 2 s);
// - a code and its 500 subcodes coloured (goal 200 ms).

#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/mainapp.h"
#include "app/mainframe.h"
#include "bench/guibenchmain.h"
#include "bench/programstart.h"
#include "document/kordoc.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

/// Says yes to every question, as a researcher who means the command does.
class YesToAll : public IMessageService {
public:
    MessageAnswer Ask(const QString&, MessageButtons buttons, MessageKind, MessageAnswer) override
    {
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes
                                                                                           : MessageAnswer::Ok;
    }
    MessageAnswer AskQuestion(const QuestionPrompt&) override { return MessageAnswer::Yes; }
    MessageAnswer Confirm(const ConfirmPrompt&) override { return MessageAnswer::Ok; }
};

/// The program on the large project with the answering service installed.
class Program {
public:
    explicit Program(benchmark::State& state)
    {
        m_app = benchstart::StartProgramOrSkip(state, m_home);
        if (!m_app)
            return;
        m_previous = SetMessageService(&m_answers);
        // Modal dialogs (the colour picker) are accepted as they come up.
        m_acceptor.setInterval(1);
        QObject::connect(&m_acceptor, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        m_acceptor.start();
    }
    ~Program()
    {
        m_acceptor.stop();
        if (m_app)
            SetMessageService(m_previous);
        benchstart::StopProgram(std::move(m_app));
    }
    bool Running() const { return m_app != nullptr; }
    CMainFrame* Frame() const { return m_app->MainFrame(); }
    CKorDoc& Document() const { return *Frame()->Document(); }
    TopicDatabase& Db() const { return Document().GetDatabase(); }

    /// The command as chosen from the node's context menu in the pane.
    void Choose(qint32 kind, qint32 item, int command, qint32 sender, QList<quint32> selection = {})
    {
        ContextTarget& target = Frame()->GetContextTarget();
        target.Reset();
        target.kind = kind;
        target.item = item;
        target.sender = sender;
        target.selection = std::move(selection);
        Frame()->OnCommand(command);
        QCoreApplication::processEvents();
    }
    qint32 CodingsOf(qint32 code) const { return Db().GetIntValue(TopicId::Codes, code, CodeField::Codes); }
    /// Codes by their number of codings, most first.
    QList<qint32> CodesByCodings() const
    {
        QList<qint32> codes;
        Db().GetAllKeys(TopicId::Codes, codes);
        std::sort(codes.begin(), codes.end(),
                  [this](qint32 a, qint32 b) { return CodingsOf(a) > CodingsOf(b); });
        return codes;
    }

private:
    benchstart::ProgramHome m_home;
    std::unique_ptr<CMainApp> m_app;
    YesToAll m_answers;
    IMessageService* m_previous = nullptr;
    QTimer m_acceptor;
};

void RepaintTopLevels()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            widget->repaint();
}

void BM_CodingListOfAllDocuments(benchmark::State& state)
{
    Program program(state);
    if (!program.Running())
        return;
    for (auto _ : state) {
        program.Choose(NodeKind::DocumentsRoot, 0, 20002, PaneControlId::DocumentTree);
        RepaintTopLevels();
        state.PauseTiming();
        program.Frame()->ListWindows().CloseAll();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["codings"] = program.Db().GetRowCount(TopicId::Codings);
}
BENCHMARK(BM_CodingListOfAllDocuments)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ActivateAndDeactivateAllDocuments(benchmark::State& state)
{
    Program program(state);
    if (!program.Running())
        return;
    // One code activated, as a researcher retrieves: the retrieval runs on
    // each change of the documents.
    const qint32 code = program.CodesByCodings().value(0);
    program.Document().SetItemActivation(NodeKind::Code, code, true, false);
    QElapsedTimer timer;
    double on = 0;
    double off = 0;
    for (auto _ : state) {
        timer.start();
        program.Choose(NodeKind::DocumentsRoot, 0, 20008, PaneControlId::DocumentTree);
        on = std::max(on, timer.nsecsElapsed() / 1e6);
        timer.start();
        program.Choose(NodeKind::DocumentsRoot, 0, 20007, PaneControlId::DocumentTree);
        off = std::max(off, timer.nsecsElapsed() / 1e6);
    }
    state.counters["activate_ms_max"] = on;
    state.counters["deactivate_ms_max"] = off;
    state.counters["code_codings"] = program.CodingsOf(code);
}
BENCHMARK(BM_ActivateAndDeactivateAllDocuments)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DeleteDocument(benchmark::State& state)
{
    Program program(state);
    if (!program.Running())
        return;
    g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, false);
    // Documents with 55 to 65 codings, as many as the runs need.
    QList<qint32> documents;
    program.Db().GetAllKeys(TopicId::Documents, documents);
    QList<qint32> chosen;
    qint64 codings = 0;
    qint64 memos = 0;
    for (const qint32 document : std::as_const(documents)) {
        QList<qint32> keys;
        program.Db().FindKeysByParent(TopicId::Codings, TopicId::Documents, document, keys);
        if (keys.size() >= 55 && keys.size() <= 65) {
            chosen.append(document);
            codings += keys.size();
            keys.clear();
            program.Db().FindKeysByParent(TopicId::Memos, TopicId::Documents, document, keys);
            memos += keys.size();
        }
        if (chosen.size() == 10)
            break;
    }
    int next = 0;
    for (auto _ : state) {
        if (next == chosen.size()) {
            state.SkipWithError("too few documents of about 60 codings");
            break;
        }
        program.Choose(NodeKind::Document, chosen.at(next++), 20025, PaneControlId::DocumentTree);
    }
    if (!chosen.isEmpty()) {
        state.counters["codings_each"] = double(codings) / chosen.size();
        state.counters["memos_each"] = double(memos) / chosen.size();
    }
}
BENCHMARK(BM_DeleteDocument)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DeleteThreeCodes(benchmark::State& state)
{
    Program program(state);
    if (!program.Running())
        return;
    g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, true);  // asked once for all three
    QList<qint32> codes;
    for (const qint32 code : program.CodesByCodings()) {
        const qint32 count = program.CodingsOf(code);
        if (count >= 900 && count <= 1200)
            codes.append(code);
    }
    int next = 0;
    qint64 deleted = 0;
    for (auto _ : state) {
        if (next + 3 > codes.size()) {
            state.SkipWithError("too few codes of about 1,000 codings");
            break;
        }
        state.PauseTiming();
        const QList<quint32> three = {quint32(codes.at(next)), quint32(codes.at(next + 1)),
                                      quint32(codes.at(next + 2))};
        const qint32 before = program.Db().GetRowCount(TopicId::Codings);
        state.ResumeTiming();
        program.Choose(NodeKind::Code, codes.at(next), 20064, PaneControlId::CodeTree, three);
        state.PauseTiming();
        deleted += before - program.Db().GetRowCount(TopicId::Codings);
        next += 3;
        state.ResumeTiming();
    }
    state.counters["codings_deleted_each"] = double(deleted) / std::max<qint64>(1, state.iterations());
}
BENCHMARK(BM_DeleteThreeCodes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CopyTenThousandCodings(benchmark::State& state)
{
    Program program(state);
    if (!program.Running())
        return;
    // The codings of the biggest codes moved into one, until it has 10,000.
    const QList<qint32> codes = program.CodesByCodings();
    const qint32 source = codes.value(0);
    // A target of its own each run: a second copy into the same code would
    // find every coding there already.
    qsizetype nextTarget = codes.size() - 1;
    for (int i = 1; i < codes.size() && program.CodingsOf(source) < 10000; ++i) {
        program.Choose(NodeKind::Code, codes.at(i), 20082, PaneControlId::CodeTree);
        program.Choose(NodeKind::Code, source, 20083, PaneControlId::CodeTree);
    }
    const qint32 before = program.Db().GetRowCount(TopicId::Codings);
    for (auto _ : state) {
        program.Choose(NodeKind::Code, source, 20081, PaneControlId::CodeTree);
        program.Choose(NodeKind::Code, codes.value(nextTarget--), 20083, PaneControlId::CodeTree);
    }
    state.counters["source_codings"] = program.CodingsOf(source);
    state.counters["copied_each"] =
        double(program.Db().GetRowCount(TopicId::Codings) - before) / std::max<qint64>(1, state.iterations());
}
BENCHMARK(BM_CopyTenThousandCodings)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ColourCodeWithFiveHundredSubcodes(benchmark::State& state)
{
    Program program(state);
    if (!program.Running())
        return;
    CodeRecord record;
    record.name = QStringLiteral("Colour parent");
    const qint32 parent = program.Document().NewCode(record);
    record.parent = parent;
    for (int i = 0; i < 500; ++i) {
        record.name = QStringLiteral("Colour child %1").arg(i);
        program.Document().NewCode(record);
    }
    for (auto _ : state)
        program.Choose(NodeKind::Code, parent, 20070, PaneControlId::CodeTree);
    QList<qint32> below;
    program.Document().CollectSubcodes(parent, below);
    state.counters["subcodes"] = below.size();
}
BENCHMARK(BM_ColourCodeWithFiveHundredSubcodes)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
