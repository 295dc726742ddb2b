#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QLineEdit;

/// @short The one-line editor laid over an item to rename it in place.
///
/// Enter accepts, Escape cancels, a click or wheel turn outside it accepts;
/// either way it emits finished() once and then deletes itself. At most one
/// exists: making another closes the first without a report. Always made
/// with new; it owns itself. UI thread only.
class CREdit4List : public QWidget {
    Q_OBJECT
public:
    CREdit4List();
    ~CREdit4List() override;

    /// Shows the editor over `rect` (the parent's coordinates) with `text`
    /// selected, at most `limit` characters; `callerValue` is kept for the
    /// receiver. The owner gets the report; without one, the parent.
    bool Create(QWidget* parent, QObject* owner, const QRect& rect, const QString& text, int limit,
                qint32 callerValue);

    /// The edited text, trimmed at both ends.
    QString GetText() const;
    qint32 CallerValue() const { return m_callerValue; }
    QObject* Owner() const { return m_owner; }
    /// Reports (accepted or not) and deletes the editor.
    void Finish(bool accept);
    /// Copies the selected text to the clipboard.
    void Copy();

    static CREdit4List* Active();
    /// Deletes the active editor without a report.
    static void DestroyActive();

signals:
    /// During this signal GetText still answers.
    void finished(bool accepted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLineEdit* m_edit = nullptr;
    QPointer<QObject> m_owner;
    qint32 m_callerValue = 0;
    bool m_finished = false;
};
