#include "ui/textpaneex.h"

#include "ui/richviewowner.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QScrollBar>

namespace {

constexpr int kKindSegmentText = 32;
constexpr int kTextLimit = 100'000'000;

}  // namespace

CTextPaneEx::CTextPaneEx(QWidget* parent) : CRichEditWnd(parent)
{
    LimitText(kTextLimit);
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold | kCharMaskUnderline;
    format.faceName = QStringLiteral("Arial");
    format.height = 200;
    SetDefaultCharFormat(format);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_scrollSync && m_owner)
            m_owner->TextScrolled();
    });
    connect(this, &QTextEdit::selectionChanged, this, [this] { m_firstVisibleChar = CharFromPos(QPoint(0, 0)); });
}

bool CTextPaneEx::Create(const QRect& rect, QWidget* parent, int id)
{
    return CRichEditWnd::Create(kStyleChild | kStyleVisible | kStyleVScroll | kStyleMultiline | kStyleAutoVScroll
                                    | kStyleReadOnly,
                                rect, parent, id);
}

void CTextPaneEx::keyPressEvent(QKeyEvent* event)
{
    CRichEditWnd::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (m_owner)
            m_owner->TextScrolled();
        break;
    default: break;
    }
}

void CTextPaneEx::mousePressEvent(QMouseEvent* event)
{
    if (m_owner)
        m_owner->Activate();
    CRichEditWnd::mousePressEvent(event);
}

void CTextPaneEx::contextMenuEvent(QContextMenuEvent* event)
{
    // Only a selection has a menu: the segments it covers.
    if (!textCursor().hasSelection())
        return;
    IdListNotifyInfo info(RequestCode::ContextMenu);
    info.kind = kKindSegmentText;
    info.point = event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : mapToGlobal(QPoint(0, 0));
    SendRequest(m_owner, this, property("controlId").toInt(), info);
}
