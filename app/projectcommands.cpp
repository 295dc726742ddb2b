// Project commands of the frame: new, open, recent, save a copy, the start
// dialog's choice, closing the project's windows and the timed backup.

#include "app/appids.h"
#include "app/listwindows.h"
#include "app/chartcommands.h"
#include "app/mainframe.h"
#include "app/startdlg.h"
#include "browser/framebrowser.h"
#include "document/kordoc.h"
#include "exchange/exchangeids.h"
#include "exchange/importtexts.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "platform/jet/databasefilekind.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/retrievalfunctiondlg.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"
#include "ui/checkmessagedlg.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryFile>


namespace {

const QString kMainDataType = QStringLiteral("MAIN");
/// Recent entries offered by the file menu: 1 to 5 (entry 0 is open).
constexpr int kRecentOffered = CommandId::RecentProjectLast - CommandId::RecentProjectFirst + 1;

bool HasSuffix(const QString& path, const char* suffix)
{
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// Projects of the first generation are opened with the legacy flag.
bool IsFirstGeneration(const QString& path)
{
    return path.endsWith(QLatin1String("k2k"), Qt::CaseInsensitive);
}

// A free name beside the target for a file that takes the target's place
// once it is whole.
QString SiblingTemporaryName(const QString& target)
{
    QTemporaryFile reserve(target + QStringLiteral(".new-XXXXXX"));
    if (!reserve.open())
        return {};
    const QString name = reserve.fileName();
    reserve.close();
    reserve.remove();
    return name;
}

// Puts a finished file in the target's place in one step; a file that
// cannot take its place is not kept.
bool ReplaceFile(const QString& finished, const QString& target, QString& error)
{
    if (RenameReplacing(finished, target, &error))
        return true;
    QFile::remove(finished);
    return false;
}

QString RecentCaption(int entry, const QString& path)
{
    return QStringLiteral("&%1 %2").arg(entry).arg(path);
}

}  // namespace

void CMainFrame::BuildProjectMenu(QMenu* file)
{
    for (int id : {CommandId::NewProject, CommandId::OpenProject, CommandId::BackupProject, CommandId::AddProject})
        file->addAction(m_commands.Action(id));
    file->addSeparator();
    for (int id : {CommandId::ShowExternals, CommandId::ArchiveExternals})
        file->addAction(m_commands.Action(id));
    file->addSeparator();
    for (int id = CommandId::RecentProjectFirst; id <= CommandId::RecentProjectLast; ++id)
        file->addAction(m_commands.Action(id));
    file->addSeparator();
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::FillRecentMenu);
}

void CMainFrame::FillRecentMenu()
{
    for (int entry = 1; entry <= kRecentOffered; ++entry)
        if (QAction* action = m_commands.Action(CommandId::RecentProjectFirst + entry - 1))
            action->setVisible(entry < m_settings.recentProjects.size());
}

bool CMainFrame::OnProjectCommand(int id)
{
    switch (id) {
    case CommandId::NewProject: OnNewProject(); return true;
    case CommandId::OpenProject: OnOpenProject(); return true;
    case CommandId::BackupProject: OnBackupProject(); return true;
    case CommandId::AddProject: OnAddProject(); return true;
    case ImportsText::XmlImportCommand: OnImportXmlProject(); return true;
    default:
        if (id >= CommandId::RecentProjectFirst && id <= CommandId::RecentProjectLast) {
            OnOpenRecent(id);
            return true;
        }
        return false;
    }
}

bool CMainFrame::OnUpdateProjectCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case CommandId::NewProject:
    case CommandId::OpenProject:
    case ImportsText::XmlImportCommand:
        ui.Enable(m_document != nullptr);
        return true;
    case CommandId::BackupProject:
        ui.Enable(GetDocument() != nullptr);
        return true;
    case CommandId::AddProject:
        ui.Enable(GetDocument() != nullptr && GetDocument()->GetMergeService() != nullptr);
        return true;
    default:
        if (ui.id >= CommandId::RecentProjectFirst && ui.id <= CommandId::RecentProjectLast) {
            const int entry = ui.id - CommandId::RecentProjectFirst + 1;
            const QString path = m_settings.recentProjects.value(entry);
            ui.Enable(!path.isEmpty() && m_document);
            if (!path.isEmpty())
                ui.SetText(RecentCaption(entry, path));
            return true;
        }
        return false;
    }
}

std::unique_ptr<ProjectDataEngine> CMainFrame::OpenProjectEngine(const QString& path)
{
    // A legacy file is copied into a new project first, which takes a while.
    const bool legacy = DetectDatabaseFile(path) == DatabaseFileKind::Jet;
    if (legacy)
        ::ShowWaitWindow(LoadString(AppText::ConvertingProject).arg(path));
    std::unique_ptr<ProjectDataEngine> engine = m_document->OpenProjectFile(path, kMainDataType);
    if (legacy)
        ::CloseWaitWindow();
    return engine;
}

