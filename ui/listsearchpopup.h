#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QToolButton;

/// @short What the list search popup needs of the list it searches; the
/// object-list control implements it.
class IRowFinder {
public:
    virtual ~IRowFinder() = default;
    /// False while the rows are still being filled in.
    virtual bool RowsLoaded() const = 0;
    /// The first row from `start` on whose cell in `column` matches `text`
    /// (see RowMatches); -1 when none.
    virtual int FindRow(int start, int column, const QString& text) const = 0;
    /// Moves selection and focus from `previous` (-1: none) to `row` and
    /// scrolls so that the row stands one row below the top.
    virtual void ShowFoundRow(int row, int previous) = 0;
};

/// True when `cell` starts with `text` regardless of case; a text that
/// begins with "*" matches anywhere in the cell.
bool RowMatches(const QString& cell, const QString& text);

/// @short A small popup above a list with a history combo box: typing finds
/// the first matching row, Enter the next one; Escape or a click elsewhere
/// closes it and keeps the text in the history.
class ListSearchPopup : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 200;
    static constexpr int kHistorySize = 20;

    /// `finder` is not owned and must outlive the popup. The popup's bottom
    /// edge stands at `bottomY` (screen coordinates).
    ListSearchPopup(IRowFinder* finder, int column, int startIndex, int left, int bottomY, int width,
                    QWidget* parent = nullptr);

    int CurrentMatch() const { return m_match; }
    QComboBox* Combo() const { return m_combo; }

    /// The process-wide history, most recent first.
    static QStringList History();
    static void ClearHistory();
    /// Puts `text` first, once, keeping at most kHistorySize entries.
    static void AddToHistory(const QString& text);
    /// The popup's left edge and width on a screen `screenWidth` wide.
    static std::pair<int, int> FitToScreen(int left, int width, int screenWidth);

    /// Finds the next match; the popup stays open.
    void accept() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search(int start, const QString& text);

    IRowFinder* m_finder;
    int m_column;
    int m_match = -1;
    QComboBox* m_combo = nullptr;
    QToolButton* m_close = nullptr;
};
