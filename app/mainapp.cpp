#include "app/mainapp.h"

#include "app/aboutdlg.h"
#include "app/appids.h"
#include "app/mainframe.h"
#include "app/splash.h"
#include "dictionary/wordfrequency.h"
#include "document/kordoc.h"
#include "exchange/projectmerge.h"
#include "exchange/teamexchange.h"
#include "exchange/tableexports.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/lexicalengine.h"
#include "retrieval/retrievalengine.h"
#include "ui/messagebox.h"
#include "visual/modelreferences.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <clocale>

namespace {

CMainApp* g_app = nullptr;

const QString kBasic = QStringLiteral("Basic");
const QString kLangMain = QStringLiteral("LangMain");
const QString kDir = QStringLiteral("Dir");
const QString kExport = QStringLiteral("Export");
const QString kTagCloudStopList = QStringLiteral("TagCloudsStopp.txt");

class ProcessLauncher : public IProcessLauncher {
public:
    bool OpenTarget(const QString& target) override
    {
        const QUrl url = QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile);
        return QDesktopServices::openUrl(url);
    }
    bool StartDetached(const QString& program, const QStringList& arguments, const QString& workingFolder) override
    {
        return QProcess::startDetached(program, arguments, workingFolder);
    }
};

ProcessLauncher g_processLauncher;

// Lets the splash repaint between start-up steps.
void PumpStartup()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

CMainApp::CMainApp() : m_launcher(&g_processLauncher)
{
    g_app = this;
}

CMainApp::~CMainApp()
{
    CSplash::CloseSplash();
    m_frame.reset();
    m_document.reset();
    m_retrieval.reset();
    m_lexical.reset();
    m_wordCounter.reset();
    if (m_messages && GetMessageService() == m_messages.get())
        SetMessageService(nullptr);
    if (g_app == this)
        g_app = nullptr;
}

CMainApp* CMainApp::Instance()
{
    return g_app;
}

void CMainApp::SetLauncher(IProcessLauncher* launcher)
{
    m_launcher = launcher ? launcher : &g_processLauncher;
}

bool CMainApp::InitInstance(const QStringList& arguments, const QString& programFolder)
{
    std::setlocale(LC_ALL, "");
    // Tests answer messages themselves; the program shows boxes.
    if (!GetMessageService()) {
        m_messages = std::make_unique<CMessageBoxService>();
        SetMessageService(m_messages.get());
    }

    // Folders, portable mode and the language.
    g_program = ResolveProgramPaths(programFolder);
    EnsureFolder(g_program.DocumentsFolder);
    EnsureFolder(g_program.SharedDocumentsFolder);
    SettleLanguage();
    SettleTagCloudStopList();
    const PrivateProfile profile(g_program.ProfilePath);
    g_program.ExportFolder = profile.GetString(kDir, kExport);
    if (g_program.ExportFolder.isEmpty())
        g_program.ExportFolder = g_program.DocumentsFolder;

    // Without its texts the program cannot show anything meaningful; the
    // store's own reason is all there is to say.
    if (!g_pStringStore->Open(g_program.StringTablePath, g_program.LanguageIndex)) {
        ShowMessage(g_pStringStore->LastError(), MessageKind::Error);
        return false;
    }
    g_program.BuildString = LoadString(FoundationText::ProgramVersion);
    g_program.AppTitle = LoadString(FoundationText::ProgramTitle) + QStringLiteral("  ") + g_program.BuildString;

    CSplash* splash = nullptr;
    if (m_showSplash)
        splash = CSplash::Start(CSplash::ProgramPicture(LoadString(FoundationText::ProgramTitle), g_program.BuildString),
                                CSplash::kDisplayTime, 0, [this]() -> QWidget* { return m_frame.get(); });
    if (splash)
        PumpStartup();

    BuildOptionDefinitions();
    SettleBackupFolder();
    PumpStartup();

    if (!ParseCommandLine(arguments)) {
        CSplash::CloseSplash();
        g_pStringStore->Close();
        return false;
    }
    m_retrieval = std::make_unique<retrieval::RetrievalEngine>();
    m_document = std::make_unique<CKorDoc>();
    m_document->SetRetrievalService(m_retrieval.get());
    m_lexical = std::make_unique<retrieval::LexicalEngine>();
    m_document->SetLexicalService(m_lexical.get());
    m_wordCounter = std::make_unique<dictionary::WordFrequencyCounter>(m_document.get());
    m_document->SetWordCounter(m_wordCounter.get());
    m_document->SetWordTally(m_wordCounter.get());
    auto merge = std::make_unique<ProjectMerge>();
    merge->SetModelReferenceMapper(&RemapModelReferences);
    m_merge = std::move(merge);
    m_document->SetMergeService(m_merge.get());
    m_exchange = std::make_unique<TeamExchange>();
    m_document->SetExchangeService(m_exchange.get());
    m_exports = std::make_unique<TableExports>();
    m_document->SetExportService(m_exports.get());
    m_frame = std::make_unique<CMainFrame>(this, m_document.get());
    if (m_messages)
        m_messages->SetOwner(m_frame.get());
    m_frame->ShowWithPlacement();
    // The tip of the day follows a start-up that opened a project.
    connect(m_frame.get(), &CMainFrame::StartupFinished, m_frame.get(), [frame = m_frame.get()](bool projectOpen) {
        if (projectOpen)
            frame->ShowTipsAtStartUp();
    });
    if (m_startupDelay >= 0)
        m_frame->StartDeferred(m_pendingProject, m_startupDelay);
    m_started = true;
    return true;
}

