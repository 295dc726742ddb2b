// The project as XML, the quote matrix and the crosstab counts on the large
// project, and the coded-text print of a long coded document into a PDF.

#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "document/analysistable.h"
#include "exchange/projectxml.h"
#include "foundation/programpaths.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "store/topictable.h"
#include "ui/codedtextprintengine.h"

#include <QFileInfo>
#include <QPrinter>
#include <QSet>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

namespace {

using namespace benchproject;

/// Four conditions on the first text variable of the documents: two of its
/// values, and below and above the middle of the alphabet.
QList<ActivationCondition> FourConditions(TopicDatabase& db)
{
    const TopicTable* table = db.GetTable(TopicId::Documents);
    const FieldDescriptor* variable = nullptr;
    for (int i = 0; table && i < table->Fields().Count() && !variable; ++i) {
        const FieldDescriptor* field = table->Fields().GetAt(i);
        if ((field->State & FieldState::UserVariable) && field->Type == FieldType::ShortText)
            variable = field;
    }
    if (!variable)
        return {};
    QStringList values;
    table->ForEachRow([&](qint32, const char* row) {
        const QString value = FieldValue(*variable, const_cast<char*>(row) + variable->Offset).Format();
        if (values.size() < 2 && !value.isEmpty() && !values.contains(value))
            values.append(value);
    });
    QList<ActivationCondition> conditions;
    const auto add = [&](qint32 comparison, const QString& value) {
        ActivationCondition condition;
        condition.fieldId = variable->ID;
        condition.fieldName = variable->Name;
        condition.comparison = comparison;
        condition.value = value;
        conditions.append(condition);
    };
    add(0, values.value(0));
    add(0, values.value(1));
    add(2, QStringLiteral("M"));
    add(3, QStringLiteral("M"));
    return conditions;
}

/// The first `count` codes that have codings, in store order.
QList<qint32> CodesWithCodings(TopicDatabase& db, qsizetype count)
{
    QSet<qint32> coded;
    QList<qint32> codings;
    db.GetAllKeys(TopicId::Codings, codings);
    for (const qint32 coding : std::as_const(codings))
        coded.insert(db.GetIntValue(TopicId::Codings, coding, CodingField::Code));
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    QList<qint32> picked;
    for (const qint32 code : std::as_const(codes))
        if (picked.size() < count && coded.contains(code))
            picked.append(code);
    return picked;
}

/// Goal: at most 10 s.
void BM_ProjectAsXml(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    QTemporaryDir out;
    for (auto _ : state) {
        const ProjectXml::Outcome outcome = ProjectXml::ExportProject(project.shell.doc, out.path());
        if (!outcome.written || !outcome.problems.isEmpty()) {
            state.SkipWithError(qPrintable(outcome.problems.join(u'\n')));
            return;
        }
    }
    TopicDatabase& db = project.shell.doc.GetDatabase();
    state.counters["documents"] = db.GetRowCount(TopicId::Documents);
    state.counters["codings"] = db.GetRowCount(TopicId::Codings);
}
BENCHMARK(BM_ProjectAsXml)->Unit(benchmark::kSecond)->Iterations(1);

/// Goal: at most 2 s for 10 codes and 4 conditions.
void BM_QuoteMatrix(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    QTemporaryDir out;
    g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR) + u'/';
    g_program.SettingsFolder = out.path() + u'/';
    TopicDatabase& db = project.shell.doc.GetDatabase();
    const QList<ActivationCondition> conditions = FourConditions(db);
    const QList<qint32> codes = CodesWithCodings(db, 10);
    if (conditions.size() != 4 || codes.size() != 10) {
        state.SkipWithError("no variable or too few codes");
        return;
    }
    QString written;
    for (auto _ : state)
        if (!AnalysisTable::ExportQuoteMatrix(project.shell.doc, conditions, codes, false, &written)) {
            state.SkipWithError("the quote matrix was not written");
            return;
        }
    state.counters["kilobytes"] = double(QFileInfo(written).size()) / 1024;
}
BENCHMARK(BM_QuoteMatrix)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Goal: at most 0.2 s for 3,000 codes and 4 conditions.
void BM_CrosstabCounts(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    TopicDatabase& db = project.shell.doc.GetDatabase();
    const QList<ActivationCondition> conditions = FourConditions(db);
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    codes = codes.mid(0, 3000);
    QList<qint32> codings;
    QList<qint32> documents;
    for (auto _ : state)
        AnalysisTable::CollectAnalysisTableCodings(project.shell.doc, conditions, codes, codings, documents, false);
    state.counters["codes"] = double(codes.size());
    state.counters["codings_counted"] = codings.isEmpty() ? 0 : codings.back();
}
BENCHMARK(BM_CrosstabCounts)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Goal: at most 10 s for a 5 MB text with 2,000 codings.
void BM_CodedTextPrint(benchmark::State& state)
{
    QTemporaryDir out;
    const PrintDialogRunner previous = SetPrintDialogRunner([&out](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("coded.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    });
    QTextDocument text;
    CodedTextPrintSource source;
    {
        QTextCursor cursor(&text);
        const QString line = QStringLiteral("The interview went on about the work, the town and the years before; ");
        qsizetype size = 0;
        for (int n = 1; size < 5 * 1024 * 1024; ++n) {
            if (n > 1)
                cursor.insertBlock();
            source.paragraphStarts.append(cursor.position());
            const QString paragraph = QStringLiteral("%1 ").arg(n) + line.repeated(4);
            cursor.insertText(paragraph);
            size += paragraph.size() + 1;
        }
    }
    const int length = text.characterCount() - 1;
    for (int i = 0; i < 2000; ++i) {
        const int start = int(qint64(length) * i / 2000);
        source.codings.append({start, std::min(length, start + 3000), 1 + i % 4, COLORREF(0xFF) << (8 * (i % 3)),
                               QStringLiteral("Code %1").arg(i % 40)});
    }
    source.laneCount = 4;
    source.text = &text;
    source.title = QStringLiteral("Long interview");
    int pages = 0;
    for (auto _ : state) {
        CCodedTextPrintEngine engine(source, true);
        if (!engine.Print()) {
            state.SkipWithError("nothing printed");
            break;
        }
        pages = engine.PagesPrinted();
    }
    SetPrintDialogRunner(previous);
    state.counters["pages"] = pages;
    state.counters["codings"] = double(source.codings.size());
}
BENCHMARK(BM_CodedTextPrint)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

KORVAN_GUI_BENCHMARK_MAIN()
