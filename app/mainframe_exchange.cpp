// The teamwork exchange commands of the context menus: codings out to an
// exchange file and back in through the exchange dialog, the code system
// out and in.

#include "app/mainframe.h"

#include "app/appids.h"
#include "document/kordoc.h"
#include "exchange/exchangechoicedlg.h"
#include "exchange/exchangeids.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/profile/privateprofile.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString kProfileSection = QStringLiteral("Project");
const QString kProfileKey = QStringLiteral("Options");

/// The frame's answers to the import: its dialog, and the protocol opened
/// by the desktop.
class FrameExchangeHost : public IExchangeImportHost {
public:
    explicit FrameExchangeHost(QWidget* parent) : m_parent(parent) {}

    bool ChooseExchangeImport(const TopicDatabase& exchange, const TopicDatabase& project,
                              const QString& sourceProject, const QList<qint32>& candidates,
                              ExchangeChoices& choices) override
    {
        // The dialog shows over the wait window, which waits meanwhile.
        ::CloseWaitWindow();
        CExchangeChoiceDlg dialog(&exchange, &project, sourceProject, m_parent);
        dialog.m_candidates = candidates;
        dialog.m_variables = choices.variables;
        dialog.m_codings = choices.codings;
        dialog.m_memos = choices.memos;
        dialog.m_links = choices.links;
        dialog.m_protocol = choices.protocol;
        dialog.m_mode = choices.codingMode;
        const bool ok = dialog.exec() == QDialog::Accepted;
        if (ok) {
            choices.variables = dialog.m_variables;
            choices.codings = dialog.m_codings;
            choices.memos = dialog.m_memos;
            choices.links = dialog.m_links;
            choices.protocol = dialog.m_protocol;
            choices.codingMode = dialog.m_mode;
            choices.assignment = dialog.m_assignment;
            ::ShowWaitWindow(LoadString(ExchangeText::ImportWaiting));
        }
        return ok;
    }
    void OpenProtocol(const QString& path) override { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

private:
    QWidget* m_parent;
};

/// ".kex" added when the name lacks it.
QString WithSuffix(QString path, const QString& suffix)
{
    if (!path.right(suffix.size()).toLower().endsWith(suffix))
        path += suffix;
    return path;
}

/// The project's file name cut before its first "." (whole when that is
/// its first character or missing).
QString ProposedName(const CKorDoc& document)
{
    const ProjectDataEngine* engine = document.GetEngine();
    const QString name = engine ? QFileInfo(engine->GetPath()).fileName() : QString();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

/// The last import's choices, kept in the long form of the frame's
/// retrieval settings (in the profile only).
ExchangeChoices StoredChoices(const QString& longForm)
{
    OptionsRecord record;
    record.Parse(longForm, true);
    ExchangeChoices choices;
    choices.variables = record.exchangeVariables;
    choices.codings = record.exchangeCodings;
    choices.memos = record.exchangeMemos;
    choices.protocol = record.exchangeProtocol;
    choices.codingMode = record.exchangeCodingMode;
    choices.links = record.exchangeLinks;
    return choices;
}

/// The long form with the choices in it, written to the profile at once.
QString StoreChoices(const QString& longForm, const ExchangeChoices& choices)
{
    OptionsRecord record;
    record.Parse(longForm, true);
    record.exchangeVariables = choices.variables;
    record.exchangeCodings = choices.codings;
    record.exchangeMemos = choices.memos;
    record.exchangeProtocol = choices.protocol;
    record.exchangeCodingMode = choices.codingMode;
    record.exchangeLinks = choices.links;
    const QString text = record.Format(true);
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteString(kProfileSection, kProfileKey, text);
    return text;
}

}  // namespace

void CMainFrame::ExportCodingsToExchange(CKorDoc& document, int id)
{
    const qint32 item = m_contextTarget.item;
    const TopicDatabase& db = document.GetDatabase();
    qint32 scope = 0;
    QString proposed = ProposedName(document);
    QString sourceText;
    QString sourceGroup;
    if (id == 20027) {
        scope = 2;
        proposed = sourceText = db.FormatRowDisplay(TopicId::Documents, item, false);
    } else if (id == 20125) {
        scope = 1;
        proposed = sourceGroup = db.FormatRowDisplay(TopicId::DocumentGroups, item, false);
    }
    QString path = PromptForFile(proposed, ProjectFileType::SaveExchange);
    if (path.isEmpty())
        return;
    path = WithSuffix(path, QStringLiteral(".kex"));
    BeginWait();
    ::ShowWaitWindow(LoadString(ExchangeText::ExportWaiting));
    document.ExportDocumentsToExchange(path, scope, scope ? item : 0, sourceText, sourceGroup);
    ::CloseWaitWindow();
    EndWait();
}

void CMainFrame::ImportExchangeProject(CKorDoc& document, int id)
{
    const qint32 scope = id == 20028 ? 2 : id == 20126 ? 1 : 0;
    const qint32 item = scope ? m_contextTarget.item : 0;
    const QString path = PromptForFile(QString(), ProjectFileType::OpenExchange);
    if (path.isEmpty())
        return;
    FrameExchangeHost host(this);
    ExchangeChoices choices = StoredChoices(m_settings.retrievalOptions);
    BeginWait();
    ::ShowWaitWindow(LoadString(ExchangeText::ImportWaiting));
    const ExchangeChoices before = choices;
    const bool imported = document.ImportExchangeFile(path, scope, item, host, choices);
    ::CloseWaitWindow();
    EndWait();
    // Confirmed choices are kept, even when the import then failed.
    if (imported || choices.variables != before.variables || choices.codings != before.codings ||
        choices.memos != before.memos || choices.protocol != before.protocol || choices.links != before.links ||
        choices.codingMode != before.codingMode)
        m_settings.retrievalOptions = StoreChoices(m_settings.retrievalOptions, choices);
    UpdateStatusBar();
}

void CMainFrame::ExportCodeSystemToExchange(CKorDoc& document)
{
    QString path = PromptForFile(LoadString(ExchangeText::CodeSystemName), ProjectFileType::SaveCodeSystemExchange);
    if (path.isEmpty())
        return;
    path = WithSuffix(path, QStringLiteral(".ktr"));
    QList<qint32> codes;
    document.GetDatabase().GetAllKeys(TopicId::Codes, codes);
    BeginWait();
    ::ShowWaitWindow(LoadString(ExchangeText::CodeExportWaiting));
    document.ExportCodesToExchange(path, codes);
    ::CloseWaitWindow();
    EndWait();
}

void CMainFrame::ImportCodeSystemFromExchange(CKorDoc& document)
{
    const QString path = PromptForFile(QString(), ProjectFileType::OpenCodeSystemExchange);
    if (path.isEmpty())
        return;
    BeginWait();
    ::ShowWaitWindow(LoadString(ExchangeText::CodeImportWaiting));
    document.ImportCodeSystemFromExchange(path);
    ::CloseWaitWindow();
    EndWait();
    UpdateStatusBar();
}
