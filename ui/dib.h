#pragma once

#include <QImage>
#include <QString>

class QPainter;

/// @short A picture drawn into any painter: copied when source and
/// destination have the same size, otherwise stretched without smoothing.
class CDib {
public:
    /// Loads a picture file (or a Qt resource path); false when unreadable,
    /// and the old picture stays.
    bool LoadFromFile(const QString& path);
    void SetImage(const QImage& image) { m_image = image; }
    bool IsNull() const { return m_image.isNull(); }
    QSize Size() const { return m_image.size(); }

    /// Draws the `source` part (null: all) into `destination` (null: the
    /// source's size at its place). False without a picture.
    bool Draw(QPainter& painter, const QRect* destination = nullptr, const QRect* source = nullptr) const;

private:
    QImage m_image;
};
