// The retrieval windows on the large project (every document activated):
// - the retrieved-segments pane shows about 1,000 segments with their strip:
//   the broadcasting run, every segment's row and text asked of the frame's
//   side, the text built, the boxes aligned and the pane painted (goal 1 s);
// - the retrieval-function dialog's live count after one change of its
//   number, through the counting run (goal 50 ms per change).
// segments is the number of segments shown or counted.

#include "bench/guibenchmain.h"
#include "bench/retrievalproject.h"
#include "document/objectlistregistry.h"
#include "foundation/optionsrecord.h"
#include "retrieval/retrievalfunctiondlg.h"
#include "retrieval/segmentsctrl.h"
#include "store/topicdatabase.h"
#include "ui/dlgbase.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSpinBox>

namespace {


/// Answers the pane's rows and texts as the frame's router does.
class DocumentOwner : public RichViewOwner {
public:
    explicit DocumentOwner(CKorDoc& doc) : m_doc(doc) {}
    void Request(NotifyHead& record) override
    {
        if (record.code == RequestCode::GetRecord)
            m_doc.HandleGetRecord(static_cast<RecordNotifyInfo&>(record));
        else if (record.code == RequestCode::ItemInfo)
            m_doc.HandleItemQuery(static_cast<ListNotifyInfo&>(record));
    }

private:
    CKorDoc& m_doc;
};

/// The report codes, then further codes (in key order) as long as they keep
/// the result at most 1,100 segments, until it holds at least 1,000.
QList<qint32> CodesForThousandSegments(LargeProject& project)
{
    QList<qint32> codes = project.ReportCodes();
    OptionsRecord settings = project.Doc().GetRetrievalSettings();
    settings.retrievalFunction = 0;
    QList<qint32> all;
    project.Doc().GetDatabase().GetAllKeys(TopicId::Codes, all);
    for (const qint32 code : std::as_const(all)) {
        if (codes.contains(code))
            continue;
        project.ActivateCodes(codes + QList<qint32>{code});
        const qint32 count = project.Doc().RunRetrieval(settings, 1);
        if (count > 1100)
            continue;
        codes.append(code);
        if (count >= 1000)
            break;
    }
    return codes;
}

void BM_ShowThousandSegments(benchmark::State& state)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    CKorDoc& doc = project->Doc();
    project->ActivateCodes(CodesForThousandSegments(*project));
    DocumentOwner owner(doc);
    SegmentsCtrl pane;
    pane.SetOwner(&owner);
    pane.SetDatabase(&doc.GetDatabase());
    pane.resize(900, 700);
    pane.show();
    doc.GetRegistry().Register(&pane);
    OptionsRecord& settings = doc.GetRetrievalSettings();
    settings.retrievalFunction = 0;
    for (auto _ : state) {
        doc.RunRetrieval(settings, 0);
        pane.repaint();
        QCoreApplication::processEvents();
    }
    state.counters["segments"] = pane.GetSegmentCount();
    state.counters["memo_markers"] = double(pane.MemoMarks().size());
    doc.GetRegistry().Unregister(&pane);
}
BENCHMARK(BM_ShowThousandSegments)->Unit(benchmark::kMillisecond)->Iterations(5);

/// Host of the dialog: the counting run on the document.
class CountingHost : public IRetrievalFunctionHost {
public:
    explicit CountingHost(CKorDoc& doc) : m_doc(doc) {}
    qint32 CountRetrieval(const OptionsRecord& settings) override { return m_doc.RunRetrieval(settings, 1); }
    void RetrievalSettingsApplied() override {}
    QString CodeName(qint32 code) override { return m_doc.GetDatabase().FormatRowDisplay(TopicId::Codes, code, false); }
    QList<qint32> ActivatedCodes() override
    {
        return retrieval::RetrievalEngine::CollectActivatedCodes(m_doc.GetDatabase());
    }
    QList<QPair<qint32, QString>> QuickCodes() override { return {}; }

private:
    CKorDoc& m_doc;
};

// Function 9 (near one code) over the report codes: each change of the
// distance in the dialog counts anew.
void BM_LiveCountPerChange(benchmark::State& state)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    CKorDoc& doc = project->Doc();
    project->ActivateCodes(project->ReportCodes());
    OptionsRecord settings = doc.GetRetrievalSettings();
    settings.retrievalFunction = 9;
    settings.codeIds.assign(project->ReportCodes().begin(), project->ReportCodes().end());
    settings.nearCode = project->CoOccurrenceCodes().value(0);
    CountingHost host(doc);
    CRetrievalFunctionDlg dialog(&host, &settings);
    dialog.show();
    auto* number = qobject_cast<QSpinBox*>(FindControl(&dialog, 1115));
    int distance = 0;
    for (auto _ : state) {
        distance = (distance + 1) % 5;
        number->setValue(distance);
        // The field is left: the change is counted at once.
        emit number->editingFinished();
    }
    state.counters["segments"] = dialog.ShownCount();
    state.counters["runs"] = dialog.CountRuns();
}
BENCHMARK(BM_LiveCountPerChange)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
