#include "ui/codedtextprintengine.h"

#include "foundation/ids.h"
#include "foundation/options.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <utility>

namespace {

/// Where a position's line stands: its page and, on that page, the top and
/// bottom of the line in layout pixels.
struct LinePlace {
    int page = 0;
    int top = 0;
    int bottom = 0;
    int baseline = 0;
};

LinePlace PlaceOf(QTextDocument& document, int position)
{
    position = std::clamp(position, 0, std::max(0, document.characterCount() - 1));
    QTextBlock block = document.findBlock(position);
    if (!block.isValid())
        block = document.lastBlock();
    const QRectF blockRect = document.documentLayout()->blockBoundingRect(block);
    qreal top = blockRect.top();
    qreal bottom = blockRect.bottom();
    qreal ascent = 0;
    if (QTextLayout* layout = block.layout()) {
        const QTextLine line = layout->lineForTextPosition(std::clamp(position - block.position(), 0,
                                                                      std::max(0, block.length() - 1)));
        if (line.isValid()) {
            top = blockRect.top() + line.y();
            bottom = top + line.height();
            ascent = line.ascent();
        }
    }
    const qreal height = document.pageSize().height();
    LinePlace place;
    place.page = std::max(0, int(top / height));
    place.top = int(top - place.page * height);
    place.bottom = int(bottom - place.page * height);
    place.baseline = int(top + ascent - place.page * height);
    return place;
}

QColor ToColour(COLORREF colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

}  // namespace

CCodedTextPrintEngine::CCodedTextPrintEngine(CodedTextPrintSource source, bool showCodes, QWidget* parent)
    : m_source(std::move(source)), m_showCodes(showCodes), m_parent(parent)
{
    if (!m_source.toDocument)
        m_source.toDocument = [](int position) { return position; };
}

int CCodedTextPrintEngine::NumberDigits(int paragraphCount)
{
    return int(QString::number(std::max(1, paragraphCount)).size());
}

void CCodedTextPrintEngine::SeparateLabels(QList<Bar>& bars, int rowHeight)
{
    QList<Bar*> byLabel;
    for (Bar& bar : bars)
        byLabel.append(&bar);
    std::stable_sort(byLabel.begin(), byLabel.end(), [](const Bar* a, const Bar* b) { return a->labelY < b->labelY; });
    // Top down, each label keeps at least one row from the one above it;
    // a moved label pushes those below it along.
    for (int i = 1; i < byLabel.size(); ++i)
        byLabel[i]->labelY = std::max(byLabel[i]->labelY, byLabel[i - 1]->labelY + rowHeight);
    for (Bar& bar : bars) {
        int lane = 1;
        for (const Bar& other : std::as_const(bars))
            if (other.top < bar.labelY + rowHeight && other.bottom > bar.labelY)
                lane = std::max(lane, other.lane);
        bar.labelLane = lane;
    }
}

bool CCodedTextPrintEngine::Print()
{
    m_pagesPrinted = 0;
    if (!m_source.text)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    if (!ChoosePrinter(printer, m_source.title, m_parent))
        return false;
    PrintPageFrame frame;
    frame.SetUp(printer);
    const int mm = frame.pixelsPerMm;

    // Columns from the left margin: codes, memos, paragraph numbers, text.
    const int digits = NumberDigits(int(m_source.paragraphStarts.size()));
    QFont numberFont = frame.headerFont;
    numberFont.setPointSizeF(frame.headerFont.pointSizeF() * 10 / 12);
    const QFontMetrics numberMetrics(numberFont, &printer);
    Columns columns;
    columns.laneWidth = mm * 5 / 2;
    columns.numberHeight = numberMetrics.height();
    const int top = frame.content.top();
    const int bottom = frame.content.bottom();
    int numbersLeft = frame.content.left();
    if (m_showCodes) {
        int widest = 0;
        for (const auto& coding : std::as_const(m_source.codings))
            widest = std::max(widest, numberMetrics.horizontalAdvance(coding.label));
        const int share = (g_prnexpOptions.GetInt(PrnexpOption::CodeColumnWidth) + 1) * frame.page.width() / 10;
        // One lane more than the bars take: a label beside the outermost
        // bar keeps a lane's gap to it and is not cut.
        const int codesWidth = std::min(share, widest + (m_source.laneCount + 1) * columns.laneWidth);
        columns.codes = QRect(QPoint(frame.content.left(), top), QPoint(frame.content.left() + codesWidth, bottom));
        columns.memos = QRect(QPoint(columns.codes.right(), top), QPoint(columns.codes.right() + 5 * mm, bottom));
        numbersLeft = columns.codes.right() + 5 * mm + mm / 2;
    }
    columns.numbers = QRect(QPoint(numbersLeft, top), QPoint(numbersLeft + 2 * mm + 3 * mm * digits / 2, bottom));
    columns.text = QRect(QPoint(columns.numbers.right() + 2 * mm, top), QPoint(frame.content.right(), bottom));

    const std::unique_ptr<QTextDocument> laidOut =
        LayoutForPrinter(*m_source.text, printer, QSizeF(columns.text.size()));
    const auto placeOf = [&](int position) { return PlaceOf(*laidOut, m_source.toDocument(position)); };

    // Every place once for the whole print, each filed under its page(s).
    const int pageCount = laidOut->pageCount();
    QList<QList<std::pair<int, LinePlace>>> numbersOnPage(pageCount);
    for (int n = 0; n < m_source.paragraphStarts.size(); ++n) {
        const LinePlace place = placeOf(m_source.paragraphStarts.at(n));
        if (place.page < pageCount)
            numbersOnPage[place.page].append({n + 1, place});
    }
    QList<QList<LinePlace>> memosOnPage(pageCount);
    QList<QList<std::pair<int, Bar>>> codingsOnPage(pageCount);
    if (m_showCodes) {
        for (const int position : std::as_const(m_source.memoPositions)) {
            const LinePlace place = placeOf(position);
            if (place.page < pageCount)
                memosOnPage[place.page].append(place);
        }
        for (int i = 0; i < m_source.codings.size(); ++i) {
            const auto& coding = m_source.codings.at(i);
            const LinePlace from = placeOf(coding.start);
            const LinePlace to = placeOf(std::max(coding.start, coding.finish - 1));
            for (int page = from.page; page <= std::min(to.page, pageCount - 1); ++page) {
                Bar bar;
                bar.index = i;
                bar.lane = std::max(1, coding.lane);
                bar.colour = coding.colour;
                bar.flags = (from.page == page ? 2 : 0) | (to.page == page ? 4 : 0);
                bar.top = (bar.flags & 2) ? top + from.top : columns.text.top();
                bar.bottom = (bar.flags & 4) ? top + to.bottom : columns.text.bottom();
                bar.labelY = (bar.top + bar.bottom) / 2 - columns.numberHeight / 2;
                codingsOnPage[page].append({i, bar});
            }
        }
    }
    m_columns = columns;
    m_printedBars.clear();

    const QString date = PrintDateText();
    const int printed = PrintPages(printer, pageCount, [&](QPainter& painter, int index) {
        frame.DrawHeaderFooter(painter, m_source.title, date, index + 1);
        DrawDocumentPage(painter, *laidOut, index, columns.text);

        painter.save();
        painter.setFont(numberFont);
        painter.fillRect(columns.numbers, QColor(210, 210, 210));
        painter.setPen(Qt::black);
        for (const auto& [n, place] : std::as_const(numbersOnPage[index])) {
            // On the baseline of the paragraph's first line, right-aligned
            // 1 mm inside the column.
            const QString number = QString::number(n);
            painter.drawText(QPoint(columns.numbers.right() - mm - numberMetrics.horizontalAdvance(number),
                                    top + place.baseline),
                             number);
        }
        if (m_showCodes) {
            painter.fillRect(columns.memos, QColor(235, 235, 235));
            painter.setPen(QPen(QColor(200, 200, 60), std::max(1, mm / 8)));
            painter.setBrush(QColor(255, 255, 160));
            for (const LinePlace& place : std::as_const(memosOnPage[index]))
                painter.drawRect(QRect(QPoint(columns.memos.left() + mm, top + place.top + mm / 2),
                                       QPoint(columns.memos.right() - mm, top + place.top + 4 * mm)));
            QList<Bar> bars;
            for (const auto& entry : std::as_const(codingsOnPage[index]))
                bars.append(entry.second);
            SeparateLabels(bars, columns.numberHeight);
            for (const Bar& bar : std::as_const(bars)) {
                const QColor colour = ToColour(bar.colour);
                painter.setPen(QPen(colour, std::max(1, columns.laneWidth / 6)));
                painter.setBrush(Qt::NoBrush);
                const int x = columns.codes.right() - columns.laneWidth * bar.lane;
                const int r = 2 * columns.laneWidth / 7;
                const int middle = (bar.top + bar.bottom) / 2;
                painter.drawLine(x, bar.top, x, middle - r);
                painter.drawEllipse(QPoint(x, middle), r, r);
                painter.drawLine(x, middle + r, x, bar.bottom);
                if (bar.flags & 2)
                    painter.drawLine(x, bar.top, x + r / 2, bar.top);
                if (bar.flags & 4)
                    painter.drawLine(x, bar.bottom, x + r / 2, bar.bottom);
                const QRect labelArea(QPoint(columns.codes.left(), bar.labelY),
                                      QPoint(columns.codes.right() - (bar.labelLane + 1) * columns.laneWidth,
                                             bar.labelY + columns.numberHeight));
                if (labelArea.width() <= 0)
                    continue;
                const QString label =
                    numberMetrics.elidedText(m_source.codings.at(bar.index).label, Qt::ElideRight, labelArea.width());
                QRect textArea = numberMetrics.boundingRect(labelArea, int(Qt::AlignRight | Qt::AlignTop), label);
                painter.fillRect(textArea.intersected(labelArea), Qt::white);
                painter.setPen(colour);
                painter.drawText(labelArea, int(Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine), label);
            }
            m_printedBars.insert(index, bars);
        }
        painter.restore();
    });
    m_pagesPrinted = std::max(0, printed);
    return printed >= 0;
}
