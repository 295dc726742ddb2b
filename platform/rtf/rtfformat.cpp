#include "platform/rtf/rtfformat.h"

#include <QBrush>
#include <QBuffer>
#include <QImage>
#include <QTextBlock>

namespace rtf {

namespace {
// Hidden text keeps its font and size, so the font system never looks for a
// font of an odd size (a search through every installed font); a letter
// spacing of a hair below zero percent takes each glyph's whole advance
// away (exactly zero for glyphs up to 100 pixels wide; the layout works in
// 1/64 pixel), so the text takes no room.
constexpr qreal kHiddenLetterSpacingPercent = -1.0 / 64;
}  // namespace

void SetHidden(QTextCharFormat& format, bool hidden)
{
    if (hidden == IsHidden(format))
        return;
    if (hidden) {
        if (format.hasProperty(QTextFormat::ForegroundBrush))
            format.setProperty(kHiddenForegroundProperty, format.foreground());
        format.setFontLetterSpacingType(QFont::PercentageSpacing);
        format.setFontLetterSpacing(kHiddenLetterSpacingPercent);
        format.setForeground(QBrush(Qt::transparent));
        format.setProperty(kHiddenProperty, true);
        return;
    }
    format = VisibleFormat(format);
}

QTextCharFormat VisibleFormat(const QTextCharFormat& format)
{
    if (!IsHidden(format))
        return format;
    QTextCharFormat visible = format;
    // Neither the codec nor the editor sets letter spacing, so shown text
    // has none.
    visible.clearProperty(kHiddenProperty);
    visible.clearProperty(QTextFormat::FontLetterSpacing);
    visible.clearProperty(QTextFormat::FontLetterSpacingType);
    visible.clearProperty(QTextFormat::ForegroundBrush);
    if (format.hasProperty(kHiddenForegroundProperty))
        visible.setForeground(format.brushProperty(kHiddenForegroundProperty));
    visible.clearProperty(kHiddenForegroundProperty);
    return visible;
}

bool IsPlaceholderBlock(const QTextBlock& block)
{
    return block.length() == 1 && block.blockFormat().boolProperty(kNoParagraphMarkProperty);
}

QByteArray PngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace rtf