bool CMainFrame::LoadProject(std::unique_ptr<ProjectDataEngine> engine, bool withWaitWindow, bool legacy)
{
    BeginWait();
    const QString path = engine->GetPath();
    m_lastProjectFolder = QFileInfo(path).absolutePath();
    CloseProjectUI();
    if (withWaitWindow)
        ::ShowWaitWindow(LoadString(AppText::OpeningProject).arg(path));
    const bool opened = m_document->OpenProject(std::move(engine), legacy);
    ::CloseWaitWindow();
    if (opened)
        AddToRecentList(path);
    EndWait();
    return opened;
}

bool CMainFrame::OpenProject(const QString& path)
{
    if (!m_document)
        return false;
    // Teamwork and exchange projects are read by importers of their own.
    if (HasSuffix(path, "xml"))
        return ImportXmlProject(path);
    if (HasSuffix(path, "nvp") || HasSuffix(path, "xml")) {
        ShowMessage(LoadString(AppText::ForeignProjectNotAvailable).arg(path), MessageKind::Warning);
        return false;
    }
    std::unique_ptr<ProjectDataEngine> engine = OpenProjectEngine(path);
    if (!engine || !LoadProject(std::move(engine), true, IsFirstGeneration(path)))
        return false;
    BackupProject();
    return true;
}

std::unique_ptr<ProjectDataEngine> CMainFrame::CreateProject(const QString& path)
{
    if (!QFileInfo::exists(path))
        return m_document->CreateProjectFile(path, kMainDataType);
    // The file the user chose to replace stays until the new one is whole.
    const QString temporary = SiblingTemporaryName(path);
    std::unique_ptr<ProjectDataEngine> engine =
        temporary.isEmpty() ? nullptr : m_document->CreateProjectFile(temporary, kMainDataType);
    if (!engine) {
        if (temporary.isEmpty())
            ShowMessage(LoadString(AppText::FileNotReplaced).arg(path, QString()), MessageKind::Error);
        return nullptr;
    }
    engine->Close();
    QString error;
    if (!ReplaceFile(temporary, path, error)) {
        ShowMessage(LoadString(AppText::FileNotReplaced).arg(path, error), MessageKind::Error);
        return nullptr;
    }
    return m_document->OpenProjectFile(path, kMainDataType);
}

void CMainFrame::OnNewProject()
{
    if (!m_document)
        return;
    const QString path = PromptForFile(QString(), ProjectFileType::NewProject);
    if (path.isEmpty())
        return;
    if (std::unique_ptr<ProjectDataEngine> engine = CreateProject(path))
        LoadProject(std::move(engine), false, false);
}

void CMainFrame::OnAddProject()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const QString path = PromptForFile(QString(), ProjectFileType::AddProject);
    if (path.isEmpty())
        return;
    std::unique_ptr<MergeSource> source = document->OpenMergeSource(path);
    if (!source)
        return;
    const bool replaceCodeMemos = AskYesNo(LoadString(MergeText::ReplaceCodeMemosQuestion));
    BeginWait();
    ::ShowWaitWindow(LoadString(MergeText::Waiting));
    document->MergeProject(*source, replaceCodeMemos);
    source.reset();  // the private copy goes at once
    ::CloseWaitWindow();
    EndWait();
}

void CMainFrame::OnOpenProject()
{
    if (!m_document)
        return;
    const QString path = PromptForFile(QString(), ProjectFileType::OpenProject);
    if (!path.isEmpty())
        OpenProject(path);
}

void CMainFrame::OnOpenRecent(int commandId)
{
    const int entry = commandId - CommandId::RecentProjectFirst + 1;
    if (!m_document || entry < 1 || entry >= m_settings.recentProjects.size())
        return;
    const QString path = m_settings.recentProjects.at(entry);
    if (!QFileInfo(path).isFile()) {
        m_settings.recentProjects.removeAt(entry);
        SaveRecentList();
        ShowMessage(LoadString(AppText::RecentProjectMissing).arg(path), MessageKind::Warning);
        return;
    }
    OpenProject(path);
}

bool CMainFrame::CopyProjectTo(const QString& target, QString& error)
{
    if (!QFileInfo::exists(target))
        return m_document->BackupProject(target, error);
    const QString temporary = SiblingTemporaryName(target);
    if (temporary.isEmpty() || !m_document->BackupProject(temporary, error))
        return false;
    return ReplaceFile(temporary, target, error);
}

