// The document browser on the large project (a copy of the generated one)
// with one more document: a 5 MB rich text with 2,000 codings.
//
// - opening that document in the browser, from the document's show request
//   to the first painted frame with its stripes: goal 0.5 s;
// - one keystroke typed into it while editing, with the codings after it
//   moved and the stripes laid out and painted again: goal 16 ms;
// - a selection coded and its stripe shown: the coding built from the
//   browser's answers, added through the project document (written and
//   announced), the stripe laid out and painted: goal 20 ms.

#include "bench/guibenchmain.h"
#include "bench/largeproject.h"
#include "bench/rtfsample.h"
#include "browser/textcoderwindow.h"
#include "document/codingrecord.h"
#include "document/documentframe.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/stringstore.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "tests/common/documentowner.h"
#include "tests/common/recordingpane.h"
#include "ui/sidecolumng.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include <memory>
#include <random>

namespace {

constexpr qsizetype kDocumentBytes = 5 * 1024 * 1024;
constexpr int kCodings = 2000;

qint32 AddRow(TopicDatabase& db, qint32 topic, const QList<QPair<qint32, QVariant>>& values)
{
    RowBuffer row;
    if (!db.AddRow(topic, row, -1))
        return 0;
    for (const auto& [id, value] : values) {
        FieldValue field;
        if (!row.GetFieldValue(id, field))
            continue;
        if (value.typeId() == QMetaType::QByteArray)
            field.SetBlob(value.toByteArray());
        else
            field.Parse(value.toString());
    }
    const qint32 key = row.GetKey();
    return row.Commit(true, true) ? key : 0;
}

/// What the frame does for the document around the browser: after a
/// document opens it lays the browser out once more.
class FrameHooks : public IDocumentFrame {
public:
    TextCoderWindow* browser = nullptr;

    bool SetWindowTitle(const QString&) override { return false; }
    void CloseProjectUI() override {}
    void CommitDocumentEdits() override {}
    void LoadMediaFile(const QString&) override {}
    void RebuildGeoLinkList() override {}
    void RefreshBrowser() override
    {
        if (browser)
            browser->Refresh(true);
    }
};

/// The large project open in a document with the browser registered.
class BrowserProject {
public:
    static BrowserProject& Get()
    {
        static BrowserProject project;
        return project;
    }

    ~BrowserProject() { Release(); }
    /// The widgets go while the application still runs: the project itself
    /// lives on to the program's exit.
    void Release()
    {
        m_doc.SetFrame(nullptr);
        m_hooks.browser = nullptr;
        m_browser.reset();
    }

    bool Ok() const { return m_ok; }
    const QString& Error() const { return m_error; }
    CKorDoc& Doc() { return m_doc; }
    TextCoderWindow& Browser() { return *m_browser; }
    qint32 Large() const { return m_large; }
    qint32 Small() const { return m_small; }
    qint32 Code() const { return m_codes.value(0); }

    /// Paints the browser as the screen would.
    void Paint()
    {
        QPainter painter(&m_frame);
        m_browser->render(&painter);
    }

private:
    BrowserProject() : m_requests(m_doc), m_owner(m_log)
    {
        g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
        if (!m_copy.Make(&m_error))
            return;
        auto engine = m_doc.OpenProjectFile(m_copy.Path(), QStringLiteral("MAIN"));
        if (!engine || !m_doc.OpenProject(std::move(engine), false)) {
            m_error = QStringLiteral("cannot open the copy");
            return;
        }
        m_doc.GetRegistry().SetOwner(&m_owner);
        TopicDatabase& db = m_doc.GetDatabase();
        db.GetAllKeys(TopicId::Codes, m_codes);
        if (m_codes.size() > 40)
            m_codes.resize(40);
        const QByteArray rtf = MakeSampleRtf(kDocumentBytes);
        {
            StoreTransaction transaction(&db);
            const qint32 group = AddRow(db, TopicId::DocumentGroups, {{3, QStringLiteral("Browser bench")}});
            m_large = AddRow(db, TopicId::Documents, {{DocumentField::GroupID, group},
                                                      {DocumentField::Name, QStringLiteral("Five megabytes")},
                                                      {DocumentField::Text, rtf}});
            m_small = AddRow(db, TopicId::Documents, {{DocumentField::GroupID, group},
                                                      {DocumentField::Name, QStringLiteral("Small")},
                                                      {DocumentField::Text, QByteArray("{\\rtf1 Small.\\par}")}});
            // The text's length decides where codings may lie.
            const std::unique_ptr<CRichEditCtrlEx> measure = std::make_unique<CRichEditCtrlEx>();
            measure->StreamInRtf(&rtf, false);
            const int length = measure->GetTextLength();
            std::mt19937 random(7);
            for (int i = 0; i < kCodings; ++i) {
                const int start = int(qint64(length - 4000) * i / kCodings + random() % 500);
                const int finish = start + 40 + int(random() % 3000);
                AddRow(db, TopicId::Codings,
                       {{CodingField::Document, m_large},
                        {CodingField::Code, m_codes.value(i % std::max<qsizetype>(1, m_codes.size()))},
                        {CodingField::StartChar, start},
                        {CodingField::FinishChar, finish},
                        {CodingField::IsText, 1}});
            }
            if (!transaction.Commit()) {
                m_error = QStringLiteral("cannot add the document");
                return;
            }
        }
        m_browser = std::make_unique<TextCoderWindow>();
        m_browser->SetOwner(&m_requests);
        m_browser->resize(1000, 700);
        m_browser->show();
        m_doc.GetRegistry().Register(m_browser.get());
        m_hooks.browser = m_browser.get();
        m_doc.SetFrame(&m_hooks);
        qAddPostRoutine([] { Get().Release(); });
        m_frame = QImage(m_browser->size(), QImage::Format_ARGB32_Premultiplied);
        m_ok = m_large != 0;
    }

