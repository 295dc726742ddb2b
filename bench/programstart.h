#pragma once

// The program as a user starts it on the large project: a copy of the
// generated project and the language table in folders of the benchmark's
// own (home, profile and settings there too), the application started with
// the project on its command line and run until the frame reports the
// project loaded.

#include "app/mainapp.h"
#include "app/mainframe.h"
#include "bench/projectgenerator.h"
#include "document/kordoc.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "store/projectdataengine.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

namespace benchstart {

/// The folders of one benchmark: the program's and a home holding the
/// project copy.
class ProgramHome {
public:
    /// False, with the reason, when the project or the table is missing.
    bool Make(QString* error)
    {
        m_source = BenchProject(1.0, error);
        m_project = QDir(m_home.path()).filePath(QStringLiteral("large.kv4"));
        if (m_source.isEmpty() || !QFile::copy(m_source, m_project) ||
            !QFile::copy(QStringLiteral(KORVAN_BIN_DIR "/KORVAN10.str"),
                         QDir(m_program.path()).filePath(QStringLiteral("KORVAN10.str"))))
            return false;
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.path().toUtf8());
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
        return true;
    }
    /// The project copied anew without the one-time repairs' keys, as a
    /// converted project of an older version opens the first time. False
    /// when the copy failed.
    bool RenewLegacyProject() const
    {
        QFile::remove(m_project);
        ProjectDataEngine engine;
        return QFile::copy(m_source, m_project) && engine.Open(m_project) && CKorDoc::ForgetUpgradeSteps(engine);
    }
    QString ProgramFolder() const { return m_program.path(); }
    const QString& Project() const { return m_project; }

private:
    QTemporaryDir m_home;
    QTemporaryDir m_program;
    QString m_source;  ///< the generated project, found before HOME moved
    QString m_project;
};

/// Starts the program on the project and runs it until the frame reports
/// the project loaded; null when it did not open.
inline std::unique_ptr<CMainApp> StartProgram(const ProgramHome& home)
{
    auto app = std::make_unique<CMainApp>();
    if (!app->InitInstance({QStringLiteral("KORVAN10"), home.Project()}, home.ProgramFolder()))
        return nullptr;
    bool loaded = false;
    QEventLoop loop;
    QObject::connect(app->MainFrame(), &CMainFrame::StartupFinished, &loop, [&](bool open) {
        loaded = open;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!loaded) {
        app->ExitInstance(0);
        return nullptr;
    }
    return app;
}

/// Makes `home` and starts the program on it; null after telling the
/// benchmark why it skips.
inline std::unique_ptr<CMainApp> StartProgramOrSkip(benchmark::State& state, ProgramHome& home)
{
    QString error;
    if (!home.Make(&error)) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
        return nullptr;
    }
    std::unique_ptr<CMainApp> app = StartProgram(home);
    if (!app)
        state.SkipWithError("the project did not open");
    return app;
}

/// Shuts the program down as its exit does.
inline void StopProgram(std::unique_ptr<CMainApp> app)
{
    if (app)
        app->ExitInstance(0);
    app.reset();
    g_pStringStore->Close();
    g_program = {};
}

}  // namespace benchstart
