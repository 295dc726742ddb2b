#include "foundation/externalfiles.h"

#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "platform/codepage/codepage.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QUrl>
#include <QtEndian>

#include <unzip.h>
#include <zip.h>

#include <sys/stat.h>

#include <cstdio>

namespace {

// General purpose flag bit 11: the entry name is UTF-8.
constexpr uLong kUtf8NameFlag = 0x800;
// Host system "Unix" in the upper byte of "version made by".
constexpr uLong kUnixHost = 3;
// The code page of entry names written on DOS-descended file systems
// without the UTF-8 flag.
constexpr int kZipLegacyCodePage = 437;
// Extra field holding the entry name in UTF-8 beside a name in another code page.
constexpr quint16 kUnicodePathField = 0x7075;
// Entries are read and written in chunks of this many bytes.
constexpr int kChunkBytes = 64 * 1024;

/// The last component of a target; empty when it is not usable as the name
/// of a file inside a folder.
QString PlainFileName(const QString& target)
{
    const QString name = target.mid(LastSeparator(target) + 1);
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(QChar(0)))
        return {};
    return name;
}

QString JoinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

/// The path of name in folder: the exact name when it exists, else the
/// first entry whose name differs only in case (names stored on Windows
/// compared without case); empty when there is none.
QString FindInFolder(const QString& folder, const QString& name)
{
    const QString exact = JoinPath(folder, name);
    if (FileExists(exact))
        return exact;
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

QString FolderOrDefault(QString& folder)
{
    folder = WithoutTrailingSeparators(folder.isEmpty() ? GetDefaultExternalsFolder() : folder);
    return folder;
}

bool AskReplace(const QString& fileName)
{
    return AskYesNo(LoadString(FoundationText::ReplaceExistingFile).arg(fileName));
}

// ---- Entry names of archives ----

/// The relative path an archive entry may be written to, with "/" between
/// components; empty when the name is absolute, has a drive, or a "." or
/// ".." component, or holds a NUL.
QString SafeEntryPath(QString name)
{
    name.replace(u'\\', u'/');
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(QChar(0)))
        return {};
    if (name.size() >= 2 && name.at(1) == u':')
        return {};
    QStringList parts = name.split(u'/');
    if (parts.last().isEmpty())  // a folder entry "a/b/"
        parts.removeLast();
    if (parts.isEmpty())
        return {};
    for (const QString& part : std::as_const(parts)) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return {};
    }
    return parts.join(u'/');
}

/// Creates base/relative one component at a time; false when a component
/// exists as anything but a real folder (a link could lead outside base).
bool MakeFolderInside(const QString& base, const QString& relative)
{
    QString path = base;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = JoinPath(path, part);
        const QFileInfo info(path);
        if (info.isSymLink() || (info.exists() && !info.isDir()))
            return false;
        if (!info.exists() && !QDir().mkdir(path))
            return false;
    }
    return true;
}

bool IsLinkEntry(const unz_file_info64& info)
{
    return (info.version >> 8) == kUnixHost && S_ISLNK(mode_t(info.external_fa >> 16));
}

/// The name of the Unicode path extra field, when the field is there and
/// was written for the stored name (its CRC-32 matches); else null.
QString UnicodePathName(const QByteArray& extra, const QByteArray& storedName)
{
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const quint16 tag = qFromLittleEndian<quint16>(extra.constData() + at);
        const qsizetype size = qFromLittleEndian<quint16>(extra.constData() + at + 2);
        const qsizetype data = at + 4;
        if (data + size > extra.size())
            break;
        if (tag == kUnicodePathField && size >= 5 && extra.at(data) == 1) {
            const quint32 crc = qFromLittleEndian<quint32>(extra.constData() + data + 1);
            const uLong stored = crc32(0, reinterpret_cast<const Bytef*>(storedName.constData()),
                                       uInt(storedName.size()));
            if (crc != stored)
                return {};
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString name = utf8(QByteArrayView(extra.constData() + data + 5, size - 5));
            return utf8.hasError() || name.isEmpty() ? QString() : name;
        }
        at = data + size;
    }
    return {};
}

