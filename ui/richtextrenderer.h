#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QRect;

/// @short Draws a caption into a rectangle of any painter with one
/// alignment, face and size, in a colour, optionally bold or underlined.
///
/// Print engines and the visual tools draw their captions through three of
/// these (left, centred, right).
class RichTextRenderer {
public:
    /// `heightTwips`: the font height in twips (20 per point).
    bool Create(Qt::Alignment alignment, const QString& face, int heightTwips);

    /// Wraps the text within the rectangle and clips it there. An empty
    /// text draws nothing; an invalid background leaves it transparent.
    void DrawText(QPainter& painter, const QString& text, const QRect& rect, const QColor& textColour,
                  const QColor& background, bool bold, bool underline) const;

    Qt::Alignment Alignment() const { return m_alignment; }
    const QFont& Font() const { return m_font; }

private:
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QFont m_font;
};
