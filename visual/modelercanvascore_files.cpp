// Model files, the companion archive of their linked files and the map
// library: the canvas core's file operations.
#include "visual/modelercanvascore.h"

#include "foundation/externalfiles.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "store/topicdatabase.h"
#include "visual/modelfile.h"

#include <QFileInfo>

namespace {

const QString kModelSuffix = QStringLiteral("mod");
const QString kArchiveSuffix = QStringLiteral(".zip");

FilePrompt ModelFilePrompt(FilePromptKind kind, int titleId)
{
    FilePrompt prompt;
    prompt.kind = kind;
    prompt.title = LoadString(titleId);
    prompt.filter = LoadString(VisualText::ModelFilesFilter) + QStringLiteral(" (*.mod)");
    prompt.defaultSuffix = kModelSuffix;
    return prompt;
}

void ReportUnreadable(const QString& path, const QString& reason)
{
    if (reason.isEmpty())
        ShowMessage(LoadString(VisualText::ModelFileDamaged).arg(path), MessageKind::Error);
    else
        ShowMessage(LoadString(VisualText::ModelFileUnreadable).arg(path, reason), MessageKind::Error);
}

void ReportNotSaved(const QString& path, const QString& reason)
{
    ShowMessage(LoadString(VisualText::ModelFileNotSaved).arg(path, reason), MessageKind::Error);
}

}  // namespace

QString ModelerCanvasCore::PinwallLibraryPath()
{
    return g_program.SettingsFolder + QStringLiteral("Pinwall.klb");
}

void ModelerCanvasCore::CollectLinkedFiles(QStringList& list, QList<ExternalLinkInfo>* details) const
{
    QString folder = GetExternalsFolder();
    for (const ModelObject& o : m_model.Objects) {
        for (const QString* target : {&o.PictureFile, &o.LinkedFile, &o.GeoLinkFile}) {
            if (target->isEmpty())
                continue;
            ExternalLinkInfo info;
            const QString resolved = ResolveLinkTarget(*target, folder, QString(), &info);
            if (resolved.isEmpty())
                continue;
            list.append(resolved);
            if (details)
                details->append(info);
        }
    }
}

bool ModelerCanvasCore::SaveModelFile()
{
    QStringList chosen = PromptForFiles(ModelFilePrompt(FilePromptKind::SaveFile, VisualText::SaveModelTitle));
    if (chosen.isEmpty())
        return false;
    QString path = chosen.front();
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + kModelSuffix;
    if (!SerializeModel(false))
        return false;
    const ModelFileHeader header{m_record.Name, m_record.Author, m_record.Date};
    QString reason;
    if (!WriteWholeFile(path, ModelFileBytes(header, m_record.Data), reason)) {
        ReportNotSaved(path, reason);
        return false;
    }
    QStringList linked;
    QList<ExternalLinkInfo> details;
    CollectLinkedFiles(linked, &details);
    QStringList files;
    for (qsizetype i = 0; i < linked.size(); ++i)
        if (details[i].isFile)   // addresses travel in the image only
            files.append(linked[i]);
    if (files.isEmpty())
        return true;
    QStringList failed;
    if (!ZipFileList(path + kArchiveSuffix, files, &failed)) {
        ReportNotSaved(path + kArchiveSuffix, failed.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

qint32 ModelerCanvasCore::OpenModelFile(QString& name)
{
    if (!m_store)
        return 0;
    const QStringList chosen = PromptForFiles(ModelFilePrompt(FilePromptKind::OpenFile, VisualText::OpenModelTitle));
    if (chosen.isEmpty())
        return 0;
    const QString path = chosen.front();

    // Read and judge the whole file before anything changes.
    QByteArray bytes;
    QString reason;
    if (!ReadWholeFile(path, bytes, reason)) {
        ReportUnreadable(path, reason);
        return 0;
    }
    ModelFileHeader header;
    SerialBuffer body;
    ModelContent read;
    if (!ParseModelFile(bytes, header, body) || !ReadModelImage(body, read)) {
        ReportUnreadable(path, QString());
        return 0;
    }
    if (!SaveStoredModel())
        return 0;

    // The file's model becomes a new stored model; the next save writes it
    // in UTF-16.
    StoredModel record;
    record.Reset(ModelKind::Free, name);
    record.Name = header.Name;
    record.Author = header.Author;
    record.Date = header.Date;
    if (!WriteModelImage(read, record.Data) || !m_store->WriteModel(record))
        return 0;
    record.Data.Clear();
    record.Data.SetUtf16(true);

    const QString archive = path + kArchiveSuffix;
    if (QFileInfo::exists(archive)) {
        QStringList refused;
        ExtractZipArchive(archive, GetExternalsFolder(), &refused);
    }
    m_record = std::move(record);
    ShowModel(std::move(read));
    name = m_record.Name;
    return m_record.ID;
}

bool ModelerCanvasCore::LoadPinwallLibrary()
{
    QByteArray bytes;
    QString reason;
    if (!ReadWholeFile(PinwallLibraryPath(), bytes, reason))
        return false;
    SerialBuffer body(bytes.startsWith("\xFF\xFE") ? bytes.mid(2) : bytes);
    body.SetUtf16(bytes.startsWith("\xFF\xFE"));
    ModelContent read;
    if (!ReadModelImage(body, read)) {
        ReportUnreadable(PinwallLibraryPath(), QString());
        return false;
    }
    if (!m_model.Objects.empty()) {
        QString name;
        NewModel(name, ModelKind::Free);
    }
    m_record.Data.SetUtf16(true);
    ShowModel(std::move(read));
    return true;
}

bool ModelerCanvasCore::SavePinwallLibrary()
{
    if (!SerializeModel(false))
        return false;
    QByteArray bytes;
    if (m_record.Data.IsUtf16())
        bytes.append("\xFF\xFE", 2);
    bytes.append(m_record.Data.Data());
    QString reason;
    if (!WriteWholeFile(PinwallLibraryPath(), bytes, reason)) {
        ReportNotSaved(PinwallLibraryPath(), reason);
        return false;
    }
    return true;
}
