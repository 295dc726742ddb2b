#pragma once

// The support report: program, user, computer, system, the program's
// folders and the disks they lie on, as rich text for the text viewer.

#include <QByteArray>
#include <QString>
#include <QStringList>

/// What the report shows, gathered before it is written.
struct SystemReportInfo {
    QString programName;
    QString version;
    QString userName;
    bool userIsAdmin = false;
    QString computerName;
    QString osDescription;  ///< as GetOSDescription gives it
    /// Program folder, per-user data folder, data folder for all users,
    /// shared documents folder, externals folder and the folder of the
    /// options file; no trailing "/". In portable mode the first four are
    /// the program folder.
    QStringList folders;
    /// One line per volume holding one of the folders: mount point, file
    /// system, free and total MB.
    QStringList disks;
};

/// The values of this program and system (g_program, the options, the
/// language table).
SystemReportInfo CollectSystemReportInfo();

/// The report as RTF: headings in bold Verdana, each followed by its lines.
QByteArray WriteSystemReport(const SystemReportInfo& info);

/// The report of this program and system into rtf (replaced).
void BuildSystemReport(QByteArray& rtf);
