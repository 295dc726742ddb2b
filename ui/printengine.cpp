#include "ui/printengine.h"

#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"

#include <QAbstractTextDocumentLayout>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace {

constexpr int kPrintTitleText = 57790;   ///< "%1" the project's name
constexpr int kPrintNotStartedText = 193412;   ///< "%1" the printer or file

PrintDialogRunner& InstalledRunner()
{
    static PrintDialogRunner runner;
    return runner;
}

bool PlatformPrintDialog(QPrinter& printer, QWidget* parent)
{
    // Printing to a PDF file is always offered; without a printer it is
    // where the print goes unless the user chooses otherwise.
    if (QPrinterInfo::availablePrinters().isEmpty() && printer.outputFileName().isEmpty()) {
        const QString name = printer.docName().isEmpty() ? QStringLiteral("print") : printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(
            QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name + QStringLiteral(".pdf")));
    }
    QPrintDialog dialog(&printer, parent);
    // No selection: the engines print whole texts.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

enum Alignment { AlignLeft = 0, AlignCentre = 1, AlignRight = 2 };

Qt::Alignment ToQt(int alignment)
{
    switch (alignment) {
    case AlignCentre: return Qt::AlignHCenter;
    case AlignRight: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

void DrawLine(QPainter& painter, const QRect& area, int alignment, const QString& text)
{
    if (!text.isEmpty())
        painter.drawText(area, int(ToQt(alignment) | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip), text);
}

}  // namespace

PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner)
{
    return std::exchange(InstalledRunner(), std::move(runner));
}

bool RunPrintDialog(QPrinter& printer, QWidget* parent)
{
    const PrintDialogRunner& runner = InstalledRunner();
    return runner ? runner(printer, parent) : PlatformPrintDialog(printer, parent);
}

QString PrintTitle(const QString& projectPath)
{
    return LoadString(kPrintTitleText).arg(QFileInfo(projectPath).completeBaseName());
}

