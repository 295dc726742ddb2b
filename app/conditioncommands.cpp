#include "app/conditioncommands.h"

#include "app/listwindows.h"
#include "app/mainframe.h"
#include "browser/framebrowser.h"
#include "document/kordoc.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/intercoderoptdlg.h"
#include "retrieval/logicalactivationdlg.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/treeimages.h"

#include <QCoreApplication>

namespace {

const QString kInterCoderSection = QStringLiteral("InterCoder");
const QString kPercentKey = QStringLiteral("Percent");
constexpr int kDefaultPercent = 90;

/// What the user chose last in the inter-coder options, for this run.
struct InterCoderChoice {
    qint32 first = 0;
    qint32 second = 0;
    qint32 kind = 0;
};
InterCoderChoice g_lastInterCoder;

CKorDoc* OpenDocument(CMainFrame& frame)
{
    CKorDoc* document = frame.GetDocument();
    return document && document->GetEngine() ? document : nullptr;
}

}  // namespace

void ActivateByVariables(CMainFrame& frame, bool codes)
{
    CKorDoc* document = OpenDocument(frame);
    if (!document)
        return;
    const qint32 topic = codes ? TopicId::Codes : TopicId::Documents;
    QList<qint32> fields;
    document->GetDatabase().GetUserFieldIds(topic, fields);
    CLogicalActivationDlg dialog(&frame, static_cast<IListWindowOwner*>(&frame), fields, TreeImages::NodeImages());
    dialog.m_mode = 0;
    dialog.m_topic = topic;
    if (dialog.exec() != QDialog::Accepted)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    {
        WaitCursor wait;
        document->ActivateByVariables(dialog.Rows(), codes);
    }
    frame.UpdateStatusBar();
    if (codes && frame.Browser())
        frame.Browser()->Refresh();
}

void RunInterCoderCheck(CMainFrame& frame)
{
    CKorDoc* document = OpenDocument(frame);
    if (!document)
        return;
    TopicDatabase& db = document->GetDatabase();
    CInterCoderOptDlg dialog(&frame);
    PrivateProfile profile(g_program.ProfilePath);
    dialog.m_percent = profile.GetInt(kInterCoderSection, kPercentKey, kDefaultPercent);
    db.GetAllKeys(TopicId::Documents, dialog.m_documentIds);
    for (const qint32 id : std::as_const(dialog.m_documentIds))
        dialog.m_documentNames.append(db.FormatRowDisplay(TopicId::Documents, id, true));
    dialog.m_firstDocument = g_lastInterCoder.first;
    dialog.m_secondDocument = g_lastInterCoder.second;
    dialog.m_kind = g_lastInterCoder.kind;
    dialog.m_enableOnlyActivated = document->GetActivatedCount(TopicId::Codes) > 0;
    if (dialog.exec() != QDialog::Accepted)
        return;
    g_lastInterCoder = {dialog.m_firstDocument, dialog.m_secondDocument, dialog.m_kind};
    profile.WriteInt(kInterCoderSection, kPercentKey, dialog.m_percent);
    if (dialog.m_firstDocument <= 0 || dialog.m_secondDocument <= 0)
        return;
    document->OpenDocuments({dialog.m_firstDocument, dialog.m_secondDocument}, true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // Kinds 0 and 2 compare segments; the presence table of kind 1 has no
    // window yet, so the dialog does not offer it.
    CListWindows& lists = frame.ListWindows();
    for (const CListWindows::Kind kind : {CListWindows::CoderComparison, CListWindows::CoderAgreement})
        delete lists.Window(kind);
    QList<qint32> codes;
    db.GetAllKeys(TopicId::Codes, codes);
    if (dialog.m_onlyActivated)
        codes.removeIf([&](qint32 code) { return !document->IsCodeActivated(code); });
    bool compared = false;
    {
        WaitCursor wait;
        compared = document->CompareCoderSegments(dialog.m_firstDocument, dialog.m_secondDocument, codes,
                                                  dialog.m_percent);
    }
    if (!compared) {
        ShowMessage(LoadString(ConditionText::NotCompared), MessageKind::Warning);
        return;
    }
    QList<qint32> comparison;
    QList<qint32> agreement;
    db.GetAllKeys(TopicId::CoderComparison, comparison);
    db.GetAllKeys(TopicId::CoderAgreement, agreement);
    lists.ShowObjectList(CListWindows::CoderComparison, TopicId::CoderComparison, 0, 0, comparison,
                         LoadString(ConditionText::ComparisonTitle));
    lists.ShowObjectList(CListWindows::CoderAgreement, TopicId::CoderAgreement, 0, 0, agreement,
                         LoadString(ConditionText::AgreementTitle));
}

bool OnConditionCommand(CMainFrame& frame, int id)
{
    switch (id) {
    case ConditionCommand::ActivateDocuments: ActivateByVariables(frame, false); return true;
    case ConditionCommand::InterCoder: RunInterCoderCheck(frame); return true;
    default: return false;
    }
}

bool OnUpdateConditionCommand(CMainFrame& frame, CCmdUI& ui)
{
    switch (ui.id) {
    case ConditionCommand::ActivateDocuments:
    case ConditionCommand::InterCoder: ui.Enable(OpenDocument(frame) != nullptr); return true;
    default: return false;
    }
}
