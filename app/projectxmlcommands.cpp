// The project as XML for other programs: the whole project with its content
// files, and the report file of picked codes, whose folder is then opened
// (the report program itself is not part of this build).

#include "app/projectxmlcommands.h"

#include "app/mainframe.h"

#include "dictionary/codeselectdlg.h"
#include "document/kordoc.h"
#include "exchange/projectxml.h"
#include "exchange/tableexports.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/uimessages.h"
#include "foundation/waitwindow.h"
#include "panes/treepanewindow.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QDir>

namespace {

constexpr int kIncompleteText = 208003;
const QString kReportCodesKey = QStringLiteral("ReportCodes");

void ShowProblems(const QStringList& problems)
{
    if (!problems.isEmpty())
        ShowMessage(LoadString(kIncompleteText).arg(problems.join(u'\n')), MessageKind::Warning);
}

QString CodeToken(qint32 code)
{
    return QStringLiteral("[%1]").arg(code);
}

}  // namespace

void ExportProjectXml(CMainFrame& frame)
{
    CKorDoc* document = frame.GetDocument();
    if (!document || !document->GetEngine())
        return;
    FilePrompt prompt;
    prompt.kind = FilePromptKind::Folder;
    prompt.path = g_program.ExportFolder;
    const QString folder = PromptForFiles(prompt).value(0);
    if (folder.isEmpty())
        return;
    g_program.ExportFolder = folder;
    PumpUiMessages();
    ProjectXml::Outcome outcome;
    {
        WaitCursor wait;
        outcome = ProjectXml::ExportProject(*document, folder);
    }
    ShowProblems(outcome.problems);
}

void ExportReportXml(CMainFrame& frame)
{
    CKorDoc* document = frame.GetDocument();
    if (!document || !document->GetEngine())
        return;
    TopicDatabase& db = document->GetDatabase();
    QString setting;
    document->ReadSetting(kReportCodesKey, setting);
    ReportCodeSelectDlg dialog(&frame);
    CodeSelItemArray items;
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    for (const qint32 code : std::as_const(codes)) {
        if (db.GetIntValue(TopicId::Codes, code, CodeField::Parent) != 0)
            continue;
        CodeSelItem item;
        item.codeId = code;
        item.checked = setting.contains(CodeToken(code));
        item.name = db.FormatRowDisplay(TopicId::Codes, code, false).left(CodeSelItem::kNameUnits);
        items.Add(item);
    }
    dialog.m_items = &items;
    dialog.m_allowOnlyActivated = document->GetActivatedCount(TopicId::Documents) > 0;
    if (dialog.exec() != QDialog::Accepted)
        return;
    PumpUiMessages();
    QList<qint32> picked;
    QString value;
    for (qsizetype i = 0; i < items.GetSize(); ++i)
        if (items[i].checked) {
            picked.append(items[i].codeId);
            value += CodeToken(items[i].codeId);
        }
    document->WriteSettingString(kReportCodesKey, value);

    ProjectXml::Outcome outcome;
    {
        WaitCursor wait;
        QList<qint32> documents;
        if (const TreePaneWindow* tree = frame.DocumentTree())
            documents = tree->GetDocumentsInTreeOrder();
        else
            db.GetAllKeys(TopicId::Documents, documents);
        if (dialog.m_onlyActivated)
            documents.removeIf([document](qint32 id) { return !document->IsActivated(TopicId::Documents, id); });
        const QString base = g_program.DocumentsFolder.isEmpty() ? QDir::homePath() : g_program.DocumentsFolder;
        outcome = ProjectXml::ExportReport(*document, base, picked, documents);
    }
    ShowProblems(outcome.problems);
    if (outcome.written)
        TableExports::OpenResult(outcome.folder);
}
