// The frame's commands on the program's own settings: program and
// dictionary options with what follows from them, the interface language,
// the user name, the search-hit extent, the update check and a document's
// properties.

#include "app/mainframe.h"

#include "app/framesettings.h"
#include "app/listwindows.h"
#include "app/mainapp.h"
#include "app/optionsids.h"
#include "app/toolcommands.h"
#include "app/updatecheck.h"
#include "app/wordfreqcommands.h"
#include "browser/mediaplayer.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "foundation/help.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "platform/profile/privateprofile.h"
#include "foundation/programpaths.h"
#include "foundation/propertylist.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/listids.h"
#include "panes/objtreectrl.h"
#include "panes/spinoptionsdlg.h"
#include "platform/media/mediaduration.h"
#include "store/compressedblob.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/propertiesdlg.h"
#include "ui/usernamedlg.h"

#include <QDate>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

using namespace rowfields;

constexpr int kOptionsHelpTopic = 1056;
constexpr int kDictionaryHelpTopic = 3008;
constexpr int kDocumentHelpTopic = 1058;
constexpr qint32 kDocumentFlag80 = 0x80;

// The records of the document properties.
namespace DocumentProperty {
constexpr qint32 MediaGroup = 1, MediaFile = 2, LinksGroup = 3, Link1 = 4, Link2 = 5, Link3 = 6, MoreGroup = 7,
                 Flag80 = 8, HasExternal = 9, ExternalFile = 10;
}  // namespace DocumentProperty

std::function<qint64(const QString&)>& DurationProbe()
{
    static std::function<qint64(const QString&)> probe;
    return probe;
}

qint64 MeasureMedia(const QString& path)
{
    return DurationProbe() ? DurationProbe()(path) : ProbeMediaDuration(path);
}

QString MediaTime(qint64 ms)
{
    const auto total = quint64(std::max<qint64>(ms, 0));
    return QString::asprintf("%02u:%02u:%02u.%03u", unsigned(total / 3600000), unsigned(total / 60000 % 60),
                             unsigned(total / 1000 % 60), unsigned(total % 1000));
}

// A failure to write the options file is told, never passed over.
void SaveOptionsOrSay()
{
    QString error;
    if (!SaveOptionsFile(&error))
        ShowMessage(LoadString(FoundationText::OptionsNotSaved).arg(g_program.OptionsFilePath, error),
                    MessageKind::Error);
}

// The settings share one "changed" flag with the search-hit lists: a list
// asks for it before it autocodes or exports its hits.
bool g_spinSettingsChanged = false;

}  // namespace

void SetMediaDurationProbe(std::function<qint64(const QString&)> probe)
{
    DurationProbe() = std::move(probe);
}

void CMainFrame::BuildOptionsMenus(QMenu* help)
{
    QMenu* tools = m_commands.CreateMenu(OptionsText::ToolsMenu, this);
    tools->addAction(m_commands.Action(OptionsCommand::ProgramOptions));
    tools->addAction(m_commands.Action(OptionsCommand::DictionaryOptions));
    tools->addAction(m_commands.Action(OptionsCommand::SpinSettings));
    tools->addAction(m_commands.Action(OptionsCommand::UserName));
    // The languages are in the Window menu and on the language toolbar.
    menuBar()->insertMenu(help->menuAction(), tools);
    help->addAction(m_commands.Action(OptionsCommand::WebUpdate));
}

