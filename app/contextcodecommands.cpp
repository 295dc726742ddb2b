// The context commands of codes, codings and the retrieved segments: the
// part of the dispatcher that RunContextCommand hands on.

#include "app/mainframe.h"

#include "app/appids.h"
#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/retrievalrequests.h"
#include "browser/framebrowser.h"
#include "browser/textcoderwindow.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "document/rowfields.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "panes/objtreectrl.h"
#include "retrieval/segmentsctrl.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"
#include "ui/numberentrydlg.h"
#include "ui/richtextinputdlg.h"
#include "ui/weightrangedlg.h"

#include <QSet>

#include <algorithm>

namespace {

namespace CodeContextText {
constexpr int Code = 1040;
constexpr int AllCodes = 204008;
constexpr int AllDocumentSets = 57721;
constexpr int AllObjects = 57715;
constexpr int Weight = 57697;
constexpr int OkButton = 57345;
constexpr int CancelButton = 57346;
constexpr int CopyingCodings = 57760;
constexpr int MoveQuestion = 204000;
constexpr int DeleteVariableButton = 204001;
constexpr int DeleteVariableQuestion = 204002;
constexpr int Subcodes = 204003;
constexpr int CodeSet = 204004;
constexpr int AliasTitle = 204006;
constexpr int CommentTitle = 204007;
}  // namespace CodeContextText

constexpr qint32 kMaxWeight = 100;

}  // namespace

