#include "ui/imagelistex.h"

#include <QBitmap>
#include <QIcon>

bool CImageListEx::CreateFromBitmap(const QPixmap& strip, int width, int height, const QColor& mask)
{
    m_images.clear();
    if (strip.isNull() || width <= 0 || height <= 0 || strip.width() < width)
        return false;
    for (int x = 0; x + width <= strip.width(); x += width) {
        QPixmap image = strip.copy(x, 0, width, std::min(height, strip.height()));
        image.setMask(image.createMaskFromColor(mask, Qt::MaskInColor));
        m_images.append(image);
    }
    return true;
}

bool CIconButton::SetIconFromStrip(const QPixmap& strip, const QColor& mask, int size)
{
    CImageListEx images;
    if (!images.CreateFromBitmap(strip, size, size, mask) || images.Count() < 4)
        return false;
    QIcon icon;
    icon.addPixmap(images.Image(0), QIcon::Normal);
    icon.addPixmap(images.Image(1), QIcon::Active);
    icon.addPixmap(images.Image(2), QIcon::Selected);
    icon.addPixmap(images.Image(3), QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(size, size));
    return true;
}
