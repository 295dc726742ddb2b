#include "requirements.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>

#include <dlfcn.h>
#include <glob.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace sysprobe {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
// System files read here are small; a larger one is not what we expect.
constexpr std::streamsize kMaxFileBytes = 4 * 1024 * 1024;

template <typename T>
State judge(const T& value, const Limit<T>& limit)
{
    if (value < limit.minimal)
        return State::Insufficient;
    if (value < limit.recommended)
        return State::Minimal;
    return State::Recommended;
}

template <typename T>
State judge(const std::optional<T>& value, const Limit<T>& limit)
{
    return value ? judge(*value, limit) : State::Insufficient;
}

State worst(std::initializer_list<State> states)
{
    return *std::max_element(states.begin(), states.end());
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

/// Calls `each(key, value)` for every "key<sep>value" line.
template <typename F>
void forEachEntry(std::string_view text, char separator, F each)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t sep = line.find(separator);
        if (sep != std::string_view::npos)
            each(trimmed(line.substr(0, sep)), trimmed(line.substr(sep + 1)));
    }
}

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // /proc files report size 0, so read in pieces up to the cap.
    std::string text;
    char piece[16384];
    while (in && static_cast<std::streamsize>(text.size()) < kMaxFileBytes) {
        in.read(piece, sizeof piece);
        text.append(piece, static_cast<size_t>(in.gcount()));
    }
    return text;
}

int processorCount(const CpuInfo& info)
{
    if (info.processors > 0)
        return info.processors;
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 && online < INT_MAX ? static_cast<int>(online) : 0;
}

std::optional<Version> sqliteVersion()
{
    // Asked of the library the loader finds, as the program would load it;
    // the checker itself does not link it.
    void* library = dlopen("libsqlite3.so.0", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return std::nullopt;
    std::optional<Version> version;
    using LibVersion = const char* (*)();
    if (auto fn = reinterpret_cast<LibVersion>(dlsym(library, "sqlite3_libversion")))
        if (const char* text = fn())
            version = ParseVersion(text);
    dlclose(library);
    return version;
}

void measureLibreOffice(Measurement& m, const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        if (access((folder + "/soffice").c_str(), X_OK) != 0)
            continue;
        m.libreOfficeFound = true;
        // "ProductKey=LibreOffice 7.4": the version follows the name.
        if (const auto rc = readFile(folder + "/bootstraprc")) {
            const std::string key = ValueOf(*rc, "ProductKey");
            const size_t digit = key.find_first_of("0123456789");
            if (digit != std::string::npos)
                m.libreOffice = ParseVersion(std::string_view(key).substr(digit));
        }
        return;
    }
}

}  // namespace

std::optional<Version> ParseVersion(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    Version version;
    size_t part = 0;
    size_t i = 0;
    while (part < version.parts.size()) {
        long value = 0;
        const size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            value = std::min<long>(value * 10 + (text[i] - '0'), INT_MAX);
            ++i;
        }
        if (i == start)
            break;
        version.parts[part++] = static_cast<int>(value);
        if (i >= text.size() || text[i] != '.')
            break;
        ++i;
    }
    return version;
}

CpuInfo ParseCpuInfo(std::string_view text)
{
    CpuInfo info;
    // x86 names the model "model name"; ARM "Model" (board) or nothing,
    // others "cpu model" or "cpu".
    static constexpr std::array<std::string_view, 4> kModelKeys{"model name", "Model", "cpu model", "cpu"};
    size_t modelRank = kModelKeys.size();
    forEachEntry(text, ':', [&](std::string_view key, std::string_view value) {
        if (key == "processor") {
            ++info.processors;
            return;
        }
        const auto found = std::find(kModelKeys.begin(), kModelKeys.end(), key);
        const auto rank = static_cast<size_t>(found - kModelKeys.begin());
        if (rank < modelRank && !value.empty()) {
            info.model = std::string(value);
            modelRank = rank;
        }
    });
    return info;
}

std::string ValueOf(std::string_view text, std::string_view key)
{
    std::string result;
    bool found = false;
    forEachEntry(text, '=', [&](std::string_view k, std::string_view value) {
        if (found || k != key)
            return;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        result = std::string(value);
        found = true;
    });
    return result;
}

States Classify(const Measurement& m, const Limits& limits)
{
    States s;
    s.cpu = m.processors > 0 ? judge(m.processors, limits.processors) : State::Insufficient;
    s.memory = judge(m.memoryMiB, limits.memoryMiB);
    s.disk = judge(m.freeDiskMiB, limits.freeDiskMiB);
    if (m.screen)
        s.monitor = worst({judge((*m.screen)[0], limits.screenWidth), judge((*m.screen)[1], limits.screenHeight)});

    if (m.systemName != "Linux")
        s.os = State::Insufficient;
    else
        s.os = worst({judge(m.kernel, limits.kernel),
                      // A system without os-release predates what we build on.
                      m.osReleaseFound ? State::Recommended : State::Minimal});

    const State office = m.libreOfficeFound && m.libreOffice && *m.libreOffice >= limits.libreOfficeRecommended
                             ? State::Recommended
                             : State::Minimal;
    s.libraries = worst({judge(m.qt, limits.qt), judge(m.sqlite, limits.sqlite), office});
    s.reserve = State::Recommended;  // nothing is held in reserve to judge

    s.hardware = worst({s.cpu, s.memory, s.disk, s.monitor});
    s.software = worst({s.os, s.libraries, s.reserve});
    s.overall = worst({s.hardware, s.software});
    return s;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::vector<std::string> LibreOfficeFolders()
{
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            const std::string dir(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (dir.empty())
                continue;
            if (char* real = realpath((dir + "/soffice").c_str(), nullptr)) {
                std::string program(real);
                std::free(real);
                folders.push_back(program.substr(0, program.rfind('/')));
            }
        }
    }
    for (const char* folder : {"/usr/lib/libreoffice/program", "/usr/lib64/libreoffice/program",
                               "/usr/local/lib/libreoffice/program"})
        folders.emplace_back(folder);
    glob_t found{};
    if (glob("/opt/libreoffice*/program", GLOB_ONLYDIR, nullptr, &found) == 0)
        for (size_t i = 0; i < found.gl_pathc; ++i)
            folders.emplace_back(found.gl_pathv[i]);
    globfree(&found);
    return folders;
}

Measurement MeasureSystem(const std::string& homeFolder, const std::vector<std::string>& libreOfficeFolders)
{
    Measurement m;
    CpuInfo cpu;
    if (const auto text = readFile("/proc/cpuinfo"))
        cpu = ParseCpuInfo(*text);
    m.processors = processorCount(cpu);
    m.cpuModel = cpu.model;

    struct sysinfo info {};
    if (sysinfo(&info) == 0)
        m.memoryMiB = static_cast<std::uint64_t>(info.totalram) * std::max<unsigned>(info.mem_unit, 1) / kMiB;

    struct statvfs disk {};
    if (!homeFolder.empty() && statvfs(homeFolder.c_str(), &disk) == 0)
        m.freeDiskMiB = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize / kMiB;

    struct utsname names {};
    if (uname(&names) == 0) {
        m.systemName = names.sysname;
        m.kernel = ParseVersion(names.release);
    }
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (const auto text = readFile(path)) {
            m.osReleaseFound = true;
            m.osName = ValueOf(*text, "PRETTY_NAME");
            break;
        }
    }

    m.sqlite = sqliteVersion();
    measureLibreOffice(m, libreOfficeFolders);
    return m;
}

}  // namespace sysprobe
