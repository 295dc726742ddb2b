// Tables in and out on the scale of the large project: a variables table
// of 5,000 rows x 50 columns into its documents, a coded-segments table of
// 5,000 rows x 20 codes (100,000 codings) into a new project, a 5,000 x 50
// workbook read as tab text, and the whole large project as one workbook
// through the frame's command (620).

#include "app/mainframe.h"
#include "bench/benchmemory.h"
#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "bench/programstart.h"
#include "document/rowfields.h"
#include "exchange/tableexports.h"
#include "exchange/tableimports.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/workbook.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace benchproject;

constexpr int kRows = 5000;
constexpr int kVariableColumns = 50;
constexpr int kCodeColumns = 20;

/// Takes every column as the import proposes it.
class AcceptAll : public IImportColumnsChooser {
public:
    bool ChooseColumns(const TopicDatabase&, qint32, QList<ImportColumn>&) override { return true; }
};

/// Answers every question with its default and every file prompt with one
/// path; shows nothing.
class Answers : public IMessageService {
public:
    explicit Answers(QString file) : m_file(std::move(file)), m_previous(SetMessageService(this)) {}
    ~Answers() override { SetMessageService(m_previous); }
    MessageAnswer Ask(const QString& text, MessageButtons, MessageKind, MessageAnswer answer) override
    {
        texts.append(text);
        return answer;
    }
    QStringList PromptFiles(const FilePrompt&) override { return {m_file}; }
    QStringList texts;

private:
    QString m_file;
    IMessageService* m_previous;
};

/// A cell of row r and column c: integers, reals, texts and booleans by turns.
QString Cell(int r, int c)
{
    switch (c % 4) {
    case 0: return QString::number(r * 7 + c);
    case 1: return QString::number((r + c) / 8.0, 'g', 6);
    case 2: return QStringLiteral("text %1").arg((r + c) % 97);
    default: return (r + c) % 2 ? QStringLiteral("1") : QStringLiteral("0");
    }
}

/// Goal: at most 1 s.
void BM_VariablesTableIntoTheLargeProject(benchmark::State& state)
{
    OpenLargeProject project;
    if (!project.Open(state))
        return;
    CKorDoc& doc = project.shell.doc;
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    QString table = QStringLiteral("Textgroup\tTextname");
    for (int c = 0; c < kVariableColumns; ++c)
        table += QStringLiteral("\tVar%1").arg(c);
    table += QStringLiteral("\r\n");
    for (int r = 0; r < kRows && r < documents.size(); ++r) {
        const qint32 group = db.GetIntValue(TopicId::Documents, documents.at(r), DocumentField::GroupID);
        table += rowfields::TextOfKey(db, TopicId::DocumentGroups, group, GroupField::Name) + u'\t' +
                 rowfields::TextOfKey(db, TopicId::Documents, documents.at(r), DocumentField::Name);
        for (int c = 0; c < kVariableColumns; ++c)
            table += u'\t' + Cell(r, c);
        table += QStringLiteral("\r\n");
    }
    AcceptAll chooser;
    for (auto _ : state) {
        if (!TableImports(doc, chooser).ImportVariablesTable(QString(), table, false, false, 0)) {
            state.SkipWithError("the import failed");
            return;
        }
    }
    state.counters["rows"] = double(std::min<qsizetype>(kRows, documents.size()));
    state.counters["variables"] = db.CountUserFields(TopicId::Documents);
}
BENCHMARK(BM_VariablesTableIntoTheLargeProject)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Goal: at most 5 s.
void BM_SegmentsTableIntoANewProject(benchmark::State& state)
{
    g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
    BuildOptionDefinitions();
    QString table = QStringLiteral("Textgroup\tTextname");
    for (int c = 0; c < kCodeColumns; ++c)
        table += QStringLiteral("\tTopic %1\\Code %2").arg(c / 5).arg(c);
    table += QStringLiteral("\r\n");
    for (int r = 0; r < kRows; ++r) {
        table += QStringLiteral("Group %1\tCase %2").arg(r / 100).arg(r);
        for (int c = 0; c < kCodeColumns; ++c)
            table += QStringLiteral("\tAnswer %1 to question %2, in a few words.").arg(r).arg(c);
        table += QStringLiteral("\r\n");
    }
    AcceptAll chooser;
    Answers answers(QString());
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        Shell shell;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("new.kv4"));
        if (!shell.doc.OpenProject(shell.doc.CreateProjectFile(path, QStringLiteral("MAIN")), false)) {
            state.SkipWithError("no new project");
            return;
        }
        state.ResumeTiming();
        if (!TableImports(shell.doc, chooser).ImportCodedSegmentsTable(table, false, false)) {
            state.SkipWithError("the import failed");
            return;
        }
        state.PauseTiming();
        state.counters["documents"] = shell.doc.GetDatabase().GetRowCount(TopicId::Documents);
        state.counters["codings"] = shell.doc.GetDatabase().GetRowCount(TopicId::Codings);
        shell.Close();
        state.ResumeTiming();
    }
    state.counters["peak_rss_mb"] = PeakResidentMegabytes();
}
BENCHMARK(BM_SegmentsTableIntoANewProject)->Unit(benchmark::kSecond)->Iterations(1);

/// Goal: at most 1 s.
void BM_ReadExcelSheetText(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("table.xlsx"));
    {
        CWorkbook book;
        book.SetConstantMemory(true);
        CWorkbookSheet* sheet = book.Create(file) ? book.AddSheet(QStringLiteral("Table")) : nullptr;
        if (!sheet) {
            state.SkipWithError("no workbook");
            return;
        }
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kVariableColumns; ++c) {
                if (c % 4 == 2)
                    sheet->WriteString(r, c, Cell(r, c));
                else
                    sheet->WriteNumber(r, c, Cell(r, c).toDouble());
            }
        if (!book.Save(file)) {
            state.SkipWithError("the workbook was not written");
            return;
        }
    }
    qsizetype length = 0;
    for (auto _ : state) {
        QString text;
        if (!tableimport::ReadExcelSheetText(file, text)) {
            state.SkipWithError("the workbook was not read");
            return;
        }
        length = text.size();
    }
    state.counters["characters"] = double(length);
}
BENCHMARK(BM_ReadExcelSheetText)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Goal: at most 20 s.
void BM_ProjectWorkbookFromTheFrame(benchmark::State& state)
{
    benchstart::ProgramHome home;
    std::unique_ptr<CMainApp> app = benchstart::StartProgramOrSkip(state, home);
    if (!app)
        return;
    TableExports::SetOpener({});
    g_qdaOptions.SetValueText(QdaOption::ExcelFormat, QStringLiteral("1"));
    QTemporaryDir out;
    const QString file = QDir(out.path()).filePath(QStringLiteral("project.xlsx"));
    {
        Answers answers(file);
        for (auto _ : state) {
            PeakAbove peak;
            app->MainFrame()->Commands().Execute(620);
            state.counters["mb_above_program"] = peak.Megabytes();
        }
        if (!QFileInfo::exists(file))
            state.SkipWithError(qPrintable(QStringLiteral("no workbook: ") + answers.texts.join(u' ')));
    }
    state.counters["file_mb"] = QFileInfo(file).size() / 1048576.0;
    benchstart::StopProgram(std::move(app));
}
BENCHMARK(BM_ProjectWorkbookFromTheFrame)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
