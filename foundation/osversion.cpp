#include "foundation/osversion.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QSysInfo>

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>

namespace {

// /proc/cpuinfo of a large machine is some hundred KiB; anything beyond this
// is not a system file we understand.
constexpr qint64 kMaxSourceBytes = 4 * 1024 * 1024;

QByteArray ReadSource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxSourceBytes);
}

// One os-release value as the shell would read it: quotes removed,
// backslash escapes resolved (not inside single quotes), the rest of the
// line after a closing quote ignored.
QString UnquoteShellValue(QStringView value)
{
    QString out;
    QChar quote;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (quote.isNull() && out.isEmpty() && (c == u'"' || c == u'\'')) {
            quote = c;
        } else if (c == quote) {
            break;
        } else if (c == u'\\' && quote != u'\'' && i + 1 < value.size()) {
            out += value[++i];
        } else if (quote.isNull() && c.isSpace()) {
            break;
        } else {
            out += c;
        }
    }
    return out;
}

// "x86_64" -> "x86-64": the processor families a support reader knows by
// these names; other machines are named as the kernel names them.
QString ProcessorKind(const QString& machine)
{
    static const struct {
        const char* prefix;
        const char* kind;
    } kKinds[] = {
        {"x86_64", "x86-64"}, {"amd64", "x86-64"}, {"i386", "x86-32"},     {"i486", "x86-32"},
        {"i586", "x86-32"},   {"i686", "x86-32"},  {"mips", "MIPS"},       {"alpha", "Alpha"},
        {"ppc", "PPC"},       {"powerpc", "PPC"},  {"ia64", "IA64 Itanium[2]"},
        {"aarch64", "ARM"},   {"arm", "ARM"},      {"sh", "SHX"},
    };
    for (const auto& k : kKinds)
        if (machine.startsWith(QLatin1String(k.prefix)))
            return QLatin1String(k.kind);
    return machine.isEmpty() ? QStringLiteral("Unknown") : machine;
}

}  // namespace

QString ParseOsRelease(const QByteArray& text)
{
    QHash<QString, QString> values;
    for (const QString& rawLine : QString::fromUtf8(text).split(u'\n')) {
        const QString line = rawLine.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals <= 0)
            continue;
        values.insert(line.left(equals).trimmed(), UnquoteShellValue(QStringView(line).mid(equals + 1).trimmed()));
    }
    const QString pretty = values.value(QStringLiteral("PRETTY_NAME")).trimmed();
    if (!pretty.isEmpty())
        return pretty;
    const QString name = values.value(QStringLiteral("NAME")).trimmed();
    const QString version = values.value(QStringLiteral("VERSION")).trimmed();
    return name.isEmpty() || version.isEmpty() ? name : name + u' ' + version;
}

void ParseCpuInfo(const QByteArray& text, OSVersionRecord& record)
{
    record.processorModel.clear();
    record.processorCount = 0;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        if (key == "processor")
            ++record.processorCount;
        else if (key == "model name" && record.processorModel.isEmpty())
            record.processorModel = QString::fromUtf8(line.mid(colon + 1).trimmed());
    }
}

qint64 ParseMemInfo(const QByteArray& text)
{
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith("MemTotal:"))
            continue;
        // "MemTotal:       24682360 kB"
        const QList<QByteArray> words = line.mid(9).simplified().split(' ');
        bool ok = false;
        const qint64 kib = words.value(0).toLongLong(&ok);
        return ok && kib > 0 ? kib : 0;
    }
    return 0;
}

bool OSVersionInfo::GetVersion(OSVersionRecord& record)
{
    record = OSVersionRecord();
    utsname names{};
    if (uname(&names) != 0)
        return false;
    record.kernelName = QString::fromUtf8(names.sysname);
    record.kernelRelease = QString::fromUtf8(names.release);
    record.kernelBuild = QString::fromUtf8(names.version);
    record.machine = QString::fromUtf8(names.machine);

    QByteArray osRelease = ReadSource(QStringLiteral("/etc/os-release"));
    if (osRelease.isEmpty())
        osRelease = ReadSource(QStringLiteral("/usr/lib/os-release"));
    record.osName = ParseOsRelease(osRelease);
    if (record.osName.isEmpty())
        record.osName = QSysInfo::prettyProductName();
    ParseCpuInfo(ReadSource(QStringLiteral("/proc/cpuinfo")), record);
    record.memoryKiB = ParseMemInfo(ReadSource(QStringLiteral("/proc/meminfo")));
    return true;
}

QString GetOSDescription(const OSVersionRecord& record)
{
    QString text = record.osName.isEmpty() ? QStringLiteral("Unknown OS") : record.osName;
    text += QStringLiteral("\r\n") + ProcessorKind(record.machine) + QStringLiteral(" Processor");
    if (!record.processorModel.isEmpty())
        text += QStringLiteral("\r\n%1 x %2").arg(std::max(record.processorCount, 1)).arg(record.processorModel);
    else if (record.processorCount > 0)
        text += QStringLiteral("\r\n%1 logical processors").arg(record.processorCount);
    if (record.memoryKiB > 0)
        text += QStringLiteral("\r\n%1 MB memory").arg((record.memoryKiB + 512) / 1024);
    QStringList kernel;
    for (const QString* part : {&record.kernelName, &record.kernelRelease, &record.kernelBuild})
        if (!part->trimmed().isEmpty())
            kernel += part->trimmed();
    if (!kernel.isEmpty())
        text += QStringLiteral("\r\n") + kernel.join(u' ');
    return text + u'\n';
}

QString GetOSDescription()
{
    OSVersionRecord record;
    if (!OSVersionInfo::GetVersion(record))
        return QStringLiteral("Failed in call to GetOSVersion\n");
    return GetOSDescription(record);
}

bool IsUserAdmin()
{
    return geteuid() == 0;
}
