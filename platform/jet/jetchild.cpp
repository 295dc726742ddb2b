#include "platform/jet/jetchild.h"

#include "platform/jet/databasefilekind.h"
#include "platform/jet/jetcopy.h"
#include "platform/jet/jetreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

constexpr char kNoCaseOption[] = "--nocase";
// Set in the helper's environment by tests only: makes the helper fail in
// the ways a damaged file can make the Jet reader fail.
constexpr char kFaultVariable[] = "KORVAN_JETREAD_FAULT";

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

void InjectFault(const QString& target)
{
    const QByteArray fault = qgetenv(kFaultVariable);
    if (fault == "crash") {
        std::abort();
    } else if (fault == "hang") {
        for (;;)
            pause();
    } else if (fault == "garbage") {
        QFile file(target);
        if (file.open(QIODevice::WriteOnly))
            file.write("not a database");
        std::exit(0);
    }
}

}  // namespace

bool ConvertJetInChild(const QString& helperPath, const QString& jetPath, const QString& targetPath,
                       const QStringList& noCase, int timeoutMs, QString* error)
{
    if (QFileInfo::exists(targetPath) || QFileInfo(targetPath).isSymLink())
        return Fail(error, QStringLiteral("The file %1 exists already.").arg(targetPath));
    if (!QFileInfo(helperPath).isExecutable())
        return Fail(error, QStringLiteral("The program %1 that reads legacy files is missing.").arg(helperPath));
    // Beside the target, so that the result is renamed, not copied, into
    // place; removed with whatever a failed helper left in it.
    QTemporaryDir work(QFileInfo(targetPath).absolutePath() + QStringLiteral("/.convert-XXXXXX"));
    if (!work.isValid())
        return Fail(error, work.errorString());
    const QString output = work.filePath(QStringLiteral("converted.kv4"));

    QStringList arguments = {jetPath, output};
    for (const QString& column : noCase)
        arguments << QLatin1String(kNoCaseOption) << column;
    QProcess helper;
    helper.setProcessChannelMode(QProcess::SeparateChannels);
    helper.setStandardOutputFile(QProcess::nullDevice());
    helper.start(helperPath, arguments);
    if (!helper.waitForStarted())
        return Fail(error, QStringLiteral("The program %1 could not be started: %2").arg(helperPath, helper.errorString()));
    if (!helper.waitForFinished(timeoutMs)) {
        helper.kill();
        helper.waitForFinished();
        return Fail(error, QStringLiteral("Reading the legacy file took longer than %1 s and was stopped.")
                               .arg(timeoutMs / 1000.0, 0, 'g', 3));
    }
    const QString why = QString::fromUtf8(helper.readAllStandardError()).trimmed();
    if (helper.exitStatus() != QProcess::NormalExit)
        return Fail(error, QStringLiteral("The reader of legacy files stopped unexpectedly on this file (it may be "
                                          "damaged)."));
    if (helper.exitCode() != 0)
        return Fail(error, why.isEmpty() ? QStringLiteral("The legacy file could not be read.") : why);
    if (DetectDatabaseFile(output) != DatabaseFileKind::Sqlite)
        return Fail(error, QStringLiteral("The reader of legacy files gave no usable result."));
    if (QFileInfo::exists(targetPath) || !QFile::rename(output, targetPath))
        return Fail(error, QStringLiteral("The converted file could not be moved to %1.").arg(targetPath));
    return true;
}

int RunJetHelper(const QStringList& arguments)
{
    if (arguments.size() < 2 || arguments.size() % 2 != 0) {
        std::fputs("usage: korvan10-jetread <legacy file> <new file> [--nocase table.column]...\n", stderr);
        return 2;
    }
    QList<std::pair<QString, QString>> noCase;
    for (qsizetype i = 2; i + 1 < arguments.size(); i += 2) {
        const QString column = arguments.at(i + 1);
        const qsizetype dot = column.indexOf(u'.');
        if (arguments.at(i) != QLatin1String(kNoCaseOption) || dot <= 0) {
            std::fprintf(stderr, "unknown argument %s\n", qPrintable(arguments.at(i)));
            return 2;
        }
        noCase.append({column.left(dot), column.mid(dot + 1)});
    }
    const QString target = arguments.at(1);
    InjectFault(target);
    QString error;
    const std::unique_ptr<JetReader> reader = OpenJetDatabase(arguments.at(0), &error);
    JetCopyOptions options;
    options.noCase = [&noCase](const QString& table, const QString& column) {
        for (const auto& [t, c] : noCase) {
            if (t.compare(table, Qt::CaseInsensitive) == 0 && c.compare(column, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    if (!reader || !CopyJetToSqlite(*reader, target, &error, options)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
