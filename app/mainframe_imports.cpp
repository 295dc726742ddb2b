// The frame's imports of pre-structured texts and of exported XML
// projects, and the conversion of word-processor files for them.

#include "app/appids.h"
#include "app/mainframe.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "exchange/importtexts.h"
#include "exchange/structuredtextimport.h"
#include "exchange/xmlprojectimport.h"
#include "foundation/filehelpers.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "platform/office/officeconverter.h"
#include "store/projectdataengine.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

namespace {

/// How long LibreOffice may take over one file.
constexpr int kConversionTimeoutMs = 120000;
/// The package that brings LibreOffice's word processor without a desktop.
const char* const kOfficePackage = "libreoffice-writer-nogui";

bool IsWordFile(const QString& path)
{
    return path.endsWith(QLatin1String(".doc"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".docx"), Qt::CaseInsensitive);
}

/// A folder for converted files that goes with the conversion.
std::unique_ptr<QTemporaryDir> ConversionFolder()
{
    const QString base = g_program.SettingsFolder.isEmpty() ? QDir::tempPath() : g_program.SettingsFolder;
    return std::make_unique<QTemporaryDir>(QDir(base).filePath(QStringLiteral("convert-XXXXXX")));
}

}  // namespace

bool CMainFrame::ConvertWithWordProcessor(const QString& source, const QString& target, QString& error)
{
    QStringList errors;
    const QList<bool> done = ConvertManyWithWordProcessor({source}, {target}, errors);
    error = errors.value(0);
    return done.value(0);
}

QList<bool> CMainFrame::ConvertManyWithWordProcessor(const QStringList& sources, const QStringList& targets,
                                                      QStringList& errors)
{
    QList<bool> done(sources.size(), false);
    errors = QStringList(sources.size());
    const std::unique_ptr<QTemporaryDir> folder = ConversionFolder();
    if (!folder->isValid()) {
        for (QString& error : errors)
            error = folder->errorString();
        return done;
    }
    // LibreOffice names each output after its source: sources of the same
    // name go to later runs, each with a folder of its own.
    QList<QList<qsizetype>> runs;
    QList<QSet<QString>> names;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString name = QFileInfo(sources[i]).completeBaseName();
        qsizetype run = 0;
        while (run < runs.size() && names[run].contains(name))
            ++run;
        if (run == runs.size()) {
            runs.append(QList<qsizetype>());
            names.append(QSet<QString>());
        }
        runs[run].append(i);
        names[run].insert(name);
    }
    for (qsizetype run = 0; run < runs.size(); ++run) {
        QStringList batch;
        for (const qsizetype i : std::as_const(runs[run]))
            batch.append(QFileInfo(sources[i]).absoluteFilePath());
        const QString output = QDir(folder->path()).filePath(QString::number(run));
        QStringList made;
        QString error;
        OfficeConvertResult result = OfficeConvertResult::Failed;
        if (QDir().mkpath(output))
            result = ConvertManyWithOffice(batch, QStringLiteral("rtf"), output, made, error, kConversionTimeoutMs);
        for (qsizetype k = 0; k < runs[run].size(); ++k) {
            const qsizetype i = runs[run][k];
            if (result == OfficeConvertResult::NotInstalled) {
                errors[i] = LoadString(AppText::OfficeMissing).arg(QLatin1String(kOfficePackage));
            } else if (made.value(k).isEmpty()) {
                errors[i] = LoadString(AppText::OfficeFailed).arg(sources[i], error);
            } else {
                QString reason;
                done[i] = RenameReplacing(made[k], targets.value(i), &reason);
                if (!done[i])
                    errors[i] = LoadString(AppText::FileNotReplaced).arg(targets.value(i), reason);
            }
        }
        if (result == OfficeConvertResult::NotInstalled)
            break;
    }
    for (qsizetype i = 0; i < sources.size(); ++i)
        if (!done[i] && errors[i].isEmpty())
            errors[i] = LoadString(AppText::OfficeMissing).arg(QLatin1String(kOfficePackage));
    return done;
}

