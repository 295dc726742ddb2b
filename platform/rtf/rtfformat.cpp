#include "platform/rtf/rtfformat.h"

#include <QBrush>
#include <QBuffer>
#include <QImage>
#include <QTextBlock>

namespace rtf {

namespace {
// Small enough that a run of hidden text has no visible width, large enough
// that the font engine accepts it.
constexpr qreal kHiddenDisplayPointSize = 0.1;
}  // namespace

void SetHidden(QTextCharFormat& format, bool hidden)
{
    if (hidden == IsHidden(format))
        return;
    if (hidden) {
        if (format.hasProperty(QTextFormat::FontPointSize))
            format.setProperty(kHiddenPointSizeProperty, format.fontPointSize());
        if (format.hasProperty(QTextFormat::ForegroundBrush))
            format.setProperty(kHiddenForegroundProperty, format.foreground());
        format.setFontPointSize(kHiddenDisplayPointSize);
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
    visible.clearProperty(kHiddenProperty);
    visible.clearProperty(QTextFormat::FontPointSize);
    visible.clearProperty(QTextFormat::ForegroundBrush);
    if (format.hasProperty(kHiddenPointSizeProperty))
        visible.setFontPointSize(format.doubleProperty(kHiddenPointSizeProperty));
    if (format.hasProperty(kHiddenForegroundProperty))
        visible.setForeground(format.brushProperty(kHiddenForegroundProperty));
    visible.clearProperty(kHiddenPointSizeProperty);
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