bool CMainFrame::OnOptionsCommand(int id)
{
    if (id >= OptionsCommand::LanguageFirst && id <= OptionsCommand::LanguageLast) {
        OnLanguage(id);
        return true;
    }
    switch (id) {
    case OptionsCommand::ProgramOptions: OnOptions(); return true;
    case OptionsCommand::DictionaryOptions: OnQntOptions(); return true;
    case OptionsCommand::UserName: OnUserName(); return true;
    case OptionsCommand::SpinSettings: OnSpinSettings(); return true;
    case OptionsCommand::WebUpdate: CheckForUpdate(false); return true;
    case OptionsCommand::DocumentProperties:
        // Until the context dispatcher carries it, the tree's node is taken here.
        if (m_contextTarget.kind != NodeKind::Document)
            return false;
        ShowTextProperties(m_contextTarget.kind, m_contextTarget.item);
        m_contextTarget.Reset();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateOptionsCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case OptionsCommand::ProgramOptions:
    case OptionsCommand::DictionaryOptions:
    case OptionsCommand::UserName:
    case OptionsCommand::SpinSettings:
        ui.Enable(GetDocument() != nullptr);
        return true;
    case OptionsCommand::WebUpdate:
        // Nothing is installed by the check, so no administrator is needed.
        ui.Enable(true);
        return true;
    case OptionsCommand::DocumentProperties:
        if (m_contextTarget.kind != NodeKind::Document)
            return false;
        ui.Enable(GetDocument() != nullptr);
        return true;
    default:
        return false;
    }
}

// ---- Program and dictionary options -------------------------------------------

void CMainFrame::OnOptions()
{
    if (!GetDocument())
        return;
    if (g_qdaOptions.GetString(QdaOption::ExternalsFolder).isEmpty())
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, GetDefaultExternalsFolder());
    const QString previousFolder = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
    const qint32 previousWeight = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
    CPropertiesDlg dialog(this, int(HelpKind::Program), kOptionsHelpTopic, OptionsText::HelpTip, 0);
    dialog.m_strTitle = LoadString(OptionsText::ProgramOptionsTitle);
    dialog.m_strSection = QStringLiteral("dlgKORVANProperties");
    dialog.SetList(&g_qdaOptions);
    if (dialog.exec() != QDialog::Accepted || !g_qdaOptions.IsModified())
        return;
    ApplyProgramOptions(previousFolder, previousWeight);
}

void CMainFrame::ApplyProgramOptions(const QString& previousFolder, qint32 previousWeight)
{
    CKorDoc* document = GetDocument();
    CPropertyList& qda = g_qdaOptions;
    if (qda.IsItemModified(QdaOption::CodeTreeCheckColumn) && m_codeTree)
        m_codeTree->SetCheckColumnWidth(qda.GetBool(QdaOption::CodeTreeCheckColumn));
    UpdateStatusBar();

    if (qda.IsItemModified(QdaOption::ExternalsFolder)) {
        QString folder = qda.GetString(QdaOption::ExternalsFolder);
        if (folder.isEmpty())
            folder = GetDefaultExternalsFolder();
        if (!EnsureFolder(folder)) {
            ShowMessage(LoadString(OptionsText::FolderNotMade).arg(folder), MessageKind::Error);
        } else if (folder.compare(previousFolder, Qt::CaseInsensitive) != 0 && IsFolderPath(previousFolder)) {
            QString question = LoadString(OptionsText::MoveExternalsQuestion);
            UnescapeText(question, false);
            const QuestionPrompt prompt{LoadString(OptionsText::MoveExternalsCaption),
                                        question.arg(previousFolder, folder),
                                        LoadString(OptionsText::MoveExternalsMove),
                                        LoadString(OptionsText::MoveExternalsCopy),
                                        LoadString(OptionsText::MoveExternalsLeave)};
            const MessageAnswer answer = AskQuestion(prompt);
            if (answer == MessageAnswer::Yes || answer == MessageAnswer::No) {
                const WaitCursor wait;
                CopyFolderFiles(previousFolder, folder, QString(), true, answer == MessageAnswer::Yes);
            }
        }
    }

    // One notice, however many of the options that need a restart changed.
    if ((qda.GetBool(QdaOption::ResetProfileAtExit) && qda.IsItemModified(QdaOption::ResetProfileAtExit))
        || qda.IsItemModified(QdaOption::PaneLayout) || qda.IsItemModified(QdaOption::LargeFonts))
        ShowMessage(LoadString(OptionsText::RestartNeeded), MessageKind::Warning);

    if (qda.IsItemModified(QdaOption::DefaultWeight) && document) {
        const qint32 weight = qda.GetInt(QdaOption::DefaultWeight);
        // The codings to rewrite are those of the old default weight, which
        // the project reads from the option: it holds the old value for the
        // length of the call.
        qda.SetValueText(QdaOption::DefaultWeight, QString::number(previousWeight));
        ShowWaitWindow();
        const bool changed = document->ReplaceCodingWeight(weight);
        CloseWaitWindow();
        qda.SetValueText(QdaOption::DefaultWeight, QString::number(weight));
        if (changed && document->GetRetrievalSettings().weightFilter)
            document->RunRetrieval(document->GetRetrievalSettings(), 0);
        UpdateStatusBar();
    }

    if (m_mediaPlayer) {
        if (qda.IsItemModified(QdaOption::MediaRate))
            m_mediaPlayer->SetRate(qda.GetDouble(QdaOption::MediaRate));
        if (qda.IsItemModified(QdaOption::MediaRewind))
            m_mediaPlayer->SetRewindSeconds(qda.GetInt(QdaOption::MediaRewind));
    }

    SaveOptionsOrSay();
    qda.ClearModified();
}

