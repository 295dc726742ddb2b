#pragma once

// Free helpers for paths, files, folders, unique names, list texts and media
// time texts. They hold no state and report failure only through their
// result.
//
// Paths use "/" as separator; a folder path carries no trailing "/" unless a
// function says otherwise. References stored on Windows may hold "\": every
// function that takes a path apart splits at "\" as well as at "/".

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// ---- Path parts ----

/// The index of the last "/" or "\"; -1 when the path has neither.
qsizetype LastSeparator(const QString& path);
/// The text after the last "/" or "\"; empty when the path has neither.
/// With `cut`, `path` becomes the text before that separator.
QString GetFileName(QString& path, bool cut = false);
/// The text after the last separator (the whole path when there is none),
/// cut before its last dot: "a/report.final.txt" gives "report.final".
QString GetFileTitle(const QString& path);
/// The text before the last separator; empty when there is none.
QString GetFolderPart(const QString& path);
/// ".." followed by the file name when a separator stands at index 1 or
/// later ("/a/b.txt" gives "..b.txt"); otherwise the path unchanged.
QString ShortenPathForDisplay(const QString& path);
/// The path without trailing "/" or "\"; a path of separators only keeps
/// its first (the root stays "/").
QString WithoutTrailingSeparators(QString path);
/// Makes `name` usable as one file name, in place: separators, the
/// characters :*?"<>|, control characters (and blanks when `alsoSpace`)
/// become "_", runs of "_" shrink to one, and a name of dots only (".", "..")
/// becomes "_", so a name never steps into another folder.
void SanitizeFileName(QString& name, bool alsoSpace = false);
/// Writes the UTF-16 little-endian byte order mark FF FE; true when written.
bool WriteUtf16Bom(QIODevice& file);

// ---- Files and folders (all false for an empty path) ----

/// True when the path names an existing entry that is not a folder.
bool FileExists(const QString& path);
bool IsExistingFolder(const QString& path);
/// As IsExistingFolder, after removing one trailing "/" or "\".
bool IsFolderPath(const QString& path);
/// True when the folder exists or was created with every missing parent.
bool EnsureFolder(const QString& path);
/// Copies the file through a temporary file beside the target renamed into
/// place, so an existing target is replaced only by a complete copy. False,
/// the target as it was, when anything failed.
bool ReplaceFileByCopy(const QString& source, const QString& target);
/// Renames a finished file onto the target in one step, replacing an
/// existing target, so the target is always either the old or the new
/// file. False, with the reason in `error` and both files as they were,
/// when the rename failed.
bool RenameReplacing(const QString& finished, const QString& target, QString* error = nullptr);
/// Appends the full path of every entry of the folder that is not a folder
/// (hidden ones included), in name order.
void ListFilesInFolder(const QString& folder, QStringList& paths);

// ---- Unique and numbered names ----

/// When the file exists, replaces `path` by the first of "name(1).ext" to
/// "name(999).ext" that does not exist. False, with `path` unchanged, when
/// all of them exist (the caller must not overwrite anything).
bool MakeUniqueFileName(QString& path);
/// When the folder exists, replaces `path` by the first of "name(1)" to
/// "name(999)" that is not a folder; then creates the folder. True when the
/// folder named by `path` exists afterwards; false for an empty path, when
/// all 999 names are taken, or when the folder cannot be created.
bool MakeUniqueFolderName(QString& path);
/// "name(NN).ext" with the current `counter` (two digits at least), then
/// increases `counter`. An empty name gives an empty text and leaves the
/// counter. Nothing is looked up on disk.
QString MakeNumberedName(const QString& name, int& counter);

// ---- Lists and texts ----

/// Clears `list` and fills it with the text before the first `separator`
/// and the text after it (an empty text and the whole text when the
/// separator is absent). `text` is emptied.
void SplitFirst(QString& text, QStringList& list, const QString& separator);
/// Clears `list` and fills it with the fields of `text` separated by
/// `separator`; one leading separator is skipped and a trailing one ends
/// the last field. Empty fields inside stay ("a||b" gives a, "", b).
/// `text` is emptied.
void SplitList(QString& text, QStringList& list, QChar separator);
/// Each integer followed by "|": {12, 7, 30} gives "12|7|30|".
QString FormatIdList(const QList<qint32>& ids);
/// Trims `text` in place and fills `ids` with each item that is followed by
/// "|", read as a decimal integer; items reading 0 are skipped, and an item
/// after the last "|" is not read.
void ParseIdList(QString& text, QList<qint32>& ids);
bool FindInIntArray(qint32 value, const QList<qint32>& values);
/// Reads a decimal integer as the C runtime's atoi does: leading blanks, an
/// optional sign, digits up to the first other character; 0 when there are
/// none. Clamped to the 32-bit range.
qint32 ReadLeadingInt(QStringView text);
/// The whole text as a decimal 32-bit integer (an optional sign, then
/// digits, nothing around them); nothing for any other text.
std::optional<qint32> ReadWholeInt(QStringView text);
/// Every carriage return becomes the line marker "~~~~".
void ReplaceWithTilde(QString& text);
/// Every line marker "~~~~" becomes "<BR>", then every "^" becomes "&".
void ReplaceLineMarkers(QString& text);
/// Case-sensitive comparison with a Latin-1 literal.
bool StringEquals(const QString& text, const char* literal);
/// Lower-cases in place one UTF-16 unit at a time, so the length stays.
QString& LowerCase(QString& text);
/// True when both "file=" and "time=" occur (case-sensitive).
bool HasFileAndTimeArgs(const QString& text);

// ---- Media time texts "hh:mm:ss.mmm" ----

/// Milliseconds as "hh:mm:ss.mmm"; a negative value reads as 0.
QString FormatMediaTime(qint32 milliseconds);
/// Reads a media time text into milliseconds: "hh:mm:ss.mmm", "mm:ss",
/// "ss" and any of them with ".mmm"; each part is read up to its first
/// non-digit. An empty text gives 0; the result is clamped to 0..2^31-1.
qint32 ParseVersionSuffix(const QString& text);