void CMainFrame::RunCodeContextCommand(CKorDoc& document, int id)
{
    ContextTarget& target = m_contextTarget;
    const qint32 item = target.item;
    TopicDatabase& db = document.GetDatabase();
    const auto titled = [&](int textId, qint32 topic, qint32 key) {
        return LoadString(textId) + QStringLiteral(": ") + db.FormatRowDisplay(topic, key, false);
    };
    const auto hasRow = [&](qint32 topic, qint32 key) {
        const TopicTable* table = db.GetTable(topic);
        return key > 0 && table && table->HasKey(key);
    };
    const auto retrack = [this] {
        if (m_browserAccess)
            m_browserAccess->RetrackStripe();
    };
    OptionsRecord& settings = document.GetRetrievalSettings();
    const auto rerun = [this] {
        m_retrievalRequests->RerunRetrieval();
        UpdateStatusBar();
    };
    // The memos of the codes of code-set members, each once.
    const auto memosOfMembers = [&](const QList<qint32>& members) {
        QList<qint32> memos;
        QSet<qint32> seen;
        for (const qint32 member : members) {
            QList<qint32> more;
            document.CollectMemosOfCode(document.GetCodeSetMemberCode(member), more);
            for (const qint32 memo : std::as_const(more))
                if (!seen.contains(memo)) {
                    seen.insert(memo);
                    memos.append(memo);
                }
        }
        return memos;
    };

    switch (id) {
    // ---- codings and media marks
    case 20086: {
        if (target.kind == NodeKind::Coding && hasRow(TopicId::Codings, item)) {
            const qint32 stored = db.GetIntValue(TopicId::Codings, item, CodingField::Weight);
            NumberEntryDlg dialog(std::clamp(stored, 0, kMaxWeight), 0, this);
            dialog.setWindowTitle(LoadString(CodeContextText::Weight));
            if (!target.point.isNull())
                dialog.move(target.point);
            if (dialog.exec() == QDialog::Accepted)
                document.SetCodingWeight(item, dialog.Value());
        }
        retrack();
        break;
    }
    case 20147: {
        const qint32 topic = target.kind == NodeKind::Coding      ? TopicId::Codings
                             : target.kind == NodeKind::MediaMark ? TopicId::MediaMarks
                                                                  : 0;
        if (topic == 0 || !hasRow(topic, item))
            break;
        const QString stored = rowfields::TextOfKey(
            db, topic, item, topic == TopicId::Codings ? qint32(CodingField::Comment) : qint32(MediaMarkField::Comment));
        CRichTextInputDlg2 dialog(this);
        dialog.SetTitle(LoadString(CodeContextText::CommentTitle));
        dialog.SetText(stored);
        if (dialog.exec() == QDialog::Accepted)
            document.ReplaceComment(topic, item, dialog.Text().left(CRichTextInputDlg::kMaxLength));
        break;
    }
    case 20087:
        if (item > 0) {
            if (const qint32 code = db.GetIntValue(TopicId::Codings, item, CodingField::Code))
                document.GetRegistry().SelectObject(TopicId::Codes, code, 1);
        }
        retrack();
        break;
    case 20173:
        // Only the stripe margin knows which selection the coding should take.
        if (target.kind == NodeKind::Coding && target.sender == PaneControlId::CodingStripe)
            RecodeFromSelection(item);
        break;

    // ---- codes
    case 20054: ShowCodeSetCodings(NodeKind::CodeSystemRoot, 0); break;
    case 20057: {
        // The activated codes, as the list that activates them again reads it.
        const QString path = PromptForFile(QString(), ProjectFileType::SaveCodeList);
        if (!path.isEmpty())
            document.ExportActivatedCodeNames(path);
        break;
    }
    case 20058: ActivateCodesFromListFile(); break;
    case 20146: ImportCodedSegmentTables(); break;
    case 20172: ImportCodeList(); break;
    case 20062:
    case 20152:
    case 20160: ShowCodeSetCodings(target.kind, item); break;
    case 20081:
    case 20082:
        if (item > 0) {
            m_contextClipboard.codingsSource = item;
            m_contextClipboard.codingsCopy = id == 20081;
            document.SetPendingCodings(item, id == 20081);
        }
        break;
    case 20083: InsertRememberedCodings(document, item); break;
    case 20142:
        if (item > 0)
            m_contextClipboard.copiedCode = item;
        break;
    case 20143: {
        const qint32 source = m_contextClipboard.copiedCode;
        if (!hasRow(TopicId::Codes, source))
            break;
        BeginWait();
        document.CopyCodeSubtree(source, target.kind == NodeKind::CodeSystemRoot ? 0 : item, true);
        EndWait();
        if (m_codeTree)
            m_codeTree->UpdateAllItems();
        break;
    }
    case 20069: {
        if (!hasRow(TopicId::Codes, item))
            break;
        const QString alias = document.GetCodeAlias(item);
        CRichTextInputDlg2 dialog(this);
        dialog.SetTitle(LoadString(CodeContextText::AliasTitle));
        dialog.SetText(alias);
        if (dialog.exec() == QDialog::Accepted && dialog.Text() != alias)
            document.SetCodeAlias(item, dialog.Text());
        break;
    }
    case 20131: {
        if (!hasRow(TopicId::Codes, item))
            break;
        if (!AskDeleteConfirmation(CodeContextText::DeleteVariableQuestion, CodeContextText::DeleteVariableButton))
            break;
        document.ClearCodeLinks(item, false);
        break;
    }
    case 20132:
        if (hasRow(TopicId::Codes, item) && document.CreateCodeVariable(item, false) != 0) {
            QList<qint32> documents;
            db.GetAllKeys(TopicId::Documents, documents);
            m_listWindows->ShowObjectList(CListWindows::Variables, TopicId::Documents, 0, 0, documents,
                                          LoadString(CodeContextText::AllObjects));
        }
        break;
    case 20175: {
        QList<qint32> codes;
        qint32 topic = TopicId::Codes;
        if (target.kind == NodeKind::CodeSet) {
            topic = TopicId::CodeSets;
            QList<qint32> members;
            db.FindKeysByParent(TopicId::CodeSetMembers, TopicId::CodeSets, item, members);
            for (const qint32 member : std::as_const(members))
                if (const qint32 code = document.GetCodeSetMemberCode(member))
                    codes.append(code);
        } else if (hasRow(TopicId::Codes, item)) {
            codes.append(item);
            QList<qint32> children;
            document.GetChildCodes(item, children);
            codes += children;
        }
        if (item > 0)
            m_listWindows->ShowObjectList(CListWindows::Codes, TopicId::Codes, NodeKind::Code, item, codes,
                                          titled(CodeContextText::Subcodes, topic, item));
        break;
    }

    // ---- code sets
    case 20153: {
        QList<qint32> members;
        db.GetAllKeys(TopicId::CodeSetMembers, members);
        m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, NodeKind::Code, 0, memosOfMembers(members),
                                      LoadString(CodeContextText::AllDocumentSets));
        break;
    }
    case 20161:
        if (hasRow(TopicId::CodeSets, item)) {
            QList<qint32> members;
            db.FindKeysByParent(TopicId::CodeSetMembers, TopicId::CodeSets, item, members);
            m_listWindows->ShowObjectList(CListWindows::Memos, TopicId::Memos, NodeKind::Code, item,
                                          memosOfMembers(members),
                                          titled(CodeContextText::CodeSet, TopicId::CodeSets, item));
        }
        break;
    case 20154:
        if (db.GetRowCount(TopicId::Codes) > 0 && document.NewCodeSet(QString()))
            document.GetRegistry().NotifyChange(NodeKind::CodeSetsRoot, 0);
        break;

    // ---- retrieved segments
    case 20102:
    case 20103:
    case 20104:
        if (settings.sortOrder != id - 20101) {
            settings.sortOrder = id - 20101;
            rerun();
        }
        break;
    case 20105:
        settings.l4 = !settings.l4;
        rerun();
        break;
    case 20106:
        settings.weightFilter = !settings.weightFilter;
        rerun();
        break;
    case 20107: {
        CWeightRangeDlg dialog(this, settings.weightMinimum, settings.weightMaximum);
        if (dialog.exec() != QDialog::Accepted)
            break;
        settings.weightMaximum = dialog.Upper();
        // A maximum below the minimum is taken for both.
        settings.weightMinimum = std::min(dialog.Lower(), dialog.Upper());
        if (settings.weightFilter)
            m_retrievalRequests->RerunRetrieval();
        UpdateStatusBar();
        break;
    }
    case 20109: {
        QList<qint32> codings;
        if (m_segments)
            m_segments->GetSegmentIds(codings);
        m_listWindows->ShowObjectList(CListWindows::Codings, TopicId::Codings, NodeKind::EmptyStrip, 0, codings,
                                      LoadString(AppText::RetrievedSegments));
        break;
    }
    default: break;
    }
}

