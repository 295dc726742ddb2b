// The five exports of the requirements checker and the state behind them.

#include "sysprobe.h"

#include "requirements.h"
#include "sysprobewaitwindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace {

using sysprobe::State;

constexpr int kRunMs = 2000;   // a check always takes this long, for the caller's pacing

// Windows language ids the caller may pass; a position in this table is the
// language index. Only the first two have texts.
constexpr std::array<int, 9> kLanguageIds{1031, 1033, 1034, 1036, 1040, 1041, 1043, 1046, 1049};
constexpr int kGerman = 0;
constexpr int kEnglish = 1;
constexpr int kNoLanguage = -1;

enum Text {
    CpuName, MemoryName, DiskName, MonitorName, SystemName, LibrariesName, ReserveName,
    HardwareVerdict0, HardwareVerdict1, HardwareVerdict2,
    SoftwareVerdict0, SoftwareVerdict1, SoftwareVerdict2,
    TextCount
};

using TextTable = std::array<const char*, TextCount>;

constexpr TextTable kGermanTexts{
    "CPU",
    "RAM",
    "Freier Speicherplatz auf Laufwerk",
    "Monitor",
    "Betriebssystem",
    "System-Bibliotheken",
    "Reserve",
    "Die Hardware-Ressourcen entsprechen den empfohlenen Erfordernissen",
    "Die Hardware-Ressourcen entsprechen den minimalen Erfordernissen",
    "Die Hardware-Ressourcen entsprechen nicht den minimalen Erfordernissen",
    "Die Software-Ressourcen entsprechen den empfohlenen Erfordernissen",
    "Die Software-Ressourcen entsprechen den minimalen Erfordernissen",
    "Die Software-Ressourcen entsprechen nicht den minimalen Erfordernissen",
};

constexpr TextTable kEnglishTexts{
    "CPU",
    "RAM",
    "Free space on drive",
    "Monitor",
    "Operating system",
    "System libraries",
    "Reserve",
    "Hardware resources conform the recommended requirements",
    "Hardware resources conform the minimal requirements",
    "Hardware resources conform not the minimal requirements",
    "Software resources conform the recommended requirements",
    "Software resources conform the minimal requirements",
    "Software resources conform not the minimal requirements",
};

// The wait window's line by language index (UTF-8).
constexpr std::array<const char*, 2> kWaitTexts{
    "Bitte warten, die Hard- und Software-Ressourcen Ihres PC werden überprüft!",
    "Please wait, the hardware and software resources of your PC will be checked!",
};

// Process-wide, for the one caller thread. At load: language index 0, no
// texts, every state Recommended.
struct Checker {
    int language = kGerman;
    bool textsLoaded = false;
    bool running = false;
    sysprobe::States states;
};
Checker g_checker;

/// The text of the current language; empty before DllInit and for every
/// language without texts, so no index ever leaves the tables.
const char* text(Text which)
{
    if (!g_checker.textsLoaded)
        return "";
    switch (g_checker.language) {
    case kGerman: return kGermanTexts[which];
    case kEnglish: return kEnglishTexts[which];
    default: return "";
    }
}

/// Leading blanks, one sign, then digits up to the first other character,
/// as a plain decimal conversion reads; 0 without digits. Values beyond int
/// saturate instead of overflowing.
int parseDecimal(const char* p)
{
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        value = std::min<long long>(value * 10 + (*p - '0'), static_cast<long long>(INT_MAX) + 1);
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int languageIndex(int id)
{
    for (size_t i = 0; i < kLanguageIds.size(); ++i)
        if (kLanguageIds[i] == id)
            return static_cast<int>(i);
    return kNoLanguage;
}

void putText(char* buffer, const char* value)
{
    if (!buffer)
        return;
    std::memset(buffer, 0, SYSPROBE_TEXT_SIZE);
    std::memcpy(buffer, value, strnlen(value, SYSPROBE_TEXT_SIZE - 1));
}

void putState(char* buffer, State state)
{
    if (buffer)
        std::snprintf(buffer, SYSPROBE_TEXT_SIZE, "%d", static_cast<int>(state));
}

void putNamed(char* name, char* stateText, Text which, State state)
{
    putText(name, text(which));
    putText(stateText, "");
    putState(stateText, state);
}

Text verdict(Text first, State state)
{
    return static_cast<Text>(first + static_cast<int>(state));
}

/// The application when the caller runs Qt's GUI on this thread: only then
/// may the screen be asked and a window be shown.
QGuiApplication* guiOnThisThread()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app && app->thread() == QThread::currentThread() ? app : nullptr;
}

