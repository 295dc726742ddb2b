#include "foundation/filehelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr int kMaxUniqueTries = 999;
constexpr qint64 kCopyChunkBytes = 1 << 20;

bool IsSeparator(QChar ch)
{
    return ch == u'/' || ch == u'\\';
}

/// Splits at the last dot of the file name part: a dot inside a folder name
/// does not start an extension. The extension keeps its dot.
void SplitExtension(const QString& path, QString& stem, QString& extension)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < LastSeparator(path)) {
        stem = path;
        extension.clear();
        return;
    }
    stem = path.left(dot);
    extension = path.mid(dot);
}

}  // namespace

qsizetype LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

qint32 ReadLeadingInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<qint32>::max())
            return negative ? std::numeric_limits<qint32>::min() : std::numeric_limits<qint32>::max();
    }
    return qint32(negative ? -value : value);
}

std::optional<qint32> ReadWholeInt(QStringView text)
{
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return std::nullopt;
    return value;
}

QString GetFileName(QString& path, bool cut)
{
    const qsizetype sep = LastSeparator(path);
    if (sep < 0)
        return QString();
    QString name = path.mid(sep + 1);
    if (cut)
        path.truncate(sep);
    return name;
}

QString GetFileTitle(const QString& path)
{
    QString title = path.mid(LastSeparator(path) + 1);
    const qsizetype dot = title.lastIndexOf(u'.');
    if (dot >= 0)
        title.truncate(dot);
    return title;
}

QString GetFolderPart(const QString& path)
{
    const qsizetype sep = LastSeparator(path);
    return sep < 0 ? QString() : path.left(sep);
}

QString ShortenPathForDisplay(const QString& path)
{
    const qsizetype sep = LastSeparator(path);
    if (sep < 1)
        return path;
    return QStringLiteral("..") + path.mid(sep + 1);
}

QString WithoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && IsSeparator(path.back()))
        path.chop(1);
    return path;
}

void SanitizeFileName(QString& name, bool alsoSpace)
{
    static const QString kForbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar& ch : name) {
        if (kForbidden.contains(ch) || ch.unicode() < 0x20 || ch.unicode() == 0x7F
            || (alsoSpace && ch == u' '))
            ch = u'_';
    }
    while (name.contains(QStringLiteral("__")))
        name.replace(QStringLiteral("__"), QStringLiteral("_"));
    if (!name.isEmpty() && std::all_of(name.cbegin(), name.cend(), [](QChar ch) { return ch == u'.'; }))
        name = QStringLiteral("_");
}

bool WriteUtf16Bom(QIODevice& file)
{
    return file.write("\xFF\xFE", 2) == 2;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool IsExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool IsFolderPath(const QString& path)
{
    if (path.size() > 1 && IsSeparator(path.back()))
        return IsExistingFolder(path.chopped(1));
    return IsExistingFolder(path);
}

bool EnsureFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    return IsExistingFolder(path) || QDir().mkpath(path);
}

bool ReplaceFileByCopy(const QString& source, const QString& target)
{
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    for (QByteArray chunk; !(chunk = in.read(kCopyChunkBytes)).isEmpty();) {
        if (out.write(chunk) != chunk.size())
            return false;
    }
    return in.error() == QFileDevice::NoError && out.commit();
}

