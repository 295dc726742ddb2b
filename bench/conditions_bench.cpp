// Logical activation on the large project:
// - its documents activated by three conditions on their variables, the one
//   retrieval included: goal at most 50 ms with no code activated and at
//   most 100 ms with the manifest's ten report codes activated;
// - the distinct values of a variable, as the condition dialog's value box
//   asks for them: goal at most 20 ms.

#include "bench/guibenchmain.h"
#include "bench/retrievalproject.h"
#include "store/fielddescriptor.h"
#include "store/topictable.h"

#include <algorithm>

namespace {

/// Three conditions over the project's variables: the first numeric one
/// above its middle value, OR the first text one equal to its first value,
/// AND the second text one not equal to its last value.
QList<ActivationCondition> ThreeConditions(const TopicDatabase& db)
{
    QList<const FieldDescriptor*> numeric;
    QList<const FieldDescriptor*> text;
    const FieldList& fields = db.GetTable(TopicId::Documents)->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldDescriptor* field = fields.GetAt(i);
        if (!field || !(field->State & FieldState::UserVariable))
            continue;
        (field->Type == FieldType::Integer ? numeric : text).append(field);
    }
    const auto values = [&db](const FieldDescriptor* field) {
        QStringList values;
        db.GetDistinctValues(TopicId::Documents, field->ID, &values);
        return values;
    };
    QList<ActivationCondition> conditions;
    if (numeric.isEmpty() || text.size() < 2)
        return conditions;
    const QStringList a = values(numeric.first());
    const QStringList b = values(text.at(0));
    const QStringList c = values(text.at(1));
    if (a.isEmpty() || b.isEmpty() || c.isEmpty())
        return conditions;
    conditions.append({numeric.first()->ID, numeric.first()->Name, 0, 3, a.at(a.size() / 2)});
    conditions.append({text.at(0)->ID, text.at(0)->Name, 0, 0, b.first()});
    conditions.append({text.at(1)->ID, text.at(1)->Name, 1, 1, c.last()});
    return conditions;
}

void ActivateAllDocuments(CKorDoc& doc)
{
    doc.SetItemActivation(TopicKind::DocumentsRoot, 0, true, false);
}

void RunActivation(benchmark::State& state, bool withCodes)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    CKorDoc& doc = project->Doc();
    project->ActivateCodes(withCodes ? project->ReportCodes() : QList<qint32>{});
    const QList<ActivationCondition> conditions = ThreeConditions(doc.GetDatabase());
    if (conditions.isEmpty()) {
        state.SkipWithError("the project has no variables to test");
        return;
    }
    qint64 changedRuns = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ActivateAllDocuments(doc);
        state.ResumeTiming();
        changedRuns += doc.ActivateByVariables(conditions, false) ? 1 : 0;
    }
    state.counters["documents"] = double(doc.GetDatabase().GetRowCount(TopicId::Documents));
    QList<qint32> keys;
    doc.GetDatabase().GetAllKeys(TopicId::Documents, keys);
    state.counters["activated"] =
        double(std::count_if(keys.begin(), keys.end(), [&](qint32 key) { return doc.IsActivated(TopicId::Documents, key); }));
    state.counters["changed runs"] = double(changedRuns);
    ActivateAllDocuments(doc);
}

void BM_ActivateDocumentsByThreeConditions(benchmark::State& state)
{
    RunActivation(state, false);
}
BENCHMARK(BM_ActivateDocumentsByThreeConditions)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ActivateDocumentsByThreeConditionsWithTenCodes(benchmark::State& state)
{
    RunActivation(state, true);
}
BENCHMARK(BM_ActivateDocumentsByThreeConditionsWithTenCodes)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DistinctValuesOfAVariable(benchmark::State& state)
{
    LargeProject* project = OpenLargeProject(state);
    if (!project)
        return;
    const TopicDatabase& db = project->Doc().GetDatabase();
    const QList<ActivationCondition> conditions = ThreeConditions(db);
    if (conditions.isEmpty()) {
        state.SkipWithError("the project has no variables to test");
        return;
    }
    qsizetype count = 0;
    for (auto _ : state) {
        QStringList values;
        db.GetDistinctValues(TopicId::Documents, conditions.at(1).fieldId, &values);
        count = values.size();
    }
    state.counters["values"] = double(count);
}
BENCHMARK(BM_DistinctValuesOfAVariable)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN();
