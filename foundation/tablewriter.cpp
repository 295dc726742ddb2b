#include "foundation/tablewriter.h"

#include "foundation/filehelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "foundation/xmldoc.h"
#include "platform/codepage/codepage.h"

#include <QFile>
#include <QLocale>

#include <algorithm>

namespace {

constexpr quint32 kBorderGrey = PackWorkbookColour(192, 192, 192);

QString ColourText(quint32 colour)
{
    return QStringLiteral("#%1%2%3")
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

}  // namespace

QList<int> HtmlColumnShares(const QList<int>& lengths, int room)
{
    qint64 sum = 0;
    int measured = 0;
    for (const int length : lengths) {
        if (length >= 0) {
            sum += length;
            ++measured;
        }
    }
    QList<int> shares;
    bool restGiven = false;
    for (const int length : lengths) {
        if (length < 0) {
            shares.append(restGiven ? 0 : 100 - room);
            restGiven = true;
        } else if (sum > 0) {
            shares.append(int(qint64(length) * room / sum));
        } else {
            shares.append(room / measured);   // every text empty: equal shares
        }
    }
    return shares;
}

HtmlTablePage::HtmlTablePage() = default;

HtmlTablePage::~HtmlTablePage()
{
    Abandon();
}

bool HtmlTablePage::Begin(const QString& path, const QString& title, quint32 titleColour,
                          const QStringList& captions, const QList<int>& shares)
{
    Abandon();
    m_path = path;
    m_partial = path + QStringLiteral(".part");
    m_columns = int(captions.size());
    m_page = std::make_unique<CXmlDoc>();
    CXmlDoc& page = *m_page;
    if (!page.Open(m_partial, XmlDocFlag::WriteFile | XmlDocFlag::Utf8Bom)) {
        m_error = page.GetResultText();
        m_page.reset();
        return false;
    }
    bool ok = page.AddElement(QStringLiteral("HTML")) && page.EnterElement() && page.AddElement(QStringLiteral("HEAD"))
        && page.EnterElement() && page.AddElement(QStringLiteral("META"))
        && page.SetCurrentAttribute(u"http-equiv", u"content-type")
        && page.SetCurrentAttribute(u"content", u"text/html; charset=UTF-8") && page.LeaveElement()
        && page.AddElement(QStringLiteral("BODY")) && page.EnterElement() && page.AddElement(QStringLiteral("CENTER"))
        && page.EnterElement() && page.AddElement(QStringLiteral("TABLE"))
        && page.SetCurrentAttribute(u"bgcolor", u"#E0E0E0") && page.SetCurrentAttribute(u"border", u"0")
        && page.SetCurrentAttribute(u"cellPadding", u"2") && page.SetCurrentAttribute(u"cellSpacing", u"1")
        && page.SetCurrentAttribute(u"width", u"100%") && page.SetCurrentAttribute(u"height", u"20")
        && page.EnterElement() && page.AddElement(QStringLiteral("TBODY")) && page.EnterElement();
    // The title row.
    ok = ok && page.AddElement(QStringLiteral("TR")) && page.EnterElement() && page.AddElement(QStringLiteral("TD"))
        && page.SetCurrentAttribute(u"bgcolor", ColourText(titleColour)) && page.SetCurrentAttribute(u"valign", u"center")
        && page.SetCurrentAttribute(u"align", u"center") && page.SetCurrentAttribute(u"width", u"100%")
        && page.SetCurrentAttribute(u"height", u"25") && page.SetCurrentIntAttribute(u"colspan", qint32(m_columns))
        && page.EnterElement() && page.AddElement(QStringLiteral("FONT")) && page.SetCurrentAttribute(u"face", u"Verdana")
        && page.SetCurrentAttribute(u"size", u"2") && page.EnterElement() && page.AddElement(QStringLiteral("B"))
        && page.EnterElement() && page.AddElement(QStringLiteral("A"), title) && page.SetCurrentAttribute(u"name", title)
        && page.LeaveElement() && page.LeaveElement() && page.LeaveElement() && page.LeaveElement();
    // The header row.
    ok = ok && page.AddElement(QStringLiteral("TR")) && page.EnterElement();
    for (int i = 0; i < m_columns && ok; ++i) {
        ok = page.AddElement(QStringLiteral("TD")) && page.SetCurrentAttribute(u"bgcolor", u"#F0F0F0")
            && page.SetCurrentAttribute(u"valign", u"center") && page.SetCurrentAttribute(u"align", u"left")
            && page.SetCurrentAttribute(u"width", QStringLiteral("%1%").arg(shares.value(i)))
            && page.SetCurrentAttribute(u"height", u"20") && page.EnterElement()
            && page.AddElement(QStringLiteral("FONT")) && page.SetCurrentAttribute(u"face", u"Verdana")
            && page.SetCurrentAttribute(u"size", u"1") && page.EnterElement()
            && page.AddElement(QStringLiteral("B"), captions.at(i)) && page.LeaveElement() && page.LeaveElement();
    }
    m_ok = ok && page.LeaveElement();
    if (!m_ok)
        m_error = page.GetResultText();
    return m_ok;
}

bool HtmlTablePage::AddRow(const QStringList& cells)
{
    if (!m_page || !m_ok)
        return false;
    // The row's markup is put together here, as the document tree would
    // write it, and appended to the page, so the file grows row by row; the
    // text is escaped first, and only then do line breaks become <BR/>.
    static const QString cellStart = QStringLiteral(
        "<TD bgcolor=\"#FFFFFF\" valign=\"top\" align=\"left\" height=\"20\">\r\n<FONT face=\"Verdana\" size=\"1\"");
    static const QString cellEnd = QStringLiteral("</FONT>\r\n</TD>\r\n");
    static const QString emptyCellEnd = QStringLiteral("/>\r\n</TD>\r\n");
    QString markup = QStringLiteral("<TR>\r\n");
    for (int i = 0; i < m_columns; ++i) {
        QString text = cells.value(i);
        markup += cellStart;
        if (text.isEmpty()) {
            markup += emptyCellEnd;
            continue;
        }
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        markup += u'>';
        for (const QChar c : std::as_const(text)) {
            switch (c.unicode()) {
            case u'&': markup += QLatin1String("&amp;"); break;
            case u'<': markup += QLatin1String("&lt;"); break;
            case u'>': markup += QLatin1String("&gt;"); break;
            case u'\n': markup += QLatin1String("<BR/>"); break;
            default: markup += c; break;
            }
        }
        markup += cellEnd;
    }
    markup += QStringLiteral("</TR>\r\n");
    m_ok = m_page->AddSubDoc(markup);
    if (!m_ok)
        m_error = m_page->GetResultText();
    return m_ok;
}

bool HtmlTablePage::Finish()
{
    if (!m_page)
        return false;
    bool ok = m_ok && m_page->LeaveElement() && m_page->LeaveElement() && m_page->LeaveElement()
        && m_page->LeaveElement() && m_page->LeaveElement();
    const bool closed = m_page->Close();
    if (!ok || !closed) {
        if (m_error.isEmpty())
            m_error = m_page->GetResultText();
        m_page.reset();
        QFile::remove(m_partial);
        return false;
    }
    m_page.reset();
    if (!RenameReplacing(m_partial, m_path, &m_error)) {
        QFile::remove(m_partial);
        return false;
    }
    return true;
}

void HtmlTablePage::Abandon()
{
    if (!m_page)
        return;
    m_page->Close();
    m_page.reset();
    QFile::remove(m_partial);
}

// ---------------------------------------------------------------- sheets

ObjectSheetFormats ObjectSheetFormats::Add(CWorkbook& book, quint32 headerFill)
{
    const QLocale locale;
    const QString datePattern = ExcelDatePattern(locale.dateFormat(QLocale::ShortFormat));
    const QString timePattern = ExcelDatePattern(locale.timeFormat(QLocale::ShortFormat));
    const auto format = [&](bool header, CellAlignH alignH) {
        WorkbookCellFormat cell;
        cell.thinBorder = true;
        cell.borderColour = kBorderGrey;
        cell.alignH = alignH;
        cell.alignV = header ? CellAlignV::Centre : CellAlignV::Top;
        if (header) {
            cell.bold = true;
            cell.solidFill = true;
            cell.fillColour = headerFill;
        }
        return cell;
    };
    ObjectSheetFormats formats;
    formats.headerLeft = book.AddFormat(format(true, CellAlignH::Left));
    formats.headerRight = book.AddFormat(format(true, CellAlignH::Right));
    formats.headerCentre = book.AddFormat(format(true, CellAlignH::Centre));
    formats.value = book.AddFormat(format(false, CellAlignH::General));
    WorkbookCellFormat realFormat = format(false, CellAlignH::General);
    realFormat.builtInNumberFormat = 2;
    formats.real = book.AddFormat(realFormat);
    WorkbookCellFormat longFormat = format(false, CellAlignH::Justify);
    longFormat.wrap = true;
    formats.longText = book.AddFormat(longFormat);
    WorkbookCellFormat dateFormat = format(false, CellAlignH::General);
    dateFormat.numberFormat = datePattern;
    formats.date = book.AddFormat(dateFormat);
    dateFormat.numberFormat = datePattern + u' ' + timePattern;
    formats.dateTime = book.AddFormat(dateFormat);
    return formats;
}

bool WriteObjectCell(CWorkbookSheet& sheet, int row, int column, ObjectCellKind kind, const QString& text,
                     const ObjectSheetFormats& formats, bool (*parseDate)(const QString&, double&))
{
    switch (kind) {
    case ObjectCellKind::Integer: return sheet.WriteNumber(row, column, text.toDouble(), formats.value);
    case ObjectCellKind::Real: {
        bool number = false;
        double value = QLocale().toDouble(text, &number);
        if (!number)
            value = text.toDouble(&number);
        return number ? sheet.WriteNumber(row, column, value, formats.real)
                      : sheet.WriteString(row, column, text, formats.value);
    }
    case ObjectCellKind::Boolean:
        return sheet.WriteNumber(row, column, text.isEmpty() || text == u"0" ? 0 : 1, formats.value);
    case ObjectCellKind::Date: {
        double days = 0;
        if (text.isEmpty())
            return sheet.WriteBlank(row, column, formats.date);
        if (parseDate && parseDate(text, days))
            return sheet.WriteNumber(row, column, days, text.size() < 12 ? formats.date : formats.dateTime);
        return sheet.WriteString(row, column, text, formats.value);   // never a made-up date
    }
    case ObjectCellKind::Text: break;
    }
    return sheet.WriteString(row, column, text, formats.value);
}

ExportProgress::ExportProgress(int textId, int total) : m_textId(textId), m_total(total)
{
    m_clock.start();
}

void ExportProgress::Step(int done)
{
    constexpr int kIntervalMs = 200;
    if (m_clock.elapsed() < kIntervalMs && done != m_total)
        return;
    m_clock.restart();
    SetWaitText(LoadString(m_textId).arg(done).arg(m_total));
}

QString ExcelDatePattern(const QString& qtPattern)
{
    QString pattern;
    bool quoted = false;
    for (qsizetype i = 0; i < qtPattern.size(); ++i) {
        const QChar ch = qtPattern.at(i);
        if (ch == u'\'') {
            quoted = !quoted;
            pattern += u'"';
            continue;
        }
        if (quoted) {
            pattern += ch;
            continue;
        }
        switch (ch.unicode()) {
        case 'M': pattern += u'm'; break;      // the month; Excel tells it from minutes by context
        case 'H': pattern += u'h'; break;
        case 'A':
        case 'a':
            pattern += QStringLiteral("AM/PM");
            if (i + 1 < qtPattern.size() && (qtPattern.at(i + 1) == u'P' || qtPattern.at(i + 1) == u'p'))
                ++i;
            break;
        case 't': break;
        default: pattern += ch; break;
        }
    }
    return pattern;
}

QByteArray EncodeTabText(const QString& text, bool unicode, int* replaced)
{
    QByteArray bytes;
    if (unicode) {
        bytes.reserve(2 + 2 * text.size());
        bytes.append('\xFF').append('\xFE');
        for (const QChar ch : text) {
            const char16_t unit = ch.unicode();
            bytes.append(char(unit & 0xFF)).append(char(unit >> 8));
        }
        return bytes;
    }
    bytes.reserve(text.size());
    int missing = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const int byte = codepage::Windows1252Byte(unit);
        if (byte >= 0) {
            bytes.append(char(byte));
            continue;
        }
        // A pair of surrogates is one character and one "?".
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes.append('?');
        ++missing;
    }
    if (replaced)
        *replaced += missing;
    return bytes;
}
