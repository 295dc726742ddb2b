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
    QStringList outputs;
    OfficeConvertResult result = ConvertManyWithOffice({source}, format, outputFolder, outputs, error, timeoutMs);
    outputPath = outputs.value(0);
    if (result == OfficeConvertResult::Converted && outputPath.isEmpty())
        result = OfficeConvertResult::Failed;
    return result;
}

OfficeConvertResult ConvertManyWithOffice(const QStringList& sources, const QString& format,
                                          const QString& outputFolder, QStringList& outputPaths,
                                          QString& error, int timeoutMs)
{
    outputPaths = QStringList(sources.size());
    error.clear();
    const QString program = FindOfficeProgram();
    if (program.isEmpty()) {
        error = QStringLiteral("LibreOffice (soffice) was not found on the search path");
        return OfficeConvertResult::NotInstalled;
    }
    if (sources.isEmpty())
        return OfficeConvertResult::Converted;
    QTemporaryDir profile;
    if (!profile.isValid()) {
        error = QStringLiteral("no temporary folder for the LibreOffice profile");
        return OfficeConvertResult::Failed;
    }
    QStringList arguments = {
        QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nolockcheck"),
        QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
        QStringLiteral("--convert-to"), format,
        QStringLiteral("--outdir"), outputFolder,
    };
    arguments += sources;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        error = QStringLiteral("LibreOffice did not convert %1 in time").arg(sources.join(QStringLiteral(", ")));
        return OfficeConvertResult::Failed;
    }
    // LibreOffice exits with 0 even when it could not convert: only the
    // files tell.
    const QString extension = format.section(u':', 0, 0);
    QStringList failed;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString expected =
            QDir(outputFolder).filePath(QFileInfo(sources[i]).completeBaseName() + u'.' + extension);
        const QFileInfo made(expected);
        if (made.isFile() && made.size() > 0)
            outputPaths[i] = expected;
        else
            failed.append(sources[i]);
    }
    if (!failed.isEmpty())
        error = QStringLiteral("LibreOffice could not convert %1: %2")
                    .arg(failed.join(QStringLiteral(", ")), QString::fromLocal8Bit(process.readAll()).trimmed());
    return OfficeConvertResult::Converted;
}