    benchproject::ProjectCopy m_copy;
    QString m_error;
    CKorDoc m_doc;
    testutil::DocumentOwner m_requests;
    testutil::CallLog m_log;
    testutil::RecordingOwner m_owner;
    std::unique_ptr<TextCoderWindow> m_browser;
    FrameHooks m_hooks;
    QList<qint32> m_codes;
    qint32 m_large = 0;
    qint32 m_small = 0;
    QImage m_frame;
    bool m_ok = false;
};

void BM_OpenLargeDocumentInBrowser(benchmark::State& state)
{
    BrowserProject& project = BrowserProject::Get();
    if (!project.Ok()) {
        state.SkipWithError(project.Error().toUtf8().constData());
        return;
    }
    for (auto _ : state) {
        project.Doc().SetOpenDocument(project.Small(), 0);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        project.Doc().SetOpenDocument(project.Large(), 0);
        project.Paint();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
    state.counters["stripes"] = project.Browser().GetStripeCount();
    state.counters["characters"] = project.Browser().GetTextLength();
    state.counters["lanes"] = project.Browser().GetStripeLaneCount();
}
BENCHMARK(BM_OpenLargeDocumentInBrowser)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_KeystrokeWithStripes(benchmark::State& state)
{
    BrowserProject& project = BrowserProject::Get();
    if (!project.Ok()) {
        state.SkipWithError(project.Error().toUtf8().constData());
        return;
    }
    TextCoderWindow& browser = project.Browser();
    project.Doc().SetOpenDocument(project.Large(), 0);
    browser.SetEditable(true);
    CSideColumnG* text = browser.TextControl();
    // In the middle of the text, with half the codings after the caret.
    const int middle = browser.GetTextLength() / 2;
    text->SetSel(middle, middle);
    text->ensureCursorVisible();
    browser.TextScrolled();
    project.Paint();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(text, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(text, &release);
        // The margins and the addresses in the text follow once the key's
        // edit is over.
        QCoreApplication::processEvents();
        project.Paint();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
    browser.UndoAll();
    browser.SetEditable(false);
}
BENCHMARK(BM_KeystrokeWithStripes)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

void BM_CodeSelectionAndShowStripe(benchmark::State& state)
{
    BrowserProject& project = BrowserProject::Get();
    if (!project.Ok()) {
        state.SkipWithError(project.Error().toUtf8().constData());
        return;
    }
    TextCoderWindow& browser = project.Browser();
    project.Doc().SetOpenDocument(project.Large(), 0);
    CSideColumnG* text = browser.TextControl();
    const int middle = browser.GetTextLength() / 3;
    text->SetSel(middle, middle + 120);
    text->ensureCursorVisible();
    browser.TextScrolled();
    project.Paint();
    int shift = 0;
    for (auto _ : state) {
        // A new segment each time: an equal one would merge into the last.
        text->SetSel(middle + shift, middle + shift + 120);
        shift += 200;
        QElapsedTimer timer;
        timer.start();
        // The frame's coding of a selection: the browser's answers, the
        // coding added through the project document (written and
        // announced), the stripe laid out and painted.
        CodingRecord record;
        browser.GetSelection(record.Page, record.StartChar, record.FinishChar, record.PosX1, record.PosX2,
                             record.IsText, 0);
        record.TextID = project.Large();
        record.WordID = project.Code();
        record.StartPara = browser.GetParagraphAt(record.StartChar, true, 0, 0);
        record.FinishPara = browser.GetParagraphAt(record.FinishChar, false, 0, 0);
        browser.GetSelectionRtf(record.Text, 0);
        record.Preview = browser.GetSelectedText(63);
        browser.GetSelectionCoverage(record.Area, record.Coverage, 0);
        qint32 action = 0;
        project.Doc().AddCoding(record, action, OverlapMode::Replace, nullptr, false);
        project.Paint();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
    state.counters["stripes"] = browser.GetStripeCount();
}
BENCHMARK(BM_CodeSelectionAndShowStripe)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
