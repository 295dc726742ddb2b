// Print-outs read back from PDF files: the generic engine's pages, header
// and footer and page ranges, a cancelled dialog, and the coded-text
// engine's columns of paragraph numbers, memos and coding bars.

#include "common/printcapture.h"
#include "common/screenshots.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "ui/codedtextprintengine.h"
#include "ui/printengine.h"

#include <QApplication>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QTimer>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int kLines = 150;

QString LineText(int n)
{
    return QStringLiteral("Line %1 of the report.").arg(n);
}

/// `count` paragraphs, each its own line.
void FillLines(QTextDocument& document, int count)
{
    QTextCursor cursor(&document);
    for (int n = 1; n <= count; ++n) {
        if (n > 1)
            cursor.insertBlock();
        cursor.insertText(LineText(n));
    }
}

/// How often each numbered line appears over all pages.
QList<int> LineOccurrences(const QStringList& pages, int count)
{
    QList<int> seen(count + 1, 0);
    static const QRegularExpression line(QStringLiteral("Line (\\d+) of the report"));
    for (const QString& page : pages) {
        auto it = line.globalMatch(page);
        while (it.hasNext()) {
            const int n = it.next().captured(1).toInt();
            if (n >= 1 && n <= count)
                ++seen[n];
        }
    }
    return seen;
}

/// A line at a page's end is neither cut off nor printed twice.
void ExpectEveryLineOnce(const QStringList& pages)
{
    const QList<int> seen = LineOccurrences(pages, kLines);
    for (int n = 1; n <= kLines; ++n)
        EXPECT_EQ(seen[n], 1) << "line " << n;
}

class PrintEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The print options with their defaults, whatever ran before.
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        BuildOptionDefinitions();
        g_pStringStore->Close();
    }
    void TearDown() override
    {
        g_prnexpOptions.SetString(PrnexpOption::HeaderText, QString());
        g_prnexpOptions.SetString(PrnexpOption::FooterText, QString());
    }
    testutil::TempDir dir;
    testutil::PrintCapture capture{dir.path()};
};

TEST_F(PrintEngineTest, LongTextGoesOnSeveralPagesWithEveryLineOnceUnderHeaderAndFooter)
{
    CPrintEngine engine(QStringLiteral("Project: Study"), QStringLiteral("24.12.2026"));
    FillLines(*engine.RichEdit().GetDocument(), kLines);
    ASSERT_TRUE(engine.Print());

    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    ASSERT_GE(pages.size(), 2);
    EXPECT_EQ(engine.PagesPrinted(), pages.size());
    ExpectEveryLineOnce(pages);
    for (int page = 0; page < pages.size(); ++page) {
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Project: Study"))) << "page " << page + 1;
        EXPECT_TRUE(pages[page].contains(QStringLiteral("24.12.2026"))) << "page " << page + 1;
        EXPECT_TRUE(pages[page].contains(QRegularExpression(QStringLiteral("(^|\\s)%1(\\s|$)").arg(page + 1))))
            << "page number on page " << page + 1;
    }
    EXPECT_TRUE(pages.first().contains(LineText(1)));
    EXPECT_TRUE(pages.last().contains(LineText(kLines)));
}

TEST_F(PrintEngineTest, PrintsTheTextOfAGivenControl)
{
    CRichEditCtrlEx source;
    source.SetText(QStringLiteral("Copied from the logbook"));
    CPrintEngine engine(QStringLiteral("Log"), QStringLiteral("today"));
    ASSERT_TRUE(engine.Print(&source));
    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Copied from the logbook")));
}

