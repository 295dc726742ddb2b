#pragma once

// The consistency of a closed project file: no reference names a missing
// row, every counter equals a recount of the rows it counts, and SQLite's
// own integrity check passes. The document fixture runs these after every
// test on each project file the test left behind; the counters only where
// the test wrote no rows around the document.

#include "store/projectfixture.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace doctest {

/// References that name no row, one count per kind; every count must be 0.
inline const char* const kReferenceQueries[] = {
    "SELECT 'Texts.GroupID', COUNT(*) FROM Texts WHERE GroupID<>0 AND GroupID NOT IN (SELECT ID FROM Textgroups)",
    "SELECT 'Texts.MemoID', COUNT(*) FROM Texts WHERE MemoID<>0 AND MemoID NOT IN (SELECT ID FROM Memos)",
    "SELECT 'Textgroups.MemoID', COUNT(*) FROM Textgroups WHERE MemoID<>0 AND MemoID NOT IN (SELECT ID FROM Memos)",
    "SELECT 'Textsets.MemoID', COUNT(*) FROM Textsets WHERE MemoID<>0 AND MemoID NOT IN (SELECT ID FROM Memos)",
    "SELECT 'Textlinks.SetID', COUNT(*) FROM Textlinks WHERE SetID NOT IN (SELECT ID FROM Textsets)",
    "SELECT 'Textlinks.TextID', COUNT(*) FROM Textlinks WHERE TextID NOT IN (SELECT ID FROM Texts)",
    "SELECT 'Codewords.WordID', COUNT(*) FROM Codewords WHERE WordID<>0 AND WordID NOT IN (SELECT ID FROM Codewords)",
    "SELECT 'Codewords.MemoID', COUNT(*) FROM Codewords WHERE MemoID<>0 AND MemoID NOT IN (SELECT ID FROM Memos)",
    "SELECT 'Wordlinks.SetID', COUNT(*) FROM Wordlinks WHERE SetID NOT IN (SELECT ID FROM Wordsets)",
    "SELECT 'Wordlinks.WordID', COUNT(*) FROM Wordlinks WHERE WordID NOT IN (SELECT ID FROM Codewords)",
    "SELECT 'Codings.TextID', COUNT(*) FROM Codings WHERE TextID NOT IN (SELECT ID FROM Texts)",
    "SELECT 'Codings.WordID', COUNT(*) FROM Codings WHERE WordID<>0 AND WordID NOT IN (SELECT ID FROM Codewords)",
    "SELECT 'Codings.GroupID', COUNT(*) FROM Codings WHERE GroupID<>0 AND GroupID NOT IN (SELECT ID FROM Textgroups)",
    "SELECT 'Memos.TextID', COUNT(*) FROM Memos WHERE TextID<>0 AND TextID NOT IN (SELECT ID FROM Texts)",
    "SELECT 'Memos.WordID', COUNT(*) FROM Memos WHERE WordID<>0 AND WordID NOT IN (SELECT ID FROM Codewords)",
    "SELECT 'Memos.GroupID', COUNT(*) FROM Memos WHERE GroupID<>0 AND GroupID NOT IN (SELECT ID FROM Textgroups)",
    "SELECT 'Memos.SetID', COUNT(*) FROM Memos WHERE SetID<>0 AND SetID NOT IN (SELECT ID FROM Textsets)",
    "SELECT 'Links.TextID', COUNT(*) FROM Links WHERE TextID NOT IN (SELECT ID FROM Texts)",
    "SELECT 'Links.LinkID', COUNT(*) FROM Links WHERE LinkID>0 AND LinkID NOT IN (SELECT ID FROM Links)",
    "SELECT 'MediaMarks.TextID', COUNT(*) FROM MediaMarks WHERE TextID NOT IN (SELECT ID FROM Texts)",
    "SELECT 'sys_Values texts', COUNT(*) FROM sys_Values WHERE TopicID=5 AND ObjectID NOT IN (SELECT ID FROM Texts)",
    "SELECT 'sys_Values codes', COUNT(*) FROM sys_Values WHERE TopicID=8 AND ObjectID NOT IN (SELECT ID FROM Codewords)",
};

/// Counters against the rows they count; codings of code 0 (temporary
/// retrieval rows) count nowhere.
inline const char* const kCounterQueries[] = {
    "SELECT 'Codewords.Codes', COUNT(*) FROM Codewords c WHERE Codes <> (SELECT COUNT(*) FROM Codings WHERE WordID=c.ID)",
    "SELECT 'Texts.Codes', COUNT(*) FROM Texts t WHERE Codes <> "
    "(SELECT COUNT(*) FROM Codings WHERE TextID=t.ID AND WordID<>0)",
    "SELECT 'Texts.Memos', COUNT(*) FROM Texts t WHERE Memos <> (SELECT COUNT(*) FROM Memos WHERE TextID=t.ID)",
};

/// Which checks run: counters only hold where every row was written
/// through the document.
enum class CounterCheck { On, Off };

/// Every fault of the closed project file at path, as "query name|count"
/// rows and the integrity check's own lines; empty for a sound file.
inline QStringList ConsistencyFaults(const QString& path, CounterCheck counters = CounterCheck::On)
{
    QStringList faults;
    const auto run = [&](const char* sql) {
        for (const QVariantList& row : projecttest::QueryFile(path, QString::fromLatin1(sql))) {
            if (row.value(1).toLongLong() != 0)
                faults.append(row.value(0).toString() + QLatin1Char('|') + row.value(1).toString());
        }
    };
    for (const char* sql : kReferenceQueries)
        run(sql);
    if (counters == CounterCheck::On) {
        for (const char* sql : kCounterQueries)
            run(sql);
    }
    for (const QVariantList& row : projecttest::QueryFile(path, QStringLiteral("PRAGMA integrity_check;"))) {
        if (row.value(0).toString() != QLatin1String("ok"))
            faults.append(QStringLiteral("integrity_check|") + row.value(0).toString());
    }
    return faults;
}

/// The project files in a folder: files that begin with SQLite's header
/// and end in ".kv4".
inline QStringList ProjectFilesIn(const QString& folder)
{
    QStringList files;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.kv4")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString file = QDir(folder).filePath(name);
        QFile f(file);
        if (f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3", 16))
            files.append(file);
    }
    return files;
}

}  // namespace doctest
