#pragma once

// Editors laid over a list cell: a line edit and a combo box. Each edits one
// string of its owner and reports once whether the text changed.

#include <QComboBox>
#include <QLineEdit>
#include <QString>

class QKeyEvent;

class QAbstractItemView;

/// @short The outcome logic both in-place editors share: compare with the
/// owner's string, copy back a changed text trimmed, report only once.
///
/// The first of focus loss, Commit(0) and EndEdit is the only report that
/// closes; Commit with a non-zero flag reports and leaves the owner to
/// decide. A text committed with Enter counts as unchanged afterwards, so a
/// later focus loss does not report it a second time.
class InplaceTarget {
public:
    virtual ~InplaceTarget() = default;

    /// The owner's string (not owned; null: nothing to edit) and where the
    /// chosen entry's data goes on a change (may be null).
    void SetTarget(QString* target, qint32* itemDataOut);
    void Commit(int flag);
    /// Cancels: reports "unchanged" and closes.
    void EndEdit();

protected:
    /// The editor lost the focus to another window part.
    void FocusLost();

    virtual QString CurrentText() const = 0;
    virtual qint32 CurrentItemData() const = 0;
    virtual void Notify(bool changed, int flag) = 0;
    /// Closes after the current event; the editor then deletes itself.
    virtual void CloseSoon() = 0;

private:
    void report(int flag, bool close);

    QString* m_target = nullptr;
    qint32* m_itemDataOut = nullptr;
    bool m_done = false;
    QString m_committed;
    bool m_hasCommitted = false;
};

/// Enter commits, Escape cancels; true when the key was one of them.
bool HandleInplaceKey(InplaceTarget& editor, const QKeyEvent* event);

/// @short A line edit over a list cell. Enter commits and keeps it open,
/// Escape cancels, leaving it reports and closes it. It deletes itself
/// after it closed (owners keep a QPointer).
class CInplaceEdit : public QLineEdit, public InplaceTarget {
    Q_OBJECT
public:
    /// A child of the list's viewport; `minWidth` bounds shrinking.
    CInplaceEdit(QAbstractItemView* list, int minWidth);

    /// Also shows the target's text, all selected.
    void SetTarget(QString* target, qint32* itemDataOut);

signals:
    void changed(int flag);     ///< the text changed; the target holds it
    void unchanged(int flag);   ///< nothing changed, or cancelled
    void closed();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QString CurrentText() const override { return text(); }
    qint32 CurrentItemData() const override { return 0; }
    void Notify(bool changed, int flag) override;
    void CloseSoon() override;

private:
    void grow();

    QAbstractItemView* m_list;
    int m_minWidth;
};

/// @short A combo box over a list cell, with the same contract; on a change
/// the item data of the chosen entry goes to the owner.
class CInplaceCombo : public QComboBox, public InplaceTarget {
    Q_OBJECT
public:
    CInplaceCombo(QAbstractItemView* list, int minWidth);

    void SetTarget(QString* target, qint32* itemDataOut);

signals:
    void changed(int flag);
    void unchanged(int flag);
    void closed();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QString CurrentText() const override { return currentText(); }
    qint32 CurrentItemData() const override;
    void Notify(bool changed, int flag) override;
    void CloseSoon() override;
};
