#include "foundation/programpaths.h"

#include "platform/profile/privateprofile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

ProgramPaths g_program;

namespace {

QString WithSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

}  // namespace

ProgramPaths ResolveProgramPaths(const QString& programFolder)
{
    ProgramPaths p;
    p.ProgramFolder = WithSlash(programFolder);
    p.SettingsFolder = WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    QDir().mkpath(p.SettingsFolder);

    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    p.SharedSettingsFolder = p.SettingsFolder;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        if (folder != userData) {
            p.SharedSettingsFolder = WithSlash(folder);
            break;
        }
    p.PersonalFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (p.PersonalFolder.isEmpty())
        p.PersonalFolder = p.SettingsFolder.chopped(1);
    p.DocumentsFolder = p.PersonalFolder + u'/' + QCoreApplication::applicationName();
    p.SharedDocumentsFolder = p.DocumentsFolder;

    // The settings file beside the program decides on portable mode.
    const PrivateProfile portable(p.ProgramFolder + QStringLiteral("Settings/Settings.ini"));
    p.PortableMode = portable.GetInt(QStringLiteral("Basic"), QStringLiteral("Portable"), 0) != 0;
    int language = portable.GetInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), -1);
    if (language < 0)
        language = portable.GetInt(QStringLiteral("Basic"), QStringLiteral("LangSetup"), 1);
    if (p.PortableMode) {
        p.ProfilePath = portable.Path();
        p.OptionsFilePath = p.ProgramFolder + QStringLiteral("Settings/KORVAN10.prp");
    } else {
        p.ProfilePath = p.SettingsFolder + QStringLiteral("KORVAN10.ini");
        p.OptionsFilePath = p.SettingsFolder + QStringLiteral("KORVAN10.prp");
        language = PrivateProfile(p.ProfilePath).GetInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), language);
    }
    p.LanguageIndex = language < 0 ? 1 : language;

    p.StringTablePath = p.ProgramFolder + QStringLiteral("KORVAN10.str");
    const QString shared = p.SharedSettingsFolder + QStringLiteral("KORVAN10.str");
    if (!p.PortableMode && QFileInfo(shared).isFile())
        p.StringTablePath = shared;
    return p;
}