void CMainApp::SettleLanguage()
{
    // A missing or negative choice is settled once and written back where the
    // choice is read next time: beside the program only when portable (it is
    // read-only in an installed program), else in the user's profile.
    // ProfilePath is the portable settings file in portable mode.
    PrivateProfile profile(g_program.ProfilePath);
    if (profile.GetInt(kBasic, kLangMain, -1) < 0)
        profile.WriteInt(kBasic, kLangMain, g_program.LanguageIndex);
}

void CMainApp::SettleTagCloudStopList()
{
    const QString programCopy = g_program.ProgramFolder + kTagCloudStopList;
    if (g_program.PortableMode) {
        g_program.TagCloudStopListPath = programCopy;
        return;
    }
    // The user's copy may be edited; the program's stays as installed. A
    // failed copy leaves the list empty, as a list that was never made.
    g_program.TagCloudStopListPath = QDir(g_program.SharedDocumentsFolder).filePath(kTagCloudStopList);
    if (!QFileInfo::exists(g_program.TagCloudStopListPath) && QFileInfo::exists(programCopy))
        QFile::copy(programCopy, g_program.TagCloudStopListPath);
}

void CMainApp::SettleBackupFolder()
{
    QString folder = g_qdaOptions.GetString(QdaOption::BackupFolder);
    if (folder.isEmpty()) {
        folder = QDir(g_program.DocumentsFolder).filePath(QStringLiteral("Backup"));
        g_qdaOptions.SetString(QdaOption::BackupFolder, folder);
    }
    EnsureFolder(folder);
}

bool CMainApp::ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("project"), QString(), QStringLiteral("[project]"));
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        const QString reason = parser.errorText().isEmpty() ? arguments.mid(1).join(u' ') : parser.errorText();
        ShowMessage(LoadString(AppText::BadCommandLine).arg(reason), MessageKind::Error);
        return false;
    }
    if (!parser.positionalArguments().isEmpty())
        m_pendingProject = QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
    return true;
}

int CMainApp::ExitInstance(int exitCode)
{
    if (!m_started)
        return exitCode;
    m_started = false;
    CSplash::CloseSplash();
    // A frame still open (the event loop ended otherwise) closes in order.
    if (m_frame && m_frame->isVisible())
        m_frame->close();
    m_frame.reset();
    m_document.reset();
    SaveSettings();
    g_pStringStore->Close();
    RunExitActions();
    return exitCode;
}

void CMainApp::SaveSettings()
{
    PrivateProfile(g_program.ProfilePath).WriteString(kDir, kExport, g_program.ExportFolder);
    if (g_qdaOptions.GetBool(QdaOption::ResetProfileAtExit)) {
        // The portable settings file also says that the program is portable: keep that.
        if (g_program.PortableMode)
            PrivateProfile(g_program.ProfilePath).KeepOnlySection(kBasic);
        else
            QFile::remove(g_program.ProfilePath);
        g_qdaOptions.SetBool(QdaOption::ResetProfileAtExit, false);
    }
    // "prnexp" alone is saved by its own dialog. The table is still open so
    // that a failure can be told in words.
    if (!g_qdaOptions.IsModified() && !g_dictioOptions.IsModified() && !g_mapsOptions.IsModified())
        return;
    QString error;
    if (!SaveOptionsFile(&error))
        ShowMessage(LoadString(FoundationText::OptionsNotSaved).arg(g_program.OptionsFilePath, error),
                    MessageKind::Error);
}

void CMainApp::RunExitActions()
{
    if (!m_exit.openTarget.isEmpty()) {
        if (m_exit.openArguments.isEmpty())
            m_launcher->OpenTarget(m_exit.openTarget);
        else
            m_launcher->StartDetached(m_exit.openTarget, m_exit.openArguments, g_program.ProgramFolder);
    } else if (!m_exit.program.isEmpty()) {
        m_launcher->StartDetached(m_exit.program, m_exit.arguments, g_program.ProgramFolder);
    }
    m_exit = {};
}

void CMainApp::ScheduleRestart(const QString& projectPath)
{
    m_exit.program = QCoreApplication::applicationFilePath();
    m_exit.arguments = projectPath.isEmpty() ? QStringList() : QStringList{projectPath};
}

bool CMainApp::OnCommand(int id)
{
    switch (id) {
    case CommandId::AppAbout:
        AppAbout();
        return true;
    case CommandId::AppExit:
        if (m_frame)
            m_frame.get()->close();
        return true;
    default:
        return false;
    }
}

bool CMainApp::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case CommandId::AppAbout:
    case CommandId::AppExit:
        ui.Enable(true);
        return true;
    default:
        return false;
    }
}

void CMainApp::AppAbout()
{
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}
