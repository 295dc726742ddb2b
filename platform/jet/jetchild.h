#pragma once

#include <QString>
#include <QStringList>

/// The program that reads legacy files for the main program; it lives in
/// the same folder. A damaged file that crashes or stalls the Jet reader
/// then takes down only that program.
inline constexpr char kJetHelperName[] = "korvan10-jetread";

/// How long a conversion may take before the reader is stopped.
inline constexpr int kJetConversionTimeoutMs = 10 * 60 * 1000;

/// @short Converts a legacy Jet file to a new SQLite file at targetPath by
/// running the helper program, which copies it as CopyJetToSqlite does
/// (noCase lists "table.column" pairs that get COLLATE NOCASE).
///
/// The helper writes into a temporary folder beside the target; the result
/// is moved into place only when the helper ended normally and left an
/// SQLite file. A helper that is missing, crashes, runs longer than
/// timeoutMs, fails, or leaves no usable file fails the conversion with
/// error saying why; no target file is left then.
bool ConvertJetInChild(const QString& helperPath, const QString& jetPath, const QString& targetPath,
                       const QStringList& noCase, int timeoutMs, QString* error);

/// The helper program's work: arguments are the Jet path, the target path
/// and any "--nocase table.column". Returns the exit code (0 done, 1 the
/// file could not be converted, 2 wrong arguments); the reason goes to
/// standard error.
int RunJetHelper(const QStringList& arguments);
