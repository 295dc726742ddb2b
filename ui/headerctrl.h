#pragma once

#include <QHeaderView>
#include <QStringList>

class QPainter;

/// @short The header base: a horizontal header whose columns carry tip
/// texts, shown while the mouse rests on a column.
class ViewHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit ViewHeaderCtrl(QWidget* parent = nullptr);

    /// One tip per column from the left; a shorter list leaves the columns
    /// after it without a tip.
    void SetColumnTips(const QStringList& tips) { m_tips = tips; }
    const QStringList& ColumnTips() const { return m_tips; }
    /// The tip of the column at x in the header's coordinates; empty when
    /// none (the border pixels of a column belong to no column).
    QString TipAt(int x) const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    QStringList m_tips;
};

/// The shared drawing of the program's headers.
namespace header {
/// The grey gradient from top to bottom over the rectangle.
void FillBackground(QPainter& painter, const QRect& rect);
/// The fading separator at the right edge of a column.
void DrawSeparator(QPainter& painter, const QRect& column);
/// The blue edge lines.
void DrawLines(QPainter& painter, const QRect& rect, bool top, bool bottom, bool right);
/// A 9 × 9 glyph of the given set and index; sets: 0 captions (two
/// glyphs), 1 margins (two), 2 trees (three: tree, box, number sign).
QPixmap Glyph(int set, int index);
}  // namespace header

/// @short The common look of every header: gradient, separators, edge lines
/// and 9 × 9 glyphs; what a column shows and whether it may be resized or
/// dragged is the subclass's.
class HeaderLookBase : public ViewHeaderCtrl {
    Q_OBJECT
public:
    /// Widths of the columns when the header is made for a fresh view; a
    /// header put on a view with columns keeps them until this is called.
    virtual void ApplyDefaultColumns() {}

protected:
    HeaderLookBase(int glyphSet, QWidget* parent);
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    /// One column's content (after the background, before the separator).
    virtual void PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const;
    virtual void PaintEdges(QPainter& painter) const;
    /// The glyph of a column: its index in the set, by logical column.
    void PaintGlyph(QPainter& painter, const QRect& rect, int logicalIndex) const;
    /// Resizing and moving columns refused or allowed.
    void SetColumnsFixed(bool fixed);

    int m_glyphSet;
};

/// @short The header of lists: captions (cut with "..." to the column),
/// optional glyphs, edge lines by flags; columns resize and move.
class CHeaderCtrlEx : public HeaderLookBase {
    Q_OBJECT
public:
    explicit CHeaderCtrlEx(QWidget* parent = nullptr);

    /// What the header draws; owners set it after making the header.
    struct Look {
        bool showGlyphs = false;
        bool drawCaptions = true;
        bool bottomLine = true;
        bool topLine = false;
        bool rightLine = true;
        bool indentFirst = true;  ///< the first column's caption left-aligned from 5 pixels
    };

    void ApplyDefaultColumns() override;
    const Look& GetLook() const { return m_look; }
    void SetLook(const Look& look);

protected:
    void PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const override;
    void PaintEdges(QPainter& painter) const override;

private:
    Look m_look;
};

/// @short The header of the code-system tree: glyphs on their own gradient;
/// columns neither resize nor move.
class CHeaderCtrlB : public HeaderLookBase {
    Q_OBJECT
public:
    explicit CHeaderCtrlB(QWidget* parent = nullptr);
    void ApplyDefaultColumns() override;
    /// The check column is wider and the count column hidden while the
    /// option of check boxes in the code tree is on.
    void SetCheckColumnWidth(bool checkBoxes);

protected:
    void PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const override;
};

/// @short The header of the browser's margin columns: glyphs on their own
/// gradient; columns resize and move.
class CHeaderCtrlD : public HeaderLookBase {
    Q_OBJECT
public:
    explicit CHeaderCtrlD(QWidget* parent = nullptr);
    void ApplyDefaultColumns() override;

protected:
    void PaintColumn(QPainter& painter, const QRect& rect, int logicalIndex) const override;
};

/// @short The header of the document-system tree: glyphs only; columns
/// neither resize nor move.
class CHeaderCtrlH : public HeaderLookBase {
    Q_OBJECT
public:
    explicit CHeaderCtrlH(QWidget* parent = nullptr);
    void ApplyDefaultColumns() override;
};
