// The built library as outside callers use it: loaded by path, the five
// exports called in their documented order. A check always takes two
// seconds, so only three tests run one.

#include "sysprobe/requirements.h"
#include "sysprobe/sysprobe.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <dlfcn.h>

#include <functional>
#include <map>

namespace {

constexpr int kTextSize = SYSPROBE_TEXT_SIZE;
constexpr qint64 kRunMs = 2000;

QString libraryPath()
{
    return QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("libSysprobe.so"));
}

/// The library's texts in one language, in the getters' order.
struct Language {
    const char* name;
    std::vector<std::string> hardwareNames;   // processor, memory, disk, monitor
    std::vector<std::string> softwareNames;   // system, libraries, reserve
    std::array<std::string, 3> hardwareVerdicts;
    std::array<std::string, 3> softwareVerdicts;
};

const Language kGerman{
    "German",
    {"CPU", "RAM", "Freier Speicherplatz auf Laufwerk", "Monitor"},
    {"Betriebssystem", "System-Bibliotheken", "Reserve"},
    {"Die Hardware-Ressourcen entsprechen den empfohlenen Erfordernissen",
     "Die Hardware-Ressourcen entsprechen den minimalen Erfordernissen",
     "Die Hardware-Ressourcen entsprechen nicht den minimalen Erfordernissen"},
    {"Die Software-Ressourcen entsprechen den empfohlenen Erfordernissen",
     "Die Software-Ressourcen entsprechen den minimalen Erfordernissen",
     "Die Software-Ressourcen entsprechen nicht den minimalen Erfordernissen"},
};

const Language kEnglish{
    "English",
    {"CPU", "RAM", "Free space on drive", "Monitor"},
    {"Operating system", "System libraries", "Reserve"},
    {"Hardware resources conform the recommended requirements",
     "Hardware resources conform the minimal requirements",
     "Hardware resources conform not the minimal requirements"},
    {"Software resources conform the recommended requirements",
     "Software resources conform the minimal requirements",
     "Software resources conform not the minimal requirements"},
};

const Language kNoTexts{"none", {"", "", "", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}};

/// What the three getters gave: names and states in pairs, then the verdict.
struct Report {
    std::vector<std::string> hardware;   // 9 texts
    std::vector<std::string> software;   // 7 texts
    std::string overall;
};

std::ostream& operator<<(std::ostream& out, const Report& r)
{
    for (const auto* list : {&r.hardware, &r.software}) {
        for (const std::string& t : *list)
            out << '"' << t << "\" ";
        out << "| ";
    }
    return out << r.overall;
}

int stateOf(const std::string& text)
{
    if (text == "0" || text == "1" || text == "2")
        return text[0] - '0';
    ADD_FAILURE() << "not a state: \"" << text << '"';
    return 0;
}

/// The texts and verdicts are the language's, the verdicts follow the
/// states, and the summaries are the worst of their parts.
void expectReport(const Report& r, const Language& language)
{
    SCOPED_TRACE(testing::Message() << language.name << ": " << r);
    ASSERT_EQ(r.hardware.size(), 9u);
    ASSERT_EQ(r.software.size(), 7u);
    int hardware = 0;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(r.hardware[2 * i], language.hardwareNames[i]);
        hardware = std::max(hardware, stateOf(r.hardware[2 * i + 1]));
    }
    int software = 0;
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(r.software[2 * i], language.softwareNames[i]);
        software = std::max(software, stateOf(r.software[2 * i + 1]));
    }
    EXPECT_EQ(r.hardware[8], language.hardwareVerdicts[size_t(hardware)]);
    EXPECT_EQ(r.software[6], language.softwareVerdicts[size_t(software)]);
    EXPECT_EQ(stateOf(r.overall), std::max(hardware, software));
}

/// The states of a report in the order of sysprobe::States' parts.
std::vector<std::string> statesOf(const Report& r)
{
    return {r.hardware[1], r.hardware[3], r.hardware[5], r.hardware[7], r.software[1], r.software[3], r.software[5],
            r.overall};
}

std::vector<std::string> statesOf(const sysprobe::States& s)
{
    std::vector<std::string> out;
    for (sysprobe::State state : {s.cpu, s.memory, s.disk, s.monitor, s.os, s.libraries, s.reserve, s.overall})
        out.push_back(std::to_string(static_cast<int>(state)));
    return out;
}

/// The judgement of this machine as the library makes it, from the same
/// sources; `withScreen` when the caller runs a GUI.
sysprobe::States expectedStates(bool withScreen)
{
    sysprobe::Measurement m = sysprobe::MeasureSystem(sysprobe::HomeFolder(), sysprobe::LibreOfficeFolders());
    m.qt = sysprobe::ParseVersion(qVersion());
    if (withScreen) {
        const QSize size = QGuiApplication::primaryScreen()->size();
        m.screen = std::array<int, 2>{size.width(), size.height()};
    }
    return sysprobe::Classify(m);
}

