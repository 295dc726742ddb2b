// The frame's small dialogs: the list and the archive of the project's
// external files, and the display options of the browser's stripes.

#include "app/appids.h"
#include "app/conditioncommands.h"
#include "app/mainframe.h"
#include "browser/displayoptionsdlg.h"
#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "foundation/externalfiles.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "panes/externalfilesdlg.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"

#include <QApplication>

namespace {

namespace ArchiveText {
constexpr int Caption = 102250;
constexpr int Archived = 102252;      ///< "The external files were archived in"
constexpr int NothingToArchive = 102253;
constexpr int NotArchived = 193420;   ///< "These files could not be added to the archive"
constexpr int Close = 57345;
}  // namespace ArchiveText

namespace ArchiveHelp {
constexpr int Archived = 1001;
constexpr int NothingToArchive = 1002;
}  // namespace ArchiveHelp

/// The wait cursor for the lifetime of the guard, after pending paints.
class WaitCursor {
public:
    WaitCursor()
    {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

bool CMainFrame::OnDialogCommand(int id)
{
    switch (id) {
    case CommandId::ShowExternals: OnShowExternals(); return true;
    case CommandId::ArchiveExternals: OnArchiveExternals(); return true;
    case ConditionCommand::ActivateDocuments:
    case ConditionCommand::InterCoder: return OnConditionCommand(*this, id);
    default: return false;
    }
}

bool CMainFrame::OnUpdateDialogCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case CommandId::ShowExternals:
    case CommandId::ArchiveExternals:
        ui.Enable(GetDocument() && GetDocument()->GetEngine());
        return true;
    case ConditionCommand::ActivateDocuments:
    case ConditionCommand::InterCoder: return OnUpdateConditionCommand(*this, ui);
    default: return false;
    }
}

void CMainFrame::OnShowExternals()
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    ExternalFilesDlg dialog(this);
    {
        WaitCursor wait;
        QStringList paths;
        document->CollectExternalFiles(paths, &dialog.m_records);
    }
    dialog.exec();
}

void CMainFrame::OnArchiveExternals()
{
    CKorDoc* document = GetDocument();
    if (!document || !document->GetEngine())
        return;
    QuestionPrompt report;
    report.caption = LoadString(ArchiveText::Caption);
    report.firstButton = QLatin1String(kQuestionHelpButton);
    report.thirdButton = LoadString(ArchiveText::Close);
    int helpTopic = ArchiveHelp::NothingToArchive;
    {
        WaitCursor wait;
        const QString archive = document->GetEngine()->GetFileName(true) + QStringLiteral(".zip");
        QStringList paths;
        document->CollectExternalFiles(paths);
        if (paths.isEmpty()) {
            // Nothing is written: an empty archive would only mislead.
            report.message = QStringLiteral("\n%1").arg(LoadString(ArchiveText::NothingToArchive));
        } else {
            QStringList failed;
            ZipFileList(archive, paths, &failed);
            report.message = QStringLiteral("\n%1:\n\n%2").arg(LoadString(ArchiveText::Archived), archive);
            if (!failed.isEmpty())
                report.message += QStringLiteral("\n\n%1:\n%2").arg(LoadString(ArchiveText::NotArchived),
                                                                    failed.join(QLatin1Char('\n')));
            helpTopic = ArchiveHelp::Archived;
        }
    }
    if (AskQuestion(report) == MessageAnswer::Yes)
        ShowHelpTopic(int(HelpKind::Program), helpTopic);
}

void CMainFrame::ShowDisplayOptions(QPoint point)
{
    CKorDoc* document = GetDocument();
    if (!document || !m_browser)
        return;
    auto* dialog = new DisplayOptionsDlg221(m_browser, this);
    dialog->m_point = point;
    document->ListCodingAuthors(dialog->m_coders);
    document->ListUsedColors(dialog->m_colors, TopicId::Codes);
    dialog->m_filter = document->GetProgramLists().codingsColorFilter;
    connect(dialog, &DisplayOptionsDlg221::codingColourFilterChanged, this, [this](const QList<COLORREF>& filter) {
        if (CKorDoc* open = GetDocument())
            open->GetProgramLists().codingsColorFilter = filter;
    });
    dialog->show();
}