/// The entry's name as its writer meant it. Without the UTF-8 flag or the
/// Unicode path field, Unix tools write UTF-8 unmarked; code page 437 is
/// left for names from DOS-descended systems that are not valid UTF-8.
QString EntryName(const unz_file_info64& info, const QByteArray& rawName, const QByteArray& extra)
{
    if (const QString unicode = UnicodePathName(extra, rawName); !unicode.isNull())
        return unicode;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString name = utf8(rawName);
    const uLong host = info.version >> 8;
    // FAT (0), HPFS (6), NTFS (11), VFAT (14).
    const bool dosHost = host == 0 || host == 6 || host == 11 || host == 14;
    if ((info.flag & kUtf8NameFlag) || !dosHost || !utf8.hasError())
        return name;
    name.clear();
    codepage::CodePageDecoder legacy;
    legacy.append(name, rawName.constData(), rawName.size(), kZipLegacyCodePage);
    return name;
}

QDateTime EntryTime(const unz_file_info64& info)
{
    const tm_unz& t = info.tmu_date;
    return QDateTime(QDate(int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday)),
                     QTime(int(t.tm_hour), int(t.tm_min), int(t.tm_sec)));
}

/// Writes the current entry to target (which is not a link), replacing an
/// existing file only as a whole.
bool WriteEntry(unzFile zip, const QString& target, quint64 expectedBytes)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    QSaveFile out(target);
    bool ok = out.open(QIODevice::WriteOnly);
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    int read = 0;
    quint64 written = 0;
    while (ok && (read = unzReadCurrentFile(zip, chunk.data(), kChunkBytes)) > 0) {
        ok = out.write(chunk.constData(), read) == read;
        written += quint64(read);
    }
    // The CRC is checked on close only when every byte came out, so a
    // damaged stream that ends early is caught by its length.
    const bool intact = unzCloseCurrentFile(zip) == UNZ_OK && written == expectedBytes;
    return ok && read == 0 && intact && out.commit();
}

QString UniqueStoredName(const QString& name, QSet<QString>& used)
{
    QString candidate = name;
    int counter = 1;
    while (used.contains(candidate.toLower()))
        candidate = MakeNumberedName(name, counter);
    used.insert(candidate.toLower());
    return candidate;
}

bool AddFileToZip(zipFile zip, const QString& path, const QString& storedName)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QDateTime modified = QFileInfo(path).lastModified();
    zip_fileinfo info{};
    info.tmz_date.tm_sec = uInt(modified.time().second());
    info.tmz_date.tm_min = uInt(modified.time().minute());
    info.tmz_date.tm_hour = uInt(modified.time().hour());
    info.tmz_date.tm_mday = uInt(modified.date().day());
    info.tmz_date.tm_mon = uInt(modified.date().month() - 1);
    info.tmz_date.tm_year = uInt(qBound(1980, modified.date().year(), 2107));
    const QByteArray name = storedName.toUtf8();
    const bool large = in.size() >= 0xFFFFFFFFLL;
    if (zipOpenNewFileInZip4_64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                                0, kUnixHost << 8, kUtf8NameFlag, large ? 1 : 0) != ZIP_OK)
        return false;
    bool ok = true;
    QByteArray chunk;
    while (ok && !(chunk = in.read(kChunkBytes)).isEmpty())
        ok = zipWriteInFileInZip(zip, chunk.constData(), unsigned(chunk.size())) == ZIP_OK;
    ok = ok && in.error() == QFileDevice::NoError;
    return zipCloseFileInZip(zip) == ZIP_OK && ok;
}

bool IsExecutableFile(const QFileInfo& file)
{
    static const QStringList kLaunchers = {QStringLiteral("desktop"), QStringLiteral("sh"), QStringLiteral("exe"),
                                          QStringLiteral("bat"), QStringLiteral("cmd"), QStringLiteral("com")};
    return file.isExecutable() || kLaunchers.contains(file.suffix().toLower());
}

}  // namespace

QString GetExternalsFolder()
{
    QString folder = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
    return FolderOrDefault(folder);
}

QString GetDefaultExternalsFolder()
{
    // The program folder keeps its trailing "/"; the documents folder has
    // none. Before start-up fixed them there is no folder at all.
    const QString parent = g_program.PortableMode ? g_program.ProgramFolder : g_program.PersonalFolder;
    if (parent.isEmpty())
        return {};
    return g_program.PortableMode ? parent + QLatin1String(kExternalsFolderName)
                                  : parent + u'/' + QLatin1String(kExternalsFolderName);
}

