#pragma once

#include <QTreeWidget>

/// @short A tree with the scheme's one-pixel border that tells its owner
/// about double clicks right of an item's label and about the item under
/// a resting mouse.
class CTreeCtrlEx : public QTreeWidget {
    Q_OBJECT
public:
    static inline const QColor kBorderColour{101, 147, 207};

    explicit CTreeCtrlEx(QWidget* parent = nullptr);

signals:
    /// A double click on an item's row right of its label, where the tree
    /// itself does nothing.
    void doubleClickedBesideLabel(QTreeWidgetItem* item);
    /// The mouse moved over an item's icon, label or the space right of it.
    void hovered(QTreeWidgetItem* item);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
