#pragma once

// What the requirements checker measures on this machine and how it judges
// the figures. No Qt here: the library's exports add what only Qt knows
// (the screen, the Qt version in the process).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sysprobe {

/// How a resource stands; also the texts "0" to "2" of the exports.
enum class State : int {
    Recommended = 0,   ///< meets the recommended requirements
    Minimal = 1,       ///< meets the minimal requirements only
    Insufficient = 2,  ///< does not meet the minimal requirements
};

/// A dotted version, missing parts 0; compared part by part.
struct Version {
    std::array<int, 3> parts{};

    constexpr Version() = default;
    constexpr Version(int major, int minor, int patch = 0) : parts{major, minor, patch} {}
    friend constexpr auto operator<=>(const Version&, const Version&) = default;
};

/// Both limits of one figure: below `minimal` is Insufficient, below
/// `recommended` Minimal.
template <typename T>
struct Limit {
    T minimal;
    T recommended;
};

/// Every limit the check applies.
struct Limits {
    Limit<int> processors;               ///< logical processors
    Limit<std::uint64_t> memoryMiB;      ///< physical memory as the kernel reports it
    Limit<std::uint64_t> freeDiskMiB;    ///< free space of the home folder's file system
    Limit<int> screenWidth;              ///< primary screen, device-independent pixels
    Limit<int> screenHeight;
    Limit<Version> kernel;
    Limit<Version> qt;
    Limit<Version> sqlite;
    /// LibreOffice is optional: missing, or older than this, costs only
    /// the document conversions (Minimal).
    Version libreOfficeRecommended;
};

// A machine sold with N GB reports less: firmware and kernel keep some, so
// the memory limits sit below 2 and 8 GiB. SQLite before 3.35 lacks
// DROP COLUMN, which schema upgrades use.
inline constexpr Limits kLimits{
    .processors = {2, 4},
    .memoryMiB = {1800, 7400},
    .freeDiskMiB = {1024, 10240},
    .screenWidth = {1024, 1600},
    .screenHeight = {768, 900},
    .kernel = {Version(4, 19), Version(5, 10)},
    .qt = {Version(6, 2), Version(6, 4)},
    .sqlite = {Version(3, 35), Version(3, 40)},
    .libreOfficeRecommended = Version(7, 0),
};

/// The figures of one check; an empty optional was not found or could not
/// be read.
struct Measurement {
    int processors = 0;                          ///< 0 when unknown
    std::string cpuModel;                        ///< informational
    std::optional<std::uint64_t> memoryMiB;
    std::optional<std::uint64_t> freeDiskMiB;
    std::optional<std::array<int, 2>> screen;    ///< width, height; none without a GUI
    std::string systemName;                      ///< uname's sysname
    std::optional<Version> kernel;
    bool osReleaseFound = false;
    std::string osName;                          ///< PRETTY_NAME of os-release
    std::optional<Version> qt;
    std::optional<Version> sqlite;
    bool libreOfficeFound = false;
    std::optional<Version> libreOffice;          ///< none when found without a readable version
};

/// The ten states the exports report.
struct States {
    State overall = State::Recommended;
    State hardware = State::Recommended;
    State software = State::Recommended;
    State cpu = State::Recommended;
    State memory = State::Recommended;
    State disk = State::Recommended;
    State monitor = State::Recommended;
    State os = State::Recommended;
    State libraries = State::Recommended;
    State reserve = State::Recommended;
};

/// Judges the figures. A figure that could not be read is Insufficient, as
/// the requirement cannot be confirmed; two exceptions: an unknown screen
/// is not judged (Recommended) and LibreOffice is at worst Minimal. Hardware is the worst of processor, memory, disk
/// and monitor, software the worst of system, libraries and reserve,
/// overall the worse of the two.
States Classify(const Measurement& m, const Limits& limits = kLimits);

/// Reads what needs no Qt: /proc/cpuinfo, sysinfo, statvfs of `homeFolder`,
/// uname, os-release, the SQLite library the loader finds and LibreOffice
/// in `libreOfficeFolders` (its program folders, first match wins).
Measurement MeasureSystem(const std::string& homeFolder,
                          const std::vector<std::string>& libreOfficeFolders);

/// The home folder: $HOME, else the password database's entry.
std::string HomeFolder();
/// Where LibreOffice may live: the folder of `soffice` on $PATH with links
/// resolved, then the usual install folders.
std::vector<std::string> LibreOfficeFolders();

// Parsers of the system files, for any text.

/// The leading dotted number of a text ("6.1.0-18-amd64" is 6.1.0); none
/// when the text does not start with a digit after blanks.
std::optional<Version> ParseVersion(std::string_view text);

struct CpuInfo {
    int processors = 0;
    std::string model;
};
/// Counts the "processor" entries and takes the first model line.
CpuInfo ParseCpuInfo(std::string_view text);

/// The value of `key` in KEY=value lines (os-release, LibreOffice's rc
/// files), quotes removed; empty when absent.
std::string ValueOf(std::string_view text, std::string_view key);

}  // namespace sysprobe