void CMainFrame::OnOptionsLayout()
{
    constexpr int kLayoutTitle = 102077;
    CPropertiesDlg dialog(this, int(HelpKind::Program), kOptionsHelpTopic, OptionsText::HelpTip, 0);
    dialog.m_strTitle = LoadString(kLayoutTitle);
    dialog.m_strSection = QStringLiteral("dlgPrnExpProperties");
    dialog.SetList(&g_prnexpOptions);
    if (dialog.exec() != QDialog::Accepted || !g_prnexpOptions.IsModified())
        return;
    SaveOptionsOrSay();
    g_prnexpOptions.ClearModified();
}

void CMainFrame::OnQntOptions()
{
    if (!GetDocument())
        return;
    CPropertiesDlg dialog(this, int(HelpKind::Dictionary), kDictionaryHelpTopic, OptionsText::HelpTip, 0);
    dialog.m_strTitle = LoadString(OptionsText::DictionaryOptionsTitle);
    dialog.m_strSection = QStringLiteral("dlgWordhoardProperties");
    dialog.SetList(&g_dictioOptions);
    if (dialog.exec() != QDialog::Accepted || !g_dictioOptions.IsModified())
        return;
    if (g_dictioOptions.IsItemModified(DictioOption::WordSeparators))
        ApplyWordSeparators();
    SaveOptionsOrSay();
    g_dictioOptions.ClearModified();
}

// ---- Language, user name, search-hit extent --------------------------------------

void CMainFrame::OnLanguage(int commandId)
{
    CKorDoc* document = GetDocument();
    const int index = commandId - OptionsCommand::LanguageFirst;
    if (!document || index == g_program.LanguageIndex)
        return;
    const WaitCursor wait;
    // Read at the next start where start-up looks first: beside the program
    // only when portable (ProfilePath is then that file), else the user's.
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), index);
    const QString project = document->GetEngine() ? document->GetEngine()->GetPath() : QString();
    CMainApp* app = CMainApp::Instance();
    if (app)
        app->ScheduleRestart(project);
    // The close runs as the user's would; when it is refused (a question
    // cancelled, work still running) nothing restarts.
    QTimer::singleShot(0, this, [this, app] {
        if (!close() && app && CMainApp::Instance() == app)
            app->Exit() = ExitActions();
    });
}

