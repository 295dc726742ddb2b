#pragma once

#include "foundation/colorhelpers.h"

#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class CDragObject;
class CRichEditCtrlEx;
class QPainter;
class RichViewOwner;

/// What a segment box shows of its coding; the pane fills it.
struct SegmentCoding {
    qint32 id = 0;
    qint32 weight = 0;
    QString comment;
    qint32 firstParagraph = 0;
    qint32 lastParagraph = 0;
    QString documentPath;  // "group\document"
    QString codePath;      // "code\subcode\..."
};

/// @short One retrieved segment beside its text: a box with the weight band
/// and the tree of where the segment comes from.
class SegmentBoxItem {
public:
    SegmentBoxItem(COLORREF baseColour, const SegmentCoding& coding);
    virtual ~SegmentBoxItem() = default;

    /// Highlighted boxes are filled with the darkened base colour.
    void SetState(bool highlighted, qint16 value);
    /// Moves the box to a new top, keeping its height.
    void MoveTo(int top, int textEndY);
    /// Moves the text range; the end only when both.
    void ShiftRange(int delta, bool both);
    bool HitTest(QPoint contentPoint) const { return m_box.contains(contentPoint); }
    void UpdateCoding(const SegmentCoding& coding) { m_coding = coding; }

    /// The box, its frame and the extent line down to the text's end; y is
    /// drawn less offset.
    virtual void Draw(QPainter& painter, int offset) const;
    /// Content y where the box or its text ends, whichever is lower.
    int ExtentBottom() const { return std::max(m_box.bottom(), m_textEndY); }

    qint32 Id() const { return m_coding.id; }

    COLORREF m_fillColour;
    COLORREF m_baseColour;
    COLORREF m_highlightLineColour = MakeColor(80, 110, 200);
    COLORREF m_frameColour = MakeColor(150, 180, 220);
    COLORREF m_extentColour1 = MakeColor(200, 200, 200);
    COLORREF m_extentColour2 = MakeColor(232, 232, 232);
    QRect m_box;                 // content coordinates
    const QList<QPixmap>* m_glyphs = nullptr;
    bool m_highlighted = false;
    bool m_rightSide = true;
    int m_textEndY = 0;
    SegmentCoding m_coding;
    int m_textStart = 0;
    int m_textEnd = 0;           // includes the separator after the segment
    qint16 m_state = -3;
    int m_glyphBase = 0;
};

/// @short The strip beside the retrieved segments' text: one box per
/// segment, hover highlight and comment tip, click to follow, double-click
/// to open, drag (after more than 3 pixels) as a coding.
///
/// Owns its items. y of items is in content coordinates of the text; the
/// owner keeps the scroll offset in step with its text.
class CDragStripWnd : public QWidget {
    Q_OBJECT
public:
    explicit CDragStripWnd(QWidget* parent = nullptr);
    ~CDragStripWnd() override;

    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    bool Create(const QRect& rect, QWidget* parent, int id);
    /// The pane's text that holds the segments; not owned.
    void SetTextControl(CRichEditCtrlEx* text) { m_text = text; }
    /// Glyphs: 0 group, 1 code, 2 paragraphs, 3.. documents by kind.
    void SetGlyphs(const QList<QPixmap>& glyphs) { m_glyphs = glyphs; }

    /// index < 0 or past the end appends; otherwise the items after it move
    /// by the inserted item's length.
    void InsertItem(std::unique_ptr<SegmentBoxItem> item, int index);
    void RemoveAllItems(bool repaint);
    /// Asks the owner to delete the item's text, moves the following items
    /// back; false when no item has the id.
    bool RemoveItemById(qint32 id);
    /// Removes count items from index on: their text goes in one deletion
    /// through the owner and the following items move back.
    void RemoveItems(int index, int count);
    bool FindItemById(qint32 id) const { return IndexOf(id) >= 0; }
    /// start and end - 1 of the item's text.
    bool GetItemRange(qint32 id, int& start, int& end) const;
    /// Puts a re-read coding into its box and its new text (RTF) in place of
    /// the segment's text, keeping the separator after it; the following
    /// items move by the change in length. False when the item, the text
    /// control or the text is missing.
    bool ReplaceItemText(qint32 id, const SegmentCoding& coding, const QByteArray& rtf);
    int ItemCount() const { return int(m_items.size()); }
    SegmentBoxItem* Item(int index) const { return m_items.at(size_t(index)).get(); }

    void SetScrollOffset(int offset, bool force);
    int ScrollOffset() const { return m_offset; }
    void SetLineMetrics(int glyphWidth, int glyphHeight);
    /// Sets the strip's width and every box's right edge.
    void Layout(int width);
    /// Widens or narrows the strip to the widest line of all (or the last)
    /// items; true when the width changed.
    bool FitWidth(bool lastOnly);
    void SetItemsFlag(bool rightSide);
    int DefaultWidth() const { return m_defaultWidth; }
    /// The height of one source line: the text height and twice each of the
    /// two margins.
    int LineHeight() const { return m_glyphHeight + 2 * (m_margin + m_textOffset); }
    int HotItem() const { return m_hot; }

    /// Draws the band and the source lines of an item.
    void DrawItem(QPainter& painter, const SegmentBoxItem& item) const;

protected:
    /// Starts the drag of a coding; blocks until it ends.
    virtual void StartDrag(const CDragObject& object);

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int IndexOf(qint32 id) const;
    int ItemAt(QPoint contentPoint) const;
    void SetHot(int index);
    void Send(int code, int index, QPoint globalPoint, int modifiers);
    /// The lines of an item: group, document, paragraphs, code path parts.
    QStringList LinesOf(const SegmentBoxItem& item) const;
    int LineX(const SegmentBoxItem& item, int line) const;
    int LineY(const SegmentBoxItem& item, int line) const;

    RichViewOwner* m_owner = nullptr;
    CRichEditCtrlEx* m_text = nullptr;
    std::vector<std::unique_ptr<SegmentBoxItem>> m_items;
    QList<QPixmap> m_glyphs;
    int m_offset = 0;
    int m_controlId = 0;
    bool m_rightSide = true;
    QColor m_background{232, 232, 232};
    QColor m_edgeColour{200, 200, 200};
    QColor m_bandColour{80, 110, 200};
    QColor m_connectorColour{200, 200, 255};
    int m_glyphWidth = 16;
    int m_glyphHeight = 16;
    int m_margin = 2;
    int m_textOffset = 0;
    int m_textHeight = 0;
    int m_defaultWidth = 52;
    qint32 m_pressed = 0;
    QPoint m_pressPoint;
    int m_hot = -1;
};