bool IsLinkAddress(const QString& target)
{
    // A scheme has two or more characters, so "C:" stays a drive.
    static const QRegularExpression kScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return target.startsWith(QStringLiteral("www."), Qt::CaseInsensitive) || kScheme.match(target).hasMatch();
}

QString StripExternPrefix(const char* data, qsizetype bytes)
{
    const qsizetype prefixUnits = qsizetype(sizeof kExternPrefix) - 1;
    if (!data || bytes / 2 < prefixUnits)
        return {};
    QString text(bytes / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(data[2 * i]) | (uchar(data[2 * i + 1]) << 8)));
    if (!text.startsWith(QLatin1String(kExternPrefix)))
        return {};
    qsizetype end = text.size();
    while (end > prefixUnits && text.at(end - 1).isNull())
        --end;
    return text.mid(prefixUnits, end - prefixUnits);
}

QString StripExternPrefix(const QByteArray* blob)
{
    return blob ? StripExternPrefix(blob->constData(), blob->size()) : QString();
}

QString ResolveLinkTarget(const QString& target, QString& externalsFolder, const QString& secondFolder,
                          ExternalLinkInfo* info)
{
    LinkTargetResolver resolver(externalsFolder, secondFolder);
    externalsFolder = resolver.ExternalsFolder();
    return resolver.Resolve(target, info);
}

LinkTargetResolver::LinkTargetResolver(QString externalsFolder, QString secondFolder)
{
    m_folders[0] = FolderOrDefault(externalsFolder);
    m_folders[1] = std::move(secondFolder);
}

QString LinkTargetResolver::FindInFolder(int index, const QString& name)
{
    const QString& folder = m_folders[index];
    std::optional<Folder>& listing = m_listings[index];
    if (!listing) {
        listing.emplace();
        listing->usable = !folder.isEmpty() && EnsureFolder(folder);
        if (listing->usable) {
            const QDir dir(folder);
            const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
            // Earlier entries win, as a search in name order finds them first.
            for (auto it = entries.crbegin(); it != entries.crend(); ++it)
                listing->namesByLowerCase.insert(it->toLower(), *it);
        }
    }
    if (!listing->usable)
        return {};
    // The listing answers for names it lacks in any case; only a listed name
    // is looked at on disk, where the exact spelling wins.
    const auto found = listing->namesByLowerCase.constFind(name.toLower());
    if (found == listing->namesByLowerCase.cend())
        return {};
    const QString exact = JoinPath(folder, name);
    if (*found != name && FileExists(exact))
        return exact;
    return JoinPath(folder, *found);
}

QString LinkTargetResolver::Resolve(const QString& target, ExternalLinkInfo* info)
{
    if (info)
        *info = ExternalLinkInfo();
    if (target.isEmpty())
        return {};
    if (IsLinkAddress(target)) {
        if (info)
            info->folderOrAddress = target;
        return target;
    }
    const qsizetype separator = LastSeparator(target);
    const QString fileName = separator < 0 ? QString() : target.mid(separator + 1);
    QString result;
    LinkLocation location = LinkLocation::NotFound;
    QFileInfo stored(target);
    if (stored.exists() && !stored.isDir()) {
        result = target;
        location = LinkLocation::StoredPath;
    } else if (!PlainFileName(fileName).isEmpty()) {
        // A target without any separator has no file name to look up.
        for (int index = 0; index < 2 && result.isEmpty(); ++index)
            result = FindInFolder(index, fileName);
        if (!result.isEmpty())
            location = LinkLocation::SearchFolder;
    }
    if (info) {
        info->isFile = true;
        info->fileName = fileName.left(259);
        info->folderOrAddress = separator < 0 ? QString() : target.left(separator).left(259);
        info->location = location;
        // Only a regular file is measured, from its directory entry: opening
        // a named pipe would block.
        const QFileInfo file = location == LinkLocation::StoredPath ? stored : QFileInfo(result);
        if (!result.isEmpty() && file.isFile()) {
            info->size = file.size();
            info->sizeKnown = true;
        }
    }
    return result;
}