QWindow* waitWindow()
{
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (window->objectName() == QLatin1String("SysprobeWaitWindow"))
            return window;
    return nullptr;
}

/// The library, loaded once per process as an outside caller loads it.
class SysprobeLibrary : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_handle = dlopen(libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_handle, nullptr) << dlerror();
    }
    static void TearDownTestSuite()
    {
        if (s_handle)
            dlclose(s_handle);
        s_handle = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(s_handle, nullptr);
        m_init = symbol<decltype(&DllInit)>("DllInit");
        m_run = symbol<decltype(&DllRunCheck)>("DllRunCheck");
        m_hardware = symbol<decltype(&DllGetHardwareInfo)>("DllGetHardwareInfo");
        m_software = symbol<decltype(&DllGetSoftwareInfo)>("DllGetSoftwareInfo");
        m_system = symbol<decltype(&DllGetSystemState)>("DllGetSystemState");
    }

    template <typename F>
    F symbol(const char* name)
    {
        auto fn = reinterpret_cast<F>(dlsym(s_handle, name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    /// Calls the getters with buffers full of junk, checking that each text
    /// is terminated and the rest of its buffer zero-filled.
    Report report()
    {
        std::array<std::array<char, kTextSize>, 9> buffers;
        const auto take = [&](size_t count) {
            std::vector<std::string> texts;
            for (size_t i = 0; i < count; ++i) {
                const auto& b = buffers[i];
                const size_t length = strnlen(b.data(), b.size());
                EXPECT_LT(length, b.size());
                EXPECT_TRUE(std::all_of(b.begin() + std::ptrdiff_t(length), b.end(), [](char c) { return c == 0; }))
                    << "buffer " << i << " not zero-filled";
                texts.emplace_back(b.data(), length);
            }
            return texts;
        };
        Report r;
        for (auto& b : buffers)
            b.fill('\x7f');
        EXPECT_EQ(m_hardware(buffers[0].data(), buffers[1].data(), buffers[2].data(), buffers[3].data(),
                             buffers[4].data(), buffers[5].data(), buffers[6].data(), buffers[7].data(),
                             buffers[8].data()),
                  1);
        r.hardware = take(9);
        for (auto& b : buffers)
            b.fill('\x7f');
        EXPECT_EQ(m_software(buffers[0].data(), buffers[1].data(), buffers[2].data(), buffers[3].data(),
                             buffers[4].data(), buffers[5].data(), buffers[6].data()),
                  1);
        r.software = take(7);
        std::array<char, kTextSize> overall{};
        EXPECT_EQ(m_system(overall.data()), 1);
        r.overall = overall.data();
        return r;
    }

    /// What a check run from inside a running event loop did: its result,
    /// whether the wait window was up during it and with which text, and
    /// how long it took.
    struct LoopRun {
        int result = -1;
        bool windowSeen = false;
        bool windowModal = false;
        bool windowOnScreen = false;
        QString windowText;
        qint64 elapsedMs = 0;
        bool windowLeft = true;
    };
    LoopRun runInEventLoop()
    {
        LoopRun run;
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            // Fires inside the check, whose wait keeps the loop turning.
            QTimer::singleShot(0, &loop, [&] {
                if (QWindow* w = waitWindow()) {
                    run.windowSeen = w->isVisible();
                    run.windowModal = w->modality() == Qt::ApplicationModal;
                    run.windowText = w->property("text").toString();
                    run.windowOnScreen = w->screen() && w->screen()->geometry().contains(w->geometry());
                }
            });
            QElapsedTimer clock;
            clock.start();
            run.result = m_run();
            run.elapsedMs = clock.elapsed();
            run.windowLeft = waitWindow() != nullptr;
            loop.quit();
        });
        loop.exec();
        return run;
    }

    static void* s_handle;
    decltype(&DllInit) m_init = nullptr;
    decltype(&DllRunCheck) m_run = nullptr;
    decltype(&DllGetHardwareInfo) m_hardware = nullptr;
    decltype(&DllGetSoftwareInfo) m_software = nullptr;
    decltype(&DllGetSystemState) m_system = nullptr;
};

void* SysprobeLibrary::s_handle = nullptr;

}  // namespace

