#include "platform/office/officeconverter.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

QString FindOfficeProgram()
{
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

OfficeConvertResult ConvertWithOffice(const QString& source, const QString& format,
                                      const QString& outputFolder, QString& outputPath,
                                      QString& error, int timeoutMs)
{
    outputPath.clear();
    error.clear();
    const QString program = FindOfficeProgram();
    if (program.isEmpty()) {
        error = QStringLiteral("LibreOffice (soffice) was not found on the search path");
        return OfficeConvertResult::NotInstalled;
    }
    QTemporaryDir profile;
    if (!profile.isValid()) {
        error = QStringLiteral("no temporary folder for the LibreOffice profile");
        return OfficeConvertResult::Failed;
    }
    const QStringList arguments = {
        QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nolockcheck"),
        QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
        QStringLiteral("--convert-to"), format,
        QStringLiteral("--outdir"), outputFolder,
        source,
    };
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        error = QStringLiteral("LibreOffice did not convert %1 in time").arg(source);
        return OfficeConvertResult::Failed;
    }
    // LibreOffice exits with 0 even when it could not convert: only the
    // file tells.
    const QString extension = format.section(u':', 0, 0);
    const QString expected = QDir(outputFolder).filePath(QFileInfo(source).completeBaseName() + u'.' + extension);
    const QFileInfo made(expected);
    if (!made.isFile() || made.size() == 0) {
        error = QStringLiteral("LibreOffice could not convert %1: %2")
                    .arg(source, QString::fromLocal8Bit(process.readAll()).trimmed());
        return OfficeConvertResult::Failed;
    }
    outputPath = expected;
    return OfficeConvertResult::Converted;
}
