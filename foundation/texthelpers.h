#pragma once

// Small text and number helpers: cleaning texts for previews, fitting a
// label to a width, the compact time stamp and decimal rounding. Lengths and
// positions are UTF-16 units.

#include <QString>

class QDateTime;
class QFontMetrics;

/// Replaces every occurrence of pattern by one space and returns the pattern
/// length times the number of replacements. For a pattern of two or more
/// units the search goes on from the new space, so a run of blanks given as
/// "  " collapses completely; a one-unit pattern is searched after it. An
/// empty pattern changes nothing and gives 0.
int ReplaceAllWithSpace(QString& text, const QString& pattern);

/// The one-line preview of a text: paragraph ends (CR) become blanks, blank
/// runs one blank. With maxLength >= 0 the result is at most maxLength units,
/// cut before its last blank when the first maxLength + 1 units hold one.
QString CleanPreviewText(QString text, int maxLength);

/// The text shortened from its end, with "..." appended, until its width
/// plus extraWidth fits availableWidth (pixels of metrics' font); at least one
/// character stays. A text that fits, or is empty, comes back unchanged.
QString FitTextWithEllipsis(const QFontMetrics& metrics, const QString& text, int availableWidth, int extraWidth);

/// "yyyyMMddhhmmss" (fourteen digits, local time as given); empty for an
/// invalid value and for the zero date 1899-12-30 00:00:00.
QString FormatTimeStamp(const QDateTime& value);

/// The value rounded to the given number of decimals (negative: to tens,
/// hundreds, ...), half away from zero. A decimal half that binary cannot
/// hold exactly (2.675, 1.005) still counts as half. Values too large to
/// have digits at that place come back unchanged; NaN stays NaN.
double RoundTo(double value, int decimals);
