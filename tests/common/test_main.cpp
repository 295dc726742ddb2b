// Shared main of the test executables: one application object per process,
// headless, so no test needs a display.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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

namespace {

// Pictures compared with references must not depend on the fonts a machine
// happens to have: fontconfig is given the install script's font folders
// only, and every family the program asks for lands on DejaVu. The CJK and
// Thai fonts stay reachable as fallbacks for their scripts.
void PinTestFonts(const QDir& home)
{
    const QString cache = home.filePath(QStringLiteral("cache/fontconfig"));
    QDir().mkpath(cache);
    QString config = QStringLiteral(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
        "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
        "  <dir>/usr/share/fonts/truetype/wqy</dir>\n"
        "  <dir>/usr/share/fonts/truetype/tlwg</dir>\n"
        "  <cachedir>%1</cachedir>\n").arg(cache);
    const struct {
        const char* family;
        const char* pinned;
    } aliases[] = {
        {"sans-serif", "DejaVu Sans"},   {"Sans Serif", "DejaVu Sans"},   {"Arial", "DejaVu Sans"},
        {"Tahoma", "DejaVu Sans"},       {"Verdana", "DejaVu Sans"},      {"Helvetica", "DejaVu Sans"},
        {"MS Shell Dlg", "DejaVu Sans"}, {"MS Shell Dlg 2", "DejaVu Sans"}, {"Segoe UI", "DejaVu Sans"},
        {"serif", "DejaVu Serif"},       {"Times New Roman", "DejaVu Serif"}, {"Times", "DejaVu Serif"},
        {"monospace", "DejaVu Sans Mono"}, {"Courier New", "DejaVu Sans Mono"}, {"Courier", "DejaVu Sans Mono"},
    };
    for (const auto& alias : aliases)
        config += QStringLiteral("  <alias binding=\"same\"><family>%1</family><prefer><family>%2</family></prefer></alias>\n")
                      .arg(QLatin1String(alias.family), QLatin1String(alias.pinned));
    // Any other family ends on DejaVu Sans rather than on whatever scores best.
    config += QStringLiteral(
        "  <match target=\"pattern\"><edit name=\"family\" mode=\"append_last\"><string>DejaVu Sans</string></edit></match>\n"
        "</fontconfig>\n");
    const QString path = home.filePath(QStringLiteral("fonts.conf"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(config.toUtf8()) > 0) {
        file.close();
        qputenv("FONTCONFIG_FILE", path.toUtf8());
    }
}

}  // namespace

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
        PinTestFonts(folder);
    }
    QStandardPaths::setTestModeEnabled(true);
    TestApplication app(argc, argv);
    TestApplication::setOrganizationName(QStringLiteral("Zepha"));
    TestApplication::setApplicationName(QStringLiteral("KORVAN10"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
