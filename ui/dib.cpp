#include "ui/dib.h"

#include <QPainter>

bool CDib::LoadFromFile(const QString& path)
{
    QImage image(path);
    if (image.isNull())
        return false;
    m_image = std::move(image);
    return true;
}

bool CDib::Draw(QPainter& painter, const QRect* destination, const QRect* source) const
{
    if (m_image.isNull())
        return false;
    const QRect from = source ? *source : m_image.rect();
    const QRect to = destination ? *destination : from;
    painter.save();
    // Stretching picks pixels, as line art and icons want.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (to.size() == from.size())
        painter.drawImage(to.topLeft(), m_image, from);
    else
        painter.drawImage(to, m_image, from);
    painter.restore();
    return true;
}