void CMainFrame::ImportStructuredTexts(qint32 group)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    FilePrompt prompt;
    prompt.kind = FilePromptKind::OpenFiles;
    prompt.title = LoadString(ImportsText::StructuredPromptTitle);
    prompt.filter = QStringLiteral("%1 (*.rtf *.doc *.docx)").arg(LoadString(ImportsText::StructuredFilter));
    prompt.defaultSuffix = QStringLiteral("rtf");
    const QStringList chosen = PromptForFiles(prompt);
    PumpUiMessages();
    if (chosen.isEmpty())
        return;
    const bool keepCodeNames = AskYesNo(LoadString(ImportsText::KeepCodeNamesQuestion));
    PumpUiMessages();
    WaitCursor wait;

    // Word files are converted in one run, into a folder of their own that
    // goes with the import; the chosen files are only read.
    const std::unique_ptr<QTemporaryDir> converted = ConversionFolder();
    QStringList readPaths = chosen;
    QStringList failures(chosen.size());
    QStringList sources;
    QStringList targets;
    QList<qsizetype> places;
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        if (!IsWordFile(chosen[i]))
            continue;
        sources.append(chosen[i]);
        targets.append(QDir(converted->path()).filePath(QStringLiteral("%1-%2.rtf").arg(i).arg(
            QFileInfo(chosen[i]).completeBaseName())));
        places.append(i);
    }
    if (!sources.isEmpty()) {
        QStringList errors;
        const QList<bool> done = converted->isValid() ? ConvertManyWithWordProcessor(sources, targets, errors)
                                                      : QList<bool>(sources.size(), false);
        for (qsizetype k = 0; k < places.size(); ++k) {
            if (done.value(k))
                readPaths[places[k]] = targets[k];
            else
                failures[places[k]] = errors.value(k, converted->errorString());
        }
    }

    StructuredTextImport import(*document);
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        QString reason = failures[i];
        if (reason.isEmpty()) {
            ::ShowWaitWindow(LoadString(ImportsText::ReadingFile));
            import.ImportFile(readPaths[i], group, keepCodeNames, reason);
            ::CloseWaitWindow();
        }
        if (!reason.isEmpty())
            ShowMessage(QStringLiteral("%1 %2\n%3").arg(LoadString(ImportText::CannotImport), chosen[i], reason),
                        MessageKind::Warning);
    }
}

bool CMainFrame::ImportXmlProject(const QString& path)
{
    if (!m_document)
        return false;
    const QFileInfo source(path);
    if (!source.isFile()) {
        ShowMessage(QStringLiteral("%1 %2\n%3").arg(LoadString(ImportText::CannotImport), path,
                                                     LoadString(ImportText::CannotRead)),
                    MessageKind::Error);
        return false;
    }
    // A file that is no exported project makes no project either.
    QString error;
    if (!CXmlProjectImport::CheckFile(source.absoluteFilePath(), error)) {
        ShowMessage(error, MessageKind::Error);
        return false;
    }
    // The new project lies beside the file, under its name.
    QString target = source.dir().filePath(source.completeBaseName() + QStringLiteral(".kv4"));
    if (!MakeUniqueFileName(target)) {
        ShowMessage(LoadString(AppText::FileNotReplaced).arg(target, QString()), MessageKind::Error);
        return false;
    }
    std::unique_ptr<ProjectDataEngine> engine = CreateProject(target);
    if (!engine || !LoadProject(std::move(engine), true, false))
        return false;
    BeginWait();
    const CXmlProjectImport import(*m_document, source.absoluteFilePath(), m_lastProjectFolder);
    EndWait();
    UpdateStatusBar();
    BackupProject();
    return import.Succeeded();
}

void CMainFrame::OnImportXmlProject()
{
    if (!m_document)
        return;
    FilePrompt prompt;
    prompt.kind = FilePromptKind::OpenFile;
    prompt.title = LoadString(ImportsText::XmlPromptTitle);
    prompt.filter = QStringLiteral("%1 (*.xml)").arg(LoadString(AppText::FilterExchangeXml));
    prompt.defaultSuffix = QStringLiteral("xml");
    const QString path = PromptForFiles(prompt).value(0);
    PumpUiMessages();
    if (!path.isEmpty())
        ImportXmlProject(path);
}
