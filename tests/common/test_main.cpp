// Shared main of the test executables: one application object per process,
// headless, so no test needs a display.
#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

#ifdef KORVAN_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep user folders (settings, data) of tests away from the real home.
    // Test mode puts QStandardPaths' and QSettings' folders under the home
    // folder whatever XDG says, so the home moves too.
    // Children of a test (death tests, processes killed on purpose) end
    // without unwinding; they share their parent's home so that nothing of
    // theirs is left behind in the temporary folder.
    std::optional<QTemporaryDir> home;
    if (qEnvironmentVariableIsEmpty("KORVAN_TEST_HOME"))
        home.emplace();
    if (home && home->isValid()) {
        const QDir folder(home->path());
        qputenv("KORVAN_TEST_HOME", home->path().toUtf8());
        qputenv("HOME", home->path().toUtf8());
        qputenv("XDG_CONFIG_HOME", folder.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
        qputenv("XDG_CACHE_HOME", folder.filePath("cache").toUtf8());
        const QString runtime = folder.filePath("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    QStandardPaths::setTestModeEnabled(true);
    TestApplication app(argc, argv);
    TestApplication::setOrganizationName(QStringLiteral("Zepha"));
    TestApplication::setApplicationName(QStringLiteral("KORVAN10"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