bool OpenLinkTarget(const QString& target, QString& externalsFolder, const QString& secondFolder)
{
    const QString resolved = ResolveLinkTarget(target, externalsFolder, secondFolder);
    if (resolved.isEmpty())
        return false;
    if (IsLinkAddress(resolved))
        return QDesktopServices::openUrl(QUrl::fromUserInput(resolved));
    const QFileInfo file(resolved);
    if (IsExecutableFile(file) && !AskYesNo(LoadString(FoundationText::StartProgramQuestion).arg(resolved)))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

bool CopyToExternalsFolder(const QString& sourcePath, QString& destinationFolder)
{
    const QString folder = FolderOrDefault(destinationFolder);
    const QString name = PlainFileName(sourcePath);
    if (folder.isEmpty() || name.isEmpty() || !EnsureFolder(folder))
        return false;
    const QString target = JoinPath(folder, name);
    const QFileInfo existing(target);
    if (existing.isSymLink() || existing.isDir())
        return false;
    if (!existing.exists())
        return QFile::copy(sourcePath, target);
    if (!AskReplace(name))
        return true;
    return ReplaceFileByCopy(sourcePath, target);
}

QString GetExternalCopyName(const QString& target, QString& folder)
{
    if (target.isEmpty() || IsLinkAddress(target))
        return {};
    FolderOrDefault(folder);
    const QString name = PlainFileName(target);
    if (name.isEmpty())
        return {};
    if (!EnsureFolder(folder))
        return name;
    const QString found = FindInFolder(folder, name);
    return found.isEmpty() ? QString() : found.mid(LastSeparator(found) + 1);
}

bool DeleteExternalCopies(QStringList& targets)
{
    QString folder = GetExternalsFolder();
    QString list;
    for (QString& target : targets) {
        target = GetExternalCopyName(target, folder);
        if (!target.isEmpty())
            list += target + u'\n';
    }
    if (list.isEmpty())
        return true;
    if (!AskYesNo(QStringLiteral("%1\n%2").arg(list, LoadString(FoundationText::DeleteExternalCopies))))
        return false;
    BeginWait();
    // Each name is one plain component, so every path lies in the folder; a
    // link is removed itself, its target is never touched.
    for (const QString& name : std::as_const(targets)) {
        if (!name.isEmpty())
            QFile::remove(JoinPath(folder, name));
    }
    EndWait();
    return true;
}

bool ZipFileList(const QString& archivePath, const QStringList& filePaths, QStringList* failed)
{
    // Nothing archived: every file is reported, each once.
    const auto failAll = [&filePaths, failed] {
        if (failed) {
            for (const QString& path : filePaths)
                if (!failed->contains(path))
                    failed->append(path);
        }
        return false;
    };
    // Written beside the target and renamed, so a failed run leaves any
    // earlier archive as it was.
    QTemporaryFile temporary(archivePath + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return failAll();
    temporary.close();
    zipFile zip = zipOpen64(QFile::encodeName(temporary.fileName()).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return failAll();
    bool ok = true;
    QSet<QString> used;
    QSet<QString> stored;  // absolute paths already in the archive
    for (const QString& path : filePaths) {
        const QFileInfo file(path);
        const QString canonical = file.canonicalFilePath();
        const QString key = canonical.isEmpty() ? file.absoluteFilePath() : canonical;
        if (!path.isEmpty() && stored.contains(key))
            continue;
        stored.insert(key);
        const QString name = PlainFileName(path);
        // A missing file takes no name from a file that follows.
        const bool added = !name.isEmpty() && file.isFile() && AddFileToZip(zip, path, UniqueStoredName(name, used));
        if (!added) {
            ok = false;
            if (failed)
                failed->append(path);
        }
        PumpUiMessages();
    }
    // rename(2) replaces an earlier archive in one step: there is never a
    // moment without either archive.
    if (zipClose(zip, nullptr) != ZIP_OK
        || std::rename(QFile::encodeName(temporary.fileName()).constData(),
                       QFile::encodeName(archivePath).constData()) != 0)
        return failAll();
    temporary.setAutoRemove(false);
    return ok;
}

bool ExtractZipArchive(const QString& archivePath, const QString& destinationFolder, QStringList* refused)
{
    unzFile zip = unzOpen64(QFile::encodeName(archivePath).constData());
    if (!zip)
        return false;
    EnsureFolder(destinationFolder);
    const QString base = QFileInfo(destinationFolder).canonicalFilePath();
    // Entries refused or failed against entries written or kept by choice.
    int failures = 0;
    int done = 0;
    auto refuse = [refused, &failures](const QString& name) {
        ++failures;
        if (refused)
            refused->append(name);
    };
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            ++failures;
            break;
        }
        QByteArray rawName(qsizetype(info.size_filename), '\0');
        QByteArray extra(qsizetype(info.size_file_extra), '\0');
        if (unzGetCurrentFileInfo64(zip, &info, rawName.data(), uLong(rawName.size()), extra.data(),
                                    uLong(extra.size()), nullptr, 0) != UNZ_OK) {
            ++failures;
            break;
        }
        const QString name = EntryName(info, rawName, extra);
        const QString relative = SafeEntryPath(name);
        if (base.isEmpty() || relative.isEmpty() || IsLinkEntry(info)) {
            refuse(name);
            continue;
        }
        const bool isFolder = name.endsWith(u'/') || name.endsWith(u'\\');
        const qsizetype slash = relative.lastIndexOf(u'/');
        const QString folder = isFolder ? relative : relative.left(qMax<qsizetype>(slash, 0));
        // A link already inside the folder must not lead the entry elsewhere.
        if (!MakeFolderInside(base, folder)) {
            refuse(name);
            continue;
        }
        if (isFolder) {
            ++done;
            continue;
        }
        const QString target = JoinPath(base, relative);
        const QFileInfo existing(target);
        if (existing.isDir()) {
            refuse(name);
            continue;
        }
        if (existing.exists() || existing.isSymLink()) {
            if (!AskReplace(relative)) {
                ++done;
                continue;
            }
            // A link in the way is removed, never written through.
            if (existing.isSymLink() && !QFile::remove(target)) {
                refuse(name);
                continue;
            }
        }
        if (WriteEntry(zip, target, info.uncompressed_size)) {
            QFile written(target);
            if (written.open(QIODevice::ReadWrite))
                written.setFileTime(EntryTime(info), QFileDevice::FileModificationTime);
            ++done;
        } else {
            refuse(name);
        }
        PumpUiMessages();
    }
    unzClose(zip);
    return done > 0 || failures == 0;
}

void CopyFolderFiles(const QString& source, const QString& destination, const QString& subfolder,
                     bool includeSubfolders, bool move)
{
    const QString from = subfolder.isEmpty() ? source : JoinPath(source, subfolder);
    const QString to = subfolder.isEmpty() ? destination : JoinPath(destination, subfolder);
    const QDir dir(from);
    const QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& file : files) {
        const QString target = JoinPath(to, file.fileName());
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        if (QFile::copy(file.filePath(), target) && move)
            QFile::remove(file.filePath());
    }
    if (!includeSubfolders)
        return;
    const QFileInfoList folders =
        dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& folder : folders) {
        const QString next = subfolder.isEmpty() ? folder.fileName() : JoinPath(subfolder, folder.fileName());
        if (EnsureFolder(JoinPath(destination, next)))
            CopyFolderFiles(source, destination, next, true, move);
    }
}

QList<ExternalFileCheck> CheckExternalFiles(const QStringList& names, const QString& projectFolder)
{
    QList<ExternalFileCheck> results;
    LinkTargetResolver resolver(GetExternalsFolder(), projectFolder);
    for (const QString& name : names) {
        ExternalFileCheck check;
        check.name = name;
        ExternalLinkInfo info;
        check.foundPath = resolver.Resolve(name, &info);
        if (check.foundPath.isEmpty() || !info.isFile)
            check.where = ExternalFileCheck::Missing;
        else if (info.location == LinkLocation::StoredPath)
            check.where = ExternalFileCheck::StoredPath;
        else if (QFileInfo(check.foundPath).absolutePath() == QFileInfo(resolver.ExternalsFolder() + u'/').absolutePath())
            check.where = ExternalFileCheck::ExternalsFolder;
        else
            check.where = ExternalFileCheck::ProjectFolder;
        if (check.where == ExternalFileCheck::Missing)
            check.foundPath.clear();
        results.append(check);
    }
    return results;
}
