#include "foundation/texthelpers.h"

#include "foundation/propertylist.h"

#include <QDateTime>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <limits>

int ReplaceAllWithSpace(QString& text, const QString& pattern)
{
    const qsizetype length = pattern.size();
    if (length == 0)
        return 0;
    // One pass with the result of repeated in-place replacement: after a
    // replacement the new blank may begin the next match, which for a
    // pattern of two or more units shortens the text each time and so ends.
    const QStringView rest = QStringView(pattern).mid(1);
    const bool blankStartsPattern = length > 1 && pattern[0] == u' ';
    QString out;
    int replaced = 0;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(pattern); at >= 0; at = text.indexOf(pattern, from)) {
        out += QStringView(text).mid(from, at - from);
        out += u' ';
        ++replaced;
        from = at + length;
        while (blankStartsPattern && QStringView(text).mid(from).startsWith(rest)) {
            ++replaced;
            from += length - 1;
        }
    }
    if (replaced == 0)
        return 0;
    out += QStringView(text).mid(from);
    text = std::move(out);
    return int(length) * replaced;
}

QString CleanPreviewText(QString text, int maxLength)
{
    ReplaceAllWithSpace(text, QStringLiteral("\r"));
    ReplaceAllWithSpace(text, QStringLiteral("  "));
    if (maxLength < 0)
        return text;
    text.truncate(qsizetype(maxLength) + 1);
    if (text.size() > maxLength) {
        const qsizetype blank = text.lastIndexOf(u' ');
        if (blank >= 0)
            text.truncate(blank);
    }
    text.truncate(maxLength);
    return text;
}

QString FitTextWithEllipsis(const QFontMetrics& metrics, const QString& text, int availableWidth, int extraWidth)
{
    if (text.isEmpty() || metrics.horizontalAdvance(text) + extraWidth <= availableWidth)
        return text;
    const QString ellipsis = QStringLiteral("...");
    const int reserved = metrics.horizontalAdvance(ellipsis) + extraWidth;
    // A surrogate pair goes as one character: a cut never ends on its first half.
    const auto whole = [&text](qsizetype length) {
        return length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate() ? length - 1 : length;
    };
    const qsizetype first = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    // The longest prefix that fits, found by halving: widths grow with the
    // prefix, and each measure shapes the text, so a cut of a long text costs
    // a few measures rather than one per character.
    qsizetype fits = first;
    qsizetype tooLong = text.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = whole(fits + (tooLong - fits) / 2);
        if (middle <= fits)
            break;
        if (metrics.horizontalAdvance(text.left(middle)) + reserved <= availableWidth)
            fits = middle;
        else
            tooLong = middle;
    }
    return text.left(fits) + ellipsis;
}

QString FormatTimeStamp(const QDateTime& value)
{
    if (value.date() == QDate(1899, 12, 30) && value.time() == QTime(0, 0))
        return {};
    return FormatPropertyDateTime(value);
}

namespace {

// 10^n by repeated squaring; exact up to 10^22, infinite beyond the range.
double PowerOfTen(unsigned n)
{
    double result = 1;
    double base = 10;
    while (n != 0) {
        if (n & 1)
            result *= base;
        base *= base;
        n >>= 1;
    }
    return result;
}

}  // namespace

double RoundTo(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double p = PowerOfTen(decimals < 0 ? 0u - unsigned(decimals) : unsigned(decimals));
    const double scaled = decimals >= 0 ? value * p : value / p;
    // Beyond 2^52 a double has no fraction: nothing to round at this place.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0)
        return value;
    double whole = std::trunc(scaled);
    // A few units in the last place below one half still count as half, so
    // decimal halves round as written.
    const double tolerance = 8 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(scaled));
    if (std::fabs(scaled - whole) >= 0.5 - tolerance)
        whole += scaled < 0 ? -1 : 1;
    if (decimals >= 0)
        return whole / p;
    return std::isfinite(p) ? whole * p : std::copysign(0.0, value);
}
