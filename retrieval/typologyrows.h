#pragma once

// The rows of the typology tick list and the project setting "TypologyTab"
// that remembers which of them were ticked. Headless.

#include <QList>
#include <QSet>
#include <QString>

class TopicDatabase;

namespace typology {

/// Display text and value keep these many units (their fixed fields less
/// the terminating zero).
constexpr qsizetype kTextUnits = 1023;
constexpr qsizetype kValueUnits = 1040;

/// One row of the tick list.
struct TickRow {
    qint32 id = 0;          ///< a variable's field id, or the caller's object id
    bool ticked = false;
    bool marked = false;    ///< stands for a whole variable: drawn dark red, ticked by button 5
    QString text;
    QString value;          ///< the variable's value of a value row
};

/// The setting's key in the project.
inline constexpr char kSettingKey[] = "TypologyTab";

/// The items of a setting: the texts between ";" (a ";" or "\" inside a
/// value is escaped by "\"). Empty pieces are skipped.
QSet<QString> ParseSetting(const QString& setting);
/// The item of a row: "%d" of a marked row, "%d_%s" of id and value of a
/// value row (the value escaped).
QString ItemOf(const TickRow& row);

/// The rows of the documents' variables (fields above id 2; dates, memos
/// and fields of unknown types skipped): a marked row for a variable that
/// is neither categorial nor of a text or boolean type, else an unmarked
/// row per distinct value, "%s: %s" of name and value. Ticked as the
/// setting says; `extraOption` is set when it holds item "0".
QList<TickRow> BuildRows(const TopicDatabase& db, const QString& setting, bool& extraOption);

/// The setting after OK: ";0;" with the extra option, then ";item;" of
/// every ticked row from the last to the first. Unticked rows are removed.
QString TakeTicked(QList<TickRow>& rows, bool extraOption);

}  // namespace typology