TEST_F(PrintEngineTest, CancelledDialogPrintsNothing)
{
    capture.cancel = true;
    CPrintEngine engine(QStringLiteral("Title"), QStringLiteral("today"));
    FillLines(*engine.RichEdit().GetDocument(), 5);
    EXPECT_FALSE(engine.Print());
    EXPECT_EQ(capture.dialogs, 1);
    EXPECT_EQ(engine.PagesPrinted(), 0);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(PrintDialog, ThePlatformDialogCancelledPrintsNothing)
{
    // No runner installed: the platform's own dialog shows, and is closed
    // with Escape as a user would.
    const PrintDialogRunner previous = SetPrintDialogRunner({});
    bool shown = false;
    bool offersFile = false;
    bool toFileWithoutPrinter = false;
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        shown = dialog != nullptr;
        // Printing to a PDF file is offered, and chosen when there is no printer.
        offersFile = dialog && dialog->testOption(QAbstractPrintDialog::PrintToFile);
        toFileWithoutPrinter = !QPrinterInfo::availablePrinters().isEmpty() ||
                               (dialog && dialog->printer()->outputFormat() == QPrinter::PdfFormat &&
                                dialog->printer()->outputFileName().endsWith(QStringLiteral("Title.pdf")));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    timer->start();
    CPrintEngine engine(QStringLiteral("Title"), QStringLiteral("today"));
    engine.RichEdit().SetText(QStringLiteral("Never printed"));
    EXPECT_FALSE(engine.Print());
    EXPECT_TRUE(shown);
    EXPECT_TRUE(offersFile);
    EXPECT_TRUE(toFileWithoutPrinter);
    EXPECT_EQ(engine.PagesPrinted(), 0);
    SetPrintDialogRunner(previous);
}

TEST_F(PrintEngineTest, APrintThatCannotStartIsReported)
{
    const PrintDialogRunner previous = SetPrintDialogRunner([this](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.file(QStringLiteral("missing/folder/print.pdf")));
        return true;
    });
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
    testutil::ScriptedMessages messages;
    CPrintEngine engine(QStringLiteral("Title"), QStringLiteral("today"));
    FillLines(*engine.RichEdit().GetDocument(), 5);
    EXPECT_FALSE(engine.Print());
    g_pStringStore->Close();
    SetPrintDialogRunner(previous);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts.first(),
              QStringLiteral("The print could not start on \"%1\".").arg(dir.file(QStringLiteral("missing/folder/print.pdf"))));
    EXPECT_EQ(engine.PagesPrinted(), 0);
}

TEST_F(PrintEngineTest, PageRangePrintsOnlyThosePagesAsTheWholePrintHasThem)
{
    CPrintEngine engine(QStringLiteral("Title"), QStringLiteral("today"));
    FillLines(*engine.RichEdit().GetDocument(), kLines * 2);
    ASSERT_TRUE(engine.Print());
    const QStringList whole = testutil::PrintedPages(capture.LastFile());
    ASSERT_GE(whole.size(), 4);

    capture.pageRange = {2, 3};
    ASSERT_TRUE(engine.Print());
    EXPECT_EQ(engine.PagesPrinted(), 2);
    const QStringList part = testutil::PrintedPages(capture.LastFile());
    ASSERT_EQ(part.size(), 2);
    EXPECT_EQ(part[0], whole[1]);
    EXPECT_EQ(part[1], whole[2]);
}

TEST_F(PrintEngineTest, UserHeaderAndFooterTextsArePrintedBesideTitleDateAndNumber)
{
    g_prnexpOptions.SetString(PrnexpOption::HeaderText, QStringLiteral("Confidential"));
    g_prnexpOptions.SetInt(PrnexpOption::HeaderAlignment, 0);
    g_prnexpOptions.SetString(PrnexpOption::FooterText, QStringLiteral("Team Nord"));
    g_prnexpOptions.SetInt(PrnexpOption::FooterAlignment, 1);
    CPrintEngine engine(QStringLiteral("Title"), QStringLiteral("today"));
    FillLines(*engine.RichEdit().GetDocument(), 3);
    ASSERT_TRUE(engine.Print());
    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    ASSERT_EQ(pages.size(), 1);
    for (const char* text : {"Confidential", "Team Nord", "Title", "today", "1"})
        EXPECT_TRUE(pages[0].contains(QString::fromLatin1(text))) << text;
}