TEST_F(SysprobeLibrary, InitChoosesTheLanguageByItsLeadingNumber)
{
    struct Case {
        const char* id;
        const Language* language;
    };
    const std::vector<Case> cases = {
        {"1031", &kGerman},
        {" 1031abc", &kGerman},
        {"1033", &kEnglish},
        {"+1033", &kEnglish},
        {"1034", &kNoTexts},      // in the table, but without texts
        {"1049", &kNoTexts},      // the table's last entry
        {"4242", &kNoTexts},      // not in the table
        {"-1", &kNoTexts},        // the table's end mark is no language
        {"abc", &kNoTexts},       // no number converts to 0
        {"", &kNoTexts},
        {"99999999999999999999", &kNoTexts},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(m_init(c.id), 1);
        const Report r = report();
        expectReport(r, *c.language);
        // Nothing is confirmed before the check has run.
        for (const std::string& state : statesOf(r))
            EXPECT_EQ(state, "2");
    }
}

TEST_F(SysprobeLibrary, InitWithoutLanguageChangesNothing)
{
    ASSERT_EQ(m_init("1033"), 1);
    EXPECT_EQ(m_init(nullptr), 0);
    expectReport(report(), kEnglish);
}

TEST_F(SysprobeLibrary, GettersSkipMissingBuffers)
{
    ASSERT_EQ(m_init("1031"), 1);
    std::array<char, kTextSize> verdict{};
    EXPECT_EQ(m_hardware(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, verdict.data()), 1);
    EXPECT_EQ(std::string(verdict.data()), kGerman.hardwareVerdicts[2]);
    EXPECT_EQ(m_software(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(m_system(nullptr), 1);
}

TEST_F(SysprobeLibrary, CheckInAnEventLoopShowsTheWaitWindowAndJudgesTheMachine)
{
    ASSERT_EQ(m_init("1031"), 1);
    const LoopRun run = runInEventLoop();
    EXPECT_EQ(run.result, 1);
    EXPECT_TRUE(run.windowSeen);
    EXPECT_TRUE(run.windowModal);
    EXPECT_TRUE(run.windowOnScreen);
    EXPECT_EQ(run.windowText, QStringLiteral("Bitte warten, die Hard- und Software-Ressourcen Ihres PC werden überprüft!"));
    EXPECT_FALSE(run.windowLeft);
    EXPECT_GE(run.elapsedMs, kRunMs);

    const Report r = report();
    expectReport(r, kGerman);
    // The caller runs a GUI, so the screen is judged too.
    EXPECT_EQ(statesOf(r), statesOf(expectedStates(true)));
}

TEST_F(SysprobeLibrary, CheckForALanguageWithoutTextsShowsNoWindow)
{
    ASSERT_EQ(m_init("4242"), 1);
    const LoopRun run = runInEventLoop();
    EXPECT_EQ(run.result, 0);
    EXPECT_FALSE(run.windowSeen);
    EXPECT_GE(run.elapsedMs, kRunMs);

    const Report r = report();
    expectReport(r, kNoTexts);
    EXPECT_EQ(statesOf(r), statesOf(expectedStates(true)));
}

TEST(SysprobeOutsideCaller, WithoutQtTheCheckRunsSilentlyAndLeavesTheMonitorUnjudged)
{
    QProcess caller;
    caller.start(QStringLiteral(SYSPROBE_CALLER), {libraryPath(), QStringLiteral("1033")});
    ASSERT_TRUE(caller.waitForFinished(60000)) << caller.errorString().toStdString();
    EXPECT_EQ(caller.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(caller.exitCode(), 0) << caller.readAllStandardError().toStdString();

    std::map<std::string, std::vector<std::string>> lines;
    for (const QByteArray& line : caller.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        std::vector<std::string> fields;
        for (const QByteArray& field : line.split('\t'))
            fields.push_back(field.toStdString());
        const std::string key = fields.front();
        fields.erase(fields.begin());
        lines[key] = fields;
    }
    const auto reportOf = [&](const std::string& prefix) {
        Report r;
        for (const char* part : {"hardware", "software", "system"})
            EXPECT_EQ(lines[prefix + part].at(0), "1") << prefix << part;
        r.hardware.assign(lines[prefix + "hardware"].begin() + 1, lines[prefix + "hardware"].end());
        r.software.assign(lines[prefix + "software"].begin() + 1, lines[prefix + "software"].end());
        r.overall = lines[prefix + "system"].at(1);
        return r;
    };

    // A fresh load has no texts yet and judges nothing.
    const Report before = reportOf("before.");
    expectReport(before, kNoTexts);
    for (const std::string& state : statesOf(before))
        EXPECT_EQ(state, "0");

    EXPECT_EQ(lines["init"], std::vector<std::string>{"1"});
    EXPECT_EQ(lines["run"], std::vector<std::string>{"0"});
    const Report after = reportOf("");
    expectReport(after, kEnglish);
    EXPECT_EQ(after.hardware[7], "0");
    EXPECT_EQ(statesOf(after), statesOf(expectedStates(false)));
}
