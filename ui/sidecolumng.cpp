#include "ui/sidecolumng.h"

#include "foundation/dragobject.h"
#include "foundation/richtexthelpers.h"
#include "ui/richviewowner.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QScrollBar>

namespace {

constexpr int kKindDocumentText = 15;
constexpr int kTextLimit = 10'000'000;
constexpr int kDragDistance = 5;

}  // namespace

CSideColumnG::CSideColumnG(QWidget* parent) : CRichEditWnd(parent)
{
    LimitText(kTextLimit);
    SetAutoUrlDetect(1);
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold | kCharMaskUnderline;
    format.faceName = QStringLiteral("Arial");
    format.height = 200;
    SetDefaultCharFormat(format);
    SetBackgroundColor(0x00FFFFFF);
    setReadOnly(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_owner)
            m_owner->TextScrolled();
    });
    connect(this, &QTextEdit::selectionChanged, this, [this] {
        if (m_owner)
            m_owner->SelectionChanged();
    });
    // Loading a text into the read-only view is no edit of the document.
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!m_editable)
            return;
        const bool deleteKey = m_deleteTyped;
        m_deleteTyped = false;
        if (m_owner)
            m_owner->TextChanged(deleteKey);
    });
}

bool CSideColumnG::SetEditable(bool editable)
{
    if (editable == m_editable)
        return true;
    setReadOnly(!editable);
    document()->clearUndoRedoStacks();
    m_editable = editable;
    m_dragArmed = false;
    return true;
}

void CSideColumnG::SetZoom(int step)
{
    if (step > kZoomMax || step < kZoomMin || step == m_zoomStep)
        return;
    m_zoomStep = step;
    SetZoomStep(step);
    if (m_owner)
        m_owner->ZoomChanged();
}

void CSideColumnG::ZoomIn() { SetZoom(m_zoomStep + kZoomStep); }
void CSideColumnG::ZoomOut() { SetZoom(m_zoomStep - kZoomStep); }
void CSideColumnG::ZoomReset() { SetZoom(0); }

void CSideColumnG::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_editable && !m_enterHeld && m_owner)
            m_owner->EnterPressed();
        m_enterHeld = true;
    } else {
        m_enterHeld = false;
    }
    if (event->key() == Qt::Key_Delete)
        m_deleteTyped = true;
    if (event->matches(QKeySequence::Paste))
        CleanClipboardRtfLinks();
    CRichEditWnd::keyPressEvent(event);
}

void CSideColumnG::keyReleaseEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat())
        m_enterHeld = false;
    CRichEditWnd::keyReleaseEvent(event);
}

void CSideColumnG::mousePressEvent(QMouseEvent* event)
{
    if (m_owner)
        m_owner->Activate();
    m_pressPoint = event->position().toPoint();
    if (event->button() == Qt::LeftButton && !m_editable && textCursor().hasSelection()) {
        // A press on the read-only text keeps the selection to drag it out.
        const QTextCursor at = cursorForPosition(m_pressPoint);
        const QTextCursor selection = textCursor();
        if (at.position() >= selection.selectionStart() && at.position() <= selection.selectionEnd()) {
            m_dragArmed = true;
            return;
        }
    }
    CRichEditWnd::mousePressEvent(event);
}

void CSideColumnG::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragArmed) {
        const QPoint moved = event->position().toPoint() - m_pressPoint;
        if (std::abs(moved.x()) >= kDragDistance || std::abs(moved.y()) >= kDragDistance) {
            m_dragArmed = false;
            StartDrag(CDragObject(kKindDocumentText, 0));
        }
        return;
    }
    CRichEditWnd::mouseMoveEvent(event);
}

void CSideColumnG::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragArmed) {
        // A click on the selection without a drag places the caret.
        m_dragArmed = false;
        QTextCursor cursor = cursorForPosition(event->position().toPoint());
        setTextCursor(cursor);
        return;
    }
    CRichEditWnd::mouseReleaseEvent(event);
}

void CSideColumnG::StartDrag(const CDragObject& object)
{
    object.DoDragDrop(this, m_owner ? m_owner->ProjectIdentity() : QString(),
                      Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

void CSideColumnG::contextMenuEvent(QContextMenuEvent* event)
{
    IdListNotifyInfo info(RequestCode::ContextMenu);
    info.kind = kKindDocumentText;
    info.point = event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : mapToGlobal(QPoint(0, 0));
    SendRequest(m_owner, this, property("controlId").toInt(), info);
}

void CSideColumnG::resizeEvent(QResizeEvent* event)
{
    CRichEditWnd::resizeEvent(event);
    if (m_owner)
        m_owner->TextScrolled();
}
