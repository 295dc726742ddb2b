#pragma once

// Document file import: rich text, Word files (through LibreOffice), plain
// text, PDF and pictures, and whole folders, become documents of the open
// project in one transaction.

#include "document/kordoc.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// One document of an import, ready to be written.
struct ImportedDocument {
    qint32 group = 0;         ///< an existing group (0: top level), unless newGroup is set
    qsizetype newGroup = -1;  ///< index into DocumentImportBatch::newGroups
    QString name;
    qint32 kind = 0;          ///< DocumentKind: rich text, PDF or picture
    QByteArray content;       ///< RTF, the file's bytes, or an "EXTERN:" reference
    qint32 size = 0;          ///< rich text: rich-edit positions; else the byte count
    QString mediaFile;
    QList<CKorDoc::MediaMarkRecord> marks;
};

/// What one import writes: the groups made from folders, then the documents.
struct DocumentImportBatch {
    QStringList newGroups;
    QList<ImportedDocument> documents;
};

/// @short Turns files and folders into documents of the project.
///
/// Questions and messages go through the message service: a file whose
/// content is not of its kind is reported with its name and the reason and
/// skipped. Source files are only read; Word files are converted in a
/// temporary folder that is removed afterwards. Everything the import makes
/// is written in one transaction: when that fails, the project and the
/// panes stay as they were (copies made in the externals folder by this
/// import are removed again). GUI thread only; rich text is read on helper
/// threads.
class DocumentFileImport {
public:
    /// Accepted extensions, compared without case.
    static bool IsAcceptedPath(const QString& path);
    /// DocumentKind of an accepted path (rich text for .rtf, .doc, .docx and
    /// .txt); -1 for others.
    static qint32 KindOfPath(const QString& path);

    explicit DocumentFileImport(CKorDoc& doc);

    /// Imports into `group` (0: top level). Without `paths` the user is asked
    /// for files. Folders in the list become new groups holding their
    /// accepted files; they are taken out of the list, and other entries
    /// without an accepted extension too. `ids`, when given, gets one entry
    /// per remaining path: the new document, or 0 where nothing was made.
    /// With `noSizeQuestion` large PDF and picture files are stored without
    /// asking.
    void Run(qint32 group, QStringList* paths, QList<qint32>* ids, bool noSizeQuestion);

private:
    struct Entry;
    struct Target;

    void CollectEntries(const Target& target, QStringList& paths, QList<Entry>& entries, bool listed);
    void ConvertWordFiles(QList<Entry>& entries, const QString& folder);
    void ReadRichTexts(QList<Entry>& entries);
    bool FinishRichText(Entry& entry);
    bool FinishExternalFile(Entry& entry, bool noSizeQuestion);
    bool LocateMedia(Entry& entry);
    void PlaceInExternalsFolder(const QString& path);
    void Report(const Entry& entry) const;
    void RemoveNewExternalCopies();

    CKorDoc& m_doc;
    DocumentImportBatch m_batch;
    QStringList m_newExternalCopies;  // files this import put into the externals folder
};
