// The frame's commands around the two trees: new codes, colours of codes and
// documents and the colour filters.

#include "app/mainframe.h"

#include "app/appids.h"
#include "app/codetoollistener.h"
#include "app/contextmenus.h"
#include "browser/codetoolbardlg.h"
#include "browser/framebrowser.h"
#include "document/kordoc.h"
#include "exchange/importtexts.h"
#include "document/objectlistregistry.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/colorfilterdlg.h"
#include "panes/newcodedlg.h"
#include "panes/objtreectrl.h"
#include "platform/rtf/rtfwriter.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/colorpicdlg.h"

#include <QTextDocument>

namespace {

namespace TreeCommandText {
constexpr int ColourSubcodesToo = 101011;
}  // namespace TreeCommandText

/// The target's codes: the selected ones when there are, else the item.
QList<qint32> TargetCodes(const ContextTarget& target)
{
    QList<qint32> codes;
    for (const quint32 id : target.selection)
        codes.append(qint32(id));
    if (codes.isEmpty() && target.item > 0)
        codes.append(target.item);
    return codes;
}

}  // namespace

void CMainFrame::BuildCodeToolListener()
{
    m_codeToolListener = std::make_unique<CodeToolListener>();
    if (m_document)
        m_document->GetRegistry().Register(m_codeToolListener.get());
}

bool CMainFrame::OnTreeCommand(int id)
{
    switch (id) {
    case TreeCommand::ImportDocuments:
        ImportDocumentFiles(ImportGroupOf(m_contextTarget.kind, m_contextTarget.item), nullptr, nullptr, false);
        m_contextTarget.Reset();
        return true;
    case ImportsCommand::StructuredTexts: {
        const qint32 group = ImportGroupOf(m_contextTarget.kind, m_contextTarget.item);
        m_contextTarget.Reset();
        ImportStructuredTexts(group);
        return true;
    }
    case CObjTreeCtrl::ToggleListMode:
        if (m_codeTree)
            m_codeTree->OnCaptionCommand(id);
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateTreeCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case TreeCommand::ImportDocuments:
    case ImportsCommand::StructuredTexts:
    case TreeCommand::CodesColourFilter:
    case TreeCommand::DocumentsColourFilter:
        ui.Enable(GetDocument() != nullptr);
        return true;
    case CObjTreeCtrl::ToggleListMode:
        ui.Enable(m_codeTree != nullptr);
        ui.SetCheck(m_codeTree && m_codeTree->InListMode());
        return true;
    default:
        return false;
    }
}

bool CMainFrame::PickColour(QWidget* parent, COLORREF& colour, const QList<COLORREF>& used)
{
    ColorPicDlg picker(parent);
    picker.m_color = colour;
    picker.m_colors = used;
    if (picker.exec() != QDialog::Accepted)
        return false;
    colour = picker.m_color;
    return true;
}

void CMainFrame::NewCodeUnder(qint32 parent)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    CNewCodeDlg dialog(this);
    dialog.m_pDoc = document;
    dialog.m_parentCode = parent;
    if (g_qdaOptions.GetBool(QdaOption::CheckNewCodeNames))
        document->ListCodeNames(dialog.m_names);
    dialog.SetColourChooser([this](QWidget* owner, COLORREF& colour, const QList<COLORREF>& used) {
        return PickColour(owner, colour, used);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.m_name.isEmpty())
        return;
    BeginWait();
    CodeRecord record;
    record.parent = parent;
    record.name = dialog.m_name;
    record.color = qint32(dialog.m_color);
    const qint32 code = document->NewCode(record);
    if (code) {
        m_quickCodes.AddCode(code);
        if (!dialog.m_memo.isEmpty()) {
            QTextDocument memo;
            memo.setPlainText(dialog.m_memo);
            bool created = false;
            document->GetCodeMemo(code, created, true, rtf::WriteRtf(memo));
        }
        if (m_codeTree)
            m_codeTree->UpdateAllItems();
    }
    EndWait();
}

void CMainFrame::ColourCodes()
{
    CKorDoc* document = GetDocument();
    QList<qint32> codes = TargetCodes(m_contextTarget);
    if (m_contextTarget.kind == NodeKind::CodeSetMember && document)
        codes = {document->GetCodeSetMemberCode(m_contextTarget.item)};
    codes.removeAll(0);
    if (!document || codes.isEmpty())
        return;
    COLORREF colour = document->GetItemColor(TopicId::Codes, codes.first());
    QList<COLORREF> used;
    document->ListUsedColors(used, TopicId::Codes);
    if (!PickColour(this, colour, used))
        return;
    bool withSubcodes = false;
    for (const qint32 code : std::as_const(codes)) {
        QList<qint32> children;
        document->GetChildCodes(code, children);
        if (!children.isEmpty()) {
            withSubcodes = AskYesNo(LoadString(TreeCommandText::ColourSubcodesToo));
            break;
        }
    }
    BeginWait();
    // A code and its subcodes take the colour in one write.
    StoreTransaction transaction(&document->GetDatabase());
    for (const qint32 code : std::as_const(codes)) {
        document->SetItemColor(TopicId::Codes, code, qint32(colour));
        if (withSubcodes) {
            QList<qint32> below;
            document->CollectSubcodes(code, below);
            for (const qint32 subcode : std::as_const(below))
                document->SetItemColor(TopicId::Codes, subcode, qint32(colour));
        }
    }
    transaction.Commit();
    EndWait();
}

void CMainFrame::ColourDocument()
{
    CKorDoc* document = GetDocument();
    if (!document || m_contextTarget.item <= 0)
        return;
    const qint32 target = m_contextTarget.kind == NodeKind::SetMember
                              ? document->GetSetMemberDocument(m_contextTarget.item)
                              : m_contextTarget.item;
    COLORREF colour = document->GetItemColor(TopicId::Documents, target);
    QList<COLORREF> used;
    document->ListUsedColors(used, TopicId::Documents);
    if (!PickColour(this, colour, used))
        return;
    BeginWait();
    document->SetItemColor(TopicId::Documents, target, qint32(colour));
    EndWait();
}

void CMainFrame::OnEditIdList(qint32 topic)
{
    CKorDoc* document = GetDocument();
    if (!document || (topic != TopicId::Codes && topic != TopicId::Documents))
        return;
    const bool codes = topic == TopicId::Codes;
    ProgramLists& lists = document->GetProgramLists();
    QList<quint32>& filter = codes ? lists.codesColorFilter : lists.documentsColorFilter;
    ColorFilterDlg dialog(this);
    dialog.m_helpTopic = codes ? ColorFilterDlg::kCodesHelpTopic : ColorFilterDlg::kDocumentsHelpTopic;
    document->ListUsedColors(dialog.m_colors, topic);
    for (const quint32 colour : std::as_const(filter))
        dialog.m_filter.append(COLORREF(colour));
    if (dialog.exec() != QDialog::Accepted)
        return;
    filter.clear();
    for (const COLORREF colour : std::as_const(dialog.m_filter))
        filter.append(quint32(colour));
    BeginWait();
    if (codes)
        document->ActivateTopCodes(true, true);
    else
        document->ActivateDocumentsByColor(true, true);
    EndWait();
    if (m_browserAccess)
        m_browserAccess->Refresh();
}
