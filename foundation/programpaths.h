#pragma once

#include <QString>

/// @short The program-wide folders and flags that start-up fixes once and
/// every part of the program reads afterwards.
///
/// Folders named "...Folder" keep a trailing "/" where noted. Per-user
/// folders come from QStandardPaths; read-only data sits beside the
/// executable.
struct ProgramPaths {
    QString ProgramFolder;          ///< the executable's folder, trailing "/"
    QString SettingsFolder;         ///< per-user settings, trailing "/"; created at start-up
    QString SharedSettingsFolder;   ///< data installed for all users, trailing "/"
    QString PersonalFolder;         ///< the user's documents folder
    QString DocumentsFolder;        ///< the program's folder among the user's documents
    QString SharedDocumentsFolder;  ///< no shared documents folder here: the user's one
    QString ProfilePath;            ///< the INI profile: "Settings.ini" when portable, else "KORVAN10.ini"
    QString OptionsFilePath;        ///< "KORVAN10.prp"; empty means no options file
    QString StringTablePath;        ///< the language table "KORVAN10.str"
    bool PortableMode = false;      ///< "Portable" in section "Basic" of the portable settings file
    int LanguageIndex = 1;          ///< language of the interface, 0 to 14
    // Filled by the application's start-up after the language table opened.
    QString ExportFolder;           ///< profile "Dir"/"Export", else DocumentsFolder
    QString TagCloudStopListPath;   ///< the tag-cloud stop list "TagCloudsStopp.txt"
    QString BuildString;            ///< the version text of the build
    QString AppTitle;               ///< window title of the frame: name and build
};

/// Works the values out from the executable's folder, the portable settings
/// file "Settings/Settings.ini" beside it and the per-user profile, and
/// creates the settings folder.
ProgramPaths ResolveProgramPaths(const QString& programFolder);

/// The values fixed at start-up; empty before.
extern ProgramPaths g_program;
