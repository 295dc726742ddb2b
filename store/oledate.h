#pragma once

#include "store/storeids.h"

#include <QDate>
#include <QString>
#include <QTime>

/// @short A date-and-time value as the rows hold it: OLE days and a status.
///
/// OLE days count from day 0 = 1899-12-30 00:00, local time. The integer
/// part is the day (negative before day 0), the fraction the time within
/// that day, always counted forward: -1.25 is 1899-12-29 06:00.
struct OleDate {
    double value = 0;
    DateStatus status = DateStatus::Valid;

    bool IsValid() const { return status == DateStatus::Valid; }
};

/// OLE days of a calendar date and time (milliseconds kept).
double OleDaysFromDateTime(const QDate& date, const QTime& time);
/// Calendar date and time of OLE days, to the nearest millisecond; false
/// for a value outside the years 100 to 9999 or not a number.
bool DateTimeFromOleDays(double days, QDate& date, QTime& time);
/// The current local time.
OleDate DateTimeNow();

/// Reads a typed date, date and time, or time alone: the user default
/// locale's short date (with two- or four-digit years, leading zeros
/// optional) followed by hours and minutes, optionally seconds, in 24-hour
/// or the locale's own form, and ISO 8601. False when nothing fits.
bool ParseDateText(const QString& text, double& days);
/// The display form: the locale's short date with a four-digit year, a
/// blank, and the locale's hours and minutes; empty for a null or
/// unrepresentable value.
QString FormatDateText(const OleDate& date);

/// The form kept in stored texts: "yyyy-MM-ddTHH:mm:ss", empty when null.
QString FormatStorageDate(const OleDate& date);
