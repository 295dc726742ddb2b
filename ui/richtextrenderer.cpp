#include "ui/richtextrenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr double kTwipsPerPoint = 20.0;

}  // namespace

bool RichTextRenderer::Create(Qt::Alignment alignment, const QString& face, int heightTwips)
{
    if (heightTwips <= 0)
        return false;
    m_alignment = alignment;
    m_font = QFont(face);
    m_font.setPointSizeF(heightTwips / kTwipsPerPoint);
    m_font.setBold(false);
    m_font.setStrikeOut(false);
    return true;
}

void RichTextRenderer::DrawText(QPainter& painter, const QString& text, const QRect& rect,
                                const QColor& textColour, const QColor& background, bool bold,
                                bool underline) const
{
    if (text.isEmpty())
        return;
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(m_font);
    QTextOption option(m_alignment);
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    document.setTextWidth(rect.width());
    QTextCursor cursor(&document);
    QTextCharFormat format;
    format.setForeground(textColour);
    if (background.isValid())
        format.setBackground(background);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(underline);
    cursor.insertText(text, format);

    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.translate(rect.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(QPointF(), QSizeF(rect.size()));
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}
