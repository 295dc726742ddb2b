#pragma once

// Condition rows of the logical activation and of the analysis tables: their
// text form (profile value and ".loa" file), the list text of a row and the
// value as the variable's type keeps it. Headless.

#include "document/kordoc.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace conditions {

/// Name and value are fixed fields of 64 units with their terminating zero.
constexpr qsizetype kFieldUnits = 63;
/// A ".loa" file larger than this is not a condition file.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

/// The rows in their text form: "%d|%s|%d|%d|%s~" each, no separator
/// between rows; name and value cut to kFieldUnits. A "|" or "~" in a name
/// and a "~" in a value become "_", so that they cannot break the records
/// after them.
QString FormatRows(const QList<ActivationCondition>& rows);

/// Reads the text form: records up to each "~"; a record with fewer than
/// four "|" ends the reading (the rows before it stay); the value is all
/// after the fourth "|". Names and values are cut to kFieldUnits.
QList<ActivationCondition> ParseRows(const QString& text);

/// The rows whose name equals (with regard to case) a current field name,
/// each taking the id that name has now: the stored id may have gone to
/// another variable since. `ids` and `names` run in step.
QList<ActivationCondition> ResolveRows(const QList<ActivationCondition>& rows, const QList<qint32>& ids,
                                       const QStringList& names);

/// The ".loa" bytes of a text: UTF-16 little-endian, no byte-order mark,
/// no terminating zero.
QByteArray EncodeFileText(const QString& text);
/// The text of ".loa" bytes; false for an odd number of bytes.
bool DecodeFileText(const QByteArray& bytes, QString& text);

/// Writes the rows as a ".loa" file through a temporary file; false with
/// the reason when it could not be written (then the file is as it was).
bool WriteConditionFile(const QString& path, const QList<ActivationCondition>& rows, QString* error);
/// Reads a ".loa" file's text; false with the reason when it cannot be
/// read or is no condition file.
bool ReadConditionFile(const QString& path, QString& text, QString* error);

/// A value typed for a variable of the field type, as the row keeps it:
/// integers "%d", reals "%f", dates as date (and hours and minutes when not
/// midnight; empty when unreadable), booleans "1" or "0", texts cut to the
/// type's length and then to kFieldUnits.
QString NormaliseValue(qint32 fieldType, const QString& text);

/// Whether a typed value or a name can be kept: "~" ends a record and "|"
/// a name, so neither may stand there.
bool IsValueAcceptable(const QString& value);
bool IsNameAcceptable(const QString& name);

/// "=", "<>", "<", ">" for 0 to 3; "?" otherwise.
QString OperatorText(qint32 op);

/// The list text of a row: "%s %s %s" of "[name]", operator and value,
/// or with the link's text first as ".%s. %s %s %s". `name` is the
/// variable's current name (empty when gone).
QString RowText(const ActivationCondition& row, const QString& name, const QString& linkText);

}  // namespace conditions
