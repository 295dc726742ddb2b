#pragma once

#include <QString>

#include <functional>

class JetReader;

struct JetCopyOptions {
    /// Text and memo columns that get COLLATE NOCASE (Jet compared every
    /// text without regard to case); none when empty.
    std::function<bool(const QString& table, const QString& column)> noCase;
};

/// @short Copies every table of reader into a new SQLite file at targetPath.
///
/// Tables and columns keep their names and order, with the declared types
/// INTEGER (boolean as 0/1, integer), REAL (real, currency, date as OLE
/// days exactly as stored), TEXT (text, memo, decimal) and BLOB (binary).
/// Each index becomes "<table>_<index>" on the same columns, not unique.
/// Everything is written in one transaction to a temporary file beside the
/// target, which is renamed into place only when complete.
///
/// Fails, leaving no target file, when targetPath exists, a name holds "]",
/// a row cannot be read or written, or a value could not be stored as it is;
/// error then names the table (and row) that failed.
bool CopyJetToSqlite(JetReader& reader, const QString& targetPath, QString* error,
                     const JetCopyOptions& options = {});
