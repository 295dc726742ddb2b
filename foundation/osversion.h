#pragma once

// What the program tells support about the system it runs on: the
// distribution, the kernel, the processor and the memory, read from
// os-release, uname and /proc. Questions that only make sense on another
// system (is it one particular old release?) answer as the newest system
// would.

#include <QByteArray>
#include <QString>

/// The facts GetOSDescription is made of; empty or 0 where unknown.
struct OSVersionRecord {
    QString osName;          ///< PRETTY_NAME of os-release, else NAME and VERSION
    QString kernelName;      ///< uname: "Linux"
    QString kernelRelease;   ///< uname -r
    QString kernelBuild;     ///< uname -v
    QString machine;         ///< uname -m: "x86_64", "aarch64", ...
    QString processorModel;  ///< the first "model name" of /proc/cpuinfo
    int processorCount = 0;  ///< logical processors listed in /proc/cpuinfo
    qint64 memoryKiB = 0;    ///< MemTotal of /proc/meminfo
};

namespace OSVersionInfo {

/// Fills the record (reset first) from uname, /etc/os-release (or
/// /usr/lib/os-release), /proc/cpuinfo and /proc/meminfo. False only when
/// uname fails; a source that cannot be read leaves its fields empty.
bool GetVersion(OSVersionRecord& record);

/// No system this program runs on is that one release.
inline bool IsWindowsVista(const OSVersionRecord&) { return false; }

}  // namespace OSVersionInfo

/// The name of the distribution in an os-release file: PRETTY_NAME, else
/// NAME and VERSION joined by a blank, else empty. Values may be quoted
/// (single or double) and use backslash escapes, as the shell reads them.
QString ParseOsRelease(const QByteArray& text);
/// The first "model name" and the number of "processor" entries.
void ParseCpuInfo(const QByteArray& text, OSVersionRecord& record);
/// MemTotal in KiB; 0 when missing.
qint64 ParseMemInfo(const QByteArray& text);

/// Lines separated by CR LF, ending in "\n": the system's name ("Unknown
/// OS" when none), "<kind> Processor", the processor model and count, the
/// memory in MB, and the kernel's name, release and build.
QString GetOSDescription(const OSVersionRecord& record);
/// The description of this system; "Failed in call to GetOSVersion\n" when
/// the version cannot be read.
QString GetOSDescription();

/// Always true: every system this program runs on is newer than the old
/// release this asks about.
inline bool IsVistaOrLater() { return true; }
/// True when the program runs as root (effective user id 0).
bool IsUserAdmin();
