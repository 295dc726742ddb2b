#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class IContextSearchHost;
class QLabel;
class QLineEdit;
class QToolButton;

/// @short The search field of the context search bar: a plain-text line
/// with a search glyph, framed, with a second frame while it has the
/// focus. Each change restarts a 200 ms timer; when it fires the bar
/// searches, so a search runs once typing pauses.
class CContextSearch : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSearchDelayMs = 200;

    explicit CContextSearch(QWidget* parent = nullptr);

    QLineEdit* Edit() const { return m_edit; }
    QString Text() const;
    bool HasFocusFrame() const { return m_focused; }
    const QTimer& SearchTimer() const { return m_timer; }

signals:
    /// Typing paused for the delay.
    void SearchDue();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_focused = false;
    QLineEdit* m_edit;
    QTimer m_timer;
};

/// @short The band a view shows above its pane to search within the pane
/// as the user types: the close button, the search field, next and
/// previous hit (also Down and Up) and the hit counter.
///
/// The bar owns only its controls: the pane searches and answers how many
/// hits there are and which is current. Requests go to the owner (the
/// view), which passes them to the pane. Closing deletes the bar and then
/// tells the owner (code 4), which forgets it.
class CContextSearchBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 25;
    static constexpr int kControlId = 3139;

    /// The owner is not owned and outlives the bar.
    explicit CContextSearchBar(IContextSearchHost* owner, QWidget* parent = nullptr);

    /// Searches the field's text (trimmed, lower-cased) and shows the count.
    void Search();
    void Next();
    void Previous();
    /// Deletes the bar (later), then tells the owner with code 4.
    void ClearSearch();

    CContextSearch* Field() const { return m_field; }
    QString CounterText() const;
    QToolButton* CloseButton() const { return m_close; }
    QToolButton* NextButton() const { return m_next; }
    QToolButton* PreviousButton() const { return m_previous; }

signals:
    /// A search request was answered or not (after Search).
    void Searched();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Step(qint32 code);
    void ShowCount(qint32 current, qint32 count);

    IContextSearchHost* m_owner;
    CContextSearch* m_field;
    QToolButton* m_next;
    QToolButton* m_previous;
    QToolButton* m_close;
    QLabel* m_counter;
};
