#pragma once

#include "foundation/colorhelpers.h"

#include <QList>
#include <QString>
#include <QWidget>

class RichViewOwner;

/// Bits of StripeRecord::flags.
namespace StripeFlag {
constexpr quint32 Highlighted = 0x1;
constexpr quint32 Hidden = 0x4;
}  // namespace StripeFlag

/// One coding as the stripe margin shows it. The owner fills the coding's
/// fields, lanes and layout (see marginlayout.h); the margin only reads
/// them and sets the highlight bit.
struct StripeRecord {
    qint32 codingId = 0;
    QString codePath;      // template-1 text of the code, "group\code"
    QString comment;
    qint32 weight = 0;
    QString author;
    QString created;       // creation date as shown
    qint32 start = 0;      // rich-edit positions, end exclusive
    qint32 end = 0;
    qint32 lane = 1;       // 1-based
    qint32 topY = 0;       // bar ends in the margin's pixels, either order
    qint32 bottomY = 0;
    quint32 flags = 0;     // StripeFlag bits
    COLORREF colour = 0;
    qint32 stagger = 0;
    qint32 labelLane = 1;  // 1-based
    qint32 labelTop = 0;
    bool visible = false;
};

/// @short The coding margin: one vertical bar per coding beside the coded
/// text, in lanes, with a circle at its middle and an optional label.
///
/// The stripe array belongs to the owner and must outlive the margin (or be
/// replaced by SetStripes). Paints only visible, not hidden stripes.
class CChartWndC : public QWidget {
    Q_OBJECT
public:
    explicit CChartWndC(QWidget* parent = nullptr);

    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    void SetControlId(int id) { m_controlId = id; }
    void SetStripes(QList<StripeRecord>* stripes);
    QList<StripeRecord>* Stripes() const { return m_stripes; }

    /// Fills the lane table for n lanes (staggering labels of equal
    /// midpoints) and returns the margin's width.
    int ComputeColumnWidths(int laneCount);
    const QList<int>& LaneTable() const { return m_lanes; }

    /// The first visible, not hidden stripe whose bar or label holds the
    /// point; -1 when none.
    int HitTest(QPoint point) const;
    /// x of a stripe's bar.
    int StripeX(const StripeRecord& stripe) const;
    int HotStripe() const { return m_hot; }

    bool m_lanesFromLeft = false;
    bool m_showLabels = true;
    bool m_extendedTip = true;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void DrawStripe(QPainter& painter, const StripeRecord& stripe) const;
    /// The label's box inside the margin; `shown` gets its text as drawn
    /// (shortened with an ellipsis to the room left, empty when none).
    QRect LabelRect(const StripeRecord& stripe, QString* shown = nullptr) const;
    QString LabelText(const StripeRecord& stripe) const;
    QString TipText(const StripeRecord& stripe) const;
    void SetHot(int index);
    void Send(int code, QPoint globalPoint, int modifiers);
    bool Drawable(const StripeRecord& stripe) const;

    RichViewOwner* m_owner = nullptr;
    QList<StripeRecord>* m_stripes = nullptr;
    QList<int> m_lanes;
    int m_controlId = 0;
    int m_hot = -1;
};
