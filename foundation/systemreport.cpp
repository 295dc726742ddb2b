#include "foundation/systemreport.h"

#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/osversion.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richeditctrlex.h"

#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr qint64 kBytesPerMB = 1024 * 1024;

QString CurrentUserName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

// The folder itself, or the nearest folder above it that exists (a folder
// the program has not made yet lies on the disk of its parent).
QString ExistingAncestor(const QString& folder)
{
    QString path = folder;
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return {};
        path = parent;
    }
    return path;
}

QStringList DescribeDisks(const QStringList& folders)
{
    QStringList lines;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString existing = ExistingAncestor(folder);
        if (existing.isEmpty())
            continue;
        const QStorageInfo storage(existing);
        if (!storage.isValid() || !storage.isReady() || seen.contains(storage.rootPath()))
            continue;
        seen.insert(storage.rootPath());
        lines += QStringLiteral("%1 (%2): %3 MB free of %4 MB")
                     .arg(storage.rootPath(), QString::fromLatin1(storage.fileSystemType()),
                          QString::number(storage.bytesAvailable() / kBytesPerMB),
                          QString::number(storage.bytesTotal() / kBytesPerMB));
    }
    return lines;
}

RichEditCharFormat ReportFormat(bool heading)
{
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold;
    format.effects = heading ? quint32(kCharBold) : 0u;
    format.faceName = QStringLiteral("Verdana");
    format.height = 200;  // twips
    return format;
}

// Appends the text at the end and gives it the format.
void Append(CRichEditCtrlEx& edit, const QString& text, bool heading)
{
    const int start = edit.GetTextLength();
    edit.SetSel(start, start);
    edit.ReplaceSelText(text);
    edit.SetSel(start, edit.GetTextLength());
    edit.SetSelCharFormat2(ReportFormat(heading));
}

}  // namespace

SystemReportInfo CollectSystemReportInfo()
{
    SystemReportInfo info;
    info.programName = LoadString(FoundationText::ProgramTitle);
    info.version = LoadString(FoundationText::ProgramVersion);
    info.userName = CurrentUserName();
    info.userIsAdmin = IsUserAdmin();
    info.computerName = QSysInfo::machineHostName();
    info.osDescription = GetOSDescription();

    const ProgramPaths& p = g_program;
    if (p.PortableMode)
        info.folders = {p.ProgramFolder, p.ProgramFolder, p.ProgramFolder, p.ProgramFolder};
    else
        info.folders = {p.ProgramFolder, p.SettingsFolder, p.SharedSettingsFolder, p.SharedDocumentsFolder};
    info.folders += GetExternalsFolder();
    info.folders += p.OptionsFilePath.isEmpty() ? QString() : QFileInfo(p.OptionsFilePath).path();
    for (QString& folder : info.folders)
        folder = WithoutTrailingSeparators(folder);
    info.disks = DescribeDisks(info.folders);
    return info;
}

QByteArray WriteSystemReport(const SystemReportInfo& info)
{
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    Append(*edit, info.programName + QStringLiteral("\r\n"), true);
    Append(*edit, QStringLiteral("Version %1\r\n\r\n").arg(info.version), true);
    Append(*edit, QStringLiteral("USER\r\n"), true);
    Append(*edit,
           info.userName + (info.userIsAdmin
                                ? QStringLiteral("\r\nuser is a member of the Administrator's group\r\n\r\n")
                                : QStringLiteral("\r\n\r\n")),
           false);
    Append(*edit, QStringLiteral("COMPUTER\r\n"), true);
    Append(*edit, info.computerName + QStringLiteral("\r\n\r\n"), false);
    Append(*edit, QStringLiteral("OPERATING SYSTEM\r\n"), true);
    Append(*edit, info.osDescription + QStringLiteral("\r\n"), false);
    Append(*edit, QStringLiteral("DIRECTORIES\r\n"), true);
    QString folders;
    for (int i = 0; i < 6; ++i)
        folders += QStringLiteral("%1: %2\r\n").arg(i + 1).arg(info.folders.value(i));
    Append(*edit, folders + QStringLiteral("\r\n"), false);
    Append(*edit, QStringLiteral("DISKS\r\n"), true);
    Append(*edit, info.disks.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), false);

    QByteArray rtf;
    edit->StreamOutRtf(&rtf, false, true);
    return rtf;
}

void BuildSystemReport(QByteArray& rtf)
{
    rtf = WriteSystemReport(CollectSystemReportInfo());
}