sysprobe::Measurement measure(bool withScreen)
{
    sysprobe::Measurement m = sysprobe::MeasureSystem(sysprobe::HomeFolder(), sysprobe::LibreOfficeFolders());
    m.qt = sysprobe::ParseVersion(qVersion());
    if (withScreen)
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            m.screen = std::array<int, 2>{screen->size().width(), screen->size().height()};
    return m;
}

}  // namespace

extern "C" {

int DllInit(const char* languageId)
{
    if (!languageId)
        return 0;
    g_checker.language = languageIndex(parseDecimal(languageId));
    g_checker.textsLoaded = true;
    // Nothing is confirmed until the check has run.
    const State none = State::Insufficient;
    g_checker.states = {none, none, none, none, none, none, none, none, none, none};
    return 1;
}

int DllRunCheck(void)
{
    QElapsedTimer clock;
    clock.start();
    QGuiApplication* gui = guiOnThisThread();
    const bool hasWaitText = g_checker.language == kGerman || g_checker.language == kEnglish;
    // A window needs the caller's event loop to be running, and a check
    // started from inside our own wait stays silent.
    const bool nested = g_checker.running;
    const bool withWindow = gui && hasWaitText && !nested && QThread::currentThread()->loopLevel() > 0;

    std::unique_ptr<SysprobeWaitWindow> window;
    if (withWindow) {
        window = std::make_unique<SysprobeWaitWindow>(QString::fromUtf8(kWaitTexts[size_t(g_checker.language)]));
        window->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    g_checker.running = true;
    g_checker.states = sysprobe::Classify(measure(gui != nullptr));

    const qint64 remaining = std::max<qint64>(0, kRunMs - clock.elapsed());
    const bool shown = window && window->isVisible();
    if (shown) {
        // The caller's windows repaint meanwhile; its keys and clicks wait.
        QEventLoop loop;
        QTimer::singleShot(int(remaining), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(remaining));
    }
    g_checker.running = nested;
    window.reset();
    return shown ? 1 : 0;
}

int DllGetHardwareInfo(char* cpuName, char* cpuState, char* memoryName, char* memoryState, char* diskName,
                       char* diskState, char* monitorName, char* monitorState, char* hardwareVerdict)
{
    const sysprobe::States& s = g_checker.states;
    putNamed(cpuName, cpuState, CpuName, s.cpu);
    putNamed(memoryName, memoryState, MemoryName, s.memory);
    putNamed(diskName, diskState, DiskName, s.disk);
    putNamed(monitorName, monitorState, MonitorName, s.monitor);
    putText(hardwareVerdict, text(verdict(HardwareVerdict0, s.hardware)));
    return 1;
}

int DllGetSoftwareInfo(char* systemName, char* systemState, char* librariesName, char* librariesState,
                       char* reserveName, char* reserveState, char* softwareVerdict)
{
    const sysprobe::States& s = g_checker.states;
    putNamed(systemName, systemState, SystemName, s.os);
    putNamed(librariesName, librariesState, LibrariesName, s.libraries);
    putNamed(reserveName, reserveState, ReserveName, s.reserve);
    putText(softwareVerdict, text(verdict(SoftwareVerdict0, s.software)));
    return 1;
}

int DllGetSystemState(char* state)
{
    putState(state, g_checker.states.overall);
    return 1;
}

}  // extern "C"
