#pragma once

#include <QString>

/// What a file holds, judged by its first bytes, never by its extension.
enum class DatabaseFileKind {
    Sqlite,      // "SQLite format 3\0" at offset 0: a project file of ours
    Jet,         // "Standard Jet DB" or "Standard ACE DB" at offset 4: needs conversion
    Other,       // readable, but neither (also empty and short files)
    Unreadable,  // missing, a folder, or not permitted
};

/// Reads the header of path. For Unreadable, error (when given) says why.
DatabaseFileKind DetectDatabaseFile(const QString& path, QString* error = nullptr);
