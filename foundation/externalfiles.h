#pragma once

// The externals folder (copies of files that documents, pictures and model
// objects refer to), the rules that turn a stored link target into a path
// or an address, and zip archives of such files.
//
// Link targets written on Windows may hold "\": a file name is always the
// part after the last "\" or "/". Nothing here deletes, replaces or writes
// a file outside the folder it was asked to work in: names are single path
// components, never "." or "..", and archive entries that would leave the
// target folder are refused. Questions go through the message service.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

/// Name of the default externals folder inside its parent folder.
inline constexpr char kExternalsFolderName[] = "KORVAN_Externals";
/// Prefix of a document's content that names an external file in place of
/// the content (UTF-16 text in the blob).
inline constexpr char kExternPrefix[] = "EXTERN:";

/// Where ResolveLinkTarget found a file.
enum class LinkLocation : qint32 {
    NotFound = 0,
    StoredPath = 1,    ///< at the path the target names
    SearchFolder = 2,  ///< in the externals folder or the second search folder
};

/// What ResolveLinkTarget learnt about a target; reset by every call.
struct ExternalLinkInfo {
    QString fileName;         ///< the part after the last separator
    QString folderOrAddress;  ///< the target without its file name; an address whole
    qint64 size = 0;          ///< the found file's length in bytes
    LinkLocation location = LinkLocation::NotFound;
    bool sizeKnown = false;   ///< the found file is a regular file, its size read
    bool isFile = false;      ///< false for an address
};

/// @short One external file of a project as the external-files list shows
/// it: the reference as stored and what resolving it found.
struct ExternalFileRecord {
    QString fileName;   ///< the part after the last separator, at most 259 units
    QString reference;  ///< as stored in the project, at most 259 units
    qint64 size = 0;    ///< bytes; meaningful only when sizeKnown
    LinkLocation status = LinkLocation::NotFound;
    bool sizeKnown = false;  ///< the file is a regular file, its size read
    bool isFile = true;      ///< false for an address (never listed)
};

/// Option 10 of "qda"; the default folder when the option is empty. No
/// trailing "/".
QString GetExternalsFolder();
/// In portable mode the program folder plus "KORVAN_Externals", otherwise
/// the user's documents folder, "/" and "KORVAN_Externals".
QString GetDefaultExternalsFolder();

/// True for an address: "www." or any "scheme:" of two or more characters
/// at the start ("https://", "mailto:"; ignoring case). Everything else,
/// a drive letter too, is a file path.
bool IsLinkAddress(const QString& target);

/// The path after "EXTERN:" of a content blob (UTF-16 little endian, any
/// trailing NULs dropped); empty when the blob is absent, shorter than the
/// prefix or does not begin with it (compared with case).
QString StripExternPrefix(const QByteArray* blob);
QString StripExternPrefix(const char* data, qsizetype bytes);

/// A path or address for a stored target: an address unchanged; a file at
/// its stored path; else the file of that name in the externals folder
/// (externalsFolder, set to the default folder when empty; a name that
/// differs only in case is found too), else in secondFolder. Empty when
/// nothing is found. Fills info when given.
QString ResolveLinkTarget(const QString& target, QString& externalsFolder, const QString& secondFolder,
                          ExternalLinkInfo* info = nullptr);

/// @short Resolves many targets against the same two folders as
/// ResolveLinkTarget does, reading each folder's list of names once instead
/// of at every target that is not at its stored path.
///
/// Meant for one pass over a project's references: files added to the
/// folders after the first miss in them are not seen.
class LinkTargetResolver {
public:
    /// externalsFolder empty: the default folder.
    LinkTargetResolver(QString externalsFolder, QString secondFolder);
    /// ResolveLinkTarget with this resolver's folders.
    QString Resolve(const QString& target, ExternalLinkInfo* info = nullptr);
    /// The externals folder searched, without trailing "/".
    const QString& ExternalsFolder() const { return m_folders[0]; }

private:
    struct Folder {
        bool usable = false;
        QHash<QString, QString> namesByLowerCase;  ///< the first name in name order wins
    };
    QString FindInFolder(int index, const QString& name);

    QString m_folders[2];
    std::optional<Folder> m_listings[2];
};

/// Resolves the target and opens it with the desktop. An executable file
/// (a program, script or launcher) is opened only when the user agrees.
/// False when nothing was opened.
bool OpenLinkTarget(const QString& target, QString& externalsFolder, const QString& secondFolder);

/// Copies the source file into the folder (the default externals folder
/// when empty; set to it) under the source's file name. An existing file of
/// that name is replaced only when the user agrees. False when the folder
/// is unusable, the name is not a plain file name, or copying failed.
bool CopyToExternalsFolder(const QString& sourcePath, QString& destinationFolder);

/// The name of the file in the folder (the default externals folder when
/// empty; set to it) that is the copy of the target: empty for an address,
/// a name that is not a plain file name, or when the folder holds no such
/// file. A name that differs only in case gives the name on disk.
QString GetExternalCopyName(const QString& target, QString& folder);

/// Replaces each target by its GetExternalCopyName in the externals folder,
/// asks once whether the listed copies shall be deleted, and deletes them.
/// True when nothing was to be deleted or the user agreed.
bool DeleteExternalCopies(QStringList& targets);

/// Writes a new archive (replacing one at the path only when complete)
/// holding each listed file under its file name, UTF-8 names with the
/// UTF-8 flag, the file's modification time as entry time. A file listed
/// twice (the same absolute path) is stored once; a name used by two files
/// gets "(n)" before its extension. False when a file could not be added
/// (its path is appended to failed; the others are still archived) or the
/// archive not written (every path is then in failed).
bool ZipFileList(const QString& archivePath, const QStringList& filePaths, QStringList* failed = nullptr);

/// Extracts every entry into the folder, asking before an existing file is
/// replaced. Entries with an absolute path, a drive, a ".." component or a
/// link, and entries that would end up outside the folder, are skipped and
/// listed in refused. Names come from the Unicode path extra field when it
/// matches, else as UTF-8 unless a DOS-descended system wrote a name that
/// is not valid UTF-8 (code page 437). False when the archive cannot be
/// opened, or when entries were wanted and none could be written (entries
/// the user chose to keep count as done).
bool ExtractZipArchive(const QString& archivePath, const QString& destinationFolder,
                       QStringList* refused = nullptr);

/// Copies (or moves) the files of source/subfolder into
/// destination/subfolder without replacing existing files; with
/// includeSubfolders the same for every subfolder, created as needed.
/// Links are never followed.
void CopyFolderFiles(const QString& source, const QString& destination, const QString& subfolder,
                     bool includeSubfolders, bool move);

/// Where CheckExternalFiles found one file.
struct ExternalFileCheck {
    enum Where { Missing, StoredPath, ExternalsFolder, ProjectFolder };
    QString name;        ///< as asked
    QString foundPath;   ///< empty when missing
    Where where = Missing;
};
/// Looks for each named file at its stored path, then in the externals
/// folder (option 10, else the default), then in the project folder, and
/// tells where each was found. Reads only: nothing is copied or deleted.
QList<ExternalFileCheck> CheckExternalFiles(const QStringList& names, const QString& projectFolder);