void CMainFrame::OnUserName()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    TopicDatabase& db = document->GetDatabase();
    CUserNameDlg dialog(m_settings.users, db.GetUserName(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.CurrentUser().trimmed();
    if (!name.isEmpty())
        db.SetUserName(name);
    m_settings.users = dialog.KnownUsers();
    if (!db.GetUserName().isEmpty() && !m_settings.users.contains(db.GetUserName(), Qt::CaseInsensitive))
        m_settings.users.append(db.GetUserName());
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath)
            .WriteString(QStringLiteral("User"), QStringLiteral("Users"), FormatUserList(m_settings.users));
}

bool CMainFrame::OnSpinSettings()
{
    CKorDoc* document = GetDocument();
    if (!document)
        return false;
    g_spinSettingsChanged = false;
    OptionsRecord& settings = document->GetRetrievalSettings();
    SpinOptionsDlg dialog(this);
    dialog.m_choice = settings.hitExtent;
    dialog.m_first = settings.paragraphsBefore;
    dialog.m_second = settings.paragraphsAfter;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings.hitExtent = dialog.m_choice;
    settings.paragraphsBefore = dialog.m_first;
    settings.paragraphsAfter = dialog.m_second;
    g_spinSettingsChanged = true;
    return true;
}

bool CMainFrame::SpinSettingsChanged()
{
    return g_spinSettingsChanged;
}

bool CMainFrame::ListCommand(ObjectListWindow* window, int commandId)
{
    Q_UNUSED(window);
    if (commandId == ListCommand::NewFreeMemo) {
        NewFreeMemo();
        return true;
    }
    if (commandId == kMarkSearchHitsCommand) {
        MarkSelectedSearchHits(window);
        return true;
    }
    if (commandId == WordFreqCommand::FrequencyVariables)
        return m_wordFreq->OnCommand(commandId);
    if (commandId != OptionsCommand::SpinSettings)
        return false;
    OnSpinSettings();
    return g_spinSettingsChanged;
}

// ---- Update check -------------------------------------------------------------

void CMainFrame::CheckForUpdate(bool quiet)
{
    const UpdateAddresses& addresses = GetUpdateAddresses();
    const QString installed = InstalledReleaseCode(g_program.BuildString);
    ReleaseCheckResult result;
    {
        const WaitCursor wait;
        result = CheckReleaseServer(addresses.releaseCheck, installed);
    }
    switch (result.outcome) {
    case ReleaseCheckResult::Newer:
        OfferNewerRelease(installed, result.offered);
        break;
    case ReleaseCheckResult::NotNewer:
        if (!quiet)
            ShowMessage(LoadString(OptionsText::NoNewerRelease), MessageKind::Information);
        break;
    case ReleaseCheckResult::Failed:
        if (!quiet)
            ShowMessage(LoadString(OptionsText::NoReleaseServer), MessageKind::Error);
        break;
    }
}

void CMainFrame::OfferNewerRelease(const QString& installed, const QString& offered)
{
    if (AskUser(LoadString(OptionsText::NewerRelease).arg(installed, offered), MessageButtons::YesNo,
                MessageKind::Question, MessageAnswer::Yes) == MessageAnswer::Yes)
        OpenReleasePage(GetUpdateAddresses().releasePage);
}