bool RenameReplacing(const QString& finished, const QString& target, QString* error)
{
    // rename(2), unlike QFile::rename, replaces the target atomically.
    if (std::rename(QFile::encodeName(finished).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void ListFilesInFolder(const QString& folder, QStringList& paths)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names)
        paths.append(dir.filePath(name));
}

bool MakeUniqueFileName(QString& path)
{
    if (!FileExists(path))
        return true;
    QString stem, extension;
    SplitExtension(path, stem, extension);
    for (int i = 1; i <= kMaxUniqueTries; ++i) {
        const QString candidate = QStringLiteral("%1(%2)%3").arg(stem).arg(i).arg(extension);
        if (!FileExists(candidate)) {
            path = candidate;
            return true;
        }
    }
    return false;
}

bool MakeUniqueFolderName(QString& path)
{
    if (path.isEmpty())
        return false;
    if (IsFolderPath(path)) {
        QString base = path;
        if (base.size() > 1 && IsSeparator(base.back()))
            base.chop(1);
        bool found = false;
        for (int i = 1; i <= kMaxUniqueTries && !found; ++i) {
            const QString candidate = QStringLiteral("%1(%2)").arg(base).arg(i);
            if (!IsFolderPath(candidate)) {
                path = candidate;
                found = true;
            }
        }
        if (!found)
            return false;
    }
    return EnsureFolder(path);
}

QString MakeNumberedName(const QString& name, int& counter)
{
    if (name.isEmpty())
        return QString();
    QString stem, extension;
    SplitExtension(name, stem, extension);
    return QStringLiteral("%1(%2)%3").arg(stem).arg(counter++, 2, 10, QChar(u'0')).arg(extension);
}

void SplitFirst(QString& text, QStringList& list, const QString& separator)
{
    list.clear();
    const qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (at < 0) {
        list << QString() << text;
    } else {
        list << text.left(at) << text.mid(at + separator.size());
    }
    text.clear();
}

void SplitList(QString& text, QStringList& list, QChar separator)
{
    list.clear();
    if (text.startsWith(separator))
        text.remove(0, 1);
    if (!text.isEmpty()) {
        list = text.split(separator);
        if (list.back().isEmpty())
            list.removeLast();
    }
    text.clear();
}

QString FormatIdList(const QList<qint32>& ids)
{
    QString text;
    for (qint32 id : ids)
        text += QString::number(id) + u'|';
    return text;
}

void ParseIdList(QString& text, QList<qint32>& ids)
{
    ids.clear();
    text = text.trimmed();
    qsizetype start = 0;
    for (qsizetype bar = text.indexOf(u'|'); bar >= 0; bar = text.indexOf(u'|', start)) {
        const qint32 id = ReadLeadingInt(QStringView(text).sliced(start, bar - start));
        if (id != 0)
            ids.append(id);
        start = bar + 1;
    }
}

bool FindInIntArray(qint32 value, const QList<qint32>& values)
{
    return values.contains(value);
}

void ReplaceWithTilde(QString& text)
{
    text.replace(u'\r', QStringLiteral("~~~~"));
}

void ReplaceLineMarkers(QString& text)
{
    text.replace(QStringLiteral("~~~~"), QStringLiteral("<BR>"));
    text.replace(u'^', u'&');
}

bool StringEquals(const QString& text, const char* literal)
{
    return text == QLatin1StringView(literal);
}

QString& LowerCase(QString& text)
{
    for (QChar& ch : text)
        ch = ch.toLower();
    return text;
}

bool HasFileAndTimeArgs(const QString& text)
{
    return text.contains(QStringLiteral("file=")) && text.contains(QStringLiteral("time="));
}

QString FormatMediaTime(qint32 milliseconds)
{
    const quint32 value = quint32(std::max(milliseconds, 0));
    const quint32 seconds = value / 1000;
    return QString::asprintf("%02u:%02u:%02u.%03u", seconds / 3600, seconds / 60 % 60, seconds % 60,
                             value % 1000);
}

qint32 ParseVersionSuffix(const QString& text)
{
    QStringView rest = QStringView(text).trimmed();
    if (rest.isEmpty())
        return 0;
    qint64 milliseconds = 0;
    const qsizetype dot = rest.lastIndexOf(u'.');
    if (dot >= 0) {
        milliseconds = ReadLeadingInt(rest.sliced(dot + 1));
        rest.truncate(dot);
    }
    // Parts from the right: seconds, then minutes, then the rest as hours.
    qint64 parts[3] = {0, 0, 0};
    for (int i = 0; i < 3 && !rest.isEmpty(); ++i) {
        const qsizetype colon = i < 2 ? rest.lastIndexOf(u':') : -1;
        parts[i] = ReadLeadingInt(rest.sliced(colon + 1));
        rest.truncate(std::max<qsizetype>(colon, 0));
    }
    const qint64 total = ((parts[2] * 60 + parts[1]) * 60 + parts[0]) * 1000 + milliseconds;
    return qint32(std::clamp<qint64>(total, 0, std::numeric_limits<qint32>::max()));
}
