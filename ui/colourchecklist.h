#pragma once

#include "foundation/colorhelpers.h"

#include <QListWidget>

#include <functional>

/// @short A one-column list whose rows are drawn filled with a colour, the
/// text in the contrasting colour shortened with "..." to fit, and a check
/// picture in front. A click on the check picture reports checkClicked,
/// a click on the rest of the row rowClicked; neither selects.
///
/// What a row shows comes from the owner through the three functions, asked
/// whenever a row is drawn; each row keeps an integer as its data.
class CColourCheckList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kCheckLeft = 4;    ///< the check area starts here
    static constexpr int kLabelLeft = 22;   ///< the label (coloured part) starts here
    static constexpr int kRowHeight = 18;

    /// The row's fill colour (COLORREF).
    using ColourOf = std::function<COLORREF(int row)>;
    /// The check picture of the row: 0 unticked, 1 ticked, 2 the "more" sign,
    /// -1 none.
    using CheckOf = std::function<int(int row)>;
    /// Paints a row's label itself instead of the plain fill; false for the
    /// plain fill.
    using PaintLabel = std::function<bool(QPainter& painter, const QRect& label, int row)>;

    explicit CColourCheckList(QWidget* parent = nullptr);

    void SetColourOf(ColourOf colourOf) { m_colourOf = std::move(colourOf); }
    void SetCheckOf(CheckOf checkOf) { m_checkOf = std::move(checkOf); }
    void SetPaintLabel(PaintLabel paint) { m_paintLabel = std::move(paint); }

    /// Appends (or inserts at `row`) a row with its text and data.
    void InsertRow(int row, const QString& text, qint32 data);
    qint32 RowData(int row) const;
    /// The label's rectangle of the row in the viewport.
    QRect LabelRect(int row) const;
    QRect CheckRect(int row) const;

    ColourOf m_colourOf;
    CheckOf m_checkOf;
    PaintLabel m_paintLabel;

signals:
    void checkClicked(int row);
    void rowClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

/// @short A colour check list whose rows are colours (the standard ones
/// named), each ticked or not; a click on a row's check box toggles it.
///
/// The colour filters of codes, documents and codings are edited with it.
class CColourTickList : public CColourCheckList {
    Q_OBJECT
public:
    explicit CColourTickList(QWidget* parent = nullptr);

    /// One row per colour, ticked when the filter holds its colour.
    void SetColours(const QList<COLORREF>& colours, const QList<COLORREF>& filter);
    bool IsTicked(int row) const { return m_ticked.value(row, false); }
    /// Ticks or unticks every row and takes the focus.
    void TickAll(bool ticked);
    /// The ticked rows' colours, in list order.
    QList<COLORREF> TickedColours() const;

private:
    QList<COLORREF> m_colours;
    QList<bool> m_ticked;
};
