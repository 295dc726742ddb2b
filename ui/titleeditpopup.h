#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

class QLabel;
class QLineEdit;
class QToolButton;

/// @short A small borderless popup that asks for one number (0 to
/// 10,000,000) next to the object it belongs to: a caption, the field, and
/// OK and Cancel as icon buttons. It can be dragged by any free area.
///
/// A plain QDialog built in code until the shared dialog base takes over.
class CTitleEditPopup : public QDialog {
    Q_OBJECT
public:
    static constexpr double kMaxValue = 10000000.0;
    static constexpr int kHeight = 28;

    struct Placement {
        QWidget* parent = nullptr;
        int x = 0;           ///< wanted position, screen coordinates
        int y = 0;           ///< 0: centre the popup instead
        int fallbackY = 0;   ///< used when the popup would pass the screen's bottom edge
        QString caption;
    };

    explicit CTitleEditPopup(const Placement& placement);

    /// The number after OK.
    double Value() const { return m_value; }
    void SetValue(double value);
    QLineEdit* Edit() const { return m_edit; }
    QToolButton* OkButton() const { return m_ok; }

    /// Where the popup of `size` goes on a screen area: the wanted x moved by
    /// `editShift`, kept 5 pixels inside the left and right edges, and above
    /// the fallback when it would pass the bottom.
    static QPoint PlaceOnScreen(const Placement& placement, const QSize& size, int editShift, const QRect& screen);

    void accept() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void layOut(const Placement& placement);

    double m_value = 0.0;
    QLabel* m_label = nullptr;
    QLineEdit* m_edit = nullptr;
    QToolButton* m_ok = nullptr;
    QToolButton* m_cancel = nullptr;
    bool m_dragging = false;
    QPoint m_dragFrom;
};
