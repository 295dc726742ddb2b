#pragma once

#include <QTabBar>
#include <QWidget>

/// @short A tab strip that tells its owner which tab the user chose.
///
/// Selecting another tab emits TabSelected (under the wait cursor, as the
/// owner usually loads something); clicking the selected tab again emits
/// SelectedTabClicked instead. A tab's close button emits CloseRequested.
/// Moving the selected tab keeps it current.
class PaneTabWnd : public QTabBar {
    Q_OBJECT
public:
    explicit PaneTabWnd(QWidget* parent = nullptr);

    int CurrentTab() const { return m_current; }
    /// The one-pixel border: top, left and right in the scheme's border
    /// colour, the bottom in the light line colour.
    void SetBorder(bool on);

signals:
    void TabSelected(int index);
    void SelectedTabClicked();
    void CloseRequested(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_current = 0;
    bool m_pressedCurrent = false;
    bool m_border = false;
};

/// @short A plain window whose one child is a PaneTabWnd over its whole area.
class TabHostWnd : public QWidget {
    Q_OBJECT
public:
    explicit TabHostWnd(QWidget* parent = nullptr);
    PaneTabWnd* Tabs() const { return m_tabs; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    PaneTabWnd* m_tabs;
};
