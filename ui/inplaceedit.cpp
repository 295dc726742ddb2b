#include "ui/inplaceedit.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

// ---------------------------------------------------------------- outcome

void InplaceTarget::SetTarget(QString* target, qint32* itemDataOut)
{
    m_target = target;
    m_itemDataOut = itemDataOut;
}

void InplaceTarget::report(int flag, bool close)
{
    const QString text = CurrentText();
    bool changed = false;
    if (m_target && text != *m_target && !(m_hasCommitted && text == m_committed)) {
        // Blanks typed around the text count as a change but are not kept.
        *m_target = text.trimmed();
        if (m_itemDataOut)
            *m_itemDataOut = CurrentItemData();
        m_committed = text;
        m_hasCommitted = true;
        changed = true;
    }
    Notify(changed, flag);
    if (close)
        CloseSoon();
}

void InplaceTarget::Commit(int flag)
{
    if (m_done)
        return;
    if (!m_target) {
        m_done = true;
        Notify(false, 0);
        CloseSoon();
        return;
    }
    if (flag == 0)
        m_done = true;
    report(flag, flag == 0);
}

void InplaceTarget::EndEdit()
{
    if (m_done)
        return;
    m_done = true;
    Notify(false, 0);
    CloseSoon();
}

void InplaceTarget::FocusLost()
{
    if (m_done)
        return;
    m_done = true;
    if (!m_target) {
        Notify(false, 0);
        CloseSoon();
        return;
    }
    report(0, true);
}

bool HandleInplaceKey(InplaceTarget& editor, const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        editor.Commit(1);
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        editor.EndEdit();
        return true;
    }
    return false;
}

namespace {

/// Closes after the current event and deletes the editor.
template <typename Editor>
void closeSoon(Editor* editor)
{
    QTimer::singleShot(0, editor, [editor] {
        emit editor->closed();
        editor->hide();
        editor->deleteLater();
    });
}

}  // namespace

// ---------------------------------------------------------------- edit

CInplaceEdit::CInplaceEdit(QAbstractItemView* list, int minWidth)
    : QLineEdit(list->viewport()), m_list(list), m_minWidth(minWidth)
{
    setFont(list->font());
    connect(this, &QLineEdit::textEdited, this, &CInplaceEdit::grow);
}

void CInplaceEdit::SetTarget(QString* target, qint32* itemDataOut)
{
    InplaceTarget::SetTarget(target, itemDataOut);
    if (target) {
        setText(*target);
        selectAll();
    }
}

void CInplaceEdit::Notify(bool changedText, int flag)
{
    if (changedText)
        emit changed(flag);
    else
        emit unchanged(flag);
}

void CInplaceEdit::CloseSoon()
{
    closeSoon(this);
}

void CInplaceEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        FocusLost();
}

void CInplaceEdit::keyPressEvent(QKeyEvent* event)
{
    if (!HandleInplaceKey(*this, event))
        QLineEdit::keyPressEvent(event);
}

void CInplaceEdit::grow()
{
    const int w = width();
    const int h = height();
    const int t = m_list->fontMetrics().horizontalAdvance(text());
    if (w - h < t)
        resize(w + h, h);
    else if (t < w - 2 * h)
        resize(std::max(h + t, m_minWidth), h);
}

// ---------------------------------------------------------------- combo

CInplaceCombo::CInplaceCombo(QAbstractItemView* list, int minWidth) : QComboBox(list->viewport())
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setFont(list->font());
    setMinimumWidth(minWidth);
}

void CInplaceCombo::SetTarget(QString* target, qint32* itemDataOut)
{
    InplaceTarget::SetTarget(target, itemDataOut);
    if (target) {
        setEditText(*target);
        lineEdit()->selectAll();
    }
}

qint32 CInplaceCombo::CurrentItemData() const
{
    return currentIndex() >= 0 ? itemData(currentIndex()).toInt() : 0;
}

void CInplaceCombo::Notify(bool changedText, int flag)
{
    if (changedText)
        emit changed(flag);
    else
        emit unchanged(flag);
}

void CInplaceCombo::CloseSoon()
{
    closeSoon(this);
}

void CInplaceCombo::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    // Opening the list moves the focus to the popup, not away from the cell.
    if (event->reason() != Qt::PopupFocusReason && !(view() && view()->isVisible()))
        FocusLost();
}

void CInplaceCombo::keyPressEvent(QKeyEvent* event)
{
    if (!HandleInplaceKey(*this, event))
        QComboBox::keyPressEvent(event);
}
