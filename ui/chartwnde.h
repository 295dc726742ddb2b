#pragma once

#include <QList>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

class RichViewOwner;

/// One memo as the memo margin shows it; the owner fills it and lays it
/// out (marginlayout.h). A drop changes paragraph and position.
struct MemoMark {
    qint32 memoId = 0;
    qint32 paragraph = 0;  // 1-based
    qint32 position = 0;   // rich-edit position
    QString title;
    QString author;
    QString created;       // creation date as shown
    QString text;          // the memo's text, shown in the tip
    qint32 image = 0;      // index in the margin's images; < 0 draws nothing
    bool framed = false;
    qint32 topY = 0;       // icon top in the margin's pixels
    qint16 column = 0;
    bool visible = false;
};

/// @short The memo margin: one icon per memo beside its paragraph, in
/// columns; memos can be dragged to another paragraph.
///
/// The memo array belongs to the owner. A drop asks the owner for the
/// paragraph under the drop point and stores the new place through two
/// set-field requests (position, then paragraph).
class CChartWndE : public QWidget {
    Q_OBJECT
public:
    explicit CChartWndE(QWidget* parent = nullptr);

    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    void SetControlId(int id) { m_controlId = id; }
    void SetMemos(QList<MemoMark>* memos);
    /// The icons; their size is the first image's (none: 0 x 0).
    void SetImages(const QList<QPixmap>& images);

    /// The width that shows every column; 0 without memos.
    int NeededWidth() const;
    QRect IconRect(const MemoMark& memo) const;
    int HitTest(QPoint point) const;
    bool Dragging() const { return m_dragging; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Send(int code, int memoId, QPoint globalPoint, int modifiers, int kind = 11);
    void Drop(QPoint point);
    void EndDrag();

    RichViewOwner* m_owner = nullptr;
    QList<MemoMark>* m_memos = nullptr;
    QList<QPixmap> m_images;
    int m_iconWidth = 0;
    int m_iconHeight = 0;
    int m_controlId = 0;
    int m_pressed = -1;
    QPoint m_pressPoint;
    bool m_armed = false;
    bool m_dragging = false;
    int m_scrollDirection = 0;
    QTimer m_autoScroll;
};