void CMainFrame::StartupUpdateCheck()
{
    if (!g_qdaOptions.GetBool(QdaOption::UpdateCheck) || g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile profile(g_program.ProfilePath);
    const QString section = QStringLiteral("Update");
    const QString key = QStringLiteral("LastCheck");
    // Written as an ISO date: a date in the user's format would not read
    // back after the locale changed.
    const QDate last = QDate::fromString(profile.GetString(section, key), Qt::ISODate);
    const QDate today = QDate::currentDate();
    if (last.isValid() && last.addDays(g_qdaOptions.GetInt(QdaOption::UpdateCheckDays)) > today)
        return;
    profile.WriteString(section, key, today.toString(Qt::ISODate));
    const QString installed = InstalledReleaseCode(g_program.BuildString);
    auto* check = new CReleaseCheck(GetUpdateAddresses().releaseCheck, installed, 15000, this);
    connect(check, &CReleaseCheck::Finished, this, [this, check, installed] {
        check->deleteLater();
        // Quiet: only a newer release is told.
        if (check->Result().outcome == ReleaseCheckResult::Newer)
            OfferNewerRelease(installed, check->Result().offered);
    });
}

// ---- Document properties --------------------------------------------------------

void CMainFrame::ShowTextProperties(qint32 nodeKind, qint32 item)
{
    CKorDoc* document = GetDocument();
    if (!document || nodeKind != NodeKind::Document)
        return;
    TopicDatabase& db = document->GetDatabase();
    RowBuffer row;
    if (!db.ReadRow(TopicId::Documents, item, row, false))
        return;
    // The external source: the file the stored content names after "EXTERN:".
    QByteArray stored;
    QByteArray content;
    if (db.ReadStoredBlob(TopicId::Documents, item, DocumentField::Text, stored) && !DecompressBlob(stored, content))
        content = stored;
    const QString external = StripExternPrefix(&content);
    const qint32 state = IntOf(row, DocumentField::State);
    const bool pdf = IntOf(row, DocumentField::DocType) == DocumentKind::Pdf;

    CPropertyList list;
    const auto add = [&list](qint32 id, int caption, PropertyType type, const QString& value) {
        CPropertyRecord record(id, 0, LoadString(caption), type);
        record.SetValueText(value);
        list.Add(record);
    };
    using namespace DocumentProperty;
    add(MediaGroup, OptionsText::MediaGroup, PropertyType::Group, {});
    add(MediaFile, OptionsText::MediaFile, PropertyType::Text, TextOf(row, DocumentField::MediaFile).trimmed());
    add(LinksGroup, OptionsText::LinksGroup, PropertyType::Group, {});
    add(Link1, OptionsText::Link1, PropertyType::Text, TextOf(row, DocumentField::ExtLink1));
    add(Link2, OptionsText::Link2, PropertyType::Text, TextOf(row, DocumentField::ExtLink2));
    add(Link3, OptionsText::Link3, PropertyType::Text, TextOf(row, DocumentField::ExtLink3));
    add(MoreGroup, OptionsText::MoreGroup, PropertyType::Group, {});
    add(Flag80, OptionsText::Flag80, PropertyType::Boolean,
        QString::number((state & kDocumentFlag80) || pdf ? 1 : 0));
    add(HasExternal, OptionsText::HasExternalSource, PropertyType::Boolean, QString::number(external.isEmpty() ? 0 : 1));
    add(ExternalFile, OptionsText::ExternalSource, PropertyType::Text, external);

    CPropertiesDlg dialog(this, int(HelpKind::Program), kDocumentHelpTopic, OptionsText::HelpTip,
                          external.isEmpty() ? 0 : OptionsText::CheckExternalButton);
    dialog.m_strTitle = QStringLiteral("%1: %2").arg(LoadString(OptionsText::DocumentCaption),
                                                     db.FormatRowDisplay(TopicId::Documents, item, false));
    dialog.m_strSection = QStringLiteral("dlgTextProperties");
    dialog.SetList(&list);
    const int result = dialog.exec();
    if (result == QDialog::Accepted) {
        const WaitCursor wait;
        ApplyTextProperties(*document, item, row, list);
    } else if (result == CPropertiesDlg::kExtraResult) {
        const WaitCursor wait;
        row.Commit(false, false);
        if (!external.isEmpty())
            ReportExternalFile(external);
    }
}

void CMainFrame::ApplyTextProperties(CKorDoc& document, qint32 item, RowBuffer& row, const CPropertyList& list)
{
    using namespace DocumentProperty;
    if (!list.IsModified()) {
        row.Commit(false, false);
        return;
    }
    if (list.IsItemModified(Flag80)) {
        const qint32 state = IntOf(row, DocumentField::State);
        SetInt(row, DocumentField::State, list.GetBool(Flag80) ? (state | kDocumentFlag80) : (state & ~kDocumentFlag80));
    }
    const std::pair<qint32, qint32> links[] = {
        {Link1, DocumentField::ExtLink1}, {Link2, DocumentField::ExtLink2}, {Link3, DocumentField::ExtLink3}};
    for (const auto& [id, field] : links)
        if (list.IsItemModified(id))
            SetText(row, field, list.GetString(id));   // cut to the field's width
    const bool shown = document.GetShownDocument() == item;
    if (!list.IsItemModified(MediaFile)) {
        row.Commit(false, false);
    } else {
        const QString media = list.GetString(MediaFile).trimmed();
        if (media.isEmpty()) {
            SetText(row, DocumentField::MediaFile, QString());
            row.Commit(false, false);
            if (shown)
                LoadMediaFile(QString());
        } else {
            QString externals = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
            QString resolved = ResolveLinkTarget(media, externals, QString());
            const qint64 duration = resolved.isEmpty() ? 0 : MeasureMedia(resolved);
            if (duration > 0) {
                SetText(row, DocumentField::MediaFile, media);
                row.Commit(false, false);
                StoreWholeMediaMark(document, item, duration);
                if (shown)
                    LoadMediaFile(media);
            } else {
                row.Commit(false, false);
                ShowMessage(media + u' ' + LoadString(OptionsText::NoPlayableLength), MessageKind::Warning);
            }
        }
    }
    document.NotifyChanged(TopicId::Documents, item);
}

void CMainFrame::StoreWholeMediaMark(CKorDoc& document, qint32 item, qint64 duration)
{
    TopicDatabase& db = document.GetDatabase();
    QList<qint32> marks;
    db.FindKeysByParent(TopicId::MediaMarks, TopicId::Documents, item, marks);
    // Marks the user placed stay as they are.
    if (marks.size() > 1)
        return;
    if (marks.isEmpty()) {
        CKorDoc::MediaMarkRecord mark;
        mark.TextID = item;
        mark.Begin = MediaTime(0);
        mark.End = MediaTime(duration);
        document.AddMediaMarks(item, {mark});
        return;
    }
    RowBuffer row;
    if (!db.ReadRow(TopicId::MediaMarks, marks.first(), row, false))
        return;
    SetInt(row, MediaMarkField::Document, item);
    SetInt(row, MediaMarkField::State, 0);
    SetInt(row, MediaMarkField::StartChar, 0);
    SetText(row, MediaMarkField::Begin, MediaTime(0));
    SetText(row, MediaMarkField::End, MediaTime(duration));
    row.Commit(false, false);
}

void CMainFrame::ReportExternalFile(const QString& name)
{
    const QString projectFolder =
        GetDocument() && GetDocument()->GetEngine() ? QFileInfo(GetDocument()->GetEngine()->GetPath()).absolutePath()
                                                    : QString();
    const QList<ExternalFileCheck> checks = CheckExternalFiles({name}, projectFolder);
    QStringList lines;
    for (const ExternalFileCheck& check : checks) {
        switch (check.where) {
        case ExternalFileCheck::StoredPath:
            lines.append(LoadString(OptionsText::ExternalAtStoredPath).arg(check.foundPath));
            break;
        case ExternalFileCheck::ExternalsFolder:
            lines.append(LoadString(OptionsText::ExternalInExternals).arg(check.name, QFileInfo(check.foundPath).absolutePath()));
            break;
        case ExternalFileCheck::ProjectFolder:
            lines.append(LoadString(OptionsText::ExternalInProject).arg(check.name, QFileInfo(check.foundPath).absolutePath()));
            break;
        case ExternalFileCheck::Missing:
            lines.append(LoadString(OptionsText::ExternalMissing).arg(check.name, GetExternalsFolder(), projectFolder));
            break;
        }
    }
    lines.append(LoadString(OptionsText::ExternalNothingDeleted));
    ShowMessage(lines.join(u'\n'), MessageKind::Information);
}
