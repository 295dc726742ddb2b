#pragma once

#include "foundation/commandtarget.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class CKorDoc;
class ILexicalService;
namespace dictionary {
class WordFrequencyCounter;
}
class IRetrievalService;
class IProjectMergeService;
class ITeamExchangeService;
class IExportService;
class CMainFrame;
class CMessageBoxService;

/// @short Starts processes for the actions scheduled for the moment of exit.
/// The application uses the real one; tests record instead.
class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    /// Opens a file, folder or address with the desktop's handler.
    virtual bool OpenTarget(const QString& target) = 0;
    /// Starts a program with its arguments as a list (no shell ever reads
    /// them) in `workingFolder`, detached from this process.
    virtual bool StartDetached(const QString& program, const QStringList& arguments,
                               const QString& workingFolder) = 0;
};

/// @short What the program does once it has shut down: open a target (an
/// update's page or file), or else start a program (the restart after a
/// language switch). Set by commands, read only at exit.
struct ExitActions {
    QString openTarget;           ///< wins over `program` when set
    QStringList openArguments;    ///< with these the target is started as a program
    QString program;
    QStringList arguments;
};

/// @short The application object: start-up, shutdown, the application's
/// own commands and the program's message box.
///
/// Start-up fixes the program-wide values (g_program), opens the language
/// table, loads the options, shows the splash and makes the main frame;
/// shutdown saves the profile values and the options and runs the exit
/// actions. One instance per process, on the UI thread.
class CMainApp : public QObject, public ICommandTarget {
    Q_OBJECT
public:
    CMainApp();
    ~CMainApp() override;

    /// The running application object; null outside its lifetime.
    static CMainApp* Instance();

    /// Starts the program. `arguments` are the command line without Qt's
    /// own options (the first is the program); `programFolder` holds the
    /// language table and the portable settings. False ends the program: a
    /// message has then told why, and nothing was saved.
    bool InitInstance(const QStringList& arguments, const QString& programFolder);
    /// Shuts down after the event loop ended and returns `exitCode`.
    int ExitInstance(int exitCode);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CKorDoc* Document() const { return m_document.get(); }
    /// The project named on the command line, absolute; empty when none.
    /// The frame's deferred start-up opens it.
    QString PendingProjectPath() const { return m_pendingProject; }

    ExitActions& Exit() { return m_exit; }
    /// Restarts the program when it ends, with the project (if any) on the
    /// new command line.
    void ScheduleRestart(const QString& projectPath);
    /// Replaces the process launcher (not owned; null restores the real one).
    void SetLauncher(IProcessLauncher* launcher);
    /// Turns the splash screen off (tests that look at windows).
    void SetShowSplash(bool show) { m_showSplash = show; }
    /// Delay of the frame's deferred start-up in milliseconds; -1 leaves it
    /// to the caller (tests of the start-up steps alone).
    void SetStartupDelay(int delayMs) { m_startupDelay = delayMs; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    /// The About box, modal over the frame.
    void AppAbout();

private:
    void SettleLanguage();
    void SettleTagCloudStopList();
    void SettleBackupFolder();
    bool ParseCommandLine(const QStringList& arguments);
    void SaveSettings();
    void RunExitActions();

    std::unique_ptr<CMessageBoxService> m_messages;
    // The engine outlives the document that calls it.
    std::unique_ptr<IRetrievalService> m_retrieval;
    std::unique_ptr<IProjectMergeService> m_merge;
    std::unique_ptr<ITeamExchangeService> m_exchange;
    std::unique_ptr<IExportService> m_exports;
    std::unique_ptr<ILexicalService> m_lexical;
    std::unique_ptr<dictionary::WordFrequencyCounter> m_wordCounter;
    std::unique_ptr<CKorDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    IProcessLauncher* m_launcher;
    QString m_pendingProject;
    ExitActions m_exit;
    bool m_showSplash = true;
    int m_startupDelay = 200;
    bool m_started = false;
};
