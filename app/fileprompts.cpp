// The frame's file prompts for the program's own file kinds, the recent
// projects, converting word-processor files and the stop-list text files.

#include "app/appids.h"
#include "app/mainframe.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "foundation/filehelpers.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "platform/codepage/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>



namespace {

struct PromptKind {
    int code;
    FilePromptKind kind;
    const char* suffix;   // default suffix; null for none
    int filterText;       // 0: no filter
    int titleText;        // 0: no title
};

const PromptKind kPromptKinds[] = {
    {ProjectFileType::NewProject, FilePromptKind::SaveFile, "kv4", AppText::FilterProjects, AppText::TitleNewProject},
    {ProjectFileType::OpenProject, FilePromptKind::OpenFile, "kv4", AppText::FilterProjects, AppText::TitleOpenProject},
    {ProjectFileType::SaveCopy, FilePromptKind::SaveFile, "kv4", AppText::FilterProjects, AppText::TitleSaveCopy},
    {ProjectFileType::OpenArchive, FilePromptKind::OpenFile, "kar", AppText::FilterArchives, AppText::TitleOpenArchive},
    {ProjectFileType::SaveProject, FilePromptKind::SaveFile, "kv4", AppText::FilterProjects, AppText::TitleNewProject},
    {ProjectFileType::AddProject, FilePromptKind::OpenFile, "kv4", AppText::FilterProjects, AppText::TitleAddProject},
    {ProjectFileType::SaveExchange, FilePromptKind::SaveFile, "kex", AppText::FilterExchange,
     AppText::TitleExportExchange},
    {ProjectFileType::OpenExchange, FilePromptKind::OpenFile, "kex", AppText::FilterExchange,
     AppText::TitleImportExchange},
    {ProjectFileType::SaveCodeSystemExchange, FilePromptKind::SaveFile, "ktr", AppText::FilterCodeSystemExchange,
     AppText::TitleExportExchange},
    {ProjectFileType::OpenCodeSystemExchange, FilePromptKind::OpenFile, "ktr", AppText::FilterCodeSystemExchange,
     AppText::TitleImportExchange},
    {ProjectFileType::SaveCodeList, FilePromptKind::SaveFile, "act", AppText::FilterCodeLists,
     AppText::TitleSaveCodeList},
    {ProjectFileType::OpenCodeList, FilePromptKind::OpenFile, "act", AppText::FilterCodeLists,
     AppText::TitleOpenCodeList},
    {ProjectFileType::OpenAnyFile, FilePromptKind::OpenFile, nullptr, 0, 0},
    {ProjectFileType::OpenKml, FilePromptKind::OpenFile, "kml", AppText::FilterKml, 0},
};

QString Filter(int textId, const QString& suffix)
{
    return QStringLiteral("%1 (*.%2)").arg(LoadString(textId), suffix);
}

// Project files of every generation, then the foreign ones.
QString OpenProjectFilter()
{
    const std::pair<int, const char*> kinds[] = {
        {AppText::FilterProjects, "kv4"},   {AppText::FilterProjectsV3, "kv3"}, {AppText::FilterProjectsV2, "kv2"},
        {AppText::FilterProjectsV1, "k2k"}, {AppText::FilterTeamwork, "nvp"},   {AppText::FilterExchangeXml, "xml"},
    };
    QStringList filters;
    for (const auto& [text, suffix] : kinds)
        filters.append(Filter(text, QLatin1String(suffix)));
    return filters.join(QStringLiteral(";;"));
}

bool IsProjectTarget(int fileType)
{
    return fileType == ProjectFileType::NewProject || fileType == ProjectFileType::SaveCopy
           || fileType == ProjectFileType::SaveProject;
}

}  // namespace

QString CMainFrame::PromptForFile(const QString& fileName, int fileType)
{
    FilePrompt prompt;
    prompt.path = fileName;
    for (const PromptKind& kind : kPromptKinds) {
        if (kind.code != fileType)
            continue;
        prompt.kind = kind.kind;
        if (kind.suffix)
            prompt.defaultSuffix = QLatin1String(kind.suffix);
        if (kind.titleText)
            prompt.title = LoadString(kind.titleText);
        if (fileType == ProjectFileType::OpenProject)
            prompt.filter = OpenProjectFilter();
        else if (kind.filterText)
            prompt.filter = Filter(kind.filterText, prompt.defaultSuffix);
    }
    // A prompt without a folder of its own starts in the user's documents.
    if (QFileInfo(prompt.path).isRelative()) {
        const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        prompt.path = prompt.path.isEmpty() ? documents.path() + QLatin1Char('/') : documents.filePath(prompt.path);
    }
    QString path = PromptForFiles(prompt).value(0);
    PumpUiMessages();
    // Nothing is deleted here: the callers write a new file under another
    // name and put it in place only once it is whole. The open project can
    // never be that place.
    if (!path.isEmpty() && IsProjectTarget(fileType) && m_document && m_document->IsOpenProjectPath(path)) {
        ShowMessage(LoadString(DocumentText::TargetIsOpenProject).arg(path), MessageKind::Error);
        return {};
    }
    return path;
}

bool CMainFrame::ConvertWithWordProcessor(const QString& source, const QString& target)
{
    QString error;
    if (ConvertWithWordProcessor(source, target, error))
        return true;
    ShowMessage(error, MessageKind::Error);
    return false;
}

bool CMainFrame::SaveWordListText(const QString& path)
{
    if (!GetDocument())
        return false;
    const QString text = m_document->GetWordList().join(QStringLiteral("\r\n"));
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowMessage(LoadString(AppText::WordListNotWritten).arg(path, file.errorString()), MessageKind::Error);
        return false;
    }
    return true;
}

bool CMainFrame::LoadWordList(const QString& path)
{
    if (!GetDocument())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    m_document->SetWordList(codepage::DecodeTextFile(file.readAll()), false);
    return true;
}
