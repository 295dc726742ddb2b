// The browser's caption buttons and the printing of the shown document.

#include "browser/textcoderwindow.h"

#include "foundation/stringstore.h"
#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "store/storeids.h"
#include "ui/sidecolumng.h"

#include <QCursor>

namespace {

namespace CaptionCommand {
constexpr int PaneMenu = 20113;
constexpr int SaveText = 614;
constexpr int PrintText = 604;
}  // namespace CaptionCommand

constexpr int kPrintTextTip = 193200;

}  // namespace

std::array<int, IPaneCaption::kButtonSlots> TextCoderWindow::CaptionCommands() const
{
    return {0, 0, CaptionCommand::PaneMenu, CaptionCommand::SaveText, CaptionCommand::PrintText, 0, 0};
}

void TextCoderWindow::OnCaptionCommand(int commandId)
{
    if (commandId != CaptionCommand::PaneMenu) {
        emit CaptionCommandForOwner(commandId);
        return;
    }
    // At the cursor's x and the top of the caption, which the hosting view
    // draws above this window.
    const QWidget* host = parentWidget() ? parentWidget() : this;
    IdListNotifyInfo info(RequestCode::ContextMenu);
    info.kind = TopicId::Codings;
    info.itemId = 0;
    info.point = QPoint(QCursor::pos().x(), host->mapToGlobal(QPoint(0, 0)).y());
    SendRequest(GetOwner(), this, 0, info);
}

QString TextCoderWindow::CaptionTip(int commandId) const
{
    return commandId == CaptionCommand::PrintText ? LoadString(kPrintTextTip) : QString();
}

CodedTextPrintSource TextCoderWindow::PrintSource()
{
    CodedTextPrintSource source;
    source.text = m_text->document();
    source.toDocument = [text = m_text](int position) { return text->ToDocumentPosition(position); };
    for (int n = 1; n <= GetParagraphCount(); ++n)
        source.paragraphStarts.append(GetParagraphStart(n));
    const int length = GetTextLength();
    for (int n = 0; n < GetStripeCount(); ++n) {
        if (!GetStripeOverlap(n, 0, length + 1))
            continue;
        const StripeItem& stripe = m_stripes.at(n);
        source.codings.append({stripe.row.StartChar, stripe.row.FinishChar, stripe.lane, stripe.colour,
                               GetStripeLabel(n)});
    }
    source.laneCount = GetStripeLaneCount();
    for (const InTextMemoItem& memo : std::as_const(m_memos))
        if (memo.visible && !(memo.editFlags & EditFlag::Deleted) && memo.row.Pos >= 0)
            source.memoPositions.append(memo.row.Pos);
    source.title = GetDocumentTitle();
    return source;
}

bool TextCoderWindow::PrintCodedText(bool withCodes)
{
    if (m_kind == RichText) {
        FlushLayout();
        CCodedTextPrintEngine engine(PrintSource(), withCodes, this);
        return engine.Print();
    }
    // The other kinds print through their viewers.
    return HasDocument() && m_viewer && m_viewer->Print(GetDocumentTitle(), withCodes);
}
