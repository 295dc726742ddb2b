#pragma once

#include <QList>
#include <QWidget>

class CRichEditWnd;
class RichViewOwner;
struct ParagraphTables;

/// A media mark as the paragraph margin reads it; the browser lays it out.
struct MediaMarkBand {
    qint32 id = 0;
    qint32 y = 0;          // top of the band in the margin's pixels
    bool visible = false;
    quint32 flags = 0;     // kMarkNotLaidOut: not laid out
};
constexpr quint32 kMarkNotLaidOut = 0x4;

/// @short The paragraph margin: paragraph numbers, dots for the geo links
/// of the open document and a column of media-mark bands.
///
/// Draws what the owner's tables say (marginlayout.h); never lays out by
/// itself. Left to right: the geo-link strip (when shown), the number
/// column, the media column (when shown).
class CChartWndF : public QWidget {
    Q_OBJECT
public:
    explicit CChartWndF(QWidget* parent = nullptr);

    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    void SetControlId(int id) { m_controlId = id; }
    /// The text whose characters the geo-link dots stand beside; not owned.
    void SetTextControl(const CRichEditWnd* text) { m_text = text; }
    /// Paragraph tables; not owned, null clears.
    void SetSource(const ParagraphTables* tables);
    void SetMediaMarks(const QList<MediaMarkBand>* marks, qint32 currentMarkId);

    /// The 1-based paragraph whose cell holds y; 0 when none.
    int ParagraphAt(int y) const;
    /// Width of the number column for n paragraphs.
    int MeasureNumberWidth(int n) const;
    /// The width the owner gives the margin for rich texts.
    int NeededWidth() const;

    int m_numberWidth = 23;
    int m_geoStripWidth = 13;
    bool m_showGeoStrip = true;
    /// Character positions of the open document's geo links.
    QList<quint32> m_geoLinks;
    bool m_showMediaColumn = false;
    int m_mediaWidth = 13;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    /// The owner's long text of a paragraph (13) or media mark (26).
    QString GetLongText(int topic, qint32 id);
    void DrawNumbers(QPainter& painter);
    void DrawMediaColumn(QPainter& painter);
    /// Band of mark i from its y to the next laid-out mark, or the bottom.
    QRect MarkBand(int index, int left) const;
    int MarkAt(QPoint point) const;
    bool OverMediaColumn(QPoint point) const;
    void Notify(int code, QPoint point, QPoint globalPoint, int modifiers);

    RichViewOwner* m_owner = nullptr;
    const CRichEditWnd* m_text = nullptr;
    const ParagraphTables* m_tables = nullptr;
    const QList<MediaMarkBand>* m_marks = nullptr;
    qint32 m_currentMark = 0;
    int m_controlId = 0;
    // What the tooltip shows now, asked again only when it changes.
    qint32 m_tipMark = 0;
    int m_tipParagraph = 0;
};

/// The band painter the margin and the object lists' header share: a
/// vertical gradient over the rectangle, edges inclusive.
void DrawGradientBand(QPainter& painter, const QRect& rect, bool current);
