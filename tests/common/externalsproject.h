#pragma once

// A small project that refers to outside files in every way a project can:
// media files, external links, "EXTERN:" content and links to files and
// addresses; files at their stored path, in the externals folder, in the
// project's folder and missing; sizes at the kilobyte-megabyte edge; two
// files of one name in two folders.

#include "common/testutil.h"
#include "document/docfixture.h"
#include "foundation/ids.h"
#include "foundation/options.h"

#include <QDir>
#include <QFileInfo>

namespace testutil {

/// The files on disk and the rows that refer to them. Set option 10 to
/// `externals` while the project is used.
struct ExternalsProject {
    QString externals;     ///< the externals folder
    QString media;         ///< at its stored path
    QString sameA;         ///< ".../a/same.txt"
    QString sameB;         ///< ".../b/same.txt"
    QString exactMiB;      ///< 1,048,576 bytes
    QString overMiB;       ///< 1,048,577 bytes
    QString scanInExternals;
    QString reportInExternals;
    QString notesInProject;

    /// The resolved path of every found file, in collection order.
    QStringList FoundPaths() const
    {
        return {scanInExternals, notesInProject, media, reportInExternals, sameA, sameB, exactMiB, overMiB};
    }
};

inline QString MakeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    EXPECT_TRUE(WriteFile(path, bytes)) << path.toStdString();
    return path;
}

inline QByteArray Utf16Bytes(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

inline QByteArray ExternContent(const QString& path)
{
    return Utf16Bytes(QStringLiteral("EXTERN:") + path);
}

/// Writes the files under root (the project's folder is projectFolder) and
/// adds two documents and seven links that refer to them.
inline ExternalsProject BuildExternalsProject(TopicDatabase& db, const QString& root, const QString& projectFolder)
{
    ExternalsProject p;
    p.externals = root + QStringLiteral("/externals");
    p.media = MakeFile(root + QStringLiteral("/stored/interview.mp3"), "ID3 media");
    p.sameA = MakeFile(root + QStringLiteral("/stored/a/same.txt"), "first");
    p.sameB = MakeFile(root + QStringLiteral("/stored/b/same.txt"), "second");
    p.exactMiB = MakeFile(root + QStringLiteral("/stored/exact.bin"), QByteArray(1048576, 'e'));
    p.overMiB = MakeFile(root + QStringLiteral("/stored/over.bin"), QByteArray(1048577, 'o'));
    p.scanInExternals = MakeFile(p.externals + QStringLiteral("/scan.pdf"), QByteArray(2048, 's'));
    p.reportInExternals = MakeFile(p.externals + QStringLiteral("/report.pdf"), "%PDF-1.4 report");
    p.notesInProject = MakeFile(QDir(projectFolder).filePath(QStringLiteral("notes.txt")), "notes");

    using namespace doctest;
    const qint32 group = AddRow(db, TopicId::DocumentGroups, {{GroupField::Name, QStringLiteral("Interviews")}});
    AddRow(db, TopicId::Documents,
           {{DocumentField::GroupID, group},
            {DocumentField::Name, QStringLiteral("Anna")},
            {DocumentField::Text, RtfOf({QStringLiteral("Anna talks.")})},
            {DocumentField::ExtLink1, QStringLiteral("  C:\\Data\\scan.pdf ")},
            {DocumentField::ExtLink2, QStringLiteral("D:\\old\\notes.txt")},
            {DocumentField::ExtLink3, QStringLiteral("https://example.org/interview")},
            {DocumentField::MediaFile, p.media}});
    AddRow(db, TopicId::Documents,
           {{DocumentField::GroupID, group},
            {DocumentField::Name, QStringLiteral("Report")},
            {DocumentField::DocType, DocumentKind::Pdf},
            {DocumentField::Text, ExternContent(QStringLiteral("C:\\Scans\\report.pdf"))},
            {DocumentField::MediaFile, QStringLiteral("/nowhere/gone.wav")}});
    for (const QString& target : {p.sameA, QStringLiteral("mailto:ann@example.org"), p.sameB, p.exactMiB, p.overMiB})
        AddRow(db, TopicId::Links,
               {{LinkField::Document, 1}, {LinkField::LinkID, -1}, {LinkField::Text, Utf16Bytes(target)}});
    // A pair of links between passages refers to no file, whatever its text.
    const qint32 from = AddRow(db, TopicId::Links, {{LinkField::Document, 1}, {LinkField::Text, QByteArray("/etc/hosts")}});
    const qint32 to = AddRow(db, TopicId::Links, {{LinkField::Document, 1}, {LinkField::LinkID, from}});
    RowBuffer row;
    if (db.ReadRow(TopicId::Links, from, row, false)) {
        FieldValue value;
        row.GetFieldValue(LinkField::LinkID, value);
        value.Parse(QString::number(to));
        row.Commit(false, true);
    }
    return p;
}

}  // namespace testutil