TEST(PrintPageFramePlaces, UserTextsMoveWhatTheyWouldCover)
{
    const struct {
        bool header;
        int headerAlignment;
        bool footer;
        int footerAlignment;
        int title, date, number;
    } cases[] = {
        {false, 0, false, 0, 0, 2, 1},   // title left, date right, number centred
        {true, 0, false, 0, 1, 2, 1},    // a header text at the left: title to the centre
        {true, 1, false, 0, 0, 2, 1},
        {true, 2, false, 0, 0, 1, 1},    // at the right: date to the centre
        {false, 0, true, 0, 0, 2, 2},    // a footer text at the left or centre: number right
        {false, 0, true, 1, 0, 2, 2},
        {false, 0, true, 2, 0, 2, 0},    // at the right: number left
    };
    for (const auto& c : cases) {
        const PrintPageFrame::Places places =
            PrintPageFrame::PlacesFor(c.header, c.headerAlignment, c.footer, c.footerAlignment);
        EXPECT_EQ(places.title, c.title) << c.header << c.headerAlignment << c.footer << c.footerAlignment;
        EXPECT_EQ(places.date, c.date) << c.header << c.headerAlignment << c.footer << c.footerAlignment;
        EXPECT_EQ(places.number, c.number) << c.header << c.headerAlignment << c.footer << c.footerAlignment;
    }
}

// ---- Coded text -------------------------------------------------------------------------

