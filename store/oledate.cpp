#include "store/oledate.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

constexpr qint64 kMsecsPerDay = 86400000;
const QDate kDayZero(1899, 12, 30);
// The years an OLE date can hold.
constexpr double kFirstDay = -657434.0;    // 0100-01-01
constexpr double kLastDay = 2958466.0;     // 10000-01-01, exclusive

// A short format with one-or-two-digit fields, so leading zeros are optional.
QString LenientPattern(QString pattern)
{
    pattern.replace(QStringLiteral("dd"), QStringLiteral("d"));
    if (!pattern.contains(QStringLiteral("MMM")))
        pattern.replace(QStringLiteral("MM"), QStringLiteral("M"));
    pattern.replace(QStringLiteral("HH"), QStringLiteral("H"));
    pattern.replace(QStringLiteral("hh"), QStringLiteral("h"));
    return pattern;
}

QString FourDigitYears(QString pattern)
{
    if (!pattern.contains(QStringLiteral("yyyy")))
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return pattern;
}

// The locale's short time without its seconds.
QString HourMinutePattern(const QLocale& locale)
{
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    pattern.remove(QStringLiteral(":ss"));
    pattern.remove(QStringLiteral(".ss"));
    return pattern;
}

QStringList TimePatterns(const QLocale& locale)
{
    const QString own = LenientPattern(HourMinutePattern(locale));
    QStringList patterns{QStringLiteral("H:mm"), QStringLiteral("H:mm:ss")};
    if (!patterns.contains(own)) {
        patterns.append(own);
        patterns.append(QString(own).replace(QStringLiteral("mm"), QStringLiteral("mm:ss")));
    }
    return patterns;
}

// The display form's patterns in the default locale, and the texts made
// with them: lists and margins show the same dates again on every repaint,
// and asking the locale for its patterns is what takes the time.
struct DisplayForms {
    QLocale locale;
    QString datePattern;
    QString timePattern;
    QHash<double, QString> texts;
    bool ready = false;
};

constexpr qsizetype kMaxDisplayTexts = 4096;

DisplayForms& CurrentDisplayForms()
{
    thread_local DisplayForms forms;
    const QLocale locale;
    if (!forms.ready || forms.locale != locale) {
        forms.locale = locale;
        forms.datePattern = FourDigitYears(locale.dateFormat(QLocale::ShortFormat));
        forms.timePattern = HourMinutePattern(locale);
        forms.texts.clear();
        forms.ready = true;
    }
    return forms;
}

// Two-digit years: 00-29 are this century's first years, 30-99 the last
// century's, as typed dates were always read.
QDate WindowYear(const QDate& date)
{
    return date.isValid() && date.year() < 1930 ? date.addYears(100) : date;
}

}  // namespace

double OleDaysFromDateTime(const QDate& date, const QTime& time)
{
    const double days = double(kDayZero.daysTo(date));
    const double fraction = double(time.isValid() ? time.msecsSinceStartOfDay() : 0) / double(kMsecsPerDay);
    return days >= 0 ? days + fraction : days - fraction;
}

bool DateTimeFromOleDays(double days, QDate& date, QTime& time)
{
    if (!std::isfinite(days) || days <= kFirstDay - 1 || days >= kLastDay)
        return false;
    const double whole = std::trunc(days);
    qint64 msecs = std::llround(std::fabs(days - whole) * double(kMsecsPerDay));
    qint64 dayOffset = qint64(whole);
    if (msecs >= kMsecsPerDay) {  // rounded up to the next midnight
        msecs -= kMsecsPerDay;
        dayOffset += days >= 0 ? 1 : -1;
    }
    date = kDayZero.addDays(dayOffset);
    time = QTime::fromMSecsSinceStartOfDay(int(msecs));
    return date.isValid() && date.year() >= 100 && date.year() <= 9999;
}

OleDate DateTimeNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {OleDaysFromDateTime(now.date(), now.time()), DateStatus::Valid};
}

bool ParseDateText(const QString& input, double& days)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return false;
    const QLocale locale;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString fullYear = LenientPattern(FourDigitYears(shortDate));
    const QString twoDigitYear = LenientPattern(shortDate);
    const QStringList times = TimePatterns(locale);

    QStringList datePatterns{fullYear};
    if (twoDigitYear != fullYear)
        datePatterns.append(twoDigitYear);
    for (const QString& datePattern : std::as_const(datePatterns)) {
        const bool windowed = datePattern != fullYear;
        QDate date = locale.toDate(text, datePattern);
        if (date.isValid()) {
            days = OleDaysFromDateTime(windowed ? WindowYear(date) : date, QTime(0, 0));
            return true;
        }
        for (const QString& timePattern : times) {
            const QDateTime both = locale.toDateTime(text, datePattern + QLatin1Char(' ') + timePattern);
            if (both.isValid()) {
                date = windowed ? WindowYear(both.date()) : both.date();
                days = OleDaysFromDateTime(date, both.time());
                return true;
            }
        }
    }
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    if (iso.isValid()) {
        days = OleDaysFromDateTime(iso.date(), iso.time());
        return true;
    }
    const QDate isoDate = QDate::fromString(text, Qt::ISODate);
    if (isoDate.isValid()) {
        days = OleDaysFromDateTime(isoDate, QTime(0, 0));
        return true;
    }
    for (const QString& timePattern : times) {
        const QTime time = locale.toTime(text, timePattern);
        if (time.isValid()) {
            days = OleDaysFromDateTime(kDayZero, time);
            return true;
        }
    }
    return false;
}

QString FormatDateText(const OleDate& value)
{
    if (value.status == DateStatus::Null || !std::isfinite(value.value))
        return {};
    DisplayForms& forms = CurrentDisplayForms();
    if (const auto known = forms.texts.constFind(value.value); known != forms.texts.cend())
        return *known;
    QString text;
    QDate date;
    QTime time;
    if (DateTimeFromOleDays(value.value, date, time)) {
        const QString datePart = forms.locale.toString(date, forms.datePattern);
        const QString timePart = forms.locale.toString(time, forms.timePattern);
        if (!datePart.isEmpty())
            text = timePart.isEmpty() ? datePart : datePart + QLatin1Char(' ') + timePart;
    }
    if (forms.texts.size() >= kMaxDisplayTexts)
        forms.texts.clear();
    forms.texts.insert(value.value, text);
    return text;
}

QString FormatStorageDate(const OleDate& value)
{
    QDate date;
    QTime time;
    if (value.status == DateStatus::Null || !DateTimeFromOleDays(value.value, date, time))
        return {};
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T') + time.toString(QStringLiteral("HH:mm:ss"));
}