void CMainFrame::OnBackupProject()
{
    if (!GetDocument())
        return;
    // The copy is proposed beside the project, under a name of its own.
    const QFileInfo project(GetDocument()->GetEngine() ? GetDocument()->GetEngine()->GetPath() : QString());
    const QString proposed =
        project.fileName().isEmpty()
            ? QString()
            : project.dir().filePath(LoadString(AppText::CopyFileName).arg(project.completeBaseName()) +
                                     QStringLiteral(".kv4"));
    const QString target = PromptForFile(proposed, ProjectFileType::SaveCopy);
    if (target.isEmpty())
        return;
    if (m_browserAccess)
        m_browserAccess->CommitEdits();
    BeginWait();
    QString error;
    const bool copied = CopyProjectTo(target, error);
    EndWait();
    if (!copied) {
        if (!error.isEmpty())
            ShowMessage(error, MessageKind::Error);
        return;
    }
    if (!AskYesNo(LoadString(AppText::OpenCopyQuestion)))
        return;
    if (std::unique_ptr<ProjectDataEngine> engine = m_document->OpenProjectFile(target, kMainDataType))
        LoadProject(std::move(engine), true, false);
}

void CMainFrame::CloseProjectUI()
{
    if (!GetDocument())
        return;
    CloseMemoWindows();
    if (m_browserAccess) {
        m_browserAccess->SaveViewState();
        m_browserAccess->CommitEdits();
    }
    m_document->SaveProjectSettings();
    m_listWindows->CloseAll();
    m_charts->CloseWindows();
    // The dialog counts in the project that is going.
    if (m_retrievalDialog)
        m_retrievalDialog->close();
    if (m_contextMenu)
        m_contextMenu->close();
    m_contextTarget.Reset();
    m_contextClipboard = {};
    LoadMedia(QString());
    m_document->ResetCaches();
    PumpUiMessages();
}

void CMainFrame::BackupProject()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const int days = document->GetDaysSinceBackup();
    if (days == 0)
        return;
    const QString folder = g_qdaOptions.GetString(QdaOption::BackupFolder);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    // Every backup is a file of its own, named by the second it was made;
    // a second one within the same second is not made.
    const QString path = QDir(folder).filePath(document->GetProjectName()
                                               + document->Now().toString(QStringLiteral("_yyyyMMdd-hhmmss"))
                                               + QStringLiteral(".kv4"));
    if (QFileInfo::exists(path))
        return;
    CheckMessageDlg question(this);
    question.m_strText = LoadString(AppText::BackupQuestion).arg(days);
    const bool agreed = question.exec() == QDialog::Accepted;
    if (question.m_nCheck == 0) {
        g_qdaOptions.SetBool(QdaOption::AutomaticBackup, false);
        QString error;
        if (!SaveOptionsFile(&error))
            ShowMessage(LoadString(FoundationText::OptionsNotSaved).arg(g_program.OptionsFilePath, error),
                        MessageKind::Error);
    }
    if (!agreed)
        return;
    if (m_browserAccess)
        m_browserAccess->CommitEdits();
    BeginWait();
    ::ShowWaitWindow(LoadString(AppText::BackupRunning));
    QString error;
    const bool copied = document->BackupProject(path, error);
    ::CloseWaitWindow();
    EndWait();
    if (copied) {
        document->StoreBackupDate();
        ShowMessage(LoadString(AppText::BackupDone).arg(folder));
    } else if (!error.isEmpty()) {
        ShowMessage(error, MessageKind::Error);
    }
}

QString CMainFrame::RunStartDialog()
{
    TopicDatabase* db = m_document ? &m_document->GetDatabase() : nullptr;
    for (;;) {
        CStartDlg dialog(this);
        dialog.m_strUserName = db && !db->GetUserName().isEmpty() ? db->GetUserName() : m_settings.defaultUser;
        dialog.m_users = m_settings.users;
        dialog.m_recentProjects = m_settings.recentProjects;
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QString user = dialog.m_strUserName.trimmed();
        m_settings.users = dialog.m_users;
        if (!user.isEmpty()) {
            if (db)
                db->SetUserName(user);
            m_settings.defaultUser = user;
            if (!m_settings.users.contains(user, Qt::CaseInsensitive))
                m_settings.users.append(user);
            if (!g_program.ProfilePath.isEmpty()) {
                PrivateProfile profile(g_program.ProfilePath);
                profile.WriteString(QStringLiteral("User"), QStringLiteral("Users"), FormatUserList(m_settings.users));
            }
        }
        if (dialog.m_nChoice == CStartDlg::NewProject) {
            const QString path = PromptForFile(QString(), ProjectFileType::NewProject);
            if (path.isEmpty() || !m_document)
                return {};
            std::unique_ptr<ProjectDataEngine> engine = CreateProject(path);
            if (!engine)
                return {};
            engine->Close();
            return path;
        }
        if (dialog.m_strProjectPath.isEmpty())
            return PromptForFile(QString(), ProjectFileType::OpenProject);
        if (QFileInfo(dialog.m_strProjectPath).isFile())
            return dialog.m_strProjectPath;
        // A recent project that is gone leaves the list, and the dialog comes
        // back for another choice.
        m_settings.recentProjects.removeAll(dialog.m_strProjectPath);
        ShowMessage(LoadString(AppText::RecentProjectMissing).arg(dialog.m_strProjectPath), MessageKind::Warning);
    }
}
