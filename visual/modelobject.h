#pragma once

#include "visual/visualids.h"

#include <QImage>
#include <QString>

/// @short A rectangle of the model plane in model units (one unit is one
/// pixel at scale 1.0), kept in 32-bit floats as the byte image stores it.
struct ModelRect {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;

    float Right() const { return x + width; }
    float Bottom() const { return y + height; }
    float CentreX() const { return x + width / 2; }
    float CentreY() const { return y + height / 2; }
    /// A width or height of at most float epsilon.
    bool IsEmpty() const { return width <= kEmptyExtent || height <= kEmptyExtent; }
    /// Left and top edges inside, right and bottom outside.
    bool Contains(float px, float py) const { return x <= px && px < x + width && y <= py && py < y + height; }
    /// The smaller rectangle's edges included.
    bool Holds(const ModelRect& inner) const
    {
        return inner.x >= x && inner.y >= y && inner.Right() <= Right() && inner.Bottom() <= Bottom();
    }
    ModelRect Grown(float by) const { return {x - by, y - by, width + 2 * by, height + 2 * by}; }
    bool operator==(const ModelRect&) const = default;
};

/// @short One placed object of a model: its symbol, label, styles and the
/// project object it stands for.
///
/// Colours are ARGB (alpha in the top byte). The runtime fields (Selected,
/// Bounds, Picture, NeedsLayout, DisplayText, LabelRect, LabelLaidOut) are
/// never stored; Bounds and LabelRect are valid after the layout step.
struct ModelObject {
    qint32 Id = 0;
    qint32 Shape = ModelShape::Ellipse;
    QString Label;
    qint32 RefTopic = 0;  ///< topic of the project object; 0 for a free object
    qint32 RefId = 0;
    bool Selected = false;
    ModelRect Bounds;                 ///< everything the object paints
    ModelRect Rect{0, 0, 30, 30};     ///< the symbol
    float FontSize = 10.0f;           ///< pixels
    quint32 BorderColor = 0xFF000000;
    quint32 FillColor = 0xFFFFFFFF;
    quint32 TextColor = 0xFF000000;
    quint32 LabelFillColor = 0xFFFFFF80;
    quint32 LabelFrameColor = 0xFF808080;
    bool SymbolShadow = false;
    bool LabelBox = false;
    bool LabelShadow = false;
    QString FontName = QStringLiteral("Verdana");
    qint32 GroupId = 0;
    qint32 LayerId = 0;
    QImage Picture;        ///< decoded picture or thumbnail of PictureFile; null when none
    QString PictureFile;   ///< relative to the externals folder, or a full path
    bool NeedsLayout = true;
    bool ShowSymbol = true;
    bool Framed = false;
    QString DisplayText;   ///< Label wrapped, "\r\n" between lines
    float WrapFactor = 10.0f;
    ModelRect LabelRect;
    bool LabelLaidOut = true;
    float BorderWidth = 3.0f;
    bool IsBackground = false;  ///< kept first in the object array
    QString LinkedFile;
    QString GeoLinkFile;        ///< a ".kml" file
    qint32 PictureQuality = 1;  ///< 0 full picture; 1, 2, 3 thumbnails of 300, 600, 1200 pixels

    /// Every field, identity, position and runtime state included.
    void Assign(const ModelObject& source) { *this = source; }
    /// Everything that makes the object what it is, keeping Id and the
    /// symbol's position; clears Selected and IsBackground.
    void CopyFrom(const ModelObject& source);
    /// The look alone: colours, style bytes, font, frame, symbol size,
    /// wrap factor, border width and picture quality.
    void CopyStyle(const ModelObject& source);
    /// CopyFrom without the label, the project reference, the symbol size
    /// and the border width.
    void ApplyTemplate(const ModelObject& source);
    /// A square symbol (old width + 10 per step) around the same centre,
    /// a wider border and a larger font.
    void Grow(qint32 steps);
    /// The reverse of Grow, stopping at a 30-unit side, a border of 1 and
    /// a font of 10; nothing at width 30.
    void Shrink(qint32 steps);
    /// moveOnly: the symbol's corner to the nearest grid point; otherwise
    /// the right and bottom edges, with the larger size for both sides.
    void SnapToGrid(float grid, bool moveOnly);

    ModelRect GetBounds() const { return Bounds; }
    ModelRect GetLabelRect() const { return LabelRect; }
    bool IsLabelLaidOut() const { return LabelLaidOut; }
    /// The symbol grown by half the border width on every side.
    ModelRect GetOutlineRect() const { return Rect.Grown(BorderWidth / 2); }
    /// Only free shapes may be changed by the user.
    bool IsShapeChangeable() const;

    /// Decodes PictureFile, resolved against the externals folder, at the
    /// reduction the quality asks for (60 pixels in preview). A file that
    /// is missing, cannot be decoded or exceeds the decoder's allocation
    /// limit leaves the object without a picture. True when one is held.
    bool LoadPicture(bool preview);

    /// Shape and colours for a new object standing for a project object of
    /// `refTopic`; `value` is the colour value of documents, codes and
    /// codings, the memo type of memos, the free-object variant for 0.
    void ApplyKindStyle(qint32 refTopic, qint32 value);
};
