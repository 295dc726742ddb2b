#pragma once

#include <QSplitter>
#include <QSplitterHandle>

/// @short The main window's splitter: 7-pixel flat bars, and bars that stop
/// short of the edges (200 pixels for bars between columns, 100 for bars
/// between rows), so no pane can be dragged away.
class CSplitterWndEx : public QSplitter {
    Q_OBJECT
public:
    static constexpr int kBarWidth = 7;
    static constexpr int kColumnEdgeLimit = 200;
    static constexpr int kRowEdgeLimit = 100;

    explicit CSplitterWndEx(Qt::Orientation orientation, QWidget* parent = nullptr);

    /// How close to its edges a bar may be dragged, in pixels.
    int EdgeLimit() const;

protected:
    QSplitterHandle* createHandle() override;
};

/// @short A flat bar in the button-face colour; drags beyond the edge limit
/// are ignored.
class CSplitterBar : public QSplitterHandle {
    Q_OBJECT
public:
    CSplitterBar(Qt::Orientation orientation, CSplitterWndEx* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};