void CMainFrame::InsertRememberedCodings(CKorDoc& document, qint32 code)
{
    ContextClipboard& clipboard = m_contextClipboard;
    const TopicTable* codes = document.GetDatabase().GetTable(TopicId::Codes);
    if (code <= 0 || !clipboard.codingsSource || !codes || !codes->HasKey(code))
        return;
    if (!clipboard.codingsCopy) {
        // Moving empties the former code: asked whatever the delete option says.
        ConfirmPrompt prompt;
        prompt.point = m_contextTarget.point;
        prompt.okText = LoadString(CodeContextText::OkButton);
        prompt.cancelText = LoadString(CodeContextText::CancelButton);
        prompt.message = LoadString(CodeContextText::MoveQuestion);
        if (!AskConfirm(prompt))
            return;
    }
    document.SetPendingCodings(clipboard.codingsSource, clipboard.codingsCopy);
    ShowWaitWindow(LoadString(CodeContextText::CopyingCodings).arg(0));
    const qint32 moved = document.PastePendingCodings(code);
    CloseWaitWindow();
    if (moved)
        clipboard.codingsSource = 0;
    UpdateStatusBar();
}

void CMainFrame::RecodeFromSelection(qint32 coding)
{
    CKorDoc* document = GetDocument();
    if (!document || coding <= 0)
        return;
    const qint32 code = document->GetDatabase().GetIntValue(TopicId::Codings, coding, CodingField::Code);
    const WaitCursor wait;
    CodingRecord record;
    if (code <= 0 || !BuildBrowserCoding(code, 0, record))
        return;
    record.ID = coding;
    if (document->UpdateCodingSegment(record))
        m_retrievalRequests->RerunRetrieval();
    UpdateStatusBar();
}

void CMainFrame::ShowCodeSetCodings(qint32 kind, qint32 id)
{
    CKorDoc* document = GetDocument();
    if (!document)
        return;
    const TopicDatabase& db = document->GetDatabase();
    const WaitCursor wait;
    QList<qint32> codes;
    QString title;
    const auto withSubcodes = [&](qint32 code) {
        if (code <= 0)
            return;
        codes.append(code);
        document->CollectSubcodes(code, codes);
        title = LoadString(CodeContextText::Code) + QStringLiteral(": ") + db.FormatRowDisplay(TopicId::Codes, code, false);
    };
    QList<qint32> members;
    switch (kind) {
    case NodeKind::CodeSystemRoot:
        db.GetAllKeys(TopicId::Codes, codes);
        title = LoadString(CodeContextText::AllCodes);
        break;
    case NodeKind::Code: withSubcodes(id); break;
    case NodeKind::CodeSetMember: withSubcodes(document->GetCodeSetMemberCode(id)); break;
    case NodeKind::CodeSetsRoot:
        db.GetAllKeys(TopicId::CodeSetMembers, members);
        break;
    case NodeKind::CodeSet:
        db.FindKeysByParent(TopicId::CodeSetMembers, TopicId::CodeSets, id, members);
        title = LoadString(CodeContextText::CodeSet) + QStringLiteral(": ") + db.FormatRowDisplay(TopicId::CodeSets, id, false);
        break;
    default: return;
    }
    for (const qint32 member : std::as_const(members))
        if (const qint32 code = document->GetCodeSetMemberCode(member))
            codes.append(code);
    // Each code once; codings whose code is gone are left out.
    QList<qint32> codings;
    QSet<qint32> seen;
    for (const qint32 code : std::as_const(codes)) {
        if (seen.contains(code))
            continue;
        seen.insert(code);
        QList<qint32> more;
        db.FindKeysByParent(TopicId::Codings, TopicId::Codes, code, more);
        codings += more;
    }
    m_listWindows->ShowObjectList(CListWindows::Codings, TopicId::Codings, kind, id, codings, title);
}