QString PrintDateText()
{
    return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

// ---- Page frame ------------------------------------------------------------------------

void PrintPageFrame::SetUp(QPrinter& printer)
{
    page = QRect(QPoint(0, 0), printer.pageLayout().fullRectPixels(printer.resolution()).size());
    pixelsPerMm = std::max(1, int(printer.logicalDpiX() * 0.03937));
    top = 15 * pixelsPerMm;
    right = 15 * pixelsPerMm;
    bottom = 25 * pixelsPerMm;
    left = 10 * pixelsPerMm;
    // The header's letters stand 3 mm high, whatever the printer's resolution.
    QFont measure(QStringLiteral("Arial"));
    measure.setPointSizeF(10);
    const int sampleHeight = std::max(1, QFontMetrics(measure, &printer).tightBoundingRect(QStringLiteral("00")).height());
    headerFont = QFont(QStringLiteral("Arial"));
    headerFont.setPointSizeF(std::max(1.0, 10.0 * 3 * pixelsPerMm / sampleHeight));
    content = page.adjusted(left, top, -right, -bottom);
}

PrintPageFrame::Places PrintPageFrame::PlacesFor(bool headerText, int headerAlignment, bool footerText,
                                                 int footerAlignment)
{
    Places places;
    if (headerText && headerAlignment == AlignLeft)
        places.title = AlignCentre;
    else if (headerText && headerAlignment == AlignRight)
        places.date = AlignCentre;
    if (footerText)
        places.number = footerAlignment == AlignRight ? AlignLeft : AlignRight;
    return places;
}

void PrintPageFrame::DrawHeaderFooter(QPainter& painter, const QString& title, const QString& date,
                                      int pageNumber) const
{
    const QString headerText = g_prnexpOptions.GetString(PrnexpOption::HeaderText);
    const int headerAlignment = g_prnexpOptions.GetInt(PrnexpOption::HeaderAlignment);
    const QString footerText = g_prnexpOptions.GetString(PrnexpOption::FooterText);
    const int footerAlignment = g_prnexpOptions.GetInt(PrnexpOption::FooterAlignment);
    const Places places = PlacesFor(!headerText.isEmpty(), headerAlignment, !footerText.isEmpty(), footerAlignment);
    painter.save();
    painter.setFont(headerFont);
    painter.setPen(Qt::black);
    if (top > 0) {
        QRect header(page.left() + left, page.top(), page.width() - left - right, top);
        header.setTop(header.top() + header.height() / 3);
        DrawLine(painter, header, places.title, title);
        DrawLine(painter, header, places.date, date);
        DrawLine(painter, header, headerAlignment, headerText);
    }
    if (bottom > 0) {
        QRect footer(page.left() + left, page.bottom() - bottom, page.width() - left - right, bottom);
        footer.setTop(footer.top() + footer.height() / 3);
        DrawLine(painter, footer, places.number, QString::number(pageNumber));
        DrawLine(painter, footer, footerAlignment, footerText);
    }
    painter.restore();
}

// ---- Laying a text out on pages ---------------------------------------------------

std::unique_ptr<QTextDocument> LayoutForPrinter(const QTextDocument& source, QPrinter& printer, const QSizeF& pageSize)
{
    std::unique_ptr<QTextDocument> copy(source.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setDocumentMargin(0);
    // A page size with a height makes the layout move lines that would
    // cross a page's end onto the next page.
    copy->setPageSize(pageSize);
    return copy;
}

void DrawDocumentPage(QPainter& painter, QTextDocument& laidOut, int index, const QRect& target)
{
    const qreal height = laidOut.pageSize().height();
    painter.save();
    painter.setClipRect(target);
    painter.translate(target.left(), target.top() - index * height);
    QAbstractTextDocumentLayout::PaintContext context;
    // Half a pixel in from both page ends: a line moved onto the next page
    // starts exactly at this page's end, and would otherwise be drawn here
    // too (clipped from sight, but still in the printed file's text).
    context.clip = QRectF(0, index * height + 0.5, laidOut.pageSize().width(), height - 1);
    context.palette.setColor(QPalette::Text, Qt::black);
    laidOut.documentLayout()->draw(&painter, context);
    painter.restore();
}

QPair<int, int> PrintedPageRange(const QPrinter& printer, int count)
{
    int first = 0;
    int last = count - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::min(last, std::max(printer.toPage(), printer.fromPage()) - 1);
    }
    return {first, last};
}

bool ChoosePrinter(QPrinter& printer, const QString& title, QWidget* parent)
{
    // The page frame lays its margins out from the sheet's edges.
    printer.setFullPage(true);
    printer.setDocName(title);
    return RunPrintDialog(printer, parent);
}

int PrintPages(QPrinter& printer, int count, const std::function<void(QPainter& painter, int index)>& drawPage)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        ShowMessage(LoadString(kPrintNotStartedText).arg(where), MessageKind::Error);
        return -1;
    }
    int printed = 0;
    const auto [first, last] = PrintedPageRange(printer, count);
    for (int index = first; index <= last; ++index) {
        if (index > first && !printer.newPage())
            break;
        drawPage(painter, index);
        ++printed;
    }
    painter.end();
    return printed;
}

// ---- The engine ------------------------------------------------------------------------

CPrintEngine::CPrintEngine(QString title, QString dateText, QWidget* parent)
    : m_title(std::move(title)), m_dateText(std::move(dateText)), m_parent(parent)
{
    m_edit.LimitText(10'000'000);
}

CPrintEngine::~CPrintEngine() = default;

bool CPrintEngine::Print(CRichEditCtrlEx* source)
{
    m_pagesPrinted = 0;
    if (source) {
        QByteArray rtf;
        source->StreamOutRtf(&rtf, false, true);
        m_edit.StreamInRtf(&rtf, false);
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!ChoosePrinter(printer, m_title, m_parent))
        return false;
    PrintPageFrame frame;
    frame.SetUp(printer);
    const std::unique_ptr<QTextDocument> laidOut =
        LayoutForPrinter(*m_edit.GetDocument(), printer, QSizeF(frame.content.size()));
    const int printed = PrintPages(printer, laidOut->pageCount(), [&](QPainter& painter, int index) {
        frame.DrawHeaderFooter(painter, m_title, m_dateText, index + 1);
        DrawDocumentPage(painter, *laidOut, index, frame.content);
    });
    m_pagesPrinted = std::max(0, printed);
    return printed >= 0;
}
