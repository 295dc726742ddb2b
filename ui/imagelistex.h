#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPushButton>

/// @short The images of a horizontal strip, one per image width, with one
/// colour taken as transparent.
class CImageListEx {
public:
    /// False when the strip is empty or narrower than one image.
    bool CreateFromBitmap(const QPixmap& strip, int width, int height, const QColor& mask);
    int Count() const { return int(m_images.size()); }
    QPixmap Image(int index) const { return m_images.value(index); }

private:
    QList<QPixmap> m_images;
};

/// @short A push button whose normal, hot, pressed and disabled icons are
/// the first four images of a strip.
class CIconButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    /// Square images of `size`; false when the strip cannot give them.
    bool SetIconFromStrip(const QPixmap& strip, const QColor& mask, int size);
};