TEST(CodedTextPrintLayout, NumberColumnDigits)
{
    const struct {
        int paragraphs;
        int digits;
    } cases[] = {{0, 1}, {1, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3}, {12345, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(CCodedTextPrintEngine::NumberDigits(c.paragraphs), c.digits) << c.paragraphs;
}

TEST(CodedTextPrintLayout, LabelsCloserThanARowMoveApartAndPassTheBarsBesideThem)
{
    using Bar = CCodedTextPrintEngine::Bar;
    QList<Bar> bars(4);
    // Three labels on top of each other, one far below.
    bars[0].top = 0, bars[0].bottom = 200, bars[0].lane = 1, bars[0].labelY = 90;
    bars[1].top = 80, bars[1].bottom = 120, bars[1].lane = 2, bars[1].labelY = 95;
    bars[2].top = 85, bars[2].bottom = 125, bars[2].lane = 3, bars[2].labelY = 100;
    bars[3].top = 500, bars[3].bottom = 600, bars[3].lane = 1, bars[3].labelY = 540;
    CCodedTextPrintEngine::SeparateLabels(bars, 20);
    EXPECT_EQ(bars[0].labelY, 90);
    EXPECT_EQ(bars[1].labelY, 110);
    EXPECT_EQ(bars[2].labelY, 130);
    EXPECT_EQ(bars[3].labelY, 540);
    // A label's row meets the bars of lanes 1 to 3 (or only lane 1 at the
    // bottom), and stands clear of the widest of them.
    EXPECT_EQ(bars[0].labelLane, 3);
    EXPECT_EQ(bars[1].labelLane, 3);
    EXPECT_EQ(bars[2].labelLane, 1);
    EXPECT_EQ(bars[3].labelLane, 1);
}

class CodedTextPrintTest : public PrintEngineTest {
protected:
    void SetUp() override
    {
        PrintEngineTest::SetUp();
        FillLines(text, kLines);
        for (int n = 1; n <= kLines; ++n)
            source.paragraphStarts.append(text.findBlockByNumber(n - 1).position());
        const int second = text.findBlockByNumber(1).position();
        source.codings.append({second, second + 4, 1, 0x0000FF, QStringLiteral("Alpha code")});
        // From line 3 to the last: over every page.
        source.codings.append({text.findBlockByNumber(2).position(), text.characterCount() - 1, 2, 0xFF0000,
                               QStringLiteral("Long code")});
        source.laneCount = 2;
        source.memoPositions = {second};
        source.text = &text;
        source.title = QStringLiteral("Interview Anna");
    }
    QTextDocument text;
    CodedTextPrintSource source;
};

TEST_F(CodedTextPrintTest, WithCodesEveryPageShowsNumbersAndTheBarsThatMeetIt)
{
    CCodedTextPrintEngine engine(source, true);
    ASSERT_TRUE(engine.Print());
    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    ASSERT_GE(pages.size(), 2);
    EXPECT_EQ(engine.PagesPrinted(), pages.size());
    ExpectEveryLineOnce(pages);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Alpha code")));
    for (int page = 0; page < pages.size(); ++page) {
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Interview Anna"))) << "page " << page + 1;
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Long code"))) << "page " << page + 1;
        if (page > 0) {
            EXPECT_FALSE(pages[page].contains(QStringLiteral("Alpha code"))) << "page " << page + 1;
        }
    }
    // The paragraph numbers of the last page's lines stand beside them.
    EXPECT_TRUE(pages.last().contains(QString::number(kLines)));
}

TEST_F(CodedTextPrintTest, FirstPageLooksAsRecorded)
{
    ASSERT_TRUE(CCodedTextPrintEngine(source, true).Print());
    const QImage page = testutil::PrintedPageImage(capture.LastFile(), 0, QSize(595, 842));
    EXPECT_TRUE(testutil::MatchesReferenceImage(page, testutil::DataPath(QStringLiteral("ui/coded_text_print.png"))));
}

TEST_F(CodedTextPrintTest, WithoutCodesNoLabelIsPrinted)
{
    CCodedTextPrintEngine engine(source, false);
    ASSERT_TRUE(engine.Print());
    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    ASSERT_GE(pages.size(), 2);
    for (const QString& page : pages) {
        EXPECT_FALSE(page.contains(QStringLiteral("Alpha code")));
        EXPECT_FALSE(page.contains(QStringLiteral("Long code")));
    }
}

TEST_F(CodedTextPrintTest, ACodingOverThreePagesHasAPlainBarOnTheMiddlePage)
{
    CCodedTextPrintEngine engine(source, true);
    ASSERT_TRUE(engine.Print());
    ASSERT_GE(engine.PagesPrinted(), 3);
    ASSERT_EQ(testutil::PrintedPages(capture.LastFile()).size(), engine.PagesPrinted());
    const CCodedTextPrintEngine::Columns& columns = engine.PrintedColumns();
    // The long coding: a tick at its start on the first page, none on the
    // middle page (the bar runs the text column's height), one at its end.
    const auto longBar = [&](int page) {
        for (const auto& bar : engine.PrintedBars().value(page))
            if (bar.index == 1)
                return bar;
        ADD_FAILURE() << "no bar on page " << page + 1;
        return CCodedTextPrintEngine::Bar();
    };
    EXPECT_EQ(longBar(0).flags, 2);
    EXPECT_GT(longBar(0).top, columns.text.top());
    EXPECT_EQ(longBar(0).bottom, columns.text.bottom());
    const CCodedTextPrintEngine::Bar middle = longBar(1);
    EXPECT_EQ(middle.flags, 0);
    EXPECT_EQ(middle.top, columns.text.top());
    EXPECT_EQ(middle.bottom, columns.text.bottom());
    const CCodedTextPrintEngine::Bar last = longBar(engine.PagesPrinted() - 1);
    EXPECT_EQ(last.flags, 4);
    EXPECT_LT(last.bottom, columns.text.bottom());
    // The short coding only on the first page.
    EXPECT_EQ(engine.PrintedBars().value(0).size(), 2);
    EXPECT_EQ(engine.PrintedBars().value(1).size(), 1);
}

TEST_F(CodedTextPrintTest, OptionEightZeroKeepsTheCodeColumnToATenthOfThePage)
{
    source.codings[0].label = QStringLiteral("A code name far too long for any column ").repeated(6);
    const auto codeColumn = [&](int option) {
        g_prnexpOptions.SetInt(PrnexpOption::CodeColumnWidth, option);
        CCodedTextPrintEngine engine(source, true);
        EXPECT_TRUE(engine.Print());
        return engine.PrintedColumns();
    };
    const CCodedTextPrintEngine::Columns tenth = codeColumn(0);
    const CCodedTextPrintEngine::Columns fifth = codeColumn(1);
    g_prnexpOptions.SetInt(PrnexpOption::CodeColumnWidth, 1);
    // Both at their share of the page: one tenth, then two.
    EXPECT_NEAR(2 * (tenth.codes.width() - 1), fifth.codes.width() - 1, 2);
    // A tenth of the page is less than the text column's third.
    EXPECT_LT(3 * tenth.codes.width(), tenth.text.width());
    EXPECT_EQ(tenth.memos.left(), tenth.codes.right());
    // The label is cut to what is left beside the bars.
    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    EXPECT_FALSE(pages.value(0).contains(source.codings[0].label.trimmed()));
}

TEST_F(CodedTextPrintTest, CancelledDialogOrNoTextPrintsNothing)
{
    capture.cancel = true;
    EXPECT_FALSE(CCodedTextPrintEngine(source, true).Print());
    capture.cancel = false;
    EXPECT_FALSE(CCodedTextPrintEngine(CodedTextPrintSource(), true).Print());
    EXPECT_EQ(capture.dialogs, 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
